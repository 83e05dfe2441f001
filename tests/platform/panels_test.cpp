// The layer's own file panel and alert windows, driven by keys and clicks
// queued while they run, and who owns a window that closes: each window is
// freed once, when its last holder lets it go (these tests run under
// AddressSanitizer in CI, which reports a second release).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/keys.h"
#include "platform/panels.h"
#include "platform/text.h"
#include "platform/view.h"
#include "platform/window.h"
#include "temp_dir.h"

using namespace plat;

namespace {

class Panels : public ::testing::Test {
protected:
  void SetUp() override {
    app().resetForTests();
    app().useVirtualClock(true);
    setPanelRunner(nullptr);
  }
  void TearDown() override { app().resetForTests(); }

  // What the user does once the panel runs: keys (text, or a key code with
  // its character) and clicks, queued for the modal window; the window is
  // remembered.
  struct Step {
    std::string chars;
    uint16_t keyCode = 0;
    uint32_t modifiers = 0;
    bool click = false;
    Point at;
  };
  static Step Type(const std::string& text) {
    Step s;
    s.chars = text;
    return s;
  }
  static Step Key(uint32_t ch, uint16_t code, uint32_t mods = 0) {
    Step s;
    appendUtf8(s.chars, ch);
    s.keyCode = code;
    s.modifiers = mods;
    return s;
  }
  static Step ClickAt(double x, double y) {
    Step s;
    s.click = true;
    s.at = {x, y};
    return s;
  }

  void Script(const std::vector<Step>& steps) {
    app().post([this, steps] {
      Window* w = app().modalWindow();
      seen = w;
      if (!w) return;
      title = w->title();
      w->displayIfNeeded();
      for (const Step& s : steps) {
        Event e;
        e.window = w;
        e.timestamp = app().now();
        if (s.click) {
          e.type = EventType::LeftMouseDown;
          // Flipped panel coordinates to window base coordinates.
          e.location = {s.at.x, w->frame().h - s.at.y};
          e.clickCount = 1;
          app().queueEvent(e);
          e.type = EventType::LeftMouseUp;
          app().queueEvent(e);
          continue;
        }
        e.type = EventType::KeyDown;
        e.keyCode = s.keyCode;
        e.modifierFlags = s.modifiers;
        e.characters = e.charactersIgnoringModifiers = s.chars;
        app().queueEvent(e);
      }
    });
  }

  TempDir dir;
  Window* seen = nullptr;
  std::string title;
};

const uint32_t kReturn = '\r', kEscape = 0x1B;

TEST_F(Panels, SavePanelWindowIsFreedOnceAfterEverySave) {
  // The panel's window used to be released twice as it closed: a crash or
  // a heap error in about four saves of ten.
  for (int i = 0; i < 10; ++i) {
    Ref<FilePanel> panel = Ref<FilePanel>::adopt(new FilePanel(PanelKind::Save));
    panel->directory = dir.path("");
    panel->allowedTypes = {"rn", "bgp"};
    const std::string name = "prog" + std::to_string(i);
    Script({Type(name), Key(kReturn, key::Return)});
    ASSERT_EQ(runFilePanelWindow(*panel), 1) << i;
    ASSERT_EQ(panel->paths.size(), 1u);
    EXPECT_EQ(panel->paths[0], dir.path(name + ".rn"));
    ASSERT_NE(seen, nullptr);
    EXPECT_FALSE(Object::isLive(seen)) << "the closed panel window is still alive";
    EXPECT_TRUE(app().windows().empty());
    EXPECT_EQ(app().modalWindow(), nullptr);
  }
}

TEST_F(Panels, CancelledPanelsAndAlertsAreFreedOnce) {
  Ref<FilePanel> open = Ref<FilePanel>::adopt(new FilePanel(PanelKind::Open));
  open->directory = dir.path("");
  Script({Key(kEscape, key::Escape)});
  EXPECT_EQ(runFilePanelWindow(*open), 0);
  EXPECT_FALSE(Object::isLive(seen));

  Alert a;
  a.title = "Harshbloom";
  a.message = "Replace?";
  a.buttons = {"Yes", "No"};
  a.cancelIndex = 1;
  Script({Key(kEscape, key::Escape)});
  EXPECT_EQ(runAlertWindow(a), 1);
  ASSERT_NE(seen, nullptr);
  EXPECT_FALSE(Object::isLive(seen));
  EXPECT_TRUE(app().windows().empty());
}

TEST_F(Panels, AClosedWindowLivesWhileHeldAndIsFreedOnceReleased) {
  Window* w = new Window({0, 0, 100, 100}, kStyleTitled);  // the application's
  {
    Ref<Window> hold(w);
    w->makeKeyAndOrderFront();
    w->close();
    EXPECT_TRUE(Object::isLive(w));  // held here
    EXPECT_TRUE(w->isClosed());
    EXPECT_TRUE(app().windows().empty());
    w->close();  // a second close changes nothing
    EXPECT_TRUE(Object::isLive(w));
  }
  EXPECT_FALSE(Object::isLive(w));
}

TEST_F(Panels, PanelTitleSaysWhatItDoes) {
  Ref<FilePanel> save = Ref<FilePanel>::adopt(new FilePanel(PanelKind::Save));
  save->directory = dir.path("");
  save->title = "Export Curve";
  Script({Key(kEscape, key::Escape)});
  runFilePanelWindow(*save);
  EXPECT_EQ(title, "Export Curve");
  save->title.clear();
  Script({Key(kEscape, key::Escape)});
  runFilePanelWindow(*save);
  EXPECT_EQ(title, "Save");
  Ref<FilePanel> open = Ref<FilePanel>::adopt(new FilePanel(PanelKind::Open));
  open->directory = dir.path("");
  Script({Key(kEscape, key::Escape)});
  runFilePanelWindow(*open);
  EXPECT_EQ(title, "Open");
}

TEST_F(Panels, OfferedNameTakesTheExtensionOfTheAction) {
  FilePanel* p = new FilePanel(PanelKind::Save);
  p->fileName = "/home/someone/curves/drawn.csv";
  p->allowedTypes = {"wav"};
  EXPECT_EQ(offeredFileName(*p), "drawn.wav");
  p->allowedTypes = {"csv"};
  EXPECT_EQ(offeredFileName(*p), "drawn.csv");
  p->allowedTypes = {"rn", "bgp"};
  p->fileName = "live.BGP";
  EXPECT_EQ(offeredFileName(*p), "live.BGP");
  p->fileName = "noext";
  EXPECT_EQ(offeredFileName(*p), "noext.rn");
  p->fileName = "";
  EXPECT_EQ(offeredFileName(*p), "");
  p->release();
  FilePanel* open = new FilePanel(PanelKind::Open);
  open->fileName = "/x/drawn.csv";
  open->allowedTypes = {"wav"};
  EXPECT_EQ(offeredFileName(*open), "drawn.csv");  // an open panel shows what was there
  open->release();
}

TEST_F(Panels, TypingReplacesTheSelectedStem) {
  Ref<FilePanel> p = Ref<FilePanel>::adopt(new FilePanel(PanelKind::Save));
  p->directory = dir.path("");
  p->fileName = "drawn.csv";
  p->allowedTypes = {"wav"};
  Script({Type("k"), Type("i"), Type("c"), Type("k"), Key(kReturn, key::Return)});
  ASSERT_EQ(runFilePanelWindow(*p), 1);
  EXPECT_EQ(p->paths[0], dir.path("kick.wav"));
}

TEST_F(Panels, NameFieldEditsLikeATextField) {
  Ref<FilePanel> p = Ref<FilePanel>::adopt(new FilePanel(PanelKind::Save));
  p->directory = dir.path("");
  p->fileName = "drawn.csv";
  p->allowedTypes = {"csv"};
  // Ctrl+A selects everything; typing replaces it; the type is added.
  Script({Key('a', key::A, kModCommand), Type("all"), Key(kReturn, key::Return)});
  ASSERT_EQ(runFilePanelWindow(*p), 1);
  EXPECT_EQ(p->paths[0], dir.path("all.csv"));
  // The arrows move the caret and collapse the selection; Backspace and
  // Delete take one character.
  Script({Key(keychar::RightArrow, key::RightArrow), Key(0x7F, key::Delete), Type("X"),
          Key(keychar::Home, key::Home), Key(keychar::ForwardDelete, key::ForwardDelete),
          Key(kReturn, key::Return)});
  ASSERT_EQ(runFilePanelWindow(*p), 1);
  EXPECT_EQ(p->paths[0], dir.path("rawX.csv"));
  // Shift with an arrow extends the selection.
  Script({Key(keychar::End, key::End), Key(keychar::LeftArrow, key::LeftArrow, kModShift),
          Key(keychar::LeftArrow, key::LeftArrow, kModShift),
          Key(keychar::LeftArrow, key::LeftArrow, kModShift), Type("wav"),
          Key(kReturn, key::Return)});
  ASSERT_EQ(runFilePanelWindow(*p), 1);
  EXPECT_EQ(p->paths[0], dir.path("drawn.wav.csv"));
}

TEST_F(Panels, OpenPanelOpensTheTypedOrOfferedFile) {
  writeText(dir.path("a.rn"), "x");
  writeText(dir.path("b.rn"), "y");
  Ref<FilePanel> p = Ref<FilePanel>::adopt(new FilePanel(PanelKind::Open));
  p->directory = dir.path("");
  p->fileName = dir.path("b.rn");
  p->allowedTypes = {"rn"};
  Script({Key(kReturn, key::Return)});  // the last file, offered
  ASSERT_EQ(runFilePanelWindow(*p), 1);
  EXPECT_EQ(p->paths, std::vector<std::string>{dir.path("b.rn")});
  Script({Key('a', key::A, kModCommand), Type("a.rn"), Key(kReturn, key::Return)});
  ASSERT_EQ(runFilePanelWindow(*p), 1);
  EXPECT_EQ(p->paths, std::vector<std::string>{dir.path("a.rn")});
  // A name that names nothing keeps the panel open until Escape.
  Script({Key('a', key::A, kModCommand), Type("none.rn"), Key(kReturn, key::Return),
          Key(kEscape, key::Escape)});
  EXPECT_EQ(runFilePanelWindow(*p), 0);
}

}  // namespace
