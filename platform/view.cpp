#include "view.h"

#include <math.h>

#include <algorithm>

#include "window.h"

namespace plat {

View::View(const Rect& frame) : m_frame(frame) {}

View::~View() {
  for (View* v : m_subviews) {
    v->m_super = nullptr;
    v->setWindowRecursive(nullptr);
    v->release();
  }
}

void View::addSubview(View* v) { addSubview(v, Place::Above, nullptr); }

void View::addSubview(View* v, Place place, View* relativeTo) {
  if (!v || v == this || isDescendantOf(v)) return;
  Ref<View> hold(v);
  if (v->m_super) v->removeFromSuperview();
  size_t index;
  int rel = relativeTo ? indexOfSubview(relativeTo) : -1;
  if (rel < 0)
    index = place == Place::Above ? m_subviews.size() : 0;
  else
    index = place == Place::Above ? size_t(rel) + 1 : size_t(rel);
  insertSubviewAt(v, index);
}

void View::insertSubviewAt(View* v, size_t index) {
  v->retain();
  m_subviews.insert(m_subviews.begin() + std::min(index, m_subviews.size()), v);
  v->m_super = this;
  if (v->m_window != m_window) v->setWindowRecursive(m_window);
  v->viewDidMoveToSuperview();
  didAddSubview(v);
  v->setNeedsDisplay(true);
}

void View::removeFromSuperview() {
  View* sup = m_super;
  if (!sup) return;
  Ref<View> hold(this);
  sup->willRemoveSubview(this);
  if (m_super != sup) return;  // moved by the hook
  sup->setNeedsDisplayInRect(m_frame);
  auto it = std::find(sup->m_subviews.begin(), sup->m_subviews.end(), this);
  if (it != sup->m_subviews.end()) sup->m_subviews.erase(it);
  m_super = nullptr;
  setWindowRecursive(nullptr);
  viewDidMoveToSuperview();
  release();  // the superview's reference
}

bool View::isDescendantOf(const View* ancestor) const {
  for (const View* v = this; v; v = v->m_super)
    if (v == ancestor) return true;
  return false;
}

int View::indexOfSubview(const View* v) const {
  for (size_t i = 0; i < m_subviews.size(); ++i)
    if (m_subviews[i] == v) return int(i);
  return -1;
}

void View::setWindowRecursive(Window* w) {
  Window* old = m_window;
  if (old && old != w) old->viewLeaving(this);
  m_window = w;
  for (View* v : m_subviews) v->setWindowRecursive(w);
  if (old != w) viewDidMoveToWindow();
}

void View::setFrame(const Rect& f) {
  Rect old = m_frame;
  if (old == f) return;
  if (m_super) m_super->setNeedsDisplayInRect(old);
  m_frame = f;
  if (m_super)
    m_super->setNeedsDisplayInRect(f);
  else
    setNeedsDisplay(true);
  if (m_super) m_super->subviewGeometryChanged(this);
}

void View::setBoundsOrigin(const Point& p) {
  if (p.x == m_boundsOrigin.x && p.y == m_boundsOrigin.y) return;
  m_boundsOrigin = p;
  setNeedsDisplay(true);
  if (m_super) m_super->subviewGeometryChanged(this);
}

Point View::pixelOrigin() const {
  if (!m_super) return {0, 0};
  Point corner = m_super->isFlipped() ? Point{m_frame.x, m_frame.y}
                                      : Point{m_frame.x, m_frame.y + m_frame.h};
  return m_super->localToWindowPixels(corner);
}

Point View::localToWindowPixels(const Point& p) const {
  Point tl = pixelOrigin();
  double x = tl.x + p.x - m_boundsOrigin.x;
  double y = isFlipped() ? tl.y + p.y - m_boundsOrigin.y
                         : tl.y + m_frame.h - (p.y - m_boundsOrigin.y);
  return {x, y};
}

Point View::windowPixelsToLocal(const Point& q) const {
  Point tl = pixelOrigin();
  double x = q.x - tl.x + m_boundsOrigin.x;
  double y = isFlipped() ? q.y - tl.y + m_boundsOrigin.y
                         : m_frame.h - (q.y - tl.y) + m_boundsOrigin.y;
  return {x, y};
}

namespace {
// Height of the tree's root: the window content height that turns window
// pixels (y down) into window base coordinates (y up).
double rootHeight(const View* v) {
  while (v->superview()) v = v->superview();
  return v->frame().h;
}
}  // namespace

Point View::convertToWindow(const Point& p) const {
  Point q = localToWindowPixels(p);
  return {q.x, rootHeight(this) - q.y};
}

Point View::convertFromWindow(const Point& p) const {
  return windowPixelsToLocal({p.x, rootHeight(this) - p.y});
}

Point View::convertPoint(const Point& p, const View* from) const {
  if (!from) return convertFromWindow(p);
  return windowPixelsToLocal(from->localToWindowPixels(p));
}

Rect View::convertRect(const Rect& r, const View* from) const {
  Point a = convertPoint({r.x, r.y}, from);
  Point b = convertPoint({r.x + r.w, r.y + r.h}, from);
  return {std::min(a.x, b.x), std::min(a.y, b.y), fabs(b.x - a.x), fabs(b.y - a.y)};
}

Rect View::convertRectToWindow(const Rect& r) const {
  Point a = convertToWindow({r.x, r.y});
  Point b = convertToWindow({r.x + r.w, r.y + r.h});
  return {std::min(a.x, b.x), std::min(a.y, b.y), fabs(b.x - a.x), fabs(b.y - a.y)};
}

Rect View::pixelRectInWindow() const {
  Point tl = pixelOrigin();
  return {tl.x, tl.y, m_frame.w, m_frame.h};
}

DrawContext::Transform View::pixelTransform() const {
  Point tl = pixelOrigin();
  if (isFlipped()) return {tl.x - m_boundsOrigin.x, tl.y - m_boundsOrigin.y, 1};
  return {tl.x - m_boundsOrigin.x, tl.y + m_frame.h + m_boundsOrigin.y, -1};
}

void View::setHidden(bool hidden) {
  if (m_hidden == hidden) return;
  m_hidden = hidden;
  if (m_super) m_super->setNeedsDisplayInRect(m_frame);
  if (hidden && m_window) m_window->viewLeaving(this);
  if (!hidden) setNeedsDisplay(true);
}

bool View::isHiddenOrHasHiddenAncestor() const {
  for (const View* v = this; v; v = v->m_super)
    if (v->m_hidden) return true;
  return false;
}

void View::setNeedsDisplay(bool yes) {
  if (yes)
    setNeedsDisplayInRect(bounds());
  else
    clearNeedsDisplay();
}

void View::setNeedsDisplayInRect(const Rect& r) {
  Rect own = r.intersect(bounds());
  if (own.isEmpty()) return;
  m_needsDisplay = true;
  m_dirty = m_dirty.unite(own);
  if (m_window) {
    Point a = localToWindowPixels({own.x, own.y});
    Point b = localToWindowPixels({own.x + own.w, own.y + own.h});
    m_window->invalidatePixels(
        {std::min(a.x, b.x), std::min(a.y, b.y), fabs(b.x - a.x), fabs(b.y - a.y)});
  }
}

void View::clearNeedsDisplay() {
  m_needsDisplay = false;
  m_dirty = {};
}

void View::displayIfNeeded() {
  if (m_window) m_window->displayIfNeeded();
}

void View::draw(DrawContext&, const Rect&) {}

View* View::hitTest(const Point& pointInSuperview) {
  if (m_hidden) return nullptr;
  Point local = m_super ? convertPoint(pointInSuperview, m_super) : convertFromWindow(pointInSuperview);
  if (!bounds().contains(local)) return nullptr;
  for (size_t i = m_subviews.size(); i-- > 0;) {
    if (View* hit = m_subviews[i]->hitTest(local)) return hit;
  }
  return this;
}

#define PLAT_FORWARD(name) \
  void View::name(const Event& e) { \
    if (m_super) m_super->name(e); \
  }
PLAT_FORWARD(mouseDown)
PLAT_FORWARD(mouseUp)
PLAT_FORWARD(mouseDragged)
PLAT_FORWARD(rightMouseDown)
PLAT_FORWARD(rightMouseUp)
PLAT_FORWARD(rightMouseDragged)
PLAT_FORWARD(otherMouseDown)
PLAT_FORWARD(otherMouseUp)
PLAT_FORWARD(otherMouseDragged)
PLAT_FORWARD(mouseMoved)
PLAT_FORWARD(scrollWheel)
PLAT_FORWARD(keyDown)
PLAT_FORWARD(keyUp)
PLAT_FORWARD(flagsChanged)
PLAT_FORWARD(gesture)
#undef PLAT_FORWARD

}  // namespace plat
