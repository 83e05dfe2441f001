// Envelope coefficients and display curves.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ADSR.h"
#include "PitchEnvelope.h"

using namespace Rawnfield;

namespace {

// Runs y = y c + base for n steps from y0.
double walk(double y0, double c, double base, int n) {
  for (int i = 0; i < n; ++i) y0 = y0 * c + base;
  return y0;
}

TEST(ADSR, ShapeSetsBothTargetRatios) {
  ADSR e("amp");
  EXPECT_EQ(e.name, "amp");
  EXPECT_DOUBLE_EQ(e.shape, 0.3);
  EXPECT_DOUBLE_EQ(e.targetRatioDR, 4.0 * 0.027 + 1.9800523e-6);
  EXPECT_DOUBLE_EQ(e.targetRatioA, 20.0 * 0.027 + 1.9800523e-6);
  e.setShape(0.0);
  EXPECT_DOUBLE_EQ(e.targetRatioA, 1.9800523e-6);
  EXPECT_DOUBLE_EQ(e.targetRatioDR, 1.9800523e-6);
  e.setShape(1.0);
  EXPECT_DOUBLE_EQ(e.targetRatioA, 20.0000019800523);
  EXPECT_DOUBLE_EQ(e.targetRatioDR, 4.0000019800523);
  e.setShape(-1.0);  // negative cubes are held at the floor
  EXPECT_DOUBLE_EQ(e.targetRatioA, 1e-9);
  e.setTargetRatioA(0.0);
  EXPECT_DOUBLE_EQ(e.targetRatioA, 1e-9);
  e.setTargetRatioDR(0.5);
  EXPECT_DOUBLE_EQ(e.targetRatioDR, 0.5);
  EXPECT_DOUBLE_EQ(e.releaseBase, -0.5 * (1.0 - e.releaseCoef));
}

// A segment of rate r samples reaches its end in exactly r steps: the
// attack climbs from 0 to 1 (aimed at 1 + ratio) and the release falls
// from 1 to 0 (aimed at -ratio), whatever the shape.
TEST(ADSR, SegmentsReachTheirEndsInTheirTime) {
  for (double shape : {0.0, 0.3, 1.0}) {
    ADSR e("x");
    e.setShape(shape);
    e.setAttack(0.05);  // 441 samples at 0.2 s per unit
    e.setRelease(0.1);  // 882
    ASSERT_DOUBLE_EQ(e.attackRate, 441.0);
    ASSERT_DOUBLE_EQ(e.releaseRate, 882.0);
    EXPECT_NEAR(walk(0.0, e.attackCoef, e.attackBase, 441), 1.0, 1e-9) << shape;
    EXPECT_LT(walk(0.0, e.attackCoef, e.attackBase, 440), 1.0) << shape;
    EXPECT_NEAR(walk(1.0, e.releaseCoef, e.releaseBase, 882), 0.0, 1e-9) << shape;
  }
}

TEST(ADSR, DecayAimsBelowTheSustainLevel) {
  ADSR e("x");
  e.setDecay(0.2);
  e.setSustain(0.4);
  EXPECT_DOUBLE_EQ(e.sustainLevel, 0.4);
  EXPECT_DOUBLE_EQ(e.decayBase, (1.0 - e.decayCoef) * (0.4 - e.targetRatioDR));
  // Far along the decay the curve sits at its target, ratio below sustain.
  EXPECT_NEAR(walk(1.0, e.decayCoef, e.decayBase, 200000), 0.4 - e.targetRatioDR, 1e-9);
}

TEST(ADSR, ZeroTimeJumpsInOneStep) {
  ADSR e("x");
  e.setAttack(0.0);
  EXPECT_EQ(e.attackCoef, 0.0);
  EXPECT_DOUBLE_EQ(walk(0.0, e.attackCoef, e.attackBase, 1), 1.0 + e.targetRatioA);
  EXPECT_EQ(ADSR::calcCoef(-3.0, 0.5), 0.0);
  EXPECT_DOUBLE_EQ(ADSR::calcCoef(2.0, 1.0), std::sqrt(0.5));
}

TEST(ADSR, DurationScaleKeepsTheTimeControls) {
  ADSR e("x");
  e.setAttack(0.5);
  e.setDecay(0.25);
  e.setDuration(0.1);
  EXPECT_DOUBLE_EQ(e.durationScale, 0.5);
  EXPECT_DOUBLE_EQ(e.attackRate, 0.5 * 0.5 * 44100.0);
  EXPECT_DOUBLE_EQ(e.decayRate, 0.25 * 0.5 * 44100.0);
  EXPECT_DOUBLE_EQ(e.attackCoef, ADSR::calcCoef(e.attackRate, e.targetRatioA));
  e.setDuration(0.0005);
  EXPECT_DOUBLE_EQ(e.durationScale, 0.005);
  EXPECT_DOUBLE_EQ(e.attackRate, 0.5 * 0.005 * 44100.0);
}

TEST(ADSR, DisplayCurve) {
  ADSR e("x");
  e.setAttack(0.5);  // a third of 300 points x 0.5 = 50
  e.setDecay(0.3);
  e.setSustain(0.6);
  e.setRelease(0.3);  // 30 points
  std::vector<double> buf(300, 9.0);
  e.getGuiData(buf.data(), 300, 2.0);
  const double ca = ADSR::calcCoef(50.0, e.targetRatioA);
  const double base = (1.0 - ca) * (1.0 + e.targetRatioA);
  EXPECT_EQ(buf[0], 0.0);
  EXPECT_DOUBLE_EQ(buf[1], 2.0 * (base * ca + base));
  EXPECT_NEAR(buf[49], 2.0, 1e-6);  // the attack ends at the top
  // Decay from 1 towards the sustain level, never below it.
  EXPECT_LT(buf[50], 2.0);
  for (int i = 51; i < 270; ++i) {
    ASSERT_LE(buf[i], buf[i - 1]) << i;
    ASSERT_GE(buf[i], 1.2) << i;
  }
  // Release to 0; the last point is 0.
  for (int i = 271; i < 300; ++i) ASSERT_LE(buf[i], buf[i - 1]) << i;
  EXPECT_EQ(buf[299], 0.0);
}

// Time controls beyond 1 would give segments longer than the curve: they
// are cut to fit, and nothing is written past the n points.
TEST(ADSR, LongTimesStayWithinTheCurve) {
  const struct {
    double attack, release;
  } cases[] = {{2.0, 2.0}, {5.0, 0.1}, {0.1, 9.0}, {-1.0, -1.0}};
  for (const auto& c : cases) {
    ADSR e("x");
    e.setAttack(c.attack);
    e.setRelease(c.release);
    e.setDecay(0.1);
    std::vector<double> buf(120, -7.0);
    e.getGuiData(buf.data(), 100, 1.0);
    for (int i = 100; i < 120; ++i) ASSERT_EQ(buf[i], -7.0) << c.attack << " " << c.release;
    for (int i = 0; i < 100; ++i) {
      ASSERT_TRUE(std::isfinite(buf[i]));
      ASSERT_GE(buf[i], 0.0);
      ASSERT_LE(buf[i], 1.0);
    }
  }
}

TEST(PitchEnvelope, Settings) {
  PitchEnvelope p;
  p.setPitchDuration(0.3);
  EXPECT_DOUBLE_EQ(p.getPitchDurationSec(), 0.6);
  EXPECT_DOUBLE_EQ(p.getPitchDuration(), 0.3);
  p.setPitchPower(0.0);
  EXPECT_DOUBLE_EQ(p.getPitchPower(), 0.002);
  p.setPitchPower(0.5);
  EXPECT_DOUBLE_EQ(p.getPitchPower(), 0.5);
  p.setPitchAmount(0.25);
  EXPECT_EQ(p.getPitchAmount(), 0.25);
  p.setPitchDown(0.1);
  EXPECT_EQ(p.getPitchDown(), 0.1);
  p.setSampleRate(48000.0);
  EXPECT_EQ(p.getSampleRate(), 48000.0);
}

TEST(PitchEnvelope, DisplayCurve) {
  PitchEnvelope p;
  p.setPitchAmount(0.5);
  p.setPitchPower(0.05);  // exponent 1
  p.setPitchDown(0.2);
  std::vector<double> buf(100);
  p.updateGUIData(buf.data(), 100);
  const double span = 2.0005, end = 0.0005 + 0.1;
  EXPECT_EQ(buf[0], 0.0);
  // During the sweep: amount x max x (1 - u) less the growing drop.
  const double t = span * 3 / 100;
  const double u = (t - 0.0005) / 0.1;
  const double v = 0.5 * 20.0 * (1.0 - u) - 0.2 * t / end;
  EXPECT_NEAR(buf[3], v / 20.0, 1e-12);
  // After it, the full drop (negative values are kept as they are).
  EXPECT_NEAR(buf[99], -0.2, 1e-15);
  p.setBypass(true);
  EXPECT_TRUE(p.getBypass());
  p.updateGUIData(buf.data(), 100);
  for (double b : buf) EXPECT_EQ(b, 0.0);
  p.updateGUIData(buf.data(), 0);  // nothing
}

}  // namespace
