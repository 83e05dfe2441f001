// The MIDI ports: the input callback's filter, port numbers, the virtual
// input where the system has an ALSA sequencer, and the saved choices kept
// where it has none.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app_main.h"
#include "host_globals.h"
#include "host_test_plug.h"
#include "temp_dir.h"
#include "test_env.h"

namespace {

bool HaveSequencer() { return access("/dev/snd/seq", R_OK | W_OK) == 0; }

class Midi : public ::testing::Test {
protected:
  void SetUp() override {
    gPluginInstance = &plug;
    snprintf(gINIPath, sizeof gINIPath, "%s", (dir.path("settings.ini")).c_str());
    SetAppStateText(gState->mMidiInDev, "My Keyboard");
    SetAppStateText(gState->mMidiOutDev, "My Synth");
    UpdateINI();
  }
  void Send(std::vector<unsigned char> bytes) { MIDICallback(0.0, &bytes, nullptr); }

  TempDir dir;
  HostTestPlug plug;
  HostGlobals host;  // closes the ports before the plug-in goes
};

TEST_F(Midi, TheInputChannelFiltersMessages) {
  struct Case {
    uint16_t channel;
    unsigned char status;
    bool delivered;
  } cases[] = {{0, 0x90, true}, {0, 0x9F, true},  {3, 0x92, true},  {3, 0x93, false},
               {3, 0x80, false}, {16, 0xBF, true}, {16, 0xB0, false}};
  for (const Case& c : cases) {
    gState->mMidiInChan = c.channel;
    const size_t before = plug.Midi().size();
    Send({c.status, 60, 100});
    EXPECT_EQ(plug.Midi().size(), before + (c.delivered ? 1 : 0))
        << "channel " << c.channel << " status " << int(c.status);
  }
}

TEST_F(Midi, MessagesOfOneToThreeBytesAreDeliveredOthersDropped) {
  ::testing::internal::CaptureStdout();
  Send({});
  Send({0xF8});
  Send({0xC1, 5});
  Send({0x90, 64, 127});
  Send({0xF0, 1, 2, 0xF7});
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "NOT EXPECTING 4 midi callback msg len\n");
  const std::vector<IMidiMsg> got = plug.Midi();
  ASSERT_EQ(got.size(), 3u);
  const unsigned char want[3][3] = {{0xF8, 0, 0}, {0xC1, 5, 0}, {0x90, 64, 127}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(got[i].mOffset, 0);
    EXPECT_EQ(got[i].mStatus, want[i][0]);
    EXPECT_EQ(got[i].mData1, want[i][1]);
    EXPECT_EQ(got[i].mData2, want[i][2]);
  }
}

TEST_F(Midi, PortNumbersFollowTheChoiceLists) {
  EXPECT_EQ(GetMIDIInPortNumber("off"), -1);  // nothing listed yet
  gMIDIInputDevNames = {"off", "virtual input", "Keys", "Pads"};
  gMIDIOutputDevNames = {"off", "virtual output", "Synth"};
  struct Case {
    const char* name;
    int in, out;
  } cases[] = {{"off", 0, 0},  {"virtual input", 1, -1}, {"virtual output", -1, 1},
               {"Keys", 2, -1}, {"Pads", 3, -1},         {"Synth", -1, 2},
               {"keys", -1, -1}, {nullptr, -1, -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(GetMIDIInPortNumber(c.name), c.in) << (c.name ? c.name : "null");
    EXPECT_EQ(GetMIDIOutPortNumber(c.name), c.out) << (c.name ? c.name : "null");
  }
}

// MIDI objects that could not be made: nothing opens, and the user's saved
// ports survive for the next start on a system that has them.
TEST_F(Midi, WithoutMidiObjectsTheSavedPortsAreKept) {
  const std::string before = readText(gINIPath);
  EXPECT_FALSE(ChooseMidiInput(gState->mMidiInDev));
  EXPECT_FALSE(ChooseMidiOutput(gState->mMidiOutDev));
  EXPECT_STREQ(gState->mMidiInDev, "My Keyboard");
  EXPECT_STREQ(gState->mMidiOutDev, "My Synth");
  EXPECT_EQ(readText(gINIPath), before);
  ShutDownMidi();
}

TEST_F(Midi, StartingOnThisSystem) {
  const std::string before = readText(gINIPath);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  std::string why;
  const bool ok = InitialiseMidi(&why);
  const std::string err = ::testing::internal::GetCapturedStderr();
  const std::string out = ::testing::internal::GetCapturedStdout();
  ProbeMidiIO();
  if (!HaveSequencer()) {
    printf("no ALSA sequencer (/dev/snd/seq): MIDI is unavailable, checking that the host runs "
           "on without it and keeps the saved ports\n");
    EXPECT_FALSE(ok);
    // The reason for the caller's one line, and nothing printed meanwhile.
    EXPECT_NE(why.find("/dev/snd/seq"), std::string::npos) << why;
    EXPECT_EQ(err + out, "");
    EXPECT_EQ(gMidiIn, nullptr);
    EXPECT_EQ(gMidiOut, nullptr);
    EXPECT_TRUE(gMIDIInputDevNames.empty());
    EXPECT_TRUE(gMIDIOutputDevNames.empty());
    EXPECT_FALSE(ChooseMidiInput(gState->mMidiInDev));
    EXPECT_FALSE(ChooseMidiOutput(gState->mMidiOutDev));
    EXPECT_STREQ(gState->mMidiInDev, "My Keyboard");
    EXPECT_EQ(readText(gINIPath), before);
    return;
  }
  ASSERT_TRUE(ok);
  ASSERT_GE(gMIDIInputDevNames.size(), 2u);
  EXPECT_EQ(gMIDIInputDevNames[0], "off");
  EXPECT_EQ(gMIDIInputDevNames[1], "virtual input");
  EXPECT_EQ(gMIDIOutputDevNames[1], "virtual output");
  // A saved port that is gone switches the side off and rewrites the file.
  EXPECT_TRUE(ChooseMidiInput(gState->mMidiInDev));
  EXPECT_STREQ(gState->mMidiInDev, "off");
  EXPECT_NE(readText(gINIPath).find("[midi]\ninchan=0\nindev=off\n"), std::string::npos);
}

TEST_F(Midi, TheVirtualInputReceivesFromOtherClients) {
  if (!HaveSequencer())
    GTEST_SKIP() << "no ALSA sequencer (/dev/snd/seq) on this system: no MIDI service to send through";
  ASSERT_TRUE(InitialiseMidi());
  ProbeMidiIO();
  SetAppStateText(gState->mMidiInDev, "virtual input");
  ASSERT_TRUE(ChooseMidiInput(gState->mMidiInDev));
  gState->mMidiInChan = 3;

  RtMidiOut sender(RtMidi::LINUX_ALSA, "Harshbloom test sender");
  int port = -1;
  for (unsigned i = 0; i < sender.getPortCount(); ++i)
    if (sender.getPortName(i).find("To " APP_PRODUCT_NAME) != std::string::npos) port = static_cast<int>(i);
  ASSERT_GE(port, 0) << "no port named \"To " APP_PRODUCT_NAME "\"";
  sender.openPort(static_cast<unsigned>(port));
  const std::vector<unsigned char> other = {0x90, 61, 90}, wanted = {0x92, 60, 100};
  sender.sendMessage(&other);
  sender.sendMessage(&wanted);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (plug.Midi().empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const std::vector<IMidiMsg> got = plug.Midi();
  ASSERT_EQ(got.size(), 1u);  // channel 1 is filtered out, channel 3 passes
  EXPECT_EQ(got[0].mStatus, 0x92);
  EXPECT_EQ(got[0].mData1, 60);
  EXPECT_EQ(got[0].mData2, 100);
}

}  // namespace
