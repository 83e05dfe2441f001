// SendMessage to the standard controls: buttons, combo boxes, pop-up buttons,
// sliders and text fields.

#include <string.h>

#include "shim-gdi-draw.h"
#include "shim-gdi.h"
#include "shim_fixture.h"

namespace {

class Controls : public ShimTest {
protected:
  void SetUp() override {
    ShimTest::SetUp();
    dlg = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)RecordingProc, 0);
  }
  template <class T>
  HWND add(T* c, int id) {
    c->setTag(id);
    SHIM_View(dlg)->addSubview(c);
    c->release();
    return SHIM_H(c);
  }
  HWND dlg = nullptr;
};

TEST_F(Controls, CheckStatesIncludingMixed) {
  plat::Button* b = new plat::Button({}, plat::Button::Kind::CheckBox);
  b->setAllowsMixedState(true);
  HWND h = add(b, 5);
  CheckDlgButton(dlg, 5, BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dlg, 5), BST_CHECKED);
  SendMessage(h, BM_SETCHECK, 2, 0);
  EXPECT_EQ(b->state(), -1);
  EXPECT_EQ(SendMessage(h, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  CheckDlgButton(dlg, 5, BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dlg, 5), 0);
  EXPECT_EQ(GetWindowLong(h, GWL_STYLE), BS_AUTO3STATE);
  SetWindowLong(h, GWL_STYLE, BS_AUTORADIOBUTTON);
  EXPECT_EQ(b->kind(), plat::Button::Kind::Radio);
  EXPECT_EQ(SendMessage(h, WM_USER + 77, 0, 0), 0);  // no rule takes it
}

TEST_F(Controls, ComboBoxItemsTextAndData) {
  Shim_vHarshbloom_cbox* cb = new Shim_vHarshbloom_cbox();
  cb->setShimStyle(CBS_SORT);
  HWND h = add(cb, 7);
  EXPECT_EQ(SendMessage(h, CB_ADDSTRING, 0, (LPARAM) "pear"), 0);
  EXPECT_EQ(SendMessage(h, CB_ADDSTRING, 0, (LPARAM) "apple"), 0);
  EXPECT_EQ(SendMessage(h, CB_ADDSTRING, 0, (LPARAM) "fig"), 1);
  EXPECT_EQ(SendMessage(h, CB_INSERTSTRING, (WPARAM)-5, (LPARAM) "abc"), 0);  // negative: start
  EXPECT_EQ(SendMessage(h, CB_INSERTSTRING, 99, (LPARAM) "zz"), 4);  // past the end: append
  EXPECT_EQ(SendMessage(h, CB_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(SendMessage(h, CB_GETLBTEXTLEN, 0, 0), 67);  // "abc": 3 + 64
  EXPECT_EQ(SendMessage(h, CB_GETLBTEXTLEN, 9, 0), -1);
  char buf[32];
  EXPECT_EQ(SendMessage(h, CB_GETLBTEXT, 1, (LPARAM)buf), 1);
  EXPECT_STREQ(buf, "apple");
  EXPECT_EQ(SendMessage(h, CB_FINDSTRING, 0, (LPARAM) "FI"), 2);
  EXPECT_EQ(SendMessage(h, CB_FINDSTRINGEXACT, 0, (LPARAM) "fi"), -1);
  EXPECT_EQ(SendMessage(h, CB_FINDSTRINGEXACT, 0, (LPARAM) "PEAR"), 3);
  EXPECT_EQ(SendMessage(h, CB_FINDSTRING, 0, 0), -1);
  SendMessage(h, CB_SETITEMDATA, 2, 1234);
  SendMessage(h, CB_INSERTSTRING, 0, (LPARAM) "first");  // data moves with its item
  EXPECT_EQ(SendMessage(h, CB_GETITEMDATA, 3, 0), 1234);
  EXPECT_EQ(SendMessage(h, CB_GETITEMDATA, 2, 0), 0);
  SendMessage(h, CB_DELETESTRING, 0, 0);
  EXPECT_EQ(SHIM_CB_GetItemData(dlg, 7, 2), 1234);
  SendMessage(h, CB_SETCURSEL, 2, 0);
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, 7), 2);
  EXPECT_EQ(cb->stringValue(), "fig");
  SendMessage(h, CB_SETCURSEL, 50, 0);
  EXPECT_EQ(SendMessage(h, CB_GETCURSEL, 0, 0), -1);
  EXPECT_EQ(SendMessage(h, 0x159, 0, 0), 0);
  SHIM_CB_Empty(dlg, 7);
  EXPECT_EQ(SHIM_CB_GetNumItems(dlg, 7), 0);
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, 99), -1);  // no such control
}

TEST_F(Controls, PopUpButtonKeepsDataOnItsItems) {
  plat::PopUpButton* p = new plat::PopUpButton();
  HWND h = add(p, 8);
  SHIM_CB_AddString(dlg, 8, "one");
  SHIM_CB_AddString(dlg, 8, "two");
  EXPECT_EQ(SendMessage(h, CB_GETCURSEL, 0, 0), -1);  // nothing selected by inserting
  SHIM_CB_SetItemData(dlg, 8, 1, 99);
  EXPECT_EQ(SHIM_CB_GetItemData(dlg, 8, 1), 99);
  EXPECT_EQ(SHIM_CB_GetItemData(dlg, 8, 0), 0);
  char buf[8];
  EXPECT_EQ(SHIM_CB_GetItemText(dlg, 8, 1, buf, 3), 1);
  EXPECT_STREQ(buf, "tw");
  EXPECT_EQ(SHIM_CB_FindString(dlg, 8, 0, "TWO", true), 1);
  SHIM_CB_SetCurSel(dlg, 8, 1);
  SHIM_CB_DeleteString(dlg, 8, 0);
  EXPECT_EQ(SHIM_CB_GetCurSel(dlg, 8), 0);
  EXPECT_EQ(SHIM_CB_GetItemData(dlg, 8, 0), 99);
}

TEST_F(Controls, SliderRangeAndPosition) {
  plat::Slider* s = new plat::Slider();
  HWND h = add(s, 9);
  EXPECT_EQ(SendMessage(h, TBM_SETRANGE, 1, 0x03E80000), 1);
  EXPECT_EQ(s->minValue(), 0);
  EXPECT_EQ(s->maxValue(), 1000);
  SendMessage(h, TBM_SETPOS, 1, 250);
  EXPECT_EQ(SendMessage(h, TBM_GETPOS, 0, 0), 250);
  s->setValue(10.5);
  EXPECT_EQ(SHIM_TB_GetPos(dlg, 9), 11);
  EXPECT_EQ(SHIM_TB_SetRange(dlg, 9, -100000, 100000), 1);  // full ints here
  EXPECT_EQ(s->minValue(), -100000);
  EXPECT_EQ(SendMessage(h, 0x402, 0, 0), 0);
  EXPECT_EQ(SHIM_TB_SetTic(dlg, 9, 5), 0);
}

TEST_F(Controls, EditSelectionOnlyWhileEditing) {
  plat::TextField* f = new plat::TextField();
  HWND h = add(f, 10);
  SetDlgItemText(dlg, 10, "hello");
  int start = 9, end = 9;
  SendMessage(h, EM_SETSEL, 1, 3);
  SendMessage(h, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 0);
  f->setBeingEdited(true);
  SendMessage(h, EM_SETSEL, 1, -1);
  SendMessage(h, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(end, 5);
  SendMessage(h, EM_SETSEL, 4, 99);
  SendMessage(h, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  EXPECT_EQ(end, 5);
  SendMessage(h, EM_SETSEL, (WPARAM)-1, 0);
  SendMessage(h, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 0);
}

TEST_F(Controls, SettingFieldTextTellsTheParent) {
  plat::TextField* f = new plat::TextField();
  add(f, 11);
  g_seen.clear();
  SetDlgItemText(dlg, 11, "x");
  ASSERT_TRUE(SawMessage(dlg, WM_COMMAND));
  EXPECT_EQ(g_seen.back().wp, (WPARAM)(11 | (EN_CHANGE << 16)));
  char buf[4];
  GetDlgItemText(dlg, 11, buf, sizeof buf);
  EXPECT_STREQ(buf, "x");
  // A static label dims when disabled.
  plat::TextField* label = new plat::TextField();
  label->setEditable(false);
  label->setBordered(false);
  label->setDrawsBackground(false);
  HWND lh = add(label, 12);
  EnableWindow(lh, FALSE);
  EXPECT_EQ(label->textColor() >> 24, 0x80u);
  EnableWindow(lh, TRUE);
  EXPECT_EQ(label->textColor() >> 24, 0xFFu);
}

TEST_F(Controls, ControlActionsBecomeCommands) {
  plat::PopUpButton* p = new plat::PopUpButton();
  HWND ph = add(p, 21);
  plat::Button* b = new plat::Button();
  HWND bh = add(b, 22);
  Shim_vHarshbloom_hwnd* view = SHIM_Hwnd(dlg);
  p->action = [view](plat::Control* c) { view->onShimCommand(c); };
  b->action = p->action;
  // A combo box reports through its own notifications, never as a command.
  plat::ComboBox* cb = new plat::ComboBox();
  add(cb, 23);
  cb->action = p->action;
  g_seen.clear();
  b->sendAction();
  cb->sendAction();
  p->sendAction();
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].wp, 22u);
  EXPECT_EQ(g_seen[0].lp, (LPARAM)bh);
  EXPECT_EQ(g_seen[1].wp, (WPARAM)(21 | (1 << 16)));
  EXPECT_EQ(g_seen[1].lp, (LPARAM)ph);
}

}  // namespace

namespace {

// A button given a bitmap shows it in place of its title, keeps it after the
// caller deletes the handle, and drops it for a handle that is not a bitmap.
TEST_F(Controls, ButtonShowsTheBitmapItIsGiven) {
  Shim_vHarshbloom_button* b = new Shim_vHarshbloom_button({20, 20, 80, 40});
  b->setTitle("Title");
  HWND h = add(b, 6);
  SetWindowPos(dlg, nullptr, 100, 100, 200, 100, SWP_NOZORDER);
  ShowWindow(dlg, SW_SHOW);
  std::vector<unsigned char> red(16 * 16 * 4);
  for (size_t i = 0; i < red.size(); i += 4) {
    red[i + 2] = 0xFF;  // R
    red[i + 3] = 0xFF;  // A
  }
  HBITMAP bmp = CreateBitmap(16, 16, 1, 32, red.data());
  auto centre = [&] {
    SHIM_WindowOf(dlg)->display();
    plat::Rect px = b->pixelRectInWindow();
    return SHIM_WindowOf(dlg)->backing().pixel(int(px.x + px.w / 2), int(px.y + px.h / 2)) &
           0xFFFFFF;
  };
  const uint32_t face = centre();
  EXPECT_NE(face, 0xFF0000u);

  EXPECT_EQ(SendMessage(h, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bmp), 0);
  EXPECT_EQ(SendMessage(h, BM_GETIMAGE, IMAGE_BITMAP, 0), (LRESULT)bmp);
  EXPECT_EQ(SendMessage(h, BM_GETIMAGE, 2, 0), 0);  // no such image type
  EXPECT_EQ(SendMessage(h, BM_SETIMAGE, 2, 0), 0);
  EXPECT_EQ(SendMessage(h, BM_GETIMAGE, IMAGE_BITMAP, 0), (LRESULT)bmp);
  DeleteObject(bmp);
  EXPECT_EQ(centre(), 0xFF0000u);

  HBRUSH brush = CreateSolidBrush(0x00FF00);
  EXPECT_EQ(SendMessage(h, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)brush), (LRESULT)bmp);
  EXPECT_EQ(SendMessage(h, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_EQ(centre(), face);
  DeleteObject(brush);

  // A button of the platform's own has no image to give.
  HWND plain = add(new plat::Button(), 7);
  EXPECT_EQ(SendMessage(plain, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bmp), 0);
}

// The button style and the radio flags are one thing: reading the style
// shows the flags, and writing it sets them.
TEST_F(Controls, ButtonStyleCarriesTheRadioFlags) {
  Shim_vHarshbloom_button* b = new Shim_vHarshbloom_button({}, plat::Button::Kind::Radio);
  b->shimSetRadioFlags(1);
  HWND h = add(b, 40);
  struct Case {
    LONG_PTR style;
    int flags;
  } cases[] = {
      {BS_AUTORADIOBUTTON | WS_GROUP, 3},
      {BS_AUTORADIOBUTTON, 1},
      {BS_AUTO3STATE, 0},
      {BS_AUTORADIOBUTTON | WS_GROUP, 3},
      {BS_AUTOCHECKBOX, 0},
  };
  LONG_PTR before = BS_AUTORADIOBUTTON;
  EXPECT_EQ(GetWindowLong(h, GWL_STYLE), before);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    EXPECT_EQ(SetWindowLong(h, GWL_STYLE, c.style), before);
    EXPECT_EQ(b->shimGetRadioFlags(), c.flags);
    EXPECT_EQ(GetWindowLong(h, GWL_STYLE), c.style);
    before = c.style;
  }
}

// Radio groups follow style changes: a button given WS_GROUP starts a group
// of its own, and a radio button turned into a check box leaves its group.
TEST_F(Controls, StyleChangesMoveRadioGroupBounds) {
  Shim_vHarshbloom_button* r[3];
  HWND h[3];
  for (int i = 0; i < 3; ++i) {
    r[i] = new Shim_vHarshbloom_button({}, plat::Button::Kind::Radio);
    r[i]->shimSetRadioFlags(i == 0 ? 3 : 1);
    h[i] = add(r[i], 50 + i);
  }
  SetWindowLong(h[2], GWL_STYLE, BS_AUTORADIOBUTTON | WS_GROUP);
  r[0]->performClick();
  r[2]->performClick();
  EXPECT_EQ(r[0]->state(), 1);
  EXPECT_EQ(r[2]->state(), 1);

  SetWindowLong(h[0], GWL_STYLE, BS_AUTOCHECKBOX);
  r[1]->performClick();
  EXPECT_EQ(r[0]->state(), 1);  // a check box now: no radio click clears it
  EXPECT_EQ(r[1]->state(), 1);
}

// A button that got a bitmap carries an image, so the dialog's colour pass
// asks for its text colour and applies it.
TEST_F(Controls, ButtonWithABitmapTakesTheDialogTextColour) {
  Shim_vHarshbloom_button* b = new Shim_vHarshbloom_button({0, 0, 60, 20});
  HWND bh = add(b, 8);
  std::vector<unsigned char> px(4 * 4 * 4, 0xFF);
  HBITMAP bmp = CreateBitmap(4, 4, 1, 32, px.data());
  SendMessage(bh, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bmp);
  SetWindowLong(dlg, DWL_DLGPROC, (LONG_PTR) + [](HWND h, UINT m, WPARAM w, LPARAM l) -> INT_PTR {
    g_seen.push_back({h, m, w, l});
    if (m == WM_CTLCOLORBTN) SetTextColor((HDC)w, 0x123456);
    return 0;
  });
  g_seen.clear();
  SendMessage(dlg, WM_DISPLAYCHANGE, 0, 0);
  bool asked = false;
  for (const Seen& s : g_seen)
    if (s.msg == WM_CTLCOLORBTN) asked = s.lp == (LPARAM)bh;
  EXPECT_TRUE(asked);
  EXPECT_EQ(b->textColor(), 0xFF123456u);
  DeleteObject(bmp);
}

}  // namespace
