// Word-wide blur, 2:1 reduction and bitmap comparison.

#include <stdlib.h>
#include <string.h>

#include "pix.h"

void PIX_Blur(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
              int srcw, int srch) {
  if (!dest || !src) return;
  long long l = srcx < 0 ? 0 : srcx, t = srcy < 0 ? 0 : srcy;
  long long r = (long long)srcx + srcw, b = (long long)srcy + srch;
  if (r > src->getWidth()) r = src->getWidth();
  if (b > src->getHeight()) b = src->getHeight();
  long long x = dstx, y = dsty;
  if (x < 0) {
    l -= x;
    x = 0;
  }
  if (y < 0) {
    t -= y;
    y = 0;
  }
  const long long dw = dest->getWidth(), dh = dest->getHeight();
  if (x >= dw || y >= dh) return;
  if (r > l + dw - x) r = l + dw - x;
  if (b > t + dh - y) b = t + dh - y;
  if (r - l < 2 || b - t < 2) return;
  PIX_Surface ds, ss;
  if (!PIX_GetSurface(dest, &ds) || !PIX_GetSurface(src, &ss)) return;
  const int w = (int)(r - l), h = (int)(b - t);

  const unsigned char* sp = ss.bytesAt((int)l, (int)t);
  ptrdiff_t sspan = ss.span;
  unsigned char* dp = ds.bytesAt((int)x, (int)y);
  // A destination sharing memory with the source (the same bitmap, in place
  // or shifted) reads from a copy, so results never feed later taps.
  void* copy = 0;
  const uintptr_t s0 = (uintptr_t)(sspan < 0 ? sp + (h - 1) * sspan : sp);
  const uintptr_t s1 = (uintptr_t)(sspan < 0 ? sp : sp + (h - 1) * sspan) + (uintptr_t)w * 4;
  const uintptr_t d0 = (uintptr_t)(ds.span < 0 ? dp + (h - 1) * ds.span : dp);
  const uintptr_t d1 = (uintptr_t)(ds.span < 0 ? dp : dp + (h - 1) * ds.span) + (uintptr_t)w * 4;
  if (d0 < s1 && s0 < d1) {
    copy = malloc((size_t)w * h * 4);
    if (!copy) return;
    for (int row = 0; row < h; ++row)
      memcpy((unsigned char*)copy + (size_t)row * w * 4, sp + row * sspan, (size_t)w * 4);
    sp = (const unsigned char*)copy;
    sspan = (ptrdiff_t)w * 4;
  }

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
