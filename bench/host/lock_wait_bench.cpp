// How long the audio thread waits for the plug-in lock while the editor is
// used: blocks of 32 frames run on a thread of their own at the pace of a
// 48 kHz stream (at real-time priority when the system allows it), while
// this thread redraws every page, turns every knob and changes presets. One
// iteration is one round of those editor actions.
//
// Counters (microseconds unless said otherwise):
//   wait_max, wait_p999, wait_p99  the audio thread's waits for a lock the
//                                  editor held (blocks that found it free
//                                  count as 0)
//   wait_max_<action>              the longest wait that fell within each
//                                  kind of editor action
//   wake_late_max                  how late the system woke the audio thread
//                                  for its next block, for scale: no wait
//                                  can be measured finer than this
//   realtime                       1 when the audio thread ran at real-time
//                                  priority
//   build/bench/host/lock_wait_bench
#include <benchmark/benchmark.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Harshbloom.h"
#include "IControl.h"
#include "IGraphicsDesktop.h"
#include "pix.h"
#include "platform/app.h"
#include "platform/window.h"

namespace {

constexpr int kW = 650, kH = 830;
constexpr int kFrames = 32;
constexpr double kRate = 48000.0;

enum Action { kDraw, kKnob, kPreset, kPage, kNumActions };
const char* const kActionNames[kNumActions] = {"draw", "knob", "preset", "page"};

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

class AudioThread {
public:
  explicit AudioThread(Harshbloom* plug) : mPlug(plug) { mWaits.reserve(1 << 22); }

  void Start() {
    mThread = std::thread([this] { Run(); });
    sched_param prio{};
    prio.sched_priority = 70;
    mRealtime = pthread_setschedparam(mThread.native_handle(), SCHED_FIFO, &prio) == 0;
  }
  void Stop() {
    mStop = true;
    mThread.join();
  }
  void SetAction(Action a) { mAction.store(a, std::memory_order_relaxed); }

  bool Realtime() const { return mRealtime; }
  double WakeLateMax() const { return mWakeLateMax; }
  double WaitMax(int action) const { return mWaitMaxBy[action]; }
  // The waits, sorted.
  std::vector<double> Waits() const {
    std::vector<double> w = mWaits;
    std::sort(w.begin(), w.end());
    return w;
  }

private:
  void Run() {
    double l[kFrames], r[kFrames], outL[kFrames], outR[kFrames];
    double* in[2] = {l, r};
    double* out[2] = {outL, outR};
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(kFrames / kRate));
    KIT_Mutex* lock = mPlug->GetMutex();
    auto next = Clock::now();
    for (long b = 0; !mStop.load(std::memory_order_relaxed); ++b) {
      for (int i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(b * kFrames + i) / kRate;
        l[i] = 0.6 * std::sin(2.0 * M_PI * 110.0 * t);
        r[i] = 0.5 * std::sin(2.0 * M_PI * 165.0 * t);
      }
      const int during = mAction.load(std::memory_order_relaxed);
      // Only a lock the editor holds makes the block wait.
      double wait = 0.0;
      if (!lock->TryLock()) {
        const auto t0 = Clock::now();
        lock->Lock();
        wait = Micros(Clock::now() - t0);
      }
      mPlug->ProcessDoubleReplacing(in, out, kFrames);
      lock->Unlock();
      if (mWaits.size() < mWaits.capacity()) mWaits.push_back(wait);
      mWaitMaxBy[during] = std::max(mWaitMaxBy[during], wait);

      next += period;
      const auto now = Clock::now();
      if (next > now) {
        std::this_thread::sleep_until(next);
        mWakeLateMax = std::max(mWakeLateMax, Micros(Clock::now() - next));
      } else {
        next = now;  // behind: no catching up in a burst
      }
    }
  }

  Harshbloom* mPlug;
  std::thread mThread;
  std::atomic<bool> mStop{false};
  std::atomic<int> mAction{kDraw};
  bool mRealtime = false;
  std::vector<double> mWaits;
  double mWaitMaxBy[kNumActions] = {};
  double mWakeLateMax = 0.0;
};

void LockWait(benchmark::State& state) {
  plat::app().resetForTests();
  plat::app().useVirtualClock(true);
  PIX_SetResourceDir(HB_RESOURCE_DIR);
  std::unique_ptr<Harshbloom> plug(MakePlug(nullptr, nullptr));
  IGraphicsDesktop* g = static_cast<IGraphicsDesktop*>(plug->GetGUI());
  plat::Window* win = new plat::Window({100, 100, kW, kH}, plat::kStyleTitled);
  g->OpenWindow(win->contentView());
  plug->OnGUIOpen();
  plug->SetSampleRate(kRate);
  plug->SetBlockSize(kFrames);
  plug->Reset();
  plug->OnActivate(true);

  // Every control that drives a parameter, whichever page shows it.
  std::vector<IControl*> knobs;
  for (int i = 0; i < g->NControls(); ++i)
    if (IControl* c = g->GetControl(i))
      if (c->ParamIdx() >= 0) knobs.push_back(c);

  AudioThread audio(plug.get());
  auto timed = [&](Action a, auto&& what) {
    audio.SetAction(a);
    what();
  };
  IRECT all(0, 0, kW, kH), dirty;
  auto redraw = [&] {
    timed(kDraw, [&] {
      g->IsDirty(&dirty);
      g->Draw(&all);
    });
  };

  audio.Start();
  int preset = 0;
  double turn = 0.0;
  for (auto _ : state) {
    timed(kPage, [&] { plug->onScopeTab(); });
    redraw();
    timed(kPage, [&] { plug->onAboutTab(); });
    redraw();
    timed(kPage, [&] { plug->onPlugTab(); });
    redraw();
    turn = std::fmod(turn + 0.137, 1.0);
    for (IControl* k : knobs) timed(kKnob, [&] { k->SetValueFromUserInput(turn); });
    redraw();
    timed(kPreset, [&] {
      plug->RestorePreset(preset);
      plug->DirtyParameters();
    });
    preset = (preset + 7) % Harshbloom::kNumPresets;
    redraw();
  }
  audio.Stop();
  plug->OnActivate(false);

  const std::vector<double> w = audio.Waits();
  auto at = [&](double q) { return w.empty() ? 0.0 : w[static_cast<size_t>(q * (w.size() - 1))]; };
  state.counters["realtime"] = audio.Realtime() ? 1.0 : 0.0;
  state.counters["blocks"] = static_cast<double>(w.size());
  state.counters["wait_max"] = at(1.0);
  state.counters["wait_p999"] = at(0.999);
  state.counters["wait_p99"] = at(0.99);
  state.counters["wake_late_max"] = audio.WakeLateMax();
  for (int a = 0; a < kNumActions; ++a)
    state.counters[std::string("wait_max_") + kActionNames[a]] = audio.WaitMax(a);

  g->CloseWindow();
  plug.reset();
  win->close();
  plat::app().resetForTests();
  PIX_SetResourceDir(nullptr);
}

BENCHMARK(LockWait)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace
