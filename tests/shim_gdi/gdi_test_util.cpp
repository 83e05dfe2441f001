#include "gdi_test_util.h"

MemDC::MemDC(int w, int h, uint32_t fill) : m_dc(SHIM_CreateMemContext(nullptr, w, h)), m_w(w), m_h(h) {
  if (m_dc) this->fill(fill);
}

MemDC::~MemDC() { SHIM_DeleteGfxContext(m_dc); }

uint32_t* MemDC::bits() const { return (uint32_t*)SHIM_GetCtxFrameBuffer(m_dc); }

void MemDC::fill(uint32_t argb) {
  for (int i = 0; i < m_w * m_h; ++i) bits()[i] = argb;
}

int MemDC::countNot(uint32_t background) const {
  int n = 0;
  for (int y = 0; y < m_h; ++y)
    for (int x = 0; x < m_w; ++x) n += rgb(x, y) != (background & 0xFFFFFF);
  return n;
}

bool MemDC::inkBox(uint32_t background, int* x0, int* y0, int* x1, int* y1) const {
  *x0 = m_w;
  *y0 = m_h;
  *x1 = *y1 = 0;
  for (int y = 0; y < m_h; ++y)
    for (int x = 0; x < m_w; ++x)
      if (rgb(x, y) != (background & 0xFFFFFF)) {
        if (x < *x0) *x0 = x;
        if (y < *y0) *y0 = y;
        if (x + 1 > *x1) *x1 = x + 1;
        if (y + 1 > *y1) *y1 = y + 1;
      }
  return *x1 > *x0;
}

std::string MemDC::picture(uint32_t background, uint32_t ink) const {
  std::string s;
  for (int y = 0; y < m_h; ++y) {
    for (int x = 0; x < m_w; ++x) {
      uint32_t c = rgb(x, y);
      s += c == (ink & 0xFFFFFF) ? '#' : c == (background & 0xFFFFFF) ? '.' : '+';
    }
    s += '\n';
  }
  return s;
}
