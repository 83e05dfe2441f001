#include "Series.h"

#include <cstring>

#include "Biquad.h"
#include "Lanes.h"
#include "WideLanes.h"

namespace Dsp {

namespace {

constexpr int kMaxFilters = 8;
constexpr int kMaxTotalSections = 8;
// Sections run in one pass: enough for the recurrences to overlap, few
// enough for their histories to stay in registers.
constexpr int kGroupSections = 3;
// With AVX-512 the same code has 32 vector registers: all eight sections
// fit in one pass.
constexpr int kWidestGroupSections = 8;

struct Section {
  const Biquad* coefficients;
  DirectFormI* left;
  DirectFormI* right;
  // The filter's guards where the section is its first one, else null.
  double* leftGuard;
  double* rightGuard;
};

// A field of a link the filter has just filled, read on its own: the compiler would read
// neighbouring fields with one wide load, which cannot take its data straight from the
// filter's separate stores and waits for them to reach the cache.
template <class T>
inline T fresh(const T& field) {
  T v = field;
#if defined(__GNUC__)
  asm("" : "+r"(v));
#endif
  return v;
}

// In a chain of direct form I sections a section's input history is the output history of
// the one before it, as long as they have only ever run in that order; a group holds them
// once.
inline __attribute__((always_inline)) bool chained(const Section& before, const Section& after) {
  return after.left->follows(*before.left) && after.right->follows(*before.right);
}

// N chained sections sample by sample, each as DirectFormI::process1 does it: a filter's
// first section subtracts the filter's guard, which changes sign after every sample; its
// later sections subtract -0. Samples go in pairs, so that the guards are constants.
template <int N>
inline __attribute__((always_inline)) void runChain(const Section* sections, int numSamples,
                                                    double* a, double* b) {
  LaneSection s[N];
  Lanes y1[N], y2[N], even[N], odd[N];
  const DirectFormI::Pair first(*sections[0].left, *sections[0].right);
  Lanes x1 = first.x1, x2 = first.x2;
  DSP_UNROLL
  for (int k = 0; k < N; ++k) {
    const Section& x = sections[k];
    s[k] = LaneSection(*x.coefficients);
    const DirectFormI::Pair h(*x.left, *x.right);
    y1[k] = h.y1;
    y2[k] = h.y2;
    even[k] = x.leftGuard ? lanes(*x.leftGuard, *x.rightGuard) : splat(-0.0);
    odd[k] = x.leftGuard ? -even[k] : even[k];
  }
  const auto step = [&](double* pa, double* pb, const Lanes* guard) {
    const Lanes in = lanes(*pa, *pb);
    Lanes v = in, p1 = x1, p2 = x2;
    DSP_UNROLL
    for (int k = 0; k < N; ++k) {
      const Lanes out =
          ((((s[k].b0 * v + s[k].b1 * p1) + s[k].b2 * p2) - s[k].a1 * y1[k]) - s[k].a2 * y2[k]) -
          guard[k];
      p1 = y1[k];
      p2 = y2[k];
      y2[k] = y1[k];
      y1[k] = out;
      v = out;
    }
    x2 = x1;
    x1 = in;
    *pa = lane0(v);
    *pb = lane1(v);
  };
  int i = 0;
  for (; i + 2 <= numSamples; i += 2) {
    step(a + i, b + i, even);
    step(a + i + 1, b + i + 1, odd);
  }
  const bool oddCount = i < numSamples;
  if (oddCount) step(a + i, b + i, even);
  DSP_UNROLL
  for (int k = 0; k < N; ++k) {
    const Section& x = sections[k];
    DirectFormI::Pair h;
    h.x1 = k == 0 ? x1 : y1[k - 1];
    h.x2 = k == 0 ? x2 : y2[k - 1];
    h.y1 = y1[k];
    h.y2 = y2[k];
    h.store(*x.left, *x.right);
    if (x.leftGuard) {
      const Lanes g = oddCount ? odd[k] : even[k];
      *x.leftGuard = lane0(g);
      *x.rightGuard = lane1(g);
    }
  }
}

#if defined(DSP_WIDE_LANES)
#define DSP_SERIES_WIDEST __attribute__((target("avx512f,avx512vl")))

// With AVX-512 the sections of a chain run as a wavefront: every section's pair of lanes sits
// in a 512-bit register beside the others, and at step t section k works on sample
// t - kSkew * k. Section k's input is then section k - 1's output from kSkew steps earlier,
// moved up one pair of lanes, so that every value goes through exactly the operations of
// runChain while one instruction serves four sections. A skew of two keeps that move and the
// next section's whole expression within the time of a section's own recurrence. Steps where
// some sections have no sample (the wavefront's first and last kSkew * (N - 1)) leave those
// sections' histories as they are.
constexpr int kSkew = 2;

template <int N>
struct Wave {
  static constexpr int kRegs = (N + 3) / 4;
  __m512d r[kRegs];
};

// Section k's pair of lanes, put in place; the registers start as zeros (the padding's
// coefficients, so whatever moves into it stays finite and never reaches a real section).
template <int N>
DSP_SERIES_WIDEST inline __attribute__((always_inline)) void put(Wave<N>& w, int k, Lanes v) {
  __m512d& r = w.r[k / 4];
  r = _mm512_castps_pd(_mm512_mask_broadcast_f32x4(
      _mm512_castpd_ps(r), static_cast<__mmask16>(0xf << (4 * (k % 4))), _mm_castpd_ps(v)));
}

template <int N>
DSP_SERIES_WIDEST inline __attribute__((always_inline)) Wave<N> filled(__m512d v) {
  Wave<N> w;
  DSP_UNROLL
  for (int g = 0; g < Wave<N>::kRegs; ++g) w.r[g] = v;
  return w;
}

// C independent chains of N sections each over blocks of the same length in one wavefront:
// section k of chain c sits at place C * k + c, and moves its output C places up.
template <int N, int C>
DSP_SERIES_WIDEST inline __attribute__((always_inline)) void runWaves(const Section* const* chains,
                                                                      double* const* as,
                                                                      double* const* bs,
                                                                      int numSamples) {
  static_assert(C == 1 || C == 2, "one chain or two");
  constexpr int M = N * C;
  constexpr int R = Wave<M>::kRegs;
  const __m512d zero = _mm512_setzero_pd();
  Wave<M> b0 = filled<M>(zero), b1 = b0, b2 = b0, a1 = b0, a2 = b0;
  Wave<M> x1 = b0, x2 = b0, y1 = b0, y2 = b0;
  Wave<M> even = filled<M>(_mm512_set1_pd(-0.0)), odd = even;
  DSP_UNROLL
  for (int c = 0; c < C; ++c) {
    DSP_UNROLL
    for (int k = 0; k < N; ++k) {
      const Section& x = chains[c][k];
      const int at = C * k + c;
      const LaneSection q(*x.coefficients);
      put(b0, at, q.b0);
      put(b1, at, q.b1);
      put(b2, at, q.b2);
      put(a1, at, q.a1);
      put(a2, at, q.a2);
      const DirectFormI::Pair p(*x.left, *x.right);
      put(x1, at, p.x1);
      put(x2, at, p.x2);
      put(y1, at, p.y1);
      put(y2, at, p.y2);
      if (x.leftGuard) {
        const Lanes g = lanes(*x.leftGuard, *x.rightGuard);
        put(even, at, g);
        put(odd, at, -g);
      }
    }
  }

  // The input for every section: the new sample for the first of each chain, the output kSkew
  // steps back of the one before for the rest.
  const __m512i feed = C == 1 ? _mm512_set_epi64(5, 4, 3, 2, 1, 0, 9, 8)
                              : _mm512_set_epi64(3, 2, 1, 0, 11, 10, 9, 8);
  const auto inputs = [&](const Wave<M>& back, int t) DSP_SERIES_WIDEST
      __attribute__((always_inline)) {
    __m512d in;
    if (C == 1) {
      in = _mm512_castpd128_pd512(t < numSamples ? lanes(as[0][t], bs[0][t]) : _mm_setzero_pd());
    } else {
      in = _mm512_castpd256_pd512(t < numSamples
                                      ? _mm256_setr_pd(as[0][t], bs[0][t], as[1][t], bs[1][t])
                                      : _mm256_setzero_pd());
    }
    Wave<M> v;
    v.r[0] = _mm512_permutex2var_pd(back.r[0], feed, in);
    DSP_UNROLL
    for (int g = 1; g < R; ++g)
      v.r[g] = _mm512_castsi512_pd(_mm512_maskz_alignr_epi64(
          0xff, _mm512_castpd_si512(back.r[g]), _mm512_castpd_si512(back.r[g - 1]), 8 - 2 * C));
    return v;
  };
  const auto outputs = [&](const Wave<M>& v, const Wave<M>& guard) DSP_SERIES_WIDEST
      __attribute__((always_inline)) {
    Wave<M> out;
    DSP_UNROLL
    for (int g = 0; g < R; ++g)
      out.r[g] = _mm512_sub_pd(
          _mm512_sub_pd(_mm512_sub_pd(_mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(b0.r[g], v.r[g]),
                                                                  _mm512_mul_pd(b1.r[g], x1.r[g])),
                                                    _mm512_mul_pd(b2.r[g], x2.r[g])),
                                      _mm512_mul_pd(a1.r[g], y1.r[g])),
                        _mm512_mul_pd(a2.r[g], y2.r[g])),
          guard.r[g]);
    return out;
  };
  // The last sections' outputs at step t are sample t - kLag.
  constexpr int kLag = kSkew * (N - 1);
  constexpr int kLast = C * (N - 1);
  const auto emit = [&](const Wave<M>& out, int t) DSP_SERIES_WIDEST
      __attribute__((always_inline)) {
    // The masked forms: GCC 12's unmasked ones warn inside its own header.
    if (C == 1) {
      const __m128d o = _mm_castps_pd(
          _mm512_maskz_extractf32x4_ps(0xf, _mm512_castpd_ps(out.r[kLast / 4]), kLast % 4));
      _mm_storel_pd(as[0] + t - kLag, o);
      _mm_storeh_pd(bs[0] + t - kLag, o);
    } else {
      const __m256d o = _mm512_maskz_extractf64x4_pd(0xff, out.r[kLast / 4], (kLast % 4) / 2);
      const __m128d first = _mm256_castpd256_pd128(o);
      const __m128d second = _mm256_extractf128_pd(o, 1);
      _mm_storel_pd(as[0] + t - kLag, first);
      _mm_storeh_pd(bs[0] + t - kLag, first);
      _mm_storel_pd(as[1] + t - kLag, second);
      _mm_storeh_pd(bs[1] + t - kLag, second);
    }
  };
  // Steps where only some sections have a sample; back1 and back2 are the outputs of the last
  // two steps, valid or not.
  Wave<M> back1 = y1, back2 = y2;
  const auto partial = [&](int t) DSP_SERIES_WIDEST __attribute__((always_inline)) {
    const int last = t / kSkew < N - 1 ? t / kSkew : N - 1;
    const int first = t < numSamples ? 0 : (t - numSamples) / kSkew + 1;
    // Two lanes a place, C places a section.
    const uint64_t live =
        ((uint64_t{2} << (2 * C * (last + 1) - 1)) - 1) & ~((uint64_t{1} << (2 * C * first)) - 1);
    const Wave<M> v = inputs(back2, t);
    const Wave<M> out = outputs(v, t % 2 ? odd : even);
    DSP_UNROLL
    for (int g = 0; g < R; ++g) {
      const __mmask8 m = static_cast<__mmask8>(live >> (8 * g));
      x2.r[g] = _mm512_mask_mov_pd(x2.r[g], m, x1.r[g]);
      x1.r[g] = _mm512_mask_mov_pd(x1.r[g], m, v.r[g]);
      y2.r[g] = _mm512_mask_mov_pd(y2.r[g], m, y1.r[g]);
      y1.r[g] = _mm512_mask_mov_pd(y1.r[g], m, out.r[g]);
    }
    back2 = back1;
    back1 = out;
    if (t >= kLag && t - kLag < numSamples) emit(out, t);
  };
  const auto full = [&](int t, const Wave<M>& guard) DSP_SERIES_WIDEST
      __attribute__((always_inline)) {
    const Wave<M> v = inputs(y2, t);
    const Wave<M> out = outputs(v, guard);
    x2 = x1;
    x1 = v;
    y2 = y1;
    y1 = out;
    emit(out, t);
  };
  const int steps = numSamples + kLag;
  int t = 0;
  for (; t < kLag && t < steps; ++t) partial(t);
  if (t + 2 <= numSamples) {
    // kLag is even: the pairs start on an even sample.
    for (; t + 2 <= numSamples; t += 2) {
      full(t, even);
      full(t + 1, odd);
    }
    back1 = y1;
    back2 = y2;
  }
  for (; t < steps; ++t) partial(t);

  alignas(64) double end[4][8 * R];
  DSP_UNROLL
  for (int g = 0; g < R; ++g) {
    _mm512_store_pd(end[0] + 8 * g, x1.r[g]);
    _mm512_store_pd(end[1] + 8 * g, x2.r[g]);
    _mm512_store_pd(end[2] + 8 * g, y1.r[g]);
    _mm512_store_pd(end[3] + 8 * g, y2.r[g]);
  }
  const bool oddCount = numSamples % 2;
  for (int c = 0; c < C; ++c)
    for (int k = 0; k < N; ++k) {
      const Section& x = chains[c][k];
      const int at = 2 * (C * k + c);
      DirectFormI::Pair p;
      p.x1 = lanes(end[0][at], end[0][at + 1]);
      p.x2 = lanes(end[1][at], end[1][at + 1]);
      p.y1 = lanes(end[2][at], end[2][at + 1]);
      p.y2 = lanes(end[3][at], end[3][at + 1]);
      p.store(*x.left, *x.right);
      // The guard for the next sample: negated once per sample.
      if (x.leftGuard && oddCount) {
        *x.leftGuard = -*x.leftGuard;
        *x.rightGuard = -*x.rightGuard;
      }
    }
}

template <int N>
DSP_SERIES_WIDEST inline __attribute__((always_inline)) void runWave(const Section* sections,
                                                                     int numSamples, double* a,
                                                                     double* b) {
  runWaves<N, 1>(&sections, &a, &b, numSamples);
}

// The same chains compiled for AVX-512: short ones as they are (more registers), longer ones
// as a wavefront. Two sections are as fast either way (each waits for its own recurrence);
// three only gain over blocks long enough to outweigh the wavefront's start and end.
DSP_SERIES_WIDEST void runGroupWidest(const Section* sections, int count, int numSamples, double* a,
                                      double* b) {
  switch (count) {
    case 1:
      return runChain<1>(sections, numSamples, a, b);
    case 2:
      return runChain<2>(sections, numSamples, a, b);
    case 3:
      if (numSamples < 32) return runChain<3>(sections, numSamples, a, b);
      return runWave<3>(sections, numSamples, a, b);
    case 4:
      return runWave<4>(sections, numSamples, a, b);
    case 5:
      return runWave<5>(sections, numSamples, a, b);
    case 6:
      return runWave<6>(sections, numSamples, a, b);
    case 7:
      return runWave<7>(sections, numSamples, a, b);
    case 8:
      return runWave<8>(sections, numSamples, a, b);
    default:
      return;
  }
}
#endif

// Two chains of the same number of sections as one wavefront, where that number has one.
DSP_SERIES_WIDEST bool runPairWidest(const Section* first, double* a0, double* b0,
                                     const Section* second, double* a1, double* b1, int count,
                                     int numSamples) {
  const Section* chains[2] = {first, second};
  double* as[2] = {a0, a1};
  double* bs[2] = {b0, b1};
  switch (count) {
    case 4:
      runWaves<4, 2>(chains, as, bs, numSamples);
      return true;
    case 5:
      runWaves<5, 2>(chains, as, bs, numSamples);
      return true;
    case 6:
      runWaves<6, 2>(chains, as, bs, numSamples);
      return true;
    default:
      return false;
  }
}

void runGroup(const Section* sections, int count, int numSamples, double* a, double* b) {
#if defined(DSP_WIDE_LANES)
  if (hasWidestLanes()) {
    runGroupWidest(sections, count, numSamples, a, b);
    leaveWideLanes();
    return;
  }
#endif
  switch (count) {
    case 1:
      return runChain<1>(sections, numSamples, a, b);
    case 2:
      return runChain<2>(sections, numSamples, a, b);
    case 3:
      return runChain<3>(sections, numSamples, a, b);
    default:
      return;
  }
}

// The sections in groups of chained sections, whole filters where they fit.
void run(const Section* sections, const bool* filterStart, int numSections, int numSamples,
         double* a, double* b) {
#if defined(DSP_WIDE_LANES)
  const int groupSections = hasWidestLanes() ? kWidestGroupSections : kGroupSections;
#else
  const int groupSections = kGroupSections;
#endif
  int from = 0;
  while (from < numSections) {
    // The longest chain from here within a group, then back to the last filter start in it
    // unless the group holds a single filter's sections only.
    int to = from + 1;
    while (to < numSections && to - from < groupSections && chained(sections[to - 1], sections[to]))
      ++to;
    if (to < numSections && !filterStart[to]) {
      int cut = to - 1;
      while (cut > from && !filterStart[cut]) --cut;
      if (cut > from) to = cut;
    }
    runGroup(sections + from, to - from, numSamples, a, b);
    from = to;
  }
}

}  // namespace

namespace {

// The sections of filters in series, and what each filter does after its block.
struct Gathered {
  // False, with nothing taken, when the filters cannot run as one pass: the block then goes
  // through each filter's own process.
  bool take(Filter* const* filters, int count, int numSamples, double* const* channels) {
    if (count > kMaxFilters) return false;
    a = channels[0];
    b = channels[1];
    if (!(a >= b + numSamples || b >= a + numSamples)) return false;
    for (int f = 0; f < count; ++f) {
      finish[f] = nullptr;
      if (!filters[f]) continue;
      SeriesLink link;
      if (!filters[f]->seriesLink(link) ||
          (!link.passThrough && numSections + link.numSections > kMaxTotalSections))
        return false;
      finish[f] = fresh(link.finish);
      context[f] = fresh(link.context);
      if (link.passThrough) continue;
      const Biquad* const coefficients = fresh(link.sections);
      DirectFormI* const left = fresh(link.left);
      DirectFormI* const right = fresh(link.right);
      double* const leftGuard = fresh(link.leftGuard);
      double* const rightGuard = fresh(link.rightGuard);
      for (int k = 0; k < link.numSections; ++k) {
        const bool first = k == 0;
        filterStart[numSections] = first;
        sections[numSections++] =
            Section{coefficients + k, left + k, right + k, first ? leftGuard : nullptr,
                    first ? rightGuard : nullptr};
      }
    }
    filterCount = count;
    return true;
  }

  // Whether all the sections form one chain.
  bool oneChain() const {
    for (int k = 1; k < numSections; ++k)
      if (!chained(sections[k - 1], sections[k])) return false;
    return true;
  }

  void run(int numSamples) const { Dsp::run(sections, filterStart, numSections, numSamples, a, b); }

  void finishAll() const {
    for (int f = 0; f < filterCount; ++f)
      if (finish[f]) finish[f](context[f]);
  }

  // Only what the end of the block needs is kept of each link (a whole array of links costs
  // more to construct than a short block costs to filter).
  void (*finish[kMaxFilters])(void*);
  void* context[kMaxFilters];
  Section sections[kMaxTotalSections];
  bool filterStart[kMaxTotalSections];
  int numSections = 0;
  int filterCount = 0;
  double* a = nullptr;
  double* b = nullptr;
};

void eachInTurn(Filter* const* filters, int count, int numSamples, double* const* channels) {
  for (int f = 0; f < count; ++f)
    if (filters[f]) filters[f]->process(numSamples, channels);
}

bool apart(const double* x, const double* y, int n) {
  return x >= y + n || y >= x + n;
}

}  // namespace

void processSeries(Filter* const* filters, int count, int numSamples, double* const* channels) {
  if (numSamples < 1 || count < 1) return;
  Gathered g;
  if (!g.take(filters, count, numSamples, channels)) {
    eachInTurn(filters, count, numSamples, channels);
    return;
  }
  g.run(numSamples);
  g.finishAll();
}

void processSeriesPair(Filter* const* first, int firstCount, double* const* firstChannels,
                       Filter* const* second, int secondCount, double* const* secondChannels,
                       int numSamples) {
  if (numSamples < 1) return;
#if defined(DSP_WIDE_LANES)
  // One filter in both lists would read its histories before its first run has left them.
  bool shared = false;
  for (int i = 0; i < firstCount; ++i)
    for (int j = 0; j < secondCount; ++j) shared = shared || (first[i] && first[i] == second[j]);
  const double* const buffers[4] = {firstChannels[0], firstChannels[1], secondChannels[0],
                                    secondChannels[1]};
  bool together = !shared && firstCount >= 1 && secondCount >= 1 && hasWidestLanes();
  for (int x = 0; together && x < 4; ++x)
    for (int y = x + 1; together && y < 4; ++y)
      together = apart(buffers[x], buffers[y], numSamples);
  Gathered one, two;
  if (together && one.take(first, firstCount, numSamples, firstChannels) &&
      two.take(second, secondCount, numSamples, secondChannels) &&
      one.numSections == two.numSections && one.oneChain() && two.oneChain() &&
      runPairWidest(one.sections, one.a, one.b, two.sections, two.a, two.b, one.numSections,
                    numSamples)) {
    leaveWideLanes();
    one.finishAll();
    two.finishAll();
    return;
  }
#endif
  processSeries(first, firstCount, numSamples, firstChannels);
  processSeries(second, secondCount, numSamples, secondChannels);
}

namespace {

// One filter's part of a side-by-side run: what CascadeStages::runPair holds of it.
template <int N>
struct SideFilter {
  LaneSection s[N];
  DirectFormII::Pair h[N];
  Lanes guard;
  double* l;
  double* r;

  SideFilter(const SideLink& link, double* const* io) {
    const Biquad* const coefficients = fresh(link.sections);
    DirectFormII* const left = fresh(link.left);
    DirectFormII* const right = fresh(link.right);
    DSP_UNROLL
    for (int k = 0; k < N; ++k) {
      s[k] = LaneSection(coefficients[k]);
      h[k] = DirectFormII::Pair(left[k], right[k]);
    }
    guard = lanes(*fresh(link.leftGuard), *fresh(link.rightGuard));
    l = io[0];
    r = io[1];
  }

  // Sample i, as runPair steps it.
  inline __attribute__((always_inline)) void step(int i, Lanes later) {
    const Lanes y = stepSections<N>(h, s, lanes(l[i], r[i]), guard, later);
    l[i] = lane0(y);
    r[i] = lane1(y);
  }

  void store(const SideLink& link) const {
    DSP_UNROLL
    for (int k = 0; k < N; ++k) h[k].store(link.left[k], link.right[k]);
    *link.leftGuard = lane0(guard);
    *link.rightGuard = lane1(guard);
  }
};

template <int NA, int NB>
inline __attribute__((always_inline)) void runSideBySide(const SideLink& linkA, double* const* ioA,
                                                         const SideLink& linkB, double* const* ioB,
                                                         int numSamples) {
  SideFilter<NA> a(linkA, ioA);
  SideFilter<NB> b(linkB, ioB);
  const Lanes later = splat(-0.0);
  for (int i = 0; i < numSamples; ++i) {
    a.step(i, later);
    b.step(i, later);
  }
  a.store(linkA);
  b.store(linkB);
}

using SideRun = void (*)(const SideLink&, double* const*, const SideLink&, double* const*, int);

// The same loop compiled for AVX-512 too: the same 128-bit operations, with registers enough
// for both filters' coefficients and no copies before each operation.
template <int NA, int NB>
struct SideRuns {
  static void narrow(const SideLink& la, double* const* a, const SideLink& lb, double* const* b,
                     int n) {
    runSideBySide<NA, NB>(la, a, lb, b, n);
  }
#if defined(DSP_WIDE_LANES)
  DSP_SERIES_WIDEST static void widest(const SideLink& la, double* const* a, const SideLink& lb,
                                       double* const* b, int n) {
    runSideBySide<NA, NB>(la, a, lb, b, n);
  }
#endif
};

// Indexed by (sections of a - 1) * 4 + sections of b - 1.
#define DSP_SIDE_ROW(form, na) \
  SideRuns<na, 1>::form, SideRuns<na, 2>::form, SideRuns<na, 3>::form, SideRuns<na, 4>::form
#define DSP_SIDE_TABLE(form) \
  { DSP_SIDE_ROW(form, 1), DSP_SIDE_ROW(form, 2), DSP_SIDE_ROW(form, 3), DSP_SIDE_ROW(form, 4) }
const SideRun kNarrowSideRuns[16] = DSP_SIDE_TABLE(narrow);
#if defined(DSP_WIDE_LANES)
const SideRun kWidestSideRuns[16] = DSP_SIDE_TABLE(widest);
#endif
#undef DSP_SIDE_TABLE
#undef DSP_SIDE_ROW

}  // namespace

void processSideBySide(Filter* a, double* const* ioA, Filter* b, double* const* ioB,
                       int numSamples) {
  if (numSamples < 1) return;
  SideLink linkA, linkB;
  const double* const buffers[4] = {a ? ioA[0] : nullptr, a ? ioA[1] : nullptr,
                                    b ? ioB[0] : nullptr, b ? ioB[1] : nullptr};
  // One filter twice would read its histories before its first run has left them.
  bool together = a && b && a != b && a->sideLink(linkA) && b->sideLink(linkB) &&
                  !linkA.passThrough && !linkB.passThrough && linkA.numSections >= 1 &&
                  linkB.numSections >= 1 && linkA.numSections <= SideLink::kMaxSections &&
                  linkB.numSections <= SideLink::kMaxSections;
  for (int x = 0; together && x < 4; ++x)
    for (int y = x + 1; together && y < 4; ++y)
      together = apart(buffers[x], buffers[y], numSamples);
  if (!together) {
    // The same as running each alone: a filter that passes the block, or has no sections,
    // changes nothing.
    if (a) a->process(numSamples, ioA);
    if (b) b->process(numSamples, ioB);
    return;
  }
  const int run = (fresh(linkA.numSections) - 1) * 4 + fresh(linkB.numSections) - 1;
#if defined(DSP_WIDE_LANES)
  if (hasWidestLanes()) {
    kWidestSideRuns[run](linkA, ioA, linkB, ioB, numSamples);
    leaveWideLanes();
  } else {
    kNarrowSideRuns[run](linkA, ioA, linkB, ioB, numSamples);
  }
#else
  kNarrowSideRuns[run](linkA, ioA, linkB, ioB, numSamples);
#endif
  fresh(linkA.finish)(fresh(linkA.context));
  fresh(linkB.finish)(fresh(linkB.context));
}

}  // namespace Dsp
