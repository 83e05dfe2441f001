#include "jack_harness.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/prctl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "app_main.h"
#include "host_globals.h"

namespace {

void Quiet(const char*) {}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A known, non-repeating signal in -0.4..0.4: a hash of the frame index.
float Signal(int channel, uint64_t frame) {
  uint64_t z = frame * 2 + static_cast<uint64_t>(channel) + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return (static_cast<float>(z >> 40) / 16777216.0f - 0.5f) * 0.8f;
}

// The test's own JACK client: plays the signal, records what comes back and,
// each cycle, how many callbacks the host's stream has run.
class ProbeClient {
public:
  static constexpr size_t kMaxCycles = 1200;

  ~ProbeClient() { Close(); }

  bool Open() {
    mClient = OpenStereoClient("hbprobe", mPorts);
    if (!mClient) return false;
    for (auto& rec : mRecorded) rec.assign(kMaxCycles * JackServer::kPeriod, 0.0f);
    mElapsed.assign(kMaxCycles, 0);
    jack_set_process_callback(mClient, &ProbeClient::Process, this);
    jack_set_xrun_callback(mClient, &ProbeClient::XRun, this);
    return jack_activate(mClient) == 0;
  }

  // Connects our outputs to the host's inputs and its outputs to ours.
  bool ConnectToHost() { return ConnectToHostStream(mClient, mPorts); }

  void Close() { CloseStereoClient(&mClient); }

  size_t Cycles() const { return mCycles.load(std::memory_order_acquire); }
  // Cycles the server could not finish in time, where some client's buffers
  // were not filled.
  int XRuns() const { return mXRuns; }
  bool OddPeriod() const { return mOddPeriod; }
  unsigned Elapsed(size_t cycle) const { return mElapsed[cycle]; }
  float Recorded(int ch, size_t frame) const { return mRecorded[ch][frame]; }

private:
  static int Process(jack_nframes_t n, void* arg) {
    ProbeClient* self = static_cast<ProbeClient*>(arg);
    float* out[2] = {static_cast<float*>(jack_port_get_buffer(self->mPorts[0], n)),
                     static_cast<float*>(jack_port_get_buffer(self->mPorts[1], n))};
    const float* in[2] = {static_cast<float*>(jack_port_get_buffer(self->mPorts[2], n)),
                          static_cast<float*>(jack_port_get_buffer(self->mPorts[3], n))};
    for (int ch = 0; ch < 2; ++ch)
      for (jack_nframes_t i = 0; i < n; ++i) out[ch][i] = Signal(ch, self->mFrame + i);
    const size_t c = self->mCycles.load(std::memory_order_relaxed);
    if (n != static_cast<jack_nframes_t>(JackServer::kPeriod)) self->mOddPeriod = true;
    if (c < kMaxCycles && !self->mOddPeriod) {
      for (int ch = 0; ch < 2; ++ch)
        std::copy(in[ch], in[ch] + n, self->mRecorded[ch].begin() + static_cast<long>(c * n));
      self->mElapsed[c] = gVecElapsed.load(std::memory_order_relaxed);
      self->mCycles.store(c + 1, std::memory_order_release);
    }
    self->mFrame += n;
    return 0;
  }

  static int XRun(void* arg) {
    ++static_cast<ProbeClient*>(arg)->mXRuns;
    return 0;
  }

  jack_client_t* mClient = nullptr;
  std::atomic<int> mXRuns{0};
  jack_port_t* mPorts[4] = {};
  std::vector<float> mRecorded[2];
  std::vector<unsigned> mElapsed;
  std::atomic<size_t> mCycles{0};
  std::atomic<bool> mOddPeriod{false};
  uint64_t mFrame = 0;  // frame index of the signal; cycle c starts at c * period
};

// The plug-in's offline result for the signal from `start` on, cut into the
// same sub-blocks as the host's callbacks of one period each.
void RenderOffline(IFxStandalone* plug, unsigned sigvs, uint64_t start, size_t frames,
                   std::vector<double> out[2]) {
  plug->SetBlockSize(static_cast<int>(sigvs));
  plug->SetSampleRate(JackServer::kSampleRate);
  plug->Reset();
  plug->OnActivate(true);
  std::vector<double> in[2];
  for (int ch = 0; ch < 2; ++ch) {
    in[ch].resize(frames);
    out[ch].assign(frames, 0.0);
    for (size_t i = 0; i < frames; ++i) in[ch][i] = Signal(ch, start + i);
  }
  const size_t period = JackServer::kPeriod;
  for (size_t p = 0; p < frames; p += period)
    for (size_t s = 0; s < period && p + s < frames;) {
      const size_t n = std::min<size_t>({sigvs, period - s, frames - p - s});
      double* ins[2] = {&in[0][p + s], &in[1][p + s]};
      double* outs[2] = {&out[0][p + s], &out[1][p + s]};
      plug->LockMutexAndProcessDoubleReplacing(ins, outs, static_cast<int>(n));
      s += n;
    }
  plug->OnActivate(false);
}

}  // namespace

namespace {

// The jackd on the search path, or "".
std::string FindJackd() {
  const char* path = getenv("PATH");
  std::string dirs = path && *path ? path : "/usr/bin:/bin";
  size_t pos = 0;
  while (pos <= dirs.size()) {
    const size_t colon = std::min(dirs.find(':', pos), dirs.size());
    const std::string candidate = dirs.substr(pos, colon - pos) + "/jackd";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    pos = colon + 1;
  }
  return std::string();
}

std::string ReadLog(const std::string& path) {
  std::ifstream log(path);
  return std::string((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
}

}  // namespace

jack_client_t* OpenStereoClient(const char* name, jack_port_t* ports[4]) {
  jack_status_t status;
  jack_client_t* client = jack_client_open(name, JackNoStartServer, &status);
  if (!client) return nullptr;
  const char* names[4] = {"out_1", "out_2", "in_1", "in_2"};
  for (int i = 0; i < 4; ++i) {
    ports[i] = jack_port_register(client, names[i], JACK_DEFAULT_AUDIO_TYPE,
                                  i < 2 ? JackPortIsOutput : JackPortIsInput, 0);
    if (!ports[i]) {
      jack_client_close(client);
      return nullptr;
    }
  }
  return client;
}

void CloseStereoClient(jack_client_t** client) {
  if (!*client) return;
  jack_deactivate(*client);
  jack_client_close(*client);
  *client = nullptr;
}

bool ConnectToHostStream(jack_client_t* client, jack_port_t* const ports[4]) {
  // The host's stream is the JACK client named after the program.
  const char** hostIn = jack_get_ports(client, "^Harshbloom[^:]*:inport ", nullptr, JackPortIsInput);
  const char** hostOut =
      jack_get_ports(client, "^Harshbloom[^:]*:outport ", nullptr, JackPortIsOutput);
  bool ok = hostIn && hostOut && hostIn[0] && hostIn[1] && hostOut[0] && hostOut[1];
  for (int ch = 0; ok && ch < 2; ++ch) {
    ok = jack_connect(client, jack_port_name(ports[ch]), hostIn[ch]) == 0 &&
         jack_connect(client, hostOut[ch], jack_port_name(ports[2 + ch])) == 0;
  }
  if (hostIn) jack_free(hostIn);
  if (hostOut) jack_free(hostOut);
  return ok;
}

bool JackServer::Start(std::string* error, const std::string& name, int sampleRate) {
  const std::string jackd = FindJackd();
  if (jackd.empty()) {
    *error = "jackd is not installed (Debian package jackd2)";
    return false;
  }
  setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
  static int counter = 0;
  // The machine allows only a few servers at once: one that is refused for
  // that (or any reason at start) is tried again after a pause. JACK keeps
  // the entry of a server that was killed in its registry of eight until a
  // server of the same name starts: the test servers' names come from a
  // small set, so that such entries are taken back instead of filling the
  // registry (a name in use by a live server is refused, and the next one
  // is tried).
  for (int attempt = 0; attempt < 6; ++attempt) {
    if (attempt) SleepMs(attempt < 3 ? 500 : 2000);
    mName = !name.empty() ? name
                          : "hbtest_" + std::to_string((static_cast<int>(getpid()) + counter++) % 16);
    mLog = ::testing::TempDir() + mName + ".log";
    const std::string rate = std::to_string(sampleRate);
    const char* argv[] = {jackd.c_str(), "-n", mName.c_str(), "--no-realtime", "-d", "dummy",
                          "-r", rate.c_str(), "-p", "512", "-C", "2", "-P", "2", nullptr};
    const pid_t parent = getpid();
    mPid = fork();
    if (mPid == 0) {
      // The server ends with the test, even one that is killed.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(1);
      const int fd = open(mLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) {
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
      }
      execv(jackd.c_str(), const_cast<char**>(argv));
      _exit(127);
    }
    if (mPid < 0) {
      *error = "cannot start jackd";
      return false;
    }
    // A loaded machine may take a while: wait generously for the first answer.
    // The refusals meanwhile are not worth printing; whatever took the
    // library's messages before (the program, in its tests) takes them again.
    void (*const reporter)(const char*) = jack_error_callback;
    jack_set_error_function(Quiet);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool up = false, ended = false;
    while (!up && !ended && std::chrono::steady_clock::now() < deadline) {
      int st;
      if (waitpid(mPid, &st, WNOHANG) == mPid) {
        ended = true;
        mPid = -1;
        *error = "jackd ended at once: " + ReadLog(mLog);
        unlink(mLog.c_str());
        break;
      }
      jack_status_t status;
      jack_client_t* c = jack_client_open(
          "hbwait", static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
          mName.c_str());
      if (c) {
        jack_client_close(c);
        up = true;
      } else {
        SleepMs(50);
      }
    }
    jack_set_error_function(reporter);
    if (up) {
      setenv("JACK_DEFAULT_SERVER", mName.c_str(), 1);
      setenv("JACK_NO_START_SERVER", "1", 1);
      return true;
    }
    if (!ended) {
      *error = "jackd did not answer within 30 s";
      Stop();
      return false;
    }
  }
  return false;
}

void JackServer::Kill() {
  if (mPid <= 0) return;
  kill(mPid, SIGKILL);
  int st;
  waitpid(mPid, &st, 0);
  mPid = -1;
  unlink(mLog.c_str());
}

void JackServer::Stop() {
  if (mPid <= 0) return;
  kill(mPid, SIGTERM);
  int st;
  bool gone = false;
  for (int i = 0; i < 1000 && !gone; ++i) {
    gone = waitpid(mPid, &st, WNOHANG) == mPid;
    if (!gone) SleepMs(10);
  }
  if (!gone) {
    kill(mPid, SIGKILL);
    waitpid(mPid, &st, 0);
  }
  mPid = -1;
  unsetenv("JACK_DEFAULT_SERVER");
  unlink(mLog.c_str());
}

int JackDriverIndex() {
  for (int i = 0; i < NumAudioDrivers(); ++i)
    if (GetAudioDriverName(i) == RtAudio::getApiDisplayName(RtAudio::UNIX_JACK)) return i;
  return -1;
}

namespace {

const size_t kCompared = 24;  // periods compared after the fade-in

struct Attempt {
  std::unique_ptr<IFxStandalone> plug;
  std::unique_ptr<ProbeClient> client;
  bool started = false, connected = false;
};

// The first cycle in which the probe saw the host's 52nd callback done: the
// cycle whose recording holds the fade-in.
size_t FadeCycle(const ProbeClient& client) {
  for (size_t c = 0; c < client.Cycles(); ++c)
    if (client.Elapsed(c) >= 52) return c;
  return ProbeClient::kMaxCycles;
}

// Runs the stream with the probe connected until enough periods after the
// fade-in are recorded, then stops both.
Attempt Record(const std::function<std::unique_ptr<IFxStandalone>()>& makePlug, const char* sigvs,
               int driver) {
  Attempt a;
  HostGlobals host;
  a.plug = makePlug();
  gPluginInstance = a.plug.get();
  gState->mAudioDriverType = static_cast<uint16_t>(driver);
  SetAppStateText(gState->mAudioInDev, "system");
  SetAppStateText(gState->mAudioOutDev, "system");
  SetAppStateText(gState->mAudioSigVS, sigvs);
  a.client.reset(new ProbeClient);
  if (!TryToChangeAudioDriverType() || !a.client->Open()) return a;
  ProbeAudioIO();
  a.started = TryToChangeAudio();
  a.connected = a.started && a.client->ConnectToHost();
  // Generous time on a loaded machine.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  ProbeClient& client = *a.client;
  while (a.connected && std::chrono::steady_clock::now() < deadline &&
         client.Cycles() < ProbeClient::kMaxCycles &&
         (FadeCycle(client) == ProbeClient::kMaxCycles ||
          client.Cycles() < FadeCycle(client) + kCompared + 1))
    SleepMs(20);
  StopAudio();
  client.Close();
  gPluginInstance = nullptr;
  return a;
}

void Check(const Attempt& a, const std::function<std::unique_ptr<IFxStandalone>()>& makePlug,
           const char* sigvs) {
  EXPECT_TRUE(a.started) << "the host's stream did not start";
  EXPECT_TRUE(a.connected) << "the probe could not reach the host's ports";
  const ProbeClient& client = *a.client;
  EXPECT_FALSE(client.OddPeriod());
  const size_t pf = FadeCycle(client);
  ASSERT_LT(pf, ProbeClient::kMaxCycles) << "the host's output never faded in";
  ASSERT_GE(client.Cycles(), pf + kCompared);
  // The host's first callback, as seen from the probe: 51 muted ones follow.
  size_t first = 0;
  while (first < client.Cycles() && client.Elapsed(first) < 1) ++first;
  EXPECT_NEAR(static_cast<double>(pf - first), 51.0, 1.0);

  const size_t period = JackServer::kPeriod;
  size_t nonzero = 0;
  for (int ch = 0; ch < 2; ++ch)
    for (size_t i = 0; i < pf * period; ++i) nonzero += client.Recorded(ch, i) != 0.0f;
  EXPECT_EQ(nonzero, 0u) << "output before the fade-in";

  // The host processed, in its fade-in callback, the signal of a period
  // some whole periods earlier: find that latency.
  const size_t frames = kCompared * period;
  int matches = 0;
  for (size_t latency = 0; latency < 4 && latency <= pf; ++latency) {
    std::unique_ptr<IFxStandalone> offline = makePlug();
    std::vector<double> expected[2];
    RenderOffline(offline.get(), static_cast<unsigned>(atoi(sigvs)), (pf - latency) * period,
                  frames, expected);
    double fade = 0.0, worst = 0.0;
    for (size_t i = 0; i < frames; ++i) {
      if (fade < 1.0) fade = std::min(fade + 1.0 / period, 1.0);
      for (int ch = 0; ch < 2; ++ch) {
        const double want = expected[ch][i] * fade * 0.25;
        worst = std::max(worst, std::fabs(client.Recorded(ch, pf * period + i) - want));
      }
    }
    if (worst < 1e-6) {
      ++matches;
      printf("round trip matches with a graph latency of %zu periods\n", latency);
    }
  }
  EXPECT_EQ(matches, 1) << "the output is not 0.25 times the offline result at any latency";
}

}  // namespace

std::unique_ptr<IFxStandalone> RunJackRoundTrip(
    const std::function<std::unique_ptr<IFxStandalone>()>& makePlug, const char* sigvs) {
  const int driver = JackDriverIndex();
  EXPECT_GE(driver, 0) << "RtAudio offers no JACK driver";
  if (driver < 0) return nullptr;
  // A cycle the server could not finish in time leaves some buffer unfilled,
  // and a server slowed down by a loaded machine can time a new client out:
  // that is the machine's load, not the host, so such a run is repeated.
  const int kAttempts = 4;
  Attempt a;
  for (int i = 0; i < kAttempts; ++i) {
    a = Record(makePlug, sigvs, driver);
    if (!a.started || !a.connected) {
      printf("the stream did not start or could not be reached: trying again\n");
      continue;
    }
    if (!a.client->XRuns()) break;
    printf("the server missed %d cycles: recording again\n", a.client->XRuns());
  }
  Check(a, makePlug, sigvs);
  return std::move(a.plug);
}
