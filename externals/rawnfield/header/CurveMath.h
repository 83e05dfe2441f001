#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "../DspLib/WideLanes.h"

#if defined(__GNUC__)
#define RN_INLINE inline __attribute__((always_inline))
#else
#define RN_INLINE inline
#endif

// Small value rules shared by everything that stores distortion curves.
namespace Rawnfield {
namespace CurveMath {

constexpr double kPi = 3.141592653589793;
// Multiples of pi as the curve formulas write them out (not computed, so the
// curves stay bit-exact).
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kFourPi = 12.566370614359172;
constexpr double kEightPi = 25.132741228718345;

// Limits v to [-1, 1]; NaN passes through (callers sanitise first).
inline double clampUnit(double v) {
  return v < -1.0 ? -1.0 : (v > 1.0 ? 1.0 : v);
}

// NaN and infinities become 0, everything else is kept.
inline double finiteOrZero(double v) {
  return std::isfinite(v) ? v : 0.0;
}

// Limits v to [0, 1]; NaN becomes 0 so it can safely pick an index.
inline double clampPosition(double v) {
  if (!(v >= 0.0)) return 0.0;
  return v > 1.0 ? 1.0 : v;
}

// The straight line from -1 to +1 over n points: entry i = i * (2/(n-1)) - 1.
// A single point holds -1 (there is no step to take).
inline void fillRamp(double* d, int n) {
  const double step = n > 1 ? 2.0 / (n - 1) : 0.0;
  for (int i = 0; i < n; ++i) d[i] = static_cast<double>(i) * step + (-1.0);
}

// Copies n values with NaN and infinities made 0, then clamped to [-1, 1]:
// how whole curves enter a table.
inline void loadClamped(double* dst, const double* src, int n) {
  for (int i = 0; i < n; ++i) dst[i] = clampUnit(finiteOrZero(src[i]));
}

// sin and cos for the per-sample paths, without a library call, and the
// same bits from every lane width: each lane goes through the same plain
// multiplies, adds and bit operations. Within one unit in the last place
// for |x| <= 9pi/4 (the curve code asks for [-pi, pi], the shaper at worst
// for [0, 2pi]); further out the reduction loses up to about ulp(x), and
// beyond 2^50 the results are worthless. NaN and infinities give NaN;
// sine(-0) is +0. Arguments below about 2^-255 in magnitude (r^4 then
// underflows) go through subnormal intermediates, and take their time: the
// curve reads' and the shaper's are never that small, a drive-sine sample
// only if it came so.
//
// x is reduced to r in [-pi/4, pi/4] by the nearest multiple n of pi/2,
// taken as n kHalfPi + n kHalfPiLow. For |n| <= 4 the product n kHalfPi is
// exact (kHalfPi ends in three zero bits) and so is x - n kHalfPi (the two
// lie within a factor of two of each other); r keeps the rounding of the
// low part's subtraction in a second double, which the polynomials take
// in. n's last two bits pick the polynomial (sin or cos of r) and the sign.
// The coefficients come from tools/fit_sine.py.
namespace Trig {

constexpr double kHalfPiLow = 0x1.1a62633145c07p-54;  // pi/2 - kHalfPi
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
// Adding 1.5 * 2^52 rounds a magnitude below 2^51 to a whole number, which
// the sum then holds in its lowest bits.
constexpr double kRound = 0x1.8p52;

// sin r = r + r^3 (s1 + s2 r^2 + ...)
constexpr double kSine[6] = {-0x1.5555555555548p-3, 0x1.111111110f7d0p-7,   -0x1.a01a019bfdef2p-13,
                             0x1.71de3567d39c6p-19, -0x1.ae5e5a91d1c27p-26, 0x1.5d8fd1c3b83edp-33};
// cos r = 1 - r^2/2 + r^4 (c1 + c2 r^2 + ...)
constexpr double kCosine[6] = {0x1.555555555554bp-5,  -0x1.6c16c16c14f91p-10,
                               0x1.a01a019c844e7p-16, -0x1.27e4f7eac4102p-22,
                               0x1.1ee9d7b46befap-29, -0x1.8fa499c8c907fp-37};

// The evaluation for any lane type V (double, or a GCC vector of doubles)
// with Bits its unsigned 64-bit counterpart. Values go by reference: a
// vector passed by value to a function built for narrower registers than
// the vector would change the calling convention, and these are inlined
// into the wide functions that call them.

// r + rLow = x - n pi/2, and q holds n in its lowest bits.
template <class V>
RN_INLINE void reduce(const V& x, V& q, V& r, V& rLow) {
  q = x * kTwoOverPi + kRound;
  const V n = q - kRound;
  const V t = x - n * kHalfPi;
  const V low = n * kHalfPiLow;
  r = t - low;
  rLow = (t - r) - low;
}

// sin(r + rLow + n pi/2) with n in the lowest bits of q, for |r| <= pi/4
// and |rLow| within half an ulp of r.
template <class Bits, class V>
RN_INLINE void quadrant(V& out, const V& r, const V& rLow, const V& q) {
  const V z = r * r;
  V ps = z * kSine[5] + kSine[4];
  ps = ps * z + kSine[3];
  ps = ps * z + kSine[2];
  ps = ps * z + kSine[1];
  ps = ps * z + kSine[0];
  // rLow stands for rLow cos r: what that leaves out stays below 0.15 of
  // the result's last place.
  const V s = r + (rLow + (r * z) * ps);
  V pc = z * kCosine[5] + kCosine[4];
  pc = pc * z + kCosine[3];
  pc = pc * z + kCosine[2];
  pc = pc * z + kCosine[1];
  pc = pc * z + kCosine[0];
  // 1 - z/2 with the rounding of that difference put back, and -r rLow
  // for rLow's share.
  const V h = z * 0.5;
  const V w = 1.0 - h;
  const V c = w + (((1.0 - w) - h) + ((z * z) * pc - r * rLow));
  Bits qb, sb, cb;
  std::memcpy(&qb, &q, sizeof qb);
  std::memcpy(&sb, &s, sizeof sb);
  std::memcpy(&cb, &c, sizeof cb);
  // n odd: the cosine; bit 1 of n: the sign turned.
  const Bits odd = -(qb & 1u);
  const Bits bits = ((cb & odd) | (sb & ~odd)) ^ ((qb & 2u) << 62);
  std::memcpy(&out, &bits, sizeof out);
}

template <class Bits, class V>
RN_INLINE void sine(V& x) {
  V q, r, rLow;
  reduce(x, q, r, rLow);
  quadrant<Bits>(x, r, rLow, q);
}

// cos x = sin(x + pi/2): one quadrant on.
template <class Bits, class V>
RN_INLINE void cosine(V& x) {
  V q, r, rLow;
  reduce(x, q, r, rLow);
  const V next = q + 1.0;
  quadrant<Bits>(x, r, rLow, next);
}

}  // namespace Trig

inline double sine(double x) {
  Trig::sine<uint64_t>(x);
  return x;
}
inline double cosine(double x) {
  Trig::cosine<uint64_t>(x);
  return x;
}

#if (defined(__GNUC__) || defined(__clang__)) && !defined(DSP_PLAIN_LANES)
namespace Trig {
typedef uint64_t Bits2 __attribute__((vector_size(16)));
}  // namespace Trig
RN_INLINE Dsp::Lanes sine(Dsp::Lanes x) {
  Trig::sine<Trig::Bits2>(x);
  return x;
}
RN_INLINE Dsp::Lanes cosine(Dsp::Lanes x) {
  Trig::cosine<Trig::Bits2>(x);
  return x;
}
#else
inline Dsp::Lanes sine(Dsp::Lanes x) {
  return Dsp::lanes(sine(Dsp::lane0(x)), sine(Dsp::lane1(x)));
}
inline Dsp::Lanes cosine(Dsp::Lanes x) {
  return Dsp::lanes(cosine(Dsp::lane0(x)), cosine(Dsp::lane1(x)));
}
#endif

#if defined(DSP_WIDE_LANES)
namespace Trig {
typedef uint64_t Bits4 __attribute__((vector_size(32)));
typedef uint64_t Bits8 __attribute__((vector_size(64)));
}  // namespace Trig
RN_INLINE DSP_WIDE Dsp::Quad sine(Dsp::Quad x) {
  Trig::sine<Trig::Bits4>(x);
  return x;
}
RN_INLINE DSP_WIDE Dsp::Quad cosine(Dsp::Quad x) {
  Trig::cosine<Trig::Bits4>(x);
  return x;
}
RN_INLINE DSP_WIDEST Dsp::Oct sine(Dsp::Oct x) {
  Trig::sine<Trig::Bits8>(x);
  return x;
}
RN_INLINE DSP_WIDEST Dsp::Oct cosine(Dsp::Oct x) {
  Trig::cosine<Trig::Bits8>(x);
  return x;
}
#endif

}  // namespace CurveMath
}  // namespace Rawnfield
