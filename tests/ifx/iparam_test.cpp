#include "IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Display(const IParam& p, double v, bool normalized, bool withTexts = true) {
  char buf[IParam::kDisplayLen];
  p.GetDisplayForHost(v, normalized, buf, withTexts);
  return buf;
}

struct PrecisionCase {
  double step;
  int precision;
};

class ParamPrecision : public ::testing::TestWithParam<PrecisionCase> {};

TEST_P(ParamPrecision, ComesFromTheStep) {
  IParam p;
  p.InitDouble("x", 0.0, 0.0, 1.0, GetParam().step);
  EXPECT_EQ(p.GetPrecision(), GetParam().precision);
}

INSTANTIATE_TEST_SUITE_P(Steps, ParamPrecision,
                         ::testing::Values(PrecisionCase{1.0, 0}, PrecisionCase{0.1, 1},
                                           PrecisionCase{0.2, 1}, PrecisionCase{0.5, 1},
                                           PrecisionCase{0.25, 2}, PrecisionCase{0.01, 2},
                                           PrecisionCase{0.001, 3}, PrecisionCase{1.0 / 3.0, 6},
                                           PrecisionCase{1.0 / 12.0, 6}, PrecisionCase{1e-7, 6}),
                         [](const ::testing::TestParamInfo<PrecisionCase>& info) {
                           return "case" + std::to_string(info.index) + "_precision" +
                                  std::to_string(info.param.precision);
                         });

TEST(IParam, InitialisersSetRangeStepAndDefault) {
  IParam b, e1, i, d;
  b.InitBool("b", true, "", "g");
  EXPECT_EQ(b.Type(), IParam::kTypeBool);
  EXPECT_EQ(b.Value(), 1.0);
  EXPECT_EQ(b.GetDefault(), 1.0);
  EXPECT_EQ(b.GetMin(), 0.0);
  EXPECT_EQ(b.GetMax(), 1.0);
  EXPECT_EQ(b.GetNDisplayTexts(), 2);

  e1.InitEnum("e", 0, 1);  // a single choice still spans 0..1
  EXPECT_EQ(e1.Type(), IParam::kTypeEnum);
  EXPECT_EQ(e1.GetMax(), 1.0);

  i.InitInt("i", 3, 5, 5);  // the maximum is at least minimum + 1
  EXPECT_EQ(i.Type(), IParam::kTypeInt);
  EXPECT_EQ(i.GetMin(), 5.0);
  EXPECT_EQ(i.GetMax(), 6.0);
  EXPECT_EQ(i.Value(), 3.0);

  d.InitDouble("d", 0.5, 2.0, 1.0, 0.25, "Hz", "g", 0.0);  // shape 0 keeps the shape
  EXPECT_EQ(d.GetMax(), 2.25);
  EXPECT_EQ(d.GetShape(), 1.0);
  // A later initialiser keeps the first value type.
  d.InitInt("d", 1, 0, 4);
  EXPECT_EQ(d.Type(), IParam::kTypeDouble);
}

TEST(IParam, SetNormalizedRoundsCapsButDoesNotRaiseToTheMinimum) {
  IParam i, d;
  i.InitInt("i", 0, 0, 10);
  i.SetNormalized(1.3);
  EXPECT_EQ(i.Value(), 10.0);
  i.SetNormalized(0.46);
  EXPECT_EQ(i.Value(), 5.0);

  d.InitDouble("d", 0.0, 0.0, 1.0, 0.01);
  d.SetNormalized(-0.5);
  EXPECT_EQ(d.Value(), -0.5);
}

TEST(IParam, ShapeBendsBothConversions) {
  IParam p;
  p.InitDouble("s", 0.0, 10.0, 20.0, 0.01, "", "", 2.0);
  p.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(p.Value(), 12.5);
  EXPECT_DOUBLE_EQ(p.GetNormalized(), 0.5);
  EXPECT_EQ(p.GetNormalized(5.0), 0.0);
  EXPECT_EQ(p.GetNormalized(25.0), 1.0);
}

TEST(IParam, DisplayTexts) {
  IParam b, d, e;
  b.InitBool("b", true);
  EXPECT_EQ(Display(b, 1.0, false), "on");
  EXPECT_EQ(Display(b, 1.0, false, false), "1");
  EXPECT_STREQ(b.GetLabelForHost(), "");

  d.InitDouble("d", 0.0, -12.0, 12.0, 0.001, "dB");
  EXPECT_EQ(Display(d, 0.5, true), "0.000");
  EXPECT_EQ(Display(d, 3.25, false), "3.250");
  EXPECT_STREQ(d.GetLabelForHost(), "dB");
  d.NegateDisplay();
  EXPECT_EQ(Display(d, 3.25, false), "-3.250");

  e.InitEnum("e", 0, 3, "x");
  e.SetDisplayText(0, "zero");
  e.SetDisplayText(2, "");  // an empty text falls back to the number
  e.SetDisplayText(0, "again");
  EXPECT_EQ(Display(e, 0.0, false), "zero");
  EXPECT_EQ(Display(e, 2.0, false), "2");
  EXPECT_STREQ(e.GetLabelForHost(), "");
  int v = -1;
  EXPECT_STREQ(e.GetDisplayTextAtIdx(2, &v), "again");
  EXPECT_EQ(v, 0);
  EXPECT_STREQ(e.GetDisplayTextAtIdx(3, &v), "");
  EXPECT_TRUE(e.MapDisplayText("again", &v));
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(e.MapDisplayText("Zero", &v));
}

TEST(IParam, TextsLongerThanTheirFieldsAreCutAndTerminated) {
  const std::string longText(100, 'n');
  IParam p;
  p.InitDouble(longText.c_str(), 0.0, 0.0, 1.0, 0.1, longText.c_str(), longText.c_str());
  p.SetDisplayText(7, longText.c_str());
  EXPECT_EQ(std::string(p.GetNameForHost()), longText.substr(0, 31));
  EXPECT_EQ(std::string(p.GetParamGroupForHost()), longText.substr(0, 31));
  EXPECT_EQ(std::string(p.GetDisplayText(7)), longText.substr(0, 31));
  EXPECT_EQ(std::string(p.GetLabelForHost()), longText.substr(0, 31));
}

TEST(IParam, NaNNeverBecomesAValue) {
  IParam i;
  i.InitInt("i", 4, 0, 10);
  i.SetNormalized(kNaN);
  i.Set(kNaN);
  EXPECT_EQ(i.Value(), 4.0);
  EXPECT_EQ(i.Int(), 4);

  IParam d;  // a negative normalised value under a fractional shape has no value
  d.InitDouble("d", 0.25, 0.0, 1.0, 0.01, "", "", 0.5);
  d.SetNormalized(-1.0);
  EXPECT_EQ(d.Value(), 0.25);
}

TEST(IParam, DisplayOfValuesBeyondTheIntRangeIsBounded) {
  IParam p;
  p.InitDouble("big", 0.0, -1e300, 1e300, 1.0);
  EXPECT_EQ(Display(p, 1e300, false), "2147483647");
  EXPECT_EQ(Display(p, kNaN, false), "0");
  IParam q;
  q.InitDouble("wide", 0.0, -1e300, 1e300, 0.000001);
  char buf[IParam::kDisplayLen];
  q.GetDisplayForHost(1e300, false, buf);
  EXPECT_EQ(strlen(buf), static_cast<size_t>(IParam::kDisplayLen - 1));
}

}  // namespace
