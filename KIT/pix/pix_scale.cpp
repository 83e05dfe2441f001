// Scaled blit: a fractional source rectangle stretched onto a destination
// rectangle with nearest, bilinear or averaging sampling.

#include <math.h>
#include <stdlib.h>

#include "pix.h"
#include "pix_clip.h"
#include "pix_loops.h"

namespace {

typedef long long i64;

// Setup values far beyond any bitmap are held here, so that the 64-bit
// position arithmetic cannot overflow: positions within +-2^52 (16.16) and
// steps within +-2^40 (2^24 source pixels per destination pixel).
const double kPosLimit = 4503599627370496.0;
const double kStepLimit = 1099511627776.0;

i64 holdFloor(double v, double limit) {
  v = floor(v);
  return (i64)(v > limit ? limit : v < -limit ? -limit : v);
}

// A 16.16 step, rounded toward zero so that a mirrored walk uses the
// upright step and drifts inward, never past the source's edge.
i64 step16(double adv) {
  return adv < 0 ? -holdFloor(-adv * 65536.0, kStepLimit) : holdFloor(adv * 65536.0, kStepLimit);
}

bool offGrid(float v) { return fabs((double)v - floor((double)v + 0.5)) >= 0.03; }

// Cuts one axis to the positions that land on the source: the destination
// run (start *dpos, *dlen pixels) loses its leading pixels whose position
// lies before the source (after it, for a negative step) and its trailing
// pixels past the other end. False when no pixel remains.
bool clipAxis(i64* icur, i64 step, i64* dpos, i64* dlen, int srcsize) {
  const i64 end = (i64)srcsize * 65536;
  i64 skip = 0;
  if (step > 0 && *icur < 0) skip = (step - 1 - *icur) / step;
  if (step < 0 && *icur >= end) skip = (*icur - end) / -step + 1;
  if (skip >= *dlen) return false;
  *dlen -= skip;
  *dpos += skip;
  *icur += skip * step;
  if (*icur < 0 || *icur >= end) return false;
  // Pixels whose positions stay on the source.
  const i64 count = step > 0 ? (end - *icur + step - 1) / step : step < 0 ? *icur / -step + 1 : *dlen;
  if (count < *dlen) *dlen = count;
  return true;
}

// First source column (row) of the area a blit reads: the pixel of the
// lowest position, or the rectangle's first whole pixel if that is lower.
int areaStart(i64 lowest, float rectStart) {
  const double edge = floor((double)rectStart);
  return (int)(edge < (double)lowest ? (edge > 0 ? edge : 0) : lowest);
}

// The averaging filter for reductions: filtsz x filtsz weights falling off
// with the distance from the centre tap.
void makeFilter(i64 m, int filtsz, int* filter) {
  const int start = -(filtsz / 2);
  for (int i = 0; i < filtsz; ++i)
    for (int j = 0; j < filtsz; ++j) {
      const int dy = i + start, dx = j + start;
      int v = 65536;
      if (dx || dy) {
        const double f = ((double)m - 1.0) / sqrt((double)(dx * dx + dy * dy));
        v = f < 0 ? 0 : f > 1 ? 65536 : (int)(f * 65536);
      }
      filter[i * filtsz + j] = v;
    }
}

}  // namespace

void PIX_ScaledBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    float srcx, float srcy, float srcw, float srch, float alpha, int mode) {
  if (!dest || !src || dstw == 0 || dsth == 0 || alpha == 0.0f) return;
  if (!PIX_AllFinite({srcx, srcy, srcw, srch})) return;
  const int filtermode = mode & PIX_FILTER_MASK;
  const bool bilinear = filtermode == PIX_FILTER_BILINEAR;

  // Same size: the unscaled blit from the nearest whole pixel, unless a
  // bilinear request starts between pixels.
  if (fabs((double)srcw - dstw) < 0.001 && fabs((double)srch - dsth) < 0.001 &&
      !(bilinear && (offGrid(srcx) || offGrid(srcy)))) {
    RECT r;
    r.left = PIX_TruncToInt((double)srcx + 0.5);
    r.top = PIX_TruncToInt((double)srcy + 0.5);
    r.right = PIX_SatInt((i64)r.left + dstw);
    r.bottom = PIX_SatInt((i64)r.top + dsth);
    PIX_Blit(dest, src, dstx, dsty, &r, alpha, mode);
    return;
  }

  i64 dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  if (dw < 0) {
    dx += dw;
    srcx += srcw;
    srcw = -srcw;
    dw = -dw;
  }
  if (dh < 0) {
    dy += dh;
    srcy += srch;
    srch = -srch;
    dh = -dh;
  }
  const double xadv = (double)(srcw / (float)dw), yadv = (double)(srch / (float)dh);
  // The source's right and bottom limits come from the rectangle asked for,
  // not from one moved by the clipping below, so a blit cut at the left or
  // top edge draws the same pixels as an uncut one.
  const float srcRight = (srcw > 0 ? srcw : 0.0f) + srcx;
  const float srcBottom = (srch > 0 ? srch : 0.0f) + srcy;
  const float srcLeft = srcw < 0 ? srcx + srcw : srcx, srcTop = srch < 0 ? srcy + srch : srcy;
  if (dx < 0) {
    srcx = PIX_HoldFloat(srcx - dx * xadv);
    dw += dx;
    dx = 0;
  }
  if (dy < 0) {
    srcy = PIX_HoldFloat(srcy - dy * yadv);
    dh += dy;
    dy = 0;
  }
  const int DW = dest->getWidth(), DH = dest->getHeight();
  if (dw <= 0 || dh <= 0 || dx >= DW || dy >= DH) return;
  if (dw > DW - dx) dw = DW - dx;
  if (dh > DH - dy) dh = DH - dy;

  const i64 idx = step16(xadv), idy = step16(yadv);
  i64 icurx = holdFloor((double)srcx * 65536.0, kPosLimit);
  i64 icury = holdFloor((double)srcy * 65536.0, kPosLimit);
  // A mirrored pixel covers the source from its position back by one step:
  // it samples that far end, the counterpart of the near end an upright
  // pixel samples, so the mirror image stays in its rectangle.
  if (idx < 0) icurx += idx;
  if (idy < 0) icury += idy;

  PIX_Surface ds, ss;
  if (!PIX_GetSurface(dest, &ds) || !PIX_GetSurface(src, &ss)) return;
  if (!clipAxis(&icurx, idx, &dx, &dw, ss.width) || !clipAxis(&icury, idy, &dy, &dh, ss.height))
    return;

  // The source area starts at the lowest position reached, or at the
  // rectangle's own edge when clipping moved that position on (the
  // averaging filter then still reads the pixels before it).
  const i64 xoffs = idx < 0 ? (dw - 1) * idx : 0, yoffs = idy < 0 ? (dh - 1) * idy : 0;
  const int sx0 = areaStart((xoffs + icurx) / 65536, srcLeft);
  const int sy0 = areaStart((yoffs + icury) / 65536, srcTop);
  int sxmax = PIX_TruncToInt((double)srcRight + 0.999999);
  int symax = PIX_TruncToInt((double)srcBottom + 0.999999);
  if (sxmax > ss.width) sxmax = ss.width;
  if (symax > ss.height) symax = ss.height;
  const int clipright = sxmax - sx0, clipbottom = symax - sy0;
  if (clipright <= 0 || clipbottom <= 0) return;
  icurx -= (i64)sx0 * 65536;
  icury -= (i64)sy0 * 65536;

  const int w = (int)dw, h = (int)dh;
  unsigned char* d = ds.bytesAt((int)dx, (int)dy);
  const unsigned char* s = ss.bytesAt(sx0, sy0);
  ptrdiff_t sspan = ss.span;
  const int weight = PIX_WeightD(alpha);

  const bool fastCopy = (mode & 0x1ffff) == 0 && (weight == 256 || weight == 128);
  const bool average = bilinear && xadv >= 1.7 && yadv >= 1.7;
  if (!fastCopy && !PIX_DispatchBlitOp(mode, weight, [](auto) {})) return;

  unsigned char* scratch;
  if (!PIX_DetachSource(&s, &sspan, clipright, clipbottom, d, ds.span, w, h, &scratch)) return;

  if (fastCopy) {
    if (weight == 256)
      _PIX_Template_Blit0<_PIX_CombinePixelsClobberFAST>::scaleBlitFAST(
          d, s, w, h, icurx, icury, idx, idy, clipright, clipbottom, sspan, ds.span);
    else
      _PIX_Template_Blit0<_PIX_CombinePixelsHalfMixFAST>::scaleBlitFAST(
          d, s, w, h, icurx, icury, idx, idy, clipright, clipbottom, sspan, ds.span);
  } else if (average) {
    const i64 m = idx > idy ? idx : idy;
    const int filtsz = m > 0x30000 ? 5 : 3;
    int filter[25];
    makeFilter(m, filtsz, filter);
    PIX_DispatchBlitOp(mode, weight, [&](auto o) {
      _PIX_Template_Blit2<typename decltype(o)::type>::scaleBlitFilterDown(
          d, s, w, h, icurx, icury, idx, idy, clipright, clipbottom, sspan, ds.span, weight,
          filter, -(filtsz / 2), filtsz);
    });
  } else {
    PIX_DispatchBlitOp(mode, weight, [&](auto o) {
      _PIX_Template_Blit2<typename decltype(o)::type>::scaleBlit(
          d, s, w, h, icurx, icury, idx, idy, clipright, clipbottom, sspan, ds.span, weight,
          filtermode);
    });
  }
  free(scratch);
}
