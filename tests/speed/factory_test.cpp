// The whole effect: every factory program keeps its captured output, and
// the paths chosen by the processor's register width give the same bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "DspLib/WideLanes.h"
#include "factory_runs.h"
#include "captured.h"
#include "scenarios.h"

namespace {

// Limits the lane width for one scope.
struct Width {
  explicit Width(Dsp::LaneWidth w) { Dsp::limitLaneWidth(w); }
  ~Width() { Dsp::limitLaneWidth(Dsp::kWidestLanes); }
};

// The widths this processor has, narrowest first.
std::vector<Dsp::LaneWidth> widths() {
  std::vector<Dsp::LaneWidth> all;
  for (Dsp::LaneWidth w : {Dsp::kNarrowLanes, Dsp::kWideLanes, Dsp::kWidestLanes}) {
    Width limit(w);
    if (Dsp::laneWidth() == w) all.push_back(w);
  }
  return all;
}

constexpr int kValuesPerProgram =
    2 * SpeedScenarios::kFactoryRunBlock * SpeedScenarios::kFactoryRunBlocks;

TEST(FactoryPrograms, KeepTheirCapturedOutput) {
  const std::vector<double> want = SpeedScenarios::loadCaptured("factory_programs");
  ASSERT_FALSE(want.empty());
  const std::vector<double> got = SpeedScenarios::factoryRuns();
  ASSERT_EQ(got.size(), want.size());
  double worst = 0.0;
  for (size_t i = 0; i < want.size(); ++i) {
    ASSERT_TRUE(std::isfinite(got[i])) << "program " << i / kValuesPerProgram;
    const double scale = std::fabs(want[i]) > 1.0 ? std::fabs(want[i]) : 1.0;
    const double d = std::fabs(got[i] - want[i]) / scale;
    worst = std::fmax(worst, d);
    ASSERT_LE(d, 1e-11) << "program " << i / kValuesPerProgram << ", value "
                        << i % kValuesPerProgram << ": " << got[i] << " for " << want[i];
  }
  RecordProperty("largest_difference", std::to_string(worst));
}

// Each width the processor has against the narrowest (two lanes), bit for
// bit: the factory programs through the whole effect, then every unit run.
TEST(LanePaths, GiveTheSameBits) {
  const std::vector<Dsp::LaneWidth> have = widths();
  ASSERT_FALSE(have.empty());
  ASSERT_EQ(have.front(), Dsp::kNarrowLanes);
  std::vector<double> narrowPrograms;
  std::vector<std::vector<double>> narrowUnits;
  for (Dsp::LaneWidth w : have) {
    Width limit(w);
    SCOPED_TRACE(testing::Message() << "lanes: " << w);
    const std::vector<double> programs = SpeedScenarios::factoryRuns();
    std::vector<std::vector<double>> units;
    for (const SpeedScenarios::Scenario& s : SpeedScenarios::all()) units.push_back(s.run());
    if (w == Dsp::kNarrowLanes) {
      narrowPrograms = programs;
      narrowUnits = units;
      continue;
    }
    ASSERT_EQ(programs.size(), narrowPrograms.size());
    for (size_t i = 0; i < programs.size(); ++i)
      ASSERT_EQ(0, std::memcmp(&programs[i], &narrowPrograms[i], sizeof(double)))
          << "program " << i / kValuesPerProgram << ", value " << i % kValuesPerProgram;
    for (size_t k = 0; k < units.size(); ++k) {
      ASSERT_EQ(units[k].size(), narrowUnits[k].size());
      EXPECT_EQ(
          0, std::memcmp(units[k].data(), narrowUnits[k].data(), units[k].size() * sizeof(double)))
          << SpeedScenarios::all()[k].name;
    }
  }
  RecordProperty("widths", static_cast<int>(have.size()));
}

}  // namespace
