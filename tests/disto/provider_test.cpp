#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "DistortionDataProvider.h"
#include "test_provider.h"

using Rawnfield::DistoData;
using Rawnfield::DistortionDataProvider;

namespace {

class Provider : public ::testing::Test {
protected:
  static const double* curve(int i) { return testProvider().getCurveData(i); }
  static double positive(int c, int j) { return curve(c)[256 + j]; }
  static double negative(int c, int j) { return curve(c)[255 - j]; }
  static double x(int j) { return curve(0)[256 + j]; }
  static double peak(int c) {
    double p = 0.0;
    for (int i = 0; i < 512; ++i) p = std::fmax(p, std::fabs(curve(c)[i]));
    return p;
  }
};

TEST_F(Provider, HoldsEightyFiveCurvesOf512FiniteValuesInRange) {
  for (int c = 0; c < DistortionDataProvider::kNumCurves; ++c) {
    const DistoData& d = testProvider().getCurve(c);
    ASSERT_EQ(d.size, 512) << c;
    for (int i = 0; i < 512; ++i) {
      ASSERT_TRUE(std::isfinite(d.data[i])) << c << " " << i;
      ASSERT_GE(d.data[i], -1.0) << c << " " << i;
      ASSERT_LE(d.data[i], 1.0) << c << " " << i;
    }
  }
  EXPECT_EQ(testProvider().getCurveData(85), curve(0));
  EXPECT_EQ(testProvider().getCurveData(-1), curve(0));
}

TEST_F(Provider, CurveZeroIsTheGrid) {
  EXPECT_EQ(curve(0)[0], -1.0);
  EXPECT_EQ(curve(0)[256], 0.001956947162426559);
  EXPECT_NEAR(curve(0)[255], -1.0 / 511, 1e-15);
  EXPECT_EQ(curve(0)[511], 1.0);
}

TEST_F(Provider, TwoProvidersInARowHoldIdenticalCurves) {
  srand(4242);  // whatever was drawn before, each provider seeds first
  for (int i = 0; i < 17; ++i) rand();
  DistortionDataProvider second;
  for (int c = 0; c < DistortionDataProvider::kNumCurves; ++c)
    EXPECT_EQ(memcmp(second.getCurveData(c), curve(c), 512 * sizeof(double)), 0) << c;
}

// Curves written with odd mirroring and not smoothed afterwards.
TEST_F(Provider, OddCurvesMirrorExactly) {
  for (int c : {1,  2,  3,  4,  5,  6,  7,  8,  9,  17, 18, 29, 34, 35,
                36, 37, 38, 39, 40, 41, 42, 43, 44, 52, 81, 82, 83, 84}) {
    for (int j = 0; j < 256; ++j) ASSERT_EQ(negative(c, j), -positive(c, j)) << c << " " << j;
  }
}

TEST_F(Provider, SoftLimitersAreFlatAboveTheirKnee) {
  for (int j = 0; j < 256; ++j) {
    if (x(j) > 0.6) {
      ASSERT_NEAR(positive(4, j), 0.524198838852486, 1e-15) << j;
      ASSERT_NEAR(negative(4, j), -0.524198838852486, 1e-15) << j;
    }
    if (x(j) > 0.985) {
      ASSERT_NEAR(positive(83, j), 0.980415102098261, 1e-15) << j;
    }
    if (x(j) < 0.4) {
      ASSERT_EQ(positive(4, j), x(j)) << j;
    }
  }
  EXPECT_EQ(positive(4, 153), positive(4, 152));  // knee ends at 152
  EXPECT_NE(positive(4, 152), positive(4, 151));
  EXPECT_EQ(positive(4, 101), x(101));  // knee starts at 102
  EXPECT_NE(positive(4, 102), x(102));
  EXPECT_EQ(positive(83, 252), positive(83, 251));
  EXPECT_NE(positive(83, 251), positive(83, 250));
  EXPECT_EQ(positive(83, 248), x(248));
}

TEST_F(Provider, SingleFormulaCurvesHitTheirTellingValues) {
  EXPECT_EQ(positive(7, 255), 1.0);
  for (int j = 144; j < 256; ++j) ASSERT_EQ(positive(6, j), 1.0) << j;
  EXPECT_LT(positive(6, 143), 1.0);
  for (int i = 0; i < 512; ++i)
    ASSERT_EQ(curve(8)[i], i >= 254 && i <= 257 ? 0.0 : (i < 256 ? -1.0 : 1.0)) << i;
  EXPECT_EQ(positive(9, 0), 0.0);
  EXPECT_NEAR(positive(9, 1), 0.07347287747293677, 1e-16);
  EXPECT_NEAR(positive(9, 255), 1.0, 1e-15);
  EXPECT_NEAR(positive(17, 127), 0.9681017612524462, 1e-15);
  EXPECT_EQ(positive(17, 128), 0.97);
  EXPECT_NEAR(positive(17, 255), 0.7294, 1e-4);
  for (int j = 204; j < 256; ++j) ASSERT_NEAR(positive(34, j), 0.2 * x(j) + 0.64, 1e-15) << j;
  EXPECT_NEAR(positive(34, 255), 0.84, 1e-15);
  EXPECT_NEAR(positive(34, 98), -0.990, 1e-3);
  for (int j = 0; j < 204; ++j) ASSERT_GE(positive(34, j), positive(34, 98)) << j;
  EXPECT_EQ(curve(38)[255], -1.0);
  EXPECT_EQ(curve(38)[256], 1.0);
  EXPECT_EQ(curve(38)[0], 0.0);
  EXPECT_EQ(curve(38)[511], 0.0);
  EXPECT_EQ(positive(81, 127), 0.49706457925636005);
  EXPECT_EQ(positive(81, 128), 0.5009784735812133);
  EXPECT_EQ(positive(81, 255), 0.6998043052837573);
  for (int j = 169; j < 256; ++j) ASSERT_EQ(positive(82, j), 1.0) << j;
  EXPECT_LT(positive(82, 168), 1.0);
}

TEST_F(Provider, SmoothedCurvesAreNotOddAndStairwayEndsBelowFullScale) {
  for (int c : {13, 14}) {
    bool odd = true;
    for (int j = 0; j < 256; ++j) odd = odd && negative(c, j) == -positive(c, j);
    EXPECT_FALSE(odd) << c;
  }
  EXPECT_EQ(curve(53)[511], 0.75);
  EXPECT_EQ(curve(53)[0], -0.8333333333333333);
  EXPECT_EQ(curve(53)[255], 0.0);
  EXPECT_EQ(curve(53)[256], 0.0);
}

TEST_F(Provider, NormalisedCurvesPeakAtExactlyOne) {
  for (int c : {19, 20, 21, 22, 29, 30, 31, 41, 42, 43, 44, 47, 84}) EXPECT_EQ(peak(c), 1.0) << c;
  EXPECT_LT(peak(48), 1.0);  // smoothed after normalising
  EXPECT_GT(peak(48), 0.9);
}

TEST_F(Provider, DriveFamiliesKeepTheirShapes) {
  // Curve 21 joins 19's positive half and 20's negative half. The smoothing
  // forgets a neighbour's influence by half per point, so far from the centre
  // 21 is its source curve up to the peak each was normalised by.
  const double up = curve(21)[500] / curve(19)[500];
  for (int i = 320; i < 512; ++i) ASSERT_NEAR(curve(21)[i], up * curve(19)[i], 1e-12) << i;
  const double down = curve(21)[10] / curve(20)[10];
  for (int i = 0; i < 190; ++i) ASSERT_NEAR(curve(21)[i], down * curve(20)[i], 1e-12) << i;
  EXPECT_EQ(curve(33)[255], 0.0);
  EXPECT_EQ(curve(33)[256], 0.0);
  EXPECT_TRUE(std::signbit(curve(33)[255]));
  // Curve 30 is lifted by 0.2 on its positive side.
  EXPECT_GT(positive(30, 0) + negative(30, 0), 0.1);
}

TEST_F(Provider, HardcoreAndIndustrialRegions) {
  const double k1 = 0.49387145920792097;
  for (int j = 7; j <= 43; ++j) {
    ASSERT_EQ(positive(45, j), 1.0) << j;
    ASSERT_EQ(negative(45, j), 0.0) << j;
  }
  for (int j = 55; j <= 99; ++j) ASSERT_EQ(positive(45, j), k1) << j;
  for (int j = 117; j <= 154; ++j) ASSERT_EQ(positive(45, j), k1) << j;
  for (int j = 100; j <= 116; ++j) ASSERT_EQ(positive(45, j), 1.0) << j;
  EXPECT_NEAR(positive(46, 75), 0.9266825849154848, 1e-15);
  EXPECT_LT(positive(46, 82), 1.0);
  for (int j = 83; j <= 154; ++j) ASSERT_EQ(positive(46, j), 1.0) << j;
  EXPECT_EQ(positive(47, 0), 0.0);
  EXPECT_EQ(negative(47, 0), -0.0);
  EXPECT_EQ(positive(49, 0), x(0) + 0.0108025);
}

struct Telling {
  int curve;
  double e0, e255, e256, e511;
};

TEST_F(Provider, StoredCurvesKeepTheirTellingValues) {
  const Telling cases[] = {
      {58, -1.0, -0.000178398297757, 0.000757691910431, 0.898811399986555},
      {63, -0.977743284176264, -7.777e-12, 3.777e-12, 0.710818817748283},
      {80, -0.798364207892087, -0.035981322672201, -0.018768883327738, 0.417615283669546},
      {61, 0.787772608127747, -7.77e-13, 7.77e-13, 0.931241231424318},
      {79, 0.304971223447586, 0.068581781091193, 0.176997183932639, 0.589566386313694},
  };
  for (const Telling& t : cases) {
    EXPECT_DOUBLE_EQ(curve(t.curve)[0], t.e0) << t.curve;
    EXPECT_DOUBLE_EQ(curve(t.curve)[255], t.e255) << t.curve;
    EXPECT_DOUBLE_EQ(curve(t.curve)[256], t.e256) << t.curve;
    EXPECT_DOUBLE_EQ(curve(t.curve)[511], t.e511) << t.curve;
  }
}

TEST_F(Provider, StoredCurvesAreDistinctAndNotOdd) {
  for (int c = 54; c <= 80; ++c) {
    bool odd = true;
    for (int j = 0; j < 256; ++j) odd = odd && negative(c, j) == -positive(c, j);
    EXPECT_FALSE(odd) << c;
    for (int other = 54; other < c; ++other)
      EXPECT_NE(memcmp(curve(c), curve(other), 512 * sizeof(double)), 0) << c << " " << other;
  }
}

TEST(DistoData, SmoothZeroCrossingOnAnAllOnesCurve) {
  DistoData d(512);
  for (int i = 0; i < 512; ++i) d.data[i] = 1.0;
  d.smoothZeroCrossing();
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(d.data[256 + k], k * 0.125);
    EXPECT_EQ(d.data[255 - k], k * 0.125);
  }
  for (int i = 0; i < 248; ++i) ASSERT_EQ(d.data[i], 1.0);
  for (int i = 264; i < 512; ++i) ASSERT_EQ(d.data[i], 1.0);
}

TEST(DistoData, SmoothZeroCrossingOnAShortCurveStaysInside) {
  DistoData d(6);
  for (int i = 0; i < 6; ++i) d.data[i] = 1.0;
  d.smoothZeroCrossing();  // three entries per side; the sanitizer build checks bounds
  EXPECT_EQ(std::vector<double>(d.data, d.data + 6),
            (std::vector<double>{0.25, 0.125, 0.0, 0.0, 0.125, 0.25}));
}

TEST(DistoData, StartsZeroed) {
  DistoData d(512);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(d.data[i], 0.0);
  DistoData empty(0);
  EXPECT_EQ(empty.size, 0);
}

TEST(ConvertData, NullTableGivesZeros) {
  DistoData d(512);
  for (int i = 0; i < 512; ++i) d.data[i] = 0.5;
  DistortionDataProvider::convertData(d, nullptr, 512);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(d.data[i], 0.0) << i;
}

TEST(ConvertData, FullTableIsCopiedSanitisedAndClamped) {
  std::vector<double> t(512);
  for (int i = 0; i < 512; ++i) t[i] = std::sin(i * 0.05) * 0.9;
  t[10] = std::numeric_limits<double>::quiet_NaN();
  t[20] = std::numeric_limits<double>::infinity();
  t[30] = -std::numeric_limits<double>::infinity();
  t[40] = 2.5;
  t[50] = -7.0;
  DistoData d(512);
  DistortionDataProvider::convertData(d, t.data(), 512);
  for (int i = 0; i < 512; ++i) {
    double expected = t[i];
    if (i == 10 || i == 20 || i == 30) expected = 0.0;
    if (i == 40) expected = 1.0;
    if (i == 50) expected = -1.0;
    ASSERT_NEAR(d.data[i], expected, 1e-15) << i;
  }
}

TEST(ConvertData, ShortTableIsResampledWithCosineInterpolation) {
  const double t[3] = {-1.0, 0.0, 0.5};
  DistoData d(512);
  DistortionDataProvider::convertData(d, t, 3);
  EXPECT_EQ(d.data[0], -1.0);
  EXPECT_EQ(d.data[511], 0.5);
  // Entry 128 is the input -1 + 256/511: position 2 * 128/511 between the
  // first two points.
  const double pos = ((128 * 0.003913894324853229 - 1.0) + 1.0) * 0.5 * 2.0;
  const double w = (1.0 - std::cos(pos * 3.141592653589793)) / 2.0;
  EXPECT_NEAR(d.data[128], (1.0 - w) * -1.0, 1e-15);
}

TEST(ConvertData, WritesNoMoreThanTheCurveHolds) {
  std::vector<double> t(512, 0.25);
  DistoData small(100);
  DistortionDataProvider::convertData(small, t.data(), 512);  // the sanitizer build checks bounds
  for (int i = 0; i < 100; ++i) ASSERT_EQ(small.data[i], 0.25);
}

TEST(SoftLimiter, ShapesAnyCurveWithTheGivenKnee) {
  DistortionDataProvider p;
  DistoData d(512);
  p.initSoftLimiter(d, 0.5, 0.2, 4.0);
  EXPECT_EQ(memcmp(d.data, p.getCurveData(4), sizeof(double) * 512), 0);
  DistoData none(0);
  p.initSoftLimiter(none, 0.5, 0.2, 4.0);  // nothing to do, nothing to crash
}

}  // namespace
