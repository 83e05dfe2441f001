// The popup menu model: placing items, prefixes, check marks, ownership.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IPopupMenu.h"

namespace {

std::vector<std::string> Texts(const IPopupMenu& m) {
  std::vector<std::string> t;
  for (int i = 0; i < m.GetNItems(); ++i) t.push_back(m.GetItemText(i));
  return t;
}

TEST(PopupMenu, ItemsArePlacedByIndex) {
  struct Case {
    int index;
    std::vector<std::string> expected;
  } cases[] = {
      {-1, {"a", "b", "x"}},
      {5, {"a", "b", "x"}},  // past the end: appended
      {2, {"a", "b", "x"}},
      {0, {"x", "a", "b"}},
      {-3, {"x", "a", "b"}},  // below 0: first
      {1, {"a", "x", "b"}},
  };
  for (const Case& k : cases) {
    IPopupMenu m;
    m.AddItem("a");
    m.AddItem("b");
    IPopupMenuItem* item = m.AddItem("x", k.index);
    EXPECT_EQ(Texts(m), k.expected) << k.index;
    EXPECT_STREQ(item->GetText(), "x");
  }
  IPopupMenu m;
  EXPECT_EQ(m.GetItem(0), nullptr);
  EXPECT_STREQ(m.GetItemText(3), "");
  IPopupMenuItem* sep = m.AddSeparator();
  EXPECT_TRUE(sep->GetIsSeparator());
  EXPECT_STREQ(sep->GetText(), "");
  EXPECT_EQ(m.GetChosenItemIdx(), -1);
}

TEST(PopupMenu, PrefixAcceptsZeroToThree) {
  IPopupMenu m;
  m.SetPrefix(2);
  m.SetPrefix(4);
  EXPECT_EQ(m.GetPrefix(), 2);
  m.SetPrefix(-1);
  EXPECT_EQ(m.GetPrefix(), 2);
  m.SetPrefix(0);
  EXPECT_EQ(m.GetPrefix(), 0);
}

TEST(PopupMenu, CheckMarks) {
  IPopupMenu m;
  for (const char* t : {"a", "b", "c"}) m.AddItem(t, -1, IPopupMenuItem::kChecked);
  m.CheckItemAlone(1);
  EXPECT_FALSE(m.IsItemChecked(0));
  EXPECT_TRUE(m.IsItemChecked(1));
  EXPECT_FALSE(m.IsItemChecked(2));
  EXPECT_FALSE(m.CheckItem(7, true));
  EXPECT_FALSE(m.IsItemChecked(7));
  EXPECT_TRUE(m.CheckItem(2, true));
  EXPECT_TRUE(m.IsItemChecked(2));
  m.GetItem(2)->SetEnabled(false);
  EXPECT_EQ(m.GetItem(2)->GetFlags(), IPopupMenuItem::kChecked | IPopupMenuItem::kDisabled);
  m.GetItem(2)->SetChecked(false);
  EXPECT_EQ(m.GetItem(2)->GetFlags(), IPopupMenuItem::kDisabled);
}

TEST(PopupMenu, SubMenusOutliveTheMenuThatOpensThem) {
  IPopupMenu* sub = new IPopupMenu;
  sub->AddItem("inner");
  {
    IPopupMenu outer;
    IPopupMenuItem* item = outer.AddItem("more", sub);
    EXPECT_EQ(item->GetSubmenu(), sub);
    EXPECT_EQ(item->GetFlags(), 0);
  }
  EXPECT_EQ(Texts(*sub), std::vector<std::string>{"inner"});
  delete sub;
}

}  // namespace
