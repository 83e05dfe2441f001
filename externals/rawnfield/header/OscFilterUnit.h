#pragma once

#include <array>
#include <cstdint>

#include "AudioProcessingUnit.h"
#include "BiquadTweakedButterworth.h"
#include "RnBypassFilter.h"
#include "RnFilterPaulKellett.h"
#include "StateVariableFilter.h"

namespace Rawnfield {
namespace Types {

// The filters a bank offers; a type's selection value is type / 7.
enum eOscFilterType : uint32_t {
  kOscFilterPaulKellettLP = 0,
  kOscFilterPaulKellettHP = 1,
  kOscFilterPaulKellettBP = 2,
  kOscFilterButterworthHP = 3,
  kOscFilterButterworthLP = 4,
  kOscFilterStateVariableLP = 5,
  kOscFilterStateVariableHP = 6,
  kOscFilterBypass = 7,
  kNumOscFilterTypes = 8,
};

}  // namespace Types

// One of each per-sample filter, held by value.
class OscFilterBank {
public:
  OscFilterBank() { init(); }

  // The three Paul Kellett filters to low-, high- and band-pass.
  void init();
  void setSampleRate(double rate);
  void reset();

  static double getFilterTypeSel(Types::eOscFilterType t) { return t / 7.0; }
  // The filter whose selection value rounds to v; the low-pass Paul Kellett
  // for anything outside the eight.
  IRnFilter* getFilter(double v);
  static const char* getFilterName(Types::eOscFilterType t);
  static const char* getFilterShortName(Types::eOscFilterType t);
  IRnFilter* getDefaultFilterLeft() { return &paulKellettLP; }
  IRnFilter* getDefaultFilterRight() { return &butterworthHP; }

  RnFilterPaulKellett paulKellettLP;
  RnFilterPaulKellett paulKellettHP;
  RnFilterPaulKellett paulKellettBP;
  BiquadTweakedButterworthHP<double> butterworthHP;
  BiquadTweakedButterworthLP<double> butterworthLP;
  StateVariableFilter<kSVLowPass, 1> stateVariableLP;
  StateVariableFilter<kSVHighPass, 1> stateVariableHP;
  RnBypassFilter bypassFilter;

private:
  // Every filter that has a rate and a memory (all but the bypass).
  std::array<IRnFilter*, 7> stateful();
};

// Two filters chosen from two banks run on the same sample; the result
// glides from the first filter's output to the second's as the mix goes
// from 0 to 1. Per-sample only: the base's bypass ramp is not applied.
class OscFilterUnit : public AudioProcessingUnit {
public:
  // Declared for callers that keep their cutoff a little below the top.
  static constexpr double kSafeFilterFactor = 0.99777;

  OscFilterUnit();
  // The current-filter pointers point into the unit's own banks.
  OscFilterUnit(const OscFilterUnit&) = delete;
  OscFilterUnit& operator=(const OscFilterUnit&) = delete;

  void init();
  void setSampleRate(double rate) override;
  void reset();

  void setFilterType1(double v);
  void setFilterType2(double v);
  void setFilterMix(double m) { mixTarget = m; }

  const char* getLeftFilterTypeText() const;
  const char* getRightFilterTypeText() const;
  const char* getLeftFilterShortText() const;
  const char* getRightFilterShortText() const;

  double process(double in, double cutoff, double resonance);

  double filterSel1 = 0.0;
  double filterSel2 = 3.0 / 7.0;
  double mixTarget = 1.0;
  double mixCoef = 0.99;
  double mixCoefComplement = 0.01;
  double mix = 0.0;  // smoothed
  OscFilterBank bank1;
  OscFilterBank bank2;
  IRnFilter* filter1;
  IRnFilter* filter2;
};

}  // namespace Rawnfield
