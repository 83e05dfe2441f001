#pragma once

#include "BesselFilterCoeffs.h"
#include "WorkBuffer.h"

namespace Rawnfield {

// Runs a nonlinear stage at eight times the sample rate. upsample() stuffs
// seven zeros after every input frame and low-pass filters the result into
// the unit's own up buffers; the owner processes those in place;
// downsample() filters them with the same low-pass, keeps every eighth
// sample and scales it into the down buffers, which the owner copies back.
// run() performs that whole sequence for one block.
//
// The low-pass is the eighth-order Bessel filter with its cut-off at the
// base rate's Nyquist frequency. Images of the base rate that it lets
// through fold back on decimation, so a settled constant does not come out
// at exactly the output gain: 1.0 in gives about 1.00027 out.
//
// Call order: setBlockSize (the largest block at the base rate), reset(),
// then blocks. Filter histories carry over from block to block.
//
// With the factor at 8, blocks of finite input run both channels side by
// side and eight filter steps at a time, which takes each output off the
// chain of the steps before it. Outputs and histories then agree with the
// step-by-step recurrence to about 1e-13 of their size (the two forms
// round differently; neither is the exact result), and are the same on
// every processor, whichever registers it offers (two, four or eight
// doubles wide). A block with a NaN, an infinity or a magnitude above
// 1e100 on the way in, or a history holding one, runs step by step.
class Oversampler {
public:
  static constexpr int kFactor = 8;
  static constexpr int kDefaultBlockSize = 1024;
  static constexpr double kOutputGain = 0.907123536140837;

  // Filter histories: up left, up right, down left, down right.
  enum { kUpLeft = 0, kUpRight, kDownLeft, kDownRight, kNumFilters };
  static constexpr int kHistory = KIT_BesselFilterCoeffs::kOrder + 1;

  Oversampler();
  Oversampler(const Oversampler&) = delete;
  Oversampler& operator=(const Oversampler&) = delete;

  // Grows the up buffers to n x factor and the down buffers to n frames
  // (never shrinks; large enough buffers keep their contents).
  void setBlockSize(int n);
  // Designs the low-pass for the factor and clears every history.
  void reset();
  // n base-rate frames from in -> n x factor frames in up. `out` is not
  // used. Frames beyond the up buffers are not processed.
  void upsample(double** in, double** out, int n);
  // n oversampled frames from in (normally up) -> the frames at 0, 8, 16...
  // into down, scaled by the output gain. `out` is not used. Results that
  // would fall beyond the down buffers are dropped.
  void downsample(double** in, double** out, int n);

  // The owner's sequence for a stereo block in place: upsample, stage(up,
  // n x factor) on the up buffers, downsample, copy back. A block longer
  // than the buffers is taken in pieces.
  template <class Stage>
  void run(double** io, int n, Stage&& stage) {
    if (factor < 1 || !io || !io[0] || !io[1]) return;
    const int fit = upCapacity() / factor;
    const int piece = fit < downCapacity() ? fit : downCapacity();
    if (piece < 1) return;
    for (int done = 0; done < n;) {
      const int m = n - done < piece ? n - done : piece;
      double* in[2] = {io[0] + done, io[1] + done};
      upsample(in, nullptr, m);
      stage(up, m * factor);
      downsample(up, nullptr, m * factor);
      copyDown(in, m);
      done += m;
    }
  }

  int upCapacity() const {
    return upLeft.capacity < upRight.capacity ? upLeft.capacity : upRight.capacity;
  }
  int downCapacity() const {
    return downLeft.capacity < downRight.capacity ? downLeft.capacity : downRight.capacity;
  }

  // The channel arrays of the up-sampled and the decimated block.
  double* up[2] = {nullptr, nullptr};
  double* down[2] = {nullptr, nullptr};
  double sampleRate = 44100.0;  // kept for the owner; the filter does not use it
  int blockSize = kDefaultBlockSize;
  int factor = kFactor;
  KIT_BesselFilterCoeffs coefficients;
  double states[kNumFilters][kHistory] = {};
  double outputGain = kOutputGain;

private:
  // One filter step: the flushed output, which also enters the history.
  double filter(double* history, double x) const;
  void copyDown(double** io, int n) const;

  // The fast form for factor 8: both channels side by side, eight filter
  // steps at a time as one matrix product of the history and the inputs,
  // so no step waits for the one before. Used while every input and
  // history value is finite and of sane size; anything else takes the
  // step-by-step path, whose non-finite handling is the defined one.
  bool blockFormFits();
  // The fast form fits and both histories are tame.
  bool fastHistories(int left, int right);
  // False, with the histories untouched, when an input was not tame.
  bool upsampleBlocks(double** in, int n);
  // The samples done (whole groups of eight), 0 when an input was not tame.
  int downsampleBlocks(double** in, int n, int kept);

  // History entry j's part of output k of eight ([j][k]), and the input's
  // part of output k (the impulse response), each value twice (one per
  // lane): the parts of neighbouring outputs lie side by side, for wide loads.
  alignas(64) double blockHistory[KIT_BesselFilterCoeffs::kOrder][kFactor][2] = {};
  alignas(64) double blockImpulse[kFactor][2] = {};
  double blockDesignedFor[kHistory] = {};
  bool blockDesigned = false;

  WorkBuffer upLeft, upRight, downLeft, downRight;
};

}  // namespace Rawnfield
