// Menus: creation from lists and resources, item queries and changes,
// destinations, window menus, popped-up menus.

#include "shim-menu.h"

#include <math.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "platform/app.h"
#include "platform/keys.h"
#include "platform/text.h"
#include "platform/window.h"
#include "shim-dlg.h"
#include "shim-kb.h"
#include "shim-misc.h"
#include "shim-wnd.h"

SHIM_MenuResourceIndex* SHIM_curmodule_menuresource_head = nullptr;

using plat::Menu;
using plat::MenuItem;

plat::Menu* SHIM_Internal_Menu(HMENU m) {
  return plat::Object::isLive(m) ? dynamic_cast<Menu*>(reinterpret_cast<plat::Object*>(m)) : nullptr;
}

namespace {

// Title rule: up to the first tab, at most 1024 bytes, '&' marks dropped.
std::string titleOf(const char* text) {
  if (!text) return "(null)";
  size_t n = strnlen(text, 1024);
  std::string out;
  for (size_t i = 0; i < n && text[i] != '\t'; ++i) {
    if (text[i] == '&') {
      if (++i >= n) break;
    }
    out += text[i];
  }
  return out;
}

struct Found {
  Menu* menu = nullptr;
  int index = -1;
  MenuItem* item() const { return menu ? menu->item(index) : nullptr; }
};

Found findById(Menu* m, UINT_PTR id, int depth) {
  if (!m || depth > 32) return {};
  for (int i = 0; i < m->count(); ++i)
    if (UINT_PTR(m->item(i)->tag()) == id) return {m, i};
  for (int i = 0; i < m->count(); ++i)
    if (Menu* sub = m->item(i)->submenu()) {
      Found f = findById(sub, id, depth + 1);
      if (f.menu) return f;
    }
  return {};
}

// By position with MF_BYPOSITION, else by command id, nested menus too.
Found lookup(Menu* m, int pos, int flag) {
  if (!m) return {};
  if (flag & MF_BYPOSITION) return (pos >= 0 && pos < m->count()) ? Found{m, pos} : Found{};
  return findById(m, UINT_PTR(unsigned(pos)), 0);
}

void setItemData(MenuItem* it, ULONG_PTR v) {
  auto* box = new Shim_vHarshbloom_sdh(INT_PTR(v));
  it->setRepresentedObject(box);
  box->release();
}

void setSubmenuTitle(MenuItem* it) {
  if (it->submenu() && !it->isSeparator()) it->submenu()->setTitle(it->title());
}

void copyOut(char* buf, int size, const std::string& s) {
  if (!buf || size < 1) return;
  size_t n = plat::utf8Prefix(s, size_t(size - 1));
  memcpy(buf, s.data(), n);
  buf[n] = 0;
}

}  // namespace

// --- creation

HMENU CreatePopupMenu() { return SHIM_Internal_HMenu(new Menu()); }

HMENU CreatePopupMenuEx(const char* title) {
  return SHIM_Internal_HMenu(new Menu(title ? titleOf(title) : std::string()));
}

void DestroyMenu(HMENU menu) {
  Menu* m = SHIM_Internal_Menu(menu);
  if (!m) return;
  SHIM_SetMenuDestination(menu, nullptr);
  m->release();
}

HMENU SHIM_DuplicateMenu(HMENU menu) {
  Menu* m = SHIM_Internal_Menu(menu);
  return m ? SHIM_Internal_HMenu(m->duplicate()) : nullptr;
}

HMENU SHIM_LoadMenu(SHIM_MenuResourceIndex* head, const char* resid) {
  for (SHIM_MenuResourceIndex* r = head; r; r = r->next) {
    if (r->resid != resid) continue;
    HMENU m = CreatePopupMenu();
    if (r->createFunc) r->createFunc(m);
    return m;
  }
  return nullptr;
}

int SHIM_GenerateMenuFromList(HMENU menu, const void* list, int count) {
  if (count < 1) return 1;
  const SHIM_MenuListEntry* e = static_cast<const SHIM_MenuListEntry*>(list);
  static const char kPopup[] = "/.BO^O:";
  int i = 0;
  for (; i < count; ++i) {
    const char* name = e[i].name;
    MENUITEMINFO mii;
    memset(&mii, 0, sizeof mii);
    mii.cbSize = sizeof mii;
    if (!name) {
      mii.fMask = MIIM_TYPE;
      mii.fType = MFT_SEPARATOR;
    } else if (!strcmp(name, "EN%%%^:")) {
      break;
    } else if (!strncmp(name, kPopup, 7)) {
      HMENU sub = SHIM_Internal_HMenu(new Menu(titleOf(name + 7)));
      // Only the entries that are left: a list without its end marker is
      // not read past its end.
      int used = SHIM_GenerateMenuFromList(sub, &e[i + 1], count - i - 1);
      mii.fMask = MIIM_STATE | MIIM_TYPE | MIIM_SUBMENU;
      mii.hSubMenu = sub;
      mii.dwTypeData = const_cast<char*>(name + 7);
      InsertMenuItem(menu, -1, TRUE, &mii);
      if (!SHIM_Internal_Menu(menu)) SHIM_Internal_Menu(sub)->release();
      i += used;
      continue;
    } else {
      mii.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
      mii.wID = e[i].id;
      mii.fState = e[i].flags ? MFS_GRAYED : 0;
      mii.dwTypeData = const_cast<char*>(name);
    }
    InsertMenuItem(menu, -1, TRUE, &mii);
  }
  return std::min(i, count) + 1;
}

// --- queries

HMENU GetSubMenu(HMENU menu, int pos) {
  Menu* m = SHIM_Internal_Menu(menu);
  MenuItem* it = m ? m->item(pos) : nullptr;
  return it && it->submenu() ? SHIM_Internal_HMenu(it->submenu()) : nullptr;
}

int GetMenuItemCount(HMENU menu) {
  Menu* m = SHIM_Internal_Menu(menu);
  return m ? m->count() : 0;
}

int GetMenuItemID(HMENU menu, int pos) {
  Menu* m = SHIM_Internal_Menu(menu);
  MenuItem* it = m ? m->item(pos) : nullptr;
  if (!it) return 0;
  return it->submenu() ? -1 : int(it->tag());
}

// --- inserting and changing items

BOOL InsertMenuItem(HMENU menu, int pos, BOOL byPos, MENUITEMINFO* mii) {
  Menu* m = SHIM_Internal_Menu(menu);
  if (!m || !mii) return FALSE;
  if (!byPos) pos = m->indexOfItemWithTag(intptr_t(unsigned(pos)));
  if (pos < 0 || pos > m->count()) pos = m->count();
  MenuItem* it;
  if (mii->fType == MFT_BITMAP)
    it = new MenuItem("(no image)");  // icon images come with the drawing unit
  else if (mii->fType != 0)
    it = MenuItem::separator();
  else
    it = new MenuItem(titleOf(mii->dwTypeData));
  if ((mii->fMask & MIIM_SUBMENU) && mii->hSubMenu) {
    if (Menu* sub = SHIM_Internal_Menu(mii->hSubMenu)) {
      it->setSubmenu(sub);
      setSubmenuTitle(it);
      sub->release();  // the item owns it now
    }
  }
  it->setEnabled(!it->isSeparator());
  if (mii->fMask & MIIM_STATE) {
    if (mii->fState & MFS_GRAYED) it->setEnabled(false);
    it->setState((mii->fState & MFS_CHECKED) ? 1 : 0);
  }
  if (mii->fMask & MIIM_DATA) setItemData(it, mii->dwItemData);
  if (mii->fMask & MIIM_ID) it->setTag(intptr_t(mii->wID));
  m->insertItem(it, pos);
  it->release();
  return TRUE;
}

BOOL SetMenuItemInfo(HMENU menu, int pos, BOOL byPos, MENUITEMINFO* mii) {
  Found f = lookup(SHIM_Internal_Menu(menu), pos, byPos ? MF_BYPOSITION : 0);
  MenuItem* it = f.item();
  if (!it || !mii) return FALSE;
  if ((mii->fMask & MIIM_TYPE) && mii->fType == 0 && mii->dwTypeData) {
    it->setTitle(titleOf(mii->dwTypeData));
    setSubmenuTitle(it);
  }
  if (mii->fMask & MIIM_SUBMENU) {
    Menu* sub = SHIM_Internal_Menu(mii->hSubMenu);
    it->setSubmenu(sub);
    if (sub) setSubmenuTitle(it);
  }
  if (mii->fMask & MIIM_STATE) {
    it->setState((mii->fState & MFS_CHECKED) ? 1 : 0);
    it->setEnabled((mii->fState & MFS_GRAYED) == 0);
  }
  if (mii->fMask & MIIM_ID) it->setTag(intptr_t(mii->wID));
  if (mii->fMask & MIIM_DATA) setItemData(it, mii->dwItemData);
  return TRUE;
}

BOOL GetMenuItemInfo(HMENU menu, int pos, BOOL byPos, MENUITEMINFO* mii) {
  Found f = lookup(SHIM_Internal_Menu(menu), pos, byPos ? MF_BYPOSITION : 0);
  MenuItem* it = f.item();
  if (!it || !mii) return FALSE;
  if (mii->fMask & MIIM_TYPE) {
    mii->fType = it->isSeparator() ? MFT_SEPARATOR : 0;
    if (!it->isSeparator() && mii->dwTypeData && mii->cch > 0) copyOut(mii->dwTypeData, mii->cch, it->title());
  }
  if (mii->fMask & MIIM_DATA) {
    auto* box = dynamic_cast<Shim_vHarshbloom_sdh*>(it->representedObject());
    mii->dwItemData = box ? ULONG_PTR(box->getValue()) : 0;
  }
  if (mii->fMask & MIIM_STATE) mii->fState = (it->state() ? MFS_CHECKED : 0) | (it->isEnabled() ? 0 : MFS_GRAYED);
  if (mii->fMask & MIIM_ID) mii->wID = UINT(it->tag());
  if (mii->fMask & MIIM_SUBMENU) mii->hSubMenu = it->submenu() ? SHIM_Internal_HMenu(it->submenu()) : nullptr;
  return TRUE;
}

void SHIM_InsertMenu(HMENU menu, int pos, unsigned int flag, UINT_PTR idx, const char* str) {
  MENUITEMINFO mii;
  memset(&mii, 0, sizeof mii);
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
  mii.fState = flag & ~UINT(MF_BYPOSITION | MF_POPUP);
  mii.wID = UINT(idx);
  mii.dwTypeData = const_cast<char*>(str);
  if (flag & MF_POPUP) {
    mii.hSubMenu = reinterpret_cast<HMENU>(idx);
    mii.wID = 0;
    mii.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE | MIIM_SUBMENU;
  }
  if (flag & MF_SEPARATOR) {
    mii.fMask = MIIM_TYPE;
    mii.fType = MFT_SEPARATOR;
    mii.fState &= ~UINT(0xC00);
  }
  if (flag & MF_BITMAP) mii.fType = MFT_BITMAP;
  InsertMenuItem(menu, pos, (flag & MF_BYPOSITION) ? TRUE : FALSE, &mii);
}

void SHIM_Menu_AddMenuItem(HMENU menu, const char* name, int id, unsigned int flags) {
  MENUITEMINFO mii;
  memset(&mii, 0, sizeof mii);
  mii.cbSize = sizeof mii;
  if (name) {
    mii.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
    mii.wID = UINT(id);
    mii.fState = flags ? MFS_GRAYED : 0;
    mii.dwTypeData = const_cast<char*>(name);
  } else {
    mii.fMask = MIIM_TYPE;
    mii.fType = MFT_SEPARATOR;
  }
  InsertMenuItem(menu, GetMenuItemCount(menu), TRUE, &mii);
}

int AddMenuItem(HMENU menu, int pos, const char* name, int tag) {
  Menu* m = SHIM_Internal_Menu(menu);
  if (!m) return -1;
  MenuItem* it = new MenuItem(name ? name : "", tag);
  m->insertItem(it, pos < 0 ? m->count() : pos);
  it->release();
  return 0;
}

BOOL DeleteMenu(HMENU menu, int pos, int flag) {
  Found f = lookup(SHIM_Internal_Menu(menu), pos, flag);
  MenuItem* it = f.item();
  if (!it) return FALSE;
  if (Menu* sub = it->submenu()) {
    SHIM_SetMenuDestination(SHIM_Internal_HMenu(sub), nullptr);
    it->setSubmenu(nullptr);
  }
  f.menu->removeItemAt(f.index);
  return TRUE;
}

BOOL EnableMenuItem(HMENU menu, int pos, int flag) {
  MenuItem* it = lookup(SHIM_Internal_Menu(menu), pos, flag).item();
  if (!it) return FALSE;
  it->setEnabled((flag & MF_GRAYED) == 0);
  return TRUE;
}

BOOL CheckMenuItem(HMENU menu, int pos, int flag) {
  MenuItem* it = lookup(SHIM_Internal_Menu(menu), pos, flag).item();
  if (!it) return FALSE;
  it->setState((flag & MF_CHECKED) ? 1 : 0);
  return TRUE;
}

BOOL SetMenuItemText(HMENU menu, int pos, int flag, const char* text) {
  MenuItem* it = lookup(SHIM_Internal_Menu(menu), pos, flag).item();
  if (!it) return FALSE;
  it->setTitle(titleOf(text));
  setSubmenuTitle(it);
  return TRUE;
}

BOOL SetMenuItemModifier(HMENU menu, int pos, int flag, int code, unsigned int mask) {
  MenuItem* it = lookup(SHIM_Internal_Menu(menu), pos, flag).item();
  if (!it) return FALSE;
  uint32_t key = 0;
  bool letter = code >= 'A' && code <= 'Z';
  bool plain = letter || (code >= '0' && code <= '9') ||
               (!(mask & 1) && code > 0 && code < 128 && strchr("][?!,.\"\\|'/", code));
  if (plain) {
    key = uint32_t(code & 0x7F);
    if (!(mask & 4) && key >= 'A' && key <= 'Z') key += 32;
  } else if (code >= 112 && code <= 135) {
    key = uint32_t(code + 63124);
  } else {
    switch (code) {
      case 109: key = '-'; break;
      case 8: key = 8; break;
      case 33: key = 0xF72C; break;
      case 34: key = 0xF72D; break;
      case 35: key = 0xF72B; break;
      case 36: key = 0xF729; break;
      case 37: key = 0xF702; break;
      case 38: key = 0xF700; break;
      case 39: key = 0xF703; break;
      case 40: key = 0xF701; break;
      case 45: key = 0xF727; break;
      case 46: key = 127; break;
      default: break;
    }
  }
  if (!key) {
    it->setKeyEquivalent("", 0);
    return TRUE;
  }
  uint32_t mods = 0;
  if (mask & 8) mods |= plat::kModCommand;
  if (mask & 16) mods |= plat::kModOption;
  if (mask & 32) mods |= plat::kModControl;
  if ((mask & 4) && !letter) mods |= plat::kModShift;
  std::string k;
  plat::appendUtf8(k, key);
  it->setKeyEquivalent(k, mods);
  return TRUE;
}

std::string SHIM_Internal_KeyEquivalentLabel(const MenuItem* item) {
  std::vector<plat::CodePoint> k = plat::decodeUtf8(item->keyEquivalent());
  if (k.size() != 1) return {};
  uint32_t c = k[0].cp, m = item->keyEquivalentModifiers();
  bool upper = c >= 'A' && c <= 'Z';
  std::string out;
  // Ctrl stands where the program's own desktop has Command; the key that
  // desktop calls Control is the Super key here.
  if (m & plat::kModControl) out += "Super+";
  if (m & plat::kModCommand) out += "Ctrl+";
  if (m & plat::kModOption) out += "Alt+";
  if ((m & plat::kModShift) || upper) out += "Shift+";
  if (c >= 0xF704 && c <= 0xF71B) return out + "F" + std::to_string(c - 0xF704 + 1);
  switch (c) {
    case 0xF700: return out + "Up";
    case 0xF701: return out + "Down";
    case 0xF702: return out + "Left";
    case 0xF703: return out + "Right";
    case 0xF727: return out + "Insert";
    case 0xF729: return out + "Home";
    case 0xF72B: return out + "End";
    case 0xF72C: return out + "PgUp";
    case 0xF72D: return out + "PgDn";
    case 127: return out + "Del";
    case 8: return out + "Backspace";
    default: break;
  }
  std::string ch;
  plat::appendUtf8(ch, (c >= 'a' && c <= 'z') ? c - 32 : c);
  return out + ch;
}

// --- destinations and window menus

namespace {
void setHandlers(Menu* m, HWND dest, int depth) {
  if (!m || depth > 32) return;
  if (dest) {
    m->setCommandHandler([dest](MenuItem* item) {
      if (item->tag() != 0) SendMessage(dest, WM_COMMAND, (WPARAM)(item->tag() & 0xFFFF), 0);
    });
  } else {
    m->setCommandHandler(nullptr);
  }
  for (int i = 0; i < m->count(); ++i) setHandlers(m->item(i)->submenu(), dest, depth + 1);
}
}  // namespace

void SHIM_SetMenuDestination(HMENU menu, HWND hwnd) {
  Menu* m = SHIM_Internal_Menu(menu);
  if (!m) return;
  if (hwnd && !SHIM_Hwnd(hwnd)) return;  // only window views take commands
  setHandlers(m, hwnd, 0);
  if (hwnd)
    m->willOpen = [hwnd](Menu* opening) {
      SendMessage(hwnd, WM_INITMENUPOPUP, (WPARAM)SHIM_Internal_HMenu(opening), 0);
    };
  else
    m->willOpen = nullptr;
}

HMENU SHIM_GetCurrentMenu() { return plat::app().mainMenu() ? SHIM_Internal_HMenu(plat::app().mainMenu()) : nullptr; }

void SHIM_SetCurrentMenu(HMENU menu) {
  Menu* m = SHIM_Internal_Menu(menu);
  if (!m || SHIM_IsTerminating()) return;
  plat::app().setMainMenu(m);
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
  Shim_vHarshbloom_hwnd* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(SHIM_ViewOrContent(hwnd));
  if (!h || SHIM_IsTerminating()) return FALSE;
  plat::Ref<plat::View> hold(h);
  h->shimSetMenu(menu);
  Menu* m = SHIM_Internal_Menu(menu);
  plat::Window* w = h->window();
  if (SHIM_IsContentView(h) && w->isKeyWindow() && plat::app().mainMenu() != m) {
    plat::app().setMainMenu(m);
    if (m) SendMessage(h->handle(), WM_INITMENUPOPUP, (WPARAM)menu, 0);
  }
  return TRUE;
}

HMENU GetMenu(HWND hwnd) {
  Shim_vHarshbloom_hwnd* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(SHIM_ViewOrContent(hwnd));
  return h ? h->shimGetMenu() : nullptr;
}

void DrawMenuBar(HWND) {}

// --- popped-up menus

namespace {

// While a popped-up menu runs: the window that gets WM_INITMENUPOPUP for the
// menus that open, and the command chosen.
struct Receiver {
  HWND window;
  intptr_t chosen = 0;
};

void prepareSubmenus(Menu* m, Receiver* r, int depth) {
  if (!m || depth > 32) return;
  for (int i = 0; i < m->count(); ++i) {
    Menu* sub = m->item(i)->submenu();
    if (!sub) continue;
    sub->willOpen = [r](Menu* opening) {
      if (r->window) SendMessage(r->window, WM_INITMENUPOPUP, (WPARAM)SHIM_Internal_HMenu(opening), 0);
      prepareSubmenus(opening, r, 0);
    };
    prepareSubmenus(sub, r, depth + 1);
  }
}

void clearSubmenuHooks(Menu* m, int depth) {
  if (!m || depth > 32) return;
  for (int i = 0; i < m->count(); ++i)
    if (Menu* sub = m->item(i)->submenu()) {
      sub->willOpen = nullptr;
      clearSubmenuHooks(sub, depth + 1);
    }
}

}  // namespace

int TrackPopupMenu(HMENU menu, int flags, int x, int y, int, HWND hwnd, const RECT*) {
  ReleaseCapture();
  Menu* m = SHIM_Internal_Menu(menu);
  if (!m) return 0;
  plat::View* view = SHIM_ViewOrContent(hwnd);
  if (!view && plat::app().mainWindow()) view = plat::app().mainWindow()->contentView();
  if (!view) return 0;
  plat::Ref<Menu> hold(m);
  plat::Ref<plat::View> holdView(view);
  Receiver r{(flags & TPM_NONOTIFY) ? nullptr : hwnd};
  auto destination = [&] {
    setHandlers(m, nullptr, 0);
    prepareSubmenus(m, &r, 0);
  };
  destination();
  if (!(flags & TPM_NONOTIFY) && hwnd) {
    SendMessage(hwnd, WM_INITMENUPOPUP, (WPARAM)menu, 0);
    destination();  // items the handler added are covered too
  }
  m->willOpen = nullptr;  // the top menu was just announced
  plat::MenuTracker* t = plat::app().menuTracker();
  MenuItem* chosen = t ? t->popUp(m, view->window(), {double(x), double(y)}) : nullptr;
  if (chosen && chosen->isEnabled() && chosen->tag() != 0) r.chosen = chosen->tag();
  clearSubmenuHooks(m, 0);
  SHIM_SetMenuDestination(menu, nullptr);
  if (!r.chosen) return 0;
  if (flags & TPM_RETURNCMD) return int(r.chosen);
  if (hwnd) SendMessage(hwnd, WM_COMMAND, (WPARAM)(r.chosen & 0xFFFF), 0);
  return 1;
}

// --- the layer's popped-up menu windows

namespace {

const double kRowH = 20, kSepH = 9, kPadX = 22;

class MenuView : public plat::View {
public:
  MenuView(Menu* m, const plat::Rect& f) : plat::View(f), m_menu(m) {}
  bool isFlipped() const override { return true; }
  bool acceptsFirstResponder() const override { return true; }
  bool acceptsFirstMouse(const plat::Event&) override { return true; }

  plat::Font font = plat::Font::system(13);
  int hot = -1;
  MenuItem* chosen = nullptr;
  bool done = false;
  plat::Window* parentMenuWindow = nullptr;

  int rowAt(double y) const {
    double top = 4;
    for (int i = 0; i < m_menu->count(); ++i) {
      double h = m_menu->item(i)->isSeparator() ? kSepH : kRowH;
      if (y >= top && y < top + h) return i;
      top += h;
    }
    return -1;
  }
  plat::Rect rowRect(int row) const {
    double top = 4;
    for (int i = 0; i < m_menu->count(); ++i) {
      double h = m_menu->item(i)->isSeparator() ? kSepH : kRowH;
      if (i == row) return {0, top, frame().w, h};
      top += h;
    }
    return {};
  }

  void draw(plat::DrawContext& ctx, const plat::Rect&) override {
    plat::Rect b = bounds();
    ctx.fillRect(b, 0xFFF6F6F6);
    ctx.strokeRect(b, 0xFF9A9A9A);
    plat::TextBoxStyle style;
    style.centerVertically = true;
    for (int i = 0; i < m_menu->count(); ++i) {
      MenuItem* it = m_menu->item(i);
      plat::Rect r = rowRect(i);
      if (it->isSeparator()) {
        ctx.fillRect({r.x + 6, r.y + 4, r.w - 12, 1}, 0xFFD0D0D0);
        continue;
      }
      bool lit = i == hot && it->isEnabled();
      if (lit) ctx.fillRect({r.x + 2, r.y, r.w - 4, r.h}, 0xFF2F6FD0);
      uint32_t ink = !it->isEnabled() ? 0xFFA0A0A0 : lit ? 0xFFFFFFFF : 0xFF1A1A1A;
      if (it->state() != 0) {
        double cx = r.x + 7, cy = r.y + 6;
        for (int k = 0; k < 2; ++k) {
          ctx.drawLine({cx, cy + 4 + k}, {cx + 3, cy + 7 + k}, ink);
          ctx.drawLine({cx + 3, cy + 7 + k}, {cx + 8, cy + k}, ink);
        }
      }
      plat::drawTextInRect(ctx, font, it->title(), {r.x + kPadX, r.y, r.w - 2 * kPadX, r.h}, ink, style);
      std::string key = SHIM_Internal_KeyEquivalentLabel(it);
      if (!key.empty()) {
        plat::TextBoxStyle right = style;
        right.align = plat::TextAlign::Right;
        plat::drawTextInRect(ctx, font, key, {r.x + kPadX, r.y, r.w - kPadX - 10, r.h}, ink, right);
      }
      if (it->submenu()) {
        double ax = r.maxX() - 12, ay = r.y + r.h / 2;
        for (int k = 0; k < 4; ++k) ctx.fillRect({ax + k, ay - 4 + k, 1, double(9 - 2 * k)}, ink);
      }
    }
  }

  void setHot(int row) {
    if (row == hot) return;
    hot = row;
    setNeedsDisplay(true);
  }
  void mouseMoved(const plat::Event& e) override { setHot(rowAt(convertFromWindow(e.location).y)); }
  void mouseDragged(const plat::Event& e) override { mouseMoved(e); }
  void mouseDown(const plat::Event& e) override;
  void mouseUp(const plat::Event&) override {}
  void keyDown(const plat::Event& e) override;
  void choose(int row);

private:
  Menu* m_menu;
};

// A click anywhere else dismisses the menu; keys go to it wherever they were
// typed.
void monitorMenu(plat::Window* w, MenuView* view) {
  plat::app().setEventMonitor([w, view](const plat::Event& e) {
    if (e.isMouseDown() && e.window.get() != w) {
      view->done = true;
      plat::app().stopModal();
      return true;
    }
    if (e.type == plat::EventType::KeyDown && e.window.get() != w) {
      view->keyDown(e);
      return true;
    }
    return false;
  });
}

class PopupTracker : public plat::MenuTracker {
public:
  MenuItem* popUp(Menu* menu, plat::Window* window, const plat::Point& at) override;
};

PopupTracker g_tracker;

void MenuView::choose(int row) {
  MenuItem* it = m_menu->item(row);
  if (!it || it->isSeparator() || !it->isEnabled()) return;
  if (Menu* sub = it->submenu()) {
    plat::Rect r = rowRect(row);
    plat::Point p = window()->convertToScreen(convertToWindow({r.maxX() - 2, r.y}));
    MenuItem* c = g_tracker.popUp(sub, window(), p);
    if (!c) return;
    chosen = c;
  } else {
    chosen = it;
  }
  done = true;
  plat::app().stopModal();
}

void MenuView::mouseDown(const plat::Event& e) { choose(rowAt(convertFromWindow(e.location).y)); }

void MenuView::keyDown(const plat::Event& e) {
  std::vector<plat::CodePoint> c = plat::decodeUtf8(e.charactersIgnoringModifiers);
  uint32_t k = c.empty() ? 0 : c[0].cp;
  int n = m_menu->count();
  if (k == 0x1B) {
    done = true;
    plat::app().stopModal();
  } else if (k == '\r' || k == 3 || k == plat::keychar::RightArrow) {
    choose(hot);
  } else if ((k == plat::keychar::DownArrow || k == plat::keychar::UpArrow) && n > 0) {
    int step = k == plat::keychar::DownArrow ? 1 : -1;
    int row = hot;
    for (int tries = 0; tries < n; ++tries) {
      row = ((row < 0 ? (step > 0 ? -1 : n) : row) + step + n) % n;
      if (!m_menu->item(row)->isSeparator()) break;
    }
    setHot(row);
  } else if (k == plat::keychar::LeftArrow && parentMenuWindow) {
    done = true;
    plat::app().stopModal();
  }
}

MenuItem* PopupTracker::popUp(Menu* menu, plat::Window* owner, const plat::Point& at) {
  if (!menu || menu->count() == 0) return nullptr;
  plat::Ref<Menu> hold(menu);
  if (menu->willOpen) {
    auto fn = menu->willOpen;
    fn(menu);
  }
  plat::Font font = plat::Font::system(13);
  double w = 120, h = 8;
  for (int i = 0; i < menu->count(); ++i) {
    MenuItem* it = menu->item(i);
    if (it->isSeparator()) {
      h += kSepH;
      continue;
    }
    std::string key = SHIM_Internal_KeyEquivalentLabel(it);
    double need = 2 * kPadX + ceil(font.width(it->title())) + (key.empty() ? 0 : ceil(font.width(key)) + 24);
    w = std::max(w, need);
    h += kRowH;
  }
  // Below and right of the point, kept on the screen.
  plat::Rect scr = plat::app().screens()[0].visibleFrame;
  double x = std::min(at.x, scr.maxX() - w), y = at.y - h;
  if (y < scr.y) y = std::min(at.y, scr.maxY() - h);
  x = std::max(x, scr.x);
  auto* win = new plat::Window({x, y, w, h}, plat::kStyleBorderless);
  plat::Ref<plat::Window> holdWin(win);
  win->setLevel(plat::kLevelPopUpMenu);
  win->setAcceptsMouseMovedEvents(true);
  auto* view = new MenuView(menu, {0, 0, w, h});
  view->parentMenuWindow = owner && owner->level() == plat::kLevelPopUpMenu ? owner : nullptr;
  win->setContentView(view);
  view->release();
  plat::Ref<MenuView> holdView(view);
  if (owner) owner->addChildWindow(win);
  win->makeKeyAndOrderFront();
  win->makeFirstResponder(view);
  monitorMenu(win, view);
  plat::app().runModalForWindow(win);
  plat::app().setEventMonitor(nullptr);
  MenuItem* chosen = view->chosen;
  plat::Ref<MenuItem> holdChosen(chosen);
  if (owner) owner->removeChildWindow(win);
  win->close();
  // A nested menu gives the monitor back to the menu that opened it.
  if (plat::Window* pw = view->parentMenuWindow)
    if (auto* pv = dynamic_cast<MenuView*>(pw->contentView())) monitorMenu(pw, pv);
  return chosen;
}

}  // namespace

plat::MenuTracker* SHIM_Internal_DefaultMenuTracker() { return &g_tracker; }
