#include "gestures.h"

#include <math.h>

#include "app.h"
#include "window.h"

namespace plat {

namespace {
void queueGesture(EventType t, Window* w, const Point& at, uint32_t mods, double dx, double dy,
                  double dz, double rotation) {
  if (!w) return;
  Event e;
  e.type = t;
  e.timestamp = app().now();
  e.window = w;
  e.location = at;
  e.modifierFlags = mods;
  e.deltaX = dx;
  e.deltaY = dy;
  e.deltaZ = dz;
  e.magnification = dz;
  e.rotation = rotation;
  app().queueEvent(e);
}
}  // namespace

void queueMagnify(Window* w, const Point& at, double magnification, uint32_t modifiers) {
  queueGesture(EventType::Magnify, w, at, modifiers, 0, 0, magnification, 0);
}

void queueRotate(Window* w, const Point& at, double degrees, uint32_t modifiers) {
  queueGesture(EventType::Rotate, w, at, modifiers, 0, 0, 0, degrees);
}

void queueSwipe(Window* w, const Point& at, double dx, double dy, uint32_t modifiers) {
  queueGesture(EventType::Swipe, w, at, modifiers, dx, dy, 0, 0);
}

double FingerTracker::spread() const {
  if (m_fingers.size() < 2) return 0;
  double cx = 0, cy = 0;
  for (auto& f : m_fingers) {
    cx += f.second.x;
    cy += f.second.y;
  }
  cx /= double(m_fingers.size());
  cy /= double(m_fingers.size());
  double d = 0;
  for (auto& f : m_fingers) d += hypot(f.second.x - cx, f.second.y - cy);
  return d / double(m_fingers.size());
}

double magnificationFor(double dDist, double spread) {
  if (!(fabs(dDist) > 1e-4)) return 0;
  double before = spread - dDist;
  // Without a usable spread the change itself, against a hand-wide one.
  if (!(before > 1e-3)) before = 0.25;
  return dDist / before;
}

void TouchpadGestures::pinchUpdate(Window* w, const Point& at, double scale, double angleDelta,
                                   uint32_t mods) {
  if (scale > 0 && m_scale > 0 && fabs(scale - m_scale) > 1e-4) {
    queueMagnify(w, at, scale / m_scale - 1, mods);
    m_scale = scale;
  }
  if (fabs(angleDelta) > 1e-3) queueRotate(w, at, -angleDelta, mods);
}

void TouchpadGestures::swipeEnd(Window* w, const Point& at, bool cancelled, uint32_t mods) {
  double dx = m_dx, dy = m_dy;
  m_dx = m_dy = 0;
  if (cancelled) return;
  if (fabs(dx) >= fabs(dy) && fabs(dx) >= kSwipeDistance)
    queueSwipe(w, at, dx > 0 ? 1 : -1, 0, mods);
  else if (fabs(dy) > fabs(dx) && fabs(dy) >= kSwipeDistance)
    queueSwipe(w, at, 0, dy > 0 ? -1 : 1, mods);
}

}  // namespace plat
