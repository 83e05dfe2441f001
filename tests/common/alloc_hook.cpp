#include "alloc_hook.h"

#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" {
void* __real_malloc(size_t);
void* __real_calloc(size_t, size_t);
void* __real_realloc(void*, size_t);
}

namespace {
bool s_counting = false;
bool s_failing = false;
long s_count = 0;

void note() {
  if (s_counting) ++s_count;
}
}  // namespace

AllocationCounter::AllocationCounter() {
  s_count = 0;
  s_counting = true;
}
AllocationCounter::~AllocationCounter() {
  s_counting = false;
}
long AllocationCounter::count() const {
  return s_count;
}

AllocFailure::AllocFailure() {
  s_failing = true;
}
AllocFailure::~AllocFailure() {
  s_failing = false;
}

extern "C" void* __wrap_malloc(size_t n) {
  note();
  return s_failing ? nullptr : __real_malloc(n);
}
extern "C" void* __wrap_calloc(size_t n, size_t size) {
  note();
  return s_failing ? nullptr : __real_calloc(n, size);
}
extern "C" void* __wrap_realloc(void* p, size_t n) {
  note();
  return s_failing ? nullptr : __real_realloc(p, n);
}

// operator new from the C++ library calls malloc behind the wrapper's back,
// so it is replaced here and counted once.
void* operator new(size_t n) {
  note();
  void* p = __real_malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t n) {
  note();
  void* p = __real_malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new(size_t n, const std::nothrow_t&) noexcept {
  note();
  return __real_malloc(n ? n : 1);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
  note();
  return __real_malloc(n ? n : 1);
}
void operator delete(void* p) noexcept {
  free(p);
}
void operator delete[](void* p) noexcept {
  free(p);
}
void operator delete(void* p, size_t) noexcept {
  free(p);
}
void operator delete[](void* p, size_t) noexcept {
  free(p);
}
