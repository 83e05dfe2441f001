// Accessibility questions to window views, without any bus: each goes to
// the window procedure as WM_GETOBJECT first, and the object it provides
// answers hit tests and focus, joins the children (cached in the view's six
// slots) and stands in for a view without subviews.

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "shim_fixture.h"

namespace {

using plat::AccessibleElement;
using plat::AccessibleRole;
using plat::Object;

// What each view's procedure answers, and what it was asked.
struct Answers {
  std::map<HWND, Object*> objects;
  std::map<HWND, int> asked;
  bool badQuestion = false;
} g_ans;

LRESULT AnsweringProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_GETOBJECT) {
    Object** slot = reinterpret_cast<Object**>(lp);
    if (wp != SHIM_OBJID_ACCESSIBLE || !slot || *slot) g_ans.badQuestion = true;
    ++g_ans.asked[h];
    auto it = g_ans.objects.find(h);
    if (it != g_ans.objects.end() && slot) *slot = it->second;
    return 0;
  }
  return DefWindowProc(h, msg, wp, lp);
}

class Access : public ShimTest {
protected:
  void SetUp() override {
    ShimTest::SetUp();
    g_ans = Answers();
    dlg = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)AnsweringProc, 0);
    win = SHIM_View(dlg)->window();
    win->setFrame({100, 100, 300, 200}, false);
    ShowWindow(dlg, SW_SHOW);
    meter = Child(dlg, 10, 10, 100, 40);
    group = Child(dlg, 10, 80, 200, 100);
    button = new plat::Button({5, 5, 60, 20});
    button->setTitle("OK");
    SHIM_View(group)->addSubview(button);
    button->release();
    // Level meter with two channels side by side, in the meter's coordinates.
    level = new AccessibleElement(SHIM_View(meter), AccessibleRole::LevelIndicator, "Level", {0, 0, 100, 40});
    left = new AccessibleElement(SHIM_View(meter), AccessibleRole::LevelIndicator, "Left", {0, 0, 50, 40});
    right = new AccessibleElement(SHIM_View(meter), AccessibleRole::LevelIndicator, "Right", {50, 0, 50, 40});
    level->addChild(left);
    level->addChild(right);
    left->release();
    right->release();
  }
  void TearDown() override {
    ShimTest::TearDown();
    level->release();
  }
  HWND Child(HWND parent, int x, int y, int w, int h) {
    HWND c = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(0), parent, (DLGPROC)AnsweringProc, 0);
    SetWindowPos(c, nullptr, x, y, w, h, SWP_NOZORDER);
    ShowWindow(c, SW_SHOW);
    return c;
  }
  // A screen point (bottom-left origin) at a point of a view (flipped,
  // top-left origin).
  plat::Point Screen(HWND view, double x, double y) {
    plat::View* v = SHIM_View(view);
    return win->convertToScreen(v->convertToWindow({x, y}));
  }
  Shim_vHarshbloom_hwnd* H(HWND h) { return SHIM_Hwnd(h); }

  HWND dlg = nullptr, meter = nullptr, group = nullptr;
  plat::Window* win = nullptr;
  plat::Button* button = nullptr;
  AccessibleElement *level = nullptr, *left = nullptr, *right = nullptr;
};

TEST_F(Access, AViewWithoutSubviewsGivesWayToItsProceduresObject) {
  using List = std::vector<Object*>;
  // No object: the view is a panel of its own.
  EXPECT_FALSE(plat::accessibleIsIgnored(H(meter)));
  EXPECT_EQ(plat::accessibleRole(H(meter)), AccessibleRole::Panel);
  EXPECT_GT(g_ans.asked[meter], 0);
  EXPECT_EQ(plat::unignoredObjects(plat::accessibleVisibleChildren(win)), (List{H(meter), H(group)}));

  g_ans.objects[meter] = level;
  EXPECT_TRUE(plat::accessibleIsIgnored(H(meter)));
  // The window shows the object where the view was; the content view
  // itself is the window's.
  EXPECT_EQ(plat::unignoredObjects(plat::accessibleVisibleChildren(win)), (List{level, H(group)}));
  EXPECT_EQ(plat::unignoredAncestor(plat::accessibleParent(level)), win);

  // A view with subviews keeps its place and lists the object after them.
  AccessibleElement* extra = new AccessibleElement(SHIM_View(group), AccessibleRole::Image, "Logo", {100, 5, 20, 20});
  g_ans.objects[group] = extra;
  EXPECT_FALSE(plat::accessibleIsIgnored(H(group)));
  EXPECT_EQ(plat::accessibleVisibleChildren(H(group)), (List{button, extra}));
  EXPECT_EQ(plat::accessibleName(button), "OK");
  EXPECT_EQ(plat::accessibleRole(button), AccessibleRole::PushButton);
  EXPECT_FALSE(g_ans.badQuestion) << "WM_GETOBJECT carries 0x1001 and an empty slot";
  g_ans.objects.erase(group);
  extra->release();
}

TEST_F(Access, ChildrenListsAreCachedWhileNothingChanged) {
  using List = std::vector<Object*>;
  Shim_vHarshbloom_hwnd* g = H(group);
  AccessibleElement* a = new AccessibleElement(g, AccessibleRole::Image, "A", {100, 5, 20, 20});
  g_ans.objects[group] = a;
  int asked = g_ans.asked[group];
  EXPECT_EQ(g->accessibilityChildren(), (List{button, a}));
  Object* first = g->shimAccessCacheSlot(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(g->shimAccessCacheSlot(2), a);
  EXPECT_EQ(g->accessibilityChildren(), (List{button, a}));
  EXPECT_EQ(g->shimAccessCacheSlot(0), first) << "reused";
  EXPECT_EQ(g_ans.asked[group], asked + 2) << "the procedure is asked every time";

  // A hidden subview: in the children, not in the visible ones (slots 3-5).
  plat::Button* hidden = new plat::Button({5, 40, 60, 20});
  hidden->setHidden(true);
  g->addSubview(hidden);
  hidden->release();
  EXPECT_EQ(g->accessibilityChildren(), (List{button, hidden, a}));
  EXPECT_NE(g->shimAccessCacheSlot(0), first) << "a new subview makes a new list";
  EXPECT_EQ(g->accessibilityVisibleChildren(), (List{button, a}));
  EXPECT_EQ(g->shimAccessCacheSlot(5), a);

  // Another object replaces the cached one, which is let go.
  AccessibleElement* b = new AccessibleElement(g, AccessibleRole::Image, "B", {100, 5, 20, 20});
  g_ans.objects[group] = b;
  EXPECT_EQ(a->retainCount(), 5) << "ours, two object slots, two cached lists";
  EXPECT_EQ(g->accessibilityChildren(), (List{button, hidden, b}));
  EXPECT_EQ(g->accessibilityVisibleChildren(), (List{button, b}));
  EXPECT_EQ(a->retainCount(), 1);
  a->release();
  g_ans.objects.erase(group);

  // The slots go with the view.
  EXPECT_GT(b->retainCount(), 1);
  DestroyWindow(dlg);
  SHIM_ShutdownForTests();
  EXPECT_EQ(b->retainCount(), 1);
  b->release();
}

TEST_F(Access, HitTestsAndFocusAskTheObjectFirst) {
  g_ans.objects[meter] = level;
  EXPECT_EQ(plat::accessibleHitTest(win, Screen(meter, 75, 20)), right);
  EXPECT_EQ(plat::accessibleHitTest(win, Screen(meter, 25, 20)), left);
  EXPECT_EQ(plat::accessibleHitTest(win, Screen(group, 10, 10)), button);
  EXPECT_EQ(plat::accessibleHitTest(win, Screen(group, 150, 80)), H(group));
  EXPECT_EQ(plat::accessibleHitTest(win, Screen(dlg, 290, 5)), nullptr) << "only the ignored content view";

  // An ignored object that answers with itself leaves the question to the
  // view; the view without subviews is ignored too, so nothing is there.
  level->setIgnored(true);
  left->setIgnored(true);
  EXPECT_EQ(plat::accessibleHitTest(win, Screen(meter, 25, 20)), nullptr);
  EXPECT_EQ(plat::accessibleHitTest(win, Screen(meter, 75, 20)), right);
  level->setIgnored(false);
  left->setIgnored(false);

  ASSERT_TRUE(win->makeFirstResponder(SHIM_View(meter)));
  level->setFocusedChild(right);
  EXPECT_EQ(plat::accessibleFocusedElement(win), right);
  // An object that answers with itself leaves the focus to the view's own
  // answer: its nearest unignored ancestor, here the window.
  level->setFocusedChild(nullptr);
  EXPECT_EQ(plat::accessibleFocusedElement(win), win);
  g_ans.objects.erase(meter);
  EXPECT_EQ(plat::accessibleFocusedElement(win), H(meter));
}

}  // namespace
