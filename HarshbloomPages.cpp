// The scope page and the about page. Both are laid out hidden: the page tabs
// show them.

#include "DistoFxControls.h"
#include "Harshbloom.h"
#include "HarshbloomLayout.h"
#include "IGraphics.h"
#include "UiControls.h"

using HarshbloomLayout::h;
using HarshbloomLayout::w;

void Harshbloom::hidePage(IGraphics* g, ePage page) {
  for (int idx : pageList(page))
    if (IControl* c = g->GetControl(idx)) c->Hide(true);
}

void Harshbloom::initAboutTab(IGraphics* g) {
  IBitmap logo = g->LoadIBitmap(10005, "resources/img/Rawnfield_logo_txt_570x380.png", 1);
  IBitmap team = g->LoadIBitmap(10003, "resources/img/RN_Team_Text.png", 1);
  IBitmap version = g->LoadIBitmap(2000, "resources/img/displays/version_info_display_pro.png", 1);
  IBitmap app = g->LoadIBitmap(10000, "resources/img/app_logo.png", 1);

  // The eyes glow through the logo drawn over them.
  for (const bool left : {true, false}) {
    IRnVuEyeDrawer* eye = new IRnVuEyeDrawer(
        this, left ? IRECT(223, 186, 295, 220) : IRECT(355, 186, 427, 220), left);
    attachToPage(g, kAboutPage, eye);
    mLinks.displays[kLevelDisplays].push_back(eye);
  }
  attachToPage(g, kAboutPage, new IBitmapControl(this, 325 - w(logo) / 2, 50, -1, &logo));
  attachToPage(g, kAboutPage, new IBitmapControl(this, 325 - w(team) / 2, 575, -1, &team));
  attachToPage(g, kAboutPage, new IBitmapControl(this, 325 - w(app) / 2, 645, -1, &app));
  attachToPage(g, kAboutPage,
               new IBitmapControl(this, 325 - w(version) / 2, 410, -1, &version));
  attachText(g, kAboutPage, IRECT(115, 440, 535, 456), mVersionInfo.getLongText().c_str(),
             &mTextAbout);
  attachText(g, kAboutPage, IRECT(115, 462, 535, 478), "Dual-Band Distortion", &mTextAbout);
  mLinks.valueTexts[kHostOsInfoText] = attachText(
      g, kAboutPage, IRECT(115, 528, 535, 544), getTechHostOsInfoString().c_str(), &mTextAbout);
  hidePage(g, kAboutPage);
}

void Harshbloom::initScopeTab(IGraphics* g) {
  IBitmap bminus = g->LoadIBitmap(5002, "resources/img/switches/minus_25px.png", 2);
  IBitmap bplus = g->LoadIBitmap(5003, "resources/img/switches/plus_25px.png", 2);
  IBitmap bzd = g->LoadIBitmap(2011, "resources/img/displays/zoom_display.png", 1);
  IBitmap bfr = g->LoadIBitmap(1006, "resources/img/buttons/freeze_scope_button.png", 2);
  IBitmap bwd = g->LoadIBitmap(2010, "resources/img/displays/wave_display.png", 1);
  IBitmap bdm =
      g->LoadIBitmap(1007, "resources/img/buttons/hollow_half_filled_scope_button.png", 3);
  IBitmap bin = g->LoadIBitmap(1009, "resources/img/buttons/input_on_off.png", 2);
  IBitmap bout = g->LoadIBitmap(1017, "resources/img/buttons/output_on_off.png", 2);

  const int V = w(bwd), H = h(bwd);
  const int S = 325 - V / 2;  // the wave display, centred on the editor
  const int R = 335 - V / 2;  // the button row
  using Rawnfield::IRnScopeWaveSwitch;

  IBitmapControl* zoomDisplay = new IBitmapControl(this, S + V - 145, H + 102, -1, &bzd);
  mLinks.waveDrawer = new Rawnfield::IRnWaveDrawer(this, this, mScope, S, 100, &bwd);
  mLinks.drawModeButton =
      new Rawnfield::IRnDrawModeButton(this, this, R + w(bfr), H + 105, -1, &bdm);
  mLinks.inputWaveSwitch = new IRnScopeWaveSwitch(this, this, R + w(bfr) + w(bdm), H + 105, -1,
                                                  &bin, Rawnfield::kScopeInputWave);
  mLinks.outputWaveSwitch =
      new IRnScopeWaveSwitch(this, this, R + w(bfr) + w(bdm) + w(bin), H + 105, -1, &bout,
                             Rawnfield::kScopeOutputWave);
  mLinks.freezeButton = new IRnFreezeButton(this, R, H + 100, -1, &bfr);
  IZoomTextControl* zoomText = new IZoomTextControl(
      this, IRECT(S + V - 139, H + 111, S + V - 149 + w(bzd), H + 127), &mTextZoom, "100 %");
  IRnZoomSwitch* zoomOut = new IRnZoomSwitch(this, S + V - 165, H + 105, 2, &bminus, kZoomOut);
  IRnZoomSwitch* zoomIn = new IRnZoomSwitch(this, S + V - 40, H + 105, 2, &bplus, kZoomIn);

  attachToPage(g, kScopePage, zoomDisplay);
  attachToPage(g, kScopePage, mLinks.waveDrawer);
  attachToPage(g, kScopePage, mLinks.freezeButton);
  attachToPage(g, kScopePage, zoomOut);
  attachToPage(g, kScopePage, zoomIn);
  attachToPage(g, kScopePage, zoomText);
  attachToPage(g, kScopePage, mLinks.inputWaveSwitch);
  attachToPage(g, kScopePage, mLinks.outputWaveSwitch);
  attachToPage(g, kScopePage, mLinks.drawModeButton);
  mLinks.zoomText = zoomText;
  mLinks.displays[kScopeDisplay].push_back(mLinks.waveDrawer);
  hidePage(g, kScopePage);
}
