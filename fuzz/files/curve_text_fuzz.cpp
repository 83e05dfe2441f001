// The curve text parser: whatever the text, a failed parse leaves the curve
// as it was, a successful one needed 512 fields and leaves finite values in
// [-1, 1], and the curve's own text reloads to the same curve (within the
// half unit of the tenth decimal the text keeps).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_unit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Rawnfield::Distortion& unit = fuzzUnit();
  double before[512];
  memcpy(before, unit.getLutData(), sizeof before);

  const std::string text(reinterpret_cast<const char*>(data), size);
  const bool loaded = unit.setLutDataString(text);
  checkCurveAfter(unit, before, loaded);
  if (!loaded) return 0;
  fuzzCheck(std::count(text.begin(), text.end(), ',') >= 511);

  double parsed[512];
  memcpy(parsed, unit.getLutData(), sizeof parsed);
  fuzzCheck(unit.setLutDataString(unit.getLutDataString()));
  for (int i = 0; i < 512; ++i) fuzzCheck(std::fabs(unit.getLutData()[i] - parsed[i]) <= 5.01e-11);
  return 0;
}
