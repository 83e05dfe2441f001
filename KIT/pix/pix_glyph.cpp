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

// A glyph clipped to the bitmap as presented: destination start and size,
// source offsets in glyph pixels and rows, first stored row, weight.
struct GlyphPlace {
  PIX_Surface s;
  int x, y, w, h, ia, op;
  long long coloff, rowoff;
  const unsigned char* first;
};

bool placeGlyph(PIX_IBitmap* dest, int x, int y, const unsigned char* alphas, int glyph_w,
                int glyph_span, int glyph_h, float alpha, int mode, GlyphPlace* g) {
  if (!dest || !alphas) return false;
  long long X = x, Y = y, W = glyph_w, H = glyph_h;
  if (!(X > -W && Y > -H)) return false;
  g->coloff = g->rowoff = 0;
  if (X < 0) {
    W += X;
    g->coloff = -X;
    X = 0;
  }
  if (Y < 0) {
    H += Y;
    g->rowoff = -Y;
    Y = 0;
  }
  if (W < 0 || H < 0) return false;
  if (!PIX_GetSurface(dest, &g->s) || X >= g->s.width || Y >= g->s.height) return false;
  if (W > g->s.width - X) W = g->s.width - X;
  if (H > g->s.height - Y) H = g->s.height - Y;
  if (W == 0 || H == 0) return false;
  g->x = (int)X;
  g->y = (int)Y;
  g->w = (int)W;
  g->h = (int)H;
  g->ia = PIX_WeightF(alpha);
  g->op = mode & 0xff;
  if (g->ia == 0 || g->op >= 6) return false;
  // The lowest address holds the last row when the span is negative.
  g->first = glyph_span < 0 ? alphas + (ptrdiff_t)(glyph_h - 1) * -(ptrdiff_t)glyph_span : alphas;
  return true;
}

}  // namespace

void PIX_DrawGlyphEx(PIX_IBitmap* dest, int x, int y, PIX_ARGB32 color,
                     const unsigned char* alphas, int glyph_w, int glyph_span, int glyph_h,
                     float alpha, int mode) {
  GlyphPlace g;
  if (!placeGlyph(dest, x, y, alphas, glyph_w, glyph_span, glyph_h, alpha, mode, &g)) return;
  const unsigned char* src = g.first + g.rowoff * glyph_span + g.coloff;
  PIX_DispatchShortcutOp(g.op, g.ia, false, [&](auto o) {
    GlyphDrawImpl<typename decltype(o)::type>::DrawGlyph(src, g.s.bytesAt(g.x, g.y), g.w, g.h,
                                                         color, g.s.span, glyph_span, g.ia);
  });
}

void PIX_DrawGlyph(PIX_IBitmap* dest, int x, int y, PIX_ARGB32 color, const unsigned char* alphas,
                   int glyph_w, int glyph_h, float alpha, int mode) {
  PIX_DrawGlyphEx(dest, x, y, color, alphas, glyph_w, glyph_w, glyph_h, alpha, mode);
}

void PIX_DrawMonoGlyph(PIX_IBitmap* dest, int x, int y, PIX_ARGB32 color,
                       const unsigned char* alphas, int glyph_w, int glyph_span, int glyph_h,
                       float alpha, int mode) {
  GlyphPlace g;
  if (!placeGlyph(dest, x, y, alphas, glyph_w, glyph_span, glyph_h, alpha, mode, &g)) return;
  // Columns clipped off on the left are skipped bit by bit.
  const unsigned char* src = g.first + g.rowoff * glyph_span + (g.coloff >> 3);
  const int bit = (int)(g.coloff & 7);
  PIX_DispatchShortcutOp(g.op, g.ia, false, [&](auto o) {
    GlyphDrawImpl<typename decltype(o)::type>::DrawGlyphMono(
        src, g.s.bytesAt(g.x, g.y), g.w, g.h, color, g.s.span, glyph_span, g.ia, bit);
  });
}
