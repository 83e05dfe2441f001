// List views and list boxes, and the table base they share with tree views.

#include "shim-listview.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <algorithm>

#include "platform/app.h"
#include "platform/keys.h"
#include "shim-dlggen.h"
#include "shim-kb.h"
#include "shim-misc.h"
#include "shim-paint.h"
#include "shim-treeview.h"
#include "shim-wnd.h"

using plat::Point;
using plat::Rect;
using plat::Ref;
using plat::View;

namespace {

const uint32_t kInk = 0xFF1A1A1A;
const uint32_t kFocusFill = 0xFF2F6FD0, kFocusInk = 0xFFFFFFFF;
const uint32_t kIdleFill = 0xFFD4D4D4;
const uint32_t kHeaderFace = 0xFFF2F2F2, kHeaderLine = 0xFFC4C4C4;

SHIM_ImageListDrawer g_imageDrawer = nullptr;

// 0x00RRGGBB as an opaque colour.
uint32_t opaque(COLORREF c) { return 0xFF000000u | (c & 0xFFFFFFu); }

LPARAM packPoint(int x, int y) { return (LPARAM)(DWORD)(((DWORD)(WORD)y << 16) | (WORD)x); }

void copyBounded(char* dst, int size, const char* src) {
  if (!dst || size < 1) return;
  size_t n = std::min(strlen(src), size_t(size) - 1);
  memcpy(dst, src, n);
  dst[n] = 0;
}

plat::TextAlign alignOf(int a) {
  return a == 1 ? plat::TextAlign::Right : a == 2 ? plat::TextAlign::Center : plat::TextAlign::Left;
}

// Process-wide: ListView_SetItemState over every row sends nothing, and a
// notification it sends does not nest.
int g_allRowsDepth = 0;
bool g_itemChangedInProgress = false;

}  // namespace

void SHIM_Internal_SetImageListDrawer(SHIM_ImageListDrawer drawer) { g_imageDrawer = drawer; }

// ---------------------------------------------------------------------------
// The table base

SHIM_TableBase::SHIM_TableBase(const Rect& frame) : plat::View(frame) { m_font = plat::Font::system(12); }

Rect SHIM_TableBase::rectOfRow(int row) const {
  return {0, headerHeight() + kRowPitch * row, std::max(frame().w, contentWidth()), kRowPitch};
}

int SHIM_TableBase::rowAtPoint(const Point& p) const {
  double y = p.y - headerHeight();
  if (y < 0 || p.x < 0 || p.x >= std::max(frame().w, contentWidth())) return -1;
  double r = floor(y / kRowPitch);
  return r < numberOfRows() ? int(r) : -1;
}

bool SHIM_TableBase::isRowSelected(int row) const { return std::binary_search(m_sel.begin(), m_sel.end(), row); }

void SHIM_TableBase::selectRow(int row, bool extend) {
  if (row < 0 || row >= numberOfRows()) return;
  if (!extend || !m_multi) m_sel.clear();
  auto it = std::lower_bound(m_sel.begin(), m_sel.end(), row);
  if (it == m_sel.end() || *it != row) m_sel.insert(it, row);
  m_selRow = row;
  setNeedsDisplay(true);
}

void SHIM_TableBase::setSelection(std::vector<int> rows) {
  int n = numberOfRows();
  rows.erase(std::remove_if(rows.begin(), rows.end(), [n](int r) { return r < 0 || r >= n; }), rows.end());
  int last = rows.empty() ? -1 : rows.back();
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (!m_multi && rows.size() > 1) rows = {last};
  m_sel = rows;
  m_selRow = last;
  setNeedsDisplay(true);
}

void SHIM_TableBase::deselectRow(int row) {
  auto it = std::lower_bound(m_sel.begin(), m_sel.end(), row);
  if (it == m_sel.end() || *it != row) return;
  m_sel.erase(it);
  if (m_selRow == row) m_selRow = m_sel.empty() ? -1 : m_sel.back();
  setNeedsDisplay(true);
}

void SHIM_TableBase::deselectAll() {
  if (m_sel.empty() && m_selRow < 0) return;
  m_sel.clear();
  m_selRow = -1;
  setNeedsDisplay(true);
}

plat::ClipView* SHIM_TableBase::clipView() const { return dynamic_cast<plat::ClipView*>(superview()); }

Rect SHIM_TableBase::visibleRect() const {
  plat::ClipView* c = clipView();
  if (!c) return {};
  // The clip's bounds in own coordinates: the view sits at the clip's origin.
  Rect b = c->bounds();
  return {b.x - frame().x, b.y - frame().y, b.w, b.h};
}

void SHIM_TableBase::scrollRectToVisible(const Rect& r) {
  plat::ClipView* c = clipView();
  if (!c) return;
  Rect vis = visibleRect();
  double top = vis.y + headerHeight();  // the header stays at the top
  double x = vis.x, y = vis.y;
  if (r.y < top) y = r.y - headerHeight();
  else if (r.maxY() > vis.maxY()) y = r.maxY() - vis.h;
  if (r.x < vis.x) x = r.x;
  else if (r.maxX() > vis.maxX()) x = std::min(r.x, r.maxX() - vis.w);
  x = std::max(0.0, std::min(x, frame().w - vis.w));
  y = std::max(0.0, std::min(y, frame().h - vis.h));
  if (x != vis.x || y != vis.y) c->setBoundsOrigin({x + frame().x, y + frame().y});
}

void SHIM_TableBase::scrollRowToVisible(int row) {
  if (row < 0 || row >= numberOfRows()) return;
  Rect r = rectOfRow(row);
  Rect vis = visibleRect();
  scrollRectToVisible({vis.x, r.y, std::min(vis.w, r.w), r.h});
}

void SHIM_TableBase::reloadData() {
  int n = numberOfRows();
  m_sel.erase(std::lower_bound(m_sel.begin(), m_sel.end(), n), m_sel.end());
  if (m_selRow >= n) m_selRow = m_sel.empty() ? -1 : m_sel.back();
  setFrame(frame());
  setNeedsDisplay(true);
}

void SHIM_TableBase::setFrame(const Rect& f) {
  // Never smaller than the rows and columns, nor than the clip view.
  Rect g = f;
  double w = contentWidth(), h = headerHeight() + kRowPitch * numberOfRows();
  if (plat::ClipView* c = clipView()) {
    w = std::max(w, c->frame().w);
    h = std::max(h, c->frame().h);
  }
  g.w = std::max(f.w, w);
  g.h = h;
  if (!(g == frame())) plat::View::setFrame(g);
  // Keep the scroll position inside the new size.
  if (plat::ClipView* c = clipView()) {
    Rect b = c->bounds();
    double x = std::max(0.0, std::min(b.x, g.w - b.w)), y = std::max(0.0, std::min(b.y, g.h - b.h));
    if (x != b.x || y != b.y) c->setBoundsOrigin({x, y});
  }
}

void SHIM_TableBase::enclosingClipViewResized() { setFrame({frame().x, frame().y, 0, 0}); }

void SHIM_TableBase::setNeedsDisplayInRect(const Rect& r) {
  plat::View::setNeedsDisplayInRect(r);
  SHIM_Internal_MarkEnclosingDirty(this);
}

void SHIM_TableBase::scrollWheel(const plat::Event& e) {
  plat::ClipView* c = clipView();
  if (!c) {
    plat::View::scrollWheel(e);
    return;
  }
  Rect b = c->bounds();
  double y = b.y - e.deltaY * kRowPitch * 3, x = b.x - e.deltaX * kRowPitch * 3;
  y = std::max(0.0, std::min(y, frame().h - b.h));
  x = std::max(0.0, std::min(x, frame().w - b.w));
  c->setBoundsOrigin({x, y});
}

bool SHIM_TableBase::hasFocus() const { return GetFocus() == SHIM_H(const_cast<SHIM_TableBase*>(this)); }

bool SHIM_TableBase::becomeFirstResponder() {
  setNeedsDisplay(true);
  return true;
}

bool SHIM_TableBase::resignFirstResponder() {
  setNeedsDisplay(true);
  return true;
}

void SHIM_TableBase::keyDown(const plat::Event& e) {
  int n = numberOfRows();
  bool up = e.keyCode == plat::key::UpArrow, down = e.keyCode == plat::key::DownArrow;
  if ((!up && !down) || n == 0) {
    plat::View::keyDown(e);
    return;
  }
  int cur = m_selRow;
  int next = cur < 0 ? (up ? n - 1 : 0) : std::max(0, std::min(n - 1, cur + (up ? -1 : 1)));
  if (next == cur && m_sel.size() == 1) return;
  bool extend = m_multi && (e.modifierFlags & plat::kModShift);
  selectRow(next, extend);
  scrollRowToVisible(next);
  Ref<View> hold(this);
  userSelectionChanged();
}

Point SHIM_TableBase::localPoint(const plat::Event& e) const { return convertPoint(e.location, nullptr); }

void SHIM_TableBase::drawRowBackgrounds(plat::DrawContext& ctx, const Rect& dirty) {
  ctx.fillRect(dirty, m_background);
  uint32_t fill = hasFocus() ? kFocusFill : kIdleFill;
  if (m_hasSelColors) {
    size_t idx = hasFocus() ? 0 : 2;
    // No entry for this state: no highlight of our own.
    if (idx >= m_selColors.size()) return;
    fill = m_selColors[idx];
  }
  for (int r : m_sel) {
    Rect rr = rectOfRow(r).intersect(dirty);
    if (!rr.isEmpty()) ctx.fillRect(rr, fill);
  }
}

uint32_t SHIM_TableBase::textColorForRow(int row) const {
  if (isRowSelected(row)) {
    bool focus = hasFocus();
    if (m_hasSelColors) {
      if (focus && m_selColors.size() >= 2) return m_selColors[1];
      if (!focus && m_selColors.size() >= 4) return m_selColors[3];
    } else if (focus) {
      return kFocusInk;
    }
  }
  return m_hasFgColor ? m_fgColor : kInk;
}

void SHIM_TableBase::tableClick(const plat::Event& e, const std::vector<int>* seen) {
  if (window() && window()->firstResponder() != this) window()->makeFirstResponder(this);
  Point p = localPoint(e);
  int row = rowAtPoint(p);
  std::vector<int> before = seen ? *seen : m_sel;
  if (row < 0) {
    deselectAll();
  } else if (m_multi && (e.modifierFlags & plat::kModCommand)) {
    if (isRowSelected(row)) deselectRow(row);
    else selectRow(row, true);
  } else if (m_multi && (e.modifierFlags & plat::kModShift) && m_selRow >= 0) {
    int a = std::min(m_selRow, row), b = std::max(m_selRow, row);
    std::vector<int> rows = m_sel;
    for (int i = a; i <= b; ++i) rows.push_back(i);
    rows.push_back(row);
    setSelection(rows);
  } else {
    setSelection({row});
  }
  Ref<View> hold(this);
  if (m_sel != before) userSelectionChanged();
  if (e.clickCount >= 2 && row >= 0) userDoubleClicked(e, row);
}

LRESULT SHIM_TableBase::sendNotify(HWND to, NMHDR* hdr) {
  if (!to) return 0;
  Ref<View> hold(this);
  return SendMessage(to, WM_NOTIFY, (WPARAM)tag(), (LPARAM)hdr);
}

// ---------------------------------------------------------------------------
// Rows

SHIM_ListView_Row::~SHIM_ListView_Row() { m_texts.Empty(true, free); }

const char* SHIM_ListView_Row::text(int col) const {
  const char* s = m_texts.Get(col);
  return s ? s : "";
}

// ---------------------------------------------------------------------------
// The list view

Shim_vHarshbloom_listview::Shim_vHarshbloom_listview(const Rect& frame) : SHIM_TableBase(frame) {}

Shim_vHarshbloom_listview::~Shim_vHarshbloom_listview() {
  m_items.Empty(true);
  for (Column* c : m_cols) delete c;
}

bool Shim_vHarshbloom_listview::hasHeader() const {
  return !m_lbMode && (m_style & (LVS_REPORT | LVS_NOCOLUMNHEADER)) == LVS_REPORT;
}

int Shim_vHarshbloom_listview::insertRow(int pos, SHIM_ListView_Row* r) {
  int n = m_items.GetSize();
  pos = std::max(0, std::min(pos, n));
  if (!m_items.Insert(pos, r)) {
    delete r;
    return -1;
  }
  reloadData();
  if (pos != n) {
    std::vector<int> sel = m_sel;
    int last = m_selRow;
    for (int& s : sel)
      if (s >= pos) ++s;
    if (last >= pos) ++last;
    m_sel = sel;
    m_selRow = last;
  }
  return pos;
}

void Shim_vHarshbloom_listview::deleteRow(int i) {
  int n = m_items.GetSize();
  if (i < 0 || i >= n) return;
  if (i != n - 1) {
    std::vector<int> sel;
    for (int s : m_sel)
      if (s != i) sel.push_back(s > i ? s - 1 : s);
    int last = m_selRow == i ? -1 : m_selRow > i ? m_selRow - 1 : m_selRow;
    m_sel = sel;
    m_selRow = last >= 0 ? last : (sel.empty() ? -1 : sel.back());
  }
  m_items.Delete(i, true);
  reloadData();
}

void Shim_vHarshbloom_listview::deleteAllRows() {
  m_ownerCount = 0;
  m_items.Empty(true);
  reloadData();
}

void Shim_vHarshbloom_listview::setOwnerCount(int n) {
  m_ownerCount = std::max(0, n);
  reloadData();
}

int Shim_vHarshbloom_listview::sortedPosition(const char* text, bool descending) const {
  int count = m_items.GetSize();
  // An empty list has no row to compare with.
  if (count == 0) return 0;
  auto cmp = [&](int row) {
    const char* r = m_items.Get(row)->text(0);
    return descending ? strcmp(r, text) : strcmp(text, r);
  };
  int lo = 0, n = count;
  for (;;) {
    int mid = lo + n / 2;
    int c = cmp(mid);
    if (c == 0) return mid;
    if (c > 0) {
      lo = mid + 1;
      if (lo >= count) return lo;
      if (cmp(lo) <= 0) return lo;
      n -= 1;
    }
    n /= 2;
    if (n == 0) return lo;
  }
}

namespace {
using Compare = int (*)(LPARAM, LPARAM, LPARAM);

void mergeSort(SHIM_ListView_Row** a, int n, SHIM_ListView_Row** scratch, Compare f, LPARAM parm) {
  if (n < 2) return;
  int nl = n / 2, nr = n - nl;
  SHIM_ListView_Row** right = a + nl;
  if (n >= 3) {
    mergeSort(a, nl, scratch, f, parm);
    mergeSort(right, nr, scratch, f, parm);
  }
  int i = 0, j = 0, k = 0;
  while (i < nl && j < nr) {
    if (f(a[i]->m_lparam, right[j]->m_lparam, parm) <= 0) scratch[k++] = a[i++];
    else scratch[k++] = right[j++];
  }
  while (i < nl) scratch[k++] = a[i++];
  // The right run's rest is already in place.
  memcpy(a, scratch, size_t(k) * sizeof(SHIM_ListView_Row*));
}
}  // namespace

void Shim_vHarshbloom_listview::sortRows(Compare compf, LPARAM parm) {
  int n = m_items.GetSize();
  for (int i = 0; i < n; ++i) m_items.Get(i)->m_scratch = isRowSelected(i);
  if (n >= 2) {
    std::vector<SHIM_ListView_Row*> scratch(size_t(n), nullptr);
    mergeSort(m_items.GetList(), n, scratch.data(), compf, parm);
  }
  if (n > 0) {
    std::vector<int> sel;
    for (int i = 0; i < n; ++i)
      if (m_items.Get(i)->m_scratch) sel.push_back(i);
    m_sel = sel;
    m_selRow = sel.empty() ? -1 : sel.back();
  }
  reloadData();
}

void Shim_vHarshbloom_listview::selectRowByStyle(int row) {
  bool extend = m_lbMode ? (m_style & LBS_EXTENDEDSEL) != 0 : !(m_style & LVS_SINGLESEL);
  selectRow(row, extend);
}

// --- columns

Shim_vHarshbloom_listview::Column* Shim_vHarshbloom_listview::column(int logical) const {
  return logical >= 0 && logical < int(m_cols.size()) ? m_cols[size_t(logical)] : nullptr;
}

int Shim_vHarshbloom_listview::displayPosition(int logical) const {
  Column* c = column(logical);
  if (!c) return -1;
  return int(std::find(m_display.begin(), m_display.end(), c) - m_display.begin());
}

int Shim_vHarshbloom_listview::logicalAtDisplay(int pos) const {
  if (pos < 0 || pos >= int(m_display.size())) return -1;
  return int(std::find(m_cols.begin(), m_cols.end(), m_display[size_t(pos)]) - m_cols.begin());
}

int Shim_vHarshbloom_listview::addColumn(const Column& c) {
  Column* col = new Column(c);
  m_cols.push_back(col);
  m_display.push_back(col);
  reloadData();
  return int(m_cols.size()) - 1;
}

bool Shim_vHarshbloom_listview::removeColumn(int logical) {
  Column* c = column(logical);
  if (!c) return false;
  m_display.erase(std::find(m_display.begin(), m_display.end(), c));
  m_cols.erase(m_cols.begin() + logical);
  delete c;
  reloadData();
  return true;
}

void Shim_vHarshbloom_listview::moveColumn(int from, int to) {
  int n = int(m_display.size());
  if (from < 0 || from >= n || to < 0 || to >= n || from == to) return;
  Column* c = m_display[size_t(from)];
  m_display.erase(m_display.begin() + from);
  m_display.insert(m_display.begin() + to, c);
  setNeedsDisplay(true);
}

double Shim_vHarshbloom_listview::columnX(int pos) const {
  double x = 0;
  for (int i = 0; i < pos && i < int(m_display.size()); ++i)
    if (!m_display[size_t(i)]->hidden) x += m_display[size_t(i)]->width + kSpacingW;
  return x;
}

double Shim_vHarshbloom_listview::contentWidth() const { return columnX(int(m_display.size())); }

int Shim_vHarshbloom_listview::columnAtPoint(const Point& p) const {
  if (p.y < 0 || p.y >= frame().h || p.x < 0) return -1;
  double x = 0;
  for (size_t i = 0; i < m_display.size(); ++i) {
    Column* c = m_display[i];
    if (c->hidden) continue;
    double w = c->width + kSpacingW;
    if (p.x < x + w) return logicalAtDisplay(int(i));
    x += w;
  }
  return -1;
}

Rect Shim_vHarshbloom_listview::frameOfCell(int pos, int row) const {
  Rect r = rectOfRow(row);
  Column* c = pos >= 0 && pos < int(m_display.size()) ? m_display[size_t(pos)] : nullptr;
  if (!c) return {};
  double w = c->hidden ? 0 : c->width;
  return {columnX(pos) + kSpacingW / 2, r.y + kSpacingH / 2, w, r.h - kSpacingH};
}

void Shim_vHarshbloom_listview::setImageList(HIMAGELIST list, int type) {
  m_imageList = list;
  m_imageListType = type;
  if (!m_cols.empty()) m_cols[0]->cell = Cell::Status;
  setNeedsDisplay(true);
}

// --- what cells show

void Shim_vHarshbloom_listview::cellValue(int rowIdx, int logical, std::string* text, int* image) {
  *image = 0;
  if (isOwnerData()) {
    char buf[1024];
    buf[0] = 0;
    NMLVDISPINFO di;
    memset(&di, 0, sizeof di);
    di.hdr = NMHDR{SHIM_H(this), (UINT_PTR)tag(), (UINT)LVN_GETDISPINFO};
    di.item.mask = LVIF_TEXT | (m_imageListType == 2 ? LVIF_IMAGE : 0) | (m_imageListType == 1 ? LVIF_STATE : 0);
    di.item.iItem = rowIdx;
    di.item.iSubItem = logical;
    di.item.iImage = -1;
    di.item.pszText = buf;
    di.item.cchTextMax = int(sizeof buf) - 1;
    sendNotify(m_target, &di.hdr);
    buf[sizeof buf - 1] = 0;
    *text = buf;
    if (m_imageListType == 2) *image = di.item.iImage + 1;
    else if (m_imageListType == 1) *image = int((di.item.state >> 16) & 0xFF);
    return;
  }
  SHIM_ListView_Row* r = row(rowIdx);
  *text = r ? r->text(logical) : "";
  if (r && (m_imageListType == 1 || m_imageListType == 2)) *image = r->m_image;
}

// --- drawing

void Shim_vHarshbloom_listview::drawHeader(plat::DrawContext& ctx) {
  Rect vis = visibleRect();
  double y = vis.y;  // pinned to the top of what shows
  double w = std::max(frame().w, vis.maxX());
  ctx.fillRect({vis.x, y, w - vis.x, kHeaderHeight}, kHeaderFace);
  ctx.fillRect({vis.x, y + kHeaderHeight - 1, w - vis.x, 1}, kHeaderLine);
  plat::TextBoxStyle st;
  st.centerVertically = true;
  st.ellipsis = true;
  for (size_t i = 0; i < m_display.size(); ++i) {
    Column* c = m_display[i];
    if (c->hidden) continue;
    double x = columnX(int(i));
    Rect cell{x, y, c->width + kSpacingW, kHeaderHeight - 1};
    ctx.fillRect({cell.maxX() - 1, y + 3, 1, kHeaderHeight - 6}, kHeaderLine);
    double room = c->sortIndicator ? 14 : 0;
    st.align = alignOf(c->headerAlign);
    plat::drawTextInRect(ctx, m_font, c->title, {x + 4, y, cell.w - 8 - room, cell.h}, kInk, st);
    if (c->sortIndicator) {
      // A small triangle: up for ascending, down for descending.
      double cx = cell.maxX() - 10, cy = y + kHeaderHeight / 2;
      bool upward = c->sortIndicator == HDF_SORTUP;
      for (int k = 0; k < 4; ++k) {
        double half = upward ? k : 3 - k;
        ctx.fillRect({cx - half, cy - 2 + k, 2 * half + 1, 1}, 0xFF606060);
      }
    }
  }
}

void Shim_vHarshbloom_listview::draw(plat::DrawContext& ctx, const Rect& dirty) {
  drawRowBackgrounds(ctx, dirty);
  int n = itemCount();
  double hh = headerHeight();
  int first = std::max(0, int(floor((dirty.y - hh) / kRowPitch)));
  int last = std::min(n - 1, int(floor((dirty.maxY() - hh) / kRowPitch)));
  if (m_grid) {
    for (int r = first; r <= last + 1 && r <= n; ++r)
      ctx.fillRect({dirty.x, hh + kRowPitch * r - 1, dirty.w, 1}, m_gridColor);
    for (size_t i = 1; i <= m_display.size(); ++i)
      ctx.fillRect({columnX(int(i)) - 1, dirty.y, 1, dirty.h}, m_gridColor);
  }
  plat::TextBoxStyle st;
  st.centerVertically = true;
  st.ellipsis = true;
  for (int r = first; r <= last; ++r) {
    uint32_t ink = textColorForRow(r);
    for (size_t i = 0; i < m_display.size(); ++i) {
      Column* c = m_display[i];
      if (c->hidden) continue;
      Rect cell = frameOfCell(int(i), r);
      if (cell.intersect(dirty).isEmpty()) continue;
      int logical = logicalAtDisplay(int(i));
      if (c->cell == Cell::OwnerDrawn) {
        ctx.save();
        ctx.clipTo(cell);
        int left = int(cell.x + 0.5), top = int(cell.y + 0.5);
        RECT rc{left, top, left + int(cell.w + 0.5), top + int(cell.h + 0.5)};
        SHIM_ListView_Row* rr = row(r);
        SHIM_Internal_SendDrawItem(this, GetParent(SHIM_H(this)), ODT_LISTBOX, UINT(r), rc,
                                   rr ? ULONG_PTR(rr->m_lparam) : 0, ctx);
        ctx.restore();
        continue;
      }
      std::string text;
      int image = 0;
      cellValue(r, logical, &text, &image);
      Rect tr = cell;
      if (c->cell == Cell::Status) {
        // Room for the image at the left, whether there is one or not.
        double side = std::min(cell.w, cell.h);
        if (!m_lbMode && image > 0 && g_imageDrawer && m_imageList)
          g_imageDrawer(m_imageList, image, ctx, {cell.x, cell.y, floor(side), cell.h});
        tr = {cell.x + cell.h + 2, cell.y, cell.w - (cell.h + 2), cell.h};
      }
      st.align = alignOf(c->cellAlign);
      ctx.save();
      ctx.clipTo(cell);
      plat::drawTextInRect(ctx, m_font, text, {tr.x + 2, tr.y, tr.w - 4, tr.h}, ink, st);
      ctx.restore();
    }
  }
  if (hasHeader()) drawHeader(ctx);
}

// --- notifications

void Shim_vHarshbloom_listview::userSelectionChanged() {
  if (!m_target) return;
  if (m_lbMode) {
    SendMessage(m_target, WM_COMMAND, (WPARAM)(uint32_t(tag() & 0xFFFF) | (LBN_SELCHANGE << 16)),
                (LPARAM)SHIM_H(this));
    return;
  }
  NMLISTVIEW nm;
  memset(&nm, 0, sizeof nm);
  nm.hdr = NMHDR{SHIM_H(this), (UINT_PTR)tag(), (UINT)LVN_ITEMCHANGED};
  nm.iItem = m_selRow;
  sendNotify(m_target, &nm.hdr);
}

void Shim_vHarshbloom_listview::userDoubleClicked(const plat::Event& e, int r) {
  if (!m_target) return;
  if (m_lbMode) {
    SendMessage(m_target, WM_COMMAND, (WPARAM)(uint32_t(tag() & 0xFFFF) | (LBN_DBLCLK << 16)),
                (LPARAM)SHIM_H(this));
    return;
  }
  Point p = localPoint(e);
  NMLISTVIEW nm;
  memset(&nm, 0, sizeof nm);
  nm.hdr = NMHDR{SHIM_H(this), (UINT_PTR)tag(), (UINT)NM_DBLCLK};
  nm.iItem = r;
  nm.iSubItem = columnAtPoint(p);
  nm.ptAction = POINT{int(floor(p.x)), int(floor(p.y))};
  SHIM_ListView_Row* rr = row(r);
  nm.lParam = rr ? rr->m_lparam : 0;
  sendNotify(m_target, &nm.hdr);
}

LRESULT Shim_vHarshbloom_listview::sendClick(int code, const Point& p, bool withParam) {
  NMLISTVIEW nm;
  memset(&nm, 0, sizeof nm);
  nm.hdr = NMHDR{SHIM_H(this), (UINT_PTR)tag(), (UINT)code};
  nm.iItem = rowAtPoint(p);
  nm.iSubItem = columnAtPoint(p);
  nm.ptAction = POINT{int(floor(p.x)), int(floor(p.y))};
  SHIM_ListView_Row* r = withParam ? row(nm.iItem) : nullptr;
  nm.lParam = r ? r->m_lparam : 0;
  return sendNotify(m_target, &nm.hdr);
}

void Shim_vHarshbloom_listview::sendMouseToTarget(UINT msg) {
  if (!m_target) return;
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(m_target, &pt);
  SendMessage(m_target, msg, 0, packPoint(pt.x, pt.y));
}

void Shim_vHarshbloom_listview::headerClick(const plat::Event&, const Point& p) {
  if (m_lbMode || m_cols.empty() || (m_style & LVS_NOSORTHEADER) || !m_target) return;
  NMLISTVIEW nm;
  memset(&nm, 0, sizeof nm);
  nm.hdr = NMHDR{SHIM_H(this), (UINT_PTR)tag(), (UINT)LVN_COLUMNCLICK};
  nm.iItem = -1;
  nm.iSubItem = columnAtPoint(p);
  sendNotify(m_target, &nm.hdr);
}

// --- mouse

void Shim_vHarshbloom_listview::mouseDown(const plat::Event& e) {
  if (window() && window()->firstResponder() != this) window()->makeFirstResponder(this);
  if ((e.modifierFlags & plat::kModControl) && IsRightClickEmulateEnabled()) {
    m_fakerightmouse = true;
    m_start_item = m_start_subitem = -1;
    return;
  }
  m_leftmousemovecnt = 0;
  m_fakerightmouse = false;
  m_headerPress = -1;
  Point p = localPoint(e);
  if (hasHeader() && p.y < visibleRect().y + kHeaderHeight) {
    // A press on the pinned header: a column click, not a row.
    m_start_item = m_start_subitem = -1;
    m_start_item_clickmode = 1;
    m_headerPress = displayPosition(columnAtPoint(p));
    Ref<View> hold(this);
    headerClick(e, p);
    return;
  }
  m_start_item = rowAtPoint(p);
  m_start_subitem = columnAtPoint(p);
  m_start_item_clickmode = 0;
  if (m_start_item >= 0) {
    if (m_start_subitem >= 0 && (m_fastClickMask & (1 << (m_start_subitem & 31)))) {
      Ref<View> hold(this);
      sendClick(NM_CLICK, p, true);
      m_start_item_clickmode = 4;
    } else if (m_imageListType == 1 && p.x <= kRowPitch - kSpacingH) {
      m_start_item_clickmode = 1;
    }
  }
}

void Shim_vHarshbloom_listview::mouseDragged(const plat::Event&) {
  ++m_leftmousemovecnt;
  Ref<View> hold(this);
  if (m_leftmousemovecnt == 4) {
    if (m_start_item >= 0 && !(m_start_item_clickmode & 3) && !m_lbMode) {
      if (!(m_start_item_clickmode & 4) && !isRowSelected(m_start_item))
        selectRow(m_start_item, (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0);
      NMLISTVIEW nm;
      memset(&nm, 0, sizeof nm);
      nm.hdr = NMHDR{SHIM_H(this), (UINT_PTR)tag(), (UINT)LVN_BEGINDRAG};
      nm.iItem = m_start_item;
      nm.iSubItem = m_start_subitem;
      sendNotify(m_target, &nm.hdr);
      m_start_item_clickmode |= 2;
    }
  } else if (m_leftmousemovecnt >= 5 && !(m_start_item_clickmode & 1)) {
    sendMouseToTarget(WM_MOUSEMOVE);
  }
}

void Shim_vHarshbloom_listview::mouseUp(const plat::Event& e) {
  Ref<View> hold(this);
  if ((m_fakerightmouse || (e.modifierFlags & plat::kModControl)) && IsRightClickEmulateEnabled()) {
    rightMouseUp(e);
    return;
  }
  Point p = localPoint(e);
  if (m_headerPress >= 0) {
    // A column dragged along the header moves there when reordering is on.
    int to = displayPosition(columnAtPoint({p.x, visibleRect().y + 1}));
    if (m_reorder && to >= 0 && to != m_headerPress) moveColumn(m_headerPress, to);
    m_headerPress = -1;
    return;
  }
  if (m_start_item_clickmode & 1) return;
  if (!(m_start_item_clickmode & 4) && m_leftmousemovecnt <= 3) {
    std::vector<int> before = m_sel;
    if (m_lbMode && !m_multi) deselectAll();
    tableClick(e, &before);
  } else if (m_leftmousemovecnt >= 4) {
    sendMouseToTarget(WM_LBUTTONUP);
  }
  if (!m_lbMode && !(m_start_item_clickmode & 6)) sendClick(NM_CLICK, p, true);
}

void Shim_vHarshbloom_listview::rightMouseDown(const plat::Event&) {
  // The context menu comes with the release.
}

void Shim_vHarshbloom_listview::contextMenuFor(const Point&) {
  if (!m_target) return;
  POINT pt;
  GetCursorPos(&pt);
  SendMessage(m_target, WM_CONTEXTMENU, (WPARAM)SHIM_H(this), packPoint(pt.x, pt.y));
}

void Shim_vHarshbloom_listview::rightMouseUp(const plat::Event& e) {
  Ref<View> hold(this);
  Point p = localPoint(e);
  if (!m_lbMode) {
    int r = rowAtPoint(p);
    if (r >= 0 && !isRowSelected(r)) {
      setSelection({r});
      userSelectionChanged();
    }
    if (sendClick(NM_RCLICK, p, false)) {
      m_fakerightmouse = false;
      return;
    }
  }
  contextMenuFor(p);
  m_fakerightmouse = false;
}

// --- list-box messages

LRESULT Shim_vHarshbloom_listview::onShimMessage(UINT msg, WPARAM wp, LPARAM lp) {
  HWND self = SHIM_H(this);
  Ref<View> hold(this);
  int rows = m_items.GetSize();
  auto rowOf = [&](WPARAM w) -> SHIM_ListView_Row* {
    return w < WPARAM(rows) ? row(int(w)) : nullptr;
  };
  auto insertText = [&](int at, const char* text) {
    LVITEM it;
    memset(&it, 0, sizeof it);
    it.mask = LVIF_TEXT;
    it.iItem = at;
    it.pszText = const_cast<char*>(text ? text : "");
    return ListView_InsertItem(self, &it);
  };
  switch (msg) {
    case WM_SETREDRAW: return 0;  // drawing is batched by the display pass anyway
    case LB_ADDSTRING: {
      const char* text = reinterpret_cast<const char*>(lp);
      int at = itemCount();
      if (m_lbMode && (m_style & LBS_SORT)) at = sortedPosition(text ? text : "", false);
      return insertText(at, text);
    }
    case LB_INSERTSTRING: {
      int count = itemCount();
      int at = wp < WPARAM(count) ? int(wp) : count;
      return insertText(at, reinterpret_cast<const char*>(lp));
    }
    case LB_DELETESTRING: ListView_DeleteItem(self, int(wp)); return 0;
    case LB_GETTEXT: {
      char* buf = reinterpret_cast<char*>(lp);
      if (!buf) return -1;
      buf[0] = 0;
      SHIM_ListView_Row* r = rowOf(wp);
      const char* s = r ? r->m_texts.Get(0) : nullptr;
      if (!s) return -1;
      // The message carries no size: copy no more than the layer's cap.
      copyBounded(buf, SHIM_LB_MAXTEXT, s);
      return LRESULT(strlen(buf));
    }
    case LB_RESETCONTENT: deleteAllRows(); return 0;
    case LB_SETSEL: ListView_SetItemState(self, int(lp), wp != 0, LVIS_SELECTED); return 0;
    case LB_SETCURSEL:
      if (wp >= WPARAM(itemCount())) {
        deselectAll();
      } else {
        setSelection({int(wp)});
        scrollRowToVisible(int(wp));
      }
      return 0;
    case LB_GETSEL: return ListView_GetItemState(self, int(wp), LVIS_SELECTED) & 1;
    case LB_GETCURSEL: return m_selRow;
    case LB_GETTEXTLEN: {
      SHIM_ListView_Row* r = rowOf(wp);
      if (!r) return -1;
      return LRESULT(std::min(strlen(r->text(0)), size_t(SHIM_LB_MAXTEXT - 1)));
    }
    case LB_GETCOUNT: return itemCount();
    case LB_GETSELCOUNT: return numberOfSelectedRows();
    case LB_GETITEMDATA: {
      SHIM_ListView_Row* r = rowOf(wp);
      return r ? r->m_lparam : 0;
    }
    case LB_SETITEMDATA:
      if (SHIM_ListView_Row* r = rowOf(wp)) r->m_lparam = lp;
      return 0;
    default: return 0;
  }
}

// ---------------------------------------------------------------------------
// Functions

namespace {
Shim_vHarshbloom_listview* LV(HWND h) { return SHIM_ListView(h); }

// Rows by the mode's count rule; true when row i exists there.
bool inRange(Shim_vHarshbloom_listview* lv, int i) { return i >= 0 && i < lv->itemCount(); }
}  // namespace

int ListView_InsertItem(HWND h, const LVITEM* item) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !item || item->iSubItem != 0) return 0;
  if (lv->isOwnerData()) return -1;
  int count = lv->itemCount();
  int pos = item->iItem < 0 ? 0 : std::min(item->iItem, count);
  const char* text = (item->mask & LVIF_TEXT) && item->pszText ? item->pszText : "";
  if (!lv->isListBox() && (item->mask & LVIF_TEXT)) {
    if (lv->getShimStyle() & LVS_SORTASCENDING) pos = lv->sortedPosition(text, false);
    else if (lv->getShimStyle() & LVS_SORTDESCENDING) pos = lv->sortedPosition(text, true);
  }
  auto* r = new SHIM_ListView_Row();
  char* copy = strdup(text);
  if (!copy || !r->m_texts.Add(copy)) {
    free(copy);
    delete r;
    return -1;
  }
  if (item->mask & LVIF_PARAM) r->m_lparam = item->lParam;
  if ((item->mask & LVIF_STATE) && (item->stateMask & LVIS_STATEIMAGEMASK)) r->m_image = int((item->state >> 16) & 0xFF);
  pos = lv->insertRow(pos, r);
  if (pos < 0) return -1;
  if ((item->mask & LVIF_STATE) && (item->stateMask & 1) && (item->state & 1)) lv->selectRowByStyle(pos);
  return pos;
}

BOOL ListView_SetItem(HWND h, LVITEM* item) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !item) return FALSE;
  if (lv->isOwnerData()) {
    if ((item->mask & LVIF_STATE) && item->stateMask) ListView_SetItemState(h, item->iItem, item->state, item->stateMask);
    return TRUE;
  }
  SHIM_ListView_Row* r = lv->row(item->iItem);
  if (!r) return FALSE;
  if (item->mask & LVIF_PARAM) r->m_lparam = item->lParam;
  if ((item->mask & LVIF_TEXT) && item->pszText) ListView_SetItemText(h, item->iItem, item->iSubItem, item->pszText);
  if ((item->mask & LVIF_IMAGE) && item->iImage >= 0) {
    r->m_image = item->iImage + 1;
    lv->reloadData();
  }
  if ((item->mask & LVIF_STATE) && item->stateMask) ListView_SetItemState(h, item->iItem, item->state, item->stateMask);
  return TRUE;
}

BOOL ListView_GetItem(HWND h, LVITEM* item) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !item) return FALSE;
  bool wantText = (item->mask & LVIF_TEXT) && item->pszText && item->cchTextMax >= 1;
  if (wantText) item->pszText[0] = 0;
  item->state = 0;
  if (lv->isOwnerData()) {
    if (!inRange(lv, item->iItem)) return FALSE;
  } else {
    SHIM_ListView_Row* r = lv->row(item->iItem);
    if (!r) return FALSE;
    if (item->mask & LVIF_PARAM) item->lParam = r->m_lparam;
    if (wantText) copyBounded(item->pszText, item->cchTextMax, r->text(item->iSubItem));
    if ((item->mask & LVIF_STATE) && (item->stateMask & LVIS_STATEIMAGEMASK)) item->state |= UINT(r->m_image) << 16;
  }
  if (item->mask & LVIF_STATE) {
    if ((item->stateMask & 1) && lv->isRowSelected(item->iItem)) item->state |= LVIS_SELECTED;
    if ((item->stateMask & 2) && lv->selectedRow() == item->iItem) item->state |= LVIS_FOCUSED;
  }
  return TRUE;
}

BOOL ListView_GetItemText(HWND h, int item, int subitem, char* text, int textmax) {
  LVITEM it;
  memset(&it, 0, sizeof it);
  it.mask = LVIF_TEXT;
  it.iItem = item;
  it.iSubItem = subitem;
  it.pszText = text;
  it.cchTextMax = textmax;
  return ListView_GetItem(h, &it);
}

void ListView_SetItemText(HWND h, int item, int subitem, const char* text) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || subitem < 0 || subitem > 31 || lv->isOwnerData()) return;
  SHIM_ListView_Row* r = lv->row(item);
  if (!r) return;
  while (r->m_texts.GetSize() <= subitem) {
    char* empty = strdup("");
    if (!empty || !r->m_texts.Add(empty)) {
      free(empty);
      return;
    }
  }
  char* copy = strdup(text ? text : "");
  if (!copy) return;
  free(r->m_texts.Get(subitem));
  r->m_texts.Set(subitem, copy);
  lv->reloadData();
}

BOOL ListView_SetItemState(HWND h, int item, UINT state, UINT mask) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv) return FALSE;
  Ref<View> hold(lv);
  if (item == -1) {
    int n = lv->itemCount();
    ++g_allRowsDepth;
    for (int i = 0; i < n; ++i) ListView_SetItemState(h, i, state, mask);
    --g_allRowsDepth;
    lv->reloadData();
    return TRUE;
  }
  if (!inRange(lv, item)) return FALSE;
  bool imageChanged = false, selChanged = false;
  if (!lv->isOwnerData() && (mask & LVIS_STATEIMAGEMASK)) {
    SHIM_ListView_Row* r = lv->row(item);
    int img = int((state >> 16) & 0xFF);
    if (r->m_image != img) {
      r->m_image = img;
      imageChanged = true;
    }
  }
  if (mask & 1) {
    bool sel = lv->isRowSelected(item);
    if ((state & 1) && !sel) {
      lv->selectRowByStyle(item);
      selChanged = true;
    } else if (!(state & 1) && sel) {
      lv->deselectRow(item);
      selChanged = true;
    }
  }
  if (selChanged && g_allRowsDepth == 0 && !g_itemChangedInProgress) {
    NMLISTVIEW nm;
    memset(&nm, 0, sizeof nm);
    nm.hdr = NMHDR{h, (UINT_PTR)lv->tag(), (UINT)LVN_ITEMCHANGED};
    nm.iItem = item;
    nm.uNewState = state;
    g_itemChangedInProgress = true;
    SendMessage(GetParent(h), WM_NOTIFY, (WPARAM)lv->tag(), (LPARAM)&nm);
    g_itemChangedInProgress = false;
  }
  if (imageChanged && plat::Object::isLive(lv)) lv->reloadData();
  return TRUE;
}

UINT ListView_GetItemState(HWND h, int item, UINT mask) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !inRange(lv, item)) return 0;
  UINT st = 0;
  if ((mask & LVIS_STATEIMAGEMASK) && !lv->isOwnerData()) st |= UINT(lv->row(item)->m_image) << 16;
  if ((mask & 1) && lv->isRowSelected(item)) st |= LVIS_SELECTED;
  if ((mask & 2) && lv->selectedRow() == item) st |= LVIS_FOCUSED;
  return st;
}

void ListView_DeleteItem(HWND h, int item) {
  if (Shim_vHarshbloom_listview* lv = LV(h)) lv->deleteRow(item);
}

void ListView_DeleteAllItems(HWND h) {
  if (Shim_vHarshbloom_listview* lv = LV(h)) lv->deleteAllRows();
}

int ListView_GetItemCount(HWND h) {
  Shim_vHarshbloom_listview* lv = LV(h);
  return lv ? lv->itemCount() : 0;
}

void ListView_SetItemCount(HWND h, int n) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (lv && lv->isOwnerData()) lv->setOwnerCount(n);
}

int ListView_GetNextItem(HWND h, int start, int flags) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv) return -1;
  if (flags & LVNI_SELECTED) {
    for (int r : lv->selectedRows())
      if (r > start) return r;
    return -1;
  }
  if (flags & LVNI_FOCUSED) return lv->selectedRow();
  return -1;
}

int ListView_GetSelectedCount(HWND h) {
  Shim_vHarshbloom_listview* lv = LV(h);
  return lv ? lv->numberOfSelectedRows() : 0;
}

int ListView_GetSelectionMark(HWND h) {
  Shim_vHarshbloom_listview* lv = LV(h);
  return lv ? lv->selectedRow() : -1;
}

void ListView_RedrawItems(HWND h, int, int) {
  if (Shim_vHarshbloom_listview* lv = LV(h)) lv->reloadData();
}

void ListView_SortItems(HWND h, int (*compf)(LPARAM, LPARAM, LPARAM), LPARAM parm) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !compf || lv->isListBox() || lv->isOwnerData()) return;
  lv->sortRows(compf, parm);
}

// --- columns and header

void ListView_SetColumnWidth(HWND h, int col, int w) {
  Shim_vHarshbloom_listview* lv = LV(h);
  Shim_vHarshbloom_listview::Column* c = lv ? lv->column(col) : nullptr;
  if (!c) return;
  if (w != 0) {
    c->hidden = false;
    c->width = std::max(10, std::min(w, 100000));  // the narrowest a column gets
  } else {
    c->hidden = true;
  }
  lv->reloadData();
}

void ListView_InsertColumn(HWND h, int pos, const LVCOLUMN* col) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !col) return;
  Shim_vHarshbloom_listview::Column c;
  if (col->fmt == LVCFMT_RIGHT || col->fmt == LVCFMT_CENTER) c.headerAlign = c.cellAlign = col->fmt;
  if (!lv->isListBox() && !(lv->getShimStyle() & LVS_NOCOLUMNHEADER)) c.title = col->pszText ? col->pszText : "";
  if (pos == 0 && lv->imageList()) {
    c.cell = Shim_vHarshbloom_listview::Cell::Status;
    c.cellAlign = 0;
  }
  int added = lv->addColumn(c);
  // The width belongs to the column just made, wherever pos pointed.
  if (col->mask & LVCF_WIDTH) ListView_SetColumnWidth(h, added, col->cx);
}

void ListView_SetColumn(HWND h, int col, const LVCOLUMN* c) {
  Shim_vHarshbloom_listview* lv = LV(h);
  Shim_vHarshbloom_listview::Column* cc = lv ? lv->column(col) : nullptr;
  if (!cc || !c) return;
  if (c->mask & LVCF_FMT) cc->headerAlign = (c->fmt == 1 || c->fmt == 2) ? c->fmt : 0;
  if (c->mask & LVCF_WIDTH) ListView_SetColumnWidth(h, col, c->cx);
  if ((c->mask & LVCF_TEXT) && !lv->isListBox() && !(lv->getShimStyle() & LVS_NOCOLUMNHEADER))
    cc->title = c->pszText ? c->pszText : "";
  lv->setNeedsDisplay(true);
}

BOOL ListView_DeleteColumn(HWND h, int col) {
  Shim_vHarshbloom_listview* lv = LV(h);
  return lv && lv->removeColumn(col);
}

int ListView_GetColumnWidth(HWND h, int col) {
  Shim_vHarshbloom_listview* lv = LV(h);
  Shim_vHarshbloom_listview::Column* c = lv ? lv->column(col) : nullptr;
  if (!c || c->hidden) return 0;
  return int(floor(c->width + 0.5));
}

BOOL ListView_GetColumnOrderArray(HWND h, int n, int* out) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !out || n != lv->columnCount()) return FALSE;
  for (int i = 0; i < n; ++i) out[i] = lv->displayPosition(i);
  return TRUE;
}

BOOL ListView_SetColumnOrderArray(HWND h, int n, int* in) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !in || n != lv->columnCount()) return FALSE;
  for (int i = 0; i < n; ++i)
    if (in[i] >= 0 && in[i] < n) lv->moveColumn(lv->displayPosition(i), in[i]);
  return TRUE;
}

void ListView_SetExtendedListViewStyleEx(HWND h, int mask, int style) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv) return;
  if (mask & LVS_EX_GRIDLINES) lv->setGridLines((style & LVS_EX_GRIDLINES) != 0);
  if (mask & LVS_EX_HEADERDRAGDROP) lv->setAllowsColumnReordering((style & LVS_EX_HEADERDRAGDROP) != 0);
}

void ListView_SetImageList(HWND h, HIMAGELIST list, int which) {
  if (Shim_vHarshbloom_listview* lv = LV(h)) lv->setImageList(list, which);
}

HWND ListView_GetHeader(HWND h) { return LV(h) ? h : nullptr; }

int Header_GetItemCount(HWND h) {
  Shim_vHarshbloom_listview* lv = LV(h);
  return lv ? lv->columnCount() : 0;
}

BOOL Header_GetItem(HWND h, int col, HDITEM* hi) {
  Shim_vHarshbloom_listview* lv = LV(h);
  Shim_vHarshbloom_listview::Column* c = lv ? lv->column(col) : nullptr;
  if (!c) return FALSE;
  if (hi && (hi->mask & HDI_FORMAT)) hi->fmt = c->sortIndicator;
  return TRUE;
}

BOOL Header_SetItem(HWND h, int col, HDITEM* hi) {
  Shim_vHarshbloom_listview* lv = LV(h);
  Shim_vHarshbloom_listview::Column* c = lv ? lv->column(col) : nullptr;
  if (!c) return FALSE;
  if (hi && (hi->mask & HDI_FORMAT)) {
    c->sortIndicator = (hi->fmt & HDF_SORTUP) ? HDF_SORTUP : (hi->fmt & HDF_SORTDOWN) ? HDF_SORTDOWN : 0;
    lv->setNeedsDisplay(true);
  }
  return TRUE;
}

int SHIM_GetListViewHeaderHeight(HWND h) {
  Shim_vHarshbloom_listview* lv = LV(h);
  return lv ? int(lv->headerHeight() + 0.5) : 0;
}

void SHIM_SetListViewFastClickMask(HWND h, int mask) {
  if (Shim_vHarshbloom_listview* lv = LV(h)) lv->setFastClickMask(mask);
}

// --- geometry and scrolling

int ListView_HitTest(HWND h, LVHITTESTINFO* info) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !info) return -1;
  info->flags = 0;
  info->iItem = -1;
  Rect vis = lv->visibleRect();
  Point pt{double(info->pt.x), double(info->pt.y)};
  double dx = pt.x - vis.x, dy = pt.y - vis.y;
  if (dx < 0) info->flags |= LVHT_TOLEFT;
  if (dx >= vis.w) info->flags |= LVHT_TORIGHT;
  if (dy < 0) info->flags |= LVHT_ABOVE;
  if (dy >= vis.h) info->flags |= LVHT_BELOW;
  if (info->flags) return -1;
  info->iItem = lv->rowAtPoint(pt);
  if (info->iItem >= 0)
    info->flags = lv->imageList() && pt.x <= SHIM_TableBase::kRowPitch - SHIM_TableBase::kSpacingH ? LVHT_ONITEMSTATEICON
                                                                                                : LVHT_ONITEMLABEL;
  else
    info->flags = LVHT_NOWHERE;
  return info->iItem;
}

int ListView_SubItemHitTest(HWND h, LVHITTESTINFO* info) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !info) return -1;
  int r = ListView_HitTest(h, info);
  Point pt{double(info->pt.x), double(info->pt.y)};
  if (info->iItem < 0 && pt.y < 0) pt.y = 0;
  info->iSubItem = lv->columnAtPoint(pt);
  return r;
}

BOOL ListView_GetSubItemRect(HWND h, int item, int sub, int, RECT* r) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !r || item < 0 || item >= lv->itemCount()) return FALSE;
  if (sub >= 0 && !lv->column(sub)) return FALSE;
  Rect f = sub < 0 ? lv->rectOfRow(item) : lv->frameOfCell(lv->displayPosition(sub), item);
  *r = RECT{int(f.x), int(f.y), int(f.x + f.w + SHIM_TableBase::kSpacingW), int(f.y + f.h + SHIM_TableBase::kSpacingH)};
  return TRUE;
}

BOOL ListView_GetItemRect(HWND h, int item, RECT* r, int code) { return ListView_GetSubItemRect(h, item, -1, code, r); }

int ListView_GetTopIndex(HWND h) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !lv->clipView()) return -1;
  Rect vis = lv->visibleRect();
  return lv->rowAtPoint({0, vis.y + lv->headerHeight()});
}

int ListView_GetCountPerPage(HWND h) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !lv->clipView()) return 0;
  return int((lv->visibleRect().h - lv->headerHeight()) / int(SHIM_TableBase::kRowPitch));
}

BOOL ListView_Scroll(HWND h, int dx, int dy) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv || !lv->clipView()) return FALSE;
  Rect vis = lv->visibleRect();
  Point ref{vis.x, vis.y + lv->headerHeight()};
  if (dx > 0) ref.x = vis.maxX() - 1;
  if (dy > 0) ref.y = vis.maxY() - 1;
  int rows = lv->itemCount(), cols = lv->columnCount();
  int row = std::max(0, std::min(lv->rowAtPoint(ref), rows - 1));
  int col = lv->columnAtPoint(ref);
  if (col < 0) col = dx > 0 ? cols - 1 : 0;
  int pos = std::max(0, lv->displayPosition(col));
  Rect cell = lv->frameOfCell(pos, std::max(row, 0));
  double height = SHIM_TableBase::kRowPitch;
  double width = cell.w + SHIM_TableBase::kSpacingW;
  if (dy != 0 && rows > 0) {
    row = std::max(0, std::min(rows - 1, row + int(dy / height)));
    lv->scrollRowToVisible(row);
  }
  if (dx != 0 && cols > 0 && width > 0) {
    pos = std::max(0, std::min(cols - 1, pos + int(dx / width)));
    Rect c = lv->frameOfCell(pos, 0);
    Rect v = lv->visibleRect();
    lv->scrollRectToVisible({c.x, v.y + lv->headerHeight(), c.w, 1});
  }
  return TRUE;
}

BOOL ListView_GetScroll(HWND h, POINT* p) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (p) *p = POINT{0, 0};
  if (!lv || !lv->clipView()) return FALSE;
  Rect vis = lv->visibleRect();
  if (p) *p = POINT{int(vis.x), int(vis.y)};
  return TRUE;
}

void ListView_EnsureVisible(HWND h, int item, BOOL) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv) return;
  item = std::min(item, lv->itemCount() - 1);
  item = std::max(item, std::min(0, lv->itemCount() - 1));
  if (item >= 0) lv->scrollRowToVisible(item);
}

// --- colours

BOOL ListView_SetBkColor(HWND h, COLORREF c) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv) return FALSE;
  lv->setBackgroundColor(opaque(c));
  return TRUE;
}

BOOL ListView_SetGridColor(HWND h, COLORREF c) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv) return FALSE;
  lv->setGridColor(opaque(c));
  return TRUE;
}

BOOL ListView_SetTextColor(HWND h, COLORREF c) {
  Shim_vHarshbloom_listview* lv = LV(h);
  if (!lv) return FALSE;
  lv->setTextColor(opaque(c));
  return TRUE;
}

BOOL ListView_SetTextBkColor(HWND h, COLORREF) { return LV(h) ? TRUE : FALSE; }

void ListView_SetSelColors(HWND h, int* colors, int n) {
  auto* t = SHIM_As<SHIM_TableBase>(h);
  if (!t) return;
  std::vector<uint32_t> c(size_t(std::max(0, n)), 0xFF000000u);
  if (colors)
    for (int i = 0; i < n; ++i) c[size_t(i)] = opaque(COLORREF(colors[i]));
  t->setSelectionColors(c);
}

// ---------------------------------------------------------------------------
// The control factory's maker

HWND SHIM_Internal_MakeListControl(View* owner, const char* classname, int idx, int style, const Rect& placed) {
  if (!owner || !classname) return nullptr;
  bool tree = strcasecmp(classname, "SysTreeView32") == 0;
  bool lb = strcasecmp(classname, "SysListView32_LB") == 0;
  auto* sv = new plat::ScrollView(placed);
  sv->setHasVerticalScroller(true);
  if (!tree && !lb) sv->setHasHorizontalScroller(true);
  sv->setAutohidesScrollers(true);
  plat::Size cs = sv->contentSize();
  HWND ownerH = SHIM_H(owner);
  SHIM_TableBase* table;
  if (tree) {
    auto* tv = new Shim_vHarshbloom_treeview({0, 0, cs.w, cs.h});
    tv->setColumnWidth(ceil(std::max(placed.w, 300.0)));
    table = tv;
  } else {
    auto* lv = new Shim_vHarshbloom_listview({0, 0, cs.w, cs.h});
    lv->setShimNotificationMode(lb ? 1 : 0);
    table = lv;
  }
  table->setShimStyle(style);
  table->setTag(idx);
  table->setTarget(ownerH);
  if (!tree) {
    auto* lv = static_cast<Shim_vHarshbloom_listview*>(table);
    lv->setAllowsMultipleSelection(lb ? (style & LBS_EXTENDEDSEL) != 0 : !(style & LVS_SINGLESEL));
  }
  sv->setDocumentView(table);
  table->release();  // held by the clip view
  if (style & SHIM_STYLE_HIDDEN) sv->setHidden(true);
  owner->addSubview(sv);
  sv->release();  // held by the owner
  HWND h = SHIM_H(table);
  if (!tree && !(!lb && (style & LVS_REPORT))) {
    LVCOLUMN c;
    memset(&c, 0, sizeof c);
    c.mask = LVCF_WIDTH | LVCF_TEXT;
    c.cx = int(ceil(std::max(placed.w - 4, lb ? 1200.0 : 300.0)));
    c.pszText = const_cast<char*>("");
    ListView_InsertColumn(h, 0, &c);
    if (lb && (style & LBS_OWNERDRAWFIXED)) {
      auto* lv = static_cast<Shim_vHarshbloom_listview*>(table);
      lv->column(0)->cell = Shim_vHarshbloom_listview::Cell::OwnerDrawn;
    }
  }
  table->reloadData();
  return h;
}
