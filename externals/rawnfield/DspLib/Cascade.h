#pragma once

// A chain of second-order sections realising one designed filter. The sections live in an
// array the design provides; the cascade owns no memory.

#include <vector>

#include "Biquad.h"
#include "Common.h"
#include "Layout.h"

namespace Dsp {

class Cascade {
public:
  struct Storage {
    Storage(int maxStages_, Biquad* stageArray_) : maxStages(maxStages_), stageArray(stageArray_) {}
    int maxStages;
    Biquad* stageArray;
  };

  Cascade() : m_numStages(0), m_maxStages(0), m_stageArray(nullptr) {}

  void setCascadeStorage(const Storage& storage) {
    m_numStages = 0;
    m_maxStages = storage.maxStages;
    m_stageArray = storage.stageArray;
  }

  int getNumStages() const { return m_numStages; }
  const Biquad& operator[](int index) const { return m_stageArray[index]; }

  // Product of the sections' responses, one complex division at the end; 1 with no section.
  complex_t response(double normalizedFrequency) const;
  // One pair per section in use, in section order.
  std::vector<PoleZeroPair> getPoleZeros() const;
  // Scales the first section's numerator.
  void applyScale(double scale);
  // One section per pole/zero pair, then the gain at the layout's normal frequency is set to
  // the layout's normal gain through the first section.
  void setLayout(const LayoutBase& layout);

  template <class StateType, class Sample>
  void process(int numSamples, Sample* dest, StateType& state) const {
    state.process(numSamples, dest, m_stageArray, m_numStages);
  }

  template <class StateType, class Sample>
  void processPair(int numSamples, Sample* a, Sample* b, StateType& sa, StateType& sb) const {
    StateType::processPair(sa, sb, numSamples, a, b, m_stageArray, m_numStages);
  }

  template <class StateType>
  double processSample(double x, StateType& state) const {
    return state.processSample(x, m_stageArray, m_numStages);
  }

private:
  int m_numStages;
  int m_maxStages;
  Biquad* m_stageArray;
};

}  // namespace Dsp
