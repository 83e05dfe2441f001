// The name-to-function table. Add a function with one SHIM_API(name) line;
// the table is sorted by name on first use, so the order here is free.

#include "shim-appstub.h"

#include <stdlib.h>
#include <string.h>

#include <mutex>

#include "shim-dlg.h"
#include "shim-gdi-draw.h"
#include "shim-gdi.h"
#include "shim-misc.h"
#include "shim-wnd.h"
#include "shimappmain.h"

namespace {

struct ApiEntry {
  const char* name;
  void* func;
};

#define SHIM_API(fn) {#fn, reinterpret_cast<void*>(&fn)}

ApiEntry api_table[] = {
    // dialogs, window handles
    SHIM_API(SHIM_DialogBox),
    SHIM_API(SHIM_CreateDialog),
    SHIM_API(EndDialog),
    SHIM_API(SHIM_GetDefaultWindowMenu),
    SHIM_API(SHIM_SetDefaultWindowMenu),
    SHIM_API(SHIM_GetDefaultModalWindowMenu),
    SHIM_API(SHIM_SetDefaultModalWindowMenu),
    SHIM_API(SHIM_SetMenuDestination),
    // timers, queue, run loop
    SHIM_API(SetTimer),
    SHIM_API(KillTimer),
    SHIM_API(PostMessage),
    SHIM_API(SHIM_MessageQueue_Flush),
    SHIM_API(SHIM_MessageQueue_Clear),
    SHIM_API(SHIM_Internal_PostMessage_Init),
    SHIM_API(SHIM_PostQuitMessage),
    SHIM_API(SHIM_EnableRightClickEmulate),
    SHIM_API(SHIM_GetOSXVersion),
    SHIM_API(SHIM_DisableAppNap),
    SHIM_API(SHIM_EnsureMultithreadedCocoa),
    SHIM_API(SHIM_InitAutoRelease),
    SHIM_API(SHIM_QuitAutoRelease),
    // window functions, messages
    SHIM_API(SendMessage),
    SHIM_API(SHIM_BroadcastMessage),
    SHIM_API(DefWindowProc),
    SHIM_API(SetCapture),
    SHIM_API(GetCapture),
    SHIM_API(ReleaseCapture),
    SHIM_API(GetDlgItem),
    SHIM_API(GetParent),
    SHIM_API(SetParent),
    SHIM_API(IsWindowVisible),
    SHIM_API(IsWindow),
    SHIM_API(IsChild),
    SHIM_API(GetWindowLong),
    SHIM_API(SetWindowLong),
    SHIM_API(GetDlgItemText),
    SHIM_API(SetDlgItemText),
    SHIM_API(SetDlgItemInt),
    SHIM_API(GetDlgItemInt),
    SHIM_API(CheckDlgButton),
    SHIM_API(IsDlgButtonChecked),
    SHIM_API(ShowWindow),
    SHIM_API(DestroyWindow),
    SHIM_API(GetWindowRect),
    SHIM_API(GetWindowContentViewRect),
    SHIM_API(GetClientRect),
    SHIM_API(SetWindowPos),
    SHIM_API(GetWindow),
    SHIM_API(EnumChildWindows),
    SHIM_API(EnumWindows),
    SHIM_API(ClientToScreen),
    SHIM_API(ScreenToClient),
    SHIM_API(SetProp),
    SHIM_API(GetProp),
    SHIM_API(RemoveProp),
    SHIM_API(EnumPropsEx),
    SHIM_API(SHIM_CB_AddString),
    SHIM_API(SHIM_CB_InsertString),
    SHIM_API(SHIM_CB_DeleteString),
    SHIM_API(SHIM_CB_GetNumItems),
    SHIM_API(SHIM_CB_GetCurSel),
    SHIM_API(SHIM_CB_SetCurSel),
    SHIM_API(SHIM_CB_GetItemText),
    SHIM_API(SHIM_CB_Empty),
    SHIM_API(SHIM_CB_GetItemData),
    SHIM_API(SHIM_CB_SetItemData),
    SHIM_API(SHIM_CB_FindString),
    SHIM_API(SHIM_TB_GetPos),
    SHIM_API(SHIM_TB_SetPos),
    SHIM_API(SHIM_TB_SetRange),
    SHIM_API(SHIM_TB_SetTic),
    // focus, redraw, modal sessions, levels
    SHIM_API(SetFocus),
    SHIM_API(GetFocus),
    SHIM_API(SetForegroundWindow),
    SHIM_API(GetForegroundWindow),
    SHIM_API(EnableWindow),
    SHIM_API(IsWindowEnabled),
    SHIM_API(SHIM_GetViewPort),
    SHIM_API(InvalidateRect),
    SHIM_API(UpdateWindow),
    SHIM_API(SHIM_FlushWindow),
    SHIM_API(SHIM_HideApp),
    SHIM_API(SHIM_ModalWindowStart),
    SHIM_API(SHIM_ModalWindowRun),
    SHIM_API(SHIM_ModalWindowEnd),
    SHIM_API(SHIM_CloseWindow),
    SHIM_API(SHIM_GetWindowWantRaiseAmt),
    SHIM_API(SHIM_SetWindowWantRaiseAmt),
    SHIM_API(SHIM_SetWindowLevel),
    SHIM_API(SetOpaque),
    SHIM_API(SetAllowNoMiddleManRendering),
    SHIM_API(SHIM_GetDefaultButtonID),
    SHIM_API(SHIM_SetWindowRepre),
    // drawing contexts, objects, text, drawing, images
    SHIM_API(SHIM_CreateMemContext),
    SHIM_API(SHIM_CreateGfxContext),
    SHIM_API(SHIM_DeleteGfxContext),
    SHIM_API(SHIM_GetCtxGC),
    SHIM_API(SHIM_GetCtxFrameBuffer),
    SHIM_API(GetDC),
    SHIM_API(GetWindowDC),
    SHIM_API(ReleaseDC),
    SHIM_API(SHIM_IsRetinaDC),
    SHIM_API(SHIM_IsRetinaHWND),
    SHIM_API(CreatePen),
    SHIM_API(CreatePenAlpha),
    SHIM_API(CreateSolidBrush),
    SHIM_API(CreateSolidBrushAlpha),
    SHIM_API(CreateFont),
    SHIM_API(CreateFontIndirect),
    SHIM_API(DeleteObject),
    SHIM_API(SHIM_CloneGDIObject),
    SHIM_API(GetStockObject),
    SHIM_API(SelectObject),
    SHIM_API(SetTextColor),
    SHIM_API(GetTextColor),
    SHIM_API(SetBkColor),
    SHIM_API(SetBkMode),
    SHIM_API(MoveToEx),
    SHIM_API(SHIM_PushClipRegion),
    SHIM_API(SHIM_PopClipRegion),
    SHIM_API(SHIM_SetClipRegion),
    SHIM_API(GetTextFace),
    SHIM_API(GetTextMetrics),
    SHIM_API(SHIM_DrawText),
    SHIM_API(GetGlyphIndicesW),
    SHIM_API(SHIM_FillRect),
    SHIM_API(Rectangle),
    SHIM_API(Ellipse),
    SHIM_API(RoundRect),
    SHIM_API(SHIM_Polygon),
    SHIM_API(SHIM_LineTo),
    SHIM_API(PolyPolyline),
    SHIM_API(PolyBezierTo),
    SHIM_API(SHIM_SetPixel),
    SHIM_API(StretchBlt),
    SHIM_API(BitBlt),
    SHIM_API(SHIM_FillDialogBackground),
    SHIM_API(LoadNamedImage),
    SHIM_API(CreateBitmap),
    SHIM_API(CreateIconIndirect),
    SHIM_API(GetNSImageFromHICON),
    SHIM_API(DrawImageInRect),
    SHIM_API(GetObject),
    SHIM_API(GetSysColor),
    SHIM_API(ImageList_CreateEx),
    SHIM_API(ImageList_Add),
    SHIM_API(ImageList_ReplaceIcon),
    SHIM_API(ImageList_Remove),
    SHIM_API(ImageList_Destroy),
    SHIM_API(AddFontResourceEx),
};

#undef SHIM_API

int byName(const void* a, const void* b) {
  return strcmp(static_cast<const ApiEntry*>(a)->name, static_cast<const ApiEntry*>(b)->name);
}

}  // namespace

void* SHIMAPI_GetFunc(const char* name) {
  if (!name) return reinterpret_cast<void*>(0x100);
  static std::once_flag sorted;
  const size_t n = sizeof(api_table) / sizeof(api_table[0]);
  std::call_once(sorted, [n] { qsort(api_table, n, sizeof(ApiEntry), byName); });
  ApiEntry key{name, nullptr};
  auto* hit = static_cast<ApiEntry*>(bsearch(&key, api_table, n, sizeof(ApiEntry), byName));
  return hit ? hit->func : nullptr;
}
