// Curve actions and the editor's pictures. Both run on the audio thread
// after a deferred editor request, so neither allocates.
#include <cmath>
#include <cstdlib>

#include "CurveMath.h"
#include "Distortion.h"

namespace Rawnfield {

using CurveMath::clampUnit;

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;
constexpr double kNoiseDepth = 0.0777;

void normalise(double* t, int n) {
  double peak = 0.0;
  for (int i = 0; i < n; ++i) peak = std::fabs(t[i]) > peak ? std::fabs(t[i]) : peak;
  if (peak <= kEpsilon) return;
  const double g = 1.0 / peak;
  for (int i = 0; i < n; ++i) t[i] = clampUnit(t[i] * g);
}

// Averages each entry with its already smoothed neighbour, forward then back.
void smooth(double* t, int n) {
  if (n < 2) return;
  double p = clampUnit(t[0]);
  t[0] = p;
  for (int i = 1; i < n; ++i) {
    t[i] = clampUnit((p + t[i]) * 0.5);
    p = t[i];
  }
  p = t[n - 1];
  for (int i = n - 1; i >= 0; --i) {
    t[i] = clampUnit((p + t[i]) * 0.5);
    p = t[i];
  }
}

void addNoise(double* t, int n) {
  for (int i = 0; i < n; ++i) {
    const double s = t[i] < 0.0 ? -1.0 : 1.0;
    const int r = rand();
    const double u = ((r % 2147483647) - 1073741823.5) / 1073741823.5;
    t[i] = clampUnit(t[i] + u * s * kNoiseDepth);
  }
}

// 16 flat steps, each holding the value at its first index.
void quantise(double* t, int n) {
  if (n < 16) return;
  const int step = n / 16;
  for (int i = 0; i < n; ++i)
    if (i % step) t[i] = t[i - i % step];
}

}  // namespace

void Distortion::dataAction(Types::eDistoCurveAction action) {
  if (!current) return;
  LookUp& lut = *current;
  double* t = lut.base.data;
  const int n = lut.size;
  switch (action) {
    case Types::kRestoreCurve: {
      // Straight from the provider: a copy in a vector would allocate here.
      const DistoData& c = curveForType(type);
      if (n == 0 || c.size != n || !c.data) return;
      CurveMath::loadClamped(t, c.data, n);
      break;
    }
    case Types::kNormalizeCurve:
      normalise(t, n);
      break;
    case Types::kSmoothCurve:
      smooth(t, n);
      break;
    case Types::kSmoothZeroCrossing:
      lut.smoothZeroCrossing();
      break;
    case Types::kAddNoise:
      addNoise(t, n);
      break;
    case Types::kQuantizeCurve:
      quantise(t, n);
      break;
    case Types::kResetCurve:
      if (n > 0) lut.resetToRamp();
      break;
    default:  // 6 and anything above 7: no action
      break;
  }
}

void Distortion::updateGUIData(double* curve, unsigned short nCurve, double* wave,
                               unsigned short nWave) {
  if (!current) return;
  LookUp& lut = *current;
  lut.buildWorking();
  if (curve && nCurve > 0 && lut.size > 0) {
    const double step = nCurve > 1 ? 2.0 / (nCurve - 1) : 0.0;
    for (int i = 0; i < nCurve; ++i)
      curve[i] = lut.read(lut.working.data, clampUnit(i * step - 1.0));
  }
  if (!wave || nWave == 0) return;
  // One sine period through distort(), a piece at a time: the left channel
  // is the caller's picture, the right one a fixed scratch whose result is
  // dropped. Pieces give the same result as one call.
  const double twoPi = 2.0 * CurveMath::kPi;
  for (int done = 0; done < nWave; done += kPreviewBlock) {
    const int m = nWave - done < kPreviewBlock ? nWave - done : kPreviewBlock;
    for (int k = 0; k < m; ++k) {
      const double s = std::sin(twoPi * (done + k) / nWave);
      wave[done + k] = s;
      previewRight[k] = s;
    }
    double* io[2] = {wave + done, previewRight};
    distort(io, nullptr, m);
  }
}

}  // namespace Rawnfield
