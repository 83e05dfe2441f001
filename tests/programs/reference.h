#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "programs/HarshbloomProgram.h"

// The committed reference data (written by make_reference.py).

// Where a tag's value lives in the record: a position 0..59, one of the
// five named records, or nowhere (the reserved tags).
struct Slot {
  enum Kind { kIndex, kNamed, kNone } kind = kNone;
  int index = -1;
  std::string named;
};

struct TagRow {
  int tag;
  std::string key;
  Slot slot;
  std::string codeName;
};

struct DefaultRow {
  Slot slot;
  std::string key;
  double value;
};

struct ProgramRow {
  std::string index;  // "0".."89", or "spare0".."spare4"
  std::string name;
  std::vector<double> values;  // tags 0..64
};

std::vector<TagRow> referenceTags();
std::vector<DefaultRow> referenceRecordDefaults();
std::vector<ProgramRow> referencePrograms();
// The saved program section of factory program n, written with the curve
// text "CURVE".
std::string referenceSavedProgram(int n);
// Factory programs with a saved reference.
const std::vector<int>& savedReferenceIndices();

// The record value a slot names; null for kNone.
double* slotValue(Rawnfield::RNFxProgram& p, const Slot& slot);

inline Rawnfield::Harshbloom::eParameterTags tagOf(int t) {
  return static_cast<Rawnfield::Harshbloom::eParameterTags>(t);
}

inline uint64_t bitsOf(double v) {
  uint64_t b;
  memcpy(&b, &v, sizeof b);
  return b;
}
