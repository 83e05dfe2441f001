#pragma once

// Timers, the posted-message queue and run-loop services. SetTimer,
// KillTimer and PostMessage may be called from any thread: requests from
// other threads are queued and carried out on the main thread by the queue's
// 50 ms tick.

#include "shim-msgs.h"
#include "shim-types.h"

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
void SHIM_DisableAppNap(int delta);
void SHIM_EnsureMultithreadedCocoa();
void* SHIM_InitAutoRelease();
void SHIM_QuitAutoRelease(void* pool);
// Runs fn(arg) on a new detached thread.
void CreateThreadNS(void (*fn)(void*), void* arg);

// Drops every timer record and queued request (tests).
void SHIM_Internal_ResetTimersAndQueue();
