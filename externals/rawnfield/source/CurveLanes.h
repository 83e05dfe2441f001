#pragma once

// Curve table reads for two inputs at once: lane by lane exactly what
// LookUp::readAs gives for each input.

#include "../DspLib/Lanes.h"
#include "../DspLib/WideLanes.h"
#include "CurveMath.h"
#include "LookUp.h"

namespace Rawnfield {
namespace CurveLanes {

using Dsp::Lanes;

// The table and the sizes a read needs, held apart from the curve so that
// loops keep them in registers while they write samples.
struct Table {
  Table(const LookUp& lut, const double* table) : T(table), sizeMinusOne(lut.sizeMinusOne) {}
  const double* T;
  double sizeMinusOne;
};

// T holds size entries (at least one) and a copy of the last after them,
// as LookUp::buildWorking leaves its working table.
template <uint32_t Mode>
RN_INLINE Lanes read(const Table& lut, Lanes x) {
  const double* T = lut.T;
  using namespace Dsp;
  const Lanes one = splat(1.0);
  // x >= -1 ? x : -1, with NaN reading entry 0 like the scalar read.
  const Lanes xc = maxLanes(x, splat(-1.0));
  // xc > 1 ? 1 : (xc + 1) / 2; halving by multiplication is exact, as the
  // division is.
  const Lanes p = minLanes((xc + one) * splat(0.5), one);
  const Lanes pos = p * splat(lut.sizeMinusOne);
  // 0 <= pos < 65536: the int and the unsigned short conversions agree.
  int i0, i1;
  const Lanes whole = truncLanes(pos, i0, i1);
  if (Mode == Types::kNoInterpolation) return lanes(T[i0], T[i1]);
  const Lanes f = pos - whole;
  // The scalar read takes entry min(i + 1, size - 1); at i = size - 1 the
  // entry after it holds the same value.
  const Lanes ti = lanes(T[i0], T[i1]);
  const Lanes tj = lanes(T[i0 + 1], T[i1 + 1]);
  if (Mode == Types::kCosineInterpolation) {
    const Lanes w = (one - CurveMath::cosine(f * splat(CurveMath::kPi))) / splat(2.0);
    return (one - w) * ti + w * tj;
  }
  return (one - f) * ti + f * tj;
}

#if defined(DSP_WIDE_LANES)
// T[i] and T[i + 1] for four (eight) indices, one 128-bit load per index:
// far cheaper than single loads, and than gathers on some processors.
DSP_WIDE inline void readPairs(const double* T, const int* i, Dsp::Quad& at, Dsp::Quad& next) {
  // Indices 0 and 2 in a, 1 and 3 in b: unpacking within each half then
  // lines the entries up in index order.
  const Dsp::Quad a = Dsp::joined(_mm_loadu_pd(T + i[0]), _mm_loadu_pd(T + i[2]));
  const Dsp::Quad b = Dsp::joined(_mm_loadu_pd(T + i[1]), _mm_loadu_pd(T + i[3]));
  at = _mm256_unpacklo_pd(a, b);
  next = _mm256_unpackhi_pd(a, b);
}
DSP_WIDEST inline void readPairs(const double* T, const int* i, Dsp::Oct& at, Dsp::Oct& next) {
  using Dsp::joined;
  const Dsp::Oct a = Dsp::joined8(joined(_mm_loadu_pd(T + i[0]), _mm_loadu_pd(T + i[2])),
                                  joined(_mm_loadu_pd(T + i[4]), _mm_loadu_pd(T + i[6])));
  const Dsp::Oct b = Dsp::joined8(joined(_mm_loadu_pd(T + i[1]), _mm_loadu_pd(T + i[3])),
                                  joined(_mm_loadu_pd(T + i[5]), _mm_loadu_pd(T + i[7])));
  // Masked forms: GCC 12's unmasked ones warn inside its own header.
  at = _mm512_maskz_unpacklo_pd(0xff, a, b);
  next = _mm512_maskz_unpackhi_pd(0xff, a, b);
}

// read for four (eight) inputs in two steps, with its operations in the
// same order. locate works out the table positions and stores the indices
// at `at`; readLocated reads the entries there. Loops locate the next
// inputs before they read this one's entries: the indices go through
// memory to the loads, a long wait for one set of inputs alone.
RN_INLINE DSP_WIDE void locate(const Table& lut, Dsp::Quad x, int* at, Dsp::Quad& pos,
                               __m128i& whole) {
  using namespace Dsp;
  const Quad one = splat4(1.0);
  pos = minQuad((maxQuad(x, splat4(-1.0)) + one) * splat4(0.5), one) * splat4(lut.sizeMinusOne);
  whole = _mm256_cvttpd_epi32(pos);
  _mm_store_si128(reinterpret_cast<__m128i*>(at), whole);
}
template <uint32_t Mode>
RN_INLINE DSP_WIDE Dsp::Quad readLocated(const Table& lut, Dsp::Quad pos, __m128i whole,
                                         const int* at) {
  using namespace Dsp;
  Quad ti, tj;
  readPairs(lut.T, at, ti, tj);
  if (Mode == Types::kNoInterpolation) return ti;
  const Quad one = splat4(1.0);
  const Quad f = pos - _mm256_cvtepi32_pd(whole);
  if (Mode == Types::kCosineInterpolation) {
    const Quad w = (one - CurveMath::cosine(f * splat4(CurveMath::kPi))) / splat4(2.0);
    return (one - w) * ti + w * tj;
  }
  return (one - f) * ti + f * tj;
}
RN_INLINE DSP_WIDEST void locate(const Table& lut, Dsp::Oct x, int* at, Dsp::Oct& pos,
                                 __m256i& whole) {
  using namespace Dsp;
  const Oct one = splat8(1.0);
  pos = minOct((maxOct(x, splat8(-1.0)) + one) * splat8(0.5), one) * splat8(lut.sizeMinusOne);
  whole = truncOct(pos);
  _mm256_store_si256(reinterpret_cast<__m256i*>(at), whole);
}
template <uint32_t Mode>
RN_INLINE DSP_WIDEST Dsp::Oct readLocated(const Table& lut, Dsp::Oct pos, __m256i whole,
                                          const int* at) {
  using namespace Dsp;
  Oct ti, tj;
  readPairs(lut.T, at, ti, tj);
  if (Mode == Types::kNoInterpolation) return ti;
  const Oct one = splat8(1.0);
  const Oct f = pos - toOct(whole);
  if (Mode == Types::kCosineInterpolation) {
    const Oct w = (one - CurveMath::cosine(f * splat8(CurveMath::kPi))) / splat8(2.0);
    return (one - w) * ti + w * tj;
  }
  return (one - f) * ti + f * tj;
}

// For k = from, from + 4, ... while k + 4 <= n: x, the four inputs at
// d + k, and their curve values go to put(k, x, shaped), which may write
// d + k..k + 3. Returns where it stopped. forEachEight: the same by eights.
template <uint32_t Mode, class Put>
RN_INLINE DSP_WIDE int forEachFour(const Table& lut, const double* d, int from, int n, Put&& put) {
  using namespace Dsp;
  // Held apart from the caller's table: stores through d could otherwise
  // alias it.
  const Table table = lut;
  if (from + 4 > n) return from;
  // Indices in turn in the two halves of at.
  alignas(16) int at[8];
  Quad x = _mm256_loadu_pd(d + from), pos;
  __m128i whole;
  locate(table, x, at, pos, whole);
  int k = from;
  int now = 0;
  for (; k + 8 <= n; k += 4, now ^= 4) {
    const Quad nextX = _mm256_loadu_pd(d + k + 4);
    Quad nextPos;
    __m128i nextWhole;
    locate(table, nextX, at + (now ^ 4), nextPos, nextWhole);
    // Read back from memory: cheaper than the extractions the compiler
    // would otherwise make of the stored indices.
    asm("" : "+m"(at));
    put(k, x, readLocated<Mode>(table, pos, whole, at + now));
    x = nextX;
    pos = nextPos;
    whole = nextWhole;
  }
  asm("" : "+m"(at));
  put(k, x, readLocated<Mode>(table, pos, whole, at + now));
  return k + 4;
}
template <uint32_t Mode, class Put>
RN_INLINE DSP_WIDEST int forEachEight(const Table& lut, const double* d, int from, int n,
                                      Put&& put) {
  using namespace Dsp;
  const Table table = lut;
  if (from + 8 > n) return from;
  alignas(32) int at[16];
  Oct x = _mm512_loadu_pd(d + from), pos;
  __m256i whole;
  locate(table, x, at, pos, whole);
  int k = from;
  int now = 0;
  for (; k + 16 <= n; k += 8, now ^= 8) {
    const Oct nextX = _mm512_loadu_pd(d + k + 8);
    Oct nextPos;
    __m256i nextWhole;
    locate(table, nextX, at + (now ^ 8), nextPos, nextWhole);
    asm("" : "+m"(at));
    put(k, x, readLocated<Mode>(table, pos, whole, at + now));
    x = nextX;
    pos = nextPos;
    whole = nextWhole;
  }
  asm("" : "+m"(at));
  put(k, x, readLocated<Mode>(table, pos, whole, at + now));
  return k + 8;
}

// shape's samples from..n, four (eight) at a time; returns where it stopped.
template <uint32_t Mode>
DSP_WIDE int shapeWide(const Table& lut, double* d, int from, int n) {
  return forEachFour<Mode>(lut, d, from, n, [d](int k, Dsp::Quad, Dsp::Quad shaped) DSP_WIDE {
    _mm256_storeu_pd(d + k, shaped);
  });
}
template <uint32_t Mode>
DSP_WIDEST int shapeWidest(const Table& lut, double* d, int from, int n) {
  return forEachEight<Mode>(lut, d, from, n, [d](int k, Dsp::Oct, Dsp::Oct shaped) DSP_WIDEST {
    _mm512_storeu_pd(d + k, shaped);
  });
}
#endif

// n samples of one channel in place.
template <uint32_t Mode>
void shape(const LookUp& lut, const double* T, double* d, int n) {
  const Table table(lut, T);
  int k = 0;
#if defined(DSP_WIDE_LANES)
  // Interpolated reads only: plain reads cost too little for the wide
  // loops' setup to pay at the usual block lengths.
  constexpr bool kWide = Mode == Types::kLinearInterpolation || Mode == Types::kCosineInterpolation;
  if (kWide && Dsp::hasWidestLanes()) {
    k = shapeWidest<Mode>(table, d, k, n);
    Dsp::leaveWideLanes();
  } else if (kWide && Dsp::hasWideLanes()) {
    k = shapeWide<Mode>(table, d, k, n);
    Dsp::leaveWideLanes();
  }
#endif
  for (; k + 2 <= n; k += 2) Dsp::storeLanes(d + k, read<Mode>(table, Dsp::loadLanes(d + k)));
  if (k < n) d[k] = lut.readAs<Mode>(T, d[k]);
}

}  // namespace CurveLanes
}  // namespace Rawnfield
