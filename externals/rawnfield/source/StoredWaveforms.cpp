#include "StoredWaveforms.h"

#include <cmath>
#include <mutex>

#include "GenMath.h"

namespace Rawnfield {

namespace {

using GenMath::kPi;
using GenMath::kTwoPi;

double fixedCycles[5][kWaveformLength];
double userCycles[16][kWaveformLength];

// 4x rising to 1 at a quarter, falling to -1 at three quarters, back to 0.
double tri(double x) {
  if (x < 0.25) return 4.0 * x;
  if (x < 0.75) return 2.0 - 4.0 * x;
  return 4.0 * (x - 1.0);
}

double clampUnit(double y) {
  return y < -1.0 ? -1.0 : (y > 1.0 ? 1.0 : y);
}

double harmonics(double x, int count, bool oddOnly, double power) {
  double y = 0.0;
  for (int h = 1; h <= count; ++h) {
    if (oddOnly && h % 2 == 0) continue;
    y += std::sin(kTwoPi * h * x) / std::pow(h, power);
  }
  return y;
}

// The sixteen user defaults: additive and shaped single cycles.
double userShape(int k, double x) {
  const double s1 = std::sin(kTwoPi * x);
  switch (k) {
    case 0: return s1 + 0.5 * std::sin(2.0 * kTwoPi * x);
    case 1: return std::sin(kTwoPi * x + 0.8 * s1);
    case 2: return s1 * s1 * s1;
    case 3: return std::tanh(3.0 * s1);
    case 4: return harmonics(x, 8, false, 1.0);
    case 5: return harmonics(x, 15, true, 1.0);
    case 6: return harmonics(x, 9, true, 2.0);
    case 7: return s1 * std::cos(3.0 * kTwoPi * x);
    case 8: return 2.0 * std::fabs(s1) - 1.0;
    case 9:
      return s1 + 0.5 * std::sin(3.0 * kTwoPi * x) + 0.25 * std::sin(5.0 * kTwoPi * x) +
             0.125 * std::sin(8.0 * kTwoPi * x);
    case 10: return std::exp(-6.0 * x) * std::sin(4.0 * kTwoPi * x);
    case 11: return std::floor(4.0 * tri(x) + 0.5) / 4.0;
    case 12: return s1 * (1.0 - x) + 0.3 * std::sin(5.0 * kTwoPi * x) * x;
    case 13: return 0.4 * s1 + std::sin(7.0 * kTwoPi * x) * std::exp(-4.0 * x);
    case 14: {
      const double u = 12.0 * kPi * (x - 0.5);
      return u == 0.0 ? 1.0 : std::sin(u) / u;
    }
    default: return x < 0.5 ? std::sin(2.0 * kTwoPi * x) : -0.6 * std::sin(kTwoPi * (x - 0.5));
  }
}

void fill() {
  for (int i = 0; i < kWaveformLength; ++i) {
    const double x = static_cast<double>(i) / kWaveformLength;
    const double t = tri(x);
    fixedCycles[0][i] = t;
    fixedCycles[1][i] = clampUnit(2.0 * t);
    fixedCycles[2][i] = clampUnit(4.0 * t);
    fixedCycles[3][i] = x < 0.5 ? 1.0 : -1.0;
    fixedCycles[4][i] = x < 0.25 ? 1.0 : -1.0;
    for (int k = 0; k < 16; ++k) userCycles[k][i] = userShape(k, x);
  }
  for (auto& c : userCycles) GenMath::scaleToPeak(c, kWaveformLength, 0.99);
}

}  // namespace

const double* const gTriangleWaveform = fixedCycles[0];
const double* const gTrapezWaveform = fixedCycles[1];
const double* const gXTrapezWaveform = fixedCycles[2];
const double* const gPulseWaveform = fixedCycles[3];
const double* const gQuadPulseWaveform = fixedCycles[4];

double* const gRnWaveform01 = userCycles[0];
double* const gRnWaveform02 = userCycles[1];
double* const gRnWaveform03 = userCycles[2];
double* const gRnWaveform04 = userCycles[3];
double* const gRnWaveform05 = userCycles[4];
double* const gRnWaveform06 = userCycles[5];
double* const gRnWaveform07 = userCycles[6];
double* const gRnWaveform08 = userCycles[7];
double* const gRnWaveform09 = userCycles[8];
double* const gRnWaveform10 = userCycles[9];
double* const gRnWaveform11 = userCycles[10];
double* const gRnWaveform12 = userCycles[11];
double* const gRnWaveform13 = userCycles[12];
double* const gRnWaveform14 = userCycles[13];
double* const gRnWaveform15 = userCycles[14];
double* const gRnWaveform16 = userCycles[15];

double* userWaveform(int k) {
  return k >= 1 && k <= 16 ? userCycles[k - 1] : nullptr;
}

void makeStoredWaveforms() {
  static std::once_flag once;
  std::call_once(once, fill);
}

}  // namespace Rawnfield
