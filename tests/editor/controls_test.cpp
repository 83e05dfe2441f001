// The control base and the stock controls: values from the plug-in and from
// the user, knob gearing, switches, radio buttons, the fader, captions and
// display controls, links and file selectors.

#include <string>
#include <vector>

#include "editor_fixture.h"
#include "platform/panels.h"
#include "platform/workspace.h"

namespace {

class Controls : public EditorTest {
protected:
  void SetUp() override {
    EditorTest::SetUp();
    g = Attach(MakeEditor(200, 200));
    plug->fromGUI.clear();
  }
  template <class T>
  T* Add(T* c) {
    g->AttachControl(c);
    return c;
  }
  // What the plug-in received for a parameter, in order.
  std::vector<double> Sent(int param) const {
    std::vector<double> v;
    for (auto& p : plug->fromGUI)
      if (p.first == param) v.push_back(p.second);
    return v;
  }
  IBitmap Image(int id, const char* name, int frames) { return g->LoadIBitmap(id, name, frames); }

  TestEditor* g = nullptr;
  IMouseMod left{true};
  IMouseMod right{false, true};
};

TEST_F(Controls, FirstPushBecomesTheDefaultAndDoubleClickRestoresIt) {
  ProbeControl* c = Add(new ProbeControl(plug.get(), IRECT(0, 0, 10, 10), EditorPlug::kAmount));
  c->SetClean();
  c->SetValueFromPlug(0.3);
  EXPECT_EQ(c->GetValue(), 0.3);
  EXPECT_EQ(c->GetDefaultValue(), 0.3);
  EXPECT_FALSE(c->IsDirty());  // the first push is no change
  c->SetValueFromPlug(0.8);
  EXPECT_TRUE(c->IsDirty());
  EXPECT_TRUE(plug->fromGUI.empty());  // nothing goes back
  c->IControl::OnMouseDblClick(0, 0, &left);
  EXPECT_EQ(c->GetValue(), 0.3);
  EXPECT_EQ(Sent(EditorPlug::kAmount), std::vector<double>{0.3});

  // Without a default, double clicks do nothing.
  ProbeControl* fresh = Add(new ProbeControl(plug.get(), IRECT(0, 0, 10, 10), EditorPlug::kGain));
  fresh->SetValue(0.6);
  fresh->IControl::OnMouseDblClick(0, 0, &left);
  EXPECT_EQ(fresh->GetValue(), 0.6);
  EXPECT_TRUE(Sent(EditorPlug::kGain).empty());
}

TEST_F(Controls, UserValuesAreClampedAndSentOnlyWhenTheyChange) {
  ProbeControl* c = Add(new ProbeControl(plug.get(), IRECT(0, 0, 10, 10), EditorPlug::kAmount));
  c->Clamp(0.2, 0.8);
  c->SetValue(0.9);
  c->SetDirty(true);
  c->SetValue(0.1);
  c->SetDirty(true);
  EXPECT_EQ(Sent(EditorPlug::kAmount), (std::vector<double>{0.8, 0.2}));
  EXPECT_DOUBLE_EQ(plug->GetParam(EditorPlug::kAmount)->Value(), 20.0);
  c->SetValueFromUserInput(0.2);  // unchanged: nothing sent
  EXPECT_EQ(Sent(EditorPlug::kAmount).size(), 2u);
  c->SetValueFromUserInput(0.5);
  EXPECT_EQ(Sent(EditorPlug::kAmount).back(), 0.5);
  // Without a parameter only the control is marked.
  ProbeControl* free = Add(new ProbeControl(plug.get(), IRECT(0, 0, 10, 10)));
  free->SetDirty(true);
  EXPECT_EQ(plug->fromGUI.size(), 3u);
}

TEST_F(Controls, GreyingOutRestoresFullWeightAndAuxiliaryValuesMarkDirty) {
  ProbeControl* c = Add(new ProbeControl(plug.get(), IRECT(0, 0, 10, 10)));
  c->GetBlend()->mWeight = 0.6f;
  c->GrayOut(true);
  EXPECT_EQ(c->GetBlend()->mWeight, 0.25f);
  c->GrayOut(false);
  EXPECT_EQ(c->GetBlend()->mWeight, 1.0f);

  c->AddAuxParam(EditorPlug::kMode);
  c->SetClean();
  c->SetAuxParamValueFromPlug(0, 0.0);  // unchanged
  EXPECT_FALSE(c->IsDirty());
  c->SetAuxParamValueFromPlug(0, 0.5);
  EXPECT_TRUE(c->IsDirty());
  c->SetAuxParamValueFromPlug(4, 0.5);  // no such entry: ignored
  EXPECT_EQ(c->AuxParamIdx(EditorPlug::kMode), 0);
  EXPECT_EQ(c->AuxParamIdx(EditorPlug::kGain), -1);
  c->SetAllAuxParamsFromGUI();
  EXPECT_EQ(Sent(EditorPlug::kMode), std::vector<double>{0.5});
  IControl* nowhere = Add(new ProbeControl(plug.get(), IRECT()));
  EXPECT_FALSE(nowhere->IsHit(0, 0));
}

TEST_F(Controls, DisplayControlsShowTheValueTextAndName) {
  IText style;
  ITextControl* value = Add(new ITextControl(plug.get(), IRECT(0, 0, 50, 10), &style));
  ITextControl* name = Add(new ITextControl(plug.get(), IRECT(0, 10, 50, 20), &style));
  ProbeControl* gain = Add(new ProbeControl(plug.get(), IRECT(0, 20, 50, 30), EditorPlug::kGain));
  gain->SetValDisplayControl(value);
  gain->SetNameDisplayControl(name);
  gain->SetValue(0.75);
  gain->SetDirty(true);
  EXPECT_STREQ(value->GetTextForPlug(), "6.0 dB");
  EXPECT_STREQ(name->GetTextForPlug(), "Gain");
  // A value with a display text has no label: the text ends in a blank.
  ProbeControl* mode = Add(new ProbeControl(plug.get(), IRECT(0, 30, 50, 40), EditorPlug::kMode));
  mode->SetValDisplayControl(value);
  mode->SetValue(1.0);
  mode->SetDirty(true);
  EXPECT_STREQ(value->GetTextForPlug(), "Fold ");
  // Unchanged text does not mark the display dirty.
  value->SetClean();
  mode->SetDirty(true);
  EXPECT_FALSE(value->IsDirty());
}

TEST_F(Controls, KnobDragFollowsTheGearing) {
  // A knob 100 high with gearing 4: 40 pixels up raise it by 0.1.
  struct Case {
    IMouseMod mod;
    int dY;
    double expected;
  } cases[] = {
      {IMouseMod(true), -40, 0.6},
      {IMouseMod(true), 40, 0.4},
      {IMouseMod(true, false, true), -40, 0.51},        // Shift: ten times finer
      {IMouseMod(true, false, false, true), -40, 0.51},  // Control too
      {IMouseMod(true), -1000, 1.0},                     // clamped
  };
  for (const Case& k : cases) {
    // A surface of its own per case: the knob alone under the pointer.
    TestEditor local(plug.get(), 200, 200);
    IKnobMultiControl* knob = new IKnobMultiControl(plug.get(), 50, 50, EditorPlug::kAmount, nullptr);
    local.AttachControl(knob);
    knob->SetRECT(IRECT(50, 50, 80, 150));
    knob->SetTargetArea(IRECT(50, 50, 80, 150));
    knob->SetValue(0.5);
    plug->fromGUI.clear();
    IMouseMod mod = k.mod;
    local.OnMouseDown(60, 100, &mod);
    local.OnMouseDrag(60, 100 + k.dY, &mod);
    local.OnMouseUp(60, 100 + k.dY, &mod);
    EXPECT_NEAR(knob->GetValue(), k.expected, 1e-12);
    // The value reached the plug-in through SetDirty.
    ASSERT_EQ(Sent(EditorPlug::kAmount).size(), 1u);
    EXPECT_NEAR(plug->GetParam(EditorPlug::kAmount)->Value(), 100.0 * k.expected, 0.005);
  }
}

TEST_F(Controls, HorizontalKnobAndWheel) {
  IKnobLineControl* knob = Add(new IKnobLineControl(plug.get(), IRECT(0, 0, 50, 20),
                                                    EditorPlug::kAmount, &COLOR_WHITE, 0, 0, -1,
                                                    1, kHorizontal, 2.0));
  knob->SetValue(0.5);
  knob->OnMouseDrag(0, 0, 10, -30, &left);  // 10 / 50 / 2
  EXPECT_NEAR(knob->GetValue(), 0.6, 1e-12);
  for (int i = 0; i < 3; ++i) knob->OnMouseWheel(0, 0, &left, 1);
  EXPECT_NEAR(knob->GetValue(), 0.63, 1e-12);
  IMouseMod fine(true, false, false, true);
  for (int i = 0; i < 3; ++i) knob->OnMouseWheel(0, 0, &fine, 1);
  EXPECT_NEAR(knob->GetValue(), 0.633, 1e-12);
  knob->Clamp(0.0, 0.64);
  knob->OnMouseWheel(0, 0, &left, 5);
  EXPECT_EQ(knob->GetValue(), 0.64);
  // An outer radius of 0 reaches the edge; the line is drawn plain.
  EXPECT_EQ(knob->GetBlend()->mMethod, IChannelBlend::kBlendCopy);
}

TEST_F(Controls, FrameForValue) {
  EXPECT_EQ(IFrameForValue(5, 0.5), 3);
  EXPECT_EQ(IFrameForValue(5, 1.0), 5);
  EXPECT_EQ(IFrameForValue(5, 0.0), 1);
  EXPECT_EQ(IFrameForValue(5, 1.7), 5);
  EXPECT_EQ(IFrameForValue(5, -0.5), 1);
  EXPECT_EQ(IFrameForValue(1, 0.9), 1);
  EXPECT_EQ(IFrameForValue(0, 0.9), 1);
}

TEST_F(Controls, SwitchesStepAndWrap) {
  IBitmap three = Image(300, "knob.png", 3), one = Image(301, "switch.png", 1);
  ISwitchControl* sw = Add(new ISwitchControl(plug.get(), 0, 0, EditorPlug::kAmount, &three));
  std::vector<double> seen;
  for (int i = 0; i < 4; ++i) {
    sw->OnMouseDown(0, 0, &left);
    seen.push_back(sw->GetValue());
  }
  EXPECT_EQ(seen, (std::vector<double>{0.5, 1.0, 0.0, 0.5}));
  sw->OnMouseDblClick(0, 0, &left);  // counts as a click
  EXPECT_EQ(sw->GetValue(), 1.0);

  ISwitchControl* toggle = Add(new ISwitchControl(plug.get(), 0, 0, EditorPlug::kFlag, &one));
  toggle->OnMouseDown(0, 0, &left);
  toggle->OnMouseDown(0, 0, &left);
  toggle->OnMouseDown(0, 0, &left);
  EXPECT_EQ(Sent(EditorPlug::kFlag), (std::vector<double>{1.0, 0.0, 1.0}));
  // Rect from image: one of three frames of 16 x 64.
  EXPECT_EQ(*sw->GetRECT(), IRECT(0, 0, 16, 21));
}

TEST_F(Controls, ContactInvisibleAndFrameSwitches) {
  IBitmap two = Image(302, "switch.png", 2);
  IContactControl* contact = Add(new IContactControl(plug.get(), 0, 0, EditorPlug::kFlag, &two));
  g->OnMouseDown(3, 3, &left);
  g->OnMouseUp(3, 3, &left);
  EXPECT_EQ(Sent(EditorPlug::kFlag), (std::vector<double>{1.0, 0.0}));
  EXPECT_EQ(contact->GetValue(), 0.0);

  IInvisibleSwitchControl* inv =
      Add(new IInvisibleSwitchControl(plug.get(), IRECT(0, 0, 5, 5), EditorPlug::kSwitch));
  inv->SetValue(0.4);
  inv->OnMouseDown(0, 0, &left);
  EXPECT_EQ(inv->GetValue(), 1.0);
  inv->OnMouseDown(0, 0, &left);
  EXPECT_EQ(inv->GetValue(), 0.0);
  EXPECT_TRUE(inv->GetDisablePrompt());

  // Four frames of 16 x 16 side by side in columns: 64 x 16 split in four.
  IBitmap strip = Image(303, "knob.png", 4);
  ISwitchFramesControl* frames =
      Add(new ISwitchFramesControl(plug.get(), 10, 20, EditorPlug::kSteps, &strip, false));
  EXPECT_EQ(frames->NFrameRECTs(), 4);
  EXPECT_EQ(frames->GetFrameRECT(1), IRECT(10, 24, 26, 28));
  frames->OnMouseDown(12, 29, &left);
  EXPECT_NEAR(frames->GetValue(), 2.0 / 3.0, 1e-12);
  frames->OnMouseDown(100, 100, &left);  // in no part: unchanged
  EXPECT_NEAR(frames->GetValue(), 2.0 / 3.0, 1e-12);
  EXPECT_FALSE(frames->GetDisablePrompt());
  ISwitchFramesControl* columns =
      Add(new ISwitchFramesControl(plug.get(), 0, 0, EditorPlug::kSteps, &strip, true));
  EXPECT_EQ(columns->GetFrameRECT(3), IRECT(12, 0, 16, 16));
}

TEST_F(Controls, RadioButtonsLayOutPickAndLight) {
  IBitmap radio = Image(304, "radio.png", 2);  // 10 x 10 buttons
  IRadioButtonsControl* down = Add(new IRadioButtonsControl(
      plug.get(), IRECT(60, 10, 72, 70), EditorPlug::kMode, 3, &radio, kVertical, false));
  EXPECT_EQ(down->GetButtonRECT(0), IRECT(60, 10, 70, 20));
  EXPECT_EQ(down->GetButtonRECT(2), IRECT(60, 60, 70, 70));
  down->OnMouseDown(65, 40, &left);
  EXPECT_EQ(down->GetValue(), 0.5);
  down->OnMouseDown(71, 40, &left);  // between buttons: unchanged, still sent
  EXPECT_EQ(Sent(EditorPlug::kMode), (std::vector<double>{0.5, 0.5}));

  IRadioButtonsControl* across = Add(new IRadioButtonsControl(
      plug.get(), IRECT(0, 100, 100, 110), EditorPlug::kSteps, 4, &radio, kHorizontal, true));
  // Reversed: the first button lies one gap in from the far edge.
  EXPECT_EQ(across->GetButtonRECT(0), IRECT(70, 100, 80, 110));
  EXPECT_EQ(across->GetButtonRECT(1), IRECT(40, 100, 50, 110));
  IRadioButtonsControl* up = Add(new IRadioButtonsControl(
      plug.get(), IRECT(0, 0, 10, 100), EditorPlug::kSteps, 4, &radio, kVertical, true));
  EXPECT_EQ(up->GetButtonRECT(0), IRECT(0, 70, 10, 80));

  // A right click prompts instead (the mode menu through the editor).
  down->DisablePrompt(false);
  const size_t before = plug->fromGUI.size();
  down->OnMouseDown(65, 15, &right);
  EXPECT_EQ(plug->fromGUI.size(), before);  // no window: the menu does not show
}

TEST_F(Controls, FaderSnapsItsHandleCentreToThePointer) {
  IBitmap handle = Image(305, "handle.png", 1);  // 10 x 6
  IFaderControl* fader = Add(new IFaderControl(plug.get(), 0, 0, 100, EditorPlug::kAmount,
                                               &handle, kVertical));
  EXPECT_EQ(*fader->GetRECT(), IRECT(0, 0, 10, 100));
  g->OnMouseDown(2, 3, &left);
  EXPECT_EQ(fader->GetValue(), 1.0);
  g->OnMouseDrag(2, 97, &left);
  EXPECT_EQ(fader->GetValue(), 0.0);
  g->OnMouseDrag(2, 50, &left);
  EXPECT_NEAR(fader->GetValue(), 1.0 - 47.0 / 94.0, 1e-12);
  g->OnMouseUp(2, 50, &left);
  fader->SetValue(0.5);
  EXPECT_EQ(fader->GetHandleRECT(), IRECT(0, 47, 10, 53));
  fader->OnMouseWheel(0, 0, &left, 2);
  EXPECT_NEAR(fader->GetValue(), 0.52, 1e-12);

  IFaderControl* across = Add(new IFaderControl(plug.get(), 20, 150, 50, EditorPlug::kGain,
                                                &handle, kHorizontal, true));
  EXPECT_EQ(*across->GetRECT(), IRECT(20, 150, 70, 156));
  across->SetValue(1.0);
  EXPECT_EQ(across->GetHandleRECT(), IRECT(60, 150, 70, 156));
  // Only the handle is hit.
  EXPECT_TRUE(across->IsHit(65, 152));
  EXPECT_FALSE(across->IsHit(25, 152));
}

TEST_F(Controls, CaptionShowsDisplayTextAndLabel) {
  IText style;
  ICaptionControl* caption =
      Add(new ICaptionControl(plug.get(), IRECT(0, 0, 60, 12), EditorPlug::kAmount, &style, true));
  ICaptionControl* bare =
      Add(new ICaptionControl(plug.get(), IRECT(0, 20, 60, 32), EditorPlug::kMode, &style, false));
  plug->GetParam(EditorPlug::kAmount)->Set(12.5);
  plug->GetParam(EditorPlug::kMode)->Set(2);
  IRECT all(0, 0, 200, 200);
  g->Draw(&all);
  EXPECT_STREQ(caption->GetTextForPlug(), "12.50 %");
  EXPECT_STREQ(bare->GetTextForPlug(), "Fold");
}

TEST_F(Controls, TextControlsMarkDirtyOnlyOnChange) {
  IText style;
  ITextControl* text = Add(new ITextControl(plug.get(), IRECT(0, 0, 60, 12), &style, "abc"));
  text->SetClean();
  text->SetTextFromPlug("abc");
  EXPECT_FALSE(text->IsDirty());
  text->SetTextFromPlug("abd");
  EXPECT_TRUE(text->IsDirty());
  IBitmap font = Image(306, "font.png", 40);
  IBitmapTextControl* bt = Add(new IBitmapTextControl(plug.get(), IRECT(0, 0, 40, 4), &font, "x"));
  bt->SetClean();
  bt->SetTextFromPlug("x");
  EXPECT_FALSE(bt->IsDirty());
  bt->ClearTextFromPlug();
  EXPECT_TRUE(bt->IsDirty());
  EXPECT_STREQ(bt->GetTextForPlug(), "");
}

TEST_F(Controls, LinkFallsBackToItsBackupAddress) {
  std::vector<std::vector<std::string>> opened;
  bool accept = false;
  plat::setCommandRunner([&](const std::vector<std::string>& argv) {
    opened.push_back(argv);
    return accept;
  });
  std::string longURL(400, 'x');
  IURLControl* link = Add(new IURLControl(plug.get(), IRECT(0, 0, 10, 10),
                                          "https://example.org/a", "https://example.org/b"));
  IURLControl* longOne =
      Add(new IURLControl(plug.get(), IRECT(0, 0, 10, 10), longURL.c_str(), nullptr));
  link->OnMouseDown(0, 0, &left);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].back(), "https://example.org/a");
  EXPECT_EQ(opened[1].back(), "https://example.org/b");
  accept = true;
  opened.clear();
  link->OnMouseDown(0, 0, &left);
  EXPECT_EQ(opened.size(), 1u);
  // Addresses are cut to 255 characters.
  EXPECT_EQ(std::string(longOne->GetURL()), longURL.substr(0, 255));
  EXPECT_STREQ(longOne->GetBackupURL(), "");
  plat::setCommandRunner(nullptr);
}

// Answers file panels from a script.
class ScriptedPanels : public plat::PanelRunner {
public:
  int runFilePanel(plat::FilePanel& panel) override {
    seen.push_back(panel.directory + "|" + panel.fileName + "|" +
                   std::to_string(panel.allowedTypes.size()) + "|" +
                   (panel.kind() == plat::PanelKind::Save ? "save" : "open"));
    for (const std::string& t : panel.allowedTypes) seen.back() += " " + t;
    if (answer.empty()) return 0;
    panel.paths = {answer};
    return 1;
  }
  int runAlert(plat::Alert& alert) override {
    alerts.push_back(alert.title + "|" + alert.message);
    for (const std::string& b : alert.buttons) alerts.back() += "|" + b;
    return button;
  }
  std::string answer;
  int button = 0;
  std::vector<std::string> seen, alerts;
};

TEST_F(Controls, FileSelectorRunsThePanelAndTogglesItsValue) {
  ScriptedPanels panels;
  plat::setPanelRunner(&panels);
  IBitmap img = Image(307, "switch.png", 2);
  IFileSelectorControl* sel = Add(new IFileSelectorControl(
      plug.get(), IRECT(0, 0, 12, 12), EditorPlug::kFlag, &img, kFileOpen, "/tmp/start/", "csv txt"));
  // Without an open view the panel cannot run: nothing chosen.
  sel->OnMouseDown(0, 0, &left);
  EXPECT_TRUE(panels.seen.empty());
  EXPECT_EQ(sel->GetValue(), 1.0);
  EXPECT_TRUE(sel->IsDirty());
  sel->SetClean();
  EXPECT_TRUE(sel->IsDirty());  // once more after a selection
  EXPECT_FALSE(sel->IsDirty());

  g->OpenWindow(nullptr);
  panels.answer = "/data/curves/shape.csv";
  sel->OnMouseDown(0, 0, &left);
  ASSERT_EQ(panels.seen.size(), 1u);
  EXPECT_EQ(panels.seen[0], "/tmp/start/||2|open csv txt");
  KIT_String file;
  sel->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "/data/curves/shape.csv");
  EXPECT_EQ(sel->GetValue(), 0.0);

  // Cancelled: the file is empty and the value still toggles.
  panels.answer.clear();
  sel->OnMouseDown(0, 0, &left);
  sel->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "");
  EXPECT_EQ(sel->GetValue(), 1.0);
  EXPECT_EQ(sel->GetState(), IFileSelectorControl::kFSDone);
  plat::setPanelRunner(nullptr);
}

TEST_F(Controls, PromptingNeedsAParameterAndTheFlagCleared) {
  ProbeControl* none = Add(new ProbeControl(plug.get(), IRECT(0, 0, 10, 10)));
  none->DisablePrompt(false);
  none->OnMouseDown(0, 0, &right);  // no parameter: nothing
  ProbeControl* gain = Add(new ProbeControl(plug.get(), IRECT(0, 0, 10, 10), EditorPlug::kGain));
  g->OpenWindow(nullptr);
  gain->OnMouseDown(5, 5, &right);  // prompting still disabled
  EXPECT_EQ(g->GetView()->textField(), nullptr);
  gain->DisablePrompt(false);
  gain->OnMouseDown(5, 5, &right);
  ASSERT_NE(g->GetView()->textField(), nullptr);
  // 40 x 16 centred on the control.
  EXPECT_EQ(g->GetView()->toEditorRect(g->GetView()->textField()->frame()), IRECT(-15, -3, 26, 14));
  EXPECT_STREQ(g->GetView()->textField()->stringValue().c_str(), "0.0");
}

}  // namespace
