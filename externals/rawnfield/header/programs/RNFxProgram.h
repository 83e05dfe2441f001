#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "programs/ParameterTags.h"

namespace Rawnfield {

// The values of one program: every unit setting of the effect as a
// normalised double, in one fixed order (60 plain values, then the five
// output-stage records). Choices are stored as selections (distortion type
// t as t/42, filter type t as t/11) and rounded back by the units.
//
// The one value outside 0..1 is the default of the high-quality output
// filter: a quiet NaN that no unit acts on. It never compares equal, so
// compare records bit for bit where equality matters.

// The five equaliser values.
struct EqProgram {
  double onOff;
  double bass;
  double lowMid;
  double highMid;
  double high;

  void init();
  // Equaliser settings the factory programs share.
  void applyBassRangeCutEQ();
  void applyReforgeCleanPunchEQ();
  void applyModernSmashSubBandEQ();
  void applyModernSmashDistoBandEQ();
};

struct InputUnitProgram {
  double volume;
  double dcOffset;
  double saturation;
  double inputMode;
  double saturationMode;

  void init();
};

struct DistortionProgram {
  double onOff;
  double amount;
  double type;  // t / 42
  double mode;
  double interpolation;
  double polarity;
  double preProcess;
  double postProcess;

  void init();
};

struct DynamicShaperProgram {
  double amount;
  double invert;
  double waveform;  // t * 0.5
  double mode;      // m / 3
  double polarity;
  double width;

  void init();
};

struct SubBandProcProgram {
  double onOff;
  double channelMode;
  double gain;
  double saturation;
  double saturationMode;
  double distortion;
  EqProgram eq;
  double subBandCutoff;
  double subBandSlope;
  double distoBandCutoff;
  double distoBandSlope;
  double filterLink;
  double distoBandGain;

  void init();
  // All 17 values of the kick-drum programs' sub band.
  void applyBassRangeBoost();
  // Everything but the two cutoffs and the two slopes, which keep their values.
  void applyReforgeConfig();
};

// One of the five output-stage values, carrying its own display name, tag
// and key; copies carry them too.
struct NamedParameter {
  double value = 0.0;
  std::string displayName = "Test Parameter";
  Harshbloom::eParameterTags tag = Harshbloom::kInputVolume;
  std::string key = "Test";
};

class RNFxProgram {
public:
  static constexpr int kNumValues = 60;
  static constexpr uint64_t kHqFilterDefaultBits = 0x7FF8000000000000ull;
  static constexpr double kDefaultVolume = 0.251188643150958;  // -12 dB
  static constexpr double kDefaultLimiterMode = 1.0;

  // The quiet NaN that every initialiser writes into the high-quality
  // output filter value.
  static double hqFilterDefault() {
    double v;
    std::memcpy(&v, &kHqFilterDefaultBits, sizeof v);
    return v;
  }

  RNFxProgram();

  // Writes the default program: all 60 values and the value of each named
  // record (their names, tags and keys stay as they are).
  void init();

  // The plain value at position 0..59 of the fixed order; null outside.
  double* valueAt(int index);
  const double* valueAt(int index) const;

  // Positions 0..59, in order.
  InputUnitProgram input;        // 0..4
  double quantization;           // 5
  double sampleRate;             // 6
  double gate;                   // 7
  double filterOnOff;            // 8
  double filterInputDrive;       // 9
  double filterBalance;          // 10, keyed FilterType
  double filterCutoff;           // 11
  double filterResonance;        // 12
  double filterMode1;            // 13, t / 11
  double filterMode2;            // 14, t / 11
  double filterTransition;       // 15
  DistortionProgram distortion;  // 16..23
  DynamicShaperProgram dynShaper;  // 24..29
  EqProgram eq;                  // 30..34, the disto band's equaliser
  double dumpExpand;             // 35
  double dumpExpandSlope;        // 36
  SubBandProcProgram subBand;    // 37..53
  double bypassFX;               // 54
  double pan;                    // 55
  double saturation;             // 56
  double saturationMode;         // 57
  double dryWet;                 // 58
  double hqFilter;               // 59

  NamedParameter limiterLevel;
  NamedParameter limiterMode;
  NamedParameter autoMakeUp;
  NamedParameter oversampling;
  NamedParameter volume;
};

}  // namespace Rawnfield
