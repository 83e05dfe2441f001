#pragma once

#include <cmath>

#include "RnFilter.h"

namespace Rawnfield {

// Response of a state-variable filter, its first template argument.
enum SVFilterType : int {
  kSVLowPass = 0,
  kSVHighPass = 1,
  kSVBandPass = 2,
  kSVNotch = 3,
};

// A small two-integrator state-variable filter with a fixed response and a
// fixed number of channels. The cutoff is held at or below 0.49 times the
// sample rate. Coefficients are recomputed at the start of the next block
// after any change (and on every per-sample call).
template <int Type, int Channels>
class StateVariableFilter : public IRnFilter {
public:
  static constexpr double kMaxCutoffFraction = 0.49;
  static constexpr double kButterworthQ = 0.7071067811865476;
  static constexpr double kNotchMinQ = 0.3;
  static constexpr double kMaxQ = 20.0;

  StateVariableFilter(double rate = 44100.0, double cutoffHz = 1000.0,
                      double minQ = Type == kSVNotch ? kNotchMinQ : kButterworthQ,
                      double maxQ = kMaxQ)
      : sampleRate(rate),
        cutoff(cutoffHz),
        normCutoff(cutoffHz / rate),
        resonance(minQ),
        minResonance(minQ),
        maxResonance(maxQ) {}

  // A cutoff lowered here for a low rate stays lowered when the rate rises.
  void setSampleRate(double rate) override {
    sampleRate = rate > 1.0 ? rate : 1.0;
    setCutoffHz(cutoff);
  }

  void setCutoffHz(double hz) {
    const double top = kMaxCutoffFraction * sampleRate;
    cutoff = hz < top ? hz : top;
    const double n = cutoff / sampleRate;
    normCutoff = n < 0.0 ? 0.0 : (n > kMaxCutoffFraction ? kMaxCutoffFraction : n);
    dirty = true;
  }

  // Q = min + (max - min) r^2 for r = v limited to [0, 1].
  void setRezo(double v) {
    const double r = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
    const double q = minResonance + (maxResonance - minResonance) * r * r;
    resonance = q < minResonance ? minResonance : (q > maxResonance ? maxResonance : q);
    dirty = true;
  }

  void reset() override {
    for (int c = 0; c < Channels; ++c) state[c][0] = state[c][1] = 0.0;
  }

  void setFilterMode(eFilterMode) override {}

  // Every channel in place.
  void process(double** channels, int frames) {
    if (dirty) computeCoefficients();
    for (int c = 0; c < Channels; ++c) {
      double* x = channels[c];
      double* s = state[c];
      for (int i = 0; i < frames; ++i) x[i] = tick(x[i], s);
      // A NaN or infinity would otherwise stay in the integrators for good.
      if (!std::isfinite(s[0]) || !std::isfinite(s[1])) s[0] = s[1] = 0.0;
    }
  }

  // One sample through the first channel; cutoff c maps to
  // 20 + 19980 c^2 Hz, resonance r as in setRezo.
  double process(double in, double c, double r) override {
    const double k = c < 0.0 ? 0.0 : (c > 1.0 ? 1.0 : c);
    setCutoffHz(20.0 + 19980.0 * k * k);
    setRezo(r);
    computeCoefficients();
    return tick(in, state[0]);
  }

  double state[Channels][2] = {};  // per channel the integrators s1, s2
  double b = 0.0;
  double a = 0.0;
  double lowPassFeed = 0.0;
  double highPassGain = 0.0;
  double bandPassGain = 0.0;
  double bandPassFeed = 0.0;
  double sampleRate;
  double cutoff;      // Hz
  double normCutoff;  // cycles per sample
  double resonance;   // Q
  double minResonance;
  double maxResonance;
  bool dirty = true;

private:
  void computeCoefficients() {
    const double g = std::tan(3.141592653589793 * normCutoff);
    const double G = 2.0 * g;
    const double k = G / resonance;
    const double G2 = G * G;
    a = G2 / (k + G2);
    b = (k + G2) / (G2 / 4.0 + k / 2.0 + 1.0);
    lowPassFeed = a * b / 4.0;
    highPassGain = 1.0 - b / 2.0 + a * b / 4.0;
    bandPassGain = 1.0 - a;
    bandPassFeed = (1.0 - a) * b / 2.0;
    dirty = false;
  }

  double tick(double in, double* s) const {
    // The tiny offset keeps the integrators out of the denormal range.
    const double x = in - s[0] - s[1] + 1e-20;
    const double s1 = s[0];
    s[0] = s1 + b * x;
    s[1] = s[1] + a * s1;
    switch (Type) {
      case kSVLowPass:
        return s[1] + lowPassFeed * x;
      case kSVHighPass:
        return highPassGain * x;
      case kSVBandPass:
        return bandPassGain * s1 + bandPassFeed * x;
      default:
        return s[1] + (lowPassFeed + highPassGain) * x;
    }
  }
};

}  // namespace Rawnfield
