// Rectangle outlines, trapezoids, convex polygons and triangles.

#include <gtest/gtest.h>
#include <limits.h>
#include <math.h>

#include <algorithm>
#include <vector>

#include "pix_test_util.h"

namespace {

typedef std::vector<std::pair<int, int>> Px;
const uint32_t kWhite = 0xFFFFFFFF;

Px sorted(Px p) {
  std::sort(p.begin(), p.end());
  return p;
}

Px filledRows(const std::vector<std::pair<int, int>>& spans, int firstRow) {
  Px p;
  for (size_t r = 0; r < spans.size(); ++r)
    for (int x = spans[r].first; x <= spans[r].second; ++x) p.push_back({x, firstRow + (int)r});
  return sorted(p);
}

TEST(Outline, DrawRectAndBorderedRect) {
  PIX_MemBitmap b(6, 5, 4);
  PIX_Clear(&b, 0);
  PIX_DrawRect(&b, 0, 0, 3, 2, kWhite, 1.0f, 0);
  EXPECT_EQ(sorted(changed(readImage(&b), 0)),
            sorted(Px{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {3, 1}, {0, 2}, {1, 2}, {2, 2}, {3, 2}}));
  // At half strength the corners are mixed twice.
  PIX_Clear(&b, 0);
  PIX_DrawRect(&b, 0, 0, 3, 2, kWhite, 0.5f, 0);
  EXPECT_EQ(PIX_GetPixel(&b, 0, 0), 0xBEBEBEBEu);  // 63 + 127
  EXPECT_EQ(PIX_GetPixel(&b, 3, 2), 0xBEBEBEBEu);
  EXPECT_EQ(PIX_GetPixel(&b, 1, 0), 0x7F7F7F7Fu);
  // Fill inside, outline around.
  PIX_Clear(&b, 0);
  PIX_BorderedRect(&b, 1, 1, 4, 3, 0xFF00FF00, kWhite, 1.0f, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool edge = (x == 1 || x == 5) ? y >= 1 && y <= 4 : (y == 1 || y == 4) && x >= 1 && x <= 5;
      const bool in = x >= 2 && x <= 4 && y >= 2 && y <= 3;
      EXPECT_EQ(PIX_GetPixel(&b, x, y), edge ? kWhite : in ? 0xFF00FF00u : 0u) << x << "," << y;
    }
  FramedBitmap f(6, 5, true);
  PIX_DrawRect(&f, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kWhite, 1.0f, 0);
  PIX_BorderedRect(&f, INT_MAX, 2, INT_MAX, INT_MIN, 0xFF, kWhite, 0.4f, PIX_OP_ADD);
  EXPECT_TRUE(f.frameIntact());
}

TEST(Trapezoid, RowsEdgesAndModes) {
  PIX_MemBitmap b(12, 10, 4);
  PIX_Clear(&b, 0);
  // One row when both rows coincide; the second pair only takes part in
  // the edge tests.
  PIX_FillTrapezoid(&b, 7, 3, 4, 0, 11, 4, kWhite, 1.0f, 0);
  EXPECT_EQ(sorted(changed(readImage(&b), 0)), filledRows({{3, 7}}, 4));
  // Rows given bottom first, pairs in either order; left edge from 2 to 0
  // (moving a pixel every second row), right edge from 5 to 9.
  PIX_Clear(&b, 0);
  PIX_FillTrapezoid(&b, 9, 0, 6, 2, 5, 2, kWhite, 1.0f, 0);
  EXPECT_EQ(sorted(changed(readImage(&b), 0)),
            filledRows({{2, 5}, {2, 6}, {1, 7}, {1, 8}, {0, 9}}, 2));
  // Modes: half strength is the word mix, other weights the operator.
  PIX_Clear(&b, 0x80808080);
  PIX_FillTrapezoid(&b, 0, 3, 0, 0, 3, 1, kWhite, 0.5f, 0);
  PIX_FillTrapezoid(&b, 0, 3, 2, 0, 3, 3, kWhite, 0.3f, PIX_OP_OVERLAY);
  PIX_FillTrapezoid(&b, 0, 3, 4, 0, 3, 4, kWhite, 1.0f, 6);
  PIX_FillTrapezoid(&b, 0, 3, 5, 0, 3, 5, kWhite, 0.001f, 0);
  EXPECT_EQ(PIX_GetPixel(&b, 2, 1), 0xBFBFBFBFu);
  uint32_t want = 0x80808080;
  PIX_CombinePixels2(&want, 255, 255, 255, 255, 76, PIX_OP_OVERLAY);
  EXPECT_EQ(PIX_GetPixel(&b, 3, 3), want);
  EXPECT_EQ(PIX_GetPixel(&b, 1, 4), 0x80808080u);
  EXPECT_EQ(PIX_GetPixel(&b, 1, 5), 0x80808080u);
}

TEST(Trapezoid, StartingAboveTheBitmapKeepsItsEdges) {
  // Drawn 6 rows higher on a bitmap 6 rows lower: the same picture.
  const int shapes[][6] = {{0, 3, 0, 11, 20, 9},   {-8, 2, 0, 5, 9, 14},  {4, 4, 0, -6, 30, 13},
                           {11, 11, 0, 0, 0, 17},  {1, 10, 0, 6, 6, 30},  {-40, 50, 0, 3, 4, 8}};
  for (const auto& s : shapes)
    for (int op : {0, 1}) {
      PIX_MemBitmap tall(12, 16, 4), shown(12, 10, 4);
      PIX_Clear(&tall, 0);
      PIX_Clear(&shown, 0);
      PIX_FillTrapezoid(&tall, s[0], s[1], s[2], s[3], s[4], s[5], kWhite, 0.6f, op);
      PIX_FillTrapezoid(&shown, s[0], s[1], s[2] - 6, s[3], s[4], s[5] - 6, kWhite, 0.6f, op);
      PIX_MemBitmap crop(12, 10, 4);
      PIX_Blit(&crop, &tall, 0, -6, (const RECT*)nullptr, 1.0f, 0);
      EXPECT_EQ(firstDifference(readImage(&shown), readImage(&crop)), "") << s[0] << "," << s[1];
    }
}

TEST(Trapezoid, ManyHiddenRowsOfASteepEdge) {
  // A left edge moving about two pixels a row, starting a million rows up:
  // the hidden rows' step is far beyond 32 bits.
  PIX_MemBitmap b(50, 20, 4);
  PIX_Clear(&b, 0);
  const long long tl = -2000000, yt = -1000000, bl = 10, yb = 10, tr = 40;
  PIX_FillTrapezoid(&b, (int)tl, (int)tr, (int)yt, (int)bl, (int)tr, (int)yb, kWhite, 1.0f, 0);
  const long long mag = (long long)((double)(bl - tl) * (65536.0 / (double)(yb - yt)));
  for (long long row = 0; row <= yb; ++row) {
    const long long left = tl + ((row - yt) * mag >> 16);
    for (int x = 0; x < 50; ++x) {
      const bool on = x >= left && x <= tr;
      ASSERT_EQ(PIX_GetPixel(&b, x, (int)row), on ? kWhite : 0u) << x << "," << row;
    }
  }
}

TEST(Polygon, TrianglesRowsAndDegenerateInput) {
  PIX_MemBitmap b(14, 14, 4);
  PIX_Clear(&b, 0);
  PIX_FillTriangle(&b, 0, 0, 0, 10, 10, 10, kWhite, 1.0f, 0);
  std::vector<std::pair<int, int>> spans;
  for (int r = 0; r <= 10; ++r) spans.push_back({0, r});
  EXPECT_EQ(sorted(changed(readImage(&b), 0)), filledRows(spans, 0));

  // All vertices on one row.
  PIX_Clear(&b, 0);
  const int xs[] = {4, 2, 7, 5}, ys[] = {5, 5, 5, 5};
  PIX_FillConvexPolygon(&b, xs, ys, 4, kWhite, 1.0f, 0);
  EXPECT_EQ(sorted(changed(readImage(&b), 0)), filledRows({{2, 7}}, 5));

  // Two vertices, polygons above or below, null input: nothing.
  PIX_Clear(&b, 0);
  PIX_FillConvexPolygon(&b, xs, ys, 2, kWhite, 1.0f, 0);
  const int ax[] = {1, 8, 4}, ay[] = {-9, -9, -1}, by[] = {14, 20, 30};
  PIX_FillConvexPolygon(&b, ax, ay, 3, kWhite, 1.0f, 0);
  PIX_FillConvexPolygon(&b, ax, by, 3, kWhite, 1.0f, 0);
  PIX_FillConvexPolygon(&b, nullptr, ay, 3, kWhite, 1.0f, 0);
  PIX_FillConvexPolygon(nullptr, ax, ay, 3, kWhite, 1.0f, 0);
  EXPECT_TRUE(changed(readImage(&b), 0).empty());

  // A diamond: rows widen to the middle and narrow again.
  PIX_Clear(&b, 0);
  const int dx[] = {6, 12, 6, 0}, dy[] = {0, 6, 12, 6};
  PIX_FillConvexPolygon(&b, dx, dy, 4, kWhite, 1.0f, 0);
  for (int y = 0; y <= 12; ++y) {
    const int half = y <= 6 ? y : 12 - y;
    for (int x = 0; x < 14; ++x)
      EXPECT_EQ(PIX_GetPixel(&b, x, y), abs(x - 6) <= half ? kWhite : 0u) << x << "," << y;
  }
}

TEST(Polygon, VertexOrderDoesNotMatterAlsoBeyondTheStackBuffer) {
  // 600 vertices of a circle of radius 40.
  std::vector<int> x, y;
  for (int i = 0; i < 600; ++i) {
    const double a = 2 * M_PI * i / 600;
    x.push_back((int)lround(45 + 40 * cos(a)));
    y.push_back((int)lround(45 + 40 * sin(a)));
  }
  PIX_MemBitmap ref(90, 90, 4);
  PIX_Clear(&ref, 0);
  PIX_FillConvexPolygon(&ref, x.data(), y.data(), 600, kWhite, 1.0f, 0);
  const Image want = readImage(&ref);
  EXPECT_GT(changed(want, 0).size(), 4500u);  // about pi x 40^2
  std::vector<int> order(600);
  for (int i = 0; i < 600; ++i) order[i] = i;
  uint32_t s = 7;
  for (int round = 0; round < 3; ++round) {
    if (round == 1) std::reverse(order.begin(), order.end());
    if (round == 2)
      for (int i = 599; i > 0; --i) {
        s = s * 1664525u + 1013904223u;
        std::swap(order[i], order[s % (i + 1)]);
      }
    std::vector<int> ox, oy;
    for (int i : order) {
      ox.push_back(x[i]);
      oy.push_back(y[i]);
    }
    PIX_MemBitmap b(90, 90, 4);
    PIX_Clear(&b, 0);
    PIX_FillConvexPolygon(&b, ox.data(), oy.data(), 600, kWhite, 1.0f, 0);
    EXPECT_EQ(firstDifference(readImage(&b), want), "") << round;
  }
}

TEST(Polygon, StrayInputStaysInside) {
  uint32_t s = 3;
  auto rnd = [&s](int lo, int hi) {
    s = s * 1664525u + 1013904223u;
    return lo + (int)((s >> 8) % (uint32_t)(hi - lo + 1));
  };
  const int big[] = {INT_MIN, INT_MIN + 1, -1000000, 1000000, INT_MAX - 1, INT_MAX};
  for (bool flip : {false, true}) {
    FramedBitmap f(9, 7, flip);
    for (int i = 0; i < 2000; ++i) {
      int xs[5], ys[5];
      for (int k = 0; k < 5; ++k) {
        xs[k] = i % 4 == 0 ? big[rnd(0, 5)] : rnd(-15, 25);
        ys[k] = i % 5 == 0 ? big[rnd(0, 5)] : rnd(-15, 25);
      }
      PIX_FillConvexPolygon(&f, xs, ys, 3 + i % 3, kWhite, 0.7f, i % 7);
      PIX_FillTrapezoid(&f, xs[0], xs[1], ys[0], xs[2], xs[3], ys[1], kWhite, 1.0f, 0);
    }
    EXPECT_TRUE(f.frameIntact()) << flip;
  }
}

}  // namespace
