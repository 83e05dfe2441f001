#pragma once

// Sections whose poles and zeros are placed directly in the z-plane.

#include "Biquad.h"

namespace Dsp {
namespace Custom {

// One real pole and one real zero: scale (-zero + z^-1) / (1 - pole z^-1).
class OnePole : public Biquad {
public:
  void setup(double scale, double pole, double zero);
};

// A conjugate pole pair and a conjugate zero pair given by radius and angle (radians).
class TwoPole : public Biquad {
public:
  void setup(double scale, double poleRho, double poleTheta, double zeroRho, double zeroTheta);
};

}  // namespace Custom
}  // namespace Dsp
