// Dsp::processSeries against its definition: every filter's own process()
// in turn, on a twin set of filters. Results and the histories left behind
// (seen through the following blocks) must match bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <vector>

#include "DspLib/Dsp.h"
#include "DspLib/WideLanes.h"
#include "scenarios.h"

namespace {

using FilterPtr = std::unique_ptr<Dsp::Filter>;

template <class Design, class State>
FilterPtr smoothed(int order, double hz, double gainDb) {
  FilterPtr f(new Dsp::SmoothedFilterDesign<Design, 2, State>(64));
  Dsp::Params p = f->getDefaultParams();
  for (int i = 0; i < f->getNumParams(); ++i) {
    switch (f->getParamInfo(i).getId()) {
      case Dsp::idOrder:
        p[i] = order;
        break;
      case Dsp::idFrequency:
        p[i] = hz;
        break;
      case Dsp::idGain:
        p[i] = gainDb;
        break;
      case Dsp::idBandwidthHz:
        p[i] = hz / 2.0;
        break;
      default:
        break;
    }
  }
  f->setParams(p);
  return f;
}

using namespace Dsp;

// Shelves of one and two sections, as the equalisers hold them.
std::vector<FilterPtr> shelves() {
  std::vector<FilterPtr> v;
  v.push_back(smoothed<Butterworth::Design::LowShelf<2>, DirectFormI>(2, 150.0, 4.0));
  v.push_back(smoothed<Butterworth::Design::BandShelf<2>, DirectFormI>(2, 400.0, -6.0));
  v.push_back(smoothed<Butterworth::Design::BandShelf<2>, DirectFormI>(2, 1600.0, 3.0));
  v.push_back(smoothed<Butterworth::Design::HighShelf<2>, DirectFormI>(2, 4000.0, -9.0));
  return v;
}

// n sections: two-section band shelves, then a one-section low shelf for an odd count, so
// that the chain holds filters' first sections (with their guards) and later ones.
std::vector<FilterPtr> sections(int n) {
  std::vector<FilterPtr> v;
  for (int i = 0; i < n / 2; ++i)
    v.push_back(smoothed<Butterworth::Design::BandShelf<2>, DirectFormI>(2, 250.0 + 700.0 * i,
                                                                         i % 2 ? 4.0 : -5.0));
  if (n % 2) v.push_back(smoothed<Butterworth::Design::LowShelf<2>, DirectFormI>(2, 120.0, 6.0));
  return v;
}

struct Case {
  const char* name;
  std::function<std::vector<FilterPtr>()> make;
  // Called on both sets before block k (after the first block).
  std::function<void(std::vector<FilterPtr>&, int k)> before;
  bool shareChannel;
};

std::vector<Case> cases() {
  return {
      {"Shelves", shelves, nullptr, false},
      {"SweepPair",
       [] {
         std::vector<FilterPtr> v;
         v.push_back(smoothed<ChebyshevI::Design::LowPass<4>, DirectFormI>(2, 3000.0, 0.0));
         v.push_back(smoothed<ChebyshevI::Design::HighPass<4>, DirectFormI>(2, 90.0, 0.0));
         return v;
       },
       nullptr, false},
      {"OneFilterCleared", shelves,
       [](std::vector<FilterPtr>& v, int k) {
         if (k == 2) v[2]->reset();
       },
       false},
      {"OneFilterGliding", shelves,
       [](std::vector<FilterPtr>& v, int k) {
         if (k == 1) v[1]->setParamById(idGain, 5.0);
       },
       false},
      {"NeverDesigned",
       [] {
         std::vector<FilterPtr> v = shelves();
         v.insert(
             v.begin() + 1,
             FilterPtr(
                 new SmoothedFilterDesign<Butterworth::Design::LowShelf<2>, 2, DirectFormI>(64)));
         v.insert(v.begin() + 3, nullptr);
         return v;
       },
       nullptr, false},
      {"MoreSectionsThanOnePass",
       [] {
         std::vector<FilterPtr> v;
         for (int i = 0; i < 5; ++i)
           v.push_back(smoothed<Butterworth::Design::BandShelf<2>, DirectFormI>(
               2, 300.0 + 500.0 * i, i % 2 ? 3.0 : -3.0));
         return v;
       },
       nullptr, false},
      {"DirectFormTwo",
       [] {
         std::vector<FilterPtr> v = shelves();
         v.push_back(smoothed<Butterworth::Design::LowPass<4>, DirectFormII>(4, 5000.0, 0.0));
         return v;
       },
       nullptr, false},
      {"OneBufferForBoth", shelves, nullptr, true},
      {"ThreeSections", [] { return sections(3); }, nullptr, false},
      {"FourSections", [] { return sections(4); }, nullptr, false},
      {"FiveSections", [] { return sections(5); }, nullptr, false},
      {"SevenSections", [] { return sections(7); }, nullptr, false},
      {"EightSections", [] { return sections(8); }, nullptr, false},
      {"EightSectionsCleared", [] { return sections(8); },
       [](std::vector<FilterPtr>& v, int k) {
         if (k == 3) v[1]->reset();
       },
       false},
  };
}

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class Series : public testing::TestWithParam<Case> {};

// Every lane width the processor offers: each runs the series its own way.
struct Width {
  explicit Width(LaneWidth w) { limitLaneWidth(w); }
  ~Width() { limitLaneWidth(kWidestLanes); }
};

TEST_P(Series, MatchesEachFilterInTurn) {
  const Case& c = GetParam();
  for (LaneWidth width : {kNarrowLanes, kWideLanes, kWidestLanes}) {
    SCOPED_TRACE(testing::Message() << "lane width " << width);
    const Width limit(width);
    std::vector<FilterPtr> together = c.make();
    std::vector<FilterPtr> apart = c.make();
    // Blocks shorter than a pass's start-up and end as well as long ones.
    const int lengths[] = {200, 301, 1, 3, 13, 64, 496};
    const std::vector<double> left = SpeedScenarios::signal(1078, 3u, 0.9);
    const std::vector<double> right = SpeedScenarios::signal(1078, 4u, 0.7);
    std::vector<double> a[2] = {left, right};
    std::vector<double> b[2] = {left, right};
    a[1][250] = b[1][250] = std::numeric_limits<double>::quiet_NaN();
    int at = 0;
    for (int k = 0; k < static_cast<int>(std::size(lengths)); ++k) {
      if (c.before) {
        c.before(together, k);
        c.before(apart, k);
      }
      const int n = lengths[k];
      double* pa[2] = {a[0].data() + at, (c.shareChannel ? a[0] : a[1]).data() + at};
      double* pb[2] = {b[0].data() + at, (c.shareChannel ? b[0] : b[1]).data() + at};
      std::vector<Filter*> list;
      for (FilterPtr& f : together) list.push_back(f.get());
      processSeries(list.data(), static_cast<int>(list.size()), n, pa);
      for (FilterPtr& f : apart)
        if (f) f->process(n, pb);
      at += n;
    }
    for (int ch = 0; ch < 2; ++ch)
      EXPECT_EQ(0, std::memcmp(a[ch].data(), b[ch].data(), sizeof(double) * a[ch].size()))
          << "channel " << ch;
  }
}

INSTANTIATE_TEST_SUITE_P(Filters, Series, testing::ValuesIn(cases()),
                         [](const testing::TestParamInfo<Case>& p) {
                           return std::string(p.param.name);
                         });

// The same shelves with other gains: a second equaliser.
std::vector<FilterPtr> otherShelves() {
  std::vector<FilterPtr> v;
  v.push_back(smoothed<Butterworth::Design::LowShelf<2>, DirectFormI>(2, 180.0, -3.0));
  v.push_back(smoothed<Butterworth::Design::BandShelf<2>, DirectFormI>(2, 500.0, 5.0));
  v.push_back(smoothed<Butterworth::Design::BandShelf<2>, DirectFormI>(2, 2000.0, -2.0));
  v.push_back(smoothed<Butterworth::Design::HighShelf<2>, DirectFormI>(2, 5000.0, 6.0));
  return v;
}

struct PairCase {
  const char* name;
  std::function<std::vector<FilterPtr>()> makeFirst, makeSecond;
  // Called on both sets before block k (after the first block), with the two lists.
  std::function<void(std::vector<FilterPtr>&, std::vector<FilterPtr>&, int k)> before;
  // The second list holds the first list's second filter as well.
  bool sharedFilter;
  // The second list's left channel is the first list's right one.
  bool sharedChannel;
};

std::vector<PairCase> pairCases() {
  return {
      {"TwoEqualisers", shelves, otherShelves, nullptr, false, false},
      {"FourSectionsEach", [] { return sections(4); }, [] { return sections(4); }, nullptr, false,
       false},
      {"FiveSectionsEach", [] { return sections(5); }, [] { return sections(5); }, nullptr, false,
       false},
      {"OtherLengths", shelves, [] { return sections(4); }, nullptr, false, false},
      {"OneGliding", shelves, otherShelves,
       [](std::vector<FilterPtr>& first, std::vector<FilterPtr>&, int k) {
         if (k == 1) first[1]->setParamById(idGain, 5.0);
       },
       false, false},
      {"OneCleared", shelves, otherShelves,
       [](std::vector<FilterPtr>&, std::vector<FilterPtr>& second, int k) {
         if (k == 2) second[2]->reset();
       },
       false, false},
      {"OneFilterInBoth", shelves, otherShelves, nullptr, true, false},
      {"OneBufferInBoth", shelves, otherShelves, nullptr, false, true},
  };
}

void PrintTo(const PairCase& c, std::ostream* os) {
  *os << c.name;
}

class SeriesPair : public testing::TestWithParam<PairCase> {};

TEST_P(SeriesPair, MatchesEachFilterInTurn) {
  const PairCase& c = GetParam();
  for (LaneWidth width : {kNarrowLanes, kWideLanes, kWidestLanes}) {
    SCOPED_TRACE(testing::Message() << "lane width " << width);
    const Width limit(width);
    std::vector<FilterPtr> sets[2][2] = {{c.makeFirst(), c.makeSecond()},
                                         {c.makeFirst(), c.makeSecond()}};
    const int lengths[] = {200, 301, 1, 3, 13, 64, 496};
    std::vector<double> signals[3];
    for (int s = 0; s < 3; ++s) signals[s] = SpeedScenarios::signal(1078, 5u + s, 0.9 - 0.2 * s);
    signals[2][99] = std::numeric_limits<double>::quiet_NaN();
    // The first list's channels, then the second's (its left the first's right where shared).
    std::vector<double> io[2][4];
    for (auto& run : io) {
      run[0] = signals[0];
      run[1] = signals[1];
      run[2] = c.sharedChannel ? signals[1] : signals[2];
      run[3] = signals[0];
    }
    int at = 0;
    for (int k = 0; k < static_cast<int>(std::size(lengths)); ++k) {
      for (auto& set : sets)
        if (c.before) c.before(set[0], set[1], k);
      const int n = lengths[k];
      std::vector<Filter*> lists[2][2];
      for (int r = 0; r < 2; ++r)
        for (int l = 0; l < 2; ++l)
          for (FilterPtr& f : sets[r][l]) lists[r][l].push_back(f.get());
      if (c.sharedFilter)
        for (auto& run : lists) run[1].push_back(run[0][1]);
      double* channels[2][4];
      for (int r = 0; r < 2; ++r) {
        for (int ch = 0; ch < 4; ++ch) channels[r][ch] = io[r][ch].data() + at;
        if (c.sharedChannel) channels[r][2] = channels[r][1];
      }
      processSeriesPair(lists[0][0].data(), static_cast<int>(lists[0][0].size()), channels[0],
                        lists[0][1].data(), static_cast<int>(lists[0][1].size()), channels[0] + 2,
                        n);
      for (int l = 0; l < 2; ++l)
        for (Filter* f : lists[1][l])
          if (f) f->process(n, channels[1] + 2 * l);
      at += n;
    }
    for (int ch = 0; ch < 4; ++ch)
      EXPECT_EQ(0,
                std::memcmp(io[0][ch].data(), io[1][ch].data(), sizeof(double) * io[0][ch].size()))
          << "channel " << ch;
  }
}

INSTANTIATE_TEST_SUITE_P(Filters, SeriesPair, testing::ValuesIn(pairCases()),
                         [](const testing::TestParamInfo<PairCase>& p) {
                           return std::string(p.param.name);
                         });

}  // namespace
