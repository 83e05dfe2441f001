#include "IControls.h"

#include <math.h>
#include <string.h>

#include "IFxBase.h"
#include "IFxUtil.h"
#include "IGraphics.h"

int IFrameForValue(int nFrames, double value) {
  if (nFrames < 2) return 1;
  const int frame = IFxTruncToInt(double(nFrames - 1) * value + 0.5) + 1;
  return frame < 1 ? 1 : (frame > nFrames ? nFrames : frame);
}

namespace {

// i / (n - 1); with fewer than two choices there is only the value 0.
double StepValue(int i, int n) { return n < 2 ? 0.0 : double(i) / double(n - 1); }

bool FineAdjust(const IMouseMod* mod) { return mod && (mod->C || mod->S); }

}  // namespace

// ---- Panel and images

void IPanelControl::Draw(IGraphics* graphics) { graphics->FillIRect(&mColor, &mRECT, &mBlend); }

IBitmapControl::IBitmapControl(IFxBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                               IChannelBlend::EBlendMethod blend)
    : IControl(plug, IRECT(x, y, bitmap), paramIdx, blend) {
  if (bitmap) mBitmap = *bitmap;
}

void IBitmapControl::Draw(IGraphics* graphics) {
  graphics->DrawBitmap(&mBitmap, &mRECT, IFrameForValue(mBitmap.N, mValue), &mBlend);
}

void ISwitchControl::OnMouseDown(int, int, IMouseMod*) {
  mValue += mBitmap.N < 2 ? 1.0 : 1.0 / double(mBitmap.N - 1);
  if (mValue > 1.001) mValue = 0.0;
  SetDirty(true);
}

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*) {
  PromptUserInput();
  SetDirty(true);
}

ISwitchFramesControl::ISwitchFramesControl(IFxBase* plug, int x, int y, int paramIdx,
                                           const IBitmap* bitmap, bool imageMapped,
                                           IChannelBlend::EBlendMethod blend)
    : ISwitchControl(plug, x, y, paramIdx, bitmap, blend) {
  const int n = mBitmap.NFrames();
  const double step = double(imageMapped ? mRECT.W() : mRECT.H()) / n;
  for (int i = 0; i < n; ++i) {
    if (imageMapped) {
      const int l = mRECT.L + IFxTruncToInt(i * step);
      mRECTs.push_back(IRECT(l, mRECT.T, IFxTruncToInt(l + step), mRECT.B));
    } else {
      const int t = mRECT.T + IFxTruncToInt(i * step);
      mRECTs.push_back(IRECT(mRECT.L, t, mRECT.R, IFxTruncToInt(t + step)));
    }
  }
  mDisablePrompt = false;
}

void ISwitchFramesControl::OnMouseDown(int x, int y, IMouseMod*) {
  const int n = int(mRECTs.size());
  for (int i = 0; i < n; ++i) {
    if (mRECTs[size_t(i)].Contains(x, y)) {
      mValue = StepValue(i, n);
      break;
    }
  }
  SetDirty(true);
}

void IContactControl::OnMouseUp(int, int, IMouseMod*) {
  mValue = 0.0;
  SetDirty(true);
}

void IBitmapOverlayControl::Draw(IGraphics* graphics) {
  if (mValue < 0.5) {
    mTargetRECT = mTargetArea;
    return;
  }
  mTargetRECT = mRECT;
  IBitmapControl::Draw(graphics);
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*) {
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

// ---- Radio buttons

IRadioButtonsControl::IRadioButtonsControl(IFxBase* plug, IRECT rect, int paramIdx,
                                           int nButtons, const IBitmap* bitmap,
                                           EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx), mNButtons(nButtons > 0 ? nButtons : 0) {
  if (bitmap) mBitmap = *bitmap;
  const int n = mNButtons;
  const int w = mBitmap.W, h = mBitmap.H / mBitmap.NFrames();
  const int room = direction == kVertical ? rect.H() - n * h : rect.W() - n * w;
  const int gap = n > 1 ? room / (n - 1) : 0;
  for (int i = 0; i < n; ++i) {
    if (direction == kVertical) {
      const int t = reverse ? rect.B - gap - h - i * (h + gap) : rect.T + i * (h + gap);
      mRECTs.push_back(IRECT(rect.L, t, rect.L + w, t + h));
    } else {
      const int l = reverse ? rect.R - w - gap - i * (w + gap) : rect.L + i * (w + gap);
      mRECTs.push_back(IRECT(l, rect.T, l + w, rect.T + h));
    }
  }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mod && mod->R) {
    PromptUserInput();
    return;
  }
  for (int i = 0; i < mNButtons; ++i) {
    if (mRECTs[size_t(i)].Contains(x, y)) {
      mValue = StepValue(i, mNButtons);
      break;
    }
  }
  SetDirty(true);
}

void IRadioButtonsControl::Draw(IGraphics* graphics) {
  if (mNButtons < 1) return;
  int active = IFxTruncToInt(double(mNButtons - 1) * mValue + 0.5);
  active = active < 0 ? 0 : (active > mNButtons - 1 ? mNButtons - 1 : active);
  for (int i = 0; i < mNButtons; ++i)
    graphics->DrawBitmap(&mBitmap, &mRECTs[size_t(i)], i == active ? 2 : 1, &mBlend);
}

// ---- Fader

IFaderControl::IFaderControl(IFxBase* plug, int x, int y, int length, int paramIdx,
                             const IBitmap* handle, EDirection direction, bool onlyHandle)
    : IControl(plug, IRECT(), paramIdx),
      mLen(length),
      mHandleHeadroom(0),
      mDirection(direction),
      mOnlyHandle(onlyHandle) {
  if (handle) mBitmap = *handle;
  if (direction == kVertical) {
    mHandleHeadroom = mBitmap.FrameHeight();
    mRECT = mTargetRECT = IRECT(x, y, x + mBitmap.FrameWidth(), y + length);
  } else {
    mHandleHeadroom = mBitmap.FrameWidth();
    mRECT = mTargetRECT = IRECT(x, y, x + length, y + mBitmap.FrameHeight());
  }
}

IRECT IFaderControl::GetHandleRECT(double value) const {
  if (value < 0.0) value = mValue;
  IRECT r(mRECT.L, mRECT.T, mRECT.L + mBitmap.FrameWidth(), mRECT.T + mBitmap.FrameHeight());
  const int travel = mLen - mHandleHeadroom;
  if (mDirection == kVertical) {
    const int dy = IFxTruncToInt(travel * (1.0 - value));
    r.T += dy;
    r.B += dy;
  } else {
    const int dx = IFxTruncToInt(value * travel);
    r.L += dx;
    r.R += dx;
  }
  return r;
}

void IFaderControl::SnapToMouse(int x, int y) {
  const int travel = mLen - mHandleHeadroom;
  // A handle as long as the track has nowhere to go.
  if (travel > 0) {
    if (mDirection == kVertical)
      mValue = 1.0 - double(y - mRECT.T - mHandleHeadroom / 2) / travel;
    else
      mValue = double(x - mRECT.L - mHandleHeadroom / 2) / travel;
  }
  SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (!mod) return;
  if (mod->R)
    PromptUserInput();
  else if (mod->L)
    SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) { SnapToMouse(x, y); }

void IFaderControl::OnMouseWheel(int, int, IMouseMod* mod, int d) {
  mValue += d * (FineAdjust(mod) ? 0.001 : 0.01);
  SetDirty(true);
}

void IFaderControl::Draw(IGraphics* graphics) {
  IRECT r = GetHandleRECT();
  graphics->DrawBitmap(&mBitmap, &r, 1, &mBlend);
}

bool IFaderControl::IsHit(int x, int y) {
  if (mOnlyHandle) return GetHandleRECT().Contains(x, y);
  return IControl::IsHit(x, y);
}

// ---- Knobs

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod) {
  const double gearing = FineAdjust(mod) ? mGearing * 10.0 : mGearing;
  // A knob without extent along its direction does not turn.
  if (mDirection == kVertical) {
    if (mRECT.T == mRECT.B) return;
    mValue += double(dY) / double(mRECT.T - mRECT.B) / gearing;
  } else {
    if (mRECT.L == mRECT.R) return;
    mValue += double(dX) / double(mRECT.R - mRECT.L) / gearing;
  }
  SetDirty(true);
}

void IKnobControl::OnMouseWheel(int, int, IMouseMod* mod, int d) {
  mValue += d * (FineAdjust(mod) ? 0.001 : 0.01);
  SetDirty(true);
}

IKnobLineControl::IKnobLineControl(IFxBase* plug, IRECT rect, int paramIdx, const IColor* color,
                                   double innerRadius, double outerRadius, double minAngle,
                                   double maxAngle, EDirection direction, double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing),
      mColor(color ? *color : COLOR_BLACK),
      mMinAngle(float(minAngle)),
      mMaxAngle(float(maxAngle)),
      mInnerRadius(float(innerRadius)),
      mOuterRadius(float(outerRadius)) {
  if (mOuterRadius == 0.0f) mOuterRadius = 0.5f * float(rect.W());
  mBlend = IChannelBlend(IChannelBlend::kBlendCopy);
}

void IKnobLineControl::Draw(IGraphics* graphics) {
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  const float cx = 0.5f * float(mRECT.L + mRECT.R), cy = 0.5f * float(mRECT.T + mRECT.B);
  const float s = float(sin(angle)), c = float(cos(angle));
  graphics->DrawLine(&mColor, cx + s * mInnerRadius, cy - c * mInnerRadius, cx + s * mOuterRadius,
                     cy - c * mOuterRadius, &mBlend, true);
}

IKnobMultiControl::IKnobMultiControl(IFxBase* plug, int x, int y, int paramIdx,
                                     const IBitmap* bitmap, EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, bitmap), paramIdx, direction, gearing) {
  if (bitmap) mBitmap = *bitmap;
}

void IKnobMultiControl::Draw(IGraphics* graphics) {
  graphics->DrawBitmap(&mBitmap, &mRECT, IFrameForValue(mBitmap.N, mValue), &mBlend);
}

IKnobRotaterControl::IKnobRotaterControl(IFxBase* plug, int x, int y, int paramIdx,
                                         const IBitmap* bitmap, double minAngle, double maxAngle,
                                         int yOffset, EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, bitmap), paramIdx, direction, gearing),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle),
      mYOffset(yOffset) {
  if (bitmap) mBitmap = *bitmap;
}

void IKnobRotaterControl::Draw(IGraphics* graphics) {
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  graphics->DrawRotatedBitmap(&mBitmap, (mRECT.L + mRECT.R) / 2, (mRECT.T + mRECT.B) / 2, angle,
                              mYOffset, &mBlend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IFxBase* plug, int x, int y, int paramIdx,
                                                   const IBitmap* base, const IBitmap* mask,
                                                   const IBitmap* top, double minAngle,
                                                   double maxAngle, EDirection direction,
                                                   double gearing)
    : IKnobControl(plug, IRECT(x, y, base), paramIdx, direction, gearing),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle) {
  if (base) mBase = *base;
  if (mask) mMask = *mask;
  if (top) mTop = *top;
}

void IKnobRotatingMaskControl::Draw(IGraphics* graphics) {
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &mBlend);
}

// ---- Text

ITextControl::ITextControl(IFxBase* plug, IRECT rect, const IText* text, const char* str)
    : IControl(plug, rect), mStr(str ? str : "") {
  if (text) mText = *text;
}

void ITextControl::Draw(IGraphics* graphics) {
  if (mStr.GetLength()) graphics->DrawIText(&mText, mStr.Get(), &mRECT);
}

void ITextControl::SetTextFromPlug(const char* str) {
  if (!str) str = "";
  if (!strcmp(str, mStr.Get())) return;
  SetDirty(false);
  mStr.Set(str);
}

ICaptionControl::ICaptionControl(IFxBase* plug, IRECT rect, int paramIdx, const IText* text,
                                 bool showParamLabel)
    : ITextControl(plug, rect, text), mShowParamLabel(showParamLabel) {
  mParamIdx = paramIdx;
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod) {
  if (mod && (mod->L || mod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*) { PromptUserInput(); }

void ICaptionControl::Draw(IGraphics* graphics) {
  if (IParam* param = GetParam()) {
    char display[IParam::kDisplayLen];
    param->GetDisplayForHost(param->Value(), false, display, true);
    mStr.Set(display);
    if (mShowParamLabel) {
      mStr.Append(" ");
      mStr.Append(param->GetLabelForHost());
    }
  }
  ITextControl::Draw(graphics);
}

// ---- Link and file selector

IURLControl::IURLControl(IFxBase* plug, IRECT rect, const char* url, const char* backupURL,
                         const char* errMsgWindowTitle)
    : IControl(plug, rect) {
  IFxCopyText(mURL, url, kURLLen);
  IFxCopyText(mBackupURL, backupURL, kURLLen);
  IFxCopyText(mErrMsg, errMsgWindowTitle, kURLLen);
}

bool IOpenURLOrBackup(IGraphics* gui, const char* url, const char* backupURL, const char* title) {
  if (!gui) return false;
  if (url && url[0] && gui->OpenURL(url, title, nullptr, nullptr)) return true;
  return backupURL && backupURL[0] && gui->OpenURL(backupURL, title, nullptr, nullptr);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*) {
  IOpenURLOrBackup(GetGUI(), mURL, mBackupURL, mErrMsg);
}

IFileSelectorControl::IFileSelectorControl(IFxBase* plug, IRECT rect, int paramIdx,
                                           const IBitmap* bitmap, EFileAction action,
                                           const char* dir, const char* extensions)
    : IControl(plug, rect, paramIdx),
      mDir(dir ? dir : ""),
      mExtensions(extensions ? extensions : ""),
      mFileAction(action) {
  if (bitmap) mBitmap = *bitmap;
}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*) {
  IGraphics* gui = GetGUI();
  if (!gui) return;
  mState = kFSSelecting;
  SetDirty(false);
  gui->PromptForFile(&mFile, mFileAction, &mDir, mExtensions.Get(),
                     mTitle.GetLength() ? mTitle.Get() : nullptr);
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  mState = kFSDone;
  SetDirty(true);
}

void IFileSelectorControl::Draw(IGraphics* graphics) {
  if (mState == kFSSelecting) graphics->DrawBitmap(&mBitmap, &mRECT, 0, 0, &mBlend);
}

bool IFileSelectorControl::IsDirty() {
  if (mDirty) return true;
  if (mState == kFSDone) {
    mState = kFSNone;
    return true;
  }
  return false;
}

IBitmapTextControl::IBitmapTextControl(IFxBase* plug, IRECT rect, const IBitmap* font,
                                       const char* str, const IText* text, int charWidth,
                                       int charHeight, int charOffset, bool multiLine,
                                       bool vCenter)
    : IControl(plug, rect),
      mStr(str ? str : ""),
      mCharWidth(charWidth),
      mCharHeight(charHeight),
      mCharOffset(charOffset),
      mMultiLine(multiLine),
      mVCentre(vCenter) {
  if (font) mFontBitmap = *font;
  if (text) mText = *text;
}

void IBitmapTextControl::Draw(IGraphics* graphics) {
  if (!mStr.GetLength()) return;
  IGraphics::DrawBitmapedText(graphics, &mFontBitmap, &mRECT, &mText, &mBlend, mStr.Get(),
                              mVCentre, mMultiLine, mCharWidth, mCharHeight, mCharOffset);
}

void IBitmapTextControl::SetTextFromPlug(const char* str) {
  if (!str) str = "";
  if (!strcmp(str, mStr.Get())) return;
  SetDirty(false);
  mStr.Set(str);
}
