#include "accessibility.h"

#include <algorithm>

#include "app.h"
#include "controls.h"
#include "view.h"
#include "window.h"

namespace plat {

std::vector<Object*> ObjectList::raw() const {
  std::vector<Object*> out;
  for (const Ref<Object>& r : items) out.push_back(r.get());
  return out;
}

namespace {

Accessible* selfDescribing(Object* o) { return dynamic_cast<Accessible*>(o); }

Rect screenRectOfView(View* v) {
  Window* w = v ? v->window() : nullptr;
  if (!w) return {};
  Rect r = v->convertRectToWindow(v->bounds());
  Point p = w->convertToScreen({r.x, r.y});
  return {p.x, p.y, r.w, r.h};
}

}  // namespace

namespace accessible_default {

bool isIgnored(View* v) {
  if (!v) return true;
  if (dynamic_cast<Control*>(v) || dynamic_cast<TextView*>(v) || dynamic_cast<Box*>(v) ||
      dynamic_cast<ScrollView*>(v))
    return false;
  return true;  // containers and views that draw what they like
}

AccessibleRole role(View* v) {
  if (auto* b = dynamic_cast<Button*>(v)) {
    if (dynamic_cast<PopUpButton*>(v)) return AccessibleRole::PopUpButton;
    switch (b->kind()) {
      case Button::Kind::CheckBox: return AccessibleRole::CheckBox;
      case Button::Kind::Radio: return AccessibleRole::RadioButton;
      default: return AccessibleRole::PushButton;
    }
  }
  if (dynamic_cast<ComboBox*>(v)) return AccessibleRole::ComboBox;
  if (auto* f = dynamic_cast<TextField*>(v))
    return f->isEditable() ? AccessibleRole::TextField : AccessibleRole::Label;
  if (dynamic_cast<Slider*>(v)) return AccessibleRole::Slider;
  if (dynamic_cast<TextView*>(v)) return AccessibleRole::TextArea;
  if (dynamic_cast<Box*>(v)) return AccessibleRole::Group;
  if (dynamic_cast<ScrollView*>(v)) return AccessibleRole::ScrollArea;
  return AccessibleRole::Unknown;
}

std::string name(View* v) {
  if (auto* c = dynamic_cast<Control*>(v)) return c->stringValue();
  if (auto* b = dynamic_cast<Box*>(v)) return b->title();
  return std::string();
}

uint32_t states(View* v) {
  uint32_t s = 0;
  auto* c = dynamic_cast<Control*>(v);
  if (!c || c->isEnabled()) s |= kAccessibleEnabled;
  if (v && v->acceptsFirstResponder()) s |= kAccessibleFocusable;
  if (auto* b = dynamic_cast<Button*>(v))
    if (b->kind() != Button::Kind::Push && b->state() == 1) s |= kAccessibleChecked;
  if (auto* f = dynamic_cast<TextField*>(v))
    if (f->isEditable()) s |= kAccessibleEditable;
  if (auto* t = dynamic_cast<TextView*>(v)) {
    s |= kAccessibleMultiLine;
    if (t->isEditable()) s |= kAccessibleEditable;
  }
  return s;
}

Object* parent(View* v) {
  if (!v) return nullptr;
  if (v->superview()) return v->superview();
  Window* w = v->window();
  return w && w->contentView() == v ? w : nullptr;
}

Rect frame(View* v) { return screenRectOfView(v); }

std::vector<Object*> children(View* v) {
  std::vector<Object*> out;
  if (v)
    for (View* s : v->subviews()) out.push_back(s);
  return out;
}

std::vector<Object*> visibleChildren(View* v) {
  std::vector<Object*> out;
  if (v)
    for (View* s : v->subviews())
      if (!s->isHidden()) out.push_back(s);
  return out;
}

Object* hitTest(View* v, const Point& screenPoint) {
  Window* w = v ? v->window() : nullptr;
  if (!w || v->isHiddenOrHasHiddenAncestor()) return nullptr;
  Point local = v->convertFromWindow(w->convertFromScreen(screenPoint));
  if (!v->bounds().contains(local)) return nullptr;
  View* deepest = nullptr;
  const auto& subs = v->subviews();
  for (size_t i = subs.size(); i-- > 0 && !deepest;) deepest = subs[i]->hitTest(local);
  // From the deepest view up: the first that answers for itself or counts.
  for (View* c = deepest; c && c != v; c = c->superview()) {
    if (selfDescribing(c)) {
      if (Object* r = accessibleHitTest(c, screenPoint)) return r;
      continue;
    }
    if (!isIgnored(c)) return c;
  }
  return accessibleIsIgnored(v) ? nullptr : v;
}

Object* focusedElement(View* v) { return unignoredAncestor(v); }

}  // namespace accessible_default

#define PLAT_ACCESS(expr_self, expr_view, fallback) \
  if (Accessible* a = selfDescribing(o)) return expr_self; \
  if (View* v = dynamic_cast<View*>(o)) return expr_view; \
  return fallback

bool accessibleIsIgnored(Object* o) {
  if (Window* w = dynamic_cast<Window*>(o)) {
    // A window without a title bar and without any views in it (a pop-up
    // that draws itself) is not worth telling about.
    View* c = w->contentView();
    return w->styleMask() == kStyleBorderless && (!c || c->subviews().empty());
  }
  PLAT_ACCESS(a->accessibilityIsIgnored(), accessible_default::isIgnored(v), true);
}

AccessibleRole accessibleRole(Object* o) {
  if (Window* w = dynamic_cast<Window*>(o))
    return w->isPanel() ? AccessibleRole::Dialog : AccessibleRole::Window;
  PLAT_ACCESS(a->accessibilityRole(), accessible_default::role(v), AccessibleRole::Unknown);
}

std::string accessibleName(Object* o) {
  if (Window* w = dynamic_cast<Window*>(o)) return w->title();
  PLAT_ACCESS(a->accessibilityName(), accessible_default::name(v), std::string());
}

uint32_t accessibleStates(Object* o) {
  if (dynamic_cast<Window*>(o)) return kAccessibleEnabled;
  PLAT_ACCESS(a->accessibilityStates(), accessible_default::states(v), 0u);
}

Object* accessibleParent(Object* o) {
  if (dynamic_cast<Window*>(o)) return nullptr;
  PLAT_ACCESS(a->accessibilityParent(), accessible_default::parent(v), nullptr);
}

Rect accessibleFrame(Object* o) {
  if (Window* w = dynamic_cast<Window*>(o)) return w->frame();
  PLAT_ACCESS(a->accessibilityFrame(), accessible_default::frame(v), Rect());
}

std::vector<Object*> accessibleChildren(Object* o) {
  if (Window* w = dynamic_cast<Window*>(o))
    return w->contentView() ? std::vector<Object*>{w->contentView()} : std::vector<Object*>();
  PLAT_ACCESS(a->accessibilityChildren(), accessible_default::children(v), std::vector<Object*>());
}

std::vector<Object*> accessibleVisibleChildren(Object* o) {
  if (Window* w = dynamic_cast<Window*>(o))
    return w->contentView() ? std::vector<Object*>{w->contentView()} : std::vector<Object*>();
  PLAT_ACCESS(a->accessibilityVisibleChildren(), accessible_default::visibleChildren(v),
              std::vector<Object*>());
}

Object* accessibleHitTest(Object* o, const Point& screenPoint) {
  if (Window* w = dynamic_cast<Window*>(o))
    return w->contentView() ? accessibleHitTest(w->contentView(), screenPoint) : nullptr;
  PLAT_ACCESS(a->accessibilityHitTest(screenPoint), accessible_default::hitTest(v, screenPoint),
              nullptr);
}

Object* accessibleFocusedElement(Object* o) {
  if (Window* w = dynamic_cast<Window*>(o)) {
    View* f = w->firstResponder() ? w->firstResponder() : w->contentView();
    return f ? accessibleFocusedElement(f) : nullptr;
  }
  PLAT_ACCESS(a->accessibilityFocusedElement(), accessible_default::focusedElement(v), nullptr);
}

#undef PLAT_ACCESS

std::vector<Object*> unignoredObjects(const std::vector<Object*>& list) {
  std::vector<Object*> out;
  for (Object* o : list) {
    if (!o) continue;
    if (!accessibleIsIgnored(o)) {
      out.push_back(o);
      continue;
    }
    std::vector<Object*> inner = unignoredObjects(accessibleVisibleChildren(o));
    out.insert(out.end(), inner.begin(), inner.end());
  }
  return out;
}

Object* unignoredAncestor(Object* o) {
  for (int depth = 0; o && depth < 256; ++depth) {
    if (!accessibleIsIgnored(o)) return o;
    o = accessibleParent(o);
  }
  return nullptr;
}

Object* focusedElementOfApplication() {
  Window* w = app().keyWindow();
  if (!w) w = app().mainWindow();
  return w ? accessibleFocusedElement(w) : nullptr;
}

// --- elements

AccessibleElement::AccessibleElement(View* owner, AccessibleRole role, const std::string& name,
                                     const Rect& frameInOwner)
    : m_owner(owner), m_role(role), m_name(name), m_frame(frameInOwner) {}

View* AccessibleElement::owner() const {
  // The owner may be gone before the element.
  return Object::isLive(m_owner) ? m_owner : nullptr;
}

void AccessibleElement::addChild(AccessibleElement* child) {
  if (!child || child == this) return;
  child->m_parent = this;
  child->m_owner = m_owner;
  m_children.push_back(child);
}

Object* AccessibleElement::accessibilityParent() {
  if (m_parent && Object::isLive(m_parent)) return m_parent;
  return owner();
}

Rect AccessibleElement::accessibilityFrame() {
  View* v = owner();
  Window* w = v ? v->window() : nullptr;
  if (!w) return {};
  Rect r = v->convertRectToWindow(m_frame);
  Point p = w->convertToScreen({r.x, r.y});
  return {p.x, p.y, r.w, r.h};
}

std::vector<Object*> AccessibleElement::accessibilityChildren() {
  std::vector<Object*> out;
  for (auto& c : m_children) out.push_back(c.get());
  return out;
}

Object* AccessibleElement::accessibilityHitTest(const Point& screenPoint) {
  for (size_t i = m_children.size(); i-- > 0;)
    if (Object* r = m_children[i]->accessibilityHitTest(screenPoint)) return r;
  return accessibilityFrame().contains(screenPoint) && !m_ignored ? this : nullptr;
}

Object* AccessibleElement::accessibilityFocusedElement() {
  for (auto& c : m_children)
    if (c.get() == m_focused) return c->accessibilityFocusedElement();
  return this;
}

}  // namespace plat
