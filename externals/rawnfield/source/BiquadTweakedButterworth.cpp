#include "BiquadTweakedButterworth.h"

#include <cmath>

#include "GenMath.h"

namespace Rawnfield {

namespace {

constexpr double kSqrt2 = 1.4142135623730951;

}  // namespace

// The shaped control times half the scale, never below the floor. Controls
// above 1 count as 1, so the cutoff stays below half the rate (at most
// 0.4785 of it).
template <typename T>
T BiquadTweakedButterworthBase<T>::cutoffFraction(double c) const {
  T k = c;
  if (cutoffCurve == 1) k = k * k;
  else if (cutoffCurve == 2) k = k * k * k;
  if (k > 1) k = 1;
  const T fc = k * 0.5 * cutoffScale;
  return fc > minCutoff ? fc : minCutoff;
}

// A section that has gone non-finite is cleared and gives 0.
template <typename T>
double BiquadTweakedButterworthBase<T>::tick(double in) {
  x = in;
  y = c0 * in + c1 * x1 + c2 * x2 - d1 * y1 - d2 * y2;
  if (!std::isfinite(y)) {
    reset();
    return 0.0;
  }
  x2 = x1;
  x1 = in;
  y2 = y1;
  y1 = y;
  return y;
}

template <typename T>
double BiquadTweakedButterworthHP<T>::process(double in, double cutoff, double resonance) {
  T& K = this->K;
  K = std::tan(GenMath::kPi * this->cutoffFraction(cutoff));
  const T d = kSqrt2 - resonance * kSqrt2;
  const T n = 1 / (1 + d * K + K * K);
  this->c0 = n;
  this->c1 = -2 * n;
  this->c2 = n;
  this->d1 = 2 * (K * K - 1) * n;
  this->d2 = (1 - d * K + K * K) * n;
  return this->tick(in);
}

template <typename T>
double BiquadTweakedButterworthLP<T>::process(double in, double cutoff, double resonance) {
  T& K = this->K;
  K = 1 / std::tan(GenMath::kPi * this->cutoffFraction(cutoff));
  const T d = kSqrt2 - resonance * resonanceLimit * kSqrt2;
  const T n = 1 / (1 + d * K + K * K);
  this->c0 = n;
  this->c1 = 2 * n;
  this->c2 = n;
  this->d1 = 2 * (1 - K * K) * n;
  this->d2 = (1 - d * K + K * K) * n;
  return this->tick(in);
}

template class BiquadTweakedButterworthBase<double>;
template class BiquadTweakedButterworthHP<double>;
template class BiquadTweakedButterworthLP<double>;

}  // namespace Rawnfield
