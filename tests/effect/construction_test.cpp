// Building the effect: what the host sees, the live program, the factory
// presets and the state the units start in.
#include <cmath>

#include "effect_fixture.h"

namespace {

using Rawnfield::HarshbloomProgram;
namespace Tags = Rawnfield::Harshbloom;

// Bit-for-bit equality of the 65 values of two records (the NaN included).
void expectSameRecord(const Rawnfield::RNFxProgram& a, const Rawnfield::RNFxProgram& b) {
  HarshbloomProgram pa, pb;
  pa.setProgram(a);
  pb.setProgram(b);
  for (int i = 0; i < Tags::kNumProgramValues; ++i) {
    const double x = pa.getParameterValue(static_cast<Tags::eParameterTags>(i));
    const double y = pb.getParameterValue(static_cast<Tags::eParameterTags>(i));
    EXPECT_EQ(0, std::memcmp(&x, &y, sizeof x)) << "value " << i << ": " << x << " vs " << y;
  }
}

}  // namespace

TEST(Construction, HostSeesTheEffectsIdentity) {
  auto plug = makeEffect();
  EXPECT_EQ(plug->NParams(), 85);
  EXPECT_EQ(plug->NPresets(), 90);
  EXPECT_STREQ(plug->GetEffectName(), "Harshbloom 1.1");
  EXPECT_STREQ(plug->GetProductName(), "");
  EXPECT_STREQ(plug->GetMfrName(), "Rawnfield");
  EXPECT_EQ(plug->GetEffectVersion(false), 0x10100);
  EXPECT_EQ(plug->GetUniqueID(), 0x68623130);  // "hb10"
  EXPECT_EQ(plug->GetMfrID(), 0x52774664);     // "RwFd"
  EXPECT_EQ(plug->GetLatency(), 0);
  EXPECT_FALSE(plug->DoesMIDI());
  EXPECT_TRUE(plug->DoesStateChunks());
  EXPECT_STREQ(plug->GetBundleID(), Harshbloom::kBundleID);
  // "1-1 2-2"
  ASSERT_EQ(plug->NChannelIO(), 2);
  int in = 0, out = 0;
  plug->GetChannelIO(0, &in, &out);
  EXPECT_EQ(in, 1);
  EXPECT_EQ(out, 1);
  plug->GetChannelIO(1, &in, &out);
  EXPECT_EQ(in, 2);
  EXPECT_EQ(out, 2);
  EXPECT_EQ(plug->NInChannels(), 2);
  EXPECT_EQ(plug->NOutChannels(), 2);
}

TEST(Construction, StartsWithTheFirstFactoryProgram) {
  auto plug = makeEffect();
  const std::vector<HarshbloomProgram> factory = HarshbloomProgram::getFactoryPrograms();
  ASSERT_EQ(factory.size(), 90u);
  EXPECT_EQ(factory[0].getProgramName(), "Initial Preset (Single-Band)");
  expectSameRecord(plug->getProgram(), factory[0].getProgram());
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 0);
  EXPECT_EQ(plug->getPendingCurveAction(), Rawnfield::Types::kNoCurveAction);
  EXPECT_FALSE(plug->isPlaying());

  // The units already follow it: a few settings that differ from the units'
  // own construction defaults.
  EXPECT_EQ(plug->getSoftClipper().mode, 0u);       // LimiterMode 0
  EXPECT_TRUE(plug->getSubBandProcessor().bypass);  // SubBandProcOnOff 0
  EXPECT_EQ(plug->getFilterUnit().getFilterType2(), Rawnfield::Types::kChebyshevHighPass24dB);

  const Rawnfield::PlugConfig& config = plug->getConfig();
  EXPECT_EQ(config.versionMajor, 1.0);
  EXPECT_EQ(config.versionMinor, 1.0);
  EXPECT_EQ(config.versionBuild, 0.0);
  EXPECT_EQ(config.versionRevision, 5302.0);
  EXPECT_EQ(config.visibleTab, 0.0);
  EXPECT_STREQ(config.getText(Rawnfield::PlugConfig::kProductName), "Harshbloom");
}

// The output smoothers and the level follower as construction leaves them,
// and again after blocks have moved them: the pan and volume smoothers back
// at the centre and unity, the dry/wet and bypass smoothers only at their
// speeds.
TEST(Construction, InternalParametersReturnToTheirStart) {
  auto plug = makeEffect();
  auto expectStart = [&plug](double rate) {
    const struct {
      const Rawnfield::Smoother& smoother;
      double a;
    } speeds[] = {{plug->getPanSmoother(), 0.9777},
                  {plug->getVolumeSmoother(), 0.9777},
                  {plug->getDryWetSmoother(), 0.9777},
                  {plug->getBypassSmoother(), 0.988}};
    for (const auto& k : speeds) {
      EXPECT_EQ(k.smoother.a, k.a);
      EXPECT_EQ(k.smoother.b, 1.0 - k.a);
    }
    EXPECT_EQ(plug->getPanSmoother().state, 0.5);
    EXPECT_EQ(plug->getVolumeSmoother().state, 1.0);
    const Rawnfield::EnvFollower& follower = plug->getLevelFollower();
    EXPECT_EQ(follower.attackTime, 0.01);
    EXPECT_EQ(follower.releaseTime, 0.5);
    EXPECT_EQ(follower.attackCoef, std::exp(-1.0 / (rate * 0.01)));
    EXPECT_EQ(follower.releaseCoef, std::exp(-1.0 / (rate * 0.5)));
  };
  expectStart(44100.0);

  plug->SetSampleRate(48000.0);
  plug->SetBlockSize(64);
  plug->Reset();
  plug->SetParameterFromGUI(Tags::kPan, 0.0);
  plug->SetParameterFromGUI(Tags::kVolume, 0.1);
  plug->SetParameterFromGUI(Tags::kDryWet, 0.5);
  Block in(64, 0.25, 0.25), out(64);
  for (int i = 0; i < 4; ++i) plug->LockMutexAndProcessDoubleReplacing(in.io, out.io, 64);
  ASSERT_LT(plug->getPanSmoother().state, 0.5);
  ASSERT_LT(plug->getVolumeSmoother().state, 1.0);
  const double dryWet = plug->getDryWetSmoother().state;
  const double bypass = plug->getBypassSmoother().state;
  ASSERT_NE(dryWet, 0.0);

  plug->initInternalParameters();
  expectStart(48000.0);
  EXPECT_EQ(plug->getDryWetSmoother().state, dryWet);
  EXPECT_EQ(plug->getBypassSmoother().state, bypass);
}

// Every factory preset is a full state chunk of the program, with the
// built-in curve of its type, and restores to exactly that program.
TEST(Construction, FactoryPresetsAreStateChunksThatRestore) {
  auto plug = makeEffect();
  const std::vector<HarshbloomProgram> factory = HarshbloomProgram::getFactoryPrograms();
  Rawnfield::DistortionDataProvider provider;
  Rawnfield::Distortion reference(provider);
  reference.init();
  for (int i = 0; i < 90; ++i) {
    SCOPED_TRACE(i);
    const IPreset* preset = plug->GetPreset(i);
    ASSERT_TRUE(preset->mInitialized);
    EXPECT_EQ(factory[i].getProgramName(), preset->mName);
    const ByteChunk& chunk = preset->mChunk;
    ASSERT_EQ(chunk.Size(), Harshbloom::kStateChunkSize);
    const std::string bytes(reinterpret_cast<const char*>(chunk.GetBytes()), 9976);
    EXPECT_EQ(readAt<int32_t>(bytes, 0), 5192);
    EXPECT_EQ(readAt<int32_t>(bytes, kCountOffset), 597);
    const std::vector<double> data = factory[i].getDataVector(reference);
    ASSERT_EQ(data.size(), 597u);
    EXPECT_EQ(0, std::memcmp(bytes.data() + kCurveOffset, data.data(), 597 * 8));

    ASSERT_TRUE(plug->RestorePreset(i));
    EXPECT_EQ(plug->GetCurrentPresetIdx(), i);
    expectSameRecord(plug->getProgram(), factory[i].getProgram());
    const Rawnfield::Distortion& master = plug->getDistoFx().chains[0].distortion;
    for (int k = 0; k < 512; k += 37)
      EXPECT_EQ(master.getLutValue(static_cast<unsigned short>(k)), data[static_cast<size_t>(k)]);
  }
}

TEST(Construction, MakePlugBuildsSeparateInstances) {
  auto a = makeEffect();
  auto b = makeEffect();
  setParam(*a, Tags::kVolume, 0.25);
  EXPECT_EQ(b->GetParam(Tags::kVolume)->Value(), 1.0);
}
