// Speed of the oversampled output stage, of the distortion chain and its
// first units, and of the effect's whole block, reported as the real-time factor: seconds of
// audio processed per second of CPU time (the "rt_factor" counter).
//   build/bench/chain/chain_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "BitCrasher.h"
#include "DistortionDataProvider.h"
#include "DistortionFx.h"
#include "DspLib/WideLanes.h"
#include "DynShaper.h"
#include "NoiseGate.h"
#include "Oversampler.h"
#include "Saturator.h"
#include "SmpRateConverter.h"
#include "SoftClipper.h"
#include "UnitMath.h"
#include "whole_chain.h"

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

// Seconds of audio per second of CPU time, for runs of `frames` frames.
void reportRealTime(benchmark::State& state, int frames = kFrames) {
  state.counters["rt_factor"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * frames / kRate, benchmark::Counter::kIsRate);
}

// An oversampler set up for blocks of `frames`, as the effect's reset does.
struct PreparedOversampler : Oversampler {
  explicit PreparedOversampler(int frames) {
    setBlockSize(frames);
    reset();
  }
};

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

// The lane width for a case: range(1) is 2, 4 or 8.
struct LaneLimit {
  explicit LaneLimit(benchmark::State& state) {
    Dsp::limitLaneWidth(static_cast<Dsp::LaneWidth>(state.range(1)));
  }
  ~LaneLimit() { Dsp::limitLaneWidth(Dsp::kWidestLanes); }
};

// Blocks of 16, 64 and 512 frames, at each lane width.
void unitBlocks(benchmark::internal::Benchmark* b) {
  for (int frames : {16, 64, 512})
    for (int lanes : {2, 4, 8}) b->Args({frames, lanes});
}

// The eightfold pass alone (up, then down with nothing between) at the block sizes a host uses: the
// filters' cost.
void BM_OversamplerPass(benchmark::State& state) {
  const LaneLimit limit(state);
  const int frames = static_cast<int>(state.range(0));
  PreparedOversampler over(frames);
  Signal sig;
  double** io = sig.refill();
  int at = 0;
  for (auto _ : state) {
    if (at + frames > kFrames) at = 0;
    double* block[2] = {io[0] + at, io[1] + at};
    over.upsample(block, nullptr, frames);
    over.downsample(over.up, nullptr, frames * Oversampler::kFactor);
    benchmark::ClobberMemory();
    at += frames;
  }
  reportRealTime(state, frames);
}
BENCHMARK(BM_OversamplerPass)->Apply(unitBlocks);

// Down-sampling alone, of a block of up-sampled frames.
void BM_OversamplerDown(benchmark::State& state) {
  const LaneLimit limit(state);
  const int frames = static_cast<int>(state.range(0));
  PreparedOversampler over(frames);
  Signal sig;
  over.upsample(sig.refill(), nullptr, frames);
  for (auto _ : state) {
    over.downsample(over.up, nullptr, frames * Oversampler::kFactor);
    benchmark::ClobberMemory();
  }
  reportRealTime(state, frames);
}
BENCHMARK(BM_OversamplerDown)->Apply(unitBlocks);

// Up-sampling alone.
void BM_OversamplerUp(benchmark::State& state) {
  const LaneLimit limit(state);
  const int frames = static_cast<int>(state.range(0));
  PreparedOversampler over(frames);
  Signal sig;
  double** io = sig.refill();
  for (auto _ : state) {
    over.upsample(io, nullptr, frames);
    benchmark::ClobberMemory();
  }
  reportRealTime(state, frames);
}
BENCHMARK(BM_OversamplerUp)->Apply(unitBlocks);

// The dynamic shaper alone, sine profile, blocks of 16, 64 and 512 frames:
// with the amount settled, and modulated frame by frame (the loop the amount
// takes while it moves). The block is copied in before each run.
void BM_DynShaper(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  const bool modulated = state.range(1) != 0;
  DynShaper shaper;
  shaper.setAmount(0.8);
  shaper.amountSmoother.state = shaper.getAmount();
  Signal sig;
  std::vector<double> l(frames), r(frames), mod(frames);
  for (int i = 0; i < frames; ++i) mod[i] = 0.75 + 0.25 * std::sin(0.01 * i);
  double* io[2] = {l.data(), r.data()};
  int at = 0;
  for (auto _ : state) {
    if (at + frames > kFrames) at = 0;
    std::copy(sig.srcL.begin() + at, sig.srcL.begin() + at + frames, l.begin());
    std::copy(sig.srcR.begin() + at, sig.srcR.begin() + at + frames, r.begin());
    shaper.process(io, modulated ? mod.data() : nullptr, frames);
    benchmark::ClobberMemory();
    at += frames;
  }
  reportRealTime(state, frames);
}
BENCHMARK(BM_DynShaper)->ArgNames({"frames", "modulated"})->ArgsProduct({{16, 64, 512}, {0, 1}});

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

// The effect's whole block in the order it runs it: the input stage, the
// filter unit, the distortion chain and the equaliser on a copy, the
// sub-band processor on the raw input, the bypass crossfade, the output
// saturator eightfold oversampled, the sweep, pan, dry/wet, the limiter
// eightfold oversampled, the output volume and the safety clamp. Every
// stage is active. The effect's own per-sample steps are written plainly,
// frame by frame.
struct EffectBlock {
  void process(double** in, double** out, int n) {
    for (int c = 0; c < 2; ++c) {
      std::copy(in[c], in[c] + n, dry[c].begin());
      std::copy(in[c], in[c] + n, raw[c].begin());
      std::copy(in[c], in[c] + n, out[c]);
    }
    SpeedScenarios::WholeChain& u = units;
    u.input.process(out, n);
    double* fx[2] = {u.fx[0].data(), u.fx[1].data()};
    for (int c = 0; c < 2; ++c) std::copy(out[c], out[c] + n, fx[c]);
    u.filter.process(fx, n);
    u.chains.process(fx, n);
    u.eq.process(fx, n);
    double* r[2] = {raw[0].data(), raw[1].data()};
    u.subBand.process(r, fx, n);
    for (int i = 0; i < n; ++i) {
      const double b = bypass.next(0.0);
      for (int c = 0; c < 2; ++c) out[c][i] = b * out[c][i] + (1.0 - b) * fx[c][i];
    }
    u.saturatorOver.run(out, n, [&](double** up, int m) { u.outputSaturator.process(up, m); });
    u.sweep.process(out, n);
    for (int i = 0; i < n; ++i) {
      const double p = pan.next(0.4);
      if (p < 0.5)
        out[1][i] *= 2.0 * p;
      else
        out[0][i] *= 1.0 - 2.0 * (p - 0.5);
      const double w = dryWet.next(0.9);
      for (int c = 0; c < 2; ++c) out[c][i] = w * out[c][i] + (1.0 - w) * dry[c][i];
    }
    u.limiterOver.run(out, n, [&](double** up, int m) { u.limiter.process(up, up, m); });
    for (int i = 0; i < n; ++i) {
      const double v = volume.next(0.8);
      for (int c = 0; c < 2; ++c) {
        double x = out[c][i] * v;
        if (!std::isfinite(x)) x = 0.0;
        out[c][i] = x > kCeiling ? kCeiling : (x < -kCeiling ? -kCeiling : x);
      }
    }
  }

  static constexpr double kCeiling = 3.1622776601683795;
  SpeedScenarios::WholeChain units;
  Smoother bypass{0.988, 0.0}, pan{0.9777, 0.5}, dryWet{0.9777, 0.0}, volume{0.9777, 1.0};
  std::vector<double> dry[2] = {std::vector<double>(kFrames), std::vector<double>(kFrames)};
  std::vector<double> raw[2] = {std::vector<double>(kFrames), std::vector<double>(kFrames)};
};

void BM_WholeEffectBlock(benchmark::State& state) {
  EffectBlock effect;
  Signal sig;
  std::vector<double> outL(kFrames), outR(kFrames);
  double* out[2] = {outL.data(), outR.data()};
  for (auto _ : state) {
    effect.process(sig.refill(), out, kFrames);
    benchmark::ClobberMemory();
  }
  reportRealTime(state);
}
BENCHMARK(BM_WholeEffectBlock);

// The distortion chain's first three units alone, in blocks of
// state.range(0) frames with the lanes limited to state.range(1) (2, 4 or
// 8), at the every-stage program's settings. Each rewrites its block with
// the same kind of values, so the block is not refilled.
void reportBlocks(benchmark::State& state) {
  reportRealTime(state, static_cast<int>(state.range(0)));
}

void BM_BitCrusher(benchmark::State& state) {
  const LaneLimit limit(state);
  const int frames = static_cast<int>(state.range(0));
  BitCrasher crusher;
  crusher.setQuantization(0.8);
  Signal sig;
  double** io = sig.refill();
  for (auto _ : state) {
    crusher.process(io, frames);
    benchmark::ClobberMemory();
  }
  reportBlocks(state);
}

void BM_NoiseGate(benchmark::State& state) {
  const LaneLimit limit(state);
  const int frames = static_cast<int>(state.range(0));
  NoiseGate gate;
  gate.setThreshold(0.3);
  gate.thresholdSmoother.state = gate.threshold;
  Signal sig;
  double** in = sig.refill();
  std::vector<double> l(kFrames), r(kFrames);
  double* out[2] = {l.data(), r.data()};
  for (auto _ : state) {
    gate.process(in, out, frames);
    benchmark::ClobberMemory();
  }
  reportBlocks(state);
}

void BM_SampleRateReducer(benchmark::State& state) {
  const LaneLimit limit(state);
  const int frames = static_cast<int>(state.range(0));
  SmpRateConverter reducer;
  reducer.setBlockSize(kFrames);
  reducer.setSampleRateConversion(0.8);
  Signal sig;
  double** io = sig.refill();
  for (auto _ : state) {
    reducer.process(io, frames);
    benchmark::ClobberMemory();
  }
  reportBlocks(state);
}

// The same with the setting alternating between two that keep different
// counts: every block works out its positions afresh.
void BM_SampleRateReducerMoving(benchmark::State& state) {
  const LaneLimit limit(state);
  const int frames = static_cast<int>(state.range(0));
  SmpRateConverter reducer;
  reducer.setBlockSize(kFrames);
  Signal sig;
  double** io = sig.refill();
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    reducer.setSampleRateConversion(flip ? 0.8 : 0.75);
    reducer.process(io, frames);
    benchmark::ClobberMemory();
  }
  reportBlocks(state);
}

BENCHMARK(BM_BitCrusher)->Apply(unitBlocks);
BENCHMARK(BM_NoiseGate)->Apply(unitBlocks);
BENCHMARK(BM_SampleRateReducer)->Apply(unitBlocks);
BENCHMARK(BM_SampleRateReducerMoving)->Apply(unitBlocks);

}  // namespace
