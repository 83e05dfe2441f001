// The two-lane operations against the scalar expressions they stand for,
// on the values where such replacements usually go wrong: signed zeros,
// halves, the edges of exact integers, NaN, infinities and denormals.
#include "DspLib/Lanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using namespace Dsp;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

const std::vector<double>& values() {
  static const std::vector<double> v = {0.0,
                                        -0.0,
                                        0.5,
                                        -0.5,
                                        1.5,
                                        -1.5,
                                        2.5,
                                        0.49999999999999994,
                                        -1.0,
                                        1.0,
                                        3.7,
                                        -3.7,
                                        1e-310,
                                        -1e-310,
                                        0x1p52 - 0.5,
                                        -(0x1p52 - 0.5),
                                        0x1p52,
                                        -0x1p52,
                                        0x1p52 + 1.0,
                                        0x1p53 + 2.0,
                                        1e300,
                                        -1e300,
                                        kInf,
                                        -kInf,
                                        kNaN,
                                        -kNaN,
                                        4503599627370495.5,
                                        123456789.75};
  return v;
}

bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Every value paired with every other, both lane orders covered.
template <class Check>
void forPairs(Check&& check) {
  for (double a : values())
    for (double b : values()) check(a, b);
}

TEST(Lanes, TruncationIsStdTrunc) {
  forPairs([](double a, double b) {
    const Lanes t = truncateLanes(lanes(a, b));
    EXPECT_TRUE(sameBits(lane0(t), std::trunc(a)) || (std::isnan(a) && std::isnan(lane0(t)))) << a;
    EXPECT_TRUE(sameBits(lane1(t), std::trunc(b)) || (std::isnan(b) && std::isnan(lane1(t)))) << b;
  });
}

TEST(Lanes, MinAndMaxKeepTheTernaryOrder) {
  forPairs([](double a, double b) {
    const Lanes x = lanes(a, b), y = lanes(b, a);
    EXPECT_TRUE(sameBits(lane0(maxLanes(x, y)), a > b ? a : b)) << a << " " << b;
    EXPECT_TRUE(sameBits(lane1(minLanes(x, y)), b < a ? b : a)) << a << " " << b;
  });
}

TEST(Lanes, ComparisonsSelectionAndMagnitude) {
  forPairs([](double a, double b) {
    const Lanes x = lanes(a, b), y = lanes(b, a);
    const Lanes pick = select(lessThan(x, y), splat(1.0), splat(2.0));
    EXPECT_EQ(lane0(pick), a < b ? 1.0 : 2.0);
    EXPECT_TRUE(sameBits(lane0(select(lessEqual(x, y), x, y)), a <= b ? a : b));
    EXPECT_EQ(anyLane(greaterThan(x, y)), a > b || b > a);
    EXPECT_EQ(allLanes(greaterEqual(x, y)), a >= b && b >= a);
    EXPECT_TRUE(sameBits(lane1(absLanes(x)), std::fabs(b)) || std::isnan(b));
    EXPECT_TRUE(sameBits(lane0(keepWhere(lessThan(x, y), x)), a < b ? a : 0.0));
  });
}

TEST(Lanes, TruncationToIntAndBack) {
  for (double v : {0.0, 0.99, 1.0, 510.9999, 511.0, 65534.5}) {
    int a = -1, b = -1;
    const Lanes whole = truncLanes(lanes(v, v + 1.0), a, b);
    EXPECT_EQ(a, static_cast<int>(v));
    EXPECT_EQ(b, static_cast<int>(v + 1.0));
    EXPECT_EQ(lane0(whole), static_cast<double>(a));
    EXPECT_EQ(lane1(whole), static_cast<double>(b));
  }
}

}  // namespace
