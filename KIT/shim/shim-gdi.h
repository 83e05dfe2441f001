#pragma once

// Drawing contexts and drawing objects of the windowing layer.
//
// An HDC is a pooled context record that draws through a platform drawing
// context: the one of a paint in progress, one made by GetDC on a view (the
// window's backing bitmap), or the frame buffer of a memory context. HGDIOBJ
// values are pooled object records: pens, brushes, fonts and images; the
// values 1 to 4 are pseudo-handles and are never dereferenced. Colours are
// 0x00RRGGBB. Every call accepts null, foreign and deleted handles and gives
// its neutral result (0, null, -1 where stated).

#include "shim-gditypes.h"
#include "shim-types.h"

// --- contexts

// A memory context of exactly w x h pixels, zero-filled, 64-byte aligned,
// row span 4 * w bytes, each pixel the bytes B, G, R, unused; y grows down
// from the top row. Null when the size is empty or too large (its bytes must
// fit an int) or memory runs out. The first argument is not used.
HDC SHIM_CreateMemContext(HDC reference, int w, int h);
// A context over a platform drawing context (a plat::DrawContext*, not
// owned), or one that draws nothing when null.
HDC SHIM_CreateGfxContext(void* drawContext);
void SHIM_DeleteGfxContext(HDC hdc);
// The platform drawing context (plat::DrawContext*), or null.
void* SHIM_GetCtxGC(HDC hdc);
// The frame buffer of a memory context, or null.
void* SHIM_GetCtxFrameBuffer(HDC hdc);

// The paint context of a window procedure's paint in progress, else a new
// context that draws straight into the view's window (0 when the view cannot
// draw now). GetWindowDC puts (0, 0) at the view's top-left corner even when
// its bounds are scrolled.
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
// One pixel is one point here: never a high-resolution context.
int SHIM_IsRetinaDC(HDC hdc);
int SHIM_IsRetinaHWND(HWND hwnd);

// --- objects

HPEN CreatePen(int style, int width, int color);
HPEN CreatePenAlpha(int style, int width, int color, float alpha);
HBRUSH CreateSolidBrush(int color);
HBRUSH CreateSolidBrushAlpha(int color, float alpha);
// Height (or, when 0, width) in pixels, absolute; outside 2..8192 it is 10.
// Weight 700 and above is bold; quality 3 draws text without smoothing, 4
// with. The face is a family name (Arial and Helvetica map to Liberation
// Sans); a face no font answers gives the interface font.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, int italic,
                 int underline, int strikeout, int charset, int outprecision, int clipprecision,
                 int quality, int pitchandfamily, const char* face);
HFONT CreateFontIndirect(const LOGFONT* lf);
BOOL DeleteObject(HGDIOBJ obj);
// One more reference: the next DeleteObject only drops it.
HGDIOBJ SHIM_CloneGDIObject(HGDIOBJ obj);
HGDIOBJ GetStockObject(int index);
// Returns the object the slot held; when it held none, the pseudo-handle of
// the slot (1 pen, 2 brush, 3 font), whose selection empties it again.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);

// --- state

// Each returns the previous value (-1 for an invalid context).
int SetTextColor(HDC hdc, int color);
int GetTextColor(HDC hdc);
int SetBkColor(HDC hdc, int color);
// SHIM_BKMODE_OPAQUE (1) fills behind text; anything else does not.
int SetBkMode(HDC hdc, int mode);
BOOL MoveToEx(HDC hdc, int x, int y, POINT* old);
// Save and restore the clip (with the rest of the drawing state); the clip
// narrows to a rectangle.
void SHIM_PushClipRegion(HDC hdc);
void SHIM_PopClipRegion(HDC hdc);
void SHIM_SetClipRegion(HDC hdc, const RECT* r);

// --- text

int GetTextFace(HDC hdc, int n, char* buf);
BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* tm);
// Measures (DT_CALCRECT: sets r->right and r->bottom) or draws UTF-8 text
// in r with the DT_ flags; returns the text's height plus 1 (0 for no text).
// '&' marks a mnemonic unless DT_NOPREFIX ("&&" is one '&').
int SHIM_DrawText(HDC hdc, const char* text, int len, RECT* r, int flags);
int GetGlyphIndicesW(HDC hdc, const wchar_t* chars, int n, unsigned short* glyphs, int flags);

// Installs the layer's memory contexts and text drawing into the raster
// library (system bitmaps, cached fonts). Done once at start-up; calling it
// again does no harm.
void SHIM_InstallRasterHooks();
