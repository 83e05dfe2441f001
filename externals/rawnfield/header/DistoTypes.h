#pragma once

#include <cstdint>

namespace Rawnfield {
namespace Types {

// The selectable distortion types; the numbers are stored in programs as t/42.
enum eDistortionType : int {
  kLinear = 0,
  kCompressor,
  kSoftKneeCompressor,
  kLimiter,
  kSoftKneeLimiter,
  kWarmSaturation,
  kClassicSaturation,
  kHardOverload,
  kRNSigmoid1Drive,
  kRNSigmoid2Drive,
  kRNSigmoid3Drive,
  kZadiredFuzz,
  kTroskFuzz,
  kZRMFuzz1,
  kZRMFuzz2,
  kSoftTubeDistort,
  kTubeDistort,
  kTransistor,
  kFullClip,
  kFuzzDrive1,
  kHardcoreFuzz1,
  kHardcoreFuzz2,
  kHardcoreFuzz3,
  kHardcoreFuzz4,
  kIndustrialFuzz1,
  kRawnfieldDrive1,
  kRawnfieldDrive2,
  kRawnfieldDrive3,
  kRawnfieldDrive4,
  kQuellbrandFuzz1,
  kQuellbrandFuzz2,
  kQuellbrandFuzz3,
  kInvertAndDrive,
  kBigBadDrive,
  kBigFatDrive,
  kViciousViper,
  kAssKicking,
  kTigersBlood,
  kMadCat,
  kRadivaZuvavuza,
  kDidudoRivadQzar,
  kThrashcoreZrm,
  kNumDistortionTypes,  // 42: also the top position of the type control
};

// Display names, which are also the type words of the program file.
extern const char* const kDistortionTypeNames[kNumDistortionTypes];

enum eDistoInterpolation : uint32_t {
  kNoInterpolation = 0,
  kLinearInterpolation = 1,
  kCosineInterpolation = 2,
};

// Which half of a curve comes from its second table.
enum eDistoPolarity : uint32_t {
  kPolarityBaseOnly = 0,
  kPolaritySecondNegative = 1,
  kPolaritySecondPositive = 2,
};

// 0 scales the shaped signal by up to 2; 1 drives it; 2 drives it and adds
// a sine-shaped soft limit after the clip.
enum eDistoMode : uint32_t {
  kDistoModeShape = 0,
  kDistoModeDrive = 1,
  kDistoModeDriveSine = 2,
};

enum eDistoCurveAction : int32_t {
  kRestoreCurve = 0,
  kNormalizeCurve = 1,
  kSmoothCurve = 2,
  kSmoothZeroCrossing = 3,
  kAddNoise = 4,
  kQuantizeCurve = 5,
  kResetCurve = 7,
  kNoCurveAction = 8,  // nothing pending
};

// Menu names of the curve actions by code; code 6 has none (null).
extern const char* const kDistoCurveActionNames[8];

}  // namespace Types
}  // namespace Rawnfield
