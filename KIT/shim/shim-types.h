#pragma once

// Scalar types, handles and records of the Win32-style interface, shared by
// every area of the layer and by its callers.

#include <stddef.h>
#include <stdint.h>

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned int DWORD;  // 32 bits, as on the desktop the interface mimics
typedef unsigned int UINT;
typedef int INT;
typedef int LONG;
typedef unsigned int ULONG;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef ULONG_PTR DWORD_PTR;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef char* LPTSTR;
typedef const char* LPCTSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Kernel objects (threads, events, files...): a pointer to a header record.
typedef void* HANDLE;
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)

// Opaque handles; each area defines the record behind its handle.
struct HWND__;
typedef HWND__* HWND;
struct HMENU__;
typedef HMENU__* HMENU;
struct HDC__;
typedef HDC__* HDC;
struct HGDIOBJ__;
typedef HGDIOBJ__* HGDIOBJ;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HFONT;
typedef HGDIOBJ HBITMAP;
typedef HGDIOBJ HICON;
typedef HGDIOBJ HRGN;
struct HCURSOR__;
typedef HCURSOR__* HCURSOR;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct HTREEITEM__;
typedef HTREEITEM__* HTREEITEM;
struct HIMAGELIST__;
typedef HIMAGELIST__* HIMAGELIST;
typedef HANDLE HDROP;
typedef DWORD COLORREF;  // 0x00RRGGBB: red in bits 16-23

typedef struct RECT {
  int left, top, right, bottom;  // right and bottom exclusive where filled
} RECT, *LPRECT;

typedef struct POINT {
  int x, y;
} POINT, *LPPOINT;

typedef struct SIZE {
  int cx, cy;
} SIZE, *LPSIZE;

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define LOWORD(x) ((WORD)((DWORD_PTR)(x) & 0xFFFF))
#define HIWORD(x) ((WORD)(((DWORD_PTR)(x) >> 16) & 0xFFFF))
#define MAKEWPARAM(lo, hi) ((WPARAM)(DWORD)(((WORD)(lo)) | (((DWORD)(WORD)(hi)) << 16)))
#define MAKELPARAM(lo, hi) ((LPARAM)(DWORD)(((WORD)(lo)) | (((DWORD)(WORD)(hi)) << 16)))
// Points in lParam: (y << 16) | (x & 0xFFFF), both signed 16-bit.
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
