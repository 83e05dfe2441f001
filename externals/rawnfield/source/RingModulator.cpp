#include "RingModulator.h"

#include <cmath>

#include "UnitMath.h"

namespace Rawnfield {

RingModulator::RingModulator() {
  init();
}

void RingModulator::init() {
  osc1.setWaveform(PolyBLEP::SINE);
  osc2.setWaveform(PolyBLEP::SINE);
  osc3.setWaveform(PolyBLEP::SINE);
  amountCoef = 0.9777;
  amountCoefComplement = 0.0223;
}

void RingModulator::tuneOscillators() {
  const double hz = frequency * maxFrequency;
  osc1.setFrequency(hz);
  osc2.setFrequency(2.0 * hz);
  osc3.setFrequency(4.0 * hz);
}

void RingModulator::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  tuneOscillators();
  osc1.setSampleRate(rate);
  osc2.setSampleRate(rate);
  osc3.setSampleRate(rate);
}

void RingModulator::setFrequency(double v) {
  frequency = v;
  tuneOscillators();
}

void RingModulator::setWaveform(double v) {
  const double c = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
  // NaN fails both tests above and is taken as 0.
  waveform = c == c ? static_cast<uint32_t>(std::floor(4.0 * c + 0.5)) : kRingSine;
  switch (waveform) {
    case kRingPulse:
      osc1.setWaveform(PolyBLEP::SQUARE);
      break;
    case kRingSaw:
      osc1.setWaveform(PolyBLEP::SAWTOOTH);
      break;
    default:
      osc1.setWaveform(PolyBLEP::SINE);
      osc2.setWaveform(PolyBLEP::SINE);
      osc3.setWaveform(PolyBLEP::SINE);
      break;
  }
}

const char* RingModulator::getWaveformText() const {
  switch (waveform) {
    case kRingPulse:
      return "Pulse";
    case kRingSaw:
      return "Saw";
    case kRingSine2:
      return "Sine2";
    case kRingSine3:
      return "Sine3";
    default:
      return "Sine";
  }
}

void RingModulator::process(double** io, int n) {
  if (isFadedOut() || !UnitMath::isBlock(io, n)) return;
  if (frequency == 0.0 || amount == 0.0) return;
  double* l = io[0];
  double* r = io[1];
  for (int i = 0; i < n; ++i) {
    if (waveform == kRingSine2) {
      osc1.inc();
      osc2.inc();
    }
    double c = osc1.getAndInc();
    if (waveform == kRingSine3) {
      c = osc2.getAndInc() - c;
      c = (osc3.getAndInc() + c) * 0.3;
    }
    smoothedAmount = smoothedAmount * amountCoef + amount * amountCoefComplement;
    const double g = smoothedAmount * fadeGain;
    l[i] = l[i] * (1.0 - g) + l[i] * g * c;
    r[i] = r[i] * (1.0 - g) + r[i] * g * c;
    // Twice per frame: a switch completes in half the usual ramp.
    advanceFade();
    advanceFade();
  }
}

}  // namespace Rawnfield
