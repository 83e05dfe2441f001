#include "menu.h"

namespace plat {

MenuItem* MenuItem::separator() {
  MenuItem* m = new MenuItem();
  m->m_separator = true;
  m->m_enabled = false;
  return m;
}

void MenuItem::setSubmenu(Menu* m) {
  if (m_submenu) m_submenu->m_super = nullptr;
  m_submenu = m;
  if (m) m->m_super = m_menu;
}

Menu::~Menu() { removeAllItems(); }

int Menu::indexOfItemWithTag(intptr_t tag) const {
  for (int i = 0; i < count(); ++i)
    if (m_items[i]->tag() == tag) return i;
  return -1;
}

void Menu::insertItem(MenuItem* item, int index) {
  if (!item) return;
  if (index < 0) index = 0;
  if (index > count()) index = count();
  item->retain();
  m_items.insert(m_items.begin() + index, item);
  item->m_menu = this;
  if (item->submenu()) item->submenu()->m_super = this;
}

void Menu::removeItemAt(int index) {
  if (index < 0 || index >= count()) return;
  MenuItem* item = m_items[index];
  m_items.erase(m_items.begin() + index);
  item->m_menu = nullptr;
  if (item->submenu()) item->submenu()->m_super = nullptr;
  item->release();
}

void Menu::removeAllItems() {
  while (count() > 0) removeItemAt(count() - 1);
}

void Menu::performItem(MenuItem* item) {
  if (!item || !item->isEnabled()) return;
  Ref<MenuItem> hold(item);
  for (Menu* m = item->menu(); m; m = m->supermenu()) {
    if (m->m_handler) {
      CommandHandler h = m->m_handler;  // the handler may change the menu
      h(item);
      return;
    }
  }
}

Menu* Menu::duplicate() const {
  Menu* copy = new Menu(m_title);
  for (MenuItem* it : m_items) {
    MenuItem* c = it->isSeparator() ? MenuItem::separator() : new MenuItem(it->title(), it->tag());
    c->setEnabled(it->isEnabled());
    c->setState(it->state());
    c->setKeyEquivalent(it->keyEquivalent(), it->keyEquivalentModifiers());
    c->setRepresentedObject(it->representedObject());
    if (it->submenu()) {
      Menu* sub = it->submenu()->duplicate();
      c->setSubmenu(sub);
      sub->release();
    }
    copy->addItem(c);
    c->release();
  }
  return copy;
}

}  // namespace plat
