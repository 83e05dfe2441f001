// The oversampler against a plain one-sample-at-a-time model of its
// filters over a long run, so that a faster filter form cannot drift away
// from the recurrence it stands for.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
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

// One block of a stereo source twice: for the oversampler (fast) and the
// model (ref).
struct TwinBlocks {
  explicit TwinBlocks(int capacity) {
    for (int ch = 0; ch < 2; ++ch) {
      a[ch].resize(capacity);
      b[ch].resize(capacity);
      fast[ch] = a[ch].data();
      ref[ch] = b[ch].data();
    }
  }
  // Frames at..at + n of the source (zeros when `silent`).
  void take(const std::vector<double>& left, const std::vector<double>& right, int at, int n,
            bool silent = false) {
    for (int i = 0; i < n; ++i) {
      a[0][i] = b[0][i] = silent ? 0.0 : left[at + i];
      a[1][i] = b[1][i] = silent ? 0.0 : right[at + i];
    }
  }
  std::vector<double> a[2], b[2];
  double* fast[2];
  double* ref[2];
};

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

  TwinBlocks twins(512);
  double** fast = twins.fast;
  double** ref = twins.ref;
  double worst = 0.0;
  int at = 0;
  for (int k = 0; k < 40; ++k) {
    const int n = lengths[k % 8];
    twins.take(srcL, srcR, at, n);
    at += n;
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

// Blocks of a stage that changes nothing, between others, and inputs the
// base-rate filter must leave to the eightfold path: each output and the
// histories stay the recurrence's.
TEST(OversamplerReference, PassingThroughFollowsThePlainRecurrence) {
  enum Kind { kPass, kStage, kNaN, kHuge, kSilent };
  struct Block {
    int frames;
    Kind kind;
  };
  const Block blocks[] = {
      {64, kPass},  {3, kPass},    {200, kPass}, {512, kStage}, {5, kPass},     {16, kPass},
      {300, kPass}, {64, kNaN},    {64, kPass},  {64, kPass},   {40, kHuge},    {512, kPass},
      {512, kPass}, {1, kStage},   {33, kPass},  {512, kPass},  {100, kSilent}, {7, kPass},
      {256, kPass}, {256, kStage}, {256, kPass}, {129, kPass},
  };
  Oversampler o;
  o.setBlockSize(512);
  o.reset();
  PlainOversampler plain(o);
  int total = 0;
  for (const Block& b : blocks) total += b.frames;
  const std::vector<double> srcL = SpeedScenarios::signal(total, 7u, 1.1);
  const std::vector<double> srcR = SpeedScenarios::signal(total, 8u, 0.5);
  const auto nothing = [](double**, int) {};
  // Relative to values above 1: the eightfold path's own groups round the
  // decaying trace of the loud sample to some 3e-12 of its size.
  constexpr double kTolerance = 1e-3;

  TwinBlocks twins(512);
  double** fast = twins.fast;
  double** ref = twins.ref;
  double worst = 0.0;
  int at = 0;
  for (size_t k = 0; k < std::size(blocks); ++k) {
    const int n = blocks[k].frames;
    const Kind kind = blocks[k].kind;
    twins.take(srcL, srcR, at, n, kind == kSilent);
    if (kind == kNaN) fast[0][n / 2] = ref[0][n / 2] = std::nan("");
    if (kind == kHuge) fast[1][3] = ref[1][3] = 1e150;
    at += n;
    if (kind == kStage) {
      o.run(fast, n, stage);
      plain.run(ref, n, stage);
    } else {
      o.passThrough(fast, n);
      plain.run(ref, n, nothing);
    }
    if (k == 0) {
      // The base-rate filter ran from the cleared histories, leaving them
      // behind until asked for.
      for (const auto& h : o.states)
        for (double v : h) ASSERT_EQ(v, 0.0);
      o.updateStates();
      for (int f = 0; f < 4; ++f)
        for (int j = 0; j < 8; ++j) {
          ASSERT_NE(plain.filters[f].h[j], 0.0);
          EXPECT_NEAR(o.states[f][j], plain.filters[f].h[j], 1e-12) << f << " " << j;
        }
    }
    for (int ch = 0; ch < 2; ++ch)
      for (int i = 0; i < n; ++i) {
        const double scale = std::fmax(1.0, std::fabs(ref[ch][i]));
        const double d = std::fabs(fast[ch][i] - ref[ch][i]) / scale;
        worst = std::fmax(worst, d);
        ASSERT_LE(d, kTolerance) << "block " << k << " channel " << ch << " frame " << i << ": "
                                 << fast[ch][i] << " for " << ref[ch][i];
      }
  }
  std::ostringstream text;
  text << std::scientific << worst;
  RecordProperty("largest_difference", text.str());
  o.updateStates();
  for (int f = 0; f < 4; ++f)
    for (int k = 0; k < 8; ++k) EXPECT_NEAR(o.states[f][k], plain.filters[f].h[k], 1e-12);
}

// A sample far louder than the rest leaves a trace in the histories that
// outlasts the frames the base-rate filter reaches back over: passThrough
// keeps to the eightfold path until the trace has faded.
TEST(OversamplerReference, PassingThroughWaitsForALoudTraceToFade) {
  Oversampler o;
  o.setBlockSize(64);
  o.reset();
  PlainOversampler plain(o);
  const std::vector<double> srcL = SpeedScenarios::signal(64 * 12, 9u, 0.8);
  const std::vector<double> srcR = SpeedScenarios::signal(64 * 12, 10u, 0.8);
  TwinBlocks twins(64);
  double** fast = twins.fast;
  double** ref = twins.ref;
  const int lengths[] = {64, 16, 8, 8, 16, 64, 64, 64, 64, 64};
  int at = 0;
  for (int k = 0; k < 10; ++k) {
    const int n = lengths[k];
    twins.take(srcL, srcR, at, n);
    at += n;
    if (k == 0) {
      fast[0][62] = ref[0][62] = 1e30;
      o.run(fast, n, stage);
      plain.run(ref, n, stage);
      continue;
    }
    o.passThrough(fast, n);
    plain.run(ref, n, [](double**, int) {});
    // The eightfold path's own rounding of such a trace is some 1e-9 of
    // it; the base-rate filter taken too early would be off by far more.
    for (int ch = 0; ch < 2; ++ch)
      for (int i = 0; i < n; ++i)
        ASSERT_LE(std::fabs(fast[ch][i] - ref[ch][i]), 1e-6 * std::fmax(1.0, std::fabs(ref[ch][i])))
            << "block " << k << " channel " << ch << " frame " << i << ": " << fast[ch][i]
            << " for " << ref[ch][i];
  }
}

}  // namespace
