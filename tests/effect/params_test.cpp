// The 85 parameters as the effect registers them without an editor: names,
// groups, labels, ranges, display precision, defaults and program-file keys.
#include <cmath>
#include <cstdio>

#include "HarshbloomParams.h"
#include "effect_fixture.h"

namespace {

const double kNaN = std::nan("");

struct Expected {
  const char* name;
  const char* group;
  double def;
  double step;
  const char* key;
};

const char* const In = "Input";
const char* const Fx = "Disto-Band Filter";
const char* const Di = "Distortion/Dynamic Shaper";
const char* const Eq = "4-Band Disto-Band EQ";
const char* const Se = "4-Band Sub-Band EQ";
const char* const Sb = "Sub-Band Processor";
const char* const Ou = "Output";
const double T = 1.0 / 3.0;
const double W = 1.0 / 12.0;
const double C = 0.38915574457972946;

const Expected kTable[65] = {
    {"Input Volume", In, 1.0, 0.001, "InputVolume"},
    {"Input DC Offset", In, 0.5, 0.001, "InputDCOffset"},
    {"Input Saturation", In, 0.0, 0.001, "InputSaturation"},
    {"Input Saturation Mode", In, 0.5, T, "InputSaturationMode"},
    {"Input Mono/Stereo Mode", In, 0.0, 0.2, "InputMode"},
    {"Bit-Crash Quantization", Di, 1.0, 0.001, "Quantization"},
    {"Sample-Rate Reduction", Di, 1.0, 0.001, "SampleRate"},
    {"Noise-Gate Level", Di, 0.0, 0.001, "Gate"},
    {"Distortion Unit On/Off", Di, 1.0, 1.0, "DistortionOnOff"},
    {"Distortion Amount", Di, 0.0, 0.001, "Distortion"},
    {"Distortion Type", Di, 0.0, 0.001, "DistortionType"},
    {"Distortion Mode", Di, 0.5, T, "DistortionLoudness"},
    {"Distortion Curve Interpolation", Di, 1.0, 0.001, "DistortionInterpMode"},
    {"Distortion Polarity", Di, 0.0, T, "DistortionPosNegBoth"},
    {"Distortion Pre-Filter Process", Di, 0.0, 0.5, "DistortionPreProcess"},
    {"Distortion Post-Filter Process", Di, 1.0, 0.5, "DistortionPostProcess"},
    {"Dynamic Shaper Amount", Di, 0.0, 0.001, "DynShaper"},
    {"Dynamic Shaper Width", Di, 0.25, 0.001, "DynShaperWidth"},
    {"Dynamic Shaper Invert Shape", Di, 0.0, 1.0, "DynShaperInvert"},
    {"Dynamic Shaper Waveform", Di, 0.0, T, "DynShaperType"},
    {"Dynamic Shaper Mode", Di, 0.0, 0.001, "DynShaperMode"},
    {"Dynamic Shaper Polarity", Di, 0.0, T, "DynShaperPosNegBoth"},
    {"Filter Unit On/Off", Fx, 1.0, 1.0, "FilterOnOff"},
    {"Filter Input Drive", Fx, 0.0, 0.001, "FilterInputDrive"},
    {"Filter 1/2 Balance", Fx, 0.0, 0.001, "FilterType"},
    {"Filter Cutoff Frequency", Fx, 1.0, 0.001, "FilterCutoff"},
    {"Filter Resonance/Band-Width", Fx, 0.0, 0.001, "FilterResonance"},
    {"Filter 1 Type", Fx, 0.0, W, "FilterMode1"},
    {"Filter 2 Type", Fx, 7.0 / 11.0, W, "FilterMode2"},
    {"Filter Transition Speed", Fx, 1.0, T, "FilterTransition"},
    {"Disto-Band EQ On/Off", Eq, 1.0, 1.0, "EqOnOff"},
    {"Disto-Band EQ Bass Range", Eq, 0.5, 0.001, "BassAmount"},
    {"Disto-Band EQ Low Mid Range", Eq, 0.5, 0.001, "LowMidAmount"},
    {"Disto-Band EQ High Mid Range", Eq, 0.5, 0.001, "HighMidAmount"},
    {"Disto-Band EQ High Range", Eq, 0.5, 0.001, "HighAmount"},
    {"Sub-Band/Disto-Band On/Off", Sb, 0.0, 1.0, "SubBandProcOnOff"},
    {"Sub-Band Mono/Stereo Mode", Sb, 0.0, 0.2, "SubBandChannelMode"},
    {"Sub-Band Gain Amount", Sb, 1.0, 0.001, "SubBandGain"},
    {"Sub-Band Saturation", Sb, 0.0, 0.001, "SubBandSaturation"},
    {"Sub-Band Saturation Mode", Sb, 0.5, 0.001, "SubBandSaturationMode"},
    {"Sub-Band Distortion", Sb, 0.0, 0.001, "SubBandDistortion"},
    {"Sub-Band EQ On/Off", Se, 1.0, 1.0, "SubBandEqOnOff"},
    {"Sub-Band EQ Bass Amount", Se, 0.5, 0.001, "SubBandBassAmount"},
    {"Sub-Band EQ Mid Amount", Se, 0.5, 0.001, "SubBandLowMidAmount"},
    {"Sub-Band EQ High Mid Amount", Se, 0.5, 0.001, "SubBandHighMidAmount"},
    {"Sub-Band EQ High Amount", Se, 0.5, 0.001, "SubBandHighAmount"},
    {"Sub-Band/Disto-Band Filter Link", Sb, 1.0, 0.001, "FilterLink"},
    {"Sub-Band Cutoff Frequency", Sb, C, 0.001, "SubBandCutoff"},
    {"Sub-Band Filter Slope", Sb, T, 0.25, "SubBandFilterSlope"},
    {"Disto-Band Cutoff Frequency", Sb, C, 0.001, "DistoBandCutoff"},
    {"Disto-Band Filter Slope", Sb, 2.0 / 3.0, 1.0, "DistoBandFilterSlope"},
    {"Disto-Band Gain Amount", Sb, 1.0, 0.001, "DistoBandGain"},
    {"Bypass All Effect Units", "", 0.0, 1.0, "BypassFX"},
    {"Output Stereo Panning", Ou, 0.5, 0.001, "Pan"},
    {"Output Saturation", Ou, 0.0, 0.001, "Saturation"},
    {"Output Saturation Mode", Ou, 0.5, T, "SaturationMode"},
    {"High-Quality Output Filter", Ou, kNaN, T, "HqFilter"},
    // Both names lose "Output " to fit a parameter name's 31 characters.
    {"Low-Pass/High-Pass Filter", Ou, 0.5, 0.001, "DumpExpand"},
    {"Low-Pass/High-Pass Filter Slope", Ou, 0.0, 1.0, "DumpExpandSlope"},
    {"Output Limiter Level", Ou, 0.7079457843841379, 0.001, "LimiterLevel"},
    {"Output Limiter Mode", Ou, 0.0, 0.5, "LimiterMode"},
    {"Oversampling", Ou, 0.0, 0.001, "Oversampling"},
    {"Output Dry/Wet Mix", Ou, 1.0, 0.001, "DryWet"},
    {"Output Volume", Ou, 1.0, 0.001, "Volume"},
    {"Auto Make-Up", Ou, 0.0, 0.5, "AutoMakeUp"},
};

int precisionOf(double step) {
  if (step == 0.001) return 3;
  if (step == 0.2 || step == 0.5) return 1;
  if (step == 0.25) return 2;
  if (step == 1.0) return 0;
  return 6;  // thirds and twelfths
}

bool sameValue(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || a == b;
}

}  // namespace

TEST(Parameters, EveryIndexMatchesTheTable) {
  auto plug = makeEffect();
  ASSERT_EQ(plug->NParams(), 85);
  EXPECT_EQ(plug->GetParam(85), nullptr);
  Rawnfield::HarshbloomProgram keys;
  for (int i = 0; i < 65; ++i) {
    SCOPED_TRACE(i);
    const IParam* p = plug->GetParam(i);
    const Expected& e = kTable[i];
    EXPECT_EQ(p->Type(), IParam::kTypeDouble);
    EXPECT_STREQ(p->GetNameForHost(), e.name);
    EXPECT_STREQ(p->GetParamGroupForHost(), e.group);
    EXPECT_STREQ(p->GetLabelForHost(), i == 25 ? "Hz" : "");
    EXPECT_EQ(p->GetStep(), e.step);
    EXPECT_EQ(p->GetPrecision(), precisionOf(e.step));
    EXPECT_EQ(p->GetShape(), 1.0);
    EXPECT_EQ(p->GetNDisplayTexts(), 0);
    EXPECT_TRUE(sameValue(p->GetDefault(), e.def));
    EXPECT_TRUE(sameValue(p->Value(), e.def));
    if (i != 59) {
      EXPECT_EQ(p->GetMin(), 0.0);
      EXPECT_EQ(p->GetMax(), 1.0);
      EXPECT_TRUE(sameValue(p->GetNormalized(), e.def));
    }
    EXPECT_STREQ(keys.getParameterNameText(static_cast<Rawnfield::Harshbloom::eParameterTags>(i)),
                 e.key);
  }
}

TEST(Parameters, ReservedParametersCountNamesFromZeroAndKeysFromOne) {
  auto plug = makeEffect();
  Rawnfield::HarshbloomProgram keys;
  for (int i = 65; i < 85; ++i) {
    SCOPED_TRACE(i);
    const IParam* p = plug->GetParam(i);
    char name[40], key[16];
    snprintf(name, sizeof name, "Reserved Parameter %02d", i - 65);
    snprintf(key, sizeof key, "Reserved_%02d", i - 64);
    EXPECT_STREQ(p->GetNameForHost(), name);
    EXPECT_STREQ(p->GetParamGroupForHost(), "Reserved Group");
    EXPECT_EQ(p->Value(), 0.0);
    EXPECT_EQ(p->GetStep(), 0.001);
    EXPECT_EQ(p->GetMin(), 0.0);
    EXPECT_EQ(p->GetMax(), 1.0);
    EXPECT_STREQ(keys.getParameterNameText(static_cast<Rawnfield::Harshbloom::eParameterTags>(i)),
                 key);
  }
  EXPECT_STREQ(plug->GetParam(65)->GetNameForHost(), "Reserved Parameter 00");
  EXPECT_STREQ(plug->GetParam(84)->GetNameForHost(), "Reserved Parameter 19");
}

TEST(Parameters, LimiterLevelKeepsItsPlainRange) {
  auto plug = makeEffect();
  IParam* p = plug->GetParam(59);
  EXPECT_EQ(p->GetMin(), 0.003981071705534);
  EXPECT_EQ(p->GetMax(), 1.0);
  EXPECT_DOUBLE_EQ(p->GetNormalized(),
                   (0.7079457843841379 - 0.003981071705534) / (1 - 0.003981071705534));
  setParam(*plug, 59, 0.0);
  EXPECT_EQ(p->Value(), 0.003981071705534);
  EXPECT_EQ(plug->getSoftClipper().threshold, 0.003981071705534);
  setParam(*plug, 59, 1.0);
  EXPECT_EQ(p->Value(), 1.0);
}

TEST(Parameters, HighQualityFilterStartsAsQuietNaNThatNoUnitReads) {
  auto plug = makeEffect();
  const double v = plug->GetParam(56)->Value();
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  EXPECT_EQ(bits, 0x7FF8000000000000ull);
  EXPECT_TRUE(std::isnan(plug->getProgram().hqFilter));
}

// No parameter name is cut: the table's names fit the framework's field.
TEST(Parameters, NamesFitTheParameterField) {
  for (int i = 0; i < 65; ++i) EXPECT_LT(std::strlen(HarshbloomParams::row(i)->name), 32u) << i;
  EXPECT_EQ(HarshbloomParams::row(85), nullptr);
  EXPECT_EQ(HarshbloomParams::row(-1), nullptr);
}
