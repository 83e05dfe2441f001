#pragma once

// Win32-style menus over the platform's menus. An HMENU is a plat::Menu; an
// item's command id is its tag and its application data a boxed value.
// Menus are built from generated lists and registered menu resources,
// attached to windows, popped up as context menus; chosen commands come back
// as WM_COMMAND to the owning window. Key equivalents use Ctrl where the
// desktop the program was made for uses Command.

#include "platform/menu.h"
#include "shim-types.h"

#define MF_BYCOMMAND 0x0000
#define MF_BYPOSITION 0x0400
#define MF_ENABLED 0x0000
#define MF_GRAYED 0x0001
#define MF_DISABLED 0x0002
#define MF_CHECKED 0x0008
#define MF_UNCHECKED 0x0000
#define MF_POPUP 0x0010
#define MF_SEPARATOR 0x0800
#define MF_STRING 0x0000
#define MF_BITMAP 0x0004

#define MIIM_ID 1
#define MIIM_STATE 2
#define MIIM_TYPE 4
#define MIIM_SUBMENU 8
#define MIIM_DATA 16
#define MFT_STRING 0
#define MFT_BITMAP 4
#define MFT_SEPARATOR 0x800
#define MFS_GRAYED 3
#define MFS_CHECKED 8

#define TPM_NONOTIFY 0x0080
#define TPM_RETURNCMD 0x0100

typedef struct tagMENUITEMINFO {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HBITMAP hbmpChecked;
  HBITMAP hbmpUnchecked;
  ULONG_PTR dwItemData;
  char* dwTypeData;
  int cch;
  HBITMAP hbmpItem;
} MENUITEMINFO;

// One entry of a generated menu list.
struct SHIM_MenuListEntry {
  const char* name;  // null: separator; "/.BO^O:" + title: a popup; "EN%%%^:": its end
  unsigned short id;
  unsigned short flags;  // non-zero: disabled
};

struct SHIM_MenuResourceIndex {
  const char* resid;  // an integer id carried in a pointer, compared by value
  void (*createFunc)(HMENU menu);
  SHIM_MenuResourceIndex* next;
};
extern SHIM_MenuResourceIndex* SHIM_curmodule_menuresource_head;

HMENU CreatePopupMenu();
HMENU CreatePopupMenuEx(const char* title);
void DestroyMenu(HMENU menu);
HMENU SHIM_DuplicateMenu(HMENU menu);
HMENU SHIM_LoadMenu(SHIM_MenuResourceIndex* head, const char* resid);
int SHIM_GenerateMenuFromList(HMENU menu, const void* list, int count);

HMENU GetSubMenu(HMENU menu, int pos);
int GetMenuItemCount(HMENU menu);
int GetMenuItemID(HMENU menu, int pos);
BOOL InsertMenuItem(HMENU menu, int pos, BOOL byPos, MENUITEMINFO* mii);
BOOL SetMenuItemInfo(HMENU menu, int pos, BOOL byPos, MENUITEMINFO* mii);
BOOL GetMenuItemInfo(HMENU menu, int pos, BOOL byPos, MENUITEMINFO* mii);
void SHIM_InsertMenu(HMENU menu, int pos, unsigned int flag, UINT_PTR idx, const char* str);
void SHIM_Menu_AddMenuItem(HMENU menu, const char* name, int id, unsigned int flags);
int AddMenuItem(HMENU menu, int pos, const char* name, int tag);
BOOL DeleteMenu(HMENU menu, int pos, int flag);
BOOL EnableMenuItem(HMENU menu, int pos, int flag);
BOOL CheckMenuItem(HMENU menu, int pos, int flag);
BOOL SetMenuItemText(HMENU menu, int pos, int flag, const char* text);
BOOL SetMenuItemModifier(HMENU menu, int pos, int flag, int code, unsigned int mask);

HMENU SHIM_GetCurrentMenu();
void SHIM_SetCurrentMenu(HMENU menu);
BOOL SetMenu(HWND hwnd, HMENU menu);
HMENU GetMenu(HWND hwnd);
void DrawMenuBar(HWND hwnd);
int TrackPopupMenu(HMENU menu, int flags, int x, int y, int resvd, HWND hwnd, const RECT* r);

// --- between the layer's units

plat::Menu* SHIM_Internal_Menu(HMENU menu);
inline HMENU SHIM_Internal_HMenu(plat::Menu* m) {
  return reinterpret_cast<HMENU>(static_cast<plat::Object*>(m));
}
// How an item's key equivalent reads in a menu ("Ctrl+Shift+S").
std::string SHIM_Internal_KeyEquivalentLabel(const plat::MenuItem* item);
// The popped-up menus of this layer: a borderless window per menu, run as a
// modal session until an item is chosen or the menu dismissed.
plat::MenuTracker* SHIM_Internal_DefaultMenuTracker();
