// Combine operators: a table computed by an independent reference, and the
// exact values the pixel format fixes.

#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>

#include <fstream>
#include <sstream>
#include <string>

#include "pix.h"

namespace {

unsigned int argb(int a, int r, int g, int b) {
  return ((unsigned)a << 24) | ((unsigned)r << 16) | ((unsigned)g << 8) | (unsigned)b;
}

unsigned int combine2(unsigned int dest, int r, int g, int b, int a, int w, int mode) {
  PIX_CombinePixels2(&dest, r, g, b, a, w, mode);
  return dest;
}

unsigned int combineClamp(unsigned int dest, int r, int g, int b, int a, int w, int mode) {
  PIX_CombinePixels2Clamp(&dest, r, g, b, a, w, mode);
  return dest;
}

TEST(CombineOps, MatchTheReferenceTableForEveryOperatorAndWeight) {
  std::ifstream in(HB_TEST_DATA_DIR "/combine_ops.txt");
  ASSERT_TRUE(in) << "missing reference table";
  std::string line;
  int rows = 0;
  while (std::getline(in, line)) {
    unsigned int mode, dest, want;
    int w, r, g, b, a;
    ASSERT_EQ(sscanf(line.c_str(), "%x %d %x %d %d %d %d %x", &mode, &w, &dest, &r, &g, &b, &a,
                     &want),
              8)
        << line;
    ++rows;
    EXPECT_EQ(combine2(dest, r, g, b, a, w, (int)mode), want) << line;
    // The float entry point forms the same weight from w / 256 exactly.
    EXPECT_EQ(PIX_CombinePixels(dest, argb(a, r, g, b), (float)w / 256.0f, (int)mode), want)
        << line;
  }
  EXPECT_GT(rows, 1000);
}

TEST(CombineOps, FixedValuesOfThePixelFormat) {
  // Multiply by white at full weight: 255 becomes 254.
  EXPECT_EQ(combine2(0xFFFFFFFF, 255, 255, 255, 255, 256, PIX_OP_MUL), 0xFEFEFEFEu);
  // Add clamps every channel, alpha included.
  EXPECT_EQ(combine2(argb(200, 200, 10, 0), 100, 100, 100, 100, 256, PIX_OP_ADD),
            argb(255, 255, 110, 100));
  // Dodge with a divisor below 2: d x 256 clamped.
  EXPECT_EQ(combine2(argb(0, 1, 0, 200), 255, 255, 255, 255, 256, PIX_OP_DODGE),
            argb(0, 255, 0, 255));
  // Copy at full weight stores the source.
  EXPECT_EQ(PIX_CombinePixels(0x12345678, 0x9ABCDEF0, 1.0f, 0), 0x9ABCDEF0u);
  // Copy at 128 rounds toward zero per channel: s + (d - s) / 2.
  EXPECT_EQ(PIX_CombinePixels(argb(0, 0, 255, 3), argb(255, 255, 0, 0), 0.5f, 0),
            argb(128, 128, 127, 1));
  // Unknown operators and weight 0 leave the destination.
  EXPECT_EQ(PIX_CombinePixels(0x11223344, 0xFFFFFFFF, 1.0f, 6), 0x11223344u);
  EXPECT_EQ(PIX_CombinePixels(0x11223344, 0xFFFFFFFF, 1.0f, 0x10006), 0x11223344u);
  EXPECT_EQ(PIX_CombinePixels(0x11223344, 0xFFFFFFFF, 0.003f, 1), 0x11223344u);
}

TEST(CombineOps, SourceAlphaCopy) {
  // A = 0 leaves the destination, A = 255 at full weight replaces it opaque.
  EXPECT_EQ(PIX_CombinePixels(0x40102030, 0x00FFFFFF, 1.0f, 0x10000), 0x40102030u);
  EXPECT_EQ(PIX_CombinePixels(0x40102030, 0xFFA0B0C0, 1.0f, 0x10000), 0xFFA0B0C0u);
  // Partial alpha at full weight mixes by 255 - a (255 - 255 x 155 / 256,
  // toward zero) and only adds to alpha.
  EXPECT_EQ(PIX_CombinePixels(argb(200, 0, 0, 0), argb(100, 255, 255, 255), 1.0f, 0x10000),
            argb(255, 101, 101, 101));
  EXPECT_EQ(PIX_CombinePixels(argb(20, 0, 0, 0), argb(100, 255, 255, 255), 1.0f, 0x10000),
            argb(120, 101, 101, 101));
  // Half weight: ws = 101 x 128 / 256 = 50, 255 - 255 x 206 / 256 = 50.
  EXPECT_EQ(PIX_CombinePixels(argb(20, 0, 0, 0), argb(100, 255, 255, 255), 0.5f, 0x10000),
            argb(70, 50, 50, 50));
}

TEST(CombineOps, WordMixesDropTheLowBits) {
  unsigned int p = 0;
  _PIX_CombinePixelsHalfMixFAST::doPix(&p, 0xFFFFFFFF);
  EXPECT_EQ(p, 0x7F7F7F7Fu);
  p = 0xFFFFFFFF;
  _PIX_CombinePixelsQuarterMix2FAST::doPix(&p, _PIX_CombinePixelsQuarterMix2FAST::term(0));
  EXPECT_EQ(p, 0xBEBEBEBEu);  // 63 + 127
  p = 0;
  _PIX_CombinePixelsThreeQuarterMix2FAST::doPix(&p,
                                                 _PIX_CombinePixelsThreeQuarterMix2FAST::term(0xFFFFFFFF));
  EXPECT_EQ(p, 0xBEBEBEBEu);
}

TEST(CombineOps, HsvAdjustKeepsGreyAndHueWrapsWithinTheCircle) {
  for (int w : {1, 128, 256, 300, 1000})
    EXPECT_EQ(combine2(argb(9, 77, 77, 77), 128, 128, 128, 9, w, PIX_OP_HSVADJ),
              argb(9, 77, 77, 77))
        << w;
  // r = 255 shifts the hue by 190 x w / 256. At weight 774 that is 574, a
  // turn (384) more than at weight 256: the colour must come out the same.
  for (unsigned int dest : {argb(0, 200, 40, 10), argb(0, 10, 200, 90), argb(0, 30, 60, 220)}) {
    const unsigned int once = combine2(dest, 255, 128, 128, 255, 256, PIX_OP_HSVADJ);
    EXPECT_EQ(combine2(dest, 255, 128, 128, 255, 774, PIX_OP_HSVADJ), once) << std::hex << dest;
    // Likewise a backward shift of more than a turn (r = 0: -192 x w / 256).
    const unsigned int back = combine2(dest, 0, 128, 128, 255, 256, PIX_OP_HSVADJ);
    EXPECT_EQ(combine2(dest, 0, 128, 128, 255, 768, PIX_OP_HSVADJ), back) << std::hex << dest;
  }
}

TEST(CombineOps, ClampingVariantsHoldOutOfRangeOperands) {
  EXPECT_EQ(combineClamp(0, 300, -20, 128, 255, 256, 0), argb(255, 255, 0, 128));
  EXPECT_EQ(combineClamp(argb(0, 0, 0, 0), 600, 600, 600, 600, 128, 0), argb(255, 255, 255, 255));
  EXPECT_EQ(combineClamp(0xFFFFFFFF, -500, 1000, 255, 255, 256, PIX_OP_MUL),
            argb(254, 0, 255, 254));
  // Source-alpha copy at full weight with a = 255 clamps the colour.
  EXPECT_EQ(combineClamp(0, 999, -5, 77, 255, 256, 0x10000), argb(255, 255, 0, 77));
  // The plain variant keeps low bits instead.
  EXPECT_EQ(combine2(0, 300, 2, 3, 255, 256, 0), argb(255, 300 & 255, 2, 3));
}

TEST(CombineOps, ClampingVariantHoldsTheSourceAlphaCopyAndMultiply) {
  struct Case {
    unsigned int dest;
    int r, g, b, a, w, mode;
    unsigned int want;
  };
  const Case cases[] = {
      // Full weight, partial source alpha: -100 mixes to -51 and must not wrap.
      {0x00000000, -100, 300, 50, 128, 256, 0x10000, argb(128, 0, 152, 26)},
      // Full weight, source alpha beyond opaque: the colour is stored, clamped.
      {0x00000000, 400, -20, 10, 300, 256, 0x10000, argb(255, 255, 0, 10)},
      // Partial weight: ws = 129 x 200 / 256 = 100.
      {argb(0, 16, 32, 48), -100, 300, 50, 128, 200, 0x10000, argb(100, 0, 137, 49)},
      // Source-alpha multiply: 255 x 400 / 256 and 255 x -10 / 256 leave 0..255.
      {0xFFFFFFFF, 400, -10, 128, 255, 256, 0x10003, argb(254, 255, 0, 127)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(combineClamp(c.dest, c.r, c.g, c.b, c.a, c.w, c.mode), c.want)
        << std::hex << c.mode << " " << c.r << " " << c.a << " " << c.w;
}

TEST(CombineOps, HsvAdjustStoresTheSourceAlphaHeldInRange) {
  // The source alpha becomes the pixel's alpha; values past the byte range
  // are held at its ends instead of keeping their low bits (256 would give
  // a fully transparent pixel).
  const struct {
    int a;
    unsigned int alpha;
  } cases[] = {{0, 0}, {77, 77}, {255, 255}, {256, 255}, {300, 255}, {-5, 0}};
  for (const auto& c : cases) {
    const unsigned int grey = argb(9, 77, 77, 77);
    EXPECT_EQ(combine2(grey, 128, 128, 128, c.a, 256, PIX_OP_HSVADJ), (c.alpha << 24) | 0x4D4D4D)
        << c.a;
  }
}

TEST(CombineOps, WeightConversionTruncatesAndHoldsItsRange) {
  EXPECT_EQ(PIX_WeightD(1.0f), 256);
  EXPECT_EQ(PIX_WeightD(0.3f), 76);
  EXPECT_EQ(PIX_WeightF(0.3f), 76);
  EXPECT_EQ(PIX_WeightD(-0.3f), -76);
  EXPECT_EQ(PIX_WeightD(0.003f), 0);
  EXPECT_EQ(PIX_WeightD(NAN), 0);
  EXPECT_EQ(PIX_WeightD(1e30f), PIX_WEIGHT_LIMIT);
  EXPECT_EQ(PIX_WeightF(-INFINITY), -PIX_WEIGHT_LIMIT);
  // Extreme weights and operands run without overflow (sanitizer builds).
  for (int mode : {0, 1, 2, 3, 4, 5, 0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005}) {
    unsigned int d = 0x80808080;
    PIX_CombinePixels2(&d, 2147483647, -2147483647, 255, 2147483647, 2147483647, mode);
    PIX_CombinePixels2Clamp(&d, -2147483647, 2147483647, 0, 255, -2147483647, mode);
    (void)PIX_CombinePixels(d, 0xFFFFFFFF, 1e30f, mode);
  }
}

TEST(CombineOps, ReciprocalTable) {
  EXPECT_EQ(__PIX_RGB2HSV_invtab[0], 0);
  EXPECT_EQ(__PIX_RGB2HSV_invtab[1], 65535);
  EXPECT_EQ(__PIX_RGB2HSV_invtab[2], 32767);
  EXPECT_EQ(__PIX_RGB2HSV_invtab[3], 21844);
  EXPECT_EQ(__PIX_RGB2HSV_invtab[255], 256);
}

}  // namespace
