// Every audio-path call of the generators, modulators and spare filters,
// prepared outside the audio path, then run with settings changing before
// each block while the counter watches: nothing may allocate.
#include <gtest/gtest.h>

#include "BiquadFilter.h"
#include "FmModulator.h"
#include "FxTester.h"
#include "HardcoreBass.h"
#include "OscFilterUnit.h"
#include "Phaser.h"
#include "RingModulator.h"
#include "Sampler.h"
#include "TempoDelay.h"
#include "WaveTable.h"
#include "alloc_hook.h"
#include "block.h"

using namespace Rawnfield;

namespace {

constexpr int kBlock = 256;

TEST(Allocation, NoProcessCallAllocates) {
  OscFilterUnit filters;
  filters.init();
  filters.setSampleRate(48000.0);
  BiquadFilter biquad(kFilterModePeak, 48000.0);
  PolyBLEP blep(48000.0, PolyBLEP::TRAPEZOID_VARIABLE, 220.0);
  WaveTable table;
  std::vector<double> cycle(2048);
  for (size_t i = 0; i < cycle.size(); ++i) cycle[i] = i < 1024 ? 1.0 : -1.0;
  table.genTables(cycle.data(), 2048);
  WaveTableOsc osc;
  osc.setWaveTable(&table);
  RingModulator ring;
  ring.setSampleRate(48000.0);
  FmModulator fm;
  HardcoreBass bass;
  bass.setSampleRate(48000.0);
  bass.setBlockSize(kBlock);
  Sampler sampler;
  sampler.setData(cycle.data(), 2048, 48000.0);
  Phaser phaser;
  TempoDelay delay;
  delay.setSampleRate(48000.0);
  delay.reset();
  FxTester tester;
  tester.init();
  tester.setSampleRate(48000.0);
  tester.setBlockSize(kBlock);
  tester.setKickSignal(true);
  tester.setTestSignal(true);

  Block block(kBlock, 0.3, -0.2);
  std::vector<float> fl(kBlock, 0.1f), fr(kBlock, -0.1f);
  float* fio[2] = {fl.data(), fr.data()};
  long count = -1;
  {
    AllocationCounter counter;
    for (int k = 0; k < 24; ++k) {
      const double v = (k % 12) / 11.0;
      filters.setFilterType1(v);
      filters.setFilterType2(1.0 - v);
      filters.setFilterMix(v);
      biquad.setFilterMode(static_cast<eFilterMode>(k % 7));
      blep.setWaveform(static_cast<PolyBLEP::Waveform>(k % 14));
      blep.setFrequency(100.0 + 900.0 * v);
      osc.setFrequency(30.0 + 8000.0 * v);
      ring.setFrequency(v);
      ring.setAmount(0.5 + 0.5 * v);
      ring.setWaveform(v);
      fm.setAmount(v);
      fm.setFrequency(0.1 + v);
      bass.hpAmount = v;
      bass.bassAmount = 1.0 - v;
      bass.drive = v;
      bass.setBassHPFrequency(v);
      bass.setBassCenterFrequency(1.0 - v);
      phaser.setDepth(0.2 + v);
      phaser.setRate(v);
      phaser.setFeedback(v);
      delay.setTempo(80.0 + 100.0 * v);
      delay.setStereoFx(v);
      delay.setDump(v);
      delay.wetLevel = v;
      tester.setTestSignalFreq(v);
      tester.setBypass(k % 5 == 0);

      double sink = 0.0;
      for (int i = 0; i < kBlock; ++i) {
        sink += filters.process(block.l[i], v, 0.5);
        sink += biquad.process(block.l[i], v, v);
        sink += blep.getAndInc() + osc.getAndInc();
        sink += sampler.getSample(i / 48000.0);
      }
      ring.process(block.io, kBlock);
      fm.modulate(block.io, kBlock);
      bass.process(block.io, kBlock);
      phaser.process(block.io, kBlock);
      phaser.process(fio, kBlock);
      delay.process(block.io, kBlock);
      tester.process(block.io, nullptr, kBlock);
      block.l[0] += sink * 1e-12;
    }
    count = counter.count();
  }
  EXPECT_EQ(count, 0);
}

}  // namespace
