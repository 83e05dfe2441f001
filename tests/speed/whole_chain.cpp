#include "whole_chain.h"

#include <cstring>

using namespace Rawnfield;

namespace SpeedScenarios {

namespace {

constexpr double kRate = 44100.0;
constexpr int kFactor = Oversampler::kFactor;

}  // namespace

WholeChain::WholeChain() : subBand(chains.subBand().distortion) {
  DistortionDataProvider& provider = chains.provider;
  chains.init();
  input.init(provider);
  filter.init(provider);
  subBand.init(provider);
  outputSaturator.init(provider);
  outputSaturator.setDryWetThreshold(Saturator::kFastDryWetThreshold);
  const int block = 512;
  const int over = block * kFactor;
  for (Oversampler* o : {&saturatorOver, &limiterOver}) {
    o->sampleRate = kRate;
    o->setBlockSize(block);
    o->reset();
  }
  input.setBlockSize(over);
  chains.setSampleRate(kRate);
  chains.setBlockSize(over);
  filter.setSampleRate(kRate);
  filter.setBlockSize(block);
  filter.reset();
  eq.setSampleRate(kRate);
  eq.setBlockSize(block);
  eq.reset();
  sweep.setSampleRate(kRate);
  sweep.setBlockSize(block);
  sweep.reset();
  subBand.setSampleRate(kRate);
  subBand.setBlockSize(block);
  subBand.reset();
  outputSaturator.setBlockSize(over);
  limiter.mode = SoftClipper::kModeLimiter;
  limiter.autoMakeUp = true;
  settings(0);
}

void WholeChain::settings(int variant) {
  const double v = 0.1 * variant;
  input.volume = 0.9 - v;
  input.offset = 0.52;
  input.inputSaturator.amount = 0.4 + v;
  filter.setInputDrive(0.3);
  filter.setFilterType1((9 - variant) / 11.0);
  filter.setFilterType2((10 + variant) / 11.0);
  filter.setCutoff(0.55 + v);
  filter.setRezo(0.4);
  filter.setFilterMix(0.4);
  chains.setQuantization(0.85);
  chains.setSampleRateConversion(0.8);
  chains.setGateThreshold(0.15);
  chains.setDistortionType((25 - 3 * variant) / 42.0);
  chains.setDistortionAmount(0.7);
  chains.setDistoMode(0.5 * variant);
  chains.setInterpolation(0.5);
  chains.setShaperAmount(0.5);
  chains.setShaperMode(1.0 / 3.0);
  eq.setBassAmount(0.6);
  eq.setLoMiAmount(0.45 - v);
  eq.setHiMiAmount(0.55);
  eq.setHighAmount(0.4 + v);
  subBand.setSubBandGain(0.8);
  subBand.setDistoBandGain(0.9);
  subBand.setSubBandSaturation(0.5);
  Eq4Band& subEq = subBand.getEq4Band();
  subEq.setBassAmount(0.65);
  subEq.setLoMiAmount(0.5);
  subEq.setHiMiAmount(0.5);
  subEq.setHighAmount(0.3);
  outputSaturator.amount = 0.6 - v;
  sweep.setDumpExpand(0.35 + v);
  limiter.setThreshold(0.6 - v);
}

void WholeChain::process(double** raw, double** out, int n) {
  input.process(out, n);
  std::vector<double>& fl = fx[0];
  std::vector<double>& fr = fx[1];
  std::memcpy(fl.data(), out[0], sizeof(double) * n);
  std::memcpy(fr.data(), out[1], sizeof(double) * n);
  double* f[2] = {fl.data(), fr.data()};
  filter.process(f, n);
  chains.process(f, n);
  eq.process(f, n);
  subBand.process(raw, f, n);
  std::memcpy(out[0], f[0], sizeof(double) * n);
  std::memcpy(out[1], f[1], sizeof(double) * n);
  saturatorOver.run(out, n, [&](double** up, int m) { outputSaturator.process(up, m); });
  sweep.process(out, n);
  limiterOver.run(out, n, [&](double** up, int m) { limiter.process(up, up, m); });
}

}  // namespace SpeedScenarios
