#include "RnWaveForms.h"

namespace Rawnfield {

RnWaveForms::RnWaveForms() {
  for (std::vector<double>& a : arrays) a.assign(kWaveformLength, 0.0);
}

}  // namespace Rawnfield
