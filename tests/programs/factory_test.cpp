// The factory programs: every value against the reference read separately
// from the program tables, and the facts stated about the list.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "programs/HarshbloomProgram.h"
#include "reference.h"

using Rawnfield::HarshbloomProgram;
namespace H = Rawnfield::Harshbloom;

namespace {

const std::vector<HarshbloomProgram>& factory() {
  static const std::vector<HarshbloomProgram> list = HarshbloomProgram::getFactoryPrograms();
  return list;
}

double value(int entry, H::eParameterTags tag) {
  return factory().at(entry).getParameterValue(tag);
}

void expectSameValues(const HarshbloomProgram& got, const ProgramRow& want) {
  ASSERT_EQ(want.values.size(), 65u);
  EXPECT_EQ(got.getProgramName(), want.name) << want.index;
  for (int t = 0; t < H::kNumProgramValues; ++t) {
    const double v = got.getParameterValue(tagOf(t));
    if (t == H::kHqFilter)
      EXPECT_EQ(bitsOf(v), Rawnfield::RNFxProgram::kHqFilterDefaultBits) << want.name;
    else
      EXPECT_EQ(bitsOf(v), bitsOf(want.values[t])) << want.name << ": tag " << t << " is " << v
                                                  << ", the tables say " << want.values[t];
  }
}

}  // namespace

TEST(FactoryPrograms, EveryValueMatchesTheTables) {
  const auto reference = referencePrograms();
  ASSERT_EQ(reference.size(), 95u);
  ASSERT_EQ(factory().size(), 90u);
  for (size_t i = 0; i < 90; ++i) {
    ASSERT_EQ(reference[i].index, std::to_string(i));
    expectSameValues(factory()[i], reference[i]);
  }
}

TEST(FactoryPrograms, SpareProgramsMatchTheTables) {
  const auto reference = referencePrograms();
  const auto spares = HarshbloomProgram::getSpareFactoryPrograms();
  ASSERT_EQ(spares.size(), 5u);
  for (size_t i = 0; i < spares.size(); ++i) expectSameValues(spares[i], reference[90 + i]);
}

TEST(FactoryPrograms, BuildingTwiceGivesEqualLists) {
  const auto again = HarshbloomProgram::getFactoryPrograms();
  ASSERT_EQ(again.size(), factory().size());
  for (size_t i = 0; i < again.size(); ++i) {
    EXPECT_EQ(again[i].getProgramName(), factory()[i].getProgramName());
    for (int t = 0; t < H::kNumParameters; ++t)
      EXPECT_EQ(bitsOf(again[i].getParameterValue(tagOf(t))), bitsOf(factory()[i].getParameterValue(tagOf(t))));
    // Each entry keeps the model's own list and working directory.
    EXPECT_EQ(again[i].getParameterList().size(), 85u);
    EXPECT_EQ(again[i].getWorkingDirectory(), "");
  }
}

TEST(FactoryPrograms, InitialPresetIsTheBaselineWithFiveChanges) {
  const HarshbloomProgram& first = factory()[0];
  EXPECT_EQ(first.getProgramName(), "Initial Preset (Single-Band)");
  HarshbloomProgram baseline;
  baseline.initCommonParams(1.0, true);
  const std::map<int, double> changed = {
      {H::kVolume, 1.0}, {H::kSubBandProcOnOff, 0.0}, {H::kLimiterMode, 0.0},
      {H::kFilterType, 0.0}, {H::kFilterMode2, 7.0 / 11.0}};
  for (int t = 0; t < H::kNumProgramValues; ++t) {
    const auto it = changed.find(t);
    const double expect = it != changed.end() ? it->second : baseline.getParameterValue(tagOf(t));
    EXPECT_EQ(bitsOf(first.getParameterValue(tagOf(t))), bitsOf(expect)) << t;
  }
  // The only entry with the limiter mode off.
  for (size_t i = 1; i < factory().size(); ++i) EXPECT_EQ(value(i, H::kLimiterMode), 1.0) << i;
}

TEST(FactoryPrograms, BaselineDiffersFromTheRecordDefaultsOnlyInVolumeAndBandMode) {
  for (bool single : {true, false}) {
    HarshbloomProgram p;
    p.initCommonParams(0.3, single);
    Rawnfield::RNFxProgram defaults;
    for (int i = 0; i < Rawnfield::RNFxProgram::kNumValues; ++i) {
      const double expect = i == 37 ? (single ? 0.0 : 1.0) : *defaults.valueAt(i);
      EXPECT_EQ(bitsOf(*p.getProgram().valueAt(i)), bitsOf(expect)) << i;
    }
    EXPECT_EQ(p.getProgram().volume.value, 0.3);
    EXPECT_EQ(p.getProgram().limiterMode.value, 1.0);
  }
}

TEST(FactoryPrograms, ValuesLieInRangeAndSelectionsAreExact) {
  for (const HarshbloomProgram& p : factory()) {
    for (int t = 0; t < H::kNumProgramValues; ++t) {
      const double v = p.getParameterValue(tagOf(t));
      if (t == H::kHqFilter) {
        EXPECT_EQ(bitsOf(v), Rawnfield::RNFxProgram::kHqFilterDefaultBits);
        continue;
      }
      EXPECT_TRUE(v >= 0.0 && v <= 1.0) << p.getProgramName() << " tag " << t << " = " << v;
    }
    const double type = p.getParameterValue(H::kDistortionType);
    const int t = static_cast<int>(std::floor(42.0 * type + 0.5));
    EXPECT_TRUE(t >= 0 && t <= 41) << p.getProgramName();
    EXPECT_EQ(type, t / 42.0) << p.getProgramName();
    for (auto tag : {H::kFilterMode1, H::kFilterMode2}) {
      const double f = p.getParameterValue(tag);
      EXPECT_EQ(f, std::floor(11.0 * f + 0.5) / 11.0) << p.getProgramName();
    }
  }
}

TEST(FactoryPrograms, SectionHeadersStandAtTheHeadOfTheirGroups) {
  const std::map<int, std::string> headers = {
      {13, "### HARDCORE ###"},         {26, "### EXPERIMENTAL ###"},
      {34, "### DIRTY + NOISY ###"},    {39, "### BASS-/KICK DRUMS ###"},
      {44, "### WAVE SHAPERS ###"},     {55, "### DYNAMIC SHAPERS ###"},
      {62, "### DISTORTED SHAPERS ###"}, {87, "### REFORGE ENGINE ###"}};
  for (size_t i = 0; i < factory().size(); ++i) {
    const std::string& name = factory()[i].getProgramName();
    const bool header = name.rfind("### ", 0) == 0;
    EXPECT_EQ(header, headers.count(static_cast<int>(i)) == 1) << i << " " << name;
    if (header) {
      EXPECT_EQ(name, headers.at(static_cast<int>(i)));
    }
  }
}

TEST(FactoryPrograms, StatedDifferencesBetweenEntries) {
  // Quellbrand 2 is its 8-bit version with full quantisation.
  ASSERT_EQ(factory()[12].getProgramName(), "Quellbrand 2");
  ASSERT_EQ(factory()[38].getProgramName(), "Quellbrand 2 (8-bit)");
  for (int t = 0; t < H::kNumProgramValues; ++t) {
    if (t == H::kQuantization || t == H::kHqFilter) continue;
    EXPECT_EQ(value(12, tagOf(t)), value(38, tagOf(t))) << t;
  }
  EXPECT_EQ(value(12, H::kQuantization), 1.0);
  EXPECT_EQ(value(38, H::kQuantization), 0.3333333333);

  // DC offset control switches the units off and bypasses them.
  EXPECT_EQ(value(33, H::kDistortionOnOff), 0.0);
  EXPECT_EQ(value(33, H::kFilterOnOff), 0.0);
  EXPECT_EQ(value(33, H::kEqOnOff), 0.0);
  EXPECT_EQ(value(33, H::kBypassFX), 1.0);
  EXPECT_EQ(value(33, H::kDumpExpand), 0.49);
  EXPECT_EQ(value(33, H::kDistortion), 0.0);

  EXPECT_EQ(value(66, H::kDistortion), 0.4);
  EXPECT_EQ(value(66, H::kDistortionType), 0.0);
  EXPECT_EQ(value(43, H::kDistortionType), 38 / 42.0);
  EXPECT_EQ(value(43, H::kFilterCutoff), 0.50825);

  // Modern Smash is the one REFORGE program with the distortion on.
  EXPECT_EQ(value(87, H::kDistortionOnOff), 0.0);
  EXPECT_EQ(value(88, H::kDistortionOnOff), 0.0);
  EXPECT_EQ(value(89, H::kDistortionOnOff), 1.0);
  EXPECT_EQ(value(89, H::kDistortion), 0.1);
}

TEST(FactoryPrograms, KickProgramsShareTheKickValues) {
  HarshbloomProgram kick;
  kick.initCommonParams(0.5, false);
  kick.initCommonKickParams();
  // Values no kick row or section line overrides.
  for (auto tag : {H::kInputVolume, H::kFilterOnOff, H::kHighMidAmount, H::kHighAmount,
                   H::kSubBandGain, H::kSubBandDistortion, H::kSubBandEqOnOff,
                   H::kSubBandLowMidAmount, H::kSubBandCutoff, H::kSubBandFilterSlope,
                   H::kDistoBandCutoff, H::kDistoBandGain, H::kFilterLink})
    for (int i = 39; i <= 43; ++i) EXPECT_EQ(value(i, tag), kick.getParameterValue(tag)) << i << " " << tag;
  EXPECT_EQ(kick.getParameterValue(H::kDistoBandFilterSlope), 1.0 / 3.0);
  EXPECT_EQ(kick.getParameterValue(H::kSubBandBassAmount), 0.5625);
  EXPECT_EQ(kick.getParameterValue(H::kBassAmount), 0.375);
  EXPECT_EQ(kick.getParameterValue(H::kAutoMakeUp), 1.0);
}
