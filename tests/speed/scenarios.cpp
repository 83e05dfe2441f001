#include "scenarios.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "DistortionFx.h"
#include "DumpExpand.h"
#include "Eq4Band.h"
#include "FilterUnit.h"
#include "InputProcessor.h"
#include "Oversampler.h"
#include "Saturator.h"
#include "SoftClipper.h"
#include "SubBandProcessor.h"
#include "test_provider.h"
#include "whole_chain.h"

using namespace Rawnfield;

namespace SpeedScenarios {

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.141592653589793;
constexpr int kFactor = Oversampler::kFactor;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// A stereo pair of buffers with room for the longest block, refilled from
// the two source signals block by block.
struct Feed {
  Feed(int longest, int total, double level, unsigned seed)
      : srcL(signal(total, seed, level)),
        srcR(signal(total, seed + 7u, 0.8 * level)),
        l(longest),
        r(longest),
        io{l.data(), r.data()} {}

  double** next(int n) {
    std::memcpy(l.data(), srcL.data() + at, sizeof(double) * n);
    std::memcpy(r.data(), srcR.data() + at, sizeof(double) * n);
    at += n;
    return io;
  }

  std::vector<double> srcL, srcR, l, r;
  double* io[2];
  size_t at = 0;
};

int sum(const std::vector<int>& lengths) {
  int s = 0;
  for (int n : lengths) s += n;
  return s;
}

int longest(const std::vector<int>& lengths) {
  int m = 0;
  for (int n : lengths) m = n > m ? n : m;
  return m;
}

void append(std::vector<double>& out, double* const* io, int n) {
  for (int i = 0; i < n; ++i) {
    out.push_back(io[0][i]);
    out.push_back(io[1][i]);
  }
}

// Runs blocks of the given lengths: before(k) sets up block k, then
// process(io, n) runs it in place and the block is recorded.
template <class Before, class Process>
std::vector<double> runBlocks(const std::vector<int>& lengths, double level, unsigned seed,
                              Before&& before, Process&& process) {
  Feed feed(longest(lengths), sum(lengths), level, seed);
  std::vector<double> out;
  for (size_t k = 0; k < lengths.size(); ++k) {
    before(static_cast<int>(k));
    double** io = feed.next(lengths[k]);
    process(io, lengths[k]);
    append(out, io, lengths[k]);
  }
  return out;
}

void appendStates(std::vector<double>& out, const Oversampler& o) {
  for (const auto& h : o.states)
    for (double v : h) out.push_back(v);
}

// A soft nonlinear stage for the oversampler runs.
void softStage(double** up, int m) {
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < m; ++i) up[c][i] = up[c][i] / (1.0 + std::fabs(up[c][i]));
}

std::vector<double> oversamplerRun() {
  Oversampler o;
  o.setBlockSize(512);
  o.reset();
  std::vector<double> out = runBlocks(
      {512, 333, 1, 64, 130, 512, 512, 512}, 1.1, 11u, [](int) {},
      [&](double** io, int n) { o.run(io, n, softStage); });
  appendStates(out, o);
  return out;
}

// upsample and downsample called on their own, with lengths that are not
// whole frames and longer than the buffers.
std::vector<double> oversamplerParts() {
  Oversampler o;
  o.setBlockSize(64);
  o.reset();
  std::vector<double> out;
  Feed feed(70, 180, 0.9, 23u);
  double** in = feed.next(40);
  o.upsample(in, nullptr, 40);
  append(out, o.up, 40 * kFactor);
  softStage(o.up, 40 * kFactor);
  o.downsample(o.up, nullptr, 317);
  append(out, o.down, 40);
  in = feed.next(70);
  o.upsample(in, nullptr, 70);  // only 64 frames fit
  append(out, o.up, 64 * kFactor);
  o.downsample(o.up, nullptr, 64 * kFactor);
  append(out, o.down, 64);
  appendStates(out, o);
  return out;
}

// Non-finite, huge and denormal samples on the way in and out of the stage.
std::vector<double> oversamplerNonFinite() {
  Oversampler o;
  o.setBlockSize(128);
  o.reset();
  int block = 0;
  std::vector<double> out = runBlocks(
      {100, 100, 100, 100, 100}, 0.7, 31u, [&](int k) { block = k; },
      [&](double** io, int n) {
        if (block == 1) {
          io[0][10] = kNaN;
          io[1][20] = kInf;
          io[0][40] = -kInf;
          io[1][50] = 1e300;
          io[0][60] = 4e-320;
          io[1][61] = -0.0;
        }
        o.run(io, n, [&](double** up, int) {
          if (block == 3) {
            up[0][77] = kNaN;
            up[1][300] = 1e306;
            up[0][500] = -3e-310;
          }
        });
      });
  appendStates(out, o);
  return out;
}

std::vector<double> saturatorOutput() {
  Saturator s(kOutputSaturation);
  s.setBlockSize(512 * kFactor);
  s.init(testProvider());
  s.setDryWetThreshold(Saturator::kFastDryWetThreshold);
  const double amounts[] = {0.1, 0.1, 0.7, 0.7, 0.0, 0.35, 1.0, kNaN, 0.5};
  return runBlocks(
      {2048, 666, 8, 512, 300, 2048, 1024, 277, 301}, 1.2, 41u,
      [&](int k) { s.amount = amounts[k]; },
      [&](double** io, int n) {
        if (n == 301) {
          io[0][5] = kNaN;
          io[1][9] = kInf;
          io[0][13] = -kInf;
        }
        s.process(io, n);
      });
}

// The other curve and threshold, with blocks longer than the scratch
// buffers (processed in pieces).
std::vector<double> saturatorPieces() {
  Saturator s(kFuzzyFilterDrive);
  s.init(testProvider());
  const double amounts[] = {0.6, 0.2, 0.9, 0.45};
  return runBlocks(
      {2100, 1024, 1025, 77}, 1.0, 43u, [&](int k) { s.amount = amounts[k]; },
      [&](double** io, int n) { s.process(io, n); });
}

std::vector<double> softClipper() {
  SoftClipper c;
  c.mode = SoftClipper::kModeLimiter;
  c.autoMakeUp = true;
  c.setThreshold(0.5);
  c.updateMakeUpGain();
  std::vector<double> other(2048);
  std::vector<double> otherR(2048);
  int block = 0;
  std::vector<double> out = runBlocks(
      {2048, 1000, 8, 512, 300, 100, 800, 333, 64}, 1.5, 53u,
      [&](int k) {
        block = k;
        const double thresholds[] = {0.5, 0.3, 0.3, 0.9, 0.9, 0.9, 0.02, 0.7, 0.7};
        if (k == 4) {
          c.mode = 2;
          c.autoMakeUp = false;
        } else if (k == 5) {
          c.mode = SoftClipper::kModeOff;
        } else if (k == 6) {
          c.mode = SoftClipper::kModeLimiter;
        } else if (k == 7) {
          c.autoMakeUp = true;
          c.updateMakeUpGain();
        }
        c.setThreshold(thresholds[k]);
        // Straight to the new threshold: the smoother then settles within
        // a few samples instead of thousands.
        if (k == 1) c.thresholdSmoother.state = thresholds[k];
      },
      [&](double** io, int n) {
        if (block == 8) {
          io[0][1] = kNaN;
          io[1][2] = kInf;
          io[0][3] = -kInf;
          io[1][4] = -0.0;
          io[0][5] = 1e-320;
        }
        if (block == 7) {
          // Separate output buffers.
          double* o[2] = {other.data(), otherR.data()};
          c.process(io, o, n);
          std::memcpy(io[0], o[0], sizeof(double) * n);
          std::memcpy(io[1], o[1], sizeof(double) * n);
          return;
        }
        c.process(io, io, n);
      });
  out.push_back(c.thresholdSmoother.state);
  out.push_back(c.kneeLow);
  out.push_back(c.kneeHigh);
  return out;
}

std::vector<double> inputStage() {
  InputProcessor p;
  p.init(testProvider());
  p.setBlockSize(512 * kFactor);
  const double volumes[] = {1.0, 0.5, 0.8, 0.8, 0.2, 0.9};
  const double offsets[] = {0.5, 0.7, 0.5, 0.3, 0.5, 0.55};
  const double drives[] = {0.0, 0.5, 0.2, 0.8, 0.8, 0.3};
  return runBlocks(
      {512, 333, 1, 64, 130, 512}, 0.9, 61u,
      [&](int k) {
        p.channelMode = static_cast<uint32_t>(k % 6);  // 5 is no mode: stereo
        p.volume = volumes[k];
        p.offset = offsets[k];
        p.inputSaturator.amount = drives[k];
      },
      [&](double** io, int n) { p.process(io, n); });
}

std::vector<double> filterUnit() {
  FilterUnit f;
  f.init(testProvider());
  f.setSampleRate(kRate);
  f.setBlockSize(512);
  f.reset();
  return runBlocks(
      {512, 333, 1, 64, 512, 512, 300, 512, 512}, 0.8, 71u,
      [&](int k) {
        if (k < 6) {
          f.setFilterType1(2 * k / 11.0);
          f.setFilterType2((2 * k + 1) / 11.0);
        }
        const double cutoffs[] = {0.5, 0.7, 0.7, 0.3, 0.45, 0.6, 0.6, 0.2, 0.9};
        const double rezos[] = {0.3, 0.3, 0.8, 0.5, 0.1, 0.6, 0.6, 0.95, 0.2};
        f.setCutoff(cutoffs[k]);
        f.setRezo(rezos[k]);
        f.setFilterMix(k == 5 ? 0.9 : 0.5);
        f.setFilterTransition(k == 5 ? 0.0 : 0.5);
        f.setInputDrive(k % 2 ? 0.4 : 0.0);
        if (k == 6) f.setBypass(true);
        if (k == 7) f.setBypass(false);
      },
      [&](double** io, int n) { f.process(io, n); });
}

std::vector<double> distortionChain() {
  DistortionFx chain(testProvider());
  chain.init();
  chain.setSampleRate(kRate);
  chain.setBlockSize(512);
  return runBlocks(
      {512, 333, 1, 64, 130, 512, 512, 400}, 0.9, 83u,
      [&](int k) {
        const int types[] = {25, 0, 5, 41, 12, 33, 25, 25};
        chain.bitCrasher.setQuantization(k == 3 ? 1.0 : 0.8 - 0.05 * k);
        chain.smpRateConverter.setSampleRateConversion(k == 2 ? 1.0 : 0.7 + 0.03 * k);
        chain.noiseGate.setThreshold(k == 4 ? 0.0 : 0.2);
        chain.distortion.setType(types[k] / 42.0);
        chain.distortion.setAmount(0.3 + 0.08 * k);
        chain.distortion.setDistoMode((k % 3) * 0.5);
        chain.distortion.setInterpolation(((k + 1) % 3) * 0.5);
        chain.distortion.setPolarity(((k + 2) % 3) * 0.5);
        chain.dynShaper.setAmount(0.6);
        chain.dynShaper.setType((k % 3) * 0.5);
        chain.dynShaper.setMode((k % 4) / 3.0);
        chain.dynShaper.setApplyMode(((k + 1) % 3) * 0.5);
        chain.dynShaper.setInvert(k == 5);
        chain.setBypass(k == 6);
      },
      [&](double** io, int n) { chain.process(io, nullptr, nullptr, n); });
}

std::vector<double> equaliser() {
  Eq4Band eq;
  eq.setSampleRate(kRate);
  eq.setBlockSize(512);
  eq.reset();
  return runBlocks(
      {512, 333, 1, 64, 512, 512, 512, 512}, 0.7, 97u,
      [&](int k) {
        if (k == 0 || k == 3) {
          eq.setBassAmount(k ? 0.2 : 0.7);
          eq.setLoMiAmount(k ? 0.6 : 0.3);
          eq.setHiMiAmount(k ? 0.45 : 0.55);
          eq.setHighAmount(k ? 0.1 : 0.9);
        }
        if (k == 5) eq.setBypass(true);
        if (k == 6) eq.setBypass(false);
      },
      [&](double** io, int n) {
        if (n == 333) io[1][100] = kNaN;  // the histories recover at the block's end
        eq.process(io, n);
      });
}

std::vector<double> subBand() {
  DistortionFx holder(testProvider());
  SubBandProcessor p(holder.distortion);
  p.init(testProvider());
  p.setSampleRate(kRate);
  p.setBlockSize(512);
  p.reset();
  const std::vector<int> lengths = {512, 333, 1, 64, 512, 512, 512, 512, 512};
  Feed disto(longest(lengths), sum(lengths), 0.6, 101u);
  std::vector<double> out = runBlocks(
      lengths, 0.9, 103u,
      [&](int k) {
        p.setChannelMode(static_cast<eChannelMode>(k % 5));
        p.setSubBandGain(0.5 + 0.1 * (k % 4));
        p.setDistoBandGain(1.0 - 0.1 * (k % 3));
        p.setSubBandSaturation(0.2 * (k % 5));
        BandSplitFilter& x = p.getBandSplitFilter();
        x.lowPassSlope = static_cast<eBandSplitSlope>(k % 4);
        x.highPassSlope = static_cast<eBandSplitSlope>((k + 1) % 4);
        if (k == 4) x.setHighPassCutoff(0.3);
        Eq4Band& eq = p.getEq4Band();
        eq.setBassAmount(0.5 + 0.05 * k);
        eq.setLoMiAmount(0.4);
        eq.setHiMiAmount(0.6);
        eq.setHighAmount(0.5 - 0.04 * k);
        if (k == 6) p.setBypass(true);
        if (k == 7) p.setBypass(false);
      },
      [&](double** io, int n) {
        double** d = disto.next(n);
        p.process(io, d, n);
        for (int c = 0; c < 2; ++c)
          for (int i = 0; i < n; ++i) io[c][i] = io[c][i] + 3.0 * d[c][i];
      });
  return out;
}

std::vector<double> sweep() {
  DumpExpand d;
  d.setSampleRate(kRate);
  d.setBlockSize(512);
  d.reset();
  const double positions[] = {0.2, 0.2, 0.8, 0.5, 0.05, 0.95, 0.95, 0.3};
  return runBlocks(
      {512, 333, 1, 64, 512, 512, 512, 512}, 0.8, 107u,
      [&](int k) {
        d.setDumpExpand(positions[k]);
        if (k == 5) d.setBypass(true);
        if (k == 6) d.setBypass(false);
      },
      [&](double** io, int n) { d.process(io, n); });
}

std::vector<double> wholeChain() {
  WholeChain chain;
  std::vector<double> rawL(512), rawR(512);
  double* raw[2] = {rawL.data(), rawR.data()};
  return runBlocks(
      {512, 512, 512, 300, 512, 512}, 0.8, 113u,
      [&](int k) {
        if (k == 2) chain.settings(1);
      },
      [&](double** io, int n) {
        std::memcpy(raw[0], io[0], sizeof(double) * n);
        std::memcpy(raw[1], io[1], sizeof(double) * n);
        chain.process(raw, io, n);
      });
}

// One buffer handed in as both channels: units that work on both channels
// at once must still give what one channel after the other gives.
std::vector<double> sharedChannels() {
  DistortionDataProvider& provider = testProvider();
  Saturator mixing(kOutputSaturation), driving(kFuzzyFilterDrive);
  for (Saturator* s : {&mixing, &driving}) s->init(provider);
  mixing.setDryWetThreshold(Saturator::kFastDryWetThreshold);
  mixing.amount = 0.1;
  driving.amount = 0.8;
  SoftClipper clipper;
  clipper.autoMakeUp = true;
  clipper.setThreshold(0.4);
  clipper.thresholdSmoother.state = 0.4;
  DistortionFx chain(provider);
  chain.init();
  chain.setSampleRate(kRate);
  chain.setBlockSize(512);
  chain.smpRateConverter.setSampleRateConversion(0.7);
  chain.noiseGate.setThreshold(0.3);
  chain.noiseGate.thresholdSmoother.state = chain.noiseGate.threshold;
  chain.distortion.setType(25.0 / 42.0);
  chain.distortion.setAmount(0.6);
  chain.dynShaper.setAmount(0.7);
  chain.dynShaper.setMode(1.0);
  Eq4Band eq;
  eq.setSampleRate(kRate);
  eq.setBlockSize(512);
  eq.reset();
  eq.setBassAmount(0.7);
  eq.setLoMiAmount(0.3);
  eq.setHiMiAmount(0.6);
  eq.setHighAmount(0.8);
  InputProcessor input;
  input.init(provider);
  input.setBlockSize(512);
  input.volume = 0.7;
  input.offset = 0.6;
  input.inputSaturator.amount = 0.5;
  FilterUnit filter;
  filter.init(provider);
  filter.setSampleRate(kRate);
  filter.setBlockSize(512);
  filter.reset();
  filter.setFilterType1(8 / 11.0);
  filter.setFilterType2(4 / 11.0);
  filter.setFilterMix(0.3);
  DumpExpand sweep;
  sweep.setSampleRate(kRate);
  sweep.setBlockSize(512);
  sweep.reset();
  sweep.setDumpExpand(0.7);
  DistortionFx holder(provider);
  SubBandProcessor sub(holder.distortion);
  sub.init(provider);
  sub.setSampleRate(kRate);
  sub.setBlockSize(512);
  sub.reset();
  Oversampler over;
  over.setBlockSize(512);
  over.reset();
  std::vector<double> other(512);

  std::vector<double> out;
  const std::vector<double> src = signal(1500, 131u, 1.1);
  std::vector<double> x(512);
  size_t at = 0;
  for (int n : {300, 511, 301, 77}) {
    // Each unit on its own copy of the block, the copy passed as both
    // channels.
    auto run = [&](auto&& unit) {
      std::copy(src.begin() + at, src.begin() + at + n, x.begin());
      double* io[2] = {x.data(), x.data()};
      unit(io);
      out.insert(out.end(), x.begin(), x.begin() + n);
    };
    run([&](double** io) { mixing.process(io, n); });
    run([&](double** io) { driving.process(io, n); });
    run([&](double** io) { clipper.process(io, io, n); });
    run([&](double** io) { chain.process(io, nullptr, nullptr, n); });
    run([&](double** io) { eq.process(io, n); });
    run([&](double** io) { input.process(io, n); });
    run([&](double** io) { filter.process(io, n); });
    run([&](double** io) { sweep.process(io, n); });
    run([&](double** io) { over.run(io, n, softStage); });
    run([&](double** io) {
      std::copy(src.begin() + at, src.begin() + at + n, other.begin());
      double* disto[2] = {other.data(), other.data()};
      sub.process(io, disto, n);
      for (int i = 0; i < n; ++i) io[0][i] += 2.0 * other[i];
    });
    at += n;
  }
  return out;
}

// Smoothers started at their targets, so that they settle within the first
// frames, then moved: the settled stretches of the noise gate, the shaper,
// the input stage, the filter unit's balance and the sub-band gains.
std::vector<double> settledUnits() {
  DistortionDataProvider& provider = testProvider();
  NoiseGate gate;
  DynShaper shaper;
  InputProcessor input;
  input.init(provider);
  input.setBlockSize(4096);
  FilterUnit filter;
  filter.init(provider);
  filter.setSampleRate(kRate);
  filter.setBlockSize(2048);
  filter.reset();
  filter.setFilterType1(0.0);
  filter.setFilterType2(3 / 11.0);
  DistortionFx holder(provider);
  SubBandProcessor sub(holder.distortion);
  sub.init(provider);
  sub.setSampleRate(kRate);
  sub.setBlockSize(2048);
  sub.reset();
  const std::vector<int> lengths = {2048, 333, 1, 64, 1500, 2048};
  Feed disto(longest(lengths), sum(lengths), 0.5, 139u);
  std::vector<double> mod(2048);
  for (int i = 0; i < 2048; ++i) mod[i] = 0.5 + 0.5 * std::sin(0.01 * i);
  int block = 0;
  return runBlocks(
      lengths, 1.0, 137u,
      [&](int k) {
        block = k;
        const double t = k == 4 ? 0.05 : 0.15 + 0.05 * k;
        gate.setThreshold(t);
        if (k != 4) gate.thresholdSmoother.state = gate.threshold;
        shaper.setAmount(0.4 + 0.1 * k);
        shaper.setType((k % 3) * 0.5);
        shaper.setMode((k % 4) / 3.0);
        shaper.setApplyMode((k % 3) * 0.5);
        shaper.setInvert(k % 2 == 1);
        if (k != 4) shaper.amountSmoother.state = shaper.getAmount();
        if (k == 5) shaper.setBypass(true);
        input.channelMode = static_cast<uint32_t>(k % 5);
        input.volume = 0.5 + 0.08 * k;
        input.offset = k == 2 ? 0.5 : 0.4 + 0.05 * k;
        input.inputSaturator.amount = 0.3;
        if (k != 4) {
          input.volumeSmoother.state = input.volume;
          input.offsetSmoother.state = 2.0 * input.offset - 1.0;
        }
        filter.setFilterMix(0.2 + 0.1 * k);
        if (k != 4) filter.balance.state = filter.filterMix;
        if (k == 3) filter.setBypass(true);
        if (k == 5) filter.setBypass(false);
        sub.setSubBandGain(0.6 + 0.05 * k);
        sub.setDistoBandGain(0.9 - 0.05 * k);
        sub.setSubBandSaturation(0.4);
        if (k != 4) {
          sub.subSmoother.state = sub.subGain;
          sub.distoSmoother.state = sub.distoGain;
        }
      },
      [&](double** io, int n) {
        if (block == 5) {
          io[0][7] = kNaN;
          io[1][9] = kInf;
        }
        gate.process(io, io, n);
        shaper.process(io, block == 1 ? mod.data() : nullptr, n);
        input.process(io, n);
        filter.process(io, n);
        double** d = disto.next(n);
        sub.process(io, d, n);
        for (int c = 0; c < 2; ++c)
          for (int i = 0; i < n; ++i) io[c][i] += 0.5 * d[c][i];
      });
}

}  // namespace

std::vector<double> signal(int n, unsigned seed, double level) {
  std::vector<double> s(n);
  unsigned state = seed * 2654435761u + 1u;
  const double f1 = 110.0 + 37.0 * (seed % 11);
  const double f2 = 1900.0 + 131.0 * (seed % 7);
  const int hot = n * 55 / 100;
  const int decay = n * 70 / 100;
  const int silent = n * 92 / 100;
  // From 1 to below the smallest normal over the decaying stretch.
  const double rate = 720.0 / (silent - decay > 0 ? silent - decay : 1);
  for (int i = 0; i < n; ++i) {
    state = state * 1664525u + 1013904223u;
    const double noise = static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    const double t = i / kRate;
    double x = 0.6 * std::sin(2.0 * kPi * f1 * t + 0.3 * seed) +
               0.3 * std::sin(2.0 * kPi * f2 * t) + 0.1 * noise;
    if (i >= hot && i < decay) x *= 2.5;
    if (i >= decay) x *= std::exp(-rate * (i - decay));
    if (i >= silent) x = 0.0;
    s[i] = level * x;
  }
  return s;
}

// Every unit keeps its results within 1e-12. The oversampler's filters
// differ from the step-by-step recurrence in the last bits (some 1e-14 on
// each up-sampled value, below the recurrence's own rounding error), and
// the whole chain carries such differences through the driven saturator
// and the limiter's knee between and after two oversamplers, which
// multiplies them about a hundredfold (1.4e-11 at most in this run). Its
// bound leaves room above that.
constexpr double kUnitTolerance = 1e-12;
constexpr double kChainTolerance = 1e-10;

const std::vector<Scenario>& all() {
  static const std::vector<Scenario> list = {
      {"oversampler_run", oversamplerRun, kUnitTolerance},
      {"oversampler_parts", oversamplerParts, kUnitTolerance},
      {"oversampler_nonfinite", oversamplerNonFinite, kUnitTolerance},
      {"saturator_output", saturatorOutput, kUnitTolerance},
      {"saturator_pieces", saturatorPieces, kUnitTolerance},
      {"soft_clipper", softClipper, kUnitTolerance},
      {"input_stage", inputStage, kUnitTolerance},
      {"filter_unit", filterUnit, kUnitTolerance},
      {"distortion_chain", distortionChain, kUnitTolerance},
      {"equaliser", equaliser, kUnitTolerance},
      {"sub_band", subBand, kUnitTolerance},
      {"sweep", sweep, kUnitTolerance},
      {"shared_channels", sharedChannels, kUnitTolerance},
      {"settled_units", settledUnits, kUnitTolerance},
      {"whole_chain", wholeChain, kChainTolerance},
  };
  return list;
}

}  // namespace SpeedScenarios
