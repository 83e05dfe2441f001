// Feeds arbitrary bytes to the effect as a state chunk. A refused chunk must
// leave the state exactly as it was; an accepted one must save back as the
// chunk itself with its contents brought within bounds (the running
// version numbers, terminated texts, numbers, curve and parameters within
// their ranges), and that saved state must load and save back unchanged.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Harshbloom.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "effect_state_fuzz: %s\n", what);
    abort();
  }
}

std::string Save(Harshbloom& plug) {
  ByteChunk chunk;
  Check(plug.SerializeState(&chunk), "saving failed");
  return std::string(reinterpret_cast<const char*>(chunk.GetBytes()),
                     static_cast<size_t>(chunk.Size()));
}

int Load(Harshbloom& plug, const std::string& bytes) {
  ByteChunk chunk;
  chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  return plug.UnserializeState(&chunk, 0);
}

double At(const std::string& s, size_t pos) {
  double v;
  memcpy(&v, s.data() + pos, sizeof v);
  return v;
}

void Put(std::string& s, size_t pos, double v) {
  memcpy(&s[pos], &v, sizeof v);
}

double Within(double v, double lo, double hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}

// What an accepted chunk saves back as, given the state before the load.
std::string Expected(Harshbloom& plug, const std::string& in, const std::string& before) {
  std::string s = in.substr(0, Harshbloom::kStateChunkSize);
  s.replace(4, 32, before, 4, 32);  // versions
  const double bounds[5][2] = {{0, 2}, {0, 2}, {0, 1}, {0, 1}, {10, 500}};
  for (int k = 0; k < 5; ++k) {
    const size_t pos = 36 + 8 * static_cast<size_t>(k);
    const double v = At(s, pos);
    Put(s, pos, std::isnan(v) ? At(before, pos) : Within(v, bounds[k][0], bounds[k][1]));
  }
  for (int t = 0; t < 5; ++t) s[76 + 1024 * static_cast<size_t>(t) + 1023] = '\0';
  for (size_t i = 0; i < 512; ++i) {
    const double v = At(s, 5200 + 8 * i);
    Put(s, 5200 + 8 * i, std::isfinite(v) ? Within(v, -1.0, 1.0) : 0.0);
  }
  for (int i = 0; i < plug.NParams(); ++i) {
    const size_t pos = 9296 + 8 * static_cast<size_t>(i);
    const double v = At(s, pos);
    if (!std::isnan(v))
      Put(s, pos, Within(v, plug.GetParam(i)->GetMin(), plug.GetParam(i)->GetMax()));
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  static Harshbloom* plug = MakePlug(nullptr, nullptr);
  const std::string in(reinterpret_cast<const char*>(data), size);
  const std::string before = Save(*plug);
  const int end = Load(*plug, in);
  const std::string after = Save(*plug);
  if (end < 0) {
    Check(after == before, "a refused chunk changed the state");
    return 0;
  }
  Check(end == Harshbloom::kStateChunkSize, "an accepted chunk ended elsewhere");
  Check(after == Expected(*plug, in, before), "an accepted chunk saved back differently");
  Check(Load(*plug, after) == end, "a saved state was refused");
  Check(Save(*plug) == after, "save, load, save changed the state");
  return 0;
}
