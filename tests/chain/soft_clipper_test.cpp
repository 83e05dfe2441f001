#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "SoftClipper.h"
#include "block.h"

using Rawnfield::SoftClipper;

namespace {

constexpr double kT = SoftClipper::kDefaultThreshold;

// A limiter whose smoothed threshold has settled on the threshold.
void settle(SoftClipper& c) {
  Block b(20000, 0.1, 0.1);
  c.process(b.io, b.io, 20000);
}

TEST(SoftClipper, Defaults) {
  SoftClipper c;
  EXPECT_EQ(c.threshold, 0.7079457843841379);
  EXPECT_EQ(c.thresholdSmoother.a, 0.9944);
  EXPECT_EQ(c.thresholdSmoother.b, 0.005600000000000049);
  EXPECT_EQ(c.thresholdSmoother.state, kT);
  EXPECT_EQ(c.kneeWidth, 0.5);
  EXPECT_EQ(c.ratio, 10.0);
  EXPECT_EQ(c.kneeLow, 0.0);
  EXPECT_EQ(c.kneeHigh, 0.0);
  EXPECT_EQ(c.mode, 1u);
  EXPECT_FALSE(c.autoMakeUp);
  EXPECT_EQ(c.makeUpGain, 1.0);
}

TEST(SoftClipper, ModeOffWritesNothingEvenWithMakeUp) {
  SoftClipper c;
  c.mode = SoftClipper::kModeOff;
  c.autoMakeUp = true;
  c.updateMakeUpGain();
  Block in(3, 0.9, -0.9), out(3, 7.0, 7.0);
  c.process(in.io, out.io, 3);
  EXPECT_EQ(out.l, std::vector<double>(3, 7.0));
  EXPECT_EQ(c.thresholdSmoother.state, kT);
}

TEST(SoftClipper, MakeUpUsesWhateverKneeIsStored) {
  SoftClipper c;
  c.autoMakeUp = true;
  c.setThreshold(kT);  // before any limited sample: knee 0.5, ratio 10, bounds 0/0
  EXPECT_NEAR(1.0 / c.makeUpGain, kT + (1.0 - kT) / 10.0, 1e-15);
  EXPECT_NEAR(c.makeUpGain, 1.357, 0.0005);
  settle(c);
  c.updateMakeUpGain();  // the owner's recomputation after a limited block
  EXPECT_NEAR(1.0 / c.makeUpGain, kT + (1.0 - kT) / 1000.0, 1e-15);
  EXPECT_NEAR(c.makeUpGain, 1.412, 0.0005);
}

TEST(SoftClipper, FullScaleLeavesJustUnderFullScaleWithMakeUp) {
  SoftClipper c;
  settle(c);
  c.autoMakeUp = true;
  c.updateMakeUpGain();
  Block b({1.0, -1.0, 5.0}, {-1.0, 1.0, 0.0});
  c.process(b.io, b.io, 3);
  EXPECT_NEAR(b.l[0], 0.998849, 1e-15);
  EXPECT_NEAR(b.l[1], -0.998849, 1e-15);
  EXPECT_NEAR(b.r[0], -0.998849, 1e-15);
  // Above the knee the slope is 1/1000.
  EXPECT_NEAR(b.l[2], (kT + (5.0 - kT) / 1000.0) * (c.makeUpGain * 0.998849), 1e-15);
}

TEST(SoftClipper, LimiterCurveAroundTheKnee) {
  SoftClipper c;
  settle(c);
  EXPECT_EQ(c.ratio, 1000.0);
  EXPECT_NEAR(c.kneeWidth, 0.02, 1e-15);
  const double lo = c.kneeLow, hi = c.kneeHigh;
  EXPECT_NEAR(lo, kT - 0.01, 1e-12);
  EXPECT_NEAR(hi, kT + 0.01, 1e-12);
  // Below the knee: unchanged. At the lower bound: the knee formula (which
  // meets the line there). At the upper bound: the line above the knee.
  EXPECT_EQ(c.curve(0.5), 0.5);
  const double k = c.kneeWidth;
  auto knee = [&](double a) {
    const double d = a - kT + k / 2.0;
    return a + (1.0 / 1000.0 - 1.0) * d * d / (2.0 * k);
  };
  EXPECT_EQ(c.curve(lo), knee(lo));
  EXPECT_EQ(c.curve(hi), kT + (hi - kT) / 1000.0);
  const double mid = kT;
  EXPECT_EQ(c.curve(mid), knee(mid));
  EXPECT_LT(c.curve(mid), mid);
}

TEST(SoftClipper, NegativeInputsKeepTheirSignAndNaNStaysNaN) {
  SoftClipper c;
  settle(c);
  Block b({-0.3, -0.0, std::nan("")}, {0.3, 0.0, -2.0});
  c.process(b.io, b.io, 3);
  EXPECT_EQ(b.l[0], -0.3);
  EXPECT_EQ(b.l[1], 0.0);
  EXPECT_FALSE(std::signbit(b.l[1]));  // -0 counts as positive
  EXPECT_TRUE(std::isnan(b.l[2]));
  EXPECT_EQ(b.r[0], 0.3);
  EXPECT_NEAR(b.r[2], -(kT + (2.0 - kT) / 1000.0), 1e-12);
}

TEST(SoftClipper, LowThresholdNarrowsTheKneeToTheThreshold) {
  SoftClipper c;
  c.setThreshold(0.01);
  settle(c);
  EXPECT_NEAR(c.kneeWidth, 0.01, 1e-12);
  EXPECT_NEAR(c.kneeLow, 0.005, 1e-12);  // the knee starts at half the threshold
  EXPECT_NEAR(c.kneeHigh, 0.015, 1e-12);
}

TEST(SoftClipper, ThresholdGlidesWithTimeConstant179) {
  SoftClipper c;
  c.setThreshold(1.0);
  Block b(179, 0.0, 0.0);
  c.process(b.io, b.io, 179);
  const double moved = (c.thresholdSmoother.state - kT) / (1.0 - kT);
  EXPECT_NEAR(moved, 1.0 - std::exp(-1.0), 0.01);
  // The curve's own threshold term is the one as set, not the smoothed one.
  EXPECT_EQ(c.curve(2.0), 1.0 + (2.0 - 1.0) / 1000.0);
}

TEST(SoftClipper, OtherModesUseTheStoredCurveWithoutUpdatingIt) {
  SoftClipper c;
  c.mode = 2;
  Block b(1, 0.5, -0.5);
  c.process(b.io, b.io, 1);
  // Knee 0.5, ratio 10, bounds 0/0 as constructed: the line above the knee.
  EXPECT_EQ(b.l[0], kT + (0.5 - kT) / 10.0);
  EXPECT_EQ(b.r[0], -b.l[0]);
  EXPECT_EQ(c.ratio, 10.0);
  EXPECT_EQ(c.thresholdSmoother.state, kT);
}

TEST(SoftClipper, ThresholdIsKeptInRangeSoTheMakeUpStaysFinite) {
  SoftClipper c;
  c.autoMakeUp = true;
  c.setThreshold(-0.1);
  EXPECT_EQ(c.threshold, SoftClipper::kMinThreshold);
  settle(c);
  c.updateMakeUpGain();
  EXPECT_TRUE(std::isfinite(c.makeUpGain));
  EXPECT_GT(c.makeUpGain, 0.0);
  c.setThreshold(3.0);
  EXPECT_EQ(c.threshold, 1.0);
  c.setThreshold(std::nan(""));
  EXPECT_EQ(c.threshold, 1.0);
  EXPECT_TRUE(std::isfinite(c.makeUpGain));
}

}  // namespace
