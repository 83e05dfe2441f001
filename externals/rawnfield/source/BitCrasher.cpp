#include "BitCrasher.h"

#include <cmath>

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
  for (int c = 0; c < 2; ++c) {
    double* x = io[c];
    // Truncation in floating point holds for every magnitude.
    for (int i = 0; i < n; ++i) x[i] = std::trunc(x[i] * scale) / scale;
  }
}

}  // namespace Rawnfield
