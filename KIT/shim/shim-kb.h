#pragma once

// Keyboard and pointer services: key events to Windows virtual keys with
// accelerator flags, the key state, the mouse position (with a relative mode
// while the pointer is hidden), and cursors: stock ones by Windows id,
// cursor resources the program registers, and cursor files.

#include <stdio.h>

#include <string>

#include "platform/bitmap.h"
#include "platform/event.h"
#include "platform/geometry.h"
#include "platform/view.h"
#include "shim-types.h"

// Accelerator flags; 0x20 is this layer's flag for the Control key (the
// Command modifier reports as FCONTROL).
#define FVIRTKEY 0x01
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10
#define SHIM_FLWIN 0x20

#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_LWIN 0x5B
#define VK_NUMPAD0 0x60
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_NUMLOCK 0x90

// Stock cursor ids.
#define IDC_ARROW ((const char*)32512)
#define IDC_IBEAM ((const char*)32513)
#define IDC_UPARROW ((const char*)32516)
#define IDC_SIZENWSE ((const char*)32642)
#define IDC_SIZENESW ((const char*)32643)
#define IDC_SIZEWE ((const char*)32644)
#define IDC_SIZENS ((const char*)32645)
#define IDC_SIZEALL ((const char*)32646)
#define IDC_NO ((const char*)32648)
#define IDC_HAND ((const char*)32649)

// event: a const plat::Event* (null: the event being handled now). mode 1
// prefers the typed characters over the unmodified ones and asks the
// keyboard layout for keys without text.
int SHIM_MacKeyToWindowsKeyEx(void* event, int* flags, int mode);
int SHIM_MacKeyToWindowsKey(void* event, int* flags);
// The layer's key translation hook (shim-dlg.h) in its full form.
int SHIM_Internal_KeyTranslate(const plat::Event& e, int* flags);
// The character the current layout gives a key without modifiers (0: none).
int charFromVcode(int keycode);
// Shift+digit as the US layout types it: the character, flags cleared.
int SHIM_KeyToASCII(int wParam, int lParam, int* newflags);
WORD GetAsyncKeyState(int vk);

// Screen position (y up); the virtual one while the pointer is hidden.
void GetCursorPos(POINT* p);
DWORD GetMessagePos();
// The point a mouse message reports for an event, in the view's coordinates.
plat::Point shimProcessMouseEvent(int msg, plat::View* view, const plat::Event& e);
int SHIM_SetCursorPos(int x, int y);
// Counter of show calls less hide calls; the pointer shows while >= 0.
int SHIM_ShowCursor(bool show);
bool SHIM_IsCursorVisible();

HCURSOR SHIM_LoadCursor(const char* idc);
void SHIM_Register_Cursor_Resource(const char* idc, const char* resname, int hotspot_x, int hotspot_y);
HCURSOR SHIM_LoadCursorFromFile(const char* path);
void SHIM_SetCursor(HCURSOR c);
HCURSOR SHIM_GetCursor();
HCURSOR SHIM_GetLastSetCursor();

// --- for tests and the cursor code

// A cursor file converted through a private temporary icon file and read;
// false when it is no single-image cursor file. The observer (tests) sees
// the temporary file while it exists.
bool SHIM_Internal_CursorFileImage(FILE* src, plat::Bitmap* image, POINT* hotspot);
void SHIM_Internal_SetCursorTempObserver(void (*observer)(const char* path));
// The image and hot spot behind a cursor handle.
bool SHIM_Internal_CursorInfo(HCURSOR c, plat::Bitmap* image, POINT* hotspot);
// Forgets registered cursor resources and the pointer state (tests).
void SHIM_Internal_ResetCursors();
