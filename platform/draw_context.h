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
  // A one-pixel line between the pixels that hold the two points' centres.
  void drawLine(const Point& a, const Point& b, uint32_t argb);
  // Smooth-edged ellipse inside r: filled, or a ring `width` pixels wide.
  void fillEllipse(const Rect& r, uint32_t argb);
  void strokeEllipse(const Rect& r, double width, uint32_t argb);
  // Blends the colour through an 8-bit coverage map (0 none .. 255 full, rows
  // top first, `stride` bytes apart) whose top-left pixel lands on bitmap
  // pixel (px, py); clipped like every other fill. Text is drawn this way.
  void fillMask(const uint8_t* coverage, int w, int h, int stride, int px, int py, uint32_t argb);
  // A point in current coordinates as bitmap pixels.
  Point toPixel(const Point& p) const {
    return {m_state.xf.tx + p.x, m_state.xf.ty + m_state.xf.ySign * p.y};
  }

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
