#pragma once

// The filter design library. Units include this one header and hold filters as Dsp::Filter
// pointers to Dsp::SmoothedFilterDesign objects.

#include "Biquad.h"
#include "Cascade.h"
#include "ChebyshevII.h"
#include "Common.h"
#include "Custom.h"
#include "Design.h"
#include "Designs.h"
#include "Elliptic.h"
#include "Filter.h"
#include "Layout.h"
#include "Legendre.h"
#include "Params.h"
#include "PoleFilter.h"
#include "RootFinder.h"
#include "Series.h"
#include "SmoothedFilter.h"

namespace Dsp {

// The two-channel smoothed designs the units use; compiled once in the library.
#define DSP_SMOOTHED_DESIGNS(X)                     \
  X(Butterworth::Design::LowShelf<2>, DirectFormI)  \
  X(Butterworth::Design::BandShelf<2>, DirectFormI) \
  X(Butterworth::Design::HighShelf<2>, DirectFormI) \
  X(Butterworth::Design::HighPass<2>, DirectFormI)  \
  X(Butterworth::Design::BandPass<2>, DirectFormI)  \
  X(RBJ::Design::HighPass, DirectFormII)            \
  X(RBJ::Design::LowPass, DirectFormII)             \
  X(RBJ::Design::BandPass1, DirectFormII)           \
  X(RBJ::Design::BandStop, DirectFormII)            \
  X(ChebyshevI::Design::HighPass<4>, DirectFormII)  \
  X(ChebyshevI::Design::LowPass<4>, DirectFormII)   \
  X(Butterworth::Design::BandPass<2>, DirectFormII) \
  X(Butterworth::Design::BandStop<2>, DirectFormII) \
  X(Bessel::Design::LowPass<4>, DirectFormII)       \
  X(Bessel::Design::HighPass<4>, DirectFormII)      \
  X(Butterworth::Design::LowPass<1>, DirectFormII)  \
  X(Butterworth::Design::HighPass<1>, DirectFormII) \
  X(Butterworth::Design::LowPass<2>, DirectFormII)  \
  X(Butterworth::Design::HighPass<2>, DirectFormII) \
  X(Butterworth::Design::LowPass<4>, DirectFormII)  \
  X(Butterworth::Design::HighPass<4>, DirectFormII) \
  X(Butterworth::Design::LowPass<8>, DirectFormII)  \
  X(Butterworth::Design::HighPass<8>, DirectFormII) \
  X(ChebyshevI::Design::LowPass<4>, DirectFormI)    \
  X(ChebyshevI::Design::HighPass<4>, DirectFormI)

#define DSP_DECLARE_SMOOTHED(D, S) extern template class SmoothedFilterDesign<D, 2, S>;
DSP_SMOOTHED_DESIGNS(DSP_DECLARE_SMOOTHED)
#undef DSP_DECLARE_SMOOTHED

}  // namespace Dsp
