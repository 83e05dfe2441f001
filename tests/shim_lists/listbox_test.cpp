// List boxes: the list-box messages, sorted boxes, bounded text reads,
// multiple selection, clicks and double clicks, owner-drawn rows.

#include <string.h>

#include <string>

#include "lists_fixture.h"

namespace {

using ListBox = ListsTest;

LRESULT Add(HWND lb, const char* s) { return SendMessage(lb, LB_ADDSTRING, 0, (LPARAM)s); }

std::string TextOf(HWND lb, int i) {
  char buf[SHIM_LB_MAXTEXT];
  memset(buf, '#', sizeof buf);
  LRESULT n = SendMessage(lb, LB_GETTEXT, (WPARAM)i, (LPARAM)buf);
  return n < 0 ? "<none>" : std::string(buf);
}

TEST_F(ListBox, MessagesAddFindAndRemoveRows) {
  HWND lb = make("SysListView32_LB", 5, 0);
  ASSERT_NE(SHIM_ListView(lb), nullptr);
  EXPECT_EQ(SHIM_GetListViewHeaderHeight(lb), 0);
  EXPECT_EQ(Header_GetItemCount(lb), 1);  // one column made with the box
  EXPECT_EQ(Add(lb, "one"), 0);
  EXPECT_EQ(Add(lb, "two"), 1);
  EXPECT_EQ(SendMessage(lb, LB_INSERTSTRING, 0, (LPARAM) "zero"), 0);
  EXPECT_EQ(SendMessage(lb, LB_INSERTSTRING, (WPARAM)-1, (LPARAM) "last"), 3);  // appends
  EXPECT_EQ(SendMessage(lb, LB_INSERTSTRING, 99, (LPARAM) "after"), 4);
  EXPECT_EQ(SendMessage(lb, LB_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(TextOf(lb, 0), "zero");
  EXPECT_EQ(TextOf(lb, 3), "last");
  EXPECT_EQ(TextOf(lb, 5), "<none>");
  EXPECT_EQ(TextOf(lb, -1), "<none>");
  EXPECT_EQ(SendMessage(lb, LB_GETTEXT, 0, 0), -1);
  EXPECT_EQ(SendMessage(lb, LB_GETTEXTLEN, 2, 0), 3);
  EXPECT_EQ(SendMessage(lb, LB_GETTEXTLEN, 7, 0), -1);
  EXPECT_EQ(SendMessage(lb, LB_SETITEMDATA, 1, 77), 0);
  EXPECT_EQ(SendMessage(lb, LB_GETITEMDATA, 1, 0), 77);
  EXPECT_EQ(SendMessage(lb, LB_GETITEMDATA, 9, 0), 0);
  EXPECT_EQ(SendMessage(lb, LB_DELETESTRING, 0, 0), 0);
  EXPECT_EQ(TextOf(lb, 0), "one");
  EXPECT_EQ(SendMessage(lb, LB_GETITEMDATA, 0, 0), 77);
  EXPECT_EQ(SendMessage(lb, LB_RESETCONTENT, 0, 0), 0);
  EXPECT_EQ(SendMessage(lb, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessage(lb, 0x7777, 1, 2), 0);
}

TEST_F(ListBox, SortedBoxesPlaceAddedStrings) {
  HWND lb = make("SysListView32_LB", 5, LBS_SORT);
  for (const char* s : {"delay", "bass", "echo", "amp", "chorus", "bass"}) Add(lb, s);
  std::vector<std::string> got;
  for (int i = 0; i < 6; ++i) got.push_back(TextOf(lb, i));
  EXPECT_EQ(got, (std::vector<std::string>{"amp", "bass", "bass", "chorus", "delay", "echo"}));
  // Inserting at a position is not sorted.
  SendMessage(lb, LB_INSERTSTRING, 0, (LPARAM) "zzz");
  EXPECT_EQ(TextOf(lb, 0), "zzz");
}

TEST_F(ListBox, ReadingTextCopiesNoMoreThanTheLayersCap) {
  HWND lb = make("SysListView32_LB", 5, 0);
  std::string longText(3000, 'x');
  Add(lb, longText.c_str());
  std::vector<char> buf(SHIM_LB_MAXTEXT + 64, '#');
  LRESULT n = SendMessage(lb, LB_GETTEXT, 0, (LPARAM)buf.data());
  EXPECT_EQ(n, SHIM_LB_MAXTEXT - 1);
  EXPECT_EQ(SendMessage(lb, LB_GETTEXTLEN, 0, 0), SHIM_LB_MAXTEXT - 1);
  EXPECT_EQ(buf[size_t(SHIM_LB_MAXTEXT - 1)], 0);
  for (size_t i = SHIM_LB_MAXTEXT; i < buf.size(); ++i) ASSERT_EQ(buf[i], '#') << i;
  // The row keeps the whole text.
  char whole[4000];
  EXPECT_TRUE(ListView_GetItemText(lb, 0, 0, whole, sizeof whole));
  EXPECT_EQ(strlen(whole), 3000u);
}

TEST_F(ListBox, SelectionMessagesFollowTheSelectionStyle) {
  HWND single = make("SysListView32_LB", 5, 0);
  for (const char* s : {"a", "b", "c"}) Add(single, s);
  EXPECT_EQ(SendMessage(single, LB_GETCURSEL, 0, 0), -1);
  SendMessage(single, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(SendMessage(single, LB_GETCURSEL, 0, 0), 1);
  SendMessage(single, LB_SETSEL, 1, 2);
  EXPECT_EQ(SendMessage(single, LB_GETSELCOUNT, 0, 0), 1);  // one row at a time
  EXPECT_EQ(SendMessage(single, LB_GETCURSEL, 0, 0), 2);
  SendMessage(single, LB_SETCURSEL, (WPARAM)-1, 0);
  EXPECT_EQ(SendMessage(single, LB_GETCURSEL, 0, 0), -1);
  EXPECT_EQ(SendMessage(single, LB_GETSELCOUNT, 0, 0), 0);

  HWND multi = make("SysListView32_LB", 6, LBS_EXTENDEDSEL, 220, 10, 150, 100);
  for (const char* s : {"a", "b", "c"}) Add(multi, s);
  SendMessage(multi, LB_SETSEL, 1, 0);
  SendMessage(multi, LB_SETSEL, 1, 2);
  EXPECT_EQ(SendMessage(multi, LB_GETSELCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessage(multi, LB_GETSEL, 2, 0), 1);
  EXPECT_EQ(SendMessage(multi, LB_GETSEL, 1, 0), 0);
  SendMessage(multi, LB_SETSEL, 0, -1);  // every row off
  EXPECT_EQ(SendMessage(multi, LB_GETSELCOUNT, 0, 0), 0);
}

TEST_F(ListBox, ClicksReportSelectionChangesAndDoubleClicksAsCommands) {
  HWND lb = make("SysListView32_LB", 5, 0);
  for (const char* s : {"a", "b", "c"}) Add(lb, s);
  click(lb, 20, 19 + 5);  // row 1
  EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 1);
  std::vector<Note> cmds = notes(WM_COMMAND);
  ASSERT_EQ(cmds.size(), 1u);
  EXPECT_EQ(LOWORD(cmds[0].wp), 5);
  EXPECT_EQ(cmds[0].code, LBN_SELCHANGE);
  EXPECT_EQ(cmds[0].from, lb);
  EXPECT_TRUE(notes(WM_NOTIFY, NM_CLICK).empty());  // list boxes report no clicks
  g_notes.clear();
  click(lb, 20, 19 + 5, 2);  // same row again: no change, a double click
  cmds = notes(WM_COMMAND);
  ASSERT_EQ(cmds.size(), 1u);
  EXPECT_EQ(cmds[0].code, LBN_DBLCLK);
  // Below the rows: nothing stays selected.
  g_notes.clear();
  click(lb, 20, 80);
  EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), -1);
  EXPECT_EQ(notes(WM_COMMAND).size(), 1u);
}

TEST_F(ListBox, OwnerDrawnRowsAskTheParentToDrawThem) {
  HWND lb = make("SysListView32_LB", 5, LBS_OWNERDRAWFIXED);
  Add(lb, "a");
  Add(lb, "b");
  SendMessage(lb, LB_SETITEMDATA, 1, 42);
  g_notes.clear();
  display();
  std::vector<Note> draws = notes(WM_DRAWITEM);
  ASSERT_EQ(draws.size(), 2u);
  const DRAWITEMSTRUCT& d = draws[1].dis;
  EXPECT_EQ(draws[1].wp, 5u);
  EXPECT_EQ(d.CtlType, UINT(ODT_LISTBOX));
  EXPECT_EQ(d.CtlID, 5u);
  EXPECT_EQ(d.itemID, 1u);
  EXPECT_EQ(d.itemData, 42u);
  EXPECT_EQ(d.hwndItem, lb);
  EXPECT_NE(d.hDC, nullptr);
  EXPECT_EQ(d.rcItem.top, 20);  // 19 + 1
  EXPECT_EQ(d.rcItem.bottom - d.rcItem.top, 17);
}

}  // namespace
