#pragma once

#include <cstdint>
#include <string>

#include "AudioProcessingUnit.h"
#include "DspLib/Dsp.h"
#include "WorkBuffer.h"

namespace Rawnfield {

// Argument of HqFilterUnit::setMode; the stage gives its values no meaning.
enum eHqFilterMode : int32_t { kHqFilterOff = 0 };

// The high-quality output filter stage: it holds an order-4 Bessel low-pass
// and high-pass pair, but the stage is inactive: process() and setMode()
// do nothing and the description always reports it off.
class HqFilterUnit : public AudioProcessingUnit {
public:
  static constexpr int kDefaultBlockSize = 1024;

  HqFilterUnit();
  ~HqFilterUnit() override;
  HqFilterUnit(const HqFilterUnit&) = delete;
  HqFilterUnit& operator=(const HqFilterUnit&) = delete;

  // Creates both filters (once) at their defaults with order 4.
  void init();
  void setBlockSize(int n);
  void setSampleRate(double rate) override;
  void reset();
  void process(double** io, int frames);
  void setMode(eHqFilterMode mode);
  void setMode(double v);
  std::string getDescription() const;

  WorkBuffer workLeft{kDefaultBlockSize};
  WorkBuffer workRight{kDefaultBlockSize};
  Dsp::Filter* lowPass = nullptr;
  Dsp::Filter* highPass = nullptr;
};

}  // namespace Rawnfield
