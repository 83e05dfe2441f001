#include "Phaser.h"

#include <cmath>

#include "GenMath.h"
#include "UnitMath.h"

namespace Rawnfield {

namespace {

double runChain(Phaser::AllPass* st, double x) {
  for (int k = 0; k < Phaser::kStages; ++k) {
    const double y = st[k].zm1 - st[k].a1 * x;
    st[k].zm1 = x + st[k].a1 * y;
    x = y;
  }
  return x;
}

}  // namespace

Phaser::Phaser()
    : minDelay(440.0 / (sampleRate / 2.0)),
      maxDelay(1600.0 / (sampleRate / 2.0)),
      lfoInc(0.1 / sampleRate * GenMath::kTwoPi * 20.0) {}

void Phaser::setRange(double minHz, double maxHz) {
  minDelay = minHz / (sampleRate / 2.0);
  maxDelay = maxHz / (sampleRate / 2.0);
}

void Phaser::setRate(double v) {
  lfoInc = v / sampleRate * GenMath::kTwoPi * 20.0;
}

void Phaser::setFeedback(double v) {
  // Past 1 the loop through the all-passes would grow without bound.
  const double c = v < -1.0 ? -1.0 : (v > 1.0 ? 1.0 : v);
  feedback = c * feedbackLimit;
}

void Phaser::reset() {
  for (int k = 0; k < kStages; ++k) left[k].zm1 = right[k].zm1 = 0.0;
  feedbackLeft = feedbackRight = 0.0;
}

Types::RNSample Phaser::process(Types::RNSample in) {
  const double d = minDelay + (maxDelay - minDelay) * (std::sin(lfoPhase) + 1.0) / 2.0;
  lfoPhase = GenMath::wrapRadians(lfoPhase + lfoInc);
  const double a1 = (1.0 - d) / (1.0 + d);
  for (int k = 0; k < kStages; ++k) left[k].a1 = right[k].a1 = a1;

  feedbackLeft = runChain(left, in.left + feedback * feedbackLeft);
  feedbackRight = runChain(right, in.right + feedback * feedbackRight);

  smoothedDepth = smoothedDepth * depthCoef + depth * depthCoefComplement;
  const double g = smoothedDepth * fadeGain;
  const Types::RNSample out{in.left + feedbackLeft * g, in.right + feedbackRight * g};
  advanceFade();
  return out;
}

bool Phaser::active(const void* io, int n) const {
  return io && n >= 1 && !isFadedOut() && depth != 0.0;
}

void Phaser::settle() {
  for (int k = 0; k < kStages; ++k) {
    left[k].zm1 = UnitMath::flushTiny(left[k].zm1);
    right[k].zm1 = UnitMath::flushTiny(right[k].zm1);
  }
  feedbackLeft = UnitMath::flushTiny(feedbackLeft);
  feedbackRight = UnitMath::flushTiny(feedbackRight);
}

void Phaser::process(double** io, int n) {
  if (!active(io, n) || !io[0] || !io[1]) return;
  for (int i = 0; i < n; ++i) {
    const Types::RNSample y = process(Types::RNSample{io[0][i], io[1][i]});
    io[0][i] = y.left;
    io[1][i] = y.right;
  }
  settle();
}

void Phaser::process(float** io, int n) {
  if (!active(io, n) || !io[0] || !io[1]) return;
  for (int i = 0; i < n; ++i) {
    const Types::RNSample y = process(Types::RNSample{io[0][i], io[1][i]});
    io[0][i] = static_cast<float>(y.left);
    io[1][i] = static_cast<float>(y.right);
  }
  settle();
}

}  // namespace Rawnfield
