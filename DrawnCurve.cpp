#include "DrawnCurve.h"

#include <cmath>

namespace Rawnfield {

namespace {

// A stored value beyond +-1 (drawn in the margin) reads as the nearer bound,
// a NaN as 0.
double clampValue(double y) {
  if (std::isnan(y)) return 0.0;
  return y < -1.0 ? -1.0 : (y > 1.0 ? 1.0 : y);
}

}  // namespace

DrawnCurve::DrawnCurve(int columns)
    : n(columns > 0 ? columns : 0), values(new std::atomic<double>[n > 0 ? n : 1]) {
  for (int k = 0; k < n; ++k) values[k].store(1.0 - 2.0 * k / n, std::memory_order_relaxed);
}

double DrawnCurve::value(int column) const {
  if (column < 0 || column >= n) return 0.0;
  return values[column].load(std::memory_order_relaxed);
}

void DrawnCurve::setCurveValue(int column, double v) {
  if (column < 0 || column >= n) return;
  values[column].store(v, std::memory_order_relaxed);
}

double DrawnCurve::getCurveValue(double x) const {
  return clampValue(interpolate(x));
}

double DrawnCurve::interpolate(double x) const {
  if (n < 1) return 0.0;
  // NaN reads as the start of the curve.
  x = x > 0.0 ? x : 0.0;
  // The end is the last column itself, not a rounding of the step.
  if (x >= 1.0) return value(n - 1);
  const double step = 1.0 / n;
  int i = static_cast<int>(std::floor(n * x));
  if (i > n - 1) i = n - 1;
  const int p = i >= 2 ? i - 1 : 0;
  const int i1 = i + 1 < n ? i + 1 : n - 1;
  const int i2 = i + 2 < n ? i + 2 : n - 1;
  const double t = std::fmod(x, step) / step;

  double y;
  if (t == 1.0) {
    y = value(i1);
  } else if (t == 0.0) {
    y = value(i);
  } else {
    const double y0 = value(p), y1 = value(i), y2 = value(i1), y3 = value(i2);
    const double a = y3 - y2 - y0 + y1;
    y = a * t * t * t + (y0 - y1 - a) * t * t + (y2 - y0) * t + y1;
  }
  return y;
}

void DrawnCurve::drag(int column, double v, int dX) {
  const int c = column;
  if (c < 0 || c >= n) return;
  setCurveValue(c, v);
  if (c > 0) setCurveValue(c - 1, 0.7 * v + 0.3 * value(c - 1));
  if (c + 1 < n) setCurveValue(c + 1, 0.7 * v + 0.3 * value(c + 1));
  // Fast moves leave no column of their way unset.
  if (dX >= 2) {
    for (int k = c + 1; k <= c + dX && k < n; ++k) setCurveValue(k, v);
  } else if (dX <= -2) {
    for (int k = c - 1; k >= c + dX && k >= 1; --k) setCurveValue(k, v);
  }
}

}  // namespace Rawnfield
