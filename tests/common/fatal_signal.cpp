// Linked into every test program: a test that aborts or crashes prints the
// stack of the thread it happened on before it ends, so that a rare failure
// on a machine we cannot reach still says where it was.

#include <execinfo.h>
#include <signal.h>
#include <string.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

void Say(const char* text) {
  if (write(STDERR_FILENO, text, strlen(text)) < 0) {
  }
}

void SayNumber(long value) {
  char digits[24];
  int n = 0;
  unsigned long v = value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v && n < 23);
  if (value < 0) digits[n++] = '-';
  char text[24];
  for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
  text[n] = '\0';
  Say(text);
}

void OnFatalSignal(int sig) {
  Say(sig == SIGABRT ? "\n*** abort" : sig == SIGSEGV ? "\n*** segmentation fault" : "\n*** bus error");
  Say(" on thread ");
  SayNumber(static_cast<long>(syscall(SYS_gettid)));
  Say(" (process ");
  SayNumber(static_cast<long>(getpid()));
  Say("); its stack:\n");
  void* frames[64];
  const int count = backtrace(frames, 64);
  backtrace_symbols_fd(frames, count, STDERR_FILENO);
  // Ends the way it would have without us.
  signal(sig, SIG_DFL);
  raise(sig);
}

void Install(int sig) {
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = OnFatalSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigaction(sig, &action, nullptr);
}

struct Installer {
  Installer() {
    // The first call loads what backtrace needs; later, in the handler, it
    // must not allocate.
    void* frame[1];
    backtrace(frame, 1);
    Install(SIGABRT);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // The sanitizers report these themselves.
    Install(SIGSEGV);
    Install(SIGBUS);
#endif
  }
} gInstaller;

}  // namespace
