// Speed of the generators, modulators and spare filters, one group per unit
// family, on 512-frame blocks at 44100 Hz of deterministic stereo noise.
// Audio-path units report the real-time factor: seconds of audio processed
// per second of CPU time (the "rt_factor" counter). The envelope curves and
// the waveform tables have no audio path; they report time per call.
//   build/bench/gen/gen_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "ADSR.h"
#include "BiquadFilter.h"
#include "FmModulator.h"
#include "FxTester.h"
#include "HardcoreBass.h"
#include "OscFilterUnit.h"
#include "Phaser.h"
#include "RingModulator.h"
#include "Sampler.h"
#include "TempoDelay.h"
#include "WaveTable.h"
#include "WaveformProvider.h"

using namespace Rawnfield;

namespace {

constexpr int kFrames = 512;
constexpr double kRate = 44100.0;

struct Noise {
  Noise() : l(kFrames), r(kFrames), io{l.data(), r.data()} { refill(); }
  void refill() {
    for (int i = 0; i < kFrames; ++i) {
      state = state * 1664525u + 1013904223u;
      l[i] = static_cast<double>(state >> 8) / 8388608.0 - 1.0;
      r[i] = -0.5 * l[i];
    }
  }
  unsigned state = 1;
  std::vector<double> l, r;
  double* io[2];
};

void reportRealTime(benchmark::State& state) {
  state.counters["rt_factor"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kFrames / kRate, benchmark::Counter::kIsRate);
}

// Runs a stereo in-place process over fresh noise blocks.
template <class Process>
void runBlocks(benchmark::State& state, Process&& process) {
  Noise n;
  for (auto _ : state) {
    n.refill();
    process(n.io, kFrames);
    benchmark::DoNotOptimize(n.l.data());
  }
  reportRealTime(state);
}

// --- per-sample filters and the cookbook section ----------------------------

// Both stereo channels through a two-filter unit with the given pair.
void BM_OscFilterUnit(benchmark::State& state) {
  OscFilterUnit left, right;
  for (OscFilterUnit* u : {&left, &right}) {
    u->init();
    u->setSampleRate(kRate);
    u->setFilterType1(state.range(0) / 7.0);
    u->setFilterType2(state.range(1) / 7.0);
    u->setFilterMix(0.5);
  }
  runBlocks(state, [&](double** io, int n) {
    for (int i = 0; i < n; ++i) {
      io[0][i] = left.process(io[0][i], 0.6, 0.4);
      io[1][i] = right.process(io[1][i], 0.6, 0.4);
    }
  });
}
BENCHMARK(BM_OscFilterUnit)->Args({0, 3})->Args({4, 5})->Args({2, 6});

void BM_BiquadFilter(benchmark::State& state) {
  BiquadFilter left(static_cast<eFilterMode>(state.range(0)), kRate);
  BiquadFilter right(static_cast<eFilterMode>(state.range(0)), kRate);
  runBlocks(state, [&](double** io, int n) {
    for (int i = 0; i < n; ++i) {
      io[0][i] = left.process(io[0][i], 0.3, 0.2);
      io[1][i] = right.process(io[1][i], 0.3, 0.2);
    }
  });
}
BENCHMARK(BM_BiquadFilter)->Arg(0)->Arg(5);

// --- oscillators -------------------------------------------------------------

void BM_PolyBLEP(benchmark::State& state) {
  PolyBLEP osc(kRate, static_cast<PolyBLEP::Waveform>(state.range(0)), 441.0);
  std::vector<double> out(kFrames);
  for (auto _ : state) {
    for (int i = 0; i < kFrames; ++i) out[i] = osc.getAndInc();
    benchmark::DoNotOptimize(out.data());
  }
  reportRealTime(state);
}
BENCHMARK(BM_PolyBLEP)->Arg(PolyBLEP::SAWTOOTH)->Arg(PolyBLEP::TRAPEZOID_VARIABLE);

void BM_WaveTableOsc(benchmark::State& state) {
  std::vector<double> cycle(4096);
  for (size_t i = 0; i < cycle.size(); ++i) cycle[i] = 2.0 * i / 4096.0 - 1.0;
  WaveTable table;
  table.genTables(cycle.data(), 4096);
  WaveTableOsc osc;
  osc.setWaveTable(&table);
  osc.setFrequency(1234.0);
  std::vector<double> out(kFrames);
  for (auto _ : state) {
    for (int i = 0; i < kFrames; ++i) out[i] = osc.getAndInc();
    benchmark::DoNotOptimize(out.data());
  }
  reportRealTime(state);
}
BENCHMARK(BM_WaveTableOsc);

// --- waveform provider (no audio path) -----------------------------------------

void BM_WaveformProviderBuild(benchmark::State& state) {
  WaveformProvider p;
  for (auto _ : state) {
    p.makeWaveforms();
    p.genTables();
  }
}
BENCHMARK(BM_WaveformProviderBuild)->Unit(benchmark::kMillisecond);

// --- modulators ------------------------------------------------------------------

void BM_RingModulator(benchmark::State& state) {
  RingModulator m;
  m.setSampleRate(kRate);
  m.setAmount(0.7);
  m.setWaveform(1.0);  // three oscillators
  runBlocks(state, [&](double** io, int n) { m.process(io, n); });
}
BENCHMARK(BM_RingModulator);

void BM_FmModulator(benchmark::State& state) {
  FmModulator m;
  m.setAmount(0.7);
  m.phaseInc = 0.01;
  runBlocks(state, [&](double** io, int n) { m.modulate(io, n); });
}
BENCHMARK(BM_FmModulator);

// --- envelopes (no audio path) -----------------------------------------------

void BM_ADSRDisplayCurve(benchmark::State& state) {
  ADSR e("bench");
  e.setAttack(0.3);
  e.setDecay(0.4);
  e.setSustain(0.5);
  e.setRelease(0.6);
  std::vector<double> buf(512);
  for (auto _ : state) {
    e.getGuiData(buf.data(), 512, 1.0);
    benchmark::DoNotOptimize(buf.data());
  }
}
BENCHMARK(BM_ADSRDisplayCurve);

// --- bass shaper and sample player ----------------------------------------------

void BM_HardcoreBass(benchmark::State& state) {
  HardcoreBass b;
  b.setSampleRate(kRate);
  b.hpAmount = 0.8;
  b.bassAmount = 0.6;
  b.drive = 0.5;
  runBlocks(state, [&](double** io, int n) { b.process(io, n); });
}
BENCHMARK(BM_HardcoreBass);

void BM_Sampler(benchmark::State& state) {
  std::vector<double> data(44100);
  for (size_t i = 0; i < data.size(); ++i) data[i] = std::sin(0.01 * i);
  Sampler s;
  s.setData(data.data(), static_cast<int>(data.size()), 48000.0);
  std::vector<double> out(kFrames);
  double t = 0.0;
  for (auto _ : state) {
    for (int i = 0; i < kFrames; ++i) {
      out[i] = s.getSample(t);
      t += 1.0 / kRate;
      if (t >= s.duration) t = 0.0;
    }
    benchmark::DoNotOptimize(out.data());
  }
  reportRealTime(state);
}
BENCHMARK(BM_Sampler);

// --- phaser and tempo delay -----------------------------------------------------

void BM_Phaser(benchmark::State& state) {
  Phaser p;
  p.setDepth(0.8);
  p.setRate(0.2);
  runBlocks(state, [&](double** io, int n) { p.process(io, n); });
}
BENCHMARK(BM_Phaser);

void BM_TempoDelay(benchmark::State& state) {
  TempoDelay d;
  d.setSampleRate(kRate);
  d.reset();
  d.wetLevel = 0.5;
  d.setStereoFx(0.8);
  runBlocks(state, [&](double** io, int n) { d.process(io, n); });
}
BENCHMARK(BM_TempoDelay);

// --- test signals ------------------------------------------------------------------

void BM_FxTester(benchmark::State& state) {
  FxTester t;
  t.init();
  t.setSampleRate(kRate);
  t.setBlockSize(kFrames);
  t.setKickSignal(true);
  t.setTestSignal(true);
  runBlocks(state, [&](double** io, int n) { t.process(io, nullptr, n); });
}
BENCHMARK(BM_FxTester);

}  // namespace
