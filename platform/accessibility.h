#pragma once

// Accessibility: what assistive technologies (screen readers, magnifiers,
// test tools) learn about the program's windows. Every window, view and
// element answers for its role, name, states, place on screen, children,
// what lies under a point and what has the keyboard focus. Objects that
// derive from Accessible answer for themselves; other views are described
// from their class (buttons, fields, sliders...), and plain container views
// are ignored: their children stand in their place.
//
// The bridge to the desktop (AT-SPI, through ATK) publishes this tree on the
// accessibility bus while it runs. Main thread only.

#include <stdint.h>

#include <string>
#include <vector>

#include "geometry.h"
#include "object.h"

namespace plat {

class View;
class Window;

enum class AccessibleRole {
  Unknown, Application, Window, Dialog, Panel, Group, PushButton, CheckBox, RadioButton,
  PopUpButton, ComboBox, Slider, Label, TextField, TextArea, ScrollArea, Image, LevelIndicator,
  Canvas, ListItem
};

enum : uint32_t {
  kAccessibleEnabled = 1,
  kAccessibleFocusable = 2,
  kAccessibleChecked = 4,
  kAccessibleEditable = 8,
  kAccessibleMultiLine = 16,
  kAccessibleSelected = 32,
};

class Accessible {
public:
  virtual ~Accessible() = default;
  virtual bool accessibilityIsIgnored() = 0;
  virtual AccessibleRole accessibilityRole() = 0;
  virtual std::string accessibilityName() = 0;
  virtual uint32_t accessibilityStates() = 0;
  // The enclosing object (ignored or not); null at the top.
  virtual Object* accessibilityParent() = 0;
  // Screen coordinates (bottom-left origin).
  virtual Rect accessibilityFrame() = 0;
  // In order; ignored entries may be in it (see unignoredObjects()).
  virtual std::vector<Object*> accessibilityChildren() = 0;
  virtual std::vector<Object*> accessibilityVisibleChildren() = 0;
  // The deepest unignored object at a screen point inside this one (this
  // one itself when nothing deeper is there), null when there is none.
  virtual Object* accessibilityHitTest(const Point& screenPoint) = 0;
  // The object inside this one that has the keyboard focus.
  virtual Object* accessibilityFocusedElement() = 0;
};

// An ordered list of objects, retained (caches keep these).
class ObjectList : public Object {
public:
  std::vector<Ref<Object>> items;
  std::vector<Object*> raw() const;
};

// The questions for any object: its own answers when it is Accessible,
// the defaults below for views and windows, nothing for other objects.
bool accessibleIsIgnored(Object* o);
AccessibleRole accessibleRole(Object* o);
std::string accessibleName(Object* o);
uint32_t accessibleStates(Object* o);
Object* accessibleParent(Object* o);
Rect accessibleFrame(Object* o);
std::vector<Object*> accessibleChildren(Object* o);
std::vector<Object*> accessibleVisibleChildren(Object* o);
Object* accessibleHitTest(Object* o, const Point& screenPoint);
Object* accessibleFocusedElement(Object* o);

// The list with each ignored object replaced by its own unignored visible
// children, recursively.
std::vector<Object*> unignoredObjects(const std::vector<Object*>& list);
// The object itself when unignored, else its nearest unignored ancestor.
Object* unignoredAncestor(Object* o);
// The element with the keyboard focus in the whole program (key window
// first), or null.
Object* focusedElementOfApplication();

// What a view is without answers of its own.
namespace accessible_default {
bool isIgnored(View* v);
AccessibleRole role(View* v);
std::string name(View* v);
uint32_t states(View* v);
Object* parent(View* v);
Rect frame(View* v);
std::vector<Object*> children(View* v);
std::vector<Object*> visibleChildren(View* v);
Object* hitTest(View* v, const Point& screenPoint);
Object* focusedElement(View* v);
}  // namespace accessible_default

// An element a view describes itself with (parts it draws itself, say): a
// role, a name, a frame in the view's coordinates and child elements. The
// element with the focus is chosen by setFocusedChild().
class AccessibleElement : public Object, public Accessible {
public:
  AccessibleElement(View* owner, AccessibleRole role, const std::string& name,
                    const Rect& frameInOwner);
  // Retained; the child's parent becomes this element.
  void addChild(AccessibleElement* child);
  const std::vector<Ref<AccessibleElement>>& children() const { return m_children; }
  void setFocusedChild(AccessibleElement* child) { m_focused = child; }
  void setIgnored(bool i) { m_ignored = i; }
  void setStates(uint32_t s) { m_states = s; }
  void setName(const std::string& n) { m_name = n; }
  View* owner() const;

  bool accessibilityIsIgnored() override { return m_ignored; }
  AccessibleRole accessibilityRole() override { return m_role; }
  std::string accessibilityName() override { return m_name; }
  uint32_t accessibilityStates() override { return m_states; }
  Object* accessibilityParent() override;
  Rect accessibilityFrame() override;
  std::vector<Object*> accessibilityChildren() override;
  std::vector<Object*> accessibilityVisibleChildren() override { return accessibilityChildren(); }
  Object* accessibilityHitTest(const Point& screenPoint) override;
  Object* accessibilityFocusedElement() override;

private:
  View* m_owner;
  Object* m_parent = nullptr;  // the element it was added to, else the owner
  AccessibleRole m_role;
  std::string m_name;
  Rect m_frame;
  uint32_t m_states = kAccessibleEnabled;
  bool m_ignored = false;
  std::vector<Ref<AccessibleElement>> m_children;
  AccessibleElement* m_focused = nullptr;
};

// Publishes the tree on the desktop's accessibility bus (AT-SPI) under the
// application name given, when one is reachable: AT_SPI_BUS_ADDRESS, or a
// session bus (DBUS_SESSION_BUS_ADDRESS) that names it; NO_AT_BRIDGE=1 keeps
// it off. False with the reason when it does not run.
bool startAccessibilityBridge(const std::string& appName, std::string* why = nullptr);
void stopAccessibilityBridge();
bool accessibilityBridgeRunning();

}  // namespace plat
