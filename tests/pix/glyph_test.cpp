// Coverage maps stamped in a colour: weights, clipping, orientation and the
// 1-bit form.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "pix_test_util.h"

namespace {

// A 5 x 3 map: full, partial and empty coverage.
const unsigned char kGlyph[15] = {255, 128, 0, 64, 255,  //
                                  1,   255, 200, 0, 30,  //
                                  0,   90,  255, 255, 7};
const uint32_t kColour = 0xC0FF8020;

// Each covered pixel combined at (c x ia) / 256 with the colour's four bytes
// (also at weight 0, which only the hue adjustment notices: it converts the
// pixel and takes the colour's alpha).
Image referenceStamp(const Image& dst, int x, int y, const unsigned char* cov, int w, int h,
                     int ia, int op) {
  Image out = dst;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const int c = cov[j * w + i];
      if (!c || x + i < 0 || y + j < 0 || x + i >= dst.w || y + j >= dst.h) continue;
      uint32_t& p = out.at(x + i, y + j);
      if (c * ia / 256 == 0 && op == PIX_OP_HSVADJ) PIX_HSVAdjustPixel((unsigned char*)&p, 0xFF, 0x80, 0x20, 0xC0, 0);
      else PIX_CombinePixels2(&p, 0xFF, 0x80, 0x20, 0xC0, c * ia / 256, op);
    }
  return out;
}

TEST(Glyph, StampsWithCoverageWeightsClippedAtEveryEdge) {
  const int pos[] = {-6, -5, -4, -2, 0, 1, 4, 6, 7, 8};
  for (bool flip : {false, true})
    for (int op = 0; op <= 5; ++op)
      for (int x : pos)
        for (int y : pos) {
          std::unique_ptr<PIX_IBitmap> b(flip ? (PIX_IBitmap*)new FlippedBitmap(8, 7)
                                              : new PIX_MemBitmap(8, 7, 4));
          fillPattern(b.get(), 40);
          const Image before = readImage(b.get());
          PIX_DrawGlyph(b.get(), x, y, kColour, kGlyph, 5, 3, 0.8f, op);
          ASSERT_EQ(firstDifference(readImage(b.get()),
                                    referenceStamp(before, x, y, kGlyph, 5, 3, 204, op)),
                    "")
              << x << "," << y << " op " << op << " flipped " << flip;
        }
}

TEST(Glyph, FullCoverageAtFullStrengthGivesTheColour) {
  PIX_MemBitmap b(5, 3, 4);
  fillPattern(&b, 41);
  const unsigned char full[15] = {255, 255, 255, 255, 255, 255, 255, 255,
                                  255, 255, 255, 255, 255, 255, 255};
  PIX_DrawGlyph(&b, 0, 0, kColour, full, 5, 3, 1.0f, 0);
  for (uint32_t p : readImage(&b).px) EXPECT_EQ(p, kColour);
}

TEST(Glyph, RowSpansBottomUpStorageAndRefusals) {
  // The same map with padded rows, and stored bottom-up.
  unsigned char padded[3 * 8], flippedRows[3 * 8];
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 8; ++i) {
      padded[j * 8 + i] = i < 5 ? kGlyph[j * 5 + i] : 99;
      flippedRows[(2 - j) * 8 + i] = padded[j * 8 + i];
    }
  PIX_MemBitmap a(9, 6, 4), b(9, 6, 4), c(9, 6, 4);
  fillPattern(&a, 42);
  PIX_Copy(&b, &a);
  PIX_Copy(&c, &a);
  PIX_DrawGlyph(&a, 2, 1, kColour, kGlyph, 5, 3, 0.6f, PIX_OP_ADD);
  PIX_DrawGlyphEx(&b, 2, 1, kColour, padded, 5, 8, 3, 0.6f, PIX_OP_ADD);
  PIX_DrawGlyphEx(&c, 2, 1, kColour, flippedRows, 5, -8, 3, 0.6f, PIX_OP_ADD);
  EXPECT_EQ(readImage(&b), readImage(&a));
  EXPECT_EQ(readImage(&c), readImage(&a));
  // Bottom-up storage clipped at the top skips the right rows.
  PIX_Copy(&b, &c);
  PIX_DrawGlyph(&b, 2, -1, kColour, kGlyph, 5, 3, 0.6f, 0);
  PIX_DrawGlyphEx(&c, 2, -1, kColour, flippedRows, 5, -8, 3, 0.6f, 0);
  EXPECT_EQ(readImage(&c), readImage(&b));

  const Image before = readImage(&a);
  PIX_DrawGlyph(&a, 2, 1, kColour, kGlyph, 5, 3, 0.0f, PIX_OP_ADD);
  PIX_DrawGlyph(&a, 2, 1, kColour, kGlyph, 5, 3, 1.0f, 6);
  PIX_DrawGlyph(&a, 2, 1, kColour, kGlyph, 5, 3, -1.0f, 0);
  PIX_DrawGlyph(&a, -5, 1, kColour, kGlyph, 5, 3, 1.0f, 0);
  PIX_DrawGlyph(&a, 9, 1, kColour, kGlyph, 5, 3, 1.0f, 0);
  PIX_DrawGlyph(&a, 2, 1, kColour, nullptr, 5, 3, 1.0f, 0);
  PIX_DrawGlyph(&a, 2, 1, kColour, kGlyph, -5, 3, 1.0f, 0);
  PIX_DrawGlyph(&a, 2, 1, kColour, kGlyph, 5, -3, 1.0f, 0);
  PIX_DrawGlyph(nullptr, 2, 1, kColour, kGlyph, 5, 3, 1.0f, 0);
  EXPECT_EQ(readImage(&a), before);
  // A negative weight reaches the other operators: add darkens.
  PIX_DrawGlyph(&a, 2, 1, 0xFFFFFFFF, kGlyph, 5, 3, -1.0f, PIX_OP_ADD);
  EXPECT_NE(readImage(&a), before);
}

TEST(Glyph, MonoBitsMostSignificantFirstSkippedBitByBitWhenClipped) {
  // 11 pixels a row in two bytes.
  const unsigned char bits[2 * 2] = {0xA5, 0xC0, 0x3F, 0x20};
  auto on = [&](int i, int j) { return (bits[j * 2 + (i >> 3)] >> (7 - (i & 7))) & 1; };
  for (int x : {-10, -3, -1, 0, 2, 5})
    for (bool flip : {false, true}) {
      std::unique_ptr<PIX_IBitmap> b(flip ? (PIX_IBitmap*)new FlippedBitmap(9, 4)
                                          : new PIX_MemBitmap(9, 4, 4));
      PIX_Clear(b.get(), 0x10101010);
      PIX_DrawMonoGlyph(b.get(), x, 1, 0xFF00FF00, bits, 11, 2, 2, 1.0f, 0);
      uint32_t hit = 0x10101010;
      PIX_CombinePixels2(&hit, 0, 255, 0, 255, 255, 0);
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 9; ++i) {
          const int gi = i - x, gj = j - 1;
          const bool set = gi >= 0 && gi < 11 && gj >= 0 && gj < 2 && on(gi, gj);
          EXPECT_EQ(PIX_GetPixel(b.get(), i, j), set ? hit : 0x10101010u)
              << "x " << x << " at " << i << "," << j << " flipped " << flip;
        }
    }
}

TEST(Glyph, StrayPlacementsStayInside) {
  std::vector<unsigned char> big(40 * 30, 200);
  for (bool flip : {false, true}) {
    FramedBitmap f(7, 5, flip);
    for (int x = -45; x <= 10; x += 3)
      for (int y = -35; y <= 8; y += 2) {
        PIX_DrawGlyph(&f, x, y, kColour, big.data(), 40, 30, 1.0f, x & 3);
        PIX_DrawMonoGlyph(&f, x, y, kColour, big.data(), 40, 5, 30, 0.5f, 0);
        PIX_DrawGlyphEx(&f, x, y, kColour, big.data(), 40, -40, 30, 0.5f, 1);
      }
    EXPECT_TRUE(f.frameIntact());
  }
}

}  // namespace
