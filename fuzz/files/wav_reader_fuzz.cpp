// The WAVE reader and the curve import built on it. A refused file leaves the
// loaded frames and the curve as they were; a loaded one never holds more
// frames than the file has bytes, and an imported curve is finite in [-1, 1].
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "WaveFile.h"
#include "fuzz_unit.h"

namespace {

const std::string& inputPath() {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("hb_wav_fuzz_" + std::to_string(getpid()) + ".wav"))
                                      .string();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = inputPath();
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return 0;
  const bool written = fwrite(data, 1, size, f) == size;
  if (fclose(f) != 0 || !written) return 0;

  Rawnfield::WaveFile wav(path);
  wav.appendSample(7.0, 8.0);
  if (wav.loadData()) {
    fuzzCheck(static_cast<size_t>(wav.getNumFrames()) <= size);
    const int format = wav.getSampleFormat();
    fuzzCheck(format == Rawnfield::WaveFile::kFormatPcm ||
              format == Rawnfield::WaveFile::kFormatFloat);
    for (const Rawnfield::WaveSample& s : wav.getFrames()) fuzzCheck(s.right == 0.0);
  } else {
    fuzzCheck(wav.getNumFrames() == 1 && wav.getFrames()[0].left == 7.0 &&
              wav.getFrames()[0].right == 8.0);
  }

  Rawnfield::Distortion& unit = fuzzUnit();
  double before[512];
  memcpy(before, unit.getLutData(), sizeof before);
  checkCurveAfter(unit, before, unit.importLutDataFromWAVE(path));
  remove(path.c_str());
  return 0;
}
