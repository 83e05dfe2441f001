// Circle outlines, discs, arcs and rounded rectangles through one clipped
// circle rasteriser.

#include <math.h>

#include <algorithm>
#include <utility>

#include "pix.h"
#include "pix_loops.h"

namespace {

typedef long long i64;

// Centres and radii beyond this are refused: float positions there are
// coarser than 64 pixels, and every step count below stays in 64 bits.
const double kCircleLimit = 1073741824.0;  // 2^30

const float kPi = 3.14159265358979f;
const float kTwoPi = 6.28318530717959f;
const float kHalfPi = 1.57079632679490f;

bool circleInRange(float cx, float cy, float r) {
  return fabs(cx) <= kCircleLimit && fabs(cy) <= kCircleLimit && fabs(r) <= kCircleLimit;
}

// The ring steps i (1..iend) that can touch the clip rectangle: every pixel
// of step i lies in column X +- i or row Y +- i. Merged, ascending ranges.
struct StepRange {
  i64 first, last;
};
int stepRanges(i64 X, i64 Y, const int* clip, i64 iend, StepRange* out) {
  const StepRange cand[4] = {{X - clip[2] + 1, X - clip[0]},
                             {clip[0] - X, clip[2] - 1 - X},
                             {Y - clip[3] + 1, Y - clip[1]},
                             {clip[1] - Y, clip[3] - 1 - Y}};
  StepRange in[4];
  int n = 0;
  for (const StepRange& c : cand) {
    const StepRange r = {std::max<i64>(c.first, 1), std::min<i64>(c.last, iend)};
    if (r.first <= r.last) in[n++] = r;
  }
  for (int k = 1; k < n; ++k)
    for (int j = k; j > 0 && in[j].first < in[j - 1].first; --j) std::swap(in[j], in[j - 1]);
  int m = 0;
  for (int k = 0; k < n; ++k) {
    if (m > 0 && in[k].first <= out[m - 1].last + 1) out[m - 1].last = std::max(out[m - 1].last, in[k].last);
    else out[m++] = in[k];
  }
  return m;
}

// The midpoint circle's row at step i in closed form: the error after step
// i is (i+1)^2 - 1 + y(y-1) - R^2, so y is the smallest y >= 0 with
// y(y+1) >= R^2 + 1 - i^2. Lets the drawer start at any step.
i64 midpointY(i64 R, i64 i) {
  const i64 t = R * R + 1 - i * i;
  if (t <= 0) return 0;
  i64 y = (i64)((sqrt(1.0 + 4.0 * (double)t) - 1.0) / 2.0);
  if (y < 0) y = 0;
  while (y * (y + 1) < t) ++y;
  while (y > 0 && (y - 1) * y >= t) --y;
  return y;
}

// First i in [lo, hi] for which done(i) holds (done is monotone and holds
// at hi).
template <class F>
i64 firstTrue(i64 lo, i64 hi, F done) {
  while (lo < hi) {
    const i64 mid = lo + (hi - lo) / 2;
    if (done(mid)) hi = mid;
    else lo = mid + 1;
  }
  return lo;
}

}  // namespace

template <class COMBFUNC>
struct _PIX_CircleDrawer {
  static void DrawClippedPt(const PIX_Surface& s, i64 x, i64 y, const int* clip, int r, int g,
                            int b, int a, int weight, bool doclip) {
    if (doclip && (x < clip[0] || x >= clip[2] || y < clip[1] || y >= clip[3])) return;
    COMBFUNC::doPix(s.bytesAt((int)x, (int)y), r, g, b, a, weight);
  }
  static void DrawClippedVertLine(const PIX_Surface& s, i64 x, i64 y1, i64 y2, const int* clip,
                                  int r, int g, int b, int a, int weight, bool doclip) {
    if (doclip) {
      if (x < clip[0] || x >= clip[2]) return;
      y1 = std::max<i64>(y1, clip[1]);
      y2 = std::min<i64>(y2, clip[3] - 1);
    }
    for (i64 y = y1; y <= y2; ++y) COMBFUNC::doPix(s.bytesAt((int)x, (int)y), r, g, b, a, weight);
  }
  static void DrawClippedHorzLine(const PIX_Surface& s, i64 y, i64 x1, i64 x2, const int* clip,
                                  int r, int g, int b, int a, int weight, bool doclip) {
    if (doclip) {
      if (y < clip[1] || y >= clip[3]) return;
      x1 = std::max<i64>(x1, clip[0]);
      x2 = std::min<i64>(x2, clip[2] - 1);
    }
    for (i64 x = x1; x <= x2; ++x) COMBFUNC::doPix(s.bytesAt((int)x, (int)y), r, g, b, a, weight);
  }

  // Midpoint circle, each pixel touched once (also when filled).
  static void DrawClippedCircle(const PIX_Surface& s, float cx, float cy, float r,
                                const int* clip, PIX_ARGB32 color, int ia, bool filled,
                                bool doclip) {
    const int cr = PIX_GETR(color), cg = PIX_GETG(color), cb = PIX_GETB(color),
              ca = PIX_GETA(color);
    auto pt = [&](i64 x, i64 y) { DrawClippedPt(s, x, y, clip, cr, cg, cb, ca, ia, doclip); };
    auto vl = [&](i64 x, i64 y1, i64 y2) {
      DrawClippedVertLine(s, x, y1, y2, clip, cr, cg, cb, ca, ia, doclip);
    };
    auto hl = [&](i64 y, i64 x1, i64 x2) {
      DrawClippedHorzLine(s, y, x1, x2, clip, cr, cg, cb, ca, ia, doclip);
    };
    const i64 X = (i64)((double)cx + 0.5), Y = (i64)((double)cy + 0.5),
              R = (i64)((double)r + 0.5);
    if (filled) {
      vl(X, Y - R, Y - 1);
      vl(X, Y + 1, Y + R);
      hl(Y, X - R, X + R);
    } else {
      pt(X, Y - R);
      pt(X + R, Y);
      pt(X, Y + R);
      pt(X - R, Y);
    }
    if (R < 2) return;
    // The loop runs while i + 1 < y after step i.
    const i64 iend = firstTrue(1, R, [R](i64 i) { return i + 1 >= midpointY(R, i); });
    StepRange ranges[4];
    const int nr = stepRanges(X, Y, clip, iend, ranges);
    for (int k = 0; k < nr; ++k) {
      for (i64 i = ranges[k].first; i <= ranges[k].last; ++i) {
        const i64 y = midpointY(R, i);
        if (filled) {
          vl(X - i, Y - y, Y - i - 1);
          vl(X - i, Y + i + 1, Y + y);
          vl(X + i, Y - y, Y - i - 1);
          vl(X + i, Y + i + 1, Y + y);
          hl(Y - i, X - y, X - i);
          hl(Y - i, X + i, X + y);
          hl(Y + i, X - y, X - i);
          hl(Y + i, X + i, X + y);
        } else {
          pt(X - i, Y - y);
          pt(X - i, Y + y);
          pt(X + i, Y - y);
          pt(X + i, Y + y);
          if (i != y) {
            pt(X - y, Y - i);
            pt(X - y, Y + i);
            pt(X + y, Y - i);
            pt(X + y, Y + i);
          }
        }
      }
    }
  }

  // Two weights per ring position, adding up to ia.
  static void DrawClippedCircleAA(const PIX_Surface& s, float cx, float cy, float r,
                                  const int* clip, PIX_ARGB32 color, int ia, bool filled,
                                  bool doclip) {
    const int cr = PIX_GETR(color), cg = PIX_GETG(color), cb = PIX_GETB(color),
              ca = PIX_GETA(color);
    auto pt = [&](i64 x, i64 y, int w) {
      DrawClippedPt(s, x, y, clip, cr, cg, cb, ca, w, doclip);
    };
    auto vl = [&](i64 x, i64 y1, i64 y2) {
      DrawClippedVertLine(s, x, y1, y2, clip, cr, cg, cb, ca, ia, doclip);
    };
    auto hl = [&](i64 y, i64 x1, i64 x2) {
      DrawClippedHorzLine(s, y, x1, x2, clip, cr, cg, cb, ca, ia, doclip);
    };
    const i64 X = (i64)((double)cx + 0.5), Y = (i64)((double)cy + 0.5), Ri = (i64)r;
    const float frac = r - floorf(r);
    const int wa = (int)(frac * (float)ia);
    pt(X, Y - Ri - 1, wa);
    pt(X, Y + Ri + 1, wa);
    pt(X - Ri - 1, Y, wa);
    pt(X + Ri + 1, Y, wa);
    if (filled) {
      vl(X, Y - Ri, Y - 1);
      vl(X, Y + 1, Y + Ri);
      hl(Y, X - Ri, X + Ri);
    } else {
      pt(X, Y - Ri, ia - wa);
      pt(X + Ri, Y, ia - wa);
      pt(X, Y + Ri, ia - wa);
      pt(X - Ri, Y, ia - wa);
    }
    const float rr = r * r;
    auto radicand = [rr](i64 i) { return (double)rr - (double)i * (double)i; };
    auto ringEnd = [&](i64 i) {  // rounded ring extent at step i, or -1 past the radius
      const double q = radicand(i);
      return q < 0 ? (i64)-1 : (i64)(sqrt(q) + 0.5);
    };
    if (ringEnd(1) < 1) return;
    // The loop goes on with i + 1 while i < ringEnd(i + 1).
    const i64 iend =
        firstTrue(1, (i64)fabsf(r) + 2, [&](i64 i) { return !(i < ringEnd(i + 1)); });
    StepRange ranges[4];
    const int nr = stepRanges(X, Y, clip, iend, ranges);
    for (int k = 0; k < nr; ++k) {
      for (i64 i = ranges[k].first; i <= ranges[k].last; ++i) {
        const double e = sqrt(radicand(i));
        const i64 d = (i64)e, n = (i64)(e + 0.5);
        const int w = (int)((e - floor(e)) * ia);
        pt(X - i, Y - d - 1, w);
        pt(X - i, Y + d + 1, w);
        pt(X + i, Y - d - 1, w);
        pt(X + i, Y + d + 1, w);
        if (i != n) {
          pt(X - d - 1, Y - i, w);
          pt(X + d + 1, Y - i, w);
          pt(X - d - 1, Y + i, w);
          pt(X + d + 1, Y + i, w);
        }
        if (filled) {
          vl(X - i, Y - d, Y - i - 1);
          vl(X - i, Y + i + 1, Y + d);
          vl(X + i, Y - d, Y - i - 1);
          vl(X + i, Y + i + 1, Y + d);
          hl(Y - i, X - d, X - i);
          hl(Y - i, X + i, X + d);
          hl(Y + i, X - d, X - i);
          hl(Y + i, X + i, X + d);
        } else {
          const int wi = ia - w;
          pt(X - d, Y - i, wi);
          pt(X + d, Y - i, wi);
          pt(X - i, Y + d, wi);
          pt(X + i, Y + d, wi);
          if (i != n) {
            pt(X - i, Y - d, wi);
            pt(X + i, Y - d, wi);
            pt(X - d, Y + i, wi);
            pt(X + d, Y + i, wi);
          }
        }
      }
    }
  }
};

void __DrawCircleClipped(PIX_IBitmap* bmp, float cx, float cy, float r, PIX_ARGB32 color, int ia,
                         bool aa, bool filled, int mode, const int* clip, bool doclip) {
  PIX_Surface s;
  if (!clip || !PIX_GetSurface(bmp, &s, false)) return;
  const int op = mode & 0xff;
  if (ia == 0 || op >= 6 || !circleInRange(cx, cy, r)) return;
  // The clip box never reaches past the bitmap.
  const int box[4] = {std::max(clip[0], 0), std::max(clip[1], 0), std::min(clip[2], s.width),
                      std::min(clip[3], s.height)};
  if (box[0] >= box[2] || box[1] >= box[3]) return;
  auto draw = [&](auto o) {
    typedef _PIX_CircleDrawer<typename decltype(o)::type> D;
    if (aa) D::DrawClippedCircleAA(s, cx, cy, r, box, color, ia, filled, doclip);
    else D::DrawClippedCircle(s, cx, cy, r, box, color, ia, filled, doclip);
  };
  PIX_DispatchShortcutOp(op, ia, !aa, draw);
}

namespace {

const unsigned char kTwo1_5[16] = {
    0x00, 0xFF, 0xFF, 0x00,
    0xFF, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0xFF, 0x00,
};
const unsigned char kGraded1_5[16] = {
    0x4F, 0xFF, 0xFF, 0x4F,
    0xFF, 0x0F, 0x0F, 0xFF,
    0xFF, 0x0F, 0x0F, 0xFF,
    0x4F, 0xFF, 0xFF, 0x4F,
};
const unsigned char kTwo2_0[25] = {
    0x00, 0x00, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0x00, 0xFF, 0x00,
    0xFF, 0x00, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0x00, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0x00, 0x00,
};
const unsigned char kGraded2_0[25] = {
    0x0F, 0xBF, 0xFF, 0xBF, 0x0F,
    0xBF, 0xD1, 0x4F, 0xD1, 0xBF,
    0xFF, 0x4F, 0x00, 0x4F, 0xFF,
    0xBF, 0xD1, 0x4F, 0xD1, 0xBF,
    0x0F, 0xBF, 0xFF, 0xBF, 0x0F,
};
const unsigned char kTwo2_5[36] = {
    0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00,
};
const unsigned char kGraded2_5[36] = {
    0x0F, 0xBF, 0xFF, 0xFF, 0xBF, 0x0F,
    0xBF, 0xD1, 0x4F, 0x4F, 0xD1, 0xBF,
    0xFF, 0x4F, 0x00, 0x00, 0x4F, 0xFF,
    0xFF, 0x4F, 0x00, 0x00, 0x4F, 0xFF,
    0xBF, 0xD1, 0x4F, 0x4F, 0xD1, 0xBF,
    0x0F, 0xBF, 0xFF, 0xFF, 0xBF, 0x0F,
};
const unsigned char kTwo3_0[49] = {
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
};
const unsigned char kGraded3_0[49] = {
    0x00, 0x8F, 0xFF, 0xFF, 0xFF, 0x8F, 0x00,
    0x8F, 0xFF, 0x61, 0x40, 0x61, 0xFF, 0x8F,
    0xFF, 0x70, 0x00, 0x00, 0x00, 0x70, 0xFF,
    0xFF, 0x30, 0x00, 0x00, 0x00, 0x30, 0xFF,
    0xFF, 0x70, 0x00, 0x00, 0x00, 0x70, 0xFF,
    0x8F, 0xFF, 0x61, 0x40, 0x61, 0xFF, 0x8F,
    0x00, 0x8F, 0xFF, 0xFF, 0xFF, 0x8F, 0x00,
};
const unsigned char kTwo3_5[64] = {
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
    0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
};
const unsigned char kGraded3_5[64] = {
    0x00, 0x4F, 0xDE, 0xFF, 0xFF, 0xDE, 0x4F, 0x00,
    0x4F, 0xFF, 0xB0, 0x40, 0x40, 0xB0, 0xFF, 0x4F,
    0xDE, 0xB0, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xDE,
    0xFF, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0xFF,
    0xFF, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0xFF,
    0xDE, 0xB0, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xDE,
    0x4F, 0xFF, 0xB0, 0x40, 0x40, 0xB0, 0xFF, 0x4F,
    0x00, 0x4F, 0xDE, 0xFF, 0xFF, 0xDE, 0x4F, 0x00,
};
const unsigned char kTwo4_0[81] = {
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
    0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
};
const unsigned char kGraded4_0[81] = {
    0x00, 0x1F, 0xB0, 0xFF, 0xFF, 0xFF, 0xB0, 0x1F, 0x00,
    0x1F, 0xF0, 0xD1, 0x4F, 0x40, 0x4F, 0xD1, 0xF0, 0x1F,
    0xB0, 0xD1, 0x0F, 0x00, 0x00, 0x00, 0x0F, 0xD1, 0xB0,
    0xFF, 0x4F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4F, 0xFF,
    0xFF, 0x30, 0x00, 0x00, 0x00, 0x00, 0x00, 0x30, 0xFF,
    0xFF, 0x4F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4F, 0xFF,
    0xB0, 0xD1, 0x0F, 0x00, 0x00, 0x00, 0x0F, 0xD1, 0xB0,
    0x1F, 0xF0, 0xD1, 0x4F, 0x40, 0x4F, 0xD1, 0xF0, 0x1F,
    0x00, 0x1F, 0xB0, 0xFF, 0xFF, 0xFF, 0xB0, 0x1F, 0x00,
};

struct Pattern {
  float r;
  int size;
  const unsigned char* two;
  const unsigned char* graded;
};
const Pattern kPatterns[] = {
    {1.5f, 4, kTwo1_5, kGraded1_5}, {2.0f, 5, kTwo2_0, kGraded2_0},
    {2.5f, 6, kTwo2_5, kGraded2_5}, {3.0f, 7, kTwo3_0, kGraded3_0},
    {3.5f, 8, kTwo3_5, kGraded3_5}, {4.0f, 9, kTwo4_0, kGraded4_0},
};

bool finite3(float a, float b, float c) { return isfinite(a) && isfinite(b) && isfinite(c); }

// Nothing when the circle's box lies more than 2 pixels outside the bitmap
// (tested on truncated values).
bool offBitmap(float cx, float cy, float r, int w, int h) {
  const i64 icx = (i64)cx, icy = (i64)cy, ir = (i64)r;
  return icx + ir < -2 || icy + ir < -2 || icx - ir > w + 2 || icy - ir > h + 2;
}

void drawCircle(PIX_IBitmap* bmp, float cx, float cy, float r, PIX_ARGB32 color, float alpha,
                int mode, bool aa, bool filled) {
  const int w = bmp->getWidth(), h = bmp->getHeight();
  const int ia = PIX_WeightF(alpha);
  if (ia == 0) return;
  const bool doclip = !(cx - r - 2 >= 0 && cy - r - 2 >= 0 && cx + r + 2 < w && cy + r + 2 < h);
  const int clip[4] = {0, 0, w, h};
  __DrawCircleClipped(bmp, cx, cy, r, color, ia, aa, filled, mode, clip, doclip);
}

// A point of the circle at angle a (0 up, clockwise), rounded.
void arcPoint(double a, float cx, float cy, float r, i64* x, i64* y) {
  *x = (i64)(cx + sin(a) * r + 0.5);
  *y = (i64)(cy - cos(a) * r + 0.5);
}

}  // namespace

void PIX_Circle(PIX_IBitmap* bmp, float cx, float cy, float r, PIX_ARGB32 color, float alpha,
                int mode, bool aa) {
  if (!bmp || !finite3(cx, cy, r) || r < 0 || !circleInRange(cx, cy, r)) return;
  const int w = bmp->getWidth(), h = bmp->getHeight();
  if (w <= 0 || h <= 0 || offBitmap(cx, cy, r, w, h)) return;
  for (const Pattern& p : kPatterns) {
    if (r == p.r) {
      PIX_DrawGlyph(bmp, (int)(cx - r), (int)(cy - r), color, aa ? p.graded : p.two, p.size,
                    p.size, alpha, mode);
      return;
    }
  }
  if (bmp->isFlipped()) cy = (float)(h - 1) - cy;
  drawCircle(bmp, cx, cy, r, color, alpha, mode, aa, false);
}

void PIX_FillCircle(PIX_IBitmap* bmp, float cx, float cy, float r, PIX_ARGB32 color, float alpha,
                    int mode, bool aa) {
  if (!bmp || !finite3(cx, cy, r) || r < 0 || !circleInRange(cx, cy, r)) return;
  const int w = bmp->getWidth(), h = bmp->getHeight();
  if (bmp->isFlipped()) cy = (float)(h - 1) - cy;
  if (w <= 0 || h <= 0 || offBitmap(cx, cy, r, w, h)) return;
  drawCircle(bmp, cx, cy, r, color, alpha, mode, aa, true);
}

void PIX_Arc(PIX_IBitmap* bmp, float cx, float cy, float r, float minAngle, float maxAngle,
             PIX_ARGB32 color, float alpha, int mode, bool aa) {
  if (!bmp || !finite3(cx, cy, r) || !isfinite(minAngle) || !isfinite(maxAngle) ||
      !circleInRange(cx, cy, r))
    return;
  const int w = bmp->getWidth(), h = bmp->getHeight();
  float fcy = cy;
  if (bmp->isFlipped()) {
    fcy = (float)(h - 1) - cy;
    minAngle = kPi - minAngle;
    maxAngle = kPi - maxAngle;
  }
  float lo = std::min(minAngle, maxAngle), hi = std::max(minAngle, maxAngle);
  if (hi - lo >= kTwoPi) {
    PIX_Circle(bmp, cx, cy, r, color, alpha, mode, aa);
    return;
  }
  if (hi >= kTwoPi) {
    const float f = fmodf(hi, kTwoPi);
    lo -= hi - f;
    hi = f;
  } else if (lo <= -kTwoPi) {
    const float f = fmodf(lo, kTwoPi);
    hi -= lo - f;
    lo = f;
  }
  const int ia = PIX_WeightF(alpha);
  if (ia == 0) return;
  const double start = (double)lo + (double)kTwoPi, end = (double)hi + (double)kTwoPi;
  if (end <= start) return;
  // Each quarter of the circle is drawn through the box spanned by its two
  // end points.
  i64 x0, y0, x1, y1;
  arcPoint(start, cx, fcy, r, &x0, &y0);
  double a = start - fmod(start, (double)kHalfPi);
  double b;
  do {
    a += (double)kHalfPi;
    b = std::min(end, a);
    arcPoint(b, cx, fcy, r, &x1, &y1);
    const i64 maxx = std::max(x0, x1), maxy = std::max(y0, y1);
    const i64 right = std::min<i64>(w, maxx + 1 + ((float)maxx != cx ? 1 : 0));
    const i64 bottom = std::min<i64>(h, maxy + 1 + ((float)maxy != fcy ? 1 : 0));
    const int clip[4] = {(int)std::max<i64>(std::min(x0, x1), 0),
                         (int)std::max<i64>(std::min(y0, y1), 0), PIX_SatInt(right),
                         PIX_SatInt(bottom)};
    __DrawCircleClipped(bmp, cx, fcy, r, color, ia, aa, false, mode, clip, true);
    x0 = x1;
    y0 = y1;
  } while (end > b);
}

void PIX_RoundRect(PIX_IBitmap* bmp, float x, float y, float w, float h, int cornerradius,
                   PIX_ARGB32 color, float alpha, int mode, bool aa) {
  auto I = [](float v) { return PIX_TruncToInt(v); };
  const float rad =
      cornerradius < 1 ? 0 : floorf(std::min(std::min((float)cornerradius, w * 0.5f), h * 0.5f));
  if (cornerradius < 1 || !(rad >= 2)) {
    PIX_DrawRect(bmp, I(x), I(y), I(w), I(h), color, alpha, mode);
    return;
  }
  PIX_Line(bmp, I(x + rad), I(y), I(x + w - rad), I(y), color, alpha, mode, aa);
  PIX_Line(bmp, I(x + rad - 1), I(y + h), I(x + w - rad), I(y + h), color, alpha, mode, aa);
  PIX_Line(bmp, I(x + w), I(y + rad), I(x + w), I(y + h - rad), color, alpha, mode, aa);
  PIX_Line(bmp, I(x), I(y + rad - 1), I(x), I(y + h - rad), color, alpha, mode, aa);
  PIX_Arc(bmp, x + rad, y + rad, rad, -kHalfPi, 0, color, alpha, mode, aa);
  PIX_Arc(bmp, x + w - rad, y + rad, rad, 0, kHalfPi, color, alpha, mode, aa);
  PIX_Arc(bmp, x + w - rad, y + h - rad, rad, kHalfPi, kPi, color, alpha, mode, aa);
  PIX_Arc(bmp, x + rad, y + h - rad, rad, kPi, kPi + kHalfPi, color, alpha, mode, aa);
}
