// The block allocates nothing, whatever changes between blocks, and stays
// finite on broken input; editor requests never land inside a block, also
// with one thread running blocks while another edits.
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "DrawnCurve.h"
#include "alloc_hook.h"
#include "effect_fixture.h"
#include "temp_dir.h"

namespace {

namespace Tags = Rawnfield::Harshbloom;

// Watches the curves and the peak level between blocks: while active,
// neither may change except inside a block.
class WatchedEffect : public Harshbloom {
public:
  WatchedEffect() : Harshbloom(IFxInstanceInfo()) {}

  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override {
    if (seen && (snapshot() != last || GetMaxSampleValue() != lastPeak)) ++changedBetweenBlocks;
    Harshbloom::ProcessDoubleReplacing(inputs, outputs, nFrames);
    last = snapshot();
    lastPeak = GetMaxSampleValue();
    seen = true;
    ++blocks;
  }

  std::vector<double> snapshot() const {
    std::vector<double> v;
    for (const auto& chain : getDistoFx().chains)
      for (int i = 0; i < 512; i += 3)
        v.push_back(chain.distortion.getLutValue(static_cast<unsigned short>(i)));
    return v;
  }

  std::atomic<int> changedBetweenBlocks{0};
  std::atomic<int> blocks{0};

private:
  bool seen = false;
  std::vector<double> last;
  double lastPeak = 0.0;
};

bool sameCurves(const Harshbloom& plug) {
  const auto& c = plug.getDistoFx().chains;
  for (int i = 0; i < 512; ++i) {
    const auto k = static_cast<unsigned short>(i);
    const double v = c[0].distortion.getLutValue(k);
    if (c[1].distortion.getLutValue(k) != v || c[2].distortion.getLutValue(k) != v) return false;
  }
  return true;
}

}  // namespace

// Every parameter moves between blocks, oversampling and the limiter on,
// both display pages, a pending curve action, drawn values, a meter reset
// and presets settling: the blocks themselves allocate nothing.
TEST(RealTime, BlocksAllocateNothing) {
  auto plug = makeEffect();
  Rawnfield::DrawnCurve curve(133);
  plug->setCurveEditor(&curve);
  plug->OnActivate(true);
  Block in(512), out(512);
  long allocations = 0;
  for (int b = 0; b < 2 * 85 + 6; ++b) {
    const int index = b % 85;
    if (b % 13 == 0) {
      ASSERT_TRUE(plug->RestorePreset(b % 90));
    }
    setParam(*plug, index, std::fmod(0.37 + 0.29 * b, 1.0));
    setParam(*plug, Tags::kOversampling, 1.0);
    setParam(*plug, Tags::kLimiterMode, 1.0);
    setParam(*plug, Tags::kBypassFX, 0.0);
    if (b % 7 == 0) plug->distoCurveAction(static_cast<Rawnfield::Types::eDistoCurveAction>(b % 8));
    if (b % 5 == 0) {
      curve.setCurveValue(b % 133, 0.3);
      curve.markChanged();
    }
    if (b % 11 == 0) plug->ResetMaxLevels();
    if (b == 85) {
      plug->setFreeze(false);
    }
    for (int i = 0; i < 512; ++i) {
      in.l[i] = 0.8 * std::sin(0.05 * (i + 512 * b));
      in.r[i] = i % 97 == 0 ? std::nan("") : 0.5 * std::sin(0.02 * i);
    }
    AllocationCounter counter;
    plug->ProcessDoubleReplacing(in.io, out.io, 512);
    allocations += counter.count();
  }
  EXPECT_EQ(allocations, 0);
  plug->OnActivate(false);
  plug->setCurveEditor(nullptr);
}

// Infinities, NaN, denormals and huge values in, finite and bounded out,
// on every preset.
TEST(RealTime, BrokenInputStaysFiniteOnEveryPreset) {
  auto plug = makeEffect();
  const double odd[] = {std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(),
                        std::nan(""),
                        1e-310,
                        -4e-320,
                        1e300,
                        -1e300,
                        0.7};
  for (int p = 0; p < plug->NPresets(); p += 7) {
    ASSERT_TRUE(plug->RestorePreset(p));
    Block in(256);
    for (int i = 0; i < 256; ++i) {
      in.l[i] = odd[i % 8];
      in.r[i] = odd[(i * 3) % 8];
    }
    const Block out = runBlock(*plug, in);
    for (int i = 0; i < 256; ++i) {
      ASSERT_LE(std::fabs(out.l[i]), 3.1622776601683795) << p;
      ASSERT_LE(std::fabs(out.r[i]), 3.1622776601683795) << p;
    }
    // And the next ordinary block is ordinary.
    Block tone(256);
    for (int i = 0; i < 256; ++i) tone.l[i] = tone.r[i] = 0.3 * std::sin(0.1 * i);
    const Block after = runBlock(*plug, tone);
    double energy = 0;
    for (int i = 0; i < 256; ++i) energy += std::fabs(after.l[i]);
    EXPECT_TRUE(std::isfinite(energy)) << p;
  }
}

// One thread runs blocks as the host does while another sends curve
// actions, draws and resets the meters: between blocks nothing changes,
// and every request is carried out by a block.
TEST(RealTime, EditorRequestsNeverLandBetweenOrInsideBlocks) {
  WatchedEffect plug;
  Rawnfield::DrawnCurve curve(133);
  plug.setCurveEditor(&curve);
  plug.OnActivate(true);
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    Block in(64), out(64);
    for (int b = 0; !stop.load(); ++b) {
      for (int i = 0; i < 64; ++i) in.l[i] = in.r[i] = 0.9 * std::sin(0.2 * (i + 64 * b));
      plug.LockMutexAndProcessDoubleReplacing(in.io, out.io, 64);
      std::this_thread::yield();
    }
  });
  for (int k = 0; plug.blocks.load() < 300; ++k) {
    plug.distoCurveAction(static_cast<Rawnfield::Types::eDistoCurveAction>(k % 8));
    for (int c = 0; c < 133; c += 5) curve.setCurveValue(c, std::sin(0.1 * (c + k)));
    curve.markChanged();
    if (curve.takeChanged()) plug.updateDistoCurveValuesFromGUI();
    plug.ResetMaxLevels();
    std::this_thread::yield();
  }
  // Once the last drawn values are in, the last request, the linear ramp,
  // arrives with the next block.
  const auto waitBlocks = [&plug](int n) {
    const int before = plug.blocks.load();
    while (plug.blocks.load() < before + n) std::this_thread::yield();
  };
  waitBlocks(2);
  plug.distoCurveAction(Rawnfield::Types::kResetCurve);
  waitBlocks(2);
  stop.store(true);
  audio.join();
  plug.OnActivate(false);

  EXPECT_EQ(plug.changedBetweenBlocks.load(), 0);
  EXPECT_TRUE(sameCurves(plug));
  const auto& master = plug.getDistoFx().chains[0].distortion;
  for (int i = 0; i < 512; i += 11)
    EXPECT_NEAR(master.getLutValue(static_cast<unsigned short>(i)), -1.0 + 2.0 * i / 511, 1e-12);
  EXPECT_EQ(plug.getPendingCurveAction(), Rawnfield::Types::kNoCurveAction);
  plug.setCurveEditor(nullptr);
}

// File actions, program loads and preset restores take the plug-in mutex
// for their changes: with blocks running the three curves always agree.
TEST(RealTime, FileActionsAndPresetsWhileBlocksRun) {
  TempDir dir;
  auto plug = makeEffect();
  const std::string csv = dir.path("c.csv"), prog = dir.path("p.txt");
  plug->ExportDistoCurve(KIT_String(csv.c_str()));
  plug->SaveProgAsRN(KIT_String(prog.c_str()));
  plug->OnActivate(true);
  std::atomic<bool> done{false};
  std::atomic<int> disagreements{0};
  std::thread audio([&] {
    Block in(128, 0.4, -0.4), out(128);
    while (!done.load()) {
      {
        KIT_MutexLock lock(plug->GetMutex());
        plug->ProcessDoubleReplacing(in.io, out.io, 128);
        if (!sameCurves(*plug)) ++disagreements;
      }
      // A real stream leaves time between blocks too.
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
  });
  for (int k = 0; k < 12; ++k) {
    plug->RestorePreset(k * 7);
    plug->ImportDistoCurve(KIT_String(csv.c_str()));
    plug->LoadProgFromRN(KIT_String(prog.c_str()));
    plug->ExportDistoCurve(KIT_String(csv.c_str()));
    setParam(*plug, Tags::kDistortionType, (k % 42) / 42.0);
  }
  done.store(true);
  audio.join();
  plug->OnActivate(false);
  EXPECT_EQ(disagreements.load(), 0);
}
