// Child processes through their handles: pipes both ways, exit codes,
// termination, waits, and the handles and inputs that must be refused.

#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/task.h"
#include "shim-appstub.h"
#include "shim-kernel.h"
#include "shim-misc.h"

namespace {

// A shell running script, with pipes.
HANDLE Shell(const char* script, bool pipes = true) {
  const char* params[] = {"-c", script};
  return SHIM_CreateProcessIO("/bin/sh", 2, params, pipes);
}

std::string ReadAll(HANDLE h, int pipe) {
  char buf[256] = {0};
  const int n = SHIM_ReadWriteProcessIO(h, pipe, buf, sizeof buf - 1);
  return std::string(buf, n);
}

TEST(Processes, TalkThroughTheirPipesAndEndWithTheirExitCode) {
  HANDLE h = Shell("read line; echo \"got:$line\"; echo oops >&2; exit 3");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(SHIM_GetProcessExitCode(h), -3);  // waits for its line
  char line[] = "abc\n";
  EXPECT_EQ(SHIM_ReadWriteProcessIO(h, 0, line, 4), 4);
  EXPECT_EQ(ReadAll(h, 1), "got:abc\n");
  EXPECT_EQ(ReadAll(h, 2), "oops\n");
  EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(SHIM_GetProcessExitCode(h), 3);
  EXPECT_TRUE(CloseHandle(h));
}

TEST(Processes, ArgumentsArriveInOrderWithNullsAsEmptyStrings) {
  const char* params[] = {"-c", "printf '%s|' \"$@\"", "x", "a", nullptr, "b c"};
  HANDLE h = SHIM_CreateProcessIO("/bin/sh", 6, params, true);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(ReadAll(h, 1), "a||b c|");
  CloseHandle(h);
}

TEST(Processes, AZeroSizeReadTellsWhatIsWaitingAndLeavesIt) {
  HANDLE h = Shell("printf abcdef");
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
  char buf[16] = {0};
  EXPECT_EQ(SHIM_ReadWriteProcessIO(h, 1, buf, 0), 6);
  EXPECT_EQ(SHIM_ReadWriteProcessIO(h, 1, buf, -5), 6);
  EXPECT_EQ(SHIM_ReadWriteProcessIO(h, 1, buf, 4), 4);
  EXPECT_EQ(std::string(buf, 4), "abcd");
  EXPECT_EQ(SHIM_ReadWriteProcessIO(h, 1, buf, 0), 2);
  EXPECT_EQ(SHIM_ReadWriteProcessIO(h, 1, buf, 10), 2);
  EXPECT_EQ(std::string(buf, 2), "ef");
  CloseHandle(h);
}

TEST(Processes, TerminatingEndsARunningChild) {
  HANDLE h = Shell("exec sleep 30", false);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(h, 20), WAIT_TIMEOUT);
  EXPECT_EQ(SHIM_GetProcessExitCode(h), -3);
  EXPECT_EQ(SHIM_TerminateProcess(h), 0);
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(SHIM_GetProcessExitCode(h), SIGTERM);
  EXPECT_EQ(SHIM_TerminateProcess(h), 0);  // already over
  CloseHandle(h);
}

TEST(Processes, WritingToAChildThatClosedItsInputFailsWithoutEndingUs) {
  HANDLE h = Shell("exec 0<&-; exit 0");
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
  std::string big(1 << 17, 'x');
  EXPECT_EQ(SHIM_ReadWriteProcessIO(h, 0, &big[0], static_cast<int>(big.size())), 0);
  sigset_t pending;
  sigpending(&pending);
  EXPECT_FALSE(sigismember(&pending, SIGPIPE));
  CloseHandle(h);
}

TEST(Processes, BadHandlesAndInputsAreRefused) {
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  for (HANDLE bad : {static_cast<HANDLE>(nullptr), event}) {
    char buf[8];
    EXPECT_EQ(SHIM_GetProcessExitCode(bad), -1);
    EXPECT_EQ(SHIM_TerminateProcess(bad), -1);
    EXPECT_EQ(SHIM_ReadWriteProcessIO(bad, 1, buf, 8), 0);
    SHIM_MakeProcessFront(bad);
  }
  CloseHandle(event);

  char notExecutable[] = "/tmp/hb_process_XXXXXX";
  const int fd = mkstemp(notExecutable);
  ASSERT_GE(fd, 0);
  close(fd);
  EXPECT_EQ(SHIM_CreateProcess(notExecutable, 0, nullptr), nullptr);
  unlink(notExecutable);
  EXPECT_EQ(SHIM_CreateProcess("/no/such/program", 0, nullptr), nullptr);
  EXPECT_EQ(SHIM_CreateProcess("/tmp", 0, nullptr), nullptr);
  EXPECT_EQ(SHIM_CreateProcess(nullptr, 0, nullptr), nullptr);

  // Without pipes, and with pipe numbers or buffers that name nothing.
  HANDLE quiet = Shell("exit 0", false);
  ASSERT_NE(quiet, nullptr);
  char buf[8] = "abc";
  EXPECT_EQ(SHIM_ReadWriteProcessIO(quiet, 0, buf, 3), 0);
  EXPECT_EQ(SHIM_ReadWriteProcessIO(quiet, 1, buf, 8), 0);
  CloseHandle(quiet);
  HANDLE piped = Shell("cat >/dev/null");
  ASSERT_NE(piped, nullptr);
  EXPECT_EQ(SHIM_ReadWriteProcessIO(piped, 3, buf, 8), 0);
  EXPECT_EQ(SHIM_ReadWriteProcessIO(piped, -1, buf, 8), 0);
  EXPECT_EQ(SHIM_ReadWriteProcessIO(piped, 0, buf, 0), 0);
  EXPECT_EQ(SHIM_ReadWriteProcessIO(piped, 0, nullptr, 8), 0);
  EXPECT_EQ(SHIM_ReadWriteProcessIO(piped, 1, nullptr, 8), 0);
  SHIM_TerminateProcess(piped);
  CloseHandle(piped);
}

TEST(Processes, AHandleLivesUntilItsLastReferenceAndReachesTheTable) {
  EXPECT_EQ(SHIMAPI_GetFunc("SHIM_CreateProcessIO"), (void*)&SHIM_CreateProcessIO);
  EXPECT_EQ(SHIMAPI_GetFunc("SHIM_ReadWriteProcessIO"), (void*)&SHIM_ReadWriteProcessIO);
  HANDLE h = Shell("exit 7", false);
  ASSERT_NE(h, nullptr);
  __atomic_add_fetch(&static_cast<SHIM_HandleHeader*>(h)->refcount, 1, __ATOMIC_ACQ_REL);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(SHIM_GetProcessExitCode(h), 7);
  EXPECT_TRUE(CloseHandle(h));
}

// A task let go of while its child runs still collects the child: no
// zombie stays behind (kill(pid, 0) succeeds on a zombie).
TEST(Processes, AChildOutlivingItsTaskIsCollected) {
  plat::Task* t = plat::Task::launch("/bin/sleep", {"0.05"}, false);
  ASSERT_NE(t, nullptr);
  const pid_t pid = t->processIdentifier();
  t->release();
  bool gone = false;
  for (int i = 0; i < 500 && !gone; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    gone = kill(pid, 0) != 0 && errno == ESRCH;
  }
  EXPECT_TRUE(gone);
}

}  // namespace
