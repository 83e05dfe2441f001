#pragma once

#include <filesystem>
#include <functional>
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

// Runs work on a thread of its own and waits up to five seconds for it.
// True when it ended in time; otherwise every reader that waits on the named
// pipe fifo is given a writer until work ends, and the result is false.
bool endsWithoutAPipeWriter(const std::string& fifo, const std::function<void()>& work);
