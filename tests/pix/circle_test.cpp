// Circles, discs, arcs and rounded rectangles: the stored patterns, the
// midpoint and anti-aliased rasterisers against a step-by-step reference,
// clipping, huge radii, arcs by quarter and rounded corners.

#include <gtest/gtest.h>
#include <math.h>

#include <chrono>
#include <algorithm>
#include <memory>
#include <vector>

#include "pix_test_util.h"

namespace {

typedef long long i64;
const uint32_t kWhite = 0xFFFFFFFF;

// Applies the rasteriser's pixel visits to an image in order, skipping
// pixels outside it.
struct Canvas {
  Image img;
  explicit Canvas(const Image& i) : img(i) {}
  void put(i64 x, i64 y, int w) {
    if (x < 0 || y < 0 || x >= img.w || y >= img.h) return;
    PIX_CombinePixels2(&img.at((int)x, (int)y), 255, 255, 255, 255, w, 0);
  }
  void vline(i64 x, i64 y1, i64 y2, int w) {
    for (i64 y = std::max<i64>(y1, 0); y <= std::min<i64>(y2, img.h - 1); ++y) put(x, y, w);
  }
  void hline(i64 y, i64 x1, i64 x2, int w) {
    for (i64 x = std::max<i64>(x1, 0); x <= std::min<i64>(x2, img.w - 1); ++x) put(x, y, w);
  }
};

// The midpoint circle as a running error, step by step.
void referenceAliased(Canvas& c, float cx, float cy, float r, bool filled, int ia) {
  const i64 X = (i64)(cx + 0.5), Y = (i64)(cy + 0.5), R = (i64)(r + 0.5);
  if (filled) {
    c.vline(X, Y - R, Y - 1, ia);
    c.vline(X, Y + 1, Y + R, ia);
    c.hline(Y, X - R, X + R, ia);
  } else {
    c.put(X, Y - R, ia);
    c.put(X + R, Y, ia);
    c.put(X, Y + R, ia);
    c.put(X - R, Y, ia);
  }
  if (R < 2) return;
  i64 y = R, err = -R;
  for (i64 i = 1;; ++i) {
    i64 step;
    if (err < 0) {
      step = i;
    } else {
      step = i + 1 - y;
      --y;
    }
    if (filled) {
      c.vline(X - i, Y - y, Y - i - 1, ia);
      c.vline(X - i, Y + i + 1, Y + y, ia);
      c.vline(X + i, Y - y, Y - i - 1, ia);
      c.vline(X + i, Y + i + 1, Y + y, ia);
      c.hline(Y - i, X - y, X - i, ia);
      c.hline(Y - i, X + i, X + y, ia);
      c.hline(Y + i, X - y, X - i, ia);
      c.hline(Y + i, X + i, X + y, ia);
    } else {
      c.put(X - i, Y - y, ia);
      c.put(X - i, Y + y, ia);
      c.put(X + i, Y - y, ia);
      c.put(X + i, Y + y, ia);
      if (i != y) {
        c.put(X - y, Y - i, ia);
        c.put(X - y, Y + i, ia);
        c.put(X + y, Y - i, ia);
        c.put(X + y, Y + i, ia);
      }
    }
    err += 2 * step + 1;
    if (!(i + 1 < y)) break;
  }
}

// The anti-aliased ring, one square root per step.
void referenceAA(Canvas& c, float cx, float cy, float r, bool filled, int ia) {
  const i64 X = (i64)(cx + 0.5), Y = (i64)(cy + 0.5), Ri = (i64)r;
  const int wa = (int)((r - floorf(r)) * (float)ia);
  c.put(X, Y - Ri - 1, wa);
  c.put(X, Y + Ri + 1, wa);
  c.put(X - Ri - 1, Y, wa);
  c.put(X + Ri + 1, Y, wa);
  if (filled) {
    c.vline(X, Y - Ri, Y - 1, ia);
    c.vline(X, Y + 1, Y + Ri, ia);
    c.hline(Y, X - Ri, X + Ri, ia);
  } else {
    c.put(X, Y - Ri, ia - wa);
    c.put(X + Ri, Y, ia - wa);
    c.put(X, Y + Ri, ia - wa);
    c.put(X - Ri, Y, ia - wa);
  }
  const float rr = r * r;
  for (i64 i = 1;; ++i) {
    const double q = (double)rr - (double)i * i;
    if (q < 0) break;
    const double e = sqrt(q);
    const i64 d = (i64)e, n = (i64)(e + 0.5);
    const int w = (int)((e - floor(e)) * ia);
    if (i == 1 && n < 1) break;
    c.put(X - i, Y - d - 1, w);
    c.put(X - i, Y + d + 1, w);
    c.put(X + i, Y - d - 1, w);
    c.put(X + i, Y + d + 1, w);
    if (i != n) {
      c.put(X - d - 1, Y - i, w);
      c.put(X + d + 1, Y - i, w);
      c.put(X - d - 1, Y + i, w);
      c.put(X + d + 1, Y + i, w);
    }
    if (filled) {
      c.vline(X - i, Y - d, Y - i - 1, ia);
      c.vline(X - i, Y + i + 1, Y + d, ia);
      c.vline(X + i, Y - d, Y - i - 1, ia);
      c.vline(X + i, Y + i + 1, Y + d, ia);
      c.hline(Y - i, X - d, X - i, ia);
      c.hline(Y - i, X + i, X + d, ia);
      c.hline(Y + i, X - d, X - i, ia);
      c.hline(Y + i, X + i, X + d, ia);
    } else {
      c.put(X - d, Y - i, ia - w);
      c.put(X + d, Y - i, ia - w);
      c.put(X - i, Y + d, ia - w);
      c.put(X + i, Y + d, ia - w);
      if (i != n) {
        c.put(X - i, Y - d, ia - w);
        c.put(X + i, Y - d, ia - w);
        c.put(X - d, Y + i, ia - w);
        c.put(X + d, Y + i, ia - w);
      }
    }
    const double q2 = (double)rr - (double)(i + 1) * (i + 1);
    if (q2 < 0 || !(i < (i64)(sqrt(q2) + 0.5))) break;
  }
}

Image referenceCircle(const Image& bg, float cx, float cy, float r, bool aa, bool filled, int ia) {
  Canvas c(bg);
  if (aa) referenceAA(c, cx, cy, r, filled, ia);
  else referenceAliased(c, cx, cy, r, filled, ia);
  return c.img;
}

TEST(Circle, RasterisersMatchTheStepByStepReference) {
  const float radii[] = {0.3f, 1.2f, 2.01f, 2.7f, 5.0f, 5.49f, 7.3f, 12.0f, 17.8f, 30.5f};
  const float centres[][2] = {{20.0f, 18.0f}, {20.4f, 18.6f}, {1.5f, 2.2f}, {37.6f, 33.1f},
                              {-6.0f, 10.0f}, {20.0f, 40.0f}};
  for (bool aa : {false, true})
    for (bool filled : {false, true})
      for (float r : radii)
        for (const auto& c : centres)
          for (float alpha : {1.0f, 0.7f}) {
            PIX_MemBitmap b(40, 36, 4);
            PIX_Clear(&b, 0xFF000000);
            const Image bg = readImage(&b);
            if (filled) PIX_FillCircle(&b, c[0], c[1], r, kWhite, alpha, 0, aa);
            else PIX_Circle(&b, c[0], c[1], r, kWhite, alpha, 0, aa);
            const Image want = referenceCircle(bg, c[0], c[1], r, aa, filled, (int)(alpha * 256));
            ASSERT_EQ(firstDifference(readImage(&b), want), "")
                << "r " << r << " at " << c[0] << "," << c[1] << " aa " << aa << " filled "
                << filled << " alpha " << alpha;
          }
}

TEST(Circle, AliasedCountsAndDiscsTouchEachPixelOnce) {
  auto count = [](float r) {
    PIX_MemBitmap b(20, 20, 4);
    PIX_Clear(&b, 0);
    PIX_Circle(&b, 10, 10, r, kWhite, 1.0f, 0, false);
    return changed(readImage(&b), 0).size();
  };
  EXPECT_EQ(count(2.01f), 12u);
  EXPECT_EQ(count(3.2f), 16u);
  EXPECT_EQ(count(1.2f), 4u);
  // A rounded radius of 0 combines the centre four times.
  PIX_MemBitmap b(5, 5, 4);
  PIX_Clear(&b, 0);
  PIX_Circle(&b, 2, 2, 0.3f, kWhite, 0.5f, 0, false);
  EXPECT_EQ(PIX_GetPixel(&b, 2, 2), 0xEEEEEEEEu);  // half mixes: 127, 190, 222, 238
  EXPECT_EQ(changed(readImage(&b), 0).size(), 1u);
  // A translucent disc shows no double-weighted pixels: every covered pixel
  // is one half mix.
  for (float r : {2.6f, 6.0f, 9.4f, 15.5f}) {
    PIX_MemBitmap d(40, 40, 4);
    PIX_Clear(&d, 0);
    PIX_FillCircle(&d, 19.3f, 20.0f, r, kWhite, 0.5f, 0, false);
    for (uint32_t p : readImage(&d).px) EXPECT_TRUE(p == 0 || p == 0x7F7F7F7Fu) << r;
    EXPECT_GT(changed(readImage(&d), 0).size(), (size_t)(2.5 * r * r));
  }
  // A whole radius anti-aliased disc has no visible outer ring and a solid
  // inside.
  PIX_MemBitmap d(30, 30, 4);
  PIX_Clear(&d, 0);
  PIX_FillCircle(&d, 15, 15, 8.0f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(PIX_GetPixel(&d, 15, 6), 0u);
  EXPECT_EQ(PIX_GetPixel(&d, 15, 7), kWhite);
  EXPECT_EQ(PIX_GetPixel(&d, 12, 12), kWhite);
}

TEST(Circle, StoredPatternsForSmallHalfRadii) {
  // Radius 2.0, two-level: stamped at ((int)(cx - 2), (int)(cy - 2)).
  const char* rows[] = {"..#..", ".#.#.", "#...#", ".#.#.", "..#.."};
  PIX_MemBitmap b(16, 12, 4);
  PIX_Clear(&b, 0x11111111);
  PIX_Circle(&b, 10.7f, 5.2f, 2.0f, 0xFF336699, 1.0f, 0, false);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) {
      const int gx = x - 8, gy = y - 3;
      const bool on = gx >= 0 && gx < 5 && gy >= 0 && gy < 5 && rows[gy][gx] == '#';
      EXPECT_EQ(PIX_GetPixel(&b, x, y), on ? 0xFF336699u : 0x11111111u) << x << "," << y;
    }
  // Graded radius 1.5: the corner weight 0x4F at full strength.
  PIX_Clear(&b, 0);
  PIX_Circle(&b, 4.0f, 4.0f, 1.5f, kWhite, 1.0f, 0, true);
  uint32_t corner = 0;
  PIX_CombinePixels2(&corner, 255, 255, 255, 255, 0x4F, 0);
  EXPECT_EQ(PIX_GetPixel(&b, 2, 2), corner);
  EXPECT_EQ(PIX_GetPixel(&b, 3, 2), kWhite);
  EXPECT_EQ(changed(readImage(&b), 0).size(), 16u);
  // Every pattern radius stamps its size; 2.01 goes through the rasteriser.
  const float sizes[][2] = {{1.5f, 4}, {2.0f, 5}, {2.5f, 6}, {3.0f, 7}, {3.5f, 8}, {4.0f, 9}};
  for (const auto& s : sizes) {
    PIX_Clear(&b, 0);
    PIX_Circle(&b, 6.0f, 6.0f, s[0], kWhite, 1.0f, 0, true);
    int minx = 99, maxx = -1;
    for (const auto& p : changed(readImage(&b), 0)) {
      minx = std::min(minx, p.first);
      maxx = std::max(maxx, p.first);
    }
    EXPECT_EQ(minx, (int)(6.0f - s[0])) << s[0];
    EXPECT_EQ(maxx - minx + 1, (int)s[1]) << s[0];
  }
}

TEST(Circle, ModesWeightsAndOffBitmapShapes) {
  auto centrePixel = [](float alpha, int mode, bool aa) {
    PIX_MemBitmap b(20, 20, 4);
    PIX_Clear(&b, 0x80808080);
    PIX_Circle(&b, 10, 10, 6.2f, kWhite, alpha, mode, aa);
    return PIX_GetPixel(&b, 10, 4);
  };
  EXPECT_EQ(centrePixel(1.0f, 0, false), kWhite);
  EXPECT_EQ(centrePixel(0.5f, 0, false), 0xBFBFBFBFu);
  EXPECT_EQ(centrePixel(0.6f, PIX_OP_ADD, false), 0xFFFFFFFFu);
  EXPECT_EQ(centrePixel(0.001f, 0, false), 0x80808080u);
  EXPECT_EQ(centrePixel(1.0f, 6, true), 0x80808080u);
  EXPECT_EQ(centrePixel(-1.0f, 0, true), 0x80808080u);
  // Boxes more than 2 pixels off the bitmap draw nothing; edges clip.
  FramedBitmap f(10, 8, false);
  PIX_Circle(&f, -10, 4, 7.0f, kWhite, 1.0f, 0, false);
  PIX_Circle(&f, 4, 20, 9.0f, kWhite, 1.0f, 0, true);
  PIX_FillCircle(&f, 25, 4, 12.0f, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(changed(readImage(&f), 0).empty());
  PIX_FillCircle(&f, -2, 4, 5.0f, kWhite, 1.0f, 0, true);
  EXPECT_FALSE(changed(readImage(&f), 0).empty());
  EXPECT_TRUE(f.frameIntact());
}

TEST(Circle, HugeRadiiCostOnlyTheVisiblePart) {
  // Circles whose rim crosses a small bitmap from far away: the same pixels
  // as stepping the whole ring.
  const float cases[][3] = {{-99990.0f, 12.0f, 100000.0f}, {20.0f, 150017.3f, 150000.2f},
                            {-3000.5f, -4000.5f, 5010.0f}, {60000.0f, -70000.0f, 92203.9f}};
  for (const auto& c : cases)
    for (bool aa : {false, true})
      for (bool filled : {false, true}) {
        PIX_MemBitmap b(40, 30, 4);
        PIX_Clear(&b, 0);
        const Image bg = readImage(&b);
        if (filled) PIX_FillCircle(&b, c[0], c[1], c[2], kWhite, 0.8f, 0, aa);
        else PIX_Circle(&b, c[0], c[1], c[2], kWhite, 0.8f, 0, aa);
        ASSERT_EQ(firstDifference(readImage(&b),
                                  referenceCircle(bg, c[0], c[1], c[2], aa, filled, 204)),
                  "")
            << c[0] << "," << c[1] << " r " << c[2] << " aa " << aa << " filled " << filled;
        if (!filled) {
          EXPECT_FALSE(changed(readImage(&b), 0).empty());
        }
      }
  // A radius of a billion: done in a blink, inside the bitmap.
  const auto start = std::chrono::steady_clock::now();
  FramedBitmap f(40, 30, true);
  for (bool aa : {false, true}) {
    PIX_Circle(&f, 20, 1e9f + 15, 1e9f, kWhite, 1.0f, 0, aa);
    PIX_FillCircle(&f, -1e9f, 15, 1e9f + 10, kWhite, 1.0f, 0, aa);
    PIX_Arc(&f, 20, 1e9f, 1e9f, -1.0f, 1.0f, kWhite, 1.0f, 0, aa);
    PIX_Circle(&f, 20, 15, 1e30f, kWhite, 1.0f, 0, aa);  // beyond any use: nothing
    PIX_Circle(&f, NAN, 15, 4.7f, kWhite, 1.0f, 0, aa);
    PIX_Arc(&f, 20, 15, INFINITY, 0, 1, kWhite, 1.0f, 0, aa);
    PIX_Arc(&f, 20, 15, 9.0f, NAN, 1, kWhite, 1.0f, 0, aa);
  }
  EXPECT_TRUE(f.frameIntact());
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);
}

TEST(Arc, QuartersByAngleAndFullTurns) {
  const float kPi = 3.14159265358979f;
  auto arcPixels = [](float a0, float a1, bool flip) {
    std::unique_ptr<PIX_IBitmap> b(flip ? (PIX_IBitmap*)new FlippedBitmap(31, 31)
                                        : new PIX_MemBitmap(31, 31, 4));
    PIX_Clear(b.get(), 0);
    PIX_Arc(b.get(), 15, 15, 10.2f, a0, a1, kWhite, 1.0f, 0, false);
    return readImage(b.get());
  };
  PIX_MemBitmap full(31, 31, 4);
  PIX_Clear(&full, 0);
  PIX_Circle(&full, 15, 15, 10.2f, kWhite, 1.0f, 0, false);
  const Image circle = readImage(&full);
  for (bool flip : {false, true}) {
    // 12 o'clock to 3 o'clock: the upper right quarter of the circle.
    const Image q = arcPixels(0, kPi / 2, flip);
    for (int y = 0; y < 31; ++y)
      for (int x = 0; x < 31; ++x) {
        const bool inQuarter = x >= 15 && y <= 15;
        EXPECT_EQ(q.at(x, y), inQuarter ? circle.at(x, y) : 0u) << x << "," << y << " " << flip;
      }
    const Image ul = arcPixels(-kPi / 2, 0, flip);
    EXPECT_EQ(ul.at(5, 15), kWhite);
    EXPECT_EQ(ul.at(15, 5), kWhite);
    EXPECT_EQ(ul.at(25, 15), 0u);
    EXPECT_EQ(ul.at(15, 25), 0u);
    EXPECT_EQ(arcPixels(kPi / 2, 0, flip), q);
    EXPECT_EQ(arcPixels(-1.0f, 2 * kPi, flip), circle);
    EXPECT_EQ(arcPixels(7.0f, 7.0f + 2 * kPi, flip), circle);
  }
  // A full turn includes the stored patterns.
  PIX_MemBitmap a(12, 12, 4), b(12, 12, 4);
  PIX_Clear(&a, 0);
  PIX_Clear(&b, 0);
  PIX_Arc(&a, 6, 6, 3.0f, 0, 7.0f, kWhite, 1.0f, 0, true);
  PIX_Circle(&b, 6, 6, 3.0f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(readImage(&a), readImage(&b));
  // Angles beyond a turn are brought back: the same quarter.
  EXPECT_EQ(arcPixels(4 * kPi, 4 * kPi + kPi / 2, false), arcPixels(0, kPi / 2, false));
}

TEST(RoundRect, CornersAndFallbacks) {
  PIX_MemBitmap a(30, 20, 4), b(30, 20, 4);
  for (int r : {0, 1}) {
    PIX_Clear(&a, 0);
    PIX_Clear(&b, 0);
    PIX_RoundRect(&a, 2, 3, 20, 12, r, kWhite, 1.0f, 0, false);
    PIX_DrawRect(&b, 2, 3, 20, 12, kWhite, 1.0f, 0);
    EXPECT_EQ(readImage(&a), readImage(&b)) << r;
  }
  PIX_Clear(&a, 0);
  PIX_Clear(&b, 0);
  PIX_RoundRect(&a, 2, 3, 3, 12, 5, kWhite, 1.0f, 0, false);  // w / 2 below 2
  PIX_DrawRect(&b, 2, 3, 3, 12, kWhite, 1.0f, 0);
  EXPECT_EQ(readImage(&a), readImage(&b));

  PIX_Clear(&a, 0);
  PIX_RoundRect(&a, 2, 3, 20, 12, 4, kWhite, 1.0f, 0, false);
  const Image img = readImage(&a);
  EXPECT_EQ(img.at(2, 3), 0u);  // the corners are cut
  EXPECT_EQ(img.at(22, 15), 0u);
  EXPECT_EQ(img.at(12, 3), kWhite);  // edges
  EXPECT_EQ(img.at(12, 15), kWhite);
  EXPECT_EQ(img.at(2, 9), kWhite);
  EXPECT_EQ(img.at(22, 9), kWhite);
  // The outline stays connected: every drawn pixel has a drawn neighbour.
  for (const auto& p : changed(img, 0)) {
    int n = 0;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if ((dx || dy) && p.first + dx >= 0 && p.second + dy >= 0 && p.first + dx < 30 &&
            p.second + dy < 20 && img.at(p.first + dx, p.second + dy))
          ++n;
    EXPECT_GE(n, 2) << p.first << "," << p.second;
  }
  FramedBitmap f(10, 8, true);
  PIX_RoundRect(&f, -1e9f, 2, 3e9f, 1e9f, 1000000, kWhite, 1.0f, 0, true);
  PIX_RoundRect(&f, NAN, 2, 5, 5, 3, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(f.frameIntact());
}

}  // namespace
