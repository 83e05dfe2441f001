// Parameter dispatch: every parameter change reaches the program record,
// the unit it drives and the editor's value texts.

#include <cmath>
#include <cstdio>

#include "Harshbloom.h"
#include "IGraphics.h"

namespace Tags = Rawnfield::Harshbloom;

namespace {

// floor(4v + 0.5): the five channel modes over 0..1.
uint32_t channelMode(double v) {
  return static_cast<uint32_t>(std::floor(4.0 * v + 0.5));
}

const char* channelModeWord(uint32_t mode) {
  return mode < Rawnfield::kNumChannelModes ? Rawnfield::kChannelModeNames[mode]
                                            : Rawnfield::kChannelModeNames[Rawnfield::kStereo];
}

void formatGain(char* out, size_t size, double db) {
  snprintf(out, size, std::fabs(db) < 1e-6 ? "%.2f dB" : "%+.2f dB", db);
}

}  // namespace

void Harshbloom::OnParamChange(int paramIdx) {
  KIT_MutexLock lock(GetMutex());
  InternalParamChange(paramIdx);
}

void Harshbloom::InternalParamChange(int paramIdx) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  // A host may set any normalised value; the units and the state only ever
  // see the parameter's range (the high-quality filter's NaN default aside).
  double v = param->Value();
  if (v < param->GetMin() || v > param->GetMax()) {
    v = v < param->GetMin() ? param->GetMin() : param->GetMax();
    param->Set(v);
  }
  if (paramIdx < Tags::kNumProgramValues) {
    mLiveProgram.setParameterValue(static_cast<Tags::eParameterTags>(paramIdx), v);

    Rawnfield::DistoFxUnit& d = mDistoFx;
    Rawnfield::Eq4Band& subEq = mSubBand.eq;
    // clang-format off
    switch (paramIdx) {
      case Tags::kInputVolume: mInput.volume = v; break;
      case Tags::kInputDCOffset: mInput.offset = v; break;
      case Tags::kInputSaturation: mInput.inputSaturator.amount = v; break;
      case Tags::kInputMode: mInput.channelMode = channelMode(v); break;
      case Tags::kQuantization: d.setQuantization(v); break;
      case Tags::kSampleRate: d.setSampleRateConversion(v); break;
      case Tags::kGate: d.setGateThreshold(v); break;
      case Tags::kDistortionOnOff: d.setDistortionOn(v); break;
      case Tags::kDistortion: d.setDistortionAmount(v); break;  // not the sub-band chain
      case Tags::kDistortionType: d.setDistortionType(v); break;
      case Tags::kDistortionLoudness: d.setDistoMode(v); break;
      case Tags::kDistortionInterpMode: d.setInterpolation(v); break;
      case Tags::kDistortionPosNegBoth: d.setPolarity(v); break;
      case Tags::kDynShaper: d.setShaperAmount(v); break;
      case Tags::kDynShaperInvert: d.setShaperInvert(v); break;
      case Tags::kDynShaperType: d.setShaperType(v); break;
      case Tags::kDynShaperMode: d.setShaperMode(v); break;
      case Tags::kDynShaperPosNegBoth: d.setShaperApplyMode(v); break;
      case Tags::kFilterOnOff: mFilter.setBypass(v == 0.0); break;
      case Tags::kFilterInputDrive: mFilter.setInputDrive(v); break;
      case Tags::kFilterType: mFilter.setFilterMix(v); break;
      case Tags::kFilterCutoff: mFilter.setCutoff(v); break;
      case Tags::kFilterResonance: mFilter.setRezo(v); break;
      case Tags::kFilterMode1: mFilter.setFilterType1(v); break;
      case Tags::kFilterMode2: mFilter.setFilterType2(v); break;
      case Tags::kFilterTransition: mFilter.setFilterTransition(v); break;
      case Tags::kEqOnOff: mDistoBandEq.setBypass(v == 0.0); break;
      case Tags::kBassAmount: mDistoBandEq.setBassAmount(v); break;
      case Tags::kLowMidAmount: mDistoBandEq.setLoMiAmount(v); break;
      case Tags::kHighMidAmount: mDistoBandEq.setHiMiAmount(v); break;
      case Tags::kHighAmount: mDistoBandEq.setHighAmount(v); break;
      case Tags::kSubBandProcOnOff: mSubBand.setBypass(v == 0.0); break;
      case Tags::kSubBandChannelMode: mSubBand.channelMode = channelMode(v); break;
      case Tags::kSubBandGain: mSubBand.setSubBandGain(v); break;
      case Tags::kSubBandSaturation: mSubBand.setSubBandSaturation(v); break;
      case Tags::kSubBandEqOnOff: subEq.setBypass(v == 0.0); break;
      case Tags::kSubBandBassAmount: subEq.setBassAmount(v); break;
      case Tags::kSubBandLowMidAmount: subEq.setLoMiAmount(v); break;
      case Tags::kSubBandHighMidAmount: subEq.setHiMiAmount(v); break;
      case Tags::kSubBandHighAmount: subEq.setHighAmount(v); break;
      case Tags::kFilterLink: mSubBand.crossover.setFilterLink(v > 0.5); break;
      case Tags::kDistoBandGain: mSubBand.setDistoBandGain(v); break;
      case Tags::kSaturation: mOutputSaturator.amount = v; break;
      case Tags::kDumpExpand: mDumpExpand.setDumpExpand(v); break;
      case Tags::kLimiterLevel: mSoftClipper.setThreshold(v); break;
      case Tags::kLimiterMode:
        mSoftClipper.mode = static_cast<uint32_t>(std::floor(v + 0.5));
        if (mSoftClipper.autoMakeUp) mSoftClipper.updateMakeUpGain();
        break;
      case Tags::kAutoMakeUp:
        mSoftClipper.autoMakeUp = v > 0.5;
        if (mSoftClipper.autoMakeUp) mSoftClipper.updateMakeUpGain();
        break;
      default:  // stored only; the block reads some of these from the record
        break;
    }
    // clang-format on
  }
  NotifyGUIChange(paramIdx);
}

void Harshbloom::NotifyGUIChange(int paramIdx) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  updateValueTexts(paramIdx);
  if (IGraphics* gui = GetGUI()) gui->SetParameterFromPlug(paramIdx, param->Value(), false);
}

void Harshbloom::updateSampleRateTexts() {
  // The converted rate, the filter and crossover frequencies and the output
  // sweep's are shown as they are in force at the new rate.
  for (int p : {Tags::kSampleRate, Tags::kFilterCutoff, Tags::kSubBandCutoff, Tags::kDumpExpand})
    updateValueTexts(p);
}

void Harshbloom::updateValueTexts(int paramIdx) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  const Rawnfield::DistortionFx& master = mDistoFx.chains[0];
  const Rawnfield::BandSplitFilter& crossover = mSubBand.crossover;
  char text[kValueTextSize];
  const size_t size = sizeof text;

  switch (paramIdx) {
    case Tags::kInputMode:
      snprintf(text, size, "Input Channel Mode: %s", channelModeWord(mInput.channelMode));
      setValueText(kInputModeTip, text);
      break;
    case Tags::kQuantization:
      snprintf(text, size, "%2.1fbit", master.bitCrasher.bits);
      setValueText(kBitDepthText, text);
      break;
    case Tags::kSampleRate:
      snprintf(text, size, "%lldHz",
               static_cast<long long>(master.smpRateConverter.getConvertedSampleRate()));
      setValueText(kSampleRateText, text);
      break;
    case Tags::kGate:
      if (param->Value() > 0.0)
        snprintf(text, size, "%3.1fdB", 20.0 * std::log10(master.noiseGate.threshold));
      else
        snprintf(text, size, "-oodB");
      setValueText(kGateText, text);
      break;
    case Tags::kDistortion:
      showDistortionPictures();
      break;
    case Tags::kDistortionType:
      updateDistoCurveDisplay();
      break;
    case Tags::kDistortionInterpMode:
      setValueText(kInterpolationText, master.distortion.getInterpolationName().c_str());
      showDistortionPictures();
      break;
    case Tags::kDynShaperType:
      setValueText(kShaperTypeText, master.dynShaper.getShaperText());
      setValueText(kShaperModeText, master.dynShaper.getModeText());
      showShaperPictures();
      break;
    case Tags::kDynShaperMode:
      setValueText(kShaperModeText, master.dynShaper.getModeText());
      showShaperPictures();
      break;
    case Tags::kDynShaper:
    case Tags::kDynShaperInvert:
    case Tags::kDynShaperPosNegBoth:
      showShaperPictures();
      break;
    case Tags::kFilterType:
      snprintf(text, size, "%3.1f%% / %3.1f%%", (1.0 - param->Value()) * 100.0,
               param->Value() * 100.0);
      setValueText(kFilterBalanceText, text);
      break;
    case Tags::kFilterCutoff:
      snprintf(text, size, "%.1lfHz", mFilter.getCutoffFreqHz());
      setValueText(kFilterCutoffText, text);
      break;
    case Tags::kFilterMode1:
      markDirty(kFilter1TypeMenu);
      break;
    case Tags::kFilterMode2:
      markDirty(kFilter2TypeMenu);
      break;
    case Tags::kFilterTransition:
      setValueText(kFilterTransitionText, mFilter.getFilterTransitionText().c_str());
      break;
    case Tags::kBassAmount:
    case Tags::kLowMidAmount:
    case Tags::kHighMidAmount:
    case Tags::kHighAmount:
    case Tags::kSubBandBassAmount:
    case Tags::kSubBandLowMidAmount:
    case Tags::kSubBandHighMidAmount:
    case Tags::kSubBandHighAmount: {
      const bool sub = paramIdx >= Tags::kSubBandBassAmount;
      const Rawnfield::Eq4Band& eq = sub ? mSubBand.eq : mDistoBandEq;
      const int band = paramIdx - (sub ? Tags::kSubBandBassAmount : Tags::kBassAmount);
      const double gains[] = {eq.getBassGainDb(), eq.getLoMiGainDb(), eq.getHiMiGainDb(),
                              eq.getHighGainDb()};
      formatGain(text, size, gains[band]);
      setValueText(static_cast<eValueText>((sub ? kSubEqBassText : kEqBassText) + band), text);
      break;
    }
    case Tags::kSubBandChannelMode:
      snprintf(text, size, "Sub-Band Channel Mode: %s", channelModeWord(mSubBand.channelMode));
      setValueText(kSubBandModeTip, text);
      break;
    case Tags::kFilterLink:
    case Tags::kSubBandCutoff:
    case Tags::kSubBandFilterSlope:
    case Tags::kDistoBandCutoff:
    case Tags::kDistoBandFilterSlope:
      snprintf(text, size, "%.1lfHz", crossover.getSubBandFilterCutoffFreqHz());
      setValueText(kSubBandCutoffText, text);
      snprintf(text, size, "%.1lfHz", crossover.getDistoBandFilterCutoffFreqHz());
      setValueText(kDistoBandCutoffText, text);
      markDirty(kBandFreqDisplay);
      break;
    case Tags::kHqFilter:
      setValueText(kHqFilterTip, mHqFilter.getDescription().c_str());
      [[fallthrough]];
    case Tags::kLimiterMode:
      mLimiterGrayed.store(mSoftClipper.mode == 0);
      markDirty(kLimiterLevelControl);
      ResetMaxLevels();
      break;
    case Tags::kDumpExpand:
    case Tags::kDumpExpandSlope:
      snprintf(text, size, "%d Hz", IFxTruncToInt(mDumpExpand.getDumpExpandFreq()));
      setValueText(kSweepText, text);
      break;
    case Tags::kVolume:
      ResetMaxLevels();
      break;
    default:
      break;
  }
}

void Harshbloom::showDistortionPictures() {
  mDistoFx.updateDistoGuiData(mDistoCurvePicture, kCurvePicturePoints, mDistoPreviewPicture,
                              kPreviewPicturePoints);
  mCurveView.store(kDistortionView);
  markDirty(kCurveEditor);
  markDirty(kCurvePreview);
}

void Harshbloom::showShaperPictures() {
  mDistoFx.updateDynShaperGuiData(mShaperCurvePicture, kCurvePicturePoints, mShaperPreviewPicture,
                                  kPreviewPicturePoints);
  mCurveView.store(kDynShaperView);
  markDirty(kCurveEditor);
  markDirty(kCurvePreview);
}
