#include "mutex.h"

#include <gtest/gtest.h>

#include <atomic>
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

}  // namespace
