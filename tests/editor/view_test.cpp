// The editor's view on the desktop: opening and closing, the redraw timer
// and the copy to the window, coordinates, mouse with modifiers, wheel,
// keys, the text entry field and its formatter, popup menus, tool tips,
// message boxes, addresses and the clipboard.

#include <string>
#include <vector>

#include "editor_fixture.h"
#include "platform/keys.h"
#include "platform/menu.h"
#include "platform/panels.h"
#include "platform/pasteboard.h"
#include "platform/window.h"
#include "platform/workspace.h"
#include "test_env.h"

using plat::Event;
using plat::EventType;

namespace {

// Chooses from popped-up menus by a script: a path of item indexes into the
// menu and its sub-menus (empty: dismissed). Records every menu's titles.
class ScriptedMenus : public plat::MenuTracker {
public:
  plat::MenuItem* popUp(plat::Menu* menu, plat::Window*, const plat::Point& at) override {
    where = at;
    titles.clear();
    for (int i = 0; i < menu->count(); ++i) {
      plat::MenuItem* item = menu->item(i);
      titles.push_back(item->isSeparator() ? "---"
                                           : item->title() + (item->state() ? " *" : "") +
                                                 (item->isEnabled() ? "" : " (off)"));
    }
    ++shown;
    plat::MenuItem* chosen = nullptr;
    plat::Menu* m = menu;
    for (int idx : path) {
      chosen = m ? m->item(idx) : nullptr;
      m = chosen ? chosen->submenu() : nullptr;
    }
    return chosen;
  }
  std::vector<int> path;
  std::vector<std::string> titles;
  plat::Point where;
  int shown = 0;
};

// Keys that travel past the editor's view.
class Holder : public plat::View {
public:
  using plat::View::View;
  void keyDown(const Event& e) override { passed.push_back(e.charactersIgnoringModifiers); }
  std::vector<std::string> passed;
};

class View : public EditorTest {
protected:
  static constexpr int kW = 120, kH = 80;

  void SetUp() override {
    EditorTest::SetUp();
    plat::app().setMenuTracker(&menus);
    win = new plat::Window({100, 100, kW, kH}, plat::kStyleTitled);
    holder = new Holder({0, 0, kW, kH});
    win->contentView()->addSubview(holder);
    holder->release();
    win->makeKeyAndOrderFront();

    g = MakeEditor(kW, kH);
    g->AttachPanelBackground(&COLOR_GRAY);
    // A knob 40 high at (10, 10), a gain field at (60, 10) that prompts, a
    // mode switch at (60, 40) and a probe in the corner.
    knob = new IKnobLineControl(plug.get(), IRECT(10, 10, 50, 50), EditorPlug::kAmount, &COLOR_WHITE);
    g->AttachControl(knob);
    gain = new ProbeControl(plug.get(), IRECT(60, 10, 110, 30), EditorPlug::kGain, &log, "gain");
    gain->DisablePrompt(false);
    g->AttachControl(gain);
    mode = new ProbeControl(plug.get(), IRECT(60, 40, 110, 60), EditorPlug::kMode, &log, "mode");
    mode->DisablePrompt(false);
    g->AttachControl(mode);
    probe = new ProbeControl(plug.get(), IRECT(0, 60, 40, 80), -1, &log, "probe");
    probe->color = COLOR_BLUE;
    g->AttachControl(probe);
    Attach(g);
    g->OpenWindow(holder);
    view = g->GetView();
    plug->fromGUI.clear();
  }
  void TearDown() override {
    plat::app().setMenuTracker(nullptr);
    EditorTest::TearDown();
  }

  // An event at editor pixel (x, y): the view reads positions two pixels
  // left and three up of the pointer.
  Event Mouse(EventType type, int x, int y, uint32_t mods = 0, int clicks = 1) {
    Event e;
    e.type = type;
    e.window = win;
    e.location = {double(x + 2), double(kH - (y + 3))};
    e.modifierFlags = mods;
    e.clickCount = clicks;
    e.buttonNumber = type == EventType::RightMouseDown || type == EventType::RightMouseUp ? 1 : 0;
    return e;
  }
  void Send(const Event& e) { plat::app().sendEvent(e); }
  void Click(int x, int y, uint32_t mods = 0) {
    Send(Mouse(EventType::LeftMouseDown, x, y, mods));
    Send(Mouse(EventType::LeftMouseUp, x, y, mods));
  }
  Event Key(uint16_t code, const std::string& chars, uint32_t mods = 0) {
    Event e;
    e.type = EventType::KeyDown;
    e.window = win;
    e.keyCode = code;
    e.characters = chars;
    e.charactersIgnoringModifiers = chars;
    e.modifierFlags = mods;
    return e;
  }
  void Type(const std::string& text) {
    for (char c : text) Send(Key(0, std::string(1, c)));
  }
  std::string Field() const {
    return view->textField() ? view->textField()->stringValue() : "(closed)";
  }

  plat::Window* win = nullptr;
  Holder* holder = nullptr;
  TestEditor* g = nullptr;
  IFxEditorView* view = nullptr;
  IKnobLineControl* knob = nullptr;
  ProbeControl *gain = nullptr, *mode = nullptr, *probe = nullptr;
  std::vector<std::string> log;
  ScriptedMenus menus;
};

TEST(ViewGeometry, RectanglesConvertBetweenEditorAndView) {
  plat::app().resetForTests();
  EditorPlug plug;
  TestEditor g(&plug, 650, 830);
  g.OpenWindow(nullptr);
  IFxEditorView* v = g.GetView();
  const plat::Rect r = v->toViewRect(IRECT(10, 20, 30, 40));
  EXPECT_EQ(r, (plat::Rect{10, 789, 21, 21}));
  EXPECT_EQ(v->toEditorRect({0, 0, 650, 830}), IRECT(0, 0, 650, 830));
  EXPECT_EQ(v->toEditorRect({10.7, 789.2, 21.9, 21.5}), IRECT(10, 20, 31, 41));
  EXPECT_EQ(v->frame(), (plat::Rect{0, 0, 650, 830}));
  plat::app().resetForTests();
}

TEST_F(View, OpensInItsParentAndClosesCleanly) {
  EXPECT_TRUE(g->WindowIsOpen());
  EXPECT_EQ(view->superview(), holder);
  EXPECT_EQ(win->firstResponder(), view);
  EXPECT_TRUE(win->acceptsMouseMovedEvents());
  EXPECT_TRUE(view->hasTimer());
  const size_t timers = plat::app().timerCount();

  // Opening again replaces the view; a window stands for its content view.
  plat::Ref<IFxEditorView> old(view);
  g->OpenWindow(win);
  EXPECT_NE(g->GetView(), view);
  EXPECT_EQ(old->superview(), nullptr);
  EXPECT_EQ(old->graphics(), nullptr);
  EXPECT_FALSE(old->hasTimer());
  old.reset();
  EXPECT_EQ(g->GetView()->superview(), win->contentView());
  EXPECT_EQ(holder->subviews().size(), 0u);
  EXPECT_EQ(plat::app().timerCount(), timers);

  // The host taking the view out closes the editor.
  g->GetView()->removeFromSuperview();
  EXPECT_FALSE(g->WindowIsOpen());
  EXPECT_EQ(plat::app().timerCount(), timers - 1);
  g->CloseWindow();  // nothing left to close
}

TEST_F(View, TheTimerMarksTheDirtyAreaAndTheWindowShowsTheEditorsPicture) {
  plat::app().runFor(0.05);
  EXPECT_EQ(probe->draws, 1);
  EXPECT_EQ(win->backing().pixel(5, 70), 0xFF0000FFu);
  EXPECT_EQ(win->backing().pixel(115, 5), 0xFF7F7F7Fu);
  for (int y = 0; y < kH; y += 7)
    for (int x = 0; x < kW; x += 5)
      ASSERT_EQ(win->backing().pixel(x, y), PixelAt(g->GetDrawBitmap(), x, y) | 0xFF000000u);

  // Nothing dirty: no display pass.
  const int passes = win->displayCount();
  plat::app().runFor(0.1);
  EXPECT_EQ(win->displayCount(), passes);

  // A value from the plug-in redraws that control and what it meets only,
  // in two passes (the change keeps it dirty for one more).
  g->SetParameterFromPlug(EditorPlug::kGain, 3.0, false);
  plat::app().runFor(0.2);
  EXPECT_EQ(win->displayCount(), passes + 2);
  EXPECT_EQ(gain->draws, 3);
  EXPECT_EQ(probe->draws, 1);
  EXPECT_EQ(mode->draws, 1);
}

TEST_F(View, DragsTurnTheKnobThroughThePlugIn) {
  Send(Mouse(EventType::LeftMouseDown, 30, 30));
  Send(Mouse(EventType::LeftMouseDragged, 30, 26));
  Send(Mouse(EventType::LeftMouseDragged, 30, 22, plat::kModShift));
  Send(Mouse(EventType::LeftMouseUp, 30, 22));
  // 4 pixels up on a knob 40 high with gearing 4: 0.025, then 0.0025 finer.
  EXPECT_NEAR(knob->GetValue(), 0.5275, 1e-12);
  ASSERT_EQ(plug->fromGUI.size(), 2u);
  EXPECT_NEAR(plug->GetParam(EditorPlug::kAmount)->Value(), 52.75, 1e-9);
  EXPECT_EQ(plug->informs, (std::vector<std::string>{"begin 5", "end 5"}));
  // The wheel: three steps up.
  Event wheel = Mouse(EventType::ScrollWheel, 30, 30);
  wheel.deltaY = 3.7;
  Send(wheel);
  EXPECT_NEAR(knob->GetValue(), 0.5575, 1e-12);
}

TEST_F(View, ControlClickAndTheRightButtonAreRightClicks) {
  Click(5, 70, plat::kModControl);
  EXPECT_TRUE(probe->lastMod.L && probe->lastMod.R && probe->lastMod.C);
  Click(5, 70, plat::kModCommand | plat::kModShift);
  EXPECT_TRUE(probe->lastMod.R && probe->lastMod.S && !probe->lastMod.C);
  Click(5, 70);
  EXPECT_TRUE(probe->lastMod.L && !probe->lastMod.R);
  Send(Mouse(EventType::RightMouseDown, 5, 70, plat::kModOption));
  Send(Mouse(EventType::RightMouseUp, 5, 70));
  EXPECT_TRUE(!probe->lastMod.L && probe->lastMod.R && probe->lastMod.A);
  // Double clicks arrive as such.
  log.clear();
  Send(Mouse(EventType::LeftMouseDown, 5, 70, 0, 2));
  EXPECT_EQ(log, (std::vector<std::string>{"probe dbl 5,70"}));
}

TEST_F(View, KeysMapToTheEditorsCodesOrTravelOn) {
  struct Case {
    uint16_t code;
    std::string chars;
    uint32_t mods;
    int key;  // -1: passed on
  } cases[] = {
      {plat::key::A, "a", 0, 15},
      {plat::key::A, "A", plat::kModShift, 15},
      {plat::key::Z, "z", 0, 40},
      {plat::key::Num7, "7", 0, 12},
      {plat::key::Space, " ", 0, 0},
      {plat::key::UpArrow, "\xEF\x9C\x80", 0, 1},
      {plat::key::DownArrow, "\xEF\x9C\x81", 0, 2},
      {plat::key::LeftArrow, "\xEF\x9C\x82", 0, 3},
      {plat::key::RightArrow, "\xEF\x9C\x83", 0, 4},
      {plat::key::E, "\xC3\xA9", 0, -1},  // an accented letter
      {plat::key::Minus, "-", 0, -1},
  };
  Send(Mouse(EventType::MouseMoved, 5, 70));  // keys go where the pointer was
  for (const Case& k : cases) {
    probe->keys.clear();
    holder->passed.clear();
    Send(Key(k.code, k.chars, k.mods));
    if (k.key >= 0) {
      EXPECT_EQ(probe->keys, std::vector<int>{k.key}) << k.chars;
      EXPECT_TRUE(holder->passed.empty());
    } else {
      EXPECT_TRUE(probe->keys.empty()) << k.chars;
      EXPECT_EQ(holder->passed, std::vector<std::string>{k.chars});
    }
  }
  // A key the control does not take travels on too.
  probe->takesKeys = false;
  holder->passed.clear();
  Send(Key(plat::key::B, "b"));
  EXPECT_EQ(holder->passed, std::vector<std::string>{"b"});
  // Not exactly one character: dropped.
  holder->passed.clear();
  probe->keys.clear();
  Send(Key(plat::key::A, "ab"));
  Send(Key(plat::key::Shift, ""));
  EXPECT_TRUE(holder->passed.empty());
  EXPECT_TRUE(probe->keys.empty());
}

TEST_F(View, TextEntryIsLimitedByTheFormatterAndEndsWithReturn) {
  Click(80, 20, plat::kModControl);  // a right click prompts
  ASSERT_EQ(Field(), "0.0");
  EXPECT_EQ(win->firstResponder(), view->textField());
  EXPECT_EQ(view->textField()->formatter().mMaxLength, 7);
  Type("-6x.5q");  // letters are refused
  EXPECT_EQ(Field(), "-6.5");
  Type("12345");  // seven characters at most
  EXPECT_EQ(Field(), "-6.5123");
  Send(Key(plat::key::Delete, "\x7F"));
  Send(Key(plat::key::Delete, "\x7F"));
  Send(Key(plat::key::Delete, "\x7F"));
  EXPECT_EQ(Field(), "-6.5");
  Send(Key(plat::key::Return, "\r"));
  EXPECT_EQ(Field(), "(closed)");
  EXPECT_EQ(win->firstResponder(), view);
  ASSERT_EQ(plug->fromGUI.size(), 1u);
  EXPECT_DOUBLE_EQ(plug->GetParam(EditorPlug::kGain)->Value(), -6.5);
}

TEST_F(View, TextEntryCancelsWithEscapeAndCommitsOnAClickBeside) {
  Click(80, 20, plat::kModControl);
  Type("3");
  Send(Key(plat::key::Escape, "\x1B"));
  EXPECT_EQ(Field(), "(closed)");
  EXPECT_TRUE(plug->fromGUI.empty());

  Click(80, 20, plat::kModControl);
  Type("4");
  // While the field is open drags go nowhere.
  Send(Mouse(EventType::LeftMouseDragged, 30, 20));
  EXPECT_EQ(Field(), "4");
  Click(5, 70);
  EXPECT_EQ(Field(), "(closed)");
  EXPECT_DOUBLE_EQ(plug->GetParam(EditorPlug::kGain)->Value(), 4.0);

  // Turning the wheel closes the field without its text.
  Click(80, 20, plat::kModControl);
  Type("9");
  Event wheel = Mouse(EventType::ScrollWheel, 30, 30);
  wheel.deltaY = 1;
  Send(wheel);
  EXPECT_EQ(Field(), "(closed)");
  EXPECT_DOUBLE_EQ(plug->GetParam(EditorPlug::kGain)->Value(), 4.0);
}

TEST_F(View, IntegerEntryAndControlsWithoutParameterGetTheText) {
  ProbeControl* steps = new ProbeControl(plug.get(), IRECT(0, 0, 10, 10), EditorPlug::kSteps);
  steps->SetTextEntryLength(2);
  g->AttachControl(steps);
  IRECT r(0, 0, 40, 16);
  g->CreateTextEntry(steps, steps->GetText(), &r, "5", plug->GetParam(EditorPlug::kSteps));
  Type("1.2");
  EXPECT_EQ(Field(), "12");  // no point in integers, two characters at most
  Send(Key(plat::key::KeypadEnter, "\x03"));
  EXPECT_EQ(plug->GetParam(EditorPlug::kSteps)->Value(), 10.0);  // held in range

  // A second entry while one is open is refused; without a parameter the
  // control receives the text, unfiltered.
  g->CreateTextEntry(probe, probe->GetText(), &r, "name", nullptr);
  g->CreateTextEntry(steps, steps->GetText(), &r, "7", plug->GetParam(EditorPlug::kSteps));
  EXPECT_EQ(Field(), "name");
  Send(Key(plat::key::End, "\xEF\x9C\xAB"));
  Type(" x.y");
  Send(Key(plat::key::Tab, "\t"));
  EXPECT_EQ(probe->entered, std::vector<std::string>{"name x.y"});
  g->ForceEndUserEdit();  // nothing open: nothing happens
}

TEST_F(View, EnumParametersPromptWithAPopupMenu) {
  plug->GetParam(EditorPlug::kMode)->Set(1);
  menus.path = {2};
  Click(80, 50, plat::kModControl);
  ASSERT_EQ(menus.shown, 1);
  EXPECT_EQ(menus.titles, (std::vector<std::string>{"Soft", "Hard *", "Fold"}));
  // Below the control's bottom-left corner, in screen coordinates.
  EXPECT_EQ(menus.where.x, 100 + 60);
  EXPECT_EQ(menus.where.y, 100 + (kH - 1 - 60) - 4);
  ASSERT_EQ(plug->fromGUI.size(), 1u);
  EXPECT_EQ(plug->fromGUI[0], std::make_pair(int(EditorPlug::kMode), 1.0));
  EXPECT_EQ(mode->GetValue(), 1.0);

  // Dismissed: nothing changes.
  menus.path.clear();
  Click(80, 50, plat::kModControl);
  EXPECT_EQ(plug->fromGUI.size(), 1u);
}

TEST_F(View, PopupMenusShowPrefixesFlagsAndSubMenus) {
  IPopupMenu sub;
  sub.AddItem("Inner A");
  sub.AddItem("Inner B");
  IPopupMenu menu;
  menu.SetPrefix(2);
  menu.AddItem("First");
  menu.AddItem("Heading", -1, IPopupMenuItem::kTitle);
  menu.AddItem("Chosen", -1, IPopupMenuItem::kChecked);
  menu.AddSeparator();
  menu.AddItem("Greyed", -1, IPopupMenuItem::kDisabled);
  menu.AddItem("More", &sub);
  IRECT at(10, 10, 50, 30);

  menus.path = {5, 1};
  IPopupMenu* chosen = g->CreateIPopupMenu(&menu, &at);
  EXPECT_EQ(menus.titles, (std::vector<std::string>{"01: First", "    02: Heading",
                                                    "03: Chosen *", "---",
                                                    "05: Greyed (off)", "06: More"}));
  EXPECT_EQ(chosen, &sub);
  EXPECT_EQ(sub.GetChosenItemIdx(), 1);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);

  menus.path = {2};
  EXPECT_EQ(g->CreateIPopupMenu(&menu, &at), &menu);
  EXPECT_EQ(menu.GetChosenItemIdx(), 2);
  menus.path = {3};  // a separator is no choice
  EXPECT_EQ(g->CreateIPopupMenu(&menu, &at), nullptr);
  menus.path = {5};  // nor is the entry that opens a sub-menu
  EXPECT_EQ(g->CreateIPopupMenu(&menu, &at), nullptr);

  // A capture ends when a menu shows; no view, no menu.
  IMouseMod left(true);
  g->OnMouseDown(5, 70, &left);
  menus.path = {0};
  g->CreateIPopupMenu(&menu, &at);
  EXPECT_EQ(g->GetMouseCapture(), -1);
  g->CloseWindow();
  EXPECT_EQ(g->CreateIPopupMenu(&menu, &at), nullptr);
}

TEST_F(View, ToolTipsShowTheControlsTextAfterARest) {
  g->EnableTooltips(true);
  EXPECT_TRUE(g->CanHandleMouseOver());
  g->AssignParamNameToolTips();
  gain->Hide(true);
  g->UpdateTooltips();
  // The background, the knob, the mode switch and the probe; not the hidden one.
  EXPECT_EQ(view->toolTipRects().size(), 4u);
  gain->Hide(false);

  Send(Mouse(EventType::MouseMoved, 30, 30));
  EXPECT_EQ(view->toolTipWindow(), nullptr);
  plat::app().runFor(1.0);
  ASSERT_NE(view->toolTipWindow(), nullptr);
  EXPECT_EQ(view->stringForToolTip(), "Amount");
  EXPECT_TRUE(view->toolTipWindow()->isVisible());
  // Over a control without a text the tip goes away.
  Send(Mouse(EventType::MouseMoved, 5, 70));
  EXPECT_EQ(view->toolTipWindow(), nullptr);
  plat::app().runFor(1.0);
  EXPECT_EQ(view->toolTipWindow(), nullptr);
  // A click hides it.
  Send(Mouse(EventType::MouseMoved, 80, 50));
  plat::app().runFor(1.0);
  ASSERT_NE(view->toolTipWindow(), nullptr);
  Click(80, 50);
  EXPECT_EQ(view->toolTipWindow(), nullptr);
}

// While a modal panel of another window runs, the editor's window shows no
// tool tip, whatever the pointer does over it; the tip window never becomes
// key.
TEST_F(View, NoToolTipsBehindAModalPanel) {
  g->EnableTooltips(true);
  g->AssignParamNameToolTips();
  g->UpdateTooltips();
  Send(Mouse(EventType::MouseMoved, 30, 30));
  plat::app().runFor(1.0);
  ASSERT_NE(view->toolTipWindow(), nullptr);
  EXPECT_FALSE(view->toolTipWindow()->canBecomeKeyWindow());
  plat::Window* key = plat::app().keyWindow();
  view->toolTipWindow()->makeKeyWindow();
  EXPECT_EQ(plat::app().keyWindow(), key);

  // A tip that was about to show does not once the panel runs.
  Send(Mouse(EventType::MouseMoved, 80, 50));
  auto* panel = new plat::Window({0, 0, 300, 200}, plat::kStyleTitled);
  plat::ModalSession* s = plat::app().beginModalSession(panel);
  plat::app().runFor(1.0);
  EXPECT_EQ(view->toolTipWindow(), nullptr);
  Send(Mouse(EventType::MouseMoved, 30, 30));
  plat::app().runFor(1.5);
  EXPECT_EQ(view->toolTipWindow(), nullptr);
  plat::app().endModalSession(s);
  panel->close();
  // After the panel, tool tips come back.
  Send(Mouse(EventType::MouseMoved, 31, 30));
  plat::app().runFor(1.0);
  EXPECT_NE(view->toolTipWindow(), nullptr);
}

class ScriptedAlerts : public plat::PanelRunner {
public:
  int runFilePanel(plat::FilePanel&) override { return 0; }
  int runAlert(plat::Alert& alert) override {
    shown.push_back(alert.title + "|" + alert.message);
    for (const std::string& b : alert.buttons) shown.back() += "|" + b;
    return button;
  }
  int button = 0;
  std::vector<std::string> shown;
};

TEST_F(View, MessageBoxesAnswerByButton) {
  ScriptedAlerts alerts;
  plat::setPanelRunner(&alerts);
  struct Case {
    int type, button, result;
    const char* buttons;
  } cases[] = {
      {4, 0, 1, "Yes|No"},         {4, 1, 7, "Yes|No"},
      {3, 2, 2, "Yes|No|Cancel"},  {3, 1, 7, "Yes|No|Cancel"},
      {1, 0, 1, "OK|Cancel"},      {1, 1, 2, "OK|Cancel"},
      {0, 0, 1, "OK"},             {0, 5, 0, "OK"},
  };
  for (const Case& k : cases) {
    alerts.button = k.button;
    alerts.shown.clear();
    EXPECT_EQ(g->ShowMessageBox("Really?", "Harshbloom", k.type), k.result) << k.type;
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0], std::string("Harshbloom|Really?|") + k.buttons);
  }
  plat::setPanelRunner(nullptr);
}

TEST_F(View, AddressesFilesAndTheClipboard) {
  std::vector<std::string> opened;
  plat::setCommandRunner([&](const std::vector<std::string>& argv) {
    opened.push_back(argv.back());
    return true;
  });
  EXPECT_TRUE(g->OpenURL("https://example.org/manual"));
  EXPECT_TRUE(g->OpenURL("/usr/share/doc/manual.pdf"));
  EXPECT_FALSE(g->OpenURL(""));
  EXPECT_EQ(opened, (std::vector<std::string>{"https://example.org/manual",
                                              "/usr/share/doc/manual.pdf"}));
  plat::setCommandRunner(nullptr);

  KIT_String text("old");
  plat::Pasteboard::general().clearContents();
  EXPECT_FALSE(g->GetTextFromClipboard(&text));
  EXPECT_STREQ(text.Get(), "");
  plat::app().setClipboardText("12.5");
  EXPECT_TRUE(g->GetTextFromClipboard(&text));
  EXPECT_STREQ(text.Get(), "12.5");
}

TEST_F(View, SaveFilePanelsStartOnTheDesktopWithTheCurrentName) {
  class Panels : public plat::PanelRunner {
  public:
    int runFilePanel(plat::FilePanel& p) override {
      kind = p.kind();
      dir = p.directory;
      name = p.fileName;
      types = p.allowedTypes;
      p.paths = {"/music/curves/new.txt"};
      return 1;
    }
    int runAlert(plat::Alert&) override { return 0; }
    plat::PanelKind kind = plat::PanelKind::Open;
    std::string dir, name;
    std::vector<std::string> types;
  } panels;
  plat::setPanelRunner(&panels);
  TempDir home;
  EnvGuard homeVar("HOME", FolderOf(home).c_str());
  KIT_String file("/old/place/curve.txt"), dir("");
  g->PromptForFile(&file, kFileSave, &dir, ".txt *.csv");
  EXPECT_EQ(panels.kind, plat::PanelKind::Save);
  EXPECT_EQ(panels.name, "curve.txt");
  EXPECT_EQ(panels.types, (std::vector<std::string>{"txt", "csv"}));
  // No desktop folder there: the home folder.
  EXPECT_EQ(panels.dir, FolderOf(home));
  EXPECT_STREQ(file.Get(), "/music/curves/new.txt");
  EXPECT_STREQ(dir.Get(), "/music/curves/");
  plat::setPanelRunner(nullptr);
}

}  // namespace
