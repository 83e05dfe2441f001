// The effect's controls on their own, with stand-ins for the effect where
// they only need an interface: the curve editor's drawing and its small
// image, captions, mode steps, the band display, the preset menu's rows and
// renaming, the controller's scope settings, meters and providers, and the
// controls of the library that the editor does not place (signal, waveform
// and note-mode menus, the address and test buttons, the drawing field).

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "DistoFxControls.h"
#include "IFxStandalone.h"
#include "UiControls.h"
#include "block.h"
#include "editor_fx_fixture.h"
#include "temp_dir.h"

namespace {

using Rawnfield::IBandFreqDispay;
using Rawnfield::IRnDistortionCurveEditor;
using Rawnfield::IRnPresetMenu;

// Records what a curve control asks of the effect.
class CurveStandIn : public Rawnfield::IDistoCurveEditor {
public:
  void distoCurveAction(Rawnfield::Types::eDistoCurveAction a) override { actions.push_back(a); }
  std::string GetLastSelectedDistoCurveFile() const override { return ""; }
  void ImportDistoCurve(const KIT_String&) override {}
  void ImportDistoCurveFromWAVE(const KIT_String&) override {}
  void ExportDistoCurve(const KIT_String&) override {}
  void ExportDistoCurveToWave(const KIT_String&) override {}
  void ExportDistoCurveToCode(const KIT_String&) override {}
  void updateDistoCurveValuesFromGUI() override { ++takes; }
  bool isPlaying() const override { return playing; }
  void attachDrawnCurve(Rawnfield::DrawnCurve* c) override { attached = c; }
  std::vector<int> actions;
  int takes = 0;
  bool playing = false;
  Rawnfield::DrawnCurve* attached = nullptr;
};

// An image of the given size without pixels.
IBitmap Sized(int w, int h) { return IBitmap(nullptr, w, h, 1); }

class Controls : public EditorFx {
protected:
  // A curve control of 20 points on a 30 x 40 image at (100, 200): the curve
  // is inset by 5 on every side, 20 columns wide and 30 rows high.
  IRnDistortionCurveEditor* Curve(CurveStandIn* editor, IBitmap image = Sized(30, 40),
                                  int points = 20) {
    IRnDistortionCurveEditor* c = new IRnDistortionCurveEditor(
        plug.get(), editor, first, second, points, 100, 200, &image);
    g->AttachControl(c);
    return c;
  }
  double first[133] = {}, second[133] = {};
};

TEST_F(Controls, CurveEditorStartsWithTheIdentityAndMapsThePointer) {
  CurveStandIn editor;
  IRnDistortionCurveEditor* c = Curve(&editor);
  EXPECT_EQ(c->GetCurveRECT(), IRECT(105, 205, 125, 235));
  EXPECT_NEAR(c->getCurveValue(0.0), 1.0, 1e-12);
  EXPECT_EQ(c->getCurveValue(1.0), c->GetDrawnCurve().value(19));
  EXPECT_EQ(c->getCurveValue(7.0), c->getCurveValue(1.0));
  EXPECT_EQ(c->getCurveValue(-3.0), c->getCurveValue(0.0));

  struct Case {
    int y;
    double value;
  } cases[] = {{205, -1.0}, {235, 1.0}, {220, 0.0}, {201, -1.0 - 8.0 / 30.0}};
  IMouseMod left(true);
  for (const Case& k : cases) {
    c->OnMouseDown(110, k.y, &left);
    EXPECT_NEAR(c->GetDrawnCurve().value(5), k.value, 1e-12) << k.y;
  }
  EXPECT_NEAR(c->GetDrawnCurve().value(5), -1.0 - 8.0 / 30.0, 1e-12);  // the margin: beyond -1
  EXPECT_GE(c->getCurveValue(5.0 / 20.0), -1.0);                      // read back clamped

  // Outside the columns nothing is stored, but the stroke still counts.
  c->GetDrawnCurve().takeChanged();
  const double before = c->GetDrawnCurve().value(0);
  c->OnMouseDown(101, 220, &left);
  EXPECT_EQ(c->GetDrawnCurve().value(0), before);
  EXPECT_TRUE(c->GetDrawnCurve().isChanged());
  // The next redraw hands it over, unless blocks run.
  editor.playing = true;
  DrawAll();
  EXPECT_EQ(editor.takes, 0);
  editor.playing = false;
  DrawAll();
  EXPECT_EQ(editor.takes, 1);
  EXPECT_FALSE(c->GetDrawnCurve().isChanged());
}

TEST_F(Controls, CurveEditorDragsBlendAndFill) {
  CurveStandIn editor;
  IRnDistortionCurveEditor* c = Curve(&editor);
  Rawnfield::DrawnCurve& curve = c->GetDrawnCurve();
  IMouseMod left(true);
  auto reset = [&] {
    for (int k = 0; k < curve.size(); ++k) curve.setCurveValue(k, 0.5);
  };
  // Arriving at column 15 with dX = 5 (capped at the last column, 19).
  reset();
  c->OnMouseDrag(105 + 15, 205, 5, 0, &left);
  for (int k = 15; k < 20; ++k) EXPECT_EQ(curve.value(k), -1.0) << k;
  EXPECT_NEAR(curve.value(14), 0.7 * -1.0 + 0.3 * 0.5, 1e-12);
  EXPECT_EQ(curve.value(13), 0.5);
  // Arriving at column 2 with dX = -3: columns 2 and 1, never column 0.
  reset();
  c->OnMouseDrag(105 + 2, 235, -3, 0, &left);
  EXPECT_EQ(curve.value(2), 1.0);
  EXPECT_EQ(curve.value(1), 1.0);
  EXPECT_EQ(curve.value(0), 0.5);
  EXPECT_NEAR(curve.value(3), 0.7 + 0.3 * 0.5, 1e-12);
  EXPECT_EQ(curve.value(4), 0.5);
}

// A missing image (one pixel per frame) or one narrower than the points
// leaves a curve inside the control, with no columns to spare: no division
// by its height, no loop over a negative width, and no stroke that would
// flatten the effect's curves.
TEST_F(Controls, CurveEditorOnASmallOrMissingImage) {
  struct Case {
    IBitmap image;
    int columns;
  } cases[] = {{Sized(1, 1), 1}, {Sized(0, 0), 0}, {Sized(100, 10), 100}};
  for (const Case& k : cases) {
    CurveStandIn editor;
    IRnDistortionCurveEditor* c = Curve(&editor, k.image, 133);
    EXPECT_EQ(c->GetDrawnCurve().size(), k.columns);
    const IRECT& r = c->GetCurveRECT();
    EXPECT_GE(r.W(), 0);
    EXPECT_GE(r.H(), 0);
    EXPECT_TRUE(r.L >= c->GetRECT()->L && r.R <= c->GetRECT()->R);
    IMouseMod left(true);
    c->OnMouseDown(100, 200, &left);
    c->OnMouseDrag(100, 201, 3, 1, &left);
    for (int i = 0; i < c->GetDrawnCurve().size(); ++i)
      EXPECT_TRUE(std::isfinite(c->GetDrawnCurve().value(i)));
    EXPECT_EQ(c->GetDrawnCurve().isChanged(), k.columns > 0);
    DrawAll();
  }
}

TEST_F(Controls, CurveEditorHandsItsCurveOverAndBack) {
  CurveStandIn editor;
  IRnDistortionCurveEditor* c = Curve(&editor);
  EXPECT_EQ(editor.attached, nullptr);
  c->attachToEditor();
  EXPECT_EQ(editor.attached, &c->GetDrawnCurve());
  editor.attached = reinterpret_cast<Rawnfield::DrawnCurve*>(&editor);
  g->Resize(640, 820);  // deletes every control
  EXPECT_EQ(editor.attached, nullptr);
}

TEST_F(Controls, CaptionFormats) {
  struct Case {
    int type;
    double x;
    const char* text;
  } cases[] = {
      {kCaptionDecibel, 1.0, "0.00 dB"},      {kCaptionDecibel, 0.0, "-inf dB"},
      {kCaptionDecibel, 0.5, "-6.02 dB"},     {kCaptionDecibel, 2.0, "+6.02 dB"},
      {kCaptionPercent, 0.25, "25.0%"},       {kCaptionPlusMinus12, 0.75, "6.000"},
      {kCaptionPlusMinus1, 0.25, "-0.500"},   {kCaptionCentred, 0.75, "0.250"},
      {kCaptionScaled, 0.5, "110.000Hz"},     {kCaptionScaledShort, 0.5, "110.0Hz"},
      {kCaptionBipolar, 0.0, "-1.000"},
  };
  for (const Case& k : cases) {
    IRnCaptionControl c(plug.get(), IRECT(0, 0, 60, 16), 0, nullptr, k.type, "Hz", 200.0, 10.0);
    EXPECT_EQ(c.CaptionFor(k.x), k.text) << k.type << " " << k.x;
  }
  IRnCaptionControl own(plug.get(), IRECT(0, 0, 60, 16), 9, nullptr, 99);
  char display[IParam::kDisplayLen];
  plug->GetParam(9)->GetDisplayForHost(0.5, false, display, true);
  EXPECT_EQ(own.CaptionFor(0.5), display);
}

TEST_F(Controls, ModeStepValues) {
  double v = 0.0;
  IBitmap b = Sized(10, 10);
  IRnModeSwitch up43(plug.get(), 0, 0, -1, 10, 43, v, &b, false, kSwitchUp);
  IRnModeSwitch down3wrap(plug.get(), 0, 0, -1, 12, 3, v, &b, true, kSwitchDown);
  IRnModeSwitch up4wrap(plug.get(), 0, 0, -1, 20, 4, v, &b, true, kSwitchUp);
  EXPECT_EQ(up43.getNextValue(1.0), 1.0);
  EXPECT_EQ(up43.getNext10Value(1.0), 1.0);
  EXPECT_EQ(up43.getNextValue(0.0), 1.0 / 42.0);
  EXPECT_EQ(up43.getPrev10Value(3.0 / 42.0), 0.0);
  EXPECT_EQ(down3wrap.getPrevValue(0.0), 1.0);
  EXPECT_EQ(down3wrap.getPrevValue(1.0), 0.5);
  EXPECT_EQ(up4wrap.getNextValue(1.0), 0.0);
  EXPECT_EQ(up4wrap.getNextValue(0.3), 2.0 / 3.0);  // position 1 (0.3 rounds to it), then 2
}

// Counts the curve requests of a band display.
class BandStandIn : public Rawnfield::IBandFreqCurveProvider {
public:
  void provideFreqCurve(Rawnfield::BandId band, double* out, int n) const override {
    calls.push_back({band, n});
    for (int i = 0; i < n; ++i) out[i] = band == Rawnfield::kSubBand ? 1.5 : -0.5;
  }
  mutable std::vector<std::pair<int, int>> calls;
};

TEST_F(Controls, BandDisplayAsksForOnePointPerColumn) {
  BandStandIn bands;
  IBitmap wide = Sized(110, 60);
  IBandFreqDispay* d = new IBandFreqDispay(plug.get(), &bands, 20, 40, &wide);
  g->AttachControl(d);
  EXPECT_EQ(d->NPoints(), 100);
  IRECT all(0, 0, 650, 830);
  g->Draw(&all);
  EXPECT_EQ(bands.calls, (std::vector<std::pair<int, int>>{{0, 100}, {1, 100}, {0, 100}, {1, 100}}));
  // A magnitude above 1 reaches the full height h = 40 above the bottom
  // line; a negative one stays on it.
  // Outlines: grey 220 for a full magnitude, 40 for none.
  const IColor top = g->GetPoint(20 + 5 + 50, 40 + 60 - 10 - 40);
  const IColor bottom = g->GetPoint(20 + 5 + 50, 40 + 60 - 10);
  EXPECT_EQ(IColor(255, top.R, top.G, top.B), IColor(255, 220, 220, 220));
  EXPECT_EQ(IColor(255, bottom.R, bottom.G, bottom.B), IColor(255, 40, 40, 40));
}

// A display no wider than its margins has no points and asks for nothing.
TEST_F(Controls, BandDisplayNarrowerThanItsMargins) {
  for (int width : {10, 4, 0}) {
    BandStandIn bands;
    IBitmap narrow = Sized(width, 60);
    IBandFreqDispay* d = new IBandFreqDispay(plug.get(), &bands, 20, 40, &narrow);
    g->AttachControl(d);
    EXPECT_EQ(d->NPoints(), 0) << width;
    IRECT all(0, 0, 650, 830);
    g->Draw(&all);
    EXPECT_TRUE(bands.calls.empty()) << width;
  }
}

// A plug-in whose presets are named as a test needs.
class NamedPresets : public IFxStandalone {
public:
  explicit NamedPresets(const std::vector<std::string>& names)
      : IFxStandalone(Info(), 1, "2-2", int(names.size()), "Presets", "", "Test", 0x10000, 1, 2,
                      0, false, false, false, 0) {
    GetParam(0)->InitDouble("Value", 0.0, 0.0, 1.0, 0.01);
    for (size_t i = 0; i < names.size(); ++i) {
      GetParam(0)->Set(double(i) / 10.0);
      ByteChunk chunk;
      SerializeParams(&chunk);
      MakePresetFromChunk(names[i].c_str(), &chunk);
    }
    GetParam(0)->Set(0.0);
  }
  void ResizeGraphics(int, int) override {}

private:
  static IFxInstanceInfo Info() { return IFxInstanceInfo(); }
};

class PresetText : public Rawnfield::IFxPresetProvider {
public:
  std::string GetCurrentPresetString() override { return "preset"; }
};

std::vector<std::string> Rows(IPopupMenu& m) {
  std::vector<std::string> rows;
  for (int i = 0; i < m.GetNItems(); ++i) rows.push_back(m.GetItemText(i));
  return rows;
}

// The rows of a menu that carry a check mark.
std::vector<int> Checked(IPopupMenu& m) {
  std::vector<int> rows;
  for (int i = 0; i < m.GetNItems(); ++i)
    if (m.IsItemChecked(i)) rows.push_back(i);
  return rows;
}

// Markers '#' head the sections; a nameless preset has no row, and every row
// still restores, and is marked for, the preset it shows.
TEST_F(Controls, PresetMenuRowsFollowThePresets) {
  NamedPresets presets({"P", "Q", "#X", "R", "#Y", "S", "", "T"});
  PresetText text;
  IBitmap b = Sized(100, 20);
  IRnPresetMenu menu(&presets, &text, 0, 0, nullptr, &b, COLOR_TRANSPARENT);
  menu.doPopupMenu();  // no editor: built, shown nowhere
  EXPECT_EQ(Rows(menu.GetMenu()), (std::vector<std::string>{"01: P", "02: Q", "#X", "#Y"}));
  ASSERT_EQ(menu.GetSubSections().size(), 2u);
  EXPECT_EQ(menu.GetSubSections()[0].firstIndex, 3);
  EXPECT_EQ(Rows(*menu.GetSubSections()[0].submenu), std::vector<std::string>{"04: R"});
  EXPECT_EQ(Rows(*menu.GetSubSections()[1].submenu), (std::vector<std::string>{"06: S", "08: T"}));
  EXPECT_EQ(menu.getSectionsIdxVector(), (std::vector<int>{2, 4}));

  // The row after the place of the nameless one restores T.
  menu.GetSubSections()[1].submenu->SetChosenItemIdx(1);
  EXPECT_EQ(menu.chosenPreset(), 7);
  menu.resetChosenAndUncheckItems();
  menu.GetMenu().SetChosenItemIdx(1);
  EXPECT_EQ(menu.chosenPreset(), 1);
  menu.resetChosenAndUncheckItems();

  // The mark: on the first row of the first section for preset 3, on T's
  // row for T, nowhere for a marker or the nameless preset.
  struct Mark {
    int preset;
    std::vector<int> main, first, second;
  } marks[] = {
      {3, {}, {0}, {}}, {7, {}, {}, {1}}, {1, {1}, {}, {}}, {2, {}, {}, {}}, {6, {}, {}, {}}};
  for (const Mark& k : marks) {
    presets.RestorePreset(k.preset);
    menu.checkCurrentPreset();
    EXPECT_EQ(Checked(menu.GetMenu()), k.main) << k.preset;
    EXPECT_EQ(Checked(*menu.GetSubSections()[0].submenu), k.first) << k.preset;
    EXPECT_EQ(Checked(*menu.GetSubSections()[1].submenu), k.second) << k.preset;
    menu.resetChosenAndUncheckItems();
  }
  EXPECT_EQ(IRnPresetMenu::getFormattedSectionString("X"), ">> X");
}

// Without markers: nameless presets among the main rows.
TEST_F(Controls, PresetMenuLeavesNamelessPresetsOut) {
  NamedPresets presets({"", "A", "", "B", ""});
  PresetText text;
  IBitmap b = Sized(100, 20);
  IRnPresetMenu menu(&presets, &text, 0, 0, nullptr, &b, COLOR_TRANSPARENT);
  menu.doPopupMenu();
  EXPECT_EQ(Rows(menu.GetMenu()), (std::vector<std::string>{"02: A", "04: B"}));
  EXPECT_TRUE(menu.GetSubSections().empty());
  menu.GetMenu().SetChosenItemIdx(1);
  EXPECT_EQ(menu.chosenPreset(), 3);
  menu.GetMenu().SetChosenItemIdx(2);  // past the rows
  EXPECT_EQ(menu.chosenPreset(), -1);
  menu.resetChosenAndUncheckItems();
  presets.RestorePreset(3);
  menu.checkCurrentPreset();
  EXPECT_EQ(Checked(menu.GetMenu()), std::vector<int>{1});
  menu.resetChosenAndUncheckItems();
  presets.RestorePreset(4);
  menu.checkCurrentPreset();
  EXPECT_TRUE(Checked(menu.GetMenu()).empty());
}

// A new name of any length is cut to what a preset name holds, terminator
// included.
TEST_F(Controls, PresetRenameKeepsRoomForTheTerminator) {
  PresetText text;
  IBitmap b = Sized(100, 20);
  IRnPresetMenu menu(plug.get(), &text, 0, 0, nullptr, &b, COLOR_TRANSPARENT);
  const std::string longName(300, 'n');
  menu.TextFromTextEntry(longName.c_str());
  const std::string name = plug->GetPresetName(plug->GetCurrentPresetIdx());
  EXPECT_EQ(name, longName.substr(0, IPreset::kNameLen - 1));
  menu.TextFromTextEntry("Short");
  EXPECT_STREQ(plug->GetPresetName(plug->GetCurrentPresetIdx()), "Short");
  EXPECT_EQ(plug->GetCurrentPresetString(), "01: Short");
}

// Modes stored out of range (or set so by a caller) read as the nearest
// valid mode.
TEST_F(Controls, ScopeSettings) {
  struct Case {
    int stored;
    int mode;
  } cases[] = {{0, 0}, {1, 1}, {2, 2}, {5, 2}, {-3, 0}};
  for (const Case& k : cases) {
    plug->setDrawMode(static_cast<Rawnfield::eRnScopeDrawMode>(k.stored));
    EXPECT_EQ(plug->getDrawMode(), k.mode) << k.stored;
  }
  struct Zoom {
    double from;
    bool in;
    double steps, to;
  } zooms[] = {{495, true, 1, 500}, {500, true, 1, 500}, {30, false, 3, 10}, {100, true, 2.5, 125}};
  for (const Zoom& z : zooms) {
    plug->zoomScope(true, (z.from - plug->getConfig().scopeZoom) / 10.0);
    ASSERT_EQ(plug->getConfig().scopeZoom, z.from);
    plug->zoomScope(z.in, z.steps);
    EXPECT_EQ(plug->getConfig().scopeZoom, z.to) << z.from;
  }
  plug->setDrawInputSignal(0.0);
  plug->setDrawOutputSignal(1.0);
  EXPECT_FALSE(plug->doDrawInputSignal());
  EXPECT_TRUE(plug->doDrawOutputSignal());

  // Unfreezing leaves a gap of 20 blank slots.
  const auto& ring = plug->getScopeRing();
  const uint16_t at = ring.writeCounter();
  plug->setFreeze(true);
  plug->setFreeze(false);
  EXPECT_EQ(uint16_t(ring.writeCounter() - at), 20);
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(ring.read((at + i) % ring.capacity()).gap) << i;
}

TEST_F(Controls, ProvidersOfTheEditor) {
  double out[4];
  plug->provideFreqCurve(Rawnfield::kSubBand, out, 4);
  const double freqs[] = {0.0, 0.03125, 0.125, 0.28125};
  const auto& crossover = plug->getSubBandProcessor().crossover;
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(out[i], crossover.getSubBandFilterFreqResponse(freqs[i])) << i;
  plug->provideFreqCurve(Rawnfield::kDistoBand, out, 4);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(out[i], crossover.getDistoBandFilterFreqResponse(freqs[i])) << i;

  EXPECT_EQ(plug->getFilterTypeText(Rawnfield::DropDownListFilterTypes(2)), "");
  EXPECT_EQ(plug->getFilterShortText(Rawnfield::DropDownListFilterTypes(2)), "");
  EXPECT_EQ(plug->getFilterTypeText(Rawnfield::kFxFilter1),
            plug->getFilterUnit().getLeftFilterTypeText());
  EXPECT_EQ(plug->getOscFilterType(Rawnfield::kFxFilter1), 0);
  EXPECT_EQ(plug->GetCurrentPresetString(), "01: Initial Preset (Single-Band)");
}

// On the about page, with no blocks running, the meters fall as over
// silence; elsewhere they stay.
TEST_F(Controls, LevelMetersFallOnlyOnTheAboutPage) {
  plug->SetBlockSize(64);
  plug->Reset();
  plug->onAboutTab();
  Block loud(64, 0.9, 0.9), out(64);
  plug->LockMutexAndProcessDoubleReplacing(loud.io, out.io, 64);
  const double level = plug->getLevel(0);
  ASSERT_GT(level, 0.0);
  plug->updateVuMeters();
  EXPECT_LT(plug->getLevel(0), level);
  const double fallen = plug->getLevel(0);
  plug->onPlugTab();
  plug->updateVuMeters();
  EXPECT_EQ(plug->getLevel(0), fallen);
}

}  // namespace

namespace {

TEST_F(Controls, SmallButtonsOfTheEffect) {
  IBitmap b = Sized(20, 20);
  // Presets: down at the first one and ten down from the sixth stay put.
  IRnPresetSwitch* down = new IRnPresetSwitch(plug.get(), 0, 0, -1, 2, &b, false, kSwitchDown);
  IRnPresetSwitch* up = new IRnPresetSwitch(plug.get(), 30, 0, -1, 2, &b, false, kSwitchUp);
  g->AttachControl(down);
  g->AttachControl(up);
  IMouseMod left(true), right(false, true);
  down->OnMouseDown(5, 5, &left);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 0);
  up->OnMouseDown(35, 5, &right);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 10);
  plug->RestorePreset(5);
  down->OnMouseDown(5, 5, &right);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 5);
  down->OnMouseDown(5, 5, &left);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 4);

  // The meter reset, while no blocks run: at once.
  plug->SetBlockSize(64);
  plug->Reset();
  plug->SetParameterFromGUI(60, 0.0);  // no limiter
  plug->SetParameterFromGUI(63, 1.0);  // full volume
  Block loud(64, 4.0, 4.0), out(64);
  plug->LockMutexAndProcessDoubleReplacing(loud.io, out.io, 64);
  ASSERT_GT(plug->GetMaxSampleValue(), 1.0);
  IRnMaxLevelText* text = new IRnMaxLevelText(plug.get(), IRECT(0, 40, 120, 56), &plug->mTextMaxLevel);
  g->AttachControl(text);
  DrawAll();
  EXPECT_EQ(text->GetText()->mColor, COLOR_RED);
  IRnResetButton* reset = new IRnResetButton(plug.get(), 60, 0, -1, &b);
  g->AttachControl(reset);
  reset->OnMouseDown(65, 5, &left);
  EXPECT_EQ(reset->GetValue(), 1.0);
  reset->OnMouseUp(65, 5, &left);
  EXPECT_EQ(reset->GetValue(), 0.0);
  EXPECT_EQ(plug->GetMaxSampleValue(), 0.0);
  DrawAll();
  EXPECT_STREQ(text->GetTextForPlug(), "MAX LEVEL: -oo dB");
  text->UpdateMaxLevelText(1.0);
  EXPECT_STREQ(text->GetTextForPlug(), "MAX LEVEL: 0.0 dB");
  EXPECT_EQ(text->GetText()->mColor, COLOR_RN_CYAN);

  IRnHostInfoText info(plug.get(), IRECT(0, 60, 300, 76), &plug->mTextHostInfo);
  EXPECT_STREQ(info.GetTextForPlug(), "SAMPLE RATE: 44100.00 Hz    TEMPO: 120.000 BPM");
}

// Records which program file operation a selector asks for.
class FileStandIn : public Rawnfield::IDistoFileController {
public:
  std::string GetLastSelectedProgramFile() const override { return last; }
  void SaveProgAsRN(const KIT_String& p) override { calls.push_back(std::string("rn save ") + p.Get()); }
  void LoadProgFromRN(const KIT_String& p) override { calls.push_back(std::string("rn load ") + p.Get()); }
  bool SaveProgAsFXP(const KIT_String& p) override {
    calls.push_back(std::string("fxp save ") + p.Get());
    return true;
  }
  bool LoadProgFromFXP(const KIT_String& p) override {
    calls.push_back(std::string("fxp load ") + p.Get());
    return true;
  }
  std::string last;
  std::vector<std::string> calls;
};

TEST_F(Controls, ProgramFileSelectorsChooseTheFileKind) {
  Open();
  FileStandIn files;
  IBitmap b = Sized(20, 60);
  using Rawnfield::IRnFileSelector;
  IRnFileSelector* save = new IRnFileSelector(plug.get(), &files, IRECT(0, 0, 20, 20), -1, &b,
                                              kFileSave, "", "rn bgp");
  IRnFileSelector* load = new IRnFileSelector(plug.get(), &files, IRECT(30, 0, 50, 20), -1, &b,
                                              kFileOpen, "", "rn bgp");
  g->AttachControl(save);
  g->AttachControl(load);
  IMouseMod left(true);
  panels.answer = "/tmp/x.fxp.txt";
  save->OnMouseDown(5, 5, &left);
  panels.answer = "/tmp/song.rn";
  load->OnMouseDown(35, 5, &left);
  panels.answer = "";  // cancelled
  load->OnMouseDown(35, 5, &left);
  EXPECT_EQ(files.calls, (std::vector<std::string>{"fxp save /tmp/x.fxp.txt", "rn load /tmp/song.rn"}));
  EXPECT_EQ(panels.types, (std::vector<std::string>{"rn", "bgp"}));
  EXPECT_TRUE(panels.alerts.empty());
}

// A program save that cannot be written says so in a message box; the
// panels say what they do.
TEST_F(Controls, ProgramSavesThatCannotBeWrittenSaySo) {
  Open();
  TempDir dir;
  struct Writer : FileStandIn {
    void SaveProgAsRN(const KIT_String& p) override {
      FileStandIn::SaveProgAsRN(p);
      if (write) writeText(p.Get(), "[Program]\n");
    }
    bool write = true;
  } files;
  IBitmap b = Sized(20, 60);
  auto* save = new Rawnfield::IRnFileSelector(plug.get(), &files, IRECT(0, 0, 20, 20), -1, &b,
                                              kFileSave, "", "rn bgp");
  save->SetPanelTitle("Save Program");
  g->AttachControl(save);
  IMouseMod left(true);
  struct Case {
    std::string path;
    bool write;
    std::string alert;  // the start of the message, "" for none
  };
  const std::vector<Case> cases = {
      {dir.path("ok.rn"), true, ""},
      {dir.path("missing/folder.rn"), true,
       "Save Program: The file \"" + dir.path("missing/folder.rn") + "\" could not be written: No "
       "such file or directory"},
      {dir.path("empty.rn"), false,
       "Save Program: The file \"" + dir.path("empty.rn") + "\" could not be written: nothing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    panels.alerts.clear();
    files.calls.clear();
    files.write = c.write;
    panels.answer = c.path;
    save->OnMouseDown(5, 5, &left);
    EXPECT_EQ(panels.titles.back(), "Save Program");
    if (c.alert.empty()) {
      EXPECT_TRUE(panels.alerts.empty());
      EXPECT_EQ(readText(c.path), "[Program]\n");
    } else {
      ASSERT_EQ(panels.alerts.size(), 1u);
      EXPECT_EQ(panels.alerts[0].compare(0, c.alert.size(), c.alert), 0) << panels.alerts[0];
    }
  }
  // Nothing was saved into a folder that is not there.
  files.calls.clear();
  panels.answer = dir.path("missing/again.rn");
  save->OnMouseDown(5, 5, &left);
  EXPECT_TRUE(files.calls.empty());
}

}  // namespace

namespace {

using Rawnfield::IRnLfoSignalTypePresetMenu;
using Rawnfield::IRnNoteModePresetMenu;
using Rawnfield::IRnWaveformPresetMenu;

// Answers for one kind of menu and records which kinds were asked.
class SignalStandIn : public Rawnfield::ILfoSignalDataProvider,
                      public Rawnfield::IOscWaveformDataProvider {
public:
  std::string getLfoSignalTypeText(Rawnfield::DropDownListLfoSignalTypes k) const override {
    asked.push_back(k);
    return "long";
  }
  std::string getLfoSignalShortText(Rawnfield::DropDownListLfoSignalTypes k) const override {
    asked.push_back(k);
    return text;
  }
  int getLfoSignalType(Rawnfield::DropDownListLfoSignalTypes k) const override {
    asked.push_back(k);
    return row;
  }
  std::string getWaveformTypeText(Rawnfield::DropDownListWaveformTypes k) const override {
    asked.push_back(k);
    return "long";
  }
  std::string getWaveformShortText(Rawnfield::DropDownListWaveformTypes k) const override {
    asked.push_back(k);
    return text;
  }
  int getWaveformType(Rawnfield::DropDownListWaveformTypes k) const override {
    asked.push_back(k);
    return row;
  }
  std::string text = "Sine";
  int row = 0;
  mutable std::vector<int> asked;
};

// Every parameter's value as bits (one default is a NaN), to show that a
// choice changed none.
std::vector<uint64_t> Values(IFxBase& plug) {
  std::vector<uint64_t> bits;
  for (int i = 0; i < plug.NParams(); ++i) {
    const double v = plug.GetParam(i)->Value();
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    bits.push_back(b);
  }
  return bits;
}

// The signal menu lists the five forms of the sine, marks the provider's
// row (only that one, click after click) and shows its short text; a choice
// changes nothing.
TEST_F(Controls, LfoSignalMenuRowsMarkAndText) {
  Open();
  SignalStandIn provider;
  IBitmap b = Sized(100, 20);
  IRnLfoSignalTypePresetMenu* menu = new IRnLfoSignalTypePresetMenu(
      plug.get(), &provider, Rawnfield::kLfo2Signal, 10, 10, nullptr, &b, COLOR_WHITE);
  g->AttachControl(menu);
  const std::vector<uint64_t> before = Values(*plug);
  IMouseMod left(true);
  provider.row = 3;
  menus.path = {2};
  menu->OnMouseDown(20, 15, &left);
  EXPECT_EQ(menus.titles,
            (std::vector<std::string>{"Sine", "Sine (Positive Part)", "Sine (Negative Part)",
                                      "Sine (Absolute Value)", "Sine (Inverted)"}));
  EXPECT_EQ(menus.checked, std::vector<int>{3});
  provider.row = 1;
  menu->OnMouseDown(20, 15, &left);
  EXPECT_EQ(menus.checked, std::vector<int>{1});
  EXPECT_EQ(menus.shown, 2);
  EXPECT_EQ(Values(*plug), before);

  provider.text = std::string(40, 'x');
  DrawAll();
  EXPECT_EQ(std::string(menu->GetDisplayText()), std::string(32, 'x'));
  for (int k : provider.asked) EXPECT_EQ(k, Rawnfield::kLfo2Signal);
}

// The waveform menu has no rows: it asks for the mark but shows no menu;
// the note-mode menu has ten rows and no mark; both draw only their image.
TEST_F(Controls, WaveformAndNoteModeMenus) {
  Open();
  SignalStandIn provider;
  IBitmap b = Sized(100, 20);
  IRnWaveformPresetMenu* waves = new IRnWaveformPresetMenu(
      plug.get(), &provider, Rawnfield::kOsc2Waveform, 10, 10, nullptr, &b, COLOR_WHITE);
  IRnNoteModePresetMenu* notes =
      new IRnNoteModePresetMenu(plug.get(), 10, 40, nullptr, &b, COLOR_WHITE);
  g->AttachControl(waves);
  g->AttachControl(notes);
  const std::vector<uint64_t> before = Values(*plug);
  IMouseMod left(true);
  menus.path = {0};
  waves->OnMouseDown(20, 15, &left);
  EXPECT_EQ(menus.shown, 0);
  EXPECT_EQ(waves->GetMenu().GetNItems(), 0);
  EXPECT_EQ(provider.asked, std::vector<int>{Rawnfield::kOsc2Waveform});

  const std::vector<std::string> modes = {"Standard MIDI (Keytracking)",
                                          "Octave Down (Keytracking)",
                                          "Octave Up (Keytracking)",
                                          "F1 Kick 43.6Hz",
                                          "F#1 Kick 46.2Hz",
                                          "G1 Kick 49.0Hz",
                                          "G#1 Kick 51.9Hz",
                                          "C2 Drum Body 65.4Hz",
                                          "Arp. Dur Up 1/16 (Keytracking)",
                                          "Arp. Moll Up 1/16 (Keytracking)"};
  EXPECT_EQ(IRnNoteModePresetMenu::getNoteModeNames(), modes);
  menus.path = {9};
  notes->OnMouseDown(20, 45, &left);
  EXPECT_EQ(menus.titles, modes);
  EXPECT_TRUE(menus.checked.empty());
  EXPECT_EQ(Values(*plug), before);

  DrawAll();
  EXPECT_STREQ(waves->GetDisplayText(), "");
  EXPECT_STREQ(notes->GetDisplayText(), "");
}

// A surface that records the addresses it is asked to open, with the title
// that goes with them, and opens only the reachable ones.
class AddressSurface : public IGraphicsDesktop {
public:
  explicit AddressSurface(IFxBase* plug) : IGraphicsDesktop(plug, 100, 100) {}
  bool OpenURL(const char* url, const char* title, const char*, const char*) override {
    opened.push_back(std::string(url) + " | " + (title ? title : "(null)"));
    return reachable.count(url) > 0;
  }
  std::set<std::string> reachable;
  std::vector<std::string> opened;
};

TEST_F(Controls, UrlButtonFallsBackToTheSecondAddress) {
  struct Case {
    const char *url, *backup;
    std::set<std::string> reachable;
    std::vector<std::string> opened;
  } cases[] = {
      {"https://a.example",
       "https://b.example",
       {"https://a.example"},
       {"https://a.example | Help"}},
      {"https://a.example",
       "https://b.example",
       {},
       {"https://a.example | Help", "https://b.example | Help"}},
      {"", "/usr/share/doc/b.html", {}, {"/usr/share/doc/b.html | Help"}},
      {nullptr, nullptr, {}, {}},
      {"https://a.example", "", {}, {"https://a.example | Help"}},
  };
  for (const Case& k : cases) {
    NamedPresets host({"only"});
    AddressSurface* surface = new AddressSurface(&host);
    host.AttachGraphics(surface);
    surface->reachable = k.reachable;
    IBitmap b = Sized(20, 40);
    IRnUrlButton* button = new IRnUrlButton(&host, 0, 0, -1, &b, k.url, k.backup, "Help");
    surface->AttachControl(button);
    IMouseMod left(true);
    button->OnMouseDown(5, 5, &left);
    EXPECT_EQ(surface->opened, k.opened) << (k.url ? k.url : "(null)");
    EXPECT_EQ(button->GetValue(), 1.0);
    button->OnMouseUp(5, 5, &left);
    EXPECT_EQ(button->GetValue(), 0.0);
  }

  // The message is kept up to 1023 characters; none is the empty text.
  const std::string longMessage(1500, 'm');
  IBitmap b = Sized(20, 40);
  IRnUrlButton longOne(plug.get(), 0, 0, -1, &b, "https://a.example", nullptr, longMessage.c_str());
  EXPECT_EQ(longOne.GetMessage(), longMessage.substr(0, 1023));
  EXPECT_EQ(longOne.GetBackupURL(), "");
  IRnUrlButton silent(plug.get(), 0, 0, -1, &b, "https://a.example");
  EXPECT_EQ(silent.GetMessage(), "");
}

// The test button's press leaves its value; the release clears it.
TEST_F(Controls, TestButtonOnlyReleases) {
  IBitmap b = Sized(20, 40);
  IRnTestButton* button = new IRnTestButton(plug.get(), 0, 0, -1, &b);
  g->AttachControl(button);
  button->SetValueFromPlug(0.5);
  IMouseMod left(true);
  button->OnMouseDown(5, 5, &left);
  EXPECT_EQ(button->GetValue(), 0.5);
  button->OnMouseUp(5, 5, &left);
  EXPECT_EQ(button->GetValue(), 0.0);
}

// A drawing field of 40 x 40 at (10, 20): one column per pixel, drawn as
// the curve editor draws but over the whole rectangle, read back unclamped.
TEST_F(Controls, DrawAreaPressAndDrag) {
  IRnDrawArea* area = new IRnDrawArea(plug.get(), IRECT(10, 20, 50, 60));
  g->AttachControl(area);
  Rawnfield::DrawnCurve& curve = area->GetDrawnCurve();
  ASSERT_EQ(curve.size(), 40);
  EXPECT_EQ(area->getCurveValue(0.0), 1.0);
  EXPECT_EQ(area->getCurveValue(1.0), 1.0 - 78.0 / 40.0);

  IMouseMod left(true), right(false, true);
  struct Press {
    int y;
    double value;
  } presses[] = {{20, -1.0}, {60, 1.0}, {40, 0.0}, {30, -0.5}};
  for (const Press& p : presses) {
    curve.takeChanged();
    area->OnMouseDown(15, p.y, &left);
    EXPECT_EQ(curve.value(5), p.value) << p.y;
    EXPECT_TRUE(curve.isChanged()) << p.y;
  }
  curve.takeChanged();
  area->OnMouseDown(16, 20, &right);
  EXPECT_EQ(curve.value(6), 1.0 - 12.0 / 40.0);
  EXPECT_FALSE(curve.isChanged());

  auto reset = [&] {
    for (int k = 0; k < curve.size(); ++k) curve.setCurveValue(k, 0.5);
  };
  // Arriving at column 15 with dX = 5: columns 15..20 take the value, 14
  // moves 0.7 of the way.
  reset();
  area->OnMouseDrag(10 + 15, 30, 5, 0, &left);
  for (int k = 15; k <= 20; ++k) EXPECT_EQ(curve.value(k), -0.5) << k;
  EXPECT_EQ(curve.value(21), 0.5);
  EXPECT_NEAR(curve.value(14), 0.7 * -0.5 + 0.3 * 0.5, 1e-12);
  // Arriving at column 2 with dX = -3: columns 2 and 1, never column 0.
  reset();
  area->OnMouseDrag(10 + 2, 60, -3, 0, &left);
  EXPECT_EQ(curve.value(2), 1.0);
  EXPECT_EQ(curve.value(1), 1.0);
  EXPECT_EQ(curve.value(0), 0.5);
  EXPECT_NEAR(curve.value(3), 0.7 + 0.3 * 0.5, 1e-12);

  // Unlike the curve editor's, the value is not clamped.
  area->setCurveValue(39, 3.0);
  EXPECT_EQ(area->getCurveValue(1.0), 3.0);
  area->setCurveValue(40, 9.0);  // past the last column: ignored
  EXPECT_EQ(area->getCurveValue(1.0), 3.0);
}

// The identity runs from the bottom-left corner up to the right in white,
// inside a blue frame.
TEST_F(Controls, DrawAreaDrawsItsCurveInAFrame) {
  IRnDrawArea* area = new IRnDrawArea(plug.get(), IRECT(10, 20, 50, 60));
  g->AttachControl(area);
  DrawAll();
  EXPECT_EQ(g->GetPoint(10, 20), COLOR_BLUE);
  EXPECT_EQ(g->GetPoint(30, 20), COLOR_BLUE);
  EXPECT_EQ(g->GetPoint(30, 40), COLOR_WHITE);  // point 20: 20 + 20 (1 - 1) + 20
  EXPECT_EQ(g->GetPoint(20, 50), COLOR_WHITE);  // point 10
  EXPECT_NE(g->GetPoint(30, 30), COLOR_WHITE);
}

// The surface's second window slot opens nothing.
TEST_F(Controls, SecondWindowSlotOpensNothing) {
  IGraphics* surface = g;
  plat::Window* window = new plat::Window({0, 0, 200, 200}, plat::kStyleTitled);
  EXPECT_EQ(surface->OpenWindow(window, nullptr, 10, 20), nullptr);
  EXPECT_FALSE(surface->WindowIsOpen());
}

}  // namespace
