// Speed of the whole unit chain of one block, in the order the effect runs
// it: input stage, filter unit, distortion chain, equaliser, sub-band
// processor, output saturator (8x oversampled), sweep, limiter (8x
// oversampled). Stereo noise at 44100 Hz in 512-frame blocks, once with
// steady settings and once with every setting changing before every block.
// Reported as the real-time factor: seconds of audio processed per second
// of CPU time (the "rt_factor" counter).
//   build/bench/units/units_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "DistortionFx.h"
#include "DumpExpand.h"
#include "Eq4Band.h"
#include "FilterUnit.h"
#include "InputProcessor.h"
#include "Oversampler.h"
#include "Saturator.h"
#include "SoftClipper.h"
#include "SubBandProcessor.h"

using namespace Rawnfield;

namespace {

constexpr int kFrames = 512;
constexpr double kRate = 44100.0;
constexpr int kNoiseBlocks = 64;

// The units of one effect instance, set up as on a stream start.
struct Chain {
  Chain() : subBand(chains.subBand().distortion) {
    DistortionDataProvider& provider = chains.provider;
    chains.init();
    input.init(provider);
    filter.init(provider);
    subBand.init(provider);
    outputSaturator.init(provider);
    outputSaturator.setDryWetThreshold(Saturator::kFastDryWetThreshold);

    chains.setSampleRate(kRate);
    filter.setSampleRate(kRate);
    eq.setSampleRate(kRate);
    subBand.setSampleRate(kRate);
    sweep.setSampleRate(kRate);

    const int over = kFrames * Oversampler::kFactor;
    input.setBlockSize(kFrames);
    filter.setBlockSize(kFrames);
    chains.setBlockSize(kFrames);
    eq.setBlockSize(kFrames);
    subBand.setBlockSize(kFrames);
    sweep.setBlockSize(kFrames);
    outputSaturator.setBlockSize(over);
    for (Oversampler* o : {&saturatorOver, &limiterOver}) {
      o->setBlockSize(kFrames);
      o->reset();
    }
    filter.reset();
    eq.reset();
    subBand.reset();
    sweep.reset();
    limiter.mode = SoftClipper::kModeLimiter;
    limiter.autoMakeUp = true;
    set(0.37);
  }

  // Every setting of every unit from one number, each at its own spot.
  void set(double seed) {
    auto at = [seed](double k) { return std::fmod(seed * k + 0.13 * k, 1.0); };
    input.channelMode = static_cast<uint32_t>(at(3.1) * 4.99);
    input.volume = 0.5 + 0.5 * at(1.7);
    input.offset = 0.45 + 0.1 * at(2.3);
    input.inputSaturator.amount = at(1.3);
    filter.setInputDrive(at(2.9));
    filter.setCutoff(0.3 + 0.6 * at(1.1));
    filter.setRezo(at(3.7));
    filter.setFilterType1(at(4.1));
    filter.setFilterType2(at(5.3));
    filter.setFilterMix(at(1.9));
    filter.setFilterTransition(at(2.1));
    chains.setQuantization(0.6 + 0.4 * at(2.7));
    chains.setSampleRateConversion(0.5 + 0.5 * at(3.3));
    chains.setGateThreshold(0.2 * at(4.3));
    chains.setDistortionAmount(0.3 + 0.7 * at(1.2));
    chains.setDistortionType(at(6.1));
    chains.setDistoMode(at(2.2));
    chains.setInterpolation(at(3.9));
    chains.setPolarity(at(4.7));
    chains.setShaperAmount(at(1.4));
    chains.setShaperInvert(at(5.9));
    chains.setShaperType(at(6.7));
    chains.setShaperMode(at(7.1));
    chains.setShaperApplyMode(at(7.9));
    eq.setBassAmount(at(1.6));
    eq.setLoMiAmount(at(2.4));
    eq.setHiMiAmount(at(3.2));
    eq.setHighAmount(at(4.4));
    subBand.setChannelMode(static_cast<eChannelMode>(at(5.1) * 4.99));
    subBand.setSubBandGain(at(1.8));
    subBand.setDistoBandGain(at(2.6));
    subBand.setSubBandSaturation(at(3.4));
    Eq4Band& subEq = subBand.getEq4Band();
    subEq.setBassAmount(at(4.2));
    subEq.setLoMiAmount(at(5.0));
    subEq.setHiMiAmount(at(5.8));
    subEq.setHighAmount(at(6.6));
    subBand.getBandSplitFilter().setFilterLink(at(7.4) > 0.5);
    outputSaturator.amount = at(2.8);
    sweep.setDumpExpand(at(3.6));
    limiter.setThreshold(0.1 + 0.9 * at(4.8));
  }

  // One block in the effect's order; sub receives the input stage's output.
  void process(double** io, double** sub, int n) {
    input.process(io, n);
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < n; ++i) sub[c][i] = io[c][i];
    filter.process(io, n);
    chains.process(io, n);
    eq.process(io, n);
    subBand.process(sub, io, n);
    saturatorOver.run(io, n, [&](double** up, int m) { outputSaturator.process(up, m); });
    sweep.process(io, n);
    limiterOver.run(io, n, [&](double** up, int m) { limiter.process(up, up, m); });
  }

  DistoFxUnit chains;
  InputProcessor input;
  FilterUnit filter;
  Eq4Band eq;
  SubBandProcessor subBand;
  Saturator outputSaturator{kOutputSaturation};
  DumpExpand sweep;
  SoftClipper limiter;
  Oversampler saturatorOver, limiterOver;
};

// Stereo white noise, a few blocks of it cycled through.
struct Noise {
  Noise()
      : l(kFrames * kNoiseBlocks),
        r(kFrames * kNoiseBlocks),
        work(4, std::vector<double>(kFrames)) {
    unsigned s = 12345u;
    auto next = [&s] {
      s = s * 1664525u + 1013904223u;
      return 0.8 * (static_cast<double>(s >> 8) / 8388608.0 - 1.0);
    };
    for (size_t i = 0; i < l.size(); ++i) {
      l[i] = next();
      r[i] = next();
    }
  }
  double** block(long k) {
    const size_t at = static_cast<size_t>(k % kNoiseBlocks) * kFrames;
    for (int i = 0; i < kFrames; ++i) {
      work[0][i] = l[at + i];
      work[1][i] = r[at + i];
    }
    io[0] = work[0].data();
    io[1] = work[1].data();
    sub[0] = work[2].data();
    sub[1] = work[3].data();
    return io;
  }
  std::vector<double> l, r;
  std::vector<std::vector<double>> work;
  double* io[2];
  double* sub[2];
};

void reportRealTime(benchmark::State& state) {
  state.counters["rt_factor"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kFrames / kRate, benchmark::Counter::kIsRate);
}

void BM_FullChainSteady(benchmark::State& state) {
  Chain chain;
  Noise noise;
  long k = 0;
  for (auto _ : state) {
    double** io = noise.block(k++);
    chain.process(io, noise.sub, kFrames);
    benchmark::ClobberMemory();
  }
  reportRealTime(state);
}
BENCHMARK(BM_FullChainSteady);

void BM_FullChainEverySettingChanging(benchmark::State& state) {
  Chain chain;
  Noise noise;
  long k = 0;
  for (auto _ : state) {
    chain.set(0.001 * static_cast<double>(k % 997) + 0.5);
    double** io = noise.block(k++);
    chain.process(io, noise.sub, kFrames);
    benchmark::ClobberMemory();
  }
  reportRealTime(state);
}
BENCHMARK(BM_FullChainEverySettingChanging);

}  // namespace
