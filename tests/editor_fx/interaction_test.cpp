// The editor driving the effect and the effect moving the editor: knobs,
// the curve editor and its menu, the drop-down menus, the step buttons, the
// page and equaliser tabs, and the texts the effect writes.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "DistoFxControls.h"
#include "UiControls.h"
#include "block.h"
#include "editor_fx_fixture.h"
#include "temp_dir.h"

namespace {

using Rawnfield::IEqTabButton;
using Rawnfield::IRnDistoPresetMenu;
using Rawnfield::IRnDistortionCurveEditor;
using Rawnfield::IRnFilterUnitMenu;
using Rawnfield::IRnPresetMenu;

constexpr int kInput = 5, kDisto = 16, kFilter = 56, kEq = 74;
constexpr int kCurveArea = kDisto, kTypeMenu = kDisto + 5, kAmountKnob = kDisto + 15;
constexpr int kPrevType = kDisto + 16, kNextType = kDisto + 17, kRestore = kDisto + 23;
constexpr int kBitText = kDisto + 9, kFilter2Menu = kFilter + 17;

class Interaction : public EditorFx {
protected:
  void SetUp() override {
    EditorFx::SetUp();
    Open();
  }
  double Param(int i) { return plug->GetParam(i)->Value(); }
  double Entry(int chain, int i) {
    return plug->getDistoFx().chains[chain].distortion.getLutValue(static_cast<unsigned short>(i));
  }
  void RunBlock() {
    Block in(64, 0.1, 0.1), out(64);
    plug->LockMutexAndProcessDoubleReplacing(in.io, out.io, 64);
  }
  // The centre of a control.
  void Centre(int idx, int* x, int* y) {
    const IRECT& r = *g->GetControl(idx)->GetRECT();
    *x = (r.L + r.R) / 2;
    *y = (r.T + r.B) / 2;
  }
  void PressControl(int idx, bool right = false) {
    int x, y;
    Centre(idx, &x, &y);
    Press(x, y, right);
  }
};

TEST_F(Interaction, KnobDragSetsTheParameterAndTheEffectMovesTheKnob) {
  IKnobMultiControl* knob = ControlAt<IKnobMultiControl>(kAmountKnob);
  ASSERT_NE(knob, nullptr);
  const double before = Param(9);
  const IRECT r = *knob->GetRECT();
  int x, y;
  Centre(kAmountKnob, &x, &y);
  IMouseMod left(true);
  g->OnMouseDown(x, y, &left);
  // Up by one knob height: a quarter of the range at the default gearing.
  for (int k = 1; k <= r.H(); ++k) g->OnMouseDrag(x, y - k, &left);
  g->OnMouseUp(x, y - r.H(), &left);
  EXPECT_NEAR(Param(9), before + 0.25, 1e-9);
  EXPECT_EQ(knob->GetValue(), Param(9));
  EXPECT_EQ(plug->getProgram().distortion.amount, Param(9));

  // The other way: the effect's change (a host, a preset) moves the knob.
  plug->GetParam(9)->Set(0.125);
  plug->OnParamChange(9);
  EXPECT_EQ(knob->GetValue(), 0.125);
  ASSERT_TRUE(plug->RestorePreset(5));
  EXPECT_EQ(knob->GetValue(), plug->GetParam(9)->GetNormalized());
}

// Drawn values reach all three chains at the next block while blocks run,
// and at once (on the next redraw) while none do.
TEST_F(Interaction, DrawnCurveReachesEveryChain) {
  plug->SetBlockSize(64);
  plug->Reset();
  IRnDistortionCurveEditor* area = ControlAt<IRnDistortionCurveEditor>(kCurveArea);
  const IRECT c = area->GetCurveRECT();
  ASSERT_NEAR(Entry(0, 0), -1.0, 1e-12);  // the linear type

  plug->OnActivate(true);
  IMouseMod left(true);
  g->OnMouseDown(c.L, c.T, &left);  // top left: -1 on screen, +1 in the curve
  g->OnMouseUp(c.L, c.T, &left);
  DrawAll();  // a redraw while blocks run leaves the hand-over to the block
  for (int chain = 0; chain < 3; ++chain) EXPECT_NEAR(Entry(chain, 0), -1.0, 1e-12) << chain;
  RunBlock();
  for (int chain = 0; chain < 3; ++chain) EXPECT_NEAR(Entry(chain, 0), 1.0, 1e-12) << chain;

  plug->OnActivate(false);
  g->OnMouseDown(c.R - 1, c.B, &left);  // bottom right: +1 on screen, -1 in the curve
  g->OnMouseUp(c.R - 1, c.B, &left);
  DrawAll();
  for (int chain = 0; chain < 3; ++chain) EXPECT_NEAR(Entry(chain, 511), -1.0, 1e-12) << chain;
}

TEST_F(Interaction, CurveContextMenuRunsActionsAndFileExchange) {
  IRnDistortionCurveEditor* area = ControlAt<IRnDistortionCurveEditor>(kCurveArea);
  plug->SetParameterFromGUI(10, 20.0 / 42.0);  // a bent curve
  const double bent = Entry(1, 300);
  ASSERT_NE(bent, -1.0 + 600.0 / 511.0);

  menus.path = {6};  // "Reset (Restore Linear)"
  PressControl(kCurveArea, true);
  EXPECT_EQ(menus.titles[6], "Reset (Restore Linear)");
  EXPECT_EQ(menus.titles[7], "---");
  for (int chain = 0; chain < 3; ++chain)
    EXPECT_NEAR(Entry(chain, 300), -1.0 + 600.0 / 511.0, 1e-12) << chain;
  // The editor shows the ramp, negated.
  EXPECT_NEAR(area->getCurveValue(0.0), 1.0, 1e-12);

  // Export, cancelled: nothing written; then chosen.
  TempDir dir;
  const std::string path = dir.path("curve.csv");
  menus.path = {10};  // "Export Curve To CSV"
  panels.answer = "";
  PressControl(kCurveArea, true);
  EXPECT_FALSE(std::ifstream(path).good());
  panels.answer = path;
  PressControl(kCurveArea, true);
  EXPECT_TRUE(std::ifstream(path).good());
  ASSERT_FALSE(panels.types.empty());
  EXPECT_EQ(panels.types[0], "csv");
  EXPECT_STREQ(area->GetCurveFileName().Get(), path.c_str());

  // Restored to the type's own curve, then imported back from the file.
  menus.path = {0};  // "Restore Curve"
  PressControl(kCurveArea, true);
  EXPECT_NEAR(Entry(2, 300), bent, 1e-12);
  menus.path = {8};  // "Import Curve From CSV"
  PressControl(kCurveArea, true);
  for (int chain = 0; chain < 3; ++chain)
    EXPECT_NEAR(Entry(chain, 300), -1.0 + 600.0 / 511.0, 1e-9) << chain;

  // A right press never draws; a dismissed menu does nothing.
  menus.path.clear();
  const double v = area->getCurveValue(0.5);
  PressControl(kCurveArea, true);
  EXPECT_EQ(area->getCurveValue(0.5), v);
  EXPECT_FALSE(area->GetDrawnCurve().isChanged());
}

TEST_F(Interaction, DistortionTypeMenuChoosesAType) {
  menus.path = {2};
  PressControl(kTypeMenu);
  ASSERT_EQ(menus.shown, 1);
  EXPECT_EQ(menus.titles.size(), 12u + 7u);
  EXPECT_EQ(menus.titles[0], "01: Linear");
  EXPECT_EQ(menus.titles[12], "Fuzzy");
  EXPECT_EQ(menus.checked, std::vector<int>{0});  // Linear was current
  EXPECT_EQ(Param(10), 2.0 / 42.0);
  EXPECT_EQ(plug->getDistortionType(), 2);

  // A type in a section: "Crunchy", its third item, 38 "MadCat".
  menus.path = {15, 2};
  PressControl(kTypeMenu);
  EXPECT_EQ(menus.subTitles[2], "39: MadCat");
  EXPECT_EQ(menus.checked, std::vector<int>{2});
  EXPECT_EQ(plug->getDistortionType(), 38);
  menus.path = {15, 0};
  PressControl(kTypeMenu);
  EXPECT_EQ(menus.subChecked, std::vector<int>{2});  // marked in its section
  EXPECT_TRUE(menus.checked.empty());

  // Dismissed: nothing changes.
  menus.path.clear();
  PressControl(kTypeMenu);
  EXPECT_EQ(plug->getDistortionType(), 33);
  DrawAll();
  EXPECT_STREQ(ControlAt<IRnDistoPresetMenu>(kTypeMenu)->GetDisplayText(), "34: Big-Bad-Drive");
}

TEST_F(Interaction, FilterTypeMenuSetsItsFilter) {
  menus.path = {11};
  PressControl(kFilter2Menu);
  EXPECT_EQ(menus.titles.size(), 12u);
  EXPECT_EQ(menus.titles[11], "Butterworth BandStop 12dB");
  EXPECT_EQ(Param(28), 1.0);
  EXPECT_EQ(plug->getFxFilterType(Rawnfield::kFxFilter2), 11);
  menus.path = {0};
  PressControl(kFilter2Menu);
  EXPECT_EQ(menus.checked, std::vector<int>{11});
  EXPECT_EQ(Param(28), 0.0);
  Tick();  // the effect asked for a redraw
  EXPECT_TRUE(g->GetControl(kFilter2Menu)->IsDirty());
}

TEST_F(Interaction, PresetMenuRestoresTheChosenPreset) {
  IBitmap display = g->LoadIBitmap(2004, "resources/img/displays/disto_name_display.png", 1);
  IRnPresetMenu* menu =
      new IRnPresetMenu(plug.get(), plug.get(), 63, 582, &plug->mTextLabel, &display,
                        COLOR_TRANSPARENT);
  g->AttachControl(menu);
  const std::vector<int> markers = menu->getSectionsIdxVector();
  ASSERT_GE(markers.size(), 2u);

  menus.path = {3};
  PressControl(g->NControls() - 1);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 3);
  EXPECT_EQ(menus.titles[0],
            IRnPresetMenu::getFormattedPresetString(plug->GetPresetName(0), 0));
  EXPECT_EQ(int(menus.titles.size()), markers[0] + int(markers.size()));
  EXPECT_EQ(menus.titles[markers[0]], plug->GetPresetName(markers[0]));

  // The second row of the second section.
  menus.path = {markers[0] + 1, 1};
  PressControl(g->NControls() - 1);
  const int expected = markers[1] + 2;
  EXPECT_EQ(plug->GetCurrentPresetIdx(), expected);
  EXPECT_EQ(menus.checked, std::vector<int>{3});
  // The state is the preset's: restoring it again changes nothing.
  ByteChunk now, again;
  plug->SerializeState(&now);
  plug->RestorePreset(expected);
  plug->SerializeState(&again);
  EXPECT_TRUE(now.IsEqual(again));
  DrawAll();
  char text[300];
  snprintf(text, sizeof text, "%02d: %s", expected + 1, plug->GetPresetName(expected));
  EXPECT_EQ(std::string(menu->GetDisplayText()), std::string(text).substr(0, 42));
}

TEST_F(Interaction, TypeStepButtonsStopAtBothEnds) {
  struct Case {
    int button;
    bool right;
    double from, to;
  } cases[] = {
      {kNextType, false, 0.0, 1.0 / 42.0},  {kNextType, true, 5.0 / 42.0, 15.0 / 42.0},
      {kNextType, false, 1.0, 1.0},         {kNextType, true, 40.0 / 42.0, 1.0},
      {kPrevType, false, 0.0, 0.0},         {kPrevType, true, 5.0 / 42.0, 0.0},
      {kPrevType, false, 7.0 / 42.0, 6.0 / 42.0},
  };
  for (const Case& k : cases) {
    plug->SetParameterFromGUI(10, k.from);
    PressControl(k.button, k.right);
    EXPECT_NEAR(Param(10), k.to, 1e-12) << k.button << " from " << k.from * 42;
    EXPECT_EQ(g->GetControl(k.button)->GetValue(), 0.0);  // released
  }
}

TEST_F(Interaction, RestoreButtonRestoresTheTypesCurve) {
  plug->SetParameterFromGUI(10, 20.0 / 42.0);
  const double bent = Entry(0, 300);
  plug->distoCurveAction(Rawnfield::Types::kResetCurve);
  ASSERT_NE(Entry(0, 300), bent);
  PressControl(kRestore);
  for (int chain = 0; chain < 3; ++chain) EXPECT_NEAR(Entry(chain, 300), bent, 1e-12) << chain;
}

TEST_F(Interaction, PageTabsShowOnePageAtATime) {
  // Shown: the page's own controls, with the open equaliser page on the
  // plug-in page; the background, the page tabs and the watcher always.
  auto expectOnly = [&](Harshbloom::ePage shown) {
    std::vector<int> visible = plug->getPageControls(shown);
    if (shown == Harshbloom::kPlugPage)
      for (int idx : ControlAt<IEqTabButton>(kEq)->GetTabItems()) visible.push_back(idx);
    for (int idx : {0, 2, 3, 4, g->NControls() - 1}) visible.push_back(idx);
    for (int idx = 0; idx < g->NControls(); ++idx) {
      const bool listed = std::find(visible.begin(), visible.end(), idx) != visible.end();
      ASSERT_EQ(g->GetControl(idx)->IsHidden(), !listed) << "control " << idx << ", page " << shown;
    }
  };
  expectOnly(Harshbloom::kPlugPage);
  Press(285 + 5, 782 + 5);  // scope
  expectOnly(Harshbloom::kScopePage);
  EXPECT_EQ(plug->getConfig().visibleTab, 1.0);
  EXPECT_EQ(g->GetControl(2)->GetValue(), 0.0);
  EXPECT_EQ(g->GetControl(3)->GetValue(), 1.0);
  // The trace starts afresh.
  const auto& ring = plug->getScopeRing();
  for (int i = 0; i < ring.capacity(); ++i) ASSERT_TRUE(ring.read(i).gap) << i;
  Press(365 + 5, 782 + 5);  // about
  expectOnly(Harshbloom::kAboutPage);
  EXPECT_EQ(plug->getConfig().visibleTab, 2.0);
  // Back on the plug-in page from the disto-band equaliser page: the
  // sub-band page opens.
  Press(205 + 5, 782 + 5);
  PressControl(kEq + 1);
  Press(285 + 5, 782 + 5);
  expectOnly(Harshbloom::kScopePage);
  Press(205 + 5, 782 + 5);
  expectOnly(Harshbloom::kPlugPage);
  EXPECT_EQ(plug->getConfig().visibleTab, 0.0);
  EXPECT_EQ(g->GetControl(kEq)->GetValue(), 1.0);
  for (int tab = 0; tab < 3; ++tab)
    EXPECT_EQ(g->GetControl(2 + tab)->GetValue(), tab == 0 ? 1.0 : 0.0);
}

TEST_F(Interaction, EqualiserTabsSwapTheirPages) {
  IEqTabButton* sub = ControlAt<IEqTabButton>(kEq);
  IEqTabButton* disto = ControlAt<IEqTabButton>(kEq + 1);
  // Two stand-ins for the pages' controls.
  IControl* subItem = new ITextControl(plug.get(), IRECT(340, 330, 400, 346), nullptr, "s");
  IControl* distoItem = new ITextControl(plug.get(), IRECT(340, 330, 400, 346), nullptr, "d");
  sub->AddTabItem(g->AttachControl(subItem));
  disto->AddTabItem(g->AttachControl(distoItem));

  // A click on the disto-band tab beside its greyed switch.
  Press(disto->GetRECT()->R - 10, 294 + 8);
  EXPECT_EQ(disto->GetValue(), 1.0);
  EXPECT_EQ(sub->GetValue(), 0.0);
  EXPECT_TRUE(subItem->IsHidden());
  EXPECT_FALSE(distoItem->IsHidden());
  EXPECT_TRUE(g->GetControl(kEq + 2)->IsGrayed());
  EXPECT_FALSE(g->GetControl(kEq + 3)->IsGrayed());
  // Its switch works now.
  const double before = Param(30);
  PressControl(kEq + 3);
  EXPECT_EQ(Param(30), before > 0.5 ? 0.0 : 1.0);

  // Over the greyed sub-band switch the click reaches the tab below it.
  PressControl(kEq + 2);
  EXPECT_EQ(sub->GetValue(), 1.0);
  EXPECT_FALSE(subItem->IsHidden());
  EXPECT_TRUE(distoItem->IsHidden());
  // Hiding a tab hides its items with it.
  disto->Hide(true);
  disto->Hide(false);
  EXPECT_FALSE(distoItem->IsHidden());
}

TEST_F(Interaction, EffectTextsReachTheirControls) {
  ITextControl* bits = ControlAt<ITextControl>(kBitText);
  Tick();
  EXPECT_STREQ(bits->GetTextForPlug(), "64.0bit");
  plug->SetParameterFromGUI(5, 0.5);
  Tick();
  EXPECT_STRNE(bits->GetTextForPlug(), "64.0bit");
  EXPECT_STREQ(bits->GetTextForPlug(), plug->getValueText(Harshbloom::kBitDepthText).c_str());
  // The channel-mode switch's tool tip follows its mode.
  plug->SetParameterFromGUI(4, 0.25);
  Tick();
  EXPECT_STREQ(g->GetControl(kInput + 10)->GetTooltip(), "Input Channel Mode: Inverse Stereo");
}

// The pixels of an editor rectangle in the window's picture.
std::vector<uint32_t> Pixels(const plat::Bitmap& b, const IRECT& r) {
  std::vector<uint32_t> out;
  for (int y = r.T; y < r.B; ++y)
    for (int x = r.L; x < r.R; ++x) out.push_back(b.pixel(x, y));
  return out;
}

// Dragging a knob turns it and its value text in the window's picture in
// the same frames, without a page switch; a full redraw changes nothing.
TEST_F(Interaction, ValueTextsFollowAKnobDragOnTheScreen) {
  Open();
  plat::app().runFor(0.3);
  ITextControl* bits = ControlAt<ITextControl>(kBitText);
  const IRECT text = *bits->GetRECT();
  const std::vector<uint32_t> before = Pixels(win->backing(), text);
  IControl* knob = nullptr;
  for (int i = 0; i < g->NControls() && !knob; ++i)
    if (g->GetControl(i)->ParamIdx() == 5) knob = g->GetControl(i);
  ASSERT_NE(knob, nullptr);
  const IRECT* k = knob->GetRECT();
  const int x = (k->L + k->R) / 2, y = (k->T + k->B) / 2;
  IMouseMod mod(true, false);
  g->OnMouseDown(x, y, &mod);
  for (int step = 1; step <= 40; ++step) {
    g->OnMouseDrag(x, y + 2 * step, &mod);
    plat::app().runFor(0.01);
  }
  g->OnMouseUp(x, y + 80, &mod);
  plat::app().runFor(0.3);
  EXPECT_STRNE(bits->GetTextForPlug(), "64.0bit");
  const std::vector<uint32_t> shown = Pixels(win->backing(), text);
  EXPECT_TRUE(shown != before) << "the value text on screen did not change";
  g->SetAllControlsDirty();
  win->display();
  EXPECT_TRUE(Pixels(win->backing(), text) == shown) << "a full redraw shows another text";
}

TEST_F(Interaction, LoadedConfigurationShowsItsPage) {
  ByteChunk state;
  ASSERT_TRUE(plug->SerializeState(&state));
  double about = 2.0;
  memcpy(state.GetBytes() + 36, &about, sizeof about);  // the visible tab
  ASSERT_GT(plug->UnserializeState(&state, 0), 0);
  Tick();
  EXPECT_TRUE(g->GetControl(kAmountKnob)->IsHidden());
  EXPECT_EQ(g->GetControl(4)->GetValue(), 1.0);  // the about tab
  EXPECT_EQ(g->GetControl(2)->GetValue(), 0.0);
}

}  // namespace
