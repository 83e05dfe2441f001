// A host for looking at the layer's services on a real desktop, and the
// program the accessibility test questions:
//   services_demo [seconds [picture.png]]
// opens a window with a few controls, a view drawn with OpenGL (a coloured
// triangle on dark blue) and a level meter that describes its two channels
// to assistive technologies. It says "ready" on standard output once shown,
// and reads commands on standard input: "focus edit", "focus meter",
// "quit". With a picture path it saves the window's picture on the way out.

#include <GL/gl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "keep_gl_drivers.h"
#include "platform/accessibility.h"
#include "platform/presenter.h"
#include "shim-paint.h"
#include "shim.h"

namespace {

HWND g_main = nullptr, g_edit = nullptr, g_meter = nullptr;
plat::AccessibleElement *g_level = nullptr, *g_right = nullptr;
std::string g_input;
bool g_inputOpen = true;

LRESULT GLProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    glClearColor(0.08f, 0.1f, 0.25f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_TRIANGLES);
    glColor3f(1, 0.3f, 0.2f);
    glVertex2f(-0.8f, -0.8f);
    glColor3f(0.2f, 0.9f, 0.3f);
    glVertex2f(0.8f, -0.8f);
    glColor3f(0.3f, 0.4f, 1);
    glVertex2f(0, 0.8f);
    glEnd();
    return 0;
  }
  return DefWindowProc(h, msg, wp, lp);
}

LRESULT MeterProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_GETOBJECT && wp == SHIM_OBJID_ACCESSIBLE && lp) {
    *reinterpret_cast<plat::Object**>(lp) = g_level;
    return 0;
  }
  if (msg == WM_PAINT) {
    plat::DrawContext* ctx = SHIM_Internal_GetDrawContext((HDC)wp);
    if (ctx) {
      ctx->fillRect({0, 0, 180, 60}, 0xFF202020);
      ctx->fillRect({8, 8, 120, 18}, 0xFF3CB043);
      ctx->fillRect({8, 34, 90, 18}, 0xFF3CB043);
    }
    return 0;
  }
  return DefWindowProc(h, msg, wp, lp);
}

HWND Child(HWND parent, DLGPROC proc, int x, int y, int w, int h) {
  HWND c = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(0), parent, proc, 0);
  SetWindowPos(c, nullptr, x, y, w, h, SWP_NOZORDER);
  ShowWindow(c, SW_SHOW);
  return c;
}

void Build(HWND view, int) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, view, false, false);
  SHIM_MakeLabel(-1, "Gain", 10, 20, 22, 60, 18, 0);
  g_edit = SHIM_MakeEditField(11, 80, 20, 110, 22, 0);
  SHIM_MakeCheckBox("Loud", 12, 20, 56, 120, 18, 0);
  SHIM_MakeButton(1, "OK", IDOK, 20, 90, 80, 26, 0);
  HWND gl = Child(view, (DLGPROC)GLProc, 220, 20, 180, 120);
  SHIM_SetViewGL(gl, true);
  g_meter = Child(view, (DLGPROC)MeterProc, 20, 150, 180, 60);
  plat::View* mv = SHIM_View(g_meter);
  g_level = new plat::AccessibleElement(mv, plat::AccessibleRole::Canvas, "Level meter", {0, 0, 180, 60});
  auto* l = new plat::AccessibleElement(mv, plat::AccessibleRole::LevelIndicator, "Left channel", {0, 0, 180, 30});
  g_right = new plat::AccessibleElement(mv, plat::AccessibleRole::LevelIndicator, "Right channel", {0, 30, 180, 30});
  g_level->addChild(l);
  g_level->addChild(g_right);
  l->release();
  g_right->release();
  g_level->setFocusedChild(g_right);
}

SHIM_DialogResourceIndex g_res = {(const char*)(INT_PTR)1, "Services check",
                                  SHIM_DLGFLAG_FLIPPED | SHIM_DLGFLAG_OPAQUE, Build, 420, 230, nullptr};

INT_PTR MainProc(HWND h, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) {
    SetDlgItemText(h, 11, "0 dB");
    return 1;
  }
  if (msg == WM_CLOSE || (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL)) {
    DestroyWindow(h);
    SHIM_PostQuitMessage(nullptr);
    return 1;
  }
  return 0;
}

void Command(const std::string& line) {
  plat::Window* w = g_main ? SHIM_View(g_main)->window() : nullptr;
  if (line == "quit") {
    SHIM_PostQuitMessage(nullptr);
  } else if (w && line == "focus edit") {
    SetFocus(g_edit);
  } else if (w && line == "focus meter") {
    w->makeFirstResponder(SHIM_View(g_meter));
  }
  printf("did %s\n", line.c_str());
  fflush(stdout);
}

// Commands arrive on standard input while the run loop turns.
void PollInput() {
  pollfd p{0, POLLIN, 0};
  while (g_inputOpen && poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP))) {
    char buf[256];
    ssize_t n = read(0, buf, sizeof buf);
    if (n <= 0) {
      g_inputOpen = false;  // no more commands; run on
      return;
    }
    g_input.append(buf, size_t(n));
    size_t eol;
    while ((eol = g_input.find('\n')) != std::string::npos) {
      std::string line = g_input.substr(0, eol);
      g_input.erase(0, eol + 1);
      Command(line);
    }
  }
}

}  // namespace

INT_PTR SHIMAppMain(int msg, INT_PTR, INT_PTR) {
  if (msg != SHIMAPPMSG_DID_FINISH_LAUNCHING) return 0;
  g_main = SHIM_CreateDialog(&g_res, (const char*)(INT_PTR)1, nullptr, MainProc, 0);
  ShowWindow(g_main, SW_SHOW);
  return 0;
}

int main(int argc, char** argv) {
  double seconds = argc > 1 ? atof(argv[1]) : 0;
  keepGLDriversLoaded();
  SHIM_ExtendedAPI("APPNAME", (void*)"Harshbloom services check");
  bool shown = plat::startPresenterFromEnvironment();
  SHIM_StartApplication();
  plat::app().runFor(0.2);
  printf("ready %s accessibility %s\n", shown ? "shown" : "not-shown",
         plat::accessibilityBridgeRunning() ? "on" : "off");
  fflush(stdout);
  plat::app().addTimer(0.02, true, PollInput);
  if (seconds > 0)
    plat::app().runFor(seconds);
  else
    plat::app().run();
  if (argc > 2 && g_main && IsWindow(g_main))
    SHIM_View(g_main)->window()->backing().savePNG(argv[2]);
  if (g_level) g_level->release();
  return 0;
}
