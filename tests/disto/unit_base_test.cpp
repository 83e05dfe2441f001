#include <gtest/gtest.h>

#include <vector>

#include "AudioProcessingUnit.h"

using Rawnfield::AudioProcessingUnit;

namespace {

// A unit whose processed signal is a constant, so every output frame shows
// the ramp gain it was mixed with: out = (1 - g) dry + g wet.
class RampProbe : public AudioProcessingUnit {
public:
  void setSampleRate(double rate) override {
    AudioProcessingUnit::setSampleRate(rate);
    ++rateCalls;
  }
  // Runs n frames of dry 0 / wet 1 and returns the gains the frames used.
  std::vector<double> run(int n) {
    std::vector<double> out(n, -1.0), right(n, -1.0);
    if (isFadedOut()) return out;
    std::vector<double> dryL(n, 0.0), dryR(n, 0.0), wetL(n, 1.0), wetR(n, 1.0);
    const double* dry[2] = {dryL.data(), dryR.data()};
    const double* wet[2] = {wetL.data(), wetR.data()};
    double* dst[2] = {out.data(), right.data()};
    crossfade(dry, wet, dst, n);
    return out;
  }
  int rateCalls = 0;
};

TEST(AudioProcessingUnit, FreshUnitPassesItsProcessedSignalAtFullWeight) {
  RampProbe u;
  EXPECT_EQ(u.sampleRate, 44100.0);
  EXPECT_FALSE(u.bypass);
  EXPECT_EQ(u.fadeGain, 1.0);
  EXPECT_EQ(u.fadeInc, 0.002);
  EXPECT_EQ(AudioProcessingUnit::kFadeInc, 0.002);
  for (double g : u.run(4)) EXPECT_EQ(g, 1.0);
  EXPECT_EQ(u.fadeGain, 1.0);
}

TEST(AudioProcessingUnit, SetSampleRateIsVirtual) {
  RampProbe u;
  AudioProcessingUnit& base = u;
  base.setSampleRate(96000.0);
  EXPECT_EQ(u.sampleRate, 96000.0);
  EXPECT_EQ(u.rateCalls, 1);
}

TEST(AudioProcessingUnit, SwitchingOutRampsDownOver500FramesThenStops) {
  RampProbe u;
  u.setBypass(true);
  EXPECT_TRUE(u.bypass);
  EXPECT_EQ(u.fadeInc, -0.002);
  EXPECT_EQ(u.fadeGain, 0.998);
  const std::vector<double> g = u.run(600);
  EXPECT_EQ(g[0], 0.998);
  EXPECT_NEAR(g[1], 0.996, 1e-12);
  EXPECT_NEAR(g[250], 0.498, 1e-9);
  // The ramp clamps at 0 after about 500 frames and stays there.
  int firstZero = -1;
  for (int i = 0; i < 600; ++i)
    if (g[i] == 0.0) {
      firstZero = i;
      break;
    }
  EXPECT_GE(firstZero, 498);
  EXPECT_LE(firstZero, 500);
  EXPECT_EQ(g[599], 0.0);
  EXPECT_TRUE(u.isFadedOut());
  // From the next block on the block passes untouched.
  EXPECT_EQ(u.run(3), std::vector<double>(3, -1.0));
}

TEST(AudioProcessingUnit, SwitchingInFromRestRampsUpAndStaysAtOne) {
  RampProbe u;
  u.setBypass(true);
  u.run(600);
  u.setBypass(false);
  EXPECT_EQ(u.fadeInc, 0.002);
  EXPECT_EQ(u.fadeGain, 0.002);
  const std::vector<double> g = u.run(600);
  EXPECT_EQ(g[0], 0.002);
  EXPECT_EQ(g[599], 1.0);
  EXPECT_EQ(u.fadeGain, 1.0);
  EXPECT_FALSE(u.isFadedOut());
}

TEST(AudioProcessingUnit, RepeatedValueDoesNotRestartTheRamp) {
  RampProbe u;
  u.setBypass(true);
  u.run(100);
  const double g = u.fadeGain;
  u.setBypass(true);
  EXPECT_EQ(u.fadeGain, g);
  EXPECT_EQ(u.fadeInc, -0.002);
}

TEST(AudioProcessingUnit, ReversalRestartsFromTheFixedStartOfItsDirection) {
  RampProbe u;
  u.setBypass(true);
  u.run(100);  // gain near 0.8
  u.setBypass(false);
  EXPECT_EQ(u.fadeGain, 0.002);
}

TEST(AudioProcessingUnit, CrossfadeWorksInPlace) {
  RampProbe u;
  u.setBypass(true);
  double l[2] = {2.0, 2.0}, r[2] = {4.0, 4.0};
  const double wl[2] = {0.0, 0.0}, wr[2] = {0.0, 0.0};
  const double* dry[2] = {l, r};
  const double* wet[2] = {wl, wr};
  double* out[2] = {l, r};
  u.crossfade(dry, wet, out, 2);
  EXPECT_NEAR(l[0], 2.0 * 0.002, 1e-15);
  EXPECT_NEAR(r[1], 4.0 * 0.004, 1e-15);
}

}  // namespace
