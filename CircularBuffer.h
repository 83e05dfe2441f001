#pragma once

// The scope's ring of display entries. The audio block writes it while the
// editor reads it on the main thread without a lock, so every slot is kept
// as relaxed atomic words: a reader may catch an entry half written (one
// wrong column for one frame) but never reads out of bounds or tears a
// single value. Writers take turns through the plug-in mutex.

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

namespace Rawnfield {
namespace Types {

// One scope entry: the input and output of both channels at one instant.
struct VisSample {
  double dryLeft = 0.0;
  double dryRight = 0.0;
  double outLeft = 0.0;
  double outRight = 0.0;
  double spare[5] = {0.0, 0.0, 0.0, 0.0, 0.0};  // always 0
  bool gap = false;                             // a blank slot that separates traces
};

}  // namespace Types

template <class T>
class CircularBuffer {
  static_assert(std::is_trivially_copyable<T>::value, "slots are copied as words");
  static constexpr size_t kWords = (sizeof(T) + sizeof(uint64_t) - 1) / sizeof(uint64_t);

public:
  CircularBuffer() = default;
  CircularBuffer(const CircularBuffer&) = delete;
  CircularBuffer& operator=(const CircularBuffer&) = delete;

  static constexpr int kMaxCapacity = 65535;

  // Allocates `capacity` default entries (at most kMaxCapacity) and
  // restarts the counter. Only before any reader or writer uses the ring:
  // the size never changes after.
  void resize(int capacity) {
    const int n = capacity > 0 ? (capacity < kMaxCapacity ? capacity : kMaxCapacity) : 0;
    words.reset(n ? new std::atomic<uint64_t>[static_cast<size_t>(n) * kWords] : nullptr);
    size = n;
    counter.store(0, std::memory_order_relaxed);
    fill(T());
  }

  int capacity() const { return size; }
  // Slot of the next write, 0..capacity() - 1; it also holds the oldest
  // entry. The counter wraps at the capacity itself: a counter wrapping at
  // 65536 would jump back to slot 0 from a slot in the middle of the ring,
  // and the trace would break there.
  uint16_t writeCounter() const { return counter.load(std::memory_order_relaxed); }

  // The entry in slot i; a default entry outside the ring.
  T read(int i) const {
    T value;
    if (i < 0 || i >= size) return value;
    uint64_t raw[kWords];
    const std::atomic<uint64_t>* slot = words.get() + static_cast<size_t>(i) * kWords;
    for (size_t w = 0; w < kWords; ++w) raw[w] = slot[w].load(std::memory_order_relaxed);
    std::memcpy(&value, raw, sizeof(T));
    return value;
  }

  // Writes at the counter's slot and advances the counter.
  void write(const T& value) {
    if (size < 1) return;
    const int c = counter.load(std::memory_order_relaxed) % size;
    store(c, value);
    counter.store(static_cast<uint16_t>(c + 1 < size ? c + 1 : 0), std::memory_order_relaxed);
  }

  // Every slot becomes `value`; the counter stays.
  void fill(const T& value) {
    for (int i = 0; i < size; ++i) store(i, value);
  }

private:
  void store(int i, const T& value) {
    uint64_t raw[kWords] = {};
    std::memcpy(raw, &value, sizeof(T));
    std::atomic<uint64_t>* slot = words.get() + static_cast<size_t>(i) * kWords;
    for (size_t w = 0; w < kWords; ++w) slot[w].store(raw[w], std::memory_order_relaxed);
  }

  std::unique_ptr<std::atomic<uint64_t>[]> words;
  int size = 0;
  std::atomic<uint16_t> counter{0};
};

}  // namespace Rawnfield
