// Delta, rotated and mesh blits: the source position is an affine (or
// bilinear) function of the destination position, walked in 16.16.

#include <math.h>
#include <stdlib.h>

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

// Leaves out n leading columns (or rows) of a walk: everything that grows
// across them moves with them: the start by n steps along (ds, dt, da), the
// steps across (*cs, *ct, *ca) by n times the second-order change, so the
// pixels that stay are the ones an uncut walk would draw.
void skipLeading(Steps* st, double n, double ds, double dt, double da, double* cs, double* ct,
                 double* ca) {
  st->srcx = PIX_HoldFloat(st->srcx + n * ds);
  st->srcy = PIX_HoldFloat(st->srcy + n * dt);
  st->a = PIX_HoldFloat(st->a + n * da);
  *cs += n * st->dsdxdy;
  *ct += n * st->dtdxdy;
  *ca += n * st->dadxdy;
}

// Cuts the destination rectangle (sizes already positive) to the
// destination, moving the start and the steps with it, and sets up the
// walk. False when nothing is to be drawn.
bool prepareWalk(PIX_IBitmap* dest, PIX_IBitmap* src, i64 dstx, i64 dsty, i64 dstw, i64 dsth,
                 Steps st, const Bounds& b, Walk* out) {
  if (dstx < 0) {
    skipLeading(&st, -(double)dstx, st.dsdx, st.dtdx, st.dadx, &st.dsdy, &st.dtdy, &st.dady);
    dstw += dstx;
    dstx = 0;
  }
  if (dsty < 0) {
    skipLeading(&st, -(double)dsty, st.dsdy, st.dtdy, st.dady, &st.dsdx, &st.dtdx, &st.dadx);
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

// A negative destination size starts on the other side: the destination
// rectangle moves by the size and the source start by its extent (negated
// too when negateExtent).
void startOtherSide(i64* pos, i64* size, float* start, float* extent, bool negateExtent) {
  if (*size >= 0) return;
  *pos += *size;
  *size = -*size;
  *start += *extent;
  if (negateExtent) *extent = -*extent;
}

// The front shared by the delta blits: checks, bounds, negative sizes and
// the walk's setup. False when nothing is drawn.
bool setupDelta(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                float srcw, float srch, Steps st, bool cliptosourcerect, Walk* k) {
  if (!dest || !src || dstw == 0 || dsth == 0) return false;
  if (!PIX_AllFinite({st.srcx, st.srcy, srcw, srch, st.dsdx, st.dtdx, st.dsdy, st.dtdy, st.dsdxdy,
                  st.dtdxdy, st.a, st.dadx, st.dady, st.dadxdy}))
    return false;
  const Bounds b = sourceBounds(src, st.srcx, st.srcy, srcw, srch, cliptosourcerect);
  i64 x = dstx, y = dsty, w = dstw, h = dsth;
  startOtherSide(&x, &w, &st.srcx, &srcw, false);
  startOtherSide(&y, &h, &st.srcy, &srch, false);
  return prepareWalk(dest, src, x, y, w, h, st, b, k);
}

}  // namespace

void PIX_DeltaBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                   float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx,
                   double dsdy, double dtdy, double dsdxdy, double dtdxdy, bool cliptosourcerect,
                   float alpha, int mode) {
  const int weight = PIX_WeightD(alpha);
  const PIX_CombineFunc f = blitCombine(mode, weight);
  Walk k;
  if (!f || !setupDelta(dest, src, dstx, dsty, dstw, dsth, srcw, srch,
                        makeSteps(srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy),
                        cliptosourcerect, &k))
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
  // The weight may leave 0..256: the clamping copy and multiply.
  PIX_CombineFunc f = 0;
  PIX_DispatchClampOp(mode & PIX_OP_MASK, [&f](auto o) { f = &decltype(o)::type::doPix; });
  Steps st = makeSteps(srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy);
  st.a = alpha;
  st.dadx = dadx;
  st.dady = dady;
  st.dadxdy = dadxdy;
  Walk k;
  if (!f || !setupDelta(dest, src, dstx, dsty, dstw, dsth, srcw, srch, st, cliptosourcerect, &k))
    return;
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
  if (!PIX_AllFinite({srcx, srcy, srcw, srch, angle, rotxcent, rotycent})) return;
  const int weight = PIX_WeightD(alpha);
  const PIX_CombineFunc f = blitCombine(mode, weight);
  if (!f) return;
  const int filtermode = mode & PIX_FILTER_MASK;
  const Bounds b = sourceBounds(src, srcx, srcy, srcw, srch, cliptosourcerect);
  i64 x = dstx, y = dsty, w = dstw, h = dsth;
  startOtherSide(&x, &w, &srcx, &srcw, true);
  startOtherSide(&y, &h, &srcy, &srch, true);
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

// One mesh cell as a delta blit: the corners' source positions (and
// weights, for the alpha form) stepped across cw x ch pixels, the per-pixel
// step changing row by row from the top edge's to the bottom edge's.
template <class T>
struct Cell {
  T s, t, sw, sh, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
  T a, dadx, dady, dadxdy;
  // k: the number of values per point; the weight is the third.
  Cell(const T* p00, const T* p10, const T* p01, const T* p11, int cw, int ch, int k) {
    s = p00[0];
    t = p00[1];
    sw = p10[0] - p00[0];
    sh = p10[1] - p00[1];
    dsdx = sw / cw;
    dtdx = sh / cw;
    dsdy = (p01[0] - p00[0]) / ch;
    dtdy = (p01[1] - p00[1]) / ch;
    dsdxdy = ((p11[0] - p01[0]) / cw - dsdx) / ch;
    dtdxdy = ((p11[1] - p01[1]) / cw - dtdx) / ch;
    a = dadx = dady = dadxdy = 0;
    if (k > 2) {
      a = p00[2];
      dadx = (p10[2] - p00[2]) / cw;
      dady = (p01[2] - p00[2]) / ch;
      dadxdy = ((p11[2] - p01[2]) / cw - dadx) / ch;
    }
  }
};

// Calls cell(c, x, y) for every non-empty cell of a mesh of div_w x div_h
// points (k values each) over the destination rectangle, whose edges are the
// rounded grid positions. Nothing for a missing bitmap or points, an empty
// rectangle or fewer than two points a side.
template <class T, class Fn>
void forEachCell(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                 const T* points, int div_w, int div_h, int k, Fn cell) {
  if (!dest || !src || !points || dstw < 1 || dsth < 1 || div_w < 2 || div_h < 2) return;
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
      if (xnext > x && ynext > y) {
        const T* p00 = points + k * ((size_t)r * div_w + c);
        const T* p01 = p00 + k * (size_t)div_w;
        cell(Cell<T>(p00, p00 + k, p01, p01 + k, xnext - x, ynext - y, k), x, y, xnext - x,
             ynext - y);
      }
      x = xnext;
    }
    y = ynext;
  }
}

}  // namespace

template <class T>
void PIX_TransformBlit_class<T>::blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty,
                                      int dstw, int dsth, const T* srcpoints, int div_w,
                                      int div_h, float alpha, int mode) {
  forEachCell(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w, div_h, 2,
              [&](const Cell<T>& c, int x, int y, int cw, int ch) {
                PIX_DeltaBlit(dest, src, x, y, cw, ch, PIX_HoldFloat(c.s), PIX_HoldFloat(c.t),
                              PIX_HoldFloat(c.sw), PIX_HoldFloat(c.sh), c.dsdx, c.dtdx, c.dsdy,
                              c.dtdy, c.dsdxdy, c.dtdxdy, false, alpha, mode);
              });
}

template <class T>
void PIX_TransformBlitAlpha_class<T>::blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx,
                                           int dsty, int dstw, int dsth, const T* srcpoints,
                                           int div_w, int div_h, int mode) {
  forEachCell(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w, div_h, 3,
              [&](const Cell<T>& c, int x, int y, int cw, int ch) {
                PIX_DeltaBlitAlpha(dest, src, x, y, cw, ch, PIX_HoldFloat(c.s),
                                   PIX_HoldFloat(c.t), PIX_HoldFloat(c.sw), PIX_HoldFloat(c.sh),
                                   c.dsdx, c.dtdx, c.dsdy, c.dtdy, c.dsdxdy, c.dtdxdy, false,
                                   PIX_HoldFloat(c.a), mode, c.dadx, c.dady, c.dadxdy);
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
