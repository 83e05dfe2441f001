// Parameter dispatch: each parameter reaches its unit (on the chains it
// names), the live program record and the editor's value texts.
#include <cmath>
#include <functional>

#include "effect_fixture.h"

namespace {

namespace Tags = Rawnfield::Harshbloom;
using H = Harshbloom;

const Rawnfield::DistortionFx& chain(const Harshbloom& p, int i) {
  return p.getDistoFx().chains[i];
}

double recordValue(const Harshbloom& plug, int index) {
  Rawnfield::HarshbloomProgram program;
  program.setProgram(plug.getProgram());
  return program.getParameterValue(static_cast<Tags::eParameterTags>(index));
}

struct Case {
  int index;
  double value;
  std::function<void(const Harshbloom&)> check;
};

// Every chain carries the same setting.
template <class F>
void allChains(const Harshbloom& p, F&& f) {
  for (int c = 0; c < 3; ++c) {
    SCOPED_TRACE(c);
    f(chain(p, c));
  }
}

const std::vector<Case>& unitCases() {
  static const std::vector<Case> cases = {
      {Tags::kInputVolume, 0.3, [](const H& p) { EXPECT_EQ(p.getInputProcessor().volume, 0.3); }},
      {Tags::kInputDCOffset, 0.8, [](const H& p) { EXPECT_EQ(p.getInputProcessor().offset, 0.8); }},
      {Tags::kInputSaturation, 0.6,
       [](const H& p) { EXPECT_EQ(p.getInputProcessor().inputSaturator.amount, 0.6); }},
      {Tags::kQuantization, 0.5,
       [](const H& p) {
         allChains(p, [](auto& c) { EXPECT_EQ(c.bitCrasher.bits, 1.0 + 63 * 0.25); });
       }},
      {Tags::kSampleRate, 0.5,
       [](const H& p) {
         allChains(p, [&p](auto& c) {
           EXPECT_EQ(c.smpRateConverter.getConvertedSampleRate(),
                     chain(p, 0).smpRateConverter.getConvertedSampleRate());
           EXPECT_LT(c.smpRateConverter.getConvertedSampleRate(), 44100);
         });
       }},
      {Tags::kGate, 0.5,
       [](const H& p) { allChains(p, [](auto& c) { EXPECT_EQ(c.noiseGate.setting, 0.5); }); }},
      {Tags::kDistortionOnOff, 0.0,
       [](const H& p) {
         allChains(p, [](auto& c) {
           EXPECT_TRUE(c.bitCrasher.off);
           EXPECT_TRUE(c.distortion.off);
         });
       }},
      {Tags::kDistortion, 0.7,
       [](const H& p) {
         EXPECT_EQ(chain(p, 0).distortion.getAmount(), 0.7);
         EXPECT_EQ(chain(p, 1).distortion.getAmount(), 0.7);
         EXPECT_EQ(chain(p, 2).distortion.getAmount(), 0.0);  // the sub band keeps its own
       }},
      {Tags::kDistortionType, 20.0 / 42.0,
       [](const H& p) {
         allChains(p, [](auto& c) { EXPECT_EQ(c.distortion.getType(), 20u); });
         EXPECT_EQ(p.getDistortionType(), Rawnfield::Types::kHardcoreFuzz1);
       }},
      {Tags::kDistortionLoudness, 0.0,
       [](const H& p) {
         allChains(p, [](auto& c) { EXPECT_EQ(c.distortion.getDistoMode(), 0u); });
       }},
      {Tags::kDistortionInterpMode, 0.0,
       [](const H& p) {
         allChains(p, [](auto& c) {
           EXPECT_EQ(c.distortion.getInterpolationName(), "[no interpolation]");
         });
         EXPECT_EQ(p.getValueText(H::kInterpolationText), "[no interpolation]");
       }},
      {Tags::kDistortionPosNegBoth, 1.0,
       [](const H& p) {
         allChains(p, [&p](auto& c) {
           EXPECT_EQ(c.distortion.getPolarity(), chain(p, 0).distortion.getPolarity());
         });
         EXPECT_NE(chain(p, 0).distortion.getPolarity(), 0u);
       }},
      {Tags::kDynShaper, 0.4,
       [](const H& p) {
         allChains(p, [&p](auto& c) {
           EXPECT_EQ(c.dynShaper.getAmount(), chain(p, 0).dynShaper.getAmount());
         });
         EXPECT_GT(chain(p, 0).dynShaper.getAmount(), 0.0);
         EXPECT_EQ(p.getCurveView(), H::kDynShaperView);
       }},
      {Tags::kDynShaperInvert, 1.0,
       [](const H& p) { allChains(p, [](auto& c) { EXPECT_TRUE(c.dynShaper.getInvert()); }); }},
      {Tags::kDynShaperType, 1.0,
       [](const H& p) {
         allChains(p, [](auto& c) { EXPECT_EQ(c.dynShaper.getType(), 2u); });
         EXPECT_EQ(p.getValueText(H::kShaperTypeText), chain(p, 0).dynShaper.getShaperText());
       }},
      {Tags::kDynShaperMode, 1.0,
       [](const H& p) {
         allChains(p, [](auto& c) { EXPECT_EQ(c.dynShaper.getMode(), 3u); });
         EXPECT_EQ(p.getValueText(H::kShaperModeText), chain(p, 0).dynShaper.getModeText());
       }},
      {Tags::kDynShaperPosNegBoth, 1.0,
       [](const H& p) { allChains(p, [](auto& c) { EXPECT_EQ(c.dynShaper.getApplyMode(), 2); }); }},
      {Tags::kFilterOnOff, 0.0, [](const H& p) { EXPECT_TRUE(p.getFilterUnit().bypass); }},
      {Tags::kFilterInputDrive, 0.45,
       [](const H& p) { EXPECT_EQ(p.getFilterUnit().inputDrive.amount, 0.45); }},
      {Tags::kFilterType, 0.25,
       [](const H& p) {
         EXPECT_EQ(p.getFilterUnit().filterMix, 0.25);
         EXPECT_EQ(p.getValueText(H::kFilterBalanceText), "75.0% / 25.0%");
       }},
      {Tags::kFilterCutoff, 0.5,
       [](const H& p) {
         char text[64];
         snprintf(text, sizeof text, "%.1fHz", p.getFilterUnit().getCutoffFreqHz());
         EXPECT_EQ(p.getValueText(H::kFilterCutoffText), text);
         EXPECT_LT(p.getFilterUnit().getCutoffFreqHz(), 21000.0);
       }},
      {Tags::kFilterResonance, 0.5,
       [](const H& p) { EXPECT_EQ(p.getFilterUnit().resonance, 0.5); }},
      {Tags::kFilterMode1, 3.0 / 11.0,
       [](const H& p) {
         EXPECT_EQ(p.getFilterUnit().getFilterType1(), Rawnfield::Types::kRBJBandStop);
       }},
      {Tags::kFilterMode2, 10.0 / 11.0,
       [](const H& p) {
         EXPECT_EQ(p.getFilterUnit().getFilterType2(), Rawnfield::Types::kButterworthBandPass12dB);
       }},
      {Tags::kFilterTransition, 0.0,
       [](const H& p) { EXPECT_EQ(p.getValueText(H::kFilterTransitionText), "Slow"); }},
      {Tags::kEqOnOff, 0.0, [](const H& p) { EXPECT_TRUE(p.getDistoBandEq().bypass); }},
      {Tags::kBassAmount, 0.5625,
       [](const H& p) {
         EXPECT_NEAR(p.getDistoBandEq().getBassGainDb(), 3.0, 0.01);
         EXPECT_EQ(p.getValueText(H::kEqBassText), "+3.00 dB");
       }},
      {Tags::kHighAmount, 0.5,
       [](const H& p) {
         EXPECT_EQ(p.getDistoBandEq().getHighGainDb(), 0.0);
         EXPECT_EQ(p.getValueText(H::kEqHighText), "0.00 dB");
       }},
      {Tags::kSubBandProcOnOff, 1.0,
       [](const H& p) { EXPECT_FALSE(p.getSubBandProcessor().bypass); }},
      {Tags::kSubBandGain, 0.3,
       [](const H& p) { EXPECT_EQ(p.getSubBandProcessor().subGain, 0.3); }},
      {Tags::kSubBandSaturation, 0.2,
       [](const H& p) { EXPECT_EQ(p.getSubBandProcessor().saturator.amount, 0.2); }},
      {Tags::kSubBandEqOnOff, 0.0,
       [](const H& p) { EXPECT_TRUE(p.getSubBandProcessor().eq.bypass); }},
      {Tags::kSubBandHighMidAmount, 0.4375,
       [](const H& p) {
         EXPECT_NEAR(p.getSubBandProcessor().eq.getHiMiGainDb(), -3.0, 0.01);
         EXPECT_EQ(p.getValueText(H::kSubEqHighMidText), "-3.00 dB");
       }},
      {Tags::kFilterLink, 0.4,
       [](const H& p) { EXPECT_FALSE(p.getSubBandProcessor().crossover.link); }},
      {Tags::kDistoBandGain, 0.6,
       [](const H& p) { EXPECT_EQ(p.getSubBandProcessor().distoGain, 0.6); }},
      {Tags::kSaturation, 0.35, [](const H& p) { EXPECT_EQ(p.getOutputSaturator().amount, 0.35); }},
      {Tags::kDumpExpand, 0.8,
       [](const H& p) {
         char text[32];
         snprintf(text, sizeof text, "%d Hz",
                  static_cast<int>(p.getDumpExpand().getDumpExpandFreq()));
         EXPECT_EQ(p.getValueText(H::kSweepText), text);
         EXPECT_EQ(p.getDumpExpand().position, 0.8);
       }},
      {Tags::kLimiterLevel, 0.5,
       [](const H& p) {
         EXPECT_EQ(p.getSoftClipper().threshold, p.GetParam(Tags::kLimiterLevel)->Value());
         EXPECT_DOUBLE_EQ(p.getSoftClipper().threshold,
                          0.003981071705534 + 0.5 * (1 - 0.003981071705534));
       }},
  };
  return cases;
}

}  // namespace

TEST(Dispatch, EachParameterReachesItsUnitAndTheRecord) {
  for (const Case& c : unitCases()) {
    SCOPED_TRACE(c.index);
    auto plug = makeEffect();
    setParam(*plug, c.index, c.value);
    const double v = plug->GetParam(c.index)->Value();
    EXPECT_EQ(recordValue(*plug, c.index), v);
    c.check(*plug);
  }
}

// The six positions of a 0.2 step and the rounding edges, on both channel
// mode parameters, with the switch's tool tip.
TEST(Dispatch, ChannelModesRoundToTheNearestOfFive) {
  const struct {
    double v;
    uint32_t mode;
    const char* word;
  } rows[] = {
      {0.0, 0, "Stereo"},         {0.2, 1, "Inverse Stereo"},   {0.4, 2, "Mono Mix (L+R)"},
      {0.6, 2, "Mono Mix (L+R)"}, {0.8, 3, "Mono L/L"},         {1.0, 4, "Mono R/R"},
      {0.5, 2, "Mono Mix (L+R)"}, {0.375, 2, "Mono Mix (L+R)"}, {0.374, 1, "Inverse Stereo"}};
  auto plug = makeEffect();
  for (const auto& r : rows) {
    SCOPED_TRACE(r.v);
    setParam(*plug, Tags::kInputMode, r.v);
    setParam(*plug, Tags::kSubBandChannelMode, r.v);
    EXPECT_EQ(plug->getInputProcessor().channelMode, r.mode);
    EXPECT_EQ(plug->getSubBandProcessor().channelMode, r.mode);
    EXPECT_EQ(plug->getValueText(Harshbloom::kInputModeTip),
              std::string("Input Channel Mode: ") + r.word);
    EXPECT_EQ(plug->getValueText(Harshbloom::kSubBandModeTip),
              std::string("Sub-Band Channel Mode: ") + r.word);
  }
}

TEST(Dispatch, BitDepthRateAndGateTexts) {
  auto plug = makeEffect();
  setParam(*plug, Tags::kQuantization, 0.5);
  EXPECT_EQ(plug->getValueText(Harshbloom::kBitDepthText), "16.8bit");
  setParam(*plug, Tags::kSampleRate, 1.0);
  EXPECT_EQ(plug->getValueText(Harshbloom::kSampleRateText), "44100Hz");
  setParam(*plug, Tags::kGate, 0.5);  // threshold 0.5^4
  char text[32];
  snprintf(text, sizeof text, "%3.1fdB", 20.0 * std::log10(0.0625));
  EXPECT_EQ(plug->getValueText(Harshbloom::kGateText), text);
  EXPECT_TRUE(plug->takeTextChanged(Harshbloom::kGateText));
  EXPECT_FALSE(plug->takeTextChanged(Harshbloom::kGateText));
  setParam(*plug, Tags::kGate, 0.0);
  EXPECT_EQ(plug->getValueText(Harshbloom::kGateText), "-oodB");
}

// A new sample rate shows in the texts that depend on it at once, as they
// are in force, not only after the next preset load.
TEST(Dispatch, RateDependentTextsFollowTheSampleRate) {
  auto plug = makeEffect();
  plug->SetBlockSize(512);
  plug->SetSampleRate(44100);
  plug->Reset();
  EXPECT_EQ(plug->getValueText(Harshbloom::kSampleRateText), "44100Hz");
  for (double rate : {48000.0, 96000.0, 22050.0}) {
    SCOPED_TRACE(rate);
    plug->SetSampleRate(rate);
    plug->Reset();
    const std::string converted = plug->getValueText(Harshbloom::kSampleRateText);
    const std::string sweep = plug->getValueText(Harshbloom::kSweepText);
    const std::string cutoff = plug->getValueText(Harshbloom::kFilterCutoffText);
    const std::string sub = plug->getValueText(Harshbloom::kSubBandCutoffText);
    const std::string disto = plug->getValueText(Harshbloom::kDistoBandCutoffText);
    EXPECT_EQ(converted, std::to_string(static_cast<long long>(rate)) + "Hz");
    // What a preset load (every parameter sent again) shows.
    for (int p : {Tags::kSampleRate, Tags::kDumpExpand, Tags::kFilterCutoff, Tags::kSubBandCutoff})
      plug->OnParamChange(p);
    EXPECT_EQ(plug->getValueText(Harshbloom::kSampleRateText), converted);
    EXPECT_EQ(plug->getValueText(Harshbloom::kSweepText), sweep);
    EXPECT_EQ(plug->getValueText(Harshbloom::kFilterCutoffText), cutoff);
    EXPECT_EQ(plug->getValueText(Harshbloom::kSubBandCutoffText), sub);
    EXPECT_EQ(plug->getValueText(Harshbloom::kDistoBandCutoffText), disto);
  }
  // The effect marks them for the editor.
  plug->SetSampleRate(48000);
  plug->Reset();
  EXPECT_TRUE(plug->takeTextChanged(Harshbloom::kSampleRateText));
  EXPECT_TRUE(plug->takeTextChanged(Harshbloom::kSweepText));
}

// The limiter's mode rounds at 0.5; mode 0 greys its level control out.
// Auto make-up follows the knee formula for a full-scale sample.
TEST(Dispatch, LimiterModeAndAutoMakeUp) {
  auto plug = makeEffect();
  setParam(*plug, Tags::kLimiterMode, 0.49);
  EXPECT_EQ(plug->getSoftClipper().mode, 0u);
  EXPECT_TRUE(plug->isLimiterLevelGrayed());
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kLimiterLevelControl));
  setParam(*plug, Tags::kLimiterMode, 0.5);
  EXPECT_EQ(plug->getSoftClipper().mode, 1u);
  EXPECT_FALSE(plug->isLimiterLevelGrayed());

  EXPECT_EQ(plug->getSoftClipper().makeUpGain, 1.0);
  setParam(*plug, Tags::kAutoMakeUp, 1.0);
  EXPECT_TRUE(plug->getSoftClipper().autoMakeUp);
  for (double level : {0.2, 0.7079457843841379, 0.99}) {
    SCOPED_TRACE(level);
    plug->GetParam(Tags::kLimiterLevel)->Set(level);
    plug->OnParamChange(Tags::kLimiterLevel);
    const Rawnfield::SoftClipper& c = plug->getSoftClipper();
    const double x = 1.0, t = c.threshold, k = c.kneeWidth, r = c.ratio;
    double y;
    if (c.kneeLow > x)
      y = x;
    else if (x < c.kneeHigh)
      y = x + (1 / r - 1) * (x - t + k / 2) * (x - t + k / 2) / (2 * k);
    else
      y = t + (x - t) / r;
    EXPECT_DOUBLE_EQ(c.makeUpGain, 1.0 / y);
  }
}

// Values that only the record keeps, and the reserved indices, which not
// even the record keeps.
TEST(Dispatch, StoredOnlyValuesAndReservedIndices) {
  auto plug = makeEffect();
  for (int index : {3, 14, 15, 17, 39, 40, 47, 48, 49, 50, 52, 53, 55, 58, 61, 62, 63}) {
    SCOPED_TRACE(index);
    setParam(*plug, index, 0.123);
    EXPECT_EQ(recordValue(*plug, index), 0.123);
  }
  const std::string before = stateOf(*plug);
  const std::string bassText = plug->getValueText(Harshbloom::kEqBassText);
  for (int index = 65; index < 85; ++index) setParam(*plug, index, 0.9);
  std::string after = stateOf(*plug);
  // Only the 20 reserved values in the chunk moved.
  for (int index = 65; index < 85; ++index)
    EXPECT_EQ(readAt<double>(after, kParamsOffset + 8 * index), 0.9);
  after.replace(kParamsOffset + 8 * 65, 8 * 20, before, kParamsOffset + 8 * 65, 8 * 20);
  EXPECT_TRUE(sameBytes(after, before));
  EXPECT_EQ(plug->getValueText(Harshbloom::kEqBassText), bassText);
}

// The sub-band cutoffs and slopes change the record and the cutoff texts,
// and ask the band-frequency display to redraw.
TEST(Dispatch, SubBandCutoffsOnlyRefreshTheirTexts) {
  auto plug = makeEffect();
  plug->takeDirty(Harshbloom::kBandFreqDisplay);
  setParam(*plug, Tags::kSubBandCutoff, 0.6);
  char text[32];
  snprintf(text, sizeof text, "%.1fHz",
           plug->getSubBandProcessor().crossover.getSubBandFilterCutoffFreqHz());
  EXPECT_EQ(plug->getValueText(Harshbloom::kSubBandCutoffText), text);
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kBandFreqDisplay));
  EXPECT_EQ(recordValue(*plug, Tags::kSubBandCutoff), 0.6);
}

// A host may hand any normalised value: the units see the range's ends.
TEST(Dispatch, OutOfRangeValuesAreKeptWithinTheParameterRange) {
  auto plug = makeEffect();
  setParam(*plug, Tags::kInputMode, -std::numeric_limits<double>::infinity());
  EXPECT_EQ(plug->GetParam(Tags::kInputMode)->Value(), 0.0);
  EXPECT_EQ(plug->getInputProcessor().channelMode, 0u);
  setParam(*plug, Tags::kDistortionType, 7.0);
  EXPECT_EQ(plug->GetParam(Tags::kDistortionType)->Value(), 1.0);
  setParam(*plug, Tags::kLimiterLevel, -3.0);
  EXPECT_EQ(plug->GetParam(Tags::kLimiterLevel)->Value(), 0.003981071705534);
  setParam(*plug, 70, std::numeric_limits<double>::infinity());
  EXPECT_EQ(plug->GetParam(70)->Value(), 1.0);
}

TEST(Dispatch, HighQualityFilterDescribesItselfAndResetsThePeaks) {
  auto plug = makeEffect();
  setParam(*plug, Tags::kHqFilter, 1.0);
  EXPECT_EQ(plug->getValueText(Harshbloom::kHqFilterTip), "High-Quality Output Filter: off");
  EXPECT_EQ(plug->GetParam(Tags::kHqFilter)->Value(), 1.0);
}
