// Fills, blits, resampling blits, lines and curves on a bitmap of the
// editor's size (650 x 830). Each iteration is one full-size operation: a
// fill or blit of the whole bitmap, a scaled or rotated blit onto all of
// it, or one line or curve across it. Reports us_per_op (microseconds per operation) and
// Mpixels_per_s for the fills and blits.

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

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

// Times op(), one full-size operation, per iteration.
template <class Op>
void timeOps(benchmark::State& state, int64_t pixelsPerOp, Op op) {
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    op();
    benchmark::ClobberMemory();
  }
  report(state, start, pixelsPerOp);
}

// A source of 3/4 size (488 x 623) stretched onto the whole bitmap.
void BM_ScaledBlit(benchmark::State& state, float alpha, int mode) {
  Surface s;
  timeOps(state, (int64_t)kW * kH, [&] {
    PIX_ScaledBlit(&s.dest, &s.src, 0, 0, kW, kH, 10.25f, 20.5f, 488, 623, alpha, mode);
  });
}
BENCHMARK_CAPTURE(BM_ScaledBlit, nearest_copy, 1.0f, PIX_OP_COPY);
BENCHMARK_CAPTURE(BM_ScaledBlit, nearest_weighted, 0.7f, PIX_OP_COPY);
BENCHMARK_CAPTURE(BM_ScaledBlit, bilinear, 1.0f, PIX_OP_COPY | PIX_FILTER_BILINEAR);
BENCHMARK_CAPTURE(BM_ScaledBlit, bilinear_source_alpha, 1.0f,
                  PIX_OP_COPY | PIX_FILTER_BILINEAR | PIX_USE_SOURCE_ALPHA);

// The whole bitmap halved: the 3 x 3 averaging of strong reductions.
void BM_ScaledBlitReduce(benchmark::State& state) {
  Surface s;
  timeOps(state, (int64_t)(kW / 2) * (kH / 2), [&] {
    PIX_ScaledBlit(&s.dest, &s.src, 0, 0, kW / 2, kH / 2, 0, 0, kW, kH, 1.0f,
                   PIX_FILTER_BILINEAR);
  });
}
BENCHMARK(BM_ScaledBlitReduce);

// The whole source turned by 30 degrees about its centre onto the whole
// bitmap.
void BM_RotatedBlit(benchmark::State& state, float alpha, int mode) {
  Surface s;
  timeOps(state, (int64_t)kW * kH, [&] {
    PIX_RotatedBlit(&s.dest, &s.src, 0, 0, kW, kH, 0, 0, kW, kH, 0.5235988f, false, alpha, mode,
                    0, 0);
  });
}
BENCHMARK_CAPTURE(BM_RotatedBlit, nearest, 1.0f, PIX_OP_COPY);
BENCHMARK_CAPTURE(BM_RotatedBlit, bilinear, 1.0f, PIX_OP_COPY | PIX_FILTER_BILINEAR);
BENCHMARK_CAPTURE(BM_RotatedBlit, bilinear_source_alpha, 0.8f,
                  PIX_OP_COPY | PIX_FILTER_BILINEAR | PIX_USE_SOURCE_ALPHA);

// A 9 x 9 mesh with a gentle wave over the whole bitmap.
void BM_MeshBlit(benchmark::State& state) {
  Surface s;
  std::vector<double> pts;
  for (int r = 0; r < 9; ++r)
    for (int c = 0; c < 9; ++c)
      pts.insert(pts.end(),
                 {c * kW / 8.0 + 6 * ((r + c) % 3 - 1), r * kH / 8.0 + 5 * ((r * c) % 3 - 1)});
  timeOps(state, (int64_t)kW * kH, [&] {
    PIX_TransformBlit2(&s.dest, &s.src, 0, 0, kW, kH, pts.data(), 9, 9, 1.0f,
                       PIX_FILTER_BILINEAR);
  });
}
BENCHMARK(BM_MeshBlit);

// A cubic curve across the bitmap (about 1300 pixels long), drawn and
// filled down to the bottom row.
void BM_Bezier(benchmark::State& state, bool fill, bool aa) {
  Surface s;
  timeOps(state, 0, [&] {
    if (fill)
      PIX_FillCBezier(&s.dest, 5, 800, 150, -300, 500, 1100, 645, 30, kH - 1, 0xFF336699, 1.0f, 0,
                      1);
    else
      PIX_DrawCBezier(&s.dest, 5, 800, 150, -300, 500, 1100, 645, 30, 0xFF336699, 1.0f, 0, aa, 1);
  });
}
BENCHMARK_CAPTURE(BM_Bezier, curve, false, false);
BENCHMARK_CAPTURE(BM_Bezier, curve_antialiased, false, true);
BENCHMARK_CAPTURE(BM_Bezier, fill, true, false);

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
