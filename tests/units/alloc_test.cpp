#include <gtest/gtest.h>

#include <cmath>

#include "DistortionFx.h"
#include "DumpExpand.h"
#include "Eq4Band.h"
#include "Equalizer.h"
#include "FilterUnit.h"
#include "HqFilterUnit.h"
#include "SubBandProcessor.h"
#include "alloc_hook.h"
#include "block.h"
#include "measure.h"
#include "test_provider.h"

using namespace Rawnfield;

namespace {

constexpr int kBlock = 512;

// Every unit prepared outside the audio path, then driven through blocks
// with every setting changing before each (types, ramps, rates of glide)
// while the counter watches: nothing may allocate.
TEST(Allocation, NoUnitAllocatesWhileProcessing) {
  DistoFxUnit chains;
  FilterUnit filter;
  Eq4Band eq;
  Equalizer eq3;
  SubBandProcessor subBand(chains.subBand().distortion);
  DumpExpand sweep;
  HqFilterUnit hq;
  filter.init(testProvider());
  subBand.init(testProvider());
  filter.setSampleRate(48000.0);
  eq.setSampleRate(48000.0);
  eq3.setSampleRate(48000.0);
  subBand.setSampleRate(48000.0);
  sweep.setSampleRate(48000.0);
  for (auto* u : {&filter}) u->setBlockSize(kBlock);
  eq.setBlockSize(kBlock);
  eq3.setBlockSize(kBlock);
  subBand.setBlockSize(kBlock);
  sweep.setBlockSize(kBlock);
  hq.setBlockSize(kBlock);

  measure::Noise noise;
  Block main(kBlock), sub(kBlock);
  long count = -1;
  {
    AllocationCounter counter;
    for (int k = 0; k < 24; ++k) {
      const double v = (k % 12) / 11.0;
      filter.setInputDrive(v);
      filter.setCutoff(1.0 - v);
      filter.setRezo(v);
      filter.setFilterType1(v);
      filter.setFilterType2(1.0 - v);
      filter.setFilterMix(v);
      filter.setFilterTransition(v);
      filter.setBypass(k % 5 == 3);
      eq.setBassAmount(v);
      eq.setLoMiAmount(1.0 - v);
      eq.setHiMiAmount(v);
      eq.setHighAmount(0.5);
      eq.setBypass(k % 7 == 2);
      eq3.setMidAmount(v);
      subBand.setChannelMode(static_cast<eChannelMode>(k % 5));
      subBand.setSubBandGain(v);
      subBand.setDistoBandGain(1.0 - v);
      subBand.setSubBandSaturation(v);
      subBand.getEq4Band().setBassAmount(v);
      subBand.getBandSplitFilter().setFilterLink(k % 2 == 0);
      subBand.setBypass(k % 6 == 4);
      sweep.setDumpExpand(v);
      sweep.setBypass(k % 4 == 1);
      for (int i = 0; i < kBlock; ++i) {
        main.l[i] = noise.next(0.7);
        main.r[i] = noise.next(0.7);
        sub.l[i] = main.l[i];
        sub.r[i] = main.r[i];
      }
      filter.process(main.io, kBlock);
      eq.process(main.io, kBlock);
      eq3.process(main.io, kBlock);
      subBand.process(sub.io, main.io, kBlock);
      sweep.process(main.io, kBlock);
      hq.process(main.io, kBlock);
      // Editor reads between blocks.
      filter.getCutoffFreqHz();
      sweep.getDumpExpandFreq();
      subBand.getBandSplitFilter().getSubBandFilterFreqResponse(0.01);
    }
    count = counter.count();
  }
  EXPECT_EQ(count, 0);
  for (int i = 0; i < kBlock; ++i)
    ASSERT_TRUE(std::isfinite(main.l[i]) && std::isfinite(main.r[i]));

  // The counter does see the units' own allocations outside the audio path.
  AllocationCounter counter;
  filter.setBlockSize(4 * kBlock);
  EXPECT_GE(counter.count(), 1);
}

}  // namespace
