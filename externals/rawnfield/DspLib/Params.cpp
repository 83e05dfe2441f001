#include "Params.h"

#include <cmath>
#include <locale>
#include <sstream>
#include <stdexcept>

#include "Common.h"
#include "Filter.h"

namespace Dsp {

namespace {

// Logarithms in base 1.5 drive the frequency mapping.
const double kLn1_5 = 0.4054651081081644;

double logBase1_5(double x) {
  return std::log(x) / kLn1_5;
}

std::string fixed(double v, int digits) {
  // Formats with a '.' whatever the process locale is.
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out.setf(std::ios::fixed, std::ios::floatfield);
  out.precision(digits);
  out << v;
  return out.str();
}

}  // namespace

ParamInfo::ParamInfo() {
  throw std::logic_error("invalid usage of ParamInfo");
}

ParamInfo::ParamInfo(ParamId id, const char* label, const char* name, double minValue,
                     double maxValue, double defaultNativeValue, toControlValue_t toControlValue,
                     toNativeValue_t toNativeValue, toString_t toString)
    : m_id(id),
      m_label(label),
      m_name(name),
      m_min(minValue),
      m_max(maxValue),
      m_defaultNativeValue(defaultNativeValue),
      m_toControlValue(toControlValue),
      m_toNativeValue(toNativeValue),
      m_toString(toString) {}

double ParamInfo::clamp(double nativeValue) const {
  const double lo = toNativeValue(0.0);
  const double hi = toNativeValue(1.0);
  if (lo > nativeValue) return lo;
  if (nativeValue > hi) return hi;
  return nativeValue;
}

double ParamInfo::Int_toControlValue(double nativeValue) const {
  return (nativeValue - m_min) / (m_max - m_min);
}

double ParamInfo::Int_toNativeValue(double controlValue) const {
  return std::floor((m_max - m_min) * controlValue + m_min + 0.5);
}

double ParamInfo::Real_toControlValue(double nativeValue) const {
  return (nativeValue - m_min) / (m_max - m_min);
}

double ParamInfo::Real_toNativeValue(double controlValue) const {
  return (m_max - m_min) * controlValue + m_min;
}

double ParamInfo::Log_toControlValue(double nativeValue) const {
  const double lmin = logBase1_5(m_min);
  const double lmax = logBase1_5(m_max);
  return (logBase1_5(nativeValue) - lmin) / (lmax - lmin);
}

double ParamInfo::Log_toNativeValue(double controlValue) const {
  const double lmin = logBase1_5(m_min);
  const double lmax = logBase1_5(m_max);
  return std::pow(1.5, (lmax - lmin) * controlValue + lmin);
}

double ParamInfo::Pow2_toControlValue(double nativeValue) const {
  return (std::log(nativeValue) / kLn2 - m_min) / (m_max - m_min);
}

double ParamInfo::Pow2_toNativeValue(double controlValue) const {
  return std::pow(2.0, (m_max - m_min) * controlValue + m_min);
}

std::string ParamInfo::Int_toString(double nativeValue) const {
  return std::to_string(truncateToInt(nativeValue));
}

std::string ParamInfo::Hz_toString(double nativeValue) const {
  return Int_toString(nativeValue) + " Hz";
}

std::string ParamInfo::Real_toString(double nativeValue) const {
  return fixed(nativeValue, 3);
}

std::string ParamInfo::Db_toString(double nativeValue) const {
  const double a = std::fabs(nativeValue);
  const int digits = a < 1 ? 3 : (a < 10 ? 2 : 1);
  return fixed(nativeValue, digits) + " dB";
}

ParamInfo ParamInfo::defaultSampleRateParam() {
  return ParamInfo(idSampleRate, "Fs", "Sample Rate", 11025, 192000, 44100,
                   &ParamInfo::Real_toControlValue, &ParamInfo::Real_toNativeValue,
                   &ParamInfo::Hz_toString);
}

ParamInfo ParamInfo::defaultCutoffFrequencyParam() {
  return ParamInfo(idFrequency, "Fc", "Cutoff Frequency", 10, 22040, 2000,
                   &ParamInfo::Log_toControlValue, &ParamInfo::Log_toNativeValue,
                   &ParamInfo::Hz_toString);
}

ParamInfo ParamInfo::defaultCenterFrequencyParam() {
  return ParamInfo(idFrequency, "Fc", "Center Frequency", 10, 22040, 2000,
                   &ParamInfo::Log_toControlValue, &ParamInfo::Log_toNativeValue,
                   &ParamInfo::Hz_toString);
}

ParamInfo ParamInfo::defaultQParam() {
  return ParamInfo(idQ, "Q", "Resonance", -4, 4, 1, &ParamInfo::Pow2_toControlValue,
                   &ParamInfo::Pow2_toNativeValue, &ParamInfo::Real_toString);
}

ParamInfo ParamInfo::defaultBandwidthParam() {
  return ParamInfo(idBandwidth, "BW", "Bandwidth (Octaves)", -4, 4, 1,
                   &ParamInfo::Pow2_toControlValue, &ParamInfo::Pow2_toNativeValue,
                   &ParamInfo::Real_toString);
}

ParamInfo ParamInfo::defaultBandwidthHzParam() {
  return ParamInfo(idBandwidthHz, "BW", "Bandwidth (Hz)", 10, 22040, 1720,
                   &ParamInfo::Log_toControlValue, &ParamInfo::Log_toNativeValue,
                   &ParamInfo::Hz_toString);
}

ParamInfo ParamInfo::defaultGainParam() {
  return ParamInfo(idGain, "Gain", "Gain", -24, 24, -6, &ParamInfo::Real_toControlValue,
                   &ParamInfo::Real_toNativeValue, &ParamInfo::Db_toString);
}

ParamInfo ParamInfo::defaultSlopeParam() {
  return ParamInfo(idSlope, "Slope", "Slope", -2, 2, 1, &ParamInfo::Pow2_toControlValue,
                   &ParamInfo::Pow2_toNativeValue, &ParamInfo::Real_toString);
}

ParamInfo ParamInfo::defaultRippleDbParam() {
  return ParamInfo(idRippleDb, "Ripple", "Ripple dB", 0.001, 12, 0.01,
                   &ParamInfo::Real_toControlValue, &ParamInfo::Real_toNativeValue,
                   &ParamInfo::Db_toString);
}

ParamInfo ParamInfo::defaultStopDbParam() {
  return ParamInfo(idStopDb, "Stop", "Stopband dB", 3, 60, 48, &ParamInfo::Real_toControlValue,
                   &ParamInfo::Real_toNativeValue, &ParamInfo::Db_toString);
}

ParamInfo ParamInfo::defaultRolloffParam() {
  return ParamInfo(idRolloff, "W", "Transition Width", -16, 4, 0, &ParamInfo::Real_toControlValue,
                   &ParamInfo::Real_toNativeValue, &ParamInfo::Real_toString);
}

ParamInfo ParamInfo::defaultPoleRhoParam() {
  return ParamInfo(idPoleRho, "Pd", "Pole Distance", 0, 1, 0.5, &ParamInfo::Real_toControlValue,
                   &ParamInfo::Real_toNativeValue, &ParamInfo::Real_toString);
}

ParamInfo ParamInfo::defaultPoleThetaParam() {
  return ParamInfo(idPoleTheta, "Pa", "Pole Angle", 0, kPi, kPi_2, &ParamInfo::Real_toControlValue,
                   &ParamInfo::Real_toNativeValue, &ParamInfo::Real_toString);
}

ParamInfo ParamInfo::defaultZeroRhoParam() {
  return ParamInfo(idZeroRho, "Pd", "Zero Distance", 0, 1, 0.5, &ParamInfo::Real_toControlValue,
                   &ParamInfo::Real_toNativeValue, &ParamInfo::Real_toString);
}

ParamInfo ParamInfo::defaultZeroThetaParam() {
  return ParamInfo(idZeroTheta, "Pa", "Zero Angle", 0, kPi, kPi_2, &ParamInfo::Real_toControlValue,
                   &ParamInfo::Real_toNativeValue, &ParamInfo::Real_toString);
}

ParamInfo ParamInfo::defaultPoleRealParam() {
  return ParamInfo(idPoleReal, "A1", "Pole Real", -1, 1, 0.25, &ParamInfo::Real_toControlValue,
                   &ParamInfo::Real_toNativeValue, &ParamInfo::Real_toString);
}

ParamInfo ParamInfo::defaultZeroRealParam() {
  return ParamInfo(idZeroReal, "B1", "Zero Real", -1, 1, -0.25, &ParamInfo::Real_toControlValue,
                   &ParamInfo::Real_toNativeValue, &ParamInfo::Real_toString);
}

ParamInfo ParamInfo::orderParam(int maxOrder) {
  return ParamInfo(idOrder, "Order", "Order", 1, maxOrder, 2, &ParamInfo::Int_toControlValue,
                   &ParamInfo::Int_toNativeValue, &ParamInfo::Int_toString);
}

Params Filter::getDefaultParams() const {
  Params params;
  const int n = getNumParams();
  for (int i = 0; i < n; ++i) params[i] = getParamInfo(i).getDefaultValue();
  return params;
}

int Filter::findParamId(int paramId) const {
  for (int i = getNumParams() - 1; i >= 0; --i) {
    if (getParamInfo(i).getId() == paramId) return i;
  }
  return -1;
}

void Filter::setParamById(int paramId, double nativeValue) {
  const int index = findParamId(paramId);
  if (index < 0) return;
  m_params[index] = nativeValue;
  doSetParams(m_params);
}

void Filter::copyParamsFrom(const Filter* other) {
  m_params = getDefaultParams();
  if (other) {
    const int ownCount = getNumParams();
    const int otherCount = other->getNumParams();
    for (int i = 0; i < ownCount; ++i) {
      const ParamInfo own = getParamInfo(i);
      for (int j = 0; j < otherCount; ++j) {
        if (other->getParamInfo(j).getId() == own.getId()) {
          m_params[i] = own.clamp(other->getParams()[j]);
          break;
        }
      }
    }
  }
  doSetParams(m_params);
}

}  // namespace Dsp
