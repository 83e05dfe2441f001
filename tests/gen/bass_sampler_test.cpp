// The bass shaper and the sample player.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "HardcoreBass.h"
#include "Sampler.h"
#include "block.h"
#include "reference.h"

using namespace Rawnfield;

namespace {

double entry(const Dsp::Filter& f, const Dsp::Params& p, int id) {
  return p[f.findParamId(id)];
}

// --- bass shaper ----------------------------------------------------------

TEST(HardcoreBass, BlendsMatchScipyButterworthFilters) {
  const std::vector<double> x = gentest::input();
  for (const gentest::Record& r : gentest::records("hb_run")) {
    HardcoreBass hb;
    hb.hpAmount = r.params[0];
    hb.bassAmount = r.params[1];
    Block b(x, x);
    hb.process(b.io, b.size());
    const std::string what = "h " + std::to_string(r.params[0]) + " b " + std::to_string(r.params[1]);
    gentest::expectSequence(b.l, r.values, 1e-6, what);
    gentest::expectSequence(b.r, r.values, 1e-6, what);
  }
}

// Driven, the band-passed copy goes through atan(x) / (pi/4) x
// max(0.1287..., 4.44 drive) x 7.77, held within [-1, 1]; the floor makes
// the slope at 0 exactly 1 x 4/pi.
TEST(HardcoreBass, DriveShapesTheBandPassedCopy) {
  const std::vector<double> x = gentest::input();
  for (double drive : {0.01, 0.5}) {
    HardcoreBass plain, driven;
    plain.bassAmount = driven.bassAmount = 0.5;
    driven.drive = drive;
    Block a(x, x), b(x, x);
    plain.process(a.io, a.size());
    driven.process(b.io, b.size());
    const double gain = (drive == 0.01 ? 0.1287001287001287 : 4.44 * drive) * 7.77;
    for (size_t i = 0; i < x.size(); ++i) {
      const double y = std::atan(plain.bpL[i]) / (gentest::kPi / 4.0) * gain;
      ASSERT_DOUBLE_EQ(driven.bpL[i], y < -1.0 ? -1.0 : (y > 1.0 ? 1.0 : y)) << i;
      ASSERT_DOUBLE_EQ(b.l[i], x[i] + driven.bpL[i] * 0.5) << i;
    }
  }
  EXPECT_NEAR(0.1287001287001287 * 7.77, 1.0, 1e-15);
}

TEST(HardcoreBass, FrequenciesAndLevels) {
  HardcoreBass hb;
  EXPECT_DOUBLE_EQ(entry(*hb.highPass, hb.highPass->getParams(), Dsp::idFrequency), 50.0);
  EXPECT_DOUBLE_EQ(entry(*hb.bandPass, hb.bandPass->getParams(), Dsp::idFrequency), 150.0);
  EXPECT_DOUBLE_EQ(entry(*hb.bandPass, hb.bandPass->getParams(), Dsp::idBandwidthHz), 200.0);
  EXPECT_DOUBLE_EQ(entry(*hb.bandPass, hb.bandPass->getParams(), Dsp::idOrder), 2.0);
  hb.setBassHPFrequency(1.0);
  EXPECT_DOUBLE_EQ(hb.cutoffHz, 80.0);
  EXPECT_DOUBLE_EQ(entry(*hb.highPass, hb.highPass->getParams(), Dsp::idFrequency), 80.0);
  hb.setBassCenterFrequency(0.0);
  EXPECT_DOUBLE_EQ(hb.centerHz, 100.0);
  EXPECT_DOUBLE_EQ(entry(*hb.bandPass, hb.bandPass->getParams(), Dsp::idFrequency), 100.0);
  hb.setSampleRate(48000.0);
  EXPECT_DOUBLE_EQ(hb.highPass->getParams()[0], 48000.0);
  EXPECT_DOUBLE_EQ(hb.bandPass->getParams()[0], 48000.0);
  EXPECT_EQ(hb.getBassAmountdB(), -INFINITY);
  hb.bassAmount = 0.5;
  EXPECT_NEAR(hb.getBassAmountdB(), -6.0206, 1e-4);
  hb.hpAmount = 0.5;
  EXPECT_NEAR(hb.getOldBassAmountDb(), -6.0206, 1e-4);
}

TEST(HardcoreBass, BlocksBeyondTheBuffersAndFadedOutBlocksAreLeft) {
  std::vector<double> x(2000);
  for (size_t i = 0; i < x.size(); ++i) x[i] = std::sin(0.01 * i);
  HardcoreBass hb;
  hb.hpAmount = 0.8;
  hb.bassAmount = 0.8;
  hb.setBlockSize(512);  // never shrinks below the 1024 it started with
  EXPECT_EQ(hb.hpL.size(), 1024u);
  Block big(x, x);
  hb.process(big.io, big.size());
  EXPECT_EQ(big.l, x);
  hb.setBlockSize(2000);
  hb.setBypass(true);
  Block ramp(std::vector<double>(x.begin(), x.begin() + 500), std::vector<double>(x.begin(), x.begin() + 500));
  hb.process(ramp.io, ramp.size());
  EXPECT_EQ(hb.fadeGain, 0.0);
  Block after(x, x);
  hb.process(after.io, after.size());
  EXPECT_EQ(after.l, x);
}

// --- sample player -----------------------------------------------------------

TEST(Sampler, ReadsWithLinearInterpolation) {
  Sampler s;
  const double d[4] = {0.0, 1.0, -2.0, 4.0};
  s.setData(d, 4, 4.0);
  EXPECT_DOUBLE_EQ(s.duration, 1.0);
  const struct {
    double t, want;
  } cases[] = {{0.0, 0.0}, {0.5, -2.0}, {0.625, 1.0}, {0.125, 0.5}, {0.9, 4.0},
               {1.0, 0.0}, {-0.01, 0.0}, {std::nan(""), 0.0}, {0.99999999, 4.0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(s.getSample(c.t), c.want) << c.t;
  s.setSampleRate(96000.0);
  EXPECT_DOUBLE_EQ(s.sampleRate, 96000.0);
  EXPECT_DOUBLE_EQ(s.dataRate, 4.0);
}

// A shorter second sample reuses the array; its last value interpolates
// with itself, not with what the longer one left behind.
TEST(Sampler, AShorterSampleReadsOnlyItsOwnValues) {
  Sampler s;
  const double longer[8] = {1, 1, 1, 1, 100, 100, 100, 100};
  s.setData(longer, 8, 8.0);
  const double shorter[4] = {0.0, 0.5, 1.0, 2.0};
  s.setData(shorter, 4, 8.0);
  EXPECT_EQ(s.allocated, 8);
  EXPECT_EQ(s.count, 4);
  EXPECT_DOUBLE_EQ(s.duration, 0.5);
  EXPECT_DOUBLE_EQ(s.getSample(0.4375), 2.0);  // halfway past the last value
  EXPECT_EQ(s.getSample(0.5), 0.0);
  // Refused calls keep the data.
  s.setData(shorter, 4, 0.0);
  s.setData(nullptr, 3, 8.0);
  s.setData(shorter, -1, 8.0);
  EXPECT_EQ(s.count, 4);
  EXPECT_DOUBLE_EQ(s.getSample(0.25), 1.0);
  s.setData(nullptr, 0, 8.0);
  EXPECT_EQ(s.getSample(0.0), 0.0);
}

TEST(SampleObject, HoldsDataWithoutTheUnitBase) {
  SampleObject o;
  std::vector<double> v(300, 0.25);
  o.setData(v.data(), 300, 100.0);
  EXPECT_DOUBLE_EQ(o.duration, 3.0);
  EXPECT_DOUBLE_EQ(o.getSample(2.995), 0.25);
  v.resize(1000, 0.5);
  o.setData(v.data(), 1000, 100.0);
  EXPECT_EQ(o.allocated, 1000);
  EXPECT_DOUBLE_EQ(o.getSample(9.0), 0.5);
}

}  // namespace
