#pragma once

// Memory contexts as the drawing tests read them.

#include <stdint.h>

#include <string>

#include "shim.h"

// A memory context that deletes itself, with its pixels at hand.
class MemDC {
public:
  MemDC(int w, int h, uint32_t fill = 0xFFFFFFFF);
  ~MemDC();
  MemDC(const MemDC&) = delete;
  MemDC& operator=(const MemDC&) = delete;
  operator HDC() const { return m_dc; }
  int width() const { return m_w; }
  int height() const { return m_h; }
  uint32_t* bits() const;
  uint32_t at(int x, int y) const { return bits()[y * m_w + x]; }
  uint32_t rgb(int x, int y) const { return at(x, y) & 0xFFFFFF; }
  void fill(uint32_t argb);
  // Pixels that differ from `background` in their colour.
  int countNot(uint32_t background) const;
  // The box [x0, x1) x [y0, y1) of the pixels whose colour is not
  // `background`; false when there are none.
  bool inkBox(uint32_t background, int* x0, int* y0, int* x1, int* y1) const;
  // Rows of '#' (colour `ink`), '.' (background) and '+' (anything else).
  std::string picture(uint32_t background, uint32_t ink) const;

private:
  HDC m_dc;
  int m_w, m_h;
};
