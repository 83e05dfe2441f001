#pragma once

// File choosers and message boxes over the platform's panels (the desktop's
// dialog through zenity, a modal window of this layer otherwise, a scripted
// answer in tests).
//
// Filter lists are the Win32 kind: pairs of NUL-terminated strings
// (description, then patterns such as "*.wav;*.aif") ended by an empty
// string. A save chooser offered two or more file types shows a "File type:"
// row that picks the type the name gets.

#include <string>
#include <vector>

#include "shim-dlg.h"
#include "shim-types.h"

#define MB_OK 0
#define MB_OKCANCEL 1
#define MB_YESNOCANCEL 3
#define MB_YESNO 4
#define MB_RETRYCANCEL 5
#define IDRETRY 4
#define IDYES 6
#define IDNO 7

int MessageBox(HWND parent, const char* text, const char* caption, int type);

bool BrowseForSaveFile(const char* text, const char* initialdir, const char* initialfile,
                       const char* extlist, char* fn, int fnsize);
// A new buffer (free() it) with one path followed by two NULs, or, for
// several files, an empty string, each path NUL-terminated, and one more NUL;
// null when cancelled.
char* BrowseForFiles(const char* text, const char* initialdir, const char* initialfile,
                     bool allowmul, const char* extlist);
bool BrowseForDirectory(const char* text, const char* initialdir, char* fn, int fnsize);
// A dialog the next chooser shows inside its panel (once).
void BrowseFile_SetTemplate(const char* dlgid, DLGPROC proc, SHIM_DialogResourceIndex* reshead);

// --- for tests

// Every extension of a filter list in order (each cut at 31 bytes); the one
// matching defext's first extension first.
std::vector<std::string> SHIM_Internal_ExtensionsFromList(const char* list, const char* defext);
