#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <vector>

#include "CurveMath.h"
#include "DynShaper.h"
#include "block.h"

using Rawnfield::DynShaper;

namespace {

TEST(DynShaper, SettersMapNormalisedValues) {
  DynShaper s;
  s.setAmount(0.5);
  EXPECT_EQ(s.getAmount(), 0.25);
  s.setAmount(std::nan(""));
  EXPECT_EQ(s.getAmount(), 0.0);
  struct Case {
    double v;
    uint32_t type, mode;
    int32_t apply;
  };
  const Case cases[] = {
      {0.0, 0, 0, 0}, {0.24, 0, 1, 0}, {0.25, 1, 1, 1}, {0.5, 1, 2, 1},
      {0.8, 2, 2, 2}, {1.0, 2, 3, 2},  {7.0, 2, 3, 2},  {-0.3, 0, 0, 0},
  };
  for (const Case& c : cases) {
    s.setType(c.v);
    s.setMode(c.v);
    s.setApplyMode(c.v);
    EXPECT_EQ(s.getType(), c.type) << c.v;
    EXPECT_EQ(s.getMode(), c.mode) << c.v;
    EXPECT_EQ(s.getApplyMode(), c.apply) << c.v;
  }
  s.setType(std::nan(""));
  EXPECT_EQ(s.getType(), 0u);
  EXPECT_EQ(DynShaper::getShaperTypeSel(Rawnfield::kShaperPulse), 1.0);
  EXPECT_EQ(DynShaper::getShaperModeSel(Rawnfield::kShaperBoost), 2.0 / 3.0);
  s.setPeakWidth(0.5);
  EXPECT_EQ(s.getPeakWidth(), 0.25);
}

TEST(DynShaper, Texts) {
  DynShaper s;
  const char* types[] = {"Sine", "Triangle", "Pulse", "Sine"};
  const char* modes[] = {"Shaper", "Sat.Shaper", "Boost Shaper", "Boost+Sat.Shaper", "Shaper"};
  for (uint32_t t = 0; t < 4; ++t) {
    s.type = t;
    EXPECT_STREQ(s.getShaperText(), types[t]);
  }
  for (uint32_t m = 0; m < 5; ++m) {
    s.mode = m;
    EXPECT_STREQ(s.getModeText(), modes[m]);
  }
}

// At e = 1 the window is [0, 0.25]: |x| = 0.125 sits on the top of the bump.
TEST(DynShaper, FullAmountBumpAtTheWindowCentre) {
  struct Case {
    uint32_t mode, type;
    bool invert;
    double in, out;
  };
  const Case cases[] = {
      {0, Rawnfield::kShaperSine, false, 0.125, 0.902},
      {0, Rawnfield::kShaperSine, false, -0.125, -0.902},
      {1, Rawnfield::kShaperSine, false, 0.125, 1.125},         // bump limited to 1
      {1, Rawnfield::kShaperSine, true, 0.125, 0.125 - 3.108},  // inverted: not limited
      {0, Rawnfield::kShaperSine, true, 0.125, 0.125 - 0.777},
      {0, Rawnfield::kShaperTriangle, false, 0.0625, 0.0625 + 0.777 * 0.5},
      {0, Rawnfield::kShaperTriangle, false, 0.1875, 0.1875 + 0.777 * 0.5},
      {0, Rawnfield::kShaperPulse, false, 0.0625, 0.0625 + 0.777},
      {0, Rawnfield::kShaperPulse, false, 0.125, 0.125},  // p = 0.5: upper half is 0
      {0, Rawnfield::kShaperPulse, false, 0.25, 0.25},    // the window's end
      {0, 3, false, 0.125, 0.125},                        // no such profile
  };
  for (const Case& c : cases) {
    DynShaper s;
    s.setAmount(1.0);
    s.mode = c.mode;
    s.type = c.type;
    s.invert = c.invert;
    EXPECT_NEAR(s.shape(c.in, 1.0), c.out, 1e-12) << c.mode << " " << c.type << " " << c.in;
  }
}

TEST(DynShaper, SmallAmountMovesTheWindowTowardsFullScale) {
  DynShaper s;
  // e = 0.01: window [0.7425, 0.9925]; below it nothing changes.
  EXPECT_EQ(s.shape(0.5, 0.01), 0.5);
  EXPECT_NEAR(s.shape(0.8675, 0.01), 0.8675 + 0.01 * 0.777, 1e-12);
  EXPECT_EQ(s.shape(0.7, 0.0), 0.7);  // e = 0: no bump at all
}

TEST(DynShaper, ApplyModesPickThePolarity) {
  DynShaper s;
  s.applyMode = DynShaper::kApplyPositive;
  EXPECT_EQ(s.shape(-0.125, 1.0), -0.125);
  EXPECT_NEAR(s.shape(0.125, 1.0), 0.902, 1e-12);
  s.applyMode = DynShaper::kApplyNegative;
  EXPECT_EQ(s.shape(0.125, 1.0), 0.125);
  EXPECT_EQ(s.shape(0.0, 1.0), 0.0);
  EXPECT_NEAR(s.shape(-0.125, 1.0), -0.902, 1e-12);
}

TEST(DynShaper, NaNPassesAsNaN) {
  DynShaper s;
  s.mode = Rawnfield::kShaperSaturated;
  EXPECT_TRUE(std::isnan(s.shape(std::nan(""), 1.0)));
}

TEST(DynShaper, GuiDataUsesTheAmountAsSet) {
  DynShaper s;
  s.setAmount(1.0);
  std::vector<double> curve(8), wave(4);
  s.updateGUIData(curve.data(), 8, wave.data(), 4);
  // Curve over [-1, 1): x = -1, -0.75, ..., 0.75.
  for (int i = 0; i < 8; ++i) {
    const double x = (i / 8.0 - 0.5) * 2.0;
    EXPECT_EQ(curve[i], s.shape(x, 1.0)) << i;
  }
  EXPECT_EQ(wave[0], 0.0);
  EXPECT_EQ(wave[1], 1.0);                  // outside the window at e = 1
  s.updateGUIData(nullptr, 8, nullptr, 4);  // no arrays: nothing written
}

TEST(DynShaper, ProcessSmoothsTheAmount) {
  DynShaper s;
  s.setAmount(1.0);
  Block b(1, 0.125, -0.125);
  s.process(b.io, nullptr, 1);
  // First frame: s = 0.01, window near full scale, 0.125 untouched.
  EXPECT_EQ(b.l[0], 0.125);
  EXPECT_NEAR(s.amountSmoother.state, 0.010000000000000009, 1e-18);
  Block settle(5000, 0.0, 0.0);
  s.process(settle.io, nullptr, 5000);
  Block c(1, 0.125, -0.125);
  s.process(c.io, nullptr, 1);
  EXPECT_NEAR(c.l[0], 0.902, 1e-9);
  EXPECT_NEAR(c.r[0], -0.902, 1e-9);
}

TEST(DynShaper, ModulationScalesTheEffectiveAmount) {
  DynShaper s;
  s.setAmount(1.0);
  s.amountSmoother.state = 1.0;
  double mod = 0.0;
  Block b(1, 0.125, 0.125);
  s.process(b.io, &mod, 1);
  EXPECT_EQ(b.l[0], 0.125);  // e = 0
  EXPECT_EQ(s.amountSmoother.state, 1.0);
}

TEST(DynShaper, BoostPreGainFollowsTheAmount) {
  DynShaper s;
  s.mode = Rawnfield::kShaperBoost;
  s.setAmount(std::sqrt(0.1));
  s.amountSmoother.state = s.getAmount();  // e = 0.1
  Block b(1, 0.2, -0.4);
  s.process(b.io, nullptr, 1);
  // Pre-gain 0.5 halves the signal; the window sits at [0.675, 0.925].
  EXPECT_NEAR(b.l[0], 0.1, 1e-12);
  EXPECT_NEAR(b.r[0], -0.2, 1e-12);
  // A high amount clamps the boosted signal to full scale.
  s.amountSmoother.state = 1.0;
  s.setAmount(1.0);
  Block c(1, 0.5, -0.5);
  s.process(c.io, nullptr, 1);
  EXPECT_EQ(c.l[0], 1.0);
  EXPECT_EQ(c.r[0], -1.0);
}

TEST(DynShaper, AmountZeroAdvancesNothing) {
  DynShaper s;
  s.setBypass(true);
  Block b(4, 0.125, 0.125);
  const Block before = b;
  s.process(b.io, nullptr, 4);
  EXPECT_EQ(b.l, before.l);
  EXPECT_EQ(s.amountSmoother.state, 0.0);
  EXPECT_EQ(s.fadeGain, 0.998);
}

// Switching out ramps the effective amount down over 500 frames; from then
// on blocks pass untouched. Switching back ramps it up again.
TEST(DynShaper, BypassRampScalesTheAmount) {
  DynShaper s;
  s.setAmount(1.0);
  s.amountSmoother.state = 1.0;
  s.setBypass(true);
  Block b(600, 0.125, -0.125);
  s.process(b.io, nullptr, 600);
  // First frame at e = 0.998: window [0.0005, 0.2505], p = 0.498.
  EXPECT_NEAR(b.l[0], s.shape(0.125, 0.998), 1e-12);
  EXPECT_GT(b.l[0], 0.9);
  EXPECT_EQ(s.fadeGain, 0.0);
  EXPECT_EQ(b.l[599], 0.125);
  EXPECT_EQ(b.r[599], -0.125);
  Block after(3, 0.125, 0.125);
  s.process(after.io, nullptr, 3);
  EXPECT_EQ(after.l, std::vector<double>(3, 0.125));

  s.setBypass(false);
  Block in(600, 0.125, 0.125);
  s.process(in.io, nullptr, 600);
  EXPECT_EQ(s.fadeGain, 1.0);
  EXPECT_NEAR(in.l[0], s.shape(0.125, 0.002), 1e-12);
  EXPECT_NEAR(in.l[599], 0.902, 1e-9);
}

// At the full amount the window starts at 0, so the smallest magnitudes,
// subnormal ones included, are inside it and their sine's argument is tiny.
// Groups of such samples alone, and mixed with larger ones, on both sides
// of 2^-27 (below which the sine is its argument), settled and moving:
// shape's bits each time.
TEST(DynShaper, TinyMagnitudesAtTheFullAmountGiveShapesBits) {
  const double edge = 0x1p-27 / Rawnfield::CurveMath::kPi / 4.0;  // the argument's 2^-27
  // From edge * 3 on the sine's cube shows.
  std::vector<double> tiny = {0x1p-1074,  1e-310,     0x1p-1022,  1e-300, 1e-20, 0x1p-40,
                              edge / 2.0, edge * 3.0, edge * 6.0, 1e-7,   1e-5};
  double below = edge, above = edge;
  for (int k = 0; k < 4; ++k) {
    below = std::nextafter(below, 0.0);
    above = std::nextafter(above, 1.0);
    tiny.push_back(below);
    tiny.push_back(above);
  }
  tiny.push_back(edge);
  // Eight tiny samples, then eight with one larger in the window, in turn;
  // 61 frames leave work for each loop.
  std::vector<double> left(61), right(61);
  for (int i = 0; i < 61; ++i) {
    left[i] = tiny[i % tiny.size()];
    if ((i / 8) % 2 == 1 && i % 8 == 5) left[i] = 0.1;
    right[i] = -left[(i * 5) % 61];
  }
  std::vector<double> mod(61, 1.0);
  for (bool modulated : {false, true}) {
    DynShaper s;
    s.setAmount(1.0);
    s.amountSmoother.state = 1.0;
    Block b(left, right);
    s.process(b.io, modulated ? mod.data() : nullptr, 61);
    for (int i = 0; i < 61; ++i) {
      const double wantLeft = s.shape(left[i], 1.0), wantRight = s.shape(right[i], 1.0);
      ASSERT_EQ(0, std::memcmp(&b.l[i], &wantLeft, sizeof wantLeft))
          << (modulated ? "modulated, " : "") << "frame " << i << ": " << b.l[i] << " for "
          << wantLeft << " from " << left[i];
      ASSERT_EQ(0, std::memcmp(&b.r[i], &wantRight, sizeof wantRight))
          << (modulated ? "modulated, " : "") << "frame " << i << ": " << b.r[i] << " for "
          << wantRight << " from " << right[i];
    }
  }
}

struct PathCase {
  uint32_t mode, type;
  int32_t applyMode;
  bool modulated;  // frame by frame throughout
  bool moving;     // the amount settling within the block: frame by frame until then
  bool shared;     // one buffer for both channels
};

std::ostream& operator<<(std::ostream& o, const PathCase& c) {
  return o << "mode " << c.mode << ", type " << c.type << ", apply " << c.applyMode
           << (c.modulated ? ", modulated" : "") << (c.moving ? ", moving" : "")
           << (c.shared ? ", shared buffer" : "");
}

class DynShaperPaths : public testing::TestWithParam<PathCase> {};

// Every sample of a block leaves process with the bits shape gives it at its
// frame's amount, whichever loop takes the frame: frame by frame while the
// amount moves or is modulated, two samples of a channel at a time once it
// settles, one at a time at the ends. Channels in one buffer
// are shaped one after the other, the second time on the first's output.
TEST_P(DynShaperPaths, GiveShapesBits) {
  const PathCase c = GetParam();
  constexpr int kFrames = 701;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> left(kFrames), right(kFrames), mod(kFrames);
  for (int i = 0; i < kFrames; ++i) {
    left[i] = 1.3 * std::sin(0.0517 * i);
    right[i] = -0.9 * std::cos(0.0313 * i);
    mod[i] = 0.5 + 0.5 * std::sin(0.021 * i);
  }
  const double awkward[] = {nan, -nan, 0.0, -0.0, 1.0, -1.0, 1e-310, 0.125, -0.125, 0.25};
  for (int k = 0; k < 10; ++k) left[17 * k + 3] = right[23 * k + 5] = awkward[k];
  DynShaper s;
  s.setAmount(0.8);
  s.mode = c.mode;
  s.type = c.type;
  s.applyMode = c.applyMode;
  // 1e-13 off settles after about 300 frames.
  s.amountSmoother.state = s.getAmount() + (c.moving ? 1e-13 : 0.0);
  const DynShaper before = s;

  Block b(left, right);
  double* io[2] = {b.l.data(), c.shared ? b.l.data() : b.r.data()};
  s.process(io, c.modulated ? mod.data() : nullptr, kFrames);

  Rawnfield::Smoother amount = before.amountSmoother;
  const bool boost =
      c.mode == Rawnfield::kShaperBoost || c.mode == Rawnfield::kShaperBoostSaturated;
  const auto once = [&](double x, double e) {
    if (boost) x = Rawnfield::CurveMath::clampUnit(x * (e * DynShaper::kMaxBoostGain));
    return before.shape(x, e);
  };
  for (int i = 0; i < kFrames; ++i) {
    double e = amount.next(before.getAmount()) * before.fadeGain;
    if (c.modulated) e = e * mod[i];
    const double wantLeft = c.shared ? once(once(left[i], e), e) : once(left[i], e);
    ASSERT_EQ(0, std::memcmp(&b.l[i], &wantLeft, sizeof wantLeft))
        << "frame " << i << ": " << b.l[i] << " for " << wantLeft << " from " << left[i];
    if (c.shared) continue;
    const double wantRight = once(right[i], e);
    ASSERT_EQ(0, std::memcmp(&b.r[i], &wantRight, sizeof wantRight))
        << "frame " << i << ": " << b.r[i] << " for " << wantRight << " from " << right[i];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Loops, DynShaperPaths,
    testing::Values(
        PathCase{Rawnfield::kShaperPlain, Rawnfield::kShaperSine, 0, false, false, false},
        PathCase{Rawnfield::kShaperPlain, Rawnfield::kShaperSine, 0, false, true, false},
        PathCase{Rawnfield::kShaperPlain, Rawnfield::kShaperSine, 0, true, false, false},
        PathCase{Rawnfield::kShaperSaturated, Rawnfield::kShaperSine, 1, true, false, false},
        PathCase{Rawnfield::kShaperBoostSaturated, Rawnfield::kShaperSine, 2, false, true, false},
        PathCase{Rawnfield::kShaperBoost, Rawnfield::kShaperTriangle, 0, true, false, false},
        PathCase{Rawnfield::kShaperPlain, Rawnfield::kShaperPulse, 0, false, true, false},
        PathCase{Rawnfield::kShaperPlain, Rawnfield::kShaperSine, 0, true, false, true},
        PathCase{Rawnfield::kShaperSaturated, Rawnfield::kShaperSine, 0, false, true, true}));

}  // namespace
