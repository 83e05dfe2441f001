#pragma once

#include <cmath>
#include <cstring>

#include "../DspLib/WideLanes.h"

#if defined(__GNUC__)
#define RN_INLINE inline __attribute__((always_inline))
#else
#define RN_INLINE inline
#endif

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

// cos at every lane width: the library's, lane by lane, so that the wide
// loops give the bits of the one-sample paths.
inline double cosine(double x) {
  return std::cos(x);
}

// x by reference: a wide vector passed by value to a function built for
// narrower registers would change the calling convention.
template <double (*f)(double), class V>
RN_INLINE void eachLane(V& x) {
  constexpr int kLanes = sizeof(V) / sizeof(double);
  double v[kLanes];
  std::memcpy(v, &x, sizeof v);
  for (int i = 0; i < kLanes; ++i) v[i] = f(v[i]);
  std::memcpy(&x, v, sizeof x);
}

RN_INLINE Dsp::Lanes cosine(Dsp::Lanes x) {
  eachLane<cosine>(x);
  return x;
}

#if defined(DSP_WIDE_LANES)
RN_INLINE DSP_WIDE Dsp::Quad cosine(Dsp::Quad x) {
  eachLane<cosine>(x);
  return x;
}
RN_INLINE DSP_WIDEST Dsp::Oct cosine(Dsp::Oct x) {
  eachLane<cosine>(x);
  return x;
}
#endif

}  // namespace CurveMath
}  // namespace Rawnfield
