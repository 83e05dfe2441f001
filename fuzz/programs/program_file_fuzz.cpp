// The program file reader with the configuration section: whatever the
// file holds, loading succeeds, leaves every value in 0..1 (the output
// filter value may also be NaN), a name that fits, and configuration texts
// that end inside their fields; and saving what was loaded, loading that
// and saving again gives the same bytes.
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "PlugConfig.h"
#include "programs/HarshbloomProgram.h"

using Rawnfield::HarshbloomProgram;
using Rawnfield::PlugConfig;
namespace H = Rawnfield::Harshbloom;

namespace {

// A broken promise is a crash, so the fuzzer reports it.
void fuzzCheck(bool ok) {
  if (!ok) abort();
}

// The folder for this run's files, removed at exit. Kept on the heap so
// that it outlives the exit handler that removes it.
const std::string* gWorkDir = nullptr;

void removeWorkDir() {
  std::error_code ec;
  std::filesystem::remove_all(*gWorkDir, ec);
}

const std::string& workDir() {
  if (!gWorkDir) {
    std::string pattern = (std::filesystem::temp_directory_path() / "hb_program_fuzz_XXXXXX").string();
    if (!mkdtemp(pattern.data())) abort();
    gWorkDir = new std::string(pattern);
    atexit(removeWorkDir);
  }
  return *gWorkDir;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void checkLoaded(const HarshbloomProgram& p, const std::string& curve, const PlugConfig& c) {
  for (int t = 0; t < H::kNumParameters; ++t) {
    const double v = p.getParameterValue(static_cast<H::eParameterTags>(t));
    fuzzCheck((v >= 0.0 && v <= 1.0) || (t == H::kHqFilter && std::isnan(v)));
  }
  const std::string& name = p.getProgramName();
  fuzzCheck(name == HarshbloomProgram::kDefaultName ||
            (name.size() <= HarshbloomProgram::kMaxLoadedNameLength && !name.empty()));
  fuzzCheck(name.find_first_of(";\n") == std::string::npos);
  fuzzCheck(curve.find_first_of(";\n") == std::string::npos);
  for (const auto& text : c.texts) fuzzCheck(text[PlugConfig::kTextSize - 1] == '\0');
  fuzzCheck(c.visibleTab >= 0.0 && c.visibleTab <= 2.0);
  fuzzCheck(c.scopeDrawMode >= 0.0 && c.scopeDrawMode <= 2.0);
  fuzzCheck(c.scopeDrawInput >= 0.0 && c.scopeDrawInput <= 1.0);
  fuzzCheck(c.scopeDrawOutput >= 0.0 && c.scopeDrawOutput <= 1.0);
  fuzzCheck(c.scopeZoom >= PlugConfig::kMinZoom && c.scopeZoom <= PlugConfig::kMaxZoom);
}

// Loads a program file with its configuration, checks what came in and
// saves both to another file.
void loadSaveAndCheck(const std::string& from, const std::string& to) {
  HarshbloomProgram program;
  PlugConfig config;
  std::string curve;
  fuzzCheck(program.loadProgram(from, curve));
  fuzzCheck(config.loadConfig(from));
  checkLoaded(program, curve, config);
  program.saveProgram(to, "0.0000000000,1.0000000000");
  fuzzCheck(config.saveConfig(to));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = workDir() + "/input.txt";
  const std::string first = workDir() + "/first.txt";
  const std::string second = workDir() + "/second.txt";
  FILE* f = fopen(input.c_str(), "wb");
  if (!f) return 0;
  const bool written = size == 0 || fwrite(data, 1, size, f) == size;
  fclose(f);
  if (!written) return 0;

  // What the input loads to, saved; that file loaded and saved again.
  loadSaveAndCheck(input, first);
  loadSaveAndCheck(first, second);
  fuzzCheck(readAll(first) == readAll(second));
  return 0;
}
