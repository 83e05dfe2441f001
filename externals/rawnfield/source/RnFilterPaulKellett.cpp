#include "RnFilterPaulKellett.h"

#include <cmath>

namespace Rawnfield {

namespace {

double shape(double c, uint32_t curve) {
  switch (curve) {
    case RnFilterPaulKellett::kCurveSquared:
      return c * c;
    case RnFilterPaulKellett::kCurveCubed:
      return c * c * c;
    default:
      return c;
  }
}

}  // namespace

double RnFilterPaulKellett::process(double in, double c, double r) {
  cutoff = shape(c, cutoffCurve);
  resonance = r;
  double f = cutoff + cutoffOffset;
  if (f > 0.99) f = 0.99;
  // Near a cutoff of 0 the divisor would vanish.
  feedback = r + r / (f < 0.01 ? 0.99 : 1.0 - f);
  return runStages(in);
}

double RnFilterPaulKellett::runStages(double in) {
  if (in == 0.0) return 0.0;
  double g = cutoff + cutoffOffset;
  g = g < 0.01 ? 0.01 : (g > 0.99 ? 0.99 : g);
  buf0 += g * ((in - buf0) + feedback * (buf0 - buf1));
  buf1 += g * (buf0 - buf1);
  buf2 += g * (buf1 - buf2);
  buf3 += g * (buf2 - buf3);
  if (!std::isfinite(buf3) || !std::isfinite(buf0)) {
    reset();
    return 0.0;
  }
  switch (mode) {
    case kFilterModeLowPass:
      return buf3;
    case kFilterModeHighPass:
      return in - buf3;
    case kFilterModeBandPass:
      return buf0 - buf3;
    default:
      return 0.0;
  }
}

}  // namespace Rawnfield
