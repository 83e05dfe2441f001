#pragma once

// A child process started from a program file, optionally with its standard
// input, output and error connected to pipes held by the parent. The task
// reaps its own child: asking whether it runs collects the exit status once
// it has ended, and a task released while its child still runs leaves a
// helper thread to collect it, so no zombie is left either way.

#include <sys/types.h>

#include <mutex>
#include <string>
#include <vector>

#include "object.h"

namespace plat {

class Task : public Object {
public:
  // Starts the program file at path (not looked up in PATH) with args after
  // the program name. Null when it cannot be started: no such file, not
  // executable, no pipes or no process to be had.
  static Task* launch(const std::string& path, const std::vector<std::string>& args,
                      bool withPipes);

  pid_t processIdentifier() const { return m_pid; }
  bool hasPipes() const { return m_in >= 0 || m_out >= 0 || m_err >= 0; }

  bool isRunning();
  // After the child has ended: its exit code, or the number of the signal
  // that ended it. -1 while it runs or when its status could not be had.
  int terminationStatus();
  // Asks the child to end (SIGTERM). False once it has been collected.
  bool terminate();

  // Writes all of data to the child's standard input; false when the child
  // closed it or there is no pipe.
  bool writeInput(const void* data, size_t len);
  // stream 1: standard output, 2: standard error. Reads until len bytes have
  // come or the child closed the stream, waiting as needed; returns the count,
  // -1 without such a pipe or on a read error.
  long readOutput(int stream, void* buf, size_t len);
  // Bytes waiting on the stream now, without reading or waiting; -1 without
  // such a pipe.
  long availableOutput(int stream);

  // Raises a window the child shows. Waits up to tries x pauseMs for one to
  // appear; false when none did or the desktop offers no way to raise it.
  bool bringToFront(int tries, int pauseMs);

protected:
  ~Task() override;

private:
  Task() = default;
  // Collects the child's status without waiting; caller holds m_lock.
  void pollLocked();
  int streamFd(int stream) const;

  std::mutex m_lock;
  pid_t m_pid = -1;
  bool m_reaped = false;
  int m_status = -1;
  int m_in = -1, m_out = -1, m_err = -1;
};

}  // namespace plat
