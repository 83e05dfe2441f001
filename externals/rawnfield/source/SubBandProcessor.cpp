#include "SubBandProcessor.h"

#include <cstring>

#include "Settling.h"

namespace Rawnfield {

SubBandProcessor::SubBandProcessor(Distortion& d) : distortion(d) {
  setBypass(false);
  eq.setBlockSize(kDefaultBlockSize);
  crossover.setBlockSize(kDefaultBlockSize);
  saturator.setBlockSize(kDefaultBlockSize);
  eq.reset();
  crossover.reset();
}

SubBandProcessor::~SubBandProcessor() {}

void SubBandProcessor::init(DistortionDataProvider& provider) {
  subGain = kDefaultSubBandGain;
  distoGain = kDefaultDistoGain;
  subSmoother.setCoefficient(0.9777);
  distoSmoother.setCoefficient(0.9777);
  saturator.init(provider);
  saturator.setDryWetThreshold(Saturator::kFastDryWetThreshold);
  saturator.amount = kDefaultSubBandSaturation;
}

void SubBandProcessor::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  eq.setSampleRate(rate);
  crossover.setSampleRate(rate);
}

void SubBandProcessor::setBlockSize(int n) {
  eq.setBlockSize(n);
  crossover.setBlockSize(n);
  saturator.setBlockSize(n);
  scratch.grow(n);
  dryLeft.grow(n);
  dryRight.grow(n);
}

void SubBandProcessor::reset() {
  eq.reset();
  crossover.reset();
}

int SubBandProcessor::capacity() const {
  int n = crossover.capacity();
  for (const WorkBuffer* b : {&eq.workLeft, &eq.workRight, &dryLeft, &dryRight})
    if (b->capacity < n) n = b->capacity;
  return n;
}

void SubBandProcessor::process(double** sub, double** disto, int frames) {
  if (!begin(sub, disto, frames)) return;
  eq.process(sub, frames);
  end(sub, disto, frames);
}

bool SubBandProcessor::begin(double** sub, double** disto, int frames) {
  if (isFadedOut() || !UnitMath::isBlock(sub, frames) || !UnitMath::isBlock(disto, frames))
    return false;
  if (frames > capacity()) return false;
  applyChannelMode(channelMode, sub[0], sub[1], frames, scratch);
  Settling::scaleBoth(subSmoother, subGain, sub[0], sub[1], frames);
  saturator.process(sub, frames);
  return true;
}

void SubBandProcessor::end(double** sub, double** disto, int frames) {
  const bool ramp = fadeGain != 1.0;
  double* dry[2] = {dryLeft.data, dryRight.data};
  if (ramp)
    for (int c = 0; c < 2; ++c) std::memcpy(dry[c], disto[c], sizeof(double) * frames);

  crossover.process(sub, disto, frames);

  const int from =
      Settling::stepWhileMoving(distoSmoother, distoGain, 0, frames, [&](int i, double d) {
        for (int c = 0; c < 2; ++c)
          disto[c][i] = d * crossover.highBand(c)[i] + crossover.lowBand(c)[i];
      });
  const Dsp::Lanes d = Dsp::splat(distoSmoother.state);
  for (int c = 0; c < 2; ++c) {
    const double* high = crossover.highBand(c);
    const double* low = crossover.lowBand(c);
    double* out = disto[c];
    int i = from;
    for (; i + 2 <= frames; i += 2)
      Dsp::storeLanes(out + i, d * Dsp::loadLanes(high + i) + Dsp::loadLanes(low + i));
    if (i < frames) out[i] = distoSmoother.state * high[i] + low[i];
  }
  // The ramp runs between the untreated signal and the band sum, so that
  // nothing jumps where it ends.
  if (ramp) crossfade(dry, disto, disto, frames);
}

}  // namespace Rawnfield
