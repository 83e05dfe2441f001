#pragma once

#include "programs/ParameterTags.h"

namespace Rawnfield {
namespace FactoryTable {

// How a table number becomes the stored value.
enum eValueKind : int {
  kPlain = 0,          // the number itself
  kDistortionTypeSel,  // distortion type t, stored as t / 42
  kFilterTypeSel,      // filter type t, stored as t / 11
  kShaperTypeSel,      // dynamic-shaper waveform t, stored as t * 0.5
  kShaperModeSel,      // dynamic-shaper mode m, stored as m / 3
};

// What a program starts from before its own settings.
enum eBase : int {
  kBaseline = 0,  // the common baseline alone
  kKickBase,      // the baseline, then the kick-drum values
};

struct Setting {
  Harshbloom::eParameterTags tag;
  eValueKind kind;
  double number;
};

// A program: its name, the baseline's output volume and band mode, and its
// settings kSettings[first .. first + count).
struct Entry {
  const char* name;
  double volume;
  bool singleBand;
  eBase base;
  int first;
  int count;
};

extern const Setting kSettings[];
extern const Entry kEntries[90];
extern const Entry kSpareEntries[5];

}  // namespace FactoryTable
}  // namespace Rawnfield
