#pragma once

namespace Rawnfield {

// Reduces a stereo block to a fractional bit depth by truncating every
// sample towards zero on a grid of 2^bits steps per unit. The first unit of
// each distortion chain; it has no ramp: `off` switches it at once.
class BitCrasher {
public:
  static constexpr double kStartBit = 1.0;
  static constexpr double kMaxBit = 64.0;

  BitCrasher() = default;

  // q = v^2; bits = 1 + 63 q, so v runs from 1 bit (0) to 64 bits (1).
  void setQuantization(double v);
  // In place. Untouched while off, and for q = 1 (full resolution), q
  // above 1 or NaN.
  void process(double** io, int n);

  bool off = false;
  double quantization = 1.0;
  double bits = kMaxBit;
  double scale = 18446744073709551616.0;  // 2^64
};

}  // namespace Rawnfield
