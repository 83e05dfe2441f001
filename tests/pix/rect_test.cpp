// Rectangle fills, masks, per-pixel operations, gradients and flood fill.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "pix_test_util.h"

namespace {

uint32_t halfMix(uint32_t d, uint32_t c) { return ((d >> 1) & 0x7f7f7f7f) + ((c >> 1) & 0x7f7f7f7f); }
uint32_t quarterMix(uint32_t d, uint32_t c) {  // a quarter of the colour
  return ((d >> 2) & 0x3f3f3f3f) + ((d >> 1) & 0x7f7f7f7f) + ((c >> 2) & 0x3f3f3f3f);
}
uint32_t threeQuarterMix(uint32_t d, uint32_t c) {
  return ((d >> 2) & 0x3f3f3f3f) + ((c >> 2) & 0x3f3f3f3f) + ((c >> 1) & 0x7f7f7f7f);
}

// One pixel of a solid fill at weight ia: the word mixes for the copy
// shortcuts, otherwise the operator with the weight as source alpha.
uint32_t fillPixel(uint32_t d, uint32_t c, int ia, int op) {
  if (op == 0 && ia == 256) return c;
  if (op == 0 && ia == 192) return threeQuarterMix(d, c);
  if (op == 0 && ia == 128) return halfMix(d, c);
  if (op == 0 && ia == 64) return quarterMix(d, c);
  PIX_CombinePixels2(&d, (c >> 16) & 255, (c >> 8) & 255, c & 255, ia, ia, op);
  return d;
}

TEST(FillRect, MatchesPerPixelCombinationClippedAtEveryEdge) {
  const int W = 9, H = 7;
  const int rects[][4] = {{-5, -5, 10, 10}, {0, 0, W, H},   {3, 2, 100, 100}, {-100, 3, 104, 2},
                          {W - 1, H - 1, 5, 5}, {W, 0, 3, 3}, {2, 2, 0, 4},    {2, 2, 3, -1},
                          {-2147483647, -2147483647, 2147483647, 2147483647}};
  const float alphas[] = {1.0f, 0.75f, 0.5f, 0.25f, 0.3f, 0.9f, 1.3f};
  for (bool flip : {false, true})
    for (int op = 0; op <= 6; ++op)
      for (float alpha : alphas)
        for (const auto& r : rects) {
          std::unique_ptr<PIX_IBitmap> b(flip ? (PIX_IBitmap*)new FlippedBitmap(W, H)
                                              : new PIX_MemBitmap(W, H, 4));
          fillPattern(b.get(), 9);
          Image want = readImage(b.get());
          const uint32_t color = 0x9C3A71E5;
          const int ia = (int)(alpha * 256.0);
          for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
              if (op <= 5 && x >= r[0] && y >= r[1] && (long long)x < (long long)r[0] + r[2] &&
                  (long long)y < (long long)r[1] + r[3])
                want.at(x, y) = fillPixel(want.at(x, y), color, ia, op);
          PIX_FillRect(b.get(), r[0], r[1], r[2], r[3], color, alpha, op);
          ASSERT_EQ(firstDifference(readImage(b.get()), want), "")
              << "op " << op << " alpha " << alpha << " rect " << r[0] << "," << r[1] << ","
              << r[2] << "," << r[3] << " flipped " << flip;
        }
}

TEST(FillRect, SourceAlphaAndFixedCases) {
  PIX_MemBitmap b(2, 1, 4);
  // Colour alpha 0x80 at alpha 1.0 gives weight 128: the half mix, alpha
  // byte included.
  b.getBits()[0] = 0x00000000;
  PIX_FillRect(&b, 0, 0, 1, 1, 0x80FF0000, 1.0f, 0x10000);
  EXPECT_EQ(b.getBits()[0], 0x407F0000u);
  // Alpha 0.3: c + (d - c) x 180 / 256 per channel, alpha source 76.
  b.getBits()[0] = 0xFFFFFFFF;
  PIX_FillRect(&b, 0, 0, 1, 1, 0x00000000, 0.3f, 0);
  // 255 x 180 / 256 = 179; alpha 76 + (255 - 76) x 180 / 256 = 201.
  EXPECT_EQ(b.getBits()[0], 0xC9B3B3B3u);
  // The source-alpha flag with a transparent colour draws nothing.
  b.getBits()[0] = 0x12345678;
  PIX_FillRect(&b, 0, 0, 2, 1, 0x00FFFFFF, 1.0f, 0x10000);
  EXPECT_EQ(b.getBits()[0], 0x12345678u);
  PIX_FillRect(nullptr, 0, 0, 2, 1, 0, 1.0f, 0);
}

TEST(FillRect, HsvAdjustFillsKeepAnOpaqueAlphaAtFullWeight) {
  // The fill's weight is the adjustment's source alpha: full weight (256)
  // gives alpha 255, like weight 255 does, for the solid and the gradient
  // fill.
  PIX_MemBitmap b(3, 1, 4);
  PIX_Clear(&b, 0x40336699);
  PIX_FillRect(&b, 0, 0, 1, 1, 0xFF808080, 1.0f, PIX_OP_HSVADJ);
  PIX_FillRect(&b, 1, 0, 1, 1, 0xFF808080, 255.0f / 256.0f, PIX_OP_HSVADJ);
  PIX_GradRect(&b, 2, 0, 1, 1, 0.5f, 0.5f, 0.5f, 1.0f, 0, 0, 0, 0, 0, 0, 0, 0, PIX_OP_HSVADJ);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(PIX_GetPixel(&b, x, 0) >> 24, 255u) << x;
  // Half weight: alpha 128 as before.
  PIX_FillRect(&b, 0, 0, 1, 1, 0xFF808080, 0.5f, PIX_OP_HSVADJ);
  EXPECT_EQ(PIX_GetPixel(&b, 0, 0) >> 24, 128u);
}

TEST(PutPixel, WeightsShortcutsAndBounds) {
  FlippedBitmap b(3, 2);
  PIX_Clear(&b, 0x80808080);
  // The source-alpha flag is ignored.
  PIX_PutPixel(&b, 1, 0, 0x00ABCDEF, 1.0f, 0x10000);
  EXPECT_EQ(PIX_GetPixel(&b, 1, 0), 0x00ABCDEFu);
  EXPECT_EQ(b.getBits()[4 + 1], 0x00ABCDEFu);  // memory row 1 (span 4)
  PIX_PutPixel(&b, 0, 0, 0xFFFFFFFF, 0.25f, 0);
  EXPECT_EQ(PIX_GetPixel(&b, 0, 0), quarterMix(0x80808080, 0xFFFFFFFF));
  // Other weights blend all four channels with the colour's own alpha.
  PIX_PutPixel(&b, 2, 1, 0x40FF0000, 0.4f, 0);
  uint32_t want = 0x80808080;
  PIX_CombinePixels2(&want, 255, 0, 0, 0x40, 102, 0);
  EXPECT_EQ(PIX_GetPixel(&b, 2, 1), want);
  PIX_PutPixel(&b, 0, 1, 0x10101010, 1.0f, PIX_OP_ADD);
  EXPECT_EQ(PIX_GetPixel(&b, 0, 1), 0x90909090u);
  const Image before = readImage(&b);
  PIX_PutPixel(&b, -1, 0, 0, 1.0f, 0);
  PIX_PutPixel(&b, 3, 0, 0, 1.0f, 0);
  PIX_PutPixel(&b, 0, 2, 0, 1.0f, 0);
  PIX_PutPixel(&b, 0, 0, 0, 1.0f, 6);
  PIX_PutPixel(&b, 0, 0, 0, 0.001f, 0);
  PIX_PutPixel(&b, 0, 0, 0, -1.0f, 0);
  EXPECT_EQ(readImage(&b), before);
  EXPECT_EQ(PIX_GetPixel(&b, 3, 0), 0u);
  EXPECT_EQ(PIX_GetPixel(&b, -1, 0), 0u);
  EXPECT_EQ(PIX_GetPixel(nullptr, 0, 0), 0u);
}

TEST(RectOps, ClearMultiplyAddAndProcess) {
  PIX_MemBitmap b(5, 3, 4);  // row span 8
  for (int i = 0; i < 24; ++i) b.getBits()[i] = 0xDEADBEEF;
  PIX_Clear(&b, 0x11223344);
  EXPECT_EQ(b.getBits()[4], 0x11223344u);
  EXPECT_EQ(b.getBits()[5], 0xDEADBEEFu);  // padding past the width
  PIX_ClearRect(&b, 1, 1, 2, 5, 0x00FFFFFF, 0);
  EXPECT_EQ(PIX_GetPixel(&b, 1, 1), 0x00223344u);
  EXPECT_EQ(PIX_GetPixel(&b, 2, 2), 0x00223344u);
  EXPECT_EQ(PIX_GetPixel(&b, 3, 1), 0x11223344u);
  PIX_ClearRect(&b, 0, 0, 1, 1, 0, 0xCAFEBABE);
  EXPECT_EQ(PIX_GetPixel(&b, 0, 0), 0xCAFEBABEu);

  PIX_Clear(&b, 0x80C04010);
  PIX_MultiplyAddRect(&b, 0, 0, 5, 3, 1, 1, 1, 1, 0, 0, 0, 0);
  EXPECT_EQ(PIX_GetPixel(&b, 4, 2), 0x80C04010u);
  PIX_MultiplyAddRect(&b, 0, 0, 1, 1, 2, 2, 2, 1, 0, 0, 0, 0);
  EXPECT_EQ(PIX_GetPixel(&b, 0, 0), 0x80FF8020u);
  PIX_MultiplyAddRect(&b, 1, 0, 1, 1, 1, 0.5f, 1, 1, -200, 0, 10, 100);
  EXPECT_EQ(PIX_GetPixel(&b, 1, 0), 0xE400201Au);

  // Row by row in memory order; a flipped bitmap from its bottom row.
  FlippedBitmap f(3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) *pixelAt(&f, x, y) = (uint32_t)(y * 10 + x);
  std::vector<uint32_t> seen;
  PIX_ProcessRect(&f, 1, -1, 5, 3, [](unsigned int* p, void* parm) {
    ((std::vector<uint32_t>*)parm)->push_back(*p);
    *p = 0;
  }, &seen);
  EXPECT_EQ(seen, (std::vector<uint32_t>{11, 12, 1, 2}));
  EXPECT_EQ(PIX_GetPixel(&f, 1, 1), 0u);
  EXPECT_EQ(PIX_GetPixel(&f, 0, 1), 10u);
  PIX_ProcessRect(&f, 0, 0, 3, 3, nullptr, nullptr);
}

TEST(GradRect, SixteenSixteenSteppingAndClipping) {
  PIX_MemBitmap b(4, 2, 4);
  PIX_Clear(&b, 0);
  // A constant colour at full weight stores it (alpha 256 clamps to 255).
  PIX_GradRect(&b, 0, 0, 4, 2, 0.5f, 0.25f, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(PIX_GetPixel(&b, 3, 1), 0xFF7F3FFFu);
  // Red rises by 0.25 x 255 per pixel (16.16 truncated), clamped at 255.
  PIX_GradRect(&b, 0, 0, 4, 1, 0, 0, 0, 1, 0.25f, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(PIX_GetPixel(&b, 0, 0), 0xFF000000u);
  EXPECT_EQ(PIX_GetPixel(&b, 1, 0), 0xFF3F0000u);  // 63.75
  EXPECT_EQ(PIX_GetPixel(&b, 2, 0), 0xFF7F0000u);  // 127.5
  EXPECT_EQ(PIX_GetPixel(&b, 3, 0), 0xFFBF0000u);  // 191.25
  // Unknown operators draw nothing.
  const Image before = readImage(&b);
  PIX_GradRect(&b, 0, 0, 4, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 6);
  EXPECT_EQ(readImage(&b), before);

  // Starting above and left of the bitmap continues the gradient as if the
  // hidden part had been drawn; a flipped bitmap shows the same picture.
  for (int op = 0; op <= 5; ++op) {
    PIX_MemBitmap big(12, 9, 4), small(9, 7, 4);
    FlippedBitmap flipped(9, 7);
    fillPattern(&big, 11);
    PIX_Blit(&small, &big, -3, -2, (const RECT*)nullptr, 1.0f, 0);
    PIX_Copy(&flipped, &small);
    const float g[] = {0.1f, 0.9f, 0.3f, 0.2f, 0.07f, -0.1f, 0.05f, 0.11f, -0.03f, 0.08f, 0.02f, -0.04f};
    PIX_GradRect(&big, 0, 0, 11, 8, g[0], g[1], g[2], g[3], g[4], g[5], g[6], g[7], g[8], g[9],
                 g[10], g[11], op);
    PIX_GradRect(&small, -3, -2, 11, 8, g[0], g[1], g[2], g[3], g[4], g[5], g[6], g[7], g[8], g[9],
                 g[10], g[11], op);
    PIX_GradRect(&flipped, -3, -2, 11, 8, g[0], g[1], g[2], g[3], g[4], g[5], g[6], g[7], g[8],
                 g[9], g[10], g[11], op);
    PIX_MemBitmap crop(9, 7, 4);
    PIX_Blit(&crop, &big, -3, -2, (const RECT*)nullptr, 1.0f, 0);
    EXPECT_EQ(firstDifference(readImage(&small), readImage(&crop)), "") << op;
    EXPECT_EQ(firstDifference(readImage(&flipped), readImage(&crop)), "") << op;
  }
  // Absurd gradients run without overflow.
  PIX_GradRect(&b, -2147483647, -2147483647, 2147483647, 2147483647, 1e30f, -1e30f, 1, 1, 1e30f,
               1e30f, -1e30f, 1e30f, 1e30f, 1e30f, 1e30f, -1e30f, 0);
}

TEST(RectOps, AlphaFromColourMask) {
  PIX_MemBitmap b(3, 1, 4);
  b.getBits()[0] = 0x12FF00FF;
  b.getBits()[1] = 0x00FF00FE;
  b.getBits()[2] = 0xFFFF00FF;
  PIX_SetAlphaFromColorMask(&b, 0xFF00FF);
  EXPECT_EQ(b.getBits()[0], 0x00FF00FFu);
  EXPECT_EQ(b.getBits()[1], 0xFFFF00FEu);
  EXPECT_EQ(b.getBits()[2], 0x00FF00FFu);
  // A colour with a top byte never matches: everything becomes opaque.
  PIX_SetAlphaFromColorMask(&b, 0x01FF00FF);
  EXPECT_EQ(b.getBits()[0], 0xFFFF00FFu);
}

TEST(SimpleFill, FillsRunsUntilTheSeedColumnStopsMatching) {
  // A U opening upwards: arms at columns 1 and 5, bottom row 4.
  const char* rows[] = {".#...#.", ".#...#.", ".#...#.", ".#...#.", ".#####.", "......."};
  PIX_MemBitmap b(7, 6, 4);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) *pixelAt(&b, x, y) = rows[y][x] == '#' ? 0xFF000001 : 0xFF000000;
  PIX_SimpleFill(&b, 3, 0, 0x00ABCD00, 0x00FFFFFF, 0xFF000000);  // inside the U
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) {
      const bool inside = y < 4 && x > 1 && x < 5;
      const uint32_t want = rows[y][x] == '#' ? 0xFF000001 : inside ? 0xFFABCD00 : 0xFF000000;
      EXPECT_EQ(PIX_GetPixel(&b, x, y), want) << x << "," << y;
    }
  // Seeded in the left arm it fills that arm and the bottom's run, never
  // climbing the right arm.
  PIX_SimpleFill(&b, 1, 2, 0x00000002, 0xFFFFFFFF, 0xFF000000);
  for (int y = 0; y < 6; ++y) {
    EXPECT_EQ(PIX_GetPixel(&b, 1, y), y < 5 ? 0xFF000002u : 0xFF000000u) << y;
    EXPECT_EQ(PIX_GetPixel(&b, 5, y), y < 4 ? 0xFF000001u : y == 4 ? 0xFF000002u : 0xFF000000u)
        << y;
  }
  // Outside seeds and null bitmaps do nothing.
  PIX_SimpleFill(&b, 7, 0, 0, 0, 0);
  PIX_SimpleFill(&b, 0, -1, 0, 0, 0);
  PIX_SimpleFill(nullptr, 0, 0, 0, 0, 0);
}

}  // namespace
