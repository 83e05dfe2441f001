// The program model: tags, keys and record values, reading and writing by
// tag, the constructor's program and the preset data vector.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "Distortion.h"
#include "programs/HarshbloomProgram.h"
#include "reference.h"
#include "test_provider.h"

using Rawnfield::HarshbloomProgram;
using Rawnfield::RNFxProgram;
namespace H = Rawnfield::Harshbloom;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(ProgramModel, EveryTagHasItsKeyAndAddressesItsRecordValue) {
  const auto tags = referenceTags();
  ASSERT_EQ(tags.size(), 85u);
  for (const TagRow& row : tags) {
    HarshbloomProgram p;
    const H::eParameterTags tag = tagOf(row.tag);
    ASSERT_NE(p.getParameterNameText(tag), nullptr) << row.tag;
    EXPECT_STREQ(p.getParameterNameText(tag), row.key.c_str());
    EXPECT_EQ(p.getParameterTag(row.key), tag) << row.key;

    // Writing through the tag changes exactly the record value the table
    // names, and reading through the tag reads it.
    RNFxProgram before = p.getProgram();
    p.setParameterValue(tag, 0.4375);
    double* expected = slotValue(p.getProgram(), row.slot);
    if (row.slot.kind == Slot::kNone) {
      EXPECT_EQ(p.getParameterValue(tag), 0.0) << row.key;
    } else {
      ASSERT_NE(expected, nullptr) << row.key;
      EXPECT_EQ(*expected, 0.4375) << row.key;
      EXPECT_EQ(p.getParameterValue(tag), 0.4375) << row.key;
      *slotValue(before, row.slot) = 0.4375;
    }
    for (int i = 0; i < RNFxProgram::kNumValues; ++i)
      EXPECT_EQ(bitsOf(*p.getProgram().valueAt(i)), bitsOf(*before.valueAt(i))) << row.key << " " << i;
    EXPECT_EQ(p.getProgram().volume.value, before.volume.value) << row.key;
    EXPECT_EQ(p.getProgram().limiterLevel.value, before.limiterLevel.value) << row.key;
  }
}

TEST(ProgramModel, CodeNames) {
  const auto tags = referenceTags();
  HarshbloomProgram p;
  for (const TagRow& row : tags) {
    if (row.tag != H::kDistoBandGain) {
      EXPECT_STREQ(p.getParameterCodeName(tagOf(row.tag)), row.codeName.c_str());
    }
  }
  EXPECT_STRNE(p.getParameterCodeName(H::kDistoBandGain), p.getParameterCodeName(H::kDistoBandCutoff));
  EXPECT_STREQ(p.getParameterCodeName(H::kNoParameter), "Unknown");
}

TEST(ProgramModel, ParameterListHasOneEntryPerTag) {
  HarshbloomProgram p;
  const auto& list = p.getParameterList();
  ASSERT_EQ(list.size(), 85u);
  std::set<std::string> keys;
  for (size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].tag, tagOf(static_cast<int>(i)));
    EXPECT_EQ(list[i].value, 0.0);
    EXPECT_TRUE(keys.insert(list[i].name).second) << list[i].name;
  }
  EXPECT_EQ(list[65].name, "Reserved_01");
  EXPECT_EQ(list[84].name, "Reserved_20");
  EXPECT_EQ(p.getParameterNameText(H::kNoParameter), nullptr);
}

TEST(ProgramModel, KeyLookupIsExact) {
  HarshbloomProgram p;
  EXPECT_EQ(p.getParameterTag("HighMidAmount"), H::kHighMidAmount);
  EXPECT_EQ(p.getParameterTag("Reserved_07"), tagOf(71));
  for (const char* key : {"highmidamount", "", "HighMidAmount ", " HighMidAmount", "HighMidAmoun",
                          "Name", "Reserved_00", "Reserved_21"})
    EXPECT_EQ(p.getParameterTag(key), H::kNoParameter) << '"' << key << '"';
  EXPECT_EQ(p.getParameterTag(std::string("Gate\0x", 6)), H::kNoParameter);
}

TEST(ProgramModel, WritesAreClampedAndReservedTagsIgnored) {
  struct Case {
    int tag;
    double written;
    double read;
  } cases[] = {
      {H::kHighMidAmount, 0.8, 0.8},
      {H::kQuantization, 1.7, 1.0},
      {H::kQuantization, -0.2, 0.0},
      {H::kVolume, 2.0, 1.0},
      {H::kLimiterLevel, -1.0, 0.0},
      {H::kGate, std::numeric_limits<double>::infinity(), 1.0},
      {H::kGate, -std::numeric_limits<double>::infinity(), 0.0},
      {70, 0.3, 0.0},
      {H::kNoParameter, 0.3, 0.0},
      {-1, 0.3, 0.0},
  };
  for (const Case& c : cases) {
    HarshbloomProgram p;
    const RNFxProgram before = p.getProgram();
    p.setParameterValue(tagOf(c.tag), c.written);
    EXPECT_EQ(p.getParameterValue(tagOf(c.tag)), c.read) << c.tag << " " << c.written;
    if (c.tag < 0 || c.tag >= H::kNumProgramValues) {
      for (int i = 0; i < RNFxProgram::kNumValues; ++i)
        EXPECT_EQ(bitsOf(*p.getProgram().valueAt(i)), bitsOf(*before.valueAt(i))) << c.tag;
    }
  }
}

// A NaN would reach the units' integer conversions: it keeps the previous
// value everywhere but in the output filter value, whose default is NaN.
TEST(ProgramModel, NaNKeepsThePreviousValueExceptForTheOutputFilter) {
  for (int t = 0; t < H::kNumProgramValues; ++t) {
    HarshbloomProgram p;
    p.setParameterValue(tagOf(t), 0.625);
    p.setParameterValue(tagOf(t), kNaN);
    if (t == H::kHqFilter)
      EXPECT_TRUE(std::isnan(p.getParameterValue(tagOf(t))));
    else
      EXPECT_EQ(p.getParameterValue(tagOf(t)), 0.625) << t;
  }
}

TEST(ProgramModel, ConstructorProgramDiffersFromTheRecordDefaultsInSixValues) {
  HarshbloomProgram p;
  EXPECT_EQ(p.getProgramName(), "Basic Distortion");
  const std::map<std::string, double> changed = {
      {"Quantization", 0.0},       {"FilterType", 1.0},           {"FilterCutoff", 0.0},
      {"DistortionLoudness", 0.0}, {"DistortionInterpMode", 0.0}, {"Volume", 0.5},
  };
  RNFxProgram defaults;
  for (const TagRow& row : referenceTags()) {
    if (row.slot.kind == Slot::kNone) continue;
    const auto it = changed.find(row.key);
    const double expect = it != changed.end() ? it->second : *slotValue(defaults, row.slot);
    EXPECT_EQ(bitsOf(p.getParameterValue(tagOf(row.tag))), bitsOf(expect)) << row.key;
  }
}

TEST(ProgramModel, NamedRecordsGetTheirNamesTagsAndKeys) {
  HarshbloomProgram p;
  const RNFxProgram& r = p.getProgram();
  struct Expect {
    const Rawnfield::NamedParameter& n;
    const char* displayName;
    H::eParameterTags tag;
    const char* key;
  } expect[] = {
      {r.limiterLevel, "Output Limiter Level", H::kLimiterLevel, "LimiterLevel"},
      {r.limiterMode, "Output Limiter Mode", H::kLimiterMode, "LimiterMode"},
      {r.autoMakeUp, "Auto Make-Up", H::kAutoMakeUp, "AutoMakeUp"},
      {r.oversampling, "Oversampling Mode", H::kOversampling, "Oversampling"},
      {r.volume, "Output Volume", H::kVolume, "Volume"},
  };
  for (const Expect& e : expect) {
    EXPECT_EQ(e.n.displayName, e.displayName);
    EXPECT_EQ(e.n.tag, e.tag);
    EXPECT_EQ(e.n.key, e.key);
  }
  // They travel with copies of the program.
  HarshbloomProgram copy(p);
  EXPECT_EQ(copy.getProgram().oversampling.displayName, "Oversampling Mode");
}

TEST(ProgramModel, ProgramName) {
  HarshbloomProgram p;
  p.setProgramName(nullptr);
  EXPECT_EQ(p.getProgramName(), "Basic Distortion");
  const std::string longName(300, 'x');
  p.setProgramName(longName.c_str());
  EXPECT_EQ(p.getProgramName(), longName);
}

TEST(ProgramModel, DataVectorIsTheTypesCurveThenTheParameters) {
  Rawnfield::Distortion unit(testProvider());
  unit.init();
  struct Case {
    double type;
    int curveOf;
  } cases[] = {
      {0.5, 21},
      {0.0, 0},
      {3.0 / 42.0, 3},
      {1.0, 42},  // the type control's top position has a curve of its own
  };
  for (const Case& c : cases) {
    HarshbloomProgram p;
    p.setParameterValue(H::kDistortionType, c.type);
    p.setParameterValue(H::kGate, 0.125);
    const std::vector<double> data = p.getDataVector(unit);
    ASSERT_EQ(data.size(), 597u);
    const std::vector<double> curve =
        unit.getDataVector(static_cast<Rawnfield::Types::eDistortionType>(c.curveOf));
    ASSERT_EQ(curve.size(), 512u);
    for (int i = 0; i < 512; ++i) ASSERT_EQ(data[i], curve[i]) << c.type << " at " << i;
    for (int t = 0; t < 85; ++t)
      EXPECT_EQ(bitsOf(data[512 + t]), bitsOf(p.getParameterValue(tagOf(t)))) << t;
    EXPECT_EQ(data[512 + H::kDistortionType], c.type);
    EXPECT_EQ(data[512 + H::kGate], 0.125);
  }
}

TEST(ProgramModel, DataVectorOfAStrayTypeValueUsesTypeZero) {
  Rawnfield::Distortion unit(testProvider());
  unit.init();
  const std::vector<double> linear = unit.getDataVector(Rawnfield::Types::kLinear);
  for (double stray : {kNaN, -0.5}) {
    HarshbloomProgram p;
    p.getProgram().distortion.type = stray;
    const std::vector<double> data = p.getDataVector(unit);
    ASSERT_EQ(data.size(), 597u);
    EXPECT_TRUE(std::equal(linear.begin(), linear.end(), data.begin())) << stray;
  }
}
