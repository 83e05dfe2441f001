#pragma once

// The effect's 85 parameters: name, group, label, range and display step of
// every index, in one table. The index is the program tag, so the same
// number addresses the parameter, the program value, the program-file line
// and the value's place in a state chunk. 65..84 are reserved: kept and
// saved, read by nothing.

class IParam;

namespace HarshbloomParams {

constexpr int kNumParams = 85;
constexpr int kFirstReserved = 65;

struct Row {
  const char* name;
  const char* group;
  const char* label;
  double step;  // display precision only; values are not quantised
  double min;
  double max;
};

// The row of index 0..84, or null. Reserved rows carry no name: see
// reservedName.
const Row* row(int index);
// "Reserved Parameter NN" for index 65 + NN.
void reservedName(int index, char* out, int outSize);
// Initialises the parameter of an index as a linear double parameter of its
// row, with the given default, which also becomes its value (a NaN too).
void initParam(IParam* param, int index, double defaultValue);

}  // namespace HarshbloomParams
