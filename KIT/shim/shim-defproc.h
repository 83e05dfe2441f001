#pragma once

// What window procedures lean on: the default answers (DefWindowProc and
// SHIM_BroadcastMessage in shim-wnd.h), the paint bracket, dropped-file
// records, the clipboard, system metrics, scrolling child windows, finding
// windows, opening documents and addresses through the desktop, the
// focus-rectangle overlay and the routing of mouse events to views that
// claim non-client areas.

#include "platform/event.h"
#include "shim-types.h"

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
} PAINTSTRUCT;

#define WM_DISPLAYCHANGE 0x007E
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CYVSCROLL 20
#define SM_CXHSCROLL 21

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);

// Dropped files: a block from GlobalAlloc holding {int32 offset of the name
// list (16), int32 x, int32 y, int32 non-client flag} and then the
// NUL-terminated names, ended by an empty one (SHIM_Internal_MakeDropBlock).
UINT DragQueryPoint(HDROP h, POINT* p);
UINT DragQueryFile(HDROP h, UINT idx, char* buf, UINT size);
void DragFinish(HDROP h);

// The clipboard. Text is the format registered as "SHIM__CF_TEXT" and is the
// desktop's clipboard text; other formats stay with this program.
BOOL OpenClipboard(HWND hwnd);
BOOL CloseClipboard();
BOOL EmptyClipboard();
UINT RegisterClipboardFormat(const char* name);
UINT EnumClipboardFormats(UINT fmt);
HANDLE GetClipboardData(UINT fmt);
HANDLE SetClipboardData(UINT fmt, HANDLE mem);

int GetSystemMetrics(int index);
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip);
HWND FindWindowEx(HWND parent, HWND after, const char* classname, const char* title);
BOOL ShellExecute(HWND hwnd, const char* verb, const char* file, const char* parms,
                  const char* dir, int show);
void SHIM_DrawFocusRect(HWND hwnd, const RECT* r, void** handle);
bool SHIM_HandleMouseEvent(const plat::Event& e);
HWND WindowFromPoint(POINT p);

// --- for the drop code and tests

// A dropped-file block (GlobalAlloc) for these names, the drop point and the
// non-client flag; the receiver frees it with GlobalFree.
HDROP SHIM_Internal_MakeDropBlock(const char* const* names, int count, POINT pt, bool nonClient);
// Drops the clipboard's state (tests).
void SHIM_Internal_ResetClipboard();
