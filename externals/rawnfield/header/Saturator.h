#pragma once

#include <cstdint>

#include "AudioProcessingUnit.h"
#include "DistortionDataProvider.h"
#include "LookUp.h"
#include "UnitMath.h"
#include "WorkBuffer.h"

namespace Rawnfield {

// Which provider curve a saturator shapes with.
enum eSaturatorType : uint32_t {
  kOutputSaturation = 0,  // the output-saturation curve
  kFuzzyFilterDrive = 1,  // the fuzzy-filter-drive curve
};

// Stereo curve saturator: each sample goes through a 512-point transfer
// curve, is multiplied by a smoothed drive (saturation factor x amount) and
// clipped to +-1. While the smoothed amount is below the dry/wet threshold
// the result is mixed with the dry input in proportion to the amount.
//
// Call order: construct, setBlockSize (the largest block), init(provider),
// then setDryWetThreshold when a threshold other than 0.5 is wanted: init
// always resets it to 0.5, so a threshold set before init is lost. Then
// process(). The unit ignores the base's bypass ramp.
class Saturator : public AudioProcessingUnit {
public:
  static constexpr double kStdSaturationFactor = 5.0;
  static constexpr double kHardSaturationFactor = 10.777;
  static constexpr double kWarmSaturationFactor = 2.5;
  static constexpr double kDryWetThreshold = 0.5;       // set by init
  static constexpr double kFastDryWetThreshold = 0.25;  // what the owners set after init
  static constexpr int kDefaultBlockSize = 1024;

  explicit Saturator(eSaturatorType type);
  ~Saturator() override;

  // Grows both scratch buffers to n (never shrinks) and zeroes them.
  void setBlockSize(int n);
  // Loads the type's curve (NaN and infinities as 0, clamped), reads it
  // linearly, sets the threshold to 0.5 and the smoothers to 0.9777.
  void init(DistortionDataProvider& provider);
  void setDryWetThreshold(double t);
  // Always mode 1 at the standard factor, whatever v is.
  void setMode(double v);
  // Stereo, in place. Untouched while the amount is exactly 0 (the
  // smoothers then hold). Blocks longer than the scratch buffers are
  // processed in pieces, with the same result.
  void process(double** io, int n);

  double amount = 0.0;  // target, 0..1, written directly by the owner
  double dryWetThreshold = kDryWetThreshold;
  double inverseThreshold = 1.0 / kDryWetThreshold;
  double saturationFactor = kStdSaturationFactor;
  Smoother amountSmoother{0.99};
  Smoother factorSmoother{0.99};
  LookUp curve{512};
  eSaturatorType type;
  uint32_t mode = 1;
  WorkBuffer scratchLeft;
  WorkBuffer scratchRight;

private:
  void processPiece(double* left, double* right, int n);
  // Through copies of the input, frame by frame: when the two channels
  // share memory, the second channel's dry part is the first one's result.
  void processShared(double* left, double* right, int n);
};

}  // namespace Rawnfield
