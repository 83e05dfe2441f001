#include "HarshbloomParams.h"

#include <cstdio>

#include "IParam.h"
#include "SoftClipper.h"

namespace HarshbloomParams {

namespace {

const char kInputGroupStr[] = "Input";
const char kFilterFxGroupStr[] = "Disto-Band Filter";
const char kDistortionGroupStr[] = "Distortion/Dynamic Shaper";
const char kEqGroupStr[] = "4-Band Disto-Band EQ";
const char kSubBandEqGroupStr[] = "4-Band Sub-Band EQ";
const char kSubBandProcGroupStr[] = "Sub-Band Processor";
const char kOutputGroupStr[] = "Output";
const char kReservedGroupStr[] = "Reserved Group";

constexpr double kThird = 1.0 / 3.0;
constexpr double kTwelfth = 1.0 / 12.0;
constexpr double kMinLimiter = Rawnfield::SoftClipper::kMinThreshold;
constexpr double kMaxLimiter = Rawnfield::SoftClipper::kMaxThreshold;

// Names longer than a parameter's 31 characters lose their leading
// "Output " (their group says it): indices 57 and 58.
const Row kRows[kFirstReserved] = {
    {"Input Volume", kInputGroupStr, "", 0.001, 0.0, 1.0},
    {"Input DC Offset", kInputGroupStr, "", 0.001, 0.0, 1.0},
    {"Input Saturation", kInputGroupStr, "", 0.001, 0.0, 1.0},
    {"Input Saturation Mode", kInputGroupStr, "", kThird, 0.0, 1.0},
    {"Input Mono/Stereo Mode", kInputGroupStr, "", 0.2, 0.0, 1.0},
    {"Bit-Crash Quantization", kDistortionGroupStr, "", 0.001, 0.0, 1.0},
    {"Sample-Rate Reduction", kDistortionGroupStr, "", 0.001, 0.0, 1.0},
    {"Noise-Gate Level", kDistortionGroupStr, "", 0.001, 0.0, 1.0},
    {"Distortion Unit On/Off", kDistortionGroupStr, "", 1.0, 0.0, 1.0},
    {"Distortion Amount", kDistortionGroupStr, "", 0.001, 0.0, 1.0},
    {"Distortion Type", kDistortionGroupStr, "", 0.001, 0.0, 1.0},  // 10
    {"Distortion Mode", kDistortionGroupStr, "", kThird, 0.0, 1.0},
    {"Distortion Curve Interpolation", kDistortionGroupStr, "", 0.001, 0.0, 1.0},
    {"Distortion Polarity", kDistortionGroupStr, "", kThird, 0.0, 1.0},
    {"Distortion Pre-Filter Process", kDistortionGroupStr, "", 0.5, 0.0, 1.0},
    {"Distortion Post-Filter Process", kDistortionGroupStr, "", 0.5, 0.0, 1.0},
    {"Dynamic Shaper Amount", kDistortionGroupStr, "", 0.001, 0.0, 1.0},
    {"Dynamic Shaper Width", kDistortionGroupStr, "", 0.001, 0.0, 1.0},
    {"Dynamic Shaper Invert Shape", kDistortionGroupStr, "", 1.0, 0.0, 1.0},
    {"Dynamic Shaper Waveform", kDistortionGroupStr, "", kThird, 0.0, 1.0},
    {"Dynamic Shaper Mode", kDistortionGroupStr, "", 0.001, 0.0, 1.0},  // 20
    {"Dynamic Shaper Polarity", kDistortionGroupStr, "", kThird, 0.0, 1.0},
    {"Filter Unit On/Off", kFilterFxGroupStr, "", 1.0, 0.0, 1.0},
    {"Filter Input Drive", kFilterFxGroupStr, "", 0.001, 0.0, 1.0},
    {"Filter 1/2 Balance", kFilterFxGroupStr, "", 0.001, 0.0, 1.0},
    {"Filter Cutoff Frequency", kFilterFxGroupStr, "Hz", 0.001, 0.0, 1.0},
    {"Filter Resonance/Band-Width", kFilterFxGroupStr, "", 0.001, 0.0, 1.0},
    {"Filter 1 Type", kFilterFxGroupStr, "", kTwelfth, 0.0, 1.0},
    {"Filter 2 Type", kFilterFxGroupStr, "", kTwelfth, 0.0, 1.0},
    {"Filter Transition Speed", kFilterFxGroupStr, "", kThird, 0.0, 1.0},
    {"Disto-Band EQ On/Off", kEqGroupStr, "", 1.0, 0.0, 1.0},  // 30
    {"Disto-Band EQ Bass Range", kEqGroupStr, "", 0.001, 0.0, 1.0},
    {"Disto-Band EQ Low Mid Range", kEqGroupStr, "", 0.001, 0.0, 1.0},
    {"Disto-Band EQ High Mid Range", kEqGroupStr, "", 0.001, 0.0, 1.0},
    {"Disto-Band EQ High Range", kEqGroupStr, "", 0.001, 0.0, 1.0},
    {"Sub-Band/Disto-Band On/Off", kSubBandProcGroupStr, "", 1.0, 0.0, 1.0},
    {"Sub-Band Mono/Stereo Mode", kSubBandProcGroupStr, "", 0.2, 0.0, 1.0},
    {"Sub-Band Gain Amount", kSubBandProcGroupStr, "", 0.001, 0.0, 1.0},
    {"Sub-Band Saturation", kSubBandProcGroupStr, "", 0.001, 0.0, 1.0},
    {"Sub-Band Saturation Mode", kSubBandProcGroupStr, "", 0.001, 0.0, 1.0},
    {"Sub-Band Distortion", kSubBandProcGroupStr, "", 0.001, 0.0, 1.0},  // 40
    {"Sub-Band EQ On/Off", kSubBandEqGroupStr, "", 1.0, 0.0, 1.0},
    {"Sub-Band EQ Bass Amount", kSubBandEqGroupStr, "", 0.001, 0.0, 1.0},
    {"Sub-Band EQ Mid Amount", kSubBandEqGroupStr, "", 0.001, 0.0, 1.0},
    {"Sub-Band EQ High Mid Amount", kSubBandEqGroupStr, "", 0.001, 0.0, 1.0},
    {"Sub-Band EQ High Amount", kSubBandEqGroupStr, "", 0.001, 0.0, 1.0},
    {"Sub-Band/Disto-Band Filter Link", kSubBandProcGroupStr, "", 0.001, 0.0, 1.0},
    {"Sub-Band Cutoff Frequency", kSubBandProcGroupStr, "", 0.001, 0.0, 1.0},
    {"Sub-Band Filter Slope", kSubBandProcGroupStr, "", 0.25, 0.0, 1.0},
    {"Disto-Band Cutoff Frequency", kSubBandProcGroupStr, "", 0.001, 0.0, 1.0},
    {"Disto-Band Filter Slope", kSubBandProcGroupStr, "", 1.0, 0.0, 1.0},  // 50
    {"Disto-Band Gain Amount", kSubBandProcGroupStr, "", 0.001, 0.0, 1.0},
    {"Bypass All Effect Units", "", "", 1.0, 0.0, 1.0},
    {"Output Stereo Panning", kOutputGroupStr, "", 0.001, 0.0, 1.0},
    {"Output Saturation", kOutputGroupStr, "", 0.001, 0.0, 1.0},
    {"Output Saturation Mode", kOutputGroupStr, "", kThird, 0.0, 1.0},
    {"High-Quality Output Filter", kOutputGroupStr, "", kThird, 0.0, 1.0},
    {"Low-Pass/High-Pass Filter", kOutputGroupStr, "", 0.001, 0.0, 1.0},
    {"Low-Pass/High-Pass Filter Slope", kOutputGroupStr, "", 1.0, 0.0, 1.0},
    {"Output Limiter Level", kOutputGroupStr, "", 0.001, kMinLimiter, kMaxLimiter},
    {"Output Limiter Mode", kOutputGroupStr, "", 0.5, 0.0, 1.0},  // 60
    {"Oversampling", kOutputGroupStr, "", 0.001, 0.0, 1.0},
    {"Output Dry/Wet Mix", kOutputGroupStr, "", 0.001, 0.0, 1.0},
    {"Output Volume", kOutputGroupStr, "", 0.001, 0.0, 1.0},
    {"Auto Make-Up", kOutputGroupStr, "", 0.5, 0.0, 1.0},
};

const Row kReservedRow = {nullptr, kReservedGroupStr, "", 0.001, 0.0, 1.0};

}  // namespace

const Row* row(int index) {
  if (index >= 0 && index < kFirstReserved) return &kRows[index];
  if (index >= kFirstReserved && index < kNumParams) return &kReservedRow;
  return nullptr;
}

void reservedName(int index, char* out, int outSize) {
  snprintf(out, static_cast<size_t>(outSize), "Reserved Parameter %2.2d", index - kFirstReserved);
}

void initParam(IParam* param, int index, double defaultValue) {
  const Row* r = row(index);
  if (!param || !r) return;
  char name[40];
  const char* text = r->name;
  if (!text) {
    reservedName(index, name, sizeof name);
    text = name;
  }
  param->InitDouble(text, defaultValue, r->min, r->max, r->step, r->label, r->group, 1.0);
}

}  // namespace HarshbloomParams
