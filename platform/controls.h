#pragma once

// The desktop's standard controls as views, holding their state: buttons
// (push, check, radio; mixed state), pop-up buttons, combo boxes, sliders,
// text fields, text views, boxes, scroll and clip views. Each control may
// carry an action called when the user operates it. Their look and mouse or
// keyboard handling are added by the control code above this layer; the
// state here is what messages read and write.

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "menu.h"
#include "view.h"

namespace plat {

class Control : public View {
public:
  explicit Control(const Rect& frame = {}) : View(frame) {}
  bool isEnabled() const { return m_enabled; }
  virtual void setEnabled(bool e) {
    m_enabled = e;
    setNeedsDisplay(true);
  }
  virtual std::string stringValue() const { return m_string; }
  virtual void setStringValue(const std::string& s) {
    m_string = s;
    setNeedsDisplay(true);
  }
  uint32_t textColor() const { return m_textColor; }
  void setTextColor(uint32_t argb) {
    m_textColor = argb;
    setNeedsDisplay(true);
  }
  // Called with the control when the user operates it.
  std::function<void(Control*)> action;
  void sendAction() {
    if (action) {
      Ref<Control> hold(this);
      auto a = action;
      a(this);
    }
  }
  bool acceptsFirstResponder() const override { return m_enabled; }

private:
  bool m_enabled = true;
  std::string m_string;
  uint32_t m_textColor = 0xFF000000;
};

class Button : public Control {
public:
  enum class Kind { Push, CheckBox, Radio };
  explicit Button(const Rect& frame = {}, Kind kind = Kind::Push) : Control(frame), m_kind(kind) {}
  Kind kind() const { return m_kind; }
  void setKind(Kind k) { m_kind = k; }
  const std::string& title() const { return m_title; }
  void setTitle(const std::string& t) {
    m_title = t;
    setNeedsDisplay(true);
  }
  std::string stringValue() const override { return m_title; }
  // 0 off, 1 on, -1 mixed (only where allowed).
  int state() const { return m_state; }
  void setState(int s) {
    m_state = (s < 0 && !m_allowsMixed) ? 1 : s;
    setNeedsDisplay(true);
  }
  bool allowsMixedState() const { return m_allowsMixed; }
  void setAllowsMixedState(bool a) { m_allowsMixed = a; }
  Object* image() const { return m_image.get(); }
  void setImage(Object* img) {
    m_image = img;
    setNeedsDisplay(true);
  }

private:
  Kind m_kind;
  std::string m_title;
  int m_state = 0;
  bool m_allowsMixed = false;
  Ref<Object> m_image;
};

// A button that pops a menu of items up; the selected item shows.
class PopUpButton : public Button {
public:
  explicit PopUpButton(const Rect& frame = {});
  Menu* menu() const { return m_menu.get(); }
  int numberOfItems() const { return m_menu->count(); }
  MenuItem* itemAt(int i) const { return m_menu->item(i); }
  void insertItem(const std::string& title, int index);
  void removeItemAt(int index);
  void removeAllItems();
  // -1: nothing selected.
  int indexOfSelectedItem() const { return m_selected; }
  void selectItemAt(int index);
  std::string stringValue() const override;

private:
  Ref<Menu> m_menu;
  int m_selected = -1;
};

class TextField : public Control {
public:
  explicit TextField(const Rect& frame = {}) : Control(frame) {}
  bool isEditable() const { return m_editable; }
  void setEditable(bool e) { m_editable = e; }
  bool isBordered() const { return m_bordered; }
  void setBordered(bool b) { m_bordered = b; }
  bool drawsBackground() const { return m_drawsBackground; }
  void setDrawsBackground(bool d) { m_drawsBackground = d; }
  // Editing session: the selection exists only while the field is edited.
  bool isBeingEdited() const { return m_editing; }
  void setBeingEdited(bool e) {
    m_editing = e;
    if (!e) m_selStart = m_selLength = 0;
  }
  int selectionStart() const { return m_selStart; }
  int selectionLength() const { return m_selLength; }
  void setSelection(int start, int length) {
    m_selStart = start;
    m_selLength = length;
  }
  bool acceptsFirstResponder() const override { return isEnabled() && (m_editable || m_selectable); }
  void setSelectable(bool s) { m_selectable = s; }

private:
  bool m_editable = true, m_bordered = true, m_drawsBackground = true, m_selectable = true;
  bool m_editing = false;
  int m_selStart = 0, m_selLength = 0;
};

// An editable field with a list of suggested items.
class ComboBox : public TextField {
public:
  explicit ComboBox(const Rect& frame = {}) : TextField(frame) {}
  int numberOfItems() const { return int(m_items.size()); }
  const std::string& itemAt(int i) const { return m_items[size_t(i)]; }
  void insertItem(const std::string& s, int index);
  void removeItemAt(int index);
  void removeAllItems();
  int indexOfSelectedItem() const { return m_selected; }
  void selectItemAt(int index);
  void deselectItemAt(int index) {
    if (index == m_selected) m_selected = -1;
  }
  int numberOfVisibleItems() const { return m_visibleItems; }
  void setNumberOfVisibleItems(int n) { m_visibleItems = n; }

private:
  std::vector<std::string> m_items;
  int m_selected = -1;
  int m_visibleItems = 5;
};

class Slider : public Control {
public:
  explicit Slider(const Rect& frame = {}) : Control(frame) {}
  double minValue() const { return m_min; }
  double maxValue() const { return m_max; }
  double value() const { return m_value; }
  void setMinValue(double v) { m_min = v; }
  void setMaxValue(double v) { m_max = v; }
  // Held inside the range.
  void setValue(double v);

private:
  double m_min = 0, m_max = 1, m_value = 0;
};

// Multi-line text.
class TextView : public View {
public:
  explicit TextView(const Rect& frame = {}) : View(frame) {}
  const std::string& string() const { return m_text; }
  virtual void setString(const std::string& s) {
    m_text = s;
    setNeedsDisplay(true);
  }
  bool isEditable() const { return m_editable; }
  void setEditable(bool e) { m_editable = e; }
  bool isFlipped() const override { return true; }
  bool acceptsFirstResponder() const override { return true; }
  // The field editor of this text field while it is being edited; null for
  // a free-standing text view.
  TextField* editedField() const { return m_field; }
  void setEditedField(TextField* f) { m_field = f; }

private:
  std::string m_text;
  bool m_editable = true;
  TextField* m_field = nullptr;
};

// A titled frame around other views.
class Box : public View {
public:
  explicit Box(const Rect& frame = {}) : View(frame) {}
  const std::string& title() const { return m_title; }
  void setTitle(const std::string& t) {
    m_title = t;
    setNeedsDisplay(true);
  }
  uint32_t titleColor() const { return m_titleColor; }
  void setTitleColor(uint32_t c) { m_titleColor = c; }

private:
  std::string m_title;
  uint32_t m_titleColor = 0xFF000000;
};

// Shows part of its document view; its bounds origin is the scroll position.
class ClipView : public View {
public:
  explicit ClipView(const Rect& frame = {}) : View(frame) {}
  View* documentView() const { return subviews().empty() ? nullptr : subviews().front(); }
  void setDocumentView(View* v);
  bool isFlipped() const override { return true; }
  void setFrame(const Rect& f) override;
  void subviewGeometryChanged(View* v) override;
  void didAddSubview(View* v) override;
};

class ScrollView;

// The bar beside a scroll view's content: a track and a thumb whose length is
// the visible share of the content and whose place is the scroll position.
// A click on the track pages towards it; dragging the thumb scrolls.
class Scroller : public View {
public:
  explicit Scroller(bool vertical) : m_vertical(vertical) {}
  bool isVertical() const { return m_vertical; }
  bool isFlipped() const override { return true; }
  // Visible share of the content (0..1] and position (0 start, 1 end).
  double knobProportion() const;
  double value() const;
  // The thumb in own coordinates (empty when nothing can scroll).
  Rect knobRect() const;
  bool isTracking() const { return m_tracking; }
  void draw(DrawContext& ctx, const Rect& dirty) override;
  void mouseDown(const Event& e) override;
  void mouseDragged(const Event& e) override;
  void mouseUp(const Event& e) override;
  static constexpr double kMinKnobLength = 18;

private:
  ScrollView* scrollView() const;
  double along(const Point& p) const { return m_vertical ? p.y : p.x; }
  bool m_vertical;
  bool m_tracking = false;
  double m_grab = 0;  // pointer offset into the thumb while dragging it
};

class ScrollView : public View {
public:
  explicit ScrollView(const Rect& frame = {});
  ClipView* contentView() const { return m_clip; }
  View* documentView() const { return m_clip->documentView(); }
  void setDocumentView(View* v) { m_clip->setDocumentView(v); }
  bool hasVerticalScroller() const { return m_vScroller; }
  bool hasHorizontalScroller() const { return m_hScroller; }
  void setHasVerticalScroller(bool s);
  void setHasHorizontalScroller(bool s);
  // Scrollers that show only while the content does not fit.
  bool autohidesScrollers() const { return m_autohide; }
  void setAutohidesScrollers(bool a);
  Scroller* verticalScroller() const { return m_vBar; }
  Scroller* horizontalScroller() const { return m_hBar; }
  // The clip view's size: the frame less the scrollers shown.
  Size contentSize() const;
  // The document's scroll range: the clip's bounds origin moves within it.
  Rect scrollRange() const;
  // Moves the clip's bounds origin, held inside the range.
  void scrollToPoint(const Point& p);
  void setFrame(const Rect& f) override;
  void subviewGeometryChanged(View* v) override;
  // Places clip view and scrollers for the content's size.
  void tile();
  static constexpr double kScrollerWidth = 15;

private:
  ClipView* m_clip = nullptr;
  Scroller* m_vBar = nullptr;
  Scroller* m_hBar = nullptr;
  bool m_vScroller = false, m_hScroller = false, m_autohide = false;
  bool m_tiling = false, m_retile = false;
};

}  // namespace plat
