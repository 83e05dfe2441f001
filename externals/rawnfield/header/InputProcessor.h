#pragma once

#include <cstdint>

#include "DistortionDataProvider.h"
#include "Saturator.h"
#include "UnitMath.h"
#include "WorkBuffer.h"

namespace Rawnfield {

// Channel modes of the input stage (and of the sub-band path).
enum eChannelMode : uint32_t {
  kStereo = 0,
  kInverseStereo = 1,  // (R, L)
  kMonoMix = 2,        // both (L + R) / 2
  kMonoLeft = 3,       // (L, L)
  kMonoRight = 4,      // (R, R)
  kNumChannelModes = 5,
};

// Display names of the channel modes by code.
extern const char* const kChannelModeNames[kNumChannelModes];

// Applies a channel mode to a stereo block in place (the swap goes through
// scratch, in pieces it can hold); any other code changes nothing.
void applyChannelMode(uint32_t mode, double* left, double* right, int n, WorkBuffer& scratch);

// The effect's input stage: channel mode, input volume, DC offset and input
// saturation, in that order. The owner writes volume, offset, channelMode
// and inputSaturator.amount from its parameters.
class InputProcessor {
public:
  InputProcessor() = default;
  virtual ~InputProcessor();

  // The owner's set-up once the curve provider is built: smoother speeds
  // (0.999 offset, 0.9777 volume), then the saturator's init and only after
  // it the fast dry/wet threshold (init resets the threshold).
  void init(DistortionDataProvider& provider);
  // Grows the channel-swap scratch and the saturator's buffers to n frames
  // (the largest block times the oversampling factor).
  void setBlockSize(int n);
  // One stereo block in place.
  void process(double** io, int n);

  double volume = 1.0;
  double offset = 0.5;  // 0.5: no offset
  Smoother offsetSmoother{0.99};
  Smoother volumeSmoother{0.99};
  uint32_t channelMode = kStereo;
  WorkBuffer scratch;
  Saturator inputSaturator{kOutputSaturation};

private:
  void applyChannelMode(double* left, double* right, int n);
};

}  // namespace Rawnfield
