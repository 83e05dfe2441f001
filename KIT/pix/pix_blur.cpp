// Word-wide blur, 2:1 reduction and bitmap comparison.

#include <stdlib.h>
#include <string.h>

#include "pix.h"
#include "pix_clip.h"

void PIX_Blur(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
              int srcw, int srch) {
  if (!dest || !src) return;
  long long l = srcx < 0 ? 0 : srcx, t = srcy < 0 ? 0 : srcy;
  long long r = (long long)srcx + srcw, b = (long long)srcy + srch;
  if (r > src->getWidth()) r = src->getWidth();
  if (b > src->getHeight()) b = src->getHeight();
  PIX_BlitArea area;
  if (!PIX_ClipToDest(l, t, r, b, dstx, dsty, dest->getWidth(), dest->getHeight(), &area) ||
      area.w < 2 || area.h < 2)
    return;
  PIX_Surface ds, ss;
  if (!PIX_GetSurface(dest, &ds) || !PIX_GetSurface(src, &ss)) return;
  const int w = area.w, h = area.h;

  const unsigned char* sp = ss.bytesAt(area.sx, area.sy);
  ptrdiff_t sspan = ss.span;
  unsigned char* dp = ds.bytesAt(area.dx, area.dy);
  // A destination sharing memory with the source (the same bitmap, in place
  // or shifted) reads from a copy, so results never feed later taps.
  unsigned char* copy;
  if (!PIX_DetachSource(&sp, &sspan, w, h, dp, ds.span, w, h, &copy)) return;

  for (int row = 0; row < h; ++row) {
    const unsigned int* c = (const unsigned int*)(sp + row * sspan);
    const unsigned int* up = row > 0 ? (const unsigned int*)(sp + (row - 1) * sspan) : 0;
    const unsigned int* dn = row < h - 1 ? (const unsigned int*)(sp + (row + 1) * sspan) : 0;
    unsigned int* o = (unsigned int*)(dp + row * ds.span);
    for (int i = 0; i < w; ++i) {
      // A missing neighbour's share goes to the opposite one.
      const unsigned int hz = i == 0       ? PIX_QUARTER(c[1])
                              : i == w - 1 ? PIX_QUARTER(c[i - 1])
                                           : PIX_EIGHTH(c[i - 1]) + PIX_EIGHTH(c[i + 1]);
      const unsigned int vt = !up   ? PIX_QUARTER(dn[i])
                              : !dn ? PIX_QUARTER(up[i])
                                    : PIX_EIGHTH(up[i]) + PIX_EIGHTH(dn[i]);
      o[i] = PIX_HALF(c[i]) + hz + vt;
    }
  }
  free(copy);
}

void PIX_HalveBlitAA(PIX_IBitmap* dest, PIX_IBitmap* src) {
  PIX_Surface ds, ss;
  if (!PIX_GetSurface(dest, &ds, false) || !PIX_GetSurface(src, &ss, false)) return;
  const int w = ds.width < ss.width / 2 ? ds.width : ss.width / 2;
  const int h = ds.height < ss.height / 2 ? ds.height : ss.height / 2;
  for (int y = 0; y < h; ++y) {
    const unsigned int* a = ss.at(0, 2 * y);
    const unsigned int* b = ss.at(0, 2 * y + 1);
    unsigned int* o = ds.at(0, y);
    for (int x = 0; x < w; ++x)
      o[x] = PIX_QUARTER(a[2 * x]) + PIX_QUARTER(a[2 * x + 1]) + PIX_QUARTER(b[2 * x]) +
             PIX_QUARTER(b[2 * x + 1]);
  }
}

int PIX_BitmapCmpEx(PIX_IBitmap* a, PIX_IBitmap* b, unsigned int mask, int* coordsOut) {
  if (!a) return b ? -1 : 0;
  if (!b) return 1;
  if (a->getWidth() != b->getWidth()) return b->getWidth() - a->getWidth();
  if (a->getHeight() != b->getHeight()) return b->getHeight() - a->getHeight();
  if (coordsOut) coordsOut[0] = coordsOut[1] = coordsOut[2] = coordsOut[3] = 0;
  PIX_Surface sa, sb;
  if (!PIX_GetSurface(a, &sa) || !PIX_GetSurface(b, &sb)) return 0;
  const int w = sa.width, h = sa.height;
  if (!coordsOut) {
    for (int y = 0; y < h; ++y) {
      const unsigned int* pa = sa.at(0, y);
      const unsigned int* pb = sb.at(0, y);
      if (mask == 0xFFFFFFFF) {
        const int c = memcmp(pa, pb, (size_t)w * 4);
        if (c) return c;
      } else {
        for (int x = 0; x < w; ++x)
          if ((pa[x] ^ pb[x]) & mask) return 1;
      }
    }
    return 0;
  }
  int minx = w, miny = h, maxx = -1, maxy = -1;
  for (int y = 0; y < h; ++y) {
    const unsigned int* pa = sa.at(0, y);
    const unsigned int* pb = sb.at(0, y);
    for (int x = 0; x < w; ++x) {
      if ((pa[x] ^ pb[x]) & mask) {
        if (x < minx) minx = x;
        if (x > maxx) maxx = x;
        if (y < miny) miny = y;
        maxy = y;
      }
    }
  }
  if (maxx < 0) return 0;
  coordsOut[0] = minx;
  coordsOut[1] = miny;
  coordsOut[2] = maxx - minx + 1;
  coordsOut[3] = maxy - miny + 1;
  return 1;
}

int PIX_BitmapCmp(PIX_IBitmap* a, PIX_IBitmap* b, int* coordsOut) {
  return PIX_BitmapCmpEx(a, b, 0xFFFFFFFF, coordsOut);
}
