#include "NoiseGate.h"

#include <cmath>

namespace Rawnfield {

void NoiseGate::setThreshold(double v) {
  setting = v;
  threshold = std::isfinite(v) ? v * v * v * v : 0.0;
  if (!std::isfinite(threshold)) threshold = 0.0;
}

void NoiseGate::process(double** in, double** out, int n) {
  if (threshold == 0.0) return;
  if (!UnitMath::isBlock(in, n) || !UnitMath::isBlock(out, n)) return;
  const double t = threshold;
  for (int i = 0; i < n; ++i) {
    const double s = thresholdSmoother.next(t);
    kneeWidth = s < 0.01 ? s : 0.01;
    kneeTop = s + kneeWidth;
    for (int c = 0; c < 2; ++c) {
      const double x = in[c][i];
      const double a = std::fabs(x);
      double y;
      if (t > a)
        y = 0.0;
      else if (a >= t && a < kneeTop)
        // The knee width is positive here: a non-empty knee above a
        // positive threshold needs s > 0.
        y = UnitMath::signOf(x) * (kneeTop * (a - t) / kneeWidth + a);
      else
        y = UnitMath::signOf(x) * a;
      out[c][i] = y;
    }
  }
}

}  // namespace Rawnfield
