// Unscaled block transfer and whole-bitmap copy.

#include <stdlib.h>
#include <string.h>

#include "pix.h"
#include "pix_clip.h"
#include "pix_loops.h"

namespace {

// Pixel pairs of a blit: destination and source start, signed byte spans
// and the byte step between pixels of a row.
struct Pairs {
  unsigned char* d;
  const unsigned char* s;
  ptrdiff_t dspan, sspan;
  int w, h, step;
};

// When source and destination share memory the pairs are visited in the
// memory order that reads every source pixel before it is overwritten (the
// result equals a copy from an untouched source). Returns a scratch block to
// free, or null; *ok becomes false when a needed scratch block is missing.
void* orderForOverlap(Pairs* p, bool* ok) {
  *ok = true;
  if (!PIX_AreasOverlap(p->d, p->dspan, p->s, p->sspan, p->w, p->h)) return 0;
  if (p->dspan != p->sspan) {
    // Rows of different lengths: read the source from a copy.
    unsigned char* tmp = PIX_CopyArea(p->s, p->sspan, p->w, p->h);
    if (!tmp) {
      *ok = false;
      return 0;
    }
    p->s = tmp;
    p->sspan = (ptrdiff_t)p->w * 4;
    return tmp;
  }
  // Walk memory upwards...
  if (p->dspan < 0) {
    p->d += (p->h - 1) * p->dspan;
    p->s += (p->h - 1) * p->sspan;
    p->dspan = -p->dspan;
    p->sspan = -p->sspan;
  }
  // ...or downwards when the destination lies above the source in memory.
  if (p->d > p->s) {
    const ptrdiff_t last = (p->h - 1) * p->dspan + (ptrdiff_t)(p->w - 1) * 4;
    p->d += last;
    p->s += last;
    p->dspan = -p->dspan;
    p->sspan = -p->sspan;
    p->step = -4;
  }
  return 0;
}

}  // namespace

void PIX_Blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, const RECT* srcrect,
              float alpha, int mode) {
  if (!dest || !src || alpha == 0.0f) return;
  const long long sw = src->getWidth(), sh = src->getHeight();
  long long x = dstx, y = dsty;
  long long l = 0, t = 0, r = sw, b = sh;
  if (srcrect) {
    l = srcrect->left;
    t = srcrect->top;
    r = srcrect->right;
    b = srcrect->bottom;
    if (l < 0) {
      x -= l;
      l = 0;
    }
    if (t < 0) {
      y -= t;
      t = 0;
    }
    if (r > sw) r = sw;
    if (b > sh) b = sh;
  }
  PIX_BlitArea area;
  if (!PIX_ClipToDest(l, t, r, b, x, y, dest->getWidth(), dest->getHeight(), &area)) return;
  PIX_Surface ds, ss;
  if (!PIX_GetSurface(dest, &ds) || !PIX_GetSurface(src, &ss)) return;
  Pairs p;
  p.w = area.w;
  p.h = area.h;
  p.d = ds.bytesAt(area.dx, area.dy);
  p.s = ss.bytesAt(area.sx, area.sy);
  p.dspan = ds.span;
  p.sspan = ss.span;
  p.step = 4;

  const int op = mode & 0x100ff;
  const bool channelCopy = (mode & 0xf0) == 0xf0;
  const bool plainCopy = op == 0 && alpha == 1.0f;
  const bool halfMix = op == 0 && alpha == 0.5f;
  const int weight = PIX_WeightD(alpha);
  if (!channelCopy && !plainCopy && !halfMix &&
      !PIX_DispatchBlitOp(mode, weight, [](auto) {}))
    return;

  bool ok;
  void* scratch = orderForOverlap(&p, &ok);
  if (!ok) return;

  if (channelCopy) {
    const int from = mode & 3, to = (mode >> 2) & 3;
    PIX_WalkPairs(p.d, p.s, p.w, p.h, p.sspan, p.dspan, p.step,
                  [from, to](unsigned char* d, const unsigned char* s) { d[to] = s[from]; });
  } else if (plainCopy) {
    const ptrdiff_t back = p.step < 0 ? (ptrdiff_t)(p.w - 1) * 4 : 0;
    for (int row = 0; row < p.h; ++row)
      memmove(p.d + row * p.dspan - back, p.s + row * p.sspan - back, (size_t)p.w * 4);
  } else if (halfMix) {
    PIX_WalkPairs(p.d, p.s, p.w, p.h, p.sspan, p.dspan, p.step,
                  [](unsigned char* d, const unsigned char* s) {
                    _PIX_CombinePixelsHalfMixFAST::doPix((unsigned int*)d, *(const unsigned int*)s);
                  });
  } else {
    PIX_DispatchBlitOp(mode, weight, [&](auto o) {
      _PIX_Template_Blit2<typename decltype(o)::type>::blit(p.d, p.s, p.w, p.h, p.sspan, p.dspan,
                                                            weight, p.step);
    });
  }
  free(scratch);
}

void PIX_Blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
              int srcw, int srch, float alpha, int mode) {
  RECT r;
  r.left = srcx;
  r.top = srcy;
  r.right = PIX_SatInt((long long)srcx + srcw);
  r.bottom = PIX_SatInt((long long)srcy + srch);
  PIX_Blit(dest, src, dstx, dsty, &r, alpha, mode);
}

void PIX_Copy(PIX_IBitmap* dest, PIX_IBitmap* src) {
  if (!dest || !src) return;
  dest->resize(src->getWidth(), src->getHeight());
  PIX_Blit(dest, src, 0, 0, (const RECT*)0, 1.0f, 0);
}
