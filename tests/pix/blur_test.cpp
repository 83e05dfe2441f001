// Blur, half-size copy and bitmap comparison.

#include <gtest/gtest.h>

#include <memory>

#include "pix_test_util.h"

namespace {

uint32_t h2(uint32_t x) { return (x >> 1) & 0x7f7f7f7f; }
uint32_t h4(uint32_t x) { return (x >> 2) & 0x3f3f3f3f; }
uint32_t h8(uint32_t x) { return (x >> 3) & 0x1f1f1f1f; }

// The kernel on a w x h block (top-left (sx, sy) of src) written at
// (dx, dy), straight from its definition.
Image referenceBlur(const Image& dst, const Image& src, int dx, int dy, int sx, int sy, int w,
                    int h) {
  Image out = dst;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto s = [&](int i, int j) { return src.at(sx + i, sy + j); };
      uint32_t v = h2(s(x, y));
      v += x == 0 ? h4(s(x + 1, y)) : x == w - 1 ? h4(s(x - 1, y)) : h8(s(x - 1, y)) + h8(s(x + 1, y));
      v += y == 0 ? h4(s(x, y + 1)) : y == h - 1 ? h4(s(x, y - 1)) : h8(s(x, y - 1)) + h8(s(x, y + 1));
      out.at(dx + x, dy + y) = v;
    }
  return out;
}

TEST(Blur, KernelEdgesAndClipping) {
  PIX_MemBitmap src(10, 8, 4), dst(12, 9, 4);
  fillPattern(&src, 21);
  fillPattern(&dst, 22);
  const Image s = readImage(&src), d = readImage(&dst);
  PIX_Blur(&dst, &src, 1, 2, 2, 1, 6, 5);
  EXPECT_EQ(firstDifference(readImage(&dst), referenceBlur(d, s, 1, 2, 2, 1, 6, 5)), "");

  // Source cut at its edges (without moving the destination), destination
  // clipping moving the source start.
  fillPattern(&dst, 22);
  PIX_Blur(&dst, &src, 4, 3, -3, 5, 20, 20);  // source {0, 5, 10, 8}
  EXPECT_EQ(firstDifference(readImage(&dst), referenceBlur(d, s, 4, 3, 0, 5, 8, 3)), "");
  fillPattern(&dst, 22);
  PIX_Blur(&dst, &src, -2, -1, 0, 0, 10, 8);
  EXPECT_EQ(firstDifference(readImage(&dst), referenceBlur(d, s, 0, 0, 2, 1, 8, 7)), "");

  // White blurs to 0xFB in the interior (127 + 4 x 31), to 127 + 2 x 63 at
  // the corners.
  PIX_Clear(&src, 0xFFFFFFFF);
  PIX_Blur(&dst, &src, 0, 0, 0, 0, 10, 8);
  EXPECT_EQ(PIX_GetPixel(&dst, 4, 4), 0xFBFBFBFBu);
  EXPECT_EQ(PIX_GetPixel(&dst, 0, 0), 0xFDFDFDFDu);
  EXPECT_EQ(PIX_GetPixel(&dst, 0, 4), 0xFCFCFCFCu);

  // Rectangles narrower or lower than 2 pixels are left alone.
  fillPattern(&dst, 22);
  PIX_Blur(&dst, &src, 0, 0, 3, 0, 1, 8);
  PIX_Blur(&dst, &src, 0, 0, 0, 7, 10, 4);
  PIX_Blur(&dst, &src, 11, 0, 0, 0, 10, 8);
  PIX_Blur(nullptr, &src, 0, 0, 0, 0, 10, 8);
  EXPECT_EQ(readImage(&dst), d);
}

TEST(Blur, SameBitmapReadsAnUntouchedSource) {
  for (bool flip : {false, true})
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx) {
        std::unique_ptr<PIX_IBitmap> b(flip ? (PIX_IBitmap*)new FlippedBitmap(11, 9)
                                            : new PIX_MemBitmap(11, 9, 4));
        fillPattern(b.get(), 23);
        const Image before = readImage(b.get());
        PIX_Blur(b.get(), b.get(), 3 + dx, 2 + dy, 3, 2, 6, 5);
        EXPECT_EQ(firstDifference(readImage(b.get()),
                                  referenceBlur(before, before, 3 + dx, 2 + dy, 3, 2, 6, 5)),
                  "")
            << dx << "," << dy << " flipped " << flip;
      }
}

TEST(HalveBlit, AveragesTwoByTwoBlocks) {
  PIX_MemBitmap src(5, 5, 4), dst(4, 4, 4);
  PIX_Clear(&dst, 0x12345678);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) *pixelAt(&src, x, y) = (uint32_t)(0x04040404 * (x + 5 * y));
  PIX_HalveBlitAA(&dst, &src);
  // 2 x 2 written; each byte (v >> 2) summed over the block.
  EXPECT_EQ(PIX_GetPixel(&dst, 0, 0), 0x0C0C0C0Cu);  // (0 + 4 + 20 + 24) / 4
  EXPECT_EQ(PIX_GetPixel(&dst, 1, 1), 0x3C3C3C3Cu);  // (48 + 52 + 68 + 72) / 4 = 60
  EXPECT_EQ(PIX_GetPixel(&dst, 2, 0), 0x12345678u);
  EXPECT_EQ(PIX_GetPixel(&dst, 0, 2), 0x12345678u);
  // Low bits are dropped before the sum.
  PIX_Clear(&src, 0xFFFFFFFF);
  PIX_HalveBlitAA(&dst, &src);
  EXPECT_EQ(PIX_GetPixel(&dst, 1, 0), 0xFCFCFCFCu);
  PIX_HalveBlitAA(nullptr, &src);
}

TEST(BitmapCmp, OrderMaskAndBoundingBox) {
  PIX_MemBitmap a(10, 10, 4), b(10, 10, 4), c(7, 10, 4), d(10, 12, 4);
  fillPattern(&a, 30);
  PIX_Copy(&b, &a);
  int box[4] = {9, 9, 9, 9};
  EXPECT_EQ(PIX_BitmapCmp(&a, &b, nullptr), 0);
  EXPECT_EQ(PIX_BitmapCmp(&a, &b, box), 0);
  EXPECT_EQ(box[0] | box[1] | box[2] | box[3], 0);
  EXPECT_EQ(PIX_BitmapCmp(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(PIX_BitmapCmp(nullptr, &a, nullptr), -1);
  EXPECT_EQ(PIX_BitmapCmp(&a, nullptr, nullptr), 1);
  EXPECT_EQ(PIX_BitmapCmp(&a, &c, nullptr), -3);
  EXPECT_EQ(PIX_BitmapCmp(&a, &d, nullptr), 2);

  *pixelAt(&b, 3, 4) ^= 0x01000000;
  EXPECT_EQ(PIX_BitmapCmpEx(&a, &b, 0x00FFFFFF, nullptr), 0);
  EXPECT_EQ(PIX_BitmapCmpEx(&a, &b, 0xFF000000, nullptr), 1);
  EXPECT_NE(PIX_BitmapCmp(&a, &b, nullptr), 0);
  *pixelAt(&b, 6, 2) = *pixelAt(&a, 6, 2) + 1;
  EXPECT_EQ(PIX_BitmapCmp(&a, &b, box), 1);
  EXPECT_EQ(box[0], 3);
  EXPECT_EQ(box[1], 2);
  EXPECT_EQ(box[2], 4);
  EXPECT_EQ(box[3], 3);
  // The first differing byte decides the sign.
  PIX_Copy(&b, &a);
  *pixelAt(&a, 0, 0) = 0x00000010;
  *pixelAt(&b, 0, 0) = 0x00000020;
  EXPECT_LT(PIX_BitmapCmp(&a, &b, nullptr), 0);
  EXPECT_GT(PIX_BitmapCmp(&b, &a, nullptr), 0);
  // A flipped bitmap compares as presented.
  FlippedBitmap f(10, 10);
  writeImage(&f, readImage(&a));
  EXPECT_EQ(PIX_BitmapCmp(&a, &f, nullptr), 0);
}

}  // namespace
