#include "FilterUnit.h"

#include <cstring>

#include "Settling.h"
#include "UnitFilters.h"

namespace Rawnfield {

using namespace UnitFilters;

namespace {

// A Butterworth band-stop whose band reaches past 0 Hz or half the rate
// puts a pole on the unit circle at that end, and the gain there grows
// without bound (a DC offset explodes). Its width is held so that both
// band edges stay inside these limits.
constexpr double kMinBandEdgeHz = 1.0;
constexpr double kMaxBandEdgeFraction = 0.495;

int bandStopWidthPosition(const Dsp::Filter& f) {
  return f.getKind() == Dsp::kindBandStop ? f.findParamId(Dsp::idBandwidthHz) : -1;
}

void holdBandStopWidth(const Dsp::Filter& f, Dsp::Params& block) {
  const int w = bandStopWidthPosition(f);
  if (w < 0) return;
  const double rate = entry(f, block, Dsp::idSampleRate, 44100.0);
  const double centre = entry(f, block, Dsp::idFrequency);
  const double below = centre - kMinBandEdgeHz;
  const double above = kMaxBandEdgeFraction * rate - centre;
  const double room = below < above ? below : above;
  if (room > 0.0 && block[w] > 2.0 * room) block[w] = 2.0 * room;
}

}  // namespace

// --- FilterSet ---------------------------------------------------------

FilterSet::~FilterSet() {
  exit();
}

void FilterSet::init() {
  if (designs[0]) return;
  using namespace Dsp;
  designs[kRBJHighPass] = makeSmoothed<RBJ::Design::HighPass, DirectFormII>();
  designs[kRBJLowPass] = makeSmoothed<RBJ::Design::LowPass, DirectFormII>();
  designs[kRBJBandPass1] = makeSmoothed<RBJ::Design::BandPass1, DirectFormII>();
  designs[kRBJBandStop] = makeSmoothed<RBJ::Design::BandStop, DirectFormII>();
  designs[kChebyshevHighPass2] = makeSmoothed<ChebyshevI::Design::HighPass<4>, DirectFormII>();
  designs[kChebyshevLowPass2] = makeSmoothed<ChebyshevI::Design::LowPass<4>, DirectFormII>();
  designs[kChebyshevHighPass4] = makeSmoothed<ChebyshevI::Design::HighPass<4>, DirectFormII>();
  designs[kChebyshevLowPass4] = makeSmoothed<ChebyshevI::Design::LowPass<4>, DirectFormII>();
  designs[kButterworthBandPass] = makeSmoothed<Butterworth::Design::BandPass<2>, DirectFormII>();
  designs[kButterworthBandStop] = makeSmoothed<Butterworth::Design::BandStop<2>, DirectFormII>();
  for (Filter* f : designs) f->setParams(f->getDefaultParams());
  for (int i :
       {kChebyshevHighPass2, kChebyshevLowPass2, kButterworthBandPass, kButterworthBandStop})
    designs[i]->setParamById(idOrder, 2);
  for (int i : {kChebyshevHighPass4, kChebyshevLowPass4}) designs[i]->setParamById(idOrder, 4);
}

Dsp::Filter* FilterSet::getFilter(Types::eFilterType t) const {
  switch (t) {
    case Types::kRBJHighPass:
    case Types::kStateVariableHighPass:
      return designs[kRBJHighPass];
    case Types::kRBJBandPass1:
      return designs[kRBJBandPass1];
    case Types::kRBJBandStop:
      return designs[kRBJBandStop];
    case Types::kChebyshevHighPass12dB:
      return designs[kChebyshevHighPass2];
    case Types::kChebyshevHighPass24dB:
      return designs[kChebyshevHighPass4];
    case Types::kChebyshevLowPass12dB:
      return designs[kChebyshevLowPass2];
    case Types::kChebyshevLowPass24dB:
      return designs[kChebyshevLowPass4];
    case Types::kButterworthBandPass12dB:
      return designs[kButterworthBandPass];
    case Types::kButterworthBandStop12dB:
      return designs[kButterworthBandStop];
    default:  // 0, 4 and every value outside the table
      return designs[kRBJLowPass];
  }
}

void FilterSet::reset() {
  for (Dsp::Filter* f : designs)
    if (f) f->reset();
}

void FilterSet::setSampleRate(double rate) {
  for (Dsp::Filter* f : designs)
    if (f) applyRate(*f, rate);
}

void FilterSet::exit() {
  for (Dsp::Filter*& f : designs) {
    delete f;
    f = nullptr;
  }
}

// --- FilterUnit --------------------------------------------------------

FilterUnit::FilterUnit() {
  setBlockSize(kDefaultBlockSize);
  initFilters();
  slot1.reset();
  slot2.reset();
}

FilterUnit::~FilterUnit() {}

void FilterUnit::initFilters() {
  slot1.init();
  slot2.init();
  transitionIndex = kTransitionFast;
  selected1 = slot1.getFilter(filterType1);
  selected2 = slot2.getFilter(filterType2);
  OnFilterTypeChanged(selected1, filterType1);
  OnFilterTypeChanged(selected2, filterType2);
}

void FilterUnit::init(DistortionDataProvider& provider) {
  inputDrive.init(provider);
  inputDrive.setDryWetThreshold(Saturator::kFastDryWetThreshold);
  balance.setCoefficient(0.9777);
}

void FilterUnit::setBlockSize(int n) {
  for (WorkBuffer* b : {&filter1Left, &filter1Right, &filter2Left, &filter2Right}) b->grow(n);
  inputDrive.setBlockSize(n);
}

void FilterUnit::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  slot1.setSampleRate(rate);
  slot2.setSampleRate(rate);
  forEachStateVariable([rate](auto& f) { f.setSampleRate(rate); });
  // A design that was held down at a lower rate opens up again.
  applyCutoff(selected1);
  applyCutoff(selected2);
}

void FilterUnit::reset() {
  slot1.reset();
  slot2.reset();
}

void FilterUnit::setInputDrive(double v) {
  inputDrive.amount = v;
}

void FilterUnit::setCutoff(double v) {
  const double hz = v <= 1.0 ? controlToHz(v) : v;
  setCutoffHz(clampHz(hz, kMinCutoffHz, kMaxCutoffHz));
}

void FilterUnit::setCutoffHz(double hz) {
  cutoff = hz;
  applyCutoff(selected1);
  applyCutoff(selected2);
  const double c = clampHz(hz, kMinCutoffHz, kMaxStateVariableCutoffHz);
  forEachStateVariable([c](auto& f) { f.setCutoffHz(c); });
}

void FilterUnit::applyCutoff(Dsp::Filter* design) {
  if (!design) return;
  Dsp::Params block = design->getParams();
  if (!setFrequencyEntry(*design, block, cutoff > kMinCutoffHz ? cutoff : kMinCutoffHz)) return;
  // The band-stop's width may open up again around the new centre.
  const int w = bandStopWidthPosition(*design);
  if (w >= 0) {
    block[w] = design->getParamInfo(w).toNativeValue(resonance);
    holdBandStopWidth(*design, block);
  }
  design->setParams(block);
}

double FilterUnit::getCutoffFreqHz() const {
  return frequencyOf(selected1);
}

void FilterUnit::setRezo(double v) {
  resonance = v;
  setQHelper(selected1, filterType1, v);
  setQHelper(selected2, filterType2, v);
  forEachStateVariable([v](auto& f) { f.setRezo(v); });
}

double FilterUnit::calcQValue(double v, Types::eFilterType type) {
  return type == Types::kButterworthBandPass12dB ? (1.0 - v) * 0.5 : v;
}

void FilterUnit::setQHelper(Dsp::Filter* filter, Types::eFilterType type, double v) {
  if (!filter) return;
  const int i = FilterUti::getDefaultRezoId(filter);
  if (i < 0) return;
  Dsp::Params block = filter->getParams();
  block[i] = filter->getParamInfo(i).toNativeValue(calcQValue(v, type));
  holdBandStopWidth(*filter, block);
  filter->setParams(block);
}

void FilterUnit::OnFilterTypeChanged(Dsp::Filter* filter, Types::eFilterType type) {
  if (!filter) return;
  setQHelper(filter, type, resonance);
  applyCutoff(filter);
  filter->doSetTransitionSamples(transitionSamples);
}

void FilterUnit::selectType(FilterSet& slot, Dsp::Filter*& selected, Types::eFilterType& type,
                            double v) {
  type = FilterUti::typeOf(v);
  selected = slot.getFilter(type);
  OnFilterTypeChanged(selected, type);
}

void FilterUnit::setFilterType1(double v) {
  selectType(slot1, selected1, filterType1, v);
}

void FilterUnit::setFilterType2(double v) {
  selectType(slot2, selected2, filterType2, v);
}

void FilterUnit::setFilterMix(double v) {
  filterMix = v;
}

void FilterUnit::setFilterTransition(double v) {
  const double c = v > 1.0 ? 1.0 : v;
  transitionIndex = c > 0.0 ? Dsp::truncateToInt(std::floor(2.0 * c + 0.5)) : 0;
  transitionSamples =
      transitionIndex == kTransitionSlow ? kSlowTransitionSamples : kTransitionSamples;
  for (Dsp::Filter* f : {selected1, selected2})
    if (f) f->doSetTransitionSamples(transitionSamples);
}

std::string FilterUnit::getFilterTransitionText() const {
  switch (transitionIndex) {
    case kTransitionSlow:
      return "Slow";
    case kTransitionMedium:
      return "Medium";
    default:
      return "Fast";
  }
}

std::string FilterUnit::getLeftFilterTypeText() const {
  return FilterUti::getFilterModeText(filterType1);
}

std::string FilterUnit::getRightFilterTypeText() const {
  return FilterUti::getFilterModeText(filterType2);
}

std::string FilterUnit::getLeftFilterShortText() const {
  return FilterUti::getFilterModeShortText(filterType1);
}

std::string FilterUnit::getRightFilterShortText() const {
  return FilterUti::getFilterModeShortText(filterType2);
}

namespace {

bool isStateVariable(Types::eFilterType type) {
  return type == Types::kStateVariableLowPass || type == Types::kStateVariableHighPass;
}

}  // namespace

void FilterUnit::runFilter(FilterSet& slot, Dsp::Filter* design, Types::eFilterType type,
                           double** pair, int n) {
  if (type == Types::kStateVariableLowPass)
    slot.svLowPass.process(pair, n);
  else if (type == Types::kStateVariableHighPass)
    slot.svHighPass.process(pair, n);
  else
    design->process(n, pair);
}

void FilterUnit::process(double** io, int frames) {
  if (isFadedOut() || !UnitMath::isBlock(io, frames)) return;
  const int capacity1 =
      filter1Left.capacity < filter1Right.capacity ? filter1Left.capacity : filter1Right.capacity;
  const int capacity2 =
      filter2Left.capacity < filter2Right.capacity ? filter2Left.capacity : filter2Right.capacity;
  if (frames > capacity1 || frames > capacity2 || !selected1 || !selected2) return;

  inputDrive.process(io, frames);

  double* f1[2] = {filter1Left.data, filter1Right.data};
  double* f2[2] = {filter2Left.data, filter2Right.data};
  const size_t bytes = sizeof(double) * frames;
  for (int c = 0; c < 2; ++c) {
    std::memcpy(f1[c], io[c], bytes);
    std::memcpy(f2[c], io[c], bytes);
  }
  if (isStateVariable(filterType1) || isStateVariable(filterType2)) {
    runFilter(slot1, selected1, filterType1, f1, frames);
    runFilter(slot2, selected2, filterType2, f2, frames);
  } else {
    // Two independent designs: their recurrences overlap.
    Dsp::processSideBySide(selected1, f1, selected2, f2, frames);
  }

  // The balanced mix goes into filter 1's pair, then fades against the
  // driven input.
  const int from = Settling::stepWhileMoving(balance, filterMix, 0, frames, [&](int i, double b) {
    for (int c = 0; c < 2; ++c) f1[c][i] = b * f2[c][i] + (1.0 - b) * f1[c][i];
  });
  const Dsp::Lanes b = Dsp::splat(balance.state);
  const Dsp::Lanes rest = Dsp::splat(1.0 - balance.state);
  for (int c = 0; c < 2; ++c) {
    int i = from;
    for (; i + 2 <= frames; i += 2)
      Dsp::storeLanes(f1[c] + i, b * Dsp::loadLanes(f2[c] + i) + rest * Dsp::loadLanes(f1[c] + i));
    if (i < frames) f1[c][i] = balance.state * f2[c][i] + (1.0 - balance.state) * f1[c][i];
  }
  crossfade(io, f1, io, frames);
}

}  // namespace Rawnfield
