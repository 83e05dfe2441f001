// The state chunk: its exact layout, round trips, refusals that change
// nothing, and the clamping of what a chunk may carry.
#include <cmath>
#include <limits>

#include "effect_fixture.h"

namespace {

namespace Tags = Rawnfield::Harshbloom;
using Rawnfield::PlugConfig;

// A chunk the running plug-in wrote, changed in a few places: the visible
// tab, scope settings, two texts, a curve of its own and some parameters.
std::string editedState(Harshbloom& plug) {
  std::string s = stateOf(plug);
  writeAt(s, kTabOffset, 2.0);
  writeAt(s, kTabOffset + 8, 2.0);   // draw mode
  writeAt(s, kTabOffset + 16, 0.0);  // draw input
  writeAt(s, kTabOffset + 24, 1.0);  // draw output
  writeAt(s, kZoomOffset, 250.0);
  const char path[] = "/some/where/prog.txt";
  std::memcpy(&s[kTextsOffset + 1024], path, sizeof path);
  for (int i = 0; i < 512; ++i) writeAt(s, kCurveOffset + 8 * i, std::sin(i * 0.05) * 0.9);
  writeAt(s, kParamsOffset + 8 * Tags::kDistortionType, 20.0 / 42.0);
  writeAt(s, kParamsOffset + 8 * Tags::kVolume, 0.5);
  writeAt(s, kParamsOffset + 8 * Tags::kLimiterLevel, 0.25);
  writeAt(s, kParamsOffset + 8 * 70, 0.75);
  return s;
}

int load(Harshbloom& plug, const std::string& bytes, int start = 0) {
  ByteChunk chunk;
  toChunk(bytes, &chunk);
  return plug.UnserializeState(&chunk, start);
}

}  // namespace

TEST(StateChunk, LayoutOfTheRunningState) {
  auto plug = makeEffect();
  setParam(*plug, Tags::kVolume, 0.3);
  const std::string s = stateOf(*plug);
  ASSERT_EQ(s.size(), 9976u);
  EXPECT_EQ(readAt<int32_t>(s, 0), 5192);
  const double versions[] = {1.0, 1.0, 0.0, 5302.0};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(readAt<double>(s, 4 + 8 * i), versions[i]);
  EXPECT_EQ(readAt<double>(s, kTabOffset), 0.0);
  EXPECT_EQ(readAt<double>(s, kTabOffset + 8), 1.0);
  EXPECT_EQ(readAt<double>(s, kTabOffset + 16), 1.0);
  EXPECT_EQ(readAt<double>(s, kTabOffset + 24), 1.0);
  EXPECT_EQ(readAt<double>(s, kZoomOffset), 100.0);
  EXPECT_EQ(std::string(s.data() + kTextsOffset, 11), std::string("Harshbloom\0", 11));
  for (int t = 1; t < 5; ++t) EXPECT_EQ(s[kTextsOffset + 1024 * t], '\0');
  EXPECT_EQ(readAt<int32_t>(s, kCountOffset), 597);
  const Rawnfield::Distortion& master = plug->getDistoFx().chains[0].distortion;
  for (int i = 0; i < 512; ++i)
    EXPECT_EQ(readAt<double>(s, kCurveOffset + 8 * i),
              master.getLutValue(static_cast<unsigned short>(i)));
  for (int i = 0; i < 85; ++i) {
    const double v = readAt<double>(s, kParamsOffset + 8 * i), p = plug->GetParam(i)->Value();
    EXPECT_EQ(0, std::memcmp(&v, &p, 8)) << i;
  }
  EXPECT_EQ(readAt<double>(s, kParamsOffset + 8 * Tags::kVolume), 0.3);
}

TEST(StateChunk, RoundTripRestoresCurveParametersAndConfiguration) {
  auto writer = makeEffect();
  const std::string edited = editedState(*writer);
  auto plug = makeEffect();
  ASSERT_EQ(load(*plug, edited), 9976);

  const PlugConfig& config = plug->getConfig();
  EXPECT_EQ(config.visibleTab, 2.0);
  EXPECT_EQ(config.scopeDrawMode, 2.0);
  EXPECT_EQ(config.scopeDrawInput, 0.0);
  EXPECT_EQ(config.scopeZoom, 250.0);
  EXPECT_STREQ(config.getText(PlugConfig::kLastProgramFile), "/some/where/prog.txt");
  EXPECT_EQ(config.versionRevision, 5302.0);
  EXPECT_TRUE(plug->takeDirty(Harshbloom::kConfigViews));

  EXPECT_EQ(plug->GetParam(Tags::kVolume)->Value(), 0.5);
  EXPECT_EQ(plug->GetParam(Tags::kLimiterLevel)->Value(), 0.25);
  EXPECT_EQ(plug->getSoftClipper().threshold, 0.25);
  EXPECT_EQ(plug->GetParam(70)->Value(), 0.75);
  for (int c = 0; c < 3; ++c) {
    const Rawnfield::Distortion& d = plug->getDistoFx().chains[c].distortion;
    EXPECT_EQ(d.getType(), 20u);
    for (int i = 0; i < 512; i += 17)
      EXPECT_EQ(d.getLutValue(static_cast<unsigned short>(i)), std::sin(i * 0.05) * 0.9) << c;
  }
  // And it saves back byte for byte.
  EXPECT_TRUE(sameBytes(stateOf(*plug), edited));
}

TEST(StateChunk, ReadsFromItsStartPosition) {
  auto plug = makeEffect();
  const std::string edited = editedState(*plug);
  EXPECT_EQ(load(*plug, "prefix" + edited + "tail", 6), 6 + 9976);
  EXPECT_EQ(plug->getConfig().scopeZoom, 250.0);
}

// Every refusal leaves the state exactly as it was.
TEST(StateChunk, RefusedChunksChangeNothing) {
  auto writer = makeEffect();
  const std::string good = editedState(*writer);
  struct Bad {
    const char* what;
    std::string bytes;
  };
  std::vector<Bad> bad;
  bad.push_back({"empty", ""});
  bad.push_back({"three bytes", good.substr(0, 3)});
  bad.push_back({"ends a byte early", good.substr(0, good.size() - 1)});
  bad.push_back({"ends inside the configuration", good.substr(0, 3000)});
  std::string s = good;
  writeAt<int32_t>(s, 0, 5191);
  bad.push_back({"wrong marker", s});
  s = good;
  writeAt<int32_t>(s, kCountOffset, 596);
  bad.push_back({"wrong count", s});
  s = good;
  writeAt(s, kParamsOffset + 8 * Tags::kPan, std::nan(""));
  bad.push_back({"NaN parameter", s});

  auto plug = makeEffect();
  const std::string before = stateOf(*plug);
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.what);
    EXPECT_EQ(load(*plug, b.bytes), -1);
    EXPECT_TRUE(sameBytes(stateOf(*plug), before));
  }
  EXPECT_EQ(load(*plug, good, -1), -1);
  EXPECT_EQ(plug->UnserializeState(nullptr, 0), -1);
  EXPECT_TRUE(sameBytes(stateOf(*plug), before));
}

// What a chunk carries is kept within bounds: texts end inside their
// fields, numbers stay in range, a NaN number keeps the live one, the curve
// stays within -1..1 and finite.
TEST(StateChunk, ContentsAreKeptWithinBounds) {
  auto plug = makeEffect();
  std::string s = stateOf(*plug);
  for (size_t i = kTextsOffset; i < kTextsOffset + 5 * 1024; ++i) s[i] = 'x';
  writeAt(s, kTabOffset, std::nan(""));
  writeAt(s, kTabOffset + 8, -4.0);
  writeAt(s, kTabOffset + 16, std::numeric_limits<double>::infinity());
  writeAt(s, kZoomOffset, 0.0);
  writeAt(s, kCurveOffset, 7.0);
  writeAt(s, kCurveOffset + 8, std::numeric_limits<double>::quiet_NaN());
  writeAt(s, kParamsOffset + 8 * Tags::kGate, 9.0);
  writeAt(s, kParamsOffset + 8 * Tags::kLimiterLevel, 0.0);
  ASSERT_EQ(load(*plug, s), 9976);

  const PlugConfig& config = plug->getConfig();
  for (int t = 0; t < PlugConfig::kNumTexts; ++t) {
    EXPECT_EQ(config.texts[t][1023], '\0');
    EXPECT_EQ(std::strlen(config.texts[t]), 1023u);
  }
  EXPECT_EQ(config.visibleTab, 0.0);  // kept
  EXPECT_EQ(config.scopeDrawMode, 0.0);
  EXPECT_EQ(config.scopeDrawInput, 1.0);
  EXPECT_EQ(config.scopeZoom, 10.0);
  const Rawnfield::Distortion& master = plug->getDistoFx().chains[0].distortion;
  EXPECT_EQ(master.getLutValue(static_cast<unsigned short>(0)), 1.0);
  EXPECT_EQ(master.getLutValue(static_cast<unsigned short>(1)), 0.0);
  EXPECT_EQ(plug->GetParam(Tags::kGate)->Value(), 1.0);
  EXPECT_EQ(plug->GetParam(Tags::kLimiterLevel)->Value(), 0.003981071705534);
}

// The high-quality filter's NaN travels through a chunk both ways, also back
// over a number.
TEST(StateChunk, HighQualityFilterNaNRoundTrips) {
  auto plug = makeEffect();
  const std::string withNaN = stateOf(*plug);
  EXPECT_TRUE(std::isnan(readAt<double>(withNaN, kParamsOffset + 8 * Tags::kHqFilter)));
  setParam(*plug, Tags::kHqFilter, 1.0);
  ASSERT_EQ(load(*plug, withNaN), 9976);
  EXPECT_TRUE(std::isnan(plug->GetParam(Tags::kHqFilter)->Value()));
  EXPECT_TRUE(std::isnan(plug->getProgram().hqFilter));
  EXPECT_TRUE(sameBytes(stateOf(*plug), withNaN));
}

// Restoring a preset changes the sound only: the visible page, the scope
// settings and the remembered files stay.
TEST(StateChunk, RestoringAPresetKeepsTheLiveConfiguration) {
  auto plug = makeEffect();
  ASSERT_EQ(load(*plug, editedState(*plug)), 9976);
  ASSERT_TRUE(plug->RestorePreset(7));
  const PlugConfig& config = plug->getConfig();
  EXPECT_EQ(config.visibleTab, 2.0);
  EXPECT_EQ(config.scopeZoom, 250.0);
  EXPECT_STREQ(config.getText(PlugConfig::kLastProgramFile), "/some/where/prog.txt");
  EXPECT_STREQ(plug->GetPresetName(7), plug->GetPreset(7)->mName);
  // The preset's own values did arrive.
  Rawnfield::HarshbloomProgram expected = Rawnfield::HarshbloomProgram::getFactoryPrograms()[7];
  EXPECT_EQ(plug->GetParam(Tags::kDistortion)->Value(),
            expected.getParameterValue(Tags::kDistortion));
}

TEST(StateChunk, CompareStateReadsTheCurveThenTheParameters) {
  auto plug = makeEffect();
  const std::string s = stateOf(*plug);
  const unsigned char* data = reinterpret_cast<const unsigned char*>(s.data());
  // The high-quality filter's NaN never compares equal, so give it a value.
  setParam(*plug, Tags::kHqFilter, 0.0);
  std::string same = stateOf(*plug);
  const unsigned char* cur = reinterpret_cast<const unsigned char*>(same.data());
  EXPECT_TRUE(plug->CompareState(cur, static_cast<int>(kCurveOffset)));
  setParam(*plug, Tags::kVolume, 0.2);
  EXPECT_FALSE(plug->CompareState(cur, static_cast<int>(kCurveOffset)));
  EXPECT_FALSE(plug->CompareState(data, static_cast<int>(kCurveOffset)));
}
