#pragma once

// Message numbers, window-long indices, styles, commands and the records that
// travel with messages. Windows numbers unless noted as this layer's own.

#include "shim-types.h"

// --- window messages
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_ACTIVATEAPP 0x001C
// Asks a view's procedure for an accessibility object (shim-dlg.h).
#define WM_GETOBJECT 0x003D
#define SHIM_OBJID_ACCESSIBLE 0x1001
#define WM_SETCURSOR 0x0020
#define WM_MOUSEACTIVATE 0x0021
#define WM_GETMINMAXINFO 0x0024
#define WM_DRAWITEM 0x002B
#define WM_NOTIFY 0x004E
#define WM_CONTEXTMENU 0x007B
#define WM_NCCALCSIZE 0x0083
#define WM_NCHITTEST 0x0084
#define WM_NCPAINT 0x0085
#define WM_NCMOUSEMOVE 0x00A0
#define WM_NCLBUTTONDOWN 0x00A1
#define WM_NCLBUTTONUP 0x00A2
#define WM_NCLBUTTONDBLCLK 0x00A3
#define WM_NCRBUTTONDOWN 0x00A4
#define WM_NCRBUTTONUP 0x00A5
#define WM_NCRBUTTONDBLCLK 0x00A6
#define WM_NCMBUTTONDOWN 0x00A7
#define WM_NCMBUTTONUP 0x00A8
#define WM_NCMBUTTONDBLCLK 0x00A9
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_INITMENUPOPUP 0x0117
#define WM_GESTURE 0x0119
#define WM_CTLCOLORBTN 0x0135
#define WM_CTLCOLORDLG 0x0136
#define WM_CTLCOLORSTATIC 0x0138
#define WM_MOUSEFIRST 0x0200
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MBUTTONDBLCLK 0x0209
#define WM_MOUSEWHEEL 0x020A
#define WM_MOUSEHWHEEL 0x020E
#define WM_CAPTURECHANGED 0x0215
#define WM_DROPFILES 0x0233
#define WM_USER 0x0400

// --- hit-test codes
#define HTNOWHERE 0
#define HTCLIENT 1
#define HTCAPTION 2

// --- dialog results and command ids
#define IDOK 1
#define IDCANCEL 2
// WM_INITDIALOG answer that keeps the focus on the dialog view itself.
#define SHIM_INITDIALOG_FOCUS_SELF 0xBEEF

// --- window-long indices
#define GWL_WNDPROC (-4)
#define DWL_DLGPROC (-8)
#define GWL_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_USERDATA (-21)
#define GWLP_WNDPROC GWL_WNDPROC
#define DWLP_DLGPROC DWL_DLGPROC
#define GWLP_USERDATA GWL_USERDATA
#define GWLP_ID GWL_ID

// --- styles
#define WS_CAPTION 0x00C00000
#define WS_THICKFRAME 0x00040000
#define WS_GROUP 0x00020000
#define WS_EX_ACCEPTFILES 0x00000010
#define BS_AUTOCHECKBOX 3
#define BS_AUTO3STATE 6
#define BS_AUTORADIOBUTTON 9
#define CBS_SORT 0x0100

// --- ShowWindow
#define SW_HIDE 0
#define SW_SHOWNA 1
#define SW_SHOWNOACTIVATE 1
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOW 2
#define SW_SHOWMINIMIZED 3
#define SW_MINIMIZE 3

// --- GetWindow
#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5

// --- SetWindowPos (move and size flags are this layer's own values)
#define SWP_NOMOVE 1
#define SWP_NOSIZE 2
#define SWP_NOZORDER 4
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)

// --- button, combo box, trackbar and edit messages
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_GETIMAGE 0x00F6
#define BM_SETIMAGE 0x00F7
// wParam of BM_GETIMAGE and BM_SETIMAGE: the kind of image (above 1: none).
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define BST_INDETERMINATE 2
#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_FINDSTRING 0x014C
#define CB_SETCURSEL 0x014E
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151
#define CB_FINDSTRINGEXACT 0x0158
#define CB_ERR (-1)
#define TBM_GETPOS 0x0400
#define TBM_SETTIC 0x0404
#define TBM_SETPOS 0x0405
#define TBM_SETRANGE 0x0406
#define EM_GETSEL 0xF0B0
#define EM_SETSEL 0xF0B1
#define EM_SCROLL 0xF0B5
#define EM_SETPASSWORDCHAR 0xF0CC

// --- notification codes in the high word of WM_COMMAND's wParam
#define BN_CLICKED 0
#define BN_DBLCLK 1
#define CBN_SELCHANGE 1
#define CBN_EDITCHANGE 5
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300

// --- records
typedef struct tagWINDOWPOS {
  HWND hwnd, hwndInsertAfter;
  int x, y, cx, cy;
  UINT flags;
} WINDOWPOS;

typedef struct tagNCCALCSIZE_PARAMS {
  RECT rgrc[3];
  WINDOWPOS* lppos;
} NCCALCSIZE_PARAMS;

typedef struct tagMINMAXINFO {
  POINT ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
} MINMAXINFO;

// The record WM_GESTURE's lParam points to (56 bytes; read it with
// SHIM_GetGestureInfo). ptsLocation is in screen coordinates.
typedef struct POINTS {
  short x, y;
} POINTS;
typedef struct tagGESTUREINFO {
  UINT cbSize;
  DWORD dwFlags;  // GF_BEGIN, GF_END
  DWORD dwID;     // GID_ZOOM (magnify), GID_PAN (swipe), GID_ROTATE
  HWND hwndTarget;
  POINTS ptsLocation;
  DWORD dwInstanceID;
  DWORD dwSequenceID;
  uint64_t ullArguments;
  UINT cbExtraArgs;
} GESTUREINFO;
#define GF_BEGIN 1
#define GF_END 4
#define GID_ZOOM 3
#define GID_PAN 4
#define GID_ROTATE 5

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG;

typedef void (*TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
typedef BOOL (*WNDENUMPROC)(HWND, LPARAM);
typedef BOOL (*PROPENUMPROCEX)(HWND, const char*, HANDLE, ULONG_PTR);
