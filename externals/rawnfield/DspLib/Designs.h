#pragma once

// The design classes that FilterDesign and SmoothedFilterDesign wrap: each family's setup
// class with its storage, its kind, name, parameter list and Params -> setup mapping.

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

namespace Butterworth {
namespace Design {

template <int MaxOrder>
struct LowPass : PoleFilter<LowPassBase, MaxOrder>, PassParams<MaxOrder> {
  static constexpr FilterKind kKind = kindLowPass;
  static const char* getName() { return "Butterworth Low Pass"; }
  void applyParams(const Params& p) {
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[2]);
  }
};

template <int MaxOrder>
struct HighPass : PoleFilter<HighPassBase, MaxOrder>, PassParams<MaxOrder> {
  static constexpr FilterKind kKind = kindHighPass;
  static const char* getName() { return "Butterworth High Pass"; }
  void applyParams(const Params& p) {
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[2]);
  }
};

template <int MaxOrder>
struct BandPass : PoleFilter<BandPassBase, MaxOrder, MaxOrder * 2>, BandParams<MaxOrder> {
  static constexpr FilterKind kKind = kindBandPass;
  static const char* getName() { return "Butterworth Band Pass"; }
  void applyParams(const Params& p) {
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[2], p[3]);
  }
};

template <int MaxOrder>
struct BandStop : PoleFilter<BandStopBase, MaxOrder, MaxOrder * 2>, BandParams<MaxOrder> {
  static constexpr FilterKind kKind = kindBandStop;
  static const char* getName() { return "Butterworth Band Stop"; }
  void applyParams(const Params& p) {
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[2], p[3]);
  }
};

template <int MaxOrder>
struct LowShelf : PoleFilter<LowShelfBase, MaxOrder>, ShelfParams<MaxOrder> {
  static constexpr FilterKind kKind = kindLowShelf;
  static const char* getName() { return "Butterworth Low Shelf"; }
  void applyParams(const Params& p) {
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[2], p[3]);
  }
};

template <int MaxOrder>
struct HighShelf : PoleFilter<HighShelfBase, MaxOrder>, ShelfParams<MaxOrder> {
  static constexpr FilterKind kKind = kindHighShelf;
  static const char* getName() { return "Butterworth High Shelf"; }
  void applyParams(const Params& p) {
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[2], p[3]);
  }
};

template <int MaxOrder>
struct BandShelf : PoleFilter<BandShelfBase, MaxOrder, MaxOrder * 2>, BandShelfParams<MaxOrder> {
  static constexpr FilterKind kKind = kindBandShelf;
  static const char* getName() { return "Butterworth Band Shelf"; }
  void applyParams(const Params& p) {
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[2], p[3], p[4]);
  }
};

}  // namespace Design
}  // namespace Butterworth

namespace ChebyshevI {
namespace Design {

template <int MaxOrder>
struct LowPass : PoleFilter<LowPassBase, MaxOrder>, RippleParams<MaxOrder> {
  static constexpr FilterKind kKind = kindLowPass;
  static const char* getName() { return "Chebyshev I Low Pass"; }
  void applyParams(const Params& p) {
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[2], p[3]);
  }
};

template <int MaxOrder>
struct HighPass : PoleFilter<HighPassBase, MaxOrder>, RippleParams<MaxOrder> {
  static constexpr FilterKind kKind = kindHighPass;
  static const char* getName() { return "Chebyshev I High Pass"; }
  void applyParams(const Params& p) {
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[2], p[3]);
  }
};

}  // namespace Design
}  // namespace ChebyshevI

namespace Bessel {
namespace Design {

// Every setup gets a fresh, zeroed root-finding workspace on the stack.
template <int MaxOrder>
struct LowPass : PoleFilter<LowPassBase, MaxOrder>, PassParams<MaxOrder> {
  static constexpr FilterKind kKind = kindLowPass;
  static const char* getName() { return "Bessel Low Pass"; }
  void applyParams(const Params& p) {
    Workspace<LowPass::kMaxPoles> w;
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[2], &w);
  }
};

template <int MaxOrder>
struct HighPass : PoleFilter<HighPassBase, MaxOrder>, PassParams<MaxOrder> {
  static constexpr FilterKind kKind = kindHighPass;
  static const char* getName() { return "Bessel High Pass"; }
  void applyParams(const Params& p) {
    Workspace<HighPass::kMaxPoles> w;
    this->setup(orderFromParam(p[1], this->kMaxPoles), p[0], p[2], &w);
  }
};

}  // namespace Design
}  // namespace Bessel

namespace RBJ {
namespace Design {

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
