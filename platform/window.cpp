#include "window.h"

#include <math.h>

#include <algorithm>

#include "app.h"
#include "view.h"

namespace plat {

namespace {
int g_nextWindowNumber = 1;
int pixels(double v) { return std::max(0, int(floor(v + 0.5))); }
}  // namespace

Window::Window(const Rect& contentRect, unsigned styleMask)
    : m_number(g_nextWindowNumber++), m_frame(contentRect), m_style(styleMask) {
  m_backing.resize(pixels(m_frame.w), pixels(m_frame.h), m_background);
  app().registerWindow(this);
  View* content = new View({0, 0, m_frame.w, m_frame.h});
  setContentView(content);
  content->release();
}

Window::~Window() {
  for (Window* c : m_children) c->m_parent = nullptr;
  if (m_parent) {
    auto& sib = m_parent->m_children;
    sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
  }
  m_mouseDownView.reset();
  m_hoverView.reset();
  if (m_content) {
    m_content->setWindowRecursive(nullptr);
    m_content->release();
  }
}

void Window::setContentView(View* v) {
  if (v == m_content) return;
  if (v) {
    v->retain();
    if (v->superview()) v->removeFromSuperview();
    if (v->window() && v->window() != this && v->window()->m_content == v)
      v->window()->setContentView(nullptr);
  }
  View* old = m_content;
  m_content = nullptr;
  if (old) {
    old->setWindowRecursive(nullptr);
    old->release();
  }
  m_content = v;
  if (v) {
    v->setFrame({0, 0, m_frame.w, m_frame.h});
    v->setWindowRecursive(this);
    v->setNeedsDisplay(true);
  }
  invalidatePixels({0, 0, m_frame.w, m_frame.h});
}

void Window::setFrame(const Rect& f, bool display) {
  if (f == m_frame) return;
  bool resized = f.w != m_frame.w || f.h != m_frame.h;
  bool moved = f.x != m_frame.x || f.y != m_frame.y;
  m_frame = f;
  if (resized) {
    m_backing.resize(pixels(f.w), pixels(f.h), m_background);
    if (m_content) m_content->setFrame({0, 0, f.w, f.h});
    invalidatePixels({0, 0, f.w, f.h});
  }
  app().windowChanged(this);
  if (resized) windowDidResize();
  if (moved) windowDidMove();
  if (display) displayIfNeeded();
}

void Window::setFrameOrigin(const Point& p) { setFrame({p.x, p.y, m_frame.w, m_frame.h}, false); }

void Window::setStyleMask(unsigned s) {
  m_style = s;
  app().windowChanged(this);
}

void Window::setTitle(const std::string& t) {
  if (t == m_title) return;
  m_title = t;
  app().windowChanged(this);
}

void Window::setRepresentedFilename(const std::string& f) {
  if (f == m_represented) return;
  m_represented = f;
  app().windowChanged(this);
}

void Window::setDocumentEdited(bool e) {
  if (e == m_edited) return;
  m_edited = e;
  app().windowChanged(this);
}

void Window::setLevel(int level) {
  if (level == m_level) return;
  m_level = level;
  if (m_visible) app().orderWindow(this, true);
  app().windowChanged(this);
}

void Window::setAlphaValue(double a) {
  m_alpha = std::max(0.0, std::min(1.0, a));
  app().windowChanged(this);
}

void Window::setBackgroundColor(uint32_t argb) {
  m_background = argb;
  invalidatePixels({0, 0, m_frame.w, m_frame.h});
}

void Window::orderFront() {
  if (m_closed) return;
  Ref<Window> hold(this);
  bool wasVisible = m_visible;
  m_visible = true;
  m_miniaturized = false;
  app().orderWindow(this, true);
  if (!wasVisible) {
    invalidatePixels({0, 0, m_frame.w, m_frame.h});
    if (Presenter* p = app().presenter()) p->windowShown(this);
  }
}

void Window::orderOut() {
  if (!m_visible) return;
  Ref<Window> hold(this);
  m_visible = false;
  app().removeFromOrder(this);
  if (Presenter* p = app().presenter()) p->windowHidden(this);
  if (isKeyWindow()) {
    Window* next = nullptr;
    for (Window* w : app().orderedWindows())
      if (w != this && w->canBecomeKeyWindow()) {
        next = w;
        break;
      }
    app().setKeyWindow(next);
  }
}

void Window::makeKeyAndOrderFront() {
  orderFront();
  makeKeyWindow();
}

void Window::makeKeyWindow() {
  if (m_closed || !canBecomeKeyWindow()) return;
  app().setKeyWindow(this);
}

void Window::miniaturize() {
  if (!m_visible) return;
  orderOut();
  m_miniaturized = true;
}

void Window::deminiaturize() {
  if (m_miniaturized) makeKeyAndOrderFront();
}

bool Window::isKeyWindow() const { return app().keyWindow() == this; }
bool Window::isMainWindow() const { return app().mainWindow() == this; }

void Window::close() {
  if (m_closed) return;
  Ref<Window> hold(this);
  windowWillClose();
  orderOut();
  if (m_parent) m_parent->removeChildWindow(this);
  for (Window* c : std::vector<Window*>(m_children)) removeChildWindow(c);
  m_closed = true;
  if (Presenter* p = app().presenter()) p->windowClosed(this);
  app().unregisterWindow(this);
}

void Window::performClose() {
  Ref<Window> hold(this);
  if (windowShouldClose()) close();
}

void Window::addChildWindow(Window* child) {
  if (!child || child == this || child->m_parent == this) return;
  if (child->m_parent) child->m_parent->removeChildWindow(child);
  child->m_parent = this;
  m_children.push_back(child);
  if (child->m_visible) app().orderWindow(child, true);
}

void Window::removeChildWindow(Window* child) {
  auto it = std::find(m_children.begin(), m_children.end(), child);
  if (it == m_children.end()) return;
  m_children.erase(it);
  child->m_parent = nullptr;
}

bool Window::makeFirstResponder(View* v) {
  if (v == m_firstResponder) return true;
  if (v && (v->window() != this || !v->acceptsFirstResponder())) return false;
  Ref<Window> hold(this);
  if (m_firstResponder) {
    Ref<View> old(m_firstResponder);
    if (!old->resignFirstResponder()) return false;
    if (m_firstResponder != old.get()) return m_firstResponder == v;
  }
  m_firstResponder = nullptr;
  if (!v) return true;
  Ref<View> nv(v);
  m_firstResponder = v;
  if (!v->becomeFirstResponder()) {
    if (m_firstResponder == v) m_firstResponder = nullptr;
    return false;
  }
  return true;
}

void Window::viewLeaving(View* v) {
  if (m_firstResponder && m_firstResponder->isDescendantOf(v)) m_firstResponder = nullptr;
  if (m_defaultButton && m_defaultButton->isDescendantOf(v)) m_defaultButton = nullptr;
  if (m_mouseDownView && m_mouseDownView->isDescendantOf(v)) m_mouseDownView.reset();
  if (m_hoverView && m_hoverView->isDescendantOf(v)) m_hoverView.reset();
}

void Window::updateMouseTracking(const Event& e) {
  View* hit = nullptr;
  if (e.type != EventType::MouseExited && m_content) hit = m_content->hitTest(e.location);
  while (hit && !hit->tracksMouse()) hit = hit->superview();
  if (hit == m_hoverView.get()) return;
  Ref<View> old = m_hoverView;
  m_hoverView = hit;
  if (old) old->mouseExited(e);
  if (hit && m_hoverView.get() == hit) hit->mouseEntered(e);
}

void Window::sendEvent(const Event& e) {
  Ref<Window> hold(this);
  if (!m_content) return;
  switch (e.type) {
    case EventType::LeftMouseDown:
    case EventType::RightMouseDown:
    case EventType::OtherMouseDown: {
      Ref<View> view(m_content->hitTest(e.location));
      bool wasKey = isKeyWindow();
      if (!wasKey) makeKeyAndOrderFront();
      if (!view) return;
      if (!wasKey && !view->acceptsFirstMouse(e)) return;
      m_mouseDownView = view;
      if (e.type == EventType::LeftMouseDown) view->mouseDown(e);
      else if (e.type == EventType::RightMouseDown) view->rightMouseDown(e);
      else view->otherMouseDown(e);
      return;
    }
    case EventType::LeftMouseUp:
    case EventType::RightMouseUp:
    case EventType::OtherMouseUp:
    case EventType::LeftMouseDragged:
    case EventType::RightMouseDragged:
    case EventType::OtherMouseDragged: {
      Ref<View> view = m_mouseDownView ? m_mouseDownView : Ref<View>(m_content->hitTest(e.location));
      if (e.isMouseUp() && !app().isMouseButtonDown(-1)) m_mouseDownView.reset();
      if (!view) return;
      switch (e.type) {
        case EventType::LeftMouseUp: view->mouseUp(e); break;
        case EventType::RightMouseUp: view->rightMouseUp(e); break;
        case EventType::OtherMouseUp: view->otherMouseUp(e); break;
        case EventType::LeftMouseDragged: view->mouseDragged(e); break;
        case EventType::RightMouseDragged: view->rightMouseDragged(e); break;
        default: view->otherMouseDragged(e); break;
      }
      return;
    }
    case EventType::MouseMoved:
    case EventType::MouseEntered:
    case EventType::MouseExited: {
      updateMouseTracking(e);
      if (e.type != EventType::MouseMoved || !m_acceptsMouseMoved) return;
      Ref<View> view(m_content->hitTest(e.location));
      if (view) view->mouseMoved(e);
      return;
    }
    case EventType::ScrollWheel:
    case EventType::Magnify:
    case EventType::Swipe:
    case EventType::Rotate: {
      Ref<View> view(m_content->hitTest(e.location));
      if (!view) return;
      if (e.type == EventType::ScrollWheel) view->scrollWheel(e);
      else view->gesture(e);
      return;
    }
    case EventType::KeyDown:
    case EventType::KeyUp:
    case EventType::FlagsChanged: {
      Ref<View> view(m_firstResponder);
      if (!view) return;
      if (e.type == EventType::KeyDown) view->keyDown(e);
      else if (e.type == EventType::KeyUp) view->keyUp(e);
      else view->flagsChanged(e);
      return;
    }
    default: return;
  }
}

void Window::invalidatePixels(const Rect& r) {
  Rect full{0, 0, double(m_backing.width()), double(m_backing.height())};
  m_dirtyPixels = m_dirtyPixels.unite(r.intersect(full));
}

void Window::drawView(View* v, DrawContext& ctx, const Rect& dirtyPixels) {
  if (v->isHidden()) return;
  Rect vr = v->pixelRectInWindow().intersect(ctx.clipPixels());
  if (vr.isEmpty()) return;
  ctx.save();
  ctx.setClipPixels(vr);
  ctx.setTransform(v->pixelTransform());
  Rect clip = ctx.clipPixels();
  Point a = v->windowPixelsToLocal({clip.x, clip.y});
  Point b = v->windowPixelsToLocal({clip.maxX(), clip.maxY()});
  Rect local{std::min(a.x, b.x), std::min(a.y, b.y), fabs(b.x - a.x), fabs(b.y - a.y)};
  Ref<View> hold(v);
  v->clearNeedsDisplay();
  v->draw(ctx, local);
  std::vector<Ref<View>> subs(v->subviews().begin(), v->subviews().end());
  for (auto& s : subs) {
    if (s->superview() != v) continue;
    ctx.save();
    ctx.setClipPixels(clip);
    drawView(s.get(), ctx, dirtyPixels);
    ctx.restore();
  }
  ctx.restore();
}

void Window::displayIfNeeded() {
  if (m_dirtyPixels.isEmpty() || !m_content) return;
  Ref<Window> hold(this);
  Rect d = m_dirtyPixels;
  m_dirtyPixels = {};
  DrawContext ctx(&m_backing);
  ctx.setClipPixels(d);
  ctx.clearRect(ctx.clipPixels(), m_opaque ? (m_background | 0xFF000000u) : m_background);
  Ref<View> content(m_content);
  drawView(content.get(), ctx, d);
  ++m_displayCount;
  if (Presenter* p = app().presenter()) p->windowDisplayed(this);
}

void Window::display() {
  invalidatePixels({0, 0, m_frame.w, m_frame.h});
  displayIfNeeded();
}

}  // namespace plat
