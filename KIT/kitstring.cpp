#include "kitstring.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

void KIT_String::__doSet(int offset, const char* str, int len, int trailkeep) {
  if (!offset && !len && !trailkeep) {
    char* p = static_cast<char*>(m_hb.Resize(1, false));
    if (p) p[0] = 0;
    return;
  }
  if (offset < 0 || len < 1 || trailkeep < 0) return;

  const long long want = static_cast<long long>(offset) + len + trailkeep;
  if (want >= 0x7fffffffLL) return;
  const int newlen = static_cast<int>(want);
  const int oldsize = m_hb.GetSize();
  if (newlen >= oldsize) {
    // The text may come from our own block; follow it if the block moves.
    const uintptr_t oldbase = reinterpret_cast<uintptr_t>(m_hb.Get());
    const uintptr_t s = reinterpret_cast<uintptr_t>(str);
    const bool inside = oldbase && s >= oldbase && s < oldbase + static_cast<uintptr_t>(oldsize);
    m_hb.Resize(newlen + 1, false);
    const uintptr_t newbase = reinterpret_cast<uintptr_t>(m_hb.Get());
    if (inside && newbase && newbase != oldbase)
      str = reinterpret_cast<const char*>(newbase + (s - oldbase));
  }
  if (m_hb.GetSize() < newlen + 1) return;

  char* buf = static_cast<char*>(m_hb.Get());
  if (trailkeep > 0) memmove(buf + offset + len, buf + offset, static_cast<size_t>(trailkeep));
  if (str) memmove(buf + offset, str, static_cast<size_t>(len));
  buf[newlen] = 0;
  if (newlen + 1 < oldsize) m_hb.Resize(newlen + 1, false);
}

void KIT_String::DeleteSub(int pos, int len) {
  const int curlen = GetLength();
  if (pos < 0 || len < 1 || pos >= curlen) return;
  if (len > curlen - pos) len = curlen - pos;
  char* buf = static_cast<char*>(m_hb.Get());
  // Moves the tail and its terminator down over the run.
  memmove(buf + pos, buf + pos + len, static_cast<size_t>(curlen - pos - len + 1));
  m_hb.Resize(curlen - len + 1, false);
}

void KIT_String::SetLen(int newlen) {
  if (newlen < 0) newlen = 0;
  if (newlen >= GetLength()) return;
  char* buf = static_cast<char*>(m_hb.Get());
  buf[newlen] = 0;
  m_hb.Resize(newlen + 1, false);
}

void KIT_String::SetFormatted(int maxlen, const char* fmt, ...) {
  if (maxlen < 0 || maxlen >= 0x7fffffff) return;
  char* buf = static_cast<char*>(m_hb.Resize(maxlen + 1, false));
  if (!buf || m_hb.GetSize() != maxlen + 1) return;
  va_list ap;
  va_start(ap, fmt);
  int result = vsnprintf(buf, static_cast<size_t>(maxlen) + 1, fmt, ap);
  va_end(ap);
  if (result < 0) {
    m_hb.Resize(0, false);
    return;
  }
  m_hb.Resize((result < maxlen ? result : maxlen) + 1, false);
}
