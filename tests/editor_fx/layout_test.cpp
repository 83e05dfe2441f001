// Where the editor puts its controls: per section, a table of the kind of
// control, its rectangle (computed here from the loaded images' sizes) and
// its parameter, in attach order, every one on the plug-in page's list.

#include <string>
#include <typeinfo>
#include <vector>

#include "DistoFxControls.h"
#include "UiControls.h"
#include "editor_fx_fixture.h"

namespace {

using Rawnfield::IBandFreqDispay;
using Rawnfield::IEqTabButton;
using Rawnfield::IRnDistoPresetMenu;
using Rawnfield::IRnDistortionCurveEditor;
using Rawnfield::IRnDrawModeButton;
using Rawnfield::IRnFileSelector;
using Rawnfield::IRnFilterUnitMenu;
using Rawnfield::IRnPresetMenu;
using Rawnfield::IRnScopeWaveSwitch;
using Rawnfield::IRnTabButton;
using Rawnfield::IRnWaveDrawer;

// The kind of a control, most derived first.
std::string KindOf(IControl* c) {
  if (dynamic_cast<IRnDistortionCurveEditor*>(c)) return "curve";
  if (dynamic_cast<IRnDistoPresetMenu*>(c)) return "disto menu";
  if (dynamic_cast<IRnFilterUnitMenu*>(c)) return "filter menu";
  if (dynamic_cast<IRnPresetMenu*>(c)) return "preset menu";
  if (dynamic_cast<IRnTabButton*>(c)) return "page tab";
  if (dynamic_cast<IEqTabButton*>(c)) return "eq tab";
  if (dynamic_cast<IRnModeSwitch*>(c)) return "mode step";
  if (dynamic_cast<IRnRestoreCurveButton*>(c)) return "restore";
  if (dynamic_cast<IRnResetButton*>(c)) return "reset";
  if (dynamic_cast<IRnPresetSwitch*>(c)) return "preset step";
  if (dynamic_cast<IRnFileSelector*>(c)) return "file selector";
  if (dynamic_cast<IBandFreqDispay*>(c)) return "band display";
  if (dynamic_cast<IRnVuEyeDrawer*>(c)) return "eye";
  if (dynamic_cast<IRnWaveDrawer*>(c)) return "wave drawer";
  if (dynamic_cast<IRnDrawModeButton*>(c)) return "draw mode";
  if (dynamic_cast<IRnScopeWaveSwitch*>(c)) return "wave switch";
  if (dynamic_cast<IRnFreezeButton*>(c)) return "freeze";
  if (dynamic_cast<IRnZoomSwitch*>(c)) return "zoom step";
  if (dynamic_cast<IZoomTextControl*>(c)) return "zoom text";
  if (dynamic_cast<IRnHostInfoText*>(c)) return "host text";
  if (dynamic_cast<IRnMaxLevelText*>(c)) return "level text";
  if (dynamic_cast<IRnCaptionControl*>(c)) return "rn caption";
  if (dynamic_cast<ICaptionControl*>(c)) return "caption";
  if (dynamic_cast<ITextControl*>(c)) return "text";
  if (dynamic_cast<IKnobMultiControl*>(c)) return "knob";
  if (dynamic_cast<IFaderControl*>(c)) return "fader";
  if (dynamic_cast<ISwitchControl*>(c)) return "switch";
  if (dynamic_cast<IBitmapControl*>(c)) return "bitmap";
  return typeid(*c).name();
}

bool SameStyle(const IText& a, const IText& b) {
  return a.mSize == b.mSize && a.mColor == b.mColor && a.mAlign == b.mAlign &&
         std::string(a.mFont) == b.mFont;
}

struct Row {
  std::string kind;
  IRECT rect;
  int param;
  std::string text;  // fixed texts only
};

class Layout : public EditorFx {
protected:
  IBitmap B(int id, const char* name, int frames) { return g->LoadIBitmap(id, name, frames); }
  static int w(const IBitmap& b) { return b.FrameWidth(); }
  static int h(const IBitmap& b) { return b.FrameHeight(); }
  // An image control's rectangle at (x, y).
  static IRECT At(int x, int y, const IBitmap& b) { return IRECT(x, y, x + w(b), y + h(b)); }

  // The rows from control `first` on, each on the plug-in page's list in
  // the same order.
  void Expect(int first, const std::vector<Row>& rows) {
    ExpectOn(plug->getPageControls(Harshbloom::kPlugPage), true, first, rows);
  }
  // The rows from control `first` on, each on `page` in the same order and
  // shown or hidden.
  void ExpectOn(const std::vector<int>& page, bool shown, int first, const std::vector<Row>& rows) {
    size_t at = 0;
    while (at < page.size() && page[at] != first) ++at;
    ASSERT_LT(at, page.size()) << "control " << first << " is not on its page";
    for (size_t i = 0; i < rows.size(); ++i) {
      const int idx = first + int(i);
      IControl* c = g->GetControl(idx);
      ASSERT_NE(c, nullptr) << "row " << i + 1;
      EXPECT_EQ(KindOf(c), rows[i].kind) << "row " << i + 1;
      const IRECT& r = *c->GetRECT();
      EXPECT_EQ(r, rows[i].rect) << "row " << i + 1 << ": (" << r.L << ", " << r.T << ", " << r.R
                                 << ", " << r.B << ")";
      EXPECT_EQ(c->ParamIdx(), rows[i].param) << "row " << i + 1;
      if (!rows[i].text.empty()) {
        ITextControl* t = dynamic_cast<ITextControl*>(c);
        ASSERT_NE(t, nullptr) << "row " << i + 1;
        EXPECT_STREQ(t->GetTextForPlug(), rows[i].text.c_str()) << "row " << i + 1;
      }
      ASSERT_LT(at + i, page.size());
      EXPECT_EQ(page[at + i], idx) << "row " << i + 1 << " out of order on the page list";
      EXPECT_EQ(c->IsHidden(), !shown) << "row " << i + 1;
    }
  }
  // The first control of each section.
  static constexpr int kInput = 5, kDisto = 16, kFilter = 56, kEq = 74, kSubEq = 78,
                       kDistoEq = 95, kSubBand = 112, kPreset = 138, kDisplay = 144,
                       kOutput = 148, kAbout = 174, kScope = 183;
};

TEST_F(Layout, BackgroundsAndPageTabsComeFirst) {
  IBitmap controls = B(10002, "resources/img/Controls_Background.png", 1);
  ASSERT_EQ(g->Width(), 650);
  ASSERT_EQ(g->Height(), 830);
  EXPECT_EQ(*g->GetControl(0)->GetRECT(), IRECT(0, 0, 650, 830));
  EXPECT_EQ(*g->GetControl(1)->GetRECT(), At((650 - controls.W) / 2, 35, controls));
  const IRECT tabs[] = {{205, 782, 0, 0}, {285, 782, 0, 0}, {365, 782, 0, 0}};
  const Rawnfield::PlugTabs pages[] = {Rawnfield::kPlugTab, Rawnfield::kScopeTab,
                                       Rawnfield::kAboutTab};
  for (int i = 0; i < 3; ++i) {
    IRnTabButton* tab = ControlAt<IRnTabButton>(2 + i);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetTab(), pages[i]);
    EXPECT_EQ(tab->GetRECT()->L, tabs[i].L);
    EXPECT_EQ(tab->GetRECT()->T, tabs[i].T);
    EXPECT_EQ(tab->GetValue(), i == 0 ? 1.0 : 0.0);
  }
  // Page tabs belong to no page; the controls background to the plug-in page.
  for (int p = 0; p < Harshbloom::kNumPages; ++p)
    for (int idx : plug->getPageControls(Harshbloom::ePage(p)))
      EXPECT_TRUE(idx < 2 || idx > 4) << idx;
  EXPECT_EQ(plug->getPageControls(Harshbloom::kPlugPage).front(), 1);
}

TEST_F(Layout, InputSection) {
  IBitmap bv = B(3023, "resources/img/knobs/volume_knob.png", 128);
  IBitmap bs = B(3021, "resources/img/knobs/io_sat.png", 128);
  IBitmap bo = B(3001, "resources/img/knobs/offset_knob.png", 128);
  IBitmap bc = B(1002, "resources/img/buttons/channel_mode_button.png", 5);
  IBitmap bm = B(1023, "resources/img/buttons/sat_mode_button.png", 3);
  const int xd = w(bv) + 75, xs = w(bv) + 95 + w(bs), cv = w(bv) / 2;
  const int cd = xd + w(bs) / 2, cs = xs + w(bs) / 2;
  Expect(kInput, {
      {"switch", At(xs + (w(bs) - w(bm)) / 2, h(bs) + 659, bm), 3, ""},
      {"text", {cv + 25, 612, cv + 85, 628}, -1, "In-Vol"},
      {"knob", At(55, 627, bv), 0, ""},
      {"rn caption", {cv + 25, h(bv) + 627, cv + 85, h(bv) + 643}, 0, ""},
      {"text", {cd - 30, 627, cd + 30, 643}, -1, "DC-Offset"},
      {"knob", At(xd, 642, bo), 1, ""},
      {"rn caption", {cd - 30, h(bs) + 642, cd + 30, h(bs) + 658}, 1, ""},
      {"text", {cs - 30, 627, cs + 30, 643}, -1, "In-Sat"},
      {"knob", At(xs, 642, bs), 2, ""},
      {"rn caption", {cs - 30, h(bs) + 642, cs + 30, h(bs) + 658}, 2, ""},
      {"switch", At(55 + cv - w(bc) / 2, h(bv) + 644, bc), 4, ""},
  });
}

TEST_F(Layout, DistortionSection) {
  IBitmap bon = B(1032, "resources/img/switches/on_off.png", 2);
  IBitmap bd = B(3004, "resources/img/knobs/distortion_knob.png", 128);
  IBitmap bb = B(3002, "resources/img/knobs/bit_crash_knob.png", 128);
  IBitmap br = B(3005, "resources/img/knobs/sample_rate_knob.png", 128);
  IBitmap bg = B(3003, "resources/img/knobs/gate_knob.png", 128);
  IBitmap bw = B(3011, "resources/img/knobs/shaper_width_knob.png", 128);
  IBitmap bt = B(3009, "resources/img/knobs/RN_DynShaper_Type_3_states_40px.png", 3);
  IBitmap bprev = B(1020, "resources/img/buttons/prev_button.png", 2);
  IBitmap bnext = B(1016, "resources/img/buttons/next_button.png", 2);
  IBitmap bi = B(1010, "resources/img/buttons/interp_mode_button.png", 2);
  IBitmap bmode = B(1015, "resources/img/buttons/mode_button.png", 2);
  IBitmap bdm = B(5001, "resources/img/buttons/disto_mode_button_3_states.png", 3);
  IBitmap binv = B(1011, "resources/img/buttons/invert_button_48x40.png", 2);
  IBitmap bpv = B(2003, "resources/img/displays/disto_preview_display.png", 1);
  IBitmap bcv = B(2002, "resources/img/displays/disto_curve_display.png", 1);
  IBitmap bn = B(2004, "resources/img/displays/disto_name_display.png", 1);
  IBitmap bpol = B(1019, "resources/img/buttons/signal_pos_neg_both_48x60.png", 3);
  IBitmap brs = B(1022, "resources/img/buttons/restore_on_off_48x40.png", 2);
  IBitmap bpre = B(5005, "resources/img/buttons/pre_3_states.png", 3);
  IBitmap bpost = B(5004, "resources/img/buttons/post_3_states.png", 3);
  const int xc = 325 - w(bcv) / 2, xn = 325 - w(bn) / 2, xr = 479 - w(bcv) / 2;
  const int xm = 478 - w(bcv) / 2, xw = xr + w(bd) + 15, xt = xw + w(bw) + 15, b = w(bb);
  const int pv = w(bpv) / 2, cd = w(bd) / 2, cr = xr + w(bd) / 2, cw = xw + w(bw) / 2,
            ct = xt + w(bw) / 2;
  Expect(kDisto, {
      {"curve", At(xc, 123, bcv), -1, ""},
      {"curve", At(57, 123, bpv), -1, ""},
      {"text", {xc, h(bcv) + 126, xc + w(bcv), h(bcv) + 142}, -1, "Distortion Curve"},
      {"text", {pv - 7, h(bpv) + 126, pv + 122, h(bpv) + 142}, -1, "Curve Preview"},
      {"text", {pv - 7, h(bpv) + 141, pv + 122, h(bpv) + 157}, -1, "interpolation"},
      {"disto menu", At(xn, 99, bn), -1, ""},
      {"text", {cd + 167, 206, cd + 227, 222}, -1, "Amount"},
      {"caption", {cd + 167, h(bd) + 221, cd + 227, h(bd) + 237}, 9, ""},
      {"text", {b / 2 + 25, 221, b / 2 + 85, 237}, -1, "BitCrash"},
      {"text", {b / 2 + 25, h(bb) + 236, b / 2 + 85, h(bb) + 252}, -1, "64 bit"},
      {"text", {b + 40 + b / 2, 221, b + 100 + b / 2, 237}, -1, "SmpRate"},
      {"text", {b + 40 + b / 2, h(bb) + 236, b + 100 + b / 2, h(bb) + 252}, -1, "44100 Hz"},
      {"text", {2 * b + 55 + b / 2, 221, 2 * b + 115 + b / 2, 237}, -1, "Gate"},
      {"text", {2 * b + 55 + b / 2, h(bb) + 236, 2 * b + 115 + b / 2, h(bb) + 252}, -1, "-oo dB"},
      {"switch", At(45, 81, bon), 8, ""},
      {"knob", At(197, 221, bd), 9, ""},
      {"mode step", At(xn - w(bprev), 99, bprev), -1, ""},
      {"mode step", At(xn + w(bn), 99, bnext), -1, ""},
      {"mode step", At(197, 144, bi), -1, ""},
      {"switch", At(197, 123, bdm), 11, ""},
      {"switch", At(197, 165, bpol), 13, ""},
      {"switch", At(66, 101, bpre), 14, ""},
      {"switch", At(131, 101, bpost), 15, ""},
      {"restore", At(197, 186, brs), -1, ""},
      {"knob", At(55, 236, bb), 5, ""},
      {"knob", At(b + 70, 236, br), 6, ""},
      {"knob", At(2 * b + 85, 236, bg), 7, ""},
      {"text", {cr - 30, 206, cr + 30, 222}, -1, "Amount"},
      {"knob", At(xr, 221, bd), 16, ""},
      {"caption", {cr - 30, h(bd) + 221, cr + 30, h(bd) + 237}, 16, ""},
      {"switch", At(xm, 144, binv), 18, ""},
      {"mode step", At(xm, 123, bmode), -1, ""},
      {"switch", At(xm, 165, bpol), 21, ""},
      {"text", {cw - 30, 221, cw + 30, 237}, -1, "Width"},
      {"knob", At(xw, 236, bw), 17, ""},
      {"caption", {cw - 30, h(bb) + 236, cw + 30, h(bb) + 252}, 17, ""},
      {"text", {ct - 30, 221, ct + 30, 237}, -1, "Shape"},
      {"knob", At(xt, 236, bt), 19, ""},
      {"text", {ct - 30, h(bb) + 236, ct + 30, h(bb) + 252}, -1, "shape"},
      {"text", {xc, 246, xc + 129, 262}, -1, "shaper mode"},
  });

  // The step buttons: their targets, positions, wrapping and direction.
  struct Step {
    int idx, target, positions;
    bool wrap;
    int direction;
  } steps[] = {{kDisto + 16, 10, 43, false, 0},
               {kDisto + 17, 10, 43, false, 1},
               {kDisto + 18, 12, 3, true, 1},
               {kDisto + 31, 20, 4, true, 1}};
  for (const Step& s : steps) {
    IRnModeSwitch* m = ControlAt<IRnModeSwitch>(s.idx);
    ASSERT_NE(m, nullptr) << s.idx;
    EXPECT_EQ(m->GetTarget(), s.target) << s.idx;
    EXPECT_EQ(m->GetPositions(), s.positions) << s.idx;
    EXPECT_EQ(m->GetWrap(), s.wrap) << s.idx;
    EXPECT_EQ(m->GetDirection(), s.direction) << s.idx;
  }
  // The curve controls: points, the companion and the tool tips.
  IRnDistortionCurveEditor* area = ControlAt<IRnDistortionCurveEditor>(kDisto);
  IRnDistortionCurveEditor* preview = ControlAt<IRnDistortionCurveEditor>(kDisto + 1);
  EXPECT_EQ(area->NPoints(), 133);
  EXPECT_EQ(preview->NPoints(), 120);
  EXPECT_STREQ(area->GetTooltip(), "Distortion Curve Draw Area");
  EXPECT_STREQ(preview->GetTooltip(), "Distortion Curve Signal Preview");
  EXPECT_STREQ(g->GetControl(kDisto + 5)->GetTooltip(), "Drop-Down Distortion Curve Selection");
  EXPECT_STREQ(g->GetControl(kDisto + 18)->GetTooltip(), "Distortion Curve Interpolation");
  EXPECT_STREQ(g->GetControl(kDisto + 23)->GetTooltip(), "Restore Original Curve");
  EXPECT_EQ(plug->getCurveEditor(), &area->GetDrawnCurve());
}

TEST_F(Layout, FilterSection) {
  IBitmap bon = B(1032, "resources/img/switches/on_off.png", 2);
  IBitmap bh = B(4001, "resources/img/slider_handle.png", 1);
  IBitmap bsl = B(4000, "resources/img/slider_background.png", 1);
  IBitmap bf = B(3000, "resources/img/knobs/filter_knob.png", 128);
  IBitmap bq = B(3020, "resources/img/knobs/resonance_knob.png", 128);
  IBitmap bdr = B(3006, "resources/img/knobs/drive_knob.png", 128);
  IBitmap btr = B(3016, "resources/img/knobs/filter_transition_knob.png", 3);
  IBitmap bty = B(2007, "resources/img/displays/filter_type_display.png", 1);
  const int d = w(bdr), q = w(bq), xq = d + 105 + q, xt = d + 125 + 2 * q;
  const int xm1 = d / 2 + 70 - w(bty) / 2, xb = xm1 + 9 + w(bty);
  const int cf = w(bf) / 2 + 90 + d, cq = xq + q / 2, ct = xt + w(btr) / 2;
  Expect(kFilter, {
      {"text", {d / 2 + 40, 335, d / 2 + 100, 351}, -1, "In-Drive"},
      {"text", {cf - 30, 323, cf + 30, 339}, -1, "Cutoff"},
      {"text", {cq - 30, 323, cq + 30, 339}, -1, "Reso/BW"},
      {"text", {ct - 30, 335, ct + 30, 351}, -1, "Transition"},
      {"caption", {d / 2 + 40, 385, d / 2 + 100, 401}, 23, ""},
      {"text", {cf - 30, h(bf) + 338, cf + 30, h(bf) + 354}, -1, "cutoff"},
      {"caption", {cq - 30, h(bf) + 338, cq + 30, h(bf) + 354}, 26, ""},
      {"text", {ct - 30, 385, ct + 30, 401}, -1, "transition"},
      {"text", {xb, 421, xb + w(bsl), 437}, -1, "filter balance text"},
      {"knob", At(70, 350, bdr), 23, ""},
      {"knob", At(d + 90, 338, bf), 25, ""},
      {"knob", At(xq, 338, bq), 26, ""},
      {"knob", At(xt, 350, btr), 29, ""},
      {"switch", At(45, 296, bon), 22, ""},
      {"bitmap", At(xb, 406, bsl), -1, ""},
      {"fader", {xb, 405, xb + w(bsl), 405 + h(bh)}, 24, ""},
      {"filter menu", At(xm1, 412, bty), -1, ""},
      {"filter menu", At(xt + d / 2 - w(bty) / 2 - 2, 412, bty), -1, ""},
  });
  EXPECT_EQ(ControlAt<IRnFilterUnitMenu>(kFilter + 16)->GetKind(), Rawnfield::kFxFilter1);
  EXPECT_EQ(ControlAt<IRnFilterUnitMenu>(kFilter + 17)->GetKind(), Rawnfield::kFxFilter2);
  EXPECT_STREQ(g->GetControl(kFilter + 16)->GetTooltip(), "Drop-Down Left Filter 1 Type Selection");
  EXPECT_STREQ(g->GetControl(kFilter + 17)->GetTooltip(),
               "Drop-Down Right Filter 2 Type Selection");
}

TEST_F(Layout, EqualiserSectionOpensTheSubBandPage) {
  IBitmap sub = B(1004, "resources/img/buttons/sub_band_tab.png", 2);
  IBitmap disto = B(1003, "resources/img/buttons/disto_band_tab.png", 2);
  IBitmap bon = B(1032, "resources/img/switches/on_off.png", 2);
  Expect(kEq, {
      {"eq tab", At(328, 294, sub), -1, ""},
      {"eq tab", At(467, 294, disto), -1, ""},
      {"switch", At(333, 296, bon), 41, ""},
      {"switch", At(472, 296, bon), 30, ""},
  });
  IEqTabButton* subTab = ControlAt<IEqTabButton>(kEq);
  IEqTabButton* distoTab = ControlAt<IEqTabButton>(kEq + 1);
  EXPECT_EQ(subTab->GetTab(), Rawnfield::kSubBandEqTab);
  EXPECT_EQ(distoTab->GetTab(), Rawnfield::kDistoBandEqTab);
  EXPECT_EQ(subTab->GetValue(), 1.0);
  EXPECT_EQ(distoTab->GetValue(), 0.0);
  EXPECT_STREQ(subTab->GetTooltip(), "Sub-Band EQ Tab Button");
  EXPECT_STREQ(distoTab->GetTooltip(), "Disto-Band EQ Tab Button");
  // The open page's switch works; the other one lets clicks through to its tab.
  EXPECT_FALSE(g->GetControl(kEq + 2)->IsGrayed());
  EXPECT_TRUE(g->GetControl(kEq + 3)->IsGrayed());
}

// Both pages share their geometry: the sub-band page is open, the
// disto-band page hidden; each page's controls are on its tab's list only.
TEST_F(Layout, EqualiserPages) {
  IBitmap bass = B(3012, "resources/img/knobs/eq_bass_knob.png", 128);
  IBitmap lowMid = B(3015, "resources/img/knobs/eq_low_mid_knob.png", 128);
  IBitmap highMid = B(3014, "resources/img/knobs/eq_high_mid_knob.png", 128);
  IBitmap high = B(3013, "resources/img/knobs/eq_high_knob.png", 128);
  IBitmap display = B(2006, "resources/img/displays/eq_freq_display.png", 1);
  const int b = w(bass);
  const int x[4] = {347, b + 362, 2 * b + 377, 3 * b + 392};
  const int c[4] = {347 + b / 2, x[1] + w(lowMid) / 2, x[2] + w(lowMid) / 2, x[3] + w(high) / 2};
  const IBitmap* knobs[4] = {&bass, &lowMid, &highMid, &high};
  const char* labels[4] = {"Bass", "Lo-Mid", "Hi-Mid", "High"};
  const char* freqs[4] = {"150 Hz", "350 Hz", "1600 Hz", "4000 Hz"};
  const int vt = 340 + h(bass), vb = 356 + h(bass);
  struct Page {
    int first, tab, param;
    bool shown;
  } pages[] = {{kSubEq, kEq, 42, true}, {kDistoEq, kEq + 1, 31, false}};
  for (const Page& p : pages) {
    SCOPED_TRACE(p.first);
    std::vector<Row> rows = {{"bitmap", At(341, 412, display), -1, ""}};
    for (int k = 0; k < 4; ++k) {
      rows.push_back({"knob", At(x[k], 340, *knobs[k]), p.param + k, ""});
      rows.push_back({"text", {c[k] - 30, 325, c[k] + 30, 341}, -1, labels[k]});
      rows.push_back({"text", {c[k] - 30, vt, c[k] + 30, vb}, -1, "0.0 dB"});
    }
    for (int k = 0; k < 4; ++k)
      rows.push_back({"text", {c[k] - 30, 416, c[k] + 30, 432}, -1, freqs[k]});
    IEqTabButton* tab = ControlAt<IEqTabButton>(p.tab);
    ASSERT_EQ(tab->GetTabItems().size(), 17u);
    ExpectOn(tab->GetTabItems(), p.shown, p.first, rows);
    for (int page = 0; page < Harshbloom::kNumPages; ++page)
      for (int idx : plug->getPageControls(Harshbloom::ePage(page)))
        EXPECT_TRUE(idx < p.first || idx >= p.first + 17) << idx << " on page " << page;
  }
  // The frequencies in their bands' colours; the gain texts follow the
  // effect once its texts arrive.
  const IColor colours[4] = {COLOR_RN_RED, COLOR_RN_ORANGE, COLOR_RN_YELLOW, COLOR_RN_GREEN};
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(g->GetControl(kSubEq + 13 + k)->GetText()->mColor, colours[k]) << k;
  plug->SetParameterFromGUI(43, 0.5 + 1.5 / 48.0);
  plug->SetParameterFromGUI(33, 0.5);
  Tick();
  EXPECT_STREQ(ControlAt<ITextControl>(kSubEq + 6)->GetTextForPlug(), "+1.50 dB");
  EXPECT_STREQ(ControlAt<ITextControl>(kDistoEq + 9)->GetTextForPlug(), "0.00 dB");
}

TEST_F(Layout, SubBandProcessorSection) {
  IBitmap bon = B(1032, "resources/img/switches/on_off.png", 2);
  IBitmap bg = B(3017, "resources/img/knobs/gain_knob.png", 128);
  IBitmap bd = B(3004, "resources/img/knobs/distortion_knob.png", 128);
  IBitmap bf = B(3000, "resources/img/knobs/filter_knob.png", 128);
  IBitmap bs = B(3022, "resources/img/knobs/saturation_knob.png", 128);
  IBitmap bc = B(1002, "resources/img/buttons/channel_mode_button.png", 5);
  IBitmap bl = B(1013, "resources/img/buttons/link_on_off.png", 2);
  IBitmap bm = B(1023, "resources/img/buttons/sat_mode_button.png", 3);
  IBitmap bb = B(2001, "resources/img/displays/band_display.png", 1);
  IBitmap bsl = B(1000, "resources/img/buttons/band_filter_slope.png", 4);
  const int G = w(bg), F = w(bf);
  const int xs = G + 70, xd = 2 * G + 85, xlp = 3 * G + 100, xb = 3 * G + 114 + F;
  const int xhp = xb + w(bb) + 14, xg2 = xhp + G + 15, cb = xb + w(bb) / 2;
  const int cg = 55 + G / 2, cs = xs + w(bs) / 2, cd = xd + w(bd) / 2, clp = xlp + F / 2,
            chp = xhp + F / 2, cg2 = xg2 + G / 2;
  const int vt = 488 + h(bg), vb = 504 + h(bg);
  auto label = [](int c) { return IRECT(c - 30, 473, c + 30, 489); };
  auto value = [&](int c) { return IRECT(c - 30, vt, c + 30, vb); };
  Expect(kSubBand, {
      {"band display", At(xb, 480, bb), -1, ""},
      {"text", {cb - 30, 462, cb + 30, 478}, -1, "Sub-/Disto-Band Frequency"},
      {"text", label(cg), -1, "Gain"},
      {"text", label(cs), -1, "Saturation"},
      {"text", label(cd), -1, "Distortion"},
      {"text", label(clp), -1, "Low-Pass"},
      {"text", label(chp), -1, "High-Pass"},
      {"text", label(cg2), -1, "Gain"},
      {"rn caption", value(cg), 37, ""},
      {"rn caption", value(cs), 38, ""},
      {"caption", value(cd), 40, ""},
      {"text", value(clp), -1, ""},
      {"text", value(chp), -1, ""},
      {"rn caption", value(cg2), 51, ""},
      {"switch", At(45, 446, bon), 35, ""},
      {"knob", At(55, 488, bg), 37, ""},
      {"switch", At(55 + w(bs) / 2 - w(bc) / 2, 504 + h(bg), bc), 36, ""},
      {"knob", At(xd, 488, bd), 40, ""},
      {"knob", At(xs, 488, bs), 38, ""},
      {"switch", At(xs + (w(bs) - w(bm)) / 2, 504 + h(bs), bm), 39, ""},
      {"knob", At(xlp, 488, bf), 47, ""},
      {"switch", At(xlp + (F - w(bsl)) / 2, 504 + h(bf), bsl), 48, ""},
      {"knob", At(xhp, 488, bf), 49, ""},
      {"switch", At(xhp + (F - w(bsl)) / 2, 504 + h(bf), bsl), 50, ""},
      {"switch", At(cb - w(bl) / 2, 485 + h(bb), bl), 46, ""},
      {"knob", At(xg2, 488, bg), 51, ""},
  });
  EXPECT_STREQ(g->GetControl(kSubBand)->GetTooltip(), "Sub-/Disto-Band Frequency Display");
  // The cutoff texts and the mode's tool tip follow the effect.
  Tick();
  const auto& crossover = plug->getSubBandProcessor().crossover;
  char text[64];
  snprintf(text, sizeof text, "%.1lfHz", crossover.getSubBandFilterCutoffFreqHz());
  EXPECT_STREQ(ControlAt<ITextControl>(kSubBand + 11)->GetTextForPlug(), text);
  snprintf(text, sizeof text, "%.1lfHz", crossover.getDistoBandFilterCutoffFreqHz());
  EXPECT_STREQ(ControlAt<ITextControl>(kSubBand + 12)->GetTextForPlug(), text);
  plug->SetParameterFromGUI(36, 0.4);
  Tick();
  EXPECT_STREQ(g->GetControl(kSubBand + 16)->GetTooltip(), "Sub-Band Channel Mode: Mono Mix (L+R)");
}

TEST_F(Layout, PresetRowAndInformationDisplay) {
  IBitmap bpd = B(2009, "resources/img/displays/preset_display.png", 1);
  IBitmap bprev = B(1020, "resources/img/buttons/prev_button.png", 2);
  IBitmap bnext = B(1016, "resources/img/buttons/next_button.png", 2);
  IBitmap bload = B(1014, "resources/img/buttons/load_on_off_48x40.png", 2);
  IBitmap bsave = B(1024, "resources/img/buttons/save_on_off_48x40.png", 2);
  IBitmap bbyp = B(1001, "resources/img/buttons/bypass_fx_button_84x60.png", 2);
  IBitmap bi = B(2008, "resources/img/displays/info_display.png", 1);
  IBitmap brs = B(1021, "resources/img/buttons/reset_on_off_48x40.png", 2);
  const int P = w(bpd), I = w(bi) / 2;
  Expect(kPreset, {
      {"file selector", At(P + 93, 582, bload), -1, ""},
      {"file selector", At(P + 143, 582, bsave), -1, ""},
      {"preset step", At(63 - w(bprev), 582, bprev), -1, ""},
      {"preset step", At(63 + P, 582, bnext), -1, ""},
      {"switch", At(P + 298, 577, bbyp), 52, ""},
      {"preset menu", At(63, 582, bpd), -1, ""},
      {"bitmap", At(325 - I, 708, bi), -1, ""},
      {"host text", {375 - I, 733, 635 - I, 749}, -1, ""},
      {"level text", {730 - I, 733, 850 - I, 749}, -1, ""},
      {"reset", At(675 - I, 730, brs), -1, ""},
  });
  const struct {
    int idx;
    const char* tip;
  } tips[] = {{kPreset, "Program Load Button"},
              {kPreset + 1, "Program Save Button"},
              {kPreset + 5, "Drop-Down Factory Preset Selection"},
              {kDisplay + 3, "Reset Max Signal Level"}};
  for (const auto& t : tips) EXPECT_STREQ(g->GetControl(t.idx)->GetTooltip(), t.tip) << t.idx;
  EXPECT_EQ(ControlAt<IRnHostInfoText>(kDisplay + 1)->GetText()->mAlign, IText::kAlignNear);
  EXPECT_EQ(ControlAt<IRnMaxLevelText>(kDisplay + 2)->GetText()->mColor, COLOR_RN_CYAN);
}

TEST_F(Layout, OutputSection) {
  IBitmap bv = B(3023, "resources/img/knobs/volume_knob.png", 128);
  IBitmap bp = B(3019, "resources/img/knobs/pan_knob.png", 128);
  IBitmap bo = B(3021, "resources/img/knobs/io_sat.png", 128);
  IBitmap bdw = B(3007, "resources/img/knobs/dry_wet_knob.png", 128);
  IBitmap bl = B(3018, "resources/img/knobs/limiter_knob.png", 128);
  IBitmap bcm = B(1012, "resources/img/buttons/clipper_mode_button.png", 4);
  IBitmap blm = B(1112, "resources/img/buttons/limiter_mode_button.png", 2);
  IBitmap bsm = B(1023, "resources/img/buttons/sat_mode_button.png", 3);
  IBitmap blp = B(3008, "resources/img/knobs/lp_hq_knob.png", 128);
  IBitmap bos = B(1018, "resources/img/buttons/oversampling_button.png", 2);
  IBitmap bmu = B(5000, "resources/img/switches/make_up_on_off.png", 2);
  IBitmap bsl = B(1005, "resources/img/buttons/filter_slope.png", 2);
  IBitmap bhq = B(1008, "resources/img/buttons/hq_filter_3_states.png", 3);
  const int W = w(bo);
  const int xl = 503 - W, xdw = 483 - 2 * W, xlp = 463 - 3 * W, xo = 443 - 4 * W,
            xp = 423 - 5 * W;
  const int vt = 642 + h(bo), vb = 658 + h(bo), cv = 547 + w(bv) / 2;
  auto label = [&](int x) { return IRECT(x + W / 2 - 30, 627, x + W / 2 + 30, 643); };
  auto value = [&](int x, int half) { return IRECT(x + W / 2 - half, vt, x + W / 2 + half, vb); };
  Expect(kOutput, {
      {"knob", At(xp, 642, bp), 53, ""},
      {"text", label(xp), -1, "Pan"},
      {"rn caption", value(xp, 30), 53, ""},
      {"knob", At(xlp, 642, blp), 57, ""},
      {"text", label(xlp), -1, "LP/HP"},
      {"text", value(xlp, 40), -1, ""},
      {"knob", At(xo, 642, bo), 54, ""},
      {"text", label(xo), -1, "Out-Sat"},
      {"rn caption", value(xo, 30), 54, ""},
      {"knob", At(xdw, 642, bdw), 62, ""},
      {"text", label(xdw), -1, "Dry/Wet"},
      {"rn caption", value(xdw, 30), 62, ""},
      {"knob", At(xl, 642, bl), 59, ""},
      {"text", label(xl), -1, "Clipper"},
      {"rn caption", value(xl, 30), 59, ""},
      {"text", {513, 640, 537, 656}, -1, "Auto"},
      {"text", {513, 656, 537, 672}, -1, "MU"},
      {"switch", At(525 - w(bmu) / 2, 675, bmu), 64, ""},
      {"knob", At(547, 627, bv), 63, ""},
      {"text", {cv - 30, 612, cv + 30, 628}, -1, "Out-Vol"},
      {"rn caption", {cv - 30, 627 + h(bv), cv + 30, 643 + h(bv)}, 63, ""},
      {"switch", At(547 + (w(bv) - w(bos)) / 2, 644 + h(bv), bos), 61, ""},
      {"switch", At(xl + (w(bl) - w(bcm)) / 2, 659 + h(bl), blm), 60, ""},
      {"switch", At(xlp + (w(blp) - w(bsl)) / 2, 659 + h(bl), bsl), 58, ""},
      {"switch", At(xo + (W - w(bsm)) / 2, 659 + h(bo), bsm), 55, ""},
      {"switch", At(xdw + (w(bdw) - w(bhq)) / 2, 659 + h(bl), bhq), 56, ""},
  });
  // The sweep's frequency, the filter's tool tip and the greyed limiter
  // follow the effect.
  plug->SetParameterFromGUI(57, 0.25);
  plug->SetParameterFromGUI(60, 0.0);
  Tick();
  char text[32];
  snprintf(text, sizeof text, "%d Hz", int(plug->getDumpExpand().getDumpExpandFreq()));
  EXPECT_STREQ(ControlAt<ITextControl>(kOutput + 5)->GetTextForPlug(), text);
  EXPECT_STREQ(g->GetControl(kOutput + 25)->GetTooltip(),
               plug->getHqFilterUnit().getDescription().c_str());
  EXPECT_TRUE(g->GetControl(kOutput + 12)->IsGrayed());
  plug->SetParameterFromGUI(60, 1.0);
  Tick();
  EXPECT_FALSE(g->GetControl(kOutput + 12)->IsGrayed());
}

// The about page: eyes under the logo, every image centred on the
// editor's middle; hidden until its tab is pressed.
TEST_F(Layout, AboutPage) {
  IBitmap logo = B(10005, "resources/img/Rawnfield_logo_txt_570x380.png", 1);
  IBitmap team = B(10003, "resources/img/RN_Team_Text.png", 1);
  IBitmap version = B(2000, "resources/img/displays/version_info_display_pro.png", 1);
  IBitmap app = B(10000, "resources/img/app_logo.png", 1);
  const std::vector<int>& page = plug->getPageControls(Harshbloom::kAboutPage);
  ASSERT_EQ(page.size(), 9u);
  ExpectOn(page, false, kAbout, {
      {"eye", {223, 186, 295, 220}, -1, ""},
      {"eye", {355, 186, 427, 220}, -1, ""},
      {"bitmap", At(325 - w(logo) / 2, 50, logo), -1, ""},
      {"bitmap", At(325 - w(team) / 2, 575, team), -1, ""},
      {"bitmap", At(325 - w(app) / 2, 645, app), -1, ""},
      {"bitmap", At(325 - w(version) / 2, 410, version), -1, ""},
      {"text", {115, 440, 535, 456}, -1, Rawnfield::VersionInfo().getLongText()},
      {"text", {115, 462, 535, 478}, -1, "Dual-Band Distortion"},
      {"text", {115, 528, 535, 544}, -1, plug->getTechHostOsInfoString()},
  });
  for (int i = 6; i < 9; ++i)
    EXPECT_TRUE(SameStyle(*g->GetControl(kAbout + i)->GetText(), plug->mTextAbout)) << i;
}

// The scope page, with the spacings of its button row, hidden until its
// tab is pressed.
TEST_F(Layout, ScopePage) {
  IBitmap bminus = B(5002, "resources/img/switches/minus_25px.png", 2);
  IBitmap bplus = B(5003, "resources/img/switches/plus_25px.png", 2);
  IBitmap bzd = B(2011, "resources/img/displays/zoom_display.png", 1);
  IBitmap bfr = B(1006, "resources/img/buttons/freeze_scope_button.png", 2);
  IBitmap bwd = B(2010, "resources/img/displays/wave_display.png", 1);
  IBitmap bdm = B(1007, "resources/img/buttons/hollow_half_filled_scope_button.png", 3);
  IBitmap bin = B(1009, "resources/img/buttons/input_on_off.png", 2);
  IBitmap bout = B(1017, "resources/img/buttons/output_on_off.png", 2);
  const int V = w(bwd), H = h(bwd), S = 325 - V / 2, R = 335 - V / 2;
  const std::vector<int>& page = plug->getPageControls(Harshbloom::kScopePage);
  ASSERT_EQ(page.size(), 9u);
  ExpectOn(page, false, kScope, {
      {"bitmap", At(S + V - 145, H + 102, bzd), -1, ""},
      {"wave drawer", At(S, 100, bwd), -1, ""},
      {"freeze", At(R, H + 100, bfr), -1, ""},
      {"zoom step", At(S + V - 165, H + 105, bminus), -1, ""},
      {"zoom step", At(S + V - 40, H + 105, bplus), -1, ""},
      {"zoom text", {S + V - 139, H + 111, S + V - 149 + w(bzd), H + 127}, -1, ""},
      {"wave switch", At(R + w(bfr) + w(bdm), H + 105, bin), -1, ""},
      {"wave switch", At(R + w(bfr) + w(bdm) + w(bin), H + 105, bout), -1, ""},
      {"draw mode", At(R + w(bfr), H + 105, bdm), -1, ""},
  });
  EXPECT_EQ(ControlAt<IRnZoomSwitch>(kScope + 3)->GetDirection(), kZoomOut);
  EXPECT_EQ(ControlAt<IRnZoomSwitch>(kScope + 4)->GetDirection(), kZoomIn);
  EXPECT_EQ(ControlAt<IRnScopeWaveSwitch>(kScope + 6)->GetType(), Rawnfield::kScopeInputWave);
  EXPECT_EQ(ControlAt<IRnScopeWaveSwitch>(kScope + 7)->GetType(), Rawnfield::kScopeOutputWave);
  EXPECT_TRUE(SameStyle(*g->GetControl(kScope + 5)->GetText(), plug->mTextZoom));
  IRnWaveDrawer* scope = ControlAt<IRnWaveDrawer>(kScope + 1);
  const IRECT& r = *scope->GetRECT();
  EXPECT_EQ(scope->GetScopeRECT(), IRECT(r.L + 5, r.T + 5, r.R - 5, r.B - 5));
  EXPECT_EQ(scope->GetAmplitude(), (H - 10) / 4);
  // Wide enough for one column per ring entry.
  EXPECT_GE(scope->GetScopeRECT().W(), plug->getScopeRing().capacity());
}

TEST_F(Layout, EveryControlStaysOnTheEditor) {
  for (int i = 0; i < g->NControls(); ++i) {
    const IRECT& r = *g->GetControl(i)->GetRECT();
    if (r.Empty()) continue;  // the invisible watcher
    EXPECT_GE(r.L, 0) << i;
    EXPECT_GE(r.T, 0) << i;
    EXPECT_LE(r.R, 650) << i;
    EXPECT_LE(r.B, 830) << i;
  }
}

// Images that must not overlap: every image control of the plug-in page
// and its open equaliser page against every other one, except those that
// sit on another by design.
TEST_F(Layout, ImageControlsDoNotOverlap) {
  std::vector<int> images;
  for (int i = kInput; i < kAbout; ++i) {
    IControl* c = g->GetControl(i);
    if (dynamic_cast<ITextControl*>(c)) continue;
    if (i >= kDistoEq && i < kDistoEq + 17) continue;        // the page under the open one
    if (i == kFilter + 14 || i == kFilter + 15) continue;  // the slider on its track
    if (i == kEq + 2 || i == kEq + 3) continue;            // the switches on their tabs
    if (i == kDisplay || i == kDisplay + 3) continue;      // the reset button on its display
    images.push_back(i);
  }
  for (size_t a = 0; a < images.size(); ++a)
    for (size_t b = a + 1; b < images.size(); ++b) {
      const IRECT& ra = *g->GetControl(images[a])->GetRECT();
      const IRECT& rb = *g->GetControl(images[b])->GetRECT();
      const bool overlap = ra.L < rb.R && rb.L < ra.R && ra.T < rb.B && rb.T < ra.B;
      EXPECT_FALSE(overlap) << images[a] << " and " << images[b];
    }
}

TEST_F(Layout, ParameterControlsShowTheirParameterNames) {
  int named = 0;
  for (int i = 0; i < g->NControls(); ++i) {
    IControl* c = g->GetControl(i);
    if (c->ParamIdx() < 0 || c == g->GetControl(kInput + 10)) continue;
    EXPECT_STREQ(c->GetTooltip(), plug->GetParam(c->ParamIdx())->GetNameForHost()) << i;
    ++named;
  }
  EXPECT_GT(named, 30);
  EXPECT_TRUE(g->TooltipsEnabled());
}

}  // namespace
