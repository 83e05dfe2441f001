// Fonts and text of the drawing contexts: sizes and names, metrics,
// measuring, placement, background, smoothing and clipping.

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "gdi_test_util.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

HFONT arial(int size, int weight = 400, int quality = 0) {
  return CreateFont(size, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, quality, 0, "Arial");
}

RECT measure(HDC dc, const char* text, int flags = 0, int len = -1) {
  RECT r{5, 7, 5, 7};
  SHIM_DrawText(dc, text, len, &r, flags | DT_CALCRECT);
  return r;
}

TEST(Fonts, SizeRulesAndFaceNames) {
  MemDC dc(4, 4);
  TEXTMETRIC ten, zero, huge, byWidth;
  HFONT f10 = arial(10), f0 = CreateFont(0, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  HFONT fhuge = arial(9000), fw = CreateFont(0, -10, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  auto metrics = [&](HFONT f, TEXTMETRIC* tm) {
    HGDIOBJ old = SelectObject(dc, f);
    EXPECT_TRUE(GetTextMetrics(dc, tm));
    SelectObject(dc, old);
  };
  metrics(f10, &ten);
  metrics(f0, &zero);
  metrics(fhuge, &huge);
  metrics(fw, &byWidth);
  EXPECT_EQ(zero.tmHeight, ten.tmHeight);
  EXPECT_EQ(huge.tmHeight, ten.tmHeight);
  EXPECT_EQ(byWidth.tmHeight, ten.tmHeight);
  // Height = ascent + descent + leading + 1; the average width two thirds.
  EXPECT_EQ(ten.tmHeight, ten.tmAscent + ten.tmDescent + ten.tmInternalLeading + 1);
  EXPECT_EQ(ten.tmAveCharWidth, (ten.tmHeight - 1) * 2 / 3);
  EXPECT_GT(ten.tmAscent, 6);
  EXPECT_LT(ten.tmHeight, 16);

  char name[64];
  SelectObject(dc, f10);
  EXPECT_EQ(GetTextFace(dc, sizeof name, name), (int)strlen("Liberation Sans"));
  EXPECT_STREQ(name, "Liberation Sans");
  HFONT bold = arial(12, 700);
  SelectObject(dc, bold);
  GetTextFace(dc, sizeof name, name);
  EXPECT_STREQ(name, "Liberation Sans Bold");
  EXPECT_EQ(GetTextFace(dc, 4, name), 3);
  EXPECT_STREQ(name, "Lib");
  // The default font (nothing selected) is a 10-point interface font.
  SelectObject(dc, (HGDIOBJ)(intptr_t)3);
  TEXTMETRIC def;
  GetTextMetrics(dc, &def);
  EXPECT_EQ(def.tmHeight, ten.tmHeight);
  for (HFONT f : {f10, f0, fhuge, fw, bold}) DeleteObject(f);
}

TEST(Fonts, BoldIsWiderAndAnUnknownFaceStillDraws) {
  MemDC dc(4, 4);
  HFONT regular = arial(14), bold = arial(14, 700);
  HFONT odd = CreateFont(14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "No Such Family 12345");
  ASSERT_NE(odd, nullptr);
  SelectObject(dc, regular);
  const int wr = measure(dc, "Distortion").right;
  SelectObject(dc, bold);
  const int wb = measure(dc, "Distortion").right;
  SelectObject(dc, odd);
  EXPECT_GT(measure(dc, "Distortion").right - 5, 20);
  EXPECT_GT(wb, wr);
  for (HFONT f : {regular, bold, odd}) DeleteObject(f);
}

TEST(Text, PrefixesLineEndsAndEmptyText) {
  MemDC dc(4, 4);
  HFONT f = arial(12);
  SelectObject(dc, f);
  const RECT amp = measure(dc, "a&&b"), plain = measure(dc, "a&b", DT_NOPREFIX);
  EXPECT_EQ(amp.right, plain.right);
  EXPECT_EQ(amp.bottom, plain.bottom);
  EXPECT_EQ(measure(dc, "&Save").right, measure(dc, "Save").right);
  EXPECT_EQ(measure(dc, "Save&").right, measure(dc, "Save").right);
  // CR dropped; LF a space on a single line.
  const RECT one = measure(dc, "x\r\ny", DT_SINGLELINE), xy = measure(dc, "x y", DT_SINGLELINE);
  EXPECT_EQ(one.right, xy.right);
  EXPECT_EQ(one.bottom, xy.bottom);
  // Two lines: twice the line, the widest line's width.
  const RECT two = measure(dc, "Wide line\nx"), wide = measure(dc, "Wide line");
  const int line = wide.bottom - 7 - 1;
  EXPECT_EQ(two.bottom - 7, 2 * line + 1);
  EXPECT_EQ(two.right, wide.right);
  EXPECT_EQ(measure(dc, "x\n").bottom, measure(dc, "x").bottom);
  // len counts bytes; a length of 3 takes "abc".
  EXPECT_EQ(measure(dc, "abcdef", 0, 3).right, measure(dc, "abc").right);
  // Nothing to draw: 0, rectangle untouched.
  RECT r{1, 2, 3, 4};
  EXPECT_EQ(SHIM_DrawText(dc, "", -1, &r, DT_CALCRECT), 0);
  EXPECT_EQ(SHIM_DrawText(dc, "\r\r", -1, &r, DT_CALCRECT), 0);
  EXPECT_EQ(SHIM_DrawText(dc, "&", -1, &r, DT_CALCRECT), 0);
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.right, 3);
  EXPECT_EQ(r.bottom, 4);
  DeleteObject(f);
}

TEST(Text, HeightIsTheLinePlusOneAndMatchesTheMetrics) {
  MemDC dc(4, 4);
  for (int size = 10; size <= 14; ++size) {
    HFONT f = arial(size);
    SelectObject(dc, f);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    RECT r{0, 0, 0, 0};
    const int h = SHIM_DrawText(dc, "Hg", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(h, r.bottom);
    // floor(line + 1.5) + 1 against the truncated parts + 1.
    EXPECT_GE(h, tm.tmHeight) << size;
    EXPECT_LE(h, tm.tmHeight + 2) << size;
    DeleteObject(f);
  }
}

struct Placement {
  int flags;
  const char* what;
};

TEST(Text, EachAlignmentPlacesTheInkInsideItsBox) {
  MemDC dc(120, 40);
  HFONT f = arial(12);
  SelectObject(dc, f);
  const RECT m = measure(dc, "Mix", DT_SINGLELINE);
  const int w = m.right - 5, H = m.bottom - 7;
  const Placement cases[] = {
      {DT_LEFT, "left"},     {DT_CENTER, "centre"},    {DT_RIGHT, "right"},
      {DT_VCENTER, "vcentre"}, {DT_BOTTOM, "bottom"}, {DT_CENTER | DT_VCENTER, "middle"},
  };
  for (const Placement& c : cases) {
    dc.fill(0xFFFFFFFF);
    RECT box{10, 4, 110, 36};
    EXPECT_EQ(SHIM_DrawText(dc, "Mix", -1, &box, c.flags | DT_SINGLELINE), H) << c.what;
    int x0, y0, x1, y1;
    ASSERT_TRUE(dc.inkBox(kWhite, &x0, &y0, &x1, &y1)) << c.what;
    int left = 10, top = 4;
    if (c.flags & DT_CENTER) left = 10 + 100 / 2 - w / 2;
    if (c.flags & DT_RIGHT) left = 110 - w;
    if (c.flags & DT_VCENTER) top = 4 + 32 / 2 - H / 2;
    if (c.flags & DT_BOTTOM) top = 36 - H;
    // The ink lies within the text box, within a pixel of its sides.
    EXPECT_GE(x0, left) << c.what;
    EXPECT_LE(x0, left + 2) << c.what;
    EXPECT_LE(x1, left + w + 1) << c.what;
    EXPECT_GE(x1, left + w - 2) << c.what;
    EXPECT_GE(y0, top + 1) << c.what;
    EXPECT_LE(y1, top + H) << c.what;
  }
  DeleteObject(f);
}

TEST(Text, BackgroundModeOneFillsTheTextBox) {
  MemDC dc(80, 30);
  HFONT f = arial(12);
  SelectObject(dc, f);
  SetTextColor(dc, 0x000000);
  SetBkColor(dc, 0x0000FF);
  const RECT m = measure(dc, "Ab", DT_SINGLELINE);
  const int w = m.right - 5, H = m.bottom - 7;
  RECT box{3, 2, 80, 30};
  SetBkMode(dc, SHIM_BKMODE_TRANSPARENT);
  SHIM_DrawText(dc, "Ab", -1, &box, DT_SINGLELINE);
  int x0, y0, x1, y1;
  dc.inkBox(kWhite, &x0, &y0, &x1, &y1);
  EXPECT_EQ(dc.rgb(3, 2), kWhite);
  dc.fill(0xFFFFFFFF);
  SetBkMode(dc, SHIM_BKMODE_OPAQUE);
  SHIM_DrawText(dc, "Ab", -1, &box, DT_SINGLELINE);
  EXPECT_TRUE(dc.inkBox(kWhite, &x0, &y0, &x1, &y1));
  EXPECT_EQ(x0, 3);
  EXPECT_EQ(y0, 2);
  EXPECT_EQ(x1, 3 + w);
  EXPECT_EQ(y1, 2 + H);
  EXPECT_EQ(dc.rgb(3, 2), 0x0000FFu);
  DeleteObject(f);
}

TEST(Text, QualityThreeDrawsWithoutSmoothing) {
  for (int quality : {3, 4}) {
    MemDC dc(80, 24, 0xFF000000);
    HFONT f = arial(13, 400, quality);
    SelectObject(dc, f);
    SetTextColor(dc, 0xFFFFFF);
    RECT box{2, 2, 80, 24};
    SHIM_DrawText(dc, "Soft edges", -1, &box, DT_SINGLELINE);
    int partial = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 80; ++x) {
        const uint32_t c = dc.rgb(x, y);
        partial += c != 0 && c != 0xFFFFFF;
      }
    if (quality == 3)
      EXPECT_EQ(partial, 0);
    else
      EXPECT_GT(partial, 20);
    DeleteObject(f);
  }
}

TEST(Text, ClippedToTheRectangleUnlessAskedNotTo) {
  MemDC dc(100, 30);
  HFONT f = arial(14);
  SelectObject(dc, f);
  RECT box{10, 5, 30, 25};
  SHIM_DrawText(dc, "Overdrive", -1, &box, DT_SINGLELINE);
  int x0, y0, x1, y1;
  ASSERT_TRUE(dc.inkBox(kWhite, &x0, &y0, &x1, &y1));
  EXPECT_GE(x0, 10);
  EXPECT_LE(x1, 30);
  dc.fill(0xFFFFFFFF);
  SHIM_DrawText(dc, "Overdrive", -1, &box, DT_SINGLELINE | DT_NOCLIP);
  ASSERT_TRUE(dc.inkBox(kWhite, &x0, &y0, &x1, &y1));
  EXPECT_GT(x1, 50);
  DeleteObject(f);
}

TEST(Text, GlyphIndices) {
  MemDC dc(4, 4);
  unsigned short g[3] = {1, 1, 1};
  const wchar_t ok[] = L"Ab\u00e9", missing[] = L"A\U0001F600b";
  EXPECT_EQ(GetGlyphIndicesW(dc, ok, 3, g, 0), 0);  // no font selected
  HFONT f = arial(12);
  SelectObject(dc, f);
  EXPECT_EQ(GetGlyphIndicesW(dc, ok, 3, g, 0), 3);
  EXPECT_NE(g[0], 0);
  EXPECT_NE(g[0], g[1]);
  EXPECT_EQ(GetGlyphIndicesW(dc, missing, 3, g, 1), 0);
  EXPECT_EQ(g[0], 0xFFFF);
  EXPECT_EQ(g[2], 0xFFFF);
  EXPECT_EQ(GetGlyphIndicesW(dc, missing, 3, g, 0), 0);
  EXPECT_EQ(g[1], 0);
  DeleteObject(f);
}

}  // namespace
