#include "draw_context.h"

#include <math.h>

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

}  // namespace plat
