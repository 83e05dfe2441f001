#include "DistortionDataProvider.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "CurveMath.h"
#include "LookUp.h"
#include "StoredCurves.h"

namespace Rawnfield {

using CurveMath::clampUnit;

DistoData::DistoData(unsigned short n) : size(n), data(new double[n]()) {}

DistoData::~DistoData() {
  delete[] data;
  data = nullptr;
}

void DistoData::smoothZeroCrossing() {
  LookUp::smoothZeroCrossing(data, size);
}

DistortionDataProvider::DistortionDataProvider() {
  init();
}

DistortionDataProvider::~DistortionDataProvider() {}

void DistortionDataProvider::init() {
  // The noise curves draw from the process-wide generator; seeding it here
  // makes every provider hold the same curves.
  srand(1600);
  initLinear();
  initCompressor();
  initSoftKneeCompressor();
  initLimiter();
  initSoftLimiter();
  initWarmSaturation();
  initClassicSaturation();
  initHardOverload();
  initFullClip();
  initFuzzDrive1();
  initFuzzDrive2();
  initFuzzDrive3();
  initFuzzDrive4();
  initTroskDrive();
  initZadiredFuzz();
  initZRMDrive();
  initTube();
  initSoftTube();
  initSigmoidDrive();
  initQuellbrandDrive();
  initBiggies();
  initViciousViper();
  initAssKicking();
  initTigersBlood();
  initMadCat();
  initElDiablo();
  initTransistor();
  initToxicDrive();
  initInvertDrive();
  initAngryZombie();
  initFuriousMonster();
  initRawnfield();
  initHardcoreFuzz();
  initIndustrial();
  initNeoFuzz();
  initStairway2Hell();
  initCustomDistortions();
  initUnitCompressor();
  initOutputSaturation();
  initOutputLimiter();
  initFuzzyFilterDrive();
}

void DistortionDataProvider::initCustomDistortions() {
  struct Stored {
    int curve;
    const double* table;
  };
  static const Stored kStored[] = {
      {54, gNeuroFunk1},
      {55, gNeuroFunk2},
      {56, gDubStep1},
      {57, gDubStep2},
      {59, gMorvelLut},
      {60, gSkarth},
      {58, gWendrickNameOfTheDj},
      {61, gVelmo},
      {62, gPrandixSystem},
      {63, gQzarPublicEnemy},
      {64, gQzarStraightLut},
      {65, gQzarGangstarizmLut},
      {66, gOlverin},
      {67, gTarvixSystem},
      {68, gBrellow},
      {69, gWemsyLut},
      {70, gYostraLut},
      {71, gTroskLut},
      {72, gDremloLut},
      {73, gPlonqLut},
      {74, gTheVarlock},
      {75, gPlimb},
      {76, gTheOzzarim},
      {77, gGrelsh},
      {78, gMorbaxHardAsHell},
      {79, gMorbaxSycoKilla},
      {80, gZrmThrashcore},
  };
  for (const Stored& s : kStored) convertData(curves[s.curve], s.table, 512);
}

double DistortionDataProvider::gridX(int j) const {
  const DistoData& grid = curves[kLinearCurve];
  const int i = 256 + j;
  return i >= 0 && i < grid.size ? grid.data[i] : 0.0;
}

void DistortionDataProvider::setPoint(DistoData& c, int j, double positive, double negative) {
  const int p = 256 + j, n = 255 - j;
  if (p >= 0 && p < c.size) c.data[p] = positive;
  if (n >= 0 && n < c.size) c.data[n] = negative;
}

void DistortionDataProvider::mirror(DistoData& c) {
  for (int j = 0; j < 256; ++j) {
    const int p = 256 + j, n = 255 - j;
    if (p < c.size && n < c.size) c.data[n] = -c.data[p];
  }
}

void DistortionDataProvider::clampPass(DistoData& c) {
  for (int i = 0; i < c.size; ++i) c.data[i] = clampUnit(c.data[i]);
}

// A running average forward from -1, then backward from +1; it lags and
// flattens steps.
void DistortionDataProvider::smoothPass(DistoData& c) {
  const int n = c.size;
  if (n < 1) return;
  double* d = c.data;
  double y = clampUnit(((d[0] + (-1.0)) * 0.25 + d[0]) * 0.5);
  d[0] = y;
  for (int i = 1; i < n; ++i) {
    y = clampUnit((y + d[i]) * 0.5);
    d[i] = y;
  }
  y = clampUnit(((d[n - 1] + 1.0) * 0.25 + d[n - 1]) * 0.5);
  d[n - 1] = y;
  for (int i = n - 2; i >= 0; --i) {
    y = clampUnit((y + d[i]) * 0.5);
    d[i] = y;
  }
}

void DistortionDataProvider::normalisePass(DistoData& c) {
  double peak = 0.0;
  for (int i = 0; i < c.size; ++i) {
    const double a = std::fabs(c.data[i]);
    if (a > peak) peak = a;
  }
  if (peak == 0.0) return;
  for (int i = 0; i < c.size; ++i) c.data[i] = c.data[i] / peak;
}

double DistortionDataProvider::randomUnit() {
  return (rand() / 2147483647.0) * 2 + (-1.0);
}

void DistortionDataProvider::initSoftLimiter(DistoData& curve, double t, double k, double r) const {
  if (curve.size == 0) return;
  CurveMath::fillRamp(curve.data, curve.size);
  double held = 0.0;
  const int points = curve.size / 2;
  for (int j = 0; j < points; ++j) {
    const double x = gridX(j);
    double y;
    if (x < t - k / 2) {
      y = x;
    } else if (x < t + k / 2) {
      const double u = x - t + k / 2;
      held = u * (1 / r - 1) * u / (2 * k) + x;
      y = held;
    } else {
      y = held;  // flat at the last value inside the knee
    }
    if (256 + j < curve.size) curve.data[256 + j] = y;
  }
  mirror(curve);
}

void DistortionDataProvider::convertData(DistoData& curve, const double* table, unsigned short n) {
  // A missing table converts to silence rather than to the temporary
  // table's straight line.
  const int count = curve.size < 512 ? curve.size : 512;
  if (!table || n == 0) {
    for (int i = 0; i < count; ++i) curve.data[i] = 0.0;
    return;
  }
  LookUp lut(n);
  CurveMath::loadClamped(lut.base.data, table, n);
  for (int i = 0; i < count; ++i) {
    double x = i * 0.003913894324853229 + (-1.0);
    if (x < -1.0) x = -1.0;
    curve.data[i] = lut.read(lut.base.data, x);
  }
}

}  // namespace Rawnfield
