#pragma once

#include <cmath>
#include <vector>

#include "tone.h"

// Measuring the units' responses with sine waves.
namespace measure {

constexpr double kPi = 3.141592653589793;

inline double dB(double gain) {
  return 20.0 * std::log10(gain);
}

// Amplitude of the f Hz component of y.
inline double amplitudeAt(const std::vector<double>& y, double f, double rate) {
  return toneAmplitude(y, 2.0 * kPi * f / rate);
}

// Gain of a stereo in-place process at f Hz: a sine (the same on both
// channels) runs through `process(io, n)` in blocks of `block` frames for
// `settle` frames, then the left output of the next `length` frames is
// measured. Both channels must come out alike.
template <class Process>
double gainAt(Process&& process, double f, double rate, int settle = 16384, int length = 16384,
              int block = 512, double amplitude = 0.25) {
  std::vector<double> l(block), r(block), out;
  out.reserve(length);
  for (long start = 0; start < settle + length; start += block) {
    for (int i = 0; i < block; ++i)
      l[i] = r[i] = amplitude * std::sin(2.0 * kPi * f * (start + i) / rate);
    double* io[2] = {l.data(), r.data()};
    process(io, block);
    for (int i = 0; i < block; ++i)
      if (start + i >= settle && static_cast<long>(out.size()) < length) out.push_back(l[i]);
  }
  // The fit's phase reference is the first measured frame, so a shift of
  // the time origin does not matter.
  return amplitudeAt(out, f, rate) / amplitude;
}

// Deterministic white noise in [-a, a] (a small linear congruential
// generator, so runs are identical everywhere).
struct Noise {
  explicit Noise(unsigned seed = 1) : state(seed) {}
  double next(double a = 1.0) {
    state = state * 1664525u + 1013904223u;
    return a * (static_cast<double>(state >> 8) / 8388608.0 - 1.0);
  }
  unsigned state;
};

}  // namespace measure
