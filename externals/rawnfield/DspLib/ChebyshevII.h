#pragma once

// Chebyshev type II (inverse Chebyshev) designs: flat passband, equiripple stopband whose floor
// is the given attenuation, zeros on the imaginary axis. The cutoff is the stop-band edge, where
// the response first falls to -stopBandDb.

#include "ChebyshevI.h"
#include "Layout.h"
#include "PoleFilter.h"

namespace Dsp {
namespace ChebyshevII {

// Normalised low pass: unity at 0 Hz, stopband from 1 rad/s at -stopBandDb.
class AnalogLowPass : public LayoutBase {
public:
  AnalogLowPass();
  void design(int numPoles, double stopBandDb);

private:
  int m_numPoles;
  double m_stopBandDb;
};

// Low shelf of gainDb at 0 Hz, unity at the Nyquist frequency: the Chebyshev I shelf, with
// the stop-band attenuation as the depth of its ripple (design(numPoles, gainDb, stopBandDb)).
using AnalogLowShelf = ChebyshevI::AnalogLowShelf;

// setup(order, sampleRate, cutoffFrequency, stopBandDb) for the low and high pass;
// setup(order, sampleRate, centerFrequency, widthFrequency, stopBandDb) for the band pass and
// stop; the shelves take gainDb, stopBandDb last.
using LowPassBase = LowPassSetup<AnalogLowPass>;
using HighPassBase = HighPassSetup<AnalogLowPass>;
using BandPassBase = BandPassSetup<AnalogLowPass>;
using BandStopBase = BandStopSetup<AnalogLowPass>;
using LowShelfBase = LowPassSetup<AnalogLowShelf>;
using HighShelfBase = HighPassSetup<AnalogLowShelf>;
using BandShelfBase = BandShelfSetup<AnalogLowShelf>;

}  // namespace ChebyshevII
}  // namespace Dsp
