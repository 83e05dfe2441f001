#pragma once

#include "RnFilter.h"

namespace Rawnfield {

// The "off" choice of the filter banks: every sample passes unchanged.
class RnBypassFilter : public IRnFilter {
public:
  double process(double in, double, double) override { return in; }
  void setSampleRate(double) override {}
  void setFilterMode(eFilterMode) override {}
  void reset() override {}
};

}  // namespace Rawnfield
