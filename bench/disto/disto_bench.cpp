// Speed of the distortion engine's start-up work and of its audio path.
//   build/bench/disto/disto_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "CurveMath.h"
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

// The cosine of the curve reads' weight, 4096 arguments in [0, pi) a pass,
// reported as arguments per second: the library's one at a time against
// CurveMath::cosine for doubles and two, four and eight lanes.
const std::vector<double>& weightArguments() {
  static const std::vector<double> x = [] {
    std::vector<double> v(4096);
    for (size_t i = 0; i < v.size(); ++i)
      v[i] = std::fmod(i * 0.6180339887498949, 1.0) * Rawnfield::CurveMath::kPi;
    return v;
  }();
  return x;
}

template <class Pass>
void runCosine(benchmark::State& state, Pass&& pass) {
  const std::vector<double>& x = weightArguments();
  std::vector<double> out(x.size());
  for (auto _ : state) {
    pass(x.data(), out.data(), static_cast<int>(x.size()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * x.size());
}

void BM_CosineLibrary(benchmark::State& state) {
  runCosine(state, [](const double* x, double* y, int n) {
    for (int i = 0; i < n; ++i) y[i] = std::cos(x[i]);
  });
}
BENCHMARK(BM_CosineLibrary);

void BM_CosineDouble(benchmark::State& state) {
  runCosine(state, [](const double* x, double* y, int n) {
    for (int i = 0; i < n; ++i) y[i] = Rawnfield::CurveMath::cosine(x[i]);
  });
}
BENCHMARK(BM_CosineDouble);

void BM_CosineTwoLanes(benchmark::State& state) {
  runCosine(state, [](const double* x, double* y, int n) {
    for (int i = 0; i + 2 <= n; i += 2)
      Dsp::storeLanes(y + i, Rawnfield::CurveMath::cosine(Dsp::loadLanes(x + i)));
  });
}
BENCHMARK(BM_CosineTwoLanes);

#if defined(DSP_WIDE_LANES)
DSP_WIDE void cosineFour(const double* x, double* y, int n) {
  for (int i = 0; i + 4 <= n; i += 4)
    _mm256_storeu_pd(y + i, Rawnfield::CurveMath::cosine(_mm256_loadu_pd(x + i)));
  Dsp::leaveWideLanes();
}
DSP_WIDEST void cosineEight(const double* x, double* y, int n) {
  for (int i = 0; i + 8 <= n; i += 8)
    _mm512_storeu_pd(y + i, Rawnfield::CurveMath::cosine(_mm512_loadu_pd(x + i)));
  Dsp::leaveWideLanes();
}

void BM_CosineFourLanes(benchmark::State& state) {
  if (!Dsp::hasWideLanes()) {
    state.SkipWithError("no four-lane registers");
    return;
  }
  runCosine(state, cosineFour);
}
BENCHMARK(BM_CosineFourLanes);

void BM_CosineEightLanes(benchmark::State& state) {
  if (!Dsp::hasWidestLanes()) {
    state.SkipWithError("no eight-lane registers");
    return;
  }
  runCosine(state, cosineEight);
}
BENCHMARK(BM_CosineEightLanes);
#endif

}  // namespace
