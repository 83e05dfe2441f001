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

bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// In a chain of direct form I sections a section's input history is the output history of
// the one before it, as long as they have only ever run in that order; a group holds them
// once.
bool chained(const Section& before, const Section& after) {
  const DirectFormI::Pair b(*before.left, *before.right);
  const DirectFormI::Pair a(*after.left, *after.right);
  return sameBits(lane0(a.x1), lane0(b.y1)) && sameBits(lane1(a.x1), lane1(b.y1)) &&
         sameBits(lane0(a.x2), lane0(b.y2)) && sameBits(lane1(a.x2), lane1(b.y2));
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
// The same chains compiled for AVX-512 (the same operations, more registers).
__attribute__((target("avx512f,avx512vl"))) void runGroupWidest(const Section* sections, int count,
                                                                int numSamples, double* a,
                                                                double* b) {
  switch (count) {
    case 1:
      return runChain<1>(sections, numSamples, a, b);
    case 2:
      return runChain<2>(sections, numSamples, a, b);
    case 3:
      return runChain<3>(sections, numSamples, a, b);
    case 4:
      return runChain<4>(sections, numSamples, a, b);
    case 5:
      return runChain<5>(sections, numSamples, a, b);
    case 6:
      return runChain<6>(sections, numSamples, a, b);
    case 7:
      return runChain<7>(sections, numSamples, a, b);
    case 8:
      return runChain<8>(sections, numSamples, a, b);
    default:
      return;
  }
}
#endif

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

void processSeries(Filter* const* filters, int count, int numSamples, double* const* channels) {
  if (numSamples < 1 || count < 1) return;
  double* a = channels[0];
  double* b = channels[1];
  SeriesLink links[kMaxFilters];
  Section sections[kMaxTotalSections];
  bool filterStart[kMaxTotalSections];
  int numSections = 0;
  bool together = count <= kMaxFilters && (a >= b + numSamples || b >= a + numSamples);
  for (int f = 0; together && f < count; ++f) {
    if (!filters[f]) continue;
    SeriesLink& link = links[f];
    if (!filters[f]->seriesLink(link) ||
        (!link.passThrough && numSections + link.numSections > kMaxTotalSections)) {
      together = false;
      break;
    }
    if (link.passThrough) continue;
    for (int k = 0; k < link.numSections; ++k) {
      const bool first = k == 0;
      filterStart[numSections] = first;
      sections[numSections++] =
          Section{link.sections + k, link.left + k, link.right + k,
                  first ? link.leftGuard : nullptr, first ? link.rightGuard : nullptr};
    }
  }
  if (!together) {
    for (int f = 0; f < count; ++f)
      if (filters[f]) filters[f]->process(numSamples, channels);
    return;
  }
  run(sections, filterStart, numSections, numSamples, a, b);
  for (int f = 0; f < count; ++f)
    if (filters[f] && links[f].finish) links[f].finish(links[f].context);
}

}  // namespace Dsp
