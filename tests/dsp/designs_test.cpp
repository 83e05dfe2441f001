// Properties of the design families, prototype caching, and the limits that keep every design
// finite and stable inside the descriptors' ranges.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "DspLib/Dsp.h"
#include "DspLib/RBJ.h"
#include "dsp_test_support.h"

namespace {

using Dsp::complex_t;
using dsptest::block;
using dsptest::Level;
using dsptest::mag;
using dsptest::make;
using dsptest::stable;

bool finite(const Dsp::BiquadBase& b) {
  return std::isfinite(b.getA1()) && std::isfinite(b.getA2()) && std::isfinite(b.getB0()) &&
         std::isfinite(b.getB1()) && std::isfinite(b.getB2());
}

// Both poles of a section strictly inside the unit circle (the stability triangle).
bool stable(const Dsp::BiquadBase& b) {
  return std::fabs(b.getA2()) < 1 && std::fabs(b.getA1()) < 1 + b.getA2();
}

TEST(Butterworth, AnalogPrototypes) {
  Dsp::Butterworth::Design::LowPass<4> d;
  d.applyParams(block({44100, 1, 1000}));
  const Dsp::LayoutBase& one = d.getAnalogPrototype();
  ASSERT_EQ(one.getNumPoles(), 1);
  EXPECT_EQ(one[0].poles.first, complex_t(-1, 0));
  EXPECT_TRUE(Dsp::isInfinity(one[0].zeros.first));

  d.applyParams(block({44100, 2, 1000}));
  const Dsp::LayoutBase& two = d.getAnalogPrototype();
  ASSERT_EQ(two.getNumPoles(), 2);
  EXPECT_NEAR(std::abs(two[0].poles.first - complex_t(-std::sqrt(0.5), std::sqrt(0.5))), 0, 1e-15);
  EXPECT_EQ(two[0].poles.second, std::conj(two[0].poles.first));
}

TEST(Shelves, ReachTheirGainAtTheShelvedEnd) {
  using namespace Dsp::Butterworth::Design;
  const double six = std::pow(10, 6 / 20.);
  const double fs = 44100;
  const std::vector<Level> table = {
      {"low shelf at 0 Hz", make<LowShelf<2>>(), block({fs, 2, 1000, 6}), 0, six},
      {"low shelf at Nyquist", make<LowShelf<2>>(), block({fs, 2, 1000, 6}), 0.5, 1},
      {"odd low shelf at 0 Hz", make<LowShelf<3>>(), block({fs, 3, 300, -12}), 0,
       std::pow(10, -12 / 20.)},
      {"high shelf at Nyquist", make<HighShelf<2>>(), block({fs, 2, 4000, 6}), 0.5, six},
      {"high shelf at 0 Hz", make<HighShelf<2>>(), block({fs, 2, 4000, 6}), 0, 1},
      {"low band shelf at Nyquist", make<BandShelf<2>>(), block({fs, 2, 1600, 1000, 6}), 0.5, 1},
      {"low band shelf at its center", make<BandShelf<2>>(), block({fs, 2, 1600, 1000, 6}),
       1600 / fs, six},
      {"high band shelf at 0 Hz", make<BandShelf<2>>(), block({fs, 2, 15000, 2000, -6}), 0, 1},
  };
  dsptest::expectLevels(table);
}

TEST(Shelves, OtherFamiliesReachTheirGain) {
  const double fs = 48000;
  Dsp::PoleFilter<Dsp::ChebyshevI::LowShelfBase, 4> c1;
  c1.setup(3, fs, 500, 6, 1);
  EXPECT_NEAR(mag(c1.response(0)), std::pow(10, 6 / 20.), 1e-9);
  EXPECT_NEAR(mag(c1.response(0.5)), 1, 1e-12);
  // An even order sits at the inner edge of its ripple at 0 Hz.
  c1.setup(4, fs, 500, 6, 1);
  EXPECT_NEAR(mag(c1.response(0)), std::pow(10, 5 / 20.), 1e-9);
  EXPECT_NEAR(mag(c1.response(0.5)), 1, 1e-12);
  // The ripple can be no deeper than the shelf: 10 dB acts as 6 dB.
  Dsp::PoleFilter<Dsp::ChebyshevI::LowShelfBase, 4> limited;
  limited.setup(4, fs, 500, 6, 10);
  c1.setup(4, fs, 500, 6, 6);
  for (double f : {0.0, 0.01, 0.1}) EXPECT_EQ(limited.response(f), c1.response(f));

  Dsp::PoleFilter<Dsp::ChebyshevI::HighShelfBase, 3> c1h;
  c1h.setup(3, fs, 5000, -9, 0.5);
  EXPECT_NEAR(mag(c1h.response(0.5)), std::pow(10, -9 / 20.), 1e-9);

  Dsp::PoleFilter<Dsp::Bessel::LowShelfBase, 4> bes;
  Dsp::Bessel::Workspace<4> w;
  bes.setup(4, fs, 500, 9, &w);
  EXPECT_NEAR(mag(bes.response(0)), std::pow(10, 9 / 20.), 1e-9);
  EXPECT_NEAR(mag(bes.response(0.5)), 1, 1e-12);
}

// A flat Chebyshev shelf would divide by zero; it comes out as the identity.
TEST(Shelves, FlatChebyshevShelfIsTheIdentity) {
  Dsp::PoleFilter<Dsp::ChebyshevI::LowShelfBase, 4> low;
  low.setup(4, 44100, 1000, 0, 1);
  Dsp::PoleFilter<Dsp::ChebyshevI::BandShelfBase, 2, 4> band;
  band.setup(2, 44100, 1000, 500, 0, 3);
  for (double f : {0.0, 0.01, 0.2, 0.5}) {
    EXPECT_NEAR(std::abs(low.response(f) - 1.), 0, 1e-12) << f;
    EXPECT_NEAR(std::abs(band.response(f) - 1.), 0, 1e-12) << f;
  }
  EXPECT_TRUE(stable(low.getPoleZeros()));
}

// Probes the analog prototype's cache by replacing its poles behind its back.
class CachedShelf : public Dsp::Butterworth::Design::LowShelf<2> {
public:
  void tamper() {
    m_analogProto.reset();
    m_analogProto.addSingle(-0.5, -2);
  }
};

TEST(Caching, PrototypeRebuildsOnlyForNewInputs) {
  CachedShelf d;
  d.applyParams(block({44100, 2, 1000, 6}));
  d.tamper();
  d.applyParams(block({44100, 2, 3000, 6}));  // new cutoff only: the prototype stays
  EXPECT_EQ(d.getDigitalLayout().getNumPoles(), 1);
  EXPECT_EQ(d.getCascade().getNumStages(), 1);
  d.applyParams(block({44100, 2, 3000, 6.0000001}));  // new gain: rebuilt
  EXPECT_EQ(d.getDigitalLayout().getNumPoles(), 2);
}

TEST(Caching, BesselSolvesOncePerOrder) {
  Dsp::PoleFilter<Dsp::Bessel::LowPassBase, 4> d;
  Dsp::Bessel::Workspace<4> w;
  d.setup(4, 44100, 1000, &w);
  const complex_t sentinel(7, 7);
  w.roots.coef()[0] = sentinel;
  d.setup(4, 44100, 2000, &w);
  EXPECT_EQ(w.roots.coef()[0], sentinel);
  d.setup(3, 44100, 2000, &w);
  EXPECT_EQ(w.roots.coef()[0], complex_t(15, 0));
}

TEST(Bessel, PrototypePolesAndDelayNormalisation) {
  Dsp::Bessel::Design::LowPass<4> d;
  d.applyParams(block({44100, 2, 1000}));
  EXPECT_NEAR(std::abs(d.getAnalogPrototype()[0].poles.first - complex_t(-1.5, std::sqrt(0.75))), 0,
              1e-15);
  d.applyParams(block({44100, 3, 1000}));
  EXPECT_NEAR(d.getAnalogPrototype()[1].poles.first.real(), -2.3221853546260855, 1e-14);
  EXPECT_TRUE(d.getAnalogPrototype()[1].isSinglePole());
  // The cutoff is the unit-delay frequency, not the -3 dB point.
  d.applyParams(block({44100, 4, 1000}));
  EXPECT_NEAR(mag(d.response(1000 / 44100.)), 0.930, 0.001);
}

TEST(Rbj, CookbookProperties) {
  const double fs = 44100;
  Dsp::RBJ::LowPass lp;
  lp.setup(fs, 1000, 0.7071);
  EXPECT_NEAR(mag(lp.response(0)), 1, 1e-13);
  EXPECT_NEAR(mag(lp.response(0.5)), 0, 1e-15);

  Dsp::RBJ::BandPass1 bp1;
  bp1.setup(fs, 3000, 4);
  EXPECT_NEAR(mag(bp1.response(3000 / fs)), 4, 1e-12);
  Dsp::RBJ::BandPass2 bp2;
  bp2.setup(fs, 3000, 4);
  EXPECT_NEAR(mag(bp2.response(3000 / fs)), 1, 1e-12);

  Dsp::RBJ::BandStop bs;
  bs.setup(fs, 3000, 1);
  EXPECT_NEAR(mag(bs.response(3000 / fs)), 0, 1e-12);
  EXPECT_NEAR(mag(bs.response(0)), 1, 1e-13);
  EXPECT_NEAR(mag(bs.response(0.5)), 1, 1e-13);

  Dsp::RBJ::AllPass ap;
  ap.setup(fs, 3000, 2);
  for (double f : {0.0, 0.03, 0.2, 0.5}) EXPECT_NEAR(mag(ap.response(f)), 1, 1e-14);

  Dsp::RBJ::LowShelf ls;
  Dsp::RBJ::HighShelf hs;
  ls.setup(fs, 1000, 0, 1);
  EXPECT_EQ(ls.getB0(), 1);
  EXPECT_EQ(ls.getB1(), ls.getA1());
  EXPECT_EQ(ls.getB2(), ls.getA2());
  const double g12 = std::pow(10, 12 / 20.);
  const double g6 = std::pow(10, 6 / 20.);
  ls.setup(fs, 1000, 12, 1);
  hs.setup(fs, 1000, 12, 1);
  EXPECT_NEAR(mag(ls.response(0)), g12, 1e-12);
  EXPECT_NEAR(mag(ls.response(0.5)), 1, 1e-12);
  EXPECT_NEAR(mag(ls.response(1000 / fs)), g6, 1e-12);
  EXPECT_NEAR(mag(hs.response(0)), 1, 1e-12);
  EXPECT_NEAR(mag(hs.response(0.5)), g12, 1e-12);
  EXPECT_NEAR(mag(hs.response(1000 / fs)), g6, 1e-12);
}

// Steep shelves at large gains used to take the square root of a negative number.
TEST(Rbj, ShelvesStayFiniteAndStableOverTheirRanges) {
  const Dsp::ParamInfo slope = Dsp::ParamInfo::defaultSlopeParam();
  const Dsp::ParamInfo gain = Dsp::ParamInfo::defaultGainParam();
  Dsp::RBJ::LowShelf ls;
  Dsp::RBJ::HighShelf hs;
  for (double fs : {11025., 44100., 192000.}) {
    for (double f : {10., 1000., 22040.}) {
      for (double c = 0; c <= 1; c += 0.125) {
        for (double g = 0; g <= 1; g += 1. / 48) {
          ls.setup(fs, f, gain.toNativeValue(g), slope.toNativeValue(c));
          hs.setup(fs, f, gain.toNativeValue(g), slope.toNativeValue(c));
          ASSERT_TRUE(finite(ls) && stable(ls)) << fs << " " << f << " " << g << " " << c;
          ASSERT_TRUE(finite(hs) && stable(hs)) << fs << " " << f << " " << g << " " << c;
        }
      }
    }
  }
}

TEST(Rbj, TooSteepShelfActsAsTheSteepestThatWorks) {
  // At +24 dB a slope of 4 is past the limit; it acts as the slope at which the term under
  // the square root reaches 1/256 (a resonance of 16).
  const double fs = 44100, f = 2000, g = 24;
  const double A = std::pow(10, g / 40);
  const double steepest = 1 / (1 + (1. / 256 - 2) / (A + 1 / A));
  Dsp::RBJ::LowShelf tooSteep, limit;
  tooSteep.setup(fs, f, g, 4);
  limit.setup(fs, f, g, steepest);
  EXPECT_NEAR(tooSteep.getA1(), limit.getA1(), 1e-12);
  EXPECT_NEAR(tooSteep.getA2(), limit.getA2(), 1e-12);
  EXPECT_NEAR(tooSteep.getB0(), limit.getB0(), 1e-12);
  EXPECT_NEAR(mag(tooSteep.response(0)), std::pow(10, g / 20), 1e-9);
  EXPECT_NEAR(mag(tooSteep.response(0.5)), 1, 1e-9);
}

TEST(Rbj, WideBandShelfNearNyquistStaysStable) {
  Dsp::RBJ::BandShelf b;
  for (double g : {-24., 24.}) {
    for (double center : {10., 1000., 15000., 22040.}) {
      for (double bw : {0.0625, 1., 16.}) {
        b.setup(44100, center, g, bw);
        EXPECT_TRUE(finite(b) && stable(b)) << g << " " << center << " " << bw;
      }
    }
  }
}

// A 22040 Hz cutoff is inside the descriptor's range also at an 11025 Hz sample rate; every
// design is then held just below half the sample rate instead of turning unstable.
TEST(NyquistLimit, FrequenciesAboveHalfTheRateAreHeldBelowIt) {
  using namespace Dsp;
  const double fs = 11025;
  const double held = kMaxFrequencyFraction * fs;
  struct Row {
    std::shared_ptr<Filter> above, atLimit;
    Params aboveParams, limitParams;
  };
  const std::vector<Row> rows = {
      {make<Butterworth::Design::LowPass<4>>(), make<Butterworth::Design::LowPass<4>>(),
       block({fs, 4, 22040}), block({fs, 4, held})},
      {make<Butterworth::Design::HighPass<4>>(), make<Butterworth::Design::HighPass<4>>(),
       block({fs, 4, 22040}), block({fs, 4, held})},
      {make<Butterworth::Design::BandPass<2>>(), make<Butterworth::Design::BandPass<2>>(),
       block({fs, 2, 22040, 1720}), block({fs, 2, held, 1720})},
      {make<Butterworth::Design::BandStop<2>>(), make<Butterworth::Design::BandStop<2>>(),
       block({fs, 2, 22040, 1720}), block({fs, 2, held, 1720})},
      {make<ChebyshevI::Design::LowPass<4>>(), make<ChebyshevI::Design::LowPass<4>>(),
       block({fs, 4, 22040, 3}), block({fs, 4, held, 3})},
      {make<ChebyshevI::Design::HighPass<4>>(), make<ChebyshevI::Design::HighPass<4>>(),
       block({fs, 4, 22040, 3}), block({fs, 4, held, 3})},
      {make<Bessel::Design::LowPass<4>>(), make<Bessel::Design::LowPass<4>>(),
       block({fs, 4, 22040}), block({fs, 4, held})},
      {make<Bessel::Design::HighPass<4>>(), make<Bessel::Design::HighPass<4>>(),
       block({fs, 4, 22040}), block({fs, 4, held})},
      {make<RBJ::Design::LowPass>(), make<RBJ::Design::LowPass>(), block({fs, 22040, 16}),
       block({fs, held, 16})},
      {make<RBJ::Design::HighPass>(), make<RBJ::Design::HighPass>(), block({fs, 22040, 0.0625}),
       block({fs, held, 0.0625})},
      {make<RBJ::Design::BandPass1>(), make<RBJ::Design::BandPass1>(), block({fs, 22040, 16}),
       block({fs, held, 16})},
      {make<RBJ::Design::BandStop>(), make<RBJ::Design::BandStop>(), block({fs, 22040, 0.0625}),
       block({fs, held, 0.0625})},
  };
  for (const Row& r : rows) {
    r.above->setParams(r.aboveParams);
    r.atLimit->setParams(r.limitParams);
    EXPECT_TRUE(stable(r.above->getPoleZeros())) << r.above->getName();
    for (double f : {0.0, 0.1, 0.3, 0.49})
      EXPECT_EQ(r.above->response(f), r.atLimit->response(f)) << r.above->getName();
  }
  // Inside the range at 44100 Hz nothing is held.
  EXPECT_EQ(limitFrequency(22040, 44100), 22040);
}

TEST(Order, HeldInsideTheStorage) {
  auto lp = make<Dsp::Butterworth::Design::LowPass<4>>();
  auto four = make<Dsp::Butterworth::Design::LowPass<4>>();
  auto one = make<Dsp::Butterworth::Design::LowPass<4>>();
  four->setParams(block({44100, 4, 1000}));
  one->setParams(block({44100, 1, 1000}));

  lp->setParams(block({44100, 9, 1000}));  // more poles than the object holds
  EXPECT_EQ(lp->getPoleZeros().size(), 2u);
  EXPECT_EQ(lp->response(0.02), four->response(0.02));
  for (double order : {0.0, -3.0, std::nan("")}) {
    lp->setParams(block({44100, order, 1000}));
    EXPECT_EQ(lp->response(0.02), one->response(0.02)) << order;
  }
  // The order is truncated, not rounded.
  lp->setParams(block({44100, 3.99, 1000}));
  EXPECT_EQ(lp->getPoleZeros().size(), 2u);
  EXPECT_TRUE(lp->getPoleZeros()[1].isSinglePole());
}

}  // namespace
