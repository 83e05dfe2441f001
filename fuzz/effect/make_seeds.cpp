// Writes the seed corpus of the state chunk fuzz target into the folder given
// as the only argument: saved states, factory presets, and chunks with each
// kind of damage the reader meets.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>

#include "Harshbloom.h"

namespace {

std::string folder;

void Write(const std::string& name, const std::string& bytes) {
  std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string Bytes(const ByteChunk& chunk) {
  return std::string(reinterpret_cast<const char*>(chunk.GetBytes()),
                     static_cast<size_t>(chunk.Size()));
}

void Put(std::string& s, size_t pos, double v) {
  memcpy(&s[pos], &v, sizeof v);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 1;
  }
  folder = argv[1];
  Harshbloom* plug = MakePlug(nullptr, nullptr);
  ByteChunk state;
  plug->SerializeState(&state);
  const std::string initial = Bytes(state);
  Write("initial.bin", initial);
  for (int p : {5, 44, 89})
    Write("preset_" + std::to_string(p) + ".bin", Bytes(plug->GetPreset(p)->mChunk));

  const double inf = std::numeric_limits<double>::infinity();
  std::string s = initial;
  for (size_t i = 76; i < 76 + 5 * 1024; ++i) s[i] = 'p';
  Put(s, 36, std::nan(""));
  Put(s, 44, 7.0);
  Put(s, 52, -inf);
  Put(s, 68, 0.5);
  Put(s, 5200, 3.0);
  Put(s, 5208, std::nan(""));
  Put(s, 5216, -inf);
  Put(s, 9296 + 8 * 5, -2.0);
  Put(s, 9296 + 8 * 59, 0.0);
  Put(s, 9296 + 8 * 10, 1.0);  // the top type position
  Put(s, 9296 + 8 * 56, 0.5);
  Write("out_of_bounds.bin", s);

  s = initial;
  Put(s, 9296 + 8 * 3, std::nan(""));
  Write("nan_parameter.bin", s);
  Write("short_by_one.bin", initial.substr(0, initial.size() - 1));
  Write("config_only.bin", initial.substr(0, 5196));
  Write("with_tail.bin", initial + "tail");
  s = initial;
  s[0] = 0x49;
  Write("wrong_marker.bin", s);
  s = initial;
  s[5196] = 0x54;
  Write("wrong_count.bin", s);
  Write("empty.bin", "");
  delete plug;
  return 0;
}
