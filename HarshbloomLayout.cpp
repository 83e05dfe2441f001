// The plug-in page's sections: input, distortion, filter, equaliser with its
// two pages, sub-band processor, preset row, information display and output.
// Every position follows the loaded images' sizes (w: width, h: the height of
// one frame), halves truncated.

#include <cstdio>

#include "DistoFxControls.h"
#include "Harshbloom.h"
#include "HarshbloomLayout.h"
#include "IGraphics.h"
#include "UiControls.h"

using HarshbloomLayout::h;
using HarshbloomLayout::kKnobFrames;
using HarshbloomLayout::w;

ITextControl* Harshbloom::attachText(IGraphics* g, ePage page, const IRECT& r, const char* text,
                                     IText* style) {
  ITextControl* c = new ITextControl(this, r, style, text);
  attachToPage(g, page, c);
  return c;
}

void Harshbloom::initInputUnit(IGraphics* g) {
  IBitmap bv = g->LoadIBitmap(3023, "resources/img/knobs/volume_knob.png", kKnobFrames);
  IBitmap bs = g->LoadIBitmap(3021, "resources/img/knobs/io_sat.png", kKnobFrames);
  IBitmap bo = g->LoadIBitmap(3001, "resources/img/knobs/offset_knob.png", kKnobFrames);
  IBitmap bc = g->LoadIBitmap(1002, "resources/img/buttons/channel_mode_button.png", 5);
  IBitmap bm = g->LoadIBitmap(1023, "resources/img/buttons/sat_mode_button.png", 3);

  const int xd = w(bv) + 75;           // DC-offset knob
  const int xs = w(bv) + 95 + w(bs);   // saturation knob
  const int cv = w(bv) / 2;
  const int cd = xd + w(bs) / 2;       // centred with the saturation knob's width
  const int cs = xs + w(bs) / 2;
  IText* t = &mTextLabel;

  attachToPage(g, kPlugPage,
               new ISwitchControl(this, xs + (w(bs) - w(bm)) / 2, h(bs) + 659, 3, &bm));
  attachToPage(g, kPlugPage, new ITextControl(this, IRECT(cv + 25, 612, cv + 85, 628), t, "In-Vol"));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, 55, 627, 0, &bv));
  attachToPage(g, kPlugPage,
               new IRnCaptionControl(this, IRECT(cv + 25, h(bv) + 627, cv + 85, h(bv) + 643), 0, t,
                                     kCaptionDecibel));
  attachToPage(g, kPlugPage,
               new ITextControl(this, IRECT(cd - 30, 627, cd + 30, 643), t, "DC-Offset"));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xd, 642, 1, &bo));
  attachToPage(g, kPlugPage,
               new IRnCaptionControl(this, IRECT(cd - 30, h(bs) + 642, cd + 30, h(bs) + 658), 1, t,
                                     kCaptionBipolar));
  attachToPage(g, kPlugPage, new ITextControl(this, IRECT(cs - 30, 627, cs + 30, 643), t, "In-Sat"));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xs, 642, 2, &bs));
  attachToPage(g, kPlugPage,
               new IRnCaptionControl(this, IRECT(cs - 30, h(bs) + 642, cs + 30, h(bs) + 658), 2, t,
                                     kCaptionPercent));
  ISwitchControl* mode = new ISwitchControl(this, 55 + cv - w(bc) / 2, h(bv) + 644, 4, &bc);
  attachToPage(g, kPlugPage, mode);
  mLinks.valueTexts[kInputModeTip] = mode;
}

void Harshbloom::initDistoUnit(IGraphics* g) {
  IBitmap bon = g->LoadIBitmap(1032, "resources/img/switches/on_off.png", 2);
  IBitmap bd = g->LoadIBitmap(3004, "resources/img/knobs/distortion_knob.png", kKnobFrames);
  IBitmap bb = g->LoadIBitmap(3002, "resources/img/knobs/bit_crash_knob.png", kKnobFrames);
  IBitmap br = g->LoadIBitmap(3005, "resources/img/knobs/sample_rate_knob.png", kKnobFrames);
  IBitmap bg = g->LoadIBitmap(3003, "resources/img/knobs/gate_knob.png", kKnobFrames);
  IBitmap bw = g->LoadIBitmap(3011, "resources/img/knobs/shaper_width_knob.png", kKnobFrames);
  IBitmap bt = g->LoadIBitmap(3009, "resources/img/knobs/RN_DynShaper_Type_3_states_40px.png", 3);
  IBitmap bprev = g->LoadIBitmap(1020, "resources/img/buttons/prev_button.png", 2);
  IBitmap bnext = g->LoadIBitmap(1016, "resources/img/buttons/next_button.png", 2);
  IBitmap bi = g->LoadIBitmap(1010, "resources/img/buttons/interp_mode_button.png", 2);
  IBitmap bmode = g->LoadIBitmap(1015, "resources/img/buttons/mode_button.png", 2);
  IBitmap bdm = g->LoadIBitmap(5001, "resources/img/buttons/disto_mode_button_3_states.png", 3);
  IBitmap binv = g->LoadIBitmap(1011, "resources/img/buttons/invert_button_48x40.png", 2);
  IBitmap bpv = g->LoadIBitmap(2003, "resources/img/displays/disto_preview_display.png", 1);
  IBitmap bcv = g->LoadIBitmap(2002, "resources/img/displays/disto_curve_display.png", 1);
  IBitmap bn = g->LoadIBitmap(2004, "resources/img/displays/disto_name_display.png", 1);
  IBitmap bpol = g->LoadIBitmap(1019, "resources/img/buttons/signal_pos_neg_both_48x60.png", 3);
  IBitmap brs = g->LoadIBitmap(1022, "resources/img/buttons/restore_on_off_48x40.png", 2);
  IBitmap bpre = g->LoadIBitmap(5005, "resources/img/buttons/pre_3_states.png", 3);
  IBitmap bpost = g->LoadIBitmap(5004, "resources/img/buttons/post_3_states.png", 3);

  const int xc = 325 - w(bcv) / 2;  // curve display, on the editor's middle column
  const int xn = 325 - w(bn) / 2;   // type display
  const int xr = 479 - w(bcv) / 2;  // shaper amount knob
  const int xm = 478 - w(bcv) / 2;  // shaper switches
  const int xw = xr + w(bd) + 15;   // width knob
  const int xt = xw + w(bw) + 15;   // waveform knob
  const int b = w(bb);              // the crusher row's spacing
  IText* t = &mTextLabel;

  {
    KIT_MutexLock lock(GetMutex());
    mDistoFx.updateDynShaperGuiData(mShaperCurvePicture, kCurvePicturePoints, mShaperPreviewPicture,
                                    kPreviewPicturePoints);
    mDistoFx.updateDistoGuiData(mDistoCurvePicture, kCurvePicturePoints, mDistoPreviewPicture,
                                kPreviewPicturePoints);
  }
  using Rawnfield::IRnDistortionCurveEditor;
  IRnDistortionCurveEditor* area = new IRnDistortionCurveEditor(
      this, this, mDistoCurvePicture, mShaperCurvePicture, kCurvePicturePoints, xc, 123, &bcv,
      IChannelBlend::kBlendAlpha, GetMutex());
  area->SetTooltip("Distortion Curve Draw Area");
  area->EnableHighlight(true);
  IRnDistortionCurveEditor* preview = new IRnDistortionCurveEditor(
      this, this, mDistoPreviewPicture, mShaperPreviewPicture, kPreviewPicturePoints, 57, 123, &bpv,
      IChannelBlend::kBlendAlpha, GetMutex());
  preview->SetTooltip("Distortion Curve Signal Preview");
  preview->EnableHighlight(false);
  area->SetCompanion(preview);
  attachToPage(g, kPlugPage, area);
  attachToPage(g, kPlugPage, preview);
  mLinks.curveEditor = area;
  mLinks.curvePreview = preview;
  mLinks.displays[kCurveEditor].push_back(area);
  mLinks.displays[kCurvePreview].push_back(preview);
  area->attachToEditor();
  // The drawn curve starts as the curve the effect holds.
  updateDistoCurveDisplay();

  auto text = [&](IRECT r, const char* s, IText* style) {
    ITextControl* c = new ITextControl(this, r, style, s);
    attachToPage(g, kPlugPage, c);
    return c;
  };
  auto valueText = [&](eValueText which, IRECT r, const char* s, IText* style) {
    mLinks.valueTexts[which] = text(r, s, style);
  };
  auto modeStep = [&](const IBitmap& bitmap, int x, int y, int target, int positions,
                      const double& value, bool wrap, int direction) {
    IRnModeSwitch* c =
        new IRnModeSwitch(this, x, y, -1, target, positions, value, &bitmap, wrap, direction);
    attachToPage(g, kPlugPage, c);
    return c;
  };
  const Rawnfield::RNFxProgram& rec = mLiveProgram.getProgram();

  text(IRECT(xc, h(bcv) + 126, xc + w(bcv), h(bcv) + 142), "Distortion Curve", t);
  text(IRECT(w(bpv) / 2 - 7, h(bpv) + 126, w(bpv) / 2 + 122, h(bpv) + 142), "Curve Preview", t);
  valueText(kInterpolationText,
            IRECT(w(bpv) / 2 - 7, h(bpv) + 141, w(bpv) / 2 + 122, h(bpv) + 157), "interpolation",
            t);
  Rawnfield::IRnDistoPresetMenu* menu =
      new Rawnfield::IRnDistoPresetMenu(this, this, xn, 99, t, &bn, COLOR_TRANSPARENT);
  menu->SetTooltip("Drop-Down Distortion Curve Selection");
  attachToPage(g, kPlugPage, menu);
  text(IRECT(w(bd) / 2 + 167, 206, w(bd) / 2 + 227, 222), "Amount", t);
  attachToPage(g, kPlugPage,
               new ICaptionControl(
                   this, IRECT(w(bd) / 2 + 167, h(bd) + 221, w(bd) / 2 + 227, h(bd) + 237), 9, t));
  text(IRECT(b / 2 + 25, 221, b / 2 + 85, 237), "BitCrash", t);
  valueText(kBitDepthText, IRECT(b / 2 + 25, h(bb) + 236, b / 2 + 85, h(bb) + 252), "64 bit", t);
  text(IRECT(b + 40 + b / 2, 221, b + 100 + b / 2, 237), "SmpRate", t);
  valueText(kSampleRateText, IRECT(b + 40 + b / 2, h(bb) + 236, b + 100 + b / 2, h(bb) + 252),
            "44100 Hz", t);
  text(IRECT(2 * b + 55 + b / 2, 221, 2 * b + 115 + b / 2, 237), "Gate", t);
  valueText(kGateText, IRECT(2 * b + 55 + b / 2, h(bb) + 236, 2 * b + 115 + b / 2, h(bb) + 252),
            "-oo dB", t);
  attachToPage(g, kPlugPage, new ISwitchControl(this, 45, 81, 8, &bon));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, 197, 221, 9, &bd));
  // The type steps through its 43 positions and stops at both ends.
  modeStep(bprev, xn - w(bprev), 99, 10, 43, rec.distortion.type, false, kSwitchDown);
  modeStep(bnext, xn + w(bn), 99, 10, 43, rec.distortion.type, false, kSwitchUp);
  modeStep(bi, 197, 144, 12, 3, rec.distortion.interpolation, true, kSwitchUp)
      ->SetTooltip("Distortion Curve Interpolation");
  attachToPage(g, kPlugPage, new ISwitchControl(this, 197, 123, 11, &bdm));
  attachToPage(g, kPlugPage, new ISwitchControl(this, 197, 165, 13, &bpol));
  attachToPage(g, kPlugPage, new ISwitchControl(this, 66, 101, 14, &bpre));
  attachToPage(g, kPlugPage, new ISwitchControl(this, 131, 101, 15, &bpost));
  IRnRestoreCurveButton* restore = new IRnRestoreCurveButton(this, 197, 186, -1, &brs);
  restore->SetTooltip("Restore Original Curve");
  attachToPage(g, kPlugPage, restore);
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, 55, 236, 5, &bb));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, b + 70, 236, 6, &br));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, 2 * b + 85, 236, 7, &bg));
  const int cr = xr + w(bd) / 2;
  text(IRECT(cr - 30, 206, cr + 30, 222), "Amount", t);
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xr, 221, 16, &bd));
  attachToPage(g, kPlugPage,
               new ICaptionControl(this, IRECT(cr - 30, h(bd) + 221, cr + 30, h(bd) + 237), 16, t));
  attachToPage(g, kPlugPage, new ISwitchControl(this, xm, 144, 18, &binv));
  modeStep(bmode, xm, 123, 20, 4, rec.dynShaper.mode, true, kSwitchUp);
  attachToPage(g, kPlugPage, new ISwitchControl(this, xm, 165, 21, &bpol));
  const int cw = xw + w(bw) / 2;
  text(IRECT(cw - 30, 221, cw + 30, 237), "Width", t);
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xw, 236, 17, &bw));
  attachToPage(g, kPlugPage,
               new ICaptionControl(this, IRECT(cw - 30, h(bb) + 236, cw + 30, h(bb) + 252), 17, t));
  const int ct = xt + w(bw) / 2;
  text(IRECT(ct - 30, 221, ct + 30, 237), "Shape", t);
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xt, 236, 19, &bt));
  valueText(kShaperTypeText, IRECT(ct - 30, h(bb) + 236, ct + 30, h(bb) + 252), "shape", t);
  valueText(kShaperModeText, IRECT(xc, 246, xc + 129, 262), "shaper mode", &mTextRight);
}

void Harshbloom::initFilterUnit(IGraphics* g) {
  IBitmap bon = g->LoadIBitmap(1032, "resources/img/switches/on_off.png", 2);
  IBitmap bh = g->LoadIBitmap(4001, "resources/img/slider_handle.png", 1);
  IBitmap bsl = g->LoadIBitmap(4000, "resources/img/slider_background.png", 1);
  IBitmap bf = g->LoadIBitmap(3000, "resources/img/knobs/filter_knob.png", kKnobFrames);
  IBitmap bq = g->LoadIBitmap(3020, "resources/img/knobs/resonance_knob.png", kKnobFrames);
  IBitmap bdr = g->LoadIBitmap(3006, "resources/img/knobs/drive_knob.png", kKnobFrames);
  IBitmap btr = g->LoadIBitmap(3016, "resources/img/knobs/filter_transition_knob.png", 3);
  IBitmap bty = g->LoadIBitmap(2007, "resources/img/displays/filter_type_display.png", 1);

  const int d = w(bdr), q = w(bq);
  const int xq = d + 105 + q;                  // resonance knob
  const int xt = d + 125 + 2 * q;              // transition knob
  const int xm1 = d / 2 + 70 - w(bty) / 2;     // filter 1 menu
  const int xb = xm1 + 9 + w(bty);             // balance slider
  const int cf = w(bf) / 2 + 90 + d;           // cutoff column
  const int cq = xq + q / 2;
  const int ct = xt + w(btr) / 2;
  IText* t = &mTextLabel;
  auto text = [&](IRECT r, const char* s) {
    ITextControl* c = new ITextControl(this, r, t, s);
    attachToPage(g, kPlugPage, c);
    return c;
  };

  text(IRECT(d / 2 + 40, 335, d / 2 + 100, 351), "In-Drive");
  text(IRECT(cf - 30, 323, cf + 30, 339), "Cutoff");
  text(IRECT(cq - 30, 323, cq + 30, 339), "Reso/BW");
  text(IRECT(ct - 30, 335, ct + 30, 351), "Transition");
  attachToPage(g, kPlugPage,
               new ICaptionControl(this, IRECT(d / 2 + 40, 385, d / 2 + 100, 401), 23, t));
  mLinks.valueTexts[kFilterCutoffText] =
      text(IRECT(cf - 30, h(bf) + 338, cf + 30, h(bf) + 354), "cutoff");
  attachToPage(g, kPlugPage,
               new ICaptionControl(this, IRECT(cq - 30, h(bf) + 338, cq + 30, h(bf) + 354), 26, t));
  mLinks.valueTexts[kFilterTransitionText] = text(IRECT(ct - 30, 385, ct + 30, 401), "transition");
  mLinks.valueTexts[kFilterBalanceText] =
      text(IRECT(xb, 421, xb + w(bsl), 437), "filter balance text");
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, 70, 350, 23, &bdr));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, d + 90, 338, 25, &bf));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xq, 338, 26, &bq));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xt, 350, 29, &btr));
  attachToPage(g, kPlugPage, new ISwitchControl(this, 45, 296, 22, &bon));
  attachToPage(g, kPlugPage, new IBitmapControl(this, xb, 406, -1, &bsl));
  attachToPage(g, kPlugPage, new IFaderControl(this, xb, 405, w(bsl), 24, &bh, kHorizontal, false));
  using Rawnfield::IRnFilterUnitMenu;
  IRnFilterUnitMenu* menu1 = new IRnFilterUnitMenu(this, this, Rawnfield::kFxFilter1, xm1, 412, t,
                                                   &bty, COLOR_TRANSPARENT);
  menu1->SetTooltip("Drop-Down Left Filter 1 Type Selection");
  attachToPage(g, kPlugPage, menu1);
  IRnFilterUnitMenu* menu2 =
      new IRnFilterUnitMenu(this, this, Rawnfield::kFxFilter2, xt + d / 2 - w(bty) / 2 - 2, 412, t,
                            &bty, COLOR_TRANSPARENT);
  menu2->SetTooltip("Drop-Down Right Filter 2 Type Selection");
  attachToPage(g, kPlugPage, menu2);
  mLinks.displays[kFilter1TypeMenu].push_back(menu1);
  mLinks.displays[kFilter2TypeMenu].push_back(menu2);
}

void Harshbloom::initEqUnit(IGraphics* g) {
  IBitmap subTab = g->LoadIBitmap(1004, "resources/img/buttons/sub_band_tab.png", 2);
  IBitmap distoTab = g->LoadIBitmap(1003, "resources/img/buttons/disto_band_tab.png", 2);
  IBitmap bon = g->LoadIBitmap(1032, "resources/img/switches/on_off.png", 2);

  using Rawnfield::IEqTabButton;
  mLinks.subBandTab =
      new IEqTabButton(this, this, 328, 294, -1, Rawnfield::kSubBandEqTab, &subTab);
  mLinks.distoBandTab =
      new IEqTabButton(this, this, 467, 294, -1, Rawnfield::kDistoBandEqTab, &distoTab);
  attachToPage(g, kPlugPage, mLinks.subBandTab);
  attachToPage(g, kPlugPage, mLinks.distoBandTab);
  mLinks.subBandTab->SetTooltip("Sub-Band EQ Tab Button");
  mLinks.distoBandTab->SetTooltip("Disto-Band EQ Tab Button");

  // Each switch sits on its tab, 5 pixels in and 2 down.
  mLinks.subBandEqSwitch = new ISwitchControl(this, 333, 296, 41, &bon);
  mLinks.distoBandEqSwitch = new ISwitchControl(this, 472, 296, 30, &bon);
  attachToPage(g, kPlugPage, mLinks.subBandEqSwitch);
  attachToPage(g, kPlugPage, mLinks.distoBandEqSwitch);

  initSubBandEqUnit(mLinks.subBandTab);
  initDistoBandEqUnit(mLinks.distoBandTab);

  mLinks.subBandTab->SetActive(true);
  onSubBandTab(true);
}

void Harshbloom::initSubBandEqUnit(Rawnfield::IEqTabButton* tab) {
  static const int kParams[4] = {42, 43, 44, 45};
  initEqPage(editorSurface(), tab, kParams, kSubEqBassText, mSubBand.eq);
}

void Harshbloom::initDistoBandEqUnit(Rawnfield::IEqTabButton* tab) {
  static const int kParams[4] = {31, 32, 33, 34};
  initEqPage(editorSurface(), tab, kParams, kEqBassText, mDistoBandEq);
}

void Harshbloom::initEqPage(IGraphics* g, Rawnfield::IEqTabButton* tab, const int params[4],
                            eValueText firstText, const Rawnfield::Eq4Band& eq) {
  if (!g || !tab) return;
  IBitmap knobs[4] = {
      g->LoadIBitmap(3012, "resources/img/knobs/eq_bass_knob.png", kKnobFrames),
      g->LoadIBitmap(3015, "resources/img/knobs/eq_low_mid_knob.png", kKnobFrames),
      g->LoadIBitmap(3014, "resources/img/knobs/eq_high_mid_knob.png", kKnobFrames),
      g->LoadIBitmap(3013, "resources/img/knobs/eq_high_knob.png", kKnobFrames),
  };
  IBitmap display = g->LoadIBitmap(2006, "resources/img/displays/eq_freq_display.png", 1);
  // The page's controls belong to its tab, which shows and hides them.
  auto attach = [&](IControl* c) {
    tab->AddTabItem(g->AttachControl(c));
    return c;
  };

  const int b = w(knobs[0]);
  const int x[4] = {347, b + 362, 2 * b + 377, 3 * b + 392};
  // The high-mid column is centred with the low-mid knob's width.
  const int centre[4] = {x[0] + b / 2, x[1] + w(knobs[1]) / 2, x[2] + w(knobs[1]) / 2,
                         x[3] + w(knobs[3]) / 2};
  const char* const labels[4] = {"Bass", "Lo-Mid", "Hi-Mid", "High"};
  IText* const bandStyles[4] = {&mTextBandBass, &mTextBandLoMid, &mTextBandHiMid,
                                &mTextBandHigh};
  const int vt = 340 + h(knobs[0]), vb = 356 + h(knobs[0]);

  attach(new IBitmapControl(this, 341, 412, -1, &display));
  for (int k = 0; k < 4; ++k) {
    const int c = centre[k];
    attach(new IKnobMultiControl(this, x[k], 340, params[k], &knobs[k]));
    attach(new ITextControl(this, IRECT(c - 30, 325, c + 30, 341), &mTextLabel, labels[k]));
    mLinks.valueTexts[firstText + k] =
        attach(new ITextControl(this, IRECT(c - 30, vt, c + 30, vb), &mTextLabel, "0.0 dB"));
  }
  for (int k = 0; k < 4; ++k) {
    char text[32];
    snprintf(text, sizeof text, "%g Hz", eq.bands[k].frequency);
    const int c = centre[k];
    attach(new ITextControl(this, IRECT(c - 30, 416, c + 30, 432), bandStyles[k], text));
  }
}

void Harshbloom::initSubBandProcUnit(IGraphics* g) {
  IBitmap bon = g->LoadIBitmap(1032, "resources/img/switches/on_off.png", 2);
  IBitmap bg = g->LoadIBitmap(3017, "resources/img/knobs/gain_knob.png", kKnobFrames);
  IBitmap bd = g->LoadIBitmap(3004, "resources/img/knobs/distortion_knob.png", kKnobFrames);
  IBitmap bf = g->LoadIBitmap(3000, "resources/img/knobs/filter_knob.png", kKnobFrames);
  IBitmap bs = g->LoadIBitmap(3022, "resources/img/knobs/saturation_knob.png", kKnobFrames);
  IBitmap bc = g->LoadIBitmap(1002, "resources/img/buttons/channel_mode_button.png", 5);
  IBitmap bl = g->LoadIBitmap(1013, "resources/img/buttons/link_on_off.png", 2);
  IBitmap bm = g->LoadIBitmap(1023, "resources/img/buttons/sat_mode_button.png", 3);
  IBitmap bb = g->LoadIBitmap(2001, "resources/img/displays/band_display.png", 1);
  IBitmap bsl = g->LoadIBitmap(1000, "resources/img/buttons/band_filter_slope.png", 4);

  const int G = w(bg), F = w(bf);
  const int xs = G + 70, xd = 2 * G + 85, xlp = 3 * G + 100;  // saturation, distortion, low-pass
  const int xb = 3 * G + 114 + F;                               // band display
  const int xhp = xb + w(bb) + 14, xg2 = xhp + G + 15;          // high-pass, second gain
  const int cb = xb + w(bb) / 2;
  const int centre[6] = {55 + G / 2, xs + w(bs) / 2, xd + w(bd) / 2,
                         xlp + F / 2, xhp + F / 2,  xg2 + G / 2};
  const int vt = 488 + h(bg), vb = 504 + h(bg);
  IText* t = &mTextLabel;
  auto valueRow = [&](int column) {
    return IRECT(centre[column] - 30, vt, centre[column] + 30, vb);
  };

  Rawnfield::IBandFreqDispay* bands = new Rawnfield::IBandFreqDispay(this, this, xb, 480, &bb);
  bands->SetTooltip("Sub-/Disto-Band Frequency Display");
  attachToPage(g, kPlugPage, bands);
  mLinks.displays[kBandFreqDisplay].push_back(bands);
  attachText(g, kPlugPage, IRECT(cb - 30, 462, cb + 30, 478), "Sub-/Disto-Band Frequency", t);
  const char* const labels[6] = {"Gain", "Saturation", "Distortion",
                                 "Low-Pass", "High-Pass", "Gain"};
  for (int k = 0; k < 6; ++k)
    attachText(g, kPlugPage, IRECT(centre[k] - 30, 473, centre[k] + 30, 489), labels[k], t);
  attachToPage(g, kPlugPage, new IRnCaptionControl(this, valueRow(0), 37, t, kCaptionDecibel));
  attachToPage(g, kPlugPage, new IRnCaptionControl(this, valueRow(1), 38, t, kCaptionPercent));
  attachToPage(g, kPlugPage, new ICaptionControl(this, valueRow(2), 40, t, true));
  mLinks.valueTexts[kSubBandCutoffText] = attachText(g, kPlugPage, valueRow(3), "LP Freq.", t);
  mLinks.valueTexts[kDistoBandCutoffText] = attachText(g, kPlugPage, valueRow(4), "HP Freq.", t);
  attachToPage(g, kPlugPage, new IRnCaptionControl(this, valueRow(5), 51, t, kCaptionDecibel));
  attachToPage(g, kPlugPage, new ISwitchControl(this, 45, 446, 35, &bon));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, 55, 488, 37, &bg));
  ISwitchControl* mode =
      new ISwitchControl(this, 55 + w(bs) / 2 - w(bc) / 2, 504 + h(bg), 36, &bc);
  attachToPage(g, kPlugPage, mode);
  mLinks.valueTexts[kSubBandModeTip] = mode;
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xd, 488, 40, &bd));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xs, 488, 38, &bs));
  attachToPage(g, kPlugPage,
               new ISwitchControl(this, xs + (w(bs) - w(bm)) / 2, 504 + h(bs), 39, &bm));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xlp, 488, 47, &bf));
  attachToPage(g, kPlugPage,
               new ISwitchControl(this, xlp + (F - w(bsl)) / 2, 504 + h(bf), 48, &bsl));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xhp, 488, 49, &bf));
  attachToPage(g, kPlugPage,
               new ISwitchControl(this, xhp + (F - w(bsl)) / 2, 504 + h(bf), 50, &bsl));
  attachToPage(g, kPlugPage, new ISwitchControl(this, cb - w(bl) / 2, 485 + h(bb), 46, &bl));
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, xg2, 488, 51, &bg));
}

void Harshbloom::initPresetUnit(IGraphics* g) {
  IBitmap bpd = g->LoadIBitmap(2009, "resources/img/displays/preset_display.png", 1);
  IBitmap bprev = g->LoadIBitmap(1020, "resources/img/buttons/prev_button.png", 2);
  IBitmap bnext = g->LoadIBitmap(1016, "resources/img/buttons/next_button.png", 2);
  IBitmap bload = g->LoadIBitmap(1014, "resources/img/buttons/load_on_off_48x40.png", 2);
  IBitmap bsave = g->LoadIBitmap(1024, "resources/img/buttons/save_on_off_48x40.png", 2);
  IBitmap bbyp = g->LoadIBitmap(1001, "resources/img/buttons/bypass_fx_button_84x60.png", 2);

  const int P = w(bpd);
  const char kExtensions[] = "rn bgp";
  using Rawnfield::IRnFileSelector;
  IRnFileSelector* load = new IRnFileSelector(
      this, this, IRECT(P + 93, 582, P + 93 + w(bload), 582 + h(bload)), -1, &bload, kFileOpen,
      "", kExtensions);
  load->SetTooltip("Program Load Button");
  load->SetPanelTitle("Load Program");
  attachToPage(g, kPlugPage, load);
  IRnFileSelector* save = new IRnFileSelector(
      this, this, IRECT(P + 143, 582, P + 143 + w(bsave), 582 + h(bsave)), -1, &bsave, kFileSave,
      "", kExtensions);
  save->SetTooltip("Program Save Button");
  save->SetPanelTitle("Save Program");
  attachToPage(g, kPlugPage, save);
  attachToPage(g, kPlugPage,
               new IRnPresetSwitch(this, 63 - w(bprev), 582, -1, 2, &bprev, false, kSwitchDown));
  attachToPage(g, kPlugPage,
               new IRnPresetSwitch(this, 63 + P, 582, -1, 2, &bnext, false, kSwitchUp));
  attachToPage(g, kPlugPage, new ISwitchControl(this, P + 298, 577, 52, &bbyp));
  Rawnfield::IRnPresetMenu* menu =
      new Rawnfield::IRnPresetMenu(this, this, 63, 582, &mTextLabel, &bpd, COLOR_TRANSPARENT);
  menu->SetTooltip("Drop-Down Factory Preset Selection");
  attachToPage(g, kPlugPage, menu);
  mLinks.displays[kPresetDisplay].push_back(menu);
}

void Harshbloom::initDisplayUnit(IGraphics* g) {
  IBitmap bi = g->LoadIBitmap(2008, "resources/img/displays/info_display.png", 1);
  IBitmap brs = g->LoadIBitmap(1021, "resources/img/buttons/reset_on_off_48x40.png", 2);

  const int I = w(bi) / 2;  // the display is centred on the editor
  attachToPage(g, kPlugPage, new IBitmapControl(this, 325 - I, 708, -1, &bi));
  IRnHostInfoText* host =
      new IRnHostInfoText(this, IRECT(375 - I, 733, 635 - I, 749), &mTextHostInfo);
  attachToPage(g, kPlugPage, host);
  mLinks.displays[kHostInfoText].push_back(host);
  IRnMaxLevelText* level =
      new IRnMaxLevelText(this, IRECT(730 - I, 733, 850 - I, 749), &mTextMaxLevel);
  IRnResetButton* reset = new IRnResetButton(this, 675 - I, 730, -1, &brs);
  reset->SetTooltip("Reset Max Signal Level");
  attachToPage(g, kPlugPage, level);
  attachToPage(g, kPlugPage, reset);
  mLinks.displays[kMaxLevelText].push_back(level);
}

void Harshbloom::initOutputUnit(IGraphics* g) {
  IBitmap bv = g->LoadIBitmap(3023, "resources/img/knobs/volume_knob.png", kKnobFrames);
  IBitmap bp = g->LoadIBitmap(3019, "resources/img/knobs/pan_knob.png", kKnobFrames);
  IBitmap bo = g->LoadIBitmap(3021, "resources/img/knobs/io_sat.png", kKnobFrames);
  IBitmap bdw = g->LoadIBitmap(3007, "resources/img/knobs/dry_wet_knob.png", kKnobFrames);
  IBitmap bl = g->LoadIBitmap(3018, "resources/img/knobs/limiter_knob.png", kKnobFrames);
  // Drawn by no control: only its width places the limiter-mode switch.
  IBitmap bcm = g->LoadIBitmap(1012, "resources/img/buttons/clipper_mode_button.png", 4);
  IBitmap blm = g->LoadIBitmap(1112, "resources/img/buttons/limiter_mode_button.png", 2);
  IBitmap bsm = g->LoadIBitmap(1023, "resources/img/buttons/sat_mode_button.png", 3);
  IBitmap blp = g->LoadIBitmap(3008, "resources/img/knobs/lp_hq_knob.png", kKnobFrames);
  IBitmap bos = g->LoadIBitmap(1018, "resources/img/buttons/oversampling_button.png", 2);
  IBitmap bmu = g->LoadIBitmap(5000, "resources/img/switches/make_up_on_off.png", 2);
  IBitmap bsl = g->LoadIBitmap(1005, "resources/img/buttons/filter_slope.png", 2);
  IBitmap bhq = g->LoadIBitmap(1008, "resources/img/buttons/hq_filter_3_states.png", 3);

  // Right to left, one common pitch from the output saturation knob's width.
  const int W = w(bo);
  const int xl = 503 - W, xdw = 483 - 2 * W, xlp = 463 - 3 * W, xo = 443 - 4 * W,
            xp = 423 - 5 * W;
  const int vt = 642 + h(bo), vb = 658 + h(bo);
  IText* t = &mTextLabel;
  // A column: its knob, its label and its value below.
  auto column = [&](int x, const IBitmap& knob, int param, const char* label) {
    const int c = x + W / 2;
    IKnobMultiControl* k = new IKnobMultiControl(this, x, 642, param, &knob);
    attachToPage(g, kPlugPage, k);
    attachText(g, kPlugPage, IRECT(c - 30, 627, c + 30, 643), label, t);
    return k;
  };
  auto caption = [&](int x, int param, int kind) {
    const int c = x + W / 2;
    attachToPage(g, kPlugPage,
                 new IRnCaptionControl(this, IRECT(c - 30, vt, c + 30, vb), param, t, kind));
  };

  column(xp, bp, 53, "Pan");
  caption(xp, 53, kCaptionCentred);
  column(xlp, blp, 57, "LP/HP");
  const int clp = xlp + W / 2;
  mLinks.valueTexts[kSweepText] =
      attachText(g, kPlugPage, IRECT(clp - 40, vt, clp + 40, vb), "freq.", t);
  column(xo, bo, 54, "Out-Sat");
  caption(xo, 54, kCaptionPercent);
  column(xdw, bdw, 62, "Dry/Wet");
  caption(xdw, 62, kCaptionPercent);
  mLinks.displays[kLimiterLevelControl].push_back(column(xl, bl, 59, "Clipper"));
  caption(xl, 59, kCaptionDecibel);
  attachText(g, kPlugPage, IRECT(513, 640, 537, 656), "Auto", t);
  attachText(g, kPlugPage, IRECT(513, 656, 537, 672), "MU", t);
  attachToPage(g, kPlugPage, new ISwitchControl(this, 525 - w(bmu) / 2, 675, 64, &bmu));
  const int cv = 547 + w(bv) / 2;
  attachToPage(g, kPlugPage, new IKnobMultiControl(this, 547, 627, 63, &bv));
  attachText(g, kPlugPage, IRECT(cv - 30, 612, cv + 30, 628), "Out-Vol", t);
  attachToPage(g, kPlugPage,
               new IRnCaptionControl(this, IRECT(cv - 30, 627 + h(bv), cv + 30, 643 + h(bv)), 63,
                                     t, kCaptionDecibel));
  attachToPage(g, kPlugPage,
               new ISwitchControl(this, 547 + (w(bv) - w(bos)) / 2, 644 + h(bv), 61, &bos));
  attachToPage(g, kPlugPage,
               new ISwitchControl(this, xl + (w(bl) - w(bcm)) / 2, 659 + h(bl), 60, &blm));
  attachToPage(g, kPlugPage,
               new ISwitchControl(this, xlp + (w(blp) - w(bsl)) / 2, 659 + h(bl), 58, &bsl));
  attachToPage(g, kPlugPage,
               new ISwitchControl(this, xo + (W - w(bsm)) / 2, 659 + h(bo), 55, &bsm));
  ISwitchControl* hq =
      new ISwitchControl(this, xdw + (w(bdw) - w(bhq)) / 2, 659 + h(bl), 56, &bhq);
  attachToPage(g, kPlugPage, hq);
  mLinks.valueTexts[kHqFilterTip] = hq;
}
