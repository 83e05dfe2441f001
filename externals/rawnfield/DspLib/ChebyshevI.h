#pragma once

// Chebyshev type I designs: equiripple passband, steeper transition than a Butterworth of the
// same order.

#include "Layout.h"
#include "PoleFilter.h"

namespace Dsp {
namespace ChebyshevI {

// Normalised low pass with rippleDb of passband ripple; its edge is where the ripple ends.
class AnalogLowPass : public LayoutBase {
public:
  AnalogLowPass();
  void design(int numPoles, double rippleDb);

private:
  int m_numPoles;
  double m_rippleDb;
};

// Low shelf of gainDb at 0 Hz with at most rippleDb of ripple in the shelved band. The type II
// shelf is this one with its stop-band attenuation as the ripple's depth.
class AnalogLowShelf : public LayoutBase {
public:
  AnalogLowShelf();
  void design(int numPoles, double gainDb, double rippleDb);

private:
  int m_numPoles;
  double m_rippleDb;
  double m_gainDb;
};

// setup(order, sampleRate, cutoffFrequency, rippleDb) for the low and high pass;
// setup(order, sampleRate, centerFrequency, widthFrequency, rippleDb) for the band pass and
// stop; the shelves take gainDb, rippleDb last.
using LowPassBase = LowPassSetup<AnalogLowPass>;
using HighPassBase = HighPassSetup<AnalogLowPass>;
using BandPassBase = BandPassSetup<AnalogLowPass>;
using BandStopBase = BandStopSetup<AnalogLowPass>;
using LowShelfBase = LowPassSetup<AnalogLowShelf>;
using HighShelfBase = HighPassSetup<AnalogLowShelf>;
using BandShelfBase = BandShelfSetup<AnalogLowShelf>;

}  // namespace ChebyshevI
}  // namespace Dsp
