#pragma once

// What the SDL presenter needs of X11 itself, kept apart so that Xlib's
// names and macros stay out of the rest of the layer. Every function does
// nothing (or the plain SDL call) when SDL does not run on X11.

struct SDL_Window;

namespace plat {
namespace x11 {

// Installs, once, an Xlib error handler that reports the first X error on
// standard error and lets the program go on: no X error ends the program
// (Xlib's default handler exits). Call after SDL's video start, which sets a
// handler of its own.
void installErrorHandler();

// X errors seen since the handler was installed.
int errorCount();

// Shows the window without taking the keyboard focus from the window that
// has it (SDL gives every window it shows the focus when no window manager
// runs).
void showWithoutFocus(SDL_Window* w);

}  // namespace x11
}  // namespace plat
