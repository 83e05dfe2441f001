// Cached fonts: the UTF-8 reader, glyph cache, glyph drawing and text
// layout, over fonts of the windowing layer.

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "pix.h"
#include "pix_font.h"
#include "pix_test_util.h"
#include "shim-gdi-internal.h"

namespace {

HFONT arial(int size) { return CreateFont(size, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"); }

// A font over Arial at a size, with flags; deletes its font.
struct Font : PIX_CachedFont {
  explicit Font(int size = 12, int flags = PIX_FONT_OWNS_HFONT) { SetFromHFont(arial(size), flags); }
};

RECT measure(PIX_IFont& f, const char* s, int len = -1, unsigned flags = 0) {
  RECT r{3, 4, 3, 4};
  f.DrawText(nullptr, s, len, &r, flags | DT_CALCRECT);
  return r;
}

int inkCount(PIX_IBitmap* b, uint32_t background) {
  int n = 0;
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x) n += PIX_GetPixel(b, x, y) != background;
  return n;
}

bool inkBox(PIX_IBitmap* b, uint32_t background, RECT* box) {
  *box = RECT{b->getWidth(), b->getHeight(), 0, 0};
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      if (PIX_GetPixel(b, x, y) != background) {
        box->left = std::min(box->left, x);
        box->top = std::min(box->top, y);
        box->right = std::max(box->right, x + 1);
        box->bottom = std::max(box->bottom, y + 1);
      }
  return box->right > box->left;
}

struct Utf8Case {
  const char* bytes;
  unsigned short code;
  int used;
};

TEST(FontUtf8, DecodesOneCharacter) {
  const Utf8Case cases[] = {
      {"A", 'A', 1},
      {"\xC3\xA9", 0xE9, 2},
      {"\xA9", 0xA9, 1},                 // a stray continuation byte
      {"\xF0\x9F\x98\x80", 0x20, 4},     // beyond 16 bits: a space
      {"\xC3\x41", 0xC3, 1},             // not followed by a continuation
      {"\xE2\x82\xAC", 0x20AC, 3},
      {"\xE2\x82", 0xE2, 1},             // cut short by the terminator
      {"\xC0\x80", 0xC0, 1},
      {"\xF5\x80\x80\x80", 0xF5, 1},
      {"\xED\xA0\x80", 0xD800, 3},       // surrogates pass
  };
  for (const Utf8Case& c : cases) {
    unsigned short code = 0;
    EXPECT_EQ(PIX_CachedFont::utf8char(c.bytes, &code), c.used) << c.bytes;
    EXPECT_EQ(code, c.code) << c.bytes;
  }
  EXPECT_EQ(PIX_CachedFont::utf8char("\xC3\xA9", nullptr), 2);
}

TEST(FontUtf8, APositiveLengthIsNeverReadPast) {
  // Two bytes of a three-byte sequence: each byte on its own.
  unsigned short code;
  EXPECT_EQ(PIX_CachedFont::utf8charN("\xE2\x82\xAC", 2, &code), 1);
  EXPECT_EQ(code, 0xE2);
  EXPECT_EQ(PIX_CachedFont::utf8charN("\xC3\xA9", 1, &code), 1);
  EXPECT_EQ(code, 0xC3);
  Font f(12);
  // The euro sign cut after two bytes measures as the characters 0xE2 and
  // 0x82, written out in full.
  EXPECT_EQ(measure(f, "\xE2\x82\xAC", 2).right, measure(f, "\xC3\xA2\xC2\x82").right);
  EXPECT_NE(measure(f, "\xE2\x82\xAC", 2).right, measure(f, "\xE2\x82\xAC", 3).right);
  // A buffer that ends where the length says: nothing beyond is touched
  // (the sanitizer build sees any read past it).
  std::vector<char> exact = {'\xE2', '\x82'};
  EXPECT_EQ(measure(f, exact.data(), 2).right, measure(f, "\xC3\xA2\xC2\x82").right);
}

TEST(FontLayout, LineFeedsCarriageReturnsAndLengths) {
  Font f(12);
  const int lh = f.GetLineHeight();
  ASSERT_GT(lh, 10);
  const RECT one = measure(f, "ab\ncd", -1, DT_SINGLELINE), spaced = measure(f, "ab cd");
  EXPECT_EQ(one.right, spaced.right);
  EXPECT_EQ(one.bottom, spaced.bottom);
  const RECT two = measure(f, "ab\ncd"), ab = measure(f, "ab"), cd = measure(f, "cd");
  EXPECT_EQ(two.right, std::max(ab.right, cd.right));  // the second line starts at the left
  EXPECT_EQ(two.bottom - 4, lh + (cd.bottom - 4));
  f.SetLineSpacingAdjust(5);
  EXPECT_EQ(measure(f, "ab\ncd").bottom - 4, lh + 5 + (cd.bottom - 4));
  f.SetLineSpacingAdjust(0);
  EXPECT_EQ(measure(f, "a\r\rb").right, measure(f, "ab").right);
  EXPECT_EQ(measure(f, "abcdef", 3).right, measure(f, "abc").right);
  RECT empty{7, 8, 100, 100};
  EXPECT_EQ(f.DrawText(nullptr, "", -1, &empty, DT_CALCRECT), 0);
  EXPECT_EQ(empty.right, 7);
  EXPECT_EQ(empty.bottom, 8);
  RECT r{0, 0, 0, 0};
  EXPECT_EQ(f.DrawText(nullptr, "x", -1, &r, 0), 0);  // no bitmap, not measuring
}

TEST(FontCache, PrerenderedFontsSkipHighCharacters) {
  Font f(12, PIX_FONT_PRERENDER | PIX_FONT_OWNS_HFONT);
  for (int c = 33; c < 127; ++c) EXPECT_GE(f.findChar((unsigned short)c)->base_offset, 1) << c;
  EXPECT_EQ(f.findChar(0xE9), nullptr);
  EXPECT_EQ(measure(f, "A\xC3\xA9" "B").right, measure(f, "AB").right);
  EXPECT_FALSE(f.RenderGlyph(0xE9));
}

TEST(FontCache, HighCharactersStayOneSortedRecordEach) {
  Font f(12);
  const unsigned short order[] = {0x3A9, 0x100, 0x2022, 0x100, 0xE9};
  for (unsigned short c : order) EXPECT_TRUE(f.RenderGlyph(c));
  PIX_CachedFont::GlyphRec* e9 = f.findChar(0xE9);
  ASSERT_NE(e9, nullptr);
  EXPECT_EQ(f.findChar(0x100), e9 + 1);
  EXPECT_EQ(f.findChar(0x3A9), e9 + 2);
  EXPECT_EQ(f.findChar(0x2022), e9 + 3);
  EXPECT_EQ(f.findChar(0x101), nullptr);
  EXPECT_GT(e9->advance, 3);
  EXPECT_EQ(f.findChar(' ')->base_offset, 0);  // not rendered yet
  f.RenderGlyph(' ');
  EXPECT_GE(f.findChar(' ')->base_offset, 1);
  EXPECT_EQ(f.findChar(0)->base_offset, 0);
  f.RenderGlyph(0);
  EXPECT_EQ(f.findChar(0)->base_offset, -1);  // nothing to draw
}

TEST(FontCache, LineHeightsAbove1023RenderNothing) {
  PIX_CachedFont f;
  f.SetFromHFont(arial(950), PIX_FONT_OWNS_HFONT);
  ASSERT_GT(f.GetLineHeight(), 1023);
  EXPECT_FALSE(f.RenderGlyph('A'));
  EXPECT_EQ(f.findChar('A')->base_offset, 0);
  PIX_MemBitmap b(8, 8, 4);
  RECT clip{0, 0, 8, 8};
  EXPECT_FALSE(f.DrawGlyph(&b, 'A', 0, 0, &clip));
  // Such fonts measure and draw the layer's way.
  EXPECT_GT(measure(f, "AB").right, 500);
}

TEST(FontCache, OwnedFontsAreDeletedWhenReplaced) {
  HFONT a = arial(12), b = arial(13);
  HDC dc = SHIM_CreateMemContext(nullptr, 4, 4);
  {
    PIX_CachedFont f;
    f.SetFromHFont(a, PIX_FONT_OWNS_HFONT);
    f.SetFromHFont(a, PIX_FONT_OWNS_HFONT);  // the same handle: kept
    EXPECT_NE(SHIM_GdiObj(a), nullptr);
    f.SetFromHFont(b, PIX_FONT_OWNS_HFONT);
    EXPECT_EQ(SHIM_GdiObj(a), nullptr);
    EXPECT_EQ(f.GetHFont(), b);
  }
  EXPECT_EQ(SHIM_GdiObj(b), nullptr);  // with the font
  HFONT c = arial(12);
  {
    PIX_CachedFont f;
    f.SetFromHFont(c, 0);
  }
  EXPECT_NE(SHIM_GdiObj(c), nullptr);  // not owned
  DeleteObject(c);
  SHIM_DeleteGfxContext(dc);
}

TEST(FontCache, TheLastFontTakesTheScratchBitmapsAlong) {
  int before = 0, after = 0;
  {
    Font f(12, PIX_FONT_NATIVE | PIX_FONT_OWNS_HFONT);
    PIX_MemBitmap mem(40, 20, 4);
    f.SetTextColor(0xFF000000);
    RECT r{0, 0, 40, 20};
    f.DrawText(&mem, "Ab", -1, &r, 0);                  // the native text's scratch
    f.DrawText(&mem, "Ab", -1, &r, PIX_DT_USEFGALPHA);  // the glyph scratch
    SHIM_Internal_GdiPoolSizes(&before, nullptr);
  }
  SHIM_Internal_GdiPoolSizes(&after, nullptr);
  EXPECT_GE(after, std::min(100, before + 2));
  Font again(12);
  EXPECT_GT(measure(again, "Ab").right, 3);
}

TEST(FontDraw, BackgroundModeOneFillsEachGlyphBox) {
  Font f(12);
  PIX_MemBitmap b(60, 20, 4);
  PIX_Clear(&b, 0xFFFFFFFF);
  f.SetTextColor(0xFF000000);
  f.SetBkColor(0xFF00FF00);
  EXPECT_EQ(f.SetBkMode(1), 0);
  RECT r{2, 2, 60, 20};
  f.DrawText(&b, "Ab", -1, &r, PIX_DT_NONATIVE);
  RECT box;
  ASSERT_TRUE(inkBox(&b, 0xFFFFFFFF, &box));
  // Green fills every glyph's box; the corners of the box are green.
  EXPECT_EQ(PIX_GetPixel(&b, box.left, box.top), 0xFF00FF00u);
  EXPECT_EQ(PIX_GetPixel(&b, box.right - 1, box.bottom - 1), 0xFF00FF00u);
  EXPECT_EQ(f.SetBkMode(0), 1);
}

TEST(FontDraw, MonoAtFullWeightWritesTheWholeColourWord) {
  PIX_CachedFont f;
  f.SetFromHFont(arial(14), PIX_FONT_MONO | PIX_FONT_OWNS_HFONT);
  PIX_MemBitmap b(40, 20, 4);
  PIX_Clear(&b, 0);
  f.SetTextColor(0x12345678);
  RECT r{0, 0, 40, 20};
  f.DrawText(&b, "Mo", -1, &r, 0);
  int words = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const uint32_t p = PIX_GetPixel(&b, x, y);
      EXPECT_TRUE(p == 0 || p == 0x12345678u) << x << "," << y;
      words += p == 0x12345678u;
    }
  EXPECT_GT(words, 20);
}

TEST(FontDraw, OutlineAndShadowMarkTheirPixelsInTheEffectColour) {
  for (int flag : {PIX_FONT_OUTLINE, PIX_FONT_SHADOW}) {
    PIX_CachedFont f;
    f.SetFromHFont(arial(16), flag | PIX_FONT_OWNS_HFONT);
    PIX_MemBitmap b(40, 24, 4);
    PIX_Clear(&b, 0);
    f.SetTextColor(0xFFFFFFFF);
    f.SetEffectColor(0xFF0000FF);
    RECT r{2, 2, 40, 24};
    f.DrawText(&b, "I", -1, &r, 0);
    int text = 0, effect = 0, other = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 40; ++x) {
        const uint32_t p = PIX_GetPixel(&b, x, y);
        text += p == 0xFFFFFFFF;
        effect += p == 0xFF0000FF;
        other += p != 0 && p != 0xFFFFFFFF && p != 0xFF0000FF;
        // A shadow lies right of or below the ink: never left of a column.
        if (flag == PIX_FONT_SHADOW && p == 0xFF0000FF && x + 1 < 40) {
          EXPECT_NE(PIX_GetPixel(&b, x + 1, y), 0xFFFFFFFFu);
        }
      }
    EXPECT_GT(text, 10);
    EXPECT_GT(effect, 10);
    EXPECT_EQ(other, 0);
  }
}

TEST(FontDraw, AlphaFromTheColourAndCombineModes) {
  Font f(12);
  PIX_MemBitmap b(40, 20, 4);
  PIX_Clear(&b, 0xFFFFFFFF);
  f.SetTextColor(0x00000000);  // alpha 0
  RECT r{0, 0, 40, 20};
  EXPECT_EQ(f.DrawText(&b, "Ab", -1, &r, PIX_DT_USEFGALPHA), 0);
  EXPECT_EQ(inkCount(&b, 0xFFFFFFFF), 0);
  // The font's own alpha came back: full black ink now.
  f.SetTextColor(0xFF000000);
  EXPECT_GT(f.DrawText(&b, "Ab", -1, &r, PIX_DT_USEFGALPHA), 8);
  bool black = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) black |= PIX_GetPixel(&b, x, y) == 0xFF000000u;
  EXPECT_TRUE(black);
  // Operator 6 and weight 0 draw nothing.
  PIX_Clear(&b, 0xFFFFFFFF);
  f.SetCombineMode(6, 1.0f);
  f.DrawText(&b, "Ab", -1, &r, PIX_DT_NONATIVE);
  f.SetCombineMode(0, 0.0f);
  f.DrawText(&b, "Ab", -1, &r, PIX_DT_NONATIVE);
  EXPECT_EQ(inkCount(&b, 0xFFFFFFFF), 0);
  // Add brightens black towards the colour.
  PIX_Clear(&b, 0xFF000000);
  f.SetTextColor(0xFF400000);
  f.SetCombineMode(1, 1.0f);
  f.DrawText(&b, "Ab", -1, &r, PIX_DT_NONATIVE);
  uint32_t most = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) most = std::max(most, PIX_GetPixel(&b, x, y) & 0xFF0000);
  EXPECT_LE(most, 0x400000u);
  EXPECT_GE(most, 0x380000u);
}

TEST(FontDraw, CentringAWideTextAndClipping) {
  Font f(14);
  const int w = measure(f, "Saturation").right - 3;
  PIX_MemBitmap b(100, 20, 4);
  for (unsigned flags : {0u, unsigned(DT_NOCLIP)}) {
    PIX_Clear(&b, 0xFFFFFFFF);
    f.SetTextColor(0xFF000000);
    RECT r{40, 0, 60, 20};
    f.DrawText(&b, "Saturation", -1, &r, DT_CENTER | PIX_DT_USEFGALPHA | flags);
    RECT box;
    ASSERT_TRUE(inkBox(&b, 0xFFFFFFFF, &box));
    if (flags) {
      EXPECT_LE(box.left, 40 + (20 - w) / 2 + 1);
      EXPECT_GE(box.right, 60 + (w - 20) / 2 - 2);
    } else {
      EXPECT_GE(box.left, 40);
      EXPECT_LE(box.right, 60);
    }
  }
}

TEST(FontDraw, VerticalFontsRunDown) {
  PIX_CachedFont v;
  v.SetFromHFont(arial(12), PIX_FONT_VERTICAL | PIX_FONT_OWNS_HFONT);
  Font h(12);
  const RECT across = measure(h, "Gain"), down = measure(v, "Gain");
  EXPECT_EQ(down.bottom - 4, across.right - 3);
  EXPECT_LT(down.right - 3, h.GetLineHeight() + 2);
  PIX_MemBitmap b(30, 60, 4);
  PIX_Clear(&b, 0xFFFFFFFF);
  v.SetTextColor(0xFF000000);
  RECT r{0, 0, 30, 60};
  v.DrawText(&b, "Gain", -1, &r, 0);
  RECT box;
  ASSERT_TRUE(inkBox(&b, 0xFFFFFFFF, &box));
  EXPECT_GT(box.bottom - box.top, box.right - box.left);
}

// A view into the middle of a larger block: columns beyond its width and
// rows below it must stay untouched.
class GuardedBitmap : public PIX_IBitmap {
 public:
  GuardedBitmap(int w, int h) : m_w(w), m_h(h), m_px(size_t(w + 16) * (h + 8), 0xDEADBEEF) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) m_px[size_t(y) * (w + 16) + x] = 0xFFFFFFFF;
  }
  unsigned int* getBits() override { return m_px.data(); }
  int getWidth() override { return m_w; }
  int getHeight() override { return m_h; }
  int getRowSpan() override { return m_w + 16; }
  bool resize(int, int) override { return false; }
  int guardsChanged() const {
    int n = 0;
    for (int y = 0; y < m_h + 8; ++y)
      for (int x = 0; x < m_w + 16; ++x)
        if ((x >= m_w || y >= m_h) && m_px[size_t(y) * (m_w + 16) + x] != 0xDEADBEEF) ++n;
    return n;
  }

 private:
  int m_w, m_h;
  std::vector<unsigned int> m_px;
};

TEST(FontDraw, GlyphsStopAtTheBitmapWhateverTheClip) {
  Font f(16);
  f.SetTextColor(0xFF000000);
  f.RenderGlyph('W');
  GuardedBitmap b(20, 12);
  RECT wide{-50, -50, 500, 500};
  EXPECT_TRUE(f.DrawGlyph(&b, 'W', 12, 4, &wide));
  EXPECT_TRUE(f.DrawGlyph(&b, 'W', 14, 6, nullptr));
  f.SetBkMode(1);
  f.DrawGlyph(&b, 'W', 15, 8, &wide);
  EXPECT_EQ(b.guardsChanged(), 0);
  EXPECT_FALSE(f.DrawGlyph(&b, 'W', 25, 0, &wide));
  EXPECT_FALSE(f.DrawGlyph(&b, 'Q', 2, 0, &wide));  // not rendered: nothing
}

TEST(FontDraw, NativeTextIntoABitmapWithoutAContextGoesThroughTheScratch) {
  Font f(12, PIX_FONT_NATIVE | PIX_FONT_OWNS_HFONT);
  f.SetTextColor(0xFF000000);
  PIX_SysBitmap own(80, 20);
  PIX_MemBitmap mem(80, 20, 4);
  PIX_Clear(&own, 0xFFFFFFFF);
  PIX_Clear(&mem, 0xFFFFFFFF);
  ASSERT_NE(own.getDC(), nullptr);
  // (Centring rounds the halves differently on the two paths.)
  for (unsigned flags : {0u, unsigned(DT_RIGHT)}) {
    RECT r1{4, 2, 76, 18}, r2 = r1;
    const int a = f.DrawText(&own, "Level", -1, &r1, flags | DT_NOCLIP);
    const int b = f.DrawText(&mem, "Level", -1, &r2, flags | DT_NOCLIP);
    EXPECT_EQ(a, b);
    Image ia = readImage(&own), ib = readImage(&mem);
    for (uint32_t& p : ia.px) p |= 0xFF000000;
    for (uint32_t& p : ib.px) p |= 0xFF000000;
    EXPECT_EQ(firstDifference(ib, ia), "") << flags;
    PIX_Clear(&own, 0xFFFFFFFF);
    PIX_Clear(&mem, 0xFFFFFFFF);
  }
}

}  // namespace
