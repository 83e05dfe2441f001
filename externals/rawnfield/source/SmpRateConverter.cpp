#include "SmpRateConverter.h"

#include <cmath>

#include "../DspLib/Lanes.h"
#include "UnitMath.h"

namespace Rawnfield {

namespace {

// to[c][k] = from[c][floor(k / length * scale)] for k < length, in `count`
// channels that take the same positions (worked out once, two at a time:
// non-negative and below the source length, where truncation is the floor).
void stretch(double* const* to, double* const* from, int count, int length, int scale) {
  int k = 0;
  for (; k + 2 <= length; k += 2) {
    int a, b;
    Dsp::truncLanes(Dsp::lanes(k, k + 1) / Dsp::splat(length) * Dsp::splat(scale), a, b);
    for (int c = 0; c < count; ++c) {
      to[c][k] = from[c][a];
      to[c][k + 1] = from[c][b];
    }
  }
  if (k < length) {
    const int at = static_cast<int>(std::floor(static_cast<double>(k) / length * scale));
    for (int c = 0; c < count; ++c) to[c][k] = from[c][at];
  }
}

// Keeps m of the n samples of `count` channels and stretches them back
// over the block; every kept sample is read before any is written back.
void reduce(double* const* x, double* const* kept, int count, int n, int m) {
  stretch(kept, x, count, m, n);
  stretch(x, kept, count, n, m);
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
