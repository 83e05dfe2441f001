#pragma once

#include <cmath>
#include <cstring>

#include "AudioProcessingUnit.h"
#include "DspLib/Dsp.h"
#include "UnitMath.h"
#include "WorkBuffer.h"

// Helpers that the filter, band and equaliser units share for the filters
// of the design library they hold.
namespace Rawnfield {
namespace UnitFilters {

// Glide length of every parameter change unless a unit says otherwise.
constexpr int kTransitionSamples = 512;

// Highest design frequency as a fraction of the sample rate. Units clamp
// their cutoffs in Hz to fixed ranges (up to 22040 Hz); at low sample
// rates that would reach or pass half the rate, where the designs stop
// being usable, so every frequency a unit hands to a design is held here.
constexpr double kMaxCutoffFraction = 0.49;

// A new two-channel smoothed design over the given state form, with the
// standard glide. The caller owns it.
template <class Design, class State>
Dsp::Filter* makeSmoothed(int transitionSamples = kTransitionSamples) {
  return new Dsp::SmoothedFilterDesign<Design, 2, State>(transitionSamples);
}

// hz limited to [lo, hi]; NaN gives lo.
inline double clampHz(double hz, double lo, double hi) {
  if (!(hz >= lo)) return lo;
  return hz > hi ? hi : hz;
}

// hz held below half the sample rate (kMaxCutoffFraction of it).
inline double limitToRate(double hz, double rate) {
  const double top = kMaxCutoffFraction * rate;
  return hz > top ? top : hz;
}

// 10 x 2204^v: the frequency descriptor's mapping of a control value.
inline double controlToHz(double v) {
  static const Dsp::ParamInfo frequency = Dsp::ParamInfo::defaultCutoffFrequencyParam();
  return frequency.toNativeValue(v);
}

// Writes value into the block's entry of parameter id; false (and nothing
// written) when the filter has no such parameter.
inline bool setEntry(const Dsp::Filter& f, Dsp::Params& block, int id, double value) {
  const int i = f.findParamId(id);
  if (i < 0) return false;
  block[i] = value;
  return true;
}

// The block's entry of parameter id, or fallback when there is none.
inline double entry(const Dsp::Filter& f, const Dsp::Params& block, int id, double fallback = 0.0) {
  const int i = f.findParamId(id);
  return i < 0 ? fallback : block[i];
}

// The native value of control v for the filter's parameter id (v itself
// when the filter has no such parameter).
inline double nativeOf(const Dsp::Filter& f, int id, double v) {
  const int i = f.findParamId(id);
  return i < 0 ? v : f.getParamInfo(i).toNativeValue(v);
}

// The current target frequency (parameter id 1) of a filter, 0 for none.
inline double frequencyOf(const Dsp::Filter* f) {
  return f ? entry(*f, f->getParams(), Dsp::idFrequency) : 0.0;
}

// Magnitude of the response at f cycles per sample.
inline double magnitude(const Dsp::Filter& f, double cyclesPerSample) {
  const Dsp::complex_t r = f.response(cyclesPerSample);
  return std::hypot(r.real(), r.imag());
}

// A new sample rate for a filter: the rate entry is set and the frequency
// entry held below half the new rate; then the block is applied.
inline void applyRate(Dsp::Filter& f, double rate) {
  Dsp::Params block = f.getParams();
  setEntry(f, block, Dsp::idSampleRate, rate);
  const int i = f.findParamId(Dsp::idFrequency);
  if (i >= 0) block[i] = limitToRate(block[i], rate);
  f.setParams(block);
}

// Sets the block's frequency entry (parameter id 1) to hz held below half
// the block's sample rate; false for a filter without a frequency.
inline bool setFrequencyEntry(const Dsp::Filter& f, Dsp::Params& block, double hz) {
  const int i = f.findParamId(Dsp::idFrequency);
  if (i < 0) return false;
  block[i] = limitToRate(hz, entry(f, block, Dsp::idSampleRate, 44100.0));
  return true;
}

// The same on the filter's own block, which is then applied.
inline void applyFrequency(Dsp::Filter& f, double hz) {
  Dsp::Params block = f.getParams();
  if (setFrequencyEntry(f, block, hz)) f.setParams(block);
}

// The process() of a unit that filters a stereo block in place and honours
// its bypass ramp: nothing once faded out or for a block longer than the
// work buffers; fully in, `filter(channels, n)` runs on the block itself;
// during the ramp it runs on a copy in the work buffers, which is then
// crossfaded with the input.
template <class Run>
void processWithFade(AudioProcessingUnit& unit, double** io, int frames, WorkBuffer& left,
                     WorkBuffer& right, Run&& filter) {
  if (unit.isFadedOut() || !UnitMath::isBlock(io, frames)) return;
  if (frames > left.capacity || frames > right.capacity) return;
  if (unit.fadeGain == 1.0) {
    filter(io, frames);
    return;
  }
  double* work[2] = {left.data, right.data};
  for (int c = 0; c < 2; ++c) std::memcpy(work[c], io[c], sizeof(double) * frames);
  filter(work, frames);
  unit.crossfade(io, work, io, frames);
}

}  // namespace UnitFilters
}  // namespace Rawnfield
