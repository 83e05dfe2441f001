#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "BandSplitFilter.h"
#include "DistortionFx.h"
#include "SubBandProcessor.h"
#include "UnitFilters.h"
#include "block.h"
#include "measure.h"
#include "test_provider.h"

using namespace Rawnfield;

namespace {

const double kRoot2 = 0.7071067811865476;

double idValue(const Dsp::Filter* f, int id) {
  return UnitFilters::entry(*f, f->getParams(), id, std::nan(""));
}

TEST(BandSplitFilter, ConstructedAt200Hz) {
  BandSplitFilter x;
  EXPECT_FALSE(x.bypass);
  EXPECT_EQ(x.fadeGain, 1.0);
  EXPECT_EQ(x.lowPassSlope, kSlope12dB);
  EXPECT_EQ(x.highPassSlope, kSlope12dB);
  EXPECT_TRUE(x.link);
  EXPECT_NEAR(x.getSubBandFilterCutoffFreqHz(), 200.0, 1e-9);
  EXPECT_NEAR(x.getDistoBandFilterCutoffFreqHz(), 200.0, 1e-9);
  const int orders[] = {1, 1, 2, 2, 4, 4, 8, 8};
  for (int i = 0; i < BandSplitFilter::kNumDesigns; ++i) {
    EXPECT_EQ(idValue(x.designs[i], Dsp::idOrder), orders[i]);
    EXPECT_EQ(x.designs[i]->getKind(), i % 2 ? Dsp::kindHighPass : Dsp::kindLowPass);
  }
  EXPECT_NEAR(x.getSubBandFilterFreqResponse(0.0), 1.0, 1e-12);
  EXPECT_NEAR(x.getDistoBandFilterFreqResponse(0.0), 0.0, 1e-12);
  EXPECT_NEAR(x.getSubBandFilterFreqResponse(0.5), 0.0, 1e-12);
  EXPECT_NEAR(x.getDistoBandFilterFreqResponse(0.5), 1.0, 1e-12);
  EXPECT_EQ(BandSplitFilter::kDefaultSubBandCutOffControlValue, 0.38915574457972946);
  EXPECT_NEAR(UnitFilters::controlToHz(BandSplitFilter::kDefaultSubBandCutOffControlValue), 200.0,
              1e-9);
  EXPECT_NEAR(UnitFilters::controlToHz(BandSplitFilter::k150HzSubBandCutOffControlValue), 150.02,
              0.01);
  EXPECT_NEAR(UnitFilters::controlToHz(BandSplitFilter::k180HzSubBandCutOffControlValue), 180.04,
              0.01);
}

// Every Butterworth slope is 3 dB down at the crossover, in its response
// and as measured through process().
TEST(BandSplitFilter, HalfPowerAtTheCrossover) {
  const double rate = 44100.0;
  for (int slope = 0; slope < 4; ++slope) {
    BandSplitFilter x;
    x.setSampleRate(rate);
    x.setBlockSize(512);
    x.reset();
    x.lowPassSlope = x.highPassSlope = static_cast<eBandSplitSlope>(slope);
    EXPECT_NEAR(x.getSubBandFilterFreqResponse(200.0 / rate), kRoot2, 1e-9) << slope;
    EXPECT_NEAR(x.getDistoBandFilterFreqResponse(200.0 / rate), kRoot2, 1e-9) << slope;
    for (int side = 0; side < 2; ++side) {
      const double g = measure::gainAt(
          [&](double** io, int n) {
            x.process(io, io, n);
            for (int c = 0; c < 2; ++c) std::copy_n(side ? x.highBand(c) : x.lowBand(c), n, io[c]);
          },
          200.0, rate, 32768);
      EXPECT_NEAR(g, kRoot2, 1e-3) << slope << " side " << side;
    }
  }
  // No design for the slope: nothing filtered, unity response, no cutoff.
  BandSplitFilter x;
  x.lowPassSlope = static_cast<eBandSplitSlope>(4);
  EXPECT_EQ(x.getSubBandFilterCutoffFreqHz(), 0.0);
  EXPECT_EQ(x.getSubBandFilterFreqResponse(0.3), 1.0);
  Block low(64, 0.5, 0.25), high(64);
  x.process(low.io, high.io, 64);
  EXPECT_EQ(std::vector<double>(x.lowBand(0), x.lowBand(0) + 64), low.l);
}

TEST(BandSplitFilter, CutoffControls) {
  struct Case {
    double rate, v, hz;
  };
  const Case cases[] = {
      {44100.0, 0.0, 20.0},     // 10 Hz held at 20
      {44100.0, 1.0, 21000.0},  // 22040 Hz held at 21000
      {44100.0, 0.5, 10.0 * std::sqrt(2204.0)},
      {48000.0, 1.0, 21000.0},
      {32000.0, 1.0, 15680.0},  // held below half the rate
      {22050.0, 1.0, 10804.5},
  };
  for (const Case& c : cases) {
    BandSplitFilter x;
    x.setSampleRate(c.rate);
    x.setHighPassCutoff(c.v);
    for (int i = 0; i < BandSplitFilter::kNumDesigns; ++i)
      EXPECT_NEAR(idValue(x.designs[i], Dsp::idFrequency), c.hz, 1e-9 * c.hz) << c.rate << " " << i;
  }
  BandSplitFilter x;
  x.setFilterLink(false);
  x.setHighPassCutoff(1.0);
  EXPECT_NEAR(x.getSubBandFilterCutoffFreqHz(), 200.0, 1e-9);
  EXPECT_EQ(x.getDistoBandFilterCutoffFreqHz(), 21000.0);
  x.setLowPassCutoff(0.0);
  EXPECT_EQ(x.getSubBandFilterCutoffFreqHz(), 20.0);
  EXPECT_EQ(x.getDistoBandFilterCutoffFreqHz(), 21000.0);
  x.setSubBandFilterCutoff(0.9);
  x.setDistoBandFilterCutoff(0.9);
  EXPECT_EQ(x.getSubBandFilterCutoffFreqHz(), 20.0);
  EXPECT_EQ(x.getDistoBandFilterCutoffFreqHz(), 21000.0);
  // A rate change holds the frequencies below half the new rate.
  x.setSampleRate(22050.0);
  EXPECT_EQ(x.getDistoBandFilterCutoffFreqHz(), 10804.5);
}

TEST(BandSplitFilter, ProcessLeavesInputsAndKeepsBuffersWhenOut) {
  BandSplitFilter x;
  Block low(256, 0.5, -0.5), high(256, 0.25, 0.75);
  const Block lowIn = low, highIn = high;
  x.process(low.io, high.io, 256);
  EXPECT_EQ(low.l, lowIn.l);
  EXPECT_EQ(high.r, highIn.r);
  const std::vector<double> kept(x.lowBand(0), x.lowBand(0) + 256);
  x.setBypass(true);
  x.fadeGain = 0.0;
  Block other(256, 0.9, 0.9);
  x.process(other.io, other.io, 256);
  EXPECT_EQ(std::vector<double>(x.lowBand(0), x.lowBand(0) + 256), kept);
  // A block longer than the buffers is not processed either.
  x.setBypass(false);
  Block longer(1025, 0.9, 0.9);
  x.process(longer.io, longer.io, 1025);
  EXPECT_EQ(std::vector<double>(x.lowBand(0), x.lowBand(0) + 256), kept);
}

// A sub-band processor as the effect prepares it.
struct SubBand {
  explicit SubBand(double rate = 44100.0) : chains(), unit(chains.subBand().distortion) {
    unit.init(testProvider());
    unit.setSampleRate(rate);
    unit.setBlockSize(512);
    unit.reset();
    Eq4Band& eq = unit.getEq4Band();
    eq.setBassAmount(0.5);
    eq.setLoMiAmount(0.5);
    eq.setHiMiAmount(0.5);
    eq.setHighAmount(0.5);
  }
  // Untreated sub path: no saturation, equaliser switched out, gains settled.
  void plain() {
    unit.setSubBandSaturation(0.0);
    unit.getEq4Band().setBypass(true);
    unit.getEq4Band().fadeGain = 0.0;
    unit.subSmoother.state = unit.subGain;
    unit.distoSmoother.state = unit.distoGain;
  }
  DistoFxUnit chains;
  SubBandProcessor unit;
};

TEST(SubBandProcessor, Construction) {
  SubBand s;
  EXPECT_EQ(&s.unit.getDistortion(), &s.chains.subBand().distortion);
  EXPECT_EQ(s.unit.subGain, 1.0);
  EXPECT_EQ(s.unit.distoGain, 1.0);
  EXPECT_EQ(s.unit.subSmoother.a, 0.9777);
  EXPECT_EQ(s.unit.distoSmoother.b, 1.0 - 0.9777);
  EXPECT_EQ(s.unit.subSmoother.state, 0.0);
  EXPECT_EQ(s.unit.saturator.amount, 0.5);
  EXPECT_EQ(s.unit.saturator.type, kOutputSaturation);
  EXPECT_EQ(s.unit.saturator.dryWetThreshold, Saturator::kFastDryWetThreshold);
  EXPECT_EQ(s.unit.getBandSplitFilter().sampleRate, 44100.0);
  EXPECT_EQ(s.unit.getEq4Band().sampleRate, 44100.0);
}

TEST(SubBandProcessor, ChannelModes) {
  struct Case {
    uint32_t mode;
    double left, right;
  };
  const Case cases[] = {
      {kStereo, 1.0, 0.0},   {kInverseStereo, 0.0, 1.0}, {kMonoMix, 0.5, 0.5},
      {kMonoLeft, 1.0, 1.0}, {kMonoRight, 0.0, 0.0},     {7, 1.0, 0.0},
  };
  for (const Case& c : cases) {
    SubBand s;
    s.plain();
    s.unit.setChannelMode(static_cast<eChannelMode>(c.mode));
    Block sub(512, 1.0, 0.0), disto(512);
    s.unit.process(sub.io, disto.io, 512);
    EXPECT_DOUBLE_EQ(sub.l[100], c.left) << c.mode;
    EXPECT_DOUBLE_EQ(sub.r[100], c.right) << c.mode;
  }
}

// Tones in both signals: with the disto gain at 0 only the low band of the
// treated sub signal is left; at 1 the disto signal's high band joins it.
TEST(SubBandProcessor, BandSum) {
  const double rate = 44100.0, fSub = 100.0, fDisto = 3000.0;
  for (double distoGain : {0.0, 1.0}) {
    SubBand s(rate);
    s.plain();
    s.unit.setDistoBandGain(distoGain);
    s.unit.distoSmoother.state = distoGain;
    std::vector<double> out;
    for (int k = 0; k < 64; ++k) {
      Block sub(512), disto(512);
      for (int i = 0; i < 512; ++i) {
        const double t = (k * 512 + i) / rate;
        sub.l[i] = sub.r[i] = 0.5 * std::sin(2 * measure::kPi * fSub * t);
        disto.l[i] = disto.r[i] = 0.5 * std::sin(2 * measure::kPi * fDisto * t);
      }
      s.unit.process(sub.io, disto.io, 512);
      if (k >= 32) out.insert(out.end(), disto.l.begin(), disto.l.end());
      ASSERT_EQ(disto.l, disto.r);
    }
    const BandSplitFilter& x = s.unit.getBandSplitFilter();
    EXPECT_NEAR(measure::amplitudeAt(out, fSub, rate) / 0.5,
                x.getSubBandFilterFreqResponse(fSub / rate), 1e-3)
        << distoGain;
    EXPECT_NEAR(measure::amplitudeAt(out, fDisto, rate) / 0.5,
                distoGain * x.getDistoBandFilterFreqResponse(fDisto / rate), 1e-3)
        << distoGain;
  }
}

// Switching the processor out must end on the untreated disto signal
// without a jump, and switching it back in must start from there. A DC
// disto signal with a silent sub signal makes the band sum 0 (the
// high-pass removes DC), so any jump between sum and input would show.
TEST(SubBandProcessor, BypassRampRunsBetweenUntreatedAndTreated) {
  SubBand s;
  s.plain();
  auto run = [&](int blocks, std::vector<double>& out) {
    for (int k = 0; k < blocks; ++k) {
      Block sub(512), disto(512, 0.5, 0.5);
      s.unit.process(sub.io, disto.io, 512);
      out.insert(out.end(), disto.l.begin(), disto.l.end());
    }
  };
  std::vector<double> settle, out;
  run(200, settle);  // the high-pass forgets the step at the start
  ASSERT_LT(std::fabs(settle.back()), 1e-6);
  s.unit.setBypass(true);
  run(4, out);
  s.unit.setBypass(false);
  run(4, out);
  double worst = 0.0;
  worst = std::fabs(out[0] - settle.back());
  for (size_t i = 1; i < out.size(); ++i) worst = std::max(worst, std::fabs(out[i] - out[i - 1]));
  // A linear ramp of 0.5 over 500 frames moves by 0.001 a frame.
  EXPECT_LT(worst, 0.0011);
  // Out: the untreated signal itself.
  for (int i = 600; i < 2048; ++i) ASSERT_EQ(out[i], 0.5) << i;
  // In again: back at the band sum, which the held high-pass starts from
  // the step it now sees.
  EXPECT_NEAR(out[2048 + 250], 0.5 * (1.0 - 0.002 * 251), 0.05);
  EXPECT_EQ(s.unit.fadeGain, 1.0);
}

TEST(SubBandProcessor, FadedOutLeavesBothSignalsAlone) {
  SubBand s;
  s.unit.setBypass(true);
  s.unit.fadeGain = 0.0;
  Block sub(512, 0.3, 0.2), disto(512, -0.1, 0.4);
  s.unit.process(sub.io, disto.io, 512);
  EXPECT_EQ(sub.l, std::vector<double>(512, 0.3));
  EXPECT_EQ(disto.r, std::vector<double>(512, 0.4));
  EXPECT_EQ(s.unit.subSmoother.state, 0.0);
}

TEST(SubBandProcessor, LongBlockPassesUnchanged) {
  SubBand s;
  Block sub(1025, 0.3, 0.2), disto(1025, -0.1, 0.4);
  s.unit.process(sub.io, disto.io, 1025);
  EXPECT_EQ(sub.l, std::vector<double>(1025, 0.3));
  EXPECT_EQ(disto.l, std::vector<double>(1025, -0.1));
  s.unit.setBlockSize(1025);
  s.unit.process(sub.io, disto.io, 1025);
  EXPECT_NE(disto.l, std::vector<double>(1025, -0.1));
}

TEST(SubBandProcessor, ResetKeepsSmoothersAndSaturator) {
  SubBand s;
  Block sub(512, 0.3, 0.2), disto(512, -0.1, 0.4);
  s.unit.process(sub.io, disto.io, 512);
  const double subGain = s.unit.subSmoother.state, distoGain = s.unit.distoSmoother.state;
  const double saturation = s.unit.saturator.amountSmoother.state;
  ASSERT_GT(subGain, 0.0);
  ASSERT_GT(saturation, 0.0);
  s.unit.reset();
  EXPECT_EQ(s.unit.subSmoother.state, subGain);
  EXPECT_EQ(s.unit.distoSmoother.state, distoGain);
  EXPECT_EQ(s.unit.saturator.amountSmoother.state, saturation);
}

}  // namespace
