#pragma once

// The design classes that FilterDesign and SmoothedFilterDesign wrap: each family's setup
// class with its storage, its kind, name, parameter list and Params -> setup mapping.

#include <utility>

#include "Bessel.h"
#include "Butterworth.h"
#include "ChebyshevI.h"
#include "ChebyshevII.h"
#include "Custom.h"
#include "Design.h"
#include "Elliptic.h"
#include "Legendre.h"
#include "PoleFilter.h"
#include "RBJ.h"

namespace Dsp {

// Parameter lists shared by several families.
template <int MaxOrder>
using PassParams = ParamLayout<MaxOrder, slotSampleRate, slotOrder, slotCutoff>;
template <int MaxOrder>
using ShelfParams = ParamLayout<MaxOrder, slotSampleRate, slotOrder, slotCutoff, slotGain>;
template <int MaxOrder>
using BandParams = ParamLayout<MaxOrder, slotSampleRate, slotOrder, slotCenter, slotBandwidthHz>;
template <int MaxOrder>
using BandShelfParams =
    ParamLayout<MaxOrder, slotSampleRate, slotOrder, slotCenter, slotBandwidthHz, slotGain>;
template <int MaxOrder>
using RippleParams = ParamLayout<MaxOrder, slotSampleRate, slotOrder, slotCutoff, slotRippleDb>;
template <int MaxOrder>
using StopDbParams = ParamLayout<MaxOrder, slotSampleRate, slotOrder, slotCutoff, slotStopDb>;
template <int MaxOrder>
using BandStopDbParams =
    ParamLayout<MaxOrder, slotSampleRate, slotOrder, slotCenter, slotBandwidthHz, slotStopDb>;
template <int MaxOrder>
using ShelfStopDbParams =
    ParamLayout<MaxOrder, slotSampleRate, slotOrder, slotCutoff, slotGain, slotStopDb>;
template <int MaxOrder>
using BandShelfStopDbParams = ParamLayout<MaxOrder, slotSampleRate, slotOrder, slotCenter,
                                          slotBandwidthHz, slotGain, slotStopDb>;
template <int MaxOrder>
using EllipticParams =
    ParamLayout<MaxOrder, slotSampleRate, slotOrder, slotCutoff, slotRippleDb, slotRolloff>;
template <int MaxOrder>
using BandEllipticParams = ParamLayout<MaxOrder, slotSampleRate, slotOrder, slotCenter,
                                       slotBandwidthHz, slotRippleDb, slotRolloff>;

// A pole-filter design with its storage and parameter list. Every pole family maps a block the
// same way: setup(order, p[0], p[2], p[3], ...), the order from p[1] truncated; a family that
// needs a workspace passes it after those through applyWith.
template <class SetupBase, int MaxAnalogPoles, int MaxDigitalPoles, class Layout, FilterKind Kind>
struct PoleDesign : PoleFilter<SetupBase, MaxAnalogPoles, MaxDigitalPoles>, Layout {
  static constexpr FilterKind kKind = Kind;

  void applyParams(const Params& p) { applyWith(p); }

protected:
  template <class... Extra>
  void applyWith(const Params& p, Extra... extra) {
    apply(p, std::make_integer_sequence<int, Layout::kNumParams - 2>(), extra...);
  }

private:
  template <int... I, class... Extra>
  void apply(const Params& p, std::integer_sequence<int, I...>, Extra... extra) {
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[I + 2]..., extra...);
  }
};

// Low, high and shelf responses hold the prototype's poles; band responses twice as many.
template <class SetupBase, int MaxOrder, class Layout, FilterKind Kind>
using PoleDesignLH = PoleDesign<SetupBase, MaxOrder, MaxOrder, Layout, Kind>;
template <class SetupBase, int MaxOrder, class Layout, FilterKind Kind>
using PoleDesignBand = PoleDesign<SetupBase, MaxOrder, MaxOrder * 2, Layout, Kind>;

// A single-biquad design, run as a one-section cascade with its own guard value.
template <class BiquadDesign>
struct SingleSection : BiquadDesign {
  static constexpr int kNumStages = 1;

  template <class StateType>
  using State = typename CascadeStages<1>::template State<StateType>;

  template <class StateType, class Sample>
  void process(int numSamples, Sample* dest, StateType& state) const {
    state.process(numSamples, dest, this, 1);
  }

  template <class StateType, class Sample>
  void processPair(int numSamples, Sample* a, Sample* b, StateType& sa, StateType& sb) const {
    StateType::processPair(sa, sb, numSamples, a, b, this, 1);
  }

  const Biquad* getSections(int& count) const {
    count = 1;
    return this;
  }

  template <class StateType>
  double processSample(double x, StateType& state) const {
    return state.processSample(x, this, 1);
  }
};

namespace Butterworth {
namespace Design {

template <int MaxOrder>
struct LowPass : PoleDesignLH<LowPassBase, MaxOrder, PassParams<MaxOrder>, kindLowPass> {
  static const char* getName() { return "Butterworth Low Pass"; }
};

template <int MaxOrder>
struct HighPass : PoleDesignLH<HighPassBase, MaxOrder, PassParams<MaxOrder>, kindHighPass> {
  static const char* getName() { return "Butterworth High Pass"; }
};

template <int MaxOrder>
struct BandPass : PoleDesignBand<BandPassBase, MaxOrder, BandParams<MaxOrder>, kindBandPass> {
  static const char* getName() { return "Butterworth Band Pass"; }
};

template <int MaxOrder>
struct BandStop : PoleDesignBand<BandStopBase, MaxOrder, BandParams<MaxOrder>, kindBandStop> {
  static const char* getName() { return "Butterworth Band Stop"; }
};

template <int MaxOrder>
struct LowShelf : PoleDesignLH<LowShelfBase, MaxOrder, ShelfParams<MaxOrder>, kindLowShelf> {
  static const char* getName() { return "Butterworth Low Shelf"; }
};

template <int MaxOrder>
struct HighShelf : PoleDesignLH<HighShelfBase, MaxOrder, ShelfParams<MaxOrder>, kindHighShelf> {
  static const char* getName() { return "Butterworth High Shelf"; }
};

template <int MaxOrder>
struct BandShelf
    : PoleDesignBand<BandShelfBase, MaxOrder, BandShelfParams<MaxOrder>, kindBandShelf> {
  static const char* getName() { return "Butterworth Band Shelf"; }
};

}  // namespace Design
}  // namespace Butterworth

namespace ChebyshevI {
namespace Design {

template <int MaxOrder>
struct LowPass : PoleDesignLH<LowPassBase, MaxOrder, RippleParams<MaxOrder>, kindLowPass> {
  static const char* getName() { return "Chebyshev I Low Pass"; }
};

template <int MaxOrder>
struct HighPass : PoleDesignLH<HighPassBase, MaxOrder, RippleParams<MaxOrder>, kindHighPass> {
  static const char* getName() { return "Chebyshev I High Pass"; }
};

}  // namespace Design
}  // namespace ChebyshevI

namespace ChebyshevII {
namespace Design {

template <int MaxOrder>
struct LowPass : PoleDesignLH<LowPassBase, MaxOrder, StopDbParams<MaxOrder>, kindLowPass> {
  static const char* getName() { return "Chebyshev II Low Pass"; }
};

template <int MaxOrder>
struct HighPass : PoleDesignLH<HighPassBase, MaxOrder, StopDbParams<MaxOrder>, kindHighPass> {
  static const char* getName() { return "Chebyshev II High Pass"; }
};

template <int MaxOrder>
struct BandPass : PoleDesignBand<BandPassBase, MaxOrder, BandStopDbParams<MaxOrder>, kindBandPass> {
  static const char* getName() { return "Chebyshev II Band Pass"; }
};

template <int MaxOrder>
struct BandStop : PoleDesignBand<BandStopBase, MaxOrder, BandStopDbParams<MaxOrder>, kindBandStop> {
  static const char* getName() { return "Chebyshev II Band Stop"; }
};

template <int MaxOrder>
struct LowShelf : PoleDesignLH<LowShelfBase, MaxOrder, ShelfStopDbParams<MaxOrder>, kindLowShelf> {
  static const char* getName() { return "Chebyshev II Low Shelf"; }
};

template <int MaxOrder>
struct HighShelf
    : PoleDesignLH<HighShelfBase, MaxOrder, ShelfStopDbParams<MaxOrder>, kindHighShelf> {
  static const char* getName() { return "Chebyshev II High Shelf"; }
};

template <int MaxOrder>
struct BandShelf
    : PoleDesignBand<BandShelfBase, MaxOrder, BandShelfStopDbParams<MaxOrder>, kindBandShelf> {
  static const char* getName() { return "Chebyshev II Band Shelf"; }
};

}  // namespace Design
}  // namespace ChebyshevII

namespace Bessel {
namespace Design {

// Every setup gets a fresh, zeroed root-finding workspace on the stack.
template <class SetupBase, int MaxOrder, FilterKind Kind>
struct WithWorkspace : PoleDesignLH<SetupBase, MaxOrder, PassParams<MaxOrder>, Kind> {
  void applyParams(const Params& p) {
    Workspace<WithWorkspace::kMaxPoles> w;
    this->applyWith(p, static_cast<WorkspaceBase*>(&w));
  }
};

template <int MaxOrder>
struct LowPass : WithWorkspace<LowPassBase, MaxOrder, kindLowPass> {
  static const char* getName() { return "Bessel Low Pass"; }
};

template <int MaxOrder>
struct HighPass : WithWorkspace<HighPassBase, MaxOrder, kindHighPass> {
  static const char* getName() { return "Bessel High Pass"; }
};

}  // namespace Design
}  // namespace Bessel

namespace Legendre {
namespace Design {

// Every setup gets a fresh workspace on the stack, sized for the design's maximum order.
template <class SetupBase, int MaxAnalogPoles, int MaxDigitalPoles, class Layout, FilterKind Kind>
struct WithWorkspace : PoleDesign<SetupBase, MaxAnalogPoles, MaxDigitalPoles, Layout, Kind> {
  void applyParams(const Params& p) {
    Workspace<WithWorkspace::kMaxPoles> w;
    this->applyWith(p, static_cast<WorkspaceBase*>(&w));
  }
};

template <int MaxOrder>
struct LowPass : WithWorkspace<LowPassBase, MaxOrder, MaxOrder, PassParams<MaxOrder>, kindLowPass> {
  static const char* getName() { return "Legendre Low Pass"; }
};

template <int MaxOrder>
struct HighPass
    : WithWorkspace<HighPassBase, MaxOrder, MaxOrder, PassParams<MaxOrder>, kindHighPass> {
  static const char* getName() { return "Legendre High Pass"; }
};

template <int MaxOrder>
struct BandPass
    : WithWorkspace<BandPassBase, MaxOrder, MaxOrder * 2, BandParams<MaxOrder>, kindBandPass> {
  static const char* getName() { return "Legendre Band Pass"; }
};

template <int MaxOrder>
struct BandStop
    : WithWorkspace<BandStopBase, MaxOrder, MaxOrder * 2, BandParams<MaxOrder>, kindBandStop> {
  static const char* getName() { return "Legendre Band Stop"; }
};

}  // namespace Design
}  // namespace Legendre

namespace Elliptic {
namespace Design {

template <int MaxOrder>
struct LowPass : PoleDesignLH<LowPassBase, MaxOrder, EllipticParams<MaxOrder>, kindLowPass> {
  static const char* getName() { return "Elliptic Low Pass"; }
};

template <int MaxOrder>
struct HighPass : PoleDesignLH<HighPassBase, MaxOrder, EllipticParams<MaxOrder>, kindHighPass> {
  static const char* getName() { return "Elliptic High Pass"; }
};

template <int MaxOrder>
struct BandPass
    : PoleDesignBand<BandPassBase, MaxOrder, BandEllipticParams<MaxOrder>, kindBandPass> {
  static const char* getName() { return "Elliptic Band Pass"; }
};

template <int MaxOrder>
struct BandStop
    : PoleDesignBand<BandStopBase, MaxOrder, BandEllipticParams<MaxOrder>, kindBandStop> {
  static const char* getName() { return "Elliptic Band Stop"; }
};

}  // namespace Design
}  // namespace Elliptic

namespace RBJ {
namespace Design {

struct LowPass : SingleSection<Dsp::RBJ::LowPass>,
                 ParamLayout<0, slotSampleRate, slotCutoff, slotQ> {
  static constexpr FilterKind kKind = kindLowPass;
  static const char* getName() { return "RBJ Low Pass"; }
  void applyParams(const Params& p) { setup(p[0], p[1], p[2]); }
};

struct HighPass : SingleSection<Dsp::RBJ::HighPass>,
                  ParamLayout<0, slotSampleRate, slotCutoff, slotQ> {
  static constexpr FilterKind kKind = kindHighPass;
  static const char* getName() { return "RBJ High Pass"; }
  void applyParams(const Params& p) { setup(p[0], p[1], p[2]); }
};

struct BandPass1 : SingleSection<Dsp::RBJ::BandPass1>,
                   ParamLayout<0, slotSampleRate, slotCenter, slotBandwidthOctaves> {
  static constexpr FilterKind kKind = kindBandPass;
  static const char* getName() { return "RBJ Band Pass 1"; }
  void applyParams(const Params& p) { setup(p[0], p[1], p[2]); }
};

struct BandStop : SingleSection<Dsp::RBJ::BandStop>,
                  ParamLayout<0, slotSampleRate, slotCenter, slotBandwidthOctaves> {
  static constexpr FilterKind kKind = kindBandStop;
  static const char* getName() { return "RBJ Band Stop"; }
  void applyParams(const Params& p) { setup(p[0], p[1], p[2]); }
};

}  // namespace Design
}  // namespace RBJ

namespace Custom {
namespace Design {

// The placement decides the shape, and FilterKind has no entry for a free placement: these
// report a low pass.
struct OnePole : SingleSection<Dsp::Custom::OnePole>, ParamLayout<0, slotPoleReal, slotZeroReal> {
  static constexpr FilterKind kKind = kindLowPass;
  static const char* getName() { return "Custom One Pole"; }
  void applyParams(const Params& p) { setup(1, p[0], p[1]); }
};

struct TwoPole : SingleSection<Dsp::Custom::TwoPole>,
                 ParamLayout<0, slotPoleRho, slotPoleTheta, slotZeroRho, slotZeroTheta> {
  static constexpr FilterKind kKind = kindLowPass;
  static const char* getName() { return "Custom Two Pole"; }
  void applyParams(const Params& p) { setup(1, p[0], p[1], p[2], p[3]); }
};

}  // namespace Design
}  // namespace Custom

}  // namespace Dsp
