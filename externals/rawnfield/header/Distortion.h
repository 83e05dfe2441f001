#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DistoTypes.h"
#include "DistortionDataProvider.h"
#include "LookUp.h"

namespace Rawnfield {

// The waveshaper at the heart of the effect: drives a stereo block through
// the curve of one of 42 distortion types with a smoothed amount, three drive
// modes and a dry/wet blend that follows the amount. Each type owns an
// editable copy of its built-in curve, filled by init().
//
// Call order: construct, init() once (after the provider is built), then
// setSampleRate/setBlockSize, then settings and distort() in any order.
// Nothing here locks: the owner applies settings and curve edits between
// blocks.
class Distortion {
public:
  static constexpr uint32_t kDefaultInterpolationType = Types::kCosineInterpolation;
  static constexpr int kNumTables = 82;
  static constexpr int kTypePositions = Types::kNumDistortionTypes + 1;  // 0..42
  static constexpr int kDefaultBlockSize = 1024;

  // Read by distort() on every block; nothing in the program changes them.
  static double sMaxShapeFactor;
  static double sDryWetFactor;

  explicit Distortion(DistortionDataProvider& provider);
  virtual ~Distortion();
  Distortion(const Distortion&) = delete;
  Distortion& operator=(const Distortion&) = delete;

  // Loads every type's curve from the provider (discarding edits), selects
  // type 0's table and switches the amount smoother to its running speed.
  void init();
  void setSampleRate(double rate) { sampleRate = rate; }
  // Grows the scratch copies to n frames (never shrinks) and clears them.
  void setBlockSize(int n);

  // Distorts a stereo block in place. mod, when given, scales the smoothed
  // amount frame by frame. Allocates nothing; blocks longer than the
  // scratch copies are processed in pieces.
  void distort(double** io, double* mod, int n);

  // Settings from normalised control values.
  void setAmount(double v);
  double getAmount() const { return amount; }
  void setType(double v);
  uint32_t getType() const { return type; }
  void setDistoMode(double v);
  uint32_t getDistoMode() const { return mode; }
  void setPrePostMode(double v);
  uint32_t getPrePostMode() const { return prePostMode; }
  void setInterpolation(double v);
  void setPolarity(double v);
  uint32_t getPolarity() const;
  std::string getInterpolationName() const;
  double getNextInterpolation(double v) const;
  float getPrevDistortionType(float v) const;
  float getNextDistortionType(float v) const;
  std::string getDistortionTypeText() const;
  // Type number of a type word (current or older name); 0 when unknown.
  static uint32_t getDistortionType(const std::string& name);

  // Built-in curve of a type, from the provider.
  const double* getData(Types::eDistortionType t) const;
  std::vector<double> getDataVector(Types::eDistortionType t) const;

  // Point access to the current table; NaN and infinities are stored as 0.
  double getLutValue(unsigned short i) const;
  double getLutValue(double x) const;
  void setLutValue(unsigned short i, double value);
  void setLutValue(double x, double value);
  const double* getLutData() const;
  void setLutData(double* data, int count);
  void setUserLutValue(unsigned short i, double value);
  void applyUserData();
  void copyLutData(const Distortion* other);

  // Curve files on the current table. Text: the entries with 10 decimals
  // joined by ","; a text of fewer fields than entries is refused, extra
  // fields are ignored. WAV: mono 32-bit float at 44100 Hz; any mono or
  // stereo WAVE file imports, stretched onto the table with both ends kept
  // and scaled to peak 1. Code: C source of the table. Imports return false
  // and leave the curve as it was when the file cannot be used; exports
  // report nothing.
  std::string getLutDataString() const;
  bool setLutDataString(const std::string& text);
  void exportToCsv(const std::string& path) const;
  bool importLutData(const std::string& path);
  void exportToWAVE(const std::string& path) const;
  bool importLutDataFromWAVE(const std::string& path);
  void exportLutDataToCode(const std::string& path) const;
  // Every type's table as C source (a table shared by two keys once).
  void writeToHeaderFile(const std::string& path) const;
  // Table 23 sampled at 10000 inputs, one value per line, into
  // kDistortionDataPath in the working folder.
  void saveDistortionData() const;
  static const char* const kDistortionDataPath;

  // Curve actions on the current table; codes 6 and above 7 do nothing.
  void dataAction(Types::eDistoCurveAction action);
  // The editor's pictures: nCurve points of the effective curve over -1..1
  // and nWave samples of one sine period run through distort() (which
  // advances the amount smoother). Allocates nothing.
  void updateGUIData(double* curve, unsigned short nCurve, double* wave, unsigned short nWave);

  // Fields, accessed directly by the owner where needed.
  DistortionDataProvider& provider;
  double sampleRate = 44100.0;
  bool off = false;
  uint32_t mode = Types::kDistoModeDrive;
  uint32_t prePostMode = 1;
  double driveGain = 15.0;
  double amount = 0.0;
  uint32_t type = Types::kLinear;
  LookUp tables[kNumTables];
  LookUp* current = nullptr;
  LookUp unitCompressor;
  LookUp userTable;
  // Type number -> table; null where init() has put no key.
  LookUp* typeMap[kTypePositions] = {};
  struct Smoother {
    double a = 0.99;
    double b = 1.0 - 0.99;
    double state = 0.0;
  } amountSmoother;
  struct Scratch {
    double* left = nullptr;
    double* right = nullptr;
    int32_t capacity = 0;
    int32_t blockSize = 0;
  } scratch;

private:
  static constexpr int kPreviewBlock = 256;

  LookUp* tableForType(uint32_t t) const;
  const DistoData& curveForType(uint32_t t) const;
  void distortPiece(double* left, double* right, const double* mod, int n);

  // Right channel of the wave preview (its result is not shown), so the
  // picture needs no memory of its own on the audio thread.
  double previewRight[kPreviewBlock] = {};
};

}  // namespace Rawnfield
