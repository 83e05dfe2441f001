#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "BitCrasher.h"
#include "block.h"

using Rawnfield::BitCrasher;

namespace {

TEST(BitCrasher, DefaultsAreFullResolution) {
  BitCrasher b;
  EXPECT_EQ(b.quantization, 1.0);
  EXPECT_EQ(b.bits, 64.0);
  EXPECT_EQ(b.scale, std::ldexp(1.0, 64));
}

TEST(BitCrasher, SettingMapsToBitDepth) {
  BitCrasher b;
  b.setQuantization(0.0);
  EXPECT_EQ(b.bits, 1.0);
  EXPECT_EQ(b.scale, 2.0);
  b.setQuantization(0.5);  // q = 0.25
  EXPECT_EQ(b.bits, 1.0 + 63.0 * 0.25);
  EXPECT_DOUBLE_EQ(b.scale, std::pow(2.0, 16.75));
  b.setQuantization(1.0);
  EXPECT_EQ(b.bits, 64.0);
  EXPECT_EQ(b.scale, std::ldexp(1.0, 64));
}

TEST(BitCrasher, OneBitTruncatesTowardsZero) {
  struct Case {
    double in, out;
  };
  const Case cases[] = {{0.3, 0.0},  {0.7, 0.5}, {-0.7, -0.5}, {1.2, 1.0},
                        {-0.3, 0.0}, {0.5, 0.5}, {-1.2, -1.0}, {0.0, 0.0}};
  BitCrasher b;
  b.setQuantization(0.0);
  for (const Case& c : cases) {
    Block blk(1, c.in, -c.in);
    b.process(blk.io, 1);
    EXPECT_EQ(blk.l[0], c.out) << c.in;
    EXPECT_EQ(blk.r[0], -c.out) << c.in;
  }
}

TEST(BitCrasher, TransparentSettingsLeaveTheBlockBitExact) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // Full resolution, a setting above the range (q > 1), and NaN.
  for (double v : {1.0, 1.5, nan}) {
    BitCrasher b;
    b.setQuantization(v);
    Block blk({0.1234567890123, -0.987654321, 3.0}, {1e-300, -0.5, 0.33});
    const Block before = blk;
    b.process(blk.io, 3);
    EXPECT_EQ(blk.l, before.l) << v;
    EXPECT_EQ(blk.r, before.r) << v;
  }
}

TEST(BitCrasher, OffLeavesTheBlockBitExact) {
  BitCrasher b;
  b.setQuantization(0.0);
  b.off = true;
  Block blk({0.3, 0.7}, {-0.7, 1.2});
  const Block before = blk;
  b.process(blk.io, 2);
  EXPECT_EQ(blk.l, before.l);
  EXPECT_EQ(blk.r, before.r);
}

TEST(BitCrasher, JustBelowFullResolutionNeverFlipsASign) {
  BitCrasher b;
  b.setQuantization(0.9999);  // q above 62/63: more than 63 bits
  ASSERT_GT(b.bits, 63.0);
  Block blk({0.3, -0.3, 5.0, -5.0, 1e-20, -1e-20}, {1.0, -1.0, 123.25, -0.75, 0.0, -0.0});
  const Block before = blk;
  b.process(blk.io, blk.size());
  for (int i = 0; i < blk.size(); ++i) {
    EXPECT_LE(std::fabs(blk.l[i]), std::fabs(before.l[i]));
    EXPECT_LE(std::fabs(blk.r[i]), std::fabs(before.r[i]));
    EXPECT_FALSE(blk.l[i] * before.l[i] < 0.0);
    EXPECT_FALSE(blk.r[i] * before.r[i] < 0.0);
  }
  // Tiny magnitudes sit below one step and truncate to zero.
  EXPECT_EQ(blk.l[4], 0.0);
}

}  // namespace
