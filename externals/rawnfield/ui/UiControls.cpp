#include "UiControls.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "FilterTypes.h"
#include "IFxStandalone.h"
#include "IGraphics.h"

namespace Rawnfield {

namespace {

double clampUnit(double v, double lo, double hi) {
  if (std::isnan(v)) return lo;
  return v < lo ? lo : (v > hi ? hi : v);
}

// The grey of a preview line: dark at both ends of the curve, brightest in
// the middle.
IColor previewGrey(double t, bool focus) {
  const double s = std::sin(3.14159 * t);
  const int g = focus ? static_cast<int>(163.0 * s) + 92 : static_cast<int>(78.0 * s);
  return IColor(255, g, g, g);
}

// Whether the file can be written: it is opened for appending, which makes it
// when it is missing and leaves an existing one as it is. *why says why not.
bool canWrite(const std::string& path, std::string* why) {
  FILE* f = std::fopen(path.c_str(), "a");
  if (!f) {
    *why = std::strerror(errno);
    return false;
  }
  std::fclose(f);
  return true;
}

// Whether a save left a file with something in it.
bool written(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

void tellNotWritten(IGraphics* gui, const char* title, const std::string& path,
                    const std::string& why) {
  if (!gui) return;
  const std::string text = "The file \"" + path + "\" could not be written: " + why + ".";
  gui->ShowMessageBox(text.c_str(), title, 0);
}

}  // namespace

// ---- Page tabs

IRnTabButton::IRnTabButton(IFxBase* plug, ITabController* controller, int x, int y, int paramIdx,
                           PlugTabs tab, const IBitmap* bitmap)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mController(controller), mTab(tab) {
  mValue = tab == kPlugTab ? 1.0 : 0.0;
}

void IRnTabButton::OnMouseDown(int, int, IMouseMod*) {
  mValue = 1.0;
  if (mController) {
    if (mTab == kAboutTab)
      mController->onAboutTab();
    else if (mTab == kScopeTab)
      mController->onScopeTab();
    else if (mTab == kPlugTab)
      mController->onPlugTab();
  }
  SetDirty(true);
}

void IRnTabButton::SetActive(bool active) {
  mValue = active ? 1.0 : 0.0;
  SetDirty(true);
}

IEqTabButton::IEqTabButton(IFxBase* plug, IEqController* controller, int x, int y, int paramIdx,
                           EqTabs tab, const IBitmap* bitmap)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mController(controller), mTab(tab) {}

void IEqTabButton::OnMouseDown(int, int, IMouseMod*) {
  mValue = 1.0;
  SetDirty(true);
  if (mController) {
    if (mTab == kDistoBandEqTab)
      mController->onDistoBandTab(true);
    else if (mTab == kSubBandEqTab)
      mController->onSubBandTab(true);
  }
  SetDirty(true);
}

void IEqTabButton::Hide(bool hide) {
  HideTabItems(GetGUI(), hide);
  ISwitchControl::Hide(hide);
}

void IEqTabButton::HideTabItems(IGraphics* surface, bool hide) {
  if (!surface) return;
  for (int idx : mTabItems)
    if (IControl* c = surface->GetControl(idx)) c->Hide(hide);
}

void IEqTabButton::SetActive(bool active) {
  mValue = active ? 1.0 : 0.0;
  SetDirty(true);
}

// ---- Band frequency display

IBandFreqDispay::IBandFreqDispay(IFxBase* plug, IBandFreqCurveProvider* provider, int x, int y,
                                 const IBitmap* bitmap, IChannelBlend::EBlendMethod blend)
    : IBitmapControl(plug, x, y, -1, bitmap, blend), mProvider(provider) {
  // A display no wider than its margins has no curve points at all.
  mN = mRECT.W() - 10 > 0 ? mRECT.W() - 10 : 0;
  mBuffer.assign(static_cast<size_t>(mN), 0.0);
  mHeightScale = mRECT.H() - 20 > 0 ? mRECT.H() - 20 : 0;
}

void IBandFreqDispay::Draw(IGraphics* graphics) {
  IBitmapControl::Draw(graphics);
  if (!mProvider || mN < 1) return;
  DrawArea(graphics, kSubBand);
  DrawArea(graphics, kDistoBand);
  DrawOutline(graphics, kSubBand);
  DrawOutline(graphics, kDistoBand);
}

void IBandFreqDispay::DrawArea(IGraphics* graphics, BandId band) {
  if (band != kSubBand && band != kDistoBand) return;
  mProvider->provideFreqCurve(band, mBuffer.data(), mN);
  const int bottom = mRECT.B - static_cast<int>(mBottomMargin);
  for (int i = 0; i < mN; ++i) {
    const double f = static_cast<double>(i) / mN;
    const double v = clampUnit(mBuffer[static_cast<size_t>(i)], 0.0, 1.0);
    const IColor color = band == kSubBand
                             ? IColor(150, 0, 0, static_cast<int>((1.0 - f) * 255.0))
                             : IColor(150, static_cast<int>(f * 175.0), 0, 0);
    const float x = static_cast<float>(mRECT.L + mLeftMargin + i);
    graphics->DrawLine(&color, x, static_cast<float>(bottom), x,
                       static_cast<float>(bottom - v * mHeightScale), &mFillBlend, false);
  }
}

void IBandFreqDispay::DrawOutline(IGraphics* graphics, BandId band) {
  mProvider->provideFreqCurve(band, mBuffer.data(), mN);
  const double bottom = mRECT.B - mBottomMargin;
  double px = 0.0, py = 0.0;
  for (int i = 0; i < mN; ++i) {
    const double v = clampUnit(mBuffer[static_cast<size_t>(i)], 0.0, 1.0);
    const double x = mRECT.L + mLeftMargin + i;
    const double y = bottom - v * mHeightScale;
    if (i == 0) {
      px = x;
      py = y;
    }
    const int g = static_cast<int>(v * 180.0 + 40.0);
    const IColor color(255, g, g, g);
    graphics->DrawLine(&color, static_cast<float>(px), static_cast<float>(py),
                       static_cast<float>(x), static_cast<float>(y), nullptr, false);
    px = x;
    py = y;
  }
}

// ---- Distortion curve editor

namespace {

// Inset of the curve inside the control: half of what the control is wider
// than the points; never negative, so a small or missing image gives a
// smaller curve instead of one reaching outside the control.
int curveInset(const IRECT& r, int points) {
  const int inset = (r.W() - points) / 2;
  return inset > 0 ? inset : 0;
}

IRECT insetRect(const IRECT& r, int inset) {
  IRECT c(r.L + inset, r.T + inset, r.R - inset, r.B - inset);
  if (c.R < c.L) c.R = c.L;
  if (c.B < c.T) c.B = c.T;
  return c;
}

}  // namespace

IRnDistortionCurveEditor::IRnDistortionCurveEditor(IFxBase* plug, IDistoCurveEditor* editor,
                                                   const double* firstCurve,
                                                   const double* secondCurve, int pointCount,
                                                   int x, int y, const IBitmap* bitmap,
                                                   IChannelBlend::EBlendMethod blend,
                                                   KIT_Mutex* picturesLock)
    : IBitmapControl(plug, x, y, -1, bitmap, blend),
      mEditor(editor),
      mCurveRECT(insetRect(mRECT, curveInset(mRECT, pointCount))),
      mFirst(firstCurve),
      mSecond(secondCurve),
      mPoints(pointCount > 0 ? pointCount : 0),
      mCurve(mCurveRECT.W()),
      mPicturesLock(picturesLock) {
  mWidth = mCurveRECT.W();
  mHalfHeight = mCurveRECT.H() / 2;
  mCentreOffset = mHalfHeight;
  mFrameRECT = IRECT(mRECT.L, mRECT.T, mRECT.R - 1, mRECT.B - 1);
  mFillRECT = mFrameRECT;

  static const char* const kRows[kNumMenuRows] = {
      "Restore Curve",         "Normalize Curve",       "Smooth Curve",
      "Smooth Zero-Crossing",  "Add Noise",             "Quantize (16-steps)",
      "Reset (Restore Linear)", nullptr,                "Import Curve From CSV",
      "Import Curve From WAV", "Export Curve To CSV",   "Export Curve To WAV"};
  for (int i = 0; i < kNumMenuRows; ++i) {
    if (kRows[i])
      mContextMenu.AddItem(kRows[i]);
    else
      mContextMenu.AddSeparator();
  }
}

IRnDistortionCurveEditor::~IRnDistortionCurveEditor() {
  if (mAttached && mEditor) mEditor->attachDrawnCurve(nullptr);
}

void IRnDistortionCurveEditor::attachToEditor() {
  if (!mEditor) return;
  mEditor->attachDrawnCurve(&mCurve);
  mAttached = true;
}

double curveValueAt(const IRECT& r, int y) {
  const int h = r.B - r.T;
  if (h <= 0) return 0.0;
  return 2.0 * (static_cast<double>(y - r.T) / h - 0.5);
}

void IRnDistortionCurveEditor::Touched() {
  // A curve without columns has nothing to hand over: a copy would
  // flatten the effect's curves.
  if (mCurve.size() > 0) mCurve.markChanged();
  SetDirty(false);
  if (mCompanion) mCompanion->SetDirty(false);
}

void IRnDistortionCurveEditor::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mod && mod->R) {
    contextMenuAction();
    IBitmapControl::OnMouseDown(x, y, mod);
    return;
  }
  mFocus = 0;
  const int c = x - mCurveRECT.L;
  if (c >= 0 && c < mCurve.size() && mod && mod->L)
    mCurve.setCurveValue(c, curveValueAt(mCurveRECT, y));
  Touched();
  IBitmapControl::OnMouseDown(x, y, mod);
}

void IRnDistortionCurveEditor::OnMouseDrag(int x, int y, int dX, int, IMouseMod* mod) {
  if (mod && mod->L) mCurve.drag(x - mCurveRECT.L, curveValueAt(mCurveRECT, y), dX);
  Touched();
}

void IRnDistortionCurveEditor::OnMouseOver(int, int, IMouseMod*) {
  mMouseOver = true;
  mRedraw = true;
  SetDirty(false);
}

void IRnDistortionCurveEditor::OnMouseOut() {
  mMouseOver = false;
  mRedraw = true;
  SetDirty(false);
}

void IRnDistortionCurveEditor::Draw(IGraphics* graphics) {
  IBitmapControl::Draw(graphics);
  // While no blocks run the drawn curve is taken over here; otherwise the
  // next block takes it.
  if (mEditor && !mEditor->isPlaying() && mCurve.takeChanged())
    mEditor->updateDistoCurveValuesFromGUI();

  std::vector<double> first, second;
  {
    KIT_MutexLock lock(mPicturesLock);
    if (mFirst) first.assign(mFirst, mFirst + mPoints);
    if (mSecond) second.assign(mSecond, mSecond + mPoints);
  }
  if (mFocus == 0) {
    DrawPreview(graphics, second, false);
    DrawPreview(graphics, first, true);
  } else if (mFocus == 1) {
    DrawPreview(graphics, first, false);
    DrawPreview(graphics, second, true);
  } else {
    DrawPreview(graphics, first, false);
    DrawPreview(graphics, second, false);
  }
  if (mHighlight && mMouseOver) DrawHighlight(graphics);
}

void IRnDistortionCurveEditor::DrawPreview(IGraphics* graphics, const std::vector<double>& curve,
                                           bool focus) {
  const int n = static_cast<int>(curve.size());
  if (n < 1) return;
  auto pointY = [&](int k) {
    double v = curve[static_cast<size_t>(k)];
    if (mClamp) v = clampUnit(v, -1.0, 1.0);
    return static_cast<float>(mCurveRECT.T + mCentreOffset - v * mHalfHeight);
  };
  auto pointX = [&](int k) { return static_cast<float>(mCurveRECT.L + mWidth * k / n); };
  for (int k = 1; k < n; ++k) {
    const IColor color = previewGrey(static_cast<double>(k - 1) / n, focus);
    graphics->DrawLine(&color, pointX(k - 1), pointY(k - 1), pointX(k), pointY(k), nullptr,
                       false);
  }
}

void IRnDistortionCurveEditor::DrawHighlight(IGraphics* graphics) {
  graphics->FillIRect(&mFillColor, &mFillRECT, &mFillBlend);
  graphics->RoundRect(&mFrameColor, &mFrameRECT, &mBlend, 3, true);
}

void IRnDistortionCurveEditor::contextMenuAction() {
  IGraphics* gui = GetGUI();
  if (!gui || !mEditor) return;
  mContextMenu.SetChosenItemIdx(-1);
  IPopupMenu* chosen = gui->CreateIPopupMenu(&mContextMenu, &mCurveRECT);
  if (!chosen) return;
  const int row = chosen->GetChosenItemIdx();
  static const Types::eDistoCurveAction kActions[kRowSeparator] = {
      Types::kRestoreCurve,  Types::kNormalizeCurve, Types::kSmoothCurve, Types::kSmoothZeroCrossing,
      Types::kAddNoise,      Types::kQuantizeCurve,  Types::kResetCurve};
  if (row >= 0 && row < kRowSeparator) {
    mEditor->distoCurveAction(kActions[row]);
    return;
  }
  if (row <= kRowSeparator || row >= kNumMenuRows) return;

  const std::string last = mEditor->GetLastSelectedDistoCurveFile();
  if (!last.empty()) mCurveFile.Set(last.c_str());
  const bool open = row == kRowImportCsv || row == kRowImportWav;
  const bool csv = row == kRowImportCsv || row == kRowExportCsv;
  KIT_String folder;
  const char* title = open ? "Import Curve" : "Export Curve";
  gui->PromptForFile(&mCurveFile, open ? kFileOpen : kFileSave, &folder, csv ? "csv" : "wav",
                     title);
  if (!mCurveFile.GetLength()) return;
  const std::string path = mCurveFile.Get();
  std::string why;
  if (!open && !canWrite(path, &why)) return tellNotWritten(gui, title, path, why);
  switch (row) {
    case kRowImportCsv: mEditor->ImportDistoCurve(mCurveFile); break;
    case kRowImportWav: mEditor->ImportDistoCurveFromWAVE(mCurveFile); break;
    case kRowExportCsv: mEditor->ExportDistoCurve(mCurveFile); break;
    default: mEditor->ExportDistoCurveToWave(mCurveFile); break;
  }
  if (!open && !written(path)) tellNotWritten(gui, title, path, "nothing was written");
}

// ---- Drop-down menus

IRnDropDownMenu::IRnDropDownMenu(IFxBase* plug, int x, int y, const IText* text,
                                 const IBitmap* bitmap, IColor background)
    : IControl(plug, IRECT(x, y, bitmap)), mBackground(background) {
  if (bitmap) mBitmap = *bitmap;
  mTextEntryLength = 253;
  if (text) {
    mText = *text;
  } else {
    mText = IText(14, &COLOR_BLACK, "Arial", IText::kStyleNormal, IText::kAlignNear, 0,
                  IText::kQualityDefault, &DEFAULT_TEXT_ENTRY_BGCOLOR,
                  &DEFAULT_TEXT_ENTRY_FGCOLOR);
  }
  const int pad = (mRECT.H() - mText.mSize) / 2 + 1;
  mTextRECT = IRECT(mRECT.L, mRECT.T + pad, mRECT.R, mRECT.B - pad);
  if (mTextRECT.B < mTextRECT.T) mTextRECT.B = mTextRECT.T;
  mFrameRECT = IRECT(mRECT.L, mRECT.T, mRECT.R - 1, mRECT.B - 1);
  mFillRECT = mFrameRECT;
}

IRnDropDownMenu::~IRnDropDownMenu() {}

void IRnDropDownMenu::OnMouseDown(int, int, IMouseMod*) {
  doPopupMenu();
  mRedraw = true;
  SetDirty(true);
}

void IRnDropDownMenu::OnMouseOver(int, int, IMouseMod*) {
  mMouseOver = true;
  mRedraw = true;
  SetDirty(true);
}

void IRnDropDownMenu::OnMouseOut() {
  mMouseOver = false;
  mRedraw = true;
  SetDirty(true);
}

void IRnDropDownMenu::doPopupMenu() {
  if (mMenu.GetNItems() > 0)
    resetChosenAndUncheckItems();
  else
    buildRows();
  checkCurrentPreset();
  displayMenuAndWaitForUserAction();
}

void IRnDropDownMenu::DrawBackground(IGraphics* graphics) {
  graphics->DrawBitmap(&mBitmap, &mRECT, 1, &mBlend);
}

void IRnDropDownMenu::DrawHighlightOverlay(IGraphics* graphics) {
  graphics->FillIRect(&mHighlightColor, &mFillRECT, &mHighlightBlend);
  if (!mMouseOver) return;
  graphics->FillIRect(&mHighlightColor, &mFillRECT, &mHighlightBlend);
  graphics->RoundRect(&mFrameColor, &mFrameRECT, &mBlend, 3, true);
}

void IRnDropDownMenu::resetChosenAndUncheckItems() {
  auto reset = [](IPopupMenu& menu) {
    menu.SetChosenItemIdx(-1);
    for (int i = 0; i < menu.GetNItems(); ++i) menu.CheckItem(i, false);
  };
  reset(mMenu);
  for (RnSubSection& s : mSubSections)
    if (s.submenu) reset(*s.submenu);
}

void IRnDropDownMenu::DrawWithText(IGraphics* graphics, const std::string& text, int maxChars) {
  DrawBackground(graphics);
  mDisplayText.Set(text.substr(0, static_cast<size_t>(maxChars)).c_str());
  graphics->FillIRect(&mBackground, &mTextRECT);
  if (mDisplayText.GetLength()) graphics->DrawIText(&mText, mDisplayText.Get(), &mTextRECT);
  DrawHighlightOverlay(graphics);
}

IPopupMenu* IRnDropDownMenu::AddSubSection(int firstIndex, int section) {
  mSubmenus.push_back(std::unique_ptr<IPopupMenu>(new IPopupMenu()));
  IPopupMenu* sub = mSubmenus.back().get();
  mSubSections.push_back(RnSubSection{firstIndex, section, sub});
  return sub;
}

IPopupMenu* IRnDropDownMenu::Popup() {
  IGraphics* gui = GetGUI();
  // A menu without rows has nothing to offer: it does not open.
  if (!gui || mMenu.GetNItems() == 0) return nullptr;
  return gui->CreateIPopupMenu(&mMenu, &mRECT);
}

// Filter types.

IRnFilterUnitMenu::IRnFilterUnitMenu(IFxBase* plug, IFilterDataProvider* provider,
                                     DropDownListFilterTypes kind, int x, int y,
                                     const IText* text, const IBitmap* bitmap, IColor background)
    : IRnDropDownMenu(plug, x, y, text, bitmap, background), mProvider(provider), mKind(kind) {}

void IRnFilterUnitMenu::Draw(IGraphics* graphics) {
  if (!mProvider) {
    DrawBackground(graphics);
    return;
  }
  DrawWithText(graphics, mProvider->getFilterShortText(mKind), 32);
}

void IRnFilterUnitMenu::buildRows() {
  if (mKind != kFxFilter1 && mKind != kFxFilter2) return;
  for (int t = 0; t < Types::kNumFilterTypes; ++t)
    mMenu.AddItem(FilterUti::getFilterModeText(static_cast<Types::eFilterType>(t)).c_str());
}

void IRnFilterUnitMenu::checkCurrentPreset() {
  if (!mProvider) return;
  if (mKind == kFxFilter1 || mKind == kFxFilter2)
    mMenu.CheckItem(mProvider->getFxFilterType(mKind), true);
  else if (mKind >= 2 && mKind <= 7)
    mMenu.CheckItem(mProvider->getOscFilterType(mKind), true);
}

void IRnFilterUnitMenu::displayMenuAndWaitForUserAction() {
  IPopupMenu* chosen = Popup();
  if (chosen) chooseRow(chosen->GetChosenItemIdx());
}

void IRnFilterUnitMenu::chooseRow(int r) {
  if (!mPlug || r < 0 || r > FilterUti::kLastType) return;
  if (mKind != kFxFilter1 && mKind != kFxFilter2) return;
  mPlug->SetParameterFromGUI(mKind == kFxFilter1 ? kFilter1TypeParam : kFilter2TypeParam,
                             r / static_cast<double>(FilterUti::kLastType));
}

// Distortion types.

IRnDistoPresetMenu::IRnDistoPresetMenu(IFxBase* plug, IDistoDataProvider* provider, int x, int y,
                                       const IText* text, const IBitmap* bitmap,
                                       IColor background)
    : IRnDropDownMenu(plug, x, y, text, bitmap, background),
      mProvider(provider),
      mPresenter(new DistoDataPresenter()) {}

void IRnDistoPresetMenu::Draw(IGraphics* graphics) {
  if (!mProvider) {
    DrawBackground(graphics);
    return;
  }
  DrawWithText(graphics, DistoDataPresenter::getDistoItemName(mProvider->getDistortionType()),
               40);
}

void IRnDistoPresetMenu::buildRows() {
  for (const DistoDataItem& item : mPresenter->getBasicSection().items)
    mMenu.AddItem(item.getName().c_str());
  for (int k = 0; k < mPresenter->getNumberOfSections(); ++k) {
    const DistoDataSection* section = mPresenter->getSection(k);
    IPopupMenu* sub = AddSubSection(section->firstIndex, k);
    for (const DistoDataItem& item : section->items) sub->AddItem(item.getName().c_str());
    mMenu.AddItem(section->title.c_str(), section->firstIndex, sub);
  }
}

void IRnDistoPresetMenu::checkCurrentPreset() {
  if (!mProvider) return;
  const Types::eDistortionType type = mProvider->getDistortionType();
  const int top = mPresenter->getBasicSection().hasItem(type);
  if (top >= 0) {
    mMenu.CheckItem(top, true);
    return;
  }
  for (RnSubSection& s : mSubSections) {
    const DistoDataSection* section = mPresenter->getSection(s.section);
    const int row = section ? section->hasItem(type) : -1;
    if (row >= 0) {
      s.submenu->CheckItem(row, true);
      return;
    }
  }
}

int IRnDistoPresetMenu::chosenType() {
  const std::vector<DistoDataItem>& basic = mPresenter->getBasicSection().items;
  const int r = mMenu.GetChosenItemIdx();
  if (r >= 0 && r < static_cast<int>(basic.size())) return basic[static_cast<size_t>(r)].type;
  for (const RnSubSection& s : mSubSections) {
    const int row = s.submenu->GetChosenItemIdx();
    if (row < 0) continue;
    const DistoDataSection* section = mPresenter->getSection(s.section);
    if (!section || row >= static_cast<int>(section->items.size())) return -1;
    return section->items[static_cast<size_t>(row)].type;
  }
  return -1;
}

void IRnDistoPresetMenu::displayMenuAndWaitForUserAction() {
  if (!Popup() || !mPlug) return;
  const int type = chosenType();
  if (type < 0 || type >= Types::kNumDistortionTypes) return;
  mPlug->SetParameterFromGUI(kDistortionTypeParam,
                             type / static_cast<double>(Types::kNumDistortionTypes));
}

// Presets.

IRnPresetMenu::IRnPresetMenu(IFxBase* plug, IFxPresetProvider* provider, int x, int y,
                             const IText* text, const IBitmap* bitmap, IColor background)
    : IRnDropDownMenu(plug, x, y, text, bitmap, background), mProvider(provider) {}

std::string IRnPresetMenu::getFormattedPresetString(const std::string& name, int index) {
  char number[16];
  snprintf(number, sizeof number, "%02d: ", index + 1);
  return number + name;
}

std::string IRnPresetMenu::getFormattedSectionString(const std::string& name) {
  return ">> " + name;
}

std::vector<int> IRnPresetMenu::getSectionsIdxVector() const {
  std::vector<int> markers;
  for (int i = 0; mPlug && i < mPlug->NPresets(); ++i)
    if (std::strchr(mPlug->GetPresetName(i), '#')) markers.push_back(i);
  return markers;
}

void IRnPresetMenu::OnMouseDown(int, int, IMouseMod* mod) {
  if (mod && mod->R) {
    if (IGraphics* gui = GetGUI()) {
      const char* name = mPlug ? mPlug->GetPresetName(mPlug->GetCurrentPresetIdx()) : "";
      gui->CreateTextEntry(this, &mText, &mRECT, name, nullptr);
    }
  } else {
    doPopupMenu();
  }
  mRedraw = true;
  SetDirty(true);
}

void IRnPresetMenu::TextFromTextEntry(const char* text) {
  if (!mPlug) return;
  // At most kMaxNameLen - 1 characters, so the terminator always fits.
  char name[kMaxNameLen];
  snprintf(name, sizeof name, "%s", text ? text : "");
  mPlug->ModifyCurrentPreset(name);
  mPlug->InformHostOfProgramChange();
  mPlug->DirtyParameters();
  SetDirty(false);
}

void IRnPresetMenu::Draw(IGraphics* graphics) {
  if (mProvider)
    DrawWithText(graphics, mProvider->GetCurrentPresetString(), 42);
  else
    DrawWithText(graphics, mDisplayText.Get(), 42);
}

void IRnPresetMenu::addPresetRows(IPopupMenu& menu, std::vector<int>& presets, int from, int to) {
  for (int i = from; i < to; ++i) {
    const char* name = mPlug->GetPresetName(i);
    if (!name || !name[0]) continue;
    menu.AddItem(getFormattedPresetString(name, i).c_str());
    presets.push_back(i);
  }
}

void IRnPresetMenu::buildRows() {
  if (!mPlug) return;
  // Nameless presets take no row, so rows and presets are paired by lists
  // rather than by position.
  mMainPresets.clear();
  mSectionPresets.clear();
  const int n = mPlug->NPresets();
  const std::vector<int> markers = getSectionsIdxVector();
  addPresetRows(mMenu, mMainPresets, 0, markers.empty() ? n : markers.front());
  for (size_t m = 0; m < markers.size(); ++m) {
    const int s = markers[m];
    IPopupMenu* sub = AddSubSection(s + 1, 0);
    mSectionPresets.emplace_back();
    addPresetRows(*sub, mSectionPresets.back(), s + 1, m + 1 < markers.size() ? markers[m + 1] : n);
    mMenu.AddItem(mPlug->GetPresetName(s), sub);
  }
}

namespace {

// The row of a list of presets that shows preset c, or -1.
int rowOf(const std::vector<int>& presets, int c) {
  for (size_t r = 0; r < presets.size(); ++r)
    if (presets[r] == c) return static_cast<int>(r);
  return -1;
}

// The preset of a chosen row, or -1 when the row is not in the list.
int presetOf(const std::vector<int>& presets, int row) {
  return row >= 0 && row < static_cast<int>(presets.size()) ? presets[static_cast<size_t>(row)]
                                                            : -1;
}

}  // namespace

void IRnPresetMenu::checkCurrentPreset() {
  if (!mPlug) return;
  const int c = mPlug->GetCurrentPresetIdx();
  const int main = rowOf(mMainPresets, c);
  if (main >= 0) {
    mMenu.CheckItem(main, true);
    return;
  }
  for (size_t k = 0; k < mSubSections.size() && k < mSectionPresets.size(); ++k) {
    const int row = rowOf(mSectionPresets[k], c);
    if (row >= 0) {
      mSubSections[k].submenu->CheckItem(row, true);
      return;
    }
  }
}

int IRnPresetMenu::chosenPreset() {
  // Rows past the plain ones carry the sections: they restore nothing.
  const int main = presetOf(mMainPresets, mMenu.GetChosenItemIdx());
  if (main >= 0) return main;
  for (size_t k = 0; k < mSubSections.size() && k < mSectionPresets.size(); ++k) {
    const int row = mSubSections[k].submenu->GetChosenItemIdx();
    if (row >= 0) return presetOf(mSectionPresets[k], row);
  }
  return -1;
}

// Waveforms, modulator signals and note modes.

IRnWaveformPresetMenu::IRnWaveformPresetMenu(IFxBase* plug, IOscWaveformDataProvider* provider,
                                             DropDownListWaveformTypes kind, int x, int y,
                                             const IText* text, const IBitmap* bitmap,
                                             IColor background)
    : IRnDropDownMenu(plug, x, y, text, bitmap, background), mProvider(provider), mKind(kind) {}

void IRnWaveformPresetMenu::checkCurrentPreset() {
  if (mProvider) mMenu.CheckItem(mProvider->getWaveformType(mKind), true);
}

IRnLfoSignalTypePresetMenu::IRnLfoSignalTypePresetMenu(IFxBase* plug,
                                                       ILfoSignalDataProvider* provider,
                                                       DropDownListLfoSignalTypes kind, int x,
                                                       int y, const IText* text,
                                                       const IBitmap* bitmap, IColor background)
    : IRnDropDownMenu(plug, x, y, text, bitmap, background), mProvider(provider), mKind(kind) {}

void IRnLfoSignalTypePresetMenu::Draw(IGraphics* graphics) {
  if (!mProvider) {
    DrawBackground(graphics);
    return;
  }
  DrawWithText(graphics, mProvider->getLfoSignalShortText(mKind), 32);
}

void IRnLfoSignalTypePresetMenu::buildRows() {
  for (const char* row : {"Sine", "Sine (Positive Part)", "Sine (Negative Part)",
                          "Sine (Absolute Value)", "Sine (Inverted)"})
    mMenu.AddItem(row);
}

void IRnLfoSignalTypePresetMenu::checkCurrentPreset() {
  if (mProvider) mMenu.CheckItem(mProvider->getLfoSignalType(mKind), true);
}

std::vector<std::string> IRnNoteModePresetMenu::getNoteModeNames() {
  struct Mode {
    const char* first;
    double hz;  // 0: the first part is the whole text
    const char* second;
  };
  static const Mode kModes[] = {
      {"Standard MIDI", 0.0, "Keytracking"},    {"Octave Down", 0.0, "Keytracking"},
      {"Octave Up", 0.0, "Keytracking"},        {"F1 Kick %3.1fHz", 43.65, ""},
      {"F#1 Kick %3.1fHz", 46.25, ""},          {"G1 Kick %3.1fHz", 49.0, ""},
      {"G#1 Kick %3.1fHz", 51.91, ""},          {"C2 Drum Body %3.1fHz", 65.4, ""},
      {"Arp. Dur Up 1/16", 0.0, "Keytracking"}, {"Arp. Moll Up 1/16", 0.0, "Keytracking"}};
  std::vector<std::string> names;
  for (const Mode& m : kModes) {
    std::string name = m.first;
    if (m.hz > 0.0) {
      char text[64];
      snprintf(text, sizeof text, m.first, m.hz);
      name = text;
    }
    if (m.second[0]) name += std::string(" (") + m.second + ")";
    names.push_back(name);
  }
  return names;
}

void IRnNoteModePresetMenu::buildRows() {
  for (const std::string& name : getNoteModeNames()) mMenu.AddItem(name.c_str());
}

void IRnPresetMenu::displayMenuAndWaitForUserAction() {
  if (!Popup() || !mPlug) return;
  const int preset = chosenPreset();
  if (preset < 0) return;
  mPlug->RestorePreset(preset);
  mPlug->InformHostOfProgramChange();
  mPlug->DirtyParameters();
}

// ---- Program file selector

IRnFileSelector::IRnFileSelector(IFxBase* plug, IDistoFileController* controller, IRECT rect,
                                 int paramIdx, const IBitmap* bitmap, EFileAction action,
                                 const char* folder, const char* extensions)
    : IFileSelectorControl(plug, rect, paramIdx, bitmap, action, folder, extensions),
      mController(controller) {}

void IRnFileSelector::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mController) {
    const std::string last = mController->GetLastSelectedProgramFile();
    if (!last.empty()) SetLastSelectedFileFromPlug(last.c_str());
  }
  IFileSelectorControl::OnMouseDown(x, y, mod);
  if (!mController || !mFile.GetLength()) return;
  const bool fxp = std::strstr(mFile.Get(), ".fxp") != nullptr;
  if (mFileAction == kFileSave) {
    // A save that cannot be written says so.
    const std::string path = mFile.Get();
    const char* title = mTitle.GetLength() ? mTitle.Get() : "Save";
    std::string why;
    if (fxp) {
      if (!mController->SaveProgAsFXP(mFile))
        tellNotWritten(GetGUI(), title, path, "host program files are not offered here");
      return;
    }
    if (!canWrite(path, &why)) return tellNotWritten(GetGUI(), title, path, why);
    mController->SaveProgAsRN(mFile);
    if (!written(path)) tellNotWritten(GetGUI(), title, path, "nothing was written");
  } else {
    if (fxp)
      mController->LoadProgFromFXP(mFile);
    else
      mController->LoadProgFromRN(mFile);
  }
}

void IRnFileSelector::Draw(IGraphics* graphics) {
  graphics->DrawBitmap(&mBitmap, &mRECT, mState == kFSSelecting ? 2 : 1, nullptr);
}

// ---- Scope

IRnWaveDrawer::IRnWaveDrawer(IFxBase* plug, IScopeController* scope,
                             const CircularBuffer<Types::VisSample>& ring, int x, int y,
                             const IBitmap* bitmap, IChannelBlend::EBlendMethod blend)
    : IBitmapControl(plug, x, y, -1, bitmap, blend),
      mScopeRECT(mRECT.L + 5, mRECT.T + 5, mRECT.R - 5, mRECT.B - 5),
      mQ(mScopeRECT.H() > 0 ? mScopeRECT.H() / 4 : 0),
      mScope(scope),
      mRing(ring) {}

void zoomByWheel(IScopeController* scope, int d) {
  if (!scope) return;
  if (d > 0)
    scope->zoomScope(true, d);
  else
    scope->zoomScope(false, -static_cast<double>(d));
}

void IRnWaveDrawer::OnMouseWheel(int, int, IMouseMod*, int d) { zoomByWheel(mScope, d); }

void IRnWaveDrawer::Draw(IGraphics* graphics) {
  IBitmapControl::Draw(graphics);
  const IChannelBlend half(IChannelBlend::kBlendAlpha, 0.5f);
  const float left = static_cast<float>(mScopeRECT.L), right = static_cast<float>(mScopeRECT.R);
  for (const double y : {mScopeRECT.T + mQ, mScopeRECT.T + 3.0 * mQ})
    graphics->DrawLine(&COLOR_RN_OVERLAY_WHITE, left, static_cast<float>(y), right,
                       static_cast<float>(y), &half, false);
  if (!mScope) return;
  const int mode = mScope->getDrawMode();
  if (mScope->doDrawInputSignal()) DrawTrace(graphics, false, mode);
  if (mScope->doDrawOutputSignal()) DrawTrace(graphics, true, mode);
}

void IRnWaveDrawer::DrawTrace(IGraphics* graphics, bool output, int mode) {
  const int n = mRing.capacity();
  if (n < 1) return;
  const int first = mRing.writeCounter() % n;  // the oldest entry
  const double centre[2] = {mScopeRECT.T + mQ, mScopeRECT.T + 3.0 * mQ};
  double previous[2] = {centre[0], centre[1]};
  // A display too narrow for the whole ring shows the oldest entries that fit.
  const int columns = n < mScopeRECT.W() ? n : mScopeRECT.W();
  for (int i = 1; i < columns; ++i) {
    const Types::VisSample s = mRing.read((first + i) % n);
    const IColor& color = mode == kScopeDrawFilled
                              ? (output ? COLOR_RN_GRAY : COLOR_RN_DARK_GRAY)
                              : (s.gap ? COLOR_RN_OVERLAY_DARK_GRAY
                                       : (output ? COLOR_RN_WHITE : COLOR_RN_GRAY));
    const double values[2] = {output ? s.outLeft : s.dryLeft, output ? s.outRight : s.dryRight};
    const float x = static_cast<float>(mScopeRECT.L + i);
    for (int c = 0; c < 2; ++c) {
      // Whole pixels; a NaN counts as silence.
      const double v = std::isnan(values[c]) ? 0.0 : clampUnit(values[c], -1.0, 1.0);
      const double a = std::trunc(v * mQ);
      const double y = centre[c], top = y - a;
      double from = previous[c];
      if (mode == kScopeDrawFilled)
        from = y;
      else if (mode == kScopeDrawMirrored)
        from = y + a;
      graphics->DrawLine(&color, x, static_cast<float>(from), x, static_cast<float>(top), nullptr,
                         false);
      previous[c] = top;
    }
  }
}

IRnDrawModeButton::IRnDrawModeButton(IFxBase* plug, IScopeController* scope, int x, int y,
                                     int paramIdx, const IBitmap* bitmap)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mScope(scope) {
  UpdateData();
}

void IRnDrawModeButton::UpdateData() {
  if (mScope) mValue = mScope->getDrawMode() * 0.5;
}

void IRnDrawModeButton::OnMouseDown(int, int, IMouseMod*) {
  if (!mScope) return;
  const int m = mScope->getDrawMode();
  const eRnScopeDrawMode next = m == kScopeDrawLine     ? kScopeDrawFilled
                                : m == kScopeDrawFilled ? kScopeDrawMirrored
                                                        : kScopeDrawLine;
  mValue = next * 0.5;
  mScope->setDrawMode(next);
  SetDirty(true);
}

IRnScopeWaveSwitch::IRnScopeWaveSwitch(IFxBase* plug, IScopeController* scope, int x, int y,
                                       int paramIdx, const IBitmap* bitmap,
                                       eRnScopeWaveformType type)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mScope(scope), mType(type) {
  UpdateData();
}

void IRnScopeWaveSwitch::UpdateData() {
  if (!mScope) return;
  if (mType == kScopeInputWave) mValue = mScope->doDrawInputSignal() ? 1.0 : 0.0;
  if (mType == kScopeOutputWave) mValue = mScope->doDrawOutputSignal() ? 1.0 : 0.0;
}

void IRnScopeWaveSwitch::OnMouseDown(int x, int y, IMouseMod* mod) {
  ISwitchControl::OnMouseDown(x, y, mod);
  if (mScope) {
    if (mType == kScopeOutputWave) mScope->setDrawOutputSignal(mValue);
    if (mType == kScopeInputWave) mScope->setDrawInputSignal(mValue);
  }
  SetDirty(true);
}

}  // namespace Rawnfield

// ---- Address button and drawing field

namespace {

std::string textOrEmpty(const char* text) {
  return text ? text : "";
}

}  // namespace

IRnUrlButton::IRnUrlButton(IFxStandalone* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                           const char* url, const char* backupURL, const char* message)
    : IContactControl(plug, x, y, paramIdx, bitmap),
      mURL(textOrEmpty(url)),
      mBackupURL(textOrEmpty(backupURL)),
      mMessage(textOrEmpty(message).substr(0, kMaxMessageLen)) {}

void IRnUrlButton::OnMouseDown(int, int, IMouseMod*) {
  mValue = 1.0;
  IOpenURLOrBackup(GetGUI(), mURL.c_str(), mBackupURL.c_str(), mMessage.c_str());
  SetDirty(true);
}

IRnDrawArea::IRnDrawArea(IFxBase* plug, IRECT rect)
    : IControl(plug, rect), mCurve(rect.W() > 0 ? rect.W() : 0) {}

void IRnDrawArea::Touched() {
  if (mCurve.size() > 0) mCurve.markChanged();
  SetDirty(false);
}

// As on the curve editor, which has a context menu on the right button:
// here the right button does nothing.
void IRnDrawArea::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mod && mod->R) return;
  if (mod && mod->L) mCurve.setCurveValue(x - mRECT.L, Rawnfield::curveValueAt(mRECT, y));
  Touched();
}

void IRnDrawArea::OnMouseDrag(int x, int y, int dX, int, IMouseMod* mod) {
  if (mod && mod->L) mCurve.drag(x - mRECT.L, Rawnfield::curveValueAt(mRECT, y), dX);
  Touched();
}

void IRnDrawArea::Draw(IGraphics* graphics) {
  const int n = mCurve.size();
  const double w = mRECT.W(), h = mRECT.H();
  const double half = mRECT.H() / 2;
  // From the left end of the centre line through every column's point.
  float px = static_cast<float>(mRECT.L), py = static_cast<float>(mRECT.T + h * 0.5);
  for (int k = 0; k < n; ++k) {
    const float x = static_cast<float>(mRECT.L + w * k / n);
    const float y = static_cast<float>(
        mRECT.T + half * Rawnfield::clampUnit(mCurve.value(k), -1.0, 1.0) + h * 0.5);
    graphics->DrawLine(&COLOR_WHITE, px, py, x, y, nullptr, false);
    px = x;
    py = y;
  }
  graphics->DrawRect(&COLOR_BLUE, &mRECT);
}
