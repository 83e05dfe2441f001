// Image files: PNG written by the bitmap and read back, alone and inside
// icon and cursor files, and the files that must be refused.

#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/image_file.h"
#include "temp_dir.h"

using namespace plat;

namespace {

// Images larger than this on either side are refused.
constexpr int kSideLimit = 16384;

// An odd width, so rows padded to a multiple of pixels would show, and every
// kind of alpha (a fully transparent pixel keeps its colour).
Bitmap sample() {
  Bitmap bm(3, 2);
  const uint32_t px[6] = {0xFF102030, 0x80FF0000, 0x0000FF00,
                          0xFF0000FF, 0x01FFFFFF, 0xFE123456};
  for (int i = 0; i < 6; ++i) bm.row(i / 3)[i % 3] = px[i];
  return bm;
}

std::vector<uint32_t> pixelsOf(const Bitmap& bm) {
  std::vector<uint32_t> v;
  for (int y = 0; y < bm.height(); ++y)
    for (int x = 0; x < bm.width(); ++x) v.push_back(bm.pixel(x, y));
  return v;
}

std::string pngBytes(const Bitmap& bm, const TempDir& dir) {
  const std::string path = dir.path("image.png");
  EXPECT_TRUE(bm.savePNG(path));
  return readText(path);
}

void put16(std::string* s, unsigned v) {
  s->push_back(char(v & 0xFF));
  s->push_back(char(v >> 8 & 0xFF));
}

// A one-image icon (type 1) or cursor (type 2) file holding `image`.
std::string iconFile(int type, const std::string& image, int hotX = 0, int hotY = 0) {
  std::string s;
  put16(&s, 0);
  put16(&s, unsigned(type));
  put16(&s, 1);
  s += std::string("\x03\x02\x00\x00", 4);
  put16(&s, unsigned(hotX));
  put16(&s, unsigned(hotY));
  put16(&s, unsigned(image.size()));
  put16(&s, unsigned(image.size() >> 16));
  put16(&s, 22);
  put16(&s, 0);
  return s + image;
}

const uint8_t* bytesOf(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(ImageFiles, PngReadsBackAloneAndInsideIconAndCursorFiles) {
  TempDir dir;
  const Bitmap want = sample();
  const std::string png = pngBytes(want, dir);
  ASSERT_FALSE(png.empty());

  Bitmap got;
  ASSERT_TRUE(loadImageFile(dir.path("image.png"), &got));
  EXPECT_EQ(got.width(), 3);
  EXPECT_EQ(got.height(), 2);
  EXPECT_EQ(pixelsOf(got), pixelsOf(want));

  Bitmap mem;
  ASSERT_TRUE(loadPNGData(bytesOf(png), png.size(), &mem));
  EXPECT_EQ(pixelsOf(mem), pixelsOf(want));

  const std::string ico = iconFile(1, png), cur = iconFile(2, png, 5, 7);
  Bitmap fromIcon;
  int hx = -1, hy = -1;
  ASSERT_TRUE(loadIconData(bytesOf(ico), ico.size(), &fromIcon, &hx, &hy));
  EXPECT_EQ(pixelsOf(fromIcon), pixelsOf(want));
  EXPECT_EQ(hx, -1);  // icons have no hot spot
  Bitmap fromCursor;
  ASSERT_TRUE(loadIconData(bytesOf(cur), cur.size(), &fromCursor, &hx, &hy));
  EXPECT_EQ(pixelsOf(fromCursor), pixelsOf(want));
  EXPECT_EQ(hx, 5);
  EXPECT_EQ(hy, 7);
  writeText(dir.path("pointer.cur"), cur);
  Bitmap byContent;
  ASSERT_TRUE(loadImageFile(dir.path("pointer.cur"), &byContent));
  EXPECT_EQ(pixelsOf(byContent), pixelsOf(want));
}

// Interlaced files, of colour types that need expanding, against the pixels
// the fixtures list.
TEST(ImageFiles, InterlacedPngMatchesItsExpectedPixels) {
  for (const char* name : {"rgba8_interlaced", "palette4_trns_interlaced", "grey16_trns_interlaced"}) {
    const std::string base = std::string(HB_PNG_FIXTURE_DIR) + "/" + name;
    const std::string want = readText(base + ".argb");
    ASSERT_GT(want.size(), 8u) << name;
    Bitmap got;
    ASSERT_TRUE(loadImageFile(base + ".png", &got)) << name;
    std::string have(8, '\0');
    const uint32_t size[2] = {uint32_t(got.width()), uint32_t(got.height())};
    memcpy(&have[0], size, 8);
    for (uint32_t p : pixelsOf(got)) have.append(reinterpret_cast<const char*>(&p), 4);
    EXPECT_TRUE(have == want) << name;
  }
}

TEST(ImageFiles, UnreadableImagesLeaveTheBitmapUntouched) {
  TempDir dir;
  const std::string png = pngBytes(sample(), dir);
  std::string corrupt = png;
  corrupt[corrupt.size() - 20] ^= 0x55;  // inside the image data: its check fails
  const Bitmap side(kSideLimit + 1, 1), tall(1, kSideLimit + 1);
  const std::string tooWide = pngBytes(side, dir), tooTall = pngBytes(tall, dir);
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not an image", "not an image at all"},
      {"truncated", png.substr(0, png.size() / 2)},
      {"corrupt", corrupt},
      {"too wide", tooWide},
      {"too tall", tooTall},
      {"icon holding a truncated image", iconFile(1, png.substr(0, png.size() / 2))},
      {"icon whose image runs past the file", iconFile(1, png).substr(0, 22 + png.size() - 1)},
  };
  for (const auto& c : cases) {
    Bitmap bm(1, 1, 0x12345678);
    writeText(dir.path("bad"), c.bytes);
    EXPECT_FALSE(loadImageFile(dir.path("bad"), &bm)) << c.what;
    EXPECT_FALSE(loadPNGData(bytesOf(c.bytes), c.bytes.size(), &bm)) << c.what;
    EXPECT_EQ(bm.width(), 1) << c.what;
    EXPECT_EQ(bm.pixel(0, 0), 0x12345678u) << c.what;
  }
  Bitmap bm;
  EXPECT_FALSE(loadImageFile(dir.path("missing.png"), &bm));
  // The largest side still accepted.
  const std::string widest = pngBytes(Bitmap(kSideLimit, 1, 0xFF00FF00), dir);
  ASSERT_TRUE(loadPNGData(bytesOf(widest), widest.size(), &bm));
  EXPECT_EQ(bm.width(), kSideLimit);
  EXPECT_EQ(bm.pixel(kSideLimit - 1, 0), 0xFF00FF00u);
}

}  // namespace
