// The default window procedure, the paint bracket, dropped files, the
// clipboard and the desktop services window procedures use.

#include "shim-defproc.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/pasteboard.h"
#include "platform/window.h"
#include "platform/workspace.h"
#include "shim-controls.h"
#include "shim-dlg.h"
#include "shim-kernel.h"
#include "shim-wnd.h"

using plat::Ref;
using plat::View;
using plat::Window;

namespace {
LPARAM packPoint(int x, int y) { return (LPARAM)(DWORD)(((DWORD)(WORD)y << 16) | (WORD)x); }
// A dropped-file record: {name-list offset, x, y, non-client flag}, then the
// names.
constexpr size_t kDropHeader = 16;
}  // namespace

// --- the default window procedure

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CONTEXTMENU:
    case WM_GESTURE:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      // Up to the first enclosing view that takes messages, not past the
      // window's content view.
      View* v = SHIM_View(hwnd);
      while (v && !SHIM_IsContentView(v)) {
        v = v->superview();
        if (dynamic_cast<SHIM_MessageTarget*>(v)) return SendMessage(SHIM_H(v), msg, wp, lp);
      }
      return 0;
    }
    case WM_NCHITTEST: {
      RECT r;
      if (!GetWindowRect(hwnd, &r)) return 0;
      int y = GET_Y_LPARAM(lp), x = GET_X_LPARAM(lp);
      if (r.top > r.bottom) {
        std::swap(r.top, r.bottom);
        y = r.top + r.bottom - y;
      }
      NCCALCSIZE_PARAMS p;
      memset(&p, 0, sizeof p);
      p.rgrc[0] = r;
      SendMessage(hwnd, WM_NCCALCSIZE, 0, (LPARAM)&p);
      const RECT& c = p.rgrc[0];
      bool inside = c.left <= x && x < c.right && std::min(c.top, c.bottom) <= y && y < std::max(c.top, c.bottom);
      return inside ? HTCLIENT : HTNOWHERE;
    }
    case WM_NCRBUTTONUP:
    case WM_RBUTTONUP: {
      POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      HWND target = hwnd;
      if (msg == WM_RBUTTONUP) {
        ClientToScreen(hwnd, &pt);
        HWND under = WindowFromPoint(pt);
        View* uv = SHIM_View(under);
        plat::Object* self = SHIM_Obj(hwnd);
        bool inside = false;
        if (Window* w = dynamic_cast<Window*>(self)) inside = uv && uv->window() == w;
        else if (View* sv = dynamic_cast<View*>(self)) inside = uv && uv->isDescendantOf(sv);
        if (inside) target = under;
      }
      SendMessage(hwnd, WM_CONTEXTMENU, (WPARAM)target, packPoint(pt.x, pt.y));
      return 1;
    }
    case WM_KEYDOWN:
    case WM_KEYUP: return 69;  // not used: the key goes on to the system
    case WM_DISPLAYCHANGE: {
      View* v = SHIM_View(hwnd);
      if (!v) return 0;
      Ref<View> hold(v);
      std::vector<Ref<View>> subs(v->subviews().begin(), v->subviews().end());
      for (auto& s : subs)
        if (dynamic_cast<SHIM_MessageTarget*>(s.get())) SendMessage(SHIM_H(s.get()), msg, wp, lp);
      if (auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(v)) {
        DLGPROC proc = h->getShimDialogProc();
        if (!proc) proc = (DLGPROC)h->getShimExtraData(-8);
        if (!v->subviews().empty() && proc) SHIM_DoDialogColorUpdates(hwnd, proc, true);
      }
      return 0;
    }
    default: return 0;
  }
}

void SHIM_BroadcastMessage(UINT msg, WPARAM wp, LPARAM lp) {
  std::vector<Ref<Window>> wins(plat::app().windows().begin(), plat::app().windows().end());
  for (auto& w : wins) {
    View* c = w->contentView();
    if (!dynamic_cast<SHIM_MessageTarget*>(c)) continue;
    SendMessage(SHIM_H(c), msg, wp, lp);
    if (msg == WM_DISPLAYCHANGE && w->contentView()) InvalidateRect(SHIM_H(w->contentView()), nullptr, FALSE);
  }
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  if (!ps) return nullptr;
  memset(ps, 0, sizeof *ps);
  Shim_vHarshbloom_hwnd* h = SHIM_Hwnd(hwnd);
  if (!h) return nullptr;
  ps->hdc = h->getShimPaintInfo(&ps->rcPaint);
  return ps->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }

// --- dropped files

HDROP SHIM_Internal_MakeDropBlock(const char* const* names, int count, POINT pt, bool nonClient) {
  size_t total = kDropHeader + 1;
  for (int i = 0; i < count; ++i) total += strlen(names[i]) + 1;
  if (total > 0x7FFFFFF0u) return nullptr;
  uint8_t* b = static_cast<uint8_t*>(GlobalAlloc(0, int(total)));
  if (!b) return nullptr;
  int32_t head[4] = {int32_t(kDropHeader), pt.x, pt.y, nonClient ? 1 : 0};
  memcpy(b, head, sizeof head);
  size_t at = kDropHeader;
  for (int i = 0; i < count; ++i) {
    size_t n = strlen(names[i]) + 1;
    memcpy(b + at, names[i], n);
    at += n;
  }
  b[at] = 0;
  return b;
}

namespace {
// The names of a drop block, read no further than the block goes.
std::vector<std::string> dropNames(HDROP h) {
  std::vector<std::string> out;
  const uint8_t* b = static_cast<const uint8_t*>(h);
  size_t size = GlobalSize(h);
  uint32_t off;
  if (size < kDropHeader) return out;
  memcpy(&off, b, 4);
  size_t at = off;
  while (at < size && b[at]) {
    const void* end = memchr(b + at, 0, size - at);
    if (!end) break;
    size_t n = size_t(static_cast<const uint8_t*>(end) - (b + at));
    out.emplace_back(reinterpret_cast<const char*>(b + at), n);
    at += n + 1;
  }
  return out;
}
}  // namespace

UINT DragQueryPoint(HDROP h, POINT* p) {
  if (!h || GlobalSize(h) < kDropHeader) return 0;
  int32_t v[4];
  memcpy(v, h, sizeof v);
  if (p) *p = POINT{v[1], v[2]};
  return v[3] == 0 ? 1 : 0;
}

UINT DragQueryFile(HDROP h, UINT idx, char* buf, UINT size) {
  if (!h) return 0;
  std::vector<std::string> names = dropNames(h);
  if (idx == 0xFFFFFFFFu) return UINT(names.size());
  if (idx >= names.size()) return 0;
  const std::string& n = names[idx];
  // No buffer, or one with no room: nothing is written and the length tells
  // the caller what to make room for.
  if (!buf || size < 1) return UINT(n.size());
  size_t k = std::min(n.size(), size_t(size) - 1);
  memcpy(buf, n.data(), k);
  buf[k] = 0;
  return UINT(k);
}

void DragFinish(HDROP) {}

// --- the clipboard

namespace {

const char* const kTextFormat = "SHIM__CF_TEXT";
const char* const kPrivateBoard = "SHIM_APP";

struct Pending {
  UINT fmt;
  HANDLE mem;
};

struct Clipboard {
  std::vector<std::string> formats;  // number = position + 1
  std::vector<UINT> present;
  std::vector<Pending> pending;
  std::vector<HANDLE> handedOut;
} g_clip;

void dropPending() {
  for (Pending& p : g_clip.pending) GlobalFree(p.mem);
  g_clip.pending.clear();
}

std::string typeOf(UINT fmt) {
  if (fmt == 0 || fmt > g_clip.formats.size()) return {};
  const std::string& n = g_clip.formats[fmt - 1];
  return n == kTextFormat ? plat::Pasteboard::kTextType : n;
}

UINT formatOfType(const std::string& type) {
  for (size_t i = 0; i < g_clip.formats.size(); ++i)
    if (typeOf(UINT(i + 1)) == type) return UINT(i + 1);
  return 0;
}

}  // namespace

UINT RegisterClipboardFormat(const char* name) {
  if (!name) return 0;
  for (size_t i = 0; i < g_clip.formats.size(); ++i)
    if (g_clip.formats[i] == name) return UINT(i + 1);
  g_clip.formats.push_back(name);
  return UINT(g_clip.formats.size());
}

BOOL OpenClipboard(HWND) {
  dropPending();
  RegisterClipboardFormat(kTextFormat);
  g_clip.present.clear();
  // Text lives on the desktop's clipboard, the other formats on this
  // program's own board: both say what is there.
  std::vector<std::string> types = plat::Pasteboard::general().types();
  for (const std::string& t : plat::Pasteboard::named(kPrivateBoard).types()) types.push_back(t);
  for (const std::string& t : types) {
    UINT f = formatOfType(t);
    if (f && std::find(g_clip.present.begin(), g_clip.present.end(), f) == g_clip.present.end())
      g_clip.present.push_back(f);
  }
  return TRUE;
}

UINT EnumClipboardFormats(UINT fmt) {
  if (g_clip.present.empty()) return 0;
  if (fmt == 0) return g_clip.present.front();
  auto it = std::find(g_clip.present.begin(), g_clip.present.end(), fmt);
  if (it == g_clip.present.end() || it + 1 == g_clip.present.end()) return 0;
  return *(it + 1);
}

HANDLE GetClipboardData(UINT fmt) {
  std::string type = typeOf(fmt);
  if (type.empty()) return nullptr;
  std::string bytes;
  bool text = type == plat::Pasteboard::kTextType;
  bool found = text ? plat::Pasteboard::general().data(type, &bytes)
                    : plat::Pasteboard::named(kPrivateBoard).data(type, &bytes);
  if (!found) return nullptr;
  if (text) bytes = std::string(bytes.c_str());  // up to its first NUL
  if (bytes.size() > 0x7FFFFFF0u) return nullptr;
  HANDLE h = GlobalAlloc(0, int(bytes.size() + (text ? 1 : 0)));
  if (!h) return nullptr;
  memcpy(h, bytes.data(), bytes.size());
  if (text) static_cast<char*>(h)[bytes.size()] = 0;
  g_clip.handedOut.push_back(h);
  return h;
}

BOOL EmptyClipboard() {
  dropPending();
  return TRUE;
}

HANDLE SetClipboardData(UINT fmt, HANDLE mem) {
  if (!mem) return nullptr;
  g_clip.pending.push_back({fmt, mem});
  return mem;
}

BOOL CloseClipboard() {
  for (HANDLE h : g_clip.handedOut) GlobalFree(h);
  g_clip.handedOut.clear();
  if (!g_clip.pending.empty()) {
    // Text goes to the desktop's clipboard, everything else to this
    // program's board, so that each can be read back from where it went.
    std::vector<std::string> textTypes, otherTypes;
    for (const Pending& p : g_clip.pending) {
      std::string t = typeOf(p.fmt);
      if (t.empty()) continue;
      (t == plat::Pasteboard::kTextType ? textTypes : otherTypes).push_back(t);
    }
    if (!textTypes.empty()) plat::Pasteboard::general().declareTypes(textTypes);
    if (!otherTypes.empty()) plat::Pasteboard::named(kPrivateBoard).declareTypes(otherTypes);
    for (const Pending& p : g_clip.pending) {
      std::string t = typeOf(p.fmt);
      if (t.empty()) continue;
      size_t n = GlobalSize(p.mem);
      const char* bytes = static_cast<const char*>(p.mem);
      if (t == plat::Pasteboard::kTextType)
        plat::Pasteboard::general().setString(t, std::string(bytes, strnlen(bytes, n)));
      else
        plat::Pasteboard::named(kPrivateBoard).setData(t, std::string(bytes, n));
    }
  }
  dropPending();
  return TRUE;
}

void SHIM_Internal_ResetClipboard() {
  dropPending();
  for (HANDLE h : g_clip.handedOut) GlobalFree(h);
  g_clip = Clipboard();
}

// --- metrics, scrolling, finding

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
      std::vector<plat::Screen> s = plat::app().screens();
      if (s.empty()) return 1024;
      return int(index == SM_CXSCREEN ? s[0].frame.w : s[0].frame.h);
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL: return 16;
    default: return 0;
  }
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT*, const RECT*) {
  View* v = SHIM_ViewOrContent(hwnd);
  if (!v || (dx == 0 && dy == 0)) return FALSE;
  Ref<View> hold(v);
  std::vector<Ref<View>> subs(v->subviews().begin(), v->subviews().end());
  for (auto& s : subs) {
    plat::Rect f = s->frame();
    s->setFrameOrigin({f.x + dx, f.y + dy});
  }
  v->setNeedsDisplay(true);
  return TRUE;
}

HWND FindWindowEx(HWND parent, HWND after, const char* classname, const char* title) {
  if (parent) {
    View* p = SHIM_ViewOrContent(parent);
    if (!p || p->subviews().empty()) return nullptr;
    HWND cur = after ? GetWindow(after, GW_HWNDNEXT) : SHIM_H(p->subviews().front());
    bool wantStatic = classname && strcasecmp(classname, "Static") == 0;
    for (; cur; cur = GetWindow(cur, GW_HWNDNEXT)) {
      if (title) {
        char buf[512];
        if (!GetDlgItemText(cur, 0, buf, sizeof buf) || strcmp(buf, title) != 0) continue;
      }
      if (wantStatic && !SHIM_As<plat::TextField>(cur)) continue;
      return cur;
    }
    return nullptr;
  }
  if (!title) return nullptr;
  const std::vector<Window*>& wins = plat::app().windows();
  size_t start = 0;
  if (after) {
    Window* aw = SHIM_WindowOf(after);
    for (size_t i = 0; i < wins.size(); ++i)
      if (wins[i] == aw) start = i + 1;
  }
  for (size_t i = start; i < wins.size(); ++i)
    if (wins[i]->title() == title && wins[i]->contentView()) return SHIM_H(wins[i]->contentView());
  return nullptr;
}

// --- the desktop

namespace {
bool startsWithNoCase(const std::string& s, const char* prefix) {
  return strncasecmp(s.c_str(), prefix, strlen(prefix)) == 0;
}
bool endsWithNoCase(const std::string& s, const char* suffix) {
  size_t n = strlen(suffix);
  return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, suffix) == 0;
}
}  // namespace

BOOL ShellExecute(HWND, const char*, const char* file, const char* parms, const char*, int) {
  std::string f = file ? file : "", p = parms ? parms : "";
  if (startsWithNoCase(f, "http://") || startsWithNoCase(f, "https://")) return plat::openURL(f) ? 1 : 0;
  std::string app = f;
  bool textEditor = false;
  if (strcasecmp(f.c_str(), "explorer.exe") == 0) app.clear();
  else if (strcasecmp(f.c_str(), "notepad.exe") == 0 || strcasecmp(f.c_str(), "notepad") == 0) {
    app.clear();
    textEditor = true;
  }
  if (strcasecmp(p.c_str(), "explorer.exe") == 0) p.clear();
  // The text editor is whatever the desktop opens text documents with.
  if (textEditor && !p.empty()) return plat::openDocument(p) ? 1 : 0;
  if (!app.empty() && !p.empty()) return plat::openDocumentWithApplication(p, app) ? 1 : 0;
  std::string target = !app.empty() ? app : p;
  if (target.empty()) return 0;
  if (startsWithNoCase(target, "/select,\"")) {
    std::string path = target.substr(9);
    if (!path.empty() && path.back() == '"') path.pop_back();
    return plat::revealInFileManager(path) ? 1 : 0;
  }
  if (target.size() >= 5 && endsWithNoCase(target, ".app")) return plat::launchApplication(target) ? 1 : 0;
  return plat::openDocument(target) ? 1 : 0;
}

void SHIM_DrawFocusRect(HWND hwnd, const RECT* r, void** handle) {
  if (!handle) return;
  Window* overlay = plat::Object::isLive(*handle) ? dynamic_cast<Window*>(static_cast<plat::Object*>(*handle)) : nullptr;
  if (!r) {
    if (overlay) {
      if (overlay->parentWindow()) overlay->parentWindow()->removeChildWindow(overlay);
      overlay->close();
      overlay->release();
    }
    *handle = nullptr;
    return;
  }
  RECT s = *r;
  if (hwnd) {
    POINT a{s.left, s.top}, b{s.right, s.bottom};
    ClientToScreen(hwnd, &a);
    ClientToScreen(hwnd, &b);
    s = RECT{a.x, a.y, b.x, b.y};
  }
  if (s.top > s.bottom) std::swap(s.top, s.bottom);
  plat::Rect frame{double(s.left), double(s.top), double(s.right - s.left), double(s.bottom - s.top)};
  Window* owner = SHIM_WindowOf(hwnd);
  if (overlay && !overlay->isClosed() && overlay->parentWindow() == owner) {
    overlay->setFrame(frame, true);
    return;
  }
  if (overlay) {
    if (overlay->parentWindow()) overlay->parentWindow()->removeChildWindow(overlay);
    overlay->close();
    overlay->release();
  }
  Window* w = new Window(frame, plat::kStyleBorderless);  // ours, and the application's until closed
  w->retain();
  w->setAlphaValue(0.5);
  w->setIgnoresMouseEvents(true);
  auto* v = new Shim_vHarshbloom_drawfocusrectwnd({0, 0, frame.w, frame.h});
  w->setContentView(v);
  v->release();
  if (owner) {
    owner->addChildWindow(w);
    w->orderFront();
  } else {
    w->setLevel(plat::kLevelPopUpMenu);
    w->orderFront();
  }
  *handle = static_cast<plat::Object*>(w);
}

bool SHIM_HandleMouseEvent(const plat::Event& e) {
  if (GetCapture()) return false;
  int type = int(e.type);
  if (type < 1 || type > 7) return false;
  Window* w = e.window.get();
  if (!w || !w->contentView()) return false;
  View* content = w->contentView();
  View* hit = content->hitTest(e.location);
  plat::Point sp = e.screenLocation();
  LPARAM pt = packPoint(int(floor(sp.x)), int(floor(sp.y)));
  View* taker = nullptr;
  for (View* v = hit; v; v = v->superview()) {
    if (dynamic_cast<SHIM_MessageTarget*>(v) && SendMessage(SHIM_H(v), WM_NCHITTEST, 0, pt) > 1) taker = v;
    if (v == content) break;
  }
  if (!taker) return false;
  Ref<View> hold(taker);
  switch (e.type) {
    case plat::EventType::LeftMouseDown: taker->mouseDown(e); break;
    case plat::EventType::LeftMouseUp: taker->mouseUp(e); break;
    case plat::EventType::RightMouseDown: taker->rightMouseDown(e); break;
    case plat::EventType::RightMouseUp: taker->rightMouseUp(e); break;
    case plat::EventType::MouseMoved: taker->mouseMoved(e); break;
    case plat::EventType::LeftMouseDragged: taker->mouseDragged(e); break;
    default: taker->rightMouseDragged(e); break;
  }
  return true;
}

HWND WindowFromPoint(POINT p) {
  plat::Point sp{double(p.x), double(p.y)};
  std::vector<Window*> order;
  Window* key = plat::app().keyWindow();
  const std::vector<Window*>& ordered = plat::app().orderedWindows();
  if (key && std::find(ordered.begin(), ordered.end(), key) == ordered.end()) order.push_back(key);
  order.insert(order.end(), ordered.begin(), ordered.end());
  for (Window* w : order) {
    if (!w->isVisible() || !w->frame().contains(sp) || !w->contentView()) continue;
    View* hit = w->contentView()->hitTest(w->convertFromScreen(sp));
    return SHIM_H(hit ? hit : w->contentView());
  }
  return nullptr;
}
