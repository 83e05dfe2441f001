// Drive curves that mix several sines, carry running values from point to
// point or draw from the seeded random sequence. The draw order of each
// generator is fixed: it decides the noise detail of curves 23..28 and 33.
#include <cmath>
#include <cstdlib>

#include "CurveMath.h"
#include "DistortionDataProvider.h"

namespace Rawnfield {

using CurveMath::kEightPi;
using CurveMath::kFourPi;
using CurveMath::kHalfPi;
using CurveMath::kTwoPi;

namespace {
constexpr double pi = CurveMath::kPi;
constexpr double kRandMax = 2147483647.0;
}  // namespace

void DistortionDataProvider::initSigmoidDrive() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double w = 1.0 - x;
    double y19 = std::cos(x * 21.0 * pi) * 0.2 * w +
                 (std::sin(x * 7.77 * pi) * 0.1 * w + (std::sin((x + x) * pi) * 0.4 + x));
    y19 = y19 < 0.0 ? 0.0 : (y19 > 1.0 ? 1.0 : y19);
    const double y20 = std::sin(x * (-17.0) * pi) * 0.15 * w +
                       (std::cos(x * 7.0 * pi) * 0.3 * w +
                        (std::sin((x + x) * pi + (-1.0084512418023237)) * 0.3777 + x));
    const double s = std::sin(x * x * x * 6.0 * kTwoPi);
    const double y22 = s * 0.25 + (w * 0.75 * s + x * 0.5);
    setOdd(curves[19], j, y19);
    setOdd(curves[20], j, y20);
    setOdd(curves[22], j, y22);
  }
  // Curve 21 joins the positive half of 19 with the negative half of 20.
  for (int i = 0; i < 256; ++i) {
    curves[21].data[256 + i] = curves[19].data[256 + i];
    curves[21].data[i] = curves[20].data[i];
  }
  for (int c = 19; c <= 22; ++c) smoothPass(curves[c]);
  for (int c = 19; c <= 22; ++c) normalisePass(curves[c]);
}

void DistortionDataProvider::initQuellbrandDrive() {
  double a = 0.0, b = 0.0;
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double w = 1.0 - x;
    if (j % 4 == 0) a = randomUnit();
    if (j % 2 == 0) b = randomUnit();
    const double r3 = randomUnit();
    const int r4 = rand();
    a = a * 0.5 + x;
    if (j < 512 / 20) a = a + std::sin(j / 25.0 * pi * 3.0) * 0.5;
    b = b * 0.6 + x;
    if (j < 512 / 16) {
      const double q = std::sin((j / 32.0 * pi) * 2);
      b = b + q * 0.5 * q;
    }
    b = b * w;
    const double e = r3 * 0.7 + x + std::sin(x * pi * 10.0) * 0.5 * w;
    const double d =
        w * (std::sin(x * pi * kFourPi) * (-0.4)) + ((r4 / kRandMax) * 2 + (-1.0)) * 0.23456789 + b;
    setPoint(curves[23], j, a, -b);
    setPoint(curves[24], j, b, -e);
    setPoint(curves[25], j, e, -a);
    setPoint(curves[26], j, d, -d);
  }
  for (int c = 23; c <= 26; ++c) clampPass(curves[c]);
  for (int c = 23; c <= 26; ++c) smoothPass(curves[c]);
}

void DistortionDataProvider::initBiggies() {
  double noise = 0.0;
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double w = 1.0 - x;
    const double m = randomUnit() * 0.44;
    if (j % 2 == 1) noise = randomUnit() * x;
    const double s1 = std::sin((x + x) * pi);
    const double s2 = std::sin(x * 4.0 * pi);
    const double v = s1 > 0.0 ? s1 * 1.25 * s1 * w + m : 0.0;
    const double u = s2 > 0.0 ? x * 0.75 + w * s2 : x * 0.75;
    setOdd(curves[27], j, m + std::sin(x * 8.0 * pi) * 0.25 + (x + s2));
    const double t = noise * 0.777;
    setOdd(curves[28], j,
           w * (-0.4) * std::sin(x * 12.0 * pi) + (std::cos(x * 10.0 * pi) * 0.25 + (v + u)) + t);
    noise = t;
  }
  clampPass(curves[27]);
  clampPass(curves[28]);
  smoothPass(curves[27]);
  smoothPass(curves[28]);
}

void DistortionDataProvider::initViciousViper() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    setOdd(curves[29], j, ((j % 51) - 25) / 50.0 * (1.0 - x) + x);
  }
  normalisePass(curves[29]);
}

void DistortionDataProvider::initAssKicking() {
  double k = 0.5;
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double t = (1.0 - x) * k;
    setPoint(curves[30], j, x + 0.2 + t, -(x + t));
    if (j % 32 == 0) k = -k;
  }
  normalisePass(curves[30]);
}

void DistortionDataProvider::initTigersBlood() {
  double g = 1.0;
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double a = g * (1.0 - x) * (1.0 - x);
    setPoint(curves[31], j, std::sin(x * kHalfPi) + a, -(x + a));
    if (j % 25 == 0) g = -g;
  }
  normalisePass(curves[31]);
}

void DistortionDataProvider::initMadCat() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double w = 1.0 - x;
    setPoint(curves[32], j, std::sin(x * kFourPi) * 1.25 * w + x,
             -(std::sin(x * kEightPi) * 1.5 * w * w + x));
  }
  clampPass(curves[32]);
}

void DistortionDataProvider::initElDiablo() {
  for (int j = 0; j < 256; ++j) {
    const int r1 = rand();
    const int r2 = rand();
    if (j == 0) {
      setPoint(curves[33], j, 0.0, -0.0);
      continue;
    }
    const double x = gridX(j);
    const double w = 1.0 - x;
    const double w3 = w * w * w;
    const double pos = (((r1 / kRandMax) * 2 + (-1.0)) * 0.5 + x) * w3 +
                       (std::sin(x * 6.0 * pi) * w + (std::sin(x * 3.0 * pi) * 1.5 * w + x));
    const double neg = -((((r2 / kRandMax) * 2 + (-1.0)) * 0.5 + x) * w3 +
                         (std::cos(x * 5.0 * pi) * 1.25 * w + x + std::sin(x * 10.0 * pi) * w));
    setPoint(curves[33], j, pos, neg);
  }
  clampPass(curves[33]);
}

void DistortionDataProvider::initToxicDrive() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    // The fuzz-drive value of curve 9 at this point.
    const double f = curves[9].data[256 + j];
    const double s = std::sin(((x + f) * 0.5) * pi);
    setOdd(curves[35], j, std::sin(x * pi) * 0.5);
    setOdd(curves[36], j, s * s * 0.5);
    setOdd(curves[37], j, std::sin(f * pi) * 0.5);
  }
  for (int c = 35; c <= 37; ++c) clampPass(curves[c]);
}

void DistortionDataProvider::initRawnfield() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double w = 1.0 - x;
    const double s41 = std::sin((x + x) * 8.0 * pi) * 0.5 + std::cos(x * 8.0 * pi) * 0.5;
    const double s42 = std::cos(x * 6.0 * pi) * 0.5 + std::sin((x + x) * 6.0 * pi) * 0.5 +
                       std::cos(x * 4.0 * 6.0 * pi) * 0.5;
    const double s43 = std::cos(x * 5.0 * pi) * 0.5 + std::sin(x * 3.0 * 5.0 * pi) * 0.5 +
                       std::sin(x * 5.0 * 5.0 * pi) * 0.5;
    const double s44 = std::cos(x * 4.0 * pi) * 0.5 + std::sin(x * 3.0 * 4.0 * pi) * 0.5 +
                       std::cos(x * 4.0 * 4.0 * pi) * 0.5 + std::cos(x * 5.0 * 4.0 * pi) * 0.5;
    setOdd(curves[41], j, x + s41 * w);
    setOdd(curves[42], j, x + s42 * w);
    setOdd(curves[43], j, x + s43 * (w * w));
    setOdd(curves[44], j, x + s44 * (w * w));
  }
  for (int c = 41; c <= 44; ++c) normalisePass(curves[c]);
}

}  // namespace Rawnfield
