#pragma once

#include <cstdint>

#include "AudioProcessingUnit.h"
#include "BandSplitFilter.h"
#include "Distortion.h"
#include "DistortionDataProvider.h"
#include "Eq4Band.h"
#include "InputProcessor.h"
#include "Saturator.h"
#include "UnitMath.h"
#include "WorkBuffer.h"

namespace Rawnfield {

// Rebuilds the low end of the effect's output from a separately treated
// signal. The sub signal gets its own channel mode, smoothed gain,
// saturator and four-band equaliser; the crossover then keeps it below
// 200 Hz and the disto signal above, and the sum (the disto part with its
// own smoothed gain) replaces the disto signal. Switching the unit in or
// out crossfades between the untreated disto signal and that sum.
//
// Call order: construct with the sub-band chain's distortion unit;
// init(provider) once; on every stream start setSampleRate, setBlockSize
// and reset; then the settings and process().
class SubBandProcessor : public AudioProcessingUnit {
public:
  static constexpr double kDefaultOnOff = 1.0;
  static constexpr double kDefaultSubBandGain = 1.0;
  static constexpr double kDefaultSubBandSaturation = 0.5;
  static constexpr double kDefaultSubBandDistortion = 0.0;
  static constexpr double kDefaultDistoGain = 1.0;
  static constexpr int kDefaultBlockSize = 1024;

  // The distortion unit is held for the owner and not processed through.
  explicit SubBandProcessor(Distortion& distortion);
  ~SubBandProcessor() override;

  // Running smoother speed, the saturator's curve, threshold and amount.
  void init(DistortionDataProvider& provider);
  // The rate on the equaliser and the crossover as well.
  void setSampleRate(double rate) override;
  // Grows every buffer of the unit and its members (never shrinks).
  void setBlockSize(int n);
  // Clears the equaliser's and the crossover's filters; the gain smoothers
  // and the saturator keep their state.
  void reset();

  void setChannelMode(eChannelMode mode) { channelMode = mode; }
  void setSubBandGain(double g) { subGain = g; }
  void setDistoBandGain(double g) { distoGain = g; }
  void setSubBandSaturation(double v) { saturator.amount = v; }

  Eq4Band& getEq4Band() { return eq; }
  BandSplitFilter& getBandSplitFilter() { return crossover; }
  Distortion& getDistortion() { return distortion; }

  // sub is treated in place and disto receives the result; both are
  // stereo. A block longer than the unit's buffers passes unchanged.
  void process(double** sub, double** disto, int frames);
  // process in two parts, for an owner that runs the equaliser itself
  // (beside another one): begin treats sub up to the equaliser, or says
  // that the block passes (false); end takes the equalised sub from there.
  // Neither part reads disto before end.
  bool begin(double** sub, double** disto, int frames);
  void end(double** sub, double** disto, int frames);

  Eq4Band eq;
  BandSplitFilter crossover;
  double subGain = kDefaultSubBandGain;  // linear targets
  double distoGain = kDefaultDistoGain;
  uint32_t channelMode = kStereo;
  WorkBuffer scratch{kDefaultBlockSize};  // for the channel swap
  Smoother subSmoother{0.99};
  Smoother distoSmoother{0.99};
  Saturator saturator{kOutputSaturation};
  Distortion& distortion;
  // The untreated disto signal, kept while the bypass ramp runs.
  WorkBuffer dryLeft{kDefaultBlockSize};
  WorkBuffer dryRight{kDefaultBlockSize};

private:
  int capacity() const;
};

}  // namespace Rawnfield
