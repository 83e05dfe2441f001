// Speed of the oversampled output stage and of the distortion chain,
// reported as the real-time factor: seconds of audio processed per second
// of CPU time (the "rt_factor" counter).
//   build/bench/chain/chain_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "DistortionDataProvider.h"
#include "DistortionFx.h"
#include "Oversampler.h"
#include "Saturator.h"
#include "SoftClipper.h"

using namespace Rawnfield;

namespace {

constexpr int kFrames = 512;
constexpr double kRate = 44100.0;

DistortionDataProvider& provider() {
  static DistortionDataProvider p;
  return p;
}

// A stereo block refilled from a fixed input before every run (two 4 KiB
// copies, included in the figures).
struct Signal {
  Signal() : srcL(kFrames), srcR(kFrames), l(kFrames), r(kFrames) {
    for (int i = 0; i < kFrames; ++i) {
      srcL[i] = 0.9 * std::sin(2.0 * 3.141592653589793 * 440.0 * i / kRate);
      srcR[i] = 0.7 * std::sin(2.0 * 3.141592653589793 * 660.0 * i / kRate);
    }
  }
  double** refill() {
    l = srcL;
    r = srcR;
    io[0] = l.data();
    io[1] = r.data();
    return io;
  }
  std::vector<double> srcL, srcR, l, r;
  double* io[2];
};

// The output saturator as the effect sets it up, running at the
// oversampled rate.
void prepare(Saturator& saturator) {
  saturator.init(provider());
  saturator.setDryWetThreshold(Saturator::kFastDryWetThreshold);
  saturator.setBlockSize(kFrames * Oversampler::kFactor);
  saturator.amount = 0.7;
}

void reportRealTime(benchmark::State& state) {
  state.counters["rt_factor"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kFrames / kRate, benchmark::Counter::kIsRate);
}

// Upsample, saturate, limit, downsample: one eightfold pass around both
// nonlinear output stages.
void BM_OversampledSaturatorLimiter(benchmark::State& state) {
  Oversampler over;
  over.sampleRate = kRate;
  over.setBlockSize(kFrames);
  over.reset();
  Saturator saturator(kOutputSaturation);
  prepare(saturator);
  SoftClipper limiter;
  limiter.mode = SoftClipper::kModeLimiter;
  limiter.autoMakeUp = true;
  limiter.setThreshold(0.5);
  limiter.updateMakeUpGain();
  Signal sig;
  for (auto _ : state) {
    double** io = sig.refill();
    over.run(io, kFrames, [&](double** up, int n) {
      saturator.process(up, n);
      limiter.process(up, up, n);
    });
    benchmark::ClobberMemory();
  }
  reportRealTime(state);
}
BENCHMARK(BM_OversampledSaturatorLimiter);

// The effect's own arrangement: the saturator and the limiter each inside
// an oversampler of their own (two up/down passes per block).
void BM_OversampledSaturatorThenLimiter(benchmark::State& state) {
  Oversampler satOver, limOver;
  for (Oversampler* o : {&satOver, &limOver}) {
    o->setBlockSize(kFrames);
    o->reset();
  }
  Saturator saturator(kOutputSaturation);
  prepare(saturator);
  SoftClipper limiter;
  limiter.autoMakeUp = true;
  limiter.setThreshold(0.5);
  Signal sig;
  for (auto _ : state) {
    double** io = sig.refill();
    satOver.run(io, kFrames, [&](double** up, int n) { saturator.process(up, n); });
    limOver.run(io, kFrames, [&](double** up, int n) { limiter.process(up, up, n); });
    benchmark::ClobberMemory();
  }
  reportRealTime(state);
}
BENCHMARK(BM_OversampledSaturatorThenLimiter);

// The audio chain with every unit active.
void BM_DistortionChain(benchmark::State& state) {
  DistortionFx chain(provider());
  chain.init();
  chain.setSampleRate(kRate);
  chain.setBlockSize(kFrames);
  chain.bitCrasher.setQuantization(0.8);
  chain.smpRateConverter.setSampleRateConversion(0.7);
  chain.noiseGate.setThreshold(0.2);
  chain.distortion.setType(25.0 / 42.0);
  chain.distortion.setAmount(0.8);
  chain.dynShaper.setAmount(0.6);
  Signal sig;
  for (auto _ : state) {
    chain.process(sig.refill(), nullptr, nullptr, kFrames);
    benchmark::ClobberMemory();
  }
  reportRealTime(state);
}
BENCHMARK(BM_DistortionChain);

}  // namespace
