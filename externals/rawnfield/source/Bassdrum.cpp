#include "Bassdrum.h"

#include <cmath>
#include <vector>

#include "GenMath.h"

namespace Rawnfield {

namespace {

// An electronic kick: a sine whose pitch falls from about 230 Hz to 50 Hz
// in the first tens of milliseconds, under an exponential decay, with a
// short click at the start and a soft fade at the end. 44100 Hz.
std::vector<double> makeKick() {
  std::vector<double> k(kBassdrumLength);
  const double rate = 44100.0;
  double phase = 0.0;
  for (int i = 0; i < kBassdrumLength; ++i) {
    const double t = i / rate;
    const double hz = 50.0 + 180.0 * std::exp(-t / 0.03);
    const double body = std::sin(phase) * std::exp(-t / 0.16);
    const double click = 0.3 * std::exp(-t / 0.002) * std::sin(GenMath::kTwoPi * 1500.0 * t);
    const double tail = i > kBassdrumLength - 2000 ? (kBassdrumLength - i) / 2000.0 : 1.0;
    k[i] = (body + click) * tail;
    phase += GenMath::kTwoPi * hz / rate;
  }
  GenMath::scaleToPeak(k.data(), kBassdrumLength, 0.95);
  return k;
}

}  // namespace

const double* g909Bassdrum() {
  static const std::vector<double> kick = makeKick();
  return kick.data();
}

}  // namespace Rawnfield
