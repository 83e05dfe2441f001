// What the desktop shows of the program beyond its windows' pictures, on
// SDL's offscreen video driver: touch gestures reaching window procedures,
// hiding the whole program, the represented document in the title bar, and
// the full-screen state standing in for hidden desktop panels.

#include <SDL.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/presenter.h"
#include "platform/window.h"
#include "shim_fixture.h"

namespace {

using Desktop = ShimOffscreenTest;

std::vector<std::pair<WPARAM, GESTUREINFO>> g_gestures;

LRESULT GestureProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  GESTUREINFO gi;
  if (m == WM_GESTURE && SHIM_GetGestureInfo(l, &gi)) g_gestures.push_back({w, gi});
  return RecordingProc(h, m, w, l);
}

HWND ShownDialog(const plat::Rect& frame, DLGPROC proc = (DLGPROC)RecordingProc) {
  HWND d = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, proc, 0);
  plat::Window* w = SHIM_View(d)->window();
  w->setFrame(frame, false);
  int before = w->displayCount();
  ShowWindow(d, SW_SHOW);
  SetFocus(d);
  plat::app().runUntil([&] { return w->displayCount() > before; }, 5.0);
  return d;
}

SDL_Window* SdlWindow() {
  for (Uint32 id = 1; id < 64; ++id)
    if (SDL_Window* sw = SDL_GetWindowFromID(id)) return sw;
  return nullptr;
}

void PushFinger(Uint32 type, SDL_FingerID id, float x, float y) {
  SDL_Event ev;
  memset(&ev, 0, sizeof ev);
  ev.type = type;
  ev.tfinger.touchId = 1;
  ev.tfinger.fingerId = id;
  ev.tfinger.x = x;
  ev.tfinger.y = y;
  SDL_PushEvent(&ev);
}

TEST_F(Desktop, PinchAndTwistOfTheFingersBecomeGestureMessages) {
  g_gestures.clear();
  HWND d = ShownDialog({100, 100, 200, 120}, (DLGPROC)GestureProc);
  ASSERT_NE(SdlWindow(), nullptr);
  // Two fingers 0.2 apart, spread by 0.02 each side from the centre: the
  // spread grows from 0.08 to 0.1, a quarter larger.
  PushFinger(SDL_FINGERDOWN, 1, 0.4f, 0.5f);
  PushFinger(SDL_FINGERDOWN, 2, 0.6f, 0.5f);
  PushFinger(SDL_FINGERMOTION, 1, 0.4f, 0.5f);
  SDL_Event ev;
  memset(&ev, 0, sizeof ev);
  ev.type = SDL_MULTIGESTURE;
  ev.mgesture.touchId = 1;
  ev.mgesture.dDist = 0.02f;
  ev.mgesture.dTheta = 0.0f;
  ev.mgesture.numFingers = 2;
  SDL_PushEvent(&ev);
  // Then a turn of 6 degrees counter-clockwise (clockwise negative in SDL).
  ev.mgesture.dDist = 0.0f;
  ev.mgesture.dTheta = float(-6.0 * M_PI / 180.0);
  SDL_PushEvent(&ev);
  ASSERT_TRUE(plat::app().runUntil([&] { return g_gestures.size() >= 4; }, 5.0));
  ASSERT_EQ(g_gestures.size(), 4u);
  EXPECT_EQ(g_gestures[0].second.dwID, DWORD(GID_ZOOM));
  EXPECT_EQ(g_gestures[0].second.dwFlags, DWORD(GF_BEGIN));
  EXPECT_EQ(g_gestures[1].second.dwFlags, DWORD(GF_END));
  // 1024 + 1024 x 0.25 (as a float of SDL's): 1280.
  EXPECT_NEAR(double(g_gestures[1].first), 1280.0, 1.0);
  EXPECT_EQ(g_gestures[2].second.dwID, DWORD(GID_ROTATE));
  // 32767 + 32767 x 6 / 60.
  EXPECT_NEAR(double(g_gestures[3].first), 32767 + 3276.0, 2.0);
  EXPECT_EQ(g_gestures[1].second.hwndTarget, d);
  DestroyWindow(d);
}

TEST_F(Desktop, HidingTheProgramMinimisesItsWindowsAndActivatingBringsThemBack) {
  HWND a = ShownDialog({100, 100, 200, 120});
  HWND b = ShownDialog({150, 150, 200, 120});
  SDL_Window* before = SdlWindow();
  SHIM_HideApp();
  EXPECT_FALSE(IsWindowVisible(a));
  EXPECT_FALSE(IsWindowVisible(b));
  EXPECT_FALSE(plat::app().isActive());
  // The desktop keeps them, to be brought back from its window list.
  EXPECT_EQ(SdlWindow(), before);
  plat::app().activate();
  EXPECT_TRUE(IsWindowVisible(a));
  EXPECT_TRUE(IsWindowVisible(b));
  // The one in front before is in front again.
  ASSERT_FALSE(plat::app().orderedWindows().empty());
  EXPECT_EQ(plat::app().orderedWindows().front(), SHIM_View(b)->window());
  DestroyWindow(b);
  DestroyWindow(a);
}

TEST_F(Desktop, TheRepresentedDocumentShowsInTheTitleBar) {
  HWND d = ShownDialog({100, 100, 200, 120});
  SHIM_View(d)->window()->setTitle("Harshbloom");
  const char* home = getenv("HOME");
  std::string saved = home ? home : "";
  setenv("HOME", "/home/tester", 1);
  struct Case {
    const char* file;
    bool edited;
    const char* title;
  } cases[] = {
      {"/data/songs/take one.fxp", false, "take one.fxp (/data/songs) - Harshbloom"},
      {"/home/tester/presets/a.fxp", true, "*a.fxp (~/presets) - Harshbloom"},
      {"/b.fxp", false, "b.fxp (/) - Harshbloom"},
      {"", false, "Harshbloom"},
  };
  for (const Case& c : cases) {
    SHIM_SetWindowRepre(d, c.file, c.edited);
    EXPECT_STREQ(SDL_GetWindowTitle(SdlWindow()), c.title);
  }
  // While a drop between its own views runs, the window keeps what it shows.
  SetProp(d, "SHIM_DisableWindowRepre", (HANDLE)1);
  SHIM_SetWindowRepre(d, "/c.fxp", false);
  EXPECT_STREQ(SDL_GetWindowTitle(SdlWindow()), "Harshbloom");
  RemoveProp(d, "SHIM_DisableWindowRepre");
  if (home) setenv("HOME", saved.c_str(), 1);
  DestroyWindow(d);
}

TEST_F(Desktop, HidingThePanelsMakesTheMainWindowFullScreen) {
  HWND d = ShownDialog({100, 100, 200, 120});
  SDL_Window* sw = SdlWindow();
  ASSERT_NE(sw, nullptr);
  // Panels that hide themselves are the desktop's own setting.
  EXPECT_FALSE(SHIM_SetAppAutoHideMenuAndDock(1));
  EXPECT_TRUE(SHIM_SetAppAutoHideMenuAndDock(2));
  EXPECT_TRUE(SDL_GetWindowFlags(sw) & SDL_WINDOW_FULLSCREEN_DESKTOP);
  // The window's own frame stays what it was.
  EXPECT_EQ(SHIM_View(d)->window()->frame().w, 200);
  EXPECT_TRUE(SHIM_SetAppAutoHideMenuAndDock(0));
  EXPECT_FALSE(SDL_GetWindowFlags(sw) & SDL_WINDOW_FULLSCREEN_DESKTOP);
  DestroyWindow(d);
}

TEST_F(ShimTest, WithoutADesktopThePanelsCannotBeHidden) {
  HWND d = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)RecordingProc, 0);
  ShowWindow(d, SW_SHOW);
  EXPECT_FALSE(SHIM_SetAppAutoHideMenuAndDock(2));
  EXPECT_TRUE(SHIM_SetAppAutoHideMenuAndDock(0));  // already the default
  // Hiding still hides: the windows leave the screen until activation.
  SHIM_HideApp();
  EXPECT_FALSE(IsWindowVisible(d));
  plat::app().activate();
  EXPECT_TRUE(IsWindowVisible(d));
  DestroyWindow(d);
}

}  // namespace
