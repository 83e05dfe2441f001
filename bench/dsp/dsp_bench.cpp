// One smoothed order-4 Butterworth low pass on two channels, steady and while gliding.
// Reports ns_per_frame: nanoseconds per stereo frame.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
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

template <class Design>
Dsp::Filter* designed(int order, double hz, double gainDb) {
  Dsp::Filter* f = new Dsp::SmoothedFilterDesign<Design, 2, Dsp::DirectFormI>(kBlock);
  Dsp::Params p = f->getDefaultParams();
  for (int i = 0; i < f->getNumParams(); ++i) {
    const int id = f->getParamInfo(i).getId();
    if (id == Dsp::idOrder) p[i] = order;
    if (id == Dsp::idFrequency) p[i] = hz;
    if (id == Dsp::idGain) p[i] = gainDb;
    if (id == Dsp::idBandwidthHz) p[i] = hz / 2.0;
  }
  f->setParams(p);
  return f;
}

// Dsp::processSeries, steady: arg 0 the number of sections (2: an order-2 low pass and high
// pass, as the tone sweep holds them; 6: four shelves, as the equalisers hold them; else
// two-section band shelves and a one-section low shelf for an odd count), arg 1 the block.
// The block is filtered over and over: the shelves only cut, so that it stays finite (a
// boost would overflow it, and the filters' recovery would then time another path).
void BM_Series(benchmark::State& state) {
  using namespace Dsp;
  std::vector<std::unique_ptr<Dsp::Filter>> filters;
  const int sections = static_cast<int>(state.range(0));
  if (sections == 2) {
    filters.emplace_back(designed<ChebyshevI::Design::LowPass<4>>(2, 12000.0, 0.0));
    filters.emplace_back(designed<ChebyshevI::Design::HighPass<4>>(2, 40.0, 0.0));
  } else if (sections == 6) {
    filters.emplace_back(designed<Butterworth::Design::LowShelf<2>>(2, 150.0, -4.0));
    filters.emplace_back(designed<Butterworth::Design::BandShelf<2>>(2, 400.0, -6.0));
    filters.emplace_back(designed<Butterworth::Design::BandShelf<2>>(2, 1600.0, -3.0));
    filters.emplace_back(designed<Butterworth::Design::HighShelf<2>>(2, 4000.0, -9.0));
  } else {
    for (int i = 0; i < sections / 2; ++i)
      filters.emplace_back(
          designed<Butterworth::Design::BandShelf<2>>(2, 250.0 + 700.0 * i, i % 2 ? -4.0 : -5.0));
    if (sections % 2)
      filters.emplace_back(designed<Butterworth::Design::LowShelf<2>>(2, 120.0, -6.0));
  }
  std::vector<Dsp::Filter*> list;
  for (auto& f : filters) list.push_back(f.get());
  const int n = static_cast<int>(state.range(1));
  std::vector<double> left(n), right(n);
  for (int i = 0; i < n; ++i) {
    left[i] = std::sin(0.01 * i);
    right[i] = std::cos(0.013 * i);
  }
  double* channels[2] = {left.data(), right.data()};
  int64_t frames = 0;
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    processSeries(list.data(), static_cast<int>(list.size()), n, channels);
    benchmark::DoNotOptimize(left.data());
    frames += n;
  }
  perFrame(state, start, frames);
}
BENCHMARK(BM_Series)->ArgsProduct({{2, 3, 4, 6, 8}, {4, 16, 64, 512}});

// Dsp::processSeriesPair: two equalisers of four shelves each (six sections), as the effect's
// two bands hold them, over blocks of their own; ns_per_frame counts a frame of both.
void BM_SeriesPair(benchmark::State& state) {
  using namespace Dsp;
  std::vector<std::unique_ptr<Dsp::Filter>> filters;
  for (double cut : {-4.0, -2.0}) {
    filters.emplace_back(designed<Butterworth::Design::LowShelf<2>>(2, 150.0, cut));
    filters.emplace_back(designed<Butterworth::Design::BandShelf<2>>(2, 400.0, cut - 2.0));
    filters.emplace_back(designed<Butterworth::Design::BandShelf<2>>(2, 1600.0, cut + 1.0));
    filters.emplace_back(designed<Butterworth::Design::HighShelf<2>>(2, 4000.0, cut - 5.0));
  }
  Dsp::Filter* first[4] = {filters[0].get(), filters[1].get(), filters[2].get(), filters[3].get()};
  Dsp::Filter* second[4] = {filters[4].get(), filters[5].get(), filters[6].get(), filters[7].get()};
  const int n = static_cast<int>(state.range(0));
  std::vector<double> block[4];
  for (int c = 0; c < 4; ++c) {
    block[c].resize(n);
    for (int i = 0; i < n; ++i) block[c][i] = std::sin(0.01 * (c + 1) * i);
  }
  double* one[2] = {block[0].data(), block[1].data()};
  double* two[2] = {block[2].data(), block[3].data()};
  int64_t frames = 0;
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    processSeriesPair(first, 4, one, second, 4, two, n);
    benchmark::DoNotOptimize(block[0].data());
    frames += n;
  }
  perFrame(state, start, frames);
}
BENCHMARK(BM_SeriesPair)->Arg(4)->Arg(16)->Arg(64)->Arg(512);

}  // namespace
