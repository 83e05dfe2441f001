// Kernel objects, threads, time, rectangles, movable memory, code modules and
// the layer's settings.

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <semaphore.h>
#include <stdlib.h>
#include <string.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "assocarray.h"
#include "mutex.h"
#include "platform/bundle.h"
#include "shim-kernel.h"

namespace {

struct ThreadRec {
  SHIM_HandleHeader hdr;
  unsigned int (*func)(void*);
  void* param;
  pthread_t thread;
  uint32_t exitCode;
  uint8_t done;  // read and written atomically
  // A thread is joined once: waits and the last close may all want to.
  pthread_mutex_t joinLock;
  uint8_t joined;
  uint32_t tid;
  sem_t started;  // posted once tid is known
};

struct EventRec {
  SHIM_HandleHeader hdr;
  pthread_mutex_t mutex;
  pthread_cond_t cond;  // on the monotonic clock
  uint8_t signalled;
  uint8_t manualReset;
};

// Socket events and socket objects: a connected local stream pair whose read
// end holds a byte while signalled.
struct SocketRec {
  SHIM_HandleHeader hdr;
  uint8_t autoReset;
  int fds[2];  // read end, write end; -1 when absent
};

const int kSocketDrain = 128;

uint32_t TypeOf(HANDLE h) { return h ? static_cast<SHIM_HandleHeader*>(h)->type : 0; }

bool IsSocketType(uint32_t t) { return t == SHIM_HANDLE_SOCKET || t == SHIM_HANDLE_SOCKETEVENT; }

timespec MonotonicDeadline(DWORD ms) {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  ts.tv_sec += ms / 1000;
  ts.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
  if (ts.tv_nsec >= 1000000000L) {
    ts.tv_sec += 1;
    ts.tv_nsec -= 1000000000L;
  }
  return ts;
}

// Milliseconds left until the deadline, never negative.
int MsLeft(const timespec& deadline) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  const long long ms = (deadline.tv_sec - now.tv_sec) * 1000LL +
                       (deadline.tv_nsec - now.tv_nsec) / 1000000LL;
  if (ms <= 0) return 0;
  return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

void SleepMicroseconds(long long us) {
  timespec ts;
  ts.tv_sec = static_cast<time_t>(us / 1000000);
  ts.tv_nsec = static_cast<long>(us % 1000000) * 1000L;
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

// Joins the thread unless it was joined already; false when the join failed.
bool JoinOnce(ThreadRec* t) {
  bool ok = true;
  pthread_mutex_lock(&t->joinLock);
  if (!t->joined) {
    ok = pthread_join(t->thread, nullptr) == 0;
    if (ok) t->joined = 1;
  }
  pthread_mutex_unlock(&t->joinLock);
  return ok;
}

void ReleaseThread(ThreadRec* t) {
  pthread_mutex_lock(&t->joinLock);
  if (!t->joined) {
    // The last reference dropped by the thread itself: nobody is left to join it.
    if (pthread_equal(t->thread, pthread_self()))
      pthread_detach(t->thread);
    else
      pthread_join(t->thread, nullptr);
    t->joined = 1;
  }
  pthread_mutex_unlock(&t->joinLock);
  pthread_mutex_destroy(&t->joinLock);
  sem_destroy(&t->started);
  free(t);
}

// Drops one reference; the last one frees the record. False for null and
// unknown types.
BOOL Release(HANDLE h) {
  const uint32_t type = TypeOf(h);
  switch (type) {
    case SHIM_HANDLE_THREAD:
    case SHIM_HANDLE_EVENT:
    case SHIM_HANDLE_FILE:
    case SHIM_HANDLE_SOCKETEVENT:
    case SHIM_HANDLE_PROCESS:
      break;
    default:
      return FALSE;  // socket objects are not this layer's to free
  }
  SHIM_HandleHeader* hdr = static_cast<SHIM_HandleHeader*>(h);
  if (__atomic_sub_fetch(&hdr->refcount, 1, __ATOMIC_ACQ_REL) > 0) return TRUE;
  switch (type) {
    case SHIM_HANDLE_THREAD:
      ReleaseThread(static_cast<ThreadRec*>(h));
      return TRUE;
    case SHIM_HANDLE_EVENT: {
      EventRec* e = static_cast<EventRec*>(h);
      pthread_cond_destroy(&e->cond);
      pthread_mutex_destroy(&e->mutex);
      break;
    }
    case SHIM_HANDLE_FILE: {
      SHIM_FileHandle* f = static_cast<SHIM_FileHandle*>(h);
      if (f->fp) fclose(f->fp);
      break;
    }
    case SHIM_HANDLE_SOCKETEVENT: {
      SocketRec* s = static_cast<SocketRec*>(h);
      for (int fd : s->fds)
        if (fd >= 0) close(fd);
      break;
    }
    case SHIM_HANDLE_PROCESS: {
      SHIM_ProcessHandle* p = static_cast<SHIM_ProcessHandle*>(h);
      SHIM_ReleaseNSTask(p->task);
      break;
    }
  }
  free(h);
  return TRUE;
}

void* ThreadMain(void* arg) {
  ThreadRec* t = static_cast<ThreadRec*>(arg);
  t->tid = static_cast<uint32_t>(syscall(SYS_gettid));
  sem_post(&t->started);
  const unsigned int code = t->func(t->param);
  t->exitCode = code;
  __atomic_store_n(&t->done, 1, __ATOMIC_RELEASE);
  Release(t);
  return nullptr;
}

bool ThreadDone(ThreadRec* t) { return __atomic_load_n(&t->done, __ATOMIC_ACQUIRE) != 0; }

DWORD WaitThread(ThreadRec* t, DWORD ms) {
  if (ThreadDone(t) || ms == INFINITE) return JoinOnce(t) ? WAIT_OBJECT_0 : WAIT_FAILED;
  if (ms == 0) return WAIT_TIMEOUT;
  const timespec deadline = MonotonicDeadline(ms);
  for (;;) {
    SleepMicroseconds(1000);
    if (ThreadDone(t)) return JoinOnce(t) ? WAIT_OBJECT_0 : WAIT_FAILED;
    if (MsLeft(deadline) == 0) return WAIT_TIMEOUT;
  }
}

DWORD WaitEvent(EventRec* e, DWORD ms) {
  DWORD r = WAIT_OBJECT_0;
  pthread_mutex_lock(&e->mutex);
  if (ms == 0) {
    if (!e->signalled) r = WAIT_TIMEOUT;
  } else if (ms == INFINITE) {
    while (!e->signalled) pthread_cond_wait(&e->cond, &e->mutex);
  } else {
    const timespec deadline = MonotonicDeadline(ms);
    while (!e->signalled) {
      if (pthread_cond_timedwait(&e->cond, &e->mutex, &deadline) == ETIMEDOUT) {
        if (!e->signalled) r = WAIT_TIMEOUT;
        break;
      }
    }
  }
  if (r == WAIT_OBJECT_0 && !e->manualReset) e->signalled = 0;
  pthread_mutex_unlock(&e->mutex);
  return r;
}

// Reads and discards what waits at the read end; returns the byte count.
int Drain(int fd) {
  char buf[kSocketDrain];
  const ssize_t n = read(fd, buf, sizeof buf);
  return n > 0 ? static_cast<int>(n) : 0;
}

bool Readable(int fd) {
  pollfd p = {fd, POLLIN, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

// poll over the given descriptors; ms INFINITE waits without limit. Returns
// the count of ready ones (0 on time-out).
int PollFor(pollfd* fds, int n, DWORD ms, const timespec& deadline) {
  for (;;) {
    const int timeout = ms == INFINITE ? -1 : MsLeft(deadline);
    const int r = poll(fds, static_cast<nfds_t>(n), timeout);
    if (r >= 0) return r;
    if (errno != EINTR) return 0;
  }
}

DWORD WaitSocket(SocketRec* s, DWORD ms) {
  if (s->fds[0] < 0) {
    SleepMicroseconds(ms == INFINITE ? 1000 : ms == 0 ? 100 : ms * 1000LL);
    return WAIT_FAILED;
  }
  const timespec deadline = MonotonicDeadline(ms == INFINITE ? 0 : ms);
  for (;;) {
    pollfd p = {s->fds[0], POLLIN, 0};
    if (PollFor(&p, 1, ms, deadline) < 1 || !(p.revents & (POLLIN | POLLHUP)))
      return WAIT_TIMEOUT;
    if (!(s->hdr.type == SHIM_HANDLE_SOCKETEVENT && s->autoReset)) return WAIT_OBJECT_0;
    // Another waiter may have taken the byte: then wait again.
    if (Drain(s->fds[0]) > 0) return WAIT_OBJECT_0;
    if (ms != INFINITE && MsLeft(deadline) == 0) return WAIT_TIMEOUT;
  }
}

// The layer's settings.
KIT_Mutex& SettingsMutex() {
  static KIT_Mutex m;
  return m;
}
const char* s_appName = nullptr;
const char* s_fontPangram = nullptr;
char* s_defaultIniFile = nullptr;

struct SettingsCleanup {
  ~SettingsCleanup() {
    free(s_defaultIniFile);
    s_defaultIniFile = nullptr;
  }
} s_settingsCleanup;

// Loaded modules by their library handle.
int CmpPtr(void* const* a, void* const* b) { return *a < *b ? -1 : *a > *b ? 1 : 0; }

KIT_Mutex& LibraryMutex() {
  static KIT_Mutex m;
  return m;
}
KIT_AssocArray<void*, HINSTANCE>& LoadedLibs() {
  static KIT_AssocArray<void*, HINSTANCE> libs(CmpPtr);
  return libs;
}

}  // namespace

// The record behind a module handle.
struct HINSTANCE__ {
  void* dl;
  void* bundle;
  int32_t refcount;
  SHIM_ModuleEntry shimDllMain;
  SHIM_ModuleEntry dllMain;
  void* lastSymbol;  // finds a plain library's file
};

// ---- Time and arithmetic ----

void Sleep(int ms) { SleepMicroseconds(ms > 0 ? ms * 1000LL : 100); }

namespace {
std::atomic<SHIM_TickSource> g_tickSource{nullptr};
}

void SHIM_Internal_SetTickSource(SHIM_TickSource source) { g_tickSource.store(source); }

DWORD GetTickCount() {
  DWORD ms32;
  if (SHIM_TickSource src = g_tickSource.load())
    if (src(&ms32)) return ms32;
  timeval tv;
  gettimeofday(&tv, nullptr);
  const uint64_t ms = static_cast<uint64_t>(tv.tv_sec) * 1000u + static_cast<uint64_t>(tv.tv_usec) / 1000u;
  return static_cast<DWORD>(ms);
}

static void ToFileTime(const timespec& t, FILETIME* out) {
  if (!out) return;
  const uint64_t v = static_cast<uint64_t>(t.tv_sec) * 10000000ull + 0x19DB1DED53E8000ull;
  out->dwLowDateTime = static_cast<DWORD>(v);
  out->dwHighDateTime = static_cast<DWORD>(v >> 32);
}

BOOL GetFileTime(int fd, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) return FALSE;
  ToFileTime(st.st_ctim, creation);
  ToFileTime(st.st_atim, lastAccess);
  ToFileTime(st.st_mtim, lastWrite);
  return TRUE;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return 0;
  const double r = static_cast<double>(b) * a / c;
  // Results beyond the int range saturate rather than overflow.
  if (r >= 2147483647.0) return INT_MAX;
  if (r <= -2147483648.0) return INT_MIN;
  return static_cast<int>(r);
}

unsigned int _controlfp(unsigned int, unsigned int) { return 0; }

// ---- Rectangles ----

BOOL SHIM_PtInRect(const RECT* r, POINT p) {
  if (!r) return FALSE;
  const int top = r->top < r->bottom ? r->top : r->bottom;
  const int bottom = r->top < r->bottom ? r->bottom : r->top;
  return p.x >= r->left && p.x < r->right && p.y >= top && p.y < bottom;
}

BOOL WinOffsetRect(RECT* r, int dx, int dy) {
  if (!r) return FALSE;
  r->left += dx;
  r->right += dx;
  r->top += dy;
  r->bottom += dy;
  return TRUE;
}

BOOL WinSetRect(RECT* r, int left, int top, int right, int bottom) {
  if (!r) return FALSE;
  r->left = left;
  r->top = top;
  r->right = right;
  r->bottom = bottom;
  return TRUE;
}

static bool HasArea(const RECT* r) { return r->right > r->left && r->bottom > r->top; }

BOOL WinIntersectRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out) return FALSE;
  *out = RECT{0, 0, 0, 0};
  if (!a || !b || !HasArea(a) || !HasArea(b)) return FALSE;
  const RECT r = {a->left > b->left ? a->left : b->left, a->top > b->top ? a->top : b->top,
                  a->right < b->right ? a->right : b->right,
                  a->bottom < b->bottom ? a->bottom : b->bottom};
  if (!HasArea(&r)) return FALSE;
  *out = r;
  return TRUE;
}

BOOL WinUnionRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  const bool aEmpty = a->left == a->right && a->top == a->bottom;
  const bool bEmpty = b->left == b->right && b->top == b->bottom;
  if (aEmpty) {
    *out = *b;
  } else if (bEmpty) {
    *out = *a;
  } else {
    *out = RECT{a->left < b->left ? a->left : b->left, a->top < b->top ? a->top : b->top,
                a->right > b->right ? a->right : b->right,
                a->bottom > b->bottom ? a->bottom : b->bottom};
  }
  return TRUE;
}

// ---- Handles, events and waits ----

BOOL CloseHandle(HANDLE h) { return Release(h); }

HANDLE CreateEvent(void*, BOOL manualReset, BOOL initialState, const char*) {
  EventRec* e = static_cast<EventRec*>(calloc(1, sizeof(EventRec)));
  if (!e) return nullptr;
  e->hdr.type = SHIM_HANDLE_EVENT;
  e->hdr.refcount = 1;
  pthread_mutex_init(&e->mutex, nullptr);
  pthread_condattr_t attr;
  pthread_condattr_init(&attr);
  pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
  pthread_cond_init(&e->cond, &attr);
  pthread_condattr_destroy(&attr);
  e->signalled = initialState ? 1 : 0;
  e->manualReset = manualReset ? 1 : 0;
  return e;
}

HANDLE CreateEventAsSocket(void*, BOOL manualReset, BOOL initialState, const char*) {
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return nullptr;
  SocketRec* s = static_cast<SocketRec*>(calloc(1, sizeof(SocketRec)));
  if (!s) {
    close(fds[0]);
    close(fds[1]);
    return nullptr;
  }
  fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  s->hdr.type = SHIM_HANDLE_SOCKETEVENT;
  s->hdr.refcount = 1;
  s->autoReset = manualReset ? 0 : 1;
  s->fds[0] = fds[0];
  s->fds[1] = fds[1];
  if (initialState) SetEvent(s);
  return s;
}

BOOL SetEvent(HANDLE h) {
  switch (TypeOf(h)) {
    case SHIM_HANDLE_EVENT: {
      EventRec* e = static_cast<EventRec*>(h);
      pthread_mutex_lock(&e->mutex);
      if (!e->signalled) {
        e->signalled = 1;
        if (e->manualReset)
          pthread_cond_broadcast(&e->cond);
        else
          pthread_cond_signal(&e->cond);
      }
      pthread_mutex_unlock(&e->mutex);
      return TRUE;
    }
    case SHIM_HANDLE_SOCKETEVENT: {
      SocketRec* s = static_cast<SocketRec*>(h);
      if (s->fds[1] >= 0 && !(s->fds[0] >= 0 && Readable(s->fds[0]))) {
        const char zero = 0;
        // A closed peer must not raise SIGPIPE.
        if (send(s->fds[1], &zero, 1, MSG_NOSIGNAL | MSG_DONTWAIT) < 0) {
        }
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

BOOL ResetEvent(HANDLE h) {
  switch (TypeOf(h)) {
    case SHIM_HANDLE_EVENT: {
      EventRec* e = static_cast<EventRec*>(h);
      pthread_mutex_lock(&e->mutex);
      e->signalled = 0;
      pthread_mutex_unlock(&e->mutex);
      return TRUE;
    }
    case SHIM_HANDLE_SOCKETEVENT: {
      SocketRec* s = static_cast<SocketRec*>(h);
      if (s->fds[0] >= 0) Drain(s->fds[0]);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

DWORD WaitForSingleObject(HANDLE h, DWORD ms) {
  switch (TypeOf(h)) {
    case SHIM_HANDLE_THREAD:
      return WaitThread(static_cast<ThreadRec*>(h), ms);
    case SHIM_HANDLE_EVENT:
      return WaitEvent(static_cast<EventRec*>(h), ms);
    case SHIM_HANDLE_SOCKET:
    case SHIM_HANDLE_SOCKETEVENT:
      return WaitSocket(static_cast<SocketRec*>(h), ms);
    case SHIM_HANDLE_PROCESS: {
      SHIM_ProcessHandle* p = static_cast<SHIM_ProcessHandle*>(h);
      return SHIM_WaitForNSTask(p->task, ms);
    }
    default:
      return WAIT_FAILED;
  }
}

DWORD WaitForAnySocketObject(int n, HANDLE* objs, DWORD ms) {
  if (n < 1 || !objs) return WAIT_TIMEOUT;
  const int kMax = 64;
  if (n > kMax) n = kMax;
  pollfd fds[kMax];
  int index[kMax];
  int count = 0;
  for (int i = 0; i < n; ++i) {
    if (!IsSocketType(TypeOf(objs[i]))) continue;
    SocketRec* s = static_cast<SocketRec*>(objs[i]);
    if (s->fds[0] < 0) continue;
    fds[count] = pollfd{s->fds[0], POLLIN, 0};
    index[count++] = i;
  }
  if (!count) return WAIT_TIMEOUT;
  const timespec deadline = MonotonicDeadline(ms == INFINITE ? 0 : ms);
  for (;;) {
    for (int k = 0; k < count; ++k) fds[k].revents = 0;
    if (PollFor(fds, count, ms, deadline) < 1) return WAIT_TIMEOUT;
    for (int k = 0; k < count; ++k) {
      if (!(fds[k].revents & (POLLIN | POLLHUP))) continue;
      SocketRec* s = static_cast<SocketRec*>(objs[index[k]]);
      if (!(s->hdr.type == SHIM_HANDLE_SOCKETEVENT && s->autoReset)) return index[k];
      if (Drain(s->fds[0]) > 0) return index[k];
      break;  // taken by another waiter: wait again
    }
    if (ms != INFINITE && MsLeft(deadline) == 0) return WAIT_TIMEOUT;
  }
}

// ---- Threads ----

HANDLE CreateThread(void*, unsigned int, unsigned int (*func)(void*), void* param, unsigned int,
                    unsigned int* tid) {
  if (!func) return nullptr;
  ThreadRec* t = static_cast<ThreadRec*>(calloc(1, sizeof(ThreadRec)));
  if (!t) return nullptr;
  t->hdr.type = SHIM_HANDLE_THREAD;
  t->hdr.refcount = 2;  // the creator's handle and the running thread
  t->func = func;
  t->param = param;
  pthread_mutex_init(&t->joinLock, nullptr);
  sem_init(&t->started, 0, 0);
  if (pthread_create(&t->thread, nullptr, ThreadMain, t) != 0) {
    pthread_mutex_destroy(&t->joinLock);
    sem_destroy(&t->started);
    free(t);
    return nullptr;
  }
  while (sem_wait(&t->started) != 0 && errno == EINTR) {
  }
  if (tid) *tid = t->tid;
  return t;
}

DWORD GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }

BOOL SetThreadPriority(HANDLE h, int prio) {
  if (TypeOf(h) != SHIM_HANDLE_THREAD) return FALSE;
  ThreadRec* t = static_cast<ThreadRec*>(h);
  if (ThreadDone(t)) return FALSE;
  int policy = 0;
  sched_param param;
  if (pthread_getschedparam(t->thread, &policy, &param) != 0) return FALSE;
  const int lo = sched_get_priority_min(policy), hi = sched_get_priority_max(policy);
  long p = static_cast<long>(prio) + 31;
  if (p < lo) p = lo;
  if (p > hi) p = hi;
  param.sched_priority = static_cast<int>(p);
  return pthread_setschedparam(t->thread, policy, &param) == 0;
}

// ---- Movable memory and strings ----

namespace {
struct GlobalHeader {
  uint32_t size;
  uint32_t locks;
};
GlobalHeader* HeaderOf(HGLOBAL p) {
  return reinterpret_cast<GlobalHeader*>(static_cast<char*>(p) - sizeof(GlobalHeader));
}
}  // namespace

HGLOBAL GlobalAlloc(int, int size) {
  if (size < 0) size = 0;
  GlobalHeader* h = static_cast<GlobalHeader*>(malloc(sizeof(GlobalHeader) + static_cast<size_t>(size)));
  if (!h) return nullptr;
  h->size = static_cast<uint32_t>(size);
  h->locks = 0;
  return reinterpret_cast<char*>(h) + sizeof(GlobalHeader);
}

void* GlobalLock(HGLOBAL p) {
  if (p) HeaderOf(p)->locks++;
  return p;
}

BOOL GlobalUnlock(HGLOBAL p) {
  if (!p) return FALSE;
  GlobalHeader* h = HeaderOf(p);
  if (h->locks) h->locks--;
  return h->locks != 0;
}

DWORD GlobalSize(HGLOBAL p) { return p ? HeaderOf(p)->size : 0; }

HGLOBAL GlobalFree(HGLOBAL p) {
  if (p) free(HeaderOf(p));
  return nullptr;
}

char* lstrcpyn(char* dst, const char* src, int n) {
  if (!dst || n < 1) return dst;
  int i = 0;
  if (src)
    for (; i < n - 1 && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
  return dst;
}

// ---- Code modules ----

HINSTANCE LoadLibrary(const char* path) { return LoadLibraryGlobals(path, false); }

HINSTANCE LoadLibraryGlobals(const char* path, bool symbolsAsGlobals) {
  if (!path || !*path) return nullptr;
  struct stat st;
  void* dl = nullptr;
  plat::Bundle* bundle = nullptr;
  // A folder (or a path that names nothing) may be a bundle; anything else is
  // a shared library.
  if (stat(path, &st) != 0 || S_ISDIR(st.st_mode)) {
    bundle = plat::Bundle::create(path);
    if (!bundle) return nullptr;
    if (!bundle->loadExecutable(symbolsAsGlobals)) {
      bundle->release();
      return nullptr;
    }
  } else {
    dl = dlopen(path, RTLD_NOW | (symbolsAsGlobals ? RTLD_GLOBAL : RTLD_LOCAL));
    if (!dl) return nullptr;
  }
  void* key = bundle ? static_cast<void*>(bundle) : dl;
  auto lookup = [&](const char* name) { return bundle ? bundle->symbol(name) : dlsym(dl, name); };

  KIT_MutexLock lock(&LibraryMutex());
  HINSTANCE rec = LoadedLibs().Get(key, nullptr);
  if (rec) {
    rec->refcount++;
    return rec;
  }
  rec = static_cast<HINSTANCE>(calloc(1, sizeof(HINSTANCE__)));
  if (!rec || LoadedLibs().Insert(key, rec) < 0) {
    free(rec);
    if (bundle) bundle->release();
    if (dl) dlclose(dl);
    return nullptr;
  }
  rec->dl = dl;
  rec->bundle = bundle;
  rec->refcount = 1;
  // The entry points are kept only once the load is accepted, so a refused
  // load is not told to detach by FreeLibrary.
  SHIM_ModuleEntry shimMain = reinterpret_cast<SHIM_ModuleEntry>(lookup("SHIM_dllMain"));
  SHIM_ModuleEntry dllMain = nullptr;
  if (shimMain) {
    rec->lastSymbol = reinterpret_cast<void*>(shimMain);
    if (!shimMain(rec, 1, nullptr)) {
      FreeLibrary(rec);
      return nullptr;
    }
    dllMain = reinterpret_cast<SHIM_ModuleEntry>(lookup("DllMain"));
    if (dllMain) {
      rec->lastSymbol = reinterpret_cast<void*>(dllMain);
      if (!dllMain(rec, 1, nullptr)) {
        shimMain(rec, 0, nullptr);
        FreeLibrary(rec);
        return nullptr;
      }
    }
  }
  rec->shimDllMain = shimMain;
  rec->dllMain = dllMain;
  return rec;
}

void* GetProcAddress(HINSTANCE module, const char* name) {
  if (!module || !name) return nullptr;
  plat::Bundle* bundle = static_cast<plat::Bundle*>(module->bundle);
  void* sym = bundle ? bundle->symbol(name) : module->dl ? dlsym(module->dl, name) : nullptr;
  if (sym) {
    KIT_MutexLock lock(&LibraryMutex());
    module->lastSymbol = sym;
  }
  return sym;
}

BOOL FreeLibrary(HINSTANCE module) {
  if (!module) return FALSE;
  KIT_MutexLock lock(&LibraryMutex());
  void* dl = module->dl;
  plat::Bundle* bundle = static_cast<plat::Bundle*>(module->bundle);
  const bool last = --module->refcount <= 0;
  if (last) {
    LoadedLibs().Delete(bundle ? static_cast<void*>(bundle) : dl);
    if (module->shimDllMain) {
      module->shimDllMain(module, 0, nullptr);
      if (module->dllMain) module->dllMain(module, 0, nullptr);
    }
  }
  // Each load took one reference to its module.
  if (bundle) bundle->release();
  if (dl) dlclose(dl);
  if (last) free(module);
  return TRUE;
}

void* SHIM_GetBundle(HINSTANCE module) { return module ? module->bundle : nullptr; }

int GetModuleFileName(HINSTANCE module, char* buf, int size) {
  if (!buf || size < 1) return 0;
  buf[0] = 0;
  std::string path;
  if (!module) {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return 0;
    path.assign(exe, static_cast<size_t>(n));
  } else if (module->bundle) {
    path = static_cast<plat::Bundle*>(module->bundle)->path();
  } else {
    void* sym;
    {
      KIT_MutexLock lock(&LibraryMutex());
      sym = module->lastSymbol;
    }
    Dl_info info;
    if (!sym || !dladdr(sym, &info) || !info.dli_fname) return 0;
    path = info.dli_fname;
  }
  lstrcpyn(buf, path.c_str(), size);
  return static_cast<int>(strlen(buf));
}

BOOL SHIM_GenerateGUID(GUID* guid) {
  uint8_t bytes[16];
  size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FALSE;
    }
    got += static_cast<size_t>(n);
  }
  if (guid) memcpy(guid, bytes, sizeof bytes);
  return TRUE;
}

DWORD GetTempPath(int size, char* buf) {
  if (!buf || size < 1) return 0;
  if (size == 1) {
    buf[0] = 0;
    return 0;
  }
  const char* dir = getenv("TMPDIR");
  if (!dir || !*dir) dir = "/tmp/";
  lstrcpyn(buf, dir, size);
  const int len = static_cast<int>(strlen(buf));
  if (len == 0 || buf[len - 1] != '/') {
    const int at = len < size - 2 ? len : size - 2;
    buf[at] = '/';
    buf[at + 1] = 0;
  }
  return static_cast<DWORD>(strlen(buf));
}

// ---- The layer's settings ----

int SHIM_ExtendedAPI(const char* key, void* value) {
  if (!key) return 0;
  KIT_MutexLock lock(&SettingsMutex());
  if (!strcmp(key, "APPNAME")) {
    s_appName = static_cast<const char*>(value);
  } else if (!strcmp(key, "INIFILE")) {
    free(s_defaultIniFile);
    s_defaultIniFile = value ? strdup(static_cast<const char*>(value)) : nullptr;
  } else if (!strcmp(key, "FONTPANGRAM")) {
    s_fontPangram = static_cast<const char*>(value);
  }
  return 0;
}

const char* SHIM_GetAppName() {
  KIT_MutexLock lock(&SettingsMutex());
  return s_appName;
}

const char* SHIM_GetFontPangram() {
  KIT_MutexLock lock(&SettingsMutex());
  return s_fontPangram;
}

int SHIM_GetDefaultIniFile(char* buf, int size) {
  KIT_MutexLock lock(&SettingsMutex());
  if (!s_defaultIniFile) return -1;
  if (buf && size > 0) lstrcpyn(buf, s_defaultIniFile, size);
  return static_cast<int>(strlen(s_defaultIniFile));
}
