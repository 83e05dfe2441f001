// Font files registered for this process only, or installed for the user
// into the user's font folder where other programs find them. Every test
// works in a home folder of its own.

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "platform/text.h"
#include "shim-gdi-draw.h"
#include "temp_dir.h"

namespace {

const std::string kFont = HB_GDI_TEST_DATA_DIR "/squares.ttf";
const char* const kFamily = "Harshbloom Test Squares";

bool Exists(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0;
}

class FontScope : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* v : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
      const char* s = getenv(v);
      saved.push_back({v, s ? s : "", s != nullptr});
    }
    setenv("HOME", dir.path("home").c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    setenv("XDG_CACHE_HOME", dir.path("cache").c_str(), 1);
  }
  void TearDown() override {
    for (const Saved& s : saved) {
      if (s.set)
        setenv(s.name, s.value.c_str(), 1);
      else
        unsetenv(s.name);
    }
  }

  // The families another program sees with the test's home folder.
  std::string FamiliesSeenByOthers() {
    const char* data = getenv("XDG_DATA_HOME");
    std::string cmd = data ? std::string("env XDG_DATA_HOME='") + data + "'" : "env -u XDG_DATA_HOME";
    cmd += " HOME='" + dir.path("home") + "' XDG_CACHE_HOME='" + dir.path("cache") + "'";
    cmd += " fc-list : family 2>/dev/null";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
      char buf[512];
      while (fgets(buf, sizeof buf, p)) out += buf;
      pclose(p);
    }
    return out;
  }

  std::string UserFonts() const { return dir.path("home") + "/.local/share/fonts"; }

  TempDir dir;
  struct Saved {
    const char* name;
    std::string value;
    bool set;
  };
  std::vector<Saved> saved;
};

TEST_F(FontScope, WithoutTheProcessBitTheFontIsInstalledForTheUser) {
  const std::string before = FamiliesSeenByOthers();
  ASSERT_NE(before.find("Liberation"), std::string::npos) << "fc-list gave " << before;
  ASSERT_EQ(before.find(kFamily), std::string::npos);
  EXPECT_EQ(AddFontResourceEx(kFont.c_str(), 0, nullptr), 1);
  const std::string copy = UserFonts() + "/squares.ttf";
  EXPECT_EQ(readText(copy), readText(kFont));
  EXPECT_NE(FamiliesSeenByOthers().find(kFamily), std::string::npos);
  EXPECT_EQ(plat::Font(kFamily, 20).resolvedFamily(), kFamily);

  // Again: nothing more is written.
  EXPECT_EQ(AddFontResourceEx(kFont.c_str(), 0x10, nullptr), 1);
  EXPECT_FALSE(Exists(UserFonts() + "/squares-2.ttf"));

  // Another font of the same file name leaves the first one alone.
  const std::string other = dir.path("squares.ttf");
  writeText(other, readText("/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf"));
  ASSERT_FALSE(readText(other).empty());
  std::string where;
  EXPECT_TRUE(plat::installUserFont(other, &where));
  EXPECT_EQ(where, UserFonts() + "/squares-2.ttf");
  EXPECT_EQ(readText(copy), readText(kFont));
  EXPECT_EQ(readText(where), readText(other));
}

TEST_F(FontScope, TheUsersFontFolderFollowsXdgDataHome) {
  setenv("XDG_DATA_HOME", dir.path("data").c_str(), 1);
  EXPECT_EQ(plat::userFontFolder(), dir.path("data") + "/fonts");
  EXPECT_EQ(AddFontResourceEx(kFont.c_str(), 0, nullptr), 1);
  EXPECT_EQ(readText(dir.path("data") + "/fonts/squares.ttf"), readText(kFont));
  EXPECT_FALSE(Exists(UserFonts()));
  EXPECT_NE(FamiliesSeenByOthers().find(kFamily), std::string::npos);
}

TEST_F(FontScope, TheProcessBitKeepsTheFontToThisProgram) {
  EXPECT_EQ(AddFontResourceEx(kFont.c_str(), SHIM_FONT_FOR_PROCESS, nullptr), 1);
  EXPECT_EQ(plat::Font(kFamily, 20).resolvedFamily(), kFamily);
  EXPECT_FALSE(Exists(dir.path("home")));
  const std::string others = FamiliesSeenByOthers();
  EXPECT_NE(others.find("Liberation"), std::string::npos) << "fc-list gave " << others;
  EXPECT_EQ(others.find(kFamily), std::string::npos);
}

TEST_F(FontScope, FilesThatHoldNoFontAreNotInstalled) {
  writeText(dir.path("notes.ttf"), "not a font at all");
  EXPECT_EQ(AddFontResourceEx(dir.path("notes.ttf").c_str(), 0, nullptr), 0);
  EXPECT_EQ(AddFontResourceEx(dir.path("missing.ttf").c_str(), 0, nullptr), 0);
  EXPECT_EQ(AddFontResourceEx(nullptr, 0, nullptr), 0);
  EXPECT_FALSE(Exists(dir.path("home")));
  unsetenv("HOME");
  EXPECT_EQ(plat::userFontFolder(), "");
  EXPECT_EQ(AddFontResourceEx(kFont.c_str(), 0, nullptr), 0);
}

}  // namespace
