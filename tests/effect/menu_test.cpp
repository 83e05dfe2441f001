// The distortion-type menu model: sections, flat positions and item texts.
#include <gtest/gtest.h>

#include <set>

#include "DistoDataPresenter.h"

using Rawnfield::DistoDataItem;
using Rawnfield::DistoDataPresenter;
using Rawnfield::Types::eDistortionType;

namespace {

eDistortionType type(int t) {
  return static_cast<eDistortionType>(t);
}

}  // namespace

TEST(DistoTypeMenu, SectionsInMenuOrder) {
  DistoDataPresenter menu;
  EXPECT_EQ(menu.getNumberOfItems(), 42);
  EXPECT_EQ(menu.getBasicSection().title, "Basic Section");
  EXPECT_EQ(menu.getBasicSection().firstIndex, 0);
  const struct {
    const char* title;
    int first;
    std::vector<int> types;
  } rows[] = {
      {"Fuzzy", 12, {19}},
      {"Hardcore", 13, {20, 21, 22, 23, 12, 13, 14}},
      {"Industrial", 20, {24}},
      {"Crunchy", 21, {33, 34, 38, 35, 36, 37}},
      {"Experimental", 27, {11, 8, 9, 10, 25, 26, 27, 28, 32}},
      {"Noisy", 36, {29, 30, 31}},
      {"Producer's", 39, {39, 40, 41}},
  };
  ASSERT_EQ(menu.getNumberOfSections(), 7);
  for (int s = 0; s < 7; ++s) {
    SCOPED_TRACE(s);
    const Rawnfield::DistoDataSection* section = menu.getSection(s);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section->title, rows[s].title);
    EXPECT_EQ(section->firstIndex, rows[s].first);
    ASSERT_EQ(section->items.size(), rows[s].types.size());
    for (size_t k = 0; k < section->items.size(); ++k) {
      EXPECT_EQ(section->items[k].type, rows[s].types[k]);
      EXPECT_EQ(section->hasItem(type(rows[s].types[k])), static_cast<int>(k));
    }
  }
  EXPECT_EQ(menu.getSection(7), nullptr);
  EXPECT_EQ(menu.getSection(-1), nullptr);
}

// Each type appears exactly once, at the position the sections give it.
TEST(DistoTypeMenu, EveryTypeHasOnePosition) {
  DistoDataPresenter menu;
  std::set<int> positions;
  for (int t = 0; t < 42; ++t) positions.insert(menu.getIndex(type(t)));
  EXPECT_EQ(positions.size(), 42u);
  EXPECT_EQ(*positions.rbegin(), 41);
  EXPECT_EQ(menu.getIndex(type(7)), 10);
  EXPECT_EQ(menu.getIndex(type(12)), 17);
  EXPECT_EQ(menu.getIndex(type(41)), 41);
  EXPECT_EQ(menu.getIndex(type(15)), 7);
  EXPECT_EQ(menu.getIndex(type(42)), 42);  // absent
  EXPECT_EQ(menu.getBasicSection().hasItem(type(19)), -1);
}

// The text carries the type number, not the menu position.
TEST(DistoTypeMenu, ItemTexts) {
  EXPECT_EQ(DistoDataPresenter::getDistoItemName(type(0)), "01: Linear");
  EXPECT_EQ(DistoDataPresenter::getDistoItemName(type(15)), "16: Soft-Tube-Distort");
  EXPECT_EQ(DistoDataPresenter::getDistoItemName(type(39)), "40: Radiva Zuvavuza");
  EXPECT_EQ(DistoDataPresenter::getDistoItemName(type(40)), "41: Didudo Rivad/Q:ZAR");
  EXPECT_EQ(DistoDataPresenter::getDistoItemName(type(42)), "43: Distortion");
  EXPECT_EQ(DistoDataItem(type(41)).name, "Thrashcore/ZRM");
  EXPECT_EQ(DistoDataItem(type(50)).name, "Distortion");
  EXPECT_EQ(DistoDataItem(type(8)).getName(), "09: RNSigmoid1-Drive");
  DistoDataPresenter menu;
  EXPECT_EQ(menu.getSection(3)->items[2].getName(), "39: MadCat");
}
