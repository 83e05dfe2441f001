// Smoothed designs: first set at once, glides along a straight line, order switching, block
// independence, float/double agreement, the unset state, and the 25 instantiations in use.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "DspLib/Dsp.h"

namespace {

using namespace Dsp;

Params block(std::vector<double> values) {
  Params p;
  for (size_t i = 0; i < values.size(); ++i) p[i] = values[i];
  return p;
}

// Two channels of test signal: a sine plus noise, different per channel. Values are exact
// floats so the float and double paths see the same input.
template <class Sample>
struct Stereo {
  explicit Stereo(int n, uint32_t seed = 1) : left(n), right(n) {
    for (int i = 0; i < n; ++i) {
      seed = seed * 1664525u + 1013904223u;
      const double noise = (seed >> 8) / 16777216.0 - 0.5;
      left[i] = static_cast<float>(0.5 * std::sin(0.05 * i) + 0.3 * noise);
      right[i] = static_cast<float>(0.4 * std::sin(0.011 * i + 1) - 0.3 * noise);
    }
  }
  Sample* const* channels(int offset = 0) {
    ptrs[0] = left.data() + offset;
    ptrs[1] = right.data() + offset;
    return ptrs;
  }
  std::vector<Sample> left, right;
  Sample* ptrs[2];
};

typedef ChebyshevI::Design::LowPass<4> Cheby;
typedef Butterworth::Design::LowPass<4> Butter;

template <class Design>
void expectPassThroughBeforeParameters() {
  SmoothedFilterDesign<Design, 2, DirectFormII> f(512);
  Stereo<double> in(64), io(64);  // exactly sized: a write outside the block is caught
  f.process(64, io.channels());
  EXPECT_EQ(io.left, in.left);
  EXPECT_EQ(io.right, in.right);

  Stereo<float> fin(64), fio(64);
  f.process(64, fio.channels());
  EXPECT_EQ(fio.left, fin.left);

  // A length set before the first parameters changes nothing about that.
  f.doSetTransitionSamples(100);
  EXPECT_EQ(f.getRemainingSamples(), -1);
  f.process(64, io.channels());
  EXPECT_EQ(io.left, in.left);
}

TEST(Smoothed, BeforeAnyParametersTheBlockPassesThrough) {
  expectPassThroughBeforeParameters<Butter>();
  expectPassThroughBeforeParameters<RBJ::Design::LowPass>();
}

TEST(Smoothed, FirstSetAppliesAtOnce) {
  const Params p = block({44100, 4, 700, 1});
  SmoothedFilterDesign<Cheby, 2, DirectFormI> f(512);
  f.doSetTransitionSamples(300);  // also after an early length change
  FilterDesign<Cheby, 2, DirectFormI> plain;
  f.setParams(p);
  plain.setParams(p);
  EXPECT_EQ(f.getRemainingSamples(), 0);
  Stereo<double> a(1000), b(1000);
  f.process(1000, a.channels());
  plain.process(1000, b.channels());
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
}

// Runs the reference: the plain design set up anew for every sample along the given sequence
// of parameter blocks, one sample at a time.
template <class Design, class State>
void runPerSample(FilterDesign<Design, 2, State>& plain, const std::vector<Params>& perSample,
                  Stereo<double>& io, int offset) {
  for (size_t k = 0; k < perSample.size(); ++k) {
    plain.setParams(perSample[k]);
    plain.process(1, io.channels(offset + static_cast<int>(k)));
  }
}

TEST(Smoothed, GlideMovesInEqualStepsThenUsesTheTarget) {
  const Params a = block({44100, 4, 500, 0.5});
  const Params b = block({44100, 4, 4000, 3});
  const int pre = 200, length = 512, total = 1200;

  SmoothedFilterDesign<Cheby, 2, DirectFormI> f(length);
  f.setParams(a);
  Stereo<double> out(total);
  f.process(pre, out.channels());
  f.setParams(b);
  EXPECT_EQ(f.getRemainingSamples(), length);
  f.process(total - pre, out.channels(pre));
  EXPECT_EQ(f.getRemainingSamples(), 0);

  // Sample k of the glide uses a + k (b - a) / length, accumulated step by step.
  FilterDesign<Cheby, 2, DirectFormI> plain;
  Stereo<double> ref(total);
  plain.setParams(a);
  plain.process(pre, ref.channels());
  std::vector<Params> glide;
  Params x = a;
  const double t = 1.0 / length;
  for (int k = 0; k < length; ++k) {
    for (int i = 0; i < 4; ++i) x[i] += (b[i] - a[i]) * t;
    glide.push_back(x);
  }
  runPerSample(plain, glide, ref, pre);
  plain.setParams(b);
  plain.process(total - pre - length, ref.channels(pre + length));

  EXPECT_EQ(out.left, ref.left);
  EXPECT_EQ(out.right, ref.right);
}

TEST(Smoothed, OrderGlideSwitchesInWholeSteps) {
  const int length = 512;
  SmoothedFilterDesign<Butter, 2, DirectFormII> f(length);
  f.setParams(block({48000, 2, 1000}));
  f.setParams(block({48000, 4, 1000}));
  Stereo<double> out(700);
  f.process(700, out.channels());

  // Steps of exactly 1/256: samples 1..255 at order 2, 256..511 at order 3, 512 at order 4,
  // then the main design at order 4.
  FilterDesign<Butter, 2, DirectFormII> plain;
  Stereo<double> ref(700);
  std::vector<Params> orders;
  for (int k = 1; k <= length; ++k)
    orders.push_back(block({48000, k < 256 ? 2. : (k < 512 ? 3. : 4.), 1000}));
  runPerSample(plain, orders, ref, 0);
  plain.setParams(block({48000, 4, 1000}));
  plain.process(700 - length, ref.channels(length));

  EXPECT_EQ(out.left, ref.left);
  EXPECT_EQ(out.right, ref.right);
}

// The same input and parameter changes in blocks of different sizes.
std::vector<double> runInBlocks(int blockSize) {
  const int total = 6000, change = 3200;
  SmoothedFilterDesign<Cheby, 2, DirectFormII> f(2048);
  f.setParams(block({44100, 2, 300, 0.1}));
  f.setParams(block({44100, 4, 9000, 6}));
  Stereo<double> io(total);
  auto run = [&](int from, int to) {
    for (int i = from; i < to; i += blockSize) {
      const int n = std::min(blockSize, to - i);
      f.process(n, io.channels(i));
    }
  };
  run(0, change);
  f.setParams(block({44100, 3, 1200, 1}));  // in the middle of the glide: restart
  run(change, total);
  std::vector<double> out = io.left;
  out.insert(out.end(), io.right.begin(), io.right.end());
  return out;
}

TEST(Smoothed, BlockSizeDoesNotChangeTheOutput) {
  const std::vector<double> whole = runInBlocks(6000);
  for (int size : {64, 100, 512}) {
    const std::vector<double> blocks = runInBlocks(size);
    ASSERT_EQ(blocks.size(), whole.size());
    double worst = 0;
    for (size_t i = 0; i < whole.size(); ++i)
      worst = std::max(worst, std::fabs(blocks[i] - whole[i]));
    // Only the increments, recomputed at every block start, round differently.
    EXPECT_LT(worst, 1e-12) << "blocks of " << size;
  }
}

TEST(Smoothed, SetDuringAGlideRestartsFromWhereItStands) {
  SmoothedFilterDesign<Butter, 2, DirectFormII> f(512);
  f.setParams(block({44100, 4, 1000}));
  f.setParams(block({44100, 4, 2024}));
  Stereo<double> io(300);
  f.process(200, io.channels());
  EXPECT_EQ(f.getRemainingSamples(), 312);
  const double at200 = f.getTransitionParams()[2];
  EXPECT_NEAR(at200, 1400, 1e-9);

  f.setParams(block({44100, 4, 400}));
  EXPECT_EQ(f.getRemainingSamples(), 512);
  f.process(100, io.channels(200));
  EXPECT_NEAR(f.getTransitionParams()[2], at200 + 100 * (400 - at200) / 512, 1e-9);

  // An empty block changes nothing, also during a glide.
  f.process(0, io.channels());
  EXPECT_EQ(f.getRemainingSamples(), 412);
}

TEST(Smoothed, LengthChangeRunsAConstantGlide) {
  const Params p = block({96000, 4, 5000});
  SmoothedFilterDesign<Butter, 2, DirectFormI> f(512);
  FilterDesign<Butter, 2, DirectFormI> plain;
  f.setParams(p);
  plain.setParams(p);
  f.doSetTransitionSamples(700);
  EXPECT_EQ(f.getRemainingSamples(), 700);
  Stereo<double> a(1500), b(1500);
  f.process(800, a.channels());
  f.setParams(p);  // the same parameters again: another constant glide
  f.process(700, a.channels(800));
  plain.process(1500, b.channels());
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
}

// With a length of 0 a set jumps, and the glide position follows it, so a later length change
// does not glide back from the old values.
TEST(Smoothed, ZeroLengthJumpsAndKeepsThePosition) {
  const Params a = block({44100, 4, 300});
  const Params b = block({44100, 4, 6000});
  SmoothedFilterDesign<Butter, 2, DirectFormII> f(512);
  f.setParams(a);
  f.doSetTransitionSamples(-5);  // counts as 0
  EXPECT_EQ(f.getTransitionSamples(), 0);
  f.setParams(b);
  EXPECT_EQ(f.getRemainingSamples(), 0);
  EXPECT_EQ(f.getTransitionParams()[2], 6000);
  f.doSetTransitionSamples(512);

  FilterDesign<Butter, 2, DirectFormII> plain;
  plain.setParams(b);
  Stereo<double> x(800), y(800);
  f.process(800, x.channels());
  plain.process(800, y.channels());
  EXPECT_EQ(x.left, y.left);
}

TEST(Smoothed, ResetClearsHistoriesAndTheGlideGoesOn) {
  SmoothedFilterDesign<Butter, 2, DirectFormII> f(512);
  f.setParams(block({44100, 4, 200}));
  Stereo<double> loud(400);
  f.process(400, loud.channels());
  f.setParams(block({44100, 4, 300}));
  f.process(100, loud.channels());
  f.reset();
  EXPECT_EQ(f.getRemainingSamples(), 412);
  std::vector<double> l(100, 0.0), r(100, 0.0);
  double* silence[2] = {l.data(), r.data()};
  f.process(100, silence);
  for (double v : l) EXPECT_LT(std::fabs(v), 1e-6);  // only the guard's trace
  EXPECT_EQ(f.getRemainingSamples(), 312);
}

TEST(Smoothed, UnusedPositionsAreCopiedWhenTheGlideEnds) {
  SmoothedFilterDesign<Butter, 2, DirectFormII> f(100);
  f.setParams(block({44100, 2, 1000}));
  Params b = block({44100, 2, 2000});
  b[5] = 7;
  f.setParams(b);
  Stereo<double> io(150);
  f.process(60, io.channels());
  EXPECT_EQ(f.getTransitionParams()[5], 0);
  f.process(90, io.channels(60));
  EXPECT_EQ(f.getTransitionParams()[5], 7);
  EXPECT_EQ(f.getTransitionParams()[2], 2000);  // exactly on the target
}

template <class Design, class State>
void expectFloatMatchesDouble(const Params& a, const Params& b) {
  SmoothedFilterDesign<Design, 2, State> fd(256), ff(256);
  fd.setParams(a);
  ff.setParams(a);
  Stereo<double> d(1000);
  Stereo<float> s(1000);
  fd.process(300, d.channels());
  ff.process(300, s.channels());
  fd.setParams(b);
  ff.setParams(b);
  fd.process(700, d.channels(300));
  ff.process(700, s.channels(300));
  // Same double arithmetic inside; only each stored sample is rounded to float.
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(s.left[i], static_cast<float>(d.left[i])) << i;
    ASSERT_EQ(s.right[i], static_cast<float>(d.right[i])) << i;
  }
}

TEST(Smoothed, FloatMatchesDoubleUpToRounding) {
  expectFloatMatchesDouble<Cheby, DirectFormI>(block({44100, 2, 800, 1}),
                                               block({44100, 4, 3000, 0.2}));
  expectFloatMatchesDouble<Bessel::Design::HighPass<4>, DirectFormII>(block({48000, 4, 100}),
                                                                      block({48000, 4, 900}));
  expectFloatMatchesDouble<RBJ::Design::BandPass1, DirectFormII>(block({44100, 1000, 0.5}),
                                                                 block({44100, 4000, 4}));
}

// A NaN reaching a filter would otherwise stay in its history for good.
template <class State>
void expectRecoveryFromNan() {
  const Params p = block({44100, 4, 2000, 1});
  SmoothedFilterDesign<Cheby, 2, State> f(512), clean(512);
  f.setParams(p);
  clean.setParams(p);
  Stereo<double> a(256), b(256);
  a.left[10] = std::nan("");
  a.right[20] = std::numeric_limits<double>::infinity();
  f.process(256, a.channels());
  clean.process(256, b.channels());
  clean.reset();  // the same guard phase, from silence

  Stereo<double> x(256, 7), y(256, 7);
  f.process(256, x.channels());
  clean.process(256, y.channels());
  EXPECT_EQ(x.left, y.left);
  EXPECT_EQ(x.right, y.right);
}

TEST(Smoothed, NanInTheInputDoesNotStayInTheHistory) {
  expectRecoveryFromNan<DirectFormI>();
  expectRecoveryFromNan<DirectFormII>();
}

//------------------------------------------------------------------------------
// The instantiations the units use.

struct Instance {
  std::function<Filter*()> make;
  FilterKind kind;
  const char* name;
  int numParams;
  int maxOrder;  // 0: no order parameter
  size_t pairsAtOrder2;
};

template <class Design, class State>
std::function<Filter*()> maker() {
  return [] { return new SmoothedFilterDesign<Design, 2, State>(512); };
}

std::vector<Instance> instances() {
  using namespace Butterworth::Design;
  typedef DirectFormI I;
  typedef DirectFormII II;
  return {
      {maker<LowShelf<2>, I>(), kindLowShelf, "Butterworth Low Shelf", 4, 2, 1},
      {maker<BandShelf<2>, I>(), kindBandShelf, "Butterworth Band Shelf", 5, 2, 2},
      {maker<HighShelf<2>, I>(), kindHighShelf, "Butterworth High Shelf", 4, 2, 1},
      {maker<HighPass<2>, I>(), kindHighPass, "Butterworth High Pass", 3, 2, 1},
      {maker<BandPass<2>, I>(), kindBandPass, "Butterworth Band Pass", 4, 2, 2},
      {maker<RBJ::Design::HighPass, II>(), kindHighPass, "RBJ High Pass", 3, 0, 1},
      {maker<RBJ::Design::LowPass, II>(), kindLowPass, "RBJ Low Pass", 3, 0, 1},
      {maker<RBJ::Design::BandPass1, II>(), kindBandPass, "RBJ Band Pass 1", 3, 0, 1},
      {maker<RBJ::Design::BandStop, II>(), kindBandStop, "RBJ Band Stop", 3, 0, 1},
      {maker<ChebyshevI::Design::HighPass<4>, II>(), kindHighPass, "Chebyshev I High Pass", 4, 4,
       1},
      {maker<ChebyshevI::Design::LowPass<4>, II>(), kindLowPass, "Chebyshev I Low Pass", 4, 4, 1},
      {maker<BandPass<2>, II>(), kindBandPass, "Butterworth Band Pass", 4, 2, 2},
      {maker<BandStop<2>, II>(), kindBandStop, "Butterworth Band Stop", 4, 2, 2},
      {maker<Bessel::Design::LowPass<4>, II>(), kindLowPass, "Bessel Low Pass", 3, 4, 1},
      {maker<Bessel::Design::HighPass<4>, II>(), kindHighPass, "Bessel High Pass", 3, 4, 1},
      {maker<LowPass<1>, II>(), kindLowPass, "Butterworth Low Pass", 3, 1, 1},
      {maker<HighPass<1>, II>(), kindHighPass, "Butterworth High Pass", 3, 1, 1},
      {maker<LowPass<2>, II>(), kindLowPass, "Butterworth Low Pass", 3, 2, 1},
      {maker<HighPass<2>, II>(), kindHighPass, "Butterworth High Pass", 3, 2, 1},
      {maker<LowPass<4>, II>(), kindLowPass, "Butterworth Low Pass", 3, 4, 1},
      {maker<HighPass<4>, II>(), kindHighPass, "Butterworth High Pass", 3, 4, 1},
      {maker<LowPass<8>, II>(), kindLowPass, "Butterworth Low Pass", 3, 8, 1},
      {maker<HighPass<8>, II>(), kindHighPass, "Butterworth High Pass", 3, 8, 1},
      {maker<ChebyshevI::Design::LowPass<4>, I>(), kindLowPass, "Chebyshev I Low Pass", 4, 4, 1},
      {maker<ChebyshevI::Design::HighPass<4>, I>(), kindHighPass, "Chebyshev I High Pass", 4, 4, 1},
  };
}

TEST(Instantiations, DescribeThemselvesAndRun) {
  const std::vector<Instance> all = instances();
  ASSERT_EQ(all.size(), 25u);
  for (const Instance& inst : all) {
    std::unique_ptr<Filter> f(inst.make());
    SCOPED_TRACE(inst.name);
    EXPECT_EQ(f->getKind(), inst.kind);
    EXPECT_EQ(f->getName(), inst.name);
    EXPECT_EQ(f->getNumParams(), inst.numParams);
    EXPECT_EQ(f->getNumChannels(), 2);
    EXPECT_TRUE(f->getPoleZeros().size() == 0 || inst.maxOrder == 0);  // nothing designed yet
    for (int bad : {-1, inst.numParams, 8}) EXPECT_THROW(f->getParamInfo(bad), std::logic_error);

    const int orderAt = f->findParamId(idOrder);
    if (inst.maxOrder > 0) {
      ASSERT_EQ(orderAt, 1);
      const ParamInfo order = f->getParamInfo(orderAt);
      EXPECT_EQ(order.getMax(), inst.maxOrder);
      EXPECT_EQ(order.getMin(), 1);
      EXPECT_EQ(order.getDefaultValue(), 2);
    } else {
      EXPECT_EQ(orderAt, -1);
    }
    EXPECT_EQ(f->findParamId(idSampleRate), 0);

    // Defaults (order 2 even where the maximum is 1), then a glide of the frequency.
    f->setParams(f->getDefaultParams());
    EXPECT_EQ(f->getPoleZeros().size(), inst.pairsAtOrder2);
    EXPECT_FALSE(f->getPoleZeros()[0].isSinglePole());
    Stereo<double> io(2000);
    f->process(500, io.channels());
    f->setParamById(idFrequency, 5000);
    f->process(1500, io.channels(500));
    for (int i = 0; i < 2000; ++i) {
      ASSERT_TRUE(std::isfinite(io.left[i]) && std::isfinite(io.right[i])) << i;
      ASSERT_LT(std::fabs(io.left[i]), 10) << i;
    }
    EXPECT_TRUE(std::isfinite(std::abs(f->response(0.1))));
  }
}

}  // namespace
