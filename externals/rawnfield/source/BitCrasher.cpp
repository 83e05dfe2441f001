#include "BitCrasher.h"

#include <cmath>

#include "../DspLib/Lanes.h"
#include "UnitMath.h"

namespace Rawnfield {

void BitCrasher::setQuantization(double v) {
  quantization = v * v;
  if (quantization == 1.0) {
    bits = kMaxBit;
    scale = std::exp2(kMaxBit);
    return;
  }
  bits = kStartBit + (kMaxBit - kStartBit) * quantization;
  scale = std::exp2(bits);
}

void BitCrasher::process(double** io, int n) {
  if (off || !(quantization < 1.0)) return;
  if (!UnitMath::isBlock(io, n)) return;
  const Dsp::Lanes s = Dsp::splat(scale);
  for (int c = 0; c < 2; ++c) {
    double* x = io[c];
    // Truncation in floating point holds for every magnitude.
    int i = 0;
    for (; i + 2 <= n; i += 2)
      Dsp::storeLanes(x + i, Dsp::truncateLanes(Dsp::loadLanes(x + i) * s) / s);
    if (i < n) x[i] = std::trunc(x[i] * scale) / scale;
  }
}

}  // namespace Rawnfield
