#pragma once

#include <vector>

#include "RnFilter.h"

namespace Rawnfield {

// A second-order section with the seven cookbook responses (low-, high-,
// band-pass, notch, peak, low and high shelf), run one sample at a time with
// normalised cutoff and resonance; plus magnitude curves for display: 220
// points from 10 Hz at 20 points per octave.
class BiquadFilter : public IRnFilter {
public:
  static constexpr int kResponsePoints = 220;

  BiquadFilter() = default;
  BiquadFilter(eFilterMode mode, double sampleRate);

  void setSampleRate(double rate) override;
  double getSampleRate() const { return sampleRate; }
  // Takes effect at the next update().
  void setFilterMode(eFilterMode m) override { mode = m; }
  void setGainDb(double dB);
  double getGainDb() const;
  void setGain(double g) { gain = g > kMinGain ? g : kMinGain; }
  double getGain() const { return gain; }
  void setQ(double q) { Q = q > kMinQ ? q : kMinQ; }
  double getQ() const { return Q; }

  // cutoff 0..1 of the maximum frequency (at least 20 Hz); resonance 0..1
  // gives Q 0..16 (at least 0.1).
  double process(double in, double cutoff, double resonance) override;
  void update();
  void reset() override { x1 = x2 = y = y1 = y2 = 0.0; }

  std::vector<double> getA() const { return {1.0, a1, a2}; }
  std::vector<double> getB() const { return {b0, b1, b2}; }

  // The squared magnitude |H|^2 at hz.
  double getResponse(double hz) const;
  // The magnitude |H| at 10 x 2^(i / 20) Hz for i = 0..219.
  static std::vector<double> GetSystemResponse(const BiquadFilter& f);
  // Curves of a temporary filter at 96000 Hz; Q = 1 / (2 (1 - 0.999 r)).
  static std::vector<double> GetLowpassMagnitude(double cutoffHz, double resonance);
  static std::vector<double> GetBandpassMagnitude(double cutoffHz, double resonance);
  static std::vector<double> GetHighpassMagnitude(double cutoffHz, double resonance);

  static constexpr double kMinGain = 0.001;
  static constexpr double kMinQ = 0.1;

  eFilterMode mode = kFilterModeLowPass;
  double lastOutput = 0.0;
  double frequency = 20.0;  // Hz
  // Shelf slope of the shelf responses; 1 is the steepest shelf that stays
  // monotonic.
  double S = 1.0;
  double sampleRate = 44100.0;
  double Q = 0.5;
  double gain = 1.0;  // linear
  double maxFrequency = 20000.0;
  // a0 is kept as computed; the others are divided by it.
  double a0 = 1.0, a1 = 0.0, a2 = 0.0, b0 = 1.0, b1 = 0.0, b2 = 0.0;
  double x1 = 0.0, x2 = 0.0, y = 0.0, y1 = 0.0, y2 = 0.0;

private:
  static std::vector<double> curve(eFilterMode mode, double cutoffHz, double resonance);
};

}  // namespace Rawnfield
