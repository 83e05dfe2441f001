#include "InputProcessor.h"

#include <cstring>

#include "Settling.h"

namespace Rawnfield {

const char* const kChannelModeNames[kNumChannelModes] = {
    "Stereo", "Inverse Stereo", "Mono Mix (L+R)", "Mono L/L", "Mono R/R",
};

InputProcessor::~InputProcessor() {}

void InputProcessor::init(DistortionDataProvider& provider) {
  offsetSmoother.setCoefficient(0.999);
  volumeSmoother.setCoefficient(0.9777);
  inputSaturator.init(provider);
  inputSaturator.setDryWetThreshold(Saturator::kFastDryWetThreshold);
}

void InputProcessor::setBlockSize(int n) {
  scratch.grow(n);
  inputSaturator.setBlockSize(n);
}

void applyChannelMode(uint32_t mode, double* left, double* right, int n, WorkBuffer& scratch) {
  const size_t bytes = sizeof(double) * n;
  switch (mode) {
    case kInverseStereo: {
      // Through the scratch, in pieces it can hold.
      const int piece = scratch.capacity;
      if (piece < 1) {
        for (int i = 0; i < n; ++i) {
          const double l = left[i];
          left[i] = right[i];
          right[i] = l;
        }
        break;
      }
      for (int done = 0; done < n; done += piece) {
        const size_t m = sizeof(double) * (n - done < piece ? n - done : piece);
        std::memcpy(scratch.data, left + done, m);
        std::memcpy(left + done, right + done, m);
        std::memcpy(right + done, scratch.data, m);
      }
      break;
    }
    case kMonoMix:
      for (int i = 0; i < n; ++i) left[i] = right[i] = (left[i] + right[i]) * 0.5;
      break;
    case kMonoLeft:
      std::memcpy(right, left, bytes);
      break;
    case kMonoRight:
      std::memcpy(left, right, bytes);
      break;
    default:  // stereo, and any other code
      break;
  }
}

void InputProcessor::applyChannelMode(double* left, double* right, int n) {
  Rawnfield::applyChannelMode(channelMode, left, right, n, scratch);
}

void InputProcessor::process(double** io, int n) {
  if (!UnitMath::isBlock(io, n)) return;
  double* left = io[0];
  double* right = io[1];
  applyChannelMode(left, right, n);
  Settling::scaleBoth(volumeSmoother, volume, left, right, n);
  // Exactly 0.5 adds nothing and holds the smoother, so a later offset
  // starts from the value it had reached.
  if (offset != 0.5) Settling::offsetBoth(offsetSmoother, 2.0 * offset - 1.0, left, right, n);
  inputSaturator.process(io, n);
}

}  // namespace Rawnfield
