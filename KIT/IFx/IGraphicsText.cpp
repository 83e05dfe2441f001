// Text of the editor: the process-wide font cache of text styles, and text
// drawn and measured in the editor's bitmap.

#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "IFxUtil.h"
#include "IGraphics.h"
#include "mutex.h"
#include "pix.h"
#include "platform/bitmap.h"
#include "platform/draw_context.h"
#include "platform/text.h"

namespace {

// Text flags of the raster fonts.
enum : unsigned {
  kTextCentre = 0x1,
  kTextRight = 0x2,
  kTextNoClip = 0x100,
  kTextCalcOnly = 0x400,
  kTextUseAlpha = 0x40000000u,
};

// ---- The raster font behind a text style.
//
// A font of the platform's text layer, rendered into a coverage map that the
// raster library stamps into the bitmap. Fonts are only ever handed around
// as PIX_IFont pointers.

struct StyleFont {
  plat::Font font;
  int lineHeight;
  uint32_t color = 0xFF000000u;
};

StyleFont* AsStyleFont(PIX_IFont* f) { return reinterpret_cast<StyleFont*>(f); }

// A font of `height` pixels for the style; null when none can be made.
PIX_IFont* CreateStyleFont(const IText* style, int height) {
  plat::Font font(style->mFont, height, style->mStyle == IText::kStyleBold ? plat::kWeightBold
                                                                          : plat::kWeightRegular,
                  style->mStyle == IText::kStyleItalic);
  if (!font.isValid()) return nullptr;
  const plat::FontMetrics m = font.metrics();
  StyleFont* f = new StyleFont{font, int(lround(m.ascent + m.descent))};
  return reinterpret_cast<PIX_IFont*>(f);
}

void DeleteStyleFont(PIX_IFont* f) { delete AsStyleFont(f); }

int StyleFontLineHeight(PIX_IFont* f) { return AsStyleFont(f)->lineHeight; }

void StyleFontSetColor(PIX_IFont* f, uint32_t color) { AsStyleFont(f)->color = color; }

// Draws the text in one line at the top of the rectangle, aligned by the
// flags; with kTextCalcOnly only sets the rectangle's right and bottom to
// the text's extent from its left and top.
void StyleFontDrawText(PIX_IFont* pf, PIX_IBitmap* bitmap, const char* str, RECT* rect,
                       unsigned flags) {
  StyleFont* f = AsStyleFont(pf);
  const plat::FontMetrics m = f->font.metrics();
  const int w = int(ceil(f->font.width(str)));
  const int h = f->lineHeight;
  if (flags & kTextCalcOnly) {
    rect->right = rect->left + w;
    rect->bottom = rect->top + h;
    return;
  }
  if (w <= 0 || h <= 0 || !bitmap) return;
  int x = rect->left;
  if (flags & kTextCentre)
    x = rect->left + (rect->right - rect->left - w) / 2;
  else if (flags & kTextRight)
    x = rect->right - w;
  // White on black: the red channel is the coverage.
  plat::Bitmap scratch(w, h, 0xFF000000u);
  plat::DrawContext ctx(&scratch);
  plat::drawText(ctx, f->font, str, {0.0, double(lround(m.ascent))}, 0xFFFFFFFFu);
  std::vector<unsigned char> coverage(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w; ++i)
      coverage[size_t(y) * size_t(w) + size_t(i)] = (unsigned char)((scratch.row(y)[i] >> 16) & 255);
  const float alpha = (flags & kTextUseAlpha) ? float(f->color >> 24) / 255.0f : 1.0f;
  PIX_DrawGlyph(bitmap, x, rect->top, f->color, coverage.data(), w, h, alpha, PIX_OP_COPY);
}

// ---- The font cache: one font per size, orientation, style and face for
// the whole process.

class FontStorage {
public:
  static const int kFaceLen = 36;  // terminator included

  ~FontStorage() {
    for (int i = mList.GetSize() - 1; i >= 0; --i) DeleteStyleFont(mList.Get(i)->font);
    mList.Empty(true);
  }

  PIX_IFont* Find(const IText* style) {
    KIT_MutexLock lock(&mMutex);
    for (int i = 0; i < mList.GetSize(); ++i) {
      const Entry* e = mList.Get(i);
      if (e->size == style->mSize && e->orientation == style->mOrientation &&
          e->style == style->mStyle && !strncmp(e->face, style->mFont, kFaceLen))
        return e->font;
    }
    return nullptr;
  }

  void Add(const IText* style, PIX_IFont* font) {
    Entry* e = new Entry{style->mSize, style->mOrientation, style->mStyle, {0}, font};
    IFxCopyText(e->face, style->mFont, kFaceLen);
    KIT_MutexLock lock(&mMutex);
    mList.Add(e);
  }

private:
  struct Entry {
    int size, orientation, style;
    char face[kFaceLen];
    PIX_IFont* font;
  };
  KIT_PtrList<Entry> mList;
  KIT_Mutex mMutex;
};

FontStorage s_fontCache;

}  // namespace

PIX_IFont* IGraphics::CacheFont(IText* text) {
  if (!text) return nullptr;
  if (PIX_IFont* cached = s_fontCache.Find(text)) {
    text->mCached = cached;
    return cached;
  }
  const int height = text->mSize > 2 ? text->mSize : 2;
  PIX_IFont* font = CreateStyleFont(text, height);
  if (!font) return nullptr;
  const int lineHeight = StyleFontLineHeight(font);
  if (lineHeight > 0 && lineHeight != height) {
    // Once more at the size whose line height comes closest to the request.
    PIX_IFont* retry = CreateStyleFont(text, int(lround(double(height) * height / lineHeight)));
    if (retry) {
      DeleteStyleFont(font);
      font = retry;
    }
  }
  s_fontCache.Add(text, font);
  text->mCached = font;
  return font;
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* rect, bool measure) {
  if (!str || !str[0]) return true;
  if (!text || !rect) return false;
  PIX_IFont* font = text->mCached ? text->mCached : CacheFont(text);
  if (!font) return false;
  StyleFontSetColor(font, text->mColor.Packed());

  unsigned flags = kTextNoClip;
  if (text->mAlign == IText::kAlignCenter)
    flags |= kTextCentre;
  else if (text->mAlign != IText::kAlignNear)
    flags |= kTextRight;
  if (text->mColor.A < 255) flags |= kTextUseAlpha;

  if (!measure) {
    RECT r = {rect->L, rect->T, rect->R, rect->B};
    StyleFontDrawText(font, mDrawBitmap, str, &r, flags);
    return true;
  }
  RECT r = {0, 0, 0, 0};
  StyleFontDrawText(font, mDrawBitmap, str, &r, flags | kTextCalcOnly);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (text->mAlign == IText::kAlignNear) {
    rect->R = rect->L + w;
  } else if (text->mAlign == IText::kAlignCenter) {
    rect->L = int((rect->L + rect->R) * 0.5) - w / 2;
    rect->R = rect->L + w;
  } else {
    rect->L = rect->R - w;
  }
  rect->B = rect->T + h;
  return true;
}
