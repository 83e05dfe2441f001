// The Chebyshev II, Legendre, elliptic and custom designs: their prototypes, defining
// properties, caching, failures and filter wrappers. Their responses are also compared with
// independent references in reference_test.cpp.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "DspLib/Dsp.h"
#include "dsp_test_support.h"

namespace {

using Dsp::complex_t;
using dsptest::block;
using dsptest::mag;
using dsptest::make;
using dsptest::stable;

const double kPi = 3.141592653589793;

double db(double magnitude) {
  return 20 * std::log10(magnitude);
}

double fromDb(double level) {
  return std::pow(10, level / 20);
}

// |H(jw)| of an analog prototype, scaled to its normal gain at 0 rad/s.
double analogMagnitude(const Dsp::LayoutBase& proto, double w) {
  auto raw = [&proto](double x) {
    const complex_t s(0, x);
    complex_t h(1, 0);
    for (int i = 0; i < (proto.getNumPoles() + 1) / 2; ++i) {
      const Dsp::PoleZeroPair& p = proto[i];
      const bool single = p.isSinglePole();
      h /= s - p.poles.first;
      if (!single) h /= s - p.poles.second;
      if (!Dsp::isInfinity(p.zeros.first)) h *= s - p.zeros.first;
      if (!single && !Dsp::isInfinity(p.zeros.second)) h *= s - p.zeros.second;
    }
    return mag(h);
  };
  return proto.getNormalGain() * raw(w) / raw(0);
}

//------------------------------------------------------------------------------
// Chebyshev II

TEST(ChebyshevII, PrototypeZerosOnTheImaginaryAxis) {
  Dsp::PoleFilter<Dsp::ChebyshevII::LowPassBase, 4> d;
  d.setup(2, 44100, 1000, 48);
  const Dsp::LayoutBase& two = d.getAnalogPrototype();
  ASSERT_EQ(two.getNumPoles(), 2);
  EXPECT_NEAR(std::abs(two[0].zeros.first - complex_t(0, std::sqrt(2.))), 0, 1e-15);
  EXPECT_EQ(two[0].zeros.second, std::conj(two[0].zeros.first));
  EXPECT_LT(two[0].poles.first.real(), 0);

  d.setup(3, 44100, 1000, 48);
  const Dsp::LayoutBase& three = d.getAnalogPrototype();
  ASSERT_EQ(three.getNumPoles(), 3);
  EXPECT_NEAR(std::abs(three[0].zeros.first - complex_t(0, 1 / std::cos(kPi / 6))), 0, 1e-15);
  EXPECT_TRUE(three[1].isSinglePole());
  EXPECT_LT(three[1].poles.first.real(), 0);
  EXPECT_TRUE(Dsp::isInfinity(three[1].zeros.first));
}

// Flat to unity below the stop-band edge, never above -stopDb from the edge on.
TEST(ChebyshevII, StopBandFloorFromTheCutoffOn) {
  const double fs = 44100, fc = 1000;
  auto f = make<Dsp::ChebyshevII::Design::LowPass<8>>();
  for (double stop : {3., 20., 48., 60.}) {
    const double floor = std::pow(10, -stop / 20);
    for (int order = 1; order <= 8; ++order) {
      f->setParams(block({fs, double(order), fc, stop}));
      EXPECT_NEAR(mag(f->response(0)), 1, 1e-12);
      EXPECT_NEAR(db(mag(f->response(fc / fs))), -stop, 1e-9) << order << " " << stop;
      double peak = 0, below = 0;
      for (int i = 0; i <= 2000; ++i) {
        const double hz = fc * std::pow(fs / 2 / fc, i / 2000.);
        peak = std::max(peak, mag(f->response(hz / fs)));
        below = std::max(below, mag(f->response(fc * i / 2000. / fs)));
      }
      EXPECT_LE(peak, floor * (1 + 1e-9)) << order << " " << stop;
      EXPECT_LE(below, 1 + 1e-12) << order << " " << stop;
    }
  }
}

// A type II shelf's stop band is normally deeper than its gain: those shelves reach their gain.
// Shallower depths give a rippled shelf whose even orders sit at the inner edge of the ripple.
TEST(ChebyshevII, ShelvesReachTheirGain) {
  using namespace Dsp::ChebyshevII::Design;
  const double fs = 48000;
  const std::vector<dsptest::Level> table = {
      {"low shelf at 0 Hz", make<LowShelf<4>>(), block({fs, 4, 1000, 6, 48}), 0, fromDb(6)},
      {"low shelf at Nyquist", make<LowShelf<4>>(), block({fs, 4, 1000, 6, 48}), 0.5, fromDb(0)},
      {"odd low cut at 0 Hz", make<LowShelf<4>>(), block({fs, 3, 300, -12, 20}), 0, fromDb(-12)},
      {"high shelf at Nyquist", make<HighShelf<4>>(), block({fs, 2, 4000, -9, 60}), 0.5,
       fromDb(-9)},
      {"high shelf at 0 Hz", make<HighShelf<4>>(), block({fs, 2, 4000, -9, 60}), 0, fromDb(0)},
      {"band shelf at its center", make<BandShelf<4>>(), block({fs, 3, 3000, 1000, 12, 48}),
       3000 / fs, fromDb(12)},
      {"band shelf at Nyquist", make<BandShelf<4>>(), block({fs, 3, 3000, 1000, 12, 48}), 0.5,
       fromDb(0)},
      {"rippled odd shelf", make<LowShelf<4>>(), block({fs, 3, 1000, 12, 3}), 0, fromDb(12)},
      {"rippled even shelf", make<LowShelf<4>>(), block({fs, 4, 1000, 12, 3}), 0, fromDb(9)},
  };
  dsptest::expectLevels(table);
}

// The type II shelf is the type I shelf with the stop-band attenuation as its depth.
TEST(ChebyshevII, ShelfIsTheTypeIShelfWithTheStopBandAsDepth) {
  Dsp::PoleFilter<Dsp::ChebyshevII::LowShelfBase, 4> two;
  Dsp::PoleFilter<Dsp::ChebyshevI::LowShelfBase, 4> one;
  for (double depth : {1., 3., 48.}) {
    two.setup(3, 44100, 800, 9, depth);
    one.setup(3, 44100, 800, 9, depth);
    for (double f : {0.0, 0.01, 0.1, 0.5}) EXPECT_EQ(two.response(f), one.response(f)) << depth;
  }
}

// With a depth reaching the whole shelf the Chebyshev shelf's poles would sit on the imaginary
// axis; it used to come out at unrelated levels (+19.5 dB at 0 Hz for a +6 dB shelf of order
// 1). It is the maximally flat shelf of the same order and gain instead.
TEST(Shelves, DepthReachingTheWholeShelfGivesTheFlatShelf) {
  const double fs = 44100;
  for (int order = 1; order <= 4; ++order) {
    for (double gain : {6., -12., 24.}) {
      Dsp::PoleFilter<Dsp::Butterworth::LowShelfBase, 4> flat;
      Dsp::PoleFilter<Dsp::ChebyshevI::LowShelfBase, 4> typeI;
      Dsp::PoleFilter<Dsp::ChebyshevII::LowShelfBase, 4> typeII;
      flat.setup(order, fs, 1000, gain);
      typeI.setup(order, fs, 1000, gain, std::fabs(gain));
      typeII.setup(order, fs, 1000, gain, 48);
      EXPECT_NEAR(db(mag(typeII.response(0))), gain, 1e-9) << order << " " << gain;
      EXPECT_NEAR(mag(typeII.response(0.5)), 1, 1e-12);
      for (double f : {0.0, 0.005, 0.02, 0.2, 0.5}) {
        EXPECT_EQ(typeI.response(f), flat.response(f)) << order << " " << gain;
        EXPECT_EQ(typeII.response(f), flat.response(f)) << order << " " << gain;
      }
    }
  }
  // A ripple shallower than the shelf still shapes it.
  Dsp::PoleFilter<Dsp::Butterworth::LowShelfBase, 4> flat;
  Dsp::PoleFilter<Dsp::ChebyshevI::LowShelfBase, 4> rippled;
  flat.setup(4, fs, 1000, 12);
  rippled.setup(4, fs, 1000, 12, 1);
  EXPECT_NEAR(db(mag(rippled.response(0))), 11, 1e-9);
  EXPECT_GT(std::abs(rippled.response(0.02) - flat.response(0.02)), 0.01);
}

//------------------------------------------------------------------------------
// Legendre

TEST(Legendre, LegendrePolynomials) {
  Dsp::Legendre::PolynomialFinder<8> pf;
  double p[9];
  const std::vector<std::vector<double>> expected = {{1},
                                                     {0, 1},
                                                     {-0.5, 0, 1.5},
                                                     {0, -1.5, 0, 2.5},
                                                     {0.375, 0, -3.75, 0, 4.375},
                                                     {0, 1.875, 0, -8.75, 0, 7.875}};
  for (size_t n = 0; n < expected.size(); ++n) {
    pf.legendre(p, static_cast<int>(n));
    for (size_t j = 0; j <= n; ++j) EXPECT_NEAR(p[j], expected[n][j], 1e-15) << n << " " << j;
  }
}

struct LegendreReference {
  std::vector<double> w;
  std::vector<complex_t> poles;
};

std::vector<LegendreReference> readLegendreReference() {
  std::ifstream in(std::string(HB_TEST_DATA_DIR) + "/legendre_polynomials.txt");
  std::vector<LegendreReference> orders(1);  // index = order
  std::string word;
  while (dsptest::readWord(in, word)) {
    int n = 0;
    in >> n;
    LegendreReference r;
    r.w.resize(n + 1);
    for (double& c : r.w) in >> c;
    for (int i = 0; i < n; ++i) {
      double re, im;
      in >> re >> im;
      r.poles.push_back(complex_t(re, im));
    }
    orders.push_back(r);
  }
  return orders;
}

// L_n's coefficients grow to 1e15 by order 25 while L_n(1) = 1; they agree with the exact
// ones to rounding relative to the largest.
TEST(Legendre, OptimumLPolynomialsMatchTheExactOnes) {
  const std::vector<LegendreReference> ref = readLegendreReference();
  ASSERT_EQ(ref.size(), 26u);
  Dsp::Legendre::PolynomialFinder<25> pf;
  for (int n = 1; n <= 25; ++n) {
    pf.solve(n);
    double largest = 0;
    for (double c : ref[n].w) largest = std::max(largest, std::fabs(c));
    for (int i = 0; i <= n; ++i)
      EXPECT_NEAR(pf.w()[i], ref[n].w[i], 2e-15 * largest) << "order " << n << " w" << i;
  }
  pf.solve(2);
  EXPECT_EQ(pf.w()[0], 0);
  EXPECT_EQ(pf.w()[1], 0);
  EXPECT_NEAR(pf.w()[2], 1, 1e-15);
}

// Orders 1 and 2 are the first-order and second-order Butterworth prototypes. Higher orders
// lose precision with the growing coefficients: exact to rounding up to 9, to 1e-8 up to 16.
TEST(Legendre, PrototypePolesMatchTheExactOnes) {
  const std::vector<LegendreReference> ref = readLegendreReference();
  Dsp::PoleFilter<Dsp::Legendre::LowPassBase, 25> d;
  Dsp::Legendre::Workspace<25> w;
  d.setup(1, 44100, 1000, &w);
  ASSERT_EQ(d.getAnalogPrototype().getNumPoles(), 1);
  EXPECT_NEAR(std::abs(d.getAnalogPrototype()[0].poles.first - complex_t(-1, 0)), 0, 1e-15);
  d.setup(2, 44100, 1000, &w);
  EXPECT_NEAR(
      std::abs(d.getAnalogPrototype()[0].poles.first - complex_t(-std::sqrt(.5), std::sqrt(.5))), 0,
      1e-15);

  for (int n = 1; n <= 25; ++n) {
    d.setup(n, 44100, 1000, &w);
    const Dsp::LayoutBase& proto = d.getAnalogPrototype();
    ASSERT_EQ(proto.getNumPoles(), n);
    const double tolerance = n <= 9 ? 1e-14 : n <= 16 ? 1e-8 : 1e-3;
    for (int i = 0; i < (n + 1) / 2; ++i) {
      const complex_t p = proto[i].poles.first;
      EXPECT_LT(p.real(), 0);
      if (proto[i].isSinglePole()) {
        EXPECT_EQ(p.imag(), 0);
      }
      double best = 1e300;
      for (const complex_t& r : ref[n].poles) best = std::min(best, std::abs(p - r));
      EXPECT_LT(best, tolerance * std::abs(p)) << "order " << n << " pole " << i;
    }
  }
}

// The defining properties: a magnitude that never rises in the passband (never falls for the
// high pass) and exactly -3 dB at the cutoff.
TEST(Legendre, MonotoneWithTheCutoffAtMinus3dB) {
  const double fs = 44100, fc = 2500;
  auto lp = make<Dsp::Legendre::Design::LowPass<16>>();
  auto hp = make<Dsp::Legendre::Design::HighPass<16>>();
  const double halfPowerDb = -10 * std::log10(2.);
  for (int order = 1; order <= 16; ++order) {
    lp->setParams(block({fs, double(order), fc}));
    hp->setParams(block({fs, double(order), fc}));
    EXPECT_TRUE(stable(lp->getPoleZeros()) && stable(hp->getPoleZeros())) << order;
    EXPECT_NEAR(db(mag(lp->response(fc / fs))), halfPowerDb, 1e-6) << order;
    EXPECT_NEAR(db(mag(hp->response(fc / fs))), halfPowerDb, 1e-6) << order;
    EXPECT_NEAR(mag(lp->response(0)), 1, 1e-12) << order;
    EXPECT_NEAR(mag(hp->response(0.5)), 1, 1e-12) << order;
    double lpPrev = 2, hpPrev = 0;
    for (int i = 0; i <= 2000; ++i) {
      const double f = 0.5 * i / 2000;
      const double l = mag(lp->response(f));
      const double h = mag(hp->response(f));
      ASSERT_LE(l, lpPrev * (1 + 1e-12)) << order << " at " << f * fs << " Hz";
      ASSERT_GE(h, hpPrev * (1 - 1e-12)) << order << " at " << f * fs << " Hz";
      lpPrev = l;
      hpPrev = h;
    }
  }
}

TEST(Legendre, SolvesOncePerOrderAndStaysInsideItsWorkspace) {
  Dsp::PoleFilter<Dsp::Legendre::LowPassBase, 8> d;
  Dsp::Legendre::Workspace<8> w;
  d.setup(5, 44100, 1000, &w);
  const complex_t sentinel(7, 7);
  w.roots.coef()[0] = sentinel;
  d.setup(5, 44100, 3000, &w);  // new cutoff only
  EXPECT_EQ(w.roots.coef()[0], sentinel);
  d.setup(4, 44100, 3000, &w);
  EXPECT_NE(w.roots.coef()[0], sentinel);

  // A workspace for order 4 designs order 4 when asked for 6.
  Dsp::PoleFilter<Dsp::Legendre::LowPassBase, 8> six, four;
  Dsp::Legendre::Workspace<4> small;
  six.setup(6, 44100, 1000, &small);
  four.setup(4, 44100, 1000, &small);
  EXPECT_EQ(six.getAnalogPrototype().getNumPoles(), 4);
  EXPECT_EQ(six.response(0.03), four.response(0.03));
}

//------------------------------------------------------------------------------
// Elliptic

TEST(Elliptic, CompleteEllipticIntegral) {
  using Dsp::Elliptic::Solver;
  EXPECT_EQ(Solver::ellipticK(0), 1.5707963267948966);
  EXPECT_NEAR(Solver::ellipticK(std::sqrt(0.5)), 1.8540746773013719, 1e-15);
  EXPECT_NEAR(Solver::ellipticK(0.5), 1.685750354812596, 1e-15);
  EXPECT_NEAR(Solver::ellipticK(std::sqrt(0.99)), 3.6956373629898747, 1e-14);
}

// Equiripple between 10^(-ripple/20) and 1 up to the cutoff; odd orders are 1 at 0 Hz, even
// orders sit at the bottom of the ripple there; the stop band never rises above its level at
// the stop-band edge xi.
TEST(Elliptic, PassbandRippleAndStopbandFloor) {
  Dsp::PoleFilter<Dsp::Elliptic::LowPassBase, 8> d;
  for (double ripple : {0.1, 1., 3.}) {
    for (double rolloff : {-4., 0., 2.}) {
      const double xi = Dsp::Elliptic::selectivity(rolloff);
      const double bottom = std::pow(10, -ripple / 20);
      for (int order = 1; order <= 8; ++order) {
        d.setup(order, 44100, 1000, ripple, rolloff);
        const Dsp::LayoutBase& proto = d.getAnalogPrototype();
        const std::string where =
            std::to_string(order) + " " + std::to_string(ripple) + " " + std::to_string(rolloff);
        EXPECT_NEAR(analogMagnitude(proto, 0), (order & 1) ? 1 : bottom, 1e-12) << where;
        EXPECT_NEAR(analogMagnitude(proto, 1), bottom, 1e-9) << where;
        const double floor = analogMagnitude(proto, xi);
        for (int i = 0; i <= 400; ++i) {
          const double pass = analogMagnitude(proto, i / 400.);
          ASSERT_GE(pass, bottom * (1 - 1e-9)) << where;
          ASSERT_LE(pass, 1 + 1e-9) << where;
          ASSERT_LE(analogMagnitude(proto, xi * std::pow(100., i / 400.)), floor * (1 + 1e-7))
              << where;
        }
      }
    }
  }
}

// The steepest rolloffs squeeze the transition band to parts in 1e7 of the cutoff, where the
// factored polynomial's rounding shows at the passband edge: hundredths of a dB up to order
// 12, a tenth or so beyond. The designs stay stable and normalised.
TEST(Elliptic, SteepestRolloffsStayStable) {
  Dsp::PoleFilter<Dsp::Elliptic::LowPassBase, 16> d;
  for (double rolloff : {-16., -14., -12.}) {
    for (double ripple : {0.001, 1., 12.}) {
      for (int order = 1; order <= 16; ++order) {
        d.setup(order, 48000, 5000, ripple, rolloff);
        const std::string where =
            std::to_string(order) + " " + std::to_string(ripple) + " " + std::to_string(rolloff);
        ASSERT_TRUE(stable(d.getPoleZeros())) << where;
        EXPECT_NEAR(mag(d.response(0)), (order & 1) ? 1 : std::pow(10, -ripple / 20), 1e-12)
            << where;
        EXPECT_NEAR(db(mag(d.response(5000 / 48000.))), -ripple, order <= 12 ? 0.05 : 0.2) << where;
      }
    }
  }
}

// The pole extraction is bounded: arguments it cannot factor (a NaN, or a selectivity of 1
// where the elliptic sine's series does not converge) throw instead of hanging, whatever the
// order. The filter keeps its previous design and the next valid one builds. (A first-order
// design has no transmission zeros, so its rolloff does not matter.)
TEST(Elliptic, NonConvergenceThrowsAndKeepsTheDesign) {
  auto f = make<Dsp::Elliptic::Design::LowPass<8>>();
  const Dsp::Params good = block({44100, 4, 1000, 1, 0});
  f->setParams(good);
  const complex_t before = f->response(0.03);
  for (double order : {1., 2., 3., 8.}) {
    std::vector<Dsp::Params> bad = {block({44100, order, 1000, NAN, 0})};
    if (order > 1) {
      bad.push_back(block({44100, order, 1000, 1, NAN}));
      bad.push_back(block({44100, order, 1000, 1, -60}));
    }
    for (const Dsp::Params& p : bad) {
      for (int attempt = 0; attempt < 2; ++attempt) {  // a failure is not cached
        try {
          f->setParams(p);
          FAIL() << "designed order " << order;
        } catch (const std::logic_error& e) {
          EXPECT_STREQ(e.what(), "bairstow failed");
        }
        EXPECT_EQ(f->response(0.03), before);
      }
    }
  }
  f->setParams(block({44100, 5, 2000, 0.5, 1}));
  EXPECT_TRUE(stable(f->getPoleZeros()));
  EXPECT_NE(f->response(0.03), before);
}

// Probes the prototype caches by replacing their poles behind their backs.
template <class Design>
class Tampered : public Design {
public:
  void tamper() {
    this->m_analogProto.reset();
    this->m_analogProto.addSingle(-0.5, Dsp::infinity());
  }
};

template <class Design>
void expectCachedPrototype(std::vector<double> params, int changedIndex) {
  Tampered<Design> d;
  d.applyParams(block(params));
  d.tamper();
  params[2] *= 1.5;  // a new cutoff only: the prototype stays
  d.applyParams(block(params));
  EXPECT_EQ(d.getDigitalLayout().getNumPoles(), 1) << d.getName();
  params[changedIndex] *= 1.01;  // the prototype's own value: rebuilt
  d.applyParams(block(params));
  EXPECT_EQ(d.getDigitalLayout().getNumPoles(), static_cast<int>(params[1])) << d.getName();
}

TEST(Caching, NewPrototypesRebuildOnlyForNewInputs) {
  expectCachedPrototype<Dsp::ChebyshevII::Design::LowPass<4>>({44100, 4, 1000, 48}, 3);
  expectCachedPrototype<Dsp::ChebyshevII::Design::LowShelf<4>>({44100, 3, 1000, 6, 48}, 3);
  expectCachedPrototype<Dsp::ChebyshevII::Design::LowShelf<4>>({44100, 3, 1000, 6, 48}, 4);
  expectCachedPrototype<Dsp::Elliptic::Design::LowPass<4>>({44100, 4, 1000, 1, 0.5}, 3);
  expectCachedPrototype<Dsp::Elliptic::Design::LowPass<4>>({44100, 4, 1000, 1, 0.5}, 4);
}

//------------------------------------------------------------------------------
// Custom one- and two-pole sections

// (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2) at f cycles per sample.
complex_t section(double f, double b0, double b1, double b2, double a1, double a2) {
  const complex_t z1 = std::polar(1.0, -2 * kPi * f);
  return (b0 + b1 * z1 + b2 * z1 * z1) / (1. + a1 * z1 + a2 * z1 * z1);
}

TEST(Custom, OnePoleTransferFunction) {
  Dsp::Custom::OnePole s;
  s.setup(1, 0.5, -1);  // (1 + z^-1) / (1 - 0.5 z^-1)
  EXPECT_EQ(s.getB0(), 1);
  EXPECT_EQ(s.getB1(), 1);
  EXPECT_EQ(s.getB2(), 0);
  EXPECT_EQ(s.getA1(), -0.5);
  EXPECT_EQ(s.getA2(), 0);
  for (double f : {0.0, 0.05, 0.25, 0.49})
    EXPECT_NEAR(std::abs(s.response(f) - section(f, 1, 1, 0, -0.5, 0)), 0, 1e-15) << f;

  s.setup(2.5, -0.3, 0.8);  // 2.5 (-0.8 + z^-1) / (1 + 0.3 z^-1)
  for (double f : {0.0, 0.1, 0.5})
    EXPECT_NEAR(std::abs(s.response(f) - section(f, -2, 2.5, 0, 0.3, 0)), 0, 1e-15) << f;
  const Dsp::PoleZeroPair pz = s.getPoleZeros()[0];
  EXPECT_NEAR(pz.poles.first.real(), -0.3, 1e-16);
  EXPECT_NEAR(pz.zeros.first.real(), 0.8, 1e-16);
}

TEST(Custom, TwoPoleTransferFunction) {
  Dsp::Custom::TwoPole s;
  s.setup(1, 0.9, kPi / 2, 1, 0);  // poles +-0.9i, a double zero at 1
  EXPECT_NEAR(s.getA1(), 0, 1e-15);
  EXPECT_NEAR(s.getA2(), 0.81, 1e-15);
  EXPECT_EQ(s.getB0(), 1);
  EXPECT_EQ(s.getB1(), -2);
  EXPECT_EQ(s.getB2(), 1);
  for (double f : {0.0, 0.1, 0.25, 0.4})
    EXPECT_NEAR(std::abs(s.response(f) - section(f, 1, -2, 1, 0, 0.81)), 0, 1e-14) << f;
  const Dsp::PoleZeroPair pz = s.getPoleZeros()[0];
  EXPECT_NEAR(std::abs(pz.poles.first) - 0.9, 0, 1e-15);
  EXPECT_NEAR(std::abs(pz.poles.first.real()), 0, 1e-8);
  EXPECT_NEAR(std::abs(pz.zeros.first - 1.), 0, 1e-7);

  s.setup(0.5, 0.8, 1, 0.95, 2);
  const complex_t p(0.8 * std::cos(1.), 0.8 * std::sin(1.));
  const complex_t z(0.95 * std::cos(2.), 0.95 * std::sin(2.));
  for (double f : {0.0, 0.16, 0.32, 0.5}) {
    const complex_t z1 = std::polar(1.0, -2 * kPi * f);
    const complex_t expected =
        0.5 * (1. - z * z1) * (1. - std::conj(z) * z1) / ((1. - p * z1) * (1. - std::conj(p) * z1));
    EXPECT_NEAR(std::abs(s.response(f) - expected), 0, 1e-14) << f;
  }
}

TEST(Custom, ScaleZeroSilences) {
  Dsp::SmoothedFilterDesign<Dsp::Custom::Design::TwoPole, 2, Dsp::DirectFormI> twoPole(64);
  Dsp::Custom::OnePole one;
  one.setup(0, 0.9, -1);
  EXPECT_EQ(one.response(0.1), complex_t(0, 0));
  Dsp::Custom::TwoPole two;
  two.setup(0, 0.9, 1, 0.5, 2);
  EXPECT_EQ(two.response(0.3), complex_t(0, 0));

  // Through a filter: a single section whose numerator is scaled to 0.
  Dsp::CascadeStages<1>::State<Dsp::DirectFormII> state;
  std::vector<double> x = {1, -0.5, 0.25, 0.9, 0};
  state.process(static_cast<int>(x.size()), x.data(), &two, 1);
  for (double v : x) EXPECT_EQ(v, 0);
}

// The filter wrappers take pole and zero placements by parameter id.
TEST(Custom, FiltersPlaceByParameter) {
  auto one = make<Dsp::Custom::Design::OnePole>();
  one->setParams(one->getDefaultParams());
  Dsp::Custom::OnePole expected;
  expected.setup(1, 0.25, -0.25);
  EXPECT_EQ(one->response(0.2), expected.response(0.2));
  one->setParamById(Dsp::idPoleReal, 0.5);
  one->setParamById(Dsp::idZeroReal, -1);
  expected.setup(1, 0.5, -1);
  EXPECT_EQ(one->response(0.2), expected.response(0.2));

  auto two = make<Dsp::Custom::Design::TwoPole>();
  two->setParams(block({0.9, kPi / 2, 1, 0}));
  Dsp::Custom::TwoPole twoExpected;
  twoExpected.setup(1, 0.9, kPi / 2, 1, 0);
  EXPECT_EQ(two->response(0.2), twoExpected.response(0.2));
}

//------------------------------------------------------------------------------
// Filter wrappers

struct WrapperRow {
  std::shared_ptr<Dsp::Filter> filter;
  Dsp::FilterKind kind;
  const char* name;
  std::vector<int> ids;
  int maxOrder;  // 0 where the design has no order
};

TEST(Wrappers, NewDesignsDescribeTheirParameters) {
  using namespace Dsp;
  const std::vector<int> pass = {idSampleRate, idOrder, idFrequency};
  const std::vector<int> band = {idSampleRate, idOrder, idFrequency, idBandwidthHz};
  const std::vector<WrapperRow> table = {
      {make<ChebyshevII::Design::LowPass<6>>(),
       kindLowPass,
       "Chebyshev II Low Pass",
       {idSampleRate, idOrder, idFrequency, idStopDb},
       6},
      {make<ChebyshevII::Design::HighPass<6>>(),
       kindHighPass,
       "Chebyshev II High Pass",
       {idSampleRate, idOrder, idFrequency, idStopDb},
       6},
      {make<ChebyshevII::Design::BandPass<3>>(),
       kindBandPass,
       "Chebyshev II Band Pass",
       {idSampleRate, idOrder, idFrequency, idBandwidthHz, idStopDb},
       3},
      {make<ChebyshevII::Design::BandStop<3>>(),
       kindBandStop,
       "Chebyshev II Band Stop",
       {idSampleRate, idOrder, idFrequency, idBandwidthHz, idStopDb},
       3},
      {make<ChebyshevII::Design::LowShelf<4>>(),
       kindLowShelf,
       "Chebyshev II Low Shelf",
       {idSampleRate, idOrder, idFrequency, idGain, idStopDb},
       4},
      {make<ChebyshevII::Design::HighShelf<4>>(),
       kindHighShelf,
       "Chebyshev II High Shelf",
       {idSampleRate, idOrder, idFrequency, idGain, idStopDb},
       4},
      {make<ChebyshevII::Design::BandShelf<2>>(),
       kindBandShelf,
       "Chebyshev II Band Shelf",
       {idSampleRate, idOrder, idFrequency, idBandwidthHz, idGain, idStopDb},
       2},
      {make<Legendre::Design::LowPass<5>>(), kindLowPass, "Legendre Low Pass", pass, 5},
      {make<Legendre::Design::HighPass<5>>(), kindHighPass, "Legendre High Pass", pass, 5},
      {make<Legendre::Design::BandPass<3>>(), kindBandPass, "Legendre Band Pass", band, 3},
      {make<Legendre::Design::BandStop<3>>(), kindBandStop, "Legendre Band Stop", band, 3},
      {make<Elliptic::Design::LowPass<7>>(),
       kindLowPass,
       "Elliptic Low Pass",
       {idSampleRate, idOrder, idFrequency, idRippleDb, idRolloff},
       7},
      {make<Elliptic::Design::HighPass<7>>(),
       kindHighPass,
       "Elliptic High Pass",
       {idSampleRate, idOrder, idFrequency, idRippleDb, idRolloff},
       7},
      {make<Elliptic::Design::BandPass<2>>(),
       kindBandPass,
       "Elliptic Band Pass",
       {idSampleRate, idOrder, idFrequency, idBandwidthHz, idRippleDb, idRolloff},
       2},
      {make<Elliptic::Design::BandStop<2>>(),
       kindBandStop,
       "Elliptic Band Stop",
       {idSampleRate, idOrder, idFrequency, idBandwidthHz, idRippleDb, idRolloff},
       2},
      {make<Custom::Design::OnePole>(),
       kindLowPass,
       "Custom One Pole",
       {idPoleReal, idZeroReal},
       0},
      {make<Custom::Design::TwoPole>(),
       kindLowPass,
       "Custom Two Pole",
       {idPoleRho, idPoleTheta, idZeroRho, idZeroTheta},
       0},
  };
  for (const WrapperRow& r : table) {
    Filter& f = *r.filter;
    EXPECT_EQ(f.getName(), r.name);
    EXPECT_EQ(f.getKind(), r.kind) << r.name;
    ASSERT_EQ(f.getNumParams(), static_cast<int>(r.ids.size())) << r.name;
    for (int i = 0; i < f.getNumParams(); ++i)
      EXPECT_EQ(f.getParamInfo(i).getId(), r.ids[i]) << r.name << " " << i;
    if (r.maxOrder > 0) {
      EXPECT_EQ(f.getParamInfo(1).getMax(), r.maxOrder) << r.name;
    }
    EXPECT_THROW(f.getParamInfo(f.getNumParams()), std::logic_error) << r.name;
    // The defaults make a working design.
    f.setParams(f.getDefaultParams());
    EXPECT_TRUE(stable(f.getPoleZeros())) << r.name;
    EXPECT_TRUE(std::isfinite(mag(f.response(0.1)))) << r.name;
  }
  // The new slots carry the standard descriptors.
  EXPECT_STREQ(describeParam(slotStopDb, 0).getName(), "Stopband dB");
  EXPECT_STREQ(describeParam(slotRolloff, 0).getName(), "Transition Width");
  EXPECT_STREQ(describeParam(slotPoleRho, 0).getName(), "Pole Distance");
  EXPECT_STREQ(describeParam(slotPoleTheta, 0).getName(), "Pole Angle");
  EXPECT_STREQ(describeParam(slotZeroRho, 0).getName(), "Zero Distance");
  EXPECT_STREQ(describeParam(slotZeroTheta, 0).getName(), "Zero Angle");
  EXPECT_STREQ(describeParam(slotPoleReal, 0).getName(), "Pole Real");
  EXPECT_STREQ(describeParam(slotZeroReal, 0).getName(), "Zero Real");
}

// Glides run through the new families' own values too, and end on the target.
TEST(Wrappers, NewFamiliesGlide) {
  using namespace Dsp;
  SmoothedFilterDesign<Elliptic::Design::LowPass<6>, 2, DirectFormII> el(64);
  SmoothedFilterDesign<ChebyshevII::Design::HighPass<6>, 2, DirectFormI> c2(64);
  SmoothedFilterDesign<Legendre::Design::BandPass<3>, 2, DirectFormII> le(64);
  struct Row {
    Filter* f;
    Params from, to;
  };
  const std::vector<Row> rows = {
      {&el, block({44100, 4, 1000, 0.5, 0}), block({44100, 6, 3000, 3, -6})},
      {&c2, block({44100, 2, 500, 20}), block({44100, 6, 900, 60})},
      {&le, block({44100, 1, 1000, 300}), block({44100, 3, 4000, 2000})},
  };
  for (const Row& r : rows) {
    r.f->setParams(r.from);
    r.f->setParams(r.to);
    std::vector<double> l(100), rr(100);
    for (int i = 0; i < 100; ++i) l[i] = rr[i] = std::sin(0.3 * i);
    double* ch[2] = {l.data(), rr.data()};
    r.f->process(100, ch);
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(std::isfinite(l[i]) && l[i] == rr[i]) << i;
  }
  for (int i = 0; i < 6; ++i) EXPECT_EQ(el.getTransitionParams()[i], rows[0].to[i]);
}

}  // namespace
