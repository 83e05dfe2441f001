#pragma once

#include <vector>

#include "AudioProcessingUnit.h"
#include "RnFilterPaulKellett.h"

namespace Rawnfield {

// A stereo delay of one beat at the set tempo, the left and right lengths
// spread apart by the stereo control, with a low-pass in each feedback
// path. The delayed signal is added to the input by the wet level.
class TempoDelay : public AudioProcessingUnit {
public:
  static constexpr int kInitialLength = 1024;

  TempoDelay();

  void allocateBuffers();
  void freeBuffers();
  // Silences both lines.
  void reset();
  // Lines of 4 x the maximum delay time at this rate (silent); outside the
  // audio path. A rate that is not above 0 is ignored.
  void setSampleRate(double rate) override;
  // Lengthens the lines to n frames when they are shorter (silent).
  void setBlockSize(int n);

  // Beats per minute; 0, negative and unchanged values are ignored.
  void setTempo(double bpm);
  // 0..1; 0.5 gives equal lengths, 1 a left line 1.125 and a right 0.875
  // times the beat.
  void setStereoFx(double v);
  // The feedback filters' cutoff (0..1).
  void setDump(double v);

  // In place on io[0] and io[1].
  void process(double** io, int n);

  double beat = 0.5;  // seconds
  double tempo = 120.0;
  double feedback = 0.5;
  double wetLevel = 0.0;
  double stereoFx = 0.5;
  double factorLeft = 1.0;
  double factorRight = 1.0;
  int bufferLength = kInitialLength;
  std::vector<double> lineLeft;
  std::vector<double> lineRight;
  double maxDelayTime = 1.0;  // seconds; the lines hold 4 x this
  int posLeft = 0;
  int posRight = 0;
  RnFilterPaulKellett filterLeft;
  RnFilterPaulKellett filterRight;
};

}  // namespace Rawnfield
