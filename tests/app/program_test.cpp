// The standalone program in the test process, without any audio server:
// start-up, the main window and its menu, About, Quit, Preferences and the
// settings file.

#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

#include "IFxStandalone.h"
#include "IGraphicsDesktop.h"
#include "program_fixture.h"

namespace {

plat::Menu* WindowMenu() { return SHIM_Internal_Menu(GetMenu(gHWND)); }

// Title and command of every item of a menu, sub-menus as "Title>".
std::vector<std::string> Describe(plat::Menu* m) {
  std::vector<std::string> out;
  for (int i = 0; m && i < m->count(); ++i) {
    plat::MenuItem* it = m->item(i);
    out.push_back(it->submenu() ? it->title() + ">"
                                : it->title() + "=" + std::to_string(it->tag()));
  }
  return out;
}

using Strings = std::vector<std::string>;

class Program : public ProgramTest {};

TEST_F(Program, StartUpOpensTheMainWindowWithItsMenu) {
  Start();
  ASSERT_NE(gHWND, nullptr);
  ASSERT_NE(gPluginInstance, nullptr);
  plat::Window* w = SHIM_View(gHWND)->window();
  EXPECT_EQ(w->title(), "Harshbloom");
  EXPECT_TRUE(w->isVisible());
  RECT r;
  GetClientRect(gHWND, &r);
  EXPECT_EQ(r.right - r.left, kEditorWidth);
  EXPECT_EQ(r.bottom - r.top, kEditorHeight);

  // The application menu the program made for itself, and the window's copy.
  plat::Menu* menu = WindowMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Describe(menu), (Strings{"File>", "Help>"}));
  EXPECT_EQ(Describe(menu->item(0)->submenu()), (Strings{"Preferences...=40006", "Quit=40007"}));
  EXPECT_EQ(Describe(menu->item(1)->submenu()), (Strings{"About=40005"}));
  EXPECT_EQ(Describe(plat::app().mainMenu()), Describe(menu));
  EXPECT_EQ(SHIM_GetDefaultModalWindowMenu(), GetMenu(gHWND));
  // The settings file is there from the start.
  EXPECT_TRUE(Exists(SettingsFile()));
}

TEST_F(Program, TheEditorFillsTheMainWindowAndGoesWithIt) {
  Start();
  // The effect's own editor, opened in the main window at start-up.
  IGraphicsDesktop* gui = dynamic_cast<IGraphicsDesktop*>(gPluginInstance->GetGUI());
  ASSERT_NE(gui, nullptr);
  ASSERT_TRUE(gui->WindowIsOpen());
  IFxEditorView* view = gui->GetView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->superview(), SHIM_View(gHWND));
  EXPECT_EQ(view->frame().w, kEditorWidth);
  EXPECT_EQ(view->frame().h, kEditorHeight);

  SendMessage(gHWND, WM_COMMAND, ID_QUIT, 0);
  ASSERT_NE(gPluginInstance, nullptr);
  EXPECT_FALSE(gui->WindowIsOpen());  // closed with the window, before the plug-in goes
  Settle();
  EXPECT_EQ(gPluginInstance, nullptr);
}

TEST_F(Program, AnEditorOfAnotherSizeResizesTheWindowUnderItsTopEdge) {
  Start();
  gPluginInstance->AttachGraphics(new IGraphicsDesktop(gPluginInstance, 600, 700));
  RECT before, after, client;
  GetWindowRect(gHWND, &before);
  gPluginInstance->ResizeGraphics(600, 700);
  GetWindowRect(gHWND, &after);
  GetClientRect(gHWND, &client);
  EXPECT_EQ(client.right - client.left, 600);
  EXPECT_EQ(client.bottom - client.top, 700);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.bottom, before.bottom);  // the top edge, screen coordinates growing upwards
}

TEST_F(Program, AboutShowsOneMessageBoxPerCommand) {
  Start();
  SHIMAppMain(SHIMAPPMSG_SYS_MENU_COMMAND, 0, 0);  // command 0 is not forwarded
  SHIMAppMain(SHIMAPPMSG_SYS_MENU_COMMAND, 0x70000, 0);  // nor are the high bits alone
  EXPECT_TRUE(panels.alerts.empty());
  SHIMAppMain(SHIMAPPMSG_SYS_MENU_COMMAND, ID_ABOUT, 0);
  ASSERT_EQ(panels.alerts.size(), 1u);
  EXPECT_EQ(panels.alerts[0].title, "Harshbloom");
  // The program's own build date, in the compiler's "Mmm dd yyyy" form: not this file's,
  // which a build may have compiled on another day.
  const std::string prefix = "Rawnfield\nBuilt on ";
  const std::string& message = panels.alerts[0].message;
  ASSERT_EQ(message.size(), prefix.size() + std::strlen(__DATE__)) << message;
  EXPECT_EQ(message.compare(0, prefix.size(), prefix), 0) << message;
  const std::string date = message.substr(prefix.size());
  const std::string months = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const size_t month = months.find(date.substr(0, 3));
  EXPECT_TRUE(month != std::string::npos && month % 3 == 0) << date;
  const auto digit = [&date](size_t i) { return std::isdigit(static_cast<unsigned char>(date[i])); };
  EXPECT_TRUE(date[3] == ' ' && (date[4] == ' ' || digit(4)) && digit(5) && date[6] == ' ' &&
              digit(7) && digit(8) && digit(9) && digit(10))
      << date;
  EXPECT_EQ(panels.alerts[0].buttons, (Strings{"OK"}));

  // Through the window's menu item, as a click on the menu strip chooses it.
  plat::MenuItem* about = WindowMenu()->item(1)->submenu()->item(0);
  plat::Menu::performItem(about);
  EXPECT_EQ(panels.alerts.size(), 2u);
}

TEST_F(Program, QuitDestroysTheWindowThenTearsTheHostDown) {
  Start();
  HWND main = gHWND;
  plat::MenuItem* quit = WindowMenu()->item(0)->submenu()->item(1);
  plat::Ref<plat::MenuItem> hold(quit);
  plat::Menu::performItem(quit);
  EXPECT_EQ(gHWND, nullptr);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_NE(gPluginInstance, nullptr);  // the host goes when the loop ends
  Settle();
  EXPECT_TRUE(plat::app().isTerminated());
  EXPECT_EQ(gPluginInstance, nullptr);
  EXPECT_EQ(gState, nullptr);
  EXPECT_EQ(gDAC, nullptr);
  EXPECT_EQ(gMidiIn, nullptr);
}

TEST_F(Program, TheCloseBoxQuitsToo) {
  Start();
  SendMessage(gHWND, WM_CLOSE, 0, 0);
  EXPECT_EQ(gHWND, nullptr);
  Settle();
  EXPECT_TRUE(plat::app().isTerminated());
  EXPECT_EQ(gPluginInstance, nullptr);
}

TEST_F(Program, CleanupWithoutAnAudioObject) {
  Start();
  gState->mAudioDriverType = 99;  // no such driver: no audio object
  EXPECT_FALSE(TryToChangeAudioDriverType());
  ASSERT_EQ(gDAC, nullptr);
  SendMessage(gHWND, WM_COMMAND, ID_QUIT, 0);
  Settle();
  EXPECT_EQ(gPluginInstance, nullptr);
  Cleanup();  // a second time does nothing
}

TEST_F(Program, WithoutAudioTheProgramRunsAndSaysSo) {
  testing::internal::CaptureStderr();
  Start();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Audio is unavailable"), std::string::npos) << err;
  if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
    // Without the sequencer one line says so, and nothing else of MIDI.
    EXPECT_NE(err.find("MIDI is unavailable (no ALSA sequencer: /dev/snd/seq: "), std::string::npos)
        << err;
    EXPECT_EQ(err.find("seq_hw"), std::string::npos) << err;
    EXPECT_EQ(err.find("MidiInAlsa"), std::string::npos) << err;
    EXPECT_EQ(err.find("MidiOutAlsa"), std::string::npos) << err;
  }
  EXPECT_NE(gHWND, nullptr);
  RunPreferences([](HWND dlg) {
    for (int id : {IDC_COMBO_AUDIO_IN_DEV, IDC_COMBO_AUDIO_OUT_DEV, IDC_COMBO_AUDIO_IN_L,
                   IDC_COMBO_AUDIO_IN_R, IDC_COMBO_AUDIO_OUT_L, IDC_COMBO_AUDIO_OUT_R,
                   IDC_COMBO_AUDIO_SR})
      EXPECT_EQ(SHIM_CB_GetNumItems(dlg, id), 0) << id;
    EXPECT_EQ(SHIM_CB_GetNumItems(dlg, IDC_COMBO_AUDIO_DRIVER), NumAudioDrivers());
    EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_DRIVER), gState->mAudioDriverType);
    SendMessage(dlg, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(Program, ACorruptSettingsFileStartsOnWorkingValues) {
  ASSERT_EQ(mkdir(dir.path("cfg").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(dir.path("cfg/Harshbloom").c_str(), 0700), 0);
  writeText(SettingsFile(),
            "[audio]\ndriver=77\nsigvs=0\niovs=-5\nsr=fast\nin1=0\n\x01\x02garbage\n[midi]\n"
            "inchan=99\noutdev=Some Port\n");
  Start();
  ASSERT_NE(gHWND, nullptr);
  EXPECT_LT(gState->mAudioDriverType, NumAudioDrivers());
  EXPECT_STREQ(gState->mAudioSigVS, "32");
  EXPECT_STREQ(gState->mAudioIOVS, "512");
  EXPECT_STREQ(gState->mAudioSR, "44100");
  EXPECT_EQ(gState->mAudioInChanL, 1);
  EXPECT_EQ(gState->mMidiInChan, 0);
  // Without MIDI here the saved port name is kept for a later run.
  EXPECT_STREQ(gState->mMidiOutDev, "Some Port");
  const std::string saved = readText(SettingsFile());
  EXPECT_NE(saved.find("sigvs=32\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("outdev=Some Port\n"), std::string::npos) << saved;
}

TEST_F(Program, ASettingsFolderThatCannotBeMadeStillStarts) {
  EnvGuard blocked("XDG_CONFIG_HOME", "/dev/null/cannot");
  Start();
  EXPECT_NE(gHWND, nullptr);
  EXPECT_EQ(gINIPath[0], 0);
  EXPECT_STREQ(gState->mAudioIOVS, "512");
}

TEST_F(Program, PreferencesCancelLeavesTheFileAndSettingsAlone) {
  Start();
  SetOldTime(SettingsFile());
  const std::string before = readText(SettingsFile());
  const ino_t inode = InodeOf(SettingsFile());
  AppState saved = *gState;
  RunPreferences([](HWND dlg) {
    Choose(dlg, IDC_COMBO_AUDIO_IOVS, 2);  // "128"
    CheckDlgButton(dlg, IDC_CB_MONO_INPUT, 1);
    SendMessage(dlg, WM_COMMAND, IDC_CB_MONO_INPUT, 0);
    EXPECT_STREQ(gState->mAudioIOVS, "128");
    EXPECT_EQ(gState->mAudioInIsMono, 1);
    SendMessage(dlg, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(memcmp(&saved, gState, sizeof saved), 0);
  EXPECT_EQ(readText(SettingsFile()), before);
  EXPECT_EQ(InodeOf(SettingsFile()), inode);  // not rewritten
  EXPECT_EQ(plat::app().modalWindow(), nullptr);
}

TEST_F(Program, MenuCommandsWaitWhileADialogRuns) {
  Start();
  RunPreferences([this](HWND dlg) {
    SHIMAppMain(SHIMAPPMSG_SYS_MENU_COMMAND, ID_PREFERENCES, 0);  // no second dialog
    SHIMAppMain(SHIMAPPMSG_SYS_MENU_COMMAND, ID_ABOUT, 0);
    SHIMAppMain(SHIMAPPMSG_SYS_MENU_COMMAND, ID_QUIT, 0);
    EXPECT_EQ(ModalDialog(), dlg);
    EXPECT_NE(gHWND, nullptr);
    EXPECT_TRUE(panels.alerts.empty());
    SendMessage(dlg, WM_COMMAND, IDCANCEL, 0);
  });
  SHIMAppMain(SHIMAPPMSG_SYS_MENU_COMMAND, ID_ABOUT, 0);
  EXPECT_EQ(panels.alerts.size(), 1u);
}

TEST_F(Program, PreferencesOkWritesTheFile) {
  Start();
  RunPreferences([](HWND dlg) {
    Choose(dlg, IDC_COMBO_AUDIO_IOVS, 6);   // "2048"
    Choose(dlg, IDC_COMBO_AUDIO_SIGVS, 4);  // "256"
    SendMessage(dlg, WM_COMMAND, IDOK, 0);
  });
  const std::string saved = readText(SettingsFile());
  EXPECT_NE(saved.find("iovs=2048\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("sigvs=256\n"), std::string::npos) << saved;
}

// Settings that cannot be saved: a message box after OK, every time, none
// after Cancel; the user's folder in place of the file is left alone.
TEST_F(Program, PreferencesOkSaysWhenTheSettingsCannotBeSaved) {
  ASSERT_EQ(mkdir(dir.path("cfg").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(dir.path("cfg/Harshbloom").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(SettingsFile().c_str(), 0700), 0);
  testing::internal::CaptureStderr();
  Start();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Settings could not be read from " + SettingsFile() + ": Is a directory"),
            std::string::npos)
      << err;
  ASSERT_NE(gHWND, nullptr);
  for (int i = 0; i < 2; ++i) {
    RunPreferences([](HWND dlg) {
      Choose(dlg, IDC_COMBO_AUDIO_IOVS, 2);  // "128"
      SendMessage(dlg, WM_COMMAND, IDOK, 0);
    });
    ASSERT_EQ(panels.alerts.size(), size_t(i + 1));
    const std::string text = panels.alerts.back().message;
    EXPECT_NE(text.find("The settings could not be saved."), std::string::npos) << text;
    EXPECT_NE(text.find(SettingsFile() + ": the file was not read whole (Is a directory)"),
              std::string::npos)
        << text;
  }
  EXPECT_STREQ(gState->mAudioIOVS, "128");  // in force for this run
  RunPreferences([](HWND dlg) { SendMessage(dlg, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(panels.alerts.size(), 2u);
  struct stat st;
  EXPECT_TRUE(stat(SettingsFile().c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

// The dialog on its own, modeless, so that a test can look at it between
// commands.
class Preferences : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    Start();
    dlg = SHIM_CreateDialog(SHIM_curmodule_dialogresource_head, APP_RESID(IDD_DIALOG_PREF), gHWND,
                            PreferencesDlgProc, 0);
    ASSERT_NE(dlg, nullptr);
  }
  void TearDown() override {
    if (dlg && IsWindow(dlg)) DestroyWindow(dlg);
    ProgramTest::TearDown();
  }
  static RtAudio::DeviceInfo Device(unsigned in, unsigned out, std::vector<unsigned> rates) {
    RtAudio::DeviceInfo d;
    d.probed = true;
    d.inputChannels = in;
    d.outputChannels = out;
    d.sampleRates = std::move(rates);
    return d;
  }
  HWND dlg = nullptr;
};

TEST_F(Preferences, EveryControlIsThere) {
  for (int id = IDC_COMBO_AUDIO_DRIVER; id <= IDC_BUTTON_APPLY; ++id)
    EXPECT_NE(GetDlgItem(dlg, id), nullptr) << id;
  for (int id : {IDOK, IDCANCEL}) EXPECT_NE(GetDlgItem(dlg, id), nullptr) << id;
  EXPECT_EQ(SHIM_View(dlg)->window()->title(), "Preferences");
  RECT r;
  GetClientRect(dlg, &r);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_EQ(r.bottom - r.top, 420);
  EXPECT_EQ(Items(dlg, IDC_COMBO_AUDIO_IOVS),
            (Strings{"32", "64", "128", "256", "512", "1024", "2048", "4096", "8192"}));
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_IOVS), 4);
  EXPECT_EQ(Items(dlg, IDC_COMBO_AUDIO_SIGVS),
            (Strings{"16", "32", "64", "128", "256", "512", "1024"}));
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_SIGVS), 1);
}

TEST_F(Preferences, ListsWithoutASelectionChangeNothing) {
  const AppState before = *gState;
  for (int id : {IDC_COMBO_AUDIO_IN_DEV, IDC_COMBO_AUDIO_OUT_DEV, IDC_COMBO_AUDIO_SR,
                 IDC_COMBO_AUDIO_IN_L, IDC_COMBO_AUDIO_IN_R, IDC_COMBO_AUDIO_OUT_L,
                 IDC_COMBO_AUDIO_OUT_R, IDC_COMBO_MIDI_IN_DEV, IDC_COMBO_MIDI_OUT_DEV,
                 IDC_COMBO_MIDI_IN_CHAN, IDC_COMBO_MIDI_OUT_CHAN, IDC_COMBO_AUDIO_DRIVER})
    Choose(dlg, id, -1);
  EXPECT_EQ(memcmp(&before, gState, sizeof before), 0);
  // Both vector size lists without a selection keep the saved sizes.
  Choose(dlg, IDC_COMBO_AUDIO_SIGVS, -1);
  Choose(dlg, IDC_COMBO_AUDIO_IOVS, -1);
  EXPECT_STREQ(gState->mAudioIOVS, "512");
  EXPECT_STREQ(gState->mAudioSigVS, "32");
}

TEST_F(Preferences, ASignalVectorLargerThanTheIOVectorFallsBack) {
  Choose(dlg, IDC_COMBO_AUDIO_SIGVS, 3);  // "128"
  EXPECT_STREQ(gState->mAudioSigVS, "128");
  Choose(dlg, IDC_COMBO_AUDIO_IOVS, 1);  // "64"
  EXPECT_STREQ(gState->mAudioIOVS, "64");
  EXPECT_STREQ(gState->mAudioSigVS, "16");
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_SIGVS), -1);
  // With one list unselected the saved signal size stands for it.
  Choose(dlg, IDC_COMBO_AUDIO_IOVS, 0);  // "32"
  EXPECT_STREQ(gState->mAudioIOVS, "32");
  EXPECT_STREQ(gState->mAudioSigVS, "16");
}

TEST_F(Preferences, TheRightChannelFollowsTheLeft) {
  const RtAudio::DeviceInfo four = Device(4, 4, {44100});
  PopulateAudioInputList(dlg, &four);
  EXPECT_EQ(Items(dlg, IDC_COMBO_AUDIO_IN_L), (Strings{"1", "2", "3"}));
  EXPECT_EQ(Items(dlg, IDC_COMBO_AUDIO_IN_R), (Strings{"1", "2", "3", "4"}));
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_IN_L), 0);
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_IN_R), 1);
  Choose(dlg, IDC_COMBO_AUDIO_IN_L, 2);
  EXPECT_EQ(gState->mAudioInChanL, 3);
  EXPECT_EQ(gState->mAudioInChanR, 4);
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_IN_R), 3);
  Choose(dlg, IDC_COMBO_AUDIO_IN_R, 0);  // snaps back
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_IN_R), 3);
  EXPECT_EQ(gState->mAudioInChanR, 4);

  PopulateAudioOutputList(dlg, &four);
  Choose(dlg, IDC_COMBO_AUDIO_OUT_L, 1);
  EXPECT_EQ(gState->mAudioOutChanL, 2);
  EXPECT_EQ(gState->mAudioOutChanR, 3);
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_OUT_R), 2);
}

TEST_F(Preferences, ChannelListsOfSmallDevices) {
  const RtAudio::DeviceInfo one = Device(1, 0, {44100});
  PopulateAudioInputList(dlg, &one);
  EXPECT_EQ(Items(dlg, IDC_COMBO_AUDIO_IN_L), Strings{});
  EXPECT_EQ(Items(dlg, IDC_COMBO_AUDIO_IN_R), (Strings{"1"}));
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_IN_L), -1);
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_IN_R), -1);  // channel 2 is not there
  PopulateAudioOutputList(dlg, &one);
  EXPECT_EQ(SHIM_CB_GetNumItems(dlg, IDC_COMBO_AUDIO_OUT_R), 0);
}

TEST_F(Preferences, SampleRatesBothDevicesOffer) {
  struct Case {
    std::vector<unsigned> in, out;
    const char* saved;
    Strings listed;
    int selected;
  };
  const Case cases[] = {
      {{44100, 48000, 96000}, {96000, 48000}, "48000", {"48000", "96000"}, 0},
      {{44100, 48000}, {44100, 48000}, "96000", {"44100", "48000"}, -1},
      {{44100}, {48000}, "44100", {}, -1},
  };
  for (const Case& c : cases) {
    SetAppStateText(gState->mAudioSR, c.saved);
    const RtAudio::DeviceInfo in = Device(2, 0, c.in), out = Device(0, 2, c.out);
    PopulateSampleRateList(dlg, &in, &out);
    EXPECT_EQ(Items(dlg, IDC_COMBO_AUDIO_SR), c.listed);
    EXPECT_EQ(SHIM_CB_GetCurSel(dlg, IDC_COMBO_AUDIO_SR), c.selected);
  }
  RtAudio::DeviceInfo unprobed = Device(2, 2, {44100});
  unprobed.probed = false;
  PopulateSampleRateList(dlg, &unprobed, &unprobed);
  EXPECT_EQ(SHIM_CB_GetNumItems(dlg, IDC_COMBO_AUDIO_SR), 0);

  const RtAudio::DeviceInfo in = Device(2, 0, {44100, 48000}), out = Device(0, 2, {48000, 44100});
  PopulateSampleRateList(dlg, &in, &out);
  Choose(dlg, IDC_COMBO_AUDIO_SR, 1);
  EXPECT_STREQ(gState->mAudioSR, "48000");
}

TEST_F(Preferences, MonoAndMidiChannels) {
  CheckDlgButton(dlg, IDC_CB_MONO_INPUT, 1);
  SendMessage(dlg, WM_COMMAND, IDC_CB_MONO_INPUT | (BN_CLICKED << 16), 0);
  EXPECT_EQ(gState->mAudioInIsMono, 1);
  CheckDlgButton(dlg, IDC_CB_MONO_INPUT, 0);
  SendMessage(dlg, WM_COMMAND, IDC_CB_MONO_INPUT | (BN_CLICKED << 16), 0);
  EXPECT_EQ(gState->mAudioInIsMono, 0);

  // The channel lists, filled as they are when MIDI is available.
  SHIM_CB_AddString(dlg, IDC_COMBO_MIDI_IN_CHAN, "all");
  for (int c = 1; c <= 16; ++c) SHIM_CB_AddString(dlg, IDC_COMBO_MIDI_IN_CHAN, std::to_string(c).c_str());
  Choose(dlg, IDC_COMBO_MIDI_IN_CHAN, 16);
  EXPECT_EQ(gState->mMidiInChan, 16);
  Choose(dlg, IDC_COMBO_MIDI_IN_CHAN, 0);
  EXPECT_EQ(gState->mMidiInChan, 0);
}

}  // namespace
