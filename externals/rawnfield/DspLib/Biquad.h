#pragma once

// The second-order section: coefficient storage, the ways of setting it, its response, and
// the two per-sample state forms with the alternating denormal guard.

#include <vector>

#include "Common.h"
#include "Layout.h"

namespace Dsp {

struct BiquadPoleState;

// H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2). a1, a2, b0, b1, b2 are stored
// divided by the leading coefficient; a0 keeps that coefficient as passed in.
class BiquadBase {
public:
  // Starts as the identity so that a section is never read uninitialised.
  BiquadBase() : m_a0(1), m_a1(0), m_a2(0), m_b1(0), m_b2(0), m_b0(1) {}

  double getA0() const { return m_a0; }
  double getA1() const { return m_a1; }
  double getA2() const { return m_a2; }
  double getB0() const { return m_b0; }
  double getB1() const { return m_b1; }
  double getB2() const { return m_b2; }

  // Transfer function at a frequency in cycles per sample.
  complex_t response(double normalizedFrequency) const;
  // Exactly one pair: the poles and zeros of this section.
  std::vector<PoleZeroPair> getPoleZeros() const;

  // Note the argument order differs from the storage order.
  void setCoefficients(double a0, double a1, double a2, double b0, double b1, double b2);
  // Numerator -Re(zero) + z^-1; imaginary parts are not read.
  void setOnePole(complex_t pole, complex_t zero);
  // A complex first root stands for a conjugate pair; pole2 and zero2 are read only when the
  // first ones are real.
  void setTwoPole(complex_t pole1, complex_t zero1, complex_t pole2, complex_t zero2);
  void setPoleZeroPair(const PoleZeroPair& pair);
  void setPoleZeroForm(const BiquadPoleState& bps);
  void applyScale(double scale);
  void setIdentity();

protected:
  // Declared in this order on purpose: the storage order is part of the section's contract.
  double m_a0;
  double m_a1;
  double m_a2;
  double m_b1;
  double m_b2;
  double m_b0;
};

// The factored form of one section: its poles, zeros and gain.
struct BiquadPoleState : PoleZeroPair {
  BiquadPoleState() : gain(1) {}
  explicit BiquadPoleState(const BiquadBase& s);

  double gain;
};

class Biquad : public BiquadBase {
public:
  Biquad() {}
  explicit Biquad(const BiquadPoleState& bps) { setPoleZeroForm(bps); }
};

// State of one section in Direct Form I: the last two inputs and outputs.
class DirectFormI {
public:
  DirectFormI() { reset(); }
  void reset() { m_x2 = m_y2 = m_x1 = m_y1 = 0; }
  bool isFinite() const { return std::isfinite(m_x2 + m_y2 + m_x1 + m_y1); }

  double process1(double in, const BiquadBase& s, double guard) {
    const double out =
        ((((s.getB0() * in + s.getB1() * m_x1) + s.getB2() * m_x2) - s.getA1() * m_y1) -
         s.getA2() * m_y2) -
        guard;
    m_x2 = m_x1;
    m_y2 = m_y1;
    m_x1 = in;
    m_y1 = out;
    return out;
  }

private:
  double m_x2;
  double m_y2;
  double m_x1;
  double m_y1;
};

// State of one section in Direct Form II: the internal signal one and two samples back.
class DirectFormII {
public:
  DirectFormII() { reset(); }
  void reset() { m_w1 = m_w2 = 0; }
  bool isFinite() const { return std::isfinite(m_w1 + m_w2); }

  double process1(double in, const BiquadBase& s, double guard) {
    const double w = ((in - s.getA1() * m_w1) - s.getA2() * m_w2) - guard;
    const double out = (s.getB0() * w + s.getB1() * m_w1) + s.getB2() * m_w2;
    m_w2 = m_w1;
    m_w1 = w;
    return out;
  }

private:
  double m_w1;
  double m_w2;
};

// Denormal guard: subtracted in the first section only, negated after every sample, so it
// alternates 1e-8, -1e-8, ... per channel and never settles into the state.
const double kDenormalGuard = 1e-8;

// The per-channel state of a chain of up to MaxStages sections.
template <int MaxStages>
struct CascadeStages {
  template <class StateType>
  class State {
  public:
    State() : m_guard(kDenormalGuard) {}

    // Clears every section's history; the guard value carries on.
    void reset() {
      for (int i = 0; i < MaxStages; ++i) m_stages[i].reset();
    }

    // A NaN or infinity that reached the history would stay there for good; the filters
    // check once per block and start again from silence.
    void recoverIfNotFinite() {
      for (int i = 0; i < MaxStages; ++i) {
        if (!m_stages[i].isFinite()) {
          reset();
          return;
        }
      }
    }

    double getGuard() const { return m_guard; }
    const StateType& stage(int i) const { return m_stages[i]; }

    // One sample through the first numStages sections. Later sections subtract -0, which
    // turns a -0 result into +0 and leaves every other value as it is.
    double processSample(double x, const Biquad* stages, int numStages) {
      if (numStages < 1) return x;
      if (numStages > MaxStages) numStages = MaxStages;
      double y = m_stages[0].process1(x, stages[0], m_guard);
      m_guard = -m_guard;
      for (int i = 1; i < numStages; ++i) y = m_stages[i].process1(y, stages[i], -0.0);
      return y;
    }

    // Filters a buffer in place; samples are widened to double and rounded back on store.
    template <class Sample>
    void process(int numSamples, Sample* dest, const Biquad* stages, int numStages) {
      if (numStages < 1) return;
      for (int i = 0; i < numSamples; ++i) {
        dest[i] =
            static_cast<Sample>(processSample(static_cast<double>(dest[i]), stages, numStages));
      }
    }

  private:
    double m_guard;
    StateType m_stages[MaxStages];
  };
};

}  // namespace Dsp
