#pragma once

// Reference-counted base of every platform object (views, windows, menus).
// Objects start with one reference; release() deletes at zero. A process-wide
// registry of live objects lets callers holding a raw pointer from elsewhere
// (a handle passed in by host code, a message posted from another thread) ask
// whether it still names a live object before touching it.

#include <utility>

namespace plat {

class Object {
public:
  Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  void retain() { ++m_refs; }
  // Drops one reference; at zero, willDealloc() runs with the object still
  // whole and registered, then it is unregistered and deleted.
  void release();
  int retainCount() const { return m_refs; }

  // True while p is a live object. Safe from any thread.
  static bool isLive(const void* p);
  // Runs fn(object) under the registry lock when p is live; false otherwise.
  // fn must not create or destroy objects.
  template <class F>
  static bool withLive(const void* p, F&& fn) {
    lockRegistry();
    bool live = isLiveLocked(p);
    if (live) fn(static_cast<Object*>(const_cast<void*>(p)));
    unlockRegistry();
    return live;
  }

protected:
  virtual ~Object();
  // Last chance to run code (send messages, release members) before deletion.
  virtual void willDealloc() {}

private:
  static void lockRegistry();
  static void unlockRegistry();
  static bool isLiveLocked(const void* p);
  int m_refs = 1;
};

// Strong reference for locals and members: retains on copy, releases on reset.
template <class T>
class Ref {
public:
  Ref() = default;
  Ref(T* p) : m_p(p) {  // NOLINT: implicit on purpose
    if (m_p) m_p->retain();
  }
  Ref(const Ref& o) : Ref(o.m_p) {}
  Ref(Ref&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
  ~Ref() { reset(); }
  Ref& operator=(Ref o) {
    std::swap(m_p, o.m_p);
    return *this;
  }
  void reset() {
    if (m_p) {
      T* p = m_p;
      m_p = nullptr;
      p->release();
    }
  }
  // Takes over a reference the caller already owns (no extra retain).
  static Ref adopt(T* p) {
    Ref r;
    r.m_p = p;
    return r;
  }
  T* get() const { return m_p; }
  T* operator->() const { return m_p; }
  T& operator*() const { return *m_p; }
  explicit operator bool() const { return m_p != nullptr; }

private:
  T* m_p = nullptr;
};

}  // namespace plat
