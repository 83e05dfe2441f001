#pragma once

// The whole program started in the test process on the virtual clock,
// without a presenter: settings in a temporary folder, message boxes
// answered by a recorder, and no audio server unless the test starts one.

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "app_main.h"
#include "platform/app.h"
#include "platform/panels.h"
#include "resource.h"
#include "shim.h"
#include "temp_dir.h"
#include "test_env.h"

// Message boxes and file panels as the program shows them; each is answered
// with its first button (or cancelled).
class PanelLog : public plat::PanelRunner {
public:
  int runFilePanel(plat::FilePanel&) override { return 0; }
  int runAlert(plat::Alert& a) override {
    alerts.push_back(a);
    return 0;
  }
  std::vector<plat::Alert> alerts;
};

class ProgramTest : public ::testing::Test {
protected:
  void SetUp() override {
    SHIM_ShutdownForTests();
    plat::app().useVirtualClock(true);
    plat::setPanelRunner(&panels);
  }
  void TearDown() override {
    Quit();
    SHIM_ShutdownForTests();
    plat::setPanelRunner(nullptr);
  }

  // Messages 1 and 2, as the application delegate sends them at launch.
  void Start() { SHIM_StartApplication(); }
  // Ends the application as the desktop would (message 3).
  void Quit() {
    if (!plat::app().isTerminated() && SHIM_GetAppController()) plat::app().terminate();
    Cleanup();
  }
  // Turns the run loop until nothing is left to do.
  void Settle() {
    for (int i = 0; i < 50 && plat::app().runOnce(0); ++i) {
    }
  }

  std::string SettingsFile() const { return dir.path("cfg/Harshbloom/settings.ini"); }

  // The dialog of the running modal session.
  static HWND ModalDialog() {
    plat::Window* w = plat::app().modalWindow();
    return w && w->contentView() ? SHIM_H(w->contentView()) : nullptr;
  }
  // Chooses the main window's Preferences command; `during` acts on the
  // open dialog and must end it.
  void RunPreferences(const std::function<void(HWND)>& during) {
    bool ran = false;
    plat::app().post([&] {
      ran = true;
      HWND dlg = ModalDialog();
      ASSERT_NE(dlg, nullptr);
      during(dlg);
    });
    SendMessage(gHWND, WM_COMMAND, ID_PREFERENCES, 0);
    EXPECT_TRUE(ran);
  }
  // A list's selection change, as the control reports it.
  static void Choose(HWND dlg, int id, int index) {
    SHIM_CB_SetCurSel(dlg, id, index);
    SendMessage(dlg, WM_COMMAND, WPARAM(id | (CBN_SELCHANGE << 16)), LPARAM(GetDlgItem(dlg, id)));
  }
  static std::string ItemText(HWND dlg, int id, int index) {
    char text[100] = "";
    SHIM_CB_GetItemText(dlg, id, index, text, sizeof text);
    return text;
  }
  static std::vector<std::string> Items(HWND dlg, int id) {
    std::vector<std::string> out;
    for (int i = 0; i < SHIM_CB_GetNumItems(dlg, id); ++i) out.push_back(ItemText(dlg, id, i));
    return out;
  }

  TempDir dir;
  EnvGuard config{"XDG_CONFIG_HOME", dir.path("cfg").c_str()};
  // No audio server is found or started unless a test starts its own.
  EnvGuard noJackStart{"JACK_NO_START_SERVER", "1"};
  EnvGuard noJack{"JACK_DEFAULT_SERVER", ("hb_absent_" + std::to_string(getpid())).c_str()};
  EnvGuard noPulse{"PULSE_SERVER", "unix:/nonexistent/hb-pulse"};
  PanelLog panels;
};
