// Memory contexts, the record pools, drawing objects and their selection,
// the context state and contexts of windows and views.

#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "../shim/shim_fixture.h"
#include "gdi_test_util.h"
#include "shim-gdi-internal.h"

namespace {

TEST(MemContext, ThreeByTwoHasTwelveByteRowsOnA64ByteBoundary) {
  HDC dc = SHIM_CreateMemContext(nullptr, 3, 2);
  ASSERT_NE(dc, nullptr);
  unsigned char* fb = (unsigned char*)SHIM_GetCtxFrameBuffer(dc);
  ASSERT_NE(fb, nullptr);
  EXPECT_EQ((uintptr_t)fb % 64, 0u);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(fb[i], 0) << i;  // zero-filled
  // A red-green-blue pixel drawn at (0, 0) lands in the first four bytes as
  // B, G, R; (0, 1) starts 12 bytes on.
  HBRUSH b = CreateSolidBrush(0x123456);
  RECT r{0, 0, 1, 1};
  SHIM_FillRect(dc, &r, b);
  EXPECT_EQ(fb[0], 0x56);
  EXPECT_EQ(fb[1], 0x34);
  EXPECT_EQ(fb[2], 0x12);
  EXPECT_EQ(fb[4], 0);
  RECT r2{0, 1, 1, 2};
  SHIM_FillRect(dc, &r2, b);
  EXPECT_EQ(fb[12], 0x56);
  EXPECT_EQ(fb[14], 0x12);
  DeleteObject(b);
  SHIM_DeleteGfxContext(dc);
}

TEST(MemContext, SizesWhoseBytesDoNotFitAreRefused) {
  // 65536 x 16385 x 4 is 2^32 + 262144 bytes: in 32 bits it wraps to a tiny
  // block that the frame buffer would overrun.
  EXPECT_EQ(SHIM_CreateMemContext(nullptr, 65536, 16385), nullptr);
  EXPECT_EQ(SHIM_CreateMemContext(nullptr, 0x7fffffff, 0x7fffffff), nullptr);
  EXPECT_EQ(SHIM_CreateMemContext(nullptr, 40000, 20000), nullptr);  // 3.2e9 bytes
  EXPECT_EQ(SHIM_CreateMemContext(nullptr, 0, 5), nullptr);
  EXPECT_EQ(SHIM_CreateMemContext(nullptr, 5, -1), nullptr);
  HDC ok = SHIM_CreateMemContext(nullptr, 1024, 1024);
  EXPECT_NE(ok, nullptr);
  SHIM_DeleteGfxContext(ok);
}

TEST(MemContext, OnlyMemoryContextsHaveFrameBuffers) {
  HDC scratch = SHIM_CreateGfxContext(nullptr);
  ASSERT_NE(scratch, nullptr);
  EXPECT_EQ(SHIM_GetCtxFrameBuffer(scratch), nullptr);
  EXPECT_EQ(SHIM_GetCtxGC(scratch), nullptr);
  SHIM_DeleteGfxContext(scratch);
  EXPECT_EQ(SHIM_GetCtxFrameBuffer(nullptr), nullptr);
}

TEST(Handles, NullForeignAndDeletedHandlesGiveNeutralResults) {
  int foreign[16] = {};
  HDC bad[] = {nullptr, (HDC)foreign, (HDC)(intptr_t)3};
  for (HDC dc : bad) {
    EXPECT_EQ(GetTextColor(dc), -1);
    EXPECT_EQ(SetTextColor(dc, 5), -1);
    EXPECT_EQ(SelectObject(dc, (HGDIOBJ)(intptr_t)1), nullptr);
    RECT r{0, 0, 10, 10};
    EXPECT_EQ(SHIM_DrawText(dc, "x", -1, &r, DT_CALCRECT), 0);
    TEXTMETRIC tm;
    EXPECT_FALSE(GetTextMetrics(dc, &tm));
    EXPECT_EQ(tm.tmHeight, 16);  // the defaults are written all the same
    EXPECT_EQ(tm.tmAscent, 12);
    EXPECT_EQ(tm.tmDescent, 4);
    EXPECT_EQ(tm.tmInternalLeading, 3);
    EXPECT_EQ(tm.tmAveCharWidth, 10);
    SHIM_DeleteGfxContext(dc);  // no effect, no crash
  }
  EXPECT_FALSE(DeleteObject((HGDIOBJ)foreign));
  EXPECT_EQ(SHIM_CloneGDIObject((HGDIOBJ)foreign), nullptr);

  HDC dc = SHIM_CreateMemContext(nullptr, 4, 4);
  SHIM_DeleteGfxContext(dc);
  EXPECT_EQ(GetTextColor(dc), -1);
  EXPECT_EQ(SHIM_GetCtxFrameBuffer(dc), nullptr);
  HPEN pen = CreatePen(0, 1, 0);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));
}

TEST(Pools, HoldAtMost100ContextsAnd200Objects) {
  int ctx0, obj0;
  std::vector<HDC> dcs;
  for (int i = 0; i < 130; ++i) dcs.push_back(SHIM_CreateGfxContext(nullptr));
  std::vector<HGDIOBJ> objs;
  for (int i = 0; i < 230; ++i) objs.push_back(CreateSolidBrush(i));
  SHIM_Internal_GdiPoolSizes(&ctx0, &obj0);
  EXPECT_EQ(ctx0, 0);
  EXPECT_EQ(obj0, 0);
  for (HDC d : dcs) SHIM_DeleteGfxContext(d);
  for (HGDIOBJ o : objs) DeleteObject(o);
  int ctx1, obj1;
  SHIM_Internal_GdiPoolSizes(&ctx1, &obj1);
  EXPECT_EQ(ctx1, 100);
  EXPECT_EQ(obj1, 200);
  // A pooled record comes back cleared.
  HDC again = SHIM_CreateGfxContext(nullptr);
  EXPECT_EQ(GetTextColor(again), 0);
  SHIM_DeleteGfxContext(again);
}

TEST(Objects, SelectionReturnsPseudoHandlesForEmptySlots) {
  MemDC dc(4, 4);
  HPEN pen = CreatePen(0, 2, 0xFF0000);
  HPEN pen2 = CreatePen(0, 1, 0x00FF00);
  HBRUSH brush = CreateSolidBrush(0x0000FF);
  EXPECT_EQ(SelectObject(dc, pen), (HGDIOBJ)(intptr_t)1);
  EXPECT_EQ(SelectObject(dc, pen), pen);  // the same again
  EXPECT_EQ(SelectObject(dc, pen2), pen);
  EXPECT_EQ(SelectObject(dc, brush), (HGDIOBJ)(intptr_t)2);
  // Selecting the pseudo-handle empties the slot and gives the object back.
  EXPECT_EQ(SelectObject(dc, (HGDIOBJ)(intptr_t)1), pen2);
  EXPECT_EQ(SelectObject(dc, (HGDIOBJ)(intptr_t)1), (HGDIOBJ)(intptr_t)1);
  // Images, other pseudo-handles and deleted objects cannot be selected.
  EXPECT_EQ(SelectObject(dc, (HGDIOBJ)(intptr_t)4), nullptr);
  HBITMAP img = CreateBitmap(2, 2, 1, 32, nullptr);
  EXPECT_EQ(SelectObject(dc, img), nullptr);
  DeleteObject(pen2);
  EXPECT_EQ(SelectObject(dc, pen2), nullptr);
  // A selected object that was deleted no longer counts as selected.
  EXPECT_EQ(SelectObject(dc, brush), brush);
  DeleteObject(brush);
  EXPECT_EQ(SelectObject(dc, (HGDIOBJ)(intptr_t)2), (HGDIOBJ)(intptr_t)2);
  DeleteObject(pen);
  DeleteObject(img);
}

TEST(Objects, ClonesCountAndStockObjectsStay) {
  HBRUSH b = CreateSolidBrush(1);
  EXPECT_EQ(SHIM_CloneGDIObject(b), b);
  EXPECT_TRUE(DeleteObject(b));   // drops the clone's reference
  EXPECT_TRUE(DeleteObject(b));   // deletes
  EXPECT_FALSE(DeleteObject(b));  // gone
  HGDIOBJ pen = GetStockObject(SHIM_STOCK_NULL_PEN), brush = GetStockObject(SHIM_STOCK_NULL_BRUSH);
  ASSERT_NE(pen, nullptr);
  ASSERT_NE(brush, nullptr);
  EXPECT_EQ(GetStockObject(3), nullptr);
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(GetStockObject(SHIM_STOCK_NULL_PEN), pen);
  MemDC dc(2, 2);
  EXPECT_EQ(SelectObject(dc, pen), (HGDIOBJ)(intptr_t)1);
  EXPECT_EQ(SelectObject(dc, brush), (HGDIOBJ)(intptr_t)2);
}

TEST(Objects, PenWidthsAndColours) {
  SHIM_GdiObject* p = SHIM_GdiObj(CreatePen(0, -3, 0x102030));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->type, 1u);
  EXPECT_EQ(p->width, 0);
  EXPECT_EQ(p->color, 0xFF102030u);
  SHIM_GdiObject* q = SHIM_GdiObj(CreateSolidBrushAlpha(0x405060, 0.5f));
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->type, 2u);
  EXPECT_EQ(q->color, 0x80405060u);
  DeleteObject((HGDIOBJ)p);
  DeleteObject((HGDIOBJ)q);
}

TEST(State, ColoursModesAndPosition) {
  MemDC dc(2, 2);
  EXPECT_EQ(GetTextColor(dc), 0);
  EXPECT_EQ(SetTextColor(dc, 0xABCDEF), 0);
  EXPECT_EQ(GetTextColor(dc), 0xABCDEF);
  EXPECT_EQ(SetBkColor(dc, 7), 0);
  EXPECT_EQ(SetBkColor(dc, 8), 7);
  EXPECT_EQ(SetBkMode(dc, 1), 0);
  EXPECT_EQ(SetBkMode(dc, 2), 1);
  POINT old{-1, -1};
  EXPECT_TRUE(MoveToEx(dc, 5, 6, &old));
  EXPECT_EQ(old.x, 0);
  EXPECT_TRUE(MoveToEx(dc, 1, 1, &old));
  EXPECT_EQ(old.x, 5);
  EXPECT_EQ(old.y, 6);
}

TEST(State, ClipRegionsNarrowAndRestore) {
  MemDC dc(8, 8, 0xFF000000);
  HBRUSH b = CreateSolidBrush(0xFFFFFF);
  RECT all{0, 0, 8, 8}, clip{2, 2, 4, 5};
  SHIM_PushClipRegion(dc);
  SHIM_SetClipRegion(dc, &clip);
  SHIM_FillRect(dc, &all, b);
  EXPECT_EQ(dc.countNot(0), 2 * 3);
  EXPECT_EQ(dc.rgb(2, 2), 0xFFFFFFu);
  EXPECT_EQ(dc.rgb(4, 2), 0u);
  SHIM_PopClipRegion(dc);
  SHIM_FillRect(dc, &all, b);
  EXPECT_EQ(dc.countNot(0), 64);
  DeleteObject(b);
}

// --- contexts of windows and views

class WindowDC : public ShimTest {};

LRESULT PaintingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    HDC dc = (HDC)wp;
    // GetDC during the paint hands back the paint's own context.
    HDC again = GetDC(h);
    EXPECT_EQ(again, dc);
    HBRUSH b = CreateSolidBrush(0x00FF00);
    RECT r{0, 0, 5, 5};
    SHIM_FillRect(again, &r, b);
    DeleteObject(b);
    EXPECT_EQ(ReleaseDC(h, again), 1);
    EXPECT_EQ(GetTextColor(dc), 0);  // still alive after the release
    return 0;
  }
  return RecordingProc(h, msg, wp, lp);
}

TEST_F(WindowDC, PaintContextAndDrawingOutsideAPaint) {
  HWND dlg = SHIM_CreateDialog(nullptr, SHIM_RESID_NORESOURCE(1), nullptr, (DLGPROC)RecordingProc, 0);
  ASSERT_NE(dlg, nullptr);
  SetWindowPos(dlg, nullptr, 0, 0, 40, 30, 0);
  SetWindowLong(dlg, GWL_WNDPROC, (LONG_PTR)PaintingProc);
  plat::Window* win = SHIM_WindowOf(dlg);
  ASSERT_NE(win, nullptr);
  ShowWindow(dlg, SW_SHOW);
  win->display();
  EXPECT_EQ(win->backing().pixel(2, 2) & 0xFFFFFF, 0x00FF00u);

  // Outside a paint: straight into the backing bitmap.
  HDC dc = GetDC(dlg);
  ASSERT_NE(dc, nullptr);
  HBRUSH b = CreateSolidBrush(0xFF0000);
  RECT r{10, 10, 12, 11};
  SHIM_FillRect(dc, &r, b);
  EXPECT_EQ(ReleaseDC(dlg, dc), 1);
  EXPECT_EQ(GetTextColor(dc), -1);  // released
  EXPECT_EQ(win->backing().pixel(10, 10) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(win->backing().pixel(12, 10) & 0xFFFFFF, win->backing().pixel(20, 20) & 0xFFFFFF);
  DeleteObject(b);
  DestroyWindow(dlg);
  EXPECT_EQ(GetDC(nullptr), nullptr);
}

}  // namespace
