#include "FilterTypes.h"

#include <cmath>

namespace Rawnfield {
namespace Types {

const char* const kFilterTypeNames[kNumFilterTypes] = {
    "RBJ LowPass",
    "RBJ HighPass",
    "RBJ BandPass 1",
    "RBJ BandStop",
    "StateVariable LowPass",
    "StateVariable HighPass",
    "Chebyshev HighPass 12dB",
    "Chebyshev HighPass 24dB",
    "Chebyshev LowPass 12dB",
    "Chebyshev LowPass 24dB",
    "Butterworth BandPass 12dB",
    "Butterworth BandStop 12dB",
};

const char* const kFilterTypeShortNames[kNumFilterTypes] = {
    "RBJ-LP",  "RBJ-HP",  "RBJ-BP1", "RBJ-BS",  "SV LP",   "SV HP",
    "CH-HP12", "CH-HP24", "CH-LP12", "CH-LP24", "BW-BP12", "BW-BS12",
};

}  // namespace Types

namespace {

bool named(Types::eFilterType t) {
  return static_cast<uint32_t>(t) <= static_cast<uint32_t>(FilterUti::kLastType);
}

// Names the program files accept for each type, besides the long name.
struct Alias {
  const char* name;
  Types::eFilterType type;
};
const Alias kAliases[] = {
    {"RBJ-LP", Types::kRBJLowPass},
    {"RBJ-HP", Types::kRBJHighPass},
    {"RBJ-BP", Types::kRBJBandPass1},
    {"RBJ-BP1", Types::kRBJBandPass1},
    {"RBJ-BS", Types::kRBJBandStop},
    {"HP 12dB", Types::kChebyshevHighPass12dB},
    {"HP 24dB", Types::kChebyshevHighPass24dB},
    {"LP 12dB", Types::kChebyshevLowPass12dB},
    {"LP 24dB", Types::kChebyshevLowPass24dB},
    {"BP 12dB", Types::kButterworthBandPass12dB},
    {"BS 12dB", Types::kButterworthBandStop12dB},
};

}  // namespace

Types::eFilterType FilterUti::typeOf(double v) {
  return static_cast<Types::eFilterType>(Dsp::truncateToInt(std::floor(kLastType * v + 0.5)));
}

std::string FilterUti::getFilterModeText(Types::eFilterType t) {
  return named(t) ? Types::kFilterTypeNames[t] : "";
}

std::string FilterUti::getFilterModeShortText(Types::eFilterType t) {
  return named(t) ? Types::kFilterTypeShortNames[t] : "";
}

std::string FilterUti::getFilterModeText(double v) {
  return getFilterModeText(typeOf(v));
}

Types::eFilterType FilterUti::getFilterMode(const std::string& name) {
  for (int t = 0; t < Types::kNumFilterTypes; ++t)
    if (name == Types::kFilterTypeNames[t]) return static_cast<Types::eFilterType>(t);
  for (const Alias& a : kAliases)
    if (name == a.name) return a.type;
  return Types::kRBJLowPass;
}

double FilterUti::getFilterModeSel(Types::eFilterType t) {
  return static_cast<double>(t) / kLastType;
}

double FilterUti::getNextFilterMode1(double v) {
  const int t = typeOf(v);
  return t == kLastType ? 0.0 : (static_cast<double>(t) + 1.0) / kLastType;
}

int FilterUti::getDefaultRezoId(const Dsp::Filter* filter) {
  if (!filter) return -1;
  for (int id : {Dsp::idQ, Dsp::idBandwidth, Dsp::idBandwidthHz, Dsp::idRippleDb}) {
    const int i = filter->findParamId(id);
    if (i >= 0) return i;
  }
  return -1;
}

}  // namespace Rawnfield
