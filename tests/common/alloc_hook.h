#pragma once

// Allocation hooks for the tests. A program that links them has malloc,
// calloc and realloc routed through wrappers (linker --wrap) and operator new
// replaced, so every heap allocation made by it and by the project's
// libraries passes through here.

// Counts heap allocations (operator new, malloc, calloc, realloc) while a
// counter is alive.
class AllocationCounter {
public:
  AllocationCounter();
  ~AllocationCounter();
  AllocationCounter(const AllocationCounter&) = delete;
  AllocationCounter& operator=(const AllocationCounter&) = delete;
  long count() const;
};

// While one is alive, malloc, calloc and realloc calls fail (return null);
// operator new is not affected.
class AllocFailure {
public:
  AllocFailure();
  ~AllocFailure();
  AllocFailure(const AllocFailure&) = delete;
  AllocFailure& operator=(const AllocFailure&) = delete;
};
