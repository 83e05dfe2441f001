// Dialogs from registered resources: modeless, child and modal, their
// initial focus, window events and owned windows.

#include <string.h>

#include "shim_fixture.h"

namespace {

// Controls built into every dialog: an editable field with id 100 and a
// button with id 101.
void buildControls(HWND view, int) {
  plat::View* v = SHIM_View(view);
  plat::TextField* field = new plat::TextField({10, 10, 100, 20});
  field->setTag(100);
  v->addSubview(field);
  field->release();
  plat::Button* b = new plat::Button({10, 40, 80, 20});
  b->setTag(101);
  v->addSubview(b);
  b->release();
}

SHIM_DialogResourceIndex g_child = {(const char*)3, nullptr, 1 | 4, buildControls, 200, 100, nullptr};
SHIM_DialogResourceIndex g_dialog = {(const char*)2, "Settings", 4 | 16, buildControls, 320, 240,
                                     &g_child};
SHIM_DialogResourceIndex g_main = {(const char*)1, "Main", 2 | 4 | 16, buildControls, 650, 830,
                                   &g_dialog};

INT_PTR g_initAnswer;
INT_PTR g_endFromInit;  // > 0: EndDialog with it during WM_INITDIALOG
HWND g_initFocus;

INT_PTR DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  g_seen.push_back({h, msg, wp, lp});
  if (msg == WM_INITDIALOG) {
    g_initFocus = (HWND)wp;
    if (g_endFromInit) EndDialog(h, g_endFromInit);
    return g_initAnswer;
  }
  if (msg == WM_TIMER) {
    KillTimer(h, wp);
    EndDialog(h, 42);
    return 1;
  }
  return 0;
}

class Dialogs : public ShimTest {
protected:
  void SetUp() override {
    ShimTest::SetUp();
    g_initAnswer = 1;
    g_endFromInit = 0;
    g_initFocus = nullptr;
  }
};

TEST_F(Dialogs, ModelessDialogFromAResource) {
  HWND d = SHIM_CreateDialog(&g_main, (const char*)1, nullptr, DialogProc, 99);
  ASSERT_NE(d, nullptr);
  plat::Window* w = SHIM_View(d)->window();
  ASSERT_NE(dynamic_cast<Shim_vHarshbloom_modelesswindow*>(w), nullptr);
  EXPECT_EQ(w->title(), "Main");
  EXPECT_EQ(w->frame().w, 650);
  EXPECT_EQ(w->frame().h, 830);
  EXPECT_TRUE(w->styleMask() & plat::kStyleResizable);
  EXPECT_TRUE(SHIM_View(d)->isFlipped());
  EXPECT_TRUE(SHIM_View(d)->isOpaque());
  // Placed 50 right of the viewport's left and 100 below its top.
  EXPECT_EQ(w->frame().x, 50);
  EXPECT_EQ(w->frame().y, 1200 - 100 - 830);
  EXPECT_EQ(g_initFocus, GetDlgItem(d, 100));  // the first control that takes focus
  EXPECT_EQ(w->firstResponder(), SHIM_View(GetDlgItem(d, 100)));
  EXPECT_EQ(SHIM_Hwnd(d)->shimCreateWindowFlags(), int(w->styleMask()));
  // Not yet visible: showing it makes it key.
  EXPECT_FALSE(w->isVisible());
  ShowWindow(d, SW_SHOWNA);
  EXPECT_TRUE(w->isKeyWindow());
}

TEST_F(Dialogs, InitDialogAnswerDecidesTheFocus) {
  g_initAnswer = SHIM_INITDIALOG_FOCUS_SELF;
  HWND d = SHIM_CreateDialog(&g_main, (const char*)2, nullptr, DialogProc, 0);
  EXPECT_EQ(SHIM_View(d)->window()->firstResponder(), SHIM_View(d));
  g_initAnswer = 0;
  HWND e = SHIM_CreateDialog(&g_main, (const char*)2, nullptr, DialogProc, 0);
  // A zero answer still focuses the first control of a fresh window.
  EXPECT_EQ(SHIM_View(e)->window()->firstResponder(), SHIM_View(GetDlgItem(e, 100)));
}

TEST_F(Dialogs, ResourceIdsAndParentsChooseTheKind) {
  HWND main = SHIM_CreateDialog(&g_main, (const char*)1, nullptr, DialogProc, 0);
  HWND child = SHIM_CreateDialog(&g_main, (const char*)3, main, DialogProc, 0);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(GetParent(child), main);
  EXPECT_EQ(SHIM_Hwnd(child)->shimCreateWindowFlags(), 15);
  // A child resource without a parent view gets a window of its own.
  HWND lone = SHIM_CreateDialog(&g_main, (const char*)3, nullptr, DialogProc, 0);
  EXPECT_TRUE(SHIM_IsContentView(SHIM_View(lone)));
  EXPECT_EQ(SHIM_CreateDialog(&g_main, (const char*)77, nullptr, DialogProc, 0), nullptr);
  HWND plain = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(0), main, DialogProc, 0);
  EXPECT_FALSE(SHIM_IsContentView(SHIM_View(plain)));
  HWND top = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), main, DialogProc, 0);
  plat::Window* tw = SHIM_View(top)->window();
  ASSERT_TRUE(SHIM_IsContentView(SHIM_View(top)));
  EXPECT_EQ(tw->styleMask(), unsigned(plat::kStyleTitled | plat::kStyleResizable |
                                      plat::kStyleMiniaturizable | plat::kStyleClosable));
  // The main window owns it: it floats one level up and names its owner.
  EXPECT_EQ(GetParent(top), main);
  EXPECT_EQ(tw->level(), SHIM_View(main)->window()->level() + 1);
  EXPECT_EQ(GetWindow(top, GW_OWNER), SHIM_H(SHIM_View(main)->window()));
}

TEST_F(Dialogs, OwnedWindowsDieWithTheirOwner) {
  HWND main = SHIM_CreateDialog(&g_main, (const char*)1, nullptr, DialogProc, 0);
  HWND owned = SHIM_CreateDialog(&g_main, (const char*)2, main, DialogProc, 0);
  EXPECT_TRUE(IsWindow(owned));
  g_seen.clear();
  DestroyWindow(main);
  EXPECT_FALSE(IsWindow(owned));
  EXPECT_TRUE(plat::app().windows().empty());
  std::vector<HWND> destroyed;
  for (const Seen& s : g_seen)
    if (s.msg == WM_DESTROY) destroyed.push_back(s.hwnd);
  ASSERT_EQ(destroyed.size(), 2u);
  EXPECT_EQ(destroyed[0], main);  // the owner's procedure hears it first
}

TEST_F(Dialogs, ModalDialogEndedDuringInitReturnsWithoutALoop) {
  g_endFromInit = 7;
  EXPECT_EQ(SHIM_DialogBox(&g_main, (const char*)2, nullptr, DialogProc, 0), 7);
  EXPECT_TRUE(plat::app().windows().empty());
}

TEST_F(Dialogs, ModalDialogWhoseProcedureEndsItReturnsTheResult) {
  static HWND dlg;
  g_initAnswer = 1;
  dlg = nullptr;
  auto proc = [](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> INT_PTR {
    if (msg == WM_INITDIALOG) {
      dlg = h;
      SetTimer(h, 1, 30, nullptr);
      EXPECT_EQ(plat::app().modalWindow(), nullptr);
    }
    if (msg == WM_TIMER) {
      EXPECT_EQ(plat::app().modalWindow(), SHIM_View(h)->window());
    }
    return DialogProc(h, msg, wp, lp);
  };
  HWND main = SHIM_CreateDialog(&g_main, (const char*)1, nullptr, DialogProc, 0);
  double start = plat::app().now();
  EXPECT_EQ(SHIM_DialogBox(&g_main, (const char*)2, main, proc, 0), 42);
  EXPECT_NEAR(plat::app().now() - start, 0.03, 1e-6);
  EXPECT_TRUE(SawMessage(dlg, WM_DESTROY));
  EXPECT_EQ(plat::app().windows().size(), 1u);  // only the main window is left
  EXPECT_EQ(SHIM_DialogBox(&g_main, (const char*)3, main, DialogProc, 0), -1);  // child kind
  EXPECT_EQ(SHIM_DialogBox(&g_main, (const char*)9, main, DialogProc, 0), -1);  // missing
}

TEST_F(Dialogs, EndDialogOnAModelessWindowOnlyRecords) {
  HWND d = SHIM_CreateDialog(&g_main, (const char*)2, nullptr, DialogProc, 0);
  EndDialog(d, 5);
  EXPECT_TRUE(IsWindow(d));
  EndDialog(nullptr, 5);
}

TEST_F(Dialogs, CloseButtonAsksTheProcedureThenCancels) {
  HWND d = SHIM_CreateDialog(&g_main, (const char*)2, nullptr, DialogProc, 0);
  plat::Window* w = SHIM_View(d)->window();
  g_seen.clear();
  w->performClose();
  EXPECT_FALSE(w->isClosed());  // closing is the procedure's business
  std::vector<UINT> msgs = SeenMessages(d);
  ASSERT_GE(msgs.size(), 2u);
  EXPECT_EQ(msgs[0], (UINT)WM_CLOSE);
  EXPECT_EQ(msgs[1], (UINT)WM_COMMAND);
  EXPECT_EQ(g_seen[1].wp, (WPARAM)IDCANCEL);
}

TEST_F(Dialogs, MinMaxAnswersLimitUserResizes) {
  static LONG maxAnswer;
  auto proc = [](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> INT_PTR {
    if (msg == WM_GETMINMAXINFO) {
      MINMAXINFO* m = reinterpret_cast<MINMAXINFO*>(lp);
      m->ptMinTrackSize = POINT{100, 120};
      m->ptMaxTrackSize = POINT{maxAnswer, 900};
      return 1;
    }
    return DialogProc(h, msg, wp, lp);
  };
  HWND d = SHIM_CreateDialog(&g_main, (const char*)1, nullptr, proc, 0);
  plat::Window* w = SHIM_View(d)->window();
  w->setMaxSize({1000, 1000});
  maxAnswer = 2000000;
  EXPECT_EQ(w->effectiveMinSize().w, 100);
  EXPECT_EQ(w->effectiveMinSize().h, 120);
  EXPECT_EQ(w->effectiveMaxSize().w, 1000);  // the answer is out of range: own value
  EXPECT_EQ(w->effectiveMaxSize().h, 900);
  maxAnswer = 700;
  EXPECT_EQ(w->effectiveMaxSize().w, 700);
}

TEST_F(Dialogs, WindowEventsBecomeMessages) {
  HWND d = SHIM_CreateDialog(&g_main, (const char*)2, nullptr, DialogProc, 0);
  HWND e = SHIM_CreateDialog(&g_main, (const char*)2, nullptr, DialogProc, 0);
  plat::Window* w = SHIM_View(d)->window();
  ShowWindow(d, SW_SHOW);
  g_seen.clear();
  w->setFrame({30, 40, 330, 250}, false);
  EXPECT_TRUE(SawMessage(d, WM_SIZE));
  bool moved = false;
  for (const Seen& s : g_seen)
    if (s.msg == WM_MOVE) moved = s.lp == ((40 << 16) | 30);
  EXPECT_TRUE(moved);
  ShowWindow(e, SW_SHOW);  // e becomes key: d hears it resign, e hears d was before
  bool resigned = false, activatedWithPrev = false;
  for (const Seen& s : g_seen) {
    if (s.hwnd == d && s.msg == WM_ACTIVATE && s.wp == 0) resigned = true;
    if (s.hwnd == e && s.msg == WM_ACTIVATE && s.wp == 1 && s.lp == (LPARAM)d)
      activatedWithPrev = true;
  }
  EXPECT_TRUE(resigned);
  EXPECT_TRUE(activatedWithPrev);
}

TEST_F(Dialogs, KeyWindowShowsItsMenu) {
  plat::Menu* m = new plat::Menu("bar");
  plat::Menu* dflt = new plat::Menu("default");
  SHIM_SetDefaultWindowMenu((HMENU)static_cast<plat::Object*>(dflt));
  HWND d = SHIM_CreateDialog(&g_main, (const char*)2, nullptr, DialogProc, 0);
  SHIM_Hwnd(d)->shimSetMenu((HMENU)static_cast<plat::Object*>(m));
  HWND e = SHIM_CreateDialog(&g_main, (const char*)2, nullptr, DialogProc, 0);
  ShowWindow(d, SW_SHOW);
  EXPECT_EQ(plat::app().mainMenu(), m);
  ShowWindow(e, SW_SHOW);
  EXPECT_EQ(plat::app().mainMenu(), dflt);
  // The menu's commands come back to the view.
  plat::MenuItem* item = new plat::MenuItem("Go", 0x1234);
  m->addItem(item);
  g_seen.clear();
  plat::Menu::performItem(item);
  item->release();
  ASSERT_TRUE(SawMessage(d, WM_COMMAND));
  EXPECT_EQ(g_seen.back().wp, 0x1234u);
  DestroyWindow(d);
  m->release();
  dflt->release();
}

}  // namespace
