// Window functions, SendMessage and the standard controls' messages, focus,
// redraw, modal sessions and window levels.

#include "shim-wnd.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/controls.h"
#include "shim-controls.h"
#include "shim-dlg.h"
#include "shim-misc.h"

namespace {

HWND g_capture = nullptr;
bool g_captureNotify = false;

using plat::Ref;
using plat::View;
using plat::Window;

// A control inside a scroll view stands for the scroll view where its place
// in the parent matters.
View* outerView(View* v) {
  if (!v) return nullptr;
  View* clip = v->superview();
  if (dynamic_cast<plat::ClipView*>(clip) && dynamic_cast<plat::ScrollView*>(clip->superview()))
    return clip->superview();
  return v;
}

bool isShimWindow(Window* w) { return dynamic_cast<Shim_vHarshbloom_ownerwindow*>(w) != nullptr; }

// Copies a string into buf (size bytes), cut to fit without splitting a
// UTF-8 sequence, always terminated. Nothing is written for size < 1.
void copyText(char* buf, int size, const std::string& s) {
  if (!buf || size < 1) return;
  size_t n = std::min(s.size(), size_t(size - 1));
  if (n < s.size())
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  memcpy(buf, s.data(), n);
  buf[n] = 0;
}

RECT rectOf(const plat::Rect& r) {
  return RECT{int(r.x), int(r.y), int(r.x + r.w + 0.5), int(r.y + r.h + 0.5)};
}

plat::Object* itemOf(HWND hwnd, int id) {
  return id == 0 ? SHIM_Obj(hwnd) : SHIM_Obj(GetDlgItem(hwnd, id));
}

}  // namespace

HWND SHIM_Internal_GetCapture() {
  if (g_capture && !plat::Object::isLive(g_capture)) g_capture = nullptr;
  return g_capture;
}

HWND SetCapture(HWND hwnd) {
  HWND prev = SHIM_Internal_GetCapture();
  bool prevNotify = g_captureNotify;
  g_capture = hwnd;
  Shim_vHarshbloom_hwnd* h = SHIM_Hwnd(hwnd);
  g_captureNotify = h && h->shimCapChangeNotify() != 0;
  if (prev && prev != hwnd && prevNotify) SendMessage(prev, WM_CAPTURECHANGED, 0, (LPARAM)hwnd);
  return prev;
}

HWND GetCapture() { return SHIM_Internal_GetCapture(); }

BOOL ReleaseCapture() {
  HWND prev = SHIM_Internal_GetCapture();
  bool notify = g_captureNotify;
  g_capture = nullptr;
  g_captureNotify = false;
  if (prev && notify) SendMessage(prev, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

// --- standard controls' messages

namespace {

int insertPosition(int pos, int count) {
  if (pos < 0) return 0;
  return std::min(pos, count);
}

template <class TitleAt>
int sortedPlace(int count, const std::string& s, TitleAt titleAt) {
  int lo = 0, hi = count;
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (strcmp(titleAt(mid).c_str(), s.c_str()) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

bool comboSorted(plat::Object* o) {
  SHIM_StyleHolder* s = dynamic_cast<SHIM_StyleHolder*>(o);
  return s && (s->getShimStyle() & CBS_SORT);
}

// Inserts text at a position; -1000 means the sorted place with CBS_SORT,
// else the end. Returns the index used.
int comboInsert(plat::Object* o, int pos, const char* text) {
  std::string s = text ? text : "";
  if (auto* pop = dynamic_cast<plat::PopUpButton*>(o)) {
    int n = pop->numberOfItems();
    int at = pos == -1000 ? (comboSorted(o) ? sortedPlace(n, s, [pop](int i) {
                                                return pop->itemAt(i)->title();
                                              })
                                            : n)
                          : insertPosition(pos, n);
    pop->insertItem(s, at);
    return at;
  }
  auto* cb = dynamic_cast<plat::ComboBox*>(o);
  if (!cb) return -1;
  int n = cb->numberOfItems();
  int at = pos == -1000 ? (comboSorted(o) ? sortedPlace(n, s, [cb](int i) { return cb->itemAt(i); })
                                          : n)
                        : insertPosition(pos, n);
  cb->insertItem(s, at);
  cb->setNumberOfVisibleItems(cb->numberOfItems());
  if (auto* sc = dynamic_cast<Shim_vHarshbloom_cbox*>(o)) {
    auto& d = sc->itemData();
    d.resize(size_t(n), 0);
    d.insert(d.begin() + at, 0);
  }
  return at;
}

int itemCount(plat::Object* o) {
  if (auto* pop = dynamic_cast<plat::PopUpButton*>(o)) return pop->numberOfItems();
  if (auto* cb = dynamic_cast<plat::ComboBox*>(o)) return cb->numberOfItems();
  return 0;
}

bool itemText(plat::Object* o, int i, std::string* out) {
  if (i < 0 || i >= itemCount(o)) return false;
  if (auto* pop = dynamic_cast<plat::PopUpButton*>(o))
    *out = pop->itemAt(i)->title();
  else
    *out = dynamic_cast<plat::ComboBox*>(o)->itemAt(i);
  return true;
}

LRESULT comboMessage(plat::Object* o, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg > CB_FINDSTRINGEXACT) return 0;
  auto* pop = dynamic_cast<plat::PopUpButton*>(o);
  auto* cb = dynamic_cast<plat::ComboBox*>(o);
  auto* scb = dynamic_cast<Shim_vHarshbloom_cbox*>(o);
  int index = int(wp);
  int count = itemCount(o);
  switch (msg) {
    case CB_ADDSTRING: return comboInsert(o, -1000, (const char*)lp);
    case CB_INSERTSTRING: return comboInsert(o, index, (const char*)lp);
    case CB_DELETESTRING:
      if (pop) pop->removeItemAt(index);
      if (cb) {
        cb->removeItemAt(index);
        if (scb && index >= 0 && size_t(index) < scb->itemData().size())
          scb->itemData().erase(scb->itemData().begin() + index);
      }
      return 1;
    case CB_GETCOUNT: return count;
    case CB_GETCURSEL: return pop ? pop->indexOfSelectedItem() : cb->indexOfSelectedItem();
    case CB_GETLBTEXT: {
      // The caller's buffer has no size here: callers size it with
      // CB_GETLBTEXTLEN (which leaves room to spare) or use
      // SHIM_CB_GetItemText. What it can, the copy bounds: never more than
      // 1 MiB with the terminator, never half a character.
      std::string s;
      if (!itemText(o, index, &s) || !lp) return -1;
      copyText((char*)lp, 1 << 20, s);
      return 1;
    }
    case CB_GETLBTEXTLEN: {
      std::string s;
      if (!itemText(o, index, &s)) return -1;
      return LRESULT(s.size()) + 64;
    }
    case CB_RESETCONTENT:
      if (pop) pop->removeAllItems();
      if (cb) cb->removeAllItems();
      if (scb) scb->itemData().clear();
      return 0;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT: {
      const char* want = (const char*)lp;
      if (!want) return -1;
      size_t wl = strlen(want);
      for (int i = std::max(0, index); i < count; ++i) {
        std::string s;
        itemText(o, i, &s);
        bool hit = msg == CB_FINDSTRINGEXACT ? strcasecmp(s.c_str(), want) == 0
                                             : strncasecmp(s.c_str(), want, wl) == 0;
        if (hit) return i;
      }
      return -1;
    }
    case CB_SETCURSEL:
      if (index >= 0 && index < count) {
        if (pop) pop->selectItemAt(index);
        if (cb) cb->selectItemAt(index);
      } else {
        if (pop) pop->selectItemAt(-1);
        if (cb) cb->deselectItemAt(cb->indexOfSelectedItem());
      }
      return 0;
    case CB_GETITEMDATA:
      if (pop) {
        plat::MenuItem* it = pop->itemAt(index);
        auto* box = it ? dynamic_cast<Shim_vHarshbloom_sdh*>(it->representedObject()) : nullptr;
        return box ? box->getValue() : 0;
      }
      if (scb && index >= 0 && size_t(index) < scb->itemData().size()) return scb->itemData()[index];
      return 0;
    case CB_SETITEMDATA:
      if (pop) {
        if (plat::MenuItem* it = pop->itemAt(index)) {
          auto* box = new Shim_vHarshbloom_sdh(lp);
          it->setRepresentedObject(box);
          box->release();
        }
      } else if (scb && index >= 0 && index < count) {
        scb->itemData().resize(size_t(count), 0);
        scb->itemData()[index] = lp;
      }
      return 0;
    default: return 0;
  }
}

LRESULT sliderMessage(plat::Slider* s, UINT msg, LPARAM lp) {
  switch (msg) {
    case TBM_GETPOS: return LRESULT(s->value() + 0.5);
    case TBM_SETPOS: s->setValue(int(lp)); return 1;
    case TBM_SETRANGE:
      s->setMinValue(LOWORD(lp));
      s->setMaxValue(HIWORD(lp));
      return 1;
    case TBM_SETTIC: return 1;
    default: return 0;
  }
}

LRESULT editMessage(plat::TextField* f, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == EM_GETSEL) {
    int start = f->isBeingEdited() ? f->selectionStart() : 0;
    int len = f->isBeingEdited() ? f->selectionLength() : 0;
    if (wp) *(int*)wp = start;
    if (lp) *(int*)lp = start + len;
    return 0;
  }
  if (msg == EM_SETSEL && f->isBeingEdited()) {
    int n = int(f->stringValue().size());
    int start = 0, end = 0;
    if (int(wp) != -1) {
      start = int(wp);
      end = int(lp) == -1 ? n : int(lp);
    }
    start = std::max(0, std::min(start, n));
    end = std::max(start, std::min(end, n));
    f->setSelection(start, end - start);
  }
  return 0;
}

}  // namespace

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  plat::Object* o = SHIM_Obj(hwnd);
  if (!o) return 0;
  Ref<plat::Object> hold(o);
  if (auto* t = dynamic_cast<SHIM_MessageTarget*>(o)) return t->onShimMessage(msg, wp, lp);
  auto* button = dynamic_cast<plat::Button*>(o);
  auto* pop = dynamic_cast<plat::PopUpButton*>(o);
  if (button && !pop) {
    if (msg == BM_SETCHECK) {
      button->setState((wp & 2) ? -1 : int(wp & 1));
      return 0;
    }
    if (msg == BM_GETCHECK) return button->state() < 0 ? 2 : button->state() ? 1 : 0;
    if (msg == BM_GETIMAGE || msg == BM_SETIMAGE) {
      auto* shimButton = dynamic_cast<Shim_vHarshbloom_button*>(o);
      if (!shimButton || wp > 1) return 0;
      const LRESULT old = (LRESULT)shimButton->getShimGDIImage();
      if (msg == BM_SETIMAGE) shimButton->setShimGDIImage((HGDIOBJ)lp);
      return old;
    }
  }
  if (msg >= CB_ADDSTRING && msg <= 0x161 && (pop || dynamic_cast<plat::ComboBox*>(o)))
    return comboMessage(o, msg, wp, lp);
  if (msg >= TBM_GETPOS && msg <= TBM_SETRANGE)
    if (auto* s = dynamic_cast<plat::Slider*>(o)) return sliderMessage(s, msg, lp);
  if (msg == EM_GETSEL || msg == EM_SETSEL || msg == EM_SETPASSWORDCHAR)
    if (auto* f = dynamic_cast<plat::TextField*>(o)) return editMessage(f, msg, wp, lp);
  if (auto* v = dynamic_cast<View*>(o)) {
    if (SHIM_IsContentView(v)) return SHIM_SendIfTarget(v->window(), msg, wp, lp);
    return 0;
  }
  if (auto* w = dynamic_cast<Window*>(o)) return SHIM_SendIfTarget(w->contentView(), msg, wp, lp);
  return 0;
}

// --- helpers by dialog and id

namespace {
plat::Object* control(HWND hwnd, int idx) { return itemOf(hwnd, idx); }
LRESULT cbSend(HWND hwnd, int idx, UINT msg, WPARAM wp, LPARAM lp) {
  plat::Object* o = control(hwnd, idx);
  if (!o || !(dynamic_cast<plat::PopUpButton*>(o) || dynamic_cast<plat::ComboBox*>(o))) return 0;
  return comboMessage(o, msg, wp, lp);
}
}  // namespace

int SHIM_CB_AddString(HWND h, int idx, const char* s) { return SHIM_CB_InsertString(h, idx, -1000, s); }
int SHIM_CB_InsertString(HWND h, int idx, int pos, const char* s) {
  plat::Object* o = control(h, idx);
  if (!o || !(dynamic_cast<plat::PopUpButton*>(o) || dynamic_cast<plat::ComboBox*>(o))) return -1;
  return comboInsert(o, pos, s);
}
void SHIM_CB_DeleteString(HWND h, int idx, int pos) { cbSend(h, idx, CB_DELETESTRING, pos, 0); }
int SHIM_CB_GetNumItems(HWND h, int idx) { return int(cbSend(h, idx, CB_GETCOUNT, 0, 0)); }
int SHIM_CB_GetCurSel(HWND h, int idx) {
  plat::Object* o = control(h, idx);
  if (!o || !(dynamic_cast<plat::PopUpButton*>(o) || dynamic_cast<plat::ComboBox*>(o))) return -1;
  return int(comboMessage(o, CB_GETCURSEL, 0, 0));
}
void SHIM_CB_SetCurSel(HWND h, int idx, int pos) { cbSend(h, idx, CB_SETCURSEL, pos, 0); }
int SHIM_CB_GetItemText(HWND h, int idx, int pos, char* buf, int size) {
  plat::Object* o = control(h, idx);
  std::string s;
  if (!o || !itemText(o, pos, &s) || !buf || size < 1) return 0;
  copyText(buf, size, s);
  return 1;
}
void SHIM_CB_Empty(HWND h, int idx) { cbSend(h, idx, CB_RESETCONTENT, 0, 0); }
LPARAM SHIM_CB_GetItemData(HWND h, int idx, int pos) { return cbSend(h, idx, CB_GETITEMDATA, pos, 0); }
void SHIM_CB_SetItemData(HWND h, int idx, int pos, LPARAM d) { cbSend(h, idx, CB_SETITEMDATA, pos, d); }
int SHIM_CB_FindString(HWND h, int idx, int start, const char* s, bool exact) {
  plat::Object* o = control(h, idx);
  if (!o || !(dynamic_cast<plat::PopUpButton*>(o) || dynamic_cast<plat::ComboBox*>(o))) return -1;
  return int(comboMessage(o, exact ? CB_FINDSTRINGEXACT : CB_FINDSTRING, start, (LPARAM)s));
}

int SHIM_TB_GetPos(HWND h, int idx) {
  plat::Object* o = control(h, idx);
  if (auto* s = dynamic_cast<plat::Slider*>(o)) return int(s->value() + 0.5);
  return int(SHIM_SendIfTarget(o, TBM_GETPOS, 0, 0));
}
int SHIM_TB_SetPos(HWND h, int idx, int pos) {
  plat::Object* o = control(h, idx);
  if (auto* s = dynamic_cast<plat::Slider*>(o)) {
    s->setValue(pos);
    return 1;
  }
  return int(SHIM_SendIfTarget(o, TBM_SETPOS, 1, pos));
}
int SHIM_TB_SetRange(HWND h, int idx, int low, int high) {
  plat::Object* o = control(h, idx);
  if (auto* s = dynamic_cast<plat::Slider*>(o)) {
    s->setMinValue(low);
    s->setMaxValue(high);
    return 1;
  }
  return int(SHIM_SendIfTarget(o, TBM_SETRANGE, 1, (LPARAM)MAKELPARAM(low, high)));
}
int SHIM_TB_SetTic(HWND h, int idx, int pos) {
  plat::Object* o = control(h, idx);
  if (dynamic_cast<plat::Slider*>(o)) return 0;
  return int(SHIM_SendIfTarget(o, TBM_SETTIC, 0, pos));
}

// --- finding and walking

HWND GetDlgItem(HWND hwnd, int id) {
  View* v = SHIM_ViewOrContent(hwnd);
  if (!v) return nullptr;
  if (id == 0) return SHIM_H(v);
  for (View* sv : v->subviews()) {
    if (sv->tag() == id) return SHIM_H(sv);
    View* doc = nullptr;
    if (auto* s = dynamic_cast<plat::ScrollView*>(sv)) doc = s->documentView();
    else if (auto* c = dynamic_cast<plat::ClipView*>(sv)) doc = c->documentView();
    if (doc && doc->tag() == id) return SHIM_H(doc);
  }
  return nullptr;
}

HWND GetParent(HWND hwnd) {
  plat::Object* o = SHIM_Obj(hwnd);
  Window* w = dynamic_cast<Window*>(o);
  if (View* v = dynamic_cast<View*>(o)) {
    View* outer = outerView(v);
    if (!SHIM_IsContentView(outer)) return SHIM_H(outer->superview());
    w = outer->window();
  }
  if (!w) return nullptr;
  if (w->parentWindow() && w->parentWindow()->contentView())
    return SHIM_H(w->parentWindow()->contentView());
  if (auto* ow = dynamic_cast<Shim_vHarshbloom_ownerwindow*>(w)) {
    Window* owner = ow->shimGetOwner();
    if (!plat::Object::isLive(owner)) return nullptr;
    return SHIM_H(owner->contentView() ? static_cast<plat::Object*>(owner->contentView()) : owner);
  }
  return nullptr;
}

BOOL IsWindowVisible(HWND hwnd) {
  if (!hwnd) return FALSE;
  plat::Object* o = SHIM_Obj(hwnd);
  if (View* v = dynamic_cast<View*>(o))
    return (!v->window() || v->window()->isVisible()) && !v->isHiddenOrHasHiddenAncestor();
  if (Window* w = dynamic_cast<Window*>(o)) return w->isVisible();
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  plat::Object* o = SHIM_Obj(hwnd);
  if (!o) return FALSE;
  for (Window* w : plat::app().windows())
    if (w == o || w->contentView() == o) return TRUE;
  View* v = dynamic_cast<View*>(o);
  if (!v || !v->window()) return FALSE;
  Window* w = v->window();
  return isShimWindow(w) && w->contentView() && v->isDescendantOf(w->contentView());
}

BOOL IsChild(HWND parent, HWND child) {
  if (!parent || !child || parent == child) return FALSE;
  View* c = SHIM_View(child);
  if (!c) return FALSE;
  plat::Object* p = SHIM_Obj(parent);
  if (Window* w = dynamic_cast<Window*>(p)) return c->window() == w;
  View* pv = dynamic_cast<View*>(p);
  return pv && c != pv && c->isDescendantOf(pv);
}

BOOL EnumChildWindows(HWND hwnd, WNDENUMPROC proc, LPARAM lp) {
  View* v = SHIM_View(hwnd);
  if (!v || !proc) return TRUE;
  std::vector<Ref<View>> subs(v->subviews().begin(), v->subviews().end());
  for (auto& sv : subs) {
    View* c = sv.get();
    if (auto* s = dynamic_cast<plat::ScrollView*>(c)) c = s->documentView();
    else if (auto* cl = dynamic_cast<plat::ClipView*>(c)) c = cl->documentView();
    if (!c) continue;
    if (!proc(SHIM_H(c), lp)) return FALSE;
    if (!EnumChildWindows(SHIM_H(c), proc, lp)) return FALSE;
  }
  return TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lp) {
  if (!proc) return TRUE;
  std::vector<Ref<Window>> wins(plat::app().windows().begin(), plat::app().windows().end());
  for (auto& w : wins)
    if (!proc(SHIM_H(w->contentView()), lp)) return FALSE;
  return TRUE;
}

HWND GetWindow(HWND hwnd, int cmd) {
  View* v = SHIM_ViewOrContent(hwnd);
  if (!v) return nullptr;
  if (cmd == GW_CHILD) return v->subviews().empty() ? nullptr : SHIM_H(v->subviews().front());
  bool content = SHIM_IsContentView(v);
  if (cmd == GW_OWNER) {
    if (content) {
      auto* ow = dynamic_cast<Shim_vHarshbloom_ownerwindow*>(v->window());
      Window* owner = ow ? ow->shimGetOwner() : nullptr;
      return plat::Object::isLive(owner) ? SHIM_H(owner) : nullptr;
    }
    return SHIM_H(outerView(v)->superview());
  }
  if (cmd < GW_HWNDFIRST || cmd > GW_HWNDPREV) return nullptr;
  if (content) return cmd <= GW_HWNDLAST ? SHIM_H(v) : nullptr;
  View* outer = outerView(v);
  View* sup = outer->superview();
  if (!sup) return nullptr;
  const auto& sibs = sup->subviews();
  int i = sup->indexOfSubview(outer);
  switch (cmd) {
    case GW_HWNDFIRST: return SHIM_H(sibs.front());
    case GW_HWNDLAST: return SHIM_H(sibs.back());
    case GW_HWNDNEXT: return (i >= 0 && size_t(i + 1) < sibs.size()) ? SHIM_H(sibs[i + 1]) : nullptr;
    default: return i > 0 ? SHIM_H(sibs[i - 1]) : nullptr;
  }
}

HWND SHIM_NavigateUpScrollClipViews(HWND hwnd) {
  View* v = SHIM_ViewOrContent(hwnd);
  return v ? SHIM_H(outerView(v)) : nullptr;
}

bool IsEquivalentTextView(HWND a, HWND b) {
  if (a == b || !a || !b) return true;
  auto check = [](HWND tv, HWND tf) {
    auto* t = SHIM_As<plat::TextView>(tv);
    auto* f = SHIM_As<plat::TextField>(tf);
    if (!t || !f) return false;
    View* s = t->superview();
    return (s && s->superview() == f) || t->editedField() == f;
  };
  return check(a, b) || check(b, a);
}

// --- window longs and text

LONG_PTR GetWindowLong(HWND hwnd, int index) {
  plat::Object* o = SHIM_Obj(hwnd);
  if (!o) return 0;
  auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(o);
  switch (index) {
    case GWL_USERDATA:
      if (h) return h->getShimUserData();
      if (dynamic_cast<plat::TextView*>(o)) return (LONG_PTR)0xDEADF00B;
      break;
    case GWL_EXSTYLE:
      if (h) return LONG_PTR(int32_t(h->shimGetExtendedStyle()));
      break;
    case GWL_STYLE: {
      if (auto* s = dynamic_cast<SHIM_StyleHolder*>(o)) return s->getShimStyle();
      LONG_PTR style = 0;
      if (auto* b = dynamic_cast<plat::Button*>(o)) {
        auto* sb = dynamic_cast<Shim_vHarshbloom_button*>(o);
        int radio = sb ? sb->shimGetRadioFlags() : 0;
        if (b->allowsMixedState()) style = BS_AUTO3STATE;
        else if (radio) style = BS_AUTORADIOBUTTON | ((radio & 2) ? WS_GROUP : 0);
        else if (b->kind() == plat::Button::Kind::Radio) style = BS_AUTORADIOBUTTON;
        else style = BS_AUTOCHECKBOX;
      }
      View* v = dynamic_cast<View*>(o);
      if (SHIM_IsContentView(v) && (v->window()->styleMask() & plat::kStyleTitled)) {
        style |= WS_CAPTION;
        if (v->window()->styleMask() & plat::kStyleResizable) style |= WS_THICKFRAME;
      }
      return style;
    }
    case GWL_ID:
      if (auto* v = dynamic_cast<View*>(o)) return v->tag();
      return 0;
    case DWL_DLGPROC:
      if (h) return (LONG_PTR)h->getShimDialogProc();
      break;
    case GWL_WNDPROC:
      if (h) return (LONG_PTR)h->getShimWindowProc();
      break;
    default: break;
  }
  return h ? h->getShimExtraData(index) : 0;
}

LONG_PTR SetWindowLong(HWND hwnd, int index, LONG_PTR value) {
  plat::Object* o = SHIM_Obj(hwnd);
  if (!o) return 0;
  auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(o);
  LONG_PTR old;
  switch (index) {
    case GWL_USERDATA:
      if (!h) break;
      old = h->getShimUserData();
      h->setShimUserData(value);
      return old;
    case GWL_EXSTYLE:
      if (!h) break;
      old = h->shimGetExtendedStyle();
      h->shimSetExtendedStyle(int(value));
      return old;
    case DWL_DLGPROC:
      if (!h) break;
      old = (LONG_PTR)h->getShimDialogProc();
      h->setShimDialogProc((DLGPROC)value);
      return old;
    case GWL_WNDPROC:
      if (!h) break;
      old = (LONG_PTR)h->getShimWindowProc();
      h->setShimWindowProc((WNDPROC)value);
      return old;
    case GWL_ID:
      if (auto* v = dynamic_cast<View*>(o)) {
        old = v->tag();
        v->setTag(int32_t(value));
        return old;
      }
      return 0;
    case GWL_STYLE: {
      if (auto* s = dynamic_cast<SHIM_StyleHolder*>(o)) {
        old = s->getShimStyle();
        s->setShimStyle(int(value));
        return old;
      }
      if (auto* b = dynamic_cast<plat::Button*>(o)) {
        old = GetWindowLong(hwnd, GWL_STYLE);
        // The radio flags decide which buttons a click clears.
        auto* sb = dynamic_cast<Shim_vHarshbloom_button*>(o);
        switch (value & 15) {
          case BS_AUTOCHECKBOX:
            b->setKind(plat::Button::Kind::CheckBox);
            b->setAllowsMixedState(false);
            if (sb) sb->shimSetRadioFlags(0);
            break;
          case BS_AUTO3STATE:
            b->setKind(plat::Button::Kind::CheckBox);
            b->setAllowsMixedState(true);
            if (sb) sb->shimSetRadioFlags(0);
            break;
          case BS_AUTORADIOBUTTON:
            b->setKind(plat::Button::Kind::Radio);
            b->setAllowsMixedState(false);
            if (sb) sb->shimSetRadioFlags(1 | ((value & WS_GROUP) ? 2 : 0));
            break;
          default: break;
        }
        return old;
      }
      View* v = dynamic_cast<View*>(o);
      if (SHIM_IsContentView(v)) {
        // This desktop changes a window's frame kind in place: the window
        // keeps its handle, owner, children, title, frame and level.
        Window* w = v->window();
        unsigned mask = w->styleMask();
        bool caption = (mask & plat::kStyleTitled) != 0, thick = (mask & plat::kStyleResizable) != 0;
        bool wantCaption = (value & WS_CAPTION) != 0, wantThick = (value & WS_THICKFRAME) != 0;
        if (caption != wantCaption || thick != wantThick) {
          unsigned nm = plat::kStyleBorderless;
          if (wantCaption && wantThick)
            nm = plat::kStyleTitled | plat::kStyleClosable | plat::kStyleMiniaturizable |
                 plat::kStyleResizable;
          else if (wantCaption)
            nm = plat::kStyleTitled;
          w->setStyleMask(nm);
        }
      }
      return 0;
    }
    default: break;
  }
  if (!h) return 0;
  old = h->getShimExtraData(index);
  h->setShimExtraData(index, value);
  return old;
}

BOOL GetDlgItemText(HWND hwnd, int id, char* buf, int size) {
  // A buffer of no room gets nothing written, not even the terminator.
  if (!buf || size < 1) return FALSE;
  buf[0] = 0;
  plat::Object* o = itemOf(hwnd, id);
  if (!o) return FALSE;
  if (auto* v = dynamic_cast<View*>(o))
    if (SHIM_IsContentView(v)) o = v->window();
  if (auto* t = dynamic_cast<SHIM_TextHolder*>(o)) {
    const char* s = t->onShimGetText();
    copyText(buf, size, s ? s : "");
    return TRUE;
  }
  std::string s;
  if (auto* w = dynamic_cast<Window*>(o)) s = w->title();
  else if (auto* b = dynamic_cast<plat::Button*>(o)) s = b->title();
  else if (auto* c = dynamic_cast<plat::Control*>(o)) s = c->stringValue();
  else if (auto* tv = dynamic_cast<plat::TextView*>(o)) s = tv->string();
  else if (auto* box = dynamic_cast<plat::Box*>(o)) s = box->title();
  else return FALSE;
  copyText(buf, size, s);
  return TRUE;
}

BOOL SetDlgItemText(HWND hwnd, int id, const char* text) {
  plat::Object* o = itemOf(hwnd, id);
  if (!o) return FALSE;
  Ref<plat::Object> hold(o);
  std::string s = text ? text : "";
  View* v = dynamic_cast<View*>(o);
  if (SHIM_IsContentView(v)) v->window()->setTitle(s);
  if (auto* t = dynamic_cast<SHIM_TextHolder*>(o)) {
    t->onShimSetText(s.c_str());
    return TRUE;
  }
  if (auto* w = dynamic_cast<Window*>(o)) w->setTitle(s);
  else if (auto* b = dynamic_cast<plat::Button*>(o)) b->setTitle(s);
  else if (auto* c = dynamic_cast<plat::Control*>(o)) {
    c->setStringValue(s);
    auto* f = dynamic_cast<plat::TextField*>(c);
    if (f && f->isEditable() && c->superview())
      SendMessage(SHIM_H(c->superview()), WM_COMMAND,
                  (WPARAM)(uint32_t(c->tag() & 0xFFFF) | (uint32_t(EN_CHANGE) << 16)), (LPARAM)SHIM_H(c));
  } else if (auto* tv = dynamic_cast<plat::TextView*>(o)) tv->setString(s);
  else if (auto* box = dynamic_cast<plat::Box*>(o)) box->setTitle(s);
  else return FALSE;
  return TRUE;
}

BOOL SetDlgItemInt(HWND hwnd, int id, int value, int isSigned) {
  char buf[32];
  if (isSigned)
    snprintf(buf, sizeof buf, "%d", value);
  else
    snprintf(buf, sizeof buf, "%u", unsigned(value));
  return SetDlgItemText(hwnd, id, buf);
}

int GetDlgItemInt(HWND hwnd, int id, BOOL* ok, int isSigned) {
  char buf[128];
  if (ok) *ok = FALSE;
  if (!GetDlgItemText(hwnd, id, buf, sizeof buf)) return 0;
  const char* p = buf;
  while (*p == ' ' || *p == '\t') ++p;
  int v = atoi(p);
  if ((isSigned || v >= 0) && (v != 0 || *p == '0')) {
    if (ok) *ok = TRUE;
    return v;
  }
  return 0;
}

void CheckDlgButton(HWND hwnd, int id, int state) {
  SendMessage(GetDlgItem(hwnd, id), BM_SETCHECK, (WPARAM)state, 0);
}

int IsDlgButtonChecked(HWND hwnd, int id) {
  return int(SendMessage(GetDlgItem(hwnd, id), BM_GETCHECK, 0, 0));
}

// --- showing, destroying, geometry

BOOL ShowWindow(HWND hwnd, int cmd) {
  plat::Object* o = SHIM_Obj(hwnd);
  if (!o) return FALSE;
  Ref<plat::Object> hold(o);
  if (Window* w = dynamic_cast<Window*>(o)) {
    BOOL was = w->isVisible();
    switch (cmd) {
      case 0: w->orderOut(); break;
      case 1: {
        auto* mw = dynamic_cast<Shim_vHarshbloom_modelesswindow*>(w);
        if (mw && mw->wantsInitialKeyOnShow()) {
          mw->setWantsInitialKeyOnShow(false);
          w->makeKeyAndOrderFront();
        } else {
          w->orderFront();
        }
        break;
      }
      case 2: w->makeKeyAndOrderFront(); break;
      case 3: w->miniaturize(); break;
      default: break;
    }
    return was;
  }
  View* v = dynamic_cast<View*>(o);
  if (!v) return FALSE;
  View* outer = outerView(v);
  BOOL was = !outer->isHidden();
  if (cmd == 0) {
    Window* w = outer->window();
    if (w && w->isKeyWindow() && w->firstResponder() && w->firstResponder()->isDescendantOf(outer))
      SetFocus(GetParent(SHIM_H(outer)));
    if (!outer->isHidden()) {
      if (!SHIM_IsContentView(outer) && outer->superview()) {
        RECT r = rectOf(outer->frame());
        InvalidateRect(SHIM_H(outer->superview()), &r, FALSE);
      }
      outer->setHidden(true);
    }
  } else if (cmd == 1 || cmd == 2) {
    outer->setHidden(false);
  }
  if (SHIM_IsContentView(outer)) ShowWindow(SHIM_H(outer->window()), cmd);
  return was;
}

BOOL DestroyWindow(HWND hwnd) {
  plat::Object* o = SHIM_Obj(hwnd);
  if (!o) return FALSE;
  Ref<plat::Object> hold(o);
  if (View* v = dynamic_cast<View*>(o)) {
    auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(v);
    if (h && h->destroyState() == 2) return FALSE;
    KillTimer(hwnd, (UINT_PTR)-1);
    SHIM_SendIfTarget(v, WM_DESTROY, 0, 0);
    Window* w = v->window();
    if (!w) {
      v->removeFromSuperview();
      return TRUE;
    }
    if (w->contentView() == v) return DestroyWindow(SHIM_H(w));
    if (w->isKeyWindow() && w->firstResponder() && w->firstResponder()->isDescendantOf(v))
      SetFocus(GetParent(hwnd));
    v->removeFromSuperview();
    return TRUE;
  }
  Window* w = dynamic_cast<Window*>(o);
  if (!w || w->isClosed()) return FALSE;
  KillTimer(hwnd, (UINT_PTR)-1);
  SHIM_SendIfTarget(w->contentView(), WM_DESTROY, 0, 0);
  SHIM_SendIfTarget(w, WM_DESTROY, 0, 0);
  if (auto* ow = dynamic_cast<Shim_vHarshbloom_ownerwindow*>(w)) ow->shimDoDestroyStuff();
  if (w->parentWindow()) w->parentWindow()->removeChildWindow(w);
  w->close();
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* p) {
  View* v = SHIM_ViewOrContent(hwnd);
  if (!v || !p) return FALSE;
  plat::Point q = v->convertToWindow({double(p->x), double(p->y)});
  if (v->window()) q = v->window()->convertToScreen(q);
  p->x = int(floor(q.x + 0.5));
  p->y = int(floor(q.y + 0.5));
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* p) {
  View* v = SHIM_ViewOrContent(hwnd);
  if (!v || !p) return FALSE;
  plat::Point q{double(p->x), double(p->y)};
  if (v->window()) q = v->window()->convertFromScreen(q);
  q = v->convertFromWindow(q);
  p->x = int(floor(q.x + 0.5));
  p->y = int(floor(q.y + 0.5));
  return TRUE;
}

namespace {
// A view's bounds with both corners mapped to the screen.
RECT boundsOnScreen(View* v) {
  RECT b = rectOf(v->bounds());
  POINT a{b.left, b.top}, c{b.right, b.bottom};
  ClientToScreen(SHIM_H(v), &a);
  ClientToScreen(SHIM_H(v), &c);
  return RECT{a.x, a.y, c.x, c.y};
}
}  // namespace

BOOL GetWindowRect(HWND hwnd, RECT* r) {
  if (!r) return FALSE;
  *r = RECT{0, 0, 0, 0};
  plat::Object* o = SHIM_Obj(hwnd);
  if (View* v = dynamic_cast<View*>(o))
    if (SHIM_IsContentView(v)) o = v->window();
  if (Window* w = dynamic_cast<Window*>(o)) {
    *r = rectOf(w->frame());
    return TRUE;
  }
  View* v = dynamic_cast<View*>(o);
  if (!v) return FALSE;
  *r = boundsOnScreen(outerView(v));
  return TRUE;
}

BOOL GetWindowContentViewRect(HWND hwnd, RECT* r) {
  Window* w = SHIM_Window(hwnd);
  if (!w || !w->contentView()) return GetWindowRect(hwnd, r);
  if (!r) return FALSE;
  // The content view's own corners, not its window's frame.
  *r = boundsOnScreen(w->contentView());
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* r) {
  if (!r) return FALSE;
  *r = RECT{0, 0, 0, 0};
  View* v = SHIM_ViewOrContent(hwnd);
  if (!v) return FALSE;
  *r = rectOf(outerView(v)->bounds());
  NCCALCSIZE_PARAMS p;
  memset(&p, 0, sizeof p);
  p.rgrc[0] = *r;
  SendMessage(SHIM_H(v), WM_NCCALCSIZE, 0, (LPARAM)&p);
  r->right = r->left + (p.rgrc[0].right - p.rgrc[0].left);
  r->bottom = r->top + (p.rgrc[0].bottom - p.rgrc[0].top);
  return TRUE;
}

namespace {

void changeZOrder(View* v, HWND after) {
  View* sup = v->superview();
  if (!sup || sup->subviews().size() < 2) return;
  if (after == SHIM_H(v) || after == HWND_TOPMOST || after == HWND_NOTOPMOST) return;
  HWND cap = SHIM_Internal_GetCapture();
  if (View* cv = SHIM_View(cap))
    if (cv->isDescendantOf(v)) return;
  const auto& sibs = sup->subviews();
  View* relative = nullptr;
  View::Place place = View::Place::Above;
  if (after == HWND_BOTTOM) {
    if (sibs.front() == v) return;
    relative = sibs.front();
    place = View::Place::Below;
  } else if (after == HWND_TOP) {
    if (sibs.back() == v) return;
    relative = sibs.back();
  } else {
    View* a = SHIM_View(after);
    int ia = a ? sup->indexOfSubview(a) : -1;
    if (ia < 0 || sup->indexOfSubview(v) == ia + 1) return;
    relative = a;
  }
  Window* w = v->window();
  bool hadFocus = w && w->firstResponder() && w->firstResponder()->isDescendantOf(v);
  View* responder = hadFocus ? w->firstResponder() : nullptr;
  Ref<View> hold(v), holdResponder(responder);
  sup->addSubview(v, place, relative);
  if (hadFocus && responder->window() == w) w->makeFirstResponder(responder);
}

}  // namespace

BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, int flags) {
  plat::Object* o = SHIM_Obj(hwnd);
  if (View* v = dynamic_cast<View*>(o))
    if (SHIM_IsContentView(v)) o = v->window();
  if (!o) return FALSE;
  Ref<plat::Object> hold(o);
  if (View* v = dynamic_cast<View*>(o)) {
    View* outer = outerView(v);
    if (!(flags & SWP_NOZORDER)) changeZOrder(outer, after);
    if ((flags & SWP_NOMOVE) && (flags & SWP_NOSIZE)) return TRUE;
    plat::Rect f = outer->frame();
    if (!(flags & SWP_NOMOVE)) f.x = x, f.y = y;
    if (!(flags & SWP_NOSIZE)) f.w = cx, f.h = abs(cy);
    outer->setFrame(f);
    if (auto* s = dynamic_cast<plat::ScrollView*>(outer)) {
      View* doc = s->documentView();
      if (doc && !(s->hasVerticalScroller() && s->hasHorizontalScroller())) {
        plat::Rect df = doc->frame();
        plat::Size cs = s->contentSize();
        if (!s->hasHorizontalScroller()) df.w = cs.w;
        if (!s->hasVerticalScroller()) df.h = cs.h;
        doc->setFrame(df);
      }
    }
    return TRUE;
  }
  Window* w = dynamic_cast<Window*>(o);
  if (!w) return FALSE;
  if ((flags & SWP_NOMOVE) && (flags & SWP_NOSIZE)) return TRUE;
  plat::Rect f = w->frame();
  if (!(flags & SWP_NOMOVE)) f.x = x, f.y = y;
  if (!(flags & SWP_NOSIZE)) {
    plat::Size mn = w->minSize(), mx = w->maxSize();
    double nw = cx, nh = abs(cy);
    nw = nw < mn.w ? mn.w : (nw > mx.w ? mx.w : nw);
    nh = nh < mn.h ? mn.h : (nh > mx.h ? mx.h : nh);
    f.w = nw;
    f.h = nh;
  }
  w->setFrame(f, false);
  w->display();
  return TRUE;
}

HWND SetParent(HWND hwnd, HWND newParent) {
  View* v = SHIM_View(hwnd);
  if (!v) return nullptr;
  Ref<View> hold(v);
  char title[2048];
  if (SHIM_IsContentView(v)) {
    View* np = SHIM_ViewOrContent(newParent);
    if (!np) return nullptr;
    GetDlgItemText(hwnd, 0, title, sizeof title);
    Window* old = v->window();
    Ref<Window> holdOld(old);
    auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(v);
    auto* ow = dynamic_cast<Shim_vHarshbloom_ownerwindow*>(old);
    if (h && ow) h->setLastTopLevelOwner(ow->shimGetOwner());
    auto* fresh = new Shim_vHarshbloom_hwnd();
    old->setContentView(fresh);
    fresh->release();
    np->addSubview(v);
    DestroyWindow(SHIM_H(old));
    SetDlgItemText(hwnd, 0, title);
    return SHIM_H(np);
  }
  if (!newParent) {
    GetDlgItemText(hwnd, 0, title, sizeof title);
    auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(v);
    int flags = h && h->shimCreateWindowFlags() ? h->shimCreateWindowFlags() : 15;
    HWND owner = nullptr;
    if (h && h->lastTopLevelOwner())
      for (Window* w : plat::app().windows())
        if (w == h->lastTopLevelOwner() || w->contentView() == h->lastTopLevelOwner())
          owner = SHIM_H(w);
    View* outer = outerView(v);
    outer->removeFromSuperview();
    Window* win = SHIM_CreateModelessFrameForWindow(SHIM_H(outer), owner, unsigned(flags));
    if (win) win->display();
    SetDlgItemText(hwnd, 0, title);
    return nullptr;
  }
  View* np = SHIM_ViewOrContent(newParent);
  if (!np) return nullptr;
  View* outer = outerView(v);
  HWND oldParent = SHIM_H(outer->superview());
  np->addSubview(outer);
  return oldParent;
}

// --- properties

BOOL SetProp(HWND hwnd, const char* key, HANDLE value) {
  Shim_vHarshbloom_hwnd* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(SHIM_ViewOrContent(hwnd));
  return h && key ? h->shimSetProp(key, value) : FALSE;
}
HANDLE GetProp(HWND hwnd, const char* key) {
  Shim_vHarshbloom_hwnd* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(SHIM_ViewOrContent(hwnd));
  return h && key ? h->shimGetProp(key, false) : nullptr;
}
HANDLE RemoveProp(HWND hwnd, const char* key) {
  Shim_vHarshbloom_hwnd* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(SHIM_ViewOrContent(hwnd));
  return h && key ? h->shimGetProp(key, true) : nullptr;
}
int EnumPropsEx(HWND hwnd, PROPENUMPROCEX proc, LPARAM lp) {
  Shim_vHarshbloom_hwnd* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(SHIM_ViewOrContent(hwnd));
  return h ? h->shimEnumProps(proc, lp) : -1;
}

// --- focus, enabling, redraw

HWND GetFocus() {
  Window* key = plat::app().keyWindow();
  View* r = key ? key->firstResponder() : nullptr;
  if (!r) return nullptr;
  if (auto* tv = dynamic_cast<plat::TextView*>(r)) {
    if (tv->editedField()) return SHIM_H(tv->editedField());
    View* s = tv->superview();
    if (s && dynamic_cast<plat::TextField*>(s->superview())) return SHIM_H(s->superview());
  }
  return SHIM_H(r);
}

HWND SetFocus(HWND hwnd) {
  HWND prev = GetFocus();
  plat::Object* o = SHIM_Obj(hwnd);
  Ref<plat::Object> hold(o);
  if (Window* w = dynamic_cast<Window*>(o)) {
    w->makeFirstResponder(w->contentView());
    if (w->isVisible()) w->makeKeyAndOrderFront();
  } else if (View* v = dynamic_cast<View*>(o)) {
    Window* w = v->window();
    if (w) {
      w->makeFirstResponder(v);
      if (w->isVisible()) w->makeKeyAndOrderFront();
    }
  }
  return prev;
}

HWND SetForegroundWindow(HWND hwnd) { return SetFocus(hwnd); }

HWND GetForegroundWindow() {
  Window* key = plat::app().keyWindow();
  if (!key) return nullptr;
  return key->firstResponder() ? SHIM_H(key->firstResponder()) : SHIM_H(key);
}

BOOL EnableWindow(HWND hwnd, int enable) {
  View* v = SHIM_ViewOrContent(hwnd);
  if (!v) return FALSE;
  auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(v);
  auto* c = dynamic_cast<plat::Control*>(v);
  if (!h && !c) return FALSE;
  BOOL wasDisabled = h ? !h->isEnabled() : !c->isEnabled();
  if (enable == SHIM_ENABLE_NOFOCUS) {
    if (auto* nf = dynamic_cast<SHIM_NoFocusEnable*>(v))
      nf->setEnabledShimNoFocus();
    else if (h)
      h->setEnabled(true);
    else
      c->setEnabled(true);
  } else if (h) {
    h->setEnabled(enable != 0);
  } else {
    c->setEnabled(enable != 0);
  }
  auto* tf = dynamic_cast<plat::TextField*>(v);
  if (tf && !tf->isEditable() && !tf->isBordered() && !tf->drawsBackground()) {
    uint32_t alpha = enable ? 0xFFu : 0x80u;
    tf->setTextColor((tf->textColor() & 0x00FFFFFF) | (alpha << 24));
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  View* v = SHIM_ViewOrContent(hwnd);
  if (auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(v)) return h->isEnabled();
  if (auto* c = dynamic_cast<plat::Control*>(v)) return c->isEnabled();
  return FALSE;
}

void SHIM_GetViewPort(RECT* out, const RECT* src, bool wantWork) {
  if (!out) return;
  std::vector<plat::Screen> screens = plat::app().screens();
  if (screens.empty()) {
    *out = RECT{0, 0, 1600, 1200};
    return;
  }
  plat::Point c{0, 0};
  if (src) c = {(src->left + src->right) * 0.5, (src->top + src->bottom) * 0.5};
  plat::Rect pick = wantWork ? screens[0].visibleFrame : screens[0].frame;
  for (size_t i = 1; i < screens.size(); ++i)
    if (screens[i].frame.contains(c)) pick = wantWork ? screens[i].visibleFrame : screens[i].frame;
  *out = RECT{int(pick.x), int(pick.y), int(pick.x + pick.w + 0.5), int(pick.y + pick.h + 0.5)};
}

BOOL InvalidateRect(HWND hwnd, const RECT* r, BOOL) {
  if (!hwnd) return FALSE;
  View* v = SHIM_ViewOrContent(hwnd);
  if (!v) return TRUE;
  auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(v);
  bool wasClear = !h || !(h->dirtyFlags() & 1);
  if (h) h->setDirtyFlags(h->dirtyFlags() | 1);
  if (wasClear) {
    for (View* p = v->superview(); p; p = p->superview()) {
      auto* ph = dynamic_cast<Shim_vHarshbloom_hwnd*>(p);
      if (!ph) continue;
      if (ph->dirtyFlags() & 2) break;
      ph->setDirtyFlags(ph->dirtyFlags() | 2);
    }
  }
  if (r)
    v->setNeedsDisplayInRect({double(r->left), double(std::min(r->top, r->bottom)),
                              double(r->right - r->left), double(abs(r->bottom - r->top))});
  else
    v->setNeedsDisplay(true);
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  View* v = SHIM_ViewOrContent(hwnd);
  if (!v) return FALSE;
  if (v->window() && v->window()->viewsNeedDisplay()) v->window()->displayIfNeeded();
  return TRUE;
}

void SHIM_FlushWindow(HWND hwnd) {
  plat::Object* o = SHIM_Obj(hwnd);
  Window* w = dynamic_cast<Window*>(o);
  if (View* v = dynamic_cast<View*>(o)) {
    if (v->needsDisplay()) return;
    w = v->window();
  }
  if (!w || w->viewsNeedDisplay()) return;
  if (plat::Presenter* p = plat::app().presenter()) p->windowDisplayed(w);
}

void SHIM_HideApp() { plat::app().hide(); }

BOOL SHIM_GetGestureInfo(LPARAM lp, GESTUREINFO* out) {
  if (!lp || !out) return FALSE;
  memcpy(out, reinterpret_cast<const void*>(lp), sizeof(GESTUREINFO));
  return TRUE;
}

void CenterWindow(HWND hwnd) {
  Window* w = SHIM_WindowOf(hwnd);
  if (!w) return;
  HWND target = SHIM_H(w);
  RECT r, area;
  if (!GetWindowRect(target, &r)) return;
  SHIM_GetViewPort(&area, &r, true);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(target, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOSIZE);
}

// --- modal sessions and window attributes

void* SHIM_ModalWindowStart(HWND hwnd) {
  Window* w = SHIM_WindowOf(hwnd);
  return w ? plat::app().beginModalSession(w) : nullptr;
}

bool SHIM_ModalWindowRun(void* session, int* ret) {
  if (!session) return false;
  int r = plat::app().runModalSession(static_cast<plat::ModalSession*>(session));
  if (r == plat::kModalContinue) return true;
  if (ret) *ret = r;
  return false;
}

void SHIM_ModalWindowEnd(void* session) {
  if (!session) return;
  auto* s = static_cast<plat::ModalSession*>(session);
  if (plat::app().runModalSession(s) == plat::kModalContinue) {
    plat::app().stopModal();
    while (plat::app().runModalSession(s) == plat::kModalContinue) SHIM_RunRunLoop(10);
  }
  plat::app().endModalSession(s);
}

void SHIM_CloseWindow(HWND hwnd) {
  if (Window* w = SHIM_WindowOf(hwnd)) w->close();
}

int SHIM_GetWindowWantRaiseAmt(HWND hwnd) {
  auto* mw = dynamic_cast<Shim_vHarshbloom_modelesswindow*>(SHIM_WindowOf(hwnd));
  return mw ? mw->shimWantRaiseAmt() : 0;
}

void SHIM_SetWindowWantRaiseAmt(HWND hwnd, int amt) {
  auto* mw = dynamic_cast<Shim_vHarshbloom_modelesswindow*>(SHIM_WindowOf(hwnd));
  if (!mw || mw->shimWantRaiseAmt() == amt) return;
  int delta = amt - mw->shimWantRaiseAmt();
  mw->shimSetWantRaiseAmt(amt);
  if (plat::app().isActive()) mw->setLevel(mw->level() + delta);
}

int SHIM_SetWindowLevel(HWND hwnd, int level) {
  Window* w = SHIM_WindowOf(hwnd);
  if (!w) return 0;
  int old = w->level();
  w->setLevel(level);
  return old;
}

void SHIM_SetWindowShadow(HWND hwnd, bool on) {
  if (Window* w = SHIM_WindowOf(hwnd)) w->setHasShadow(on);
}

void SetOpaque(HWND hwnd, bool opaque) {
  if (auto* h = SHIM_Hwnd(hwnd)) h->setOpaque(opaque);
}

void SetTransparent(HWND hwnd) {
  if (Window* w = SHIM_WindowOf(hwnd)) {
    w->setBackgroundColor(0);
    w->setOpaque(false);
  }
}

void SetAllowNoMiddleManRendering(HWND hwnd, bool allow) {
  if (auto* h = SHIM_Hwnd(hwnd)) h->setAllowDirectChildRendering(allow);
}

int SHIM_GetDefaultButtonID(HWND hwnd, bool onlyIfEnabled) {
  View* v = SHIM_View(hwnd);
  Window* w = v ? v->window() : nullptr;
  View* b = w ? w->defaultButton() : nullptr;
  if (!b) return 0;
  auto* c = dynamic_cast<plat::Control*>(b);
  if (onlyIfEnabled && c && !c->isEnabled()) return 0;
  return int(b->tag());
}

void SHIM_SetWindowRepre(HWND hwnd, const char* filename, bool edited) {
  Window* w = SHIM_WindowOf(hwnd);
  if (!w) return;
  if (w->contentView() && GetProp(SHIM_H(w->contentView()), "SHIM_DisableWindowRepre")) return;
  w->setDocumentEdited(edited);
  w->setRepresentedFilename(filename ? filename : "");
}

namespace {
// The full-screen state before the first call, and the window made full
// screen since.
bool g_presentationKnown = false;
plat::Ref<Window> g_fullScreenWindow;
}  // namespace

// The desktop's panels are the desktop's: they cannot be set to hide
// themselves from here (mode 1). Hiding them for good (modes 2 and up) is
// what a borderless full-screen window does: the main window becomes one.
bool SHIM_SetAppAutoHideMenuAndDock(int mode) {
  plat::Presenter* p = plat::app().presenter();
  if (!g_presentationKnown) {
    // Nothing of ours is full screen before the first call: that is the
    // default to come back to.
    g_presentationKnown = true;
    g_fullScreenWindow.reset();
  }
  if (mode <= 0) {
    plat::Ref<Window> w = g_fullScreenWindow;
    if (!w) return true;
    if (!p || w->isClosed() || !p->setWindowFullScreen(w.get(), false)) return false;
    g_fullScreenWindow.reset();
    return true;
  }
  if (mode == 1 || !p) return false;
  Window* w = plat::app().mainWindow() ? plat::app().mainWindow() : plat::app().keyWindow();
  if (!w) return false;
  if (g_fullScreenWindow && g_fullScreenWindow.get() != w && !g_fullScreenWindow->isClosed())
    p->setWindowFullScreen(g_fullScreenWindow.get(), false);
  if (!p->setWindowFullScreen(w, true)) return false;
  g_fullScreenWindow = w;
  return true;
}

void SHIM_Internal_ResetPresentation() {
  g_presentationKnown = false;
  g_fullScreenWindow.reset();
}
