#pragma once

// Environment variables set for one test, a temporary folder's own path,
// and what a test asks of a file besides its contents.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "temp_dir.h"

// Sets (or, with null, removes) an environment variable for the lifetime of
// the guard.
class EnvGuard {
public:
  EnvGuard(const char* name, const char* value) : mName(name) {
    const char* old = getenv(name);
    mHad = old != nullptr;
    if (old) mOld = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvGuard() {
    if (mHad)
      setenv(mName.c_str(), mOld.c_str(), 1);
    else
      unsetenv(mName.c_str());
  }
  EnvGuard(const EnvGuard&) = delete;
  EnvGuard& operator=(const EnvGuard&) = delete;

private:
  std::string mName, mOld;
  bool mHad = false;
};

// The folder itself, without a trailing '/'.
inline std::string FolderOf(const TempDir& dir) {
  std::string p = dir.path("");
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

inline bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

inline ino_t InodeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Gives a file an old modification time, as a file left untouched for a
// while has.
inline void SetOldTime(const std::string& path, time_t seconds = 1600000000) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}
