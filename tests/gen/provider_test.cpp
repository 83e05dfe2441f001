// The waveform provider: names and selection values, the computed cycles,
// the user waveform files and the exports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "StoredWaveforms.h"
#include "WaveformProvider.h"
#include "reference.h"
#include "test_files.h"
#include "tone.h"

using namespace Rawnfield;
using namespace Rawnfield::Types;
using gentest::kPi;

namespace {

constexpr int N = kWaveformLength;
constexpr eWaveform kUser2 = static_cast<eWaveform>(kWaveUser1 + 1);

Bytes doubles(const std::vector<double>& v) {
  Bytes b;
  for (double x : v) putDouble(b, x);
  return b;
}

double peakOf(const double* a, int n) {
  double m = 0.0;
  for (int i = 0; i < n; ++i) m = std::fmax(m, std::fabs(a[i]));
  return m;
}

std::vector<double> ramp(int n, double step = 1.0) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) v[i] = i * step;
  return v;
}

// Loading user files rewrites the process-wide user defaults; every test
// here gets them back as they were, and the folder variable unset.
class Provider : public ::testing::Test {
protected:
  void SetUp() override {
    makeStoredWaveforms();
    for (int k = 1; k <= 16; ++k) saved[k - 1].assign(userWaveform(k), userWaveform(k) + N);
    unsetenv(WaveformProvider::kEnvFolder);
  }
  void TearDown() override {
    for (int k = 1; k <= 16; ++k) std::memcpy(userWaveform(k), saved[k - 1].data(), sizeof(double) * N);
    unsetenv(WaveformProvider::kEnvFolder);
  }

  std::vector<double> saved[16];
  TempDir dir;
  WaveformProvider p;
};

// --- names and selection -------------------------------------------------

TEST_F(Provider, NamesAndSelectionValues) {
  const struct {
    double v;
    const char* name;
  } cases[] = {{0.6, "Geo-Chirp"}, {0.45, "WhiteNoize"}, {0.0, "Sine"},       {0.025, "Triangle"},
               {0.26, "Wave-Scape"}, {0.625, "User1"},   {1.0, "User16"},     {0.35, "Low-Q Noise 1"},
               {1.2, "Sine"},        {-0.3, "Sine"},      {std::nan(""), "Sine"}};
  for (const auto& c : cases) EXPECT_STREQ(WaveformProvider::getWaveformText(c.v), c.name) << c.v;
  EXPECT_STREQ(WaveformProvider::getWaveformText(kWaveKIC8462852), "KIC 8462852");
  EXPECT_STREQ(WaveformProvider::getWaveformText(static_cast<eWaveform>(41)), "Sine");
  EXPECT_STREQ(WaveformProvider::getSubWaveformText(), "Sine");
  // Item w is numbered w + 1 and carries w's own name.
  EXPECT_EQ(WaveformProvider::getWaveformItemName(kWavePulse), "4: Pulse");
  EXPECT_EQ(WaveformProvider::getWaveformItemName(kWaveSine), "1: Sine");
  EXPECT_EQ(WaveformProvider::getWaveformItemName(kWaveUser16), "41: User16");
  EXPECT_DOUBLE_EQ(WaveformProvider::getWaveformSel(kWaveUser1), 0.625);
  EXPECT_FALSE(p.canLoadWaveform(0.6));
  EXPECT_TRUE(p.canLoadWaveform(0.625));
  EXPECT_TRUE(p.canLoadWaveform(1.0));
  EXPECT_FALSE(p.canLoadWaveform(std::nan("")));
  EXPECT_DOUBLE_EQ(WaveformProvider::getPrevWaveform(0.01), 0.0);
  EXPECT_DOUBLE_EQ(WaveformProvider::getNextWaveform(0.99), 1.0);
  EXPECT_DOUBLE_EQ(WaveformProvider::getNextWaveform(0.5), 0.525);
  EXPECT_FLOAT_EQ(WaveformProvider::getPrevWaveform(0.5f), 0.475f);
  EXPECT_FLOAT_EQ(WaveformProvider::getNextWaveform(0.99f), 1.0f);
}

TEST_F(Provider, NamesReadBackToTheirWaveforms) {
  for (uint32_t w = 0; w < kNumWaveforms; ++w) {
    const eWaveform e = static_cast<eWaveform>(w);
    const eWaveform want = e == kWavePinkNoize ? kWaveSine : e;
    EXPECT_EQ(WaveformProvider::getWaveformType(WaveformProvider::getWaveformText(e)), want) << w;
  }
  EXPECT_EQ(WaveformProvider::getWaveformType("Wave-Vibe"), 12u);
  EXPECT_EQ(WaveformProvider::getWaveformType("LQ Noize 1"), kWaveLowQNoise1);
  EXPECT_EQ(WaveformProvider::getWaveformType("LQ Noize 3"), kWaveLowQNoise3);
  EXPECT_EQ(WaveformProvider::getWaveformType("Wavescape"), kWaveWaveScape);
  EXPECT_EQ(WaveformProvider::getWaveformType("no such wave"), kWaveSine);
}

// --- computed cycles -------------------------------------------------------

TEST_F(Provider, BuiltInCyclesHaveTheirShapesAndPeaks) {
  p.makeWaveforms();
  const RnWaveForms& a = *p.waveForms;
  for (int i = 0; i < N; i += 7) EXPECT_EQ(a[0][i], std::sin(2.0 * kPi * i / N)) << i;
  EXPECT_EQ(a[1][2047], 1.0);
  EXPECT_EQ(a[1][2048], -1.0);
  // Brick-Breaker: +1 on [0.1, 0.3), -1 on [0.6, 0.7) of the cycle.
  const struct {
    int i;
    double v;
  } brick[] = {{409, 0}, {410, 1}, {1228, 1}, {1229, 0}, {2457, 0}, {2458, -1}, {2867, -1}, {2868, 0}};
  for (const auto& b : brick) EXPECT_EQ(a[16][b.i], b.v) << b.i;
  for (int k : {2, 3, 4, 5, 8, 10, 11, 12, 13, 14, 15, 17})
    EXPECT_NEAR(peakOf(a[k], N), 0.98777, 1e-15) << k;
  EXPECT_DOUBLE_EQ(peakOf(a[16], N), 1.0);
  // Shikoku (peak 1 before scaling): half a triangle at an eighth.
  EXPECT_NEAR(a[13][512], 0.5 * 0.98777, 1e-12);
  // S-Receptor is tan(pi x) held at 4: from x = 0.4220 on (i = 1729).
  EXPECT_NEAR(a[10][2048], 0.98777, 1e-12);
  EXPECT_NEAR(a[10][1024], 0.98777 / 4.0, 1e-12);
  // Low-Q Noise 3 holds a random level, shaped by the triangle where it is
  // drawn, for 25 points.
  for (int i = 0; i < N; ++i) ASSERT_EQ(a[5][i], a[5][i - i % 25]) << i;
  EXPECT_NE(a[5][25], a[5][50]);
  // The further array.
  const struct {
    int i;
    double v;
  } shape[] = {{0, 1.0}, {512, 1.0}, {513, 0.1777}, {543, 0.1777}, {544, 1.0}, {1025, 0.0777},
               {1087, 0.0777}, {1088, 1.0}, {3135, 0.0777}, {3615, 0.1777}, {4095, 1.0}};
  for (const auto& s : shape) EXPECT_EQ(p.shapeArray[s.i], s.v) << s.i;
}

TEST_F(Provider, NoiseIsTheSameOnEveryRun) {
  p.makeWaveforms();
  WaveformProvider q;
  std::rand();  // whatever ran in between
  q.makeWaveforms();
  for (int k = 0; k < RnWaveForms::kCount; ++k)
    for (int i = 0; i < N; ++i) ASSERT_EQ((*p.waveForms)[k][i], (*q.waveForms)[k][i]) << k;
}

TEST_F(Provider, TablesForEveryWaveformWithACycle) {
  p.makeWaveforms();
  p.genTables();
  for (uint32_t w = 0; w < kNumWaveforms; ++w) {
    const bool none = w == kWaveOctPulse || w == kWaveSawtooth || w == kWavePinkNoize || w == kWaveWhiteNoize;
    EXPECT_EQ(p.tables[w].count == 0, none) << w;
  }
  // The sine: one table peaking at 0.999, one point ahead of its cycle.
  EXPECT_EQ(p.tables[kWaveSine].count, 1);
  for (int i = 0; i < N; i += 64)
    EXPECT_NEAR(p.tables[kWaveSine].getSample(static_cast<double>(i) / N), 0.999 * std::sin(2.0 * kPi * (i + 1) / N), 1e-12);
  // Building again replaces the sets rather than adding to them.
  const int n = p.tables[kWaveTriangle].count;
  p.genTables();
  EXPECT_EQ(p.tables[kWaveTriangle].count, n);
}

// --- user files ----------------------------------------------------------------

TEST_F(Provider, UserFilesComeFromTheFolderInTheEnvironment) {
  std::filesystem::create_directories(dir.path("waveforms"));
  writeFile(dir.path("waveforms/user01.raw"), doubles(ramp(N, 0.001)));
  writeFile(dir.path("waveforms/user03.raw"), doubles(ramp(1024, -0.5)));
  std::vector<double> ten(N);
  for (int i = 0; i < N; ++i) ten[i] = std::sin(2.0 * kPi * 5 * i / N) * 3.0;
  writeFile(dir.path("waveforms/user10.raw"), doubles(ten));
  const std::vector<double> user2(gRnWaveform02, gRnWaveform02 + N);
  const std::vector<double> user14(gRnWaveform14, gRnWaveform14 + N);

  setenv(WaveformProvider::kEnvFolder, dir.path("").c_str(), 1);
  p.setWorkingDirectory(nullptr);
  EXPECT_EQ(p.userFilePath(3), dir.path("waveforms/user03.raw"));
  p.LoadWaveforms();

  const double k1 = 0.998777 / (0.001 * (N - 1));
  for (int i = 0; i < N; i += 11) EXPECT_NEAR(gRnWaveform01[i], 0.001 * i * k1, 1e-12) << i;
  // 1024 values stretched over the cycle.
  EXPECT_NEAR(gRnWaveform03[400], -0.998777 * 50.0 / 511.5, 1e-12);
  for (int k = 10; k <= 13; ++k)
    for (int i = 0; i < N; i += 97)
      EXPECT_NEAR(userWaveform(k)[i], ten[i] / peakOf(ten.data(), N) * 0.998777, 1e-12) << k;
  // Missing files leave the defaults, rescaled; 14..16 are never touched.
  const double k2 = 0.998777 / peakOf(user2.data(), N);
  EXPECT_NEAR(gRnWaveform02[100], user2[100] * k2, 1e-15);
  EXPECT_EQ(std::vector<double>(gRnWaveform14, gRnWaveform14 + N), user14);
}

TEST_F(Provider, WorkingDirectory) {
  EXPECT_STREQ(p.getWorkingDirectory(), "");
  EXPECT_EQ(p.userFilePath(7), "waveforms/user07.raw");
  p.setWorkingDirectory("/srv/waves/");
  EXPECT_EQ(p.userFilePath(10), "/srv/waves/waveforms/user10.raw");
  p.setWorkingDirectory("");  // no folder in the environment: unchanged
  EXPECT_STREQ(p.getWorkingDirectory(), "/srv/waves/");
  setenv(WaveformProvider::kEnvFolder, "/tmp/w", 1);
  p.setWorkingDirectory("");
  EXPECT_STREQ(p.getWorkingDirectory(), "/tmp/w");
  p.setWorkingDirectory("/a");
  EXPECT_STREQ(p.getWorkingDirectory(), "/a");
}

TEST_F(Provider, RawFiles) {
  std::vector<double> dest(N, 7.0);
  // At least a cycle: the first 4096 values as they are.
  std::vector<double> longer = ramp(5000, 0.25);
  writeFile(dir.path("long.raw"), doubles(longer));
  ASSERT_TRUE(p.LoadWaveformRAW(dir.path("long.raw").c_str(), dest.data(), N));
  EXPECT_EQ(dest, std::vector<double>(longer.begin(), longer.begin() + N));

  // 1024 values stretched: each point between the value its position rounds
  // to and the next (a straight line stays straight); positions that round
  // to the last value or past it hold the last value.
  writeFile(dir.path("short.raw"), doubles(ramp(1024)));
  ASSERT_TRUE(p.LoadWaveform(dir.path("short.raw").c_str(), dest.data(), N));
  for (int i = 0; i < 4090; ++i) ASSERT_DOUBLE_EQ(dest[i], i / 4.0) << i;
  for (int i = 4090; i < N; ++i) EXPECT_EQ(dest[i], 1023.0) << i;

  // One value fills the cycle.
  writeFile(dir.path("one.raw"), doubles({0.25}));
  ASSERT_TRUE(p.LoadWaveformRAW(dir.path("one.raw").c_str(), dest.data(), N));
  EXPECT_EQ(dest[0], 0.25);
  EXPECT_EQ(dest[4095], 0.25);

  // Unreadable numbers become 0.
  std::vector<double> bad = ramp(N);
  bad[3] = std::numeric_limits<double>::quiet_NaN();
  bad[9] = -INFINITY;
  writeFile(dir.path("bad.raw"), doubles(bad));
  ASSERT_TRUE(p.LoadWaveformRAW(dir.path("bad.raw").c_str(), dest.data(), N));
  EXPECT_EQ(dest[3], 0.0);
  EXPECT_EQ(dest[9], 0.0);
  EXPECT_EQ(dest[10], 10.0);

  // A shorter destination is filled to its own length.
  std::vector<double> small(100, -1.0);
  small.push_back(42.0);
  writeFile(dir.path("ten.raw"), doubles(ramp(10)));
  ASSERT_TRUE(p.LoadWaveformRAW(dir.path("ten.raw").c_str(), small.data(), 100));
  EXPECT_EQ(small[100], 42.0);
  EXPECT_DOUBLE_EQ(small[50], 5.0);
  EXPECT_DOUBLE_EQ(small[99], 9.0);
}

// No values (an empty file or fewer than 8 bytes), a missing file, a null
// path or destination: false, and the destination as it was.
TEST_F(Provider, RawFilesThatHoldNothingAreRefused) {
  writeFile(dir.path("empty.raw"), {});
  writeFile(dir.path("seven.raw"), Bytes(7, 0x11));
  std::vector<double> dest(N, 7.0);
  for (const char* name : {"empty.raw", "seven.raw", "missing.raw"})
    EXPECT_FALSE(p.LoadWaveform(dir.path(name).c_str(), dest.data(), N)) << name;
  EXPECT_FALSE(p.LoadWaveform(nullptr, dest.data(), N));
  EXPECT_FALSE(p.LoadWaveform(dir.path("empty.raw").c_str(), nullptr, N));
  writeFile(dir.path("ok.raw"), doubles(ramp(10)));
  EXPECT_FALSE(p.LoadWaveformRAW(dir.path("ok.raw").c_str(), dest.data(), N + 1));
  EXPECT_EQ(dest, std::vector<double>(N, 7.0));
}

TEST_F(Provider, WaveFiles) {
  std::vector<double> dest(N, 7.0);
  // Exactly a cycle: the frames as they are.
  std::vector<double> v(N);
  for (int i = 0; i < N; ++i) v[i] = static_cast<float>(0.8 * std::sin(2.0 * kPi * 3 * i / N));
  writeFile(dir.path("cycle.wav"), simpleWav(3, 1, 32, floatSamples(v)));
  ASSERT_TRUE(p.LoadWaveform(dir.path("cycle.wav").c_str(), dest.data(), N));
  EXPECT_EQ(dest, v);

  // Stereo loads the channel mean.
  std::vector<double> lr;
  for (int i = 0; i < N; ++i) {
    lr.push_back(0.5);
    lr.push_back(-0.25);
  }
  writeFile(dir.path("stereo.wav"), simpleWav(3, 2, 32, floatSamples(lr)));
  ASSERT_TRUE(p.LoadWaveform(dir.path("stereo.wav").c_str(), dest.data(), N));
  EXPECT_EQ(dest[1000], 0.125);

  // Another length is resampled onto the cycle: a 1000-frame sine stays one
  // sine cycle.
  std::vector<double> s(1000);
  for (int i = 0; i < 1000; ++i) s[i] = std::sin(2.0 * kPi * i / 1000);
  writeFile(dir.path("short.wav"), simpleWav(3, 1, 32, floatSamples(s)));
  ASSERT_TRUE(p.LoadWaveform(dir.path("short.wav").c_str(), dest.data(), N));
  EXPECT_NEAR(toneAmplitude(dest, 2.0 * kPi / N), 1.0, 0.02);
  for (double d : dest) ASSERT_TRUE(std::isfinite(d));

  // Not a WAVE file, or no frames: false and nothing written.
  std::fill(dest.begin(), dest.end(), 7.0);
  writeFile(dir.path("fake.wav"), doubles(ramp(N)));
  writeFile(dir.path("empty.wav"), simpleWav(3, 1, 32, {}));
  for (const char* name : {"fake.wav", "empty.wav", "none.wav"})
    EXPECT_FALSE(p.LoadWaveform(dir.path(name).c_str(), dest.data(), N)) << name;
  // ".wav" anywhere in the path picks the WAVE reader.
  std::filesystem::create_directories(dir.path("a.wavs"));
  writeFile(dir.path("a.wavs/x.raw"), doubles(ramp(N)));
  EXPECT_FALSE(p.LoadWaveform(dir.path("a.wavs/x.raw").c_str(), dest.data(), N));
  EXPECT_EQ(dest, std::vector<double>(N, 7.0));
}

// --- exports ---------------------------------------------------------------------

TEST_F(Provider, RawExportIsTheDoublesInMemory) {
  const std::vector<double> v = {0.5, -1.25, 3.0e-300};
  p.saveWaveform(dir.path("out.raw").c_str(), v.data(), 3);
  EXPECT_EQ(readFile(dir.path("out.raw")), doubles(v));
  // And reads back as it was written.
  std::vector<double> cycle(N);
  for (int i = 0; i < N; ++i) cycle[i] = std::cos(i * 0.01);
  p.saveWaveform(dir.path("cycle.raw").c_str(), cycle.data(), N);
  std::vector<double> back(N);
  ASSERT_TRUE(p.LoadWaveform(dir.path("cycle.raw").c_str(), back.data(), N));
  EXPECT_EQ(back, cycle);
  p.saveWaveform(dir.path("no/such/folder.raw").c_str(), v.data(), 3);  // nothing happens
  EXPECT_FALSE(std::filesystem::exists(dir.path("no")));
}

TEST_F(Provider, HeaderExport) {
  std::vector<double> v;
  for (int i = 0; i < 12; ++i) v.push_back(i * 0.125 - 0.5);
  v[11] = 12.345678951;
  ASSERT_TRUE(p.saveWaveformToHeader(dir.path("w.h").c_str(), v.data(), 12));
  EXPECT_EQ(readText(dir.path("w.h")),
            "namespace Rawnfield\n"
            "{\n"
            "  double gRnWaveform[] = {\n"
            "  -0.5000000, -0.3750000, -0.2500000, -0.1250000, 0.0000000, 0.1250000, "
            "0.2500000, 0.3750000, 0.5000000, 0.6250000, \n"
            "  0.7500000, 12.3456790 };\n"
            "} // namespace Rawnfield\n");
  EXPECT_FALSE(p.saveWaveformToHeader(dir.path("no/such/w.h").c_str(), v.data(), 12));
}

// --- loading a user waveform later ---------------------------------------

TEST_F(Provider, ALoadedWaveformReplacesItsTablesAtTheUpdate) {
  p.makeWaveforms();
  p.genTables();
  std::vector<double> v(N);
  for (int i = 0; i < N; ++i) v[i] = 0.5 * std::sin(2.0 * kPi * 3 * i / N);
  writeFile(dir.path("three.raw"), doubles(v));

  const double sel = WaveformProvider::getWaveformSel(kUser2);
  ASSERT_TRUE(p.loadWaveformAction(sel, dir.path("three.raw").c_str()));
  EXPECT_NEAR(peakOf(p.pending.data(), N), 0.999, 1e-15);
  EXPECT_TRUE(p.loadPending);
  const double before = p.tables[kUser2].getSample(0.1);
  p.updateLoadedWaveform();
  EXPECT_FALSE(p.loadPending);
  EXPECT_EQ(peakOf(p.pending.data(), N), 0.0);
  EXPECT_NE(p.tables[kUser2].getSample(0.1), before);
  for (int i = 0; i < N; i += 31)
    ASSERT_NEAR(p.tables[kUser2].getSample(static_cast<double>(i) / N),
                0.999 * std::sin(2.0 * kPi * 3 * (i + 1) / N), 1e-9);

  // A failed load changes nothing at the next update.
  EXPECT_FALSE(p.loadWaveformAction(sel, dir.path("missing.raw").c_str()));
  EXPECT_FALSE(p.loadPending);
  const double now = p.tables[kUser2].getSample(0.3);
  p.updateLoadedWaveform();
  EXPECT_EQ(p.tables[kUser2].getSample(0.3), now);
}

// --- display data ----------------------------------------------------------------

std::vector<std::string> fields(const std::string& s) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == ',') out.emplace_back();
    else out.back() += c;
  }
  return out;
}

TEST_F(Provider, WaveDataText) {
  p.makeWaveforms();
  p.genTables();
  const std::vector<std::string> sine = fields(p.getWaveDataString(0.0));
  ASSERT_EQ(sine.size(), 4096u);
  EXPECT_EQ(sine[0], "0.0000000000");
  EXPECT_EQ(sine[1], "0.0015339802");
  EXPECT_EQ(sine[1024], "1.0000000000");
  const std::vector<std::string> vibe = fields(p.getWaveDataString(WaveformProvider::getWaveformSel(kWaveWaveVibe)));
  ASSERT_EQ(vibe.size(), 4096u);
  char want[64];
  std::snprintf(want, sizeof want, "%.10f", p.tables[kWaveWaveVibe].getSample(700.0 / N));
  EXPECT_EQ(vibe[700], want);
  for (const std::string& f : fields(p.getWaveDataString(0.45))) {
    const double v = std::stod(f);
    ASSERT_GE(v, -1.0);
    ASSERT_LE(v, 1.0);
    ASSERT_EQ(f.size() - f.find('.'), 11u) << f;
  }
}

TEST_F(Provider, DisplayPoints) {
  p.makeWaveforms();
  p.genTables();
  std::vector<double> buf(64);
  // Pulses swing between +1 and -1 whatever their width.
  for (eWaveform w : {kWavePulse, kWaveQuadPulse, kWaveOctPulse}) {
    p.updateGUIData(WaveformProvider::getWaveformSel(w), 0.0, buf.data(), 64);
    EXPECT_NEAR(buf[4], 1.0, 1e-12) << w;
    EXPECT_NEAR(buf[40], -1.0, 1e-12) << w;
  }
  // The sine from a phase of a quarter starts at its top.
  p.updateGUIData(0.0, 0.25, buf.data(), 64);
  EXPECT_NEAR(buf[0], 1.0, 1e-12);
  EXPECT_NEAR(buf[16], 0.0, 1e-12);
  // Table waveforms read the first table at i / n + phase, wrapped.
  p.updateGUIData(WaveformProvider::getWaveformSel(kWaveShikoku), 0.75, buf.data(), 64);
  EXPECT_EQ(buf[20], p.tables[kWaveShikoku].getSample(20.0 / 64 + 0.75 - 1.0));
  p.updateGUIData(WaveformProvider::getWaveformSel(kWavePinkNoize), 0.0, buf.data(), 64);
  for (double v : buf) ASSERT_LE(std::fabs(v), 0.5);
}

}  // namespace
