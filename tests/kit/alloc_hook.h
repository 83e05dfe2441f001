#pragma once

// While armed, malloc and realloc calls made by the containers fail.
struct AllocFailure {
  AllocFailure();
  ~AllocFailure();
};
extern int g_allocCalls;  // malloc + realloc calls seen since the last reset
