#include "task.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <stdlib.h>

#include <thread>

#include "workspace.h"

extern char** environ;

namespace plat {

namespace {

void closeFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

struct Pipe {
  int fd[2] = {-1, -1};
  bool open() { return pipe2(fd, O_CLOEXEC) == 0; }
  void closeBoth() {
    closeFd(fd[0]);
    closeFd(fd[1]);
  }
};

int decodeStatus(int status);

// Runs a desktop tool to its end, its complaints kept off our standard
// error; true when it says it succeeded.
bool runTool(const std::string& tool, const std::vector<std::string>& args) {
  Ref<Task> t = Ref<Task>::adopt(Task::launch(tool, args, true));
  if (!t) return false;
  while (t->isRunning()) usleep(1000);
  return t->terminationStatus() == 0;
}

int decodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return WTERMSIG(status);
  return -1;
}

}  // namespace

Task* Task::launch(const std::string& path, const std::vector<std::string>& args,
                   bool withPipes) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      access(path.c_str(), X_OK) != 0)
    return nullptr;

  Pipe in, out, err;
  if (withPipes && !(in.open() && out.open() && err.open())) {
    in.closeBoth();
    out.closeBoth();
    err.closeBoth();
    return nullptr;
  }

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // The child starts with no signals blocked and SIGPIPE at its default,
  // whatever this process does with them.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, pipeOnly;
  sigemptyset(&none);
  sigemptyset(&pipeOnly);
  sigaddset(&pipeOnly, SIGPIPE);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &pipeOnly);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (withPipes) {
    // dup2 clears close-on-exec on the child's copies; every parent end
    // keeps it, so the child holds none of them.
    posix_spawn_file_actions_adddup2(&actions, in.fd[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out.fd[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], 2);
  }

  pid_t pid = -1;
  const int rc = posix_spawn(&pid, path.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  closeFd(in.fd[0]);
  closeFd(out.fd[1]);
  closeFd(err.fd[1]);
  if (rc != 0) {
    closeFd(in.fd[1]);
    closeFd(out.fd[0]);
    closeFd(err.fd[0]);
    return nullptr;
  }

  Task* t = new Task();
  t->m_pid = pid;
  t->m_in = in.fd[1];
  t->m_out = out.fd[0];
  t->m_err = err.fd[0];
  return t;
}

Task::~Task() {
  closeFd(m_in);
  closeFd(m_out);
  closeFd(m_err);
  if (!m_reaped && m_pid > 0) {
    const pid_t pid = m_pid;
    std::thread([pid] {
      int status;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  }
}

void Task::pollLocked() {
  if (m_reaped) return;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(m_pid, &status, WNOHANG);
  } while (r < 0 && errno == EINTR);
  if (r == m_pid) {
    m_reaped = true;
    m_status = decodeStatus(status);
  } else if (r < 0) {
    // Somebody else collected it: it has ended, its status is lost.
    m_reaped = true;
    m_status = -1;
  }
}

bool Task::isRunning() {
  std::lock_guard<std::mutex> g(m_lock);
  pollLocked();
  return !m_reaped;
}

int Task::terminationStatus() {
  std::lock_guard<std::mutex> g(m_lock);
  pollLocked();
  return m_reaped ? m_status : -1;
}

bool Task::terminate() {
  std::lock_guard<std::mutex> g(m_lock);
  pollLocked();
  // Once collected, the number may already name another process.
  if (m_reaped) return false;
  return kill(m_pid, SIGTERM) == 0;
}

int Task::streamFd(int stream) const {
  if (stream == 1) return m_out;
  if (stream == 2) return m_err;
  return -1;
}

bool Task::writeInput(const void* data, size_t len) {
  if (m_in < 0) return false;
  // A child that closed its input must give an error here, not a SIGPIPE
  // that ends this program: block it for this thread and drop one it raised.
  sigset_t pipeOnly, old;
  sigemptyset(&pipeOnly);
  sigaddset(&pipeOnly, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeOnly, &old);
  sigset_t pending;
  sigpending(&pending);
  const bool wasPending = sigismember(&pending, SIGPIPE);

  const char* p = static_cast<const char*>(data);
  size_t left = len;
  bool ok = true;
  while (left > 0) {
    const ssize_t n = write(m_in, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }

  if (!ok && errno == EPIPE && !wasPending) {
    const timespec zero = {0, 0};
    while (sigtimedwait(&pipeOnly, nullptr, &zero) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return ok;
}

long Task::readOutput(int stream, void* buf, size_t len) {
  const int fd = streamFd(stream);
  if (fd < 0) return -1;
  char* p = static_cast<char*>(buf);
  size_t got = 0;
  while (got < len) {
    const ssize_t n = read(fd, p + got, len - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return got > 0 ? static_cast<long>(got) : -1;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return static_cast<long>(got);
}

long Task::availableOutput(int stream) {
  const int fd = streamFd(stream);
  if (fd < 0) return -1;
  int n = 0;
  if (ioctl(fd, FIONREAD, &n) != 0) return -1;
  return n;
}

bool Task::bringToFront(int tries, int pauseMs) {
  // Raising another program's window goes through the desktop's own tool;
  // without it there is no way to do it from here.
  const std::string tool = findProgram("xdotool");
  if (tool.empty() || m_pid <= 0) return false;
  const std::string pid = std::to_string(m_pid);
  for (int i = 0; i < tries; ++i) {
    if (!isRunning()) return false;
    Ref<Task> search = Ref<Task>::adopt(
        launch(tool, {"search", "--onlyvisible", "--pid", pid}, true));
    if (!search) return false;
    char found[64] = {0};
    const long n = search->readOutput(1, found, sizeof found - 1);
    while (search->isRunning()) usleep(1000);
    std::string id(found, n > 0 ? static_cast<size_t>(n) : 0);
    id = id.substr(0, id.find('\n'));
    if (!id.empty()) {
      // Activation needs a window manager; without one, raising the window
      // and giving it the keyboard is the nearest thing.
      if (runTool(tool, {"windowactivate", id})) return true;
      return runTool(tool, {"windowraise", id}) && runTool(tool, {"windowfocus", id});
    }
    if (pauseMs > 0) usleep(static_cast<useconds_t>(pauseMs) * 1000);
  }
  return false;
}

}  // namespace plat
