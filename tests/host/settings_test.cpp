// The host's settings record and settings.ini.

#include <gtest/gtest.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

#include "app_main.h"
#include "host_globals.h"
#include "temp_dir.h"
#include "test_env.h"
#include "unprivileged.h"

namespace {

const char kDefaultFile[] =
    "[audio]\ndriver=0\nin1=1\nin2=2\nindev=Built-in Input\niovs=512\nmonoinput=0\nout1=1\n"
    "out2=2\noutdev=Built-in Output\nsigvs=32\nsr=44100\n\n"
    "[midi]\ninchan=0\nindev=off\noutchan=0\noutdev=off\n\n";

class Settings : public ::testing::Test {
protected:
  std::string Folder() const { return dir.path("cfg/Harshbloom"); }
  std::string File() const { return Folder() + "/settings.ini"; }
  void WriteSettings(const std::string& text) {
    ASSERT_EQ(mkdir((dir.path("cfg")).c_str(), 0700), 0);
    ASSERT_EQ(mkdir(Folder().c_str(), 0700), 0);
    writeText(File(), text);
  }

  TempDir dir;
  EnvGuard config{"XDG_CONFIG_HOME", (dir.path("cfg")).c_str()};
  HostGlobals host;
};

TEST_F(Settings, AFirstStartMakesTheFolderAndWritesTheDefaults) {
  ASSERT_EQ(LoadSettings(), 0);
  EXPECT_TRUE(gFirstStart);
  EXPECT_EQ(std::string(gINIPath), File());
  EXPECT_EQ(readText(File()), kDefaultFile);
  AppState defaults;
  SetAppStateDefaults(&defaults);
  for (const AppState* s : {gState, gTempState, gActiveState})
    EXPECT_EQ(memcmp(s, &defaults, sizeof defaults), 0);
}

TEST_F(Settings, WithoutXdgTheFolderIsInHomesConfig) {
  EnvGuard noXdg("XDG_CONFIG_HOME", nullptr);
  EnvGuard home("HOME", FolderOf(dir).c_str());
  ASSERT_EQ(LoadSettings(), 0);
  EXPECT_EQ(std::string(gINIPath), dir.path(".config/Harshbloom/settings.ini"));
  EXPECT_EQ(readText(gINIPath), kDefaultFile);
  struct stat st;
  ASSERT_EQ(stat((dir.path(".config")).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);  // the desktop's rule for its configuration folder
}

TEST_F(Settings, ASavedFileIsReadAndWrittenBack) {
  WriteSettings(
      "[audio]\ndriver=2\nindev=USB In\noutdev=USB Out\nin1=3\nin2=4\nout1=5\nout2=6\n"
      "monoinput=1\niovs=256\nsigvs=64\nsr=48000\nunknown=kept?\n"
      "[midi]\nindev=virtual input\noutdev=Port B\ninchan=3\noutchan=70000\n");
  ASSERT_EQ(LoadSettings(), 0);
  EXPECT_FALSE(gFirstStart);
  EXPECT_EQ(gState->mAudioDriverType, 2);
  EXPECT_STREQ(gState->mAudioInDev, "USB In");
  EXPECT_STREQ(gState->mAudioOutDev, "USB Out");
  EXPECT_EQ(gState->mAudioInChanL, 3);
  EXPECT_EQ(gState->mAudioInChanR, 4);
  EXPECT_EQ(gState->mAudioOutChanL, 5);
  EXPECT_EQ(gState->mAudioOutChanR, 6);
  EXPECT_EQ(gState->mAudioInIsMono, 1);
  EXPECT_STREQ(gState->mAudioIOVS, "256");
  EXPECT_STREQ(gState->mAudioSigVS, "64");
  EXPECT_STREQ(gState->mAudioSR, "48000");
  EXPECT_STREQ(gState->mMidiInDev, "virtual input");
  EXPECT_STREQ(gState->mMidiOutDev, "Port B");
  EXPECT_EQ(gState->mMidiInChan, 3);
  EXPECT_EQ(gState->mMidiOutChan, 0);  // 70000 names no channel
  // Only the settings' copy is read; the other records keep their defaults.
  EXPECT_STREQ(gTempState->mAudioInDev, "Built-in Input");
  EXPECT_EQ(readText(File()),
            "[audio]\ndriver=2\nin1=3\nin2=4\nindev=USB In\niovs=256\nmonoinput=1\nout1=5\n"
            "out2=6\noutdev=USB Out\nsigvs=64\nsr=48000\nunknown=kept?\n\n"
            "[midi]\ninchan=3\nindev=virtual input\noutchan=0\noutdev=Port B\n\n");
}

TEST_F(Settings, AFileWithoutMidiNamesNoPort) {
  WriteSettings("[audio]\nin1=3\n");
  ASSERT_EQ(LoadSettings(), 0);
  EXPECT_STREQ(gState->mMidiInDev, "no input");
  EXPECT_STREQ(gState->mMidiOutDev, "no output");
  EXPECT_NE(readText(File()).find("[midi]\ninchan=0\nindev=no input\n"), std::string::npos);
}

// Numbers the program cannot use are replaced by what it uses instead, and
// that is what the file gets back: never a number cut to 16 bits.
TEST_F(Settings, NumbersOutOfRangeAreWrittenBackAsTheValuesUsed) {
  struct Case {
    const char* key;
    const char* value;
    unsigned used;
  } cases[] = {
      {"in2", "70000", 4},  // in1=3 below: the channel after it
      {"out1", "-5", 1},       {"out1", "65536", 1},   {"out1", "0", 1},
      {"out2", "-1", 2},       {"in2", "0", 4},        {"driver", "-1", 0},
      {"driver", "70000", 0},  {"monoinput", "70001", 0}, {"monoinput", "2", 0},
      {"inchan", "-3", 0},     {"outchan", "65537", 0}, {"outchan", "16", 16},
      {"in2", "9", 9},  // a number in range is kept as the file says
  };
  ASSERT_EQ(mkdir((dir.path("cfg")).c_str(), 0700), 0);
  ASSERT_EQ(mkdir(Folder().c_str(), 0700), 0);
  for (const Case& c : cases) {
    const bool midi = !strcmp(c.key, "inchan") || !strcmp(c.key, "outchan");
    writeText(File(), std::string("[audio]\nin1=3\n") + (midi ? "[midi]\n" : "") + c.key + "=" +
                          c.value + "\n");
    ASSERT_EQ(LoadSettings(), 0);
    const std::string want = std::string(c.key) + "=" + std::to_string(c.used) + "\n";
    const std::string file = readText(File());
    EXPECT_NE(file.find(want), std::string::npos) << c.key << "=" << c.value << "\n" << file;
  }
}

// Sizes the stream cannot use go back to their defaults before any callback
// could divide by them.
TEST_F(Settings, UnusableAudioValuesAreReplaced) {
  struct Case {
    const char* sigvs;
    const char* iovs;
    const char* sr;
    const char* in1;
    const char* wantSigvs;
    const char* wantIovs;
    const char* wantSr;
    unsigned wantIn1;
  } cases[] = {
      {"0", "0", "0", "0", "32", "512", "44100", 1},
      {"abc", "abc", "abc", "2", "32", "512", "44100", 2},
      {"33", "100", "-48000", "2", "32", "512", "44100", 2},
      {"1024", "8192", "96000", "2", "1024", "8192", "96000", 2},
      {"16", "32", "48000x", "2", "16", "32", "44100", 2},
  };
  ASSERT_EQ(mkdir((dir.path("cfg")).c_str(), 0700), 0);
  ASSERT_EQ(mkdir(Folder().c_str(), 0700), 0);
  for (const Case& c : cases) {
    writeText(File(), std::string("[audio]\nsigvs=") + c.sigvs + "\niovs=" + c.iovs + "\nsr=" + c.sr +
                         "\nin1=" + c.in1 + "\n");
    ASSERT_EQ(LoadSettings(), 0);
    EXPECT_STREQ(gState->mAudioSigVS, c.wantSigvs) << c.sigvs;
    EXPECT_STREQ(gState->mAudioIOVS, c.wantIovs) << c.iovs;
    EXPECT_STREQ(gState->mAudioSR, c.wantSr) << c.sr;
    EXPECT_EQ(gState->mAudioInChanL, c.wantIn1) << c.in1;
    EXPECT_NE(readText(File()).find(std::string("sigvs=") + c.wantSigvs + "\n"), std::string::npos);
  }
}

TEST_F(Settings, AFolderThatCannotBeMadeEndsLoadingWithOne) {
  writeText(dir.path("cfg"), "a file where the folder should be");
  EXPECT_EQ(LoadSettings(), 1);
  EXPECT_EQ(readText(dir.path("cfg")), "a file where the folder should be");
}

TEST_F(Settings, AnOverlongPathFailsCleanly) {
  const std::string deep = FolderOf(dir) + "/" + std::string(5000, 'd');
  EnvGuard longConfig("XDG_CONFIG_HOME", deep.c_str());
  EXPECT_EQ(LoadSettings(), 1);
  EXPECT_STREQ(gINIPath, "");
  UpdateINI();  // writes nowhere
}

// A file that is there but cannot be read whole is never rewritten: moved
// aside when it can be, kept otherwise; standard error says which.
TEST_F(Settings, AFileNotReadWholeIsMovedAsideFirst) {
  const std::string junk = std::string(300 * 1024, 'x') + "\n[audio]\nsigvs=64\n";
  WriteSettings(junk);
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(LoadSettings(), 0);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(readText(File() + ".bad"), junk);
  EXPECT_EQ(readText(File()), kDefaultFile);  // saved anew, as on a first start
  EXPECT_TRUE(gFirstStart);
  EXPECT_NE(err.find("Settings could not be read from " + File() +
                     ": not an ini file (more than 256 KiB before its first section). The file "
                     "was moved to " + File() + ".bad"),
            std::string::npos)
      << err;
  // An earlier one set aside is not replaced.
  writeText(File(), junk + "2");
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(LoadSettings(), 0);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(readText(File() + ".bad"), junk);
  EXPECT_EQ(readText(File() + ".bad.1"), junk + "2");
}

TEST_F(Settings, ASettingsFileThatIsAFolderIsKeptAndEverySaveSaysWhy) {
  ASSERT_EQ(mkdir((dir.path("cfg")).c_str(), 0700), 0);
  ASSERT_EQ(mkdir(Folder().c_str(), 0700), 0);
  ASSERT_EQ(mkdir(File().c_str(), 0700), 0);
  writeText(File() + "/inside", "mine");
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(LoadSettings(), 0);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Settings could not be read from " + File() +
                     ": Is a directory. The file is kept as it is."),
            std::string::npos)
      << err;
  const std::string why =
      File() + ": the file was not read whole (Is a directory); it is kept as it is";
  EXPECT_NE(err.find("Settings could not be saved to " + why + ".\n"), std::string::npos) << err;
  EXPECT_EQ(TakeSettingsSaveError(), why);
  for (int i = 0; i < 2; ++i) {  // every time
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(UpdateINI());
    err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Settings could not be saved to " + why + ".\n");
    EXPECT_EQ(TakeSettingsSaveError(), why);
  }
  EXPECT_EQ(readText(File() + "/inside"), "mine");
}

// A folder or a file its owner made read-only: the settings are read, and
// saving them fails with the reason, every time, leaving the file alone.
TEST_F(Settings, ReadOnlyFolderOrFile) {
  const std::string saved = "[audio]\nsigvs=64\n";
  struct Case {
    const char* what;
    mode_t folderMode, fileMode;
    std::string reason;
  } cases[] = {
      {"read-only folder", 0555, 0644,
       "cannot create " + Folder() + "/.settings.ini.new: Permission denied"},
      {"read-only file", 0755, 0444, "the file cannot be written: Permission denied"},
  };
  WriteSettings(saved);
  for (const Case& c : cases) {
    chmod(File().c_str(), c.fileMode);
    chmod(Folder().c_str(), c.folderMode);
    const std::string result = RunUnprivileged(
        [&]() -> std::string {
          ::testing::internal::CaptureStderr();
          const int loaded = LoadSettings();
          const std::string err = ::testing::internal::GetCapturedStderr();
          CHECK_TEXT(std::to_string(loaded), "0");
          CHECK_TEXT(gState->mAudioSigVS, "64");
          const std::string why = File() + ": " + c.reason;
          CHECK_TEXT(err, "Settings could not be saved to " + why + ".\n");
          CHECK_TEXT(std::to_string(UpdateINI()), "0");
          CHECK_TEXT(TakeSettingsSaveError(), why);
          CHECK_TEXT(readText(File()), saved);
          return "";
        },
        {dir.path("cfg"), Folder(), File()});
    EXPECT_EQ(result, "") << c.what;
    chmod(Folder().c_str(), 0755);
  }
}

TEST_F(Settings, TextFieldsAreCutAndPadded) {
  AppState s;
  memset(&s, 'x', sizeof s);
  SetAppStateText(s.mAudioInDev, std::string(150, 'n').c_str());
  EXPECT_EQ(strlen(s.mAudioInDev), 99u);
  SetAppStateText(s.mAudioInDev, "ab");
  for (size_t i = 2; i < sizeof s.mAudioInDev; ++i) EXPECT_EQ(s.mAudioInDev[i], 0);
  SetAppStateText(s.mAudioInDev, s.mAudioInDev);
  EXPECT_STREQ(s.mAudioInDev, "ab");
}

TEST(SettingsCompare, AudioAndMidiFieldsAreComparedApart) {
  struct Case {
    const char* what;
    void (*change)(AppState*);
    bool audioEqual, midiEqual;
  } cases[] = {
      {"driver", [](AppState* s) { s->mAudioDriverType = 1; }, false, true},
      {"indev", [](AppState* s) { SetAppStateText(s->mAudioInDev, "x"); }, false, true},
      {"outdev", [](AppState* s) { SetAppStateText(s->mAudioOutDev, "x"); }, false, true},
      {"sr", [](AppState* s) { SetAppStateText(s->mAudioSR, "48000"); }, false, true},
      {"iovs", [](AppState* s) { SetAppStateText(s->mAudioIOVS, "64"); }, false, true},
      {"sigvs", [](AppState* s) { SetAppStateText(s->mAudioSigVS, "64"); }, false, true},
      {"in1", [](AppState* s) { s->mAudioInChanL = 3; }, false, true},
      {"in2", [](AppState* s) { s->mAudioInChanR = 3; }, false, true},
      {"out1", [](AppState* s) { s->mAudioOutChanL = 3; }, false, true},
      {"out2", [](AppState* s) { s->mAudioOutChanR = 3; }, false, true},
      {"mono", [](AppState* s) { s->mAudioInIsMono = 1; }, false, true},
      {"midi in", [](AppState* s) { SetAppStateText(s->mMidiInDev, "x"); }, true, false},
      {"midi out", [](AppState* s) { SetAppStateText(s->mMidiOutDev, "x"); }, true, false},
      {"midi in chan", [](AppState* s) { s->mMidiInChan = 2; }, true, false},
      {"midi out chan", [](AppState* s) { s->mMidiOutChan = 2; }, true, false},
  };
  AppState a, b;
  SetAppStateDefaults(&a);
  for (const Case& c : cases) {
    SetAppStateDefaults(&b);
    c.change(&b);
    EXPECT_EQ(AudioSettingsInStateAreEqual(&a, &b), c.audioEqual) << c.what;
    EXPECT_EQ(MIDISettingsInStateAreEqual(&a, &b), c.midiEqual) << c.what;
  }
}

}  // namespace
