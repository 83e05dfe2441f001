#pragma once

// Touch and touchpad gestures as this layer's gesture events (magnify,
// rotate, swipe), from the steps the desktop reports: SDL's multi-finger
// gestures and, on X11, the touchpad's pinch and swipe gestures.

#include <stdint.h>

#include <map>

#include "geometry.h"

namespace plat {

class Window;

// Queues one gesture event at a point of the window (base coordinates).
// Magnify: the fractional change of scale (0.1 = 10% larger). Rotate:
// degrees, counter-clockwise positive. Swipe: direction, x +1 right / -1
// left, y +1 up / -1 down.
void queueMagnify(Window* w, const Point& at, double magnification, uint32_t modifiers);
void queueRotate(Window* w, const Point& at, double degrees, uint32_t modifiers);
void queueSwipe(Window* w, const Point& at, double dx, double dy, uint32_t modifiers);

// SDL reports the change of the fingers' spread (normalised) and of their
// angle (radians, clockwise on screen); the spread itself comes from the
// fingers it tracks.
class FingerTracker {
public:
  void down(int64_t finger, double x, double y) { m_fingers[finger] = {x, y}; }
  void moved(int64_t finger, double x, double y) { m_fingers[finger] = {x, y}; }
  void up(int64_t finger) { m_fingers.erase(finger); }
  // Mean distance of the fingers from their centre.
  double spread() const;

private:
  std::map<int64_t, Point> m_fingers;
};

// The magnification of a spread change dDist ending at `spread`; 0 when the
// change is too small to count.
double magnificationFor(double dDist, double spread);

// Touchpad pinch and swipe in steps: begin, updates, end.
class TouchpadGestures {
public:
  // Pinch: scale relative to the start, angle change in degrees (clockwise).
  void pinchBegin() { m_scale = 1; }
  void pinchUpdate(Window* w, const Point& at, double scale, double angleDelta, uint32_t mods);
  // Swipe: motion in pixels since the last step (y down the screen).
  void swipeBegin() { m_dx = m_dy = 0; }
  void swipeUpdate(double dx, double dy) {
    m_dx += dx;
    m_dy += dy;
  }
  // A swipe that went far enough in one direction becomes one swipe event.
  void swipeEnd(Window* w, const Point& at, bool cancelled, uint32_t mods);
  static constexpr double kSwipeDistance = 40;

private:
  double m_scale = 1;
  double m_dx = 0, m_dy = 0;
};

}  // namespace plat
