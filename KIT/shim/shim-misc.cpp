// Timers, the posted-message queue and run-loop services.

#include "shim-misc.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "mutex.h"
#include "platform/activity.h"
#include "platform/app.h"
#include "platform/string_object.h"
#include "platform/task.h"
#include "platform/text.h"
#include "shim-dlg.h"
#include "shim-kernel.h"
#include "shim-wnd.h"
#include "shimappmain.h"

namespace {

struct TimerRec {
  UINT_PTR id;
  HWND hwnd;
  plat::TimerId timer;
  TimerRec* next;
};

struct QueueRec {
  HWND hwnd;
  UINT msg;  // timer requests: the interval in ms, 0xFFFFFFFF to kill
  WPARAM wParam;  // timer requests: the id
  LPARAM lParam;  // timer requests: the callback
  QueueRec* next;
  bool isTimerRequest;
};

constexpr UINT kKillRequest = 0xFFFFFFFFu;
constexpr int kQueueLimit = 1024;

KIT_Mutex& timerMutex() {
  static KIT_Mutex m;
  return m;
}
TimerRec* g_timers = nullptr;

KIT_Mutex* g_queueMutex = nullptr;
QueueRec *g_head = nullptr, *g_tail = nullptr, *g_free = nullptr;
int g_count = 0;
bool g_queueInit = false;
std::thread::id g_mainThread;
plat::TimerId g_tick = 0;

HWND g_onlyTimersOf = nullptr;
bool g_rightClickEmulate = false;
bool g_terminating = false;
int g_appNapCount = 0;
plat::Activity* g_activity = nullptr;

bool onMainThread() {
  return g_queueInit ? std::this_thread::get_id() == g_mainThread : plat::app().isMainThread();
}

QueueRec* newRecord() {
  QueueRec* r = g_free;
  if (r)
    g_free = r->next;
  else
    r = new QueueRec();
  return r;
}

void append(QueueRec* r) {
  r->next = nullptr;
  if (g_tail)
    g_tail->next = r;
  else
    g_head = r;
  g_tail = r;
  ++g_count;
}

// Queues a timer request from another thread; a pending request for the same
// window and id is replaced where it stands.
void queueTimerRequest(HWND hwnd, UINT_PTR id, UINT interval, TIMERPROC cb) {
  if (!hwnd || !g_queueMutex) return;
  KIT_MutexLock lock(g_queueMutex);
  for (QueueRec* r = g_head; r; r = r->next) {
    if (r->isTimerRequest && r->hwnd == hwnd && r->wParam == id) {
      r->msg = interval;
      r->lParam = (LPARAM)cb;
      return;
    }
  }
  QueueRec* r = newRecord();
  *r = QueueRec{hwnd, interval, id, (LPARAM)cb, nullptr, true};
  append(r);
}

// The view whose procedure gets WM_TIMER for hwnd.
Shim_vHarshbloom_hwnd* timerTarget(HWND hwnd) {
  if (Shim_vHarshbloom_hwnd* h = SHIM_Hwnd(hwnd)) return h;
  if (plat::Window* w = SHIM_Window(hwnd))
    return dynamic_cast<Shim_vHarshbloom_hwnd*>(w->contentView());
  return nullptr;
}

void fire(HWND hwnd, UINT_PTR id, TIMERPROC cb, const plat::Ref<Shim_vHarshbloom_hwnd>& target) {
  if (g_onlyTimersOf && hwnd != g_onlyTimersOf) return;
  if (cb)
    cb(hwnd, WM_TIMER, id, GetTickCount());
  else if (target)
    target->SHIM_Timer(id);
}

}  // namespace

namespace {
// Tests run the loop on a virtual clock; the ticks timer callbacks see (and
// GetTickCount) follow it there, so intervals stay consistent.
bool virtualTicks(DWORD* ms) {
  if (!plat::app().usesVirtualClock()) return false;
  *ms = DWORD(uint64_t(plat::app().now() * 1000.0));
  return true;
}
struct InstallTicks {
  InstallTicks() { SHIM_Internal_SetTickSource(virtualTicks); }
} g_installTicks;
}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC cb) {
  if (!hwnd && !cb) return 0;
  if (hwnd && id == 0) return 0;
  if (!onMainThread()) {
    if (!g_queueInit) return 0;  // the layer is not running: nobody would start it
    queueTimerRequest(hwnd, id, ms < 0xFFFFFFFEu ? ms : 0xFFFFFFFEu, cb);
    return id;
  }
  plat::Ref<Shim_vHarshbloom_hwnd> target;
  if (hwnd) {
    target = timerTarget(hwnd);
    if (!target) return 0;
  }
  KIT_MutexLock lock(&timerMutex());
  TimerRec* rec = nullptr;
  if (hwnd || id != 0) {
    for (TimerRec* r = g_timers; r; r = r->next)
      if (r->id == id && r->hwnd == hwnd) {
        rec = r;
        break;
      }
  }
  bool isNew = rec == nullptr;
  if (rec)
    plat::app().cancelTimer(rec->timer);
  else
    rec = new TimerRec{id, hwnd, 0, nullptr};
  if (!hwnd && cb && isNew) rec->id = id = (UINT_PTR)rec;
  double interval = ms ? ms * 0.001 : 0.001;
  rec->timer = plat::app().addTimer(interval, true, [hwnd, id, cb, target]() {
    fire(hwnd, id, cb, target);
  });
  if (isNew) {
    rec->next = g_timers;
    g_timers = rec;
  }
  return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  if (!hwnd && !id) return 0;
  KIT_MutexLock lock(&timerMutex());
  if (!onMainThread()) {
    if (!g_queueInit) return 0;
    queueTimerRequest(hwnd, id, kKillRequest, nullptr);
    return 1;
  }
  if (!hwnd && id == (UINT_PTR)-1) return 0;
  // Platform timers are cancelled after the list is settled: a cancelled
  // timer may hold the last reference to its view, whose teardown kills
  // timers again.
  std::vector<plat::TimerId> cancel;
  for (TimerRec** pp = &g_timers; *pp;) {
    TimerRec* r = *pp;
    if (r->hwnd == hwnd && (id == (UINT_PTR)-1 || r->id == id)) {
      *pp = r->next;
      cancel.push_back(r->timer);
      delete r;
      if (id != (UINT_PTR)-1) break;
    } else {
      pp = &r->next;
    }
  }
  for (plat::TimerId t : cancel) plat::app().cancelTimer(t);
  return cancel.empty() ? 0 : 1;
}

void SHIM_Internal_PostMessage_Init() {
  if (g_queueInit || !SHIM_GetAppController()) return;
  g_mainThread = std::this_thread::get_id();
  if (!g_queueMutex) g_queueMutex = new KIT_Mutex();
  g_queueInit = true;
  g_tick = plat::app().addTimer(0.05, true, [] {
    if (SHIMAppController* c = SHIM_GetAppController()) c->shimPostMessageTick();
  });
}

BOOL SHIM_Internal_PostMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!hwnd || !g_queueInit) return FALSE;
  KIT_MutexLock lock(g_queueMutex);
  if (!g_free && g_count >= kQueueLimit) return FALSE;
  bool can = false;
  // The registry lock keeps the view from being freed while we look at it.
  plat::Object::withLive(hwnd, [&](plat::Object* o) {
    Shim_vHarshbloom_hwnd* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(o);
    can = h && h->shimCanPostMessage();
  });
  if (!can) return FALSE;
  QueueRec* r = newRecord();
  *r = QueueRec{hwnd, msg, wp, lp, nullptr, false};
  append(r);
  return TRUE;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  SHIMAppController* c = SHIM_GetAppController();
  return c ? c->shimPostMessage(hwnd, msg, wp, lp) : FALSE;
}

void SHIM_MessageQueue_Clear(HWND hwnd) {
  if (SHIMAppController* c = SHIM_GetAppController()) c->shimPostMessageClearQ(hwnd);
}

void SHIM_Internal_PMQ_ClearAllMessages(HWND hwnd) {
  if (!g_queueMutex) return;
  KIT_MutexLock lock(g_queueMutex);
  QueueRec* prev = nullptr;
  for (QueueRec* r = g_head; r;) {
    QueueRec* next = r->next;
    if (!hwnd || r->hwnd == hwnd) {
      if (prev)
        prev->next = next;
      else
        g_head = next;
      if (g_tail == r) g_tail = prev;
      --g_count;
      r->next = g_free;
      g_free = r;
    } else {
      prev = r;
    }
    r = next;
  }
}

int SHIM_Internal_PMQ_Count() {
  if (!g_queueMutex) return 0;
  KIT_MutexLock lock(g_queueMutex);
  return g_count;
}

void SHIM_MessageQueue_Flush() {
  if (!g_queueMutex) return;
  g_queueMutex->Lock();
  int n = g_count;
  while (n-- > 0 && g_head) {
    QueueRec* r = g_head;
    g_head = r->next;
    if (!g_head) g_tail = nullptr;
    --g_count;
    QueueRec rec = *r;
    g_queueMutex->Unlock();
    if (rec.isTimerRequest) {
      if (rec.msg != kKillRequest)
        SetTimer(rec.hwnd, rec.wParam, rec.msg, (TIMERPROC)rec.lParam);
      else
        KillTimer(rec.hwnd, rec.wParam);
    } else {
      SendMessage(rec.hwnd, rec.msg, rec.wParam, rec.lParam);
    }
    g_queueMutex->Lock();
    r->next = g_free;
    g_free = r;
  }
  g_queueMutex->Unlock();
}

void SHIM_Internal_ResetTimersAndQueue() {
  {
    KIT_MutexLock lock(&timerMutex());
    while (TimerRec* r = g_timers) {
      g_timers = r->next;
      plat::app().cancelTimer(r->timer);
      delete r;
    }
  }
  if (g_queueMutex) {
    SHIM_Internal_PMQ_ClearAllMessages(nullptr);
    KIT_MutexLock lock(g_queueMutex);
    while (QueueRec* r = g_free) {
      g_free = r->next;
      delete r;
    }
  }
  if (g_tick) plat::app().cancelTimer(g_tick);
  g_tick = 0;
  g_queueInit = false;
  g_onlyTimersOf = nullptr;
  g_terminating = false;
  g_rightClickEmulate = false;
  g_appNapCount = 0;
  if (g_activity) g_activity->release();
  g_activity = nullptr;
}

void SHIM_RunRunLoop(int ms) { plat::app().runFor(ms * 0.001); }

void SHIM_RunRunLoopEx(int ms, HWND onlyTimersOf) {
  HWND prev = g_onlyTimersOf;
  g_onlyTimersOf = onlyTimersOf;
  plat::app().runFor(ms * 0.001);
  if (g_onlyTimersOf == onlyTimersOf) g_onlyTimersOf = prev;
}

void SHIM_RunEvents() {
  for (int i = 0; i < 100; ++i)
    if (!plat::app().runOnce(0.001)) break;
}

void SHIM_PostQuitMessage(void*) {
  g_terminating = true;
  plat::app().terminate();
}

bool SHIM_IsTerminating() { return g_terminating; }

void SHIM_EnableRightClickEmulate(bool on) { g_rightClickEmulate = on; }
bool IsRightClickEmulateEnabled() { return g_rightClickEmulate; }

int SHIM_GetOSXVersion() { return 0x10B0; }

// While the count is above zero the desktop neither blanks the screen nor
// puts the machine to sleep for idleness (platform/activity.h).
void SHIM_DisableAppNap(int delta) {
  if (g_terminating) return;
  g_appNapCount += delta;
  if (g_appNapCount > 0) {
    if (!g_activity) {
      const char* app = SHIM_GetAppName();
      g_activity = plat::Activity::begin(app && *app ? app : program_invocation_short_name,
                                         "SHIM_DisableAppNap");
    }
  } else if (g_activity) {
    g_activity->release();
    g_activity = nullptr;
  }
}

plat::Activity* SHIM_Internal_GetActivity() { return g_activity; }

plat::StringObject* SHIM_CStringToCFString(const char* text) {
  return plat::StringObject::create(text ? text : "");
}

void SHIM_CFStringToCString(const plat::StringObject* str, char* buf, int bufsize) {
  if (!buf || bufsize < 1) return;
  buf[0] = 0;
  const plat::StringObject* s = nullptr;
  plat::Object::withLive(str, [&](plat::Object* o) { s = dynamic_cast<plat::StringObject*>(o); });
  if (!s || bufsize == 1) return;
  const std::string& t = s->utf8();
  // Text too long for the buffer ends at the last whole character that fits,
  // so what the caller gets is still UTF-8.
  const size_t n = plat::utf8Prefix(t, size_t(bufsize) - 1);
  memcpy(buf, t.data(), n);
  buf[n] = 0;
}

void SHIM_EnsureMultithreadedCocoa() {}

void* SHIM_InitAutoRelease() { return new int(0); }
void SHIM_QuitAutoRelease(void* pool) { delete static_cast<int*>(pool); }

void CreateThreadNS(void (*fn)(void*), void* arg) {
  if (fn) std::thread(fn, arg).detach();
}

// Processes. A process handle owns one reference to its task.

namespace {

plat::Task* TaskOf(HANDLE h) {
  if (!h) return nullptr;
  SHIM_ProcessHandle* p = static_cast<SHIM_ProcessHandle*>(h);
  if (p->hdr.type != SHIM_HANDLE_PROCESS) return nullptr;
  return static_cast<plat::Task*>(p->task);
}

}  // namespace

HANDLE SHIM_CreateProcessIO(const char* exe, int nparams, const char** params, bool redirectIO) {
  if (!exe) return nullptr;
  std::vector<std::string> args;
  for (int i = 0; i < nparams; ++i) args.push_back(params && params[i] ? params[i] : "");
  plat::Task* task = plat::Task::launch(exe, args, redirectIO);
  if (!task) return nullptr;
  SHIM_ProcessHandle* p = static_cast<SHIM_ProcessHandle*>(malloc(sizeof(SHIM_ProcessHandle)));
  if (!p) {
    task->terminate();
    task->release();
    return nullptr;
  }
  p->hdr.type = SHIM_HANDLE_PROCESS;
  p->hdr.refcount = 1;
  p->task = task;
  return p;
}

HANDLE SHIM_CreateProcess(const char* exe, int nparams, const char** params) {
  return SHIM_CreateProcessIO(exe, nparams, params, false);
}

int SHIM_GetProcessExitCode(HANDLE h) {
  plat::Task* task = TaskOf(h);
  if (!task) return -1;
  if (task->isRunning()) return -3;
  const int status = task->terminationStatus();
  return status < 0 ? -2 : status;
}

int SHIM_TerminateProcess(HANDLE h) {
  plat::Task* task = TaskOf(h);
  if (!task) return -1;
  // A child that has already ended needs nothing more.
  if (!task->isRunning()) return 0;
  return task->terminate() || !task->isRunning() ? 0 : -2;
}

int SHIM_ReadWriteProcessIO(HANDLE h, int pipe, char* buf, int len) {
  plat::Task* task = TaskOf(h);
  if (!task || !task->hasPipes()) return 0;
  if (pipe == 0) {
    if (len < 1 || !buf) return 0;
    return task->writeInput(buf, static_cast<size_t>(len)) ? len : 0;
  }
  if (pipe != 1 && pipe != 2) return 0;
  // A size below 1 asks how much is waiting; the bytes stay for the next read.
  if (len < 1) {
    const long n = task->availableOutput(pipe);
    return n < 0 ? 0 : static_cast<int>(n);
  }
  if (!buf) return 0;
  const long n = task->readOutput(pipe, buf, static_cast<size_t>(len));
  return n < 0 ? 0 : static_cast<int>(n);
}

DWORD SHIM_WaitForNSTask(void* t, DWORD ms) {
  plat::Task* task = static_cast<plat::Task*>(t);
  if (!task) return WAIT_FAILED;
  if (!task->isRunning()) return WAIT_OBJECT_0;
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!task->isRunning()) return WAIT_OBJECT_0;
    if (ms != INFINITE && std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(ms))
      return task->isRunning() ? WAIT_TIMEOUT : WAIT_OBJECT_0;
  }
}

void SHIM_ReleaseNSTask(void* t) {
  if (t) static_cast<plat::Task*>(t)->release();
}

void SHIM_MakeProcessFront(HANDLE h) {
  plat::Task* task = TaskOf(h);
  if (task) task->bringToFront(20, 50);
}
