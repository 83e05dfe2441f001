#include "programs/RNFxProgram.h"

#include "BandSplitFilter.h"
#include "DynShaper.h"
#include "Eq4Band.h"
#include "SoftClipper.h"
#include "SubBandProcessor.h"

namespace Rawnfield {

void EqProgram::init() {
  onOff = 1.0;
  bass = Eq4Band::kDefaultBassAmount;
  lowMid = Eq4Band::kDefaultLoMiAmount;
  highMid = Eq4Band::kDefaultHiMiAmount;
  high = Eq4Band::kDefaultHighAmount;
}

void EqProgram::applyBassRangeCutEQ() {
  onOff = 1.0;
  bass = Eq4Band::k6dBEqAmountCut;
  lowMid = Eq4Band::k3dBEqAmountCut;
  highMid = Eq4Band::kDefaultHiMiAmount;
  high = Eq4Band::kDefaultHighAmount;
}

void EqProgram::applyReforgeCleanPunchEQ() {
  onOff = 1.0;
  bass = Eq4Band::k3dBEqAmountCut;
  lowMid = Eq4Band::k2dBEqAmountCut;
  highMid = Eq4Band::kDefaultHiMiAmount;
  high = Eq4Band::k2dBEqAmountBoost;
}

void EqProgram::applyModernSmashSubBandEQ() {
  onOff = 1.0;
  bass = Eq4Band::k1dBEqAmountBoost;
  // The high-mid default serves all three upper bands; the values are equal.
  lowMid = Eq4Band::kDefaultHiMiAmount;
  highMid = Eq4Band::kDefaultHiMiAmount;
  high = Eq4Band::kDefaultHiMiAmount;
}

void EqProgram::applyModernSmashDistoBandEQ() {
  onOff = 1.0;
  bass = Eq4Band::k6dBEqAmountCut;
  lowMid = Eq4Band::k2dBEqAmountCut;
  highMid = Eq4Band::kDefaultHiMiAmount;
  high = Eq4Band::k3dBEqAmountBoost;
}

void InputUnitProgram::init() {
  volume = 1.0;
  dcOffset = 0.5;
  saturation = 0.0;
  inputMode = 0.0;
  saturationMode = 0.5;
}

void DistortionProgram::init() {
  onOff = 1.0;
  amount = 0.0;
  type = 0.0;
  mode = 0.5;
  interpolation = 1.0;
  polarity = 0.0;
  preProcess = 0.0;
  postProcess = 1.0;
}

void DynamicShaperProgram::init() {
  amount = 0.0;
  invert = 0.0;
  waveform = 0.0;
  mode = 0.0;
  polarity = 0.0;
  width = DynShaper::kDefaultPeakWidth;
}

void SubBandProcProgram::init() {
  onOff = SubBandProcessor::kDefaultOnOff;
  channelMode = 0.0;
  gain = SubBandProcessor::kDefaultSubBandGain;
  saturation = 0.0;
  saturationMode = 0.5;
  distortion = 0.0;
  eq.init();
  subBandCutoff = BandSplitFilter::kDefaultSubBandCutOffControlValue;
  subBandSlope = 1.0 / 3.0;
  distoBandCutoff = BandSplitFilter::kDefaultSubBandCutOffControlValue;
  distoBandSlope = 2.0 / 3.0;
  filterLink = 1.0;
  distoBandGain = SubBandProcessor::kDefaultDistoGain;
}

void SubBandProcProgram::applyBassRangeBoost() {
  onOff = SubBandProcessor::kDefaultOnOff;
  channelMode = 0.5;
  gain = SubBandProcessor::kDefaultSubBandGain;
  saturation = 1.0;
  saturationMode = 0.0;
  distortion = SubBandProcessor::kDefaultSubBandDistortion;
  eq.onOff = 1.0;
  eq.bass = Eq4Band::k3dBEqAmountBoost;
  eq.lowMid = Eq4Band::kDefaultLoMiAmount;
  eq.highMid = Eq4Band::kDefaultHiMiAmount;
  eq.high = Eq4Band::kDefaultHighAmount;
  subBandCutoff = BandSplitFilter::kDefaultSubBandCutOffControlValue;
  subBandSlope = 1.0 / 3.0;
  distoBandCutoff = BandSplitFilter::kDefaultSubBandCutOffControlValue;
  distoBandSlope = 1.0 / 3.0;
  filterLink = 1.0;
  distoBandGain = SubBandProcessor::kDefaultDistoGain;
}

void SubBandProcProgram::applyReforgeConfig() {
  onOff = SubBandProcessor::kDefaultOnOff;
  channelMode = 0.5;
  gain = SubBandProcessor::kDefaultSubBandGain;
  saturation = 0.2;
  saturationMode = 0.0;
  distortion = 0.0;
  eq.init();
  filterLink = 1.0;
  distoBandGain = SubBandProcessor::kDefaultDistoGain;
}

RNFxProgram::RNFxProgram() {
  init();
}

void RNFxProgram::init() {
  input.init();
  quantization = 1.0;
  sampleRate = 1.0;
  gate = 0.0;
  filterOnOff = 1.0;
  filterInputDrive = 0.0;
  filterBalance = 0.5;
  filterCutoff = 1.0;
  filterResonance = 0.0;
  filterMode1 = 0.0;
  filterMode2 = 0.0;
  filterTransition = 1.0;
  distortion.init();
  dynShaper.init();
  eq.init();
  dumpExpand = 0.5;
  dumpExpandSlope = 0.0;
  subBand.init();
  bypassFX = 0.0;
  pan = 0.5;
  saturation = 0.0;
  saturationMode = 0.5;
  dryWet = 1.0;
  hqFilter = hqFilterDefault();

  limiterLevel.value = SoftClipper::kDefaultThreshold;
  limiterMode.value = kDefaultLimiterMode;
  autoMakeUp.value = 0.0;
  oversampling.value = 0.0;
  volume.value = kDefaultVolume;
}

const double* RNFxProgram::valueAt(int index) const {
  return const_cast<RNFxProgram*>(this)->valueAt(index);
}

double* RNFxProgram::valueAt(int index) {
  switch (index) {
    case 0: return &input.volume;
    case 1: return &input.dcOffset;
    case 2: return &input.saturation;
    case 3: return &input.inputMode;
    case 4: return &input.saturationMode;
    case 5: return &quantization;
    case 6: return &sampleRate;
    case 7: return &gate;
    case 8: return &filterOnOff;
    case 9: return &filterInputDrive;
    case 10: return &filterBalance;
    case 11: return &filterCutoff;
    case 12: return &filterResonance;
    case 13: return &filterMode1;
    case 14: return &filterMode2;
    case 15: return &filterTransition;
    case 16: return &distortion.onOff;
    case 17: return &distortion.amount;
    case 18: return &distortion.type;
    case 19: return &distortion.mode;
    case 20: return &distortion.interpolation;
    case 21: return &distortion.polarity;
    case 22: return &distortion.preProcess;
    case 23: return &distortion.postProcess;
    case 24: return &dynShaper.amount;
    case 25: return &dynShaper.invert;
    case 26: return &dynShaper.waveform;
    case 27: return &dynShaper.mode;
    case 28: return &dynShaper.polarity;
    case 29: return &dynShaper.width;
    case 30: return &eq.onOff;
    case 31: return &eq.bass;
    case 32: return &eq.lowMid;
    case 33: return &eq.highMid;
    case 34: return &eq.high;
    case 35: return &dumpExpand;
    case 36: return &dumpExpandSlope;
    case 37: return &subBand.onOff;
    case 38: return &subBand.channelMode;
    case 39: return &subBand.gain;
    case 40: return &subBand.saturation;
    case 41: return &subBand.saturationMode;
    case 42: return &subBand.distortion;
    case 43: return &subBand.eq.onOff;
    case 44: return &subBand.eq.bass;
    case 45: return &subBand.eq.lowMid;
    case 46: return &subBand.eq.highMid;
    case 47: return &subBand.eq.high;
    case 48: return &subBand.subBandCutoff;
    case 49: return &subBand.subBandSlope;
    case 50: return &subBand.distoBandCutoff;
    case 51: return &subBand.distoBandSlope;
    case 52: return &subBand.filterLink;
    case 53: return &subBand.distoBandGain;
    case 54: return &bypassFX;
    case 55: return &pan;
    case 56: return &saturation;
    case 57: return &saturationMode;
    case 58: return &dryWet;
    case 59: return &hqFilter;
    default: return nullptr;
  }
}

}  // namespace Rawnfield
