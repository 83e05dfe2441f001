// Ini files against real files: what is read, the exact bytes written, the
// cache, files changed between calls, short buffers and files that cannot be
// written.

#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "shim-appstub.h"
#include "shim-ini.h"
#include "shim-kernel.h"
#include "temp_dir.h"
#include "test_env.h"
#include "unprivileged.h"

namespace {

std::string Get(const char* section, const char* key, const std::string& file,
                const char* def = "DEF") {
  char buf[256];
  const int n = GetPrivateProfileString(section, key, def, buf, sizeof buf, file.c_str());
  EXPECT_EQ(n, static_cast<int>(strlen(buf)));
  return buf;
}

std::string IniError(const std::string& file) {
  char buf[512] = "";
  return SHIM_GetIniFileError(file.c_str(), buf, sizeof buf) ? buf : "";
}

// A buffer of exactly `size` bytes followed by guard bytes that must survive.
struct Guarded {
  explicit Guarded(int size) : size(size), bytes(static_cast<size_t>(size) + 8, '#') {}
  char* data() { return bytes.data(); }
  bool GuardIntact() const {
    for (size_t i = static_cast<size_t>(size); i < bytes.size(); ++i)
      if (bytes[i] != '#') return false;
    return true;
  }
  std::string Text(int n) const { return std::string(bytes.data(), static_cast<size_t>(n)); }
  int size;
  std::vector<char> bytes;
};

// A call that fills a NUL-separated list, its buffer size, and the result
// and leading bytes it must give.
struct ListCase {
  const char* section;
  int size;
  int result;
  std::string bytes;
};

template <class Call>
void ExpectListCopies(const std::vector<ListCase>& cases, Call call) {
  for (const ListCase& c : cases) {
    const std::string what = std::string(c.section ? c.section : "(all)") + " size " + std::to_string(c.size);
    Guarded buf(c.size);
    EXPECT_EQ(call(c.section, buf.data(), c.size), c.result) << what;
    EXPECT_EQ(buf.Text(static_cast<int>(c.bytes.size())), c.bytes) << what;
    EXPECT_TRUE(buf.GuardIntact()) << what;
  }
}

class IniFile : public ::testing::Test {
protected:
  TempDir dir;
  std::string file = dir.path("t.ini");
};

TEST_F(IniFile, ReadsValuesAsTheFileHoldsThem) {
  writeText(file,
           "junk before any section=1\n"
           "[Main]\r\n"
           "Width = 5\n"
           "  single='abc'  \n"
           "double=\"abc\"\n"
           "lone='\n"
           "mixed='abc\"\n"
           "; comment without equals\n"
           "=no key\n"
           "Empty=\n"
           "[Other]trailing text\n"
           "k=first\n"
           "[unclosed\n"
           "k2=still other\n"
           "[]\n"
           "lost=1\n"
           "[dup]\n"
           "a=1\n"
           "b=1\n"
           "[DUP]\n"
           "a=2\n"
           "[keys]\n"
           "x=1\n"
           "X=2\n");
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"Main", "Width", "DEF"},  // the key is "Width " with the blank
      {"Main", "Width ", "5"},   // the stored value " 5" is trimmed
      {"main", "WIDTH ", "5"},
      {"Main", "single", "abc"},
      {"Main", "double", "abc"},
      {"Main", "lone", "'"},
      {"Main", "mixed", "'abc\""},
      {"Main", "Empty", ""},
      {"Main", "junk before any section", "DEF"},
      {"Other", "k", "first"},
      {"Other", "lost", "DEF"},
      {"Other", "k2", "still other"},
      {"dup", "a", "2"},
      {"dup", "b", "DEF"},  // a repeated section replaces the earlier one
      {"keys", "x", "2"},   // of two equal keys the later one stays
  };
  for (const Case& c : cases)
    EXPECT_EQ(Get(c.section, c.key, file), c.expected) << c.section << "/" << c.key;
}

TEST_F(IniFile, WritesSortedSectionsAndKeysWithTheFirstStoredNames) {
  EXPECT_EQ(WritePrivateProfileString("midi", "outdev", "off", file.c_str()), 1);
  EXPECT_EQ(WritePrivateProfileString("Audio", "sr", "44100", file.c_str()), 1);
  EXPECT_EQ(WritePrivateProfileString("audio", "Driver", "0", file.c_str()), 1);
  EXPECT_EQ(WritePrivateProfileString("AUDIO", "driver", "1", file.c_str()), 1);
  EXPECT_EQ(WritePrivateProfileString("midi", "indev", "'quoted'", file.c_str()), 1);
  EXPECT_EQ(readText(file),
            "[Audio]\nDriver=1\nsr=44100\n\n"
            "[midi]\nindev='quoted'\noutdev=off\n\n");
  EXPECT_EQ(Get("MIDI", "INDEV", file), "quoted");
  // No temporary file is left behind.
  EXPECT_FALSE(Exists(dir.path(".t.ini.new")));
}

TEST_F(IniFile, RemovesKeysAndSections) {
  writeText(file, "[a]\nx=1\ny=2\n[b]\nz=3\n");
  EXPECT_EQ(WritePrivateProfileString("a", "x", nullptr, file.c_str()), 1);
  EXPECT_EQ(readText(file), "[a]\ny=2\n\n[b]\nz=3\n\n");
  EXPECT_EQ(WritePrivateProfileString("B", nullptr, nullptr, file.c_str()), 1);
  EXPECT_EQ(readText(file), "[a]\ny=2\n\n");
  // Removing what is not there succeeds without rewriting.
  const ino_t before = InodeOf(file);
  EXPECT_EQ(WritePrivateProfileString("b", nullptr, nullptr, file.c_str()), 1);
  EXPECT_EQ(WritePrivateProfileString("a", "gone", nullptr, file.c_str()), 1);
  EXPECT_EQ(InodeOf(file), before);
  // Refused arguments leave the file alone.
  EXPECT_EQ(WritePrivateProfileString(nullptr, "k", "v", file.c_str()), 0);
  EXPECT_EQ(WritePrivateProfileString("a", "", "v", file.c_str()), 0);
  EXPECT_EQ(InodeOf(file), before);
}

TEST_F(IniFile, WritingTheSameValueTwiceWritesOnce) {
  ASSERT_EQ(WritePrivateProfileString("s", "k", "v", file.c_str()), 1);
  const ino_t first = InodeOf(file);
  ASSERT_EQ(WritePrivateProfileString("S", "K", "v", file.c_str()), 1);
  EXPECT_EQ(InodeOf(file), first);  // every write replaces the file by a rename
  ASSERT_EQ(WritePrivateProfileString("s", "k", "w", file.c_str()), 1);
  EXPECT_NE(InodeOf(file), first);
}

TEST_F(IniFile, SeesFilesChangedBetweenCalls) {
  writeText(file, "[s]\nk=1\n");
  EXPECT_EQ(Get("s", "k", file), "1");
  // Same size, same second: still a different file.
  writeText(file, "[s]\nk=2\n");
  EXPECT_EQ(Get("s", "k", file), "2");
  // A change made by another writer survives our next write.
  writeText(file, "[s]\nk=2\nother=x\n");
  EXPECT_EQ(WritePrivateProfileString("s", "k", "3", file.c_str()), 1);
  EXPECT_EQ(readText(file), "[s]\nk=3\nother=x\n\n");
  unlink(file.c_str());
  EXPECT_EQ(Get("s", "k", file), "DEF");
}

TEST_F(IniFile, UnchangedFilesAreReadFromTheCache) {
  writeText(file, "[s]\nk=1\n");
  SetOldTime(file);
  EXPECT_EQ(Get("s", "k", file), "1");
  // Same size, same time: taken for the file already read.
  writeText(file, "[s]\nk=2\n");
  SetOldTime(file);
  EXPECT_EQ(Get("s", "k", file), "1");
  SetOldTime(file, 1600000001);
  EXPECT_EQ(Get("s", "k", file), "2");
}

TEST_F(IniFile, PathsDifferingInCaseAreDifferentFiles) {
  const std::string upper = dir.path("T.ini");
  writeText(file, "[s]\nk=lower\n");
  writeText(upper, "[s]\nk=upper\n");
  // Equal in time and size, so only the path tells them apart.
  SetOldTime(file);
  SetOldTime(upper);
  EXPECT_EQ(Get("s", "k", file), "lower");
  EXPECT_EQ(Get("s", "k", upper), "upper");
  EXPECT_EQ(Get("s", "k", file), "lower");
}

TEST_F(IniFile, ManyFilesThroughTheCacheKeepTheirOwnValues) {
  // More files than cache slots, visited twice in turn.
  const int n = 40;
  for (int i = 0; i < n; ++i) {
    const std::string f = dir.path("f" + std::to_string(i) + ".ini");
    ASSERT_EQ(WritePrivateProfileString("s", "k", std::to_string(i).c_str(), f.c_str()), 1);
  }
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < n; ++i)
      EXPECT_EQ(Get("s", "k", dir.path("f" + std::to_string(i) + ".ini")), std::to_string(i));
}

TEST_F(IniFile, IntegersSaturateInsteadOfOverflowing) {
  writeText(file,
           "[n]\nzero=0\nneg=-3\nabc=abc\nmixed=12abc\nempty=\nhuge=99999999999\n"
           "tiny=-99999999999\nquoted='7'\nhex=0x10\nspaced=  42  \n");
  struct Case {
    const char* key;
    int expected;
  } cases[] = {{"zero", 0},           {"neg", -3},         {"abc", 77},
               {"mixed", 12},         {"empty", 77},       {"huge", INT_MAX},
               {"tiny", INT_MIN},     {"quoted", 7},       {"hex", 0},
               {"spaced", 42},        {"missing", 77}};
  for (const Case& c : cases)
    EXPECT_EQ(GetPrivateProfileInt("n", c.key, 77, file.c_str()), c.expected) << c.key;
}

TEST_F(IniFile, StringCopiesFitTheBuffer) {
  writeText(file, "[s]\nk=abcdef\n");
  struct Case {
    int size;
    int result;
    const char* text;
  } cases[] = {{0, 0, ""}, {1, 0, ""}, {4, 3, "abc"}, {7, 6, "abcdef"}, {20, 6, "abcdef"}};
  for (const Case& c : cases) {
    Guarded buf(c.size);
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", buf.data(), c.size, file.c_str()), c.result);
    if (c.size > 0) {
      EXPECT_STREQ(buf.data(), c.text);
    }
    EXPECT_TRUE(buf.GuardIntact()) << c.size;
    // The default is copied the same way, untrimmed.
    Guarded def(c.size);
    GetPrivateProfileString("s", "none", " 'abcdef' ", def.data(), c.size, file.c_str());
    if (c.size > 4) {
      EXPECT_EQ(std::string(def.data()), std::string(" 'abcdef' ").substr(0, c.size - 1));
    }
    EXPECT_TRUE(def.GuardIntact()) << c.size;
  }
}

TEST_F(IniFile, NameListsEndInTwoNulsWithinTheBuffer) {
  writeText(file, "[beta]\nk2=1\nk1=2\n[Alpha]\n");
  ExpectListCopies(
      {
          {nullptr, 100, 10, std::string("Alpha\0beta\0\0", 12)},
          {nullptr, 8, 6, std::string("Alpha\0\0\0", 8)},
          {nullptr, 5, 3, std::string("Alp\0\0", 5)},
          {nullptr, 2, 0, std::string("\0\0", 2)},
          {nullptr, 1, 0, std::string("\0", 1)},
          {nullptr, 0, 0, std::string()},
          {"BETA", 100, 5, std::string("k1\0k2\0\0", 7)},
          {"alpha", 100, 0, std::string("\0\0", 2)},
          {"missing", 100, 0, std::string("\0\0", 2)},
      },
      [this](const char* section, char* buf, int size) {
        return GetPrivateProfileString(section, nullptr, "ignored", buf, size, file.c_str());
      });
}

TEST_F(IniFile, SectionsAreCopiedAsTrimmedEntries) {
  writeText(file, "[s]\nb= \"2\" \na=1\n[empty]\n");
  ExpectListCopies(
      {
          {"S", 100, 8, std::string("a=1\0b=2\0\0", 9)},
          {"s", 9, 8, std::string("a=1\0b=2\0\0", 9)},
          {"s", 8, 6, std::string("a=1\0b=\0\0", 8)},
          {"s", 1, 0, std::string("\0", 1)},
          {"s", 0, 0, std::string()},
          {"missing", 10, 0, std::string("\0\0", 2)},
          {"empty", 10, 0, std::string("\0\0", 2)},
      },
      [this](const char* section, char* buf, int size) {
        return GetPrivateProfileSection(section, buf, size, file.c_str());
      });
}

TEST_F(IniFile, WholeSectionsAreReplaced) {
  writeText(file, "[s]\nold=1\n[t]\nk=v\n");
  const char data[] = "b=2\0no equals\0a=1=x\0=nokey\0";
  EXPECT_EQ(WritePrivateProfileSection("S", data, file.c_str()), 1);
  EXPECT_EQ(readText(file), "[s]\na=1=x\nb=2\n\n[t]\nk=v\n\n");
  // Empty data empties an existing section and creates none.
  EXPECT_EQ(WritePrivateProfileSection("t", "", file.c_str()), 1);
  EXPECT_EQ(WritePrivateProfileSection("new", "", file.c_str()), 1);
  EXPECT_EQ(readText(file), "[s]\na=1=x\nb=2\n\n[t]\n\n");
  EXPECT_EQ(WritePrivateProfileSection(nullptr, data, file.c_str()), 0);
  // Nothing is written for an empty section of a file that does not exist.
  const std::string other = dir.path("other.ini");
  EXPECT_EQ(WritePrivateProfileSection("x", "", other.c_str()), 1);
  EXPECT_FALSE(Exists(other));
}

TEST_F(IniFile, StructsRoundTripWithTheirChecksumInsideTheBuffer) {
  const unsigned char bytes[2] = {0x01, 0xFF};
  ASSERT_EQ(WritePrivateProfileStruct("s", "blob", bytes, 2, file.c_str()), 1);
  EXPECT_EQ(readText(file), "[s]\nblob=01FF00\n\n");

  Guarded two(2);
  EXPECT_EQ(GetPrivateProfileStruct("s", "blob", two.data(), 2, file.c_str()), 1);
  EXPECT_EQ(two.Text(2), std::string("\x01\xFF", 2));
  EXPECT_TRUE(two.GuardIntact());  // the checksum byte is not stored

  Guarded three(3);
  EXPECT_EQ(GetPrivateProfileStruct("s", "blob", three.data(), 3, file.c_str()), 0);
  EXPECT_TRUE(three.GuardIntact());

  writeText(file, "[s]\nbad=01FF01\nlower=0aff09\nnothex=0G0000\nempty=00\n");
  Guarded buf(2);
  EXPECT_EQ(GetPrivateProfileStruct("s", "bad", buf.data(), 2, file.c_str()), 0);
  EXPECT_EQ(GetPrivateProfileStruct("s", "lower", buf.data(), 2, file.c_str()), 1);
  EXPECT_EQ(buf.Text(2), std::string("\x0a\xff", 2));
  EXPECT_EQ(GetPrivateProfileStruct("s", "nothex", buf.data(), 2, file.c_str()), 0);
  EXPECT_EQ(GetPrivateProfileStruct("s", "empty", nullptr, 0, file.c_str()), 1);
  EXPECT_EQ(GetPrivateProfileStruct("s", "lower", buf.data(), -1, file.c_str()), 0);
  EXPECT_TRUE(buf.GuardIntact());

  // A null key or null data removes, as a null value does.
  EXPECT_EQ(WritePrivateProfileStruct("s", "bad", nullptr, 2, file.c_str()), 1);
  EXPECT_EQ(Get("s", "bad", file), "DEF");
}

TEST_F(IniFile, ValuesThatWouldBreakTheFileAreRefused) {
  writeText(file, "[s]\nk=1\n");
  const std::string before = readText(file);
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {{"s", "k", "1\n[evil]\nx=1"}, {"s", "a=b", "1"},   {"s", "[x]", "1"},
               {"s", " lead", "1"},          {"s]x", "k", "1"},   {"", "k", "1"},
               {"s\n", "k", "1"},            {"s", "k\r", "1"}};
  for (const Case& c : cases)
    EXPECT_EQ(WritePrivateProfileString(c.section, c.key, c.value, file.c_str()), 0) << c.key;
  EXPECT_EQ(readText(file), before);
  EXPECT_EQ(Get("s", "k", file), "1");
}

// The folder refuses the temporary file: the write reports failure, the file
// keeps its contents and the next read shows them, not the lost change.
TEST_F(IniFile, AWriteThatCannotReachTheFileFailsAndIsForgotten) {
  writeText(file, "[s]\nk=1\n");
  EXPECT_EQ(Get("s", "k", file), "1");
  // A folder in the way of the temporary name stops every user, root too.
  ASSERT_EQ(mkdir((dir.path(".t.ini.new")).c_str(), 0755), 0);
  EXPECT_EQ(WritePrivateProfileString("s", "k", "2", file.c_str()), 0);
  EXPECT_EQ(IniError(file), "cannot create " + dir.path(".t.ini.new") + ": Is a directory");
  EXPECT_EQ(readText(file), "[s]\nk=1\n");
  EXPECT_EQ(Get("s", "k", file), "1");
  EXPECT_EQ(WritePrivateProfileString("s", nullptr, nullptr, file.c_str()), 0);
  EXPECT_EQ(Get("s", "k", file), "1");
  rmdir((dir.path(".t.ini.new")).c_str());
  EXPECT_EQ(WritePrivateProfileString("s", "k", "2", file.c_str()), 1);
  EXPECT_EQ(readText(file), "[s]\nk=2\n\n");
  EXPECT_EQ(IniError(file), "");  // a write that succeeds clears the reason
}

TEST_F(IniFile, AReadOnlyFolderKeepsItsFile) {
  writeText(file, "[s]\nk=1\n");
  chmod(FolderOf(dir).c_str(), 0555);
  EXPECT_EQ(RunUnprivileged(
                [&]() -> std::string {
                  CHECK_TEXT(std::to_string(WritePrivateProfileString("s", "k", "2", file.c_str())),
                             "0");
                  CHECK_TEXT(IniError(file),
                             "cannot create " + dir.path(".t.ini.new") + ": Permission denied");
                  CHECK_TEXT(Get("s", "k", file), "1");
                  CHECK_TEXT(readText(file), "[s]\nk=1\n");
                  // Missing files in a read-only folder read as empty.
                  CHECK_TEXT(Get("s", "k", dir.path("none.ini")), "DEF");
                  return "";
                },
                {FolderOf(dir), file}),
            "");
  chmod(FolderOf(dir).c_str(), 0755);
}

// Read-only files keep what they hold, also when their folder would let the
// temporary file replace them.
TEST_F(IniFile, AReadOnlyFileIsNotReplaced) {
  writeText(file, "[s]\nk=1\n");
  chmod(file.c_str(), 0444);
  EXPECT_EQ(RunUnprivileged(
                [&]() -> std::string {
                  CHECK_TEXT(std::to_string(WritePrivateProfileString("s", "k", "2", file.c_str())),
                             "0");
                  CHECK_TEXT(IniError(file), "the file cannot be written: Permission denied");
                  CHECK_TEXT(readText(file), "[s]\nk=1\n");
                  CHECK_TEXT(Get("s", "k", file), "1");
                  return "";
                },
                {FolderOf(dir), file}),
            "");
}

TEST_F(IniFile, AFileThatIsNotAnIniFileIsNeverRewritten) {
  // More than 256 KiB before the first section: reading stops.
  std::string junk(300000, 'x');
  junk += "\n[s]\nk=1\n";
  writeText(file, junk);
  EXPECT_EQ(Get("s", "k", file), "DEF");
  EXPECT_EQ(WritePrivateProfileString("s", "k", "2", file.c_str()), 0);
  EXPECT_EQ(readText(file), junk);
  // Just below the limit the file is read.
  std::string fine(200000, 'x');
  fine += "\n[s]\nk=1\n";
  writeText(file, fine);
  EXPECT_EQ(Get("s", "k", file), "1");
}

// Files that are there but cannot be read whole are never rewritten, and
// the reason is there for the caller to say.
TEST_F(IniFile, FilesNotReadWholeSayWhy) {
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;
    std::string readReason;
  } cases[] = {
      {"a folder", [](const std::string& p) { mkdir(p.c_str(), 0755); }, "Is a directory"},
      {"junk before any section",
       [](const std::string& p) { writeText(p, std::string(300000, 'x') + "\n[s]\nk=1\n"); },
       "not an ini file (more than 256 KiB before its first section)"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.path(std::string("f") + std::to_string(&c - cases) + ".ini");
    c.make(path);
    EXPECT_EQ(Get("s", "k", path), "DEF") << c.what;
    EXPECT_EQ(IniError(path), c.readReason) << c.what;
    EXPECT_EQ(WritePrivateProfileString("s", "k", "2", path.c_str()), 0) << c.what;
    EXPECT_EQ(IniError(path), "the file was not read whole (" + c.readReason + "); it is kept as it is")
        << c.what;
  }
  EXPECT_EQ(IniError(dir.path("never-read.ini")), "");
}

TEST_F(IniFile, ConcurrentWritersLoseNothing) {
  const int kThreads = 4, kKeys = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([this, t] {
      for (int k = 0; k < kKeys; ++k) {
        const std::string key = "t" + std::to_string(t) + "k" + std::to_string(k);
        WritePrivateProfileString("s", key.c_str(), key.c_str(), file.c_str());
      }
    });
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t)
    for (int k = 0; k < kKeys; ++k) {
      const std::string key = "t" + std::to_string(t) + "k" + std::to_string(k);
      EXPECT_EQ(Get("s", key.c_str(), file), key);
    }
}

// Names without '/' live beside the default file.
class IniNames : public ::testing::Test {
protected:
  void TearDown() override { SHIM_ExtendedAPI("INIFILE", nullptr); }
  TempDir dir;
  EnvGuard home{"HOME", FolderOf(dir).c_str()};
};

TEST_F(IniNames, ResolveBesideTheDefaultFile) {
  struct Case {
    const char* name;
    const char* file;
  } cases[] = {{nullptr, ".libShim.ini"},
               {"", ".libShim.ini"},
               {"prefs", ".libShim_prefs.ini"},
               {"prefs.INI", ".libShim_prefs.INI"},
               {"prefs.cfg", ".libShim_prefs.cfg.ini"},
               {"a.ini\\b", ".libShim_a.ini\\b.ini"}};
  for (const Case& c : cases) {
    ASSERT_EQ(WritePrivateProfileString("s", "k", c.file, c.name), 1);
    EXPECT_EQ(Get("s", "k", dir.path(c.file)), c.file) << c.file;
  }
}

TEST_F(IniNames, FollowTheApplicationsDefaultFile) {
  const std::string def = dir.path("app.settings.cfg");
  std::string given = def;
  SHIM_ExtendedAPI("INIFILE", &given[0]);
  given[0] = 'X';  // the layer keeps its own copy
  ASSERT_EQ(WritePrivateProfileString("s", "k", "1", nullptr), 1);
  ASSERT_EQ(WritePrivateProfileString("s", "k", "2", "extra"), 1);
  EXPECT_EQ(Get("s", "k", def), "1");
  EXPECT_EQ(Get("s", "k", dir.path("app.settings_extra.ini")), "2");
  // Clearing it returns to the file in HOME.
  SHIM_ExtendedAPI("INIFILE", nullptr);
  ASSERT_EQ(WritePrivateProfileString("s", "k", "3", nullptr), 1);
  EXPECT_EQ(Get("s", "k", dir.path(".libShim.ini")), "3");
}

TEST_F(IniNames, ADefaultPathTooLongForTheLayerFailsCleanly) {
  std::string longHome = FolderOf(dir) + "/" + std::string(500, 'h');
  EnvGuard tooLong("HOME", longHome.c_str());
  char buf[8] = "x";
  EXPECT_EQ(GetPrivateProfileString("s", "k", "d", buf, sizeof buf, "prefs"), 1);
  EXPECT_STREQ(buf, "d");
  EXPECT_EQ(WritePrivateProfileString("s", "k", "v", "prefs"), 0);
}


// A loaded module finds the ini and helper functions by name only; calling
// through what the table hands out must reach the real functions.
TEST_F(IniFile, ModulesFindTheIniAndHelperFunctionsByName) {
  using WriteFn = int (*)(const char*, const char*, const char*, const char*);
  using GetIntFn = int (*)(const char*, const char*, int, const char*);
  using MulDivFn = int (*)(int, int, int);
  auto write = reinterpret_cast<WriteFn>(SHIMAPI_GetFunc("WritePrivateProfileString"));
  auto getInt = reinterpret_cast<GetIntFn>(SHIMAPI_GetFunc("GetPrivateProfileInt"));
  auto mulDiv = reinterpret_cast<MulDivFn>(SHIMAPI_GetFunc("MulDiv"));
  ASSERT_NE(write, nullptr);
  ASSERT_NE(getInt, nullptr);
  ASSERT_NE(mulDiv, nullptr);
  EXPECT_TRUE(write("Main", "Count", "42", file.c_str()));
  EXPECT_EQ(getInt("Main", "Count", 0, file.c_str()), 42);
  EXPECT_EQ(mulDiv(7, 3, 2), 10);
  struct Named {
    const char* name;
    void* func;
  } named[] = {{"GetTempPath", reinterpret_cast<void*>(&GetTempPath)},
               {"GlobalAlloc", reinterpret_cast<void*>(&GlobalAlloc)},
               {"GlobalFree", reinterpret_cast<void*>(&GlobalFree)},
               {"CreateThread", reinterpret_cast<void*>(&CreateThread)},
               {"WaitForAnySocketObject", reinterpret_cast<void*>(&WaitForAnySocketObject)},
               {"SHIM_ExtendedAPI", reinterpret_cast<void*>(&SHIM_ExtendedAPI)},
               {"WritePrivateProfileStruct", reinterpret_cast<void*>(&WritePrivateProfileStruct)},
               {"GetPrivateProfileSection", reinterpret_cast<void*>(&GetPrivateProfileSection)}};
  for (const Named& n : named) EXPECT_EQ(SHIMAPI_GetFunc(n.name), n.func) << n.name;
  EXPECT_EQ(SHIMAPI_GetFunc("getprivateprofileint"), nullptr);
}

}  // namespace
