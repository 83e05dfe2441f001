#include <SDL.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "drag.h"
#include "gestures.h"
#include "keys.h"
#include "menu.h"
#include "presenter.h"
#include "text.h"
#include "view.h"
#include "window.h"
#include "window_title.h"
#include "x11_desktop.h"
#include "x11_support.h"

namespace plat {

namespace {

MenuStripPainter& stripPainter() {
  static MenuStripPainter p;
  return p;
}

// The strip's items in the interface font, each with some air around it.
std::vector<Rect> defaultStripLayout(Bitmap& strip, Menu* menu) {
  std::vector<Rect> rects;
  Font font = Font::system(13);
  DrawContext ctx(&strip);
  double x = 8;
  for (int i = 0; menu && i < menu->count(); ++i) {
    const std::string& title = menu->item(i)->title();
    double w = 16 + ceil(font.width(title));
    Rect r{x, 0, w, double(kMenuStripHeight)};
    rects.push_back(r);
    TextBoxStyle style;
    style.align = TextAlign::Center;
    style.centerVertically = true;
    drawTextInRect(ctx, font, title, r, 0xFF000000, style);
    x += w;
  }
  return rects;
}

uint16_t macKeyFromScancode(SDL_Scancode s) {
  switch (s) {
    case SDL_SCANCODE_A: return key::A; case SDL_SCANCODE_B: return key::B;
    case SDL_SCANCODE_C: return key::C; case SDL_SCANCODE_D: return key::D;
    case SDL_SCANCODE_E: return key::E; case SDL_SCANCODE_F: return key::F;
    case SDL_SCANCODE_G: return key::G; case SDL_SCANCODE_H: return key::H;
    case SDL_SCANCODE_I: return key::I; case SDL_SCANCODE_J: return key::J;
    case SDL_SCANCODE_K: return key::K; case SDL_SCANCODE_L: return key::L;
    case SDL_SCANCODE_M: return key::M; case SDL_SCANCODE_N: return key::N;
    case SDL_SCANCODE_O: return key::O; case SDL_SCANCODE_P: return key::P;
    case SDL_SCANCODE_Q: return key::Q; case SDL_SCANCODE_R: return key::R;
    case SDL_SCANCODE_S: return key::S; case SDL_SCANCODE_T: return key::T;
    case SDL_SCANCODE_U: return key::U; case SDL_SCANCODE_V: return key::V;
    case SDL_SCANCODE_W: return key::W; case SDL_SCANCODE_X: return key::X;
    case SDL_SCANCODE_Y: return key::Y; case SDL_SCANCODE_Z: return key::Z;
    case SDL_SCANCODE_1: return key::Num1; case SDL_SCANCODE_2: return key::Num2;
    case SDL_SCANCODE_3: return key::Num3; case SDL_SCANCODE_4: return key::Num4;
    case SDL_SCANCODE_5: return key::Num5; case SDL_SCANCODE_6: return key::Num6;
    case SDL_SCANCODE_7: return key::Num7; case SDL_SCANCODE_8: return key::Num8;
    case SDL_SCANCODE_9: return key::Num9; case SDL_SCANCODE_0: return key::Num0;
    case SDL_SCANCODE_RETURN: return key::Return; case SDL_SCANCODE_ESCAPE: return key::Escape;
    case SDL_SCANCODE_BACKSPACE: return key::Delete; case SDL_SCANCODE_TAB: return key::Tab;
    case SDL_SCANCODE_SPACE: return key::Space; case SDL_SCANCODE_MINUS: return key::Minus;
    case SDL_SCANCODE_EQUALS: return key::Equal;
    case SDL_SCANCODE_LEFTBRACKET: return key::LeftBracket;
    case SDL_SCANCODE_RIGHTBRACKET: return key::RightBracket;
    case SDL_SCANCODE_BACKSLASH: return key::Backslash;
    case SDL_SCANCODE_SEMICOLON: return key::Semicolon;
    case SDL_SCANCODE_APOSTROPHE: return key::Quote; case SDL_SCANCODE_GRAVE: return key::Grave;
    case SDL_SCANCODE_COMMA: return key::Comma; case SDL_SCANCODE_PERIOD: return key::Period;
    case SDL_SCANCODE_SLASH: return key::Slash; case SDL_SCANCODE_CAPSLOCK: return key::CapsLock;
    case SDL_SCANCODE_F1: return key::F1; case SDL_SCANCODE_F2: return key::F2;
    case SDL_SCANCODE_F3: return key::F3; case SDL_SCANCODE_F4: return key::F4;
    case SDL_SCANCODE_F5: return key::F5; case SDL_SCANCODE_F6: return key::F6;
    case SDL_SCANCODE_F7: return key::F7; case SDL_SCANCODE_F8: return key::F8;
    case SDL_SCANCODE_F9: return key::F9; case SDL_SCANCODE_F10: return key::F10;
    case SDL_SCANCODE_F11: return key::F11; case SDL_SCANCODE_F12: return key::F12;
    case SDL_SCANCODE_F13: return key::F13; case SDL_SCANCODE_F14: return key::F14;
    case SDL_SCANCODE_F15: return key::F15; case SDL_SCANCODE_F16: return key::F16;
    case SDL_SCANCODE_INSERT: return key::Help; case SDL_SCANCODE_HOME: return key::Home;
    case SDL_SCANCODE_PAGEUP: return key::PageUp; case SDL_SCANCODE_DELETE: return key::ForwardDelete;
    case SDL_SCANCODE_END: return key::End; case SDL_SCANCODE_PAGEDOWN: return key::PageDown;
    case SDL_SCANCODE_RIGHT: return key::RightArrow; case SDL_SCANCODE_LEFT: return key::LeftArrow;
    case SDL_SCANCODE_DOWN: return key::DownArrow; case SDL_SCANCODE_UP: return key::UpArrow;
    case SDL_SCANCODE_NUMLOCKCLEAR: return key::KeypadClear;
    case SDL_SCANCODE_KP_DIVIDE: return key::KeypadDivide;
    case SDL_SCANCODE_KP_MULTIPLY: return key::KeypadMultiply;
    case SDL_SCANCODE_KP_MINUS: return key::KeypadMinus; case SDL_SCANCODE_KP_PLUS: return key::KeypadPlus;
    case SDL_SCANCODE_KP_ENTER: return key::KeypadEnter; case SDL_SCANCODE_KP_1: return key::Keypad1;
    case SDL_SCANCODE_KP_2: return key::Keypad2; case SDL_SCANCODE_KP_3: return key::Keypad3;
    case SDL_SCANCODE_KP_4: return key::Keypad4; case SDL_SCANCODE_KP_5: return key::Keypad5;
    case SDL_SCANCODE_KP_6: return key::Keypad6; case SDL_SCANCODE_KP_7: return key::Keypad7;
    case SDL_SCANCODE_KP_8: return key::Keypad8; case SDL_SCANCODE_KP_9: return key::Keypad9;
    case SDL_SCANCODE_KP_0: return key::Keypad0; case SDL_SCANCODE_KP_PERIOD: return key::KeypadDecimal;
    case SDL_SCANCODE_KP_EQUALS: return key::KeypadEquals;
    case SDL_SCANCODE_LCTRL: return key::Control; case SDL_SCANCODE_LSHIFT: return key::Shift;
    case SDL_SCANCODE_LALT: return key::Option; case SDL_SCANCODE_LGUI: return key::Command;
    case SDL_SCANCODE_RCTRL: return key::RightControl; case SDL_SCANCODE_RSHIFT: return key::RightShift;
    case SDL_SCANCODE_RALT: return key::RightOption; case SDL_SCANCODE_RGUI: return key::RightCommand;
    default: return 0xFFFF;
  }
}

uint32_t modifiersFromSdl(Uint16 mod, bool keypad) {
  uint32_t f = 0;
  if (mod & KMOD_SHIFT) f |= kModShift;
  // Control is the command key of this desktop's shortcuts; the Windows/Super
  // key stands in for the physical Control key.
  if (mod & KMOD_CTRL) f |= kModCommand;
  if (mod & KMOD_GUI) f |= kModControl;
  if (mod & KMOD_ALT) f |= kModOption;
  if (mod & KMOD_CAPS) f |= kModCapsLock;
  if (keypad) f |= kModNumericPad;
  return f;
}

// Text of a key on a US layout: typed, and without the modifiers other than Shift.
void keyCharacters(const SDL_Keysym& ks, std::string* chars, std::string* plain) {
  uint32_t c = 0;
  switch (ks.scancode) {
    case SDL_SCANCODE_RETURN: case SDL_SCANCODE_KP_ENTER: c = '\r'; break;
    case SDL_SCANCODE_TAB: c = '\t'; break;
    case SDL_SCANCODE_ESCAPE: c = 0x1B; break;
    case SDL_SCANCODE_BACKSPACE: c = 0x7F; break;
    case SDL_SCANCODE_UP: c = keychar::UpArrow; break;
    case SDL_SCANCODE_DOWN: c = keychar::DownArrow; break;
    case SDL_SCANCODE_LEFT: c = keychar::LeftArrow; break;
    case SDL_SCANCODE_RIGHT: c = keychar::RightArrow; break;
    case SDL_SCANCODE_DELETE: c = keychar::ForwardDelete; break;
    case SDL_SCANCODE_HOME: c = keychar::Home; break;
    case SDL_SCANCODE_END: c = keychar::End; break;
    case SDL_SCANCODE_PAGEUP: c = keychar::PageUp; break;
    case SDL_SCANCODE_PAGEDOWN: c = keychar::PageDown; break;
    case SDL_SCANCODE_INSERT: c = keychar::Help; break;
    default:
      if (ks.scancode >= SDL_SCANCODE_F1 && ks.scancode <= SDL_SCANCODE_F12)
        c = keychar::F1 + (ks.scancode - SDL_SCANCODE_F1);
      else if (ks.sym > 0 && ks.sym < 0x7F)
        c = uint32_t(ks.sym);
  }
  if (!c) return;
  // As on the desktop the program was made for, the unmodified characters
  // still carry the Shift key.
  if (ks.mod & KMOD_SHIFT) {
    static const char from[] = "1234567890-=[]\\;',./`";
    static const char to[] = "!@#$%^&*()_+{}|:\"<>?~";
    if (c >= 'a' && c <= 'z') c -= 32;
    else if (const char* p = c < 0x80 ? strchr(from, int(c)) : nullptr) c = uint32_t(to[p - from]);
  }
  appendUtf8(*plain, c);
  appendUtf8(*chars, c);
}

class SdlPresenter : public Presenter {
public:
  explicit SdlPresenter(Uint32 wakeEvent) : m_wakeEvent(wakeEvent) {
    m_x11 = createX11Desktop([this](SDL_Window* sw, int* strip) { return findSdl(sw, strip); });
    if (m_x11) setFileDragStarter([this](const FileDrag& d) { return startDrag(d); });
  }
  ~SdlPresenter() override {
    if (m_x11) setFileDragStarter(nullptr);
    delete m_x11;
    m_x11 = nullptr;
    // Only now, with no wait of SDL's to come, are its windows destroyed.
    for (auto& it : m_wins) SDL_DestroyWindow(it.second.sdl);
    m_wins.clear();
    for (auto& spare : m_spare) SDL_DestroyWindow(spare.second);
    m_spare.clear();
    for (auto& c : m_cursors) SDL_FreeCursor(c.second);
    if (m_custom) SDL_FreeCursor(m_custom);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // Nothing else of SDL in use: let it release its helpers as well.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
  }

  // SDL windows are never destroyed while the program runs: a window that
  // hides or closes hides its SDL window and keeps it for the next window of
  // the same kind. SDL wakes its event wait by sending an X event, through a
  // connection of its own, to the newest of its windows, which is most often
  // a popup menu or a tool tip; destroyed at once, that window could be gone
  // on the server before the wake-up arrived, and the X error ended the
  // program.
  void windowShown(Window* w) override {
    auto known = m_wins.find(w);
    if (known != m_wins.end()) {
      // Back from hiding with the application.
      SDL_RestoreWindow(known->second.sdl);
      present(w);
      return;
    }
    const Uint32 kind = kindOf(w);
    const int strip = stripFor(w);
    int x, y;
    sdlPosition(w, strip, &x, &y);
    const int width = std::max(1, iw(w)), height = std::max(1, ih(w) + strip);
    SDL_Window* sw = takeSpare(kind);
    if (sw) {
      // Its last owner may have changed what it was made with.
      SDL_SetWindowBordered(sw, (kind & SDL_WINDOW_BORDERLESS) ? SDL_FALSE : SDL_TRUE);
      SDL_SetWindowResizable(sw, (kind & SDL_WINDOW_RESIZABLE) ? SDL_TRUE : SDL_FALSE);
      SDL_SetWindowAlwaysOnTop(sw, (kind & SDL_WINDOW_ALWAYS_ON_TOP) ? SDL_TRUE : SDL_FALSE);
      SDL_SetWindowTitle(sw, windowDisplayTitle(*w).c_str());
      SDL_SetWindowSize(sw, width, height);
      SDL_SetWindowPosition(sw, x, y);
    } else {
      sw = SDL_CreateWindow(windowDisplayTitle(*w).c_str(), x, y, width, height,
                            kind | SDL_WINDOW_HIDDEN);
      if (!sw) return;
      if (m_x11) m_x11->windowCreated(sw);
    }
    SDL_SetWindowOpacity(sw, float(w->alphaValue()));
    // Input SDL still holds for the window's earlier owner is not this one's.
    m_wins[w] = Win{sw, strip, kind, SDL_GetTicks()};
    if (activates(w))
      SDL_ShowWindow(sw);
    else
      x11::showWithoutFocus(sw);
    present(w);
    if (w->isKeyWindow()) focusKeyWindow(w, sw);
  }

  void windowHidden(Window* w) override {
    // Hidden with the whole application: minimised, so the desktop's window
    // list can bring the program back.
    auto it = m_wins.find(w);
    if (app().isHidden() && it != m_wins.end()) {
      SDL_MinimizeWindow(it->second.sdl);
      return;
    }
    release(w);
  }
  void windowClosed(Window* w) override { release(w); }

  void windowChanged(Window* w) override {
    auto it = m_wins.find(w);
    if (it == m_wins.end()) return;
    Win& sw = it->second;
    int strip = stripFor(w);
    SDL_SetWindowTitle(sw.sdl, windowDisplayTitle(*w).c_str());
    SDL_SetWindowOpacity(sw.sdl, float(w->alphaValue()));
    SDL_SetWindowBordered(sw.sdl, w->styleMask() == kStyleBorderless ? SDL_FALSE : SDL_TRUE);
    SDL_SetWindowResizable(sw.sdl, (w->styleMask() & kStyleResizable) ? SDL_TRUE : SDL_FALSE);
    int cw, ch;
    SDL_GetWindowSize(sw.sdl, &cw, &ch);
    if (!sw.fullScreen && (cw != iw(w) || ch != ih(w) + strip)) SDL_SetWindowSize(sw.sdl, iw(w), ih(w) + strip);
    sw.strip = strip;
    int x, y, cx, cy;
    sdlPosition(w, strip, &x, &y);
    SDL_GetWindowPosition(sw.sdl, &cx, &cy);
    if (!sw.fullScreen && (cx != x || cy != y)) SDL_SetWindowPosition(sw.sdl, x, y);
    if (w->isKeyWindow()) {
      if (!m_inFocusEvent) SDL_RaiseWindow(sw.sdl);
      focusKeyWindow(w, sw.sdl);
    }
    present(w);
  }

  void windowDisplayed(Window* w) override { present(w); }

  void mainMenuChanged() override {
    for (auto& it : m_wins) windowChanged(it.first);
  }

  void cursorChanged(Cursor c) override {
    if (c == Cursor::Custom) return;  // the image follows
    if (c == Cursor::Hidden) {
      SDL_ShowCursor(SDL_DISABLE);
      return;
    }
    SDL_ShowCursor(SDL_ENABLE);
    SDL_SystemCursor id = SDL_SYSTEM_CURSOR_ARROW;
    switch (c) {
      case Cursor::IBeam: id = SDL_SYSTEM_CURSOR_IBEAM; break;
      case Cursor::Crosshair: id = SDL_SYSTEM_CURSOR_CROSSHAIR; break;
      case Cursor::PointingHand: case Cursor::OpenHand: case Cursor::ClosedHand:
        id = SDL_SYSTEM_CURSOR_HAND; break;
      case Cursor::ResizeLeftRight: id = SDL_SYSTEM_CURSOR_SIZEWE; break;
      case Cursor::ResizeUpDown: id = SDL_SYSTEM_CURSOR_SIZENS; break;
      case Cursor::NotAllowed: id = SDL_SYSTEM_CURSOR_NO; break;
      case Cursor::Wait: id = SDL_SYSTEM_CURSOR_WAIT; break;
      default: break;
    }
    SDL_Cursor*& cur = m_cursors[int(id)];
    if (!cur) cur = SDL_CreateSystemCursor(id);
    if (cur) SDL_SetCursor(cur);
  }

  void cursorImageChanged(const CursorImage& c) override {
    const Bitmap& b = c.image();
    if (b.width() < 1 || b.height() < 1) return;
    SDL_Surface* surf = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(b.bits()), b.width(), b.height(), 32, b.width() * 4,
        SDL_PIXELFORMAT_ARGB8888);
    if (!surf) return;
    Point hot = c.hotSpot();
    SDL_Cursor* cur = SDL_CreateColorCursor(surf, int(hot.x), int(hot.y));
    SDL_FreeSurface(surf);
    if (!cur) return;
    SDL_SetCursor(cur);
    if (m_custom) SDL_FreeCursor(m_custom);
    m_custom = cur;
  }

  bool warpMouse(const Point& p) override {
    int x = int(floor(p.x)), y = int(floor(mainHeight() - p.y));
    return SDL_WarpMouseGlobal(x, y) == 0;
  }

  void setRelativeMouseMode(bool on) override {
    SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
  }

  uint32_t characterForKeyCode(uint16_t code) override {
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
      if (macKeyFromScancode(SDL_Scancode(sc)) != code) continue;
      SDL_Keycode k = SDL_GetKeyFromScancode(SDL_Scancode(sc));
      return (k > 0 && k < 0x110000 && !(k & SDLK_SCANCODE_MASK)) ? uint32_t(k) : 0;
    }
    return 0;
  }

  void waitEvents(double seconds) override {
    SDL_Event ev;
    int ms = seconds > 0 ? int(std::min(ceil(seconds * 1000.0), 3600000.0)) : 0;
    bool got = ms > 0 ? SDL_WaitEventTimeout(&ev, ms) != 0 : SDL_PollEvent(&ev) != 0;
    while (got) {
      translate(ev);
      got = SDL_PollEvent(&ev) != 0;
    }
  }

  void wake() override {
    SDL_Event ev;
    memset(&ev, 0, sizeof ev);
    ev.type = m_wakeEvent;
    SDL_PushEvent(&ev);
  }

  std::vector<Screen> screens() override {
    std::vector<Screen> out;
    int n = SDL_GetNumVideoDisplays();
    SDL_Rect main;
    if (n < 1 || SDL_GetDisplayBounds(0, &main) != 0) return out;
    for (int i = 0; i < n; ++i) {
      SDL_Rect b, u;
      if (SDL_GetDisplayBounds(i, &b) != 0) continue;
      if (SDL_GetDisplayUsableBounds(i, &u) != 0) u = b;
      out.push_back({flipRect(b, main), flipRect(u, main)});
    }
    return out;
  }

  bool setClipboardText(const std::string& t) override {
    return SDL_SetClipboardText(t.c_str()) == 0;
  }
  bool clipboardText(std::string* t) override {
    if (!SDL_HasClipboardText()) return false;
    char* s = SDL_GetClipboardText();
    if (!s) return false;
    *t = s;
    SDL_free(s);
    return true;
  }

  bool setWindowFullScreen(Window* w, bool on) override {
    auto it = m_wins.find(w);
    if (it == m_wins.end()) return false;
    if (SDL_SetWindowFullscreen(it->second.sdl, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
    it->second.fullScreen = on;
    if (!on) windowChanged(w);
    present(w);
    return true;
  }

private:
  struct Win {
    SDL_Window* sdl;
    int strip;
    Uint32 kind;   // the flags it was made with
    Uint32 since;  // SDL's clock when it began to show this window
    bool fullScreen = false;  // the window's frame stays; the rest is dark
  };

  Window* findSdl(SDL_Window* sw, int* strip) {
    for (auto& it : m_wins)
      if (it.second.sdl == sw) {
        if (strip) *strip = it.second.strip;
        return it.first;
      }
    return nullptr;
  }

  // Tool tips and other windows that never become key show without taking
  // the keyboard focus.
  static bool activates(Window* w) { return w->canBecomeKeyWindow() && !w->ignoresMouseEvents(); }

  // The flags an SDL window is made with; only a spare of the same kind is
  // reused.
  static Uint32 kindOf(Window* w) {
    Uint32 flags = 0;
    if (w->styleMask() == kStyleBorderless) flags |= SDL_WINDOW_BORDERLESS;
    if (w->styleMask() & kStyleResizable) flags |= SDL_WINDOW_RESIZABLE;
    if (!activates(w))
      flags |= SDL_WINDOW_TOOLTIP | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALWAYS_ON_TOP;
    else if (w->level() >= kLevelPopUpMenu)
      flags |= SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALWAYS_ON_TOP;
    else if (w->level() > kLevelNormal)
      flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    return flags;
  }

  SDL_Window* takeSpare(Uint32 kind) {
    for (auto it = m_spare.begin(); it != m_spare.end(); ++it)
      if (it->first == kind) {
        SDL_Window* sw = it->second;
        m_spare.erase(it);
        return sw;
      }
    return nullptr;
  }

  // The window that became key gets the keyboard: without a window manager
  // nothing else hands it over when the window that had it hides.
  void focusKeyWindow(Window* w, SDL_Window* sw) {
    if (m_focused == w) return;
    m_focused = w;
    if (!m_inFocusEvent && activates(w)) SDL_SetWindowInputFocus(sw);
  }

  bool startDrag(const FileDrag& d) {
    Window* w = d.view ? d.view->window() : nullptr;
    auto it = w ? m_wins.find(w) : m_wins.end();
    if (it == m_wins.end()) return false;
    Ref<Window> hold(w);
    return m_x11->runFileDrag(d, it->second.sdl);
  }

  // The window under the pointer (else the keyboard's), and the pointer in
  // its base coordinates: where a touch gesture happens.
  Window* gestureTarget(Point* at) {
    SDL_Window* sw = SDL_GetMouseFocus();
    if (!sw) sw = SDL_GetKeyboardFocus();
    int strip = 0;
    Window* w = sw ? findSdl(sw, &strip) : nullptr;
    if (!w && app().keyWindow() && m_wins.count(app().keyWindow())) {
      w = app().keyWindow();
      strip = m_wins[w].strip;
      sw = nullptr;
    }
    if (!w) return nullptr;
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    if (!sw || SDL_GetMouseFocus() != sw) {
      x = iw(w) / 2;
      y = strip + ih(w) / 2;
    }
    *at = base(w, strip, x, y);
    return w;
  }

  static int iw(Window* w) { return w->backing().width(); }
  static int ih(Window* w) { return w->backing().height(); }

  static Rect flipRect(const SDL_Rect& r, const SDL_Rect& main) {
    return {double(r.x - main.x), double(main.y + main.h - (r.y + r.h)), double(r.w), double(r.h)};
  }

  double mainHeight() {
    SDL_Rect main;
    if (SDL_GetDisplayBounds(0, &main) != 0) return 1200;
    return main.h;
  }

  // The strip belongs to the program's own main window: the first titled,
  // non-modal window to become main keeps it, so message boxes, modal dialogs
  // and pop-ups that pass through being main never grow a strip of their own.
  int stripFor(Window* w) {
    if (!app().mainMenu()) return 0;
    Window* main = app().mainWindow();
    if (!m_stripWindow && main && (main->styleMask() & kStyleTitled) && !main->isPanel() &&
        main != app().modalWindow())
      m_stripWindow = main;
    return w == m_stripWindow ? kMenuStripHeight : 0;
  }

  void sdlPosition(Window* w, int strip, int* x, int* y) {
    *x = int(floor(w->frame().x + 0.5));
    *y = int(floor(mainHeight() - (w->frame().y + w->frame().h) + 0.5)) - strip;
  }

  // The window no longer shows: its SDL window hides and waits for reuse.
  void release(Window* w) {
    if (w == m_stripWindow) m_stripWindow = nullptr;
    if (w == m_focused) m_focused = nullptr;
    auto it = m_wins.find(w);
    if (it == m_wins.end()) return;
    SDL_Window* sw = it->second.sdl;
    const Uint32 kind = it->second.kind;
    if (it->second.fullScreen) SDL_SetWindowFullscreen(sw, 0);
    m_wins.erase(it);
    SDL_HideWindow(sw);
    m_spare.push_back({kind, sw});
  }

  // The window an SDL event of the given time belongs to; events older than
  // the window's showing were meant for an earlier owner of its SDL window.
  Window* find(Uint32 sdlId, int* strip, Uint32 timestamp = 0) {
    SDL_Window* sw = SDL_GetWindowFromID(sdlId);
    if (!sw) return nullptr;
    for (auto& it : m_wins)
      if (it.second.sdl == sw) {
        if (timestamp && Sint32(timestamp - it.second.since) < 0) return nullptr;
        if (strip) *strip = it.second.strip;
        return it.first;
      }
    return nullptr;
  }

  void present(Window* w) {
    auto it = m_wins.find(w);
    if (it == m_wins.end()) return;
    SDL_Surface* s = SDL_GetWindowSurface(it->second.sdl);
    if (!s) return;
    int strip = it->second.strip;
    const Bitmap& b = w->backing();
    if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
    if (it->second.fullScreen) SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
    int rows = std::min(b.height(), s->h - strip), cols = std::min(b.width(), s->w);
    if (rows > 0 && cols > 0)
      SDL_ConvertPixels(cols, rows, SDL_PIXELFORMAT_ARGB8888, b.bits(), b.width() * 4,
                        s->format->format, static_cast<Uint8*>(s->pixels) + strip * s->pitch,
                        s->pitch);
    if (strip > 0) {
      Bitmap sb(s->w, strip, 0xFFE6E6E6);
      DrawContext(&sb).clearRect({0, double(strip - 1), double(sb.width()), 1}, 0xFFB0B0B0);
      m_stripItems = stripPainter() ? stripPainter()(sb, app().mainMenu())
                                    : defaultStripLayout(sb, app().mainMenu());
      SDL_ConvertPixels(sb.width(), strip, SDL_PIXELFORMAT_ARGB8888, sb.bits(), sb.width() * 4,
                        s->format->format, s->pixels, s->pitch);
    }
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    SDL_UpdateWindowSurface(it->second.sdl);
  }

  // Window base coordinates of an SDL window position.
  static Point base(Window* w, int strip, int x, int y) {
    return {double(x), w->frame().h - double(y - strip)};
  }

  void queueMouse(EventType t, Window* w, int strip, int x, int y, int button, int clicks,
                  int dx = 0, int dy = 0) {
    Event e;
    e.type = t;
    e.timestamp = app().now();
    e.window = w;
    e.location = base(w, strip, x, y);
    e.modifierFlags = modifiersFromSdl(SDL_GetModState(), false);
    e.buttonNumber = button;
    e.clickCount = clicks;
    // Motion since the last event, y growing downwards.
    e.deltaX = dx;
    e.deltaY = dy;
    app().queueEvent(e);
  }

  void stripClick(Window* w, int x) {
    Menu* menu = app().mainMenu();
    if (!menu) return;
    for (size_t i = 0; i < m_stripItems.size() && int(i) < menu->count(); ++i) {
      const Rect& r = m_stripItems[i];
      if (x < r.x || x >= r.maxX()) continue;
      MenuItem* top = menu->item(int(i));
      MenuTracker* t = app().menuTracker();
      if (!top || !t) return;
      Menu* sub = top->submenu();
      if (!sub) {
        Menu::performItem(top);
        return;
      }
      Point p = w->convertToScreen({r.x, w->frame().h});
      if (MenuItem* chosen = t->popUp(sub, w, p)) Menu::performItem(chosen);
      return;
    }
  }

  // Files dropped on a window: SDL tells no position, so the pointer's,
  // asked of the desktop when the drop completes, is where they land.
  void deliverDrop(Uint32 windowID) {
    m_dropOpen = false;
    std::vector<std::string> files;
    files.swap(m_dropFiles);
    int strip = 0;
    Window* w = find(windowID, &strip);
    SDL_Window* sw = SDL_GetWindowFromID(windowID);
    if (!w || !sw || files.empty()) return;
    Ref<Window> hold(w);
    int gx = 0, gy = 0, wx = 0, wy = 0, ww = 0, wh = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    SDL_GetWindowPosition(sw, &wx, &wy);
    SDL_GetWindowSize(sw, &ww, &wh);
    int x = gx - wx, y = gy - wy;
    if (x < 0 || y < strip || x >= ww || y >= wh) {
      // The desktop gave no pointer inside the window: its last known
      // position there, else the middle of the content.
      if (SDL_GetMouseFocus() == sw) {
        SDL_GetMouseState(&x, &y);
      } else {
        x = ww / 2;
        y = strip + (wh - strip) / 2;
      }
    }
    DraggingInfo d;
    d.files = files;
    d.window = w;
    d.location = base(w, strip, x, y);
    dropFiles(d);
  }

  void translate(const SDL_Event& ev) {
    int strip = 0;
    switch (ev.type) {
      case SDL_WINDOWEVENT: {
        Window* w = find(ev.window.windowID, &strip, ev.window.timestamp);
        if (!w) return;
        Ref<Window> hold(w);
        switch (ev.window.event) {
          case SDL_WINDOWEVENT_CLOSE: w->performClose(); break;
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            m_inFocusEvent = true;
            app().activate();
            if (!app().modalWindow() || app().modalWindow() == w) w->makeKeyWindow();
            m_inFocusEvent = false;
            break;
          case SDL_WINDOWEVENT_EXPOSED: present(w); break;
          case SDL_WINDOWEVENT_LEAVE: {
            // The pointer left the window: what tracks it there hears so
            // (a tool tip waiting to show goes).
            Event e;
            e.type = EventType::MouseExited;
            e.timestamp = app().now();
            e.window = w;
            e.location = app().mouseLocation();
            e.location = w->convertFromScreen(e.location);
            e.modifierFlags = modifiersFromSdl(SDL_GetModState(), false);
            app().queueEvent(e);
            break;
          }
          case SDL_WINDOWEVENT_RESTORED:
            if (app().isHidden()) app().activate();
            break;
          case SDL_WINDOWEVENT_SIZE_CHANGED: {
            auto fs = m_wins.find(w);
            if (fs != m_wins.end() && fs->second.fullScreen) {
              present(w);
              break;
            }
            Size mn = w->effectiveMinSize(), mx = w->effectiveMaxSize();
            double nw = std::min(std::max(double(ev.window.data1), mn.w), mx.w);
            double nh = std::min(std::max(double(ev.window.data2 - strip), mn.h), mx.h);
            Rect f = w->frame();
            w->setFrame({f.x, f.y + f.h - nh, nw, nh}, true);
            present(w);
            break;
          }
          case SDL_WINDOWEVENT_MOVED: {
            Rect f = w->frame();
            double y = mainHeight() - (ev.window.data2 + strip + f.h);
            w->setFrameOrigin({double(ev.window.data1), y});
            break;
          }
          default: break;
        }
        return;
      }
      case SDL_MOUSEMOTION: {
        Window* w = find(ev.motion.windowID, &strip, ev.motion.timestamp);
        if (!w || ev.motion.y < strip) return;
        Uint32 st = ev.motion.state;
        EventType t = (st & SDL_BUTTON_LMASK) ? EventType::LeftMouseDragged
                      : (st & SDL_BUTTON_RMASK) ? EventType::RightMouseDragged
                      : st ? EventType::OtherMouseDragged : EventType::MouseMoved;
        queueMouse(t, w, strip, ev.motion.x, ev.motion.y, 0, 0, ev.motion.xrel, ev.motion.yrel);
        return;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        Window* w = find(ev.button.windowID, &strip, ev.button.timestamp);
        if (!w) return;
        bool down = ev.type == SDL_MOUSEBUTTONDOWN;
        if (ev.button.y < strip) {
          if (down && ev.button.button == SDL_BUTTON_LEFT) stripClick(w, ev.button.x);
          return;
        }
        int b = ev.button.button;
        int number = b == SDL_BUTTON_LEFT ? 0 : b == SDL_BUTTON_RIGHT ? 1 : b == SDL_BUTTON_MIDDLE ? 2 : b - 1;
        EventType t = number == 0 ? (down ? EventType::LeftMouseDown : EventType::LeftMouseUp)
                      : number == 1 ? (down ? EventType::RightMouseDown : EventType::RightMouseUp)
                      : (down ? EventType::OtherMouseDown : EventType::OtherMouseUp);
        queueMouse(t, w, strip, ev.button.x, ev.button.y, number, ev.button.clicks);
        return;
      }
      case SDL_MOUSEWHEEL: {
        Window* w = find(ev.wheel.windowID, &strip, ev.wheel.timestamp);
        if (!w) return;
        int mx, my;
        SDL_GetMouseState(&mx, &my);
        Event e;
        e.type = EventType::ScrollWheel;
        e.timestamp = app().now();
        e.window = w;
        e.location = base(w, strip, mx, my);
        e.modifierFlags = modifiersFromSdl(SDL_GetModState(), false);
        double sign = ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0 : 1.0;
#if SDL_VERSION_ATLEAST(2, 0, 18)
        e.deltaX = -sign * ev.wheel.preciseX;
        e.deltaY = sign * ev.wheel.preciseY;
#else
        e.deltaX = -sign * ev.wheel.x;
        e.deltaY = sign * ev.wheel.y;
#endif
        app().queueEvent(e);
        return;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        Window* w = find(ev.key.windowID, &strip, ev.key.timestamp);
        // Keys belong to the key window, whichever SDL window they came
        // through: SDL's own keyboard focus follows the desktop's a moment
        // later (and a tool tip that got the focus never becomes key).
        if (Window* key = app().keyWindow()) w = key;
        uint16_t code = macKeyFromScancode(ev.key.keysym.scancode);
        if (code == 0xFFFF) return;
        SDL_Scancode sc = ev.key.keysym.scancode;
        bool keypad = sc >= SDL_SCANCODE_KP_DIVIDE && sc <= SDL_SCANCODE_KP_PERIOD;
        bool modifier = sc >= SDL_SCANCODE_LCTRL && sc <= SDL_SCANCODE_RGUI;
        Event e;
        e.type = modifier ? EventType::FlagsChanged
                 : ev.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
        e.timestamp = app().now();
        e.window = w;
        e.keyCode = code;
        e.modifierFlags = modifiersFromSdl(ev.key.keysym.mod, keypad);
        e.isRepeat = ev.key.repeat != 0;
        if (!modifier) keyCharacters(ev.key.keysym, &e.characters, &e.charactersIgnoringModifiers);
        app().queueEvent(e);
        return;
      }
      case SDL_DROPBEGIN:
        m_dropFiles.clear();
        m_dropOpen = true;
        return;
      case SDL_DROPFILE:
        if (ev.drop.file) {
          m_dropFiles.push_back(ev.drop.file);
          SDL_free(ev.drop.file);
        }
        // Without the begin and complete pair a file comes alone.
        if (!m_dropOpen) deliverDrop(ev.drop.windowID);
        return;
      case SDL_DROPTEXT:
        if (ev.drop.file) SDL_free(ev.drop.file);
        return;
      case SDL_DROPCOMPLETE:
        deliverDrop(ev.drop.windowID);
        return;
      case SDL_QUIT:
        app().terminate();
        return;
      case SDL_SYSWMEVENT:
        if (m_x11) m_x11->runPending();
        return;
      case SDL_FINGERDOWN:
        m_fingers.down(int64_t(ev.tfinger.fingerId), ev.tfinger.x, ev.tfinger.y);
        return;
      case SDL_FINGERMOTION:
        m_fingers.moved(int64_t(ev.tfinger.fingerId), ev.tfinger.x, ev.tfinger.y);
        return;
      case SDL_FINGERUP:
        m_fingers.up(int64_t(ev.tfinger.fingerId));
        return;
      case SDL_MULTIGESTURE: {
        Point at;
        Window* w = gestureTarget(&at);
        if (!w) return;
        uint32_t mods = modifiersFromSdl(SDL_GetModState(), false);
        double mag = magnificationFor(ev.mgesture.dDist, m_fingers.spread());
        if (mag != 0) queueMagnify(w, at, mag, mods);
        // SDL's angle grows clockwise on the screen; rotation here is
        // counter-clockwise, in degrees.
        double deg = -double(ev.mgesture.dTheta) * 180.0 / M_PI;
        if (fabs(deg) >= 0.05) queueRotate(w, at, deg, mods);
        return;
      }
      default: return;
    }
  }

  Uint32 m_wakeEvent;
  std::map<Window*, Win> m_wins;
  std::vector<std::pair<Uint32, SDL_Window*>> m_spare;  // hidden SDL windows by kind
  Window* m_focused = nullptr;  // the key window last given the keyboard
  Window* m_stripWindow = nullptr;  // the window that carries the menu strip
  std::map<int, SDL_Cursor*> m_cursors;
  std::vector<Rect> m_stripItems;
  bool m_inFocusEvent = false;
  std::vector<std::string> m_dropFiles;
  bool m_dropOpen = false;
  SDL_Cursor* m_custom = nullptr;
  X11Desktop* m_x11 = nullptr;
  FingerTracker m_fingers;
};

}  // namespace

void setMenuStripPainter(MenuStripPainter painter) { stripPainter() = std::move(painter); }

Presenter* createSdlPresenter(const char* driver, std::string* error) {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // The screen saver is held off only while something plays (activity.h).
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Window bitmaps are copied as they are: the plain framebuffer of the video
  // driver, no GL renderer behind it.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (driver) SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (error) *error = SDL_GetError();
    return nullptr;
  }
  // After SDL's own: an X error is reported and the program goes on.
  x11::installErrorHandler();
  Uint32 wake = SDL_RegisterEvents(1);
  if (wake == Uint32(-1)) {
    if (error) *error = "no user event type left";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  return new SdlPresenter(wake);
}

bool startPresenterFromEnvironment() {
  const char* headless = getenv("HB_HEADLESS");
  bool wantHeadless = headless && strcmp(headless, "1") == 0;
  const char* display = getenv("DISPLAY");
  const char* wayland = getenv("WAYLAND_DISPLAY");
  bool haveDisplay = (display && *display) || (wayland && *wayland);
  std::string error;
  Presenter* p = nullptr;
  if (!wantHeadless && haveDisplay) p = createSdlPresenter(nullptr, &error);
  if (!p) {
    static bool said = false;
    if (!said) {
      said = true;
      fprintf(stderr, "Running without a display%s%s\n", error.empty() ? "" : ": ",
              error.c_str());
    }
    return false;
  }
  app().setPresenter(p);
  return true;
}

}  // namespace plat
