// The audio block: what it makes of silence, broken input, loud input and
// missing or shared channels; the bypass, pan, oversampling and scope facts.
#include <cmath>
#include <limits>

#include "effect_fixture.h"

namespace {

namespace Tags = Rawnfield::Harshbloom;
const double kInf = std::numeric_limits<double>::infinity();

Block tone(int n, int phase = 0) {
  Block s(n);
  for (int i = 0; i < n; ++i) {
    s.l[i] = 0.6 * std::sin(0.031 * (i + phase));
    s.r[i] = 0.4 * std::sin(0.047 * (i + phase)) + 0.1;
  }
  return s;
}

// A heavy setting: distortion, filter drive, shaper, sub-band processing,
// output saturation and the limiter.
void heavy(Harshbloom& plug) {
  const std::pair<int, double> values[] = {
      {Tags::kDistortion, 0.8},       {Tags::kDistortionType, 20.0 / 42.0},
      {Tags::kFilterInputDrive, 0.5}, {Tags::kDynShaper, 0.5},
      {Tags::kSubBandProcOnOff, 1.0}, {Tags::kSubBandSaturation, 0.6},
      {Tags::kSaturation, 0.5},       {Tags::kLimiterMode, 1.0},
      {Tags::kInputSaturation, 0.3},  {Tags::kSubBandChannelMode, 0.2},
  };
  for (const auto& v : values) setParam(plug, v.first, v.second);
}

void expectSame(const Block& a, const Block& b) {
  for (size_t i = 0; i < a.l.size(); ++i) {
    ASSERT_EQ(a.l[i], b.l[i]) << i;
    ASSERT_EQ(a.r[i], b.r[i]) << i;
  }
}

// Sets the visible tab and the scope zoom through a state chunk.
void showPage(Harshbloom& plug, double tab, double zoom) {
  std::string s = stateOf(plug);
  writeAt(s, kTabOffset, tab);
  writeAt(s, kZoomOffset, zoom);
  ByteChunk chunk;
  toChunk(s, &chunk);
  ASSERT_EQ(plug.UnserializeState(&chunk, 0), 9976);
}

}  // namespace

TEST(Block, SilenceInSilenceOut) {
  auto none = makeEffect();
  auto zeros = makeEffect();
  for (int b = 0; b < 3; ++b) {
    Block in(512), a(512, 9.0, 9.0), c(512, 9.0, 9.0);
    none->LockMutexAndProcessDoubleReplacing(nullptr, a.io, 512);
    zeros->LockMutexAndProcessDoubleReplacing(in.io, c.io, 512);
    expectSame(a, c);
    // What remains is the filters' own floor, far below hearing.
    for (int i = 0; i < 512; ++i) ASSERT_LT(std::fabs(a.l[i]) + std::fabs(a.r[i]), 1e-4);
  }
}

// Non-finite and vanishing samples enter as 0: the chain goes on exactly as
// if silence had come in, and is not poisoned.
TEST(Block, NonFiniteInputIsTakenAsSilence) {
  auto broken = makeEffect();
  auto clean = makeEffect();
  heavy(*broken);
  heavy(*clean);
  Block bad(256), zero(256);
  for (int i = 0; i < 256; ++i) {
    bad.l[i] = i % 3 == 0 ? std::nan("") : (i % 3 == 1 ? kInf : -kInf);
    bad.r[i] = i % 2 ? 1e-320 : std::nan("");
  }
  const Block out = runBlock(*broken, bad);
  for (int i = 0; i < 256; ++i) {
    ASSERT_TRUE(std::isfinite(out.l[i]));
    ASSERT_TRUE(std::isfinite(out.r[i]));
  }
  expectSame(out, runBlock(*clean, zero));
  for (int b = 0; b < 3; ++b) {
    Block t1 = tone(512, 512 * b), t2 = tone(512, 512 * b);
    expectSame(runBlock(*broken, t1), runBlock(*clean, t2));
  }
}

// The output sweep's filters start where they are set: no burst while they
// would glide in from their designs' defaults.
TEST(Block, NoBurstAfterStartOrReset) {
  auto plug = makeEffect();
  for (int round = 0; round < 2; ++round) {
    for (int b = 0; b < 12; ++b) {
      Block in = tone(512, 512 * b);
      const Block out = runBlock(*plug, in);
      for (int i = 0; i < 512; ++i) ASSERT_LT(std::fabs(out.l[i]), 0.65) << round << " " << b;
    }
    plug->Reset();
  }
}

// Nothing leaves beyond +-sqrt(10); the peak meters see the clamped level.
TEST(Block, OutputIsClampedToPlusTenDecibels) {
  auto plug = makeEffect();
  Block in(512, 5.0, -5.0);
  const Block out = runBlock(*plug, in);
  EXPECT_EQ(out.l[0], 3.1622776601683795);
  EXPECT_EQ(out.r[0], -3.1622776601683795);
  for (int i = 0; i < 512; ++i) {
    ASSERT_LE(std::fabs(out.l[i]), 3.1622776601683795);
    ASSERT_LE(std::fabs(out.r[i]), 3.1622776601683795);
  }
  EXPECT_EQ(plug->GetMaxSampleValue(), 3.1622776601683795);
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kMaxLevelText));
}

// One connected input gives both channels exactly what two identical inputs
// give, with the sub-band processor on; so does sharing the host's buffers
// between input and output.
TEST(Block, OneConnectedInputFeedsBothChannels) {
  auto one = makeEffect();
  auto two = makeEffect();
  auto shared = makeEffect();
  auto right = makeEffect();
  for (Harshbloom* p : {one.get(), two.get(), shared.get(), right.get()}) heavy(*p);
  for (int b = 0; b < 4; ++b) {
    Block src = tone(512, 512 * b);
    std::vector<double> mono = src.l;
    double* oneIn[2] = {mono.data(), nullptr};
    Block a(512);
    one->LockMutexAndProcessDoubleReplacing(oneIn, a.io, 512);
    double* rightIn[2] = {nullptr, mono.data()};
    Block d(512);
    right->LockMutexAndProcessDoubleReplacing(rightIn, d.io, 512);

    Block pair(512);
    pair.l = mono;
    pair.r = mono;
    const Block c = runBlock(*two, pair);
    expectSame(a, c);
    expectSame(d, c);

    Block inPlace(512);
    inPlace.l = mono;
    inPlace.r = mono;
    shared->LockMutexAndProcessDoubleReplacing(inPlace.io, inPlace.io, 512);
    expectSame(inPlace, c);
  }
}

// Once the smoothed bypass gain reaches its limit the effect units stop:
// a setting of theirs no longer moves their state. The sub-band processor
// is not one of them.
TEST(Block, BypassStopsTheEffectUnits) {
  auto plug = makeEffect();
  setParam(*plug, Tags::kDistortion, 0.8);
  setParam(*plug, Tags::kBypassFX, 1.0);
  const auto& amount = plug->getDistoFx().chains[1].distortion.amountSmoother;
  // 0.988^n falls below 2.23e-8 after about 1460 samples.
  Block in = tone(1024);
  runBlock(*plug, in);
  EXPECT_GT(amount.state, 0.0);
  runBlock(*plug, in);
  const double held = amount.state;
  setParam(*plug, Tags::kDistortion, 0.1);
  runBlock(*plug, in);
  EXPECT_EQ(amount.state, held);
  // Switched back on, the units run again from the next block.
  setParam(*plug, Tags::kBypassFX, 0.0);
  runBlock(*plug, in);
  EXPECT_EQ(amount.state, held);
  runBlock(*plug, in);
  EXPECT_LT(amount.state, held);
}

// While oversampling is on the input stage is skipped altogether.
TEST(Block, OversamplingSkipsTheInputStage) {
  auto a = makeEffect();
  auto b = makeEffect();
  for (Harshbloom* p : {a.get(), b.get()}) {
    setParam(*p, Tags::kOversampling, 1.0);
    setParam(*p, Tags::kSaturation, 0.6);
  }
  setParam(*b, Tags::kInputVolume, 0.2);
  setParam(*b, Tags::kInputDCOffset, 0.9);
  setParam(*b, Tags::kInputSaturation, 1.0);
  setParam(*b, Tags::kInputMode, 0.2);
  for (int k = 0; k < 3; ++k) {
    Block t1 = tone(512, 512 * k), t2 = tone(512, 512 * k);
    expectSame(runBlock(*a, t1), runBlock(*b, t2));
  }
  // And it does run when oversampling is off.
  setParam(*a, Tags::kOversampling, 0.0);
  setParam(*b, Tags::kOversampling, 0.0);
  Block t1 = tone(512), t2 = tone(512);
  EXPECT_NE(runBlock(*a, t1).l[200], runBlock(*b, t2).l[200]);
}

// Pan 0 silences the right channel and leaves the left at unity; pan 1 the
// reverse.
TEST(Block, PanAttenuatesOneSideOnly) {
  auto centre = makeEffect();
  auto left = makeEffect();
  auto right = makeEffect();
  setParam(*left, Tags::kPan, 0.0);
  setParam(*right, Tags::kPan, 1.0);
  for (int b = 0; b < 4; ++b) {
    Block t1 = tone(512, 512 * b), t2 = tone(512, 512 * b), t3 = tone(512, 512 * b);
    const Block c = runBlock(*centre, t1), l = runBlock(*left, t2), r = runBlock(*right, t3);
    for (int i = 0; i < 512; ++i) {
      ASSERT_EQ(l.l[i], c.l[i]);
      ASSERT_EQ(r.r[i], c.r[i]);
    }
    if (b == 3) {
      EXPECT_LT(std::fabs(l.r[511]), 1e-12);
      EXPECT_LT(std::fabs(r.l[511]), 1e-12);
    }
  }
}

// A block longer than the prepared size runs in pieces with the same result.
TEST(Block, LongBlocksRunInPieces) {
  auto whole = makeEffect();
  auto pieces = makeEffect();
  for (Harshbloom* p : {whole.get(), pieces.get()}) heavy(*p);
  whole->SetBlockSize(4096);
  whole->Reset();
  Block t1 = tone(3000), t2 = tone(3000);
  const Block a = runBlock(*whole, t1), b = runBlock(*pieces, t2);  // 1024 frames prepared
  for (int i = 0; i < 3000; ++i) {
    // The sub-band pieces differ only where a piece ends; the rest matches.
    ASSERT_TRUE(std::isfinite(b.l[i]));
    ASSERT_NEAR(a.l[i], b.l[i], 1e-9) << i;
  }
}

// At 44100 Hz the scope takes every 73rd sample at zoom 100, every 14th at
// 500 and every 733rd at 10; each entry averages a sample with the next.
TEST(Scope, CaptureStepFollowsTheZoom) {
  const struct {
    double zoom;
    int step;
  } rows[] = {{100.0, 73}, {500.0, 14}, {10.0, 733}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.zoom);
    auto plug = makeEffect();
    showPage(*plug, 1.0, r.zoom);
    Block in(1024);
    for (int i = 0; i < 1024; ++i) in.l[i] = i * 1e-4;
    runBlock(*plug, in);
    const auto& ring = plug->getScopeRing();
    const int captured = (1023 / r.step) + 1;
    EXPECT_EQ(ring.writeCounter(), captured);
    const Rawnfield::Types::VisSample s = ring.read(1);
    EXPECT_DOUBLE_EQ(s.dryLeft, (r.step * 1e-4 + (r.step + 1) * 1e-4) * 0.5);
    EXPECT_FALSE(s.gap);
    EXPECT_TRUE(plug->takeDirty(Harshbloom::kScopeDisplay));
  }
}

// Frozen, the ring stays as it is while the capture counter runs on;
// unfreezing leaves a gap of 20 blank slots.
TEST(Scope, FreezeKeepsTheTraceAndUnfreezingLeavesAGap) {
  auto plug = makeEffect();
  showPage(*plug, 1.0, 100.0);
  Block in = tone(730);
  runBlock(*plug, in);
  const auto& ring = plug->getScopeRing();
  ASSERT_EQ(ring.writeCounter(), 10);
  plug->setFreeze(true);
  const Rawnfield::Types::VisSample kept = ring.read(3);
  Block more = tone(730, 730);
  runBlock(*plug, more);
  EXPECT_EQ(ring.writeCounter(), 10);
  EXPECT_EQ(ring.read(3).outLeft, kept.outLeft);
  plug->setFreeze(false);
  EXPECT_EQ(ring.writeCounter(), 30);
  for (int slot = 10; slot < 30; ++slot) EXPECT_TRUE(ring.read(slot).gap) << slot;
  // The counter ran on through the frozen block: capture resumes on the
  // same 73-sample grid, at sample 1460.
  Block last = tone(73, 1460);
  runBlock(*plug, last);
  EXPECT_EQ(ring.writeCounter(), 31);
}

// The ring's walk from its write counter goes from the oldest entry to the
// newest, also once more entries than a 16-bit counter holds have passed.
TEST(Scope, RingStaysInOrderPastSixtyFiveThousandWrites) {
  Rawnfield::CircularBuffer<Rawnfield::Types::VisSample> ring;
  ring.resize(601);
  Rawnfield::Types::VisSample s;
  for (int k = 0; k < 65536 + 300; ++k) {
    s.dryLeft = k;
    ring.write(s);
    if (k < 65536 - 2 || (k % 97 != 0 && k < 65536 + 299)) continue;
    const int first = ring.writeCounter() % 601;
    for (int i = 0; i < 601; ++i)
      ASSERT_EQ(ring.read((first + i) % 601).dryLeft, k - 600 + i) << "after write " << k;
  }
}

// One entry every `step` samples, without a jump at block ends or where a
// counter wraps: captured from a ramp, neighbouring entries of the walk lie
// one period apart all the way.
TEST(Scope, CapturePeriodStaysSteady) {
  auto plug = makeEffect();
  showPage(*plug, 1.0, 500.0);
  plug->SetSampleRate(10517.5);  // 3.5 samples per entry at 500 %: every 3rd
  plug->Reset();
  constexpr int kStep = 3, kBlock = 512;
  constexpr double kScale = 1e-6;
  const auto& ring = plug->getScopeRing();
  Block in(kBlock);
  long sample = 0;
  for (int b = 0; sample < (65536L + 700) * kStep; ++b) {
    for (int i = 0; i < kBlock; ++i) in.l[i] = (sample + i) * kScale;
    sample += kBlock;
    runBlock(*plug, in);
    if (sample < 601 * kStep + kBlock) continue;
    const int first = ring.writeCounter() % 601;
    double previous = ring.read(first).dryLeft;
    for (int i = 1; i < 601; ++i) {
      const double v = ring.read((first + i) % 601).dryLeft;
      // An entry at a block's last sample has no neighbour to average with.
      ASSERT_NEAR(v - previous, kStep * kScale, 0.5 * kScale + 1e-12)
          << "block " << b << ", column " << i;
      previous = v;
    }
  }
}

TEST(Scope, AboutPageFollowsTheOutputLevel) {
  auto plug = makeEffect();
  showPage(*plug, 2.0, 100.0);
  Block in(2048);
  for (int i = 0; i < 2048; ++i) in.l[i] = 0.5 * std::sin(0.15 * i);
  runBlock(*plug, in);
  EXPECT_GT(plug->getLevel(0), 0.4);
  EXPECT_LE(plug->getLevel(0), 0.5);
  EXPECT_LT(plug->getLevel(1), 1e-4);
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kLevelDisplays));
  EXPECT_FALSE(plug->takeDirty(Harshbloom::kScopeDisplay));
}

// The program the effect starts with is clean: a mid-range tone comes out at
// its own level, with both channels alike.
TEST(Block, TheStartingProgramPassesAToneAtItsOwnLevel) {
  auto plug = makeEffect();
  double inPeak = 0, outPeak = 0, sideDiff = 0;
  for (int b = 0; b < 40; ++b) {
    Block t(512);
    for (int i = 0; i < 512; ++i)
      t.l[i] = t.r[i] = 0.2 * std::sin(2 * M_PI * 220 * (b * 512 + i) / 44100.0);
    const Block o = runBlock(*plug, t);
    if (b < 30) continue;  // past the smoothers' start
    for (int i = 0; i < 512; ++i) {
      inPeak = std::max(inPeak, std::fabs(t.l[i]));
      outPeak = std::max(outPeak, std::fabs(o.l[i]));
      sideDiff = std::max(sideDiff, std::fabs(o.l[i] - o.r[i]));
    }
  }
  EXPECT_NEAR(20 * std::log10(outPeak / inPeak), 0.0, 0.1);
  EXPECT_LT(sideDiff, 1e-12);
}

// Five oversamplers, all prepared by a reset: the output saturator's and the
// limiter's run while oversampling is on, the other three stay as the reset
// left them.
TEST(Block, FiveOversamplersOnlyTwoRun) {
  auto plug = makeEffect();
  ASSERT_EQ(Harshbloom::numOversamplers(), 5);
  plug->SetSampleRate(48000.0);
  plug->SetBlockSize(96);
  plug->Reset();
  const KIT_BesselFilterCoeffs designed = KIT_BesselFilterCoeffs::Calc(1.0 / 16.0);
  for (int i = 0; i < Harshbloom::numOversamplers(); ++i) {
    const Rawnfield::Oversampler& o = plug->getOversampler(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(o.sampleRate, 48000.0);
    EXPECT_EQ(o.blockSize, 96);
    EXPECT_EQ(o.factor, 8);
    EXPECT_GE(o.upCapacity(), 96 * 8);
    EXPECT_GE(o.downCapacity(), 96);
    EXPECT_EQ(0, std::memcmp(o.coefficients.c, designed.c, sizeof designed.c));
  }
  setParam(*plug, Tags::kOversampling, 1.0);
  setParam(*plug, Tags::kSaturation, 0.6);
  setParam(*plug, Tags::kLimiterMode, 1.0);
  Block t = tone(96);
  runBlock(*plug, t);
  const auto quiet = [&](int i) {
    for (const auto& history : plug->getOversampler(i).states)
      for (double v : history)
        if (v != 0.0) return false;
    return true;
  };
  int running = 0;
  for (int i = 0; i < Harshbloom::numOversamplers(); ++i) running += quiet(i) ? 0 : 1;
  EXPECT_EQ(running, 2);
  EXPECT_FALSE(quiet(0));
  EXPECT_FALSE(quiet(1));
}
