#include "ADSR.h"

#include <cmath>
#include <cstring>

namespace Rawnfield {

namespace {

constexpr double kMinRatio = 1e-9;
constexpr double kRatioFloor = 1.9800523e-6;

double atLeastMinRatio(double r) {
  return r > kMinRatio ? r : kMinRatio;
}

}  // namespace

ADSR::ADSR(const std::string& n) : name(n) {
  setShape(0.3);
}

double ADSR::calcCoef(double rate, double ratio) {
  if (rate <= 0.0) return 0.0;
  return std::exp(-std::log((1.0 + ratio) / ratio) / rate);
}

void ADSR::updateAttack() {
  attackCoef = calcCoef(attackRate, targetRatioA);
  attackBase = (1.0 - attackCoef) * (1.0 + targetRatioA);
}

void ADSR::updateDecay() {
  decayCoef = calcCoef(decayRate, targetRatioDR);
  decayBase = (1.0 - decayCoef) * (sustainLevel - targetRatioDR);
}

void ADSR::updateRelease() {
  releaseCoef = calcCoef(releaseRate, targetRatioDR);
  releaseBase = -targetRatioDR * (1.0 - releaseCoef);
}

void ADSR::setAttack(double t) {
  attackRate = rateOf(t);
  updateAttack();
}

void ADSR::setDecay(double t) {
  decayRate = rateOf(t);
  updateDecay();
}

void ADSR::setRelease(double t) {
  releaseRate = rateOf(t);
  updateRelease();
}

void ADSR::setSustain(double s) {
  sustainLevel = s;
  updateDecay();
  updateRelease();
}

void ADSR::setShape(double v) {
  shape = v;
  const double v3 = v * v * v;
  targetRatioDR = atLeastMinRatio(4.0 * v3 + kRatioFloor);
  targetRatioA = atLeastMinRatio(20.0 * v3 + kRatioFloor);
  updateAttack();
  updateDecay();
  updateRelease();
}

void ADSR::setTargetRatioA(double r) {
  targetRatioA = atLeastMinRatio(r);
  updateAttack();
}

void ADSR::setTargetRatioDR(double r) {
  targetRatioDR = atLeastMinRatio(r);
  updateDecay();
  updateRelease();
}

void ADSR::setDuration(double d) {
  const double scale = d < 0.001 ? 0.005 : 5.0 * d;
  const double k = scale / durationScale;
  durationScale = scale;
  attackRate *= k;
  decayRate *= k;
  releaseRate *= k;
  updateAttack();
  updateDecay();
  updateRelease();
}

namespace {

// A segment's share of the n points for a time control's rate: rate / T of
// a third of the width, whole points, never below 0 nor above room. Time
// controls above 1 would otherwise run the segments off the end.
int segmentPoints(double points, int room) {
  if (!(points > 0.0)) return 0;
  return points >= room ? room : static_cast<int>(points);
}

}  // namespace

void ADSR::getGuiData(double* buf, int n, double gain) const {
  if (!buf || n < 1) return;
  std::memset(buf, 0, sizeof(double) * n);
  const double T = sampleRate * durationScale;
  const double a = attackRate / T * n / 3.0;
  const double r = releaseRate / T * n / 3.0;
  const int na = segmentPoints(a, n);
  const int nr = segmentPoints(r, n - na);
  const int nd = n - na - nr;

  const double ca = calcCoef(a, targetRatioA);
  const double cd = nd > 0 ? calcCoef(n * decayRate / T * 0.777 * n / nd, targetRatioDR) : 0.0;
  const double cr = calcCoef(r, targetRatioDR);

  double y = 0.0;
  for (int i = 0; i < na; ++i) {
    y = y * ca + (1.0 - ca) * (1.0 + targetRatioA);
    if (y > 1.0) y = 1.0;
    buf[i] = y * gain;
  }
  y = 1.0;
  for (int i = na; i < n - nr; ++i) {
    y = y * cd + (1.0 - cd) * (sustainLevel - targetRatioDR);
    if (y <= sustainLevel) y = sustainLevel;
    buf[i] = y * gain;
  }
  for (int i = n - nr; i < n; ++i) {
    y = y * cr - targetRatioDR * (1.0 - cr);
    if (y <= 0.0) y = 0.0;
    buf[i] = y * gain;
  }
  buf[0] = 0.0;
  buf[n - 1] = 0.0;
}

}  // namespace Rawnfield
