// Files the desktop drops on a window, as SDL reports them, reach the
// window procedure as one WM_DROPFILES record.

#include <SDL.h>
#include <string.h>

#include <string>
#include <vector>

#include "shim_fixture.h"

namespace {

std::vector<std::string> g_dropped;
int g_drops = 0;

LRESULT DropProc(HWND, UINT msg, WPARAM wp, LPARAM) {
  if (msg != WM_DROPFILES) return 0;
  ++g_drops;
  HDROP d = (HDROP)wp;
  for (UINT i = 0; i < DragQueryFile(d, 0xFFFFFFFFu, nullptr, 0); ++i) {
    char buf[256];
    DragQueryFile(d, i, buf, sizeof buf);
    g_dropped.push_back(buf);
  }
  return 0;
}

void Push(Uint32 type, Uint32 windowID, const char* file) {
  SDL_Event ev;
  memset(&ev, 0, sizeof ev);
  ev.type = type;
  ev.drop.windowID = windowID;
  ev.drop.file = file ? SDL_strdup(file) : nullptr;
  SDL_PushEvent(&ev);
}

using DesktopDrops = ShimOffscreenTest;

TEST_F(DesktopDrops, TwoFilesFromTheDesktopArriveAsOneRecord) {
  g_dropped.clear();
  g_drops = 0;
  HWND d = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)DropProc, 0);
  SHIM_Hwnd(d)->shimSetExtendedStyle(WS_EX_ACCEPTFILES);
  plat::Window* w = SHIM_View(d)->window();
  w->setFrame({100, 100, 200, 120}, false);
  int before = w->displayCount();
  ShowWindow(d, SW_SHOW);
  ASSERT_TRUE(plat::app().runUntil([&] { return w->displayCount() > before; }, 2.0));
  Uint32 id = 0;
  for (Uint32 i = 1; i < 64 && !id; ++i)
    if (SDL_GetWindowFromID(i)) id = i;
  ASSERT_NE(id, 0u);
  Push(SDL_DROPBEGIN, id, nullptr);
  Push(SDL_DROPFILE, id, "/home/user/take one.wav");
  Push(SDL_DROPFILE, id, "/home/user/take two.wav");
  Push(SDL_DROPCOMPLETE, id, nullptr);
  ASSERT_TRUE(plat::app().runUntil([&] { return g_drops > 0; }, 2.0));
  EXPECT_EQ(g_drops, 1);
  EXPECT_EQ(g_dropped, (std::vector<std::string>{"/home/user/take one.wav", "/home/user/take two.wav"}));
  DestroyWindow(d);
}

}  // namespace
