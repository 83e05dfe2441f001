#pragma once

// The few lane operations the units' per-sample loops cannot write with
// plain vector arithmetic, overloaded for each lane type: a double (the
// loops' last, odd sample), two lanes (Dsp::Lanes) and, on x86-64, four
// (Dsp::Quad, AVX2) and eight (Dsp::Oct, AVX-512). A loop written once as a
// template over the lane type calls them and takes + - * / from the
// vectors themselves; each width's entry function (DSP_WIDE or DSP_WIDEST)
// instantiates it.
//
// Every value goes by reference and results through the first argument:
// the templates have no target of their own, and a wide vector passed or
// returned by value there would change the calling convention. The wide
// overloads are small enough to be inlined into the entry functions that
// instantiate the templates.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "../DspLib/Lanes.h"
#include "../DspLib/WideLanes.h"
#include "CurveMath.h"

namespace Rawnfield {
namespace UnitLanes {

using Dsp::LaneMask;
using Dsp::Lanes;

// Samples in one value of V.
template <class V>
constexpr int kCount = static_cast<int>(sizeof(V) / sizeof(double));

// Unaligned loads and stores of kCount<V> consecutive samples.
template <class V>
RN_INLINE void load(V& v, const double* p) {
  std::memcpy(&v, p, sizeof v);
}
template <class V>
RN_INLINE void store(double* p, const V& v) {
  std::memcpy(p, &v, sizeof v);
}

// The mask a comparison of two V gives, one truth value per lane: Mask<V>.
// Looked up by size, as the vector types carry attributes that a template
// argument drops.
template <int Bytes>
struct MaskOfSize;
template <>
struct MaskOfSize<8> {
  typedef bool Type;
};
template <>
struct MaskOfSize<16> {
  typedef LaneMask Type;
};
template <class V>
using Mask = typename MaskOfSize<sizeof(V)>::Type;

// v = a in every lane.
inline void splat(double& v, double a) {
  v = a;
}
inline void splat(Lanes& v, double a) {
  v = Dsp::splat(a);
}

// v = (a, a + 1, a + 2, ...).
inline void ramp(double& v, double a) {
  v = a;
}
inline void ramp(Lanes& v, double a) {
  v = Dsp::lanes(a, a + 1.0);
}

// p[0..kCount<V>) = v converted toward zero (values within the int range).
inline void toInts(int32_t* p, const double& v) {
  p[0] = static_cast<int32_t>(v);
}
inline void toInts(int32_t* p, const Lanes& v) {
  int a, b;
  Dsp::truncLanes(v, a, b);
  p[0] = a;
  p[1] = b;
}

// v = std::trunc(v).
inline void truncate(double& v) {
  v = std::trunc(v);
}
inline void truncate(Lanes& v) {
  v = Dsp::truncateLanes(v);
}

// a = |x|, the sign bit cleared.
inline void magnitude(double& a, const double& x) {
  a = std::fabs(x);
}
inline void magnitude(Lanes& a, const Lanes& x) {
  a = Dsp::absLanes(x);
}

// m = a < b, lane by lane (false for NaN).
inline void lessThan(bool& m, const double& a, const double& b) {
  m = a < b;
}
inline void lessThan(LaneMask& m, const Lanes& a, const Lanes& b) {
  m = Dsp::lessThan(a, b);
}

// m = !a && b, lane by lane.
inline void notAnd(bool& m, bool a, bool b) {
  m = !a && b;
}
inline void notAnd(LaneMask& m, const LaneMask& a, const LaneMask& b) {
  m = Dsp::maskAnd(Dsp::maskNot(a), b);
}

// Whether m holds in any lane.
inline bool anyLane(bool m) {
  return m;
}
inline bool anyLane(const LaneMask& m) {
  return Dsp::anyLane(m);
}

// v = m ? a : b, lane by lane; v may be a or b.
inline void select(double& v, bool m, const double& a, const double& b) {
  v = m ? a : b;
}
inline void select(Lanes& v, const LaneMask& m, const Lanes& a, const Lanes& b) {
  v = Dsp::select(m, a, b);
}

#if defined(DSP_WIDE_LANES)
using Dsp::Oct;
using Dsp::Quad;

// Dsp::Quad and Dsp::Oct without the intrinsics' may_alias attribute, which
// a template argument drops (with a warning): the loops' templates take
// these.
typedef double Four __attribute__((vector_size(32)));
typedef double Eight __attribute__((vector_size(64)));

// Four lanes keep their masks in vector registers, eight in mask registers.
template <>
struct MaskOfSize<32> {
  typedef Quad Type;
};
template <>
struct MaskOfSize<64> {
  typedef __mmask8 Type;
};

DSP_WIDE inline void splat(Quad& v, double a) {
  v = _mm256_set1_pd(a);
}
DSP_WIDEST inline void splat(Oct& v, double a) {
  v = _mm512_set1_pd(a);
}

DSP_WIDE inline void ramp(Quad& v, double a) {
  v = _mm256_setr_pd(a, a + 1.0, a + 2.0, a + 3.0);
}
DSP_WIDEST inline void ramp(Oct& v, double a) {
  v = _mm512_setr_pd(a, a + 1.0, a + 2.0, a + 3.0, a + 4.0, a + 5.0, a + 6.0, a + 7.0);
}

DSP_WIDE inline void toInts(int32_t* p, const Quad& v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_cvttpd_epi32(v));
}
DSP_WIDEST inline void toInts(int32_t* p, const Oct& v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), Dsp::truncOct(v));
}

// One instruction each: for anything a product can give (no signalling
// NaN) the same as std::trunc, signed zeros, infinities and NaN included.
DSP_WIDE inline void truncate(Quad& v) {
  v = _mm256_round_pd(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
}
DSP_WIDEST inline void truncate(Oct& v) {
  // The masked form: GCC 12's unmasked one warns inside its own header.
  v = _mm512_maskz_roundscale_pd(0xff, v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
}

DSP_WIDE inline void magnitude(Quad& a, const Quad& x) {
  a = Dsp::absQuad(x);
}
DSP_WIDEST inline void magnitude(Oct& a, const Oct& x) {
  a = Dsp::absOct(x);
}

DSP_WIDE inline void lessThan(Quad& m, const Quad& a, const Quad& b) {
  m = _mm256_cmp_pd(a, b, _CMP_LT_OQ);
}
DSP_WIDEST inline void lessThan(__mmask8& m, const Oct& a, const Oct& b) {
  m = _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ);
}

DSP_WIDE inline void notAnd(Quad& m, const Quad& a, const Quad& b) {
  m = _mm256_andnot_pd(a, b);
}
inline void notAnd(__mmask8& m, __mmask8 a, __mmask8 b) {
  m = static_cast<__mmask8>(~a & b);
}

DSP_WIDE inline bool anyLane(const Quad& m) {
  return _mm256_movemask_pd(m) != 0;
}
inline bool anyLane(__mmask8 m) {
  return m != 0;
}

DSP_WIDE inline void select(Quad& v, const Quad& m, const Quad& a, const Quad& b) {
  v = Dsp::blendQuad(m, a, b);
}
DSP_WIDEST inline void select(Oct& v, __mmask8 m, const Oct& a, const Oct& b) {
  v = _mm512_mask_blend_pd(m, b, a);
}
#endif

}  // namespace UnitLanes
}  // namespace Rawnfield
