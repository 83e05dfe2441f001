#include "pasteboard.h"

#include <algorithm>
#include <memory>

#include "app.h"

namespace plat {

const char* const Pasteboard::kTextType = "public.utf8-plain-text";

namespace {
std::map<std::string, std::unique_ptr<Pasteboard>>& namedBoards() {
  static auto* m = new std::map<std::string, std::unique_ptr<Pasteboard>>();
  return *m;
}
}  // namespace

Pasteboard& Pasteboard::general() {
  static Pasteboard* g = new Pasteboard(true);
  return *g;
}

Pasteboard& Pasteboard::named(const std::string& name) {
  auto& boards = namedBoards();
  auto it = boards.find(name);
  if (it == boards.end())
    it = boards.emplace(name, std::unique_ptr<Pasteboard>(new Pasteboard(false))).first;
  return *it->second;
}

void Pasteboard::declareTypes(const std::vector<std::string>& types) {
  m_declared.clear();
  for (const std::string& t : types)
    if (std::find(m_declared.begin(), m_declared.end(), t) == m_declared.end()) m_declared.push_back(t);
  m_data.clear();
  if (m_general) app().setClipboardText("");
}

std::vector<std::string> Pasteboard::types() const {
  std::vector<std::string> out;
  bool textListed = false;
  for (const std::string& t : m_declared) {
    if (m_general && t == kTextType) {
      textListed = true;
      if (!app().clipboardText().empty()) out.push_back(t);
    } else if (m_data.count(t)) {
      out.push_back(t);
    }
  }
  // Text copied by another program is there without our declaring it.
  if (m_general && !textListed && !app().clipboardText().empty()) out.insert(out.begin(), kTextType);
  return out;
}

bool Pasteboard::setData(const std::string& type, const std::string& bytes) {
  if (std::find(m_declared.begin(), m_declared.end(), type) == m_declared.end()) return false;
  if (m_general && type == kTextType) {
    app().setClipboardText(bytes);
    return true;
  }
  m_data[type] = bytes;
  return true;
}

bool Pasteboard::data(const std::string& type, std::string* out) const {
  if (m_general && type == kTextType) {
    std::string t = app().clipboardText();
    if (t.empty()) return false;
    if (out) *out = t;
    return true;
  }
  auto it = m_data.find(type);
  if (it == m_data.end()) return false;
  if (out) *out = it->second;
  return true;
}

void Pasteboard::resetAllForTests() {
  general().m_declared.clear();
  general().m_data.clear();
  namedBoards().clear();
}

}  // namespace plat
