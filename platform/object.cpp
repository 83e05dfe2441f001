#include "object.h"

#include <mutex>
#include <unordered_set>

namespace plat {

namespace {
std::recursive_mutex& registryMutex() {
  static std::recursive_mutex m;
  return m;
}
std::unordered_set<const void*>& registry() {
  static std::unordered_set<const void*>* r = new std::unordered_set<const void*>();
  return *r;
}
}  // namespace

Object::Object() {
  std::lock_guard<std::recursive_mutex> g(registryMutex());
  registry().insert(this);
}

Object::~Object() {
  std::lock_guard<std::recursive_mutex> g(registryMutex());
  registry().erase(this);
}

void Object::release() {
  if (--m_refs > 0) return;
  m_refs = 1;  // keeps retain/release pairs inside willDealloc harmless
  willDealloc();
  if (--m_refs > 0) return;  // resurrected by willDealloc
  {
    std::lock_guard<std::recursive_mutex> g(registryMutex());
    registry().erase(this);
  }
  delete this;
}

bool Object::isLive(const void* p) {
  if (!p) return false;
  std::lock_guard<std::recursive_mutex> g(registryMutex());
  return registry().count(p) != 0;
}

void Object::lockRegistry() { registryMutex().lock(); }
void Object::unlockRegistry() { registryMutex().unlock(); }
bool Object::isLiveLocked(const void* p) { return p && registry().count(p) != 0; }

}  // namespace plat
