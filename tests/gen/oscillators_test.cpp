// The fourteen-waveform oscillator, the band-limited table sets and the
// table oscillator.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "PolyBLEP.h"
#include "WaveTable.h"
#include "reference.h"
#include "tone.h"

using namespace Rawnfield;
using gentest::kPi;

namespace {

// --- PolyBLEP ------------------------------------------------------------

TEST(PolyBLEP, EveryWaveformMatchesTheIndependentModel) {
  for (const gentest::Record& r : gentest::records("blep_run")) {
    PolyBLEP osc(r.params[3], static_cast<PolyBLEP::Waveform>(r.params[0]), r.params[1]);
    osc.setPulseWidth(r.params[2]);
    std::vector<double> y;
    for (size_t i = 0; i < r.values.size(); ++i) y.push_back(osc.getAndInc());
    gentest::expectSequence(y, r.values, 1e-10,
                            "waveform " + std::to_string(r.params[0]) + " at " +
                                std::to_string(r.params[1]) + " Hz");
  }
}

TEST(PolyBLEP, AQuarterOfTheRateAndAbovePlaysASine) {
  for (uint32_t w = 0; w < 14; ++w) {
    PolyBLEP osc(44100.0, static_cast<PolyBLEP::Waveform>(w), 12000.0);
    osc.amplitude = 0.5;
    for (int i = 0; i < 50; ++i) {
      const double t = osc.t;
      ASSERT_NEAR(osc.getAndInc(), 0.5 * std::sin(2.0 * kPi * t), 1e-15) << w;
    }
  }
}

TEST(PolyBLEP, UnknownWaveformsAreSilent) {
  PolyBLEP osc(44100.0, static_cast<PolyBLEP::Waveform>(14), 440.0);
  osc.sync(0.3);
  EXPECT_EQ(osc.get(), 0.0);
}

// Exact values at and away from the jumps: the square's residual cancels
// the jump to 0 at phase 0, and away from both jumps the values are the
// plain shapes.
TEST(PolyBLEP, ValuesAtKnownPhases) {
  PolyBLEP osc(1000.0, PolyBLEP::SQUARE, 10.0);  // dt = 0.01
  const struct {
    PolyBLEP::Waveform w;
    double pw, t, want;
  } cases[] = {
      {PolyBLEP::SQUARE, 0.5, 0.0, 0.0},
      {PolyBLEP::SQUARE, 0.5, 0.25, 1.0},
      {PolyBLEP::SQUARE, 0.5, 0.5, 0.0},
      {PolyBLEP::SQUARE, 0.5, 0.005, 1.0 - 0.25},
      {PolyBLEP::SAWTOOTH, 0.5, 0.25, 0.5},
      {PolyBLEP::SAWTOOTH, 0.5, 0.5, 0.0},
      {PolyBLEP::RAMP, 0.5, 0.25, 0.5},
      {PolyBLEP::TRIANGLE, 0.5, 0.125, 0.5},
      {PolyBLEP::RECTANGLE, 0.25, 0.1, 1.5},
      {PolyBLEP::RECTANGLE, 0.25, 0.6, -0.5},
      {PolyBLEP::HALF_WAVE_RECTIFIED_SINE, 0.5, 0.25, 2.0 - 2.0 / kPi},
      {PolyBLEP::FULL_WAVE_RECTIFIED_SINE, 0.5, 0.25, 2.0 - 4.0 / kPi},
      {PolyBLEP::TRAPEZOID_FIXED, 0.5, 0.25, 1.0},
      {PolyBLEP::COSINE, 0.5, 0.25, 0.0},
  };
  for (const auto& c : cases) {
    osc.setWaveform(c.w);
    osc.setPulseWidth(c.pw);
    osc.sync(c.t);
    EXPECT_NEAR(osc.get(), c.want, 1e-12) << c.w << " at " << c.t;
  }
}

TEST(PolyBLEP, OffsetOnlyInGetAndInc) {
  PolyBLEP osc(44100.0, PolyBLEP::SINE, 441.0);
  osc.setOffset(-0.5);
  osc.sync(0.25);
  EXPECT_DOUBLE_EQ(osc.get(), 1.0);
  EXPECT_DOUBLE_EQ(osc.getAndInc(), 0.5);
  EXPECT_DOUBLE_EQ(osc.t, 0.26);
}

TEST(PolyBLEP, RatesAndFrequencies) {
  PolyBLEP osc(44100.0, PolyBLEP::SINE, 441.0);
  EXPECT_DOUBLE_EQ(osc.dt, 0.01);
  osc.setSampleRate(88200.0);
  EXPECT_DOUBLE_EQ(osc.dt, 0.005);
  EXPECT_DOUBLE_EQ(osc.getFreqInHz(), 441.0);
  osc.setSampleRate(0.0);  // ignored
  EXPECT_DOUBLE_EQ(osc.getFreqInHz(), 441.0);
  osc.setFrequency(882.0);
  EXPECT_DOUBLE_EQ(osc.dt, 0.01);
  osc.setdt(0.2);
  EXPECT_DOUBLE_EQ(osc.getFreqInHz(), 17640.0);
}

// The phase always lies in [0, 1): -2 gives 0 (not 1, which would read one
// past a table), and negative steps wrap upwards.
TEST(PolyBLEP, SyncAndStepsKeepThePhaseInACycle) {
  PolyBLEP osc(44100.0, PolyBLEP::SINE, 441.0);
  const struct {
    double p, want;
  } cases[] = {{1.25, 0.25}, {-1.3, 0.7}, {-0.3, 0.7}, {-2.0, 0.0}, {3.0, 0.0},
               {-1e-18, 0.0}, {std::nan(""), 0.0}, {INFINITY, 0.0}, {0.999, 0.999}};
  for (const auto& c : cases) {
    osc.sync(c.p);
    EXPECT_NEAR(osc.t, c.want, 1e-15) << c.p;
    EXPECT_GE(osc.t, 0.0);
    EXPECT_LT(osc.t, 1.0);
  }
  osc.setFrequency(-3000.0);
  for (int i = 0; i < 1000; ++i) {
    osc.inc();
    ASSERT_GE(osc.t, 0.0);
    ASSERT_LT(osc.t, 1.0);
  }
}

// A sawtooth's 25th harmonic lies above half the rate and folds back; the
// residuals must take most of it out compared with the plain sawtooth.
TEST(PolyBLEP, SuppressesAliasedHarmonics) {
  const double rate = 44100.0, f0 = 1234.5;
  for (PolyBLEP::Waveform w : {PolyBLEP::SAWTOOTH, PolyBLEP::SQUARE}) {
    const int k = w == PolyBLEP::SAWTOOTH ? 25 : 27;
    PolyBLEP osc(rate, w, f0);
    std::vector<double> smooth, naive;
    for (int i = 0; i < 8192; ++i) {
      const double t = osc.t;
      const double t1 = t + 0.5 - std::floor(t + 0.5);
      naive.push_back(w == PolyBLEP::SAWTOOTH ? 2.0 * t1 - 1.0 : (t < 0.5 ? 1.0 : -1.0));
      smooth.push_back(osc.getAndInc());
    }
    const double alias = rate - k * f0;
    const double wa = 2.0 * kPi * alias / rate;
    const double plain = toneAmplitude(naive, wa);
    EXPECT_GT(plain, 0.02) << w;
    EXPECT_LT(toneAmplitude(smooth, wa), 0.2 * plain) << w;
    // The fundamental is untouched.
    EXPECT_NEAR(toneAmplitude(smooth, 2.0 * kPi * f0 / rate),
                toneAmplitude(naive, 2.0 * kPi * f0 / rate), 0.01);
  }
}

// --- WaveTable -----------------------------------------------------------

TEST(WaveTable, AddStoresReversedAndStopsAt32) {
  WaveTable t;
  const double s[4] = {1, 2, 3, 4};
  EXPECT_EQ(t.addWaveTable(4, s, 0.1), 0);
  EXPECT_EQ(t.count, 1);
  EXPECT_EQ(t.tables[0].samples[0], 4.0);
  EXPECT_EQ(t.tables[0].samples[3], 1.0);
  EXPECT_EQ(t.tables[0].topFreq, 0.1);
  for (int k = 1; k < 32; ++k) EXPECT_EQ(t.addWaveTable(4, s, 0.1 * k), 0);
  EXPECT_EQ(t.addWaveTable(4, s, 9.0), 32);
  EXPECT_EQ(t.count, 32);
  EXPECT_EQ(t.tables[31].topFreq, 0.1 * 31);
  // The first table, not interpolated; outside the cycle 0.
  EXPECT_EQ(t.getSample(0.0), 4.0);
  EXPECT_EQ(t.getSample(0.5), 2.0);
  EXPECT_EQ(t.getSample(0.99), 1.0);
  EXPECT_EQ(t.getSample(1.0), 0.0);
  EXPECT_EQ(t.getSample(-0.1), 0.0);
  t.clear();
  EXPECT_EQ(t.count, 0);
  EXPECT_EQ(t.getSample(0.5), 0.0);
}

std::vector<double> harmonicCycle(unsigned n, int maxHarmonic) {
  std::vector<double> c(n);
  for (unsigned i = 0; i < n; ++i) {
    const double x = 2.0 * kPi * i / n;
    c[i] = std::sin(x) + 0.5 * std::sin(3 * x + 0.4) + (maxHarmonic >= 700 ? 0.1 * std::cos(700 * x) : 0.0);
  }
  return c;
}

// From the highest harmonic (700) down, each table keeps the harmonics up
// to 700 / 2^k and serves increments below (2/3) / 700 x 2^k; all share the
// scale that peaks the first at 0.999. The transform pair and the reversed
// store leave each table one point ahead of the cycle: point i holds the
// cycle's point i + 1.
TEST(WaveTable, GenTablesBandLimitsInOctaves) {
  const unsigned n = 2048;
  WaveTable t;
  t.genTables(harmonicCycle(n, 700).data(), n);
  ASSERT_EQ(t.count, 10);  // 700, 350, 175, 87, 43, 21, 10, 5, 2, 1
  const std::vector<double> full = harmonicCycle(n, 700), low = harmonicCycle(n, 0);
  double peak = 0.0;
  for (double v : full) peak = std::fmax(peak, std::fabs(v));
  const double scale = 0.999 / peak;
  for (unsigned i = 0; i < n; ++i) {
    const unsigned j = (i + 1) % n;
    ASSERT_NEAR(t.tables[0].samples[i], full[j] * scale, 1e-9) << i;
    ASSERT_NEAR(t.tables[1].samples[i], low[j] * scale, 1e-9) << i;
    ASSERT_NEAR(t.tables[9].samples[i], std::sin(2.0 * kPi * j / n) * scale, 1e-9) << i;
  }
  for (int k = 0; k < 10; ++k) {
    EXPECT_NEAR(t.tables[k].topFreq, 2.0 / 3.0 / 700.0 * std::pow(2.0, k), 1e-15) << k;
    EXPECT_EQ(t.tables[k].length, n);
  }
}

TEST(WaveTable, NothingToBuildFrom) {
  WaveTable t;
  std::vector<double> flat(1024, 0.7);
  t.genTables(flat.data(), 1024);
  EXPECT_EQ(t.count, 0);
  const std::vector<double> c = harmonicCycle(1000, 0);
  t.genTables(c.data(), 1000);  // not a power of two
  EXPECT_EQ(t.count, 0);
  t.genTables(nullptr, 1024);
  EXPECT_EQ(t.count, 0);
}

// --- WaveTableOsc -----------------------------------------------------------

TEST(WaveTableOsc, PicksTheTableForItsIncrementAndInterpolates) {
  const unsigned n = 2048;
  WaveTable t;
  t.genTables(harmonicCycle(n, 700).data(), n);
  WaveTableOsc osc;
  EXPECT_EQ(osc.get(), 0.0);  // no table set
  osc.setWaveTable(&t);
  osc.setFrequency(40.0);  // below table 0's top at 44100
  ASSERT_LT(osc.phaseInc, t.tables[0].topFreq);
  osc.sync(0.3001);
  const double x = n * osc.phase;
  const unsigned i = static_cast<unsigned>(x);
  const double* s0 = t.tables[0].samples;
  EXPECT_NEAR(osc.get(), s0[i] + (s0[i + 1] - s0[i]) * (x - i), 1e-15);
  // Three octaves up the fourth table (87 harmonics) plays.
  osc.phaseInc = t.tables[2].topFreq;
  const double* s3 = t.tables[3].samples;
  EXPECT_NEAR(osc.get(), s3[i] + (s3[i + 1] - s3[i]) * (x - i), 1e-15);
  // Increments beyond every table's top use the last.
  osc.phaseInc = 0.49;
  const double* s9 = t.tables[9].samples;
  EXPECT_NEAR(osc.get(), s9[i] + (s9[i + 1] - s9[i]) * (x - i), 1e-15);
}

TEST(WaveTableOsc, TheLastPointInterpolatesTowardsTheFirst) {
  WaveTable t;
  std::vector<double> s(2048);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<double>(i);
  t.addWaveTable(2048, s.data(), 1.0);  // stored reversed: 2047 .. 0
  WaveTableOsc osc;
  osc.setWaveTable(&t);
  osc.sync(0.9999);
  const double x = 2048 * 0.9999;
  const double last = t.tables[0].samples[2047], first = t.tables[0].samples[0];
  EXPECT_NEAR(osc.get(), last + (first - last) * (x - 2047), 1e-9);
  // A sync to -2 starts the cycle (phase 0), not one past its end.
  osc.sync(-2.0);
  EXPECT_EQ(osc.phase, 0.0);
  EXPECT_EQ(osc.get(), first);
  // A phase set from outside is folded before reading.
  osc.phase = -0.25;
  EXPECT_NEAR(osc.get(), t.tables[0].samples[1536], 1e-12);
}

TEST(WaveTableOsc, StepsWrapAndRatesKeepTheFrequency) {
  WaveTableOsc osc;
  osc.setFrequency(441.0);
  EXPECT_DOUBLE_EQ(osc.phaseInc, 0.01);
  osc.setSampleRate(22050.0);
  EXPECT_DOUBLE_EQ(osc.getFreqInHz(), 441.0);
  osc.phaseInc = -0.37;
  for (int i = 0; i < 100; ++i) {
    osc.getAndInc();
    ASSERT_GE(osc.phase, 0.0);
    ASSERT_LT(osc.phase, 1.0);
  }
}

}  // namespace
