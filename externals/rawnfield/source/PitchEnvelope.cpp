#include "PitchEnvelope.h"

#include <cmath>

namespace Rawnfield {

void PitchEnvelope::updateGUIData(double* buf, int n) const {
  if (!buf || n < 1) return;
  for (int i = 0; i < n; ++i) {
    if (bypass) {
      buf[i] = 0.0;
      continue;
    }
    const double t = (attack + 2.0) * i / n;
    const double end = attack + duration;
    double v;
    if (t < attack) {
      v = t / attack * amount * maxAmount + 1.0;
    } else if (t < end) {
      const double u = (t - attack) / duration;
      v = amount * maxAmount * std::pow(1.0 - u, power * powerScale) + 1.0;
    } else {
      v = 1.0;
    }
    const double drop = t < end ? pitchDown * (t / end) : pitchDown;
    v = v - drop - 1.0;
    if (v < 0.0) v *= maxAmount;
    buf[i] = v / maxAmount;
  }
}

}  // namespace Rawnfield
