// List views: rows and columns, sorted insertion, sorting, selection with its
// notifications, the mouse, hit tests, item rectangles, scrolling, owner-data
// mode and drawing.

#include <string.h>

#include <string>

#include "lists_fixture.h"

namespace {

using ListView = ListsTest;

int Insert(HWND lv, int at, const char* text, LPARAM param = 0, UINT state = 0, UINT stateMask = 0) {
  LVITEM it;
  memset(&it, 0, sizeof it);
  it.mask = LVIF_TEXT | LVIF_PARAM | (stateMask ? LVIF_STATE : 0);
  it.iItem = at;
  it.pszText = const_cast<char*>(text);
  it.lParam = param;
  it.state = state;
  it.stateMask = stateMask;
  return ListView_InsertItem(lv, &it);
}

void AddColumn(HWND lv, int pos, const char* title, int width) {
  LVCOLUMN c;
  memset(&c, 0, sizeof c);
  c.mask = LVCF_TEXT | LVCF_WIDTH;
  c.pszText = const_cast<char*>(title);
  c.cx = width;
  ListView_InsertColumn(lv, pos, &c);
}

std::string Text(HWND lv, int item, int sub = 0) {
  char buf[64];
  memset(buf, '#', sizeof buf);
  ListView_GetItemText(lv, item, sub, buf, sizeof buf);
  return buf;
}

std::vector<std::string> Texts(HWND lv) {
  std::vector<std::string> out;
  for (int i = 0; i < ListView_GetItemCount(lv); ++i) out.push_back(Text(lv, i));
  return out;
}

std::vector<int> Selected(HWND lv) {
  std::vector<int> out;
  for (int i = ListView_GetNextItem(lv, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(lv, i, LVNI_SELECTED))
    out.push_back(i);
  return out;
}

// A report list with three columns 60, 80 and 100 wide and four rows.
HWND Report(int extraStyle = 0) {
  HWND lv = SHIM_MakeControl("", 7, "SysListView32", LVS_REPORT | extraStyle, 10, 10, 300, 200, 0);
  AddColumn(lv, 0, "Name", 60);
  AddColumn(lv, 1, "Size", 80);
  AddColumn(lv, 2, "Kind", 100);
  const char* names[] = {"kick", "snare", "hat", "tom"};
  for (int i = 0; i < 4; ++i) {
    Insert(lv, i, names[i], 100 + i);
    ListView_SetItemText(lv, i, 1, std::to_string(i * 10).c_str());
  }
  return lv;
}

TEST_F(ListView, RowsAndColumnsKeepTheirTextsAndWidths) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  ASSERT_NE(SHIM_ListView(lv), nullptr);
  EXPECT_EQ(GetDlgItem(dlg, 7), lv);
  EXPECT_EQ(GetParent(lv), dlg);
  EXPECT_EQ(ListView_GetItemCount(lv), 4);
  EXPECT_EQ(Texts(lv), (std::vector<std::string>{"kick", "snare", "hat", "tom"}));
  EXPECT_EQ(Text(lv, 2, 1), "20");
  EXPECT_EQ(Text(lv, 2, 2), "");  // no string there yet
  EXPECT_EQ(Text(lv, 9), "");     // no such row: the buffer is emptied
  // A subitem past the row's strings fills the ones between with "".
  ListView_SetItemText(lv, 0, 3, "far");
  EXPECT_EQ(SHIM_ListView(lv)->row(0)->m_texts.GetSize(), 4);
  EXPECT_EQ(Text(lv, 0, 2), "");
  EXPECT_EQ(Text(lv, 0, 3), "far");
  ListView_SetItemText(lv, 0, 32, "out of range");
  EXPECT_EQ(SHIM_ListView(lv)->row(0)->m_texts.GetSize(), 4);
  // Reading through a small buffer keeps to it.
  char small[4];
  memset(small, '#', sizeof small);
  EXPECT_TRUE(ListView_GetItemText(lv, 1, 0, small, 3));
  EXPECT_EQ(std::string(small, 3), std::string("sn\0", 3));
  EXPECT_EQ(small[3], '#');
  LVITEM it;
  memset(&it, 0, sizeof it);
  it.mask = LVIF_PARAM;
  it.iItem = 3;
  EXPECT_TRUE(ListView_GetItem(lv, &it));
  EXPECT_EQ(it.lParam, 103);

  EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(lv)), 3);
  EXPECT_EQ(ListView_GetColumnWidth(lv, 1), 80);
  // A column inserted at position 0 is appended, and takes its own width.
  AddColumn(lv, 0, "Late", 45);
  EXPECT_EQ(Header_GetItemCount(lv), 4);
  EXPECT_EQ(ListView_GetColumnWidth(lv, 0), 60);
  EXPECT_EQ(ListView_GetColumnWidth(lv, 3), 45);
  EXPECT_EQ(SHIM_ListView(lv)->column(3)->title, "Late");
  ListView_SetColumnWidth(lv, 3, 0);
  EXPECT_EQ(ListView_GetColumnWidth(lv, 3), 0);  // hidden
  EXPECT_TRUE(ListView_DeleteColumn(lv, 3));
  EXPECT_FALSE(ListView_DeleteColumn(lv, 3));
  EXPECT_EQ(SHIM_GetListViewHeaderHeight(lv), 20);

  int order[3];
  EXPECT_TRUE(ListView_GetColumnOrderArray(lv, 3, order));
  EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{0, 1, 2}));
  int wanted[3] = {2, 0, 1};
  EXPECT_TRUE(ListView_SetColumnOrderArray(lv, 3, wanted));
  EXPECT_TRUE(ListView_GetColumnOrderArray(lv, 3, order));
  EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{2, 0, 1}));
  EXPECT_FALSE(ListView_GetColumnOrderArray(lv, 2, order));

  HDITEM hd;
  memset(&hd, 0, sizeof hd);
  hd.mask = HDI_FORMAT;
  hd.fmt = HDF_SORTDOWN;
  EXPECT_TRUE(Header_SetItem(lv, 1, &hd));
  hd.fmt = 0;
  EXPECT_TRUE(Header_GetItem(lv, 1, &hd));
  EXPECT_EQ(hd.fmt, HDF_SORTDOWN);
  EXPECT_TRUE(Header_GetItem(lv, 0, &hd));
  EXPECT_EQ(hd.fmt, 0);
  EXPECT_FALSE(Header_GetItem(lv, 5, &hd));

  ListView_DeleteItem(lv, 1);
  EXPECT_EQ(Texts(lv), (std::vector<std::string>{"kick", "hat", "tom"}));
  ListView_DeleteAllItems(lv);
  EXPECT_EQ(ListView_GetItemCount(lv), 0);
}

TEST_F(ListView, ForeignHandlesGetNeutralAnswers) {
  HWND btn = SHIM_MakeButton(0, "b", 3, 0, 0, 10, 10, 0);
  LVITEM it;
  memset(&it, 0, sizeof it);
  it.mask = LVIF_TEXT;
  it.pszText = const_cast<char*>("x");
  for (HWND h : {(HWND) nullptr, btn, dlg}) {
    EXPECT_EQ(ListView_InsertItem(h, &it), 0);
    EXPECT_EQ(ListView_GetItemCount(h), 0);
    EXPECT_EQ(ListView_GetNextItem(h, -1, LVNI_SELECTED), -1);
    EXPECT_FALSE(ListView_SetItemState(h, 0, 1, 1));
    EXPECT_EQ(ListView_GetHeader(h), nullptr);
    EXPECT_EQ(SendMessage(h, LB_GETCOUNT, 0, 0), 0);
  }
}

struct SortedCase {
  std::vector<const char*> rows;
  const char* text;
  bool descending;
  int expected;
};

TEST_F(ListView, SortedStylesInsertWhereTheTextBelongs) {
  const SortedCase cases[] = {
      {{}, "solo", false, 0},                 // an empty list has no row to compare
      {{"a", "c"}, "b", false, 1},
      {{"a", "c"}, "0", false, 0},
      {{"a", "c"}, "d", false, 2},
      {{"a", "b", "c", "d", "e"}, "c", false, 2},  // lands at the equal row
      {{"a", "b", "c", "d", "e"}, "bb", false, 2},
      {{"B", "a"}, "C", false, 1},            // byte order, case-sensitive
      {{}, "solo", true, 0},
      {{"c", "a"}, "b", true, 1},
      {{"e", "d", "c", "b", "a"}, "f", true, 0},
      {{"e", "d", "c", "b", "a"}, "0", true, 5},
  };
  int id = 20;
  for (const SortedCase& c : cases) {
    SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
    HWND lv = SHIM_MakeControl("", id++, "SysListView32", c.descending ? LVS_SORTDESCENDING : LVS_SORTASCENDING,
                               0, 0, 100, 100, 0);
    // Rows put in as given: the position asked is ignored only for texts.
    for (size_t i = 0; i < c.rows.size(); ++i) {
      LVITEM it;
      memset(&it, 0, sizeof it);
      it.iItem = int(i);
      ListView_InsertItem(lv, &it);
      ListView_SetItemText(lv, int(i), 0, c.rows[i]);
    }
    EXPECT_EQ(Insert(lv, 0, c.text), c.expected) << c.text << (c.descending ? " descending" : "");
    EXPECT_EQ(Text(lv, c.expected), c.text);
  }
}

TEST_F(ListView, InsertionShiftsTheSelectionWithItsRows) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  ListView_SetItemState(lv, 1, 1, 1);
  ListView_SetItemState(lv, 3, 1, 1);
  Insert(lv, 2, "clap");
  EXPECT_EQ(Selected(lv), (std::vector<int>{1, 4}));
  Insert(lv, 99, "end", 0, LVIS_SELECTED, LVIS_SELECTED);  // appended and selected
  EXPECT_EQ(Selected(lv), (std::vector<int>{1, 4, 5}));
  EXPECT_EQ(ListView_GetSelectionMark(lv), 5);
  ListView_DeleteItem(lv, 2);
  EXPECT_EQ(Selected(lv), (std::vector<int>{1, 3, 4}));
  ListView_DeleteItem(lv, 4);  // the last row
  EXPECT_EQ(Selected(lv), (std::vector<int>{1, 3}));
}

TEST_F(ListView, StateChangesTellTheParentOnceAndNeverForAllRows) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  EXPECT_TRUE(ListView_SetItemState(lv, 2, LVIS_SELECTED, LVIS_SELECTED));
  std::vector<Note> n = notes(WM_NOTIFY, LVN_ITEMCHANGED);
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].from, lv);
  EXPECT_EQ(n[0].wp, 7u);
  EXPECT_EQ(n[0].item, 2);
  EXPECT_EQ(n[0].newState, UINT(LVIS_SELECTED));
  EXPECT_EQ(ListView_GetItemState(lv, 2, LVIS_SELECTED | LVIS_FOCUSED), UINT(LVIS_SELECTED | LVIS_FOCUSED));
  EXPECT_TRUE(ListView_SetItemState(lv, 2, LVIS_SELECTED, LVIS_SELECTED));  // no change: no note
  EXPECT_EQ(notes(WM_NOTIFY, LVN_ITEMCHANGED).size(), 1u);
  EXPECT_FALSE(ListView_SetItemState(lv, 4, 1, 1));

  g_notes.clear();
  EXPECT_TRUE(ListView_SetItemState(lv, -1, LVIS_SELECTED, LVIS_SELECTED));
  EXPECT_EQ(ListView_GetSelectedCount(lv), 4);
  EXPECT_TRUE(notes(WM_NOTIFY, LVN_ITEMCHANGED).empty());
  ListView_SetItemState(lv, -1, 0, LVIS_SELECTED);
  EXPECT_EQ(ListView_GetSelectedCount(lv), 0);

  // A parent that changes the state again while told is not told again.
  g_notes.clear();
  g_onItemChanged = [](HWND list) { ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED); };
  ListView_SetItemState(lv, 1, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(notes(WM_NOTIFY, LVN_ITEMCHANGED).size(), 1u);
  EXPECT_EQ(Selected(lv), (std::vector<int>{0, 1}));

  // State images live in bits 16-23.
  ListView_SetItemState(lv, 3, 2u << 16, LVIS_STATEIMAGEMASK);
  EXPECT_EQ(ListView_GetItemState(lv, 3, LVIS_STATEIMAGEMASK), 2u << 16);
}

TEST_F(ListView, SingleSelectionReplacesTheSelectedRow) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report(LVS_SINGLESEL);
  ListView_SetItemState(lv, 0, 1, 1);
  ListView_SetItemState(lv, 2, 1, 1);
  EXPECT_EQ(Selected(lv), (std::vector<int>{2}));
  EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_FOCUSED), 2);
}

int ByParamDescending(LPARAM a, LPARAM b, LPARAM) { return int(b - a); }
int AllEqual(LPARAM, LPARAM, LPARAM) { return 0; }
int ByParity(LPARAM a, LPARAM b, LPARAM parm) { return int((a % parm) - (b % parm)); }

TEST_F(ListView, SortingIsStableAndKeepsSelectedRowsSelected) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  ListView_SetItemState(lv, 1, 1, 1);  // snare
  ListView_SortItems(lv, ByParamDescending, 0);
  EXPECT_EQ(Texts(lv), (std::vector<std::string>{"tom", "hat", "snare", "kick"}));
  EXPECT_EQ(Selected(lv), (std::vector<int>{2}));
  EXPECT_EQ(Text(lv, 2, 1), "10");  // subitems travel with their row
  ListView_SortItems(lv, AllEqual, 0);
  EXPECT_EQ(Texts(lv), (std::vector<std::string>{"tom", "hat", "snare", "kick"}));
  // Equal keys keep their order: params 103 101 | 102 100 by parity.
  ListView_SortItems(lv, ByParity, 2);
  EXPECT_EQ(Texts(lv), (std::vector<std::string>{"hat", "kick", "tom", "snare"}));
  EXPECT_EQ(Selected(lv), (std::vector<int>{3}));
  ListView_SortItems(lv, nullptr, 0);  // nothing to sort by
  EXPECT_EQ(Texts(lv), (std::vector<std::string>{"hat", "kick", "tom", "snare"}));
}

// Rows are 19 apart below the 20-high header; columns 60, 80 and 100 wide
// with 3 between.
TEST_F(ListView, HitTestsAndRectanglesFollowTheRowsAndColumns) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  struct Case {
    POINT pt;
    UINT flags;
    int item, sub;
  } cases[] = {
      {{5, 25}, LVHT_ONITEMLABEL, 0, 0},  {{70, 45}, LVHT_ONITEMLABEL, 1, 1},
      {{200, 95}, LVHT_ONITEMLABEL, 3, 2}, {{5, 96}, LVHT_NOWHERE, -1, 0},
      {{5, -3}, LVHT_ABOVE, -1, 0},        {{-1, 25}, LVHT_TOLEFT, -1, -1},
      {{5, 5000}, LVHT_BELOW, -1, -1},     {{260, 25}, LVHT_ONITEMLABEL, 0, -1},
      {{300, 25}, LVHT_TORIGHT, -1, -1},  // no scroll bar: the rows fit
  };
  for (const Case& c : cases) {
    LVHITTESTINFO hi;
    memset(&hi, 0, sizeof hi);
    hi.pt = c.pt;
    EXPECT_EQ(ListView_SubItemHitTest(lv, &hi), c.item) << c.pt.x << "," << c.pt.y;
    EXPECT_EQ(hi.flags, c.flags) << c.pt.x << "," << c.pt.y;
    EXPECT_EQ(hi.iItem, c.item);
    EXPECT_EQ(hi.iSubItem, c.sub) << c.pt.x << "," << c.pt.y;
  }
  RECT r;
  double width = SHIM_View(lv)->frame().w;
  EXPECT_TRUE(ListView_GetItemRect(lv, 1, &r, 0));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 39);
  EXPECT_EQ(r.right, int(width + 3));
  EXPECT_EQ(r.bottom, 60);
  EXPECT_TRUE(ListView_GetSubItemRect(lv, 2, 1, 0, &r));
  EXPECT_EQ(r.left, 64);  // 63 + 1.5
  EXPECT_EQ(r.top, 59);
  EXPECT_EQ(r.right, 147);
  EXPECT_EQ(r.bottom, 78);
  EXPECT_FALSE(ListView_GetItemRect(lv, 4, &r, 0));  // one past the last row
  EXPECT_FALSE(ListView_GetSubItemRect(lv, 0, 3, 0, &r));
}

TEST_F(ListView, ScrollingBringsRowsIntoView) {
  HWND lv = make("SysListView32", 8, LVS_REPORT, 10, 10, 200, 100);
  AddColumn(lv, 0, "Name", 150);
  for (int i = 0; i < 30; ++i) Insert(lv, i, ("row " + std::to_string(i)).c_str());
  EXPECT_EQ(ListView_GetTopIndex(lv), 0);
  // The column fits, so no horizontal scroll bar: 100 high, 20 of it
  // header, 4 whole rows.
  EXPECT_EQ(ListView_GetCountPerPage(lv), 4);
  ListView_EnsureVisible(lv, 29, FALSE);
  POINT p;
  EXPECT_TRUE(ListView_GetScroll(lv, &p));
  EXPECT_EQ(p.y, 20 + 30 * 19 - 100);
  EXPECT_EQ(ListView_GetTopIndex(lv), 25);
  ListView_EnsureVisible(lv, -5, FALSE);  // clamped to the first row
  EXPECT_EQ(ListView_GetTopIndex(lv), 0);
  EXPECT_TRUE(ListView_Scroll(lv, 0, 19 * 10));
  int top = ListView_GetTopIndex(lv);
  EXPECT_GE(top, 8);
  EXPECT_LE(top, 10);
  // Without a scroll view around it there is nothing to scroll.
  plat::View* v = SHIM_View(lv);
  v->retain();
  v->removeFromSuperview();
  EXPECT_EQ(ListView_GetTopIndex(lv), -1);
  EXPECT_FALSE(ListView_GetScroll(lv, &p));
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  EXPECT_FALSE(ListView_Scroll(lv, 0, 10));
  v->release();
}

TEST_F(ListView, ClicksSelectAndTellTheOwner) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  click(lv, 70, 45);  // row 1, column 1
  EXPECT_EQ(Selected(lv), (std::vector<int>{1}));
  std::vector<Note> changed = notes(WM_NOTIFY, LVN_ITEMCHANGED);
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].item, 1);
  std::vector<Note> clicks = notes(WM_NOTIFY, NM_CLICK);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].item, 1);
  EXPECT_EQ(clicks[0].sub, 1);
  EXPECT_EQ(clicks[0].pt.x, 70);
  EXPECT_EQ(clicks[0].pt.y, 45);
  EXPECT_EQ(clicks[0].param, 101);
  // Command adds a row; a double click reports the row and its data.
  click(lv, 10, 84, 1, plat::kModCommand);
  EXPECT_EQ(Selected(lv), (std::vector<int>{1, 3}));
  g_notes.clear();
  click(lv, 10, 64, 2);
  std::vector<Note> dbl = notes(WM_NOTIFY, NM_DBLCLK);
  ASSERT_EQ(dbl.size(), 1u);
  EXPECT_EQ(dbl[0].item, 2);
  EXPECT_EQ(dbl[0].param, 102);
  // The header reports the column.
  g_notes.clear();
  click(lv, 150, 10);
  std::vector<Note> col = notes(WM_NOTIFY, LVN_COLUMNCLICK);
  ASSERT_EQ(col.size(), 1u);
  EXPECT_EQ(col[0].item, -1);
  EXPECT_EQ(col[0].sub, 2);
  EXPECT_TRUE(notes(WM_NOTIFY, NM_CLICK).empty());
}

TEST_F(ListView, HeaderDragsMoveColumnsOnlyWhenReorderingIsOn) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  auto dragHeader = [&](double fromX, double toX) {
    mouse(lv, plat::EventType::LeftMouseDown, fromX, 10);
    mouse(lv, plat::EventType::LeftMouseDragged, toX, 10);
    mouse(lv, plat::EventType::LeftMouseUp, toX, 10);
  };
  int order[3];
  dragHeader(10, 200);
  ListView_GetColumnOrderArray(lv, 3, order);
  EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{0, 1, 2}));
  ListView_SetExtendedListViewStyleEx(lv, LVS_EX_HEADERDRAGDROP, LVS_EX_HEADERDRAGDROP);
  dragHeader(10, 200);
  ListView_GetColumnOrderArray(lv, 3, order);
  EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{2, 0, 1}));
  // Cells follow their column: "kick" is now drawn last, hit tests agree.
  LVHITTESTINFO hi;
  memset(&hi, 0, sizeof hi);
  hi.pt = POINT{200, 25};
  ListView_SubItemHitTest(lv, &hi);
  EXPECT_EQ(hi.iSubItem, 0);
}

TEST_F(ListView, FastClickColumnsReportAtThePress) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  SHIM_SetListViewFastClickMask(lv, 1 << 2);
  mouse(lv, plat::EventType::LeftMouseDown, 200, 45);
  ASSERT_EQ(notes(WM_NOTIFY, NM_CLICK).size(), 1u);
  EXPECT_EQ(notes(WM_NOTIFY, NM_CLICK)[0].sub, 2);
  mouse(lv, plat::EventType::LeftMouseUp, 200, 45);
  EXPECT_EQ(notes(WM_NOTIFY, NM_CLICK).size(), 1u);  // not again at the release
  EXPECT_TRUE(Selected(lv).empty());                 // nor does it select
}

TEST_F(ListView, DraggingARowBeginsADragAtTheFourthMove) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  mouse(lv, plat::EventType::LeftMouseDown, 10, 64);
  for (int i = 0; i < 3; ++i) mouse(lv, plat::EventType::LeftMouseDragged, 12 + i, 64);
  EXPECT_TRUE(notes(WM_NOTIFY, LVN_BEGINDRAG).empty());
  mouse(lv, plat::EventType::LeftMouseDragged, 20, 64);
  std::vector<Note> begin = notes(WM_NOTIFY, LVN_BEGINDRAG);
  ASSERT_EQ(begin.size(), 1u);
  EXPECT_EQ(begin[0].item, 2);
  EXPECT_EQ(begin[0].sub, 0);
  EXPECT_EQ(Selected(lv), (std::vector<int>{2}));
  EXPECT_TRUE(notes(WM_MOUSEMOVE).empty());
  mouse(lv, plat::EventType::LeftMouseDragged, 30, 64);
  EXPECT_EQ(notes(WM_MOUSEMOVE).size(), 1u);
  mouse(lv, plat::EventType::LeftMouseUp, 30, 64);
  EXPECT_EQ(notes(WM_LBUTTONUP).size(), 1u);
  EXPECT_TRUE(notes(WM_NOTIFY, NM_CLICK).empty());  // a drag is no click
}

TEST_F(ListView, RightClicksSelectTheRowThenAskForAMenu) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  mouse(lv, plat::EventType::RightMouseDown, 10, 45);
  mouse(lv, plat::EventType::RightMouseUp, 10, 45);
  EXPECT_EQ(Selected(lv), (std::vector<int>{1}));
  ASSERT_EQ(notes(WM_NOTIFY, NM_RCLICK).size(), 1u);
  EXPECT_EQ(notes(WM_NOTIFY, NM_RCLICK)[0].item, 1);
  EXPECT_EQ(notes(WM_NOTIFY, NM_RCLICK)[0].param, 0);
  ASSERT_EQ(notes(WM_CONTEXTMENU).size(), 1u);
  EXPECT_EQ((HWND)notes(WM_CONTEXTMENU)[0].wp, lv);
  // An owner that handles the click gets no menu request.
  g_notes.clear();
  g_rclickAnswer = 1;
  mouse(lv, plat::EventType::RightMouseUp, 10, 64);
  EXPECT_EQ(notes(WM_NOTIFY, NM_RCLICK).size(), 1u);
  EXPECT_TRUE(notes(WM_CONTEXTMENU).empty());
}

TEST_F(ListView, OwnerDataAsksTheOwnerForEveryCellShown) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = SHIM_MakeControl("", 9, "SysListView32", LVS_REPORT | LVS_OWNERDATA, 10, 10, 300, 200, 0);
  AddColumn(lv, 0, "A", 60);
  AddColumn(lv, 1, "B", 60);
  ListView_SetItemCount(lv, 5);
  EXPECT_EQ(ListView_GetItemCount(lv), 5);
  EXPECT_EQ(Insert(lv, 0, "x"), -1);
  EXPECT_EQ(ListView_GetItemCount(lv), 5);
  LVITEM it;
  memset(&it, 0, sizeof it);
  it.mask = LVIF_STATE;
  it.stateMask = LVIS_SELECTED;
  it.state = LVIS_SELECTED;
  it.iItem = 4;
  EXPECT_TRUE(ListView_SetItem(lv, &it));
  EXPECT_EQ(ListView_GetItemState(lv, 4, LVIS_SELECTED), UINT(LVIS_SELECTED));
  it.iItem = 5;
  EXPECT_FALSE(ListView_GetItem(lv, &it));
  g_notes.clear();
  display();
  std::vector<Note> asked = notes(WM_NOTIFY, LVN_GETDISPINFO);
  EXPECT_EQ(asked.size(), 10u);  // five rows, two columns
  bool sawLast = false;
  for (const Note& n : asked) sawLast |= n.item == 4 && n.sub == 1;
  EXPECT_TRUE(sawLast);
}

TEST_F(ListView, SelectedRowsAreDrawnInTheSelectionColours) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  ListView_SetBkColor(lv, 0x102030);
  ListView_SetItemState(lv, 2, 1, 1);
  int colours[4] = {0xFF0000, 0xFFFFFF, 0x00FF00, 0x000000};
  ListView_SetSelColors(lv, colours, 4);
  plat::View* v = SHIM_View(lv);
  auto pixelAt = [&](double x, double y) {
    display();
    plat::Rect px = v->pixelRectInWindow();
    return SHIM_WindowOf(dlg)->backing().pixel(int(px.x + x), int(px.y + y)) & 0xFFFFFF;
  };
  // Far right of the row, where no text is drawn.
  EXPECT_EQ(pixelAt(280, 64), 0x00FF00u);  // not focused: entry 2
  SHIM_WindowOf(dlg)->makeFirstResponder(v);
  EXPECT_EQ(pixelAt(280, 64), 0xFF0000u);  // focused: entry 0
  EXPECT_EQ(pixelAt(280, 45), 0x102030u);  // an unselected row: the background
}

}  // namespace

namespace {

// The image of a row's image-list entry is drawn at the left of its first cell.
TEST_F(ListView, RowImagesComeFromTheImageList) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND lv = Report();
  ListView_SetBkColor(lv, 0x102030);
  std::vector<unsigned char> red(16 * 16 * 4);
  for (size_t i = 0; i < red.size(); i += 4) {
    red[i + 0] = 0x00;  // B
    red[i + 1] = 0x00;  // G
    red[i + 2] = 0xFF;  // R
    red[i + 3] = 0xFF;  // A
  }
  HBITMAP bmp = CreateBitmap(16, 16, 1, 32, red.data());
  HIMAGELIST list = ImageList_CreateEx();
  ASSERT_EQ(ImageList_Add(list, bmp, nullptr), 0);
  ListView_SetImageList(lv, list, LVSIL_SMALL);
  LVITEM it = {};
  it.mask = LVIF_IMAGE;
  it.iItem = 1;
  it.iImage = 0;
  ASSERT_TRUE(ListView_SetItem(lv, &it));
  display();
  plat::View* v = SHIM_View(lv);
  plat::Rect px = v->pixelRectInWindow();
  RECT row1 = {}, row2 = {};
  ASSERT_TRUE(ListView_GetItemRect(lv, 1, &row1, 0));
  ASSERT_TRUE(ListView_GetItemRect(lv, 2, &row2, 0));
  auto pixelAt = [&](int x, int y) {
    return SHIM_WindowOf(dlg)->backing().pixel(int(px.x) + x, int(px.y) + y) & 0xFFFFFF;
  };
  const int midY1 = (row1.top + row1.bottom) / 2, midY2 = (row2.top + row2.bottom) / 2;
  EXPECT_EQ(pixelAt(row1.left + 4, midY1), 0xFF0000u);  // the image
  EXPECT_EQ(pixelAt(row2.left + 4, midY2), 0x102030u);  // a row without one
  ImageList_Destroy(list);
  DeleteObject(bmp);
}

}  // namespace
