#include "ptrlist.h"

#include <gtest/gtest.h>

#include <vector>

#include "alloc_hook.h"

namespace {

struct Item {
  explicit Item(int id, std::vector<int>* log = nullptr) : id(id), log(log) {}
  ~Item() {
    if (log) log->push_back(id);
  }
  int id;
  std::vector<int>* log;
};

std::vector<int> Ids(const KIT_PtrList<Item>& l) {
  std::vector<int> out;
  for (int i = 0; i < l.GetSize(); ++i) out.push_back(l.Get(i) ? l.Get(i)->id : -1);
  return out;
}

TEST(PtrList, GetOutsideTheListIsNull) {
  KIT_PtrList<Item> l;
  EXPECT_EQ(l.Get(0), nullptr);
  Item a(1);
  l.Add(&a);
  EXPECT_EQ(l.Get(0), &a);
  EXPECT_EQ(l.Get(-1), nullptr);
  EXPECT_EQ(l.Get(1), nullptr);
}

TEST(PtrList, InsertClampsTheIndex) {
  Item a(1), b(2), c(3), d(4);
  KIT_PtrList<Item> l;
  l.Add(&a);
  l.Insert(-5, &b);  // negative inserts at 0
  l.Insert(99, &c);  // past the end appends
  l.Insert(1, &d);
  EXPECT_EQ(Ids(l), (std::vector<int>{2, 4, 1, 3}));
  l.Set(3, &a);
  l.Set(4, &b);  // outside: ignored
  EXPECT_EQ(Ids(l), (std::vector<int>{2, 4, 1, 1}));
}

TEST(PtrList, DeleteAtIndex) {
  std::vector<int> log;
  KIT_PtrList<Item> l;
  for (int i = 0; i < 4; ++i) l.Add(new Item(i, &log));
  Item* keep = l.Get(1);
  l.Delete(1);  // the item survives
  EXPECT_EQ(Ids(l), (std::vector<int>{0, 2, 3}));
  l.Delete(0, true);
  EXPECT_EQ(log, (std::vector<int>{0}));
  EXPECT_EQ(Ids(l), (std::vector<int>{2, 3}));
  l.Delete(7, true);
  EXPECT_EQ(l.GetSize(), 2);
  delete keep;
  l.Empty(true);
}

TEST(PtrList, EmptyDeletesFromTheLastDown) {
  std::vector<int> log;
  KIT_PtrList<Item> l;
  for (int i = 0; i < 3; ++i) l.Add(new Item(i, &log));
  l.Add(nullptr);
  l.Empty(true);
  EXPECT_EQ(log, (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(l.GetSize(), 0);
}

KIT_PtrList<Item>* s_list;
std::vector<std::pair<int, int>> s_seen;  // item id, count while disposing
void RecordAndDelete(void* p) {
  Item* it = static_cast<Item*>(p);
  s_seen.push_back({it->id, s_list->GetSize()});
  delete it;
}

TEST(PtrList, DisposerSeesTheItemStillInTheList) {
  KIT_PtrList<Item> l;
  for (int i = 0; i < 3; ++i) l.Add(new Item(i));
  s_list = &l;
  s_seen.clear();
  l.Empty(true, RecordAndDelete);
  EXPECT_EQ(s_seen, (std::vector<std::pair<int, int>>{{2, 3}, {1, 2}, {0, 1}}));
}

TEST(PtrList, EmptyWithoutDeleteTouchesNoItem) {
  std::vector<int> log;
  Item a(1, &log), b(2, &log);
  KIT_PtrList<Item> l;
  l.Add(&a);
  l.Add(&b);
  s_seen.clear();
  l.Empty(false, RecordAndDelete);
  EXPECT_TRUE(s_seen.empty());
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(l.GetSize(), 0);
  EXPECT_NE(l.GetList(), nullptr);  // the block stays for reuse
}

TEST(PtrList, FailedGrowthLeavesTheList) {
  Item a(1), b(2);
  KIT_PtrList<Item> l;
  l.Add(&a);
  {
    // One pointer block of 4000 bytes holds 500 pointers; fill it, then fail.
    for (int i = 1; i < 500; ++i) l.Add(&a);
    AllocFailure fail;
    EXPECT_EQ(l.Add(&b), nullptr);
    EXPECT_EQ(l.Insert(0, &b), nullptr);
  }
  EXPECT_EQ(l.GetSize(), 500);
  EXPECT_EQ(l.Get(0), &a);
  EXPECT_EQ(l.Get(499), &a);
}

}  // namespace
