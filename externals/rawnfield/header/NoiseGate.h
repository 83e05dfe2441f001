#pragma once

#include "UnitMath.h"

namespace Rawnfield {

// Silences samples whose magnitude lies below the threshold. Just above it
// a narrow knee, which follows a smoothed copy of the threshold, lifts the
// signal. No bypass: a threshold of 0 switches the gate off.
class NoiseGate {
public:
  static constexpr double kDefaultThreshold = 0.0;
  static constexpr double kDefaultKneeWidth = 0.01;

  NoiseGate() = default;

  // threshold = v^4. A non-finite v switches the gate off rather than
  // poisoning the smoothed threshold for good.
  void setThreshold(double v);
  // Reads in, writes out (the chain passes one block for both). Nothing is
  // written while the threshold is 0.
  void process(double** in, double** out, int n);

  double threshold = kDefaultThreshold;
  double setting = 0.0;  // the value last given to setThreshold
  Smoother thresholdSmoother{0.9944};
  double kneeWidth = kDefaultKneeWidth;
  double kneeTop = 0.0;
};

}  // namespace Rawnfield
