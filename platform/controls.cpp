#include "controls.h"

#include <algorithm>

namespace plat {

PopUpButton::PopUpButton(const Rect& frame) : Button(frame) {
  m_menu = Ref<Menu>::adopt(new Menu());
}

void PopUpButton::insertItem(const std::string& title, int index) {
  index = std::max(0, std::min(index, numberOfItems()));
  MenuItem* it = new MenuItem(title);
  m_menu->insertItem(it, index);
  it->release();
  if (m_selected >= index) ++m_selected;
  setNeedsDisplay(true);
}

void PopUpButton::removeItemAt(int index) {
  if (index < 0 || index >= numberOfItems()) return;
  m_menu->removeItemAt(index);
  if (m_selected == index)
    m_selected = numberOfItems() > 0 ? std::min(index, numberOfItems() - 1) : -1;
  else if (m_selected > index)
    --m_selected;
  setNeedsDisplay(true);
}

void PopUpButton::removeAllItems() {
  m_menu->removeAllItems();
  m_selected = -1;
  setNeedsDisplay(true);
}

void PopUpButton::selectItemAt(int index) {
  m_selected = (index >= 0 && index < numberOfItems()) ? index : -1;
  setNeedsDisplay(true);
}

std::string PopUpButton::stringValue() const {
  MenuItem* it = m_menu->item(m_selected);
  return it ? it->title() : std::string();
}

void ComboBox::insertItem(const std::string& s, int index) {
  index = std::max(0, std::min(index, numberOfItems()));
  m_items.insert(m_items.begin() + index, s);
  if (m_selected >= index) ++m_selected;
}

void ComboBox::removeItemAt(int index) {
  if (index < 0 || index >= numberOfItems()) return;
  m_items.erase(m_items.begin() + index);
  if (m_selected == index)
    m_selected = -1;
  else if (m_selected > index)
    --m_selected;
}

void ComboBox::removeAllItems() {
  m_items.clear();
  m_selected = -1;
}

void ComboBox::selectItemAt(int index) {
  if (index < 0 || index >= numberOfItems()) return;
  m_selected = index;
  setStringValue(m_items[size_t(index)]);
}

void Slider::setValue(double v) {
  double lo = std::min(m_min, m_max), hi = std::max(m_min, m_max);
  m_value = std::max(lo, std::min(hi, v));
  setNeedsDisplay(true);
}

void ClipView::setDocumentView(View* v) {
  while (!subviews().empty()) subviews().front()->removeFromSuperview();
  if (v) addSubview(v);
}

ScrollView::ScrollView(const Rect& frame) : View(frame) {
  m_clip = new ClipView({0, 0, frame.w, frame.h});
  addSubview(m_clip);
  m_clip->release();  // held as a subview
}

Size ScrollView::contentSize() const {
  Rect f = frame();
  return {std::max(0.0, f.w - (m_vScroller ? kScrollerWidth : 0)),
          std::max(0.0, f.h - (m_hScroller ? kScrollerWidth : 0))};
}

void ScrollView::setHasVerticalScroller(bool s) {
  m_vScroller = s;
  tile();
}

void ScrollView::setHasHorizontalScroller(bool s) {
  m_hScroller = s;
  tile();
}

void ScrollView::setFrame(const Rect& f) {
  View::setFrame(f);
  tile();
}

void ScrollView::tile() {
  Size c = contentSize();
  // The clip view sits at the top left whatever the scrollers take.
  m_clip->setFrame({0, frame().h - c.h, c.w, c.h});
}

}  // namespace plat
