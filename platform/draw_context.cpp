#include "draw_context.h"

#include <math.h>

#include <algorithm>
#include <vector>

#include "pix.h"

namespace plat {

ClipBitmap::ClipBitmap(Bitmap* bm, int x, int y, int w, int h) {
  if (!bm || w < 1 || h < 1 || x < 0 || y < 0 || x + w > bm->width() || y + h > bm->height())
    return;
  m_bits = bm->row(y) + x;
  m_x = x;
  m_y = y;
  m_w = w;
  m_h = h;
  m_span = bm->rowSpan();
}

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

ClipBitmap DrawContext::clipBitmap() const {
  const Rect& c = m_state.clip;
  if (!m_bm || c.isEmpty()) return ClipBitmap();
  return ClipBitmap(m_bm, int(c.x), int(c.y), int(c.w), int(c.h));
}

namespace {

// The weight of a colour's alpha byte for the raster calls: 255 is full
// strength (weight 256).
float weightOf(uint32_t argb) { return float(argb >> 24) / 255.0f; }

// A pixel coordinate held inside int.
int pixelInt(double v) { return PIX_TruncToInt(floor(v)); }

// The pixels whose centres lie in p: [x0, x1) x [y0, y1), relative to the
// clip view's origin.
struct PixelSpan {
  int x0, y0, x1, y1;
};
PixelSpan centresIn(const Rect& p, const ClipBitmap& v) {
  return {PIX_TruncToInt(ceil(p.x - 0.5)) - v.originX(), PIX_TruncToInt(ceil(p.y - 0.5)) - v.originY(),
          PIX_TruncToInt(ceil(p.maxX() - 0.5)) - v.originX(),
          PIX_TruncToInt(ceil(p.maxY() - 0.5)) - v.originY()};
}

}  // namespace

void DrawContext::clearRect(const Rect& r, uint32_t argb) {
  ClipBitmap v = clipBitmap();
  Rect p = toPixels(r).intersect(m_state.clip);
  if (p.isEmpty() || !v.getBits()) return;
  PixelSpan s = centresIn(p, v);
  // Full weight in copy mode stores the colour word as it is.
  PIX_FillRect(&v, s.x0, s.y0, s.x1 - s.x0, s.y1 - s.y0, argb, 1.0f, PIX_OP_COPY);
}

void DrawContext::fillRect(const Rect& r, uint32_t argb) {
  if ((argb >> 24) == 0) return;
  ClipBitmap v = clipBitmap();
  Rect p = toPixels(r).intersect(m_state.clip);
  if (p.isEmpty() || !v.getBits()) return;
  PixelSpan s = centresIn(p, v);
  if (s.x1 <= s.x0 || s.y1 <= s.y0) return;
  if ((argb >> 24) == 255) {
    PIX_FillRect(&v, s.x0, s.y0, s.x1 - s.x0, s.y1 - s.y0, argb, 1.0f, PIX_OP_COPY);
    return;
  }
  // Translucent: the colour stamped through full coverage, which mixes it in
  // at the alpha's weight and keeps an opaque pixel opaque. One row of
  // coverage serves every row (row span 0).
  static thread_local std::vector<uint8_t> full;
  const size_t w = size_t(s.x1 - s.x0);
  if (full.size() < w) full.assign(w, 255);
  PIX_DrawGlyphEx(&v, s.x0, s.y0, argb | 0xFF000000u, full.data(), int(w), 0, s.y1 - s.y0,
                  weightOf(argb), PIX_OP_COPY);
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
  if (!cov || w <= 0 || h <= 0 || (argb >> 24) == 0) return;
  ClipBitmap v = clipBitmap();
  if (!v.getBits()) return;
  const int x = PIX_SatInt(int64_t(px) - v.originX()), y = PIX_SatInt(int64_t(py) - v.originY());
  if (m_state.antialias) {
    PIX_DrawGlyphEx(&v, x, y, argb | 0xFF000000u, cov, w, stride, h, weightOf(argb), PIX_OP_COPY);
    return;
  }
  // Only the visible part is thresholded.
  const int cx0 = std::max(0, -x), cy0 = std::max(0, -y);
  const int cx1 = int(std::min<int64_t>(w, int64_t(v.getWidth()) - x));
  const int cy1 = int(std::min<int64_t>(h, int64_t(v.getHeight()) - y));
  if (cx1 <= cx0 || cy1 <= cy0) return;
  const int tw = cx1 - cx0, th = cy1 - cy0;
  std::vector<uint8_t> hard(size_t(tw) * size_t(th));
  for (int row = 0; row < th; ++row) {
    const uint8_t* src = cov + ptrdiff_t(row + cy0) * stride + cx0;
    for (int col = 0; col < tw; ++col) hard[size_t(row) * tw + col] = src[col] >= 128 ? 255 : 0;
  }
  PIX_DrawGlyphEx(&v, x + cx0, y + cy0, argb | 0xFF000000u, hard.data(), tw, tw, th,
                  weightOf(argb), PIX_OP_COPY);
}

void DrawContext::drawLine(const Point& a, const Point& b, uint32_t argb) {
  if ((argb >> 24) == 0) return;
  ClipBitmap v = clipBitmap();
  if (!v.getBits()) return;
  Point p = toPixel(a), q = toPixel(b);
  PIX_Line(&v, PIX_SatInt(int64_t(pixelInt(p.x)) - v.originX()),
           PIX_SatInt(int64_t(pixelInt(p.y)) - v.originY()),
           PIX_SatInt(int64_t(pixelInt(q.x)) - v.originX()),
           PIX_SatInt(int64_t(pixelInt(q.y)) - v.originY()), argb | 0xFF000000u, weightOf(argb),
           PIX_OP_COPY, false);
}

void DrawContext::fillEllipse(const Rect& r, uint32_t argb) { strokeEllipse(r, 0, argb); }

void DrawContext::strokeEllipse(const Rect& r, double width, uint32_t argb) {
  if (r.isEmpty() || (argb >> 24) == 0) return;
  Rect p = toPixels(r);
  // Coverage of the elliptic ring (inner radii 0 for a full disc) over the
  // visible pixels only, 4 x 4 samples per pixel.
  const int ox = PIX_TruncToInt(floor(p.x + 0.5)), oy = PIX_TruncToInt(floor(p.y + 0.5));
  Rect box = Rect{double(ox), double(oy), ceil(p.w), ceil(p.h)}.intersect(m_state.clip);
  if (box.isEmpty()) return;
  const int bx = int(box.x), by = int(box.y), mw = int(box.w), mh = int(box.h);
  std::vector<uint8_t> m(size_t(mw) * size_t(mh));
  const double rx = p.w / 2, ry = p.h / 2, ix = rx - width, iy = ry - width;
  const bool ring = width > 0 && ix > 0 && iy > 0;
  for (int y = 0; y < mh; ++y)
    for (int x = 0; x < mw; ++x) {
      int in = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          double fx = (bx - ox) + x + (sx + 0.5) / 4 - rx, fy = (by - oy) + y + (sy + 0.5) / 4 - ry;
          bool outer = (fx * fx) / (rx * rx) + (fy * fy) / (ry * ry) <= 1;
          bool inner = ring && (fx * fx) / (ix * ix) + (fy * fy) / (iy * iy) < 1;
          in += outer && !inner;
        }
      m[size_t(y) * size_t(mw) + size_t(x)] = uint8_t(in * 255 / 16);
    }
  fillMask(m.data(), mw, mh, mw, bx, by, argb);
}

}  // namespace plat
