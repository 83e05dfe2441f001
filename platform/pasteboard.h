#pragma once

// Pasteboards: named stores of typed data (a type is a name, the data bytes).
// The general pasteboard's text is the desktop clipboard when a presenter
// runs (and the application's in-memory clipboard otherwise); every other
// type and every other pasteboard lives in this process.

#include <map>
#include <string>
#include <vector>

namespace plat {

class Pasteboard {
public:
  // The plain-text type (UTF-8 bytes).
  static const char* const kTextType;

  static Pasteboard& general();
  // A private pasteboard, made on first use.
  static Pasteboard& named(const std::string& name);

  // Replaces the contents with these types, none of them holding data yet.
  void declareTypes(const std::vector<std::string>& types);
  // Types that hold data now, in declaration order.
  std::vector<std::string> types() const;
  // false when the type was not declared.
  bool setData(const std::string& type, const std::string& bytes);
  bool data(const std::string& type, std::string* out) const;
  bool setString(const std::string& type, const std::string& s) { return setData(type, s); }
  void clearContents() { declareTypes({}); }

  // Drops every pasteboard's contents (tests).
  static void resetAllForTests();

private:
  explicit Pasteboard(bool general) : m_general(general) {}
  bool m_general;
  std::vector<std::string> m_declared;
  std::map<std::string, std::string> m_data;
};

}  // namespace plat
