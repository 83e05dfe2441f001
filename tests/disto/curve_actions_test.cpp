#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "Distortion.h"
#include "alloc_hook.h"
#include "test_provider.h"

using Rawnfield::Distortion;
using Rawnfield::DistortionDataProvider;
namespace Types = Rawnfield::Types;

namespace {

constexpr double kPi = 3.141592653589793;

class CurveActions : public ::testing::Test {
protected:
  void SetUp() override {
    unit = std::make_unique<Distortion>(testProvider());
    unit->init();
    unit->setType(27.0 / 42);  // "Rawnfield-Drive3"
  }
  double* base() { return unit->current->base.data; }
  std::vector<double> curve() { return std::vector<double>(base(), base() + unit->current->size); }
  void fill(const std::vector<double>& v) {
    unit->current->allocateMem(static_cast<unsigned short>(v.size()));
    std::copy(v.begin(), v.end(), base());
  }
  void act(int code) { unit->dataAction(static_cast<Types::eDistoCurveAction>(code)); }

  std::unique_ptr<Distortion> unit;
};

TEST_F(CurveActions, RestoreBringsBackTheBuiltInCurve) {
  const std::vector<double> original = curve();
  act(Types::kResetCurve);
  act(Types::kAddNoise);
  ASSERT_NE(curve(), original);
  act(Types::kRestoreCurve);
  EXPECT_EQ(curve(), original);
  EXPECT_EQ(memcmp(base(), testProvider().getCurveData(43), 512 * sizeof(double)), 0);
}

TEST_F(CurveActions, RestoreNeedsACurveOfTheBuiltInLength) {
  fill(std::vector<double>(100, 0.5));
  act(Types::kRestoreCurve);
  EXPECT_EQ(curve(), std::vector<double>(100, 0.5));
}

TEST_F(CurveActions, NormaliseScalesToPeakOne) {
  std::vector<double> v(512);
  for (int i = 0; i < 512; ++i) v[i] = 0.5 * std::sin(i * 0.03);
  v[100] = -0.5;
  fill(v);
  act(Types::kNormalizeCurve);
  EXPECT_EQ(base()[100], -1.0);
  for (int i = 0; i < 512; ++i) ASSERT_NEAR(base()[i], v[i] * 2.0, 1e-15) << i;
  const std::vector<double> once = curve();
  act(Types::kNormalizeCurve);  // already at peak 1
  EXPECT_EQ(curve(), once);
}

TEST_F(CurveActions, NormaliseLeavesSilentCurvesAlone) {
  for (double level : {0.0, 2.220446049250313e-16, -1e-17}) {
    std::vector<double> v(512, 0.0);
    v[3] = level;
    fill(v);
    act(Types::kNormalizeCurve);
    EXPECT_EQ(curve(), v) << level;
  }
}

TEST_F(CurveActions, SmoothAveragesForwardThenBack) {
  fill({1.0, 0.0, 0.0, 0.0});
  act(Types::kSmoothCurve);
  EXPECT_EQ(curve(), (std::vector<double>{0.671875, 0.34375, 0.1875, 0.125}));
  fill(std::vector<double>(512, -0.3));
  act(Types::kSmoothCurve);
  EXPECT_EQ(curve(), std::vector<double>(512, -0.3));
  fill({0.7});
  act(Types::kSmoothCurve);  // fewer than two points
  EXPECT_EQ(curve(), std::vector<double>{0.7});
}

TEST_F(CurveActions, SmoothZeroCrossingTouchesOnlyTheCentre) {
  const std::vector<double> before = curve();
  act(Types::kSmoothZeroCrossing);
  EXPECT_EQ(base()[255], 0.0);
  EXPECT_EQ(base()[256], 0.0);
  for (int i = 0; i < 512; ++i) {
    if (i < 248 || i > 263) {
      ASSERT_EQ(base()[i], before[i]) << i;
    }
  }
  EXPECT_EQ(base()[248], before[248] * 0.875);
  EXPECT_EQ(base()[263], before[263] * 0.875);
}

TEST_F(CurveActions, AddNoiseStaysWithinItsDepthAndRange) {
  const std::vector<double> before = curve();
  srand(77);
  act(Types::kAddNoise);
  const std::vector<double> first = curve();
  bool moved = false;
  for (int i = 0; i < 512; ++i) {
    ASSERT_LE(std::fabs(first[i] - before[i]), 0.0777 + 1e-15) << i;
    ASSERT_GE(first[i], -1.0);
    ASSERT_LE(first[i], 1.0);
    moved = moved || first[i] != before[i];
  }
  EXPECT_TRUE(moved);
  // The same seed gives the same noise; the next call draws new values.
  unit->dataAction(Types::kRestoreCurve);
  srand(77);
  act(Types::kAddNoise);
  EXPECT_EQ(curve(), first);
  unit->dataAction(Types::kRestoreCurve);
  act(Types::kAddNoise);
  EXPECT_NE(curve(), first);
}

TEST_F(CurveActions, QuantiseMakesSixteenRunsOf32) {
  const std::vector<double> before = curve();
  act(Types::kQuantizeCurve);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(base()[i], before[i / 32 * 32]) << i;
  fill(std::vector<double>(15, 0.1));
  base()[3] = 0.9;
  act(Types::kQuantizeCurve);  // too short: unchanged
  EXPECT_EQ(base()[3], 0.9);
}

TEST_F(CurveActions, ResetRestoresTheStraightLineInAllTables) {
  unit->current->second.data[3] = 0.5;
  act(Types::kResetCurve);
  for (const double* t : {base(), unit->current->second.data, unit->current->working.data}) {
    EXPECT_EQ(t[0], -1.0);
    EXPECT_EQ(t[511], 1.0);
    EXPECT_EQ(t[3], 3 * (2.0 / 511) - 1.0);
    EXPECT_LT(t[255], 0.0);
    EXPECT_GT(t[256], 0.0);
    EXPECT_NEAR(t[255], -t[256], 1e-15);
  }
}

TEST_F(CurveActions, UnknownCodesAndMissingCurveChangeNothing) {
  const std::vector<double> before = curve();
  for (int code : {6, 8, 9, 1000, -1}) act(code);
  EXPECT_EQ(curve(), before);
  Distortion fresh(testProvider());  // not initialised: no current curve
  fresh.dataAction(Types::kResetCurve);
  fresh.dataAction(Types::kAddNoise);
  EXPECT_EQ(fresh.current, nullptr);
}

TEST_F(CurveActions, ActionsKeepSizeNameInterpolationAndPolarity) {
  unit->setInterpolation(0.5);
  unit->setPolarity(1.0);
  for (int code : {0, 1, 2, 3, 4, 5, 7}) act(code);
  EXPECT_EQ(unit->current->size, 512);
  EXPECT_EQ(unit->current->name, "Rawnfield-Drive3");
  EXPECT_EQ(unit->current->interpolation, 1u);
  EXPECT_EQ(unit->current->polarity, 2u);
}

TEST_F(CurveActions, CurvePictureSpansTheInputRange) {
  std::vector<double> pic(133);
  unit->updateGUIData(pic.data(), 133, nullptr, 0);
  EXPECT_EQ(pic[0], base()[0]);
  EXPECT_EQ(pic[132], base()[511]);
  // Point 66 is input 0: halfway between entries 255 and 256 (cosine).
  EXPECT_NEAR(pic[66], 0.5 * base()[255] + 0.5 * base()[256], 1e-15);
}

TEST_F(CurveActions, CurvePictureFollowsPolarity) {
  act(Types::kResetCurve);
  for (int i = 0; i < 512; ++i) base()[i] = 0.25;  // second stays straight
  unit->setPolarity(0.5);                          // negative half from second
  unit->setInterpolation(0.5);
  std::vector<double> pic(133);
  unit->updateGUIData(pic.data(), 133, nullptr, 0);
  for (int i = 0; i < 66; ++i) ASSERT_NEAR(pic[i], i * (2.0 / 132) - 1.0, 1e-12) << i;
  for (int i = 67; i < 133; ++i) ASSERT_EQ(pic[i], 0.25) << i;
}

TEST_F(CurveActions, WavePictureIsOneSinePeriodThroughTheUnit) {
  std::vector<double> wave(120);
  unit->updateGUIData(nullptr, 0, wave.data(), 120);  // amount 0: the plain sine
  for (int j = 0; j < 120; ++j) ASSERT_EQ(wave[j], std::sin(2.0 * kPi * j / 120)) << j;

  // With an amount, the picture is what distort() makes of the same sine,
  // including the smoother's progress.
  Distortion twin(testProvider());
  twin.init();
  for (Distortion* d : {unit.get(), &twin}) {
    d->setType(27.0 / 42);
    d->setAmount(0.9);
    d->setDistoMode(1.0);
  }
  for (int n : {120, 700, 3000}) {
    std::vector<double> pic(n), l(n), r(n);
    for (int j = 0; j < n; ++j) l[j] = r[j] = std::sin(2.0 * kPi * j / n);
    twin.setBlockSize(n);
    double* io[2] = {l.data(), r.data()};
    twin.distort(io, nullptr, n);
    unit->updateGUIData(nullptr, 0, pic.data(), static_cast<unsigned short>(n));
    EXPECT_EQ(pic, l) << n;
    EXPECT_EQ(unit->amountSmoother.state, twin.amountSmoother.state) << n;
  }
}

TEST_F(CurveActions, PicturesAndActionsAllocateNothing) {
  unit->setAmount(0.6);
  std::vector<double> pic(133), wave(120);
  AllocationCounter counter;
  for (int code : {0, 1, 2, 3, 4, 5, 6, 7, 8}) act(code);
  unit->updateGUIData(pic.data(), 133, wave.data(), 120);
  double l[64] = {}, r[64] = {};
  double* io[2] = {l, r};
  unit->distort(io, nullptr, 64);
  EXPECT_EQ(counter.count(), 0);
}

}  // namespace
