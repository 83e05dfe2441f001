#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <limits>
#include <string>

#include "IFxMidi.h"
#include "IFxUtil.h"

namespace {

TEST(IMidiMsg, MakersPackStatusAndData) {
  IMidiMsg m(99, 1, 2, 3);
  m.MakeNoteOnMsg(60, 100, 12, 3);
  EXPECT_EQ(m.mStatus, 0x93);
  EXPECT_EQ(m.mData1, 60);
  EXPECT_EQ(m.mData2, 100);
  EXPECT_EQ(m.mOffset, 12);

  m.MakeNoteOffMsg(61, 5, 15);
  EXPECT_EQ(m.mStatus, 0x8F);
  EXPECT_EQ(m.mData2, 0);

  m.MakeControlChangeMsg(IMidiMsg::kPan, 0.5, 1);
  EXPECT_EQ(m.mStatus, 0xB1);
  EXPECT_EQ(m.mData1, 10);
  EXPECT_EQ(m.mData2, 63);
  EXPECT_EQ(m.mOffset, 0);
  EXPECT_DOUBLE_EQ(m.ControlChange(IMidiMsg::kPan), 63 / 127.0);
  EXPECT_EQ(m.ControlChange(IMidiMsg::kModWheel), -1.0);
  // A data byte keeps its top bit clear whatever the value.
  m.MakeControlChangeMsg(IMidiMsg::kPan, 3.0);
  EXPECT_EQ(m.mData2, 127);
  m.MakeControlChangeMsg(IMidiMsg::kPan, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(m.mData2, 0);
}

struct WheelCase {
  double value;
  int data1, data2;
};

class PitchWheel : public ::testing::TestWithParam<WheelCase> {};

TEST_P(PitchWheel, Packs14Bits) {
  IMidiMsg m;
  m.MakePitchWheelMsg(GetParam().value, 2);
  EXPECT_EQ(m.mStatus, 0xE2);
  EXPECT_EQ(m.mData1, GetParam().data1);
  EXPECT_EQ(m.mData2, GetParam().data2);
}

INSTANTIATE_TEST_SUITE_P(Values, PitchWheel,
                         ::testing::Values(WheelCase{0.0, 0, 64}, WheelCase{1.0, 127, 127},
                                           WheelCase{-1.0, 0, 0}, WheelCase{0.5, 0, 96},
                                           WheelCase{-2.0, 0, 0}, WheelCase{5.0, 127, 127}),
                         [](const ::testing::TestParamInfo<WheelCase>& info) {
                           return "case" + std::to_string(info.index);
                         });

TEST(IMidiMsg, DecodesStatusKinds) {
  EXPECT_EQ(IMidiMsg(0, 0xF8).StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(IMidiMsg(0, 0x13).StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(IMidiMsg(0, 0x93).StatusMsg(), IMidiMsg::kNoteOn);
  EXPECT_EQ(IMidiMsg(0, 0x93).Channel(), 3);

  const IMidiMsg cc(0, 0xB0, 7, 100), note(0, 0x90, 64, 90), poly(0, 0xA0, 64, 33);
  const IMidiMsg prog(0, 0xC0, 12), touch(0, 0xD0, 77), wheel(0, 0xE0, 0, 64);
  EXPECT_EQ(cc.NoteNumber(), -1);
  EXPECT_EQ(cc.Velocity(), -1);
  EXPECT_EQ(note.NoteNumber(), 64);
  EXPECT_EQ(note.Velocity(), 90);
  EXPECT_EQ(poly.NoteNumber(), 64);
  EXPECT_EQ(poly.PolyAfterTouch(), 33);
  EXPECT_EQ(poly.Velocity(), -1);
  EXPECT_EQ(prog.Program(), 12);
  EXPECT_EQ(touch.ChannelAfterTouch(), 77);
  EXPECT_EQ(note.Program(), -1);
  EXPECT_EQ(wheel.PitchWheel(), 0.0);
  EXPECT_EQ(IMidiMsg(0, 0xE0, 127, 127).PitchWheel(), 8191.0 / 8192.0);
  EXPECT_EQ(cc.PitchWheel(), 0.0);

  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kNone), "none");
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kChannelAftertouch), "channelaftertouch");
  EXPECT_STREQ(StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(3)), "unknown");
  EXPECT_STREQ(StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(15)), "unknown");
}

TEST(SysExStr, WritesAsManyBytesAsFit) {
  const uint8_t bytes[] = {0xF0, 0x7e, 0x01, 0xF7};
  char out[64];
  EXPECT_STREQ(SysExStr(out, 7, bytes, 4), "F0 7E");
  EXPECT_STREQ(SysExStr(out, 64, bytes, 4), "F0 7E 01 F7");
  EXPECT_STREQ(SysExStr(out, 64, bytes, 0), "");
}

struct HostCase {
  const char* name;
  EHost host;
  const char* displayName;
};

class HostLookUp : public ::testing::TestWithParam<HostCase> {};

TEST_P(HostLookUp, FindsTheFirstSearchWordInTheName) {
  const HostCase& c = GetParam();
  EXPECT_EQ(LookUpHost(c.name), c.host);
  char out[kMaxHostNameLen];
  GetHostNameStr(c.host, out);
  EXPECT_STREQ(out, c.displayName);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostLookUp,
    ::testing::Values(HostCase{"SONAR by CAKEWALK", kHostSonar, "Sonar"},
                      HostCase{"Olive", kHostAbletonLive, "Live"},
                      HostCase{"standalone", kHostStandalone, "Standalone"},
                      HostCase{"", kHostUnknown, "Unknown"},
                      HostCase{"Melodyne", kHostMelodyne, "Unknown"},
                      // "cubase" is searched before "nuendo"
                      HostCase{"Nuendo Cubase", kHostCubase, "Cubase"},
                      // "digital" before "protools"
                      HostCase{"ProTools Digital", kHostDigitalPerformer, "DigitalPerformer"},
                      HostCase{"VST3PluginTestHost", kHostVST3TestHost, "VST3PluginTestHost"},
                      HostCase{"OpenMPT", kHostOpenMPT, "OpenMPT"}),
    [](const ::testing::TestParamInfo<HostCase>& info) {
      return "case" + std::to_string(info.index) + "_id" + std::to_string(info.param.host);
    });

TEST(HostNames, IdsWithoutNameOrOutOfRangeAreUnknown) {
  char out[kMaxHostNameLen];
  for (int id : {0, 10, 11, 19, 31, -1, 1000}) {
    GetHostNameStr(static_cast<EHost>(id), out);
    EXPECT_STREQ(out, "Unknown") << id;
  }
  GetHostNameStr(kHostVegas, out);
  EXPECT_STREQ(out, "Vegas");
  EXPECT_EQ(LookUpHost(std::string(300, 'x').append("reaper").c_str()), kHostUnknown);
}

TEST(Versions, PartsDecimalAndText) {
  const int v = 1 << 16 | 2 << 8 | 3;
  int major, minor, release;
  GetVersionParts(v, &major, &minor, &release);
  EXPECT_EQ(major, 1);
  EXPECT_EQ(minor, 2);
  EXPECT_EQ(release, 3);
  EXPECT_EQ(GetDecimalVersion(v), 10203);
  char out[32];
  GetVersionStr(v, out);
  EXPECT_STREQ(out, "v1.2.3");
  EXPECT_STREQ(GetAPINameStr(kAPIStandalone), "Standalone");
  EXPECT_STREQ(GetAPINameStr(6), "");
}

TEST(Base64, EncodesAndDecodesWithPadding) {
  const unsigned char bytes[] = {'M', 'a', 'n', 0xFF, 0x00};
  KIT_String text;
  for (int n = 0; n <= 5; ++n) {
    Base64Encode(bytes, n, &text);
    unsigned char back[8] = {};
    EXPECT_EQ(Base64Decode(text.Get(), back, n), n) << n;
    EXPECT_EQ(memcmp(back, bytes, n), 0) << n;
  }
  Base64Encode(bytes, 3, &text);
  EXPECT_STREQ(text.Get(), "TWFu");
  Base64Encode(bytes, 4, &text);
  EXPECT_STREQ(text.Get(), "TWFu/w==");
  unsigned char out[4] = {9, 9, 9, 9};
  EXPECT_EQ(Base64Decode("TWFu", out, 2), 2);  // never past the given size
  EXPECT_EQ(out[2], 9);
}

TEST(Utilities, TextHelpers) {
  EXPECT_TRUE(IsWhitespace(' '));
  EXPECT_TRUE(IsWhitespace('\r'));
  EXPECT_FALSE(IsWhitespace('x'));
  char lower[16];
  ToLower(lower, "MiXeD 42");
  EXPECT_STREQ(lower, "mixed 42");

  char stamp[16];
  CompileTimestamp("May  3 2026", "12:34:56", stamp);
  EXPECT_STREQ(stamp, "[May 3 12:34]");
  EXPECT_STREQ(AppendTimestamp("Dec 24 2026", "07:08:09", "Build"), "Build [Dec24 07:08]");
  // "YYYYMMDD HH:MM +HHMM": d stands for a digit, s for the sign.
  const std::string now = CurrentTime(), shape = "dddddddd dd:dd sdddd";
  ASSERT_EQ(now.size(), shape.size());
  for (size_t i = 0; i < shape.size(); ++i) {
    if (shape[i] == 'd')
      EXPECT_TRUE(isdigit(static_cast<unsigned char>(now[i]))) << now;
    else if (shape[i] == 's')
      EXPECT_TRUE(now[i] == '+' || now[i] == '-') << now;
    else
      EXPECT_EQ(now[i], shape[i]) << now;
  }

  char buf[4];
  IFxCopyText(buf, "abcdef", sizeof(buf));
  EXPECT_STREQ(buf, "abc");
  IFxCopyText(buf, nullptr, sizeof(buf));
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(IFxTruncToInt(-2.9), -2);
  EXPECT_EQ(IFxTruncToInt(-1e20), std::numeric_limits<int>::min());
}

}  // namespace
