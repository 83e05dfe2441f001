// Blocks run on an audio thread while the editor, on this thread, redraws
// the scope and changes its settings the way a user does. Built on its own
// so that it can run under ThreadSanitizer (HB_TSAN); in the other builds it
// is a stress loop under the address sanitizer or none.

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "DistoFxControls.h"
#include "UiControls.h"
#include "editor_fx_fixture.h"
#include "temp_dir.h"

namespace {

TEST_F(EditorFx, ScopeRedrawsWhileBlocksRun) {
  Open();
  plug->onScopeTab();
  plug->zoomScope(true, 40.0);  // an entry every 14 samples: the ring turns often
  plug->OnActivate(true);
  const Harshbloom::EditorLinks& links = plug->getEditorLinks();
  IRECT scope = *links.waveDrawer->GetRECT();

  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  std::thread audio([&] {
    constexpr int kN = 128;
    double l[kN], r[kN], outL[kN], outR[kN];
    double* in[2] = {l, r};
    double* out[2] = {outL, outR};
    for (long b = 0; !stop.load(); ++b) {
      for (int i = 0; i < kN; ++i) {
        const double t = double(b * kN + i) / 44100.0;
        l[i] = 0.8 * std::sin(2.0 * M_PI * 50.0 * t);
        r[i] = 0.4 * std::sin(2.0 * M_PI * 75.0 * t);
      }
      plug->LockMutexAndProcessDoubleReplacing(in, out, kN);
      blocks.fetch_add(1);
      // A host's callback leaves the mutex free between blocks.
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
  });

  // At least this many frames and blocks, for at most about a second.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000);
  int frames = 0;
  IMouseMod left(true, false);
  for (; frames < 400 || blocks.load() < 400; ++frames) {
    if (frames >= 40 && std::chrono::steady_clock::now() > deadline) break;
    Tick();
    g->Draw(&scope);
    switch (frames % 8) {
      case 1: links.freezeButton->OnMouseDown(0, 0, &left); break;  // freezes, then unfreezes
      case 3: plug->zoomScope(frames % 16 == 3, 3.0); break;
      case 5: links.drawModeButton->OnMouseDown(0, 0, &left); break;
      case 7: plug->onScopeTab(); break;  // blanks the whole ring
      default: break;
    }
  }
  stop.store(true);
  audio.join();
  plug->OnActivate(false);

  EXPECT_GE(frames, 40);
  EXPECT_GT(blocks.load(), 0);
  // Whatever the ring holds was written whole: captured input within the
  // sines' range, blanks all zero.
  const auto& ring = plug->getScopeRing();
  for (int i = 0; i < ring.capacity(); ++i) {
    const Rawnfield::Types::VisSample s = ring.read(i);
    ASSERT_LE(std::fabs(s.dryLeft), 0.8) << i;
    ASSERT_LE(std::fabs(s.dryRight), 0.4) << i;
    if (s.gap) {
      ASSERT_EQ(s.outLeft, 0.0) << i;
    }
  }
}

// Presets chosen, programs loaded and knobs turned while blocks run: their
// values go in with the lock handed to the blocks between them.
TEST_F(EditorFx, PresetsAndKnobsChangeWhileBlocksRun) {
  Open();
  plug->SetSampleRate(48000.0);
  plug->SetBlockSize(64);
  plug->Reset();
  plug->OnActivate(true);
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  std::atomic<bool> finite{true};
  std::thread audio([&] {
    constexpr int kN = 64;
    double l[kN], r[kN], outL[kN], outR[kN];
    double* in[2] = {l, r};
    double* out[2] = {outL, outR};
    for (long b = 0; !stop.load(); ++b) {
      for (int i = 0; i < kN; ++i) l[i] = r[i] = 0.5 * std::sin(0.05 * double(b * kN + i));
      plug->LockMutexAndProcessDoubleReplacing(in, out, kN);
      for (int i = 0; i < kN; ++i)
        if (!std::isfinite(outL[i]) || !std::isfinite(outR[i])) finite = false;
      blocks.fetch_add(1);
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
  });
  std::vector<IControl*> knobs;
  for (int i = 0; i < g->NControls(); ++i)
    if (IControl* c = g->GetControl(i))
      if (c->ParamIdx() >= 0) knobs.push_back(c);
  TempDir dir;
  const std::string program = dir.path("program.rn");
  plug->SaveProgAsRN(KIT_String(program.c_str()));
  for (int p = 0; p < Harshbloom::kNumPresets; p += 3) {
    ASSERT_TRUE(plug->RestorePreset(p));
    for (size_t k = 0; k < knobs.size(); k += 5) knobs[k]->SetValueFromUserInput((p % 7) / 7.0);
    if (p % 15 == 0) plug->LoadProgFromRN(KIT_String(program.c_str()));
    Tick();
  }
  stop.store(true);
  audio.join();
  plug->OnActivate(false);
  EXPECT_GT(blocks.load(), 0);
  EXPECT_TRUE(finite.load());
}

}  // namespace
