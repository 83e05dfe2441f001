#include "BandSplitFilter.h"

#include <cstring>

#include "UnitFilters.h"
#include "UnitMath.h"

namespace Rawnfield {

using namespace UnitFilters;

BandSplitFilter::BandSplitFilter() {
  setBypass(false);
  setBlockSize(kDefaultBlockSize);
  init();
  setHighPassCutoff(kDefaultSubBandCutOffControlValue);
  setLowPassCutoff(kDefaultSubBandCutOffControlValue);
  reset();
}

BandSplitFilter::~BandSplitFilter() {
  for (Dsp::Filter*& f : designs) {
    delete f;
    f = nullptr;
  }
}

void BandSplitFilter::init() {
  if (designs[0]) return;
  using namespace Dsp;
  designs[kLowPass1] = makeSmoothed<Butterworth::Design::LowPass<1>, DirectFormII>();
  designs[kHighPass1] = makeSmoothed<Butterworth::Design::HighPass<1>, DirectFormII>();
  designs[kLowPass2] = makeSmoothed<Butterworth::Design::LowPass<2>, DirectFormII>();
  designs[kHighPass2] = makeSmoothed<Butterworth::Design::HighPass<2>, DirectFormII>();
  designs[kLowPass4] = makeSmoothed<Butterworth::Design::LowPass<4>, DirectFormII>();
  designs[kHighPass4] = makeSmoothed<Butterworth::Design::HighPass<4>, DirectFormII>();
  designs[kLowPass8] = makeSmoothed<Butterworth::Design::LowPass<8>, DirectFormII>();
  designs[kHighPass8] = makeSmoothed<Butterworth::Design::HighPass<8>, DirectFormII>();
  for (Filter* f : designs) f->setParams(f->getDefaultParams());
  const int orders[kNumDesigns] = {1, 1, 2, 2, 4, 4, 8, 8};
  for (int i = 0; i < kNumDesigns; ++i) designs[i]->setParamById(idOrder, orders[i]);
  for (Filter* f : designs) f->setParamById(idFrequency, kDefaultSubBandCutOffHz);
  // Run the glides of the set-up to their end on silence.
  double* band[2] = {lowLeft.data, lowRight.data};
  for (Filter* f : designs) f->process(capacity(), band);
}

int BandSplitFilter::capacity() const {
  int n = lowLeft.capacity;
  for (const WorkBuffer* b : {&lowRight, &highLeft, &highRight})
    if (b->capacity < n) n = b->capacity;
  return n;
}

void BandSplitFilter::setBlockSize(int n) {
  for (WorkBuffer* b : {&lowLeft, &lowRight, &highLeft, &highRight}) b->grow(n);
}

void BandSplitFilter::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  for (Dsp::Filter* f : designs)
    if (f) applyRate(*f, rate);
}

void BandSplitFilter::reset() {
  for (Dsp::Filter* f : designs)
    if (f) f->reset();
}

void BandSplitFilter::setCutoff(int side, double v) {
  const double hz = clampHz(controlToHz(v), kMinCutoffHz, kMaxCutoffHz);
  for (int i = side; i < kNumDesigns; i += 2)
    if (designs[i]) applyFrequency(*designs[i], hz);
}

void BandSplitFilter::setLowPassCutoff(double v) {
  lowPassControl = v;
  setCutoff(0, v);
}

void BandSplitFilter::setHighPassCutoff(double v) {
  highPassControl = v;
  setCutoff(1, v);
  if (link) setLowPassCutoff(v);
}

Dsp::Filter* BandSplitFilter::designFor(int side, eBandSplitSlope slope) const {
  return slope < kNumSlopes ? designs[2 * slope + side] : nullptr;
}

void BandSplitFilter::process(double** low, double** high, int frames) {
  if (isFadedOut() || !UnitMath::isBlock(low, frames) || !UnitMath::isBlock(high, frames)) return;
  if (frames > capacity()) return;
  double* lowBands[2] = {lowLeft.data, lowRight.data};
  double* highBands[2] = {highLeft.data, highRight.data};
  const size_t bytes = sizeof(double) * frames;
  for (int c = 0; c < 2; ++c) {
    std::memcpy(lowBands[c], low[c], bytes);
    std::memcpy(highBands[c], high[c], bytes);
  }
  // The two bands' filters are independent: their recurrences overlap.
  Dsp::processSideBySide(designFor(0, lowPassSlope), lowBands, designFor(1, highPassSlope),
                         highBands, frames);
}

double BandSplitFilter::getSubBandFilterCutoffFreqHz() const {
  return frequencyOf(designFor(0, lowPassSlope));
}

double BandSplitFilter::getDistoBandFilterCutoffFreqHz() const {
  return frequencyOf(designFor(1, highPassSlope));
}

double BandSplitFilter::getSubBandFilterFreqResponse(double f) const {
  const Dsp::Filter* d = designFor(0, lowPassSlope);
  return d ? magnitude(*d, f) : 1.0;
}

double BandSplitFilter::getDistoBandFilterFreqResponse(double f) const {
  const Dsp::Filter* d = designFor(1, highPassSlope);
  return d ? magnitude(*d, f) : 1.0;
}

}  // namespace Rawnfield
