// Runs a fuzz target over files and folders of saved inputs, so the seed
// corpus is replayed by every test build without libFuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static bool RunFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) {
    fprintf(stderr, "cannot read %s\n", p.c_str());
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int runs = 0;
  for (int i = 1; i < argc; ++i) {
    fs::path arg(argv[i]);
    if (fs::is_directory(arg)) {
      std::vector<fs::path> files;
      for (const auto& e : fs::directory_iterator(arg))
        if (e.is_regular_file()) files.push_back(e.path());
      std::sort(files.begin(), files.end());
      for (const auto& f : files) {
        if (!RunFile(f)) return 1;
        ++runs;
      }
    } else {
      if (!RunFile(arg)) return 1;
      ++runs;
    }
  }
  if (runs == 0) {
    fprintf(stderr, "no inputs replayed\n");
    return 1;
  }
  printf("replayed %d inputs\n", runs);
  return 0;
}
