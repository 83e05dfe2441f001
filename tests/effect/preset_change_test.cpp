// Preset changes while blocks run: silence stays silent through every
// factory preset, and music goes from one preset to the next without a step.
#include <algorithm>
#include <cmath>

#include "effect_fixture.h"
#include "temp_dir.h"

namespace {

// -90 dBFS.
const double kSilent = std::pow(10.0, -90.0 / 20.0);

std::unique_ptr<Harshbloom> activeEffect(double rate, int frames) {
  auto plug = makeEffect();
  plug->SetSampleRate(rate);
  plug->SetBlockSize(frames);
  plug->Reset();
  plug->OnActivate(true);
  return plug;
}

// A stereo recording of the effect's output.
struct Take {
  std::vector<double> l, r;
  size_t size() const { return l.size(); }
  void append(const Block& b) {
    l.insert(l.end(), b.l.begin(), b.l.end());
    r.insert(r.end(), b.r.begin(), b.r.end());
  }
  double peak(size_t from, size_t to) const {
    double m = 0.0;
    for (size_t i = from; i < to && i < size(); ++i)
      m = std::max({m, std::fabs(l[i]), std::fabs(r[i])});
    return m;
  }
  // The largest step from one sample to the next in [from, to).
  double jump(size_t from, size_t to) const {
    double m = 0.0;
    for (size_t i = std::max<size_t>(from, 1); i < to && i < size(); ++i)
      m = std::max({m, std::fabs(l[i] - l[i - 1]), std::fabs(r[i] - r[i - 1])});
    return m;
  }
};

// Two tones, 220 Hz left and 330 Hz right, continuing from frame `at`.
Block tones(int n, long at, double rate, double amplitude) {
  Block b(n);
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(at + i) / rate;
    b.l[i] = amplitude * std::sin(2.0 * M_PI * 220.0 * t);
    b.r[i] = amplitude * std::sin(2.0 * M_PI * 330.0 * t);
  }
  return b;
}

struct Format {
  double rate;
  int frames;
};

void PrintTo(const Format& f, std::ostream* os) {
  *os << f.rate << " Hz, " << f.frames << " frames";
}

class SilentPresets : public testing::TestWithParam<Format> {};

// Before, silence came out of some changes at up to -8 dBFS: a DC step from
// the new curve through the crossover and the sweep's high-pass, ringing for
// half a second.
TEST_P(SilentPresets, EveryPresetChangeStaysBelowMinus90dB) {
  const Format f = GetParam();
  auto plug = activeEffect(f.rate, f.frames);
  Block silence(f.frames);
  const int blocks = static_cast<int>(0.15 * f.rate / f.frames) + 1;
  double worst = 0.0;
  int worstPreset = -1;
  for (int step = 0; step <= Harshbloom::kNumPresets; ++step) {  // and back to the first
    const int preset = step % Harshbloom::kNumPresets;
    ASSERT_TRUE(plug->RestorePreset(preset));
    Take take;
    for (int b = 0; b < blocks; ++b) take.append(runBlock(*plug, silence));
    const double peak = take.peak(0, take.size());
    if (peak > worst) {
      worst = peak;
      worstPreset = preset;
    }
  }
  EXPECT_LT(worst, kSilent) << "at " << 20.0 * std::log10(worst) << " dBFS after preset "
                            << worstPreset;
}

INSTANTIATE_TEST_SUITE_P(PresetChange, SilentPresets,
                         testing::Values(Format{48000.0, 512}, Format{44100.0, 64}),
                         [](const testing::TestParamInfo<Format>& p) {
                           return std::to_string(static_cast<int>(p.param.rate)) + "Hz_" +
                                  std::to_string(p.param.frames);
                         });

// Music through a change: the output steps no more than the old program or
// the new one do by themselves. Before, the change cut in with a step of up to
// 21 times the programs' own.
TEST(PresetChange, MusicGoesOverWithoutAStep) {
  const double rate = 48000.0;
  const int n = 512;
  const struct { int from, to; } changes[] = {{33, 34}, {88, 89}, {89, 0}, {10, 11}, {25, 26}};
  for (const auto& c : changes) {
    auto plug = activeEffect(rate, n);
    ASSERT_TRUE(plug->RestorePreset(c.from));
    long frame = 0;
    Take take;
    for (int b = 0; b < 60; ++b, frame += n) {
      if (b == 20) {
        ASSERT_TRUE(plug->RestorePreset(c.to));
      }
      Block in = tones(n, frame, rate, 0.5);
      take.append(runBlock(*plug, in));
    }
    const size_t at = 20 * n;
    // The change with its pause is over within 0.17 s.
    const double own = std::max(take.jump(at - 4096, at), take.jump(at + 12288, take.size()));
    EXPECT_LE(take.jump(at, at + 8192), 1.05 * own) << c.from << " to " << c.to;
    // The first sample of the new program takes up where the old one ended.
    EXPECT_EQ(take.l[at], take.l[at - 1]) << c.from << " to " << c.to;
    EXPECT_EQ(take.r[at], take.r[at - 1]) << c.from << " to " << c.to;
  }
}

// A program file loaded while blocks run settles like a preset.
TEST(PresetChange, LoadingAProgramFileStaysSilent) {
  TempDir dir;
  const std::string path = dir.path("loud.txt");
  auto source = makeEffect();
  ASSERT_TRUE(source->RestorePreset(11));  // the loudest change on silence before
  source->SaveProgAsRN(KIT_String(path.c_str()));

  auto plug = activeEffect(48000.0, 512);
  ASSERT_TRUE(plug->RestorePreset(10));
  Block silence(512);
  for (int b = 0; b < 20; ++b) runBlock(*plug, silence);
  plug->LoadProgFromRN(KIT_String(path.c_str()));
  const int type = Rawnfield::Harshbloom::kDistortionType;
  ASSERT_EQ(plug->GetParam(type)->Value(), source->GetParam(type)->Value());
  Take take;
  for (int b = 0; b < 20; ++b) take.append(runBlock(*plug, silence));
  EXPECT_LT(take.peak(0, take.size()), kSilent);
}

}  // namespace
