#pragma once

#include <cstdint>

namespace Rawnfield {

// A phase-accumulating oscillator with fourteen analytic waveforms whose
// jumps and corners are smoothed by polynomial residuals over one sample on
// either side, which keeps the aliasing low. The phase is a fraction of a
// cycle in [0, 1); dt is the phase step per sample. At a quarter of the
// sample rate and above every waveform plays a sine.
class PolyBLEP {
public:
  enum Waveform : uint32_t {
    SINE = 0,
    COSINE,
    TRIANGLE,
    SQUARE,
    RECTANGLE,
    SAWTOOTH,
    RAMP,
    MODIFIED_TRIANGLE,
    MODIFIED_SQUARE,
    HALF_WAVE_RECTIFIED_SINE,
    FULL_WAVE_RECTIFIED_SINE,
    TRIANGULAR_PULSE,
    TRAPEZOID_FIXED,
    TRAPEZOID_VARIABLE,
  };

  PolyBLEP(double sampleRate, Waveform waveform, double initialFrequency);
  virtual ~PolyBLEP() {}

  // Keeps the frequency in Hz; a rate that is not above 0 is ignored.
  void setSampleRate(double rate);
  void setFrequency(double hz) { dt = hz / sampleRate; }
  void setdt(double step) { dt = step; }
  double getFreqInHz() const { return dt * sampleRate; }
  void setWaveform(Waveform w) { waveform = w; }
  void setPulseWidth(double pw) { pulseWidth = pw; }
  void setOffset(double o) { offset = o; }

  // Moves the phase to p folded into [0, 1) (1.25 gives 0.25, -1.3 gives 0.7).
  void sync(double p);

  // The current sample times the amplitude (no offset).
  double get() const;
  void inc();
  // get() plus the offset, then one step.
  double getAndInc();

  // The waveforms at the current phase, before the amplitude.
  double sin() const;
  double cos() const;
  double tri() const;
  double sqr() const;
  double rect() const;
  double saw() const;
  double ramp() const;
  double tri2() const;
  double sqr2() const;
  double half() const;
  double full() const;
  double trip() const;
  double trap() const;
  double trap2() const;

  Waveform waveform;
  double sampleRate;
  double dt;
  double amplitude = 1.0;
  double pulseWidth = 0.5;
  double t = 0.0;  // phase
  double offset = 0.0;

private:
  // Residuals of a unit step and of a unit ramp near phase 0 / 1.
  double blep(double x) const;
  double blamp(double x) const;
  // 4t folded into a triangle peaking at +1 (t = 0.25) and -1 (t = 0.75).
  double foldedTriangle() const;
};

}  // namespace Rawnfield
