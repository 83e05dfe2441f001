#pragma once

// Window functions: finding, querying, moving, showing, re-parenting and
// destroying windows and controls, their text and window longs; SendMessage
// with the standard controls' message emulation; focus, enabling, redraw,
// modal sessions and window levels.

#include "shim-msgs.h"
#include "shim-types.h"

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Sends msg to the content view of every application window that takes
// messages (shim-defproc.cpp).
void SHIM_BroadcastMessage(UINT msg, WPARAM wp, LPARAM lp);
// Answers what a procedure leaves unhandled (shim-defproc.cpp).
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

HWND SetCapture(HWND hwnd);
HWND GetCapture();
BOOL ReleaseCapture();

HWND GetDlgItem(HWND hwnd, int id);
HWND GetParent(HWND hwnd);
HWND SetParent(HWND hwnd, HWND newParent);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL IsChild(HWND parent, HWND child);
LONG_PTR GetWindowLong(HWND hwnd, int index);
LONG_PTR SetWindowLong(HWND hwnd, int index, LONG_PTR value);
BOOL GetDlgItemText(HWND hwnd, int id, char* buf, int size);
BOOL SetDlgItemText(HWND hwnd, int id, const char* text);
BOOL SetDlgItemInt(HWND hwnd, int id, int value, int isSigned);
int GetDlgItemInt(HWND hwnd, int id, BOOL* ok, int isSigned);
void CheckDlgButton(HWND hwnd, int id, int state);
int IsDlgButtonChecked(HWND hwnd, int id);
BOOL ShowWindow(HWND hwnd, int cmd);
BOOL DestroyWindow(HWND hwnd);
BOOL GetWindowRect(HWND hwnd, RECT* r);
BOOL GetWindowContentViewRect(HWND hwnd, RECT* r);
BOOL GetClientRect(HWND hwnd, RECT* r);
BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, int flags);
HWND GetWindow(HWND hwnd, int cmd);
BOOL EnumChildWindows(HWND hwnd, WNDENUMPROC proc, LPARAM lp);
BOOL EnumWindows(WNDENUMPROC proc, LPARAM lp);
BOOL ClientToScreen(HWND hwnd, POINT* p);
BOOL ScreenToClient(HWND hwnd, POINT* p);
HWND SHIM_NavigateUpScrollClipViews(HWND hwnd);
bool IsEquivalentTextView(HWND a, HWND b);

// Window properties.
BOOL SetProp(HWND hwnd, const char* key, HANDLE value);
HANDLE GetProp(HWND hwnd, const char* key);
HANDLE RemoveProp(HWND hwnd, const char* key);
int EnumPropsEx(HWND hwnd, PROPENUMPROCEX proc, LPARAM lp);

// Helpers by dialog and control id (id 0: hwnd itself).
int SHIM_CB_AddString(HWND hwnd, int idx, const char* str);
int SHIM_CB_InsertString(HWND hwnd, int idx, int pos, const char* str);
void SHIM_CB_DeleteString(HWND hwnd, int idx, int pos);
int SHIM_CB_GetNumItems(HWND hwnd, int idx);
int SHIM_CB_GetCurSel(HWND hwnd, int idx);
void SHIM_CB_SetCurSel(HWND hwnd, int idx, int pos);
int SHIM_CB_GetItemText(HWND hwnd, int idx, int pos, char* buf, int size);
void SHIM_CB_Empty(HWND hwnd, int idx);
LPARAM SHIM_CB_GetItemData(HWND hwnd, int idx, int pos);
void SHIM_CB_SetItemData(HWND hwnd, int idx, int pos, LPARAM data);
int SHIM_CB_FindString(HWND hwnd, int idx, int start, const char* str, bool exact);
int SHIM_TB_GetPos(HWND hwnd, int idx);
int SHIM_TB_SetPos(HWND hwnd, int idx, int pos);
int SHIM_TB_SetRange(HWND hwnd, int idx, int low, int high);
int SHIM_TB_SetTic(HWND hwnd, int idx, int pos);

// Focus, enabling, redraw.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
#define SHIM_ENABLE_NOFOCUS (-1000)
BOOL EnableWindow(HWND hwnd, int enable);
BOOL IsWindowEnabled(HWND hwnd);
void SHIM_GetViewPort(RECT* out, const RECT* src, bool wantWork);
BOOL InvalidateRect(HWND hwnd, const RECT* r, BOOL erase);
BOOL UpdateWindow(HWND hwnd);
void SHIM_FlushWindow(HWND hwnd);
void SHIM_HideApp();
// Copies the gesture record a WM_GESTURE's lParam points to; 0 when either
// pointer is null.
BOOL SHIM_GetGestureInfo(LPARAM lp, GESTUREINFO* out);
// Centres the window (a view's window) on the work area of its screen.
void CenterWindow(HWND hwnd);

// Modal sessions, window attributes.
void* SHIM_ModalWindowStart(HWND hwnd);
bool SHIM_ModalWindowRun(void* session, int* ret);
void SHIM_ModalWindowEnd(void* session);
void SHIM_CloseWindow(HWND hwnd);
int SHIM_GetWindowWantRaiseAmt(HWND hwnd);
void SHIM_SetWindowWantRaiseAmt(HWND hwnd, int amt);
int SHIM_SetWindowLevel(HWND hwnd, int level);
void SHIM_SetWindowShadow(HWND hwnd, bool on);
void SetOpaque(HWND hwnd, bool opaque);
void SetTransparent(HWND hwnd);
void SetAllowNoMiddleManRendering(HWND hwnd, bool allow);
int SHIM_GetDefaultButtonID(HWND hwnd, bool onlyIfEnabled);
void SHIM_SetWindowRepre(HWND hwnd, const char* filename, bool edited);
bool SHIM_SetAppAutoHideMenuAndDock(int mode);
// Forgets the remembered presentation state (tests).
void SHIM_Internal_ResetPresentation();
