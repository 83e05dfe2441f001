#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "WaveFile.h"
#include "test_files.h"

using Rawnfield::eRnWaveBitDepth;
using Rawnfield::WaveFile;
using Rawnfield::WaveSample;

namespace {

constexpr double kPi = 3.141592653589793;

std::vector<double> lefts(const WaveFile& w) {
  std::vector<double> v;
  for (const WaveSample& s : w.getFrames()) v.push_back(s.left);
  return v;
}

// Loads bytes written to a file; the object starts with one marker frame so
// that a refused load can be seen to leave it alone.
struct Loaded {
  explicit Loaded(const Bytes& bytes) : wav(dir.path("in.wav")) {
    writeFile(dir.path("in.wav"), bytes);
    wav.appendSample(42.0);
    ok = wav.loadData();
  }
  TempDir dir;
  WaveFile wav;
  bool ok = false;
};

}  // namespace

// ---- Writing ----------------------------------------------------------------

TEST(WaveFileSave, CurveDefaultsGiveTheCanonicalHeader) {
  TempDir dir;
  std::vector<double> x(512);
  for (int i = 0; i < 512; ++i) x[i] = i * (2.0 / 511) - 1.0;
  WaveFile w(dir.path("c.wav"));
  w.setData(x.data(), 512);
  ASSERT_TRUE(w.saveData());

  const Bytes b = readFile(dir.path("c.wav"));
  ASSERT_EQ(b.size(), 2092u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(getU32(b, 4), 2084u);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(getU32(b, 16), 16u);
  EXPECT_EQ(getU16(b, 20), 3);       // IEEE float
  EXPECT_EQ(getU16(b, 22), 1);       // channels
  EXPECT_EQ(getU32(b, 24), 44100u);  // sample rate
  EXPECT_EQ(getU32(b, 28), 176400u);
  EXPECT_EQ(getU16(b, 32), 4);  // block alignment
  EXPECT_EQ(getU16(b, 34), 32);
  EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
  EXPECT_EQ(getU32(b, 40), 2048u);
  for (int i = 0; i < 512; ++i) {
    float f;
    const uint32_t u = getU32(b, 44 + 4 * i);
    memcpy(&f, &u, sizeof f);
    ASSERT_EQ(f, static_cast<float>(x[i])) << i;
  }
}

struct IntegerCase {
  eRnWaveBitDepth code;
  uint16_t bits;
  Bytes minusOne;  // bytes of -1.0
  Bytes half;      // bytes of 0.5
  double loadedMinusOne;
};

class WaveFileIntegerSave : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(WaveFileIntegerSave, WritesScaledTruncatedSamplesAndReadsThemBack) {
  const IntegerCase& c = GetParam();
  TempDir dir;
  WaveFile w(dir.path("i.wav"));
  w.setBitDepth(c.code);
  const double x[2] = {-1.0, 0.5};
  w.setData(x, 2);
  ASSERT_TRUE(w.saveData());
  const Bytes b = readFile(dir.path("i.wav"));
  const size_t B = c.minusOne.size();
  ASSERT_EQ(b.size(), 44 + 2 * B);
  EXPECT_EQ(getU16(b, 20), 1);  // integer PCM
  EXPECT_EQ(getU16(b, 34), c.bits);
  EXPECT_EQ(getU16(b, 32), B);
  EXPECT_EQ(Bytes(b.begin() + 44, b.begin() + 44 + B), c.minusOne);
  EXPECT_EQ(Bytes(b.begin() + 44 + B, b.end()), c.half);

  WaveFile r(dir.path("i.wav"));
  ASSERT_TRUE(r.loadData());
  ASSERT_EQ(r.getNumFrames(), 2);
  EXPECT_EQ(r.getFrames()[0].left, c.loadedMinusOne);
  EXPECT_EQ(r.getBitDepth(), c.code);
  EXPECT_EQ(r.getSampleFormat(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, WaveFileIntegerSave,
    ::testing::Values(
        // 8 bits: trunc(x * 127) exclusive-or 0x80; read back as byte - 128.
        IntegerCase{Rawnfield::kWaveBitDepth8, 8, {0x01}, {0xBF}, -127.0},
        IntegerCase{Rawnfield::kWaveBitDepth16, 16, {0x01, 0x80}, {0xFF, 0x3F}, -32767.0},
        // 24 bits read back on the 32-bit scale (times 256).
        IntegerCase{Rawnfield::kWaveBitDepth24,
                    24,
                    {0x01, 0x00, 0x80},
                    {0xFF, 0xFF, 0x3F},
                    -8388607.0 * 256.0}));

TEST(WaveFileSave, SixtyFourBitFloatRoundTripsExactly) {
  TempDir dir;
  WaveFile w(dir.path("d.wav"));
  w.setBitDepth(Rawnfield::kWaveBitDepth64);
  const double x[3] = {0.1, -0.7, 1.0 / 3.0};
  w.setData(x, 3);
  ASSERT_TRUE(w.saveData());
  const Bytes b = readFile(dir.path("d.wav"));
  EXPECT_EQ(b.size(), 44u + 24u);
  EXPECT_EQ(getU16(b, 20), 3);
  EXPECT_EQ(getU16(b, 34), 64);
  WaveFile r(dir.path("d.wav"));
  ASSERT_TRUE(r.loadData());
  EXPECT_EQ(lefts(r), std::vector<double>(x, x + 3));
}

TEST(WaveFileSave, IntegerDataAboveFullScaleIsScaledDownFirst) {
  TempDir dir;
  WaveFile w(dir.path("p.wav"));
  w.setBitDepth(Rawnfield::kWaveBitDepth16);
  const double x[3] = {2.0, 1.0, -2.0};
  w.setData(x, 3);
  ASSERT_TRUE(w.saveData());
  const Bytes b = readFile(dir.path("p.wav"));
  EXPECT_EQ(static_cast<int16_t>(getU16(b, 44)), 32767);
  EXPECT_EQ(static_cast<int16_t>(getU16(b, 46)), 16383);
  EXPECT_EQ(static_cast<int16_t>(getU16(b, 48)), -32767);
  EXPECT_EQ(w.getFrames()[0].left, 1.0);  // the frames themselves were scaled
}

TEST(WaveFileSave, NonFiniteIntegerSamplesAreWrittenAsZeroWithoutSettingTheScale) {
  TempDir dir;
  WaveFile w(dir.path("n.wav"));
  w.setBitDepth(Rawnfield::kWaveBitDepth16);
  const double inf = std::numeric_limits<double>::infinity();
  const double x[4] = {0.5, std::nan(""), inf, -0.5};
  w.setData(x, 4);
  ASSERT_TRUE(w.saveData());
  const Bytes b = readFile(dir.path("n.wav"));
  EXPECT_EQ(static_cast<int16_t>(getU16(b, 44)), 16383);
  EXPECT_EQ(static_cast<int16_t>(getU16(b, 46)), 0);
  EXPECT_EQ(static_cast<int16_t>(getU16(b, 48)), 0);
  EXPECT_EQ(static_cast<int16_t>(getU16(b, 50)), -16383);
}

TEST(WaveFileSave, StereoFramesAreInterleaved) {
  TempDir dir;
  WaveFile w(dir.path("s.wav"));
  w.setBitDepth(Rawnfield::kWaveBitDepth16);
  const double l[2] = {0.5, 0.25};
  const double r[2] = {-0.25, 1.0};
  w.setData(l, r, 2);
  ASSERT_TRUE(w.saveData());
  const Bytes b = readFile(dir.path("s.wav"));
  ASSERT_EQ(b.size(), 44u + 8u);
  EXPECT_EQ(getU16(b, 22), 2);
  EXPECT_EQ(getU16(b, 32), 4);
  EXPECT_EQ(getU32(b, 28), 44100u * 4);
  EXPECT_EQ(getU32(b, 40), 8u);
  const int16_t expect[4] = {16383, -8191, 8191, 32767};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(static_cast<int16_t>(getU16(b, 44 + 2 * k)), expect[k]);
}

TEST(WaveFileLoad, StereoFramesLoadAsTheirMean) {
  Loaded l(simpleWav(1, 2, 16, int16Samples({1000, -3000, 32767, 32767})));
  ASSERT_TRUE(l.ok);
  ASSERT_EQ(l.wav.getNumFrames(), 2);
  EXPECT_EQ(l.wav.getFrames()[0].left, -1000.0);
  EXPECT_EQ(l.wav.getFrames()[0].right, 0.0);
  EXPECT_EQ(l.wav.getFrames()[1].left, 32767.0);
  // Loading keeps the object's own channel count and rate.
  EXPECT_EQ(l.wav.getNumberOfChannels(), 1);
  EXPECT_EQ(l.wav.getSampleRate(), 44100.0);
}

TEST(WaveFileSave, CuePointsFollowTheDataAndCountInTheRiffSize) {
  TempDir dir;
  WaveFile w(dir.path("cue.wav"));
  // 102 frames of fifty periods: exactly two frames sit on a zero.
  w.setSampleRate(102.0);
  w.genMonoData(1.0, true);
  ASSERT_EQ(w.getNumFrames(), 102);
  ASSERT_EQ(w.getCuePoints(), (std::vector<uint32_t>{0, 51}));
  ASSERT_TRUE(w.saveData());

  const Bytes b = readFile(dir.path("cue.wav"));
  const size_t D = 102 * 4;
  ASSERT_EQ(b.size(), 44 + D + 60);
  EXPECT_EQ(getU32(b, 4), 36 + D + 60);
  EXPECT_EQ(getU32(b, 24), 102u);
  const size_t c = 44 + D;
  EXPECT_EQ(std::string(b.begin() + c, b.begin() + c + 4), "cue ");
  EXPECT_EQ(getU32(b, c + 4), 52u);
  EXPECT_EQ(getU32(b, c + 8), 2u);
  const uint32_t record[2][6] = {{1, 0, 0x61746164, 0, 0, 0}, {2, 51, 0x61746164, 0, 0, 51}};
  for (int k = 0; k < 2; ++k)
    for (int f = 0; f < 6; ++f) EXPECT_EQ(getU32(b, c + 12 + 24 * k + 4 * f), record[k][f]);

  // The reader skips the cue chunk.
  WaveFile r(dir.path("cue.wav"));
  ASSERT_TRUE(r.loadData());
  EXPECT_EQ(r.getNumFrames(), 102);
}

TEST(WaveFileSave, RefusesWhatItCannotWrite) {
  TempDir dir;
  const double x[2] = {0.1, 0.2};
  {
    WaveFile empty(dir.path("e.wav"));
    EXPECT_FALSE(empty.saveData());
  }
  {
    // The header would claim 16 bits for samples of another width.
    WaveFile w(dir.path("b.wav"));
    w.setData(x, 2);
    w.setBitDepth(Rawnfield::kWaveBitDepthUnknown);
    EXPECT_FALSE(w.saveData());
  }
  {
    // Frames hold two channels at most; a third would be invented.
    WaveFile w(dir.path("c.wav"));
    w.setData(x, 2);
    w.setNumberOfChannels(3);
    EXPECT_FALSE(w.saveData());
  }
  {
    WaveFile w(dir.path("missing/folder.wav"));
    w.setData(x, 2);
    EXPECT_FALSE(w.saveData());
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path("")));
}

// ---- Decoding ---------------------------------------------------------------

struct DecodeCase {
  const char* name;
  Bytes bytes;
  eRnWaveBitDepth code;
  int format;
  double value;
};

class WaveFileDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(WaveFileDecode, DecodesOneSample) {
  const DecodeCase& c = GetParam();
  WaveFile w("unused.wav");
  EXPECT_EQ(w.getSampleValue(c.bytes.data(), c.code, c.format), c.value);
}

Bytes floatBytes(float f) {
  Bytes b;
  putFloat(b, f);
  return b;
}

Bytes doubleBytes(double d) {
  Bytes b;
  putDouble(b, d);
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WaveFileDecode,
    ::testing::Values(
        DecodeCase{"u8_mid", {0x80}, Rawnfield::kWaveBitDepth8, 1, 0.0},
        DecodeCase{"u8_low", {0x00}, Rawnfield::kWaveBitDepth8, 1, -128.0},
        DecodeCase{"u8_high", {0xFF}, Rawnfield::kWaveBitDepth8, 1, 127.0},
        DecodeCase{"s16_max", {0xFF, 0x7F}, Rawnfield::kWaveBitDepth16, 1, 32767.0},
        DecodeCase{"s16_min", {0x00, 0x80}, Rawnfield::kWaveBitDepth16, 1, -32768.0},
        DecodeCase{"s16_other_tag", {0x10, 0x00}, Rawnfield::kWaveBitDepth16, 2, 16.0},
        DecodeCase{"s24_min", {0x00, 0x00, 0x80}, Rawnfield::kWaveBitDepth24, 1, -2147483648.0},
        DecodeCase{"s24_one", {0x01, 0x00, 0x00}, Rawnfield::kWaveBitDepth24, 1, 256.0},
        DecodeCase{
            "s32_min", {0x00, 0x00, 0x00, 0x80}, Rawnfield::kWaveBitDepth32, 1, -2147483648.0},
        DecodeCase{"f32", floatBytes(-0.375f), Rawnfield::kWaveBitDepth32, 3, -0.375},
        DecodeCase{"f64", doubleBytes(0.1), Rawnfield::kWaveBitDepth64, 3, 0.1},
        // Widths a float cannot have, and 64-bit integers, decode as 0.
        DecodeCase{"f16", {0xFF, 0x7F}, Rawnfield::kWaveBitDepth16, 3, 0.0},
        DecodeCase{"f8", {0x01}, Rawnfield::kWaveBitDepth8, 3, 0.0},
        DecodeCase{"i64", doubleBytes(0.1), Rawnfield::kWaveBitDepth64, 1, 0.0}),
    [](const ::testing::TestParamInfo<DecodeCase>& i) { return std::string(i.param.name); });

TEST(WaveFileBits, MapsBitCountsAndCodes) {
  WaveFile w("unused.wav");
  EXPECT_EQ(w.getBitDepthType(8), 1);
  EXPECT_EQ(w.getBitDepthType(16), 2);
  EXPECT_EQ(w.getBitDepthType(24), 3);
  EXPECT_EQ(w.getBitDepthType(32), 4);
  EXPECT_EQ(w.getBitDepthType(64), 8);
  EXPECT_EQ(w.getBitDepthType(12), 9);
  const unsigned short bits[10] = {16, 8, 16, 24, 32, 16, 16, 16, 64, 16};
  for (int code = 0; code < 10; ++code)
    EXPECT_EQ(w.getBitsPerSample(static_cast<eRnWaveBitDepth>(code)), bits[code]) << code;
}

// ---- Reading files sox wrote ------------------------------------------------

struct SoxCase {
  const char* file;
  bool stereo;
  double fullScale;  // the loaded value of a full-scale sample
  double tolerance;  // in signal units
  int bits;
  int format;  // the tag the samples decode with
};

class WaveFileSox : public ::testing::TestWithParam<SoxCase> {};

TEST_P(WaveFileSox, LoadsTheKnownSignal) {
  const SoxCase& c = GetParam();
  WaveFile w(dataPath(c.file));
  ASSERT_TRUE(w.loadData());
  ASSERT_EQ(w.getNumFrames(), 128);
  EXPECT_EQ(w.getBitsPerSample(w.getBitDepth()), c.bits);
  EXPECT_EQ(w.getSampleFormat(), c.format);
  for (int i = 0; i < 128; ++i) {
    double expect = 0.9 * std::sin(2.0 * kPi * i / 64.0);
    if (c.stereo) expect = (expect + 0.5 * std::cos(2.0 * kPi * i / 32.0)) * 0.5;
    ASSERT_NEAR(w.getFrames()[i].left / c.fullScale, expect, c.tolerance) << i;
    ASSERT_EQ(w.getFrames()[i].right, 0.0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, WaveFileSox,
    ::testing::Values(SoxCase{"sox_mono_u8.wav", false, 128.0, 1.0 / 128, 8, 1},
                      SoxCase{"sox_mono_s16.wav", false, 32768.0, 1.0 / 32768, 16, 1},
                      // Extensible format chunks with a PCM sub-format.
                      SoxCase{"sox_mono_s24.wav", false, 2147483648.0, 1.0 / 8388608, 24, 1},
                      SoxCase{"sox_mono_s32.wav", false, 2147483648.0, 1e-9, 32, 1},
                      // 18-byte format chunks followed by a fact chunk.
                      SoxCase{"sox_mono_f32.wav", false, 1.0, 1e-7, 32, 3},
                      SoxCase{"sox_mono_f64.wav", false, 1.0, 1e-9, 64, 3},
                      SoxCase{"sox_stereo_s16.wav", true, 32768.0, 1.0 / 32768, 16, 1},
                      SoxCase{"sox_stereo_s24.wav", true, 2147483648.0, 1.0 / 8388608, 24, 1},
                      SoxCase{"sox_stereo_f32.wav", true, 1.0, 1e-7, 32, 3}),
    [](const ::testing::TestParamInfo<SoxCase>& i) {
      std::string n = i.param.file;
      return n.substr(4, n.size() - 8);
    });

TEST(WaveFileSox, RefusesCompandedSamplesAndMoreThanTwoChannels) {
  for (const char* f : {"sox_mono_alaw.wav", "sox_quad_s16.wav"}) {
    WaveFile w(dataPath(f));
    EXPECT_FALSE(w.loadData()) << f;
    EXPECT_EQ(w.getNumFrames(), 0) << f;
  }
}

// ---- Locating the samples ---------------------------------------------------

TEST(WaveFileLoad, FindsDataAfterAnEighteenByteFormatChunk) {
  // "data" stands at byte 38, before the byte where a plain search would
  // start.
  const Bytes file = riff(
      {chunk("fmt ", fmtBody(3, 1, 44100, 32, {0, 0})), chunk("data", floatSamples({0.25, -0.5}))});
  Loaded l(file);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(lefts(l.wav), (std::vector<double>{0.25, -0.5}));
}

TEST(WaveFileLoad, FindsDataAfterALongerFormatChunk) {
  // A 36-byte format chunk puts "data" at 56; the count comes from its size.
  const Bytes file = riff({chunk("fmt ", fmtBody(1, 1, 44100, 16, Bytes(20, 0))),
                           chunk("data", int16Samples({7, -8, 9}))});
  ASSERT_EQ(std::string(file.begin() + 56, file.begin() + 60), "data");
  Loaded l(file);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(lefts(l.wav), (std::vector<double>{7, -8, 9}));
}

TEST(WaveFileLoad, WalksPastOtherChunksEvenWhenTheyHoldTheWordData) {
  // An odd-sized text chunk containing "data" sits between format and data;
  // a byte search would take its text for the data chunk.
  const Bytes text = {'m', 'y', ' ', 'd', 'a', 't', 'a', '!', '!'};
  const Bytes file = riff({chunk("fmt ", fmtBody(1, 1, 44100, 16)), chunk("LIST", text),
                           chunk("data", int16Samples({100, 200}))});
  Loaded l(file);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(lefts(l.wav), (std::vector<double>{100, 200}));
}

TEST(WaveFileLoad, TakesTheExtensibleSubFormat) {
  {
    Loaded l(riff(
        {chunk("fmt ", extensibleFmtBody(3, 1, 32)), chunk("data", floatSamples({0.5, -0.25}))}));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(lefts(l.wav), (std::vector<double>{0.5, -0.25}));  // floats, not integers
    EXPECT_EQ(l.wav.getSampleFormat(), 3);
  }
  {
    Loaded l(riff({chunk("fmt ", extensibleFmtBody(1, 2, 16)),
                   chunk("data", int16Samples({10, 30, -10, -30}))}));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(lefts(l.wav), (std::vector<double>{20, -20}));
  }
}

TEST(WaveFileLoad, DataSizeOfOneSampleAtTheCanonicalPlaceTakesTheRiffSize) {
  // Written before the length was known: the data size says one sample, the
  // RIFF size says four.
  Bytes file = simpleWav(1, 1, 16, int16Samples({1, 2, 3, 4}));
  file[40] = 2;
  Loaded l(file);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(lefts(l.wav), (std::vector<double>{1, 2, 3, 4}));

  // A RIFF size beyond the file is bounded by the file.
  Bytes bigRiff = file;
  bigRiff[4] = bigRiff[5] = bigRiff[6] = bigRiff[7] = 0xFF;
  Loaded m(bigRiff);
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(lefts(m.wav), (std::vector<double>{1, 2, 3, 4}));
}

TEST(WaveFileLoad, EmptyDataChunkLoadsNoFrames) {
  Loaded l(simpleWav(1, 1, 16, {}));
  EXPECT_TRUE(l.ok);
  EXPECT_EQ(l.wav.getNumFrames(), 0);
}

TEST(WaveFileLoad, AnOddTrailingByteMakesNoFrame) {
  Loaded l(simpleWav(1, 2, 16, {1, 0, 3, 0, 5}));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(lefts(l.wav), (std::vector<double>{2}));
}

// ---- Refused files ----------------------------------------------------------

struct BadCase {
  const char* name;
  Bytes bytes;
};

class WaveFileRefuses : public ::testing::TestWithParam<BadCase> {};

TEST_P(WaveFileRefuses, FailsAndKeepsWhatWasLoaded) {
  Loaded l(GetParam().bytes);
  EXPECT_FALSE(l.ok);
  EXPECT_EQ(lefts(l.wav), std::vector<double>{42.0});
  EXPECT_EQ(l.wav.getBitDepth(), Rawnfield::kWaveBitDepth32);
  EXPECT_EQ(l.wav.getSampleFormat(), 3);
}

Bytes withByte(Bytes b, size_t at, uint8_t v) {
  b[at] = v;
  return b;
}

Bytes truncated(Bytes b, size_t len) {
  b.resize(len);
  return b;
}

const Bytes kGood = simpleWav(1, 1, 16, int16Samples({1, 2, 3, 4, 5, 6, 7, 8}));

INSTANTIATE_TEST_SUITE_P(
    Table, WaveFileRefuses,
    ::testing::Values(
        BadCase{"empty", {}}, BadCase{"riff_header_only", truncated(kGood, 12)},
        BadCase{"cut_in_format", truncated(kGood, 30)},
        BadCase{"no_data_chunk", truncated(kGood, 36)},
        // The data size promises 16 bytes; the file holds 6 of them.
        BadCase{"cut_in_data", truncated(kGood, 50)},
        BadCase{"lying_data_size", riff({chunk("fmt ", fmtBody(1, 1, 44100, 16)),
                                         chunk("data", 0xFFFFFFF0u, int16Samples({1, 2}))})},
        BadCase{"not_riff", withByte(kGood, 0, 'X')}, BadCase{"not_wave", withByte(kGood, 8, 'X')},
        BadCase{"twelve_bits", simpleWav(1, 1, 12, Bytes(8, 1))},
        BadCase{"three_channels", simpleWav(1, 3, 16, Bytes(12, 1))},
        BadCase{"no_channels", simpleWav(1, 0, 16, Bytes(12, 1))},
        // Would decode as silence.
        BadCase{"float_16", simpleWav(3, 1, 16, Bytes(8, 1))},
        BadCase{"integer_64", simpleWav(1, 1, 64, Bytes(16, 1))},
        // Compressed or companded: would decode as noise.
        BadCase{"adpcm_16", simpleWav(2, 1, 16, Bytes(8, 1))},
        BadCase{"mulaw_8", simpleWav(7, 1, 8, Bytes(8, 1))},
        BadCase{"extensible_other_guid", riff({chunk("fmt ", extensibleFmtBody(1, 1, 16, true)),
                                               chunk("data", Bytes(8, 1))})},
        BadCase{"extensible_short_format",
                riff({chunk("fmt ", fmtBody(0xFFFE, 1, 44100, 16)), chunk("data", Bytes(8, 1))})},
        BadCase{"garbage", Bytes(300, 0xA5)}),
    [](const ::testing::TestParamInfo<BadCase>& i) { return std::string(i.param.name); });

TEST(WaveFileLoad, RefusesMissingAndOversizedFiles) {
  TempDir dir;
  WaveFile missing(dir.path("nothing.wav"));
  EXPECT_FALSE(missing.loadData());

  // One byte beyond the limit is refused without being read; the limit
  // itself loads.
  Bytes big = simpleWav(3, 1, 64, Bytes(WaveFile::kMaxFileSize - 45, 0x3F));
  big.push_back(0);
  ASSERT_EQ(big.size(), static_cast<size_t>(WaveFile::kMaxFileSize));
  writeFile(dir.path("big.wav"), big);
  WaveFile atLimit(dir.path("big.wav"));
  EXPECT_TRUE(atLimit.loadData());
  big.push_back(0);
  writeFile(dir.path("big.wav"), big);
  WaveFile over(dir.path("big.wav"));
  EXPECT_FALSE(over.loadData());
  EXPECT_EQ(over.getNumFrames(), 0);
}

// ---- Edits ------------------------------------------------------------------

TEST(WaveFileEdit, FadeOutRampsTheLastFrames) {
  WaveFile w("unused.wav");
  const std::vector<double> ones(6, 1.0);
  w.setData(ones.data(), 6);
  w.fadeOut(4);
  EXPECT_EQ(lefts(w), (std::vector<double>{1, 1, 1, 0.75, 0.5, 0.25}));
  w.setData(ones.data(), 6);
  w.fadeOut(0);
  w.fadeOut(7);
  EXPECT_EQ(lefts(w), ones);
}

TEST(WaveFileEdit, InvertMirrorsEachHalf) {
  WaveFile w("unused.wav");
  const double x[3] = {0.25, -0.25, 0.0};
  w.setData(x, 3);
  w.invert();
  EXPECT_EQ(lefts(w), (std::vector<double>{0.75, -0.75, 0.0}));
}

TEST(WaveFileEdit, AutoCropRemovesOnlyTheQuietTail) {
  WaveFile w("unused.wav");
  const double x[6] = {0.0, 0.5, 0.9, 0.01, 0.02, 0.0};
  w.setData(x, 6);
  w.autoCrop(0.1);
  EXPECT_EQ(lefts(w), (std::vector<double>{0.0, 0.5, 0.9}));
  // Nothing above the threshold: nothing is cut.
  w.autoCrop(5.0);
  EXPECT_EQ(w.getNumFrames(), 3);
  // With two channels a loud right value counts too.
  const double l[3] = {0.5, 0.0, 0.0};
  const double r[3] = {0.0, 0.7, 0.0};
  w.setData(l, r, 3);
  w.autoCrop(0.1);
  EXPECT_EQ(w.getNumFrames(), 2);
}

TEST(WaveFileEdit, NormalizeScalesToPeakOne) {
  WaveFile w("unused.wav");
  const double x[3] = {0.001, -0.004, 0.002};
  w.setData(x, 3);
  EXPECT_DOUBLE_EQ(w.getMaxValue(), 0.004);
  w.normalize();  // quiet data is raised too
  EXPECT_DOUBLE_EQ(w.getFrames()[1].left, -1.0);
  EXPECT_DOUBLE_EQ(w.getFrames()[0].left, 0.25);

  const double l[2] = {0.5, 0.1};
  const double r[2] = {0.0, -2.0};
  w.setData(l, r, 2);
  EXPECT_EQ(w.getMaxValue(0), 0.5);
  EXPECT_EQ(w.getMaxValue(1), 2.0);
  w.normalize();
  EXPECT_EQ(w.getFrames()[0].left, 0.25);
  EXPECT_EQ(w.getFrames()[1].right, -1.0);
  w.normalize(1, 3.0);
  EXPECT_EQ(w.getFrames()[1].right, -3.0);
  EXPECT_EQ(w.getFrames()[1].left, 0.05);

  const std::vector<double> zeros(4, 0.0);
  w.setData(zeros.data(), 4);
  w.normalize();
  EXPECT_EQ(lefts(w), zeros);
}

TEST(WaveFileEdit, StereoTestSignalHasAnInvertedRightChannel) {
  WaveFile w("unused.wav");
  w.setSampleRate(1000.0);
  w.genStereoData(0.1, false);
  ASSERT_EQ(w.getNumFrames(), 100);
  EXPECT_EQ(w.getNumberOfChannels(), 2);
  EXPECT_TRUE(w.getCuePoints().empty());
  for (int i = 0; i < 100; ++i) {
    EXPECT_DOUBLE_EQ(w.getFrames()[i].left, std::sin(2.0 * kPi * 50.0 * i / 100.0));
    EXPECT_EQ(w.getFrames()[i].right, -w.getFrames()[i].left);
  }
}

TEST(WaveFileEdit, GenHeaderWritesTheNormalisedFramesAsSource) {
  TempDir dir;
  WaveFile w(dir.path("wave.wav"));
  const double x[4] = {-0.5, -0.25, 0.25, 0.5};
  w.setData(x, 4);
  ASSERT_TRUE(w.genHeader(true));
  const std::string expect = "#pragma once\n\n// generated from file: " + dir.path("wave.wav") +
                             "\n\nnamespace Rawnfield\n{\n"
                             "  static const double gRnWaveform[] = {\n"
                             "    /* negative part */\n"
                             "    -1.000000000000000, -0.500000000000000, 0.500000000000000, "
                             "1.000000000000000 };\n"
                             "  // waveform size\n"
                             "  static const int gRnWaveformSize = sizeof(gRnWaveform) / "
                             "sizeof(double);\n"
                             "} // namespace Rawnfield\n";
  EXPECT_EQ(readText(dir.path("wave.h")), expect);

  // Without ".wav" the output would overwrite the sound file itself.
  WaveFile other(dir.path("sound.raw"));
  other.setData(x, 4);
  EXPECT_FALSE(other.genHeader(false));
}
