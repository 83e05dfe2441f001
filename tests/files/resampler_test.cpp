#include "Resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tone.h"

namespace {

constexpr double kPi = 3.141592653589793;

// Pulls the whole input through in blocks of `block` output frames; the
// last call writes fewer frames than granted, which flushes the tail.
std::vector<double> resampleAll(KIT_Resampler& rs, const std::vector<double>& in, int nch,
                                int block) {
  std::vector<double> out;
  std::vector<double> buf(static_cast<size_t>(block) * nch);
  size_t fed = 0;  // frames
  const size_t frames = in.size() / nch;
  while (fed < frames) {
    double* where = nullptr;
    const int grant = rs.ResamplePrepare(block, nch, &where);
    int n = 0;
    for (; n < grant && fed < frames; ++n, ++fed)
      for (int c = 0; c < nch; ++c) where[n * nch + c] = in[fed * nch + c];
    const int made = rs.ResampleOut(buf.data(), n, block, nch);
    out.insert(out.end(), buf.begin(), buf.begin() + made * nch);
  }
  return out;
}

std::vector<double> channel(const std::vector<double>& v, int nch, int c) {
  std::vector<double> r;
  for (size_t i = c; i < v.size(); i += nch) r.push_back(v[i]);
  return r;
}

// Frequency from a straight-line fit of the rising zero crossings.
double frequencyOf(const std::vector<double>& y, double rate) {
  std::vector<double> t;
  for (size_t n = 1; n < y.size(); ++n)
    if (y[n - 1] < 0.0 && y[n] >= 0.0) t.push_back(n - 1 + y[n - 1] / (y[n - 1] - y[n]));
  const double k = static_cast<double>(t.size());
  double sk = 0, st = 0, skk = 0, skt = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    sk += i;
    st += t[i];
    skk += static_cast<double>(i) * i;
    skt += i * t[i];
  }
  const double period = (k * skt - sk * st) / (k * skk - sk * sk);
  return rate / period;
}

std::vector<double> sine(int frames, double w, double amplitude) {
  std::vector<double> v(frames);
  for (int i = 0; i < frames; ++i) v[i] = amplitude * std::sin(w * i);
  return v;
}

}  // namespace

// ---- Request arithmetic ------------------------------------------------------

TEST(ResamplerPrepare, RequestsOutputTimesRatioPlusFourLessWhatIsHeld) {
  KIT_Resampler rs;
  double* where = nullptr;
  EXPECT_EQ(rs.ResamplePrepare(516, 1, &where), 520);  // ratio 1, empty buffer
  ASSERT_NE(where, nullptr);
  std::vector<double> out(516);
  for (int i = 0; i < 520; ++i) where[i] = i;
  EXPECT_EQ(rs.ResampleOut(out.data(), 520, 516, 1), 516);
  // 516 frames were consumed; 4 are held and count against the next request.
  EXPECT_EQ(rs.ResamplePrepare(516, 1, &where), 516);

  KIT_Resampler down;
  down.SetRates(600.0, 512.0);  // ratio 1.171875
  EXPECT_EQ(down.ResamplePrepare(516, 1, &where), 608);
  down.SetRates(600.0, 512.0);  // the same rates again change nothing
  EXPECT_DOUBLE_EQ(down.GetRatio(), 1.171875);

  KIT_Resampler feed;
  feed.m_feedmode = true;
  EXPECT_EQ(feed.ResamplePrepare(37, 2, &where), 37);
}

TEST(ResamplerPrepare, SincModePrimesHalfTheFilterWithZeros) {
  KIT_Resampler rs;
  rs.SetMode(false, 0, true, 17, 8);  // an odd size is taken down to 16 taps
  double* where = nullptr;
  // 7 zeros are held first: 100 + 16 + 4 - 7.
  EXPECT_EQ(rs.ResamplePrepare(100, 1, &where), 113);
  EXPECT_EQ(rs.GetCurrentLatency(), 0.0);
  for (int i = 0; i < 113; ++i) where[i] = 1.0;
  std::vector<double> out(100);
  EXPECT_EQ(rs.ResampleOut(out.data(), 113, 100, 1), 100);
  // 120 frames were there, 7 of them priming, 100 consumed.
  EXPECT_NEAR(rs.GetCurrentLatency(), 13.0 / 44100.0, 1e-15);
}

TEST(ResamplerPrepare, RatesBelowOneAndBadValuesCountAsOne) {
  KIT_Resampler rs;
  rs.SetRates(0.25, 2.0);
  EXPECT_DOUBLE_EQ(rs.GetRatio(), 0.5);
  rs.SetRates(std::nan(""), 4.0);
  EXPECT_DOUBLE_EQ(rs.GetRatio(), 0.25);
  rs.SetRates(8.0, -3.0);
  EXPECT_DOUBLE_EQ(rs.GetRatio(), 8.0);
}

TEST(ResamplerPrepare, ChannelCountsOutsideOneToSixtyFourGiveNothing) {
  KIT_Resampler rs;
  double* where = nullptr;
  double out[4];
  for (int nch : {0, -1, 65}) {
    EXPECT_EQ(rs.ResamplePrepare(10, nch, &where), 0) << nch;
    EXPECT_EQ(rs.ResampleOut(out, 10, 4, nch), 0) << nch;
  }
  EXPECT_EQ(rs.ResamplePrepare(10, 64, &where), 14);
}

// ---- Interpolation -----------------------------------------------------------

TEST(ResamplerOut, RatioOneReproducesTheInput) {
  for (bool interp : {true, false}) {
    KIT_Resampler rs;
    rs.SetMode(interp, 1, false, 0, 0);
    std::vector<double> in(1000);
    for (int i = 0; i < 1000; ++i) in[i] = std::sin(0.37 * i) + 0.01 * i;
    const std::vector<double> out = resampleAll(rs, in, 1, 128);
    ASSERT_EQ(out.size(), in.size()) << interp;
    for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i], in[i]) << i;
  }
}

TEST(ResamplerOut, NearestAndLinearAtHalfSteps) {
  // Fed as input frames in one go, so no flush pads the end.
  auto run = [](bool interp) {
    KIT_Resampler rs;
    rs.SetMode(interp, 0, false, 0, 0);
    rs.m_feedmode = true;
    rs.SetRates(1.0, 2.0);
    const double in[4] = {0.0, 1.0, 4.0, 9.0};
    double* where = nullptr;
    EXPECT_EQ(rs.ResamplePrepare(4, 1, &where), 4);
    for (int i = 0; i < 4; ++i) where[i] = in[i];
    std::vector<double> out(16);
    out.resize(rs.ResampleOut(out.data(), 4, 16, 1));
    return out;
  };
  EXPECT_EQ(run(false), (std::vector<double>{0, 0, 1, 1, 4, 4, 9, 9}));
  // The last frame is only ever the right neighbour of a step.
  EXPECT_EQ(run(true), (std::vector<double>{0, 0.5, 1, 2.5, 4, 6.5}));
}

TEST(ResamplerOut, AShortFinalCallFlushesExactlyTheFramesGiven) {
  KIT_Resampler rs;
  double* where = nullptr;
  ASSERT_EQ(rs.ResamplePrepare(50, 1, &where), 54);
  for (int i = 0; i < 10; ++i) where[i] = 1.0 + i;
  std::vector<double> out(50, -7.0);
  ASSERT_EQ(rs.ResampleOut(out.data(), 10, 50, 1), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(out[i], 1.0 + i);
}

TEST(ResamplerOut, ASecondCallWithoutPrepareCountsNoNewFrames) {
  KIT_Resampler rs;
  double* where = nullptr;
  ASSERT_EQ(rs.ResamplePrepare(10, 1, &where), 14);
  for (int i = 0; i < 14; ++i) where[i] = i;
  std::vector<double> out(10);
  ASSERT_EQ(rs.ResampleOut(out.data(), 14, 10, 1), 10);
  // Only the four frames held are there: three steps can be made from them.
  ASSERT_EQ(rs.ResampleOut(out.data(), 14, 10, 1), 3);
  EXPECT_EQ(out[0], 10.0);
  EXPECT_EQ(out[2], 12.0);
}

TEST(ResamplerOut, NegativeStartAndHugeRatioStayInsideTheInput) {
  KIT_Resampler rs;
  rs.SetMode(true, 0, false, 0, 0);
  rs.m_feedmode = true;
  rs.Reset(-5.0);  // taken as 0
  rs.SetRates(1e300, 1.0);
  double* where = nullptr;
  ASSERT_EQ(rs.ResamplePrepare(10, 1, &where), 10);
  for (int i = 0; i < 10; ++i) where[i] = 3.0 + i;
  double out[4] = {};
  EXPECT_EQ(rs.ResampleOut(out, 10, 4, 1), 1);
  EXPECT_EQ(out[0], 3.0);
  EXPECT_EQ(rs.GetCurrentLatency(), 0.0);
}

// ---- Rate conversion of a sine -------------------------------------------------

struct RateCase {
  const char* name;
  double in, out;
  bool sinc;
  double levelTolerance;
};

class ResamplerSine : public ::testing::TestWithParam<RateCase> {};

TEST_P(ResamplerSine, KeepsFrequencyAndLevel) {
  const RateCase& c = GetParam();
  KIT_Resampler rs;
  if (c.sinc)
    rs.SetMode(false, 0, true, 64, 32);
  else
    rs.SetMode(true, 1, false, 0, 0);
  rs.Reset(0.0);
  rs.SetRates(c.in, c.out);
  // Stereo: 1 kHz at 0.5 on the left, 3 kHz at 0.25 on the right.
  const int frames = static_cast<int>(c.in / 5);
  std::vector<double> in(2 * frames);
  for (int i = 0; i < frames; ++i) {
    in[2 * i] = 0.5 * std::sin(2.0 * kPi * 1000.0 * i / c.in);
    in[2 * i + 1] = 0.25 * std::sin(2.0 * kPi * 3000.0 * i / c.in);
  }
  const std::vector<double> out = resampleAll(rs, in, 2, 256);
  EXPECT_NEAR(static_cast<double>(out.size()) / 2, frames * c.out / c.in, 40.0);
  const size_t skip = 300;
  for (int ch = 0; ch < 2; ++ch) {
    std::vector<double> y = channel(out, 2, ch);
    y = std::vector<double>(y.begin() + skip, y.end() - skip);
    const double f = ch == 0 ? 1000.0 : 3000.0;
    const double level = ch == 0 ? 0.5 : 0.25;
    EXPECT_NEAR(frequencyOf(y, c.out), f, 0.01) << ch;
    // Linear steps lose about w^2 / 12 of a sine of w radians per input
    // frame; the sinc table loses nothing measurable.
    const double w = 2.0 * kPi * f / c.in;
    const double expect = c.sinc ? 1.0 : 1.0 - w * w / 12.0;
    EXPECT_NEAR(toneAmplitude(y, 2.0 * kPi * f / c.out, 0) / level, expect, c.levelTolerance) << ch;
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, ResamplerSine,
                         ::testing::Values(RateCase{"up_linear", 44100, 48000, false, 5e-4},
                                           RateCase{"down_linear", 48000, 44100, false, 5e-4},
                                           RateCase{"up_sinc", 44100, 48000, true, 1e-4},
                                           RateCase{"down_sinc", 48000, 44100, true, 1e-4}),
                         [](const ::testing::TestParamInfo<RateCase>& i) {
                           return std::string(i.param.name);
                         });

// ---- The low-pass stage --------------------------------------------------------

TEST(ResamplerFilter, DecimatingFiltersTheInputAtPositionOverRatio) {
  // Ratio 2 reads every second filtered input frame, so the output is the
  // filter's response: gain 1 at DC, gain Q at the cut-off 0.693 / 2 of the
  // input's Nyquist frequency.
  KIT_Resampler rs;
  rs.SetRates(2.0, 1.0);
  const double w0 = kPi * 0.693f / 2.0;
  const std::vector<double> out = resampleAll(rs, sine(40000, w0, 1.0), 1, 500);
  EXPECT_NEAR(toneAmplitude(out, 2.0 * w0, 200), 0.707f, 1e-4);

  KIT_Resampler dc;
  dc.SetRates(2.0, 1.0);
  const std::vector<double> flat = resampleAll(dc, std::vector<double>(4000, 0.3), 1, 500);
  EXPECT_NEAR(flat[1000], 0.3, 1e-12);
}

TEST(ResamplerFilter, InterpolatingFiltersTheOutputAtRatioTimesPosition) {
  // Ratio 0.5: linear steps at half frames pass the fundamental with gain
  // (1 + cos w0) / 2, and the output stage adds its gain Q at its cut-off
  // w0 = 0.5 * 0.693 of the output's Nyquist frequency.
  KIT_Resampler rs;
  rs.SetRates(1.0, 2.0);
  const double w0 = kPi * 0.5 * 0.693f;
  const std::vector<double> out = resampleAll(rs, sine(10000, 2.0 * w0, 1.0), 1, 500);
  EXPECT_NEAR(toneAmplitude(out, w0, 200), 0.707f * (1.0 + std::cos(w0)) / 2.0, 2e-4);
}

// ---- Stretching a shape onto a number of points ----------------------------------

class ResampleShapeRamp : public ::testing::TestWithParam<int> {};

TEST_P(ResampleShapeRamp, AStraightLineStaysStraightEndsIncluded) {
  const int F = GetParam();
  std::vector<double> in(F);
  for (int i = 0; i < F; ++i) in[i] = -1.0 + 2.0 * i / (F - 1);
  std::vector<double> out(512);
  ASSERT_TRUE(KIT_ResampleShape(in.data(), F, out.data(), 512));
  for (int k = 0; k < 512; ++k) ASSERT_NEAR(out[k], -1.0 + 2.0 * k / 511, 1e-10) << k;
}

INSTANTIATE_TEST_SUITE_P(Lengths, ResampleShapeRamp,
                         ::testing::Values(2, 3, 10, 300, 511, 513, 1024, 44100));

TEST(ResampleShape, ACurveKeepsItsShapeAndEnds) {
  for (int F : {200, 700, 5000}) {
    std::vector<double> in(F);
    for (int i = 0; i < F; ++i) in[i] = std::tanh(3.0 * (-1.0 + 2.0 * i / (F - 1)));
    std::vector<double> out(512);
    ASSERT_TRUE(KIT_ResampleShape(in.data(), F, out.data(), 512));
    for (int k = 0; k < 512; ++k)
      ASSERT_NEAR(out[k], std::tanh(3.0 * (-1.0 + 2.0 * k / 511)), 1e-4) << F << " " << k;
    EXPECT_NEAR(out[0], in[0], 1e-5) << F;
    EXPECT_NEAR(out[511], in[F - 1], 1e-5) << F;
  }
}

TEST(ResampleShape, DegenerateLengths) {
  double out[4] = {9, 9, 9, 9};
  const double one = 0.25;
  ASSERT_TRUE(KIT_ResampleShape(&one, 1, out, 4));
  EXPECT_EQ(out[3], 0.25);
  const double same[4] = {1, 2, 3, 4};
  ASSERT_TRUE(KIT_ResampleShape(same, 4, out, 4));
  EXPECT_EQ(out[2], 3.0);
  EXPECT_FALSE(KIT_ResampleShape(same, 0, out, 4));
  EXPECT_FALSE(KIT_ResampleShape(nullptr, 4, out, 4));
  EXPECT_FALSE(KIT_ResampleShape(same, 4, out, 0));
  EXPECT_EQ(out[3], 4.0);
}
