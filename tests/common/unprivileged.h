#pragma once

// File permissions as an ordinary user meets them, also in test runs as
// root (who reads and writes anything): RunUnprivileged runs a check in a
// child process under the "nobody" identity. The check returns "" when all
// held, else what failed; the child's answer is the result.

#include <errno.h>
#include <grp.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// In a check: returns what failed when got (a string) is not want.
#define CHECK_TEXT(got, want)                                                              \
  do {                                                                                     \
    const std::string got_ = (got), want_ = (want);                                        \
    if (got_ != want_) return std::string(#got) + " gave \"" + got_ + "\", not \"" + want_ + "\""; \
  } while (0)

// The identity the check takes when the tests run as root.
constexpr uid_t kUnprivilegedId = 65534;

// The paths a root run hands over to that identity before the check (made
// by the test as root); without root they are the test user's already.
inline std::string RunUnprivileged(const std::function<std::string()>& check,
                                   const std::vector<std::string>& handOver = {}) {
  if (geteuid() != 0) return check();
  int fds[2];
  if (pipe(fds) != 0) return "no pipe";
  fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return "no child process";
  if (child == 0) {
    close(fds[0]);
    std::string result;
    for (const std::string& p : handOver)
      if (chown(p.c_str(), kUnprivilegedId, kUnprivilegedId) != 0) result = "cannot hand over " + p;
    if (result.empty() &&
        (setgroups(0, nullptr) != 0 || setgid(kUnprivilegedId) != 0 || setuid(kUnprivilegedId) != 0))
      result = "cannot give up root";
    if (result.empty()) result = check();
    for (size_t at = 0; at < result.size();) {
      const ssize_t n = write(fds[1], result.data() + at, result.size() - at);
      if (n <= 0) break;
      at += static_cast<size_t>(n);
    }
    _exit(0);
  }
  close(fds[1]);
  std::string answer;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    answer.append(buf, static_cast<size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    answer += " (the check's process ended abnormally)";
  return answer;
}
