#include "Butterworth.h"

#include <cmath>

namespace Dsp {
namespace Butterworth {

AnalogLowPass::AnalogLowPass() : m_numPoles(-1) {
  setNormal(0, 1);
}

void AnalogLowPass::design(int numPoles) {
  if (m_numPoles == numPoles) return;
  m_numPoles = numPoles;
  reset();

  const double n2 = 2 * numPoles;
  const int pairs = numPoles / 2;
  for (int i = 0; i < pairs; ++i) {
    const double theta = kPi_2 + (2 * i + 1) * kPi / n2;
    addConjugatePairs(complex_t(std::cos(theta), std::sin(theta)), infinity());
  }
  if (numPoles & 1) addSingle(-1, infinity());
}

AnalogLowShelf::AnalogLowShelf() : m_numPoles(-1), m_gainDb(0) {
  setNormal(kPi, 1);
}

void addShelfPolesAndZeros(LayoutBase& layout, int numPoles, double gainDb) {
  layout.reset();

  const double n2 = numPoles * 2;
  const double g = std::pow(std::pow(10., gainDb / 20), 1. / n2);
  const double gp = -1. / g;
  const double gz = -g;

  const int pairs = numPoles / 2;
  for (int i = 1; i <= pairs; ++i) {
    const double theta = kPi * (0.5 - (2 * i - 1) / n2);
    const complex_t unit(std::cos(theta), std::sin(theta));
    layout.addConjugatePairs(gp * unit, gz * unit);
  }
  if (numPoles & 1) layout.addSingle(gp, gz);
}

void AnalogLowShelf::design(int numPoles, double gainDb) {
  if (m_numPoles == numPoles && m_gainDb == gainDb) return;
  m_numPoles = numPoles;
  m_gainDb = gainDb;
  addShelfPolesAndZeros(*this, numPoles, gainDb);
}

}  // namespace Butterworth
}  // namespace Dsp
