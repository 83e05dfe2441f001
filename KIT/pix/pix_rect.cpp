// Rectangle and single-pixel operations.

#include "pix.h"
#include "pix_loops.h"
#include "pix_rectclip.h"

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
  if (ia == 0 || (op == 0 && ia < 1)) return;
  PIX_DispatchOp(op, [&](auto o) {
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

// A float colour quantity in 16.16, held where the stepping cannot overflow.
long long fixedStart(double v, double scale) {
  const double f = v * scale * 65536.0;
  const double lim = 1099511627776.0;  // 2^40
  if (!(f == f)) return 0;
  return (long long)(f > lim ? lim : f < -lim ? -lim : f);
}
long long fixedStep(double v, double scale) {
  const double f = v * scale * 65536.0;
  const double lim = 1073741824.0;  // 2^30
  if (!(f == f)) return 0;
  return (long long)(f > lim ? lim : f < -lim ? -lim : f);
}

}  // namespace

void PIX_GradRect(PIX_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, float ir, float ig,
                  float ib, float ia, float drdx, float dgdx, float dbdx, float dadx, float drdy,
                  float dgdy, float dbdy, float dady, int mode) {
  PIX_Surface s;
  PIX_Rect rc;
  if (!PIX_ClipRect(dest, dstx, dsty, dstw, dsth, &s, &rc)) return;
  long long r = fixedStart(ir, 255), g = fixedStart(ig, 255), b = fixedStart(ib, 255),
            a = fixedStart(ia, 256);
  const long long rdx = fixedStep(drdx, 255), gdx = fixedStep(dgdx, 255),
                  bdx = fixedStep(dbdx, 255), adx = fixedStep(dadx, 256);
  const long long rdy = fixedStep(drdy, 255), gdy = fixedStep(dgdy, 255),
                  bdy = fixedStep(dbdy, 255), ady = fixedStep(dady, 256);
  if (dstx < 0) {
    const long long n = -(long long)dstx;
    r += n * rdx;
    g += n * gdx;
    b += n * bdx;
    a += n * adx;
  }
  if (dsty < 0) {
    const long long n = -(long long)dsty;
    r += n * rdy;
    g += n * gdy;
    b += n * bdy;
    a += n * ady;
  }
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
  if (ia == 0 || (op == 0 && ia < 1)) return;
  PIX_DispatchOp(op, [&](auto o) {
    decltype(o)::type::doPix((unsigned char*)p, PIX_GETR(color), PIX_GETG(color),
                             PIX_GETB(color), PIX_GETA(color), ia);
  });
}
