#include "ChebyshevI.h"

#include <algorithm>
#include <cmath>

#include "Butterworth.h"

namespace Dsp {
namespace ChebyshevI {

AnalogLowPass::AnalogLowPass() : m_numPoles(-1), m_rippleDb(0) {
  setNormal(0, 1);
}

void AnalogLowPass::design(int numPoles, double rippleDb) {
  if (m_numPoles == numPoles && m_rippleDb == rippleDb) return;
  m_numPoles = numPoles;
  m_rippleDb = rippleDb;
  reset();

  const double eps = std::sqrt(1. / std::exp(-0.1 * rippleDb * kLn10) - 1);
  const double v0 = std::log(std::sqrt(1. / (eps * eps) + 1) + 1. / eps) / numPoles;
  const double sinh_v0 = -std::sinh(v0);
  const double cosh_v0 = std::cosh(v0);

  const double n2 = 2 * numPoles;
  const int pairs = numPoles / 2;
  for (int i = 0; i < pairs; ++i) {
    const int k = 2 * i + 1 - numPoles;
    const double a = sinh_v0 * std::cos(k * kPi / n2);
    const double b = cosh_v0 * std::sin(k * kPi / n2);
    addConjugatePairs(complex_t(a, b), infinity());
  }

  if (numPoles & 1) {
    addSingle(complex_t(sinh_v0, 0), infinity());
    setNormal(0, 1);
  } else {
    // An even order sits at the bottom of its ripple at 0 Hz.
    setNormal(0, std::pow(10, -rippleDb / 20.));
  }
}

AnalogLowShelf::AnalogLowShelf() : m_numPoles(-1), m_rippleDb(0), m_gainDb(0) {
  setNormal(kPi, 1);
}

namespace {

// The poles and zeros of a low shelf of gainDb whose ripple is at most depthDb deep.
void addShelfPolesAndZeros(LayoutBase& layout, int numPoles, double gainDb, double depthDb) {
  const double g = -gainDb;
  // The ripple (or stop-band depth) can be no deeper than the shelf.
  double r = std::min(depthDb, std::fabs(g));
  if (g < 0) r = -r;

  const double G = std::pow(10., g / 20);
  const double Gb = std::pow(10., (g - r) / 20);

  // A ripple as deep as the whole shelf (Gb is 1; always so for a type II shelf whose
  // stop band is at least its gain) or of no depth at all (G equals Gb; also a flat shelf)
  // leaves no Chebyshev shelf to build: its poles would sit on the imaginary axis or at
  // infinity. The maximally flat shelf of the same order and gain stands in, so the shelf
  // still reaches its gain.
  if (Gb == 1 || G == Gb) {
    Butterworth::addShelfPolesAndZeros(layout, numPoles, gainDb);
    return;
  }

  layout.reset();
  const double eps = std::sqrt((G * G - Gb * Gb) / (Gb * Gb - 1));
  const double root = std::sqrt(1 + 1 / (eps * eps));
  const double u = std::log(std::pow(G / eps + Gb * root, 1. / numPoles));
  const double v = std::log(std::pow(1 / eps + root, 1. / numPoles));

  const double sinh_u = std::sinh(u);
  const double sinh_v = std::sinh(v);
  const double cosh_u = std::cosh(u);
  const double cosh_v = std::cosh(v);
  const double n2 = 2 * numPoles;
  const int pairs = numPoles / 2;
  for (int i = 1; i <= pairs; ++i) {
    const double a = kPi * (2 * i - 1) / n2;
    const double sn = std::sin(a);
    const double cs = std::cos(a);
    layout.addConjugatePairs(complex_t(-sn * sinh_u, cs * cosh_u),
                             complex_t(-sn * sinh_v, cs * cosh_v));
  }

  if (numPoles & 1) layout.addSingle(-sinh_u, -sinh_v);
}

}  // namespace

void AnalogLowShelf::design(int numPoles, double gainDb, double rippleDb) {
  if (m_numPoles == numPoles && m_rippleDb == rippleDb && m_gainDb == gainDb) return;
  m_numPoles = numPoles;
  m_rippleDb = rippleDb;
  m_gainDb = gainDb;
  addShelfPolesAndZeros(*this, numPoles, gainDb, rippleDb);
}

}  // namespace ChebyshevI
}  // namespace Dsp
