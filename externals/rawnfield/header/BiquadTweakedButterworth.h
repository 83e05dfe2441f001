#pragma once

#include <cstdint>

#include "RnFilter.h"

namespace Rawnfield {

// What the tweaked Butterworth high- and low-pass sections share: the
// cutoff mapping and the state block. The cutoff control reaches a little
// below half the sample rate (0.957 of it, halved); coefficients are
// recomputed on every sample from the cutoff and resonance handed in.
template <typename T>
class BiquadTweakedButterworthBase : public IRnFilter {
public:
  void setSampleRate(double rate) override { sampleRate = rate; }
  void setFilterMode(eFilterMode) override {}
  void reset() override { x = x1 = x2 = y = y1 = y2 = c0 = c1 = c2 = d1 = d2 = K = 0; }

  T cutoffScale = 0.957;
  T minCutoff = 0.0001;  // lowest cutoff, as a fraction of the sample rate
  uint32_t cutoffCurve = 0;  // 0 linear, 1 squared, 2 cubed
  T sampleRate = 44100.0;
  T x = 0, x1 = 0, x2 = 0, y = 0, y1 = 0, y2 = 0;
  T c0 = 0, c1 = 0, c2 = 0, d1 = 0, d2 = 0;
  T K = 0;  // tan(pi fc) in the high-pass, its inverse in the low-pass

protected:
  // The cutoff as a fraction of the sample rate for a control value.
  T cutoffFraction(double cutoff) const;
  // One sample through the section with the coefficients just set.
  double tick(double in);
};

// The high-pass: the resonance narrows the damping to 0 at 1.
template <typename T>
class BiquadTweakedButterworthHP : public BiquadTweakedButterworthBase<T> {
public:
  double process(double in, double cutoff, double resonance) override;
};

// The low-pass: the resonance is scaled by the limit, so the damping stays
// above 0.
template <typename T>
class BiquadTweakedButterworthLP : public BiquadTweakedButterworthBase<T> {
public:
  double process(double in, double cutoff, double resonance) override;

  T resonanceLimit = 0.99;
};

extern template class BiquadTweakedButterworthBase<double>;
extern template class BiquadTweakedButterworthHP<double>;
extern template class BiquadTweakedButterworthLP<double>;

}  // namespace Rawnfield
