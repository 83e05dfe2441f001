// Curve actions, the drawn curve and the curve display; the peak meters'
// reset. While the plug-in is inactive they apply at once, while active
// they wait for the next block.
#include <cmath>

#include "DrawnCurve.h"
#include "effect_fixture.h"

namespace {

namespace Tags = Rawnfield::Harshbloom;
using Rawnfield::DrawnCurve;
using Rawnfield::Types::kResetCurve;

double entry(const Harshbloom& plug, int chain, int i) {
  return plug.getDistoFx().chains[chain].distortion.getLutValue(static_cast<unsigned short>(i));
}

double ramp(int i) {
  return -1.0 + 2.0 * i / 511.0;
}

// A curve unlike the ramp in every chain.
void bend(Harshbloom& plug) {
  setParam(plug, Tags::kDistortionType, 20.0 / 42.0);
  ASSERT_NE(entry(plug, 0, 300), ramp(300));
}

void block(Harshbloom& plug, int n = 64) {
  Block in(n, 0.1, 0.1);
  runBlock(plug, in);
}

}  // namespace

// The linear ramp at once in all three curves, shown negated, one point per
// column: a 300-column editor shows entries floor(i/300 * 511).
TEST(CurveActions, InactiveActionAppliesAtOnceToAllChains) {
  auto plug = makeEffect();
  bend(*plug);
  DrawnCurve curve(300);
  plug->setCurveEditor(&curve);
  plug->distoCurveAction(kResetCurve);
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 512; i += 7)
      EXPECT_NEAR(entry(*plug, c, i), ramp(i), 1e-12) << c << " " << i;
  for (int i = 0; i < 300; ++i) {
    const int k = static_cast<int>(std::floor(i / 300.0 * 511));
    EXPECT_EQ(curve.value(i), -entry(*plug, 0, k)) << i;
  }
  EXPECT_EQ(plug->getPendingCurveAction(), Rawnfield::Types::kNoCurveAction);
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kCurveEditor));
  EXPECT_EQ(plug->getCurveView(), Harshbloom::kDistortionView);
  plug->setCurveEditor(nullptr);
}

TEST(CurveActions, ActiveActionWaitsForTheNextBlockAndAppliesOnce) {
  auto plug = makeEffect();
  bend(*plug);
  const double before = entry(*plug, 1, 300);
  plug->OnActivate(true);
  plug->distoCurveAction(kResetCurve);
  EXPECT_EQ(entry(*plug, 0, 300), before);
  EXPECT_EQ(entry(*plug, 1, 300), before);
  EXPECT_EQ(plug->getPendingCurveAction(), kResetCurve);
  block(*plug);
  EXPECT_EQ(plug->getPendingCurveAction(), Rawnfield::Types::kNoCurveAction);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(entry(*plug, c, 300), ramp(300), 1e-12);
  // Once: a curve changed after the block stays changed.
  setParam(*plug, Tags::kDistortionType, 33.0 / 42.0);
  const double after = entry(*plug, 0, 300);
  block(*plug);
  EXPECT_EQ(entry(*plug, 0, 300), after);
}

// A request left when the stream stops is applied then, not forgotten.
TEST(CurveActions, DeactivationAppliesWhatIsLeft) {
  auto plug = makeEffect();
  bend(*plug);
  plug->OnActivate(true);
  plug->distoCurveAction(kResetCurve);
  plug->OnActivate(false);
  EXPECT_NEAR(entry(*plug, 2, 300), ramp(300), 1e-12);
  EXPECT_EQ(plug->getPendingCurveAction(), Rawnfield::Types::kNoCurveAction);
}

TEST(CurveActions, ActionSixChangesNothingButRefreshesTheDisplays) {
  auto plug = makeEffect();
  bend(*plug);
  const std::string before = stateOf(*plug);
  plug->takeDirty(Harshbloom::kCurveEditor);
  plug->takeDirty(Harshbloom::kCurvePreview);
  plug->distoCurveAction(static_cast<Rawnfield::Types::eDistoCurveAction>(6));
  EXPECT_TRUE(sameBytes(stateOf(*plug), before));
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kCurveEditor));
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kCurvePreview));
}

// Drawn values (screen orientation, so negated) reach all three curves:
// at once while inactive, by the next block while active.
TEST(DrawnValues, ReachAllThreeCurves) {
  for (bool active : {false, true}) {
    SCOPED_TRACE(active);
    auto plug = makeEffect();
    DrawnCurve curve(133);
    plug->setCurveEditor(&curve);
    for (int k = 0; k < 133; ++k) curve.setCurveValue(k, 0.5);
    curve.markChanged();
    if (active) plug->OnActivate(true);
    if (curve.takeChanged()) plug->updateDistoCurveValuesFromGUI();
    if (active) {
      EXPECT_NE(entry(*plug, 1, 100), -0.5);
      EXPECT_TRUE(curve.isChanged());  // handed to the block
      block(*plug);
      EXPECT_FALSE(curve.isChanged());
    }
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < 512; i += 9) EXPECT_EQ(entry(*plug, c, i), -0.5) << c << " " << i;
    plug->setCurveEditor(nullptr);
  }
}

// While the effect units are bypassed the drawn values wait.
TEST(DrawnValues, WaitWhileTheEffectUnitsAreBypassed) {
  auto plug = makeEffect();
  DrawnCurve curve(133);
  plug->setCurveEditor(&curve);
  plug->OnActivate(true);
  setParam(*plug, Tags::kBypassFX, 1.0);
  for (int i = 0; i < 4; ++i) block(*plug, 512);
  const double before = entry(*plug, 0, 100);
  for (int k = 0; k < 133; ++k) curve.setCurveValue(k, 0.25);
  curve.markChanged();
  block(*plug);
  EXPECT_EQ(entry(*plug, 0, 100), before);
  EXPECT_TRUE(curve.isChanged());
  setParam(*plug, Tags::kBypassFX, 0.0);
  block(*plug, 512);  // the gain falls below the limit during this block
  block(*plug);
  EXPECT_EQ(entry(*plug, 0, 100), -0.25);
  plug->setCurveEditor(nullptr);
}

TEST(DrawnCurve, StartsAsTheIdentityInScreenOrientation) {
  DrawnCurve curve(133);
  EXPECT_EQ(curve.size(), 133);
  EXPECT_DOUBLE_EQ(curve.getCurveValue(0.0), 1.0);
  EXPECT_NEAR(curve.getCurveValue(0.5), 0.0, 1e-12);
  EXPECT_EQ(curve.getCurveValue(1.0), curve.value(132));
  EXPECT_EQ(curve.getCurveValue(7.0), curve.value(132));
  EXPECT_EQ(curve.getCurveValue(-3.0), 1.0);
  EXPECT_EQ(curve.value(133), 0.0);
  curve.setCurveValue(133, 0.7);  // outside: ignored
  curve.setCurveValue(-1, 0.7);
  EXPECT_EQ(curve.value(132), 1.0 - 2.0 * 132 / 133);
}

// Cubic through the neighbouring columns, clamped to -1..1 even where the
// stored values are not.
TEST(DrawnCurve, InterpolatesCubicallyAndClamps) {
  DrawnCurve curve(10);
  const double v[10] = {0.1, -0.3, 0.5, 0.2, -0.4, 0.0, 0.9, -0.8, 0.3, 0.6};
  for (int k = 0; k < 10; ++k) curve.setCurveValue(k, v[k]);
  const double x = 0.43;  // i = 4, t = 0.3
  const double t = std::fmod(x, 0.1) / 0.1;
  const double y0 = v[3], y1 = v[4], y2 = v[5], y3 = v[6];
  const double a = y3 - y2 - y0 + y1;
  EXPECT_DOUBLE_EQ(curve.getCurveValue(x),
                   a * t * t * t + (y0 - y1 - a) * t * t + (y2 - y0) * t + y1);
  EXPECT_EQ(curve.getCurveValue(0.4), v[4]);
  // Columns 0 and 1 share the left neighbour column 0.
  curve.setCurveValue(3, 5.0);
  curve.setCurveValue(4, 5.0);
  EXPECT_EQ(curve.getCurveValue(0.35), 1.0);
  curve.setCurveValue(3, -5.0);
  curve.setCurveValue(4, -5.0);
  EXPECT_EQ(curve.getCurveValue(0.35), -1.0);
}

TEST(PeakMeters, ResetAtOnceWhileInactiveAndByTheBlockWhileActive) {
  auto plug = makeEffect();
  Block loud(256, 0.9, -0.6);
  runBlock(*plug, loud);
  ASSERT_GT(plug->GetMaxSampleValue(), 0.5);
  plug->ResetMaxLevels();
  EXPECT_EQ(plug->GetMaxSampleValue(), 0.0);

  runBlock(*plug, loud);
  const double peak = plug->GetMaxSampleValue();
  plug->OnActivate(true);
  plug->ResetMaxLevels();
  EXPECT_EQ(plug->GetMaxSampleValue(), peak);
  Block quiet(64);
  runBlock(*plug, quiet);
  EXPECT_EQ(plug->GetMaxSampleValue(), 0.0);
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kMaxLevelText));
}
