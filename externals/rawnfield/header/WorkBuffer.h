#pragma once

#include <cstdint>

namespace Rawnfield {

// A unit's scratch array of doubles. It only ever grows, and only outside
// the audio path (in the units' setBlockSize).
class WorkBuffer {
public:
  // n zeroed doubles (none for n < 1).
  explicit WorkBuffer(int n = 0);
  ~WorkBuffer();
  WorkBuffer(const WorkBuffer&) = delete;
  WorkBuffer& operator=(const WorkBuffer&) = delete;

  // When the capacity is below n, the array is replaced by n zeroed doubles
  // and capacity and length become n; a large enough array keeps its
  // contents. The old array stays in place if the allocation throws.
  void grow(int n);
  // Zeroes all `capacity` entries.
  void clear();
  // grow(n), then clear(): the scratch rule of the units' setBlockSize.
  void growCleared(int n) {
    grow(n);
    clear();
  }

  double* data = nullptr;
  int32_t capacity = 0;  // doubles allocated
  int32_t length = 0;    // the size that last made the array grow
};

}  // namespace Rawnfield
