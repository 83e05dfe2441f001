#pragma once

// The model of a popup menu: items with a text, flags and an optional
// sub-menu, a numbering prefix, and the index of the item the user chose.
// The editor shows it (IGraphics::CreateIPopupMenu) and writes the choice
// back into the model that holds the chosen item.

#include "kitstring.h"
#include "ptrlist.h"

class IPopupMenu;

class IPopupMenuItem {
public:
  enum Flags { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

  IPopupMenuItem(const char* text, int flags = kNoFlags, IPopupMenu* submenu = nullptr)
      : mText(text), mSubmenu(submenu), mFlags(flags) {}

  const char* GetText() const { return mText.Get(); }
  void SetText(const char* text) { mText.Set(text); }
  int GetFlags() const { return mFlags; }
  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetChecked() const { return (mFlags & kChecked) != 0; }
  bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
  bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }
  // Not owned: whoever built the sub-menu frees it.
  IPopupMenu* GetSubmenu() const { return mSubmenu; }
  void SetChecked(bool checked) { SetFlag(kChecked, checked); }
  void SetEnabled(bool enabled) { SetFlag(kDisabled, !enabled); }

private:
  void SetFlag(int flag, bool on) { mFlags = on ? (mFlags | flag) : (mFlags & ~flag); }

  KIT_String mText;
  IPopupMenu* mSubmenu;
  int mFlags;
};

class IPopupMenu {
public:
  // Prefix 1, 2, 3: the item's 1-based number as "%1d: ", "%02d: ", "%03d: ".
  IPopupMenu() = default;
  // Deletes the items, not their sub-menus.
  ~IPopupMenu();
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Index -1 appends; any other index inserts at max(index, 0), appending when
  // that lies at or past the end. The menu owns the item.
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int flags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu) { return AddItem(text, -1, submenu); }
  IPopupMenuItem* AddSeparator(int index = -1);

  // Null outside the list.
  IPopupMenuItem* GetItem(int index) const { return mMenuItems.Get(index); }
  // "" outside the list.
  const char* GetItemText(int index) const;
  int GetNItems() const { return mMenuItems.GetSize(); }

  // Accepts 0..3; other values are ignored.
  void SetPrefix(int prefix) {
    if (prefix >= 0 && prefix <= 3) mPrefix = prefix;
  }
  int GetPrefix() const { return mPrefix; }

  // False when there is no such item.
  bool CheckItem(int index, bool checked);
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }

private:
  int mPrefix = 0;
  int mChosenItemIdx = -1;
  KIT_PtrList<IPopupMenuItem> mMenuItems;
};
