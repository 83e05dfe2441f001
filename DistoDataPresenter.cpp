#include "DistoDataPresenter.h"

#include <cstdio>

namespace Rawnfield {

namespace {

const char* typeName(Types::eDistortionType type) {
  return type >= 0 && type < Types::kNumDistortionTypes ? Types::kDistortionTypeNames[type]
                                                        : "Distortion";
}

struct SectionRow {
  const char* title;
  std::vector<int> types;
};

// Menu order: the basic section, then the further sections.
const SectionRow kBasicRow = {"Basic Section", {0, 1, 2, 3, 4, 5, 6, 15, 16, 17, 7, 18}};
const SectionRow kFurtherRows[] = {
    {"Fuzzy", {19}},
    {"Hardcore", {20, 21, 22, 23, 12, 13, 14}},
    {"Industrial", {24}},
    {"Crunchy", {33, 34, 38, 35, 36, 37}},
    {"Experimental", {11, 8, 9, 10, 25, 26, 27, 28, 32}},
    {"Noisy", {29, 30, 31}},
    {"Producer's", {39, 40, 41}},
};

void fillSection(DistoDataSection& section, const SectionRow& row, int firstIndex) {
  section.title = row.title;
  section.firstIndex = firstIndex;
  for (int t : row.types) {
    const auto type = static_cast<Types::eDistortionType>(t);
    section.items.emplace_back(type, typeName(type));
  }
}

}  // namespace

DistoDataItem::DistoDataItem(Types::eDistortionType type) : type(type), name(typeName(type)) {}

std::string DistoDataItem::getName() const {
  return DistoDataPresenter::getDistoItemName(type);
}

int DistoDataSection::hasItem(Types::eDistortionType type) const {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].type == type) return static_cast<int>(i);
  return -1;
}

DistoDataPresenter::DistoDataPresenter() {
  init();
}

DistoDataPresenter::~DistoDataPresenter() {
  for (DistoDataSection* s : sections) delete s;
}

void DistoDataPresenter::init() {
  fillSection(basic, kBasicRow, 0);
  int first = static_cast<int>(basic.items.size());
  for (const SectionRow& row : kFurtherRows) {
    sections.push_back(new DistoDataSection);
    fillSection(*sections.back(), row, first);
    first += static_cast<int>(sections.back()->items.size());
  }
}

int DistoDataPresenter::getNumberOfItems() const {
  int n = static_cast<int>(basic.items.size());
  for (const DistoDataSection* s : sections) n += static_cast<int>(s->items.size());
  return n;
}

DistoDataSection* DistoDataPresenter::getSection(int i) {
  return i >= 0 && i < getNumberOfSections() ? sections[static_cast<size_t>(i)] : nullptr;
}

int DistoDataPresenter::getIndex(Types::eDistortionType type) const {
  const int inBasic = basic.hasItem(type);
  if (inBasic >= 0) return inBasic;
  for (const DistoDataSection* s : sections) {
    const int k = s->hasItem(type);
    if (k >= 0) return s->firstIndex + k;
  }
  return getNumberOfItems();
}

std::string DistoDataPresenter::getDistoItemName(Types::eDistortionType type) {
  char text[96];
  snprintf(text, sizeof text, "%02d: %s", static_cast<int>(type) + 1, typeName(type));
  return text;
}

}  // namespace Rawnfield
