// CurveMath's sine and cosine against a long-double reference over the
// arguments the curve code hands them, and the same bits from every lane
// width.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "CurveMath.h"

using namespace Rawnfield;
using CurveMath::kPi;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// |got - ref| in units of the last place of ref as a double.
double ulpsOff(double got, long double ref) {
  int e = 0;
  std::frexp(ref, &e);
  long double unit = std::ldexp(1.0L, e - 53);
  if (e - 53 < -1074) unit = std::ldexp(1.0L, -1074);
  return static_cast<double>(std::fabs(static_cast<long double>(got) - ref) / unit);
}

// How many doubles apart a and b are (both finite, same sign or zero).
int64_t stepsApart(double a, double b) {
  int64_t ia, ib;
  std::memcpy(&ia, &a, sizeof ia);
  std::memcpy(&ib, &b, sizeof ib);
  if (ia < 0) ia = INT64_MIN - ia;
  if (ib < 0) ib = INT64_MIN - ib;
  return ia > ib ? ia - ib : ib - ia;
}

// x and its neighbours up to three doubles away on either side.
void withNeighbours(std::vector<double>& to, double x) {
  double up = x, down = x;
  to.push_back(x);
  for (int k = 0; k < 3; ++k) {
    up = std::nextafter(up, kInf);
    down = std::nextafter(down, -kInf);
    to.push_back(up);
    to.push_back(down);
  }
}

enum Function { kSine, kCosine };

// A family of arguments as the code forms them from a variable v in
// [lo, hi]: x = kPi * v (the shaper's sin(pi p), the curve's cos(pi f)) or
// x = v * kPi / 2 (the drive's sin(pi y / 2)).
struct Range {
  const char* name;
  Function f;
  double lo, hi;
  bool halfPi;
  double maxUlps;  // relative to the result
};

std::ostream& operator<<(std::ostream& o, const Range& r) {
  return o << r.name;
}

double argument(const Range& r, double v) {
  return r.halfPi ? v * kPi / 2.0 : kPi * v;
}

// v on an even grid, at random, and next to the values where the reduction
// changes its multiple of pi/2 or meets one exactly.
std::vector<double> variables(const Range& r) {
  std::vector<double> v;
  constexpr int kGrid = 1 << 20;
  for (int i = 0; i <= kGrid; ++i) v.push_back(r.lo + (r.hi - r.lo) * i / kGrid);
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> pick(r.lo, r.hi);
  for (int i = 0; i < (1 << 20); ++i) v.push_back(pick(random));
  // Quarters of pi in the argument: eighths of v for x = kPi v, quarters
  // for x = v kPi / 2.
  const double step = r.halfPi ? 0.5 : 0.25;
  for (double q = std::ceil(r.lo / step) * step; q <= r.hi; q += step) withNeighbours(v, q);
  for (double tiny : {1e-300, 1e-20, 1e-9, 1e-5}) withNeighbours(v, tiny);
  withNeighbours(v, r.lo);
  withNeighbours(v, r.hi);
  std::vector<double> inside;
  for (double x : v)
    if (x >= r.lo && x <= r.hi) inside.push_back(x);
  return inside;
}

class CurveTrigRange : public testing::TestWithParam<Range> {};

// The largest error relative to the result stays within its bound, and
// the result is never more than one double from the library's.
TEST_P(CurveTrigRange, StaysWithinAnUlpOfTheLongDoubleValue) {
  const Range r = GetParam();
  double worst = 0.0, worstAt = 0.0;
  for (double v : variables(r)) {
    const double x = argument(r, v);
    const long double ref = r.f == kSine ? std::sin(static_cast<long double>(x))
                                         : std::cos(static_cast<long double>(x));
    const double got = r.f == kSine ? CurveMath::sine(x) : CurveMath::cosine(x);
    const double libm = r.f == kSine ? std::sin(x) : std::cos(x);
    const double off = ulpsOff(got, ref);
    if (off > worst) {
      worst = off;
      worstAt = x;
    }
    ASSERT_LE(stepsApart(got, libm), 1)
        << std::hexfloat << "x = " << x << ": " << got << " against the library's " << libm;
  }
  EXPECT_LE(worst, r.maxUlps) << std::hexfloat << "at x = " << worstAt;
  RecordProperty("largest_ulps", std::to_string(worst));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CurveTrigRange,
    testing::Values(Range{"ShaperSine", kSine, 0.0, 1.0, false, 1.0},
                    // The shaper's window can overshoot by up to its own width.
                    Range{"ShaperSineOvershoot", kSine, 1.0, 2.0, false, 1.0},
                    Range{"ShaperSineSmall", kSine, 0.0, 0x1p-20, false, 1.0},
                    Range{"DriveSine", kSine, -1.0, 1.0, true, 1.0},
                    Range{"CurveCosine", kCosine, 0.0, 1.0, false, 1.0},
                    Range{"CurveCosineNearZero", kCosine, 0.0, 0x1p-20, false, 1.0}),
    [](const testing::TestParamInfo<Range>& i) { return std::string(i.param.name); });

// The curve reads take (1 - cos(pi f)) / 2 as the weight of the next entry:
// there only the absolute error counts, within half an ulp of 1.
TEST(CurveTrig, CosineWeightWithinHalfAnUlpOfOne) {
  const Range r{"", kCosine, 0.0, 1.0, false, 0.0};
  double worst = 0.0, worstAt = 0.0;
  for (double f : variables(r)) {
    if (f >= 1.0) continue;
    const double x = f * kPi;
    const long double ref = (1.0L - std::cos(static_cast<long double>(x))) / 2.0L;
    const double w = (1.0 - CurveMath::cosine(x)) / 2.0;
    const double off = static_cast<double>(std::fabs(w - ref) / DBL_EPSILON);
    if (off > worst) {
      worst = off;
      worstAt = f;
    }
  }
  EXPECT_LE(worst, 0.5) << "at f = " << worstAt;
  RecordProperty("largest_ulps_of_one", std::to_string(worst));
}

struct Exact {
  Function f;
  double x, expected;
};

std::ostream& operator<<(std::ostream& o, const Exact& e) {
  return o << (e.f == kSine ? "sine(" : "cosine(") << std::hexfloat << e.x << ")";
}

// Values the code relies on to the bit: a read on a node (f = 0) takes the
// entry itself, the ends of the ranges, tiny arguments, non-finite ones.
TEST(CurveTrig, ExactValues) {
  const double denormal = 1e-310;
  const Exact cases[] = {
      {kCosine, 0.0, 1.0},
      {kCosine, 1e-9, 1.0},
      {kCosine, kPi, -1.0},
      {kCosine, CurveMath::kHalfPi, std::cos(CurveMath::kHalfPi)},
      {kSine, 0.0, 0.0},
      {kSine, kPi, std::sin(kPi)},
      {kSine, CurveMath::kHalfPi, 1.0},
      {kSine, -CurveMath::kHalfPi, -1.0},
      {kSine, CurveMath::kTwoPi, std::sin(CurveMath::kTwoPi)},
      {kSine, 1e-300, 1e-300},
      {kSine, -1e-300, -1e-300},
      {kSine, denormal, denormal},
      {kSine, -denormal, -denormal},
  };
  for (const Exact& c : cases) {
    const double got = c.f == kSine ? CurveMath::sine(c.x) : CurveMath::cosine(c.x);
    EXPECT_EQ(0, std::memcmp(&got, &c.expected, sizeof got))
        << c << " = " << std::hexfloat << got << ", not " << c.expected;
  }
  for (double x : {kNaN, -kNaN, kInf, -kInf}) {
    EXPECT_TRUE(std::isnan(CurveMath::sine(x))) << x;
    EXPECT_TRUE(std::isnan(CurveMath::cosine(x))) << x;
  }
}

// Arguments for the lane comparison: the ranges' awkward points, signed
// zeros, denormals, non-finite values and arguments past the range.
std::vector<double> laneArguments() {
  std::vector<double> v;
  for (int i = -4000; i <= 4000; ++i) v.push_back(i * (kPi / 2000.0));
  for (int k = -8; k <= 8; ++k) withNeighbours(v, k * (kPi / 4.0));
  for (double x : {0.0, -0.0, 1e-310, -1e-310, 1e-300, kNaN, -kNaN, kInf, -kInf, 1e6, -1e6, 0x1p50,
                   0x1p60, 1e300, -1e300, DBL_MAX})
    v.push_back(x);
  while (v.size() % 8) v.push_back(0.5);
  return v;
}

bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

#if defined(DSP_WIDE_LANES)
DSP_WIDE void fourAtATime(const std::vector<double>& x, std::vector<double>& s,
                          std::vector<double>& c) {
  for (size_t i = 0; i < x.size(); i += 4) {
    const Dsp::Quad v = _mm256_loadu_pd(&x[i]);
    _mm256_storeu_pd(&s[i], CurveMath::sine(v));
    _mm256_storeu_pd(&c[i], CurveMath::cosine(v));
  }
  Dsp::leaveWideLanes();
}
DSP_WIDEST void eightAtATime(const std::vector<double>& x, std::vector<double>& s,
                             std::vector<double>& c) {
  for (size_t i = 0; i < x.size(); i += 8) {
    const Dsp::Oct v = _mm512_loadu_pd(&x[i]);
    _mm512_storeu_pd(&s[i], CurveMath::sine(v));
    _mm512_storeu_pd(&c[i], CurveMath::cosine(v));
  }
  Dsp::leaveWideLanes();
}
#endif

// Two, four and eight lanes give each lane the scalar bits, NaN included.
TEST(CurveTrig, EveryLaneWidthGivesTheScalarBits) {
  const std::vector<double> x = laneArguments();
  std::vector<double> sine(x.size()), cosine(x.size());
  for (size_t i = 0; i < x.size(); ++i) {
    sine[i] = CurveMath::sine(x[i]);
    cosine[i] = CurveMath::cosine(x[i]);
  }
  const auto expectScalarBits = [&](const char* width, const std::vector<double>& s,
                                    const std::vector<double>& c) {
    for (size_t i = 0; i < x.size(); ++i) {
      EXPECT_TRUE(sameBits(s[i], sine[i])) << width << " sine(" << std::hexfloat << x[i] << ")";
      EXPECT_TRUE(sameBits(c[i], cosine[i])) << width << " cosine(" << std::hexfloat << x[i] << ")";
    }
  };
  std::vector<double> s(x.size()), c(x.size());
  for (size_t i = 0; i < x.size(); i += 2) {
    const Dsp::Lanes v = Dsp::loadLanes(&x[i]);
    Dsp::storeLanes(&s[i], CurveMath::sine(v));
    Dsp::storeLanes(&c[i], CurveMath::cosine(v));
  }
  expectScalarBits("two lanes", s, c);
#if defined(DSP_WIDE_LANES)
  if (Dsp::hasWideLanes()) {
    fourAtATime(x, s, c);
    expectScalarBits("four lanes", s, c);
  }
  if (Dsp::hasWidestLanes()) {
    eightAtATime(x, s, c);
    expectScalarBits("eight lanes", s, c);
  }
#endif
}

}  // namespace
