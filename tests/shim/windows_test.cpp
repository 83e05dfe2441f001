// Window handles: creation, destruction order, properties, window longs,
// lookup and enumeration, text, geometry, invalidation and mouse messages.

#include <string.h>

#include <algorithm>
#include <string>

#include "shim_fixture.h"

namespace {

class Windows : public ShimTest {
protected:
  // A top-level resizable window without a resource; its content view's
  // procedure is the recording one.
  HWND topLevel() {
    return SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)RecordingProc, 0);
  }
  HWND child(HWND parent, LPARAM param = 0) {
    return SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(0), parent, (DLGPROC)RecordingProc,
                             param);
  }
};

TEST_F(Windows, ChildWithoutResourceGetsCreateWithItsParameter) {
  HWND top = topLevel();
  HWND c = child(top, 1234);
  ASSERT_NE(c, nullptr);
  ASSERT_FALSE(g_seen.empty());
  auto it = std::find_if(g_seen.begin(), g_seen.end(),
                         [&](const Seen& s) { return s.hwnd == c && s.msg == WM_CREATE; });
  ASSERT_NE(it, g_seen.end());
  EXPECT_EQ(it->lp, 1234);
  EXPECT_FALSE(SawMessage(c, WM_INITDIALOG));  // no dialog procedure
  EXPECT_EQ(GetParent(c), top);
  RECT r;
  ASSERT_TRUE(GetClientRect(c, &r));
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 200);
  EXPECT_EQ(GetWindowLong(c, GWL_WNDPROC), (LONG_PTR)&RecordingProc);
}

TEST_F(Windows, DestroySendsParentFirstThenChildrenAndEndsInTheDestroyedState) {
  HWND top = topLevel();
  HWND a = child(top), b = child(top);
  HWND a1 = child(a);
  plat::Ref<Shim_vHarshbloom_hwnd> keepA(SHIM_Hwnd(a)), keepA1(SHIM_Hwnd(a1));
  static std::vector<int> statesDuring;
  statesDuring.clear();
  SetWindowLong(a1, GWL_WNDPROC, (LONG_PTR) + [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_DESTROY) statesDuring.push_back(SHIM_Hwnd(h)->destroyState());
    return RecordingProc(h, m, w, l);
  });
  g_seen.clear();
  EXPECT_TRUE(DestroyWindow(a));
  std::vector<HWND> order;
  for (const Seen& s : g_seen)
    if (s.msg == WM_DESTROY) order.push_back(s.hwnd);
  EXPECT_EQ(order, (std::vector<HWND>{a, a1}));
  EXPECT_EQ(statesDuring, (std::vector<int>{1}));
  EXPECT_EQ(keepA->destroyState(), 2);
  EXPECT_EQ(keepA1->destroyState(), 2);
  // Nothing reaches a destroyed view; a second destroy is refused.
  g_seen.clear();
  EXPECT_EQ(SendMessage(a, WM_USER, 0, 0), 0);
  EXPECT_FALSE(DestroyWindow(a));
  EXPECT_TRUE(g_seen.empty());
  EXPECT_EQ(GetDlgItem(top, 0), top);
  EXPECT_EQ(SHIM_View(top)->subviews().size(), 1u);  // b remains
  (void)b;
}

TEST_F(Windows, DestroyingTheContentViewClosesItsWindowAndFreesItsChildren) {
  HWND top = topLevel();
  HWND c = child(top);
  plat::Window* w = SHIM_View(top)->window();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(IsWindow(top));
  EXPECT_TRUE(IsWindow(c));
  EXPECT_TRUE(DestroyWindow(top));
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(c));
  EXPECT_TRUE(plat::app().windows().empty());
  EXPECT_EQ(SendMessage(c, WM_USER, 0, 0), 0);  // freed handles are refused, not touched
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(&g_host)));
}

// Centring moves the window a view lies in, keeping its size.
TEST_F(Windows, CenteringAViewCentresItsWindowOnTheWorkArea) {
  HWND top = topLevel();
  HWND c = child(top);
  SetWindowPos(top, nullptr, 5, 7, 400, 300, SWP_NOZORDER);
  RECT before;
  ASSERT_TRUE(GetWindowRect(c, &before));
  CenterWindow(c);
  RECT r, area;
  ASSERT_TRUE(GetWindowRect(top, &r));
  SHIM_GetViewPort(&area, &r, true);
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 300);
  EXPECT_EQ(r.left, area.left + (area.right - area.left - 400) / 2);
  EXPECT_EQ(r.top, area.top + (area.bottom - area.top - 300) / 2);
  RECT after;
  ASSERT_TRUE(GetWindowRect(c, &after));
  EXPECT_EQ(after.left - before.left, r.left - 5);  // the child moved with it
  CenterWindow(nullptr);
}

TEST_F(Windows, PropertiesKeyAtomsAndStringsApart) {
  HWND h = child(topLevel());
  const char* atom5 = reinterpret_cast<const char*>(5);
  EXPECT_EQ(EnumPropsEx(h, nullptr, 0), -1);
  EXPECT_TRUE(SetProp(h, atom5, (HANDLE)11));
  EXPECT_TRUE(SetProp(h, "5", (HANDLE)22));
  std::string key = "name";
  EXPECT_TRUE(SetProp(h, key.c_str(), (HANDLE)33));
  key = "changed";  // the layer keeps its own copy
  EXPECT_EQ(GetProp(h, atom5), (HANDLE)11);
  EXPECT_EQ(GetProp(h, "5"), (HANDLE)22);
  EXPECT_EQ(GetProp(h, "name"), (HANDLE)33);
  EXPECT_TRUE(SetProp(h, "5", (HANDLE)44));  // replaces
  static std::vector<HANDLE> visited;
  visited.clear();
  auto collect = [](HWND, const char*, HANDLE v, ULONG_PTR stopAt) -> BOOL {
    visited.push_back(v);
    return v != (HANDLE)stopAt;
  };
  EXPECT_EQ(EnumPropsEx(h, collect, 0), 1);
  EXPECT_EQ(visited, (std::vector<HANDLE>{(HANDLE)33, (HANDLE)44, (HANDLE)11}));  // newest first
  visited.clear();
  EXPECT_EQ(EnumPropsEx(h, collect, 44), 0);
  EXPECT_EQ(visited.size(), 2u);
  EXPECT_EQ(RemoveProp(h, "5"), (HANDLE)44);
  EXPECT_EQ(GetProp(h, "5"), nullptr);
  EXPECT_EQ(GetProp(h, atom5), (HANDLE)11);
}

TEST_F(Windows, WindowLongsSwapAndExtraSlotsStayInRange) {
  HWND top = topLevel();
  HWND h = child(top);
  EXPECT_EQ(SetWindowLong(h, GWL_USERDATA, 77), 0);
  EXPECT_EQ(SetWindowLong(h, GWL_USERDATA, 78), 77);
  EXPECT_EQ(GetWindowLong(h, GWL_USERDATA), 78);
  EXPECT_EQ(SetWindowLong(h, 0, 5), 0);
  EXPECT_EQ(SetWindowLong(h, 248, 6), 0);  // last slot
  EXPECT_EQ(SetWindowLong(h, 256, 7), 0);  // past the slots: not stored
  EXPECT_EQ(GetWindowLong(h, 0), 5);
  EXPECT_EQ(GetWindowLong(h, 7), 5);  // byte index / 8
  EXPECT_EQ(GetWindowLong(h, 248), 6);
  EXPECT_EQ(GetWindowLong(h, 256), 0);
  EXPECT_EQ(SetWindowLong(h, GWL_ID, 0x100000042), 0);
  EXPECT_EQ(GetWindowLong(h, GWL_ID), 0x42);  // the low 32 bits
  EXPECT_EQ(GetDlgItem(top, 0x42), h);
  EXPECT_EQ(GetWindowLong(top, GWL_STYLE), WS_CAPTION | WS_THICKFRAME);
  EXPECT_EQ(GetWindowLong(h, GWL_STYLE), 0);
  EXPECT_EQ(GetWindowLong(nullptr, GWL_USERDATA), 0);
  plat::TextView* tv = new plat::TextView();
  EXPECT_EQ(GetWindowLong(SHIM_H(tv), GWL_USERDATA), (LONG_PTR)0xDEADF00B);
  tv->release();
}

TEST_F(Windows, DialogItemsAreDirectChildrenOnly) {
  HWND top = topLevel();
  HWND c = child(top);
  HWND grand = child(c);
  SetWindowLong(c, GWL_ID, 10);
  SetWindowLong(grand, GWL_ID, 20);
  plat::ScrollView* sv = new plat::ScrollView({0, 0, 50, 50});
  plat::TextView* doc = new plat::TextView({0, 0, 50, 50});
  doc->setTag(30);
  sv->setDocumentView(doc);
  doc->release();
  SHIM_View(top)->addSubview(sv);
  sv->release();
  EXPECT_EQ(GetDlgItem(top, 10), c);
  EXPECT_EQ(GetDlgItem(top, 20), nullptr);
  EXPECT_EQ(GetDlgItem(top, 30), SHIM_H(doc));  // through the scroll view
  EXPECT_EQ(GetParent(SHIM_H(doc)), top);  // the scroll view is skipped
  EXPECT_EQ(GetDlgItem(SHIM_H(SHIM_View(top)->window()), 10), c);
  EXPECT_EQ(GetDlgItem(c, 0), c);
  // Depth first, children after their parent; a false answer stops it all.
  static std::vector<HWND> seen;
  seen.clear();
  auto proc = [](HWND h, LPARAM stop) -> BOOL {
    seen.push_back(h);
    return h != (HWND)stop;
  };
  EXPECT_TRUE(EnumChildWindows(top, proc, 0));
  EXPECT_EQ(seen, (std::vector<HWND>{c, grand, SHIM_H(doc)}));
  seen.clear();
  EXPECT_FALSE(EnumChildWindows(top, proc, (LPARAM)grand));
  EXPECT_EQ(seen, (std::vector<HWND>{c, grand}));
}

TEST_F(Windows, TextCopiesAreBoundedAndSizeZeroWritesNothing) {
  HWND top = topLevel();
  HWND c = child(top);
  std::string longText(2000, 'a');
  EXPECT_TRUE(SetDlgItemText(c, 0, longText.c_str()));
  char big[4096];
  EXPECT_TRUE(GetDlgItemText(c, 0, big, sizeof big));
  EXPECT_EQ(strlen(big), 1023u);  // the window text keeps 1023 characters
  char buf[8];
  memset(buf, 'x', sizeof buf);
  EXPECT_FALSE(GetDlgItemText(c, 0, buf, 0));
  EXPECT_EQ(buf[0], 'x');
  EXPECT_TRUE(GetDlgItemText(c, 0, buf, 1));
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[1], 'x');
  EXPECT_TRUE(GetDlgItemText(c, 0, buf, 4));
  EXPECT_STREQ(buf, "aaa");
  // UTF-8 is not cut inside a character.
  SetDlgItemText(c, 0, "ab\xC3\xA9");
  EXPECT_TRUE(GetDlgItemText(c, 0, buf, 4));
  EXPECT_STREQ(buf, "ab");
  // A content view's text is its window's title.
  SetDlgItemText(top, 0, "Title");
  EXPECT_EQ(SHIM_View(top)->window()->title(), "Title");
  EXPECT_TRUE(GetDlgItemText(top, 0, buf, sizeof buf));
  EXPECT_STREQ(buf, "Title");
  EXPECT_FALSE(GetDlgItemText(top, 99, buf, sizeof buf));
  EXPECT_STREQ(buf, "");
}

TEST_F(Windows, DialogItemIntegers) {
  HWND c = child(topLevel());
  struct Case {
    const char* text;
    int isSigned;
    int value;
    BOOL ok;
  } cases[] = {{" \t42", 1, 42, 1}, {"-5", 1, -5, 1}, {"-5", 0, 0, 0},
               {"0", 0, 0, 1},      {"abc", 1, 0, 0}, {"", 1, 0, 0}};
  for (const Case& k : cases) {
    SetDlgItemText(c, 0, k.text);
    BOOL ok = 2;
    EXPECT_EQ(GetDlgItemInt(c, 0, &ok, k.isSigned), k.value) << k.text;
    EXPECT_EQ(ok, k.ok) << k.text;
  }
  SetDlgItemInt(c, 0, -1, 0);
  char buf[32];
  GetDlgItemText(c, 0, buf, sizeof buf);
  EXPECT_STREQ(buf, "4294967295");
}

TEST_F(Windows, SetWindowPosFlags) {
  HWND top = topLevel();
  HWND c = child(top);
  struct Case {
    int flags;
    plat::Rect expect;
  } cases[] = {
      {SWP_NOZORDER, {1, 2, 3, 40}},                        // cy -40 is a height of 40
      {SWP_NOMOVE | SWP_NOSIZE, {10, 20, 30, 40}},          // 3: only the z-order
      {SWP_NOMOVE | SWP_NOZORDER, {10, 20, 3, 40}},         // 5: resize in place
      {SWP_NOSIZE | SWP_NOZORDER, {1, 2, 30, 40}},          // 6: move only
  };
  for (const Case& k : cases) {
    SHIM_View(c)->setFrame({10, 20, 30, 40});
    SetWindowPos(c, nullptr, 1, 2, 3, -40, k.flags);
    EXPECT_EQ(SHIM_View(c)->frame(), k.expect) << k.flags;
  }
  HWND b = child(top);
  plat::View* parent = SHIM_View(top);
  SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(parent->subviews().front(), SHIM_View(b));
  SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(parent->subviews().back(), SHIM_View(b));
  SetWindowPos(c, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);  // directly above b
  EXPECT_EQ(parent->subviews().back(), SHIM_View(c));
  EXPECT_EQ(GetWindow(c, GW_HWNDPREV), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), c);
  EXPECT_EQ(GetWindow(top, GW_CHILD), b);
  EXPECT_EQ(GetWindow(top, GW_HWNDFIRST), top);  // a content view has no siblings
  EXPECT_EQ(GetWindow(top, GW_HWNDNEXT), nullptr);
  // Windows keep their size inside their limits.
  plat::Window* w = SHIM_View(top)->window();
  w->setMinSize({50, 60});
  SetWindowPos(SHIM_H(w), nullptr, 5, 6, 10, 10, SWP_NOZORDER);
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 6);
  EXPECT_EQ(r.right, 55);
  EXPECT_EQ(r.bottom, 66);
}

TEST_F(Windows, ClientRectTakesTheNonClientAnswer) {
  HWND c = child(topLevel());
  SetWindowLong(c, GWL_WNDPROC, (LONG_PTR) + [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_NCCALCSIZE) {
      RECT& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(l)->rgrc[0];
      r.left += 2, r.top += 3, r.right -= 4, r.bottom -= 5;
      return 0;
    }
    return RecordingProc(h, m, w, l);
  });
  RECT r;
  GetClientRect(c, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 294);
  EXPECT_EQ(r.bottom, 192);
}

TEST_F(Windows, ShowWindowCommands) {
  HWND top = topLevel();
  HWND c = child(top);
  EXPECT_FALSE(IsWindowVisible(c));  // views start hidden
  ShowWindow(c, 5);
  EXPECT_TRUE(SHIM_View(c)->isHidden());
  ShowWindow(c, SW_SHOW);
  EXPECT_FALSE(SHIM_View(c)->isHidden());
  EXPECT_EQ(SeenMessages(c).back(), (UINT)WM_SHOWWINDOW);
  EXPECT_FALSE(IsWindowVisible(c));  // its window is not shown yet
  plat::Window* w = SHIM_View(top)->window();
  ShowWindow(SHIM_H(w), 4);
  EXPECT_FALSE(w->isVisible());
  ShowWindow(top, SW_SHOW);  // the content view shows its window too
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->isKeyWindow());
  EXPECT_TRUE(IsWindowVisible(c));
  ShowWindow(c, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(c));
}

TEST_F(Windows, InvalidateMarksTheRectangleAndTheEnclosingViews) {
  HWND top = topLevel();
  HWND c = child(top);
  HWND g = child(c);
  for (HWND h : {top, c, g}) SHIM_Hwnd(h)->setDirtyFlags(0);
  SHIM_View(g)->clearNeedsDisplay();
  RECT r{10, 50, 30, 20};
  EXPECT_TRUE(InvalidateRect(g, &r, FALSE));
  EXPECT_EQ(SHIM_View(g)->dirtyRect(), (plat::Rect{10, 20, 20, 30}));
  EXPECT_EQ(SHIM_Hwnd(g)->dirtyFlags(), 1);
  EXPECT_EQ(SHIM_Hwnd(c)->dirtyFlags(), 2);
  EXPECT_EQ(SHIM_Hwnd(top)->dirtyFlags(), 2);
  plat::MenuItem* notAView = new plat::MenuItem("x");
  EXPECT_TRUE(InvalidateRect(SHIM_H(notAView), nullptr, FALSE));
  notAView->release();
  EXPECT_FALSE(InvalidateRect(nullptr, nullptr, FALSE));
}

TEST_F(Windows, PaintingRunsTheNonClientMessagesThenPaint) {
  HWND top = topLevel();
  ShowWindow(top, SW_SHOW);
  g_seen.clear();
  InvalidateRect(top, nullptr, FALSE);
  UpdateWindow(top);
  std::vector<UINT> seen = SeenMessages(top);
  std::vector<UINT> paint;
  for (UINT m : seen)
    if (m == WM_NCCALCSIZE || m == WM_NCPAINT || m == WM_PAINT) paint.push_back(m);
  EXPECT_EQ(paint, (std::vector<UINT>{WM_NCCALCSIZE, WM_NCPAINT, WM_PAINT}));
  EXPECT_EQ(SHIM_Hwnd(top)->dirtyFlags(), 0);
}

class Mouse : public Windows {
protected:
  plat::Event click(HWND view, double x, double y, plat::EventType t) {
    plat::View* v = SHIM_View(view);
    plat::Event e;
    e.type = t;
    e.window = v->window();
    e.location = v->convertToWindow({x, y});
    e.clickCount = 1;
    return e;
  }
};

TEST_F(Mouse, ClickArrivesInClientCoordinatesAfterTheHitTest) {
  HWND top = topLevel();
  HWND c = child(top);
  ShowWindow(top, SW_SHOW);
  ShowWindow(c, SW_SHOW);
  SHIM_View(top)->window()->setFrame({0, 0, 400, 300}, false);
  SHIM_View(c)->setFrame({20, 30, 100, 100});
  g_seen.clear();
  plat::app().sendEvent(click(c, 15.5, 25.5, plat::EventType::LeftMouseDown));
  std::vector<UINT> msgs = SeenMessages(c);
  auto down = std::find(msgs.begin(), msgs.end(), (UINT)WM_LBUTTONDOWN);
  ASSERT_NE(down, msgs.end());
  EXPECT_NE(std::find(msgs.begin(), down, (UINT)WM_NCHITTEST), down);
  for (const Seen& s : g_seen)
    if (s.msg == WM_LBUTTONDOWN) {
      EXPECT_EQ(s.wp, 0u);
      EXPECT_EQ(s.lp, (25 << 16) | 15);
    }
}

TEST_F(Mouse, NonClientHitCodeTurnsTheClickNonClient) {
  HWND top = topLevel();
  HWND c = child(top);
  ShowWindow(top, SW_SHOW);
  ShowWindow(c, SW_SHOW);
  SetWindowLong(c, GWL_WNDPROC, (LONG_PTR) + [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    RecordingProc(h, m, w, l);
    return m == WM_NCHITTEST ? HTCAPTION : 0;
  });
  g_seen.clear();
  plat::app().sendEvent(click(c, 5, 5, plat::EventType::LeftMouseDown));
  bool found = false;
  for (const Seen& s : g_seen)
    if (s.msg == WM_NCLBUTTONDOWN) {
      found = true;
      EXPECT_EQ(s.wp, (WPARAM)HTCAPTION);
    }
  EXPECT_TRUE(found);
  EXPECT_FALSE(SawMessage(c, WM_LBUTTONDOWN));
}

TEST_F(Mouse, WheelCarriesSixtyPerLineInTheHighWord) {
  HWND top = topLevel();
  HWND c = child(top);
  ShowWindow(top, SW_SHOW);
  ShowWindow(c, SW_SHOW);
  g_seen.clear();
  plat::Event e = click(c, 5, 5, plat::EventType::ScrollWheel);
  e.deltaY = 1.0;
  plat::app().sendEvent(e);
  e.deltaY = -2.0;
  plat::app().sendEvent(e);
  std::vector<WPARAM> wheels;
  for (const Seen& s : g_seen)
    if (s.msg == WM_MOUSEWHEEL && s.hwnd == c) wheels.push_back(s.wp);
  ASSERT_EQ(wheels.size(), 2u);
  // Left to the default procedure, the wheel goes on to the enclosing view.
  EXPECT_TRUE(SawMessage(top, WM_MOUSEWHEEL));
  EXPECT_EQ(wheels[0], (WPARAM)(60 << 16));
  EXPECT_EQ((short)HIWORD(wheels[1]), -120);
}

// Each gesture arrives as WM_GESTURE twice: begin (wParam 0) then end, its
// record read through SHIM_GetGestureInfo while the message is delivered.
std::vector<std::pair<WPARAM, GESTUREINFO>> g_gestures;

LRESULT GestureProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  GESTUREINFO gi;
  if (m == WM_GESTURE && SHIM_GetGestureInfo(l, &gi)) g_gestures.push_back({w, gi});
  return RecordingProc(h, m, w, l);
}

TEST_F(Mouse, GesturesArriveAsBeginAndEndWithTheirArguments) {
  HWND top = topLevel();
  HWND c = child(top);
  ShowWindow(top, SW_SHOW);
  ShowWindow(c, SW_SHOW);
  SHIM_View(top)->window()->setFrame({0, 0, 400, 300}, false);
  SHIM_View(c)->setFrame({20, 30, 100, 60});
  SetWindowLong(c, GWL_WNDPROC, (LONG_PTR)GestureProc);
  struct Case {
    plat::EventType type;
    double amount;  // deltaZ, rotation, or the swipe's deltaX (deltaY when 'y')
    char axis;
    DWORD id;
    uint64_t beginArg, endArg;
    int dx, dy;  // where the end lies from the begin
  };
  const plat::EventType mag = plat::EventType::Magnify, rot = plat::EventType::Rotate,
                        swipe = plat::EventType::Swipe;
  const Case cases[] = {
      {mag, 0.25, 0, GID_ZOOM, 1024, 1280, 0, 0},
      {mag, 0.0001, 0, GID_ZOOM, 1024, 1025, 0, 0},   // rounds to 0: one step out
      {mag, -0.0001, 0, GID_ZOOM, 1024, 1023, 0, 0},  // and one step in
      {mag, 5.0, 0, GID_ZOOM, 1024, 2048, 0, 0},
      {mag, -1.0, 0, GID_ZOOM, 1024, 512, 0, 0},
      {rot, 30.0, 0, GID_ROTATE, 0, 49150, 0, 0},
      {rot, 0.0001, 0, GID_ROTATE, 0, 32768, 0, 0},
      {rot, -0.0001, 0, GID_ROTATE, 0, 32766, 0, 0},
      {rot, -90.0, 0, GID_ROTATE, 0, 0, 0, 0},
      {rot, 200.0, 0, GID_ROTATE, 0, 65535, 0, 0},
      {swipe, -1.0, 'x', GID_PAN, 0, 0, -100, 0},
      {swipe, 1.0, 'x', GID_PAN, 0, 0, 100, 0},
      {swipe, -1.0, 'y', GID_PAN, 0, 0, 0, -60},
      {swipe, 1.0, 'y', GID_PAN, 0, 0, 0, 60},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.id << " " << k.amount << " " << k.axis);
    g_gestures.clear();
    plat::Event e = click(c, 10, 10, k.type);
    if (k.type == mag) e.deltaZ = k.amount;
    if (k.type == rot) e.rotation = k.amount;
    if (k.axis == 'x') e.deltaX = k.amount;
    if (k.axis == 'y') e.deltaY = k.amount;
    plat::app().sendEvent(e);
    ASSERT_EQ(g_gestures.size(), 2u);
    const GESTUREINFO& b = g_gestures[0].second;
    const GESTUREINFO& end = g_gestures[1].second;
    EXPECT_EQ(b.cbSize, 56u);
    EXPECT_EQ(b.hwndTarget, c);
    EXPECT_EQ(b.dwID, k.id);
    EXPECT_EQ(end.dwID, k.id);
    EXPECT_EQ(b.dwFlags, (DWORD)GF_BEGIN);
    EXPECT_EQ(end.dwFlags, (DWORD)GF_END);
    EXPECT_EQ(g_gestures[0].first, 0u);
    EXPECT_EQ(b.ullArguments, k.beginArg);
    EXPECT_EQ(end.ullArguments, k.endArg);
    EXPECT_EQ(g_gestures[1].first, k.type == swipe ? 0u : (WPARAM)k.endArg);
    EXPECT_EQ(end.ptsLocation.x - b.ptsLocation.x, k.dx);
    EXPECT_EQ(end.ptsLocation.y - b.ptsLocation.y, k.dy);
  }
  // Left to the default procedure, a gesture goes on to the enclosing view.
  EXPECT_TRUE(SawMessage(top, WM_GESTURE));
  GESTUREINFO gi;
  EXPECT_FALSE(SHIM_GetGestureInfo(0, &gi));
  EXPECT_FALSE(SHIM_GetGestureInfo((LPARAM)&gi, nullptr));
}

TEST_F(Mouse, DisabledViewIgnoresLeftClicksButNotRightOnes) {
  HWND top = topLevel();
  HWND c = child(top);
  ShowWindow(top, SW_SHOW);
  ShowWindow(c, SW_SHOW);
  EnableWindow(c, FALSE);
  EXPECT_FALSE(IsWindowEnabled(c));
  g_seen.clear();
  plat::app().sendEvent(click(c, 5, 5, plat::EventType::LeftMouseDown));
  plat::app().sendEvent(click(c, 5, 5, plat::EventType::RightMouseDown));
  EXPECT_FALSE(SawMessage(c, WM_LBUTTONDOWN));
  EXPECT_TRUE(SawMessage(c, WM_RBUTTONDOWN));
  EnableWindow(c, SHIM_ENABLE_NOFOCUS);
  EXPECT_EQ(SHIM_Hwnd(c)->enabledState(), -1);
  EXPECT_FALSE(SHIM_View(c)->acceptsFirstResponder());
}

// A drag re-applies the cursor the program last set when something else
// changed it meanwhile.
TEST_F(Mouse, DragRestoresTheCursorLastSet) {
  HWND top = topLevel();
  HWND c = child(top);
  ShowWindow(top, SW_SHOW);
  ShowWindow(c, SW_SHOW);
  plat::app().sendEvent(click(c, 5, 5, plat::EventType::LeftMouseDown));
  SHIM_SetCursor(SHIM_LoadCursor(IDC_HAND));
  plat::app().setCursor(plat::Cursor::Arrow);
  g_seen.clear();
  plat::app().sendEvent(click(c, 6, 6, plat::EventType::LeftMouseDragged));
  EXPECT_TRUE(SawMessage(c, WM_MOUSEMOVE));
  EXPECT_EQ(SHIM_GetCursor(), SHIM_LoadCursor(IDC_HAND));
  plat::app().sendEvent(click(c, 6, 6, plat::EventType::LeftMouseUp));
}

// The content view's rectangle maps its own corners: for a top-down view
// the top is the window's upper screen edge.
TEST_F(Windows, ContentViewRectMapsTheContentViewCorners) {
  HWND top = topLevel();
  plat::Window* w = SHIM_WindowOf(top);
  w->setFrame({100, 200, 300, 150}, false);
  RECT wr, cr;
  ASSERT_TRUE(GetWindowRect(SHIM_H(w), &wr));
  EXPECT_EQ(std::vector<LONG>({wr.left, wr.top, wr.right, wr.bottom}),
            std::vector<LONG>({100, 200, 400, 350}));
  ASSERT_TRUE(GetWindowContentViewRect(SHIM_H(w), &cr));
  EXPECT_EQ(std::vector<LONG>({cr.left, cr.top, cr.right, cr.bottom}),
            std::vector<LONG>({100, 350, 400, 200}));
  // Given the view itself, it is the window's rectangle.
  ASSERT_TRUE(GetWindowContentViewRect(top, &cr));
  EXPECT_EQ(std::vector<LONG>({cr.left, cr.top, cr.right, cr.bottom}),
            std::vector<LONG>({100, 200, 400, 350}));
  EXPECT_FALSE(GetWindowContentViewRect(SHIM_H(w), nullptr));
}

}  // namespace
