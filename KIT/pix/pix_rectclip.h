#pragma once

// Rectangle clipping shared by the fills.

#include "pix_bitmap.h"

struct PIX_Rect {
  int x, y, w, h;
};

// Clips {x, y, w, h} to the bitmap as presented; false when nothing remains
// or there are no pixels.
bool PIX_ClipRect(PIX_IBitmap* bmp, int x, int y, int w, int h, PIX_Surface* s, PIX_Rect* r);
