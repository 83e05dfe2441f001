#pragma once

// The base of every editor control: a rectangle on the editor surface,
// optionally bound to one plug-in parameter whose normalised value it holds,
// a text style, a blend, a tool tip and auxiliary parameters.
//
// A value travels two roads: SetValueFromPlug (from the plug-in, nothing is
// sent back) and SetDirty(true) (from the user: clamped and sent to the
// plug-in's SetParameterFromGUI).

#include "IGraphicsStructs.h"
#include "heapbuf.h"
#include "kitstring.h"

class IFxBase;
class IGraphics;
class IParam;
class ITextControl;

class IControl {
public:
  // A further parameter the control follows.
  struct AuxParam {
    double mValue = 0.0;
    int mParamIdx = -1;
  };

  // paramIdx -1: no parameter.
  IControl(IFxBase* plug, IRECT rect, int paramIdx = -1,
           IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendAlpha);
  virtual ~IControl();
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // With the right button: PromptUserInput().
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int, int, IMouseMod*) {}
  virtual void OnMouseDrag(int, int, int, int, IMouseMod*) {}
  // Restores the default value, once there is one.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  virtual void OnMouseWheel(int, int, IMouseMod*, int) {}
  virtual bool OnKeyDown(int, int, int) { return false; }
  virtual void OnMouseOver(int, int, IMouseMod*) {}
  virtual void OnMouseOut() {}
  virtual void Draw(IGraphics* graphics) = 0;
  // The first value pushed becomes the default; an equal value changes nothing.
  virtual void SetValueFromPlug(double value);
  virtual void SetValueFromUserInput(double value);
  virtual void TextFromTextEntry(const char*) {}
  virtual void Hide(bool hide);
  // Greyed out: drawn at weight 0.25, not hit; back to weight 1.0 after.
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y);
  // Clamps the value, marks the control dirty and, with push, sends the value
  // to the plug-in and refreshes the display controls.
  virtual void SetDirty(bool push = true);
  // Dirty stays set for one more pass when the redraw flag was set.
  virtual void SetClean();
  virtual bool IsDirty() { return mDirty; }
  // The dirty flag alone, without what an override of IsDirty() does.
  bool IsMarkedDirty() const { return mDirty; }
  virtual void OnGUIIdle() {}
  virtual void SetAuxParamValueFromPlug(int auxIndex, double value);

  // Prompts for the parameter's value: a popup menu over the control for
  // parameters with display texts, else a 40 x 16 text entry on its centre.
  void PromptUserInput();
  void PromptUserInput(IRECT* rect);

  // Auxiliary parameters.
  void AddAuxParam(int paramIdx);
  AuxParam* GetAuxParam(int index);
  // Position of the first entry with that parameter, -1 when none.
  int AuxParamIdx(int paramIdx) const;
  int NAuxParams() const { return mAuxParams.GetSize(); }
  void SetAllAuxParamsFromGUI();

  // Accessors.
  IFxBase* GetPlug() const { return mPlug; }
  // The plug-in's editor, null without one.
  IGraphics* GetGUI() const;
  int ParamIdx() const { return mParamIdx; }
  IParam* GetParam() const;
  double GetValue() const { return mValue; }
  void SetValue(double value) { mValue = value; }
  double GetDefaultValue() const { return mDefaultValue; }
  void SetDefaultValue(double value) { mDefaultValue = value; }
  void Clamp(double lo, double hi) {
    mClampLo = lo;
    mClampHi = hi;
  }
  double GetClampLo() const { return mClampLo; }
  double GetClampHi() const { return mClampHi; }
  IRECT* GetRECT() { return &mRECT; }
  IRECT* GetTargetRECT() { return &mTargetRECT; }
  void SetRECT(const IRECT& r) { mRECT = r; }
  void SetTargetArea(const IRECT& r) { mTargetRECT = r; }
  IText* GetText() { return &mText; }
  void SetText(const IText& text) { mText = text; }
  const IChannelBlend* GetBlend() const { return &mBlend; }
  IChannelBlend* GetBlend() { return &mBlend; }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool GetRedraw() const { return mRedraw; }
  void SetRedraw(bool redraw) { mRedraw = redraw; }
  bool GetDisablePrompt() const { return mDisablePrompt; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  void SetMOWhenGrayed(bool allow) { mMOWhenGrayed = allow; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int length) { mTextEntryLength = length; }
  // Text controls that show the parameter's display text and its name; not
  // owned (the editor owns them as it owns every attached control).
  ITextControl* GetValDisplayControl() const { return mValDisplayControl; }
  void SetValDisplayControl(ITextControl* control) { mValDisplayControl = control; }
  ITextControl* GetNameDisplayControl() const { return mNameDisplayControl; }
  void SetNameDisplayControl(ITextControl* control) { mNameDisplayControl = control; }
  const char* GetTooltip() const { return mTooltip.Get(); }
  void SetTooltip(const char* tooltip) { mTooltip.Set(tooltip); }

protected:
  int mTextEntryLength = 7;
  IText mText;
  IFxBase* mPlug;
  IRECT mRECT, mTargetRECT;
  int mParamIdx;
  KIT_TypedBuf<AuxParam> mAuxParams;
  double mValue = 0.0;
  double mDefaultValue = -1.0;
  double mClampLo = 0.0, mClampHi = 1.0;
  bool mDirty = true;
  bool mHide = false;
  bool mGrayed = false;
  bool mRedraw = false;
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  IChannelBlend mBlend;
  ITextControl* mValDisplayControl = nullptr;
  ITextControl* mNameDisplayControl = nullptr;
  KIT_String mTooltip;
};
