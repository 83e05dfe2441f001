#pragma once

// A fresh folder per test, removed with everything in it afterwards, and
// small file helpers.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempDir {
public:
  TempDir() {
    std::string templ = ::testing::TempDir() + "hbshim_XXXXXX";
    char* made = mkdtemp(&templ[0]);
    EXPECT_NE(made, nullptr);
    mPath = templ;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(mPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(mPath, ec);
  }
  const std::string& Path() const { return mPath; }
  std::string operator/(const std::string& name) const { return mPath + "/" + name; }

private:
  std::string mPath;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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

// Sets an environment variable for the lifetime of the guard.
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

private:
  std::string mName, mOld;
  bool mHad = false;
};
