#include "lists_fixture.h"

#include <string.h>

std::vector<Note> g_notes;
LRESULT g_rclickAnswer = 0;
void (*g_onItemChanged)(HWND) = nullptr;

namespace {

LRESULT OwnerProc(HWND, UINT msg, WPARAM wp, LPARAM lp) {
  Note n;
  memset(&n.dis, 0, sizeof n.dis);
  n.msg = msg;
  n.wp = wp;
  n.lp = lp;
  n.from = nullptr;
  n.code = 0;
  n.item = n.sub = -99;
  n.newState = 0;
  n.pt = POINT{0, 0};
  n.param = 0;
  n.dropPoint = POINT{0, 0};
  switch (msg) {
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      n.from = hdr->hwndFrom;
      n.code = int(hdr->code);
      if (hdr->idFrom != wp) ADD_FAILURE() << "id and wParam differ";
      if (SHIM_ListView(hdr->hwndFrom)) {
        if (n.code == LVN_GETDISPINFO) {
          auto* di = reinterpret_cast<NMLVDISPINFO*>(lp);
          n.item = di->item.iItem;
          n.sub = di->item.iSubItem;
          snprintf(di->item.pszText, size_t(di->item.cchTextMax) + 1, "r%d c%d", di->item.iItem, di->item.iSubItem);
        } else {
          auto* nm = reinterpret_cast<NMLISTVIEW*>(lp);
          n.item = nm->iItem;
          n.sub = nm->iSubItem;
          n.newState = nm->uNewState;
          n.pt = nm->ptAction;
          n.param = nm->lParam;
        }
      }
      g_notes.push_back(n);
      if (n.code == LVN_ITEMCHANGED && g_onItemChanged) g_onItemChanged(hdr->hwndFrom);
      if (n.code == NM_RCLICK) return g_rclickAnswer;
      return 0;
    }
    case WM_COMMAND:
      n.code = HIWORD(wp);
      n.from = (HWND)lp;
      g_notes.push_back(n);
      return 0;
    case WM_DRAWITEM:
      n.dis = *reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      g_notes.push_back(n);
      return 1;
    case WM_DROPFILES: {
      HDROP d = (HDROP)wp;
      UINT count = DragQueryFile(d, 0xFFFFFFFFu, nullptr, 0);
      for (UINT i = 0; i < count; ++i) {
        char buf[512];
        DragQueryFile(d, i, buf, sizeof buf);
        n.files.push_back(buf);
      }
      DragQueryPoint(d, &n.dropPoint);
      n.recordBytes.assign(static_cast<const char*>(d), GlobalSize(d));
      g_notes.push_back(n);
      return 0;
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      g_notes.push_back(n);
      return 0;
    default: return 0;
  }
}

}  // namespace

void ListsTest::SetUp() {
  ShimTest::SetUp();
  g_notes.clear();
  g_rclickAnswer = 0;
  g_onItemChanged = nullptr;
  dlg = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)OwnerProc, 0);
  SetWindowPos(dlg, nullptr, 100, 100, 400, 300, SWP_NOZORDER);
  ShowWindow(dlg, SW_SHOW);
  SetFocus(dlg);
}

void ListsTest::TearDown() {
  g_onItemChanged = nullptr;
  if (IsWindow(dlg)) DestroyWindow(dlg);
  ShimTest::TearDown();
}

HWND ListsTest::make(const char* classname, int id, int style, int x, int y, int w, int h) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, dlg, false, false);
  return SHIM_MakeControl("", id, classname, style, x, y, w, h, 0);
}

void ListsTest::mouse(HWND view, plat::EventType type, double x, double y, int clicks, uint32_t mods) {
  plat::View* v = SHIM_View(view);
  plat::Event e;
  e.type = type;
  e.window = v->window();
  e.location = v->convertToWindow({x, y});
  e.clickCount = clicks;
  e.modifierFlags = mods;
  e.timestamp = plat::app().now();
  plat::app().sendEvent(e);
}

void ListsTest::click(HWND view, double x, double y, int clicks, uint32_t mods) {
  mouse(view, plat::EventType::LeftMouseDown, x, y, clicks, mods);
  mouse(view, plat::EventType::LeftMouseUp, x, y, clicks, mods);
}

std::vector<Note> ListsTest::notes(UINT msg, int code) const {
  std::vector<Note> out;
  for (const Note& n : g_notes)
    if (n.msg == msg && (msg != WM_NOTIFY || n.code == code)) out.push_back(n);
  return out;
}

void ListsTest::display() {
  plat::Window* w = SHIM_WindowOf(dlg);
  w->display();
}
