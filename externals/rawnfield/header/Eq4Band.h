#pragma once

#include "ShelfEqualizer.h"

namespace Rawnfield {

// The four-band equaliser of the main chain and of the sub-band path: a
// low shelf at 150 Hz, band shelves at 350 Hz (300 Hz wide) and 1600 Hz
// (1000 Hz wide) and a high shelf at 4000 Hz, each Butterworth of order 2.
// An amount of 0.5 is 0 dB; the range is -24..+24 dB, 1/48 of the control
// per dB.
//
// Until the amounts are first set the shelves sit at the gain descriptor's
// default of -6 dB: the owner sets all four before the first block.
class Eq4Band : public ShelfEqualizer {
public:
  static constexpr double kDefaultBassAmount = 0.5;
  static constexpr double kDefaultLoMiAmount = 0.5;
  static constexpr double kDefaultHiMiAmount = 0.5;
  static constexpr double kDefaultHighAmount = 0.5;
  static constexpr double kDefaultBassFreq = 150.0;
  static constexpr double kDefaultLoMiFreq = 350.0;
  static constexpr double kDefaultLoMiBandWidth = 300.0;
  static constexpr double kDefaultHiMiFreq = 1600.0;
  static constexpr double kDefaultHiMiBandWidth = 1000.0;
  static constexpr double kDefaultHighFreq = 4000.0;
  static constexpr double k1dBEqAmountBoost = 0.5208;
  static constexpr double k2dBEqAmountBoost = 0.5416;
  static constexpr double k3dBEqAmountBoost = 0.5625;
  static constexpr double k2dBEqAmountCut = 0.4584;
  static constexpr double k3dBEqAmountCut = 0.4375;
  static constexpr double k6dBEqAmountCut = 0.375;

  enum eBand : int { kBass = 0, kLoMi, kHiMi, kHigh };

  Eq4Band() { init(); }

  // Builds the four bands (once) at 44100 Hz.
  void init();

  void setBassAmount(double v) { bands[kBass].setAmount(v); }
  void setLoMiAmount(double v) { bands[kLoMi].setAmount(v); }
  void setHiMiAmount(double v) { bands[kHiMi].setAmount(v); }
  void setHighAmount(double v) { bands[kHigh].setAmount(v); }
  double getBassGainDb() const { return bands[kBass].gainDb(); }
  double getLoMiGainDb() const { return bands[kLoMi].gainDb(); }
  double getHiMiGainDb() const { return bands[kHiMi].gainDb(); }
  double getHighGainDb() const { return bands[kHigh].gainDb(); }
};

}  // namespace Rawnfield
