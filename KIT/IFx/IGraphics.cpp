#include "IGraphics.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

#include "IControl.h"
#include "IControls.h"
#include "IFxBase.h"
#include "IFxUtil.h"
#include "IPopupMenu.h"
#include "pix.h"

IRECT::IRECT(int x, int y, const IBitmap* bitmap) : L(x), T(y), R(x), B(y) {
  if (bitmap) {
    R = x + bitmap->FrameWidth();
    B = y + bitmap->FrameHeight();
  }
}

IRECT IRECT::Union(const IRECT& o) const {
  if (Empty()) return o;
  if (o.Empty()) return *this;
  return IRECT(L < o.L ? L : o.L, T < o.T ? T : o.T, R > o.R ? R : o.R, B > o.B ? B : o.B);
}

IRECT IRECT::Intersect(const IRECT& o) const {
  if (!Intersects(o)) return IRECT();
  return IRECT(L > o.L ? L : o.L, T > o.T ? T : o.T, R < o.R ? R : o.R, B < o.B ? B : o.B);
}

IText::IText(int size, const IColor* color, const char* font, int style, int align,
             int orientation, int quality, const IColor* textEntryBG, const IColor* textEntryFG)
    : mSize(size),
      mColor(color ? *color : DEFAULT_TEXT_COLOR),
      mTextEntryBGColor(textEntryBG ? *textEntryBG : DEFAULT_TEXT_ENTRY_BGCOLOR),
      mTextEntryFGColor(textEntryFG ? *textEntryFG : DEFAULT_TEXT_ENTRY_FGCOLOR),
      mStyle(style),
      mAlign(align),
      mOrientation(orientation),
      mQuality(quality) {
  SetFont(font);
}

IText::IText(const IColor* color, int size) : IText(size, color) {}

void IText::SetFont(const char* font) {
  IFxCopyText(mFont, font ? font : "Monaco", kFontNameLen);
  mCached = nullptr;
}

IGraphics::IGraphics(IFxBase* plug, int w, int h, int fps)
    : mPlug(plug), mWidth(w), mHeight(h), mFPS(fps > 0 ? fps : 25) {}

IGraphics::~IGraphics() {
  delete mKeyCatcher;
  mKeyCatcher = nullptr;
  DeleteControls();
  DeleteBitmaps();
}

void IGraphics::DeleteControls() {
  for (int i = mControls.GetSize() - 1; i >= 0; --i) delete mControls.Get(i);
  mControls.Empty();
}

void IGraphics::DeleteBitmaps() {
  delete mDrawBitmap;
  mDrawBitmap = nullptr;
  delete mTmpBitmap;
  mTmpBitmap = nullptr;
}

void IGraphics::PrepDraw() {
  DeleteBitmaps();
  mDrawBitmap = new PIX_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new PIX_MemBitmap(0, 0, 4);
}

int IGraphics::AttachControl(IControl* control) {
  mControls.Add(control);
  return mControls.GetSize() - 1;
}

void IGraphics::AttachBackground(int id, const char* name) {
  IBitmap bitmap = LoadIBitmap(id, name, 1);
  mControls.Insert(0, new IBitmapControl(mPlug, 0, 0, -1, &bitmap, IChannelBlend::kBlendCopy));
}

void IGraphics::AttachPanelBackground(const IColor* color) {
  mControls.Insert(0, new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color));
}

void IGraphics::AttachKeyCatcher(IControl* control) {
  if (control == mKeyCatcher) return;
  delete mKeyCatcher;
  mKeyCatcher = control;
}

void IGraphics::ReleaseMouseCapture() {
  mMouseCapture = -1;
  mMouseX = mMouseY = -1;
}

void IGraphics::ResizeSurface(int w, int h) {
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  // The index would name whatever control comes to stand there next.
  mMouseOver = -1;
  DeleteControls();
  DeleteBitmaps();
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}

// ---- Parameter links

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->GetNormalized(value);
  }
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromPlug(value);
    const int aux = c->AuxParamIdx(paramIdx);
    if (aux >= 0) c->SetAuxParamValueFromPlug(aux, value);
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue) {
  if (IControl* c = mControls.Get(controlIdx)) c->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromUserInput(normalizedValue);
  }
}

void IGraphics::HideControl(int paramIdx, bool hide) {
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->Hide(hide);
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray) {
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->GrayOut(gray);
  }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized) {
  if (!normalized) {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->Clamp(lo, hi);
  }
}

void IGraphics::SetAllControlsDirty() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::AssignParamNameToolTips() {
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* c = mControls.Get(i);
    if (IParam* param = c->GetParam()) c->SetTooltip(param->GetNameForHost());
  }
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* str) {
  if (!control || !param) return;
  if (!str) str = "";
  double value;
  if (param->Type() == IParam::kTypeBool || param->Type() == IParam::kTypeEnum) {
    int mapped = 0;
    if (!param->MapDisplayText(str, &mapped)) mapped = 0;
    value = mapped;
  } else {
    value = atof(str);
    if (param->GetNegateDisplay()) value = -value;
  }
  control->SetValueFromUserInput(param->GetNormalized(value));
}

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* rect) {
  if (!control || !param || !rect) return;
  const int n = param->GetNDisplayTexts();
  if (param->Type() == IParam::kTypeEnum || (param->Type() == IParam::kTypeBool && n > 0)) {
    char current[IParam::kDisplayLen];
    param->GetDisplayForHost(param->Value(), false, current, true);
    // On the stack: the items go with it, also when an exception passes.
    IPopupMenu menu;
    for (int i = 0; i < n; ++i) {
      const char* text = param->GetDisplayText(i);
      menu.AddItem(text, -1, strcmp(text, current) ? 0 : IPopupMenuItem::kChecked);
    }
    if (CreateIPopupMenu(&menu, rect))
      control->SetValueFromUserInput(param->GetNormalized(menu.GetChosenItemIdx()));
    return;
  }
  char text[IParam::kDisplayLen];
  param->GetDisplayForHost(param->Value(), false, text, false);
  CreateTextEntry(control, control->GetText(), rect, text, param);
}

// ---- Redraw

bool IGraphics::IsDirty(IRECT* rect) {
  bool dirty = false;
  const int n = mControls.GetSize();
  std::vector<char> counted(static_cast<size_t>(n), 0);
  for (int i = 0; i < n; ++i) {
    IControl* c = mControls.Get(i);
    if (c->IsDirty()) {
      *rect = rect->Union(*c->GetRECT());
      counted[static_cast<size_t>(i)] = 1;
      dirty = true;
    }
  }
  // A control's IsDirty() may mark others dirty (the effect's display
  // watcher, attached last, hands value texts to controls before it): they
  // belong to this frame as well, or they would be cleaned by the drawing
  // without reaching the screen.
  for (int i = 0; i < n; ++i) {
    IControl* c = mControls.Get(i);
    if (!counted[static_cast<size_t>(i)] && c->IsMarkedDirty()) {
      *rect = rect->Union(*c->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

void IGraphics::Draw(IRECT* rect) {
  const int n = mControls.GetSize();
  if (!n || !rect) return;
  if (mStrict) {
    mDrawRECT = *rect;
    for (int i = 0; i < n; ++i) {
      IControl* c = mControls.Get(i);
      const IRECT* r = c->GetRECT();
      if (!c->IsHidden() && rect->Intersects(*r)) {
        c->Draw(this);
      } else if (!c->IsHidden() && !r->Empty() && c->IsMarkedDirty()) {
        // Marked dirty after the dirty area was collected and not drawn
        // now: it stays dirty for the next pass instead of being lost.
        continue;
      }
      c->SetClean();
    }
  } else {
    IControl* bg = mControls.Get(0);
    if (bg->IsDirty()) {
      mDrawRECT = *bg->GetRECT();
      for (int i = 0; i < n; ++i) {
        IControl* c = mControls.Get(i);
        if (i == 0 || !c->IsHidden()) {
          c->Draw(this);
          c->SetClean();
        }
      }
    } else {
      for (int i = 1; i < n; ++i) {
        IControl* dirty = mControls.Get(i);
        if (!dirty->IsDirty()) continue;
        mDrawRECT = *dirty->GetRECT();
        for (int j = 0; j < n; ++j) {
          IControl* c = mControls.Get(j);
          if (!c->IsHidden() && (j == i || mDrawRECT.Intersects(*c->GetRECT()))) c->Draw(this);
        }
        dirty->SetClean();
      }
    }
  }
  DrawScreen(rect);
}

void IGraphics::SetStrictDrawing(bool strict) {
  mStrict = strict;
  SetAllControlsDirty();
}

// ---- Input

int IGraphics::FindControl(int x, int y, bool mouseOver) const {
  for (int i = mControls.GetSize() - 1; i >= 0; --i) {
    IControl* c = mControls.Get(i);
    if (c->IsHidden()) continue;
    if (c->IsGrayed() && !(mouseOver && c->GetMOWhenGrayed())) continue;
    if (c->IsHit(x, y)) return i;
  }
  return -1;
}

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver) {
  if (mMouseCapture >= 0) return mMouseCapture;
  return FindControl(x, y, mouseOver);
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod) {
  ReleaseMouseCapture();
  const int i = FindControl(x, y, false);
  if (i < 0) return;
  mMouseCapture = i;
  mMouseX = x;
  mMouseY = y;
  IControl* c = mControls.Get(i);
  const int paramIdx = c->ParamIdx();
  if (paramIdx >= 0 && mPlug) mPlug->BeginInformHostOfParamChange(paramIdx);
  c->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod) {
  const int i = GetMouseControlIdx(x, y, false);
  ReleaseMouseCapture();
  IControl* c = mControls.Get(i);
  if (!c) return;
  c->OnMouseUp(x, y, mod);
  // The control may have gone with a resize inside its handler.
  c = mControls.Get(i);
  const int paramIdx = c ? c->ParamIdx() : -1;
  if (paramIdx >= 0 && mPlug) mPlug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod) {
  IControl* c = mControls.Get(mMouseCapture);
  if (!c || (x == mMouseX && y == mMouseY)) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  c->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  ReleaseMouseCapture();
  const int i = FindControl(x, y, false);
  IControl* c = mControls.Get(i);
  if (!c) return false;
  if (!c->GetDblAsSingleClick()) {
    c->OnMouseDblClick(x, y, mod);
    return false;
  }
  mMouseCapture = i;
  mMouseX = x;
  mMouseY = y;
  c->OnMouseDown(x, y, mod);
  return true;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
  if (IControl* c = mControls.Get(GetMouseControlIdx(x, y, false))) c->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod) {
  if (!mHandleMouseOver) return false;
  const int i = GetMouseControlIdx(x, y, true);
  if (IControl* c = mControls.Get(i)) {
    mMouseX = x;
    mMouseY = y;
    c->OnMouseOver(x, y, mod);
  }
  if (mMouseOver >= 0 && mMouseOver != i) {
    if (IControl* old = mControls.Get(mMouseOver)) old->OnMouseOut();
  }
  mMouseOver = i;
  return true;
}

void IGraphics::OnMouseOut() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  const int i = GetMouseControlIdx(x, y, false);
  if (i > 0) return mControls.Get(i)->OnKeyDown(x, y, key);
  return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
}

void IGraphics::OnGUIIdle() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnGUIIdle();
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y) {
  const int i = GetMouseControlIdx(x, y, false);
  mLastClickedParam = i > 0 ? mControls.Get(i)->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation() {
  const int p = mLastClickedParam;
  mLastClickedParam = -1;
  return p;
}
