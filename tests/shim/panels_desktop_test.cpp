// File panels as the user meets them: the layer's own folder panel makes a
// new folder (or says clearly why it cannot), and with zenity installed the
// desktop's dialog is asked with the panel's title, start and filter, its
// answer taken as the chosen path (a stand-in script answers here).

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/panels.h"
#include "platform/presenter.h"
#include "platform/window.h"
#include "shim_fixture.h"
#include "temp_dir.h"

namespace {

std::string Folder(const TempDir& d) {
  std::string f = d.path("");
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  return f;
}

bool IsFolder(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Queues keys for the panel window once it is up.
void TypeIntoPanel(const std::vector<std::pair<std::string, uint32_t>>& keys) {
  plat::app().post([keys] {
    for (plat::Window* w : plat::app().windows())
      if (w->level() == plat::kLevelModalPanel) {
        double t = plat::app().now();
        for (const auto& k : keys) {
          plat::Event e;
          // Apart in time: keys piling up within a few milliseconds count
          // as one repeated key.
          t += 0.05;
          e.timestamp = t;
          e.type = plat::EventType::KeyDown;
          e.window = w;
          e.characters = e.charactersIgnoringModifiers = k.first;
          e.modifierFlags = k.second;
          plat::app().queueEvent(e);
        }
      }
  });
}

const uint32_t kNewFolder = plat::kModCommand | plat::kModShift;

// Panels go to the layer's own windows; alerts are recorded.
class OwnWindows : public plat::PanelRunner {
public:
  int runFilePanel(plat::FilePanel& p) override { return plat::runFilePanelWindow(p); }
  int runAlert(plat::Alert& a) override {
    alerts.push_back(a.message);
    return 0;
  }
  std::vector<std::string> alerts;
};

class FolderPanel : public ShimTest {
protected:
  void SetUp() override {
    ShimTest::SetUp();
    plat::setPanelRunner(&runner);
  }
  void TearDown() override {
    plat::setPanelRunner(nullptr);
    ShimTest::TearDown();
  }
  OwnWindows runner;
};

TEST_F(FolderPanel, NewFolderMakesTheFolderAndSelectsIt) {
  TempDir dir;
  std::string base = Folder(dir);
  TypeIntoPanel({{"N", kNewFolder}, {"T", 0}, {"a", 0}, {"k", 0}, {"x", 0}, {"\x7f", 0}, {"es", 0},
                 {"\r", 0},    // makes "Takes"
                 {"\r", 0}});  // chooses what is selected: the new folder
  char fn[1024];
  ASSERT_TRUE(BrowseForDirectory("Where to keep takes", base.c_str(), fn, sizeof fn));
  EXPECT_EQ(std::string(fn), base + "/Takes");
  EXPECT_TRUE(IsFolder(base + "/Takes"));
  EXPECT_TRUE(runner.alerts.empty());
}

TEST_F(FolderPanel, AFolderThatCannotBeMadeIsExplained) {
  TempDir dir;
  std::string base = Folder(dir);
  ASSERT_EQ(mkdir((base + "/Takes").c_str(), 0777), 0);
  TypeIntoPanel({{"N", kNewFolder}, {"Takes", 0}, {"\r", 0}, {"\x1b", 0}, {"\x1b", 0}});
  char fn[1024];
  EXPECT_FALSE(BrowseForDirectory("Where to keep takes", base.c_str(), fn, sizeof fn));
  ASSERT_EQ(runner.alerts.size(), 1u);
  EXPECT_EQ(runner.alerts[0], "The folder \"Takes\" could not be created in " + base + ": File exists.");
}

TEST_F(FolderPanel, SavePanelsMakeFoldersToo) {
  TempDir dir;
  std::string base = Folder(dir);
  TypeIntoPanel({{"N", kNewFolder}, {"Presets", 0}, {"\r", 0}, {"\x1b", 0}});
  char fn[1024];
  EXPECT_FALSE(BrowseForSaveFile("Save", base.c_str(), "a.fxp", nullptr, fn, sizeof fn));
  EXPECT_TRUE(IsFolder(base + "/Presets"));
}

// The desktop's dialog through zenity, with a stand-in that writes down its
// arguments and answers with a path.
class Zenity : public ShimOffscreenTest {
protected:
  void SetUp() override {
    ShimOffscreenTest::SetUp();
    plat::setPanelRunner(nullptr);
    bin = Folder(dir) + "/bin";
    ASSERT_EQ(mkdir(bin.c_str(), 0777), 0);
    argsFile = Folder(dir) + "/args.txt";
    writeText(bin + "/zenity",
              "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + argsFile + "'\necho '/chosen/take 2.fxp'\n");
    chmod((bin + "/zenity").c_str(), 0755);
    const char* path = getenv("PATH");
    oldPath = path ? path : "";
    setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath.c_str(), 1);
    ShimOffscreenTest::TearDown();
  }
  std::vector<std::string> Args() {
    std::vector<std::string> out;
    std::string t = readText(argsFile), line;
    for (char c : t) {
      if (c == '\n') out.push_back(line), line.clear();
      else line += c;
    }
    return out;
  }
  TempDir dir;
  std::string bin, argsFile, oldPath;
};

TEST_F(Zenity, SavePanelAsksTheDesktopDialogAndTakesItsPath) {
  char fn[1024];
  ASSERT_TRUE(BrowseForSaveFile("Save Program", "/ignored", "/data/songs/take.fxp",
                                "Programs (*.fxp)\0*.fxp\0\0", fn, sizeof fn));
  EXPECT_EQ(std::string(fn), "/chosen/take 2.fxp");
  EXPECT_EQ(Args(), (std::vector<std::string>{"--file-selection", "--title=Save Program", "--save",
                                              "--filename=/data/songs/take.fxp", "--file-filter=Files | *.fxp"}));
}

TEST_F(Zenity, FolderPanelAsksForADirectory) {
  char fn[1024];
  ASSERT_TRUE(BrowseForDirectory("Choose a folder", "/data", fn, sizeof fn));
  EXPECT_EQ(std::string(fn), "/chosen/take 2.fxp");
  EXPECT_EQ(Args(), (std::vector<std::string>{"--file-selection", "--title=Choose a folder", "--directory",
                                              "--filename=/data/"}));
}

}  // namespace
