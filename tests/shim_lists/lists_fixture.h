#pragma once

// A dialog that owns list controls, an owner procedure that copies every
// notification record while it is valid, and mouse events aimed at points
// of a control.

#include <string>
#include <vector>

#include "shim_fixture.h"

// One message the owner got, with the parts of its record that matter.
struct Note {
  UINT msg;
  WPARAM wp;
  LPARAM lp;
  HWND from;  // WM_NOTIFY: the sender
  int code;   // WM_NOTIFY: the code; WM_COMMAND: the high word
  int item, sub;
  UINT newState;
  POINT pt;
  LPARAM param;
  std::vector<std::string> files;  // WM_DROPFILES
  POINT dropPoint;
  std::string recordBytes;  // WM_DROPFILES: the whole record
  DRAWITEMSTRUCT dis;       // WM_DRAWITEM
};

class ListsTest : public ShimTest {
protected:
  void SetUp() override;
  void TearDown() override;
  // A control made by the factory in the dialog (placement as given).
  HWND make(const char* classname, int id, int style, int x = 10, int y = 10, int w = 200, int h = 120);
  // A mouse event at a point of a view's own coordinates.
  void mouse(HWND view, plat::EventType type, double x, double y, int clicks = 1, uint32_t mods = 0);
  void click(HWND view, double x, double y, int clicks = 1, uint32_t mods = 0);
  // Notes of one kind (WM_NOTIFY: of one code).
  std::vector<Note> notes(UINT msg, int code = 0) const;
  // Draws the dialog's window now.
  void display();
  HWND dlg = nullptr;
};

extern std::vector<Note> g_notes;
// What the owner answers to NM_RCLICK, and what it does on LVN_ITEMCHANGED
// (a nested state change, to see notifications do not nest).
extern LRESULT g_rclickAnswer;
extern void (*g_onItemChanged)(HWND list);
