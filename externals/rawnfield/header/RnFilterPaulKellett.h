#pragma once

#include <cstdint>

#include "RnFilter.h"

namespace Rawnfield {

// Four cascaded one-pole stages with resonance fed back from the second
// stage into the first; low-, high- or band-pass taken from the stages.
// An input of exactly 0.0 returns 0.0 and leaves the stages untouched, so a
// tail stops on the first exact zero.
class RnFilterPaulKellett : public IRnFilter {
public:
  // How the cutoff control is bent before use.
  enum eCutoffCurve : uint32_t { kCurveLinear = 0, kCurveSquared = 1, kCurveCubed = 2 };

  double process(double in, double cutoff, double resonance) override;
  void setSampleRate(double rate) override { sampleRate = rate; }
  void setFilterMode(eFilterMode m) override { mode = m; }
  void reset() override { buf0 = buf1 = buf2 = buf3 = 0.0; }

  // One sample through the stages with the stored cutoff, offset and
  // feedback (nothing recomputed); the zero rule above holds. A sample that
  // would leave the stages non-finite clears them and gives 0.
  double runStages(double in);

  eFilterMode mode = kFilterModeLowPass;
  uint32_t cutoffCurve = kCurveLinear;
  double cutoff = 0.99;
  double resonance = 0.0;
  double feedback = 0.0;
  double cutoffOffset = 0.0;  // added to the shaped cutoff
  double sampleRate = 44100.0;
  double buf0 = 0.0;
  double buf1 = 0.0;
  double buf2 = 0.0;
  double buf3 = 0.0;
};

}  // namespace Rawnfield
