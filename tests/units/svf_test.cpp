#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "StateVariableFilter.h"
#include "measure.h"

using namespace Rawnfield;

namespace {

TEST(StateVariableFilter, CutoffHeldBelowHalfTheRate) {
  struct Case {
    double rate, hz, cutoff, norm;
  };
  const Case cases[] = {
      {44100.0, 20000.0, 20000.0, 20000.0 / 44100.0},
      {32000.0, 20000.0, 15680.0, 0.49},
      {22050.0, 20000.0, 10804.5, 0.49},
      {48000.0, 20.0, 20.0, 20.0 / 48000.0},
  };
  for (const Case& c : cases) {
    StateVariableFilter<kSVLowPass, 2> f;
    f.setSampleRate(c.rate);
    f.setCutoffHz(c.hz);
    EXPECT_DOUBLE_EQ(f.cutoff, c.cutoff) << c.rate;
    EXPECT_DOUBLE_EQ(f.normCutoff, c.norm) << c.rate;
  }
  // A rate of 0 counts as 1 Hz, and the cutoff follows it down; it stays
  // down when the rate rises again.
  StateVariableFilter<kSVLowPass, 2> f;
  f.setSampleRate(0.0);
  EXPECT_EQ(f.sampleRate, 1.0);
  EXPECT_DOUBLE_EQ(f.cutoff, 0.49);
  f.setSampleRate(44100.0);
  EXPECT_DOUBLE_EQ(f.cutoff, 0.49);
}

TEST(StateVariableFilter, ResonanceRange) {
  StateVariableFilter<kSVLowPass, 2> lowPass;
  StateVariableFilter<kSVNotch, 2> notch;
  EXPECT_EQ(lowPass.resonance, 0.7071067811865476);
  EXPECT_EQ(notch.resonance, 0.3);
  lowPass.setRezo(0.0);
  notch.setRezo(0.0);
  EXPECT_EQ(lowPass.resonance, 0.7071067811865476);
  EXPECT_EQ(notch.resonance, 0.3);
  lowPass.setRezo(1.0);
  notch.setRezo(7.0);
  EXPECT_EQ(lowPass.resonance, 20.0);
  EXPECT_EQ(notch.resonance, 20.0);
  lowPass.setRezo(0.5);
  EXPECT_DOUBLE_EQ(lowPass.resonance, 0.7071067811865476 + (20.0 - 0.7071067811865476) * 0.25);
  lowPass.setRezo(-1.0);
  EXPECT_EQ(lowPass.resonance, 0.7071067811865476);
}

// At its cutoff the low-pass and the high-pass have a gain of Q, the
// band-pass a gain of 1; the pass bands are at unity.
TEST(StateVariableFilter, MeasuredResponse) {
  const double rate = 44100.0, fc = 1000.0;
  for (double r : {0.0, 0.3}) {
    StateVariableFilter<kSVLowPass, 2> lp;
    StateVariableFilter<kSVHighPass, 2> hp;
    StateVariableFilter<kSVBandPass, 2> bp;
    StateVariableFilter<kSVNotch, 2> notch;
    auto setUp = [&](auto& f) {
      f.setSampleRate(rate);
      f.setCutoffHz(fc);
      f.setRezo(r);
    };
    setUp(lp);
    setUp(hp);
    setUp(bp);
    setUp(notch);
    const double q = lp.resonance;
    auto run = [](auto& f) { return [&f](double** io, int n) { f.process(io, n); }; };
    EXPECT_NEAR(measure::gainAt(run(lp), fc, rate), q, 1e-3 * q) << r;
    EXPECT_NEAR(measure::gainAt(run(hp), fc, rate), q, 1e-3 * q) << r;
    EXPECT_NEAR(measure::gainAt(run(bp), fc, rate), 1.0, 1e-3) << r;
    EXPECT_NEAR(measure::gainAt(run(notch), fc, rate), 0.0, 1e-3) << r;
    EXPECT_NEAR(measure::gainAt(run(lp), 40.0, rate), 1.0, 5e-3) << r;
    EXPECT_LT(measure::gainAt(run(lp), 15000.0, rate), 0.01) << r;
    EXPECT_NEAR(measure::gainAt(run(hp), 15000.0, rate), 1.0, 5e-2) << r;
    EXPECT_LT(measure::gainAt(run(hp), 40.0, rate), 0.01) << r;
  }
}

TEST(StateVariableFilter, PerSampleCallMapsControls) {
  StateVariableFilter<kSVLowPass, 1> f;
  f.process(0.0, 1.0, 0.0);
  EXPECT_EQ(f.cutoff, 20000.0);
  f.setSampleRate(32000.0);
  f.process(0.0, 1.0, 1.0);
  EXPECT_DOUBLE_EQ(f.cutoff, 15680.0);
  EXPECT_EQ(f.resonance, 20.0);
  f.process(0.0, 0.5, 0.0);
  EXPECT_DOUBLE_EQ(f.cutoff, 20.0 + 19980.0 * 0.25);
  f.process(0.0, -3.0, 0.0);
  EXPECT_EQ(f.cutoff, 20.0);
  // A steady input settles at the input through the low-pass.
  double y = 0.0;
  for (int i = 0; i < 20000; ++i) y = f.process(0.5, 0.1, 0.0);
  EXPECT_NEAR(y, 0.5, 1e-9);
}

// A NaN in the input clears the integrators at the end of its block instead
// of silencing the filter for good.
TEST(StateVariableFilter, RecoversFromNaN) {
  StateVariableFilter<kSVLowPass, 2> f;
  double l[64], r[64];
  for (int i = 0; i < 64; ++i) l[i] = r[i] = 0.5;
  l[10] = std::numeric_limits<double>::quiet_NaN();
  double* io[2] = {l, r};
  f.process(io, 64);
  EXPECT_TRUE(std::isfinite(f.state[0][0]) && std::isfinite(f.state[0][1]));
  for (int i = 0; i < 64; ++i) l[i] = r[i] = 0.5;
  f.process(io, 64);
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(std::isfinite(l[i]));
  f.reset();
  EXPECT_EQ(f.state[1][0], 0.0);
  EXPECT_EQ(f.state[1][1], 0.0);
}

// Both channels run side by side; each must keep what a filter of its own
// gives it, for every response, and one buffer for both channels takes them
// one after the other.
template <int Type>
void expectChannelsApart() {
  constexpr int kFrames = 300;
  StateVariableFilter<Type, 2> stereo, shared;
  StateVariableFilter<Type, 1> left, right, first, second;
  for (auto* f : {&stereo, &shared}) f->setRezo(0.7);
  for (auto* f : {&left, &right, &first, &second}) f->setRezo(0.7);
  double l[kFrames], r[kFrames], refL[kFrames], refR[kFrames], both[kFrames], ref[kFrames];
  for (int i = 0; i < kFrames; ++i) {
    l[i] = refL[i] = std::sin(0.05 * i) + (i == 17 ? 4.0 : 0.0);
    r[i] = refR[i] = 0.3 * std::cos(0.11 * i);
    both[i] = ref[i] = l[i] - r[i];
  }
  for (int block : {kFrames / 3, kFrames - kFrames / 3}) {
    const int from = block == kFrames / 3 ? 0 : kFrames / 3;
    double* io[2] = {l + from, r + from};
    double* inL[1] = {refL + from};
    double* inR[1] = {refR + from};
    stereo.process(io, block);
    left.process(inL, block);
    right.process(inR, block);
    double* same[2] = {both + from, both + from};
    double* twice[1] = {ref + from};
    shared.process(same, block);
    first.process(twice, block);
    second.process(twice, block);
  }
  for (int i = 0; i < kFrames; ++i) {
    ASSERT_EQ(l[i], refL[i]) << Type << " left " << i;
    ASSERT_EQ(r[i], refR[i]) << Type << " right " << i;
  }
  EXPECT_EQ(stereo.state[0][0], left.state[0][0]);
  EXPECT_EQ(stereo.state[1][1], right.state[0][1]);
  // One buffer: the second channel filters the first one's output.
  for (int i = 0; i < kFrames; ++i) ASSERT_EQ(both[i], ref[i]) << Type << " shared " << i;
}

TEST(StateVariableFilter, ChannelsSideBySideKeepTheirOwnResults) {
  expectChannelsApart<kSVLowPass>();
  expectChannelsApart<kSVHighPass>();
  expectChannelsApart<kSVBandPass>();
  expectChannelsApart<kSVNotch>();
}

}  // namespace
