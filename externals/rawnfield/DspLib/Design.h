#pragma once

// Turns a design class into a Dsp::Filter: its parameter model (FilterDesignBase) and a fixed
// number of channel states with block processing (FilterDesign).
//
// A design class provides:
//   static const FilterKind kKind; static const char* getName(); static const int kNumParams;
//   static ParamInfo getParamInfo(int index);           (through a ParamLayout)
//   void applyParams(const Params&);                    (the Params -> setup mapping)
//   response(double), getPoleZeros();
//   template <class StateType> using State = ...;       (one channel's state)
//   process(int, Sample*, State&) and processSample(double, State&).

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "Common.h"
#include "Filter.h"
#include "Params.h"

namespace Dsp {

// What a parameter position of a design means; picks its standard descriptor.
enum ParamSlot {
  slotSampleRate,
  slotOrder,
  slotCutoff,
  slotCenter,
  slotBandwidthHz,
  slotBandwidthOctaves,
  slotGain,
  slotRippleDb,
  slotQ,
  slotStopDb,
  slotRolloff,
  slotPoleRho,
  slotPoleTheta,
  slotZeroRho,
  slotZeroTheta,
  slotPoleReal,
  slotZeroReal
};

// The descriptor of a slot; maxOrder only matters for the order slot.
ParamInfo describeParam(ParamSlot slot, int maxOrder);

// A design's parameter list, in position order.
template <int MaxOrder, ParamSlot... Slots>
struct ParamLayout {
  static const int kNumParams = sizeof...(Slots);
  static_assert(kNumParams <= kMaxParameters, "a parameter block holds eight values");

  static ParamInfo getParamInfo(int index) {
    static const ParamSlot slots[] = {Slots...};
    if (index < 0 || index >= kNumParams) return ParamInfo();  // throws
    return describeParam(slots[index], MaxOrder);
  }
};

// The order a design is set up with: the parameter truncated toward zero, held within the
// poles its storage holds (so a stray value cannot write past it) and at least 1.
inline int orderFromParam(double value, int maxPoles) {
  int order = truncateToInt(value);
  if (order > maxPoles) order = maxPoles;
  if (order < 1) order = 1;
  return order;
}

// Whether a design can run two channels together (processPair); designs without it run
// their channels one after the other.
template <class DesignClass, class State, class = void>
struct RunsPairs : std::false_type {};
template <class DesignClass, class State>
struct RunsPairs<DesignClass, State,
                 decltype(std::declval<const DesignClass&>().processPair(
                     0, static_cast<double*>(nullptr), static_cast<double*>(nullptr),
                     std::declval<State&>(), std::declval<State&>()))> : std::true_type {};

// numSamples of every channel through the design, from offset `at` on: both channels at once
// where the design allows.
template <class DesignClass, class State, int Channels, class Sample>
void processDesignChannels(const DesignClass& design, State* states, int numSamples,
                           Sample* const* arrayOfChannels, int at) {
  if constexpr (Channels == 2 && std::is_same<Sample, double>::value &&
                RunsPairs<DesignClass, State>::value) {
    double* a = arrayOfChannels[0] + at;
    double* b = arrayOfChannels[1] + at;
    // One buffer for both channels is filtered twice, one channel after the other.
    if (a >= b + numSamples || b >= a + numSamples) {
      design.processPair(numSamples, a, b, states[0], states[1]);
      return;
    }
  }
  for (int c = 0; c < Channels; ++c) design.process(numSamples, arrayOfChannels[c] + at, states[c]);
}

// Whether a design tells its sections (getSections) for running it in series with others.
template <class DesignClass, class = void>
struct TellsSections : std::false_type {};
template <class DesignClass>
struct TellsSections<DesignClass,
                     decltype(static_cast<void>(std::declval<const DesignClass&>().getSections(
                         std::declval<int&>())))> : std::true_type {};

template <class DesignClass>
class FilterDesignBase : public Filter {
public:
  FilterKind getKind() const override { return DesignClass::kKind; }
  std::string getName() const override { return DesignClass::getName(); }
  int getNumParams() const override { return DesignClass::kNumParams; }
  ParamInfo getParamInfo(int index) const override { return DesignClass::getParamInfo(index); }
  std::vector<PoleZeroPair> getPoleZeros() const override { return m_design.getPoleZeros(); }
  complex_t response(double normalizedFrequency) const override {
    return m_design.response(normalizedFrequency);
  }

  void doSetTransitionSamples(int) override {}

  const DesignClass& getDesign() const { return m_design; }

protected:
  void doSetParams(const Params& parameters) override { m_design.applyParams(parameters); }

  DesignClass m_design;
};

template <class DesignClass, int Channels, class StateType>
class FilterDesign : public FilterDesignBase<DesignClass> {
public:
  typedef typename DesignClass::template State<StateType> ChannelState;

  int getNumChannels() override { return Channels; }

  // Clears the histories of every stage the storage holds, active or not.
  void reset() override {
    for (int i = 0; i < Channels; ++i) m_state[i].reset();
  }

  void process(int numSamples, float* const* arrayOfChannels) override {
    processChannels(numSamples, arrayOfChannels);
  }

  void process(int numSamples, double* const* arrayOfChannels) override {
    processChannels(numSamples, arrayOfChannels);
  }

  const ChannelState& getState(int channel) const { return m_state[channel]; }

  bool seriesLink(SeriesLink& link) override { return fillLink(link); }
  bool sideLink(SideLink& link) override { return fillLink(link); }

protected:
  // Hands over the sections and both channels' states when they are of the link's form.
  template <class LinkState>
  bool fillLink(SectionLink<LinkState>& link) {
    if constexpr (Channels == 2 && std::is_same<StateType, LinkState>::value &&
                  TellsSections<DesignClass>::value) {
      int n = 0;
      link = SectionLink<LinkState>();
      link.sections = this->m_design.getSections(n);
      // As processSample: no more sections than the state holds.
      link.numSections = n < ChannelState::kMaxStages ? n : ChannelState::kMaxStages;
      if (link.numSections > SectionLink<LinkState>::kMaxSections) return false;
      link.left = m_state[0].stagesForSeries();
      link.right = m_state[1].stagesForSeries();
      link.leftGuard = &m_state[0].guardForSeries();
      link.rightGuard = &m_state[1].guardForSeries();
      link.context = this;
      link.finish = [](void* context) {
        for (ChannelState& s : static_cast<FilterDesign*>(context)->m_state) s.recoverIfNotFinite();
      };
      return true;
    } else {
      static_cast<void>(link);
      return false;
    }
  }

  template <class Sample>
  void processChannels(int numSamples, Sample* const* arrayOfChannels) {
    if (numSamples < 1) return;
    processDesignChannels<DesignClass, ChannelState, Channels>(this->m_design, m_state, numSamples,
                                                               arrayOfChannels, 0);
    for (int i = 0; i < Channels; ++i) m_state[i].recoverIfNotFinite();
  }

  ChannelState m_state[Channels];
};

}  // namespace Dsp
