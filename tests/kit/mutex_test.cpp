#include "mutex.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

TEST(KitMutex, RecursiveThenFreeForAnotherThread) {
  KIT_Mutex m;
  std::atomic<bool> entered{false};
  m.Lock();
  m.Lock();
  std::thread other([&] {
    m.Lock();
    entered = true;
    m.Unlock();
  });
  m.Unlock();
  // Still held once: the other thread must wait.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered.load());
  m.Unlock();
  other.join();
  EXPECT_TRUE(entered.load());
}

TEST(KitMutex, GuardReleasesWhenAnExceptionPasses) {
  KIT_Mutex m;
  try {
    KIT_MutexLock lock(&m);
    throw 1;
  } catch (int) {
  }
  std::atomic<bool> entered{false};
  std::thread other([&] {
    KIT_MutexLock lock(&m);
    entered = true;
  });
  other.join();
  EXPECT_TRUE(entered.load());
}

// A real-time waiter is not kept behind a thread of middling priority while
// a low-priority thread holds the lock: the holder runs at the waiter's
// priority until it lets go. The three threads share one processor; this
// needs permission for real-time scheduling and is skipped without it.
namespace pi {

struct Shared {
  KIT_Mutex m;
  std::atomic<int> stage{0};  // 1 held by low, 2 high is about to wait
  std::atomic<bool> midStop{false};
  double highWaitMs = 0.0;
};

double NowMs(clockid_t clock) {
  timespec t;
  clock_gettime(clock, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void* Low(void* arg) {
  Shared* s = static_cast<Shared*>(arg);
  s->m.Lock();
  s->stage = 1;
  while (s->stage.load() < 2) {
  }
  // 30 ms of this thread's own processor time: it progresses only while it runs.
  const double start = NowMs(CLOCK_THREAD_CPUTIME_ID);
  while (NowMs(CLOCK_THREAD_CPUTIME_ID) - start < 30.0) {
  }
  s->m.Unlock();
  return nullptr;
}

void* High(void* arg) {
  Shared* s = static_cast<Shared*>(arg);
  s->stage = 2;
  const double start = NowMs(CLOCK_MONOTONIC);
  s->m.Lock();
  s->highWaitMs = NowMs(CLOCK_MONOTONIC) - start;
  s->m.Unlock();
  return nullptr;
}

void* Mid(void* arg) {
  Shared* s = static_cast<Shared*>(arg);
  // Busy for 400 ms unless told to stop: without inheritance the holder
  // never runs meanwhile.
  const double start = NowMs(CLOCK_MONOTONIC);
  while (!s->midStop.load() && NowMs(CLOCK_MONOTONIC) - start < 400.0) {
  }
  return nullptr;
}

bool StartFifo(pthread_t* t, int priority, int cpu, void* (*fn)(void*), Shared* s) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setinheritsched(&attr, PTHREAD_EXPLICIT_SCHED);
  pthread_attr_setschedpolicy(&attr, SCHED_FIFO);
  sched_param p{};
  p.sched_priority = priority;
  pthread_attr_setschedparam(&attr, &p);
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  pthread_attr_setaffinity_np(&attr, sizeof set, &set);
  const bool ok = pthread_create(t, &attr, fn, s) == 0;
  pthread_attr_destroy(&attr);
  return ok;
}

}  // namespace pi

TEST(KitMutex, AWaitingRealTimeThreadLendsTheHolderItsPriority) {
  KIT_Mutex probe;
  ASSERT_TRUE(probe.InheritsPriority());
  pi::Shared s;
  // The three share the last processor we may use; this thread keeps off it
  // so that it can stop the middle one.
  cpu_set_t allowed, others;
  ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
  int cpu = 0;
  for (int c = 0; c < CPU_SETSIZE; ++c)
    if (CPU_ISSET(c, &allowed)) cpu = c;
  others = allowed;
  CPU_CLR(cpu, &others);
  const bool moved = CPU_COUNT(&others) > 0 && sched_setaffinity(0, sizeof others, &others) == 0;
  pthread_t low, high, mid;
  if (!pi::StartFifo(&low, 10, cpu, pi::Low, &s)) {
    if (moved) sched_setaffinity(0, sizeof allowed, &allowed);
    GTEST_SKIP() << "no real-time scheduling here";
  }
  while (s.stage.load() < 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(pi::StartFifo(&high, 30, cpu, pi::High, &s));
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const bool midStarted = pi::StartFifo(&mid, 20, cpu, pi::Mid, &s);
  pthread_join(high, nullptr);
  s.midStop = true;
  if (midStarted) pthread_join(mid, nullptr);
  pthread_join(low, nullptr);
  if (moved) sched_setaffinity(0, sizeof allowed, &allowed);
  // The holder's 30 ms, not the middle thread's 400.
  EXPECT_LT(s.highWaitMs, 200.0);
}

}  // namespace
