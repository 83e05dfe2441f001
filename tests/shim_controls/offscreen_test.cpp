// A generated dialog on SDL's offscreen video driver: it shows its controls,
// takes a click on its OK button that SDL delivers, and ends with the
// result the button gave it. No display is needed.

#include <SDL.h>
#include <stdlib.h>
#include <string.h>

#include "controls_fixture.h"
#include "sdl_click.h"
#include "platform/presenter.h"

namespace {

const SHIM_DlgGenEntry kEntries[] = {
    {"__SHIM_LABEL", -1, "Input gain", 10, 10, 12, 80, 16, 0},
    {"__SHIM_EDIT", 0, nullptr, 11, 100, 10, 120, 20, 0},
    {"__SHIM_CHECKBOX", 0, "Bypass", 12, 10, 40, 120, 16, 0},
    {"__SHIM_BUTTON", 0, "Cancel", IDCANCEL, 60, 80, 80, 24, 0},
    {"__SHIM_BUTTON", 1, "OK", IDOK, 150, 80, 80, 24, 0},
};

void Build(HWND view, int) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, view, false, true);
  SHIM_GenerateDialogFromList(kEntries, 5);
}

SHIM_DialogResourceIndex g_res = {(const char*)(INT_PTR)900, "Settings", SHIM_DLGFLAG_FLIPPED, Build,
                                  240, 120, nullptr};

INT_PTR DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  RecordingProc(h, msg, wp, lp);
  if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
    EndDialog(h, 42);
    return 1;
  }
  if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) {
    EndDialog(h, 7);
    return 1;
  }
  return 0;
}

using Offscreen = ShimOffscreenTest;

TEST_F(Offscreen, AClickOnAGeneratedDialogsButtonEndsItWithItsResult) {
  bool clicked = false;
  plat::Bitmap shown;
  // Once the dialog is on screen, press and release the mouse over OK.
  plat::app().addTimer(0.1, false, [&] {
    plat::Window* w = plat::app().modalWindow();
    ASSERT_NE(w, nullptr);
    shown = w->backing();
    Uint32 id = 0;
    for (Uint32 i = 1; i < 64 && !id; ++i)
      if (SDL_GetWindowFromID(i)) id = i;
    ASSERT_NE(id, 0u);
    PushSdlClick(id, 190, 92);
    clicked = true;
  });
  // Never wait forever.
  plat::app().addTimer(3.0, false, [] {
    if (plat::Window* w = plat::app().modalWindow()) EndDialog(SHIM_H(w->contentView()), -5);
  });
  INT_PTR r = SHIM_DialogBox(&g_res, g_res.resid, nullptr, DialogProc, 0);
  EXPECT_TRUE(clicked);
  EXPECT_EQ(r, 42);
  // The dialog showed its controls: dark text on the label and the buttons,
  // the default button in its accent colour.
  ASSERT_EQ(shown.width(), 240);
  auto count = [&](int x0, int y0, int x1, int y1, bool (*pred)(uint32_t)) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += pred(shown.pixel(x, y));
    return n;
  };
  auto dark = [](uint32_t p) { return (p & 0xFF) < 0x60 && ((p >> 16) & 0xFF) < 0x60; };
  auto blue = [](uint32_t p) { return (p & 0xFF) > 0xB0 && ((p >> 16) & 0xFF) < 0x60; };
  EXPECT_GT(count(10, 12, 90, 28, dark), 20);   // "Input gain"
  EXPECT_GT(count(62, 82, 138, 102, dark), 20);  // "Cancel"
  EXPECT_GT(count(152, 82, 228, 102, blue), 500);  // the default button
  if (const char* out = getenv("HB_SCREENSHOT")) shown.savePNG(out);
}

}  // namespace
