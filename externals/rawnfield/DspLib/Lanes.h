#pragma once

// Two doubles processed side by side, normally the left and the right channel of one stereo
// frame. Every operation works lane by lane with plain IEEE double arithmetic, so a lane gives
// bit for bit what the same scalar expression gives: two channels cost one instruction stream
// instead of two without changing a result.
//
// With GCC or Clang the pair is a vector of the target (SSE2 on x86-64, NEON on 64-bit ARM);
// any other compiler, or DSP_PLAIN_LANES, gets a plain two-element struct with the same
// operations.

#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && !defined(DSP_PLAIN_LANES)
#include <emmintrin.h>
#define DSP_SSE2_LANES 1
#endif

// Fully unrolls the short fixed loops of lane code, so that their arrays live in registers.
#if defined(__GNUC__)
#define DSP_UNROLL _Pragma("GCC unroll 8")
#else
#define DSP_UNROLL
#endif

namespace Dsp {

#if (defined(__GNUC__) || defined(__clang__)) && !defined(DSP_PLAIN_LANES)

typedef double Lanes __attribute__((vector_size(16)));
// All bits set in a lane where a comparison holds, clear where it fails.
typedef int64_t LaneMask __attribute__((vector_size(16)));

inline Lanes lanes(double a, double b) {
  const Lanes v = {a, b};
  return v;
}
inline Lanes splat(double a) {
  return lanes(a, a);
}
inline double lane0(Lanes v) {
  return v[0];
}
inline double lane1(Lanes v) {
  return v[1];
}
inline LaneMask splatMask(int64_t bits) {
  const LaneMask m = {bits, bits};
  return m;
}
inline LaneMask asMask(Lanes v) {
  return reinterpret_cast<LaneMask>(v);
}
inline Lanes asLanes(LaneMask m) {
  return reinterpret_cast<Lanes>(m);
}
#if defined(DSP_SSE2_LANES)
// Through the instructions themselves: the compiler's own vector comparisons are typed as
// truth values, and it lowers their negation lane by lane through integer registers.
inline LaneMask maskOf(__m128d m) {
  return reinterpret_cast<LaneMask>(m);
}
inline __m128d bitsOf(LaneMask m) {
  return reinterpret_cast<__m128d>(m);
}
inline LaneMask lessThan(Lanes a, Lanes b) {
  return maskOf(_mm_cmplt_pd(a, b));
}
inline LaneMask lessEqual(Lanes a, Lanes b) {
  return maskOf(_mm_cmple_pd(a, b));
}
inline LaneMask greaterEqual(Lanes a, Lanes b) {
  return maskOf(_mm_cmpge_pd(a, b));
}
inline LaneMask greaterThan(Lanes a, Lanes b) {
  return maskOf(_mm_cmpgt_pd(a, b));
}
inline LaneMask maskAnd(LaneMask a, LaneMask b) {
  return maskOf(_mm_and_pd(bitsOf(a), bitsOf(b)));
}
inline LaneMask maskOr(LaneMask a, LaneMask b) {
  return maskOf(_mm_or_pd(bitsOf(a), bitsOf(b)));
}
inline LaneMask maskNot(LaneMask a) {
  return maskOf(_mm_xor_pd(bitsOf(a), _mm_castsi128_pd(_mm_set1_epi32(-1))));
}
#else
inline LaneMask lessThan(Lanes a, Lanes b) {
  return a < b;
}
inline LaneMask lessEqual(Lanes a, Lanes b) {
  return a <= b;
}
inline LaneMask greaterEqual(Lanes a, Lanes b) {
  return a >= b;
}
inline LaneMask greaterThan(Lanes a, Lanes b) {
  return a > b;
}
inline LaneMask maskAnd(LaneMask a, LaneMask b) {
  return a & b;
}
inline LaneMask maskOr(LaneMask a, LaneMask b) {
  return a | b;
}
inline LaneMask maskNot(LaneMask a) {
  return ~a;
}
#endif
#if defined(DSP_SSE2_LANES)
inline bool anyLane(LaneMask m) {
  return _mm_movemask_pd(reinterpret_cast<__m128d>(m)) != 0;
}
inline bool allLanes(LaneMask m) {
  return _mm_movemask_pd(reinterpret_cast<__m128d>(m)) == 3;
}
inline Lanes maxLanes(Lanes a, Lanes b) {
  return _mm_max_pd(a, b);
}
inline Lanes minLanes(Lanes a, Lanes b) {
  return _mm_min_pd(a, b);
}
inline Lanes truncLanes(Lanes v, int& a, int& b) {
  const __m128i i = _mm_cvttpd_epi32(v);
  a = _mm_cvtsi128_si32(i);
  b = _mm_cvtsi128_si32(_mm_shuffle_epi32(i, 1));
  return _mm_cvtepi32_pd(i);
}
#else
inline bool anyLane(LaneMask m) {
  return (m[0] | m[1]) != 0;
}
inline bool allLanes(LaneMask m) {
  return (m[0] & m[1]) != 0;
}
inline Lanes maxLanes(Lanes a, Lanes b) {
  return lanes(a[0] > b[0] ? a[0] : b[0], a[1] > b[1] ? a[1] : b[1]);
}
inline Lanes minLanes(Lanes a, Lanes b) {
  return lanes(a[0] < b[0] ? a[0] : b[0], a[1] < b[1] ? a[1] : b[1]);
}
inline Lanes truncLanes(Lanes v, int& a, int& b) {
  a = static_cast<int>(v[0]);
  b = static_cast<int>(v[1]);
  return lanes(a, b);
}
#endif

#else

struct Lanes {
  double v[2];
  double operator[](int i) const { return v[i]; }
};
struct LaneMask {
  int64_t m[2];
};

inline Lanes lanes(double a, double b) {
  Lanes r;
  r.v[0] = a;
  r.v[1] = b;
  return r;
}
inline Lanes splat(double a) {
  return lanes(a, a);
}
inline double lane0(Lanes v) {
  return v.v[0];
}
inline double lane1(Lanes v) {
  return v.v[1];
}
inline Lanes operator+(Lanes a, Lanes b) {
  return lanes(a.v[0] + b.v[0], a.v[1] + b.v[1]);
}
inline Lanes operator-(Lanes a, Lanes b) {
  return lanes(a.v[0] - b.v[0], a.v[1] - b.v[1]);
}
inline Lanes operator*(Lanes a, Lanes b) {
  return lanes(a.v[0] * b.v[0], a.v[1] * b.v[1]);
}
inline Lanes operator/(Lanes a, Lanes b) {
  return lanes(a.v[0] / b.v[0], a.v[1] / b.v[1]);
}
inline Lanes operator-(Lanes a) {
  return lanes(-a.v[0], -a.v[1]);
}
inline LaneMask asMask(Lanes v) {
  LaneMask m;
  std::memcpy(m.m, v.v, sizeof m.m);
  return m;
}
inline Lanes asLanes(LaneMask m) {
  Lanes v;
  std::memcpy(v.v, m.m, sizeof v.v);
  return v;
}
inline LaneMask splatMask(int64_t bits) {
  LaneMask m;
  m.m[0] = m.m[1] = bits;
  return m;
}
inline LaneMask maskOf(bool a, bool b) {
  LaneMask m;
  m.m[0] = a ? -1 : 0;
  m.m[1] = b ? -1 : 0;
  return m;
}
inline LaneMask lessThan(Lanes a, Lanes b) {
  return maskOf(a.v[0] < b.v[0], a.v[1] < b.v[1]);
}
inline LaneMask lessEqual(Lanes a, Lanes b) {
  return maskOf(a.v[0] <= b.v[0], a.v[1] <= b.v[1]);
}
inline LaneMask greaterEqual(Lanes a, Lanes b) {
  return maskOf(a.v[0] >= b.v[0], a.v[1] >= b.v[1]);
}
inline LaneMask greaterThan(Lanes a, Lanes b) {
  return maskOf(a.v[0] > b.v[0], a.v[1] > b.v[1]);
}
inline LaneMask maskAnd(LaneMask a, LaneMask b) {
  LaneMask r;
  r.m[0] = a.m[0] & b.m[0];
  r.m[1] = a.m[1] & b.m[1];
  return r;
}
inline LaneMask maskOr(LaneMask a, LaneMask b) {
  LaneMask r;
  r.m[0] = a.m[0] | b.m[0];
  r.m[1] = a.m[1] | b.m[1];
  return r;
}
inline LaneMask maskNot(LaneMask a) {
  LaneMask r;
  r.m[0] = ~a.m[0];
  r.m[1] = ~a.m[1];
  return r;
}
inline bool anyLane(LaneMask m) {
  return (m.m[0] | m.m[1]) != 0;
}
inline bool allLanes(LaneMask m) {
  return (m.m[0] & m.m[1]) != 0;
}
inline Lanes maxLanes(Lanes a, Lanes b) {
  return lanes(a.v[0] > b.v[0] ? a.v[0] : b.v[0], a.v[1] > b.v[1] ? a.v[1] : b.v[1]);
}
inline Lanes minLanes(Lanes a, Lanes b) {
  return lanes(a.v[0] < b.v[0] ? a.v[0] : b.v[0], a.v[1] < b.v[1] ? a.v[1] : b.v[1]);
}
inline Lanes truncLanes(Lanes v, int& a, int& b) {
  a = static_cast<int>(v.v[0]);
  b = static_cast<int>(v.v[1]);
  return lanes(a, b);
}

#endif

// maxLanes(a, b) is a > b ? a : b and minLanes(a, b) is a < b ? a : b, lane by lane: b
// wherever either is NaN. truncLanes converts toward zero (values within the int range) and
// returns the results as doubles too.

// m ? a : b, lane by lane.
#if defined(DSP_SSE2_LANES)
inline Lanes select(LaneMask m, Lanes a, Lanes b) {
  return _mm_or_pd(_mm_and_pd(bitsOf(m), a), _mm_andnot_pd(bitsOf(m), b));
}
#else
inline Lanes select(LaneMask m, Lanes a, Lanes b) {
  return asLanes(maskOr(maskAnd(m, asMask(a)), maskAnd(maskNot(m), asMask(b))));
}
#endif

// a with the lanes where m is clear set to +0.
inline Lanes keepWhere(LaneMask m, Lanes a) {
  return asLanes(maskAnd(m, asMask(a)));
}

// |a|, the sign bit cleared.
inline Lanes absLanes(Lanes a) {
  return asLanes(maskAnd(asMask(a), splatMask(INT64_MAX)));
}

// std::trunc lane by lane: below 2^52 the magnitude is rounded to an integer by adding and
// taking away 2^52 (both exact there), one less where that rounded up, and the sign put back;
// from 2^52 on (and for NaN and infinities) a value is its own truncation.
inline Lanes truncateLanes(Lanes v) {
  const Lanes a = absLanes(v);
  const Lanes big = splat(0x1p52);
  Lanes r = (a + big) - big;
  r = r - keepWhere(greaterThan(r, a), splat(1.0));
  r = asLanes(maskOr(asMask(r), maskAnd(asMask(v), splatMask(INT64_MIN))));
  return select(lessThan(a, big), r, v);
}

// Unaligned loads and stores of two consecutive doubles.
inline Lanes loadLanes(const double* p) {
  Lanes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void storeLanes(double* p, Lanes v) {
  std::memcpy(p, &v, sizeof v);
}

}  // namespace Dsp
