#include "Equalizer.h"

namespace Rawnfield {

void Equalizer::init() {
  if (numBands) return;
  const double shelves[1][2] = {{kDefaultMidFreq, kDefaultMidBandWidth}};
  build(kDefaultBassFreq, shelves, 1, kDefaultHighFreq);
}

}  // namespace Rawnfield
