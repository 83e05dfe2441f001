// The name-to-function table. Add a function with one SHIM_API(name) line;
// the table is sorted by name on first use, so the order here is free.

#include "shim-appstub.h"

#include <stdlib.h>
#include <string.h>

#include <mutex>

#include "shim.h"
#include "shim-ini.h"
#include "shim-kernel.h"
#include "shim-misc.h"
#include "shim-wnd.h"
#include "shimappmain.h"

namespace {

struct ApiEntry {
  const char* name;
  void* func;
};

#define SHIM_API(fn) {#fn, reinterpret_cast<void*>(&fn)}

ApiEntry api_table[] = {
    // dialogs, window handles
    SHIM_API(SHIM_DialogBox),
    SHIM_API(SHIM_CreateDialog),
    SHIM_API(EndDialog),
    SHIM_API(SHIM_GetDefaultWindowMenu),
    SHIM_API(SHIM_SetDefaultWindowMenu),
    SHIM_API(SHIM_GetDefaultModalWindowMenu),
    SHIM_API(SHIM_SetDefaultModalWindowMenu),
    SHIM_API(SHIM_SetMenuDestination),
    // timers, queue, run loop
    SHIM_API(SetTimer),
    SHIM_API(KillTimer),
    SHIM_API(PostMessage),
    SHIM_API(SHIM_MessageQueue_Flush),
    SHIM_API(SHIM_MessageQueue_Clear),
    SHIM_API(SHIM_Internal_PostMessage_Init),
    SHIM_API(SHIM_PostQuitMessage),
    SHIM_API(SHIM_EnableRightClickEmulate),
    SHIM_API(SHIM_GetOSXVersion),
    SHIM_API(SHIM_DisableAppNap),
    SHIM_API(SHIM_EnsureMultithreadedCocoa),
    SHIM_API(SHIM_InitAutoRelease),
    SHIM_API(SHIM_QuitAutoRelease),
    // window functions, messages
    SHIM_API(SendMessage),
    SHIM_API(SHIM_BroadcastMessage),
    SHIM_API(DefWindowProc),
    SHIM_API(SetCapture),
    SHIM_API(GetCapture),
    SHIM_API(ReleaseCapture),
    SHIM_API(GetDlgItem),
    SHIM_API(GetParent),
    SHIM_API(SetParent),
    SHIM_API(IsWindowVisible),
    SHIM_API(IsWindow),
    SHIM_API(IsChild),
    SHIM_API(GetWindowLong),
    SHIM_API(SetWindowLong),
    SHIM_API(GetDlgItemText),
    SHIM_API(SetDlgItemText),
    SHIM_API(SetDlgItemInt),
    SHIM_API(GetDlgItemInt),
    SHIM_API(CheckDlgButton),
    SHIM_API(IsDlgButtonChecked),
    SHIM_API(ShowWindow),
    SHIM_API(DestroyWindow),
    SHIM_API(GetWindowRect),
    SHIM_API(GetWindowContentViewRect),
    SHIM_API(GetClientRect),
    SHIM_API(SetWindowPos),
    SHIM_API(GetWindow),
    SHIM_API(EnumChildWindows),
    SHIM_API(EnumWindows),
    SHIM_API(ClientToScreen),
    SHIM_API(ScreenToClient),
    SHIM_API(SetProp),
    SHIM_API(GetProp),
    SHIM_API(RemoveProp),
    SHIM_API(EnumPropsEx),
    SHIM_API(SHIM_CB_AddString),
    SHIM_API(SHIM_CB_InsertString),
    SHIM_API(SHIM_CB_DeleteString),
    SHIM_API(SHIM_CB_GetNumItems),
    SHIM_API(SHIM_CB_GetCurSel),
    SHIM_API(SHIM_CB_SetCurSel),
    SHIM_API(SHIM_CB_GetItemText),
    SHIM_API(SHIM_CB_Empty),
    SHIM_API(SHIM_CB_GetItemData),
    SHIM_API(SHIM_CB_SetItemData),
    SHIM_API(SHIM_CB_FindString),
    SHIM_API(SHIM_TB_GetPos),
    SHIM_API(SHIM_TB_SetPos),
    SHIM_API(SHIM_TB_SetRange),
    SHIM_API(SHIM_TB_SetTic),
    // focus, redraw, modal sessions, levels
    SHIM_API(SetFocus),
    SHIM_API(GetFocus),
    SHIM_API(SetForegroundWindow),
    SHIM_API(GetForegroundWindow),
    SHIM_API(EnableWindow),
    SHIM_API(IsWindowEnabled),
    SHIM_API(SHIM_GetViewPort),
    SHIM_API(InvalidateRect),
    SHIM_API(UpdateWindow),
    SHIM_API(SHIM_FlushWindow),
    SHIM_API(SHIM_HideApp),
    SHIM_API(SHIM_ModalWindowStart),
    SHIM_API(SHIM_ModalWindowRun),
    SHIM_API(SHIM_ModalWindowEnd),
    SHIM_API(SHIM_CloseWindow),
    SHIM_API(SHIM_GetWindowWantRaiseAmt),
    SHIM_API(SHIM_SetWindowWantRaiseAmt),
    SHIM_API(SHIM_SetWindowLevel),
    SHIM_API(SetOpaque),
    SHIM_API(SetAllowNoMiddleManRendering),
    SHIM_API(SHIM_GetDefaultButtonID),
    SHIM_API(SHIM_SetWindowRepre),
    // controls, the control factory
    SHIM_API(TabCtrl_GetItemCount),
    SHIM_API(TabCtrl_AdjustRect),
    SHIM_API(TabCtrl_DeleteItem),
    SHIM_API(TabCtrl_InsertItem),
    SHIM_API(TabCtrl_SetCurSel),
    SHIM_API(TabCtrl_GetCurSel),
    SHIM_API(SHIM_MakeSetCurParms),
    SHIM_API(SHIM_GenerateDialogFromList),
    SHIM_API(SHIM_MakeButton),
    SHIM_API(SHIM_MakeEditField),
    SHIM_API(SHIM_MakeLabel),
    SHIM_API(SHIM_MakeCheckBox),
    SHIM_API(SHIM_MakeListBox),
    SHIM_API(SHIM_MakeGroupBox),
    SHIM_API(SHIM_MakeCombo),
    SHIM_API(SHIM_MakeControl),
    SHIM_API(SHIM_RegisterCustomControlCreator),
    SHIM_API(SHIM_UnregisterCustomControlCreator),
    SHIM_API(SHIM_GetDesiredControlSize),
    SHIM_API(SHIM_IsGroupBox),
    SHIM_API(SHIM_IsButton),
    SHIM_API(SHIM_IsStaticText),
    // default procedure, clipboard, desktop services
    SHIM_API(BeginPaint),
    SHIM_API(EndPaint),
    SHIM_API(DragQueryPoint),
    SHIM_API(DragQueryFile),
    SHIM_API(DragFinish),
    SHIM_API(OpenClipboard),
    SHIM_API(CloseClipboard),
    SHIM_API(EmptyClipboard),
    SHIM_API(RegisterClipboardFormat),
    SHIM_API(EnumClipboardFormats),
    SHIM_API(GetClipboardData),
    SHIM_API(SetClipboardData),
    SHIM_API(GetSystemMetrics),
    SHIM_API(ScrollWindow),
    SHIM_API(FindWindowEx),
    SHIM_API(ShellExecute),
    SHIM_API(SHIM_DrawFocusRect),
    SHIM_API(WindowFromPoint),
    // keyboard, mouse, cursors
    SHIM_API(SHIM_MacKeyToWindowsKey),
    SHIM_API(SHIM_MacKeyToWindowsKeyEx),
    SHIM_API(SHIM_KeyToASCII),
    SHIM_API(GetAsyncKeyState),
    SHIM_API(GetCursorPos),
    SHIM_API(GetMessagePos),
    SHIM_API(SHIM_SetCursorPos),
    SHIM_API(SHIM_ShowCursor),
    SHIM_API(SHIM_IsCursorVisible),
    SHIM_API(SHIM_LoadCursor),
    SHIM_API(SHIM_LoadCursorFromFile),
    SHIM_API(SHIM_Register_Cursor_Resource),
    SHIM_API(SHIM_SetCursor),
    SHIM_API(SHIM_GetCursor),
    SHIM_API(SHIM_GetLastSetCursor),
    // menus
    SHIM_API(CreatePopupMenu),
    SHIM_API(CreatePopupMenuEx),
    SHIM_API(DestroyMenu),
    SHIM_API(AddMenuItem),
    SHIM_API(GetSubMenu),
    SHIM_API(GetMenuItemCount),
    SHIM_API(GetMenuItemID),
    SHIM_API(SetMenuItemModifier),
    SHIM_API(SetMenuItemText),
    SHIM_API(EnableMenuItem),
    SHIM_API(DeleteMenu),
    SHIM_API(CheckMenuItem),
    SHIM_API(InsertMenuItem),
    SHIM_API(SHIM_InsertMenu),
    SHIM_API(GetMenuItemInfo),
    SHIM_API(SetMenuItemInfo),
    SHIM_API(DrawMenuBar),
    SHIM_API(SHIM_LoadMenu),
    SHIM_API(TrackPopupMenu),
    SHIM_API(SHIM_DuplicateMenu),
    SHIM_API(SetMenu),
    SHIM_API(GetMenu),
    SHIM_API(SHIM_GetCurrentMenu),
    SHIM_API(SHIM_SetCurrentMenu),
    SHIM_API(SHIM_Menu_AddMenuItem),
    SHIM_API(SHIM_GenerateMenuFromList),
    // file choosers, message boxes
    SHIM_API(MessageBox),
    SHIM_API(BrowseForFiles),
    SHIM_API(BrowseForSaveFile),
    SHIM_API(BrowseForDirectory),
    SHIM_API(BrowseFile_SetTemplate),
    // portable helpers: time, rectangles, kernel objects, memory, modules
    SHIM_API(Sleep),
    SHIM_API(GetTickCount),
    SHIM_API(GetFileTime),
    SHIM_API(MulDiv),
    SHIM_API(_controlfp),
    SHIM_API(SHIM_PtInRect),
    SHIM_API(WinOffsetRect),
    SHIM_API(WinSetRect),
    SHIM_API(WinIntersectRect),
    SHIM_API(WinUnionRect),
    SHIM_API(CloseHandle),
    SHIM_API(CreateEvent),
    SHIM_API(CreateEventAsSocket),
    SHIM_API(SetEvent),
    SHIM_API(ResetEvent),
    SHIM_API(WaitForSingleObject),
    SHIM_API(WaitForAnySocketObject),
    SHIM_API(CreateThread),
    SHIM_API(GetCurrentThreadId),
    SHIM_API(SetThreadPriority),
    SHIM_API(GlobalAlloc),
    SHIM_API(GlobalLock),
    SHIM_API(GlobalUnlock),
    SHIM_API(GlobalSize),
    SHIM_API(GlobalFree),
    SHIM_API(lstrcpyn),
    SHIM_API(LoadLibrary),
    SHIM_API(LoadLibraryGlobals),
    SHIM_API(GetProcAddress),
    SHIM_API(FreeLibrary),
    SHIM_API(SHIM_GetBundle),
    SHIM_API(GetModuleFileName),
    SHIM_API(SHIM_GenerateGUID),
    SHIM_API(GetTempPath),
    SHIM_API(SHIM_ExtendedAPI),
    // ini files
    SHIM_API(GetPrivateProfileString),
    SHIM_API(GetPrivateProfileInt),
    SHIM_API(WritePrivateProfileString),
    SHIM_API(GetPrivateProfileSection),
    SHIM_API(WritePrivateProfileSection),
    SHIM_API(GetPrivateProfileStruct),
    SHIM_API(WritePrivateProfileStruct),
};

#undef SHIM_API

int byName(const void* a, const void* b) {
  return strcmp(static_cast<const ApiEntry*>(a)->name, static_cast<const ApiEntry*>(b)->name);
}

}  // namespace

void* SHIMAPI_GetFunc(const char* name) {
  if (!name) return reinterpret_cast<void*>(0x100);
  static std::once_flag sorted;
  const size_t n = sizeof(api_table) / sizeof(api_table[0]);
  std::call_once(sorted, [n] { qsort(api_table, n, sizeof(ApiEntry), byName); });
  ApiEntry key{name, nullptr};
  auto* hit = static_cast<ApiEntry*>(bsearch(&key, api_table, n, sizeof(ApiEntry), byName));
  return hit ? hit->func : nullptr;
}
