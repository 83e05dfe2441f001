// The program in the test process on a JACK server with the dummy driver:
// the stream from start-up, Preferences restarting it or not, saved devices
// that are gone, the server going away and coming back, and Quit while
// audio runs.

#include <chrono>
#include <thread>

#include "jack_harness.h"
#include "program_fixture.h"

namespace {

bool StreamRunning() {
  try {
    return gDAC && gDAC->isStreamRunning();
  } catch (const RtAudioError&) {
    return false;
  }
}

// Waits (on the real clock) until the stream has run `callbacks` callbacks
// since its last start.
bool WaitForCallbacks(unsigned callbacks, double seconds = 20) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (gVecElapsed.load() < callbacks) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

class ProgramOnJack : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    ASSERT_GE(JackDriverIndex(), 0);
  }
  void TearDown() override {
    ProgramTest::TearDown();
    server.Stop();
  }
  HWND OpenPreferences() {
    return SHIM_CreateDialog(SHIM_curmodule_dialogresource_head, APP_RESID(IDD_DIALOG_PREF), gHWND,
                             PreferencesDlgProc, 0);
  }
  JackServer server;
};

TEST_F(ProgramOnJack, TheStreamRunsFromStartUpOnTheServersDevices) {
  Start();
  ASSERT_TRUE(StreamRunning());
  EXPECT_TRUE(WaitForCallbacks(60));
  EXPECT_EQ(gState->mAudioDriverType, JackDriverIndex());
  const std::string saved = readText(SettingsFile());
  EXPECT_NE(saved.find("indev=system\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("outdev=system\n"), std::string::npos) << saved;
  EXPECT_EQ(memcmp(gActiveState, gState, sizeof *gState), 0);
}

TEST_F(ProgramOnJack, OkWithoutAChangeKeepsTheStreamApplyAndChangesRestartIt) {
  Start();
  ASSERT_TRUE(WaitForCallbacks(60));
  HWND dlg = OpenPreferences();
  EXPECT_EQ(ItemText(dlg, IDC_COMBO_AUDIO_IN_DEV, 0), "system");
  EXPECT_EQ(Items(dlg, IDC_COMBO_AUDIO_SR), (std::vector<std::string>{"44100"}));
  EXPECT_EQ(Items(dlg, IDC_COMBO_AUDIO_IN_R), (std::vector<std::string>{"1", "2"}));
  SendMessage(dlg, WM_COMMAND, IDOK, 0);
  EXPECT_GE(gVecElapsed.load(), 60u);  // not restarted

  dlg = OpenPreferences();
  SendMessage(dlg, WM_COMMAND, IDC_BUTTON_APPLY, 0);
  EXPECT_LT(gVecElapsed.load(), 30u);  // restarted
  EXPECT_TRUE(StreamRunning());
  SendMessage(dlg, WM_COMMAND, IDCANCEL, 0);  // nothing changed: no restart
  ASSERT_TRUE(WaitForCallbacks(60));

  dlg = OpenPreferences();
  Choose(dlg, IDC_COMBO_AUDIO_SIGVS, 2);  // "64"
  SendMessage(dlg, WM_COMMAND, IDOK, 0);
  EXPECT_LT(gVecElapsed.load(), 30u);
  EXPECT_EQ(gSigVS, 64u);
  EXPECT_TRUE(StreamRunning());
}

TEST_F(ProgramOnJack, SavedDevicesThatAreGoneGiveWayToTheServersOwn) {
  ASSERT_EQ(mkdir(dir.path("cfg").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(dir.path("cfg/Harshbloom").c_str(), 0700), 0);
  writeText(SettingsFile(), "[audio]\ndriver=" + std::to_string(JackDriverIndex()) +
                                "\nindev=USB Gone\noutdev=USB Gone\nin1=5\nin2=6\nsr=22050\n"
                                "iovs=256\n");
  testing::internal::CaptureStderr();
  Start();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(StreamRunning()) << err;
  EXPECT_NE(err.find("\"USB Gone\" is not available"), std::string::npos) << err;
  EXPECT_STREQ(gState->mAudioInDev, "system");
  EXPECT_STREQ(gState->mAudioOutDev, "system");
  EXPECT_EQ(gState->mAudioInChanL, 1);
  EXPECT_EQ(gState->mAudioInChanR, 2);
  EXPECT_STREQ(gState->mAudioSR, "44100");
  EXPECT_STREQ(gState->mAudioIOVS, "256");  // what works is kept
  // The file keeps the saved choice for when the device is back.
  EXPECT_NE(readText(SettingsFile()).find("indev=USB Gone\n"), std::string::npos);
}

TEST_F(ProgramOnJack, ASavedAudioSystemWithoutDevicesGivesWayForTheRun) {
  int other = -1;  // an audio system without a server here
  for (int i = 0; i < NumAudioDrivers() && other < 0; ++i)
    if (i != JackDriverIndex() && GetAudioDriverName(i) != "ALSA") other = i;
  if (other < 0) GTEST_SKIP() << "no second audio system in this build";
  ASSERT_EQ(mkdir(dir.path("cfg").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(dir.path("cfg/Harshbloom").c_str(), 0700), 0);
  writeText(SettingsFile(), "[audio]\ndriver=" + std::to_string(other) +
                                "\nindev=system\noutdev=system\n");
  testing::internal::CaptureStderr();
  Start();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(StreamRunning()) << err;
  EXPECT_EQ(gState->mAudioDriverType, JackDriverIndex());
  EXPECT_NE(err.find("offers no devices; using"), std::string::npos) << err;
  EXPECT_NE(readText(SettingsFile()).find("driver=" + std::to_string(other) + "\n"),
            std::string::npos);
}

TEST_F(ProgramOnJack, TheServerGoingAwayAndComingBack) {
  Start();
  ASSERT_TRUE(WaitForCallbacks(60));
  const std::string name = server.Name();
  server.Stop();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Settle();
  ASSERT_NE(gHWND, nullptr);

  HWND dlg = OpenPreferences();
  SendMessage(dlg, WM_COMMAND, IDC_BUTTON_APPLY, 0);  // no server: fails cleanly
  EXPECT_FALSE(StreamRunning());

  std::string error;
  ASSERT_TRUE(server.Start(&error, name)) << error;
  SendMessage(dlg, WM_COMMAND, IDC_BUTTON_APPLY, 0);
  EXPECT_TRUE(StreamRunning());
  EXPECT_TRUE(WaitForCallbacks(60));
  SendMessage(dlg, WM_COMMAND, IDOK, 0);
}

TEST_F(ProgramOnJack, QuitWhileAudioRuns) {
  Start();
  ASSERT_TRUE(WaitForCallbacks(55));
  SendMessage(gHWND, WM_COMMAND, ID_QUIT, 0);
  Settle();
  EXPECT_TRUE(plat::app().isTerminated());
  EXPECT_EQ(gDAC, nullptr);
  EXPECT_EQ(gPluginInstance, nullptr);
}

}  // namespace
