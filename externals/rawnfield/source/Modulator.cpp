#include "Modulator.h"

#include <cmath>

namespace Rawnfield {

Modulator::Modulator() : phaseInc(1.0 / sampleRate) {}

void Modulator::init() {
  phase = 0.0;
  counter = 0;
  phaseInc = 1.0 / sampleRate;
}

void Modulator::reset() {
  phase = 0.0;
  counter = 0;
}

void Modulator::setSampleRate(double rate) {
  AudioProcessingUnit::setSampleRate(rate);
  frequencyHz = frequency * maxFrequency;
  phaseInc = frequencyHz / rate;
}

void Modulator::setFrequency(double v) {
  frequency = v;
  frequencyHz = v * maxFrequency;
  phaseInc = frequencyHz / sampleRate;
}

void Modulator::setFrequencyHz(double hz) {
  setFrequency(hz / maxFrequency);
}

void Modulator::setLfoMode(double v) {
  const double m = std::floor(4.0 * v + 0.5);
  // Anything that is not a small whole number (NaN, huge values) reads as 0.
  lfoMode = m >= -1e6 && m <= 1e6 ? static_cast<int32_t>(m) : 0;
  waveform = kModulatorSine;
  polarity = lfoMode == 4 ? -1.0 : 1.0;
}

}  // namespace Rawnfield
