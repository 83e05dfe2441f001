#pragma once

// The effect with its editor, the editor open in a window on the virtual
// clock, the program's images as resources, and scripted stand-ins for the
// popup menus and the file panels.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Harshbloom.h"
#include "IControl.h"
#include "IGraphicsDesktop.h"
#include "pix.h"
#include "platform/app.h"
#include "platform/menu.h"
#include "platform/panels.h"
#include "platform/window.h"

// Chooses from popped-up menus by a path of item indexes into the menu and
// its sub-menus (empty: dismissed); records the titles of the last menu.
class ScriptedMenus : public plat::MenuTracker {
public:
  plat::MenuItem* popUp(plat::Menu* menu, plat::Window*, const plat::Point&) override {
    ++shown;
    titles.clear();
    checked.clear();
    for (int i = 0; i < menu->count(); ++i) {
      plat::MenuItem* item = menu->item(i);
      titles.push_back(item->isSeparator() ? "---" : item->title());
      if (item->state()) checked.push_back(i);
    }
    plat::MenuItem* chosen = nullptr;
    plat::Menu* m = menu;
    for (size_t k = 0; k < path.size(); ++k) {
      chosen = m ? m->item(path[k]) : nullptr;
      if (chosen && k + 1 < path.size()) {
        subTitles.clear();
        subChecked.clear();
        if (plat::Menu* sub = chosen->submenu())
          for (int i = 0; i < sub->count(); ++i) {
            subTitles.push_back(sub->item(i)->title());
            if (sub->item(i)->state()) subChecked.push_back(i);
          }
      }
      m = chosen ? chosen->submenu() : nullptr;
    }
    return chosen;
  }
  std::vector<int> path;
  std::vector<std::string> titles, subTitles;
  std::vector<int> checked, subChecked;
  int shown = 0;
};

// Answers file panels with a path, or cancels them when it has none.
class ScriptedPanels : public plat::PanelRunner {
public:
  int runFilePanel(plat::FilePanel& panel) override {
    kinds.push_back(panel.kind());
    types = panel.allowedTypes;
    titles.push_back(panel.title);
    if (answer.empty()) return 0;
    panel.paths = {answer};
    return 1;
  }
  int runAlert(plat::Alert& a) override {
    alerts.push_back(a.title + ": " + a.message);
    return 0;
  }
  std::string answer;
  std::vector<plat::PanelKind> kinds;
  std::vector<std::string> types, titles, alerts;
};

class EditorFx : public ::testing::Test {
protected:
  static constexpr int kW = 650, kH = 830;

  void SetUp() override {
    plat::app().resetForTests();
    plat::app().useVirtualClock(true);
    plat::app().setMenuTracker(&menus);
    plat::setPanelRunner(&panels);
    PIX_SetResourceDir(HB_RESOURCE_DIR);
    plug.reset(MakePlug(nullptr, nullptr));
    g = static_cast<IGraphicsDesktop*>(plug->GetGUI());
    ASSERT_NE(g, nullptr);
  }
  void TearDown() override {
    plug.reset();
    plat::setPanelRunner(nullptr);
    plat::app().setMenuTracker(nullptr);
    plat::app().resetForTests();
    PIX_SetResourceDir(nullptr);
  }

  // Puts the editor into a window, as the program does.
  void Open() {
    win = new plat::Window({100, 100, kW, kH}, plat::kStyleTitled);
    g->OpenWindow(win->contentView());
    win->makeKeyAndOrderFront();
  }
  // One turn of the editor's timer: what the effect asked for reaches the
  // controls.
  void Tick() {
    IRECT r;
    g->IsDirty(&r);
  }
  // Every control drawn into the editor's bitmap.
  void DrawAll() {
    Tick();
    Tick();
    IRECT all(0, 0, kW, kH);
    g->Draw(&all);
  }
  template <class T>
  T* ControlAt(int idx) {
    return dynamic_cast<T*>(g->GetControl(idx));
  }
  void Press(int x, int y, bool right = false) {
    IMouseMod mod(!right, right);
    g->OnMouseDown(x, y, &mod);
    g->OnMouseUp(x, y, &mod);
  }

  ScriptedMenus menus;
  ScriptedPanels panels;
  std::unique_ptr<Harshbloom> plug;
  IGraphicsDesktop* g = nullptr;
  plat::Window* win = nullptr;
};
