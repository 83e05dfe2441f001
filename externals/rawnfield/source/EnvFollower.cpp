#include "EnvFollower.h"

#include <cmath>

#include "UnitMath.h"

namespace Rawnfield {

namespace {
double coefficient(double rate, double time) {
  return std::exp(-1.0 / (rate * time));
}
}  // namespace

EnvFollower::EnvFollower()
    : attackCoef(coefficient(44100.0, kDefaultTime)),
      releaseCoef(coefficient(44100.0, kDefaultTime)) {}

EnvFollower::~EnvFollower() {}

void EnvFollower::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  attackCoef = coefficient(rate, attackTime);
  releaseCoef = coefficient(rate, releaseTime);
}

void EnvFollower::follow(int c, double x) {
  const double k = x > envelope[c] ? attackCoef : releaseCoef;
  // Flushing the tail keeps long silences free of denormals.
  envelope[c] = UnitMath::flushTiny(k * envelope[c] + (1.0 - k) * x);
}

void EnvFollower::process(const double* const* io, int n) {
  if (!UnitMath::isBlock(io, n)) return;
  for (int i = 0; i < n; ++i)
    for (int c = 0; c < 2; ++c) {
      const double a = std::fabs(io[c][i]);
      follow(c, std::isnan(a) ? 0.0 : (a < 1.0 ? a : 1.0));
    }
}

void EnvFollower::decayBetweenBlocks() {
  const double m = std::trunc(sampleRate * releaseTime);
  if (!(m >= 20.0)) return;
  const double steps = std::floor(m / 20.0);
  for (double s = 0.0; s < steps; s += 1.0) {
    if (envelope[0] == 0.0 && envelope[1] == 0.0) break;  // nothing left to fall
    follow(0, 0.0);
    follow(1, 0.0);
  }
}

}  // namespace Rawnfield
