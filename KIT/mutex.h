#pragma once

#include <pthread.h>

// Recursive lock: the holding thread may lock it again; each Lock needs its
// Unlock before another thread can enter.
//
// It inherits priority: while a real-time thread (the audio thread) waits
// for it, the holder runs at the waiter's priority, so a thread of middling
// priority cannot keep the audio waiting behind a low-priority holder. Where
// the system offers no priority inheritance it is a plain recursive lock.
class KIT_Mutex {
public:
  KIT_Mutex() {
    pthread_mutexattr_t attr;
    bool made = false;
    if (pthread_mutexattr_init(&attr) == 0) {
      if (pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE) == 0) {
        m_inherits = pthread_mutexattr_setprotocol(&attr, PTHREAD_PRIO_INHERIT) == 0;
        made = pthread_mutex_init(&m_mutex, &attr) == 0;
        if (!made && m_inherits) {
          // The protocol was accepted but the lock could not be made with it.
          m_inherits = false;
          pthread_mutexattr_setprotocol(&attr, PTHREAD_PRIO_NONE);
          made = pthread_mutex_init(&m_mutex, &attr) == 0;
        }
      }
      pthread_mutexattr_destroy(&attr);
    }
    if (!made) {
      static const pthread_mutex_t tmp = PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP;
      m_mutex = tmp;
      m_inherits = false;
    }
  }
  ~KIT_Mutex() { pthread_mutex_destroy(&m_mutex); }
  KIT_Mutex(const KIT_Mutex&) = delete;
  KIT_Mutex& operator=(const KIT_Mutex&) = delete;

  void Lock() { pthread_mutex_lock(&m_mutex); }
  void Unlock() { pthread_mutex_unlock(&m_mutex); }
  // Locks when no other thread holds it; false at once otherwise.
  bool TryLock() { return pthread_mutex_trylock(&m_mutex) == 0; }
  // Whether a waiter lends its priority to the holder.
  bool InheritsPriority() const { return m_inherits; }

private:
  pthread_mutex_t m_mutex;
  bool m_inherits = false;
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
