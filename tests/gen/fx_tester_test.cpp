// The test-signal generator.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Bassdrum.h"
#include "FxTester.h"
#include "block.h"
#include "reference.h"

using namespace Rawnfield;
using gentest::kPi;

namespace {

FxTester ready(int block = 512) {
  FxTester t;
  t.init();
  t.setSampleRate(44100.0);
  t.setBlockSize(block);
  return t;
}

TEST(FxTester, Frequencies) {
  FxTester t;
  t.setSampleRate(44100.0);
  EXPECT_DOUBLE_EQ(t.getTestSignalFreqHz(), 44.0);
  EXPECT_DOUBLE_EQ(t.phaseInc, 44.0 / 44100.0);
  t.setTestSignalFreq(0.0);
  EXPECT_DOUBLE_EQ(t.getTestSignalFreqHz(), 20.0);
  t.setTestSignalFreq(1.0);
  EXPECT_DOUBLE_EQ(t.getTestSignalFreqHz(), 10000.0);
  EXPECT_DOUBLE_EQ(t.phaseInc, 10000.0 / 44100.0);
  EXPECT_NEAR(FxTester::calcSignalFreq(440.0), 0.0420841683366733, 1e-15);
  t.setTestSignalFreqHz(1000.0);
  EXPECT_DOUBLE_EQ(t.phaseInc, 1000.0 / 44100.0);
  EXPECT_EQ(FxTester::getTestFreqVector(), (std::vector<double>{44.0, 100, 440, 1000, 2500, 9200}));
}

// Before a rate is known the increment stays finite (0); the rate then
// gives the frequency set before it.
TEST(FxTester, FrequencySetBeforeTheRate) {
  FxTester t;
  t.setTestSignalFreq(0.5);
  EXPECT_EQ(t.phaseInc, 0.0);
  t.setSampleRate(48000.0);
  EXPECT_DOUBLE_EQ(t.phaseInc, 5010.0 / 48000.0);
}

TEST(FxTester, SineReplacesTheBlock) {
  FxTester t = ready();
  t.setTestSignalFreqHz(1000.0);
  t.setTestSignal(true);
  t.outputGain = 0.5;
  const std::vector<double> x = gentest::input();
  Block b(x, x);
  t.process(b.io, nullptr, b.size());
  for (int i = 0; i < b.size(); ++i) {
    ASSERT_NEAR(b.l[i], 0.5 * std::sin(2.0 * kPi * i * 1000.0 / 44100.0), 1e-12) << i;
    ASSERT_EQ(b.r[i], b.l[i]);
  }
  EXPECT_EQ(t.framesProduced, 512u);
  EXPECT_EQ(t.kickPosition, 512u);  // the kick position runs along
}

// The kick loops every 21485 frames; with the sine both are summed.
TEST(FxTester, KickLoopsAndSumsWithTheSine) {
  FxTester t = ready(25000);
  t.setKickSignal(true);
  Block b(25000);
  t.process(b.io, nullptr, b.size());
  const double* kick = g909Bassdrum();
  for (int i = 0; i < 25000; ++i) ASSERT_EQ(b.l[i], kick[i % kBassdrumLength]) << i;
  EXPECT_EQ(t.kickPosition, 25000u - kBassdrumLength);

  FxTester both = ready(64);
  both.setKickSignal(true);
  both.setTestSignal(true);
  Block c(64);
  both.process(c.io, nullptr, c.size());
  for (int i = 0; i < 64; ++i)
    ASSERT_NEAR(c.l[i], std::sin(2.0 * kPi * i * 44.0 / 44100.0) + kick[i], 1e-12) << i;
}

TEST(FxTester, TheKickIsAHitInRange) {
  const double* kick = g909Bassdrum();
  double peak = 0.0;
  for (int i = 0; i < kBassdrumLength; ++i) peak = std::fmax(peak, std::fabs(kick[i]));
  EXPECT_GT(peak, 0.5);
  EXPECT_LE(peak, 1.0);
  EXPECT_LT(std::fabs(kick[kBassdrumLength - 1]), 1e-3);
}

TEST(FxTester, BlocksLeftAlone) {
  const std::vector<double> x = gentest::input();
  {  // both signals off
    FxTester t = ready();
    Block b(x, x);
    t.process(b.io, nullptr, b.size());
    EXPECT_EQ(b.l, x);
  }
  {  // larger than the buffers
    FxTester t = ready(256);
    t.setTestSignal(true);
    Block b(x, x);
    t.process(b.io, nullptr, b.size());
    EXPECT_EQ(b.l, x);
  }
}

// Without init() there is no kick length: the kick stays silent instead of
// looping over a length of 0, while the sine still plays.
TEST(FxTester, BeforeInitTheKickIsSilent) {
  FxTester t;
  t.setSampleRate(44100.0);
  t.setBlockSize(64);
  t.setKickSignal(true);
  const std::vector<double> x(64, 0.25);
  Block b(x, x);
  t.process(b.io, nullptr, b.size());
  EXPECT_EQ(b.l, x);
  t.setTestSignal(true);
  t.process(b.io, nullptr, b.size());
  EXPECT_NEAR(b.l[10], std::sin(2.0 * kPi * 10 * 44.0 / 44100.0), 1e-12);
  EXPECT_EQ(t.kickPosition, 0u);
}

// The sine's phase stays within a cycle.
TEST(FxTester, PhaseStaysWithinACycle) {
  FxTester t = ready(4096);
  t.setTestSignalFreqHz(9200.0);
  t.setTestSignal(true);
  t.phase = 1e12;
  Block b(4096);
  t.process(b.io, nullptr, b.size());
  EXPECT_GE(t.phase, 0.0);
  EXPECT_LT(t.phase, 1.0);
}

}  // namespace
