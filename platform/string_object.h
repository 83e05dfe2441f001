#pragma once

// An immutable string object: UTF-8 text behind a reference count, the form
// in which the windowing layer hands strings to code that keeps them. It is
// released like every platform object, with release().

#include <string>

#include "object.h"

namespace plat {

class StringObject : public Object {
public:
  // One reference, the caller's. Null when the bytes are not valid UTF-8.
  static StringObject* create(const char* utf8);
  const std::string& utf8() const { return m_text; }

private:
  explicit StringObject(std::string text) : m_text(std::move(text)) {}
  std::string m_text;
};

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool isValidUtf8(const char* s, size_t n);

}  // namespace plat
