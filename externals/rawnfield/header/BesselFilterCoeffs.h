#pragma once

// Coefficients of an eighth-order all-pole low-pass made from the Bessel
// prototype by the matched-z transform: y = c0 x + c1 y[-1] + ... + c8 y[-8].
struct KIT_BesselFilterCoeffs {
  static constexpr int kOrder = 8;
  static constexpr int kNumPoles = 30;

  // s-plane poles of the Bessel low-pass prototypes of orders 1 to 10,
  // -3 dB at 1 rad/s: one (real, imaginary >= 0) entry per conjugate pair
  // or real pole, the orders one after another (order n starts at the sum of
  // ceil(k/2) over k < n).
  static const double mPoles[kNumPoles][2];
  static constexpr int kFirstPoleOfOrder8 = 16;

  // alpha: the cut-off as a fraction of the rate the filter runs at. The
  // gain c0 makes the response 1 at zero frequency.
  static KIT_BesselFilterCoeffs Calc(double alpha);

  double c[kOrder + 1] = {};
};
