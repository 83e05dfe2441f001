// Portable helpers: arithmetic, rectangles, strings, the temporary folder,
// file times, events, socket events, threads, movable memory, modules and the
// layer's settings.

#include <fcntl.h>
#include <limits.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "shim-kernel.h"
#include "temp_dir.h"
#include "test_env.h"

namespace {

TEST(ShimArithmetic, MulDivTruncatesTowardZeroAndSaturates) {
  struct Case {
    int a, b, c, expected;
  } cases[] = {{7, 3, 2, 10},          {1, 1, 0, 0},     {-7, 3, 2, -10},
               {7, -3, -2, 10},        {100000, 100000, 1000, 10000000},
               {INT_MAX, 4, 2, INT_MAX}, {INT_MIN, 4, 2, INT_MIN}};
  for (const Case& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "," << c.b;
  EXPECT_EQ(_controlfp(0x1F, 0xFFFF), 0u);
}

TEST(ShimRects, IntersectUnionAndHitTest) {
  struct Case {
    RECT a, b;
    BOOL intersects;
    RECT meet, join;
  } cases[] = {
      {{0, 0, 10, 10}, {5, 5, 15, 15}, 1, {5, 5, 10, 10}, {0, 0, 15, 15}},
      {{0, 0, 10, 10}, {10, 0, 20, 10}, 0, {0, 0, 0, 0}, {0, 0, 20, 10}},  // touching
      {{0, 0, 10, 10}, {3, 3, 3, 3}, 0, {0, 0, 0, 0}, {0, 0, 10, 10}},     // empty b
      {{4, 4, 4, 4}, {1, 2, 3, 4}, 0, {0, 0, 0, 0}, {1, 2, 3, 4}},         // empty a
      {{0, 0, 0, 10}, {0, 0, 5, 5}, 0, {0, 0, 0, 0}, {0, 0, 5, 10}},       // zero width
  };
  for (const Case& c : cases) {
    RECT out = {9, 9, 9, 9};
    EXPECT_EQ(WinIntersectRect(&out, &c.a, &c.b), c.intersects);
    EXPECT_EQ(memcmp(&out, &c.meet, sizeof out), 0);
    EXPECT_EQ(WinUnionRect(&out, &c.a, &c.b), 1);
    EXPECT_EQ(memcmp(&out, &c.join, sizeof out), 0);
  }
  const RECT flipped = {0, 10, 10, 0};  // bottom above top
  EXPECT_TRUE(SHIM_PtInRect(&flipped, POINT{0, 0}));
  EXPECT_FALSE(SHIM_PtInRect(&flipped, POINT{10, 5}));
  EXPECT_FALSE(SHIM_PtInRect(&flipped, POINT{5, 10}));
  EXPECT_FALSE(SHIM_PtInRect(nullptr, POINT{0, 0}));
  RECT r;
  EXPECT_EQ(WinSetRect(&r, 1, 2, 3, 4), 1);
  EXPECT_EQ(WinOffsetRect(&r, 10, -2), 1);
  const RECT moved = {11, 0, 13, 2};
  EXPECT_EQ(memcmp(&r, &moved, sizeof r), 0);
  EXPECT_EQ(WinSetRect(nullptr, 0, 0, 0, 0), 0);
  EXPECT_EQ(WinIntersectRect(nullptr, &r, &r), 0);
}

TEST(ShimStrings, LstrcpynAlwaysTerminatesWithinN) {
  char buf[8];
  memset(buf, 'Z', sizeof buf);
  lstrcpyn(buf, "abcdef", 0);
  EXPECT_EQ(buf[0], 'Z');  // n < 1 leaves it untouched
  lstrcpyn(buf, "abcdef", 1);
  EXPECT_STREQ(buf, "");
  lstrcpyn(buf, "abcdef", 4);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(buf[4], 'Z');
  EXPECT_EQ(lstrcpyn(buf, "ab", 8), buf);
  EXPECT_STREQ(buf, "ab");
}

TEST(ShimTempPath, EndsInOneSlashWithinTheBuffer) {
  struct Case {
    const char* tmpdir;
    int size;
    const char* expected;
  } cases[] = {{nullptr, 64, "/tmp/"}, {"", 64, "/tmp/"},        {nullptr, 5, "/tm/"},
               {"/x/y", 64, "/x/y/"},  {"/x/y/", 64, "/x/y/"},  {"/abcdef", 4, "/a/"},
               {nullptr, 2, "/"},      {nullptr, 1, ""}};
  for (const Case& c : cases) {
    EnvGuard env("TMPDIR", c.tmpdir);
    std::vector<char> buf(static_cast<size_t>(c.size) + 4, '#');
    GetTempPath(c.size, buf.data());
    EXPECT_STREQ(buf.data(), c.expected) << (c.tmpdir ? c.tmpdir : "(unset)") << " " << c.size;
    for (size_t i = static_cast<size_t>(c.size); i < buf.size(); ++i) EXPECT_EQ(buf[i], '#');
  }
}

TEST(ShimTime, SleepZeroStillSleepsAndTicksFollowTheClock) {
  const auto start = std::chrono::steady_clock::now();
  Sleep(0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(100));

  timeval tv;
  gettimeofday(&tv, nullptr);
  const DWORD expected = static_cast<DWORD>(static_cast<uint64_t>(tv.tv_sec) * 1000u + tv.tv_usec / 1000);
  const DWORD ticks = GetTickCount();
  EXPECT_LT(static_cast<DWORD>(ticks - expected), 5000u);
}

TEST(ShimTime, FileTimesCountFrom1601InTenthsOfMicroseconds) {
  TempDir dir;
  const std::string path = dir.path("f");
  writeText(path, "x");
  const int fd = open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  const timespec times[2] = {{1000, 0}, {1700000000, 123}};  // access, modification
  ASSERT_EQ(futimens(fd, times), 0);
  FILETIME access, write;
  ASSERT_TRUE(GetFileTime(fd, nullptr, &access, &write));
  const uint64_t w = static_cast<uint64_t>(write.dwHighDateTime) << 32 | write.dwLowDateTime;
  const uint64_t a = static_cast<uint64_t>(access.dwHighDateTime) << 32 | access.dwLowDateTime;
  EXPECT_EQ(w, 1700000000ull * 10000000ull + 116444736000000000ull);
  EXPECT_EQ(a, 1000ull * 10000000ull + 116444736000000000ull);
  close(fd);
  EXPECT_FALSE(GetFileTime(fd, nullptr, nullptr, &write));
  EXPECT_FALSE(GetFileTime(-1, nullptr, nullptr, &write));
}

// Both kinds of event behave alike.
struct EventKind {
  const char* name;
  HANDLE (*create)(void*, BOOL, BOOL, const char*);
};
class ShimEvents : public ::testing::TestWithParam<EventKind> {};

TEST_P(ShimEvents, AutoResetReleasesOneWait) {
  HANDLE e = GetParam().create(nullptr, FALSE, TRUE, nullptr);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(e, 20), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(e));
  EXPECT_TRUE(SetEvent(e));  // setting twice still releases one wait
  EXPECT_EQ(WaitForSingleObject(e, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(e));
  EXPECT_TRUE(ResetEvent(e));
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(e));
}

TEST_P(ShimEvents, ManualResetStaysSignalledAndWakesEveryWaiter) {
  HANDLE e = GetParam().create(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(e, nullptr);
  std::atomic<int> woken{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i)
    waiters.emplace_back([&] {
      if (WaitForSingleObject(e, INFINITE) == WAIT_OBJECT_0) ++woken;
    });
  SetEvent(e);
  for (auto& w : waiters) w.join();
  EXPECT_EQ(woken, 3);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  ResetEvent(e);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(e));
}

TEST_P(ShimEvents, ASetFromAnotherThreadEndsATimedWait) {
  HANDLE e = GetParam().create(nullptr, FALSE, FALSE, nullptr);
  std::thread setter([e] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    SetEvent(e);
  });
  EXPECT_EQ(WaitForSingleObject(e, 60000), WAIT_OBJECT_0);
  setter.join();
  CloseHandle(e);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ShimEvents,
                         ::testing::Values(EventKind{"condition", CreateEvent},
                                           EventKind{"socket", CreateEventAsSocket}),
                         [](const ::testing::TestParamInfo<EventKind>& i) {
                           return std::string(i.param.name);
                         });

TEST(ShimSocketEvents, WaitForAnyGivesTheFirstReadyInArrayOrder) {
  HANDLE a = CreateEventAsSocket(nullptr, FALSE, FALSE, nullptr);
  HANDLE b = CreateEventAsSocket(nullptr, TRUE, FALSE, nullptr);
  HANDLE c = CreateEventAsSocket(nullptr, FALSE, FALSE, nullptr);
  HANDLE plain = CreateEvent(nullptr, TRUE, TRUE, nullptr);
  HANDLE objs[4] = {plain, a, b, c};
  EXPECT_EQ(WaitForAnySocketObject(4, objs, 0), WAIT_TIMEOUT);
  SetEvent(c);
  SetEvent(b);
  EXPECT_EQ(WaitForAnySocketObject(4, objs, 1000), 2u);
  EXPECT_EQ(WaitForAnySocketObject(4, objs, 1000), 2u);  // manual reset: still set
  ResetEvent(b);
  EXPECT_EQ(WaitForAnySocketObject(4, objs, 1000), 3u);
  EXPECT_EQ(WaitForAnySocketObject(4, objs, 0), WAIT_TIMEOUT);  // auto reset drained c
  EXPECT_EQ(WaitForAnySocketObject(0, objs, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForAnySocketObject(1, objs, 0), WAIT_TIMEOUT);  // no socket at all
  for (HANDLE h : objs) CloseHandle(h);
}

TEST(ShimHandles, NullAndForeignHandlesAreRefused) {
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  SHIM_HandleHeader foreign = {0x1234, 1};
  EXPECT_FALSE(CloseHandle(&foreign));
  EXPECT_FALSE(SetEvent(&foreign));
  EXPECT_FALSE(ResetEvent(&foreign));
  EXPECT_EQ(WaitForSingleObject(&foreign, 0), WAIT_FAILED);
  // A socket object is not this layer's to free.
  SHIM_HandleHeader socketObject = {SHIM_HANDLE_SOCKET, 1};
  EXPECT_FALSE(CloseHandle(&socketObject));
  EXPECT_EQ(socketObject.refcount, 1);
}

TEST(ShimHandles, TheLastCloseOfAFileHandleClosesItsStream) {
  SHIM_FileHandle* f = static_cast<SHIM_FileHandle*>(malloc(sizeof(SHIM_FileHandle)));
  f->hdr = SHIM_HandleHeader{SHIM_HANDLE_FILE, 2};
  f->fp = tmpfile();
  ASSERT_NE(f->fp, nullptr);
  const int fd = fileno(f->fp);
  EXPECT_TRUE(CloseHandle(f));
  EXPECT_NE(fcntl(fd, F_GETFD), -1);
  EXPECT_TRUE(CloseHandle(f));
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);
}

TEST(ShimHandles, AProcessHandleWithoutATaskFailsItsWaitAndIsFreed) {
  SHIM_ProcessHandle* p = static_cast<SHIM_ProcessHandle*>(malloc(sizeof(SHIM_ProcessHandle)));
  p->hdr = SHIM_HandleHeader{SHIM_HANDLE_PROCESS, 1};
  p->task = nullptr;
  EXPECT_EQ(WaitForSingleObject(p, 0), WAIT_FAILED);
  EXPECT_TRUE(CloseHandle(p));  // the leak checker sees it freed
}

std::atomic<unsigned> g_seenTid{0};

unsigned int RecordTid(void* arg) {
  g_seenTid = GetCurrentThreadId();
  return static_cast<unsigned>(reinterpret_cast<uintptr_t>(arg));
}

unsigned int WaitForEvent(void* arg) {
  WaitForSingleObject(static_cast<HANDLE>(arg), INFINITE);
  return 0;
}

TEST(ShimThreads, AWaitedThreadIsJoinedOnceAndClosedCleanly) {
  unsigned int tid = 0;
  HANDLE t = CreateThread(nullptr, 0, RecordTid, reinterpret_cast<void*>(7), 0, &tid);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(tid, g_seenTid.load());
  EXPECT_NE(tid, GetCurrentThreadId());
  // Waiting again and closing after the join must not join a second time.
  EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(t));
}

TEST(ShimThreads, TimedWaitsOnARunningThread) {
  HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE t = CreateThread(nullptr, 0, WaitForEvent, go, 0, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(t, 5), WAIT_TIMEOUT);
  EXPECT_TRUE(SetThreadPriority(t, 0));
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(t, 60000), WAIT_OBJECT_0);
  EXPECT_FALSE(SetThreadPriority(t, 0));  // no longer running
  EXPECT_TRUE(CloseHandle(t));
  CloseHandle(go);
}

TEST(ShimThreads, AThreadOutlivingItsHandleFreesItself) {
  HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE t = CreateThread(nullptr, 0, WaitForEvent, go, 0, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(CloseHandle(t));  // the thread still holds its own reference
  SetEvent(go);
  // Give the thread a moment to drop the last reference; the leak checker
  // at exit reports a record it failed to free.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  CloseHandle(go);
}

TEST(ShimMemory, MovableBlocksKnowTheirSizeAndLocks) {
  HGLOBAL p = GlobalAlloc(0, 24);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GlobalSize(p), 24u);
  memset(p, 0xAB, 24);
  EXPECT_EQ(GlobalLock(p), p);
  EXPECT_EQ(GlobalLock(p), p);
  EXPECT_TRUE(GlobalUnlock(p));
  EXPECT_FALSE(GlobalUnlock(p));
  EXPECT_FALSE(GlobalUnlock(p));  // never below zero
  EXPECT_EQ(GlobalFree(p), nullptr);
  HGLOBAL none = GlobalAlloc(0, -5);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(GlobalSize(none), 0u);
  GlobalFree(none);
  EXPECT_EQ(GlobalSize(nullptr), 0u);
  GlobalFree(nullptr);
}

class ShimModules : public ::testing::Test {
protected:
  void SetUp() override { unsetenv("HB_MODULE_LOG"); }
  static std::string Log() {
    const char* s = getenv("HB_MODULE_LOG");
    return s ? s : "";
  }
};

TEST_F(ShimModules, LoadingTwiceSharesOneRecordAndCallsTheEntryPointsOnce) {
  HINSTANCE a = LoadLibrary(HB_MODULE_OK);
  ASSERT_NE(a, nullptr);
  HINSTANCE b = LoadLibraryGlobals(HB_MODULE_OK, true);
  EXPECT_EQ(a, b);
  EXPECT_EQ(Log(), "S1 D1 ");
  auto answer = reinterpret_cast<int (*)()>(GetProcAddress(a, "ModuleAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(GetProcAddress(a, "NoSuchSymbol"), nullptr);
  char name[4096];
  const int n = GetModuleFileName(a, name, sizeof name);
  EXPECT_EQ(n, static_cast<int>(strlen(name)));
  const std::string expected = HB_MODULE_OK;
  EXPECT_EQ(std::string(name).substr(std::string(name).rfind('/')),
            expected.substr(expected.rfind('/')));
  EXPECT_EQ(SHIM_GetBundle(a), nullptr);
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_EQ(Log(), "S1 D1 ");
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_EQ(Log(), "S1 D1 S0 D0 ");
  EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST_F(ShimModules, RefusedLoadsAreUnloadedWithoutAnExtraDetach) {
  EXPECT_EQ(LoadLibrary(HB_MODULE_REFUSE_FIRST), nullptr);
  EXPECT_EQ(Log(), "S1 ");
  unsetenv("HB_MODULE_LOG");
  EXPECT_EQ(LoadLibrary(HB_MODULE_REFUSE_SECOND), nullptr);
  EXPECT_EQ(Log(), "S1 D1 S0 ");
}

TEST_F(ShimModules, PathsThatAreNotLibrariesGiveNull) {
  TempDir dir;
  writeText(dir.path("not_a_library.so"), "plain text");
  EXPECT_EQ(LoadLibrary(nullptr), nullptr);
  EXPECT_EQ(LoadLibrary(""), nullptr);
  EXPECT_EQ(LoadLibrary(FolderOf(dir).c_str()), nullptr);  // a folder
  EXPECT_EQ(LoadLibrary((dir.path("missing.so")).c_str()), nullptr);
  EXPECT_EQ(LoadLibrary((dir.path("not_a_library.so")).c_str()), nullptr);
}

TEST(ShimModuleNames, TheProgramsOwnFile) {
  char buf[4096];
  const int n = GetModuleFileName(nullptr, buf, sizeof buf);
  ASSERT_GT(n, 0);
  EXPECT_NE(strstr(buf, "shim_ini_tests"), nullptr);
  char small[4] = "xyz";
  EXPECT_EQ(GetModuleFileName(nullptr, small, sizeof small), 3);
  EXPECT_EQ(std::string(small), std::string(buf, 3));
}

TEST(ShimSettings, ExtendedApiKeepsPointersAndCopiesTheIniPath) {
  static const char kName[] = "Harshbloom";
  EXPECT_EQ(SHIM_ExtendedAPI("APPNAME", const_cast<char*>(kName)), 0);
  EXPECT_EQ(SHIM_GetAppName(), kName);
  static const char kPangram[] = "Sphinx of black quartz";
  SHIM_ExtendedAPI("FONTPANGRAM", const_cast<char*>(kPangram));
  EXPECT_EQ(SHIM_GetFontPangram(), kPangram);
  EXPECT_EQ(SHIM_ExtendedAPI("UNKNOWN", nullptr), 0);
  EXPECT_EQ(SHIM_ExtendedAPI(nullptr, nullptr), 0);

  char path[] = "/some/file.ini";
  SHIM_ExtendedAPI("INIFILE", path);
  path[1] = 'X';
  char buf[64];
  EXPECT_EQ(SHIM_GetDefaultIniFile(buf, sizeof buf), 14);
  EXPECT_STREQ(buf, "/some/file.ini");
  SHIM_ExtendedAPI("INIFILE", nullptr);
  EXPECT_EQ(SHIM_GetDefaultIniFile(buf, sizeof buf), -1);
  SHIM_ExtendedAPI("APPNAME", nullptr);
  SHIM_ExtendedAPI("FONTPANGRAM", nullptr);
}

TEST(ShimGuids, AreRandom) {
  GUID a, b;
  ASSERT_TRUE(SHIM_GenerateGUID(&a));
  ASSERT_TRUE(SHIM_GenerateGUID(&b));
  EXPECT_NE(memcmp(&a, &b, sizeof a), 0);
  EXPECT_TRUE(SHIM_GenerateGUID(nullptr));
}

}  // namespace
