// Rectangle outlines and solid trapezoid, convex polygon and triangle fills.

#include <stdlib.h>

#include <utility>

#include "pix.h"
#include "pix_loops.h"

namespace {

typedef long long i64;

// Steps both edges of a clipped trapezoid in 16.16 and hands each row's
// visible columns [x0, x1) to fillRow(row pointer, x0, x1).
template <class Fn>
void walkTrapezoid(int width, ptrdiff_t span, unsigned char* row, i64 rows, i64 xl, i64 xr,
                   i64 lmag, i64 rmag, i64 le, i64 re, int ldir, int rdir, Fn fillRow) {
  for (i64 i = 0; i < rows; ++i, row += span) {
    const i64 x0 = xl > 0 ? xl : 0, x1 = xr < width ? xr : width;
    if (x1 > x0) fillRow((unsigned int*)row, (int)x0, (int)x1);
    le += lmag;
    if (le >= 0x10000) {
      xl += (le >> 16) * ldir;
      le &= 0xffff;
    }
    re += rmag;
    if (re >= 0x10000) {
      xr += (re >> 16) * rdir;
      re &= 0xffff;
    }
  }
}

}  // namespace

template <class OP>
struct _PIX_Fill {
  static void FillClippedTrapezoid(int width, ptrdiff_t span, unsigned char* row, i64 rows,
                                   i64 xl, i64 xr, i64 lmag, i64 rmag, i64 le, i64 re, int ldir,
                                   int rdir, int r, int g, int b, int a, int ia) {
    walkTrapezoid(width, span, row, rows, xl, xr, lmag, rmag, le, re, ldir, rdir,
                  [=](unsigned int* p, int x0, int x1) {
                    for (int x = x0; x < x1; ++x) OP::doPix((unsigned char*)(p + x), r, g, b, a, ia);
                  });
  }
};

template <class OP>
struct _PIX_FillFast {
  static void FillClippedTrapezoidFAST(int width, ptrdiff_t span, unsigned char* row, i64 rows,
                                       i64 xl, i64 xr, i64 lmag, i64 rmag, i64 le, i64 re,
                                       int ldir, int rdir, unsigned int term) {
    walkTrapezoid(width, span, row, rows, xl, xr, lmag, rmag, le, re, ldir, rdir,
                  [term](unsigned int* p, int x0, int x1) {
                    for (int x = x0; x < x1; ++x) OP::doPix(p + x, term);
                  });
  }
};

void PIX_DrawRect(PIX_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha,
                  int mode) {
  const int x2 = PIX_SatInt((i64)x + w), y2 = PIX_SatInt((i64)y + h);
  PIX_Line(dest, x, y, x2, y, color, alpha, mode, false);
  PIX_Line(dest, x2, y, x2, y2, color, alpha, mode, false);
  PIX_Line(dest, x2, y2, x, y2, color, alpha, mode, false);
  PIX_Line(dest, x, y2, x, y, color, alpha, mode, false);
}

void PIX_BorderedRect(PIX_IBitmap* dest, int x, int y, int w, int h, unsigned int bgcolor,
                      unsigned int fgcolor, float alpha, int mode) {
  PIX_FillRect(dest, PIX_SatInt((i64)x + 1), PIX_SatInt((i64)y + 1), PIX_SatInt((i64)w - 1),
               PIX_SatInt((i64)h - 1), bgcolor, alpha, mode);
  PIX_DrawRect(dest, x, y, w, h, fgcolor, alpha, mode);
}

void PIX_FillTrapezoid(PIX_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2,
                       unsigned int color, float alpha, int mode) {
  PIX_Surface s;
  if (!PIX_GetSurface(dest, &s, false)) return;
  i64 yt = y1, yb = y2, ta = x1a, tb = x1b, ba = x2a, bb = x2b;
  if (yt > yb) {
    std::swap(yt, yb);
    std::swap(ta, ba);
    std::swap(tb, bb);
  }
  i64 tl = ta < tb ? ta : tb, tr = ta < tb ? tb : ta;
  i64 bl = ba < bb ? ba : bb, br = ba < bb ? bb : ba;
  const i64 W = s.width;
  if ((tr < 0 && br < 0) || (tl >= W && bl >= W)) return;
  if (tl <= 0 && bl <= 0) tl = bl = 0;
  if (tr >= W - 1 && br >= W - 1) tr = br = W - 1;
  if (yb < 0 || yt >= s.height) return;

  const double k = yb == yt ? 0.0 : 65536.0 / (double)(yb - yt);
  auto slope = [k](i64 from, i64 to) {
    double v = (double)(to - from) * k;
    v = v > 536870912.0 ? 536870912.0 : v < -536870912.0 ? -536870912.0 : v;
    return (i64)v;
  };
  const i64 left = slope(tl, bl), right = slope(tr, br);
  const int ldir = left >= 0 ? 1 : -1, rdir = right >= 0 ? 1 : -1;
  const i64 lmag = left < 0 ? -left : left, rmag = right < 0 ? -right : right;
  i64 xl = tl, xr = tr, le = 0, re = 0;
  if (yt < 0) {
    // Step both edges over the hidden rows at once (64 bits: the product of
    // a steep slope and many rows does not fit 32).
    const i64 hidden = -yt;
    le = lmag * hidden;
    if (le > 0xffff) {
      xl += (le >> 16) * ldir;
      le &= 0xffff;
    }
    re = rmag * hidden;
    if (re > 0xffff) {
      xr += (re >> 16) * rdir;
      re &= 0xffff;
    }
    yt = 0;
  }
  const i64 last = yb < s.height - 1 ? yb : s.height - 1;
  const i64 rows = last - yt + 1;
  xr += 1;

  const int op = mode & 0xff;
  const int ia = PIX_WeightF(alpha);
  unsigned char* row = s.row0 + yt * s.span;
  if (op == 0 && PIX_DispatchFastCopy(ia, [&](auto o) {
        typedef typename decltype(o)::type OP;
        _PIX_FillFast<OP>::FillClippedTrapezoidFAST(s.width, s.span, row, rows, xl, xr, lmag,
                                                    rmag, le, re, ldir, rdir, OP::term(color));
      }))
    return;
  if (ia == 0) return;
  PIX_DispatchShortcutOp(op, ia, false, [&](auto o) {
    _PIX_Fill<typename decltype(o)::type>::FillClippedTrapezoid(
        s.width, s.span, row, rows, xl, xr, lmag, rmag, le, re, ldir, rdir, PIX_GETR(color),
        PIX_GETG(color), PIX_GETB(color), PIX_GETA(color), ia);
  });
}

int _ysort(const void* a, const void* b) {
  const int* p = (const int*)a;
  const int* q = (const int*)b;
  if (p[1] != q[1]) return p[1] < q[1] ? -1 : 1;
  if (p[0] != q[0]) return p[0] < q[0] ? -1 : 1;
  return 0;
}

int FindNextEdgeVertex(int* xy, int wh, int n, int dir) {
  int best = wh;
  float bestSlope = 0;
  for (int i = wh + 1; i < n; ++i) {
    if (xy[2 * i + 1] == xy[2 * wh + 1]) continue;
    const float sl = (float)((i64)xy[2 * i] - xy[2 * wh]) / (float)((i64)xy[2 * i + 1] - xy[2 * wh + 1]);
    if (best == wh || (dir < 0 ? sl <= bestSlope : sl >= bestSlope)) {
      best = i;
      bestSlope = sl;
    }
  }
  return best;
}

namespace {

// x on the edge from vertex `from` (upper) to vertex `to` at row y.
int edgeX(const int* xy, int from, int to, i64 y) {
  const i64 xt = xy[2 * from], yt = xy[2 * from + 1], xb = xy[2 * to], yb = xy[2 * to + 1];
  if (y <= yt) return (int)xt;
  if (y >= yb) return (int)xb;
  const float t = (float)(y - yt) * ((float)(xb - xt) / (float)(yb - yt));
  return PIX_SatInt(xt + (i64)PIX_TruncToInt(t));
}

}  // namespace

void PIX_FillConvexPolygon(PIX_IBitmap* dest, const int* x, const int* y, int npoints,
                           unsigned int color, float alpha, int mode) {
  if (!dest || !x || !y || npoints < 3) return;
  const int W = dest->getWidth(), H = dest->getHeight();
  const bool flip = dest->isFlipped();
  int stackbuf[2 * 512];
  int* xy = npoints <= 512 ? stackbuf : (int*)malloc(sizeof(int) * 2 * (size_t)npoints);
  if (!xy) return;
  int minx = W, maxx = 0;
  for (int i = 0; i < npoints; ++i) {
    xy[2 * i] = x[i];
    xy[2 * i + 1] = flip ? PIX_SatInt((i64)H - 1 - y[i]) : y[i];
    if (x[i] < minx) minx = x[i];
    if (x[i] > maxx) maxx = x[i];
  }
  qsort(xy, (size_t)npoints, sizeof(int) * 2, _ysort);

  const int n = npoints;
  const int top = xy[1];
  if (top == xy[2 * (n - 1) + 1]) {
    if (top >= 0 && top < H && minx <= maxx)
      PIX_FillTrapezoid(dest, minx, maxx, top, minx, maxx, top, color, alpha, mode);
  } else {
    int runEnd = 0;
    while (runEnd + 1 < n && xy[2 * (runEnd + 1) + 1] == top) ++runEnd;
    int left = 0;
    for (int i = 0; i <= runEnd; ++i)
      if (xy[2 * i] == xy[0]) left = i;
    int right = runEnd;
    int leftNext = FindNextEdgeVertex(xy, left, n, -1);
    int rightNext = FindNextEdgeVertex(xy, right, n, 1);
    i64 cy = top;
    while (leftNext != left || rightNext != right) {
      const int ly = xy[2 * leftNext + 1], ry = xy[2 * rightNext + 1];
      const i64 yb = ly < ry ? ly : ry;
      PIX_FillTrapezoid(dest, edgeX(xy, left, leftNext, cy), edgeX(xy, right, rightNext, cy),
                        PIX_SatInt(cy), edgeX(xy, left, leftNext, yb),
                        edgeX(xy, right, rightNext, yb), (int)yb, color, alpha, mode);
      if (ly == yb) {
        left = leftNext;
        leftNext = FindNextEdgeVertex(xy, left, n, -1);
      }
      if (ry == yb) {
        right = rightNext;
        rightNext = FindNextEdgeVertex(xy, right, n, 1);
      }
      cy = yb + 1;
    }
  }
  if (xy != stackbuf) free(xy);
}

void PIX_FillTriangle(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                      unsigned int color, float alpha, int mode) {
  const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
  PIX_FillConvexPolygon(dest, xs, ys, 3, color, alpha, mode);
}
