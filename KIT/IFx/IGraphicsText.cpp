// Text of the editor: the process-wide font cache of text styles, and text
// drawn and measured in the editor's bitmap.

#include <math.h>
#include <string.h>

#include "IFxUtil.h"
#include "IGraphics.h"
#include "mutex.h"
#include "pix.h"
#include "pix_font.h"
#include "shim-gdi.h"

namespace {

// ---- The font cache: one font per size, orientation, style and face for
// the whole process.

class FontStorage {
public:
  static const int kFaceLen = 36;  // terminator included

  ~FontStorage() {
    for (int i = mList.GetSize() - 1; i >= 0; --i) delete mList.Get(i)->font;
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

// A cached font of the style at `height` pixels that owns its system font
// and lets the windowing layer draw opaque text; null when there is no
// system font.
PIX_IFont* CreateStyleFont(const IText* style, int height) {
  static const int kQuality[4] = {0, 3, 4, 4};
  const int quality = style->mQuality >= 0 && style->mQuality <= 3 ? kQuality[style->mQuality] : 3;
  HFONT system = CreateFont(height, 0, style->mOrientation * 10, style->mOrientation * 10,
                            style->mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL,
                            style->mStyle == IText::kStyleItalic, 0, 0, 1, 0, 0, quality, 0,
                            style->mFont);
  if (!system) return nullptr;
  PIX_CachedFont* font = new PIX_CachedFont;
  font->SetFromHFont(system, PIX_FONT_OWNS_HFONT | PIX_FONT_NATIVE);
  return font;
}

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
  const int lineHeight = font->GetLineHeight();
  if (lineHeight > 0 && lineHeight != height) {
    // Once more at the size whose line height comes closest to the request;
    // that one is kept whatever its line height.
    delete font;
    font = CreateStyleFont(text, int(lround(double(height) * height / lineHeight)));
    if (!font) return nullptr;
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
  font->SetTextColor(text->mColor.Packed());

  unsigned flags = DT_NOCLIP;
  if (text->mAlign == IText::kAlignCenter)
    flags |= DT_CENTER;
  else if (text->mAlign != IText::kAlignNear)
    flags |= DT_RIGHT;
  if (text->mColor.A < 255) flags |= PIX_DT_USEFGALPHA;

  if (!measure) {
    RECT r = {rect->L, rect->T, rect->R, rect->B};
    font->DrawText(mDrawBitmap, str, -1, &r, flags);
    return true;
  }
  RECT r = {0, 0, 0, 0};
  font->DrawText(mDrawBitmap, str, -1, &r, flags | DT_CALCRECT);
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
