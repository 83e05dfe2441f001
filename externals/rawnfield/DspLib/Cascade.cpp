#include "Cascade.h"

#include <cmath>

namespace Dsp {

complex_t Cascade::response(double normalizedFrequency) const {
  const double w = kTwoPi * normalizedFrequency;
  const complex_t czn1(std::cos(w), std::sin(-w));
  const complex_t czn2(std::cos(-2 * w), std::sin(-2 * w));
  complex_t ch(1, 0);
  complex_t cbot(1, 0);
  for (int i = 0; i < m_numStages; ++i) {
    const Biquad& stage = m_stageArray[i];
    complex_t cb(1, 0);
    complex_t ct(stage.getB0(), 0);
    ct += stage.getB1() * czn1;
    ct += stage.getB2() * czn2;
    cb += stage.getA1() * czn1;
    cb += stage.getA2() * czn2;
    ch *= ct;
    cbot *= cb;
  }
  return ch / cbot;
}

std::vector<PoleZeroPair> Cascade::getPoleZeros() const {
  std::vector<PoleZeroPair> result;
  for (int i = 0; i < m_numStages; ++i) {
    const BiquadPoleState bps(m_stageArray[i]);
    result.push_back(bps);
  }
  return result;
}

void Cascade::applyScale(double scale) {
  if (m_numStages > 0) m_stageArray[0].applyScale(scale);
}

void Cascade::setLayout(const LayoutBase& layout) {
  int numStages = (layout.getNumPoles() + 1) / 2;
  // A layout never outgrows the storage its design sized; stay inside it regardless.
  if (numStages > m_maxStages) numStages = m_maxStages;
  m_numStages = numStages;

  for (int i = 0; i < m_numStages; ++i) m_stageArray[i].setPoleZeroPair(layout[i]);

  const complex_t h = response(layout.getNormalW() / kTwoPi);
  applyScale(layout.getNormalGain() / std::hypot(h.real(), h.imag()));
}

}  // namespace Dsp
