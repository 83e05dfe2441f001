#include "reference.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "temp_dir.h"

namespace {

std::string dataFile(const std::string& name) {
  return std::string(HB_TEST_DATA_DIR) + "/" + name;
}

std::vector<std::vector<std::string>> rows(const std::string& name) {
  std::ifstream in(dataFile(name));
  if (!in) throw std::runtime_error("missing reference data " + name);
  std::vector<std::vector<std::string>> out;
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::istringstream s(line);
    std::string cell;
    while (std::getline(s, cell, '|')) cells.push_back(cell);
    out.push_back(cells);
  }
  return out;
}

Slot parseSlot(const std::string& text) {
  Slot s;
  if (text.rfind("index ", 0) == 0) {
    s.kind = Slot::kIndex;
    s.index = atoi(text.c_str() + 6);
  } else if (text.rfind("named ", 0) == 0) {
    s.kind = Slot::kNamed;
    s.named = text.substr(6);
  }
  return s;
}

}  // namespace

std::vector<TagRow> referenceTags() {
  std::vector<TagRow> out;
  for (const auto& r : rows("tags.txt")) out.push_back({atoi(r.at(0).c_str()), r.at(1), parseSlot(r.at(2)), r.at(3)});
  return out;
}

std::vector<DefaultRow> referenceRecordDefaults() {
  std::vector<DefaultRow> out;
  for (const auto& r : rows("record_defaults.txt"))
    out.push_back({parseSlot(r.at(0)), r.at(1), strtod(r.at(2).c_str(), nullptr)});
  return out;
}

std::vector<ProgramRow> referencePrograms() {
  std::vector<ProgramRow> out;
  for (const auto& r : rows("factory_programs.txt")) {
    ProgramRow p{r.at(0), r.at(1), {}};
    std::istringstream s(r.at(2));
    std::string v;
    while (s >> v) p.values.push_back(strtod(v.c_str(), nullptr));
    out.push_back(p);
  }
  return out;
}

std::string referenceSavedProgram(int n) {
  const std::string path = dataFile("saved_" + std::to_string(n) + ".txt");
  const std::string text = readText(path);
  if (text.empty()) throw std::runtime_error("missing reference data " + path);
  return text;
}

const std::vector<int>& savedReferenceIndices() {
  static const std::vector<int> indices = {0, 11, 12, 33, 43, 66, 74, 89};
  return indices;
}

double* slotValue(Rawnfield::RNFxProgram& p, const Slot& slot) {
  switch (slot.kind) {
    case Slot::kIndex:
      return p.valueAt(slot.index);
    case Slot::kNamed:
      if (slot.named == "LimiterLevel") return &p.limiterLevel.value;
      if (slot.named == "LimiterMode") return &p.limiterMode.value;
      if (slot.named == "AutoMakeUp") return &p.autoMakeUp.value;
      if (slot.named == "Oversampling") return &p.oversampling.value;
      if (slot.named == "Volume") return &p.volume.value;
      return nullptr;
    case Slot::kNone:
    default:
      return nullptr;
  }
}
