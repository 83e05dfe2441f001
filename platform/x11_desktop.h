#pragma once

// What SDL2 has no call for on an X11 desktop, reached through the SDL
// windows' X handles (SDL_GetWindowWMInfo) and the X events SDL passes on
// (SDL_SYSWMEVENT): dragging files out of a window (an XDND source offering
// text/uri-list, and the direct-save protocol for a promised file), the steps
// of a drag coming in (XdndEnter, XdndPosition, XdndLeave) before SDL reports
// the drop, and touchpad pinch and swipe gestures of XInput 2.4.
// Only the SDL presenter uses it.

#include <functional>

struct SDL_Window;

namespace plat {

class Window;
struct FileDrag;

class X11Desktop {
public:
  // The program's window shown in an SDL window, and the height of the menu
  // strip above its content.
  using Lookup = std::function<Window*(SDL_Window*, int* strip)>;
  virtual ~X11Desktop() = default;
  // Every SDL window the presenter makes.
  virtual void windowCreated(SDL_Window* w) = 0;
  virtual void windowDestroyed(SDL_Window* w) = 0;
  // Runs a drag of files out of `from` until the button is released and the
  // target has taken them; false when no drag could start.
  virtual bool runFileDrag(const FileDrag& drag, SDL_Window* from) = 0;
  // Carries out what the X events seen so far asked for; the presenter calls
  // it as it takes each SDL_SYSWMEVENT, so drag steps stay in order with
  // SDL's own drop events.
  virtual void runPending() = 0;
};

// Null unless SDL runs on its x11 video driver.
X11Desktop* createX11Desktop(X11Desktop::Lookup lookup);

}  // namespace plat
