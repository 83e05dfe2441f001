#pragma once

#include "AudioProcessingUnit.h"

namespace Rawnfield {
namespace Types {

struct RNSample {
  double left;
  double right;
};

}  // namespace Types

// Six first-order all-pass stages per channel, swept between two
// frequencies by a sine LFO, with feedback from the last stage; the swept
// signal is added to the dry one by the smoothed depth.
class Phaser : public AudioProcessingUnit {
public:
  static constexpr int kStages = 6;

  struct AllPass {
    double a1 = 0.0;
    double zm1 = 0.0;
  };

  Phaser();

  // The sweep's ends in Hz, stored against the current rate.
  void setRange(double minHz, double maxHz);
  // v = 1 is 20 Hz.
  void setRate(double v);
  // Held within [-1, 1], then scaled by the feedback limit.
  void setFeedback(double v);
  void setDepth(double v) { depth = v; }
  void reset();

  Types::RNSample process(Types::RNSample in);
  // In place; nothing happens (the LFO stands still) while the depth is 0.
  void process(double** io, int n);
  void process(float** io, int n);

  AllPass left[kStages];
  AllPass right[kStages];
  double minDelay;  // fractions of half the rate
  double maxDelay;
  double feedback = 0.5;
  double lfoPhase = 0.0;  // radians
  double lfoInc;
  double depth = 0.0;
  double depthCoef = 0.9777;
  double depthCoefComplement = 0.0223;
  double smoothedDepth = 0.0;
  double feedbackLimit = 0.999;
  double feedbackLeft = 0.0;
  double feedbackRight = 0.0;

private:
  bool active(const void* io, int n) const;
  // Clears denormal and non-finite memories after a block.
  void settle();
};

}  // namespace Rawnfield
