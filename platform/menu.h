#pragma once

// Menus: an ordered list of items with a title, a tag (command id), enabled
// and check state, a key equivalent, an optional submenu and an optional
// represented object. Choosing an item calls the menu's command handler with
// the item. The application's main menu is shown as a strip at the top of the
// main window by the presenter; popping menus up is left to a MenuTracker.

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "geometry.h"
#include "object.h"

namespace plat {

class Menu;
class Window;

class MenuItem : public Object {
public:
  MenuItem() = default;
  explicit MenuItem(const std::string& title, intptr_t tag = 0) : m_title(title), m_tag(tag) {}

  static MenuItem* separator();
  bool isSeparator() const { return m_separator; }

  const std::string& title() const { return m_title; }
  void setTitle(const std::string& t) { m_title = t; }
  intptr_t tag() const { return m_tag; }
  void setTag(intptr_t t) { m_tag = t; }
  bool isEnabled() const { return m_enabled; }
  void setEnabled(bool e) { m_enabled = e; }
  // 0 off, 1 on, -1 mixed.
  int state() const { return m_state; }
  void setState(int s) { m_state = s; }
  const std::string& keyEquivalent() const { return m_key; }
  uint32_t keyEquivalentModifiers() const { return m_keyMods; }
  void setKeyEquivalent(const std::string& k, uint32_t mods) {
    m_key = k;
    m_keyMods = mods;
  }
  Menu* submenu() const { return m_submenu.get(); }
  void setSubmenu(Menu* m);
  Object* representedObject() const { return m_represented.get(); }
  void setRepresentedObject(Object* o) { m_represented = o; }
  Menu* menu() const { return m_menu; }

private:
  friend class Menu;
  ~MenuItem() override = default;
  std::string m_title;
  intptr_t m_tag = 0;
  bool m_enabled = true, m_separator = false;
  int m_state = 0;
  std::string m_key;
  uint32_t m_keyMods = 0;
  Ref<Menu> m_submenu;
  Ref<Object> m_represented;
  Menu* m_menu = nullptr;
};

class Menu : public Object {
public:
  explicit Menu(const std::string& title = "") : m_title(title) {}

  const std::string& title() const { return m_title; }
  void setTitle(const std::string& t) { m_title = t; }
  int count() const { return int(m_items.size()); }
  MenuItem* item(int i) const { return i >= 0 && i < count() ? m_items[i] : nullptr; }
  int indexOfItemWithTag(intptr_t tag) const;
  // Retains the item; index past the end appends.
  void insertItem(MenuItem* item, int index);
  void addItem(MenuItem* item) { insertItem(item, count()); }
  void removeItemAt(int index);
  void removeAllItems();
  Menu* supermenu() const { return m_super; }

  // Called when an item of this menu (or of a submenu without its own
  // handler) is chosen.
  using CommandHandler = std::function<void(MenuItem*)>;
  void setCommandHandler(CommandHandler h) { m_handler = std::move(h); }
  // Runs the handler of the item's menu or of the nearest supermenu with one.
  static void performItem(MenuItem* item);
  // Called before the menu opens so its owner can update the items.
  std::function<void(Menu*)> willOpen;

  // A deep copy (items, submenus, state; not the handlers).
  Menu* duplicate() const;

protected:
  ~Menu() override;

private:
  std::string m_title;
  std::vector<MenuItem*> m_items;
  CommandHandler m_handler;
  Menu* m_super = nullptr;
  friend class MenuItem;
};

// Pops menus up on behalf of the presenter (a click on the menu strip) or of
// code that shows context menus. Installed by the menu code above this layer.
class MenuTracker {
public:
  virtual ~MenuTracker() = default;
  // Shows `menu` at a screen point for `window`, returns the chosen item or
  // null. Runs a nested loop until the user chooses or dismisses.
  virtual MenuItem* popUp(Menu* menu, Window* window, const Point& screenPoint) = 0;
};

}  // namespace plat
