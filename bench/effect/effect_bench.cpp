// Speed of the whole effect: ProcessDoubleReplacing on stereo blocks of 512
// frames at 44.1 kHz with oversampling on, reported as the real-time factor
// (seconds of audio per second of CPU time, the "rt_factor" counter).
//   build/bench/effect/effect_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "Harshbloom.h"

namespace {

namespace Tags = Rawnfield::Harshbloom;

constexpr int kFrames = 512;
constexpr double kRate = 44100.0;
// "Quellbrand 1 (8-bit)": distortion, bit crusher, filter, equaliser,
// sub-band processor, output saturation and limiter.
constexpr int kProgram = 37;

std::unique_ptr<Harshbloom> prepared(bool everyStage) {
  std::unique_ptr<Harshbloom> plug(MakePlug(nullptr, nullptr));
  plug->SetSampleRate(kRate);
  plug->SetBlockSize(kFrames);
  plug->Reset();
  plug->RestorePreset(kProgram);
  plug->SetParameterFromGUI(Tags::kOversampling, 1.0);
  if (everyStage) {
    // What that program leaves off.
    const std::pair<int, double> on[] = {
        {Tags::kDynShaper, 0.5},        {Tags::kSampleRate, 0.8},        {Tags::kGate, 0.1},
        {Tags::kFilterInputDrive, 0.4}, {Tags::kSubBandSaturation, 0.3}, {Tags::kDumpExpand, 0.3},
    };
    for (const auto& p : on) plug->SetParameterFromGUI(p.first, p.second);
  }
  plug->OnActivate(true);
  return plug;
}

void run(benchmark::State& state, bool everyStage) {
  std::unique_ptr<Harshbloom> plug = prepared(everyStage);
  std::vector<double> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames);
  double* in[2] = {inL.data(), inR.data()};
  double* out[2] = {outL.data(), outR.data()};
  long block = 0;
  for (auto _ : state) {
    for (int i = 0; i < kFrames; ++i) {
      const double t = static_cast<double>(block * kFrames + i) / kRate;
      inL[i] = 0.7 * std::sin(2.0 * 3.141592653589793 * 110.0 * t);
      inR[i] = 0.5 * std::sin(2.0 * 3.141592653589793 * 165.0 * t);
    }
    plug->ProcessDoubleReplacing(in, out, kFrames);
    benchmark::ClobberMemory();
    ++block;
  }
  state.counters["rt_factor"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kFrames / kRate, benchmark::Counter::kIsRate);
}

void BM_FactoryProgramOversampled(benchmark::State& state) {
  run(state, false);
}
BENCHMARK(BM_FactoryProgramOversampled);

void BM_EveryStageOversampled(benchmark::State& state) {
  run(state, true);
}
BENCHMARK(BM_EveryStageOversampled);

}  // namespace
