#pragma once

// Row loops over the combine operators and the dispatchers that turn a mode
// word into one operator type per call. Spans are in bytes and may be
// negative (flipped bitmaps are walked from their last memory row).

#include <stddef.h>

#include "pix_ops.h"

// Carries an operator type into a generic lambda: f(PIX_Op<OP>()).
template <class OP>
struct PIX_Op {
  typedef OP type;
};

// The fourteen choices of the blits by mode & 0x100ff and weight. Returns
// false (and calls nothing) for weight 0, a copy below weight 1 and unknown
// operators.
template <class F>
bool PIX_DispatchBlitOp(int mode, int weight, F&& f) {
  if (weight == 0) return false;
  switch (mode & 0x100ff) {
    case 0:
      if (weight == 256) f(PIX_Op<_PIX_CombinePixelsClobberNoClamp>());
      else if (weight >= 1) f(PIX_Op<_PIX_CombinePixelsCopyNoClamp>());
      else return false;
      return true;
    case 1: f(PIX_Op<_PIX_CombinePixelsAdd>()); return true;
    case 2: f(PIX_Op<_PIX_CombinePixelsColorDodge>()); return true;
    case 3: f(PIX_Op<_PIX_CombinePixelsMulNoClamp>()); return true;
    case 4: f(PIX_Op<_PIX_CombinePixelsOverlay>()); return true;
    case 5: f(PIX_Op<_PIX_CombinePixelsHSVAdjust>()); return true;
    case 0x10000:
      if (weight == 256) f(PIX_Op<_PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>());
      else f(PIX_Op<_PIX_CombinePixelsCopySourceAlphaNoClamp>());
      return true;
    case 0x10001: f(PIX_Op<_PIX_CombinePixelsAddSourceAlpha>()); return true;
    case 0x10002: f(PIX_Op<_PIX_CombinePixelsColorDodgeSourceAlpha>()); return true;
    case 0x10003: f(PIX_Op<_PIX_CombinePixelsMulSourceAlphaNoClamp>()); return true;
    case 0x10004: f(PIX_Op<_PIX_CombinePixelsOverlaySourceAlpha>()); return true;
    case 0x10005: f(PIX_Op<_PIX_CombinePixelsHSVAdjustSourceAlpha>()); return true;
    default: return false;
  }
}

// The six plain operators by mode & 0xff (copy is the weighted copy); false
// for operators 6 and above.
template <class F>
bool PIX_DispatchOp(int op, F&& f) {
  switch (op) {
    case 0: f(PIX_Op<_PIX_CombinePixelsCopyNoClamp>()); return true;
    case 1: f(PIX_Op<_PIX_CombinePixelsAdd>()); return true;
    case 2: f(PIX_Op<_PIX_CombinePixelsColorDodge>()); return true;
    case 3: f(PIX_Op<_PIX_CombinePixelsMulNoClamp>()); return true;
    case 4: f(PIX_Op<_PIX_CombinePixelsOverlay>()); return true;
    case 5: f(PIX_Op<_PIX_CombinePixelsHSVAdjust>()); return true;
    default: return false;
  }
}

// Lines, circles and dashes: copy mode draws only at weights of 1 and more,
// with the per-byte half mix at 128 and a plain store at 256 when shortcuts
// are allowed (not for anti-aliasing, whose weights vary per pixel); the
// other operators take any weight.
template <class F>
bool PIX_DispatchShortcutOp(int op, int ia, bool shortcuts, F&& f) {
  if (op != 0) return PIX_DispatchOp(op, f);
  if (ia < 1) return false;
  if (shortcuts && ia == 128) f(PIX_Op<_PIX_CombinePixelsHalfMixNoClamp>());
  else if (shortcuts && ia == 256) f(PIX_Op<_PIX_CombinePixelsClobberNoClamp>());
  else f(PIX_Op<_PIX_CombinePixelsCopyNoClamp>());
  return true;
}

// The same with the clamping copy and multiply, for operands that may leave
// 0..255.
template <class F>
bool PIX_DispatchClampOp(int op, F&& f) {
  switch (op) {
    case 0: f(PIX_Op<_PIX_CombinePixelsCopyClamp>()); return true;
    case 3: f(PIX_Op<_PIX_CombinePixelsMulClamp>()); return true;
    default: return PIX_DispatchOp(op, f);
  }
}

// Visits w x h pixel pairs: rows advance by the spans, pixels by pixel_step
// bytes (4, or -4 to walk a row backwards).
template <class Fn>
inline void PIX_WalkPairs(unsigned char* dest, const unsigned char* src, int w, int h,
                          ptrdiff_t src_span, ptrdiff_t dest_span, int pixel_step, Fn fn) {
  for (int y = 0; y < h; ++y) {
    unsigned char* d = dest;
    const unsigned char* s = src;
    for (int x = 0; x < w; ++x) {
      fn(d, s);
      d += pixel_step;
      s += pixel_step;
    }
    dest += dest_span;
    src += src_span;
  }
}

// Visits the w x h pixels of one bitmap as words.
template <class Fn>
inline void PIX_WalkWords(unsigned char* dest, int w, int h, ptrdiff_t span, Fn fn) {
  for (int y = 0; y < h; ++y) {
    unsigned int* p = (unsigned int*)dest;
    for (int x = 0; x < w; ++x) fn(p + x);
    dest += span;
  }
}

// ---- Sampling a source at 16.16 positions
//
// Positions are relative to a source origin (src, rows span bytes apart);
// only pixels in [0, clipright) x [0, clipbottom) are read.

// The samplers sit in every walker's inner loop; out of line, their result
// would go through memory for each pixel.
#define PIX_ALWAYS_INLINE inline __attribute__((always_inline))

// Channels of one source sample.
struct PIX_Sample {
  int r, g, b, a;
};

inline void PIX_ReadSample(const unsigned char* p, PIX_Sample* o) {
  o->b = p[0];
  o->g = p[1];
  o->r = p[2];
  o->a = p[3];
}

// The pixel under (px, py); false outside the clip box.
PIX_ALWAYS_INLINE bool PIX_SampleNearest(const unsigned char* src, ptrdiff_t span, pix_i64 px, pix_i64 py,
                              int clipright, int clipbottom, PIX_Sample* o) {
  const pix_i64 x = px >> 16, y = py >> 16;
  if (x < 0 || y < 0 || x >= clipright || y >= clipbottom) return false;
  PIX_ReadSample(src + y * span + x * 4, o);
  return true;
}

// Bilinear blend of the pixel under (px, py) and its right, lower and
// lower-right neighbours by the 16-bit fractions. On the last column or row
// of the clip box only the other axis is blended, so nothing outside the box
// is read; false outside the box.
PIX_ALWAYS_INLINE bool PIX_SampleBilinear(const unsigned char* src, ptrdiff_t span, pix_i64 px, pix_i64 py,
                               int clipright, int clipbottom, PIX_Sample* o) {
  const pix_i64 x = px >> 16, y = py >> 16;
  if (x < 0 || y < 0 || x >= clipright || y >= clipbottom) return false;
  const int fx = (int)(px & 0xffff), fy = (int)(py & 0xffff);
  const unsigned char* p = src + y * span + x * 4;
  const unsigned char* q = p + span;
  const bool lastCol = x == clipright - 1, lastRow = y == clipbottom - 1;
  // Channel k (byte k: B, G, R, A) written straight into the sample.
  if (!lastCol && !lastRow) {
    const int f = (int)(((pix_i64)fx * fy) >> 16);
    const int w00 = 65536 - fy - fx + f, w10 = fx - f, w01 = fy - f;
    auto mix = [=](int k) { return (p[k] * w00 + p[4 + k] * w10 + q[k] * w01 + q[4 + k] * f) >> 16; };
    o->b = mix(0);
    o->g = mix(1);
    o->r = mix(2);
    o->a = mix(3);
  } else if (!lastRow) {
    auto mix = [=](int k) { return (q[k] * fy + p[k] * (65536 - fy)) >> 16; };
    o->b = mix(0);
    o->g = mix(1);
    o->r = mix(2);
    o->a = mix(3);
  } else if (!lastCol) {
    auto mix = [=](int k) { return (p[4 + k] * fx + p[k] * (65536 - fx)) >> 16; };
    o->b = mix(0);
    o->g = mix(1);
    o->r = mix(2);
    o->a = mix(3);
  } else {
    PIX_ReadSample(p, o);
  }
  return true;
}

// Visits the w x h destination pixels of a scaled blit with the 16.16
// source position of each: x starts at icurx on every row and advances by
// idx per pixel, y by idy per row.
template <class Fn>
inline void PIX_WalkScaled(unsigned char* dest, int w, int h, pix_i64 icurx, pix_i64 icury,
                           pix_i64 idx, pix_i64 idy, ptrdiff_t dest_span, Fn fn) {
  for (int j = 0; j < h; ++j, dest += dest_span, icury += idy) {
    unsigned char* d = dest;
    pix_i64 cx = icurx;
    for (int i = 0; i < w; ++i, d += 4, cx += idx) fn(d, cx, icury);
  }
}

// Source pixel by pixel into the destination.
template <class OP>
struct _PIX_Template_Blit2 {
  static void blit(unsigned char* dest, const unsigned char* src, int w, int h,
                   ptrdiff_t src_span, ptrdiff_t dest_span, int alpha, int pixel_step = 4) {
    PIX_WalkPairs(dest, src, w, h, src_span, dest_span, pixel_step,
                  [alpha](unsigned char* d, const unsigned char* s) {
                    OP::doPix(d, s[2], s[1], s[0], s[3], alpha);
                  });
  }

  // Scaled: nearest sampling, or bilinear when filtermode is
  // PIX_FILTER_BILINEAR. Positions outside the clip box leave their pixel.
  static void scaleBlit(unsigned char* dest, const unsigned char* src, int w, int h,
                        pix_i64 icurx, pix_i64 icury, pix_i64 idx, pix_i64 idy, int clipright,
                        int clipbottom, ptrdiff_t src_span, ptrdiff_t dest_span, int alpha,
                        int filtermode) {
    const bool bilinear = filtermode == PIX_FILTER_BILINEAR;
    PIX_WalkScaled(dest, w, h, icurx, icury, idx, idy, dest_span,
                   [=](unsigned char* d, pix_i64 px, pix_i64 py) {
                     PIX_Sample s;
                     const bool in =
                         bilinear ? PIX_SampleBilinear(src, src_span, px, py, clipright, clipbottom, &s)
                                  : PIX_SampleNearest(src, src_span, px, py, clipright, clipbottom, &s);
                     if (in) OP::doPix(d, s.r, s.g, s.b, s.a, alpha);
                   });
  }

  // Strong reductions: a filtsz x filtsz weighted average around the pixel
  // under each position (filter rows and columns from filt_start), leaving
  // out the taps outside the clip box.
  static void scaleBlitFilterDown(unsigned char* dest, const unsigned char* src, int w, int h,
                                  pix_i64 icurx, pix_i64 icury, pix_i64 idx, pix_i64 idy,
                                  int clipright, int clipbottom, ptrdiff_t src_span,
                                  ptrdiff_t dest_span, int alpha, const int* filter,
                                  int filt_start, int filtsz) {
    PIX_WalkScaled(dest, w, h, icurx, icury, idx, idy, dest_span,
                   [=](unsigned char* d, pix_i64 px, pix_i64 py) {
                     const pix_i64 x = px >> 16, y = py >> 16;
                     if (x < 0 || y < 0 || x >= clipright || y >= clipbottom) return;
                     pix_i64 sum[4] = {0, 0, 0, 0}, total = 0;
                     const pix_i64 y0 = y + filt_start;
                     const pix_i64 y1 = y0 + filtsz < clipbottom ? y0 + filtsz : clipbottom;
                     for (pix_i64 sy = y0; sy < y1; ++sy) {
                       if (sy < 0) continue;
                       const int* frow = filter + (sy - y0) * filtsz;
                       const unsigned char* row = src + sy * src_span;
                       for (int j = 0; j < filtsz; ++j) {
                         const pix_i64 sx = x + filt_start + j;
                         if (sx < 0 || sx >= clipright) continue;
                         const unsigned char* p = row + sx * 4;
                         for (int c = 0; c < 4; ++c) sum[c] += (pix_i64)p[c] * frow[j];
                         total += frow[j];
                       }
                     }
                     if (total > 0)
                       OP::doPix(d, (int)(sum[2] / total), (int)(sum[1] / total),
                                 (int)(sum[0] / total), (int)(sum[3] / total), alpha);
                   });
  }
};

// The combine step of the delta walkers: one operator's doPix, so a single
// walker serves every operator.
typedef void (*PIX_CombineFunc)(unsigned char* dest, int r, int g, int b, int a, int alpha);

// Walks w x h destination pixels with 16.16 source positions stepped by
// (dsdx, dtdx) per pixel and (dsdy, dtdy) per row, the per-pixel step
// itself changing by (dsdxdy, dtdxdy) per row. Weight supplies each pixel's
// weight (at(), pixel(), row()).
template <class Weight>
inline void PIX_WalkDelta(unsigned char* dest, const unsigned char* src, int w, int h, pix_i64 s,
                          pix_i64 t, pix_i64 dsdx, pix_i64 dtdx, pix_i64 dsdy, pix_i64 dtdy,
                          pix_i64 dsdxdy, pix_i64 dtdxdy, int clipright, int clipbottom,
                          ptrdiff_t src_span, ptrdiff_t dest_span, int filtermode, Weight weight,
                          PIX_CombineFunc combine) {
  const bool bilinear = filtermode == PIX_FILTER_BILINEAR;
  for (int j = 0; j < h; ++j, dest += dest_span) {
    unsigned int* d = (unsigned int*)dest;
    pix_i64 ps = s, pt = t;
    for (int i = 0; i < w; ++i, ps += dsdx, pt += dtdx, weight.pixel()) {
      PIX_Sample c;
      const bool in = bilinear ? PIX_SampleBilinear(src, src_span, ps, pt, clipright, clipbottom, &c)
                               : PIX_SampleNearest(src, src_span, ps, pt, clipright, clipbottom, &c);
      if (in) combine((unsigned char*)(d + i), c.r, c.g, c.b, c.a, weight.at());
    }
    s += dsdy;
    t += dtdy;
    dsdx += dsdxdy;
    dtdx += dtdxdy;
    weight.row();
  }
}

struct _PIX_Template_Blit3 {
  // One weight for every pixel.
  static void deltaBlit(unsigned char* dest, const unsigned char* src, int w, int h,
                        pix_i64 icurx, pix_i64 icury, pix_i64 idsdx, pix_i64 idtdx, pix_i64 idsdy,
                        pix_i64 idtdy, pix_i64 idsdxdy, pix_i64 idtdxdy, int clipright,
                        int clipbottom, ptrdiff_t src_span, ptrdiff_t dest_span, int alpha,
                        int filtermode, PIX_CombineFunc combine) {
    struct Fixed {
      int w;
      int at() const { return w; }
      void pixel() {}
      void row() {}
    };
    PIX_WalkDelta(dest, src, w, h, icurx, icury, idsdx, idtdx, idsdy, idtdy, idsdxdy, idtdxdy,
                  clipright, clipbottom, src_span, dest_span, filtermode, Fixed{alpha}, combine);
  }
};

struct _PIX_Template_Blit4 {
  // The weight in 16.16 of full strength (65536 = weight 256) starts at ia
  // and steps like the source position; each pixel gets ia >> 8, held
  // within the operators' range.
  static void deltaBlitAlpha(unsigned char* dest, const unsigned char* src, int w, int h,
                             pix_i64 icurx, pix_i64 icury, pix_i64 idsdx, pix_i64 idtdx,
                             pix_i64 idsdy, pix_i64 idtdy, pix_i64 idsdxdy, pix_i64 idtdxdy,
                             int clipright, int clipbottom, ptrdiff_t src_span,
                             ptrdiff_t dest_span, pix_i64 ia, pix_i64 idadx, pix_i64 idady,
                             pix_i64 idadxdy, int filtermode, PIX_CombineFunc combine) {
    struct Ramp {
      pix_i64 rowa, a, dadx, dady, dadxdy;
      int at() const {
        const pix_i64 v = a >> 8;
        return (int)(v > PIX_WEIGHT_LIMIT ? PIX_WEIGHT_LIMIT
                                          : v < -PIX_WEIGHT_LIMIT ? -PIX_WEIGHT_LIMIT : v);
      }
      void pixel() { a += dadx; }
      void row() {
        rowa += dady;
        dadx += dadxdy;
        a = rowa;
      }
    };
    PIX_WalkDelta(dest, src, w, h, icurx, icury, idsdx, idtdx, idsdy, idtdy, idsdxdy, idtdxdy,
                  clipright, clipbottom, src_span, dest_span, filtermode,
                  Ramp{ia, ia, idadx, idady, idadxdy}, combine);
  }
};

// One colour over a rectangle; the weight is also the source alpha value.
template <class OP>
struct _PIX_Template_Blit1 {
  static void solidBlit(unsigned char* dest, int w, int h, int r, int g, int b, int ia,
                        ptrdiff_t span) {
    PIX_WalkWords(dest, w, h, span, [=](unsigned int* p) {
      OP::doPix((unsigned char*)p, r, g, b, ia, ia);
    });
  }

  // 16.16 colour and weight stepping by x within a row and by y per row.
  static void gradBlit(unsigned char* dest, int w, int h, pix_i64 ir, pix_i64 ig, pix_i64 ib,
                       pix_i64 ia, pix_i64 drdx, pix_i64 dgdx, pix_i64 dbdx, pix_i64 dadx,
                       pix_i64 drdy, pix_i64 dgdy, pix_i64 dbdy, pix_i64 dady, ptrdiff_t span) {
    for (int y = 0; y < h; ++y) {
      pix_i64 r = ir, g = ig, b = ib, a = ia;
      unsigned int* p = (unsigned int*)dest;
      for (int x = 0; x < w; ++x) {
        const int av = channel(a);
        OP::doPix((unsigned char*)(p + x), channel(r), channel(g), channel(b), av, av);
        r += drdx;
        g += dgdx;
        b += dbdx;
        a += dadx;
      }
      ir += drdy;
      ig += dgdy;
      ib += dbdy;
      ia += dady;
      dest += span;
    }
  }

 private:
  // 16.16 to an integer toward zero, held within the operators' range.
  static int channel(pix_i64 v) {
    v /= 65536;
    return (int)(v > PIX_WEIGHT_LIMIT ? PIX_WEIGHT_LIMIT
                                      : v < -PIX_WEIGHT_LIMIT ? -PIX_WEIGHT_LIMIT : v);
  }
};

// Word-wide mixes over a rectangle.
template <class OP>
struct _PIX_Template_Blit0 {
  // One colour, its term computed once.
  static void solidBlitFAST(unsigned char* dest, int w, int h, unsigned int term, ptrdiff_t span) {
    PIX_WalkWords(dest, w, h, span, [term](unsigned int* p) { OP::doPix(p, term); });
  }

  // Scaled, nearest sampling (see PIX_WalkScaled); rows and columns outside
  // the clip box leave their pixels.
  static void scaleBlitFAST(unsigned char* dest, const unsigned char* src, int w, int h,
                            pix_i64 icurx, pix_i64 icury, pix_i64 idx, pix_i64 idy,
                            int clipright, int clipbottom, ptrdiff_t src_span,
                            ptrdiff_t dest_span) {
    for (int j = 0; j < h; ++j, dest += dest_span, icury += idy) {
      const pix_i64 y = icury >> 16;
      if (y < 0 || y >= clipbottom) continue;
      const unsigned int* row = (const unsigned int*)(src + y * src_span);
      unsigned int* d = (unsigned int*)dest;
      pix_i64 cx = icurx;
      for (int i = 0; i < w; ++i, cx += idx) {
        const pix_i64 x = cx >> 16;
        if (x >= 0 && x < clipright) OP::doPix(d + i, row[x]);
      }
    }
  }
};

// Weight-shortcut copy of one colour with the word mixes: 256 stores, 192,
// 128 and 64 mix three quarters, half and a quarter of the colour. Returns
// false for other weights.
template <class Fn>
bool PIX_DispatchFastCopy(int ia, Fn&& f) {
  switch (ia) {
    case 256: f(PIX_Op<_PIX_CombinePixelsClobberFAST>()); return true;
    case 192: f(PIX_Op<_PIX_CombinePixelsThreeQuarterMix2FAST>()); return true;
    case 128: f(PIX_Op<_PIX_CombinePixelsHalfMix2FAST>()); return true;
    case 64: f(PIX_Op<_PIX_CombinePixelsQuarterMix2FAST>()); return true;
    default: return false;
  }
}
