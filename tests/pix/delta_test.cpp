// Delta, rotated and mesh blits: the sampled source pixel of every
// destination pixel against the geometry (positions exact in binary where
// the results must match bit for bit), clipping at every edge, weight ramps,
// mesh cells and bad input.

#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>

#include <functional>
#include <vector>

#include "pix_test_util.h"

namespace {

const float kPi = 3.14159265358979f;

// Where a destination pixel samples: source pixel (sx, sy), or nothing.
typedef std::function<bool(int x, int y, int* sx, int* sy)> SampleFn;

// The destination each pixel of which gets the sampled source pixel through
// the operator of (weight, mode); weightAt gives per-pixel weights.
Image expectSamples(const Image& dst, const Image& src, SampleFn at, int weight, int mode,
                    std::function<int(int, int)> weightAt = nullptr, bool clamp = false) {
  Image out = dst;
  for (int y = 0; y < dst.h; ++y)
    for (int x = 0; x < dst.w; ++x) {
      int sx, sy;
      if (!at(x, y, &sx, &sy)) continue;
      const uint32_t s = src.at(sx, sy);
      const int w = weightAt ? weightAt(x, y) : weight;
      if (clamp)
        PIX_CombinePixels2Clamp(&out.at(x, y), PIX_GETR(s), PIX_GETG(s), PIX_GETB(s), PIX_GETA(s),
                                w, mode);
      else
        PIX_CombinePixels2(&out.at(x, y), PIX_GETR(s), PIX_GETG(s), PIX_GETB(s), PIX_GETA(s), w,
                           mode);
    }
  return out;
}

struct DeltaCase {
  int x, y, w, h;
  float sx, sy, sw, sh;
  double dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
  bool clip;
};

// Every step and start is a multiple of 1/64, so positions are exact and
// the walk must pick floor(s), floor(t) of the closed form.
const DeltaCase kDeltaCases[] = {
    {1, 1, 8, 6, 2, 1, 5, 4, 1, 0, 0, 1, 0, 0, false},              // plain copy
    {1, 1, 8, 6, 2, 1, 5, 4, 1, 0, 0, 1, 0, 0, true},               // the same, cut to 5 x 4
    {-3, -2, 12, 11, 0.5, 0.25, 6, 6, 0.5, 0.25, -0.25, 0.75, 0, 0, false},  // shear, cut top-left
    {2, 3, 12, 9, 9.5, 1, 4, 8, -0.75, 0.5, 0.5, 0.5, 0, 0, true},  // runs off right and bottom
    {-4, -5, 14, 13, 1, 2, 8, 6, 0.5, 0, 0, 0.5, 0.046875, -0.03125, false},  // second order
    {3, -2, 9, 12, 4, 0, 6, 6, 1, 0.25, -0.5, 1, -0.0625, 0.015625, true},   // second order, cut
    {9, 7, -8, -6, 1, 1, 5, 4, 1, 0, 0, 1, 0, 0, true},            // negative sizes move the start
    {-10, 0, 5, 5, 0, 0, 9, 9, 1, 0, 0, 1, 0, 0, false},           // wholly left of the destination
    {0, 0, 6, 6, -4, -4, 2, 2, 0.5, 0, 0, 0.5, 0, 0, true},        // source rectangle before the source
};

TEST(DeltaBlit, SamplesTheClosedFormPosition) {
  PIX_MemBitmap src(13, 11, 4);
  fillPattern(&src, 31);
  const Image s = readImage(&src);
  const struct {
    float alpha;
    int mode;
  } ops[] = {{1.0f, 0}, {0.6f, 0}, {0.7f, PIX_OP_ADD}, {1.0f, PIX_USE_SOURCE_ALPHA},
             {0.5f, PIX_OP_OVERLAY | PIX_USE_SOURCE_ALPHA}};
  for (const DeltaCase& c : kDeltaCases)
    for (const auto& op : ops)
      for (bool flip : {false, true}) {
        auto dst = makeBitmap(10, 9, flip);
        fillPattern(dst.get(), 32);
        const Image before = readImage(dst.get());
        PIX_DeltaBlit(dst.get(), &src, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh, c.dsdx, c.dtdx,
                      c.dsdy, c.dtdy, c.dsdxdy, c.dtdxdy, c.clip, op.alpha, op.mode);
        // Source bounds in whole pixels.
        int x0 = 0, y0 = 0, x1 = s.w, y1 = s.h;
        if (c.clip) {
          x0 = (int)fmaxf(c.sx, 0);
          y0 = (int)fmaxf(c.sy, 0);
          x1 = (int)fminf(c.sx + c.sw, (float)s.w);
          y1 = (int)fminf(c.sy + c.sh, (float)s.h);
        }
        const int ox = c.w < 0 ? c.x + c.w : c.x, oy = c.h < 0 ? c.y + c.h : c.y;
        const double sx0 = c.w < 0 ? c.sx + c.sw : c.sx, sy0 = c.h < 0 ? c.sy + c.sh : c.sy;
        const int w = abs(c.w), h = abs(c.h);
        SampleFn at = [&](int x, int y, int* px, int* py) {
          const int i = x - ox, j = y - oy;
          if (i < 0 || j < 0 || i >= w || j >= h) return false;
          const double ps = sx0 + i * (c.dsdx + j * c.dsdxdy) + j * c.dsdy;
          const double pt = sy0 + i * (c.dtdx + j * c.dtdxdy) + j * c.dtdy;
          *px = (int)floor(ps);
          *py = (int)floor(pt);
          return *px >= x0 && *px < x1 && *py >= y0 && *py < y1;
        };
        ASSERT_EQ(firstDifference(readImage(dst.get()),
                                  expectSamples(before, s, at, PIX_WeightD(op.alpha), op.mode)),
                  "")
            << "case at " << c.x << "," << c.y << " start " << c.sx << "," << c.sy << " mode "
            << op.mode << " flipped " << flip;
      }
}

// Bilinear delta walks blend exactly as the bilinear scaled blit.
TEST(DeltaBlit, BilinearMatchesTheScaledBlit) {
  PIX_MemBitmap src(9, 7, 4);
  fillPattern(&src, 33);
  const struct {
    int x, y, w, h;
    float sx, sy, sw, sh;
  } rects[] = {{0, 0, 12, 10, 1, 1, 6, 5}, {-2, 1, 14, 12, 0, 0, 7, 6}, {1, 1, 8, 8, 2, 1, 4, 4}};
  for (const auto& r : rects)
    for (float alpha : {1.0f, 0.4f}) {
      PIX_MemBitmap a(10, 9, 4), b(10, 9, 4);
      fillPattern(&a, 34);
      fillPattern(&b, 34);
      PIX_ScaledBlit(&a, &src, r.x, r.y, r.w, r.h, r.sx, r.sy, r.sw, r.sh, alpha,
                     PIX_FILTER_BILINEAR);
      PIX_DeltaBlit(&b, &src, r.x, r.y, r.w, r.h, r.sx, r.sy, r.sw, r.sh, r.sw / r.w, 0, 0,
                    r.sh / r.h, 0, 0, true, alpha, PIX_FILTER_BILINEAR);
      EXPECT_EQ(firstDifference(readImage(&b), readImage(&a)), "") << "rect at " << r.x;
    }
  // Half a pixel right and a quarter down: the four-tap blend of the
  // neighbours, (a (65536 - fy - fx + f) + b (fx - f) + c (fy - f) + d f) >> 16.
  PIX_MemBitmap d(3, 3, 4);
  PIX_Clear(&d, 0);
  PIX_DeltaBlit(&d, &src, 0, 0, 1, 1, 2.5f, 3.25f, 1, 1, 1, 0, 0, 1, 0, 0, false, 1.0f,
                PIX_FILTER_BILINEAR);
  const Image s = readImage(&src);
  for (int ch = 0; ch < 32; ch += 8) {
    auto c = [&](int x, int y) { return (int)((s.at(x, y) >> ch) & 255); };
    const int want =
        (c(2, 3) * (65536 - 16384 - 32768 + 8192) + c(3, 3) * (32768 - 8192) +
         c(2, 4) * (16384 - 8192) + c(3, 4) * 8192) >> 16;
    EXPECT_EQ((int)((readImage(&d).at(0, 0) >> ch) & 255), want) << "channel " << ch;
  }
}

TEST(DeltaBlitAlpha, WeightRampsAcrossTheRectangle) {
  PIX_MemBitmap src(10, 8, 4);
  fillPattern(&src, 35);
  const Image s = readImage(&src);
  const struct {
    int x, y, w, h;
    float alpha;
    double dadx, dady, dadxdy;
    int mode;
  } cases[] = {
      {0, 0, 10, 8, 0.0f, 0.125, 0, 0, 0},                        // copy fading in
      {1, 1, 8, 7, 1.0f, -0.0625, 0.125, 0, PIX_OP_ADD},          // below 0 and above 1
      {-3, -2, 12, 10, 0.5f, 0.03125, -0.0625, 0.015625, 0},      // second order, cut top-left
      {2, -1, 9, 9, 0.25f, 0.25, 0.25, -0.03125, PIX_OP_MUL},     // clamped multiply
      {0, 0, 10, 8, 0.75f, 0.5, 0, 0, PIX_OP_HSVADJ | PIX_USE_SOURCE_ALPHA},  // flag not read
  };
  for (const auto& c : cases) {
    PIX_MemBitmap dst(10, 8, 4);
    fillPattern(&dst, 36);
    const Image before = readImage(&dst);
    PIX_DeltaBlitAlpha(&dst, &src, c.x, c.y, c.w, c.h, 0.5f, 0.25f, 9, 7, 0.75, 0.125, -0.125,
                       0.75, 0, 0, false, c.alpha, c.mode, c.dadx, c.dady, c.dadxdy);
    SampleFn at = [&](int x, int y, int* px, int* py) {
      const int i = x - c.x, j = y - c.y;
      if (i < 0 || j < 0 || i >= c.w || j >= c.h) return false;
      *px = (int)floor(0.5 + i * 0.75 - j * 0.125);
      *py = (int)floor(0.25 + i * 0.125 + j * 0.75);
      return *px >= 0 && *px < s.w && *py >= 0 && *py < s.h;
    };
    auto weight = [&](int x, int y) {
      const int i = x - c.x, j = y - c.y;
      const double a = c.alpha + i * (c.dadx + j * c.dadxdy) + j * c.dady;
      return (int)floor(a * 256.0);  // the 16.16 weight shifted right by 8
    };
    EXPECT_EQ(firstDifference(readImage(&dst), expectSamples(before, s, at, 0, c.mode & 0xff,
                                                              weight, true)),
              "")
        << "ramp " << c.dadx << "," << c.dady << " mode " << c.mode;
  }
}

TEST(DeltaBlitAlpha, FlatRampIsTheDeltaBlit) {
  PIX_MemBitmap src(10, 8, 4);
  fillPattern(&src, 37);
  for (int mode : {0, PIX_OP_ADD, PIX_USE_SOURCE_ALPHA, PIX_FILTER_BILINEAR | PIX_OP_MUL}) {
    PIX_MemBitmap a(9, 9, 4), b(9, 9, 4);
    fillPattern(&a, 38);
    fillPattern(&b, 38);
    PIX_DeltaBlit(&a, &src, -1, 1, 11, 7, 0.3f, 0.6f, 8, 6, 0.7, 0.2, -0.1, 0.9, 0.01, 0, true,
                  0.8f, mode);
    PIX_DeltaBlitAlpha(&b, &src, -1, 1, 11, 7, 0.3f, 0.6f, 8, 6, 0.7, 0.2, -0.1, 0.9, 0.01, 0,
                       true, 0.8f, mode, 0.000001, 0, 0);
    EXPECT_EQ(firstDifference(readImage(&b), readImage(&a)), "") << "mode " << mode;
  }
}

// ---- Rotated blit

Image rotateImage(PIX_IBitmap* src, int dw, int dh, int dstx, int dsty, int w, int h, float sx,
                  float sy, float sw, float sh, float angle, bool clip, int mode, float cx = 0,
                  float cy = 0, uint32_t seed = 41) {
  PIX_MemBitmap d(dw, dh, 4);
  fillPattern(&d, seed);
  PIX_RotatedBlit(&d, src, dstx, dsty, w, h, sx, sy, sw, sh, angle, clip, 1.0f, mode, cx, cy);
  return readImage(&d);
}

TEST(RotatedBlit, AngleZeroIsTheUnscaledBlit) {
  PIX_MemBitmap src(12, 10, 4);
  fillPattern(&src, 42);
  for (int filter : {0, PIX_FILTER_BILINEAR})
    for (bool clip : {false, true})
      for (int x : {-3, 0, 4}) {
        PIX_MemBitmap want(11, 9, 4);
        fillPattern(&want, 41);
        PIX_Blit(&want, &src, x, 2, 3, 2, 7, 6, 1.0f, 0);
        EXPECT_EQ(firstDifference(rotateImage(&src, 11, 9, x, 2, 7, 6, 3, 2, 7, 6, 0, clip, filter),
                                  readImage(&want)),
                  "")
            << "filter " << filter << " clip " << clip << " x " << x;
      }
}

// Quarter turns of a square: each destination pixel (i, j) takes the source
// pixel the turn brings there, the whole rectangle and nothing outside.
TEST(RotatedBlit, QuarterTurnsMoveWholePixels) {
  PIX_MemBitmap src(12, 10, 4);
  fillPattern(&src, 43);
  const Image s = readImage(&src);
  const int n = 6, sx = 3, sy = 2, dx = 2, dy = 1;
  for (int q = 0; q < 4; ++q)
    for (bool flipped : {false, true}) {
      auto d = makeBitmap(10, 9, flipped);
      fillPattern(d.get(), 44);
      const Image before = readImage(d.get());
      PIX_RotatedBlit(d.get(), &src, dx, dy, n, n, sx, sy, n, n, q * kPi / 2, true, 1.0f, 0, 0, 0);
      SampleFn at = [&](int x, int y, int* px, int* py) {
        const int i = x - dx, j = y - dy;
        if (i < 0 || j < 0 || i >= n || j >= n) return false;
        // Clockwise by q quarters: destination (i, j) shows source (u, v).
        int u = i, v = j;
        for (int k = 0; k < q; ++k) {
          const int t = u;
          u = v;
          v = n - 1 - t;
        }
        *px = sx + u;
        *py = sy + v;
        return true;
      };
      EXPECT_EQ(firstDifference(readImage(d.get()), expectSamples(before, s, at, 256, 0)), "")
          << "quarter turns " << q << " flipped " << flipped;
      // Bilinear lands on the same pixels, within one step of a channel.
      const Image bil = rotateImage(&src, 10, 9, dx, dy, n, n, sx, sy, n, n, q * kPi / 2, true,
                                    PIX_FILTER_BILINEAR, 0, 0, 44);
      const Image want = expectSamples(before, s, at, 256, 0);
      for (size_t p = 0; p < want.px.size(); ++p)
        for (int ch = 0; ch < 32; ch += 8)
          ASSERT_LE(abs((int)((bil.px[p] >> ch) & 255) - (int)((want.px[p] >> ch) & 255)), 1)
              << "bilinear, quarter turns " << q << " pixel " << p;
    }
}

// Any angle, scale and centre offset: every destination pixel whose centre
// maps clearly inside a source pixel takes that pixel; with the source
// rectangle as bound, pixels mapping outside it are left alone.
TEST(RotatedBlit, PixelCentresMapThroughTheRotation) {
  PIX_MemBitmap src(16, 14, 4);
  fillPattern(&src, 45);
  const Image s = readImage(&src);
  const struct {
    int x, y, w, h;
    float sx, sy, sw, sh, angle, cx, cy;
  } cases[] = {
      {2, 2, 12, 12, 2, 1, 12, 12, kPi / 4, 0, 0},
      {0, 1, 14, 10, 3, 2, 10, 8, kPi / 6, 0, 0},
      {-3, 2, 16, 9, 1, 4, 8, 6, -0.35f, 1.5f, -0.75f},
      {1, -4, 10, 20, 4, 0, 6, 13, 1.9f, 0, 0},
      {5, 5, 9, 7, 0, 0, 16, 14, 2.6f, -2, 1},
      {12, 0, -10, 10, 2, 2, 10, 10, 0.5f, 0, 0},  // mirrored
      {3, 3, 9, 8, 6, 5, 5, 4, 4.0f, 0.5f, 0.5f},
  };
  for (const auto& c : cases)
    for (bool clip : {false, true}) {
      PIX_MemBitmap d(15, 13, 4);
      fillPattern(&d, 46);
      const Image before = readImage(&d);
      PIX_RotatedBlit(&d, &src, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh, c.angle, clip, 1.0f,
                      0, c.cx, c.cy);
      const Image got = readImage(&d);
      // The mapping, with a negative width mirroring the source rectangle.
      const double x0 = c.w < 0 ? c.x + c.w : c.x, w = fabs((double)c.w), h = c.h;
      const double sx0 = c.w < 0 ? c.sx + c.sw : c.sx, sw = c.w < 0 ? -c.sw : c.sw;
      const double xadv = sw / w, yadv = c.sh / h;
      const double cs = cos((double)c.angle), sn = sin((double)c.angle);
      const double scx = sx0 + sw / 2 + c.cx, scy = c.sy + c.sh / 2 + c.cy;
      int checked = 0;
      for (int y = 0; y < d.getHeight(); ++y)
        for (int x = 0; x < d.getWidth(); ++x) {
          const bool inRect = x >= x0 && x < x0 + w && y >= c.y && y < c.y + h;
          if (!inRect) {
            ASSERT_EQ(got.at(x, y), before.at(x, y)) << "outside the rectangle at " << x << "," << y;
            continue;
          }
          const double u = x + 0.5 - (x0 + w / 2), v = y + 0.5 - (c.y + h / 2);
          const double ps = scx + (u * cs + v * sn) * xadv, pt = scy + (v * cs - u * sn) * yadv;
          if (fabs(ps - floor(ps + 0.5)) < 0.01 || fabs(pt - floor(pt + 0.5)) < 0.01) continue;
          const int px = (int)floor(ps), py = (int)floor(pt);
          bool inside = px >= 0 && py >= 0 && px < s.w && py < s.h;
          if (clip)
            inside = inside && px >= (int)fmaxf(c.sx, 0) && py >= (int)fmaxf(c.sy, 0) &&
                     px < (int)fminf(c.sx + c.sw, (float)s.w) && py < (int)fminf(c.sy + c.sh, (float)s.h);
          ASSERT_EQ(got.at(x, y), inside ? s.at(px, py) : before.at(x, y))
              << "angle " << c.angle << " clip " << clip << " at " << x << "," << y;
          ++checked;
        }
      EXPECT_GT(checked, 40);
    }
}

TEST(RotatedBlit, OneBitmapOntoItselfReadsAnUntouchedSource) {
  PIX_MemBitmap bmp(14, 12, 4), copy(14, 12, 4), want(14, 12, 4);
  fillPattern(&bmp, 47);
  PIX_Copy(&copy, &bmp);
  PIX_Copy(&want, &bmp);
  PIX_RotatedBlit(&want, &copy, 1, 2, 11, 9, 2, 1, 10, 8, 0.7f, false, 0.9f, PIX_FILTER_BILINEAR,
                  0, 0);
  PIX_RotatedBlit(&bmp, &bmp, 1, 2, 11, 9, 2, 1, 10, 8, 0.7f, false, 0.9f, PIX_FILTER_BILINEAR, 0,
                  0);
  EXPECT_EQ(firstDifference(readImage(&bmp), readImage(&want)), "");
}

// ---- Mesh blits

// Points on a whole-pixel grid over the source copy it unchanged.
TEST(TransformBlit, GridOfTheSourceCopiesIt) {
  PIX_MemBitmap src(8, 8, 4);
  fillPattern(&src, 51);
  std::vector<float> pf;
  std::vector<double> pd, pa;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      pf.insert(pf.end(), {4.0f * c, 4.0f * r});
      pd.insert(pd.end(), {4.0 * c, 4.0 * r});
      pa.insert(pa.end(), {4.0 * c, 4.0 * r, 1.0});
    }
  for (int x : {0, -3, 5}) {
    PIX_MemBitmap want(10, 9, 4), a(10, 9, 4), b(10, 9, 4), c(10, 9, 4);
    for (PIX_MemBitmap* m : {&want, &a, &b, &c}) fillPattern(m, 52);
    PIX_Blit(&want, &src, x, 1, (const RECT*)nullptr, 1.0f, 0);
    PIX_TransformBlit(&a, &src, x, 1, 8, 8, pf.data(), 3, 3, 1.0f, 0);
    PIX_TransformBlit2(&b, &src, x, 1, 8, 8, pd.data(), 3, 3, 1.0f, 0);
    PIX_TransformBlit2Alpha(&c, &src, x, 1, 8, 8, pa.data(), 3, 3, 0);
    EXPECT_EQ(firstDifference(readImage(&a), readImage(&want)), "") << "x " << x;
    EXPECT_EQ(firstDifference(readImage(&b), readImage(&want)), "") << "x " << x;
    EXPECT_EQ(firstDifference(readImage(&c), readImage(&want)), "") << "x " << x;
  }
}

// Cells end at the rounded grid positions: a 10 x 10 rectangle with four
// points a side has cells of 3, 4 and 3 pixels.
TEST(TransformBlit, CellEdgesAreTheRoundedGridPositions) {
  PIX_MemBitmap src(12, 12, 4);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) PIX_FillRect(&src, 4 * c, 4 * r, 4, 4, 0xFF000000u | (r * 3 + c + 1), 1.0f, 0);
  std::vector<double> pts;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) pts.insert(pts.end(), {4.0 * c, 4.0 * r});
  PIX_MemBitmap d(10, 10, 4);
  PIX_Clear(&d, 0);
  PIX_TransformBlit2(&d, &src, 0, 0, 10, 10, pts.data(), 4, 4, 1.0f, 0);
  auto cell = [](int p) { return p < 3 ? 0 : p < 7 ? 1 : 2; };
  const Image img = readImage(&d);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(img.at(x, y), 0xFF000000u | (uint32_t)(cell(y) * 3 + cell(x) + 1)) << x << "," << y;
}

// Inside each cell the source position (and weight) is the bilinear patch
// of the cell's four corners.
TEST(TransformBlit, CellsAreBilinearPatches) {
  PIX_MemBitmap src(24, 20, 4);
  fillPattern(&src, 53);
  const Image s = readImage(&src);
  // 3 x 3 points over 8 x 8 pixels: cells of 4 x 4. Corners in 1/16 pixels.
  const double pts[9][3] = {{1, 1, 0.25},   {6.5, 0.5, 1},   {13, 2, 0.5},
                            {0.5, 7, 1.25}, {7.25, 8, 0.75}, {12, 6.5, -0.25},
                            {2, 14.5, 0.5}, {8, 12, 1},      {15.75, 15, 2}};
  std::vector<double> pos, posa;
  for (const auto& p : pts) {
    pos.insert(pos.end(), {p[0], p[1]});
    posa.insert(posa.end(), {p[0], p[1], p[2]});
  }
  auto patch = [&](int x, int y, int k) {
    const int c = x / 4, r = y / 4;
    const double u = (x % 4) / 4.0, v = (y % 4) / 4.0;
    auto P = [&](int rr, int cc) { return pts[rr * 3 + cc][k]; };
    const double top = P(r, c) + (P(r, c + 1) - P(r, c)) * u;
    const double bottom = P(r + 1, c) + (P(r + 1, c + 1) - P(r + 1, c)) * u;
    return top + (bottom - top) * v;
  };
  SampleFn at = [&](int x, int y, int* px, int* py) {
    if (x >= 8 || y >= 8) return false;
    *px = (int)floor(patch(x, y, 0));
    *py = (int)floor(patch(x, y, 1));
    return true;
  };
  PIX_MemBitmap d(9, 9, 4), da(9, 9, 4);
  fillPattern(&d, 54);
  fillPattern(&da, 54);
  const Image before = readImage(&d);
  PIX_TransformBlit2(&d, &src, 0, 0, 8, 8, pos.data(), 3, 3, 0.75f, PIX_OP_ADD);
  EXPECT_EQ(firstDifference(readImage(&d), expectSamples(before, s, at, 192, PIX_OP_ADD)), "");
  PIX_TransformBlit2Alpha(&da, &src, 0, 0, 8, 8, posa.data(), 3, 3, 0);
  auto weight = [&](int x, int y) { return (int)floor(patch(x, y, 2) * 256); };
  EXPECT_EQ(firstDifference(readImage(&da), expectSamples(before, s, at, 0, 0, weight, true)), "");
}

// ---- Bad input, for all of them

TEST(DeltaBlits, DrawNothingForDegenerateOrBadInput) {
  PIX_MemBitmap src(6, 5, 4), empty;
  fillPattern(&src, 55);
  FramedBitmap d(8, 7, false);
  fillPattern(&d, 56);
  const Image before = readImage(&d);
  const double pts[8] = {0, 0, 5, 0, 0, 4, 5, 4};
  const double ptsa[12] = {0, 0, 1, 5, 0, 1, 0, 4, 1, 5, 4, 1};
  const float ptsf[8] = {0, 0, 5, 0, 0, 4, 5, 4};
  const float nan = NAN, inf = INFINITY;
  auto delta = [&](PIX_IBitmap* dd, PIX_IBitmap* ss, int w, int h, float sx, double step,
                   float alpha, int mode) {
    PIX_DeltaBlit(dd, ss, 0, 0, w, h, sx, 0, 6, 5, step, 0, 0, 1, 0, 0, false, alpha, mode);
    PIX_DeltaBlitAlpha(dd, ss, 0, 0, w, h, sx, 0, 6, 5, step, 0, 0, 1, 0, 0, false, alpha, mode,
                       0.01, 0, 0);
    PIX_RotatedBlit(dd, ss, 0, 0, w, h, sx, 0, 6, 5, (float)step - 1, false, alpha, mode, 0, 0);
  };
  delta(nullptr, &src, 8, 7, 0, 1, 1, 0);
  delta(&d, nullptr, 8, 7, 0, 1, 1, 0);
  delta(&d, &empty, 8, 7, 0, 1, 1, 0);
  delta(&empty, &src, 8, 7, 0, 1, 1, 0);
  delta(&d, &src, 0, 7, 0, 1, 1, 0);
  delta(&d, &src, 8, 0, 0, 1, 1, 0);
  delta(&d, &src, 8, 7, 0, 1, 1, 6);
  delta(&d, &src, 8, 7, nan, 1, 1, 0);
  delta(&d, &src, 8, 7, inf, 1, 1, 0);
  delta(&d, &src, 8, 7, 0, nan, 1, 0);
  delta(&d, &src, 8, 7, 0, -inf, 1, 0);
  PIX_DeltaBlit(&d, &src, 0, 0, 8, 7, 0, 0, 6, 5, 1, 0, 0, 1, 0, 0, false, 0.0f, 0);
  PIX_DeltaBlit(&d, &src, 0, 0, 8, 7, 0, 0, 6, 5, 1, 0, 0, 1, 0, 0, false, -0.5f, 0);
  PIX_DeltaBlitAlpha(&d, &src, 0, 0, 8, 7, 0, 0, 6, 5, 1, 0, 0, 1, 0, 0, false, 1, 0, nan, 0, 0);
  PIX_RotatedBlit(&d, &src, 0, 0, 8, 7, 0, 0, 6, 5, 0, false, 1.0f, 0x10006, 0, 0);
  PIX_RotatedBlit(&d, &src, 0, 0, 8, 7, 0, 0, 6, 5, 0, false, 1.0f, 0, nan, 0);
  // Mesh blits: too few points, an empty rectangle, no points.
  PIX_TransformBlit2(&d, &src, 0, 0, 8, 7, pts, 1, 4, 1.0f, 0);
  PIX_TransformBlit2(&d, &src, 0, 0, 8, 7, pts, 4, 1, 1.0f, 0);
  PIX_TransformBlit2(&d, &src, 0, 0, 0, 7, pts, 2, 2, 1.0f, 0);
  PIX_TransformBlit2(&d, &src, 0, 0, 8, 0, pts, 2, 2, 1.0f, 0);
  PIX_TransformBlit2(&d, &src, 0, 0, 8, 7, nullptr, 2, 2, 1.0f, 0);
  PIX_TransformBlit(&d, &src, 0, 0, 8, 7, ptsf, 2, 1, 1.0f, 0);
  PIX_TransformBlit2Alpha(&d, &src, 0, 0, 8, 7, ptsa, 1, 2, 0);
  PIX_TransformBlit2Alpha(nullptr, &src, 0, 0, 8, 7, ptsa, 2, 2, 0);
  EXPECT_EQ(readImage(&d), before);
  EXPECT_TRUE(d.frameIntact());
}

// Extreme positions, sizes, steps and angles stay inside both bitmaps.
TEST(DeltaBlits, ExtremeArgumentsStayInsideTheBitmaps) {
  PIX_MemBitmap src(6, 5, 1);
  fillPattern(&src, 57);
  const int ints[] = {-2147483647 - 1, -100000, -7, -1, 0, 1, 3, 7, 100000, 2147483647};
  const double reals[] = {-3e38, -1e9, -6.5, -0.5, 0, 0.25, 2.75, 6, 1e9, 3e38};
  srand(9);
  for (int i = 0; i < 3000; ++i) {
    FramedBitmap d(9, 8, (i & 1) != 0);
    auto I = [&] { return rand() % 3 ? rand() % 21 - 10 : ints[rand() % 10]; };
    auto R = [&] { return rand() % 3 ? (double)(rand() % 41 - 20) / 8 : reals[rand() % 10]; };
    auto F = [&] { return (float)R(); };
    const int mode = (rand() % 2) * PIX_FILTER_BILINEAR | (rand() % 3);
    switch (i % 4) {
      case 0:
        PIX_DeltaBlit(&d, &src, I(), I(), I(), I(), F(), F(), F(), F(), R(), R(), R(), R(), R() / 64,
                      R() / 64, rand() % 2 != 0, 0.75f, mode);
        break;
      case 1:
        PIX_DeltaBlitAlpha(&d, &src, I(), I(), I(), I(), F(), F(), F(), F(), R(), R(), R(), R(),
                           R() / 64, R() / 64, rand() % 2 != 0, F(), mode, R(), R(), R() / 64);
        break;
      case 2:
        PIX_RotatedBlit(&d, &src, I(), I(), I(), I(), F(), F(), F(), F(), F(), rand() % 2 != 0,
                        0.75f, mode, F(), F());
        break;
      default: {
        double pts[3 * 9];
        for (double& p : pts) p = R();
        PIX_TransformBlit2(&d, &src, I(), I(), rand() % 40 - 5, rand() % 40 - 5, pts, 3, 3, 1.0f,
                           mode);
        PIX_TransformBlit2Alpha(&d, &src, I(), I(), rand() % 40 - 5, rand() % 40 - 5, pts, 3, 3,
                                mode);
      }
    }
    ASSERT_TRUE(d.frameIntact()) << "call " << i;
  }
}

}  // namespace
