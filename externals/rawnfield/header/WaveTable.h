#pragma once

#include <cstdint>

namespace Rawnfield {

// Up to 32 single-cycle tables of one waveform, each band-limited for a
// range of phase increments: table k serves increments below its top
// frequency, and tables come in order of rising top frequency (falling
// number of harmonics).
class WaveTable {
public:
  static constexpr int kMaxTables = 32;

  struct Entry {
    double topFreq = 0.0;  // highest phase increment served
    uint32_t length = 0;
    double* samples = nullptr;  // owned
  };

  WaveTable() = default;
  ~WaveTable();
  WaveTable(const WaveTable&) = delete;
  WaveTable& operator=(const WaveTable&) = delete;

  void clear();

  // Adds a table of len samples stored in reverse order; returns 0, or the
  // count (32) when the set is full and nothing was added.
  int addWaveTable(unsigned len, const double* samples, double topFreq);

  // Builds the whole set from one cycle of n samples (n a power of two, at
  // least 4; anything else adds nothing): the cycle's harmonics from the
  // highest present downwards, halved for each further table.
  void genTables(const double* cycle, unsigned n);

  // The first table's sample at phase (0..1), no interpolation; 0.0 when
  // there is no table or the phase lies outside the cycle.
  double getSample(double phase) const;

  // The band-limiting steps of genTables; re and im hold the transformed
  // cycle. Return the scale used for the tables (0 once the set is full).
  static void fillTables(WaveTable* table, double* re, double* im, unsigned n);
  static double makeWaveTables(WaveTable* table, unsigned n, double* ar, double* ai, double scale,
                               double topFreq);

  uint16_t count = 0;
  Entry tables[kMaxTables];

private:
  // In-place forward complex transform; n a power of two.
  static void fft(int n, double* re, double* im);
};

// Plays a WaveTable (not owned) with linear interpolation, choosing for each
// sample the table whose band suits the current phase increment.
class WaveTableOsc {
public:
  void setWaveTable(WaveTable* t) { waveTable = t; }
  void setFrequency(double hz) { phaseInc = hz / sampleRate; }
  // Keeps the frequency in Hz; a rate that is not above 0 is ignored.
  void setSampleRate(double rate);
  double getFreqInHz() const { return phaseInc * sampleRate; }

  double get() const;
  void inc();
  double getAndInc();
  // Moves the phase to p folded into [0, 1).
  void sync(double p);

  WaveTable* waveTable = nullptr;
  double phase = 0.0;
  double phaseInc = 0.0;
  double sampleRate = 44100.0;
};

}  // namespace Rawnfield
