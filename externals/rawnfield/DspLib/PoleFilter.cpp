#include "PoleFilter.h"

#include <cmath>

namespace Dsp {

namespace {

// Band edges stay strictly inside (0, pi).
const double kMinBandEdge = 1e-8;
const double kMaxBandEdge = 3.141592643589793;

}  // namespace

std::vector<PoleZeroPair> PoleFilterBase2::getPoleZeros() const {
  std::vector<PoleZeroPair> result;
  const int pairs = (m_digitalProto.getNumPoles() + 1) / 2;
  for (int i = 0; i < pairs; ++i) result.push_back(m_digitalProto[i]);
  return result;
}

//------------------------------------------------------------------------------

namespace {

// Maps every analog pole and zero to one digital pole and zero: conjugate pairs first, then
// the single real pole of an odd order.
template <class Transform>
void mapOneToOne(const Transform& t, LayoutBase& digital, const LayoutBase& analog) {
  const int numPoles = analog.getNumPoles();
  const int pairs = numPoles / 2;
  for (int i = 0; i < pairs; ++i) {
    const PoleZeroPair& pair = analog[i];
    digital.addConjugatePairs(t.transform(pair.poles.first), t.transform(pair.zeros.first));
  }
  if (numPoles & 1) {
    const PoleZeroPair& pair = analog[pairs];
    digital.addSingle(t.transform(pair.poles.first), t.transform(pair.zeros.first));
  }
}

}  // namespace

LowPassTransform::LowPassTransform(double fc, LayoutBase& digital, const LayoutBase& analog) {
  digital.reset();

  f = std::tan(kPi * fc);

  mapOneToOne(*this, digital, analog);

  digital.setNormal(analog.getNormalW(), analog.getNormalGain());
}

complex_t LowPassTransform::transform(complex_t c) const {
  if (isInfinity(c)) return complex_t(-1, 0);
  c = f * c;
  return (1. + c) / (1. - c);
}

//------------------------------------------------------------------------------

HighPassTransform::HighPassTransform(double fc, LayoutBase& digital, const LayoutBase& analog) {
  digital.reset();

  f = 1. / std::tan(kPi * fc);

  mapOneToOne(*this, digital, analog);

  digital.setNormal(kPi - analog.getNormalW(), analog.getNormalGain());
}

complex_t HighPassTransform::transform(complex_t c) const {
  if (isInfinity(c)) return complex_t(1, 0);
  c = f * c;
  return -(1. + c) / (1. - c);
}

//------------------------------------------------------------------------------

namespace {

// Maps every analog pole and zero to two digital ones. With separateEqualZeros, two identical
// zeros of a pair become a conjugate pair rather than a real double zero. The single real
// pole of an odd order maps to a pair as it is.
template <class Transform>
void mapOneToTwo(const Transform& t, LayoutBase& digital, const LayoutBase& analog,
                 bool separateEqualZeros) {
  const int numPoles = analog.getNumPoles();
  const int pairs = numPoles / 2;
  for (int i = 0; i < pairs; ++i) {
    const PoleZeroPair& pair = analog[i];
    const RootPair p = t.transform(pair.poles.first);
    RootPair z = t.transform(pair.zeros.first);
    if (separateEqualZeros && z.second == z.first) z.second = std::conj(z.first);
    digital.addConjugatePairs(p.first, z.first);
    digital.addConjugatePairs(p.second, z.second);
  }
  if (numPoles & 1)
    digital.addPairs(t.transform(analog[pairs].poles.first),
                     t.transform(analog[pairs].zeros.first));
}

// The band edges in radians per sample, held inside (0, pi).
void bandEdges(double fc, double fw, double& wl, double& wu) {
  const double ww = kTwoPi * fw;
  wl = -0.5 * ww + kTwoPi * fc;
  wu = wl + ww;
  if (wl < kMinBandEdge) wl = kMinBandEdge;
  if (wu > kMaxBandEdge) wu = kMaxBandEdge;
}

}  // namespace

BandPassTransform::BandPassTransform(double fc, double fw, LayoutBase& digital,
                                     const LayoutBase& analog) {
  digital.reset();

  bandEdges(fc, fw, wl, wu);

  a = std::cos((wu + wl) * 0.5) / std::cos((wu - wl) * 0.5);
  b = 1 / std::tan((wu - wl) * 0.5);
  a2 = a * a;
  b2 = b * b;
  ab = a * b;
  twoAb = 2 * ab;

  mapOneToTwo(*this, digital, analog, false);

  const double wn = analog.getNormalW();
  digital.setNormal(2 * std::atan(std::sqrt(std::tan((wu + wn) * 0.5) * std::tan((wl + wn) * 0.5))),
                    analog.getNormalGain());
}

RootPair BandPassTransform::transform(complex_t c) const {
  if (isInfinity(c)) return RootPair(complex_t(-1, 0), complex_t(1, 0));

  c = (1. + c) / (1. - c);

  complex_t v(0, 0);
  const double k = 4 * (b2 * (a2 - 1) + 1);
  v = k * c;
  v += 8 * (b2 * (a2 - 1) - 1);
  v *= c;
  v += k;
  v = std::sqrt(v);

  complex_t u = -v;
  u += twoAb * c;
  u += twoAb;
  v += twoAb * c;
  v += twoAb;

  complex_t d(0, 0);
  d = 2 * (b - 1) * c;
  d += 2 * (1 + b);

  return RootPair(u / d, v / d);
}

//------------------------------------------------------------------------------

BandStopTransform::BandStopTransform(double fc, double fw, LayoutBase& digital,
                                     const LayoutBase& analog) {
  digital.reset();

  bandEdges(fc, fw, wl, wu);

  a = std::cos((wu + wl) * 0.5) / std::cos((wu - wl) * 0.5);
  b = std::tan((wu - wl) * 0.5);
  a2 = a * a;
  b2 = b * b;

  mapOneToTwo(*this, digital, analog, true);

  if (fc < 0.25)
    digital.setNormal(kPi, analog.getNormalGain());
  else
    digital.setNormal(0, analog.getNormalGain());
}

RootPair BandStopTransform::transform(complex_t c) const {
  if (isInfinity(c))
    c = complex_t(-1, 0);
  else
    c = (1. + c) / (1. - c);

  complex_t u(0, 0);
  const double k = 4 * (b2 + a2 - 1);
  u = k * c;
  u += 8 * (b2 - a2 + 1);
  u *= c;
  u += k;
  u = std::sqrt(u);

  complex_t v = u * -.5;
  v += a;
  v -= a * c;

  u *= .5;
  u += a;
  u -= a * c;

  complex_t d(b + 1, 0);
  d += (b - 1) * c;

  return RootPair(u / d, v / d);
}

}  // namespace Dsp
