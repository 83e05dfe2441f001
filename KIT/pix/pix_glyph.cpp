// Coverage maps stamped in one colour.

#include "pix.h"
#include "pix_loops.h"

template <class OP>
struct GlyphDrawImpl {
  // 8-bit coverage: weight (c x ia) / 256, uncovered pixels untouched.
  static void DrawGlyph(const unsigned char* src, unsigned char* dest, int w, int h,
                        PIX_ARGB32 color, ptrdiff_t dest_span, ptrdiff_t src_span, int ia) {
    const int r = PIX_GETR(color), g = PIX_GETG(color), b = PIX_GETB(color),
              a = PIX_GETA(color);
    for (int y = 0; y < h; ++y, src += src_span, dest += dest_span) {
      unsigned int* d = (unsigned int*)dest;
      for (int x = 0; x < w; ++x)
        if (src[x]) OP::doPix((unsigned char*)(d + x), r, g, b, a, src[x] * ia / 256);
    }
  }

  // 1-bit coverage, most significant bit first, the first pixel at bit
  // `bit` of the first byte of each row.
  static void DrawGlyphMono(const unsigned char* src, unsigned char* dest, int w, int h,
                            PIX_ARGB32 color, ptrdiff_t dest_span, ptrdiff_t src_span, int ia,
                            int bit) {
    const int r = PIX_GETR(color), g = PIX_GETG(color), b = PIX_GETB(color),
              a = PIX_GETA(color);
    const int wt = 255 * ia / 256;
    for (int y = 0; y < h; ++y, src += src_span, dest += dest_span) {
      unsigned int* d = (unsigned int*)dest;
      for (int x = 0; x < w; ++x) {
        const int k = x + bit;
        if (src[k >> 3] & (0x80 >> (k & 7))) OP::doPix((unsigned char*)(d + x), r, g, b, a, wt);
      }
    }
  }
};

namespace {

// Clips a glyph to the bitmap as presented. Source row and column offsets
// come back in glyph pixels and rows.
bool clipGlyph(PIX_IBitmap* dest, int x, int y, int glyph_w, int glyph_h, PIX_Surface* s,
               int* cx, int* cy, int* w, int* h, long long* coloff, long long* rowoff) {
  if (!dest) return false;
  long long X = x, Y = y, W = glyph_w, H = glyph_h;
  if (!(X > -W && Y > -H)) return false;
  *coloff = *rowoff = 0;
  if (X < 0) {
    W += X;
    *coloff = -X;
    X = 0;
  }
  if (Y < 0) {
    H += Y;
    *rowoff = -Y;
    Y = 0;
  }
  if (W < 0 || H < 0) return false;
  if (!PIX_GetSurface(dest, s) || X >= s->width || Y >= s->height) return false;
  if (W > s->width - X) W = s->width - X;
  if (H > s->height - Y) H = s->height - Y;
  if (W == 0 || H == 0) return false;
  *cx = (int)X;
  *cy = (int)Y;
  *w = (int)W;
  *h = (int)H;
  return true;
}

// First stored row (the lowest address holds the last row when the span is
// negative).
const unsigned char* firstRow(const unsigned char* alphas, int glyph_span, int glyph_h) {
  return glyph_span < 0 ? alphas + (ptrdiff_t)(glyph_h - 1) * -(ptrdiff_t)glyph_span : alphas;
}

}  // namespace

void PIX_DrawGlyphEx(PIX_IBitmap* dest, int x, int y, PIX_ARGB32 color,
                     const unsigned char* alphas, int glyph_w, int glyph_span, int glyph_h,
                     float alpha, int mode) {
  PIX_Surface s;
  int cx, cy, w, h;
  long long coloff, rowoff;
  if (!alphas || !clipGlyph(dest, x, y, glyph_w, glyph_h, &s, &cx, &cy, &w, &h, &coloff, &rowoff))
    return;
  const int ia = PIX_WeightF(alpha);
  const int op = mode & 0xff;
  if (ia == 0 || op >= 6 || (op == 0 && ia < 1)) return;
  const unsigned char* src =
      firstRow(alphas, glyph_span, glyph_h) + rowoff * glyph_span + coloff;
  unsigned char* d = s.bytesAt(cx, cy);
  PIX_DispatchOp(op, [&](auto o) {
    GlyphDrawImpl<typename decltype(o)::type>::DrawGlyph(src, d, w, h, color, s.span, glyph_span,
                                                         ia);
  });
}

void PIX_DrawGlyph(PIX_IBitmap* dest, int x, int y, PIX_ARGB32 color, const unsigned char* alphas,
                   int glyph_w, int glyph_h, float alpha, int mode) {
  PIX_DrawGlyphEx(dest, x, y, color, alphas, glyph_w, glyph_w, glyph_h, alpha, mode);
}

void PIX_DrawMonoGlyph(PIX_IBitmap* dest, int x, int y, PIX_ARGB32 color,
                       const unsigned char* alphas, int glyph_w, int glyph_span, int glyph_h,
                       float alpha, int mode) {
  PIX_Surface s;
  int cx, cy, w, h;
  long long coloff, rowoff;
  if (!alphas || !clipGlyph(dest, x, y, glyph_w, glyph_h, &s, &cx, &cy, &w, &h, &coloff, &rowoff))
    return;
  const int ia = PIX_WeightF(alpha);
  const int op = mode & 0xff;
  if (ia == 0 || op >= 6 || (op == 0 && ia < 1)) return;
  // Columns clipped off on the left are skipped bit by bit.
  const unsigned char* src =
      firstRow(alphas, glyph_span, glyph_h) + rowoff * glyph_span + (coloff >> 3);
  const int bit = (int)(coloff & 7);
  unsigned char* d = s.bytesAt(cx, cy);
  PIX_DispatchOp(op, [&](auto o) {
    GlyphDrawImpl<typename decltype(o)::type>::DrawGlyphMono(src, d, w, h, color, s.span,
                                                             glyph_span, ia, bit);
  });
}
