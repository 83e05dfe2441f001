#pragma once

// A typed plug-in parameter: a plain value in its own range and unit, and the
// normalised 0..1 form that editors, hosts and program files use.

#include "heapbuf.h"

class IParam {
public:
  enum EValueType { kTypeNone = 0, kTypeBool = 1, kTypeInt = 2, kTypeEnum = 3, kTypeDouble = 4 };

  // Size of the name, label, group and display-text fields, terminator included.
  static const int kTextLen = 32;
  // Size of the buffer GetDisplayForHost writes into, terminator included.
  static const int kDisplayLen = 64;

  IParam();
  ~IParam() {}
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "",
                const char* group = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  // Plain value; NaN is ignored so it never reaches an integer conversion.
  void Set(double value);
  void SetDisplayText(int value, const char* text);
  void SetShape(double shape);
  void NegateDisplay(bool negate = true) { mNegateDisplay = negate; }

  EValueType Type() const { return mType; }
  double Value() const { return mValue; }
  bool Bool() const { return mValue >= 0.5; }
  int Int() const;
  double GetDefault() const { return mDefault; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  int GetPrecision() const { return mDisplayPrecision; }
  bool GetNegateDisplay() const { return mNegateDisplay; }
  bool GetCanAutomate() const { return mCanAutomate; }
  void GetBounds(double* minVal, double* maxVal) const;

  // The value read as decibels, as a gain.
  double DBToAmp() const;

  // Sets the value from a normalised one; NaN leaves the value unchanged.
  void SetNormalized(double normalizedValue);
  double GetNormalized() const;
  double GetNormalized(double nonNormalizedValue) const;
  double GetNonNormalized(double normalizedValue) const;

  // Writes the text a host shows for a value into str (kDisplayLen characters).
  void GetDisplayForHost(double value, bool normalized, char* str,
                         bool withDisplayText = true) const;
  void GetDisplayForHost(char* str, bool withDisplayText = true) const {
    GetDisplayForHost(mValue, false, str, withDisplayText);
  }
  const char* GetNameForHost() const { return mName; }
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mParamGroup; }

  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  const char* GetDisplayText(int value) const;
  const char* GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
  bool MapDisplayText(const char* text, int* value) const;

private:
  struct DisplayText {
    int mValue;
    char mText[kTextLen];
  };

  void CopyNames(const char* name, const char* label, const char* group);

  EValueType mType;
  double mValue;
  double mMin;
  double mMax;
  double mStep;
  double mShape;
  double mDefault;
  int mDisplayPrecision;
  char mName[kTextLen];
  char mLabel[kTextLen];
  char mParamGroup[kTextLen];
  bool mNegateDisplay;
  bool mCanAutomate;
  KIT_TypedBuf<DisplayText> mDisplayTexts;
};
