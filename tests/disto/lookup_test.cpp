#include "LookUp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using Rawnfield::LookUp;

namespace {

constexpr double kPi = 3.141592653589793;

// Runs the same value through both channels and returns the left result.
double shape(LookUp& lut, double x) {
  double l = x, r = x;
  double* io[2] = {&l, &r};
  lut.process(io, 1);
  EXPECT_EQ(l, r);
  return l;
}

TEST(LookUp, StartsAsTheStraightLineInAllThreeTables) {
  LookUp lut(512);
  EXPECT_EQ(lut.size, 512);
  EXPECT_EQ(lut.sizeMinusOne, 511.0);
  EXPECT_EQ(lut.interpolation, 2u);
  EXPECT_EQ(lut.polarity, 0u);
  EXPECT_TRUE(lut.name.empty());
  for (const LookUp::Table* t : {&lut.base, &lut.second, &lut.working}) {
    ASSERT_NE(t->data, nullptr);
    EXPECT_EQ(t->capacity, 512);
    EXPECT_EQ(t->length, 512);
    EXPECT_EQ(t->data[0], -1.0);
    EXPECT_EQ(t->data[511], 1.0);
    EXPECT_EQ(t->data[256], 256 * (2.0 / 511) - 1.0);
  }
}

TEST(LookUp, EndsAndOutOfRangeInputsReadTheEndEntries) {
  LookUp lut(512);
  lut.base.data[0] = -0.25;
  lut.base.data[511] = 0.75;
  for (unsigned mode : {0u, 1u, 2u}) {
    lut.interpolation = mode;
    EXPECT_EQ(shape(lut, 1.0), 0.75) << mode;
    EXPECT_EQ(shape(lut, 7.0), 0.75) << mode;
    EXPECT_EQ(shape(lut, -1.0), -0.25) << mode;
    EXPECT_EQ(shape(lut, -3.0), -0.25) << mode;
    EXPECT_EQ(shape(lut, std::numeric_limits<double>::quiet_NaN()), -0.25) << mode;
    EXPECT_EQ(shape(lut, -std::numeric_limits<double>::infinity()), -0.25) << mode;
    EXPECT_EQ(shape(lut, std::numeric_limits<double>::infinity()), 0.75) << mode;
  }
}

TEST(LookUp, ZeroInputOnTheLinearRampIsZero) {
  LookUp lut(512);
  lut.interpolation = 1;
  EXPECT_NEAR(shape(lut, 0.0), 0.0, 1e-16);
  lut.interpolation = 2;  // the midpoint weighs both neighbours equally too
  EXPECT_NEAR(shape(lut, 0.0), 0.0, 1e-16);
}

struct ReadCase {
  unsigned mode;
  double x;
  double expected;
};

class LookUpRead : public ::testing::TestWithParam<ReadCase> {};

// A five-point table 0, 1, 4, 9, 16: input -0.6 sits at position 0.8.
TEST_P(LookUpRead, InterpolatesBetweenNeighbours) {
  LookUp lut(5);
  for (int i = 0; i < 5; ++i) lut.base.data[i] = i * i;
  lut.interpolation = GetParam().mode;
  EXPECT_NEAR(shape(lut, GetParam().x), GetParam().expected, 1e-12);
}

const double kCos08 = (1.0 - std::cos(0.8 * kPi)) / 2.0;
const double kCos04 = (1.0 - std::cos(0.4 * kPi)) / 2.0;

INSTANTIATE_TEST_SUITE_P(Modes, LookUpRead,
                         ::testing::Values(ReadCase{0, -0.6, 0.0}, ReadCase{1, -0.6, 0.8},
                                           ReadCase{2, -0.6, kCos08 * 1.0},
                                           // position 2.4 between 4 and 9
                                           ReadCase{0, 0.2, 4.0}, ReadCase{1, 0.2, 4.0 + 0.4 * 5.0},
                                           ReadCase{2, 0.2, (1.0 - kCos04) * 4.0 + kCos04 * 9.0},
                                           // an unknown code reads linearly
                                           ReadCase{7, 0.2, 6.0},
                                           ReadCase{0xffffffffu, -0.6, 0.8}));

TEST(LookUp, PolarityTakesOneHalfFromTheSecondTable) {
  LookUp lut(512);
  lut.interpolation = 1;
  for (int i = 0; i < 512; ++i) lut.base.data[i] = 0.5;
  // second stays the straight line
  lut.polarity = 0;
  EXPECT_EQ(shape(lut, -0.5), 0.5);
  EXPECT_EQ(shape(lut, 0.5), 0.5);
  lut.polarity = 1;
  EXPECT_NEAR(shape(lut, -0.5), -0.5, 1e-15);
  EXPECT_EQ(shape(lut, 0.5), 0.5);
  lut.polarity = 2;
  EXPECT_EQ(shape(lut, -0.5), 0.5);
  EXPECT_NEAR(shape(lut, 0.5), 0.5, 1e-15);
  EXPECT_NEAR(shape(lut, 0.75), 0.75, 1e-15);
  lut.polarity = 3;  // unknown: base only
  EXPECT_EQ(shape(lut, -0.5), 0.5);
  EXPECT_EQ(lut.base.data[0], 0.5);  // the base is never touched
}

// Every block reads the curve as it stands, whichever table it reads from,
// and no block changes an entry of the curve, including the entries a
// shortened curve keeps past its length.
TEST(LookUp, EveryBlockReadsTheCurveAsItStandsAndLeavesItAsItIs) {
  for (uint32_t polarity : {0u, 1u, 2u}) {
    SCOPED_TRACE(polarity);
    LookUp lut(512);
    lut.interpolation = 1;
    lut.polarity = polarity;
    for (int i = 0; i < 512; ++i) lut.base.data[i] = lut.second.data[i] = 0.25;
    EXPECT_EQ(shape(lut, 1.0), 0.25);
    EXPECT_EQ(shape(lut, -1.0), 0.25);
    // An edit between blocks is heard at once at both ends.
    lut.base.data[511] = lut.second.data[511] = -0.0;
    lut.base.data[0] = lut.second.data[0] = 0.75;
    EXPECT_TRUE(std::signbit(shape(lut, 1.0)));
    EXPECT_EQ(shape(lut, 2.0), -0.0);
    EXPECT_EQ(shape(lut, -1.0), 0.75);
    EXPECT_EQ(lut.base.data[511], -0.0);
    // Shortened, the entries past the new length stay as they were.
    lut.base.data[300] = 0.125;
    lut.allocateMem(300);
    lut.base.data[299] = 0.5;
    lut.second.data[299] = 0.5;
    EXPECT_EQ(shape(lut, 1.0), 0.5);
    EXPECT_EQ(lut.base.data[300], 0.125);
  }
}

TEST(LookUp, AllocateMemKeepsTablesThatAreLargeEnough) {
  LookUp lut(512);
  lut.base.data[3] = 0.125;
  double* before = lut.base.data;
  lut.allocateMem(256);
  EXPECT_EQ(lut.base.data, before);
  EXPECT_EQ(lut.base.capacity, 512);
  EXPECT_EQ(lut.size, 256);
  EXPECT_EQ(lut.sizeMinusOne, 255.0);
  EXPECT_EQ(lut.base.data[3], 0.125);
  lut.allocateMem(1000);
  EXPECT_EQ(lut.base.capacity, 1000);
  EXPECT_EQ(lut.second.length, 1000);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(lut.base.data[i], 0.0);  // zeros, not a ramp
}

TEST(LookUp, EmptyCurveSilencesTheBlock) {
  LookUp empty(0);
  EXPECT_EQ(empty.base.data, nullptr);
  EXPECT_EQ(shape(empty, 0.7), 0.0);
  // A table cut to no entries keeps its arrays but must not read them.
  LookUp cut(512);
  cut.allocateMem(0);
  EXPECT_EQ(shape(cut, 0.7), 0.0);
}

TEST(LookUp, SinglePointCurveHoldsMinusOne) {
  LookUp one(1);
  EXPECT_EQ(one.base.data[0], -1.0);
  EXPECT_EQ(shape(one, 0.3), -1.0);
}

TEST(LookUp, NothingHappensWithoutABlock) {
  LookUp lut(512);
  for (int i = 0; i < 512; ++i) lut.base.data[i] = 0.5;
  double l = 0.3, r = 0.3;
  double* io[2] = {&l, &r};
  lut.process(io, 0);
  lut.process(nullptr, 1);
  EXPECT_EQ(l, 0.3);
  EXPECT_EQ(lut.working.data[0], -1.0);  // not even rebuilt
}

TEST(LookUp, SmoothZeroCrossingFadesSixteenCentreEntries) {
  LookUp lut(512);
  for (int i = 0; i < 512; ++i) lut.base.data[i] = 1.0;
  lut.smoothZeroCrossing();
  for (int i = 0; i < 512; ++i) {
    double expected = 1.0;
    if (i >= 256 && i <= 263) expected = (i - 256) / 8.0;
    if (i >= 248 && i <= 255) expected = (255 - i) / 8.0;
    EXPECT_EQ(lut.base.data[i], expected) << i;
  }
}

TEST(LookUp, SmoothZeroCrossingOnShortCurves) {
  std::vector<double> three(3, 1.0);
  LookUp::smoothZeroCrossing(three.data(), 3);
  EXPECT_EQ(three, std::vector<double>(3, 1.0));
  std::vector<double> six(6, 1.0);
  LookUp::smoothZeroCrossing(six.data(), 6);  // three entries per side
  EXPECT_EQ(six, (std::vector<double>{0.25, 0.125, 0.0, 0.0, 0.125, 0.25}));
}

}  // namespace
