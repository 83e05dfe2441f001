#pragma once

// Files dropped on window views arrive as WM_DROPFILES with a dropped-file
// record (shim-defproc.h reads it); hooks see a drag enter, move and leave;
// a view can start a drag of one promised file or of a list of files where
// the desktop lets the program be a drag source. Hosted views of other
// plug-in formats do not exist on this desktop: those calls answer "not
// available". Views can carry OpenGL contexts (shim-gl.cpp).

#include <string>
#include <vector>

#include "shim-types.h"

// --- drops

// Drop hooks (null: the step is skipped). Points are screen points.
extern void (*SHIM_DDrop_onDragEnter)(HDROP drop, POINT screen);
extern void (*SHIM_DDrop_onDragOver)(POINT screen);
extern void (*SHIM_DDrop_onDragLeave)();
// The folder promised files are written to, asked with the first name.
extern const char* (*SHIM_DDrop_getDroppedFileTargetPath)(const char* firstName);

// Makes window views with the drop flag the program's drop destinations
// (done when the application starts).
void SHIM_Internal_InstallDropDestination();

// --- drags out

// A drag of one promised file, written on request by callback(fullPath).
// Only for window views; false when no drag could be started (this desktop
// offers none without a presenter that can be a drag source).
bool SHIM_InitiateDragDrop(HWND view, RECT* srcrect, const char* srcfn, void (*callback)(const char*));
// A drag of existing files; false when not available.
bool SHIM_InitiateDragDropOfFileList(HWND view, RECT* srcrect, const char** files, int count, HICON icon);
// Forgets a pending one-file drag.
void SHIM_FinishDragDrop();
// Delivers the pending promised file into a folder (a path or a file://
// address): asks before replacing a file of the same name, or picks a free
// numbered name. The names written (none when nothing was).
std::vector<std::string> SHIM_DoDragDrop(const char* destination);

// --- OpenGL contexts on views (platform/gl_context.h)

// Gives a window view a context of its own (true), or takes it away (false;
// it stops being current first). Painting makes it current around WM_PAINT
// and then copies what GL drew over the view's place in the window's
// picture; so does ReleaseDC after GetDC outside a paint. Nothing happens
// where no GL context can be made (SHIM_GetViewGL stays false).
void SHIM_SetViewGL(HWND view, bool on);
bool SHIM_GetViewGL(HWND view);
// Makes the view's context current (true); a null view leaves no context
// current (false), as does a view without one (false, nothing changes).
bool SHIM_SetGLContextToView(HWND view);

// --- what this desktop does not have
// Views of other plug-in formats and their hosted windows: none can be
// hosted here; each answers null (windowRefOut null) or does nothing.
HWND SHIM_GetAudioUnitCocoaView(HWND parent, void* unit, void* viewInfo, RECT* r);
HWND SHIM_CreateCarbonWindowView(HWND parent, void** windowRefOut, RECT* r, bool composit);
void* SHIM_GetWindowFromCarbonWindowView(HWND view);
void SHIM_AddCarbonPaneToView(HWND view, void* pane);
// Sets the flipped flag of a window view.
void SHIM_SetWindowFlip(HWND view, bool flip);
