// Quadratic and cubic Bezier curves as chains of line segments, and cubic
// fills toward a row or a column.

#include <math.h>

#include <initializer_list>
#include <type_traits>
#include <utility>

#include "pix.h"

namespace {

typedef long long i64;

// A curve whose control polygon is more than this many tolerances long is
// drawn with this many segments: beyond it they would cost time, not
// quality, on any bitmap the editor draws.
const int kMaxSegments = 1 << 16;

// Segments are handed to the line drawer only within this margin around
// the bitmap; longer ones are cut first, so far-away points (up to the
// float range) never reach its arithmetic.
const double kMargin = 1048576.0;

template <class T>
T toT(double v) {
  if (std::is_same<T, float>::value) return (T)PIX_HoldFloat(v);
  return (T)v;
}

// Power form of one coordinate of a cubic: ((a t + b) t + c) t + d.
struct Cubic {
  double a, b, c, d;
  Cubic(double p1, double c1, double c2, double p2) {
    c = 3.0 * (c1 - p1);
    b = 3.0 * (c2 - c1) - c;
    a = (p2 - p1) - c - b;
    d = p1;
  }
  Cubic(double a_, double b_, double c_, double d_, int) : a(a_), b(b_), c(c_), d(d_) {}
  double at(double t) const { return ((a * t + b) * t + c) * t + d; }
};

// One coordinate of a quadratic in Bernstein form.
double quadAt(double p0, double p1, double p2, double t) {
  const double omt = 1.0 - t;
  return ((p2 * t + p1 * 2 * omt) * t) + p0 * omt * omt;
}

// Control-polygon leg length: squares in float, root in double.
double leg(float x1, float y1, float x2, float y2) {
  const float dx = x2 - x1, dy = y2 - y1;
  return sqrt((double)(dx * dx + dy * dy));
}

int segmentCount(double len, double trange, float tol) {
  const int n = PIX_TruncToInt(len * trange / tol);
  return n < 1 ? 1 : n > kMaxSegments ? kMaxSegments : n;
}

// Cuts a segment to [xlo, xhi] x [ylo, yhi]; false when nothing is left.
bool cutToBox(double* x1, double* y1, double* x2, double* y2, double xlo, double ylo, double xhi,
              double yhi) {
  const double dx = *x2 - *x1, dy = *y2 - *y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {*x1 - xlo, xhi - *x1, *y1 - ylo, yhi - *y1};
  double t0 = 0, t1 = 1;
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0) {
      if (r > t1) return false;
      if (r > t0) t0 = r;
    } else {
      if (r < t0) return false;
      if (r < t1) t1 = r;
    }
  }
  const double ax = *x1, ay = *y1;
  *x1 = ax + t0 * dx;
  *y1 = ay + t0 * dy;
  *x2 = ax + t1 * dx;
  *y2 = ay + t1 * dy;
  return true;
}

struct Pt {
  float x, y;
};

struct Pen {
  PIX_IBitmap* dest;
  unsigned int color;
  float alpha;
  int mode;
  bool aa;
  void segment(Pt a, Pt b) const {
    const double xlo = -kMargin, ylo = -kMargin;
    const double xhi = dest->getWidth() + kMargin, yhi = dest->getHeight() + kMargin;
    auto inside = [&](Pt p) { return p.x >= xlo && p.x <= xhi && p.y >= ylo && p.y <= yhi; };
    if (!inside(a) || !inside(b)) {
      double x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
      if (!cutToBox(&x1, &y1, &x2, &y2, xlo, ylo, xhi, yhi)) return;
      a = {(float)x1, (float)y1};
      b = {(float)x2, (float)y2};
    }
    PIX_FLine(dest, a.x, a.y, b.x, b.y, color, alpha, mode, aa);
  }
};

// The prepared cubic of CBezPrep.
struct Prepared {
  double ax, bx, cx, dx, ay, by, cy, dy;
  float xlo, xhi, ylo, yhi;
  double tlo, thi;
  int n;
  Cubic X() const { return Cubic(ax, bx, cx, dx, 0); }
  Cubic Y() const { return Cubic(ay, by, cy, dy, 0); }
};

bool prepare(PIX_IBitmap* dest, float x1, float y1, float xc1, float yc1, float xc2, float yc2,
             float x2, float y2, float tol, bool xbound, Prepared* p) {
  p->n = CBezPrep(dest, x1, y1, xc1, yc1, xc2, yc2, x2, y2, tol, xbound, &p->ax, &p->bx, &p->cx,
                  &p->dx, &p->ay, &p->by, &p->cy, &p->dy, &p->xlo, &p->xhi, &p->ylo, &p->yhi,
                  &p->tlo, &p->thi);
  return p->n > 0;
}

// One chord of a fill, with u the axis the chords advance along (x for a
// fill toward a row) and v the other; emits in (x, y) order.
void fillChord(PIX_IBitmap* dest, int u1, int v1, int u2, int v2, int vfill, bool swap,
               unsigned int color, float alpha, int mode) {
  if (u2 < u1) return;
  auto poly = [&](std::initializer_list<std::pair<int, int>> uv) {
    int xs[4], ys[4], k = 0;
    for (const auto& q : uv) {
      xs[k] = swap ? q.second : q.first;
      ys[k] = swap ? q.first : q.second;
      ++k;
    }
    PIX_FillConvexPolygon(dest, xs, ys, k, color, alpha, mode);
  };
  const int beyond = PIX_SatInt((i64)vfill + 1);
  if (u1 == u2) {
    const int lo = v1 < vfill ? v1 : vfill;
    int hi = v2 > vfill ? v2 : vfill;
    if (hi != vfill) --hi;
    if (swap) PIX_Line(dest, lo, u2, hi, u2, color, alpha, mode, false);
    else PIX_Line(dest, u2, lo, u2, hi, color, alpha, mode, false);
    return;
  }
  if ((vfill > v1) == (vfill > v2)) {
    const int vf = vfill > v1 ? beyond : vfill;
    poly({{u1, v1}, {u1, vf}, {u2, v2}, {u2, vf}});
    return;
  }
  // The chord crosses the fill line at uc: one triangle on each side.
  const double cross = ((double)u2 - u1) * ((double)vfill - v1) / ((double)v2 - v1);
  const int uc = PIX_SatInt((i64)u1 + PIX_TruncToInt(cross));
  const int va = vfill > v1 ? beyond : vfill, vb = v2 < vfill ? beyond : vfill;
  poly({{u1, v1}, {u1, va}, {uc, va}});
  poly({{uc, vb}, {u2, vb}, {u2, v2}});
}

// Fills toward row yfill (columns) or column xfill (!columns) chord by
// chord; consecutive chords cover adjoining columns (rows).
void fillCubic(PIX_IBitmap* dest, float x1, float y1, float xc1, float yc1, float xc2, float yc2,
               float x2, float y2, int fill, bool columns, unsigned int color, float alpha,
               int mode, float tol) {
  Prepared p;
  if (!prepare(dest, x1, y1, xc1, yc1, xc2, yc2, x2, y2, tol, columns, &p)) return;
  const Cubic U = columns ? p.X() : p.Y(), V = columns ? p.Y() : p.X();
  const float ulo = columns ? p.xlo : p.ylo, uhi = columns ? p.xhi : p.yhi;
  const float vlo = columns ? p.ylo : p.xlo, vhi = columns ? p.yhi : p.xhi;
  auto chord = [&](i64 ua, int va, int u, int v) {
    fillChord(dest, (int)ua, va, u, v, fill, !columns, color, alpha, mode);
  };
  i64 ua = PIX_TruncToInt(ulo);
  int va = PIX_TruncToInt((double)vlo + 0.5);
  if (p.n >= 3) {
    const double dt = (p.thi - p.tlo) / p.n;
    double t = p.tlo;
    for (int k = 1; k <= p.n - 2; ++k) {
      t += dt;
      const int u = PIX_TruncToInt(PIX_HoldFloat(U.at(t)));
      if (u < ua) continue;
      const int v = PIX_TruncToInt((double)PIX_HoldFloat(V.at(t)) + 0.5);
      chord(ua, va, u, v);
      ua = (i64)u + 1;
      va = v;
    }
  }
  const int ue = PIX_TruncToInt((double)uhi - 1.0);
  if (ue >= ua) chord(ua, va, ue, PIX_TruncToInt((double)vhi + 0.5));
}

}  // namespace

template <class T>
T PIX_Bezier_GetY(T x1, T xc, T x2, T y1, T yc, T y2, T x, double* t) {
  double tt;
  T y;
  if (!(x > x1)) {  // also a NaN x
    tt = 0;
    y = y1;
  } else if (x >= x2) {
    tt = 1;
    y = y2;
  } else {
    const double a = (double)x2 - 2.0 * (double)xc + (double)x1, b = (double)xc - (double)x1;
    if (a != 0) {
      // The root of x(t) = x; no square root of a negative (x beyond the
      // curve's turning point takes the turning point).
      double disc = b * b - ((double)x1 - (double)x) * a;
      if (!(disc > 0)) disc = 0;
      tt = (sqrt(disc) - b) / a;
    } else if (x1 != x2) {
      tt = ((double)x - (double)x1) / ((double)x2 - (double)x1);
    } else {
      tt = 0;
    }
    if (!(tt >= 0)) tt = 0;
    if (tt > 1) tt = 1;
    y = toT<T>(quadAt(y1, yc, y2, tt));
  }
  if (t) *t = tt;
  return y;
}

template <class T>
T PIX_CBezier_GetY(T x1, T xc1, T xc2, T x2, T y1, T yc1, T yc2, T y2, T x, T* nextx, T* dydx,
                   double* tlo, double* thi) {
  if (!(x >= x1) || x >= x2) {  // a NaN x counts as before the start
    const bool start = !(x >= x1);
    if (nextx) *nextx = start ? x1 : x2;
    if (dydx) *dydx = 0;
    return start ? y1 : y2;
  }
  const Cubic X(x1, xc1, xc2, x2), Y(y1, yc1, yc2, y2);
  const double xv = x;
  double lo = 0, hi = 1, xlo = 0, xhi = 0;
  for (int i = 0; i < 8; ++i) {
    const double tm = (lo + hi) / 2, xm = X.at(tm);
    if (xm < xv) {
      lo = tm;
      xlo = xm;
    } else if (xm > xv) {
      hi = tm;
      xhi = xm;
    } else {
      lo = tm;
      xlo = xm;
      hi = tm + 0.00390625 < 1.0 ? tm + 0.00390625 : 1.0;
      xhi = X.at(hi);
      break;
    }
  }
  if (lo == 0) xlo = X.at(0);
  if (hi == 1) xhi = X.at(1);
  const double ylo = Y.at(lo);
  const double slope = xhi == xlo ? 0 : (Y.at(hi) - ylo) / (xhi - xlo);
  if (nextx) *nextx = toT<T>(xhi);
  if (dydx) *dydx = toT<T>(slope);
  if (tlo) *tlo = lo;
  if (thi) *thi = hi;
  return toT<T>(ylo + (xv - xlo) * slope);
}

template float PIX_Bezier_GetY<float>(float, float, float, float, float, float, float, double*);
template double PIX_Bezier_GetY<double>(double, double, double, double, double, double, double,
                                        double*);
template float PIX_CBezier_GetY<float>(float, float, float, float, float, float, float, float,
                                       float, float*, float*, double*, double*);
template double PIX_CBezier_GetY<double>(double, double, double, double, double, double, double,
                                         double, double, double*, double*, double*, double*);

void PIX_DrawQBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl, float yctl,
                     float xend, float yend, unsigned int color, float alpha, int mode, bool aa,
                     float tol) {
  if (!dest || !PIX_AllFinite({xstart, ystart, xctl, yctl, xend, yend})) return;
  if (!(tol > 0)) tol = 1.0f;
  const bool swap = xstart > xend;
  // The unclipped curve, ordered by x at its ends.
  const float x1 = swap ? xend : xstart, y1 = swap ? yend : ystart;
  const float x2 = swap ? xstart : xend, y2 = swap ? ystart : yend;
  const int width = dest->getWidth();
  Pt L = {x1, y1}, R = {x2, y2};
  double t0 = 0, t1 = 1;
  if (L.x < 0) {
    L.y = PIX_Bezier_GetY<float>(x1, xctl, x2, y1, yctl, y2, 0.0f, &t0);
    L.x = 0;
  }
  if (R.x >= width) {
    R.x = (float)(width - 1);
    R.y = PIX_Bezier_GetY<float>(x1, xctl, x2, y1, yctl, y2, R.x, &t1);
  }
  if (L.x > R.x) return;
  const int n = segmentCount(leg(x1, y1, xctl, yctl) + leg(xctl, yctl, x2, y2), t1 - t0, tol);
  const Pen pen = {dest, color, alpha, mode, aa};
  Pt prev = L;
  if (n >= 2) {
    const double dt = (t1 - t0) / n;
    double t = t0;
    for (int i = 1; i < n; ++i) {
      t += dt;
      const Pt p = {PIX_HoldFloat(quadAt(x1, xctl, x2, t)), PIX_HoldFloat(quadAt(y1, yctl, y2, t))};
      pen.segment(prev, p);
      prev = p;
    }
  }
  pen.segment(prev, R);
}

int CBezPrep(PIX_IBitmap* dest, float x1, float y1, float xc1, float yc1, float xc2, float yc2,
             float x2, float y2, float tol, bool xbound, double* ax, double* bx, double* cx,
             double* dx, double* ay, double* by, double* cy, double* dy, float* xlo, float* xhi,
             float* ylo, float* yhi, double* tlo, double* thi) {
  if (!dest || !PIX_AllFinite({x1, y1, xc1, yc1, xc2, yc2, x2, y2})) return 0;
  const int w = dest->getWidth();
  if (!(tol > 0)) tol = 1.0f;
  if (xbound ? x1 > x2 : y1 > y2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
    std::swap(xc1, xc2);
    std::swap(yc1, yc2);
  }
  const Cubic X(x1, xc1, xc2, x2), Y(y1, yc1, yc2, y2);
  *ax = X.a;
  *bx = X.b;
  *cx = X.c;
  *dx = X.d;
  *ay = Y.a;
  *by = Y.b;
  *cy = Y.c;
  *dy = Y.d;
  *xlo = x1;
  *ylo = y1;
  *xhi = x2;
  *yhi = y2;
  *tlo = 0;
  *thi = 1;
  // Cut at the left and right edges; the kept parameter range is the upper
  // end of the bracket at the left cut and the lower end at the right one,
  // so it stays inside the visible columns.
  if (*xlo < 0) {
    double below = 0, above = 0;
    *ylo = PIX_CBezier_GetY<float>(x1, xc1, xc2, x2, y1, yc1, yc2, y2, 0.0f, 0, 0, &below, &above);
    *tlo = above;
    *xlo = 0;
  }
  if (*xhi > w) {
    double below = 1, above = 1;
    *yhi = PIX_CBezier_GetY<float>(x1, xc1, xc2, x2, y1, yc1, yc2, y2, (float)w, 0, 0, &below,
                                   &above);
    *thi = below;
    *xhi = (float)w;
  }
  if (xbound ? *xlo > *xhi : *ylo > *yhi) return 0;
  const double len = leg(x1, y1, xc1, yc1) + leg(xc1, yc1, xc2, yc2) + leg(xc2, yc2, x2, y2);
  return segmentCount(len, *thi - *tlo, tol);
}

void PIX_DrawCBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                     float xctl2, float yctl2, float xend, float yend, unsigned int color,
                     float alpha, int mode, bool aa, float tol) {
  Prepared p;
  if (!prepare(dest, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, tol, true, &p))
    return;
  const Pen pen = {dest, color, alpha, mode, aa};
  const Cubic X = p.X(), Y = p.Y();
  Pt prev = {p.xlo, p.ylo};
  // n steps, n - 1 segments: the last segment spans the final two steps.
  if (p.n >= 3) {
    const double dt = (p.thi - p.tlo) / p.n;
    double t = p.tlo;
    for (int k = 1; k <= p.n - 2; ++k) {
      t += dt;
      const Pt q = {PIX_HoldFloat(X.at(t)), PIX_HoldFloat(Y.at(t))};
      pen.segment(prev, q);
      prev = q;
    }
  }
  pen.segment(prev, {p.xhi, p.yhi});
}

void PIX_FillCBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                     float xctl2, float yctl2, float xend, float yend, int yfill,
                     unsigned int color, float alpha, int mode, float tol) {
  fillCubic(dest, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, yfill, true, color,
            alpha, mode, tol);
}

void PIX_FillCBezierX(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, int xfill,
                      unsigned int color, float alpha, int mode, float tol) {
  fillCubic(dest, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, xfill, false, color,
            alpha, mode, tol);
}

void DoBezierFillSegment(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int yfill,
                         unsigned int color, float alpha, int mode) {
  fillChord(dest, x1, y1, x2, y2, yfill, false, color, alpha, mode);
}

void DoBezierFillSegmentX(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int xfill,
                          unsigned int color, float alpha, int mode) {
  fillChord(dest, y1, x1, y2, x2, xfill, true, color, alpha, mode);
}
