// Sections, state forms, cascades, transforms and the root finder.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "DspLib/Dsp.h"
#include "dsp_test_support.h"

namespace {

using Dsp::complex_t;

const double kInf = std::numeric_limits<double>::infinity();

TEST(Biquad, StorageOrderAndNormalisation) {
  Dsp::Biquad b;
  b.setCoefficients(2, 1, 0.5, 4, 2, 1);  // a0, a1, a2, b0, b1, b2
  static_assert(sizeof(Dsp::Biquad) == 6 * sizeof(double), "six doubles, nothing else");
  double stored[6];
  std::memcpy(stored, &b, sizeof stored);
  // a0 as passed, then a1, a2, b1, b2, b0 divided by it.
  const double expected[6] = {2, 0.5, 0.25, 1, 0.5, 2};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(stored[i], expected[i]) << i;
}

TEST(Biquad, OnePoleNumeratorIsMinusZeroPlusDelay) {
  Dsp::Biquad b;
  b.setOnePole(complex_t(0.5, 7), complex_t(-1, 9));  // imaginary parts are not read
  EXPECT_EQ(b.getB0(), 1);
  EXPECT_EQ(b.getB1(), 1);
  EXPECT_EQ(b.getA1(), -0.5);
  EXPECT_EQ(b.getA2(), 0);

  Dsp::Biquad inverted;
  inverted.setOnePole(0.5, 1);
  EXPECT_EQ(inverted.getB0(), -1);
  EXPECT_EQ(inverted.getB1(), 1);
  // -1 times the textbook (1 - z^-1) / (1 - 0.5 z^-1).
  const double f = 0.1;
  const complex_t z1 = std::polar(1.0, -2 * Dsp::kPi * f);
  const complex_t textbook = (1. - z1) / (1. - 0.5 * z1);
  EXPECT_NEAR(std::abs(inverted.response(f) + textbook), 0, 1e-15);
}

TEST(Biquad, TwoPoleReadsTheFirstRootOfAConjugatePair) {
  Dsp::Biquad b;
  b.setTwoPole(complex_t(0.5, 0.5), complex_t(-1, 0), complex_t(123, 4), complex_t(0.25, 0));
  EXPECT_EQ(b.getA1(), -1);
  EXPECT_EQ(b.getA2(), 0.5);
  EXPECT_EQ(b.getB1(), 0.75);  // -(-1 + 0.25)
  EXPECT_EQ(b.getB2(), -0.25);

  // An infinite part makes the norm that part's magnitude rather than NaN.
  Dsp::Biquad inf;
  inf.setTwoPole(complex_t(0.5, 0.5), complex_t(kInf, 1), 0, 0);
  EXPECT_EQ(inf.getB2(), kInf);
}

TEST(Biquad, IdentityPassesEverything) {
  Dsp::Biquad b;
  b.setOnePole(0.9, 0.3);
  b.setIdentity();
  for (double f : {0.0, 0.1, 0.25, 0.5}) {
    EXPECT_EQ(b.response(f), complex_t(1, 0));
  }
}

TEST(Biquad, PoleStateRoundTrip) {
  Dsp::Biquad b;
  const complex_t pole(0.6, 0.3);
  b.setTwoPole(pole, 0.5, std::conj(pole), -0.8);
  b.applyScale(3);
  const Dsp::BiquadPoleState s(b);
  // The principal root of a negative real puts the negative imaginary part first.
  EXPECT_NEAR(std::abs(s.poles.first - std::conj(pole)), 0, 1e-15);
  EXPECT_NEAR(std::abs(s.poles.second - pole), 0, 1e-15);
  EXPECT_NEAR(std::abs(s.zeros.first - complex_t(-0.8, 0)), 0, 1e-15);
  EXPECT_NEAR(std::abs(s.zeros.second - complex_t(0.5, 0)), 0, 1e-15);
  EXPECT_EQ(s.gain, 3);

  // Rebuilt from its factored form, the section responds the same.
  const Dsp::Biquad rebuilt(s);
  for (double f : {0.0, 0.05, 0.3})
    EXPECT_NEAR(std::abs(rebuilt.response(f) - b.response(f)), 0, 1e-13);

  Dsp::Biquad single;
  single.setOnePole(0.25, -0.5);
  const std::vector<Dsp::PoleZeroPair> pz = single.getPoleZeros();
  ASSERT_EQ(pz.size(), 1u);
  EXPECT_EQ(pz[0].poles.first, complex_t(0.25, 0));
  EXPECT_EQ(pz[0].zeros.first, complex_t(-0.5, 0));
  EXPECT_TRUE(pz[0].isSinglePole());
}

template <class StateType>
class GuardTest : public ::testing::Test {};
typedef ::testing::Types<Dsp::DirectFormI, Dsp::DirectFormII> StateForms;
TYPED_TEST_SUITE(GuardTest, StateForms);

TYPED_TEST(GuardTest, AlternatesInTheFirstSectionOnly) {
  Dsp::Biquad sections[2];
  sections[0].setCoefficients(1, 0, 0, 1, 0, 0);
  sections[1].setCoefficients(1, 0, 0, 1, 0, 0);

  typename Dsp::CascadeStages<2>::template State<TypeParam> one;
  double x[4] = {0, 0, 0, 0};
  one.process(4, x, sections, 1);
  EXPECT_EQ(x[0], -1e-8);
  EXPECT_EQ(x[1], 1e-8);
  EXPECT_EQ(x[2], -1e-8);
  EXPECT_EQ(x[3], 1e-8);

  // A second section adds nothing; the guard still flips once per sample.
  typename Dsp::CascadeStages<2>::template State<TypeParam> two;
  double y[3] = {0, 0, 0};
  two.process(3, y, sections, 2);
  EXPECT_EQ(y[0], -1e-8);
  EXPECT_EQ(y[1], 1e-8);
  EXPECT_EQ(y[2], -1e-8);
  EXPECT_EQ(two.getGuard(), -1e-8);

  // It carries on across blocks and across reset, and an empty block leaves it.
  two.reset();
  two.process(0, y, sections, 2);
  EXPECT_EQ(two.getGuard(), -1e-8);
  double z[1] = {0};
  two.process(1, z, sections, 2);
  EXPECT_EQ(z[0], 1e-8);
}

// A steady sine comes out scaled and shifted by the designed response, in both state forms.
TYPED_TEST(GuardTest, SteadySineFollowsTheResponse) {
  Dsp::Butterworth::Design::LowPass<4> design;
  Dsp::Params p;
  p[0] = 48000;
  p[1] = 4;
  p[2] = 3000;
  design.applyParams(p);
  typename Dsp::Butterworth::Design::LowPass<4>::template State<TypeParam> state;

  const double f = 2500.0 / 48000;
  const int n = 4000;
  std::vector<double> x(n);
  for (int i = 0; i < n; ++i) x[i] = std::sin(2 * Dsp::kPi * f * i);
  design.process(n, x.data(), state);
  const complex_t h = design.response(f);
  for (int i = n - 50; i < n; ++i) {
    const double expected = std::abs(h) * std::sin(2 * Dsp::kPi * f * i + std::arg(h));
    EXPECT_NEAR(x[i], expected, 1e-7) << i;  // the guard's 1e-8 is part of the tolerance
  }
}

TEST(Cascade, LayoutToSectionsWithNormalisation) {
  Dsp::PoleZeroPair pairs[2];
  Dsp::LayoutBase layout(4, pairs);
  layout.addConjugatePairs(complex_t(0.5, 0.4), complex_t(-1, 0));
  layout.addSingle(0.2, -1);
  layout.setNormal(0, 3);

  Dsp::Biquad stages[3];
  Dsp::Cascade cascade;
  cascade.setCascadeStorage(Dsp::Cascade::Storage(3, stages));
  EXPECT_EQ(cascade.response(0.1), complex_t(1, 0));  // no section yet
  cascade.setLayout(layout);
  ASSERT_EQ(cascade.getNumStages(), 2);

  Dsp::Biquad unscaled0, unscaled1;
  unscaled0.setTwoPole(complex_t(0.5, 0.4), -1, complex_t(0.5, -0.4), -1);
  unscaled1.setOnePole(0.2, -1);
  EXPECT_EQ(cascade[0].getA1(), unscaled0.getA1());
  EXPECT_EQ(cascade[0].getA2(), unscaled0.getA2());
  EXPECT_NE(cascade[0].getB0(), unscaled0.getB0());
  EXPECT_EQ(cascade[1].getB0(), unscaled1.getB0());
  EXPECT_EQ(cascade[1].getB1(), unscaled1.getB1());
  EXPECT_EQ(cascade[1].getA1(), unscaled1.getA1());
  EXPECT_NEAR(std::abs(cascade.response(0)), 3, 1e-14);

  const std::vector<Dsp::PoleZeroPair> pz = cascade.getPoleZeros();
  ASSERT_EQ(pz.size(), 2u);
  EXPECT_NEAR(std::abs(pz[1].poles.first - complex_t(0.2, 0)), 0, 1e-15);
  EXPECT_NEAR(std::abs(std::abs(pz[0].poles.first) - std::abs(complex_t(0.5, 0.4))), 0, 1e-15);

  // Normalised at half the sampling rate instead.
  layout.setNormal(Dsp::kPi, 1);
  pairs[0] = Dsp::PoleZeroPair(complex_t(0.5, 0.4), 1, complex_t(0.5, -0.4), 1);
  cascade.setLayout(layout);
  EXPECT_NEAR(std::abs(cascade.response(0.5)), 1, 1e-14);
}

TEST(Transform, LowAndHighPassOfOnePole) {
  Dsp::PoleZeroPair analogPair[1], digitalPair[1];
  Dsp::LayoutBase analog(2, analogPair);
  analog.addSingle(-1, Dsp::infinity());
  analog.setNormal(0.3, 2);
  Dsp::LayoutBase digital(2, digitalPair);

  const double fc = 0.1;
  Dsp::LowPassTransform(fc, digital, analog);
  const double f = std::tan(Dsp::kPi * fc);
  ASSERT_EQ(digital.getNumPoles(), 1);
  EXPECT_TRUE(digital[0].isSinglePole());
  EXPECT_EQ(digital[0].zeros.first, complex_t(-1, 0));
  EXPECT_NEAR(digital[0].poles.first.real(), (1 - f) / (1 + f), 1e-15);
  EXPECT_EQ(digital.getNormalW(), 0.3);
  EXPECT_EQ(digital.getNormalGain(), 2);

  Dsp::HighPassTransform(fc, digital, analog);
  const double g = 1 / std::tan(Dsp::kPi * fc);
  ASSERT_EQ(digital.getNumPoles(), 1);
  EXPECT_EQ(digital[0].zeros.first, complex_t(1, 0));
  EXPECT_NEAR(digital[0].poles.first.real(), -(1 - g) / (1 + g), 1e-15);
  EXPECT_EQ(digital.getNormalW(), Dsp::kPi - 0.3);
}

TEST(Transform, BandTransformsDoubleThePoles) {
  Dsp::PoleZeroPair analogPair[1], digitalPairs[2];
  Dsp::LayoutBase analog(2, analogPair);
  analog.addConjugatePairs(complex_t(-0.7071, 0.7071), Dsp::infinity());
  Dsp::LayoutBase digital(4, digitalPairs);

  Dsp::BandPassTransform(0.1, 0.05, digital, analog);
  ASSERT_EQ(digital.getNumPoles(), 4);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(digital[i].poles.second, std::conj(digital[i].poles.first));
    EXPECT_LT(std::abs(digital[i].poles.first), 1);
  }

  // A band reaching past half the sampling rate is held just inside it.
  Dsp::BandPassTransform(0.4, 0.5, digital, analog);
  EXPECT_TRUE(std::isfinite(digital.getNormalW()));
  EXPECT_LT(digital.getNormalW(), Dsp::kPi);
  for (int i = 0; i < 2; ++i) EXPECT_LT(std::abs(digital[i].poles.first), 1);

  Dsp::BandStopTransform(0.2, 0.05, digital, analog);
  EXPECT_EQ(digital.getNormalW(), Dsp::kPi);
  Dsp::BandStopTransform(0.25, 0.05, digital, analog);
  EXPECT_EQ(digital.getNormalW(), 0);
}

//------------------------------------------------------------------------------

TEST(RootFinder, SmallPolynomials) {
  Dsp::RootFinder<4> rf;
  rf.coef()[0] = 1;
  rf.coef()[1] = 0;
  rf.coef()[2] = 1;  // x^2 + 1
  rf.solve(2);
  EXPECT_NEAR(std::abs(rf.root()[0] - complex_t(0, 1)), 0, 1e-15);
  EXPECT_NEAR(std::abs(rf.root()[1] - complex_t(0, -1)), 0, 1e-15);

  rf.coef()[0] = -2;
  rf.coef()[1] = 1;  // x - 2
  rf.solve(1);
  EXPECT_EQ(rf.root()[0], complex_t(2, 0));

  // Three real roots: imaginary parts exactly 0.
  rf.coef()[0] = -6;
  rf.coef()[1] = 11;
  rf.coef()[2] = -6;
  rf.coef()[3] = 1;  // (x - 1)(x - 2)(x - 3)
  rf.solve(3);
  double sum = 0;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(rf.root()[i].imag(), 0);
    sum += rf.root()[i].real();
  }
  EXPECT_NEAR(sum, 6, 1e-14);

  // Degree 0 touches nothing.
  rf.root()[0] = complex_t(9, 9);
  rf.solve(0);
  EXPECT_EQ(rf.root()[0], complex_t(9, 9));

  EXPECT_EQ(rf.eval(3, 0), complex_t(-6, 0));
  EXPECT_NEAR(std::abs(rf.eval(3, complex_t(4, 0)) - complex_t(6, 0)), 0, 1e-12);
}

TEST(RootFinder, SortKeepsEqualImaginaryPartsInOrder) {
  Dsp::RootFinder<4> rf;
  rf.root()[0] = complex_t(1, 0);
  rf.root()[1] = complex_t(2, 3);
  rf.root()[2] = complex_t(3, 0);
  rf.root()[3] = complex_t(4, -1);
  rf.sort(4);
  EXPECT_EQ(rf.root()[0], complex_t(2, 3));
  EXPECT_EQ(rf.root()[1], complex_t(1, 0));
  EXPECT_EQ(rf.root()[2], complex_t(3, 0));
  EXPECT_EQ(rf.root()[3], complex_t(4, -1));
}

TEST(RootFinder, ReverseBesselCoefficients) {
  using Dsp::Bessel::reverseBesselCoefficient;
  const std::vector<std::vector<double>> c = {
      {1, 1}, {3, 3, 1}, {15, 15, 6, 1}, {105, 105, 45, 10, 1}};
  for (size_t n = 1; n <= c.size(); ++n) {
    for (size_t k = 0; k <= n; ++k)
      EXPECT_EQ(reverseBesselCoefficient(static_cast<int>(n), static_cast<int>(k)), c[n - 1][k]);
  }
}

// The roots of the reverse Bessel polynomials agree with scipy's Bessel prototype poles.
TEST(RootFinder, BesselPolynomialsMatchScipy) {
  std::ifstream in(std::string(HB_TEST_DATA_DIR) + "/bessel_roots.txt");
  std::string word;
  int orders = 0;
  while (dsptest::readWord(in, word)) {
    int n = 0;
    in >> n;
    std::vector<complex_t> expected(n);
    for (complex_t& r : expected) {
      double re, im;
      in >> re >> im;
      r = complex_t(re, im);
    }
    Dsp::RootFinder<50> rf;
    for (int k = 0; k <= n; ++k) rf.coef()[k] = Dsp::Bessel::reverseBesselCoefficient(n, k);
    rf.solve(n);
    // The roots grow ill-conditioned with the degree; the orders the designs use are exact
    // to a few units of rounding.
    const double tolerance = n <= 5 ? 1e-14 : 1e-8;
    for (int i = 0; i < n; ++i) {
      if (i > 0) {
        EXPECT_GE(rf.root()[i - 1].imag(), rf.root()[i].imag());  // sorted
      }
      double best = 1e300;
      for (const complex_t& r : expected) best = std::min(best, std::abs(rf.root()[i] - r));
      EXPECT_LT(best, tolerance * std::abs(rf.root()[i])) << "order " << n << " root " << i;
    }
    ++orders;
  }
  EXPECT_EQ(orders, 15);
}

TEST(RootFinder, NonConvergenceThrows) {
  Dsp::RootFinder<4> rf;
  rf.coef()[0] = 1;
  rf.coef()[1] = NAN;
  rf.coef()[2] = 1;
  try {
    rf.solve(2);
    FAIL() << "solved";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "laguerre failed");
  }
}

}  // namespace
