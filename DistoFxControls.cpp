#include "DistoFxControls.h"

#include <cmath>
#include <cstdio>

#include "Harshbloom.h"
#include "IGraphics.h"
#include "IParam.h"

// ---- Level eyes

IRnVuEyeDrawer::IRnVuEyeDrawer(Harshbloom* plug, IRECT rect, bool left)
    : IControl(plug, rect), mHarshbloom(plug), mLeft(left) {}

void IRnVuEyeDrawer::Draw(IGraphics* graphics) {
  const double e = mHarshbloom ? mHarshbloom->getLevel(mLeft ? 0 : 1) : 0.0;
  double a = std::fabs(e) * 255.0;
  a = std::isfinite(a) ? (a > 255.0 ? 255.0 : a) : 0.0;
  const IColor color(255, static_cast<int>(a), 0, 0);
  const IChannelBlend blend(IChannelBlend::kBlendAlpha, 1.0f);
  const IRECT& r = mRECT;
  if (mLeft)
    graphics->FillTriangle(&color, r.L, r.T, r.L, r.B, r.R, r.B, &blend);
  else
    graphics->FillTriangle(&color, r.L, r.B, r.R, r.B, r.R, r.T, &blend);
}

void IRnVuEyeDrawer::OnGUIIdle() {
  if (mHarshbloom && !mHarshbloom->isPlaying()) mHarshbloom->updateVuMeters();
}

// ---- Texts

IRnMaxLevelText::IRnMaxLevelText(Harshbloom* plug, IRECT rect, const IText* text)
    : ITextControl(plug, rect, text, "Max. level: -oo dB"), mHarshbloom(plug) {}

void IRnMaxLevelText::UpdateMaxLevelText(double level) {
  char text[64];
  if (level > 0.0)
    snprintf(text, sizeof text, "MAX LEVEL: %3.1f dB", 20.0 * std::log10(level));
  else
    snprintf(text, sizeof text, "MAX LEVEL: -oo dB");
  mText.mColor = level > 1.0 ? COLOR_RED : COLOR_RN_CYAN;
  SetTextFromPlug(text);
}

void IRnMaxLevelText::Draw(IGraphics* graphics) {
  if (mHarshbloom) UpdateMaxLevelText(mHarshbloom->GetMaxSampleValue());
  ITextControl::Draw(graphics);
}

namespace {

void hostInfoText(char* out, size_t size, double sampleRate, double tempo) {
  snprintf(out, size, "SAMPLE RATE: %7.2f Hz    TEMPO: %7.3f BPM", sampleRate, tempo);
}

}  // namespace

IRnHostInfoText::IRnHostInfoText(Harshbloom* plug, IRECT rect, const IText* text)
    : ITextControl(plug, rect, text), mHarshbloom(plug) {
  UpdateHostInfoText(44100.0, 120.0);
}

void IRnHostInfoText::UpdateHostInfoText(double sampleRate, double tempo) {
  char text[128];
  hostInfoText(text, sizeof text, sampleRate, tempo);
  SetTextFromPlug(text);
}

void IRnHostInfoText::Draw(IGraphics* graphics) {
  if (mHarshbloom) UpdateHostInfoText(mHarshbloom->GetSampleRate(), mHarshbloom->GetTempo());
  ITextControl::Draw(graphics);
}

// ---- Captions

IRnCaptionControl::IRnCaptionControl(IFxBase* plug, IRECT rect, int paramIdx, const IText* text,
                                     int type, const std::string& unit, double scale,
                                     double offset)
    : ICaptionControl(plug, rect, paramIdx, text, false),
      mType(type),
      mScale(scale),
      mOffset(offset),
      mUnit(unit) {}

std::string IRnCaptionControl::CaptionFor(double x) const {
  char text[128];
  switch (mType) {
    case kCaptionDecibel:
      if (x > 0.0) {
        const double d = 20.0 * std::log10(x);
        snprintf(text, sizeof text, std::fabs(d) < 0.000001 ? "%.2f dB" : "%+.2f dB", d);
      } else {
        snprintf(text, sizeof text, "-inf dB");
      }
      break;
    case kCaptionPercent: snprintf(text, sizeof text, "%3.1f%%", 100.0 * x); break;
    case kCaptionPlusMinus12: snprintf(text, sizeof text, "%4.3f", 24.0 * x - 12.0); break;
    case kCaptionPlusMinus1: snprintf(text, sizeof text, "%4.3f", 2.0 * x - 1.0); break;
    case kCaptionCentred: snprintf(text, sizeof text, "%4.3f", x - 0.5); break;
    case kCaptionScaled:
      snprintf(text, sizeof text, "%4.3f%s", x * mScale + mOffset, mUnit.c_str());
      break;
    case kCaptionScaledShort:
      snprintf(text, sizeof text, "%4.1f%s", x * mScale + mOffset, mUnit.c_str());
      break;
    case kCaptionBipolar: snprintf(text, sizeof text, "%4.3f", 2.0 * (x - 0.5)); break;
    default: {
      IParam* param = GetParam();
      text[0] = 0;
      if (param) param->GetDisplayForHost(x, false, text, true);
      break;
    }
  }
  return text;
}

void IRnCaptionControl::Draw(IGraphics* graphics) {
  if (IParam* param = GetParam()) mStr.Set(CaptionFor(param->Value()).c_str());
  ITextControl::Draw(graphics);
}

// ---- Step buttons

IRnPresetSwitch::IRnPresetSwitch(IFxBase* plug, int x, int y, int paramIdx, int,
                                 const IBitmap* bitmap, bool, int direction)
    : IContactControl(plug, x, y, paramIdx, bitmap), mDirection(direction) {}

void IRnPresetSwitch::OnMouseDown(int, int, IMouseMod* mod) {
  const int step = mod && mod->R ? 10 : 1;
  mValue = 1.0;
  if (mPlug) {
    const int current = mPlug->GetCurrentPresetIdx();
    mPlug->RestorePreset(mDirection == kSwitchUp ? current + step : current - step);
    mPlug->InformHostOfProgramChange();
    mPlug->DirtyParameters();
  }
  SetDirty(true);
}

IRnModeSwitch::IRnModeSwitch(IFxBase* plug, int x, int y, int paramIdx, int target, int positions,
                             const double& value, const IBitmap* bitmap, bool wrap, int direction)
    : IContactControl(plug, x, y, paramIdx, bitmap),
      mTarget(target),
      mN(positions),
      mRef(value),
      mWrap(wrap),
      mDirection(direction) {}

int IRnModeSwitch::Position(double v) const {
  return static_cast<int>(std::floor(v * (mN - 1) + 0.5));
}

namespace {

double clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

}  // namespace

double IRnModeSwitch::getNextValue(double v) const {
  if (mN < 2) return v;
  const int k = Position(v);
  if (k >= mN - 1) return mWrap ? 0.0 : v;
  return (k + 1) / static_cast<double>(mN - 1);
}

double IRnModeSwitch::getPrevValue(double v) const {
  if (mN < 2) return v;
  const int k = Position(v);
  if (k <= 0) return mWrap ? 1.0 : v;
  return (k - 1) / static_cast<double>(mN - 1);
}

double IRnModeSwitch::getNext10Value(double v) const {
  if (mN < 2) return v;
  return clamp01((Position(v) + 10) / static_cast<double>(mN - 1));
}

double IRnModeSwitch::getPrev10Value(double v) const {
  if (mN < 2) return v;
  return clamp01((Position(v) - 10) / static_cast<double>(mN - 1));
}

void IRnModeSwitch::OnMouseDown(int, int, IMouseMod* mod) {
  const bool right = mod && mod->R;
  const double v = mRef;
  double next;
  if (mDirection == kSwitchUp)
    next = right ? getNext10Value(v) : getNextValue(v);
  else
    next = right ? getPrev10Value(v) : getPrevValue(v);
  mValue = 1.0;
  SetDirty(true);
  // The effect stores the new value where the reference points.
  if (mPlug) mPlug->SetParameterFromGUI(mTarget, next);
}

void IRnModeSwitch::OnMouseUp(int, int, IMouseMod*) {
  mValue = 0.0;
  SetDirty(false);
}

IRnEffectButton::IRnEffectButton(Harshbloom* plug, int x, int y, int paramIdx,
                                 const IBitmap* bitmap)
    : IContactControl(plug, x, y, paramIdx, bitmap), mHarshbloom(plug) {}

void IRnEffectButton::OnMouseDown(int, int, IMouseMod*) {
  mValue = 1.0;
  SetDirty(true);
  if (mHarshbloom) Act(*mHarshbloom);
}

void IRnEffectButton::OnMouseUp(int, int, IMouseMod*) {
  mValue = 0.0;
  SetDirty(false);
}

void IRnResetButton::Act(Harshbloom& plug) { plug.ResetMaxLevels(); }

void IRnRestoreCurveButton::Act(Harshbloom& plug) {
  plug.distoCurveAction(Rawnfield::Types::kRestoreCurve);
}

IRnTestButton::IRnTestButton(Harshbloom* plug, int x, int y, int paramIdx, const IBitmap* bitmap)
    : IContactControl(plug, x, y, paramIdx, bitmap) {}

// ---- Scope

IRnFreezeButton::IRnFreezeButton(Harshbloom* plug, int x, int y, int paramIdx,
                                 const IBitmap* bitmap)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mHarshbloom(plug) {}

void IRnFreezeButton::OnMouseDown(int, int, IMouseMod*) {
  mFrozen = !mFrozen;
  if (mHarshbloom) mHarshbloom->setFreeze(mFrozen);
  mValue = mFrozen ? 1.0 : 0.0;
  SetDirty(true);
}

IRnZoomSwitch::IRnZoomSwitch(Harshbloom* plug, int x, int y, int, const IBitmap* bitmap,
                             eRnZoom direction)
    : IContactControl(plug, x, y, -1, bitmap), mHarshbloom(plug), mDirection(direction) {}

void IRnZoomSwitch::OnMouseDown(int, int, IMouseMod* mod) {
  mValue = 1.0;
  if (mHarshbloom) mHarshbloom->zoomScope(mDirection == kZoomIn, mod && mod->R ? 4.0 : 1.0);
  SetDirty(true);
}

IZoomTextControl::IZoomTextControl(Harshbloom* plug, IRECT rect, const IText* text,
                                   const char* str)
    : ITextControl(plug, rect, text, str), mHarshbloom(plug) {}

void IZoomTextControl::OnMouseWheel(int, int, IMouseMod*, int d) {
  Rawnfield::zoomByWheel(mHarshbloom, d);
}

// ---- Watcher

IRnDisplayWatcher::IRnDisplayWatcher(Harshbloom* plug) : IControl(plug, IRECT()), mHarshbloom(plug) {}

bool IRnDisplayWatcher::IsDirty() {
  if (mHarshbloom) mHarshbloom->pollEditorDisplays();
  if (IGraphics* gui = GetGUI()) gui->OnGUIIdle();
  mDirty = false;
  return false;
}
