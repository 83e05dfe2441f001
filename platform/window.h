#pragma once

// Top-level windows. A window has a frame in screen coordinates (the desktop
// draws any title bar outside it, so the frame is the content area), a style,
// a level, a content view, a first responder, child windows and a backing
// bitmap that the display pass draws the view tree into. Windows are
// registered with the application while open: close() unregisters them and
// drops the application's reference.

#include <stdint.h>

#include <string>
#include <vector>

#include "bitmap.h"
#include "draw_context.h"
#include "event.h"
#include "geometry.h"
#include "object.h"

namespace plat {

class View;
class Menu;

enum StyleMask : unsigned {
  kStyleBorderless = 0,
  kStyleTitled = 1,
  kStyleClosable = 2,
  kStyleMiniaturizable = 4,
  kStyleResizable = 8,
};

// Common window levels.
enum : int {
  kLevelNormal = 0,
  kLevelFloating = 3,
  kLevelModalPanel = 8,
  kLevelPopUpMenu = 101,
};

class Window : public Object {
public:
  // contentRect in screen coordinates. The application takes the initial
  // reference: the window lives until close() unless someone retains it.
  Window(const Rect& contentRect, unsigned styleMask);

  int windowNumber() const { return m_number; }
  // A panel does not become main and may hide while the application is inactive.
  virtual bool isPanel() const { return false; }

  // --- content
  View* contentView() const { return m_content; }
  // Retains the view and sizes it to the window; the old one is released.
  void setContentView(View* v);

  // --- geometry (screen coordinates)
  const Rect& frame() const { return m_frame; }
  virtual void setFrame(const Rect& frame, bool display);
  void setFrameOrigin(const Point& p);
  Size minSize() const { return m_minSize; }
  Size maxSize() const { return m_maxSize; }
  void setMinSize(const Size& s) { m_minSize = s; }
  void setMaxSize(const Size& s) { m_maxSize = s; }
  // The limits a user resize is held to; subclasses may ask their owner.
  virtual Size effectiveMinSize() { return m_minSize; }
  virtual Size effectiveMaxSize() { return m_maxSize; }
  // Screen <-> window base coordinates.
  Point convertToScreen(const Point& p) const { return {p.x + m_frame.x, p.y + m_frame.y}; }
  Point convertFromScreen(const Point& p) const { return {p.x - m_frame.x, p.y - m_frame.y}; }

  // --- attributes
  unsigned styleMask() const { return m_style; }
  void setStyleMask(unsigned s);
  const std::string& title() const { return m_title; }
  void setTitle(const std::string& t);
  int level() const { return m_level; }
  void setLevel(int level);
  bool hasShadow() const { return m_shadow; }
  void setHasShadow(bool s) { m_shadow = s; }
  bool isOpaque() const { return m_opaque; }
  void setOpaque(bool o) { m_opaque = o; }
  uint32_t backgroundColor() const { return m_background; }
  void setBackgroundColor(uint32_t argb);
  const std::string& representedFilename() const { return m_represented; }
  // Both show in the desktop's title bar (window_title.h).
  void setRepresentedFilename(const std::string& f);
  bool isDocumentEdited() const { return m_edited; }
  void setDocumentEdited(bool e);
  bool hidesOnDeactivate() const { return m_hidesOnDeactivate; }
  void setHidesOnDeactivate(bool h) { m_hidesOnDeactivate = h; }
  // How opaque the whole window shows (1 fully).
  double alphaValue() const { return m_alpha; }
  void setAlphaValue(double a);
  // Clicks go through to the windows behind.
  bool ignoresMouseEvents() const { return m_ignoresMouse; }
  void setIgnoresMouseEvents(bool i) { m_ignoresMouse = i; }
  bool acceptsMouseMovedEvents() const { return m_acceptsMouseMoved; }
  void setAcceptsMouseMovedEvents(bool a) { m_acceptsMouseMoved = a; }
  // The button that Return presses (not retained).
  View* defaultButton() const { return m_defaultButton; }
  void setDefaultButton(View* v) { m_defaultButton = v; }

  // --- ordering and key state
  bool isVisible() const { return m_visible; }
  void orderFront();
  void orderOut();
  void makeKeyAndOrderFront();
  void makeKeyWindow();
  void miniaturize();
  void deminiaturize();
  bool isMiniaturized() const { return m_miniaturized; }
  bool isKeyWindow() const;
  bool isMainWindow() const;
  virtual bool canBecomeKeyWindow() { return true; }
  virtual bool canBecomeMainWindow() { return !isPanel(); }
  // Closes: hides, leaves the application and any parent, drops the
  // application's reference.
  void close();
  bool isClosed() const { return m_closed; }
  // The close button: asks windowShouldClose(), closes on true.
  void performClose();

  // --- child windows move and order with their parent
  Window* parentWindow() const { return m_parent; }
  const std::vector<Window*>& childWindows() const { return m_children; }
  void addChildWindow(Window* child);
  void removeChildWindow(Window* child);

  // --- responder
  // The first responder: a view, or null when the window itself is.
  View* firstResponder() const { return m_firstResponder; }
  bool makeFirstResponder(View* v);

  // --- events: routes to the view under the mouse or the first responder
  virtual void sendEvent(const Event& e);
  // The view that received the last mouse down and gets its drags and up.
  View* mouseTrackingView() const { return m_mouseDownView.get(); }

  // --- display
  Bitmap& backing() { return m_backing; }
  const Bitmap& backing() const { return m_backing; }
  // Marks a rectangle of window pixels (top-left origin) as needing display.
  void invalidatePixels(const Rect& r);
  bool viewsNeedDisplay() const { return !m_dirtyPixels.isEmpty(); }
  // Draws every dirty area into the backing bitmap, then tells the presenter.
  void displayIfNeeded();
  // Redraws everything.
  void display();
  // Counts completed display passes (tests wait on it).
  int displayCount() const { return m_displayCount; }

  // --- hooks for subclasses (the window acts as its own delegate)
  virtual void windowDidResize() {}
  virtual void windowDidMove() {}
  virtual void windowDidBecomeKey() {}
  virtual void windowDidResignKey() {}
  virtual void windowDidBecomeMain() {}
  virtual void windowDidResignMain() {}
  virtual bool windowShouldClose() { return true; }
  virtual void windowWillClose() {}

protected:
  ~Window() override;

private:
  friend class Application;
  friend class View;
  // A view (and its subtree) leaves the window or hides: drop pointers to it.
  void viewLeaving(View* v);
  void drawView(View* v, DrawContext& ctx, const Rect& dirtyPixels);
  void updateMouseTracking(const Event& e);

  int m_number;
  View* m_content = nullptr;
  Rect m_frame;
  Size m_minSize{1, 1}, m_maxSize{1e6, 1e6};
  unsigned m_style;
  std::string m_title;
  int m_level = kLevelNormal;
  bool m_shadow = true, m_opaque = true, m_visible = false, m_miniaturized = false;
  bool m_closed = false, m_edited = false, m_hidesOnDeactivate = false;
  bool m_acceptsMouseMoved = false;
  double m_alpha = 1;
  bool m_ignoresMouse = false;
  uint32_t m_background = 0xFFECECEC;
  std::string m_represented;
  View* m_defaultButton = nullptr;
  Window* m_parent = nullptr;
  std::vector<Window*> m_children;
  View* m_firstResponder = nullptr;
  Ref<View> m_mouseDownView;
  Ref<View> m_hoverView;
  Bitmap m_backing;
  Rect m_dirtyPixels;
  int m_displayCount = 0;
};

}  // namespace plat
