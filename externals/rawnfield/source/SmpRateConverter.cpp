#include "SmpRateConverter.h"

#include <cmath>

#include "../DspLib/Lanes.h"
#include "UnitMath.h"

namespace Rawnfield {

namespace {

// Keeps m of n samples of `count` channels (the channels take the same
// positions, so they are worked out once) and stretches them back over the
// block. Every kept sample is read before any is written back.
void reduce(double* const* x, double* const* kept, int count, int n, int m) {
  // floor(k / m * n) of two positions at once: non-negative and below n,
  // where truncation is the floor.
  const auto positions = [](int k, int to, int from, int& a, int& b) {
    const Dsp::Lanes p = Dsp::lanes(k, k + 1) / Dsp::splat(from) * Dsp::splat(to);
    Dsp::truncLanes(p, a, b);
  };
  int k = 0;
  for (; k + 2 <= m; k += 2) {
    int a, b;
    positions(k, n, m, a, b);
    for (int c = 0; c < count; ++c) {
      kept[c][k] = x[c][a];
      kept[c][k + 1] = x[c][b];
    }
  }
  if (k < m) {
    const int at = static_cast<int>(std::floor(static_cast<double>(k) / m * n));
    for (int c = 0; c < count; ++c) kept[c][k] = x[c][at];
  }
  int j = 0;
  for (; j + 2 <= n; j += 2) {
    int a, b;
    positions(j, m, n, a, b);
    for (int c = 0; c < count; ++c) {
      x[c][j] = kept[c][a];
      x[c][j + 1] = kept[c][b];
    }
  }
  if (j < n) {
    const int at = static_cast<int>(std::floor(static_cast<double>(j) / n * m));
    for (int c = 0; c < count; ++c) x[c][j] = kept[c][at];
  }
}

}  // namespace

SmpRateConverter::SmpRateConverter()
    : scratchLeft(kDefaultBlockSize), scratchRight(kDefaultBlockSize) {}

SmpRateConverter::~SmpRateConverter() {}

void SmpRateConverter::setBlockSize(int n) {
  scratchLeft.growCleared(n);
  scratchRight.growCleared(n);
}

void SmpRateConverter::setSampleRateConversion(double v) {
  ratio = v * v * v;
}

int SmpRateConverter::keptSamples(int n) const {
  // ratio < 1 here, so the product stays below n; a negative ratio keeps
  // the minimum.
  int m = ratio > 0.0 ? static_cast<int>(ratio * n) : 0;
  if (m < kMinimumSampleRate) m = kMinimumSampleRate;
  // A block longer than the buffers (the owner's mistake) keeps fewer
  // samples instead of writing past them.
  if (m > scratchLeft.capacity) m = scratchLeft.capacity;
  return m;
}

int64_t SmpRateConverter::getConvertedSampleRate() const {
  const int capacity = scratchLeft.capacity;
  if (!(ratio < 1.0) || capacity < 1) return static_cast<int64_t>(sampleRate);
  int64_t m = ratio > 0.0 ? static_cast<int64_t>(ratio * capacity) : 0;
  if (m < kMinimumSampleRate) m = kMinimumSampleRate;
  return static_cast<int64_t>(static_cast<double>(m) / capacity * sampleRate);
}

void SmpRateConverter::process(double** io, int n) {
  // An empty block is left alone before anything reads it.
  if (!UnitMath::isBlock(io, n)) return;
  if (bypass || !(ratio < 1.0)) return;
  const int m = keptSamples(n);
  if (m < 1) return;
  double* scratch[2] = {scratchLeft.data, scratchRight.data};
  if (UnitMath::overlaps(io[0], io[1], n)) {
    // One buffer for both channels is reduced twice, a pass per channel.
    reduce(io, scratch, 1, n, m);
    reduce(io + 1, scratch + 1, 1, n, m);
  } else {
    reduce(io, scratch, 2, n, m);
  }
}

}  // namespace Rawnfield
