#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "test_plug.h"

namespace {

uint32_t BE32At(const std::string& s, size_t at) {
  return static_cast<uint32_t>(static_cast<unsigned char>(s[at])) << 24 |
         static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8 |
         static_cast<unsigned char>(s[at + 3]);
}

float BEFloatAt(const std::string& s, size_t at) {
  const uint32_t bits = BE32At(s, at);
  float f;
  memcpy(&f, &bits, 4);
  return f;
}

void SetBE32(std::string* s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*s)[at + i] = static_cast<char>(v >> (24 - 8 * i));
}

void SetBEFloat(std::string* s, size_t at, float f) {
  uint32_t bits;
  memcpy(&bits, &f, 4);
  SetBE32(s, at, bits);
}

std::string LE64(double d) {
  return std::string(reinterpret_cast<const char*>(&d), 8);
}

class FileTest : public ::testing::Test {
protected:
  void TearDown() override {
    for (const std::string& p : mPaths) remove(p.c_str());
  }
  std::string Path(const std::string& name) {
    mPaths.push_back(TempPath(name));
    return mPaths.back();
  }
  // Saves with the given member and returns the file's bytes.
  std::string SavedProgram(TestPlug& plug) {
    const std::string p = Path("saved.fxp");
    EXPECT_TRUE(plug.SaveProgramAsFXP(p.c_str()));
    return ReadFile(p);
  }
  std::string SavedBank(TestPlug& plug) {
    const std::string p = Path("saved.fxb");
    EXPECT_TRUE(plug.SaveBankAsFXB(p.c_str()));
    return ReadFile(p);
  }
  bool LoadProgram(TestPlug& plug, const std::string& bytes) {
    const std::string p = Path("load.fxp");
    WriteFile(p, bytes);
    return plug.LoadProgramFromFXP(p.c_str());
  }
  bool LoadBank(TestPlug& plug, const std::string& bytes) {
    const std::string p = Path("load.fxb");
    WriteFile(p, bytes);
    return plug.LoadBankFromFXB(p.c_str());
  }
  // A plug-in with filled presets whose running state differs from them.
  static void Populate(TestPlug& plug) {
    plug.SetValues(-6.0, 2, 3, true);
    plug.MakeDefaultPreset("alpha", 1);
    plug.SetValues(6.0, 0, 9, false);
    plug.MakeDefaultPreset("beta", 1);
    EXPECT_TRUE(plug.RestorePreset(1));
    plug.SetValues(1.5, 1, 4, true);
  }

private:
  std::vector<std::string> mPaths;
};

TEST_F(FileTest, ChunkProgramLayout) {
  TestPlug plug;
  plug.SetValues(3.0, 2, 7, true);
  ASSERT_TRUE(plug.ModifyCurrentPreset("Prog"));
  const std::string f = SavedProgram(plug);
  const std::string state =
      "tffp" + std::string("\0\0\1\0", 4) + LE64(3.0) + LE64(2.0) + LE64(7.0) + LE64(1.0);
  ASSERT_EQ(f.size(), 60 + state.size());
  EXPECT_EQ(f.substr(0, 4), "CcnK");
  EXPECT_EQ(BE32At(f, 4), state.size() + 60);
  EXPECT_EQ(f.substr(8, 4), "FPCh");
  EXPECT_EQ(BE32At(f, 12), 1u);
  EXPECT_EQ(BE32At(f, 16), static_cast<uint32_t>(TestPlug::kID));
  EXPECT_EQ(BE32At(f, 20), 10203u);
  EXPECT_EQ(BE32At(f, 24), 4u);
  EXPECT_EQ(f.substr(28, 28), std::string("Prog") + std::string(24, '\0'));
  EXPECT_EQ(BE32At(f, 56), state.size());
  EXPECT_EQ(f.substr(60), state);
}

TEST_F(FileTest, ParamProgramLayout) {
  TestPlug plug(false);
  plug.SetValues(6.0, 2, 5, false);
  const std::string f = SavedProgram(plug);
  ASSERT_EQ(f.size(), 56u + 16u);
  EXPECT_EQ(BE32At(f, 4), 0u);
  EXPECT_EQ(f.substr(8, 4), "FxCk");
  EXPECT_EQ(f.substr(28, 28), "empty" + std::string(23, '\0'));
  EXPECT_EQ(BE32At(f, 56), 0x3F400000u);  // 6 dB on -12..12 is 0.75
  EXPECT_EQ(BEFloatAt(f, 60), 1.0f);
  EXPECT_EQ(BEFloatAt(f, 64), 0.5f);
  EXPECT_EQ(BEFloatAt(f, 68), 0.0f);
}

TEST_F(FileTest, ChunkBankLayout) {
  TestPlug plug;
  Populate(plug);
  const std::string f = SavedBank(plug);
  ByteChunk presets;
  ASSERT_TRUE(plug.SerializePresets(&presets));
  const std::string state = "tffp" + std::string("\0\0\1\0", 4) + ChunkBytes(presets);
  ASSERT_EQ(f.size(), 160 + state.size());
  EXPECT_EQ(BE32At(f, 4), state.size() + 160);
  EXPECT_EQ(f.substr(8, 4), "FBCh");
  EXPECT_EQ(BE32At(f, 12), 2u);
  EXPECT_EQ(BE32At(f, 24), 4u);
  EXPECT_EQ(BE32At(f, 28), 1u);
  EXPECT_EQ(f.substr(32, 124), std::string(124, '\0'));
  EXPECT_EQ(BE32At(f, 156), state.size());
  EXPECT_EQ(f.substr(160), state);
}

TEST_F(FileTest, ParamBankLayout) {
  TestPlug plug(false, 3);
  plug.SetValues(-12.0, 1, 10, true);
  plug.MakeDefaultPreset("full", 1);
  ByteChunk one;
  const double gain = 12.0;
  one.Put(&gain);
  ASSERT_TRUE(plug.MakePresetFromChunk("short", &one));  // state runs out after one value
  const std::string f = SavedBank(plug);
  ASSERT_EQ(f.size(), 156u + 3 * (56 + 16));
  EXPECT_EQ(BE32At(f, 4), 0u);
  EXPECT_EQ(f.substr(8, 4), "FxBk");
  EXPECT_EQ(BE32At(f, 24), 3u);
  const size_t p1 = 156 + 72;
  EXPECT_EQ(f.substr(p1, 4), "CcnK");
  EXPECT_EQ(BE32At(f, p1 + 4), 0u);
  EXPECT_EQ(f.substr(p1 + 8, 4), "FxCk");
  EXPECT_EQ(BE32At(f, p1 + 12), 1u);
  EXPECT_EQ(BE32At(f, p1 + 24), 4u);
  EXPECT_EQ(f.substr(p1 + 28, 6), std::string("short\0", 6));
  EXPECT_EQ(BEFloatAt(f, p1 + 56), 1.0f);
  EXPECT_EQ(BEFloatAt(f, p1 + 60), 0.0f);
  EXPECT_EQ(BEFloatAt(f, 156 + 56), 0.0f);
  EXPECT_EQ(BEFloatAt(f, 156 + 60), 0.5f);
  EXPECT_EQ(f.substr(156 + 144 + 28, 6), std::string("empty\0", 6));
}

TEST_F(FileTest, ChunkProgramRoundTripRenamesTheCurrentPreset) {
  TestPlug plug;
  plug.SetValues(-4.5, 0, 8, true);
  const std::string f = SavedProgram(plug);  // the name of unfilled preset 0: "empty"

  TestPlug other;
  Populate(other);
  std::string named = f;
  memcpy(&named[28], "Loaded", 7);
  ASSERT_TRUE(LoadProgram(other, named));
  EXPECT_EQ(other.Values(), (std::vector<double>{-4.5, 0.0, 8.0, 1.0}));
  EXPECT_EQ(other.GetCurrentPresetIdx(), 1);
  EXPECT_STREQ(other.GetPresetName(1), "Loaded");
  EXPECT_EQ(other.programChanges, 1);
  ByteChunk state;
  other.SerializeState(&state);
  EXPECT_TRUE(other.GetPreset(1)->mChunk.IsEqual(state));
  // A file whose state block has no "tffp" head loads too.
  TestPlug third;
  std::string bare = f.substr(0, 60) + f.substr(68);
  SetBE32(&bare, 56, static_cast<uint32_t>(bare.size() - 60));
  ASSERT_TRUE(LoadProgram(third, bare));
  EXPECT_EQ(third.Values(), other.Values());
}

TEST_F(FileTest, ParamProgramRoundTrip) {
  TestPlug plug(false);
  plug.SetValues(3.0, 2, 4, true);
  const std::string f = SavedProgram(plug);
  TestPlug other(false);
  ASSERT_TRUE(LoadProgram(other, f));
  EXPECT_EQ(other.Values(), plug.Values());
  EXPECT_EQ(other.changes.size(), 4u);  // dispatched through the restore
}

TEST_F(FileTest, BankRoundTripsAreByteIdentical) {
  for (bool chunks : {true, false}) {
    TestPlug plug(chunks);
    Populate(plug);
    const std::string f = SavedBank(plug);
    TestPlug other(chunks);
    other.EnsureDefaultPreset();
    ASSERT_TRUE(other.RestorePreset(1));  // a chunk bank keeps the plug-in's current preset
    ASSERT_TRUE(LoadBank(other, f)) << chunks;
    EXPECT_EQ(SavedBank(other), f) << chunks;
    EXPECT_EQ(other.GetCurrentPresetIdx(), 1);
    EXPECT_STREQ(other.GetPresetName(0), "alpha");
    EXPECT_EQ(other.Values(), (std::vector<double>{6.0, 0.0, 9.0, 0.0}));
    EXPECT_EQ(other.programChanges, 1);
  }
}

TEST_F(FileTest, FilesForAnotherPlugInOrOfAnotherKindAreRefused) {
  TestPlug chunkPlug;
  TestPlug paramPlug(false);
  const std::string prog = SavedProgram(chunkPlug), bank = SavedBank(chunkPlug);
  TestPlug target;
  Populate(target);
  const std::string before = Everything(target);

  std::vector<std::string> refused;
  for (const std::string* f : {&prog, &bank}) {
    std::string wrongID = *f, wrongMagic = *f, wrongKind = *f;
    SetBE32(&wrongID, 16, TestPlug::kID + 1);
    wrongMagic[0] = 'X';
    memcpy(&wrongKind[8], "FxXX", 4);
    refused.insert(refused.end(), {wrongID, wrongMagic, wrongKind});
  }
  std::string wrongVersion = prog;
  SetBE32(&wrongVersion, 12, 2);
  refused.push_back(wrongVersion);
  for (size_t i = 0; i < refused.size(); ++i) {
    EXPECT_FALSE(LoadProgram(target, refused[i])) << i;
    EXPECT_FALSE(LoadBank(target, refused[i])) << i;
    ASSERT_EQ(Everything(target), before) << i;
  }
  // A plug-in without state chunks takes no chunk files.
  const std::string paramBefore = Everything(paramPlug);
  EXPECT_FALSE(LoadProgram(paramPlug, prog));
  EXPECT_FALSE(LoadBank(paramPlug, bank));
  EXPECT_EQ(Everything(paramPlug), paramBefore);

  EXPECT_FALSE(target.LoadProgramFromFXP(""));
  EXPECT_FALSE(target.LoadBankFromFXB(Path("missing.fxb").c_str()));
  EXPECT_FALSE(target.SaveProgramAsFXP(""));
  EXPECT_FALSE(target.SaveBankAsFXB(nullptr));
  EXPECT_FALSE(target.SaveBankAsFXB("/nonexistent-folder/x.fxb"));
  EXPECT_EQ(target.programChanges, 0);
}

TEST_F(FileTest, TruncationAtEveryBoundaryIsRefusedWithNothingChanged) {
  for (bool chunks : {true, false}) {
    TestPlug source(chunks);
    Populate(source);
    const std::string files[] = {SavedProgram(source), SavedBank(source)};
    TestPlug target(chunks);
    Populate(target);
    target.SetValues(0.25, 2, 1, false);
    const std::string before = Everything(target);
    for (int kind = 0; kind < 2; ++kind) {
      for (size_t cut = 0; cut < files[kind].size(); ++cut) {
        const std::string part = files[kind].substr(0, cut);
        EXPECT_FALSE(kind ? LoadBank(target, part) : LoadProgram(target, part))
            << chunks << " " << kind << " " << cut;
        ASSERT_EQ(Everything(target), before) << chunks << " " << kind << " " << cut;
      }
    }
    EXPECT_EQ(target.programChanges, 0);
  }
}

TEST_F(FileTest, LengthsThatLieAreRefusedWithNothingChanged) {
  TestPlug source;
  Populate(source);
  const std::string prog = SavedProgram(source), bank = SavedBank(source);
  TestPlug target;
  Populate(target);
  const std::string before = Everything(target);

  std::vector<std::string> badPrograms, badBanks;
  for (uint32_t len : {0xFFFFFFFFu, 0x7FFFFFFFu, static_cast<uint32_t>(prog.size() - 59)}) {
    badPrograms.push_back(prog);
    SetBE32(&badPrograms.back(), 56, len);
  }
  // The length field agrees with the file, but the state inside is cut short.
  for (size_t keep : {size_t(8), size_t(20), prog.size() - 61}) {
    std::string s = prog.substr(0, 60 + keep);
    SetBE32(&s, 56, static_cast<uint32_t>(keep));
    badPrograms.push_back(s);
  }
  // The same for the preset bank, cut at every byte.
  for (size_t keep = 0; keep < bank.size() - 160; ++keep) {
    std::string s = bank.substr(0, 160 + keep);
    SetBE32(&s, 156, static_cast<uint32_t>(keep));
    badBanks.push_back(s);
  }
  // A bank declaring another number of presets than the plug-in has.
  for (uint32_t n : {3u, 5u, 0xFFFFFFFFu}) {
    badBanks.push_back(bank);
    SetBE32(&badBanks.back(), 24, n);
  }
  for (size_t i = 0; i < badPrograms.size(); ++i) {
    EXPECT_FALSE(LoadProgram(target, badPrograms[i])) << i;
    ASSERT_EQ(Everything(target), before) << i;
  }
  for (size_t i = 0; i < badBanks.size(); ++i) {
    EXPECT_FALSE(LoadBank(target, badBanks[i])) << i;
    ASSERT_EQ(Everything(target), before) << i;
  }
}

TEST_F(FileTest, BadParamBanksAreRefusedBeforeAnyPresetChanges) {
  TestPlug source(false);
  Populate(source);
  const std::string bank = SavedBank(source);
  TestPlug target(false);
  Populate(target);
  const std::string before = Everything(target);
  const size_t program = 56 + 16;

  std::vector<std::string> bad;
  bad.push_back(bank);  // program 2 counts another number of parameters
  SetBE32(&bad.back(), 156 + 2 * program + 24, 3);
  bad.push_back(bank);  // program 3 is not a parameter program
  memcpy(&bad.back()[156 + 3 * program + 8], "FPCh", 4);
  bad.push_back(bank);  // a NaN in program 3's int parameter
  SetBEFloat(&bad.back(), 156 + 3 * program + 56 + 8, std::nanf(""));
  bad.push_back(bank);  // more programs than presets
  SetBE32(&bad.back(), 24, 5);
  bad.push_back(bank);  // a current index outside the presets
  SetBE32(&bad.back(), 28, 4);
  for (size_t i = 0; i < bad.size(); ++i) {
    EXPECT_FALSE(LoadBank(target, bad[i])) << i;
    ASSERT_EQ(Everything(target), before) << i;
  }

  // Fewer programs than presets: the rest keep what they hold.
  std::string two = bank.substr(0, 156 + 2 * program);
  SetBE32(&two, 24, 2);
  SetBE32(&two, 28, 0);
  ASSERT_TRUE(LoadBank(target, two));
  EXPECT_STREQ(target.GetPresetName(1), "beta");
  EXPECT_EQ(target.GetCurrentPresetIdx(), 0);
  EXPECT_EQ(target.Values(), (std::vector<double>{-6.0, 2.0, 3.0, 1.0}));
}

TEST_F(FileTest, NaNInProgramsIsRefusedWithNothingChanged) {
  TestPlug chunkSource, paramSource(false);
  const std::string chunkProg = SavedProgram(chunkSource);
  const std::string paramProg = SavedProgram(paramSource);
  for (int p = 0; p < TestPlug::kNumParams; ++p) {
    std::string c = chunkProg, q = paramProg;
    const double nan = std::nan("");
    memcpy(&c[68 + 8 * p], &nan, 8);
    SetBEFloat(&q, 56 + 4 * p, std::nanf(""));
    for (bool chunks : {true, false}) {
      TestPlug target(chunks);
      Populate(target);
      const std::string before = Everything(target);
      EXPECT_FALSE(LoadProgram(target, q)) << p;
      if (chunks) {
        EXPECT_FALSE(LoadProgram(target, c)) << p;
      }
      EXPECT_EQ(Everything(target), before) << p;
    }
  }
}

TEST_F(FileTest, ProgramNamesFillingTheFieldNeedNoTerminator) {
  TestPlug plug;
  const std::string longName(40, 'L');
  ASSERT_TRUE(plug.ModifyCurrentPreset(longName.c_str()));
  std::string f = SavedProgram(plug);
  EXPECT_EQ(f.substr(28, 28), std::string(28, 'L'));
  TestPlug other;
  ASSERT_TRUE(LoadProgram(other, f));
  EXPECT_EQ(std::string(other.GetPresetName(0)), std::string(28, 'L'));
}

TEST_F(FileTest, StateBlockHead) {
  ByteChunk c;
  c.PutBytes("junk", 4);
  IFxBase::InitChunkWithIFxVer(&c);
  EXPECT_EQ(ChunkBytes(c), "tffp" + std::string("\0\0\1\0", 4));
  int pos = 0;
  EXPECT_EQ(IFxBase::GetIFxVerFromChunk(&c, &pos), 0x00010000);
  EXPECT_EQ(pos, 8);
  pos = 4;
  EXPECT_EQ(IFxBase::GetIFxVerFromChunk(&c, &pos), 0);
  EXPECT_EQ(pos, 4);
  ByteChunk head;
  head.PutBytes("tffp", 4);
  pos = 0;
  EXPECT_EQ(IFxBase::GetIFxVerFromChunk(&head, &pos), 0);
  EXPECT_EQ(pos, 0);
}

TEST_F(FileTest, PresetSourceDump) {
  TestPlug plug;
  plug.SetValues(-1.5, 2, 7, true);
  const char* names[] = {"kGain", "kMode", "kSteps", "kSwitch"};
  const std::string p = Path("dump.txt");
  ASSERT_TRUE(plug.DumpPresetSrcCode(p.c_str(), names));
  EXPECT_EQ(ReadFile(p),
            "  MakePresetFromNamedParams(\"name\", 4,\n    kGain, -1.500000,\n    kMode, 2,\n"
            "    kSteps, 7,\n    kSwitch, true);\n");
}

// The name, base64 text and size of a line
// MakePresetFromBlob("name", "text", size);
bool ParseBlobLine(const std::string& line, std::string* name, std::string* text, int* size) {
  const std::string head = "MakePresetFromBlob(\"", mid = "\", \"", tail = ");";
  if (line.compare(0, head.size(), head) || line.size() < head.size() + tail.size() ||
      line.compare(line.size() - tail.size(), tail.size(), tail))
    return false;
  const size_t nameEnd = line.find(mid, head.size());
  if (nameEnd == std::string::npos) return false;
  const size_t textStart = nameEnd + mid.size();
  const size_t textEnd = line.find("\", ", textStart);
  if (textEnd == std::string::npos) return false;
  *name = line.substr(head.size(), nameEnd - head.size());
  *text = line.substr(textStart, textEnd - textStart);
  if (text->find_first_not_of(
          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") != std::string::npos)
    return false;
  const std::string number = line.substr(textEnd + 3, line.size() - tail.size() - textEnd - 3);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return false;
  *size = std::stoi(number);
  return true;
}

TEST_F(FileTest, BlobDumpsRecreateThePresets) {
  TestPlug plug;
  Populate(plug);
  const std::string bankPath = Path("bank.txt"), onePath = Path("one.txt");
  ASSERT_TRUE(plug.DumpBankBlob(bankPath.c_str()));
  ASSERT_TRUE(plug.DumpPresetBlob(onePath.c_str()));

  std::string name, text;
  int size = 0;
  const std::string one = ReadFile(onePath);
  ASSERT_TRUE(ParseBlobLine(one.substr(0, one.size() - 1), &name, &text, &size));
  EXPECT_EQ(name, "name");
  EXPECT_EQ(size, 32);

  TestPlug copy;
  std::string bank = ReadFile(bankPath);
  for (size_t start = 0, end; (end = bank.find('\n', start)) != std::string::npos;
       start = end + 1) {
    ASSERT_TRUE(ParseBlobLine(bank.substr(start, end - start), &name, &text, &size));
    if (size) {
      ASSERT_TRUE(copy.MakePresetFromBlob(name.c_str(), text.c_str(), size));
    }
  }
  for (int i = 0; i < 2; ++i) {
    EXPECT_STREQ(copy.GetPresetName(i), plug.GetPresetName(i));
    EXPECT_TRUE(copy.GetPreset(i)->mChunk.IsEqual(plug.GetPreset(i)->mChunk));
  }
}

TEST_F(FileTest, BlobDumpsOfLargeStatesAreWhole) {
  IFxStandalone big(IFxInstanceInfo(), 300, "1-1", 1, "Big", "", "M", 0, 1, 2, 0, false, true,
                    false, 0);
  for (int i = 0; i < 300; ++i) big.GetParam(i)->InitDouble("p", i * 0.001, 0.0, 1.0, 0.001);
  big.MakeDefaultPreset("big", 1);
  const std::string p = Path("big.txt");
  ASSERT_TRUE(big.DumpPresetBlob(p.c_str()));
  std::string line = ReadFile(p), name, text;
  int size = 0;
  ASSERT_TRUE(ParseBlobLine(line.substr(0, line.size() - 1), &name, &text, &size));
  EXPECT_EQ(size, 2400);
  EXPECT_EQ(text.size(), 3200u);
}

}  // namespace
