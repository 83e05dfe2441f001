// Weight conversion, the colour-space tables and the out-of-line combine
// functions.

#include "pix_ops.h"

#include <float.h>
#include <math.h>
#include <limits.h>

#include "pix_loops.h"

namespace {

int holdWeight(double v) {
  if (!(v == v)) return 0;
  if (v > PIX_WEIGHT_LIMIT) return PIX_WEIGHT_LIMIT;
  if (v < -PIX_WEIGHT_LIMIT) return -PIX_WEIGHT_LIMIT;
  return (int)v;
}

int holdOperand(int v) {
  return v > PIX_WEIGHT_LIMIT ? PIX_WEIGHT_LIMIT : v < -PIX_WEIGHT_LIMIT ? -PIX_WEIGHT_LIMIT : v;
}

unsigned char clampByte(pix_i64 v) { return PIX_Clamp255(v); }

// The clamping twins of the copy and multiply operators, for operands that
// may lie outside 0..255.
template <class OP>
struct Clamped {
  typedef OP type;
};
template <>
struct Clamped<_PIX_CombinePixelsClobberNoClamp> {
  typedef _PIX_CombinePixelsClobberClamp type;
};
template <>
struct Clamped<_PIX_CombinePixelsCopyNoClamp> {
  typedef _PIX_CombinePixelsCopyClamp type;
};
template <>
struct Clamped<_PIX_CombinePixelsMulNoClamp> {
  typedef _PIX_CombinePixelsMulClamp type;
};
// The source-alpha copy and multiply: the same mixes, every byte held in
// 0..255 where the plain operators keep the low bits.

// B, G, R copied toward the source at weight w, alpha raised by `more`.
void sourceAlphaMixClamped(unsigned char* d, int r, int g, int b, pix_i64 w, pix_i64 more) {
  const unsigned char da = d[3];
  PIX_EachChannel(d, r, g, b, 0,
                  [w](int dc, int sc) { return clampByte(PIX_CopyChannel(dc, sc, w)); });
  d[3] = clampByte(da + more);
}
struct SourceAlphaFullClamp {
  static void doPix(unsigned char* d, int r, int g, int b, int a, int) {
    if (a == 0) return;
    if (a > 254) {
      d[0] = clampByte(b);
      d[1] = clampByte(g);
      d[2] = clampByte(r);
      d[3] = 255;
      return;
    }
    // s + (d - s) x (255 - a) / 256 is the copy at weight a + 1.
    sourceAlphaMixClamped(d, r, g, b, (pix_i64)a + 1, a);
  }
};
template <>
struct Clamped<_PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp> {
  typedef SourceAlphaFullClamp type;
};
struct SourceAlphaCopyClamp {
  static void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    const pix_i64 ws = PIX_SourceAlphaWeight(a, w);
    sourceAlphaMixClamped(d, r, g, b, ws, ws);
  }
};
template <>
struct Clamped<_PIX_CombinePixelsCopySourceAlphaNoClamp> {
  typedef SourceAlphaCopyClamp type;
};
struct SourceAlphaMulClamp {
  static void doPix(unsigned char* d, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    const pix_i64 ws = PIX_SourceAlphaWeight(a, w);
    PIX_EachChannel(d, r, g, b, a, [ws](int dc, int sc) { return PIX_MulChannelClamp(dc, sc, ws); });
  }
};
template <>
struct Clamped<_PIX_CombinePixelsMulSourceAlphaNoClamp> {
  typedef SourceAlphaMulClamp type;
};

}  // namespace

// Entry i is floor(65536 / i) - 1, entry 0 is 0.
const unsigned short __PIX_RGB2HSV_invtab[256] = {
#define PIX_INV1(i) (unsigned short)((65536 / ((i) ? (i) : 1) - 1) * ((i) != 0))
#define PIX_INV4(i) PIX_INV1(i), PIX_INV1((i) + 1), PIX_INV1((i) + 2), PIX_INV1((i) + 3)
#define PIX_INV16(i) PIX_INV4(i), PIX_INV4(i + 4), PIX_INV4(i + 8), PIX_INV4(i + 12)
    PIX_INV16(0),   PIX_INV16(16),  PIX_INV16(32),  PIX_INV16(48),  PIX_INV16(64),  PIX_INV16(80),
    PIX_INV16(96),  PIX_INV16(112), PIX_INV16(128), PIX_INV16(144), PIX_INV16(160), PIX_INV16(176),
    PIX_INV16(192), PIX_INV16(208), PIX_INV16(224), PIX_INV16(240)
#undef PIX_INV16
#undef PIX_INV4
#undef PIX_INV1
};

int PIX_WeightD(float alpha) { return holdWeight((double)alpha * 256.0); }

int PIX_WeightF(float alpha) { return holdWeight((double)(alpha * 256.0f)); }

int PIX_TruncToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return (int)v;
}

int PIX_SatInt(int64_t v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : (int)v; }

bool PIX_AllFinite(std::initializer_list<double> vs) {
  for (double v : vs)
    if (!isfinite(v)) return false;
  return true;
}

float PIX_HoldFloat(double v) {
  return (float)(v > FLT_MAX ? FLT_MAX : v < -FLT_MAX ? -FLT_MAX : v);
}

void PIX_HSVAdjustPixel(unsigned char* d, int r, int g, int b, int a, pix_i64 w) {
  const int R = d[2], G = d[1], B = d[0];
  const int mx = R > G ? (R > B ? R : B) : (G > B ? G : B);
  const int mn = R < G ? (R < B ? R : B) : (G < B ? G : B);
  const int k = mx - mn;
  int n, base;
  if (R < G) {
    if (G > B) {
      n = B - R;
      base = 128;
    } else {
      n = R - G;
      base = 256;
    }
  } else if (B >= R) {
    n = R - G;
    base = 256;
  } else {
    n = G - B;
    base = G >= B ? 0 : 383;
  }
  pix_i64 h = ((pix_i64)(__PIX_RGB2HSV_invtab[k] + 1) * n) / 1024 + base;
  pix_i64 s = ((pix_i64)__PIX_RGB2HSV_invtab[mx] * k) / 256;
  pix_i64 v = mx;

  // A shift of a whole turn or more (weights above full strength) still
  // lands on the circle.
  h += ((r + r / 2 - 192) * w) / 256;
  h %= 384;
  if (h < 0) h += 384;
  s = PIX_Clamp255(s + ((g - 128) * w) / 128);
  v = PIX_Clamp255(v + ((b - 128) * w) / 128);

  const int lo = (int)(((256 - s) * v) >> 8);
  auto mid = [s, v](pix_i64 f) { return (int)(((16384 - f * s) * v) >> 14); };
  int outR, outG, outB;
  switch (h / 64) {
    case 0: outR = (int)v; outG = mid(64 - h); outB = lo; break;
    case 1: outR = mid(h - 64); outG = (int)v; outB = lo; break;
    case 2: outR = lo; outG = (int)v; outB = mid(192 - h); break;
    case 3: outR = lo; outG = mid(h - 192); outB = (int)v; break;
    case 4: outR = mid(320 - h); outG = lo; outB = (int)v; break;
    default: outR = (int)v; outG = lo; outB = mid(h - 320); break;
  }
  // The source alpha held in the byte's range: a full weight of 256 given
  // as alpha (the rectangle fills do so) must stay opaque.
  const unsigned int word = ((unsigned int)PIX_Clamp255(a) << 24) | ((unsigned int)outR << 16) |
                            ((unsigned int)outG << 8) | (unsigned int)outB;
  d[0] = (unsigned char)word;
  d[1] = (unsigned char)(word >> 8);
  d[2] = (unsigned char)(word >> 16);
  d[3] = (unsigned char)(word >> 24);
}

unsigned int PIX_CombinePixels(unsigned int dest, unsigned int src, float alpha, int mode) {
  const int weight = PIX_WeightF(alpha);
  unsigned char px[4] = {(unsigned char)dest, (unsigned char)(dest >> 8),
                         (unsigned char)(dest >> 16), (unsigned char)(dest >> 24)};
  PIX_DispatchBlitOp(mode, weight, [&](auto op) {
    decltype(op)::type::doPix(px, PIX_GETR(src), PIX_GETG(src), PIX_GETB(src), PIX_GETA(src),
                              weight);
  });
  return (unsigned int)px[0] | ((unsigned int)px[1] << 8) | ((unsigned int)px[2] << 16) |
         ((unsigned int)px[3] << 24);
}

namespace {

// The integer combine functions: operands held in range, then the blit
// dispatch with the operator mapped by Map.
template <template <class> class Map>
void combineInPlace(unsigned int* dest, int r, int g, int b, int a, int alpha, int mode) {
  if (!dest) return;
  const int w = holdOperand(alpha);
  r = holdOperand(r);
  g = holdOperand(g);
  b = holdOperand(b);
  a = holdOperand(a);
  PIX_DispatchBlitOp(mode, w, [&](auto op) {
    Map<typename decltype(op)::type>::type::doPix((unsigned char*)dest, r, g, b, a, w);
  });
}

}  // namespace

void PIX_CombinePixels2(unsigned int* dest, int r, int g, int b, int a, int alpha, int mode) {
  combineInPlace<PIX_Op>(dest, r, g, b, a, alpha, mode);
}

void PIX_CombinePixels2Clamp(unsigned int* dest, int r, int g, int b, int a, int alpha,
                             int mode) {
  combineInPlace<Clamped>(dest, r, g, b, a, alpha, mode);
}
