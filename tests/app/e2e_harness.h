#pragma once

// The real program under xvfb-run for the end-to-end tests: started with its
// settings in a temporary HOME, driven through its test control
// (HB_TEST_CONTROL=1, see app_wrapper/app_testhook.cpp), looked at on the X
// server with xdotool and xwd.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/bitmap.h"
#include "platform/image_file.h"
#include "platform/workspace.h"
#include "temp_dir.h"

extern char** environ;

namespace e2e {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

inline void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

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
inline std::string RunOnDisplay(const Display& display, const std::string& command) {
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

inline uint32_t Big32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// A window dump of xwd with 32-bit true-colour pixels.
inline bool ReadXwd(const std::string& path, plat::Bitmap* out, std::string* error) {
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


// A test that starts the program: its temporary HOME, its display.
class ProgramTest : public ::testing::Test {
protected:
  std::string Home() const { return dir.path("home"); }
  std::string SettingsPath() const { return Home() + "/.config/Harshbloom/settings.ini"; }

  // Starts the program and waits until its start-up is over.
  void Launch(Program& p, const std::vector<std::string>& env, const std::string& errName) {
    // The program's own panels and message boxes, which the test can drive,
    // also where zenity is installed.
    std::vector<std::string> all = {"HOME=" + Home(), "XDG_CONFIG_HOME=", "HB_TEST_CONTROL=1",
                                    "HB_HEADLESS=", "LC_ALL=C", "HB_OWN_PANELS=1"};
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

  TempDir dir;
  Display mDisplay;
};

}  // namespace e2e
