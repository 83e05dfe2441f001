// Speed of the distortion engine's start-up work and of its audio path.
//   build/bench/disto/disto_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "Distortion.h"
#include "DistortionDataProvider.h"

using Rawnfield::Distortion;
using Rawnfield::DistortionDataProvider;

namespace {

// Building the 85 curves happens at every start of the program.
void BM_ProviderBuild(benchmark::State& state) {
  for (auto _ : state) {
    DistortionDataProvider provider;
    benchmark::DoNotOptimize(provider.getCurveData(84)[511]);
  }
}
BENCHMARK(BM_ProviderBuild)->Unit(benchmark::kMillisecond);

// One stereo block of 512 frames through the distortion unit with cosine
// interpolation, reported per frame. The block is refilled from a fixed
// input each time (two 4 KiB copies, included in the figure).
void BM_DistortStereo512Cosine(benchmark::State& state) {
  constexpr int kFrames = 512;
  DistortionDataProvider provider;
  Distortion unit(provider);
  unit.init();
  unit.setBlockSize(kFrames);
  unit.setType(state.range(0) / 42.0);
  unit.setDistoMode(state.range(1) / 2.0);
  unit.setInterpolation(1.0);  // cosine
  unit.setAmount(0.8);
  std::vector<double> srcL(kFrames), srcR(kFrames), l(kFrames), r(kFrames);
  for (int i = 0; i < kFrames; ++i) {
    srcL[i] = 0.9 * std::sin(2.0 * 3.141592653589793 * 440.0 * i / 44100.0);
    srcR[i] = 0.7 * std::sin(2.0 * 3.141592653589793 * 660.0 * i / 44100.0);
  }
  double* io[2] = {l.data(), r.data()};
  for (auto _ : state) {
    l = srcL;
    r = srcR;
    unit.distort(io, nullptr, kFrames);
    benchmark::ClobberMemory();
  }
  state.counters["per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
// Type 25 "Rawnfield-Drive1" in each drive mode.
BENCHMARK(BM_DistortStereo512Cosine)->Args({25, 0})->Args({25, 1})->Args({25, 2});

}  // namespace
