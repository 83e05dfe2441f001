// The curve units', the bit crusher's and the noise gate's loops, the sample-rate reducer's
// positions and the oversampler's kernels for four and eight lanes against the two-lane
// forms, bit for bit, on inputs where such loops usually go wrong: the curve's ends and
// nodes, the knee's bounds, signed zeros, NaN, infinities, denormals, and block lengths
// that leave every kind of tail.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <ostream>
#include <vector>

#include "BitCrasher.h"
#include "DspLib/WideLanes.h"
#include "LookUp.h"
#include "NoiseGate.h"
#include "Oversampler.h"
#include "Saturator.h"
#include "SmpRateConverter.h"
#include "SoftClipper.h"
#include "test_provider.h"

using namespace Rawnfield;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Limits the lane width for one scope.
struct Width {
  explicit Width(Dsp::LaneWidth w) { Dsp::limitLaneWidth(w); }
  ~Width() { Dsp::limitLaneWidth(Dsp::kWidestLanes); }
};

// Runs `run` at every width the processor has; each result must have the
// two-lane result's bits.
void expectSameBitsOnEveryWidth(const std::function<std::vector<double>()>& run) {
  std::vector<double> narrow;
  {
    Width limit(Dsp::kNarrowLanes);
    narrow = run();
  }
  for (Dsp::LaneWidth w : {Dsp::kWideLanes, Dsp::kWidestLanes}) {
    Width limit(w);
    if (Dsp::laneWidth() != w) continue;
    const std::vector<double> got = run();
    ASSERT_EQ(got.size(), narrow.size());
    for (size_t i = 0; i < got.size(); ++i)
      ASSERT_EQ(0, std::memcmp(&got[i], &narrow[i], sizeof(double)))
          << "lanes " << w << ", value " << i << ": " << got[i] << " for " << narrow[i];
  }
}

// A sweep up to +-1.6 with awkward values spread through it.
std::vector<double> input(int n, double scale, const std::vector<double>& awkward) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) v[i] = scale * 1.6 * std::sin(0.013 * i * (1.0 + 0.001 * i));
  for (size_t k = 0; k < awkward.size(); ++k) v[(k * 37 + 5) % n] = awkward[k];
  return v;
}

std::vector<double> commonAwkward() {
  return {kNaN,
          -kNaN,
          kInf,
          -kInf,
          0.0,
          -0.0,
          1e-310,
          -1e-310,
          1.0,
          -1.0,
          1e300,
          -1e300,
          std::nextafter(1.0, 2.0),
          std::nextafter(-1.0, -2.0),
          511.0 / 511.0 * 2.0 - 1.0,
          255.0 / 511.0 * 2.0 - 1.0,
          0.5};
}

// Block lengths leaving every tail of the 2-, 4- and 8-sample loops.
const int kBlocks[] = {1, 7, 8, 9, 15, 16, 17, 63, 64, 130, 513};

// Blocks of both channels through `process`, outputs appended in order.
template <class Process>
std::vector<double> runBlocks(const std::vector<double>& left, const std::vector<double>& right,
                              Process&& process) {
  std::vector<double> out;
  size_t at = 0;
  for (int round = 0; round < 3; ++round) {
    for (int n : kBlocks) {
      if (at + n > left.size()) at = 0;
      std::vector<double> l(left.begin() + at, left.begin() + at + n);
      std::vector<double> r(right.begin() + at, right.begin() + at + n);
      double* io[2] = {l.data(), r.data()};
      process(io, n, round);
      out.insert(out.end(), l.begin(), l.end());
      out.insert(out.end(), r.begin(), r.end());
      at += n;
    }
  }
  return out;
}

struct SaturatorCase {
  uint32_t interpolation;
  double amount;  // below 0.25 mixes with the dry input
  bool poisoned;  // huge entries written into the curve
};

std::ostream& operator<<(std::ostream& o, const SaturatorCase& c) {
  return o << "interpolation " << c.interpolation << ", amount " << c.amount
           << (c.poisoned ? ", poisoned curve" : "");
}

class SaturatorWidths : public testing::TestWithParam<SaturatorCase> {};

// From smoothers at rest, and gliding after a change of amount.
TEST_P(SaturatorWidths, GiveTheTwoLaneBits) {
  const SaturatorCase c = GetParam();
  const std::vector<double> left = input(4096, 1.0, commonAwkward());
  const std::vector<double> right = input(4096, -0.7, commonAwkward());
  expectSameBitsOnEveryWidth([&] {
    Saturator s(kOutputSaturation);
    s.setBlockSize(1024);
    s.init(testProvider());
    s.setDryWetThreshold(Saturator::kFastDryWetThreshold);
    s.curve.interpolation = c.interpolation;
    if (c.poisoned) {
      // Entries init would have clamped, whose products overflow. (NaN
      // entries could meet NaN inputs, and a sum of two NaNs takes either
      // sign, as the compiler orders its operands.)
      s.curve.base.data[0] = 1e308;
      s.curve.base.data[300] = 1e308;
      s.curve.base.data[301] = -1e308;
      s.curve.base.data[511] = -1e308;
    }
    s.amount = c.amount;
    s.amountSmoother.state = c.amount;
    s.factorSmoother.state = s.saturationFactor;
    return runBlocks(left, right, [&](double** io, int n, int round) {
      if (round == 2) s.amount = 0.3 - c.amount / 2.0;
      s.process(io, n);
    });
  });
}

INSTANTIATE_TEST_SUITE_P(Modes, SaturatorWidths,
                         testing::Values(SaturatorCase{Types::kLinearInterpolation, 0.1, false},
                                         SaturatorCase{Types::kLinearInterpolation, 0.8, false},
                                         SaturatorCase{Types::kLinearInterpolation, 0.2, true},
                                         SaturatorCase{Types::kNoInterpolation, 0.2, false},
                                         SaturatorCase{Types::kNoInterpolation, 1.0, true},
                                         SaturatorCase{Types::kCosineInterpolation, 0.6, false},
                                         SaturatorCase{Types::kCosineInterpolation, 0.1, false},
                                         SaturatorCase{Types::kCosineInterpolation, 0.2, true}));

class LookUpWidths : public testing::TestWithParam<uint32_t> {};

// A curve that is not a line, read through LookUp::process.
TEST_P(LookUpWidths, GiveTheTwoLaneBits) {
  const std::vector<double> left = input(4096, 1.0, commonAwkward());
  const std::vector<double> right = input(4096, 0.9, commonAwkward());
  expectSameBitsOnEveryWidth([&] {
    LookUp lut(512);
    for (int i = 0; i < 512; ++i)
      lut.base.data[i] = std::sin(0.037 * i) * (i % 5 == 0 ? -1.0 : 1.0);
    lut.interpolation = GetParam();
    return runBlocks(left, right, [&](double** io, int n, int) { lut.process(io, n); });
  });
}

INSTANTIATE_TEST_SUITE_P(Modes, LookUpWidths,
                         testing::Values(Types::kNoInterpolation, Types::kLinearInterpolation,
                                         Types::kCosineInterpolation));

struct ClipperCase {
  uint32_t mode;
  bool makeUp;
  double threshold;
};

std::ostream& operator<<(std::ostream& o, const ClipperCase& c) {
  return o << "mode " << c.mode << (c.makeUp ? ", make-up" : "") << ", threshold " << c.threshold;
}

class SoftClipperWidths : public testing::TestWithParam<ClipperCase> {};

// Inputs on the knee's bounds and the threshold, both signs, with the
// limiter's threshold at rest and gliding.
TEST_P(SoftClipperWidths, GiveTheTwoLaneBits) {
  const ClipperCase c = GetParam();
  SoftClipper probe;
  probe.setThreshold(c.threshold);
  std::vector<double> awkward = commonAwkward();
  for (double knee : {0.5, 0.02}) {
    for (double v : {probe.threshold - knee / 2.0, probe.threshold + knee / 2.0, probe.threshold}) {
      awkward.push_back(v);
      awkward.push_back(-v);
      awkward.push_back(std::nextafter(v, 0.0));
    }
  }
  const std::vector<double> left = input(4096, 1.0, awkward);
  const std::vector<double> right = input(4096, 0.4, awkward);
  expectSameBitsOnEveryWidth([&] {
    SoftClipper clip;
    clip.mode = c.mode;
    clip.autoMakeUp = c.makeUp;
    clip.setThreshold(c.threshold);
    clip.thresholdSmoother.state = clip.threshold;
    if (c.mode != SoftClipper::kModeLimiter) {
      // The stored knee, as the limiter would leave it.
      clip.kneeLow = clip.threshold - clip.kneeWidth / 2.0;
      clip.kneeHigh = clip.threshold + clip.kneeWidth / 2.0;
    }
    clip.updateMakeUpGain();
    return runBlocks(left, right, [&](double** io, int n, int round) {
      if (round == 2) clip.setThreshold(c.threshold * 0.6);
      clip.process(io, io, n);
    });
  });
}

INSTANTIATE_TEST_SUITE_P(Modes, SoftClipperWidths,
                         testing::Values(ClipperCase{SoftClipper::kModeLimiter, false, 0.5},
                                         ClipperCase{SoftClipper::kModeLimiter, true, 0.9},
                                         ClipperCase{SoftClipper::kModeLimiter, true, 0.003},
                                         ClipperCase{2, false, 0.7079457843841379},
                                         ClipperCase{2, true, 0.2}));

// Blocks through `process`, as runBlocks, with both channels in one buffer
// when `shared`: the unit then takes every sample twice.
template <class Process>
std::vector<double> runBlocks(const std::vector<double>& left, const std::vector<double>& right,
                              bool shared, Process&& process) {
  if (!shared) return runBlocks(left, right, process);
  return runBlocks(left, right, [&](double** io, int n, int round) {
    double* one[2] = {io[0], io[0]};
    process(one, n, round);
  });
}

struct CrusherCase {
  double setting;  // quantization v: 1 + 63 v^2 bits
  bool shared;     // both channels in one buffer
};

std::ostream& operator<<(std::ostream& o, const CrusherCase& c) {
  return o << "setting " << c.setting << (c.shared ? ", one buffer" : "");
}

class BitCrusherWidths : public testing::TestWithParam<CrusherCase> {};

// Inputs on the grid and just beside it, at the magnitude from which a
// product is its own truncation (2^52) and where it overflows, with every
// setting changed in the last round.
TEST_P(BitCrusherWidths, GiveTheTwoLaneBits) {
  const CrusherCase c = GetParam();
  BitCrasher probe;
  probe.setQuantization(c.setting);
  std::vector<double> awkward = commonAwkward();
  const double step = 1.0 / probe.scale;
  for (double v : {step, 3.0 * step, 0.5 * step, 0x1p52 * step, 0x1p53 * step, 1.7e308 * step}) {
    for (double w : {v, std::nextafter(v, 0.0), std::nextafter(v, kInf)}) {
      awkward.push_back(w);
      awkward.push_back(-w);
    }
  }
  const std::vector<double> left = input(4096, 1.0, awkward);
  const std::vector<double> right = input(4096, -3.0, awkward);
  expectSameBitsOnEveryWidth([&] {
    BitCrasher crusher;
    crusher.setQuantization(c.setting);
    return runBlocks(left, right, c.shared, [&](double** io, int n, int round) {
      if (round == 2) crusher.setQuantization(0.97 - c.setting / 2.0);
      crusher.process(io, n);
    });
  });
}

INSTANTIATE_TEST_SUITE_P(Settings, BitCrusherWidths,
                         testing::Values(CrusherCase{0.0, false}, CrusherCase{0.37, false},
                                         CrusherCase{0.8, false}, CrusherCase{0.8, true},
                                         CrusherCase{0.9999, false}));

struct GateCase {
  double setting;  // threshold v^4
  double offset;   // the smoothed threshold starts this far (relative) below its target
  bool shared;     // both channels in one buffer
};

std::ostream& operator<<(std::ostream& o, const GateCase& c) {
  return o << "setting " << c.setting << ", offset " << c.offset
           << (c.shared ? ", one buffer" : "");
}

class NoiseGateWidths : public testing::TestWithParam<GateCase> {};

// Inputs on the threshold and the knee's top and just beside them, both
// signs, with the smoothed threshold at rest or gliding into it (settling
// within a block of the first round), and a new threshold in the last.
TEST_P(NoiseGateWidths, GiveTheTwoLaneBits) {
  const GateCase c = GetParam();
  NoiseGate probe;
  probe.setThreshold(c.setting);
  const double t = probe.threshold;
  const double width = t < 0.01 ? t : 0.01;
  std::vector<double> awkward = commonAwkward();
  for (double v : {t, t + width, t + width / 2.0}) {
    for (double w : {v, std::nextafter(v, 0.0), std::nextafter(v, kInf)}) {
      awkward.push_back(w);
      awkward.push_back(-w);
    }
  }
  // Quiet stretches, where the knee's division does not run, and loud ones.
  const std::vector<double> left = input(4096, 0.02, awkward);
  const std::vector<double> right = input(4096, -0.5, awkward);
  expectSameBitsOnEveryWidth([&] {
    NoiseGate gate;
    gate.setThreshold(c.setting);
    gate.thresholdSmoother.state = gate.threshold * (1.0 - c.offset);
    return runBlocks(left, right, c.shared, [&](double** io, int n, int round) {
      if (round == 2) gate.setThreshold(c.setting * 0.7);
      gate.process(io, io, n);
    });
  });
}

INSTANTIATE_TEST_SUITE_P(Settings, NoiseGateWidths,
                         testing::Values(GateCase{0.3, 0.0, false}, GateCase{0.3, 1e-12, false},
                                         GateCase{0.3, 0.0, true}, GateCase{0.1, 0.0, false},
                                         GateCase{0.45, 1e-12, true}, GateCase{0.8, 0.0, false}));

// One gate reading one block and writing another, in blocks of every
// length.
TEST(NoiseGateWidths, SeparateOutputGivesTheTwoLaneBits) {
  const std::vector<double> left = input(4096, 0.1, commonAwkward());
  const std::vector<double> right = input(4096, 0.05, commonAwkward());
  expectSameBitsOnEveryWidth([&] {
    NoiseGate gate;
    gate.setThreshold(0.35);
    gate.thresholdSmoother.state = gate.threshold;
    std::vector<double> written;
    runBlocks(left, right, [&](double** io, int n, int) {
      std::vector<double> l(n, 9.0), r(n, 9.0);
      double* out[2] = {l.data(), r.data()};
      gate.process(io, out, n);
      written.insert(written.end(), l.begin(), l.end());
      written.insert(written.end(), r.begin(), r.end());
    });
    return written;
  });
}

struct ReducerCase {
  double setting;  // ratio v^3 of the samples kept
  bool shared;     // both channels in one buffer
  bool moving;     // a new setting before every block
};

std::ostream& operator<<(std::ostream& o, const ReducerCase& c) {
  return o << "setting " << c.setting << (c.shared ? ", one buffer" : "")
           << (c.moving ? ", moving" : "");
}

class ReducerWidths : public testing::TestWithParam<ReducerCase> {};

// The positions worked out four and eight frames at a time, for counts that
// repeat from block to block and counts that change with every block, and
// blocks longer than the unit's buffers, which take them a piece at a time.
TEST_P(ReducerWidths, GiveTheTwoLaneBits) {
  const ReducerCase c = GetParam();
  const std::vector<double> left = input(4096, 1.0, commonAwkward());
  const std::vector<double> right = input(4096, -0.8, commonAwkward());
  expectSameBitsOnEveryWidth([&] {
    SmpRateConverter reducer;
    reducer.setBlockSize(600);
    reducer.setSampleRateConversion(c.setting);
    int block = 0;
    std::vector<double> out = runBlocks(left, right, c.shared, [&](double** io, int n, int) {
      if (c.moving) reducer.setSampleRateConversion(c.setting * (1.0 - 0.01 * (++block % 7)));
      reducer.process(io, n);
    });
    for (int n : {1500, 1024, 1500}) {
      std::vector<double> l(left.begin(), left.begin() + n), r(right.begin(), right.begin() + n);
      double* io[2] = {l.data(), c.shared ? l.data() : r.data()};
      reducer.process(io, n);
      out.insert(out.end(), l.begin(), l.end());
      out.insert(out.end(), r.begin(), r.end());
    }
    return out;
  });
}

INSTANTIATE_TEST_SUITE_P(Settings, ReducerWidths,
                         testing::Values(ReducerCase{0.8, false, false},
                                         ReducerCase{0.8, false, true},
                                         ReducerCase{0.3, true, false},
                                         ReducerCase{0.95, true, true},
                                         ReducerCase{0.999, false, true}));

// The oversampler's kernels over blocks of every length: the outputs and the
// histories each block leaves.
TEST(OversamplerWidths, GiveTheTwoLaneBits) {
  const std::vector<double> left = input(2000, 0.9, {});
  const std::vector<double> right = input(2000, -0.6, {});
  expectSameBitsOnEveryWidth([&] {
    Oversampler o;
    o.setBlockSize(513);
    o.reset();
    std::vector<double> histories;
    std::vector<double> out = runBlocks(left, right, [&](double** io, int n, int) {
      o.run(io, n, [](double** up, int m) {
        for (int c = 0; c < 2; ++c)
          for (int i = 0; i < m; ++i) up[c][i] = up[c][i] / (1.0 + std::fabs(up[c][i]));
      });
      for (const auto& h : o.states) histories.insert(histories.end(), std::begin(h), std::end(h));
    });
    out.insert(out.end(), histories.begin(), histories.end());
    return out;
  });
}

}  // namespace
