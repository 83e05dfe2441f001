// The oversampler against a plain one-sample-at-a-time model of its
// filters over a long run, so that a faster filter form cannot drift away
// from the recurrence it stands for.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "Oversampler.h"
#include "scenarios.h"

using Rawnfield::Oversampler;

namespace {

// Magnitudes below 2^-54 and non-finite values leave as 0.
double flush(double v) {
  return std::isfinite(v) && std::fabs(v) >= 0x1p-54 ? v : 0.0;
}

// y = c0 x + c1 y[-1] + ... + c8 y[-8], flushed into the history.
struct PlainFilter {
  double step(const double* c, double x) {
    double y = c[0] * x;
    for (int k = 0; k < 8; ++k) y += c[k + 1] * h[k];
    y = flush(y);
    for (int k = 7; k > 0; --k) h[k] = h[k - 1];
    h[0] = y;
    return y;
  }
  double h[8] = {};
};

struct PlainOversampler {
  explicit PlainOversampler(const Oversampler& o) : c(o.coefficients.c), gain(o.outputGain) {}

  template <class Stage>
  void run(double** io, int n, Stage&& stage) {
    std::vector<double> up[2] = {std::vector<double>(8 * n), std::vector<double>(8 * n)};
    for (int ch = 0; ch < 2; ++ch)
      for (int i = 0; i < 8 * n; ++i)
        up[ch][i] = flush(8.0 * filters[ch].step(c, i % 8 ? 0.0 : io[ch][i / 8]));
    double* u[2] = {up[0].data(), up[1].data()};
    stage(u, 8 * n);
    for (int ch = 0; ch < 2; ++ch)
      for (int j = 0; j < 8 * n; ++j) {
        const double y = filters[2 + ch].step(c, up[ch][j]);
        if (j % 8 == 0) io[ch][j / 8] = y * gain;
      }
  }

  const double* c;
  double gain;
  PlainFilter filters[4];
};

void stage(double** up, int m) {
  for (int ch = 0; ch < 2; ++ch)
    for (int i = 0; i < m; ++i) up[ch][i] = 1.5 * up[ch][i] / (1.0 + std::fabs(up[ch][i]));
}

TEST(OversamplerReference, LongRunFollowsThePlainRecurrence) {
  Oversampler o;
  o.setBlockSize(512);
  o.reset();
  PlainOversampler plain(o);
  const int lengths[] = {512, 1, 17, 333, 512, 8, 511, 256};
  int total = 0;
  for (int k = 0; k < 40; ++k) total += lengths[k % 8];
  const std::vector<double> srcL = SpeedScenarios::signal(total, 5u, 1.3);
  const std::vector<double> srcR = SpeedScenarios::signal(total, 6u, 0.6);

  std::vector<double> a[2] = {std::vector<double>(512), std::vector<double>(512)};
  std::vector<double> b[2] = {std::vector<double>(512), std::vector<double>(512)};
  double worst = 0.0;
  int at = 0;
  for (int k = 0; k < 40; ++k) {
    const int n = lengths[k % 8];
    for (int i = 0; i < n; ++i) {
      a[0][i] = b[0][i] = srcL[at + i];
      a[1][i] = b[1][i] = srcR[at + i];
    }
    at += n;
    double* fast[2] = {a[0].data(), a[1].data()};
    double* ref[2] = {b[0].data(), b[1].data()};
    o.run(fast, n, stage);
    plain.run(ref, n, stage);
    for (int ch = 0; ch < 2; ++ch)
      for (int i = 0; i < n; ++i) {
        const double d = std::fabs(fast[ch][i] - ref[ch][i]);
        worst = std::fmax(worst, d);
        ASSERT_LE(d, 1e-12) << "block " << k << " channel " << ch << " frame " << i;
      }
  }
  std::ostringstream text;
  text << std::scientific << worst;
  RecordProperty("largest_difference", text.str());
  // The histories left behind are the model's.
  for (int f = 0; f < 4; ++f)
    for (int k = 0; k < 8; ++k) EXPECT_NEAR(o.states[f][k], plain.filters[f].h[k], 1e-12);
}

}  // namespace
