// The units' results must not move when their processing is made faster:
// every fixed run reproduces the captured outputs within its tolerance
// (1e-12 for every unit, relative to values above 1), non-finite values in
// the same places.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "captured.h"
#include "scenarios.h"

namespace SpeedScenarios {
void PrintTo(const Scenario& s, std::ostream* os) {
  *os << s.name;
}
}  // namespace SpeedScenarios

namespace {

bool same(double got, double want, double tolerance) {
  if (std::isnan(want)) return std::isnan(got);
  if (std::isinf(want)) return got == want;
  const double scale = std::fabs(want) > 1.0 ? std::fabs(want) : 1.0;
  return std::fabs(got - want) <= tolerance * scale;
}

class Unchanged : public testing::TestWithParam<SpeedScenarios::Scenario> {};

TEST_P(Unchanged, MatchesTheCapturedOutput) {
  const SpeedScenarios::Scenario& s = GetParam();
  const std::vector<double> want = SpeedScenarios::loadCaptured(s.name);
  ASSERT_FALSE(want.empty()) << "no captured data for " << s.name;
  const std::vector<double> got = s.run();
  ASSERT_EQ(got.size(), want.size());
  size_t bad = 0, exact = 0, first = want.size();
  double worst = 0.0;
  for (size_t i = 0; i < want.size(); ++i) {
    if (!same(got[i], want[i], s.tolerance)) {
      if (!bad++) first = i;
    } else if (std::memcmp(&got[i], &want[i], sizeof(double)) == 0) {
      ++exact;
    }
    if (std::isfinite(want[i])) worst = std::fmax(worst, std::fabs(got[i] - want[i]));
  }
  EXPECT_EQ(bad, 0u) << s.name << ": first difference at value " << first << " (got "
                     << (first < got.size() ? got[first] : 0.0) << ", want "
                     << (first < want.size() ? want[first] : 0.0) << ")";
  RecordProperty("bit_identical", static_cast<int>(exact));
  std::ostringstream text;
  text << std::scientific << worst;
  RecordProperty("largest_difference", text.str());
}

INSTANTIATE_TEST_SUITE_P(Units, Unchanged, testing::ValuesIn(SpeedScenarios::all()),
                         [](const testing::TestParamInfo<SpeedScenarios::Scenario>& p) {
                           return std::string(p.param.name);
                         });

}  // namespace
