#pragma once

#include <cstdint>

namespace Rawnfield {

// Response modes of the per-sample filter interface.
enum eFilterMode : int32_t {
  kFilterModeLowPass = 0,
  kFilterModeHighPass = 1,
  kFilterModeBandPass = 2,
  // Only the cookbook biquad answers these.
  kFilterModeNotch = 3,
  kFilterModePeak = 4,
  kFilterModeLowShelf = 5,
  kFilterModeHighShelf = 6,
};

// A filter that runs one sample at a time with the cutoff and resonance
// given as control values (0..1) on every call.
class IRnFilter {
public:
  virtual double process(double in, double cutoff, double resonance) = 0;
  virtual void setSampleRate(double rate) = 0;
  virtual void setFilterMode(eFilterMode mode) = 0;
  virtual void reset() = 0;
  virtual ~IRnFilter() {}
};

}  // namespace Rawnfield
