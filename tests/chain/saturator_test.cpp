#include "Saturator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "block.h"
#include "test_provider.h"

using Rawnfield::DistortionDataProvider;
using Rawnfield::Saturator;

namespace {

double clampUnit(double v) {
  return std::min(1.0, std::max(-1.0, v));
}

// A saturator after init whose smoothers sit at (amount, factor), so the
// next frame runs with s = amount and g = factor (up to rounding).
Saturator* settled(Saturator& s, double amount) {
  s.init(testProvider());
  s.amount = amount;
  s.amountSmoother.state = amount;
  s.factorSmoother.state = Saturator::kStdSaturationFactor;
  return &s;
}

double curveAt(const Saturator& s, double x) {
  return s.curve.read(s.curve.base.data, x);
}

TEST(Saturator, InitLoadsTheTypeCurveAndRunningSettings) {
  struct Case {
    Rawnfield::eSaturatorType type;
    int curve;  // provider curve, -1: identity
  };
  const Case cases[] = {
      {Rawnfield::kOutputSaturation, DistortionDataProvider::kOutputSaturationCurve},
      {Rawnfield::kFuzzyFilterDrive, DistortionDataProvider::kFuzzyFilterDriveCurve},
      {static_cast<Rawnfield::eSaturatorType>(2), -1}};
  for (const Case& c : cases) {
    Saturator s(c.type);
    s.setDryWetThreshold(0.25);  // overwritten by init
    s.init(testProvider());
    EXPECT_EQ(s.dryWetThreshold, 0.5);
    EXPECT_EQ(s.inverseThreshold, 2.0);
    EXPECT_EQ(s.curve.interpolation, Rawnfield::Types::kLinearInterpolation);
    EXPECT_EQ(s.amountSmoother.a, 0.9777);
    EXPECT_EQ(s.amountSmoother.b, 0.022299999999999986);
    EXPECT_EQ(s.factorSmoother.a, 0.9777);
    EXPECT_EQ(s.factorSmoother.b, 0.022299999999999986);
    EXPECT_EQ(s.saturationFactor, 5.0);
    EXPECT_EQ(s.mode, 1u);
    ASSERT_EQ(s.curve.size, 512);
    const double* src = c.curve >= 0 ? testProvider().getCurveData(c.curve) : nullptr;
    for (int i = 0; i < 512; ++i) {
      const double expect =
          src ? clampUnit(std::isfinite(src[i]) ? src[i] : 0.0) : -1.0 + i * (2.0 / 511.0);
      ASSERT_EQ(s.curve.base.data[i], expect) << c.type << " " << i;
    }
  }
}

TEST(Saturator, ThresholdSetAfterInitHolds) {
  Saturator s(Rawnfield::kOutputSaturation);
  s.init(testProvider());
  s.setDryWetThreshold(Saturator::kFastDryWetThreshold);
  EXPECT_EQ(s.dryWetThreshold, 0.25);
  EXPECT_EQ(s.inverseThreshold, 4.0);
}

TEST(Saturator, ConstructionDefaults) {
  Saturator s(Rawnfield::kFuzzyFilterDrive);
  EXPECT_EQ(s.type, Rawnfield::kFuzzyFilterDrive);
  EXPECT_EQ(s.amount, 0.0);
  EXPECT_EQ(s.amountSmoother.a, 0.99);
  EXPECT_EQ(s.amountSmoother.b, 0.010000000000000009);
  EXPECT_EQ(s.scratchLeft.capacity, 1024);
  EXPECT_EQ(s.scratchRight.capacity, 1024);
  EXPECT_EQ(Saturator::kHardSaturationFactor, 10.777);
  EXPECT_EQ(Saturator::kWarmSaturationFactor, 2.5);
  s.saturationFactor = 1.0;
  s.setMode(0.3);
  EXPECT_EQ(s.saturationFactor, 5.0);
  EXPECT_EQ(s.mode, 1u);
}

TEST(Saturator, AmountZeroLeavesTheBlockAndTheSmoothers) {
  Saturator s(Rawnfield::kOutputSaturation);
  s.init(testProvider());
  s.amountSmoother.state = 0.3;
  Block b({0.5, -2.0, 0.1}, {0.9, 0.0, -0.25});
  const Block before = b;
  s.process(b.io, 3);
  EXPECT_EQ(b.l, before.l);
  EXPECT_EQ(b.r, before.r);
  EXPECT_EQ(s.amountSmoother.state, 0.3);
  EXPECT_EQ(s.factorSmoother.state, 0.0);
}

// With threshold 0.5 a smoothed amount of 0.25 mixes half and half.
TEST(Saturator, BelowTheThresholdMixesInProportionToTheAmount) {
  Saturator s(Rawnfield::kOutputSaturation);
  settled(s, 0.25);
  const std::vector<double> xs = {0.05, -0.1, 0.4, -0.9};
  Block b(xs, xs);
  s.process(b.io, 4);
  for (int i = 0; i < 4; ++i) {
    const double y = clampUnit(curveAt(s, xs[i]) * 5.0 * 0.25);
    EXPECT_NEAR(b.l[i], 0.5 * y + 0.5 * xs[i], 1e-14) << i;
    EXPECT_NEAR(b.r[i], b.l[i], 0) << i;
  }
}

TEST(Saturator, AtOrAboveTheThresholdGivesTheClippedCurveAlone) {
  Saturator s(Rawnfield::kOutputSaturation);
  settled(s, 0.8);
  const std::vector<double> xs = {0.05, -0.1, 0.4, -0.9, 3.0, -7.0};
  Block b(xs, xs);
  s.process(b.io, 6);
  for (int i = 0; i < 6; ++i)
    EXPECT_NEAR(b.l[i], clampUnit(curveAt(s, xs[i]) * 5.0 * 0.8), 1e-14) << i;
  // Inputs beyond +-1 read the curve's end points, then clip after the drive.
  EXPECT_EQ(b.l[4], clampUnit(s.curve.base.data[511] * 5.0 * 0.8));
  EXPECT_EQ(b.l[5], clampUnit(s.curve.base.data[0] * 5.0 * 0.8));
}

TEST(Saturator, IdentityCurveForUnknownType) {
  Saturator s(static_cast<Rawnfield::eSaturatorType>(7));
  settled(s, 0.1);
  Block b(1, 0.5, -0.5);
  s.process(b.io, 1);
  const double y = clampUnit(0.5 * 5.0 * 0.1), w = 0.1 * 2.0;
  EXPECT_NEAR(b.l[0], w * y + (1.0 - w) * 0.5, 1e-14);
  EXPECT_NEAR(b.r[0], -b.l[0], 1e-15);
}

TEST(Saturator, RaisingTheAmountGlidesFromTheLastValue) {
  Saturator s(Rawnfield::kOutputSaturation);
  s.init(testProvider());
  s.amount = 1.0;
  Block warm(100, 0.1, 0.1);
  s.process(warm.io, 100);
  const double reached = s.amountSmoother.state;
  EXPECT_NEAR(reached, 1.0 - std::pow(0.9777, 100), 1e-12);
  s.amount = 0.0;
  s.process(warm.io, 100);
  EXPECT_EQ(s.amountSmoother.state, reached);
  s.amount = 1.0;
  Block one(1, 0.1, 0.1);
  s.process(one.io, 1);
  EXPECT_EQ(s.amountSmoother.state, 0.9777 * reached + (1.0 - 0.9777) * 1.0);
}

TEST(Saturator, BypassHasNoEffect) {
  Saturator a(Rawnfield::kOutputSaturation), b(Rawnfield::kOutputSaturation);
  settled(a, 0.3);
  settled(b, 0.3);
  b.setBypass(true);
  Block x(700, 0.3, -0.6), y = x;
  a.process(x.io, 700);
  b.process(y.io, 700);
  EXPECT_EQ(x.l, y.l);
  EXPECT_EQ(x.r, y.r);
}

TEST(Saturator, LongBlocksAreProcessedInPiecesWithTheSameResult) {
  Saturator small(Rawnfield::kOutputSaturation), big(Rawnfield::kOutputSaturation);
  small.init(testProvider());
  big.init(testProvider());
  big.setBlockSize(4096);
  EXPECT_EQ(big.scratchLeft.capacity, 4096);
  small.amount = big.amount = 0.6;
  Block a(3000), b(3000);
  for (int i = 0; i < 3000; ++i) a.l[i] = a.r[i] = b.l[i] = b.r[i] = std::sin(i * 0.01);
  small.process(a.io, 3000);  // more than its 1024 frames
  big.process(b.io, 3000);
  EXPECT_EQ(a.l, b.l);
  EXPECT_EQ(a.r, b.r);
}

TEST(Saturator, NonFiniteAmountDoesNotPoisonTheSmoother) {
  Saturator s(Rawnfield::kOutputSaturation);
  settled(s, 0.5);
  s.amount = std::nan("");
  Block b(64, 0.3, 0.3);
  s.process(b.io, 64);
  EXPECT_TRUE(std::isfinite(s.amountSmoother.state));
  for (double v : b.l) EXPECT_TRUE(std::isfinite(v));
  s.amount = 0.5;
  s.process(b.io, 64);
  EXPECT_TRUE(std::isfinite(b.l[63]));
}

}  // namespace
