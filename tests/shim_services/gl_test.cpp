// OpenGL on window views, on a real presenter: under an X server (run by
// xvfb-run) and on SDL's offscreen driver. A child view draws with GL; its
// pixels land in the window's picture where the view is.

#include <SDL.h>
#include <SDL_opengl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include "platform/gl_context.h"
#include "keep_gl_drivers.h"
#include "platform/presenter.h"
#include "shim-dragdrop.h"
#include "shim_fixture.h"

namespace {

class KeepGLDriversLoaded : public ::testing::Environment {
public:
  void SetUp() override { keepGLDriversLoaded(); }
};
const auto* const kKeepDrivers = ::testing::AddGlobalTestEnvironment(new KeepGLDriversLoaded);

// What the GL view's procedure saw while painting.
struct GLPaint {
  int paints = 0;
  bool currentInPaint = false;
  GLint viewport[4] = {};
  float r = 0.2f, g = 0.4f, b = 0.6f;
} g_gl;

LRESULT GLViewProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    ++g_gl.paints;
    g_gl.currentInPaint = plat::GLContext::current() != nullptr &&
                          plat::GLContext::current() == SHIM_Hwnd(h)->shimGetGLContext();
    glGetIntegerv(GL_VIEWPORT, g_gl.viewport);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(g_gl.r, g_gl.g, g_gl.b, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // The lower left quarter in red: GL's rows run bottom up.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, g_gl.viewport[2] / 2, g_gl.viewport[3] / 2);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    return 0;
  }
  return DefWindowProc(h, msg, wp, lp);
}

class GLViews : public ShimTest {
protected:
  void SetUp() override {
    ShimTest::SetUp();
    g_gl = GLPaint();
    plat::app().useVirtualClock(false);
    const char* display = getenv("DISPLAY");
    std::string error;
    plat::Presenter* p = plat::createSdlPresenter(display && *display ? nullptr : "offscreen", &error);
    ASSERT_NE(p, nullptr) << error;
    plat::app().setPresenter(p);
    dlg = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)RecordingProc, 0);
    win = SHIM_View(dlg)->window();
    win->setFrame({100, 100, 200, 120}, false);
    child = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(0), dlg, (DLGPROC)GLViewProc, 0);
    SetWindowPos(child, nullptr, 20, 30, 80, 40, SWP_NOZORDER);
    ShowWindow(child, SW_SHOW);
  }
  // Shows the window (once) and waits for a display pass after `before`.
  void Display() {
    int before = win->displayCount();
    if (!win->isVisible()) ShowWindow(dlg, SW_SHOW);
    InvalidateRect(dlg, nullptr, FALSE);
    ASSERT_TRUE(plat::app().runUntil([&] { return win->displayCount() > before; }, 10.0));
  }
  uint32_t At(int x, int y) { return win->backing().pixel(x, y); }

  HWND dlg = nullptr, child = nullptr;
  plat::Window* win = nullptr;
};

TEST_F(GLViews, AChildViewsGLPixelsLandInTheWindowsPicture) {
  SHIM_SetViewGL(child, true);
  ASSERT_TRUE(SHIM_GetViewGL(child)) << "no GL context could be made here";
  Display();
  ASSERT_GT(g_gl.paints, 0);
  EXPECT_TRUE(g_gl.currentInPaint);
  EXPECT_EQ(plat::GLContext::current(), nullptr) << "cleared after painting";
  EXPECT_EQ(g_gl.viewport[2], 80);
  EXPECT_EQ(g_gl.viewport[3], 40);
  // View (20, 30) .. (100, 70): upper half blue-grey, lower left quarter red.
  EXPECT_EQ(At(22, 32), 0xFF336699u);
  EXPECT_EQ(At(98, 68), 0xFF336699u);
  EXPECT_EQ(At(22, 68), 0xFFFF0000u);
  EXPECT_EQ(At(59, 51), 0xFFFF0000u);
  EXPECT_EQ(At(61, 51), 0xFF336699u);
  // Around the view: the dialog as it was.
  EXPECT_EQ(At(19, 50) & 0xFFFFFF, 0xECECECu);
  EXPECT_EQ(At(100, 50) & 0xFFFFFF, 0xECECECu);
  EXPECT_EQ(At(50, 29) & 0xFFFFFF, 0xECECECu);
  EXPECT_EQ(At(50, 70) & 0xFFFFFF, 0xECECECu);

  // What the presenter shows is that picture.
  SDL_Window* shown = nullptr;
  for (Uint32 id = 1; id < 64 && !shown; ++id)
    if (SDL_Window* s = SDL_GetWindowFromID(id))
      if (!(SDL_GetWindowFlags(s) & SDL_WINDOW_HIDDEN)) shown = s;
  ASSERT_NE(shown, nullptr);
  SDL_Surface* surf = SDL_GetWindowSurface(shown);
  ASSERT_NE(surf, nullptr);
  Uint32 px = 0;
  SDL_LockSurface(surf);
  memcpy(&px, static_cast<Uint8*>(surf->pixels) + 68 * surf->pitch + 22 * 4, 4);
  SDL_UnlockSurface(surf);
  Uint8 r, g, b;
  SDL_GetRGB(px, surf->format, &r, &g, &b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 0);

  // A new size: the framebuffer follows the view.
  SetWindowPos(child, nullptr, 10, 10, 50, 30, SWP_NOZORDER);
  Display();
  EXPECT_EQ(g_gl.viewport[2], 50);
  EXPECT_EQ(g_gl.viewport[3], 30);
  EXPECT_EQ(At(12, 38), 0xFFFF0000u);
  EXPECT_EQ(At(58, 12), 0xFF336699u);
}

TEST_F(GLViews, ContextsAreMadeCurrentAndTakenAway) {
  EXPECT_FALSE(SHIM_GetViewGL(child));
  EXPECT_FALSE(SHIM_SetGLContextToView(child)) << "no context yet";
  SHIM_SetViewGL(child, true);
  ASSERT_TRUE(SHIM_GetViewGL(child));
  plat::GLContext* ctx = SHIM_Hwnd(child)->shimGetGLContext();
  EXPECT_TRUE(SHIM_SetGLContextToView(child));
  EXPECT_EQ(plat::GLContext::current(), ctx);
  EXPECT_FALSE(SHIM_SetGLContextToView(nullptr));
  EXPECT_EQ(plat::GLContext::current(), nullptr);

  // Turning GL off while current leaves nothing current.
  EXPECT_TRUE(SHIM_SetGLContextToView(child));
  SHIM_SetViewGL(child, false);
  EXPECT_FALSE(SHIM_GetViewGL(child));
  EXPECT_FALSE(plat::Object::isLive(ctx));
  EXPECT_EQ(plat::GLContext::current(), nullptr);
  // Other windows and foreign handles are left alone.
  SHIM_SetViewGL(nullptr, true);
  EXPECT_FALSE(SHIM_GetViewGL(nullptr));
  EXPECT_FALSE(SHIM_SetGLContextToView((HWND)&g_gl));
}

TEST_F(GLViews, DrawingBetweenGetDCAndReleaseDCShows) {
  SHIM_SetViewGL(child, true);
  ASSERT_TRUE(SHIM_GetViewGL(child));
  Display();
  HDC dc = GetDC(child);
  ASSERT_NE(dc, nullptr);
  ASSERT_TRUE(SHIM_SetGLContextToView(child));
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(At(50, 50), 0xFFFF0000u) << "nothing shows before ReleaseDC";
  ReleaseDC(child, dc);
  EXPECT_EQ(plat::GLContext::current(), nullptr);
  EXPECT_EQ(At(22, 32), 0xFF00FF00u);
  EXPECT_EQ(At(98, 68), 0xFF00FF00u);
  EXPECT_EQ(At(19, 50) & 0xFFFFFF, 0xECECECu);
}

TEST_F(GLViews, AViewDestroyedWithItsContextLeavesNothingCurrent) {
  SHIM_SetViewGL(child, true);
  ASSERT_TRUE(SHIM_GetViewGL(child));
  plat::GLContext* ctx = SHIM_Hwnd(child)->shimGetGLContext();
  ASSERT_TRUE(SHIM_SetGLContextToView(child));
  DestroyWindow(dlg);
  plat::app().runFor(0.05);
  SHIM_ShutdownForTests();
  EXPECT_FALSE(plat::Object::isLive(ctx));
  EXPECT_EQ(plat::GLContext::current(), nullptr);
}

}  // namespace
