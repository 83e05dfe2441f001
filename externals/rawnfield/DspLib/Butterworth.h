#pragma once

// Butterworth designs: a maximally flat analog prototype mapped by a transform into a
// cascade of sections.

#include "Layout.h"
#include "PoleFilter.h"

namespace Dsp {
namespace Butterworth {

// Normalised low pass: poles on the left half of the unit circle, zeros at infinity.
class AnalogLowPass : public LayoutBase {
public:
  AnalogLowPass();
  void design(int numPoles);

private:
  int m_numPoles;
};

// Fills layout with a maximally flat low shelf of gainDb at 0 Hz (unity at the Nyquist
// frequency once normalised there).
void addShelfPolesAndZeros(LayoutBase& layout, int numPoles, double gainDb);

// Normalised low shelf of gainDb at 0 Hz, unity at the Nyquist frequency.
class AnalogLowShelf : public LayoutBase {
public:
  AnalogLowShelf();
  void design(int numPoles, double gainDb);

private:
  int m_numPoles;
  double m_gainDb;
};

// setup(order, sampleRate, cutoffFrequency) for the low and high pass;
// setup(order, sampleRate, centerFrequency, widthFrequency) for the band pass and stop;
// the shelves take gainDb last.
using LowPassBase = LowPassSetup<AnalogLowPass>;
using HighPassBase = HighPassSetup<AnalogLowPass>;
using BandPassBase = BandPassSetup<AnalogLowPass>;
using BandStopBase = BandStopSetup<AnalogLowPass>;
using LowShelfBase = LowPassSetup<AnalogLowShelf>;
using HighShelfBase = HighPassSetup<AnalogLowShelf>;
using BandShelfBase = BandShelfSetup<AnalogLowShelf>;

}  // namespace Butterworth
}  // namespace Dsp
