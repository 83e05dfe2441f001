// Shapes with pens and brushes, copies between contexts, images, image
// lists, system colours and fonts from files, drawn into memory contexts.

#include <gtest/gtest.h>
#include <limits.h>
#include <string.h>

#include <string>

#include "gdi_test_util.h"
#include "pix.h"
#include "platform/bitmap.h"
#include "temp_dir.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kInk = 0x000000;

struct Tools {
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  ~Tools() {
    DeleteObject(pen);
    DeleteObject(brush);
  }
};

TEST(Shapes, RectangleFillsThenOutlinesWithTheSquarePen) {
  MemDC dc(8, 7);
  Tools t;
  t.pen = CreatePen(0, 1, 0x000000);
  t.brush = CreateSolidBrush(0xFF0000);
  SelectObject(dc, t.brush);
  SelectObject(dc, t.pen);
  EXPECT_TRUE(Rectangle(dc, 1, 1, 5, 4));
  EXPECT_EQ(dc.picture(kWhite, kInk),
            "........\n"
            ".#####..\n"
            ".#+++#..\n"
            ".#+++#..\n"
            ".#####..\n"
            "........\n"
            "........\n");
  EXPECT_EQ(dc.rgb(2, 2), 0xFF0000u);
  // A 2-wide pen: the band runs from each edge to edge + 2.
  dc.fill(0xFFFFFFFF);
  HPEN wide = CreatePen(0, 2, 0);
  SelectObject(dc, wide);
  SelectObject(dc, (HGDIOBJ)(intptr_t)2);
  Rectangle(dc, 1, 1, 5, 4);
  EXPECT_EQ(dc.picture(kWhite, kInk),
            "........\n"
            ".######.\n"
            ".######.\n"
            ".##..##.\n"
            ".######.\n"
            ".######.\n"
            "........\n");
  DeleteObject(wide);
}

TEST(Shapes, StockPenOnlyFillsAndNothingSelectedDrawsNothing) {
  MemDC dc(6, 6);
  Tools t;
  t.brush = CreateSolidBrush(0x000000);
  SelectObject(dc, GetStockObject(SHIM_STOCK_NULL_PEN));
  SelectObject(dc, t.brush);
  Rectangle(dc, 1, 1, 4, 4);
  EXPECT_EQ(dc.countNot(kWhite), 9);
  dc.fill(0xFFFFFFFF);
  SelectObject(dc, GetStockObject(SHIM_STOCK_NULL_BRUSH));
  Rectangle(dc, 1, 1, 4, 4);
  POINT tri[3] = {{0, 0}, {5, 0}, {0, 5}};
  SHIM_Polygon(dc, tri, 3);
  EXPECT_EQ(dc.countNot(kWhite), 0);
  // The brush given to SHIM_FillRect counts, the selected one does not.
  RECT r{0, 0, 2, 2};
  SHIM_FillRect(dc, &r, (HBRUSH)(intptr_t)2);
  SHIM_FillRect(dc, &r, GetStockObject(SHIM_STOCK_NULL_BRUSH));
  EXPECT_EQ(dc.countNot(kWhite), 0);
  SHIM_FillRect(dc, &r, t.brush);
  EXPECT_EQ(dc.countNot(kWhite), 4);
}

TEST(Shapes, PolygonsFillByPixelCentres) {
  MemDC dc(10, 10);
  Tools t;
  t.brush = CreateSolidBrush(0);
  SelectObject(dc, t.brush);
  POINT one[1] = {{3, 3}};
  SHIM_Polygon(dc, one, 1);
  EXPECT_EQ(dc.countNot(kWhite), 0);
  POINT square[4] = {{2, 2}, {6, 2}, {6, 5}, {2, 5}};
  SHIM_Polygon(dc, square, 4);
  EXPECT_EQ(dc.countNot(kWhite), 4 * 3);
  int x0, y0, x1, y1;
  dc.inkBox(kWhite, &x0, &y0, &x1, &y1);
  EXPECT_EQ(x0, 2);
  EXPECT_EQ(y1, 5);
  // A concave shape keeps its notch.
  dc.fill(0xFFFFFFFF);
  POINT notch[6] = {{0, 0}, {9, 0}, {9, 9}, {6, 9}, {6, 3}, {0, 3}};
  SHIM_Polygon(dc, notch, 6);
  EXPECT_EQ(dc.rgb(1, 1), kInk);
  EXPECT_EQ(dc.rgb(1, 6), kWhite);
  EXPECT_EQ(dc.rgb(7, 6), kInk);
  EXPECT_EQ(dc.countNot(kWhite), 9 * 3 + 3 * 6);
}

TEST(Shapes, RoundRectCutsItsCornersStraight) {
  MemDC dc(12, 12);
  Tools t;
  t.brush = CreateSolidBrush(0);
  SelectObject(dc, t.brush);
  EXPECT_TRUE(RoundRect(dc, 0, 0, 10, 10, 4, 4));
  EXPECT_EQ(dc.rgb(0, 0), kWhite);
  EXPECT_EQ(dc.rgb(9, 9), kWhite);
  EXPECT_EQ(dc.rgb(5, 5), kInk);
  EXPECT_EQ(dc.rgb(2, 0), kInk);
  EXPECT_EQ(dc.rgb(0, 2), kInk);
}

TEST(Shapes, LinesFollowThePenFromTheCurrentPosition) {
  MemDC dc(10, 6);
  Tools t;
  EXPECT_FALSE(SHIM_LineTo(dc, 5, 5));  // no pen: nothing, position kept
  t.pen = CreatePen(0, 0, 0);
  SelectObject(dc, t.pen);
  MoveToEx(dc, 1, 1, nullptr);
  EXPECT_TRUE(SHIM_LineTo(dc, 6, 1));
  EXPECT_TRUE(SHIM_LineTo(dc, 6, 4));
  EXPECT_EQ(dc.picture(kWhite, kInk),
            "..........\n"
            ".######...\n"
            "......#...\n"
            "......#...\n"
            "......#...\n"
            "..........\n");
  POINT p;
  MoveToEx(dc, 0, 0, &p);
  EXPECT_EQ(p.x, 6);
  EXPECT_EQ(p.y, 4);
  // Width 3 on a diagonal: the pen square dragged along.
  dc.fill(0xFFFFFFFF);
  HPEN wide = CreatePen(0, 3, 0);
  SelectObject(dc, wide);
  MoveToEx(dc, 1, 0, nullptr);
  SHIM_LineTo(dc, 3, 2);
  EXPECT_EQ(dc.picture(kWhite, kInk),
            ".###......\n"
            ".####.....\n"
            ".#####....\n"
            "..####....\n"
            "...###....\n"
            "..........\n");
  DeleteObject(wide);
}

TEST(Shapes, PolyPolylineCounts) {
  MemDC dc(8, 4);
  Tools t;
  t.pen = CreatePen(0, 1, 0);
  SelectObject(dc, t.pen);
  // Lines of 2 points, then a skipped single point, then 0, then 3 points.
  POINT pts[6] = {{0, 0}, {3, 0}, {7, 3}, {0, 2}, {2, 2}, {2, 3}};
  DWORD counts[4] = {2, 1, 0, 3};
  EXPECT_TRUE(PolyPolyline(dc, pts, counts, 4));
  EXPECT_EQ(dc.picture(kWhite, kInk),
            "####....\n"
            "........\n"
            "###.....\n"
            "..#.....\n");
  EXPECT_FALSE(PolyPolyline(dc, pts, counts, 0));
}

TEST(Shapes, BezierEndsAtItsLastPointAndStaysInItsHull) {
  MemDC dc(40, 40);
  Tools t;
  t.pen = CreatePen(0, 1, 0);
  SelectObject(dc, t.pen);
  MoveToEx(dc, 2, 30, nullptr);
  POINT pts[3] = {{10, 2}, {30, 2}, {37, 30}};
  EXPECT_FALSE(PolyBezierTo(dc, pts, 2));
  EXPECT_TRUE(PolyBezierTo(dc, pts, 3));
  EXPECT_EQ(dc.rgb(2, 30), kInk);
  EXPECT_EQ(dc.rgb(37, 30), kInk);
  int x0, y0, x1, y1;
  dc.inkBox(kWhite, &x0, &y0, &x1, &y1);
  EXPECT_EQ(y0, 9);  // the curve's top: 30 - 28 * 3/4
  EXPECT_EQ(y1, 31);
  POINT p;
  MoveToEx(dc, 0, 0, &p);
  EXPECT_EQ(p.x, 37);
  EXPECT_EQ(p.y, 30);
}

TEST(Shapes, EllipseAndPixel) {
  MemDC dc(20, 20);
  Tools t;
  t.brush = CreateSolidBrush(0);
  SelectObject(dc, t.brush);
  EXPECT_TRUE(Ellipse(dc, 0, 0, 20, 10));
  EXPECT_EQ(dc.rgb(10, 5), kInk);
  EXPECT_EQ(dc.rgb(0, 0), kWhite);
  EXPECT_EQ(dc.rgb(10, 15), kWhite);
  SHIM_SetPixel(dc, 3, 17, 0x00FF00);
  EXPECT_EQ(dc.rgb(3, 17), 0x00FF00u);
  EXPECT_EQ(dc.rgb(4, 17), kWhite);
  EXPECT_EQ(dc.rgb(3, 16), kWhite);
}

TEST(Copies, StretchBltCutsTheSourceAndScalesTheRest) {
  // Source columns k hold the colour k.
  MemDC src(10, 10), dst(40, 12);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) src.bits()[y * 10 + x] = 0xFF000000u | uint32_t(x + 1);
  // sx = -5, sw = 10, w = 20: columns 0..4 at x + 10, 10 pixels wide.
  StretchBlt(dst, 2, 1, 20, 10, src, -5, 0, 10, 10, 0);
  for (int x = 0; x < 40; ++x) {
    uint32_t want = x >= 12 && x < 22 ? uint32_t((x - 12) / 2 + 1) : kWhite;
    EXPECT_EQ(dst.rgb(x, 5), want) << x;
  }
  EXPECT_EQ(dst.at(12, 5) >> 24, 0xFFu);
  // Nothing for a source that is not a memory context or an empty width.
  dst.fill(0xFFFFFFFF);
  HDC scratch = SHIM_CreateGfxContext(nullptr);
  StretchBlt(dst, 0, 0, 10, 10, scratch, 0, 0, 10, 10, 0);
  StretchBlt(dst, 0, 0, 10, 10, src, 0, 0, 0, 10, 0);
  StretchBlt(dst, 0, 0, 10, 10, src, 20, 0, 10, 10, 0);
  EXPECT_EQ(dst.countNot(kWhite), 0);
  SHIM_DeleteGfxContext(scratch);
}

TEST(Copies, BitBltCopiesOpaquelyOrBlendsByAlpha) {
  MemDC src(4, 1), dst(4, 1);
  src.bits()[0] = 0x00FF0000;  // transparent red
  src.bits()[1] = 0x80FF0000;  // half red
  src.bits()[2] = 0xFFFF0000;
  src.bits()[3] = 0xFF00FF00;
  BitBlt(dst, 0, 0, 4, 1, src, 0, 0, 0);
  EXPECT_EQ(dst.at(0, 0), 0xFFFF0000u);  // alpha ignored, opaque
  EXPECT_EQ(dst.at(1, 0), 0xFFFF0000u);
  dst.fill(0xFFFFFFFF);
  BitBlt(dst, 0, 0, 4, 1, src, 0, 0, SHIM_BLT_ALPHA);
  EXPECT_EQ(dst.rgb(0, 0), kWhite);
  const uint32_t half = dst.rgb(1, 0);
  EXPECT_EQ(half >> 16, 0xFFu);
  EXPECT_NEAR(int(half & 0xFF), 127, 2);
  EXPECT_EQ(dst.rgb(2, 0), 0xFF0000u);
  EXPECT_EQ(dst.rgb(3, 0), 0x00FF00u);
}

TEST(Images, CreateBitmapGetObjectAndDrawing) {
  const unsigned char bits[2 * 2 * 4] = {
      0x00, 0x00, 0xFF, 0xFF,  0x00, 0xFF, 0x00, 0x00,  // red opaque, green transparent
      0xFF, 0x00, 0x00, 0xFF,  0x00, 0x00, 0x00, 0x80,  // blue, half black
  };
  HBITMAP img = CreateBitmap(2, 2, 1, 32, bits);
  ASSERT_NE(img, nullptr);
  BITMAP bm;
  memset(&bm, 0xAB, sizeof bm);
  EXPECT_EQ(GetObject(img, sizeof bm, &bm), 1);
  EXPECT_EQ(bm.bmWidth, 2);
  EXPECT_EQ(bm.bmHeight, 2);
  EXPECT_EQ(bm.bmWidthBytes, 8);
  EXPECT_EQ(bm.bmPlanes, 1);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmBits, nullptr);
  memset(&bm, 0xAB, sizeof bm);
  EXPECT_EQ(GetObject(img, 8, &bm), 1);
  EXPECT_EQ(bm.bmWidthBytes, (LONG)0xABABABAB);
  EXPECT_EQ(GetObject(img, 7, &bm), 0);
  HPEN pen = CreatePen(0, 1, 0);
  EXPECT_EQ(GetObject(pen, sizeof bm, &bm), 0);
  DeleteObject(pen);

  PIX_IBitmap* raster = (PIX_IBitmap*)GetNSImageFromHICON(img);
  ASSERT_NE(raster, nullptr);
  EXPECT_EQ(PIX_GetPixel(raster, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(PIX_GetPixel(raster, 1, 1), 0x80000000u);
  HBITMAP opaque = CreateBitmap(2, 2, 1, 24, bits);
  EXPECT_EQ(PIX_GetPixel((PIX_IBitmap*)GetNSImageFromHICON(opaque), 1, 0), 0xFF00FF00u);

  // Scaled 2x into a rectangle, blended by alpha.
  MemDC dc(6, 6);
  RECT r{1, 1, 5, 5};
  DrawImageInRect(dc, img, &r);
  EXPECT_EQ(dc.rgb(1, 1), 0xFF0000u);
  EXPECT_EQ(dc.rgb(2, 2), 0xFF0000u);
  EXPECT_EQ(dc.rgb(3, 1), kWhite);  // transparent green
  EXPECT_EQ(dc.rgb(1, 3), 0x0000FFu);
  EXPECT_NEAR(int(dc.rgb(4, 4) & 0xFF), 127, 2);
  EXPECT_EQ(dc.rgb(0, 0), kWhite);
  EXPECT_EQ(dc.rgb(5, 5), kWhite);

  ICONINFO ii{TRUE, 0, 0, nullptr, img};
  HICON icon = CreateIconIndirect(&ii);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(GetNSImageFromHICON(icon), (void*)raster);  // shared
  ii.fIcon = FALSE;
  EXPECT_EQ(CreateIconIndirect(&ii), nullptr);
  DeleteObject(img);
  EXPECT_EQ(PIX_GetPixel((PIX_IBitmap*)GetNSImageFromHICON(icon), 0, 0), 0xFFFF0000u);
  DeleteObject(icon);
  DeleteObject(opaque);
  EXPECT_EQ(CreateBitmap(0, 3, 1, 32, nullptr), nullptr);
}

// A rectangle wider and taller than the int range, centred on the context:
// the visible part is the middle of the image.
TEST(Images, DrawImageInRectBeyondTheIntRange) {
  unsigned char bits[3 * 3 * 4];
  for (int i = 0; i < 9; ++i) {
    const unsigned char px[4] = {0x00, 0x00, 0xFF, 0xFF};  // red
    memcpy(bits + i * 4, px, 4);
  }
  bits[4 * 4 + 1] = 0xFF;  // the centre pixel green
  bits[4 * 4 + 2] = 0x00;
  HBITMAP img = CreateBitmap(3, 3, 1, 32, bits);
  ASSERT_NE(img, nullptr);
  MemDC dc(6, 4);
  RECT r{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  DrawImageInRect(dc, img, &r);
  EXPECT_EQ(dc.picture(kWhite, 0x00FF00),
            "######\n"
            "######\n"
            "######\n"
            "######\n");
  DeleteObject(img);
}

TEST(Images, LoadNamedImageKeysMagenta) {
  TempDir dir;
  plat::Bitmap keyed(3, 1), plain(3, 1);
  keyed.row(0)[0] = 0xFFFF00FF;
  keyed.row(0)[1] = 0xFF123456;
  keyed.row(0)[2] = 0xFFFF00FF;
  plain.row(0)[0] = 0xFF010203;
  plain.row(0)[1] = 0x80FF00FE;
  plain.row(0)[2] = 0xFFFFFFFF;
  ASSERT_TRUE(keyed.savePNG(dir.path("keyed.png")));
  ASSERT_TRUE(plain.savePNG(dir.path("plain.png")));
  auto pixels = [](HBITMAP h) {
    PIX_IBitmap* b = (PIX_IBitmap*)GetNSImageFromHICON(h);
    std::string s;
    for (int x = 0; x < b->getWidth(); ++x) s += std::to_string(PIX_GetPixel(b, x, 0)) + " ";
    return s;
  };
  HBITMAP k = LoadNamedImage(dir.path("keyed.png").c_str(), true);
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(pixels(k), "0 " + std::to_string(0xFF123456u) + " 0 ");
  HBITMAP kept = LoadNamedImage(dir.path("keyed.png").c_str(), false);
  EXPECT_EQ(pixels(kept), std::to_string(0xFFFF00FFu) + " " + std::to_string(0xFF123456u) + " " +
                              std::to_string(0xFFFF00FFu) + " ");
  HBITMAP p = LoadNamedImage(dir.path("plain.png").c_str(), true);
  EXPECT_EQ(pixels(p), std::to_string(0xFF010203u) + " " + std::to_string(0x80FF00FEu) + " " +
                           std::to_string(0xFFFFFFFFu) + " ");
  EXPECT_EQ(LoadNamedImage(dir.path("missing.png").c_str(), true), nullptr);
  EXPECT_EQ(LoadNamedImage("no-such-resource.png", false), nullptr);
  for (HBITMAP h : {k, kept, p}) DeleteObject(h);
}

TEST(Images, ImageListsKeepTheirSlots) {
  HIMAGELIST list = ImageList_CreateEx();
  HBITMAP img = CreateBitmap(2, 2, 1, 32, nullptr);
  EXPECT_EQ(ImageList_Add(list, img, nullptr), 0);
  EXPECT_EQ(ImageList_Add(list, img, nullptr), 1);
  EXPECT_EQ(ImageList_Add(list, img, nullptr), 2);
  EXPECT_EQ(ImageList_Add(nullptr, img, nullptr), -1);
  EXPECT_EQ(ImageList_Add(list, (HBITMAP)(intptr_t)4, nullptr), -1);
  EXPECT_NE(SHIM_ImageList_GetImage(list, 0), img);  // a copy
  EXPECT_TRUE(ImageList_Remove(list, 0));
  EXPECT_EQ(ImageList_GetImageCount(list), 3);
  EXPECT_EQ(SHIM_ImageList_GetImage(list, 0), nullptr);
  EXPECT_FALSE(ImageList_Remove(list, 3));
  // Replacing shares the icon's pixels; past the end appends.
  EXPECT_EQ(ImageList_ReplaceIcon(list, 1, img), 1);
  EXPECT_EQ(GetNSImageFromHICON(SHIM_ImageList_GetImage(list, 1)), GetNSImageFromHICON(img));
  EXPECT_EQ(ImageList_ReplaceIcon(list, 9, img), 3);
  EXPECT_EQ(ImageList_GetImageCount(list), 4);
  EXPECT_TRUE(ImageList_Remove(list, -1));
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  ImageList_Add(list, img, nullptr);
  ImageList_Destroy(list);
  DeleteObject(img);
}

TEST(SysColors, TableAndOutside) {
  const int want[10] = {0x606060, 0xE0E0E0, 0xC0C0C0, 0x000000, 0xC0C0C0,
                        0x202020, 0x303030, 0xC0C0C0, 0xFFF0C8, 0x000000};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(GetSysColor(i), want[i]) << i;
  EXPECT_EQ(GetSysColor(10), 0);
  EXPECT_EQ(GetSysColor(-1), 0);
}

TEST(FontFiles, AFamilyFromAFileDraws) {
  const std::string path = std::string(HB_TEST_DATA_DIR) + "/squares.ttf";
  MemDC dc(60, 30);
  HFONT before = CreateFont(20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Harshbloom Test Squares B");
  EXPECT_EQ(AddFontResourceEx(path.c_str(), SHIM_FONT_FOR_PROCESS, nullptr), 1);
  EXPECT_EQ(AddFontResourceEx((std::string(HB_TEST_DATA_DIR) + "/missing.ttf").c_str(),
                              SHIM_FONT_FOR_PROCESS, nullptr), 0);
  EXPECT_EQ(AddFontResourceEx(nullptr, SHIM_FONT_FOR_PROCESS, nullptr), 0);
  HFONT f = CreateFont(20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Harshbloom Test Squares");
  SelectObject(dc, f);
  char name[64];
  GetTextFace(dc, sizeof name, name);
  EXPECT_STREQ(name, "Harshbloom Test Squares");
  // 'A' is a filled square of 0.6 x 0.7 em, its left edge 0.1 em in.
  RECT r{10, 2, 60, 30};
  SHIM_DrawText(dc, "A", -1, &r, DT_SINGLELINE);
  int x0, y0, x1, y1;
  ASSERT_TRUE(dc.inkBox(kWhite, &x0, &y0, &x1, &y1));
  EXPECT_NEAR(x0, 12, 1);
  EXPECT_NEAR(x1 - x0, 12, 1);
  EXPECT_NEAR(y1 - y0, 14, 1);
  EXPECT_EQ(dc.rgb((x0 + x1) / 2, (y0 + y1) / 2), kInk);
  RECT m{0, 0, 0, 0};
  SHIM_DrawText(dc, "AB", -1, &m, DT_CALCRECT);
  EXPECT_EQ(m.right, 32);  // two advances of 0.8 em
  DeleteObject(f);
  DeleteObject(before);
}

}  // namespace
