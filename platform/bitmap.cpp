#include "bitmap.h"

#include <png.h>
#include <stdio.h>

#include <algorithm>

namespace plat {

void Bitmap::resize(int w, int h, uint32_t fill) {
  m_ext = nullptr;
  m_w = std::max(0, w);
  m_h = std::max(0, h);
  m_px.assign(static_cast<size_t>(m_w) * m_h, fill);
}

void Bitmap::wrap(uint32_t* pixels, int w, int h) {
  m_px.clear();
  m_px.shrink_to_fit();
  bool ok = pixels && w > 0 && h > 0;
  m_ext = ok ? pixels : nullptr;
  m_w = ok ? w : 0;
  m_h = ok ? h : 0;
}

uint32_t Bitmap::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_w || y >= m_h) return 0;
  return row(y)[x];
}

void Bitmap::fill(uint32_t argb) { std::fill(bits(), bits() + static_cast<size_t>(m_w) * m_h, argb); }

bool Bitmap::savePNG(const std::string& path) const {
  if (m_w < 1 || m_h < 1) return false;
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<unsigned char> line(static_cast<size_t>(m_w) * 4);
  volatile bool ok = false;
  if (png && info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, f);
    png_set_IHDR(png, info, m_w, m_h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < m_h; ++y) {
      const uint32_t* src = row(y);
      for (int x = 0; x < m_w; ++x) {
        uint32_t p = src[x];
        line[x * 4 + 0] = (p >> 16) & 0xFF;
        line[x * 4 + 1] = (p >> 8) & 0xFF;
        line[x * 4 + 2] = p & 0xFF;
        line[x * 4 + 3] = (p >> 24) & 0xFF;
      }
      png_write_row(png, line.data());
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  bool done = (fclose(f) == 0) && ok;
  if (!done) remove(path.c_str());
  return done;
}

}  // namespace plat
