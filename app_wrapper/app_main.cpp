// The standalone program: the windowing layer's application messages, start-up
// and shut-down, the main window with its menu, About and Quit.

#include "app_main.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "Harshbloom.h"
#include "IGraphics.h"
#include "resource.h"
#include "shim.h"

HWND gHWND = nullptr;

namespace {

bool gResourcesRegistered = false;
// The host's own timer: underflow reports and the watch over the stream.
plat::TimerId gHostTimer = 0;
// The reason shown in the main window's title ("" for none).
std::string gTitleReason;
bool gPreferencesOpen = false;
bool gCleanedUp = true;
// The main window's menu, also the menu of modal windows; owned here.
HMENU gWindowMenu = nullptr;

// --- resources

void BuildMainWindow(HWND, int) {
  // No controls of its own: the editor's view fills the window.
}

void BuildMainMenu(HMENU menu) {
  static const SHIM_MenuListEntry kEntries[] = {
      {"/.BO^O:&File", 0, 0},
      {"Preferences...", ID_PREFERENCES, 0},
      {"&Quit", ID_QUIT, 0},
      {"EN%%%^:", 0, 0},
      {"/.BO^O:&Help", 0, 0},
      {"&About", ID_ABOUT, 0},
      {"EN%%%^:", 0, 0},
  };
  SHIM_GenerateMenuFromList(menu, kEntries, int(sizeof kEntries / sizeof kEntries[0]));
}

SHIM_DialogResourceIndex gMainDialogRes = {APP_RESID(IDD_DIALOG_MAIN), APP_PRODUCT_NAME,
                                           SHIM_DLGFLAG_FLIPPED, BuildMainWindow,
                                           kEditorWidth, kEditorHeight, nullptr};
SHIM_MenuResourceIndex gMainMenuRes = {APP_RESID(IDR_MENU1), BuildMainMenu, nullptr};

// --- the plug-in's view of the main window

// The plug-in sizes the window it is shown in as a frame with a title bar
// above the editor; the windows here have no title bar in their frame, so
// that part is left out and the top edge stays where it is.
class MainWindowFrame : public IFxHostWindow {
public:
  bool GetFrame(int* left, int* top, int* right, int* bottom) override {
    RECT r;
    if (!gHWND || !GetWindowRect(gHWND, &r)) return false;
    *left = r.left;
    *top = r.top;
    *right = r.right;
    *bottom = r.bottom;
    return true;
  }
  void SetFrame(int x, int y, int w, int h) override {
    if (!gHWND) return;
    const int bar = IFxStandalone::kTitleBarHeight;
    SetWindowPos(gHWND, nullptr, x, y + bar, w, h > bar ? h - bar : h, SWP_NOZORDER);
  }
};
MainWindowFrame gMainWindowFrame;

// --- the menu

// The application menu: this desktop has none of its own, so the program's
// menu serves as one. Its commands reach the main window through the
// application delegate, like those of a desktop-provided menu would.
void MakeApplicationMenu() {
  HMENU menu = SHIM_LoadMenu(SHIM_curmodule_menuresource_head, APP_RESID(IDR_MENU1));
  plat::Menu* m = SHIM_Internal_Menu(menu);
  if (!m) return;
  m->setCommandHandler([](plat::MenuItem* item) {
    if (SHIMAppController* c = SHIM_GetAppController()) c->onSysMenuCommand(item);
  });
  SHIM_SetCurrentMenu(menu);
  m->release();  // the application holds it now
}

// The main window's menu: a copy of the application menu that also carries
// the host menu's sub-menus, less the Preferences and Quit items that the
// application menu already has.
HMENU MakeMainWindowMenu() {
  HMENU current = SHIM_GetCurrentMenu();
  if (!current) return nullptr;
  HMENU menu = SHIM_DuplicateMenu(current);
  HMENU host = SHIM_LoadMenu(SHIM_curmodule_menuresource_head, APP_RESID(IDR_MENU1));
  if (!menu || !host) {
    if (host) DestroyMenu(host);
    return menu;
  }
  const int n = GetMenuItemCount(host);
  for (int i = 0; i < n - 1; ++i) {
    char title[256] = "";
    MENUITEMINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = MIIM_SUBMENU | MIIM_TYPE;
    info.dwTypeData = title;
    info.cch = sizeof title;
    if (!GetMenuItemInfo(host, i, TRUE, &info) || !info.hSubMenu) continue;
    MENUITEMINFO copy;
    memset(&copy, 0, sizeof copy);
    copy.cbSize = sizeof copy;
    copy.fMask = MIIM_SUBMENU | MIIM_TYPE;
    copy.fType = MFT_STRING;
    copy.dwTypeData = title;
    copy.hSubMenu = SHIM_DuplicateMenu(info.hSubMenu);
    InsertMenuItem(menu, 1 + i, TRUE, &copy);  // the new item owns the copy
  }
  DestroyMenu(host);
  if (HMENU sub = GetSubMenu(menu, 1)) {
    DeleteMenu(sub, ID_QUIT, MF_BYCOMMAND);
    DeleteMenu(sub, ID_PREFERENCES, MF_BYCOMMAND);
    for (int c = GetMenuItemCount(sub); c > 0 && GetMenuItemID(sub, c - 1) == 0; --c)
      DeleteMenu(sub, c - 1, MF_BYPOSITION);
    DeleteMenu(menu, 1, MF_BYPOSITION);
  }
  return menu;
}

// --- audio status

void ReportAudioState() {
  if (gDAC) {
    try {
      if (gDAC->isStreamRunning()) return;
    } catch (const RtAudioError&) {
    }
  }
  const std::string driver = gState ? GetAudioDriverName(gState->mAudioDriverType) : std::string();
  if (!gDAC)
    fprintf(stderr, "Audio is unavailable: no audio system could be opened.");
  else if (gAudioInputDevs.empty() || gAudioOutputDevs.empty())
    fprintf(stderr, "Audio is unavailable: %s offers no %s device (is its server running?).",
            driver.c_str(), gAudioOutputDevs.empty() ? "output" : "input");
  else
    fprintf(stderr, "Audio is unavailable: the stream could not be started on %s.", driver.c_str());
  fprintf(stderr, " Choose a device in Preferences.\n");
}

// A saved driver this build does not offer gives way to the one a first
// start would choose.
void FitDriverType() {
  if (!gState || gState->mAudioDriverType < NumAudioDrivers()) return;
  fprintf(stderr, "The saved audio driver %u is not available here; choosing another.\n",
          static_cast<unsigned>(gState->mAudioDriverType));
  gState->mAudioDriverType = 0;
  gFirstStart = true;
}

// The main window's title says that audio stopped, and why, while it is
// tried again; the product name alone otherwise.
void ShowAudioStateInTitle() {
  const std::string reason = AudioStoppedReason();
  if (reason == gTitleReason || !gHWND) return;
  gTitleReason = reason;
  const std::string title = reason.empty() ? std::string(APP_PRODUCT_NAME)
                                           : std::string(APP_PRODUCT_NAME " - audio stopped: ") +
                                                 reason + " (retrying)";
  SetDlgItemText(gHWND, 0, title.c_str());  // item 0: the window itself
}

void HostTick() {
  const double now = plat::app().now();
  ReportUnderflows(now);
  WriteLibraryReports();
  // While Preferences is open the user edits the settings a retry would use.
  WatchAudio(now, !gPreferencesOpen);
  ShowAudioStateInTitle();
}

void AboutBox() {
  if (gPluginInstance && gPluginInstance->HostRequestingAboutBox()) return;
  MessageBox(gHWND, "Rawnfield\nBuilt on " __DATE__, APP_PRODUCT_NAME, MB_OK);
}

}  // namespace

void RegisterHostResources() {
  if (gResourcesRegistered) return;
  gResourcesRegistered = true;
  gMainDialogRes.next = SHIM_curmodule_dialogresource_head;
  SHIM_curmodule_dialogresource_head = &gMainDialogRes;
  RegisterPreferencesResource();
  gMainMenuRes.next = SHIM_curmodule_menuresource_head;
  SHIM_curmodule_menuresource_head = &gMainMenuRes;
}

bool AttachGUI() {
  if (!gPluginInstance) return false;
  IGraphics* gui = gPluginInstance->GetGUI();
  if (!gui || !gui->OpenWindow(gHWND)) return false;
  gPluginInstance->OnGUIOpen();
  return true;
}

INT_PTR MainDlgProc(HWND window, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      gHWND = window;
      if (!AttachGUI()) {
        printf("couldn't attach gui\n");
        fflush(stdout);
      }
      CenterWindow(window);
      ShowWindow(window, SW_SHOW);
      return 1;
    case WM_COMMAND:
      // The menu stays on screen while a dialog or message box runs: its
      // commands wait until that is closed.
      if (plat::app().modalWindow()) return 0;
      switch (LOWORD(wp)) {
        case ID_ABOUT:
          AboutBox();
          break;
        case ID_PREFERENCES: {
          gPreferencesOpen = true;
          const INT_PTR result = SHIM_DialogBox(SHIM_curmodule_dialogresource_head,
                                                APP_RESID(IDD_DIALOG_PREF), window,
                                                PreferencesDlgProc, 0);
          gPreferencesOpen = false;
          if (result == IDOK) {
            TakeSettingsSaveError();  // said already; this is about the user's OK
            if (!UpdateINI()) ShowSettingsSaveError(window, TakeSettingsSaveError());
          }
          ShowAudioStateInTitle();
          break;
        }
        case ID_QUIT:
          DestroyWindow(window);
          break;
        default:
          break;
      }
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      gHWND = nullptr;
      // The editor goes with its window: its view stops drawing before the
      // plug-in is deleted.
      if (IGraphics* gui = gPluginInstance ? gPluginInstance->GetGUI() : nullptr) {
        if (gui->WindowIsOpen()) {
          gPluginInstance->OnGUIClose();
          gui->CloseWindow();
        }
      }
      // Quitting ends the run loop, and the application then tears the host
      // down: leave that until this window's destruction is over.
      plat::app().post([] { SHIM_PostQuitMessage(nullptr); });
      return 0;
    default:
      return 0;
  }
}

bool Init() {
  HoldLibraryReports();
  FitDriverType();
  const bool haveDriver = TryToChangeAudioDriverType();
  if (!haveDriver && gState)
    fprintf(stderr, "Audio driver \"%s\" could not be opened.\n",
            GetAudioDriverName(gState->mAudioDriverType).c_str());
  ProbeAudioIO();
  FallBackToWorkingDriver();
  std::string midiError;
  if (!InitialiseMidi(&midiError))
    fprintf(stderr, "MIDI is unavailable (%s); the program runs without it.\n", midiError.c_str());
  ProbeMidiIO();
  gPluginInstance = MakePlug(gMidiOut, gState ? &gState->mMidiOutChan : nullptr);
  gPluginInstance->SetHostWindow(&gMainWindowFrame);
  gPluginInstance->RestorePreset(0);
  if (gState) {
    ChooseMidiInput(gState->mMidiInDev);
    ChooseMidiOutput(gState->mMidiOutDev);
  }
  FitSavedDevicesToDriver();
  const bool ok = TryToChangeAudio();
  WriteLibraryReports();
  ReportAudioState();
  return ok;
}

void Cleanup() {
  if (gCleanedUp) return;
  gCleanedUp = true;
  if (gHostTimer) plat::app().cancelTimer(gHostTimer);
  gHostTimer = 0;
  gTitleReason.clear();
  if (gDAC) {
    try {
      if (gDAC->isStreamRunning()) gDAC->stopStream();
    } catch (const RtAudioError& e) {
      e.printMessage();
    }
  }
  ShutDownMidi();
  StopAudio();  // closes the stream and tells the plug-in no block runs
  ForgetAudioWatch();
  if (gPluginInstance) gPluginInstance->SetHostWindow(nullptr);
  delete gPluginInstance;
  gPluginInstance = nullptr;
  FreeAppStates();
  delete gMidiIn;
  gMidiIn = nullptr;
  delete gMidiOut;
  gMidiOut = nullptr;
  delete gDAC;
  gDAC = nullptr;
  WriteLibraryReports();
  gINIPath[0] = 0;
  SHIM_SetDefaultModalWindowMenu(nullptr);
  if (gWindowMenu) DestroyMenu(gWindowMenu);
  gWindowMenu = nullptr;
}

INT_PTR SHIMAppMain(int msg, INT_PTR parm1, INT_PTR) {
  switch (msg) {
    case SHIMAPPMSG_AWAKE_FROM_NIB: {
      RegisterHostResources();
      gCleanedUp = false;
      return LoadSettings();  // says itself when settings cannot be saved
    }
    case SHIMAPPMSG_DID_FINISH_LAUNCHING: {
      if (!gState) {
        // Loading never ran: still start on the defaults.
        RegisterHostResources();
        gCleanedUp = false;
        LoadSettings();
      }
      Init();
      if (!SHIM_GetCurrentMenu()) MakeApplicationMenu();
      gWindowMenu = MakeMainWindowMenu();
      SHIM_SetDefaultModalWindowMenu(gWindowMenu);
      HWND main = SHIM_CreateDialog(SHIM_curmodule_dialogresource_head, APP_RESID(IDD_DIALOG_MAIN),
                                    nullptr, MainDlgProc, 0);
      if (main && gWindowMenu) SetMenu(main, gWindowMenu);
      if (!gHostTimer) gHostTimer = plat::app().addTimer(0.25, true, HostTick);
      StartTestControl();
      return 0;
    }
    case SHIMAPPMSG_WILL_TERMINATE:
      if (gHWND) DestroyWindow(gHWND);
      Cleanup();
      return 0;
    case SHIMAPPMSG_SYS_MENU_COMMAND:
      if (gHWND && LOWORD(parm1) != 0) SendMessage(gHWND, WM_COMMAND, LOWORD(parm1), 0);
      return 0;
    default:
      return 0;
  }
}

int HostMain(int argc, char** argv) { return SHIM_ApplicationMain(argc, argv); }
