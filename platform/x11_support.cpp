#include "x11_support.h"

#include <SDL.h>
#include <stdio.h>
#include <string.h>

#include <atomic>

#if defined(HB_HAVE_X11)
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#endif

namespace plat {
namespace x11 {

namespace {

std::atomic<int> g_errors{0};

bool onX11() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && strcmp(driver, "x11") == 0;
}

#if defined(HB_HAVE_X11)

// Called by Xlib for every X error (on any of SDL's connections). Xlib's
// own handler prints and exits; requests SDL makes to a window that was
// destroyed meanwhile would end the program that way.
int reportOnce(Display* display, XErrorEvent* e) {
  if (g_errors.fetch_add(1) > 0) return 0;
  char text[256] = "";
  XGetErrorText(display, e->error_code, text, sizeof text);
  char number[32], request[128] = "";
  snprintf(number, sizeof number, "%d", int(e->request_code));
  XGetErrorDatabaseText(display, "XRequest", number, number, request, sizeof request);
  fprintf(stderr,
          "X error ignored: %s on request %s (%d.%d), resource 0x%lx; the program goes on "
          "(further X errors are not reported)\n",
          text, request, int(e->request_code), int(e->minor_code), e->resourceid);
  fflush(stderr);
  return 0;
}

bool x11Window(SDL_Window* w, Display** display, ::Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!w || !SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  *display = info.info.x11.display;
  *window = info.info.x11.window;
  return *display != nullptr;
}

#endif

}  // namespace

void installErrorHandler() {
#if defined(HB_HAVE_X11)
  static bool installed = false;
  if (installed || !onX11()) return;
  installed = true;
  XSetErrorHandler(reportOnce);
#endif
}

int errorCount() { return g_errors.load(); }

void showWithoutFocus(SDL_Window* w) {
#if defined(HB_HAVE_X11)
  Display* display = nullptr;
  ::Window window = 0;
  if (onX11() && x11Window(w, &display, &window)) {
    ::Window before = 0, after = 0;
    int revert = RevertToParent, ignored = 0;
    XGetInputFocus(display, &before, &revert);
    SDL_ShowWindow(w);
    XGetInputFocus(display, &after, &ignored);
    // Without a window manager SDL hands the window the focus: give it back.
    if (after != before && after == window) {
      XSetInputFocus(display, before, revert, CurrentTime);
      XFlush(display);
    }
    return;
  }
#endif
  SDL_ShowWindow(w);
}

}  // namespace x11
}  // namespace plat
