// Touchpad pinch and swipe steps (as XInput 2.4 reports them) become the
// gesture events views receive.

#include <gtest/gtest.h>

#include <vector>

#include "platform/app.h"
#include "platform/gestures.h"
#include "platform/view.h"
#include "platform/window.h"

using namespace plat;

namespace {

class GestureView : public View {
public:
  using View::View;
  void gesture(const Event& e) override { seen.push_back(e); }
  std::vector<Event> seen;
};

class Gestures : public ::testing::Test {
protected:
  void SetUp() override {
    app().resetForTests();
    app().useVirtualClock(true);
    win = new Window({0, 0, 200, 100}, kStyleTitled);
    view = new GestureView({0, 0, 200, 100});
    win->setContentView(view);
    view->release();
    win->orderFront();
  }
  void TearDown() override {
    win->close();
    app().resetForTests();
  }
  void run() { app().runFor(0.01); }
  Window* win = nullptr;
  GestureView* view = nullptr;
};

TEST_F(Gestures, PinchStepsMagnifyByTheirRatioAndTurnCounterClockwise) {
  TouchpadGestures t;
  t.pinchBegin();
  t.pinchUpdate(win, {50, 40}, 1.25, 0, 0);
  t.pinchUpdate(win, {50, 40}, 1.25, 0, 0);  // no change: nothing
  t.pinchUpdate(win, {50, 40}, 1.0, 10, kModShift);
  run();
  ASSERT_EQ(view->seen.size(), 3u);
  EXPECT_EQ(view->seen[0].type, EventType::Magnify);
  EXPECT_NEAR(view->seen[0].deltaZ, 0.25, 1e-12);
  EXPECT_EQ(view->seen[0].location.x, 50);
  EXPECT_EQ(view->seen[1].type, EventType::Magnify);
  EXPECT_NEAR(view->seen[1].deltaZ, 1.0 / 1.25 - 1, 1e-12);
  EXPECT_EQ(view->seen[2].type, EventType::Rotate);
  EXPECT_NEAR(view->seen[2].rotation, -10, 1e-12);  // clockwise on the pad
  EXPECT_EQ(view->seen[2].modifierFlags, kModShift);
}

TEST_F(Gestures, SwipesThatGoFarEnoughGiveOneDirection) {
  struct Case {
    std::vector<std::pair<double, double>> steps;
    bool cancelled;
    int count;
    double dx, dy;
  } cases[] = {
      {{{30, 2}, {25, -1}}, false, 1, 1, 0},    // right
      {{{-50, 10}}, false, 1, -1, 0},           // left
      {{{5, -30}, {0, -30}}, false, 1, 0, 1},   // up the screen
      {{{0, 45}}, false, 1, 0, -1},             // down
      {{{10, 10}}, false, 0, 0, 0},             // too short
      {{{80, 0}}, true, 0, 0, 0},               // cancelled
  };
  for (const Case& c : cases) {
    view->seen.clear();
    TouchpadGestures t;
    t.swipeBegin();
    for (auto& s : c.steps) t.swipeUpdate(s.first, s.second);
    t.swipeEnd(win, {10, 10}, c.cancelled, 0);
    run();
    ASSERT_EQ(int(view->seen.size()), c.count);
    if (c.count) {
      EXPECT_EQ(view->seen[0].type, EventType::Swipe);
      EXPECT_EQ(view->seen[0].deltaX, c.dx);
      EXPECT_EQ(view->seen[0].deltaY, c.dy);
    }
  }
}

TEST(FingerSpread, MagnificationIsTheChangeOverTheSpreadBefore) {
  FingerTracker f;
  EXPECT_EQ(f.spread(), 0);
  f.down(1, 0.4, 0.5);
  f.down(2, 0.6, 0.5);
  EXPECT_NEAR(f.spread(), 0.1, 1e-12);
  EXPECT_NEAR(magnificationFor(0.02, 0.1), 0.25, 1e-12);
  EXPECT_EQ(magnificationFor(0.00001, 0.1), 0);
  f.up(2);
  EXPECT_EQ(f.spread(), 0);
}

}  // namespace
