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
  // Its SDL window is hidden and kept, not destroyed while SDL may still
  // address it.
  ASSERT_NE(SDL_GetWindowFromID(id), nullptr);
  EXPECT_EQ(SDL_GetWindowFlags(SDL_GetWindowFromID(id)) & SDL_WINDOW_SHOWN, 0u);
}

// The SDL windows there are, by id.
std::vector<Uint32> sdlWindows() {
  std::vector<Uint32> ids;
  for (Uint32 id = 1; id < 256; ++id)
    if (SDL_GetWindowFromID(id)) ids.push_back(id);
  return ids;
}

Uint32 shownSdlWindow() {
  for (Uint32 id : sdlWindows())
    if (SDL_GetWindowFlags(SDL_GetWindowFromID(id)) & SDL_WINDOW_SHOWN) return id;
  return 0;
}

// A borderless popup window like a menu's, shown.
plat::Window* ShowPopup(const plat::Rect& frame) {
  auto* w = new plat::Window(frame, plat::kStyleBorderless);
  w->setLevel(plat::kLevelPopUpMenu);
  w->makeKeyAndOrderFront();
  return w;
}

struct Clicks : plat::View {
  int downs = 0;
  Clicks() : plat::View({0, 0, 300, 300}) {}
  void mouseDown(const plat::Event&) override { ++downs; }
  bool acceptsFirstMouse(const plat::Event&) override { return true; }
};

// Popups come and go many times: their SDL windows are hidden and used
// again, never destroyed under SDL (whose wake-up events go to its newest
// window); input SDL queued for an earlier owner does not reach the next.
TEST_F(Presenter, PopupsHideTheirSdlWindowsAndTheNextOneReusesThem) {
  plat::Window* first = ShowPopup({100, 100, 120, 80});
  plat::app().runOnce(0);
  const std::vector<Uint32> before = sdlWindows();
  ASSERT_EQ(before.size(), 1u);
  first->close();
  plat::app().runOnce(0);
  EXPECT_EQ(shownSdlWindow(), 0u);
  for (int i = 0; i < 20; ++i) {
    const Uint32 earlier = SDL_GetTicks();
    SDL_Delay(3);
    plat::Window* w = ShowPopup({100.0 + i, 100, 150, 60.0 + i});
    Clicks* v = new Clicks();
    w->setContentView(v);
    v->release();
    plat::app().runOnce(0);
    ASSERT_EQ(sdlWindows(), before) << i;
    const Uint32 id = shownSdlWindow();
    ASSERT_EQ(id, before[0]);
    int sw_w = 0, sw_h = 0;
    SDL_GetWindowSize(SDL_GetWindowFromID(id), &sw_w, &sw_h);
    EXPECT_EQ(sw_w, 150);
    EXPECT_EQ(sw_h, 60 + i);
    // A click from before this window showed is dropped; a new one arrives.
    SDL_Event ev;
    memset(&ev, 0, sizeof ev);
    ev.type = SDL_MOUSEBUTTONDOWN;
    ev.button.windowID = id;
    ev.button.button = SDL_BUTTON_LEFT;
    ev.button.clicks = 1;
    ev.button.x = ev.button.y = 10;
    ev.button.timestamp = earlier > 0 ? earlier : 1;
    SDL_PeepEvents(&ev, 1, SDL_ADDEVENT, 0, 0);
    plat::app().runOnce(0);
    EXPECT_EQ(v->downs, 0) << i;
    PushSdlClick(id, 10, 10);
    ASSERT_TRUE(plat::app().runUntil([&] { return v->downs == 1; }, 2.0)) << i;
    w->close();
    plat::app().runOnce(0);
    EXPECT_EQ(shownSdlWindow(), 0u);
  }
}

// A window that never becomes key (a tool tip) shows as the desktop's tool
// tip, and keys that reach its SDL window go to the key window.
TEST_F(Presenter, ToolTipsShowWithoutActivationAndPassKeysToTheKeyWindow) {
  struct Keys : plat::View {
    int keys = 0;
    Keys() : plat::View({0, 0, 200, 100}) {}
    bool acceptsFirstResponder() const override { return true; }
    void keyDown(const plat::Event&) override { ++keys; }
  };
  struct Tip : plat::Window {
    Tip() : plat::Window({300, 300, 80, 20}, plat::kStyleBorderless) {}
    bool canBecomeKeyWindow() override { return false; }
  };
  auto* main = new plat::Window({100, 100, 200, 100}, plat::kStyleTitled);
  Keys* k = new Keys();
  main->setContentView(k);
  k->release();
  main->makeKeyAndOrderFront();
  main->makeFirstResponder(k);
  plat::app().runOnce(0);
  const Uint32 mainId = shownSdlWindow();
  ASSERT_NE(mainId, 0u);
  auto* tip = new Tip();
  tip->setLevel(plat::kLevelPopUpMenu);
  tip->orderFront();
  plat::app().runOnce(0);
  EXPECT_EQ(plat::app().keyWindow(), main);
  Uint32 tipId = 0;
  for (Uint32 id : sdlWindows())
    if (id != mainId) tipId = id;
  ASSERT_NE(tipId, 0u);
  EXPECT_NE(SDL_GetWindowFlags(SDL_GetWindowFromID(tipId)) & SDL_WINDOW_TOOLTIP, 0u);
  EXPECT_EQ(SDL_GetWindowFlags(SDL_GetWindowFromID(mainId)) & SDL_WINDOW_TOOLTIP, 0u);
  SDL_Event ev;
  memset(&ev, 0, sizeof ev);
  ev.type = SDL_KEYDOWN;
  ev.key.windowID = tipId;
  ev.key.state = SDL_PRESSED;
  ev.key.keysym.scancode = SDL_SCANCODE_A;
  ev.key.keysym.sym = SDLK_a;
  SDL_PushEvent(&ev);
  ASSERT_TRUE(plat::app().runUntil([&] { return k->keys == 1; }, 2.0));
  tip->close();
  main->close();
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
