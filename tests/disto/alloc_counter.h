#pragma once

// Counts heap allocations (operator new, malloc, calloc, realloc) made by
// this test program while a counter is alive.
class AllocationCounter {
public:
  AllocationCounter();
  ~AllocationCounter();
  AllocationCounter(const AllocationCounter&) = delete;
  AllocationCounter& operator=(const AllocationCounter&) = delete;
  long count() const;
};
