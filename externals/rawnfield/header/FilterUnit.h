#pragma once

#include <cstdint>
#include <string>

#include "AudioProcessingUnit.h"
#include "DistortionDataProvider.h"
#include "DspLib/Dsp.h"
#include "FilterTypes.h"
#include "Saturator.h"
#include "StateVariableFilter.h"
#include "WorkBuffer.h"

namespace Rawnfield {

// One filter slot of the filter unit: a ready design object for every
// filter type (and the state-variable filters of types 4 and 5), so that a
// type change on the audio path only re-points the slot.
struct FilterSet {
  // The owned designs, in list order.
  enum eDesign : int {
    kRBJHighPass = 0,
    kRBJLowPass,
    kRBJBandPass1,
    kRBJBandStop,
    kChebyshevHighPass2,  // order 2 of at most 4
    kChebyshevLowPass2,
    kChebyshevHighPass4,  // order 4
    kChebyshevLowPass4,
    kButterworthBandPass,
    kButterworthBandStop,
    kNumDesigns,
  };

  FilterSet() = default;
  ~FilterSet();
  FilterSet(const FilterSet&) = delete;
  FilterSet& operator=(const FilterSet&) = delete;

  // Creates the ten designs with their defaults and orders (once).
  void init();
  // The design a type runs through: types 0 and 4 and anything outside
  // 1..11 the RBJ low-pass, 1 and 5 the RBJ high-pass. Null before init.
  Dsp::Filter* getFilter(Types::eFilterType t) const;
  void reset();
  // The rate on every design; cutoffs held below half of it.
  void setSampleRate(double rate);
  // Deletes the designs.
  void exit();

  Dsp::Filter* designs[kNumDesigns] = {};
  StateVariableFilter<kSVLowPass, 2> svLowPass;
  StateVariableFilter<kSVHighPass, 2> svHighPass;
  StateVariableFilter<kSVBandPass, 2> svBandPass;
  StateVariableFilter<kSVNotch, 2> svNotch;
};

// The effect's dual filter stage: an input-drive saturator, then two filters
// of freely chosen types side by side on copies of the driven signal, mixed
// by a smoothed balance. Switching the unit in or out crossfades with the
// driven input.
//
// Call order: construct; init(provider) once; on every stream start
// setSampleRate, setBlockSize, reset; then the settings and process().
class FilterUnit : public AudioProcessingUnit {
public:
  static constexpr double kDefaultFilterCutoff = 1.0;
  static constexpr double kDefaultFilterResonance = 0.0;
  static constexpr double kMinCutoffHz = 20.0;
  static constexpr double kMaxCutoffHz = 21000.0;
  static constexpr double kMaxStateVariableCutoffHz = 20000.0;
  static constexpr int kDefaultBlockSize = 1024;
  static constexpr int kSlowTransitionSamples = 2048;
  static constexpr int kTransitionSamples = 512;

  enum eTransition : int32_t { kTransitionSlow = 0, kTransitionMedium = 1, kTransitionFast = 2 };

  FilterUnit();
  ~FilterUnit() override;
  FilterUnit(const FilterUnit&) = delete;
  FilterUnit& operator=(const FilterUnit&) = delete;

  // The drive saturator's curve and threshold, and the running speed of
  // the balance smoother.
  void init(DistortionDataProvider& provider);
  // Grows the work buffers (never shrinks) and the saturator's.
  void setBlockSize(int n);
  // The rate on every design and state-variable filter. The selected
  // designs take the cutoff again, held below half the new rate.
  void setSampleRate(double rate) override;
  // Clears the designs' histories (not the state-variable filters').
  void reset();

  void setInputDrive(double v);
  // v <= 1: control value (10 x 2204^v Hz); above 1: Hz. Held in 20..21000.
  void setCutoff(double v);
  void setCutoffHz(double hz);
  // Target frequency of slot 1's selected design.
  double getCutoffFreqHz() const;
  void setRezo(double v);
  void setQHelper(Dsp::Filter* filter, Types::eFilterType type, double v);
  static double calcQValue(double v, Types::eFilterType type);

  void setFilterType1(double v);
  void setFilterType2(double v);
  Types::eFilterType getFilterType1() const { return filterType1; }
  Types::eFilterType getFilterType2() const { return filterType2; }
  Dsp::Filter* getSelectedDSPFilterL() const { return slot1.getFilter(filterType1); }
  Dsp::Filter* getSelectedDSPFilterR() const { return slot2.getFilter(filterType2); }
  // Brings a newly selected design up to the current resonance, cutoff
  // and transition.
  void OnFilterTypeChanged(Dsp::Filter* filter, Types::eFilterType type);

  // 0: filter 1 only, 1: filter 2 only (not clamped).
  void setFilterMix(double v);
  void setFilterTransition(double v);
  double getFilterTransition() const { return transitionIndex * 0.5; }
  std::string getFilterTransitionText() const;

  std::string getLeftFilterTypeText() const;
  std::string getRightFilterTypeText() const;
  std::string getLeftFilterShortText() const;
  std::string getRightFilterShortText() const;

  // Stereo, in place. A block longer than the work buffers passes unchanged.
  void process(double** io, int frames);

  double cutoff = kDefaultFilterCutoff;  // Hz as last set
  double resonance = kDefaultFilterResonance;
  double filterMix = 1.0;
  Types::eFilterType filterType1 = Types::kRBJLowPass;
  Types::eFilterType filterType2 = Types::kChebyshevHighPass12dB;
  Smoother balance{0.99};
  WorkBuffer filter1Left, filter1Right;
  WorkBuffer filter2Left, filter2Right;
  FilterSet slot1;
  FilterSet slot2;
  Dsp::Filter* selected1 = nullptr;
  Dsp::Filter* selected2 = nullptr;
  int32_t transitionIndex = kTransitionFast;
  int32_t transitionSamples = kTransitionSamples;
  Saturator inputDrive{kFuzzyFilterDrive};

private:
  void initFilters();
  // Cutoff for the designs: at least 20 Hz, below half the design's rate.
  void applyCutoff(Dsp::Filter* design);
  void selectType(FilterSet& slot, Dsp::Filter*& selected, Types::eFilterType& type, double v);
  // One slot's filter on its work pair.
  void runFilter(FilterSet& slot, Dsp::Filter* design, Types::eFilterType type, double** pair,
                 int n);
  template <class F>
  void forEachStateVariable(F&& f) {
    for (FilterSet* s : {&slot1, &slot2}) {
      f(s->svLowPass);
      f(s->svHighPass);
      f(s->svBandPass);
      f(s->svNotch);
    }
  }
};

}  // namespace Rawnfield
