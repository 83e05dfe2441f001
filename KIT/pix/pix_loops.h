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

// A word-wide mix over a rectangle with a colour term computed once.
template <class OP>
struct _PIX_Template_Blit0 {
  static void solidBlitFAST(unsigned char* dest, int w, int h, unsigned int term, ptrdiff_t span) {
    PIX_WalkWords(dest, w, h, span, [term](unsigned int* p) { OP::doPix(p, term); });
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
