// The program record: its defaults bit for bit, the order of its 60 values,
// the named records, copying and the factory recipes.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "BandSplitFilter.h"
#include "programs/RNFxProgram.h"
#include "reference.h"

using Rawnfield::EqProgram;
using Rawnfield::RNFxProgram;
using Rawnfield::SubBandProcProgram;

namespace {

// Every value of a record, plain ones first, then the named ones.
std::vector<double*> allValues(RNFxProgram& p) {
  std::vector<double*> out;
  for (int i = 0; i < RNFxProgram::kNumValues; ++i) out.push_back(p.valueAt(i));
  for (auto* n : {&p.limiterLevel, &p.limiterMode, &p.autoMakeUp, &p.oversampling, &p.volume})
    out.push_back(&n->value);
  return out;
}

}  // namespace

TEST(ProgramRecord, DefaultsMatchTheTableBitForBit) {
  RNFxProgram p;
  const auto rows = referenceRecordDefaults();
  ASSERT_EQ(rows.size(), 65u);
  for (const DefaultRow& row : rows) {
    const double* v = slotValue(p, row.slot);
    ASSERT_NE(v, nullptr) << row.key;
    if (row.key == "HqFilter")
      EXPECT_EQ(bitsOf(*v), RNFxProgram::kHqFilterDefaultBits);
    else
      EXPECT_EQ(bitsOf(*v), bitsOf(row.value)) << row.key << " = " << *v;
  }
}

TEST(ProgramRecord, ValuePositionsAreSixtyDistinctFields) {
  RNFxProgram p;
  std::set<double*> seen;
  for (int i = 0; i < RNFxProgram::kNumValues; ++i) {
    ASSERT_NE(p.valueAt(i), nullptr) << i;
    EXPECT_TRUE(seen.insert(p.valueAt(i)).second) << i;
  }
  EXPECT_EQ(p.valueAt(-1), nullptr);
  EXPECT_EQ(p.valueAt(60), nullptr);
  // The sub-records sit where the fixed order puts them.
  EXPECT_EQ(p.valueAt(4), &p.input.saturationMode);
  EXPECT_EQ(p.valueAt(10), &p.filterBalance);
  EXPECT_EQ(p.valueAt(29), &p.dynShaper.width);
  EXPECT_EQ(p.valueAt(43), &p.subBand.eq.onOff);
  EXPECT_EQ(p.valueAt(52), &p.subBand.filterLink);
  EXPECT_EQ(p.valueAt(59), &p.hqFilter);
}

TEST(ProgramRecord, InitRestoresValuesButKeepsNamedRecordIdentity) {
  RNFxProgram p;
  p.volume.displayName = "Output Volume";
  p.volume.key = "Volume";
  p.volume.tag = Rawnfield::Harshbloom::kVolume;
  for (double* v : allValues(p)) *v = 0.123;
  p.init();
  RNFxProgram fresh;
  const auto a = allValues(p);
  const auto b = allValues(fresh);
  for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(bitsOf(*a[i]), bitsOf(*b[i])) << i;
  EXPECT_EQ(p.volume.displayName, "Output Volume");
  EXPECT_EQ(p.volume.key, "Volume");
  EXPECT_EQ(p.volume.tag, Rawnfield::Harshbloom::kVolume);
}

TEST(ProgramRecord, NamedRecordDefaults) {
  const Rawnfield::NamedParameter n;
  EXPECT_EQ(n.value, 0.0);
  EXPECT_EQ(n.displayName, "Test Parameter");
  EXPECT_EQ(n.tag, 0);
  EXPECT_EQ(n.key, "Test");
}

TEST(ProgramRecord, CopyCarriesEveryValueAndTheNamedRecords) {
  RNFxProgram a;
  const auto values = allValues(a);
  for (size_t i = 0; i < values.size(); ++i)
    if (values[i] != &a.hqFilter) *values[i] = (i + 1) / 128.0;
  a.oversampling.displayName = "Oversampling Mode";
  a.oversampling.key = "Oversampling";
  RNFxProgram b(a);
  RNFxProgram c;
  c = a;
  for (RNFxProgram* copy : {&b, &c}) {
    const auto got = allValues(*copy);
    for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(bitsOf(*got[i]), bitsOf(*values[i])) << i;
    EXPECT_EQ(copy->oversampling.displayName, "Oversampling Mode");
    EXPECT_EQ(copy->oversampling.key, "Oversampling");
  }
  // The NaN default never compares equal by value, only by its bits.
  EXPECT_FALSE(b.hqFilter == a.hqFilter);
  EXPECT_EQ(bitsOf(b.hqFilter), bitsOf(a.hqFilter));
}

struct EqRecipe {
  const char* name;
  void (EqProgram::*apply)();
  double bass, lowMid, highMid, high;
};

TEST(ProgramRecord, EqualiserRecipes) {
  const EqRecipe recipes[] = {
      {"BassRangeCut", &EqProgram::applyBassRangeCutEQ, 0.375, 0.4375, 0.5, 0.5},
      {"ReforgeCleanPunch", &EqProgram::applyReforgeCleanPunchEQ, 0.4375, 0.4584, 0.5, 0.5416},
      {"ModernSmashSubBand", &EqProgram::applyModernSmashSubBandEQ, 0.5208, 0.5, 0.5, 0.5},
      {"ModernSmashDistoBand", &EqProgram::applyModernSmashDistoBandEQ, 0.375, 0.4584, 0.5, 0.5625},
  };
  for (const EqRecipe& r : recipes) {
    EqProgram eq{0.0, 0.9, 0.9, 0.9, 0.9};
    (eq.*r.apply)();
    EXPECT_EQ(eq.onOff, 1.0) << r.name;
    EXPECT_EQ(eq.bass, r.bass) << r.name;
    EXPECT_EQ(eq.lowMid, r.lowMid) << r.name;
    EXPECT_EQ(eq.highMid, r.highMid) << r.name;
    EXPECT_EQ(eq.high, r.high) << r.name;
  }
}

TEST(ProgramRecord, BassRangeBoostWritesAllSeventeenSubBandValues) {
  SubBandProcProgram s;
  double* fields[] = {&s.onOff, &s.channelMode, &s.gain, &s.saturation, &s.saturationMode,
                      &s.distortion, &s.eq.onOff, &s.eq.bass, &s.eq.lowMid, &s.eq.highMid,
                      &s.eq.high, &s.subBandCutoff, &s.subBandSlope, &s.distoBandCutoff,
                      &s.distoBandSlope, &s.filterLink, &s.distoBandGain};
  for (double* f : fields) *f = 0.77;
  s.applyBassRangeBoost();
  const double cut = Rawnfield::BandSplitFilter::kDefaultSubBandCutOffControlValue;
  const double expect[] = {1.0, 0.5, 1.0, 1.0, 0.0, 0.0, 1.0, 0.5625, 0.5,
                           0.5, 0.5, cut, 1.0 / 3.0, cut, 1.0 / 3.0, 1.0, 1.0};
  for (size_t i = 0; i < 17; ++i) EXPECT_EQ(*fields[i], expect[i]) << i;
}

TEST(ProgramRecord, ReforgeConfigKeepsCutoffsAndSlopes) {
  SubBandProcProgram s;
  s.init();
  s.subBandCutoff = 0.11;
  s.subBandSlope = 0.22;
  s.distoBandCutoff = 0.33;
  s.distoBandSlope = 0.44;
  s.channelMode = 0.9;
  s.eq.bass = 0.9;
  s.filterLink = 0.0;
  s.applyReforgeConfig();
  EXPECT_EQ(s.subBandCutoff, 0.11);
  EXPECT_EQ(s.subBandSlope, 0.22);
  EXPECT_EQ(s.distoBandCutoff, 0.33);
  EXPECT_EQ(s.distoBandSlope, 0.44);
  EXPECT_EQ(s.onOff, 1.0);
  EXPECT_EQ(s.channelMode, 0.5);
  EXPECT_EQ(s.gain, 1.0);
  EXPECT_EQ(s.saturation, 0.2);
  EXPECT_EQ(s.saturationMode, 0.0);
  EXPECT_EQ(s.distortion, 0.0);
  EXPECT_EQ(s.eq.bass, 0.5);
  EXPECT_EQ(s.filterLink, 1.0);
  EXPECT_EQ(s.distoBandGain, 1.0);
}
