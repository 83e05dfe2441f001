#include "kitstring.h"

#include <gtest/gtest.h>

#include <string>

#include "alloc_hook.h"

namespace {

TEST(KitString, FreshAndEmptyStringsGiveEmptyText) {
  KIT_String fresh;
  ASSERT_NE(fresh.Get(), nullptr);
  EXPECT_STREQ(fresh.Get(), "");
  EXPECT_EQ(fresh.GetHeapBuf().GetSize(), 0);
  EXPECT_EQ(fresh.GetLength(), 0);

  for (const char* empty : {"", static_cast<const char*>(nullptr)}) {
    KIT_String s("abc");
    s.Set(empty);
    EXPECT_STREQ(s.Get(), "");
    EXPECT_EQ(s.GetHeapBuf().GetSize(), 1);
  }
}

TEST(KitString, ShorterTextLowersSizeWithoutReallocating) {
  KIT_String s("a fairly long piece of text");
  const void* block = s.Get();
  const int alloc = s.GetHeapBuf().GetAllocated();
  s.Set("short");
  EXPECT_STREQ(s.Get(), "short");
  EXPECT_EQ(s.GetHeapBuf().GetSize(), 6);
  EXPECT_EQ(s.Get(), block);
  EXPECT_EQ(s.GetHeapBuf().GetAllocated(), alloc);
}

TEST(KitString, AppendEmptyChangesNothing) {
  KIT_String s("abc");
  s.Append("");
  s.Append(nullptr);
  EXPECT_STREQ(s.Get(), "abc");
  EXPECT_EQ(s.GetHeapBuf().GetSize(), 4);
}

TEST(KitString, AppendsItselfWhenTheBlockMoves) {
  // 100 characters fill 101 of 229 bytes; doubling needs a new block.
  std::string text;
  for (int i = 0; i < 100; ++i) text += static_cast<char>('a' + i % 26);
  KIT_String s(text.c_str());
  ASSERT_EQ(s.GetHeapBuf().GetAllocated(), 101 + 128);
  for (int round = 0; round < 4; ++round) {
    s.Append(s.Get());
    text += text;
    ASSERT_STREQ(s.Get(), text.c_str());
  }
}

TEST(KitString, SetFormattedTruncates) {
  KIT_String s;
  s.SetFormatted(5, "%d", 1234567);
  EXPECT_STREQ(s.Get(), "12345");
  EXPECT_EQ(s.GetHeapBuf().GetSize(), 6);
  s.SetFormatted(10, "%s", "ab");
  EXPECT_STREQ(s.Get(), "ab");
  EXPECT_EQ(s.GetHeapBuf().GetSize(), 3);
}

TEST(KitString, SpliceKeepsTheTail) {
  KIT_String s("hello world");
  s.__doSet(5, ", big", 5, 6);  // insert before " world"
  EXPECT_STREQ(s.Get(), "hello, big world");
  s.__doSet(-1, "x", 1, 0);  // negative offset: nothing
  s.__doSet(3, "x", 0, 0);   // empty insertion: nothing
  EXPECT_STREQ(s.Get(), "hello, big world");
}

TEST(KitString, DeleteRunAndCut) {
  KIT_String s("hello, big world");
  s.DeleteSub(5, 5);
  EXPECT_STREQ(s.Get(), "hello world");
  s.DeleteSub(8, 100);  // clipped to the end
  EXPECT_STREQ(s.Get(), "hello wo");
  s.DeleteSub(20, 1);
  s.DeleteSub(-1, 3);
  EXPECT_STREQ(s.Get(), "hello wo");
  s.SetLen(5);
  EXPECT_STREQ(s.Get(), "hello");
  EXPECT_EQ(s.GetHeapBuf().GetSize(), 6);
  s.SetLen(50);
  EXPECT_STREQ(s.Get(), "hello");
  s.SetLen(0);
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
}

TEST(KitString, FailedGrowthLeavesTheText) {
  KIT_String s("abc");
  {
    AllocFailure fail;
    std::string big(500, 'z');
    s.Append(big.c_str());
    s.SetFormatted(1000, "%s", big.c_str());
    s.Set(big.c_str());
  }
  EXPECT_STREQ(s.Get(), "abc");
  EXPECT_EQ(s.GetHeapBuf().GetSize(), 4);
}

}  // namespace
