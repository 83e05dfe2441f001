// Timers and the posted-message queue, on the virtual clock and across threads.

#include <thread>

#include "shim_fixture.h"

namespace {

class Timers : public ShimTest {
protected:
  HWND view() {
    HWND top = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr,
                                 (DLGPROC)RecordingProc, 0);
    return top;
  }
  int count(HWND h, UINT msg, WPARAM wp) {
    int n = 0;
    for (const Seen& s : g_seen)
      if (s.hwnd == h && s.msg == msg && s.wp == wp) ++n;
    return n;
  }
};

TEST_F(Timers, WindowTimerSendsTimerMessagesOnItsPeriod) {
  HWND h = view();
  EXPECT_EQ(SetTimer(h, 5, 10, nullptr), 5u);
  SHIM_RunRunLoop(100);
  EXPECT_EQ(count(h, WM_TIMER, 5), 10);
  EXPECT_TRUE(KillTimer(h, 5));
  EXPECT_FALSE(KillTimer(h, 5));
  SHIM_RunRunLoop(100);
  EXPECT_EQ(count(h, WM_TIMER, 5), 10);
}

TEST_F(Timers, ZeroIntervalFiresEveryMillisecond) {
  HWND h = view();
  SetTimer(h, 5, 0, nullptr);
  SHIM_RunRunLoop(20);
  EXPECT_EQ(count(h, WM_TIMER, 5), 20);
}

TEST_F(Timers, SettingTheSameIdAgainReplacesTheTimer) {
  HWND h = view();
  SetTimer(h, 1, 10, nullptr);
  SetTimer(h, 1, 25, nullptr);
  SHIM_RunRunLoop(100);
  EXPECT_EQ(count(h, WM_TIMER, 1), 4);
}

TEST_F(Timers, CallbackTimerWithoutWindowGetsItsOwnId) {
  static int fired;
  static UINT_PTR firedId;
  static DWORD lastTick;
  fired = 0;
  auto cb = [](HWND hwnd, UINT msg, UINT_PTR id, DWORD tick) {
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_EQ(msg, (UINT)WM_TIMER);
    ++fired;
    firedId = id;
    lastTick = tick;
  };
  UINT_PTR id = SetTimer(nullptr, 0, 100, cb);
  EXPECT_NE(id, 0u);
  UINT_PTR other = SetTimer(nullptr, 0, 100, cb);
  EXPECT_NE(other, id);
  DWORD before = GetTickCount();
  SHIM_RunRunLoop(250);
  EXPECT_EQ(fired, 4);
  EXPECT_TRUE(firedId == id || firedId == other);
  EXPECT_GE(lastTick - before, 200u);
  EXPECT_TRUE(KillTimer(nullptr, id));
  EXPECT_TRUE(KillTimer(nullptr, other));
  SHIM_RunRunLoop(250);
  EXPECT_EQ(fired, 4);
}

TEST_F(Timers, RefusedArgumentsAndKillingAll) {
  HWND h = view();
  EXPECT_EQ(SetTimer(nullptr, 3, 10, nullptr), 0u);
  EXPECT_EQ(SetTimer(h, 0, 10, nullptr), 0u);
  EXPECT_EQ(KillTimer(nullptr, 0), 0);
  EXPECT_EQ(KillTimer(nullptr, (UINT_PTR)-1), 0);
  SetTimer(h, 1, 10, nullptr);
  SetTimer(h, 2, 10, nullptr);
  EXPECT_TRUE(KillTimer(h, (UINT_PTR)-1));
  EXPECT_FALSE(KillTimer(h, (UINT_PTR)-1));
  SHIM_RunRunLoop(50);
  EXPECT_EQ(count(h, WM_TIMER, 1) + count(h, WM_TIMER, 2), 0);
}

TEST_F(Timers, RestrictedRunLetsOnlyOneWindowsTimersFire) {
  HWND a = view(), b = view();
  SetTimer(a, 1, 10, nullptr);
  SetTimer(b, 1, 10, nullptr);
  SHIM_RunRunLoopEx(50, a);
  EXPECT_EQ(count(a, WM_TIMER, 1), 5);
  EXPECT_EQ(count(b, WM_TIMER, 1), 0);
  SHIM_RunRunLoop(10);
  EXPECT_EQ(count(b, WM_TIMER, 1), 1);
}

TEST_F(Timers, DestroyedWindowsTimersStop) {
  HWND top = view();
  HWND c = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(0), top, (DLGPROC)RecordingProc, 0);
  SetTimer(c, 9, 10, nullptr);
  DestroyWindow(top);
  SHIM_RunRunLoop(50);
  EXPECT_EQ(count(c, WM_TIMER, 9), 0);
  EXPECT_EQ(plat::app().timerCount(), 1u);  // only the queue's tick is left
}

TEST_F(Timers, PostedMessagesArriveOnTheTickInOrder) {
  HWND h = view();
  EXPECT_TRUE(PostMessage(h, WM_USER, 1, 0));
  EXPECT_TRUE(PostMessage(h, WM_USER, 2, 0));
  EXPECT_EQ(count(h, WM_USER, 1), 0);
  SHIM_RunRunLoop(50);
  ASSERT_EQ(count(h, WM_USER, 1), 1);
  std::vector<WPARAM> order;
  for (const Seen& s : g_seen)
    if (s.msg == WM_USER) order.push_back(s.wp);
  EXPECT_EQ(order, (std::vector<WPARAM>{1, 2}));
  EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0));
  plat::Window* w = SHIM_View(h)->window();
  EXPECT_FALSE(PostMessage(SHIM_H(w), WM_USER, 0, 0));  // a window does not take posts
}

TEST_F(Timers, QueueHoldsAtMost1024Messages) {
  HWND h = view();
  for (int i = 0; i < 1024; ++i) ASSERT_TRUE(PostMessage(h, WM_USER, i, 0)) << i;
  EXPECT_FALSE(PostMessage(h, WM_USER, 1024, 0));
  SHIM_MessageQueue_Flush();
  EXPECT_EQ(count(h, WM_USER, 1023), 1);
  // Records are reused: the queue takes 1024 again.
  for (int i = 0; i < 1024; ++i) ASSERT_TRUE(PostMessage(h, WM_USER, i, 0)) << i;
}

TEST_F(Timers, MessagePostedToADestroyedWindowIsNeverDelivered) {
  HWND top = view();
  HWND c = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(0), top, (DLGPROC)RecordingProc, 0);
  plat::Ref<Shim_vHarshbloom_hwnd> keep(SHIM_Hwnd(c));
  EXPECT_TRUE(PostMessage(c, WM_USER, 7, 0));
  DestroyWindow(c);
  EXPECT_EQ(SHIM_Internal_PMQ_Count(), 0);
  EXPECT_FALSE(PostMessage(c, WM_USER, 8, 0));
  SHIM_RunRunLoop(100);
  EXPECT_EQ(count(c, WM_USER, 7), 0);
}

TEST_F(Timers, ClearingTheQueueKeepsOtherWindowsMessagesInOrder) {
  HWND a = view(), b = view();
  PostMessage(a, WM_USER, 1, 0);
  PostMessage(b, WM_USER, 2, 0);
  PostMessage(a, WM_USER, 3, 0);
  PostMessage(b, WM_USER, 4, 0);
  SHIM_MessageQueue_Clear(a);
  EXPECT_EQ(SHIM_Internal_PMQ_Count(), 2);
  SHIM_MessageQueue_Flush();
  std::vector<WPARAM> order;
  for (const Seen& s : g_seen)
    if (s.msg == WM_USER) order.push_back(s.wp);
  EXPECT_EQ(order, (std::vector<WPARAM>{2, 4}));
}

TEST_F(Timers, MessagesPostedDuringDeliveryWaitForTheNextFlush) {
  static HWND self;
  HWND h = view();
  self = h;
  SetWindowLong(h, GWL_WNDPROC, (LONG_PTR) + [](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_USER && w < 3) PostMessage(self, WM_USER, w + 1, 0);
    return RecordingProc(hw, m, w, l);
  });
  PostMessage(h, WM_USER, 0, 0);
  SHIM_MessageQueue_Flush();
  EXPECT_EQ(count(h, WM_USER, 0), 1);
  EXPECT_EQ(count(h, WM_USER, 1), 0);
  SHIM_MessageQueue_Flush();
  EXPECT_EQ(count(h, WM_USER, 1), 1);
}

TEST_F(Timers, OtherThreadsPostAndSetTimersThroughTheQueue) {
  HWND h = view();
  UINT_PTR setResult = 0;
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) PostMessage(h, WM_USER, i, 0);
    setResult = SetTimer(h, 4, 10, nullptr);
  });
  worker.join();
  EXPECT_EQ(setResult, 4u);  // answered at once
  EXPECT_EQ(SHIM_Internal_PMQ_Count(), 101);
  EXPECT_EQ(plat::app().timerCount(), 1u);  // nothing started yet
  SHIM_RunRunLoop(100);
  EXPECT_EQ(count(h, WM_USER, 99), 1);
  int fired = count(h, WM_TIMER, 4);
  EXPECT_GE(fired, 4);  // started at the first tick, 50 ms in
  EXPECT_LE(fired, 6);
  // A kill queued from a worker before the tick replaces a pending set.
  std::thread second([&] {
    SetTimer(h, 6, 10, nullptr);
    KillTimer(h, 6);
  });
  second.join();
  EXPECT_EQ(SHIM_Internal_PMQ_Count(), 1);
  SHIM_RunRunLoop(100);
  EXPECT_EQ(count(h, WM_TIMER, 6), 0);
}

}  // namespace
