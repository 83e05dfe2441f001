#pragma once

#include <memory>
#include <vector>

#include "AudioProcessingUnit.h"
#include "DspLib/Dsp.h"

namespace Rawnfield {

// Thickens the low end of a stereo block: blends in a high-passed copy
// (above a high-pass amount of 0.5) and adds a band-passed copy around the
// bass centre, saturated by an arctangent when driven. The amounts and the
// drive are set by the owner.
class HardcoreBass : public AudioProcessingUnit {
public:
  using HighPass = Dsp::SmoothedFilterDesign<Dsp::Butterworth::Design::HighPass<2>, 2, Dsp::DirectFormI>;
  using BandPass = Dsp::SmoothedFilterDesign<Dsp::Butterworth::Design::BandPass<2>, 2, Dsp::DirectFormI>;
  static constexpr int kTransitionSamples = 512;

  HardcoreBass();

  void init();
  // Grows the work buffers to n frames (never shrinks them); outside the
  // audio path.
  void setBlockSize(int n);
  void reset();
  void setSampleRate(double rate) override;

  // 20..80 Hz for v in 0..1.
  void setBassHPFrequency(double v);
  // 100..200 Hz for v in 0..1.
  void setBassCenterFrequency(double v);

  double getOldBassAmountDb() const;
  double getBassAmountdB() const;

  // In place on io[0] and io[1]; blocks longer than the work buffers are
  // left untouched.
  void process(double** io, int n);

  double defaultCutoff = 50.0;
  double defaultCenter = 150.0;
  double bandwidth = 200.0;
  std::unique_ptr<Dsp::Filter> highPass;
  std::unique_ptr<Dsp::Filter> bandPass;
  double centerHz = 150.0;
  double cutoffHz = 50.0;
  Dsp::Params highPassParams;
  Dsp::Params bandPassParams;
  int blockSize = 1024;
  double hpAmount = 0.0;
  double bassAmount = 0.0;
  double drive = 0.0;
  std::vector<double> hpL, hpR;
  std::vector<double> bpL, bpR;
};

}  // namespace Rawnfield
