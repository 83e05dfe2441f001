// The host's audio functions on a real JACK server with the dummy driver:
// probing, the first start, refused settings and the round trip.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Harshbloom.h"
#include "app_main.h"
#include "host_globals.h"
#include "host_test_plug.h"
#include "jack_harness.h"
#include "temp_dir.h"
#include "test_env.h"

namespace {

class HostOnJack : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    sServer = new JackServer;
    if (!sServer->Start(&sError)) {
      delete sServer;
      sServer = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete sServer;
    sServer = nullptr;
  }
  void SetUp() override {
    if (!sServer) GTEST_SKIP() << sError;
  }
  void UseJack() { gState->mAudioDriverType = static_cast<uint16_t>(JackDriverIndex()); }

  static JackServer* sServer;
  static std::string sError;
};
JackServer* HostOnJack::sServer = nullptr;
std::string HostOnJack::sError;

TEST_F(HostOnJack, ProbeListsTheServersDevices) {
  HostGlobals host;
  UseJack();
  ASSERT_TRUE(TryToChangeAudioDriverType());
  ProbeAudioIO();
  const int id = GetAudioDeviceID("system");
  ASSERT_GE(id, 0);
  EXPECT_EQ(GetAudioDeviceName(static_cast<unsigned>(id)), "system");
  EXPECT_EQ(gAudioInputDevs, std::vector<unsigned>{static_cast<unsigned>(id)});
  EXPECT_EQ(gAudioOutputDevs, std::vector<unsigned>{static_cast<unsigned>(id)});
  EXPECT_EQ(GetAudioDeviceID("Built-in Input"), -1);
}

TEST_F(HostOnJack, AFirstStartTakesTheDefaultDevicesAndWritesThemBack) {
  TempDir dir;
  EnvGuard config("XDG_CONFIG_HOME", FolderOf(dir).c_str());
  HostGlobals host;
  HostTestPlug plug;
  gPluginInstance = &plug;
  ASSERT_EQ(LoadSettings(), 0);
  EXPECT_TRUE(gFirstStart);
  ASSERT_TRUE(TryToChangeAudioDriverType());
  EXPECT_FALSE(gFirstStart);
  EXPECT_EQ(gState->mAudioDriverType, JackDriverIndex());  // the first with a duplex pair
  ProbeAudioIO();
  ASSERT_TRUE(TryToChangeAudio());
  EXPECT_STREQ(gState->mAudioInDev, "system");
  EXPECT_STREQ(gState->mAudioOutDev, "system");
  EXPECT_STREQ(gState->mAudioSR, "44100");
  EXPECT_EQ(memcmp(gActiveState, gState, sizeof(AppState)), 0);
  EXPECT_TRUE(plug.mActive);
  const std::string ini = readText(gINIPath);
  EXPECT_NE(ini.find("indev=system\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("outdev=system\n"), std::string::npos) << ini;
  StopAudio();
  EXPECT_FALSE(plug.mActive);
  EXPECT_FALSE(gDAC->isStreamOpen());
}

TEST_F(HostOnJack, SavedNamesThatAreNotListedStartNothing) {
  HostGlobals host;
  UseJack();
  SetAppStateText(gState->mAudioInDev, "USB Interface");
  SetAppStateText(gState->mAudioOutDev, "system");
  const AppState before = *gActiveState;
  ASSERT_TRUE(TryToChangeAudioDriverType());
  ProbeAudioIO();
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(TryToChangeAudio());
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(gDAC->isStreamOpen());
  EXPECT_EQ(memcmp(gActiveState, &before, sizeof(AppState)), 0);
}

TEST_F(HostOnJack, ADriverTypeOutsideTheListLeavesNoAudioObject) {
  HostGlobals host;
  UseJack();
  ASSERT_TRUE(TryToChangeAudioDriverType());
  gState->mAudioDriverType = static_cast<uint16_t>(NumAudioDrivers());
  EXPECT_FALSE(TryToChangeAudioDriverType());
  EXPECT_EQ(gDAC, nullptr);
  ProbeAudioIO();
  EXPECT_TRUE(gAudioIDDevNames.empty());
  EXPECT_TRUE(gAudioInputDevs.empty());
  EXPECT_FALSE(TryToChangeAudio());
  StopAudio();
}

// Sub-blocks shorter than a period, and longer than one.
class HostRoundTrip : public HostOnJack, public ::testing::WithParamInterface<const char*> {};

TEST_P(HostRoundTrip, OutputIsAQuarterOfTheOfflineResultAfterTheFadeIn) {
  std::unique_ptr<IFxStandalone> ran =
      RunJackRoundTrip([] { return std::unique_ptr<IFxStandalone>(new HostTestPlug); }, GetParam());
  HostTestPlug* plug = static_cast<HostTestPlug*>(ran.get());
  EXPECT_GT(plug->mBlocks, 0);
  EXPECT_FALSE(plug->mRanInactive) << "a block ran while the plug-in was not active";
  EXPECT_FALSE(plug->mOversized) << "a block was longer than the block size";
  EXPECT_FALSE(plug->mActive) << "still active after the stream stopped";
  EXPECT_EQ(plug->GetBlockSize(), atoi(GetParam()));
}

// The effect itself through the host: what comes out after the fade-in is a
// quarter of what the same effect makes of the same input offline.
TEST_F(HostOnJack, TheEffectRunsThroughTheHost) {
  std::unique_ptr<IFxStandalone> ran = RunJackRoundTrip(
      [] { return std::unique_ptr<IFxStandalone>(MakePlug(nullptr, nullptr)); }, "64");
  ASSERT_TRUE(ran);
  EXPECT_FALSE(static_cast<Harshbloom*>(ran.get())->isPlaying());
}

INSTANTIATE_TEST_SUITE_P(SignalVectorSizes, HostRoundTrip, ::testing::Values("32", "1024"),
                         [](const ::testing::TestParamInfo<const char*>& i) {
                           return std::string("sigvs") + i.param;
                         });

}  // namespace
