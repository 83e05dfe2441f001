// The program in the test process on a JACK server with the dummy driver:
// the stream from start-up, Preferences restarting it or not, saved devices
// that are gone, the server going away and coming back, and Quit while
// audio runs.

#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
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

// A JACK client of the test that plays a tone into the program's inputs and
// keeps the loudest sample that comes back from its outputs.
class Listener {
public:
  ~Listener() { Close(); }
  // Opens on the running server and connects to the program's stream.
  bool Open() {
    Close();
    mPeak = 0.0f;
    mClient = OpenStereoClient("hblisten", mPorts);
    if (!mClient) return false;
    jack_set_process_callback(mClient, &Listener::Process, this);
    return jack_activate(mClient) == 0 && ConnectToHostStream(mClient, mPorts);
  }
  void Close() { CloseStereoClient(&mClient); }
  float TakePeak() { return mPeak.exchange(0.0f); }

private:
  static int Process(jack_nframes_t n, void* arg) {
    Listener* self = static_cast<Listener*>(arg);
    float peak = 0.0f;
    for (int ch = 0; ch < 2; ++ch) {
      float* out = static_cast<float*>(jack_port_get_buffer(self->mPorts[ch], n));
      const float* in = static_cast<float*>(jack_port_get_buffer(self->mPorts[2 + ch], n));
      for (jack_nframes_t i = 0; i < n; ++i) {
        out[i] = 0.5f * std::sin(0.0627f * static_cast<float>(self->mFrame + i));
        peak = std::max(peak, std::fabs(in[i]));
      }
    }
    self->mFrame += n;
    float old = self->mPeak.load();
    while (peak > old && !self->mPeak.compare_exchange_weak(old, peak)) {
    }
    return 0;
  }

  jack_client_t* mClient = nullptr;
  jack_port_t* mPorts[4] = {};
  std::atomic<float> mPeak{0.0f};
  uint64_t mFrame = 0;
};

// Turns the program's loop with its clock in step with the real one, until
// pred() or `seconds` of real time passed; false on time-out.
bool RunUntil(const std::function<bool()>& pred, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    plat::app().runFor(0.05);
  }
  return true;
}

std::string WindowTitle() { return SHIM_View(gHWND)->window()->title(); }

// The server is killed while the program plays and started again under its
// name, at the same rate or another: sound comes back by itself within 5 s.
class ServerComesBack : public ProgramOnJack, public ::testing::WithParamInterface<int> {};

TEST_P(ServerComesBack, SoundReturnsWithinFiveSeconds) {
  const int rate = GetParam();
  Start();
  ASSERT_TRUE(WaitForCallbacks(60));
  Listener listener;
  ASSERT_TRUE(listener.Open());
  ASSERT_TRUE(RunUntil([&] { return listener.TakePeak() > 0.01f; }, 20)) << "no sound at first";
  listener.Close();

  const std::string name = server.Name();
  testing::internal::CaptureStderr();
  server.Kill();
  // Noticed within the watch's period, said once, shown in the title.
  EXPECT_TRUE(RunUntil([] { return !AudioStoppedReason().empty(); }, 5));
  EXPECT_FALSE(StreamRunning());
  EXPECT_NE(WindowTitle().find("audio stopped"), std::string::npos) << WindowTitle();
  RunUntil([] { return false; }, 3);  // retries meet no server

  std::string error;
  ASSERT_TRUE(server.Start(&error, name, rate)) << error;
  const auto back = std::chrono::steady_clock::now();
  bool connected = false;
  RunUntil([&] {
    if (!StreamRunning()) return false;
    if (!connected) connected = listener.Open();  // the program's ports are new
    return connected && listener.TakePeak() > 0.01f;
  }, 20);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - back).count();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(connected && seconds < 5.0) << "sound came back after " << seconds << " s\n" << err;
  EXPECT_EQ(atoi(gState->mAudioSR), rate);
  EXPECT_EQ(WindowTitle(), "Harshbloom");
  EXPECT_EQ(AudioStoppedReason(), "");
  size_t said = 0;
  for (size_t at = 0; (at = err.find("Audio stopped:", at)) != std::string::npos; ++at) ++said;
  EXPECT_EQ(said, 1u) << err;
  EXPECT_NE(err.find("Audio plays again"), std::string::npos) << err;
  // The settings file keeps the rate that was saved.
  EXPECT_NE(readText(SettingsFile()).find("sr=44100\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Rates, ServerComesBack, ::testing::Values(44100, 48000),
                         [](const ::testing::TestParamInfo<int>& i) {
                           return i.param == 44100 ? std::string("SameRate") : "OtherRate";
                         });

// Preferences while the stream is lost: Apply finds the server that came
// back at another rate and shows that rate; OK alone starts a stream that
// does not run.
TEST_F(ProgramOnJack, PreferencesRestartALostStream) {
  Start();
  ASSERT_TRUE(WaitForCallbacks(60));
  const std::string name = server.Name();
  server.Kill();
  ASSERT_TRUE(RunUntil([] { return !AudioStoppedReason().empty(); }, 5));

  HWND dlg = OpenPreferences();
  SendMessage(dlg, WM_COMMAND, IDC_BUTTON_APPLY, 0);  // no server: fails cleanly
  EXPECT_FALSE(StreamRunning());

  std::string error;
  ASSERT_TRUE(server.Start(&error, name, 48000)) << error;
  SendMessage(dlg, WM_COMMAND, IDC_BUTTON_APPLY, 0);
  EXPECT_TRUE(StreamRunning());
  EXPECT_EQ(Items(dlg, IDC_COMBO_AUDIO_SR), (std::vector<std::string>{"48000"}));
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_SR), 0);
  EXPECT_TRUE(WaitForCallbacks(60));
  SendMessage(dlg, WM_COMMAND, IDOK, 0);

  // Lost again; the server returns; OK without a change starts it.
  server.Kill();
  ASSERT_TRUE(RunUntil([] { return !AudioStoppedReason().empty(); }, 5));
  ASSERT_TRUE(server.Start(&error, name, 48000)) << error;
  dlg = OpenPreferences();
  SendMessage(dlg, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(StreamRunning());
  EXPECT_EQ(AudioStoppedReason(), "");
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
