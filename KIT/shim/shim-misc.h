#pragma once

// Timers, the posted-message queue and run-loop services. SetTimer,
// KillTimer and PostMessage may be called from any thread: requests from
// other threads are queued and carried out on the main thread by the queue's
// 50 ms tick.

#include "shim-msgs.h"
#include "shim-types.h"

namespace plat {
class Activity;
class StringObject;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC cb);
// id (UINT_PTR)-1 kills every timer of hwnd.
BOOL KillTimer(HWND hwnd, UINT_PTR id);

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Drops every queued message and timer request of hwnd (null: all of them).
void SHIM_MessageQueue_Clear(HWND hwnd);
void SHIM_MessageQueue_Flush();
void SHIM_Internal_PostMessage_Init();
BOOL SHIM_Internal_PostMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void SHIM_Internal_PMQ_ClearAllMessages(HWND hwnd);
// Messages and timer requests waiting in the queue.
int SHIM_Internal_PMQ_Count();

// Runs the run loop for ms milliseconds; the Ex form lets only hwnd's timers
// fire meanwhile.
void SHIM_RunRunLoop(int ms);
void SHIM_RunRunLoopEx(int ms, HWND onlyTimersOf);
// Handles the events waiting now (at most 100).
void SHIM_RunEvents();

// Asks the application to quit; from then on the layer sends no activation
// messages and changes no menus or key windows.
void SHIM_PostQuitMessage(void* sender);
bool SHIM_IsTerminating();

void SHIM_EnableRightClickEmulate(bool on);
bool IsRightClickEmulateEnabled();

// The desktop version the layer compares with (0x10B0 style).
int SHIM_GetOSXVersion();
// Adds delta to a count; while it is above zero the desktop is kept from
// idling the program (screen saver, idle sleep). Nothing once quitting.
void SHIM_DisableAppNap(int delta);
// The activity held while the count is above zero, else null (tests).
plat::Activity* SHIM_Internal_GetActivity();

// String objects: reference-counted UTF-8 text (platform/string_object.h),
// given back with release(). Null text makes an empty string; text that is
// not valid UTF-8 makes none (null). ASCII is a subset of UTF-8 here.
plat::StringObject* SHIM_CStringToCFString(const char* text);
// Copies the text into buf: all of it when it fits in bufsize - 1 bytes,
// else as much as fits without cutting a character; always terminated when
// bufsize >= 1. A null or foreign string gives "".
void SHIM_CFStringToCString(const plat::StringObject* str, char* buf, int bufsize);
void SHIM_EnsureMultithreadedCocoa();
void* SHIM_InitAutoRelease();
void SHIM_QuitAutoRelease(void* pool);
// Runs fn(arg) on a new detached thread.
void CreateThreadNS(void (*fn)(void*), void* arg);

// Child processes. exe is a program file's path; null entries of params
// become empty arguments. With redirectIO the child's standard input, output
// and error are pipes. Null when it cannot be started.
HANDLE SHIM_CreateProcessIO(const char* exe, int nparams, const char** params, bool redirectIO);
HANDLE SHIM_CreateProcess(const char* exe, int nparams, const char** params);
// -1 bad handle, -3 while running, -2 when the status is lost, else the exit
// code (or the number of the signal that ended it).
int SHIM_GetProcessExitCode(HANDLE h);
// Asks the child to end: -1 bad handle, 0 done, -2 failed.
int SHIM_TerminateProcess(HANDLE h);
// pipe 0 writes len bytes to standard input and returns len (0 on failure or
// len < 1); pipe 1 (standard output) and 2 (standard error) read until len
// bytes have come or the stream ends and return the count; with len < 1 they
// return the bytes waiting without taking them. 0 for other pipes and for
// handles without pipes.
int SHIM_ReadWriteProcessIO(HANDLE h, int pipe, char* buf, int len);
// Raises a window of the child, waiting up to a second for one to appear.
void SHIM_MakeProcessFront(HANDLE h);

// Drops every timer record and queued request (tests).
void SHIM_Internal_ResetTimersAndQueue();
