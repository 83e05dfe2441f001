// Writes every scenario's output to <folder>/<name>.f64 as raw doubles.
// Run once on the code whose results are to be kept:
//   build/tests/speed/speed_capture tests/speed/data
#include <cstdio>
#include <string>

#include "scenarios.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: speed_capture <folder>\n");
    return 2;
  }
  for (const SpeedScenarios::Scenario& s : SpeedScenarios::all()) {
    const std::vector<double> values = s.run();
    const std::string path = std::string(argv[1]) + "/" + s.name + ".f64";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(values.data(), sizeof(double), values.size(), f) != values.size()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      if (f) std::fclose(f);
      return 1;
    }
    std::fclose(f);
    std::printf("%s: %zu values\n", path.c_str(), values.size());
  }
  return 0;
}
