#pragma once

// A plain 32-bit pixel buffer, 0xAARRGGBB, row 0 at the top. Windows draw into
// one of these (their backing bitmap); tests read it and save it as PNG. A
// bitmap may also stand for pixels owned elsewhere (wrap): a memory drawing
// context keeps its frame buffer at a fixed, aligned address of its own.

#include <stdint.h>

#include <string>
#include <vector>

namespace plat {

class Bitmap {
public:
  Bitmap() = default;
  Bitmap(int w, int h, uint32_t fill = 0) { resize(w, h, fill); }

  // Owns its pixels again, w x h of them.
  void resize(int w, int h, uint32_t fill = 0);
  // Reads and writes w x h pixels at `pixels` (row span w) in place; they
  // are never freed or moved by the bitmap and must outlive its use.
  void wrap(uint32_t* pixels, int w, int h);
  int width() const { return m_w; }
  int height() const { return m_h; }
  // Pixels between rows, in pixels.
  int rowSpan() const { return m_w; }
  uint32_t* row(int y) { return bits() + static_cast<size_t>(y) * m_w; }
  const uint32_t* row(int y) const { return bits() + static_cast<size_t>(y) * m_w; }
  uint32_t* bits() { return m_ext ? m_ext : m_px.data(); }
  const uint32_t* bits() const { return m_ext ? m_ext : m_px.data(); }
  // 0 outside the bitmap.
  uint32_t pixel(int x, int y) const;
  void fill(uint32_t argb);

  // Writes an 8-bit RGBA PNG; false with nothing left behind on failure.
  bool savePNG(const std::string& path) const;

private:
  int m_w = 0, m_h = 0;
  std::vector<uint32_t> m_px;
  uint32_t* m_ext = nullptr;
};

}  // namespace plat
