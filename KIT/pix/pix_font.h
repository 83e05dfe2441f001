#pragma once

// Text from cached glyphs. A PIX_CachedFont renders each character once
// through the windowing layer's text drawing (white on black into a system
// bitmap; the red channel is kept as 8-bit coverage), keeps the coverage
// maps for its lifetime and stamps them in a colour with the combine
// operators; or, when its flags ask for it and the colour is opaque, lets
// the layer draw whole strings. The raster library does not link the
// windowing layer: the layer installs its text functions with
// PIX_SetSysTextHooks (it does so when it starts). Without them a font
// renders nothing.
//
// Main thread only: the scratch bitmaps shared by all fonts are not guarded.

#include "../shim/shim-gditypes.h"
#include "pix_bitmap.h"
#include "heapbuf.h"

struct PIX_SysTextHooks {
  HGDIOBJ (*selectObject)(HDC ctx, HGDIOBJ obj);
  BOOL (*getTextMetrics)(HDC ctx, TEXTMETRIC* tm);
  int (*drawText)(HDC ctx, const char* text, int len, RECT* r, int flags);
  int (*setTextColor)(HDC ctx, int color);
  int (*setBkColor)(HDC ctx, int color);
  int (*setBkMode)(HDC ctx, int mode);
  BOOL (*deleteObject)(HGDIOBJ obj);
};

// Installs the layer's text functions (null removes them).
void PIX_SetSysTextHooks(const PIX_SysTextHooks* hooks);

// Flags of SetFromHFont.
#define PIX_FONT_VERTICAL 0x1       // rotated clockwise, the pen going down
#define PIX_FONT_VERTICAL_UP 0x2    // with 0x1: counter-clockwise, the pen going up
#define PIX_FONT_PRERENDER 0x4      // characters 0..127 at once; none from 128 on
#define PIX_FONT_BLUR 0x10
#define PIX_FONT_INVERT 0x20
#define PIX_FONT_MONO 0x40          // coverage 0 or 255
#define PIX_FONT_SHADOW 0x80
#define PIX_FONT_OUTLINE 0x100
#define PIX_FONT_OWNS_HFONT 0x200   // DeleteObject when replaced or destroyed
#define PIX_FONT_NATIVE 0x400       // prefer the layer's own text drawing

// DrawText flags beyond the layer's DT_ values.
#define PIX_DT_USEFGALPHA 0x40000000  // weight x the text colour's alpha / 255
#define PIX_DT_NONATIVE 0x80000000    // measure or draw from the cache

class PIX_IFont {
 public:
  virtual ~PIX_IFont() {}
  virtual void SetFromHFont(HFONT font, int flags) = 0;
  virtual PIX_ARGB32 SetTextColor(PIX_ARGB32 color) = 0;
  virtual PIX_ARGB32 SetBkColor(PIX_ARGB32 color) = 0;
  virtual PIX_ARGB32 SetEffectColor(PIX_ARGB32 color) = 0;
  virtual int SetBkMode(int mode) = 0;
  virtual void SetCombineMode(int mode, float alpha) = 0;
  // Measures (DT_CALCRECT: sets rect's right and bottom, returns the
  // height) or draws UTF-8 text (len < 0: up to the NUL) in rect; returns
  // the extent drawn downward (across for vertical fonts).
  virtual int DrawText(PIX_IBitmap* bmp, const char* utf8, int len, RECT* rect,
                       unsigned int dtflags) = 0;
  virtual PIX_ARGB32 GetTextColor() = 0;
  virtual HFONT GetHFont() = 0;
  virtual int GetLineHeight() = 0;
  // Draws one cached character with its pen position at (xpos, ypos) inside
  // clip (null: the whole bitmap); true when something was drawn.
  virtual bool DrawGlyph(PIX_IBitmap* bmp, unsigned short c, int xpos, int ypos, RECT* clip) = 0;
};

class PIX_CachedFont : public PIX_IFont {
 public:
  // One cached character: its coverage map in the store (base_offset is
  // 1-based; 0 not rendered yet; -1 nothing to draw).
  struct GlyphRec {
    int base_offset;
    int width, height;
    int advance;
    int charid;
    int left_extra;  // inked columns left of the pen position
  };

  PIX_CachedFont();
  ~PIX_CachedFont() override;
  PIX_CachedFont(const PIX_CachedFont&) = delete;
  PIX_CachedFont& operator=(const PIX_CachedFont&) = delete;

  void SetFromHFont(HFONT font, int flags) override;
  PIX_ARGB32 SetTextColor(PIX_ARGB32 color) override;
  PIX_ARGB32 SetBkColor(PIX_ARGB32 color) override;
  PIX_ARGB32 SetEffectColor(PIX_ARGB32 color) override;
  // 1 fills each glyph's box with the background colour first; any other
  // value draws no background (the windowing layer's meaning).
  int SetBkMode(int mode) override;
  void SetCombineMode(int mode, float alpha) override;
  int DrawText(PIX_IBitmap* bmp, const char* utf8, int len, RECT* rect,
               unsigned int dtflags) override;
  PIX_ARGB32 GetTextColor() override { return m_fg; }
  HFONT GetHFont() override { return m_font; }
  int GetLineHeight() override { return m_lineheight; }
  bool DrawGlyph(PIX_IBitmap* bmp, unsigned short c, int xpos, int ypos, RECT* clip) override;

  bool RenderGlyph(unsigned short c);
  GlyphRec* findChar(unsigned short c);
  // Added at every line break of the cached way.
  void SetLineSpacingAdjust(int adjust) { m_linespacing_adj = adjust; }

  // One character of UTF-8 (1 to 4 bytes used); cOut may be null.
  static int utf8char(const char* ptr, unsigned short* cOut);
  // The same reading no more than `avail` bytes.
  static int utf8charN(const char* ptr, int avail, unsigned short* cOut);

 private:
  int DrawTextImpl(PIX_IBitmap* bmp, const char* str, int len, RECT* rect, unsigned int dtflags);
  int drawCached(PIX_IBitmap* bmp, const char* str, int len, RECT* rect, unsigned int dtflags);
  int measureCached(const char* str, int len, RECT* rect, unsigned int dtflags);
  int drawNative(PIX_IBitmap* bmp, const char* str, int len, RECT* rect, unsigned int dtflags);
  // The glyph of c, rendered when not yet; null when it draws nothing.
  GlyphRec* usableGlyph(unsigned short c);

  PIX_ARGB32 m_fg;
  PIX_ARGB32 m_bg;
  PIX_ARGB32 m_effectcol;
  int m_bgmode;
  int m_comb;
  float m_alpha;
  int m_flags;
  int m_lineheight;
  int m_linespacing_adj;
  GlyphRec m_lowchars[128];
  KIT_TypedBuf<GlyphRec> m_extracharlist;
  KIT_TypedBuf<unsigned char> m_glyphcache;
  HFONT m_font;
};
