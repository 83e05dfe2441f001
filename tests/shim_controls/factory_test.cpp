// Dialogs generated from lists: the controls made, their rectangles, ids,
// kinds and texts; placement, auto-shift, fonts, custom creators.

#include <string.h>

#include "controls_fixture.h"

namespace {

using Factory = GeneratedDialog;

plat::Rect frameOf(HWND h) { return SHIM_View(h)->frame(); }
plat::Rect R(double x, double y, double w, double h) { return {x, y, w, h}; }

TEST_F(Factory, EveryKindOfEntryMakesItsControlWhereTheListSays) {
  make({
      {"__SHIM_BUTTON", 1, "&OK", 1, 300, 260, 80, 24, 0},
      {"__SHIM_EDIT", 0, nullptr, 10, 10, 10, 150, 18, ES_RIGHT},
      {"__SHIM_COMBO", 0, nullptr, 11, 10, 40, 150, 100, CBS_DROPDOWNLIST},
      {"__SHIM_COMBO", 0, nullptr, 12, 10, 70, 150, 100, 0},
      {"__SHIM_GROUP", 0, "&Group", 13, 200, 10, 180, 100, 0},
      {"__SHIM_CHECKBOX", 0, "Check", 14, 10, 100, 100, 16, 0},
      {"__SHIM_LABEL", 1, "Right", 15, 10, 130, 100, 16, 0},
      {"Volume", 16, "msctls_trackbar32", 0, 10, 160, 200, 20, 0},
      {"skipped", 17, "", 0, 10, 10, 10, 10, 0},
      {"Tabs", 18, "SysTabControl32", 0, 10, 190, 300, 50, 0},
      {"", 19, "msctls_progress32", 0, 10, 250, 100, 10, 0},
      {"Unknown", 20, "NoSuchClass", 0, 10, 10, 10, 10, 0},
      {"t", 30, "static", 0, 10, 20, 30, 40, 0},
      {"u", 31, "static", 0, -7, -7, -5, -5, 0},
      {"Hidden", 32, "Button", SHIM_BS_PUSHBUTTON | SHIM_STYLE_HIDDEN, 10, 280, 60, 20, 0},
  });
  struct Want {
    int id;
    plat::Rect frame;
  } wants[] = {
      {1, R(300, 260, 80, 24)},  {10, R(10, 10, 150, 18)}, {11, R(10, 40, 150, 18)},
      {12, R(10, 69, 150, 22)},  {13, R(200, 9, 180, 103)}, {14, R(10, 100, 100, 16)},
      {15, R(10, 130, 100, 16)}, {16, R(10, 160, 200, 20)}, {18, R(10, 189, 300, 56)},
      {19, R(10, 250, 100, 10)}, {30, R(10, 20, 30, 40)},  {31, R(7, 7, 5, 5)},
      {32, R(10, 280, 60, 20)},
  };
  for (const Want& w : wants) {
    HWND h = GetDlgItem(dlg, w.id);
    ASSERT_NE(h, nullptr) << w.id;
    EXPECT_EQ(frameOf(h), w.frame) << w.id;
    EXPECT_EQ(GetWindowLong(h, GWL_ID), w.id);
  }
  EXPECT_EQ(GetDlgItem(dlg, 17), nullptr);  // no class name: skipped
  EXPECT_EQ(GetDlgItem(dlg, 20), nullptr);  // unknown class: nothing

  auto* ok = SHIM_As<Shim_vHarshbloom_button>(GetDlgItem(dlg, 1));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->title(), "OK");
  EXPECT_EQ(SHIM_GetDefaultButtonID(dlg, true), 1);
  auto* edit = SHIM_As<Shim_vHarshbloom_textfield>(GetDlgItem(dlg, 10));
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(edit->isEditable());
  EXPECT_FALSE(edit->wraps());
  EXPECT_EQ(edit->alignment(), plat::TextAlign::Right);
  EXPECT_NE(SHIM_As<Shim_vHarshbloom_pub>(GetDlgItem(dlg, 11)), nullptr);
  EXPECT_EQ(GetWindowLong(GetDlgItem(dlg, 11), GWL_STYLE), CBS_DROPDOWNLIST);
  EXPECT_NE(SHIM_As<Shim_vHarshbloom_cbox>(GetDlgItem(dlg, 12)), nullptr);
  EXPECT_TRUE(SHIM_IsGroupBox(GetDlgItem(dlg, 13)));
  EXPECT_EQ(SHIM_View(dlg)->subviews().front(), SHIM_View(GetDlgItem(dlg, 13)));  // behind all
  auto* check = SHIM_As<Shim_vHarshbloom_button>(GetDlgItem(dlg, 14));
  EXPECT_EQ(check->kind(), plat::Button::Kind::CheckBox);
  EXPECT_FALSE(check->allowsMixedState());
  EXPECT_EQ(GetWindowLong(GetDlgItem(dlg, 14), GWL_STYLE), BS_AUTOCHECKBOX);
  auto* label = SHIM_As<Shim_vHarshbloom_textfield>(GetDlgItem(dlg, 15));
  EXPECT_TRUE(label->isLabel());
  EXPECT_EQ(label->alignment(), plat::TextAlign::Right);
  EXPECT_TRUE(SHIM_IsStaticText(GetDlgItem(dlg, 15)));
  EXPECT_FALSE(SHIM_IsButton(GetDlgItem(dlg, 15)));
  auto* slider = SHIM_As<Shim_vHarshbloom_slider>(GetDlgItem(dlg, 16));
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->maxValue(), 1000);
  EXPECT_TRUE(slider->isMini());
  auto* tabs = SHIM_As<Shim_vHarshbloom_tabview>(GetDlgItem(dlg, 18));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->getNotificationWindow(), dlg);
  EXPECT_FALSE(SHIM_Hwnd(dlg)->allowsDirectChildRendering());
  EXPECT_NE(SHIM_As<Shim_vHarshbloom_progind>(GetDlgItem(dlg, 19)), nullptr);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, 32)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, 1)));
}

TEST_F(Factory, RadioButtonsFormGroupsAndTakeGroupActions) {
  make({
      {"A", 40, "Button", BS_AUTORADIOBUTTON | WS_GROUP, 10, 10, 80, 16, 0},
      {"B", 41, "Button", BS_AUTORADIOBUTTON, 10, 30, 80, 16, 0},
      {"C", 42, "Button", BS_AUTORADIOBUTTON | WS_GROUP, 10, 50, 80, 16, 0},
      {"Three", 43, "Button", BS_AUTO3STATE, 10, 70, 80, 16, 0},
      {"Drawn", 44, "Button", BS_OWNERDRAW, 10, 90, 80, 16, 0},
  });
  auto* a = SHIM_As<Shim_vHarshbloom_button>(GetDlgItem(dlg, 40));
  auto* b = SHIM_As<Shim_vHarshbloom_button>(GetDlgItem(dlg, 41));
  auto* c = SHIM_As<Shim_vHarshbloom_button>(GetDlgItem(dlg, 42));
  EXPECT_EQ(a->shimGetRadioFlags(), 3);
  EXPECT_EQ(b->shimGetRadioFlags(), 1);
  EXPECT_EQ(c->shimGetRadioFlags(), 3);
  // The first group after the parameters are set is group 1.
  EXPECT_EQ(a->actionGroup(), 1);
  EXPECT_EQ(b->actionGroup(), 1);
  EXPECT_EQ(c->actionGroup(), 2);
  EXPECT_EQ(SHIM_Internal_RadioGroupCount(), 2);
  EXPECT_TRUE(SHIM_As<Shim_vHarshbloom_button>(GetDlgItem(dlg, 43))->allowsMixedState());
  EXPECT_EQ(SHIM_As<Shim_vHarshbloom_button>(GetDlgItem(dlg, 44))->cell(),
            Shim_vHarshbloom_button::Cell::OwnerDrawn);
}

TEST_F(Factory, MnemonicsDropOutOfShortTextsOnly) {
  EXPECT_EQ(SHIM_Internal_RemoveMnemonics("Save && &Load"), "Save & Load");
  EXPECT_EQ(SHIM_Internal_RemoveMnemonics("trailing&"), "trailing");
  EXPECT_EQ(SHIM_Internal_RemoveMnemonics(nullptr), "");
  std::string longText(1100, 'x');
  longText[5] = '&';
  longText[6] = '&';
  EXPECT_EQ(SHIM_Internal_RemoveMnemonics(longText.c_str()), longText);
  make({{"__SHIM_LABEL", -1, "Fish && Chips", 1, 10, 10, 120, 16, 0},
        {"__SHIM_BUTTON", 0, longText.c_str(), 2, 10, 40, 120, 20, 0}});
  char buf[2048];
  GetDlgItemText(dlg, 1, buf, sizeof buf);
  EXPECT_STREQ(buf, "Fish & Chips");
  GetDlgItemText(dlg, 2, buf, sizeof buf);
  EXPECT_EQ(std::string(buf), longText);
}

TEST_F(Factory, PlacementScalesAndShiftsAfterControlsThatGrew) {
  make({{"t", 1, "static", 0, 10, 20, 30, 40, 0}}, 400, 300, false, 2.0f);
  EXPECT_EQ(frameOf(GetDlgItem(dlg, 1)), R(20, 40, 60, 80));
  DestroyWindow(dlg);
  // A label sized to its text pushes the field that was planned to start
  // where the label was planned to end, on the same row, by its growth.
  make({{"__SHIM_LABEL", -1, "A rather long label", 1, 10, 10, 40, 16, 0},
        {"__SHIM_EDIT", 0, nullptr, 2, 50, 10, 100, 18, 0},
        {"__SHIM_EDIT", 0, nullptr, 3, 50, 60, 100, 18, 0}},
       400, 300, true);
  plat::Rect label = frameOf(GetDlgItem(dlg, 1));
  double growth = label.maxX() - 50;
  EXPECT_GT(growth, 20);
  EXPECT_EQ(frameOf(GetDlgItem(dlg, 2)).x, 50 + double(int64_t(growth)));
  EXPECT_EQ(frameOf(GetDlgItem(dlg, 3)).x, 50);  // another row
}

TEST_F(Factory, FontFollowsTheScale) {
  struct Case {
    float scale;
    double size;
  } cases[] = {{0.9f, 8}, {1.0f, 10}, {1.5f, 10}, {2.0f, 13}};
  for (const Case& c : cases) {
    make({{"__SHIM_LABEL", -1, "Text", 1, 10, 10, 40, 16, 0}}, 400, 300, false, c.scale);
    auto* f = SHIM_As<Shim_vHarshbloom_textfield>(GetDlgItem(dlg, 1));
    EXPECT_EQ(f->shimFont().size(), c.size) << c.scale;
    DestroyWindow(dlg);
  }
}

int g_creatorCalls = 0;
RECT g_creatorRect;
HWND Creator(HWND parent, const char*, int idx, const char* classname, int, int x, int y, int w, int h) {
  if (strcmp(classname, "Fader") != 0) return nullptr;
  ++g_creatorCalls;
  g_creatorRect = RECT{x, y, w, h};
  auto* v = new Shim_vHarshbloom_hwnd();
  v->initChild(nullptr, SHIM_View(parent), nullptr, 0);
  v->setTag(idx);
  v->setFrame({double(x), double(y), double(w), double(h)});
  v->release();
  return v->handle();
}

TEST_F(Factory, CustomCreatorsAreAskedFirstAndCounted) {
  g_creatorCalls = 0;
  SHIM_RegisterCustomControlCreator(Creator);
  SHIM_RegisterCustomControlCreator(Creator);
  SHIM_UnregisterCustomControlCreator(Creator);
  make({{"f", 5, "Fader", 0, 10, 20, 30, 40, WS_EX_ACCEPTFILES},
        {"Check", 6, "Button", BS_AUTOCHECKBOX, 10, 70, 60, 16, 0}});
  EXPECT_EQ(g_creatorCalls, 1);
  EXPECT_EQ(g_creatorRect.left, 10);
  EXPECT_EQ(g_creatorRect.right, 30);  // width
  EXPECT_NE(SHIM_Hwnd(GetDlgItem(dlg, 5)), nullptr);
  EXPECT_EQ(GetWindowLong(GetDlgItem(dlg, 5), GWL_EXSTYLE), WS_EX_ACCEPTFILES);
  EXPECT_NE(SHIM_As<Shim_vHarshbloom_button>(GetDlgItem(dlg, 6)), nullptr);  // passed on
  SHIM_UnregisterCustomControlCreator(Creator);
  DestroyWindow(dlg);
  make({{"f", 5, "Fader", 0, 10, 20, 30, 40, 0}});
  EXPECT_EQ(g_creatorCalls, 1);
  EXPECT_EQ(GetDlgItem(dlg, 5), nullptr);
}

TEST_F(Factory, DesiredSizeFitsTheTextAndKeepsTheFrame) {
  make({{"__SHIM_BUTTON", 0, "A button with a long title", 1, 10, 10, 40, 20, 0}});
  HWND b = GetDlgItem(dlg, 1);
  RECT r;
  SHIM_GetDesiredControlSize(b, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_GT(r.right, 120);
  EXPECT_EQ(frameOf(b), R(10, 10, 40, 20));
}

TEST_F(Factory, EditFieldsWithScrollersAreTextViewsInScrollViews) {
  make({{"__SHIM_EDIT", 0, nullptr, 7, 10, 10, 200, 100, WS_VSCROLL | ES_READONLY}});
  HWND h = GetDlgItem(dlg, 7);
  auto* tv = SHIM_As<Shim_vHarshbloom_textview>(h);
  ASSERT_NE(tv, nullptr);
  EXPECT_FALSE(tv->isEditable());
  auto* sv = dynamic_cast<plat::ScrollView*>(SHIM_View(SHIM_NavigateUpScrollClipViews(h)));
  ASSERT_NE(sv, nullptr);
  EXPECT_EQ(sv->frame(), R(10, 10, 200, 100));
  EXPECT_EQ(GetParent(h), dlg);
}

}  // namespace
