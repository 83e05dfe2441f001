#pragma once

// Shared scalar types, constants and small numeric helpers of the filter library.

#include <climits>
#include <cmath>
#include <complex>
#include <limits>

namespace Dsp {

typedef std::complex<double> complex_t;

const double kPi = 3.141592653589793;
const double kPi_2 = 1.5707963267948966;
const double kTwoPi = 6.283185307179586;
const double kLn2 = 0.6931471805599453;
const double kLn10 = 2.302585092994046;

// The analog zero "at infinity" of a low-pass prototype; the transforms test for exactly this.
inline complex_t infinity() {
  return complex_t(std::numeric_limits<double>::infinity(), 0);
}

inline bool isInfinity(const complex_t& c) {
  return c.real() == std::numeric_limits<double>::infinity() && c.imag() == 0;
}

// Truncates toward zero like a plain conversion, but stays defined for NaN and for values
// outside the int range.
inline int truncateToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<int>(v);
}

// Highest frequency, as a fraction of the sample rate, that a design is set up for. The
// descriptors allow a 22040 Hz cutoff together with an 11025 Hz sample rate; at or above half
// the sample rate the bilinear mapping and the cookbook formulas give unstable or undefined
// sections, so such frequencies are held just below it. 0.4999 keeps every cutoff of the
// descriptor range unchanged at 44100 Hz.
const double kMaxFrequencyFraction = 0.4999;

inline double limitFrequency(double frequency, double sampleRate) {
  const double highest = kMaxFrequencyFraction * sampleRate;
  return frequency > highest ? highest : frequency;
}

}  // namespace Dsp
