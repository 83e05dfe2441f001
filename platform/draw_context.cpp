#include "draw_context.h"

#include <math.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

namespace plat {

DrawContext::DrawContext(Bitmap* target) : m_bm(target) {
  if (m_bm) m_state.clip = {0, 0, double(m_bm->width()), double(m_bm->height())};
}

void DrawContext::translate(double dx, double dy) {
  m_state.xf.tx += dx;
  m_state.xf.ty += m_state.xf.ySign * dy;
}

Rect DrawContext::toPixels(const Rect& r) const {
  const Transform& t = m_state.xf;
  double y0 = t.ty + t.ySign * r.y, y1 = t.ty + t.ySign * (r.y + r.h);
  if (y1 < y0) std::swap(y0, y1);
  return {t.tx + r.x, y0, r.w, y1 - y0};
}

void DrawContext::setClipPixels(const Rect& pixels) {
  Rect full = m_bm ? Rect{0, 0, double(m_bm->width()), double(m_bm->height())} : Rect{};
  Rect c = pixels.intersect(full);
  // Whole pixels only: a pixel belongs to the clip when its centre does.
  double l = floor(c.x + 0.5), t = floor(c.y + 0.5);
  double r = floor(c.maxX() + 0.5), b = floor(c.maxY() + 0.5);
  m_state.clip = (r > l && b > t) ? Rect{l, t, r - l, b - t} : Rect{};
}

void DrawContext::clipTo(const Rect& r) { setClipPixels(toPixels(r).intersect(m_state.clip)); }

void DrawContext::restore() {
  if (m_stack.empty()) return;
  m_state = m_stack.back();
  m_stack.pop_back();
}

uint32_t blendOver(uint32_t dst, uint32_t src) {
  uint32_t a = src >> 24;
  if (a == 255) return src;
  if (a == 0) return dst;
  uint32_t ia = 255 - a;
  uint32_t out = 0;
  for (int sh = 0; sh < 32; sh += 8) {
    uint32_t s = (src >> sh) & 0xFF, d = (dst >> sh) & 0xFF;
    uint32_t v = sh == 24 ? a + (d * ia + 127) / 255 : (s * a + d * ia + 127) / 255;
    out |= (v & 0xFF) << sh;
  }
  return out;
}

namespace {
// Pixels whose centres lie in p (already clipped).
template <class F>
void forPixels(Bitmap* bm, const Rect& p, F f) {
  int x0 = int(ceil(p.x - 0.5)), x1 = int(ceil(p.maxX() - 0.5));
  int y0 = int(ceil(p.y - 0.5)), y1 = int(ceil(p.maxY() - 0.5));
  for (int y = y0; y < y1; ++y) {
    uint32_t* row = bm->row(y);
    for (int x = x0; x < x1; ++x) f(row[x]);
  }
}
}  // namespace

void DrawContext::clearRect(const Rect& r, uint32_t argb) {
  if (!m_bm) return;
  Rect p = toPixels(r).intersect(m_state.clip);
  if (!p.isEmpty()) forPixels(m_bm, p, [argb](uint32_t& px) { px = argb; });
}

void DrawContext::fillRect(const Rect& r, uint32_t argb) {
  if (!m_bm || (argb >> 24) == 0) return;
  Rect p = toPixels(r).intersect(m_state.clip);
  if (p.isEmpty()) return;
  forPixels(m_bm, p, [argb](uint32_t& px) { px = blendOver(px, argb); });
}

void DrawContext::strokeRect(const Rect& r, uint32_t argb) {
  if (r.w <= 0 || r.h <= 0) return;
  Rect p = toPixels(r);
  save();
  setTransform({});
  fillRect({p.x, p.y, p.w, 1}, argb);
  if (p.h > 1) fillRect({p.x, p.maxY() - 1, p.w, 1}, argb);
  if (p.h > 2) {
    fillRect({p.x, p.y + 1, 1, p.h - 2}, argb);
    if (p.w > 1) fillRect({p.maxX() - 1, p.y + 1, 1, p.h - 2}, argb);
  }
  restore();
}

void DrawContext::fillMask(const uint8_t* cov, int w, int h, int stride, int px, int py,
                           uint32_t argb) {
  if (!m_bm || !cov || w <= 0 || h <= 0) return;
  uint32_t a = argb >> 24;
  if (a == 0) return;
  const Rect& c = m_state.clip;
  int x0 = std::max(px, int(c.x)), x1 = std::min(px + w, int(c.maxX()));
  int y0 = std::max(py, int(c.y)), y1 = std::min(py + h, int(c.maxY()));
  for (int y = y0; y < y1; ++y) {
    const uint8_t* src = cov + size_t(y - py) * size_t(stride);
    uint32_t* row = m_bm->row(y);
    for (int x = x0; x < x1; ++x) {
      uint32_t k = src[x - px];
      if (!k) continue;
      uint32_t alpha = (a * k + 127) / 255;
      row[x] = blendOver(row[x], (alpha << 24) | (argb & 0xFFFFFF));
    }
  }
}

void DrawContext::drawLine(const Point& a, const Point& b, uint32_t argb) {
  if (!m_bm) return;
  Point p = toPixel(a), q = toPixel(b);
  int x0 = int(floor(p.x)), y0 = int(floor(p.y)), x1 = int(floor(q.x)), y1 = int(floor(q.y));
  int dx = abs(x1 - x0), dy = -abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
  const Rect& c = m_state.clip;
  for (int guard = 0; guard < 1 << 16; ++guard) {
    if (x0 >= c.x && x0 < c.maxX() && y0 >= c.y && y0 < c.maxY()) {
      uint32_t& px = m_bm->row(y0)[x0];
      px = blendOver(px, argb);
    }
    if (x0 == x1 && y0 == y1) break;
    int e2 = 2 * err;
    if (e2 >= dy) err += dy, x0 += sx;
    if (e2 <= dx) err += dx, y0 += sy;
  }
}

namespace {
// Coverage of an elliptic ring (inner radii 0 for a full disc), 4 x 4 samples
// per pixel.
std::vector<uint8_t> ellipseMask(double w, double h, double ring, int* mw, int* mh) {
  *mw = int(ceil(w));
  *mh = int(ceil(h));
  std::vector<uint8_t> m(size_t(*mw) * size_t(*mh));
  double rx = w / 2, ry = h / 2, ix = rx - ring, iy = ry - ring;
  for (int y = 0; y < *mh; ++y)
    for (int x = 0; x < *mw; ++x) {
      int in = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          double fx = x + (sx + 0.5) / 4 - rx, fy = y + (sy + 0.5) / 4 - ry;
          bool outer = (fx * fx) / (rx * rx) + (fy * fy) / (ry * ry) <= 1;
          bool inner = ring > 0 && ix > 0 && iy > 0 && (fx * fx) / (ix * ix) + (fy * fy) / (iy * iy) < 1;
          in += outer && !inner;
        }
      m[size_t(y) * size_t(*mw) + size_t(x)] = uint8_t(in * 255 / 16);
    }
  return m;
}
}  // namespace

void DrawContext::fillEllipse(const Rect& r, uint32_t argb) { strokeEllipse(r, 0, argb); }

void DrawContext::strokeEllipse(const Rect& r, double width, uint32_t argb) {
  if (r.isEmpty()) return;
  Rect p = toPixels(r);
  int mw, mh;
  std::vector<uint8_t> m = ellipseMask(p.w, p.h, width, &mw, &mh);
  fillMask(m.data(), mw, mh, mw, int(floor(p.x + 0.5)), int(floor(p.y + 0.5)), argb);
}

}  // namespace plat
