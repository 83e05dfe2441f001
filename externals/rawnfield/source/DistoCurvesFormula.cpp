// Curves built from one closed formula over the curve grid. Expressions keep
// the order of their factors: the curves are compared bit for bit.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "CurveMath.h"
#include "DistortionDataProvider.h"

namespace Rawnfield {

using CurveMath::kHalfPi;
using CurveMath::kTwoPi;

namespace {
constexpr double pi = CurveMath::kPi;
constexpr double kLn256 = 5.545177444479562;

double fuzzDriveValue(int j, double x) {
  return j == 0 ? 0.0 : (std::log(x) + kLn256) / kLn256;
}
}  // namespace

void DistortionDataProvider::initLinear() {
  CurveMath::fillRamp(curves[0].data, curves[0].size);
}

void DistortionDataProvider::initCompressor() {
  DistoData& c = curves[1];
  CurveMath::fillRamp(c.data, c.size);
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    if (x >= 0.6) c.data[256 + j] = (x - 0.6) * 0.25 + 0.6;
  }
  mirror(c);
}

void DistortionDataProvider::initSoftKneeCompressor() {
  DistoData& c = curves[2];
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    double y;
    if (x < 0.6) {
      y = x;
    } else if (x < 0.7999999999999999) {
      const double u = (x - 0.7) + 0.1;
      y = x + u * (-0.75) * u / 0.4;
    } else {
      y = (x - 0.7) * 0.25 + 0.7;
    }
    setOdd(c, j, y);
  }
}

void DistortionDataProvider::initLimiter() {
  DistoData& c = curves[3];
  CurveMath::fillRamp(c.data, c.size);
  for (int j = 0; j < 256; ++j)
    if (gridX(j) >= 0.5) c.data[256 + j] = 0.5;
  mirror(c);
}

void DistortionDataProvider::initSoftLimiter() {
  initSoftLimiter(curves[4], 0.5, 0.2, 4.0);
}

void DistortionDataProvider::initWarmSaturation() {
  for (int j = 0; j < 256; ++j) setOdd(curves[5], j, std::sin(gridX(j) * kHalfPi));
}

void DistortionDataProvider::initClassicSaturation() {
  for (int j = 0; j < 256; ++j) {
    const double c = CurveMath::clampUnit(gridX(j) * 1.777);
    setOdd(curves[6], j, std::atan(c) / 0.7853981633974483);
  }
}

void DistortionDataProvider::initHardOverload() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    setOdd(curves[7], j, x * 70.68609865470853 / (std::fabs(x) * 69.68609865470853 + 1.0));
  }
}

void DistortionDataProvider::initFullClip() {
  for (int j = 0; j < 256; ++j) setOdd(curves[8], j, j < 2 ? 0.0 : 1.0);
}

void DistortionDataProvider::initFuzzDrive1() {
  for (int j = 0; j < 256; ++j) setOdd(curves[9], j, fuzzDriveValue(j, gridX(j)));
}

// Curve 9 with flat steps laid over ranges of the positive half.
void DistortionDataProvider::fuzzDrivePlateaus(int curve, double low, bool setLow, double high) {
  DistoData& c = curves[curve];
  memcpy(c.data, curves[9].data, sizeof(double) * 512);
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    if (setLow && x >= 0.1 && x < 0.25) c.data[256 + j] = low;
    if (x >= 0.5 && x < 0.7) c.data[256 + j] = high;
  }
  mirror(c);
  smoothPass(c);
}

void DistortionDataProvider::initFuzzDrive2() {
  fuzzDrivePlateaus(10, 0.0, false, 0.5);
}

void DistortionDataProvider::initFuzzDrive3() {
  fuzzDrivePlateaus(11, 0.1, true, 0.5);
}

void DistortionDataProvider::initFuzzDrive4() {
  fuzzDrivePlateaus(12, -0.125, true, 0.4);
}

void DistortionDataProvider::initTroskDrive() {
  DistoData& c = curves[13];
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    setOdd(c, j, (1.0 - x) * ((j % 179) / 179.0 + (-0.288)) + x);
  }
  smoothPass(c);
}

void DistortionDataProvider::initZadiredFuzz() {
  DistoData& c = curves[14];
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    double y = std::cos(x * 77.7 * pi) * (-0.1777) +
               (std::sin(x * 25.0 * pi) * 0.144 + (std::sin(x * (-2.5) * pi) * 0.4777 + x));
    if (j < 25) {
      const double s = std::sin(j / 25.0 * pi);
      y = y + s * s;
    }
    y = y < 0.0 ? 0.0 : (y > 1.0 ? 1.0 : y);
    setOdd(c, j, y);
  }
  smoothPass(c);
}

void DistortionDataProvider::initZRMDrive() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double y = std::sin(x * 4.0 * pi) * 0.35777 + x;
    const double c = std::cos(x * 3.0 * pi);
    setOdd(curves[15], j, y);
    setPoint(curves[16], j, y, -(c * (-0.1777) + y));
  }
  smoothPass(curves[15]);
  smoothPass(curves[16]);
}

void DistortionDataProvider::initTube() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double y = j < 128 ? (x + x) * 0.97 : ((j - 128) * (-0.0078125) + 1.0) * 0.2425 + 0.7275;
    setOdd(curves[17], j, y);
  }
}

void DistortionDataProvider::initSoftTube() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    setOdd(curves[18], j, (1.0 - x) * std::sin(x * pi) + x);
  }
}

void DistortionDataProvider::initTransistor() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double y =
        x >= 0.8 ? (x - 0.8) * (-0.8) + x : x - std::pow(std::sin(x / 0.8 * pi) * 1.2, 3.0) * 0.8;
    setOdd(curves[34], j, y);
  }
}

void DistortionDataProvider::initInvertDrive() {
  for (int j = 0; j < 256; ++j) setOdd(curves[38], j, j * (-0.00392156862745098) + 1.0);
}

void DistortionDataProvider::initAngryZombie() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double t = j / 192.0;
    double s = 0.0, e = 0.0;
    if (t <= 1.0) {
      s = std::sin(t * kTwoPi);
      e = 1.0 - t;
    }
    const double v = std::sin(x * kHalfPi);
    setOdd(curves[39], j, v * v * 0.8 + s * e * e * e);
  }
}

void DistortionDataProvider::initFuriousMonster() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double t = j / 25.6;
    const double a = t > 1.0 ? kHalfPi : t * kHalfPi;
    const double v = std::sin(x * pi);
    setOdd(curves[40], j, std::sin(a) * ((1.0 - v * v + 0.2) * 0.8));
  }
}

void DistortionDataProvider::initNeoFuzz() {
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double y = j == 0 ? 0.0 : (std::sin(x * kTwoPi) * (1.0 - x) + std::tanh(x * 5.0)) * 0.6;
    setOdd(curves[52], j, y);
  }
}

void DistortionDataProvider::initStairway2Hell() {
  DistoData& c = curves[53];
  double v = 0.0;
  for (int j = 0; j < 256; ++j) {
    if (j == 2) {
      v = v + 0.25;
    } else if (j > 0 && j % 64 == 0) {
      v = v + 0.25;
      v = std::min(v, 1.0);
    }
    setOdd(c, j, v);
  }
  smoothPass(c);
  c.smoothZeroCrossing();
}

void DistortionDataProvider::initUnitCompressor() {
  for (int j = 0; j < 256; ++j) {
    double v = j * 0.003913894324853229;
    if (j > 127) v = (v + (-0.5009784735812133)) * 0.4 + 0.5009784735812133;
    setOdd(curves[81], j, v);
  }
}

void DistortionDataProvider::initOutputSaturation() {
  for (int j = 0; j < 256; ++j)
    setOdd(curves[82], j, std::min(1.0, std::sin(gridX(j) * kHalfPi) * 1.16));
}

void DistortionDataProvider::initOutputLimiter() {
  initSoftLimiter(curves[83], 0.98, 0.01, 10.0);
}

void DistortionDataProvider::initFuzzyFilterDrive() {
  DistoData& c = curves[84];
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double a = std::sin((x + x) * pi) * (1.0 - x) + x;
    const double b = a - std::cos(x * 3.0 * pi) * x;
    setOdd(c, j, b - std::cos(x * 6.0 * pi) * (x * x));
  }
  normalisePass(c);
}

}  // namespace Rawnfield
