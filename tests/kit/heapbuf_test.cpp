#include "heapbuf.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "alloc_hook.h"

namespace {

struct GrowthCase {
  int granularity;
  int request;
  int allocated;
};

class HeapBufGrowth : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(HeapBufGrowth, AllocatesByTheGrowthRule) {
  const GrowthCase& c = GetParam();
  KIT_HeapBuf hb(c.granularity);
  void* p = hb.Resize(c.request);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(hb.GetSize(), c.request);
  EXPECT_EQ(hb.GetAllocated(), c.allocated);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, HeapBufGrowth,
    ::testing::Values(GrowthCase{4096, 100, 4000}, GrowthCase{4096, 5000, 8096},
                      GrowthCase{4096, 4001, 8096}, GrowthCase{4096, 100000, 147360},
                      // half the request is capped at 4 MiB of headroom
                      GrowthCase{4096, 20000000, 24190880}, GrowthCase{128, 11, 139},
                      GrowthCase{128, 200, 328}, GrowthCase{128, 1, 129}),
    [](const ::testing::TestParamInfo<GrowthCase>& info) {
      return "gran" + std::to_string(info.param.granularity) + "_req" +
             std::to_string(info.param.request);
    });

TEST(HeapBuf, GrowsKeepsAndFrees) {
  KIT_HeapBuf hb(4096);
  EXPECT_EQ(hb.Get(), nullptr);
  hb.Resize(100);
  EXPECT_EQ(hb.GetAllocated(), 4000);
  memset(hb.Get(), 0x5a, 100);
  hb.Resize(5000);
  EXPECT_EQ(hb.GetAllocated(), 8096);
  EXPECT_EQ(static_cast<unsigned char*>(hb.Get())[99], 0x5a);  // contents kept

  void* before = hb.Get();
  EXPECT_EQ(hb.Resize(10, false), before);
  EXPECT_EQ(hb.GetAllocated(), 8096);
  EXPECT_EQ(hb.GetSize(), 10);

  EXPECT_EQ(hb.Resize(0, true), nullptr);
  EXPECT_EQ(hb.Get(), nullptr);
  EXPECT_EQ(hb.GetAllocated(), 0);
  EXPECT_EQ(hb.GetSize(), 0);
}

TEST(HeapBuf, ZeroWithoutResizedownKeepsTheBlock) {
  KIT_HeapBuf hb(4096);
  hb.Resize(100);
  EXPECT_EQ(hb.Resize(0, false), nullptr);
  EXPECT_NE(hb.Get(), nullptr);
  EXPECT_EQ(hb.GetAllocated(), 4000);
  EXPECT_EQ(hb.GetSize(), 0);
  EXPECT_EQ(hb.Resize(-7, false), nullptr);  // negative counts as 0
  EXPECT_EQ(hb.GetSize(), 0);
}

TEST(HeapBuf, SameSizeNeverReallocates) {
  KIT_HeapBuf hb(4096);
  hb.Resize(300000);
  const int alloc = hb.GetAllocated();
  AllocationCounter allocations;
  hb.Resize(300000, true);
  hb.Resize(300000, false);
  EXPECT_EQ(allocations.count(), 0);
  EXPECT_EQ(hb.GetAllocated(), alloc);
}

TEST(HeapBuf, ShrinksOnlyBelowTheThreshold) {
  // 1 MB block: threshold is min(alloc/2, alloc - 4*4096).
  KIT_HeapBuf hb(4096);
  hb.Resize(1000000);
  const int alloc = hb.GetAllocated();
  const int threshold = alloc / 2;
  hb.Resize(threshold, true);  // not below the threshold: size only
  EXPECT_EQ(hb.GetAllocated(), alloc);
  hb.Resize(threshold - 1, true);  // below: reallocated by the growth rule
  EXPECT_LT(hb.GetAllocated(), alloc);
  EXPECT_EQ(hb.GetSize(), threshold - 1);

  // A small block against its granularity is not given back early.
  KIT_HeapBuf small(4096);
  small.Resize(5000);
  small.Resize(1, true);
  EXPECT_EQ(small.GetAllocated(), 8096);
}

TEST(HeapBuf, FailedGrowthChangesNothing) {
  KIT_HeapBuf hb(4096);
  hb.Resize(100);
  memset(hb.Get(), 7, 100);
  void* block = hb.Get();
  {
    AllocFailure fail;
    EXPECT_EQ(hb.Resize(50000), block);  // the old block comes back
  }
  EXPECT_EQ(hb.Get(), block);
  EXPECT_EQ(hb.GetSize(), 100);
  EXPECT_EQ(hb.GetAllocated(), 4000);
  EXPECT_EQ(static_cast<char*>(hb.Get())[99], 7);

  KIT_HeapBuf empty(128);
  {
    AllocFailure fail;
    EXPECT_EQ(empty.Resize(10), nullptr);
  }
  EXPECT_EQ(empty.GetSize(), 0);
  EXPECT_EQ(empty.GetAllocated(), 0);
}

TEST(HeapBuf, SizeBeyondIntRangeIsRefused) {
  for (int gran : {128, 4096}) {
    KIT_HeapBuf hb(gran);
    hb.Resize(16);
    void* block = hb.Get();
    EXPECT_EQ(hb.Resize(INT_MAX), block);
    EXPECT_EQ(hb.GetSize(), 16);
  }
}

TEST(TypedBuf, CountsElements) {
  KIT_TypedBuf<double> tb;
  double* p = tb.Resize(10);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(tb.GetSize(), 10);
  EXPECT_EQ(tb.GetHeapBuf().GetSize(), 80);
  p[9] = 1.5;
  tb.Resize(20);
  EXPECT_EQ(tb.Get()[9], 1.5);
  EXPECT_EQ(tb.Resize(0), nullptr);
  EXPECT_EQ(tb.GetHeapBuf().GetAllocated(), 0);  // typed buffers shrink by default

  KIT_TypedBuf<double> huge;
  EXPECT_EQ(huge.Resize(INT_MAX / 2), nullptr);  // bytes overflow an int: refused
  EXPECT_EQ(huge.GetSize(), 0);
}

}  // namespace
