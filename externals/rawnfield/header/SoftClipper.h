#pragma once

#include <cstdint>

#include "UnitMath.h"

namespace Rawnfield {

// The output limiter: each sample's magnitude passes a static compressor
// curve with a quadratic soft knee, whose bounds follow a smoothed copy of
// the threshold; an optional automatic make-up then brings a full-scale
// input back to just under full scale.
//
// The owner writes `mode` and `autoMakeUp` directly. After switching
// auto make-up on, or changing the mode while it is on, it calls
// updateMakeUpGain(); setThreshold() does so itself while auto make-up is on.
class SoftClipper {
public:
  static constexpr uint32_t kDefaultMode = 1;
  static constexpr double kMinThreshold = 0.003981071705534;  // -48 dB
  static constexpr double kMaxThreshold = 1.0;
  static constexpr double kDefaultThreshold = 0.7079457843841379;  // -3 dB
  static constexpr double kDefaultKneeWidth = 0.5;
  static constexpr double kDefaultRatio = 10.0;
  static constexpr double kDefaultLimiterKneeWidth = 0.02;
  static constexpr double kDefaultLimiterRatio = 1000.0;
  static constexpr double kMakeUpHeadRoomGainFactor = 0.998849;
  static constexpr double kMaxAutoMakeUpSampleValue = 1.0;

  // Modes the owner sets.
  enum eMode : uint32_t { kModeOff = 0, kModeLimiter = 1 };

  SoftClipper() = default;

  // Stores t, kept within [kMinThreshold, kMaxThreshold] (a non-finite t is
  // ignored) so the make-up gain stays finite; recomputes the make-up gain
  // while auto make-up is on.
  void setThreshold(double t);
  // make-up gain = 1 / (sign(m) x curve(|m|)) for m = kMaxAutoMakeUpSampleValue,
  // with whatever knee, ratio and bounds are stored now.
  void updateMakeUpGain();
  // The static curve for a magnitude a >= 0 (NaN stays NaN).
  double curve(double a) const;
  // Reads in, writes out; the same block may be passed for both. Mode 0
  // writes nothing; mode 1 limits. Any other mode applies the curve with
  // the stored knee, ratio and bounds, without the limiter's per-sample
  // update.
  void process(double** in, double** out, int n);

  double threshold = kDefaultThreshold;
  Smoother thresholdSmoother{0.9944, kDefaultThreshold};
  double kneeWidth = kDefaultKneeWidth;
  double ratio = kDefaultRatio;
  double kneeLow = 0.0;
  double kneeHigh = 0.0;
  uint32_t mode = kDefaultMode;
  bool autoMakeUp = false;
  double makeUpGain = 1.0;

private:
  // The limiter's ratio and knee around the smoothed threshold s.
  void setLimiterBounds(double s);
  // Frame by frame, then the make-up pass: what process() does when the
  // channels share memory.
  void processFrames(double** in, double** out, int n);
};

}  // namespace Rawnfield
