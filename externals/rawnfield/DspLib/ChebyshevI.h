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

// Low shelf of gainDb at 0 Hz with at most rippleDb of ripple in the shelved band.
class AnalogLowShelf : public LayoutBase {
public:
  AnalogLowShelf();
  void design(int numPoles, double gainDb, double rippleDb);

private:
  int m_numPoles;
  double m_rippleDb;
  double m_gainDb;
};

struct LowPassBase : PoleFilterBase<AnalogLowPass> {
  void setup(int order, double sampleRate, double cutoffFrequency, double rippleDb);
};

struct HighPassBase : PoleFilterBase<AnalogLowPass> {
  void setup(int order, double sampleRate, double cutoffFrequency, double rippleDb);
};

struct BandPassBase : PoleFilterBase<AnalogLowPass> {
  void setup(int order, double sampleRate, double centerFrequency, double widthFrequency,
             double rippleDb);
};

struct BandStopBase : PoleFilterBase<AnalogLowPass> {
  void setup(int order, double sampleRate, double centerFrequency, double widthFrequency,
             double rippleDb);
};

struct LowShelfBase : PoleFilterBase<AnalogLowShelf> {
  void setup(int order, double sampleRate, double cutoffFrequency, double gainDb, double rippleDb);
};

struct HighShelfBase : PoleFilterBase<AnalogLowShelf> {
  void setup(int order, double sampleRate, double cutoffFrequency, double gainDb, double rippleDb);
};

struct BandShelfBase : PoleFilterBase<AnalogLowShelf> {
  void setup(int order, double sampleRate, double centerFrequency, double widthFrequency,
             double gainDb, double rippleDb);
};

}  // namespace ChebyshevI
}  // namespace Dsp
