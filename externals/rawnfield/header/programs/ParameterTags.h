#pragma once

#include <cstdint>

namespace Rawnfield {
namespace Harshbloom {

// The effect's parameter index. The same number addresses a value in the
// program record, its line in a program file, the plug-in parameter and the
// value's position in a state chunk. 65..84 are reserved: they have keys
// but no value. kNoParameter is what a failed key lookup gives.
enum eParameterTags : int32_t {
  kInputVolume = 0,
  kInputDCOffset,
  kInputSaturation,
  kInputSaturationMode,
  kInputMode,
  kQuantization,
  kSampleRate,
  kGate,
  kDistortionOnOff,
  kDistortion,
  kDistortionType,  // 10
  kDistortionLoudness,
  kDistortionInterpMode,
  kDistortionPosNegBoth,
  kDistortionPreProcess,
  kDistortionPostProcess,
  kDynShaper,
  kDynShaperWidth,
  kDynShaperInvert,
  kDynShaperType,
  kDynShaperMode,  // 20
  kDynShaperPosNegBoth,
  kFilterOnOff,
  kFilterInputDrive,
  kFilterType,  // the balance of the two filters, not a type
  kFilterCutoff,
  kFilterResonance,
  kFilterMode1,
  kFilterMode2,
  kFilterTransition,
  kEqOnOff,  // 30
  kBassAmount,
  kLowMidAmount,
  kHighMidAmount,
  kHighAmount,
  kSubBandProcOnOff,
  kSubBandChannelMode,
  kSubBandGain,
  kSubBandSaturation,
  kSubBandSaturationMode,
  kSubBandDistortion,  // 40
  kSubBandEqOnOff,
  kSubBandBassAmount,
  kSubBandLowMidAmount,
  kSubBandHighMidAmount,
  kSubBandHighAmount,
  kFilterLink,
  kSubBandCutoff,
  kSubBandFilterSlope,
  kDistoBandCutoff,
  kDistoBandFilterSlope,  // 50
  kDistoBandGain,
  kBypassFX,
  kPan,
  kSaturation,
  kSaturationMode,
  kHqFilter,
  kDumpExpand,
  kDumpExpandSlope,
  kLimiterLevel,
  kLimiterMode,  // 60
  kOversampling,
  kDryWet,
  kVolume,
  kAutoMakeUp,
  kReserved01,  // 65
  kReserved20 = kReserved01 + 19,  // 84
  kNumParameters,  // 85
  kNoParameter = kNumParameters,
};

// Tags 0..64 carry a value.
constexpr int kNumProgramValues = kReserved01;
constexpr int kNumReservedParameters = kNumParameters - kReserved01;

}  // namespace Harshbloom
}  // namespace Rawnfield
