// Tree views: where items go, expansion, selection and its notification,
// deleting subtrees, reading items, hit tests and the mouse.

#include <string.h>

#include <string>

#include "lists_fixture.h"

namespace {

using TreeView = ListsTest;

HTREEITEM Add(HWND tv, HTREEITEM parent, HTREEITEM after, const char* text, bool children = false,
              LPARAM param = 0) {
  TVINSERTSTRUCT ins;
  memset(&ins, 0, sizeof ins);
  ins.hParent = parent;
  ins.hInsertAfter = after;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | (children ? TVIF_CHILDREN : 0);
  ins.item.pszText = const_cast<char*>(text);
  ins.item.cChildren = children ? 1 : 0;
  ins.item.lParam = param;
  return TreeView_InsertItem(tv, &ins);
}

std::string TextOf(HWND tv, HTREEITEM it) {
  char buf[64];
  TVITEM t;
  memset(&t, 0, sizeof t);
  t.mask = TVIF_HANDLE | TVIF_TEXT;
  t.hItem = it;
  t.pszText = buf;
  t.cchTextMax = sizeof buf;
  if (!TreeView_GetItem(tv, &t)) return "<none>";
  return buf;
}

// Texts of a level, first to last.
std::vector<std::string> Level(HWND tv, HTREEITEM parent) {
  std::vector<std::string> out;
  for (HTREEITEM it = TreeView_GetChild(tv, parent); it; it = TreeView_GetNextSibling(tv, it))
    out.push_back(TextOf(tv, it));
  return out;
}

UINT StateOf(HWND tv, HTREEITEM it) {
  TVITEM t;
  memset(&t, 0, sizeof t);
  t.mask = TVIF_HANDLE;
  t.hItem = it;
  TreeView_GetItem(tv, &t);
  return t.state;
}

BOOL SetState(HWND tv, HTREEITEM it, UINT mask, UINT state) {
  TVITEM t;
  memset(&t, 0, sizeof t);
  t.mask = TVIF_HANDLE;
  t.hItem = it;
  t.stateMask = mask;
  t.state = state;
  return TreeView_SetItem(tv, &t);
}

HTREEITEM At(HWND tv, int row) {
  TVHITTESTINFO hi;
  memset(&hi, 0, sizeof hi);
  hi.pt = POINT{40, row * 19 + 5};
  return TreeView_HitTest(tv, &hi);
}

class Tree : public ListsTest {
protected:
  void SetUp() override {
    ListsTest::SetUp();
    tv = make("SysTreeView32", 4, 0, 10, 10, 250, 200);
    fx = Add(tv, TVI_ROOT, TVI_LAST, "Effects", true);
    drive = Add(tv, fx, TVI_LAST, "Drive", false, 11);
    tone = Add(tv, fx, TVI_LAST, "Tone", true, 12);
    eq = Add(tv, tone, TVI_LAST, "EQ");
    out = Add(tv, TVI_ROOT, TVI_LAST, "Output", false, 20);
  }
  HWND tv = nullptr;
  HTREEITEM fx, drive, tone, eq, out;
};

TEST_F(TreeView, InsertionPlacesItemsWhereAsked) {
  HWND tv = make("SysTreeView32", 4, 0);
  ASSERT_NE(SHIM_TreeView(tv), nullptr);
  EXPECT_EQ(GetParent(tv), dlg);
  HTREEITEM b = Add(tv, nullptr, nullptr, "b");
  Add(tv, TVI_ROOT, TVI_FIRST, "a");
  Add(tv, TVI_ROOT, TVI_SORT, "0 sorted?");  // the end, unsorted
  Add(tv, TVI_ROOT, b, "b2");                // just after b
  HTREEITEM child = Add(tv, b, TVI_LAST, "child");
  Add(tv, TVI_ROOT, child, "stray");  // after an item not in this list: first
  EXPECT_EQ(Level(tv, nullptr), (std::vector<std::string>{"stray", "a", "b", "b2", "0 sorted?"}));
  EXPECT_EQ(Level(tv, b), (std::vector<std::string>{"child"}));
  EXPECT_EQ(TextOf(tv, TreeView_GetRoot(tv)), "stray");
  EXPECT_EQ(TreeView_GetChild(tv, child), nullptr);
  // An unknown parent refuses the item.
  HWND other = make("SysTreeView32", 5, 0, 250, 10, 100, 100);
  HTREEITEM foreign = Add(other, nullptr, nullptr, "elsewhere");
  EXPECT_EQ(Add(tv, foreign, TVI_LAST, "lost"), nullptr);
  EXPECT_EQ(TextOf(tv, foreign), "<none>");  // not an item of this tree
  // No text given: reads as "".
  TVINSERTSTRUCT ins;
  memset(&ins, 0, sizeof ins);
  HTREEITEM blank = TreeView_InsertItem(tv, &ins);
  EXPECT_EQ(TextOf(tv, blank), "");
  EXPECT_EQ(TreeView_InsertItem(dlg, &ins), nullptr);
}

TEST_F(Tree, ExpansionShowsChildrenOfExpandableItemsOnly) {
  EXPECT_EQ(SHIM_TreeView(tv)->numberOfRows(), 2);
  EXPECT_EQ(At(tv, 1), out);
  EXPECT_TRUE(TreeView_Expand(tv, fx, TVE_EXPAND));
  EXPECT_FALSE(TreeView_Expand(tv, fx, TVE_EXPAND));  // already expanded
  EXPECT_EQ(StateOf(tv, fx) & TVIS_EXPANDED, UINT(TVIS_EXPANDED));
  EXPECT_EQ(At(tv, 1), drive);
  EXPECT_EQ(At(tv, 3), out);
  EXPECT_TRUE(TreeView_Expand(tv, tone, TVE_TOGGLE));
  EXPECT_EQ(At(tv, 3), eq);
  // Drive was inserted without children: it never expands, even with some.
  Add(tv, drive, TVI_LAST, "Hidden");
  EXPECT_FALSE(TreeView_Expand(tv, drive, TVE_EXPAND));
  EXPECT_EQ(At(tv, 2), tone);
  EXPECT_FALSE(TreeView_Expand(tv, fx, 7));
  EXPECT_FALSE(TreeView_Expand(tv, nullptr, TVE_EXPAND));
  EXPECT_TRUE(TreeView_Expand(tv, fx, TVE_COLLAPSE));
  EXPECT_EQ(SHIM_TreeView(tv)->numberOfRows(), 2);
  EXPECT_FALSE(TreeView_Expand(tv, fx, TVE_COLLAPSE));
  // The inner expansion is remembered.
  EXPECT_TRUE(SetState(tv, fx, TVIS_EXPANDED, TVIS_EXPANDED));
  EXPECT_EQ(SHIM_TreeView(tv)->numberOfRows(), 5);
  TVHITTESTINFO miss;
  memset(&miss, 0, sizeof miss);
  miss.pt = POINT{40, 5 * 19};
  EXPECT_EQ(TreeView_HitTest(tv, &miss), nullptr);
}

TEST_F(Tree, SelectingTellsTheParentEvenWithoutARow) {
  TreeView_SelectItem(tv, out);
  EXPECT_EQ(TreeView_GetSelection(tv), out);
  std::vector<Note> n = notes(WM_NOTIFY, TVN_SELCHANGED);
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].from, tv);
  EXPECT_EQ(n[0].wp, 4u);
  EXPECT_EQ(StateOf(tv, out) & TVIS_SELECTED, UINT(TVIS_SELECTED));
  // EQ sits in a collapsed branch: told, but the selection stays.
  TreeView_SelectItem(tv, eq);
  EXPECT_EQ(notes(WM_NOTIFY, TVN_SELCHANGED).size(), 2u);
  EXPECT_EQ(TreeView_GetSelection(tv), out);
  // Expanding keeps the selected item selected though its row moved.
  TreeView_Expand(tv, fx, TVE_EXPAND);
  EXPECT_EQ(TreeView_GetSelection(tv), out);
  EXPECT_TRUE(SetState(tv, drive, TVIS_SELECTED, TVIS_SELECTED));
  EXPECT_EQ(TreeView_GetSelection(tv), drive);
  EXPECT_EQ(notes(WM_NOTIFY, TVN_SELCHANGED).size(), 3u);
  TreeView_SelectItem(tv, nullptr);
  EXPECT_EQ(TreeView_GetSelection(tv), nullptr);
}

TEST_F(Tree, DeletingAnItemTakesItsSubtree) {
  TreeView_Expand(tv, fx, TVE_EXPAND);
  TreeView_Expand(tv, tone, TVE_EXPAND);
  TreeView_SelectItem(tv, eq);
  TreeView_DeleteItem(tv, fx);
  EXPECT_EQ(Level(tv, nullptr), (std::vector<std::string>{"Output"}));
  EXPECT_EQ(TreeView_GetSelection(tv), nullptr);
  EXPECT_EQ(SHIM_TreeView(tv)->numberOfRows(), 1);
  // Gone handles are not read or changed.
  EXPECT_EQ(TextOf(tv, eq), "<none>");
  TVITEM t;
  memset(&t, 0, sizeof t);
  t.mask = TVIF_HANDLE | TVIF_PARAM;
  t.hItem = tone;
  EXPECT_FALSE(TreeView_SetItem(tv, &t));
  EXPECT_FALSE(TreeView_Expand(tv, tone, TVE_EXPAND));
  TreeView_DeleteItem(tv, tone);  // nothing happens
  TreeView_DeleteAllItems(tv);
  EXPECT_EQ(TreeView_GetRoot(tv), nullptr);
}

TEST_F(Tree, ItemsReadAndChange) {
  TVITEM t;
  memset(&t, 0, sizeof t);
  char small[4];
  memset(small, '#', sizeof small);
  t.mask = TVIF_HANDLE | TVIF_TEXT;
  t.hItem = fx;
  t.pszText = small;
  t.cchTextMax = 3;
  EXPECT_TRUE(TreeView_GetItem(tv, &t));
  EXPECT_EQ(std::string(small, 3), std::string("Ef\0", 3));
  EXPECT_EQ(small[3], '#');
  EXPECT_EQ(t.cChildren, 1);
  t.mask = TVIF_TEXT;  // without the handle flag nothing is read
  EXPECT_FALSE(TreeView_GetItem(tv, &t));
  t.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM;
  t.hItem = drive;
  t.pszText = const_cast<char*>("Fuzz");
  t.lParam = 99;
  EXPECT_TRUE(TreeView_SetItem(tv, &t));
  EXPECT_EQ(TextOf(tv, drive), "Fuzz");
  TVITEM r;
  memset(&r, 0, sizeof r);
  r.mask = TVIF_HANDLE;
  r.hItem = drive;
  TreeView_GetItem(tv, &r);
  EXPECT_EQ(r.lParam, 99);
  EXPECT_TRUE(TreeView_SetIndent(tv, 24));
  EXPECT_EQ(SHIM_TreeView(tv)->indentation(), 24);
}

TEST_F(Tree, ClicksTellTheOwnerAndOpenBranches) {
  click(tv, 40, 19 + 5);  // the Output row
  EXPECT_EQ(TreeView_GetSelection(tv), out);
  ASSERT_EQ(notes(WM_NOTIFY, NM_CLICK).size(), 1u);
  EXPECT_EQ(notes(WM_NOTIFY, TVN_SELCHANGED).size(), 1u);
  // The triangle of a collapsed item opens it without selecting.
  click(tv, 6, 5);
  EXPECT_EQ(SHIM_TreeView(tv)->numberOfRows(), 4);
  EXPECT_EQ(TreeView_GetSelection(tv), out);
  g_notes.clear();
  mouse(tv, plat::EventType::RightMouseUp, 40, 5);
  EXPECT_EQ(notes(WM_NOTIFY, NM_RCLICK).size(), 1u);
  ASSERT_EQ(notes(WM_CONTEXTMENU).size(), 1u);
  EXPECT_EQ((HWND)notes(WM_CONTEXTMENU)[0].wp, tv);
}

}  // namespace
