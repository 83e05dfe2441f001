#pragma once

#include <filesystem>
#include <string>

// A fresh folder for one test's files, removed with everything in it.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path(const std::string& name) const { return (dir / name).string(); }

private:
  std::filesystem::path dir;
};

// A whole file as bytes in a string ("" when it cannot be read), and a
// string written as a whole file.
std::string readText(const std::string& path);
void writeText(const std::string& path, const std::string& text);
