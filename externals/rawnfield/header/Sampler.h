#pragma once

#include <memory>

#include "AudioProcessingUnit.h"

namespace Rawnfield {

// One mono sample with its own sample rate, read at any time position with
// linear interpolation.
class SampleObject {
public:
  SampleObject() = default;
  SampleObject(const SampleObject&) = delete;
  SampleObject& operator=(const SampleObject&) = delete;

  // Copies n values; the array grows when needed and is reused otherwise.
  // A call with a null array (n > 0), a negative count or a rate that is not
  // above 0 is refused and the current data kept.
  void setData(const double* data, int n, double sampleRate);

  // The value at t seconds; 0.0 outside [0, duration). The last value
  // interpolates with itself.
  double getSample(double t) const;

  std::unique_ptr<double[]> data;
  int allocated = 0;
  int count = 0;  // values of the current data
  double duration = 0.0;
  double dataRate = 44100.0;
};

// The sample player unit: a SampleObject with the unit base.
class Sampler : public AudioProcessingUnit, public SampleObject {
public:
  // The unit's own rate; the data keeps its rate.
  void setSampleRate(double rate) override { AudioProcessingUnit::setSampleRate(rate); }
  void reset() {}
};

}  // namespace Rawnfield
