#pragma once

// The design classes that FilterDesign and SmoothedFilterDesign wrap: each family's setup
// class with its storage, its kind, name, parameter list and Params -> setup mapping.

#include <utility>

#include "Bessel.h"
#include "Butterworth.h"
#include "ChebyshevI.h"
#include "Design.h"
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

}  // namespace Dsp
