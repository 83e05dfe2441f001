// The phaser and the tempo delay.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Phaser.h"
#include "TempoDelay.h"
#include "block.h"
#include "reference.h"

using namespace Rawnfield;
using gentest::kPi;

namespace {

// --- phaser -------------------------------------------------------------

// With the sweep standing still the phaser is a fixed filter: the dry
// signal plus depth times six all-passes in a feedback loop.
TEST(Phaser, StandingSweepMatchesItsTransferFunction) {
  const std::vector<double> x = gentest::input();
  for (const gentest::Record& r : gentest::records("ph_run")) {
    Phaser ph;
    ph.setRate(0.0);
    ph.setRange(r.params[3], r.params[4]);
    ph.feedback = r.params[0];
    ph.setDepth(r.params[1]);
    ph.smoothedDepth = r.params[1];
    std::vector<double> right(x);
    for (double& v : right) v *= 0.5;
    Block b(x, right);
    ph.process(b.io, b.size());
    std::vector<double> both(b.l);
    both.insert(both.end(), b.r.begin(), b.r.end());
    gentest::expectSequence(both, r.values, 1e-9, "feedback " + std::to_string(r.params[0]));
  }
}

TEST(Phaser, Settings) {
  Phaser ph;
  EXPECT_DOUBLE_EQ(ph.minDelay, 440.0 / 22050.0);
  EXPECT_DOUBLE_EQ(ph.maxDelay, 1600.0 / 22050.0);
  EXPECT_DOUBLE_EQ(ph.lfoInc, 0.1 / 44100.0 * 2.0 * kPi * 20.0);
  ph.setFeedback(1.0);
  EXPECT_DOUBLE_EQ(ph.feedback, 0.999);
  ph.setFeedback(4.0);  // past 1 the loop would grow without bound
  EXPECT_DOUBLE_EQ(ph.feedback, 0.999);
  ph.setFeedback(-0.5);
  EXPECT_DOUBLE_EQ(ph.feedback, -0.4995);
  ph.setRate(1.0);
  EXPECT_DOUBLE_EQ(ph.lfoInc, 2.0 * kPi * 20.0 / 44100.0);
  // The range is stored against the rate it was set at.
  ph.setSampleRate(96000.0);
  EXPECT_DOUBLE_EQ(ph.minDelay, 440.0 / 22050.0);
  ph.setRange(480.0, 4800.0);
  EXPECT_DOUBLE_EQ(ph.maxDelay, 0.1);
}

TEST(Phaser, NoDepthLeavesTheBlockAndTheSweep) {
  Phaser ph;
  ph.lfoPhase = 1.0;
  const std::vector<double> x = gentest::input();
  Block b(x, x);
  ph.process(b.io, b.size());
  EXPECT_EQ(b.l, x);
  EXPECT_EQ(ph.lfoPhase, 1.0);
}

TEST(Phaser, SweepAdvancesAndWraps) {
  Phaser ph;
  ph.setRate(1.0);  // 20 Hz
  ph.setDepth(0.5);
  // 101 blocks of 441 frames: 20.2 turns.
  double turns = 0.0, last = 0.0;
  for (int k = 0; k < 101; ++k) {
    Block part(441, 0.1, 0.1);
    ph.process(part.io, part.size());
    ASSERT_GE(ph.lfoPhase, 0.0);
    ASSERT_LT(ph.lfoPhase, 2.0 * kPi);
    if (ph.lfoPhase < last) turns += 1.0;
    last = ph.lfoPhase;
  }
  EXPECT_EQ(turns, 20.0);
}

TEST(Phaser, FloatBlocksMatchDoubleBlocks) {
  Phaser a, b;
  a.setDepth(0.7);
  b.setDepth(0.7);
  const std::vector<double> x = gentest::input();
  std::vector<float> fl(x.begin(), x.end()), fr(x.begin(), x.end());
  std::vector<double> dl(fl.begin(), fl.end());
  Block d(dl, dl);
  float* fio[2] = {fl.data(), fr.data()};
  a.process(fio, static_cast<int>(fl.size()));
  b.process(d.io, d.size());
  for (size_t i = 0; i < x.size(); ++i) ASSERT_EQ(fl[i], static_cast<float>(d.l[i])) << i;
}

TEST(Phaser, ANonFiniteSampleDoesNotPoisonLaterBlocks) {
  Phaser ph;
  ph.setDepth(0.8);
  Block bad(64, 0.3, 0.3);
  bad.l[10] = std::numeric_limits<double>::quiet_NaN();
  bad.r[11] = INFINITY;
  ph.process(bad.io, bad.size());
  Block next(64, 0.3, 0.3);
  ph.process(next.io, next.size());
  for (int i = 0; i < 64; ++i) {
    ASSERT_TRUE(std::isfinite(next.l[i])) << i;
    ASSERT_TRUE(std::isfinite(next.r[i])) << i;
  }
}

// --- tempo delay -------------------------------------------------------------

std::vector<double> impulse(int n) {
  std::vector<double> v(n, 0.0);
  v[0] = 1.0;
  return v;
}

// At 120 BPM and 44100 Hz both lines are 22050 frames: the impulse comes
// back once through the feedback low-pass (a quarter kept per stage at a
// cutoff of 0.75: 0.75^4), and the dry signal passes as it is.
TEST(TempoDelay, OneBeatEcho) {
  TempoDelay d;
  d.setSampleRate(44100.0);
  d.reset();
  d.wetLevel = 1.0;
  EXPECT_EQ(d.bufferLength, 176400);
  Block b(impulse(22100), impulse(22100));
  d.process(b.io, b.size());
  for (int i = 1; i < b.size(); ++i) {
    const double want = i == 22050 ? 0.31640625 : 0.0;
    ASSERT_EQ(b.l[i], want) << i;
    ASSERT_EQ(b.r[i], want) << i;
  }
  EXPECT_EQ(b.l[0], 1.0);
}

TEST(TempoDelay, StereoSpreadAndTempo) {
  TempoDelay d;
  d.setSampleRate(44100.0);
  d.reset();
  d.wetLevel = 1.0;
  d.setStereoFx(1.0);
  EXPECT_DOUBLE_EQ(d.factorLeft, 1.125);
  EXPECT_DOUBLE_EQ(d.factorRight, 0.875);
  Block b(impulse(25000), impulse(25000));
  d.process(b.io, b.size());
  EXPECT_EQ(b.l[24806], 0.31640625);  // trunc(1.125 x 22050)
  EXPECT_EQ(b.r[19293], 0.31640625);  // trunc(0.875 x 22050)
  d.setTempo(0.0);
  d.setTempo(-5.0);
  EXPECT_DOUBLE_EQ(d.tempo, 120.0);
  EXPECT_DOUBLE_EQ(d.beat, 0.5);
  d.setTempo(60.0);
  EXPECT_DOUBLE_EQ(d.beat, 1.0);
  d.setDump(0.2);
  EXPECT_EQ(d.filterLeft.cutoff, 0.2);
  EXPECT_EQ(d.filterRight.cutoff, 0.2);
}

TEST(TempoDelay, DrySignalOnlyWhileTheLinesFill) {
  TempoDelay d;
  d.setSampleRate(44100.0);
  d.reset();
  const std::vector<double> x = gentest::input();
  Block b(x, x);
  d.process(b.io, b.size());
  EXPECT_EQ(b.l, x);
  EXPECT_NE(d.lineLeft[5], 0.0);
}

TEST(TempoDelay, LinesGrowForLongBlocks) {
  TempoDelay d;
  EXPECT_EQ(d.lineLeft.size(), 1024u);
  d.setBlockSize(512);
  EXPECT_EQ(d.lineLeft.size(), 1024u);
  d.setBlockSize(2048);
  EXPECT_EQ(d.lineRight.size(), 2048u);
  EXPECT_EQ(d.lineRight[2047], 0.0);
}

// Every write lands inside the lines: when the beat is longer than the
// lines, when the tempo shortens the beat mid-run and when a new rate makes
// the lines shorter than the positions reached.
TEST(TempoDelay, WritesStayInsideTheLines) {
  TempoDelay d;
  d.setSampleRate(1000.0);  // lines of 4000
  d.reset();
  d.wetLevel = 0.5;
  d.setTempo(10.0);  // a 6-second beat
  Block b(3000, 0.25, -0.25);
  for (int k = 0; k < 4; ++k) {
    d.process(b.io, b.size());
    ASSERT_LT(d.posLeft, 4000);
    ASSERT_LT(d.posRight, 4000);
  }
  d.setSampleRate(200.0);  // lines of 800
  EXPECT_EQ(d.lineLeft.size(), 800u);
  d.process(b.io, b.size());
  EXPECT_LT(d.posLeft, 800);
  d.setTempo(600.0);  // 20 frames
  d.process(b.io, 7);
  EXPECT_LT(d.posLeft, 20);
  d.setSampleRate(-1.0);  // ignored
  EXPECT_EQ(d.lineLeft.size(), 800u);
}

TEST(TempoDelay, NonFiniteInputIsNotFedBack) {
  TempoDelay d;
  d.setSampleRate(1000.0);
  d.reset();
  d.wetLevel = 1.0;
  d.feedback = 0.9;
  Block b(1200, 0.1, 0.1);
  b.l[3] = std::numeric_limits<double>::quiet_NaN();
  d.process(b.io, b.size());
  for (int i = 600; i < 1200; ++i) ASSERT_TRUE(std::isfinite(b.l[i])) << i;
}

}  // namespace
