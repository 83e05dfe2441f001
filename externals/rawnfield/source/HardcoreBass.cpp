#include "HardcoreBass.h"

#include <cmath>

#include "GenMath.h"
#include "UnitFilters.h"
#include "UnitMath.h"

namespace Rawnfield {

namespace {

using UnitFilters::setEntry;

// Lets buffers grow only; a pair that is too small starts over as zeros.
void grow(std::vector<double>& l, std::vector<double>& r, int n) {
  if (static_cast<int>(l.size()) >= n && static_cast<int>(r.size()) >= n) return;
  l.assign(n, 0.0);
  r.assign(n, 0.0);
}

}  // namespace

HardcoreBass::HardcoreBass() {
  init();
  setBlockSize(1024);
}

void HardcoreBass::init() {
  centerHz = defaultCenter;
  cutoffHz = defaultCutoff;
  highPass.reset(new HighPass(kTransitionSamples));
  bandPass.reset(new BandPass(kTransitionSamples));
  highPassParams = highPass->getDefaultParams();
  bandPassParams = bandPass->getDefaultParams();
  // A later init keeps the rate the unit runs at.
  setEntry(*highPass, highPassParams, Dsp::idSampleRate, sampleRate);
  setEntry(*bandPass, bandPassParams, Dsp::idSampleRate, sampleRate);
  setEntry(*highPass, highPassParams, Dsp::idFrequency, cutoffHz);
  setEntry(*highPass, highPassParams, Dsp::idOrder, 2);
  setEntry(*bandPass, bandPassParams, Dsp::idFrequency, centerHz);
  setEntry(*bandPass, bandPassParams, Dsp::idOrder, 2);
  setEntry(*bandPass, bandPassParams, Dsp::idBandwidthHz, bandwidth);
  highPass->setParams(highPassParams);
  bandPass->setParams(bandPassParams);
  highPass->reset();
  bandPass->reset();
}

void HardcoreBass::setBlockSize(int n) {
  if (n < 1) return;
  blockSize = n;
  grow(hpL, hpR, n);
  grow(bpL, bpR, n);
}

void HardcoreBass::reset() {
  highPass->reset();
  bandPass->reset();
}

void HardcoreBass::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  highPassParams[0] = rate;
  bandPassParams[0] = rate;
  highPass->setParams(highPassParams);
  bandPass->setParams(bandPassParams);
}

void HardcoreBass::setBassHPFrequency(double v) {
  cutoffHz = 60.0 * v + 20.0;
  setEntry(*highPass, highPassParams, Dsp::idFrequency, cutoffHz);
  highPass->setParams(highPassParams);
}

void HardcoreBass::setBassCenterFrequency(double v) {
  centerHz = 100.0 * v + 100.0;
  setEntry(*bandPass, bandPassParams, Dsp::idFrequency, centerHz);
  bandPass->setParams(bandPassParams);
}

double HardcoreBass::getOldBassAmountDb() const {
  return 20.0 * std::log10(1.0 - hpAmount);
}

double HardcoreBass::getBassAmountdB() const {
  return 20.0 * std::log10(bassAmount);
}

void HardcoreBass::process(double** io, int n) {
  if (isFadedOut() || !UnitMath::isBlock(io, n)) return;
  if (static_cast<int>(hpL.size()) < n || static_cast<int>(bpL.size()) < n) return;
  double* l = io[0];
  double* r = io[1];
  for (int i = 0; i < n; ++i) {
    hpL[i] = bpL[i] = l[i];
    hpR[i] = bpR[i] = r[i];
  }
  if (hpAmount > 0.5) {
    double* ch[2] = {hpL.data(), hpR.data()};
    highPass->process(n, ch);
  }
  if (bassAmount > 0.0) {
    double* ch[2] = {bpL.data(), bpR.data()};
    bandPass->process(n, ch);
    const double k = 4.44 * drive;
    if (drive > 0.0 && k != 0.0) {
      // Below the floor the shaper's slope at 0 would fall under 1.
      const double gain = (k > 0.1287001287001287 ? k : 0.1287001287001287) * 7.77;
      for (double* c : ch)
        for (int i = 0; i < n; ++i) {
          const double y = std::atan(c[i]) / (GenMath::kPi / 4.0) * gain;
          c[i] = y < -1.0 ? -1.0 : (y > 1.0 ? 1.0 : y);
        }
    }
  }
  const double h = hpAmount;
  const double b = bassAmount;
  for (int i = 0; i < n; ++i) {
    double outL = l[i], outR = r[i];
    if (h > 0.0) {
      const double a = h * fadeGain;
      outL = (1.0 - a) * l[i] + a * hpL[i];
      outR = (1.0 - a) * r[i] + a * hpR[i];
    }
    if (b > 0.0) {
      outL += bpL[i] * b * fadeGain;
      outR += bpR[i] * b * fadeGain;
    }
    l[i] = outL;
    r[i] = outR;
    advanceFade();
  }
}

}  // namespace Rawnfield
