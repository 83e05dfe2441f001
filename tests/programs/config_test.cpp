// The configuration record and its section of the program file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <future>
#include <limits>

#include "PlugConfig.h"
#include "temp_dir.h"

using Rawnfield::PlugConfig;

namespace {

const char* const kDefaultSection =
    "[Harshbloom_Config]\n"
    "Config.LastSelectedProgramFile = ;\n"
    "Config.LastSelectedDistoCurveFile = ;\n"
    "UiConfig.VisibleTab = 0;\n"
    "UiConfig.ScopeDrawMode = 1;\n"
    "UiConfig.ScopeDrawInput = 1;\n"
    "UiConfig.ScopeDrawOutput = 1;\n"
    "UiConfig.ScopeZoom = 100;\n";

bool textFieldIsZeroAfter(const PlugConfig& c, PlugConfig::eText which, size_t from) {
  for (size_t i = from; i < PlugConfig::kTextSize; ++i)
    if (c.texts[which][i] != 0) return false;
  return true;
}

PlugConfig loaded(const std::string& text) {
  TempDir dir;
  writeText(dir.path("c.txt"), text);
  PlugConfig c;
  EXPECT_TRUE(c.loadConfig(dir.path("c.txt")));
  return c;
}

}  // namespace

TEST(PlugConfig, Defaults) {
  static_assert(sizeof(PlugConfig) == 5 * 1024 + 9 * 8, "record size");
  PlugConfig c;
  EXPECT_STREQ(c.getText(PlugConfig::kProductName), "Harshbloom");
  EXPECT_TRUE(textFieldIsZeroAfter(c, PlugConfig::kProductName, 10));
  for (auto t : {PlugConfig::kLastProgramFile, PlugConfig::kLastCurveFile, PlugConfig::kSpareText1,
                 PlugConfig::kSpareText2})
    EXPECT_TRUE(textFieldIsZeroAfter(c, t, 0));
  EXPECT_EQ(c.versionMajor, 0.0);
  EXPECT_EQ(c.versionRevision, 0.0);
  EXPECT_EQ(c.visibleTab, 0.0);
  EXPECT_EQ(c.scopeDrawMode, 1.0);
  EXPECT_EQ(c.scopeDrawInput, 1.0);
  EXPECT_EQ(c.scopeDrawOutput, 1.0);
  EXPECT_EQ(c.scopeZoom, 100.0);

  PlugConfig v(1, 1, 0, 5302);
  EXPECT_EQ(v.versionMajor, 1.0);
  EXPECT_EQ(v.versionMinor, 1.0);
  EXPECT_EQ(v.versionBuild, 0.0);
  EXPECT_EQ(v.versionRevision, 5302.0);
  EXPECT_EQ(v.scopeZoom, 100.0);

  v.scopeZoom = 30;
  v.setText(PlugConfig::kLastCurveFile, "/x");
  v.init();
  EXPECT_EQ(v.scopeZoom, 100.0);
  EXPECT_EQ(v.versionRevision, 0.0);
  EXPECT_STREQ(v.getText(PlugConfig::kLastCurveFile), "");
}

TEST(PlugConfig, ZoomSetterLimits) {
  const struct {
    double in, out;
  } cases[] = {{5, 10}, {900, 500}, {250, 250}, {10, 10}, {500, 500}, {-1e300, 10}};
  for (const auto& c : cases) {
    PlugConfig p;
    p.setScopeZoom(c.in);
    EXPECT_EQ(p.scopeZoom, c.out) << c.in;
  }
  PlugConfig p;
  p.setScopeZoom(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(p.scopeZoom, 100.0);
  p.setVisibleTab(2);
  EXPECT_EQ(p.visibleTab, 2.0);
}

// Every stored text ends inside its field; a longer one is cut.
TEST(PlugConfig, TextsAreCutToTheirField) {
  PlugConfig c;
  c.setText(PlugConfig::kSpareText1, std::string(5000, 'a'));
  EXPECT_EQ(strlen(c.getText(PlugConfig::kSpareText1)), 1023u);
  EXPECT_EQ(c.texts[PlugConfig::kSpareText1][1023], 0);
  EXPECT_EQ(c.texts[PlugConfig::kSpareText2][0], 0);  // the next field is untouched

  c.setText(PlugConfig::kSpareText1, "short");
  EXPECT_STREQ(c.getText(PlugConfig::kSpareText1), "short");
  EXPECT_TRUE(textFieldIsZeroAfter(c, PlugConfig::kSpareText1, 5));

  memset(c.texts, 'q', sizeof c.texts);
  c.terminateTexts();
  for (int t = 0; t < PlugConfig::kNumTexts; ++t) EXPECT_EQ(strlen(c.getText(PlugConfig::eText(t))), 1023u);
}

TEST(PlugConfig, DefaultSectionIsAppendedLineForLine) {
  TempDir dir;
  const std::string path = dir.path("p.txt");
  writeText(path, "head\n");
  EXPECT_TRUE(PlugConfig().saveConfig(path));
  EXPECT_EQ(readText(path), std::string("head\n") + kDefaultSection);
  EXPECT_FALSE(PlugConfig().saveConfig(""));
  EXPECT_FALSE(PlugConfig().saveConfig(dir.path("no/such/folder/p.txt")));
}

TEST(PlugConfig, SavedSectionLoadsBack) {
  TempDir dir;
  const std::string program = dir.path("prog.txt");
  const std::string curve = dir.path("curve.csv");
  writeText(program, "x");
  writeText(curve, "y");
  PlugConfig c;
  c.setText(PlugConfig::kLastProgramFile, program);
  c.setText(PlugConfig::kLastCurveFile, curve);
  c.setVisibleTab(1);
  c.scopeDrawMode = 2;
  c.scopeDrawInput = 0;
  c.setScopeZoom(130);
  const std::string path = dir.path("saved.txt");
  ASSERT_TRUE(c.saveConfig(path));
  PlugConfig back;
  ASSERT_TRUE(back.loadConfig(path));
  EXPECT_STREQ(back.getText(PlugConfig::kLastProgramFile), program.c_str());
  EXPECT_STREQ(back.getText(PlugConfig::kLastCurveFile), curve.c_str());
  EXPECT_EQ(back.visibleTab, 1.0);
  EXPECT_EQ(back.scopeDrawMode, 2.0);
  EXPECT_EQ(back.scopeDrawInput, 0.0);
  EXPECT_EQ(back.scopeDrawOutput, 1.0);
  EXPECT_EQ(back.scopeZoom, 130.0);
}

TEST(PlugConfig, NumberLines) {
  const struct {
    const char* text;
    double zoom;
    double tab;
  } cases[] = {
      {"UiConfig.ScopeZoom = 250;\n", 250, 0},
      {"UiConfig.ScopeZoom = 250;\r\n", 250, 0},  // ";" and the return stay in the text; atof stops
      {"UiConfig.ScopeZoom = 250\n", 10, 0},      // no ";": 0, kept within the zoom's bounds
      {"UiConfig.ScopeZoom = 3;\n", 10, 0},
      {"UiConfig.ScopeZoom = 9000;\n", 500, 0},
      {"UiConfig.ScopeZoom = nan;\n", 100, 0},
      {"UiConfig.ScopeZoom=250;\n", 10, 0},  // no " = ": 0
      {"UiConfig.VisibleTab = 7;\n", 100, 2},
      {"UiConfig.VisibleTab = -1;\n", 100, 0},
      {"UiConfig.VisibleTab = 1;\nUiConfig.VisibleTab = 2;\n", 100, 2},
      {"no key here = 5;\n", 100, 0},
      {"Name = UiConfig.VisibleTab = 1;\n", 100, 0},  // the value is taken after the first " = "
  };
  for (const auto& c : cases) {
    const PlugConfig p = loaded(c.text);
    EXPECT_EQ(p.scopeZoom, c.zoom) << c.text;
    EXPECT_EQ(p.visibleTab, c.tab) << c.text;
  }
}

TEST(PlugConfig, FileLinesNeedAnExistingFile) {
  TempDir dir;
  const std::string existing = dir.path("there.txt");
  writeText(existing, "x");
  const struct {
    std::string text;
    std::string stored;
  } cases[] = {
      {"Config.LastSelectedProgramFile = " + existing + ";\n", existing},
      {"Config.LastSelectedProgramFile = ;\n", ""},
      {"Config.LastSelectedProgramFile = " + dir.path("gone.txt") + ";\n", ""},
      {"Config.LastSelectedProgramFile = " + existing + ";\r\n", ""},  // keeps the ";"
      {"Config.LastSelectedProgramFile = " + existing + "\n", ""},      // no ";"
      {"Config.LastSelectedProgramFile = " + dir.path("") + ";\n", ""},  // a folder
      {"  Config.LastSelectedProgramFile = " + existing + ";\n", existing},
  };
  for (const auto& c : cases) {
    const PlugConfig p = loaded(c.text);
    EXPECT_EQ(p.getText(PlugConfig::kLastProgramFile), c.stored) << c.text;
  }
  // A stale path leaves what was there.
  PlugConfig p;
  p.setText(PlugConfig::kLastCurveFile, existing);
  const std::string path = dir.path("c.txt");
  writeText(path, "Config.LastSelectedDistoCurveFile = " + dir.path("gone.csv") + ";\n");
  ASSERT_TRUE(p.loadConfig(path));
  EXPECT_EQ(p.getText(PlugConfig::kLastCurveFile), existing);
}

TEST(PlugConfig, LongExistingPathIsCutTo1023Characters) {
  TempDir dir;
  std::string path = dir.path("");
  while (path.size() < 1400) {
    path += std::string(200, 'd') + "/";
    ASSERT_TRUE(std::filesystem::create_directory(path));
  }
  path += std::string(1500 - path.size(), 'f');
  writeText(path, "x");
  const PlugConfig p = loaded("Config.LastSelectedProgramFile = " + path + ";\n");
  EXPECT_EQ(std::string(p.getText(PlugConfig::kLastProgramFile)), path.substr(0, 1023));
}

// Checking that a named file exists must not open it: opening a named pipe
// would wait for a writer.
TEST(PlugConfig, NamedPipeDoesNotBlockLoading) {
  TempDir dir;
  const std::string fifo = dir.path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string path = dir.path("c.txt");
  writeText(path, "Config.LastSelectedProgramFile = " + fifo + ";\nUiConfig.ScopeZoom = 200;\n");
  auto done = std::async(std::launch::async, [&] {
    PlugConfig p;
    p.loadConfig(path);
    return p;
  });
  if (done.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    // Unblock the reader so the test can end, then fail.
    FILE* f = fopen(fifo.c_str(), "w");
    if (f) fclose(f);
    FAIL() << "loading waited on the named pipe";
  }
  const PlugConfig p = done.get();
  EXPECT_STREQ(p.getText(PlugConfig::kLastProgramFile), "");
  EXPECT_EQ(p.scopeZoom, 200.0);
}

// Loading from a named pipe or a folder reads nothing and reports it; the
// pipe is not waited on.
TEST(PlugConfig, LoadingFromNoRegularFileFails) {
  TempDir dir;
  const std::string fifo = dir.path("pipe.txt");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, dir.path("")}) {
    PlugConfig p;
    p.setScopeZoom(250.0);
    bool loaded = true;
    EXPECT_TRUE(endsWithoutAPipeWriter(fifo, [&] { loaded = p.loadConfig(path); })) << path;
    EXPECT_FALSE(loaded) << path;
    EXPECT_EQ(p.scopeZoom, 250.0) << path;
  }
}

TEST(PlugConfig, ProgramFileWithoutConfigurationChangesNothing) {
  const PlugConfig p = loaded("[Harshbloom_Program]\nName = x;\nGate = 0.5;\n");
  const PlugConfig fresh;
  EXPECT_EQ(memcmp(&p, &fresh, sizeof p), 0);
  PlugConfig q;
  EXPECT_FALSE(q.loadConfig(""));
  EXPECT_FALSE(q.loadConfig("/no/such/file"));
}
