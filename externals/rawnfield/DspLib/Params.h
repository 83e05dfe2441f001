#pragma once

// The parameter model: a block of eight native values and the descriptor that maps each
// one to a 0..1 control value and to text.

#include <string>

namespace Dsp {

// Identifies what a parameter position means, independent of where a design keeps it.
enum ParamId {
  idSampleRate = 0,
  idFrequency = 1,  // cutoff or center frequency
  idQ = 2,
  idBandwidth = 3,  // octaves
  idBandwidthHz = 4,
  idGain = 5,
  idSlope = 6,
  idOrder = 7,
  idRippleDb = 8,
  idStopDb = 9,
  idRolloff = 10,
  idPoleRho = 11,
  idPoleTheta = 12,
  idZeroRho = 13,
  idZeroTheta = 14,
  idPoleReal = 15,
  idZeroReal = 16
};

const int kMaxParameters = 8;

// Eight native parameter values, addressed by position (not by id).
struct Params {
  Params() {
    for (int i = 0; i < kMaxParameters; ++i) value[i] = 0;
  }
  double& operator[](int index) { return value[index]; }
  const double& operator[](int index) const { return value[index]; }

  double value[kMaxParameters];
};

// Describes one parameter: id, texts, native range and default, and which mapping and text
// form it uses. A plain value type that owns nothing.
class ParamInfo {
public:
  typedef double (ParamInfo::*toControlValue_t)(double nativeValue) const;
  typedef double (ParamInfo::*toNativeValue_t)(double controlValue) const;
  typedef std::string (ParamInfo::*toString_t)(double nativeValue) const;

  // Exists only so that asking a design for a position it does not have fails loudly:
  // always throws std::logic_error("invalid usage of ParamInfo").
  ParamInfo();

  ParamInfo(ParamId id, const char* label, const char* name, double minValue, double maxValue,
            double defaultNativeValue, toControlValue_t toControlValue,
            toNativeValue_t toNativeValue, toString_t toString);

  ParamId getId() const { return m_id; }
  const char* getLabel() const { return m_label; }
  const char* getName() const { return m_name; }
  double getMin() const { return m_min; }
  double getMax() const { return m_max; }
  double getDefaultValue() const { return m_defaultNativeValue; }

  double toControlValue(double nativeValue) const { return (this->*m_toControlValue)(nativeValue); }
  double toNativeValue(double controlValue) const { return (this->*m_toNativeValue)(controlValue); }
  std::string toString(double nativeValue) const { return (this->*m_toString)(nativeValue); }

  // Limits a native value to what control values 0 and 1 map to. NaN passes through.
  double clamp(double nativeValue) const;

  // Mappings. min and max are native bounds, except for Pow2 where they are exponents.
  double Int_toControlValue(double nativeValue) const;
  double Int_toNativeValue(double controlValue) const;
  double Real_toControlValue(double nativeValue) const;
  double Real_toNativeValue(double controlValue) const;
  double Log_toControlValue(double nativeValue) const;
  double Log_toNativeValue(double controlValue) const;
  double Pow2_toControlValue(double nativeValue) const;
  double Pow2_toNativeValue(double controlValue) const;

  // Text forms of a native value.
  std::string Int_toString(double nativeValue) const;
  std::string Hz_toString(double nativeValue) const;
  std::string Real_toString(double nativeValue) const;
  std::string Db_toString(double nativeValue) const;

  // The standard descriptors. The order descriptor depends on the design and is built by it.
  static ParamInfo defaultSampleRateParam();
  static ParamInfo defaultCutoffFrequencyParam();
  static ParamInfo defaultCenterFrequencyParam();
  static ParamInfo defaultQParam();
  static ParamInfo defaultBandwidthParam();
  static ParamInfo defaultBandwidthHzParam();
  static ParamInfo defaultGainParam();
  static ParamInfo defaultSlopeParam();
  static ParamInfo defaultRippleDbParam();
  static ParamInfo defaultStopDbParam();
  static ParamInfo defaultRolloffParam();
  static ParamInfo defaultPoleRhoParam();
  static ParamInfo defaultPoleThetaParam();
  static ParamInfo defaultZeroRhoParam();
  static ParamInfo defaultZeroThetaParam();
  static ParamInfo defaultPoleRealParam();
  static ParamInfo defaultZeroRealParam();
  static ParamInfo orderParam(int maxOrder);

private:
  ParamId m_id;
  const char* m_label;
  const char* m_name;
  double m_min;
  double m_max;
  double m_defaultNativeValue;
  toControlValue_t m_toControlValue;
  toNativeValue_t m_toNativeValue;
  toString_t m_toString;
};

}  // namespace Dsp
