#pragma once

#include "AudioProcessingUnit.h"
#include "DspLib/Dsp.h"
#include "WorkBuffer.h"

namespace Rawnfield {

// One band of a shelving equaliser: an owned two-channel smoothed design
// (low shelf, band shelf or high shelf), the unit's copy of its parameter
// block, its fixed frequencies and its amount (0.5 = 0 dB).
struct EqBand {
  EqBand() = default;
  ~EqBand();
  EqBand(const EqBand&) = delete;
  EqBand& operator=(const EqBand&) = delete;

  // Takes over the design and sets it up at its defaults with order 2, the
  // frequency and, for band shelves (bandwidth > 0), the bandwidth in Hz.
  // The gain stays at the descriptor's default until setAmount.
  void create(Dsp::Filter* design, double frequencyHz, double bandwidthHz);
  // The rate into the block, the frequency held below half of it.
  void setSampleRate(double rate);
  // gain = -24 + 48 v dB (the gain descriptor), applied with a glide.
  void setAmount(double v);
  double gainDb() const;

  Dsp::Filter* filter = nullptr;
  Dsp::Params params;
  double frequency = 0.0;  // Hz: cutoff or centre
  double bandwidth = 0.0;  // Hz, band shelves only
  double amount = 0.5;
};

// A fixed-frequency shelving equaliser of up to four bands in series. A
// block longer than the work buffers passes unchanged; switching the unit
// in or out crossfades with the input.
class ShelfEqualizer : public AudioProcessingUnit {
public:
  static constexpr int kMaxBands = 4;
  static constexpr int kDefaultBlockSize = 1024;

  ~ShelfEqualizer() override;

  // Grows the work buffers (never shrinks).
  void setBlockSize(int n);
  // The rate on every band; frequencies, bandwidths and gains are kept.
  void setSampleRate(double rate) override;
  void reset();
  // Stereo, in place.
  void process(double** io, int frames);
  // a.process(ioA, frames), then b.process(ioB, frames); while both units are
  // fully in, their filters can run side by side.
  static void processBoth(ShelfEqualizer& a, double** ioA, ShelfEqualizer& b, double** ioB,
                          int frames);

  EqBand bands[kMaxBands];
  int numBands = 0;
  WorkBuffer workLeft{kDefaultBlockSize};
  WorkBuffer workRight{kDefaultBlockSize};

protected:
  ShelfEqualizer() = default;
  // Band order: low shelf, the band shelves, high shelf. Band shelves are
  // given as {centre, bandwidth} pairs.
  void build(double bassHz, const double (*shelves)[2], int numShelves, double highHz);
};

}  // namespace Rawnfield
