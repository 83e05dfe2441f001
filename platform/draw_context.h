#pragma once

// Drawing into a bitmap: a transform from the drawing view's coordinates to
// bitmap pixels (a translation, and y pointing up or down) with a stack, and a
// clip rectangle in pixels. The fills here are the only pixel work of the
// platform layer; higher layers draw through transform() and clipPixels()
// straight into bitmap(), so this is the one place to hand over to the raster
// library.

#include <stdint.h>

#include <vector>

#include "bitmap.h"
#include "geometry.h"

namespace plat {

class DrawContext {
public:
  // Maps (x, y) to pixel (tx + x, ty + ySign * y).
  struct Transform {
    double tx = 0, ty = 0;
    int ySign = 1;
  };

  explicit DrawContext(Bitmap* target);

  Bitmap* bitmap() const { return m_bm; }
  const Transform& transform() const { return m_state.xf; }
  void setTransform(const Transform& t) { m_state.xf = t; }
  // Moves the origin by (dx, dy) in current coordinates.
  void translate(double dx, double dy);
  // Clip rectangle in bitmap pixels (integral, never outside the bitmap).
  const Rect& clipPixels() const { return m_state.clip; }
  // Narrows the clip to a rectangle given in current coordinates.
  void clipTo(const Rect& r);
  void setClipPixels(const Rect& pixels);

  void save() { m_stack.push_back(m_state); }
  void restore();

  // A rectangle in current coordinates as bitmap pixels (not clipped).
  Rect toPixels(const Rect& r) const;
  // Pixels are covered where their centre lies inside the rectangle.
  void fillRect(const Rect& r, uint32_t argb);
  // Writes the colour as it is, alpha included (no blending).
  void clearRect(const Rect& r, uint32_t argb);
  // One-pixel outline inside r.
  void strokeRect(const Rect& r, uint32_t argb);

private:
  struct State {
    Transform xf;
    Rect clip;
  };
  Bitmap* m_bm;
  State m_state;
  std::vector<State> m_stack;
};

// Source-over of one 0xAARRGGBB colour onto a pixel.
uint32_t blendOver(uint32_t dst, uint32_t src);

}  // namespace plat
