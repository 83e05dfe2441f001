#include "controls_fixture.h"

namespace {

std::vector<SHIM_DlgGenEntry> g_entries;
bool g_sizeToFit = false;
float g_scale = 1;

void createFromList(HWND view, int) {
  SHIM_MakeSetCurParms(g_scale, g_scale, 0, 0, view, true, g_sizeToFit);
  SHIM_GenerateDialogFromList(g_entries.data(), int(g_entries.size()));
}

SHIM_DialogResourceIndex g_res = {(const char*)(INT_PTR)101, "Generated", SHIM_DLGFLAG_FLIPPED,
                                  createFromList, 400, 300, nullptr};

plat::MenuItem* findTitled(plat::Menu* m, const std::string& t) {
  for (int i = 0; m && i < m->count(); ++i) {
    plat::MenuItem* it = m->item(i);
    if (it->title() == t) return it;
    if (plat::MenuItem* sub = findTitled(it->submenu(), t)) return sub;
  }
  return nullptr;
}

}  // namespace

void GeneratedDialog::TearDown() {
  g_entries.clear();
  ShimTest::TearDown();
}

HWND GeneratedDialog::make(const std::vector<SHIM_DlgGenEntry>& entries, int w, int h, bool sizeToFit,
                           float scale) {
  g_entries = entries;
  g_sizeToFit = sizeToFit;
  g_scale = scale;
  g_res.width = w;
  g_res.height = h;
  dlg = SHIM_CreateDialog(&g_res, g_res.resid, nullptr, (DLGPROC)RecordingProc, 0);
  ShowWindow(dlg, SW_SHOW);
  SetFocus(dlg);
  return dlg;
}

void GeneratedDialog::click(HWND view, double x, double y, int clicks) {
  plat::View* v = SHIM_View(view);
  plat::Point p = v->convertToWindow({x, y});
  for (plat::EventType t : {plat::EventType::LeftMouseDown, plat::EventType::LeftMouseUp}) {
    plat::Event e;
    e.type = t;
    e.window = v->window();
    e.location = p;
    e.clickCount = clicks;
    e.timestamp = plat::app().now();
    plat::app().sendEvent(e);
  }
}

void GeneratedDialog::key(HWND target, uint16_t code, const std::string& chars, uint32_t mods) {
  plat::View* v = SHIM_View(target);
  plat::Event e;
  e.type = plat::EventType::KeyDown;
  e.window = v->window();
  e.keyCode = code;
  e.characters = e.charactersIgnoringModifiers = chars;
  e.modifierFlags = mods;
  e.timestamp = plat::app().now();
  plat::app().sendEvent(e);
}

std::vector<WPARAM> GeneratedDialog::commands() const {
  std::vector<WPARAM> out;
  for (const Seen& s : g_seen)
    if (s.hwnd == dlg && s.msg == WM_COMMAND) out.push_back(s.wp);
  return out;
}

plat::MenuItem* ScriptedTracker::popUp(plat::Menu* menu, plat::Window*, const plat::Point&) {
  ++popups;
  if (menu->willOpen) {
    auto fn = menu->willOpen;
    fn(menu);
  }
  shownTitles.clear();
  for (int i = 0; i < menu->count(); ++i) shownTitles.push_back(menu->item(i)->title());
  return choose.empty() ? nullptr : findTitled(menu, choose);
}
