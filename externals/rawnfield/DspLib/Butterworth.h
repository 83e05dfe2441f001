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

// Normalised low shelf of gainDb at 0 Hz, unity at the Nyquist frequency.
class AnalogLowShelf : public LayoutBase {
public:
  AnalogLowShelf();
  void design(int numPoles, double gainDb);

private:
  int m_numPoles;
  double m_gainDb;
};

struct LowPassBase : PoleFilterBase<AnalogLowPass> {
  void setup(int order, double sampleRate, double cutoffFrequency);
};

struct HighPassBase : PoleFilterBase<AnalogLowPass> {
  void setup(int order, double sampleRate, double cutoffFrequency);
};

struct BandPassBase : PoleFilterBase<AnalogLowPass> {
  void setup(int order, double sampleRate, double centerFrequency, double widthFrequency);
};

struct BandStopBase : PoleFilterBase<AnalogLowPass> {
  void setup(int order, double sampleRate, double centerFrequency, double widthFrequency);
};

struct LowShelfBase : PoleFilterBase<AnalogLowShelf> {
  void setup(int order, double sampleRate, double cutoffFrequency, double gainDb);
};

struct HighShelfBase : PoleFilterBase<AnalogLowShelf> {
  void setup(int order, double sampleRate, double cutoffFrequency, double gainDb);
};

struct BandShelfBase : PoleFilterBase<AnalogLowShelf> {
  void setup(int order, double sampleRate, double centerFrequency, double widthFrequency,
             double gainDb);
};

}  // namespace Butterworth
}  // namespace Dsp
