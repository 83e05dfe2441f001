#include "RBJ.h"

#include <cmath>

#include "Common.h"

namespace Dsp {
namespace RBJ {

namespace {

// w0 and its sine and cosine for a frequency held below half the sample rate.
struct Angle {
  Angle(double sampleRate, double frequency) {
    w0 = kTwoPi * limitFrequency(frequency, sampleRate) / sampleRate;
    sn = std::sin(w0);
    cs = std::cos(w0);
  }
  double w0;
  double sn;
  double cs;
};

// The shelves' alpha, with the slope limited so the square root stays real and positive.
double shelfAlpha(double sn, double A, double shelfSlope) {
  double term = (A + 1 / A) * (1 / shelfSlope - 1) + 2;
  if (term < kMinShelfAlphaTerm) term = kMinShelfAlphaTerm;
  return sn / 2 * std::sqrt(term);
}

// Sets a section whose denominator is that of the pass, stop and all-pass designs.
void setPassSection(BiquadBase& section, const Angle& w, double alpha, double b0, double b1,
                    double b2) {
  section.setCoefficients(1 + alpha, -2 * w.cs, 1 - alpha, b0, b1, b2);
}

}  // namespace

void LowPass::setup(double sampleRate, double cutoffFrequency, double q) {
  const Angle w(sampleRate, cutoffFrequency);
  const double AL = w.sn / (2 * q);
  const double b0 = (1 - w.cs) / 2;
  const double b1 = 1 - w.cs;
  const double b2 = (1 - w.cs) / 2;
  setPassSection(*this, w, AL, b0, b1, b2);
}

void HighPass::setup(double sampleRate, double cutoffFrequency, double q) {
  const Angle w(sampleRate, cutoffFrequency);
  const double AL = w.sn / (2 * q);
  const double b0 = (1 + w.cs) / 2;
  const double b1 = -(1 + w.cs);
  const double b2 = (1 + w.cs) / 2;
  setPassSection(*this, w, AL, b0, b1, b2);
}

void BandPass1::setup(double sampleRate, double centerFrequency, double bandWidth) {
  const Angle w(sampleRate, centerFrequency);
  const double AL = w.sn / (2 * bandWidth);
  const double b0 = bandWidth * AL;
  const double b1 = 0;
  const double b2 = -bandWidth * AL;
  setPassSection(*this, w, AL, b0, b1, b2);
}

void BandPass2::setup(double sampleRate, double centerFrequency, double bandWidth) {
  const Angle w(sampleRate, centerFrequency);
  const double AL = w.sn / (2 * bandWidth);
  const double b0 = AL;
  const double b1 = 0;
  const double b2 = -AL;
  setPassSection(*this, w, AL, b0, b1, b2);
}

void BandStop::setup(double sampleRate, double centerFrequency, double bandWidth) {
  const Angle w(sampleRate, centerFrequency);
  const double AL = w.sn / (2 * bandWidth);
  const double b0 = 1;
  const double b1 = -2 * w.cs;
  const double b2 = 1;
  setPassSection(*this, w, AL, b0, b1, b2);
}

void LowShelf::setup(double sampleRate, double cutoffFrequency, double gainDb, double shelfSlope) {
  const double A = std::pow(10.0, gainDb / 40);
  const Angle w(sampleRate, cutoffFrequency);
  const double AL = shelfAlpha(w.sn, A, shelfSlope);
  const double sq = 2 * std::sqrt(A) * AL;
  const double b0 = A * ((A + 1) - (A - 1) * w.cs + sq);
  const double b1 = 2 * A * ((A - 1) - (A + 1) * w.cs);
  const double b2 = A * ((A + 1) - (A - 1) * w.cs - sq);
  const double a0 = (A + 1) + (A - 1) * w.cs + sq;
  const double a1 = -2 * ((A - 1) + (A + 1) * w.cs);
  const double a2 = (A + 1) + (A - 1) * w.cs - sq;
  setCoefficients(a0, a1, a2, b0, b1, b2);
}

void HighShelf::setup(double sampleRate, double cutoffFrequency, double gainDb, double shelfSlope) {
  const double A = std::pow(10.0, gainDb / 40);
  const Angle w(sampleRate, cutoffFrequency);
  const double AL = shelfAlpha(w.sn, A, shelfSlope);
  const double sq = 2 * std::sqrt(A) * AL;
  const double b0 = A * ((A + 1) + (A - 1) * w.cs + sq);
  const double b1 = -2 * A * ((A - 1) + (A + 1) * w.cs);
  const double b2 = A * ((A + 1) + (A - 1) * w.cs - sq);
  const double a0 = (A + 1) - (A - 1) * w.cs + sq;
  const double a1 = 2 * ((A - 1) - (A + 1) * w.cs);
  const double a2 = (A + 1) - (A - 1) * w.cs - sq;
  setCoefficients(a0, a1, a2, b0, b1, b2);
}

void BandShelf::setup(double sampleRate, double centerFrequency, double gainDb, double bandWidth) {
  const double A = std::pow(10.0, gainDb / 40);
  const Angle w(sampleRate, centerFrequency);
  double x = 0.34657359027997264 * bandWidth * w.w0 / w.sn;
  if (x > kMaxBandShelfSinhArgument) x = kMaxBandShelfSinhArgument;
  const double AL = w.sn * std::sinh(x);
  const double b0 = 1 + AL * A;
  const double b1 = -2 * w.cs;
  const double b2 = 1 - AL * A;
  const double a0 = 1 + AL / A;
  const double a1 = -2 * w.cs;
  const double a2 = 1 - AL / A;
  setCoefficients(a0, a1, a2, b0, b1, b2);
}

void AllPass::setup(double sampleRate, double phaseFrequency, double q) {
  const Angle w(sampleRate, phaseFrequency);
  const double AL = w.sn / (2 * q);
  const double b0 = 1 - AL;
  const double b1 = -2 * w.cs;
  const double b2 = 1 + AL;
  setPassSection(*this, w, AL, b0, b1, b2);
}

}  // namespace RBJ
}  // namespace Dsp
