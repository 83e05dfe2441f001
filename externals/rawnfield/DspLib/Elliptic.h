#pragma once

// Elliptic (Cauer) designs: equiripple passband and stopband, the steepest transition for a
// given order. The prototype is computed numerically: transmission zeros from the Jacobi
// elliptic sine, a characteristic polynomial built from them, and the poles from its quadratic
// factors (Bairstow's method).
//
// rippleDb is the passband ripple; the passband edge is the cutoff. rolloff sets the
// selectivity: the stopband starts at xi = 5 exp(rolloff - 1) + 1 times the cutoff, and the
// stop-band attenuation follows from the order, the ripple and xi.
//
// Down to a rolloff of -12 the response is the exact elliptic one to 1e-6 dB. Steeper settings
// squeeze the transition band to parts in 1e7 of the cutoff, where rounding in the factored
// polynomial moves the passband edge by hundredths of a dB (a tenth above order 12); from
// order 24 at a rolloff of -16 some poles round onto the unit circle.

#include "Layout.h"
#include "PoleFilter.h"

namespace Dsp {
namespace Elliptic {

struct Solver {
  // The complete elliptic integral of the first kind K(k), k the modulus, by the
  // arithmetic-geometric mean.
  static double ellipticK(double k);
};

// The selectivity xi (stopband edge over passband edge) that a rolloff value gives.
double selectivity(double rolloff);

// The highest order the design's work arrays hold; higher orders are built at this one.
const int kMaxOrder = 49;

class AnalogLowPass : public LayoutBase {
public:
  AnalogLowPass();
  // Throws std::logic_error("bairstow failed") when the poles cannot be extracted (the
  // iteration does not converge, for instance on a NaN argument); the prototype is then empty
  // and the next design builds again.
  void design(int numPoles, double rippleDb, double rolloff);

private:
  int m_numPoles;
  double m_rippleDb;
  double m_rolloff;
};

// setup(order, sampleRate, cutoffFrequency, rippleDb, rolloff) for the low and high pass;
// setup(order, sampleRate, centerFrequency, widthFrequency, rippleDb, rolloff) for the band
// pass and stop.
using LowPassBase = LowPassSetup<AnalogLowPass>;
using HighPassBase = HighPassSetup<AnalogLowPass>;
using BandPassBase = BandPassSetup<AnalogLowPass>;
using BandStopBase = BandStopSetup<AnalogLowPass>;

}  // namespace Elliptic
}  // namespace Dsp
