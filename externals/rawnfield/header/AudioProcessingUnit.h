#pragma once

namespace Rawnfield {

// Base of the stereo units that have a sample rate and a bypass switch.
// Switching in or out runs a 500-frame gain ramp so it never clicks; each
// unit decides in its process() how it honours the ramp, usually through
// isFadedOut(), crossfade() and advanceFade() below.
class AudioProcessingUnit {
public:
  static constexpr double kFadeInc = 0.002;

  AudioProcessingUnit() = default;
  virtual ~AudioProcessingUnit();

  virtual void setSampleRate(double rate);
  // Starts a ramp towards the new state; a repeated value changes nothing.
  virtual void setBypass(bool on);

  // True once the unit is switched out and its ramp has ended: process()
  // then leaves the block untouched and advances no state.
  bool isFadedOut() const { return bypass && fadeGain == 0.0; }

  // One ramp step, taken after each crossfaded frame; stops at 0 and 1.
  void advanceFade() {
    if (fadeGain != 0.0 && fadeGain != 1.0) {
      const double g = fadeGain + fadeInc;
      fadeGain = g < 0.0 ? 0.0 : (g > 1.0 ? 1.0 : g);
    }
  }

  // Writes the unit's output for n stereo frames: the wet signal when the
  // gain is 1, else (1 - g) dry + g wet frame by frame while the ramp runs.
  // out may be the same block as dry or wet.
  void crossfade(const double* const* dry, const double* const* wet, double* const* out, int n);

  double sampleRate = 44100.0;
  bool bypass = false;
  double fadeGain = 1.0;  // weight of the processed signal against the input
  double fadeInc = kFadeInc;
};

}  // namespace Rawnfield
