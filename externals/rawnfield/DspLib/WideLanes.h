#pragma once

// Four doubles side by side, for the few loops that gain from 256-bit registers, on x86-64
// processors with AVX2. Such code lives in DSP_WIDE functions (built for AVX2 whatever the
// rest of the build targets), runs only when hasWideLanes() says the processor has it, and
// calls leaveWideLanes() before narrower code runs again. It must do the same operations in
// the same order as its two-lane counterpart, so that results do not depend on the processor.

#include <atomic>

#include "Lanes.h"

namespace Dsp {

// The widest registers the lane code may use: two doubles (SSE2), four (AVX2) or eight
// (AVX-512), as far as the processor has them. Tests and benchmarks lower the limit to
// compare the paths; the results must not change.
enum LaneWidth { kNarrowLanes = 2, kWideLanes = 4, kWidestLanes = 8 };
inline std::atomic<int> laneWidthLimit{kWidestLanes};
inline void limitLaneWidth(LaneWidth w) {
  laneWidthLimit.store(w, std::memory_order_relaxed);
}

}  // namespace Dsp

#if defined(__x86_64__) && defined(__GNUC__) && !defined(DSP_PLAIN_LANES)
#include <immintrin.h>
#define DSP_WIDE_LANES 1
#define DSP_WIDE __attribute__((target("avx2")))

namespace Dsp {

typedef __m256d Quad;

// The widest registers the processor (and the system) offers.
inline LaneWidth processorLaneWidth() {
  static const LaneWidth have = [] {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return kWidestLanes;
    if (__builtin_cpu_supports("avx2")) return kWideLanes;
    return kNarrowLanes;
  }();
  return have;
}

// What the lane code uses: the processor's widest within the limit.
inline LaneWidth laneWidth() {
  const int limit = laneWidthLimit.load(std::memory_order_relaxed);
  const int have = processorLaneWidth();
  return static_cast<LaneWidth>(have < limit ? have : limit);
}

inline bool hasWideLanes() {
  return laneWidth() >= kWideLanes;
}
inline bool hasWidestLanes() {
  return laneWidth() >= kWidestLanes;
}

// Registers left half-used by wide code slow down every narrow instruction after it on
// some processors: cleared on the way out.
DSP_WIDE inline void leaveWideLanes() {
  _mm256_zeroupper();
}

// (a, b) and (a, a) as one value; its halves back.
DSP_WIDE inline Quad joined(Lanes a, Lanes b) {
  return _mm256_insertf128_pd(_mm256_castpd128_pd256(a), b, 1);
}
DSP_WIDE inline Quad twice(Lanes a) {
  return joined(a, a);
}
DSP_WIDE inline Lanes lowHalf(Quad q) {
  return _mm256_castpd256_pd128(q);
}
DSP_WIDE inline Lanes highHalf(Quad q) {
  return _mm256_extractf128_pd(q, 1);
}

// The counterparts of the Lanes operations of the same names.
DSP_WIDE inline Quad splat4(double a) {
  return _mm256_set1_pd(a);
}
DSP_WIDE inline Quad maxQuad(Quad a, Quad b) {
  return _mm256_max_pd(a, b);
}
DSP_WIDE inline Quad minQuad(Quad a, Quad b) {
  return _mm256_min_pd(a, b);
}
DSP_WIDE inline Quad absQuad(Quad a) {
  return _mm256_and_pd(a, _mm256_castsi256_pd(_mm256_set1_epi64x(INT64_MAX)));
}
// m ? a : b, m all ones or all zeros in each lane.
DSP_WIDE inline Quad selectQuad(Quad m, Quad a, Quad b) {
  return _mm256_or_pd(_mm256_and_pd(m, a), _mm256_andnot_pd(m, b));
}
DSP_WIDE inline bool anyQuad(Quad m) {
  return _mm256_movemask_pd(m) != 0;
}

// Eight doubles side by side (AVX-512), for the oversampler's kernels. Same rules as the
// four-lane code: DSP_WIDEST functions run only when hasWidestLanes() holds, leave through
// leaveWideLanes(), and do the same operations in the same order as the narrower forms.
#define DSP_WIDEST __attribute__((target("avx512f")))

typedef __m512d Oct;

// Pair a of the narrow form in all four 128-bit parts.
DSP_WIDEST inline Oct fourTimes(Lanes a) {
  const __m512d v = _mm512_castpd128_pd512(a);
  // The masked form: GCC 12's unmasked one warns inside its own header.
  return _mm512_maskz_shuffle_f64x2(0xff, v, v, 0);
}

// m ? a : b in one instruction, for masks that comparisons made (all ones or all zeros in
// each lane): the same as selectQuad for those.
DSP_WIDE inline Quad blendQuad(Quad m, Quad a, Quad b) {
  return _mm256_blendv_pd(b, a, m);
}

// The eight-lane counterparts of the Quad operations of the same names (masked forms, as
// above).
DSP_WIDEST inline Oct splat8(double a) {
  return _mm512_set1_pd(a);
}
DSP_WIDEST inline Oct maxOct(Oct a, Oct b) {
  return _mm512_maskz_max_pd(0xff, a, b);
}
DSP_WIDEST inline Oct minOct(Oct a, Oct b) {
  return _mm512_maskz_min_pd(0xff, a, b);
}
DSP_WIDEST inline Oct absOct(Oct a) {
  return _mm512_castsi512_pd(
      _mm512_maskz_and_epi64(0xff, _mm512_castpd_si512(a), _mm512_set1_epi64(INT64_MAX)));
}
// Conversion toward zero (values within the int range), and back.
DSP_WIDEST inline __m256i truncOct(Oct a) {
  return _mm512_maskz_cvttpd_epi32(0xff, a);
}
DSP_WIDEST inline Oct toOct(__m256i i) {
  return _mm512_maskz_cvtepi32_pd(0xff, i);
}
// (a, b) as one value.
DSP_WIDEST inline Oct joined8(Quad a, Quad b) {
  return _mm512_maskz_insertf64x4(0xff, _mm512_castpd256_pd512(a), b, 1);
}

}  // namespace Dsp

#else

namespace Dsp {
inline LaneWidth laneWidth() {
  return kNarrowLanes;
}
}  // namespace Dsp

#endif
