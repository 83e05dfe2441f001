// Heap and system bitmaps: sizes, row spans, growth, refusal of sizes that
// do not fit, and the windowing layer's context hooks.

#include <gtest/gtest.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "alloc_hook.h"
#include "pix.h"

namespace {

TEST(MemBitmap, EmptyAndAligned) {
  PIX_MemBitmap empty(0, 0, 4);
  EXPECT_EQ(empty.getBits(), nullptr);
  EXPECT_EQ(empty.getWidth(), 0);
  EXPECT_EQ(empty.getHeight(), 0);
  EXPECT_FALSE(empty.isFlipped());
  EXPECT_EQ(empty.getDC(), nullptr);
  EXPECT_EQ(empty.Extended(7, nullptr), 0);

  struct Case {
    unsigned int align;
    int span;
  } cases[] = {{0, 5}, {1, 5}, {2, 6}, {3, 5}, {4, 8}, {8, 8}, {16, 16}, {32, 16}, {12, 8}};
  for (const Case& c : cases) {
    PIX_MemBitmap b(5, 3, c.align);
    EXPECT_EQ(b.getRowSpan(), c.span) << c.align;
    ASSERT_NE(b.getBits(), nullptr);
    EXPECT_EQ((uintptr_t)b.getBits() % 64, 0u);
    // Every pixel of the last row is writable (ASan checks the block size).
    memset(b.getBits(), 0xAB, (size_t)(2 * b.getRowSpan() + 5) * 4);
  }
}

TEST(MemBitmap, ResizeKeepsShrinksAndGrowsByAQuarter) {
  PIX_MemBitmap b(10, 10, 1);
  unsigned int* bits = b.getBits();
  bits[0] = 0x12345678;
  EXPECT_FALSE(b.resize(10, 10));
  EXPECT_EQ(b.getBits(), bits);
  EXPECT_EQ(bits[0], 0x12345678u);
  {
    AllocationCounter count;
    EXPECT_TRUE(b.resize(4, 4));  // shrinking keeps the block
    EXPECT_EQ(b.getBits(), bits);
    EXPECT_EQ(count.count(), 0);
  }
  ASSERT_TRUE(b.resize(10, 11));  // 440 bytes: the block becomes 550
  {
    AllocationCounter count;
    EXPECT_TRUE(b.resize(10, 13));  // 520 still fits
    EXPECT_EQ(count.count(), 0);
    EXPECT_TRUE(b.resize(10, 14));  // 560 does not
    EXPECT_EQ(count.count(), 1);
  }
  memset(b.getBits(), 0, 560);
}

TEST(MemBitmap, NegativeSizesAreEmpty) {
  PIX_MemBitmap b(4, 4, 4);
  EXPECT_TRUE(b.resize(-5, 10));
  EXPECT_EQ(b.getWidth(), 0);
  EXPECT_EQ(b.getHeight(), 0);
  EXPECT_EQ(b.getBits(), nullptr);
  PIX_MemBitmap c(-3, -3, 4);
  EXPECT_EQ(c.getWidth(), 0);
  EXPECT_EQ(c.getBits(), nullptr);
}

TEST(MemBitmap, SizesWhoseBytesDoNotFitAreRefused) {
  // 16 x (2^26 + 1) x 4 bytes is 2^32 + 64: in 32 bits that is a 64-byte
  // block for a huge bitmap.
  const int sizes[][2] = {{16, (1 << 26) + 1}, {65536, 65536}, {0x7fffffff, 1}, {1, 0x7fffffff},
                          {0x7ffffffe, 0x7ffffffe}};
  for (const auto& s : sizes) {
    PIX_MemBitmap b(s[0], s[1], 4);
    EXPECT_EQ(b.getBits(), nullptr) << s[0] << "x" << s[1];
    EXPECT_EQ(b.getWidth(), 0);
    EXPECT_EQ(b.getHeight(), 0);
    // Drawing into it draws nothing and touches nothing.
    PIX_FillRect(&b, 0, 0, 100, 100, 0xFFFFFFFF, 1.0f, 0);
    PIX_Line(&b, 0, 0, 50, 70, 0xFFFFFFFF, 1.0f, 0, true);
  }
  // A bitmap holding pixels is emptied by such a resize.
  PIX_MemBitmap b(8, 8, 4);
  EXPECT_TRUE(b.resize(16, (1 << 26) + 1));
  EXPECT_EQ(b.getBits(), nullptr);
  EXPECT_EQ(b.getWidth(), 0);
}

TEST(MemBitmap, FailedAllocationLeavesAnEmptyBitmap) {
  PIX_MemBitmap b(4, 4, 4);
  {
    AllocFailure fail;
    EXPECT_TRUE(b.resize(400, 400));
  }
  EXPECT_EQ(b.getBits(), nullptr);
  EXPECT_EQ(b.getWidth(), 0);
  EXPECT_EQ(b.getHeight(), 0);
  EXPECT_TRUE(b.resize(3, 3));
  EXPECT_NE(b.getBits(), nullptr);
}

TEST(SysBitmap, PlainBlockGrowsOnlyAndKeepsRowsOfFour) {
  PIX_SysBitmap b(100, 100);
  EXPECT_EQ(b.getRowSpan(), 100);
  EXPECT_EQ(b.getDC(), nullptr);
  ASSERT_NE(b.getBits(), nullptr);
  EXPECT_EQ((uintptr_t)b.getBits() % 64, 0u);
  EXPECT_EQ(b.getBits()[100 * 100 - 1], 0u);  // fresh blocks are clear
  unsigned int* bits = b.getBits();
  EXPECT_TRUE(b.resize(50, 50));
  EXPECT_EQ(b.getRowSpan(), 100);
  EXPECT_EQ(b.getBits(), bits);
  EXPECT_EQ(b.getWidth(), 50);
  EXPECT_TRUE(b.resize(101, 100));
  EXPECT_EQ(b.getRowSpan(), 104);
  EXPECT_FALSE(b.resize(101, 100));
  EXPECT_FALSE(b.resize(0, 10));
  EXPECT_EQ(b.getBits(), nullptr);
  EXPECT_EQ(b.getWidth(), 0);
  EXPECT_EQ(b.getHeight(), 10);
  // A negative width is never stored.
  EXPECT_FALSE(b.resize(-7, 10));
  EXPECT_EQ(b.getWidth(), 0);
  EXPECT_TRUE(b.resize(5, 2));
  EXPECT_EQ(b.getRowSpan(), 8);
  // Sizes whose bytes do not fit are refused: an empty bitmap.
  EXPECT_TRUE(b.resize(0x7ffffff0, 3));
  EXPECT_EQ(b.getBits(), nullptr);
  EXPECT_EQ(b.getWidth(), 0);
}

// A stand-in for the windowing layer's memory contexts.
struct FakeContext {
  int w, h;
  std::vector<unsigned int> px;
};
std::vector<std::pair<int, int>> g_created;
int g_deleted = 0;
bool g_failCreate = false;

HDC fakeCreate(HDC ref, int w, int h) {
  EXPECT_EQ(ref, nullptr);
  if (g_failCreate) return nullptr;
  g_created.push_back({w, h});
  FakeContext* c = new FakeContext{w, h, std::vector<unsigned int>((size_t)w * h)};
  return (HDC)c;
}
void* fakeBuffer(HDC ctx) { return ((FakeContext*)ctx)->px.data(); }
void fakeDelete(HDC ctx) {
  ++g_deleted;
  delete (FakeContext*)ctx;
}

TEST(SysBitmap, DrawsIntoTheLayersContextOnceHooked) {
  const PIX_SysContextHooks hooks = {fakeCreate, fakeBuffer, fakeDelete};
  PIX_SetSysContextHooks(&hooks);
  g_created.clear();
  g_deleted = 0;
  {
    PIX_SysBitmap b(30, 20);
    ASSERT_NE(b.getDC(), nullptr);
    FakeContext* ctx = (FakeContext*)b.getDC();
    EXPECT_EQ(b.getBits(), ctx->px.data());
    ASSERT_EQ(g_created.size(), 1u);
    EXPECT_EQ(g_created[0], std::make_pair(32, 20));
    PIX_FillRect(&b, 0, 0, 30, 20, 0xFF102030, 1.0f, 0);
    EXPECT_EQ(ctx->px[32 * 19 + 29], 0xFF102030u);
    EXPECT_TRUE(b.resize(10, 10));  // kept
    EXPECT_EQ(g_created.size(), 1u);
    EXPECT_TRUE(b.resize(40, 10));  // a wider context replaces it
    EXPECT_EQ(g_deleted, 1);
    EXPECT_EQ(g_created.back(), std::make_pair(40, 10));
    g_failCreate = true;
    EXPECT_TRUE(b.resize(80, 10));
    g_failCreate = false;
    EXPECT_EQ(b.getBits(), nullptr);
    EXPECT_EQ(b.getDC(), nullptr);
    EXPECT_EQ(b.getWidth(), 0);
    EXPECT_EQ(g_deleted, 2);
    EXPECT_TRUE(b.resize(8, 8));
  }
  EXPECT_EQ(g_deleted, 3);
  PIX_SetSysContextHooks(nullptr);
  PIX_SysBitmap plain(4, 4);
  EXPECT_EQ(plain.getDC(), nullptr);
  EXPECT_NE(plain.getBits(), nullptr);
}

}  // namespace
