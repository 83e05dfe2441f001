#pragma once

// Tree views ("SysTreeView32"): items in a tree of lists, shown as rows of
// one text column with disclosure triangles, the TreeView_* functions, mouse
// handling and the selection notification. Built on the list view's table
// base.

#include <set>
#include <vector>

#include "shim-listview.h"

typedef struct tagTVITEM {
  UINT mask;
  HTREEITEM hItem;
  UINT state;
  UINT stateMask;
  char* pszText;
  int cchTextMax;
  int iImage;
  int iSelectedImage;
  int cChildren;
  LPARAM lParam;
} TVITEM;

typedef struct tagTVINSERTSTRUCT {
  HTREEITEM hParent;
  HTREEITEM hInsertAfter;
  TVITEM item;
} TVINSERTSTRUCT;

typedef struct tagTVHITTESTINFO {
  POINT pt;
  UINT flags;
  HTREEITEM hItem;
} TVHITTESTINFO;

typedef struct tagNMTREEVIEW {
  NMHDR hdr;
  UINT action;
  TVITEM itemOld;
  TVITEM itemNew;
  POINT ptDrag;
} NMTREEVIEW;

// Special handles (this layer's values).
#define TVI_ROOT ((HTREEITEM)(ULONG_PTR)0xFFFF0000u)
#define TVI_FIRST ((HTREEITEM)(ULONG_PTR)0xFFFF0001u)
#define TVI_LAST ((HTREEITEM)(ULONG_PTR)0xFFFF0002u)
#define TVI_SORT ((HTREEITEM)(ULONG_PTR)0xFFFF0003u)

#define TVIF_TEXT 0x0001
#define TVIF_PARAM 0x0004
#define TVIF_STATE 0x0008
#define TVIF_HANDLE 0x0010
#define TVIF_CHILDREN 0x0040
#define TVIS_SELECTED 0x0002
#define TVIS_EXPANDED 0x0020
#define TVE_COLLAPSE 1
#define TVE_EXPAND 2
#define TVE_TOGGLE 3
#define TVN_SELCHANGED (-402)

// One item: its text, whether it shows as expandable, its value and its
// children (owned).
struct HTREEITEM__ {
  HTREEITEM__() = default;
  ~HTREEITEM__();
  HTREEITEM__(const HTREEITEM__&) = delete;
  HTREEITEM__& operator=(const HTREEITEM__&) = delete;
  // Searches the subtree below this item (not the item itself): its own
  // children first, then each child's subtree in order.
  bool FindItem(HTREEITEM it, HTREEITEM__** par, int* idx);

  bool m_expandable = false;
  char* m_text = nullptr;
  KIT_PtrList<HTREEITEM__> m_childitems{64};
  LPARAM m_lparam = 0;
};

class Shim_vHarshbloom_treeview : public SHIM_TableBase {
public:
  explicit Shim_vHarshbloom_treeview(const plat::Rect& frame = {});

  KIT_PtrList<HTREEITEM__>& items() { return m_items; }
  // Where an item sits: parent (null at the top level) and index.
  bool findItem(HTREEITEM it, HTREEITEM__** par, int* idx) const;
  // The list holding an item's children (the top level for null).
  KIT_PtrList<HTREEITEM__>* childList(HTREEITEM__* parent) { return parent ? &parent->m_childitems : &m_items; }

  // Rows: the items shown, top to bottom.
  int rowForItem(HTREEITEM it) const;
  HTREEITEM itemAtRow(int row) const;
  int levelOfRow(int row) const;
  bool isExpandable(HTREEITEM it) const { return it && it->m_expandable; }
  bool isItemExpanded(HTREEITEM it) const { return m_expanded.count(it) != 0; }
  void expandItem(HTREEITEM it);
  void collapseItem(HTREEITEM it);
  // Rebuilds the rows after items changed; selected items stay selected
  // while they have a row. Forgets items no longer in the tree.
  void itemsChanged();
  // Deletes an item and its subtree from wherever it is.
  void removeItem(HTREEITEM__* parent, int idx);
  void removeAll();

  void setIndentation(double d) {
    m_indent = d;
    setNeedsDisplay(true);
  }
  double indentation() const { return m_indent; }
  void setColumnWidth(double w) { m_columnWidth = w; }

  int numberOfRows() const override { return int(m_rows.size()); }
  double contentWidth() const override { return m_columnWidth; }

  LRESULT onShimMessage(UINT, WPARAM, LPARAM) override { return 0; }
  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  void mouseDown(const plat::Event& e) override;
  void mouseDragged(const plat::Event&) override {}
  void mouseUp(const plat::Event& e) override;
  void rightMouseDown(const plat::Event&) override {}
  void rightMouseUp(const plat::Event& e) override;
  void keyDown(const plat::Event& e) override;

protected:
  ~Shim_vHarshbloom_treeview() override;
  void userSelectionChanged() override;
  void userDoubleClicked(const plat::Event& e, int row) override;

private:
  struct Row {
    HTREEITEM__* item;
    int level;
  };
  void addRows(KIT_PtrList<HTREEITEM__>& list, int level, std::vector<Row>& out) const;
  void pruneExpanded();
  // The disclosure triangle's box in a row.
  plat::Rect disclosureRect(int row) const;
  LRESULT sendCode(int code, HWND to);

  bool m_fakerightmouse = false;
  KIT_PtrList<HTREEITEM__> m_items{64};
  std::set<HTREEITEM> m_expanded;
  std::vector<Row> m_rows;
  double m_indent = 16;
  double m_columnWidth = 300;
};

inline Shim_vHarshbloom_treeview* SHIM_TreeView(HWND h) { return SHIM_As<Shim_vHarshbloom_treeview>(h); }

HTREEITEM TreeView_InsertItem(HWND h, TVINSERTSTRUCT* ins);
void TreeView_DeleteItem(HWND h, HTREEITEM item);
void TreeView_DeleteAllItems(HWND h);
BOOL TreeView_Expand(HWND h, HTREEITEM item, UINT flag);
HTREEITEM TreeView_GetSelection(HWND h);
void TreeView_SelectItem(HWND h, HTREEITEM item);
BOOL TreeView_GetItem(HWND h, TVITEM* item);
BOOL TreeView_SetItem(HWND h, TVITEM* item);
HTREEITEM TreeView_HitTest(HWND h, TVHITTESTINFO* info);
HTREEITEM TreeView_GetRoot(HWND h);
HTREEITEM TreeView_GetChild(HWND h, HTREEITEM item);
HTREEITEM TreeView_GetNextSibling(HWND h, HTREEITEM item);
BOOL TreeView_SetIndent(HWND h, int indent);
BOOL TreeView_SetBkColor(HWND h, COLORREF c);
BOOL TreeView_SetTextColor(HWND h, COLORREF c);
