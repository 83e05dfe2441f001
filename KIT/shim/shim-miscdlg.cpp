// File choosers and message boxes.

#include "shim-miscdlg.h"

#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <algorithm>

#include "platform/app.h"
#include "platform/panels.h"
#include "platform/text.h"
#include "shim-controls.h"
#include "shim-dlggen.h"
#include "shim-menu.h"
#include "shim-wnd.h"

namespace {

struct Template {
  const char* dlgid = nullptr;
  DLGPROC proc = nullptr;
  SHIM_DialogResourceIndex* head = nullptr;
  bool set = false;
} g_template;

// The pairs of a filter list.
struct FilterPair {
  const char* description;
  const char* patterns;
};

std::vector<FilterPair> pairsOf(const char* list) {
  std::vector<FilterPair> out;
  if (!list) return out;
  const char* p = list;
  while (*p) {
    const char* desc = p;
    p += strlen(p) + 1;
    if (!*p) break;  // a description without patterns ends the list
    out.push_back({desc, p});
    p += strlen(p) + 1;
  }
  return out;
}

std::vector<std::string> extensionsOf(const char* patterns) {
  std::vector<std::string> out;
  std::string all = patterns ? patterns : "";
  size_t start = 0;
  while (start <= all.size()) {
    size_t semi = all.find(';', start);
    std::string pat = all.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
    size_t dot = pat.find('.');
    if (dot != std::string::npos) {
      std::string ext = pat.substr(dot + 1);
      if (!ext.empty() && ext[0] != '*') out.push_back(ext.substr(0, plat::utf8Prefix(ext, 31)));
    }
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  return out;
}

void copyOut(char* fn, int fnsize, const std::string& s) {
  // No room at all: nothing is written.
  if (!fn || fnsize <= 0) return;
  size_t n = plat::utf8Prefix(s, size_t(fnsize - 1));
  memcpy(fn, s.data(), n);
  fn[n] = 0;
}

// --- the "File type:" row

struct TypeRow {
  const char* list;
  plat::FilePanel* panel;
  std::vector<FilterPair> shown;  // the pairs the combo lists, in order
};

INT_PTR fileTypeChooseProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
  TypeRow* row = reinterpret_cast<TypeRow*>(GetWindowLong(hwnd, GWL_USERDATA));
  if (!row) return 0;
  if (msg == WM_SIZE) {
    RECT r;
    GetClientRect(hwnd, &r);
    int w = r.right - r.left;
    if (HWND l = GetDlgItem(hwnd, 1001)) SetWindowPos(l, nullptr, w / 2 - 169, 2, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    if (HWND c = GetDlgItem(hwnd, 1000)) SetWindowPos(c, nullptr, w / 2 - 85, 0, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    return 0;
  }
  if (msg == WM_COMMAND && wp == ((CBN_SELCHANGE << 16) | 1000)) {
    int sel = SHIM_CB_GetCurSel(hwnd, 1000);
    const char* def = sel >= 0 ? reinterpret_cast<const char*>(SHIM_CB_GetItemData(hwnd, 1000, sel)) : nullptr;
    row->panel->allowedTypes = SHIM_Internal_ExtensionsFromList(row->list, def);
    return 1;
  }
  return 0;
}

bool patternsHold(const char* patterns, const std::string& ext) {
  for (const std::string& e : extensionsOf(patterns))
    if (strcasecmp(e.c_str(), ext.c_str()) == 0) return true;
  return false;
}

Shim_vHarshbloom_hwnd* makeContainer(double w, double h, DLGPROC proc) {
  auto* v = new Shim_vHarshbloom_hwnd();
  v->initChild(nullptr, nullptr, nullptr, 0);
  v->setFrame({0, 0, w, h});
  v->setOpaque(false);
  v->setHidden(false);
  v->setShimDialogProc(proc);
  return v;
}

Shim_vHarshbloom_hwnd* makeTypeRow(TypeRow* state, const std::string& initialExt) {
  Shim_vHarshbloom_hwnd* row = makeContainer(338, 22, fileTypeChooseProc);
  HWND h = row->handle();
  SHIM_MakeSetCurParms(1, 1, 0, 0, h, false, false);
  SHIM_MakeLabel(-1, "File type:", 1001, 0, 2, 80, 22, 0);
  SHIM_MakeCombo(1000, 84, 0, 250, 22, CBS_DROPDOWNLIST);
  int select = -1;
  for (const FilterPair& p : pairsOf(state->list)) {
    if (!strcmp(p.patterns, "*.*")) continue;
    int i = SHIM_CB_AddString(h, 1000, p.description);
    const char* dot = strchr(p.patterns, '.');
    SHIM_CB_SetItemData(h, 1000, i, (LPARAM)(dot ? dot + 1 : p.patterns));
    if (select < 0 && !initialExt.empty() && patternsHold(p.patterns, initialExt)) select = i;
    state->shown.push_back(p);
  }
  SHIM_CB_SetCurSel(h, 1000, select < 0 ? 0 : select);
  SetWindowLong(h, GWL_USERDATA, (LONG_PTR)state);
  return row;
}

// The initial folder and name.
void initialLocation(plat::FilePanel& panel, const char* initialdir, const char* initialfile, bool saving) {
  std::string dir, name;
  if (initialfile && *initialfile && !(saving && initialfile[0] == '.')) {
    std::string f(initialfile, strnlen(initialfile, 2047));
    size_t slash = f.rfind('/');
    if (slash == std::string::npos) {
      name = f;
    } else {
      dir = slash == 0 ? "/" : f.substr(0, slash);
      name = f.substr(slash + 1);
    }
  }
  if (dir.empty() && initialdir && *initialdir) dir = initialdir;
  panel.directory = dir;
  panel.fileName = name;
}

// Runs a panel with the template dialog (if one is set) inside it and the
// modal-window menu in place of the application menu.
int runPanel(plat::FilePanel& panel, Shim_vHarshbloom_hwnd* row) {
  Template t = g_template;
  g_template = Template();
  plat::Ref<plat::View> holdRow(row);
  plat::Ref<Shim_vHarshbloom_hwnd> container;
  HWND tmpl = nullptr;
  if (t.set) {
    plat::View* parent = row;
    if (!parent) {
      container = plat::Ref<Shim_vHarshbloom_hwnd>::adopt(makeContainer(10, 10, nullptr));
      parent = container.get();
    }
    tmpl = SHIM_CreateDialog(t.head, t.dlgid, SHIM_H(parent), t.proc, 0);
    plat::View* tv = SHIM_View(tmpl);
    if (tv && tv->superview() == parent) {
      tv->setHidden(false);
      plat::Rect tf = tv->frame();
      double top = row ? row->frame().h : 0;
      tv->setFrameOrigin({0, top});
      double w = std::max(row ? row->frame().w : 0.0, tf.w);
      parent->setFrameSize({w, top + tf.h});
    }
  }
  plat::View* accessory = row ? static_cast<plat::View*>(row) : container.get();
  if (accessory) panel.setAccessoryView(accessory);
  plat::Menu* before = plat::app().mainMenu();
  plat::Ref<plat::Menu> holdBefore(before);
  plat::Menu* modalMenu = SHIM_Internal_Menu(SHIM_GetDefaultModalWindowMenu());
  plat::Ref<plat::Menu> copy;
  if (modalMenu) {
    copy = plat::Ref<plat::Menu>::adopt(modalMenu->duplicate());
    plat::app().setMainMenu(copy.get());
  }
  int r = panel.runModal();
  if (copy) {
    plat::Menu* after = nullptr;
    if (plat::Window* w = SHIM_WindowOf(GetFocus())) after = SHIM_Internal_Menu(GetMenu(SHIM_H(w)));
    plat::app().setMainMenu(after ? after : before);
  }
  if (tmpl) SendMessage(tmpl, WM_DESTROY, 0, 0);
  panel.setAccessoryView(nullptr);
  return r;
}

std::string extensionOf(const std::string& name) {
  size_t slash = name.rfind('/');
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return name.substr(dot + 1);
}

}  // namespace

std::vector<std::string> SHIM_Internal_ExtensionsFromList(const char* list, const char* defext) {
  std::vector<std::string> out;
  std::string def;
  if (defext && *defext) {
    def = defext;
    size_t semi = def.find(';');
    if (semi != std::string::npos) def.resize(semi);
  }
  for (const FilterPair& p : pairsOf(list))
    for (const std::string& e : extensionsOf(p.patterns)) {
      if (!def.empty() && strcasecmp(e.c_str(), def.c_str()) == 0)
        out.insert(out.begin(), e);
      else
        out.push_back(e);
    }
  return out;
}

void BrowseFile_SetTemplate(const char* dlgid, DLGPROC proc, SHIM_DialogResourceIndex* reshead) {
  g_template.dlgid = dlgid;
  g_template.proc = proc;
  g_template.head = reshead;
  g_template.set = true;
}

int MessageBox(HWND, const char* text, const char* caption, int type) {
  struct Kind {
    int type;
    std::vector<const char*> buttons;
    std::vector<int> results;
    int cancel;
  };
  static const Kind kinds[] = {
      {MB_OK, {"OK"}, {IDOK}, 0},
      {MB_OKCANCEL, {"OK", "Cancel"}, {IDOK, IDCANCEL}, 1},
      {MB_YESNOCANCEL, {"Yes", "Cancel", "No"}, {IDYES, IDCANCEL, IDNO}, 1},
      {MB_YESNO, {"Yes", "No"}, {IDYES, IDNO}, 1},
      {MB_RETRYCANCEL, {"Retry", "Cancel"}, {IDRETRY, IDCANCEL}, 1},
  };
  for (const Kind& k : kinds) {
    if (k.type != type) continue;
    plat::Alert a;
    a.title = caption ? caption : "";
    a.message = text ? text : "";
    for (const char* b : k.buttons) a.buttons.push_back(b);
    a.cancelIndex = k.cancel;
    int i = a.runModal();
    if (i < 0 || size_t(i) >= k.results.size()) i = k.cancel;
    return k.results[size_t(i)];
  }
  return 0;
}

bool BrowseForSaveFile(const char* text, const char* initialdir, const char* initialfile,
                       const char* extlist, char* fn, int fnsize) {
  // Nowhere to put the answer: no panel.
  if (!fn || fnsize <= 0) return false;
  plat::Ref<plat::FilePanel> panel = plat::Ref<plat::FilePanel>::adopt(new plat::FilePanel(plat::PanelKind::Save));
  panel->title = text ? text : "";
  initialLocation(*panel, initialdir, initialfile, true);
  std::vector<std::string> exts = SHIM_Internal_ExtensionsFromList(extlist, nullptr);
  TypeRow state{extlist, panel.get(), {}};
  plat::Ref<Shim_vHarshbloom_hwnd> row;
  if (exts.size() >= 2) {
    row = plat::Ref<Shim_vHarshbloom_hwnd>::adopt(makeTypeRow(&state, extensionOf(panel->fileName)));
    SendMessage(row->handle(), WM_COMMAND, (CBN_SELCHANGE << 16) | 1000, (LPARAM)GetDlgItem(row->handle(), 1000));
  } else {
    panel->allowedTypes = exts;
  }
  int r = runPanel(*panel, row.get());
  if (row) SetWindowLong(row->handle(), GWL_USERDATA, 0);
  if (r != 1 || panel->paths.empty()) return false;
  copyOut(fn, fnsize, panel->paths[0]);
  return fn[0] != 0;
}

char* BrowseForFiles(const char* text, const char* initialdir, const char* initialfile, bool allowmul,
                     const char* extlist) {
  plat::Ref<plat::FilePanel> panel = plat::Ref<plat::FilePanel>::adopt(new plat::FilePanel(plat::PanelKind::Open));
  panel->title = text ? text : "";
  initialLocation(*panel, initialdir, initialfile, false);
  panel->allowsMultipleSelection = allowmul;
  panel->allowedTypes = SHIM_Internal_ExtensionsFromList(extlist, nullptr);
  if (runPanel(*panel, nullptr) != 1 || panel->paths.empty()) return nullptr;
  std::vector<std::string> paths = panel->paths;
  if (!allowmul) paths.resize(1);
  for (std::string& p : paths) p.resize(plat::utf8Prefix(p, 2047));
  std::string out;
  if (paths.size() == 1) {
    out = paths[0];
    out.push_back(0);
  } else {
    out.push_back(0);
    for (const std::string& p : paths) {
      out += p;
      out.push_back(0);
    }
  }
  char* buf = static_cast<char*>(malloc(out.size() + 1));
  if (!buf) return nullptr;
  memcpy(buf, out.data(), out.size());
  buf[out.size()] = 0;
  return buf;
}

bool BrowseForDirectory(const char* text, const char* initialdir, char* fn, int fnsize) {
  if (!fn || fnsize <= 0) return false;
  plat::Ref<plat::FilePanel> panel = plat::Ref<plat::FilePanel>::adopt(new plat::FilePanel(plat::PanelKind::Folder));
  panel->title = text ? text : "";
  panel->directory = initialdir ? initialdir : "";
  panel->canCreateDirectories = true;
  if (runPanel(*panel, nullptr) != 1 || panel->paths.empty()) return false;
  copyOut(fn, fnsize, panel->paths[0]);
  return true;
}
