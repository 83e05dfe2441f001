#pragma once

// The second-order section: coefficient storage, the ways of setting it, its response, and
// the two per-sample state forms with the alternating denormal guard.

#include <cstring>
#include <type_traits>
#include <vector>

#include "Common.h"
#include "Lanes.h"
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

// A section's coefficients, each in both lanes.
struct LaneSection {
  LaneSection() {}
  explicit LaneSection(const BiquadBase& s)
      : b0(splat(s.getB0())),
        b1(splat(s.getB1())),
        b2(splat(s.getB2())),
        a1(splat(s.getA1())),
        a2(splat(s.getA2())) {}
  Lanes b0, b1, b2, a1, a2;
};

// State of one section in Direct Form I: the last two inputs and outputs.
class DirectFormI {
public:
  DirectFormI() { reset(); }
  void reset() { m_x2 = m_y2 = m_x1 = m_y1 = 0; }
  bool isFinite() const { return std::isfinite(m_x2 + m_y2 + m_x1 + m_y1); }
  // Whether this section's input history holds, bit for bit, the output
  // history of `before`: what running right after it leaves.
  bool follows(const DirectFormI& before) const {
    return std::memcmp(&m_x1, &before.m_y1, sizeof m_x1) == 0 &&
           std::memcmp(&m_x2, &before.m_y2, sizeof m_x2) == 0;
  }

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

  // The histories of two channels side by side, stepped together with the same arithmetic.
  struct Pair {
    Pair() {}
    Pair(const DirectFormI& a, const DirectFormI& b)
        : x1(lanes(a.m_x1, b.m_x1)),
          x2(lanes(a.m_x2, b.m_x2)),
          y1(lanes(a.m_y1, b.m_y1)),
          y2(lanes(a.m_y2, b.m_y2)) {}
    void store(DirectFormI& a, DirectFormI& b) const {
      a.m_x1 = lane0(x1);
      b.m_x1 = lane1(x1);
      a.m_x2 = lane0(x2);
      b.m_x2 = lane1(x2);
      a.m_y1 = lane0(y1);
      b.m_y1 = lane1(y1);
      a.m_y2 = lane0(y2);
      b.m_y2 = lane1(y2);
    }
    Lanes process1(Lanes in, const LaneSection& s, Lanes guard) {
      const Lanes out = ((((s.b0 * in + s.b1 * x1) + s.b2 * x2) - s.a1 * y1) - s.a2 * y2) - guard;
      x2 = x1;
      y2 = y1;
      x1 = in;
      y1 = out;
      return out;
    }
    Lanes x1, x2, y1, y2;
  };

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

  // The histories of two channels side by side, stepped together with the same arithmetic.
  struct Pair {
    Pair() {}
    Pair(const DirectFormII& a, const DirectFormII& b)
        : w1(lanes(a.m_w1, b.m_w1)), w2(lanes(a.m_w2, b.m_w2)) {}
    void store(DirectFormII& a, DirectFormII& b) const {
      a.m_w1 = lane0(w1);
      b.m_w1 = lane1(w1);
      a.m_w2 = lane0(w2);
      b.m_w2 = lane1(w2);
    }
    Lanes process1(Lanes in, const LaneSection& s, Lanes guard) {
      const Lanes w = ((in - s.a1 * w1) - s.a2 * w2) - guard;
      const Lanes out = (s.b0 * w + s.b1 * w1) + s.b2 * w2;
      w2 = w1;
      w1 = w;
      return out;
    }
    Lanes w1, w2;
  };

private:
  double m_w1;
  double m_w2;
};

// Denormal guard: subtracted in the first section only, negated after every sample, so it
// alternates 1e-8, -1e-8, ... per channel and never settles into the state.
const double kDenormalGuard = 1e-8;

// One sample of two channels through N sections in lanes, as processSample steps each
// channel: the first section subtracts the guard, which then changes sign; later sections
// subtract -0.
template <int N, class Pair>
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline Lanes
stepSections(Pair* h, const LaneSection* s, Lanes in, Lanes& guard, Lanes later) {
  Lanes y = h[0].process1(in, s[0], guard);
  guard = -guard;
  DSP_UNROLL
  for (int k = 1; k < N; ++k) y = h[k].process1(y, s[k], later);
  return y;
}

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

    // Direct access for running several filters through a block in one pass (Series.h).
    static constexpr int kMaxStages = MaxStages;
    StateType* stagesForSeries() { return m_stages; }
    double& guardForSeries() { return m_guard; }

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

    // Filters two channels in place, each with its own state, exactly as process() does one
    // after the other; double buffers of up to four sections run side by side in lanes.
    template <class Sample>
    static void processPair(State& a, State& b, int numSamples, Sample* da, Sample* db,
                            const Biquad* stages, int numStages) {
      if (numStages < 1) return;
      if (numStages > MaxStages) numStages = MaxStages;
      if constexpr (std::is_same<Sample, double>::value) {
        switch (numStages) {
          case 1:
            return runPair<1>(a, b, numSamples, da, db, stages);
          case 2:
            return runPair<2>(a, b, numSamples, da, db, stages);
          case 3:
            return runPair<3>(a, b, numSamples, da, db, stages);
          case 4:
            return runPair<4>(a, b, numSamples, da, db, stages);
          default:
            break;
        }
      }
      a.process(numSamples, da, stages, numStages);
      b.process(numSamples, db, stages, numStages);
    }

  private:
    template <int N>
    static void runPair(State& a, State& b, int numSamples, double* da, double* db,
                        const Biquad* stages) {
      constexpr int kN = N <= MaxStages ? N : MaxStages;
      LaneSection s[kN];
      typename StateType::Pair h[kN];
      DSP_UNROLL
      for (int k = 0; k < kN; ++k) {
        s[k] = LaneSection(stages[k]);
        h[k] = typename StateType::Pair(a.m_stages[k], b.m_stages[k]);
      }
      Lanes guard = lanes(a.m_guard, b.m_guard);
      const Lanes later = splat(-0.0);
      for (int i = 0; i < numSamples; ++i) {
        const Lanes y = stepSections<kN>(h, s, lanes(da[i], db[i]), guard, later);
        da[i] = lane0(y);
        db[i] = lane1(y);
      }
      DSP_UNROLL
      for (int k = 0; k < kN; ++k) h[k].store(a.m_stages[k], b.m_stages[k]);
      a.m_guard = lane0(guard);
      b.m_guard = lane1(guard);
    }

    double m_guard;
    StateType m_stages[MaxStages];
  };
};

}  // namespace Dsp
