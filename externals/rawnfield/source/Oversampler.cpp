#include "Oversampler.h"

#include <cmath>
#include <cstdint>
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
  // Without an early way out, so that the loop runs in vector registers.
  int all = 1;
  for (int i = 0; i < n; ++i) all &= std::fabs(x[i]) <= kTameLimit;
  return all != 0;
}

// What flushTiny does to finite values.
HB_INLINE Lanes flushLanes(Lanes y) {
  return keepWhere(greaterEqual(absLanes(y), splat(kTiny)), y);
}

// Inputs this small enter the base-rate filter as 0, so that its products
// never reach the subnormal range; the eightfold path's flushed histories
// lose them as well.
constexpr double kLinearTiny = 0x1p-60;

HB_INLINE double dropTiny(double x) {
  return std::fabs(x) < kLinearTiny ? 0.0 : x;
}

// The remembered inputs, then n new ones with the tiny ones as 0, into x;
// false where a new one was not tame.
bool takeInputs(const double* remembered, const double* in, double* x, int n) {
  std::memcpy(x, remembered, sizeof(double) * Oversampler::kLinearTaps);
  double* to = x + Oversampler::kLinearTaps;
  LaneMask all = splatMask(-1);
  int i = 0;
  for (; i + 2 <= n; i += 2) {
    const Lanes v = loadLanes(in + i);
    const Lanes a = absLanes(v);
    all = maskAnd(all, lessEqual(a, splat(kTameLimit)));
    // Where the input is not tame, what is stored does not matter.
    storeLanes(to + i, keepWhere(greaterEqual(a, splat(kLinearTiny)), v));
  }
  bool tameSoFar = allLanes(all);
  for (; i < n; ++i) {
    tameSoFar = tameSoFar && std::fabs(in[i]) <= kTameLimit;
    to[i] = dropTiny(in[i]);
  }
  return tameSoFar;
}

constexpr int kTaps = Oversampler::kLinearTaps;

// Output m of the base-rate filter, x holding the remembered inputs before
// the block's: the taps from the oldest input's on, flushed, scaled.
HB_INLINE double linearOutput(const double* taps, const double* x, int m, double gain) {
  double v = taps[kTaps - 1] * x[m + 1];
  for (int j = kTaps - 2; j >= 0; --j) v = v + taps[j] * x[kTaps + m - j];
  return flushTiny(v) * gain;
}

// linearOutput for outputs m and m + 1.
HB_INLINE Lanes linearOutputs(const double* taps, const double* x, int m, Lanes gain) {
  Lanes v = splat(taps[kTaps - 1]) * loadLanes(x + m + 1);
  HB_UNROLL
  for (int j = kTaps - 2; j >= 0; --j) v = v + splat(taps[j]) * loadLanes(x + kTaps + m - j);
  return flushLanes(v) * gain;
}

void linearKernel(const double* taps, const double* x, double* y, int from, int n, double gain) {
  int m = from;
  const Lanes g = splat(gain);
  for (; m + 2 <= n; m += 2) storeLanes(y + m, linearOutputs(taps, x, m, g));
  for (; m < n; ++m) y[m] = linearOutput(taps, x, m, gain);
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
// keeps to the step-by-step result within its own rounding. Differences of
// the first order already do (higher orders measured no closer), and each
// order more costs a row of subtractions on the chain from one group to
// the next.
constexpr int kDifferenceOrder = 1;

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
  const double (*history)[Oversampler::kGroupSteps][2];
  const double (*impulse)[2];
};

// The matrices read in place, a pair of equal values at a time.
struct BlockForm {
  BlockForm(const double (*history)[Oversampler::kGroupSteps][2], const double (*impulse)[2])
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
  const double (*h)[Oversampler::kGroupSteps][2];
  const double (*g)[2];
};

// The fast form takes frames in groups: every output of a group comes from
// the history at the group's start and the group's inputs, so only one
// step per group waits on the group before. Up-sampling groups four frames
// (an input at every eighth step), down-sampling two (an input at every
// step, whose terms grow with the group). Every register width groups the
// same frames and does the same operations on each output.
constexpr int kUpGroup = 4;
constexpr int kDownGroup = 2;
static_assert(kUpGroup * kSteps <= Oversampler::kGroupSteps &&
                  kDownGroup * kSteps <= Oversampler::kGroupSteps,
              "the matrices reach over a whole group");

// Output k of an up-sampling group: its history's part, then the part of
// each frame's input from the first on.
HB_INLINE Lanes upOutput(const BlockForm& form, const Lanes* z, const Lanes* x, int k) {
  Lanes y = form.fromHistory(k, z);
  for (int f = 0; f <= k / kSteps; ++f) y = y + form.fromImpulse(k - kSteps * f) * x[f];
  return flushLanes(y);
}

// Output k of a down-sampling group from inputs x[0] ... x[k]: the inputs'
// part, newest first, added to the history's part.
HB_INLINE Lanes downOutput(const BlockForm& form, const Lanes* z, const Lanes* x, int k) {
  Lanes fromInput = form.fromImpulse(0) * x[k];
  for (int i = k - 1; i >= 0; --i) fromInput = fromInput + form.fromImpulse(k - i) * x[i];
  return flushLanes(form.fromHistory(k, z) + fromInput);
}

// The last eight outputs of a group (y, oldest first) become the history.
HB_INLINE void takeHistory(const Lanes* y, Lanes* s, Lanes* z) {
  HB_UNROLL
  for (int k = 0; k < kSteps; ++k) s[kOrder - 1 - k] = y[k];
  toDifferences(s, z);
}

bool upKernel(const Matrices& m, const Histories& histories, const double* il, const double* ir,
              double* ul, double* ur, int n) {
  const BlockForm form(m.history, m.impulse);
  Lanes s[kOrder], z[kOrder], oldest;
  histories.start(s, z, oldest);
  const Lanes gain = splat(static_cast<double>(kSteps));
  TameCheck tame;
  for (int i = 0; i < n;) {
    const int frames = n - i >= kUpGroup ? kUpGroup : 1;
    Lanes x[kUpGroup];
    for (int f = 0; f < frames; ++f) {
      x[f] = lanes(il[i + f], ir[i + f]);
      tame.add(x[f]);
    }
    Lanes y[kUpGroup * kSteps];
    const int steps = frames * kSteps;
    for (int k = 0; k < steps; ++k) {
      y[k] = upOutput(form, z, x, k);
      // A flushed output times eight is exact and never tiny.
      const Lanes u = gain * y[k];
      ul[i * kSteps + k] = lane0(u);
      ur[i * kSteps + k] = lane1(u);
    }
    oldest = steps > kSteps ? y[steps - kSteps - 1] : s[0];
    takeHistory(y + steps - kSteps, s, z);
    i += frames;
  }
  if (!tame.passed()) return false;
  histories.write(s, oldest);
  return true;
}

// Frames left over from whole groups of down-sampling go first, so that a
// run of frames always ends with a group.
HB_INLINE int downSingles(int frames) {
  return frames % kDownGroup;
}

// The output before a down-sampling group's last eight, which the kernels
// do not compute: from the group's first history (z) and inputs.
HB_INLINE Lanes downOldest(const BlockForm& form, const Lanes* z, const double* il,
                           const double* ir) {
  Lanes x[kDownGroup * kSteps];
  TameCheck unused;
  for (int f = 0; f < kDownGroup; ++f) readFrame(il, ir, f, x + f * kSteps, unused);
  return downOutput(form, z, x, kDownGroup * kSteps - kSteps - 1);
}

int downKernel(const Matrices& m, const Histories& histories, const double* il, const double* ir,
               double* dl, double* dr, int n, int kept, double outputGain) {
  const BlockForm form(m.history, m.impulse);
  Lanes s[kOrder], z[kOrder], oldest;
  histories.start(s, z, oldest);
  const Lanes gain = splat(outputGain);
  TameCheck tame;
  const int frames = n / kSteps;
  Lanes first[kOrder];  // the last group's first history
  for (int j = 0; j < kOrder; ++j) first[j] = z[j];
  for (int f = 0; f < frames;) {
    const int group = f < downSingles(frames) ? 1 : kDownGroup;
    Lanes x[kDownGroup * kSteps];
    for (int g = 0; g < group; ++g) readFrame(il, ir, f + g, x + g * kSteps, tame);
    for (int g = 0; g < group; ++g)
      if (f + g < kept) {
        const Lanes d = downOutput(form, z, x, g * kSteps) * gain;
        dl[f + g] = lane0(d);
        dr[f + g] = lane1(d);
      }
    Lanes y[kSteps];
    const int last = (group - 1) * kSteps;
    for (int k = 0; k < kSteps; ++k) y[k] = downOutput(form, z, x, last + k);
    if (group > 1)
      for (int j = 0; j < kOrder; ++j) first[j] = z[j];
    else
      oldest = s[0];
    takeHistory(y, s, z);
    f += group;
  }
  if (!tame.passed()) return 0;
  if (frames > downSingles(frames))
    oldest = downOldest(form, first, il + (frames - kDownGroup) * kSteps,
                        ir + (frames - kDownGroup) * kSteps);
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

// linearOutput for outputs m ... m + 3; the outputs a narrower form leaves.
HB_WIDE int linearKernelWide(const double* taps, const double* x, double* y, int n, double gain) {
  const Quad g = splat4(gain);
  int m = 0;
  for (; m + 4 <= n; m += 4) {
    Quad v = splat4(taps[kTaps - 1]) * _mm256_loadu_pd(x + m + 1);
    HB_UNROLL
    for (int j = kTaps - 2; j >= 0; --j)
      v = v + splat4(taps[j]) * _mm256_loadu_pd(x + kTaps + m - j);
    _mm256_storeu_pd(y + m, flushQuad(v) * g);
  }
  return m;
}

// Outputs 2p and 2p + 1 side by side, with the operations of BlockForm in
// the same order.
struct WideForm {
  explicit WideForm(const Matrices& matrices) : m(matrices) {}
  HB_WIDE HB_INLINE Quad h(int p, int j) const { return _mm256_load_pd(m.history[j][2 * p]); }
  HB_WIDE HB_INLINE Quad fromHistory(int p, const Quad* z) const {
    const Quad a = (h(p, 0) * z[0] + h(p, 1) * z[1]) + (h(p, 2) * z[2] + h(p, 3) * z[3]);
    const Quad b = (h(p, 4) * z[4] + h(p, 5) * z[5]) + (h(p, 6) * z[6] + h(p, 7) * z[7]);
    return a + b;
  }
  // The impulse response at outputs 2p, 2p + 1.
  HB_WIDE HB_INLINE Quad g(int p) const { return _mm256_load_pd(m.impulse[2 * p]); }
  // The impulse response at one lag, in all four lanes.
  HB_WIDE HB_INLINE Quad lag(int k) const { return _mm256_broadcast_sd(&m.impulse[k][0]); }
  const Matrices& m;
};

// The history's differences, each in both halves.
HB_WIDE HB_INLINE void widen(const Lanes* z, Quad* wide) {
  HB_UNROLL
  for (int j = 0; j < kOrder; ++j) wide[j] = twice(z[j]);
}

// The last eight outputs of a group, in pairs, become the history, newest
// first, and its differences follow.
HB_WIDE HB_INLINE void advance(const Quad* y, Lanes* s, Lanes* z, Quad* zz) {
  HB_UNROLL
  for (int p = 0; p < kSteps / 2; ++p) {
    s[kOrder - 1 - 2 * p] = lowHalf(y[p]);
    s[kOrder - 2 - 2 * p] = highHalf(y[p]);
  }
  toDifferences(s, z);
  widen(z, zz);
}

// Left and right rows of the eight outputs of a frame (y, in pairs), times
// eight.
HB_WIDE HB_INLINE void storeFrame(const Quad* y, Quad gain, double* ul, double* ur) {
  HB_UNROLL
  for (int r = 0; r < kSteps / 4; ++r) {
    const Quad a = y[2 * r] * gain;
    const Quad b = y[2 * r + 1] * gain;
    _mm256_storeu_pd(ul + 4 * r, _mm256_permute4x64_pd(_mm256_unpacklo_pd(a, b), 0xd8));
    _mm256_storeu_pd(ur + 4 * r, _mm256_permute4x64_pd(_mm256_unpackhi_pd(a, b), 0xd8));
  }
}

// The first output of y, decimated and scaled, where frame f fits.
HB_WIDE HB_INLINE void keepFirst(Quad y, Lanes gain, int f, int kept, double* dl, double* dr) {
  if (f >= kept) return;
  const Lanes d = lowHalf(y) * gain;
  dl[f] = lane0(d);
  dr[f] = lane1(d);
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
  int i = 0;
  for (; i + kUpGroup <= n; i += kUpGroup) {
    Quad xx[kUpGroup];
    HB_UNROLL
    for (int f = 0; f < kUpGroup; ++f) {
      const Lanes x = lanes(il[i + f], ir[i + f]);
      tame.add(x);
      xx[f] = twice(x);
    }
    Quad y[kUpGroup * kSteps / 2];
    HB_UNROLL
    for (int p = 0; p < kUpGroup * kSteps / 2; ++p) {
      Quad acc = form.fromHistory(p, zz);
      HB_UNROLL
      for (int f = 0; f <= p / (kSteps / 2); ++f) acc = acc + form.g(p - f * kSteps / 2) * xx[f];
      y[p] = flushQuad(acc);
    }
    HB_UNROLL
    for (int f = 0; f < kUpGroup; ++f)
      storeFrame(y + f * kSteps / 2, gain, ul + (i + f) * kSteps, ur + (i + f) * kSteps);
    // The output before the last eight.
    oldest = highHalf(y[(kUpGroup - 1) * kSteps / 2 - 1]);
    advance(y + (kUpGroup - 1) * kSteps / 2, s, z, zz);
  }
  for (; i < n; ++i) {
    const Lanes x = lanes(il[i], ir[i]);
    tame.add(x);
    const Quad xx = twice(x);
    Quad y[kSteps / 2];
    HB_UNROLL
    for (int p = 0; p < kSteps / 2; ++p) y[p] = flushQuad(form.fromHistory(p, zz) + form.g(p) * xx);
    storeFrame(y, gain, ul + i * kSteps, ur + i * kSteps);
    oldest = s[0];
    advance(y, s, z, zz);
  }
  if (!tame.passed()) return false;
  histories.write(s, oldest);
  return true;
}

// Outputs 2p and 2p + 1 of a down-sampling group from their inputs, lag 0
// first; pairs[q + 1] holds inputs q and q + 1 (input -1 stands in as input
// 0, and adding -0 leaves the lower output as it is: it has one input term
// fewer than the upper one).
HB_WIDE HB_INLINE Quad downPair(const WideForm& form, const Quad* zz, const Quad* pairs, int p) {
  const Quad none = _mm256_set1_pd(-0.0);
  Quad fromInput = form.lag(0) * pairs[2 * p + 1];
  HB_UNROLL
  for (int lag = 1; lag <= 2 * p; ++lag)
    fromInput = fromInput + form.lag(lag) * pairs[2 * p + 1 - lag];
  fromInput = fromInput + _mm256_blend_pd(form.lag(2 * p + 1) * pairs[0], none, 0x3);
  return flushQuad(form.fromHistory(p, zz) + fromInput);
}

HB_WIDE int downKernelWide(const Matrices& m, const Histories& histories, const double* il,
                           const double* ir, double* dl, double* dr, int n, int kept,
                           double outputGain) {
  const WideForm form(m);
  const BlockForm narrow(m.history, m.impulse);
  Lanes s[kOrder], z[kOrder], oldest;
  histories.start(s, z, oldest);
  Quad zz[kOrder];
  widen(z, zz);
  const Lanes gain = splat(outputGain);
  TameCheck tame;
  const int frames = n / kSteps;
  int f = 0;
  for (; f < downSingles(frames); ++f) {
    Lanes x[kSteps];
    readFrame(il, ir, f, x, tame);
    Quad pairs[kSteps];
    pairs[0] = joined(x[0], x[0]);
    HB_UNROLL
    for (int q = 0; q + 1 < kSteps; ++q) pairs[q + 1] = joined(x[q], x[q + 1]);
    Quad y[kSteps / 2];
    HB_UNROLL
    for (int p = 0; p < kSteps / 2; ++p) y[p] = downPair(form, zz, pairs, p);
    keepFirst(y[0], gain, f, kept, dl, dr);
    oldest = s[0];
    advance(y, s, z, zz);
  }
  Lanes first[kOrder];  // the last group's first history
  for (int j = 0; j < kOrder; ++j) first[j] = z[j];
  for (; f < frames; f += kDownGroup) {
    constexpr int kInputs = kDownGroup * kSteps;
    Lanes x[kInputs];
    HB_UNROLL
    for (int g = 0; g < kDownGroup; ++g) readFrame(il, ir, f + g, x + g * kSteps, tame);
    Quad pairs[kInputs];
    pairs[0] = joined(x[0], x[0]);
    HB_UNROLL
    for (int q = 0; q + 1 < kInputs; ++q) pairs[q + 1] = joined(x[q], x[q + 1]);
    HB_UNROLL
    for (int g = 0; g + 1 < kDownGroup; ++g)
      keepFirst(downPair(form, zz, pairs, g * kSteps / 2), gain, f + g, kept, dl, dr);
    constexpr int kLast = (kDownGroup - 1) * kSteps / 2;
    Quad y[kSteps / 2];
    HB_UNROLL
    for (int p = 0; p < kSteps / 2; ++p) y[p] = downPair(form, zz, pairs, kLast + p);
    keepFirst(y[0], gain, f + kDownGroup - 1, kept, dl, dr);
    HB_UNROLL
    for (int j = 0; j < kOrder; ++j) first[j] = z[j];
    advance(y, s, z, zz);
  }
  if (!tame.passed()) return 0;
  if (frames > downSingles(frames))
    oldest = downOldest(narrow, first, il + (frames - kDownGroup) * kSteps,
                        ir + (frames - kDownGroup) * kSteps);
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
  explicit WidestForm(const Matrices& matrices) : m(matrices) {}
  HB_WIDEST HB_INLINE Oct h(int q, int j) const { return _mm512_load_pd(m.history[j][4 * q]); }
  HB_WIDEST HB_INLINE Oct fromHistory(int q, const Oct* z) const {
    const Oct a = (h(q, 0) * z[0] + h(q, 1) * z[1]) + (h(q, 2) * z[2] + h(q, 3) * z[3]);
    const Oct b = (h(q, 4) * z[4] + h(q, 5) * z[5]) + (h(q, 6) * z[6] + h(q, 7) * z[7]);
    return a + b;
  }
  // The impulse response at outputs 4q ... 4q + 3.
  HB_WIDEST HB_INLINE Oct g(int q) const { return _mm512_load_pd(m.impulse[4 * q]); }
  // The impulse response at one lag, in every lane.
  HB_WIDEST HB_INLINE Oct lag(int k) const { return _mm512_set1_pd(m.impulse[k][0]); }
  const Matrices& m;
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

HB_WIDEST HB_INLINE Lanes pairOf(Oct y, int p) {
  return _mm256_castpd256_pd128(lowerHalf(spreadPair(y, p)));
}

// A frame's eight outputs as two registers (0 ... 3 and 4 ... 7, each for
// left and right): the history, newest first, is the reverse.
struct Frame {
  Oct older, newer;
};

// The differences of the history a frame's outputs leave, each spread over
// all four pairs. They are taken on the spread values at full width (the
// same subtractions in every pair): a full-width subtraction costs no more
// than a narrow one, and the new outputs reach the next group through one
// shuffle instead of two.
HB_WIDEST HB_INLINE void differencesAll(const Frame& y, Oct* zz) {
  Oct t[kOrder];
  HB_UNROLL
  for (int k = 0; k < 4; ++k) {
    t[kOrder - 1 - k] = spreadPair(y.older, k);
    t[kOrder - 5 - k] = spreadPair(y.newer, k);
  }
  toDifferences(t, zz);
}

// A pair of histories (left, right; newest first) as the frame that ends
// with them, and back; the one before them as a pair.
HB_WIDEST HB_INLINE Frame frameOf(const Histories& h) {
  const Oct left = _mm512_loadu_pd(h.l);
  const Oct right = _mm512_loadu_pd(h.r);
  return Frame{_mm512_permutex2var_pd(left, _mm512_setr_epi64(7, 15, 6, 14, 5, 13, 4, 12), right),
               _mm512_permutex2var_pd(left, _mm512_setr_epi64(3, 11, 2, 10, 1, 9, 0, 8), right)};
}
HB_WIDEST HB_INLINE void writeFrame(const Frame& y, Lanes oldest, const Histories& h) {
  _mm512_storeu_pd(
      h.l, _mm512_permutex2var_pd(y.newer, _mm512_setr_epi64(6, 4, 2, 0, 14, 12, 10, 8), y.older));
  _mm512_storeu_pd(
      h.r, _mm512_permutex2var_pd(y.newer, _mm512_setr_epi64(7, 5, 3, 1, 15, 13, 11, 9), y.older));
  h.l[kOrder] = lane0(oldest);
  h.r[kOrder] = lane1(oldest);
}

// flushLanes on the outputs y[at[0]], y[at[1]] ..., taken only where one of
// them is tiny: the test is off the chain from one group to the next,
// which then runs on the unflushed values (the same ones whenever none is
// tiny).
template <int N>
HB_WIDEST HB_INLINE void flushSome(Oct* y, const int (&at)[N]) {
  const Oct tiny = _mm512_set1_pd(kTiny);
  __mmask8 keep[N];
  __mmask8 all = 0xff;
  HB_UNROLL
  for (int i = 0; i < N; ++i) {
    keep[i] = _mm512_cmp_pd_mask(_mm512_abs_pd(y[at[i]]), tiny, _CMP_GE_OQ);
    all &= keep[i];
  }
  if (__builtin_expect(all != 0xff, 0)) {
    HB_UNROLL
    for (int i = 0; i < N; ++i) y[at[i]] = _mm512_maskz_mov_pd(keep[i], y[at[i]]);
  }
}

// Left and right rows of the eight outputs of a frame, times eight.
HB_WIDEST HB_INLINE void storeFrame(const Oct* y, Oct gain, double* ul, double* ur) {
  const __m512i leftRow = _mm512_setr_epi64(0, 2, 4, 6, 8, 10, 12, 14);
  const __m512i rightRow = _mm512_setr_epi64(1, 3, 5, 7, 9, 11, 13, 15);
  const Oct a = y[0] * gain;
  const Oct b = y[1] * gain;
  _mm512_storeu_pd(ul, _mm512_permutex2var_pd(a, leftRow, b));
  _mm512_storeu_pd(ur, _mm512_permutex2var_pd(a, rightRow, b));
}

// The first output of y, decimated and scaled, where frame f fits.
HB_WIDEST HB_INLINE void keepFirst(Lanes y, Lanes gain, int f, int kept, double* dl, double* dr) {
  if (f >= kept) return;
  const Lanes d = y * gain;
  dl[f] = lane0(d);
  dr[f] = lane1(d);
}

HB_WIDEST bool upKernelWidest(const Matrices& m, const Histories& histories, const double* il,
                              const double* ir, double* ul, double* ur, int n) {
  const WidestForm form(m);
  Frame last = frameOf(histories);
  Lanes oldest = lanes(histories.l[kOrder], histories.r[kOrder]);
  Oct zz[kOrder];
  differencesAll(last, zz);
  const Oct gain = _mm512_set1_pd(static_cast<double>(kSteps));
  TameCheck tame;
  int i = 0;
  for (; i + kUpGroup <= n; i += kUpGroup) {
    Oct xx[kUpGroup];
    HB_UNROLL
    for (int f = 0; f < kUpGroup; ++f) {
      const Lanes x = lanes(il[i + f], ir[i + f]);
      tame.add(x);
      xx[f] = fourTimes(x);
    }
    Oct y[kUpGroup * kSteps / 4];
    HB_UNROLL
    for (int q = 0; q < kUpGroup * kSteps / 4; ++q) {
      Oct acc = form.fromHistory(q, zz);
      HB_UNROLL
      for (int f = 0; f <= q / (kSteps / 4); ++f) acc = acc + form.g(q - f * kSteps / 4) * xx[f];
      y[q] = acc;
    }
    static_assert(kUpGroup == 4, "the flush below names every output");
    flushSome(y, {0, 1, 2, 3, 4, 5, 6, 7});
    HB_UNROLL
    for (int f = 0; f < kUpGroup; ++f)
      storeFrame(y + f * kSteps / 4, gain, ul + (i + f) * kSteps, ur + (i + f) * kSteps);
    // The output before the last eight.
    oldest = pairOf(y[(kUpGroup - 1) * kSteps / 4 - 1], 3);
    last = Frame{y[(kUpGroup - 1) * kSteps / 4], y[(kUpGroup - 1) * kSteps / 4 + 1]};
    differencesAll(last, zz);
  }
  for (; i < n; ++i) {
    const Lanes x = lanes(il[i], ir[i]);
    tame.add(x);
    const Oct xx = fourTimes(x);
    Oct y[kSteps / 4];
    HB_UNROLL
    for (int q = 0; q < kSteps / 4; ++q) y[q] = form.fromHistory(q, zz) + form.g(q) * xx;
    flushSome(y, {0, 1});
    storeFrame(y, gain, ul + i * kSteps, ur + i * kSteps);
    oldest = pairOf(last.newer, 3);
    last = Frame{y[0], y[1]};
    differencesAll(last, zz);
  }
  if (!tame.passed()) return false;
  writeFrame(last, oldest, histories);
  return true;
}

// Outputs 4q ... 4q + 3 of a frame from its inputs, lag 0 first, where
// runs[m + 3] holds input pairs m ... m + 3; a lag beyond an output's own
// input leaves that output as it is.
HB_WIDEST HB_INLINE Oct downQuad(const WidestForm& form, const Oct* zz, const Oct* runs, int q) {
  Oct fromInput = form.lag(0) * runs[4 * q + 3];
  HB_UNROLL
  for (int lag = 1; lag <= 4 * q; ++lag)
    fromInput = fromInput + form.lag(lag) * runs[4 * q + 3 - lag];
  HB_UNROLL
  for (int extra = 1; extra <= 3; ++extra) {
    const int lag = 4 * q + extra;
    const __mmask8 valid = static_cast<__mmask8>(0xff << (2 * extra));
    fromInput =
        _mm512_mask_add_pd(fromInput, valid, fromInput, form.lag(lag) * runs[4 * q + 3 - lag]);
  }
  return form.fromHistory(q, zz) + fromInput;
}

// Input pairs m ... m + 3 for m = -3 ... 4 (runs[m + 3]; the pairs before 0
// are masked off where used) from a frame, and whether every input was tame.
HB_WIDEST HB_INLINE __mmask8 readRuns(const double* il, const double* ir, Oct* runs) {
  const __m512i firstFour = _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11);
  const __m512i lastFour = _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15);
  const __m512d limit = _mm512_set1_pd(kTameLimit);
  const Oct left = _mm512_loadu_pd(il);
  const Oct right = _mm512_loadu_pd(ir);
  const __mmask8 tame = _mm512_cmp_pd_mask(_mm512_abs_pd(left), limit, _CMP_LE_OQ) &
                        _mm512_cmp_pd_mask(_mm512_abs_pd(right), limit, _CMP_LE_OQ);
  const __m512i i0 = _mm512_castpd_si512(_mm512_permutex2var_pd(left, firstFour, right));
  const __m512i i1 = _mm512_castpd_si512(_mm512_permutex2var_pd(left, lastFour, right));
  runs[0] = _mm512_castsi512_pd(alignPairs(i0, i0, 2));
  runs[1] = _mm512_castsi512_pd(alignPairs(i0, i0, 4));
  runs[2] = _mm512_castsi512_pd(alignPairs(i0, i0, 6));
  runs[3] = _mm512_castsi512_pd(i0);
  runs[4] = _mm512_castsi512_pd(alignPairs(i1, i0, 2));
  runs[5] = _mm512_castsi512_pd(alignPairs(i1, i0, 4));
  runs[6] = _mm512_castsi512_pd(alignPairs(i1, i0, 6));
  runs[7] = _mm512_castsi512_pd(i1);
  return tame;
}

// The inputs' part of the last eight outputs of a down-sampling group, one
// channel's eight side by side: input k - lag for output k at each lag,
// read where it lies, lag 0 first; lags beyond an output's own input leave
// it as it is.
HB_WIDEST HB_INLINE Oct lastFromInputs(const WidestForm& form, const double* x) {
  constexpr int kFirst = (kDownGroup - 1) * kSteps;
  Oct sum = form.lag(0) * _mm512_loadu_pd(x + kFirst);
  HB_UNROLL
  for (int lag = 1; lag <= kFirst; ++lag)
    sum = sum + form.lag(lag) * _mm512_loadu_pd(x + kFirst - lag);
  HB_UNROLL
  for (int lag = kFirst + 1; lag < kFirst + kSteps; ++lag) {
    const __mmask8 valid = static_cast<__mmask8>(0xff << (lag - kFirst));
    // The lanes masked off lie before the group's first input, maybe before
    // the array: their address is taken as a number, and a masked load
    // never touches them.
    const auto at = reinterpret_cast<const double*>(reinterpret_cast<uintptr_t>(x) -
                                                    sizeof(double) * (lag - kFirst));
    sum = _mm512_mask_add_pd(sum, valid, sum, form.lag(lag) * _mm512_maskz_loadu_pd(valid, at));
  }
  return sum;
}

HB_WIDEST int downKernelWidest(const Matrices& m, const Histories& histories, const double* il,
                               const double* ir, double* dl, double* dr, int n, int kept,
                               double outputGain) {
  const WidestForm form(m);
  const BlockForm narrow(m.history, m.impulse);
  Frame last = frameOf(histories);
  Lanes oldest = lanes(histories.l[kOrder], histories.r[kOrder]);
  Oct zz[kOrder];
  differencesAll(last, zz);
  const Lanes gain = splat(outputGain);
  const __m512d limit = _mm512_set1_pd(kTameLimit);
  const __m512i firstFour = _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11);
  const __m512i lastFour = _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15);
  __mmask8 tameSoFar = 0xff;
  const int frames = n / kSteps;
  int f = 0;
  for (; f < downSingles(frames); ++f) {
    Oct runs[2 * kSteps];
    tameSoFar &= readRuns(il + f * kSteps, ir + f * kSteps, runs);
    Oct y[kSteps / 4];
    HB_UNROLL
    for (int q = 0; q < kSteps / 4; ++q) y[q] = downQuad(form, zz, runs, q);
    flushSome(y, {0, 1});
    keepFirst(pairOf(y[0], 0), gain, f, kept, dl, dr);
    oldest = pairOf(last.newer, 3);
    last = Frame{y[0], y[1]};
    differencesAll(last, zz);
  }
  static_assert(kDownGroup == 2, "the outputs below are those of two frames");
  Oct first[kOrder];  // the last group's first history
  for (int j = 0; j < kOrder; ++j) first[j] = zz[j];
  for (; f < frames; f += kDownGroup) {
    const double* gl = il + f * kSteps;
    const double* gr = ir + f * kSteps;
    HB_UNROLL
    for (int k = 0; k < kDownGroup * kSteps; k += kSteps)
      tameSoFar &= _mm512_cmp_pd_mask(_mm512_abs_pd(_mm512_loadu_pd(gl + k)), limit, _CMP_LE_OQ) &
                   _mm512_cmp_pd_mask(_mm512_abs_pd(_mm512_loadu_pd(gr + k)), limit, _CMP_LE_OQ);
    // Output 0, kept: its history's part in the first pair of the spread
    // differences, then its input's.
    Lanes z0[kOrder];
    HB_UNROLL
    for (int j = 0; j < kOrder; ++j) z0[j] = _mm256_castpd256_pd128(lowerHalf(zz[j]));
    keepFirst(flushLanes(narrow.fromHistory(0, z0) + narrow.fromImpulse(0) * lanes(gl[0], gr[0])),
              gain, f, kept, dl, dr);
    // Outputs 8 ... 15 from each channel's inputs side by side, then in
    // pairs with the history's part.
    const Oct left = lastFromInputs(form, gl);
    const Oct right = lastFromInputs(form, gr);
    Oct y[2];
    y[0] = form.fromHistory(2, zz) + _mm512_permutex2var_pd(left, firstFour, right);
    y[1] = form.fromHistory(3, zz) + _mm512_permutex2var_pd(left, lastFour, right);
    flushSome(y, {0, 1});
    keepFirst(pairOf(y[0], 0), gain, f + 1, kept, dl, dr);
    HB_UNROLL
    for (int j = 0; j < kOrder; ++j) first[j] = zz[j];
    last = Frame{y[0], y[1]};
    differencesAll(last, zz);
  }
  if (tameSoFar != 0xff) return 0;
  if (frames > downSingles(frames)) {
    Lanes start[kOrder];
    for (int j = 0; j < kOrder; ++j) start[j] = _mm256_castpd256_pd128(lowerHalf(first[j]));
    oldest = downOldest(narrow, start, il + (frames - kDownGroup) * kSteps,
                        ir + (frames - kDownGroup) * kSteps);
  }
  writeFrame(last, oldest, histories);
  return frames * kSteps;
}

// linearOutput for outputs m ... m + 7.
HB_WIDEST int linearKernelWidest(const double* taps, const double* x, double* y, int n,
                                 double gain) {
  const Oct g = _mm512_set1_pd(gain);
  const Oct tiny = _mm512_set1_pd(kTiny);
  const auto finish = [&](double* to, Oct v) HB_WIDEST {
    const __mmask8 keep = _mm512_cmp_pd_mask(_mm512_abs_pd(v), tiny, _CMP_GE_OQ);
    _mm512_storeu_pd(to, _mm512_maskz_mov_pd(keep, v) * g);
  };
  int m = 0;
  // Sixteen outputs at a time: two chains of additions side by side.
  for (; m + 16 <= n; m += 16) {
    Oct t = _mm512_set1_pd(taps[kTaps - 1]);
    Oct v = t * _mm512_loadu_pd(x + m + 1);
    Oct w = t * _mm512_loadu_pd(x + m + 9);
    HB_UNROLL
    for (int j = kTaps - 2; j >= 0; --j) {
      t = _mm512_set1_pd(taps[j]);
      v = v + t * _mm512_loadu_pd(x + kTaps + m - j);
      w = w + t * _mm512_loadu_pd(x + kTaps + m + 8 - j);
    }
    finish(y + m, v);
    finish(y + m + 8, w);
  }
  for (; m + 8 <= n; m += 8) {
    Oct v = _mm512_set1_pd(taps[kTaps - 1]) * _mm512_loadu_pd(x + m + 1);
    HB_UNROLL
    for (int j = kTaps - 2; j >= 0; --j)
      v = v + _mm512_set1_pd(taps[j]) * _mm512_loadu_pd(x + kTaps + m - j);
    finish(y + m, v);
  }
  return m;
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
  linearLeft.grow(n + kLinearTaps);
  linearRight.grow(n + kLinearTaps);
  up[0] = upLeft.data;
  up[1] = upRight.data;
  down[0] = downLeft.data;
  down[1] = downRight.data;
}

void Oversampler::reset() {
  coefficients = KIT_BesselFilterCoeffs::Calc(0.5 / factor);
  std::memset(states, 0, sizeof states);
  // Clear histories are what silence leaves: as good as that many zeros.
  std::memset(recent, 0, sizeof recent);
  linearFrames = kLinearTaps;
  statesBehind = false;
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
    for (int k = 0; k < kGroupSteps; ++k) {
      long double y = j == kOrder && k == 0 ? static_cast<long double>(c[0]) : 0.0L;
      for (int t = 0; t < kOrder; ++t) y += static_cast<long double>(c[t + 1]) * h[t];
      for (int t = kOrder - 1; t > 0; --t) h[t] = h[t - 1];
      h[0] = y;
      double* to = j < kOrder ? blockHistory[j][k] : blockImpulse[k];
      to[0] = to[1] = static_cast<double>(y);
    }
  }
  designLinearForm();
  std::memcpy(blockDesignedFor, c, sizeof blockDesignedFor);
  blockDesigned = true;
  return true;
}

void Oversampler::designLinearForm() {
  // The low-pass's impulse response h and h applied twice, in extended
  // precision where there is one. The up histories before frame m hold
  // h at lags 8j + 7 - s from input m - 1 - j; the down histories, fed
  // eight times the up-sampled signal, the same lags of 8 (h * h); and the
  // decimated output, lags 8j of 8 (h * h) from input m - j.
  constexpr int kLength = kFactor * kLinearTaps;
  const double* c = coefficients.c;
  long double h[kLength] = {}, hh[kLength] = {};
  for (int t = 0; t < kLength; ++t) {
    long double y = t == 0 ? static_cast<long double>(c[0]) : 0.0L;
    for (int k = 1; k <= kOrder && k <= t; ++k) y += static_cast<long double>(c[k]) * h[t - k];
    h[t] = y;
  }
  for (int t = 0; t < kLength; ++t)
    for (int i = 0; i <= t; ++i) hh[t] += h[i] * h[t - i];
  const long double gain = static_cast<long double>(kFactor);
  for (int j = 0; j < kLinearTaps; ++j) {
    linearTaps[j] = static_cast<double>(gain * hh[kFactor * j]);
    for (int s = 0; s < kHistory; ++s) {
      const int lag = kFactor * j + kFactor - 1 - s;
      linearStates[0][s][j] = lag < 0 ? 0.0 : static_cast<double>(h[lag]);
      linearStates[1][s][j] = lag < 0 ? 0.0 : static_cast<double>(gain * hh[lag]);
    }
  }
}

void Oversampler::statesFromRecent(double (*to)[kHistory]) const {
  for (int c = 0; c < 2; ++c)
    for (int d = 0; d < 2; ++d)
      for (int s = 0; s < kHistory; ++s) {
        const double* w = linearStates[d][s];
        // The oldest input's part first, as in the filter's outputs.
        double v = w[kLinearTaps - 1] * recent[c][0];
        for (int j = kLinearTaps - 2; j >= 0; --j) v = v + w[j] * recent[c][kLinearTaps - 1 - j];
        to[2 * d + c][s] = flushTiny(v);
      }
}

bool Oversampler::statesFollowRecent() const {
  // Agreement within the step-by-step recurrence's own rounding: the
  // base-rate filter's outputs then stay as close to the eightfold path's.
  constexpr double kAgreement = 1e-12;
  double from[kNumFilters][kHistory];
  statesFromRecent(from);
  for (int f = 0; f < kNumFilters; ++f)
    for (int s = 0; s < kHistory; ++s) {
      const double a = states[f][s];
      const double scale = std::fabs(a) > 1.0 ? std::fabs(a) : 1.0;
      if (!(std::fabs(a - from[f][s]) <= kAgreement * scale)) return false;
    }
  return true;
}

void Oversampler::remember(double** in, int n) {
  for (int c = 0; c < 2; ++c) {
    double* r = recent[c];
    const int kept = n < kLinearTaps ? kLinearTaps - n : 0;
    std::memmove(r, r + kLinearTaps - kept, sizeof(double) * kept);
    const double* x = in[c] + n - (kLinearTaps - kept);
    for (int i = kept; i < kLinearTaps; ++i) r[i] = dropTiny(x[i - kept]);
  }
}

bool Oversampler::runLinear(double** io, int n) {
  // Both channels' inputs are taken before any output is written: the two
  // may be one buffer.
  double* x[2] = {linearLeft.data, linearRight.data};
  const bool tameLeft = takeInputs(recent[0], io[0], x[0], n);
  if (!(takeInputs(recent[1], io[1], x[1], n) && tameLeft)) return false;
  for (int c = 0; c < 2; ++c) {
    int m = 0;
#if defined(DSP_WIDE_LANES)
    if (hasWidestLanes()) {
      m = linearKernelWidest(linearTaps, x[c], io[c], n, outputGain);
      leaveWideLanes();
    } else if (hasWideLanes()) {
      m = linearKernelWide(linearTaps, x[c], io[c], n, outputGain);
      leaveWideLanes();
    }
#endif
    linearKernel(linearTaps, x[c], io[c], m, n, outputGain);
    std::memcpy(recent[c], x[c] + n, sizeof recent[c]);
  }
  return true;
}

void Oversampler::leaveLinearForm() {
  updateStates();
  linearFrames = 0;
}

void Oversampler::updateStates() {
  if (!statesBehind) return;
  statesFromRecent(states);
  statesBehind = false;
}

void Oversampler::passThrough(double** io, int n) {
  if (n < 1 || factor < 1 || !io || !io[0] || !io[1]) return;
  const auto nothing = [](double**, int) {};
  const int room =
      (linearLeft.capacity < linearRight.capacity ? linearLeft.capacity : linearRight.capacity) -
      kLinearTaps;
  if (room < 1 || !blockFormFits()) {
    run(io, n, nothing);
    return;
  }
  for (int done = 0; done < n;) {
    const int m = n - done < room ? n - done : room;
    double* in[2] = {io[0] + done, io[1] + done};
    done += m;
    if (linearFrames >= kLinearTaps && (statesBehind || statesFollowRecent()) && runLinear(in, m)) {
      statesBehind = true;
      continue;
    }
    updateStates();
    const bool tameInput = tame(in[0], m) && tame(in[1], m);
    if (tameInput) remember(in, m);
    runPieces(in, m, nothing);
    linearFrames =
        tameInput ? (linearFrames + m < kLinearTaps ? linearFrames + m : kLinearTaps) : 0;
  }
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
  leaveLinearForm();
  upsampleFrames(in, n);
}

void Oversampler::upsampleFrames(double** in, int n) {
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
  leaveLinearForm();
  downsampleFrames(in, n);
}

void Oversampler::downsampleFrames(double** in, int n) {
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
