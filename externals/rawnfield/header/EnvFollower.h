#pragma once

#include "AudioProcessingUnit.h"

namespace Rawnfield {

// Stereo peak envelope follower for the level display. It reads the audio
// and never changes it; nothing switches its bypass.
class EnvFollower : public AudioProcessingUnit {
public:
  static constexpr double kDefaultTime = 0.3;  // seconds

  EnvFollower();
  ~EnvFollower() override;

  // Stores the rate, then recomputes both coefficients from the times:
  // coef = exp(-1 / (rate x time)). Time changes take effect only here.
  void setSampleRate(double rate) override;
  // Follows a stereo block: per channel, x = min(|sample|, 1) (NaN as 0),
  // then envelope = k envelope + (1 - k) x with the attack factor while x
  // is above the envelope and the release factor otherwise.
  void process(const double* const* io, int n);
  // The level meter's fall between blocks: floor(m / 20) steps with input
  // 0, m = sampleRate x releaseTime truncated; nothing when m < 20.
  void decayBetweenBlocks();

  double attackTime = kDefaultTime;
  double releaseTime = kDefaultTime;
  double attackCoef;
  double releaseCoef;
  double envelope[2] = {0.0, 0.0};

private:
  void follow(int channel, double x);
};

}  // namespace Rawnfield
