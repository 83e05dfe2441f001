#pragma once

#include <cstdint>

#include "AudioProcessingUnit.h"

namespace Rawnfield {

// Settings of a low-frequency modulator: a frequency as a control value
// (0..1 of the maximum frequency), an amount, a waveform and a mode. It has
// no processing of its own; its owner reads the phase increment, waveform,
// mode, polarity and counter.
class Modulator : public AudioProcessingUnit {
public:
  enum eModulatorWaveform : uint32_t { kModulatorSine = 0 };

  Modulator();

  void init();
  void reset();
  void setSampleRate(double rate) override;

  // v: 0..1 of the maximum frequency.
  void setFrequency(double v);
  void setFrequencyHz(double hz);
  void setMaxFrequency(double hz) { maxFrequency = hz; }
  void setAmount(double a) { amount = a; }
  void setWaveform(eModulatorWaveform w) { waveform = w; }
  double getMaxFrequency() const { return maxFrequency; }
  double getFrequency() const { return frequency; }
  double getAmount() const { return amount; }

  // Mode floor(4 v + 0.5); mode 4 turns the polarity negative. Resets the
  // waveform to the first.
  void setLfoMode(double v);

  uint64_t counter = 0;
  double amount = 0.5;
  double maxFrequency = 20.0;
  double frequency = 0.05;
  double frequencyHz = 1.0;
  double phase = 0.0;
  double phaseInc;
  double polarity = 1.0;
  eModulatorWaveform waveform = kModulatorSine;
  int32_t lfoMode = 0;
};

}  // namespace Rawnfield
