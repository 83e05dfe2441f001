// The real program end to end: started under xvfb-run with its settings in a
// temporary HOME, driven through its test control (HB_TEST_CONTROL=1: menu
// commands, keys and clicks as desktop input), looked at on the X server with
// xdotool and xwd, and heard through a JACK client of the test.
//
// The window's picture is compared with data/main_window.png. After a change
// to what the window shows, write a new reference with
//   tests/app/update_reference.sh [build folder]
// and look at it before committing it.

#include "e2e_harness.h"

#include <jack/jack.h>
#include <math.h>

#include <atomic>

#include "jack_harness.h"

namespace {

using namespace e2e;

const char kReference[] = HB_TEST_DATA_DIR "/main_window.png";

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

class EndToEnd : public ProgramTest {
protected:
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
