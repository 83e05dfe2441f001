#include "AudioProcessingUnit.h"

namespace Rawnfield {

AudioProcessingUnit::~AudioProcessingUnit() {}

void AudioProcessingUnit::setSampleRate(double rate) {
  sampleRate = rate;
}

void AudioProcessingUnit::setBypass(bool on) {
  if (on == bypass) return;  // a running ramp is not restarted
  bypass = on;
  fadeInc = on ? -kFadeInc : kFadeInc;
  fadeGain = (on ? 1.0 : 0.0) + fadeInc;
}

void AudioProcessingUnit::crossfade(const double* const* dry, const double* const* wet,
                                    double* const* out, int n) {
  if (n < 1) return;
  if (fadeGain == 1.0) {
    for (int c = 0; c < 2; ++c) {
      if (out[c] == wet[c]) continue;
      for (int i = 0; i < n; ++i) out[c][i] = wet[c][i];
    }
    return;
  }
  for (int i = 0; i < n; ++i) {
    const double g = fadeGain;
    out[0][i] = (1.0 - g) * dry[0][i] + g * wet[0][i];
    out[1][i] = (1.0 - g) * dry[1][i] + g * wet[1][i];
    advanceFade();
  }
}

}  // namespace Rawnfield
