#include "pix_test_util.h"

#include <stdio.h>

std::unique_ptr<PIX_IBitmap> makeBitmap(int w, int h, bool flipped) {
  if (flipped) return std::unique_ptr<PIX_IBitmap>(new FlippedBitmap(w, h));
  return std::unique_ptr<PIX_IBitmap>(new PIX_MemBitmap(w, h, 4));
}

uint32_t* pixelAt(PIX_IBitmap* b, int x, int y) {
  const int row = b->isFlipped() ? b->getHeight() - 1 - y : y;
  return b->getBits() + (size_t)row * b->getRowSpan() + x;
}

Image readImage(PIX_IBitmap* b) {
  Image img(b->getWidth(), b->getHeight());
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) img.at(x, y) = *pixelAt(b, x, y);
  return img;
}

void writeImage(PIX_IBitmap* b, const Image& img) {
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) *pixelAt(b, x, y) = img.at(x, y);
}

Image patternImage(int w, int h, uint32_t seed) {
  Image img(w, h);
  uint32_t s = seed * 2654435761u + 12345u;
  for (uint32_t& p : img.px) {
    s = s * 1664525u + 1013904223u;
    p = s ^ (s >> 13);
  }
  return img;
}

void fillPattern(PIX_IBitmap* b, uint32_t seed) {
  writeImage(b, patternImage(b->getWidth(), b->getHeight(), seed));
}

std::string firstDifference(const Image& got, const Image& want) {
  char buf[160];
  if (got.w != want.w || got.h != want.h) {
    snprintf(buf, sizeof buf, "size %dx%d, want %dx%d", got.w, got.h, want.w, want.h);
    return buf;
  }
  for (int y = 0; y < got.h; ++y)
    for (int x = 0; x < got.w; ++x)
      if (got.at(x, y) != want.at(x, y)) {
        snprintf(buf, sizeof buf, "(%d, %d): %08x, want %08x", x, y, got.at(x, y), want.at(x, y));
        return buf;
      }
  return "";
}

std::vector<std::pair<int, int>> changed(const Image& img, uint32_t background) {
  std::vector<std::pair<int, int>> out;
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x)
      if (img.at(x, y) != background) out.push_back({x, y});
  return out;
}

namespace {
const uint32_t kFrame = 0x5A5A5A5A;
}

FramedBitmap::FramedBitmap(int w, int h, bool flipped, int border)
    : backing_(w + 2 * border, h + 2 * border, 1), w_(w), h_(h), border_(border),
      flipped_(flipped) {
  PIX_Clear(&backing_, kFrame);
  PIX_FillRect(&backing_, border, border, w, h, 0, 1.0f, 0);
}

unsigned int* FramedBitmap::getBits() {
  return backing_.getBits() + (size_t)border_ * backing_.getRowSpan() + border_;
}

bool FramedBitmap::frameIntact() {
  for (int y = 0; y < backing_.getHeight(); ++y)
    for (int x = 0; x < backing_.getWidth(); ++x) {
      const bool inside = x >= border_ && y >= border_ && x < border_ + w_ && y < border_ + h_;
      if (!inside && PIX_GetPixel(&backing_, x, y) != kFrame) return false;
    }
  return true;
}
