#pragma once

#include <cmath>

// Small rules shared by the generators, modulators and spare filters.
namespace Rawnfield {
namespace GenMath {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2.0 * kPi;

// x folded into [0, 1): the fractional part, counted upwards for negative x
// too (-0.3 gives 0.7, -2 gives 0). A result that rounds up to 1 and a
// non-finite x both give 0, so a table index made from it stays in range.
inline double wrapUnit(double x) {
  if (!std::isfinite(x)) return 0.0;
  const double w = x - std::floor(x);
  return w < 1.0 ? w : 0.0;
}

// A phase in radians folded into [0, 2 pi); the common single step is a
// subtraction so a steady phase keeps its exact values.
inline double wrapRadians(double x) {
  if (x >= kTwoPi) x -= kTwoPi;
  if (x >= 0.0 && x < kTwoPi) return x;
  if (!std::isfinite(x)) return 0.0;
  x = std::fmod(x, kTwoPi);
  if (x < 0.0) x += kTwoPi;
  return x < kTwoPi ? x : 0.0;
}

// floor(steps v + 0.5) for a selection value v, or -1 when that is not a
// whole number in [0, limit] (NaN included), so callers index tables safely.
inline int selectionIndex(double v, int steps, int limit) {
  const double t = std::floor(steps * v + 0.5);
  if (!(t >= 0.0) || t > limit) return -1;
  return static_cast<int>(t);
}

// Scales n values so that the largest magnitude becomes peak; an all-zero
// array is left as it is.
inline void scaleToPeak(double* a, int n, double peak) {
  double m = 0.0;
  for (int i = 0; i < n; ++i) {
    const double v = std::fabs(a[i]);
    if (v > m) m = v;
  }
  if (!(m > 0.0) || !std::isfinite(m)) return;
  const double k = peak / m;
  for (int i = 0; i < n; ++i) a[i] *= k;
}

}  // namespace GenMath
}  // namespace Rawnfield
