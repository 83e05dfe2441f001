// The editor surface: rectangles, the hit search, mouse and key dispatch,
// parameter links, the dirty area and the redraw, prompting.

#include <string>
#include <vector>

#include "editor_fixture.h"

namespace {

TEST(IRect, MeetUnionAndIntersection) {
  const IRECT a(0, 0, 10, 10), b(10, 10, 20, 20), c(11, 0, 20, 5), empty;
  // Right and bottom edges count as touching.
  EXPECT_TRUE(a.Intersects(b));
  EXPECT_FALSE(a.Intersects(c));
  EXPECT_FALSE(a.Intersects(empty));
  EXPECT_FALSE(empty.Intersects(empty));
  EXPECT_EQ(a.Union(c), IRECT(0, 0, 20, 10));
  EXPECT_EQ(empty.Union(c), c);
  EXPECT_EQ(c.Union(empty), c);
  EXPECT_EQ(a.Intersect(IRECT(5, -5, 15, 5)), IRECT(5, 0, 10, 5));
  EXPECT_TRUE(a.Intersect(c).Empty());
  // A rectangle at the origin with a size is not empty.
  EXPECT_FALSE(IRECT(0, 0, 1, 0).Empty());
}

TEST_F(EditorTest, FrameRateDefaultsTo25) {
  for (int fps : {0, -3}) {
    TestEditor g(plug.get(), 10, 10, fps);
    EXPECT_EQ(g.FPS(), 25);
  }
  TestEditor g(plug.get(), 10, 10, 60);
  EXPECT_EQ(g.FPS(), 60);
}

class Dispatch : public EditorTest {
protected:
  void SetUp() override {
    EditorTest::SetUp();
    g = Attach(MakeEditor());
    bg = Add(new ProbeControl(plug.get(), IRECT(0, 0, 120, 80), -1, &log, "bg"));
    under = Add(new ProbeControl(plug.get(), IRECT(10, 10, 50, 50), EditorPlug::kGain, &log, "under"));
    top = Add(new ProbeControl(plug.get(), IRECT(30, 30, 70, 70), -1, &log, "top"));
  }
  ProbeControl* Add(ProbeControl* c) {
    g->AttachControl(c);
    return c;
  }
  TestEditor* g = nullptr;
  ProbeControl *bg = nullptr, *under = nullptr, *top = nullptr;
  std::vector<std::string> log;
  IMouseMod left{true};
};

TEST_F(Dispatch, LaterControlsLieOnTopHiddenAndGreyedOnesAreSkipped) {
  EXPECT_EQ(g->GetMouseControlIdx(40, 40), 2);
  top->Hide(true);
  EXPECT_EQ(g->GetMouseControlIdx(40, 40), 1);
  top->Hide(false);
  top->GrayOut(true);
  EXPECT_EQ(g->GetMouseControlIdx(40, 40), 1);
  // Mouse-over passes greyed controls that ask for it.
  top->SetMOWhenGrayed(true);
  EXPECT_EQ(g->GetMouseControlIdx(40, 40, true), 2);
  EXPECT_EQ(g->GetMouseControlIdx(40, 40, false), 1);
  // Right and bottom edges are outside.
  EXPECT_EQ(g->GetMouseControlIdx(50, 20), 0);
  EXPECT_EQ(g->GetMouseControlIdx(200, 200), -1);
}

TEST_F(Dispatch, DownDragUpFollowTheCaptureAndInformTheHost) {
  g->OnMouseDown(20, 20, &left);
  EXPECT_EQ(g->GetMouseCapture(), 1);
  g->OnMouseDrag(25, 18, &left);
  g->OnMouseDrag(25, 18, &left);  // no movement: not passed on
  g->OnMouseDrag(100, 5, &left);  // outside: still the captured control
  g->OnMouseUp(100, 5, &left);
  EXPECT_EQ(g->GetMouseCapture(), -1);
  EXPECT_EQ(log, (std::vector<std::string>{"under down 20,20", "under drag 25,18",
                                           "under drag 100,5", "under up 100,5"}));
  // The first drag reports the movement from the mouse-down position.
  EXPECT_EQ(under->drags, (std::vector<std::pair<int, int>>{{5, -2}, {75, -13}}));
  EXPECT_EQ(plug->informs, (std::vector<std::string>{"begin 0", "end 0"}));
}

TEST_F(Dispatch, DragWithoutCaptureAndUpWithoutCaptureUseTheSearch) {
  g->OnMouseDrag(40, 40, &left);
  EXPECT_TRUE(log.empty());
  g->OnMouseUp(40, 40, &left);
  EXPECT_EQ(log, (std::vector<std::string>{"top up 40,40"}));
  EXPECT_TRUE(plug->informs.empty());  // top has no parameter
}

TEST_F(Dispatch, DoubleClickAsSingleClickStartsACapture) {
  EXPECT_FALSE(g->OnMouseDblClick(20, 20, &left));
  EXPECT_EQ(g->GetMouseCapture(), -1);
  under->SetDblAsSingleClick(true);
  EXPECT_TRUE(g->OnMouseDblClick(20, 20, &left));
  EXPECT_EQ(g->GetMouseCapture(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"under dbl 20,20", "under down 20,20"}));
  EXPECT_FALSE(g->OnMouseDblClick(500, 500, &left));
}

TEST_F(Dispatch, WheelGoesToTheCaptureElseTheControlUnderThePointer) {
  g->OnMouseWheel(40, 40, &left, 3);
  EXPECT_EQ(top->wheel, 3);
  g->OnMouseDown(20, 20, &left);
  g->OnMouseWheel(40, 40, &left, -2);
  EXPECT_EQ(under->wheel, -2);
}

TEST_F(Dispatch, MouseOverOnlyWhileHandledAndOutGoesToTheOneLeft) {
  EXPECT_FALSE(g->OnMouseOver(20, 20, &left));
  EXPECT_TRUE(log.empty());
  g->HandleMouseOver(true);
  EXPECT_TRUE(g->OnMouseOver(20, 20, &left));
  EXPECT_TRUE(g->OnMouseOver(21, 20, &left));
  EXPECT_TRUE(g->OnMouseOver(40, 40, &left));
  EXPECT_EQ(g->GetMouseOver(), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"under over 20,20", "under over 21,20",
                                           "top over 40,40", "under out"}));
  log.clear();
  g->OnMouseOut();
  EXPECT_EQ(g->GetMouseOver(), -1);
  EXPECT_EQ(log, (std::vector<std::string>{"bg out", "under out", "top out"}));
}

TEST_F(Dispatch, KeysGoToTheControlUnderThePointerElseTheKeyCatcher) {
  EXPECT_TRUE(g->OnKeyDown(40, 40, 15));
  EXPECT_EQ(top->keys, std::vector<int>{15});
  top->takesKeys = false;
  EXPECT_FALSE(g->OnKeyDown(40, 40, 16));
  // Over the background (index 0) or nothing: the key catcher, else false.
  EXPECT_FALSE(g->OnKeyDown(100, 5, 1));
  EXPECT_FALSE(g->OnKeyDown(500, 5, 1));
  EXPECT_TRUE(bg->keys.empty());
  ProbeControl* catcher = new ProbeControl(plug.get(), IRECT());
  g->AttachKeyCatcher(catcher);
  EXPECT_TRUE(g->OnKeyDown(100, 5, 2));
  EXPECT_TRUE(g->OnKeyDown(500, 5, 3));
  EXPECT_EQ(catcher->keys, (std::vector<int>{2, 3}));
}

TEST_F(Dispatch, AutomationParameterUnderThePointer) {
  EXPECT_EQ(g->GetParamIdxForPTAutomation(20, 20), EditorPlug::kGain);
  EXPECT_EQ(g->GetLastClickedParamForPTAutomation(), EditorPlug::kGain);
  EXPECT_EQ(g->GetLastClickedParamForPTAutomation(), -1);
  EXPECT_EQ(g->GetParamIdxForPTAutomation(100, 5), -1);  // the background
}

TEST_F(EditorTest, ParameterPushesReachBoundAndAuxiliaryControlsWithoutEcho) {
  TestEditor* g = Attach(MakeEditor());
  IControl* knob = new IKnobMultiControl(plug.get(), 0, 0, EditorPlug::kGain, nullptr);
  ProbeControl* follower = new ProbeControl(plug.get(), IRECT(0, 0, 5, 5));
  follower->AddAuxParam(EditorPlug::kAmount);
  follower->AddAuxParam(EditorPlug::kGain);
  g->AttachControl(knob);
  g->AttachControl(follower);
  plug->fromGUI.clear();

  // A plain value is normalised through the parameter.
  g->SetParameterFromPlug(EditorPlug::kGain, 6.0, false);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(follower->GetAuxParam(1)->mValue, 0.75);
  g->SetParameterFromPlug(EditorPlug::kAmount, 0.2, true);
  EXPECT_DOUBLE_EQ(follower->GetAuxParam(0)->mValue, 0.2);
  EXPECT_TRUE(plug->fromGUI.empty());

  g->SetControlFromPlug(0, 0.25);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.25);
  g->SetControlFromPlug(7, 0.5);  // outside the list: ignored
  g->SetControlFromPlug(-1, 0.5);
  EXPECT_TRUE(plug->fromGUI.empty());

  // From the editor's side the value does travel to the plug-in.
  g->SetParameterFromGUI(EditorPlug::kGain, 0.5);
  ASSERT_EQ(plug->fromGUI.size(), 1u);
  EXPECT_EQ(plug->GetParam(EditorPlug::kGain)->Value(), 0.0);
}

TEST_F(EditorTest, HideGreyAndClampEveryControlOfAParameter) {
  TestEditor* g = Attach(MakeEditor());
  IControl* a = new ProbeControl(plug.get(), IRECT(0, 0, 5, 5), EditorPlug::kGain);
  IControl* b = new ProbeControl(plug.get(), IRECT(5, 0, 9, 5), EditorPlug::kGain);
  IControl* other = new ProbeControl(plug.get(), IRECT(9, 0, 12, 5), EditorPlug::kAmount);
  g->AttachControl(a);
  g->AttachControl(b);
  g->AttachControl(other);
  g->HideControl(EditorPlug::kGain, true);
  EXPECT_TRUE(a->IsHidden() && b->IsHidden());
  EXPECT_FALSE(other->IsHidden());
  g->GrayOutControl(EditorPlug::kGain, true);
  EXPECT_EQ(a->GetBlend()->mWeight, 0.25f);
  g->ClampControl(EditorPlug::kGain, -6.0, 6.0, false);
  EXPECT_DOUBLE_EQ(b->GetClampLo(), 0.25);
  EXPECT_DOUBLE_EQ(b->GetClampHi(), 0.75);
  EXPECT_EQ(other->GetClampHi(), 1.0);
}

TEST_F(EditorTest, ParameterNamesBecomeToolTips) {
  TestEditor* g = Attach(MakeEditor());
  IControl* knob = new ProbeControl(plug.get(), IRECT(0, 0, 5, 5), EditorPlug::kAmount);
  IControl* plain = new ProbeControl(plug.get(), IRECT(0, 0, 5, 5));
  g->AttachControl(knob);
  g->AttachControl(plain);
  g->AssignParamNameToolTips();
  EXPECT_STREQ(knob->GetTooltip(), "Amount");
  EXPECT_STREQ(plain->GetTooltip(), "");
}

class Redraw : public EditorTest {
protected:
  void SetUp() override {
    EditorTest::SetUp();
    g = Attach(MakeEditor());
    for (IRECT r : {IRECT(0, 0, 120, 80), IRECT(10, 10, 20, 20), IRECT(50, 50, 60, 60)}) {
      c.push_back(new ProbeControl(plug.get(), r));
      g->AttachControl(c.back());
    }
    // Controls start dirty: the first pass cleans them.
    IRECT all;
    ASSERT_TRUE(g->IsDirty(&all));
    EXPECT_EQ(all, IRECT(0, 0, 120, 80));
    g->Draw(&all);
  }
  TestEditor* g = nullptr;
  std::vector<ProbeControl*> c;
};

TEST_F(Redraw, OnlyControlsMeetingTheDirtyAreaAreDrawn) {
  for (ProbeControl* p : c) EXPECT_EQ(p->draws, 1);
  IRECT r(3, 3, 4, 4);
  EXPECT_FALSE(g->IsDirty(&r));
  EXPECT_EQ(r, IRECT(3, 3, 4, 4));  // untouched without dirty controls

  c[1]->SetValueFromPlug(0.2);  // the first push only sets the default
  IRECT quiet;
  EXPECT_FALSE(g->IsDirty(&quiet));
  c[1]->SetValueFromPlug(0.5);
  IRECT dirty;
  ASSERT_TRUE(g->IsDirty(&dirty));
  EXPECT_EQ(dirty, IRECT(10, 10, 20, 20));
  g->Draw(&dirty);
  EXPECT_EQ(c[0]->draws, 2);  // beneath it
  EXPECT_EQ(c[1]->draws, 2);
  EXPECT_EQ(c[2]->draws, 1);  // elsewhere
  EXPECT_EQ(g->GetDrawRect(), dirty);
  // A value change from the plug-in keeps the control dirty for one more pass.
  IRECT again;
  EXPECT_TRUE(g->IsDirty(&again));
  g->Draw(&again);
  IRECT none;
  EXPECT_FALSE(g->IsDirty(&none));
}

TEST_F(Redraw, HiddenControlsAreCleanedNotDrawnAndEmptyListsDrawNothing) {
  c[1]->Hide(true);
  IRECT dirty;
  ASSERT_TRUE(g->IsDirty(&dirty));
  const int screens = g->screens;
  g->Draw(&dirty);
  EXPECT_EQ(c[1]->draws, 1);
  EXPECT_EQ(g->screens, screens + 1);
  g->Draw(&dirty);  // the redraw flag's extra pass
  EXPECT_FALSE(c[1]->IsDirty());

  TestEditor empty(plug.get(), 10, 10);
  IRECT r(0, 0, 10, 10);
  empty.Draw(&r);
  EXPECT_EQ(empty.screens, 0);
}

// A control attached last that, when asked, hands new texts to controls
// before it (as the effect's display watcher does).
class MarkingControl : public IControl {
public:
  MarkingControl(IFxBase* plug, IControl* target) : IControl(plug, IRECT()), mTarget(target) {}
  void Draw(IGraphics*) override {}
  bool IsDirty() override {
    if (mark) mTarget->SetDirty(false);
    mark = false;
    mDirty = false;
    return false;
  }
  bool mark = false;

private:
  IControl* mTarget;
};

TEST_F(Redraw, ControlsMarkedDirtyWhileTheAreaIsCollectedAreDrawnInThatFrame) {
  MarkingControl* watcher = new MarkingControl(plug.get(), c[2]);
  g->AttachControl(watcher);
  IRECT first;
  g->IsDirty(&first);
  g->Draw(&first);
  const int draws = c[2]->draws;
  watcher->mark = true;
  IRECT r;
  ASSERT_TRUE(g->IsDirty(&r));
  EXPECT_EQ(r, IRECT(50, 50, 60, 60));
  g->Draw(&r);
  EXPECT_EQ(c[2]->draws, draws + 1);
  EXPECT_FALSE(c[2]->IsDirty());
}

TEST_F(Redraw, AControlMarkedAfterTheCollectionStaysDirtyUntilDrawn) {
  c[1]->SetDirty(false);
  IRECT r;
  ASSERT_TRUE(g->IsDirty(&r));
  EXPECT_EQ(r, IRECT(10, 10, 20, 20));
  c[2]->SetDirty(false);  // between the collection and the drawing (an event)
  g->Draw(&r);
  EXPECT_EQ(c[2]->draws, 1);
  EXPECT_TRUE(c[2]->IsDirty());  // not lost
  IRECT next;
  ASSERT_TRUE(g->IsDirty(&next));
  EXPECT_EQ(next, IRECT(50, 50, 60, 60));
  g->Draw(&next);
  EXPECT_EQ(c[2]->draws, 2);
  EXPECT_FALSE(c[2]->IsDirty());
}

TEST_F(Redraw, NonStrictDrawingRedrawsAroundEachDirtyControl) {
  g->SetStrictDrawing(false);  // marks everything dirty
  IRECT all;
  ASSERT_TRUE(g->IsDirty(&all));
  g->Draw(&all);
  for (ProbeControl* p : c) EXPECT_EQ(p->draws, 2);
  c[2]->SetDirty(false);
  IRECT r;
  ASSERT_TRUE(g->IsDirty(&r));
  g->Draw(&r);
  EXPECT_EQ(c[0]->draws, 3);
  EXPECT_EQ(c[1]->draws, 2);
  EXPECT_EQ(c[2]->draws, 3);
}

TEST_F(EditorTest, BackgroundsGoInFrontOfTheList) {
  TestEditor* g = Attach(MakeEditor());
  ProbeControl* probe = new ProbeControl(plug.get(), IRECT(0, 0, 5, 5));
  g->AttachControl(probe);
  g->AttachPanelBackground(&COLOR_RED);
  ASSERT_EQ(g->NControls(), 2);
  EXPECT_EQ(*g->GetControl(0)->GetRECT(), IRECT(0, 0, 120, 80));
  EXPECT_EQ(g->GetControl(0)->GetBlend()->mMethod, IChannelBlend::kBlendAlpha);
  g->AttachBackground(900, "resources/img/bg.png");
  ASSERT_EQ(g->NControls(), 3);
  EXPECT_EQ(*g->GetControl(0)->GetRECT(), IRECT(0, 0, 120, 80));
  EXPECT_EQ(g->GetControl(0)->GetBlend()->mMethod, IChannelBlend::kBlendCopy);
  EXPECT_EQ(g->GetControl(2), probe);
}

TEST_F(EditorTest, ResizeDropsTheControlsAndAsksThePlugInForNewOnes) {
  TestEditor* g = Attach(MakeEditor());
  g->AttachControl(new ProbeControl(plug.get(), IRECT(0, 0, 5, 5)));
  IMouseMod left(true);
  g->OnMouseDown(1, 1, &left);
  g->Resize(200, 100);
  EXPECT_EQ(g->NControls(), 0);
  EXPECT_EQ(g->GetMouseCapture(), -1);
  EXPECT_EQ(g->GetDrawBitmap()->getWidth(), 200);
  EXPECT_EQ(plug->resized, (std::vector<std::pair<int, int>>{{200, 100}}));
  g->Resize(200, 100);  // unchanged: nothing happens
  EXPECT_EQ(plug->resized.size(), 1u);
}

TEST_F(EditorTest, TextAfterPromptSetsTheValueByTypeOfParameter) {
  TestEditor* g = Attach(MakeEditor());
  IControl* c = new ProbeControl(plug.get(), IRECT(0, 0, 5, 5), EditorPlug::kGain);
  g->AttachControl(c);
  struct Case {
    int param;
    const char* text;
    double normalized;
  } cases[] = {
      {EditorPlug::kGain, "6", 0.75},
      {EditorPlug::kGain, "-12.0", 0.0},
      {EditorPlug::kMode, "Fold", 1.0},
      {EditorPlug::kMode, "Hard", 0.5},
      {EditorPlug::kMode, "Crunch", 0.0},  // matches no display text
      {EditorPlug::kSwitch, "On", 1.0},
      {EditorPlug::kSteps, "7", 0.7},
  };
  for (const Case& k : cases) {
    c->SetValue(0.3);
    g->SetFromStringAfterPrompt(c, plug->GetParam(k.param), k.text);
    EXPECT_DOUBLE_EQ(c->GetValue(), k.normalized) << k.text;
  }
  // Negated display: the text is read back with the sign turned.
  plug->GetParam(EditorPlug::kGain)->NegateDisplay();
  g->SetFromStringAfterPrompt(c, plug->GetParam(EditorPlug::kGain), "6");
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.25);
  c->SetValue(0.6);
  g->SetFromStringAfterPrompt(c, nullptr, "6");
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.6);
}

}  // namespace
