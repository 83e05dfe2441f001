#pragma once

#include <cstdint>

#include "AudioProcessingUnit.h"
#include "DspLib/Dsp.h"
#include "WorkBuffer.h"

namespace Rawnfield {

// Slope of one side of the crossover.
enum eBandSplitSlope : uint32_t {
  kSlope6dB = 0,   // order 1
  kSlope12dB = 1,  // order 2
  kSlope24dB = 2,  // order 4
  kSlope48dB = 3,  // order 8
};

// The crossover of the sub-band path: a Butterworth low-pass keeps the low
// band of one stereo signal (the sub band), a Butterworth high-pass the high
// band of another (the disto band). Each side has a design of order 1, 2, 4
// and 8 ready and a slope index picks one. The filtered bands are left in
// the unit's work buffers for the owner to read.
class BandSplitFilter : public AudioProcessingUnit {
public:
  static constexpr double kDefaultOnOff = 1.0;
  static constexpr double kDefaultSubBandCutOffHz = 200.0;
  static constexpr double kDefaultSubBandCutOffControlValue = 0.38915574457972946;
  static constexpr double k150HzSubBandCutOffControlValue = 0.3518;
  static constexpr double k160HzSubBandCutOffControlValue = 0.3602;
  static constexpr double k180HzSubBandCutOffControlValue = 0.3755;
  static constexpr double kMinCutoffHz = 20.0;
  static constexpr double kMaxCutoffHz = 21000.0;
  static constexpr int kDefaultBlockSize = 1024;
  static constexpr int kNumSlopes = 4;

  // The owned designs, in list order: low-pass and high-pass per order.
  enum eDesign : int {
    kLowPass1 = 0,
    kHighPass1,
    kLowPass2,
    kHighPass2,
    kLowPass4,
    kHighPass4,
    kLowPass8,
    kHighPass8,
    kNumDesigns,
  };

  BandSplitFilter();
  ~BandSplitFilter() override;
  BandSplitFilter(const BandSplitFilter&) = delete;
  BandSplitFilter& operator=(const BandSplitFilter&) = delete;

  // Creates the eight designs (once) at 200 Hz and lets them settle.
  void init();
  // Grows both work-buffer pairs (never shrinks).
  void setBlockSize(int n);
  // The rate on every design; cutoffs held below half of it.
  void setSampleRate(double rate) override;
  void reset();

  // Control values (10 x 2204^v Hz, held in 20..21000 Hz) for the four
  // low-pass or high-pass designs. With the link set, the low-pass follows
  // every high-pass change.
  void setLowPassCutoff(double v);
  void setHighPassCutoff(double v);
  void setFilterLink(bool on) { link = on; }
  // Accepted and ignored: the effect keeps its crossover where it is.
  void setSubBandFilterCutoff(double) {}
  void setDistoBandFilterCutoff(double) {}

  // low's low band and high's high band into the work buffers; the inputs
  // are not changed. A block longer than the work buffers is not processed
  // (the buffers keep their contents).
  void process(double** low, double** high, int frames);

  double getSubBandFilterCutoffFreqHz() const;
  double getDistoBandFilterCutoffFreqHz() const;
  // Magnitudes at f cycles per sample; 1 without a design for the slope.
  double getSubBandFilterFreqResponse(double f) const;
  double getDistoBandFilterFreqResponse(double f) const;

  int capacity() const;
  // The filtered bands of the last block.
  double* lowBand(int channel) const { return (channel ? lowRight : lowLeft).data; }
  double* highBand(int channel) const { return (channel ? highRight : highLeft).data; }

  double lowPassControl = kDefaultSubBandCutOffControlValue;
  double highPassControl = kDefaultSubBandCutOffControlValue;
  bool link = true;
  WorkBuffer lowLeft, lowRight;
  WorkBuffer highLeft, highRight;
  Dsp::Filter* designs[kNumDesigns] = {};
  eBandSplitSlope lowPassSlope = kSlope12dB;
  eBandSplitSlope highPassSlope = kSlope12dB;

private:
  // The design of a side (0 low-pass, 1 high-pass) at a slope; null when
  // the slope is out of range.
  Dsp::Filter* designFor(int side, eBandSplitSlope slope) const;
  void setCutoff(int side, double v);
};

}  // namespace Rawnfield
