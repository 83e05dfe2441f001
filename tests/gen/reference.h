#pragma once

// The committed reference table made by make_reference.py, and helpers the
// generator tests share.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace gentest {

struct Record {
  std::string kind;
  std::vector<double> params;
  std::vector<double> values;
};

inline std::vector<Record> loadRecords() {
  std::vector<Record> all;
  std::ifstream in(std::string(HB_TEST_DATA_DIR) + "/gen_reference.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    s.imbue(std::locale::classic());
    Record r;
    size_t n = 0;
    s >> r.kind >> n;
    r.params.resize(n);
    for (double& p : r.params) s >> p;
    s >> n;
    r.values.resize(n);
    for (double& v : r.values) s >> v;
    if (s) all.push_back(std::move(r));
  }
  return all;
}

// Every record of one kind (the test fails when there is none).
inline std::vector<Record> records(const std::string& kind) {
  static const std::vector<Record> all = loadRecords();
  std::vector<Record> out;
  for (const Record& r : all)
    if (r.kind == kind) out.push_back(r);
  EXPECT_FALSE(out.empty()) << "no reference records of kind " << kind;
  return out;
}

// The shared input sequence.
inline std::vector<double> input() {
  const std::vector<Record> r = records("input");
  return r.empty() ? std::vector<double>() : r[0].values;
}

// Sequences equal within tol times the larger of 1 and the reference's peak.
inline void expectSequence(const std::vector<double>& got, const std::vector<double>& want,
                           double tol, const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  double peak = 1.0;
  for (double w : want) peak = std::fmax(peak, std::fabs(w));
  for (size_t i = 0; i < want.size(); ++i)
    ASSERT_NEAR(got[i], want[i], tol * peak) << what << " at " << i;
}

constexpr double kPi = 3.141592653589793;

}  // namespace gentest
