#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "RnWaveForms.h"
#include "WaveTable.h"

namespace Rawnfield {
namespace Types {

// The oscillator waveforms; a waveform's selection value is w / 40.
enum eWaveform : uint32_t {
  kWaveSine = 0,
  kWaveTriangle,
  kWaveTrapez,
  kWavePulse,
  kWaveQuadPulse,
  kWaveOctPulse,
  kWaveXTrapez,
  kWaveSawtooth,
  kWaveSReceptor,
  kWaveDReceptor,
  kWaveWaveScape,  // 10
  kWaveWaveGarden,
  kWaveWaveVibe,
  kWaveNoize,
  kWaveLowQNoise1,
  kWaveLowQNoise2,
  kWaveLowQNoise3,
  kWavePinkNoize,
  kWaveWhiteNoize,
  kWavePyrokinesis,
  kWaveShikoku,  // 20
  kWaveKIC8462852,
  kWaveSynapsis,
  kWaveBrickBreaker,
  kWaveGeoChirp,
  kWaveUser1,  // 25
  kWaveUser16 = kWaveUser1 + 15,
  kNumWaveforms,  // 41
};

}  // namespace Types

// Owns one band-limited table set per waveform: a sine, 23 built-in shapes
// and 16 user waveforms that can be replaced from files ("user01.raw" and
// onward in the sub-folder "waveforms" of the working directory: bare
// little-endian doubles, or WAVE files). Maps selection values to waveforms
// and names, and writes waveforms out as raw data or as C++ source.
class WaveformProvider {
public:
  static constexpr int kNumUserFiles = 10;
  static constexpr const char* kEnvFolder = "RAWNFIELD_ZAVIDADU_VOVED";

  WaveformProvider();
  virtual ~WaveformProvider() {}
  WaveformProvider(const WaveformProvider&) = delete;
  WaveformProvider& operator=(const WaveformProvider&) = delete;

  // Computes the built-in cycles (noise from srand(1800)), loads the user
  // files over the user defaults and scales the cycles.
  void makeWaveforms();
  // Loads "user01.raw" .. "user10.raw" over the first ten user defaults
  // ("user10.raw" also over the 11th to 13th) and scales the first 13.
  void LoadWaveforms();
  // Rebuilds every table set that has a cycle.
  void genTables();

  // A ".wav" anywhere in the path reads a WAVE file, anything else raw
  // doubles; n values into dest (n at most kWaveformLength). False, with
  // dest unchanged, when the file cannot be read or holds no values.
  bool LoadWaveform(const char* path, double* dest, int n);
  bool LoadWaveformRAW(const char* path, double* dest, int n);
  bool LoadWaveformWAVE(const char* path, double* dest, int n);

  // The n doubles as they are in memory. Nothing happens when the file
  // cannot be written.
  void saveWaveform(const char* path, const double* data, int n);
  // The values as a C++ array definition; false when the file cannot be
  // written.
  bool saveWaveformToHeader(const char* path, const double* data, int n);

  // A non-empty dir, else the environment's RAWNFIELD_ZAVIDADU_VOVED when
  // set. While empty, the sub-folder is looked up in the current folder.
  void setWorkingDirectory(const char* dir);
  const char* getWorkingDirectory() const { return workingDirectory.c_str(); }
  // The path a user file is read from.
  std::string userFilePath(int k) const;

  static double getWaveformSel(Types::eWaveform w) { return w / 40.0; }
  static double getPrevWaveform(double v);
  static double getNextWaveform(double v);
  static float getPrevWaveform(float v);
  static float getNextWaveform(float v);

  static const char* getWaveformText(double v);
  static const char* getWaveformText(Types::eWaveform w);
  static const char* getSubWaveformText() { return "Sine"; }
  // "4: Pulse": the item number w + 1, then w's own name.
  static std::string getWaveformItemName(Types::eWaveform w);
  static Types::eWaveform getWaveformType(const std::string& name);

  // Only the user waveforms can be replaced.
  bool canLoadWaveform(double v) const;
  // Reads a file into the pending cycle (scaled to a peak of 0.999); any
  // thread. True when it loaded.
  bool loadWaveformAction(double v, const char* path);
  // Rebuilds the pending waveform's table set from the pending cycle;
  // nothing when no load is pending.
  void updateLoadedWaveform();

  bool setWaveDataString(const std::string&) { return true; }
  // The 4096 points of a waveform as text, ten decimals, comma separated.
  std::string getWaveDataString(double v) const;
  // n display points of a waveform starting at phase.
  void updateGUIData(double v, double phase, double* buf, int n) const;

  std::string subFolder = "waveforms";
  WaveTable tables[Types::kNumWaveforms];
  std::string workingDirectory;
  std::atomic<bool> loadPending{false};
  double pendingSelection = 0.0;
  std::unique_ptr<RnWaveForms> waveForms;
  std::vector<double> rawBuffer;
  std::vector<double> pending;
  std::vector<double> shapeArray;

private:
  // The cycle a waveform's tables are built from, or null.
  const double* cycleOf(int w) const;
};

}  // namespace Rawnfield
