// The control factory and dialogs generated from lists.

#include "shim-dlggen.h"

#include <math.h>
#include <string.h>
#include <strings.h>

#include <string>

#include "shim-controls.h"
#include "shim-dlg.h"
#include "shim-wnd.h"

using plat::Rect;
using plat::View;

namespace {

struct CreatorRec {
  SHIM_CustomControlCreator fn;
  int refs;
  CreatorRec* next;
};

struct Factory {
  double transform[4] = {0, 0, 1, 1};  // x offset, y offset, x scale, y scale
  double parentH = 100;
  View* owner = nullptr;
  bool doAutoRight = false;
  double lastAuto[3] = {0, -100, 0};  // planned right edge, vertical middle, growth
  bool sizeToFits = false;
  int radioGroups = 0;
} g;

CreatorRec* g_creators = nullptr;
SHIM_ListControlMaker g_listMaker = nullptr;

// (int)(v + 0.5): truncation toward zero after adding a half.
double roundHalf(double v) { return double(int64_t(v + 0.5)); }

View* owner() { return plat::Object::isLive(g.owner) ? g.owner : nullptr; }

void applyFontRule(SHIM_FontHolder* c) {
  double xs = g.transform[2];
  if (xs < 1.0) c->setShimFont(plat::Font::system(8));
  else if (xs < 1.81) c->setShimFont(plat::Font::system(10));
}

void applyHidden(View* v, int style) {
  if (style & SHIM_STYLE_HIDDEN) v->setHidden(true);
}

// The control's action goes to the owner's command entry.
void targetOwner(plat::Control* c) {
  View* o = owner();
  c->action = [o](plat::Control* sender) {
    if (!plat::Object::isLive(o)) return;
    if (auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(o)) h->onShimCommand(sender);
  };
}

// Adds to the owner (or, before any owner, to nothing) and hands out the
// handle; the owner holds the view.
HWND add(View* v) {
  if (View* o = owner()) {
    o->addSubview(v);
    v->release();
  }
  return SHIM_H(v);
}

void recordGrowth(View* v) {
  if (g.doAutoRight) g.lastAuto[2] = v->frame().maxX() - g.lastAuto[0];
}

}  // namespace

plat::Rect SHIM_Internal_MakeCoords(int x, int y, int w, int h, bool wantauto, bool ignorevscaleheight) {
  if (w < 0 && h < 0) return {double(-x), double(-y), double(-w), double(-h)};
  double ys = g.transform[3];
  double hs = ignorevscaleheight ? 1 : ys;
  double nx = roundHalf((x + g.transform[0]) * g.transform[2]);
  double ny;
  if (ys < 0)
    ny = roundHalf(-ys * (y + g.transform[1]));
  else  // a view whose y points up: measured from its top edge down
    ny = roundHalf(g.parentH - (y + g.transform[1]) * ys - h * hs);
  double nw = roundHalf(w * g.transform[2]);
  double nh = roundHalf(fabs(hs) * h);
  if (g.doAutoRight && wantauto) {
    // A control that starts where the last one was planned to end, on the
    // same row, moves by as much as that one grew.
    double unshifted = nx, m = g.lastAuto[1];
    if (fabs(nx - g.lastAuto[0]) < 32 && m >= ny && ny + nh > m) nx += double(int64_t(g.lastAuto[2]));
    g.lastAuto[0] = unshifted + nw;
    g.lastAuto[1] = ny + nh / 2;
    g.lastAuto[2] = 0;
  }
  return {nx, ny, nw, nh};
}

std::string SHIM_Internal_RemoveMnemonics(const char* text) {
  if (!text) return std::string();
  size_t n = strnlen(text, 1024);
  if (n >= 1024 || !memchr(text, '&', n)) return std::string(text);
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    if (text[i] == '&') {
      if (++i >= n) break;
    }
    out += text[i];
  }
  return out;
}

int SHIM_Internal_RadioGroupCount() { return g.radioGroups; }

void SHIM_Internal_SetListControlMaker(SHIM_ListControlMaker maker) { g_listMaker = maker; }

void SHIM_MakeSetCurParms(float xscale, float yscale, float xtrans, float ytrans, HWND parent,
                          bool doauto, bool dosizetofit) {
  g.radioGroups = 0;
  g.lastAuto[0] = 0;
  g.lastAuto[1] = -100;
  g.lastAuto[2] = 0;
  g.doAutoRight = doauto;
  g.sizeToFits = dosizetofit;
  g.transform[0] = xtrans;
  g.transform[1] = ytrans;
  g.transform[2] = xscale;
  g.transform[3] = yscale;
  g.owner = SHIM_ViewOrContent(parent);
  g.parentH = 100;
  if (g.owner) g.parentH = g.owner->bounds().h;
  if (yscale > 0 && g.owner && g.owner->isFlipped()) g.transform[3] = -yscale;
}

// --- makers

HWND SHIM_MakeButton(int def, const char* text, int id, int x, int y, int w, int h, int style) {
  if ((uintptr_t)text < 0x10000) text = "ICONTEMP";
  auto* b = new Shim_vHarshbloom_button();
  applyFontRule(b);
  b->setTag(id);
  b->setFrame(SHIM_Internal_MakeCoords(x, y, w, h, true, false));
  b->setTitle(SHIM_Internal_RemoveMnemonics(text));
  targetOwner(b);
  if (style & BS_LEFT) b->setAlignsLeft(true);
  if (style & BS_BITMAP) b->setCell(Shim_vHarshbloom_button::Cell::Image);
  applyHidden(b, style);
  HWND hb = add(b);
  recordGrowth(b);
  if (def && owner() && owner()->window()) owner()->window()->setDefaultButton(b);
  return hb;
}

namespace {
Shim_vHarshbloom_textview* makeTextView(int id, int style) {
  auto* tv = new Shim_vHarshbloom_textview();
  tv->setEditable(!(style & ES_READONLY));
  applyFontRule(tv);
  tv->setTag(id);
  return tv;
}
}  // namespace

HWND SHIM_MakeEditField(int id, int x, int y, int w, int h, int style) {
  bool vs = (style & WS_VSCROLL) != 0, hs = (style & WS_HSCROLL) != 0;
  if (!vs && !hs) {
    auto* f = new Shim_vHarshbloom_textfield();
    f->setSecure((style & ES_PASSWORD) != 0);
    f->setEditable(!(style & ES_READONLY));
    f->setSelectable(true);
    applyFontRule(f);
    if (style & ES_CENTER) f->setAlignment(plat::TextAlign::Center);
    else if (style & ES_RIGHT) f->setAlignment(plat::TextAlign::Right);
    f->setWraps(abs(h) >= 20);
    f->setTag(id);
    targetOwner(f);
    f->setFrame(SHIM_Internal_MakeCoords(x, y, w, h, true, false));
    applyHidden(f, style);
    HWND hf = add(f);
    recordGrowth(f);
    return hf;
  }
  Shim_vHarshbloom_textview* tv = makeTextView(id, style);
  if (!vs) {
    // Only a horizontal scroller asked for: the text view stands alone.
    tv->setVerticallyResizable(false);
    tv->setFrame(SHIM_Internal_MakeCoords(x, y, w, h, true, false));
    applyHidden(tv, style);
    HWND ht = add(tv);
    recordGrowth(tv);
    return ht;
  }
  auto* sv = new plat::ScrollView(SHIM_Internal_MakeCoords(x, y, w, h, true, false));
  sv->setHasVerticalScroller(true);
  if (hs) {
    sv->setHasHorizontalScroller(true);
    tv->setHorizontallyResizable(true);
  }
  sv->setAutohidesScrollers(true);
  plat::Size cs = sv->contentSize();
  tv->setFrame({0, 0, cs.w, cs.h});
  sv->setDocumentView(tv);
  tv->release();
  tv->sizeToText();
  applyHidden(sv, style);
  HWND hsv = add(sv);
  recordGrowth(sv);
  return hsv;
}

namespace {
// Static text: not editable, not selectable, no border, no background.
Shim_vHarshbloom_textfield* newLabel() {
  auto* f = new Shim_vHarshbloom_textfield();
  f->setEditable(false);
  f->setSelectable(false);
  f->setBordered(false);
  f->setDrawsBackground(false);
  applyFontRule(f);
  return f;
}
}  // namespace

HWND SHIM_MakeLabel(int align, const char* text, int id, int x, int y, int w, int h, int flags) {
  Shim_vHarshbloom_textfield* f = newLabel();
  if (flags & SS_NOTIFY) {
    f->setSendsClicks(true);
    targetOwner(f);
  }
  std::string t = SHIM_Internal_RemoveMnemonics(text);
  f->setStringValue(t);
  f->setAlignment(align < 0 ? plat::TextAlign::Left : align == 0 ? plat::TextAlign::Center
                                                                 : plat::TextAlign::Right);
  f->setWraps(h >= 13);
  f->setTag(id);
  f->setFrame(SHIM_Internal_MakeCoords(x, y, w, h, true, false));
  applyHidden(f, flags);
  HWND hf = add(f);
  if (g.sizeToFits && t.size() >= 2) f->setFrameSize(f->fittingSize());
  recordGrowth(f);
  return hf;
}

HWND SHIM_MakeCheckBox(const char* text, int id, int x, int y, int w, int h, int style) {
  return SHIM_MakeControl(text, id, "Button", style | 3, x, y, w, h, 0);
}

HWND SHIM_MakeListBox(int id, int x, int y, int w, int h, int style) {
  return SHIM_MakeControl("", id, "SysListView32_LB", style, x, y, w, h, 0);
}

HWND SHIM_MakeGroupBox(const char* name, int id, int x, int y, int w, int h, int style) {
  auto* b = new Shim_vHarshbloom_box();
  applyFontRule(b);
  b->setTitle(SHIM_Internal_RemoveMnemonics(name));
  b->setTag(id);
  b->setTitleCentered((style & 0x300) != 0);
  b->setFrame(SHIM_Internal_MakeCoords(x, y - 1, w, h + 3, false, false));
  View* o = owner();
  if (!o) return SHIM_H(b);
  o->addSubview(b, View::Place::Below, nullptr);
  b->release();
  return SHIM_H(b);
}

HWND SHIM_MakeCombo(int id, int x, int y, int w, int /*h*/, int flags) {
  plat::Control* c;
  if ((flags & 3) == CBS_DROPDOWNLIST) {
    auto* p = new Shim_vHarshbloom_pub();
    p->setTag(id);
    p->setShimFont(plat::Font::system(10));
    p->setFrame(SHIM_Internal_MakeCoords(x, y, w, 18, true, true));
    p->setShimStyle(flags);
    c = p;
  } else {
    auto* cb = new Shim_vHarshbloom_cbox();
    cb->setShimFont(plat::Font::system(10));
    cb->setShimStyle(flags);
    cb->setTag(id);
    cb->setFrame(SHIM_Internal_MakeCoords(x, y - 1, w, 22, true, true));
    c = cb;
  }
  targetOwner(c);
  applyHidden(c, flags);
  HWND hc = add(c);
  recordGrowth(c);
  return hc;
}

namespace {

HWND makeButtonOfKind(const char* cname, int idx, int style, int x, int y, int w, int h) {
  int kind = style & 15;
  auto* b = new Shim_vHarshbloom_button();
  if (kind == BS_AUTOCHECKBOX || kind == BS_AUTO3STATE) {
    b->setKind(plat::Button::Kind::CheckBox);
    b->setAllowsMixedState(kind == BS_AUTO3STATE);
  } else if (kind == BS_AUTORADIOBUTTON) {
    b->setKind(plat::Button::Kind::Radio);
    b->shimSetRadioFlags(1 | ((style & WS_GROUP) ? 2 : 0));
  } else if (kind == BS_OWNERDRAW) {
    b->setCell(Shim_vHarshbloom_button::Cell::OwnerDrawn);
  } else {
    if (style & BS_BITMAP) b->setCell(Shim_vHarshbloom_button::Cell::Image);
    if (style & BS_LEFT) b->setAlignsLeft(true);
  }
  b->setTag(idx);
  if (kind == BS_AUTORADIOBUTTON) {
    View* o = owner();
    auto* last = o && !o->subviews().empty()
                     ? dynamic_cast<Shim_vHarshbloom_button*>(o->subviews().back())
                     : nullptr;
    bool continues = !(style & WS_GROUP) && last && !(last->shimGetRadioFlags() & 4);
    if (!continues) ++g.radioGroups;
    b->setActionGroup(g.radioGroups % 8);
  }
  applyFontRule(b);
  b->setFrame(SHIM_Internal_MakeCoords(x, y, w, h, true, false));
  b->setTitle(SHIM_Internal_RemoveMnemonics(cname));
  targetOwner(b);
  if (style & BS_LEFTTEXT) b->setBoxOnRight(true);
  applyHidden(b, style);
  HWND hb = add(b);
  if (kind != BS_OWNERDRAW && g.sizeToFits) b->setFrameSize(b->fittingSize());
  recordGrowth(b);
  return hb;
}

HWND makeStatic(const char* cname, int idx, int style, int x, int y, int w, int h) {
  Shim_vHarshbloom_textfield* f = newLabel();
  f->setStringValue(cname && *cname ? SHIM_Internal_RemoveMnemonics(cname) : std::string());
  int kind = style & 0x1F;
  if (kind == SS_CENTER) f->setAlignment(plat::TextAlign::Center);
  else if (kind == SS_RIGHT) f->setAlignment(plat::TextAlign::Right);
  f->setWraps(kind != SS_LEFTNOWORDWRAP);
  f->setTag(idx);
  f->setFrame(SHIM_Internal_MakeCoords(x, y, w, h, true, false));
  applyHidden(f, style);
  HWND hf = add(f);
  if (kind == SS_BLACKRECT) f->setHidden(true);
  recordGrowth(f);
  return hf;
}

}  // namespace

HWND SHIM_MakeControl(const char* cname, int idx, const char* classname, int style, int x, int y,
                      int w, int h, int exstyle) {
  if (g_creators) {
    Rect r = SHIM_Internal_MakeCoords(x, y, w, h, false, false);
    HWND parent = SHIM_H(owner());
    for (CreatorRec* c = g_creators; c; c = c->next) {
      HWND made = c->fn(parent, cname, idx, classname, style, int(floor(r.x + 0.5)), int(floor(r.y + 0.5)),
                        int(floor(r.w + 0.5)), int(floor(r.h + 0.5)));
      if (!made) continue;
      if (exstyle) SetWindowLong(made, GWL_EXSTYLE, exstyle);
      return made;
    }
  }
  if (!classname) return nullptr;
  auto is = [classname](const char* n) { return strcasecmp(classname, n) == 0; };
  if (is("SysTabControl32")) {
    auto* t = new Shim_vHarshbloom_tabview();
    t->setTag(idx);
    applyFontRule(t);
    View* o = owner();
    t->setNotificationWindow(SHIM_H(o));
    t->setFrame(SHIM_Internal_MakeCoords(x, y - 1, w, h + 6, false, false));
    if (auto* oh = dynamic_cast<Shim_vHarshbloom_hwnd*>(o)) oh->setAllowDirectChildRendering(false);
    applyHidden(t, style);
    return add(t);
  }
  if (is("SysListView32") || is("SysListView32_LB") || is("SysTreeView32")) {
    if (!g_listMaker || !owner()) return nullptr;
    return g_listMaker(owner(), classname, idx, style, SHIM_Internal_MakeCoords(x, y, w, h, false, false));
  }
  if (is("msctls_progress32")) {
    auto* p = new Shim_vHarshbloom_progind();
    p->setTag(idx);
    p->setFrame(SHIM_Internal_MakeCoords(x, y, w, h, false, false));
    applyHidden(p, style);
    return add(p);
  }
  if (is("Edit")) return SHIM_MakeEditField(idx, x, y, w, h, style);
  if (is("static")) return makeStatic(cname, idx, style, x, y, w, h);
  if (is("Button")) {
    if (style & SHIM_BS_GROUPBOX) return SHIM_MakeGroupBox(cname, idx, x, y, w, h, style & ~SHIM_BS_GROUPBOX);
    if (style & SHIM_BS_DEFPUSHBUTTON)
      return SHIM_MakeButton(1, cname, idx, x, y, w, h, style & ~SHIM_BS_DEFPUSHBUTTON);
    if (style & SHIM_BS_PUSHBUTTON)
      return SHIM_MakeButton(0, cname, idx, x, y, w, h, style & ~SHIM_BS_PUSHBUTTON);
    return makeButtonOfKind(cname, idx, style, x, y, w, h);
  }
  if (is("RNhfader") || is("msctls_trackbar32")) {
    auto* s = new Shim_vHarshbloom_slider();
    s->setTag(idx);
    s->setMinValue(0);
    s->setMaxValue(1000);
    s->setFrame(SHIM_Internal_MakeCoords(x, y, w, h, false, false));
    s->setMini(is("msctls_trackbar32"));
    targetOwner(s);
    applyHidden(s, style);
    return add(s);
  }
  if (is("COMBOBOX")) return SHIM_MakeCombo(idx, x, y, w, h, style);
  return nullptr;
}

void SHIM_GenerateDialogFromList(const void* list, int count) {
  if (!list || count <= 0) return;
  const SHIM_DlgGenEntry* e = static_cast<const SHIM_DlgGenEntry*>(list);
  for (int i = 0; i < count; ++i, ++e) {
    const char* k = e->kind ? e->kind : "";
    if (!strcmp(k, "__SHIM_BUTTON")) SHIM_MakeButton(e->flag, e->text, e->p1, e->p2, e->p3, e->p4, e->p5, e->p6);
    else if (!strcmp(k, "__SHIM_EDIT")) SHIM_MakeEditField(e->p1, e->p2, e->p3, e->p4, e->p5, e->p6);
    else if (!strcmp(k, "__SHIM_COMBO")) SHIM_MakeCombo(e->p1, e->p2, e->p3, e->p4, e->p5, e->p6);
    else if (!strcmp(k, "__SHIM_LISTBOX"))
      SHIM_MakeControl("", e->p1, "SysListView32_LB", e->p6, e->p2, e->p3, e->p4, e->p5, 0);
    else if (!strcmp(k, "__SHIM_GROUP")) SHIM_MakeGroupBox(e->text, e->p1, e->p2, e->p3, e->p4, e->p5, e->p6);
    else if (!strcmp(k, "__SHIM_CHECKBOX"))
      SHIM_MakeControl(e->text, e->p1, "Button", e->p6 | 3, e->p2, e->p3, e->p4, e->p5, 0);
    else if (!strcmp(k, "__SHIM_LABEL")) SHIM_MakeLabel(e->flag, e->text, e->p1, e->p2, e->p3, e->p4, e->p5, e->p6);
    else if (e->text && *e->text)
      SHIM_MakeControl(e->kind, e->flag, e->text, e->p1, e->p2, e->p3, e->p4, e->p5, e->p6);
  }
}

// --- custom creators

void SHIM_RegisterCustomControlCreator(SHIM_CustomControlCreator creator) {
  if (!creator) return;
  CreatorRec** tail = &g_creators;
  for (CreatorRec* c = g_creators; c; c = c->next) {
    if (c->fn == creator) {
      ++c->refs;
      return;
    }
    tail = &c->next;
  }
  *tail = new CreatorRec{creator, 1, nullptr};
}

void SHIM_UnregisterCustomControlCreator(SHIM_CustomControlCreator creator) {
  for (CreatorRec** pp = &g_creators; *pp; pp = &(*pp)->next) {
    if ((*pp)->fn != creator) continue;
    if (--(*pp)->refs <= 0) {
      CreatorRec* dead = *pp;
      *pp = dead->next;
      delete dead;
    }
    return;
  }
}

// --- queries

void SHIM_GetDesiredControlSize(HWND hwnd, RECT* r) {
  if (!r) return;
  plat::Object* o = SHIM_Obj(hwnd);
  plat::Size s{0, 0};
  if (auto* b = dynamic_cast<Shim_vHarshbloom_button*>(o)) s = b->fittingSize();
  else if (auto* f = dynamic_cast<Shim_vHarshbloom_textfield*>(o)) s = f->fittingSize();
  else if (auto* v = dynamic_cast<View*>(o)) s = {v->frame().w, v->frame().h};
  else return;
  *r = RECT{0, 0, int(ceil(s.w)), int(ceil(s.h))};
}

bool SHIM_IsGroupBox(HWND hwnd) { return SHIM_As<Shim_vHarshbloom_box>(hwnd) != nullptr; }
bool SHIM_IsButton(HWND hwnd) { return SHIM_As<Shim_vHarshbloom_button>(hwnd) != nullptr; }
bool SHIM_IsStaticText(HWND hwnd) { return SHIM_As<plat::TextField>(hwnd) != nullptr; }
