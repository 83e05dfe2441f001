#pragma once

// Helpers of the raster library tests: flipped bitmaps, deterministic
// contents, pixels read as presented.

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "pix.h"

// A heap bitmap whose memory row 0 is the bottom image row.
class FlippedBitmap : public PIX_MemBitmap {
 public:
  FlippedBitmap(int w, int h) : PIX_MemBitmap(w, h, 4) {}
  bool isFlipped() override { return true; }
};

// Pixels as presented (row 0 at the top), row by row.
struct Image {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  Image() {}
  Image(int w_, int h_, uint32_t fill = 0) : w(w_), h(h_), px((size_t)w_ * h_, fill) {}
  uint32_t& at(int x, int y) { return px[(size_t)y * w + x]; }
  uint32_t at(int x, int y) const { return px[(size_t)y * w + x]; }
  bool operator==(const Image& o) const { return w == o.w && h == o.h && px == o.px; }
  bool operator!=(const Image& o) const { return !(*this == o); }
};

// A heap bitmap, flipped or not.
std::unique_ptr<PIX_IBitmap> makeBitmap(int w, int h, bool flipped);

// Pointer to pixel (x, y) as presented.
uint32_t* pixelAt(PIX_IBitmap* b, int x, int y);
Image readImage(PIX_IBitmap* b);
void writeImage(PIX_IBitmap* b, const Image& img);
// Deterministic, varied contents (all four bytes).
Image patternImage(int w, int h, uint32_t seed);
void fillPattern(PIX_IBitmap* b, uint32_t seed);
// The first difference, for failure messages ("" when equal).
std::string firstDifference(const Image& got, const Image& want);
// Positions of the pixels that differ from `background`.
std::vector<std::pair<int, int>> changed(const Image& img, uint32_t background);

// A bitmap over the inside of a larger one, with a frame of `border` pixels
// kept at a known colour: any write outside the bitmap shows in the frame.
class FramedBitmap : public PIX_IBitmap {
 public:
  FramedBitmap(int w, int h, bool flipped, int border = 3);
  unsigned int* getBits() override;
  int getWidth() override { return w_; }
  int getHeight() override { return h_; }
  int getRowSpan() override { return backing_.getRowSpan(); }
  bool isFlipped() override { return flipped_; }
  bool resize(int, int) override { return false; }
  bool frameIntact();

 private:
  PIX_MemBitmap backing_;
  int w_, h_, border_;
  bool flipped_;
};
