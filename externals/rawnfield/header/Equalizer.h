#pragma once

#include "ShelfEqualizer.h"

namespace Rawnfield {

// The three-band form of the shelving equaliser: a low shelf at 150 Hz, a
// band shelf at 800 Hz (700 Hz wide) and a high shelf at 4000 Hz. The
// effect does not use it. Set the amounts before the first block (the
// shelves start at -6 dB).
class Equalizer : public ShelfEqualizer {
public:
  static constexpr double kDefaultBassAmount = 0.5;
  static constexpr double kDefaultMidAmount = 0.5;
  static constexpr double kDefaultHighAmount = 0.5;
  static constexpr double kDefaultBassFreq = 150.0;
  static constexpr double kDefaultMidFreq = 800.0;
  static constexpr double kDefaultMidBandWidth = 700.0;
  static constexpr double kDefaultHighFreq = 4000.0;
  static constexpr double k1dBEqAmount = 0.52;
  static constexpr double k2dBEqAmount = 0.542;
  static constexpr double k2_5dBEqAmount = 0.5525;

  enum eBand : int { kBass = 0, kMid, kHigh };

  Equalizer() { init(); }

  void init();

  void setBassAmount(double v) { bands[kBass].setAmount(v); }
  void setMidAmount(double v) { bands[kMid].setAmount(v); }
  void setHighAmount(double v) { bands[kHigh].setAmount(v); }
  double getBassGainDb() const { return bands[kBass].gainDb(); }
  double getMidGainDb() const { return bands[kMid].gainDb(); }
  double getHighGainDb() const { return bands[kHigh].gainDb(); }
};

}  // namespace Rawnfield
