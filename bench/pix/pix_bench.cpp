// Fills, blits and lines on a bitmap of the editor's size (650 x 830). Each
// iteration is one full-size operation: a fill or blit of the whole bitmap,
// or one line across it. Reports us_per_op (microseconds per operation) and
// Mpixels_per_s for the fills and blits.

#include <benchmark/benchmark.h>

#include <chrono>

#include "pix.h"

namespace {

const int kW = 650, kH = 830;

struct Surface {
  PIX_MemBitmap dest{kW, kH, 4};
  PIX_MemBitmap src{kW, kH, 4};
  Surface() {
    unsigned int s = 1;
    for (PIX_MemBitmap* b : {&dest, &src})
      for (int i = 0; i < b->getRowSpan() * kH; ++i) {
        s = s * 1664525u + 1013904223u;
        b->getBits()[i] = s;
      }
  }
};

typedef std::chrono::steady_clock Clock;

void report(benchmark::State& state, Clock::time_point start, int64_t pixelsPerOp) {
  const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  state.counters["us_per_op"] = us / (double)state.iterations();
  if (pixelsPerOp)
    state.counters["Mpixels_per_s"] = benchmark::Counter(
        (double)state.iterations() * (double)pixelsPerOp * 1e-6, benchmark::Counter::kIsRate);
}

void BM_Fill(benchmark::State& state, float alpha, int mode) {
  Surface s;
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    PIX_FillRect(&s.dest, 0, 0, kW, kH, 0xC0336699, alpha, mode);
    benchmark::ClobberMemory();
  }
  report(state, start, (int64_t)kW * kH);
}
BENCHMARK_CAPTURE(BM_Fill, store, 1.0f, PIX_OP_COPY);
BENCHMARK_CAPTURE(BM_Fill, half, 0.5f, PIX_OP_COPY);
BENCHMARK_CAPTURE(BM_Fill, weighted_copy, 0.3f, PIX_OP_COPY);
BENCHMARK_CAPTURE(BM_Fill, add, 0.7f, PIX_OP_ADD);
BENCHMARK_CAPTURE(BM_Fill, source_alpha, 1.0f, PIX_OP_COPY | PIX_USE_SOURCE_ALPHA);
BENCHMARK_CAPTURE(BM_Fill, hsv, 0.5f, PIX_OP_HSVADJ);

void BM_Blit(benchmark::State& state, float alpha, int mode) {
  Surface s;
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    PIX_Blit(&s.dest, &s.src, 0, 0, (const RECT*)nullptr, alpha, mode);
    benchmark::ClobberMemory();
  }
  report(state, start, (int64_t)kW * kH);
}
BENCHMARK_CAPTURE(BM_Blit, copy, 1.0f, PIX_OP_COPY);
BENCHMARK_CAPTURE(BM_Blit, half, 0.5f, PIX_OP_COPY);
BENCHMARK_CAPTURE(BM_Blit, weighted_copy, 0.7f, PIX_OP_COPY);
BENCHMARK_CAPTURE(BM_Blit, source_alpha, 1.0f, PIX_OP_COPY | PIX_USE_SOURCE_ALPHA);
BENCHMARK_CAPTURE(BM_Blit, source_alpha_weighted, 0.6f, PIX_OP_COPY | PIX_USE_SOURCE_ALPHA);
BENCHMARK_CAPTURE(BM_Blit, multiply, 1.0f, PIX_OP_MUL);

// A bitmap scrolled by one row within itself (overlapping rows).
void BM_BlitSelfScroll(benchmark::State& state) {
  Surface s;
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    PIX_Blit(&s.dest, &s.dest, 0, 1, 0, 0, kW, kH - 1, 1.0f, 0);
    benchmark::ClobberMemory();
  }
  report(state, start, (int64_t)kW * (kH - 1));
}
BENCHMARK(BM_BlitSelfScroll);

// One line from the top edge to the bottom edge (830 rows) per iteration,
// sweeping across the width.
void BM_Line(benchmark::State& state, float alpha, bool aa) {
  Surface s;
  int i = 0;
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    const int x = (i * 37) % kW;
    PIX_Line(&s.dest, x, 0, kW - 1 - x, kH - 1, 0xFFFFFFFF, alpha, 0, aa);
    benchmark::ClobberMemory();
    ++i;
  }
  report(state, start, 0);
}
BENCHMARK_CAPTURE(BM_Line, store, 1.0f, false);
BENCHMARK_CAPTURE(BM_Line, weighted, 0.7f, false);
BENCHMARK_CAPTURE(BM_Line, antialiased, 1.0f, true);
BENCHMARK_CAPTURE(BM_Line, antialiased_weighted, 0.7f, true);

void BM_FLine(benchmark::State& state) {
  Surface s;
  int i = 0;
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    const float x = (float)((i * 37) % kW) + 0.3f;
    PIX_FLine(&s.dest, x, 0.6f, (float)kW - 1.7f - x, (float)kH - 1.4f, 0xFFFFFFFF, 1.0f, 0,
              true);
    benchmark::ClobberMemory();
    ++i;
  }
  report(state, start, 0);
}
BENCHMARK(BM_FLine);

}  // namespace
