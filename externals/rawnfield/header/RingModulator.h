#pragma once

#include <cstdint>

#include "AudioProcessingUnit.h"
#include "PolyBLEP.h"

namespace Rawnfield {

// Multiplies a stereo block with a carrier made of up to three oscillators
// at the set frequency and its second and fourth multiples. The amount
// blends from the dry signal (0) to the fully modulated one (1).
class RingModulator : public AudioProcessingUnit {
public:
  static constexpr double kMaxRingRate = 4000.0;  // Hz at a frequency control of 1

  // Carrier shapes; a control value v selects floor(4 v + 0.5).
  enum eRingWaveform : uint32_t {
    kRingSine = 0,
    kRingPulse = 1,
    kRingSaw = 2,
    kRingSine2 = 3,  // oscillator 1 stepped twice per frame: twice the frequency
    kRingSine3 = 4,  // three sines, at 1, 2 and 4 times the frequency, mixed
  };

  RingModulator();

  void init();
  void setSampleRate(double rate) override;

  // v: 0..1 of the maximum frequency.
  void setFrequency(double v);
  void setMaxFrequency(double hz) { maxFrequency = hz; }
  void setAmount(double a) { amount = a; }
  double getMaxFrequency() const { return maxFrequency; }
  double getFrequency() const { return frequency; }
  double getAmount() const { return amount; }

  void setWaveform(double v);
  double getWaveform() const { return waveform * 0.25; }
  const char* getWaveformText() const;

  // In place on io[0] (left) and io[1] (right).
  void process(double** io, int n);

  double maxFrequency = kMaxRingRate;
  double frequency = 0.1;
  double amount = 0.0;
  uint32_t waveform = kRingSine;
  double amountCoef = 0.9777;
  double amountCoefComplement = 0.0223;
  double smoothedAmount = 0.0;
  PolyBLEP osc1{44100.0, PolyBLEP::SINE, 440.0};
  PolyBLEP osc2{44100.0, PolyBLEP::SINE, 440.0};
  PolyBLEP osc3{44100.0, PolyBLEP::SINE, 440.0};

private:
  void tuneOscillators();
};

}  // namespace Rawnfield
