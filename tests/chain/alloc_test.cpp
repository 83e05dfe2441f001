#include <gtest/gtest.h>

#include <cmath>

#include "BitCrasher.h"
#include "DistortionFx.h"
#include "DynShaper.h"
#include "EnvFollower.h"
#include "InputProcessor.h"
#include "NoiseGate.h"
#include "Oversampler.h"
#include "Saturator.h"
#include "SmpRateConverter.h"
#include "SoftClipper.h"
#include "alloc_hook.h"
#include "block.h"
#include "test_provider.h"

using namespace Rawnfield;

namespace {

constexpr int kBlock = 512;

Block music() {
  Block b(kBlock);
  for (int i = 0; i < kBlock; ++i) {
    b.l[i] = 0.9 * std::sin(0.07 * i);
    b.r[i] = 0.5 * std::sin(0.11 * i) + 0.2;
  }
  return b;
}

// Every unit prepared outside the audio path, then driven through several
// blocks (ramps, settings changes and oversampled stages included) while
// the counter watches: nothing may allocate.
TEST(Allocation, NoUnitAllocatesWhileProcessing) {
  DistortionDataProvider& provider = testProvider();
  BitCrasher crusher;
  SmpRateConverter reducer;
  NoiseGate gate;
  DynShaper shaper;
  DistortionFx chain(provider);
  DistoFxUnit unit;
  Saturator saturator(kOutputSaturation);
  SoftClipper clipper;
  Oversampler satOver, clipOver;
  InputProcessor input;
  EnvFollower follower;

  chain.init();
  unit.init();
  chain.setBlockSize(kBlock);
  unit.setBlockSize(kBlock * Oversampler::kFactor);
  reducer.setBlockSize(kBlock);
  saturator.init(provider);
  saturator.setDryWetThreshold(Saturator::kFastDryWetThreshold);
  saturator.setBlockSize(kBlock * Oversampler::kFactor);
  for (Oversampler* o : {&satOver, &clipOver}) {
    o->setBlockSize(kBlock);
    o->reset();
  }
  input.init(provider);
  input.setBlockSize(kBlock * Oversampler::kFactor);
  follower.setSampleRate(44100.0);

  crusher.setQuantization(0.6);
  reducer.setSampleRateConversion(0.4);
  gate.setThreshold(0.4);
  shaper.setAmount(0.7);
  shaper.setMode(1.0);
  chain.bitCrasher.setQuantization(0.8);
  chain.distortion.setType(0.6);
  chain.distortion.setAmount(0.8);
  chain.dynShaper.setAmount(0.5);
  unit.setDistortionType(0.3);
  unit.setDistortionAmount(0.6);
  unit.setShaperAmount(0.6);
  unit.setGateThreshold(0.2);
  saturator.amount = 0.7;
  clipper.autoMakeUp = true;
  input.channelMode = kInverseStereo;
  input.offset = 0.7;
  input.inputSaturator.amount = 0.4;

  Block b = music();
  long count = -1;
  {
    AllocationCounter counter;
    for (int round = 0; round < 4; ++round) {
      if (round == 2) {  // ramps and setting changes between blocks
        shaper.setBypass(true);
        chain.setBypass(true);
        unit.setBypass(true);
        clipper.setThreshold(0.3);
        clipper.updateMakeUpGain();
      }
      crusher.process(b.io, kBlock);
      reducer.process(b.io, kBlock);
      gate.process(b.io, b.io, kBlock);
      shaper.process(b.io, nullptr, kBlock);
      chain.process(b.io, nullptr, nullptr, kBlock);
      unit.process(b.io, kBlock);
      input.process(b.io, kBlock);
      satOver.run(b.io, kBlock, [&](double** io, int n) { saturator.process(io, n); });
      clipOver.run(b.io, kBlock, [&](double** io, int n) { clipper.process(io, io, n); });
      saturator.process(b.io, kBlock);
      clipper.process(b.io, b.io, kBlock);
      follower.process(b.io, kBlock);
      follower.decayBetweenBlocks();
      satOver.upsample(b.io, nullptr, kBlock);
      satOver.downsample(satOver.up, nullptr, kBlock * Oversampler::kFactor);
    }
    count = counter.count();
  }
  EXPECT_EQ(count, 0);
  for (int i = 0; i < kBlock; ++i) ASSERT_TRUE(std::isfinite(b.l[i]) && std::isfinite(b.r[i]));
}

// The counter itself sees allocations, so the zero above means something.
TEST(Allocation, CounterSeesAnAllocation) {
  long count = 0;
  {
    AllocationCounter counter;
    WorkBuffer grown;
    grown.grow(16);
    count = counter.count();
  }
  EXPECT_GE(count, 1);
}

}  // namespace
