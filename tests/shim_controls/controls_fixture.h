#pragma once

// Dialogs generated from lists, events aimed at controls, and a menu tracker
// that answers from a script.

#include <string>
#include <vector>

#include "platform/menu.h"
#include "shim_fixture.h"

// A flipped dialog of the given size whose creator generates `entries`.
class GeneratedDialog : public ShimTest {
protected:
  void TearDown() override;
  HWND make(const std::vector<SHIM_DlgGenEntry>& entries, int w = 400, int h = 300,
            bool sizeToFit = false, float scale = 1.0f);
  // Left click (down and up) at a point of a view's own coordinates.
  void click(HWND view, double x, double y, int clicks = 1);
  void key(HWND target, uint16_t code, const std::string& chars, uint32_t mods = 0);
  // WM_COMMAND wParams the dialog got.
  std::vector<WPARAM> commands() const;
  HWND dlg = nullptr;
};

// Chooses the item with a given title (or none) and records what it showed.
class ScriptedTracker : public plat::MenuTracker {
public:
  std::string choose;
  std::vector<std::string> shownTitles;
  int popups = 0;
  plat::MenuItem* popUp(plat::Menu* menu, plat::Window* window, const plat::Point& at) override;
};
