#pragma once

#include <cstdint>
#include <vector>

#include "AudioProcessingUnit.h"

namespace Rawnfield {

// Replaces a stereo block with a test signal for trying effects: a sine at a
// chosen frequency, the stored kick looped, or both summed.
class FxTester : public AudioProcessingUnit {
public:
  static constexpr double kTestSignalFrequencyMin = 20.0;
  static constexpr double kTestSignalFrequencyMax = 9980.0;  // span above the minimum
  static constexpr double kTestSignalFrequencyDefault = 44.0;

  FxTester();

  // Sets the kick length; the kick stays silent before it.
  void init();
  void reset();
  void setSampleRate(double rate) override;
  // Outside the audio path.
  void setBlockSize(int n);

  // v: 0..1 over 20..10000 Hz.
  void setTestSignalFreq(double v);
  static double calcSignalFreq(double hz) { return (hz - 20.0) / 9980.0; }
  void setTestSignalFreqHz(double hz);
  double getTestSignalFreqHz() const { return frequency; }
  static std::vector<double> getTestFreqVector();

  void setKickSignal(bool on) { kickOn = on; }
  void setTestSignal(bool on) { testOn = on; }

  // Overwrites io[0] and io[1]; second is neither read nor written.
  void process(double** io, double** second, int n);

  double phase = 0.0;  // cycles
  double phaseInc = 0.0;
  double frequency = kTestSignalFrequencyDefault;
  double signalRate = 0.0;  // 0 until setSampleRate
  std::vector<double> bufL, bufR;
  int capacity = 0;
  int requested = 0;
  double tempo = 120.0;
  uint64_t framesProduced = 0;
  uint64_t kickPosition = 0;
  uint64_t kickLength = 0;
  bool kickOn = false;
  bool testOn = false;
  double outputGain = 1.0;

private:
  void updateIncrement();
  const double* kick;
};

}  // namespace Rawnfield
