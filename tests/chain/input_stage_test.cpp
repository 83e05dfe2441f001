#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EnvFollower.h"
#include "InputProcessor.h"
#include "block.h"
#include "test_provider.h"

using Rawnfield::EnvFollower;
using Rawnfield::InputProcessor;
using Rawnfield::Saturator;

namespace {

// An input stage set up the way the owner does it, with the volume and the
// offset smoothers settled on their defaults (unity, no offset).
struct InputStage : ::testing::Test {
  void SetUp() override {
    in.init(testProvider());
    in.volumeSmoother.state = 1.0;
  }
  InputProcessor in;
};

TEST_F(InputStage, InitSetsSmoothersAndTheFastSaturatorThreshold) {
  EXPECT_EQ(in.offsetSmoother.a, 0.999);
  EXPECT_EQ(in.offsetSmoother.b, 1.0 - 0.999);
  EXPECT_EQ(in.volumeSmoother.a, 0.9777);
  EXPECT_EQ(in.volumeSmoother.b, 0.022299999999999986);
  EXPECT_EQ(in.inputSaturator.type, Rawnfield::kOutputSaturation);
  // The threshold is set after the saturator's init, which resets it.
  EXPECT_EQ(in.inputSaturator.dryWetThreshold, Saturator::kFastDryWetThreshold);
  EXPECT_EQ(in.inputSaturator.inverseThreshold, 4.0);
  EXPECT_EQ(in.inputSaturator.curve.interpolation, Rawnfield::Types::kLinearInterpolation);
}

TEST_F(InputStage, ChannelModes) {
  struct Case {
    uint32_t mode;
    double l, r;
  };
  // Frame (1, -0.5) in each mode.
  const Case cases[] = {{0, 1.0, -0.5},  {1, -0.5, 1.0}, {2, 0.25, 0.25}, {3, 1.0, 1.0},
                        {4, -0.5, -0.5}, {5, 1.0, -0.5}, {99, 1.0, -0.5}};
  for (const Case& c : cases) {
    in.channelMode = c.mode;
    Block b(3, 1.0, -0.5);
    in.process(b.io, 3);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(b.l[i], c.l) << c.mode;
      EXPECT_EQ(b.r[i], c.r) << c.mode;
    }
  }
  in.channelMode = Rawnfield::kMonoMix;
  Block opposite(1, 1.0, -1.0);
  in.process(opposite.io, 1);
  EXPECT_EQ(opposite.l[0], 0.0);
  EXPECT_EQ(opposite.r[0], 0.0);
  EXPECT_STREQ(Rawnfield::kChannelModeNames[Rawnfield::kMonoMix], "Mono Mix (L+R)");
  EXPECT_STREQ(Rawnfield::kChannelModeNames[Rawnfield::kInverseStereo], "Inverse Stereo");
}

TEST_F(InputStage, SwapLongerThanTheScratchGoesThroughItInPieces) {
  in.setBlockSize(8);
  EXPECT_EQ(in.scratch.capacity, 8);
  in.channelMode = Rawnfield::kInverseStereo;
  Block b(20);
  for (int i = 0; i < 20; ++i) {
    b.l[i] = i;
    b.r[i] = -i;
  }
  in.process(b.io, 20);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(b.l[i], -i);
    EXPECT_EQ(b.r[i], i);
  }
  EXPECT_EQ(in.inputSaturator.scratchLeft.capacity, 1024);  // grown only
}

TEST_F(InputStage, VolumeGlidesWithTimeConstant44) {
  in.volume = 0.0;
  Block b(44, 1.0, 1.0);
  in.process(b.io, 44);
  EXPECT_EQ(b.l[0], 0.9777);
  EXPECT_NEAR(b.l[43], std::pow(0.9777, 44), 1e-12);
  EXPECT_NEAR(b.l[43], std::exp(-1.0), 0.01);
  EXPECT_EQ(b.r[43], b.l[43]);
}

TEST_F(InputStage, OffsetSettlesAndReturnsAtOnce) {
  in.offset = 1.0;
  Block b(20000, 0.0, 0.0);
  in.process(b.io, 20000);
  EXPECT_NEAR(b.l[19999], 1.0, 1e-6);
  EXPECT_EQ(b.l[0], 1.0 - 0.999);
  EXPECT_EQ(b.r[0], b.l[0]);
  const double held = in.offsetSmoother.state;
  in.offset = 0.5;  // nothing added, the smoother holds
  Block c(4, 0.25, 0.25);
  in.process(c.io, 4);
  EXPECT_EQ(c.l, std::vector<double>(4, 0.25));
  EXPECT_EQ(in.offsetSmoother.state, held);
  in.offset = 0.0;  // resumes from the held value towards -1
  Block d(1, 0.0, 0.0);
  in.process(d.io, 1);
  EXPECT_EQ(d.l[0], 0.999 * held + (1.0 - 0.999) * -1.0);
}

TEST_F(InputStage, SaturatorRunsLast) {
  in.inputSaturator.amount = 1.0;
  in.inputSaturator.amountSmoother.state = 1.0;
  in.inputSaturator.factorSmoother.state = 5.0;
  in.volume = 0.5;
  in.volumeSmoother.state = 0.5;
  Block b(1, 0.02, 0.02);
  in.process(b.io, 1);
  const Saturator& s = in.inputSaturator;
  const double shaped = s.curve.read(s.curve.base.data, 0.01);  // after the volume
  EXPECT_NEAR(b.l[0], std::fmin(1.0, std::fmax(-1.0, shaped * 5.0)), 1e-12);
}

TEST(EnvFollower, Defaults) {
  EnvFollower e;
  EXPECT_EQ(e.attackTime, 0.3);
  EXPECT_EQ(e.releaseTime, 0.3);
  EXPECT_EQ(e.attackCoef, std::exp(-1.0 / (44100.0 * 0.3)));
  EXPECT_EQ(e.releaseCoef, std::exp(-1.0 / (44100.0 * 0.3)));
  EXPECT_EQ(e.envelope[0], 0.0);
  EXPECT_EQ(e.fadeGain, 1.0);
}

TEST(EnvFollower, SampleRateRecomputesFromTheTimes) {
  EnvFollower e;
  e.attackTime = 0.01;
  e.releaseTime = 0.5;
  Rawnfield::AudioProcessingUnit& base = e;
  base.setSampleRate(48000.0);
  EXPECT_EQ(e.sampleRate, 48000.0);
  EXPECT_EQ(e.attackCoef, std::exp(-1.0 / 480.0));
  EXPECT_EQ(e.releaseCoef, std::exp(-1.0 / 24000.0));
}

TEST(EnvFollower, RisesWithAttackAndFallsWithRelease) {
  EnvFollower e;
  e.attackTime = 0.01;
  e.releaseTime = 0.5;
  e.setSampleRate(44100.0);
  Block loud(441, 2.0, -1.0);  // full scale (clipped at 1) on both
  e.process(loud.io, 441);
  const double up = 1.0 - std::pow(e.attackCoef, 441);
  EXPECT_NEAR(e.envelope[0], up, 1e-12);
  EXPECT_NEAR(e.envelope[1], up, 1e-12);
  EXPECT_NEAR(e.envelope[0], 1.0 - std::exp(-1.0), 1e-3);
  EXPECT_EQ(loud.l[440], 2.0);  // the audio is not changed
  Block quiet(100, 0.0, 0.0);
  e.process(quiet.io, 100);
  EXPECT_NEAR(e.envelope[0], up * std::pow(e.releaseCoef, 100), 1e-12);
}

TEST(EnvFollower, FallsBetweenBlocksInSteps) {
  EnvFollower e;
  e.releaseTime = 0.5;
  e.setSampleRate(44100.0);  // m = 22050: 1102 steps
  e.envelope[0] = 0.8;
  e.envelope[1] = 0.4;
  e.decayBetweenBlocks();
  double expect = 0.8;
  for (int i = 0; i < 1102; ++i) expect = e.releaseCoef * expect + (1.0 - e.releaseCoef) * 0.0;
  EXPECT_EQ(e.envelope[0], expect);
  // Below 20 frames of release nothing happens.
  e.setSampleRate(30.0);
  const double held = e.envelope[1];
  e.decayBetweenBlocks();
  EXPECT_EQ(e.envelope[1], held);
}

TEST(EnvFollower, NaNDoesNotPoisonTheEnvelope) {
  EnvFollower e;
  Block b(1, std::nan(""), 0.5);
  e.process(b.io, 1);
  EXPECT_EQ(e.envelope[0], 0.0);
  EXPECT_GT(e.envelope[1], 0.0);
}

}  // namespace
