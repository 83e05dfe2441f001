#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace SpeedScenarios {

// The output captured for a run: data/<name>.f64, raw little-endian doubles.
inline std::vector<double> loadCaptured(const std::string& name) {
  std::ifstream in(std::string(HB_TEST_DATA_DIR) + "/" + name + ".f64", std::ios::binary);
  std::vector<double> values;
  double v;
  while (in.read(reinterpret_cast<char*>(&v), sizeof v)) values.push_back(v);
  return values;
}

}  // namespace SpeedScenarios
