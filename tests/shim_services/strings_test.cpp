// String objects and the table of the layer's functions by name.

#include <gtest/gtest.h>
#include <string.h>

#include <set>
#include <string>

#include "platform/string_object.h"
#include "shim-appstub.h"
#include "shim-misc.h"

namespace {

// Every name a loaded module can look up, no more.
const char* const kTableNames[] = {
    "lstrcpyn", "MulDiv", "Sleep", "GetTickCount", "GetFileTime", "WritePrivateProfileString",
    "GetPrivateProfileString", "GetPrivateProfileInt", "GetPrivateProfileStruct",
    "WritePrivateProfileStruct", "WritePrivateProfileSection", "GetPrivateProfileSection",
    "GetModuleFileName", "SHIM_CStringToCFString", "SHIM_CFStringToCString", "SHIM_PtInRect",
    "ShellExecute", "MessageBox", "BrowseForFiles", "BrowseForSaveFile", "BrowseForDirectory",
    "BrowseFile_SetTemplate", "GetDlgItem", "ShowWindow", "DestroyWindow", "SHIM_GetGestureInfo",
    "SHIM_HideApp", "SetDlgItemText", "SetDlgItemInt", "GetDlgItemInt", "GetDlgItemText",
    "CheckDlgButton", "IsDlgButtonChecked", "EnableWindow", "SetFocus", "GetFocus",
    "SetForegroundWindow", "GetForegroundWindow", "SetCapture", "GetCapture", "ReleaseCapture",
    "IsChild", "GetParent", "SetParent", "GetWindow", "EnumWindows", "FindWindowEx",
    "ClientToScreen", "ScreenToClient", "GetWindowRect", "GetWindowContentViewRect",
    "GetClientRect", "WindowFromPoint", "WinOffsetRect", "WinSetRect", "WinUnionRect",
    "WinIntersectRect", "SetWindowPos", "SHIM_SetWindowLevel", "InvalidateRect", "UpdateWindow",
    "GetWindowLong", "SetWindowLong", "ScrollWindow", "EnumPropsEx", "GetProp", "SetProp",
    "RemoveProp", "IsWindowVisible", "IsWindow", "CenterWindow", "SetTimer", "KillTimer",
    "SHIM_CB_AddString", "SHIM_CB_SetCurSel", "SHIM_CB_GetCurSel", "SHIM_CB_GetNumItems",
    "SHIM_CB_SetItemData", "SHIM_CB_GetItemData", "SHIM_CB_Empty", "SHIM_CB_InsertString",
    "SHIM_CB_GetItemText", "SHIM_CB_DeleteString", "SHIM_CB_FindString", "SHIM_TB_SetPos",
    "SHIM_TB_SetRange", "SHIM_TB_GetPos", "SHIM_TB_SetTic", "ListView_SetExtendedListViewStyleEx",
    "ListView_InsertColumn", "ListView_DeleteColumn", "ListView_SetColumn",
    "ListView_GetColumnWidth", "ListView_InsertItem", "ListView_SetItemText", "ListView_SetItem",
    "ListView_GetNextItem", "ListView_GetItem", "ListView_GetItemState", "ListView_DeleteItem",
    "ListView_DeleteAllItems", "ListView_GetSelectedCount", "ListView_GetItemCount",
    "ListView_GetSelectionMark", "ListView_SetColumnWidth", "ListView_SetItemState",
    "ListView_RedrawItems", "ListView_SetItemCount", "ListView_EnsureVisible",
    "ListView_GetSubItemRect", "ListView_SetImageList", "ListView_HitTest",
    "ListView_SubItemHitTest", "ListView_GetItemText", "ListView_SortItems",
    "ListView_GetItemRect", "ListView_Scroll", "ListView_GetTopIndex", "ListView_GetCountPerPage",
    "ListView_SetColumnOrderArray", "ListView_GetColumnOrderArray", "ListView_GetHeader",
    "Header_GetItemCount", "Header_GetItem", "Header_SetItem", "SHIM_GetListViewHeaderHeight",
    "ImageList_CreateEx", "ImageList_Remove", "ImageList_ReplaceIcon", "ImageList_Add",
    "ImageList_Destroy", "TabCtrl_GetItemCount", "TabCtrl_DeleteItem", "TabCtrl_InsertItem",
    "TabCtrl_SetCurSel", "TabCtrl_GetCurSel", "TabCtrl_AdjustRect", "TreeView_InsertItem",
    "TreeView_Expand", "TreeView_GetSelection", "TreeView_DeleteItem", "TreeView_DeleteAllItems",
    "TreeView_SelectItem", "TreeView_GetItem", "TreeView_SetItem", "TreeView_HitTest",
    "TreeView_SetIndent", "TreeView_GetChild", "TreeView_GetNextSibling", "TreeView_GetRoot",
    "TreeView_SetBkColor", "TreeView_SetTextColor", "ListView_SetBkColor",
    "ListView_SetTextBkColor", "ListView_SetTextColor", "ListView_SetGridColor",
    "ListView_SetSelColors", "SHIM_ModalWindowStart", "SHIM_ModalWindowRun",
    "SHIM_ModalWindowEnd", "SHIM_CloseWindow", "CreatePopupMenu", "CreatePopupMenuEx",
    "DestroyMenu", "AddMenuItem", "GetSubMenu", "GetMenuItemCount", "GetMenuItemID",
    "SetMenuItemModifier", "SetMenuItemText", "EnableMenuItem", "DeleteMenu", "CheckMenuItem",
    "InsertMenuItem", "SHIM_InsertMenu", "GetMenuItemInfo", "SetMenuItemInfo", "DrawMenuBar",
    "SHIM_LoadMenu", "TrackPopupMenu", "SHIM_SetMenuDestination", "SHIM_DuplicateMenu", "SetMenu",
    "GetMenu", "SHIM_GetDefaultWindowMenu", "SHIM_SetDefaultWindowMenu",
    "SHIM_GetDefaultModalWindowMenu", "SHIM_SetDefaultModalWindowMenu", "SHIM_GetCurrentMenu",
    "SHIM_SetCurrentMenu", "SHIM_DialogBox", "SHIM_CreateDialog",
    "SHIM_RegisterCustomControlCreator", "SHIM_UnregisterCustomControlCreator", "DefWindowProc",
    "EndDialog", "SHIM_GetDefaultButtonID", "SendMessage", "SHIM_BroadcastMessage", "PostMessage",
    "SHIM_MessageQueue_Flush", "SHIM_MessageQueue_Clear", "SHIM_MacKeyToWindowsKey",
    "SHIM_MacKeyToWindowsKeyEx", "SHIM_KeyToASCII", "GetAsyncKeyState", "GetCursorPos",
    "GetMessagePos", "SHIM_LoadCursor", "SHIM_SetCursor", "SHIM_EnableRightClickEmulate",
    "SHIM_GetCursor", "SHIM_GetLastSetCursor", "SHIM_IsCursorVisible", "SHIM_ShowCursor",
    "SHIM_SetCursorPos", "SHIM_GetViewPort", "OpenClipboard", "CloseClipboard",
    "GetClipboardData", "EmptyClipboard", "SetClipboardData", "RegisterClipboardFormat",
    "EnumClipboardFormats", "GlobalAlloc", "GlobalLock", "GlobalSize", "GlobalUnlock",
    "GlobalFree", "CreateThread", "CreateEvent", "CreateEventAsSocket", "GetCurrentThreadId",
    "WaitForSingleObject", "WaitForAnySocketObject", "CloseHandle", "SetThreadPriority",
    "SetEvent", "ResetEvent", "SHIM_EnsureMultithreadedCocoa", "SHIM_InitAutoRelease",
    "SHIM_QuitAutoRelease", "SHIM_TerminateProcess", "SHIM_GetProcessExitCode",
    "SHIM_CreateProcessIO", "SHIM_ReadWriteProcessIO", "SHIM_CreateProcess", "LoadLibraryGlobals",
    "LoadLibrary", "GetProcAddress", "FreeLibrary", "SHIM_GetBundle", "SHIM_CreateMemContext",
    "SHIM_DeleteGfxContext", "SHIM_GetCtxGC", "SHIM_GetCtxFrameBuffer", "SHIM_PushClipRegion",
    "SHIM_SetClipRegion", "SHIM_PopClipRegion", "CreateFontIndirect", "CreateFont", "CreatePen",
    "CreateSolidBrush", "CreatePenAlpha", "CreateSolidBrushAlpha", "SelectObject",
    "GetStockObject", "DeleteObject", "SHIM_FillRect", "Rectangle", "Ellipse", "SHIM_Polygon",
    "MoveToEx", "LineTo", "SetPixel", "PolyBezierTo", "SHIM_DrawText", "SetTextColor",
    "GetTextColor", "SetBkColor", "SetBkMode", "GetGlyphIndicesW", "RoundRect", "PolyPolyline",
    "GetTextMetrics", "GetTextFace", "GetNSImageFromHICON", "GetObject", "CreateIconIndirect",
    "LoadNamedImage", "DrawImageInRect", "BitBlt", "StretchBlt", "SHIM_ExtendedAPI",
    "GetSysColor", "CreateBitmap", "SetOpaque", "SetAllowNoMiddleManRendering", "SHIM_IsRetinaDC",
    "SHIM_IsRetinaHWND", "SHIM_SetViewGL", "SHIM_GetViewGL", "SHIM_SetGLContextToView",
    "BeginPaint", "EndPaint", "GetDC", "GetWindowDC", "ReleaseDC", "SHIM_FlushWindow",
    "SHIM_FillDialogBackground", "SHIM_CloneGDIObject", "GetSystemMetrics", "DragQueryPoint",
    "DragFinish", "DragQueryFile", "SHIM_InitiateDragDrop", "SHIM_InitiateDragDropOfFileList",
    "SHIM_FinishDragDrop", "SHIM_DrawFocusRect", "SHIM_SetWindowRepre", "SHIM_PostQuitMessage",
    "SHIM_MakeSetCurParms", "SHIM_MakeButton", "SHIM_MakeEditField", "SHIM_MakeLabel",
    "SHIM_MakeControl", "SHIM_MakeCombo", "SHIM_MakeGroupBox", "SHIM_MakeCheckBox",
    "SHIM_MakeListBox", "SHIM_Menu_AddMenuItem", "SHIM_GenerateMenuFromList",
    "SHIM_GenerateDialogFromList", "_controlfp", "SHIM_Internal_PostMessage_Init",
    "SHIM_LoadCursorFromFile", "SHIM_SetWindowWantRaiseAmt", "SHIM_GetWindowWantRaiseAmt",
    "SHIM_SetListViewFastClickMask", "GetTempPath", "SHIM_GenerateGUID", "EnumChildWindows",
    "SHIM_IsGroupBox", "SHIM_IsButton", "SHIM_IsStaticText", "SHIM_GetDesiredControlSize",
    "AddFontResourceEx", "SHIM_DisableAppNap", "SHIM_GetOSXVersion",
    "SHIM_Register_Cursor_Resource", "IsWindowEnabled",
};

TEST(FunctionTable, HoldsExactlyTheLayersNames) {
  const int n = int(sizeof kTableNames / sizeof kTableNames[0]);
  ASSERT_EQ(n, 351);
  std::set<std::string> want(kTableNames, kTableNames + n);
  ASSERT_EQ(want.size(), size_t(n)) << "a name listed twice";
  std::set<std::string> have;
  for (int i = 0; i < SHIM_Internal_GetFuncCount(); ++i) have.insert(SHIM_Internal_GetFuncName(i));
  EXPECT_EQ(SHIM_Internal_GetFuncCount(), n);
  EXPECT_EQ(have, want);
  for (const char* name : kTableNames) EXPECT_NE(SHIMAPI_GetFunc(name), nullptr) << name;
  EXPECT_EQ(SHIMAPI_GetFunc("SHIM_CStringToCFString"), (void*)&SHIM_CStringToCFString);
  EXPECT_EQ(SHIMAPI_GetFunc("SHIM_CFStringToCString"), (void*)&SHIM_CFStringToCString);
  EXPECT_EQ(SHIMAPI_GetFunc("SHIM_CreateGfxContext"), nullptr);
}

std::string Copy(const plat::StringObject* s, int size) {
  char buf[64];
  memset(buf, 'x', sizeof buf);
  buf[sizeof buf - 1] = 0;
  SHIM_CFStringToCString(s, buf, size);
  EXPECT_LT(strlen(buf), size_t(size)) << "not terminated inside the buffer";
  return buf;
}

TEST(StringObjects, RoundTripAndOwnership) {
  plat::StringObject* s = SHIM_CStringToCFString("Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac");  // "Grüße €"
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->retainCount(), 1);
  EXPECT_EQ(Copy(s, 64), "Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac");
  s->retain();
  s->release();
  EXPECT_TRUE(plat::Object::isLive(s));
  s->release();
  EXPECT_FALSE(plat::Object::isLive(s));
  // Released strings, null and other objects read as empty text.
  EXPECT_EQ(Copy(s, 64), "");
  EXPECT_EQ(Copy(nullptr, 64), "");

  plat::StringObject* empty = SHIM_CStringToCFString(nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->utf8(), "");
  empty->release();
}

TEST(StringObjects, InvalidUtf8MakesNoString) {
  const char* bad[] = {"\xff", "a\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"};
  for (const char* b : bad) EXPECT_EQ(SHIM_CStringToCFString(b), nullptr) << b;
  plat::StringObject* top = SHIM_CStringToCFString("\xf4\x8f\xbf\xbf");  // U+10FFFF
  ASSERT_NE(top, nullptr);
  top->release();
}

TEST(StringObjects, ShortBuffersKeepWholeCharacters) {
  plat::StringObject* s = SHIM_CStringToCFString("ab\xe2\x82\xac");  // "ab€", 5 bytes
  ASSERT_NE(s, nullptr);
  struct Case {
    int size;
    const char* want;
  } cases[] = {{1, ""}, {2, "a"}, {3, "ab"}, {4, "ab"}, {5, "ab"}, {6, "ab\xe2\x82\xac"}};
  for (const Case& c : cases) EXPECT_EQ(Copy(s, c.size), c.want) << c.size;
  char untouched = 'x';
  SHIM_CFStringToCString(s, &untouched, 0);
  EXPECT_EQ(untouched, 'x');
  s->release();
}

}  // namespace
