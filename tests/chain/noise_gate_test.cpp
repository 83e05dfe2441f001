#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "NoiseGate.h"
#include "block.h"

using Rawnfield::NoiseGate;

namespace {

// Runs n frames of silence-free signal so the smoothed threshold settles.
void settle(NoiseGate& g, int n = 20000) {
  Block b(n, 1.0, 1.0);
  g.process(b.io, b.io, n);
}

TEST(NoiseGate, ThresholdZeroLeavesTheBlockUntouched) {
  NoiseGate g;
  EXPECT_EQ(g.threshold, 0.0);
  Block b({0.001, -0.002}, {0.0, 1e-9});
  const Block before = b;
  g.process(b.io, b.io, 2);
  EXPECT_EQ(b.l, before.l);
  EXPECT_EQ(b.r, before.r);
  EXPECT_EQ(g.thresholdSmoother.state, 0.0);  // nothing ran
}

TEST(NoiseGate, SilencesBelowTheThresholdFromTheFirstSample) {
  NoiseGate g;
  g.setThreshold(0.5);
  EXPECT_EQ(g.setting, 0.5);
  EXPECT_EQ(g.threshold, 0.0625);
  Block b({0.0624, -0.05, 0.0625, 0.3}, {-0.0624999, 0.0, -0.0625, -0.3});
  g.process(b.io, b.io, 4);
  EXPECT_EQ(b.l[0], 0.0);
  EXPECT_EQ(b.l[1], 0.0);
  EXPECT_EQ(b.r[0], 0.0);
  // Exactly the threshold passes unchanged, keeping its sign, while the
  // smoothed knee is still closed.
  EXPECT_EQ(b.l[2], 0.0625);
  EXPECT_EQ(b.r[2], -0.0625);
  EXPECT_EQ(b.l[3], 0.3);
  EXPECT_EQ(b.r[3], -0.3);
}

TEST(NoiseGate, SettledKneeLiftsTheSignalJustAboveTheThreshold) {
  NoiseGate g;
  g.setThreshold(0.5);
  settle(g);
  const double t = 0.0625;
  EXPECT_NEAR(g.thresholdSmoother.state, t, 1e-15);
  EXPECT_NEAR(g.kneeWidth, 0.01, 1e-15);
  EXPECT_NEAR(g.kneeTop, t + 0.01, 1e-15);
  for (double a : {0.0625, 0.065, 0.07, 0.0724, 0.0725, 0.08}) {
    Block b(1, a, -a);
    g.process(b.io, b.io, 1);
    const double top = g.kneeTop, k = g.kneeWidth;
    const double expect = a >= top ? a : top * (a - t) / k + a;
    EXPECT_DOUBLE_EQ(b.l[0], expect) << a;
    EXPECT_DOUBLE_EQ(b.r[0], -expect) << a;
  }
}

TEST(NoiseGate, ExactThresholdPassesWithTheKneeOpen) {
  NoiseGate g;
  g.setThreshold(0.5);
  settle(g);
  Block b(1, 0.0625, -0.0625);
  g.process(b.io, b.io, 1);
  EXPECT_EQ(b.l[0], 0.0625);
  EXPECT_EQ(b.r[0], -0.0625);
}

TEST(NoiseGate, KneeFollowsTheSmoothedThresholdWithTimeConstant179) {
  NoiseGate g;
  g.setThreshold(0.5);
  Block b(179, 1.0, 1.0);
  g.process(b.io, b.io, 179);
  // 1 - 0.9944^179 of the way there.
  EXPECT_NEAR(g.thresholdSmoother.state, 0.0625 * (1.0 - std::pow(0.9944, 179)), 1e-15);
  EXPECT_NEAR(g.thresholdSmoother.state / 0.0625, 1.0 - std::exp(-1.0), 0.01);
}

TEST(NoiseGate, WritesToASeparateOutput) {
  NoiseGate g;
  g.setThreshold(0.5);
  Block in({0.01, 0.5}, {-0.5, -0.01}), out(2, 9.0, 9.0);
  g.process(in.io, out.io, 2);
  EXPECT_EQ(out.l[0], 0.0);
  EXPECT_EQ(out.l[1], 0.5);
  EXPECT_EQ(out.r[0], -0.5);
  EXPECT_EQ(out.r[1], 0.0);
  EXPECT_EQ(in.l[0], 0.01);
}

TEST(NoiseGate, NaNPassesAndNonFiniteSettingSwitchesOff) {
  NoiseGate g;
  g.setThreshold(0.5);
  Block b(1, std::nan(""), 0.01);
  g.process(b.io, b.io, 1);
  EXPECT_TRUE(std::isnan(b.l[0]));
  EXPECT_EQ(b.r[0], 0.0);

  g.setThreshold(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(g.threshold, 0.0);
  Block q(1, 0.01, -0.01);
  g.process(q.io, q.io, 1);
  EXPECT_EQ(q.l[0], 0.01);
  // The smoothed threshold was not poisoned: the knee works again.
  g.setThreshold(0.5);
  settle(g);
  EXPECT_TRUE(std::isfinite(g.kneeTop));
  Block k(1, 0.065, 0.065);
  g.process(k.io, k.io, 1);
  EXPECT_GT(k.l[0], 0.065);
}

}  // namespace
