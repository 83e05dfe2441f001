#include "BiquadFilter.h"

#include <cmath>

#include "GenMath.h"

namespace Rawnfield {

namespace {

double maxFrequencyFor(double rate) {
  const double half = rate / 2.0;
  return half < 20000.0 ? half : 20000.0;
}

// The frequency a design is made at: held within [1 Hz, 0.49 x rate].
// At half the rate (or 0 Hz) sin(w0) and with it alpha vanish, which puts
// the poles on the unit circle.
double designFrequency(double hz, double rate) {
  const double top = 0.49 * rate;
  if (!(hz >= 1.0)) return 1.0 < top ? 1.0 : top;
  return hz < top ? hz : top;
}

}  // namespace

BiquadFilter::BiquadFilter(eFilterMode m, double rate)
    : mode(m), frequency(rate / 4.0), sampleRate(rate), maxFrequency(maxFrequencyFor(rate)) {
  update();
}

void BiquadFilter::setSampleRate(double rate) {
  sampleRate = rate;
  maxFrequency = maxFrequencyFor(rate);
  update();
}

void BiquadFilter::setGainDb(double dB) {
  setGain(std::pow(10.0, dB / 20.0));
}

double BiquadFilter::getGainDb() const {
  return 20.0 * std::log10(gain);
}

void BiquadFilter::update() {
  if (mode < kFilterModeLowPass || mode > kFilterModeHighShelf) return;
  if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) return;
  const double w0 = GenMath::kTwoPi * designFrequency(frequency, sampleRate) / sampleRate;
  const double c = std::cos(w0);
  const double s = std::sin(w0);
  const double A = gain;
  const bool shelf = mode == kFilterModeLowShelf || mode == kFilterModeHighShelf;
  const double alpha =
      shelf ? s / 2.0 * std::sqrt((A + 1.0 / A) * (1.0 / S - 1.0) + 2.0) : s / (2.0 * Q);
  const double r = 2.0 * std::sqrt(A);
  switch (mode) {
    case kFilterModeLowPass:
      b0 = b2 = (1.0 - c) / 2.0;
      b1 = 1.0 - c;
      break;
    case kFilterModeHighPass:
      b0 = b2 = (1.0 + c) / 2.0;
      b1 = -(1.0 + c);
      break;
    case kFilterModeBandPass:
      b0 = alpha;
      b1 = 0.0;
      b2 = -alpha;
      break;
    case kFilterModeNotch:
      b0 = b2 = 1.0;
      b1 = -2.0 * c;
      break;
    case kFilterModePeak:
      b0 = 1.0 + alpha * A;
      b1 = -2.0 * c;
      b2 = 1.0 - alpha * A;
      a0 = 1.0 + alpha / A;
      a1 = -2.0 * c;
      a2 = 1.0 - alpha / A;
      break;
    case kFilterModeLowShelf:
      b0 = A * ((A + 1.0) - (A - 1.0) * c + r * alpha);
      b1 = 2.0 * A * ((A - 1.0) - (A + 1.0) * c);
      b2 = A * ((A + 1.0) - (A - 1.0) * c - r * alpha);
      a0 = (A + 1.0) + (A - 1.0) * c + r * alpha;
      a1 = -2.0 * ((A - 1.0) + (A + 1.0) * c);
      a2 = (A + 1.0) + (A - 1.0) * c - r * alpha;
      break;
    case kFilterModeHighShelf:
      b0 = A * ((A + 1.0) + (A - 1.0) * c + r * alpha);
      b1 = -2.0 * A * ((A - 1.0) + (A + 1.0) * c);
      b2 = A * ((A + 1.0) + (A - 1.0) * c - r * alpha);
      a0 = (A + 1.0) - (A - 1.0) * c + r * alpha;
      a1 = 2.0 * ((A - 1.0) - (A + 1.0) * c);
      a2 = (A + 1.0) - (A - 1.0) * c - r * alpha;
      break;
  }
  if (mode <= kFilterModeNotch) {
    a0 = 1.0 + alpha;
    a1 = -2.0 * c;
    a2 = 1.0 - alpha;
  }
  const double k = 1.0 / a0;
  b0 *= k;
  b1 *= k;
  b2 *= k;
  a1 *= k;
  a2 *= k;
}

double BiquadFilter::process(double in, double cutoff, double resonance) {
  const double hz = cutoff * maxFrequency;
  frequency = hz > 20.0 ? hz : 20.0;
  const double q = resonance * 16.0;
  Q = q > kMinQ ? q : kMinQ;
  update();
  y = b0 * in + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
  if (!std::isfinite(y)) {
    reset();
    return lastOutput = 0.0;
  }
  x2 = x1;
  x1 = in;
  y2 = y1;
  y1 = y;
  lastOutput = y;
  return y;
}

double BiquadFilter::getResponse(double hz) const {
  const double sn = std::sin(GenMath::kPi * hz / sampleRate);
  const double p = sn * sn;
  const double sb = b0 + b1 + b2;
  const double sa = 1.0 + a1 + a2;
  const double N = sb * sb - 4.0 * (b0 * b1 + 4.0 * b0 * b2 + b1 * b2) * p + 16.0 * b0 * b2 * p * p;
  const double D = sa * sa - 4.0 * (a1 + 4.0 * a2 + a1 * a2) * p + 16.0 * a2 * p * p;
  return N / D;
}

std::vector<double> BiquadFilter::GetSystemResponse(const BiquadFilter& f) {
  std::vector<double> out;
  out.reserve(kResponsePoints);
  for (int i = 0; i < kResponsePoints; ++i) {
    const double hz = 10.0 * std::pow(2.0, i / 20.0);
    // The square root: the curve shows |H|, not its square (nor the fourth
    // power that squaring N / D again would give).
    const double m2 = f.getResponse(hz);
    out.push_back(m2 > 0.0 ? std::sqrt(m2) : 0.0);
  }
  return out;
}

std::vector<double> BiquadFilter::curve(eFilterMode m, double cutoffHz, double resonance) {
  BiquadFilter f;
  f.setFilterMode(m);
  f.sampleRate = 96000.0;
  f.maxFrequency = 20000.0;
  f.frequency = cutoffHz;
  const double q = 1.0 / (2.0 * (1.0 - 0.999 * resonance));
  f.Q = q > kMinQ ? q : kMinQ;
  f.update();
  return GetSystemResponse(f);
}

std::vector<double> BiquadFilter::GetLowpassMagnitude(double cutoffHz, double resonance) {
  return curve(kFilterModeLowPass, cutoffHz, resonance);
}

std::vector<double> BiquadFilter::GetBandpassMagnitude(double cutoffHz, double resonance) {
  return curve(kFilterModeBandPass, cutoffHz, resonance);
}

std::vector<double> BiquadFilter::GetHighpassMagnitude(double cutoffHz, double resonance) {
  return curve(kFilterModeHighPass, cutoffHz, resonance);
}

}  // namespace Rawnfield
