#include "ShelfEqualizer.h"

#include "UnitFilters.h"

namespace Rawnfield {

using namespace UnitFilters;

EqBand::~EqBand() {
  delete filter;
  filter = nullptr;
}

void EqBand::create(Dsp::Filter* design, double frequencyHz, double bandwidthHz) {
  delete filter;
  filter = design;
  frequency = frequencyHz;
  bandwidth = bandwidthHz;
  params = filter->getDefaultParams();
  setEntry(*filter, params, Dsp::idFrequency, frequency);
  setEntry(*filter, params, Dsp::idOrder, 2);
  if (bandwidth > 0.0) setEntry(*filter, params, Dsp::idBandwidthHz, bandwidth);
  filter->setParams(params);
}

void EqBand::setSampleRate(double rate) {
  if (!filter) return;
  setEntry(*filter, params, Dsp::idSampleRate, rate);
  setEntry(*filter, params, Dsp::idFrequency, limitToRate(frequency, rate));
  filter->setParams(params);
}

void EqBand::setAmount(double v) {
  amount = v;
  if (!filter) return;
  setEntry(*filter, params, Dsp::idGain, nativeOf(*filter, Dsp::idGain, v));
  filter->setParams(params);
}

double EqBand::gainDb() const {
  return filter ? nativeOf(*filter, Dsp::idGain, amount) : 0.0;
}

ShelfEqualizer::~ShelfEqualizer() {}

void ShelfEqualizer::build(double bassHz, const double (*shelves)[2], int numShelves,
                           double highHz) {
  using namespace Dsp;
  numBands = numShelves + 2 <= kMaxBands ? numShelves + 2 : kMaxBands;
  bands[0].create(makeSmoothed<Butterworth::Design::LowShelf<2>, DirectFormI>(), bassHz, 0.0);
  for (int i = 1; i < numBands - 1; ++i)
    bands[i].create(makeSmoothed<Butterworth::Design::BandShelf<2>, DirectFormI>(),
                    shelves[i - 1][0], shelves[i - 1][1]);
  bands[numBands - 1].create(makeSmoothed<Butterworth::Design::HighShelf<2>, DirectFormI>(), highHz,
                             0.0);
  reset();
}

void ShelfEqualizer::setBlockSize(int n) {
  workLeft.grow(n);
  workRight.grow(n);
}

void ShelfEqualizer::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  for (int i = 0; i < numBands; ++i) bands[i].setSampleRate(rate);
}

void ShelfEqualizer::reset() {
  for (int i = 0; i < numBands; ++i)
    if (bands[i].filter) bands[i].filter->reset();
}

void ShelfEqualizer::process(double** io, int frames) {
  processWithFade(*this, io, frames, workLeft, workRight, [this](double** work, int n) {
    Dsp::Filter* filters[kMaxBands];
    for (int i = 0; i < numBands; ++i) filters[i] = bands[i].filter;
    Dsp::processSeries(filters, numBands, n, work);
  });
}

void ShelfEqualizer::processBoth(ShelfEqualizer& a, double** ioA, ShelfEqualizer& b, double** ioB,
                                 int frames) {
  // What process does without a fade: the filters on the block itself.
  const auto plain = [frames](const ShelfEqualizer& e, double** io) {
    return !e.isFadedOut() && UnitMath::isBlock(io, frames) && frames <= e.workLeft.capacity &&
           frames <= e.workRight.capacity && e.fadeGain == 1.0;
  };
  if (&a == &b || !plain(a, ioA) || !plain(b, ioB)) {
    a.process(ioA, frames);
    b.process(ioB, frames);
    return;
  }
  Dsp::Filter* first[kMaxBands];
  Dsp::Filter* second[kMaxBands];
  for (int i = 0; i < a.numBands; ++i) first[i] = a.bands[i].filter;
  for (int i = 0; i < b.numBands; ++i) second[i] = b.bands[i].filter;
  Dsp::processSeriesPair(first, a.numBands, ioA, second, b.numBands, ioB, frames);
}

}  // namespace Rawnfield
