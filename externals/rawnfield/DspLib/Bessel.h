#pragma once

// Bessel designs: flat group delay in the passband. The poles are the roots of the reverse
// Bessel polynomial, found with the root finder; the prototype is delay-normalised, so the
// cutoff given to setup is the frequency of unit normalised delay, not the -3 dB point.

#include "Layout.h"
#include "PoleFilter.h"
#include "RootFinder.h"

namespace Dsp {
namespace Bessel {

// Gives a design the root finder it solves with; the caller owns it and it bounds the order.
struct WorkspaceBase {
  explicit WorkspaceBase(RootFinderBase* rootsBase) : roots(*rootsBase) {}
  WorkspaceBase(const WorkspaceBase&) = delete;
  WorkspaceBase& operator=(const WorkspaceBase&) = delete;

  RootFinderBase& roots;
};

template <int MaxOrder>
struct Workspace : WorkspaceBase {
  Workspace() : WorkspaceBase(&m_roots) {}

private:
  RootFinder<MaxOrder> m_roots;
};

// Coefficient k of the reverse Bessel polynomial of order n (the coefficient of s^k).
double reverseBesselCoefficient(int n, int k);

class AnalogLowPass : public LayoutBase {
public:
  AnalogLowPass();
  // Throws std::logic_error("laguerre failed") when the roots do not converge.
  void design(int numPoles, WorkspaceBase* w);

private:
  int m_numPoles;
};

class AnalogLowShelf : public LayoutBase {
public:
  AnalogLowShelf();
  void design(int numPoles, double gainDb, WorkspaceBase* w);

private:
  int m_numPoles;
  double m_gainDb;
};

// setup(order, sampleRate, cutoffFrequency, workspace) for the low and high pass and
// setup(order, sampleRate, centerFrequency, widthFrequency, workspace) for the band pass and
// stop; the low shelf takes gainDb, workspace last.
using LowPassBase = LowPassSetup<AnalogLowPass>;
using HighPassBase = HighPassSetup<AnalogLowPass>;
using BandPassBase = BandPassSetup<AnalogLowPass>;
using BandStopBase = BandStopSetup<AnalogLowPass>;
using LowShelfBase = LowPassSetup<AnalogLowShelf>;

}  // namespace Bessel
}  // namespace Dsp
