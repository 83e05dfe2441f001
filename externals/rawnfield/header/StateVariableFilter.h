#pragma once

#include <cmath>

#include "../DspLib/Lanes.h"
#include "RnFilter.h"
#include "UnitMath.h"

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
    if (Channels == 2 && frames > 0 && !UnitMath::overlaps(channels[0], channels[1], frames)) {
      processPair(channels[0], channels[1], frames);
    } else {
      for (int c = 0; c < Channels; ++c) {
        double* x = channels[c];
        const Coefficients<double> k = coefficients<double>([](double v) { return v; });
        for (int i = 0; i < frames; ++i) x[i] = tick(k, x[i], state[c][0], state[c][1]);
      }
    }
    // A NaN or infinity would otherwise stay in the integrators for good.
    for (double* s : state)
      if (!std::isfinite(s[0]) || !std::isfinite(s[1])) s[0] = s[1] = 0.0;
  }

  // One sample through the first channel; cutoff c maps to
  // 20 + 19980 c^2 Hz, resonance r as in setRezo.
  double process(double in, double c, double r) override {
    const double k = c < 0.0 ? 0.0 : (c > 1.0 ? 1.0 : c);
    setCutoffHz(20.0 + 19980.0 * k * k);
    setRezo(r);
    computeCoefficients();
    return tick(coefficients<double>([](double v) { return v; }), in, state[0][0], state[0][1]);
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

  // The coefficients as one sample (double) or a pair of them (Lanes) takes
  // them.
  template <class T>
  struct Coefficients {
    T a, b, lowPassFeed, highPassGain, bandPassGain, bandPassFeed, notchFeed, offset;
  };
  template <class T, class Widen>
  Coefficients<T> coefficients(Widen widen) const {
    return {widen(a),
            widen(b),
            widen(lowPassFeed),
            widen(highPassGain),
            widen(bandPassGain),
            widen(bandPassFeed),
            widen(lowPassFeed + highPassGain),
            widen(1e-20)};
  }

  // One sample of one channel, or of both side by side, with the same
  // operations.
  template <class T>
  static T tick(const Coefficients<T>& k, T in, T& s0, T& s1) {
    // The tiny offset keeps the integrators out of the denormal range.
    const T x = in - s0 - s1 + k.offset;
    const T first = s0;
    s0 = first + k.b * x;
    s1 = s1 + k.a * first;
    switch (Type) {
      case kSVLowPass:
        return s1 + k.lowPassFeed * x;
      case kSVHighPass:
        return k.highPassGain * x;
      case kSVBandPass:
        return k.bandPassGain * first + k.bandPassFeed * x;
      default:
        return s1 + k.notchFeed * x;
    }
  }

  // Both channels side by side: their recurrences overlap.
  void processPair(double* left, double* right, int frames) {
    using namespace Dsp;
    const Coefficients<Lanes> k = coefficients<Lanes>([](double v) { return splat(v); });
    Lanes s0 = lanes(state[0][0], state[Channels - 1][0]);
    Lanes s1 = lanes(state[0][1], state[Channels - 1][1]);
    for (int i = 0; i < frames; ++i) {
      const Lanes y = tick(k, lanes(left[i], right[i]), s0, s1);
      left[i] = lane0(y);
      right[i] = lane1(y);
    }
    state[0][0] = lane0(s0);
    state[0][1] = lane0(s1);
    state[Channels - 1][0] = lane1(s0);
    state[Channels - 1][1] = lane1(s1);
  }
};

}  // namespace Rawnfield
