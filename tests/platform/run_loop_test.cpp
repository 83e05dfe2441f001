// The run loop: timers on the virtual clock, tasks from other threads, modal
// sessions, termination.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/app.h"
#include "platform/view.h"
#include "platform/window.h"

using namespace plat;

namespace {

class RunLoop : public ::testing::Test {
protected:
  void SetUp() override {
    app().resetForTests();
    app().useVirtualClock(true);
  }
  void TearDown() override { app().resetForTests(); }
};

TEST_F(RunLoop, VirtualClockFiresTimersAtTheirDeadlines) {
  std::vector<double> fired;
  double start = app().now();
  app().addTimer(0.01, true, [&] { fired.push_back(app().now() - start); });
  int once = 0;
  app().addTimer(0.035, false, [&] { ++once; });
  app().runFor(0.1);
  ASSERT_EQ(fired.size(), 10u);
  for (size_t i = 0; i < fired.size(); ++i) EXPECT_NEAR(fired[i], 0.01 * (i + 1), 1e-9);
  EXPECT_EQ(once, 1);
  EXPECT_EQ(app().timerCount(), 1u);  // the one-shot is gone
  EXPECT_NEAR(app().now() - start, 0.1, 1e-9);
}

TEST_F(RunLoop, TimerCancelledByAnEarlierTimerDoesNotFire) {
  TimerId later = 0;
  int laterFired = 0, killer = 0;
  app().addTimer(0.01, false, [&] {
    ++killer;
    app().cancelTimer(later);
  });
  later = app().addTimer(0.01, true, [&] { ++laterFired; });
  app().runFor(0.05);
  EXPECT_EQ(killer, 1);
  EXPECT_EQ(laterFired, 0);
  EXPECT_FALSE(app().isTimerValid(later));
}

TEST_F(RunLoop, TasksPostedFromManyThreadsAllRunOnTheMainThread) {
  app().useVirtualClock(false);
  std::atomic<int> offMain{0};
  int count = 0;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&] {
      for (int i = 0; i < 100; ++i)
        app().post([&] {
          if (!app().isMainThread()) ++offMain;
          ++count;
        });
    });
  EXPECT_TRUE(app().runUntil([&] { return count == 400; }, 5.0));
  for (auto& w : workers) w.join();
  app().runOnce(0);
  EXPECT_EQ(count, 400);
  EXPECT_EQ(offMain.load(), 0);
}

TEST_F(RunLoop, PostWakesAWaitingLoop) {
  app().useVirtualClock(false);
  bool ran = false;
  std::thread t([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    app().post([] {});
  });
  double start = app().now();
  app().runOnce(5.0);  // returns when the task arrives, long before 5 s
  ran = app().now() - start < 2.0;
  t.join();
  EXPECT_TRUE(ran);
}

TEST_F(RunLoop, ModalLoopRunsTimersAndReturnsTheStopCode) {
  Window* w = new Window({0, 0, 100, 100}, kStyleTitled);
  int ticks = 0;
  app().addTimer(0.01, true, [&] {
    if (++ticks == 3) app().stopModalWithCode(7);
  });
  EXPECT_EQ(app().runModalForWindow(w), 7);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(app().modalWindow(), nullptr);
  EXPECT_TRUE(w->isKeyWindow());
}

TEST_F(RunLoop, ModalLoopWithNothingToEndItGivesUpOnTheVirtualClock) {
  Window* w = new Window({0, 0, 100, 100}, kStyleTitled);
  EXPECT_EQ(app().runModalForWindow(w), kModalAbort);
}

TEST_F(RunLoop, ModalSessionStepsAndKeepsClicksFromOtherWindows) {
  Window* modal = new Window({0, 0, 100, 100}, kStyleTitled);
  Window* other = new Window({200, 0, 100, 100}, kStyleTitled);
  other->orderFront();
  struct Counter : View {
    int downs = 0;
    Counter() : View({0, 0, 100, 100}) {}
    void mouseDown(const Event&) override { ++downs; }
    bool acceptsFirstMouse(const Event&) override { return true; }
  };
  Counter* c = new Counter();
  other->setContentView(c);
  c->release();
  ModalSession* s = app().beginModalSession(modal);
  Event e;
  e.type = EventType::LeftMouseDown;
  e.window = other;
  e.location = {10, 10};
  e.clickCount = 1;
  app().queueEvent(e);
  EXPECT_EQ(app().runModalSession(s), kModalContinue);
  EXPECT_EQ(c->downs, 0);
  app().stopModal();
  EXPECT_EQ(app().runModalSession(s), kModalStop);
  app().endModalSession(s);
  app().queueEvent(e);
  app().runOnce(0);
  EXPECT_EQ(c->downs, 1);
}

struct Delegate : ApplicationDelegate {
  TerminateReply reply = TerminateReply::Now;
  std::vector<std::string> calls;
  TerminateReply applicationShouldTerminate() override {
    calls.push_back("should");
    return reply;
  }
  void applicationWillTerminate() override { calls.push_back("will"); }
  void applicationDidFinishLaunching() override { calls.push_back("launched"); }
  void applicationDidBecomeActive() override { calls.push_back("active"); }
};

TEST_F(RunLoop, TerminationLaterWaitsForTheReply) {
  Delegate d;
  d.reply = TerminateReply::Later;
  app().setDelegate(&d);
  app().finishLaunching();
  app().terminate();
  EXPECT_FALSE(app().isTerminated());
  app().replyToApplicationShouldTerminate(true);
  EXPECT_TRUE(app().isTerminated());
  EXPECT_EQ(d.calls, (std::vector<std::string>{"launched", "active", "should", "will"}));
  app().run();  // returns at once: terminated
}

TEST_F(RunLoop, ClosedWindowIsFreedAndForgotten) {
  Window* w = new Window({0, 0, 50, 50}, kStyleTitled);
  w->makeKeyAndOrderFront();
  EXPECT_EQ(app().keyWindow(), w);
  w->close();
  EXPECT_FALSE(Object::isLive(w));
  EXPECT_EQ(app().keyWindow(), nullptr);
  EXPECT_TRUE(app().windows().empty());
}

TEST_F(RunLoop, HigherLevelsStayInFront) {
  Window* a = new Window({0, 0, 50, 50}, kStyleTitled);
  Window* b = new Window({0, 0, 50, 50}, kStyleTitled);
  Window* f = new Window({0, 0, 50, 50}, kStyleTitled);
  f->setLevel(kLevelFloating);
  f->orderFront();
  a->orderFront();
  b->orderFront();
  ASSERT_EQ(app().orderedWindows().size(), 3u);
  EXPECT_EQ(app().orderedWindows()[0], f);
  EXPECT_EQ(app().orderedWindows()[1], b);
  EXPECT_EQ(app().orderedWindows()[2], a);
  EXPECT_EQ(app().windowAtPoint({10, 10}), f);
}

}  // namespace
