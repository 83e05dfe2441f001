// Text in the editor's fonts (Arial at 10 to 14 pixels, regular and bold),
// each alignment, clipped and not, the layer's way and the cached way,
// against reference images made once by this test and committed:
//   HB_UPDATE_TEXT_REFERENCES=1 ./pix_font_tests --gtest_filter='FontReference*'
// A pixel may differ by one grey level; a glyph moved by a pixel fails.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "pix.h"
#include "pix_font.h"
#include "platform/bitmap.h"
#include "shim-gdi.h"

namespace {

constexpr int kWidth = 120;
constexpr const char* kText = "Drive 12.5 dB";

struct Row {
  unsigned flags;
  bool clip;
};

// Rows of one image: left, centre, right, each unclipped (as the editor
// draws) and clipped to a box narrower than the text; first the layer's
// way, then the cached way.
const Row kRows[] = {
    {DT_LEFT, false}, {DT_CENTER, false}, {DT_RIGHT, false},
    {DT_LEFT, true},  {DT_CENTER, true},  {DT_RIGHT, true},
};

std::string referencePath(int size, bool bold) {
  return std::string(HB_TEST_DATA_DIR) + "/text/arial" + std::to_string(size) +
         (bold ? "b" : "") + ".png";
}

// Draws every row of one font into a white system bitmap.
PIX_SysBitmap* render(int size, bool bold) {
  PIX_CachedFont font;
  font.SetFromHFont(CreateFont(size, 0, 0, 0, bold ? 700 : 400, 0, 0, 0, 0, 0, 0, 4, 0, "Arial"),
                    PIX_FONT_OWNS_HFONT | PIX_FONT_NATIVE);
  const int lh = font.GetLineHeight();
  const int rows = 2 * int(sizeof kRows / sizeof kRows[0]);
  PIX_SysBitmap* b = new PIX_SysBitmap(kWidth, rows * (lh + 2));
  PIX_Clear(b, 0xFFFFFFFF);
  font.SetTextColor(0xFF000000);
  int y = 0;
  for (int way = 0; way < 2; ++way)
    for (const Row& row : kRows) {
      RECT r = row.clip ? RECT{30, y, 90, y + lh} : RECT{4, y, kWidth - 4, y + lh};
      unsigned flags = row.flags | (row.clip ? 0u : unsigned(DT_NOCLIP));
      if (way == 1) flags |= PIX_DT_USEFGALPHA;  // the cached way
      font.DrawText(b, kText, -1, &r, flags);
      y += lh + 2;
    }
  return b;
}

void savePNG(PIX_IBitmap* b, const std::string& path) {
  plat::Bitmap out(b->getWidth(), b->getHeight());
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x) out.row(y)[x] = PIX_GetPixel(b, x, y) | 0xFF000000u;
  ASSERT_TRUE(out.savePNG(path)) << path;
}

class FontReference : public ::testing::TestWithParam<std::pair<int, bool>> {};

TEST_P(FontReference, MatchesTheCommittedImage) {
  const int size = GetParam().first;
  const bool bold = GetParam().second;
  PIX_SysBitmap* got = render(size, bold);
  const std::string path = referencePath(size, bold);
  if (getenv("HB_UPDATE_TEXT_REFERENCES")) {
    savePNG(got, path);
    delete got;
    return;
  }
  PIX_IBitmap* want = PIX_LoadPNG(path.c_str(), nullptr);
  ASSERT_NE(want, nullptr) << "missing reference " << path;
  ASSERT_EQ(want->getWidth(), got->getWidth());
  ASSERT_EQ(want->getHeight(), got->getHeight());
  int bad = 0;
  std::string first;
  for (int y = 0; y < got->getHeight(); ++y)
    for (int x = 0; x < got->getWidth(); ++x) {
      const uint32_t a = PIX_GetPixel(got, x, y), b = PIX_GetPixel(want, x, y);
      for (int sh = 0; sh < 24; sh += 8) {
        const int d = int((a >> sh) & 255) - int((b >> sh) & 255);
        if (d > 1 || d < -1) {
          if (!bad++) first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
          break;
        }
      }
    }
  if (bad) savePNG(got, ::testing::TempDir() + "/text-" + std::to_string(size) + ".png");
  EXPECT_EQ(bad, 0) << bad << " pixels differ, first at " << first;
  delete want;
  delete got;
}

INSTANTIATE_TEST_SUITE_P(EditorFonts, FontReference,
                         ::testing::Values(std::make_pair(10, false), std::make_pair(11, false),
                                           std::make_pair(12, false), std::make_pair(13, false),
                                           std::make_pair(14, false), std::make_pair(12, true),
                                           std::make_pair(14, true)));

}  // namespace
