// Blocks run on an audio thread while the editor, on this thread, redraws
// the scope and changes its settings the way a user does. Built on its own
// so that it can run under ThreadSanitizer (HB_TSAN); in the other builds it
// is a stress loop under the address sanitizer or none.

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "DistoFxControls.h"
#include "UiControls.h"
#include "editor_fx_fixture.h"

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

}  // namespace
