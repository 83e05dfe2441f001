#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "FilterUnit.h"
#include "UnitFilters.h"
#include "block.h"
#include "measure.h"
#include "test_provider.h"

using namespace Rawnfield;
using Types::eFilterType;

namespace {

double idValue(const Dsp::Filter* f, int id) {
  return UnitFilters::entry(*f, f->getParams(), id, std::nan(""));
}

template <class Design, class State = Dsp::DirectFormII>
int transitionOf(const Dsp::Filter* f) {
  auto* s = dynamic_cast<const Dsp::SmoothedFilterDesign<Design, 2, State>*>(f);
  return s ? s->getTransitionSamples() : -1;
}

// A filter unit as the effect prepares it, at a given rate.
struct Prepared {
  explicit Prepared(double rate = 44100.0) {
    unit.init(testProvider());
    unit.setSampleRate(rate);
    unit.setBlockSize(512);
    unit.reset();
  }
  FilterUnit unit;
};

TEST(FilterUnit, ConstructionState) {
  FilterUnit u;
  EXPECT_EQ(u.cutoff, 1.0);
  EXPECT_EQ(u.resonance, 0.0);
  EXPECT_EQ(u.filterMix, 1.0);
  EXPECT_EQ(u.getFilterType1(), Types::kRBJLowPass);
  EXPECT_EQ(u.getFilterType2(), Types::kChebyshevHighPass12dB);
  EXPECT_EQ(u.getFilterTransitionText(), "Fast");
  EXPECT_EQ(u.transitionSamples, 512);
  EXPECT_EQ(u.balance.a, 0.99);
  EXPECT_EQ(u.balance.state, 0.0);
  // The selected designs sit at 20 Hz with the resonance of control 0.
  EXPECT_EQ(u.getCutoffFreqHz(), 20.0);
  EXPECT_EQ(idValue(u.selected1, Dsp::idQ), 0.0625);
  EXPECT_EQ(idValue(u.selected2, Dsp::idFrequency), 20.0);
  EXPECT_EQ(idValue(u.selected2, Dsp::idRippleDb), 0.001);
  EXPECT_EQ(idValue(u.selected2, Dsp::idOrder), 2.0);
  // The others at the descriptor default.
  EXPECT_EQ(idValue(u.slot1.designs[FilterSet::kChebyshevLowPass4], Dsp::idFrequency), 2000.0);
  EXPECT_EQ(idValue(u.slot1.designs[FilterSet::kChebyshevLowPass4], Dsp::idOrder), 4.0);
  EXPECT_EQ(idValue(u.slot2.designs[FilterSet::kButterworthBandStop], Dsp::idOrder), 2.0);
  EXPECT_EQ(u.slot1.svLowPass.cutoff, 1000.0);
  EXPECT_EQ(u.slot2.svNotch.resonance, 0.3);

  u.init(testProvider());
  EXPECT_EQ(u.balance.a, 0.9777);
  EXPECT_EQ(u.balance.b, 1.0 - 0.9777);
  EXPECT_EQ(u.inputDrive.dryWetThreshold, Saturator::kFastDryWetThreshold);
  EXPECT_EQ(u.inputDrive.type, kFuzzyFilterDrive);
}

TEST(FilterUnit, CutoffControl) {
  struct Case {
    double rate, v, design, stateVariable;
  };
  const Case cases[] = {
      {44100.0, 1.0, 21000.0, 20000.0},  // 22040 Hz held at 21000 and 20000
      {48000.0, 1.0, 21000.0, 20000.0},
      {96000.0, 1.0, 21000.0, 20000.0},
      {44100.0, 0.0, 20.0, 20.0},  // 10 Hz held at 20
      {44100.0, 0.5, 10.0 * std::sqrt(2204.0), 10.0 * std::sqrt(2204.0)},
      {44100.0, 440.0, 440.0, 440.0},  // above 1: Hz
      {44100.0, 30000.0, 21000.0, 20000.0},
      {44100.0, 1.5, 20.0, 20.0},
      // Below 42 kHz the designs stay below half the rate, like the
      // state-variable filters.
      {32000.0, 1.0, 15680.0, 15680.0},
      {22050.0, 1.0, 10804.5, 10804.5},
      {22050.0, 0.0, 20.0, 20.0},
  };
  for (const Case& c : cases) {
    Prepared p(c.rate);
    p.unit.setCutoff(c.v);
    EXPECT_NEAR(p.unit.getCutoffFreqHz(), c.design, 1e-9 * c.design) << c.rate << " " << c.v;
    EXPECT_NEAR(idValue(p.unit.selected2, Dsp::idFrequency), c.design, 1e-9 * c.design);
    for (FilterSet* s : {&p.unit.slot1, &p.unit.slot2}) {
      EXPECT_NEAR(s->svLowPass.cutoff, c.stateVariable, 1e-9 * c.design) << c.rate << " " << c.v;
      EXPECT_NEAR(s->svNotch.cutoff, c.stateVariable, 1e-9 * c.design);
    }
  }
}

// A stream that starts at 44100 Hz with the cutoff open, then restarts at
// 32000 Hz: every design is held below half the new rate, and the cutoff
// opens again when the rate comes back.
TEST(FilterUnit, RateChangeKeepsDesignsBelowNyquist) {
  Prepared p(44100.0);
  p.unit.setCutoff(1.0);
  p.unit.setFilterType1(9 / 11.0);
  p.unit.setFilterType1(10 / 11.0);  // leaves the Chebyshev design at 21000 Hz
  p.unit.setSampleRate(32000.0);
  for (FilterSet* s : {&p.unit.slot1, &p.unit.slot2})
    for (const Dsp::Filter* f : s->designs) {
      EXPECT_LE(idValue(f, Dsp::idFrequency), 15680.0);
      EXPECT_EQ(idValue(f, Dsp::idSampleRate), 32000.0);
    }
  EXPECT_EQ(p.unit.getCutoffFreqHz(), 15680.0);
  p.unit.setFilterType1(9 / 11.0);
  EXPECT_EQ(p.unit.getCutoffFreqHz(), 15680.0);
  p.unit.setSampleRate(44100.0);
  EXPECT_EQ(p.unit.getCutoffFreqHz(), 21000.0);
  EXPECT_EQ(idValue(p.unit.selected2, Dsp::idFrequency), 21000.0);
}

// Every type with the cutoff fully open at 22050 and 32000 Hz keeps making
// sound: no NaN, nothing blows up, and the low-pass types pass a 1 kHz tone.
TEST(FilterUnit, EveryTypeWorksAtLowRates) {
  for (double rate : {22050.0, 32000.0}) {
    for (int t = 0; t < Types::kNumFilterTypes; ++t) {
      for (double r : {0.0, 0.5, 1.0}) {
        Prepared p(rate);
        p.unit.setFilterType1(t / 11.0);
        p.unit.setFilterType2(t / 11.0);
        p.unit.setCutoff(1.0);
        p.unit.setRezo(r);
        p.unit.setFilterMix(0.5);
        measure::Noise noise(t + 1);
        double peak = 0.0;
        for (int b = 0; b < 40; ++b) {
          Block blk(512);
          for (int i = 0; i < 512; ++i) {
            blk.l[i] = noise.next(0.5);
            blk.r[i] = noise.next(0.5);
          }
          p.unit.process(blk.io, 512);
          for (int i = 0; i < 512; ++i) {
            ASSERT_TRUE(std::isfinite(blk.l[i]) && std::isfinite(blk.r[i]))
                << rate << " type " << t << " r " << r;
            peak = std::max(peak, std::max(std::fabs(blk.l[i]), std::fabs(blk.r[i])));
          }
        }
        EXPECT_LT(peak, 50.0) << rate << " type " << t << " r " << r;
        const bool lowPass = t == 0 || t == 4 || t == 8 || t == 9;
        if (lowPass && r == 0.5) {
          const double g =
              measure::gainAt([&](double** io, int n) { p.unit.process(io, n); }, 1000.0, rate);
          EXPECT_GT(g, 0.4) << rate << " type " << t;
          EXPECT_LT(g, 1.1) << rate << " type " << t;
        }
      }
    }
  }
}

TEST(FilterUnit, TypeControl) {
  struct Case {
    double v;
    int type;
    int design;  // FilterSet::eDesign
    const char* name;
    const char* shortName;
  };
  const Case cases[] = {
      {0.0, 0, FilterSet::kRBJLowPass, "RBJ LowPass", "RBJ-LP"},
      {4 / 11.0, 4, FilterSet::kRBJLowPass, "StateVariable LowPass", "SV LP"},
      {5 / 11.0, 5, FilterSet::kRBJHighPass, "StateVariable HighPass", "SV HP"},
      {0.5, 6, FilterSet::kChebyshevHighPass2, "Chebyshev HighPass 12dB", "CH-HP12"},
      {7 / 11.0, 7, FilterSet::kChebyshevHighPass4, "Chebyshev HighPass 24dB", "CH-HP24"},
      {8 / 11.0, 8, FilterSet::kChebyshevLowPass2, "Chebyshev LowPass 12dB", "CH-LP12"},
      {1.0, 11, FilterSet::kButterworthBandStop, "Butterworth BandStop 12dB", "BW-BS12"},
      {1.2, 13, FilterSet::kRBJLowPass, "", ""},
      {-0.5, -5, FilterSet::kRBJLowPass, "", ""},
  };
  for (const Case& c : cases) {
    FilterUnit u;
    u.setFilterType1(c.v);
    u.setFilterType2(c.v);
    EXPECT_EQ(u.getFilterType1(), c.type) << c.v;
    EXPECT_EQ(u.getFilterType2(), c.type) << c.v;
    EXPECT_EQ(u.selected1, u.slot1.designs[c.design]) << c.v;
    EXPECT_EQ(u.getSelectedDSPFilterL(), u.slot1.designs[c.design]);
    EXPECT_EQ(u.getSelectedDSPFilterR(), u.slot2.designs[c.design]);
    EXPECT_EQ(u.getLeftFilterTypeText(), c.name);
    EXPECT_EQ(u.getRightFilterTypeText(), c.name);
    EXPECT_EQ(u.getLeftFilterShortText(), c.shortName);
    EXPECT_EQ(u.getRightFilterShortText(), c.shortName);
  }
}

// A newly selected design takes the current cutoff, resonance and glide.
TEST(FilterUnit, SelectedDesignCatchesUp) {
  FilterUnit u;
  u.setCutoff(1000.0);
  u.setRezo(0.5);
  u.setFilterTransition(0.0);
  u.setFilterType2(8 / 11.0);
  const Dsp::Filter* f = u.selected2;
  EXPECT_EQ(idValue(f, Dsp::idFrequency), 1000.0);
  EXPECT_DOUBLE_EQ(idValue(f, Dsp::idRippleDb), 0.001 + 11.999 * 0.5);
  EXPECT_EQ(transitionOf<Dsp::ChebyshevI::Design::LowPass<4>>(f), 2048);
  // The design left behind keeps what it had.
  u.setCutoff(3000.0);
  u.setFilterType2(1.0);
  EXPECT_EQ(idValue(f, Dsp::idFrequency), 3000.0);
  u.setCutoff(5000.0);
  EXPECT_EQ(idValue(f, Dsp::idFrequency), 3000.0);
  EXPECT_EQ(idValue(u.selected2, Dsp::idFrequency), 5000.0);
}

TEST(FilterUnit, ResonanceByType) {
  struct Case {
    int type;
    int id;
    double (*expect)(double r);
  };
  const Case cases[] = {
      {0, Dsp::idQ, [](double r) { return std::pow(2.0, 8 * r - 4); }},
      {1, Dsp::idQ, [](double r) { return std::pow(2.0, 8 * r - 4); }},
      {2, Dsp::idBandwidth, [](double r) { return std::pow(2.0, 8 * r - 4); }},
      {3, Dsp::idBandwidth, [](double r) { return std::pow(2.0, 8 * r - 4); }},
      {4, Dsp::idQ, [](double r) { return std::pow(2.0, 8 * r - 4); }},
      {7, Dsp::idRippleDb, [](double r) { return 0.001 + 11.999 * r; }},
      {9, Dsp::idRippleDb, [](double r) { return 0.001 + 11.999 * r; }},
      {10, Dsp::idBandwidthHz, [](double r) { return 10.0 * std::pow(2204.0, (1 - r) / 2); }},
      // Around a 5000 Hz centre the band-stop is at most 9998 Hz wide.
      {11, Dsp::idBandwidthHz,
       [](double r) { return std::min(10.0 * std::pow(2204.0, r), 2.0 * 4999.0); }},
  };
  for (const Case& c : cases) {
    for (double r : {0.0, 0.25, 0.5, 1.0}) {
      FilterUnit u;
      u.setCutoff(5000.0);
      u.setFilterType1(c.type / 11.0);
      u.setRezo(r);
      const double want = c.expect(r);
      EXPECT_NEAR(idValue(u.selected1, c.id), want, 1e-9 * want) << c.type << " " << r;
    }
  }
  EXPECT_EQ(FilterUnit::calcQValue(0.2, Types::kButterworthBandPass12dB), 0.4);
  EXPECT_EQ(FilterUnit::calcQValue(0.2, Types::kButterworthBandStop12dB), 0.2);
}

TEST(FilterUnit, TransitionControl) {
  struct Case {
    double v;
    const char* text;
    double control;
    int samples;
  };
  const Case cases[] = {
      {-1.0, "Slow", 0.0, 2048},  {0.0, "Slow", 0.0, 2048},   {0.24, "Slow", 0.0, 2048},
      {0.25, "Medium", 0.5, 512}, {0.74, "Medium", 0.5, 512}, {0.75, "Fast", 1.0, 512},
      {1.0, "Fast", 1.0, 512},    {5.0, "Fast", 1.0, 512},
  };
  for (const Case& c : cases) {
    FilterUnit u;
    u.setFilterType2(8 / 11.0);
    u.setFilterTransition(c.v);
    EXPECT_EQ(u.getFilterTransitionText(), c.text) << c.v;
    EXPECT_EQ(u.getFilterTransition(), c.control) << c.v;
    EXPECT_EQ(u.transitionSamples, c.samples) << c.v;
    EXPECT_EQ(transitionOf<Dsp::RBJ::Design::LowPass>(u.selected1), c.samples) << c.v;
    EXPECT_EQ(transitionOf<Dsp::ChebyshevI::Design::LowPass<4>>(u.selected2), c.samples);
  }
  FilterUnit u;
  u.transitionIndex = 7;
  EXPECT_EQ(u.getFilterTransitionText(), "Fast");
}

// Measured gains of filter 1 alone (mix 0, no drive) at the cutoff or centre
// of 1000 Hz, resonance control 0.5.
TEST(FilterUnit, MeasuredResponseAtCutoff) {
  const double rate = 44100.0, fc = 1000.0;
  const double svQ = 0.7071067811865476 + (20.0 - 0.7071067811865476) * 0.25;
  struct Case {
    int type;
    double gain;  // linear
    double tol;
  };
  const Case cases[] = {
      {0, 1.0, 1e-3},        // RBJ low-pass, Q 1: gain Q at the cutoff
      {1, 1.0, 1e-3},        // RBJ high-pass
      {2, 1.0, 1e-3},        // RBJ band-pass, peak gain 1 at the centre
      {3, 0.0, 1e-3},        // RBJ band-stop: a notch
      {4, svQ, 1e-3 * svQ},  // through the state-variable low-pass: gain Q
      {5, svQ, 1e-3 * svQ},
      // Chebyshev I with 6.0005 dB ripple: the gain at the cutoff is the
      // ripple below the peak.
      {6, std::pow(10.0, -6.0005 / 20.0), 1e-3},
      {8, std::pow(10.0, -6.0005 / 20.0), 1e-3},
      {10, 1.0, 1e-3},  // Butterworth band-pass at its centre
      {11, 0.0, 0.02},  // Butterworth band-stop: deep at its centre
  };
  for (const Case& c : cases) {
    Prepared p(rate);
    p.unit.setFilterMix(0.0);
    p.unit.setFilterType1(c.type / 11.0);
    p.unit.setCutoff(fc);
    p.unit.setRezo(0.5);
    const double g = measure::gainAt([&](double** io, int n) { p.unit.process(io, n); }, fc, rate);
    EXPECT_NEAR(g, c.gain, c.tol) << "type " << c.type;
    if (c.type != 4 && c.type != 5) {  // the design's own response agrees
      EXPECT_NEAR(g, UnitFilters::magnitude(*p.unit.selected1, fc / rate), 1e-3) << c.type;
    }
  }
}

// A band-stop wider than the room around its centre would put a pole on
// the unit circle at 0 Hz or at half the rate, with unbounded gain there:
// its width is held so that the band stays inside the spectrum, and opens
// again when the centre moves.
TEST(FilterUnit, BandStopStaysInsideTheSpectrum) {
  struct Case {
    double rate, cutoff, r, width;
  };
  const Case cases[] = {
      {44100.0, 1000.0, 1.0, 2.0 * 999.0},  // 22040 Hz wide around 1000 Hz
      {44100.0, 20.0, 0.5, 2.0 * 19.0},
      {44100.0, 21000.0, 1.0, 2.0 * (0.495 * 44100.0 - 21000.0)},
      {44100.0, 5000.0, 0.5, 10.0 * std::sqrt(2204.0)},  // room enough: untouched
      {22050.0, 30000.0, 1.0, 2.0 * 0.005 * 22050.0},    // centre at 0.49 fs
      {48000.0, 1000.0, 0.9, 2.0 * 999.0},
  };
  for (const Case& c : cases) {
    Prepared p(c.rate);
    p.unit.setFilterMix(0.0);
    p.unit.setFilterType1(1.0);
    p.unit.setRezo(c.r);
    p.unit.setCutoff(c.cutoff);
    const Dsp::Filter* f = p.unit.selected1;
    EXPECT_NEAR(idValue(f, Dsp::idBandwidthHz), c.width, 1e-9 * c.width)
        << c.rate << " " << c.cutoff;
    double worst = 0.0;
    for (int i = 0; i <= 1000; ++i) worst = std::max(worst, UnitFilters::magnitude(*f, i * 0.0005));
    EXPECT_LE(worst, 1.0 + 1e-9) << c.rate << " " << c.cutoff;
    // A DC offset stays an offset.
    double last = 0.0;
    for (int k = 0; k < 200; ++k) {
      Block b(512, 0.5, 0.5);
      p.unit.process(b.io, 512);
      for (double y : b.l) ASSERT_LE(std::fabs(y), 1.0) << c.rate << " " << c.cutoff;
      last = b.l[511];
    }
    EXPECT_NEAR(last, 0.5, 0.01) << c.rate << " " << c.cutoff;
  }
  // Moving the centre to where there is room gives the full width back.
  Prepared p;
  p.unit.setFilterType1(1.0);
  p.unit.setRezo(0.5);
  p.unit.setCutoff(20.0);
  p.unit.setCutoff(5000.0);
  EXPECT_NEAR(idValue(p.unit.selected1, Dsp::idBandwidthHz), 10.0 * std::sqrt(2204.0), 1e-9);
}

// Types 4 and 5 run the state-variable filters, while the slot's RBJ design
// still takes cutoff and Q and is what the editor reads.
TEST(FilterUnit, StateVariableTypesKeepTheirDesignUpToDate) {
  Prepared p;
  p.unit.setFilterType1(4 / 11.0);
  p.unit.setCutoff(2500.0);
  p.unit.setRezo(0.75);
  EXPECT_EQ(p.unit.getCutoffFreqHz(), 2500.0);
  EXPECT_DOUBLE_EQ(idValue(p.unit.selected1, Dsp::idQ), 4.0);
  EXPECT_EQ(p.unit.slot1.svLowPass.cutoff, 2500.0);
}

TEST(FilterUnit, MixSelectsFilter) {
  const double rate = 44100.0;
  for (double mix : {0.0, 1.0}) {
    Prepared p(rate);
    p.unit.setFilterType1(0.0);       // low-pass
    p.unit.setFilterType2(1 / 11.0);  // high-pass
    p.unit.setCutoff(1000.0);
    p.unit.setRezo(0.5);
    p.unit.setFilterMix(mix);
    auto run = [&](double** io, int n) { p.unit.process(io, n); };
    const double low = measure::gainAt(run, 100.0, rate);
    const double high = measure::gainAt(run, 8000.0, rate);
    if (mix == 0.0) {
      EXPECT_NEAR(low, 1.0, 0.02);
      EXPECT_LT(high, 0.02);
    } else {
      EXPECT_LT(low, 0.02);
      EXPECT_NEAR(high, 1.0, 0.02);
    }
  }
  // With the mix at 0 the second filter adds nothing at all.
  Prepared a, b;
  for (Prepared* p : {&a, &b}) {
    p->unit.setFilterMix(0.0);
    p->unit.setCutoff(700.0);
  }
  b.unit.setFilterType2(0.0);
  measure::Noise n1(3), n2(3);
  for (int k = 0; k < 4; ++k) {
    Block x(512), y(512);
    for (int i = 0; i < 512; ++i) x.l[i] = y.l[i] = x.r[i] = y.r[i] = n1.next();
    a.unit.process(x.io, 512);
    b.unit.process(y.io, 512);
    ASSERT_EQ(x.l, y.l);
    ASSERT_EQ(x.r, y.r);
  }
}

TEST(FilterUnit, BypassedUnitLeavesTheBlockAlone) {
  Prepared p;
  p.unit.setInputDrive(0.8);
  p.unit.setCutoff(300.0);
  p.unit.setBypass(true);
  // The ramp out: 500 frames.
  measure::Noise noise;
  Block warm(512);
  for (int i = 0; i < 512; ++i) warm.l[i] = warm.r[i] = noise.next();
  p.unit.process(warm.io, 512);
  ASSERT_TRUE(p.unit.isFadedOut());
  Block b(512);
  for (int i = 0; i < 512; ++i) {
    b.l[i] = noise.next();
    b.r[i] = noise.next();
  }
  const Block before = b;
  const double drive = p.unit.inputDrive.amountSmoother.state;
  const double balance = p.unit.balance.state;
  p.unit.process(b.io, 512);
  EXPECT_EQ(b.l, before.l);
  EXPECT_EQ(b.r, before.r);
  // Not even the drive saturator or the balance moved.
  EXPECT_EQ(p.unit.inputDrive.amountSmoother.state, drive);
  EXPECT_EQ(p.unit.balance.state, balance);
}

TEST(FilterUnit, RampBlendsDrivenInputAndFilters) {
  // Switched in from bypass, frame i is weighted 0.002 (i + 1) filtered
  // against the driven input (no drive here: the input itself). The
  // low-pass at 20 Hz takes away a tone at half the rate entirely.
  Prepared p;
  p.unit.setCutoff(20.0);
  p.unit.setFilterMix(0.0);
  p.unit.setBypass(true);
  p.unit.fadeGain = 0.0;
  p.unit.setBypass(false);
  Block b(1024);
  for (int i = 0; i < 1024; ++i) b.l[i] = b.r[i] = i % 2 ? -0.5 : 0.5;
  p.unit.process(b.io, 1024);
  for (int i : {0, 100, 250, 400, 498}) {
    const double g = 0.002 * (i + 1);
    EXPECT_NEAR(std::fabs(b.l[i]), (1.0 - g) * 0.5, 2e-3) << i;
    EXPECT_NEAR(std::fabs(b.r[i]), (1.0 - g) * 0.5, 2e-3) << i;
  }
  EXPECT_LT(std::fabs(b.l[1000]), 1e-3);
  EXPECT_EQ(p.unit.fadeGain, 1.0);
}

TEST(FilterUnit, LongBlockPassesUnchanged) {
  Prepared p;
  p.unit.setCutoff(300.0);
  Block b(1025, 0.3, -0.2);
  p.unit.process(b.io, 1025);
  EXPECT_EQ(b.l, std::vector<double>(1025, 0.3));
  EXPECT_EQ(b.r, std::vector<double>(1025, -0.2));
}

}  // namespace
