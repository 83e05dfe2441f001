#include "Oversampler.h"

#include <cmath>
#include <cstring>

#include "../DspLib/Lanes.h"
#include "../DspLib/WideLanes.h"
#include "UnitMath.h"

#if defined(__GNUC__)
#define HB_UNROLL _Pragma("GCC unroll 8")
#define HB_INLINE inline __attribute__((always_inline))
#else
#define HB_UNROLL
#define HB_INLINE inline
#endif

namespace Rawnfield {

using UnitMath::flushTiny;
using namespace Dsp;

namespace {

constexpr int kOrder = KIT_BesselFilterCoeffs::kOrder;
constexpr int kSteps = Oversampler::kFactor;
static_assert(kOrder == 8 && kSteps == 8, "the fast form is written for eight steps of order 8");

// Signals up to this size take the fast form: far from overflow in any sum
// of it, so non-finite values can only come from non-finite inputs.
constexpr double kTameLimit = 1e100;
// flushTiny's limit: smaller magnitudes leave the history as 0.
constexpr double kTiny = 0x1p-54;

bool tame(const double* x, int n) {
  for (int i = 0; i < n; ++i)
    if (!(std::fabs(x[i]) <= kTameLimit)) return false;
  return true;
}

// What flushTiny does to finite values.
HB_INLINE Lanes flushLanes(Lanes y) {
  return keepWhere(greaterEqual(absLanes(y), splat(kTiny)), y);
}

// Whether every input so far was tame (the fast form's results then stand).
struct TameCheck {
  HB_INLINE void add(Lanes x) { soFar = maskAnd(soFar, lessEqual(absLanes(x), splat(kTameLimit))); }
  bool passed() const { return allLanes(soFar); }
  LaneMask soFar = splatMask(-1);
};

// The eight input pairs of frame f.
HB_INLINE void readFrame(const double* il, const double* ir, int f, Lanes* x, TameCheck& tame) {
  HB_UNROLL
  for (int i = 0; i < 8; ++i) {
    x[i] = lanes(il[f * 8 + i], ir[f * 8 + i]);
    tame.add(x[i]);
  }
}

// The fast form carries the history as its newest value and its backward
// differences up to this order (the rest as differences of that order).
// The direct history of a low-pass signal at eight times its rate is
// nearly constant, and the eight-step matrix on it mixes large terms of
// both signs; on the differences its entries stay small and the fast form
// keeps to the step-by-step result within its own rounding.
constexpr int kDifferenceOrder = 4;

template <class T>
HB_INLINE void toDifferences(const T* h, T* z) {
  T t[kOrder];
  HB_UNROLL
  for (int i = 0; i < kOrder; ++i) t[i] = h[i];
  z[0] = t[0];
  HB_UNROLL
  for (int o = 1; o <= kDifferenceOrder; ++o) {
    HB_UNROLL
    for (int i = 0; i < kOrder - o; ++i) t[i] = t[i] - t[i + 1];
    z[o] = t[0];
  }
  HB_UNROLL
  for (int j = kDifferenceOrder + 1; j < kOrder; ++j) z[j] = t[j - kDifferenceOrder];
}

// The history that toDifferences turns into z.
template <class T>
void fromDifferences(const T* z, T* h) {
  T t[kOrder];
  t[0] = z[kDifferenceOrder];
  for (int i = 1; i <= kOrder - 1 - kDifferenceOrder; ++i) t[i] = z[kDifferenceOrder + i];
  for (int o = kDifferenceOrder - 1; o >= 0; --o) {
    // Row o from its first entry and row o + 1: t_o[i + 1] = t_o[i] - t_{o+1}[i].
    T next[kOrder];
    next[0] = z[o];
    for (int i = 0; i < kOrder - 1 - o; ++i) next[i + 1] = next[i] - t[i];
    for (int i = 0; i < kOrder - o; ++i) t[i] = next[i];
  }
  for (int i = 0; i < kOrder; ++i) h[i] = t[i];
}

// One filter pair's histories (left, right) as the kernels take them up and
// leave them: the newest eight values, newest first, and the one before.
struct Histories {
  void read(Lanes* h, Lanes& oldest) const {
    for (int j = 0; j < kOrder; ++j) h[j] = lanes(l[j], r[j]);
    oldest = lanes(l[kOrder], r[kOrder]);
  }
  // The history, its differences and the one before.
  void start(Lanes* h, Lanes* z, Lanes& oldest) const {
    read(h, oldest);
    toDifferences(h, z);
  }
  void write(const Lanes* h, Lanes oldest) const {
    for (int j = 0; j < kOrder; ++j) {
      l[j] = lane0(h[j]);
      r[j] = lane1(h[j]);
    }
    l[kOrder] = lane0(oldest);
    r[kOrder] = lane1(oldest);
  }
  double* l;
  double* r;
};

// The fast form's matrices as the oversampler keeps them.
struct Matrices {
  const double (*history)[kOrder][2];
  const double (*impulse)[2];
};

// The matrices read in place, a pair of equal values at a time.
struct BlockForm {
  BlockForm(const double (*history)[kOrder][2], const double (*impulse)[2])
      : h(history), g(impulse) {}
  HB_INLINE Lanes fromImpulse(int k) const { return loadLanes(g[k]); }
  // The history's part of output k from its differences z: a balanced
  // sum, so that no output waits on a long chain of additions.
  HB_INLINE Lanes fromHistory(int k, const Lanes* z) const {
    const Lanes a = (loadLanes(h[0][k]) * z[0] + loadLanes(h[1][k]) * z[1]) +
                    (loadLanes(h[2][k]) * z[2] + loadLanes(h[3][k]) * z[3]);
    const Lanes b = (loadLanes(h[4][k]) * z[4] + loadLanes(h[5][k]) * z[5]) +
                    (loadLanes(h[6][k]) * z[6] + loadLanes(h[7][k]) * z[7]);
    return a + b;
  }
  const double (*h)[kOrder][2];
  const double (*g)[2];
};

bool upKernel(const Matrices& m, const Histories& histories, const double* il, const double* ir,
              double* ul, double* ur, int n) {
  const BlockForm form(m.history, m.impulse);
  Lanes s[kOrder], z[kOrder], oldest;
  histories.start(s, z, oldest);
  const Lanes gain = splat(static_cast<double>(kSteps));
  TameCheck tame;
  for (int i = 0; i < n; ++i) {
    const Lanes x = lanes(il[i], ir[i]);
    tame.add(x);
    Lanes y[kSteps];
    HB_UNROLL
    for (int k = 0; k < kSteps; ++k)
      y[k] = flushLanes(form.fromHistory(k, z) + form.fromImpulse(k) * x);
    oldest = s[0];
    HB_UNROLL
    for (int k = 0; k < kSteps; ++k) {
      // A flushed output times eight is exact and never tiny.
      const Lanes u = gain * y[k];
      ul[i * kSteps + k] = lane0(u);
      ur[i * kSteps + k] = lane1(u);
      s[kOrder - 1 - k] = y[k];
    }
    toDifferences(s, z);
  }
  if (!tame.passed()) return false;
  histories.write(s, oldest);
  return true;
}

int downKernel(const Matrices& m, const Histories& histories, const double* il, const double* ir,
               double* dl, double* dr, int n, int kept, double outputGain) {
  const BlockForm form(m.history, m.impulse);
  Lanes s[kOrder], z[kOrder], oldest;
  histories.start(s, z, oldest);
  const Lanes gain = splat(outputGain);
  TameCheck tame;
  const int frames = n / kSteps;
  for (int f = 0; f < frames; ++f) {
    Lanes x[kSteps];
    readFrame(il, ir, f, x, tame);
    Lanes y[kSteps];
    HB_UNROLL
    for (int k = 0; k < kSteps; ++k) {
      Lanes fromInput = form.fromImpulse(0) * x[k];
      HB_UNROLL
      for (int i = k - 1; i >= 0; --i) fromInput = fromInput + form.fromImpulse(k - i) * x[i];
      y[k] = flushLanes(form.fromHistory(k, z) + fromInput);
    }
    if (f < kept) {
      const Lanes d = y[0] * gain;
      dl[f] = lane0(d);
      dr[f] = lane1(d);
    }
    oldest = s[0];
    HB_UNROLL
    for (int k = 0; k < kSteps; ++k) s[kOrder - 1 - k] = y[k];
    toDifferences(s, z);
  }
  if (!tame.passed()) return 0;
  histories.write(s, oldest);
  return frames * kSteps;
}

// On x86-64 the kernels also come in a form for 256-bit registers (two of
// the eight outputs at once), used where the processor has AVX2.
#if defined(DSP_WIDE_LANES)

#define HB_WIDE DSP_WIDE

HB_WIDE HB_INLINE Quad flushQuad(Quad y) {
  return _mm256_and_pd(y, _mm256_cmp_pd(absQuad(y), splat4(kTiny), _CMP_GE_OQ));
}

// Outputs 2p and 2p + 1 side by side, with the operations of BlockForm in
// the same order.
struct WideForm {
  HB_WIDE explicit WideForm(const Matrices& m) {
    for (int p = 0; p < kSteps / 2; ++p) {
      for (int j = 0; j < kOrder; ++j)
        h[p][j] = _mm256_loadu_pd(m.history[j][2 * p]);
      g[p] = _mm256_loadu_pd(m.impulse[2 * p]);
      lag[2 * p] = twice(loadLanes(m.impulse[2 * p]));
      lag[2 * p + 1] = twice(loadLanes(m.impulse[2 * p + 1]));
    }
  }
  HB_WIDE HB_INLINE Quad fromHistory(int p, const Quad* z) const {
    const Quad a = (h[p][0] * z[0] + h[p][1] * z[1]) + (h[p][2] * z[2] + h[p][3] * z[3]);
    const Quad b = (h[p][4] * z[4] + h[p][5] * z[5]) + (h[p][6] * z[6] + h[p][7] * z[7]);
    return a + b;
  }
  Quad h[kSteps / 2][kOrder];
  Quad g[kSteps / 2];  // impulse response at outputs 2p, 2p + 1
  Quad lag[kSteps];    // impulse response at one lag, in all four lanes
};

// The history's differences, each in both halves.
HB_WIDE HB_INLINE void widen(const Lanes* z, Quad* wide) {
  HB_UNROLL
  for (int j = 0; j < kOrder; ++j) wide[j] = twice(z[j]);
}

// The eight new outputs, in pairs, become the history, newest first; the
// one before them and the differences follow.
HB_WIDE HB_INLINE void advance(const Quad* y, Lanes* s, Lanes& oldest, Lanes* z, Quad* zz) {
  oldest = s[0];
  HB_UNROLL
  for (int p = 0; p < kSteps / 2; ++p) {
    s[kOrder - 1 - 2 * p] = lowHalf(y[p]);
    s[kOrder - 2 - 2 * p] = highHalf(y[p]);
  }
  toDifferences(s, z);
  widen(z, zz);
}

HB_WIDE bool upKernelWide(const Matrices& m, const Histories& histories, const double* il,
                          const double* ir, double* ul, double* ur, int n) {
  const WideForm form(m);
  Lanes s[kOrder], z[kOrder], oldest;
  histories.start(s, z, oldest);
  Quad zz[kOrder];
  widen(z, zz);
  const Quad gain = _mm256_set1_pd(static_cast<double>(kSteps));
  TameCheck tame;
  for (int i = 0; i < n; ++i) {
    const Lanes x = lanes(il[i], ir[i]);
    tame.add(x);
    const Quad xx = twice(x);
    Quad y[kSteps / 2];
    HB_UNROLL
    for (int p = 0; p < kSteps / 2; ++p) y[p] = flushQuad(form.fromHistory(p, zz) + form.g[p] * xx);
    // Left and right rows of the eight outputs, times eight.
    HB_UNROLL
    for (int p = 0; p < kSteps / 2; p += 2) {
      const Quad a = y[p] * gain;
      const Quad b = y[p + 1] * gain;
      _mm256_storeu_pd(ul + i * kSteps + 2 * p,
                       _mm256_permute4x64_pd(_mm256_unpacklo_pd(a, b), 0xd8));
      _mm256_storeu_pd(ur + i * kSteps + 2 * p,
                       _mm256_permute4x64_pd(_mm256_unpackhi_pd(a, b), 0xd8));
    }
    advance(y, s, oldest, z, zz);
  }
  if (!tame.passed()) return false;
  histories.write(s, oldest);
  return true;
}

HB_WIDE int downKernelWide(const Matrices& m, const Histories& histories, const double* il,
                           const double* ir, double* dl, double* dr, int n, int kept,
                           double outputGain) {
  const WideForm form(m);
  Lanes s[kOrder], z[kOrder], oldest;
  histories.start(s, z, oldest);
  Quad zz[kOrder];
  widen(z, zz);
  const Lanes gain = splat(outputGain);
  // Adding -0 leaves every value as it is: the lower output of a pair has
  // one input term fewer than the upper one.
  const Quad none = _mm256_set1_pd(-0.0);
  TameCheck tame;
  const int frames = n / kSteps;
  for (int f = 0; f < frames; ++f) {
    Lanes x[kSteps];
    readFrame(il, ir, f, x, tame);
    // pairs[q + 1] holds inputs q and q + 1 (input -1 stands in as input 0).
    Quad pairs[kSteps];
    pairs[0] = joined(x[0], x[0]);
    HB_UNROLL
    for (int q = 0; q + 1 < kSteps; ++q) pairs[q + 1] = joined(x[q], x[q + 1]);
    Quad y[kSteps / 2];
    HB_UNROLL
    for (int p = 0; p < kSteps / 2; ++p) {
      // Outputs 2p and 2p + 1 from their inputs, lag 0 first.
      Quad fromInput = form.lag[0] * pairs[2 * p + 1];
      HB_UNROLL
      for (int lag = 1; lag <= 2 * p; ++lag)
        fromInput = fromInput + form.lag[lag] * pairs[2 * p + 1 - lag];
      fromInput = fromInput + _mm256_blend_pd(form.lag[2 * p + 1] * pairs[0], none, 0x3);
      y[p] = flushQuad(form.fromHistory(p, zz) + fromInput);
    }
    if (f < kept) {
      const Lanes d = lowHalf(y[0]) * gain;
      dl[f] = lane0(d);
      dr[f] = lane1(d);
    }
    advance(y, s, oldest, z, zz);
  }
  if (!tame.passed()) return 0;
  histories.write(s, oldest);
  return frames * kSteps;
}

// And for 512-bit registers (four of the eight outputs at once, both
// channels), used where the processor has AVX-512: the operations of
// WideForm lane by lane, in the same order.
#define HB_WIDEST DSP_WIDEST

// GCC 12's unmasked forms of these (and its casts to narrower registers) warn inside its own
// header; the masked forms with every lane chosen are the same instructions.
HB_WIDEST HB_INLINE __m512i alignPairs(__m512i high, __m512i low, int shift) {
  switch (shift) {
    case 2:
      return _mm512_maskz_alignr_epi64(0xff, high, low, 2);
    case 4:
      return _mm512_maskz_alignr_epi64(0xff, high, low, 4);
    default:
      return _mm512_maskz_alignr_epi64(0xff, high, low, 6);
  }
}
HB_WIDEST HB_INLINE __m256d lowerHalf(Oct y) {
  return _mm512_maskz_extractf64x4_pd(0xff, y, 0);
}

// Outputs 4q ... 4q + 3 side by side, each for left and right.
struct WidestForm {
  HB_WIDEST explicit WidestForm(const Matrices& m) {
    for (int q = 0; q < kSteps / 4; ++q) {
      for (int j = 0; j < kOrder; ++j)
        h[q][j] = _mm512_loadu_pd(m.history[j][4 * q]);
      g[q] = _mm512_loadu_pd(m.impulse[4 * q]);
    }
    for (int k = 0; k < kSteps; ++k) lag[k] = _mm512_set1_pd(m.impulse[k][0]);
  }
  HB_WIDEST HB_INLINE Oct fromHistory(int q, const Oct* z) const {
    const Oct a = (h[q][0] * z[0] + h[q][1] * z[1]) + (h[q][2] * z[2] + h[q][3] * z[3]);
    const Oct b = (h[q][4] * z[4] + h[q][5] * z[5]) + (h[q][6] * z[6] + h[q][7] * z[7]);
    return a + b;
  }
  Oct h[kSteps / 4][kOrder];
  Oct g[kSteps / 4];  // impulse response at outputs 4q ... 4q + 3
  Oct lag[kSteps];    // impulse response at one lag, in every lane
};

// Pair p of each 128-bit part of y in all four of them.
HB_WIDEST HB_INLINE Oct spreadPair(Oct y, int p) {
  switch (p) {
    case 0:
      return _mm512_maskz_shuffle_f64x2(0xff, y, y, 0x00);
    case 1:
      return _mm512_maskz_shuffle_f64x2(0xff, y, y, 0x55);
    case 2:
      return _mm512_maskz_shuffle_f64x2(0xff, y, y, 0xaa);
    default:
      return _mm512_maskz_shuffle_f64x2(0xff, y, y, 0xff);
  }
}

HB_WIDEST HB_INLINE void widenAll(const Lanes* z, Oct* wide) {
  HB_UNROLL
  for (int j = 0; j < kOrder; ++j) wide[j] = fourTimes(z[j]);
}

// The eight new outputs become the history, newest first, and its
// differences, each spread over all four pairs. Here the differences are
// taken on the spread values at full width (the same subtractions in every
// pair): the new outputs reach the next step through one shuffle instead
// of two. The down-sampling kernel, with more shuffles of its own, runs
// faster so.
HB_WIDEST HB_INLINE void advanceAll(const Oct* y, Lanes* s, Lanes& oldest, Oct* zz) {
  oldest = s[0];
  Oct t[kOrder];
  HB_UNROLL
  for (int k = 0; k < kSteps; ++k) t[kOrder - 1 - k] = spreadPair(y[k / 4], k % 4);
  HB_UNROLL
  for (int i = 0; i < kOrder; ++i) s[i] = _mm256_castpd256_pd128(lowerHalf(t[i]));
  toDifferences(t, zz);
}

// Pair p of y.
HB_WIDEST HB_INLINE __m128d pairOf(Oct y, int p) {
  switch (p) {
    case 0:
      return _mm256_castpd256_pd128(lowerHalf(y));
    case 1:
      return _mm_castps_pd(_mm512_maskz_extractf32x4_ps(0xf, _mm512_castpd_ps(y), 1));
    case 2:
      return _mm_castps_pd(_mm512_maskz_extractf32x4_ps(0xf, _mm512_castpd_ps(y), 2));
    default:
      return _mm_castps_pd(_mm512_maskz_extractf32x4_ps(0xf, _mm512_castpd_ps(y), 3));
  }
}
// advanceAll with the differences taken on single pairs, then spread: a
// 128-bit subtraction takes half the time of a 512-bit one where the
// processor splits the wide ones, which the up-sampling kernel, short of
// other work, gains from.
HB_WIDEST HB_INLINE void advanceNarrow(const Oct* y, Lanes* s, Lanes& oldest, Oct* zz) {
  oldest = s[0];
  HB_UNROLL
  for (int k = 0; k < kSteps; ++k) s[kOrder - 1 - k] = pairOf(y[k / 4], k % 4);
  Lanes z[kOrder];
  toDifferences(s, z);
  widenAll(z, zz);
}

// flushLanes on the outputs, taken only where one of them is tiny: the
// test is off the chain from one step to the next, which then runs on the
// unflushed values (the same ones whenever none is tiny).
HB_WIDEST HB_INLINE void flushBoth(Oct* y) {
  const Oct tiny = _mm512_set1_pd(kTiny);
  const __mmask8 keep0 = _mm512_cmp_pd_mask(_mm512_abs_pd(y[0]), tiny, _CMP_GE_OQ);
  const __mmask8 keep1 = _mm512_cmp_pd_mask(_mm512_abs_pd(y[1]), tiny, _CMP_GE_OQ);
  if (__builtin_expect((keep0 & keep1) != 0xff, 0)) {
    y[0] = _mm512_maskz_mov_pd(keep0, y[0]);
    y[1] = _mm512_maskz_mov_pd(keep1, y[1]);
  }
}

HB_WIDEST bool upKernelWidest(const Matrices& m, const Histories& histories, const double* il,
                              const double* ir, double* ul, double* ur, int n) {
  const WidestForm form(m);
  Lanes s[kOrder], z[kOrder], oldest;
  histories.start(s, z, oldest);
  Oct zz[kOrder];
  widenAll(z, zz);
  const Oct gain = _mm512_set1_pd(static_cast<double>(kSteps));
  const __m512i leftRow = _mm512_setr_epi64(0, 2, 4, 6, 8, 10, 12, 14);
  const __m512i rightRow = _mm512_setr_epi64(1, 3, 5, 7, 9, 11, 13, 15);
  TameCheck tame;
  for (int i = 0; i < n; ++i) {
    const Lanes x = lanes(il[i], ir[i]);
    tame.add(x);
    const Oct xx = fourTimes(x);
    Oct y[kSteps / 4];
    HB_UNROLL
    for (int q = 0; q < kSteps / 4; ++q) y[q] = form.fromHistory(q, zz) + form.g[q] * xx;
    flushBoth(y);
    const Oct a = y[0] * gain;
    const Oct b = y[1] * gain;
    _mm512_storeu_pd(ul + i * kSteps, _mm512_permutex2var_pd(a, leftRow, b));
    _mm512_storeu_pd(ur + i * kSteps, _mm512_permutex2var_pd(a, rightRow, b));
    advanceNarrow(y, s, oldest, zz);
  }
  if (!tame.passed()) return false;
  histories.write(s, oldest);
  return true;
}

HB_WIDEST int downKernelWidest(const Matrices& m, const Histories& histories, const double* il,
                               const double* ir, double* dl, double* dr, int n, int kept,
                               double outputGain) {
  const WidestForm form(m);
  Lanes s[kOrder], z[kOrder], oldest;
  histories.start(s, z, oldest);
  Oct zz[kOrder];
  widenAll(z, zz);
  const Lanes gain = splat(outputGain);
  const __m512i firstFour = _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11);
  const __m512i lastFour = _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15);
  const __m512d limit = _mm512_set1_pd(kTameLimit);
  __mmask8 tameSoFar = 0xff;
  const int frames = n / kSteps;
  for (int f = 0; f < frames; ++f) {
    const Oct left = _mm512_loadu_pd(il + f * kSteps);
    const Oct right = _mm512_loadu_pd(ir + f * kSteps);
    tameSoFar &= _mm512_cmp_pd_mask(_mm512_abs_pd(left), limit, _CMP_LE_OQ) &
                 _mm512_cmp_pd_mask(_mm512_abs_pd(right), limit, _CMP_LE_OQ);
    // Input pairs 0-3 and 4-7, then every run of four pairs from pair
    // m = -3 ... 4 (the pairs before 0 are masked off where used).
    const Oct x0 = _mm512_permutex2var_pd(left, firstFour, right);
    const Oct x1 = _mm512_permutex2var_pd(left, lastFour, right);
    const __m512i i0 = _mm512_castpd_si512(x0);
    const __m512i i1 = _mm512_castpd_si512(x1);
    Oct runs[8];  // runs[m + 3]
    runs[0] = _mm512_castsi512_pd(alignPairs(i0, i0, 2));
    runs[1] = _mm512_castsi512_pd(alignPairs(i0, i0, 4));
    runs[2] = _mm512_castsi512_pd(alignPairs(i0, i0, 6));
    runs[3] = x0;
    runs[4] = _mm512_castsi512_pd(alignPairs(i1, i0, 2));
    runs[5] = _mm512_castsi512_pd(alignPairs(i1, i0, 4));
    runs[6] = _mm512_castsi512_pd(alignPairs(i1, i0, 6));
    runs[7] = x1;
    Oct y[kSteps / 4];
    HB_UNROLL
    for (int q = 0; q < kSteps / 4; ++q) {
      // Outputs 4q ... 4q + 3 from their inputs, lag 0 first; a lag beyond
      // an output's own input leaves that output as it is.
      Oct fromInput = form.lag[0] * runs[4 * q + 3];
      HB_UNROLL
      for (int lag = 1; lag <= 4 * q; ++lag)
        fromInput = fromInput + form.lag[lag] * runs[4 * q + 3 - lag];
      HB_UNROLL
      for (int extra = 1; extra <= 3; ++extra) {
        const int lag = 4 * q + extra;
        const __mmask8 valid = static_cast<__mmask8>(0xff << (2 * extra));
        fromInput =
            _mm512_mask_add_pd(fromInput, valid, fromInput, form.lag[lag] * runs[4 * q + 3 - lag]);
      }
      y[q] = form.fromHistory(q, zz) + fromInput;
    }
    flushBoth(y);
    if (f < kept) {
      const Lanes d = _mm256_castpd256_pd128(lowerHalf(y[0])) * gain;
      dl[f] = lane0(d);
      dr[f] = lane1(d);
    }
    advanceAll(y, s, oldest, zz);
  }
  if (tameSoFar != 0xff) return 0;
  histories.write(s, oldest);
  return frames * kSteps;
}

#endif

}  // namespace

Oversampler::Oversampler() {
  // Usable even before the owner's reset: a designed filter, clear histories.
  reset();
}

void Oversampler::setBlockSize(int n) {
  blockSize = n;
  upLeft.grow(n * factor);
  upRight.grow(n * factor);
  downLeft.grow(n);
  downRight.grow(n);
  up[0] = upLeft.data;
  up[1] = upRight.data;
  down[0] = downLeft.data;
  down[1] = downRight.data;
}

void Oversampler::reset() {
  coefficients = KIT_BesselFilterCoeffs::Calc(0.5 / factor);
  std::memset(states, 0, sizeof states);
}

double Oversampler::filter(double* h, double x) const {
  const double* c = coefficients.c;
  double y = c[0] * x + c[1] * h[0] + c[2] * h[1] + c[3] * h[2] + c[4] * h[3] + c[5] * h[4] +
             c[6] * h[5] + c[7] * h[6] + c[8] * h[7];
  y = flushTiny(y);
  for (int k = kHistory - 1; k > 0; --k) h[k] = h[k - 1];
  h[0] = y;
  return y;
}

bool Oversampler::blockFormFits() {
  if (factor != kFactor) return false;
  const double* c = coefficients.c;
  if (blockDesigned && std::memcmp(blockDesignedFor, c, sizeof blockDesignedFor) == 0) return true;
  for (int k = 0; k <= kOrder; ++k)
    if (!std::isfinite(c[k])) return false;
  // Run the recurrence from the history of each unit difference vector
  // and from a unit impulse, in extended precision where there is one.
  for (int j = 0; j <= kOrder; ++j) {
    long double z[kOrder] = {};
    if (j < kOrder) z[j] = 1.0L;
    long double h[kOrder];
    fromDifferences(z, h);
    for (int k = 0; k < kSteps; ++k) {
      long double y = j == kOrder && k == 0 ? static_cast<long double>(c[0]) : 0.0L;
      for (int t = 0; t < kOrder; ++t) y += static_cast<long double>(c[t + 1]) * h[t];
      for (int t = kOrder - 1; t > 0; --t) h[t] = h[t - 1];
      h[0] = y;
      double* to = j < kOrder ? blockHistory[j][k] : blockImpulse[k];
      to[0] = to[1] = static_cast<double>(y);
    }
  }
  std::memcpy(blockDesignedFor, c, sizeof blockDesignedFor);
  blockDesigned = true;
  return true;
}

bool Oversampler::upsampleBlocks(double** in, int n) {
  const Matrices m{blockHistory, blockImpulse};
  const Histories h{states[kUpLeft], states[kUpRight]};
#if defined(DSP_WIDE_LANES)
  if (hasWidestLanes()) {
    const bool done = upKernelWidest(m, h, in[0], in[1], up[0], up[1], n);
    leaveWideLanes();
    return done;
  }
  if (hasWideLanes()) {
    const bool done = upKernelWide(m, h, in[0], in[1], up[0], up[1], n);
    leaveWideLanes();
    return done;
  }
#endif
  return upKernel(m, h, in[0], in[1], up[0], up[1], n);
}

int Oversampler::downsampleBlocks(double** in, int n, int kept) {
  const Matrices m{blockHistory, blockImpulse};
  const Histories h{states[kDownLeft], states[kDownRight]};
#if defined(DSP_WIDE_LANES)
  if (hasWidestLanes()) {
    const int done = downKernelWidest(m, h, in[0], in[1], down[0], down[1], n, kept, outputGain);
    leaveWideLanes();
    return done;
  }
  if (hasWideLanes()) {
    const int done = downKernelWide(m, h, in[0], in[1], down[0], down[1], n, kept, outputGain);
    leaveWideLanes();
    return done;
  }
#endif
  return downKernel(m, h, in[0], in[1], down[0], down[1], n, kept, outputGain);
}

bool Oversampler::fastHistories(int left, int right) {
  return blockFormFits() && tame(states[left], kOrder) && tame(states[right], kOrder);
}

void Oversampler::upsample(double** in, double**, int n) {
  if (n < 1 || factor < 1 || !in || !in[0] || !in[1]) return;
  const int frames = upCapacity() / factor;
  if (n > frames) n = frames;
  if (fastHistories(kUpLeft, kUpRight) && upsampleBlocks(in, n)) return;
  const double gain = static_cast<double>(factor);
  for (int i = 0; i < n; ++i) {
    for (int k = 0; k < factor; ++k) {
      const int at = i * factor + k;
      const double xl = k == 0 ? in[0][i] : 0.0;
      const double xr = k == 0 ? in[1][i] : 0.0;
      up[0][at] = flushTiny(gain * filter(states[kUpLeft], xl));
      up[1][at] = flushTiny(gain * filter(states[kUpRight], xr));
    }
  }
}

void Oversampler::downsample(double** in, double**, int n) {
  if (n < 1 || factor < 1 || !in || !in[0] || !in[1]) return;
  const int kept = downCapacity();
  const int j0 = fastHistories(kDownLeft, kDownRight) ? downsampleBlocks(in, n, kept) : 0;
  for (int j = j0; j < n; ++j) {
    const double yl = filter(states[kDownLeft], in[0][j]);
    const double yr = filter(states[kDownRight], in[1][j]);
    if (j % factor != 0) continue;
    const int at = j / factor;
    if (at >= kept) continue;
    down[0][at] = yl * outputGain;
    down[1][at] = yr * outputGain;
  }
}

void Oversampler::copyDown(double** io, int n) const {
  std::memcpy(io[0], down[0], sizeof(double) * n);
  std::memcpy(io[1], down[1], sizeof(double) * n);
}

}  // namespace Rawnfield
