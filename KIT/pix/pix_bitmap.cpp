#include "pix_bitmap.h"

#include <stdlib.h>

PIX_MemBitmap::PIX_MemBitmap(int w, int h, unsigned int linealign)
    : m_block(0), m_width(0), m_height(0), m_blocksize(0), m_rowmask(0) {
  if (linealign >= 2) {
    const unsigned int lowest = linealign & (0u - linealign);
    m_rowmask = lowest > 16 ? 15 : (int)lowest - 1;
  }
  if (w >= 1 && h >= 1) __resize(w, h);
}

PIX_MemBitmap::~PIX_MemBitmap() { free(m_block); }

void PIX_MemBitmap::release() {
  free(m_block);
  m_block = 0;
  m_blocksize = 0;
  m_width = m_height = 0;
}

bool PIX_MemBitmap::__resize(int w, int h) {
  if (!PIX_StoreSize(w, h, &m_width, &m_height)) return false;
  w = m_width;
  h = m_height;
  if (w >= 1 && h >= 1) {
    // In 64 bits: the block of a huge size must not wrap to a small one.
    const long long span = ((long long)w + m_rowmask) & ~(long long)m_rowmask;
    const long long pixels = (long long)h * span;  // below 2^62
    if (pixels <= PIX_MAX_BITMAP_BYTES / 4) {
      const long long bytes = pixels * 4;
      if (m_block && (size_t)bytes <= m_blocksize) return true;
      if (m_block) {
        const size_t grown = (size_t)bytes + (size_t)bytes / 4;
        void* p = realloc(m_block, grown + 63);
        if (p) {
          m_block = p;
          m_blocksize = grown;
          return true;
        }
        free(m_block);
        m_block = 0;
        m_blocksize = 0;
      }
      m_block = malloc((size_t)bytes + 63);
      if (m_block) {
        m_blocksize = (size_t)bytes;
        return true;
      }
      m_blocksize = 0;
      m_width = m_height = 0;
      return true;
    }
  }
  release();
  return true;
}

bool PIX_StoreSize(int w, int h, int* width, int* height) {
  // A negative size means none.
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (w == *width && h == *height) return false;
  *width = w;
  *height = h;
  return true;
}

bool PIX_GetSurface(PIX_IBitmap* bmp, PIX_Surface* s, bool honourFlip) {
  if (!bmp) return false;
  unsigned char* bits = (unsigned char*)bmp->getBits();
  const int w = bmp->getWidth(), h = bmp->getHeight(), rs = bmp->getRowSpan();
  if (!bits || w < 1 || h < 1 || rs < 1) return false;
  s->width = w;
  s->height = h;
  s->rowspan = rs;
  s->span = (ptrdiff_t)rs * 4;
  s->row0 = bits;
  if (honourFlip && bmp->isFlipped()) {
    s->row0 = bits + (ptrdiff_t)(h - 1) * s->span;
    s->span = -s->span;
  }
  return true;
}
