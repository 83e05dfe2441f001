#pragma once

#include <string>
#include <vector>

#include "programs/ParameterTags.h"
#include "programs/RNFxProgram.h"

namespace Rawnfield {

class Distortion;

// One entry of a program's tag-to-key list.
struct Parameter {
  double value = 0.0;  // always 0: the values live in the record
  std::string name;    // the program-file key
  Harshbloom::eParameterTags tag = Harshbloom::kInputVolume;
};

// A program as the rest of the system handles it: a program record with a
// name, addressed value by value through the parameter tag. It converts
// between tags and program-file keys, reads and writes single values with
// clamping, saves and loads the program text file, flattens itself into the
// values of a preset, and builds the factory programs.
//
// Program text file: a "[Harshbloom_Program]" head, "Name = <name>;", one
// "<key> = <value>;" line per tag 0..84 and the curve line
// "DistortionCurveData = <curve text>;", each ending in a line feed. Plain
// values are written with "%g"; the distortion type as its type word and the
// two filter types as their long names. The configuration section
// (PlugConfig::saveConfig) is appended after it by the caller.
class HarshbloomProgram {
public:
  static constexpr const char* kLutDataString = "DistortionCurveData";
  static constexpr const char* kDefaultName = "Basic Distortion";
  static constexpr size_t kMaxLoadedNameLength = 32;
  static constexpr size_t kReadBufferSize = 262144;
  static constexpr int kCurveSize = 512;
  // Curve values followed by the 85 parameter values.
  static constexpr int kDataVectorSize = kCurveSize + Harshbloom::kNumParameters;

  // The record's defaults, except for six values (see the source), under
  // the name "Basic Distortion". A program file that lacks a key leaves
  // that value at this default.
  HarshbloomProgram();
  virtual ~HarshbloomProgram() = default;
  HarshbloomProgram(const HarshbloomProgram&) = default;
  HarshbloomProgram& operator=(const HarshbloomProgram&) = default;

  RNFxProgram& getProgram() { return program; }
  const RNFxProgram& getProgram() const { return program; }
  void setProgram(const RNFxProgram& p) { program = p; }

  // A null name leaves the name unchanged; no length limit applies here.
  void setProgramName(const char* name);
  const std::string& getProgramName() const { return programName; }
  void setWorkingDirectory(const std::string& dir) { workingDirectory = dir; }
  const std::string& getWorkingDirectory() const { return workingDirectory; }

  // Key of a tag 0..84; null for any other tag.
  const char* getParameterNameText(Harshbloom::eParameterTags tag) const;
  // Tag of a key, by exact (case-sensitive) comparison; kNoParameter when
  // no key matches.
  Harshbloom::eParameterTags getParameterTag(const std::string& key) const;
  // The value a tag 0..64 addresses; 0 for every other tag.
  double getParameterValue(Harshbloom::eParameterTags tag) const;
  // Stores v, clamped to 0..1, in the value a tag 0..64 addresses; other
  // tags are ignored. A NaN keeps the previous value, except for the
  // high-quality output filter, whose default is a NaN.
  void setParameterValue(Harshbloom::eParameterTags tag, double v);
  // A programmer's name of the value ("Unknown" for tags without one).
  const char* getParameterCodeName(Harshbloom::eParameterTags tag) const;
  const std::vector<Parameter>& getParameterList() const { return parameters; }

  // The built-in curve of the program's distortion type followed by the 85
  // parameter values (the reserved ones 0): the content of a preset.
  std::vector<double> getDataVector(Distortion& distortion) const;

  // Writes the program section to path, replacing the file; an empty path
  // or a file that cannot be opened writes nothing.
  void saveProgram(const std::string& path, const std::string& curveText) const;
  // Reads a program section into this program and the curve line's text
  // into curveText. False only for a path that names no regular file we may
  // read (empty, missing, a folder, a named pipe), and the program is then
  // untouched; malformed lines, unknown keys
  // and words are ignored, out-of-range values clamped. valueLines, when
  // given, receives the number of lines read that carry a parameter's value
  // or the curve: none means the file is no program at all.
  bool loadProgram(const std::string& path, std::string& curveText, int* valueLines = nullptr);

  // The 90 factory programs in menu order.
  static std::vector<HarshbloomProgram> getFactoryPrograms();
  // Five programs of the same family that no menu lists.
  static std::vector<HarshbloomProgram> getSpareFactoryPrograms();

  // The baseline every factory program starts from: the record defaults
  // with the given output volume, the sub-band processor off when
  // singleBand is true and on otherwise.
  void initCommonParams(double outVolume, bool singleBand);
  // The values the kick-drum programs put over the baseline.
  void initCommonKickParams();

private:
  void initParamMap();
  void writeConstructorDefaults();
  // Applies one key-value line of a program file.
  void applyFileValue(Harshbloom::eParameterTags tag, const std::string& value);
  // The text written for a tag's value.
  std::string valueText(Harshbloom::eParameterTags tag) const;

  RNFxProgram program;
  std::string workingDirectory;
  std::string programName;
  std::vector<Parameter> parameters;
};

}  // namespace Rawnfield
