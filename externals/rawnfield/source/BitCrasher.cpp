#include "BitCrasher.h"

#include <cmath>

#include "UnitLanes.h"
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

namespace {

// Samples from..n of both channels, kCount<V> at a time, truncated on the
// grid of `scale` steps per unit; returns where it stopped. Truncation in
// floating point holds for every magnitude.
template <class V>
RN_INLINE int crush(double* const* io, int from, int n, double scale) {
  constexpr int N = UnitLanes::kCount<V>;
  V s;
  UnitLanes::splat(s, scale);
  const int count = n - from >= N ? (n - from) / N : 0;
  for (int c = 0; c < 2; ++c) {
    double* x = io[c] + from;
    for (int k = 0; k < count; ++k, x += N) {
      V v;
      UnitLanes::load(v, x);
      v = v * s;
      UnitLanes::truncate(v);
      UnitLanes::store(x, v / s);
    }
  }
  return from + count * N;
}

#if defined(DSP_WIDE_LANES)
// The wide forms leave the wide registers themselves: an inlined
// instruction instead of a call on the way back.
DSP_WIDE int crushWide(double* const* io, int n, double scale) {
  const int i = crush<UnitLanes::Four>(io, 0, n, scale);
  Dsp::leaveWideLanes();
  return i;
}
DSP_WIDEST int crushWidest(double* const* io, int n, double scale) {
  const int i = crush<UnitLanes::Eight>(io, 0, n, scale);
  Dsp::leaveWideLanes();
  return i;
}
#endif

}  // namespace

void BitCrasher::process(double** io, int n) {
  if (off || !(quantization < 1.0)) return;
  if (!UnitMath::isBlock(io, n)) return;
  int i = 0;
#if defined(DSP_WIDE_LANES)
  const Dsp::LaneWidth lanes = Dsp::laneWidth();
  if (lanes >= Dsp::kWidestLanes)
    i = crushWidest(io, n, scale);
  else if (lanes >= Dsp::kWideLanes)
    i = crushWide(io, n, scale);
  // Blocks of a multiple of the width end here, without the narrow
  // loops' constants.
  if (i == n) return;
#endif
  i = crush<Dsp::Lanes>(io, i, n, scale);
  crush<double>(io, i, n, scale);
}

}  // namespace Rawnfield
