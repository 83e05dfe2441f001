// A small host for looking at the layer on a real desktop:
//   window_demo [seconds]
// opens a main window with a menu strip and painted child views, runs for the
// given time (default: until closed), and says on standard output when its
// window is on screen.

#include <stdio.h>
#include <stdlib.h>

#include "platform/presenter.h"
#include "shim-paint.h"
#include "shim.h"

namespace {

HWND g_main = nullptr;

LRESULT BarProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    plat::DrawContext* ctx = SHIM_Internal_GetDrawContext((HDC)wp);
    RECT r;
    GetClientRect(h, &r);
    uint32_t base = 0xFF000000u | uint32_t(GetWindowLong(h, GWL_USERDATA));
    if (ctx) {
      ctx->fillRect({0, 0, double(r.right), double(r.bottom)}, base);
      ctx->strokeRect({0, 0, double(r.right), double(r.bottom)}, 0xFF202020);
    }
    return 0;
  }
  if (msg == WM_LBUTTONDOWN) {
    SetWindowLong(h, GWL_USERDATA, GetWindowLong(h, GWL_USERDATA) ^ 0xFFFFFF);
    InvalidateRect(h, nullptr, FALSE);
  }
  return DefWindowProc(h, msg, wp, lp);
}

void buildMain(HWND view, int) {
  const uint32_t colors[] = {0xC0392B, 0x27AE60, 0x2980B9, 0xF39C12};
  for (int i = 0; i < 4; ++i) {
    HWND bar = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(0), view, (DLGPROC)BarProc, 0);
    SetWindowLong(bar, GWL_USERDATA, colors[i]);
    SetWindowPos(bar, nullptr, 20 + i * 150, 40, 130, 280, SWP_NOZORDER);
    ShowWindow(bar, SW_SHOW);
  }
}

SHIM_DialogResourceIndex g_res = {(const char*)1, "Harshbloom window check", 2 | 4 | 16,
                                  buildMain, 650, 360, nullptr};

INT_PTR MainProc(HWND h, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) return 1;
  if (msg == WM_CLOSE || (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL)) {
    DestroyWindow(h);
    SHIM_PostQuitMessage(nullptr);
    return 1;
  }
  return 0;
}

}  // namespace

INT_PTR SHIMAppMain(int msg, INT_PTR, INT_PTR) {
  if (msg != SHIMAPPMSG_DID_FINISH_LAUNCHING) return 0;
  plat::Menu* bar = new plat::Menu();
  for (const char* title : {"File", "Edit", "View", "Help"}) {
    plat::MenuItem* item = new plat::MenuItem(title);
    plat::Menu* sub = new plat::Menu(title);
    item->setSubmenu(sub);
    sub->release();
    bar->addItem(item);
    item->release();
  }
  SHIM_SetDefaultWindowMenu((HMENU) static_cast<plat::Object*>(bar));
  g_main = SHIM_CreateDialog(&g_res, (const char*)1, nullptr, MainProc, 0);
  ShowWindow(g_main, SW_SHOW);
  return 0;
}

int main(int argc, char** argv) {
  double seconds = argc > 1 ? atof(argv[1]) : 0;
  bool shown = plat::startPresenterFromEnvironment();
  SHIM_StartApplication();
  plat::app().runOnce(0);
  printf("window %s\n", shown ? "shown" : "not shown");
  fflush(stdout);
  if (seconds > 0)
    plat::app().runFor(seconds);
  else
    plat::app().run();
  if (argc > 2 && g_main && IsWindow(g_main))
    SHIM_View(g_main)->window()->backing().savePNG(argv[2]);
  return 0;
}
