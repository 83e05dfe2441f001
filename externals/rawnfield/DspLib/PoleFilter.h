#pragma once

// Transforms from an analog prototype (s-plane) to a digital layout (z-plane), and the base
// that every pole-filter design shares: a cascade, a digital layout and an analog prototype.

#include <vector>

#include "Biquad.h"
#include "Cascade.h"
#include "Common.h"
#include "Layout.h"

namespace Dsp {

// Frequencies are in cycles per sample. Each transform does its whole work in its constructor.
class LowPassTransform {
public:
  LowPassTransform(double fc, LayoutBase& digital, const LayoutBase& analog);
  complex_t transform(complex_t c) const;

private:
  double f;
};

class HighPassTransform {
public:
  HighPassTransform(double fc, LayoutBase& digital, const LayoutBase& analog);
  complex_t transform(complex_t c) const;

private:
  double f;
};

class BandPassTransform {
public:
  BandPassTransform(double fc, double fw, LayoutBase& digital, const LayoutBase& analog);
  RootPair transform(complex_t c) const;

private:
  double wu;
  double wl;
  double a;
  double b;
  double a2;
  double b2;
  double ab;
  double twoAb;
};

class BandStopTransform {
public:
  BandStopTransform(double fc, double fw, LayoutBase& digital, const LayoutBase& analog);
  RootPair transform(complex_t c) const;

private:
  double wu;
  double wl;
  double a;
  double b;
  double a2;
  double b2;
};

// The cascade and digital layout of a pole-filter design, with the queries on them.
class PoleFilterBase2 {
public:
  complex_t response(double normalizedFrequency) const {
    return m_cascade.response(normalizedFrequency);
  }

  // The digital layout's pairs; empty before the first setup.
  std::vector<PoleZeroPair> getPoleZeros() const;

  const Cascade& getCascade() const { return m_cascade; }
  const LayoutBase& getDigitalLayout() const { return m_digitalProto; }

  template <class StateType, class Sample>
  void process(int numSamples, Sample* dest, StateType& state) const {
    m_cascade.process(numSamples, dest, state);
  }

  // The sections in use.
  const Biquad* getSections(int& count) const {
    count = m_cascade.getNumStages();
    return count > 0 ? &m_cascade[0] : nullptr;
  }

  // Two channels with a state each, as process() on one and then the other.
  template <class StateType, class Sample>
  void processPair(int numSamples, Sample* a, Sample* b, StateType& sa, StateType& sb) const {
    m_cascade.processPair(numSamples, a, b, sa, sb);
  }

  template <class StateType>
  double processSample(double x, StateType& state) const {
    return m_cascade.processSample(x, state);
  }

protected:
  Cascade m_cascade;
  LayoutBase m_digitalProto;
};

// The analog prototype on top; the protected steps finish a family's setup once the prototype
// is designed: transform at frequencies in Hz (held below half the sample rate), then the
// cascade.
template <class AnalogPrototype>
class PoleFilterBase : public PoleFilterBase2 {
public:
  const AnalogPrototype& getAnalogPrototype() const { return m_analogProto; }

protected:
  void finishLowPass(double sampleRate, double cutoffFrequency) {
    LowPassTransform(limitFrequency(cutoffFrequency, sampleRate) / sampleRate, m_digitalProto,
                     m_analogProto);
    m_cascade.setLayout(m_digitalProto);
  }

  void finishHighPass(double sampleRate, double cutoffFrequency) {
    HighPassTransform(limitFrequency(cutoffFrequency, sampleRate) / sampleRate, m_digitalProto,
                      m_analogProto);
    m_cascade.setLayout(m_digitalProto);
  }

  void finishBandPass(double sampleRate, double centerFrequency, double widthFrequency) {
    BandPassTransform(limitFrequency(centerFrequency, sampleRate) / sampleRate,
                      widthFrequency / sampleRate, m_digitalProto, m_analogProto);
    m_cascade.setLayout(m_digitalProto);
  }

  void finishBandStop(double sampleRate, double centerFrequency, double widthFrequency) {
    BandStopTransform(limitFrequency(centerFrequency, sampleRate) / sampleRate,
                      widthFrequency / sampleRate, m_digitalProto, m_analogProto);
    m_cascade.setLayout(m_digitalProto);
  }

  // A band shelf is normalised to unity at whichever end of the spectrum lies farther from
  // its center.
  void finishBandShelf(double sampleRate, double centerFrequency, double widthFrequency) {
    const double fc = limitFrequency(centerFrequency, sampleRate) / sampleRate;
    BandPassTransform(fc, widthFrequency / sampleRate, m_digitalProto, m_analogProto);
    m_digitalProto.setNormal(fc < 0.25 ? kPi : 0, 1.0);
    m_cascade.setLayout(m_digitalProto);
  }

  AnalogPrototype m_analogProto;
};

// The setup classes of every family: design the prototype for the order (and the family's own
// values, passed on to its design()), then transform and build the cascade. Shelves use the
// low-pass and high-pass forms with a shelf prototype.
template <class AnalogPrototype>
struct LowPassSetup : PoleFilterBase<AnalogPrototype> {
  template <class... DesignArgs>
  void setup(int order, double sampleRate, double cutoffFrequency, DesignArgs... designArgs) {
    this->m_analogProto.design(order, designArgs...);
    this->finishLowPass(sampleRate, cutoffFrequency);
  }
};

template <class AnalogPrototype>
struct HighPassSetup : PoleFilterBase<AnalogPrototype> {
  template <class... DesignArgs>
  void setup(int order, double sampleRate, double cutoffFrequency, DesignArgs... designArgs) {
    this->m_analogProto.design(order, designArgs...);
    this->finishHighPass(sampleRate, cutoffFrequency);
  }
};

template <class AnalogPrototype>
struct BandPassSetup : PoleFilterBase<AnalogPrototype> {
  template <class... DesignArgs>
  void setup(int order, double sampleRate, double centerFrequency, double widthFrequency,
             DesignArgs... designArgs) {
    this->m_analogProto.design(order, designArgs...);
    this->finishBandPass(sampleRate, centerFrequency, widthFrequency);
  }
};

template <class AnalogPrototype>
struct BandStopSetup : PoleFilterBase<AnalogPrototype> {
  template <class... DesignArgs>
  void setup(int order, double sampleRate, double centerFrequency, double widthFrequency,
             DesignArgs... designArgs) {
    this->m_analogProto.design(order, designArgs...);
    this->finishBandStop(sampleRate, centerFrequency, widthFrequency);
  }
};

template <class AnalogPrototype>
struct BandShelfSetup : PoleFilterBase<AnalogPrototype> {
  template <class... DesignArgs>
  void setup(int order, double sampleRate, double centerFrequency, double widthFrequency,
             DesignArgs... designArgs) {
    this->m_analogProto.design(order, designArgs...);
    this->finishBandShelf(sampleRate, centerFrequency, widthFrequency);
  }
};

// Adds the storage a design of the given capacities needs and attaches it. The storage is
// reached through pointers, so these objects are not copied.
template <class BaseClass, int MaxAnalogPoles, int MaxDigitalPoles = MaxAnalogPoles>
class PoleFilter : public BaseClass {
public:
  static constexpr int kAnalogPairs = (MaxAnalogPoles + 1) / 2;
  static constexpr int kDigitalPairs = (MaxDigitalPoles + 1) / 2;
  static constexpr int kNumStages = kDigitalPairs;
  // The highest order the prototype's storage holds: a design of maximum order 1 still has a
  // whole pair, so it holds a second-order result.
  static constexpr int kMaxPoles = 2 * kAnalogPairs;

  // The per-channel state this design runs with.
  template <class StateType>
  using State = typename CascadeStages<kNumStages>::template State<StateType>;

  PoleFilter() {
    this->m_cascade.setCascadeStorage(Cascade::Storage(kNumStages, m_stages));
    this->m_digitalProto.setStorage(2 * kDigitalPairs, m_digitalPairs);
    this->m_analogProto.setStorage(2 * kAnalogPairs, m_analogPairs);
  }
  PoleFilter(const PoleFilter&) = delete;
  PoleFilter& operator=(const PoleFilter&) = delete;

private:
  Biquad m_stages[kNumStages];
  PoleZeroPair m_digitalPairs[kDigitalPairs];
  PoleZeroPair m_analogPairs[kAnalogPairs];
};

}  // namespace Dsp
