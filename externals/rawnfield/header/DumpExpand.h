#pragma once

#include "AudioProcessingUnit.h"
#include "DspLib/Dsp.h"
#include "WorkBuffer.h"

namespace Rawnfield {

// The output stage's one-knob tone sweep: a low-pass and a high-pass
// (Chebyshev I, order 2) in series. From x = 0 to 0.5 the low-pass opens
// from 20 Hz to 21000 Hz, from 0.5 to 1 the high-pass closes in from 20 Hz
// to 21000 Hz; the middle leaves the band open. Above 44100 Hz the range is
// 10..22040 Hz. Every frequency is held below half the sample rate.
class DumpExpand : public AudioProcessingUnit {
public:
  static constexpr int kDefaultBlockSize = 1024;
  static constexpr double kDefaultPosition = 0.5;
  static constexpr double kMinHz = 20.0;
  static constexpr double kMaxHz = 21000.0;
  static constexpr double kUnclampedAboveRate = 44100.0;

  DumpExpand();
  ~DumpExpand() override;
  DumpExpand(const DumpExpand&) = delete;
  DumpExpand& operator=(const DumpExpand&) = delete;

  // Creates both filters (once): high-pass at 20 Hz, low-pass at 21000 Hz.
  void init();
  // Grows the work buffers (never shrinks).
  void setBlockSize(int n);
  // The rate on both filters; the frequencies are worked out again from
  // the position for the new rate.
  void setSampleRate(double rate) override;
  void reset();

  // The sweep position, held in [0, 1].
  void setDumpExpand(double v);
  // The frequency of the active side: the high-pass from x = 0.5 up.
  double getDumpExpandFreq() const;
  // Magnitude of the active side at f cycles per sample.
  double getDumpExpandFreqResponse(double f) const;
  // n points of the active side's magnitude at (i/n)^2 x 0.5; with x above
  // 0.5 the last point is 1.
  void updateGUIData(double* data, int n) const;

  // Stereo, in place. A block longer than the work buffers passes unchanged.
  void process(double** io, int frames);

  Dsp::Filter* lowPass = nullptr;
  Dsp::Params lowPassParams;
  Dsp::Filter* highPass = nullptr;
  Dsp::Params highPassParams;
  double position = kDefaultPosition;
  WorkBuffer wetLeft{kDefaultBlockSize};
  WorkBuffer wetRight{kDefaultBlockSize};

private:
  const Dsp::Filter* activeSide() const { return position >= 0.5 ? highPass : lowPass; }
  void setSide(Dsp::Filter& filter, Dsp::Params& block, double control);
};

}  // namespace Rawnfield
