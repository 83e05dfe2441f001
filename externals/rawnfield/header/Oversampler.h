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
// side and whole groups of frames at a time (four frames up, two down),
// every output of a group computed from the history at its start, which
// takes the outputs off the chain of the steps before them. Outputs and
// histories then agree with the step-by-step recurrence to about 1e-13 of
// their size (the two forms round differently; neither is the exact
// result), and are the same on every processor, whichever registers it
// offers (two, four or eight doubles wide). A block with a NaN, an
// infinity or a magnitude above 1e100 on the way in, or a history holding
// one, runs step by step.
//
// A stage that leaves its input as it is goes through passThrough(), which
// gives what run() would with such a stage. Up-sampling, the low-pass twice
// and decimation then make one linear filter at the base rate, whose
// impulse response (every eighth sample of the low-pass applied twice)
// falls below 1e-19 of its peak within kLinearTaps frames. Once the
// histories agree with the inputs of the last kLinearTaps frames, that
// filter is applied to the input directly, at a fraction of the cost; the
// histories are worked out from the same inputs when the eightfold path is
// needed again (a stage that does something, or an input that is not tame).
class Oversampler {
public:
  static constexpr int kFactor = 8;
  static constexpr int kDefaultBlockSize = 1024;
  static constexpr double kOutputGain = 0.907123536140837;

  // Filter histories: up left, up right, down left, down right.
  enum { kUpLeft = 0, kUpRight, kDownLeft, kDownRight, kNumFilters };
  static constexpr int kHistory = KIT_BesselFilterCoeffs::kOrder + 1;
  // Steps of the longest group of frames the fast form computes at once.
  static constexpr int kGroupSteps = 4 * kFactor;
  // Length of the base-rate filter that passThrough applies directly.
  static constexpr int kLinearTaps = 16;

  Oversampler();
  Oversampler(const Oversampler&) = delete;
  Oversampler& operator=(const Oversampler&) = delete;

  // Grows the up buffers to n x factor and the down buffers to n frames
  // (never shrinks; large enough buffers keep their contents).
  void setBlockSize(int n);
  // Designs the low-pass for the factor and clears every history.
  void reset();
  // run() for a stage that changes nothing, a block in place.
  void passThrough(double** io, int n);
  // Brings the histories up to date where passThrough has left them behind
  // (upsample and downsample do it themselves).
  void updateStates();
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
    leaveLinearForm();
    runPieces(io, n, stage);
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
  template <class Stage>
  void runPieces(double** io, int n, Stage&& stage) {
    const int fit = upCapacity() / factor;
    const int piece = fit < downCapacity() ? fit : downCapacity();
    if (piece < 1) return;
    for (int done = 0; done < n;) {
      const int m = n - done < piece ? n - done : piece;
      double* in[2] = {io[0] + done, io[1] + done};
      upsampleFrames(in, m);
      stage(up, m * factor);
      downsampleFrames(up, m * factor);
      copyDown(in, m);
      done += m;
    }
  }

  // One filter step: the flushed output, which also enters the history.
  double filter(double* history, double x) const;
  void copyDown(double** io, int n) const;
  // upsample and downsample without the bookkeeping of passThrough.
  void upsampleFrames(double** in, int n);
  void downsampleFrames(double** in, int n);

  // The base-rate filter and the histories from the last kLinearTaps inputs.
  void designLinearForm();
  // Every history from the remembered inputs.
  void statesFromRecent(double (*to)[kHistory]) const;
  // Whether the histories are those the remembered inputs give.
  bool statesFollowRecent() const;
  // The last inputs of a block enter the remembered ones.
  void remember(double** in, int n);
  // False, with nothing written, where an input was not tame.
  bool runLinear(double** io, int n);
  // Before the eightfold path with a stage that may do something: the
  // histories up to date, and the remembered inputs no longer enough.
  void leaveLinearForm();

  // The fast form for factor 8: both channels side by side, a group of
  // frames at a time as one matrix product of the history and the inputs,
  // so no step of a group waits for the one before. Used while every input and
  // history value is finite and of sane size; anything else takes the
  // step-by-step path, whose non-finite handling is the defined one.
  bool blockFormFits();
  // The fast form fits and both histories are tame.
  bool fastHistories(int left, int right);
  // False, with the histories untouched, when an input was not tame.
  bool upsampleBlocks(double** in, int n);
  // The samples done (whole groups of eight), 0 when an input was not tame.
  int downsampleBlocks(double** in, int n, int kept);

  // History entry j's part of output k of a group ([j][k]), and the input's
  // part of output k (the impulse response), each value twice (one per
  // lane): the parts of neighbouring outputs lie side by side, for wide loads.
  alignas(64) double blockHistory[KIT_BesselFilterCoeffs::kOrder][kGroupSteps][2] = {};
  alignas(64) double blockImpulse[kGroupSteps][2] = {};
  double blockDesignedFor[kHistory] = {};
  bool blockDesigned = false;

  // The base-rate filter, newest input first, and each history's entries
  // from the inputs before the next frame (newest first): up histories,
  // then down histories.
  double linearTaps[kLinearTaps] = {};
  double linearStates[2][kHistory][kLinearTaps] = {};
  // The last inputs (oldest first) of the frames that went through
  // passThrough one after another with tame inputs, up to kLinearTaps.
  double recent[2][kLinearTaps] = {};
  int linearFrames = 0;
  // The histories lag behind: passThrough applied the base-rate filter.
  bool statesBehind = false;

  WorkBuffer upLeft, upRight, downLeft, downRight;
  // Remembered and new inputs side by side, for the base-rate filter.
  WorkBuffer linearLeft, linearRight;
};

}  // namespace Rawnfield
