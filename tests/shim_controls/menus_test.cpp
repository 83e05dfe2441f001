// Menus from lists, item queries and changes, key equivalents, window menus
// and popped-up menus.

#include <string.h>

#include "controls_fixture.h"
#include "platform/keys.h"

namespace {

using Menus = GeneratedDialog;

const char* kPopup = "/.BO^O:&File";
const SHIM_MenuListEntry kFile[] = {
    {"/.BO^O:&File", 0, 0},
    {"Preferences...", 40006, 0},
    {"&Quit", 40007, 0},
    {"EN%%%^:", 0, 0},
};

std::string titleAt(HMENU m, int pos) {
  char buf[64] = "?";
  MENUITEMINFO mii;
  memset(&mii, 0, sizeof mii);
  mii.fMask = MIIM_TYPE;
  mii.dwTypeData = buf;
  mii.cch = sizeof buf;
  GetMenuItemInfo(m, pos, TRUE, &mii);
  return buf;
}

TEST_F(Menus, ListsMakePopupsAndCountWhatTheyUsed) {
  (void)kPopup;
  HMENU m = CreatePopupMenu();
  EXPECT_EQ(SHIM_GenerateMenuFromList(m, kFile, 4), 5);  // count + 1
  ASSERT_EQ(GetMenuItemCount(m), 1);
  EXPECT_EQ(GetMenuItemID(m, 0), -1);  // a popup
  HMENU file = GetSubMenu(m, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(titleAt(m, 0), "File");
  EXPECT_EQ(SHIM_Internal_Menu(file)->title(), "File");
  EXPECT_EQ(GetMenuItemCount(file), 2);
  EXPECT_EQ(titleAt(file, 1), "Quit");
  EXPECT_EQ(GetMenuItemID(file, 1), 40007);
  EXPECT_EQ(GetMenuItemID(file, 5), 0);
  // The nested list alone returns the end marker's place + 1.
  HMENU sub = CreatePopupMenu();
  EXPECT_EQ(SHIM_GenerateMenuFromList(sub, kFile + 1, 3), 3);
  // Separators, disabled items, and a popup whose end marker is missing
  // (nothing past the given count is read).
  const SHIM_MenuListEntry more[] = {
      {"Open", 1, 0}, {nullptr, 0, 0}, {"Gone", 2, 1}, {"/.BO^O:Tail", 0, 0}, {"Last", 3, 0}};
  HMENU n = CreatePopupMenu();
  EXPECT_EQ(SHIM_GenerateMenuFromList(n, more, 5), 6);
  EXPECT_EQ(GetMenuItemCount(n), 4);
  MENUITEMINFO mii;
  memset(&mii, 0, sizeof mii);
  mii.fMask = MIIM_TYPE | MIIM_STATE;
  GetMenuItemInfo(n, 1, TRUE, &mii);
  EXPECT_EQ(mii.fType, (UINT)MFT_SEPARATOR);
  GetMenuItemInfo(n, 2, TRUE, &mii);
  EXPECT_EQ(mii.fState, (UINT)MFS_GRAYED);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(n, 3)), 1);
  EXPECT_EQ(SHIM_GenerateMenuFromList(n, more, 0), 1);
  DestroyMenu(m);
  DestroyMenu(sub);
  DestroyMenu(n);
}

TEST_F(Menus, ItemsAreFoundByPositionOrDeepByCommand) {
  HMENU top = CreatePopupMenu(), mid = CreatePopupMenuEx("Mid"), low = CreatePopupMenu();
  SHIM_Menu_AddMenuItem(low, "Deep", 77, 0);
  SHIM_InsertMenu(mid, 0, MF_POPUP | MF_BYPOSITION, (UINT_PTR)low, "Low");
  SHIM_InsertMenu(top, 0, MF_POPUP | MF_BYPOSITION, (UINT_PTR)mid, "Mid");
  SHIM_Menu_AddMenuItem(top, "Plain", 5, 0);
  EXPECT_TRUE(CheckMenuItem(top, 77, MF_CHECKED));
  EXPECT_TRUE(EnableMenuItem(top, 77, MF_GRAYED));
  MENUITEMINFO mii;
  memset(&mii, 0, sizeof mii);
  mii.fMask = MIIM_STATE | MIIM_ID;
  EXPECT_TRUE(GetMenuItemInfo(top, 77, FALSE, &mii));
  EXPECT_EQ(mii.fState, UINT(MFS_CHECKED | MFS_GRAYED));
  EXPECT_EQ(mii.wID, 77u);
  EXPECT_TRUE(SetMenuItemText(top, 1, MF_BYPOSITION, "Re&named\tCtrl+R"));
  EXPECT_EQ(titleAt(top, 1), "Renamed");
  EXPECT_TRUE(DeleteMenu(top, 77, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuItemCount(low), 0);
  EXPECT_FALSE(DeleteMenu(top, 77, MF_BYCOMMAND));
  EXPECT_FALSE(EnableMenuItem(top, 9, MF_BYPOSITION));
  // Item data and a short buffer.
  memset(&mii, 0, sizeof mii);
  mii.fMask = MIIM_DATA;
  mii.dwItemData = 0xBEEF;
  SetMenuItemInfo(top, 5, FALSE, &mii);
  mii.dwItemData = 0;
  GetMenuItemInfo(top, 5, FALSE, &mii);
  EXPECT_EQ(mii.dwItemData, 0xBEEFu);
  char small[4];
  memset(&mii, 0, sizeof mii);
  mii.fMask = MIIM_TYPE;
  mii.dwTypeData = small;
  mii.cch = sizeof small;
  GetMenuItemInfo(top, 1, TRUE, &mii);
  EXPECT_STREQ(small, "Ren");
  EXPECT_EQ(GetMenuItemCount(nullptr), 0);
  EXPECT_FALSE(InsertMenuItem(nullptr, 0, TRUE, &mii));
  HMENU copy = SHIM_DuplicateMenu(top);
  EXPECT_EQ(GetMenuItemCount(copy), 2);
  DestroyMenu(copy);
  DestroyMenu(top);
}

TEST_F(Menus, KeyEquivalentsUseCtrlAndReachTheWindow) {
  make({});
  HMENU bar = CreatePopupMenu();
  SHIM_GenerateMenuFromList(bar, kFile, 4);
  HMENU file = GetSubMenu(bar, 0);
  EXPECT_TRUE(SetMenuItemModifier(file, 40007, 0, 'S', 8 | 4));
  plat::MenuItem* quit = SHIM_Internal_Menu(file)->item(1);
  EXPECT_EQ(quit->keyEquivalent(), "S");
  EXPECT_EQ(quit->keyEquivalentModifiers(), uint32_t(plat::kModCommand));
  EXPECT_EQ(SHIM_Internal_KeyEquivalentLabel(quit), "Ctrl+Shift+S");
  EXPECT_TRUE(SetMenuItemModifier(file, 40006, 0, 112, 1 | 8));
  plat::MenuItem* prefs = SHIM_Internal_Menu(file)->item(0);
  EXPECT_EQ(SHIM_Internal_KeyEquivalentLabel(prefs), "Ctrl+F1");
  EXPECT_TRUE(SetMenuItemModifier(file, 40006, 0, ',', 8));
  EXPECT_EQ(prefs->keyEquivalent(), ",");
  EXPECT_TRUE(SetMenuItemModifier(file, 40006, 0, 999, 8));
  EXPECT_EQ(prefs->keyEquivalent(), "");
  SetMenuItemModifier(file, 40006, 0, 'P', 8);
  // The window's menu answers Ctrl+P (the presenter's Command flag).
  EXPECT_TRUE(SetMenu(dlg, bar));
  EXPECT_EQ(SHIM_GetCurrentMenu(), bar);
  EXPECT_TRUE(SawMessage(dlg, WM_INITMENUPOPUP));
  g_seen.clear();
  key(dlg, plat::key::P, "p", plat::kModCommand);
  EXPECT_EQ(commands(), (std::vector<WPARAM>{40006}));
  g_seen.clear();
  key(dlg, plat::key::P, "p");  // without Ctrl: no command
  EXPECT_TRUE(commands().empty());
  EnableMenuItem(file, 40006, MF_GRAYED);
  key(dlg, plat::key::P, "p", plat::kModCommand);
  EXPECT_TRUE(commands().empty());
  EXPECT_EQ(GetMenu(dlg), bar);
  DestroyMenu(bar);  // the window keeps its own reference
  EXPECT_EQ(GetMenuItemCount(GetMenu(dlg)), 1);
}

TEST_F(Menus, PoppedUpMenusReturnOrSendTheCommand) {
  make({});
  ScriptedTracker tracker;
  plat::app().setMenuTracker(&tracker);
  HMENU m = CreatePopupMenu();
  SHIM_GenerateMenuFromList(m, kFile, 4);
  tracker.choose = "Quit";
  g_seen.clear();
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 10, 10, 0, dlg, nullptr), 40007);
  EXPECT_TRUE(commands().empty());
  EXPECT_TRUE(SawMessage(dlg, WM_INITMENUPOPUP));
  EXPECT_EQ(TrackPopupMenu(m, 0, 10, 10, 0, dlg, nullptr), 1);
  EXPECT_EQ(commands(), (std::vector<WPARAM>{40007}));
  g_seen.clear();
  EXPECT_EQ(TrackPopupMenu(m, TPM_NONOTIFY | TPM_RETURNCMD, 10, 10, 0, dlg, nullptr), 40007);
  EXPECT_FALSE(SawMessage(dlg, WM_INITMENUPOPUP));
  tracker.choose = "";
  EXPECT_EQ(TrackPopupMenu(m, 0, 10, 10, 0, dlg, nullptr), 0);
  EXPECT_EQ(TrackPopupMenu(nullptr, 0, 10, 10, 0, dlg, nullptr), 0);
  // The capture is let go first.
  SetCapture(dlg);
  TrackPopupMenu(m, TPM_RETURNCMD, 0, 0, 0, dlg, nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  DestroyMenu(m);
}

TEST_F(Menus, TheLayersOwnPopupWindowChoosesOnAClick) {
  make({});
  plat::app().setMenuTracker(SHIM_Internal_DefaultMenuTracker());
  HMENU m = CreatePopupMenu();
  SHIM_Menu_AddMenuItem(m, "First", 11, 0);
  SHIM_Menu_AddMenuItem(m, nullptr, 0, 0);
  SHIM_Menu_AddMenuItem(m, "Second", 12, 0);
  // Once the menu window is up, click its third row (after the separator).
  plat::app().post([] {
    for (plat::Window* w : plat::app().windows())
      if (w->level() == plat::kLevelPopUpMenu) {
        plat::Event e;
        e.type = plat::EventType::LeftMouseDown;
        e.window = w;
        e.location = w->contentView()->convertToWindow({30, 4 + 20 + 9 + 5});
        e.clickCount = 1;
        plat::app().queueEvent(e);
      }
  });
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 100, 500, 0, dlg, nullptr), 12);
  for (plat::Window* w : plat::app().windows()) EXPECT_NE(w->level(), plat::kLevelPopUpMenu);
  // A click elsewhere dismisses it.
  plat::Window* main = SHIM_View(dlg)->window();
  plat::app().post([main] {
    plat::Event e;
    e.type = plat::EventType::LeftMouseDown;
    e.window = main;
    e.location = {5, 5};
    plat::app().queueEvent(e);
  });
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 100, 500, 0, dlg, nullptr), 0);
  DestroyMenu(m);
}

SHIM_MenuResourceIndex g_menuRes = {(const char*)(INT_PTR)300,
                                    [](HMENU m) { SHIM_Menu_AddMenuItem(m, "From resource", 9, 0); },
                                    nullptr};

TEST_F(Menus, ResourcesMakeMenus) {
  HMENU m = SHIM_LoadMenu(&g_menuRes, (const char*)(INT_PTR)300);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(GetMenuItemID(m, 0), 9);
  EXPECT_EQ(SHIM_LoadMenu(&g_menuRes, (const char*)(INT_PTR)301), nullptr);
  DestroyMenu(m);
}

}  // namespace
