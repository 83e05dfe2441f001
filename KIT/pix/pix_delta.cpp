// Delta, rotated and mesh blits: the source position is an affine (or
// bilinear) function of the destination position, walked in 16.16.

#include <math.h>
#include <stdlib.h>

#include <initializer_list>

#include "pix.h"
#include "pix_clip.h"
#include "pix_loops.h"

namespace {

typedef long long i64;

// Steps are held to the int range and start values to +-2^47 (16.16), so
// the walkers' 64-bit sums cannot overflow on any bitmap.
const double kStepLimit = 2147483647.0;
const double kStartLimit = 140737488355328.0;

i64 fix16(double v, double limit) {
  v *= 65536.0;
  return (i64)(v > limit ? limit : v < -limit ? -limit : v);
}

bool allFinite(std::initializer_list<double> vs) {
  for (double v : vs)
    if (!isfinite(v)) return false;
  return true;
}

// The part of the source a walk may read.
struct Bounds {
  float minx, miny, maxx, maxy;
};

Bounds sourceBounds(PIX_IBitmap* src, float srcx, float srcy, float srcw, float srch,
                    bool cliptosourcerect) {
  const float sw = (float)src->getWidth(), sh = (float)src->getHeight();
  if (!cliptosourcerect) return {0, 0, sw, sh};
  const float right = srcx + srcw, bottom = srcy + srch;
  return {srcx > 0 ? srcx : 0, srcy > 0 ? srcy : 0, right < sw ? right : sw,
          bottom < sh ? bottom : sh};
}

// Where a walk starts and how it steps, in source pixels; the weight ramp
// only for the alpha form.
struct Steps {
  float srcx, srcy;
  double dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
  float a;
  double dadx, dady, dadxdy;
};

// A walk ready to run: pointers, clip box and 16.16 steps.
struct Walk {
  unsigned char* d;
  const unsigned char* s;
  ptrdiff_t dspan, sspan;
  int w, h, clipright, clipbottom;
  i64 s0, t0, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
  i64 a, dadx, dady, dadxdy;
  unsigned char* scratch;  // free after the walk
};

// Cuts the destination rectangle (sizes already positive) to the
// destination, moving the start and the steps with it, and sets up the
// walk. False when nothing is to be drawn.
bool prepareWalk(PIX_IBitmap* dest, PIX_IBitmap* src, i64 dstx, i64 dsty, i64 dstw, i64 dsth,
                 Steps st, const Bounds& b, Walk* out) {
  // Leaving out columns or rows moves everything that grows across them: the
  // start, the per-row step (by the columns' share of the second-order
  // term), the per-pixel step (by the rows' share), so the pixels that stay
  // are the ones an uncut walk would draw.
  if (dstx < 0) {
    st.srcx = PIX_HoldFloat(st.srcx - dstx * st.dsdx);
    st.srcy = PIX_HoldFloat(st.srcy - dstx * st.dtdx);
    st.dsdy -= dstx * st.dsdxdy;
    st.dtdy -= dstx * st.dtdxdy;
    st.a = PIX_HoldFloat(st.a - dstx * st.dadx);
    st.dady -= dstx * st.dadxdy;
    dstw += dstx;
    dstx = 0;
  }
  if (dsty < 0) {
    st.srcx = PIX_HoldFloat(st.srcx - dsty * st.dsdy);
    st.srcy = PIX_HoldFloat(st.srcy - dsty * st.dtdy);
    st.dsdx -= dsty * st.dsdxdy;
    st.dtdx -= dsty * st.dtdxdy;
    st.a = PIX_HoldFloat(st.a - dsty * st.dady);
    st.dadx -= dsty * st.dadxdy;
    dsth += dsty;
    dsty = 0;
  }
  PIX_Surface ds, ss;
  if (!PIX_GetSurface(dest, &ds) || !PIX_GetSurface(src, &ss)) return false;
  if (dstw <= 0 || dsth <= 0 || dstx >= ds.width || dsty >= ds.height) return false;
  if (dstw > ds.width - dstx) dstw = ds.width - dstx;
  if (dsth > ds.height - dsty) dsth = ds.height - dsty;

  const int x0 = PIX_TruncToInt(b.minx), y0 = PIX_TruncToInt(b.miny);
  const int x1 = PIX_TruncToInt(b.maxx), y1 = PIX_TruncToInt(b.maxy);
  if (x0 >= x1 || y1 <= y0 || x0 < 0 || y0 < 0) return false;

  out->w = (int)dstw;
  out->h = (int)dsth;
  out->clipright = x1 - x0;
  out->clipbottom = y1 - y0;
  out->d = ds.bytesAt((int)dstx, (int)dsty);
  out->dspan = ds.span;
  out->s = ss.bytesAt(x0, y0);
  out->sspan = ss.span;
  out->s0 = fix16((double)st.srcx - x0, kStartLimit);
  out->t0 = fix16((double)st.srcy - y0, kStartLimit);
  out->dsdx = fix16(st.dsdx, kStepLimit);
  out->dtdx = fix16(st.dtdx, kStepLimit);
  out->dsdy = fix16(st.dsdy, kStepLimit);
  out->dtdy = fix16(st.dtdy, kStepLimit);
  out->dsdxdy = fix16(st.dsdxdy, kStepLimit);
  out->dtdxdy = fix16(st.dtdxdy, kStepLimit);
  out->a = fix16(st.a, kStartLimit);
  out->dadx = fix16(st.dadx, kStepLimit);
  out->dady = fix16(st.dady, kStepLimit);
  out->dadxdy = fix16(st.dadxdy, kStepLimit);
  return PIX_DetachSource(&out->s, &out->sspan, out->clipright, out->clipbottom, out->d,
                          out->dspan, out->w, out->h, &out->scratch);
}

// The operator of the delta and rotated blits as a combine function; null
// when nothing is drawn.
PIX_CombineFunc blitCombine(int mode, int weight) {
  PIX_CombineFunc f = 0;
  PIX_DispatchBlitOp(mode, weight, [&f](auto o) { f = &decltype(o)::type::doPix; });
  return f;
}

void runWalk(const Walk& k, int weight, int filtermode, PIX_CombineFunc f) {
  _PIX_Template_Blit3::deltaBlit(k.d, k.s, k.w, k.h, k.s0, k.t0, k.dsdx, k.dtdx, k.dsdy, k.dtdy,
                                 k.dsdxdy, k.dtdxdy, k.clipright, k.clipbottom, k.sspan, k.dspan,
                                 weight, filtermode, f);
  free(k.scratch);
}

Steps makeSteps(float srcx, float srcy, double dsdx, double dtdx, double dsdy, double dtdy,
                double dsdxdy, double dtdxdy) {
  return {srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy, 0.0f, 0.0, 0.0, 0.0};
}

}  // namespace

void PIX_DeltaBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                   float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx,
                   double dsdy, double dtdy, double dsdxdy, double dtdxdy, bool cliptosourcerect,
                   float alpha, int mode) {
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  if (!allFinite({srcx, srcy, srcw, srch, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy})) return;
  const int weight = PIX_WeightD(alpha);
  const PIX_CombineFunc f = blitCombine(mode, weight);
  if (!f) return;
  const Bounds b = sourceBounds(src, srcx, srcy, srcw, srch, cliptosourcerect);
  i64 x = dstx, y = dsty, w = dstw, h = dsth;
  if (w < 0) {
    x += w;
    w = -w;
    srcx += srcw;
  }
  if (h < 0) {
    y += h;
    h = -h;
    srcy += srch;
  }
  Walk k;
  if (!prepareWalk(dest, src, x, y, w, h,
                   makeSteps(srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy), b, &k))
    return;
  runWalk(k, weight, mode & PIX_FILTER_MASK, f);
}

void PIX_DeltaBlitAlpha(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw,
                        int dsth, float srcx, float srcy, float srcw, float srch, double dsdx,
                        double dtdx, double dsdy, double dtdy, double dsdxdy, double dtdxdy,
                        bool cliptosourcerect, float alpha, int mode, double dadx, double dady,
                        double dadxdy) {
  if (fabs(dstw * dadx) < 0.0001 && fabs(dsth * dady) < 0.0001 && fabs(dsth * dadxdy) < 0.0001) {
    PIX_DeltaBlit(dest, src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, dsdx, dtdx, dsdy,
                  dtdy, dsdxdy, dtdxdy, cliptosourcerect, alpha, mode);
    return;
  }
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  if (!allFinite({srcx, srcy, srcw, srch, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy, alpha, dadx,
                  dady, dadxdy}))
    return;
  // The weight may leave 0..256: the clamping copy and multiply.
  PIX_CombineFunc f = 0;
  if (!PIX_DispatchClampOp(mode & PIX_OP_MASK,
                           [&f](auto o) { f = &decltype(o)::type::doPix; }))
    return;
  const Bounds b = sourceBounds(src, srcx, srcy, srcw, srch, cliptosourcerect);
  i64 x = dstx, y = dsty, w = dstw, h = dsth;
  if (w < 0) {
    x += w;
    w = -w;
    srcx += srcw;
  }
  if (h < 0) {
    y += h;
    h = -h;
    srcy += srch;
  }
  Steps st = makeSteps(srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy);
  st.a = alpha;
  st.dadx = dadx;
  st.dady = dady;
  st.dadxdy = dadxdy;
  Walk k;
  if (!prepareWalk(dest, src, x, y, w, h, st, b, &k)) return;
  _PIX_Template_Blit4::deltaBlitAlpha(k.d, k.s, k.w, k.h, k.s0, k.t0, k.dsdx, k.dtdx, k.dsdy,
                                      k.dtdy, k.dsdxdy, k.dtdxdy, k.clipright, k.clipbottom,
                                      k.sspan, k.dspan, k.a, k.dadx, k.dady, k.dadxdy,
                                      mode & PIX_FILTER_MASK, f);
  free(k.scratch);
}

void PIX_RotatedBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float angle,
                     bool cliptosourcerect, float alpha, int mode, float rotxcent,
                     float rotycent) {
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  if (!allFinite({srcx, srcy, srcw, srch, angle, rotxcent, rotycent})) return;
  const int weight = PIX_WeightD(alpha);
  const PIX_CombineFunc f = blitCombine(mode, weight);
  if (!f) return;
  const int filtermode = mode & PIX_FILTER_MASK;
  const Bounds b = sourceBounds(src, srcx, srcy, srcw, srch, cliptosourcerect);
  i64 x = dstx, y = dsty, w = dstw, h = dsth;
  if (w < 0) {
    x += w;
    w = -w;
    srcx += srcw;
    srcw = -srcw;
  }
  if (h < 0) {
    y += h;
    h = -h;
    srcy += srch;
    srch = -srch;
  }
  const double sn = sin((double)angle), cs = cos((double)angle);
  const double xadv = (double)(srcw / (float)w), yadv = (double)(srch / (float)h);
  const double dsdx = cs * xadv, dtdx = -sn * yadv, dsdy = sn * xadv, dtdy = cs * yadv;
  // The rectangle's centre maps to the source rectangle's centre (moved by
  // the offsets). Each pixel is sampled at its own centre: nearest sampling
  // takes the source pixel under it, bilinear blends between source pixel
  // centres (half a pixel back).
  const double half = filtermode == PIX_FILTER_BILINEAR ? 0.5 : 0.0;
  srcx = PIX_HoldFloat(srcx - (((h * dsdy + w * dsdx) - srcw) / 2 - rotxcent) +
                       (dsdx + dsdy) / 2 - half);
  srcy = PIX_HoldFloat(srcy - (((h * dtdy + w * dtdx) - srch) / 2 - rotycent) +
                       (dtdx + dtdy) / 2 - half);
  Walk k;
  if (!prepareWalk(dest, src, x, y, w, h, makeSteps(srcx, srcy, dsdx, dtdx, dsdy, dtdy, 0, 0), b,
                   &k))
    return;
  runWalk(k, weight, filtermode, f);
}

// ---- Mesh blits

namespace {

// Calls cell(row, col, x, y, w, h) for every non-empty cell of a mesh of
// div_w x div_h points over the destination rectangle; cell edges are the
// rounded grid positions.
template <class Fn>
void forEachCell(int dstx, int dsty, int dstw, int dsth, int div_w, int div_h, Fn cell) {
  const double xstep = (double)dstw / (div_w - 1), ystep = (double)dsth / (div_h - 1);
  double ypos = dsty;
  int y = dsty;
  for (int r = 0; r < div_h - 1; ++r) {
    ypos += ystep;
    const int ynext = PIX_TruncToInt(ypos + 0.5);
    double xpos = dstx;
    int x = dstx;
    for (int c = 0; c < div_w - 1; ++c) {
      xpos += xstep;
      const int xnext = PIX_TruncToInt(xpos + 0.5);
      if (xnext > x && ynext > y) cell(r, c, x, y, xnext - x, ynext - y);
      x = xnext;
    }
    y = ynext;
  }
}

bool meshDrawable(PIX_IBitmap* dest, PIX_IBitmap* src, int dstw, int dsth, const void* points,
                  int div_w, int div_h) {
  return dest && src && points && dstw >= 1 && dsth >= 1 && div_w >= 2 && div_h >= 2;
}

}  // namespace

template <class T>
void PIX_TransformBlit_class<T>::blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty,
                                      int dstw, int dsth, const T* srcpoints, int div_w,
                                      int div_h, float alpha, int mode) {
  if (!meshDrawable(dest, src, dstw, dsth, srcpoints, div_w, div_h)) return;
  forEachCell(dstx, dsty, dstw, dsth, div_w, div_h, [&](int r, int c, int x, int y, int cw, int ch) {
    const T* p00 = srcpoints + 2 * ((size_t)r * div_w + c);
    const T* p10 = p00 + 2;
    const T* p01 = p00 + 2 * (size_t)div_w;
    const T* p11 = p01 + 2;
    const T dsdx = (p10[0] - p00[0]) / cw, dtdx = (p10[1] - p00[1]) / cw;
    PIX_DeltaBlit(dest, src, x, y, cw, ch, PIX_HoldFloat(p00[0]), PIX_HoldFloat(p00[1]),
                  PIX_HoldFloat(p10[0] - p00[0]), PIX_HoldFloat(p10[1] - p00[1]), dsdx, dtdx,
                  (p01[0] - p00[0]) / ch, (p01[1] - p00[1]) / ch,
                  ((p11[0] - p01[0]) / cw - dsdx) / ch, ((p11[1] - p01[1]) / cw - dtdx) / ch,
                  false, alpha, mode);
  });
}

template <class T>
void PIX_TransformBlitAlpha_class<T>::blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx,
                                           int dsty, int dstw, int dsth, const T* srcpoints,
                                           int div_w, int div_h, int mode) {
  if (!meshDrawable(dest, src, dstw, dsth, srcpoints, div_w, div_h)) return;
  forEachCell(dstx, dsty, dstw, dsth, div_w, div_h, [&](int r, int c, int x, int y, int cw, int ch) {
    const T* p00 = srcpoints + 3 * ((size_t)r * div_w + c);
    const T* p10 = p00 + 3;
    const T* p01 = p00 + 3 * (size_t)div_w;
    const T* p11 = p01 + 3;
    const T dsdx = (p10[0] - p00[0]) / cw, dtdx = (p10[1] - p00[1]) / cw;
    const T dadx = (p10[2] - p00[2]) / cw;
    PIX_DeltaBlitAlpha(dest, src, x, y, cw, ch, PIX_HoldFloat(p00[0]), PIX_HoldFloat(p00[1]),
                       PIX_HoldFloat(p10[0] - p00[0]), PIX_HoldFloat(p10[1] - p00[1]), dsdx, dtdx,
                       (p01[0] - p00[0]) / ch, (p01[1] - p00[1]) / ch,
                       ((p11[0] - p01[0]) / cw - dsdx) / ch, ((p11[1] - p01[1]) / cw - dtdx) / ch,
                       false, PIX_HoldFloat(p00[2]), mode, dadx, (p01[2] - p00[2]) / ch,
                       ((p11[2] - p01[2]) / cw - dadx) / ch);
  });
}

template struct PIX_TransformBlit_class<float>;
template struct PIX_TransformBlit_class<double>;
template struct PIX_TransformBlitAlpha_class<double>;

void PIX_TransformBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw,
                       int dsth, const float* srcpoints, int div_w, int div_h, float alpha,
                       int mode) {
  PIX_TransformBlit_class<float>::blit(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w, div_h,
                                       alpha, mode);
}

void PIX_TransformBlit2(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw,
                        int dsth, const double* srcpoints, int div_w, int div_h, float alpha,
                        int mode) {
  PIX_TransformBlit_class<double>::blit(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w,
                                        div_h, alpha, mode);
}

void PIX_TransformBlit2Alpha(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw,
                             int dsth, const double* srcpoints, int div_w, int div_h, int mode) {
  PIX_TransformBlitAlpha_class<double>::blit(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w,
                                             div_h, mode);
}
