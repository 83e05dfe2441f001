// The audio and MIDI libraries' reports on std::cerr: held in memory, so that
// a thread stopped inside stdio (as the JACK server's thread is when the
// server goes away) cannot hold up their writers, and written out in order
// by the main thread.

#include <gtest/gtest.h>
#include <pthread.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <string>
#include <thread>

#include "app_main.h"
#include "temp_dir.h"

namespace {

// Standard error into a file for the scope.
class CapturedStderr {
public:
  explicit CapturedStderr(const std::string& path) : mPath(path) {
    fflush(stderr);
    mSaved = dup(STDERR_FILENO);
    FILE* f = fopen(path.c_str(), "w");
    dup2(fileno(f), STDERR_FILENO);
    fclose(f);
  }
  ~CapturedStderr() { restore(); }
  std::string text() {
    restore();
    return readText(mPath);
  }

private:
  void restore() {
    if (mSaved < 0) return;
    fflush(stderr);
    dup2(mSaved, STDERR_FILENO);
    close(mSaved);
    mSaved = -1;
  }
  std::string mPath;
  int mSaved = -1;
};

TEST(LibraryReports, AreWrittenOutInOrderByTheMainThread) {
  HoldLibraryReports();
  TempDir dir;
  CapturedStderr err(dir.path("stderr.txt"));
  std::cerr << "\nRtApiJack: first report\n" << std::endl;
  std::cerr << "second " << 2 << '\n';
  fprintf(stderr, "before\n");
  WriteLibraryReports();
  WriteLibraryReports();  // nothing twice
  EXPECT_EQ(err.text(), "before\n\nRtApiJack: first report\n\nsecond 2\n");
}

// Standard output and standard error locked by a thread that never lets go
// (as one cancelled inside stdio leaves them): a report still returns at once.
TEST(LibraryReports, ALockedStdioHoldsUpNoReport) {
  HoldLibraryReports();
  std::atomic<bool> locked{false}, release{false};
  std::thread holder([&] {
    flockfile(stdout);
    flockfile(stderr);
    locked = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    funlockfile(stderr);
    funlockfile(stdout);
  });
  while (!locked) std::this_thread::yield();
  std::atomic<bool> returned{false};
  std::thread writer([&] {
    std::cerr << "\nRtApiJack: the server is shutting down this client\n" << std::endl;
    returned = true;
  });
  for (int i = 0; i < 2000 && !returned; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const bool inTime = returned;
  release = true;  // before anything is printed: the test's own output needs stdio
  writer.join();
  holder.join();
  EXPECT_TRUE(inTime) << "the report waited for the stdio lock";
  TempDir dir;
  CapturedStderr err(dir.path("stderr.txt"));
  WriteLibraryReports();
  EXPECT_EQ(err.text(), "\nRtApiJack: the server is shutting down this client\n\n");
}

}  // namespace
