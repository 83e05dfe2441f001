#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "SmpRateConverter.h"
#include "block.h"

using Rawnfield::SmpRateConverter;

namespace {

// A block whose samples are their own indices (left) and minus them (right).
Block ramp(int n) {
  Block b(n);
  for (int i = 0; i < n; ++i) {
    b.l[i] = i;
    b.r[i] = -i;
  }
  return b;
}

TEST(SmpRateConverter, FullSettingLeavesTheBlockBitExact) {
  SmpRateConverter u;
  u.setSampleRateConversion(1.0);
  Block b = ramp(64);
  const Block before = b;
  u.process(b.io, 64);
  EXPECT_EQ(b.l, before.l);
  EXPECT_EQ(b.r, before.r);
}

TEST(SmpRateConverter, SettingZeroKeepsTwoSamplesPerBlock) {
  SmpRateConverter u;
  u.setSampleRateConversion(0.0);
  Block b = ramp(64);
  u.process(b.io, 64);
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(b.l[i], i < 32 ? 0.0 : 32.0) << i;
    EXPECT_EQ(b.r[i], i < 32 ? 0.0 : -32.0) << i;
  }
}

TEST(SmpRateConverter, PicksEvenlySpacedSamplesAndHoldsThem) {
  SmpRateConverter u;
  u.setSampleRateConversion(0.5);  // ratio 1/8
  Block b = ramp(64);              // m = 8: indices 0, 8, ..., 56, each held 8 frames
  u.process(b.io, 64);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(b.l[i], (i / 8) * 8.0) << i;
  // The reduction is relative to the block: 16 frames keep 2 samples.
  Block s = ramp(16);
  u.process(s.io, 16);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(s.l[i], i < 8 ? 0.0 : 8.0) << i;
}

TEST(SmpRateConverter, ShownRateFollowsTheLargestBlock) {
  SmpRateConverter u;
  EXPECT_EQ(u.scratchLeft.capacity, 1024);
  EXPECT_EQ(u.getConvertedSampleRate(), 44100);  // nothing reduced
  u.setSampleRateConversion(0.5);
  EXPECT_EQ(u.ratio, 0.125);
  EXPECT_EQ(u.getConvertedSampleRate(), 5512);  // m = 128: 5512.5 truncated
  u.setSampleRateConversion(0.0);
  EXPECT_EQ(u.getConvertedSampleRate(), 86);  // never below 2 / capacity x rate
  u.setBlockSize(2048);
  u.setSampleRate(48000.0);
  u.setSampleRateConversion(0.5);
  EXPECT_EQ(u.getConvertedSampleRate(), 6000);
}

TEST(SmpRateConverter, BypassActsAtOnce) {
  SmpRateConverter u;
  u.setSampleRateConversion(0.0);
  u.setBypass(true);
  Block b = ramp(32);
  const Block before = b;
  u.process(b.io, 32);  // the very first block after the switch
  EXPECT_EQ(b.l, before.l);
  EXPECT_EQ(b.r, before.r);
  u.setBypass(false);
  u.process(b.io, 32);
  EXPECT_EQ(b.l[31], 16.0);
}

// An empty block used to read its first sample before doing nothing.
TEST(SmpRateConverter, EmptyBlockDoesNothing) {
  SmpRateConverter u;
  u.setSampleRateConversion(0.0);
  double* none[2] = {nullptr, nullptr};
  u.process(none, 0);
  u.process(none, -3);
  u.process(nullptr, 0);
  double l = 5.0, r = 6.0;
  double* one[2] = {&l, &r};
  u.process(one, 0);
  EXPECT_EQ(l, 5.0);
  EXPECT_EQ(r, 6.0);
}

TEST(SmpRateConverter, ASingleFrameKeepsItself) {
  SmpRateConverter u;
  u.setSampleRateConversion(0.0);
  Block b(1, 0.25, -0.5);
  u.process(b.io, 1);
  EXPECT_EQ(b.l[0], 0.25);
  EXPECT_EQ(b.r[0], -0.5);
}

TEST(SmpRateConverter, OutOfRangeSettingsStaySafe) {
  SmpRateConverter u;
  // Above 1 reduces nothing (and keeps no more samples than the buffers hold).
  u.setSampleRateConversion(1.5);
  Block b = ramp(64);
  const Block before = b;
  u.process(b.io, 64);
  EXPECT_EQ(b.l, before.l);
  EXPECT_EQ(u.getConvertedSampleRate(), 44100);
  u.setSampleRateConversion(std::nan(""));
  u.process(b.io, 64);
  EXPECT_EQ(b.l, before.l);
  EXPECT_EQ(u.getConvertedSampleRate(), 44100);
  // Negative settings keep the minimum of two samples.
  u.setSampleRateConversion(-1.0);
  u.process(b.io, 64);
  EXPECT_EQ(b.l[63], 32.0);
}

TEST(SmpRateConverter, BlockLongerThanTheBuffersKeepsWhatFits) {
  SmpRateConverter u;
  u.setSampleRateConversion(0.999);  // would keep 4083 of 4096 samples
  Block b = ramp(4096);
  u.process(b.io, 4096);  // the buffers hold 1024: no write past them
  EXPECT_EQ(b.l[0], 0.0);
  EXPECT_EQ(b.l[4095], 4092.0);  // 1024 kept, each held over 4 frames
}

// What a block of n frames keeping m samples gives, worked out on copies:
// kept sample j is frame floor(j / m * n), and frame k holds kept sample
// floor(k / n * m).
std::vector<double> keptThenHeld(const std::vector<double>& x, int m) {
  const int n = static_cast<int>(x.size());
  std::vector<double> kept(m), out(n);
  for (int j = 0; j < m; ++j) kept[j] = x[static_cast<int>(static_cast<double>(j) / m * n)];
  for (int k = 0; k < n; ++k) out[k] = kept[static_cast<int>(static_cast<double>(k) / n * m)];
  return out;
}

// The unit works in place, from the last frame to the first: every length
// up to a few hundred frames at settings from the fewest samples kept to
// nearly all, and one buffer for both channels, which is reduced twice.
TEST(SmpRateConverter, InPlaceMatchesKeepingThenHolding) {
  for (double v : {0.0, 0.3, 0.5, 0.8, 0.97, 0.9999}) {
    SmpRateConverter u;
    u.setSampleRateConversion(v);
    for (int n = 1; n <= 300; ++n) {
      int m = static_cast<int>(u.ratio * n);
      if (m < 2) m = 2;
      Block b(n);
      for (int i = 0; i < n; ++i) {
        b.l[i] = std::sin(0.37 * i);
        b.r[i] = -1.0 - i;
      }
      const std::vector<double> l = keptThenHeld(b.l, m), r = keptThenHeld(b.r, m);
      u.process(b.io, n);
      ASSERT_EQ(b.l, l) << v << ", " << n << " frames";
      ASSERT_EQ(b.r, r) << v << ", " << n << " frames";
      Block one = ramp(n);
      double* shared[2] = {one.l.data(), one.l.data()};
      u.process(shared, n);
      ASSERT_EQ(one.l, keptThenHeld(keptThenHeld(ramp(n).l, m), m)) << v << ", " << n << " frames";
    }
  }
}

// Positions carried over from block to block: lengths and settings that
// repeat, change and come back give what a unit meeting each block first
// gives.
TEST(SmpRateConverter, CountsThatChangeAndComeBackGiveAFreshUnitsOutput) {
  struct Step {
    int frames;
    double setting;
  };
  const Step steps[] = {{64, 0.8},  {64, 0.8},  {64, 0.7},  {64, 0.8}, {48, 0.8}, {64, 0.8},
                        {16, 0.5},  {16, 0.51}, {17, 0.5},  {16, 0.5}, {64, 0.0}, {64, 0.8},
                        {600, 0.9}, {64, 0.8},  {600, 0.9}, {600, 0.9}};
  SmpRateConverter u;
  u.setBlockSize(512);  // 600 frames overrun the buffers: pieces, then back
  for (const Step& s : steps) {
    SmpRateConverter fresh;
    fresh.setBlockSize(512);
    u.setSampleRateConversion(s.setting);
    fresh.setSampleRateConversion(s.setting);
    Block a = ramp(s.frames), b = ramp(s.frames);
    u.process(a.io, s.frames);
    fresh.process(b.io, s.frames);
    ASSERT_EQ(a.l, b.l) << s.frames << " frames at " << s.setting;
    ASSERT_EQ(a.r, b.r) << s.frames << " frames at " << s.setting;
  }
}

}  // namespace
