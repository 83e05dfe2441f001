#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Distortion.h"
#include "DistortionDataProvider.h"
#include "WaveFile.h"
#include "test_files.h"
#include "test_provider.h"

using Rawnfield::Distortion;
using Rawnfield::WaveFile;
namespace Types = Rawnfield::Types;

namespace {

constexpr double kPi = 3.141592653589793;

double rampAt(int k, int n) {
  return -1.0 + 2.0 * k / (n - 1);
}

std::string join(const std::vector<std::string>& fields, const std::string& sep = ",") {
  std::string s;
  for (size_t i = 0; i < fields.size(); ++i) s += (i ? sep : "") + fields[i];
  return s;
}

std::vector<std::string> numberFields(int n, double value) {
  return std::vector<std::string>(n, std::to_string(value));
}

class CurveFiles : public ::testing::Test {
protected:
  void SetUp() override {
    unit = std::make_unique<Distortion>(testProvider());
    unit->init();  // type 0: the straight line
  }
  std::vector<double> curve() const {
    return std::vector<double>(unit->getLutData(), unit->getLutData() + 512);
  }
  void setCurve(const std::vector<double>& v) {
    std::vector<double> copy = v;
    unit->setLutData(copy.data(), static_cast<int>(copy.size()));
  }
  // A curve no file in these tests holds, to see that failures keep it.
  void setMarkerCurve() {
    std::vector<double> v(512);
    for (int i = 0; i < 512; ++i) v[i] = 0.5 * std::sin(0.1 * i);
    setCurve(v);
  }
  void expectMarkerCurve() const {
    for (int i = 0; i < 512; ++i) ASSERT_EQ(curve()[i], 0.5 * std::sin(0.1 * i)) << i;
  }
  std::string writeWav(const std::string& name, const Bytes& bytes) {
    writeFile(dir.path(name), bytes);
    return dir.path(name);
  }

  TempDir dir;
  std::unique_ptr<Distortion> unit;
};

}  // namespace

// ---- Curve text ----------------------------------------------------------------

TEST_F(CurveFiles, TextOfTheStraightLine) {
  const std::string text = unit->getLutDataString();
  EXPECT_EQ(text.rfind("-1.0000000000,-0.9960861057,", 0), 0u);
  ASSERT_GE(text.size(), 13u);
  EXPECT_EQ(text.substr(text.size() - 13), ",1.0000000000");
  EXPECT_EQ(std::count(text.begin(), text.end(), ','), 511);
  EXPECT_LE(text.size(), 7167u);
  EXPECT_EQ(text.find_first_of("\n ;"), std::string::npos);

  unit->setLutValue(static_cast<unsigned short>(0), -0.0);
  EXPECT_EQ(unit->getLutDataString().rfind("-0.0000000000,", 0), 0u);
}

TEST_F(CurveFiles, TextRoundTrip) {
  const std::string text = unit->getLutDataString();
  setMarkerCurve();
  ASSERT_TRUE(unit->setLutDataString(text));
  for (int i = 0; i < 512; ++i) ASSERT_NEAR(curve()[i], rampAt(i, 512), 5e-11) << i;
}

TEST_F(CurveFiles, TextFieldCount) {
  setMarkerCurve();
  EXPECT_FALSE(unit->setLutDataString(join(numberFields(511, 0.25))));
  EXPECT_FALSE(unit->setLutDataString(""));
  // A comma at the very end opens no 512th field.
  EXPECT_FALSE(unit->setLutDataString(join(numberFields(511, 0.25)) + ","));
  expectMarkerCurve();

  std::vector<std::string> fields = numberFields(512, 0.25);
  fields.push_back("0.75");
  ASSERT_TRUE(unit->setLutDataString(join(fields)));
  EXPECT_EQ(curve(), std::vector<double>(512, 0.25));
}

struct FieldCase {
  const char* text;
  double value;
};

TEST_F(CurveFiles, TextFieldsConvertLikeAtofAndAreSanitised) {
  const FieldCase cases[] = {
      {"abc", 0.0},     {"2.5", 1.0},      {"-3", -1.0},   {"nan", 0.0},
      {"-inf", 0.0},    {" \n0.5", 0.5},   {"", 0.0},      {"0x1p-2", 0.25},
      {"1e-1xyz", 0.1}, {"+0.125", 0.125}, {"1e999", 0.0}, {"0.3 0.4", 0.3},
  };
  std::vector<std::string> fields = numberFields(512, 0.0);
  for (size_t i = 0; i < std::size(cases); ++i) fields[i] = cases[i].text;
  ASSERT_TRUE(unit->setLutDataString(join(fields)));
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(curve()[i], cases[i].value) << '"' << cases[i].text << '"';
}

TEST_F(CurveFiles, OneValuePerLineNeedsTheCommas) {
  const std::string oneLine = unit->getLutDataString();
  std::string lines;
  for (int i = 0; i < 512; ++i) lines += std::to_string(rampAt(i, 512)) + ",\n";
  setMarkerCurve();
  ASSERT_TRUE(unit->setLutDataString(lines));
  for (int i = 0; i < 512; ++i) ASSERT_NEAR(curve()[i], rampAt(i, 512), 1e-6) << i;

  // Without commas the lines form one field.
  std::string noCommas;
  for (int i = 0; i < 512; ++i) noCommas += "0.5\n";
  setMarkerCurve();
  EXPECT_FALSE(unit->setLutDataString(noCommas));
  expectMarkerCurve();
}

TEST_F(CurveFiles, CsvFileRoundTrip) {
  const std::string path = dir.path("curve.csv");
  unit->exportToCsv(path);
  EXPECT_EQ(readText(path), unit->getLutDataString());
  setMarkerCurve();
  ASSERT_TRUE(unit->importLutData(path));
  for (int i = 0; i < 512; ++i) ASSERT_NEAR(curve()[i], rampAt(i, 512), 5e-11) << i;
}

TEST_F(CurveFiles, CsvImportFailuresKeepTheCurve) {
  setMarkerCurve();
  EXPECT_FALSE(unit->importLutData(dir.path("missing.csv")));
  writeFile(dir.path("empty.csv"), {});
  EXPECT_FALSE(unit->importLutData(dir.path("empty.csv")));
  // Far larger than any curve text: refused unread.
  const std::string big = join(numberFields(1, 0.5)) + std::string(WaveFile::kMaxFileSize, ',');
  writeFile(dir.path("big.csv"), Bytes(big.begin(), big.end()));
  EXPECT_FALSE(unit->importLutData(dir.path("big.csv")));
  expectMarkerCurve();
}

// ---- WAVE curves -----------------------------------------------------------------

TEST_F(CurveFiles, WaveExportIsTheMonoFloatFile) {
  std::vector<double> v(512);
  for (int i = 0; i < 512; ++i) v[i] = std::tanh(3.0 * rampAt(i, 512));
  setCurve(v);
  unit->exportToWAVE(dir.path("c.wav"));
  const Bytes b = readFile(dir.path("c.wav"));
  ASSERT_EQ(b.size(), 2092u);
  EXPECT_EQ(getU32(b, 4), 2084u);
  EXPECT_EQ(getU16(b, 20), 3);
  EXPECT_EQ(getU16(b, 22), 1);
  EXPECT_EQ(getU32(b, 24), 44100u);
  EXPECT_EQ(getU32(b, 28), 176400u);
  EXPECT_EQ(getU16(b, 32), 4);
  EXPECT_EQ(getU16(b, 34), 32);
  Bytes samples;
  for (double x : v) putFloat(samples, static_cast<float>(x));
  EXPECT_EQ(Bytes(b.begin() + 44, b.end()), samples);

  // The provider writes its own curves the same way.
  const Rawnfield::DistoData& c5 = testProvider().getCurve(5);
  testProvider().exportToWAVE(c5, dir.path("p.wav"));
  unit->setType(5.0 / 42);
  unit->exportToWAVE(dir.path("u.wav"));
  EXPECT_EQ(readFile(dir.path("p.wav")), readFile(dir.path("u.wav")));
}

TEST_F(CurveFiles, WaveRoundTripRestoresTheCurveScaledToPeakOne) {
  std::vector<double> v(512);
  for (int i = 0; i < 512; ++i) v[i] = std::tanh(3.0 * rampAt(i, 512)) / std::tanh(3.0);
  setCurve(v);
  unit->exportToWAVE(dir.path("c.wav"));
  unit->dataAction(Types::kResetCurve);
  ASSERT_TRUE(unit->importLutDataFromWAVE(dir.path("c.wav")));
  for (int i = 0; i < 512; ++i) ASSERT_NEAR(curve()[i], v[i], 1e-7) << i;

  // A quieter curve comes back at full scale.
  std::vector<double> half = v;
  for (double& x : half) x *= 0.5;
  setCurve(half);
  unit->exportToWAVE(dir.path("h.wav"));
  ASSERT_TRUE(unit->importLutDataFromWAVE(dir.path("h.wav")));
  for (int i = 0; i < 512; ++i) ASSERT_NEAR(curve()[i], v[i], 1e-7) << i;
}

struct StretchCase {
  const char* name;
  int frames;
  bool tanhShape;  // else the straight line
  double tolerance;
};

class CurveWaveStretch : public CurveFiles, public ::testing::WithParamInterface<StretchCase> {};

TEST_P(CurveWaveStretch, ImportsTheFileShapeOntoTheCurveWithBothEnds) {
  // Any length other than 512 goes through the resampler; the first frame
  // lands on entry 0 and the last on entry 511.
  const StretchCase& c = GetParam();
  auto shape = [&](double x) { return c.tanhShape ? std::tanh(3.0 * x) / std::tanh(3.0) : x; };
  std::vector<double> frames(c.frames);
  for (int i = 0; i < c.frames; ++i) frames[i] = 0.8 * shape(rampAt(i, c.frames));
  setMarkerCurve();
  ASSERT_TRUE(
      unit->importLutDataFromWAVE(writeWav("s.wav", simpleWav(3, 1, 32, floatSamples(frames)))));
  for (int k = 0; k < 512; ++k) ASSERT_NEAR(curve()[k], shape(rampAt(k, 512)), c.tolerance) << k;
  EXPECT_NEAR(curve()[0], -1.0, c.tolerance);
  EXPECT_NEAR(curve()[511], 1.0, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Lengths, CurveWaveStretch,
                         ::testing::Values(StretchCase{"line_1024", 1024, false, 1e-6},
                                           StretchCase{"line_100", 100, false, 1e-6},
                                           StretchCase{"line_2", 2, false, 1e-6},
                                           StretchCase{"tanh_300", 300, true, 1e-3},
                                           StretchCase{"tanh_4000", 4000, true, 1e-4}),
                         [](const ::testing::TestParamInfo<StretchCase>& i) {
                           return std::string(i.param.name);
                         });

TEST_F(CurveFiles, WaveImportOfSoxFilesOnTheirIntegerScale) {
  // 128 frames, two periods of a sine; the stereo file's mean is taken.
  for (const char* f : {"sox_mono_s16.wav", "sox_mono_s24.wav", "sox_mono_u8.wav"}) {
    setMarkerCurve();
    ASSERT_TRUE(unit->importLutDataFromWAVE(dataPath(f))) << f;
    double peak = 0.0;
    for (int k = 0; k < 512; ++k) {
      const double x = 127.0 * k / 511;  // file position of entry k
      ASSERT_NEAR(curve()[k], std::sin(2.0 * kPi * x / 64.0), 0.03) << f << " " << k;
      peak = std::fmax(peak, std::fabs(curve()[k]));
    }
    EXPECT_NEAR(peak, 1.0, 1e-12) << f;
  }
}

TEST_F(CurveFiles, WaveImportEdgeFiles) {
  // 512 silent frames are a valid, silent curve.
  setMarkerCurve();
  ASSERT_TRUE(unit->importLutDataFromWAVE(writeWav("z.wav", simpleWav(1, 1, 16, Bytes(1024, 0)))));
  EXPECT_EQ(curve(), std::vector<double>(512, 0.0));

  // One frame: a flat curve, scaled to full level.
  ASSERT_TRUE(
      unit->importLutDataFromWAVE(writeWav("one.wav", simpleWav(3, 1, 32, floatSamples({-0.3})))));
  EXPECT_EQ(curve(), std::vector<double>(512, -1.0));

  // Non-finite samples count as 0 and do not blank the rest.
  std::vector<double> frames(512);
  for (int i = 0; i < 512; ++i) frames[i] = rampAt(i, 512);
  frames[100] = std::nan("");
  frames[200] = INFINITY;
  ASSERT_TRUE(
      unit->importLutDataFromWAVE(writeWav("nf.wav", simpleWav(3, 1, 32, floatSamples(frames)))));
  EXPECT_EQ(curve()[100], 0.0);
  EXPECT_EQ(curve()[200], 0.0);
  EXPECT_NEAR(curve()[300], rampAt(300, 512), 1e-7);
  EXPECT_EQ(curve()[511], 1.0);
}

TEST_F(CurveFiles, WaveImportFailuresKeepTheCurve) {
  const Bytes good = simpleWav(1, 1, 16, int16Samples(std::vector<int>(300, 1000)));
  Bytes cut = good;
  cut.resize(300);
  const std::vector<std::pair<const char*, Bytes>> files = {
      {"empty_data.wav", simpleWav(1, 1, 16, {})},
      {"truncated.wav", cut},
      {"empty.wav", {}},
      {"garbage.wav", Bytes(2000, 0x5A)},
      {"float16.wav", simpleWav(3, 1, 16, Bytes(1024, 0x11))},
  };
  setMarkerCurve();
  for (const auto& f : files)
    EXPECT_FALSE(unit->importLutDataFromWAVE(writeWav(f.first, f.second))) << f.first;
  EXPECT_FALSE(unit->importLutDataFromWAVE(dir.path("missing.wav")));
  EXPECT_FALSE(unit->importLutDataFromWAVE(dataPath("sox_mono_alaw.wav")));
  expectMarkerCurve();
}

// ---- Source text -------------------------------------------------------------------

// An optional minus, one digit, a point and exactly 15 digits.
bool isFixed15(const std::string& s) {
  size_t i = s.size() > 0 && s[0] == '-' ? 1 : 0;
  if (s.size() != i + 17 || !isdigit(static_cast<unsigned char>(s[i])) || s[i + 1] != '.')
    return false;
  for (size_t k = i + 2; k < s.size(); ++k)
    if (!isdigit(static_cast<unsigned char>(s[k]))) return false;
  return true;
}

TEST_F(CurveFiles, CodeExportLayout) {
  unit->exportLutDataToCode(dir.path("curve.h"));
  const std::string text = readText(dir.path("curve.h"));
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  const std::vector<std::string> lines = splitLines(text);
  ASSERT_EQ(lines.size(), 69u);
  EXPECT_EQ(lines[0], "// Rawnfield distortion-curve data: Linear");
  EXPECT_EQ(lines[1], "double curve_data[] = { ");
  EXPECT_EQ(lines[2], "  /* negative part */");
  EXPECT_EQ(lines[3].rfind("  -1.000000000000000,-0.996086105675147,", 0), 0u);
  EXPECT_EQ(lines[35], "  /* positive part */");
  EXPECT_EQ(lines[68], "  }; ");
  for (int l = 3; l < 68; ++l) {
    if (l == 35) continue;
    const std::string body = lines[l].substr(2);
    const bool last = l == 67;
    EXPECT_EQ(std::count(body.begin(), body.end(), ','), last ? 7 : 8) << l;
    const std::string first = body.substr(0, body.find(','));
    EXPECT_TRUE(isFixed15(first)) << first;
  }
  EXPECT_EQ(lines[67].substr(lines[67].size() - 18), ",1.000000000000000");
}

TEST_F(CurveFiles, HeaderFileOfEveryTypeCurve) {
  unit->writeToHeaderFile(dir.path("all.h"));
  const std::string text = readText(dir.path("all.h"));
  EXPECT_EQ(text.rfind("#pragma once\n\nnamespace Rawnfield\n{\n  //Linear\n  double "
                       "gLinear_data[] = {\n    -1, -0.996086105675, ",
                       0),
            0u);
  EXPECT_EQ(text.substr(text.size() - 25), "} // namespace Rawnfield\n");
  // Type 42 shares type 7's table: 42 arrays, each name a valid identifier.
  std::vector<std::string> names;
  const std::string head = "  double g", tail = "_data[] = {";
  for (size_t at = text.find(head); at != std::string::npos; at = text.find(head, at + 1)) {
    const size_t nameEnd = text.find(tail, at);
    ASSERT_NE(nameEnd, std::string::npos);
    const std::string name = text.substr(at + head.size() - 1, nameEnd - at - head.size() + 1);
    for (char c : name) EXPECT_TRUE(isalnum(static_cast<unsigned char>(c)) || c == '_') << name;
    names.push_back(name);
  }
  ASSERT_EQ(names.size(), 42u);
  EXPECT_EQ(names[40], "gDidudo_Rivad_Q_ZAR");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
  EXPECT_NE(text.find("\n    };\n"), std::string::npos);
}

TEST_F(CurveFiles, DiagnosticDumpOfTable23) {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path(""));
  unit->saveDistortionData();
  std::filesystem::current_path(before);
  const std::vector<std::string> lines =
      splitLines(readText(dir.path(Distortion::kDistortionDataPath)));
  ASSERT_EQ(lines.size(), 10000u);
  char first[64];
  snprintf(first, sizeof first, "%g;", unit->tables[23].base.data[0]);
  EXPECT_EQ(lines[0], first);
  EXPECT_EQ(lines[5000].back(), ';');
}

TEST(CurveFilesWithoutInit, NothingIsReadOrWritten) {
  Distortion unit(testProvider());
  TempDir dir;
  EXPECT_EQ(unit.getLutDataString(), "");
  EXPECT_FALSE(unit.setLutDataString(join(numberFields(512, 0.0))));
  unit.exportToCsv(dir.path("a.csv"));
  unit.exportToWAVE(dir.path("a.wav"));
  unit.exportLutDataToCode(dir.path("a.h"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path("")));
  writeFile(dir.path("b.csv"), Bytes(10, '1'));
  EXPECT_FALSE(unit.importLutData(dir.path("b.csv")));
  EXPECT_FALSE(unit.importLutDataFromWAVE(dataPath("sox_mono_s16.wav")));
}
