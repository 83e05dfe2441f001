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

using Rawnfield::IEqTabButton;
using Rawnfield::IRnDistoPresetMenu;
using Rawnfield::IRnDistortionCurveEditor;
using Rawnfield::IRnFilterUnitMenu;
using Rawnfield::IRnTabButton;

// The kind of a control, most derived first.
std::string KindOf(IControl* c) {
  if (dynamic_cast<IRnDistortionCurveEditor*>(c)) return "curve";
  if (dynamic_cast<IRnDistoPresetMenu*>(c)) return "disto menu";
  if (dynamic_cast<IRnFilterUnitMenu*>(c)) return "filter menu";
  if (dynamic_cast<IRnTabButton*>(c)) return "page tab";
  if (dynamic_cast<IEqTabButton*>(c)) return "eq tab";
  if (dynamic_cast<IRnModeSwitch*>(c)) return "mode step";
  if (dynamic_cast<IRnRestoreCurveButton*>(c)) return "restore";
  if (dynamic_cast<IRnCaptionControl*>(c)) return "rn caption";
  if (dynamic_cast<ICaptionControl*>(c)) return "caption";
  if (dynamic_cast<ITextControl*>(c)) return "text";
  if (dynamic_cast<IKnobMultiControl*>(c)) return "knob";
  if (dynamic_cast<IFaderControl*>(c)) return "fader";
  if (dynamic_cast<ISwitchControl*>(c)) return "switch";
  if (dynamic_cast<IBitmapControl*>(c)) return "bitmap";
  return typeid(*c).name();
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
    const std::vector<int>& page = plug->getPageControls(Harshbloom::kPlugPage);
    size_t at = 0;
    while (at < page.size() && page[at] != first) ++at;
    ASSERT_LT(at, page.size()) << "control " << first << " is not on the plug-in page";
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
      EXPECT_FALSE(c->IsHidden()) << "row " << i + 1;
    }
  }
  // The first control of each section.
  static constexpr int kInput = 5, kDisto = 16, kFilter = 56, kEq = 74;
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

// Images that must not overlap: every image control of these sections
// against every other one, except the equaliser switches, which sit on
// their tabs by design.
TEST_F(Layout, ImageControlsDoNotOverlap) {
  std::vector<int> images;
  for (int i = kInput; i < kEq + 4; ++i) {
    IControl* c = g->GetControl(i);
    if (dynamic_cast<ITextControl*>(c)) continue;
    if (i == kFilter + 14 || i == kFilter + 15) continue;  // the slider on its track
    if (i == kEq + 2 || i == kEq + 3) continue;            // the switches on their tabs
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
