#pragma once

// The application delegate: starts the layer on the platform application and
// drives the host through SHIMAppMain with numbered application messages; it
// also sees every key first, offers it to the host and implements the dialog
// keys (Escape, Return, Command+W).

#include <string>

#include "platform/app.h"
#include "platform/menu.h"
#include "shim-msgs.h"
#include "shim-types.h"

#define SHIMAPPMSG_AWAKE_FROM_NIB 1
#define SHIMAPPMSG_DID_FINISH_LAUNCHING 2
#define SHIMAPPMSG_WILL_TERMINATE 3
#define SHIMAPPMSG_SHOULD_TERMINATE 4
#define SHIMAPPMSG_OPEN_FILE 80
#define SHIMAPPMSG_OPEN_UNTITLED_FILE 81
#define SHIMAPPMSG_SHOULD_OPEN_UNTITLED_FILE 82
#define SHIMAPPMSG_SYS_MENU_COMMAND 153
#define SHIMAPPMSG_KEY_EVENT 256
#define SHIMAPPMSG_ACTIVE_CHANGED 4096

// The host's callback. Declared weak so that programs and tests that use the
// layer without a host still link; the layer then gets 0 for every message.
INT_PTR SHIMAppMain(int msg, INT_PTR parm1, INT_PTR parm2) __attribute__((weak));

class SHIMAppController : public plat::ApplicationDelegate {
public:
  // Layer start-up, then SHIMAppMain(1).
  void awakeFromNib();
  // An application-menu item was chosen.
  void onSysMenuCommand(plat::MenuItem* item);

  void applicationDidFinishLaunching() override;
  plat::TerminateReply applicationShouldTerminate() override;
  void applicationWillTerminate() override;
  void applicationDidBecomeActive() override;
  void applicationDidResignActive() override;
  bool applicationOpenFile(const std::string& path) override;
  bool applicationOpenUntitledFile() override;
  bool applicationShouldOpenUntitledFile() override;
  // Key filtering, the host's look at keys and the dialog keys.
  bool filterEvent(const plat::Event& e) override;

  void* shimGetAPPAPIFunc();
  BOOL shimPostMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void shimPostMessageClearQ(HWND hwnd);
  void shimPostMessageTick();

private:
  bool handleDialogKey(const plat::Event& e);
  void activeChanged(bool active);
};

SHIMAppController* SHIM_GetAppController();
// The copy of the application menu's first submenu taken at start-up (null
// when there was none).
plat::Menu* SHIM_GetStockAppMenu();

// The files named on the command line (argv[1..]), handed to the delegate
// once launching has finished: each as an open-file request (message 80), or
// without any the untitled-document questions (82, then 81 on a yes).
void SHIM_SetLaunchFiles(int argc, char** argv);
// Makes the delegate, runs its start-up and finishes launching (messages 1
// and 2) without running the loop, then hands over the launch files.
void SHIM_StartApplication();
// The accessibility bridge (shim-access.cpp): started when launching ends,
// with a presenter and a reachable accessibility bus; stopped on quitting.
void SHIM_Internal_StartAccessibility();
void SHIM_Internal_StopAccessibility();
// The program's main: a presenter when a display is there, start-up, then the
// run loop until the application terminates.
int SHIM_ApplicationMain(int argc, char** argv);
// Closes everything and forgets the delegate, timers and queue (tests).
void SHIM_ShutdownForTests();
