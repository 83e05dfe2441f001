#pragma once

// D-Bus daemons of a test's own, and a stand-in for the desktop's inhibit
// services on one of them.

#include <sys/types.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A bus daemon listening in `dir`, stopped (by its process id) with the
// object. Its configuration starts no services of its own.
class PrivateBus {
public:
  PrivateBus() = default;
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;
  ~PrivateBus() { stop(); }
  // type: "session" or "accessibility". False with a reason.
  bool start(const std::string& dir, const std::string& type, std::string* error);
  void stop();
  const std::string& address() const { return m_address; }

private:
  pid_t m_pid = -1;
  std::string m_address;
};

// Starts a program with extra environment entries ("NAME=value"; "NAME="
// removes NAME), its output and errors appended to logPath and its input
// from stdinFd (or nothing); its process id, or -1.
pid_t spawnProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                   const std::string& logPath, int stdinFd = -1);
// Ends a program started above: SIGTERM, then SIGKILL after a while.
void stopProgram(pid_t pid);

// org.freedesktop.ScreenSaver and org.freedesktop.PowerManagement on a
// bus, answering Inhibit with fresh cookies and recording every call as
// "ScreenSaver.Inhibit app reason -> 1" or "PowerManagement.UnInhibit 2".
class FakeInhibitors {
public:
  ~FakeInhibitors() { stop(); }
  bool start(const std::string& address, std::string* error);
  void stop();
  std::vector<std::string> calls();
  // Waits until n calls were recorded (the calls come from another thread).
  bool waitForCalls(size_t n, double seconds);

private:
  void run(void* connection);
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::vector<std::string> m_calls;
  unsigned m_nextCookie = 1;
};
