// Fonts, measurement, line breaking and text drawing.

#include <gtest/gtest.h>

#include <string>

#include "platform/bitmap.h"
#include "platform/draw_context.h"
#include "platform/text.h"

namespace {

using plat::Font;

// The bounding box of pixels that differ from the background.
plat::Rect inkBox(const plat::Bitmap& bm, uint32_t bg) {
  int x0 = bm.width(), y0 = bm.height(), x1 = -1, y1 = -1;
  for (int y = 0; y < bm.height(); ++y)
    for (int x = 0; x < bm.width(); ++x)
      if (bm.pixel(x, y) != bg) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
  if (x1 < 0) return {};
  return {double(x0), double(y0), double(x1 - x0 + 1), double(y1 - y0 + 1)};
}

TEST(Text, FamiliesTheProgramNamesMapToInstalledFonts) {
  struct Case {
    const char* asked;
    const char* family;
  } cases[] = {
      {"Helvetica", "Liberation Sans"}, {"Arial", "Liberation Sans"},
      {"helvetica", "Liberation Sans"}, {"Monaco", "DejaVu Sans Mono"},
      {"Courier", "Liberation Mono"},   {"Courier New", "Liberation Mono"},
  };
  for (const Case& c : cases) {
    Font f(c.asked, 12);
    ASSERT_TRUE(f.isValid()) << c.asked;
    EXPECT_EQ(f.resolvedFamily(), c.family) << c.asked;
  }
  Font bold("Arial", 12, plat::kWeightBold);
  EXPECT_NE(bold.filePath(), Font("Arial", 12).filePath());
  EXPECT_GT(bold.width("Harshbloom"), Font("Arial", 12).width("Harshbloom"));
}

TEST(Text, MeasuresWithTheFontsOwnAdvances) {
  Font mono = Font::monospace(12), sans = Font::system(12);
  EXPECT_DOUBLE_EQ(mono.width("iiii"), mono.width("MMMM"));
  EXPECT_LT(sans.width("iiii"), sans.width("MMMM"));
  EXPECT_EQ(sans.width(""), 0.0);
  // Liberation Sans keeps Arial's widths: "H" is 0.722 em wide.
  EXPECT_NEAR(Font("Arial", 100).width("H"), 72.2, 1.0);
  plat::FontMetrics m = sans.metrics();
  EXPECT_GT(m.ascent, 8);
  EXPECT_GT(m.descent, 1);
  EXPECT_GE(m.lineHeight, m.ascent + m.descent - 0.01);
  // Bigger type measures bigger.
  EXPECT_NEAR(Font::system(24).width("Harshbloom"), 2 * sans.width("Harshbloom"), 2.0);
}

TEST(Text, CaretOffsetsAndHitsFollowCharactersNotBytes) {
  Font f = Font::system(13);
  std::string s = "a\xC3\xA9z";  // a, e acute (two bytes), z
  std::vector<double> offs = f.caretOffsets(s);
  ASSERT_EQ(offs.size(), s.size() + 1);
  EXPECT_EQ(offs[1], offs[2]);  // both bytes of the e start at one place
  EXPECT_LT(offs[2], offs[3]);
  EXPECT_EQ(offs.back(), f.width(s));
  EXPECT_EQ(f.indexAt(s, -5), 0u);
  EXPECT_EQ(f.indexAt(s, offs[3] + 0.4), 3u);
  EXPECT_EQ(f.indexAt(s, 1000), s.size());
  EXPECT_NE(f.indexAt(s, offs[1] + 0.1), 2u);  // never inside the e
  EXPECT_EQ(plat::utf8Prefix(s, 2), 1u);
  EXPECT_EQ(plat::utf8Prefix(s, 3), 3u);
  // Bytes that are no UTF-8 stand for themselves.
  std::vector<plat::CodePoint> cps = plat::decodeUtf8("\xE9x");
  ASSERT_EQ(cps.size(), 2u);
  EXPECT_EQ(cps[0].cp, 0xE9u);
}

TEST(Text, BreaksLinesAtSpacesAndCutsLongWords) {
  Font f = Font::monospace(10);
  double cw = f.width("x");
  std::vector<std::string> lines = plat::wrapText(f, "aaa bbb ccc", cw * 7.5);
  EXPECT_EQ(lines, (std::vector<std::string>{"aaa bbb", "ccc"}));
  lines = plat::wrapText(f, "abcdefghij", cw * 4.5);
  EXPECT_EQ(lines, (std::vector<std::string>{"abcd", "efgh", "ij"}));
  lines = plat::wrapText(f, "one\ntwo three", 0);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two three"}));
  std::vector<plat::LineRange> r = plat::breakLines(f, "aaa bbb", cw * 5);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].end, 4u);  // the space stays with the first line
  EXPECT_EQ(r[1].start, 4u);
  EXPECT_EQ(plat::truncateText(f, "abcdefghij", cw * 6), "abc...");
  EXPECT_EQ(plat::truncateText(f, "abc", cw * 6), "abc");
  plat::Size sz = plat::measureText(f, "aaa bbb ccc", cw * 7.5);
  EXPECT_DOUBLE_EQ(sz.h, 2 * f.lineHeight());
  EXPECT_DOUBLE_EQ(sz.w, 7 * cw);
}

TEST(Text, DrawsUprightInTheColourAndInsideTheClip) {
  Font f = Font::system(20);
  for (int ySign : {1, -1}) {
    plat::Bitmap bm(120, 40, 0xFFFFFFFF);
    plat::DrawContext ctx(&bm);
    // A flipped context (y down) and one with y up and its origin at the
    // bottom both put the baseline 30 pixels down.
    ctx.setTransform({0, ySign > 0 ? 0.0 : 40.0, ySign});
    plat::drawText(ctx, f, "HH", {10, ySign > 0 ? 30.0 : 10.0}, 0xFFFF0000);
    plat::Rect box = inkBox(bm, 0xFFFFFFFF);
    EXPECT_NEAR(box.maxY(), 30, 1) << ySign;          // sits on the baseline
    EXPECT_NEAR(box.h, f.ascent() * 0.72, 3) << ySign;  // cap height
    EXPECT_NEAR(box.x, 11, 2) << ySign;
    // Solid stems are the colour itself.
    bool sawRed = false;
    for (int x = 0; x < 120; ++x) sawRed |= bm.pixel(x, 25) == 0xFFFF0000;
    EXPECT_TRUE(sawRed);
  }
  plat::Bitmap bm(120, 40, 0xFFFFFFFF);
  plat::DrawContext ctx(&bm);
  ctx.clipTo({0, 0, 20, 40});
  plat::drawText(ctx, f, "HHHH", {10, 30}, 0xFF000000);
  EXPECT_LE(inkBox(bm, 0xFFFFFFFF).maxX(), 20);
}

TEST(Text, BoxLayoutAlignsAndCentres) {
  Font f = Font::monospace(12);
  plat::Bitmap bm(200, 60, 0xFFFFFFFF);
  plat::DrawContext ctx(&bm);
  plat::TextBoxStyle s;
  s.align = plat::TextAlign::Right;
  s.centerVertically = true;
  plat::drawTextInRect(ctx, f, "ab", {0, 0, 200, 60}, 0xFF000000, s);
  plat::Rect box = inkBox(bm, 0xFFFFFFFF);
  EXPECT_GT(box.x, 200 - f.width("ab") - 2);
  EXPECT_LE(box.maxX(), 200);
  EXPECT_NEAR(box.y + box.h / 2, 30, 5);
  // An invalid font draws nothing and still measures.
  Font none;
  EXPECT_FALSE(none.isValid());
  EXPECT_EQ(none.width("abcd"), 4 * 6.0);
  plat::Bitmap blank(50, 20, 0xFFFFFFFF);
  plat::DrawContext c2(&blank);
  plat::drawText(c2, none, "abcd", {0, 15}, 0xFF000000);
  EXPECT_TRUE(inkBox(blank, 0xFFFFFFFF).isEmpty());
}

}  // namespace
