#pragma once

#include <cfloat>
#include <cstdint>
#include <cstring>

#include "../DspLib/Lanes.h"

// Small per-sample rules shared by the processing units.
namespace Rawnfield {

// One-pole smoother: state = a * state + b * target once per frame, with
// b = 1 - a taken in double precision (not a rounded constant).
struct Smoother {
  explicit Smoother(double coefficient = 0.99, double start = 0.0)
      : a(coefficient), b(1.0 - coefficient), state(start) {}
  void setCoefficient(double coefficient) {
    a = coefficient;
    b = 1.0 - coefficient;
  }
  double next(double target) {
    state = a * state + b * target;
    return state;
  }
  double a;
  double b;
  double state;
};

namespace UnitMath {

// A stereo block the units may touch: both channels present, a frame or more.
inline bool isBlock(const double* const* io, int n) {
  return io && io[0] && io[1] && n >= 1;
}

// Whether n doubles from a and n doubles from b share memory, as when one
// buffer is handed in for both channels. Units that work on both channels
// at once keep to their one-channel-after-the-other results then.
inline bool overlaps(const double* a, const double* b, int n) {
  return a < b + n && b < a + n;
}

// -1 below zero, +1 otherwise (negative zero and NaN count as positive).
inline double signOf(double x) {
  return x < 0.0 ? -1.0 : 1.0;
}

// Keeps recursions free of denormals and poison: magnitudes below 2^-54,
// infinities and NaN become 0. The test runs on the upper word only:
// adding one to the exponent wraps infinities and NaN round to the bottom.
inline double flushTiny(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  const uint32_t high = static_cast<uint32_t>(bits >> 32);
  return ((high + 0x100000u) & 0x7FE00000u) < 0x3CA00000u ? 0.0 : v;
}

// flushTiny on two samples at once, lane by lane: kept are the finite
// magnitudes from 2^-54 on, the rest becomes +0.
inline Dsp::Lanes flushTinyLanes(Dsp::Lanes v) {
  const Dsp::Lanes a = Dsp::absLanes(v);
  return Dsp::keepWhere(
      Dsp::maskAnd(Dsp::greaterEqual(a, Dsp::splat(0x1p-54)), Dsp::lessEqual(a, Dsp::splat(DBL_MAX))),
      v);
}

}  // namespace UnitMath
}  // namespace Rawnfield
