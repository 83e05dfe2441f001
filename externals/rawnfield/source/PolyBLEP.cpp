#include "PolyBLEP.h"

#include <cmath>

#include "GenMath.h"

namespace Rawnfield {

using GenMath::kPi;
using GenMath::kTwoPi;

namespace {

double wrap(double x) {
  return GenMath::wrapUnit(x);
}

double clampUnit(double y) {
  return y < -1.0 ? -1.0 : (y > 1.0 ? 1.0 : y);
}

}  // namespace

PolyBLEP::PolyBLEP(double rate, Waveform w, double initialFrequency)
    : waveform(w), sampleRate(rate), dt(initialFrequency / rate) {}

void PolyBLEP::setSampleRate(double rate) {
  if (!(rate > 0.0) || !std::isfinite(rate)) return;
  dt = dt * sampleRate / rate;
  sampleRate = rate;
}

void PolyBLEP::sync(double p) {
  t = wrap(p);
}

void PolyBLEP::inc() {
  t = wrap(t + dt);
}

double PolyBLEP::getAndInc() {
  const double y = get();
  inc();
  return y + offset;
}

double PolyBLEP::blep(double x) const {
  if (x < dt) {
    const double u = x / dt - 1.0;
    return -u * u;
  }
  if (x > 1.0 - dt) {
    const double u = (x - 1.0) / dt + 1.0;
    return u * u;
  }
  return 0.0;
}

double PolyBLEP::blamp(double x) const {
  if (x < dt) {
    const double u = x / dt - 1.0;
    return -(u * u * u) / 3.0;
  }
  if (x > 1.0 - dt) {
    const double u = (x - 1.0) / dt + 1.0;
    return (u * u * u) / 3.0;
  }
  return 0.0;
}

double PolyBLEP::foldedTriangle() const {
  double y = 4.0 * t;
  if (y >= 3.0) y -= 4.0;
  else if (y > 1.0) y = 2.0 - y;
  return y;
}

double PolyBLEP::get() const {
  if (dt * sampleRate >= sampleRate / 4.0) return amplitude * sin();
  double y;
  switch (waveform) {
    case SINE: y = sin(); break;
    case COSINE: y = cos(); break;
    case TRIANGLE: y = tri(); break;
    case SQUARE: y = sqr(); break;
    case RECTANGLE: y = rect(); break;
    case SAWTOOTH: y = saw(); break;
    case RAMP: y = ramp(); break;
    case MODIFIED_TRIANGLE: y = tri2(); break;
    case MODIFIED_SQUARE: y = sqr2(); break;
    case HALF_WAVE_RECTIFIED_SINE: y = half(); break;
    case FULL_WAVE_RECTIFIED_SINE: y = full(); break;
    case TRIANGULAR_PULSE: y = trip(); break;
    case TRAPEZOID_FIXED: y = trap(); break;
    case TRAPEZOID_VARIABLE: y = trap2(); break;
    default: return 0.0;
  }
  return amplitude * y;
}

double PolyBLEP::sin() const {
  return std::sin(kTwoPi * t);
}

double PolyBLEP::cos() const {
  return std::cos(kTwoPi * t);
}

double PolyBLEP::tri() const {
  return foldedTriangle() + 4.0 * dt * (blamp(wrap(t + 0.25)) - blamp(wrap(t + 0.75)));
}

double PolyBLEP::sqr() const {
  const double y = t < 0.5 ? 1.0 : -1.0;
  return y + blep(t) - blep(wrap(t + 0.5));
}

double PolyBLEP::rect() const {
  const double pw = pulseWidth;
  double y = -2.0 * pw;
  if (t < pw) y += 2.0;
  return y + blep(t) - blep(wrap(1.0 + t - pw));
}

double PolyBLEP::saw() const {
  const double t1 = wrap(t + 0.5);
  return 2.0 * t1 - 1.0 - blep(t1);
}

double PolyBLEP::ramp() const {
  const double t1 = wrap(t);
  return 1.0 - 2.0 * t1 + blep(t1);
}

double PolyBLEP::tri2() const {
  double p = pulseWidth;
  p = p < 0.0001 ? 0.0001 : (p > 0.9999 ? 0.9999 : p);
  const double t2 = 2.0 * t;
  double y;
  if (t2 >= 2.0 - p) y = (t2 - 2.0) / p;
  else if (t2 >= p) y = 1.0 - (t2 - p) / (1.0 - p);
  else y = t2 / p;
  return y + dt / (p - p * p) * (blamp(wrap(t + p / 2.0)) - blamp(wrap(1.0 + t - p / 2.0)));
}

double PolyBLEP::sqr2() const {
  const double pw = pulseWidth;
  const double d = (pw - 0.5) * 0.25;
  const double t1 = wrap(t + 0.875 + d);
  const double t2 = wrap(t + 0.375 + d);
  const double h = (1.0 - pw) * 0.5;
  const double t3 = wrap(t1 + h);
  const double t4 = wrap(t2 + h);
  const auto s = [](double x) { return x < 0.5 ? 1.0 : -1.0; };
  return 0.5 * (s(t1) + s(t3) + blep(t1) - blep(t2) + blep(t3) - blep(t4));
}

double PolyBLEP::half() const {
  const double y = t < 0.5 ? 2.0 * std::sin(kTwoPi * t) - 2.0 / kPi : -2.0 / kPi;
  return y + kTwoPi * dt * (blamp(t) + blamp(wrap(t + 0.5)));
}

double PolyBLEP::full() const {
  const double t1 = wrap(t + 0.25);
  return 2.0 * std::sin(kPi * t1) - 4.0 / kPi + kTwoPi * dt * blamp(t1);
}

double PolyBLEP::trip() const {
  const double pw = pulseWidth;
  const double t1 = wrap(t + 0.75 + pw / 2.0);
  double y;
  if (t1 >= pw) {
    y = 0.0;
  } else {
    y = 4.0 * t1 / pw;
    if (4.0 * t1 >= 2.0 * pw) y = 4.0 - y;
  }
  y -= pw;
  if (pw > 0.0)
    y += (2.0 * dt / pw) *
         (blamp(t1) - 2.0 * blamp(wrap(1.0 + t1 - pw / 2.0)) + blamp(wrap(1.0 + t1 - pw)));
  return y;
}

double PolyBLEP::trap() const {
  const double y = clampUnit(2.0 * foldedTriangle());
  const double t1 = wrap(t + 0.125);
  const double t3 = wrap(t + 0.375);
  return y + 4.0 * dt * (blamp(t1) - blamp(wrap(t1 + 0.5))) +
         4.0 * dt * (blamp(t3) - blamp(wrap(t3 + 0.5)));
}

double PolyBLEP::trap2() const {
  const double p = pulseWidth < 0.9999 ? pulseWidth : 0.9999;
  const double s = 1.0 / (1.0 - p);
  const double y = clampUnit(foldedTriangle() * s);
  const double t1 = wrap(t + 0.25 - p / 4.0);
  const double t3 = wrap(t + 0.25 + p / 4.0);
  const double k = 2.0 * s * dt;
  return y + k * (blamp(t1) - blamp(wrap(t1 + 0.5))) + k * (blamp(t3) - blamp(wrap(t3 + 0.5)));
}

}  // namespace Rawnfield
