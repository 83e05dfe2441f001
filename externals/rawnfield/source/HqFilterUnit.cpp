#include "HqFilterUnit.h"

#include "UnitFilters.h"

namespace Rawnfield {

HqFilterUnit::HqFilterUnit() {
  init();
}

HqFilterUnit::~HqFilterUnit() {
  delete lowPass;
  delete highPass;
}

void HqFilterUnit::init() {
  if (lowPass) return;
  using namespace Dsp;
  lowPass = UnitFilters::makeSmoothed<Bessel::Design::LowPass<4>, DirectFormII>();
  highPass = UnitFilters::makeSmoothed<Bessel::Design::HighPass<4>, DirectFormII>();
  lowPass->setParams(lowPass->getDefaultParams());
  highPass->setParams(highPass->getDefaultParams());
  lowPass->setParamById(idOrder, 4);
  highPass->setParamById(idOrder, 4);
}

void HqFilterUnit::setBlockSize(int n) {
  workLeft.grow(n);
  workRight.grow(n);
}

void HqFilterUnit::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  UnitFilters::applyRate(*lowPass, rate);
  UnitFilters::applyRate(*highPass, rate);
}

void HqFilterUnit::reset() {
  lowPass->reset();
  highPass->reset();
}

void HqFilterUnit::process(double**, int) {}

void HqFilterUnit::setMode(eHqFilterMode) {}

void HqFilterUnit::setMode(double) {}

std::string HqFilterUnit::getDescription() const {
  return "High-Quality Output Filter: off";
}

}  // namespace Rawnfield
