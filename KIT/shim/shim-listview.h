#pragma once

// List views ("SysListView32") and list boxes ("SysListView32_LB"): one
// table control that keeps its rows itself, or in owner-data mode only a row
// count and asks its owner for each cell's text. The ListView_* and Header_*
// functions, the list-box messages, mouse handling with its notifications,
// sorting, and the rows, columns and header drawn as a plain view inside a
// scroll view.
//
// The table base below is shared with the tree view (shim-treeview.h): rows
// of one height, a selection, scrolling inside the enclosing clip view,
// selection colours and the owner that receives notifications.

#include <string>
#include <vector>

#include "platform/controls.h"
#include "ptrlist.h"
#include "shim-controls.h"

// --- records and numbers

typedef struct tagLVITEM {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  char* pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
} LVITEM;

typedef struct tagLVCOLUMN {
  UINT mask;
  int fmt;
  int cx;
  char* pszText;
  int cchTextMax;
  int iSubItem;
} LVCOLUMN;

typedef struct tagHDITEM {
  UINT mask;
  int cxy;
  char* pszText;
  HBITMAP hbm;
  int cchTextMax;
  int fmt;
  LPARAM lParam;
} HDITEM;

typedef struct tagLVHITTESTINFO {
  POINT pt;
  UINT flags;
  int iItem;
  int iSubItem;
} LVHITTESTINFO;

typedef struct tagNMLISTVIEW {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
} NMLISTVIEW;

typedef struct tagNMLVDISPINFO {
  NMHDR hdr;
  LVITEM item;
} NMLVDISPINFO;

// Style bits (this layer's values).
#define LVS_REPORT 0x0001
#define LVS_SINGLESEL 0x0004
#define LVS_SORTASCENDING 0x0010
#define LVS_SORTDESCENDING 0x0020
#define LVS_OWNERDATA 0x1000
#define LVS_NOCOLUMNHEADER 0x4000
#define LVS_NOSORTHEADER 0x8000
#define LBS_SORT 0x0002
#define LBS_OWNERDRAWFIXED 0x0010
#define LBS_EXTENDEDSEL 0x0800
#define LVS_EX_GRIDLINES 0x0001
#define LVS_EX_HEADERDRAGDROP 0x0010

#define LVIF_TEXT 0x0001
#define LVIF_IMAGE 0x0002
#define LVIF_PARAM 0x0004
#define LVIF_STATE 0x0008
#define LVIS_SELECTED 0x0001
#define LVIS_FOCUSED 0x0002
#define LVIS_STATEIMAGEMASK 0xFF0000
#define LVNI_SELECTED 0x0001
#define LVNI_FOCUSED 0x0002
#define LVCF_FMT 0x0001
#define LVCF_WIDTH 0x0002
#define LVCF_TEXT 0x0004
#define LVCFMT_LEFT 0
#define LVCFMT_RIGHT 1
#define LVCFMT_CENTER 2
#define HDI_FORMAT 0x0004
#define HDF_SORTDOWN 0x0200
#define HDF_SORTUP 0x0400
// Which image list (this layer's numbers): state images or small images.
#define LVSIL_STATE 1
#define LVSIL_SMALL 2

#define LVHT_NOWHERE 0x0001
#define LVHT_ONITEMLABEL 0x0004
#define LVHT_ONITEMSTATEICON 0x0008
#define LVHT_ABOVE 0x0010
#define LVHT_BELOW 0x0020
#define LVHT_TORIGHT 0x0040
#define LVHT_TOLEFT 0x0080

#define NM_CLICK (-2)
#define NM_DBLCLK (-3)
#define NM_RCLICK (-5)
#define LVN_ITEMCHANGED (-101)
#define LVN_COLUMNCLICK (-108)
#define LVN_BEGINDRAG (-109)
#define LVN_GETDISPINFO (-150)

#define WM_SETREDRAW 0x000B
#define LB_ADDSTRING 0x0180
#define LB_INSERTSTRING 0x0181
#define LB_DELETESTRING 0x0182
#define LB_GETTEXT 0x0183
#define LB_RESETCONTENT 0x0184
#define LB_SETSEL 0x0185
#define LB_SETCURSEL 0x0186
#define LB_GETSEL 0x0187
#define LB_GETCURSEL 0x0188
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_GETSELCOUNT 0x0190
#define LB_GETITEMDATA 0x0199
#define LB_SETITEMDATA 0x019A
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define ODT_LISTBOX 2

// The most a list-box text read through LB_GETTEXT (and counted by
// LB_GETTEXTLEN) can be, terminator included: the message carries no buffer
// size, so the layer caps what it copies.
#define SHIM_LB_MAXTEXT 1024

// --- the shared table base

// Draws the image `index` (1-based) of an image list into r; false when the
// list has no such image. Installed by the unit that owns image lists.
typedef bool (*SHIM_ImageListDrawer)(HIMAGELIST list, int index, plat::DrawContext& ctx,
                                     const plat::Rect& r);
void SHIM_Internal_SetImageListDrawer(SHIM_ImageListDrawer drawer);

class SHIM_TableBase : public plat::View,
                       public SHIM_MessageTarget,
                       public SHIM_StyleHolder,
                       public SHIM_FontHolder {
public:
  // Rows are kRowPitch apart; a cell sits inside its row and column with
  // the intercell spacing around it.
  static constexpr double kRowPitch = 19;
  static constexpr double kSpacingW = 3, kSpacingH = 2;
  static constexpr double kHeaderHeight = 20;

  explicit SHIM_TableBase(const plat::Rect& frame = {});

  int getShimStyle() override { return m_style; }
  void setShimStyle(int s) override { m_style = s; }
  // The owner view that receives notifications.
  HWND target() const { return m_target; }
  void setTarget(HWND t) { m_target = t; }

  virtual int numberOfRows() const = 0;
  // Rows start below the header (0 when there is none).
  virtual double headerHeight() const { return 0; }
  // The width the columns need (the view is at least as wide as its clip).
  virtual double contentWidth() const = 0;
  plat::Rect rectOfRow(int row) const;
  int rowAtPoint(const plat::Point& p) const;  // -1: none

  // --- selection: sorted row indexes, and the row last selected
  bool isRowSelected(int row) const;
  const std::vector<int>& selectedRows() const { return m_sel; }
  int numberOfSelectedRows() const { return int(m_sel.size()); }
  int selectedRow() const { return m_selRow; }
  bool allowsMultipleSelection() const { return m_multi; }
  void setAllowsMultipleSelection(bool m) { m_multi = m; }
  void selectRow(int row, bool extend);
  // Replaces the selection (the last of the rows becomes the selected row).
  void setSelection(std::vector<int> rows);
  void deselectRow(int row);
  void deselectAll();

  // --- scrolling inside the enclosing clip view
  plat::ClipView* clipView() const;
  // The part of the view the clip view shows (empty without one).
  plat::Rect visibleRect() const;
  void scrollRowToVisible(int row);
  void scrollRectToVisible(const plat::Rect& r);
  // Sizes the view to its rows and columns (at least the clip's size) and
  // redraws; drops selected rows that no longer exist.
  void reloadData();

  // --- colours (0xAARRGGBB)
  void setBackgroundColor(uint32_t c) {
    m_background = c;
    setNeedsDisplay(true);
  }
  uint32_t backgroundColor() const { return m_background; }
  void setTextColor(uint32_t c) {
    m_fgColor = c;
    m_hasFgColor = true;
    setNeedsDisplay(true);
  }
  // [focused fill, focused text, unfocused fill, unfocused text].
  void setSelectionColors(const std::vector<uint32_t>& c) {
    m_selColors = c;
    m_hasSelColors = true;
    setNeedsDisplay(true);
  }
  bool hasFocus() const;

  // --- platform hooks
  bool isFlipped() const override { return true; }
  bool isOpaque() const override { return true; }
  bool acceptsFirstResponder() const override { return true; }
  void setFrame(const plat::Rect& f) override;
  // Follows the clip view: as wide as it or the columns, whichever is more.
  void enclosingClipViewResized() override;
  void setNeedsDisplayInRect(const plat::Rect& r) override;
  void scrollWheel(const plat::Event& e) override;
  void keyDown(const plat::Event& e) override;
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;

protected:
  // The event's point in own coordinates.
  plat::Point localPoint(const plat::Event& e) const;
  // Fills the background and the selected rows' highlight in dirty.
  void drawRowBackgrounds(plat::DrawContext& ctx, const plat::Rect& dirty);
  // The colour of a row's text.
  uint32_t textColorForRow(int row) const;
  // The user changed the selection (a click, a key): tell the owner.
  virtual void userSelectionChanged() {}
  // A click the way the table itself handles it: selection by the
  // modifiers, the owner told; a double click reported.
  // `before`: the selection the owner last saw (null: the current one).
  void tableClick(const plat::Event& e, const std::vector<int>* before = nullptr);
  virtual void userDoubleClicked(const plat::Event&, int /*row*/) {}
  // WM_NOTIFY with a record starting with hdr to `to`.
  LRESULT sendNotify(HWND to, NMHDR* hdr);

  int m_style = 0;
  HWND m_target = nullptr;
  std::vector<int> m_sel;
  int m_selRow = -1;
  bool m_multi = false;
  uint32_t m_background = 0xFFFFFFFF;
  bool m_hasFgColor = false;
  uint32_t m_fgColor = 0xFF000000;
  bool m_hasSelColors = false;
  std::vector<uint32_t> m_selColors;
};

// --- the list view

struct SHIM_ListView_Row {
  SHIM_ListView_Row() = default;
  ~SHIM_ListView_Row();
  SHIM_ListView_Row(const SHIM_ListView_Row&) = delete;
  SHIM_ListView_Row& operator=(const SHIM_ListView_Row&) = delete;
  // The string of a column, "" when it has none.
  const char* text(int col) const;
  KIT_PtrList<char> m_texts{64};  // one strdup'ed string per column
  LPARAM m_lparam = 0;
  int m_image = 0;  // 1-based image index, 0 none
  int m_scratch = 0;
};

class Shim_vHarshbloom_listview : public SHIM_TableBase {
public:
  enum class Cell { Text, Status, OwnerDrawn };
  struct Column {
    std::string title;
    double width = 100;
    bool hidden = false;
    int headerAlign = 0;  // 0 left, 1 right, 2 centred
    int cellAlign = 0;
    Cell cell = Cell::Text;
    int sortIndicator = 0;  // HDF_SORTUP / HDF_SORTDOWN or 0
  };

  explicit Shim_vHarshbloom_listview(const plat::Rect& frame = {});

  // 1 list box, 0 list view.
  int getShimNotificationMode() const { return m_lbMode; }
  void setShimNotificationMode(int m) { m_lbMode = m; }
  bool isListBox() const { return m_lbMode != 0; }
  bool isOwnerData() const { return !m_lbMode && (m_style & LVS_OWNERDATA); }
  bool hasHeader() const;
  int itemCount() const { return isOwnerData() ? m_ownerCount : m_items.GetSize(); }
  SHIM_ListView_Row* row(int i) const { return m_items.Get(i); }

  // --- rows (no notification)
  int insertRow(int pos, SHIM_ListView_Row* r);
  void deleteRow(int i);
  void deleteAllRows();
  void setOwnerCount(int n);
  // Where a text goes in the sorted rows (descending: reversed order).
  int sortedPosition(const char* text, bool descending) const;
  void sortRows(int (*compf)(LPARAM, LPARAM, LPARAM), LPARAM parm);

  // --- columns: logical index = creation order; display order apart
  int columnCount() const { return int(m_cols.size()); }
  Column* column(int logical) const;
  int displayPosition(int logical) const;
  int logicalAtDisplay(int pos) const;
  // Appends a column; returns its logical index.
  int addColumn(const Column& c);
  bool removeColumn(int logical);
  void moveColumn(int fromDisplay, int toDisplay);
  // Logical column under a point (-1: none).
  int columnAtPoint(const plat::Point& p) const;
  // Cell frame of a row at a display position.
  plat::Rect frameOfCell(int displayPos, int row) const;
  double columnX(int displayPos) const;
  void setGridLines(bool g) {
    m_grid = g;
    setNeedsDisplay(true);
  }
  void setGridColor(uint32_t c) {
    m_gridColor = c;
    setNeedsDisplay(true);
  }
  void setAllowsColumnReordering(bool r) { m_reorder = r; }
  bool allowsColumnReordering() const { return m_reorder; }
  void setImageList(HIMAGELIST list, int type);
  HIMAGELIST imageList() const { return m_imageList; }
  int imageListType() const { return m_imageListType; }
  int fastClickMask() const { return m_fastClickMask; }
  void setFastClickMask(int m) { m_fastClickMask = m; }
  // Selects a row the way insertion and state changes do: extending the
  // selection where the style allows several rows.
  void selectRowByStyle(int row);

  // --- table base
  int numberOfRows() const override { return itemCount(); }
  double headerHeight() const override { return hasHeader() ? kHeaderHeight : 0; }
  double contentWidth() const override;

  LRESULT onShimMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  void mouseDown(const plat::Event& e) override;
  void mouseDragged(const plat::Event& e) override;
  void mouseUp(const plat::Event& e) override;
  void rightMouseDown(const plat::Event& e) override;
  void rightMouseUp(const plat::Event& e) override;

protected:
  ~Shim_vHarshbloom_listview() override;
  void userSelectionChanged() override;
  void userDoubleClicked(const plat::Event& e, int row) override;

private:
  // A cell's text and image as shown (owner-data: asked of the owner).
  void cellValue(int row, int logical, std::string* text, int* image);
  void drawHeader(plat::DrawContext& ctx);
  void headerClick(const plat::Event& e, const plat::Point& p);
  LRESULT sendClick(int code, const plat::Point& p, bool withParam);
  void sendMouseToTarget(UINT msg);
  void contextMenuFor(const plat::Point& p);

  int m_leftmousemovecnt = 0;
  bool m_fakerightmouse = false;
  int m_ownerCount = 0;
  int m_start_item = -1, m_start_subitem = -1;
  int m_start_item_clickmode = 0;
  int m_lbMode = 0;
  KIT_PtrList<SHIM_ListView_Row> m_items{4096};
  std::vector<Column*> m_cols;     // logical order
  std::vector<Column*> m_display;  // display order
  HIMAGELIST m_imageList = nullptr;
  int m_imageListType = -1;
  int m_fastClickMask = 0;
  int m_headerPress = -1;  // display position of a column pressed in the header
  bool m_grid = false, m_reorder = false;
  uint32_t m_gridColor = 0xFFD0D0D0;
};

inline Shim_vHarshbloom_listview* SHIM_ListView(HWND h) {
  return SHIM_As<Shim_vHarshbloom_listview>(h);
}

// Builds a list view, list box or tree view for the control factory (see
// SHIM_Internal_SetListControlMaker); installed when the application starts.
HWND SHIM_Internal_MakeListControl(plat::View* owner, const char* classname, int idx, int style,
                                   const plat::Rect& placed);

// --- functions

int ListView_InsertItem(HWND h, const LVITEM* item);
BOOL ListView_SetItem(HWND h, LVITEM* item);
BOOL ListView_GetItem(HWND h, LVITEM* item);
BOOL ListView_GetItemText(HWND h, int item, int subitem, char* text, int textmax);
void ListView_SetItemText(HWND h, int item, int subitem, const char* text);
BOOL ListView_SetItemState(HWND h, int item, UINT state, UINT mask);
UINT ListView_GetItemState(HWND h, int item, UINT mask);
void ListView_DeleteItem(HWND h, int item);
void ListView_DeleteAllItems(HWND h);
int ListView_GetItemCount(HWND h);
void ListView_SetItemCount(HWND h, int n);
int ListView_GetNextItem(HWND h, int start, int flags);
int ListView_GetSelectedCount(HWND h);
int ListView_GetSelectionMark(HWND h);
void ListView_RedrawItems(HWND h, int first, int last);
void ListView_SortItems(HWND h, int (*compf)(LPARAM, LPARAM, LPARAM), LPARAM parm);

void ListView_InsertColumn(HWND h, int pos, const LVCOLUMN* col);
void ListView_SetColumn(HWND h, int col, const LVCOLUMN* c);
BOOL ListView_DeleteColumn(HWND h, int col);
int ListView_GetColumnWidth(HWND h, int col);
void ListView_SetColumnWidth(HWND h, int col, int w);
BOOL ListView_GetColumnOrderArray(HWND h, int n, int* out);
BOOL ListView_SetColumnOrderArray(HWND h, int n, int* in);
void ListView_SetExtendedListViewStyleEx(HWND h, int mask, int style);
void ListView_SetImageList(HWND h, HIMAGELIST list, int which);
HWND ListView_GetHeader(HWND h);
int Header_GetItemCount(HWND h);
BOOL Header_GetItem(HWND h, int col, HDITEM* hi);
BOOL Header_SetItem(HWND h, int col, HDITEM* hi);
int SHIM_GetListViewHeaderHeight(HWND h);
void SHIM_SetListViewFastClickMask(HWND h, int mask);

int ListView_HitTest(HWND h, LVHITTESTINFO* info);
int ListView_SubItemHitTest(HWND h, LVHITTESTINFO* info);
BOOL ListView_GetItemRect(HWND h, int item, RECT* r, int code);
BOOL ListView_GetSubItemRect(HWND h, int item, int sub, int code, RECT* r);
int ListView_GetTopIndex(HWND h);
int ListView_GetCountPerPage(HWND h);
BOOL ListView_Scroll(HWND h, int dx, int dy);
BOOL ListView_GetScroll(HWND h, POINT* p);
void ListView_EnsureVisible(HWND h, int item, BOOL partial);

BOOL ListView_SetBkColor(HWND h, COLORREF c);
BOOL ListView_SetGridColor(HWND h, COLORREF c);
BOOL ListView_SetTextColor(HWND h, COLORREF c);
BOOL ListView_SetTextBkColor(HWND h, COLORREF c);
// For list views and tree views; a null array gives n black entries.
void ListView_SetSelColors(HWND h, int* colors, int n);
