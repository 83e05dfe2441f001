#pragma once

// The bitmap interface every drawing call works on, and the heap bitmap.

#include <stddef.h>
#include <stdint.h>

#include "pix_types.h"

class PIX_IBitmap {
 public:
  virtual ~PIX_IBitmap() {}
  // First pixel of memory row 0, or null when there are no pixels.
  virtual unsigned int* getBits() = 0;
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  // Distance between memory rows in pixels.
  virtual int getRowSpan() = 0;
  // True when memory row 0 is the bottom row of the image.
  virtual bool isFlipped() { return false; }
  // True when the size changed.
  virtual bool resize(int w, int h) = 0;
  // A drawing context sharing the pixels, if the bitmap has one.
  virtual HDC getDC() { return 0; }
  virtual INT_PTR Extended(int id, void* data) {
    (void)id;
    (void)data;
    return 0;
  }
};

// Pixels in ordinary memory, rows aligned to 1, 2, 4, 8 or 16 pixels, the
// first pixel on a 64-byte boundary. New pixels are not cleared.
class PIX_MemBitmap : public PIX_IBitmap {
 public:
  PIX_MemBitmap(int w = 0, int h = 0, unsigned int linealign = 4);
  ~PIX_MemBitmap() override;
  PIX_MemBitmap(const PIX_MemBitmap&) = delete;
  PIX_MemBitmap& operator=(const PIX_MemBitmap&) = delete;

  unsigned int* getBits() override {
    return m_block ? (unsigned int*)(((uintptr_t)m_block + 63) & ~(uintptr_t)63) : 0;
  }
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  int getRowSpan() override { return (m_width + m_rowmask) & ~m_rowmask; }
  bool resize(int w, int h) override { return __resize(w, h); }

 protected:
  bool __resize(int w, int h);

 private:
  void release();

  void* m_block;
  int m_width, m_height;
  size_t m_blocksize;  // usable bytes, not counting the alignment slack
  int m_rowmask;
};

// The first steps of a resize: negative sizes count as 0; false when the
// size is unchanged, else the new size is stored.
bool PIX_StoreSize(int w, int h, int* width, int* height);

// Largest pixel block a bitmap holds: every byte offset fits an int.
#define PIX_MAX_BITMAP_BYTES 0x7fffffffLL

// A bitmap's pixels as the drawing code walks them: image row 0 and the
// signed byte distance to the next image row (negative on a flipped bitmap),
// or, with honourFlip false, memory row 0 and the plain span.
struct PIX_Surface {
  unsigned char* row0;
  ptrdiff_t span;
  int width, height;
  int rowspan;  // in pixels, always positive

  unsigned int* at(int x, int y) const { return (unsigned int*)(row0 + y * span) + x; }
  unsigned char* bytesAt(int x, int y) const { return row0 + y * span + (ptrdiff_t)x * 4; }
};

// False (and nothing to draw) for a null bitmap, no pixels or an empty size.
bool PIX_GetSurface(PIX_IBitmap* bmp, PIX_Surface* s, bool honourFlip = true);
