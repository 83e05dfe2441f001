#include "assocarray.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "alloc_hook.h"

namespace {

std::vector<std::string> g_disposed;  // values handed to the value disposer
void DisposeValue(char* v) {
  g_disposed.push_back(v);
  free(v);
}

char* Dup(const char* s) {
  return strdup(s);
}

std::vector<std::string> Keys(const KIT_StringKeyedArray<char*>& a) {
  std::vector<std::string> out;
  for (int i = 0; i < a.GetSize(); ++i) {
    const char* k = nullptr;
    a.Enumerate(i, &k);
    out.push_back(k);
  }
  return out;
}

class StringKeyed : public ::testing::Test {
protected:
  void SetUp() override { g_disposed.clear(); }
};

TEST_F(StringKeyed, InsertKeepsKeysSortedAndCopiesThem) {
  KIT_StringKeyedArray<char*> a(true, DisposeValue);
  char key[8] = "m";
  EXPECT_EQ(a.Insert(key, Dup("1")), 0);
  key[0] = 'z';  // the array holds its own copy
  EXPECT_EQ(a.Insert("a", Dup("2")), 0);
  EXPECT_EQ(a.Insert("q", Dup("3")), 2);
  EXPECT_EQ(Keys(a), (std::vector<std::string>{"a", "m", "q"}));
  EXPECT_STREQ(a.Get("m"), "1");
  EXPECT_EQ(a.Get("zz"), nullptr);
  char fallback[] = "none";
  EXPECT_EQ(a.Get("zz", fallback), fallback);
}

TEST_F(StringKeyed, ReplaceDisposesOnlyTheOldValue) {
  KIT_StringKeyedArray<char*> a(true, DisposeValue);
  a.Insert("b", Dup("old"));
  a.Insert("a", Dup("x"));
  const char* storedKey = nullptr;
  a.Enumerate(1, &storedKey);
  EXPECT_EQ(a.Insert("b", Dup("new")), 1);
  EXPECT_EQ(g_disposed, (std::vector<std::string>{"old"}));
  const char* keyAfter = nullptr;
  a.Enumerate(1, &keyAfter);
  EXPECT_EQ(keyAfter, storedKey);  // the stored key is unchanged
  EXPECT_STREQ(a.Get("b"), "new");
}

TEST_F(StringKeyed, CaseInsensitiveKeysAreOneKey) {
  KIT_StringKeyedArray<char*> ci(false, DisposeValue);
  ci.Insert("Audio", Dup("1"));
  ci.Insert("AUDIO", Dup("2"));
  EXPECT_EQ(ci.GetSize(), 1);
  EXPECT_STREQ(ci.Get("audio"), "2");

  KIT_StringKeyedArray<char*> cs(true, DisposeValue);
  cs.Insert("Audio", Dup("1"));
  cs.Insert("AUDIO", Dup("2"));
  EXPECT_EQ(cs.GetSize(), 2);
  EXPECT_EQ(cs.Get("audio"), nullptr);
}

TEST_F(StringKeyed, Delete) {
  KIT_StringKeyedArray<char*> a(true, DisposeValue);
  for (const char* k : {"c", "a", "b"}) a.Insert(k, Dup(k));
  a.Delete("absent");
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_TRUE(g_disposed.empty());
  a.Delete("b");
  EXPECT_EQ(g_disposed, (std::vector<std::string>{"b"}));
  EXPECT_EQ(Keys(a), (std::vector<std::string>{"a", "c"}));
}

TEST_F(StringKeyed, ResortKeepsOnePairPerKey) {
  KIT_StringKeyedArray<char*> a(false, DisposeValue);
  a.AddUnsorted("k", Dup("first"));
  a.AddUnsorted("b", Dup("b"));
  a.AddUnsorted("K", Dup("second"));
  a.AddUnsorted("a", Dup("a"));
  a.AddUnsorted("k", Dup("third"));
  a.Resort();
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_EQ(g_disposed.size(), 2u);
  EXPECT_STREQ(a.Get("a"), "a");
  EXPECT_STREQ(a.Get("b"), "b");
  EXPECT_STREQ(a.Get("k"), "third");  // the pair loaded last wins
}

TEST_F(StringKeyed, DestructorDisposesEveryPair) {
  {
    KIT_StringKeyedArray<char*> a(true, DisposeValue);
    a.Insert("x", Dup("1"));
    a.Insert("y", Dup("2"));
  }
  EXPECT_EQ(g_disposed, (std::vector<std::string>{"1", "2"}));
}

int CmpAddr(void* const* a, void* const* b) {
  return *a < *b ? -1 : (*a > *b ? 1 : 0);
}
int g_dupCalls = 0;
void* CountDup(void* k) {
  ++g_dupCalls;
  return k;
}

TEST(AssocArray, ResortEdgeCasesChangeNothing) {
  int x, y;
  KIT_AssocArray<void*, int*> one(CmpAddr);
  one.AddUnsorted(&x, &y);
  one.Resort();
  EXPECT_EQ(one.GetSize(), 1);

  KIT_AssocArray<void*, int*> nocmp(nullptr);
  nocmp.AddUnsorted(&y, &x);
  nocmp.AddUnsorted(&x, &y);
  nocmp.Resort();
  void* k = nullptr;
  nocmp.Enumerate(0, &k);
  EXPECT_EQ(k, &y);
}

TEST(AssocArray, FailedGrowthLeavesTheArray) {
  static int vals[600];
  KIT_AssocArray<void*, int*> a(CmpAddr, CountDup);
  // The first pair block (4000 bytes) holds 250 pairs; fill it, then fail.
  for (int i = 0; i < 250; ++i) a.Insert(&vals[i], &vals[i]);
  g_dupCalls = 0;
  {
    AllocFailure fail;
    EXPECT_EQ(a.Insert(&vals[300], &vals[0]), -1);
    EXPECT_EQ(a.AddUnsorted(&vals[301], &vals[0]), -1);
  }
  EXPECT_EQ(g_dupCalls, 0);
  ASSERT_EQ(a.GetSize(), 250);
  for (int i = 0; i < 250; ++i) {
    void* k = nullptr;
    EXPECT_EQ(a.Enumerate(i, &k), &vals[i]);
    EXPECT_EQ(k, &vals[i]);
  }
  EXPECT_EQ(a.Get(&vals[300]), nullptr);
}

}  // namespace
