// Bezier curves and fills: the chains of segments and fill chords against
// the committed reference table (make_bezier_reference.py), the chord fills
// themselves, the x solvers, curves whose x turns back, and bad input.

#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pix_test_util.h"

namespace {

const unsigned int kColor = 0xFF3366CCu;
const float kAlpha = 0.6f;  // below full strength: pixels drawn twice show

struct BezierCase {
  std::string kind, line;
  float tol;
  int fill = 0;
  std::vector<float> p;       // the curve's points
  std::vector<float> chain;   // draws: x, y of each point
  std::vector<int> chords;    // fills: x1, y1, x2, y2 of each chord
};

std::vector<BezierCase> loadCases() {
  std::ifstream in(HB_TEST_DATA_DIR "/bezier.txt");
  std::vector<BezierCase> out;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    BezierCase c;
    c.line = line.substr(0, line.find(':'));
    int w, n;
    std::string tok;
    s >> c.kind >> w >> tok;
    c.tol = strtof(tok.c_str(), nullptr);
    if (c.kind == "cfill" || c.kind == "cfillx") s >> c.fill;
    const int np = c.kind == "qdraw" ? 6 : 8;
    for (int i = 0; i < np; ++i) {
      s >> tok;
      c.p.push_back(strtof(tok.c_str(), nullptr));
    }
    s >> tok >> n;
    if (c.kind == "qdraw" || c.kind == "cdraw") {
      for (int i = 0; i < 2 * n; ++i) {
        s >> tok;
        c.chain.push_back(strtof(tok.c_str(), nullptr));
      }
    } else {
      c.chords.resize(4 * (size_t)n);
      for (int& v : c.chords) s >> v;
    }
    if (!s.fail()) out.push_back(c);
  }
  return out;
}

void drawCase(PIX_IBitmap* b, const BezierCase& c, bool aa) {
  const std::vector<float>& p = c.p;
  if (c.kind == "qdraw")
    PIX_DrawQBezier(b, p[0], p[1], p[2], p[3], p[4], p[5], kColor, kAlpha, 0, aa, c.tol);
  else if (c.kind == "cdraw")
    PIX_DrawCBezier(b, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], kColor, kAlpha, 0, aa, c.tol);
  else if (c.kind == "cfill")
    PIX_FillCBezier(b, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], c.fill, kColor, kAlpha, 0,
                    c.tol);
  else
    PIX_FillCBezierX(b, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], c.fill, kColor, kAlpha, 0,
                     c.tol);
}

// What the table says is drawn: the chain's segments, or the chords.
void replayCase(PIX_IBitmap* b, const BezierCase& c, bool aa) {
  for (size_t i = 2; i < c.chain.size(); i += 2)
    PIX_FLine(b, c.chain[i - 2], c.chain[i - 1], c.chain[i], c.chain[i + 1], kColor, kAlpha, 0, aa);
  for (size_t i = 0; i < c.chords.size(); i += 4) {
    const int* k = &c.chords[i];
    if (c.kind == "cfill")
      DoBezierFillSegment(b, k[0], k[1], k[2], k[3], c.fill, kColor, kAlpha, 0);
    else
      DoBezierFillSegmentX(b, k[0], k[1], k[2], k[3], c.fill, kColor, kAlpha, 0);
  }
}

TEST(Bezier, CurvesAndFillsMatchTheReferenceTable) {
  const std::vector<BezierCase> cases = loadCases();
  ASSERT_EQ(cases.size(), 39u);
  for (const BezierCase& c : cases)
    for (bool aa : {false, true}) {
      if (aa && c.kind[1] == 'f') continue;  // fills are not smoothed
      PIX_MemBitmap got(40, 30, 4), want(40, 30, 4);
      PIX_Clear(&got, 0xFF000000u);
      PIX_Clear(&want, 0xFF000000u);
      drawCase(&got, c, aa);
      replayCase(&want, c, aa);
      ASSERT_EQ(firstDifference(readImage(&got), readImage(&want)), "") << c.line << " aa " << aa;
      if (c.chain.empty() && c.chords.empty()) {
        EXPECT_TRUE(changed(readImage(&got), 0xFF000000u).empty()) << c.line;
      }
    }
}

// ---- Chord fills

struct Call {
  bool line;
  std::vector<int> xy;  // a line's ends, or a polygon's x0 y0 x1 y1 ...
};

void draw(PIX_IBitmap* b, const std::vector<Call>& calls) {
  for (const Call& c : calls) {
    if (c.line) {
      PIX_Line(b, c.xy[0], c.xy[1], c.xy[2], c.xy[3], kColor, kAlpha, 0, false);
      continue;
    }
    std::vector<int> xs, ys;
    for (size_t i = 0; i < c.xy.size(); i += 2) {
      xs.push_back(c.xy[i]);
      ys.push_back(c.xy[i + 1]);
    }
    PIX_FillConvexPolygon(b, xs.data(), ys.data(), (int)xs.size(), kColor, kAlpha, 0);
  }
}

TEST(Bezier, ChordFillsAreTheLinesAndPolygonsOfTheChord) {
  const struct {
    int x1, y1, x2, y2, fill;
    std::vector<Call> want;  // toward the row; the column form swaps x and y
  } chords[] = {
      {5, 2, 5, 2, 8, {{true, {5, 2, 5, 8}}}},                  // one column, rows 2..8
      {5, 2, 5, 2, 0, {{true, {5, 0, 5, 1}}}},                  // ...and rows 0..1
      {5, 9, 5, 4, 6, {{true, {5, 6, 5, 6}}}},                  // one column, ends across the row
      {2, 3, 9, 6, 12, {{false, {2, 3, 2, 13, 9, 6, 9, 13}}}},  // above the row: down to row 13
      {2, 14, 9, 11, 4, {{false, {2, 14, 2, 4, 9, 11, 9, 4}}}},  // below the row
      {1, 2, 11, 12, 7,                                          // crossing downwards
       {{false, {1, 2, 1, 8, 6, 8}}, {false, {6, 7, 11, 7, 11, 12}}}},
      {1, 13, 9, 1, 6,                                           // crossing upwards
       {{false, {1, 13, 1, 6, 5, 6}}, {false, {5, 7, 9, 7, 9, 1}}}},
      {8, 3, 7, 9, 5, {}},                                       // reversed: nothing
  };
  for (const auto& c : chords)
    for (bool columns : {true, false}) {
      PIX_MemBitmap got(16, 16, 4), want(16, 16, 4);
      PIX_Clear(&got, 0);
      PIX_Clear(&want, 0);
      std::vector<Call> calls = c.want;
      if (columns) {
        DoBezierFillSegment(&got, c.x1, c.y1, c.x2, c.y2, c.fill, kColor, kAlpha, 0);
      } else {
        DoBezierFillSegmentX(&got, c.y1, c.x1, c.y2, c.x2, c.fill, kColor, kAlpha, 0);
        for (Call& k : calls)
          for (size_t i = 0; i < k.xy.size(); i += 2) std::swap(k.xy[i], k.xy[i + 1]);
      }
      draw(&want, calls);
      EXPECT_EQ(firstDifference(readImage(&got), readImage(&want)), "")
          << "chord " << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2 << " fill " << c.fill
          << (columns ? " toward the row" : " toward the column");
    }
}

// A filled arch: each column is one run from the curve down past the row
// (to the row itself below one-column chords, to the row after it below
// wider ones).
TEST(Bezier, FillReachesFromTheCurveToTheRow) {
  for (float tol : {1.0f, 2.0f}) {
    PIX_MemBitmap b(40, 30, 4);
    PIX_Clear(&b, 0);
    PIX_FillCBezier(&b, 2, 25, 10, 2, 30, 2, 38, 25, 27, 0xFFFFFFFFu, 1.0f, 0, tol);
    const Image img = readImage(&b);
    // The curve's rows within each column, from dense samples.
    std::vector<double> lo(40, 1e9), hi(40, -1e9);
    for (int i = 0; i <= 4000; ++i) {
      const double t = i / 4000.0, u = 1 - t;
      const double x = 2 * u * u * u + 30 * u * u * t + 90 * u * t * t + 38 * t * t * t;
      const double y = 25 * u * u * u + 6 * u * u * t + 6 * u * t * t + 25 * t * t * t;
      const int col = (int)x;
      lo[col] = fmin(lo[col], y);
      hi[col] = fmax(hi[col], y);
    }
    for (int x = 0; x < 40; ++x) {
      int first = -1, last = -1, count = 0;
      for (int y = 0; y < 30; ++y)
        if (img.at(x, y)) {
          if (first < 0) first = y;
          last = y;
          ++count;
        }
      if (x < 2 || x > 37) {
        EXPECT_EQ(count, 0) << "column " << x;
        continue;
      }
      ASSERT_GT(count, 0) << "column " << x;
      EXPECT_EQ(count, last - first + 1) << "one run in column " << x;
      EXPECT_TRUE(last == 27 || last == 28) << "column " << x << " ends at " << last;
      EXPECT_GE(first, lo[x] - 2.5) << "column " << x << " tol " << tol;
      EXPECT_LE(first, hi[x] + 2.5) << "column " << x << " tol " << tol;
    }
  }
}

// ---- Solvers

TEST(Bezier, QuadraticSolverGivesThePointAtX) {
  double t = -1;
  // x(t) = 4t + 6t^2 over 0..10: x = 3.5 at t = 0.5, where y = 0.25 y1 + 0.5 yc + 0.25 y2.
  EXPECT_FLOAT_EQ(PIX_Bezier_GetY<float>(0, 2, 10, 4, 8, 20, 3.5f, &t), 10.0f);
  EXPECT_DOUBLE_EQ(t, 0.5);
  // Evenly spaced x: t is linear in x.
  EXPECT_DOUBLE_EQ(PIX_Bezier_GetY<double>(0, 5, 10, 0, 0, 8, 2.5, &t), 0.5);
  EXPECT_DOUBLE_EQ(t, 0.25);
  // Ends, and a NaN x, give the end points.
  EXPECT_EQ(PIX_Bezier_GetY<float>(1, 2, 3, 7, 8, 9, 1, &t), 7.0f);
  EXPECT_EQ(t, 0.0);
  EXPECT_EQ(PIX_Bezier_GetY<float>(1, 2, 3, 7, 8, 9, 5, &t), 9.0f);
  EXPECT_EQ(t, 1.0);
  EXPECT_EQ(PIX_Bezier_GetY<float>(1, 2, 3, 7, 8, 9, NAN, &t), 7.0f);
  EXPECT_EQ(t, 0.0);
  EXPECT_EQ(PIX_Bezier_GetY<float>(1, 2, 3, 7, 8, 9, 2, nullptr), 8.0f);
}

// x turning back (a control point beyond an end, or infinite): the solver
// still returns a point of the curve, never NaN.
TEST(Bezier, SolversStayFiniteWhenXTurnsBack) {
  const float quads[][6] = {{0, 100, 10, 0, 50, 20},     {0, -100, 10, 5, -30, 5},
                            {0, 3e38f, 10, 0, 1, 2},     {0, INFINITY, 10, 0, 1, 2},
                            {-5, -1e30f, 5, 1e30f, 0, -1e30f}};
  for (const auto& q : quads)
    for (float x = q[0] - 1; x <= q[2] + 1; x += 0.25f) {
      double t = -1;
      const float y = PIX_Bezier_GetY<float>(q[0], q[1], q[2], q[3], q[4], q[5], x, &t);
      ASSERT_TRUE(isfinite(y)) << "x " << x << " control " << q[1];
      ASSERT_TRUE(t >= 0 && t <= 1) << "x " << x << " control " << q[1];
    }
  // A cubic whose x loops: every bracket still holds x, and y is finite.
  const float c[8] = {0, 60, -50, 10, 0, 30, -20, 8};
  const auto X = [&](double t) {
    const double u = 1 - t;
    return c[0] * u * u * u + 3 * c[1] * u * u * t + 3 * c[2] * u * t * t + c[3] * t * t * t;
  };
  for (float x = -1; x <= 11; x += 0.125f) {
    float next = NAN, slope = NAN;
    double lo = -1, hi = -1;
    const float y =
        PIX_CBezier_GetY<float>(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], x, &next, &slope,
                                &lo, &hi);
    ASSERT_TRUE(isfinite(y) && isfinite(next) && isfinite(slope)) << "x " << x;
    if (x < c[0] || x >= c[3]) {
      EXPECT_EQ(lo, -1) << "end points leave the bracket alone";
      EXPECT_EQ(slope, 0.0f);
      EXPECT_EQ(next, x < c[0] ? c[0] : c[3]);
      continue;
    }
    EXPECT_LE(X(lo), x + 1e-9) << "x " << x;
    // (A hit on x itself ends the search with a bracket of 1/256 after it.)
    if (X(lo) != x) {
      EXPECT_GE(X(hi), x - 1e-9) << "x " << x;
    }
    EXPECT_LE(hi - lo, 1.0 / 256 + 1e-12);
    EXPECT_NEAR(next, X(hi), 1e-4);
  }
}

TEST(Bezier, CubicSolverInterpolatesInTheFinalBracket) {
  // Control points at thirds: x(t) = 3t + 1 exactly, y(t) = 12 t^2 (controls 0, 0, 12 on 0..1
  // would be 12 t^3; use y = (0, 0, 4, 12): y(t) = 12 t^2).
  for (float x : {1.0f, 1.3f, 2.0f, 2.5f, 3.9f}) {
    double lo, hi;
    float next, slope;
    const float y = PIX_CBezier_GetY<float>(1, 2, 3, 4, 0, 0, 4, 12, x, &next, &slope, &lo, &hi);
    const double t = (x - 1) / 3.0;
    EXPECT_NEAR(y, 12 * t * t, 12 * (1.0 / 256) * (1.0 / 256) * 2) << "x " << x;
    EXPECT_LE(3 * lo + 1, x);
    EXPECT_GE(3 * hi + 1, x);
    EXPECT_FLOAT_EQ(next, (float)(3 * hi + 1));
    EXPECT_NEAR(slope, 4 * (lo + hi), 1e-4);  // chord slope of 12 t^2 over x = 3t + 1
  }
  // Null out-pointers are fine.
  EXPECT_FLOAT_EQ(PIX_CBezier_GetY<float>(1, 2, 3, 4, 0, 0, 4, 12, 2.5f, nullptr, nullptr, nullptr,
                                          nullptr),
                  3.0f);
}

TEST(Bezier, PreparationGivesCoefficientsEndsAndSegments) {
  PIX_MemBitmap b(40, 30, 4);
  double ax, bx, cx, dx, ay, by, cy, dy, tlo, thi;
  float xlo, xhi, ylo, yhi;
  // Given right to left: reversed, then x(t) = -2t^3 + 3t^2 + 3t, y(t) = -3t^3 - 3t^2 + 6t.
  int n = CBezPrep(&b, 4, 0, 3, 3, 1, 2, 0, 0, 1, true, &ax, &bx, &cx, &dx, &ay, &by, &cy, &dy,
                   &xlo, &xhi, &ylo, &yhi, &tlo, &thi);
  EXPECT_EQ(n, 7);  // sqrt 5 + sqrt 5 + sqrt 10 = 7.63 pixels
  EXPECT_EQ(ax, -2);
  EXPECT_EQ(bx, 3);
  EXPECT_EQ(cx, 3);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(ay, -3);
  EXPECT_EQ(by, -3);
  EXPECT_EQ(cy, 6);
  EXPECT_EQ(dy, 0);
  EXPECT_EQ(xlo, 0);
  EXPECT_EQ(xhi, 4);
  EXPECT_EQ(tlo, 0);
  EXPECT_EQ(thi, 1);
  // Ordered by y for the column fill: unchanged order; a tolerance of 0 or less is 1, and 2
  // halves the count.
  EXPECT_EQ(CBezPrep(&b, 4, 0, 3, 3, 1, 2, 0, 0, 0, false, &ax, &bx, &cx, &dx, &ay, &by, &cy, &dy,
                     &xlo, &xhi, &ylo, &yhi, &tlo, &thi),
            7);
  EXPECT_EQ(dx, 4);
  EXPECT_EQ(CBezPrep(&b, 4, 0, 3, 3, 1, 2, 0, 0, 2, false, &ax, &bx, &cx, &dx, &ay, &by, &cy, &dy,
                     &xlo, &xhi, &ylo, &yhi, &tlo, &thi),
            3);
  // Cut at both edges of a straight curve x = -20 + 120 t: the parameters
  // bound the visible part from inside (1/6 and 1/2, hit exactly).
  n = CBezPrep(&b, -20, 5, 20, 5, 60, 5, 100, 5, 1, true, &ax, &bx, &cx, &dx, &ay, &by, &cy, &dy,
               &xlo, &xhi, &ylo, &yhi, &tlo, &thi);
  EXPECT_EQ(xlo, 0);
  EXPECT_EQ(xhi, 40);
  EXPECT_EQ(ylo, 5);
  EXPECT_EQ(yhi, 5);
  EXPECT_GE(tlo, 1.0 / 6);
  EXPECT_LE(tlo, 1.0 / 6 + 1.0 / 256);
  EXPECT_EQ(thi, 0.5);
  EXPECT_EQ(n, 39);  // 120 pixels long, 0.332 of it visible
  // Starting right of the bitmap, no bitmap, or not finite: nothing.
  const float bad[][8] = {{41, 0, 50, 5, 60, 5, 70, 0}, {0, 0, NAN, 5, 9, 5, 20, 0},
                          {0, 0, 5, INFINITY, 9, 5, 20, 0}};
  for (const auto& p : bad)
    EXPECT_EQ(CBezPrep(&b, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], 1, true, &ax, &bx, &cx,
                       &dx, &ay, &by, &cy, &dy, &xlo, &xhi, &ylo, &yhi, &tlo, &thi),
              0);
  EXPECT_EQ(CBezPrep(nullptr, 0, 0, 1, 1, 2, 2, 3, 3, 1, true, &ax, &bx, &cx, &dx, &ay, &by, &cy,
                     &dy, &xlo, &xhi, &ylo, &yhi, &tlo, &thi),
            0);
}

// ---- Curves whose x turns back, and extreme input

// Distance from a pixel centre to the nearest of dense samples of a curve.
double distanceToCurve(const std::vector<std::pair<double, double>>& pts, int x, int y) {
  double best = 1e18;
  for (const auto& p : pts) best = fmin(best, hypot(p.first - (x + 0.5), p.second - (y + 0.5)));
  return best;
}

TEST(Bezier, CurvesTurningBackStayOnTheCurve) {
  const float quads[][6] = {{5, 5, 80, 15, 30, 25},  {-10, 2, 90, 15, 20, 28},
                            {30, 3, -60, 15, 35, 27}, {10, 2, -50, 15, 60, 28},
                            {-30, 5, 120, 10, 10, 25}};
  const float cubics[][8] = {{5, 5, 60, 10, -20, 20, 35, 25}, {-5, 3, 70, 8, -40, 22, 50, 27},
                             {45, 2, -60, 10, 100, 20, -5, 28}};
  for (int k = 0; k < 8; ++k) {
    const bool quad = k < 5;
    const float* p = quad ? quads[k] : cubics[k - 5];
    std::vector<std::pair<double, double>> pts;
    for (int i = 0; i <= 20000; ++i) {
      const double t = i / 20000.0, u = 1 - t;
      if (quad)
        pts.push_back({u * u * p[0] + 2 * u * t * p[2] + t * t * p[4],
                       u * u * p[1] + 2 * u * t * p[3] + t * t * p[5]});
      else
        pts.push_back({u * u * u * p[0] + 3 * u * u * t * p[2] + 3 * u * t * t * p[4] + t * t * t * p[6],
                       u * u * u * p[1] + 3 * u * u * t * p[3] + 3 * u * t * t * p[5] + t * t * t * p[7]});
    }
    FramedBitmap b(40, 30, false);
    PIX_Clear(&b, 0);
    if (quad)
      PIX_DrawQBezier(&b, p[0], p[1], p[2], p[3], p[4], p[5], 0xFFFFFFFFu, 1.0f, 0, false, 1);
    else
      PIX_DrawCBezier(&b, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], 0xFFFFFFFFu, 1.0f, 0,
                      false, 1);
    const auto drawn = changed(readImage(&b), 0);
    EXPECT_FALSE(drawn.empty()) << "curve " << k;
    // Chords of about a pixel stay within a pixel or two of the curve
    // (the cubic's last chord spans two steps).
    for (const auto& px : drawn)
      ASSERT_LT(distanceToCurve(pts, px.first, px.second), 2.5)
          << "curve " << k << " pixel " << px.first << "," << px.second;
    EXPECT_TRUE(b.frameIntact());
    if (!quad) {
      FramedBitmap f(40, 30, false);
      PIX_FillCBezier(&f, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], 15, 0xFFFFFFFFu, 1.0f, 0, 1);
      PIX_FillCBezierX(&f, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], 20, 0xFFFFFFFFu, 1.0f, 0, 1);
      EXPECT_TRUE(f.frameIntact());
    }
  }
}

TEST(Bezier, ExtremeOrBadPointsNeitherCrashNorLeaveTheBitmap) {
  const float big[] = {-3e38f, -1e9f, -40, -0.5f, 0, 7.25f, 33, 1e9f, 3e38f};
  srand(3);
  for (int i = 0; i < 400; ++i) {
    FramedBitmap b(20, 15, (i & 1) != 0);
    float p[8];
    for (float& v : p) v = rand() % 3 ? (float)(rand() % 61 - 20) : big[rand() % 9];
    const int fill = rand() % 2 ? rand() % 40 - 10 : (rand() % 2 ? 2147483647 : -2147483647 - 1);
    const float tol = rand() % 4 ? 1.0f : (rand() % 2 ? 1e-3f : -1.0f);
    switch (i % 4) {
      case 0: PIX_DrawQBezier(&b, p[0], p[1], p[2], p[3], p[4], p[5], kColor, 1, 0, i % 8 < 4, tol); break;
      case 1:
        PIX_DrawCBezier(&b, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], kColor, 1, 0, i % 8 < 4, tol);
        break;
      case 2: PIX_FillCBezier(&b, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], fill, kColor, 1, 0, tol); break;
      default: PIX_FillCBezierX(&b, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], fill, kColor, 1, 0, tol);
    }
    ASSERT_TRUE(b.frameIntact()) << "call " << i;
  }
  // Points that are not numbers draw nothing.
  FramedBitmap b(20, 15, false);
  PIX_Clear(&b, 0);
  const float nan = NAN, inf = INFINITY;
  PIX_DrawQBezier(&b, 1, 1, nan, 5, 10, 10, kColor, 1, 0, false, 1);
  PIX_DrawQBezier(&b, 1, 1, 5, 5, 10, inf, kColor, 1, 0, true, 1);
  PIX_DrawCBezier(&b, nan, 1, 5, 5, 7, 7, 10, 10, kColor, 1, 0, false, 1);
  PIX_FillCBezier(&b, 1, 1, 5, 5, 7, -inf, 10, 10, 8, kColor, 1, 0, 1);
  PIX_FillCBezierX(&b, 1, 1, 5, 5, 7, 7, 10, nan, 8, kColor, 1, 0, 1);
  PIX_DrawQBezier(nullptr, 1, 1, 5, 5, 10, 10, kColor, 1, 0, false, 1);
  EXPECT_TRUE(changed(readImage(&b), 0).empty());
  // A NaN tolerance counts as 1.
  PIX_MemBitmap a(20, 15, 4), c(20, 15, 4);
  PIX_Clear(&a, 0);
  PIX_Clear(&c, 0);
  PIX_DrawCBezier(&a, 1, 1, 5, 14, 12, -3, 18, 10, kColor, kAlpha, 0, true, NAN);
  PIX_DrawCBezier(&c, 1, 1, 5, 14, 12, -3, 18, 10, kColor, kAlpha, 0, true, 1);
  EXPECT_EQ(readImage(&a), readImage(&c));
}

}  // namespace
