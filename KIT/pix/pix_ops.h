#pragma once

// Per-pixel combine operators. Each structure has one static doPix that
// merges source channels (r, g, b, a) with an integer weight into the four
// destination bytes B, G, R, A; the row loops are templates over them, so a
// drawing call picks its operator once. The word-wide mixes (names ending in
// FAST) work on whole pixels and drop the low bits of every byte.
//
// Channel values are 0..255 from colours and pixels; only the gradient fill
// and the integer combine functions hand in values outside, and they hold
// them within +-PIX_WEIGHT_LIMIT. Arithmetic runs in 64 bits so that weights
// above full strength extrapolate without overflow; within 32-bit range the
// results equal the 32-bit formulas bit for bit. Divisions written /256 and
// /128 truncate toward zero.

#include <stdint.h>

#include "pix_types.h"

typedef int64_t pix_i64;

extern const unsigned short __PIX_RGB2HSV_invtab[256];

inline unsigned char PIX_Clamp255(pix_i64 v) {
  return (unsigned char)(v < 0 ? 0 : v > 255 ? 255 : v);
}

// s + (d - s) x (256 - w) / 256
inline pix_i64 PIX_CopyChannel(pix_i64 d, pix_i64 s, pix_i64 w) {
  return s + (d - s) * (256 - w) / 256;
}
inline pix_i64 PIX_AddChannel(pix_i64 d, pix_i64 s, pix_i64 w) { return d + s * w / 256; }
inline pix_i64 PIX_DodgeChannel(pix_i64 d, pix_i64 s, pix_i64 w) {
  const pix_i64 q = 256 - s * w / 256;
  return q >= 2 ? d * 256 / q : d * 256;
}
inline pix_i64 PIX_MulProduct(pix_i64 d, pix_i64 s, pix_i64 w) {
  return d * (s * w + (256 - w) * 256);
}
// The unsigned 32-bit product shifted right 16, low 8 bits.
inline unsigned char PIX_MulChannelNoClamp(pix_i64 d, pix_i64 s, pix_i64 w) {
  return (unsigned char)((uint32_t)PIX_MulProduct(d, s, w) >> 16);
}
inline unsigned char PIX_MulChannelClamp(pix_i64 d, pix_i64 s, pix_i64 w) {
  return PIX_Clamp255(PIX_MulProduct(d, s, w) >> 16);
}
inline unsigned char PIX_OverlayChannel(pix_i64 d, pix_i64 s, pix_i64 w) {
  const pix_i64 t = s * w + (256 - w) * 128;
  return PIX_Clamp255((((32768 - t) * d / 256 + t) * d) >> 15);
}
// Weight of the source-alpha operators: (a + 1) x w / 256.
inline pix_i64 PIX_SourceAlphaWeight(pix_i64 a, pix_i64 w) { return (a + 1) * w / 256; }

// Applies f(destination channel, source channel) to B, G, R and A.
template <class F>
inline void PIX_EachChannel(unsigned char* d, int r, int g, int b, int a, F f) {
  d[0] = (unsigned char)f(d[0], b);
  d[1] = (unsigned char)f(d[1], g);
  d[2] = (unsigned char)f(d[2], r);
  d[3] = (unsigned char)f(d[3], a);
}

// Hue/saturation/value adjustment of one destination pixel; r, g, b = 128
// leave hue, saturation and value as they are.
void PIX_HSVAdjustPixel(unsigned char* dest, int r, int g, int b, int a, pix_i64 w);

struct _PIX_CombinePixelsClobberNoClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int) {
    d[0] = (unsigned char)b;
    d[1] = (unsigned char)g;
    d[2] = (unsigned char)r;
    d[3] = (unsigned char)a;
  }
};

struct _PIX_CombinePixelsClobberClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int) {
    d[0] = PIX_Clamp255(b);
    d[1] = PIX_Clamp255(g);
    d[2] = PIX_Clamp255(r);
    d[3] = PIX_Clamp255(a);
  }
};

struct _PIX_CombinePixelsCopyNoClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    PIX_EachChannel(d, r, g, b, a, [w](int dc, int sc) { return PIX_CopyChannel(dc, sc, w); });
  }
};

struct _PIX_CombinePixelsCopyClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    PIX_EachChannel(d, r, g, b, a,
                    [w](int dc, int sc) { return PIX_Clamp255(PIX_CopyChannel(dc, sc, w)); });
  }
};

// Per byte (d >> 1) + (s >> 1), the same as the word-wide half mix; the
// weight plays no part.
struct _PIX_CombinePixelsHalfMixNoClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int) {
    d[0] = (unsigned char)((d[0] >> 1) + ((b & 255) >> 1));
    d[1] = (unsigned char)((d[1] >> 1) + ((g & 255) >> 1));
    d[2] = (unsigned char)((d[2] >> 1) + ((r & 255) >> 1));
    d[3] = (unsigned char)((d[3] >> 1) + ((a & 255) >> 1));
  }
};

struct _PIX_CombinePixelsAdd {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    PIX_EachChannel(d, r, g, b, a,
                    [w](int dc, int sc) { return PIX_Clamp255(PIX_AddChannel(dc, sc, w)); });
  }
};

struct _PIX_CombinePixelsColorDodge {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    PIX_EachChannel(d, r, g, b, a,
                    [w](int dc, int sc) { return PIX_Clamp255(PIX_DodgeChannel(dc, sc, w)); });
  }
};

struct _PIX_CombinePixelsMulNoClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    PIX_EachChannel(d, r, g, b, a, [w](int dc, int sc) { return PIX_MulChannelNoClamp(dc, sc, w); });
  }
};

struct _PIX_CombinePixelsMulClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    PIX_EachChannel(d, r, g, b, a, [w](int dc, int sc) { return PIX_MulChannelClamp(dc, sc, w); });
  }
};

struct _PIX_CombinePixelsOverlay {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    PIX_EachChannel(d, r, g, b, a, [w](int dc, int sc) { return PIX_OverlayChannel(dc, sc, w); });
  }
};

struct _PIX_CombinePixelsHSVAdjust {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    PIX_HSVAdjustPixel(d, r, g, b, a, w);
  }
};

// Source-alpha operators: the source's own alpha scales the weight.

struct _PIX_CombinePixelsCopySourceAlphaNoClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    const pix_i64 ws = PIX_SourceAlphaWeight(a, w);
    d[0] = (unsigned char)PIX_CopyChannel(d[0], b, ws);
    d[1] = (unsigned char)PIX_CopyChannel(d[1], g, ws);
    d[2] = (unsigned char)PIX_CopyChannel(d[2], r, ws);
    const pix_i64 da = d[3] + ws;
    d[3] = (unsigned char)(da > 255 ? 255 : da);
  }
};

// Full weight: the weight argument is not read, the source alpha alone mixes.
struct _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int) {
    if (a == 0) return;
    if (a > 254) {
      d[0] = (unsigned char)b;
      d[1] = (unsigned char)g;
      d[2] = (unsigned char)r;
      d[3] = 255;
      return;
    }
    const pix_i64 inv = 255 - (pix_i64)a;
    d[0] = (unsigned char)(b + (d[0] - (pix_i64)b) * inv / 256);
    d[1] = (unsigned char)(g + (d[1] - (pix_i64)g) * inv / 256);
    d[2] = (unsigned char)(r + (d[2] - (pix_i64)r) * inv / 256);
    const pix_i64 da = d[3] + (pix_i64)a;
    d[3] = (unsigned char)(da > 255 ? 255 : da);
  }
};

struct _PIX_CombinePixelsAddSourceAlpha {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    const pix_i64 ws = PIX_SourceAlphaWeight(a, w);
    PIX_EachChannel(d, r, g, b, a,
                    [ws](int dc, int sc) { return PIX_Clamp255(PIX_AddChannel(dc, sc, ws)); });
  }
};

struct _PIX_CombinePixelsColorDodgeSourceAlpha {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    const pix_i64 ws = PIX_SourceAlphaWeight(a, w);
    PIX_EachChannel(d, r, g, b, a,
                    [ws](int dc, int sc) { return PIX_Clamp255(PIX_DodgeChannel(dc, sc, ws)); });
  }
};

struct _PIX_CombinePixelsMulSourceAlphaNoClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    const pix_i64 ws = PIX_SourceAlphaWeight(a, w);
    PIX_EachChannel(d, r, g, b, a, [ws](int dc, int sc) { return PIX_MulChannelNoClamp(dc, sc, ws); });
  }
};

struct _PIX_CombinePixelsOverlaySourceAlpha {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    const pix_i64 ws = PIX_SourceAlphaWeight(a, w);
    PIX_EachChannel(d, r, g, b, a, [ws](int dc, int sc) { return PIX_OverlayChannel(dc, sc, ws); });
  }
};

struct _PIX_CombinePixelsHSVAdjustSourceAlpha {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    PIX_HSVAdjustPixel(d, r, g, b, a, PIX_SourceAlphaWeight(a, w));
  }
};

// Word-wide mixes. The "Mix2" forms take a colour term computed once per
// call: (c >> 1) & 0x7f7f7f7f for the half mix, (c >> 2) & 0x3f3f3f3f for the
// quarter mix, the sum of both for the three-quarter mix.

#define PIX_HALF(x) (((x) >> 1) & 0x7f7f7f7fu)
#define PIX_QUARTER(x) (((x) >> 2) & 0x3f3f3f3fu)
#define PIX_EIGHTH(x) (((x) >> 3) & 0x1f1f1f1fu)

struct _PIX_CombinePixelsClobberFAST {
  static inline void doPix(unsigned int* p, unsigned int c) { *p = c; }
  static inline unsigned int term(unsigned int c) { return c; }
};

struct _PIX_CombinePixelsHalfMixFAST {
  static inline void doPix(unsigned int* p, unsigned int c) { *p = PIX_HALF(c) + PIX_HALF(*p); }
};

struct _PIX_CombinePixelsHalfMix2FAST {
  static inline void doPix(unsigned int* p, unsigned int t) { *p = PIX_HALF(*p) + t; }
  static inline unsigned int term(unsigned int c) { return PIX_HALF(c); }
};

// Quarter strength: 3/4 destination + 1/4 colour.
struct _PIX_CombinePixelsQuarterMix2FAST {
  static inline void doPix(unsigned int* p, unsigned int t) {
    *p = PIX_QUARTER(*p) + PIX_HALF(*p) + t;
  }
  static inline unsigned int term(unsigned int c) { return PIX_QUARTER(c); }
};

// Three-quarter strength: 1/4 destination + 3/4 colour.
struct _PIX_CombinePixelsThreeQuarterMix2FAST {
  static inline void doPix(unsigned int* p, unsigned int t) { *p = PIX_QUARTER(*p) + t; }
  static inline unsigned int term(unsigned int c) { return PIX_HALF(c) + PIX_QUARTER(c); }
};

// Out-of-line combine functions.
unsigned int PIX_CombinePixels(unsigned int dest, unsigned int src, float alpha, int mode);
void PIX_CombinePixels2(unsigned int* dest, int r, int g, int b, int a, int alpha, int mode);
void PIX_CombinePixels2Clamp(unsigned int* dest, int r, int g, int b, int a, int alpha, int mode);
