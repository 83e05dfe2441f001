#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "test_plug.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ByteChunk, TypedPutAndGet) {
  ByteChunk c;
  const int32_t i = -7;
  const double d = 2.5;
  EXPECT_EQ(c.Put(&i), 4);
  EXPECT_EQ(c.PutBool(true), 5);
  EXPECT_EQ(c.Put(&d), 13);
  EXPECT_EQ(c.PutStr("abc"), 20);

  int32_t i2 = 0;
  bool b = false;
  double d2 = 0;
  KIT_String s;
  int pos = c.Get(&i2, 0);
  pos = c.GetBool(&b, pos);
  pos = c.Get(&d2, pos);
  pos = c.GetStr(&s, pos);
  EXPECT_EQ(pos, 20);
  EXPECT_EQ(i2, -7);
  EXPECT_TRUE(b);
  EXPECT_EQ(d2, 2.5);
  EXPECT_STREQ(s.Get(), "abc");
  // The string is stored without a terminator.
  EXPECT_EQ(std::string(reinterpret_cast<char*>(c.GetBytes()) + 13, 7),
            std::string("\x03\0\0\0abc", 7));

  double untouched = 1.0;
  EXPECT_EQ(c.Get(&untouched, 13), -1);
  EXPECT_EQ(c.Get(&untouched, -1), -1);
  EXPECT_EQ(untouched, 1.0);
}

TEST(ByteChunk, StringLengthsThatLieFail) {
  for (int32_t len : {-1, 4, 0x7fffffff}) {
    ByteChunk c;
    c.Put(&len);
    c.PutBytes("abc", 3);
    KIT_String s("kept");
    EXPECT_EQ(c.GetStr(&s, 0), -1) << len;
    EXPECT_STREQ(s.Get(), "kept");
  }
}

TEST(ByteChunk, ResizeZeroFillsAndIsEqualComparesBytes) {
  ByteChunk a, b;
  EXPECT_EQ(a.Resize(3), 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(a.GetBytes()), 3), std::string(3, '\0'));
  b.PutBytes("\0\0\0", 3);
  EXPECT_TRUE(a.IsEqual(b));
  b.PutBytes("x", 1);
  EXPECT_FALSE(a.IsEqual(b));
}

class PresetTest : public ::testing::Test {
protected:
  TestPlug plug;
};

TEST_F(PresetTest, ParamsRoundTripAsPlainDoubles) {
  plug.SetValues(-3.5, 2, 7, true);
  ByteChunk c;
  ASSERT_TRUE(plug.SerializeParams(&c));
  ASSERT_EQ(c.Size(), 32);
  double first;
  c.Get(&first, 0);
  EXPECT_EQ(first, -3.5);

  TestPlug other;
  EXPECT_EQ(other.UnserializeParams(&c, 0), 32);
  EXPECT_EQ(other.Values(), plug.Values());
  EXPECT_EQ(other.changes, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(PresetTest, UnserializeParamsClampsToTheRange) {
  ByteChunk c;
  for (double v : {100.0, -5.0, -static_cast<double>(INFINITY), 0.5}) c.Put(&v);
  EXPECT_EQ(plug.UnserializeParams(&c, 0), 32);
  EXPECT_EQ(plug.Values(), (std::vector<double>{12.0, 0.0, 0.0, 0.5}));
}

TEST_F(PresetTest, UnserializeParamsWithNegativeStartOnlyDispatches) {
  ByteChunk c;
  EXPECT_EQ(plug.UnserializeParams(&c, -3), -3);
  EXPECT_EQ(plug.changes.size(), 4u);
}

TEST_F(PresetTest, ShortOrNaNParamChunksAreRefusedWithNothingChanged) {
  plug.SetValues(1.0, 2, 3, true);
  plug.changes.clear();
  const std::vector<double> before = plug.Values();
  ByteChunk full;
  plug.SerializeParams(&full);
  for (int cut = 0; cut < full.Size(); ++cut) {
    ByteChunk c;
    c.PutBytes(full.GetBytes(), cut);
    EXPECT_EQ(plug.UnserializeParams(&c, 0), -1) << cut;
  }
  for (int p = 0; p < TestPlug::kNumParams; ++p) {
    ByteChunk c;
    for (int i = 0; i < TestPlug::kNumParams; ++i) {
      const double v = i == p ? kNaN : 0.0;
      c.Put(&v);
    }
    EXPECT_EQ(plug.UnserializeParams(&c, 0), -1) << p;
  }
  EXPECT_EQ(plug.Values(), before);
  EXPECT_TRUE(plug.changes.empty());
}

TEST_F(PresetTest, CompareStateReadsDoublesAtTheByteOffset) {
  plug.SetValues(1.5, 1, 2, false);
  std::vector<unsigned char> data(4096 + 32, 0xAB);
  const double v[] = {1.5, 1.0, 2.0 + 1e-7, 0.0};
  memcpy(data.data() + 4096, v, sizeof(v));
  EXPECT_TRUE(plug.CompareState(data.data(), 4096));
  const double off = 2.001;
  memcpy(data.data() + 4096 + 16, &off, 8);
  EXPECT_FALSE(plug.CompareState(data.data(), 4096));
}

TEST_F(PresetTest, NeverFilledSlotGetsAUserPresetNameAndCapturesTheState) {
  char name[IPreset::kNameLen];
  KIT_PtrList<IPreset> none;
  MakeDefaultUserPresetName(&none, name);
  EXPECT_STREQ(name, "user preset 1");

  ByteChunk c;
  plug.SerializeState(&c);
  ASSERT_TRUE(plug.MakePresetFromChunk("my user preset", &c));
  plug.SetValues(4.0, 0, 9, true);
  ASSERT_TRUE(plug.RestorePreset(2));
  EXPECT_STREQ(plug.GetPresetName(2), "user preset 2");
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);
  ByteChunk now;
  plug.SerializeState(&now);
  EXPECT_TRUE(plug.GetPreset(2)->mChunk.IsEqual(now));

  plug.SetValues(0.0, 0, 0, false);
  ASSERT_TRUE(plug.RestorePreset("user preset 2"));
  EXPECT_EQ(plug.Values(), (std::vector<double>{4.0, 0.0, 9.0, 1.0}));
  EXPECT_FALSE(plug.RestorePreset(4));
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset("no such preset"));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);
  EXPECT_STREQ(plug.GetPresetName(7), "");
}

TEST_F(PresetTest, RestoringABrokenStateKeepsTheCurrentIndex) {
  ByteChunk shortState;
  shortState.PutBytes("abc", 3);
  ASSERT_TRUE(plug.MakePresetFromChunk("broken", &shortState));
  ASSERT_TRUE(plug.RestorePreset(1));
  plug.SetValues(2.0, 1, 1, false);
  EXPECT_FALSE(plug.RestorePreset(0));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plug.Values()[0], 2.0);
}

TEST_F(PresetTest, PresetMakers) {
  ASSERT_TRUE(plug.MakePreset("made", 6.5, 2, 3, 1));
  ASSERT_TRUE(
      plug.MakePresetFromNamedParams("named", 2, TestPlug::kSteps, 8, TestPlug::kGain, -1.25));
  const unsigned char bytes[] = {0x01, 0xFE, 0x7F};
  KIT_String text;
  Base64Encode(bytes, 3, &text);
  ASSERT_TRUE(plug.MakePresetFromBlob("blob", text.Get(), 3));
  ASSERT_TRUE(plug.MakePresetFromBlob("padded", "AQ==", 4));
  EXPECT_FALSE(plug.MakePreset("no slot left", 0.0, 0, 0, 0));

  ASSERT_TRUE(plug.RestorePreset(0));
  EXPECT_EQ(plug.Values(), (std::vector<double>{6.5, 2.0, 3.0, 1.0}));
  ASSERT_TRUE(plug.RestorePreset(1));
  // Mode and switch were not named: they hold the values current when made.
  EXPECT_EQ(plug.Values(), (std::vector<double>{-1.25, 1.0, 8.0, 0.0}));
  EXPECT_EQ(ChunkBytes(plug.GetPreset(2)->mChunk), std::string("\x01\xFE\x7F", 3));
  EXPECT_EQ(ChunkBytes(plug.GetPreset(3)->mChunk), std::string("\x01\0\0\0", 4));
}

TEST_F(PresetTest, DefaultPresetsAndPruning) {
  TestPlug six(true, 6);
  six.MakeDefaultPreset(nullptr, 2);
  EXPECT_STREQ(six.GetPresetName(1), "Empty");
  EXPECT_TRUE(six.GetPreset(1)->mInitialized);
  EXPECT_FALSE(six.GetPreset(2)->mInitialized);

  ByteChunk c;
  six.SerializeState(&c);
  ASSERT_TRUE(six.RestorePreset(4));  // slots 2 and 3 stay unfilled
  six.PruneUninitializedPresets();
  EXPECT_EQ(six.NPresets(), 3);
  // The current index still names the preset it named.
  EXPECT_EQ(six.GetCurrentPresetIdx(), 2);
  EXPECT_STREQ(six.GetPresetName(2), "user preset 1");

  TestPlug all(true, 3);
  all.EnsureDefaultPreset();
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(all.GetPreset(i)->mInitialized);
}

TEST_F(PresetTest, ModifyCurrentPresetBoundsTheNameAndFillsTheSlot) {
  plug.SetValues(3.0, 1, 2, true);
  const std::string longName(400, 'q');
  ASSERT_TRUE(plug.ModifyCurrentPreset(longName.c_str()));
  EXPECT_EQ(std::string(plug.GetPresetName(0)), longName.substr(0, 255));
  EXPECT_TRUE(plug.GetPreset(0)->mInitialized);
  ASSERT_TRUE(plug.ModifyCurrentPreset(""));  // an empty name keeps the name
  EXPECT_EQ(std::string(plug.GetPresetName(0)), longName.substr(0, 255));
  // A filled slot restores its state instead of being renamed.
  plug.SetValues(0.0, 0, 0, false);
  ASSERT_TRUE(plug.RestorePreset(0));
  EXPECT_EQ(plug.Values()[0], 3.0);
  EXPECT_EQ(std::string(plug.GetPresetName(0)), longName.substr(0, 255));
}

// Two filled presets, one unfilled, and one filled again; preset 1 current.
void FillBank(TestPlug& plug) {
  plug.SetValues(1.0, 0, 1, false);
  plug.MakeDefaultPreset("first", 1);
  plug.SetValues(2.0, 1, 2, true);
  plug.MakeDefaultPreset("second", 1);
  ASSERT_TRUE(plug.RestorePreset(3));
  ASSERT_TRUE(plug.ModifyCurrentPreset("fourth"));
  ASSERT_TRUE(plug.RestorePreset(1));
}

TEST_F(PresetTest, BankRoundTripRestoresNamesFlagsStatesAndTheCurrentPreset) {
  FillBank(plug);
  ByteChunk bank;
  ASSERT_TRUE(plug.SerializePresets(&bank));

  TestPlug other;
  other.EnsureDefaultPreset();  // every slot filled before the load
  ASSERT_TRUE(other.RestorePreset(1));
  other.SetValues(-9.0, 2, 10, true);
  EXPECT_EQ(other.UnserializePresets(&bank, 0), bank.Size());
  for (int i = 0; i < plug.NPresets(); ++i) {
    EXPECT_STREQ(other.GetPresetName(i), plug.GetPresetName(i));
    EXPECT_EQ(other.GetPreset(i)->mInitialized, plug.GetPreset(i)->mInitialized);
    EXPECT_TRUE(other.GetPreset(i)->mChunk.IsEqual(plug.GetPreset(i)->mChunk)) << i;
  }
  EXPECT_EQ(other.Values(), (std::vector<double>{2.0, 1.0, 2.0, 1.0}));

  // Save, load, save: the same bytes.
  ByteChunk again;
  ASSERT_TRUE(other.SerializePresets(&again));
  EXPECT_EQ(ChunkBytes(again), ChunkBytes(bank));

  // The slot loaded as unfilled holds no stale state: restoring it captures
  // the running state once.
  ASSERT_TRUE(other.RestorePreset(2));
  EXPECT_EQ(other.GetPreset(2)->mChunk.Size(), 8 * TestPlug::kNumParams);
}

TEST_F(PresetTest, BankWithAnUnfilledCurrentSlotLoadsBackAsSaved) {
  TestPlug fresh;  // preset 0 current, and no slot filled
  ByteChunk bank;
  ASSERT_TRUE(fresh.SerializePresets(&bank));
  fresh.SetValues(7.0, 1, 1, false);
  const std::vector<double> running = fresh.Values();
  ASSERT_GT(fresh.UnserializePresets(&bank, 0), 0);
  EXPECT_EQ(fresh.Values(), running);
  ByteChunk again;
  fresh.SerializePresets(&again);
  EXPECT_EQ(ChunkBytes(again), ChunkBytes(bank));
}

TEST_F(PresetTest, TruncatedBanksAreRefusedAtEveryBoundaryWithNothingChanged) {
  FillBank(plug);
  ByteChunk bank;
  plug.SerializePresets(&bank);

  TestPlug target;
  target.SetValues(-1.0, 2, 4, true);
  target.MakeDefaultPreset("kept", 2);
  ASSERT_TRUE(target.RestorePreset(1));
  target.SetValues(-2.0, 1, 6, false);
  const std::string before = Everything(target);
  for (int cut = 0; cut < bank.Size(); ++cut) {
    ByteChunk c;
    c.PutBytes(bank.GetBytes(), cut);
    EXPECT_EQ(target.UnserializePresets(&c, 0), -1) << cut;
    ASSERT_EQ(Everything(target), before) << cut;
  }
}

// A bank written field by field.
struct BankWriter {
  ByteChunk chunk;
  BankWriter& Name(const std::string& n) {
    const int32_t len = static_cast<int32_t>(n.size());
    chunk.Put(&len);
    chunk.PutBytes(n.data(), len);
    return *this;
  }
  BankWriter& Flag(uint8_t f) {
    chunk.Put(&f);
    return *this;
  }
  BankWriter& Values(double a, double b, double c, double d) {
    for (double v : {a, b, c, d}) chunk.Put(&v);
    return *this;
  }
};

TEST_F(PresetTest, BadBanksAreRefusedWithNothingChanged) {
  plug.MakeDefaultPreset("kept", 4);
  const std::string before = Everything(plug);
  std::vector<BankWriter> bad(5);
  // A NaN in an int parameter's place.
  bad[0]
      .Name("a")
      .Flag(1)
      .Values(0, 1, kNaN, 0)
      .Name("b")
      .Flag(0)
      .Name("c")
      .Flag(0)
      .Name("d")
      .Flag(0);
  // A flag byte that is neither 0 nor 1.
  bad[1].Name("a").Flag(2).Values(0, 1, 1, 0);
  // A name length running past the end, and a negative one.
  bad[2].Name("a").Flag(0).Name("b").Flag(0).Name("c").Flag(0);
  {
    const int32_t len = 1000;
    bad[2].chunk.Put(&len);
    bad[2].chunk.PutBytes("dd", 2);
  }
  {
    const int32_t len = -4;
    bad[3].chunk.Put(&len);
    bad[3].Flag(0);
  }
  // A value out of place: a bool where a double state should end.
  bad[4].Name("a").Flag(1).Values(0, 1, 1, 0).Name("b").Flag(1);
  for (size_t i = 0; i < bad.size(); ++i) {
    EXPECT_EQ(plug.UnserializePresets(&bad[i].chunk, 0), -1) << i;
    ASSERT_EQ(Everything(plug), before) << i;
  }
}

TEST_F(PresetTest, BankNamesAreBoundedAndEndAtTheirFirstZero) {
  BankWriter w;
  w.Name(std::string(300, 'n')).Flag(0);
  w.Name(std::string("ab\0cd", 5)).Flag(0);
  w.Name("").Flag(0).Name("x").Flag(0);
  ASSERT_EQ(plug.UnserializePresets(&w.chunk, 0), w.chunk.Size());
  EXPECT_EQ(std::string(plug.GetPresetName(0)), std::string(255, 'n'));
  EXPECT_STREQ(plug.GetPresetName(1), "ab");
  EXPECT_STREQ(plug.GetPresetName(2), "");
}

}  // namespace
