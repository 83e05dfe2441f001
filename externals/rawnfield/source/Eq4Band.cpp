#include "Eq4Band.h"

namespace Rawnfield {

void Eq4Band::init() {
  if (numBands) return;
  const double shelves[2][2] = {{kDefaultLoMiFreq, kDefaultLoMiBandWidth},
                                {kDefaultHiMiFreq, kDefaultHiMiBandWidth}};
  build(kDefaultBassFreq, shelves, 2, kDefaultHighFreq);
}

}  // namespace Rawnfield
