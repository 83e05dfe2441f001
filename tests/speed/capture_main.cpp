// Writes every scenario's output to <folder>/<name>.f64 as raw doubles, and
// the factory programs' run to <folder>/factory_programs.f64; with a name
// after the folder, only that one.
// Run once on the code whose results are to be kept:
//   build/tests/speed/speed_capture tests/speed/data [name]
#include <cstdio>
#include <string>

#include "factory_runs.h"
#include "scenarios.h"

namespace {

bool write(const std::string& path, const std::vector<double>& values) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(values.data(), sizeof(double), values.size(), f) != values.size()) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    if (f) std::fclose(f);
    return false;
  }
  std::fclose(f);
  std::printf("%s: %zu values\n", path.c_str(), values.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: speed_capture <folder> [name]\n");
    return 2;
  }
  const std::string only = argc == 3 ? argv[2] : "";
  const auto wanted = [&](const std::string& name) { return only.empty() || only == name; };
  for (const SpeedScenarios::Scenario& s : SpeedScenarios::all())
    if (wanted(s.name) && !write(std::string(argv[1]) + "/" + s.name + ".f64", s.run())) return 1;
  if (wanted("factory_programs") &&
      !write(std::string(argv[1]) + "/factory_programs.f64", SpeedScenarios::factoryRuns()))
    return 1;
  return 0;
}
