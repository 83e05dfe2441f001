#pragma once

#include <vector>

#include "StoredWaveforms.h"

namespace Rawnfield {

// The computed single cycles of the waveform provider: 18 arrays of
// kWaveformLength values, zeros until the provider fills them.
// Index: 0 Sine, 1 square (feeds no table), 2 Noize, 3..5 Low-Q Noise 1..3,
// 6 (feeds no table), 7 Wave-Scape, 8 Wave-Garden, 9 Wave-Vibe,
// 10 S-Receptor, 11 D-Receptor, 12 Pyrokinesis, 13 Shikoku, 14 KIC 8462852,
// 15 Synapsis, 16 Brick-Breaker, 17 Geo-Chirp.
class RnWaveForms {
public:
  static constexpr int kCount = 18;

  RnWaveForms();

  double* operator[](int k) { return arrays[k].data(); }
  const double* operator[](int k) const { return arrays[k].data(); }

private:
  std::vector<double> arrays[kCount];
};

}  // namespace Rawnfield
