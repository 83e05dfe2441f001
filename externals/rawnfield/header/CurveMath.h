#pragma once

#include <cmath>

// Small value rules shared by everything that stores distortion curves.
namespace Rawnfield {
namespace CurveMath {

constexpr double kPi = 3.141592653589793;
// Multiples of pi as the curve formulas write them out (not computed, so the
// curves stay bit-exact).
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kFourPi = 12.566370614359172;
constexpr double kEightPi = 25.132741228718345;

// Limits v to [-1, 1]; NaN passes through (callers sanitise first).
inline double clampUnit(double v) {
  return v < -1.0 ? -1.0 : (v > 1.0 ? 1.0 : v);
}

// NaN and infinities become 0, everything else is kept.
inline double finiteOrZero(double v) {
  return std::isfinite(v) ? v : 0.0;
}

// Limits v to [0, 1]; NaN becomes 0 so it can safely pick an index.
inline double clampPosition(double v) {
  if (!(v >= 0.0)) return 0.0;
  return v > 1.0 ? 1.0 : v;
}

// The straight line from -1 to +1 over n points: entry i = i * (2/(n-1)) - 1.
// A single point holds -1 (there is no step to take).
inline void fillRamp(double* d, int n) {
  const double step = n > 1 ? 2.0 / (n - 1) : 0.0;
  for (int i = 0; i < n; ++i) d[i] = static_cast<double>(i) * step + (-1.0);
}

// Copies n values with NaN and infinities made 0, then clamped to [-1, 1]:
// how whole curves enter a table.
inline void loadClamped(double* dst, const double* src, int n) {
  for (int i = 0; i < n; ++i) dst[i] = clampUnit(finiteOrZero(src[i]));
}

}  // namespace CurveMath
}  // namespace Rawnfield
