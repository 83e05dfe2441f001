#pragma once

// The control factory: dialogs built from lists of control entries, makers
// for each kind of control, a general maker by window-class name, and a
// registry of custom control creators asked first.
//
// A dialog's creator function calls SHIM_MakeSetCurParms with the dialog view
// and a placement transform, then SHIM_GenerateDialogFromList with its
// entries. Coordinates in the entries are dialog units; the transform turns
// them into view units.

#include <string>

#include "platform/geometry.h"
#include "platform/view.h"
#include "shim-types.h"

// One entry of a dialog list (the host's resources are arrays of these).
struct SHIM_DlgGenEntry {
  const char* kind;  // "__SHIM_BUTTON", ..., or the text of a general control
  int flag;          // default flag, label alignment, or a general control's id
  const char* text;  // caption, or a general control's class name
  int p1, p2, p3, p4, p5, p6;
};

// Factory style bits of this layer.
#define SHIM_STYLE_HIDDEN ((int)0x80000000)
#define SHIM_BS_GROUPBOX 0x20000000
#define SHIM_BS_DEFPUSHBUTTON 0x10000000
#define SHIM_BS_PUSHBUTTON 0x08000000
#define WS_HSCROLL 0x00100000
#define WS_VSCROLL 0x00200000
#define ES_CENTER 0x0001
#define ES_RIGHT 0x0002
#define ES_PASSWORD 0x0020
#define ES_READONLY 0x0800
#define SS_CENTER 0x0001
#define SS_RIGHT 0x0002
#define SS_BLACKRECT 0x0004
#define SS_LEFTNOWORDWRAP 0x000C
#define SS_NOTIFY 0x0100
#define BS_OWNERDRAW 11
#define BS_LEFTTEXT 0x0020
#define BS_BITMAP 0x0080
#define BS_LEFT 0x0100
#define CBS_DROPDOWNLIST 3

void SHIM_MakeSetCurParms(float xscale, float yscale, float xtrans, float ytrans, HWND parent,
                          bool doauto, bool dosizetofit);
void SHIM_GenerateDialogFromList(const void* list, int count);

HWND SHIM_MakeButton(int def, const char* text, int id, int x, int y, int w, int h, int style);
HWND SHIM_MakeEditField(int id, int x, int y, int w, int h, int style);
HWND SHIM_MakeLabel(int align, const char* text, int id, int x, int y, int w, int h, int flags);
HWND SHIM_MakeCheckBox(const char* text, int id, int x, int y, int w, int h, int style);
HWND SHIM_MakeListBox(int id, int x, int y, int w, int h, int style);
HWND SHIM_MakeGroupBox(const char* name, int id, int x, int y, int w, int h, int style);
HWND SHIM_MakeCombo(int id, int x, int y, int w, int h, int flags);
HWND SHIM_MakeControl(const char* cname, int idx, const char* classname, int style, int x, int y,
                      int w, int h, int exstyle);

typedef HWND (*SHIM_CustomControlCreator)(HWND parent, const char* cname, int idx,
                                          const char* classname, int style, int x, int y, int w,
                                          int h);
void SHIM_RegisterCustomControlCreator(SHIM_CustomControlCreator creator);
void SHIM_UnregisterCustomControlCreator(SHIM_CustomControlCreator creator);

void SHIM_GetDesiredControlSize(HWND hwnd, RECT* r);
bool SHIM_IsGroupBox(HWND hwnd);
bool SHIM_IsButton(HWND hwnd);
bool SHIM_IsStaticText(HWND hwnd);

// --- for the list and tree view unit and for tests

// The list and tree view classes ("SysListView32", "SysListView32_LB",
// "SysTreeView32") are made by their own unit, which installs a maker here:
// it gets the owner, the class name as asked, the id, the style and the
// placed rectangle (view units, no auto-shift), builds the control inside a
// scroll view that it adds to the owner (hidden for style bit 31), and returns
// the list or tree view. Without a maker these classes make nothing.
typedef HWND (*SHIM_ListControlMaker)(plat::View* owner, const char* classname, int idx, int style,
                                      const plat::Rect& placed);
void SHIM_Internal_SetListControlMaker(SHIM_ListControlMaker maker);

// The placement rule on the current factory state (updates the auto-shift
// record like a maker does).
plat::Rect SHIM_Internal_MakeCoords(int x, int y, int w, int h, bool wantauto, bool ignorevscaleheight);
// Text with its mnemonic marks removed, as the makers show it.
std::string SHIM_Internal_RemoveMnemonics(const char* text);
// The radio-button group the factory is on.
int SHIM_Internal_RadioGroupCount();
