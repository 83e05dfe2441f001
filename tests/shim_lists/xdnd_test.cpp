// Drags between the program and other X clients, on a real X server (run
// under xvfb-run): files dragged out of a window reach an XDND target of the
// test's own with their paths, a promised file is written where the target
// asks (direct save), and a drag from another client over a window reaches
// the drop hooks as enter, over and leave before any drop.

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "temp_dir.h"
#include "platform/presenter.h"
#include "shim_fixture.h"

// The X headers last: their macros would clash with names above.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string ReadProp(Display* d, ::Window w, Atom prop) {
  Atom type;
  int format;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  std::string out;
  if (XGetWindowProperty(d, w, prop, 0, 1 << 16, False, AnyPropertyType, &type, &format, &n, &after, &data) ==
          Success &&
      data)
    out.assign(reinterpret_cast<char*>(data), n);
  if (data) XFree(data);
  return out;
}

void SendClient(Display* d, ::Window to, Atom type, long l0, long l1, long l2, long l3, long l4) {
  XEvent e;
  memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = to;
  e.xclient.message_type = type;
  e.xclient.format = 32;
  e.xclient.data.l[0] = l0;
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = l3;
  e.xclient.data.l[4] = l4;
  XSendEvent(d, to, False, NoEventMask, &e);
  XFlush(d);
}

// A small XDND target: a window that accepts every drag, asks for the data
// at the drop (the direct-save file when offered and a folder is set, else
// text/uri-list) and records what it got.
class Target {
public:
  Target(int x, int y, std::string saveFolder = "") : m_folder(std::move(saveFolder)) {
    m_d = XOpenDisplay(nullptr);
    if (!m_d) return;
    m_win = XCreateSimpleWindow(m_d, DefaultRootWindow(m_d), x, y, 200, 150, 0, 0, 0xFFFFFF);
    long version = 5;
    XChangeProperty(m_d, m_win, atom("XdndAware"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&version), 1);
    XSelectInput(m_d, m_win, StructureNotifyMask);
    XMapWindow(m_d, m_win);
    XSync(m_d, False);
    m_thread = std::thread([this] { loop(); });
  }
  ~Target() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_d) XCloseDisplay(m_d);
  }
  bool ok() const { return m_d != nullptr; }
  bool done() const { return m_done; }
  std::string data() {
    std::lock_guard<std::mutex> g(m_mu);
    return m_data;
  }
  std::vector<std::string> types() {
    std::lock_guard<std::mutex> g(m_mu);
    return m_types;
  }

private:
  Atom atom(const char* n) { return XInternAtom(m_d, n, False); }

  void loop() {
    while (!m_stop) {
      while (XPending(m_d)) {
        XEvent e;
        XNextEvent(m_d, &e);
        handle(e);
      }
      Sleep(2);
    }
  }

  void handle(XEvent& e) {
    if (e.type == ClientMessage) {
      const XClientMessageEvent& m = e.xclient;
      if (m.message_type == atom("XdndEnter")) {
        m_source = ::Window(m.data.l[0]);
        std::vector<std::string> names;
        std::vector<Atom> list;
        if (m.data.l[1] & 1) {
          Atom type;
          int format;
          unsigned long n = 0, after = 0;
          unsigned char* data = nullptr;
          XGetWindowProperty(m_d, m_source, atom("XdndTypeList"), 0, 64, False, XA_ATOM, &type, &format, &n,
                             &after, &data);
          for (unsigned long i = 0; data && i < n; ++i) list.push_back(reinterpret_cast<unsigned long*>(data)[i]);
          if (data) XFree(data);
        } else {
          for (int i = 2; i < 5; ++i)
            if (m.data.l[i]) list.push_back(Atom(m.data.l[i]));
        }
        for (Atom a : list) {
          char* s = XGetAtomName(m_d, a);
          names.push_back(s ? s : "");
          if (s) XFree(s);
        }
        std::lock_guard<std::mutex> g(m_mu);
        m_types = names;
      } else if (m.message_type == atom("XdndPosition")) {
        SendClient(m_d, m_source, atom("XdndStatus"), long(m_win), 1, 0, 0, long(atom("XdndActionCopy")));
      } else if (m.message_type == atom("XdndDrop")) {
        bool direct = false;
        for (const std::string& t : types()) direct = direct || t == "XdndDirectSave0";
        if (direct && !m_folder.empty()) {
          // Where the file is to go, in the source's own property.
          std::string name = ReadProp(m_d, m_source, atom("XdndDirectSave0"));
          std::string uri = "file://localhost" + m_folder + "/" + name;
          XChangeProperty(m_d, m_source, atom("XdndDirectSave0"), atom("text/plain"), 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(uri.data()), int(uri.size()));
          XConvertSelection(m_d, atom("XdndSelection"), atom("XdndDirectSave0"), atom("TEST_DATA"), m_win,
                            Time(m.data.l[2]));
        } else {
          XConvertSelection(m_d, atom("XdndSelection"), atom("text/uri-list"), atom("TEST_DATA"), m_win,
                            Time(m.data.l[2]));
        }
        XFlush(m_d);
      }
    } else if (e.type == SelectionNotify && e.xselection.requestor == m_win) {
      std::string got = e.xselection.property == None ? "<none>" : ReadProp(m_d, m_win, atom("TEST_DATA"));
      {
        std::lock_guard<std::mutex> g(m_mu);
        m_data = got;
      }
      SendClient(m_d, m_source, atom("XdndFinished"), long(m_win), 1, long(atom("XdndActionCopy")), 0, 0);
      m_done = true;
    }
  }

  Display* m_d = nullptr;
  ::Window m_win = 0, m_source = 0;
  std::string m_folder;
  std::thread m_thread;
  std::atomic<bool> m_stop{false}, m_done{false};
  std::mutex m_mu;
  std::string m_data;
  std::vector<std::string> m_types;
};

class XDnd : public ShimTest {
protected:
  void SetUp() override {
    ShimTest::SetUp();
    plat::app().useVirtualClock(false);
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (run under xvfb-run)";
    std::string error;
    plat::Presenter* p = plat::createSdlPresenter("x11", &error);
    ASSERT_NE(p, nullptr) << error;
    plat::app().setPresenter(p);
    m_pointer = XOpenDisplay(nullptr);
    ASSERT_NE(m_pointer, nullptr);
  }
  void TearDown() override {
    if (m_pointer) {
      XTestFakeButtonEvent(m_pointer, 1, False, CurrentTime);
      XCloseDisplay(m_pointer);
    }
    ShimTest::TearDown();
  }

  // A dialog whose top-left corner shows at (50, 100) of the screen.
  HWND Source(DLGPROC proc = (DLGPROC)RecordingProc) {
    HWND d = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, proc, 0);
    plat::Window* w = SHIM_View(d)->window();
    double screenH = plat::app().screens()[0].frame.h;
    w->setFrame({50, screenH - 100 - 150, 200, 150}, false);
    int before = w->displayCount();
    ShowWindow(d, SW_SHOW);
    plat::app().runUntil([&] { return w->displayCount() > before; }, 10.0);
    plat::app().runFor(0.3);
    return d;
  }

  // Presses the button inside the source, then (on another thread) moves the
  // pointer over the target in steps and lets go.
  std::thread PressAndDragTo(int tx, int ty) {
    XTestFakeMotionEvent(m_pointer, -1, 120, 160, CurrentTime);
    XTestFakeButtonEvent(m_pointer, 1, True, CurrentTime);
    XSync(m_pointer, False);
    Sleep(100);
    return std::thread([this, tx, ty] {
      for (int i = 1; i <= 10; ++i) {
        Sleep(40);
        XTestFakeMotionEvent(m_pointer, -1, 120 + (tx - 120) * i / 10, 160 + (ty - 160) * i / 10, CurrentTime);
        XSync(m_pointer, False);
      }
      Sleep(300);
      XTestFakeMotionEvent(m_pointer, -1, tx + 1, ty + 1, CurrentTime);
      XSync(m_pointer, False);
      Sleep(300);
      XTestFakeButtonEvent(m_pointer, 1, False, CurrentTime);
      XSync(m_pointer, False);
    });
  }

  Display* m_pointer = nullptr;
};

TEST_F(XDnd, FilesDraggedOutArriveAsAUriList) {
  Target target(500, 300);
  ASSERT_TRUE(target.ok());
  HWND d = Source();
  std::thread mover = PressAndDragTo(600, 370);
  RECT r = {10, 10, 40, 40};
  const char* files[] = {"/tmp/take one.wav", "/tmp/b.wav"};
  EXPECT_TRUE(SHIM_InitiateDragDropOfFileList(d, &r, files, 2, nullptr));
  mover.join();
  plat::app().runUntil([&] { return target.done(); }, 10.0);
  ASSERT_TRUE(target.done());
  EXPECT_EQ(target.data(), "file:///tmp/take%20one.wav\r\nfile:///tmp/b.wav\r\n");
  std::vector<std::string> t = target.types();
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t[0], "text/uri-list");
  DestroyWindow(d);
}

std::string g_written;
void WriteTake(const char* path) {
  g_written = path;
  if (FILE* f = fopen(path, "w")) {
    fputs("take", f);
    fclose(f);
  }
}

TEST_F(XDnd, APromisedFileIsWrittenWhereTheTargetAsks) {
  TempDir dir;
  std::string folder = dir.path("");
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  Target target(500, 300, folder);
  ASSERT_TRUE(target.ok());
  HWND d = Source();
  g_written.clear();
  std::thread mover = PressAndDragTo(600, 370);
  RECT r = {10, 10, 40, 40};
  EXPECT_TRUE(SHIM_InitiateDragDrop(d, &r, "/somewhere/take 7.wav", WriteTake));
  mover.join();
  plat::app().runUntil([&] { return target.done(); }, 10.0);
  ASSERT_TRUE(target.done());
  EXPECT_EQ(target.data(), "S");  // saved
  EXPECT_EQ(g_written, folder + "/take 7.wav");
  struct stat st;
  EXPECT_EQ(stat((folder + "/take 7.wav").c_str(), &st), 0);
  std::vector<std::string> t = target.types();
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t[0], "XdndDirectSave0");
  DestroyWindow(d);
}

// The drop hooks see the drag while it moves.
std::vector<std::string> g_steps;
void OnEnter(HDROP rec, POINT) {
  std::string s = "enter";
  char buf[256];
  if (rec && DragQueryFile(rec, 0, buf, sizeof buf)) s += std::string(" ") + buf;
  g_steps.push_back(s);
}
void OnOver(POINT) {
  if (g_steps.empty() || g_steps.back() != "over") g_steps.push_back("over");
}
void OnLeave() { g_steps.push_back("leave"); }

TEST_F(XDnd, ADragFromAnotherProgramEntersMovesAndLeaves) {
  HWND d = Source();
  SHIM_Hwnd(d)->shimSetExtendedStyle(WS_EX_ACCEPTFILES);
  SDL_Window* sw = nullptr;
  for (Uint32 id = 1; id < 64 && !sw; ++id) sw = SDL_GetWindowFromID(id);
  ASSERT_NE(sw, nullptr);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  ASSERT_TRUE(SDL_GetWindowWMInfo(sw, &info));
  ::Window target = info.info.x11.window;
  g_steps.clear();
  SHIM_DDrop_onDragEnter = OnEnter;
  SHIM_DDrop_onDragOver = OnOver;
  SHIM_DDrop_onDragLeave = OnLeave;

  // The other program: a source window that owns the drag selection and
  // answers with one file.
  std::atomic<bool> stop{false};
  std::thread other([&] {
    Display* x = XOpenDisplay(nullptr);
    ::Window src = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 10, 10, 0, 0, 0);
    Atom sel = XInternAtom(x, "XdndSelection", False), uri = XInternAtom(x, "text/uri-list", False);
    XSetSelectionOwner(x, sel, src, CurrentTime);
    SendClient(x, target, XInternAtom(x, "XdndEnter", False), long(src), 5L << 24, long(uri), 0, 0);
    auto serve = [&](int ms) {
      for (int t = 0; t < ms; t += 5) {
        while (XPending(x)) {
          XEvent e;
          XNextEvent(x, &e);
          if (e.type != SelectionRequest) continue;
          const XSelectionRequestEvent& q = e.xselectionrequest;
          std::string text = "file:///tmp/loop%201.wav\r\n";
          XChangeProperty(x, q.requestor, q.property, q.target, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
          XEvent r;
          memset(&r, 0, sizeof r);
          r.xselection.type = SelectionNotify;
          r.xselection.requestor = q.requestor;
          r.xselection.selection = q.selection;
          r.xselection.target = q.target;
          r.xselection.property = q.property;
          r.xselection.time = q.time;
          XSendEvent(x, q.requestor, False, NoEventMask, &r);
          XFlush(x);
        }
        Sleep(5);
      }
    };
    serve(200);
    for (int i = 0; i < 3; ++i) {
      // Root coordinates inside the window (its top-left is at 50, 100).
      SendClient(x, target, XInternAtom(x, "XdndPosition", False), long(src), 0, ((90L + i) << 16) | 150,
                 CurrentTime, long(XInternAtom(x, "XdndActionCopy", False)));
      serve(150);
    }
    SendClient(x, target, XInternAtom(x, "XdndLeave", False), long(src), 0, 0, 0, 0);
    while (!stop) serve(20);
    XDestroyWindow(x, src);
    XCloseDisplay(x);
  });
  bool left = plat::app().runUntil([&] { return !g_steps.empty() && g_steps.back() == "leave"; }, 10.0);
  stop = true;
  other.join();
  SHIM_DDrop_onDragEnter = nullptr;
  SHIM_DDrop_onDragOver = nullptr;
  SHIM_DDrop_onDragLeave = nullptr;
  ASSERT_TRUE(left);
  EXPECT_EQ(g_steps, (std::vector<std::string>{"enter /tmp/loop 1.wav", "over", "leave"}));
  DestroyWindow(d);
}

}  // namespace
