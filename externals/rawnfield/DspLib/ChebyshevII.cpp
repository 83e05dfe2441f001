#include "ChebyshevII.h"

#include <cmath>

namespace Dsp {
namespace ChebyshevII {

AnalogLowPass::AnalogLowPass() : m_numPoles(-1), m_stopBandDb(0) {
  setNormal(0, 1);
}

void AnalogLowPass::design(int numPoles, double stopBandDb) {
  if (m_numPoles == numPoles && m_stopBandDb == stopBandDb) return;
  m_numPoles = numPoles;
  m_stopBandDb = stopBandDb;
  reset();

  const double eps = std::sqrt(1. / (std::exp(stopBandDb * 0.1 * kLn10) - 1));
  const double v0 = std::log(std::sqrt(1. / (eps * eps) + 1) + 1. / eps) / numPoles;
  const double sinh_v0 = -std::sinh(v0);
  const double cosh_v0 = std::cosh(v0);
  const double fn = kPi / (2 * numPoles);

  // The poles are the reciprocals of Chebyshev I poles; the zeros sit where the stopband's
  // Chebyshev polynomial vanishes.
  const int pairs = numPoles / 2;
  for (int i = 1; i <= pairs; ++i) {
    const int k = 1 - numPoles + 2 * (i - 1);
    const double a = sinh_v0 * std::cos(k * fn);
    const double b = cosh_v0 * std::sin(k * fn);
    const double d2 = a * a + b * b;
    addConjugatePairs(complex_t(a / d2, b / d2), complex_t(0, 1 / std::cos((2 * i - 1) * fn)));
  }

  if (numPoles & 1) addSingle(1 / sinh_v0, infinity());
}

}  // namespace ChebyshevII
}  // namespace Dsp
