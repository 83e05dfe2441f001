#pragma once

// The effect's own small controls: level eyes, the maximum-level and host
// texts, value captions with their own formats, preset and mode step
// buttons, the meter reset and curve restore buttons, the scope's freeze and
// zoom controls, and the watcher that brings the effect's display requests
// to the editor.

#include <string>

#include "IControls.h"
#include "UiControls.h"

class Harshbloom;

// How a caption writes its parameter's value x.
enum eRnCaption : int {
  kCaptionDecibel = 0,   // 20 log10 x dB
  kCaptionPercent = 1,   // 100 x %
  kCaptionPlusMinus12,   // 24 x - 12
  kCaptionPlusMinus1,    // 2 x - 1
  kCaptionCentred,       // x - 0.5
  kCaptionScaled,        // x scale + offset, three decimals, and the unit
  kCaptionScaledShort,   // the same with one decimal
  kCaptionBipolar,       // 2 (x - 0.5)
};

// 1 steps up (next); anything else steps down (previous).
enum eRnSwitchDir : int { kSwitchDown = 0, kSwitchUp = 1 };

// One eye of the about page's level meter: a triangle whose red follows the
// level of its channel.
class IRnVuEyeDrawer : public IControl {
public:
  IRnVuEyeDrawer(Harshbloom* plug, IRECT rect, bool left);
  void Draw(IGraphics* graphics) override;
  // While no blocks run the meters fall by themselves.
  void OnGUIIdle() override;

private:
  Harshbloom* mHarshbloom;
  bool mLeft;
};

// "MAX LEVEL: x dB" of the louder channel's peak, red above 0 dB.
class IRnMaxLevelText : public ITextControl {
public:
  IRnMaxLevelText(Harshbloom* plug, IRECT rect, const IText* text);
  void Draw(IGraphics* graphics) override;
  void UpdateMaxLevelText(double level);

private:
  Harshbloom* mHarshbloom;
};

// The sample rate and the tempo.
class IRnHostInfoText : public ITextControl {
public:
  IRnHostInfoText(Harshbloom* plug, IRECT rect, const IText* text);
  void Draw(IGraphics* graphics) override;
  void UpdateHostInfoText(double sampleRate, double tempo);

private:
  Harshbloom* mHarshbloom;
};

// A parameter's value in one of the formats of eRnCaption; other types show
// the parameter's own display text.
class IRnCaptionControl : public ICaptionControl {
public:
  IRnCaptionControl(IFxBase* plug, IRECT rect, int paramIdx, const IText* text, int type,
                    const std::string& unit = "", double scale = 1.0, double offset = 0.0);
  void Draw(IGraphics* graphics) override;
  // The text for a normalised value x.
  std::string CaptionFor(double x) const;

private:
  int mType;
  double mScale, mOffset;
  std::string mUnit;
};

// Steps to the previous or next preset (ten with the right button); stops
// at both ends of the list.
class IRnPresetSwitch : public IContactControl {
public:
  IRnPresetSwitch(IFxBase* plug, int x, int y, int paramIdx, int ignored, const IBitmap* bitmap,
                  bool ignoredFlag, int direction);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

private:
  int mDirection;
};

// Steps a target parameter through N positions, reading the current one from
// a value the effect keeps; one step with the left button, ten with the
// right, wrapping at the ends when asked.
class IRnModeSwitch : public IContactControl {
public:
  IRnModeSwitch(IFxBase* plug, int x, int y, int paramIdx, int target, int positions,
                const double& value, const IBitmap* bitmap, bool wrap, int direction);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;

  double getNextValue(double v) const;
  double getPrevValue(double v) const;
  double getNext10Value(double v) const;
  double getPrev10Value(double v) const;
  int GetTarget() const { return mTarget; }
  int GetPositions() const { return mN; }
  bool GetWrap() const { return mWrap; }
  int GetDirection() const { return mDirection; }

private:
  int Position(double v) const;

  int mTarget, mN;
  const double& mRef;
  bool mWrap;
  int mDirection;
};

// A momentary button that asks the effect for one thing when pressed.
class IRnEffectButton : public IContactControl {
public:
  IRnEffectButton(Harshbloom* plug, int x, int y, int paramIdx, const IBitmap* bitmap);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;

protected:
  virtual void Act(Harshbloom& plug) = 0;

private:
  Harshbloom* mHarshbloom;
};

// Resets the peak levels.
class IRnResetButton : public IRnEffectButton {
public:
  using IRnEffectButton::IRnEffectButton;

protected:
  void Act(Harshbloom& plug) override;
};

// Restores the current distortion type's own curve.
class IRnRestoreCurveButton : public IRnEffectButton {
public:
  using IRnEffectButton::IRnEffectButton;

protected:
  void Act(Harshbloom& plug) override;
};

// A momentary button whose press does nothing, for trying a button's images.
class IRnTestButton : public IContactControl {
public:
  IRnTestButton(Harshbloom* plug, int x, int y, int paramIdx, const IBitmap* bitmap);
  void OnMouseDown(int, int, IMouseMod*) override {}
};

// Freezes and unfreezes the scope. The button keeps its own state.
class IRnFreezeButton : public ISwitchControl {
public:
  IRnFreezeButton(Harshbloom* plug, int x, int y, int paramIdx, const IBitmap* bitmap);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool IsFrozen() const { return mFrozen; }

private:
  Harshbloom* mHarshbloom;
  bool mFrozen = false;
};

enum eRnZoom : int { kZoomIn = 0, kZoomOut = 1 };

// Zooms the scope in or out by one step, four with the right button.
class IRnZoomSwitch : public IContactControl {
public:
  IRnZoomSwitch(Harshbloom* plug, int x, int y, int ignored, const IBitmap* bitmap,
                eRnZoom direction);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  eRnZoom GetDirection() const { return mDirection; }

private:
  Harshbloom* mHarshbloom;
  eRnZoom mDirection;
};

// The scope's zoom in percent, which the effect writes; the mouse wheel
// zooms here too.
class IZoomTextControl : public ITextControl {
public:
  IZoomTextControl(Harshbloom* plug, IRECT rect, const IText* text, const char* str);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;

private:
  Harshbloom* mHarshbloom;
};

// Invisible, attached last: each time the editor's timer looks for dirty
// controls it hands the effect's redraw requests, value texts and tool tips
// to the controls they belong to, and gives the controls their idle call.
class IRnDisplayWatcher : public IControl {
public:
  explicit IRnDisplayWatcher(Harshbloom* plug);
  bool IsDirty() override;
  void Draw(IGraphics*) override {}

private:
  Harshbloom* mHarshbloom;
};
