// The per-sample filters, the two-filter unit and the cookbook section.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "BiquadFilter.h"
#include "BiquadTweakedButterworth.h"
#include "OscFilterUnit.h"
#include "RnFilterPaulKellett.h"
#include "reference.h"

using namespace Rawnfield;
using gentest::Record;

namespace {

std::vector<double> run(IRnFilter& f, const std::vector<double>& x, double cutoff, double res) {
  std::vector<double> y;
  for (double v : x) y.push_back(f.process(v, cutoff, res));
  return y;
}

// --- four-pole filter ----------------------------------------------------

TEST(PaulKellett, MatchesItsStateSpaceModel) {
  for (const Record& r : gentest::records("pk_run")) {
    RnFilterPaulKellett f;
    f.setFilterMode(static_cast<eFilterMode>(r.params[0]));
    gentest::expectSequence(run(f, gentest::input(), r.params[1], r.params[2]), r.values, 1e-9,
                            "mode " + std::to_string(r.params[0]) + " cutoff " +
                                std::to_string(r.params[1]));
  }
}

TEST(PaulKellett, AnExactZeroReturnsZeroAndKeepsTheMemories) {
  RnFilterPaulKellett f;
  f.process(0.8, 0.4, 0.3);
  f.process(-0.2, 0.4, 0.3);
  const double b[4] = {f.buf0, f.buf1, f.buf2, f.buf3};
  EXPECT_EQ(f.process(0.0, 0.4, 0.3), 0.0);
  EXPECT_EQ(b[0], f.buf0);
  EXPECT_EQ(b[1], f.buf1);
  EXPECT_EQ(b[2], f.buf2);
  EXPECT_EQ(b[3], f.buf3);
  // The controls are still taken: feedback = r + r / (1 - f).
  EXPECT_DOUBLE_EQ(f.feedback, 0.3 + 0.3 / 0.6);
}

TEST(PaulKellett, CutoffCurvesShapeTheControl) {
  RnFilterPaulKellett f;
  f.cutoffCurve = RnFilterPaulKellett::kCurveSquared;
  f.process(0.5, 0.5, 0.0);
  EXPECT_DOUBLE_EQ(f.cutoff, 0.25);
  f.cutoffCurve = RnFilterPaulKellett::kCurveCubed;
  f.process(0.5, 0.5, 0.0);
  EXPECT_DOUBLE_EQ(f.cutoff, 0.125);
  // The first stage moves by g = cutoff + offset of the way.
  RnFilterPaulKellett g;
  g.cutoffOffset = 0.1;
  g.process(1.0, 0.2, 0.0);
  EXPECT_DOUBLE_EQ(g.buf0, 0.30000000000000004);
}

TEST(PaulKellett, ANonFiniteInputClearsTheStagesInsteadOfPoisoningThem) {
  RnFilterPaulKellett f;
  f.process(0.5, 0.5, 0.2);
  EXPECT_EQ(f.process(std::numeric_limits<double>::quiet_NaN(), 0.5, 0.2), 0.0);
  EXPECT_EQ(f.buf0, 0.0);
  EXPECT_TRUE(std::isfinite(f.process(0.5, 0.5, 0.2)));
}

// --- Butterworth sections ----------------------------------------------------

TEST(TweakedButterworth, MatchesScipyAndTheResonantBilinearDesign) {
  for (const Record& r : gentest::records("bw_run")) {
    BiquadTweakedButterworthHP<double> hp;
    BiquadTweakedButterworthLP<double> lp;
    IRnFilter& f = r.params[0] == 1.0 ? static_cast<IRnFilter&>(hp) : lp;
    gentest::expectSequence(run(f, gentest::input(), r.params[1], r.params[2]), r.values, 1e-9,
                            "high " + std::to_string(r.params[0]) + " cutoff " +
                                std::to_string(r.params[1]) + " res " + std::to_string(r.params[2]));
  }
}

TEST(TweakedButterworth, CutoffStaysBelowHalfTheRate) {
  BiquadTweakedButterworthLP<double> lp;
  lp.process(0.1, 1.0, 0.0);
  EXPECT_NEAR(lp.K, 1.0 / std::tan(gentest::kPi * 0.4785), 1e-12);
  lp.process(0.1, 5.0, 0.0);  // beyond the control range: held at 1
  EXPECT_NEAR(lp.K, 1.0 / std::tan(gentest::kPi * 0.4785), 1e-12);
  lp.process(0.1, 0.0, 0.0);  // the floor
  EXPECT_NEAR(lp.K, 1.0 / std::tan(gentest::kPi * 0.0001), 1e-6);
  lp.reset();
  EXPECT_EQ(lp.y1, 0.0);
  EXPECT_EQ(lp.c0, 0.0);
}

// --- the bank and the two-filter unit ----------------------------------------

TEST(OscFilterBank, SelectionValuesRoundToTheirFilters) {
  OscFilterBank bank;
  const struct {
    double v;
    IRnFilter* want;
  } cases[] = {
      {0.0, &bank.paulKellettLP},     {1.0 / 7, &bank.paulKellettHP},
      {2.0 / 7, &bank.paulKellettBP}, {3.0 / 7, &bank.butterworthHP},
      {4.0 / 7, &bank.butterworthLP}, {5.0 / 7, &bank.stateVariableLP},
      {6.0 / 7, &bank.stateVariableHP}, {0.99, &bank.bypassFilter},
      {1.0, &bank.bypassFilter},      {0.06, &bank.paulKellettLP},
      {0.08, &bank.paulKellettHP},    {8.0 / 7, &bank.paulKellettLP},
      {-0.2, &bank.paulKellettLP},    {std::nan(""), &bank.paulKellettLP},
  };
  for (const auto& c : cases) EXPECT_EQ(bank.getFilter(c.v), c.want) << c.v;
  EXPECT_EQ(bank.getFilter(0.99)->process(0.37, 0.5, 0.5), 0.37);
  EXPECT_EQ(bank.paulKellettHP.mode, kFilterModeHighPass);
  EXPECT_EQ(bank.paulKellettBP.mode, kFilterModeBandPass);
  EXPECT_DOUBLE_EQ(OscFilterBank::getFilterTypeSel(Types::kOscFilterButterworthLP), 4.0 / 7);
}

TEST(OscFilterBank, Names) {
  const struct {
    uint32_t t;
    const char* name;
    const char* shortName;
  } cases[] = {
      {0, "Paul Kellett LP", "PK LP"},   {1, "Paul Kellett HP", "PK HP"},
      {2, "Paul Kellett BP", "PK BP"},   {3, "Butterworth HP", "BW HP"},
      {4, "Butterworth LP", "BW LP"},    {5, "State-Variable LP", "SV LP"},
      {6, "State-Variable HP", "SV HP"}, {7, "OFF (Bypass Filter)", "OFF"},
      {8, "Unknown Filter", "Unknown"},  {9, "Unknown Filter", "Unknown"},
  };
  for (const auto& c : cases) {
    const auto t = static_cast<Types::eOscFilterType>(c.t);
    EXPECT_STREQ(OscFilterBank::getFilterName(t), c.name);
    EXPECT_STREQ(OscFilterBank::getFilterShortName(t), c.shortName);
  }
}

TEST(OscFilterBank, StateVariableCutoffIsCappedAtLowRates) {
  OscFilterBank bank;
  bank.setSampleRate(8000.0);
  bank.stateVariableLP.process(0.3, 1.0, 0.0);
  EXPECT_DOUBLE_EQ(bank.stateVariableLP.cutoff, 3920.0);
  EXPECT_DOUBLE_EQ(bank.butterworthHP.sampleRate, 8000.0);
  EXPECT_DOUBLE_EQ(bank.paulKellettBP.sampleRate, 8000.0);
}

TEST(OscFilterUnit, StartsWithLowPassKellettAndButterworthHighPass) {
  OscFilterUnit u;
  u.init();
  EXPECT_EQ(u.filter1, &u.bank1.paulKellettLP);
  EXPECT_EQ(u.filter2, &u.bank2.butterworthHP);
  EXPECT_STREQ(u.getLeftFilterTypeText(), "Paul Kellett LP");
  EXPECT_STREQ(u.getRightFilterTypeText(), "Butterworth HP");
  EXPECT_STREQ(u.getLeftFilterShortText(), "PK LP");
  EXPECT_STREQ(u.getRightFilterShortText(), "BW HP");
  u.setFilterType1(6.0 / 7);
  u.setFilterType2(1.3);
  EXPECT_EQ(u.filter1, &u.bank1.stateVariableHP);
  EXPECT_EQ(u.filter2, &u.bank2.paulKellettLP);
  EXPECT_STREQ(u.getLeftFilterShortText(), "SV HP");
  EXPECT_STREQ(u.getRightFilterTypeText(), "Unknown Filter");
}

// The output glides from filter 1's to filter 2's as the smoothed mix moves
// a hundredth of the way to its target per sample.
TEST(OscFilterUnit, CrossFadesBetweenItsTwoFilters) {
  OscFilterUnit u;
  u.init();
  u.setSampleRate(48000.0);
  u.setFilterType1(1.0);      // bypass
  u.setFilterType2(1.0 / 7);  // Paul Kellett high-pass
  u.setFilterMix(0.75);
  RnFilterPaulKellett ref;
  ref.setFilterMode(kFilterModeHighPass);
  double mix = 0.0;
  const std::vector<double> x = gentest::input();
  for (size_t i = 0; i < 300; ++i) {
    const double b = ref.process(x[i], 0.4, 0.2);
    mix = mix * 0.99 + 0.75 * 0.01;
    ASSERT_DOUBLE_EQ(u.process(x[i], 0.4, 0.2), b * mix + (1.0 - mix) * x[i]) << i;
  }
  // A new rate clears both banks.
  u.setSampleRate(44100.0);
  EXPECT_EQ(u.bank2.paulKellettHP.buf3, 0.0);
}

// --- cookbook section ----------------------------------------------------

TEST(BiquadFilter, CurvesMatchScipyMagnitudes) {
  for (const Record& r : gentest::records("bq_curve")) {
    const auto mode = static_cast<eFilterMode>(r.params[0]);
    std::vector<double> got;
    if (r.params[5] >= 0.0) {
      const double f = r.params[2], res = r.params[5];
      got = mode == kFilterModeLowPass   ? BiquadFilter::GetLowpassMagnitude(f, res)
            : mode == kFilterModeHighPass ? BiquadFilter::GetHighpassMagnitude(f, res)
                                          : BiquadFilter::GetBandpassMagnitude(f, res);
    } else {
      BiquadFilter b;
      b.setFilterMode(mode);
      b.setSampleRate(r.params[1]);
      b.frequency = r.params[2];
      b.setQ(r.params[3]);
      b.setGain(r.params[4]);
      b.update();
      got = BiquadFilter::GetSystemResponse(b);
    }
    ASSERT_EQ(got.size(), 220u);
    for (size_t i = 0; i < got.size(); ++i)
      ASSERT_NEAR(got[i], r.values[i], 1e-12 + 1e-8 * r.values[i])
          << "mode " << mode << " f " << r.params[2] << " point " << i;
  }
}

// The curve shows |H|: a cookbook low-pass has |H| = Q at its own
// frequency; 320 Hz is point 100 (10 x 2^5).
TEST(BiquadFilter, CurvePointsAreTheMagnitudeNotAPowerOfIt) {
  const std::vector<double> c = BiquadFilter::GetLowpassMagnitude(320.0, 0.0);
  EXPECT_NEAR(c[100], 0.5, 1e-9);
  const std::vector<double> h = BiquadFilter::GetHighpassMagnitude(320.0, 0.5);
  EXPECT_NEAR(h[100], 1.0 / (2.0 * (1.0 - 0.4995)), 1e-9);
  BiquadFilter b(kFilterModeLowPass, 96000.0);
  EXPECT_NEAR(BiquadFilter::GetSystemResponse(b)[0] * BiquadFilter::GetSystemResponse(b)[0],
              b.getResponse(10.0), 1e-12);
}

TEST(BiquadFilter, RunsMatchScipyInEveryMode) {
  for (const Record& r : gentest::records("bq_run")) {
    BiquadFilter b;
    b.setFilterMode(static_cast<eFilterMode>(r.params[0]));
    b.setSampleRate(r.params[1]);
    b.setGain(r.params[4]);
    const std::vector<double> y = run(b, gentest::input(), r.params[2], r.params[3]);
    gentest::expectSequence(y, r.values, 1e-9, "mode " + std::to_string(r.params[0]));
    EXPECT_EQ(b.lastOutput, y.back());
  }
}

TEST(BiquadFilter, SettingsAndLimits) {
  BiquadFilter b(kFilterModeLowPass, 48000.0);
  EXPECT_DOUBLE_EQ(b.frequency, 12000.0);
  EXPECT_DOUBLE_EQ(b.maxFrequency, 20000.0);
  b.setSampleRate(22050.0);
  EXPECT_DOUBLE_EQ(b.maxFrequency, 11025.0);
  b.setGainDb(-80.0);
  EXPECT_DOUBLE_EQ(b.getGain(), 0.001);
  EXPECT_NEAR(b.getGainDb(), -60.0, 1e-9);
  b.setGainDb(6.0);
  EXPECT_NEAR(b.getGain(), std::pow(10.0, 0.3), 1e-15);
  b.setQ(0.01);
  EXPECT_DOUBLE_EQ(b.getQ(), 0.1);
  b.process(0.5, 0.0, 0.0);
  EXPECT_DOUBLE_EQ(b.frequency, 20.0);
  EXPECT_DOUBLE_EQ(b.getQ(), 0.1);
  EXPECT_EQ(b.getA()[0], 1.0);
  EXPECT_EQ(b.getA()[1], b.a1);
  EXPECT_EQ(b.getB()[2], b.b2);
  b.reset();
  EXPECT_EQ(b.y1, 0.0);
  EXPECT_EQ(b.x1, 0.0);
}

// The shelf slope starts at 1; a shelf made by the default constructor has
// finite coefficients and the shelf gain of the formulas (A^2) at DC.
TEST(BiquadFilter, ShelvesHaveAShelfSlopeFromTheStart) {
  BiquadFilter b;
  EXPECT_EQ(b.S, 1.0);
  b.setFilterMode(kFilterModeLowShelf);
  b.setGain(2.0);
  b.process(0.0, 0.1, 0.1);
  for (double c : {b.b0, b.b1, b.b2, b.a1, b.a2}) EXPECT_TRUE(std::isfinite(c));
  EXPECT_NEAR(b.getResponse(0.0), 16.0, 1e-9);
}

// At a rate of 40000 Hz the full cutoff is half the rate, where sin(w0)
// and alpha vanish; the design is held just below, so the poles stay inside
// the unit circle and the output stays bounded.
TEST(BiquadFilter, FullCutoffAtHalfTheRateStaysStable) {
  for (int mode = 0; mode <= 3; ++mode) {
    BiquadFilter b;
    b.setFilterMode(static_cast<eFilterMode>(mode));
    b.setSampleRate(40000.0);
    ASSERT_DOUBLE_EQ(b.maxFrequency, 20000.0);
    double peak = 0.0;
    for (int k = 0; k < 20; ++k)
      for (double x : gentest::input()) peak = std::fmax(peak, std::fabs(b.process(x, 1.0, 1.0)));
    EXPECT_LT(std::fabs(b.a2), 1.0) << mode;
    EXPECT_GT(b.a0, 1.0) << mode;
    EXPECT_LT(peak, 50.0) << mode;
  }
}

TEST(BiquadFilter, ModesOutsideTheSevenKeepTheirCoefficients) {
  BiquadFilter b(kFilterModeHighPass, 44100.0);
  const double b0 = b.b0;
  b.setFilterMode(static_cast<eFilterMode>(9));
  b.process(0.3, 0.2, 0.2);
  EXPECT_EQ(b.b0, b0);
}

}  // namespace
