// A dialog on SDL's offscreen video driver: it opens, draws into its window,
// receives a click that SDL delivers, and closes from the close button.

#include <SDL.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "platform/presenter.h"
#include "shim-paint.h"
#include "sdl_click.h"
#include "shim_fixture.h"

namespace {

LRESULT PaintingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = RecordingProc(h, msg, wp, lp);
  if (msg == WM_PAINT) {
    // Red square at (20, 30), 40 x 20, in the flipped view's coordinates.
    if (plat::DrawContext* ctx = SHIM_Internal_GetDrawContext((HDC)wp))
      ctx->fillRect({20, 30, 40, 20}, 0xFFFF0000);
  }
  if (msg == WM_CLOSE) {
    DestroyWindow(h);
    return 1;
  }
  return r;
}

using Presenter = ShimOffscreenTest;

Uint32 sdlWindowOf(plat::Window*) {
  // The test's window is the only SDL window there is.
  for (Uint32 id = 1; id < 64; ++id)
    if (SDL_GetWindowFromID(id)) return id;
  return 0;
}

TEST_F(Presenter, WindowOpensDrawsTakesAClickAndCloses) {
  HWND d = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)PaintingProc, 0);
  plat::Window* w = SHIM_View(d)->window();
  w->setFrame({100, 100, 200, 120}, false);
  int before = w->displayCount();
  ShowWindow(d, SW_SHOW);
  ASSERT_TRUE(plat::app().runUntil([&] { return w->displayCount() > before; }, 2.0));
  EXPECT_EQ(w->backing().pixel(25, 35), 0xFFFF0000u);
  EXPECT_EQ(w->backing().pixel(10, 10) & 0xFFFFFF, 0xECECECu);  // dialog background
  Uint32 id = sdlWindowOf(w);
  ASSERT_NE(id, 0u);
  SDL_Window* sw = SDL_GetWindowFromID(id);
  int sw_w = 0, sw_h = 0;
  SDL_GetWindowSize(sw, &sw_w, &sw_h);
  EXPECT_EQ(sw_w, 200);
  EXPECT_EQ(sw_h, 120);
  // What SDL shows is the backing bitmap.
  SDL_Surface* surf = SDL_GetWindowSurface(sw);
  ASSERT_NE(surf, nullptr);
  Uint32 px = 0;
  SDL_LockSurface(surf);
  memcpy(&px, static_cast<Uint8*>(surf->pixels) + 35 * surf->pitch + 25 * 4, 4);
  SDL_UnlockSurface(surf);
  Uint8 r, g, b;
  SDL_GetRGB(px, surf->format, &r, &g, &b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);

  g_seen.clear();
  PushSdlClick(id, 30, 40);
  ASSERT_TRUE(plat::app().runUntil([&] { return SawMessage(d, WM_LBUTTONUP); }, 2.0));
  for (const Seen& s : g_seen) {
    if (s.msg == WM_LBUTTONDOWN) {
      EXPECT_EQ(s.lp, (40 << 16) | 30);
    }
  }
  EXPECT_TRUE(SawMessage(d, WM_LBUTTONDOWN));

  SDL_Event ev;
  memset(&ev, 0, sizeof ev);
  ev.type = SDL_WINDOWEVENT;
  ev.window.windowID = id;
  ev.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&ev);
  ASSERT_TRUE(plat::app().runUntil([&] { return plat::app().windows().empty(); }, 2.0));
  EXPECT_EQ(sdlWindowOf(nullptr), 0u);
}

// A menu bar with one "File" title, made the application's menu; the caller
// releases it.
plat::Menu* InstallFileMenuBar() {
  plat::Menu* bar = new plat::Menu();
  plat::MenuItem* file = new plat::MenuItem("File");
  bar->addItem(file);
  file->release();
  SHIM_SetDefaultWindowMenu((HMENU)static_cast<plat::Object*>(bar));
  return bar;
}

// A painting dialog with the given frame, shown.
HWND ShowDialog(const plat::Rect& frame) {
  HWND d = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)PaintingProc, 0);
  SHIM_View(d)->window()->setFrame(frame, false);
  ShowWindow(d, SW_SHOW);
  return d;
}

TEST_F(Presenter, MenuStripSitsAboveTheMainWindow) {
  plat::Menu* bar = InstallFileMenuBar();
  HWND d = ShowDialog({100, 100, 200, 120});
  plat::Window* w = SHIM_View(d)->window();
  plat::app().runOnce(0);
  EXPECT_EQ(plat::app().mainMenu(), bar);
  int sw_w = 0, sw_h = 0;
  SDL_GetWindowSize(SDL_GetWindowFromID(sdlWindowOf(w)), &sw_w, &sw_h);
  EXPECT_EQ(sw_h, 120 + plat::kMenuStripHeight);
  bar->release();
}

// A second window that becomes main (a message box, a dialog) leaves the strip
// where it was: the program's window keeps its height, the other gets none.
TEST_F(Presenter, MenuStripStaysOnTheFirstMainWindow) {
  plat::Menu* bar = InstallFileMenuBar();
  HWND d = ShowDialog({100, 100, 200, 120});
  plat::app().runOnce(0);
  HWND d2 = ShowDialog({150, 150, 150, 90});
  plat::Window* w2 = SHIM_View(d2)->window();
  w2->makeKeyAndOrderFront();
  plat::app().runOnce(0);
  ASSERT_EQ(plat::app().mainWindow(), w2);
  std::vector<int> heights;
  for (Uint32 id = 1; id < 64; ++id)
    if (SDL_Window* sw = SDL_GetWindowFromID(id)) {
      int sw_w = 0, sw_h = 0;
      SDL_GetWindowSize(sw, &sw_w, &sw_h);
      heights.push_back(sw_h);
    }
  std::sort(heights.begin(), heights.end());
  EXPECT_EQ(heights, (std::vector<int>{90, 120 + plat::kMenuStripHeight}));
  DestroyWindow(d2);
  DestroyWindow(d);
  bar->release();
}

}  // namespace
