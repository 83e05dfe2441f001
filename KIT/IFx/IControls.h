#pragma once

// The stock controls: images whose frame follows the value, switches, radio
// buttons, a fader, knobs, text and captions, a link, a file selector, a
// coloured panel and text from a bitmap font. Each is made with new, handed
// to IGraphics::AttachControl and owned by the editor from then on.
//
// "Rect from image" below is {x, y, x + frame width, y + frame height}.

#include <vector>

#include "IControl.h"
#include "kitstring.h"

// The frame for a value: 1 with fewer than two frames, else
// trunc((N - 1) x value + 0.5) + 1 held to 1..N.
int IFrameForValue(int nFrames, double value);

// Fills its rectangle with a colour.
class IPanelControl : public IControl {
public:
  IPanelControl(IFxBase* plug, IRECT rect, const IColor* color)
      : IControl(plug, rect), mColor(color ? *color : COLOR_BLACK) {}
  void Draw(IGraphics* graphics) override;
  const IColor& GetColor() const { return mColor; }

protected:
  IColor mColor;
};

// Shows the frame of its image that the value picks; rect from image.
class IBitmapControl : public IControl {
public:
  IBitmapControl(IFxBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blend = IChannelBlend::kBlendAlpha);
  IBitmapControl(IFxBase* plug, int x, int y, const IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blend = IChannelBlend::kBlendAlpha)
      : IBitmapControl(plug, x, y, -1, bitmap, blend) {}
  void Draw(IGraphics* graphics) override;
  const IBitmap& GetBitmap() const { return mBitmap; }

protected:
  IBitmap mBitmap;
};

// Each click steps to the next frame's value, wrapping after the last; one
// frame toggles between 0 and 1. A double click counts as a click.
class ISwitchControl : public IBitmapControl {
public:
  ISwitchControl(IFxBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blend = IChannelBlend::kBlendAlpha)
      : IBitmapControl(plug, x, y, paramIdx, bitmap, blend) {}
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override { OnMouseDown(x, y, mod); }
};

// A click prompts for the value (when prompting is enabled).
class ISwitchPopUpControl : public ISwitchControl {
public:
  using ISwitchControl::ISwitchControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// A click picks the frame whose part of the rectangle it hit: N rows, or N
// columns with the image-map flag.
class ISwitchFramesControl : public ISwitchControl {
public:
  ISwitchFramesControl(IFxBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                       bool imageMapped = false,
                       IChannelBlend::EBlendMethod blend = IChannelBlend::kBlendAlpha);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  const IRECT& GetFrameRECT(int i) const { return mRECTs[size_t(i)]; }
  int NFrameRECTs() const { return int(mRECTs.size()); }

protected:
  std::vector<IRECT> mRECTs;
};

// A momentary button: back to 0 when released.
class IContactControl : public ISwitchControl {
public:
  using ISwitchControl::ISwitchControl;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

// Below 0.5 it draws nothing and is hit in the target area; otherwise it
// draws its frame and is hit in its rectangle.
class IBitmapOverlayControl : public ISwitchControl {
public:
  IBitmapOverlayControl(IFxBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                        IRECT targetArea,
                        IChannelBlend::EBlendMethod blend = IChannelBlend::kBlendAlpha)
      : ISwitchControl(plug, x, y, paramIdx, bitmap, blend), mTargetArea(targetArea) {}
  void Draw(IGraphics* graphics) override;

protected:
  IRECT mTargetArea;
};

// Toggles between 0 and 1; draws nothing.
class IInvisibleSwitchControl : public IControl {
public:
  IInvisibleSwitchControl(IFxBase* plug, IRECT rect, int paramIdx)
      : IControl(plug, rect, paramIdx, IChannelBlend::kBlendCopy) {}
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void Draw(IGraphics*) override {}
};

// n buttons from one image (frame 1 off, frame 2 on) laid out along the
// rectangle; a click picks button i (value i / (n - 1)), a right click
// prompts. Reversed: the first button lies at the far end.
class IRadioButtonsControl : public IControl {
public:
  IRadioButtonsControl(IFxBase* plug, IRECT rect, int paramIdx, int nButtons,
                       const IBitmap* bitmap, EDirection direction = kVertical,
                       bool reverse = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void Draw(IGraphics* graphics) override;
  int NButtons() const { return mNButtons; }
  const IRECT& GetButtonRECT(int i) const { return mRECTs[size_t(i)]; }

protected:
  std::vector<IRECT> mRECTs;
  int mNButtons;
  IBitmap mBitmap;
};

// A handle image sliding along a track of `length` pixels; a click or drag
// puts the handle's centre under the pointer, a right click prompts.
class IFaderControl : public IControl {
public:
  IFaderControl(IFxBase* plug, int x, int y, int length, int paramIdx, const IBitmap* handle,
                EDirection direction = kVertical, bool onlyHandle = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  void Draw(IGraphics* graphics) override;
  bool IsHit(int x, int y) override;
  virtual void SnapToMouse(int x, int y);
  // The handle's rectangle for a value (the current one when negative).
  IRECT GetHandleRECT(double value = -1.0) const;
  int GetLength() const { return mLen; }
  int GetHandleHeadroom() const { return mHandleHeadroom; }

protected:
  int mLen, mHandleHeadroom;
  IBitmap mBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};

// Dragging turns the value: a vertical knob gains 1 / gearing per control
// height the pointer moves up (ten times finer with Shift or Control); each
// wheel step adds 0.01 (0.001 with Shift or Control).
class IKnobControl : public IControl {
public:
  IKnobControl(IFxBase* plug, IRECT rect, int paramIdx, EDirection direction = kVertical,
               double gearing = 4.0)
      : IControl(plug, rect, paramIdx), mDirection(direction), mGearing(gearing) {}
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  void SetGearing(double gearing) { mGearing = gearing; }
  double GetGearing() const { return mGearing; }
  EDirection GetDirection() const { return mDirection; }

protected:
  EDirection mDirection;
  double mGearing;
};

// A line from the centre, at an angle between the minimum and the maximum
// (radians, 0 up, clockwise) that follows the value. An outer radius of 0 is
// half the width.
class IKnobLineControl : public IKnobControl {
public:
  IKnobLineControl(IFxBase* plug, IRECT rect, int paramIdx, const IColor* color,
                   double innerRadius = 0.0, double outerRadius = 0.0,
                   double minAngle = -0.75 * 3.14159265358979323846,
                   double maxAngle = 0.75 * 3.14159265358979323846,
                   EDirection direction = kVertical, double gearing = 4.0);
  void Draw(IGraphics* graphics) override;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// The frame of a knob strip that the value picks; rect from image.
class IKnobMultiControl : public IKnobControl {
public:
  IKnobMultiControl(IFxBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                    EDirection direction = kVertical, double gearing = 4.0);
  void Draw(IGraphics* graphics) override;

protected:
  IBitmap mBitmap;
};

// The whole image turned about its centre by an angle between the minimum
// and the maximum (radians, 0 up, clockwise) that follows the value; the
// turning point moves yOffset pixels down. Rect from image.
class IKnobRotaterControl : public IKnobControl {
public:
  IKnobRotaterControl(IFxBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                      double minAngle = -0.75 * 3.14159265358979323846,
                      double maxAngle = 0.75 * 3.14159265358979323846, int yOffset = 0,
                      EDirection direction = kVertical, double gearing = 4.0);
  void Draw(IGraphics* graphics) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// A base image with a mask and a top image turned over it by an angle
// between the minimum and the maximum (degrees) that follows the value.
// Rect from the base image.
class IKnobRotatingMaskControl : public IKnobControl {
public:
  IKnobRotatingMaskControl(IFxBase* plug, int x, int y, int paramIdx, const IBitmap* base,
                           const IBitmap* mask, const IBitmap* top, double minAngle = -135.0,
                           double maxAngle = 135.0, EDirection direction = kVertical,
                           double gearing = 4.0);
  void Draw(IGraphics* graphics) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};

// A fixed text in a style; no parameter.
class ITextControl : public IControl {
public:
  ITextControl(IFxBase* plug, IRECT rect, const IText* text, const char* str = "");
  void Draw(IGraphics* graphics) override;
  // A changed text marks the control dirty.
  virtual void SetTextFromPlug(const char* str);
  void ClearTextFromPlug() { SetTextFromPlug(""); }
  const char* GetTextForPlug() const { return mStr.Get(); }

protected:
  KIT_String mStr;
};

// The bound parameter's display text (and label, with the flag); clicks and
// double clicks prompt for a value when prompting is enabled.
class ICaptionControl : public ITextControl {
public:
  ICaptionControl(IFxBase* plug, IRECT rect, int paramIdx, const IText* text,
                  bool showParamLabel = true);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  void Draw(IGraphics* graphics) override;

protected:
  bool mShowParamLabel;
};

// Opens the address, or the backup address when that is missing or fails;
// the title goes with either. True when one of them was opened.
bool IOpenURLOrBackup(IGraphics* gui, const char* url, const char* backupURL, const char* title);

// Opens a web address (or the backup one when that fails); draws nothing.
class IURLControl : public IControl {
public:
  static const int kURLLen = 256;  // terminator included; longer texts are cut
  IURLControl(IFxBase* plug, IRECT rect, const char* url, const char* backupURL = nullptr,
              const char* errMsgWindowTitle = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void Draw(IGraphics*) override {}
  const char* GetURL() const { return mURL; }
  const char* GetBackupURL() const { return mBackupURL; }

protected:
  char mURL[kURLLen], mBackupURL[kURLLen], mErrMsg[kURLLen];
};

// A click runs an open or save panel and toggles the value; the image's
// first frame shows while the panel runs.
class IFileSelectorControl : public IControl {
public:
  enum EFileSelectorState { kFSNone = 0, kFSSelecting = 1, kFSDone = 2 };
  IFileSelectorControl(IFxBase* plug, IRECT rect, int paramIdx, const IBitmap* bitmap,
                       EFileAction action, const char* dir = "", const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void Draw(IGraphics* graphics) override;
  // True while dirty, and once after a selection.
  bool IsDirty() override;
  void GetLastSelectedFileForPlug(KIT_String* out) const { out->Set(mFile.Get()); }
  void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
  EFileSelectorState GetState() const { return mState; }
  // The title of the panel ("Save Program"); empty: the panel names its
  // action.
  void SetPanelTitle(const char* title) { mTitle.Set(title ? title : ""); }

protected:
  IBitmap mBitmap;
  KIT_String mFile, mDir, mExtensions, mTitle;
  EFileAction mFileAction;
  EFileSelectorState mState = kFSNone;
};

// Text drawn from a bitmap font (frame k shows the character k + 31).
class IBitmapTextControl : public IControl {
public:
  IBitmapTextControl(IFxBase* plug, IRECT rect, const IBitmap* font, const char* str = "",
                     const IText* text = nullptr, int charWidth = 6, int charHeight = 12,
                     int charOffset = 0, bool multiLine = false, bool vCenter = true);
  void Draw(IGraphics* graphics) override;
  void SetTextFromPlug(const char* str);
  void ClearTextFromPlug() { SetTextFromPlug(""); }
  const char* GetTextForPlug() const { return mStr.Get(); }

protected:
  KIT_String mStr;
  IBitmap mFontBitmap;
  int mCharWidth, mCharHeight, mCharOffset;
  bool mMultiLine, mVCentre;
};
