#include "alloc_hook.h"

#include <cstddef>

extern "C" {
void* __real_malloc(size_t);
void* __real_realloc(void*, size_t);
}

static bool s_fail = false;
int g_allocCalls = 0;

AllocFailure::AllocFailure() {
  s_fail = true;
}
AllocFailure::~AllocFailure() {
  s_fail = false;
}

extern "C" void* __wrap_malloc(size_t n) {
  ++g_allocCalls;
  return s_fail ? nullptr : __real_malloc(n);
}

extern "C" void* __wrap_realloc(void* p, size_t n) {
  ++g_allocCalls;
  return s_fail ? nullptr : __real_realloc(p, n);
}
