#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "DumpExpand.h"
#include "HqFilterUnit.h"
#include "UnitFilters.h"
#include "block.h"
#include "measure.h"

using namespace Rawnfield;

namespace {

double frequency(const Dsp::Filter* f) {
  return UnitFilters::frequencyOf(f);
}

// A sweep as the effect prepares it on a stream start.
struct Prepared {
  explicit Prepared(double rate) {
    sweep.setSampleRate(rate);
    sweep.setBlockSize(512);
    sweep.reset();
  }
  DumpExpand sweep;
};

TEST(DumpExpand, Construction) {
  DumpExpand d;
  EXPECT_EQ(d.position, 0.5);
  EXPECT_EQ(frequency(d.lowPass), 21000.0);
  EXPECT_EQ(frequency(d.highPass), 20.0);
  for (const Dsp::Filter* f : {d.lowPass, d.highPass}) {
    EXPECT_EQ(UnitFilters::entry(*f, f->getParams(), Dsp::idOrder), 2.0);
    EXPECT_EQ(UnitFilters::entry(*f, f->getParams(), Dsp::idRippleDb), 0.01);
    EXPECT_EQ(UnitFilters::entry(*f, f->getParams(), Dsp::idSampleRate), 44100.0);
  }
  EXPECT_EQ(d.lowPass->getKind(), Dsp::kindLowPass);
  EXPECT_EQ(d.highPass->getKind(), Dsp::kindHighPass);
}

TEST(DumpExpand, SweepFrequencies) {
  const double at469 = 10.0 * std::sqrt(2204.0);  // 469.47 Hz
  struct Case {
    double rate, x, low, high, reported;
  };
  const Case cases[] = {
      {44100.0, 0.0, 20.0, 20.0, 20.0},
      {44100.0, 0.25, at469, 20.0, at469},
      {44100.0, 0.5, 21000.0, 20.0, 20.0},
      {44100.0, 0.75, 21000.0, at469, at469},
      {44100.0, 1.0, 21000.0, 21000.0, 21000.0},
      {44100.0, -3.0, 20.0, 20.0, 20.0},
      {44100.0, 7.0, 21000.0, 21000.0, 21000.0},
      {44100.0, 0.49, 10.0 * std::pow(2204.0, 0.98), 20.0, 10.0 * std::pow(2204.0, 0.98)},
      // Above 44100 Hz the range is not clamped.
      {48000.0, 0.0, 10.0, 10.0, 10.0},
      {48000.0, 1.0, 22040.0, 22040.0, 22040.0},
      {96000.0, 0.25, at469, 10.0, at469},
      // Below 42 kHz every frequency stays below half the rate.
      {32000.0, 0.5, 15680.0, 20.0, 20.0},
      {32000.0, 1.0, 15680.0, 15680.0, 15680.0},
      {22050.0, 0.49, 10804.5, 20.0, 10804.5},
      {22050.0, 0.25, at469, 20.0, at469},
  };
  for (const Case& c : cases) {
    Prepared p(c.rate);
    p.sweep.setDumpExpand(c.x);
    EXPECT_NEAR(frequency(p.sweep.lowPass), c.low, 1e-9 * c.low) << c.rate << " " << c.x;
    EXPECT_NEAR(frequency(p.sweep.highPass), c.high, 1e-9 * c.high) << c.rate << " " << c.x;
    EXPECT_NEAR(p.sweep.getDumpExpandFreq(), c.reported, 1e-9 * c.reported) << c.rate << " " << c.x;
  }
  EXPECT_NEAR(at469, 469.47, 0.005);
}

// The stream starts at a low rate with the sweep at its default position:
// the open band passes from the first block on.
TEST(DumpExpand, DefaultPositionWorksFromTheFirstBlockAtLowRates) {
  for (double rate : {22050.0, 32000.0}) {
    DumpExpand d;
    d.setSampleRate(rate);
    d.setBlockSize(512);
    d.reset();
    EXPECT_EQ(frequency(d.lowPass), 0.49 * rate);
    Block b(512);
    std::vector<double> in(512);
    for (int i = 0; i < 512; ++i)
      in[i] = b.l[i] = b.r[i] = 0.5 * std::sin(2 * measure::kPi * 1000.0 * i / rate);
    d.process(b.io, 512);
    for (int i = 0; i < 512; ++i) ASSERT_TRUE(std::isfinite(b.l[i]) && std::isfinite(b.r[i]));
    const std::vector<double> tail(b.l.begin() + 256, b.l.end());
    EXPECT_NEAR(measure::amplitudeAt(tail, 1000.0, rate), 0.5, 0.01) << rate;
    const double g =
        measure::gainAt([&](double** io, int n) { d.process(io, n); }, 1000.0, rate, 4096);
    // Each side's pass band lies within its 0.01 dB ripple.
    EXPECT_NEAR(g, 1.0, 0.003) << rate;
  }
}

TEST(DumpExpand, RateChangesFollowThePosition) {
  DumpExpand d;
  d.setSampleRate(32000.0);
  EXPECT_EQ(frequency(d.lowPass), 15680.0);
  d.setSampleRate(44100.0);
  EXPECT_EQ(frequency(d.lowPass), 21000.0);
  d.setSampleRate(48000.0);
  d.setDumpExpand(1.0);
  EXPECT_EQ(frequency(d.highPass), 22040.0);
  d.setSampleRate(44100.0);
  EXPECT_EQ(frequency(d.highPass), 21000.0);
  EXPECT_EQ(UnitFilters::entry(*d.highPass, d.highPassParams, Dsp::idSampleRate), 44100.0);
}

// Each side's frequency is its corner, where a Chebyshev I response has
// fallen by the ripple (0.01 dB); the measured gain is both sides in series.
TEST(DumpExpand, MeasuredCorners) {
  const double rate = 44100.0, corner = 10.0 * std::sqrt(2204.0);
  const double cornerGain = std::pow(10.0, -0.01 / 20.0);
  for (double x : {0.25, 0.75}) {
    Prepared p(rate);
    p.sweep.setDumpExpand(x);
    EXPECT_NEAR(p.sweep.getDumpExpandFreqResponse(corner / rate), cornerGain, 1e-6) << x;
    auto run = [&](double** io, int n) { p.sweep.process(io, n); };
    // Three octaves into the stop band.
    const double stop = x < 0.5 ? corner * 8.0 : corner / 8.0;
    for (double f : {corner, stop}) {
      const double want = UnitFilters::magnitude(*p.sweep.lowPass, f / rate) *
                          UnitFilters::magnitude(*p.sweep.highPass, f / rate);
      EXPECT_NEAR(measure::gainAt(run, f, rate, 32768), want, 1e-3) << x << " " << f;
    }
    EXPECT_LT(measure::gainAt(run, stop, rate, 32768), 0.2) << x;
  }
}

TEST(DumpExpand, GuiCurve) {
  DumpExpand d;
  std::vector<double> data(64, -1.0);
  d.setDumpExpand(0.6);
  d.updateGUIData(data.data(), 64);
  EXPECT_EQ(data[63], 1.0);
  for (int i = 0; i < 63; ++i) {
    const double r = i / 64.0;
    EXPECT_EQ(data[i], d.getDumpExpandFreqResponse(r * r * 0.5));
  }
  d.setDumpExpand(0.5);
  d.updateGUIData(data.data(), 64);
  EXPECT_EQ(data[63], d.getDumpExpandFreqResponse(63.0 * 63.0 / 4096.0 * 0.5));
  EXPECT_NE(data[63], 1.0);
  std::vector<double> untouched(4, -1.0);
  d.updateGUIData(untouched.data(), 0);
  d.updateGUIData(untouched.data(), -2);
  EXPECT_EQ(untouched, std::vector<double>(4, -1.0));
}

TEST(DumpExpand, BypassRampAndLongBlocks) {
  Prepared p(44100.0), reference(44100.0);
  for (Prepared* q : {&p, &reference}) q->sweep.setDumpExpand(0.2);
  p.sweep.setBypass(true);
  p.sweep.fadeGain = 0.0;
  p.sweep.setBypass(false);
  measure::Noise noise;
  Block b(512);
  for (int i = 0; i < 512; ++i) b.l[i] = b.r[i] = noise.next();
  Block ref = b;
  const Block in = b;
  p.sweep.process(b.io, 512);
  reference.sweep.process(ref.io, 512);
  for (int i = 0; i < 512; ++i) {
    const double g = std::min(1.0, 0.002 * (i + 1));
    ASSERT_NEAR(b.r[i], (1.0 - g) * in.r[i] + g * ref.r[i], 1e-12) << i;
  }
  Block longer(1025, 0.2, 0.3);
  p.sweep.process(longer.io, 1025);
  EXPECT_EQ(longer.l, std::vector<double>(1025, 0.2));
}

TEST(HqFilterUnit, InactiveStage) {
  HqFilterUnit hq;
  EXPECT_EQ(hq.getDescription(), "High-Quality Output Filter: off");
  for (const Dsp::Filter* f : {hq.lowPass, hq.highPass}) {
    EXPECT_EQ(UnitFilters::entry(*f, f->getParams(), Dsp::idOrder), 4.0);
    EXPECT_EQ(frequency(f), 2000.0);
  }
  EXPECT_EQ(hq.lowPass->getKind(), Dsp::kindLowPass);
  EXPECT_EQ(hq.highPass->getKind(), Dsp::kindHighPass);
  hq.setMode(kHqFilterOff);
  hq.setMode(1.0);
  hq.setSampleRate(48000.0);
  hq.setBlockSize(2048);
  hq.reset();
  EXPECT_EQ(UnitFilters::entry(*hq.lowPass, hq.lowPass->getParams(), Dsp::idSampleRate), 48000.0);
  Block b(2048);
  measure::Noise noise;
  for (int i = 0; i < 2048; ++i) b.l[i] = b.r[i] = noise.next();
  const Block in = b;
  hq.process(b.io, 2048);
  EXPECT_EQ(b.l, in.l);
  EXPECT_EQ(b.r, in.r);
  EXPECT_EQ(hq.getDescription(), "High-Quality Output Filter: off");
}

}  // namespace
