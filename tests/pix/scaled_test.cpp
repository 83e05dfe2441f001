// Scaled blits: nearest, bilinear and averaging sampling against the
// committed reference table (make_scaled_reference.py), mirroring, clipping
// at every edge, flipped bitmaps, one bitmap drawn onto itself and bad input.

#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pix_test_util.h"

namespace {

struct ScaledCase {
  Image src;
  int dw, dh, dstx, dsty, dstw, dsth, filter;
  float srcx, srcy, srcw, srch;
  std::vector<std::string> want;  // per destination pixel: hex colour or "-"
  std::string name() const {
    std::ostringstream o;
    o << "dest " << dstx << "," << dsty << " " << dstw << "x" << dsth << " src " << srcx << ","
      << srcy << " " << srcw << "x" << srch << " filter " << filter;
    return o.str();
  }
};

std::vector<ScaledCase> loadCases() {
  std::ifstream in(HB_TEST_DATA_DIR "/scaled_blit.txt");
  std::vector<ScaledCase> cases;
  Image src;
  std::string word;
  while (in >> word) {
    if (word == "src") {
      int w, h;
      in >> w >> h;
      src = Image(w, h);
      for (uint32_t& p : src.px) {
        in >> word;
        p = (uint32_t)strtoul(word.c_str(), nullptr, 16);
      }
    } else if (word == "case") {
      ScaledCase c;
      std::string f[4];
      in >> c.dw >> c.dh >> c.dstx >> c.dsty >> c.dstw >> c.dsth >> f[0] >> f[1] >> f[2] >> f[3] >>
          c.filter;
      c.srcx = strtof(f[0].c_str(), nullptr);
      c.srcy = strtof(f[1].c_str(), nullptr);
      c.srcw = strtof(f[2].c_str(), nullptr);
      c.srch = strtof(f[3].c_str(), nullptr);
      c.src = src;
      c.want.resize((size_t)c.dw * c.dh);
      for (std::string& t : c.want) in >> t;
      cases.push_back(c);
    }
  }
  return cases;
}

// The destination a case must leave: each sampled colour combined into the
// destination pixel by the operator of (alpha, mode).
Image expected(const ScaledCase& c, const Image& dest, float alpha, int mode, bool wordHalfMix) {
  Image out = dest;
  const int weight = PIX_WeightD(alpha);
  for (size_t i = 0; i < c.want.size(); ++i) {
    if (c.want[i] == "-") continue;
    const uint32_t s = (uint32_t)strtoul(c.want[i].c_str(), nullptr, 16);
    uint32_t d = out.px[i];
    if (wordHalfMix)
      d = ((d >> 1) & 0x7f7f7f7fu) + ((s >> 1) & 0x7f7f7f7fu);
    else
      PIX_CombinePixels2(&d, PIX_GETR(s), PIX_GETG(s), PIX_GETB(s), PIX_GETA(s), weight, mode);
    out.px[i] = d;
  }
  return out;
}

TEST(ScaledBlit, MatchesTheReferenceTable) {
  const std::vector<ScaledCase> cases = loadCases();
  ASSERT_EQ(cases.size(), 42u);
  const struct {
    float alpha;
    int mode;
  } ops[] = {{1.0f, 0}, {0.5f, 0}, {0.6f, PIX_OP_ADD}, {1.0f, PIX_USE_SOURCE_ALPHA},
             {0.3f, PIX_OP_MUL | PIX_USE_SOURCE_ALPHA}, {0.7f, 0}};
  for (const ScaledCase& c : cases)
    for (const auto& op : ops) {
      // The half-strength plain copy mixes whole words; with bilinear
      // sampling it is the per-channel copy at weight 128 (the word mix only
      // where the same-size shortcut hands the call to the unscaled blit,
      // which the table's cases avoid at that weight).
      if (op.alpha == 0.5f && c.filter) continue;
      PIX_MemBitmap src(c.src.w, c.src.h, 4), dst(c.dw, c.dh, 4);
      writeImage(&src, c.src);
      fillPattern(&dst, 11);
      const Image before = readImage(&dst);
      PIX_ScaledBlit(&dst, &src, c.dstx, c.dsty, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch,
                     op.alpha, op.mode | c.filter);
      const bool half = op.alpha == 0.5f && op.mode == 0;
      ASSERT_EQ(firstDifference(readImage(&dst), expected(c, before, op.alpha, op.mode, half)), "")
          << c.name() << " alpha " << op.alpha << " mode " << op.mode;
      ASSERT_EQ(readImage(&src), c.src);
    }
}

TEST(ScaledBlit, FlippedBitmapsDrawAsPresented) {
  const std::vector<ScaledCase> cases = loadCases();
  for (const ScaledCase& c : cases)
    for (bool sflip : {false, true})
      for (bool dflip : {false, true}) {
        auto src = makeBitmap(c.src.w, c.src.h, sflip);
        auto dst = makeBitmap(c.dw, c.dh, dflip);
        writeImage(src.get(), c.src);
        fillPattern(dst.get(), 12);
        const Image before = readImage(dst.get());
        PIX_ScaledBlit(dst.get(), src.get(), c.dstx, c.dsty, c.dstw, c.dsth, c.srcx, c.srcy,
                       c.srcw, c.srch, 1.0f, c.filter);
        ASSERT_EQ(firstDifference(readImage(dst.get()), expected(c, before, 1.0f, 0, false)), "")
            << c.name() << " flips " << sflip << dflip;
      }
}

// The rectangle (x0, y0, w, h) of an image turned left to right (and/or
// top to bottom).
Image mirror(const Image& img, int x0, int y0, int w, int h, bool mx, bool my) {
  Image out = img;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      out.at(x0 + i, y0 + j) = img.at(x0 + (mx ? w - 1 - i : i), y0 + (my ? h - 1 - j : j));
  return out;
}

// With steps that are exact in binary, a negative size draws exactly the
// mirror image of the upright blit, in the same rectangle.
TEST(ScaledBlit, NegativeSizesDrawTheExactMirrorImage) {
  PIX_MemBitmap src(12, 10, 4);
  fillPattern(&src, 13);
  const struct {
    int x, y, w, h;
    float sx, sy, sw, sh;
  } rects[] = {{2, 1, 8, 6, 1, 2, 4, 3},             // 2x
               {1, 2, 12, 8, 0.25f, 1.5f, 3, 2},      // 4x from between pixels
               {3, 3, 6, 4, 0.5f, 0, 9, 6},           // reduced by 1.5
               {0, 0, 16, 14, 4, 3, 8, 7}};           // 2x, to the bitmap's edges
  for (int filter : {0, PIX_FILTER_BILINEAR})
    for (const auto& r : rects) {
      PIX_MemBitmap up(16, 14, 4), mx(16, 14, 4), my(16, 14, 4), mxy(16, 14, 4);
      for (PIX_IBitmap* b : {(PIX_IBitmap*)&up, (PIX_IBitmap*)&mx, (PIX_IBitmap*)&my,
                             (PIX_IBitmap*)&mxy})
        fillPattern(b, 14);
      PIX_ScaledBlit(&up, &src, r.x, r.y, r.w, r.h, r.sx, r.sy, r.sw, r.sh, 1.0f, filter);
      PIX_ScaledBlit(&mx, &src, r.x + r.w, r.y, -r.w, r.h, r.sx, r.sy, r.sw, r.sh, 1.0f, filter);
      PIX_ScaledBlit(&my, &src, r.x, r.y + r.h, r.w, -r.h, r.sx, r.sy, r.sw, r.sh, 1.0f, filter);
      PIX_ScaledBlit(&mxy, &src, r.x + r.w, r.y + r.h, -r.w, -r.h, r.sx, r.sy, r.sw, r.sh, 1.0f,
                     filter);
      const Image want = readImage(&up);
      EXPECT_EQ(firstDifference(readImage(&mx), mirror(want, r.x, r.y, r.w, r.h, true, false)), "")
          << "x, rect " << r.x << " filter " << filter;
      EXPECT_EQ(firstDifference(readImage(&my), mirror(want, r.x, r.y, r.w, r.h, false, true)), "")
          << "y, rect " << r.x << " filter " << filter;
      EXPECT_EQ(firstDifference(readImage(&mxy), mirror(want, r.x, r.y, r.w, r.h, true, true)), "")
          << "xy, rect " << r.x << " filter " << filter;
    }
}

Image crop(const Image& img, int x0, int y0, int w, int h) {
  Image out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.at(x, y) = img.at(x0 + x, y0 + y);
  return out;
}

// A blit cut by any edge of the destination draws the pixels of the uncut
// blit that remain: drawn into a window of a larger bitmap it matches the
// larger bitmap's drawing there. Steps exact in binary keep positions equal.
TEST(ScaledBlit, ClippingAtEveryEdgeKeepsTheUncutPixels) {
  PIX_MemBitmap src(12, 10, 4);
  fillPattern(&src, 15);
  const struct {
    int w, h;
    float sx, sy, sw, sh;
  } rects[] = {{16, 12, 1, 1, 8, 6},        // 2x
               {12, 10, 0.5f, 0.25f, 6, 5},  // 2x from between pixels
               {8, 8, 0, 0, 12, 10},         // reduced by 1.5 and 1.25
               {6, 5, 0, 0, 12, 10},         // 2x reduction: averaging
               {-12, 10, 1, 1, 6, 5},        // mirrored
               {12, -10, 1, 1, 6, 5}};
  const int bigW = 30, bigH = 26, at = 9;  // the rectangle's corner in the big bitmap
  for (int filter : {0, PIX_FILTER_BILINEAR})
    for (const auto& r : rects) {
      const int x = r.w < 0 ? at - r.w : at, y = r.h < 0 ? at - r.h : at;
      PIX_MemBitmap big(bigW, bigH, 4);
      fillPattern(&big, 16);
      const Image bigBefore = readImage(&big);
      PIX_ScaledBlit(&big, &src, x, y, r.w, r.h, r.sx, r.sy, r.sw, r.sh, 1.0f, filter);
      const Image bigAfter = readImage(&big);
      // Windows cutting the rectangle at the left, top, right and bottom.
      for (int ox : {at - 2, at + 1, at + 3, at + 7})
        for (int oy : {at - 1, at + 2, at + 5}) {
          const int ww = 8, wh = 7;
          PIX_MemBitmap win(ww, wh, 4);
          writeImage(&win, crop(bigBefore, ox, oy, ww, wh));
          PIX_ScaledBlit(&win, &src, x - ox, y - oy, r.w, r.h, r.sx, r.sy, r.sw, r.sh, 1.0f,
                         filter);
          ASSERT_EQ(firstDifference(readImage(&win), crop(bigAfter, ox, oy, ww, wh)), "")
              << "rect " << r.w << "x" << r.h << " window " << ox << "," << oy << " filter "
              << filter;
        }
    }
}

TEST(ScaledBlit, OneBitmapOntoItselfReadsAnUntouchedSource) {
  for (int filter : {0, PIX_FILTER_BILINEAR})
    for (int shift : {-3, 0, 2}) {
      PIX_MemBitmap bmp(16, 12, 4), copy(16, 12, 4), want(16, 12, 4);
      fillPattern(&bmp, 17);
      PIX_Copy(&copy, &bmp);
      PIX_Copy(&want, &bmp);
      PIX_ScaledBlit(&want, &copy, 2 + shift, 1, 13, 10, 1, 1.5f, 9, 7, 0.8f, filter);
      PIX_ScaledBlit(&bmp, &bmp, 2 + shift, 1, 13, 10, 1, 1.5f, 9, 7, 0.8f, filter);
      ASSERT_EQ(firstDifference(readImage(&bmp), readImage(&want)), "")
          << "shift " << shift << " filter " << filter;
    }
}

TEST(ScaledBlit, SameSizeShortcutAndModes) {
  PIX_MemBitmap src(8, 6, 4);
  fillPattern(&src, 18);
  auto run = [&](float sx, float sy, float alpha, int mode) {
    PIX_MemBitmap d(8, 6, 4);
    fillPattern(&d, 19);
    PIX_ScaledBlit(&d, &src, 1, 1, 5, 4, sx, sy, 5, 4, alpha, mode);
    return readImage(&d);
  };
  auto blit = [&](int sx, int sy, float alpha, int mode) {
    PIX_MemBitmap d(8, 6, 4);
    fillPattern(&d, 19);
    PIX_Blit(&d, &src, 1, 1, sx, sy, 5, 4, alpha, mode);
    return readImage(&d);
  };
  // Rounded to the nearest whole pixel, the channel copy included.
  EXPECT_EQ(run(2.4f, 1.0f, 1.0f, 0), blit(2, 1, 1.0f, 0));
  EXPECT_EQ(run(2.6f, 0.51f, 1.0f, 0), blit(3, 1, 1.0f, 0));
  EXPECT_EQ(run(1.0f, 1.0f, 0.4f, 0xf7), blit(1, 1, 0.4f, 0xf7));
  // Bilinear within 0.03 of a whole pixel is still the unscaled blit...
  EXPECT_EQ(run(2.02f, 0.99f, 1.0f, PIX_FILTER_BILINEAR), blit(2, 1, 1.0f, 0));
  // ...but half a pixel over it blends neighbours.
  const Image half = run(2.5f, 1.0f, 1.0f, PIX_FILTER_BILINEAR);
  const Image s = readImage(&src);
  for (int c = 0; c < 4; ++c) {
    const int sh = 8 * c;
    const int a = (s.at(2, 1) >> sh) & 255, b = (s.at(3, 1) >> sh) & 255;
    EXPECT_EQ((half.at(1, 1) >> sh) & 255, (uint32_t)((a * 32768 + b * 32768) >> 16));
  }
  // The channel copy has no scaled form.
  PIX_MemBitmap d(8, 6, 4);
  fillPattern(&d, 19);
  const Image before = readImage(&d);
  PIX_ScaledBlit(&d, &src, 0, 0, 8, 6, 0, 0, 4, 3, 1.0f, 0xf7);
  EXPECT_EQ(readImage(&d), before);
}

TEST(ScaledBlit, DrawsNothingForDegenerateOrBadInput) {
  PIX_MemBitmap src(6, 5, 4), empty;
  fillPattern(&src, 20);
  const float inf = INFINITY, nan = NAN;
  const struct {
    int x, y, w, h;
    float sx, sy, sw, sh, alpha;
    int mode;
  } calls[] = {
      {0, 0, 0, 5, 0, 0, 6, 5, 1, 0},       {0, 0, 5, 0, 0, 0, 6, 5, 1, 0},
      {0, 0, 8, 7, 0, 0, 6, 5, 0, 0},       {0, 0, 8, 7, 0, 0, 6, 5, 0.002f, 0},
      {0, 0, 8, 7, 0, 0, 6, 5, 1, 6},       {0, 0, 8, 7, 0, 0, 6, 5, 1, 0x10006},
      {0, 0, 8, 7, nan, 0, 6, 5, 1, 0},     {0, 0, 8, 7, 0, 0, inf, 5, 1, 0},
      {0, 0, 8, 7, 0, -inf, 6, 5, 1, 0},    {0, 0, 8, 7, 6, 0, 6, 5, 1, 0},
      {0, 0, 8, 7, -12, 0, 6, 5, 1, 0},     {8, 0, 8, 7, 0, 0, 6, 5, 1, 0},
      {-8, 0, 8, 7, 0, 0, 6, 5, 1, 0},      {0, 0, 8, 7, 0, 0, -6, 5, 1, 0},
  };
  for (const auto& c : calls) {
    FramedBitmap d(8, 7, false);
    fillPattern(&d, 21);
    const Image before = readImage(&d);
    for (int filter : {0, PIX_FILTER_BILINEAR})
      PIX_ScaledBlit(&d, &src, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh, c.alpha,
                     c.mode | filter);
    EXPECT_EQ(readImage(&d), before) << "call at " << c.x << " src " << c.sx << " mode " << c.mode;
    EXPECT_TRUE(d.frameIntact());
  }
  FramedBitmap d(8, 7, false);
  PIX_ScaledBlit(nullptr, &src, 0, 0, 8, 7, 0, 0, 6, 5, 1, 0);
  PIX_ScaledBlit(&d, nullptr, 0, 0, 8, 7, 0, 0, 6, 5, 1, 0);
  PIX_ScaledBlit(&d, &empty, 0, 0, 8, 7, 0, 0, 6, 5, 1, 0);
  PIX_ScaledBlit(&empty, &src, 0, 0, 8, 7, 0, 0, 6, 5, 1, 0);
  EXPECT_TRUE(d.frameIntact());
}

// Extreme positions, sizes and steps stay inside both bitmaps.
TEST(ScaledBlit, ExtremeArgumentsStayInsideTheBitmaps) {
  PIX_MemBitmap src(6, 5, 1);
  fillPattern(&src, 22);
  const int ints[] = {-2147483647 - 1, -100000, -7, -1, 0, 1, 3, 7, 100000, 2147483647};
  const float floats[] = {-3e38f, -1e9f, -6.5f, -0.5f, 0, 0.25f, 2.75f, 6, 1e9f, 3e38f};
  srand(5);
  for (int i = 0; i < 4000; ++i) {
    FramedBitmap d(9, 8, (i & 1) != 0);
    auto pickI = [&] { return rand() % 3 ? rand() % 21 - 10 : ints[rand() % 10]; };
    auto pickF = [&] { return rand() % 3 ? (float)(rand() % 41 - 20) / 4 : floats[rand() % 10]; };
    PIX_ScaledBlit(&d, &src, pickI(), pickI(), pickI(), pickI(), pickF(), pickF(), pickF(), pickF(),
                   (float)(rand() % 5) / 4, (rand() % 2) * PIX_FILTER_BILINEAR | (rand() % 3));
    ASSERT_TRUE(d.frameIntact()) << "call " << i;
  }
}

}  // namespace
