#pragma once

#include <pthread.h>

// Recursive lock: the holding thread may lock it again; each Lock needs its
// Unlock before another thread can enter.
class KIT_Mutex {
public:
  KIT_Mutex() {
    static const pthread_mutex_t tmp = PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP;
    m_mutex = tmp;
  }
  ~KIT_Mutex() { pthread_mutex_destroy(&m_mutex); }
  KIT_Mutex(const KIT_Mutex&) = delete;
  KIT_Mutex& operator=(const KIT_Mutex&) = delete;

  void Lock() { pthread_mutex_lock(&m_mutex); }
  void Unlock() { pthread_mutex_unlock(&m_mutex); }

private:
  pthread_mutex_t m_mutex;
};

// Holds a KIT_Mutex for the lifetime of the guard, also when an exception passes.
class KIT_MutexLock {
public:
  explicit KIT_MutexLock(KIT_Mutex* m) : m_m(m) {
    if (m_m) m_m->Lock();
  }
  ~KIT_MutexLock() {
    if (m_m) m_m->Unlock();
  }
  KIT_MutexLock(const KIT_MutexLock&) = delete;
  KIT_MutexLock& operator=(const KIT_MutexLock&) = delete;

private:
  KIT_Mutex* m_m;
};
