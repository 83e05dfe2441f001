#pragma once

#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "heapbuf.h"

// Ordered list of non-owning item pointers over a heap buffer. Items are only
// destroyed when the caller asks for it (Empty or Delete with wantDelete).
template <class T>
class KIT_PtrList {
public:
  explicit KIT_PtrList(int granularity = 4096) : m_hb(granularity) {}
  ~KIT_PtrList() {}
  KIT_PtrList(const KIT_PtrList&) = delete;
  KIT_PtrList& operator=(const KIT_PtrList&) = delete;

  int GetSize() const { return m_hb.GetSize() / static_cast<int>(sizeof(T*)); }
  T* Get(int index) const {
    T** list = GetList();
    if (list && index >= 0 && index < GetSize()) return list[index];
    return nullptr;
  }
  T** GetList() const { return static_cast<T**>(m_hb.Get()); }

  // Appends; returns the item, or null when the list could not grow.
  T* Add(T* item) {
    const int n = GetSize();
    T** list = static_cast<T**>(m_hb.Resize((n + 1) * static_cast<int>(sizeof(T*)), false));
    if (!list || GetSize() != n + 1) return nullptr;
    list[n] = item;
    return item;
  }

  // Inserts at index (negative counts as 0, past the end appends); returns
  // the item, or null when the list could not grow.
  T* Insert(int index, T* item) {
    const int n = GetSize();
    T** list = static_cast<T**>(m_hb.Resize((n + 1) * static_cast<int>(sizeof(T*)), false));
    if (!list || GetSize() != n + 1) return nullptr;
    if (index < 0) index = 0;
    if (index > n) index = n;
    if (index < n)
      memmove(list + index + 1, list + index, static_cast<size_t>(n - index) * sizeof(T*));
    list[index] = item;
    return item;
  }

  void Set(int index, T* item) {
    if (index >= 0 && index < GetSize()) GetList()[index] = item;
  }

  // Removes the slot at index, optionally disposing of its item first.
  void Delete(int index, bool wantDelete = false, void (*delfunc)(void*) = nullptr) {
    const int n = GetSize();
    if (index < 0 || index >= n) return;
    T** list = GetList();
    if (wantDelete && list[index]) Dispose(list[index], delfunc);
    list = GetList();
    if (index < n - 1)
      memmove(list + index, list + index + 1, static_cast<size_t>(n - 1 - index) * sizeof(T*));
    m_hb.Resize((n - 1) * static_cast<int>(sizeof(T*)), false);
  }

  // Empties the list from the last item down; with wantDelete each non-null
  // item is disposed while it is still the last one in the list. The pointer
  // block stays allocated for reuse.
  void Empty(bool wantDelete = false, void (*delfunc)(void*) = nullptr) {
    if (wantDelete) {
      for (int i = GetSize() - 1; i >= 0; --i) {
        T* item = Get(i);
        if (item) Dispose(item, delfunc);
        m_hb.Resize(i * static_cast<int>(sizeof(T*)), false);
      }
    }
    m_hb.Resize(0, false);
  }

private:
  static void Dispose(T* item, void (*delfunc)(void*)) {
    if (delfunc) {
      delfunc(const_cast<void*>(static_cast<const void*>(item)));
    } else if constexpr (std::is_void<T>::value) {
      free(item);
    } else {
      delete item;
    }
  }

  KIT_HeapBuf m_hb;
};
