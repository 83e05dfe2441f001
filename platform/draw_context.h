#pragma once

// Drawing into a bitmap: a transform from the drawing view's coordinates to
// bitmap pixels (a translation, and y pointing up or down) with a stack, a
// clip rectangle in pixels and an antialiasing switch. Every pixel is drawn
// by the raster library (KIT/pix), so the whole program draws one way;
// higher layers that call the raster library themselves take the clip area
// as a raster bitmap (clipBitmap()).

#include <stdint.h>

#include <vector>

#include "bitmap.h"
#include "geometry.h"
#include "pix_bitmap.h"

namespace plat {

// The clip area of a bitmap as a raster-library bitmap: its pixel (0, 0) is
// the bitmap's pixel (originX(), originY()), and raster calls cannot reach
// past it. Valid while the bitmap keeps its pixels.
class ClipBitmap : public PIX_IBitmap {
public:
  ClipBitmap() = default;
  ClipBitmap(Bitmap* bm, int x, int y, int w, int h);
  unsigned int* getBits() override { return m_bits; }
  int getWidth() override { return m_w; }
  int getHeight() override { return m_h; }
  int getRowSpan() override { return m_span; }
  // The view never changes size.
  bool resize(int, int) override { return false; }
  int originX() const { return m_x; }
  int originY() const { return m_y; }

private:
  unsigned int* m_bits = nullptr;
  int m_x = 0, m_y = 0, m_w = 0, m_h = 0, m_span = 0;
};

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
  // Smooth edges for coverage fills (text, ellipses); off, a pixel is either
  // covered (coverage of half or more) or not. On by default; saved with the
  // transform and clip.
  void setAntialias(bool on) { m_state.antialias = on; }
  bool antialias() const { return m_state.antialias; }

  void save() { m_stack.push_back(m_state); }
  void restore();
  // Number of saved states.
  size_t saveDepth() const { return m_stack.size(); }

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
  // The current clip area for raster-library calls.
  ClipBitmap clipBitmap() const;

private:
  struct State {
    Transform xf;
    Rect clip;
    bool antialias = true;
  };
  Bitmap* m_bm;
  State m_state;
  std::vector<State> m_stack;
};

}  // namespace plat
