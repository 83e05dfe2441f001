#pragma once

// Points, sizes and rectangles in points (one point is one pixel: the scale
// factor is 1.0). Screen coordinates have their origin at the bottom left of
// the main screen with y up; a view's own coordinates run top-down only when
// the view is flipped.

#include <algorithm>

namespace plat {

struct Point {
  double x = 0, y = 0;
};

struct Size {
  double w = 0, h = 0;
};

struct Rect {
  double x = 0, y = 0, w = 0, h = 0;

  double maxX() const { return x + w; }
  double maxY() const { return y + h; }
  bool isEmpty() const { return !(w > 0) || !(h > 0); }
  bool contains(const Point& p) const { return p.x >= x && p.y >= y && p.x < x + w && p.y < y + h; }
  Rect offset(double dx, double dy) const { return {x + dx, y + dy, w, h}; }
  Rect intersect(const Rect& o) const {
    double l = std::max(x, o.x), t = std::max(y, o.y);
    double r = std::min(maxX(), o.maxX()), b = std::min(maxY(), o.maxY());
    if (r <= l || b <= t) return {};
    return {l, t, r - l, b - t};
  }
  // The union; an empty rectangle adds nothing.
  Rect unite(const Rect& o) const {
    if (o.isEmpty()) return *this;
    if (isEmpty()) return o;
    double l = std::min(x, o.x), t = std::min(y, o.y);
    double r = std::max(maxX(), o.maxX()), b = std::max(maxY(), o.maxY());
    return {l, t, r - l, b - t};
  }
  bool operator==(const Rect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
  bool operator!=(const Rect& o) const { return !(*this == o); }
};

}  // namespace plat
