// The real program end to end: started under xvfb-run with its settings in a
// temporary HOME, driven through its test control (HB_TEST_CONTROL=1: menu
// commands, keys and clicks as desktop input), looked at on the X server with
// xdotool and xwd, and heard through a JACK client of the test.
//
// The window's picture is compared with data/main_window.png. After a change
// to what the window shows, write a new reference with
//   tests/app/update_reference.sh [build folder]
// and look at it before committing it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <math.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "jack_harness.h"
#include "platform/bitmap.h"
#include "platform/image_file.h"
#include "platform/workspace.h"
#include "temp_dir.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

const char kReference[] = HB_TEST_DATA_DIR "/main_window.png";

double SecondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The program under xvfb-run, in a process group of its own, with pipes to
// its standard input and from its standard output; standard error goes to a
// file.
class Program {
public:
  ~Program() { Kill(); }

  // env: variables to set ("NAME=value") or, with an empty value after
  // "NAME=", to remove.
  bool Start(const std::string& errPath, const std::vector<std::string>& env, std::string* error) {
    const std::string xvfb = plat::findProgram("xvfb-run");
    if (xvfb.empty()) {
      *error = "xvfb-run is not installed (scripts/deps.sh installs it)";
      return false;
    }
    Kill();
    mErrPath = errPath;
    mLines.clear();
    mPartial.clear();
    mNext = 0;
    // Everything the child needs is made before fork.
    std::map<std::string, std::string> vars;
    for (char** e = environ; *e; ++e) {
      const char* eq = strchr(*e, '=');
      if (eq) vars[std::string(*e, size_t(eq - *e))] = eq + 1;
    }
    for (const std::string& kv : env) {
      const size_t eq = kv.find('=');
      if (eq + 1 == kv.size())
        vars.erase(kv.substr(0, eq));
      else
        vars[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    std::vector<std::string> envText;
    for (const auto& kv : vars) envText.push_back(kv.first + "=" + kv.second);
    std::vector<char*> envp;
    for (std::string& s : envText) envp.push_back(&s[0]);
    envp.push_back(nullptr);
    std::vector<std::string> args = {
        xvfb, "-a", "-s", "-screen 0 1280x1024x24 -nolisten tcp", "/bin/sh", "-c",
        "echo \"hbdisplay $DISPLAY $XAUTHORITY\"; exec \"$0\"", HB_PROGRAM};
    std::vector<char*> argv;
    for (std::string& s : args) argv.push_back(&s[0]);
    argv.push_back(nullptr);

    int in[2], out[2];
    if (pipe(in) || pipe(out)) {
      *error = "no pipes";
      return false;
    }
    const int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const pid_t parent = getpid();
    mPid = fork();
    if (mPid == 0) {
      setpgid(0, 0);
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(1);
      dup2(in[0], STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      if (errFd >= 0) dup2(errFd, STDERR_FILENO);
      close(in[1]);
      close(out[0]);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (errFd >= 0) close(errFd);
    mIn = in[1];
    mOut = out[0];
    if (mPid < 0) {
      *error = "cannot fork";
      return false;
    }
    setpgid(mPid, mPid);
    return true;
  }

  void Send(const std::string& line) {
    const std::string text = line + "\n";
    if (mIn >= 0 && write(mIn, text.data(), text.size()) != ssize_t(text.size())) mIn = -1;
  }

  // The next line of standard output that starts with prefix (the others
  // are kept for the log); empty after `seconds` or at the end of output.
  std::string WaitFor(const std::string& prefix, double seconds) {
    const auto start = Clock::now();
    for (;;) {
      for (; mNext < mLines.size(); ++mNext)
        if (mLines[mNext].compare(0, prefix.size(), prefix) == 0) return mLines[mNext++];
      const double left = seconds - SecondsSince(start);
      if (left <= 0 || !ReadMore(left)) return std::string();
    }
  }

  // The next answer starting with the prefix (without "hbtest: ").
  std::string Answer(const std::string& prefix, double seconds = 20) {
    const std::string line = WaitFor("hbtest: " + prefix, seconds);
    return line.empty() ? line : line.substr(8);
  }
  // Sends a command and returns its answer.
  std::string Ask(const std::string& command, const std::string& prefix, double seconds = 20) {
    Send(command);
    return Answer(prefix, seconds);
  }
  // Lines of output so far that contain the text.
  size_t Count(const std::string& text) const {
    size_t n = 0;
    for (const std::string& l : mLines) n += l.find(text) != std::string::npos;
    return n;
  }

  // Asks "modal" until the modal window has the title (or time runs out).
  bool WaitForModal(const std::string& title, double seconds = 20) {
    const auto start = Clock::now();
    while (SecondsSince(start) < seconds) {
      if (Ask("modal", "modal") == "modal " + title) return true;
      SleepMs(50);
    }
    return false;
  }

  // The exit status, or -1 when the program did not end in time (it is
  // then killed).
  int Wait(double seconds) {
    const auto start = Clock::now();
    while (mPid > 0 && SecondsSince(start) < seconds) {
      int st;
      if (waitpid(mPid, &st, WNOHANG) == mPid) {
        mPid = -1;
        ReadMore(0.2);
        return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
      }
      ReadMore(0.05);
    }
    Kill();
    return -1;
  }

  std::string Output() const {
    std::string all;
    for (const std::string& l : mLines) all += l + "\n";
    return all;
  }
  std::string Errors() const {
    std::ifstream in(mErrPath);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string Log() const { return "--- output\n" + Output() + "--- errors\n" + Errors(); }

private:
  bool ReadMore(double seconds) {
    if (mOut < 0) return false;
    pollfd p{mOut, POLLIN, 0};
    if (poll(&p, 1, int(seconds * 1000)) <= 0) return true;
    char buf[4096];
    const ssize_t n = read(mOut, buf, sizeof buf);
    if (n <= 0) {
      close(mOut);
      mOut = -1;
      return false;
    }
    mPartial.append(buf, size_t(n));
    for (size_t eol; (eol = mPartial.find('\n')) != std::string::npos;) {
      mLines.push_back(mPartial.substr(0, eol));
      mPartial.erase(0, eol + 1);
    }
    return true;
  }
  void Kill() {
    if (mPid > 0) {
      kill(-mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
      mPid = -1;
    }
    if (mIn >= 0) close(mIn);
    if (mOut >= 0) close(mOut);
    mIn = mOut = -1;
  }

  pid_t mPid = -1;
  int mIn = -1, mOut = -1;
  std::string mErrPath, mPartial;
  std::vector<std::string> mLines;
  size_t mNext = 0;
};

// The X display the program runs on.
struct Display {
  std::string name, auth;
};

// Runs a shell command on the program's display and returns its output.
std::string RunOnDisplay(const Display& display, const std::string& command) {
  const std::string line = "DISPLAY='" + display.name + "' XAUTHORITY='" + display.auth +
                           "' timeout 20 " + command + " 2>/dev/null";
  FILE* p = popen(line.c_str(), "r");
  if (!p) return std::string();
  std::string out;
  char buf[256];
  while (fgets(buf, sizeof buf, p)) out += buf;
  pclose(p);
  return out;
}

uint32_t Big32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// A window dump of xwd with 32-bit true-colour pixels.
bool ReadXwd(const std::string& path, plat::Bitmap* out, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (d.size() < 100) return *error = "no window dump", false;
  uint32_t h[25];
  for (int i = 0; i < 25; ++i) h[i] = Big32(&d[size_t(i) * 4]);
  const uint32_t headerSize = h[0], format = h[2], width = h[4], height = h[5], byteOrder = h[7];
  const uint32_t bpp = h[11], stride = h[12], masks[3] = {h[14], h[15], h[16]}, ncolors = h[19];
  if (format != 2 || bpp != 32 || width == 0 || height == 0 || width > 8192 || height > 8192)
    return *error = "window dump of an unexpected kind (bits per pixel " + std::to_string(bpp) + ")",
           false;
  const size_t start = size_t(headerSize) + size_t(ncolors) * 12;
  if (stride < width * 4 || d.size() < start + size_t(stride) * height)
    return *error = "window dump cut short", false;
  out->resize(int(width), int(height));
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* p = &d[start + size_t(y) * stride + size_t(x) * 4];
      const uint32_t v = byteOrder ? Big32(p)
                                   : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 |
                                         uint32_t(p[1]) << 8 | p[0];
      uint32_t argb = 0xFF000000u;
      for (int c = 0; c < 3; ++c) {
        const int shift = masks[c] ? __builtin_ctz(masks[c]) : 0;
        argb |= (((v & masks[c]) >> shift) & 0xFFu) << (16 - 8 * c);
      }
      out->row(int(y))[x] = argb;
    }
  return true;
}

// Equal sizes; at most 0.5% of the pixels differ by more than 40 in a
// channel (text drawn by another font version), and the mean difference is
// small.
bool Similar(const plat::Bitmap& a, const plat::Bitmap& b, std::string* why) {
  if (a.width() != b.width() || a.height() != b.height()) {
    *why = "size " + std::to_string(a.width()) + "x" + std::to_string(a.height()) + " against " +
           std::to_string(b.width()) + "x" + std::to_string(b.height());
    return false;
  }
  size_t far = 0;
  double total = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const uint32_t p = a.row(y)[x], q = b.row(y)[x];
      int worst = 0;
      for (int s = 0; s < 24; s += 8) {
        const int diff = abs(int((p >> s) & 0xFF) - int((q >> s) & 0xFF));
        worst = diff > worst ? diff : worst;
        total += diff;
      }
      if (worst > 40) ++far;
    }
  const double pixels = double(a.width()) * a.height();
  const double mean = total / (3 * pixels);
  if (far > pixels * 0.005 || mean > 3.0) {
    *why = std::to_string(far) + " pixels differ, mean difference " + std::to_string(mean);
    return false;
  }
  return true;
}

// A JACK client of the test: plays a sine into the program's inputs and
// measures what comes back from its outputs.
class Listener {
public:
  ~Listener() { Close(); }
  // Plays into the host's stream and listens to it (the program started
  // first holds the first RtAudio client).
  bool Open() {
    mClient = OpenStereoClient("hbe2e", mPorts);
    if (!mClient) return false;
    mRate = jack_get_sample_rate(mClient);
    jack_set_process_callback(mClient, &Listener::Process, this);
    return !jack_activate(mClient) && ConnectToHostStream(mClient, mPorts);
  }
  void Close() { CloseStereoClient(&mClient); }
  // Starts a new measurement.
  void Reset() { mReset = true; }
  double Rms() const {
    const double n = double(mFrames.load());
    return n > 0 ? sqrt(mSquares.load() / n) : 0.0;
  }
  size_t Frames() const { return mFrames.load(); }
  double Peak() const { return mPeak.load(); }
  bool Finite() const { return !mNotFinite.load(); }

private:
  static int Process(jack_nframes_t n, void* arg) {
    Listener* self = static_cast<Listener*>(arg);
    if (self->mReset.exchange(false)) {
      self->mSquares = 0;
      self->mFrames = 0;
      self->mPeak = 0;
    }
    for (int ch = 0; ch < 2; ++ch) {
      float* out = static_cast<float*>(jack_port_get_buffer(self->mPorts[ch], n));
      for (jack_nframes_t i = 0; i < n; ++i)
        out[i] = float(0.5 * sin(2 * M_PI * 441.0 * double(self->mPhase + i) / self->mRate));
    }
    double squares = 0, peak = self->mPeak.load();
    for (int ch = 0; ch < 2; ++ch) {
      const float* in = static_cast<float*>(jack_port_get_buffer(self->mPorts[2 + ch], n));
      for (jack_nframes_t i = 0; i < n; ++i) {
        if (!std::isfinite(in[i])) self->mNotFinite = true;
        squares += double(in[i]) * in[i];
        peak = fabs(in[i]) > peak ? fabs(in[i]) : peak;
      }
    }
    self->mSquares = self->mSquares.load() + squares / 2;
    self->mFrames += n;
    self->mPeak = peak;
    self->mPhase += n;
    return 0;
  }

  jack_client_t* mClient = nullptr;
  jack_port_t* mPorts[4] = {};
  double mRate = 44100;
  uint64_t mPhase = 0;
  std::atomic<bool> mReset{false}, mNotFinite{false};
  std::atomic<double> mSquares{0}, mPeak{0};
  std::atomic<size_t> mFrames{0};
};

// settings.ini by section, its keys in file order.
std::map<std::string, std::vector<std::pair<std::string, std::string>>> ReadIni(const std::string& path) {
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> out;
  std::ifstream in(path);
  std::string line, section;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      out[section];
      continue;
    }
    const size_t eq = line.find('=');
    out[section].push_back({line.substr(0, eq), eq == std::string::npos ? "?" : line.substr(eq + 1)});
  }
  return out;
}

// The settings file holds exactly the fifteen keys, with these values.
void ExpectSettings(const std::string& path, const std::string& driver, const std::string& device) {
  auto ini = ReadIni(path);
  ASSERT_EQ(ini.size(), 2u) << path;
  std::map<std::string, std::string> audio(ini["audio"].begin(), ini["audio"].end());
  std::map<std::string, std::string> midi(ini["midi"].begin(), ini["midi"].end());
  EXPECT_EQ(ini["audio"].size(), 11u);
  EXPECT_EQ(ini["midi"].size(), 4u);
  const std::map<std::string, std::string> wantAudio = {
      {"driver", driver}, {"indev", device}, {"outdev", device}, {"in1", "1"}, {"in2", "2"},
      {"out1", "1"},      {"out2", "2"},     {"monoinput", "0"}, {"iovs", "512"},
      {"sigvs", "32"},    {"sr", "44100"}};
  const std::map<std::string, std::string> wantMidi = {
      {"indev", "off"}, {"outdev", "off"}, {"inchan", "0"}, {"outchan", "0"}};
  EXPECT_EQ(audio, wantAudio);
  EXPECT_EQ(midi, wantMidi);
}

class EndToEnd : public ::testing::Test {
protected:
  std::string Home() const { return dir.path("home"); }
  std::string SettingsPath() const { return Home() + "/.config/Harshbloom/settings.ini"; }

  // Starts the program and waits until its start-up is over.
  void Launch(Program& p, const std::vector<std::string>& env, const std::string& errName) {
    std::vector<std::string> all = {"HOME=" + Home(), "XDG_CONFIG_HOME=", "HB_TEST_CONTROL=1",
                                    "HB_HEADLESS=", "LC_ALL=C"};
    // Under the leak checker: what the desktop's libraries keep is theirs.
    const char* lsan = getenv("LSAN_OPTIONS");
    all.push_back(std::string("LSAN_OPTIONS=") + (lsan && *lsan ? std::string(lsan) + ":" : "") +
                  "suppressions=" HB_LSAN_SUPPRESSIONS);
    all.insert(all.end(), env.begin(), env.end());
    // xvfb-run -a can lose the race for a display number to another X
    // server starting at the same moment: then it ends at once, and another
    // try finds a free number.
    std::string display;
    for (int attempt = 0; attempt < 3 && display.empty(); ++attempt) {
      if (attempt) SleepMs(1000);
      std::string error;
      ASSERT_TRUE(p.Start(dir.path(errName), all, &error)) << error;
      display = p.WaitFor("hbdisplay ", 60);
      if (display.empty()) p.Wait(5);
    }
    ASSERT_FALSE(display.empty()) << p.Log();
    std::istringstream words(display.substr(10));
    words >> mDisplay.name >> mDisplay.auth;
    ASSERT_EQ(p.Ask("ping", "pong", 60), "pong") << p.Log();
  }

  // The window on the X server: found by its title, sized for the editor
  // with the menu strip above, and its picture like the reference.
  void CheckWindowOnScreen(Program& p) {
    const std::string id = RunOnDisplay(mDisplay, "xdotool search --sync --onlyvisible --name '^Harshbloom$'");
    ASSERT_FALSE(id.empty()) << "no window titled Harshbloom on " << mDisplay.name << "\n" << p.Log();
    const std::string window = id.substr(0, id.find('\n'));
    const std::string geometry = RunOnDisplay(mDisplay, "xdotool getwindowgeometry " + window);
    EXPECT_NE(geometry.find("Geometry: 650x852"), std::string::npos) << geometry;

    plat::Bitmap shot, reference;
    const std::string dump = dir.path("window.xwd");
    const bool update = getenv("HB_UPDATE_REFERENCE") && !strcmp(getenv("HB_UPDATE_REFERENCE"), "1");
    const bool haveReference = plat::loadImageFile(kReference, &reference);
    ASSERT_TRUE(update || haveReference) << "no reference picture " << kReference;
    // The picture may lag behind the first display: look again for a while.
    std::string why = "no picture";
    const auto start = Clock::now();
    bool same = false;
    while (!same && SecondsSince(start) < 10) {
      ASSERT_EQ(p.Ask("shot " + dir.path("backing.png"), "shot"), "shot ok");
      RunOnDisplay(mDisplay, "xwd -silent -id " + window + " -out '" + dump + "'");
      std::string error;
      if (!ReadXwd(dump, &shot, &error)) {
        why = error;
      } else if (update) {
        break;
      } else {
        same = Similar(shot, reference, &why);
      }
      if (!same) SleepMs(200);
    }
    if (update) {
      ASSERT_TRUE(shot.savePNG(kReference)) << why;
      printf("wrote the reference picture %s\n", kReference);
      return;
    }
    if (!same && shot.width() > 0) {
      const std::string kept = std::string(HB_BINARY_DIR) + "/main_window_actual.png";
      shot.savePNG(kept);
      why += "; the picture taken is " + kept;
    }
    EXPECT_TRUE(same) << "the window does not look like " << kReference << ": " << why;
  }

  void OpenAndCloseAbout(Program& p) {
    p.Send("menu 40005");
    ASSERT_TRUE(p.WaitForModal("Harshbloom")) << p.Log();
    EXPECT_EQ(p.Ask("key return", "key"), "key ok");
    EXPECT_EQ(p.Answer("menu 40005"), "menu 40005 done") << p.Log();
    EXPECT_EQ(p.Ask("modal", "modal"), "modal none");
  }

  void Quit(Program& p) {
    p.Send("menu 40007");
    EXPECT_EQ(p.Wait(30), 0) << p.Log();
  }

  TempDir dir;
  Display mDisplay;
};

TEST_F(EndToEnd, OnAJackServer) {
  JackServer server;
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  Program p;
  Launch(p, {"JACK_DEFAULT_SERVER=" + server.Name(), "JACK_NO_START_SERVER=1"}, "errors.txt");
  EXPECT_NE(p.Ask("status", "callbacks").find("stream running"), std::string::npos) << p.Log();

  {  // Sound in, processed sound out.
    Listener ear;
    ASSERT_TRUE(ear.Open()) << p.Log();
    SleepMs(1000);  // past the muted start of the stream and any fade
    ear.Reset();
    const auto start = Clock::now();
    while (ear.Frames() < 22050 && SecondsSince(start) < 20) SleepMs(50);
    EXPECT_GE(ear.Frames(), 22050u);
    EXPECT_TRUE(ear.Finite());
    EXPECT_GT(ear.Rms(), 0.005) << "the program's outputs are silent";
    EXPECT_LE(ear.Peak(), 1.0);
  }

  CheckWindowOnScreen(p);
  EXPECT_EQ(p.Ask("strip", "strip"), "strip [File][Help]");
  OpenAndCloseAbout(p);

  // Preferences: the server's devices listed, Apply restarting the stream,
  // Cancel closing the dialog.
  const char kStart[] = "trying to start audio stream";
  const size_t starts = p.Count(kStart);
  p.Send("menu 40006");
  ASSERT_TRUE(p.WaitForModal("Preferences")) << p.Log();
  EXPECT_EQ(p.Ask("combo 40009", "combo"), "combo 40009 1 0");
  EXPECT_EQ(p.Ask("click 40024", "click"), "click ok");
  const auto clicked = Clock::now();
  while (p.Count(kStart) == starts && SecondsSince(clicked) < 20) p.Ask("status", "callbacks");
  EXPECT_EQ(p.Count(kStart), starts + 1) << p.Log();
  EXPECT_EQ(p.Ask("key escape", "key"), "key ok");
  EXPECT_EQ(p.Answer("menu 40006"), "menu 40006 done") << p.Log();
  EXPECT_NE(p.Ask("status", "callbacks").find("stream running"), std::string::npos);

  {  // A second instance at the same time runs as well.
    Program second;
    Launch(second, {"JACK_DEFAULT_SERVER=" + server.Name(), "JACK_NO_START_SERVER=1"},
           "errors2.txt");
    EXPECT_NE(second.Ask("status", "callbacks").find("stream running"), std::string::npos)
        << second.Log();
    Quit(second);
  }

  Quit(p);
  ExpectSettings(SettingsPath(), std::to_string(JackDriverIndex()), "system");
}

TEST_F(EndToEnd, WithoutAnyAudioServer) {
  Program p;
  Launch(p,
         {"JACK_DEFAULT_SERVER=hb_absent_" + std::to_string(getpid()), "JACK_NO_START_SERVER=1",
          "PULSE_SERVER=unix:/nonexistent/hb-pulse"},
         "errors.txt");
  EXPECT_NE(p.Ask("status", "callbacks").find("stream stopped"), std::string::npos) << p.Log();
  struct stat st;
  const bool soundCards = stat("/dev/snd", &st) == 0;
  if (!soundCards) {
    EXPECT_NE(p.Errors().find("Audio is unavailable"), std::string::npos) << p.Log();
  }

  p.Send("menu 40006");
  ASSERT_TRUE(p.WaitForModal("Preferences")) << p.Log();
  if (!soundCards) {
    EXPECT_EQ(p.Ask("combo 40009", "combo"), "combo 40009 0 -1");
    EXPECT_EQ(p.Ask("combo 40010", "combo"), "combo 40010 0 -1");
  }
  EXPECT_EQ(p.Ask("key escape", "key"), "key ok");
  EXPECT_EQ(p.Answer("menu 40006"), "menu 40006 done") << p.Log();
  OpenAndCloseAbout(p);
  Quit(p);
  struct stat ini;
  EXPECT_EQ(stat(SettingsPath().c_str(), &ini), 0);
}

}  // namespace
