#pragma once

#include <cstdint>
#include <string>

#include "DspLib/Dsp.h"

namespace Rawnfield {
namespace Types {

// The filter unit's filter types; a type's control value is type / 11.
// Values outside 0..11 can be stored: they filter as type 0 and have no name.
enum eFilterType : int32_t {
  kRBJLowPass = 0,
  kRBJHighPass,
  kRBJBandPass1,
  kRBJBandStop,
  kStateVariableLowPass,
  kStateVariableHighPass,
  kChebyshevHighPass12dB,
  kChebyshevHighPass24dB,
  kChebyshevLowPass12dB,
  kChebyshevLowPass24dB,
  kButterworthBandPass12dB,
  kButterworthBandStop12dB,
  kNumFilterTypes,  // 12
};

// Menu and program-file names, and the editor's short labels, by type.
extern const char* const kFilterTypeNames[kNumFilterTypes];
extern const char* const kFilterTypeShortNames[kNumFilterTypes];

}  // namespace Types

// Naming and selecting filter types for programs, presets and the editor.
class FilterUti {
public:
  FilterUti() = delete;

  static constexpr int kLastType = Types::kNumFilterTypes - 1;  // 11

  // floor(11 v + 0.5), unclamped (NaN gives 0).
  static Types::eFilterType typeOf(double v);

  // Long and short names; "" outside 0..11.
  static std::string getFilterModeText(Types::eFilterType t);
  static std::string getFilterModeShortText(Types::eFilterType t);
  // Long name of the type that control value v selects; "" outside 0..11.
  static std::string getFilterModeText(double v);
  // The type of a program-file name (long names and a few older labels,
  // case-sensitive); 0 for anything else.
  static Types::eFilterType getFilterMode(const std::string& name);
  // t / 11.
  static double getFilterModeSel(Types::eFilterType t);
  // Control value of the type after the one v selects, wrapping 11 to 0.
  static double getNextFilterMode1(double v);
  // Position of the parameter the resonance control drives: the first of
  // Q, bandwidth in octaves, bandwidth in Hz and ripple the design has;
  // -1 when it has none (or there is no filter).
  static int getDefaultRezoId(const Dsp::Filter* filter);
};

}  // namespace Rawnfield
