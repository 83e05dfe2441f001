// The audio callback driven by the test: the muted start, the fade-in, the
// output gain, the sub-blocks and their bounds, mono input and underflows.

#include <fcntl.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "app_main.h"
#include "host_globals.h"
#include "host_test_plug.h"

namespace {

// One callback's buffers, each exactly as long as the callback: reading or
// writing past them is caught by the address sanitizer.
struct Buffers {
  explicit Buffers(unsigned frames) : frames(frames), in(new double[2 * frames]), out(new double[2 * frames]) {
    for (unsigned i = 0; i < 2 * frames; ++i) {
      in[i] = 0.001 * (i + 1) * (i % 3 == 0 ? -1.0 : 1.0);
      out[i] = 99.0;
    }
  }
  int Run() { return AudioCallback(out.get(), in.get(), frames, 0.0, 0, nullptr); }
  unsigned frames;
  std::unique_ptr<double[]> in, out;
};

class Callback : public ::testing::Test {
protected:
  void Start(const char* sigvs, HostTestPlug* p = nullptr) {
    if (!p) p = &plug;
    SetAppStateText(gState->mAudioSigVS, sigvs);
    gSigVS = static_cast<unsigned>(atoi(sigvs));
    p->SetBlockSize(static_cast<int>(gSigVS));
    p->Reset();
    p->OnActivate(true);
    gPluginInstance = p;
    gVecElapsed = 0;
    gFadeMult = 0.0;
  }
  // The plug-in's own result for a callback's input, block by block.
  std::vector<double> Expected(Buffers& b, unsigned sigvs) {
    HostTestPlug ref;
    ref.SetBlockSize(static_cast<int>(sigvs));
    ref.OnActivate(true);
    std::vector<double> out(2 * b.frames);
    for (unsigned s = 0; s < b.frames; s += sigvs) {
      const unsigned n = std::min(sigvs, b.frames - s);
      double* ins[2] = {b.in.get() + s, b.in.get() + b.frames + s};
      double* outs[2] = {out.data() + s, out.data() + b.frames + s};
      ref.ProcessDoubleReplacing(ins, outs, static_cast<int>(n));
    }
    return out;
  }

  HostGlobals host;
  HostTestPlug plug;
};

TEST_F(Callback, FiftyOneSilentCallbacksThenAFadeOverOneThenAQuarter) {
  Start("32");
  Buffers b(512);
  for (int i = 0; i < 51; ++i) {
    for (unsigned k = 0; k < 1024; ++k) b.out[k] = 99.0;
    EXPECT_EQ(b.Run(), 0);
    for (unsigned k = 0; k < 1024; ++k) ASSERT_EQ(b.out[k], 0.0) << "callback " << i;
  }
  EXPECT_EQ(plug.mBlocks, 0);  // muted callbacks do not process
  EXPECT_EQ(gVecElapsed, 51u);

  const std::vector<double> want = Expected(b, 32);
  b.Run();
  for (unsigned k = 0; k < 512; ++k) {
    const double fade = (k + 1) / 512.0;  // exact in binary for 512 frames
    ASSERT_EQ(b.out[k], want[k] * fade * 0.25) << k;
    ASSERT_EQ(b.out[512 + k], want[512 + k] * fade * 0.25) << k;
  }
  // The next callback continues the plug-in's state and is scaled only.
  HostTestPlug ref;
  ref.SetBlockSize(32);
  std::vector<double> first(1024), second(1024);
  for (std::vector<double>* o : {&first, &second})
    for (unsigned s = 0; s < 512; s += 32) {
      double* ins[2] = {b.in.get() + s, b.in.get() + 512 + s};
      double* outs[2] = {o->data() + s, o->data() + 512 + s};
      ref.ProcessDoubleReplacing(ins, outs, 32);
    }
  b.Run();
  for (unsigned k = 0; k < 1024; ++k) ASSERT_EQ(b.out[k], second[k] * 0.25) << k;
  EXPECT_EQ(gFadeMult, 1.0);
}

TEST_F(Callback, SubBlocksStartEverySignalVectorAndStayInsideTheBuffers) {
  struct Case {
    const char* sigvs;
    unsigned frames;
    std::vector<std::pair<unsigned, int>> calls;  // offset, length
  } cases[] = {
      {"32", 512, {}},  // filled below: 16 calls of 32
      {"64", 100, {{0, 64}, {64, 36}}},
      {"128", 32, {{0, 32}}},
      {"1024", 512, {{0, 512}}},
      {"16", 40, {{0, 16}, {16, 16}, {32, 8}}},
  };
  for (unsigned s = 0; s < 512; s += 32) cases[0].calls.push_back({s, 32});
  for (const Case& c : cases) {
    HostTestPlug p;
    p.mRecordCalls = true;
    Start(c.sigvs, &p);
    gVecElapsed = 51;
    Buffers b(c.frames);
    const std::vector<double> want = Expected(b, gSigVS);
    b.Run();
    ASSERT_EQ(p.mCalls.size(), c.calls.size()) << c.sigvs << "/" << c.frames;
    for (size_t i = 0; i < c.calls.size(); ++i) {
      EXPECT_EQ(p.mCalls[i].first, b.in.get() + c.calls[i].first) << c.sigvs << "/" << c.frames;
      EXPECT_EQ(p.mCalls[i].second, c.calls[i].second) << c.sigvs << "/" << c.frames;
      EXPECT_EQ(p.mRightInputs[i], b.in.get() + c.frames + c.calls[i].first);
    }
    EXPECT_FALSE(p.mOversized);
    // The fade runs over this callback, one step of 1/frames per frame.
    double fade = 0.0;
    for (unsigned k = 0; k < c.frames; ++k) {
      fade = std::min(fade + 1.0 / c.frames, 1.0);
      EXPECT_DOUBLE_EQ(b.out[k], want[k] * fade * 0.25);
      EXPECT_DOUBLE_EQ(b.out[c.frames + k], want[c.frames + k] * fade * 0.25);
    }
    EXPECT_LE(gFadeMult, 1.0);
  }
}

TEST_F(Callback, MonoInputFeedsTheLeftToBothChannels) {
  HostTestPlug p;
  p.mRecordCalls = true;
  Start("64", &p);
  gState->mAudioInIsMono = 1;
  gVecElapsed = 51;
  Buffers b(128);
  b.Run();
  ASSERT_EQ(p.mCalls.size(), 2u);
  for (size_t i = 0; i < 2; ++i) EXPECT_EQ(p.mRightInputs[i], p.mCalls[i].first);
}

TEST_F(Callback, WithoutAPlugInOrInputTheOutputIsSilent) {
  Start("32");
  gVecElapsed = 60;
  gPluginInstance = nullptr;
  Buffers b(64);
  b.Run();
  for (unsigned k = 0; k < 128; ++k) EXPECT_EQ(b.out[k], 0.0);
  gPluginInstance = &plug;
  EXPECT_EQ(AudioCallback(b.out.get(), nullptr, 64, 0.0, 0, nullptr), 0);
  for (unsigned k = 0; k < 128; ++k) EXPECT_EQ(b.out[k], 0.0);
}

TEST_F(Callback, UnderflowsAreCountedAndTheMainThreadReportsThemOnceASecond) {
  Start("32");
  gVecElapsed = 51;
  gUnderflows = 0;
  Buffers b(64);
  ::testing::internal::CaptureStdout();
  AudioCallback(b.out.get(), b.in.get(), 64, 0.0, RTAUDIO_OUTPUT_UNDERFLOW, nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");  // not from the audio thread
  EXPECT_EQ(plug.mBlocks, 2);
  EXPECT_EQ(gUnderflows.load(), 1u);

  // The report's clock only moves on; far from any earlier test's.
  static double t = 1e6;
  t += 1e3;
  struct Step {
    double at;
    int underflows;  // before the report
    const char* printed;
  } steps[] = {
      {0.0, 0, "Stream underflow detected!\n"},
      {0.5, 3, ""},  // within the second: kept for later
      {0.9, 1, ""},
      {1.0, 0, "Stream underflow detected! (4 times)\n"},
      {5.0, 0, ""},  // nothing new
      {6.0, 1, "Stream underflow detected!\n"},
  };
  for (const Step& step : steps) {
    for (int i = 0; i < step.underflows; ++i)
      AudioCallback(b.out.get(), b.in.get(), 64, 0.0, RTAUDIO_INPUT_OVERFLOW, nullptr);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(ReportUnderflows(t + step.at), *step.printed != 0) << step.at;
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), step.printed) << step.at;
  }
}

// Standard output a pipe that nobody reads: the callback must still return.
TEST_F(Callback, AFullStandardOutputNeverHoldsTheCallback) {
  Start("32");
  gVecElapsed = 51;
  fflush(stdout);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int fds[2];
    if (pipe(fds) != 0) _exit(2);
    fcntl(fds[1], F_SETFL, O_NONBLOCK);
    char junk[4096] = {};
    while (write(fds[1], junk, sizeof junk) > 0) {
    }
    fcntl(fds[1], F_SETFL, 0);  // from now on a write would wait for a reader
    dup2(fds[1], STDOUT_FILENO);
    Buffers b(64);
    for (int i = 0; i < 100; ++i)
      AudioCallback(b.out.get(), b.in.get(), 64, 0.0, RTAUDIO_OUTPUT_UNDERFLOW, nullptr);
    _exit(0);
  }
  int status = -1;
  bool ended = false;
  for (int i = 0; i < 1000 && !ended; ++i) {
    ended = waitpid(child, &status, WNOHANG) == child;
    if (!ended) usleep(10000);
  }
  if (!ended) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  EXPECT_TRUE(ended) << "the callback blocked on standard output";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A plug-in that cancels its own thread in the middle of its second block,
// as the JACK client library does (asynchronously) when the server goes away.
struct CancellingPlug : HostTestPlug {
  void ProcessDoubleReplacing(double** in, double** out, int nFrames) override {
    HostTestPlug::ProcessDoubleReplacing(in, out, nFrames);
    if (mBlocks == 2) pthread_cancel(pthread_self());
  }
};

struct CancelledStack;

struct CancelledRun {
  Buffers* buffers;
  CancelledStack* stack;
  bool returned = false;
};

// The cancelled thread's own stack. A cancel unwinds it without leaving the
// frames it drops, so the address sanitizer would still see their locals as
// live when the thread ends: before that the stack below the thread's first
// frame is marked free again.
struct CancelledStack {
  static constexpr size_t kSize = 1 << 20;
  alignas(64) char bytes[kSize];
};

struct DroppedFrames {
  explicit DroppedFrames(CancelledStack* stack) : stack(stack) {}
  ~DroppedFrames() {
#if defined(__SANITIZE_ADDRESS__)
    char* const top = static_cast<char*>(__builtin_frame_address(0));
    __asan_unpoison_memory_region(stack->bytes, static_cast<size_t>(top - stack->bytes));
#endif
  }
  CancelledStack* stack;
};

void* RunCancellable(void* arg) {
  auto* run = static_cast<CancelledRun*>(arg);
  DroppedFrames dropped(run->stack);
  pthread_setcanceltype(PTHREAD_CANCEL_ASYNCHRONOUS, nullptr);
  run->buffers->Run();
  run->returned = true;
  return nullptr;
}

// The cancel waits for the end of the callback: every sub-block is rendered
// and scaled, the plug-in lock is free, and then the thread ends.
TEST_F(Callback, AThreadCancelledMidBlockFinishesTheCallbackFirst) {
  CancellingPlug cancelling;
  Start("32", &cancelling);
  gVecElapsed = 60;
  gFadeMult = 1.0;
  Buffers b(128);
  const std::vector<double> want = Expected(b, 32);
  auto stack = std::make_unique<CancelledStack>();
  CancelledRun run{&b, stack.get()};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstack(&attr, stack->bytes, CancelledStack::kSize);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, RunCancellable, &run), 0);
  pthread_attr_destroy(&attr);
  ASSERT_EQ(pthread_join(thread, nullptr), 0);
  EXPECT_FALSE(run.returned) << "the cancel was lost";
  EXPECT_EQ(cancelling.mBlocks, 4);
  for (unsigned k = 0; k < 256; ++k) ASSERT_EQ(b.out[k], want[k] * 0.25) << k;
  ASSERT_TRUE(cancelling.GetMutex()->TryLock()) << "the plug-in lock was left held";
  cancelling.GetMutex()->Unlock();
  gPluginInstance = &plug;
}

// Without a server the stream cannot open; what is refused before that.
TEST(StreamStart, SignalVectorSizesOutsideTheOffersAreRefused) {
  HostGlobals host;
  HostTestPlug plug;
  gPluginInstance = &plug;
  gDAC = new RtAudio(RtAudio::UNIX_JACK);
  for (const char* bad : {"0", "abc", "33", "2048", ""}) {
    SetAppStateText(gState->mAudioSigVS, bad);
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(InitialiseAudio(0, 0, 44100, 512, 2, 0, 0)) << bad;
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("invalid signal vector size"),
              std::string::npos);
    EXPECT_FALSE(plug.mActive);
  }
}

TEST(StreamStart, TheDriverListIsWhatRtAudioOffers) {
  std::vector<RtAudio::Api> apis;
  RtAudio::getCompiledApi(apis);
  ASSERT_GE(NumAudioDrivers(), 1);
  EXPECT_EQ(GetAudioDriverName(0), RtAudio::getApiDisplayName(apis[0]));
  EXPECT_EQ(GetAudioDriverName(NumAudioDrivers()), "");
  EXPECT_EQ(GetAudioDriverName(-1), "");
}

}  // namespace
