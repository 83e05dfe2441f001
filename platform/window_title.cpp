#include "window_title.h"

#include <stdlib.h>

#include "window.h"

namespace plat {

std::string windowDisplayTitle(const Window& w) {
  const std::string& file = w.representedFilename();
  std::string mark = w.isDocumentEdited() ? "*" : "";
  if (file.empty()) return mark + w.title();
  size_t slash = file.find_last_of('/');
  std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
  std::string folder = slash == std::string::npos ? "" : slash == 0 ? "/" : file.substr(0, slash);
  const char* home = getenv("HOME");
  if (home && *home && folder.size() >= 1) {
    std::string h = home;
    while (h.size() > 1 && h.back() == '/') h.pop_back();
    if (folder == h) folder = "~";
    else if (folder.compare(0, h.size() + 1, h + "/") == 0) folder = "~" + folder.substr(h.size());
  }
  std::string out = mark + name;
  if (!folder.empty()) out += " (" + folder + ")";
  if (!w.title().empty() && w.title() != name) out += " - " + w.title();
  return out;
}

}  // namespace plat
