// Ring, low-frequency and frequency modulators.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "FmModulator.h"
#include "RingModulator.h"
#include "block.h"
#include "reference.h"

using namespace Rawnfield;
using gentest::kPi;

namespace {

// --- ring modulator ----------------------------------------------------------

TEST(RingModulator, WaveformControl) {
  const struct {
    double v;
    uint32_t w;
    const char* name;
    PolyBLEP::Waveform osc1;
  } cases[] = {
      {0.3, 1, "Pulse", PolyBLEP::SQUARE},  {-0.2, 0, "Sine", PolyBLEP::SINE},
      {2.0, 4, "Sine3", PolyBLEP::SINE},    {0.5, 2, "Saw", PolyBLEP::SAWTOOTH},
      {0.75, 3, "Sine2", PolyBLEP::SINE},   {0.1, 0, "Sine", PolyBLEP::SINE},
      {std::nan(""), 0, "Sine", PolyBLEP::SINE},
  };
  for (const auto& c : cases) {
    RingModulator m;
    m.setWaveform(c.v);
    EXPECT_EQ(m.waveform, c.w) << c.v;
    EXPECT_DOUBLE_EQ(m.getWaveform(), c.w * 0.25);
    EXPECT_STREQ(m.getWaveformText(), c.name);
    EXPECT_EQ(m.osc1.waveform, c.osc1) << c.v;
  }
  // Pulse then Sine2 puts the first oscillator back to a sine.
  RingModulator m;
  m.setWaveform(0.25);
  m.setWaveform(0.75);
  EXPECT_EQ(m.osc1.waveform, PolyBLEP::SINE);
}

TEST(RingModulator, OscillatorsAtOneTwoAndFourTimesTheFrequency) {
  RingModulator m;
  m.setSampleRate(48000.0);
  EXPECT_NEAR(m.osc1.getFreqInHz(), 400.0, 1e-9);
  EXPECT_NEAR(m.osc2.getFreqInHz(), 800.0, 1e-9);
  EXPECT_NEAR(m.osc3.getFreqInHz(), 1600.0, 1e-9);
  EXPECT_DOUBLE_EQ(m.osc1.sampleRate, 48000.0);
  m.setMaxFrequency(1000.0);
  m.setFrequency(0.5);
  EXPECT_NEAR(m.osc3.getFreqInHz(), 2000.0, 1e-9);
  EXPECT_DOUBLE_EQ(m.getFrequency(), 0.5);
  EXPECT_DOUBLE_EQ(m.getMaxFrequency(), 1000.0);
}

TEST(RingModulator, NoAmountOrNoFrequencyLeavesTheBlock) {
  const std::vector<double> x = gentest::input();
  for (int k = 0; k < 2; ++k) {
    RingModulator m;
    m.setSampleRate(44100.0);
    m.setAmount(k == 0 ? 0.0 : 0.7);
    if (k == 1) m.setFrequency(0.0);
    Block b(x, x);
    m.process(b.io, b.size());
    EXPECT_EQ(b.l, x);
    EXPECT_EQ(b.r, x);
  }
}

// The carrier is a sine at 400 Hz blended in by the smoothed amount.
TEST(RingModulator, SineCarrierWithSmoothedAmount) {
  RingModulator m;
  m.setSampleRate(44100.0);
  m.setAmount(1.0);
  const std::vector<double> x = gentest::input();
  Block b(x, std::vector<double>(x.size(), 0.5));
  m.process(b.io, b.size());
  double s = 0.0;
  const double dt = 400.0 / 44100.0;
  double t = 0.0;
  for (size_t i = 0; i < x.size(); ++i) {
    s = s * 0.9777 + 0.0223;
    const double c = std::sin(2.0 * kPi * t);
    t += dt;
    t -= std::floor(t);
    ASSERT_NEAR(b.l[i], x[i] * (1.0 - s) + x[i] * s * c, 1e-12) << i;
    ASSERT_NEAR(b.r[i], 0.5 * (1.0 - s) + 0.5 * s * c, 1e-12) << i;
  }
}

// The carrier itself: 64 frames of a constant 1 at full amount.
std::vector<double> carrier(double waveform) {
  RingModulator m;
  m.setSampleRate(44100.0);
  m.setAmount(1.0);
  m.smoothedAmount = 1.0;
  m.setWaveform(waveform);
  Block b(64, 1.0, 1.0);
  m.process(b.io, b.size());
  return b.l;
}

// Sine2 steps its oscillator twice a frame: the carrier is at 800 Hz.
// Sine3 mixes the three oscillators: ((osc2 - osc1) + osc3) x 0.3.
TEST(RingModulator, Sine2AndSine3Carriers) {
  const std::vector<double> sine2 = carrier(0.75), sine3 = carrier(1.0);
  const auto at = [](double hz, double step) { return std::sin(2.0 * kPi * step * hz / 44100.0); };
  for (int i = 0; i < 64; ++i) {
    ASSERT_NEAR(sine2[i], at(400.0, 2 * i + 1), 1e-9) << i;
    ASSERT_NEAR(sine3[i], ((at(800.0, i) - at(400.0, i)) + at(1600.0, i)) * 0.3, 1e-9) << i;
  }
}

// Switching out ramps twice as fast as the base: 250 frames, after which
// blocks pass untouched.
TEST(RingModulator, BypassRampTakesHalfTheBaseTime) {
  RingModulator m;
  m.setSampleRate(44100.0);
  m.setAmount(0.5);
  m.setBypass(true);
  Block b(249, 1.0, 1.0);
  m.process(b.io, b.size());
  EXPECT_GT(m.fadeGain, 0.0);
  Block c(2, 1.0, 1.0);
  m.process(c.io, c.size());
  EXPECT_EQ(m.fadeGain, 0.0);
  const std::vector<double> x = gentest::input();
  Block d(x, x);
  m.process(d.io, d.size());
  EXPECT_EQ(d.l, x);
}

// --- low-frequency modulator ---------------------------------------------

TEST(Modulator, SettingsAndModes) {
  Modulator m;
  EXPECT_DOUBLE_EQ(m.phaseInc, 1.0 / 44100.0);
  m.setFrequency(0.5);
  EXPECT_DOUBLE_EQ(m.frequencyHz, 10.0);
  EXPECT_DOUBLE_EQ(m.phaseInc, 10.0 / 44100.0);
  m.setFrequencyHz(5.0);
  EXPECT_DOUBLE_EQ(m.getFrequency(), 0.25);
  m.setSampleRate(50000.0);
  EXPECT_DOUBLE_EQ(m.phaseInc, 5.0 / 50000.0);
  m.phase = 0.4;
  m.counter = 7;
  m.reset();
  EXPECT_EQ(m.phase, 0.0);
  EXPECT_EQ(m.counter, 0u);
  EXPECT_DOUBLE_EQ(m.phaseInc, 5.0 / 50000.0);
  m.init();
  EXPECT_DOUBLE_EQ(m.phaseInc, 1.0 / 50000.0);

  const struct {
    double v;
    int mode;
    double polarity;
  } modes[] = {{1.0, 4, -1.0}, {0.7, 3, 1.0}, {0.0, 0, 1.0}, {0.3, 1, 1.0}, {std::nan(""), 0, 1.0}};
  for (const auto& c : modes) {
    m.waveform = static_cast<Modulator::eModulatorWaveform>(2);
    m.setLfoMode(c.v);
    EXPECT_EQ(m.lfoMode, c.mode) << c.v;
    EXPECT_EQ(m.polarity, c.polarity) << c.v;
    EXPECT_EQ(m.waveform, Modulator::kModulatorSine);
  }
}

// --- frequency modulator -----------------------------------------------------

TEST(FmModulator, StartsAtOneRadianPerSecondStepWithNoAmount) {
  FmModulator m;
  EXPECT_DOUBLE_EQ(m.getMaxFrequency(), 10000.0);
  EXPECT_DOUBLE_EQ(m.frequencyHz, 1000.0);
  EXPECT_DOUBLE_EQ(m.phaseInc, 1.0 / 44100.0);
  EXPECT_EQ(m.getAmount(), 0.0);
  EXPECT_EQ(m.modulate(0.8), 0.8);
  m.setAmount(0.5);
  EXPECT_DOUBLE_EQ(m.modulate(0.8), 0.4);
  m.phase = kPi / 2;
  EXPECT_DOUBLE_EQ(m.modulate(0.8), 0.8);
  m.setBypass(true);
  EXPECT_EQ(m.modulate(0.8), 0.8);
}

TEST(FmModulator, BlocksLeftAloneWithoutFrequencyAmountOrWhenBypassed) {
  const std::vector<double> x = gentest::input();
  for (int k = 0; k < 3; ++k) {
    FmModulator m;
    m.setAmount(k == 1 ? 0.0 : 0.6);
    if (k == 0) m.setFrequency(0.0);
    if (k == 2) m.setBypass(true);
    Block b(x, x);
    m.modulate(b.io, b.size());
    EXPECT_EQ(b.l, x) << k;
    EXPECT_EQ(m.phase, 0.0) << k;
  }
}

TEST(FmModulator, MultipliesWithASineOfItsPhase) {
  FmModulator m;
  m.setAmount(0.8);
  m.phaseInc = 0.05;
  const std::vector<double> x = gentest::input();
  Block b(x, std::vector<double>(x.size(), 1.0));
  m.modulate(b.io, b.size());
  double s = 0.0;
  for (size_t i = 0; i < x.size(); ++i) {
    s = s * 0.9777 + 0.8 * 0.0223;
    const double mod = std::sin(0.05 * i);
    ASSERT_NEAR(b.l[i], x[i] * (1.0 - s) + x[i] * s * mod, 1e-12) << i;
    ASSERT_NEAR(b.r[i], (1.0 - s) + s * mod, 1e-12) << i;
  }
}

// The phase stays within one turn however long it runs, so its steps keep
// their full precision: a phase left to grow to 1e15 would move in steps of
// 0.125 rad and no longer by the increment.
TEST(FmModulator, PhaseStaysWithinOneTurn) {
  FmModulator m;
  m.setAmount(1.0);
  m.phaseInc = 0.3;
  m.phase = 1e15;
  Block one(1, 1.0, 1.0);
  m.modulate(one.io, 1);
  ASSERT_GE(m.phase, 0.0);
  ASSERT_LT(m.phase, 2.0 * kPi);
  Block b(4096, 1.0, 1.0);
  for (int k = 0; k < 50; ++k) {
    const double before = m.phase;
    m.modulate(b.io, b.size());
    ASSERT_GE(m.phase, 0.0);
    ASSERT_LT(m.phase, 2.0 * kPi);
    const double moved = std::fmod(before + 4096 * 0.3, 2.0 * kPi);
    ASSERT_NEAR(m.phase, moved, 1e-9) << k;
  }
}

}  // namespace
