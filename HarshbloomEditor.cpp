// The editor: its creation, the page and equaliser tabs, the scope settings,
// the providers the editor's controls read, and the road from the effect's
// display requests to the controls.

#include <cmath>
#include <cstdio>
#include <string>

#include "DistoFxControls.h"
#include "Harshbloom.h"
#include "IGraphicsDesktop.h"
#include "UiControls.h"

namespace {

constexpr int kEditorWidth = 650;
constexpr int kEditorHeight = 830;
const char kRnDefaultFont[] = "Helvetica";

// Anti-aliased: this desktop's fonts drawn without smoothing lose whole
// strokes at these sizes.
IText textStyle(int size, const IColor& color, int align) {
  return IText(size, &color, kRnDefaultFont, IText::kStyleNormal, align, 0,
               IText::kQualityAntiAliased);
}

bool isToolTipText(Harshbloom::eValueText t) {
  return t == Harshbloom::kInputModeTip || t == Harshbloom::kSubBandModeTip ||
         t == Harshbloom::kHqFilterTip;
}

}  // namespace

IGraphics* MakeGraphics(IFxStandalone* plug, int width, int height, int fps) {
  IGraphicsDesktop* g = new IGraphicsDesktop(plug, width, height, fps);
  g->SetBundleID(Harshbloom::kBundleID);
  return g;
}

// ---- Creation

void Harshbloom::createEditor() {
  IGraphics* g = MakeGraphics(this, kEditorWidth, kEditorHeight, 0);
  mLayoutSurface = g;

  g->AttachBackground(10006, "resources/img/GUI_background.png");
  IBitmap controls = g->LoadIBitmap(10002, "resources/img/Controls_Background.png", 1);
  attachToPage(g, kPlugPage,
               new IBitmapControl(this, (kEditorWidth - controls.W) / 2, 35, -1, &controls));

  const int centre = IText::kAlignCenter;
  mTextZoom = textStyle(12, COLOR_WHITE, centre);
  mTextLabel = textStyle(11, COLOR_WHITE, centre);
  mTextRight = textStyle(11, COLOR_WHITE, IText::kAlignFar);
  mTextMaxLevel = textStyle(11, COLOR_RN_CYAN, IText::kAlignNear);
  mTextBandHigh = textStyle(11, COLOR_RN_GREEN, centre);
  mTextBandLoMid = textStyle(11, COLOR_RN_ORANGE, centre);
  mTextBandHiMid = textStyle(11, COLOR_RN_YELLOW, centre);
  mTextBandBass = textStyle(11, COLOR_RN_RED, centre);
  mTextHostInfo = textStyle(11, COLOR_WHITE, IText::kAlignNear);
  mTextAbout = textStyle(13, COLOR_WHITE, centre);

  IBitmap plugTab = g->LoadIBitmap(1026, "resources/img/buttons/tab_plug_in_button.png", 2);
  IBitmap aboutTab = g->LoadIBitmap(1025, "resources/img/buttons/tab_about_button.png", 2);
  IBitmap scopeTab = g->LoadIBitmap(1027, "resources/img/buttons/tab_scope_button.png", 2);
  g->LoadIBitmap(1028, "resources/img/buttons/tab_test.png", 2);
  using Rawnfield::IRnTabButton;
  mLinks.pageTabs[kAboutPage] =
      new IRnTabButton(this, this, 365, 782, -1, Rawnfield::kAboutTab, &aboutTab);
  mLinks.pageTabs[kPlugPage] =
      new IRnTabButton(this, this, 205, 782, -1, Rawnfield::kPlugTab, &plugTab);
  mLinks.pageTabs[kScopePage] =
      new IRnTabButton(this, this, 285, 782, -1, Rawnfield::kScopeTab, &scopeTab);
  // On every page: in no page's list.
  g->AttachControl(mLinks.pageTabs[kPlugPage]);
  g->AttachControl(mLinks.pageTabs[kScopePage]);
  g->AttachControl(mLinks.pageTabs[kAboutPage]);

  initInputUnit(g);
  initDistoUnit(g);
  initFilterUnit(g);
  initEqUnit(g);
  initSubBandProcUnit(g);
  initPresetUnit(g);
  initDisplayUnit(g);
  initOutputUnit(g);
  initAboutTab(g);
  initScopeTab(g);

  g->AttachControl(new IRnDisplayWatcher(this));
  AttachGraphics(g);
  mLayoutSurface = nullptr;
  g->EnableTooltips(true);
  g->AssignParamNameToolTips();
}

int Harshbloom::attachToPage(IGraphics* g, ePage page, IControl* control) {
  const int idx = g->AttachControl(control);
  pageList(page).push_back(idx);
  return idx;
}

std::vector<int>& Harshbloom::pageList(ePage page) {
  return page == kScopePage ? mScopeTabControls
                            : (page == kAboutPage ? mAboutTabControls : mPlugTabControls);
}

IGraphics* Harshbloom::editorSurface() const {
  return GetGUI() ? GetGUI() : mLayoutSurface;
}

// ---- Pages

void Harshbloom::showPage(ePage page) {
  {
    KIT_MutexLock lock(GetMutex());
    mConfig.setVisibleTab(static_cast<unsigned>(page));
  }
  if (IGraphics* g = editorSurface()) {
    // Hidden first, so a control listed twice ends up shown.
    for (int p = 0; p < kNumPages; ++p)
      if (p != page)
        for (int idx : pageList(static_cast<ePage>(p)))
          if (IControl* c = g->GetControl(idx)) c->Hide(true);
    for (int idx : pageList(page))
      if (IControl* c = g->GetControl(idx)) c->Hide(false);
  }
  // The page's own tab too: after a configuration load no tab would show
  // the visible page otherwise.
  for (int p = 0; p < kNumPages; ++p)
    if (mLinks.pageTabs[p]) mLinks.pageTabs[p]->SetActive(p == page);
}

void Harshbloom::onPlugTab() {
  showPage(kPlugPage);
  onSubBandTab(true);
}

void Harshbloom::onScopeTab() {
  showPage(kScopePage);
  KIT_MutexLock lock(GetMutex());  // the ring's writers take turns
  Rawnfield::Types::VisSample blank;
  blank.gap = true;
  mScope.fill(blank);
}

void Harshbloom::onAboutTab() {
  showPage(kAboutPage);
}

void Harshbloom::onSubBandTab(bool show) {
  IGraphics* g = editorSurface();
  if (mLinks.subBandTab) {
    mLinks.subBandTab->HideTabItems(g, !show);
    mLinks.subBandTab->SetActive(show);
  }
  if (mLinks.distoBandTab) {
    mLinks.distoBandTab->HideTabItems(g, show);
    mLinks.distoBandTab->SetActive(!show);
  }
  if (mLinks.subBandEqSwitch) mLinks.subBandEqSwitch->GrayOut(!show);
  if (mLinks.distoBandEqSwitch) mLinks.distoBandEqSwitch->GrayOut(show);
}

void Harshbloom::applyConfigViews() {
  double tab, zoom;
  {
    KIT_MutexLock lock(GetMutex());
    tab = mConfig.visibleTab;
    zoom = mConfig.scopeZoom;
  }
  switch (IFxTruncToInt(tab)) {
    case 2: onAboutTab(); break;
    case 1: onScopeTab(); break;
    case 0: onPlugTab(); break;
    default: break;
  }
  showZoom(zoom);
  if (mLinks.drawModeButton) {
    mLinks.drawModeButton->UpdateData();
    mLinks.drawModeButton->SetDirty(false);
  }
  for (Rawnfield::IRnScopeWaveSwitch* s : {mLinks.inputWaveSwitch, mLinks.outputWaveSwitch}) {
    if (!s) continue;
    s->UpdateData();
    s->SetDirty(false);
  }
}

void Harshbloom::pollEditorDisplays() {
  if (takeDirty(kConfigViews)) applyConfigViews();
  for (int d = 0; d < kNumDisplays; ++d) {
    const eDisplay which = static_cast<eDisplay>(d);
    if (which == kConfigViews || mLinks.displays[d].empty() || !takeDirty(which)) continue;
    if (which == kCurveEditor && mLinks.curveEditor) mLinks.curveEditor->SetFocus(getCurveView());
    if (which == kCurvePreview && mLinks.curvePreview)
      mLinks.curvePreview->SetFocus(getCurveView());
    for (IControl* c : mLinks.displays[d]) {
      if (which == kLimiterLevelControl) c->GrayOut(isLimiterLevelGrayed());
      c->SetDirty(false);
    }
  }
  for (int t = 0; t < kNumValueTexts; ++t) {
    const eValueText which = static_cast<eValueText>(t);
    IControl* c = mLinks.valueTexts[t];
    if (!c || !takeTextChanged(which)) continue;
    const std::string text = getValueText(which);
    if (isToolTipText(which))
      c->SetTooltip(text.c_str());
    else
      static_cast<ITextControl*>(c)->SetTextFromPlug(text.c_str());
  }
}

// ---- Scope settings

void Harshbloom::zoomScope(bool zoomIn, double steps) {
  double zoom;
  {
    KIT_MutexLock lock(GetMutex());
    mConfig.setScopeZoom(mConfig.scopeZoom + (zoomIn ? 10.0 : -10.0) * steps);
    zoom = mConfig.scopeZoom;
  }
  showZoom(zoom);
}

void Harshbloom::showZoom(double zoom) {
  if (!mLinks.zoomText) return;
  char text[32];
  snprintf(text, sizeof text, "%3.0f %%", zoom);
  mLinks.zoomText->SetTextFromPlug(text);
}

Rawnfield::eRnScopeDrawMode Harshbloom::getDrawMode() const {
  double m;
  {
    KIT_MutexLock lock(const_cast<Harshbloom*>(this)->GetMutex());
    m = mConfig.scopeDrawMode;
  }
  // Clamped before the conversion: a stored value out of range (or a NaN)
  // would otherwise give an undefined or unknown mode.
  if (!(m > 0.0)) m = 0.0;
  if (m > Rawnfield::PlugConfig::kMaxTabOrMode) m = Rawnfield::PlugConfig::kMaxTabOrMode;
  return static_cast<Rawnfield::eRnScopeDrawMode>(static_cast<int>(m));
}

void Harshbloom::setDrawMode(Rawnfield::eRnScopeDrawMode mode) {
  KIT_MutexLock lock(GetMutex());
  mConfig.scopeDrawMode = static_cast<double>(mode);
}

bool Harshbloom::doDrawInputSignal() const {
  KIT_MutexLock lock(const_cast<Harshbloom*>(this)->GetMutex());
  return mConfig.scopeDrawInput == 1.0;
}

bool Harshbloom::doDrawOutputSignal() const {
  KIT_MutexLock lock(const_cast<Harshbloom*>(this)->GetMutex());
  return mConfig.scopeDrawOutput == 1.0;
}

void Harshbloom::setDrawInputSignal(double v) {
  KIT_MutexLock lock(GetMutex());
  mConfig.scopeDrawInput = v;
}

void Harshbloom::setDrawOutputSignal(double v) {
  KIT_MutexLock lock(GetMutex());
  mConfig.scopeDrawOutput = v;
}

// ---- Meters

void Harshbloom::updateVuMeters() {
  KIT_MutexLock lock(GetMutex());
  if (IFxTruncToInt(mConfig.visibleTab) != kAboutPage) return;
  mLevelFollower.decayBetweenBlocks();
  for (int c = 0; c < 2; ++c)
    mLevel[c].store(mLevelFollower.envelope[c], std::memory_order_relaxed);
  markDirty(kLevelDisplays);
}

// ---- Providers

void Harshbloom::provideFreqCurve(Rawnfield::BandId band, double* out, int n) const {
  if (!out || n < 1) return;
  const Rawnfield::BandSplitFilter& crossover = mSubBand.crossover;
  // A few points under each hold of the lock: a block waiting for it gets it
  // between them rather than after the whole curve.
  constexpr int kPointsPerHold = 32;
  for (int start = 0; start < n; start += kPointsPerHold) {
    KIT_MutexLock lock(const_cast<Harshbloom*>(this)->GetMutex());
    const int end = start + kPointsPerHold < n ? start + kPointsPerHold : n;
    for (int i = start; i < end; ++i) {
      const double r = static_cast<double>(i) / n;
      const double f = r * r * 0.5;
      out[i] = band == Rawnfield::kSubBand ? crossover.getSubBandFilterFreqResponse(f)
                                           : crossover.getDistoBandFilterFreqResponse(f);
    }
  }
}

std::string Harshbloom::getFilterTypeText(Rawnfield::DropDownListFilterTypes which) const {
  if (which == Rawnfield::kFxFilter1) return mFilter.getLeftFilterTypeText();
  if (which == Rawnfield::kFxFilter2) return mFilter.getRightFilterTypeText();
  return std::string();
}

std::string Harshbloom::getFilterShortText(Rawnfield::DropDownListFilterTypes which) const {
  if (which == Rawnfield::kFxFilter1) return mFilter.getLeftFilterShortText();
  if (which == Rawnfield::kFxFilter2) return mFilter.getRightFilterShortText();
  return std::string();
}

int Harshbloom::getFxFilterType(Rawnfield::DropDownListFilterTypes which) const {
  if (which == Rawnfield::kFxFilter1) return mFilter.getFilterType1();
  if (which == Rawnfield::kFxFilter2) return mFilter.getFilterType2();
  return 0;
}

std::string Harshbloom::GetCurrentPresetString() {
  const int idx = GetCurrentPresetIdx();
  char text[IPreset::kNameLen + 16];
  snprintf(text, sizeof text, "%02d: %s", idx + 1, GetPresetName(idx));
  return text;
}
