// Rectangle and single-pixel operations.

#include <stdlib.h>
#include <string.h>

#include "pix.h"
#include "pix_loops.h"
#include "pix_clip.h"

bool PIX_ClipRect(PIX_IBitmap* bmp, int x, int y, int w, int h, PIX_Surface* s, PIX_Rect* r) {
  if (!PIX_GetSurface(bmp, s)) return false;
  const long long x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
  long long cw = (long long)w + (x < 0 ? x : 0), ch = (long long)h + (y < 0 ? y : 0);
  if (x0 >= s->width || y0 >= s->height || cw <= 0 || ch <= 0) return false;
  if (cw > s->width - x0) cw = s->width - x0;
  if (ch > s->height - y0) ch = s->height - y0;
  r->x = (int)x0;
  r->y = (int)y0;
  r->w = (int)cw;
  r->h = (int)ch;
  return true;
}

bool PIX_ClipToDest(long long l, long long t, long long r, long long b, long long x, long long y,
                    int dw, int dh, PIX_BlitArea* out) {
  if (x < 0) {
    l -= x;
    x = 0;
  }
  if (y < 0) {
    t -= y;
    y = 0;
  }
  if (x >= dw || y >= dh || r <= l || b <= t) return false;
  if (r > l + dw - x) r = l + dw - x;
  if (b > t + dh - y) b = t + dh - y;
  if (r <= l || b <= t) return false;
  *out = {(int)l, (int)t, (int)x, (int)y, (int)(r - l), (int)(b - t)};
  return true;
}

namespace {

void memRange(const unsigned char* p, ptrdiff_t span, int w, int h, uintptr_t* lo,
              uintptr_t* hi) {
  const uintptr_t a = (uintptr_t)p, b = (uintptr_t)(p + (h - 1) * span);
  *lo = a < b ? a : b;
  *hi = (a < b ? b : a) + (uintptr_t)w * 4;
}

}  // namespace

bool PIX_AreasOverlap(const unsigned char* a, ptrdiff_t aspan, const unsigned char* b,
                      ptrdiff_t bspan, int w, int h) {
  return PIX_AreasOverlap(a, aspan, w, h, b, bspan, w, h);
}

bool PIX_AreasOverlap(const unsigned char* a, ptrdiff_t aspan, int aw, int ah,
                      const unsigned char* b, ptrdiff_t bspan, int bw, int bh) {
  uintptr_t alo, ahi, blo, bhi;
  memRange(a, aspan, aw, ah, &alo, &ahi);
  memRange(b, bspan, bw, bh, &blo, &bhi);
  return alo < bhi && blo < ahi;
}

bool PIX_DetachSource(const unsigned char** src, ptrdiff_t* span, int sw, int sh,
                      const unsigned char* dest, ptrdiff_t dspan, int dw, int dh,
                      unsigned char** scratch) {
  *scratch = 0;
  if (!PIX_AreasOverlap(*src, *span, sw, sh, dest, dspan, dw, dh)) return true;
  *scratch = PIX_CopyArea(*src, *span, sw, sh);
  if (!*scratch) return false;
  *src = *scratch;
  *span = (ptrdiff_t)sw * 4;
  return true;
}

unsigned char* PIX_CopyArea(const unsigned char* src, ptrdiff_t span, int w, int h) {
  unsigned char* copy = (unsigned char*)malloc((size_t)w * h * 4);
  if (copy)
    for (int row = 0; row < h; ++row)
      memcpy(copy + (size_t)row * w * 4, src + row * span, (size_t)w * 4);
  return copy;
}

void PIX_FillRect(PIX_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha,
                  int mode) {
  if (!dest) return;
  if (mode & PIX_USE_SOURCE_ALPHA) alpha = alpha * ((float)(color >> 24) / 255.0f);
  PIX_Surface s;
  PIX_Rect r;
  if (alpha == 0.0f || !PIX_ClipRect(dest, x, y, w, h, &s, &r)) return;
  const int ia = PIX_WeightD(alpha);
  const int op = mode & 0xff;
  unsigned char* p = s.bytesAt(r.x, r.y);
  if (op == 0 && PIX_DispatchFastCopy(ia, [&](auto o) {
        typedef typename decltype(o)::type OP;
        _PIX_Template_Blit0<OP>::solidBlitFAST(p, r.w, r.h, OP::term(color), s.span);
      }))
    return;
  if (ia == 0) return;
  PIX_DispatchShortcutOp(op, ia, false, [&](auto o) {
    _PIX_Template_Blit1<typename decltype(o)::type>::solidBlit(
        p, r.w, r.h, PIX_GETR(color), PIX_GETG(color), PIX_GETB(color), ia, s.span);
  });
}

void PIX_ClearRect(PIX_IBitmap* dest, int x, int y, int w, int h, unsigned int mask,
                   unsigned int orbits) {
  PIX_Surface s;
  PIX_Rect r;
  if (!PIX_ClipRect(dest, x, y, w, h, &s, &r)) return;
  PIX_WalkWords(s.bytesAt(r.x, r.y), r.w, r.h, s.span,
                [mask, orbits](unsigned int* p) { *p = (*p & mask) | orbits; });
}

void PIX_Clear(PIX_IBitmap* dest, unsigned int color) {
  PIX_Surface s;
  if (!PIX_GetSurface(dest, &s, false)) return;
  PIX_WalkWords(s.row0, s.width, s.height, s.span, [color](unsigned int* p) { *p = color; });
}

void PIX_MultiplyAddRect(PIX_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc,
                         float bsc, float asc, float radd, float gadd, float badd, float aadd) {
  PIX_Surface s;
  PIX_Rect r;
  if (!PIX_ClipRect(dest, x, y, w, h, &s, &r)) return;
  // Byte order B, G, R, A.
  const long long sc[4] = {PIX_TruncToInt(bsc * 256.0), PIX_TruncToInt(gsc * 256.0),
                           PIX_TruncToInt(rsc * 256.0), PIX_TruncToInt(asc * 256.0)};
  const long long ad[4] = {PIX_TruncToInt(badd * 256.0), PIX_TruncToInt(gadd * 256.0),
                           PIX_TruncToInt(radd * 256.0), PIX_TruncToInt(aadd * 256.0)};
  PIX_WalkWords(s.bytesAt(r.x, r.y), r.w, r.h, s.span, [&](unsigned int* p) {
    unsigned char* c = (unsigned char*)p;
    for (int k = 0; k < 4; ++k) c[k] = PIX_Clamp255((c[k] * sc[k] + ad[k]) >> 8);
  });
}

void PIX_ProcessRect(PIX_IBitmap* dest, int x, int y, int w, int h,
                     void (*procfunc)(unsigned int* pixel, void* parm), void* parm) {
  PIX_Surface s;
  PIX_Rect r;
  if (!procfunc || !PIX_ClipRect(dest, x, y, w, h, &s, &r)) return;
  // Memory order: a flipped bitmap is visited from its bottom image row.
  unsigned char* p = s.bytesAt(r.x, r.y);
  ptrdiff_t span = s.span;
  if (span < 0) {
    p += (r.h - 1) * span;
    span = -span;
  }
  PIX_WalkWords(p, r.w, r.h, span, [procfunc, parm](unsigned int* px) { procfunc(px, parm); });
}

namespace {

// A float colour quantity in 16.16, held within +-limit so that stepping
// over any bitmap stays inside 64 bits.
long long fixed1616(double v, double scale, double limit) {
  const double f = v * scale * 65536.0;
  if (!(f == f)) return 0;
  return (long long)(f > limit ? limit : f < -limit ? -limit : f);
}

}  // namespace

void PIX_GradRect(PIX_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, float ir, float ig,
                  float ib, float ia, float drdx, float dgdx, float dbdx, float dadx, float drdy,
                  float dgdy, float dbdy, float dady, int mode) {
  PIX_Surface s;
  PIX_Rect rc;
  if (!PIX_ClipRect(dest, dstx, dsty, dstw, dsth, &s, &rc)) return;
  const double kStart = 1099511627776.0, kStep = 1073741824.0;  // 2^40, 2^30
  long long r = fixed1616(ir, 255, kStart), g = fixed1616(ig, 255, kStart),
            b = fixed1616(ib, 255, kStart), a = fixed1616(ia, 256, kStart);
  const long long rdx = fixed1616(drdx, 255, kStep), gdx = fixed1616(dgdx, 255, kStep),
                  bdx = fixed1616(dbdx, 255, kStep), adx = fixed1616(dadx, 256, kStep);
  const long long rdy = fixed1616(drdy, 255, kStep), gdy = fixed1616(dgdy, 255, kStep),
                  bdy = fixed1616(dbdy, 255, kStep), ady = fixed1616(dady, 256, kStep);
  // Clipped-off columns and rows move the start values along.
  const long long nx = dstx < 0 ? -(long long)dstx : 0, ny = dsty < 0 ? -(long long)dsty : 0;
  r += nx * rdx + ny * rdy;
  g += nx * gdx + ny * gdy;
  b += nx * bdx + ny * bdy;
  a += nx * adx + ny * ady;
  unsigned char* p = s.bytesAt(rc.x, rc.y);
  PIX_DispatchClampOp(mode & 0xff, [&](auto o) {
    _PIX_Template_Blit1<typename decltype(o)::type>::gradBlit(
        p, rc.w, rc.h, r, g, b, a, rdx, gdx, bdx, adx, rdy, gdy, bdy, ady, s.span);
  });
}

void PIX_SetAlphaFromColorMask(PIX_IBitmap* dest, unsigned int color) {
  PIX_Surface s;
  if (!PIX_GetSurface(dest, &s, false)) return;
  PIX_WalkWords(s.row0, s.width, s.height, s.span, [color](unsigned int* p) {
    *p = (*p & 0xffffff) == color ? (*p & 0xffffff) : (*p | 0xff000000);
  });
}

void PIX_SimpleFill(PIX_IBitmap* dest, int x, int y, unsigned int newcolor,
                    unsigned int comparemask, unsigned int keepmask) {
  PIX_Surface s;
  if (!PIX_GetSurface(dest, &s, false)) return;
  if (x < 0 || y < 0 || x >= s.width || y >= s.height) return;
  const unsigned int target = *s.at(x, y) & comparemask;
  auto matches = [=](unsigned int p) { return (p & comparemask) == target; };
  auto fillRow = [&](int row) {
    unsigned int* p = s.at(0, row);
    if (!matches(p[x])) return false;
    p[x] = (p[x] & keepmask) | newcolor;
    for (int i = x + 1; i < s.width && matches(p[i]); ++i) p[i] = (p[i] & keepmask) | newcolor;
    for (int i = x - 1; i >= 0 && matches(p[i]); --i) p[i] = (p[i] & keepmask) | newcolor;
    return true;
  };
  for (int row = y; row < s.height && fillRow(row); ++row) {
  }
  for (int row = y - 1; row >= 0 && fillRow(row); --row) {
  }
}

unsigned int PIX_GetPixel(PIX_IBitmap* bmp, int x, int y) {
  PIX_Surface s;
  if (!PIX_GetSurface(bmp, &s) || x < 0 || y < 0 || x >= s.width || y >= s.height) return 0;
  return *s.at(x, y);
}

void PIX_PutPixel(PIX_IBitmap* bmp, int x, int y, unsigned int color, float alpha, int mode) {
  PIX_Surface s;
  if (!PIX_GetSurface(bmp, &s) || x < 0 || y < 0 || x >= s.width || y >= s.height) return;
  unsigned int* p = s.at(x, y);
  const int ia = PIX_WeightF(alpha);
  const int op = mode & 0xff;
  if (op == 0 && PIX_DispatchFastCopy(ia, [&](auto o) {
        typedef typename decltype(o)::type OP;
        OP::doPix(p, OP::term(color));
      }))
    return;
  if (ia == 0) return;
  PIX_DispatchShortcutOp(op, ia, false, [&](auto o) {
    decltype(o)::type::doPix((unsigned char*)p, PIX_GETR(color), PIX_GETG(color),
                             PIX_GETB(color), PIX_GETA(color), ia);
  });
}
