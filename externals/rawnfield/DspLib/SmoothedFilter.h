#pragma once

// A two-channel filter whose parameter changes glide linearly over a transition length, with
// the coefficients recomputed for every sample of the glide.

#include "Design.h"
#include "Params.h"

namespace Dsp {

template <class DesignClass, int Channels, class StateType>
class SmoothedFilterDesign : public FilterDesign<DesignClass, Channels, StateType> {
  typedef FilterDesign<DesignClass, Channels, StateType> Base;

public:
  explicit SmoothedFilterDesign(int transitionSamples)
      : m_transitionSamples(transitionSamples > 0 ? transitionSamples : 0),
        m_remainingSamples(-1) {}

  void process(int numSamples, float* const* arrayOfChannels) override {
    processBlock(numSamples, arrayOfChannels);
  }

  void process(int numSamples, double* const* arrayOfChannels) override {
    processBlock(numSamples, arrayOfChannels);
  }

  // Sets the glide length; once parameters are set this starts a glide of that length from
  // the current position toward the current target. A negative length counts as 0.
  void doSetTransitionSamples(int samples) override {
    m_transitionSamples = samples > 0 ? samples : 0;
    // Before the first parameter set there is no position to glide from: the first set
    // still applies at once.
    if (m_remainingSamples < 0) return;
    m_remainingSamples = m_transitionSamples;
    if (m_remainingSamples == 0) m_transitionParams = this->getParams();
  }

  bool seriesLink(SeriesLink& link) override { return steadyLink(link); }
  bool sideLink(SideLink& link) override { return steadyLink(link); }

  int getTransitionSamples() const { return m_transitionSamples; }
  // -1 before the first parameter set, 0 when steady, else the glide samples still to run.
  int getRemainingSamples() const { return m_remainingSamples; }
  // The current position of the glide.
  const Params& getTransitionParams() const { return m_transitionParams; }

protected:
  void doSetParams(const Params& parameters) override {
    if (m_remainingSamples >= 0) {
      // Restart from wherever the glide stands, with the full length.
      m_remainingSamples = m_transitionSamples;
    } else {
      m_remainingSamples = 0;
    }
    // Without a glide the position is the target; with a length of 0 it would otherwise stay
    // behind, and a later length change would glide back from stale values.
    if (m_remainingSamples == 0) m_transitionParams = parameters;
    this->m_design.applyParams(parameters);
  }

private:
  template <class LinkState>
  bool steadyLink(SectionLink<LinkState>& link) {
    // A glide recomputes the sections sample by sample: not together with others.
    if (m_remainingSamples > 0) return false;
    if (m_remainingSamples < 0) {
      // Nothing designed yet: the block passes, as in process().
      link = SectionLink<LinkState>();
      link.passThrough = true;
      return true;
    }
    return this->fillLink(link);
  }

  template <class Sample>
  void processBlock(int numSamples, Sample* const* arrayOfChannels) {
    // Nothing has been designed before the first parameter set: pass the block through.
    if (m_remainingSamples < 0 || numSamples < 1) return;

    const int glide = m_remainingSamples < numSamples ? m_remainingSamples : numSamples;
    if (glide > 0) {
      const Params& target = this->getParams();
      const double t = 1.0 / m_remainingSamples;
      double step[DesignClass::kNumParams];
      for (int i = 0; i < DesignClass::kNumParams; ++i)
        step[i] = (target[i] - m_transitionParams[i]) * t;

      for (int k = 0; k < glide; ++k) {
        for (int i = 0; i < DesignClass::kNumParams; ++i) m_transitionParams[i] += step[i];
        m_transitionDesign.applyParams(m_transitionParams);
        // The channel histories are the main design's, so nothing seams at either end.
        for (int c = Channels - 1; c >= 0; --c) {
          Sample& s = arrayOfChannels[c][k];
          s = static_cast<Sample>(
              m_transitionDesign.processSample(static_cast<double>(s), this->m_state[c]));
        }
      }

      m_remainingSamples -= glide;
      // End exactly on the target, whatever rounding the steps accumulated.
      if (m_remainingSamples == 0) m_transitionParams = target;
    }

    if (numSamples > glide) {
      processDesignChannels<DesignClass, typename Base::ChannelState, Channels>(
          this->m_design, this->m_state, numSamples - glide, arrayOfChannels, glide);
    }

    for (int c = 0; c < Channels; ++c) this->m_state[c].recoverIfNotFinite();
  }

  Params m_transitionParams;
  DesignClass m_transitionDesign;
  int m_transitionSamples;
  int m_remainingSamples;
};

}  // namespace Dsp
