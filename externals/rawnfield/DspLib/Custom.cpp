#include "Custom.h"

#include <cmath>

namespace Dsp {
namespace Custom {

void OnePole::setup(double scale, double pole, double zero) {
  setOnePole(complex_t(pole, 0), complex_t(zero, 0));
  applyScale(scale);
}

void TwoPole::setup(double scale, double poleRho, double poleTheta, double zeroRho,
                    double zeroTheta) {
  // Spelled out: std::polar leaves a negative radius undefined.
  const complex_t p(poleRho * std::cos(poleTheta), poleRho * std::sin(poleTheta));
  const complex_t z(zeroRho * std::cos(zeroTheta), zeroRho * std::sin(zeroTheta));
  setTwoPole(p, z, std::conj(p), std::conj(z));
  applyScale(scale);
}

}  // namespace Custom
}  // namespace Dsp
