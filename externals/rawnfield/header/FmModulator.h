#pragma once

#include "Modulator.h"

namespace Rawnfield {

// Multiplies a stereo block with a sine of a running phase in radians,
// blended in by the smoothed amount. The phase advances by the increment
// per frame, so the sine's frequency is increment x rate / (2 pi) Hz.
class FmModulator : public Modulator {
public:
  FmModulator();

  void init();

  // One value at the current phase with the unsmoothed amount; the phase
  // does not move. x unchanged when bypassed or when the frequency or the
  // amount is 0.
  double modulate(double x) const;
  // In place on io[0] and io[1].
  void modulate(double** io, int n);

  double amountCoef = 0.9777;
  double amountCoefComplement = 0.0223;
  double smoothedAmount = 0.0;
};

}  // namespace Rawnfield
