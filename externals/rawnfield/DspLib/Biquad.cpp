#include "Biquad.h"

#include <cmath>

namespace Dsp {

namespace {

// |p|^2, except along an infinite part, where the finite part would turn it into NaN.
double normOf(const complex_t& p) {
  if (std::isinf(p.real())) return std::fabs(p.real());
  if (std::isinf(p.imag())) return std::fabs(p.imag());
  return p.real() * p.real() + p.imag() * p.imag();
}

// (1 - r1 z^-1)(1 - r2 z^-1) = 1 + c1 z^-1 + c2 z^-2. A complex r1 stands for a conjugate
// pair (a NaN imaginary part counts as complex); r2 is read only when r1 is real.
void expandRoots(const complex_t& r1, const complex_t& r2, double& c1, double& c2) {
  if (r1.imag() != 0) {
    c1 = -2 * r1.real();
    c2 = normOf(r1);
  } else {
    c1 = -(r1.real() + r2.real());
    c2 = r1.real() * r2.real();
  }
}

}  // namespace

complex_t BiquadBase::response(double normalizedFrequency) const {
  const double w = kTwoPi * normalizedFrequency;
  const complex_t czn1(std::cos(w), std::sin(-w));
  const complex_t czn2(std::cos(-2 * w), std::sin(-2 * w));
  complex_t ct(m_b0, 0);
  complex_t cb(1, 0);
  ct += m_b1 * czn1;
  ct += m_b2 * czn2;
  cb += m_a1 * czn1;
  cb += m_a2 * czn2;
  return ct / cb;
}

std::vector<PoleZeroPair> BiquadBase::getPoleZeros() const {
  std::vector<PoleZeroPair> result;
  const BiquadPoleState bps(*this);
  result.push_back(bps);
  return result;
}

void BiquadBase::setCoefficients(double a0, double a1, double a2, double b0, double b1, double b2) {
  m_a0 = a0;
  m_a1 = a1 / a0;
  m_a2 = a2 / a0;
  m_b0 = b0 / a0;
  m_b1 = b1 / a0;
  m_b2 = b2 / a0;
}

void BiquadBase::setOnePole(complex_t pole, complex_t zero) {
  const double a0 = 1;
  const double a1 = -pole.real();
  const double a2 = 0;
  const double b0 = -zero.real();
  const double b1 = 1;
  const double b2 = 0;
  setCoefficients(a0, a1, a2, b0, b1, b2);
}

void BiquadBase::setTwoPole(complex_t pole1, complex_t zero1, complex_t pole2, complex_t zero2) {
  double a1;
  double a2;
  double b1;
  double b2;
  expandRoots(pole1, pole2, a1, a2);
  expandRoots(zero1, zero2, b1, b2);
  setCoefficients(1, a1, a2, 1, b1, b2);
}

void BiquadBase::setPoleZeroPair(const PoleZeroPair& pair) {
  if (pair.isSinglePole())
    setOnePole(pair.poles.first, pair.zeros.first);
  else
    setTwoPole(pair.poles.first, pair.zeros.first, pair.poles.second, pair.zeros.second);
}

void BiquadBase::setPoleZeroForm(const BiquadPoleState& bps) {
  setPoleZeroPair(bps);
  applyScale(bps.gain);
}

void BiquadBase::applyScale(double scale) {
  m_b0 *= scale;
  m_b1 *= scale;
  m_b2 *= scale;
}

void BiquadBase::setIdentity() {
  setCoefficients(1, 0, 0, 1, 0, 0);
}

BiquadPoleState::BiquadPoleState(const BiquadBase& s) {
  poles = RootPair(complex_t(0, 0), complex_t(0, 0));
  zeros = RootPair(complex_t(0, 0), complex_t(0, 0));

  // Rebuild the undivided coefficients.
  const double a0 = s.getA0();
  const double a1 = s.getA1() * a0;
  const double a2 = s.getA2() * a0;
  const double b0 = s.getB0() * a0;
  const double b1 = s.getB1() * a0;
  const double b2 = s.getB2() * a0;

  if (a2 == 0 && b2 == 0) {
    // A single pole and zero, in the form setOnePole writes.
    poles.first = complex_t(-a1, 0);
    zeros.first = complex_t(-b0 / b1, 0);
  } else {
    {
      const complex_t c = std::sqrt(complex_t(a1 * a1 - 4 * a0 * a2, 0));
      const double d = 2. * a0;
      poles.first = -(a1 + c) / d;
      poles.second = (c - a1) / d;
    }
    {
      const complex_t c = std::sqrt(complex_t(b1 * b1 - 4 * b0 * b2, 0));
      const double d = 2. * b0;
      zeros.first = -(b1 + c) / d;
      zeros.second = (c - b1) / d;
    }
  }

  gain = b0 / a0;
}

}  // namespace Dsp
