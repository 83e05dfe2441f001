#pragma once

// Kernel objects (threads, events, socket events, files, processes) with
// reference-counted handles, waits, time and arithmetic helpers, rectangles,
// movable memory, code modules, the temporary folder and the layer's own
// settings.

#include <stdio.h>

#include "shim-types.h"

typedef struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME, *LPFILETIME;

typedef struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} GUID;

typedef void* HGLOBAL;

#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 0x102u
#define WAIT_FAILED 0xFFFFFFFFu
#ifndef INFINITE
#define INFINITE 0xFFFFFFFFu
#endif

// The type word at the start of every kernel-object record.
enum {
  SHIM_HANDLE_THREAD = 0x1000002,
  SHIM_HANDLE_EVENT = 0x1000003,
  SHIM_HANDLE_FILE = 0x1000004,
  SHIM_HANDLE_SOCKET = 0x1000005,
  SHIM_HANDLE_SOCKETEVENT = 0x1000006,
  SHIM_HANDLE_PROCESS = 0x1000007
};

// First fields of every kernel-object record. Records are allocated with
// malloc (the count changed only through the __atomic builtins) and freed by
// the last CloseHandle.
struct SHIM_HandleHeader {
  uint32_t type;
  int32_t refcount;
};

// A file handle: closing the last reference closes the stream.
struct SHIM_FileHandle {
  SHIM_HandleHeader hdr;  // type SHIM_HANDLE_FILE
  FILE* fp;
};

// A process handle, made by the run-loop services together with their task
// (SHIM_CreateProcess); waiting on and closing a process handle call the two
// functions below.
struct SHIM_ProcessHandle {
  SHIM_HandleHeader hdr;  // type SHIM_HANDLE_PROCESS, count starting at 1
  void* task;
};
DWORD SHIM_WaitForNSTask(void* task, DWORD ms);
void SHIM_ReleaseNSTask(void* task);

// Time and arithmetic.
void Sleep(int ms);  // 0 sleeps 100 microseconds
DWORD GetTickCount();
// Where GetTickCount reads the time instead of the wall clock when the source
// answers true (the run loop's clock while it runs on a virtual one in
// tests); null for none.
typedef bool (*SHIM_TickSource)(DWORD* ms);
void SHIM_Internal_SetTickSource(SHIM_TickSource source);
BOOL GetFileTime(int fd, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
int MulDiv(int a, int b, int c);
unsigned int _controlfp(unsigned int newValue, unsigned int mask);

// Rectangles.
BOOL SHIM_PtInRect(const RECT* r, POINT p);
BOOL WinOffsetRect(RECT* r, int dx, int dy);
BOOL WinSetRect(RECT* r, int left, int top, int right, int bottom);
BOOL WinIntersectRect(RECT* out, const RECT* a, const RECT* b);
BOOL WinUnionRect(RECT* out, const RECT* a, const RECT* b);

// Handles, events and waits.
BOOL CloseHandle(HANDLE h);
HANDLE CreateEvent(void* attr, BOOL manualReset, BOOL initialState, const char* name);
HANDLE CreateEventAsSocket(void* attr, BOOL manualReset, BOOL initialState, const char* name);
BOOL SetEvent(HANDLE h);
BOOL ResetEvent(HANDLE h);
DWORD WaitForSingleObject(HANDLE h, DWORD ms);
DWORD WaitForAnySocketObject(int n, HANDLE* objs, DWORD ms);

// Threads.
HANDLE CreateThread(void* attr, unsigned int stackSize, unsigned int (*func)(void*), void* param,
                    unsigned int flags, unsigned int* tid);
DWORD GetCurrentThreadId();
BOOL SetThreadPriority(HANDLE h, int prio);

// Movable memory and strings.
HGLOBAL GlobalAlloc(int flags, int size);
void* GlobalLock(HGLOBAL p);
BOOL GlobalUnlock(HGLOBAL p);  // true while the block stays locked
DWORD GlobalSize(HGLOBAL p);
HGLOBAL GlobalFree(HGLOBAL p);  // always null
char* lstrcpyn(char* dst, const char* src, int n);

// Code modules: a shared library, or a bundle folder (platform/bundle.h:
// NAME.bundle/Contents/<machine>-linux/NAME.so with Contents/Resources/).
// A module may export "SHIM_dllMain" and "DllMain", both
// called as (module, reason, null) with reason 1 on the first load and 0 on
// the last free; a zero answer to reason 1 refuses the load.
typedef int (*SHIM_ModuleEntry)(HINSTANCE module, DWORD reason, void* reserved);
HINSTANCE LoadLibrary(const char* path);
HINSTANCE LoadLibraryGlobals(const char* path, bool symbolsAsGlobals);
void* GetProcAddress(HINSTANCE module, const char* name);
BOOL FreeLibrary(HINSTANCE module);
// The plat::Bundle of a module loaded from a bundle folder, else null.
void* SHIM_GetBundle(HINSTANCE module);
// A module's file: a bundle's folder, a library's file, null: the program's.
int GetModuleFileName(HINSTANCE module, char* buf, int size);
BOOL SHIM_GenerateGUID(GUID* guid);
DWORD GetTempPath(int size, char* buf);

// The layer's settings: "APPNAME" and "FONTPANGRAM" keep the pointer given,
// "INIFILE" keeps a copy of the default ini file's path (null clears it).
int SHIM_ExtendedAPI(const char* key, void* value);
const char* SHIM_GetAppName();
const char* SHIM_GetFontPangram();
// Copies the path set through "INIFILE" into buf (at most size-1 bytes) and
// returns its full length, or -1 when none is set.
int SHIM_GetDefaultIniFile(char* buf, int size);
