// The parameter model: descriptors, mappings, text forms and the Filter base operations.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "DspLib/Dsp.h"

namespace {

using Dsp::ParamInfo;

TEST(ParamText, FixedForms) {
  const ParamInfo gain = ParamInfo::defaultGainParam();
  EXPECT_EQ(gain.Real_toString(1), "1.000");
  EXPECT_EQ(gain.Db_toString(-6), "-6.00 dB");
  EXPECT_EQ(gain.Db_toString(0.5), "0.500 dB");
  EXPECT_EQ(gain.Db_toString(-24), "-24.0 dB");
  EXPECT_EQ(gain.Db_toString(-0.999), "-0.999 dB");
  EXPECT_EQ(gain.Db_toString(10), "10.0 dB");
  EXPECT_EQ(gain.Hz_toString(2000.9), "2000 Hz");
  EXPECT_EQ(gain.Int_toString(-2.7), "-2");
  EXPECT_EQ(gain.Int_toString(7), "7");
  // Each descriptor's own text form.
  EXPECT_EQ(gain.toString(-6), "-6.00 dB");
  EXPECT_EQ(ParamInfo::defaultCutoffFrequencyParam().toString(469.47), "469 Hz");
  EXPECT_EQ(ParamInfo::defaultQParam().toString(0.7071), "0.707");
  EXPECT_EQ(ParamInfo::orderParam(4).toString(3.9), "3");
}

TEST(ParamText, ConversionOutsideTheIntRangeIsDefined) {
  const ParamInfo gain = ParamInfo::defaultGainParam();
  EXPECT_EQ(gain.Int_toString(1e300), "2147483647");
  EXPECT_EQ(gain.Int_toString(-1e300), "-2147483648");
  EXPECT_EQ(gain.Int_toString(NAN), "0");
}

struct Descriptor {
  ParamInfo info;
  int id;
  const char* label;
  const char* name;
  double min, max, def;
};

TEST(ParamInfoTable, StandardDescriptors) {
  const double pi = 3.141592653589793;
  const std::vector<Descriptor> table = {
      {ParamInfo::defaultSampleRateParam(), 0, "Fs", "Sample Rate", 11025, 192000, 44100},
      {ParamInfo::defaultCutoffFrequencyParam(), 1, "Fc", "Cutoff Frequency", 10, 22040, 2000},
      {ParamInfo::defaultCenterFrequencyParam(), 1, "Fc", "Center Frequency", 10, 22040, 2000},
      {ParamInfo::defaultQParam(), 2, "Q", "Resonance", -4, 4, 1},
      {ParamInfo::defaultBandwidthParam(), 3, "BW", "Bandwidth (Octaves)", -4, 4, 1},
      {ParamInfo::defaultBandwidthHzParam(), 4, "BW", "Bandwidth (Hz)", 10, 22040, 1720},
      {ParamInfo::defaultGainParam(), 5, "Gain", "Gain", -24, 24, -6},
      {ParamInfo::defaultSlopeParam(), 6, "Slope", "Slope", -2, 2, 1},
      {ParamInfo::orderParam(8), 7, "Order", "Order", 1, 8, 2},
      {ParamInfo::defaultRippleDbParam(), 8, "Ripple", "Ripple dB", 0.001, 12, 0.01},
      {ParamInfo::defaultStopDbParam(), 9, "Stop", "Stopband dB", 3, 60, 48},
      {ParamInfo::defaultRolloffParam(), 10, "W", "Transition Width", -16, 4, 0},
      {ParamInfo::defaultPoleRhoParam(), 11, "Pd", "Pole Distance", 0, 1, 0.5},
      {ParamInfo::defaultPoleThetaParam(), 12, "Pa", "Pole Angle", 0, pi, pi / 2},
      {ParamInfo::defaultZeroRhoParam(), 13, "Pd", "Zero Distance", 0, 1, 0.5},
      {ParamInfo::defaultZeroThetaParam(), 14, "Pa", "Zero Angle", 0, pi, pi / 2},
      {ParamInfo::defaultPoleRealParam(), 15, "A1", "Pole Real", -1, 1, 0.25},
      {ParamInfo::defaultZeroRealParam(), 16, "B1", "Zero Real", -1, 1, -0.25},
  };
  for (const Descriptor& d : table) {
    SCOPED_TRACE(d.name);
    EXPECT_EQ(d.info.getId(), d.id);
    EXPECT_STREQ(d.info.getLabel(), d.label);
    EXPECT_STREQ(d.info.getName(), d.name);
    EXPECT_EQ(d.info.getMin(), d.min);
    EXPECT_EQ(d.info.getMax(), d.max);
    EXPECT_EQ(d.info.getDefaultValue(), d.def);
    // Every mapping inverts the other half (Int only on whole numbers).
    const double native = d.info.toNativeValue(0.375);
    EXPECT_NEAR(d.info.toNativeValue(d.info.toControlValue(native)), native,
                1e-12 * std::fabs(native) + 1e-12);
  }
}

TEST(ParamMapping, FrequencyIsGeometric) {
  const ParamInfo fc = ParamInfo::defaultCutoffFrequencyParam();
  EXPECT_NEAR(fc.toNativeValue(0), 10, 1e-9);
  EXPECT_NEAR(fc.toNativeValue(1), 22040, 1e-8);
  EXPECT_NEAR(fc.toNativeValue(0.5), 469.46778377487, 1e-8);  // sqrt(10 * 22040)
  EXPECT_NEAR(fc.toControlValue(469.46778377487), 0.5, 1e-12);
  // 10 x 2204^v, the curve the filter unit's cutoff follows.
  EXPECT_NEAR(fc.toNativeValue(0.38915574457972946), 200, 1e-9);
}

TEST(ParamMapping, Pow2AndClamp) {
  const ParamInfo q = ParamInfo::defaultQParam();
  EXPECT_DOUBLE_EQ(q.toNativeValue(0.5), 1.0);
  EXPECT_DOUBLE_EQ(q.toNativeValue(1), 16.0);
  EXPECT_DOUBLE_EQ(q.toNativeValue(0), 0.0625);
  EXPECT_DOUBLE_EQ(q.toControlValue(2.0), 0.625);
  // Clamped in native units, not to the exponents -4..4.
  EXPECT_DOUBLE_EQ(q.clamp(100), 16.0);
  EXPECT_DOUBLE_EQ(q.clamp(-3), 0.0625);
  EXPECT_DOUBLE_EQ(q.clamp(3), 3.0);
  EXPECT_TRUE(std::isnan(q.clamp(NAN)));
  EXPECT_DOUBLE_EQ(ParamInfo::defaultSlopeParam().clamp(10), 4.0);
}

TEST(ParamMapping, IntRoundsToNearest) {
  const ParamInfo order = ParamInfo::orderParam(4);
  EXPECT_EQ(order.toNativeValue(0.4), 2);  // floor(2.2 + 0.5)
  EXPECT_EQ(order.toNativeValue(0.5), 3);  // floor(2.5 + 0.5)
  EXPECT_EQ(order.toNativeValue(1), 4);
  EXPECT_DOUBLE_EQ(order.toControlValue(2), 1.0 / 3);
  EXPECT_DOUBLE_EQ(ParamInfo::defaultGainParam().toNativeValue(0.5), 0);
  EXPECT_DOUBLE_EQ(ParamInfo::defaultGainParam().toNativeValue(0.75), 12);
}

TEST(ParamInfoFailure, DefaultConstructionThrows) {
  try {
    ParamInfo p;
    FAIL() << "constructed";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "invalid usage of ParamInfo");
  }
}

// A filter whose descriptors are chosen per test; counts how often a block is applied.
class FakeFilter : public Dsp::Filter {
public:
  explicit FakeFilter(std::vector<ParamInfo> infos) : m_infos(infos) {}

  Dsp::FilterKind getKind() const override { return Dsp::kindLowPass; }
  std::string getName() const override { return "fake"; }
  int getNumParams() const override { return static_cast<int>(m_infos.size()); }
  ParamInfo getParamInfo(int index) const override {
    if (index < 0 || index >= getNumParams()) return ParamInfo();
    return m_infos[index];
  }
  std::vector<Dsp::PoleZeroPair> getPoleZeros() const override { return {}; }
  Dsp::complex_t response(double) const override { return 1; }
  int getNumChannels() override { return 2; }
  void reset() override {}
  void process(int, float* const*) override {}
  void process(int, double* const*) override {}
  void doSetTransitionSamples(int) override {}

  int applied = 0;
  Dsp::Params lastApplied;

protected:
  void doSetParams(const Dsp::Params& p) override {
    ++applied;
    lastApplied = p;
  }

private:
  std::vector<ParamInfo> m_infos;
};

FakeFilter threeParams() {
  return FakeFilter({ParamInfo::defaultSampleRateParam(), ParamInfo::defaultCutoffFrequencyParam(),
                     ParamInfo::defaultQParam()});
}

TEST(FilterParams, FindParamIdTakesTheHighestPosition) {
  FakeFilter f = threeParams();
  EXPECT_EQ(f.findParamId(Dsp::idQ), 2);
  EXPECT_EQ(f.findParamId(Dsp::idSampleRate), 0);
  EXPECT_EQ(f.findParamId(Dsp::idGain), -1);
  FakeFilter twice({ParamInfo::defaultCutoffFrequencyParam(), ParamInfo::defaultQParam(),
                    ParamInfo::defaultCenterFrequencyParam()});
  EXPECT_EQ(twice.findParamId(Dsp::idFrequency), 2);
}

TEST(FilterParams, DefaultsFillOnlyPositionsInUse) {
  FakeFilter f = threeParams();
  const Dsp::Params p = f.getDefaultParams();
  EXPECT_EQ(p[0], 44100);
  EXPECT_EQ(p[1], 2000);
  EXPECT_EQ(p[2], 1);
  for (int i = 3; i < 8; ++i) EXPECT_EQ(p[i], 0);
}

TEST(FilterParams, SetParamByIdStoresUnconverted) {
  FakeFilter f = threeParams();
  f.setParams(f.getDefaultParams());
  EXPECT_EQ(f.applied, 1);
  f.setParamById(Dsp::idQ, 40);  // outside the descriptor's range: stored as it is
  EXPECT_EQ(f.applied, 2);
  EXPECT_EQ(f.getParams()[2], 40);
  EXPECT_EQ(f.lastApplied[2], 40);
  EXPECT_EQ(f.lastApplied[1], 2000);

  f.setParamById(Dsp::idGain, -3);  // no position has it
  EXPECT_EQ(f.applied, 2);
  EXPECT_EQ(f.getParams()[2], 40);
}

TEST(FilterParams, GetParamInfoPastTheEndThrows) {
  FakeFilter f = threeParams();
  EXPECT_THROW(f.getParamInfo(f.getNumParams()), std::logic_error);
  EXPECT_THROW(f.getParamInfo(-1), std::logic_error);
}

TEST(FilterParams, CopyParamsFromMatchesByIdAndClamps) {
  FakeFilter source({ParamInfo::defaultSampleRateParam(), ParamInfo::defaultQParam(),
                     ParamInfo::defaultCenterFrequencyParam(), ParamInfo::defaultGainParam()});
  Dsp::Params p;
  p[0] = 48000;
  p[1] = 100;  // beyond the Q range
  p[2] = 300;
  p[3] = 5;
  source.setParams(p);

  FakeFilter dest = threeParams();  // sample rate, cutoff, Q
  dest.copyParamsFrom(&source);
  EXPECT_EQ(dest.applied, 1);
  EXPECT_EQ(dest.getParams()[0], 48000);
  EXPECT_EQ(dest.getParams()[1], 300);  // the center frequency shares the cutoff's id
  EXPECT_EQ(dest.getParams()[2], 16);   // clamped to the own descriptor
  EXPECT_EQ(dest.getParams()[3], 0);

  FakeFilter alone = threeParams();
  alone.copyParamsFrom(nullptr);
  EXPECT_EQ(alone.applied, 1);
  EXPECT_EQ(alone.getParams()[1], 2000);
}

}  // namespace
