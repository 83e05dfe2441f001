#include "FmModulator.h"

#include <cmath>

#include "GenMath.h"
#include "UnitMath.h"

namespace Rawnfield {

FmModulator::FmModulator() {
  maxFrequency = 10000.0;
  setFrequency(0.1);
  amount = 0.0;
  phase = 0.0;
  // Deliberately overrides the increment setFrequency computed.
  phaseInc = 1.0 / sampleRate;
}

void FmModulator::init() {
  phase = 0.0;
  phaseInc = 1.0 / sampleRate;
  amountCoef = 0.9777;
  amountCoefComplement = 0.0223;
}

double FmModulator::modulate(double x) const {
  if (bypass || frequency == 0.0 || amount == 0.0) return x;
  return (1.0 - amount) * x + amount * x * std::sin(phase);
}

void FmModulator::modulate(double** io, int n) {
  if (bypass || !UnitMath::isBlock(io, n) || frequency == 0.0 || amount == 0.0) return;
  double* l = io[0];
  double* r = io[1];
  for (int i = 0; i < n; ++i) {
    smoothedAmount = smoothedAmount * amountCoef + amount * amountCoefComplement;
    const double s = smoothedAmount;
    const double m = std::sin(phase);
    l[i] = l[i] * (1.0 - s) + l[i] * s * m;
    r[i] = r[i] * (1.0 - s) + r[i] * s * m;
    // Kept within one turn: a phase left to grow loses its fractional
    // precision and the sine turns rough after hours of running.
    phase = GenMath::wrapRadians(phase + phaseInc);
  }
}

}  // namespace Rawnfield
