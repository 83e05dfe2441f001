// The PNG loader. Any buffer either decodes to a bitmap of the size its
// header declares or is refused with null; a bitmap handed in is never lost
// or taken over. Images the header declares small also go through the path
// that makes a new bitmap; every input goes through a given bitmap that
// refuses to grow past a million pixels, so huge headers cost nothing.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "pix.h"

namespace {

inline void fuzzCheck(bool ok) {
  if (!ok) abort();
}

class CappedBitmap : public PIX_MemBitmap {
 public:
  CappedBitmap() : PIX_MemBitmap(1, 1, 4) {}
  bool resize(int w, int h) override {
    if ((long long)w * h > (1 << 20)) return false;
    return PIX_MemBitmap::resize(w, h);
  }
};

uint32_t bigEndian(const uint8_t* p) {
  return ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3];
}

// Every pixel of a decoded bitmap is readable.
uint32_t touchAll(PIX_IBitmap* b) {
  uint32_t sum = 0;
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x) sum += b->getBits()[y * b->getRowSpan() + x];
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 30)) return 0;
  const int len = (int)size;
  const bool header = size >= 24 && memcmp(data + 12, "IHDR", 4) == 0;
  const uint32_t w = header ? bigEndian(data + 16) : 0, h = header ? bigEndian(data + 20) : 0;

  if (header && (uint64_t)w * h <= (1u << 20)) {
    PIX_IBitmap* made = PIX_LoadPNGFromMemory(data, len, nullptr);
    if (made) {
      fuzzCheck((uint32_t)made->getWidth() == w && (uint32_t)made->getHeight() == h);
      touchAll(made);
      delete made;
    }
  }

  CappedBitmap capped;
  PIX_IBitmap* got = PIX_LoadPNGFromMemory(data, len, &capped);
  if (got) {
    fuzzCheck(got == &capped && header && (uint32_t)got->getWidth() == w &&
              (uint32_t)got->getHeight() == h);
    touchAll(got);
  }
  return 0;
}
