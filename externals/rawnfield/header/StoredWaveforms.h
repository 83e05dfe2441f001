#pragma once

namespace Rawnfield {

// Points of every single cycle the waveform provider keeps.
constexpr int kWaveformLength = 4096;

// Stored single cycles of kWaveformLength values in about [-1, 1]. The
// first five are read-only; the sixteen user defaults are overwritten when
// user waveform files are loaded (and rescaled), process-wide. Their values
// are made by makeStoredWaveforms(), which the waveform provider calls
// before it reads them; until then they hold zeros.
extern const double* const gTriangleWaveform;
extern const double* const gTrapezWaveform;
extern const double* const gXTrapezWaveform;
extern const double* const gPulseWaveform;
extern const double* const gQuadPulseWaveform;

extern double* const gRnWaveform01;
extern double* const gRnWaveform02;
extern double* const gRnWaveform03;
extern double* const gRnWaveform04;
extern double* const gRnWaveform05;
extern double* const gRnWaveform06;
extern double* const gRnWaveform07;
extern double* const gRnWaveform08;
extern double* const gRnWaveform09;
extern double* const gRnWaveform10;
extern double* const gRnWaveform11;
extern double* const gRnWaveform12;
extern double* const gRnWaveform13;
extern double* const gRnWaveform14;
extern double* const gRnWaveform15;
extern double* const gRnWaveform16;

// The user defaults by number, 1..16 (null otherwise).
double* userWaveform(int k);

// Fills the stored cycles; only the first call does anything, so files
// loaded since are kept.
void makeStoredWaveforms();

}  // namespace Rawnfield
