#include "Saturator.h"

#include <cstring>

#include "CurveMath.h"

namespace Rawnfield {

Saturator::Saturator(eSaturatorType t)
    : type(t), scratchLeft(kDefaultBlockSize), scratchRight(kDefaultBlockSize) {}

Saturator::~Saturator() {}

void Saturator::setBlockSize(int n) {
  scratchLeft.growCleared(n);
  scratchRight.growCleared(n);
}

void Saturator::init(DistortionDataProvider& provider) {
  const DistoData* source = nullptr;
  if (type == kOutputSaturation)
    source = &provider.getCurve(DistortionDataProvider::kOutputSaturationCurve);
  else if (type == kFuzzyFilterDrive)
    source = &provider.getCurve(DistortionDataProvider::kFuzzyFilterDriveCurve);
  if (source && source->data && source->size >= 512 && curve.size == 512)
    CurveMath::loadClamped(curve.base.data, source->data, 512);
  // Whatever happened above: an earlier setDryWetThreshold is overwritten.
  setDryWetThreshold(kDryWetThreshold);
  curve.interpolation = Types::kLinearInterpolation;
  amountSmoother.setCoefficient(0.9777);
  factorSmoother.setCoefficient(0.9777);
}

void Saturator::setDryWetThreshold(double t) {
  dryWetThreshold = t;
  inverseThreshold = 1.0 / t;
}

void Saturator::setMode(double) {
  mode = 1;
  saturationFactor = kStdSaturationFactor;
}

void Saturator::process(double** io, int n) {
  if (amount == 0.0) return;
  if (!UnitMath::isBlock(io, n)) return;
  const int capacity = scratchLeft.capacity;
  if (capacity < 1) return;
  for (int done = 0; done < n;) {
    const int m = n - done < capacity ? n - done : capacity;
    processPiece(io[0] + done, io[1] + done, m);
    done += m;
  }
}

void Saturator::processPiece(double* left, double* right, int n) {
  std::memcpy(scratchLeft.data, left, sizeof(double) * n);
  std::memcpy(scratchRight.data, right, sizeof(double) * n);
  double* shaped[2] = {scratchLeft.data, scratchRight.data};
  curve.process(shaped, n);
  // A non-finite amount would poison the smoother for good; it glides
  // towards 0 instead.
  const double target = CurveMath::finiteOrZero(amount);
  double* out[2] = {left, right};
  for (int i = 0; i < n; ++i) {
    const double s = amountSmoother.next(target);
    const double g = factorSmoother.next(saturationFactor);
    const bool mix = dryWetThreshold > s;
    const double w = s * inverseThreshold;
    for (int c = 0; c < 2; ++c) {
      const double y = CurveMath::clampUnit(shaped[c][i] * g * s);
      out[c][i] = mix ? w * y + (1.0 - w) * out[c][i] : y;
    }
  }
}

}  // namespace Rawnfield
