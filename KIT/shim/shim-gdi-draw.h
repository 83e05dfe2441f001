#pragma once

// Drawing with the selected pen and brush, copies between contexts, image
// objects, image lists, system colours and font files.
//
// Shapes follow one pen model: a pen of width w covers, at every point of
// its path, the w x w pixels whose top-left pixel is the point (a 1-wide pen
// covers exactly the pixels the path passes through, end points included).
// Fills cover the pixels whose centres lie inside the shape; Rectangle and
// SHIM_FillRect fill [left, right) x [top, bottom).

#include "platform/draw_context.h"
#include "platform/geometry.h"
#include "shim-gditypes.h"
#include "shim-types.h"

void SHIM_FillRect(HDC hdc, const RECT* r, HBRUSH brush);
BOOL Rectangle(HDC hdc, int l, int t, int r, int b);
BOOL Ellipse(HDC hdc, int l, int t, int r, int b);
BOOL RoundRect(HDC hdc, int l, int t, int r, int b, int xr, int yr);
void SHIM_Polygon(HDC hdc, const POINT* pts, int n);
BOOL SHIM_LineTo(HDC hdc, int x, int y);
BOOL PolyPolyline(HDC hdc, const POINT* pts, const DWORD* counts, int nlines);
BOOL PolyBezierTo(HDC hdc, const POINT* pts, int n);
void SHIM_SetPixel(HDC hdc, int x, int y, int color);

// Copies from a memory context (the source) with nearest-pixel scaling;
// mode SHIM_BLT_ALPHA blends by the source's alpha, any other mode copies
// opaquely.
void StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                int mode);
void BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int mode);

void SHIM_FillDialogBackground(HDC hdc, const RECT* r, int unused);

// A PNG by file path (a name with '/') or from the program's resources;
// with alphaFromMagenta, pure magenta pixels become transparent.
HBITMAP LoadNamedImage(const char* name, bool alphaFromMagenta);
// w x h pixels from 4-byte words 0xAARRGGBB (alpha kept when bpp is 32,
// else opaque); null bits give a transparent image.
HBITMAP CreateBitmap(int w, int h, int planes, int bpp, const unsigned char* bits);
HICON CreateIconIndirect(const ICONINFO* info);
// The raster bitmap (PIX_IBitmap*) behind an image object, or null.
void* GetNSImageFromHICON(HICON icon);
// The whole image scaled into the rectangle, blended by its alpha.
void DrawImageInRect(HDC hdc, HGDIOBJ image, const RECT* r);
int GetObject(HGDIOBJ obj, int size, void* buf);
int GetSysColor(int index);

HIMAGELIST ImageList_CreateEx();
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
int ImageList_ReplaceIcon(HIMAGELIST list, int idx, HICON icon);
BOOL ImageList_Remove(HIMAGELIST list, int idx);
void ImageList_Destroy(HIMAGELIST list);
// The image object in a slot (null for an empty or missing slot) and the
// number of slots.
HGDIOBJ SHIM_ImageList_GetImage(HIMAGELIST list, int idx);
int ImageList_GetImageCount(HIMAGELIST list);
// Draws image `index` (1-based) of the list scaled into r; false when the list
// has no such image. List and tree views draw their cell images this way.
bool SHIM_Internal_DrawImageListImage(HIMAGELIST list, int index, plat::DrawContext& ctx,
                                      const plat::Rect& r);

// Registers the fonts of a file: for this process only when flags has
// SHIM_FONT_FOR_PROCESS (bit 1), otherwise for the user, by copying the
// file into the user's font folder ($XDG_DATA_HOME/fonts, by default
// ~/.local/share/fonts) where other programs find it too. 1 when the file
// held a font and was registered.
#define SHIM_FONT_FOR_PROCESS 2
int AddFontResourceEx(const char* path, int flags, void* reserved);
