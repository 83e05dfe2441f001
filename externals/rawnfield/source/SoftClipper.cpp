#include "SoftClipper.h"

#include <cmath>

namespace Rawnfield {

void SoftClipper::setThreshold(double t) {
  if (std::isnan(t)) return;
  threshold = t < kMinThreshold ? kMinThreshold : (t > kMaxThreshold ? kMaxThreshold : t);
  if (autoMakeUp) updateMakeUpGain();
}

void SoftClipper::updateMakeUpGain() {
  const double m = kMaxAutoMakeUpSampleValue;
  makeUpGain = 1.0 / (UnitMath::signOf(m) * curve(std::fabs(m)));
}

double SoftClipper::curve(double a) const {
  if (a < kneeLow) return a;
  if (kneeLow <= a && a < kneeHigh) {
    const double d = a - threshold + kneeWidth / 2.0;
    return a + (1.0 / ratio - 1.0) * d * d / (2.0 * kneeWidth);
  }
  return threshold + (a - threshold) / ratio;
}

void SoftClipper::process(double** in, double** out, int n) {
  if (mode == kModeOff) return;
  if (!UnitMath::isBlock(in, n) || !UnitMath::isBlock(out, n)) return;
  const bool limiter = mode == kModeLimiter;
  for (int i = 0; i < n; ++i) {
    if (limiter) {
      const double s = thresholdSmoother.next(threshold);
      ratio = kDefaultLimiterRatio;
      kneeWidth = kDefaultLimiterKneeWidth < s ? kDefaultLimiterKneeWidth : s;
      kneeLow = s - kneeWidth / 2.0;
      kneeHigh = s + kneeWidth / 2.0;
    }
    for (int c = 0; c < 2; ++c) {
      const double x = in[c][i];
      out[c][i] = UnitMath::signOf(x) * curve(std::fabs(x));
    }
  }
  if (!autoMakeUp) return;
  const double gain = makeUpGain * kMakeUpHeadRoomGainFactor;
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < n; ++i) out[c][i] *= gain;
}

}  // namespace Rawnfield
