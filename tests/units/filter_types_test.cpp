#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FilterTypes.h"
#include "FilterUnit.h"

using namespace Rawnfield;
using Types::eFilterType;

namespace {

TEST(FilterTypes, NamesByType) {
  const char* const longNames[] = {"RBJ LowPass",
                                   "RBJ HighPass",
                                   "RBJ BandPass 1",
                                   "RBJ BandStop",
                                   "StateVariable LowPass",
                                   "StateVariable HighPass",
                                   "Chebyshev HighPass 12dB",
                                   "Chebyshev HighPass 24dB",
                                   "Chebyshev LowPass 12dB",
                                   "Chebyshev LowPass 24dB",
                                   "Butterworth BandPass 12dB",
                                   "Butterworth BandStop 12dB"};
  const char* const shortNames[] = {"RBJ-LP",  "RBJ-HP",  "RBJ-BP1", "RBJ-BS",
                                    "SV LP",   "SV HP",   "CH-HP12", "CH-HP24",
                                    "CH-LP12", "CH-LP24", "BW-BP12", "BW-BS12"};
  for (int t = 0; t < Types::kNumFilterTypes; ++t) {
    const eFilterType type = static_cast<eFilterType>(t);
    EXPECT_EQ(FilterUti::getFilterModeText(type), longNames[t]);
    EXPECT_EQ(FilterUti::getFilterModeShortText(type), shortNames[t]);
    // The control value of a type selects it again.
    EXPECT_EQ(FilterUti::getFilterModeText(FilterUti::getFilterModeSel(type)), longNames[t]);
    EXPECT_DOUBLE_EQ(FilterUti::getFilterModeSel(type), t / 11.0);
  }
  for (int t : {-1, 12, 13, 1000}) {
    EXPECT_EQ(FilterUti::getFilterModeText(static_cast<eFilterType>(t)), "");
    EXPECT_EQ(FilterUti::getFilterModeShortText(static_cast<eFilterType>(t)), "");
  }
}

TEST(FilterTypes, ControlValueSelection) {
  struct Case {
    double v;
    int type;
    const char* name;
  };
  const Case cases[] = {
      {0.0, 0, "RBJ LowPass"},
      {0.5, 6, "Chebyshev HighPass 12dB"},  // floor(5.5 + 0.5)
      {1.0, 11, "Butterworth BandStop 12dB"},
      {1.2, 13, ""},
      {-0.2, -2, ""},
      {0.04, 0, "RBJ LowPass"},
      {0.05, 1, "RBJ HighPass"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FilterUti::typeOf(c.v), c.type) << c.v;
    EXPECT_EQ(FilterUti::getFilterModeText(c.v), c.name) << c.v;
  }
  // No undefined conversion for values that are no number or out of range.
  EXPECT_EQ(FilterUti::getFilterModeText(std::nan("")), "RBJ LowPass");
  EXPECT_EQ(FilterUti::getFilterModeText(1e300), "");
}

TEST(FilterTypes, ProgramFileNames) {
  struct Case {
    const char* name;
    int type;
  };
  const Case cases[] = {
      {"RBJ-LP", 0},
      {"RBJ LowPass", 0},
      {"RBJ-HP", 1},
      {"RBJ HighPass", 1},
      {"RBJ-BP", 2},
      {"RBJ-BP1", 2},
      {"RBJ BandPass 1", 2},
      {"RBJ-BS", 3},
      {"RBJ BandStop", 3},
      {"StateVariable LowPass", 4},
      {"StateVariable HighPass", 5},
      {"HP 12dB", 6},
      {"Chebyshev HighPass 12dB", 6},
      {"HP 24dB", 7},
      {"Chebyshev HighPass 24dB", 7},
      {"LP 12dB", 8},
      {"Chebyshev LowPass 12dB", 8},
      {"LP 24dB", 9},
      {"Chebyshev LowPass 24dB", 9},
      {"BP 12dB", 10},
      {"Butterworth BandPass 12dB", 10},
      {"BS 12dB", 11},
      {"Butterworth BandStop 12dB", 11},
      // Short labels of the editor are not program-file names.
      {"SV LP", 0},
      {"SV HP", 0},
      {"CH-HP12", 0},
      {"CH-HP24", 0},
      {"CH-LP12", 0},
      {"CH-LP24", 0},
      {"BW-BP12", 0},
      {"BW-BS12", 0},
      // Exact and case-sensitive.
      {"rbj highpass", 0},
      {"RBJ HighPass ", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FilterUti::getFilterMode(c.name), c.type) << c.name;
}

TEST(FilterTypes, NextTypeWrapsAround) {
  for (int t = 0; t < 11; ++t)
    EXPECT_DOUBLE_EQ(FilterUti::getNextFilterMode1(t / 11.0), (t + 1) / 11.0) << t;
  EXPECT_EQ(FilterUti::getNextFilterMode1(1.0), 0.0);
  EXPECT_DOUBLE_EQ(FilterUti::getNextFilterMode1(1.2), 14.0 / 11.0);
}

// The resonance drives Q on the RBJ pass filters, the bandwidth in octaves
// on the RBJ band filters, the ripple on the Chebyshev filters and the
// bandwidth in Hz on the Butterworth band filters.
TEST(FilterTypes, ResonanceParameterOfEachDesign) {
  FilterSet set;
  set.init();
  const int expectedId[] = {Dsp::idQ,         Dsp::idQ,           Dsp::idBandwidth,
                            Dsp::idBandwidth, Dsp::idQ,           Dsp::idQ,
                            Dsp::idRippleDb,  Dsp::idRippleDb,    Dsp::idRippleDb,
                            Dsp::idRippleDb,  Dsp::idBandwidthHz, Dsp::idBandwidthHz};
  for (int t = 0; t < Types::kNumFilterTypes; ++t) {
    const Dsp::Filter* f = set.getFilter(static_cast<eFilterType>(t));
    const int pos = FilterUti::getDefaultRezoId(f);
    ASSERT_GE(pos, 0) << t;
    EXPECT_EQ(f->getParamInfo(pos).getId(), expectedId[t]) << t;
  }
  EXPECT_EQ(FilterUti::getDefaultRezoId(nullptr), -1);
  // A design without any of those parameters.
  std::unique_ptr<Dsp::Filter> plain(
      new Dsp::SmoothedFilterDesign<Dsp::Butterworth::Design::LowPass<2>, 2, Dsp::DirectFormII>(
          512));
  EXPECT_EQ(FilterUti::getDefaultRezoId(plain.get()), -1);
}

}  // namespace
