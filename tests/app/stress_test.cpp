// The real program used as a person would, over and over, under xvfb-run on
// a JACK server with the dummy driver: the File, Help and preset menus
// opened and dismissed, tool tips shown and hidden, programs saved through
// the program's own file panel (once with the pointer resting on the panel
// before typing), a knob dragged while its value text is read back from the
// window's picture. All input is desktop input sent to the X server (XTEST,
// as xdotool sends it); the program must be alive at the end and no X error
// may have happened.
//
// Without a window manager SDL gives every window it shows the keyboard, and
// requests to windows that were just destroyed used to end the program with
// an X error within a minute of such use.

#include "e2e_harness.h"

#include <stdlib.h>

#include <algorithm>
#include <functional>

#include "jack_harness.h"
#include "x_input.h"

namespace {

using namespace e2e;

// Menu strip items in the main window (the strip is drawn by the program).
constexpr int kFileX = 26, kHelpX = 66, kStripY = 11;
// A place in the main window without a tool tip (the heading).
constexpr int kQuietX = 600, kQuietY = 40;

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  int cx() const { return x + w / 2; }
  int cy() const { return y + h / 2; }
};

class Stress : public ProgramTest {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    Launch(p, {"JACK_DEFAULT_SERVER=" + server.Name(), "JACK_NO_START_SERVER=1"}, "errors.txt");
    if (HasFatalFailure()) return;
    const std::string id =
        RunOnDisplay(mDisplay, "xdotool search --sync --onlyvisible --name '^Harshbloom$'");
    ASSERT_FALSE(id.empty()) << p.Log();
    main = id.substr(0, id.find('\n'));
    ASSERT_TRUE(input.Open(mDisplay.name, mDisplay.auth)) << "no XTEST on " << mDisplay.name;
    ASSERT_TRUE(input.Origin(main, &originX, &originY));
  }

  std::string X(const std::string& args) { return RunOnDisplay(mDisplay, "xdotool " + args); }
  // The pointer to a pixel of the main window.
  void MoveTo(int x, int y) { input.MoveTo(originX + x, originY + y); }
  // A click; one near the last one follows it only after the desktop's
  // double-click time, so that each is a click of its own (the menu strip
  // takes every press alike: spaced false).
  void ClickAt(int x, int y, bool spaced = true) {
    if (spaced && std::abs(x - lastX) < 40 && std::abs(y - lastY) < 40) {
      const double wait = 0.6 - SecondsSince(lastClick);
      if (wait > 0) SleepMs(int(wait * 1000) + 1);
    }
    MoveTo(x, y);
    input.Click();
    lastX = x;
    lastY = y;
    lastClick = Clock::now();
  }
  void Key(const std::string& key) { input.Key(key); }
  static std::string Num(int v) { return std::to_string(v); }

  // Asks until the answer satisfies ok, for at most `seconds`.
  bool AskUntil(const std::string& command, const std::string& prefix,
                const std::function<bool(const std::string&)>& ok, double seconds = 10) {
    const auto start = Clock::now();
    do {
      if (ok(p.Ask(command, prefix))) return true;
      SleepMs(5);
    } while (SecondsSince(start) < seconds);
    return false;
  }
  // The number of pop-up menus showing and the tool tip's text ("-": none).
  bool WaitForPopups(int menus, const std::string& tip = "-", double seconds = 10) {
    const std::string want = "popups " + Num(menus) + " " + tip;
    return AskUntil("popups", "popups", [&](const std::string& a) { return a == want; }, seconds);
  }
  bool WaitForNoModal(double seconds = 10) {
    return AskUntil("modal", "modal", [](const std::string& a) { return a == "modal none"; },
                    seconds);
  }

  // An answer "<word> x y w h ..." as a rectangle.
  static Rect RectOf(const std::string& answer, std::string* rest = nullptr) {
    std::istringstream in(answer);
    std::string word;
    Rect r;
    in >> word;
    if (word == "valuetext") in >> word;  // its number
    in >> r.x >> r.y >> r.w >> r.h;
    if (rest) std::getline(in >> std::ws, *rest);
    return r;
  }
  Rect Find(const std::string& tip) {
    const std::string a = p.Ask("find " + tip, "find");
    EXPECT_NE(a, "find missing") << tip;
    return RectOf(a);
  }

  // The main window's picture on the X server, a rectangle of it.
  std::vector<uint32_t> Picture(const Rect& r) {
    const std::string dump = dir.path("window.xwd");
    RunOnDisplay(mDisplay, "xwd -silent -id " + main + " -out '" + dump + "'");
    plat::Bitmap shot;
    std::string error;
    std::vector<uint32_t> out;
    if (!ReadXwd(dump, &shot, &error)) {
      ADD_FAILURE() << error;
      return out;
    }
    for (int y = r.y; y < r.y + r.h && y < shot.height(); ++y)
      for (int x = r.x; x < r.x + r.w && x < shot.width(); ++x) out.push_back(shot.row(y)[x]);
    return out;
  }

  void ExpectAlive(const std::string& after) {
    ASSERT_EQ(p.Ask("ping", "pong", 20), "pong") << "the program died after " << after << "\n"
                                                 << p.Log();
  }

  // Opens a pop-up menu by a click and dismisses it with Escape, n times.
  void OpenAndDismiss(const std::string& what, int x, int y, int n, int dx = 0) {
    const auto start = Clock::now();
    for (int i = 0; i < n; ++i) {
      SCOPED_TRACE(what + " " + Num(i + 1));
      ClickAt(x + (i % 2 ? dx : -dx), y, y != kStripY);
      ASSERT_TRUE(WaitForPopups(1)) << p.Log();
      Key("Escape");
      ASSERT_TRUE(WaitForPopups(0)) << p.Log();
    }
    ExpectAlive(what);
    Took(what, start);
  }

  static void Took(const std::string& what, Clock::time_point since) {
    printf("%s: %.1f s\n", what.c_str(), SecondsSince(since));
  }

  JackServer server;
  Program p;
  std::string main;  // the main window's X id
  XInput input;
  int originX = 0, originY = 0;  // the main window's corner on the screen
  int lastX = -1000, lastY = -1000;
  Clock::time_point lastClick;
};

TEST_F(Stress, OrdinaryUseOverAndOver) {
  const auto start = Clock::now();

  // Menus of the strip and the preset menu, each fifty times.
  OpenAndDismiss("File menu", kFileX, kStripY, 50);
  if (HasFatalFailure()) return;
  OpenAndDismiss("Help menu", kHelpX, kStripY, 50);
  if (HasFatalFailure()) return;
  const Rect presets = Find("Drop-Down Factory Preset Selection");
  OpenAndDismiss("preset menu", presets.cx(), presets.cy(), 50, presets.w / 4);
  if (HasFatalFailure()) return;

  // Thirty tool tips, shown after a rest and hidden by moving away.
  const std::vector<std::string> tips = {"Program Save Button", "Program Load Button",
                                         "Drop-Down Factory Preset Selection",
                                         "Restore Original Curve"};
  auto phase = Clock::now();
  std::vector<Rect> tipRects;
  for (const std::string& t : tips) tipRects.push_back(Find(t));
  for (int i = 0; i < 30; ++i) {
    SCOPED_TRACE("tool tip " + Num(i + 1));
    const Rect& r = tipRects[size_t(i) % tips.size()];
    MoveTo(r.cx() - 2, r.cy());
    MoveTo(r.cx(), r.cy());
    ASSERT_TRUE(WaitForPopups(0, tips[size_t(i) % tips.size()])) << p.Log();
    MoveTo(kQuietX, kQuietY);
    MoveTo(kQuietX + 2, kQuietY);
    ASSERT_TRUE(WaitForPopups(0)) << p.Log();
  }
  ExpectAlive("the tool tips");
  Took("tool tips", phase);
  phase = Clock::now();
  if (HasFatalFailure()) return;

  // Twenty saves through the program's own panel. The panel offers the last
  // file's name with its stem selected: typing replaces the stem. In one of
  // them the pointer crosses the window to the panel and rests there before
  // typing: no tool tip of the window behind may show or take the keys.
  const Rect save = Find("Program Save Button");
  std::vector<std::string> saved;
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE("save " + Num(i + 1));
    ClickAt(save.cx(), save.cy());
    ASSERT_TRUE(p.WaitForModal("Save Program")) << p.Log();
    if (i == 7) {
      const std::string panel =
          RunOnDisplay(mDisplay, "xdotool search --onlyvisible --name '^Save Program$'");
      ASSERT_FALSE(panel.empty());
      int px = 0, py = 0;
      ASSERT_TRUE(input.Origin(panel.substr(0, panel.find('\n')), &px, &py));
      // Over other controls of the main window on the way.
      for (int step = 1; step <= 10; ++step) {
        MoveTo(save.cx() + 8 * step, save.cy() - 12 * step);
        SleepMs(20);
      }
      input.MoveTo(px + 200, py + 120);
      input.MoveTo(px + 202, py + 121);
      SleepMs(1500);
      EXPECT_TRUE(WaitForPopups(0, "-", 1)) << "a tool tip shows over the modal panel";
      EXPECT_EQ(p.Ask("modal", "modal"), "modal Save Program");
    }
    const std::string name = "stress" + std::string(i < 10 ? "0" : "") + Num(i);
    input.Type(name);
    Key("Return");
    ASSERT_TRUE(WaitForNoModal()) << p.Log();
    const std::string path = Home() + "/" + name + ".rn";
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0)
        << path << " was not written; the folder holds:\n"
        << RunOnDisplay(mDisplay, "ls -la '" + Home() + "'") << p.Log();
    EXPECT_GT(st.st_size, 0);
    saved.push_back(path);
  }
  ExpectAlive("the saves");
  Took("saves", phase);
  phase = Clock::now();
  if (HasFatalFailure()) return;
  for (const std::string& path : saved) EXPECT_EQ(p.Ask("loadprog " + path, "loadprog"), "loadprog ok");
  // The load panel offers the last file with its stem selected; another
  // name typed over the stem is loaded.
  const Rect load = Find("Program Load Button");
  ClickAt(load.cx(), load.cy());
  ASSERT_TRUE(p.WaitForModal("Load Program")) << p.Log();
  input.Type("stress05");
  Key("Return");
  ASSERT_TRUE(WaitForNoModal()) << p.Log();
  EXPECT_EQ(p.Ask("lastprog", "lastprog"), "lastprog " + saved[5]);

  // A knob dragged: its value text changes on the screen in the frames of
  // the drag, without a page switch, and a full redraw shows nothing else.
  std::string before;
  const Rect text = RectOf(p.Ask("valuetext 0", "valuetext"), &before);
  const Rect knob = Find("Bit-Crash Quantization");
  ASSERT_GT(text.w, 0);
  MoveTo(kQuietX, kQuietY);
  const std::vector<uint32_t> shownBefore = Picture(text);
  MoveTo(knob.cx(), knob.cy());
  input.Button(1, true);
  for (int step = 1; step <= 12; ++step) {
    MoveTo(knob.cx(), knob.cy() + 6 * step);
    SleepMs(30);
  }
  input.Button(1, false);
  std::string after;
  RectOf(p.Ask("valuetext 0", "valuetext"), &after);
  EXPECT_NE(after, before) << "the drag did not change the value";
  std::vector<uint32_t> shown;
  const auto dragged = Clock::now();
  do {
    SleepMs(100);
    shown = Picture(text);
  } while (shown == shownBefore && SecondsSince(dragged) < 5);
  EXPECT_TRUE(shown != shownBefore) << "the value text on the screen did not follow the knob";
  SleepMs(300);
  shown = Picture(text);
  ASSERT_EQ(p.Ask("redraw", "redraw"), "redraw ok");
  SleepMs(300);
  EXPECT_TRUE(Picture(text) == shown) << "a full redraw shows another value text";

  Took("loads and the knob drag", phase);

  // Alive, and no X error on the way.
  ExpectAlive("the knob drag");
  EXPECT_EQ(p.Errors().find("X error"), std::string::npos) << p.Errors();
  input.Close();  // the X server ends with the program
  p.Send("menu 40007");
  EXPECT_EQ(p.Wait(30), 0) << p.Log();
  printf("the stress run took %.1f s\n", SecondsSince(start));
}

}  // namespace
