#pragma once

// The view tree. A view has a frame in its superview's coordinates, its own
// coordinates (y up unless flipped), a tag, a hidden flag, a needs-display
// rectangle and an ordered list of subviews (last drawn on top). Views retain
// their subviews. Subclass hooks mirror the desktop's responder methods;
// unhandled mouse and key events travel up to the superview.

#include <stdint.h>

#include <vector>

#include "draw_context.h"
#include "event.h"
#include "geometry.h"
#include "object.h"

namespace plat {

class Window;

class View : public Object {
public:
  explicit View(const Rect& frame = {});

  // --- tree
  View* superview() const { return m_super; }
  Window* window() const { return m_window; }
  const std::vector<View*>& subviews() const { return m_subviews; }
  enum class Place { Above, Below };
  // Appends (on top); a view in another superview is moved.
  void addSubview(View* v);
  // Inserts directly above or below `relativeTo` (null: on top / at the bottom).
  void addSubview(View* v, Place place, View* relativeTo);
  // Leaves the superview; may delete this view when it held the last reference.
  void removeFromSuperview();
  bool isDescendantOf(const View* ancestor) const;  // true for itself
  int indexOfSubview(const View* v) const;

  // --- geometry
  const Rect& frame() const { return m_frame; }
  virtual void setFrame(const Rect& f);
  void setFrameOrigin(const Point& p) { setFrame({p.x, p.y, m_frame.w, m_frame.h}); }
  void setFrameSize(const Size& s) { setFrame({m_frame.x, m_frame.y, s.w, s.h}); }
  Rect bounds() const { return {m_boundsOrigin.x, m_boundsOrigin.y, m_frame.w, m_frame.h}; }
  // Scrolls the content: the point shown at the view's origin.
  void setBoundsOrigin(const Point& p);
  virtual bool isFlipped() const { return false; }

  // Window base coordinates: bottom-left of the window's content, y up.
  Point convertToWindow(const Point& p) const;
  Point convertFromWindow(const Point& p) const;
  // From another view of the same window (null: window base coordinates).
  Point convertPoint(const Point& p, const View* from) const;
  Rect convertRect(const Rect& r, const View* from) const;
  Rect convertRectToWindow(const Rect& r) const;
  // Rectangle of the view in window pixels (top-left origin, the backing
  // bitmap's coordinates), and the transform that draws the view there.
  Rect pixelRectInWindow() const;
  DrawContext::Transform pixelTransform() const;

  // --- visibility
  bool isHidden() const { return m_hidden; }
  virtual void setHidden(bool hidden);
  bool isHiddenOrHasHiddenAncestor() const;

  // --- identity
  intptr_t tag() const { return m_tag; }
  virtual void setTag(intptr_t t) { m_tag = t; }

  // --- display
  bool needsDisplay() const { return m_needsDisplay; }
  void setNeedsDisplay(bool yes);
  // Own coordinates. Overridable so views can tell enclosing views about it;
  // overrides call the base.
  virtual void setNeedsDisplayInRect(const Rect& r);
  // Area marked since the last display, own coordinates.
  const Rect& dirtyRect() const { return m_dirty; }
  // Draws the window now when this view needs it.
  void displayIfNeeded();
  // Draws the area `dirty` (own coordinates). The context's transform maps
  // own coordinates to the window's pixels and is clipped to the view.
  virtual void draw(DrawContext& ctx, const Rect& dirty);
  // A view that paints its whole frame hides the views behind it.
  virtual bool isOpaque() const { return false; }
  // Clears needsDisplay and the dirty rectangle (called after a display).
  void clearNeedsDisplay();

  // --- responder
  virtual bool acceptsFirstResponder() const { return false; }
  virtual bool becomeFirstResponder() { return true; }
  virtual bool resignFirstResponder() { return true; }
  // A click on an inactive window also reaches this view when true.
  virtual bool acceptsFirstMouse(const Event&) { return false; }
  // Deepest visible view under a point given in the superview's coordinates.
  virtual View* hitTest(const Point& pointInSuperview);

  // --- events (default: pass to the superview)
  virtual void mouseDown(const Event& e);
  virtual void mouseUp(const Event& e);
  virtual void mouseDragged(const Event& e);
  virtual void rightMouseDown(const Event& e);
  virtual void rightMouseUp(const Event& e);
  virtual void rightMouseDragged(const Event& e);
  virtual void otherMouseDown(const Event& e);
  virtual void otherMouseUp(const Event& e);
  virtual void otherMouseDragged(const Event& e);
  virtual void mouseMoved(const Event& e);
  virtual void scrollWheel(const Event& e);
  virtual void keyDown(const Event& e);
  virtual void keyUp(const Event& e);
  virtual void flagsChanged(const Event& e);
  virtual void gesture(const Event& e);
  // Sent only to views that asked for them with setTracksMouse(true).
  virtual void mouseEntered(const Event&) {}
  virtual void mouseExited(const Event&) {}
  void setTracksMouse(bool yes) { m_tracksMouse = yes; }
  bool tracksMouse() const { return m_tracksMouse; }

  // --- notifications for subclasses
  virtual void viewDidMoveToWindow() {}
  virtual void viewDidMoveToSuperview() {}
  virtual void didAddSubview(View*) {}
  virtual void willRemoveSubview(View*) {}
  // A subview's frame or bounds origin changed (scroll views follow their
  // content this way).
  virtual void subviewGeometryChanged(View*) {}
  // The clip view showing this view changed size.
  virtual void enclosingClipViewResized() {}

protected:
  ~View() override;

private:
  friend class Window;
  void setWindowRecursive(Window* w);
  void insertSubviewAt(View* v, size_t index);
  Point localToWindowPixels(const Point& p) const;
  Point windowPixelsToLocal(const Point& p) const;
  Point pixelOrigin() const;  // top-left corner of the frame in window pixels

  View* m_super = nullptr;
  Window* m_window = nullptr;
  std::vector<View*> m_subviews;
  Rect m_frame;
  Point m_boundsOrigin;
  intptr_t m_tag = -1;
  bool m_hidden = false;
  bool m_needsDisplay = false;
  bool m_tracksMouse = false;
  Rect m_dirty;
};

}  // namespace plat
