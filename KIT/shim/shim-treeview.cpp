// Tree views.

#include "shim-treeview.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "platform/keys.h"
#include "shim-kb.h"
#include "shim-misc.h"
#include "shim-wnd.h"

using plat::Point;
using plat::Rect;
using plat::Ref;
using plat::View;

namespace {

LPARAM packPoint(int x, int y) { return (LPARAM)(DWORD)(((DWORD)(WORD)y << 16) | (WORD)x); }

bool isSpecial(HTREEITEM h) {
  uintptr_t v = uintptr_t(h);
  return v >= 0xFFFF0000u && v <= 0xFFFF0003u;
}

// Process-wide: a selection notification of TreeView_SelectItem, and one of
// TreeView_SetItem, do not nest.
bool g_selectNotifying = false;
bool g_setItemNotifying = false;

}  // namespace

// ---------------------------------------------------------------------------
// Items

HTREEITEM__::~HTREEITEM__() {
  free(m_text);
  m_childitems.Empty(true);
}

namespace {
// Searches a list of items, then each item's subtree in order; `owner` is
// the parent reported for a hit in the list itself.
bool findIn(const KIT_PtrList<HTREEITEM__>& list, HTREEITEM__* owner, HTREEITEM it, HTREEITEM__** par, int* idx) {
  if (!it) return false;
  int n = list.GetSize();
  for (int i = 0; i < n; ++i)
    if (list.Get(i) == it) {
      if (par) *par = owner;
      if (idx) *idx = i;
      return true;
    }
  for (int i = 0; i < n; ++i)
    if (list.Get(i)->FindItem(it, par, idx)) return true;
  return false;
}
}  // namespace

bool HTREEITEM__::FindItem(HTREEITEM it, HTREEITEM__** par, int* idx) { return findIn(m_childitems, this, it, par, idx); }

// ---------------------------------------------------------------------------
// The view

Shim_vHarshbloom_treeview::Shim_vHarshbloom_treeview(const Rect& frame) : SHIM_TableBase(frame) {}

Shim_vHarshbloom_treeview::~Shim_vHarshbloom_treeview() { m_items.Empty(true); }

bool Shim_vHarshbloom_treeview::findItem(HTREEITEM it, HTREEITEM__** par, int* idx) const {
  return findIn(m_items, nullptr, it, par, idx);
}

void Shim_vHarshbloom_treeview::addRows(KIT_PtrList<HTREEITEM__>& list, int level, std::vector<Row>& out) const {
  for (int i = 0; i < list.GetSize(); ++i) {
    HTREEITEM__* it = list.Get(i);
    out.push_back({it, level});
    if (it->m_expandable && isItemExpanded(it)) addRows(it->m_childitems, level + 1, out);
  }
}

void Shim_vHarshbloom_treeview::pruneExpanded() {
  for (auto it = m_expanded.begin(); it != m_expanded.end();) {
    if (findItem(*it, nullptr, nullptr)) ++it;
    else it = m_expanded.erase(it);
  }
}

void Shim_vHarshbloom_treeview::itemsChanged() {
  std::vector<HTREEITEM> selected;
  for (int r : m_sel) selected.push_back(itemAtRow(r));
  HTREEITEM last = itemAtRow(m_selRow);
  pruneExpanded();
  m_rows.clear();
  addRows(m_items, 0, m_rows);
  std::vector<int> rows;
  for (HTREEITEM it : selected) {
    int r = rowForItem(it);
    if (r >= 0 && it != last) rows.push_back(r);
  }
  if (rowForItem(last) >= 0) rows.push_back(rowForItem(last));
  m_sel.clear();
  m_selRow = -1;
  if (!rows.empty()) setSelection(rows);
  reloadData();
}

int Shim_vHarshbloom_treeview::rowForItem(HTREEITEM it) const {
  if (!it) return -1;
  for (size_t i = 0; i < m_rows.size(); ++i)
    if (m_rows[i].item == it) return int(i);
  return -1;
}

HTREEITEM Shim_vHarshbloom_treeview::itemAtRow(int row) const {
  return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].item : nullptr;
}

int Shim_vHarshbloom_treeview::levelOfRow(int row) const {
  return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].level : 0;
}

void Shim_vHarshbloom_treeview::expandItem(HTREEITEM it) {
  if (!isExpandable(it) || isItemExpanded(it)) return;
  m_expanded.insert(it);
  itemsChanged();
}

void Shim_vHarshbloom_treeview::collapseItem(HTREEITEM it) {
  if (!isItemExpanded(it)) return;
  m_expanded.erase(it);
  itemsChanged();
}

void Shim_vHarshbloom_treeview::removeItem(HTREEITEM__* parent, int idx) {
  KIT_PtrList<HTREEITEM__>* list = childList(parent);
  if (idx >= 0 && idx < list->GetSize()) list->Delete(idx, true);
  itemsChanged();
}

void Shim_vHarshbloom_treeview::removeAll() {
  m_items.Empty(true);
  itemsChanged();
}

Rect Shim_vHarshbloom_treeview::disclosureRect(int row) const {
  Rect r = rectOfRow(row);
  return {m_indent * levelOfRow(row), r.y, 16, r.h};
}

void Shim_vHarshbloom_treeview::draw(plat::DrawContext& ctx, const Rect& dirty) {
  drawRowBackgrounds(ctx, dirty);
  int n = numberOfRows();
  int first = std::max(0, int(floor(dirty.y / kRowPitch)));
  int last = std::min(n - 1, int(floor(dirty.maxY() / kRowPitch)));
  plat::TextBoxStyle st;
  st.centerVertically = true;
  st.ellipsis = true;
  for (int r = first; r <= last; ++r) {
    HTREEITEM__* it = m_rows[size_t(r)].item;
    uint32_t ink = textColorForRow(r);
    Rect d = disclosureRect(r);
    if (it->m_expandable) {
      // A small triangle: pointing right when collapsed, down when expanded.
      double cx = d.x + 8, cy = d.y + d.h / 2;
      bool open = isItemExpanded(it);
      for (int k = 0; k < 4; ++k) {
        double half = 3 - k;
        if (open) ctx.fillRect({cx - half, cy - 2 + k, 2 * half + 1, 1}, 0xFF707070);
        else ctx.fillRect({cx - 2 + k, cy - half, 1, 2 * half + 1}, 0xFF707070);
      }
    }
    double x = d.maxX() + 2;
    Rect tr{x, d.y, std::max(0.0, m_columnWidth - x - 2), d.h};
    plat::drawTextInRect(ctx, m_font, it->m_text ? it->m_text : "", tr, ink, st);
  }
}

LRESULT Shim_vHarshbloom_treeview::sendCode(int code, HWND to) {
  // The header followed by zeros, as long as a list-view record.
  struct {
    NMHDR hdr;
    unsigned char zeros[28];
  } rec;
  memset(&rec, 0, sizeof rec);
  rec.hdr = NMHDR{SHIM_H(this), (UINT_PTR)tag(), (UINT)code};
  return sendNotify(to, &rec.hdr);
}

void Shim_vHarshbloom_treeview::userSelectionChanged() {
  NMTREEVIEW nm;
  memset(&nm, 0, sizeof nm);
  nm.hdr = NMHDR{SHIM_H(this), (UINT_PTR)tag(), (UINT)TVN_SELCHANGED};
  sendNotify(m_target, &nm.hdr);
}

void Shim_vHarshbloom_treeview::userDoubleClicked(const plat::Event&, int) { sendCode(NM_DBLCLK, m_target); }

void Shim_vHarshbloom_treeview::mouseDown(const plat::Event& e) {
  if ((e.modifierFlags & plat::kModControl) && IsRightClickEmulateEnabled()) {
    m_fakerightmouse = true;
    return;
  }
  Ref<View> hold(this);
  sendCode(NM_CLICK, m_target);
  m_fakerightmouse = false;
  Point p = localPoint(e);
  int row = rowAtPoint(p);
  HTREEITEM it = itemAtRow(row);
  if (it && it->m_expandable && disclosureRect(row).contains(p)) {
    if (window() && window()->firstResponder() != this) window()->makeFirstResponder(this);
    if (isItemExpanded(it)) collapseItem(it);
    else expandItem(it);
    return;
  }
  tableClick(e);
}

void Shim_vHarshbloom_treeview::mouseUp(const plat::Event& e) {
  if (m_fakerightmouse || (e.modifierFlags & plat::kModControl)) rightMouseUp(e);
}

void Shim_vHarshbloom_treeview::rightMouseUp(const plat::Event&) {
  Ref<View> hold(this);
  if (sendCode(NM_RCLICK, m_target) == 0 && m_target) {
    POINT pt;
    GetCursorPos(&pt);
    SendMessage(m_target, WM_CONTEXTMENU, (WPARAM)SHIM_H(this), packPoint(pt.x, pt.y));
  }
  m_fakerightmouse = false;
}

void Shim_vHarshbloom_treeview::keyDown(const plat::Event& e) {
  HTREEITEM it = itemAtRow(m_selRow);
  bool left = e.keyCode == plat::key::LeftArrow, right = e.keyCode == plat::key::RightArrow;
  if (it && (left || right)) {
    if (right) expandItem(it);
    else collapseItem(it);
    return;
  }
  SHIM_TableBase::keyDown(e);
}

// ---------------------------------------------------------------------------
// Functions

namespace {
Shim_vHarshbloom_treeview* TV(HWND h) { return SHIM_TreeView(h); }

void selectionNotify(HWND h, Shim_vHarshbloom_treeview* tv, bool* flag) {
  if (*flag) return;
  NMTREEVIEW nm;
  memset(&nm, 0, sizeof nm);
  nm.hdr = NMHDR{h, (UINT_PTR)tv->tag(), (UINT)TVN_SELCHANGED};
  *flag = true;
  SendMessage(GetParent(h), WM_NOTIFY, (WPARAM)tv->tag(), (LPARAM)&nm);
  *flag = false;
}
}  // namespace

HTREEITEM TreeView_InsertItem(HWND h, TVINSERTSTRUCT* ins) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  if (!tv || !ins) return nullptr;
  HTREEITEM__* parent = nullptr;
  if (ins->hParent && !isSpecial(ins->hParent)) {
    if (!tv->findItem(ins->hParent, nullptr, nullptr)) return nullptr;
    parent = ins->hParent;
  }
  KIT_PtrList<HTREEITEM__>* list = tv->childList(parent);
  int pos = 0;
  HTREEITEM after = ins->hInsertAfter;
  if (!after || after == TVI_LAST || after == TVI_SORT) {
    pos = list->GetSize();
  } else if (after != TVI_FIRST) {
    for (int i = 0; i < list->GetSize(); ++i)
      if (list->Get(i) == after) pos = i + 1;
  }
  auto* it = new HTREEITEM__();
  const TVITEM& item = ins->item;
  if (item.mask & TVIF_CHILDREN) it->m_expandable = item.cChildren != 0;
  if (item.mask & TVIF_PARAM) it->m_lparam = item.lParam;
  if ((item.mask & TVIF_TEXT) && item.pszText) it->m_text = strdup(item.pszText);
  if (!list->Insert(pos, it)) {
    delete it;
    return nullptr;
  }
  tv->itemsChanged();
  return it;
}

void TreeView_DeleteItem(HWND h, HTREEITEM item) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  HTREEITEM__* par = nullptr;
  int idx = -1;
  if (!tv || !tv->findItem(item, &par, &idx)) return;
  tv->removeItem(par, idx);
}

void TreeView_DeleteAllItems(HWND h) {
  if (Shim_vHarshbloom_treeview* tv = TV(h)) tv->removeAll();
}

BOOL TreeView_Expand(HWND h, HTREEITEM item, UINT flag) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  if (!tv || !item || !tv->findItem(item, nullptr, nullptr)) return FALSE;
  bool open = tv->isItemExpanded(item);
  bool expand = flag == TVE_EXPAND || (flag == TVE_TOGGLE && !open);
  bool collapse = flag == TVE_COLLAPSE || (flag == TVE_TOGGLE && open);
  if (expand && !open && tv->isExpandable(item)) {
    tv->expandItem(item);
    return TRUE;
  }
  if (collapse && open) {
    tv->collapseItem(item);
    return TRUE;
  }
  return FALSE;
}

HTREEITEM TreeView_GetSelection(HWND h) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  return tv ? tv->itemAtRow(tv->selectedRow()) : nullptr;
}

void TreeView_SelectItem(HWND h, HTREEITEM item) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  if (!tv) return;
  Ref<View> hold(tv);
  if (!item) {
    tv->deselectAll();  // no item: nothing stays selected
  } else {
    int r = tv->rowForItem(item);
    if (r >= 0) tv->setSelection({r});
  }
  selectionNotify(h, tv, &g_selectNotifying);
}

BOOL TreeView_GetItem(HWND h, TVITEM* item) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  if (!tv || !item || !(item->mask & TVIF_HANDLE) || !item->hItem) return FALSE;
  // Only items of this tree are read: a stale handle is not touched.
  if (!tv->findItem(item->hItem, nullptr, nullptr)) return FALSE;
  HTREEITEM__* it = item->hItem;
  item->cChildren = it->m_expandable ? 1 : 0;
  item->lParam = it->m_lparam;
  if ((item->mask & TVIF_TEXT) && item->pszText && item->cchTextMax > 0) {
    const char* s = it->m_text ? it->m_text : "";
    size_t n = std::min(strlen(s), size_t(item->cchTextMax) - 1);
    memcpy(item->pszText, s, n);
    item->pszText[n] = 0;
  }
  int r = tv->rowForItem(it);
  item->state = (r >= 0 && tv->isRowSelected(r) ? TVIS_SELECTED : 0) | (tv->isItemExpanded(it) ? TVIS_EXPANDED : 0);
  return TRUE;
}

BOOL TreeView_SetItem(HWND h, TVITEM* item) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  if (!tv || !item || !(item->mask & TVIF_HANDLE) || !tv->findItem(item->hItem, nullptr, nullptr)) return FALSE;
  Ref<View> hold(tv);
  HTREEITEM__* it = item->hItem;
  if (item->mask & TVIF_CHILDREN) {
    it->m_expandable = item->cChildren != 0;
    tv->itemsChanged();
  }
  if (item->mask & TVIF_PARAM) it->m_lparam = item->lParam;
  if ((item->mask & TVIF_TEXT) && item->pszText) {
    char* copy = strdup(item->pszText);
    if (copy) {
      free(it->m_text);
      it->m_text = copy;
    }
    InvalidateRect(h, nullptr, FALSE);
  }
  if ((item->stateMask & TVIS_SELECTED) && (item->state & TVIS_SELECTED)) {
    int r = tv->rowForItem(it);
    if (r >= 0) {
      tv->setSelection({r});
      selectionNotify(h, tv, &g_setItemNotifying);
    }
  }
  if (plat::Object::isLive(tv) && tv->findItem(it, nullptr, nullptr) && (item->stateMask & TVIS_EXPANDED)) {
    if ((item->state & TVIS_EXPANDED) && !tv->isItemExpanded(it)) tv->expandItem(it);
    else if (!(item->state & TVIS_EXPANDED) && tv->isItemExpanded(it)) tv->collapseItem(it);
  }
  return TRUE;
}

HTREEITEM TreeView_HitTest(HWND h, TVHITTESTINFO* info) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  if (!tv || !info) return nullptr;
  Point pt{double(info->pt.x), double(info->pt.y)};
  for (int r = 0; r < tv->numberOfRows(); ++r)
    if (tv->rectOfRow(r).contains(pt)) return tv->itemAtRow(r);
  return nullptr;
}

HTREEITEM TreeView_GetRoot(HWND h) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  return tv ? tv->items().Get(0) : nullptr;
}

HTREEITEM TreeView_GetChild(HWND h, HTREEITEM item) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  if (!tv) return nullptr;
  if (!item) return tv->items().Get(0);
  if (!tv->findItem(item, nullptr, nullptr)) return nullptr;
  return item->m_childitems.Get(0);
}

HTREEITEM TreeView_GetNextSibling(HWND h, HTREEITEM item) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  if (!tv) return nullptr;
  if (!item) return tv->items().Get(0);
  HTREEITEM__* par = nullptr;
  int idx = -1;
  if (!tv->findItem(item, &par, &idx)) return nullptr;
  return tv->childList(par)->Get(idx + 1);
}

BOOL TreeView_SetIndent(HWND h, int indent) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  if (!tv) return FALSE;
  tv->setIndentation(indent);
  return TRUE;
}

BOOL TreeView_SetBkColor(HWND h, COLORREF c) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  if (!tv) return FALSE;
  tv->setBackgroundColor(0xFF000000u | (c & 0xFFFFFFu));
  return TRUE;
}

BOOL TreeView_SetTextColor(HWND h, COLORREF c) {
  Shim_vHarshbloom_treeview* tv = TV(h);
  if (!tv) return FALSE;
  tv->setTextColor(0xFF000000u | (c & 0xFFFFFFu));
  return TRUE;
}
