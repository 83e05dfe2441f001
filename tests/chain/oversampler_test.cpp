#include "Oversampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "BesselFilterCoeffs.h"
#include "UnitMath.h"
#include "block.h"

using Rawnfield::Oversampler;

namespace {

// data/oversampler_ref.txt, written by gen_oversampler_ref.py with scipy:
// one named list of numbers per line.
std::map<std::string, std::vector<double>> loadReference() {
  std::map<std::string, std::vector<double>> ref;
  std::ifstream in(HB_TEST_DATA_DIR "/oversampler_ref.txt");
  in.imbue(std::locale::classic());
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    words.imbue(std::locale::classic());
    std::string key;
    words >> key;
    double v;
    while (words >> v) ref[key].push_back(v);
  }
  return ref;
}

const std::map<std::string, std::vector<double>>& reference() {
  static const auto ref = loadReference();
  return ref;
}

// An oversampler prepared the way the owner does it.
struct Prepared : Oversampler {
  explicit Prepared(int block) {
    setBlockSize(block);
    reset();
  }
};

TEST(BesselFilterCoeffs, PoleTableLayout) {
  const auto& p = KIT_BesselFilterCoeffs::mPoles;
  EXPECT_EQ(p[0][0], -0.9999999999999998);
  EXPECT_EQ(p[0][1], 0.0);
  EXPECT_EQ(p[1][0], -1.1016013305921748);
  EXPECT_EQ(p[1][1], 0.636009824757042);
  const double order8[4][2] = {{-1.7574084004017807, 0.272867575102548},
                               {-1.636939418126819, 0.8227956251396226},
                               {-1.3738412176373478, 1.3883565758775174},
                               {-0.8928697188471307, 1.9983258436412903}};
  for (int e = 0; e < 4; ++e) {
    EXPECT_EQ(p[16 + e][0], order8[e][0]);
    EXPECT_EQ(p[16 + e][1], order8[e][1]);
  }
}

// Every order's poles form a prototype that is 3 dB down at 1 rad/s, with
// its poles in the left half plane, one real pole for odd orders.
TEST(BesselFilterCoeffs, EveryOrderIsThreeDecibelsDownAtOneRadian) {
  int at = 0;
  for (int order = 1; order <= 10; ++order) {
    const int entries = (order + 1) / 2;
    std::complex<double> denomAtOne = 1.0, denomAtZero = 1.0;
    int reals = 0;
    for (int e = 0; e < entries; ++e) {
      const double* pole = KIT_BesselFilterCoeffs::mPoles[at + e];
      EXPECT_LT(pole[0], 0.0);
      EXPECT_GE(pole[1], 0.0);
      const std::complex<double> s(pole[0], pole[1]);
      const std::complex<double> j(0.0, 1.0);
      if (pole[1] == 0.0) {
        ++reals;
        denomAtOne *= j - s;
        denomAtZero *= -s;
      } else {
        denomAtOne *= (j - s) * (j - std::conj(s));
        denomAtZero *= s * std::conj(s);
      }
    }
    EXPECT_EQ(reals, order % 2) << order;
    const double magnitude = std::abs(denomAtZero / denomAtOne);
    EXPECT_NEAR(magnitude, std::sqrt(0.5), 1e-12) << order;
    at += entries;
  }
  EXPECT_EQ(at, KIT_BesselFilterCoeffs::kNumPoles);
}

TEST(BesselFilterCoeffs, MatchesTheReferenceDesign) {
  const std::vector<double>& ref = reference().at("coefficients");
  ASSERT_EQ(ref.size(), 9u);
  const KIT_BesselFilterCoeffs c = KIT_BesselFilterCoeffs::Calc(1.0 / 16.0);
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(c.c[k], ref[k], 1e-12 * std::fabs(ref[k])) << k;
  // The rounded figures the design is known by.
  EXPECT_NEAR(c.c[0], 0.0121587, 5e-8);
  const double rounded[8] = {3.98808, -7.32817,  8.04388,  -5.73507,
                             2.70675, -0.822619, 0.146709, -0.0117232};
  for (int k = 1; k <= 8; ++k)
    EXPECT_NEAR(c.c[k], rounded[k - 1], 5e-6 * std::fabs(rounded[k - 1]) + 1e-7) << k;
}

TEST(BesselFilterCoeffs, UnitGainAtZeroFrequency) {
  const KIT_BesselFilterCoeffs c = KIT_BesselFilterCoeffs::Calc(1.0 / 16.0);
  double den = 1.0;
  for (int k = 1; k <= 8; ++k) den -= c.c[k];
  EXPECT_NEAR(c.c[0] / den, 1.0, 1e-9);
}

TEST(Oversampler, Defaults) {
  Oversampler o;
  EXPECT_EQ(o.factor, 8);
  EXPECT_EQ(o.blockSize, 1024);
  EXPECT_EQ(o.sampleRate, 44100.0);
  EXPECT_EQ(o.outputGain, 0.907123536140837);
  EXPECT_EQ(o.upCapacity(), 0);
  EXPECT_EQ(o.up[0], nullptr);
}

TEST(Oversampler, BuffersGrowOnlyAndKeepTheirContents) {
  Oversampler o;
  o.setBlockSize(16);
  EXPECT_EQ(o.upCapacity(), 128);
  EXPECT_EQ(o.downCapacity(), 16);
  o.up[0][5] = 3.0;
  o.setBlockSize(8);
  EXPECT_EQ(o.blockSize, 8);
  EXPECT_EQ(o.upCapacity(), 128);
  EXPECT_EQ(o.up[0][5], 3.0);
  o.setBlockSize(32);
  EXPECT_EQ(o.upCapacity(), 256);
  EXPECT_EQ(o.up[0][5], 0.0);
}

TEST(Oversampler, UnitImpulseGivesTheFilterResponseTimesEight) {
  const std::vector<double>& ref = reference().at("upsampled_impulse");
  ASSERT_EQ(ref.size(), 64u);
  Prepared o(8);
  Block in(8);
  in.l[0] = 1.0;
  in.r[0] = -1.0;
  o.upsample(in.io, nullptr, 8);
  for (int k = 0; k < 64; ++k) {
    EXPECT_NEAR(o.up[0][k], ref[k], 1e-13) << k;
    EXPECT_NEAR(o.up[1][k], -ref[k], 1e-13) << k;
  }
}

TEST(Oversampler, DownsampleKeepsEveryEighthFilteredSample) {
  const std::vector<double>& ref = reference().at("upsampled_impulse");
  Prepared o(8);
  // An impulse at index 0 of 64 oversampled frames: the filter's impulse
  // response read at 0, 8, ..., 56, scaled by the output gain.
  Block in(64);
  in.l[0] = 1.0;
  in.r[0] = 2.0;
  o.downsample(in.io, nullptr, 64);
  for (int j = 0; j < 8; ++j) {
    const double h = ref[8 * j] / 8.0;
    EXPECT_NEAR(o.down[0][j], h * o.outputGain, 1e-14) << j;
    EXPECT_NEAR(o.down[1][j], 2.0 * h * o.outputGain, 1e-14) << j;
  }
}

TEST(Oversampler, EightNFramesInGiveExactlyNFramesOut) {
  Prepared o(4);
  for (int k = 0; k < o.downCapacity(); ++k) o.down[0][k] = o.down[1][k] = 42.0;
  Block in(24, 0.5, 0.5);
  o.downsample(in.io, nullptr, 24);  // 3 frames out of 24
  EXPECT_NE(o.down[0][2], 42.0);
  EXPECT_EQ(o.down[0][3], 42.0);
}

TEST(Oversampler, ZeroInputKeepsClearHistoriesExactlyZero) {
  Prepared o(64);
  Block silence(64);
  for (int b = 0; b < 4; ++b) {
    o.upsample(silence.io, nullptr, 64);
    o.downsample(o.up, nullptr, 512);
  }
  for (const auto& h : o.states)
    for (double v : h) EXPECT_EQ(v, 0.0);
  for (int k = 0; k < 512; ++k) EXPECT_EQ(o.up[0][k], 0.0);
}

// After a signal stops, the flush rule keeps the recursions out of the
// denormal range: what remains of the tail is either 0 or at least 2^-54
// (it settles into a residue around 1e-15, far below hearing, rather than
// dying out completely).
TEST(Oversampler, TailAfterASignalNeverGoesDenormal) {
  Prepared o(64);
  Block impulse(64);
  impulse.l[0] = impulse.r[0] = 1.0;
  o.upsample(impulse.io, nullptr, 64);
  o.downsample(o.up, nullptr, 512);
  Block silence(64);
  const double smallest = std::ldexp(1.0, -54);
  for (int b = 0; b < 60; ++b) {
    o.upsample(silence.io, nullptr, 64);
    o.downsample(o.up, nullptr, 512);
    for (const auto& h : o.states)
      for (double v : h) ASSERT_TRUE(v == 0.0 || std::fabs(v) >= smallest) << v;
    for (int k = 0; k < 512; ++k)
      ASSERT_TRUE(o.up[0][k] == 0.0 || std::fabs(o.up[0][k]) >= smallest);
  }
  for (const auto& h : o.states)
    for (double v : h) EXPECT_LT(std::fabs(v), 1e-13);
}

TEST(Oversampler, NonFiniteSamplesGiveZeroAndLeaveTheHistoriesFinite) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double bad : {nan, inf, -inf}) {
    Prepared o(4);
    Block in({bad, 0.5, 0.5, 0.5}, {0.5, bad, 0.5, 0.5});
    o.upsample(in.io, nullptr, 4);
    EXPECT_EQ(o.up[0][0], 0.0) << bad;
    EXPECT_EQ(o.up[1][8], 0.0) << bad;
    o.up[0][8] = bad;
    o.downsample(o.up, nullptr, 32);
    EXPECT_EQ(o.down[0][1], 0.0) << bad;
    for (const auto& h : o.states)
      for (double v : h) EXPECT_TRUE(std::isfinite(v)) << bad;
    for (int j = 0; j < 4; ++j) EXPECT_TRUE(std::isfinite(o.down[1][j])) << bad;
  }
}

// Images of the base rate that pass the low-pass fold back onto DC when the
// result is decimated, so a settled 1.0 comes out at about 1.00027, not at
// the output gain of 0.907.
TEST(Oversampler, SettledConstantThroughUpIdentityDown) {
  const double expect = reference().at("settled_constant").at(0);
  EXPECT_NEAR(expect, 1.00027, 5e-6);
  Prepared o(64);
  Block one(64, 1.0, 1.0);
  for (int b = 0; b < 64; ++b) {
    o.upsample(one.io, nullptr, 64);
    o.downsample(o.up, nullptr, 512);
  }
  for (int j = 0; j < 64; ++j) {
    EXPECT_NEAR(o.down[0][j], expect, 1e-12) << j;
    EXPECT_NEAR(o.down[1][j], expect, 1e-12) << j;
  }
}

TEST(Oversampler, FlushRule) {
  using Rawnfield::UnitMath::flushTiny;
  const double tiny = std::ldexp(1.0, -54);
  EXPECT_EQ(flushTiny(tiny), tiny);
  EXPECT_EQ(flushTiny(-tiny), -tiny);
  EXPECT_EQ(flushTiny(std::nextafter(tiny, 0.0)), 0.0);
  EXPECT_EQ(flushTiny(1e-300), 0.0);
  EXPECT_EQ(flushTiny(std::numeric_limits<double>::denorm_min()), 0.0);
  EXPECT_EQ(flushTiny(std::numeric_limits<double>::infinity()), 0.0);
  EXPECT_EQ(flushTiny(-std::numeric_limits<double>::infinity()), 0.0);
  EXPECT_EQ(flushTiny(std::nan("")), 0.0);
  EXPECT_EQ(flushTiny(std::numeric_limits<double>::max()), std::numeric_limits<double>::max());
  EXPECT_EQ(flushTiny(-0.75), -0.75);
}

// Two samples at once give the same bits as one at a time, in either lane.
TEST(Oversampler, FlushRuleTwoAtOnce) {
  using Rawnfield::UnitMath::flushTiny;
  using Rawnfield::UnitMath::flushTinyLanes;
  const double tiny = std::ldexp(1.0, -54);
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {0.0,
                           -0.0,
                           tiny,
                           -tiny,
                           std::nextafter(tiny, 0.0),
                           -std::nextafter(tiny, 0.0),
                           std::nextafter(tiny, 1.0),
                           std::numeric_limits<double>::denorm_min(),
                           std::numeric_limits<double>::min(),
                           1e-300,
                           std::numeric_limits<double>::max(),
                           -std::numeric_limits<double>::max(),
                           inf,
                           -inf,
                           std::nan(""),
                           -std::nan("7"),
                           1.0,
                           -0.75,
                           1e300};
  const auto bits = [](double x) {
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
  };
  for (double a : values)
    for (double b : {a, 0.5, -std::numeric_limits<double>::quiet_NaN()}) {
      const Dsp::Lanes y = flushTinyLanes(Dsp::lanes(a, b));
      EXPECT_EQ(bits(Dsp::lane0(y)), bits(flushTiny(a))) << a;
      EXPECT_EQ(bits(Dsp::lane1(y)), bits(flushTiny(b))) << b;
      const Dsp::Lanes z = flushTinyLanes(Dsp::lanes(b, a));
      EXPECT_EQ(bits(Dsp::lane1(z)), bits(flushTiny(a))) << a;
    }
}

TEST(Oversampler, ResetClearsTheHistories) {
  Prepared a(8), b(8);
  Block x(8, 0.7, -0.2);
  a.upsample(x.io, nullptr, 8);
  a.downsample(a.up, nullptr, 64);
  a.reset();
  a.upsample(x.io, nullptr, 8);
  b.upsample(x.io, nullptr, 8);
  EXPECT_EQ(std::vector<double>(a.up[0], a.up[0] + 64), std::vector<double>(b.up[0], b.up[0] + 64));
}

// run() is the owner's sequence: up, stage on the up buffers, down, copy.
TEST(Oversampler, RunMatchesTheOwnerSequence) {
  Prepared a(32), b(32);
  Block x(32), y(32);
  for (int i = 0; i < 32; ++i) x.l[i] = y.l[i] = x.r[i] = y.r[i] = std::sin(0.3 * i);
  auto square = [](double** io, int n) {
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < n; ++i) io[c][i] *= io[c][i];
  };
  int seen = 0;
  a.run(x.io, 32, [&](double** io, int n) {
    seen = n;
    square(io, n);
  });
  EXPECT_EQ(seen, 256);
  b.upsample(y.io, nullptr, 32);
  square(b.up, 256);
  b.downsample(b.up, nullptr, 256);
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(x.l[i], b.down[0][i]);
    EXPECT_EQ(x.r[i], b.down[1][i]);
  }
}

TEST(Oversampler, BlocksLongerThanTheBuffersAreSafe) {
  Prepared a(16), b(16);
  Block x(40, 0.25, -0.25), y = x;
  int calls = 0;
  a.run(x.io, 40, [&](double**, int n) {
    EXPECT_LE(n, 128);
    ++calls;
  });
  EXPECT_EQ(calls, 3);  // 16 + 16 + 8 frames
  for (int done = 0; done < 40; done += 16) {
    const int m = 40 - done < 16 ? 40 - done : 16;
    double* io[2] = {y.io[0] + done, y.io[1] + done};
    b.upsample(io, nullptr, m);
    b.downsample(b.up, nullptr, m * 8);
    for (int i = 0; i < m; ++i) {
      EXPECT_EQ(x.l[done + i], b.down[0][i]);
    }
  }
  // Without the buffers prepared nothing is touched.
  Oversampler none;
  Block z(4, 0.5, 0.5);
  none.upsample(z.io, nullptr, 4);
  none.downsample(z.io, nullptr, 4);
  none.run(z.io, 4, [](double**, int) { FAIL(); });
  EXPECT_EQ(z.l, std::vector<double>(4, 0.5));
}

}  // namespace
