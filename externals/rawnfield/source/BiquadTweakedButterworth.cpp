#include "BiquadTweakedButterworth.h"

#include <cmath>

#include "GenMath.h"

namespace Rawnfield {

namespace {

constexpr double kSqrt2 = 1.4142135623730951;

// The cutoff as a fraction of the sample rate: the shaped control times
// half the scale, never below the floor. Controls above 1 count as 1, so the
// cutoff stays below half the rate (at most 0.4785 of it).
template <typename T>
T cutoffFraction(double c, uint32_t curve, T scale, T floorValue) {
  T k = c;
  if (curve == 1) k = k * k;
  else if (curve == 2) k = k * k * k;
  if (k > 1) k = 1;
  const T fc = k * 0.5 * scale;
  return fc > floorValue ? fc : floorValue;
}

// Runs one sample through the section; a section that has gone non-finite
// is cleared and gives 0.
template <class F>
double tick(F& f, double in) {
  f.x = in;
  f.y = f.c0 * in + f.c1 * f.x1 + f.c2 * f.x2 - f.d1 * f.y1 - f.d2 * f.y2;
  if (!std::isfinite(f.y)) {
    f.reset();
    return 0.0;
  }
  f.x2 = f.x1;
  f.x1 = in;
  f.y2 = f.y1;
  f.y1 = f.y;
  return f.y;
}

}  // namespace

template <typename T>
double BiquadTweakedButterworthHP<T>::process(double in, double cutoff, double resonance) {
  const T fc = cutoffFraction<T>(cutoff, cutoffCurve, cutoffScale, minCutoff);
  K = std::tan(GenMath::kPi * fc);
  const T d = kSqrt2 - resonance * kSqrt2;
  const T n = 1 / (1 + d * K + K * K);
  c0 = n;
  c1 = -2 * n;
  c2 = n;
  d1 = 2 * (K * K - 1) * n;
  d2 = (1 - d * K + K * K) * n;
  return tick(*this, in);
}

template <typename T>
double BiquadTweakedButterworthLP<T>::process(double in, double cutoff, double resonance) {
  const T fc = cutoffFraction<T>(cutoff, cutoffCurve, cutoffScale, minCutoff);
  K = 1 / std::tan(GenMath::kPi * fc);
  const T d = kSqrt2 - resonance * resonanceLimit * kSqrt2;
  const T n = 1 / (1 + d * K + K * K);
  c0 = n;
  c1 = 2 * n;
  c2 = n;
  d1 = 2 * (1 - K * K) * n;
  d2 = (1 - d * K + K * K) * n;
  return tick(*this, in);
}

template class BiquadTweakedButterworthHP<double>;
template class BiquadTweakedButterworthLP<double>;

}  // namespace Rawnfield
