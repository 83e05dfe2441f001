// The application delegate: messages to the host, keys, quitting, the
// function table.

#include <unistd.h>

#include "platform/keys.h"
#include "shim-gdi-draw.h"
#include "shim_fixture.h"

namespace {

using Msgs = std::vector<int>;

TEST_F(ShimTest, StartUpSendsAwakeThenLaunchedThenActive) {
  // No files named at launch: the host is asked about an untitled document.
  EXPECT_EQ(g_host.msgs, (Msgs{SHIMAPPMSG_AWAKE_FROM_NIB, SHIMAPPMSG_DID_FINISH_LAUNCHING,
                               SHIMAPPMSG_ACTIVE_CHANGED, SHIMAPPMSG_SHOULD_OPEN_UNTITLED_FILE}));
  EXPECT_EQ(SHIMAPI_GetFunc("GetDlgItem"), (void*)&GetDlgItem);
  EXPECT_EQ(SHIMAPI_GetFunc("getdlgitem"), nullptr);
  EXPECT_EQ(SHIMAPI_GetFunc(nullptr), (void*)0x100);
  EXPECT_EQ(SHIMAPI_GetFunc("SetTimer"), (void*)&SetTimer);
  // Drawing functions named apart from their Win32 names keep those names here.
  EXPECT_EQ(SHIMAPI_GetFunc("LineTo"), (void*)&SHIM_LineTo);
  EXPECT_EQ(SHIMAPI_GetFunc("SetPixel"), (void*)&SHIM_SetPixel);
  EXPECT_EQ(SHIMAPI_GetFunc("CenterWindow"), (void*)&CenterWindow);
  EXPECT_EQ(SHIM_GetAppController()->shimGetAPPAPIFunc(), (void*)&SHIMAPI_GetFunc);
}

TEST_F(ShimTest, ActivationIsBroadcastUnlessTheHostTakesIt) {
  HWND d = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)RecordingProc, 0);
  plat::app().deactivate();
  plat::app().activate();
  std::vector<WPARAM> seen;
  for (const Seen& s : g_seen)
    if (s.hwnd == d && s.msg == WM_ACTIVATEAPP) seen.push_back(s.wp);
  EXPECT_EQ(seen, (std::vector<WPARAM>{0, 1}));
  g_host.answerActive = 1;
  plat::app().deactivate();
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ShimTest, QuitAsksTheHostAndDefersOnAPositiveAnswer) {
  g_host.msgs.clear();
  g_host.answer4 = 1;
  SHIM_PostQuitMessage(nullptr);
  EXPECT_TRUE(SHIM_IsTerminating());
  EXPECT_FALSE(plat::app().isTerminated());
  EXPECT_EQ(g_host.msgs, (Msgs{SHIMAPPMSG_SHOULD_TERMINATE}));
  plat::app().replyToApplicationShouldTerminate(true);
  EXPECT_EQ(g_host.msgs, (Msgs{SHIMAPPMSG_SHOULD_TERMINATE, SHIMAPPMSG_WILL_TERMINATE}));
  EXPECT_TRUE(plat::app().isTerminated());
}

TEST_F(ShimTest, QuitIsImmediateOnAZeroAnswer) {
  g_host.msgs.clear();
  SHIM_PostQuitMessage(nullptr);
  EXPECT_EQ(g_host.msgs, (Msgs{SHIMAPPMSG_SHOULD_TERMINATE, SHIMAPPMSG_WILL_TERMINATE}));
  // Terminating windows no longer take the key state.
  HWND d = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)RecordingProc, 0);
  ShowWindow(d, SW_SHOW);
  EXPECT_FALSE(SHIM_View(d)->window()->isKeyWindow());
}

// Restarts the layer as the program starts with the given command line.
void Relaunch(std::vector<const char*> args) {
  SHIM_ShutdownForTests();
  g_host = HostLog();
  plat::app().useVirtualClock(true);
  args.insert(args.begin(), "harshbloom");
  SHIM_SetLaunchFiles(int(args.size()), const_cast<char**>(args.data()));
  SHIM_StartApplication();
}

TEST_F(ShimTest, FilesOnTheCommandLineGoToTheHostOneByOne) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  testing::internal::CaptureStderr();
  Relaunch({"/data/take one.fxp", "rel/b.fxp"});
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(g_host.openedFiles, (std::vector<std::string>{"/data/take one.fxp", std::string(cwd) + "/rel/b.fxp"}));
  // After launching, and no untitled question when files came.
  EXPECT_EQ(g_host.msgs, (Msgs{SHIMAPPMSG_AWAKE_FROM_NIB, SHIMAPPMSG_DID_FINISH_LAUNCHING,
                               SHIMAPPMSG_ACTIVE_CHANGED, SHIMAPPMSG_OPEN_FILE, SHIMAPPMSG_OPEN_FILE}));
  EXPECT_EQ(err, "");
}

TEST_F(ShimTest, DeclinedFilesAreReportedAndUntitledFollowsAYes) {
  // A host that declines: each file is named on standard error.
  SHIM_ShutdownForTests();
  g_host = HostLog();
  g_host.answerOpen = 0;
  plat::app().useVirtualClock(true);
  const char* args[] = {"harshbloom", "/x/a.fxp", ""};
  SHIM_SetLaunchFiles(3, const_cast<char**>(args));
  testing::internal::CaptureStderr();
  SHIM_StartApplication();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "The document \"/x/a.fxp\" could not be opened.\n");
  EXPECT_EQ(g_host.openedFiles, (std::vector<std::string>{"/x/a.fxp"}));
  // No files and a host that wants an untitled document: 82, then 81.
  SHIM_ShutdownForTests();
  g_host = HostLog();
  g_host.answerShouldUntitled = 1;
  plat::app().useVirtualClock(true);
  SHIM_StartApplication();
  EXPECT_EQ(g_host.msgs, (Msgs{SHIMAPPMSG_AWAKE_FROM_NIB, SHIMAPPMSG_DID_FINISH_LAUNCHING,
                               SHIMAPPMSG_ACTIVE_CHANGED, SHIMAPPMSG_SHOULD_OPEN_UNTITLED_FILE,
                               SHIMAPPMSG_OPEN_UNTITLED_FILE}));
}

TEST_F(ShimTest, OpenFileAndMenuCommandsReachTheHost) {
  EXPECT_FALSE(SHIM_GetAppController()->applicationOpenFile(""));
  EXPECT_EQ(g_host.openedFile, "");
  EXPECT_TRUE(SHIM_GetAppController()->applicationOpenFile("/tmp/a.fxp"));
  EXPECT_EQ(g_host.openedFile, "/tmp/a.fxp");
  plat::MenuItem* none = new plat::MenuItem("About", 0);
  plat::MenuItem* prefs = new plat::MenuItem("Preferences", 40001);
  SHIM_GetAppController()->onSysMenuCommand(none);
  SHIM_GetAppController()->onSysMenuCommand(prefs);
  EXPECT_EQ(g_host.menuCommands, (std::vector<INT_PTR>{40001}));
  none->release();
  prefs->release();
}

class Keys : public ShimTest {
protected:
  void SetUp() override {
    ShimTest::SetUp();
    dlg = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)RecordingProc, 0);
    ShowWindow(dlg, SW_SHOW);
    win = SHIM_View(dlg)->window();
  }
  void key(uint16_t code, const char* chars, uint32_t mods = 0) {
    plat::Event e;
    e.type = plat::EventType::KeyDown;
    e.window = win;
    e.keyCode = code;
    e.characters = e.charactersIgnoringModifiers = chars;
    e.modifierFlags = mods;
    e.timestamp = plat::app().now();
    plat::app().sendEvent(e);
  }
  std::vector<WPARAM> commands() {
    std::vector<WPARAM> out;
    for (const Seen& s : g_seen)
      if (s.hwnd == dlg && s.msg == WM_COMMAND) out.push_back(s.wp);
    return out;
  }
  HWND dlg = nullptr;
  plat::Window* win = nullptr;
};

TEST_F(Keys, HostSeesKeysFirstAndMayConsumeThem) {
  SetFocus(dlg);
  g_host.answerKey = 1;
  key(plat::key::Escape, "\x1b");
  ASSERT_EQ(g_host.keys.size(), 1u);
  EXPECT_EQ(g_host.keys[0].hwnd, dlg);
  EXPECT_EQ(g_host.keys[0].message, (UINT)WM_KEYDOWN);
  EXPECT_EQ(g_host.keys[0].wParam, 0x1Bu);
  EXPECT_TRUE(commands().empty());  // consumed: no dialog keys
  EXPECT_FALSE(SawMessage(dlg, WM_KEYDOWN));
  g_host.answerKey = 0;
  key(plat::key::Escape, "\x1b");
  EXPECT_EQ(commands(), (std::vector<WPARAM>{IDCANCEL}));
}

TEST_F(Keys, EscapeCancelsAOneLineFieldAndLeavesAMultiLineEdit) {
  plat::TextField* field = new plat::TextField({0, 0, 100, 20});
  plat::TextView* text = new plat::TextView({0, 30, 100, 60});
  SHIM_View(dlg)->addSubview(field);
  SHIM_View(dlg)->addSubview(text);
  field->release();
  text->release();
  SetFocus(SHIM_H(field));
  key(plat::key::Escape, "\x1b");
  EXPECT_EQ(commands(), (std::vector<WPARAM>{IDCANCEL}));
  SetFocus(SHIM_H(text));
  key(plat::key::Escape, "\x1b");
  EXPECT_EQ(commands().size(), 1u);
  EXPECT_EQ(GetFocus(), dlg);  // focus moved to the dialog instead
}

TEST_F(Keys, ReturnPressesTheDefaultButtonAndCommandWCancels) {
  plat::Button* ok = new plat::Button({0, 0, 80, 20});
  ok->setTag(IDOK);
  SHIM_View(dlg)->addSubview(ok);
  ok->release();
  win->setDefaultButton(ok);
  SetFocus(dlg);
  key(plat::key::Return, "\r");
  ok->setEnabled(false);
  key(plat::key::Return, "\r");  // disabled: the dialog takes the focus instead
  key(plat::key::W, "w", plat::kModCommand);
  EXPECT_EQ(commands(), (std::vector<WPARAM>{IDOK, IDCANCEL}));
}

TEST_F(Keys, KeyMessagesReachTheFocusedView) {
  SetFocus(dlg);
  key(plat::key::A, "a", plat::kModShift);
  bool found = false;
  for (const Seen& s : g_seen)
    if (s.hwnd == dlg && s.msg == WM_KEYDOWN) {
      found = true;
      EXPECT_EQ(s.wp, (WPARAM)'A');
      EXPECT_EQ(s.lp, 1 | 4);
    }
  EXPECT_TRUE(found);
}

TEST_F(Keys, PiledUpRepeatsAreDropped) {
  SetFocus(dlg);
  plat::Event later;
  later.type = plat::EventType::KeyDown;
  later.window = win;
  later.keyCode = plat::key::A;
  later.characters = later.charactersIgnoringModifiers = "a";
  later.timestamp = plat::app().now() + 0.001;
  plat::app().queueEvent(later);
  key(plat::key::A, "a");  // a newer one of the same key waits: this one goes
  EXPECT_TRUE(g_host.keys.empty());
  plat::app().runOnce(0);
  EXPECT_EQ(g_host.keys.size(), 1u);
}

}  // namespace
