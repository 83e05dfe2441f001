// A host for looking at generated dialogs on a real desktop:
//   dialog_demo [seconds [folder]]
// opens a dialog made from a list with every kind of control, with a menu
// strip, and runs for the given time (default: until closed); with "folder"
// it first shows the layer's own folder panel.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "platform/panels.h"
#include "platform/presenter.h"
#include "shim.h"

namespace {

const SHIM_DlgGenEntry kEntries[] = {
    {"Tabs", 20, "SysTabControl32", 0, 10, 10, 380, 200, 0},
    {"__SHIM_GROUP", 0, "Audio device", 21, 20, 44, 360, 96, 0},
    {"__SHIM_LABEL", 1, "Driver:", 22, 30, 66, 70, 16, 0},
    {"__SHIM_COMBO", 0, nullptr, 23, 110, 64, 200, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", 1, "Buffer:", 24, 30, 94, 70, 16, 0},
    {"__SHIM_COMBO", 0, nullptr, 25, 110, 92, 120, 100, 0},
    {"In 1+2", 26, "Button", BS_AUTORADIOBUTTON | WS_GROUP, 30, 116, 80, 16, 0},
    {"In 3+4", 27, "Button", BS_AUTORADIOBUTTON, 120, 116, 80, 16, 0},
    {"__SHIM_CHECKBOX", 0, "Mono input", 28, 30, 150, 120, 16, 0},
    {"Level", 29, "msctls_trackbar32", 0, 170, 148, 200, 20, 0},
    {"", 30, "msctls_progress32", 0, 30, 180, 340, 10, 0},
    {"__SHIM_LABEL", -1, "Name:", 31, 10, 226, 50, 16, 0},
    {"__SHIM_EDIT", 0, nullptr, 32, 64, 224, 200, 20, 0},
    {"__SHIM_BUTTON", 0, "Cancel", IDCANCEL, 220, 262, 80, 24, 0},
    {"__SHIM_BUTTON", 1, "OK", IDOK, 310, 262, 80, 24, 0},
    {"__SHIM_LISTBOX", 0, nullptr, 33, 410, 10, 180, 120, 0},
    {"__SHIM_EDIT", 0, nullptr, 34, 410, 140, 180, 110, WS_VSCROLL},
};

void Build(HWND view, int) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, view, false, true);
  SHIM_GenerateDialogFromList(kEntries, int(sizeof kEntries / sizeof kEntries[0]));
}

SHIM_DialogResourceIndex g_res = {(const char*)(INT_PTR)1, "Preferences", SHIM_DLGFLAG_FLIPPED, Build,
                                  600, 296, nullptr};

INT_PTR Proc(HWND h, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) {
    for (const char* s : {"JACK", "ALSA", "PulseAudio"}) SHIM_CB_AddString(h, 23, s);
    SHIM_CB_SetCurSel(h, 23, 0);
    for (const char* s : {"128", "256", "512"}) SHIM_CB_AddString(h, 25, s);
    SetDlgItemText(h, 25, "256");
    CheckDlgButton(h, 26, 1);
    SHIM_TB_SetPos(h, 29, 700);
    SendMessage(GetDlgItem(h, 30), PBM_SETPOS, 60, 0);
    SetDlgItemText(h, 32, "Harshbloom");
    for (int i = 1; i <= 30; ++i) {
      char row[32];
      snprintf(row, sizeof row, "Preset %02d", i);
      SendMessage(GetDlgItem(h, 33), LB_ADDSTRING, 0, (LPARAM)row);
    }
    std::string notes;
    for (int i = 1; i <= 20; ++i) notes += "Note line " + std::to_string(i) + "\n";
    SetDlgItemText(h, 34, notes.c_str());
    HWND tabs = GetDlgItem(h, 20);
    for (const char* s : {"Audio", "MIDI", "Display"}) {
      TCITEM it{TCIF_TEXT, 0, 0, const_cast<char*>(s), 0, 0, 0};
      TabCtrl_InsertItem(tabs, TabCtrl_GetItemCount(tabs), &it);
    }
    return 0;
  }
  if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
    plat::app().terminate();
    return 1;
  }
  if (msg == WM_CLOSE) {
    plat::app().terminate();
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = argc > 1 ? atof(argv[1]) : 0;
  plat::startPresenterFromEnvironment();
  SHIM_StartApplication();
  HMENU bar = CreatePopupMenu();
  const SHIM_MenuListEntry menu[] = {{"/.BO^O:&File", 0, 0}, {"&Open...", 100, 0}, {"&Quit", 101, 0},
                                     {"EN%%%^:", 0, 0},     {"/.BO^O:&Edit", 0, 0}, {"Copy", 102, 0},
                                     {"EN%%%^:", 0, 0}};
  SHIM_GenerateMenuFromList(bar, menu, 7);
  if (argc > 2 && strcmp(argv[2], "folder") == 0) {
    static struct OwnWindows : plat::PanelRunner {
      int runFilePanel(plat::FilePanel& p) override { return plat::runFilePanelWindow(p); }
      int runAlert(plat::Alert& a) override { return plat::runAlertWindow(a); }
    } own;
    plat::setPanelRunner(&own);
    char fn[1024];
    if (BrowseForDirectory("Choose a folder", "/tmp", fn, sizeof fn)) printf("chosen %s\n", fn);
  }
  HWND d = SHIM_CreateDialog(&g_res, g_res.resid, nullptr, Proc, 0);
  SetMenu(d, bar);
  ShowWindow(d, SW_SHOW);
  SetFocus(d);
  SetMenu(d, bar);
  printf("window on screen\n");
  fflush(stdout);
  if (seconds > 0)
    plat::app().runFor(seconds);
  else
    plat::app().run();
  return 0;
}
