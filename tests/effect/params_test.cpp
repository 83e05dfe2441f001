// The 85 parameters as the effect registers them without an editor: names,
// groups, labels, ranges, display precision, defaults and program-file keys.
#include <cmath>
#include <cstdio>

#include "HarshbloomParams.h"
#include "effect_fixture.h"
#include "expected_params.h"

using namespace expected;

namespace {

int precisionOf(double step) {
  if (step == 0.001) return 3;
  if (step == 0.2 || step == 0.5) return 1;
  if (step == 0.25) return 2;
  if (step == 1.0) return 0;
  return 6;  // thirds and twelfths
}

bool sameValue(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || a == b;
}

}  // namespace

TEST(Parameters, EveryIndexMatchesTheTable) {
  auto plug = makeEffect();
  ASSERT_EQ(plug->NParams(), 85);
  EXPECT_EQ(plug->GetParam(85), nullptr);
  Rawnfield::HarshbloomProgram keys;
  for (int i = 0; i < 65; ++i) {
    SCOPED_TRACE(i);
    const IParam* p = plug->GetParam(i);
    const Expected& e = kTable[i];
    EXPECT_EQ(p->Type(), IParam::kTypeDouble);
    EXPECT_STREQ(p->GetNameForHost(), e.name);
    EXPECT_STREQ(p->GetParamGroupForHost(), e.group);
    EXPECT_STREQ(p->GetLabelForHost(), i == 25 ? "Hz" : "");
    EXPECT_EQ(p->GetStep(), e.step);
    EXPECT_EQ(p->GetPrecision(), precisionOf(e.step));
    EXPECT_EQ(p->GetShape(), 1.0);
    EXPECT_EQ(p->GetNDisplayTexts(), 0);
    EXPECT_TRUE(sameValue(p->GetDefault(), e.def));
    EXPECT_TRUE(sameValue(p->Value(), e.def));
    if (i != 59) {
      EXPECT_EQ(p->GetMin(), 0.0);
      EXPECT_EQ(p->GetMax(), 1.0);
      EXPECT_TRUE(sameValue(p->GetNormalized(), e.def));
    }
    EXPECT_STREQ(keys.getParameterNameText(static_cast<Rawnfield::Harshbloom::eParameterTags>(i)),
                 e.key);
  }
}

TEST(Parameters, ReservedParametersCountNamesFromZeroAndKeysFromOne) {
  auto plug = makeEffect();
  Rawnfield::HarshbloomProgram keys;
  for (int i = 65; i < 85; ++i) {
    SCOPED_TRACE(i);
    const IParam* p = plug->GetParam(i);
    char name[40], key[24];
    snprintf(name, sizeof name, "Reserved Parameter %02d", i - 65);
    snprintf(key, sizeof key, "Reserved_%02d", i - 64);
    EXPECT_STREQ(p->GetNameForHost(), name);
    EXPECT_STREQ(p->GetParamGroupForHost(), "Reserved Group");
    EXPECT_EQ(p->Value(), 0.0);
    EXPECT_EQ(p->GetStep(), 0.001);
    EXPECT_EQ(p->GetMin(), 0.0);
    EXPECT_EQ(p->GetMax(), 1.0);
    EXPECT_STREQ(keys.getParameterNameText(static_cast<Rawnfield::Harshbloom::eParameterTags>(i)),
                 key);
  }
  EXPECT_STREQ(plug->GetParam(65)->GetNameForHost(), "Reserved Parameter 00");
  EXPECT_STREQ(plug->GetParam(84)->GetNameForHost(), "Reserved Parameter 19");
}

TEST(Parameters, LimiterLevelKeepsItsPlainRange) {
  auto plug = makeEffect();
  IParam* p = plug->GetParam(59);
  EXPECT_EQ(p->GetMin(), 0.003981071705534);
  EXPECT_EQ(p->GetMax(), 1.0);
  EXPECT_DOUBLE_EQ(p->GetNormalized(),
                   (0.7079457843841379 - 0.003981071705534) / (1 - 0.003981071705534));
  setParam(*plug, 59, 0.0);
  EXPECT_EQ(p->Value(), 0.003981071705534);
  EXPECT_EQ(plug->getSoftClipper().threshold, 0.003981071705534);
  setParam(*plug, 59, 1.0);
  EXPECT_EQ(p->Value(), 1.0);
}

TEST(Parameters, HighQualityFilterStartsAsQuietNaNThatNoUnitReads) {
  auto plug = makeEffect();
  const double v = plug->GetParam(56)->Value();
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  EXPECT_EQ(bits, 0x7FF8000000000000ull);
  EXPECT_TRUE(std::isnan(plug->getProgram().hqFilter));
}

// No parameter name is cut: the table's names fit the framework's field.
TEST(Parameters, NamesFitTheParameterField) {
  for (int i = 0; i < 65; ++i) EXPECT_LT(std::strlen(HarshbloomParams::row(i)->name), 32u) << i;
  EXPECT_EQ(HarshbloomParams::row(85), nullptr);
  EXPECT_EQ(HarshbloomParams::row(-1), nullptr);
}
