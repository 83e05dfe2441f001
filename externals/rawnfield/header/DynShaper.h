#pragma once

#include <cstdint>

#include "AudioProcessingUnit.h"
#include "UnitMath.h"

namespace Rawnfield {

// Bump profiles of the dynamic shaper.
enum eDynShaperType : uint32_t {
  kShaperSine = 0,
  kShaperTriangle = 1,
  kShaperPulse = 2,
};

// Shaping modes: an optional saturating limit on the bump and an optional
// boost before shaping.
enum eDynShaperMode : uint32_t {
  kShaperPlain = 0,
  kShaperSaturated = 1,
  kShaperBoost = 2,
  kShaperBoostSaturated = 3,
};

// Adds a bump to the magnitude of each sample. The bump covers a window of
// magnitudes of fixed width that slides from near full scale (small amount)
// to near zero (full amount), and grows with the amount. The last unit of
// each distortion chain.
//
// The bypass ramp scales the effective amount instead of crossfading, so
// the output glides back to the input while switching out (towards silence
// in the boost modes, whose pre-gain falls with the amount).
class DynShaper : public AudioProcessingUnit {
public:
  static constexpr double kShapeGain = 0.777;  // bump height per unit of amount
  static constexpr double kDefaultPeakWidth = 0.25;
  static constexpr double kMinPeakWidth = 0.0;
  static constexpr double kMaxPeakWidth = 0.777;
  static constexpr double kMaxShapeSat = 4.0;   // factor of the saturating limit
  static constexpr double kMaxBoostGain = 5.0;  // boost per unit of amount

  // Apply modes: which polarity is shaped.
  enum eApplyMode : int32_t {
    kApplyBoth = 0,
    kApplyPositive = 1,  // negative samples pass unshaped
    kApplyNegative = 2,  // samples >= 0 pass unshaped
  };

  DynShaper() = default;
  ~DynShaper() override;

  // amount = v^2 (a non-finite v gives 0).
  void setAmount(double v);
  double getAmount() const { return amount; }
  void setType(double v);
  uint32_t getType() const { return type; }
  const char* getShaperText() const;
  void setMode(double v);
  uint32_t getMode() const { return mode; }
  const char* getModeText() const;
  void setApplyMode(double v);
  int32_t getApplyMode() const { return applyMode; }
  void setInvert(bool on) { invert = on; }
  bool getInvert() const { return invert; }
  // The width stays fixed; how a width setting would map is not settled.
  void setPeakWidth(double) {}
  double getPeakWidth() const { return peakWidth; }

  // Normalised settings that select a type or a mode (factory programs).
  static double getShaperTypeSel(eDynShaperType t) { return t * 0.5; }
  static double getShaperModeSel(eDynShaperMode m) { return m / 3.0; }

  // Stereo, in place. mod, when given, scales the amount frame by frame.
  void process(double** io, double* mod, int n);
  // The editor's pictures at the amount as set: nCurve points of the
  // transfer curve over [-1, 1) and nWave samples of one shaped sine period.
  void updateGUIData(double* curve, int nCurve, double* wave, int nWave) const;

  // One sample shaped with the effective amount e.
  double shape(double x, double e) const;

  Smoother amountSmoother{0.99};
  double amount = 0.0;
  double peakWidth = kDefaultPeakWidth;
  uint32_t type = kShaperSine;
  bool invert = false;
  uint32_t mode = kShaperPlain;
  int32_t applyMode = kApplyBoth;
};

}  // namespace Rawnfield
