#pragma once

// Growable heap block under every container: a pointer, the allocated size,
// the logical size and a growth granularity. Allocation never reports an
// error; a failed growth leaves the buffer as it was and callers compare the
// resulting size with the one they asked for.
class KIT_HeapBuf {
public:
  explicit KIT_HeapBuf(int granularity = 4096)
      : buffer(nullptr), allocated(0), size(0), granularity(granularity) {}
  ~KIT_HeapBuf();
  KIT_HeapBuf(const KIT_HeapBuf&) = delete;
  KIT_HeapBuf& operator=(const KIT_HeapBuf&) = delete;

  // Sets the logical size; returns the block, or null whenever the size is 0.
  void* Resize(int newsize, bool resizedown = true);

  void* Get() const { return buffer; }
  int GetSize() const { return size; }
  int GetAllocated() const { return allocated; }
  int GetGranularity() const { return granularity; }

private:
  char* buffer;
  int allocated;
  int size;
  int granularity;
};

// A typed view of a heap buffer; sizes count elements.
template <class T>
class KIT_TypedBuf {
public:
  explicit KIT_TypedBuf(int granularity = 4096) : m_hb(granularity) {}
  T* Get() const { return static_cast<T*>(m_hb.Get()); }
  int GetSize() const { return m_hb.GetSize() / static_cast<int>(sizeof(T)); }
  T* Resize(int newsize, bool resizedown = true) {
    long long bytes = static_cast<long long>(newsize) * static_cast<long long>(sizeof(T));
    // A request no int can hold cannot be met: leave the buffer as it is.
    if (bytes > 0x7fffffffLL) return GetSize() ? Get() : nullptr;
    return static_cast<T*>(m_hb.Resize(static_cast<int>(bytes), resizedown));
  }
  KIT_HeapBuf& GetHeapBuf() { return m_hb; }

private:
  KIT_HeapBuf m_hb;
};
