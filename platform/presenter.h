#pragma once

// Starting a presenter. The SDL presenter shows one SDL window per visible
// top-level window, draws the application menu as a strip at the top of the
// main window, and turns SDL input into events with this layer's key codes
// and modifier flags.

#include <functional>
#include <string>
#include <vector>

#include "app.h"
#include "bitmap.h"
#include "geometry.h"

namespace plat {

class Menu;

// Height of the menu strip above the main window's content.
constexpr int kMenuStripHeight = 22;

// Creates an SDL presenter on the given video driver ("offscreen", "x11"...;
// null lets SDL choose). Null, with a reason in *error, when SDL video cannot
// start.
Presenter* createSdlPresenter(const char* driver, std::string* error);

// Installs a presenter unless HB_HEADLESS=1 is set or no display is named in
// the environment; then says once on standard error that the program runs
// without a display. True when a presenter runs.
bool startPresenterFromEnvironment();

// Paints the menu strip: the painter gets the strip bitmap (already filled
// with the strip colour) and the menu, and returns each top-level item's
// rectangle in the strip. The default leaves the strip plain and lays the
// items out at a fixed width per character; the text code replaces it.
using MenuStripPainter =
    std::function<std::vector<Rect>(Bitmap& strip, Menu* menu)>;
void setMenuStripPainter(MenuStripPainter painter);

}  // namespace plat
