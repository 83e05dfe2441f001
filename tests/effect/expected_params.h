#pragma once

// The parameter table as written down for the tests: name, group, default
// (the first factory program's value), display step and program-file key.

#include <cmath>

namespace expected {

inline const double kNaN = std::nan("");

struct Expected {
  const char* name;
  const char* group;
  double def;
  double step;
  const char* key;
};

inline const char* const In = "Input";
inline const char* const Fx = "Disto-Band Filter";
inline const char* const Di = "Distortion/Dynamic Shaper";
inline const char* const Eq = "4-Band Disto-Band EQ";
inline const char* const Se = "4-Band Sub-Band EQ";
inline const char* const Sb = "Sub-Band Processor";
inline const char* const Ou = "Output";
inline const double T = 1.0 / 3.0;
inline const double W = 1.0 / 12.0;
inline const double C = 0.38915574457972946;

inline const Expected kTable[65] = {
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

}  // namespace expected
