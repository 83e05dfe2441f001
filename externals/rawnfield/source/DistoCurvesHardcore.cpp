// Hardcore and industrial curves: computed point by point, then reshaped
// region by region (plateaus, zeros, ramps and gains over index ranges).
#include <algorithm>
#include <cmath>

#include "CurveMath.h"
#include "DistortionDataProvider.h"

namespace Rawnfield {

using CurveMath::kFourPi;
using CurveMath::kTwoPi;

namespace {
constexpr double pi = CurveMath::kPi;

void fill(double* k, int from, int to, double v) {
  for (int j = from; j <= to; ++j) k[j] = v;
}
}  // namespace

void DistortionDataProvider::initHardcoreFuzz() {
  double k1[256], k2[256], k3[256], k4[256], k5[256], k6[256], k7[256], k8[256];
  double g = -1.0;
  for (int j = 0; j < 256; ++j) {
    // This family uses its own abscissa j/256, not the curve grid.
    const double t = j * 0.00390625;
    const double w = 1.0 - t;
    const double s = std::sin(t * pi);
    k1[j] = std::fabs(std::sin(t * 4.0 * pi)) * 0.1 + (t + s * 0.2);
    k2[j] = std::fabs(std::sin(t * 6.0 * pi)) * 0.15 + (s * 0.25 + t);
    k3[j] = std::fabs(std::sin(t * 10.0 * pi)) * 0.15 + (s * 0.25 + t);
    k4[j] = std::fabs(std::sin(t * 8.0 * pi)) * 0.25 + (t + s * 0.2);
    const int m = j % 42;
    if (m == 0) g = -g;
    const double r = m / 42.0 * g * 1.5 * w;
    k5[j] = (t - s * 0.2) + r;
    k6[j] = (t - s * 0.1) + r;
    const double ramp = (j & 63) * 0.015625 * 1.75;
    const double q = std::sin(t * kTwoPi);
    k7[j] = q * 0.1 + t + ramp * w;
    k8[j] = q * 0.2 + t + ramp * w;
  }

  // Region edits, in order; later edits overwrite earlier ones.
  double step = 0.0;
  for (int i = 0; i < 100; ++i) {
    k1[55 + i] = k1[74];
    k3[55 + i] = k3[74] - step;  // k3[74] itself changes at i = 19
    step = step + (-0.01);
  }
  fill(k1, 5, 54, 0.0);
  double u = 0.0;
  for (int i = 0; i < 50; ++i) {
    k3[25 + i] = u;
    u = u + 0.01;
  }
  fill(k1, 100, 116, 1.0);
  fill(k1, 200, 216, 1.0);
  fill(k2, 200, 216, 0.0);
  fill(k2, 150, 199, 1.0);
  fill(k4, 150, 199, 0.0);
  fill(k1, 7, 43, 1.0);
  fill(k2, 7, 43, 0.0);
  fill(k4, 17, 53, 1.0);
  for (int j = 17; j <= 53; ++j) k3[j] = k3[j] * 0.1;

  for (int j = 0; j < 256; ++j) {
    setPoint(curves[45], j, k1[j], -k2[j]);
    setPoint(curves[46], j, k3[j], -k4[j]);
    setPoint(curves[47], j, k5[j], -k6[j]);
    setPoint(curves[48], j, k7[j], -k8[j]);
  }
  clampPass(curves[45]);
  clampPass(curves[46]);
  normalisePass(curves[47]);
  normalisePass(curves[48]);
  smoothPass(curves[48]);
}

void DistortionDataProvider::initIndustrial() {
  double* c49 = curves[49].data;
  double* c50 = curves[50].data;
  double* c51 = curves[51].data;
  double p = 0.0, q = 0.0, dp = 0.0108025, dq = 0.00025;
  // Phase offsets that double at every point: tiny at first, they end up
  // scrambling the phases of the sines.
  double o1 = 7.5e-11, o2 = 1.1e-11, o3 = 1.1925e-11, o4 = 1.47e-12;
  for (int j = 0; j < 256; ++j) {
    const double x = gridX(j);
    const double w = 1.0 - x;
    if (p > 0.2 || p < -0.2) dp = -dp;
    if (q > 0.2 || q < -0.2) dq = -dq;
    p = p + dp;
    o1 = o1 * 2;
    o2 = o2 * 2;
    o3 = o3 * 2;
    o4 = o4 * 2;
    const double a1 = std::sin((o1 + x) * kFourPi);
    const double a2 = std::sin((o2 + x) * kFourPi);
    const double a3 = std::sin((o3 + x) * kTwoPi);
    const double a4 = std::sin((o4 + x) * kTwoPi);
    const double m = std::min(1.0, x * 1.7);
    const double h = w * 0.5;
    c49[256 + j] = x + p;
    c50[256 + j] = a1 * h + m;
    c51[256 + j] = m - h * a3;
    q = q - dq;
    c49[255 - j] = -(x + q);
    c50[255 - j] = -(std::fabs(a2) * (w * 0.4 * w) + m);
    c51[255 - j] = -(m + std::fabs(a4) * (w * (-0.3) * w));
    dp = dp + (-0.00525);
    dq = dq + (-0.0005);
  }

  struct Gain {
    bool positive;
    int from, to;
    double g49, g50, g51;
  };
  static const Gain kGains[] = {
      {true, 75, 174, 0.25, 0.33, 0.33},
      {false, 25, 74, 0.1, 0.25, 0.33},
      {true, 100, 116, 0.25, 0.2, 0.1},
      {false, 200, 216, 0.25, 0.25, 0.33},
  };
  for (const Gain& g : kGains) {
    for (int j = g.from; j <= g.to; ++j) {
      const int i = g.positive ? 256 + j : 255 - j;
      c49[i] = c49[i] * g.g49;
      c50[i] = c50[i] * g.g50;
      c51[i] = c51[i] * g.g51;
    }
  }
  // Flip the entries next to the centre of curve 50 to the positive side.
  for (int j = 0; j < 50; ++j) c50[255 - j] = -(std::sin(j / 50.0 * pi) * 0.7 + c50[255 - j]);
  for (int j = 0; j < 100; ++j) c51[255 - j] = c51[255 - j] + std::sin((j / -100.0) * kTwoPi) * 0.7;
  clampPass(curves[49]);
  clampPass(curves[50]);
  clampPass(curves[51]);
}

}  // namespace Rawnfield
