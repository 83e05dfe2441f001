#include "OscFilterUnit.h"

#include "GenMath.h"

namespace Rawnfield {

namespace {

const char* const kNames[Types::kNumOscFilterTypes] = {
    "Paul Kellett LP", "Paul Kellett HP",   "Paul Kellett BP",   "Butterworth HP",
    "Butterworth LP",  "State-Variable LP", "State-Variable HP", "OFF (Bypass Filter)",
};
const char* const kShortNames[Types::kNumOscFilterTypes] = {
    "PK LP", "PK HP", "PK BP", "BW HP", "BW LP", "SV LP", "SV HP", "OFF",
};

int typeOf(double selection) {
  return GenMath::selectionIndex(selection, 7, 7);
}

}  // namespace

// --- OscFilterBank ------------------------------------------------------

void OscFilterBank::init() {
  paulKellettLP.setFilterMode(kFilterModeLowPass);
  paulKellettHP.setFilterMode(kFilterModeHighPass);
  paulKellettBP.setFilterMode(kFilterModeBandPass);
}

std::array<IRnFilter*, 7> OscFilterBank::stateful() {
  return {&paulKellettLP, &paulKellettHP, &paulKellettBP, &butterworthHP,
          &butterworthLP, &stateVariableLP, &stateVariableHP};
}

void OscFilterBank::setSampleRate(double rate) {
  for (IRnFilter* f : stateful()) f->setSampleRate(rate);
}

void OscFilterBank::reset() {
  for (IRnFilter* f : stateful()) f->reset();
}

IRnFilter* OscFilterBank::getFilter(double v) {
  switch (typeOf(v)) {
    case Types::kOscFilterPaulKellettHP:
      return &paulKellettHP;
    case Types::kOscFilterPaulKellettBP:
      return &paulKellettBP;
    case Types::kOscFilterButterworthHP:
      return &butterworthHP;
    case Types::kOscFilterButterworthLP:
      return &butterworthLP;
    case Types::kOscFilterStateVariableLP:
      return &stateVariableLP;
    case Types::kOscFilterStateVariableHP:
      return &stateVariableHP;
    case Types::kOscFilterBypass:
      return &bypassFilter;
    default:
      return &paulKellettLP;
  }
}

const char* OscFilterBank::getFilterName(Types::eOscFilterType t) {
  return t < Types::kNumOscFilterTypes ? kNames[t] : "Unknown Filter";
}

const char* OscFilterBank::getFilterShortName(Types::eOscFilterType t) {
  return t < Types::kNumOscFilterTypes ? kShortNames[t] : "Unknown";
}

// --- OscFilterUnit ------------------------------------------------------

OscFilterUnit::OscFilterUnit()
    : filter1(bank1.getDefaultFilterLeft()), filter2(bank2.getDefaultFilterRight()) {}

void OscFilterUnit::init() {
  bank1.init();
  bank2.init();
  filterSel1 = 0.0;
  filterSel2 = 3.0 / 7.0;
  filter1 = bank1.getDefaultFilterLeft();
  filter2 = bank2.getDefaultFilterRight();
}

void OscFilterUnit::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  bank1.setSampleRate(rate);
  bank2.setSampleRate(rate);
  reset();
}

void OscFilterUnit::reset() {
  bank1.reset();
  bank2.reset();
}

void OscFilterUnit::setFilterType1(double v) {
  filterSel1 = v;
  filter1 = bank1.getFilter(v);
}

void OscFilterUnit::setFilterType2(double v) {
  filterSel2 = v;
  filter2 = bank2.getFilter(v);
}

namespace {

// A selection that names no filter reads as type 8, which has no name.
Types::eOscFilterType nameType(double selection) {
  const int t = typeOf(selection);
  return static_cast<Types::eOscFilterType>(t < 0 ? static_cast<int>(Types::kNumOscFilterTypes) : t);
}

}  // namespace

const char* OscFilterUnit::getLeftFilterTypeText() const {
  return OscFilterBank::getFilterName(nameType(filterSel1));
}

const char* OscFilterUnit::getRightFilterTypeText() const {
  return OscFilterBank::getFilterName(nameType(filterSel2));
}

const char* OscFilterUnit::getLeftFilterShortText() const {
  return OscFilterBank::getFilterShortName(nameType(filterSel1));
}

const char* OscFilterUnit::getRightFilterShortText() const {
  return OscFilterBank::getFilterShortName(nameType(filterSel2));
}

double OscFilterUnit::process(double in, double cutoff, double resonance) {
  const double a = filter1->process(in, cutoff, resonance);
  const double b = filter2->process(in, cutoff, resonance);
  mix = mix * mixCoef + mixTarget * mixCoefComplement;
  return b * mix + (1.0 - mix) * a;
}

}  // namespace Rawnfield
