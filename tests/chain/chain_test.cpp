#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "DistortionFx.h"
#include "block.h"
#include "test_provider.h"

using Rawnfield::DistoFxUnit;
using Rawnfield::DistortionFx;

namespace {

// A test signal that every unit of the chain changes.
Block signal(int n) {
  Block b(n);
  for (int i = 0; i < n; ++i) {
    b.l[i] = 0.8 * std::sin(0.05 * i) + 0.03 * std::sin(1.3 * i);
    b.r[i] = 0.6 * std::cos(0.031 * i);
  }
  return b;
}

// Settings under which each unit of a chain has an audible effect.
struct Settings {
  void apply(DistortionFx& c) const {
    c.bitCrasher.setQuantization(0.5);
    c.smpRateConverter.setSampleRateConversion(0.6);
    c.noiseGate.setThreshold(0.55);
    c.distortion.setType(25.0 / 42.0);
    c.distortion.setDistoMode(0.5);
    c.distortion.setAmount(0.7);
    c.dynShaper.setAmount(0.8);
    c.dynShaper.setMode(1.0 / 3.0);
  }
};

std::unique_ptr<DistortionFx> makeChain() {
  auto c = std::make_unique<DistortionFx>(testProvider());
  c->init();
  Settings().apply(*c);
  return c;
}

// The five units run in the chain's order: bit crusher, sample-rate
// reducer, noise gate, distortion, dynamic shaper.
TEST(DistortionFx, RunsItsUnitsInOrder) {
  auto chain = makeChain();
  auto parts = makeChain();  // the same units, driven one by one
  Block viaChain = signal(256), byHand = viaChain, swapped = viaChain;
  chain->process(viaChain.io, nullptr, nullptr, 256);

  parts->bitCrasher.process(byHand.io, 256);
  parts->smpRateConverter.process(byHand.io, 256);
  parts->noiseGate.process(byHand.io, byHand.io, 256);
  parts->distortion.distort(byHand.io, nullptr, 256);
  parts->dynShaper.process(byHand.io, nullptr, 256);
  EXPECT_EQ(viaChain.l, byHand.l);
  EXPECT_EQ(viaChain.r, byHand.r);

  // The order matters for these settings: the shaper before the
  // distortion gives another block.
  auto other = makeChain();
  other->bitCrasher.process(swapped.io, 256);
  other->smpRateConverter.process(swapped.io, 256);
  other->noiseGate.process(swapped.io, swapped.io, 256);
  other->dynShaper.process(swapped.io, nullptr, 256);
  other->distortion.distort(swapped.io, nullptr, 256);
  EXPECT_NE(viaChain.l, swapped.l);
}

TEST(DistortionFx, ModulationReachesDistortionAndShaper) {
  auto a = makeChain(), b = makeChain();
  Block x = signal(64), y = x;
  std::vector<double> zero(64, 0.0);
  a->process(x.io, zero.data(), zero.data(), 64);
  b->process(y.io, nullptr, nullptr, 64);
  EXPECT_NE(x.l, y.l);
}

TEST(DistortionFx, RateAndBlockSizeReachTheUnits) {
  DistortionFx c(testProvider());
  c.setSampleRate(48000.0);
  EXPECT_EQ(c.distortion.sampleRate, 48000.0);
  EXPECT_EQ(c.dynShaper.sampleRate, 48000.0);
  EXPECT_EQ(c.smpRateConverter.sampleRate, 48000.0);
  c.setBlockSize(4096);
  EXPECT_EQ(c.distortion.scratch.capacity, 4096);
  EXPECT_EQ(c.smpRateConverter.scratchLeft.capacity, 4096);
  EXPECT_EQ(c.smpRateConverter.scratchRight.capacity, 4096);
}

// Bypassed, the chain still gates: the gate has no bypass.
TEST(DistortionFx, BypassedChainStillGates) {
  auto c = makeChain();
  c->noiseGate.setThreshold(0.5);  // 0.0625
  c->setBypass(true);
  EXPECT_TRUE(c->bitCrasher.off);
  EXPECT_TRUE(c->distortion.off);
  EXPECT_TRUE(c->dynShaper.bypass);
  EXPECT_TRUE(c->smpRateConverter.bypass);
  Block warm(600, 0.5, 0.5);  // the shaper's ramp runs out
  c->process(warm.io, nullptr, nullptr, 600);
  EXPECT_TRUE(c->dynShaper.isFadedOut());
  Block b({0.05, 0.3, -0.04, 0.7}, {-0.0624, -0.3, 0.2, 0.0});
  c->process(b.io, nullptr, nullptr, 4);
  EXPECT_EQ(b.l, (std::vector<double>{0.0, 0.3, 0.0, 0.7}));
  EXPECT_EQ(b.r, (std::vector<double>{0.0, -0.3, 0.2, 0.0}));

  c->setBypass(false);
  EXPECT_FALSE(c->bitCrasher.off);
  EXPECT_FALSE(c->distortion.off);
  EXPECT_EQ(c->dynShaper.fadeGain, 0.002);
}

TEST(DistortionFx, BypassRampsOnlyTheShaper) {
  auto a = makeChain();
  a->setBypass(true);
  Block b = signal(16);
  a->process(b.io, nullptr, nullptr, 16);
  // Crusher, reducer and distortion stopped at once; the shaper's fade
  // gain has taken 16 steps.
  EXPECT_NEAR(a->dynShaper.fadeGain, 0.998 - 16 * 0.002, 1e-12);
}

// One unit for the fan-out tests: building the provider and three chains
// once is enough.
class Unit : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    unit = new DistoFxUnit;
    unit->init();
  }
  static void TearDownTestSuite() {
    delete unit;
    unit = nullptr;
  }
  static DistoFxUnit* unit;
};
DistoFxUnit* Unit::unit = nullptr;

TEST_F(Unit, InitLoadsEveryChain) {
  for (DistortionFx& c : unit->chains) {
    ASSERT_NE(c.distortion.current, nullptr);
    EXPECT_EQ(&c.distortion.provider, &unit->provider);
  }
  EXPECT_EQ(&unit->master(), &unit->chains[0]);
  EXPECT_EQ(&unit->audio(), &unit->chains[1]);
  EXPECT_EQ(&unit->subBand(), &unit->chains[2]);
}

// Which plug-in setting reaches which chain.
TEST_F(Unit, SettingsFanOutToTheirChains) {
  struct Row {
    const char* name;
    std::function<void(DistoFxUnit&)> set;
    std::function<bool(DistortionFx&)> reached;
    bool chains[3];
  };
  const Row rows[] = {
      {"bit crusher",
       [](DistoFxUnit& u) { u.setQuantization(0.5); },
       [](DistortionFx& c) { return c.bitCrasher.quantization == 0.25; },
       {true, true, true}},
      {"rate reduction",
       [](DistoFxUnit& u) { u.setSampleRateConversion(0.5); },
       [](DistortionFx& c) { return c.smpRateConverter.ratio == 0.125; },
       {true, true, true}},
      {"gate",
       [](DistoFxUnit& u) { u.setGateThreshold(0.5); },
       [](DistortionFx& c) { return c.noiseGate.threshold == 0.0625; },
       {true, true, true}},
      {"amount",
       [](DistoFxUnit& u) { u.setDistortionAmount(0.7); },
       [](DistortionFx& c) { return c.distortion.getAmount() == 0.7; },
       {true, true, false}},
      {"type",
       [](DistoFxUnit& u) { u.setDistortionType(0.5); },
       [](DistortionFx& c) { return c.distortion.getType() == 21; },
       {true, true, true}},
      {"mode",
       [](DistoFxUnit& u) { u.setDistoMode(0.0); },
       [](DistortionFx& c) { return c.distortion.getDistoMode() == 0; },
       {true, true, true}},
      {"interpolation",
       [](DistoFxUnit& u) { u.setInterpolation(0.5); },
       [](DistortionFx& c) { return c.distortion.current->interpolation == 1; },
       {true, true, true}},
      {"polarity",
       [](DistoFxUnit& u) { u.setPolarity(1.0); },
       [](DistortionFx& c) { return c.distortion.getPolarity() == 2; },
       {true, true, true}},
      {"shaper amount",
       [](DistoFxUnit& u) { u.setShaperAmount(0.5); },
       [](DistortionFx& c) { return c.dynShaper.getAmount() == 0.25; },
       {true, true, true}},
      {"shaper invert",
       [](DistoFxUnit& u) { u.setShaperInvert(1.0); },
       [](DistortionFx& c) { return c.dynShaper.getInvert(); },
       {true, true, true}},
      {"shaper type",
       [](DistoFxUnit& u) { u.setShaperType(1.0); },
       [](DistortionFx& c) { return c.dynShaper.getType() == 2; },
       {true, true, true}},
      {"shaper mode",
       [](DistoFxUnit& u) { u.setShaperMode(1.0); },
       [](DistortionFx& c) { return c.dynShaper.getMode() == 3; },
       {true, true, true}},
      {"shaper apply mode",
       [](DistoFxUnit& u) { u.setShaperApplyMode(0.5); },
       [](DistortionFx& c) { return c.dynShaper.getApplyMode() == 1; },
       {true, true, true}},
      {"distortion off",
       [](DistoFxUnit& u) { u.setDistortionOn(0.0); },
       [](DistortionFx& c) { return c.distortion.off && c.bitCrasher.off; },
       {true, true, true}},
      {"distortion on",
       [](DistoFxUnit& u) { u.setDistortionOn(1.0); },
       [](DistortionFx& c) { return !c.distortion.off && !c.bitCrasher.off; },
       {true, true, true}},
  };
  for (const Row& r : rows) {
    r.set(*unit);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(r.reached(unit->chains[c]), r.chains[c]) << r.name << c;
  }
  EXPECT_EQ(unit->subBand().distortion.getAmount(), 0.0);
}

TEST_F(Unit, CurveEditsReachEveryChain) {
  unit->setDistortionType(5.0 / 42.0);
  unit->setLutValue(100, 0.123);
  unit->setLutValue(101, std::nan(""));
  for (DistortionFx& c : unit->chains) {
    EXPECT_EQ(c.distortion.getLutValue(static_cast<unsigned short>(100)), 0.123);
    EXPECT_EQ(c.distortion.getLutValue(static_cast<unsigned short>(101)), 0.0);
  }
  unit->dataAction(Rawnfield::Types::kResetCurve);
  for (DistortionFx& c : unit->chains)
    EXPECT_NEAR(c.distortion.getLutValue(static_cast<unsigned short>(100)), -1.0 + 200.0 / 511.0,
                1e-12);

  std::vector<double> saved(512);
  for (int i = 0; i < 512; ++i) saved[i] = 3.0 * std::sin(i * 0.02);
  saved[7] = std::nan("");
  unit->restoreUserCurve(saved.data(), 512);
  for (DistortionFx& c : unit->chains) {
    EXPECT_EQ(c.distortion.getLutValue(static_cast<unsigned short>(7)), 0.0);
    for (int i = 0; i < 512; ++i) {
      if (i == 7) continue;
      ASSERT_EQ(c.distortion.getLutValue(static_cast<unsigned short>(i)),
                std::fmax(-1.0, std::fmin(1.0, saved[i])))
          << i;
    }
  }
  unit->restoreUserCurve(nullptr, 512);  // nothing happens
}

// After a curve import into chain 0, chains 1 and 2 hold identical values,
// names and interpolation codes.
TEST_F(Unit, ImportedCurveIsCopiedFromTheMaster) {
  unit->setDistortionType(3.0 / 42.0);
  Rawnfield::Distortion& m = unit->master().distortion;
  for (unsigned short i = 0; i < 512; ++i) m.setLutValue(i, std::cos(i * 0.01));
  m.current->name = "Imported";
  m.current->interpolation = 0;
  unit->copyMasterCurve();
  for (int c = 1; c < 3; ++c) {
    const Rawnfield::LookUp& t = *unit->chains[c].distortion.current;
    EXPECT_EQ(t.name, "Imported");
    EXPECT_EQ(t.interpolation, 0u);
    for (int i = 0; i < 512; ++i) ASSERT_EQ(t.base.data[i], m.current->base.data[i]) << c;
  }
}

TEST_F(Unit, AudioRunsThroughChainOneOnly) {
  unit->setDistortionType(25.0 / 42.0);
  unit->setDistortionAmount(0.9);
  unit->setShaperAmount(0.4);
  const double masterState = unit->master().distortion.amountSmoother.state;
  const double subState = unit->subBand().dynShaper.amountSmoother.state;
  Block b = signal(128);
  const Block before = b;
  unit->process(b.io, 128);
  EXPECT_NE(b.l, before.l);
  EXPECT_NE(unit->audio().distortion.amountSmoother.state, masterState);
  EXPECT_EQ(unit->master().distortion.amountSmoother.state, masterState);
  EXPECT_EQ(unit->subBand().dynShaper.amountSmoother.state, subState);
}

TEST_F(Unit, RateBlockSizeAndBypassReachEveryChain) {
  unit->setSampleRate(96000.0);
  unit->setBlockSize(2048);
  unit->setBypass(true);
  for (DistortionFx& c : unit->chains) {
    EXPECT_EQ(c.dynShaper.sampleRate, 96000.0);
    EXPECT_EQ(c.smpRateConverter.sampleRate, 96000.0);
    EXPECT_EQ(c.distortion.scratch.capacity, 2048);
    EXPECT_TRUE(c.smpRateConverter.bypass);
  }
  unit->setBypass(false);
}

TEST_F(Unit, EditorPicturesComeFromChainZero) {
  unit->master().dynShaper.setAmount(1.0);
  unit->audio().dynShaper.setAmount(0.2);
  std::vector<double> curve(133), wave(120), expectCurve(133), expectWave(120);
  unit->updateDynShaperGuiData(curve.data(), 133, wave.data(), 120);
  unit->master().dynShaper.updateGUIData(expectCurve.data(), 133, expectWave.data(), 120);
  EXPECT_EQ(curve, expectCurve);
  EXPECT_EQ(wave, expectWave);

  std::vector<double> dcurve(133, 9.0), dwave(120, 9.0);
  unit->updateDistoGuiData(dcurve.data(), 133, dwave.data(), 120);
  EXPECT_NE(dcurve[0], 9.0);
  EXPECT_NE(dwave[30], 9.0);
}

}  // namespace
