#pragma once

#include <cstdint>
#include <vector>

#include "AudioProcessingUnit.h"
#include "WorkBuffer.h"

namespace Rawnfield {

// Imitates a lower sample rate: each block keeps m evenly spaced samples
// (m = ratio x n, at least 2) and holds each one over its share of the
// block. The reduction is relative to the block, whatever its length.
// The bypass switch acts at once, without the base's ramp.
class SmpRateConverter : public AudioProcessingUnit {
public:
  static constexpr int kMinimumSampleRate = 2;  // samples kept per block, at least
  static constexpr int kDefaultBlockSize = 1024;

  SmpRateConverter();
  ~SmpRateConverter() override;

  // Grows both scratch buffers to n (never shrinks) and zeroes them, and
  // makes room for the frame positions of blocks of up to n frames.
  void setBlockSize(int n);
  // ratio = v^3, the share of each block's samples that is kept.
  void setSampleRateConversion(double v);
  // The rate the reduction amounts to at the largest block size, in Hz,
  // truncated; the full rate while nothing is reduced.
  int64_t getConvertedSampleRate() const;
  void reset() {}
  // In place. Nothing for an empty block, while bypassed, or for a ratio of
  // 1 or more (or NaN).
  void process(double** io, int n);

  double ratio = 1.0;
  WorkBuffer scratchLeft;
  WorkBuffer scratchRight;

private:
  // Samples kept for a block of n frames, limited to what the scratch holds.
  int keptSamples(int n) const;

  // Frame k of a block of heldFrames frames that keeps heldKept samples
  // takes the input's frame source[k], kept sample j is frame taken[j].
  // Worked out again only when either count changes: most blocks keep the
  // last block's positions.
  std::vector<int32_t> source;
  std::vector<int32_t> taken;
  int heldFrames = 0;
  int heldKept = 0;
};

}  // namespace Rawnfield
