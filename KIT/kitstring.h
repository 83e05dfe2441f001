#pragma once

#include <cstring>

#include "heapbuf.h"

// NUL-terminated 8-bit text over a heap buffer of granularity 128. While text
// is held the buffer's size is the length plus one; an empty string has size
// 0 or 1.
class KIT_String {
public:
  KIT_String() : m_hb(128) {}
  explicit KIT_String(const char* str) : m_hb(128) { Set(str); }
  KIT_String(const KIT_String& other) : m_hb(128) { Set(other.Get()); }
  KIT_String& operator=(const KIT_String& other) {
    if (this != &other) Set(other.Get());
    return *this;
  }

  // Never null: an empty string gives a shared, freshly cleared character.
  char* Get() const {
    if (!m_hb.GetSize()) {
      static char empty;
      empty = 0;
      return &empty;
    }
    return static_cast<char*>(m_hb.Get());
  }
  int GetLength() const { return m_hb.GetSize() ? static_cast<int>(strlen(Get())) : 0; }

  void Set(const char* str) { __doSet(0, str, str ? static_cast<int>(strlen(str)) : 0, 0); }
  void Set(const char* str, int len) { __doSet(0, str, len, 0); }
  void Append(const char* str) {
    __doSet(GetLength(), str, str ? static_cast<int>(strlen(str)) : 0, 0);
  }
  void Append(const char* str, int len) { __doSet(GetLength(), str, len, 0); }

  // Removes len characters at pos; out-of-range parts are ignored.
  void DeleteSub(int pos, int len);
  // Cuts the text to at most newlen characters.
  void SetLen(int newlen);

  void SetFormatted(int maxlen, const char* fmt, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;

  // Replaces the text from offset on with len bytes of str, keeping the next
  // trailkeep bytes of the old text behind them.
  void __doSet(int offset, const char* str, int len, int trailkeep);

  const KIT_HeapBuf& GetHeapBuf() const {
    return m_hb;
  }

private:
  KIT_HeapBuf m_hb;
};
