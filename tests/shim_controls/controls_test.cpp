// The control classes report to their parent: clicks, keys, focus, text
// changes, lists, sliders, owner drawing, the tab control, progress bars and
// multi-line text.

#include <string.h>

#include "controls_fixture.h"
#include "platform/keys.h"

namespace {

using Controls = GeneratedDialog;

WPARAM cmd(int id, int code) { return WPARAM(id | (code << 16)); }

TEST_F(Controls, ClicksBecomeCommandsAndChangeCheckStates) {
  make({{"__SHIM_BUTTON", 0, "Go", 1, 10, 10, 80, 24, 0},
        {"Three", 2, "Button", BS_AUTO3STATE, 10, 40, 100, 16, 0},
        {"Off", 3, "Button", BS_AUTOCHECKBOX, 10, 60, 100, 16, 0}});
  HWND go = GetDlgItem(dlg, 1), three = GetDlgItem(dlg, 2);
  click(go, 40, 12);
  click(go, 40, 12, 2);  // a double click says so in the high word
  EXPECT_EQ(commands(), (std::vector<WPARAM>{cmd(1, 0), cmd(1, 1)}));
  g_seen.clear();
  for (int want : {BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}) {
    click(three, 5, 8);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 2), want);
  }
  EXPECT_EQ(commands(), (std::vector<WPARAM>{cmd(2, 0), cmd(2, 0), cmd(2, 0)}));
  // A press that leaves the button before release does nothing.
  g_seen.clear();
  plat::View* v = SHIM_View(go);
  plat::Event down;
  down.type = plat::EventType::LeftMouseDown;
  down.window = v->window();
  down.location = v->convertToWindow({40, 12});
  plat::app().sendEvent(down);
  plat::Event up = down;
  up.type = plat::EventType::LeftMouseUp;
  up.location = v->convertToWindow({300, 200});
  plat::app().sendEvent(up);
  EXPECT_TRUE(commands().empty());
  // Disabled: nothing.
  EnableWindow(go, FALSE);
  click(go, 40, 12);
  EXPECT_TRUE(commands().empty());
}

TEST_F(Controls, ARadioClickClearsTheOthersOfItsGroupOnly) {
  make({{"A", 40, "Button", BS_AUTORADIOBUTTON | WS_GROUP, 10, 10, 80, 16, 0},
        {"B", 41, "Button", BS_AUTORADIOBUTTON, 10, 30, 80, 16, 0},
        {"C", 42, "Button", BS_AUTORADIOBUTTON, 10, 50, 80, 16, 0},
        {"D", 43, "Button", BS_AUTORADIOBUTTON | WS_GROUP, 10, 70, 80, 16, 0},
        {"E", 44, "Button", BS_AUTORADIOBUTTON, 10, 90, 80, 16, 0}});
  CheckDlgButton(dlg, 40, 1);
  CheckDlgButton(dlg, 43, 1);
  click(GetDlgItem(dlg, 42), 5, 8);
  std::vector<int> states;
  for (int id = 40; id <= 44; ++id) states.push_back(IsDlgButtonChecked(dlg, id));
  EXPECT_EQ(states, (std::vector<int>{0, 0, 1, 1, 0}));
  click(GetDlgItem(dlg, 43), 5, 8);  // the group start clears forwards only
  CheckDlgButton(dlg, 44, 1);
  click(GetDlgItem(dlg, 43), 5, 8);
  states.clear();
  for (int id = 40; id <= 44; ++id) states.push_back(IsDlgButtonChecked(dlg, id));
  EXPECT_EQ(states, (std::vector<int>{0, 0, 1, 1, 0}));
  EXPECT_EQ(commands().back(), cmd(43, 0));
}

TEST_F(Controls, TextFieldsReportFocusEditsAndTheEndOfEditing) {
  make({{"__SHIM_EDIT", 0, nullptr, 10, 10, 10, 150, 18, 0},
        {"__SHIM_EDIT", 0, nullptr, 11, 10, 40, 150, 18, 0}});
  HWND a = GetDlgItem(dlg, 10), b = GetDlgItem(dlg, 11);
  g_seen.clear();
  SetFocus(a);
  EXPECT_EQ(commands(), (std::vector<WPARAM>{WPARAM(0x1000000 | 10)}));
  g_seen.clear();
  key(a, plat::key::H, "h");
  key(a, plat::key::I, "i");
  char buf[32];
  GetDlgItemText(dlg, 10, buf, sizeof buf);
  EXPECT_STREQ(buf, "hi");
  key(a, plat::key::Delete, "\x7f");
  GetDlgItemText(dlg, 10, buf, sizeof buf);
  EXPECT_STREQ(buf, "h");
  EXPECT_EQ(commands(), (std::vector<WPARAM>{cmd(10, EN_CHANGE), cmd(10, EN_CHANGE), cmd(10, EN_CHANGE)}));
  // Selection messages see the editing session.
  int s = -1, e = -1;
  SendMessage(a, EM_SETSEL, 0, -1);
  SendMessage(a, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(e, 1);
  g_seen.clear();
  key(a, plat::key::Tab, "\t");  // on to the next field
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(commands(), (std::vector<WPARAM>{cmd(10, EN_KILLFOCUS), WPARAM(0x1000000 | 11)}));
  // Copy and paste through the clipboard with Ctrl (the Command flag).
  SetDlgItemText(dlg, 11, "copied");
  SendMessage(b, EM_SETSEL, 0, -1);
  key(b, plat::key::C, "c", plat::kModCommand);
  EXPECT_EQ(plat::app().clipboardText(), "copied");
  SetFocus(a);
  SendMessage(a, EM_SETSEL, 0, -1);
  key(a, plat::key::V, "v", plat::kModCommand);
  GetDlgItemText(dlg, 10, buf, sizeof buf);
  EXPECT_STREQ(buf, "copied");
}

TEST_F(Controls, ComboListsAndPopUpButtonsReportTheirChoices) {
  make({{"__SHIM_COMBO", 0, nullptr, 11, 10, 10, 150, 100, CBS_DROPDOWNLIST},
        {"__SHIM_COMBO", 0, nullptr, 12, 10, 40, 150, 100, 0}});
  ScriptedTracker tracker;
  plat::app().setMenuTracker(&tracker);
  HWND pub = GetDlgItem(dlg, 11), cb = GetDlgItem(dlg, 12);
  for (const char* s : {"one", "two", "three"}) {
    SHIM_CB_AddString(dlg, 11, s);
    SHIM_CB_AddString(dlg, 12, s);
  }
  SHIM_CB_SetCurSel(dlg, 11, 0);
  g_seen.clear();
  tracker.choose = "three";
  click(pub, 20, 8);
  EXPECT_EQ(tracker.shownTitles, (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, 11), 2);
  EXPECT_EQ(commands(), (std::vector<WPARAM>{cmd(11, 1)}));
  g_seen.clear();
  tracker.choose = "";
  click(pub, 20, 8);  // dismissed: nothing
  EXPECT_TRUE(commands().empty());
  // The combo box's list: drop-down, selection, close-up.
  tracker.choose = "two";
  plat::Rect f = SHIM_View(cb)->frame();
  click(cb, f.w - 5, 10);
  EXPECT_EQ(commands(), (std::vector<WPARAM>{WPARAM(0x1000000 | 12), cmd(12, CBN_DROPDOWN),
                                              cmd(12, CBN_SELCHANGE), cmd(12, CBN_CLOSEUP)}));
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, 12), 1);
  char buf[16];
  GetDlgItemText(dlg, 12, buf, sizeof buf);
  EXPECT_STREQ(buf, "two");
  g_seen.clear();
  key(cb, plat::key::X, "x");
  EXPECT_EQ(commands(), (std::vector<WPARAM>{cmd(12, CBN_EDITCHANGE)}));
}

TEST_F(Controls, ItemTextCopiesStayInsideTheirBounds) {
  make({{"__SHIM_COMBO", 0, nullptr, 12, 10, 40, 150, 100, 0}});
  HWND cb = GetDlgItem(dlg, 12);
  std::string huge(3u << 20, 'a');
  SendMessage(cb, CB_ADDSTRING, 0, (LPARAM)huge.c_str());
  SendMessage(cb, CB_ADDSTRING, 0, (LPARAM) "short");
  // Sized by the length message: the text and its terminator fit.
  LRESULT len = SendMessage(cb, CB_GETLBTEXTLEN, 1, 0);
  std::vector<char> fit(size_t(len), '#');
  EXPECT_EQ(SendMessage(cb, CB_GETLBTEXT, 1, (LPARAM)fit.data()), 1);
  EXPECT_STREQ(fit.data(), "short");
  // A text longer than the copy's bound never writes past 1 MiB.
  std::vector<char> big((1u << 20) + 64, '#');
  EXPECT_EQ(SendMessage(cb, CB_GETLBTEXT, 0, (LPARAM)big.data()), 1);
  EXPECT_EQ(big[(1u << 20) - 1], 0);
  EXPECT_EQ(big[1u << 20], '#');
  EXPECT_EQ(SendMessage(cb, CB_GETLBTEXT, 1, 0), -1);  // no buffer
  char small[4];
  EXPECT_EQ(SHIM_CB_GetItemText(dlg, 12, 1, small, sizeof small), 1);
  EXPECT_STREQ(small, "sho");
}

TEST_F(Controls, SlidersScrollAndOwnerDrawnButtonsAskToBeDrawn) {
  static std::vector<DRAWITEMSTRUCT> drawn;
  drawn.clear();
  struct Proc {
    static LRESULT proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
      if (msg == WM_DRAWITEM) drawn.push_back(*(DRAWITEMSTRUCT*)lp);
      return RecordingProc(h, msg, wp, lp);
    }
  };
  make({{"Volume", 16, "RNhfader", 0, 10, 10, 216, 20, 0},
        {"Drawn", 17, "Button", BS_OWNERDRAW, 10, 40, 60, 20, 0}});
  SetWindowLong(dlg, DWL_DLGPROC, (LONG_PTR)Proc::proc);
  HWND s = GetDlgItem(dlg, 16);
  click(s, 8 + 100, 10);  // half way along the track
  EXPECT_EQ(SHIM_TB_GetPos(dlg, 16), 500);
  bool scrolled = false;
  for (const Seen& x : g_seen) scrolled |= x.msg == WM_HSCROLL && x.lp == (LPARAM)s;
  EXPECT_TRUE(scrolled);
  SHIM_View(dlg)->window()->display();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].CtlType, (UINT)ODT_BUTTON);
  EXPECT_EQ(drawn[0].CtlID, 17u);
  EXPECT_EQ(drawn[0].hwndItem, GetDlgItem(dlg, 17));
  EXPECT_EQ(drawn[0].rcItem.right, 60);
  EXPECT_EQ(drawn[0].rcItem.bottom, 20);
  EXPECT_NE(drawn[0].hDC, nullptr);
}

TEST_F(Controls, TabControlTellsItsOwnerOfUserSelectionsOnly) {
  make({{"Tabs", 18, "SysTabControl32", 0, 10, 10, 300, 100, 0}});
  HWND t = GetDlgItem(dlg, 18);
  TCITEM item;
  memset(&item, 0, sizeof item);
  item.mask = TCIF_TEXT;
  char a[] = "Audio", m[] = "MIDI", o[] = "Other";
  item.pszText = a;
  g_seen.clear();
  EXPECT_EQ(TabCtrl_InsertItem(t, 5, &item), 0);
  item.pszText = m;
  EXPECT_EQ(TabCtrl_InsertItem(t, -3, &item), 0);  // before: still no notice
  item.pszText = o;
  EXPECT_EQ(TabCtrl_InsertItem(t, 2, &item), 2);
  EXPECT_FALSE(SawMessage(dlg, WM_NOTIFY));
  EXPECT_EQ(TabCtrl_GetItemCount(t), 3);
  EXPECT_EQ(TabCtrl_GetCurSel(t), 1);  // "Audio" stays selected
  item.mask = 0;
  EXPECT_EQ(TabCtrl_InsertItem(t, 0, &item), -1);
  // A click on another tab.
  auto* tv = SHIM_As<Shim_vHarshbloom_tabview>(t);
  plat::Rect r = tv->tabRect(2);
  click(t, r.x + 5, r.y + 5);
  ASSERT_TRUE(SawMessage(dlg, WM_NOTIFY));
  for (const Seen& s : g_seen) {
    if (s.msg != WM_NOTIFY) continue;
    EXPECT_EQ(s.wp, 18u);
  }
  EXPECT_EQ(TabCtrl_GetCurSel(t), 2);
  EXPECT_EQ(TabCtrl_SetCurSel(t, 0), 2);
  EXPECT_EQ(TabCtrl_SetCurSel(t, 9), 0);
  EXPECT_TRUE(TabCtrl_DeleteItem(t, 2));
  EXPECT_FALSE(TabCtrl_DeleteItem(t, 2));
  RECT rc{0, 0, 100, 100};
  TabCtrl_AdjustRect(t, FALSE, &rc);
  EXPECT_EQ((std::vector<int>{rc.left, rc.top, rc.right, rc.bottom}), (std::vector<int>{7, 26, 93, 97}));
  rc = RECT{0, 0, 100, 100};
  TabCtrl_AdjustRect(t, TRUE, &rc);
  EXPECT_EQ((std::vector<int>{rc.left, rc.top, rc.right, rc.bottom}), (std::vector<int>{-7, -26, 107, 103}));
  EXPECT_FALSE(TabCtrl_AdjustRect(dlg, FALSE, &rc));
  EXPECT_EQ(TabCtrl_GetItemCount(dlg), 0);
}

TEST_F(Controls, TheTabNoticeCarriesTheSender) {
  static NMHDR got;
  struct Proc {
    static LRESULT proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
      if (msg == WM_NOTIFY) got = *(NMHDR*)lp;
      return RecordingProc(h, msg, wp, lp);
    }
  };
  make({{"Tabs", 18, "SysTabControl32", 0, 10, 10, 300, 100, 0}});
  SetWindowLong(dlg, DWL_DLGPROC, (LONG_PTR)Proc::proc);
  HWND t = GetDlgItem(dlg, 18);
  TCITEM item{TCIF_TEXT, 0, 0, const_cast<char*>("A"), 0, 0, 0};
  TabCtrl_InsertItem(t, 0, &item);
  item.pszText = const_cast<char*>("B");
  TabCtrl_InsertItem(t, 1, &item);
  TabCtrl_SetCurSel(t, 1);
  EXPECT_EQ(got.hwndFrom, t);
  EXPECT_EQ(got.idFrom, 18u);
  EXPECT_EQ(int(got.code), TCN_SELCHANGE);
}

TEST_F(Controls, ProgressBarsAndTextViewsAnswerTheirMessages) {
  make({{"", 19, "msctls_progress32", 0, 10, 10, 100, 10, 0},
        {"__SHIM_EDIT", 0, nullptr, 7, 10, 30, 200, 100, WS_VSCROLL}});
  HWND p = GetDlgItem(dlg, 19);
  auto* bar = SHIM_As<Shim_vHarshbloom_progind>(p);
  EXPECT_EQ(SendMessage(p, PBM_SETRANGE, 0, 0x00640000), 0);
  EXPECT_EQ(bar->minValue(), 0);
  EXPECT_EQ(bar->maxValue(), 100);
  SendMessage(p, PBM_SETPOS, 30, 0);
  SendMessage(p, PBM_DELTAPOS, 5, 0);
  EXPECT_EQ(bar->value(), 35);

  HWND t = GetDlgItem(dlg, 7);
  SetDlgItemText(dlg, 7, "0123456789");
  int s = -1, e = -1;
  SendMessage(t, EM_SETSEL, 5, 2);  // end before start: nothing selected at 5
  SendMessage(t, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  EXPECT_EQ(s, 5);
  EXPECT_EQ(e, 5);
  SendMessage(t, EM_SETSEL, 3, -1);
  SendMessage(t, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  EXPECT_EQ(e, 10);
  SendMessage(t, EM_SETSEL, (WPARAM)-1, 0);
  SendMessage(t, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  EXPECT_EQ(s + e, 0);
  // Long text scrolls to its end and back.
  std::string lines;
  for (int i = 0; i < 40; ++i) lines += "line\n";
  SetDlgItemText(dlg, 7, lines.c_str());
  auto* clip = dynamic_cast<plat::ClipView*>(SHIM_View(t)->superview());
  ASSERT_NE(clip, nullptr);
  SendMessage(t, EM_SCROLL, SB_BOTTOM, 0);
  EXPECT_GT(clip->bounds().y, 0);
  SendMessage(t, EM_SCROLL, SB_TOP, 0);
  EXPECT_EQ(clip->bounds().y, 0);
  // Typing reports changes; focus reports arrive like a field's.
  g_seen.clear();
  SetFocus(t);
  key(t, plat::key::A, "a");
  EXPECT_EQ(commands(), (std::vector<WPARAM>{WPARAM(0x1000000 | 7), cmd(7, EN_CHANGE)}));
}

TEST_F(Controls, AChangedControlMarksItsWindowViewsDirty) {
  make({{"__SHIM_LABEL", -1, "Text", 1, 10, 10, 80, 16, 0}});
  SHIM_View(dlg)->window()->display();
  Shim_vHarshbloom_hwnd* h = SHIM_Hwnd(dlg);
  h->setDirtyFlags(0);
  SetDlgItemText(dlg, 1, "Other");
  EXPECT_EQ(h->dirtyFlags() & 2, 2);
}

TEST_F(Controls, LabelsAndButtonsDrawTheirText) {
  make({{"__SHIM_LABEL", -1, "Label", 1, 10, 10, 80, 16, 0},
        {"__SHIM_BUTTON", 0, "Button", 2, 10, 40, 80, 24, 0},
        {"Check", 3, "Button", BS_AUTOCHECKBOX, 10, 80, 80, 16, 0}});
  plat::Window* w = SHIM_View(dlg)->window();
  w->display();
  auto darkIn = [&](double x, double y, double width, double height) {
    int n = 0;
    for (int yy = int(y); yy < int(y + height); ++yy)
      for (int xx = int(x); xx < int(x + width); ++xx)
        if ((w->backing().pixel(xx, yy) & 0xFF) < 0x60) ++n;
    return n;
  };
  EXPECT_GT(darkIn(10, 10, 80, 16), 20);  // the label's letters
  EXPECT_GT(darkIn(20, 44, 60, 16), 20);  // the button's title
  EXPECT_GT(darkIn(30, 80, 60, 16), 20);  // the check box's title
  EXPECT_EQ(darkIn(150, 150, 50, 50), 0);
}

}  // namespace
