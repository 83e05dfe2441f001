// Fonts installed for the user: copied into the user's font folder, where
// the desktop's font configuration (and so every program) finds them.

#include <fontconfig/fontconfig.h>
// after fontconfig.h, which it needs
#include <fontconfig/fcfreetype.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "text.h"

namespace plat {

namespace {

bool readFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream ss;
  ss << in.rdbuf();
  *out = ss.str();
  return !in.bad();
}

bool exists(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0;
}

// Creates every missing folder of an absolute path.
bool makeFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    std::string part = path.substr(0, i);
    if (mkdir(part.c_str(), 0755) != 0 && !exists(part)) return false;
  }
  return true;
}

bool writeWhole(const std::string& path, const std::string& bytes) {
  // Written aside and moved into place, so no program sees half a font.
  std::string tmp = path + ".partial-" + std::to_string(getpid());
  FILE* f = fopen(tmp.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = fclose(f) == 0 && ok;
  if (ok) ok = rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) remove(tmp.c_str());
  return ok;
}

}  // namespace

std::string userFontFolder() {
  const char* data = getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return std::string(data) + "/fonts";
  const char* home = getenv("HOME");
  if (!home || home[0] != '/') return std::string();
  return std::string(home) + "/.local/share/fonts";
}

bool installUserFont(const std::string& path, std::string* installed) {
  std::string bytes;
  if (path.empty() || !readFile(path, &bytes) || bytes.empty()) return false;
  // Only font files go into the user's folder.
  FcFontSet* faces = FcFontSetCreate();
  if (!faces) return false;
  const unsigned found =
      FcFreeTypeQueryAll(reinterpret_cast<const FcChar8*>(path.c_str()), -1, nullptr, nullptr, faces);
  FcFontSetDestroy(faces);
  if (found < 1) return false;
  const std::string folder = userFontFolder();
  if (folder.empty() || !makeFolders(folder)) return false;
  std::string leaf = path.substr(path.rfind('/') + 1);
  size_t dot = leaf.rfind('.');
  std::string stem = dot == std::string::npos || dot == 0 ? leaf : leaf.substr(0, dot);
  std::string ext = stem.size() == leaf.size() ? std::string() : leaf.substr(stem.size());
  // The same font under the same name is there already; another file of that
  // name is left alone and the font goes in under a numbered name.
  std::string target;
  for (int n = 1; n < 1000 && target.empty(); ++n) {
    std::string candidate = folder + "/" + (n == 1 ? stem : stem + "-" + std::to_string(n)) + ext;
    std::string there;
    if (!exists(candidate) || (readFile(candidate, &there) && there == bytes)) target = candidate;
  }
  if (target.empty()) return false;
  std::string there;
  if (!(exists(target) && readFile(target, &there) && there == bytes) && !writeWhole(target, bytes))
    return false;
  if (installed) *installed = target;
  // This program sees it at once; others when their font configuration looks
  // at the folder again.
  return registerFontFile(target);
}

}  // namespace plat
