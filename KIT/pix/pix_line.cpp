// Line clipping and drawing: integer lines, anti-aliased float lines and
// dashed lines.

#include <math.h>
#include <stdlib.h>

#include <utility>

#include "pix.h"
#include "pix_linetpl.h"
#include "pix_loops.h"

namespace {

typedef long long i64;

int outcode(i64 x, i64 y, i64 w, i64 h) {
  int c = x < 0 ? 1 : x >= w ? 2 : 0;
  return c | (y < 0 ? 4 : y >= h ? 8 : 0);
}

i64 trunc64(double v) {
  const double lim = 9.0e18;
  if (!(v == v)) return 0;
  return (i64)(v > lim ? lim : v < -lim ? -lim : v);
}

// Cohen-Sutherland in 64 bits, so that no coordinate difference overflows:
// intersections with the lines x = w and y = h put the point on the last
// column or row; at most 33 moves.
bool clip64(i64* x1, i64* y1, i64* x2, i64* y2, i64 w, i64 h) {
  int c1 = outcode(*x1, *y1, w, h), c2 = outcode(*x2, *y2, w, h);
  for (int pass = 0; pass < 33; ++pass) {
    if (!(c1 | c2)) return true;
    if (c1 & c2) return false;
    const bool first = c1 != 0;
    const int c = first ? c1 : c2;
    const double dx = (double)(*x2 - *x1), dy = (double)(*y2 - *y1);
    i64 x, y;
    if (c & 8) {
      x = *x1 + trunc64((double)(h - *y1) * dx / dy);
      y = h - 1;
    } else if (c & 4) {
      x = *x1 + trunc64((double)(0 - *y1) * dx / dy);
      y = 0;
    } else if (c & 2) {
      y = *y1 + trunc64(dy * (double)(w - *x1) / dx);
      x = w - 1;
    } else {
      y = *y1 + trunc64(dy * (double)(0 - *x1) / dx);
      x = 0;
    }
    if (first) {
      *x1 = x;
      *y1 = y;
      c1 = outcode(x, y, w, h);
    } else {
      *x2 = x;
      *y2 = y;
      c2 = outcode(x, y, w, h);
    }
  }
  return false;
}

int foutcode(float x, float y, float xmax, float ymax) {
  int c = x < 0 ? 1 : x >= xmax ? 2 : 0;
  return c | (y < 0 ? 4 : y >= ymax ? 8 : 0);
}

unsigned int quarterMix(unsigned int d, unsigned int c) {
  return PIX_QUARTER(d) + PIX_QUARTER(c) + PIX_HALF(d);
}
unsigned int threeQuarterMix(unsigned int d, unsigned int c) {
  return PIX_QUARTER(d) + PIX_QUARTER(c) + PIX_HALF(c);
}

// A horizontal or vertical run of n pixels from p, step in pixels.
void drawRun(unsigned int* p, int n, ptrdiff_t step, unsigned int color, float alpha, int op) {
  if (op == 0 && (alpha == 1.0f || alpha == 0.5f || alpha == 0.25f || alpha == 0.75f)) {
    for (int i = 0; i < n; ++i, p += step) {
      if (alpha == 1.0f) *p = color;
      else if (alpha == 0.5f) *p = PIX_HALF(*p) + PIX_HALF(color);
      else if (alpha == 0.25f) *p = quarterMix(*p, color);
      else *p = threeQuarterMix(*p, color);
    }
    return;
  }
  const int ia = PIX_WeightF(alpha);
  if (ia == 0) return;
  const PIX_LineColor c(color);
  auto run = [&](auto o) {
    typedef __PIX_LineClassSimple<typename decltype(o)::type> L;
    if (step == 1) L::PIX_HorizLine(p, n, c, ia);
    else L::PIX_VertLine(p, step, n, c, ia);
  };
  PIX_DispatchShortcutOp(op, ia, true, run);
}

// n + 1 pixels from (x1, y1) toward (x2, y2).
void drawDiagonal(const PIX_Surface& s, int x1, int y1, int x2, int y2, int n, unsigned int color,
                  float alpha, int op, bool aa) {
  unsigned int* p = s.at(x1, y1);
  const int xs = x1 < x2 ? 1 : -1;
  const ptrdiff_t rs = s.span / 4, ys = y1 < y2 ? rs : -rs;
  if (op == 0 && alpha == 1.0f) {
    if (!aa) {
      for (int i = 0; i <= n; ++i, p += xs + ys) *p = color;
      return;
    }
    *p = threeQuarterMix(*p, color);
    for (int i = 0; i < n; ++i) {
      p[xs] = quarterMix(p[xs], color);
      p[ys] = quarterMix(p[ys], color);
      p += xs + ys;
      *p = threeQuarterMix(*p, color);
    }
    return;
  }
  const int ia = PIX_WeightF(alpha);
  if (ia == 0) return;
  const PIX_LineColor c(color);
  auto diag = [&](auto o) {
    typedef __PIX_LineClassSimple<typename decltype(o)::type> L;
    if (aa) L::PIX_DiagLineAA(p, rs, n, xs, ys, c, ia);
    else L::PIX_DiagLine(p, rs, n, xs, ys, c, ia);
  };
  PIX_DispatchShortcutOp(op, ia, !aa, diag);
}

void drawSloped(const PIX_Surface& s, int x1, int y1, int x2, int y2, unsigned int color,
                float alpha, int op, bool aa) {
  const int dx = x2 - x1, dy = y2 - y1;
  const bool xmajor = abs(dx) > abs(dy);
  const ptrdiff_t rs = s.span / 4;
  int n = xmajor ? dx : dy, minor = xmajor ? dy : dx;
  const ptrdiff_t major = xmajor ? 1 : rs;
  ptrdiff_t minorStep = xmajor ? rs : 1;
  unsigned int* p = s.at(x1, y1);
  unsigned int* q = s.at(x2, y2);
  if (n < 0) {
    n = -n;
    minor = -minor;
    std::swap(p, q);
  }
  if (minor < 0) {
    minor = -minor;
    minorStep = -minorStep;
  }
  const int slope = (int)((double)minor / (double)n * 65536.0);
  const int ia = PIX_WeightF(alpha);
  if (ia == 0) return;
  const PIX_LineColor c(color);
  auto line = [&](auto o) {
    __PIX_LineClass<typename decltype(o)::type>::PIX_LineImpl(p, q, slope, major, n, minorStep,
                                                              c, ia, aa);
  };
  PIX_DispatchShortcutOp(op, ia, !aa, line);
}

}  // namespace

bool ClipLine(int* x1, int* y1, int* x2, int* y2, int w, int h) {
  return PIX_ClipLine(x1, y1, x2, y2, 0, 0, w, h);
}

bool PIX_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi) {
  i64 a = (i64)*x1 - xlo, b = (i64)*y1 - ylo, c = (i64)*x2 - xlo, d = (i64)*y2 - ylo;
  const bool visible = clip64(&a, &b, &c, &d, (i64)xhi - xlo, (i64)yhi - ylo);
  *x1 = PIX_SatInt(a + xlo);
  *y1 = PIX_SatInt(b + ylo);
  *x2 = PIX_SatInt(c + xlo);
  *y2 = PIX_SatInt(d + ylo);
  return visible;
}

bool ClipFLine(float* x1, float* y1, float* x2, float* y2, int w, int h) {
  const float xmax = (float)(w - 1), ymax = (float)(h - 1);
  int c1 = foutcode(*x1, *y1, xmax, ymax), c2 = foutcode(*x2, *y2, xmax, ymax);
  for (int pass = 0;; ++pass) {
    if (pass == 33) return false;
    if (!(c1 | c2)) break;
    if (c1 & c2) return false;
    const bool first = c1 != 0;
    const int c = first ? c1 : c2;
    const float X1 = *x1, Y1 = *y1, X2 = *x2, Y2 = *y2;
    float x, y;
    if (c & 8) {
      x = (ymax - Y1) * (X2 - X1) / (Y2 - Y1) + X1;
      y = ymax - 1;
    } else if (c & 4) {
      x = (X2 - X1) * Y1 / (Y1 - Y2) + X1;
      y = 0;
    } else if (c & 2) {
      y = (Y2 - Y1) * (xmax - X1) / (X2 - X1) + Y1;
      x = xmax - 1;
    } else {
      y = (Y2 - Y1) * X1 / (X1 - X2) + Y1;
      x = 0;
    }
    if (first) {
      *x1 = x;
      *y1 = y;
      c1 = foutcode(x, y, xmax, ymax);
    } else {
      *x2 = x;
      *y2 = y;
      c2 = foutcode(x, y, xmax, ymax);
    }
  }
  // NaN compares as inside: only finite points count as a visible segment.
  return isfinite(*x1) && isfinite(*y1) && isfinite(*x2) && isfinite(*y2);
}

bool PIX_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi,
                   float yhi) {
  *x1 -= xlo;
  *y1 -= ylo;
  *x2 -= xlo;
  *y2 -= ylo;
  const bool visible =
      ClipFLine(x1, y1, x2, y2, PIX_TruncToInt(xhi - xlo), PIX_TruncToInt(yhi - ylo));
  *x1 += xlo;
  *y1 += ylo;
  *x2 += xlo;
  *y2 += ylo;
  return visible;
}

void PIX_Line(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int color, float alpha,
              int mode, bool aa) {
  PIX_Surface s;
  if (!PIX_GetSurface(dest, &s, false)) return;
  const int op = mode & 0xff;
  if (op > 5) return;
  i64 a = x1, b = y1, c = x2, d = y2;
  if (dest->isFlipped()) {
    b = s.height - 1 - b;
    d = s.height - 1 - d;
  }
  if (!clip64(&a, &b, &c, &d, s.width, s.height)) return;
  x1 = (int)a;
  y1 = (int)b;
  x2 = (int)c;
  y2 = (int)d;
  if (y1 == y2) {
    if (x1 > x2) std::swap(x1, x2);
    drawRun(s.at(x1, y1), x2 - x1 + 1, 1, color, alpha, op);
  } else if (x1 == x2) {
    if (y1 > y2) std::swap(y1, y2);
    drawRun(s.at(x1, y1), y2 - y1 + 1, s.span / 4, color, alpha, op);
  } else if (abs(x2 - x1) == abs(y2 - y1)) {
    drawDiagonal(s, x1, y1, x2, y2, abs(x2 - x1), color, alpha, op, aa);
  } else {
    drawSloped(s, x1, y1, x2, y2, color, alpha, op, aa);
  }
}

void PIX_FLine(PIX_IBitmap* dest, float x1, float y1, float x2, float y2, unsigned int color,
               float alpha, int mode, bool aa) {
  if (!dest || isnan(x1) || isnan(y1) || isnan(x2) || isnan(y2)) return;
  if (!aa) {
    PIX_Line(dest, PIX_TruncToInt(x1), PIX_TruncToInt(y1), PIX_TruncToInt(x2),
             PIX_TruncToInt(y2), color, alpha, mode, false);
    return;
  }
  PIX_Surface s;
  if (!PIX_GetSurface(dest, &s, false)) return;
  if (dest->isFlipped()) {
    y1 = (float)(s.height - 1) - y1;
    y2 = (float)(s.height - 1) - y2;
  }
  if (!ClipFLine(&x1, &y1, &x2, &y2, s.width, s.height)) return;
  if (x1 == x2 && y1 == y2) return;
  const int op = mode & 0xff;
  const int ia = PIX_WeightF(alpha);
  if (ia == 0 || op > 5 || (op == 0 && ia < 1)) return;

  const float dx = x2 - x1, dy = y2 - y1;
  const bool xmajor = fabsf(dx) > fabsf(dy);
  const ptrdiff_t rs = s.span / 4;
  const ptrdiff_t major = xmajor ? 1 : rs, minorStep = xmajor ? rs : 1;
  float a = xmajor ? dx : dy, b = xmajor ? dy : dx;
  float sx = x1, sy = y1, ex = x2, ey = y2;
  if (a < 0) {
    std::swap(sx, ex);
    std::swap(sy, ey);
    a = -a;
    b = -b;
  }
  const int dir = b >= 0 ? 1 : -1;
  const float ms = xmajor ? sx : sy, me = xmajor ? ex : ey, ns = xmajor ? sy : sx;
  const float c0 = ceilf(ms), c1 = floorf(me);
  const float sl = b / a;
  const float m = (c0 - ms) * sl + ns;
  int fr = (int)((m - floorf(m)) * 65536);
  int first = (int)m;
  if (dir < 0) {
    first = (int)m + 1;
    fr = 65535 - fr;
  }
  int steps = (int)(c1 - c0);
  const int slope = (int)(fabs(sl) * 65536.0);
  const int major0 = (int)c0;

  // Rounding in the clipping may leave the end columns' pixel pairs a pixel
  // outside; such columns are left out.
  const int majorCount = xmajor ? s.width : s.height, minorCount = xmajor ? s.height : s.width;
  auto fits = [&](int i) {
    const i64 col = (i64)major0 + i;
    const i64 idx = first + dir * (((i64)fr + (i64)i * slope) >> 16);
    return col >= 0 && col < majorCount && idx >= 0 && idx < minorCount && idx + dir >= 0 &&
           idx + dir < minorCount;
  };
  int i0 = 0;
  while (i0 <= steps && !fits(i0)) ++i0;
  while (steps >= i0 && !fits(steps)) --steps;
  if (steps < i0) return;
  const i64 acc = (i64)fr + (i64)i0 * slope;
  const int idx = first + dir * (int)(acc >> 16);
  const int col = major0 + i0;
  unsigned int* p = xmajor ? s.at(col, idx) : s.at(idx, col);
  const PIX_LineColor c(color);
  PIX_DispatchOp(op, [&](auto o) {
    __PIX_LineClass<typename decltype(o)::type>::PIX_FLineImpl(
        p, steps - i0, (int)(acc & 0xffff), slope, major, dir * minorStep, c, ia);
  });
}

void PIX_DashedLine(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff,
                    unsigned int color, float alpha, int mode, bool aa) {
  (void)aa;
  PIX_Surface s;
  if (!PIX_GetSurface(dest, &s, false)) return;
  i64 a = x1, b = y1, c = x2, d = y2;
  if (!clip64(&a, &b, &c, &d, s.width, s.height)) return;
  x1 = (int)a;
  y1 = (int)b;
  x2 = (int)c;
  y2 = (int)d;
  if (y1 > y2) std::swap(y1, y2);
  const int op = mode & 0xff;
  if (pxon == 1 && pxoff == 1 && x1 == x2 && alpha == 1.0f && op == 0) {
    unsigned int* p = s.at(x1, y1);
    const int n = y2 == y1 ? 0 : (y2 - y1 + 1) / 2;
    for (int i = 0; i < n; ++i, p += s.span / 2) *p = color;
    return;
  }
  if (x1 > x2) std::swap(x1, x2);
  const int ia = PIX_WeightF(alpha);
  if (ia == 0) return;
  const PIX_LineColor lc(color);
  auto dash = [&](auto o) {
    __PIX_LineClass<typename decltype(o)::type>::DashedLine(s, x1, y1, x2, y2, pxon, pxoff, lc,
                                                            ia);
  };
  PIX_DispatchShortcutOp(op, ia, true, dash);
}
