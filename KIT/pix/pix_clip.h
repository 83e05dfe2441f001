#pragma once

// Clipping shared by the fills, blits and the blur.

#include <stddef.h>

#include "pix_bitmap.h"

struct PIX_Rect {
  int x, y, w, h;
};

// Clips {x, y, w, h} to the bitmap as presented; false when nothing remains
// or there are no pixels.
bool PIX_ClipRect(PIX_IBitmap* bmp, int x, int y, int w, int h, PIX_Surface* s, PIX_Rect* r);

// A source rectangle placed in a destination: source start, destination
// start and size.
struct PIX_BlitArea {
  int sx, sy, dx, dy, w, h;
};

// Places the source rectangle [l, r) x [t, b) (already cut to the source)
// at (x, y) of a dw x dh destination: a negative position moves the source
// start, and the rectangle is cut to the destination. False when nothing
// remains.
bool PIX_ClipToDest(long long l, long long t, long long r, long long b, long long x, long long y,
                    int dw, int dh, PIX_BlitArea* out);

// True when two w x h areas of pixels (first pixel, signed byte span) share
// memory.
bool PIX_AreasOverlap(const unsigned char* a, ptrdiff_t aspan, const unsigned char* b,
                      ptrdiff_t bspan, int w, int h);

// The same for a w1 x h1 area and a w2 x h2 area.
bool PIX_AreasOverlap(const unsigned char* a, ptrdiff_t aspan, int aw, int ah,
                      const unsigned char* b, ptrdiff_t bspan, int bw, int bh);

// Resampling blits read their source area while they write the destination
// area: when the two share memory the source is first copied to *scratch
// (free it), and *src and *span are moved to the copy, so the result is
// that of an untouched source. False when the copy is needed but there is
// no memory.
bool PIX_DetachSource(const unsigned char** src, ptrdiff_t* span, int sw, int sh,
                      const unsigned char* dest, ptrdiff_t dspan, int dw, int dh,
                      unsigned char** scratch);

// A packed copy (row span w x 4 bytes) of a w x h area, from malloc; null
// when there is no memory.
unsigned char* PIX_CopyArea(const unsigned char* src, ptrdiff_t span, int w, int h);
