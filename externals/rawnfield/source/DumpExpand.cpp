#include "DumpExpand.h"

#include "CurveMath.h"
#include "UnitFilters.h"

namespace Rawnfield {

using namespace UnitFilters;

DumpExpand::DumpExpand() {
  init();
  setBlockSize(kDefaultBlockSize);
  setDumpExpand(kDefaultPosition);
}

DumpExpand::~DumpExpand() {
  delete lowPass;
  delete highPass;
}

void DumpExpand::init() {
  if (lowPass) return;
  using namespace Dsp;
  lowPass = makeSmoothed<ChebyshevI::Design::LowPass<4>, DirectFormI>();
  highPass = makeSmoothed<ChebyshevI::Design::HighPass<4>, DirectFormI>();
  lowPass->setParams(lowPass->getDefaultParams());
  highPass->setParams(highPass->getDefaultParams());
  highPassParams = highPass->getParams();
  setEntry(*highPass, highPassParams, idOrder, 2);
  setEntry(*highPass, highPassParams, idFrequency, kMinHz);
  highPass->setParams(highPassParams);
  lowPassParams = lowPass->getParams();
  setEntry(*lowPass, lowPassParams, idOrder, 2);
  setEntry(*lowPass, lowPassParams, idFrequency, kMaxHz);
  lowPass->setParams(lowPassParams);
  reset();
}

void DumpExpand::setBlockSize(int n) {
  wetLeft.grow(n);
  wetRight.grow(n);
}

void DumpExpand::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  setEntry(*highPass, highPassParams, Dsp::idSampleRate, rate);
  setEntry(*lowPass, lowPassParams, Dsp::idSampleRate, rate);
  // Frequencies fixed for the old rate may lie above half the new one.
  setDumpExpand(position);
}

void DumpExpand::reset() {
  highPass->reset();
  lowPass->reset();
}

void DumpExpand::setSide(Dsp::Filter& filter, Dsp::Params& block, double control) {
  double hz = controlToHz(control);
  if (sampleRate <= kUnclampedAboveRate) hz = clampHz(hz, kMinHz, kMaxHz);
  setEntry(filter, block, Dsp::idFrequency, limitToRate(hz, sampleRate));
  filter.setParams(block);
}

void DumpExpand::setDumpExpand(double v) {
  position = CurveMath::clampPosition(v);
  const double h = CurveMath::clampPosition(2.0 * position - 1.0);
  const double l = 2.0 * position < 1.0 ? 2.0 * position : 1.0;
  setSide(*highPass, highPassParams, h);
  setSide(*lowPass, lowPassParams, l);
}

double DumpExpand::getDumpExpandFreq() const {
  return frequencyOf(activeSide());
}

double DumpExpand::getDumpExpandFreqResponse(double f) const {
  return magnitude(*activeSide(), f);
}

void DumpExpand::updateGUIData(double* data, int n) const {
  if (!data || n < 1) return;
  for (int i = 0; i < n; ++i) {
    const double r = static_cast<double>(i) / n;
    data[i] = getDumpExpandFreqResponse(r * r * 0.5);
  }
  if (position > 0.5) data[n - 1] = 1.0;
}

void DumpExpand::process(double** io, int frames) {
  processWithFade(*this, io, frames, wetLeft, wetRight, [this](double** wet, int n) {
    Dsp::Filter* const filters[2] = {lowPass, highPass};
    Dsp::processSeries(filters, 2, n, wet);
  });
}

}  // namespace Rawnfield
