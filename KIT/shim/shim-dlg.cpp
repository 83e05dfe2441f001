// Window handles, dialogs and top-level windows.

#include "shim-dlg.h"
#include "shim-dragdrop.h"

#include <math.h>
#include <string.h>

#include <algorithm>

#include "platform/app.h"
#include "platform/keys.h"
#include "shim-controls.h"
#include "shim-kb.h"
#include "shim-misc.h"
#include "shim-paint.h"
#include "shim-wnd.h"

SHIM_DialogResourceIndex* SHIM_curmodule_dialogresource_head = nullptr;

namespace {

HMENU g_defaultMenu = nullptr;
HMENU g_defaultModalMenu = nullptr;
plat::Window* g_lastKeyWindow = nullptr;
bool g_levelIncrease = true;

plat::Menu* asMenu(HMENU m) {
  return plat::Object::isLive(m) ? dynamic_cast<plat::Menu*>(reinterpret_cast<plat::Object*>(m))
                                 : nullptr;
}

LPARAM packPoint(int x, int y) { return (LPARAM)(DWORD)(((DWORD)(WORD)y << 16) | (WORD)x); }

// Bounds of a view as a RECT: left/top truncated, right/bottom rounded.
RECT boundsRect(const plat::View* v) {
  plat::Rect b = v->bounds();
  return RECT{int(b.x), int(b.y), int(b.x + b.w + 0.5), int(b.y + b.h + 0.5)};
}

}  // namespace

// --- menus and globals

HMENU SHIM_GetDefaultWindowMenu() { return g_defaultMenu; }
void SHIM_SetDefaultWindowMenu(HMENU m) { g_defaultMenu = m; }
HMENU SHIM_GetDefaultModalWindowMenu() { return g_defaultModalMenu; }
void SHIM_SetDefaultModalWindowMenu(HMENU m) { g_defaultModalMenu = m; }
void SHIM_SetOwnedWindowLevelIncrease(bool on) { g_levelIncrease = on; }
bool SHIM_GetOwnedWindowLevelIncrease() { return g_levelIncrease; }
plat::Window* SHIM_GetLastKeyWindow() {
  return plat::Object::isLive(g_lastKeyWindow) ? g_lastKeyWindow : nullptr;
}

// --- the window view

Shim_vHarshbloom_hwnd::Shim_vHarshbloom_hwnd() : plat::View({0, 0, 300, 200}) {
  m_wndproc = ShimDialogDefaultWindowProc;
  setTag(0);
}

Shim_vHarshbloom_hwnd::~Shim_vHarshbloom_hwnd() {
  while (Prop* p = m_props) {
    m_props = p->next;
    if (!isAtom(p->key)) free(const_cast<char*>(p->key));
    delete p;
  }
}

void Shim_vHarshbloom_hwnd::willDealloc() {
  for (plat::Object*& o : m_access_cacheptrs) {
    if (o) o->release();
    o = nullptr;
  }
  KillTimer(handle(), (UINT_PTR)-1);
  onShimMessage(WM_DESTROY, 0, 0);
  if (SHIM_Internal_GetCapture() == handle()) ReleaseCapture();
  shimSetGLContext(nullptr);
  View::willDealloc();
}

Shim_vHarshbloom_hwnd* Shim_vHarshbloom_hwnd::initChild(SHIM_DialogResourceIndex* res,
                                                         plat::Object* parent, DLGPROC dlgproc,
                                                         LPARAM param) {
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  setFrame({0, 0, res ? double(res->width) : 300.0, res ? double(res->height) : 200.0});
  m_enabled = 1;
  m_isdirty = 3;
  m_allow_nomiddleman = true;
  m_wndproc = ShimDialogDefaultWindowProc;
  if (res) {
    m_isopaque = (res->windowTypeFlags & SHIM_DLGFLAG_OPAQUE) != 0;
    m_flip = (res->windowTypeFlags & SHIM_DLGFLAG_FLIPPED) != 0;
    m_supports_ddrop = (res->windowTypeFlags & SHIM_DLGFLAG_DROPS) != 0;
  } else {
    m_isopaque = true;
    m_flip = true;
    m_supports_ddrop = false;
  }
  setHidden(true);
  plat::Window* parentWindow = dynamic_cast<plat::Window*>(parent);
  if (parentWindow)
    parentWindow->setContentView(this);
  else if (plat::View* pv = dynamic_cast<plat::View*>(parent))
    pv->addSubview(this);

  if (res) {
    if (res->createFunc) res->createFunc(handle(), res->windowTypeFlags);
    m_dlgproc = dlgproc;
  } else {
    if (dlgproc) m_wndproc = (WNDPROC)dlgproc;
    m_wndproc(handle(), WM_CREATE, 0, param);
  }

  if (m_dlgproc && !shimHasBeenDestroyed()) {
    plat::View* first = nullptr;
    for (plat::View* sv : subviews()) {
      plat::View* c = sv;
      if (plat::ScrollView* s = dynamic_cast<plat::ScrollView*>(sv)) c = s->documentView();
      if (c && c->acceptsFirstResponder()) {
        first = c;
        break;
      }
    }
    INT_PTR r = m_dlgproc(handle(), WM_INITDIALOG, (WPARAM)SHIM_H(first), param);
    plat::View* target = first;
    if (r == SHIM_INITDIALOG_FOCUS_SELF) target = this;
    plat::Window* win = window();
    if (r != 0) {
      if (win) win->makeFirstResponder(target ? target : this);
      auto* mw = dynamic_cast<Shim_vHarshbloom_modelesswindow*>(parentWindow);
      if (mw && !mw->isVisible()) mw->setWantsInitialKeyOnShow(true);
    } else if (first && win && parentWindow == win &&
               (!win->firstResponder() || win->firstResponder() == this)) {
      win->makeFirstResponder(first);
    }
  }
  SHIM_DoDialogColorUpdates(handle(), m_dlgproc, false);
  return this;
}

LRESULT Shim_vHarshbloom_hwnd::onShimMessage(UINT msg, WPARAM wp, LPARAM lp) {
  uint8_t state = m_hashaddestroy;
  if (state == 2) return 0;
  if (state == 1 && (msg == WM_DESTROY || msg == WM_CAPTURECHANGED)) return 0;
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  if (state == 0 && msg == WM_DESTROY) return runDestroySequence();
  return m_wndproc ? m_wndproc(handle(), msg, wp, lp) : 0;
}

LRESULT Shim_vHarshbloom_hwnd::runDestroySequence() {
  m_hashaddestroy = 1;
  HWND self = handle();
  auto dropCaptureAndQueue = [&] {
    if (SHIM_Internal_GetCapture() == self) ReleaseCapture();
    SHIM_Internal_PMQ_ClearAllMessages(self);
  };
  dropCaptureAndQueue();
  LRESULT r = m_wndproc ? m_wndproc(self, WM_DESTROY, 0, 0) : 0;
  if (SHIM_IsContentView(this))
    if (auto* ow = dynamic_cast<Shim_vHarshbloom_ownerwindow*>(window())) ow->shimDestroyAllOwnedWindows();
  dropCaptureAndQueue();
  if (m_menu) {
    HMENU menu = m_menu;
    m_menu = nullptr;
    plat::Menu* m = asMenu(menu);
    if (m && plat::app().mainMenu() == m && !SHIM_IsTerminating()) plat::app().setMainMenu(nullptr);
    SHIM_SetMenuDestination(menu, nullptr);
    if (m) m->release();
  }
  std::vector<plat::Ref<plat::View>> subs(subviews().begin(), subviews().end());
  for (auto& sv : subs) SHIM_SendIfTarget(sv.get(), WM_DESTROY, 0, 0);
  KillTimer(self, (UINT_PTR)-1);
  m_hashaddestroy = 2;
  return r;
}

INT_PTR Shim_vHarshbloom_hwnd::getShimExtraData(int byteIndex) const {
  int slot = byteIndex / 8;
  return (byteIndex >= 0 && slot < 32) ? m_extradata[slot] : 0;
}

void Shim_vHarshbloom_hwnd::setShimExtraData(int byteIndex, INT_PTR v) {
  int slot = byteIndex / 8;
  if (byteIndex >= 0 && slot < 32) m_extradata[slot] = v;
}

void Shim_vHarshbloom_hwnd::shimSetMenu(HMENU menu) {
  if (menu == m_menu) return;
  HMENU old = m_menu;
  plat::Menu* nm = asMenu(menu);
  m_menu = nm ? menu : nullptr;
  if (nm) nm->retain();
  if (old) {
    SHIM_SetMenuDestination(old, nullptr);
    if (plat::Menu* om = asMenu(old)) om->release();
  }
  if (m_menu) SHIM_SetMenuDestination(m_menu, handle());
}

void Shim_vHarshbloom_hwnd::onShimSetText(const char* text) {
  if (!text) text = "";
  size_t n = strnlen(text, sizeof(m_titlestr) - 1);
  memcpy(m_titlestr, text, n);
  m_titlestr[n] = 0;
}

void Shim_vHarshbloom_hwnd::setEnabled(bool e) {
  m_enabled = e ? 1 : 0;
  setNeedsDisplay(true);
}

// --- properties

bool Shim_vHarshbloom_hwnd::sameKey(const char* a, const char* b) {
  if (isAtom(a) || isAtom(b)) return a == b;
  return strcmp(a, b) == 0;
}

int Shim_vHarshbloom_hwnd::shimSetProp(const char* key, HANDLE value) {
  for (Prop* p = m_props; p; p = p->next)
    if (sameKey(p->key, key)) {
      p->value = value;
      return 1;
    }
  const char* k = isAtom(key) ? key : strdup(key);
  m_props = new Prop{k, value, m_props};
  return 1;
}

HANDLE Shim_vHarshbloom_hwnd::shimGetProp(const char* key, bool wantRemove) {
  for (Prop** pp = &m_props; *pp; pp = &(*pp)->next) {
    Prop* p = *pp;
    if (!sameKey(p->key, key)) continue;
    HANDLE v = p->value;
    if (wantRemove) {
      *pp = p->next;
      if (!isAtom(p->key)) free(const_cast<char*>(p->key));
      delete p;
    }
    return v;
  }
  return nullptr;
}

int Shim_vHarshbloom_hwnd::shimEnumProps(PROPENUMPROCEX proc, LPARAM lp) {
  if (!m_props) return -1;
  for (Prop* p = m_props; p;) {
    Prop* next = p->next;  // the callback may remove the one it is given
    if (proc && !proc(handle(), p->key, p->value, (ULONG_PTR)lp)) return 0;
    p = next;
  }
  return 1;
}

// --- commands, timers, painting

void Shim_vHarshbloom_hwnd::onShimCommand(plat::Control* sender) {
  if (!sender || shimHasBeenDestroyed() || !m_wndproc) return;
  // Combo boxes report through their own notifications only.
  if (dynamic_cast<plat::ComboBox*>(sender)) return;
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  if (dynamic_cast<plat::Slider*>(sender)) {
    m_wndproc(handle(), WM_HSCROLL, 0, (LPARAM)SHIM_H(sender));
    return;
  }
  const plat::Event* e = plat::app().currentEvent();
  int hi = (dynamic_cast<plat::PopUpButton*>(sender) || (e && e->clickCount >= 2)) ? 1 : 0;
  m_wndproc(handle(), WM_COMMAND, MAKEWPARAM(sender->tag() & 0xFFFF, hi), (LPARAM)SHIM_H(sender));
}

void Shim_vHarshbloom_hwnd::SHIM_Timer(UINT_PTR id) {
  if (shimHasBeenDestroyed() || !m_wndproc) return;
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  m_wndproc(handle(), WM_TIMER, id, 0);
}

HDC Shim_vHarshbloom_hwnd::getShimPaintInfo(RECT* r) {
  if (!m_paintctx_hdc) {
    if (r) *r = RECT{0, 0, 0, 0};
    return nullptr;
  }
  m_paintctx_used = true;
  if (r) {
    RECT b = boundsRect(this);
    RECT p{int(floor(m_paintctx_rect[0])), int(floor(m_paintctx_rect[1])),
           int(ceil(m_paintctx_rect[0] + m_paintctx_rect[2])),
           int(ceil(m_paintctx_rect[1] + m_paintctx_rect[3]))};
    r->left = std::max(b.left, p.left);
    r->top = std::max(b.top, p.top);
    r->right = std::max(r->left, std::min(b.right, p.right));
    r->bottom = std::max(r->top, std::min(b.bottom, p.bottom));
  }
  return m_paintctx_hdc;
}

void Shim_vHarshbloom_hwnd::draw(plat::DrawContext& ctx, const plat::Rect& dirty) {
  if (shimHasBeenDestroyed() || !m_wndproc) return;
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  HWND self = handle();
  HDC hdc = SHIM_Internal_CreatePaintContext(&ctx, m_glctx);
  m_paintctx_hdc = hdc;
  // A view with GL draws with its context current; what it drew then covers
  // the view's place in the window.
  plat::Ref<plat::GLContext> gl(m_glctx);
  plat::Rect pixels = pixelRectInWindow();
  if (gl) gl->makeCurrent(int(pixels.w + 0.5), int(pixels.h + 0.5));
  m_paintctx_used = false;
  m_paintctx_rect[0] = dirty.x;
  m_paintctx_rect[1] = dirty.y;
  m_paintctx_rect[2] = dirty.w;
  m_paintctx_rect[3] = dirty.h;
  RECT wr = boundsRect(this);
  NCCALCSIZE_PARAMS calc;
  memset(&calc, 0, sizeof calc);
  calc.rgrc[0] = wr;
  m_wndproc(self, WM_NCCALCSIZE, 0, (LPARAM)&calc);
  if (!shimHasBeenDestroyed()) m_wndproc(self, WM_NCPAINT, 1, 0);
  RECT cr = calc.rgrc[0];
  plat::Rect client{double(cr.left), double(cr.top), double(cr.right - cr.left),
                    double(cr.bottom - cr.top)};
  plat::Rect paint = dirty.intersect(client);
  if (!shimHasBeenDestroyed() && paint.w >= 1 && paint.h >= 1) {
    bool clip = cr.left != wr.left || cr.top != wr.top || cr.right != wr.right ||
                cr.bottom != wr.bottom;
    ctx.save();
    if (clip) ctx.clipTo(client);
    m_wndproc(self, WM_PAINT, (WPARAM)hdc, 0);
    ctx.restore();
  }
  if (gl) {
    gl->composite(ctx, int(floor(pixels.x + 0.5)), int(floor(pixels.y + 0.5)));
    plat::GLContext::clearCurrent();
  }
  m_paintctx_hdc = nullptr;
  SHIM_Internal_ReleaseContext(hdc);
  m_isdirty = 0;
}

// --- platform hooks

void Shim_vHarshbloom_hwnd::setFrame(const plat::Rect& f) {
  View::setFrame(f);
  if (shimHasBeenDestroyed() || !m_wndproc) return;
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  m_wndproc(handle(), WM_SIZE, 0, 0);
  if (superview()) InvalidateRect(SHIM_H(superview()), nullptr, FALSE);
}

void Shim_vHarshbloom_hwnd::setHidden(bool hidden) {
  if (hidden == isHidden()) return;
  View::setHidden(hidden);
  if (shimHasBeenDestroyed() || !m_wndproc) return;
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  m_wndproc(handle(), WM_SHOWWINDOW, hidden ? 0 : 1, 0);
}

bool Shim_vHarshbloom_hwnd::becomeFirstResponder() {
  if (!shimHasBeenDestroyed() && m_wndproc) m_wndproc(handle(), WM_MOUSEACTIVATE, 0, 0);
  return true;
}

bool Shim_vHarshbloom_hwnd::acceptsFirstMouse(const plat::Event&) {
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  onShimMessage(WM_MOUSEACTIVATE, 0, 0);
  if (plat::View* sup = superview()) SHIM_SendIfTarget(sup, WM_MOUSEACTIVATE, 0, 0);
  return true;
}

void Shim_vHarshbloom_hwnd::mouseDown(const plat::Event& e) {
  if ((e.modifierFlags & plat::kModControl) && IsRightClickEmulateEnabled() && e.clickCount < 2) {
    m_isfakerightmouse = 1;
    rightMouseDown(e);
    return;
  }
  SHIM_FinishDragDrop();  // a new press ends any pending one-file drag
  if (m_enabled == 0) return;
  SHIM_SendMouseMessage(handle(), e.clickCount >= 2 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, e);
}

void Shim_vHarshbloom_hwnd::mouseUp(const plat::Event& e) {
  if (m_isfakerightmouse) {
    m_isfakerightmouse = 0;
    SHIM_SendMouseMessage(handle(), WM_RBUTTONUP, e);
    return;
  }
  if (m_enabled == 0) return;
  SHIM_SendMouseMessage(handle(), WM_LBUTTONUP, e);
}

void Shim_vHarshbloom_hwnd::mouseDragged(const plat::Event& e) {
  if (m_enabled == 0) return;
  SHIM_SendMouseMessage(handle(), WM_MOUSEMOVE, e);
  // A drag keeps the cursor the program last chose, whatever changed it
  // meanwhile.
  HCURSOR last = SHIM_GetLastSetCursor();
  if (last && SHIM_GetCursor() != last) SHIM_SetCursor(last);
}

void Shim_vHarshbloom_hwnd::rightMouseDown(const plat::Event& e) {
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  if (window() && !window()->isKeyWindow()) SetFocus(SHIM_H(window()));
  SHIM_SendMouseMessage(handle(), e.clickCount >= 2 ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN, e);
}

void Shim_vHarshbloom_hwnd::rightMouseUp(const plat::Event& e) {
  if (m_enabled == 0) return;
  SHIM_SendMouseMessage(handle(), WM_RBUTTONUP, e);
}

void Shim_vHarshbloom_hwnd::rightMouseDragged(const plat::Event& e) { mouseDragged(e); }

void Shim_vHarshbloom_hwnd::otherMouseDown(const plat::Event& e) {
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  if (window() && !window()->isKeyWindow()) SetFocus(SHIM_H(window()));
  SHIM_SendMouseMessage(handle(), e.clickCount >= 2 ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN, e);
}

void Shim_vHarshbloom_hwnd::otherMouseUp(const plat::Event& e) {
  if (m_enabled == 0) return;
  SHIM_SendMouseMessage(handle(), WM_MBUTTONUP, e);
}

void Shim_vHarshbloom_hwnd::otherMouseDragged(const plat::Event& e) { mouseDragged(e); }

void Shim_vHarshbloom_hwnd::mouseMoved(const plat::Event& e) {
  if (m_enabled == 0) return;
  HWND cap = SHIM_Internal_GetCapture();
  if (cap && cap != handle()) return;
  SHIM_SendMouseMessage(handle(), WM_MOUSEMOVE, e);
}

void Shim_vHarshbloom_hwnd::scrollWheel(const plat::Event& e) {
  if (m_enabled == 0) return;
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  if (e.deltaY != 0) SHIM_SendMouseMessage(handle(), WM_MOUSEWHEEL, e);
  if (e.deltaX != 0) SHIM_SendMouseMessage(handle(), WM_MOUSEHWHEEL, e);
}

namespace {
// Integer part of a gesture amount; amounts far past what the arguments can
// hold are held at a bound they saturate at anyway, NaN counts as 0.
int wholePart(double d) {
  if (!(d == d)) return 0;
  return int(std::max(-100000.0, std::min(100000.0, d)));
}
}  // namespace

void Shim_vHarshbloom_hwnd::gesture(const plat::Event& e) {
  if (shimHasBeenDestroyed() || !m_wndproc) return;
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  GESTUREINFO gi;
  memset(&gi, 0, sizeof gi);
  gi.cbSize = sizeof gi;
  gi.hwndTarget = handle();
  plat::Point at = e.screenLocation();
  WPARAM endParam = 0;
  uint64_t beginArg = 0, endArg = 0;
  plat::Point endAt = at;
  if (e.type == plat::EventType::Magnify) {
    gi.dwID = GID_ZOOM;
    int v = wholePart(1024.0 * e.deltaZ + 0.5);
    if (v == 0) v = e.deltaZ >= 0 ? 1 : -1;
    beginArg = 1024;
    endArg = uint64_t(std::min(2048, std::max(512, 1024 + v)));
    endParam = WPARAM(endArg);
  } else if (e.type == plat::EventType::Swipe) {
    // Screen y grows upwards: a swipe down the screen lowers it.
    gi.dwID = GID_PAN;
    const plat::Rect b = bounds();
    if (e.deltaX != 0)
      endAt.x += e.deltaX < 0 ? -b.w : b.w;
    else if (e.deltaY != 0)
      endAt.y += e.deltaY < 0 ? -b.h : b.h;
  } else if (e.type == plat::EventType::Rotate) {
    gi.dwID = GID_ROTATE;
    int r = wholePart(32767.0 * e.rotation / 60.0);
    if (r == 0) r = e.rotation >= 0 ? 1 : -1;
    endArg = r < -32767 ? 0 : uint64_t(std::min(r + 32767, 65535));
    endParam = WPARAM(endArg);
  } else {
    return;
  }
  auto send = [&](DWORD flags, plat::Point p, uint64_t arg, WPARAM wp) {
    gi.dwFlags = flags;
    gi.ptsLocation.x = short(int(floor(p.x)));
    gi.ptsLocation.y = short(int(ceil(p.y)));
    gi.ullArguments = arg;
    m_wndproc(handle(), WM_GESTURE, wp, (LPARAM)&gi);
  };
  send(GF_BEGIN, at, beginArg, 0);
  if (shimHasBeenDestroyed() || !m_wndproc) return;
  send(GF_END, endAt, endArg, endParam);
}

bool Shim_vHarshbloom_hwnd::sendKey(UINT msg, const plat::Event& e) {
  if (shimHasBeenDestroyed() || !m_wndproc) return false;
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  int flags = 0;
  int vk = g_SHIM_keyTranslate ? g_SHIM_keyTranslate(e, &flags) : e.keyCode;
  return m_wndproc(handle(), msg, (WPARAM)vk, (LPARAM)flags) != 69;
}

void Shim_vHarshbloom_hwnd::keyDown(const plat::Event& e) {
  if (!sendKey(WM_KEYDOWN, e)) View::keyDown(e);
}

void Shim_vHarshbloom_hwnd::keyUp(const plat::Event& e) {
  if (!sendKey(WM_KEYUP, e)) View::keyUp(e);
}

void Shim_vHarshbloom_hwnd::markDirtyUp(uint8_t bits, bool needsDisplay) {
  for (plat::View* v = this; v; v = v->superview()) {
    auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(v);
    if (!h) continue;
    if ((h->m_isdirty & bits) == bits) break;
    h->m_isdirty |= bits;
    if (needsDisplay) h->setNeedsDisplay(true);
  }
}

void Shim_vHarshbloom_hwnd::didAddSubview(plat::View*) { markDirtyUp(2, false); }
void Shim_vHarshbloom_hwnd::willRemoveSubview(plat::View*) { markDirtyUp(3, true); }

// --- mouse messages

LRESULT SHIM_SendMouseMessage(HWND view, UINT msg, const plat::Event& e) {
  Shim_vHarshbloom_hwnd* v = SHIM_Hwnd(view);
  if (!v) return SHIM_View(view) ? -1 : 0;
  plat::Ref<Shim_vHarshbloom_hwnd> hold(v);
  HWND cap = SHIM_Internal_GetCapture();
  if (cap && cap != view) {
    Shim_vHarshbloom_hwnd* c = SHIM_Hwnd(cap);
    if (c && c->window() == v->window()) {
      v = c;
      hold = c;
    }
  }
  if (v->shimHasBeenDestroyed() || !v->getShimWindowProc()) return -1;
  WNDPROC proc = v->getShimWindowProc();
  HWND h = v->handle();
  plat::Point local = shimProcessMouseEvent(int(msg), v, e);
  int cx = int(floor(local.x)), cy = int(floor(local.y));
  plat::Point sp = e.screenLocation();
  LPARAM screen = packPoint(int(floor(sp.x)), int(ceil(sp.y)));
  bool wheel = msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL;
  if (wheel) {
    double d = msg == WM_MOUSEWHEEL ? e.deltaY : e.deltaX;
    int64_t amount = int64_t(int(float(d) * 60.0f)) * 65536;
    return proc(h, msg, (WPARAM)amount, screen);
  }
  LRESULT r;
  bool captured = SHIM_Internal_GetCapture() != nullptr;
  LRESULT hit = captured ? HTCLIENT : proc(h, WM_NCHITTEST, 0, screen);
  if (v->shimHasBeenDestroyed()) return -1;
  if (hit != HTCLIENT && msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK)
    r = proc(h, msg - WM_MOUSEMOVE + WM_NCMOUSEMOVE, (WPARAM)hit, screen);
  else
    r = proc(h, msg, 0, packPoint(cx, cy));
  if (!SHIM_Internal_GetCapture() &&
      (msg == WM_MOUSEMOVE || msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP)) {
    LRESULT c = v->shimHasBeenDestroyed()
                    ? 0
                    : proc(h, WM_SETCURSOR, (WPARAM)h, HTCLIENT | ((LPARAM)msg << 16));
    if (c == 0 && plat::app().cursor() != plat::Cursor::Arrow)
      plat::app().setCursor(plat::Cursor::Arrow);
  }
  return r;
}

// --- the dialog view's window procedure

LRESULT ShimDialogDefaultWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DLGPROC dlg = (DLGPROC)GetWindowLong(hwnd, DWL_DLGPROC);
  if (!dlg) return DefWindowProc(hwnd, msg, wp, lp);
  if (msg == WM_PAINT && dlg(hwnd, WM_ERASEBKGND, 0, 0) == 0) {
    Shim_vHarshbloom_hwnd* v = SHIM_Hwnd(hwnd);
    // Direct child rendering is never in force here, so opaque means the flag.
    bool opaque = v && v->isOpaque();
    if (v && (SHIM_IsContentView(v) || opaque)) {
      RECT r;
      HDC hdc = v->getShimPaintInfo(&r);
      if (hdc && r.right > r.left && r.bottom > r.top) {
        INT_PTR brush = dlg(hwnd, WM_CTLCOLORDLG, (WPARAM)hdc, (LPARAM)hwnd);
        if (brush != 0 && brush != 1)
          SHIM_Internal_FillWithBrush(hdc, r, (HBRUSH)brush);
        else if (opaque)
          SHIM_Internal_FillWithSysColor(hdc, r, 3);
      }
    }
  }
  INT_PTR r = dlg(hwnd, msg, wp, lp);
  if (r) return r;
  return DefWindowProc(hwnd, msg, wp, lp);
}

void SHIM_DoDialogColorUpdates(HWND hwnd, DLGPROC dlgproc, bool isUpdate) {
  plat::View* v = SHIM_View(hwnd);
  if (!v || !dlgproc || v->subviews().empty()) return;
  struct Pass {
    bool asked = false, set = false;
    COLORREF color = 0;
  } btn, stat;
  auto ask = [&](Pass& p, UINT msg, plat::View* ctl) {
    if (p.asked) return;
    p.asked = true;
    HDC hdc = SHIM_Internal_CreateScratchContext();
    dlgproc(hwnd, msg, (WPARAM)hdc, (LPARAM)SHIM_H(ctl));
    p.set = SHIM_Internal_GetTextColorIfSet(hdc, &p.color);
    SHIM_Internal_ReleaseContext(hdc);
  };
  std::vector<plat::Ref<plat::View>> subs(v->subviews().begin(), v->subviews().end());
  for (auto& sv : subs) {
    plat::View* c = sv.get();
    Pass* p = nullptr;
    auto* b = dynamic_cast<plat::Button*>(c);
    auto* tf = dynamic_cast<plat::TextField*>(c);
    auto* box = dynamic_cast<plat::Box*>(c);
    auto* sb = dynamic_cast<Shim_vHarshbloom_button*>(c);
    if (b && (b->image() || (sb && sb->getShimGDIImage()))) {
      ask(btn, WM_CTLCOLORBTN, c);
      p = &btn;
    } else if ((tf && !tf->isEditable()) || box) {
      ask(stat, WM_CTLCOLORSTATIC, c);
      p = &stat;
    }
    if (!p || (!p->set && !isUpdate)) continue;
    uint32_t argb = p->set ? (0xFF000000u | (p->color & 0xFFFFFF)) : 0xFF000000u;
    if (box)
      box->setTitleColor(argb);
    else if (auto* ctl = dynamic_cast<plat::Control*>(c))
      ctl->setTextColor(argb);
  }
}

// --- top-level windows

Shim_vHarshbloom_ownerwindow::Shim_vHarshbloom_ownerwindow(const plat::Rect& r, unsigned style)
    : plat::Window(r, style) {
  setAcceptsMouseMovedEvents(true);
  lastFrameSize = {r.w, r.h};
}

Shim_vHarshbloom_ownerwindow::~Shim_vHarshbloom_ownerwindow() {
  while (SHIM_OwnedWindow* o = m_ownedwnds) {
    m_ownedwnds = o->next;
    delete o;
  }
}

void Shim_vHarshbloom_ownerwindow::willDealloc() {
  shimDoDestroyStuff();
  Window::willDealloc();
}

HMENU Shim_vHarshbloom_ownerwindow::shimDefaultMenu() const { return g_defaultMenu; }
HMENU Shim_vHarshbloom_dialogbox::shimDefaultMenu() const {
  return g_defaultModalMenu ? g_defaultModalMenu : g_defaultMenu;
}

namespace {
int raiseOf(plat::Window* w) {
  auto* mw = dynamic_cast<Shim_vHarshbloom_modelesswindow*>(w);
  return mw ? mw->shimWantRaiseAmt() : 0;
}
}  // namespace

void Shim_vHarshbloom_ownerwindow::shimAddOwnedWindow(plat::Window* w) {
  if (!w) return;
  for (SHIM_OwnedWindow* o = m_ownedwnds; o; o = o->next)
    if (o->window == w) return;
  m_ownedwnds = new SHIM_OwnedWindow{w, m_ownedwnds};
  if (auto* ow = dynamic_cast<Shim_vHarshbloom_ownerwindow*>(w)) ow->shimSetOwner(this);
  if (g_levelIncrease && plat::app().isActive()) w->setLevel(level() + 1 + raiseOf(w));
}

void Shim_vHarshbloom_ownerwindow::shimRemoveOwnedWindow(plat::Window* w) {
  for (SHIM_OwnedWindow** pp = &m_ownedwnds; *pp; pp = &(*pp)->next) {
    if ((*pp)->window != w) continue;
    SHIM_OwnedWindow* o = *pp;
    *pp = o->next;
    delete o;
    return;
  }
}

void Shim_vHarshbloom_ownerwindow::shimDestroyAllOwnedWindows() {
  SHIM_OwnedWindow* list = m_ownedwnds;
  m_ownedwnds = nullptr;
  while (list) {
    SHIM_OwnedWindow* o = list;
    list = o->next;
    if (plat::Object::isLive(o->window)) {
      if (auto* ow = dynamic_cast<Shim_vHarshbloom_ownerwindow*>(o->window)) ow->shimSetOwner(nullptr);
      DestroyWindow(SHIM_H(o->window));
    }
    delete o;
  }
}

void Shim_vHarshbloom_ownerwindow::shimResetOwnedWindowLevels() {
  bool active = plat::app().isActive();
  for (SHIM_OwnedWindow* o = m_ownedwnds; o; o = o->next) {
    if (!plat::Object::isLive(o->window)) continue;
    o->window->setLevel(active ? level() + 1 + raiseOf(o->window) : level());
    if (auto* ow = dynamic_cast<Shim_vHarshbloom_ownerwindow*>(o->window)) ow->shimResetOwnedWindowLevels();
  }
}

void Shim_vHarshbloom_ownerwindow::shimDoDestroyStuff() {
  if (g_lastKeyWindow == this) g_lastKeyWindow = nullptr;
  bool wasKey = isKeyWindow();
  shimDestroyAllOwnedWindows();
  plat::Window* owner = plat::Object::isLive(m_owner) ? m_owner : nullptr;
  m_owner = nullptr;
  if (auto* ow = dynamic_cast<Shim_vHarshbloom_ownerwindow*>(owner)) ow->shimRemoveOwnedWindow(this);
  if (wasKey && owner && !owner->isClosed()) owner->makeKeyWindow();
}

bool Shim_vHarshbloom_ownerwindow::canBecomeKeyWindow() {
  return m_enabled && !SHIM_IsTerminating();
}

namespace {
HWND contentHandle(plat::Window* w) { return w->contentView() ? SHIM_H(w->contentView()) : nullptr; }
}  // namespace

void Shim_vHarshbloom_ownerwindow::windowDidResize() {
  plat::Size s{double(int(frame().w)), double(int(frame().h))};
  if (s.w == double(int(lastFrameSize.w)) && s.h == double(int(lastFrameSize.h))) return;
  lastFrameSize = {frame().w, frame().h};
  plat::Ref<plat::Window> hold(this);
  HWND c = contentHandle(this);
  SendMessage(c, WM_SIZE, 0, 0);
  if (contentView() && contentView()->isOpaque()) InvalidateRect(c, nullptr, FALSE);
}

void Shim_vHarshbloom_ownerwindow::windowDidMove() {
  SendMessage(contentHandle(this), WM_MOVE, 0,
              packPoint(int(frame().x), int(frame().y)));
}

void Shim_vHarshbloom_ownerwindow::windowDidBecomeKey() {
  if (SHIM_IsTerminating()) return;
  Shim_vHarshbloom_hwnd* content = dynamic_cast<Shim_vHarshbloom_hwnd*>(contentView());
  if (content && content->shimHasBeenDestroyed()) return;
  plat::Ref<plat::Window> hold(this);
  HWND prev = nullptr;
  if (plat::Window* last = SHIM_GetLastKeyWindow())
    if (last != this && last->contentView()) {
      auto* lc = dynamic_cast<Shim_vHarshbloom_hwnd*>(last->contentView());
      if (!lc || !lc->shimHasBeenDestroyed()) prev = SHIM_H(last->contentView());
    }
  HWND c = contentHandle(this);
  SendMessage(c, WM_ACTIVATE, 1, (LPARAM)prev);
  SendMessage(c, WM_MOUSEACTIVATE, 0, 0);
  HMENU menu = content ? content->shimGetMenu() : nullptr;
  if (!menu) menu = shimDefaultMenu();
  plat::Menu* m = asMenu(menu);
  if (m && plat::app().mainMenu() != m && !SHIM_IsTerminating()) plat::app().setMainMenu(m);
}

void Shim_vHarshbloom_ownerwindow::windowDidResignKey() {
  g_lastKeyWindow = this;
  if (SHIM_IsTerminating()) return;
  SendMessage(contentHandle(this), WM_ACTIVATE, 0, 0);
}

bool Shim_vHarshbloom_ownerwindow::windowShouldClose() {
  plat::Ref<plat::Window> hold(this);
  HWND c = contentHandle(this);
  if (SendMessage(c, WM_CLOSE, 0, 0) == 0) SendMessage(c, WM_COMMAND, IDCANCEL, 0);
  return false;
}

plat::Size Shim_vHarshbloom_ownerwindow::effectiveMinSize() {
  MINMAXINFO mmi;
  memset(&mmi, 0, sizeof mmi);
  mmi.ptMinTrackSize = POINT{int(minSize().w), int(minSize().h)};
  SendMessage(contentHandle(this), WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
  return {double(mmi.ptMinTrackSize.x), double(mmi.ptMinTrackSize.y)};
}

plat::Size Shim_vHarshbloom_ownerwindow::effectiveMaxSize() {
  auto clampDim = [](double v) { return int(std::min(std::max(v, 1.0), 1000000.0)); };
  plat::Size own = maxSize();
  MINMAXINFO mmi;
  memset(&mmi, 0, sizeof mmi);
  mmi.ptMaxTrackSize = POINT{clampDim(own.w), clampDim(own.h)};
  SendMessage(contentHandle(this), WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
  return {mmi.ptMaxTrackSize.x > 999999 ? own.w : double(mmi.ptMaxTrackSize.x),
          mmi.ptMaxTrackSize.y > 999999 ? own.h : double(mmi.ptMaxTrackSize.y)};
}

// --- dialogs

namespace {

SHIM_DialogResourceIndex* findResource(SHIM_DialogResourceIndex* head, const char* resid) {
  for (SHIM_DialogResourceIndex* r = head; r; r = r->next)
    if (r->resid == resid) return r;
  return nullptr;
}

// The window that adopts a new top-level dialog: the parent when it can own
// windows, else the window of a parent view when that can.
Shim_vHarshbloom_ownerwindow* adoptingOwner(plat::Object* parent) {
  if (auto* ow = dynamic_cast<Shim_vHarshbloom_ownerwindow*>(parent)) return ow;
  if (auto* v = dynamic_cast<plat::View*>(parent))
    return dynamic_cast<Shim_vHarshbloom_ownerwindow*>(v->window());
  return nullptr;
}

HWND makeModeless(SHIM_DialogResourceIndex* res, plat::Object* parent, DLGPROC proc, LPARAM param,
                  unsigned forced) {
  unsigned style = forced;
  double w = 10, h = 10;
  if (res) {
    style |= plat::kStyleTitled | plat::kStyleClosable | plat::kStyleMiniaturizable;
    if (res->windowTypeFlags & SHIM_DLGFLAG_RESIZABLE) style |= plat::kStyleResizable;
    w = res->width;
    h = res->height;
  }
  Shim_vHarshbloom_ownerwindow* owner = adoptingOwner(parent);
  RECT place;
  if (owner)
    GetWindowRect(SHIM_H(owner), &place);
  else
    SHIM_GetViewPort(&place, nullptr, false);
  double x = place.left + 50;
  double y = res ? place.bottom - 100 - h : place.bottom - 110;
  auto* win = new Shim_vHarshbloom_modelesswindow({x, y, w, h}, style);
  plat::Ref<plat::Window> hold(win);
  if (res && res->title) win->setTitle(res->title);
  if (owner) owner->shimAddOwnedWindow(win);
  auto* view = new Shim_vHarshbloom_hwnd();
  view->initChild(res, win, proc, param);
  view->shimSetCreateWindowFlags(int(style));
  HWND result = view->handle();
  view->release();  // the window holds it
  if (!win->isClosed()) win->display();
  return result;
}

}  // namespace

HWND SHIM_CreateDialog(SHIM_DialogResourceIndex* head, const char* resid, HWND parent,
                       DLGPROC proc, LPARAM param) {
  INT_PTR rid = (INT_PTR)resid;
  unsigned forced = 0;
  int f = 0;
  bool noResource = (rid & ~INT_PTR(15)) == 0x400000;
  if (noResource) {
    f = int(rid & 15);
    rid = 0;
    if (f) {
      forced = plat::kStyleTitled;
      if (f & 1) forced |= plat::kStyleResizable;
      if (!(f & 2)) forced |= plat::kStyleMiniaturizable;
      if (!(f & 4)) forced |= plat::kStyleClosable;
    }
  }
  SHIM_DialogResourceIndex* res = findResource(head, (const char*)rid);
  if (rid != 0 && !res) return nullptr;
  plat::Object* parentObj = SHIM_Obj(parent);
  plat::View* parentView = dynamic_cast<plat::View*>(parentObj);
  if (auto* pw = dynamic_cast<plat::Window*>(parentObj)) parentView = pw->contentView();
  bool child = res ? (parentView && (res->windowTypeFlags & SHIM_DLGFLAG_CHILD))
                   : (parentView && f == 0);
  if (!child) return makeModeless(res, parentObj, proc, param, forced);
  auto* view = new Shim_vHarshbloom_hwnd();
  view->initChild(res, parentView, proc, param);
  view->shimSetCreateWindowFlags(15);
  HWND result = view->handle();
  view->release();  // the parent holds it
  return result;
}

INT_PTR SHIM_DialogBox(SHIM_DialogResourceIndex* head, const char* resid, HWND parent,
                       DLGPROC proc, LPARAM param) {
  SHIM_DialogResourceIndex* res = findResource(head, resid);
  if (!res || (res->windowTypeFlags & SHIM_DLGFLAG_CHILD)) return -1;
  unsigned style = plat::kStyleTitled | plat::kStyleClosable;
  if (res->windowTypeFlags & SHIM_DLGFLAG_RESIZABLE) style |= plat::kStyleResizable;
  auto* panel = new Shim_vHarshbloom_dialogbox({0, 0, double(res->width), double(res->height)}, style);
  plat::Ref<Shim_vHarshbloom_dialogbox> hold(panel);
  if (auto* owner = adoptingOwner(SHIM_Obj(parent))) owner->shimAddOwnedWindow(panel);
  if (res->title) panel->setTitle(res->title);
  // Centred on the screen it will show on.
  RECT vp;
  SHIM_GetViewPort(&vp, nullptr, false);
  panel->setFrameOrigin({vp.left + (vp.right - vp.left - res->width) / 2.0,
                         vp.top + (vp.bottom - vp.top - res->height) / 2.0});
  auto* view = new Shim_vHarshbloom_hwnd();
  view->initChild(res, panel, proc, param);
  view->shimSetCreateWindowFlags(int(style));
  HWND content = view->handle();
  view->release();
  view->setHidden(false);
  panel->setHidesOnDeactivate(false);
  panel->display();
  if (panel->shimHasModalRetVal()) {
    SendMessage(content, WM_DESTROY, 0, 0);
    panel->close();
    return panel->shimGetModalRetVal();
  }
  plat::app().runModalForWindow(panel);
  if (!panel->isClosed()) {
    SendMessage(content, WM_DESTROY, 0, 0);
    panel->close();
  }
  return panel->shimGetModalRetVal();
}

void EndDialog(HWND hwnd, INT_PTR result) {
  plat::Window* w = SHIM_WindowOf(hwnd);
  if (!w) return;
  plat::Ref<plat::Window> hold(w);
  if (auto* db = dynamic_cast<Shim_vHarshbloom_dialogbox*>(w)) db->shimSetModalRetVal(result);
  if (plat::app().modalWindow() != w) return;
  if (w->contentView()) SendMessage(SHIM_H(w->contentView()), WM_DESTROY, 0, 0);
  const plat::Event* e = plat::app().currentEvent();
  if (e && e->window.get() == w) plat::app().stopModal();
  plat::app().abortModal();
  w->close();
}

plat::Window* SHIM_CreateModelessFrameForWindow(HWND child, HWND owner, unsigned styleMask) {
  plat::View* v = SHIM_View(child);
  if (!v) return nullptr;
  plat::Ref<plat::View> hold(v);
  Shim_vHarshbloom_ownerwindow* ow = adoptingOwner(SHIM_Obj(owner));
  RECT place;
  if (ow)
    GetWindowRect(SHIM_H(ow), &place);
  else
    SHIM_GetViewPort(&place, nullptr, false);
  plat::Rect b = v->bounds();
  auto* win = new Shim_vHarshbloom_modelesswindow(
      {place.left + 50.0, place.bottom - 100 - b.h, b.w, b.h}, styleMask);
  if (v->superview()) v->removeFromSuperview();
  win->setContentView(v);
  if (ow) ow->shimAddOwnedWindow(win);
  return win;
}
