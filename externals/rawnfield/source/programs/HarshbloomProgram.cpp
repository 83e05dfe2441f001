#include "programs/HarshbloomProgram.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "../FileBytes.h"
#include "DistoTypes.h"
#include "Distortion.h"
#include "FileSections.h"
#include "FilterTypes.h"

namespace Rawnfield {

using namespace Harshbloom;

namespace {

// Where a tag's value lives: a position 0..59 of the record, or one of the
// five named records.
enum : int {
  kNamedLimiterLevel = 100,
  kNamedLimiterMode,
  kNamedAutoMakeUp,
  kNamedOversampling,
  kNamedVolume,
};

struct TagInfo {
  const char* key;
  int slot;
  const char* codeName;
};

const TagInfo kTags[kNumProgramValues] = {
    {"InputVolume", 0, "inputVolume"},
    {"InputDCOffset", 1, "inputDCOffset"},
    {"InputSaturation", 2, "inputSaturation"},
    {"InputSaturationMode", 4, "inputSatMode"},
    {"InputMode", 3, "inputMode"},
    {"Quantization", 5, "quantization"},
    {"SampleRate", 6, "sampleRate"},
    {"Gate", 7, "gate"},
    {"DistortionOnOff", 16, "distortion.onOff"},
    {"Distortion", 17, "distortion.amount"},
    {"DistortionType", 18, "distortion.type"},
    {"DistortionLoudness", 19, "distortion.mode"},
    {"DistortionInterpMode", 20, "distortion.interpMode"},
    {"DistortionPosNegBoth", 21, "Unknown"},
    {"DistortionPreProcess", 22, "Unknown"},
    {"DistortionPostProcess", 23, "Unknown"},
    {"DynShaper", 24, "dynShaper.amount"},
    {"DynShaperWidth", 29, "dynShaper.width"},
    {"DynShaperInvert", 25, "dynShaper.invert"},
    {"DynShaperType", 26, "dynShaper.type"},
    {"DynShaperMode", 27, "dynShaper.mode"},
    {"DynShaperPosNegBoth", 28, "dynShaper.posNegBoth"},
    {"FilterOnOff", 8, "filterOnOff"},
    {"FilterInputDrive", 9, "filterInputDrive"},
    {"FilterType", 10, "filterType"},
    {"FilterCutoff", 11, "filterCutoff"},
    {"FilterResonance", 12, "filterRezo"},
    {"FilterMode1", 13, "filterMode1"},
    {"FilterMode2", 14, "filterMode2"},
    {"FilterTransition", 15, "filterTransition"},
    {"EqOnOff", 30, "eqOnOff"},
    {"BassAmount", 31, "eq.bassAmount"},
    {"LowMidAmount", 32, "eq.midAmount"},
    {"HighMidAmount", 33, "Unknown"},
    {"HighAmount", 34, "eq.highAmount"},
    {"SubBandProcOnOff", 37, "subBandProcOnOff"},
    {"SubBandChannelMode", 38, "subBandChannelMode"},
    {"SubBandGain", 39, "subBandGain"},
    {"SubBandSaturation", 40, "subBandSaturation"},
    {"SubBandSaturationMode", 41, "subBandSatMode"},
    {"SubBandDistortion", 42, "subBandDistortion"},
    {"SubBandEqOnOff", 43, "subBandEqOnOff"},
    {"SubBandBassAmount", 44, "subBandBassAmount"},
    {"SubBandLowMidAmount", 45, "subBandLowMidAmount"},
    {"SubBandHighMidAmount", 46, "subBandHighMidAmount"},
    {"SubBandHighAmount", 47, "subBandHighAmount"},
    {"FilterLink", 52, "filterLink"},
    {"SubBandCutoff", 48, "subBandCutoff"},
    {"SubBandFilterSlope", 49, "subBandFilterSlope"},
    {"DistoBandCutoff", 50, "distoBandCutoff"},
    {"DistoBandFilterSlope", 51, "distoBandFilterSlope"},
    {"DistoBandGain", 53, "distoBandGain"},
    {"BypassFX", 54, "bypassFX"},
    {"Pan", 55, "outPan"},
    {"Saturation", 56, "outSaturation"},
    {"SaturationMode", 57, "outSatMode"},
    {"HqFilter", 59, "hqFilter"},
    {"DumpExpand", 35, "dumpExpand"},
    {"DumpExpandSlope", 36, "dumpExpandSlope"},
    {"LimiterLevel", kNamedLimiterLevel, "limiterLevel"},
    {"LimiterMode", kNamedLimiterMode, "limiterMode"},
    {"Oversampling", kNamedOversampling, "oversampling"},
    {"DryWet", 58, "dryWet"},
    {"Volume", kNamedVolume, "outVolume"},
    {"AutoMakeUp", kNamedAutoMakeUp, "autoMakeUp"},
};

bool hasValue(eParameterTags tag) {
  return tag >= 0 && tag < kNumProgramValues;
}

double* slotOf(RNFxProgram& p, eParameterTags tag) {
  if (!hasValue(tag)) return nullptr;
  switch (const int slot = kTags[tag].slot) {
    case kNamedLimiterLevel: return &p.limiterLevel.value;
    case kNamedLimiterMode: return &p.limiterMode.value;
    case kNamedAutoMakeUp: return &p.autoMakeUp.value;
    case kNamedOversampling: return &p.oversampling.value;
    case kNamedVolume: return &p.volume.value;
    default: return p.valueAt(slot);
  }
}

// The type position 0..42 a stored selection selects: floor(42 v + 0.5)
// of v limited to 1; negative selections and NaN select type 0. Position 42,
// the top of the type control, selects a curve of its own but has no word.
int distortionPosition(double v) {
  if (!(v >= 0.0)) return 0;
  return static_cast<int>(std::floor(Types::kNumDistortionTypes * std::min(1.0, v) + 0.5));
}

std::string formatValue(const char* format, double v) {
  char text[64];
  snprintf(text, sizeof text, format, v);
  return text;
}

// A whole text that is one number (the distortion type line carries one
// when no type word names the setting).
bool parseWholeNumber(const std::string& text, double& v) {
  if (text.empty()) return false;
  char* end = nullptr;
  v = strtod(text.c_str(), &end);
  return end != text.c_str() && end == text.c_str() + text.size();
}

// Reads one line of at most limit - 1 characters including its line feed
// (a longer line comes back in pieces). False at the end of the file or
// on a read error.
bool readLine(FILE* f, std::string& line, size_t limit) {
  line.clear();
  int c = 0;
  while (line.size() + 1 < limit && (c = getc(f)) != EOF) {
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line.empty() && !ferror(f);
}

}  // namespace

HarshbloomProgram::HarshbloomProgram() {
  initParamMap();
  writeConstructorDefaults();
  programName = kDefaultName;
}

void HarshbloomProgram::writeConstructorDefaults() {
  program.init();
  program.quantization = 0.0;
  program.filterBalance = 1.0;
  program.filterCutoff = 0.0;
  program.distortion.mode = 0.0;
  program.distortion.interpolation = 0.0;
  program.volume.value = 0.5;
}

void HarshbloomProgram::initParamMap() {
  struct Named {
    NamedParameter& record;
    const char* displayName;
    eParameterTags tag;
  };
  const Named named[] = {
      {program.limiterLevel, "Output Limiter Level", kLimiterLevel},
      {program.limiterMode, "Output Limiter Mode", kLimiterMode},
      {program.autoMakeUp, "Auto Make-Up", kAutoMakeUp},
      {program.oversampling, "Oversampling Mode", kOversampling},
      {program.volume, "Output Volume", kVolume},
  };
  for (const Named& n : named) {
    n.record.displayName = n.displayName;
    n.record.tag = n.tag;
    n.record.key = kTags[n.tag].key;
  }

  parameters.clear();
  parameters.reserve(kNumParameters);
  for (int t = 0; t < kNumParameters; ++t) {
    Parameter p;
    p.tag = static_cast<eParameterTags>(t);
    if (t < kNumProgramValues) {
      p.name = kTags[t].key;
    } else {
      char key[16];
      snprintf(key, sizeof key, "Reserved_%02d", t - kReserved01 + 1);
      p.name = key;
    }
    parameters.push_back(p);
  }
}

void HarshbloomProgram::setProgramName(const char* name) {
  if (name) programName = name;
}

const char* HarshbloomProgram::getParameterNameText(eParameterTags tag) const {
  for (const Parameter& p : parameters)
    if (p.tag == tag) return p.name.c_str();
  return nullptr;
}

eParameterTags HarshbloomProgram::getParameterTag(const std::string& key) const {
  for (const Parameter& p : parameters)
    if (p.name == key) return p.tag;
  return kNoParameter;
}

double HarshbloomProgram::getParameterValue(eParameterTags tag) const {
  const double* v = slotOf(const_cast<RNFxProgram&>(program), tag);
  return v ? *v : 0.0;
}

void HarshbloomProgram::setParameterValue(eParameterTags tag, double v) {
  double* slot = slotOf(program, tag);
  if (!slot) return;
  if (std::isnan(v)) {
    // Only the output filter's value means something as NaN; for the
    // others it would reach integer conversions in the units.
    if (tag == kHqFilter) *slot = v;
    return;
  }
  *slot = std::max(0.0, std::min(1.0, v));
}

const char* HarshbloomProgram::getParameterCodeName(eParameterTags tag) const {
  return hasValue(tag) ? kTags[tag].codeName : "Unknown";
}

std::vector<double> HarshbloomProgram::getDataVector(Distortion& distortion) const {
  const int type = distortionPosition(program.distortion.type);
  std::vector<double> data = distortion.getDataVector(static_cast<Types::eDistortionType>(type));
  data.resize(kCurveSize, 0.0);
  data.reserve(kDataVectorSize);
  for (int tag = 0; tag < kNumParameters; ++tag)
    data.push_back(getParameterValue(static_cast<eParameterTags>(tag)));
  return data;
}

std::string HarshbloomProgram::valueText(eParameterTags tag) const {
  const double v = getParameterValue(tag);
  switch (tag) {
    case kDistortionType: {
      const int t = distortionPosition(v);
      if (t < Types::kNumDistortionTypes) return Types::kDistortionTypeNames[t];
      // No word names this setting: the number in full, so that loading
      // restores it instead of falling back to type 0.
      return formatValue("%.17g", v);
    }
    case kFilterMode1:
    case kFilterMode2:
      return FilterUti::getFilterModeText(v);
    default:
      return formatValue("%g", v);
  }
}

void HarshbloomProgram::saveProgram(const std::string& path, const std::string& curveText) const {
  if (path.empty()) return;
  FILE* f = fopen(path.c_str(), "w");
  if (!f) return;
  fprintf(f, "%s\n", File::kProgramSection);
  fprintf(f, "Name = %s;\n", programName.c_str());
  for (int t = 0; t < kNumParameters; ++t) {
    const auto tag = static_cast<eParameterTags>(t);
    fprintf(f, "%s = %s;\n", getParameterNameText(tag), valueText(tag).c_str());
  }
  fprintf(f, "%s = %s;\n", kLutDataString, curveText.c_str());
  fclose(f);
}

void HarshbloomProgram::applyFileValue(eParameterTags tag, const std::string& value) {
  switch (tag) {
    case kFilterMode1:
    case kFilterMode2: {
      const double sel = FilterUti::getFilterModeSel(FilterUti::getFilterMode(value));
      (tag == kFilterMode1 ? program.filterMode1 : program.filterMode2) = sel;
      break;
    }
    case kDistortionType: {
      const uint32_t t = Distortion::getDistortionType(value);
      double number = 0.0;
      if (t == 0 && value != Types::kDistortionTypeNames[0] && parseWholeNumber(value, number))
        setParameterValue(tag, number);
      else
        program.distortion.type = t / static_cast<double>(Types::kNumDistortionTypes);
      break;
    }
    default:
      setParameterValue(tag, atof(value.c_str()));
      break;
  }
}

bool HarshbloomProgram::loadProgram(const std::string& path, std::string& curveText,
                                    int* valueLines) {
  if (valueLines) *valueLines = 0;
  // Only a regular file: a folder would load as an empty program file and a
  // named pipe would wait for a writer.
  if (!FileBytes::isReadableFile(path)) return false;
  FILE* f = fopen(path.c_str(), "r");
  if (!f) return false;

  std::string line;
  line.reserve(kReadBufferSize);
  int counter = -1;
  while (readLine(f, line, kReadBufferSize)) {
    if (line.find(File::kProgramSection) != std::string::npos) continue;
    if (line.find(File::kConfigSection) != std::string::npos) break;

    const size_t p = line.find('=');
    const size_t q = line.find(';');
    const bool delimited = p != std::string::npos && q != std::string::npos && q > p + 2;
    if (counter >= 0 && delimited && line.find(kLutDataString) != std::string::npos) {
      curveText = line.substr(p + 2, q - (p + 2));
      if (valueLines) ++*valueLines;
      continue;
    }

    // Every line from here on takes a slot, well formed or not: the first
    // one is the name's.
    const bool nameSlot = counter == -1;
    ++counter;
    if (!delimited || p < 3) continue;
    const std::string key = line.substr(0, p - 1);
    std::string value = line.substr(p + 2, q - (p + 2));
    if (nameSlot) {
      // The name ends at a NUL; one that comes out empty is no name.
      value.resize(std::min({value.size(), value.find('\0'), kMaxLoadedNameLength}));
      if (!value.empty()) setProgramName(value.c_str());
    } else {
      const eParameterTags tag = getParameterTag(key);
      if (valueLines && tag != kNoParameter) ++*valueLines;
      applyFileValue(tag, value);
    }
  }
  fclose(f);
  return true;
}

}  // namespace Rawnfield
