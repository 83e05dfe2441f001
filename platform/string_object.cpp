#include "string_object.h"

#include <stdint.h>
#include <string.h>

namespace plat {

bool isValidUtf8(const char* s, size_t n) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  size_t i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    uint32_t cp, least;
    if ((c & 0xE0) == 0xC0) {
      len = 2, cp = c & 0x1F, least = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, cp = c & 0x0F, least = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, cp = c & 0x07, least = 0x10000;
    } else {
      return false;
    }
    if (n - i < len) return false;
    for (size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

StringObject* StringObject::create(const char* utf8) {
  if (!utf8) utf8 = "";
  const size_t n = strlen(utf8);
  if (!isValidUtf8(utf8, n)) return nullptr;
  return new StringObject(std::string(utf8, n));
}

}  // namespace plat
