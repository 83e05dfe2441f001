#pragma once

// The distortion-type menu's model: the 42 types grouped into a basic
// section and seven named further sections, in menu order.

#include <string>
#include <vector>

#include "DistoTypes.h"

namespace Rawnfield {

struct DistoDataItem {
  // Named from the distortion types' name table; "Distortion" outside it.
  explicit DistoDataItem(Types::eDistortionType type);
  DistoDataItem(Types::eDistortionType type, const std::string& name) : type(type), name(name) {}
  // The menu text, e.g. "16: Soft-Tube-Distort".
  std::string getName() const;

  Types::eDistortionType type;
  std::string name;
};

struct DistoDataSection {
  // The type's position within this section; -1 when absent.
  int hasItem(Types::eDistortionType type) const;

  std::string title;
  int firstIndex = 0;  // items before this section in the flat menu order
  std::vector<DistoDataItem> items;
};

class DistoDataPresenter {
public:
  DistoDataPresenter();
  ~DistoDataPresenter();
  DistoDataPresenter(const DistoDataPresenter&) = delete;
  DistoDataPresenter& operator=(const DistoDataPresenter&) = delete;

  // Items of the basic section and of every further section (42).
  int getNumberOfItems() const;
  const DistoDataSection& getBasicSection() const { return basic; }
  int getNumberOfSections() const { return static_cast<int>(sections.size()); }
  // Further section i (0 "Fuzzy" .. 6 "Producer's"); null outside.
  DistoDataSection* getSection(int i);
  // The type's position in the flat menu order; getNumberOfItems() when
  // the menu lacks it.
  int getIndex(Types::eDistortionType type) const;
  // The type number plus one in two digits, ": " and the type's name.
  static std::string getDistoItemName(Types::eDistortionType type);

private:
  void init();

  DistoDataSection basic;
  std::vector<DistoDataSection*> sections;  // owned
};

}  // namespace Rawnfield
