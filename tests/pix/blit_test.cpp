// Unscaled blits: clipping at every edge, flipped bitmaps, the mode paths,
// and overlapping source and destination.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "pix_test_util.h"

namespace {

// What a blit must do, pixel by pixel: the source rectangle moves by
// (dstx - left, dsty - top); pixels outside either bitmap are skipped.
Image referenceBlit(const Image& dst, const Image& src, int dstx, int dsty, const RECT* rc,
                    float alpha, int mode) {
  Image out = dst;
  const RECT r = rc ? *rc : RECT{0, 0, src.w, src.h};
  for (int sy = std::max(r.top, 0); sy < std::min(r.bottom, src.h); ++sy)
    for (int sx = std::max(r.left, 0); sx < std::min(r.right, src.w); ++sx) {
      const int dx = dstx + sx - r.left, dy = dsty + sy - r.top;
      if (dx < 0 || dy < 0 || dx >= dst.w || dy >= dst.h) continue;
      out.at(dx, dy) = PIX_CombinePixels(dst.at(dx, dy), src.at(sx, sy), alpha, mode);
    }
  return out;
}

TEST(Blit, ClipsAtEveryEdgeOfSourceAndDestination) {
  const int sw = 7, sh = 6, dw = 9, dh = 8;
  const int xs[] = {-9, -5, -1, 0, 3, dw - 2, dw, dw + 3};
  const int ys[] = {-8, -4, -1, 0, 2, dh - 1, dh, dh + 2};
  const RECT rects[] = {{0, 0, sw, sh},  {-3, -2, 4, 5},         {2, 1, sw + 4, sh + 3},
                        {1, 1, 1, 5},    {-10, -10, 100, 100},   {5, 4, 3, 2},
                        {3, 2, 6, 3}};
  // Plain copy (row moves), half mix, and the per-operator loop.
  const struct {
    float alpha;
    int mode;
  } modes[] = {{1.0f, 0}, {0.7f, PIX_OP_ADD}, {1.0f, 0x10000}};
  int checked = 0;
  for (bool sflip : {false, true})
    for (bool dflip : {false, true})
      for (const auto& m : modes)
        for (int rc = -1; rc < (int)(sizeof rects / sizeof rects[0]); ++rc)
          for (int x : xs)
            for (int y : ys) {
              auto src = makeBitmap(sw, sh, sflip);
              auto dst = makeBitmap(dw, dh, dflip);
              fillPattern(src.get(), 1);
              fillPattern(dst.get(), 2);
              const Image s = readImage(src.get()), d = readImage(dst.get());
              const RECT* r = rc < 0 ? nullptr : &rects[rc];
              PIX_Blit(dst.get(), src.get(), x, y, r, m.alpha, m.mode);
              const std::string diff =
                  firstDifference(readImage(dst.get()), referenceBlit(d, s, x, y, r, m.alpha, m.mode));
              ASSERT_EQ(diff, "") << "at (" << x << ", " << y << ") rect " << rc << " mode "
                                  << m.mode << " flips " << sflip << dflip;
              EXPECT_EQ(readImage(src.get()), s);
              ++checked;
            }
  EXPECT_GT(checked, 3000);
}

TEST(Blit, SecondFormBuildsTheRectangle) {
  PIX_MemBitmap src(6, 6, 4), a(8, 8, 4), b(8, 8, 4);
  fillPattern(&src, 3);
  fillPattern(&a, 4);
  fillPattern(&b, 4);
  const RECT r = {-2, 1, 3, 5};
  PIX_Blit(&a, &src, 2, 1, &r, 1.0f, 0);
  PIX_Blit(&b, &src, 2, 1, -2, 1, 5, 4, 1.0f, 0);
  EXPECT_EQ(readImage(&a), readImage(&b));
  // Extreme sizes do not wrap around.
  PIX_Blit(&b, &src, 0, 0, 0x7fffff00, 0, 0x7fffffff, 3, 1.0f, 0);
  PIX_Blit(&b, &src, -2147483647, -2147483647, -2147483647, 0, 5, 5, 1.0f, 0);
  EXPECT_EQ(readImage(&a), readImage(&b));
}

TEST(Blit, ModePaths) {
  PIX_MemBitmap src(1, 1, 4), dst(1, 1, 4);
  auto blitOne = [&](unsigned int d, unsigned int s, float alpha, int mode) {
    dst.getBits()[0] = d;
    src.getBits()[0] = s;
    PIX_Blit(&dst, &src, 0, 0, (const RECT*)nullptr, alpha, mode);
    return dst.getBits()[0];
  };
  // Alpha 0.5 in copy mode is the word half mix (low bits dropped)...
  EXPECT_EQ(blitOne(0x01010101, 0x03030303, 0.5f, 0), 0x01010101u);
  // ...while the weighted copy at 128 rounds per channel.
  EXPECT_EQ(blitOne(0x01010101, 0x03030303, 0.502f, 0), 0x02020202u);
  // Source-alpha copy at 0.5 uses the source alpha: ws = 128 x 128 / 256.
  EXPECT_EQ(blitOne(0x00000000, 0x7F0000FF, 0.5f, 0x10000),
            PIX_CombinePixels(0, 0x7F0000FF, 0.5f, 0x10000));
  // At 1.0 it skips transparent pixels and replaces with opaque ones.
  EXPECT_EQ(blitOne(0x11223344, 0x00FFFFFF, 1.0f, 0x10000), 0x11223344u);
  EXPECT_EQ(blitOne(0x11223344, 0xFF0000FF, 1.0f, 0x10000), 0xFF0000FFu);
  // Channel copy 0xf7: source alpha into destination green; alpha ignored.
  EXPECT_EQ(blitOne(0x11223344, 0xABCDEF01, 0.1f, 0xf7), 0x1122AB44u);
  EXPECT_EQ(blitOne(0x11223344, 0xABCDEF01, 1.0f, 0xf0), 0x11223301u);
  // Nothing for alpha 0, unknown operators, weight below 1 in copy mode.
  EXPECT_EQ(blitOne(0x11223344, 0xFFFFFFFF, 0.0f, 0), 0x11223344u);
  EXPECT_EQ(blitOne(0x11223344, 0xFFFFFFFF, 1.0f, 6), 0x11223344u);
  EXPECT_EQ(blitOne(0x11223344, 0xFFFFFFFF, -0.5f, 0), 0x11223344u);
  EXPECT_EQ(blitOne(0x11223344, 0xFFFFFFFF, 0.001f, 1), 0x11223344u);
  // Null bitmaps.
  PIX_Blit(nullptr, &src, 0, 0, (const RECT*)nullptr, 1.0f, 0);
  PIX_Blit(&dst, nullptr, 0, 0, (const RECT*)nullptr, 1.0f, 0);
}

// A bitmap over another bitmap's memory with its own row span.
class ViewBitmap : public PIX_IBitmap {
 public:
  ViewBitmap(unsigned int* bits, int w, int h, int span) : bits_(bits), w_(w), h_(h), span_(span) {}
  unsigned int* getBits() override { return bits_; }
  int getWidth() override { return w_; }
  int getHeight() override { return h_; }
  int getRowSpan() override { return span_; }
  bool resize(int, int) override { return false; }

 private:
  unsigned int* bits_;
  int w_, h_, span_;
};

TEST(Blit, OverlappingSourceAndDestinationReadAnUntouchedSource) {
  const struct {
    float alpha;
    int mode;
  } modes[] = {{1.0f, 0}, {0.5f, 0}, {0.7f, 0}, {0.8f, PIX_OP_ADD}, {1.0f, 0x10000},
               {0.6f, PIX_OP_HSVADJ}, {1.0f, 0xf6}};
  for (bool flip : {false, true})
    for (const auto& m : modes)
      for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
          auto bmp = makeBitmap(12, 10, flip);
          fillPattern(bmp.get(), 5);
          PIX_MemBitmap copy(12, 10, 4);
          PIX_Copy(&copy, bmp.get());
          auto want = makeBitmap(12, 10, flip);
          fillPattern(want.get(), 5);
          const RECT r = {2, 3, 10, 9};
          PIX_Blit(want.get(), &copy, 2 + dx, 3 + dy, &r, m.alpha, m.mode);
          PIX_Blit(bmp.get(), bmp.get(), 2 + dx, 3 + dy, &r, m.alpha, m.mode);
          ASSERT_EQ(firstDifference(readImage(bmp.get()), readImage(want.get())), "")
              << "shift (" << dx << ", " << dy << ") mode " << m.mode << " alpha " << m.alpha
              << " flipped " << flip;
        }
  // Two bitmaps over one block with different row spans.
  PIX_MemBitmap block(64, 8, 1);
  fillPattern(&block, 6);
  const Image before = readImage(&block);
  PIX_MemBitmap copy(64, 8, 1);
  PIX_Copy(&copy, &block);
  ViewBitmap narrow(block.getBits() + 3, 20, 20, 21);
  PIX_Blit(&narrow, &block, 1, 1, 0, 0, 18, 6, 0.75f, 0);
  PIX_MemBitmap expect(64, 8, 1);
  PIX_Copy(&expect, &copy);
  ViewBitmap expectView(expect.getBits() + 3, 20, 20, 21);
  PIX_Blit(&expectView, &copy, 1, 1, 0, 0, 18, 6, 0.75f, 0);
  EXPECT_EQ(firstDifference(readImage(&block), readImage(&expect)), "");
  EXPECT_NE(readImage(&block), before);
}

TEST(Blit, CopyResizesTheDestination) {
  PIX_MemBitmap src(5, 3, 4), dst(20, 20, 4);
  fillPattern(&src, 7);
  fillPattern(&dst, 8);
  PIX_Copy(&dst, &src);
  EXPECT_EQ(dst.getWidth(), 5);
  EXPECT_EQ(dst.getHeight(), 3);
  EXPECT_EQ(readImage(&dst), readImage(&src));
  FlippedBitmap fl(2, 2);
  PIX_Copy(&fl, &src);
  EXPECT_EQ(readImage(&fl), readImage(&src));
  PIX_Copy(nullptr, &src);
  PIX_Copy(&dst, nullptr);
}

}  // namespace
