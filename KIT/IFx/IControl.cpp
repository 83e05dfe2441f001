#include "IControl.h"

#include <stdio.h>
#include <string.h>

#include "IControls.h"
#include "IFxBase.h"
#include "IGraphics.h"

IControl::IControl(IFxBase* plug, IRECT rect, int paramIdx, IChannelBlend::EBlendMethod blendMethod)
    : mPlug(plug),
      mRECT(rect),
      mTargetRECT(rect),
      mParamIdx(paramIdx),
      mAuxParams(16 * int(sizeof(AuxParam))),
      mBlend(blendMethod, 1.0f) {}

IControl::~IControl() {}

IGraphics* IControl::GetGUI() const { return mPlug ? mPlug->GetGUI() : nullptr; }

IParam* IControl::GetParam() const {
  return mPlug && mParamIdx >= 0 ? mPlug->GetParam(mParamIdx) : nullptr;
}

void IControl::OnMouseDown(int, int, IMouseMod* mod) {
  if (mod && mod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int, int, IMouseMod*) {
  if (mDefaultValue >= 0.0) {
    mValue = mDefaultValue;
    SetDirty(true);
  }
}

void IControl::SetValueFromPlug(double value) {
  if (mDefaultValue < 0.0) mValue = mDefaultValue = value;
  if (value == mValue) return;
  mValue = value;
  SetDirty(false);
  mRedraw = true;
}

void IControl::SetValueFromUserInput(double value) {
  if (value == mValue) return;
  mValue = value;
  SetDirty(true);
  mRedraw = true;
}

void IControl::Hide(bool hide) {
  mHide = hide;
  mRedraw = true;
  SetDirty(false);
}

void IControl::GrayOut(bool gray) {
  mGrayed = gray;
  mBlend.mWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

bool IControl::IsHit(int x, int y) { return !mTargetRECT.Empty() && mTargetRECT.Contains(x, y); }

void IControl::SetDirty(bool push) {
  mValue = mValue < mClampLo ? mClampLo : (mValue < mClampHi ? mValue : mClampHi);
  mDirty = true;
  if (!push || !mPlug || mParamIdx < 0) return;
  mPlug->SetParameterFromGUI(mParamIdx, mValue);
  IParam* param = GetParam();
  if (!param) return;
  if (mValDisplayControl) {
    char display[IParam::kDisplayLen];
    param->GetDisplayForHost(param->Value(), false, display, true);
    // Each part cut to 32 characters; the buffer holds both and the blank.
    char text[32 + 1 + 32 + 1];
    snprintf(text, sizeof text, "%.32s %.32s", display, param->GetLabelForHost());
    mValDisplayControl->SetTextFromPlug(text);
  }
  if (mNameDisplayControl) mNameDisplayControl->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean() {
  mDirty = mRedraw;
  mRedraw = false;
}

void IControl::SetAuxParamValueFromPlug(int auxIndex, double value) {
  AuxParam* aux = GetAuxParam(auxIndex);
  if (!aux || aux->mValue == value) return;
  aux->mValue = value;
  SetDirty(false);
  mRedraw = true;
}

void IControl::PromptUserInput() {
  if (mParamIdx < 0 || mDisablePrompt) return;
  IParam* param = GetParam();
  IGraphics* gui = GetGUI();
  if (param && gui) {
    if (param->GetNDisplayTexts() > 0) {
      gui->PromptUserInput(this, param, &mRECT);
    } else {
      const int cx = int(0.5f * float(mRECT.L + mRECT.R));
      const int cy = int(0.5f * float(mRECT.T + mRECT.B));
      IRECT entry(cx - 20, cy - 8, cx + 20, cy + 8);
      gui->PromptUserInput(this, param, &entry);
    }
  }
  mRedraw = true;
}

void IControl::PromptUserInput(IRECT* rect) {
  if (mParamIdx < 0 || mDisablePrompt) return;
  IParam* param = GetParam();
  IGraphics* gui = GetGUI();
  if (param && gui) gui->PromptUserInput(this, param, rect);
  mRedraw = true;
}

void IControl::AddAuxParam(int paramIdx) {
  const int n = mAuxParams.GetSize();
  AuxParam* list = mAuxParams.Resize(n + 1);
  if (!list || mAuxParams.GetSize() != n + 1) return;
  list[n] = AuxParam();
  list[n].mParamIdx = paramIdx;
}

IControl::AuxParam* IControl::GetAuxParam(int index) {
  if (index < 0 || index >= mAuxParams.GetSize()) return nullptr;
  return mAuxParams.Get() + index;
}

int IControl::AuxParamIdx(int paramIdx) const {
  const AuxParam* list = mAuxParams.Get();
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    if (list[i].mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::SetAllAuxParamsFromGUI() {
  if (!mPlug) return;
  for (int i = 0; i < mAuxParams.GetSize(); ++i) {
    const AuxParam& aux = mAuxParams.Get()[i];
    mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
  }
}
