// Cached fonts: glyphs rendered once through the windowing layer, kept as
// coverage maps and stamped with the combine operators; text layout.

#include "pix_font.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include <utility>

#include "pix.h"
#include "pix_loops.h"

namespace {

PIX_SysTextHooks g_text;
bool g_textHooked = false;

// Shared by every font: the glyph scratch and the native-text scratch.
PIX_SysBitmap* s_tempbitmap = nullptr;
PIX_SysBitmap* s_nativerender_tempbitmap = nullptr;
int s_tempbitmap_refcnt = 0;

// White text on black, no background behind the text.
void prepareScratch(HDC ctx) {
  if (!ctx || !g_textHooked) return;
  g_text.setTextColor(ctx, 0xFFFFFF);
  g_text.setBkMode(ctx, SHIM_BKMODE_TRANSPARENT);
  g_text.setBkColor(ctx, 0);
}

// The glyph scratch at least s x s pixels.
PIX_SysBitmap* glyphScratch(int s) {
  if (!s_tempbitmap) s_tempbitmap = new PIX_SysBitmap(0, 0);
  if (s_tempbitmap->getWidth() < s || s_tempbitmap->getHeight() < s) {
    s_tempbitmap->resize(s, s);
    prepareScratch(s_tempbitmap->getDC());
  }
  return s_tempbitmap;
}

int bySortedCharid(const void* a, const void* b) {
  return ((const PIX_CachedFont::GlyphRec*)a)->charid -
         ((const PIX_CachedFont::GlyphRec*)b)->charid;
}

bool isCont(unsigned char b) { return b >= 0x80 && b <= 0xBF; }

int weightOf(float alpha) { return PIX_WeightF(alpha); }

}  // namespace

void PIX_SetSysTextHooks(const PIX_SysTextHooks* hooks) {
  g_textHooked = hooks && hooks->selectObject && hooks->getTextMetrics && hooks->drawText &&
                 hooks->setTextColor && hooks->setBkColor && hooks->setBkMode &&
                 hooks->deleteObject;
  if (g_textHooked) g_text = *hooks;
}

// Coverage stampers, one set per combine operator. The colour handed to the
// operator always carries alpha 255.
template <class OP>
struct GlyphRenderer {
  static void Normal(const unsigned char* src, unsigned int* dest, int src_span,
                     ptrdiff_t dest_span, int w, int h, int r, int g, int b, int ia) {
    for (int y = 0; y < h; ++y, src += src_span, dest += dest_span)
      for (int x = 0; x < w; ++x) {
        const int c = src[x];
        if (!c) continue;
        int wt;
        if (ia == 256) {
          wt = c + 1;
        } else {
          wt = (int)((long long)c * ia / 256);
          if (wt > 256) wt = 256;
        }
        OP::doPix((unsigned char*)(dest + x), r, g, b, 255, wt);
      }
  }

  static void Mono(const unsigned char* src, unsigned int* dest, int src_span, ptrdiff_t dest_span,
                   int w, int h, int r, int g, int b, int ia) {
    for (int y = 0; y < h; ++y, src += src_span, dest += dest_span)
      for (int x = 0; x < w; ++x)
        if (src[x]) OP::doPix((unsigned char*)(dest + x), r, g, b, 255, ia);
  }

  static void Effect(const unsigned char* src, unsigned int* dest, int src_span,
                     ptrdiff_t dest_span, int w, int h, int r, int g, int b, int ia, int er, int eg,
                     int eb) {
    for (int y = 0; y < h; ++y, src += src_span, dest += dest_span)
      for (int x = 0; x < w; ++x) {
        const int c = src[x];
        if (c == 255)
          OP::doPix((unsigned char*)(dest + x), r, g, b, 255, ia);
        else if (c)
          OP::doPix((unsigned char*)(dest + x), er, eg, eb, 255, ia);
      }
  }
};

PIX_CachedFont::PIX_CachedFont()
    : m_fg(0),
      m_bg(0xFFFFFFFF),
      m_effectcol(0xFFFFFFFF),
      m_bgmode(0),
      m_comb(0),
      m_alpha(1.0f),
      m_flags(0),
      m_lineheight(0),
      m_linespacing_adj(0),
      m_extracharlist(4096),
      m_glyphcache(65536),
      m_font(nullptr) {
  memset(m_lowchars, 0, sizeof m_lowchars);
  ++s_tempbitmap_refcnt;
}

PIX_CachedFont::~PIX_CachedFont() {
  if ((m_flags & PIX_FONT_OWNS_HFONT) && m_font && g_textHooked) g_text.deleteObject(m_font);
  if (--s_tempbitmap_refcnt == 0) {
    delete s_tempbitmap;
    delete s_nativerender_tempbitmap;
    s_tempbitmap = nullptr;
    s_nativerender_tempbitmap = nullptr;
  }
}

void PIX_CachedFont::SetFromHFont(HFONT font, int flags) {
  if ((m_flags & PIX_FONT_OWNS_HFONT) && m_font && m_font != font && g_textHooked)
    g_text.deleteObject(m_font);
  m_flags = flags;
  m_font = font;
  if (font) {
    PIX_SysBitmap* scratch = glyphScratch(256);
    HDC ctx = scratch->getDC();
    if (ctx && g_textHooked) {
      HGDIOBJ old = g_text.selectObject(ctx, font);
      TEXTMETRIC tm;
      const BOOL ok = g_text.getTextMetrics(ctx, &tm);
      if (old) g_text.selectObject(ctx, old);
      if (ok) m_lineheight = tm.tmHeight;
    }
  }
  memset(m_lowchars, 0, sizeof m_lowchars);
  m_extracharlist.Resize(0, false);
  m_glyphcache.Resize(0, true);
  if (flags & PIX_FONT_PRERENDER)
    for (int c = 0; c < 128; ++c) RenderGlyph((unsigned short)c);
}

PIX_ARGB32 PIX_CachedFont::SetTextColor(PIX_ARGB32 color) { return std::exchange(m_fg, color); }

PIX_ARGB32 PIX_CachedFont::SetBkColor(PIX_ARGB32 color) { return std::exchange(m_bg, color); }

PIX_ARGB32 PIX_CachedFont::SetEffectColor(PIX_ARGB32 color) { return std::exchange(m_effectcol, color); }

int PIX_CachedFont::SetBkMode(int mode) { return std::exchange(m_bgmode, mode); }

void PIX_CachedFont::SetCombineMode(int mode, float alpha) {
  m_comb = mode;
  m_alpha = alpha;
}

PIX_CachedFont::GlyphRec* PIX_CachedFont::findChar(unsigned short c) {
  if (c < 128) return &m_lowchars[c];
  const int n = m_extracharlist.GetSize();
  if (n < 1) return nullptr;
  GlyphRec key;
  memset(&key, 0, sizeof key);
  key.charid = c;
  return (GlyphRec*)bsearch(&key, m_extracharlist.Get(), (size_t)n, sizeof(GlyphRec),
                            bySortedCharid);
}

bool PIX_CachedFont::RenderGlyph(unsigned short c) {
  if (m_lineheight > 1023) return false;
  GlyphRec* rec;
  bool appended = false;
  if (c < 128) {
    rec = &m_lowchars[c];
  } else {
    rec = findChar(c);
    if (!rec) {
      if (m_flags & PIX_FONT_PRERENDER) return false;
      const int n = m_extracharlist.GetSize();
      GlyphRec* list = m_extracharlist.Resize(n + 1, false);
      if (!list || m_extracharlist.GetSize() != n + 1) return false;
      rec = list + n;
      memset(rec, 0, sizeof *rec);
      rec->charid = c;
      appended = true;
    }
  }

  const int s = m_lineheight < 1 ? 10 : 2 * m_lineheight + 8;
  PIX_SysBitmap* scratch = glyphScratch(s);
  HDC ctx = scratch->getDC();
  const int pad = m_lineheight < 16 ? 0 : m_lineheight / 16;
  const int margin = pad + 2;
  int w0 = 0;
  RECT rect = {0, 0, 0, 0};
  if (ctx && g_textHooked) {
    HGDIOBJ old = m_font ? g_text.selectObject(ctx, m_font) : nullptr;
    char text[4];
    if (c < 0x80) {
      text[0] = (char)c;
      text[1] = 0;
    } else if (c < 0x800) {
      text[0] = (char)(0xC0 | (c >> 6));
      text[1] = (char)(0x80 | (c & 0x3F));
      text[2] = 0;
    } else {
      text[0] = (char)(0xE0 | (c >> 12));
      text[1] = (char)(0x80 | ((c >> 6) & 0x3F));
      text[2] = (char)(0x80 | (c & 0x3F));
      text[3] = 0;
    }
    g_text.drawText(ctx, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    w0 = rect.right;
    rect.right += 2 * margin;
    PIX_FillRect(scratch, 0, 0, rect.right, rect.bottom, 0, 1.0f, 0);
    rect.left += margin;
    g_text.drawText(ctx, text, -1, &rect, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
    const int sw = scratch->getWidth(), sh = scratch->getHeight();
    if (w0 > sw) w0 = sw;
    if (rect.right > sw) rect.right = sw;
    if (rect.bottom > sh) rect.bottom = sh;
    if (old) g_text.selectObject(ctx, old);
  }

  const int W = rect.right, H = rect.bottom;
  if (w0 < 1 || H < 1 || W <= margin) {
    rec->base_offset = -1;
    rec->width = rec->height = rec->advance = rec->left_extra = 0;
  } else {
    rec->advance = w0;
    if (m_flags & PIX_FONT_BLUR) PIX_Blur(scratch, scratch, 0, 0, 0, 0, W, H);
    const int base = m_glyphcache.GetSize();
    const long long need = (long long)base + (long long)W * H;
    if (need > INT_MAX || !m_glyphcache.Resize((int)need, false) ||
        m_glyphcache.GetSize() != need) {
      rec->base_offset = -1;
      rec->width = rec->height = rec->advance = 0;
    } else {
      rec->base_offset = base + 1;
      unsigned char* map = m_glyphcache.Get() + base;
      unsigned int* bits = scratch->getBits();
      const ptrdiff_t span = scratch->getRowSpan();
      const bool flipped = scratch->isFlipped();
      // The inked columns: L from the left margin leftward, R from the
      // advance's end rightward, both kept inside the copied width.
      int L = margin, R = w0 + margin < W ? w0 + margin : W;
      for (int y = 0; y < H; ++y) {
        const unsigned int* row = bits + (flipped ? (scratch->getHeight() - 1 - y) : y) * span;
        unsigned char* out = map + (ptrdiff_t)y * W;
        for (int x = 0; x < W; ++x) {
          const unsigned char v = (unsigned char)(row[x] >> 16);
          out[x] = (m_flags & PIX_FONT_INVERT) ? (unsigned char)(255 - v) : v;
          if (v) {
            if (x < L) L = x;
            if (x >= R) R = x + 1;
          }
        }
      }
      int width = W;
      if (L > 0 || R < W) {
        width = R - L;
        for (int y = 0; y < H; ++y) memmove(map + (ptrdiff_t)y * width, map + (ptrdiff_t)y * W + L, (size_t)width);
        m_glyphcache.Resize(base + width * H, false);
        map = m_glyphcache.Get() + base;
      }
      int height = H;
      if (m_flags & PIX_FONT_VERTICAL) {
        // Through the scratch bitmap's memory, which holds at least s x s
        // pixels of 4 bytes.
        unsigned char* tmp = (unsigned char*)bits;
        memcpy(tmp, map, (size_t)width * height);
        const int ow = width, oh = height;
        width = oh;
        height = ow;
        for (int j = 0; j < height; ++j)
          for (int i = 0; i < width; ++i)
            map[(ptrdiff_t)j * width + i] = (m_flags & PIX_FONT_VERTICAL_UP)
                                                ? tmp[(ptrdiff_t)i * ow + (ow - 1 - j)]
                                                : tmp[(ptrdiff_t)(oh - 1 - i) * ow + j];
      }
      const int n = width * height;
      if (m_flags & (PIX_FONT_MONO | PIX_FONT_SHADOW | PIX_FONT_OUTLINE))
        for (int k = 0; k < n; ++k) map[k] = map[k] < 131 ? 0 : 255;
      if (m_flags & (PIX_FONT_SHADOW | PIX_FONT_OUTLINE)) {
        const bool shadow = (m_flags & PIX_FONT_SHADOW) != 0;
        for (int y = 0; y < height; ++y)
          for (int x = 0; x < width; ++x) {
            unsigned char* p = map + (ptrdiff_t)y * width + x;
            if (*p) continue;
            bool mark;
            if (shadow)
              mark = (x > 0 && p[-1] == 255) || (y > 0 && x > 0 && p[-width - 1] == 255) ||
                     (y > 0 && p[-width] == 255);
            else
              mark = (x > 0 && p[-1] == 255) || (x + 1 < width && p[1] == 255) ||
                     (y > 0 && p[-width] == 255) || (y + 1 < height && p[width] == 255);
            if (mark) *p = 128;
          }
      }
      rec->width = width;
      rec->height = height;
      rec->left_extra = margin - L;
    }
  }
  if (appended && m_extracharlist.GetSize() >= 2)
    qsort(m_extracharlist.Get(), (size_t)m_extracharlist.GetSize(), sizeof(GlyphRec),
          bySortedCharid);
  return true;
}

bool PIX_CachedFont::DrawGlyph(PIX_IBitmap* bmp, unsigned short c, int xpos, int ypos,
                               RECT* clip) {
  GlyphRec* rec = findChar(c);
  if (!rec || rec->base_offset < 1 || !bmp) return false;
  const long long gw = rec->width, gh = rec->height;
  if (gw < 1 || gh < 1 || rec->base_offset - 1 + gw * gh > m_glyphcache.GetSize()) return false;
  PIX_Surface s;
  if (!PIX_GetSurface(bmp, &s)) return false;
  // The clip never reaches past the bitmap.
  long long cl = 0, ct = 0, cr = s.width, cb = s.height;
  if (clip) {
    if (clip->left > cl) cl = clip->left;
    if (clip->top > ct) ct = clip->top;
    if (clip->right < cr) cr = clip->right;
    if (clip->bottom < cb) cb = clip->bottom;
  }
  long long x = xpos, y = ypos;
  if (!(m_flags & PIX_FONT_VERTICAL))
    x -= rec->left_extra;
  else if (m_flags & PIX_FONT_VERTICAL_UP)
    y -= rec->left_extra;
  else
    y += rec->left_extra;
  if (x >= cr || y >= cb || x + gw <= cl || y + gh <= ct) return false;
  const unsigned char* src = m_glyphcache.Get() + rec->base_offset - 1;
  long long w = gw, h = gh;
  if (x < cl) {
    src += cl - x;
    w -= cl - x;
    x = cl;
  }
  if (y < ct) {
    src += (ct - y) * gw;
    h -= ct - y;
    y = ct;
  }
  if (w > cr - x) w = cr - x;
  if (h > cb - y) h = cb - y;
  if (w < 1 || h < 1) return false;
  unsigned int* dest = s.at((int)x, (int)y);
  const ptrdiff_t dspan = s.span / 4;
  if (m_bgmode == 1) PIX_FillRect(bmp, (int)x, (int)y, (int)w, (int)h, m_bg, m_alpha, m_comb & ~0x10000);
  const int r = PIX_GETR(m_fg), g = PIX_GETG(m_fg), b = PIX_GETB(m_fg);
  const int op = m_comb & 0xff;
  const int iw = (int)w, ih = (int)h, sspan = (int)gw;
  if (m_flags & PIX_FONT_MONO) {
    if (m_alpha == 1.0f && op == 0) {
      for (int yy = 0; yy < ih; ++yy, src += sspan, dest += dspan)
        for (int xx = 0; xx < iw; ++xx)
          if (src[xx]) dest[xx] = m_fg;
      return true;
    }
    int ia = weightOf(m_alpha);
    if (ia > 256) ia = 256;
    if (ia == 0 || op > 5 || (op == 0 && ia < 1)) return true;
    PIX_DispatchOp(op, [&](auto o) {
      GlyphRenderer<typename decltype(o)::type>::Mono(src, dest, sspan, dspan, iw, ih, r, g, b, ia);
    });
  } else if (m_flags & (PIX_FONT_SHADOW | PIX_FONT_OUTLINE)) {
    if (m_alpha == 1.0f && op == 0) {
      for (int yy = 0; yy < ih; ++yy, src += sspan, dest += dspan)
        for (int xx = 0; xx < iw; ++xx) {
          if (src[xx] == 255)
            dest[xx] = m_fg;
          else if (src[xx])
            dest[xx] = m_effectcol;
        }
      return true;
    }
    int ia = weightOf(m_alpha);
    if (ia > 256) ia = 256;
    if (ia == 0 || op > 5 || (op == 0 && ia < 1)) return true;
    const int er = PIX_GETR(m_effectcol), eg = PIX_GETG(m_effectcol), eb = PIX_GETB(m_effectcol);
    PIX_DispatchOp(op, [&](auto o) {
      GlyphRenderer<typename decltype(o)::type>::Effect(src, dest, sspan, dspan, iw, ih, r, g, b,
                                                         ia, er, eg, eb);
    });
  } else {
    const int ia = weightOf(m_alpha);
    if (ia == 0 || op > 5 || (op == 0 && ia < 1)) return true;
    PIX_DispatchOp(op, [&](auto o) {
      GlyphRenderer<typename decltype(o)::type>::Normal(src, dest, sspan, dspan, iw, ih, r, g, b,
                                                         ia);
    });
  }
  return true;
}

// --- text

int PIX_CachedFont::utf8charN(const char* ptr, int avail, unsigned short* cOut) {
  const unsigned char* p = (const unsigned char*)ptr;
  const unsigned char lead = p[0];
  unsigned short c = lead;
  int used = 1;
  if (lead >= 0xC2 && lead <= 0xDF && avail >= 2 && isCont(p[1])) {
    c = (unsigned short)(((lead & 0x1F) << 6) | (p[1] & 0x3F));
    used = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF && avail >= 3 && isCont(p[1]) && isCont(p[2])) {
    c = (unsigned short)(((lead & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
    used = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4 && avail >= 4 && isCont(p[1]) && isCont(p[2]) &&
             isCont(p[3])) {
    c = 0x20;  // beyond 16 bits: a space stands in
    used = 4;
  }
  if (cOut) *cOut = c;
  return used;
}

int PIX_CachedFont::utf8char(const char* ptr, unsigned short* cOut) {
  // A NUL is no continuation byte: the reader stops at the terminator.
  return utf8charN(ptr, 4, cOut);
}

int PIX_CachedFont::DrawText(PIX_IBitmap* bmp, const char* utf8, int len, RECT* rect,
                             unsigned int dtflags) {
  return DrawTextImpl(bmp, utf8, len, rect, dtflags);
}

int PIX_CachedFont::DrawTextImpl(PIX_IBitmap* bmp, const char* str, int len, RECT* rect,
                                 unsigned int dtflags) {
  if (!rect || !str) return 0;
  if (!bmp && !(dtflags & DT_CALCRECT)) return 0;
  bool cached;
  if (bmp && bmp->Extended(0x59555678, nullptr)) {
    cached = true;
  } else if ((m_flags & PIX_FONT_NATIVE) && !(m_flags & 0x1F7) && dtflags <= 0x3FFFFFFF && m_font &&
             ((dtflags & DT_SINGLELINE) || m_linespacing_adj == 0)) {
    cached = false;
  } else {
    cached = m_lineheight < 256;
  }
  if (!cached) return drawNative(bmp, str, len, rect, dtflags);
  if (dtflags & DT_CALCRECT) return measureCached(str, len, rect, dtflags);
  return drawCached(bmp, str, len, rect, dtflags);
}

PIX_CachedFont::GlyphRec* PIX_CachedFont::usableGlyph(unsigned short c) {
  GlyphRec* g = findChar(c);
  if (!g || g->base_offset == 0) {
    RenderGlyph(c);
    g = findChar(c);
  }
  return g && g->base_offset >= 1 ? g : nullptr;
}

namespace {

// Walks the characters of a text: len bytes (len < 0: to the NUL), a NUL
// always ending it.
struct TextReader {
  const char* p;
  int left;
  bool counted;
  TextReader(const char* s, int len) : p(s), left(len), counted(len >= 0) {}
  bool next(unsigned short* c) {
    if ((counted && left <= 0) || !*p) return false;
    const int used = PIX_CachedFont::utf8charN(p, counted ? left : 4, c);
    p += used;
    if (counted) left = left > used ? left - used : 0;
    return true;
  }
  // The next character to lay out: carriage returns are skipped; a line
  // feed is a space on a single line, else it moves the pen (x, y) to the
  // start of the next line, `step` down (across for vertical text) from the
  // start (x0, y0), and reading goes on.
  bool nextLaidOut(unsigned short* c, bool singleLine, bool vertical, long long step, long long x0,
                   long long y0, long long* x, long long* y) {
    while (next(c)) {
      if (*c == 13) continue;
      if (*c != 10) return true;
      if (singleLine) {
        *c = ' ';
        return true;
      }
      if (!vertical) {
        *y += step;
        *x = x0;
      } else {
        *x += step;
        *y = y0;
      }
    }
    return false;
  }
};

}  // namespace

int PIX_CachedFont::measureCached(const char* str, int len, RECT* rect, unsigned int dtflags) {
  if (len == 0 || !*str) {
    rect->right = rect->left;
    rect->bottom = rect->top;
    return 0;
  }
  const bool vertical = (m_flags & PIX_FONT_VERTICAL) != 0;
  long long x = 0, y = 0, w = 0, h = 0;
  TextReader rd(str, len);
  const long long step = (long long)m_lineheight + m_linespacing_adj;
  unsigned short c;
  while (rd.nextLaidOut(&c, (dtflags & DT_SINGLELINE) != 0, vertical, step, 0, 0, &x, &y)) {
    GlyphRec* g = usableGlyph(c);
    if (!g) continue;
    if (!vertical) {
      if (y + g->height > h) h = y + g->height;
      if (x + g->width - g->left_extra > w) w = x + g->width - g->left_extra;
      if (x + g->advance > w) w = x + g->advance;
      x += g->advance;
    } else {
      if (x + g->width > w) w = x + g->width;
      if (y + g->height - g->left_extra > h) h = y + g->height - g->left_extra;
      if (y + g->advance > h) h = y + g->advance;
      y += g->advance;
    }
  }
  rect->right = PIX_SatInt(rect->left + w);
  rect->bottom = PIX_SatInt(rect->top + h);
  return PIX_SatInt(vertical ? w : h);
}

int PIX_CachedFont::drawCached(PIX_IBitmap* bmp, const char* str, int len, RECT* rect,
                               unsigned int dtflags) {
  const float saved = m_alpha;
  float a = m_alpha;
  if (dtflags & PIX_DT_USEFGALPHA) a = a * ((float)(m_fg >> 24) / 255.0f);
  if (a == 0.0f) return 0;
  m_alpha = a;
  struct Restore {
    float& field;
    float value;
    ~Restore() { field = value; }
  } restore{m_alpha, saved};

  const bool vertical = (m_flags & PIX_FONT_VERTICAL) != 0;
  const bool upward = vertical && (m_flags & PIX_FONT_VERTICAL_UP);
  long long x0 = rect->left, y0 = rect->top;
  const bool aligned = (dtflags & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)) != 0;
  RECT m = {0, 0, 0, 0};
  if (aligned || upward) DrawTextImpl(bmp, str, len, &m, (dtflags & 0x80000020u) | DT_CALCRECT);
  if (dtflags & DT_CENTER)
    x0 += ((long long)rect->right - rect->left - m.right) / 2;
  else if (dtflags & DT_RIGHT)
    x0 = (long long)rect->right - m.right;
  if (dtflags & DT_VCENTER)
    y0 += ((long long)rect->bottom - rect->top - m.bottom) / 2;
  else if (dtflags & DT_BOTTOM)
    y0 = (long long)rect->bottom - m.bottom;
  if (upward) y0 += m.bottom;

  RECT clip = {0, 0, bmp->getWidth(), bmp->getHeight()};
  if (!(dtflags & DT_NOCLIP)) {
    if (rect->left > clip.left) clip.left = rect->left;
    if (rect->top > clip.top) clip.top = rect->top;
    if (rect->right < clip.right) clip.right = rect->right;
    if (rect->bottom < clip.bottom) clip.bottom = rect->bottom;
  }
  if (clip.right <= clip.left || clip.bottom <= clip.top) return 0;

  long long x = x0, y = y0, X = x0, Y = y0;
  TextReader rd(str, len);
  const long long step = (long long)m_lineheight + m_linespacing_adj;
  unsigned short c;
  while (rd.nextLaidOut(&c, (dtflags & DT_SINGLELINE) != 0, vertical, step, x0, y0, &x, &y)) {
    GlyphRec* g = usableGlyph(c);
    if (!g || g->base_offset - 1 >= m_glyphcache.GetSize()) continue;
    const long long yd = upward ? y - g->height : y;
    const bool drawn = DrawGlyph(bmp, c, PIX_SatInt(x), PIX_SatInt(yd), &clip);
    if (!vertical) {
      x += g->advance;
      if (drawn && yd + g->height > Y) Y = yd + g->height;
      y = yd;
    } else {
      y = upward ? yd + (g->height - g->advance) : yd + g->advance;
      if (drawn && x + g->width > X) X = x + g->width;
    }
  }
  return PIX_SatInt(vertical ? X - x0 : Y - y0);
}

int PIX_CachedFont::drawNative(PIX_IBitmap* bmp, const char* str, int len, RECT* rect,
                               unsigned int dtflags) {
  if (!g_textHooked) return 0;
  HDC own = bmp ? bmp->getDC() : nullptr;
  if (own) {
    HGDIOBJ old = g_text.selectObject(own, m_font);
    g_text.setTextColor(own, (int)(m_fg & 0xFFFFFF));
    g_text.setBkMode(own, m_bgmode);
    if (m_bgmode == 1) g_text.setBkColor(own, (int)(m_bg & 0xFFFFFF));
    RECT r = *rect;
    const int res = g_text.drawText(own, str, len, &r, (int)((dtflags & 0x7FFFFFFF) | DT_NOPREFIX));
    if (dtflags & DT_CALCRECT) *rect = r;
    if (old) g_text.selectObject(own, old);
    return res;
  }

  PIX_SysBitmap*& sb = s_nativerender_tempbitmap;
  if (!sb) sb = new PIX_SysBitmap(0, 0);
  if (sb->getWidth() < 4 || sb->getHeight() < 4) sb->resize(4, 4);
  HDC ctx = sb->getDC();
  if (!ctx) return 0;
  HGDIOBJ old = g_text.selectObject(ctx, m_font);
  RECT m = {0, 0, 0, 0};
  const int measured =
      g_text.drawText(ctx, str, len, &m, (int)((dtflags & 0x7FFFFFF0) | DT_CALCRECT | DT_NOPREFIX));
  if ((dtflags & DT_CALCRECT) || !bmp) {
    if (dtflags & DT_CALCRECT) {
      rect->right = PIX_SatInt((long long)rect->left + m.right - m.left);
      rect->bottom = PIX_SatInt((long long)rect->top + m.bottom - m.top);
    }
    if (old) g_text.selectObject(ctx, old);
    return measured;
  }
  long long x = rect->left, y = rect->top;
  if (dtflags & DT_RIGHT)
    x = (long long)rect->right - m.right;
  else if (dtflags & DT_CENTER)
    x = ((long long)rect->left + rect->right - m.right) / 2;
  if (dtflags & DT_BOTTOM)
    y = (long long)rect->bottom - m.bottom;
  else if (dtflags & DT_VCENTER)
    y = ((long long)rect->top + rect->bottom - m.bottom) / 2;
  long long x2 = x + m.right, y2 = y + m.bottom;
  if (x2 > bmp->getWidth()) x2 = bmp->getWidth();
  if (y2 > bmp->getHeight()) y2 = bmp->getHeight();
  long long lox = 0, loy = 0;
  if (!(dtflags & DT_NOCLIP)) {
    if (x2 > rect->right) x2 = rect->right;
    if (y2 > rect->bottom) y2 = rect->bottom;
    lox = rect->left > 0 ? rect->left : 0;
    loy = rect->top > 0 ? rect->top : 0;
  }
  long long dx = 0, dy = 0;
  if (x < lox) {
    dx = x - lox;
    x = lox;
  }
  if (y < loy) {
    dy = y - loy;
    y = loy;
  }
  if (x2 <= x || y2 <= y) {
    if (old) g_text.selectObject(ctx, old);
    return measured;
  }
  // Room for ink left of the first pen position.
  long long p = m_lineheight >= 16 ? 2 + m_lineheight / 16 : 2;
  if (p > x) p = x;
  x -= p;
  const int need_w = (int)(x2 - x), need_h = (int)(y2 - y);
  if (sb->getWidth() < need_w || sb->getHeight() < need_h) {
    sb->resize(need_w, need_h);
    ctx = sb->getDC();
    if (!ctx) return 0;
    g_text.selectObject(ctx, m_font);
  }
  RECT area = {(int)x, (int)y, (int)x2, (int)y2};
  PIX_Blit(sb, bmp, 0, 0, &area, 1.0f, 0);
  g_text.setTextColor(ctx, (int)(m_fg & 0xFFFFFF));
  g_text.setBkMode(ctx, m_bgmode);
  if (m_bgmode == 1) g_text.setBkColor(ctx, (int)(m_bg & 0xFFFFFF));
  RECT dr = {(int)(dx + p), (int)dy, (int)x2, (int)y2};
  const int res = g_text.drawText(ctx, str, len, &dr, (int)((dtflags & 0x7FFFFFF0) | DT_NOPREFIX));
  PIX_Blit(bmp, sb, (int)x, (int)y, 0, 0, need_w, need_h, m_alpha, 0);
  if (old) g_text.selectObject(ctx, old);
  return res;
}
