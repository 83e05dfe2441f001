#include "FxTester.h"

#include <cmath>

#include "Bassdrum.h"
#include "GenMath.h"
#include "UnitMath.h"

namespace Rawnfield {

FxTester::FxTester() : kick(g909Bassdrum()) {}

void FxTester::init() {
  kickLength = kBassdrumLength;
}

void FxTester::reset() {
  phase = 0.0;
  kickPosition = 0;
}

void FxTester::updateIncrement() {
  // Before a rate is known the sine stands still rather than taking an
  // infinite step; setSampleRate computes the step from the kept frequency.
  phaseInc = signalRate > 0.0 ? frequency / signalRate : 0.0;
}

void FxTester::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  signalRate = rate > 0.0 && std::isfinite(rate) ? rate : 0.0;
  updateIncrement();
}

void FxTester::setBlockSize(int n) {
  requested = n;
  if (capacity >= n) return;
  bufL.assign(n, 0.0);
  bufR.assign(n, 0.0);
  capacity = n;
}

void FxTester::setTestSignalFreq(double v) {
  frequency = kTestSignalFrequencyMax * v + kTestSignalFrequencyMin;
  updateIncrement();
}

void FxTester::setTestSignalFreqHz(double hz) {
  frequency = hz;
  updateIncrement();
}

std::vector<double> FxTester::getTestFreqVector() {
  return {kTestSignalFrequencyDefault, 100.0, 440.0, 1000.0, 2500.0, 9200.0};
}

void FxTester::process(double** io, double**, int n) {
  if (isFadedOut() || !UnitMath::isBlock(io, n) || capacity < n) return;
  // Before init() there is no kick length to loop over: the kick stays
  // silent and its position at 0.
  const bool kickPlays = kickOn && kickLength > 0;
  if (!kickPlays && !testOn) return;
  double* l = io[0];
  double* r = io[1];
  for (int i = 0; i < n; ++i) {
    double y = 0.0;
    if (testOn) {
      y = std::sin(GenMath::kTwoPi * phase);
      // Kept within one cycle so the sine stays exact however long it runs.
      phase = GenMath::wrapUnit(phase + phaseInc);
    }
    if (kickPlays) y += kick[kickPosition % kBassdrumLength];
    l[i] = r[i] = y * outputGain;
    advanceFade();
    if (kickLength > 0) kickPosition = (kickPosition + 1) % kickLength;
  }
  framesProduced += n;
}

}  // namespace Rawnfield
