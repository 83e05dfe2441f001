// Images by id through the process-wide cache, loading from the program's
// resources, missing images, bitmap drawing and clipping, bitmap fonts, and
// text styles with their cached fonts.

#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "editor_fixture.h"
#include "pix_font.h"
#include "temp_dir.h"

namespace {

class Images : public EditorTest {
protected:
  void SetUp() override {
    EditorTest::SetUp();
    g = Attach(MakeEditor(120, 80));
    IRECT all(0, 0, 120, 80);
    // Draw calls clip to the drawing rectangle: the whole editor here.
    g->AttachPanelBackground(&COLOR_BLACK);
    g->Draw(&all);
  }
  TestEditor* g = nullptr;
};

TEST_F(Images, EachIdIsLoadedOncePerProcess) {
  IBitmap a = g->LoadIBitmap(500, "resources/img/knob.png", 4);
  IBitmap b = g->LoadIBitmap(500, "resources/img/other/name.png", 2);
  TestEditor other(plug.get(), 10, 10);
  IBitmap c = other.LoadIBitmap(500, "knob.png", 1);
  EXPECT_EQ(g->loads["resources/img/knob.png"], 1);
  EXPECT_EQ(g->loads.size(), 1u);  // the later names are never looked at
  EXPECT_TRUE(other.loads.empty());
  ASSERT_NE(a.mData, nullptr);
  EXPECT_EQ(a.mData, b.mData);
  EXPECT_EQ(a.mData, c.mData);
  EXPECT_EQ(a.W, 16);
  EXPECT_EQ(a.H, 64);
  // The frame count is each call's own.
  EXPECT_EQ(a.N, 4);
  EXPECT_EQ(b.N, 2);
  EXPECT_EQ(b.FrameHeight(), 32);
}

TEST(ResourceImages, FoundByFileNameAmongTheProgramsResources) {
  PIX_SetResourceDir(HB_TEST_DATA_DIR "/img");
  struct Case {
    const char* name;
    bool found;
  } cases[] = {
      {"knob.png", true},
      {"resources/img/buttons/knob.png", true},  // folders dropped
      {"deep/er/knob.PNG", true},                // the type in any case
      {"knob.jpg", false},
      {"knob", false},
      {".png", false},
      {"resources/img/absent.png", false},
      {"broken.png", false},  // not a PNG inside
      {nullptr, false},
  };
  for (const Case& k : cases) {
    PIX_IBitmap* b = IFxLoadResourcePNG(k.name);
    EXPECT_EQ(b != nullptr, k.found) << (k.name ? k.name : "(null)");
    delete b;
  }
  PIX_SetResourceDir(nullptr);
}

// Artwork kept in folders by kind is still found by its file name alone.
TEST(ResourceImages, FoundInFoldersBelowTheResourceFolder) {
  TempDir dir;
  const std::string knob = readText(HB_TEST_DATA_DIR "/img/knob.png");      // 16 x 64
  const std::string sw = readText(HB_TEST_DATA_DIR "/img/switch.png");      // 12 x 24
  const std::string radio = readText(HB_TEST_DATA_DIR "/img/radio.png");    // 10 x 20
  std::filesystem::create_directories(dir.path("img/knobs/big"));
  std::filesystem::create_directories(dir.path("img/buttons"));
  std::filesystem::create_directories(dir.path("img/a/twice.png"));  // a folder, not an image
  writeText(dir.path("img/knobs/big/deep.png"), knob);
  // The same name twice as deep: the first in path order; deeper: never.
  writeText(dir.path("img/buttons/twice.png"), sw);
  writeText(dir.path("img/knobs/twice.png"), radio);
  writeText(dir.path("img/knobs/big/twice.png"), knob);
  // Beside the folder itself wins over any subfolder.
  writeText(dir.path("img/top.png"), radio);
  writeText(dir.path("img/knobs/top.png"), knob);
  PIX_SetResourceDir(dir.path("img").c_str());
  struct Case {
    const char* name;
    int width;  // 0: not found
  } cases[] = {
      {"resources/img/knobs/deep.png", 16},
      {"deep.png", 16},
      {"elsewhere/twice.PNG", 12},
      {"top.png", 10},
      {"big", 0},
      {"absent.png", 0},
  };
  for (const Case& k : cases) {
    PIX_IBitmap* b = IFxLoadResourcePNG(k.name);
    EXPECT_EQ(b ? b->getWidth() : 0, k.width) << k.name;
    delete b;
  }
  PIX_SetResourceDir(nullptr);
}

TEST(ResourceImages, TheCurrentDirectoryIsNeverRead) {
  TempDir dir;
  const std::string folder = dir.path("");
  writeText(dir.path("cwd_only.png"), readText(HB_TEST_DATA_DIR "/img/knob.png"));
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(folder.c_str()), 0);
  PIX_SetResourceDir(HB_TEST_DATA_DIR "/img");
  EXPECT_EQ(IFxLoadResourcePNG("cwd_only.png"), nullptr);
  // A relative resource folder would mean the current directory.
  PIX_SetResourceDir("./");
  EXPECT_EQ(IFxLoadResourcePNG("cwd_only.png"), nullptr);
  PIX_SetResourceDir(folder.c_str());  // the same folder named absolutely
  PIX_IBitmap* b = IFxLoadResourcePNG("cwd_only.png");
  EXPECT_NE(b, nullptr);
  delete b;
  PIX_SetResourceDir(nullptr);
  ASSERT_EQ(chdir(old), 0);
}

TEST_F(Images, AMissingImageIsReportedOnceAndHasNoZeroSize) {
  testing::internal::CaptureStderr();
  IBitmap a = g->LoadIBitmap(501, "resources/img/missing.png", 4);
  IBitmap b = g->LoadIBitmap(501, "resources/img/missing.png", 4);
  IBitmap none = g->LoadIBitmap(502, "gone.png", 0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.find("missing.png"), err.rfind("missing.png"));
  EXPECT_NE(err.find("missing.png"), std::string::npos);
  EXPECT_NE(err.find("gone.png"), std::string::npos);
  EXPECT_EQ(g->loads["resources/img/missing.png"], 1);
  EXPECT_EQ(a.mData, nullptr);
  EXPECT_EQ(b.mData, nullptr);
  EXPECT_EQ(a.W, 1);
  EXPECT_EQ(a.FrameHeight(), 1);
  EXPECT_EQ(none.FrameWidth(), 1);
  EXPECT_EQ(none.FrameHeight(), 1);

  // Controls built from it get a usable size and draw nothing.
  IKnobMultiControl* knob = new IKnobMultiControl(plug.get(), 5, 5, EditorPlug::kGain, &a);
  IRadioButtonsControl* radio = new IRadioButtonsControl(plug.get(), IRECT(0, 0, 10, 40),
                                                         EditorPlug::kMode, 3, &none);
  g->AttachControl(knob);
  g->AttachControl(radio);
  EXPECT_EQ(*knob->GetRECT(), IRECT(5, 5, 6, 6));
  const unsigned int before = PixelAt(g->GetDrawBitmap(), 5, 5);
  IRECT all(0, 0, 120, 80);
  knob->SetValue(1.0);
  g->Draw(&all);
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 5, 5), before);
  EXPECT_FALSE(g->DrawBitmap(&a, knob->GetRECT(), 2));
}

TEST_F(Images, FramesAreReadFromTheirRowsAndClippedToTheDrawingRectangle) {
  IBitmap knob = g->LoadIBitmap(503, "knob.png", 4);
  // Frame 3 of four stacked 16 x 16 frames starts at source row 32: blue.
  IRECT at(20, 20, 36, 36);
  EXPECT_TRUE(g->DrawBitmap(&knob, &at, 3));
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 28, 28), 0xFF0000FFu);
  // Its transparent corner leaves the black below.
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 20, 20), 0xFF000000u);

  IRECT redraw(0, 0, 44, 44);
  IRECT all(0, 0, 120, 80);
  g->Draw(&redraw);  // the drawing rectangle is now 0, 0, 44, 44
  IRECT half(36, 20, 52, 36);
  EXPECT_TRUE(g->DrawBitmap(&knob, &half, 1));
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 43, 28), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 45, 28), 0xFF000000u);  // clipped
  IRECT outside(60, 60, 76, 76);
  EXPECT_FALSE(g->DrawBitmap(&knob, &outside, 1));
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 68, 68), 0xFF000000u);
  g->Draw(&all);

  // Side by side: frame 2 of the same pixels read as 4 columns of 4 x 64.
  IBitmap columns = knob;
  columns.mFramesAreHorizontal = true;
  IRECT col(80, 0, 84, 64);
  EXPECT_TRUE(g->DrawBitmap(&columns, &col, 2));
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 80, 8), 0xFFFF0000u);  // source column 4 of frame 1
}

TEST_F(Images, CroppedAndRetainedBitmapsLiveInTheCache) {
  IBitmap knob = g->LoadIBitmap(504, "knob.png", 4);
  IRECT part(0, 16, 16, 32);
  IBitmap green = g->CropBitmap(&knob, &part);
  ASSERT_NE(green.mData, nullptr);
  EXPECT_EQ(green.W, 16);
  EXPECT_EQ(green.H, 16);
  EXPECT_EQ(green.N, 4);
  EXPECT_EQ(PixelAt(green.mData, 8, 8), 0xFF00FF00u);
  g->ReleaseBitmap(&green);  // deleted with its entry

  PIX_MemBitmap* made = new PIX_MemBitmap(4, 4, 4);
  IBitmap mine(made, 4, 4, 1);
  g->RetainBitmap(&mine);
  g->ReleaseBitmap(&mine);  // the cache deletes it
  IBitmap never(nullptr, 1, 1);
  g->ReleaseBitmap(&never);
}

const unsigned kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu,
               kYellow = 0xFFFFFF00u, kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;

TEST_F(Images, ScaledImagesKeepTheirQuadrants) {
  IBitmap quad = g->LoadIBitmap(506, "quad.png", 2);
  IBitmap big = g->ScaleBitmap(&quad, 32, 32);
  ASSERT_NE(big.mData, nullptr);
  EXPECT_EQ(big.W, 32);
  EXPECT_EQ(big.N, 2);
  EXPECT_EQ(PixelAt(big.mData, 4, 4), kRed);
  EXPECT_EQ(PixelAt(big.mData, 27, 4), kGreen);
  EXPECT_EQ(PixelAt(big.mData, 27, 27), kYellow);
  EXPECT_EQ(PixelAt(big.mData, 4, 27), kBlue);
  IBitmap none = g->ScaleBitmap(&quad, 0, 10);
  EXPECT_EQ(none.mData, nullptr);
  EXPECT_GE(none.FrameHeight(), 1);
}

TEST_F(Images, RotatingKnobsTurnClockwiseAboutTheirCentre) {
  IBitmap quad = g->LoadIBitmap(507, "quad.png", 1);
  const double pi = 3.14159265358979323846;
  IKnobRotaterControl* knob =
      new IKnobRotaterControl(plug.get(), 20, 20, EditorPlug::kAmount, &quad, -pi / 2, pi / 2);
  g->AttachControl(knob);
  EXPECT_EQ(*knob->GetRECT(), IRECT(20, 20, 36, 36));
  IRECT all(0, 0, 120, 80);
  // The middle of the range is no turn; the end a quarter turn clockwise,
  // which brings the blue quadrant to the top left.
  struct Case {
    double value;
    unsigned topLeft, topRight, bottomRight;
  } cases[] = {{0.5, kRed, kGreen, kYellow}, {1.0, kBlue, kRed, kGreen}, {0.0, kGreen, kYellow, kBlue}};
  for (const Case& k : cases) {
    knob->SetValue(k.value);
    g->Draw(&all);
    EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 23, 23), k.topLeft) << k.value;
    EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 32, 23), k.topRight) << k.value;
    EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 32, 32), k.bottomRight) << k.value;
  }
}

TEST_F(Images, RotatingMasksShowTheBaseWhereTheMaskCovers) {
  IBitmap base = g->LoadIBitmap(508, "quad.png", 1);
  IBitmap mask = g->LoadIBitmap(509, "mask.png", 1);
  IBitmap top = g->LoadIBitmap(510, "top.png", 1);
  IKnobRotatingMaskControl* knob = new IKnobRotatingMaskControl(
      plug.get(), 40, 40, EditorPlug::kAmount, &base, &mask, &top, 0.0, 180.0);
  g->AttachControl(knob);
  EXPECT_EQ(*knob->GetRECT(), IRECT(40, 40, 56, 56));
  IRECT all(0, 0, 120, 80);
  knob->SetValue(0.0);
  g->Draw(&all);
  PIX_IBitmap* b = g->GetDrawBitmap();
  EXPECT_EQ(PixelAt(b, 41, 47), kRed);     // under the mask, left half
  EXPECT_EQ(PixelAt(b, 41, 52), kBlue);
  EXPECT_EQ(PixelAt(b, 43, 43), kWhite);   // the top image's mark
  EXPECT_EQ(PixelAt(b, 52, 44), kBlack);   // no mask: the panel below
  // Half a turn: the mask covers the right half, the mark lies bottom right;
  // the base itself does not turn.
  knob->SetValue(1.0);
  g->Draw(&all);
  EXPECT_EQ(PixelAt(b, 53, 44), kGreen);
  EXPECT_EQ(PixelAt(b, 53, 48), kYellow);
  EXPECT_EQ(PixelAt(b, 52, 52), kWhite);
  EXPECT_EQ(PixelAt(b, 42, 44), kBlack);
  // Drawn only inside the drawing rectangle: the panel below fills its whole
  // rectangle, the knob's right half stays out.
  IRECT left(0, 0, 48, 80);
  g->Draw(&left);
  EXPECT_EQ(PixelAt(b, 53, 44), kBlack);
}

TEST_F(Images, BitmapFontTextDrawsOneFramePerCharacter) {
  IBitmap font = g->LoadIBitmap(505, "font.png", 40);
  const auto colour = [](int k) { return 0xFF000000u | unsigned(6 * k) << 16 | unsigned(255 - 6 * k) << 8 | 128u; };
  IText left(10, &COLOR_WHITE, nullptr, IText::kStyleNormal, IText::kAlignNear);
  IRECT r(0, 0, 40, 4);
  EXPECT_TRUE(IGraphics::DrawBitmapedText(g, &font, &r, &left, nullptr, "AB", false, false, 4, 4, 1));
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 1, 1), colour(34));
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 4, 1), 0xFF000000u);  // the one-pixel gap
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 6, 1), colour(35));

  // Cut to the characters that fit, or wrapped onto further lines.
  IRECT narrow(0, 10, 12, 20);
  IGraphics::DrawBitmapedText(g, &font, &narrow, &left, nullptr, "ABCDE", false, false, 4, 4, 0);
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 9, 11), colour(36));
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 1, 15), 0xFF000000u);
  IRECT wrap(0, 30, 12, 40);
  IGraphics::DrawBitmapedText(g, &font, &wrap, &left, nullptr, "ABCDE", false, true, 4, 4, 0);
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 1, 35), colour(37));
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 5, 35), colour(38));

  // Right aligned and centred vertically in a taller rectangle.
  IText right(10, &COLOR_WHITE, nullptr, IText::kStyleNormal, IText::kAlignFar);
  IRECT box(60, 40, 80, 50);
  IGraphics::DrawBitmapedText(g, &font, &box, &right, nullptr, "A", true, false, 4, 4, 0);
  EXPECT_EQ(PixelAt(g->GetDrawBitmap(), 77, 43), colour(34));
  EXPECT_FALSE(IGraphics::DrawBitmapedText(g, &font, &box, &right, nullptr, "", true, false, 4, 4, 0));
  EXPECT_FALSE(IGraphics::DrawBitmapedText(g, &font, &box, &right, nullptr, "A", true, false, 0, 4, 0));
}

TEST_F(Images, TextStylesShareFontsAcrossColoursAndMeasureByAlignment) {
  IText white(14, &COLOR_WHITE, "Helvetica");
  IText red(14, &COLOR_RED, "Helvetica");
  IText bigger(18, &COLOR_RED, "Helvetica");
  PIX_IFont* f = g->CacheFont(&white);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(white.mCached, f);
  EXPECT_EQ(g->CacheFont(&red), f);
  EXPECT_NE(g->CacheFont(&bigger), f);
  // The font is made again at the size whose lines come out as high as asked.
  EXPECT_NEAR(f->GetLineHeight(), 14, 1);
  EXPECT_NEAR(bigger.mCached->GetLineHeight(), 18, 1);

  const char* text = "Gain 12 dB";
  IText styles[3] = {IText(14, &COLOR_WHITE, "Helvetica", 0, IText::kAlignNear),
                     IText(14, &COLOR_WHITE, "Helvetica", 0, IText::kAlignCenter),
                     IText(14, &COLOR_WHITE, "Helvetica", 0, IText::kAlignFar)};
  IRECT near(10, 10, 100, 30), centre(10, 10, 100, 30), far(10, 10, 100, 30);
  ASSERT_TRUE(g->MeasureIText(&styles[0], text, &near));
  ASSERT_TRUE(g->MeasureIText(&styles[1], text, &centre));
  ASSERT_TRUE(g->MeasureIText(&styles[2], text, &far));
  const int w = near.W();
  EXPECT_GT(w, 20);
  EXPECT_EQ(near.L, 10);
  EXPECT_EQ(far.R, 100);
  EXPECT_EQ(far.W(), w);
  EXPECT_EQ(centre.L, 55 - w / 2);
  EXPECT_EQ(centre.W(), w);
  EXPECT_EQ(near.T, 10);
  EXPECT_EQ(near.B, far.B);
  EXPECT_GE(near.H(), 12);
  // Nothing to draw is no failure.
  EXPECT_TRUE(g->DrawIText(&white, "", &near));
}

// The brightest red channel inside a rectangle of the draw bitmap.
int Brightest(PIX_IBitmap* b, const IRECT& r) {
  int best = 0;
  for (int y = r.T; y < r.B; ++y)
    for (int x = r.L; x < r.R; ++x) best = std::max(best, int((PixelAt(b, x, y) >> 16) & 255));
  return best;
}

TEST_F(Images, TextIsDrawnWithTheColoursAlpha) {
  const IColor half(128, 255, 255, 255);
  IText opaque(16, &COLOR_WHITE, "Helvetica", 0, IText::kAlignNear);
  IText faint(16, &half, "Helvetica", 0, IText::kAlignNear);
  IRECT a(2, 2, 118, 30), b(2, 40, 118, 70);
  ASSERT_TRUE(g->DrawIText(&opaque, "HIIH", &a));
  ASSERT_TRUE(g->DrawIText(&faint, "HIIH", &b));
  // Anti-aliased stems come close to full cover; at alpha 128 they reach
  // about half as far.
  const int full = Brightest(g->GetDrawBitmap(), a);
  const int dim = Brightest(g->GetDrawBitmap(), b);
  EXPECT_GT(full, 230);
  EXPECT_NEAR(dim, full / 2, 8);
}

TEST(TextStyle, FontNamesAreCutAndTerminated) {
  const std::string longName(80, 'F');
  IText t(10, nullptr, longName.c_str());
  EXPECT_EQ(std::string(t.mFont), longName.substr(0, 31));
  IText def;
  EXPECT_STREQ(def.mFont, "Monaco");
  EXPECT_EQ(def.mSize, 10);
  EXPECT_EQ(def.mColor, DEFAULT_TEXT_COLOR);
  EXPECT_EQ(def.mTextEntryBGColor, DEFAULT_TEXT_ENTRY_BGCOLOR);
  EXPECT_EQ(def.mAlign, IText::kAlignCenter);
  EXPECT_EQ(def.mCached, nullptr);
}

}  // namespace
