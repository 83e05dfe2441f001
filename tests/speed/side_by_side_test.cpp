// Dsp::processSideBySide against its definition: the first filter's own
// process() on its block, then the second's on its own, on a twin pair of
// filters. Results and the histories left behind (seen through the
// following blocks) must match bit for bit.
#include <gtest/gtest.h>

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

using namespace Dsp;
using FilterPtr = std::unique_ptr<Filter>;

// A smoothed two-channel direct form II filter as the units hold them, set up at hz (and
// order where it has one); a glide of 64 samples for later changes.
template <class Design>
FilterPtr designed(double hz, int order = 0) {
  FilterPtr f(new SmoothedFilterDesign<Design, 2, DirectFormII>(64));
  f->setParams(f->getDefaultParams());
  if (order > 0) f->setParamById(idOrder, order);
  f->setParamById(idFrequency, hz);
  return f;
}

using Make = std::function<FilterPtr()>;

struct Kind {
  const char* name;
  Make make;
};

// The designs and section counts of the filter unit's slots and the band split.
std::vector<Kind> kinds() {
  return {
      {"RbjLowPass", [] { return designed<RBJ::Design::LowPass>(2500.0); }},
      {"RbjHighPass", [] { return designed<RBJ::Design::HighPass>(180.0); }},
      {"RbjBandPass", [] { return designed<RBJ::Design::BandPass1>(900.0); }},
      {"RbjBandStop", [] { return designed<RBJ::Design::BandStop>(1200.0); }},
      {"Cheby2", [] { return designed<ChebyshevI::Design::LowPass<4>>(3000.0, 2); }},
      {"Cheby4", [] { return designed<ChebyshevI::Design::HighPass<4>>(400.0, 4); }},
      {"BwBandPass", [] { return designed<Butterworth::Design::BandPass<2>>(700.0, 2); }},
      {"BwBandStop", [] { return designed<Butterworth::Design::BandStop<2>>(1500.0, 2); }},
      {"BwLow1", [] { return designed<Butterworth::Design::LowPass<1>>(150.0, 1); }},
      {"BwHigh2", [] { return designed<Butterworth::Design::HighPass<2>>(150.0, 2); }},
      {"BwLow4", [] { return designed<Butterworth::Design::LowPass<4>>(150.0, 4); }},
      {"BwHigh8", [] { return designed<Butterworth::Design::HighPass<8>>(150.0, 8); }},
      {"BwLow8", [] { return designed<Butterworth::Design::LowPass<8>>(150.0, 8); }},
  };
}

// What happens to a pair of filters before block k (the same on both twins).
using Before = std::function<void(Filter* a, Filter* b, int k)>;

struct Situation {
  const char* name;
  Before before;
  bool nan;
  bool shareBuffers;  // the second filter's channels are the first's
};

std::vector<Situation> situations() {
  return {
      {"Steady", nullptr, false, false},
      {"NanInInput", nullptr, true, false},
      // Glides of 64 samples starting in the first, the fourth and the last block: some
      // blocks glide throughout, some end a glide part way, some start steady.
      {"FirstGlides",
       [](Filter* a, Filter*, int k) {
         if (k == 1 || k == 3 || k == 6) a->setParamById(idFrequency, 600.0 + 300.0 * k);
       },
       false, false},
      {"SecondGlides",
       [](Filter*, Filter* b, int k) {
         if (k == 1 || k == 5) b->setParamById(idFrequency, 200.0 + 100.0 * k);
       },
       true, false},
      {"OneCleared",
       [](Filter* a, Filter*, int k) {
         if (k == 2) a->reset();
       },
       false, false},
      {"SharedBuffers", nullptr, false, true},
  };
}

struct Case {
  Kind a, b;
  Situation situation;
};

std::vector<Case> cases() {
  const std::vector<Kind> k = kinds();
  // Every kind on either side at least once, with every pairing of section counts (1, 2, 4).
  const int pairs[][2] = {{0, 1}, {2, 3}, {4, 5}, {5, 4}, {6, 7}, {8, 9}, {10, 11},
                          {12, 11}, {0, 11}, {11, 0}, {9, 10}, {3, 6}};
  std::vector<Case> v;
  for (const auto& p : pairs)
    for (const Situation& s : situations()) v.push_back({k[p[0]], k[p[1]], s});
  return v;
}

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.a.name << "_" << c.b.name << "_" << c.situation.name;
}

// Every lane width the processor offers.
struct Width {
  explicit Width(LaneWidth w) { limitLaneWidth(w); }
  ~Width() { limitLaneWidth(kWidestLanes); }
};

// Two blocks of two channels each, over the whole run.
struct Blocks {
  std::vector<double> ch[4];
  explicit Blocks(bool nan) {
    for (int c = 0; c < 4; ++c) ch[c] = SpeedScenarios::signal(1200, 3u + c, 0.9 - 0.1 * c);
    if (nan) ch[1][250] = ch[2][620] = std::numeric_limits<double>::quiet_NaN();
  }
  void at(int offset, bool share, double** a, double** b) {
    a[0] = ch[0].data() + offset;
    a[1] = ch[1].data() + offset;
    b[0] = (share ? ch[0] : ch[2]).data() + offset;
    b[1] = (share ? ch[1] : ch[3]).data() + offset;
  }
};

class SideBySide : public testing::TestWithParam<Case> {};

TEST_P(SideBySide, MatchesEachFilterInTurn) {
  const Case& c = GetParam();
  const Situation& s = c.situation;
  for (LaneWidth width : {kNarrowLanes, kWideLanes, kWidestLanes}) {
    SCOPED_TRACE(testing::Message() << "lane width " << width);
    const Width limit(width);
    FilterPtr a1 = c.a.make(), b1 = c.b.make();
    FilterPtr a2 = c.a.make(), b2 = c.b.make();
    Blocks together(s.nan), apart(s.nan);
    const int lengths[] = {200, 301, 1, 3, 13, 64, 496};
    int at = 0;
    for (int k = 0; k < static_cast<int>(std::size(lengths)); ++k) {
      if (s.before) {
        s.before(a1.get(), b1.get(), k);
        s.before(a2.get(), b2.get(), k);
      }
      const int n = lengths[k];
      double *ioA[2], *ioB[2];
      together.at(at, s.shareBuffers, ioA, ioB);
      processSideBySide(a1.get(), ioA, b1.get(), ioB, n);
      apart.at(at, s.shareBuffers, ioA, ioB);
      a2->process(n, ioA);
      b2->process(n, ioB);
      at += n;
    }
    // What the last block left: the next block through each filter alone.
    const int tail = 1200 - at;
    for (Blocks* x : {&together, &apart}) {
      double *ioA[2], *ioB[2];
      x->at(at, s.shareBuffers, ioA, ioB);
      (x == &together ? a1 : a2)->process(tail, ioA);
      (x == &together ? b1 : b2)->process(tail, ioB);
    }
    for (int ch = 0; ch < 4; ++ch)
      EXPECT_EQ(0, std::memcmp(together.ch[ch].data(), apart.ch[ch].data(),
                               sizeof(double) * together.ch[ch].size()))
          << "channel " << ch;
  }
}

INSTANTIATE_TEST_SUITE_P(Pairs, SideBySide, testing::ValuesIn(cases()),
                         [](const testing::TestParamInfo<Case>& p) {
                           return std::string(p.param.a.name) + "_" + p.param.b.name + "_" +
                                  p.param.situation.name;
                         });

// Null filters are skipped, one filter given twice runs twice and one never designed passes
// its block, as the calls in turn do.
TEST(SideBySideEdges, NullSameAndUndesignedFilters) {
  const Kind k = kinds()[10];
  FilterPtr f1 = k.make(), f2 = k.make();
  FilterPtr never(new SmoothedFilterDesign<RBJ::Design::LowPass, 2, DirectFormII>(64));
  Blocks together(false), apart(false);
  double *ioA[2], *ioB[2];
  together.at(0, false, ioA, ioB);
  processSideBySide(nullptr, ioA, f1.get(), ioB, 300);
  processSideBySide(f1.get(), ioA, nullptr, ioB, 300);
  processSideBySide(f1.get(), ioA, f1.get(), ioB, 300);
  processSideBySide(nullptr, ioA, nullptr, ioB, 300);
  processSideBySide(never.get(), ioA, f1.get(), ioB, 300);
  apart.at(0, false, ioA, ioB);
  f2->process(300, ioB);
  f2->process(300, ioA);
  f2->process(300, ioA);
  f2->process(300, ioB);
  f2->process(300, ioB);
  for (int ch = 0; ch < 4; ++ch)
    EXPECT_EQ(0, std::memcmp(together.ch[ch].data(), apart.ch[ch].data(),
                             sizeof(double) * together.ch[ch].size()))
        << "channel " << ch;
}

}  // namespace
