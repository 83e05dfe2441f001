// Program files with their configuration section, and curve files: the
// bytes written, save-load-save, what a load stores, and what a failed or
// refused action leaves alone.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>

#include "IGraphics.h"
#include "effect_fixture.h"
#include "expected_params.h"
#include "platform/app.h"
#include "platform/panels.h"
#include "platform/window.h"
#include "temp_dir.h"

namespace {

namespace Tags = Rawnfield::Harshbloom;
using Rawnfield::PlugConfig;

std::string valueLine(const char* key, const std::string& value) {
  return std::string(key) + " = " + value + ";\n";
}

std::string number(double v) {
  char text[64];
  snprintf(text, sizeof text, "%g", v);
  return text;
}

// The file the first factory program makes, written out from the table.
std::string expectedInitialFile(Harshbloom& plug, const std::string& path) {
  std::string s = "[Harshbloom_Program]\nName = Initial Preset (Single-Band);\n";
  for (int i = 0; i < 65; ++i) {
    const expected::Expected& e = expected::kTable[i];
    std::string value = number(e.def);
    if (i == Tags::kDistortionType) value = "Linear";
    if (i == Tags::kFilterMode1) value = "RBJ LowPass";
    if (i == Tags::kFilterMode2) value = "Chebyshev HighPass 24dB";
    s += valueLine(e.key, value);
  }
  for (int i = 1; i <= 20; ++i) {
    char key[16];
    snprintf(key, sizeof key, "Reserved_%02d", i);
    s += valueLine(key, "0");
  }
  s += valueLine("DistortionCurveData", plug.getDistoFx().chains[0].distortion.getLutDataString());
  s += "[Harshbloom_Config]\n";
  s += valueLine("Config.LastSelectedProgramFile", path);
  s += valueLine("Config.LastSelectedDistoCurveFile", "");
  s += "UiConfig.VisibleTab = 0;\nUiConfig.ScopeDrawMode = 1;\nUiConfig.ScopeDrawInput = 1;\n"
       "UiConfig.ScopeDrawOutput = 1;\nUiConfig.ScopeZoom = 100;\n";
  return s;
}

const Rawnfield::Distortion& curveOf(const Harshbloom& plug, int chain) {
  return plug.getDistoFx().chains[chain].distortion;
}

// A 512-point curve as the CSV text the curve files hold.
std::string csvCurve(double scale) {
  std::string s;
  for (int i = 0; i < 512; ++i) {
    char v[32];
    snprintf(v, sizeof v, "%s%.10f", i ? "," : "", scale * std::sin(i * 0.03));
    s += v;
  }
  return s;
}

}  // namespace

TEST(ProgramFile, SavingTheFirstProgramWritesTheseBytes) {
  TempDir dir;
  auto plug = makeEffect();
  const std::string path = dir.path("initial.txt");
  plug->SaveProgAsRN(KIT_String(path.c_str()));
  EXPECT_EQ(readText(path), expectedInitialFile(*plug, path));
  EXPECT_EQ(plug->GetLastSelectedProgramFile(), path);
}

// Save, load, save gives the same bytes, the limiter level included (a
// normalised set of its plain value would move it on every load).
TEST(ProgramFile, SaveLoadSaveIsStable) {
  TempDir dir;
  auto plug = makeEffect();
  setParam(*plug, Tags::kDistortionType, 33.0 / 42.0);
  setParam(*plug, Tags::kVolume, 0.3);
  plug->GetParam(Tags::kLimiterLevel)->Set(0.70795);
  plug->OnParamChange(Tags::kLimiterLevel);
  plug->distoCurveAction(Rawnfield::Types::kAddNoise);

  const std::string a = dir.path("a.txt");
  plug->SaveProgAsRN(KIT_String(a.c_str()));
  const std::string first = readText(a);
  auto other = makeEffect();
  other->LoadProgFromRN(KIT_String(a.c_str()));
  EXPECT_EQ(other->GetParam(Tags::kLimiterLevel)->Value(), 0.70795);
  EXPECT_EQ(other->getSoftClipper().threshold, 0.70795);
  other->SaveProgAsRN(KIT_String(a.c_str()));
  EXPECT_TRUE(sameBytes(readText(a), first));
  // Loading twice moves nothing either.
  other->LoadProgFromRN(KIT_String(a.c_str()));
  other->SaveProgAsRN(KIT_String(a.c_str()));
  EXPECT_TRUE(sameBytes(readText(a), first));
}

// The current preset slot takes the loaded state under the loaded name, so
// restoring it gives what was loaded.
TEST(ProgramFile, LoadStoresTheLoadedStateInTheCurrentPreset) {
  TempDir dir;
  auto source = makeEffect();
  ASSERT_TRUE(source->RestorePreset(12));
  setParam(*source, Tags::kDistortion, 0.61);
  const std::string path = dir.path("p.txt");
  source->SaveProgAsRN(KIT_String(path.c_str()));

  auto plug = makeEffect();
  ASSERT_TRUE(plug->RestorePreset(3));
  plug->LoadProgFromRN(KIT_String(path.c_str()));
  EXPECT_STREQ(plug->GetPresetName(3), source->GetPresetName(12));
  const std::string loaded = stateOf(*plug);
  const ByteChunk& slot = plug->GetPreset(3)->mChunk;
  EXPECT_TRUE(
      sameBytes(std::string(reinterpret_cast<const char*>(slot.GetBytes()), slot.Size()), loaded));

  setParam(*plug, Tags::kDistortion, 0.1);
  ASSERT_TRUE(plug->RestorePreset(3));
  EXPECT_EQ(plug->GetParam(Tags::kDistortion)->Value(), 0.61);
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kPresetDisplay));
}

TEST(ProgramFile, FileWithoutCurveLineKeepsTheCurvesAndSetsEveryValue) {
  TempDir dir;
  auto plug = makeEffect();
  setParam(*plug, 70, 0.5);  // a reserved value, which a load sets to 0
  plug->distoCurveAction(Rawnfield::Types::kQuantizeCurve);
  const std::string curve = curveOf(*plug, 0).getLutDataString();
  const std::string path = dir.path("nocurve.txt");
  writeText(path, "[Harshbloom_Program]\nName = Short;\nVolume = 0.25;\nInputVolume = 0.5;\n");
  plug->LoadProgFromRN(KIT_String(path.c_str()));
  EXPECT_EQ(plug->GetParam(Tags::kVolume)->Value(), 0.25);
  EXPECT_EQ(plug->getInputProcessor().volume, 0.5);
  EXPECT_EQ(plug->GetParam(70)->Value(), 0.0);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(curveOf(*plug, c).getLutDataString(), curve) << c;
  EXPECT_STREQ(plug->GetPresetName(0), "Short");
}

TEST(ProgramFile, MissingFileChangesNothingButIsRemembered) {
  TempDir dir;
  auto plug = makeEffect();
  const std::string before = stateOf(*plug);
  const std::string path = dir.path("missing.txt");
  plug->LoadProgFromRN(KIT_String(path.c_str()));
  std::string after = stateOf(*plug);
  EXPECT_EQ(plug->GetLastSelectedProgramFile(), path);
  // Only the remembered path differs.
  after.replace(kTextsOffset + 1024, 1024, before, kTextsOffset + 1024, 1024);
  EXPECT_TRUE(sameBytes(after, before));
  EXPECT_FALSE(plug->SaveProgAsFXP(KIT_String(path.c_str())));
  EXPECT_FALSE(plug->LoadProgFromFXP(KIT_String(path.c_str())));
}

// A path that names no regular file (a folder, a named pipe) is no program
// file: loading from it must neither wait for a writer nor replace the
// running program and the current preset with the defaults.
TEST(ProgramFile, PathsThatNameNoFileChangeNothingButAreRemembered) {
  TempDir dir;
  const std::string folder = dir.path("folder");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string pipe = dir.path("pipe.txt");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {folder, pipe}) {
    SCOPED_TRACE(path);
    auto plug = makeEffect();
    const std::string before = stateOf(*plug);
    const std::string presetName = plug->GetPresetName(plug->GetCurrentPresetIdx());
    EXPECT_TRUE(endsWithoutAPipeWriter(pipe, [&] {
      plug->LoadProgFromRN(KIT_String(path.c_str()));
    })) << "loading waited on the named pipe";
    std::string after = stateOf(*plug);
    EXPECT_EQ(plug->GetLastSelectedProgramFile(), path);
    after.replace(kTextsOffset + 1024, 1024, before, kTextsOffset + 1024, 1024);
    EXPECT_TRUE(sameBytes(after, before));
    EXPECT_EQ(plug->GetPresetName(plug->GetCurrentPresetIdx()), presetName);
  }
}

// The configuration section comes back with the program: the visible page,
// the scope settings and the files it names (when they exist).
TEST(ProgramFile, ConfigurationSectionIsRead) {
  TempDir dir;
  auto plug = makeEffect();
  const std::string curveFile = dir.path("curve.csv");
  writeText(curveFile, csvCurve(0.5));
  const std::string path = dir.path("cfg.txt");
  writeText(path,
            "[Harshbloom_Program]\nName = X;\nVolume = 0.5;\n[Harshbloom_Config]\n"
            "Config.LastSelectedDistoCurveFile = " +
                curveFile +
                ";\n"
                "UiConfig.VisibleTab = 2;\nUiConfig.ScopeZoom = 900;\n");
  plug->LoadProgFromRN(KIT_String(path.c_str()));
  EXPECT_EQ(plug->getConfig().visibleTab, 2.0);
  EXPECT_EQ(plug->getConfig().scopeZoom, 500.0);
  EXPECT_EQ(plug->GetLastSelectedDistoCurveFile(), curveFile);
  EXPECT_EQ(plug->GetLastSelectedProgramFile(), path);
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kConfigViews));
}

// A file without a single line of a program's values is no program: the
// values, curves, preset name and configuration stay as they were; only its
// path is remembered.
TEST(ProgramFile, FilesThatAreNoProgramChangeNothingButAreRemembered) {
  TempDir dir;
  std::string png = readText(std::string(HB_RESOURCE_DIR) + "img/GUI_background.png");
  ASSERT_GT(png.size(), 100u);
  const std::string program = readText("/proc/self/exe").substr(0, 300000);
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"an image", png},
      {"a program to run", program},
      {"text of other keys", "[Harshbloom_Program]\nName = Mine;\nLoudness = 0.5;\nGain = 3;\n"},
      {"a configuration section alone",
       "[Harshbloom_Program]\nName = X;\n[Harshbloom_Config]\nUiConfig.VisibleTab = 2;\n"
       "Config.LastSelectedDistoCurveFile = /somewhere.csv;\nVolume = 0.1;\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.path(std::string("f") + std::to_string(&c - cases));
    writeText(path, c.bytes);
    auto plug = makeEffect();
    ASSERT_TRUE(plug->RestorePreset(7));
    setParam(*plug, Tags::kDistortion, 0.42);
    const std::string before = stateOf(*plug);
    const std::string name = plug->GetPresetName(7);
    const std::string slot(reinterpret_cast<const char*>(plug->GetPreset(7)->mChunk.GetBytes()),
                           static_cast<size_t>(plug->GetPreset(7)->mChunk.Size()));
    plug->LoadProgFromRN(KIT_String(path.c_str()));
    EXPECT_EQ(plug->GetLastSelectedProgramFile(), path);
    std::string after = stateOf(*plug);
    after.replace(kTextsOffset + 1024, 1024, before, kTextsOffset + 1024, 1024);
    EXPECT_TRUE(sameBytes(after, before));
    EXPECT_EQ(plug->GetPresetName(7), name);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(plug->GetPreset(7)->mChunk.GetBytes()),
                          static_cast<size_t>(plug->GetPreset(7)->mChunk.Size())),
              slot);
    EXPECT_EQ(plug->getConfig().visibleTab, 0.0);
  }
}

// With the editor on screen, the refusal is said in a message box.
TEST(ProgramFile, TheEditorSaysAFileIsNoProgram) {
  struct Alerts : plat::PanelRunner {
    int runFilePanel(plat::FilePanel&) override { return 0; }
    int runAlert(plat::Alert& a) override {
      shown.push_back(a);
      return 0;
    }
    std::vector<plat::Alert> shown;
  } alerts;
  plat::app().resetForTests();
  plat::app().useVirtualClock(true);
  plat::setPanelRunner(&alerts);
  TempDir dir;
  const std::string path = dir.path("picture.png");
  writeText(path, "\x89PNG\r\n\x1a\n\0\0\0\rIHDR");
  {
    auto plug = makeEffect();
    plat::Window* win = new plat::Window({100, 100, 650, 830}, plat::kStyleTitled);
    ASSERT_TRUE(plug->GetGUI()->OpenWindow(win->contentView()));
    plug->LoadProgFromRN(KIT_String(path.c_str()));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].title, "Load Program");
    EXPECT_EQ(alerts.shown[0].message, "\"" + path + "\" is not a Harshbloom program. Nothing was loaded.");
    EXPECT_EQ(alerts.shown[0].buttons, std::vector<std::string>{"OK"});
    // A program file says nothing.
    const std::string good = dir.path("good.txt");
    plug->SaveProgAsRN(KIT_String(good.c_str()));
    plug->LoadProgFromRN(KIT_String(good.c_str()));
    EXPECT_EQ(alerts.shown.size(), 1u);
    plug->GetGUI()->CloseWindow();
  }
  plat::setPanelRunner(nullptr);
  plat::app().resetForTests();
}

// A real program file with unknown keys and most lines missing still loads.
TEST(ProgramFile, OneValueAmongUnknownKeysIsAProgram) {
  TempDir dir;
  const std::string path = dir.path("sparse.txt");
  writeText(path, "[Harshbloom_Program]\nName = Sparse;\nFuture_Key = 3;\nDistortion = 0.75;\n"
                  "[Harshbloom_Config]\nUiConfig.VisibleTab = 1;\n");
  auto plug = makeEffect();
  plug->LoadProgFromRN(KIT_String(path.c_str()));
  EXPECT_EQ(plug->GetParam(Tags::kDistortion)->Value(), 0.75);
  EXPECT_STREQ(plug->GetPresetName(plug->GetCurrentPresetIdx()), "Sparse");
  EXPECT_EQ(plug->getConfig().visibleTab, 1.0);
}

TEST(CurveFiles, CsvImportReachesAllThreeChains) {
  TempDir dir;
  auto plug = makeEffect();
  const std::string path = dir.path("c.csv");
  writeText(path, csvCurve(0.8));
  plug->ImportDistoCurve(KIT_String(path.c_str()));
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 512; i += 31)
      EXPECT_NEAR(curveOf(*plug, c).getLutValue(static_cast<unsigned short>(i)),
                  0.8 * std::sin(i * 0.03), 1e-10)
          << c << " " << i;
  EXPECT_EQ(plug->GetLastSelectedDistoCurveFile(), path);
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kCurveEditor));
}

TEST(CurveFiles, WaveExportThenImportGivesTheCurveBack) {
  TempDir dir;
  auto plug = makeEffect();
  setParam(*plug, Tags::kDistortionType, 20.0 / 42.0);
  const std::string path = dir.path("c.wav");
  plug->ExportDistoCurveToWave(KIT_String(path.c_str()));
  std::vector<double> exported(512);
  for (int i = 0; i < 512; ++i)
    exported[i] = curveOf(*plug, 0).getLutValue(static_cast<unsigned short>(i));
  plug->distoCurveAction(Rawnfield::Types::kResetCurve);
  plug->ImportDistoCurveFromWAVE(KIT_String(path.c_str()));
  // The file holds 32-bit floats; the import scales to a peak of 1.
  double peak = 0;
  for (double v : exported) peak = std::max(peak, std::fabs(v));
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 512; i += 13)
      EXPECT_NEAR(curveOf(*plug, c).getLutValue(static_cast<unsigned short>(i)), exported[i] / peak,
                  1e-6);
}

TEST(CurveFiles, ExportsWriteTheMasterCurve) {
  TempDir dir;
  auto plug = makeEffect();
  plug->distoCurveAction(Rawnfield::Types::kAddNoise);
  const std::string csv = dir.path("out.csv");
  plug->ExportDistoCurve(KIT_String(csv.c_str()));
  EXPECT_EQ(readText(csv), curveOf(*plug, 0).getLutDataString());
  EXPECT_EQ(plug->GetLastSelectedDistoCurveFile(), csv);

  // ".c" is found in ".csv": a code export to a CSV name writes code.
  const std::string code = dir.path("code.csv");
  plug->ExportDistoCurveToCode(KIT_String(code.c_str()));
  const std::string text = readText(code);
  EXPECT_EQ(text.rfind("// Rawnfield distortion-curve data: Linear\n", 0), 0u)
      << text.substr(0, 80);
  EXPECT_EQ(plug->GetLastSelectedDistoCurveFile(), code);
}

// A path that fails the extension test does nothing at all; a file that
// does not import leaves the curves and is still remembered.
TEST(CurveFiles, RefusedAndFailedImports) {
  TempDir dir;
  auto plug = makeEffect();
  const std::string good = dir.path("good.csv");
  writeText(good, csvCurve(0.3));
  plug->ImportDistoCurve(KIT_String(good.c_str()));
  const std::string curve = curveOf(*plug, 0).getLutDataString();

  const std::string txt = dir.path("curve.txt");
  writeText(txt, csvCurve(0.9));
  plug->ImportDistoCurve(KIT_String(txt.c_str()));
  plug->ImportDistoCurveFromWAVE(KIT_String(txt.c_str()));
  plug->ExportDistoCurveToWave(KIT_String(txt.c_str()));
  EXPECT_EQ(plug->GetLastSelectedDistoCurveFile(), good);
  EXPECT_EQ(curveOf(*plug, 0).getLutDataString(), curve);

  const std::string shortCsv = dir.path("short.csv");
  writeText(shortCsv, "0.1,0.2,0.3");
  plug->ImportDistoCurve(KIT_String(shortCsv.c_str()));
  const std::string notWave = dir.path("bad.wav");
  writeText(notWave, "RIFF");
  plug->ImportDistoCurveFromWAVE(KIT_String(notWave.c_str()));
  for (int c = 0; c < 3; ++c) EXPECT_EQ(curveOf(*plug, c).getLutDataString(), curve);
  EXPECT_EQ(plug->GetLastSelectedDistoCurveFile(), notWave);
}
