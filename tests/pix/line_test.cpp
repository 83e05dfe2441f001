// Lines: every octant aliased and anti-aliased, float lines, dashes,
// clipping and extreme input.

#include <gtest/gtest.h>
#include <limits.h>
#include <math.h>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "pix_test_util.h"

namespace {

typedef std::map<std::pair<int, int>, int> Coverage;  // pixel -> weight

const uint32_t kWhite = 0xFFFFFFFF;

// The pixels of an integer line inside the bitmap, stepped from both ends:
// at major step i from either end the minor offset is
// floor(i x slope / 65536 + 1/2); with aa the ends are full and each
// interior column splits 255 between offset floor(i x slope / 65536) and the
// next pixel.
Coverage referenceLine(int x1, int y1, int x2, int y2, bool aa) {
  Coverage c;
  const int dx = x2 - x1, dy = y2 - y1;
  if (dy == 0 || dx == 0 || abs(dx) == abs(dy)) {
    const int n = std::max(abs(dx), abs(dy));
    const int sx = dx > 0 ? 1 : dx < 0 ? -1 : 0, sy = dy > 0 ? 1 : dy < 0 ? -1 : 0;
    for (int i = 0; i <= n; ++i) c[{x1 + i * sx, y1 + i * sy}] = 256;
    return c;
  }
  const bool xmajor = abs(dx) > abs(dy);
  int sx = x1, sy = y1, ex = x2, ey = y2;
  if ((xmajor ? dx : dy) < 0) {
    std::swap(sx, ex);
    std::swap(sy, ey);
  }
  const int n = xmajor ? ex - sx : ey - sy, m = xmajor ? ey - sy : ex - sx;
  const int sgn = m < 0 ? -1 : 1;
  const long long slope = (long long)((double)abs(m) / (double)n * 65536.0);
  auto at = [&](bool fromStart, long long i, long long off) {
    const int s = fromStart ? 1 : -1;
    const int bx = fromStart ? sx : ex, by = fromStart ? sy : ey;
    return xmajor ? std::make_pair(bx + s * (int)i, by + s * sgn * (int)off)
                  : std::make_pair(bx + s * sgn * (int)off, by + s * (int)i);
  };
  const int half = (n + 1) / 2;
  if (!aa) {
    for (int i = 0; i < half; ++i) {
      const long long off = (i * slope + 32768) >> 16;
      c[at(true, i, off)] = 256;
      c[at(false, i, off)] = 256;
    }
    if (n % 2 == 0) c[at(true, half, (half * slope + 32768) >> 16)] = 256;
    return c;
  }
  c[at(true, 0, 0)] = 256;
  c[at(false, 0, 0)] = 256;
  auto column = [&](bool fromStart, long long i) {
    const long long e = i * slope, f = (e & 0xffff) >> 8;
    c[at(fromStart, i, e >> 16)] = (int)(255 - f);
    c[at(fromStart, i, (e >> 16) + 1)] = (int)f;
  };
  for (int i = 1; i < half; ++i) {
    column(true, i);
    column(false, i);
  }
  if (n % 2 == 0) column(true, half);
  return c;
}

// Copy mode at weight 256 (clobber) or the coverage weight (weighted copy)
// of white over black.
Image expectedImage(int w, int h, const Coverage& cov) {
  Image img(w, h, 0);
  for (const auto& p : cov) {
    uint32_t d = 0;
    if (p.second == 256) d = kWhite;
    else PIX_CombinePixels2(&d, 255, 255, 255, 255, p.second, 0);
    img.at(p.first.first, p.first.second) = d;
  }
  return img;
}

TEST(Line, EveryOctantMatchesTheTwoEndedStepper) {
  const int W = 41, H = 41, cx = 20, cy = 20;
  int checked = 0;
  for (bool aa : {false, true})
    for (bool flip : {false, true})
      for (int tx = -18; tx <= 18; tx += 3)
        for (int ty = -18; ty <= 18; ty += 4) {
          std::unique_ptr<PIX_IBitmap> b(flip ? (PIX_IBitmap*)new FlippedBitmap(W, H)
                                              : new PIX_MemBitmap(W, H, 4));
          PIX_Clear(b.get(), 0);
          PIX_Line(b.get(), cx, cy, cx + tx, cy + ty, kWhite, 1.0f, 0, aa);
          const Image got = readImage(b.get());
          // A flipped bitmap is drawn in memory rows: the line runs from the
          // end with the smaller memory coordinate.
          Image want;
          if (flip) {
            Coverage mem = referenceLine(cx, H - 1 - cy, cx + tx, H - 1 - (cy + ty), aa), shown;
            for (const auto& p : mem) shown[{p.first.first, H - 1 - p.first.second}] = p.second;
            want = expectedImage(W, H, shown);
          } else {
            want = expectedImage(W, H, referenceLine(cx, cy, cx + tx, cy + ty, aa));
          }
          if (aa && abs(tx) == abs(ty) && tx != 0) {
            // 45 degrees with aa: 3/4 colour on the diagonal, 1/4 beside it.
            want = Image(W, H, 0);
            const int sx = tx > 0 ? 1 : -1, sy = ty > 0 ? 1 : -1;
            for (int i = 0; i <= abs(tx); ++i) {
              if (i < abs(tx)) {
                want.at(cx + i * sx + sx, cy + i * sy) = 0x3F3F3F3F;
                want.at(cx + i * sx, cy + i * sy + sy) = 0x3F3F3F3F;
              }
              want.at(cx + i * sx, cy + i * sy) = 0xBEBEBEBE;
            }
          }
          ASSERT_EQ(firstDifference(got, want), "")
              << "to (" << tx << ", " << ty << ") aa " << aa << " flipped " << flip;
          // Drawn in reverse: the same pixels.
          PIX_Clear(b.get(), 0);
          PIX_Line(b.get(), cx + tx, cy + ty, cx, cy, kWhite, 1.0f, 0, aa);
          ASSERT_EQ(firstDifference(readImage(b.get()), got), "") << tx << "," << ty;
          ++checked;
        }
  EXPECT_EQ(checked, 4 * 13 * 10);
}

TEST(Line, AliasedPixelsFollowTheTrueLine) {
  // One pixel per major column, never more than half a pixel off the line.
  for (int tx = -30; tx <= 30; tx += 7)
    for (int ty = -29; ty <= 29; ty += 5) {
      PIX_MemBitmap b(61, 61, 4);
      PIX_Clear(&b, 0);
      PIX_Line(&b, 30, 30, 30 + tx, 30 + ty, kWhite, 1.0f, 0, false);
      const auto px = changed(readImage(&b), 0);
      const int n = std::max(abs(tx), abs(ty));
      ASSERT_EQ((int)px.size(), n + 1) << tx << "," << ty;
      for (const auto& p : px) {
        const double u = p.first - 30, v = p.second - 30;
        const double off = abs(tx) >= abs(ty) ? v - u * ty / (double)tx : u - v * tx / (double)ty;
        EXPECT_LE(fabs(off), 0.5 + 1e-9) << tx << "," << ty << " at " << u << "," << v;
      }
    }
  // From (0, 0) to (5, 2): one pixel per column.
  PIX_MemBitmap b(8, 4, 4);
  PIX_Clear(&b, 0);
  PIX_Line(&b, 0, 0, 5, 2, kWhite, 1.0f, 0, false);
  const std::vector<std::pair<int, int>> want = {{0, 0}, {1, 0}, {3, 1}, {2, 1}, {4, 2}, {5, 2}};
  auto got = changed(readImage(&b), 0);
  std::sort(got.begin(), got.end());
  auto sorted = want;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(got, sorted);
}

TEST(Line, ModesAndWeights) {
  PIX_MemBitmap b(6, 3, 4);
  auto row = [&](float alpha, int mode) {
    PIX_Clear(&b, 0x80808080);
    PIX_Line(&b, 0, 1, 5, 1, 0xFFFFFFFF, alpha, mode, false);
    return PIX_GetPixel(&b, 3, 1);
  };
  EXPECT_EQ(row(1.0f, 0), 0xFFFFFFFFu);
  EXPECT_EQ(row(1.0f, 0x10000), 0xFFFFFFFFu);  // the source-alpha bit plays no part
  EXPECT_EQ(row(0.5f, 0), 0xBFBFBFBFu);
  EXPECT_EQ(row(0.25f, 0), 0x9F9F9F9Fu);
  EXPECT_EQ(row(0.75f, 0), 0xDEDEDEDEu);  // 32 + 63 + 127
  EXPECT_EQ(row(0.502f, 0), 0xBFBFBFBFu);  // weight 128: the per-byte half mix
  EXPECT_EQ(row(0.6f, 0), PIX_CombinePixels(0x80808080, 0xFFFFFFFF, 0.6f, 0));
  EXPECT_EQ(row(0.6f, PIX_OP_MUL), PIX_CombinePixels(0x80808080, 0xFFFFFFFF, 0.6f, PIX_OP_MUL));
  EXPECT_EQ(row(1.0f, 6), 0x80808080u);
  EXPECT_EQ(row(0.003f, 0), 0x80808080u);
  EXPECT_EQ(row(-1.0f, 0), 0x80808080u);
  // A single point draws one pixel.
  PIX_Clear(&b, 0);
  PIX_Line(&b, 2, 2, 2, 2, kWhite, 1.0f, 0, true);
  EXPECT_EQ(changed(readImage(&b), 0), (std::vector<std::pair<int, int>>{{2, 2}}));
}

TEST(Line, ClippingAndExtremeCoordinates) {
  PIX_MemBitmap b(4, 8, 4);
  PIX_Clear(&b, 0);
  PIX_Line(&b, -10, 5, 10, 5, kWhite, 1.0f, 0, false);
  EXPECT_EQ(changed(readImage(&b), 0),
            (std::vector<std::pair<int, int>>{{0, 5}, {1, 5}, {2, 5}, {3, 5}}));
  PIX_Clear(&b, 0);
  PIX_Line(&b, -10, -3, -1, 20, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(changed(readImage(&b), 0).empty());

  // Hand-worked clips: intersections are taken with x = w (y = h) and the
  // point put on the last column (row); differences are formed in 64 bits.
  struct Clip {
    int in[4], w, h;
    bool visible;
    int out[4];
  } cases[] = {
      {{0, 0, 20, 10}, 10, 100, true, {0, 0, 9, 5}},
      {{-5, 4, 5, -6}, 10, 10, false, {0, -1, 5, -6}},
      {{-4, 2, 6, 7}, 10, 10, true, {0, 4, 6, 7}},
      {{3, -6, 3, 20}, 10, 10, true, {3, 0, 3, 9}},
      {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 100, 100, true, {0, 0, 99, 99}},
      {{INT_MAX, 5, INT_MIN, 5}, 100, 100, true, {99, 5, 0, 5}},
      {{5, 5, 6, 6}, 0, 10, false, {}},
  };
  for (const Clip& c : cases) {
    int v[4] = {c.in[0], c.in[1], c.in[2], c.in[3]};
    EXPECT_EQ(ClipLine(&v[0], &v[1], &v[2], &v[3], c.w, c.h), c.visible) << c.in[0] << "," << c.in[1];
    if (c.w > 0) {
      for (int k = 0; k < 4; ++k)
        EXPECT_EQ(v[k], c.out[k]) << c.in[0] << "," << c.in[1] << " [" << k << "]";
    }
  }
  int a = 5, b2 = 25, c = 15, d = 25;
  EXPECT_TRUE(PIX_ClipLine(&a, &b2, &c, &d, 10, 20, 20, 30));
  EXPECT_EQ(a, 10);
  EXPECT_EQ(c, 15);
  EXPECT_EQ(b2, 25);

  // Lines with extreme ends on plain and flipped bitmaps draw their visible
  // part and nothing outside.
  const int ext[] = {INT_MIN, -100000, -1, 0, 7, 100000, INT_MAX};
  for (bool flip : {false, true}) {
    FramedBitmap f(8, 6, flip);
    for (int p : ext)
      for (int q : ext)
        for (int r : ext) {
          PIX_Line(&f, p, q, r, 3, kWhite, 1.0f, 0, false);
          PIX_Line(&f, q, r, p, 2, kWhite, 0.7f, PIX_OP_ADD, true);
          PIX_Line(&f, r, p, q, r, kWhite, 0.3f, 0, true);
        }
    EXPECT_TRUE(f.frameIntact());
  }
  // The diagonal through a huge square is drawn where it crosses.
  PIX_MemBitmap sq(5, 5, 4);
  PIX_Clear(&sq, 0);
  PIX_Line(&sq, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kWhite, 1.0f, 0, false);
  EXPECT_EQ(changed(readImage(&sq), 0),
            (std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}));
}

TEST(FLine, AntiAliasedCoverageAndTruncation) {
  PIX_MemBitmap b(12, 8, 4);
  // A horizontal float line a quarter pixel down: 191 on row 2, 64 on row 3
  // for the whole columns 1..9.
  PIX_Clear(&b, 0);
  PIX_FLine(&b, 1.0f, 2.25f, 9.0f, 2.25f, kWhite, 1.0f, PIX_OP_ADD, true);
  for (int x = 0; x < 12; ++x) {
    const bool on = x >= 1 && x <= 9;
    EXPECT_EQ(PIX_GetPixel(&b, x, 2) & 255, on ? 255u * 191 / 256 : 0u) << x;
    EXPECT_EQ(PIX_GetPixel(&b, x, 3) & 255, on ? 255u * 64 / 256 : 0u) << x;
  }
  // Slope 1/2 from (0.5, 0.5): the line is at y = 0.75 in column 1, 1.25
  // in column 2, ...: weights (63, 192), (191, 64) alternate downwards.
  PIX_Clear(&b, 0);
  PIX_FLine(&b, 0.5f, 0.5f, 8.5f, 4.5f, 0x000000FF, 1.0f, PIX_OP_ADD, true);
  const int want[][3] = {{1, 0, 63}, {1, 1, 192}, {2, 1, 191}, {2, 2, 64}, {3, 1, 63},
                         {3, 2, 192}, {4, 2, 191}, {4, 3, 64}, {8, 4, 191}, {8, 5, 64}};
  for (const auto& w : want)
    EXPECT_EQ(PIX_GetPixel(&b, w[0], w[1]), (uint32_t)(255 * w[2] / 256)) << w[0] << "," << w[1];
  EXPECT_EQ(PIX_GetPixel(&b, 0, 0), 0u);
  EXPECT_EQ(PIX_GetPixel(&b, 9, 4), 0u);
  // Without aa the coordinates are truncated and PIX_Line draws.
  PIX_MemBitmap c(12, 8, 4);
  PIX_Clear(&b, 0);
  PIX_Clear(&c, 0);
  PIX_FLine(&b, 1.9f, 0.99f, 8.7f, 5.2f, kWhite, 1.0f, 0, false);
  PIX_Line(&c, 1, 0, 8, 5, kWhite, 1.0f, 0, false);
  EXPECT_EQ(readImage(&b), readImage(&c));
  // Equal points, zero weight and unknown operators draw nothing.
  PIX_Clear(&b, 0);
  PIX_FLine(&b, 3.5f, 3.5f, 3.5f, 3.5f, kWhite, 1.0f, 0, true);
  PIX_FLine(&b, 1.5f, 1.5f, 7.5f, 3.5f, kWhite, 0.001f, 0, true);
  PIX_FLine(&b, 1.5f, 1.5f, 7.5f, 3.5f, kWhite, 1.0f, 6, true);
  EXPECT_TRUE(changed(readImage(&b), 0).empty());
}

TEST(FLine, FlippedBitmapsAndStrayInputStayInside) {
  PIX_MemBitmap plain(20, 15, 4);
  FlippedBitmap flipped(20, 15);
  PIX_Clear(&plain, 0);
  PIX_Clear(&flipped, 0);
  PIX_FLine(&plain, 2.3f, 1.7f, 17.2f, 12.1f, kWhite, 0.8f, 0, true);
  PIX_FLine(&flipped, 2.3f, 1.7f, 17.2f, 12.1f, kWhite, 0.8f, 0, true);
  EXPECT_EQ(readImage(&plain), readImage(&flipped));
  EXPECT_FALSE(changed(readImage(&plain), 0).empty());

  // Random lines around and across small bitmaps, and non-finite ends.
  uint32_t s = 99;
  auto rnd = [&s](float lo, float hi) {
    s = s * 1664525u + 1013904223u;
    return lo + (hi - lo) * (float)(s >> 8) / 16777216.0f;
  };
  for (int size = 1; size <= 9; size += 4)
    for (bool flip : {false, true}) {
      FramedBitmap f(size, size + 2, flip);
      for (int i = 0; i < 3000; ++i) {
        const float m = i % 3 == 0 ? 1e6f : 3.0f * size;
        PIX_FLine(&f, rnd(-m, m), rnd(-m, m), rnd(-m, m), rnd(-m, m), kWhite, 1.0f,
                  i % 6, true);
      }
      const float odd[] = {NAN, INFINITY, -INFINITY, 3e38f, -3e38f, 0.5f};
      for (float p : odd)
        for (float q : odd) {
          PIX_FLine(&f, p, 0.5f, q, 1.5f, kWhite, 1.0f, 0, true);
          PIX_FLine(&f, 0.5f, p, 1.5f, q, kWhite, 1.0f, 0, false);
        }
      EXPECT_TRUE(f.frameIntact()) << size << " flipped " << flip;
    }
  float x1 = NAN, y1 = 0, x2 = 5, y2 = 5;
  EXPECT_FALSE(ClipFLine(&x1, &y1, &x2, &y2, 10, 10));
  x1 = -2, y1 = 1, x2 = 4, y2 = 4;
  EXPECT_TRUE(PIX_ClipFLine(&x1, &y1, &x2, &y2, -4, -1, 6, 9));
  EXPECT_FLOAT_EQ(x1, -2);
}

TEST(DashedLine, DashesAndDegenerateInput) {
  PIX_MemBitmap b(12, 12, 4);
  auto drawn = [&](int x1, int y1, int x2, int y2, int on, int off, float alpha = 1.0f) {
    PIX_Clear(&b, 0);
    PIX_DashedLine(&b, x1, y1, x2, y2, on, off, kWhite, alpha, 0, false);
    return changed(readImage(&b), 0);
  };
  typedef std::vector<std::pair<int, int>> Px;
  EXPECT_EQ(drawn(0, 1, 10, 1, 3, 2), (Px{{0, 1}, {1, 1}, {2, 1}, {5, 1}, {6, 1}, {7, 1}}));
  EXPECT_EQ(drawn(10, 1, 0, 1, 3, 2), (Px{{0, 1}, {1, 1}, {2, 1}, {5, 1}, {6, 1}, {7, 1}}));
  EXPECT_EQ(drawn(0, 1, 9, 1, 4, 1), (Px{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}}));
  EXPECT_EQ(drawn(2, 7, 2, 0, 2, 3), (Px{{2, 0}, {2, 1}, {2, 5}, {2, 6}}));
  EXPECT_EQ(drawn(2, 7, 2, 0, 2, 3, 0.6f).size(), 4u);
  // One on, one off, vertical, full strength: every other row.
  EXPECT_EQ(drawn(4, 2, 4, 7, 1, 1), (Px{{4, 2}, {4, 4}, {4, 6}}));
  EXPECT_EQ(drawn(4, 2, 4, 7, 1, 1, 0.9f), (Px{{4, 2}, {4, 4}, {4, 6}}));
  // Sloped lines and periods of zero or less draw nothing, and return.
  EXPECT_TRUE(drawn(0, 0, 5, 3, 2, 2).empty());
  EXPECT_TRUE(drawn(0, 1, 10, 1, 0, 0).empty());
  EXPECT_TRUE(drawn(0, 1, 10, 1, 3, -3).empty());
  EXPECT_TRUE(drawn(0, 1, 10, 1, -5, 2).empty());
  EXPECT_EQ(drawn(0, 1, 10, 1, INT_MAX, INT_MAX).size(), 10u);
  EXPECT_EQ(drawn(-2147483647, 3, 2147483647, 3, 1, INT_MAX).size(), 1u);
  EXPECT_EQ(drawn(0, 1, 10, 1, INT_MIN, INT_MAX).size(), 0u);
  EXPECT_TRUE(drawn(0, 1, 10, 1, 3, 2, 0.001f).empty());
}

}  // namespace
