#include "bundle.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <map>
#include <mutex>

namespace plat {

namespace {

std::mutex& bundlesMutex() {
  static std::mutex m;
  return m;
}

// Live bundles by folder; an entry leaves with its bundle.
std::map<std::string, Bundle*>& bundles() {
  static std::map<std::string, Bundle*>* b = new std::map<std::string, Bundle*>();
  return *b;
}

bool isDirectory(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

const char* Bundle::machineFolder() {
#if defined(__x86_64__)
  return "x86_64-linux";
#elif defined(__aarch64__)
  return "aarch64-linux";
#elif defined(__i386__)
  return "i386-linux";
#elif defined(__arm__)
  return "arm-linux";
#else
  return "unknown-linux";
#endif
}

Bundle* Bundle::create(const std::string& path) {
  if (path.empty()) return nullptr;
  char real[PATH_MAX];
  if (!realpath(path.c_str(), real) || !isDirectory(real)) return nullptr;
  std::lock_guard<std::mutex> g(bundlesMutex());
  auto it = bundles().find(real);
  if (it != bundles().end()) {
    it->second->retain();
    return it->second;
  }
  Bundle* b = new Bundle(real);
  bundles()[real] = b;
  return b;
}

Bundle::~Bundle() {
  {
    std::lock_guard<std::mutex> g(bundlesMutex());
    auto it = bundles().find(m_path);
    if (it != bundles().end() && it->second == this) bundles().erase(it);
  }
  if (m_dl) dlclose(m_dl);
}

std::string Bundle::name() const {
  std::string leaf = m_path.substr(m_path.rfind('/') + 1);
  const size_t dot = leaf.rfind('.');
  return dot == std::string::npos || dot == 0 ? leaf : leaf.substr(0, dot);
}

std::string Bundle::executablePath() const {
  return m_path + "/Contents/" + machineFolder() + "/" + name() + ".so";
}

std::string Bundle::resourcePath() const { return m_path + "/Contents/Resources"; }

std::string Bundle::pathForResource(const std::string& name) const {
  if (name.empty() || name[0] == '/') return std::string();
  // No way out of the Resources folder.
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return std::string();
    start = end + 1;
  }
  std::string p = resourcePath() + "/" + name;
  return isFile(p) ? p : std::string();
}

bool Bundle::loadExecutable(bool globalSymbols, std::string* error) {
  if (!m_tried) {
    m_tried = true;
    const std::string exe = executablePath();
    if (!isFile(exe)) {
      m_loadError = "no code for this machine at " + exe;
    } else {
      m_dl = dlopen(exe.c_str(), RTLD_NOW | (globalSymbols ? RTLD_GLOBAL : RTLD_LOCAL));
      if (!m_dl) {
        const char* why = dlerror();
        m_loadError = why ? why : "cannot load " + exe;
      }
    }
  }
  if (!m_dl && error) *error = m_loadError;
  return m_dl != nullptr;
}

void* Bundle::symbol(const char* name) const {
  return m_dl && name ? dlsym(m_dl, name) : nullptr;
}

}  // namespace plat
