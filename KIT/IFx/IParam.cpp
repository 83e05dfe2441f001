#include "IParam.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "IFxUtil.h"

IParam::IParam()
    : mType(kTypeNone),
      mValue(0.0),
      mMin(0.0),
      mMax(1.0),
      mStep(1.0),
      mShape(1.0),
      mDefault(0.0),
      mDisplayPrecision(0),
      mNegateDisplay(false),
      mCanAutomate(true) {
  mName[0] = mLabel[0] = mParamGroup[0] = 0;
}

void IParam::CopyNames(const char* name, const char* label, const char* group) {
  IFxCopyText(mName, name, kTextLen);
  IFxCopyText(mLabel, label, kTextLen);
  IFxCopyText(mParamGroup, group, kTextLen);
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group) {
  if (mType == kTypeNone) mType = kTypeBool;
  InitEnum(name, defaultVal ? 1 : 0, 2, label, group);
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label,
                      const char* group) {
  if (mType == kTypeNone) mType = kTypeEnum;
  InitInt(name, defaultVal, 0, nEnums - 1, label, group);
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label,
                     const char* group) {
  if (mType == kTypeNone) mType = kTypeInt;
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, label, group);
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal,
                        double step, const char* label, const char* group, double shape) {
  if (mType == kTypeNone) mType = kTypeDouble;
  CopyNames(name, label, group);
  mValue = mDefault = defaultVal;
  mMin = minVal;
  mMax = maxVal > minVal + step ? maxVal : minVal + step;
  mStep = step;
  SetShape(shape);

  // Decimals needed to show the step: one per factor of ten until it is whole.
  mDisplayPrecision = 0;
  for (double s = step; std::floor(s) != s && mDisplayPrecision < 6; s *= 10.0) ++mDisplayPrecision;
}

void IParam::Set(double value) {
  if (!std::isnan(value)) mValue = value;
}

void IParam::SetDisplayText(int value, const char* text) {
  const int n = mDisplayTexts.GetSize();
  DisplayText* list = mDisplayTexts.Resize(n + 1, false);
  if (!list || mDisplayTexts.GetSize() != n + 1) return;
  list[n].mValue = value;
  IFxCopyText(list[n].mText, text, kTextLen);
}

void IParam::SetShape(double shape) {
  if (shape != 0.0) mShape = shape;
}

int IParam::Int() const {
  return IFxTruncToInt(mValue);
}

void IParam::GetBounds(double* minVal, double* maxVal) const {
  if (minVal) *minVal = mMin;
  if (maxVal) *maxVal = mMax;
}

double IParam::DBToAmp() const {
  return std::exp(mValue * 0.1151292546497);
}

void IParam::SetNormalized(double normalizedValue) {
  double v = GetNonNormalized(normalizedValue);
  if (mType != kTypeDouble) v = std::floor(v / mStep + 0.5) * mStep;
  // A NaN argument (or a negative one under a fractional shape) has no value.
  if (std::isnan(v)) return;
  mValue = v < mMax ? v : mMax;
}

double IParam::GetNormalized() const {
  return GetNormalized(mValue);
}

double IParam::GetNormalized(double nonNormalizedValue) const {
  double v = nonNormalizedValue;
  if (v < mMin) v = mMin;
  if (v > mMax) v = mMax;
  const double range = mMax - mMin;
  if (!(range > 0.0)) return 0.0;
  return std::pow((v - mMin) / range, 1.0 / mShape);
}

double IParam::GetNonNormalized(double normalizedValue) const {
  return mMin + (mMax - mMin) * std::pow(normalizedValue, mShape);
}

void IParam::GetDisplayForHost(double value, bool normalized, char* str,
                               bool withDisplayText) const {
  if (!str) return;
  if (normalized) value = GetNonNormalized(value);

  const int i = IFxTruncToInt(value);
  if (withDisplayText) {
    const char* text = GetDisplayText(i);
    if (text[0]) {
      IFxCopyText(str, text, kDisplayLen);
      return;
    }
  }

  const double shown = mNegateDisplay ? -value : value;
  if (mDisplayPrecision == 0)
    snprintf(str, kDisplayLen, "%d", IFxTruncToInt(shown));
  else
    snprintf(str, kDisplayLen, "%.*f", mDisplayPrecision, shown);
}

const char* IParam::GetLabelForHost() const {
  return GetDisplayText(IFxTruncToInt(mValue))[0] ? "" : mLabel;
}

const char* IParam::GetDisplayText(int value) const {
  const DisplayText* list = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
    if (list[i].mValue == value) return list[i].mText;
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* value) const {
  if (idx < 0 || idx >= mDisplayTexts.GetSize()) return "";
  const DisplayText& entry = mDisplayTexts.Get()[idx];
  if (value) *value = entry.mValue;
  return entry.mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const {
  if (!text) return false;
  const DisplayText* list = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i) {
    if (!strcmp(list[i].mText, text)) {
      if (value) *value = list[i].mValue;
      return true;
    }
  }
  return false;
}
