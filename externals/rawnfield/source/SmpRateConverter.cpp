#include "SmpRateConverter.h"

#include "UnitLanes.h"
#include "UnitMath.h"

namespace Rawnfield {

namespace {

using namespace UnitLanes;

// at[i] = floor((first + i) / length * scale) for i < count, where first
// + i < length (non-negative and below scale, where truncation is the
// floor), kCount<V> at a time while they fit; returns how many it did.
template <class V>
RN_INLINE int findPositions(int32_t* at, int first, int count, int length, int scale) {
  constexpr int N = kCount<V>;
  V k, step, lengths, scales;
  ramp(k, first);
  splat(step, N);
  splat(lengths, length);
  splat(scales, scale);
  int i = 0;
  for (; i + N <= count; i += N) {
    toInts(at + i, k / lengths * scales);
    k = k + step;
  }
  return i;
}

#if defined(DSP_WIDE_LANES)
DSP_WIDE int findPositionsWide(int32_t* at, int first, int count, int length, int scale) {
  const int done = findPositions<Four>(at, first, count, length, scale);
  Dsp::leaveWideLanes();
  return done;
}
DSP_WIDEST int findPositionsWidest(int32_t* at, int first, int count, int length, int scale) {
  const int done = findPositions<Eight>(at, first, count, length, scale);
  Dsp::leaveWideLanes();
  return done;
}
#endif

// findPositions for all of them, as wide as the processor allows.
void findAllPositions(int32_t* at, int first, int count, int length, int scale) {
  int done = 0;
#if defined(DSP_WIDE_LANES)
  const Dsp::LaneWidth lanes = Dsp::laneWidth();
  if (lanes >= Dsp::kWidestLanes)
    done = findPositionsWidest(at, first, count, length, scale);
  else if (lanes >= Dsp::kWideLanes)
    done = findPositionsWide(at, first, count, length, scale);
#endif
  done += findPositions<Lanes>(at + done, first + done, count - done, length, scale);
  findPositions<double>(at + done, first + done, count - done, length, scale);
}

// Frame k of a block of n frames keeping m samples holds kept sample
// floor(k / n * m), input frame taken[floor(k / n * m)].
//
// That frame is never later than k: each of the two positions is at most
// two roundings (a division, then a product) above its exact value, so
// the second exceeds k by at most about 4 k 2^-53, far below 1 for any
// block, and its truncation is at most k. So every channel is done in
// place, from the last frame to the first.

// Frames hi - 1 down to lo of left and, unless it is null, right: each
// takes its input frame, which source[k - lo] keeps for later blocks. The
// positions kCount<V> frames at a time (hi - lo a multiple of it), the
// samples moved meanwhile.
template <class V>
RN_INLINE void holdFresh(double* left, double* right, int32_t* source, const int32_t* taken, int lo,
                         int hi, int n, int m) {
  constexpr int N = kCount<V>;
  V k, step, frames, kept;
  ramp(k, hi - N);
  splat(step, N);
  splat(frames, n);
  splat(kept, m);
  for (int end = hi; end > lo; end -= N) {
    int32_t at[N];
    toInts(at, k / frames * kept);
    k = k - step;
    for (int l = N - 1; l >= 0; --l) {
      const int f = end - N + l;
      const int from = taken[at[l]];
      source[f - lo] = from;
      left[f] = left[from];
      if (right) right[f] = right[from];
    }
  }
}

#if defined(DSP_WIDE_LANES)
DSP_WIDE void holdFreshWide(double* left, double* right, int32_t* source, const int32_t* taken,
                            int lo, int hi, int n, int m) {
  holdFresh<Four>(left, right, source, taken, lo, hi, n, m);
  Dsp::leaveWideLanes();
}
DSP_WIDEST void holdFreshWidest(double* left, double* right, int32_t* source, const int32_t* taken,
                                int lo, int hi, int n, int m) {
  holdFresh<Eight>(left, right, source, taken, lo, hi, n, m);
  Dsp::leaveWideLanes();
}
#endif

// holdFresh for frames lo..hi, as wide as the processor allows: the top
// frames that do not fill the widest group first.
void holdAllFresh(double* left, double* right, int32_t* source, const int32_t* taken, int lo,
                  int hi, int n, int m) {
  int wide = lo;
#if defined(DSP_WIDE_LANES)
  const Dsp::LaneWidth lanes = Dsp::laneWidth();
  if (lanes >= Dsp::kWideLanes) wide = lo + (hi - lo) / lanes * lanes;
#endif
  const int pairs = wide + (hi - wide) / 2 * 2;
  holdFresh<double>(left, right, source + (pairs - lo), taken, pairs, hi, n, m);
  holdFresh<Lanes>(left, right, source + (wide - lo), taken, wide, pairs, n, m);
#if defined(DSP_WIDE_LANES)
  if (wide == lo) return;
  if (lanes >= Dsp::kWidestLanes)
    holdFreshWidest(left, right, source, taken, lo, wide, n, m);
  else
    holdFreshWide(left, right, source, taken, lo, wide, n, m);
#endif
}

// x[k] = x[source[k]] for k from n - 1 down to 0: the positions of an
// earlier block of the same counts.
void hold(double* x, const int32_t* source, int n) {
  for (int k = n - 1; k >= 0; --k) x[k] = x[source[k]];
}

}  // namespace

SmpRateConverter::SmpRateConverter()
    : scratchLeft(kDefaultBlockSize),
      scratchRight(kDefaultBlockSize),
      source(kDefaultBlockSize),
      taken(kDefaultBlockSize) {}

SmpRateConverter::~SmpRateConverter() {}

void SmpRateConverter::setBlockSize(int n) {
  // The positions first: the scratch, which bounds the kept samples, never
  // outgrows them.
  if (n > static_cast<int>(source.size())) {
    source.resize(n);
    taken.resize(n);
  }
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
  // Kept sample j is input frame taken[j]. With one buffer for both
  // channels the second pass takes the first one's output, as a pass per
  // channel does.
  double* right = UnitMath::overlaps(io[0], io[1], n) ? nullptr : io[1];
  if (n <= static_cast<int>(source.size())) {
    if (n == heldFrames && m == heldKept) {
      for (int c = 0; c < 2; ++c) hold(io[c], source.data(), n);
      return;
    }
    findAllPositions(taken.data(), 0, m, m, n);
    holdAllFresh(io[0], right, source.data(), taken.data(), 0, n, n, m);
    if (!right) hold(io[1], source.data(), n);
    heldFrames = n;
    heldKept = m;
    return;
  }
  // A block longer than the positions (the owner's mistake) works them out
  // a piece at a time, from the end.
  findAllPositions(taken.data(), 0, m, m, n);
  constexpr int kPiece = 64;
  int32_t piece[kPiece];
  for (int c = 0; c < (right ? 1 : 2); ++c) {
    for (int end = n; end > 0; end -= kPiece) {
      const int first = end > kPiece ? end - kPiece : 0;
      holdAllFresh(io[c], right, piece, taken.data(), first, end, n, m);
    }
  }
  heldFrames = 0;
}

}  // namespace Rawnfield
