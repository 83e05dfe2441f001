#include "x_input.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdlib.h>
#include <unistd.h>

namespace e2e {

namespace {
Display* D(void* d) { return static_cast<Display*>(d); }

// The X server ends when the program under test does (also when it dies):
// the test goes on to report that instead of being ended by Xlib.
int KeepGoing(Display*) { return 0; }
void NoExit(Display*, void*) {}
}  // namespace

XInput::~XInput() { Close(); }

void XInput::Close() {
  if (mDisplay) XCloseDisplay(D(mDisplay));
  mDisplay = nullptr;
}

bool XInput::Open(const std::string& display, const std::string& authority) {
  if (!authority.empty()) setenv("XAUTHORITY", authority.c_str(), 1);
  XSetIOErrorHandler(KeepGoing);
  mDisplay = XOpenDisplay(display.c_str());
  if (mDisplay) XSetIOErrorExitHandler(D(mDisplay), NoExit, nullptr);
  int event, error, major, minor;
  return mDisplay && XTestQueryExtension(D(mDisplay), &event, &error, &major, &minor);
}

bool XInput::Origin(const std::string& window, int* x, int* y) {
  if (!mDisplay) return false;
  const ::Window w = strtoul(window.c_str(), nullptr, 0);
  ::Window child;
  return XTranslateCoordinates(D(mDisplay), w, DefaultRootWindow(D(mDisplay)), 0, 0, x, y,
                               &child) != 0;
}

void XInput::MoveTo(int x, int y) {
  if (!mDisplay) return;
  XTestFakeMotionEvent(D(mDisplay), -1, x, y, CurrentTime);
  XFlush(D(mDisplay));
}

void XInput::Button(int button, bool down) {
  if (!mDisplay) return;
  XTestFakeButtonEvent(D(mDisplay), static_cast<unsigned>(button), down ? True : False,
                       CurrentTime);
  XFlush(D(mDisplay));
}

void XInput::Key(const std::string& name) {
  if (!mDisplay) return;
  const KeySym sym = XStringToKeysym(name.c_str());
  const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(D(mDisplay), sym);
  if (!code) return;
  XTestFakeKeyEvent(D(mDisplay), code, True, CurrentTime);
  XTestFakeKeyEvent(D(mDisplay), code, False, CurrentTime);
  XFlush(D(mDisplay));
}

void XInput::Type(const std::string& text) {
  // As a person types: keys at least some milliseconds apart (the same key
  // twice at once would look like the key held down).
  for (char c : text) {
    Key(c == '.' ? "period" : std::string(1, c));
    usleep(15000);
  }
}

}  // namespace e2e
