#include <RtMidi.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "IGraphicsDesktop.h"
#include "test_plug.h"

namespace {

class ChannelPlug : public IFxStandalone {
public:
  explicit ChannelPlug(const char* io)
      : IFxStandalone(IFxInstanceInfo(), 0, io, 0, "Channels", "", "Maker", 0x10000, 1, 2, 0, false,
                      false, false, 0) {}
};

struct ChannelCase {
  const char* io;
  int pairs, ins, outs;
};

class ChannelStrings : public ::testing::TestWithParam<ChannelCase> {};

TEST_P(ChannelStrings, GiveThePairsAndTheLargestCounts) {
  ChannelPlug plug(GetParam().io);
  EXPECT_EQ(plug.NChannelIO(), GetParam().pairs);
  EXPECT_EQ(plug.NInChannels(), GetParam().ins);
  EXPECT_EQ(plug.NOutChannels(), GetParam().outs);
}

INSTANTIATE_TEST_SUITE_P(Strings, ChannelStrings,
                         ::testing::Values(ChannelCase{"2-2", 1, 2, 2},
                                           ChannelCase{"1-1 2-2", 2, 2, 2},
                                           ChannelCase{"0-2 1-1", 2, 1, 2},
                                           ChannelCase{"1-1 junk 2-2", 1, 1, 1},
                                           ChannelCase{"", 0, 0, 0}),
                         [](const ::testing::TestParamInfo<ChannelCase>& info) {
                           return "case" + std::to_string(info.index);
                         });

TEST(PlugBase, ChannelPairsAndConnections) {
  ChannelPlug plug("1-1 2-2 4-4");
  int in = 0, out = 0;
  ASSERT_TRUE(plug.GetChannelIO(1, &in, &out));
  EXPECT_EQ(in, 2);
  EXPECT_EQ(out, 2);
  EXPECT_FALSE(plug.GetChannelIO(3, &in, &out));
  EXPECT_TRUE(plug.LegalIO(2, 2));
  EXPECT_TRUE(plug.LegalIO(-1, 4));
  EXPECT_FALSE(plug.LegalIO(1, 2));

  // The standalone plug-in connects every channel.
  EXPECT_TRUE(plug.IsInChannelConnected(3));
  EXPECT_FALSE(plug.IsInChannelConnected(4));
  plug.LimitToStereoIO();
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_TRUE(plug.IsOutChannelConnected(3));
  plug.SetOutputChannelConnections(1, 100, false);
  EXPECT_TRUE(plug.IsOutChannelConnected(0));
  EXPECT_FALSE(plug.IsOutChannelConnected(3));

  plug.SetInputLabel(0, "left in");
  plug.SetInputLabel(9, "ignored");
  EXPECT_STREQ(plug.GetInputLabel(0), "left in");
  plug.SetInputBusLabel(0, "main");
  plug.SetInputBusLabel(0, "main 2");
  plug.SetInputBusLabel(2, "refused");
  plug.SetOutputBusLabel(0, "out");
  EXPECT_STREQ(plug.GetInputBusLabel(0), "main 2");
  EXPECT_STREQ(plug.GetInputBusLabel(1), "");
  EXPECT_STREQ(plug.GetOutputBusLabel(0), "out");
}

TEST(PlugBase, StandaloneDefaults) {
  TestPlug plug;
  EXPECT_EQ(plug.GetAPI(), kAPIStandalone);
  EXPECT_STREQ(plug.GetAPIString(), "Standalone");
  EXPECT_EQ(plug.GetHost(), kHostStandalone);
  EXPECT_EQ(plug.GetHostVersion(true), 10203);
  EXPECT_EQ(plug.GetEffectVersion(false), TestPlug::kVersion);
  char text[32];
  plug.GetEffectVersionStr(text);
  EXPECT_STREQ(text, "v1.2.3");
  EXPECT_EQ(plug.GetBlockSize(), 1024);
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  EXPECT_EQ(plug.GetSamplesPerBeat(), 22050.0);
  EXPECT_STREQ(plug.GetBundleID(), "com.test.effect");
  EXPECT_STREQ(plug.GetArchString(), "x64");
  EXPECT_FALSE(plug.MidiNoteName(60, text));
  EXPECT_STREQ(text, "");
}

TEST(PlugBase, NamesLongerThanTheirFieldsAreCut) {
  const std::string longName(300, 'e');
  IFxStandalone other(IFxInstanceInfo(), 0, "1-1", 0, longName.c_str(), longName.c_str(),
                      longName.c_str(), 0, 0, 0, 0, false, false, false, 0);
  EXPECT_EQ(std::string(other.GetEffectName()), longName.substr(0, 127));
  EXPECT_EQ(std::string(other.GetMfrName()), longName.substr(0, 127));
}

TEST(PlugBase, DefaultProcessingCopiesSharedChannelsAndZeroesTheRest) {
  ChannelPlug plug("1-2");
  double in0[4] = {1, 2, 3, 4}, out0[4] = {}, out1[4] = {9, 9, 9, 9};
  double* ins[] = {in0};
  double* outs[] = {out0, out1};
  plug.ProcessDoubleReplacing(ins, outs, 4);
  EXPECT_EQ(std::vector<double>(out0, out0 + 4), std::vector<double>(in0, in0 + 4));
  EXPECT_EQ(std::vector<double>(out1, out1 + 4), std::vector<double>(4, 0.0));
}

TEST(PlugBase, FloatBuffersConvertThroughTheScratchBuffers) {
  ChannelPlug plug("2-2");
  plug.SetBlockSize(4);
  float inL[8] = {1, 2, 3, 4, 5, 6, 7, 8}, inR[4] = {-1, -2, -3, -4};
  float outL[8] = {}, outR[4] = {10, 10, 10, 10};
  float* ins[] = {inL, inR};
  float* outs[] = {outL, outR};
  // Eight frames asked for, four held: only four are touched.
  plug.AttachInputBuffers(0, 2, ins, 8);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffersAccumulating(0.0f, 8);
  EXPECT_EQ(std::vector<float>(outR, outR + 4), (std::vector<float>{9, 8, 7, 6}));
  EXPECT_EQ(std::vector<float>(outL, outL + 8), (std::vector<float>{1, 2, 3, 4, 0, 0, 0, 0}));
}

TEST(PlugBase, SetBlockSizeZeroesScratchOnlyOnChange) {
  ChannelPlug plug("1-1");
  plug.SetBlockSize(4);
  plug.SetInputChannelConnections(0, 1, false);
  float in[4] = {1, 1, 1, 1}, out[4] = {};
  float* outs[] = {out};
  plug.AttachOutputBuffers(0, 1, outs);
  // A disconnected input reads its scratch buffer, which is zero.
  plug.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(out[0], 0.0f);

  plug.SetInputChannelConnections(0, 1, true);
  float* ins[] = {in};
  plug.AttachInputBuffers(0, 1, ins, 4);  // scratch now holds ones
  plug.SetInputChannelConnections(0, 1, false);
  plug.SetBlockSize(4);  // unchanged size: contents kept
  plug.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(out[3], 1.0f);
  plug.SetBlockSize(64);  // new size: zeroed, and the slot follows the new block
  plug.AttachOutputBuffers(0, 1, outs);
  plug.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(out[3], 0.0f);
}

TEST(PlugBase, MutexIsHeldAroundProcessingAndEditorChanges) {
  TestPlug plug;
  MutexProbe probe;
  bool heldDuringCall = false;
  auto check = [&] {
    probe.Start(plug.GetMutex());
    heldDuringCall = !probe.EnteredWithin(50);
  };

  // The probe itself gets in when nobody holds the mutex.
  MutexProbe free;
  free.Start(plug.GetMutex());
  free.Join();
  EXPECT_TRUE(free.Entered());

  plug.onProcess = check;
  double buf[8] = {};
  double* io[] = {buf, buf};
  plug.LockMutexAndProcessDoubleReplacing(io, io, 8);
  probe.Join();
  EXPECT_TRUE(heldDuringCall);
  EXPECT_TRUE(probe.Entered());

  MutexProbe probe2;
  heldDuringCall = false;
  plug.onProcess = nullptr;
  plug.onParamChange = [&] {
    probe2.Start(plug.GetMutex());
    heldDuringCall = !probe2.EnteredWithin(50);
  };
  plug.SetParameterFromGUI(TestPlug::kGain, 0.75);
  probe2.Join();
  EXPECT_TRUE(heldDuringCall);
  EXPECT_DOUBLE_EQ(plug.GetParam(TestPlug::kGain)->Value(), 6.0);
  ASSERT_EQ(plug.informed.size(), 1u);
  EXPECT_EQ(plug.informed[0], (std::pair<int, double>(TestPlug::kGain, 0.75)));
  EXPECT_EQ(plug.changes, std::vector<int>{TestPlug::kGain});
}

TEST(PlugBase, SetParameterFromGUIIgnoresBadIndicesAndNaN) {
  TestPlug plug;
  plug.SetParameterFromGUI(-1, 0.5);
  plug.SetParameterFromGUI(TestPlug::kNumParams, 0.5);
  plug.SetParameterFromGUI(TestPlug::kSteps, std::nan(""));
  EXPECT_TRUE(plug.changes.empty());
  EXPECT_EQ(plug.GetParam(TestPlug::kSteps)->Value(), 5.0);
}

class FakeEditor : public IGraphicsDesktop {
public:
  FakeEditor(bool* deleted, int w = 650, int h = 830)
      : IGraphicsDesktop(nullptr, w, h), mDeleted(deleted) {}
  ~FakeEditor() override { *mDeleted = true; }
  void SetParameterFromPlug(int idx, double v, bool normalized) override {
    pushed.push_back({idx, v, normalized});
  }
  void PrepDraw() override { ++prepared; }

  struct Push {
    int idx;
    double value;
    bool normalized;
  };
  std::vector<Push> pushed;
  int prepared = 0;

private:
  bool* mDeleted;
};

class FakeWindow : public IFxHostWindow {
public:
  bool GetFrame(int* l, int* t, int* r, int* b) override {
    *l = 100, *t = 50, *r = 900, *b = 1000;
    return true;
  }
  void SetFrame(int x, int y, int w, int h) override { frame = {x, y, w, h}; }
  std::vector<int> frame;
};

TEST(PlugBase, AttachGraphicsPushesNormalisedValuesAndOwnsTheEditor) {
  bool deleted = false;
  {
    TestPlug plug;
    plug.AttachGraphics(nullptr);  // ignored
    EXPECT_EQ(plug.GetGUI(), nullptr);
    plug.RedrawParamControls();  // no editor: nothing to do

    FakeEditor* editor = new FakeEditor(&deleted);
    plug.AttachGraphics(editor);
    ASSERT_EQ(editor->pushed.size(), 4u);
    EXPECT_EQ(editor->pushed[0].value, 0.5);  // gain 0 dB on -12..12
    EXPECT_TRUE(editor->pushed[0].normalized);
    EXPECT_EQ(editor->prepared, 1);

    editor->pushed.clear();
    plug.RedrawParamControls();
    ASSERT_EQ(editor->pushed.size(), 4u);
    EXPECT_EQ(editor->pushed[2].value, 5.0);  // plain values this time
    EXPECT_FALSE(editor->pushed[2].normalized);

    FakeWindow window;
    plug.SetHostWindow(&window);
    plug.ResizeGraphics(650, 830);
    EXPECT_EQ(window.frame, (std::vector<int>{100, 1000 - 22 - 830, 650, 852}));
  }
  EXPECT_TRUE(deleted);
}

TEST(PlugBase, ResizeGraphicsWithoutEditorLeavesTheWindow) {
  TestPlug plug;
  FakeWindow window;
  plug.SetHostWindow(&window);
  plug.ResizeGraphics(10, 10);
  EXPECT_TRUE(window.frame.empty());
}

// Captures what reaches a MIDI output port.
class CaptureApi : public MidiOutApi {
public:
  RtMidi::Api getCurrentApi() override { return RtMidi::RTMIDI_DUMMY; }
  void openPort(unsigned int, const std::string&) override {}
  void openVirtualPort(const std::string&) override {}
  void closePort() override {}
  void setClientName(const std::string&) override {}
  void setPortName(const std::string&) override {}
  unsigned int getPortCount() override { return 0; }
  std::string getPortName(unsigned int) override { return ""; }
  void sendMessage(const unsigned char* m, size_t n) override { sent.emplace_back(m, m + n); }
  std::vector<std::vector<unsigned char>> sent;

protected:
  void initialize(const std::string&) override {}
};

class CaptureMidiOut : public RtMidiOut {
public:
  // The JACK back end needs no server until a port opens.
  CaptureMidiOut() : RtMidiOut(RtMidi::UNIX_JACK) {
    delete rtapi_;
    api = new CaptureApi;
    rtapi_ = api;
  }
  CaptureApi* api;
};

struct MidiCase {
  bool doesMidi;
  int channel;
  uint8_t status;
  int sentStatus;  // -1: nothing sent
};

class SendMidi : public ::testing::TestWithParam<MidiCase> {};

TEST_P(SendMidi, RewritesTheChannelOfChannelMessages) {
  const MidiCase& c = GetParam();
  CaptureMidiOut out;
  unsigned short channel = static_cast<unsigned short>(c.channel);
  TestPlug plug(true, 4, c.doesMidi, &out, &channel);
  IMidiMsg msg(0, c.status, 60, 100);
  const bool sent = plug.SendMidiMsg(&msg);
  EXPECT_EQ(sent, c.sentStatus >= 0);
  if (c.sentStatus < 0) {
    EXPECT_TRUE(out.api->sent.empty());
  } else {
    ASSERT_EQ(out.api->sent.size(), 1u);
    EXPECT_EQ(out.api->sent[0],
              (std::vector<unsigned char>{static_cast<unsigned char>(c.sentStatus), 60, 100}));
  }
  EXPECT_EQ(msg.mStatus, c.status);  // the caller's message is left alone
}

INSTANTIATE_TEST_SUITE_P(Channels, SendMidi,
                         ::testing::Values(MidiCase{true, 0, 0x93, 0x93},
                                           MidiCase{true, 10, 0x90, 0x99},
                                           MidiCase{true, 16, 0xB3, 0xBF},
                                           MidiCase{true, 17, 0x93, 0x93},
                                           MidiCase{true, 10, 0xF8, 0xF8},  // no channel
                                           MidiCase{false, 10, 0x90, -1}),
                         [](const ::testing::TestParamInfo<MidiCase>& info) {
                           return std::string(info.param.doesMidi ? "midi" : "nomidi") +
                                  "_channel" + std::to_string(info.param.channel) + "_status" +
                                  std::to_string(info.param.status);
                         });

TEST(PlugBase, MidiPassesThroughProcessMidiMsgAndSysEx) {
  CaptureMidiOut out;
  TestPlug withMidi(true, 4, true, &out, nullptr);
  IMidiMsg msg(0, 0x80, 1, 2);
  withMidi.ProcessMidiMsg(&msg);
  const uint8_t bytes[] = {0xF0, 0x01, 0xF7};
  ISysEx sysex(0, bytes, 3);
  EXPECT_TRUE(withMidi.SendSysEx(&sysex));
  ASSERT_EQ(out.api->sent.size(), 2u);
  EXPECT_EQ(out.api->sent[1], (std::vector<unsigned char>{0xF0, 0x01, 0xF7}));

  IMidiMsg a(0, 0x90, 60, 1), b(0, 0x80, 60, 0);
  KIT_PtrList<IMidiMsg> list;
  list.Add(&a);
  list.Add(&b);
  EXPECT_TRUE(withMidi.SendMidiMsgs(&list));
  EXPECT_EQ(out.api->sent.size(), 4u);

  TestPlug noOutput(true, 4, true, nullptr, nullptr);
  EXPECT_FALSE(noOutput.SendMidiMsg(&msg));
  EXPECT_FALSE(noOutput.SendSysEx(&sysex));
  EXPECT_FALSE(noOutput.SendMidiMsgs(&list));
}

}  // namespace
