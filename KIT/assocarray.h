#pragma once

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "heapbuf.h"

// A map held as one flat array of key/value pairs sorted by key and searched
// by bisection. Keys may be copied on insertion (keydup) and both keys and
// values may be handed to disposers when they leave the array.
template <class KEY, class VAL>
class KIT_AssocArrayImpl {
public:
  struct KeyVal {
    KEY key;
    VAL val;
  };
  typedef int (*KeyCmpFunc)(const KEY* a, const KEY* b);
  typedef KEY (*KeyDupFunc)(KEY);
  typedef void (*KeyDisposeFunc)(KEY);
  typedef void (*ValDisposeFunc)(VAL);

  explicit KIT_AssocArrayImpl(KeyCmpFunc keycmp, KeyDupFunc keydup = nullptr,
                              KeyDisposeFunc keydispose = nullptr,
                              ValDisposeFunc valdispose = nullptr)
      : m_keycmp(keycmp), m_keydup(keydup), m_keydispose(keydispose), m_valdispose(valdispose) {}
  ~KIT_AssocArrayImpl() { DeleteAll(); }
  KIT_AssocArrayImpl(const KIT_AssocArrayImpl&) = delete;
  KIT_AssocArrayImpl& operator=(const KIT_AssocArrayImpl&) = delete;

  int GetSize() const { return m_data.GetSize(); }

  VAL Get(KEY key, VAL notfound = 0) const {
    int i;
    return Find(key, &i) ? m_data.Get()[i].val : notfound;
  }

  // The key and value at index, in key order; notfound outside the array.
  VAL Enumerate(int index, KEY* key = nullptr, VAL notfound = 0) const {
    if (index < 0 || index >= GetSize()) return notfound;
    const KeyVal& kv = m_data.Get()[index];
    if (key) *key = kv.key;
    return kv.val;
  }

  // Stores val under key, replacing (and disposing of) an existing value.
  // Returns the pair's index, or -1 when the array could not grow (it is
  // then unchanged).
  int Insert(KEY key, VAL val) {
    int i;
    if (Find(key, &i)) {
      KeyVal& kv = m_data.Get()[i];
      if (m_valdispose) m_valdispose(kv.val);
      kv.val = val;
      return i;
    }
    const int n = GetSize();
    KeyVal* p = m_data.Resize(n + 1, true);
    if (!p || GetSize() != n + 1) return -1;
    if (i < n) memmove(p + i + 1, p + i, static_cast<size_t>(n - i) * sizeof(KeyVal));
    p[i].key = m_keydup ? m_keydup(key) : key;
    p[i].val = val;
    return i;
  }

  void Delete(KEY key) {
    int i;
    if (Find(key, &i)) DeleteByIndex(i);
  }

  void DeleteAll() {
    KeyVal* p = m_data.Get();
    if (m_keydispose || m_valdispose) {
      for (int i = 0; i < GetSize(); ++i) {
        if (m_keydispose) m_keydispose(p[i].key);
        if (m_valdispose) m_valdispose(p[i].val);
      }
    }
    m_data.Resize(0, false);
  }

  // Appends without searching, for bulk loads followed by one Resort.
  // Returns the new index, or -1 when the array could not grow.
  int AddUnsorted(KEY key, VAL val) {
    const int n = GetSize();
    KeyVal* p = m_data.Resize(n + 1, true);
    if (!p || GetSize() != n + 1) return -1;
    p[n].key = m_keydup ? m_keydup(key) : key;
    p[n].val = val;
    return n;
  }

  // Restores key order after bulk loading; of several pairs with one key the
  // one added last survives and the others go to the disposers.
  void Resort() {
    if (GetSize() < 2 || !m_keycmp) return;
    KeyVal* p = m_data.Get();
    KeyCmpFunc cmp = m_keycmp;
    std::stable_sort(p, p + GetSize(),
                     [cmp](const KeyVal& a, const KeyVal& b) { return cmp(&a.key, &b.key) < 0; });
    int i = 0;
    while (i < GetSize() - 1) {
      p = m_data.Get();
      if (!m_keycmp(&p[i].key, &p[i + 1].key))
        DeleteByIndex(i);
      else
        ++i;
    }
  }

private:
  bool Find(const KEY& key, int* where) const {
    int lo = 0, hi = GetSize();
    const KeyVal* p = m_data.Get();
    while (lo != hi) {
      const int mid = (lo + hi) / 2;
      const int c = m_keycmp(&key, &p[mid].key);
      if (c > 0)
        lo = mid + 1;
      else if (c < 0)
        hi = mid;
      else {
        *where = mid;
        return true;
      }
    }
    *where = lo;
    return false;
  }

  void DeleteByIndex(int i) {
    KeyVal* p = m_data.Get();
    const int n = GetSize();
    if (m_keydispose) m_keydispose(p[i].key);
    if (m_valdispose) m_valdispose(p[i].val);
    if (i < n - 1) memmove(p + i, p + i + 1, static_cast<size_t>(n - 1 - i) * sizeof(KeyVal));
    m_data.Resize(n - 1, false);
  }

  KIT_TypedBuf<KeyVal> m_data;
  KeyCmpFunc m_keycmp;
  KeyDupFunc m_keydup;
  KeyDisposeFunc m_keydispose;
  ValDisposeFunc m_valdispose;
};

// Keys are NUL-terminated strings that the array copies and owns, compared
// case-sensitively or ignoring ASCII case.
template <class VAL>
class KIT_StringKeyedArray : public KIT_AssocArrayImpl<const char*, VAL> {
public:
  typedef KIT_AssocArrayImpl<const char*, VAL> Base;
  explicit KIT_StringKeyedArray(bool caseSensitive = true,
                                typename Base::ValDisposeFunc valdispose = nullptr)
      : Base(caseSensitive ? cmpstr : cmpistr, dupstr, freestr, valdispose) {}

  static int cmpstr(const char* const* a, const char* const* b) { return strcmp(*a, *b); }
  static int cmpistr(const char* const* a, const char* const* b) { return strcasecmp(*a, *b); }
  static const char* dupstr(const char* s) { return strdup(s); }
  static void freestr(const char* s) { free(const_cast<char*>(s)); }
  static void freecharptr(VAL p) { free(const_cast<void*>(static_cast<const void*>(p))); }
};

// Keys are plain values (such as pointers) handled by the owner's functions.
template <class KEY, class VAL>
class KIT_AssocArray : public KIT_AssocArrayImpl<KEY, VAL> {
public:
  typedef KIT_AssocArrayImpl<KEY, VAL> Base;
  explicit KIT_AssocArray(typename Base::KeyCmpFunc keycmp,
                          typename Base::KeyDupFunc keydup = nullptr,
                          typename Base::KeyDisposeFunc keydispose = nullptr,
                          typename Base::ValDisposeFunc valdispose = nullptr)
      : Base(keycmp, keydup, keydispose, valdispose) {}
};
