// Scroll bars of list boxes, list views and multi-line edit fields: shown only
// while the content does not fit, a thumb sized to the visible share, paging
// on the track, dragging the thumb, following the wheel.

#include <string.h>

#include <string>

#include "lists_fixture.h"
#include "platform/controls.h"

namespace {

using ScrollBars = ListsTest;

plat::ScrollView* ScrollOf(HWND control) {
  plat::View* v = SHIM_View(control);
  if (auto* s = dynamic_cast<plat::ScrollView*>(v)) return s;
  return v && v->superview() ? dynamic_cast<plat::ScrollView*>(v->superview()->superview()) : nullptr;
}

void AddRows(HWND lb, int n) {
  for (int i = 0; i < n; ++i) {
    std::string s = "row " + std::to_string(i);
    SendMessage(lb, LB_ADDSTRING, 0, (LPARAM)s.c_str());
  }
}

// A mouse event at a point of any view's own coordinates.
void MouseAt(plat::View* v, plat::EventType type, double x, double y) {
  plat::Event e;
  e.type = type;
  e.window = v->window();
  e.location = v->convertToWindow({x, y});
  e.clickCount = 1;
  e.timestamp = plat::app().now();
  plat::app().sendEvent(e);
}

uint32_t WindowPixelAt(plat::View* v, double x, double y) {
  plat::Rect r = v->pixelRectInWindow();
  return v->window()->backing().pixel(int(r.x + x), int(r.y + y)) & 0xFFFFFF;
}

TEST_F(ScrollBars, ListBoxShowsAVerticalBarOnlyWhileRowsOverflow) {
  HWND lb = make("SysListView32_LB", 5, 0, 10, 10, 200, 120);
  plat::ScrollView* sv = ScrollOf(lb);
  ASSERT_NE(sv, nullptr);
  AddRows(lb, 3);
  // Everything fits: no bar and no blank strip, the rows get the whole width.
  EXPECT_TRUE(sv->verticalScroller()->isHidden());
  EXPECT_EQ(sv->contentSize().w, 200);
  AddRows(lb, 17);  // 20 rows of 19 pixels in 120
  ASSERT_FALSE(sv->verticalScroller()->isHidden());
  EXPECT_TRUE(sv->horizontalScroller()->isHidden());  // a list box has none
  EXPECT_EQ(sv->contentSize().w, 200 - plat::ScrollView::kScrollerWidth);
  EXPECT_EQ(sv->verticalScroller()->frame(), (plat::Rect{185, 0, 15, 120}));
  EXPECT_NEAR(sv->verticalScroller()->knobProportion(), 120.0 / 380.0, 1e-9);
  EXPECT_EQ(sv->verticalScroller()->knobRect(), (plat::Rect{0, 0, 15, 38}));
  SendMessage(lb, LB_RESETCONTENT, 0, 0);
  EXPECT_TRUE(sv->verticalScroller()->isHidden());
  EXPECT_EQ(sv->contentSize().w, 200);
}

TEST_F(ScrollBars, TheBarIsDrawnAndItsThumbFollowsTheWheel) {
  HWND lb = make("SysListView32_LB", 5, 0, 10, 10, 200, 120);
  AddRows(lb, 40);
  plat::Scroller* bar = ScrollOf(lb)->verticalScroller();
  display();
  const uint32_t thumb = 0xA9A9A9, track = 0xF5F5F5;
  EXPECT_EQ(WindowPixelAt(bar, 7, 10), thumb);
  EXPECT_EQ(WindowPixelAt(bar, 7, 100), track);
  EXPECT_EQ(WindowPixelAt(bar, 1, 10), track);  // the thumb is narrower than the track
  // Wheel towards the user: rows move up, the thumb down.
  plat::Event e;
  e.type = plat::EventType::ScrollWheel;
  e.window = bar->window();
  e.location = SHIM_View(lb)->convertToWindow({50, 50});
  e.deltaY = -10;
  plat::app().sendEvent(e);
  EXPECT_GT(ListView_GetTopIndex(lb), 0);
  EXPECT_GT(bar->value(), 0);
  display();
  EXPECT_EQ(WindowPixelAt(bar, 7, 10), track);
  plat::Rect k = bar->knobRect();
  EXPECT_EQ(WindowPixelAt(bar, 7, k.y + k.h / 2), thumb);
}

TEST_F(ScrollBars, TrackClicksPageAndTheThumbDrags) {
  HWND lb = make("SysListView32_LB", 5, 0, 10, 10, 200, 120);
  AddRows(lb, 40);  // 760 pixels of rows
  plat::ScrollView* sv = ScrollOf(lb);
  plat::Scroller* bar = sv->verticalScroller();
  // Below the thumb: one page down, less a little overlap.
  MouseAt(bar, plat::EventType::LeftMouseDown, 7, 100);
  MouseAt(bar, plat::EventType::LeftMouseUp, 7, 100);
  EXPECT_EQ(sv->contentView()->bounds().y, 110);
  // Above it: back to the top, not past it.
  MouseAt(bar, plat::EventType::LeftMouseDown, 7, 1);
  MouseAt(bar, plat::EventType::LeftMouseUp, 7, 1);
  EXPECT_EQ(sv->contentView()->bounds().y, 0);
  // Drag the thumb by half the free track: half the range.
  plat::Rect k = bar->knobRect();
  double free = 120 - k.h;
  MouseAt(bar, plat::EventType::LeftMouseDown, 7, k.y + 5);
  EXPECT_TRUE(bar->isTracking());
  MouseAt(bar, plat::EventType::LeftMouseDragged, 7, k.y + 5 + free / 2);
  EXPECT_NEAR(sv->contentView()->bounds().y, (760 - 120) / 2.0, 1.0);
  // Past the end: held at the last page.
  MouseAt(bar, plat::EventType::LeftMouseDragged, 7, 500);
  MouseAt(bar, plat::EventType::LeftMouseUp, 7, 500);
  EXPECT_FALSE(bar->isTracking());
  EXPECT_EQ(sv->contentView()->bounds().y, 760 - 120);
  EXPECT_EQ(ListView_GetTopIndex(lb), (760 - 120) / 19);
  // The rows never saw the clicks.
  EXPECT_TRUE(notes(WM_COMMAND).empty());
}

TEST_F(ScrollBars, ListViewNarrowerThanItsColumnScrollsSideways) {
  HWND lv = make("SysListView32", 5, LVS_NOCOLUMNHEADER, 10, 10, 150, 100);
  plat::ScrollView* sv = ScrollOf(lv);
  ASSERT_NE(sv, nullptr);
  LVITEM it;
  memset(&it, 0, sizeof it);
  it.mask = LVIF_TEXT;
  it.pszText = const_cast<char*>("one");
  ListView_InsertItem(lv, &it);
  // One row, a 300-pixel column in 150: only the horizontal bar.
  EXPECT_TRUE(sv->verticalScroller()->isHidden());
  ASSERT_FALSE(sv->horizontalScroller()->isHidden());
  EXPECT_EQ(sv->horizontalScroller()->frame(), (plat::Rect{0, 0, 150, 15}));
  EXPECT_EQ(sv->contentSize().h, 85);
  double docWidth = SHIM_View(lv)->frame().w;
  EXPECT_GE(docWidth, 300);
  EXPECT_NEAR(sv->horizontalScroller()->knobProportion(), 150.0 / docWidth, 1e-9);
}

TEST_F(ScrollBars, MultiLineEditShowsTheBarWhenTheTextOverflows) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  HWND ed = SHIM_MakeEditField(7, 10, 10, 200, 60, WS_VSCROLL);
  plat::ScrollView* sv = ScrollOf(ed);
  ASSERT_NE(sv, nullptr);
  HWND tv = GetDlgItem(dlg, 7);
  ASSERT_NE(tv, nullptr);
  SetDlgItemText(dlg, 7, "short");
  EXPECT_TRUE(sv->verticalScroller()->isHidden());
  EXPECT_EQ(SHIM_View(tv)->frame().w, 200);  // the text takes the whole width
  std::string many;
  for (int i = 0; i < 30; ++i) many += "line " + std::to_string(i) + "\n";
  SetDlgItemText(dlg, 7, many.c_str());
  ASSERT_FALSE(sv->verticalScroller()->isHidden());
  EXPECT_EQ(SHIM_View(tv)->frame().w, 185);  // and gives way to the bar
  EXPECT_GT(SHIM_View(tv)->frame().h, 60);
  SetDlgItemText(dlg, 7, "");
  EXPECT_TRUE(sv->verticalScroller()->isHidden());
  EXPECT_EQ(SHIM_View(tv)->frame().w, 200);
}

}  // namespace
