// The program text file: the bytes the writer puts down, round trips, and
// what the reader makes of odd, malformed and broken files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "DistoTypes.h"
#include "Distortion.h"
#include "FilterTypes.h"
#include "PlugConfig.h"
#include "programs/HarshbloomProgram.h"
#include "reference.h"
#include "temp_dir.h"
#include "test_provider.h"

using Rawnfield::HarshbloomProgram;
using Rawnfield::PlugConfig;
namespace H = Rawnfield::Harshbloom;

namespace {

// The value a plain number comes back as: printed with six significant
// digits and read again.
double sixDigits(double v) {
  char text[64];
  snprintf(text, sizeof text, "%g", v);
  return atof(text);
}

std::string curveText() {
  static Rawnfield::Distortion unit(testProvider());
  static const bool ready = (unit.init(), unit.setType(20 / 42.0), true);
  (void)ready;
  return unit.getLutDataString();
}

// Loads text as a program file into a fresh program.
struct Loaded {
  HarshbloomProgram program;
  std::string curve;
  bool ok = false;
};

Loaded loadText(const std::string& text) {
  TempDir dir;
  const std::string path = dir.path("p.txt");
  writeText(path, text);
  Loaded l;
  l.ok = l.program.loadProgram(path, l.curve);
  return l;
}

std::string header() {
  return "[Harshbloom_Program]\nName = Test;\n";
}

void expectSameProgram(const HarshbloomProgram& a, const HarshbloomProgram& b) {
  EXPECT_EQ(a.getProgramName(), b.getProgramName());
  for (int t = 0; t < H::kNumParameters; ++t)
    EXPECT_EQ(bitsOf(a.getParameterValue(tagOf(t))), bitsOf(b.getParameterValue(tagOf(t)))) << t;
}

}  // namespace

TEST(ProgramFile, SavedFactoryProgramsMatchTheReferenceBytes) {
  const auto list = HarshbloomProgram::getFactoryPrograms();
  TempDir dir;
  for (int n : savedReferenceIndices()) {
    const std::string path = dir.path("saved.txt");
    list.at(n).saveProgram(path, "CURVE");
    EXPECT_EQ(readText(path), referenceSavedProgram(n)) << list.at(n).getProgramName();
  }
}

TEST(ProgramFile, ConstructorProgramLines) {
  TempDir dir;
  const std::string path = dir.path("p.txt");
  HarshbloomProgram p;
  p.saveProgram(path, "0.5,1");
  const std::string text = readText(path);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  ASSERT_EQ(text.back(), '\n');
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 88u);
  for (const char* line :
       {"[Harshbloom_Program]\nName = Basic Distortion;\nInputVolume = 1;\n", "\nQuantization = 0;\n",
        "\nDistortionType = Linear;\n", "\nFilterMode1 = RBJ LowPass;\n", "\nFilterType = 1;\n",
        "\nSubBandFilterSlope = 0.333333;\n", "\nSubBandCutoff = 0.389156;\n", "\nHqFilter = nan;\n",
        "\nLimiterLevel = 0.707946;\n", "\nVolume = 0.5;\n", "\nReserved_01 = 0;\n",
        "\nReserved_20 = 0;\nDistortionCurveData = 0.5,1;\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
}

// Save, load (with the configuration appended and read back) and save
// again gives the same bytes, for every factory program.
TEST(ProgramFile, EveryFactoryProgramRoundTrips) {
  TempDir dir;
  const std::string first = dir.path("first.txt");
  const std::string second = dir.path("second.txt");
  PlugConfig config;
  config.setScopeZoom(250);
  for (const HarshbloomProgram& original : HarshbloomProgram::getFactoryPrograms()) {
    original.saveProgram(first, curveText());
    ASSERT_TRUE(config.saveConfig(first));

    HarshbloomProgram loaded;
    std::string curve;
    ASSERT_TRUE(loaded.loadProgram(first, curve));
    PlugConfig loadedConfig;
    ASSERT_TRUE(loadedConfig.loadConfig(first));
    EXPECT_EQ(curve, curveText());
    EXPECT_EQ(loadedConfig.scopeZoom, 250.0);

    EXPECT_EQ(loaded.getProgramName(), original.getProgramName());
    for (int t = 0; t < H::kNumParameters; ++t) {
      const double v = original.getParameterValue(tagOf(t));
      const double back = loaded.getParameterValue(tagOf(t));
      if (std::isnan(v))
        EXPECT_TRUE(std::isnan(back)) << t;
      else if (t == H::kDistortionType || t == H::kFilterMode1 || t == H::kFilterMode2)
        EXPECT_EQ(back, v) << original.getProgramName() << " " << t;  // exact selections
      else
        EXPECT_EQ(back, sixDigits(v)) << original.getProgramName() << " " << t;
    }

    loaded.saveProgram(second, curve);
    ASSERT_TRUE(loadedConfig.saveConfig(second));
    EXPECT_EQ(readText(second), readText(first)) << original.getProgramName();
  }
}

TEST(ProgramFile, EveryTypeWordAndFilterNameReadsBackToItsType) {
  TempDir dir;
  const std::string path = dir.path("p.txt");
  for (int t = 0; t < Rawnfield::Types::kNumDistortionTypes; ++t) {
    HarshbloomProgram p;
    p.setParameterValue(H::kDistortionType, t / 42.0);
    p.saveProgram(path, "");
    EXPECT_NE(readText(path).find(std::string("\nDistortionType = ") +
                                  Rawnfield::Types::kDistortionTypeNames[t] + ";\n"),
              std::string::npos);
    HarshbloomProgram q;
    std::string curve;
    ASSERT_TRUE(q.loadProgram(path, curve));
    EXPECT_EQ(q.getParameterValue(H::kDistortionType), t / 42.0) << t;
  }
  for (int t = 0; t < Rawnfield::Types::kNumFilterTypes; ++t) {
    HarshbloomProgram p;
    p.setParameterValue(H::kFilterMode1, t / 11.0);
    p.setParameterValue(H::kFilterMode2, (11 - t) / 11.0);
    p.saveProgram(path, "");
    HarshbloomProgram q;
    std::string curve;
    ASSERT_TRUE(q.loadProgram(path, curve));
    EXPECT_EQ(q.getParameterValue(H::kFilterMode1), t / 11.0) << t;
    EXPECT_EQ(q.getParameterValue(H::kFilterMode2), (11 - t) / 11.0) << t;
  }
}

// The type control's top position (42, from 41.5/42 up to 1) has no type
// word. Its setting is written as the number, so that loading restores it
// instead of turning it into type 0.
TEST(ProgramFile, TypePositionWithoutAWordSurvivesSaveAndLoad) {
  TempDir dir;
  const std::string path = dir.path("p.txt");
  for (double v : {1.0, 0.99, 41.5 / 42.0}) {
    HarshbloomProgram p;
    p.setParameterValue(H::kDistortionType, v);
    p.saveProgram(path, "");
    const std::string text = readText(path);
    EXPECT_EQ(text.find("DistortionType = Distortion;"), std::string::npos);
    HarshbloomProgram q;
    std::string curve;
    ASSERT_TRUE(q.loadProgram(path, curve));
    EXPECT_EQ(q.getParameterValue(H::kDistortionType), v);
  }
}

TEST(ProgramFile, DistortionTypeLineReadings) {
  const struct {
    const char* text;
    double type;
  } cases[] = {
      {"Hardcore-Fuzz1", 20 / 42.0},
      {"Fuzz-Drive", 19 / 42.0},  // an older word
      {"ZRM Thrashcore", 41 / 42.0},
      {"Distortion", 0.0},  // the word once written for positions without a word
      {"Nonsense", 0.0},
      {"hardcore-fuzz1", 0.0},
      {"0.5", 0.5},
      {"1", 1.0},
      {"7", 1.0},
      {"0.5x", 0.0},
      {"nan", 0.0},
  };
  for (const auto& c : cases) {
    const Loaded l = loadText(header() + "DistortionType = " + c.text + ";\n");
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.program.getParameterValue(H::kDistortionType), c.type) << c.text;
  }
}

TEST(ProgramFile, NamesAsTheyComeBack) {
  const struct {
    const char* line;
    const char* name;
  } cases[] = {
      {"Name = Crunchy;", "Crunchy"},
      {"Name = 0123456789012345678901234567890123456789;", "01234567890123456789012345678901"},
      {"Name = 01234567890123456789012345678901;", "01234567890123456789012345678901"},
      {"Name = ;", "Basic Distortion"},  // not well formed: the default name stays
      {"Name = a;b;", "a"},
      {"Title = Any key names it;", "Any key names it"},
      {"Name = x = y;", "x = y"},
  };
  for (const auto& c : cases) {
    const Loaded l = loadText(std::string("[Harshbloom_Program]\n") + c.line + "\nGate = 0.5;\n");
    EXPECT_EQ(l.program.getProgramName(), c.name) << c.line;
    EXPECT_EQ(l.program.getParameterValue(H::kGate), 0.5) << c.line;
  }
  // A name ends at a NUL byte; one that comes out empty is no name.
  const std::string nul("\0", 1);
  EXPECT_EQ(loadText("Name = ab" + nul + "cd;\n").program.getProgramName(), "ab");
  EXPECT_EQ(loadText("Name = " + nul + "cd;\n").program.getProgramName(), "Basic Distortion");
}

TEST(ProgramFile, LinesThatAreIgnored) {
  HarshbloomProgram defaults;
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"blank line takes the name slot", "[Harshbloom_Program]\n\nName = Lost;\n"},
      {"no blank before =", header() + "InputVolume= 0.3;\n"},
      {"no ;", header() + "InputVolume = 0.3\n"},
      {"nothing between = and ;", header() + "InputVolume = ;\n"},
      {"key too short", "[Harshbloom_Program]\nName = Test;\nA = 0.3;\n"},
      {"unknown key", header() + "Volumes = 0.3;\n"},
      {"reserved key", header() + "Reserved_01 = 0.3;\n"},
      {"lines after the configuration head",
       header() + "[Harshbloom_Config]\nGate = 0.3;\nDistortionCurveData = 1,2;\n"},
      {"nothing recognisable", "just some words\nand more\n"},
      {"empty file", ""},
  };
  for (const auto& c : cases) {
    const Loaded l = loadText(c.text);
    EXPECT_TRUE(l.ok) << c.what;
    EXPECT_EQ(l.curve, "") << c.what;
    for (int t = 0; t < H::kNumParameters; ++t)
      EXPECT_EQ(bitsOf(l.program.getParameterValue(tagOf(t))), bitsOf(defaults.getParameterValue(tagOf(t))))
          << c.what << ": tag " << t;
  }
  EXPECT_EQ(loadText("[Harshbloom_Program]\n\nName = Lost;\n").program.getProgramName(), "Basic Distortion");
}

TEST(ProgramFile, ValuesAreClampedAndNaNKeepsThePreviousValue) {
  const Loaded l = loadText(header() +
                            "InputVolume = 1.7;\nGate = -3;\nSampleRate = nan;\nHqFilter = 0.5;\n"
                            "Pan = 0.25junk;\nDryWet = junk;\n");
  EXPECT_EQ(l.program.getParameterValue(H::kInputVolume), 1.0);
  EXPECT_EQ(l.program.getParameterValue(H::kGate), 0.0);
  EXPECT_EQ(l.program.getParameterValue(H::kSampleRate), 1.0);  // the default stays
  EXPECT_EQ(l.program.getParameterValue(H::kHqFilter), 0.5);
  EXPECT_EQ(l.program.getParameterValue(H::kPan), 0.25);
  EXPECT_EQ(l.program.getParameterValue(H::kDryWet), 0.0);

  const Loaded nan = loadText(header() + "HqFilter = 0.5;\nHqFilter = nan;\n");
  EXPECT_TRUE(std::isnan(nan.program.getParameterValue(H::kHqFilter)));
}

TEST(ProgramFile, FilterTypeLines) {
  TempDir dir;
  const std::string path = dir.path("p.txt");
  writeText(path, header() + "FilterMode1 = ;\nFilterMode2 = LP 24dB;\n");
  HarshbloomProgram p;
  p.setParameterValue(H::kFilterMode1, 5 / 11.0);
  std::string curve;
  ASSERT_TRUE(p.loadProgram(path, curve));
  EXPECT_EQ(p.getParameterValue(H::kFilterMode1), 5 / 11.0);  // an empty name leaves it
  EXPECT_EQ(p.getParameterValue(H::kFilterMode2), 9 / 11.0);

  writeText(path, header() + "FilterMode1 = No Such Filter;\n");
  ASSERT_TRUE(p.loadProgram(path, curve));
  EXPECT_EQ(p.getParameterValue(H::kFilterMode1), 0.0);
}

TEST(ProgramFile, CarriageReturnsReadLikeLineFeeds) {
  TempDir dir;
  const std::string path = dir.path("p.txt");
  const auto list = HarshbloomProgram::getFactoryPrograms();
  list[74].saveProgram(path, "0.25,0.5");
  std::string crlf;
  for (char c : readText(path)) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const Loaded a = loadText(readText(path));
  const Loaded b = loadText(crlf);
  expectSameProgram(a.program, b.program);
  EXPECT_EQ(b.curve, "0.25,0.5");
}

TEST(ProgramFile, CurveLine) {
  EXPECT_EQ(loadText(header() + "DistortionCurveData = 0.1,0.2;\n").curve, "0.1,0.2");
  EXPECT_EQ(loadText(header() + "DistortionCurveData = ;\n").curve, "");
  // Before the name slot is taken, a curve line is the name line.
  const Loaded early = loadText("DistortionCurveData = 0.1,0.2;\n");
  EXPECT_EQ(early.curve, "");
  EXPECT_EQ(early.program.getProgramName(), "0.1,0.2");
}

// A line longer than the read buffer is read in pieces of 262143 characters.
TEST(ProgramFile, OverlongLinesAreReadInPieces) {
  const size_t piece = HarshbloomProgram::kReadBufferSize - 1;
  const Loaded split = loadText(header() + std::string(piece, 'x') + "Gate = 0.25;\n");
  EXPECT_EQ(split.program.getParameterValue(H::kGate), 0.25);
  const Loaded cut = loadText(header() + std::string(piece - 1, 'x') + "Gate = 0.25;\n");
  EXPECT_EQ(cut.program.getParameterValue(H::kGate), 0.0);
}

TEST(ProgramFile, TruncatedAndBinaryFilesLoadWhatTheyHold) {
  TempDir dir;
  const std::string path = dir.path("p.txt");
  const auto list = HarshbloomProgram::getFactoryPrograms();
  list[11].saveProgram(path, "0.5");
  const std::string whole = readText(path);
  const size_t cut = whole.find("FilterCutoff = ") + 17;
  const Loaded truncated = loadText(whole.substr(0, cut));
  EXPECT_TRUE(truncated.ok);
  EXPECT_EQ(truncated.program.getProgramName(), "Quellbrand 1");
  EXPECT_EQ(truncated.program.getParameterValue(H::kDistortionType), 29 / 42.0);
  EXPECT_EQ(truncated.program.getParameterValue(H::kFilterCutoff), 0.0);  // the line lost its ";"

  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
  binary += std::string("\0Gate = 0.5;\n", 13);
  const Loaded garbage = loadText(binary);
  EXPECT_TRUE(garbage.ok);
  EXPECT_EQ(garbage.program.getParameterValue(H::kGate), 0.0);  // the NUL spoils the key
}

// The lines that make a file a program: a parameter's value or the curve,
// read after the name's slot and before the configuration section.
TEST(ProgramFile, ValueLinesAreCounted) {
  TempDir dir;
  const std::string saved = dir.path("saved.txt");
  HarshbloomProgram().saveProgram(saved, curveText());
  struct Case {
    std::string text;
    int lines;
  } cases[] = {
      {readText(saved), 86},  // 85 values and the curve
      {header(), 0},
      {"", 0},
      {header() + "Unknown = 1;\nVolume=0.5;\nGate 0.5;\n", 0},
      {header() + "DistortionCurveData = 0.1,0.2;\n", 1},
      {header() + "Reserved_03 = 0;\nGate = 2;\n", 2},  // clamped, still a value line
      {"Volume = 0.5;\n", 0},                              // the name's slot
      {"Volume = 0.5;\nGate = 0.5;\n", 1},
      {header() + "[Harshbloom_Config]\nVolume = 0.5;\n", 0},
  };
  for (const Case& c : cases) {
    const std::string path = dir.path("p.txt");
    writeText(path, c.text);
    HarshbloomProgram p;
    std::string curve;
    int lines = -1;
    EXPECT_TRUE(p.loadProgram(path, curve, &lines));
    EXPECT_EQ(lines, c.lines) << c.text.substr(0, 200);
  }
}

TEST(ProgramFile, FilesThatCannotBeOpenedLeaveTheProgramAlone) {
  TempDir dir;
  HarshbloomProgram p;
  p.setParameterValue(H::kGate, 0.75);
  p.setProgramName("Mine");
  std::string curve = "kept";
  EXPECT_FALSE(p.loadProgram("", curve));
  EXPECT_FALSE(p.loadProgram(dir.path("missing.txt"), curve));
  EXPECT_EQ(p.getParameterValue(H::kGate), 0.75);
  EXPECT_EQ(p.getProgramName(), "Mine");
  EXPECT_EQ(curve, "kept");
  // A folder and a named pipe are no program files; the pipe is not waited on.
  const std::string pipe = dir.path("pipe.txt");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {dir.path(""), pipe}) {
    bool loaded = true;
    EXPECT_TRUE(endsWithoutAPipeWriter(pipe, [&] { loaded = p.loadProgram(path, curve); })) << path;
    EXPECT_FALSE(loaded) << path;
    EXPECT_EQ(p.getParameterValue(H::kGate), 0.75);
    EXPECT_EQ(p.getProgramName(), "Mine");
    EXPECT_EQ(curve, "kept");
  }

  // Saving to where nothing can be written creates nothing and reports
  // nothing.
  p.saveProgram("", "x");
  p.saveProgram(dir.path("no/such/folder/p.txt"), "x");
  struct stat st;
  EXPECT_NE(stat(dir.path("no").c_str(), &st), 0);
}

TEST(ProgramFile, SavingReplacesTheFile) {
  TempDir dir;
  const std::string path = dir.path("p.txt");
  writeText(path, std::string(100000, '~'));
  HarshbloomProgram().saveProgram(path, "c");
  const std::string text = readText(path);
  EXPECT_EQ(text.rfind("[Harshbloom_Program]\n", 0), 0u);
  EXPECT_EQ(text.find('~'), std::string::npos);
}
