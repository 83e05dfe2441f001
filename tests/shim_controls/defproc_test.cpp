// The default window procedure, capture, dropped files, the clipboard and
// the desktop services.

#include <string.h>

#include "controls_fixture.h"
#include "platform/workspace.h"

namespace {

using Defaults = GeneratedDialog;

TEST_F(Defaults, DefaultAnswers) {
  make({{"__SHIM_LABEL", -1, "Label", 1, 10, 10, 80, 16, 0}});
  EXPECT_EQ(DefWindowProc(dlg, WM_KEYDOWN, 'A', 0), 69);
  EXPECT_EQ(DefWindowProc(dlg, WM_KEYUP, 'A', 0), 69);
  EXPECT_EQ(DefWindowProc(dlg, WM_USER + 5, 0, 0), 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(22), 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1600);
  // Hit test: inside the window's screen rectangle is the client area.
  RECT r;
  GetWindowRect(dlg, &r);
  int top = std::max(r.top, r.bottom), bottom = std::min(r.top, r.bottom);
  LPARAM inside = MAKELPARAM(r.left + 5, bottom + 5);
  LPARAM outside = MAKELPARAM(r.left - 5, bottom + 5);
  EXPECT_EQ(DefWindowProc(dlg, WM_NCHITTEST, 0, inside), HTCLIENT);
  EXPECT_EQ(DefWindowProc(dlg, WM_NCHITTEST, 0, outside), HTNOWHERE);
  EXPECT_EQ(DefWindowProc(dlg, WM_NCHITTEST, 0, MAKELPARAM(r.left + 5, top)), HTNOWHERE);
  // A right button release asks for a context menu with the screen point.
  g_seen.clear();
  EXPECT_EQ(DefWindowProc(dlg, WM_RBUTTONUP, 0, MAKELPARAM(20, 15)), 1);
  POINT pt{20, 15};
  ClientToScreen(dlg, &pt);
  bool asked = false;
  for (const Seen& s : g_seen)
    if (s.msg == WM_CONTEXTMENU) {
      asked = true;
      EXPECT_EQ(s.lp, MAKELPARAM(pt.x, pt.y));
      EXPECT_EQ(s.wp, (WPARAM)GetDlgItem(dlg, 1));  // the label under the point
    }
  EXPECT_TRUE(asked);
  // Wheel messages go up to the first enclosing window view.
  HWND child = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(0), dlg, (DLGPROC)RecordingProc, 0);
  g_seen.clear();
  DefWindowProc(child, WM_MOUSEWHEEL, 120 << 16, 0);
  EXPECT_TRUE(SawMessage(dlg, WM_MOUSEWHEEL));
}

TEST_F(Defaults, CaptureNotifiesTheHolderThatLosesIt) {
  make({});
  HWND a = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(0), dlg, (DLGPROC)RecordingProc, 0);
  HWND b = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(0), dlg, (DLGPROC)RecordingProc, 0);
  g_seen.clear();
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(SetCapture(a), a);
  EXPECT_FALSE(SawMessage(a, WM_CAPTURECHANGED));
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_TRUE(SawMessage(a, WM_CAPTURECHANGED));
  ReleaseCapture();
  EXPECT_TRUE(SawMessage(b, WM_CAPTURECHANGED));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Defaults, DroppedFileNamesAreReadWithinTheirBuffers) {
  const char* names[] = {"/a/one.wav", "/b/two.aif", "/c/three.fxp"};
  HDROP h = SHIM_Internal_MakeDropBlock(names, 3, POINT{12, 34}, false);
  EXPECT_EQ(DragQueryFile(h, 0xFFFFFFFFu, nullptr, 0), 3u);
  EXPECT_EQ(DragQueryFile(h, 3, nullptr, 0), 0u);
  EXPECT_EQ(DragQueryFile(h, 1, nullptr, 0), 10u);
  char buf[8];
  memset(buf, '#', sizeof buf);
  EXPECT_EQ(DragQueryFile(h, 1, buf, 0), 10u);  // no room: nothing written
  EXPECT_EQ(buf[0], '#');
  EXPECT_EQ(DragQueryFile(h, 1, buf, 6), 5u);
  EXPECT_STREQ(buf, "/b/tw");
  char full[64];
  EXPECT_EQ(DragQueryFile(h, 2, full, sizeof full), 12u);
  EXPECT_STREQ(full, "/c/three.fxp");
  POINT p;
  EXPECT_EQ(DragQueryPoint(h, &p), 1u);
  EXPECT_EQ(p.x, 12);
  EXPECT_EQ(p.y, 34);
  EXPECT_EQ(DragQueryFile(nullptr, 0, full, sizeof full), 0u);
  DragFinish(h);
  GlobalFree(h);
  HDROP nc = SHIM_Internal_MakeDropBlock(names, 1, POINT{0, 0}, true);
  EXPECT_EQ(DragQueryPoint(nc, &p), 0u);
  GlobalFree(nc);
}

HANDLE block(const std::string& bytes) {
  HANDLE h = GlobalAlloc(0, int(bytes.size()));
  memcpy(h, bytes.data(), bytes.size());
  return h;
}

TEST_F(Defaults, ClipboardRoundTripsTextAndPrivateFormats) {
  OpenClipboard(nullptr);
  UINT text = RegisterClipboardFormat("SHIM__CF_TEXT");
  EXPECT_EQ(text, 1u);
  EXPECT_EQ(RegisterClipboardFormat("SHIM__CF_TEXT"), 1u);
  UINT preset = RegisterClipboardFormat("harshbloom.preset");
  EXPECT_EQ(preset, 2u);
  EmptyClipboard();
  SetClipboardData(text, block(std::string("drive 0.5\0junk", 14)));
  SetClipboardData(preset, block(std::string("\x01\x00\x02", 3)));
  CloseClipboard();
  EXPECT_EQ(plat::app().clipboardText(), "drive 0.5");  // the desktop sees the text
  OpenClipboard(nullptr);
  EXPECT_EQ(EnumClipboardFormats(0), text);
  EXPECT_EQ(EnumClipboardFormats(text), preset);
  EXPECT_EQ(EnumClipboardFormats(preset), 0u);
  HANDLE t = GetClipboardData(text);
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(static_cast<const char*>(t), "drive 0.5");
  HANDLE d = GetClipboardData(preset);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(GlobalSize(d), 3u);
  EXPECT_EQ(std::string(static_cast<const char*>(d), 3), std::string("\x01\x00\x02", 3));
  EXPECT_EQ(GetClipboardData(99), nullptr);
  CloseClipboard();
  // Text another program put there is found too.
  plat::app().setClipboardText("from elsewhere");
  OpenClipboard(nullptr);
  HANDLE e = GetClipboardData(text);
  ASSERT_NE(e, nullptr);
  EXPECT_STREQ(static_cast<const char*>(e), "from elsewhere");
  CloseClipboard();
}

TEST_F(Defaults, ShellRequestsGoToTheDesktop) {
  std::vector<std::vector<std::string>> ran;
  plat::setCommandRunner([&](const std::vector<std::string>& argv) {
    ran.push_back(argv);
    return true;
  });
  EXPECT_TRUE(ShellExecute(nullptr, "open", "HTTP://example.org/x", nullptr, nullptr, 1));
  EXPECT_TRUE(ShellExecute(nullptr, "open", "notepad", "/tmp/readme.txt", nullptr, 1));
  EXPECT_TRUE(ShellExecute(nullptr, "open", "explorer.exe", "/select,\"/tmp/dir/file.wav\"", nullptr, 1));
  EXPECT_TRUE(ShellExecute(nullptr, "open", "/tmp/doc.pdf", nullptr, nullptr, 1));
  EXPECT_TRUE(ShellExecute(nullptr, "open", "Editor.app", nullptr, nullptr, 1));
  EXPECT_FALSE(ShellExecute(nullptr, "open", "explorer.exe", "explorer.exe", nullptr, 1));
  plat::setCommandRunner(nullptr);
  std::vector<std::vector<std::string>> want = {
      {"xdg-open", "HTTP://example.org/x"}, {"xdg-open", "/tmp/readme.txt"},
      {"xdg-open", "/tmp/dir"},             {"xdg-open", "/tmp/doc.pdf"},
      {"Editor.app"},
  };
  EXPECT_EQ(ran, want);
  // Without the helper the request fails plainly.
  EXPECT_FALSE(plat::launchApplication("no-such-program-here"));
}

TEST_F(Defaults, FindingAndScrollingChildWindows) {
  make({{"__SHIM_LABEL", -1, "Gain", 1, 10, 10, 80, 16, 0},
        {"__SHIM_BUTTON", 0, "Gain", 2, 10, 40, 80, 24, 0}});
  EXPECT_EQ(FindWindowEx(dlg, nullptr, nullptr, "Gain"), GetDlgItem(dlg, 1));
  EXPECT_EQ(FindWindowEx(dlg, GetDlgItem(dlg, 1), nullptr, "Gain"), GetDlgItem(dlg, 2));
  EXPECT_EQ(FindWindowEx(dlg, GetDlgItem(dlg, 1), "static", "Gain"), nullptr);
  EXPECT_EQ(FindWindowEx(nullptr, nullptr, nullptr, "Generated"), dlg);
  EXPECT_EQ(FindWindowEx(nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_FALSE(ScrollWindow(dlg, 0, 0, nullptr, nullptr));
  EXPECT_TRUE(ScrollWindow(dlg, 5, -3, nullptr, nullptr));
  EXPECT_EQ(SHIM_View(GetDlgItem(dlg, 2))->frame().x, 15);
  EXPECT_EQ(SHIM_View(GetDlgItem(dlg, 2))->frame().y, 37);
  POINT p{20, 50};
  ClientToScreen(dlg, &p);
  EXPECT_EQ(WindowFromPoint(p), GetDlgItem(dlg, 2));
  PAINTSTRUCT ps;
  EXPECT_EQ(BeginPaint(dlg, &ps), nullptr);  // outside a paint
  EXPECT_EQ(BeginPaint(dlg, nullptr), nullptr);
}

TEST_F(Defaults, FocusOverlayFollowsAndGoes) {
  make({});
  void* overlay = nullptr;
  RECT r{10, 10, 60, 40};
  SHIM_DrawFocusRect(dlg, &r, &overlay);
  ASSERT_NE(overlay, nullptr);
  auto* w = static_cast<plat::Window*>(static_cast<plat::Object*>(overlay));
  EXPECT_EQ(w->frame().w, 50);
  EXPECT_EQ(w->frame().h, 30);
  EXPECT_EQ(w->parentWindow(), SHIM_View(dlg)->window());
  RECT r2{20, 10, 60, 40};
  SHIM_DrawFocusRect(dlg, &r2, &overlay);
  EXPECT_EQ(static_cast<plat::Object*>(overlay), static_cast<plat::Object*>(w));  // moved
  EXPECT_EQ(w->frame().w, 40);
  SHIM_DrawFocusRect(dlg, nullptr, &overlay);
  EXPECT_EQ(overlay, nullptr);
}

}  // namespace
