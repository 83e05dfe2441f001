// One smoothed order-4 Butterworth low pass on two channels, steady and while gliding.
// Reports ns_per_frame: nanoseconds per stereo frame.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "DspLib/Dsp.h"

namespace {

typedef Dsp::SmoothedFilterDesign<Dsp::Butterworth::Design::LowPass<4>, 2, Dsp::DirectFormII>
    Filter;

const int kBlock = 512;

struct Fixture {
  Fixture() : filter(kBlock), left(kBlock), right(kBlock) {
    for (int i = 0; i < kBlock; ++i) {
      left[i] = std::sin(0.01 * i);
      right[i] = std::cos(0.013 * i);
    }
    channels[0] = left.data();
    channels[1] = right.data();
    params = filter.getDefaultParams();
    params[1] = 4;
    params[2] = 1000;
    filter.setParams(params);
  }
  Filter filter;
  std::vector<double> left, right;
  double* channels[2];
  Dsp::Params params;
};

typedef std::chrono::steady_clock Clock;

void perFrame(benchmark::State& state, Clock::time_point start, int64_t frames) {
  const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
  state.counters["ns_per_frame"] = ns / static_cast<double>(frames);
}

void BM_Steady(benchmark::State& state) {
  Fixture f;
  int64_t frames = 0;
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    f.filter.process(kBlock, f.channels);
    benchmark::DoNotOptimize(f.left.data());
    frames += kBlock;
  }
  perFrame(state, start, frames);
}
BENCHMARK(BM_Steady);

// Every block is one whole glide of 512 samples: the coefficients are recomputed per frame.
void BM_Glide(benchmark::State& state) {
  Fixture f;
  int64_t frames = 0;
  const Clock::time_point start = Clock::now();
  bool up = false;
  for (auto _ : state) {
    f.params[2] = up ? 2000 : 1000;
    up = !up;
    f.filter.setParams(f.params);
    f.filter.process(kBlock, f.channels);
    benchmark::DoNotOptimize(f.left.data());
    frames += kBlock;
  }
  perFrame(state, start, frames);
}
BENCHMARK(BM_Glide);

}  // namespace
