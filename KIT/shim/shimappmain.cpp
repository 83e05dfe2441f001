// The application delegate and its messages to the host.

#include "shimappmain.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <vector>

#include "platform/controls.h"
#include "platform/presenter.h"
#include "platform/window.h"
#include "shim-appstub.h"
#include "platform/pasteboard.h"
#include "shim-defproc.h"
#include "shim-dlg.h"
#include "shim-dlggen.h"
#include "shim-dragdrop.h"
#include "shim-gdi-draw.h"
#include "shim-kb.h"
#include "shim-listview.h"
#include "shim-menu.h"
#include "shim-misc.h"
#include "shim-wnd.h"

namespace {

SHIMAppController* g_controller = nullptr;
plat::Menu* g_stockSysMenu = nullptr;
std::vector<std::string> g_launchFiles;

INT_PTR callHost(int msg, INT_PTR p1, INT_PTR p2) {
  return SHIMAppMain ? SHIMAppMain(msg, p1, p2) : 0;
}

// A text object: a multi-line text view or a one-line field.
bool isText(plat::View* v) {
  return dynamic_cast<plat::TextView*>(v) || dynamic_cast<plat::TextField*>(v);
}

bool isEditableText(plat::View* v) {
  if (auto* tv = dynamic_cast<plat::TextView*>(v)) return tv->isEditable();
  if (auto* tf = dynamic_cast<plat::TextField*>(v)) return tf->isEditable();
  return false;
}

// A one-line field between the target (itself included) and the content view:
// the target is being edited as a field rather than as multi-line text.
bool fieldBetween(plat::View* target, plat::View* content) {
  if (auto* tv = dynamic_cast<plat::TextView*>(target))
    if (tv->editedField()) return true;
  for (plat::View* v = target; v && v != content; v = v->superview())
    if (dynamic_cast<plat::TextField*>(v)) return true;
  return false;
}

}  // namespace

SHIMAppController* SHIM_GetAppController() { return g_controller; }
plat::Menu* SHIM_GetStockAppMenu() { return g_stockSysMenu; }

void SHIMAppController::awakeFromNib() {
  SHIM_EnsureMultithreadedCocoa();
  plat::app().setDelegate(this);
  SHIM_Internal_PostMessage_Init();
  plat::Menu* main = plat::app().mainMenu();
  plat::MenuItem* first = main ? main->item(0) : nullptr;
  if (first && first->submenu() && !g_stockSysMenu) {
    g_stockSysMenu = first->submenu()->duplicate();
    g_stockSysMenu->setCommandHandler([this](plat::MenuItem* it) { onSysMenuCommand(it); });
  }
  callHost(SHIMAPPMSG_AWAKE_FROM_NIB, 0, 0);
}

void SHIMAppController::onSysMenuCommand(plat::MenuItem* item) {
  if (!item || item->tag() == 0) return;
  callHost(SHIMAPPMSG_SYS_MENU_COMMAND, item->tag(), (INT_PTR)item);
}

void SHIMAppController::applicationDidFinishLaunching() {
  SHIM_Internal_StartAccessibility();
  callHost(SHIMAPPMSG_DID_FINISH_LAUNCHING, 0, 0);
}

plat::TerminateReply SHIMAppController::applicationShouldTerminate() {
  return callHost(SHIMAPPMSG_SHOULD_TERMINATE, 0, 0) > 0 ? plat::TerminateReply::Later
                                                          : plat::TerminateReply::Now;
}

void SHIMAppController::applicationWillTerminate() {
  callHost(SHIMAPPMSG_WILL_TERMINATE, 0, 0);
  SHIM_Internal_StopAccessibility();
}

void SHIMAppController::activeChanged(bool active) {
  if (callHost(SHIMAPPMSG_ACTIVE_CHANGED, active ? 1 : 0, 0) == 0)
    SHIM_BroadcastMessage(WM_ACTIVATEAPP, active ? 1 : 0, 0);
  // Owned windows float over their owners only while the application is active.
  std::vector<plat::Ref<plat::Window>> wins(plat::app().windows().begin(),
                                            plat::app().windows().end());
  for (auto& w : wins) {
    auto* ow = dynamic_cast<Shim_vHarshbloom_ownerwindow*>(w.get());
    if (ow && !plat::Object::isLive(ow->shimGetOwner())) ow->shimResetOwnedWindowLevels();
  }
}

void SHIMAppController::applicationDidBecomeActive() { activeChanged(true); }
void SHIMAppController::applicationDidResignActive() { activeChanged(false); }

bool SHIMAppController::applicationOpenFile(const std::string& path) {
  if (path.empty()) return false;
  char buf[4096];
  size_t n = std::min(path.size(), sizeof buf - 1);
  memcpy(buf, path.data(), n);
  buf[n] = 0;
  return callHost(SHIMAPPMSG_OPEN_FILE, (INT_PTR)buf, 0) > 0;
}

bool SHIMAppController::applicationOpenUntitledFile() {
  return callHost(SHIMAPPMSG_OPEN_UNTITLED_FILE, 0, 0) > 0;
}

bool SHIMAppController::applicationShouldOpenUntitledFile() {
  return callHost(SHIMAPPMSG_SHOULD_OPEN_UNTITLED_FILE, 0, 0) > 0;
}

bool SHIMAppController::filterEvent(const plat::Event& e) {
  if (e.type != plat::EventType::KeyDown && e.type != plat::EventType::KeyUp) return false;
  // Key auto-repeat that piles up: drop this event when a newer key down of
  // the same key is already waiting.
  bool newer = plat::app().peekEvent([&](const plat::Event& q) {
    return q.type == plat::EventType::KeyDown && q.keyCode == e.keyCode &&
           q.timestamp >= e.timestamp && q.timestamp - e.timestamp <= 0.003;
  });
  if (newer) return true;
  plat::Window* w = e.window.get();
  plat::View* target = w ? w->firstResponder() : nullptr;
  if (!plat::app().modalWindow() && (target || !w)) {
    int flags = 0;
    int vk = g_SHIM_keyTranslate ? g_SHIM_keyTranslate(e, &flags) : e.keyCode;
    MSG rec;
    memset(&rec, 0, sizeof rec);
    rec.hwnd = SHIM_H(target);
    rec.message = e.type == plat::EventType::KeyDown ? WM_KEYDOWN : WM_KEYUP;
    rec.wParam = (WPARAM)vk;
    rec.lParam = (LPARAM)flags;
    if (callHost(SHIMAPPMSG_KEY_EVENT, (INT_PTR)&rec, (INT_PTR)&e) > 0) return true;
  }
  if (e.type == plat::EventType::KeyDown && target && w &&
      dynamic_cast<SHIM_MessageTarget*>(w->contentView()))
    return handleDialogKey(e);
  return false;
}

bool SHIMAppController::handleDialogKey(const plat::Event& e) {
  plat::Window* w = e.window.get();
  plat::Ref<plat::Window> hold(w);
  plat::View* target = w->firstResponder();
  plat::View* content = w->contentView();
  HWND hc = SHIM_H(content);
  int flags = 0;
  int vk = g_SHIM_keyTranslate ? g_SHIM_keyTranslate(e, &flags) : e.keyCode;
  int mods = flags & ~1;
  // Copy, cut and paste in text belong to the text control itself.
  if (mods == 8 && (vk == 'C' || vk == 'X' || vk == 'V') && isText(target)) return false;
  if (mods == 8 && vk == 'W') {
    SendMessage(hc, WM_COMMAND, IDCANCEL, 0);
    return true;
  }
  if (vk == 0x1B && (mods & ~4) == 0) {
    bool shift = (mods & 4) != 0;
    if (!isText(target) || !isEditableText(target)) {
      if (shift && isText(target))
        SetFocus(hc);
      else
        SendMessage(hc, WM_COMMAND, IDCANCEL, 0);
    } else if (shift) {
      SetFocus(hc);
    } else if (fieldBetween(target, content)) {
      SendMessage(hc, WM_COMMAND, IDCANCEL, 0);
    } else {
      SetFocus(hc);
    }
    return true;
  }
  if (vk == 0x0D && mods == 0) {
    if (isEditableText(target) && !fieldBetween(target, content)) return false;
    int id = SHIM_GetDefaultButtonID(hc, true);
    if (id)
      SendMessage(hc, WM_COMMAND, (WPARAM)id, 0);
    else
      SetFocus(hc);
    return true;
  }
  return false;
}

void* SHIMAppController::shimGetAPPAPIFunc() { return (void*)&SHIMAPI_GetFunc; }

BOOL SHIMAppController::shimPostMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return SHIM_Internal_PostMessage(hwnd, msg, wp, lp);
}

void SHIMAppController::shimPostMessageClearQ(HWND hwnd) { SHIM_Internal_PMQ_ClearAllMessages(hwnd); }

void SHIMAppController::shimPostMessageTick() { SHIM_MessageQueue_Flush(); }

void SHIM_SetLaunchFiles(int argc, char** argv) {
  g_launchFiles.clear();
  char cwd[4096];
  bool haveCwd = getcwd(cwd, sizeof cwd) != nullptr;
  for (int i = 1; i < argc; ++i) {
    if (!argv[i] || !*argv[i]) continue;
    std::string path = argv[i];
    // The desktop hands over absolute paths: a name given relative to the
    // working folder becomes one.
    if (path[0] != '/' && haveCwd) path = std::string(cwd) + "/" + path;
    g_launchFiles.push_back(path);
  }
}

// The files named at launch go to the delegate one by one; without any, it
// is asked whether to open an untitled document.
static void openLaunchFiles() {
  std::vector<std::string> files;
  files.swap(g_launchFiles);
  if (files.empty()) {
    if (g_controller->applicationShouldOpenUntitledFile()) g_controller->applicationOpenUntitledFile();
    return;
  }
  for (const std::string& f : files) {
    if (plat::app().isTerminated()) return;
    if (!g_controller->applicationOpenFile(f))
      fprintf(stderr, "The document \"%s\" could not be opened.\n", f.c_str());
  }
}

void SHIM_StartApplication() {
  if (g_controller) return;
  g_controller = new SHIMAppController();
  // Context menus, pop-up buttons and the menu strip pop menus up this way
  // unless someone (a test) installed another way first.
  if (!plat::app().menuTracker()) plat::app().setMenuTracker(SHIM_Internal_DefaultMenuTracker());
  SHIM_Internal_SetListControlMaker(SHIM_Internal_MakeListControl);
  SHIM_Internal_SetImageListDrawer(SHIM_Internal_DrawImageListImage);
  SHIM_Internal_InstallDropDestination();
  g_controller->awakeFromNib();
  plat::app().finishLaunching();
  openLaunchFiles();
}

int SHIM_ApplicationMain(int argc, char** argv) {
  plat::startPresenterFromEnvironment();
  SHIM_SetLaunchFiles(argc, argv);
  SHIM_StartApplication();
  plat::app().run();
  return 0;
}

void SHIM_ShutdownForTests() {
  SHIM_Internal_StopAccessibility();
  plat::app().resetForTests();
  SHIM_Internal_ResetClipboard();
  SHIM_Internal_ResetCursors();
  plat::Pasteboard::resetAllForTests();
  SHIM_Internal_ResetTimersAndQueue();
  SHIM_SetDefaultWindowMenu(nullptr);
  SHIM_SetDefaultModalWindowMenu(nullptr);
  if (GetCapture()) ReleaseCapture();
  if (g_stockSysMenu) g_stockSysMenu->release();
  g_stockSysMenu = nullptr;
  delete g_controller;
  g_controller = nullptr;
  g_launchFiles.clear();
  SHIM_Internal_ResetPresentation();
}
