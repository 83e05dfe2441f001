#include "pix_sysbitmap.h"

#include <stdlib.h>

namespace {

PIX_SysContextHooks g_hooks;
bool g_hooked = false;

}  // namespace

void PIX_SetSysContextHooks(const PIX_SysContextHooks* hooks) {
  g_hooked = hooks && hooks->createMemContext && hooks->getFrameBuffer && hooks->deleteContext;
  if (g_hooked) g_hooks = *hooks;
}

PIX_SysBitmap::PIX_SysBitmap(int w, int h)
    : m_width(0), m_height(0), m_ctx(0), m_pixels(0), m_ctxw(0), m_ctxh(0), m_hooks(),
      m_hooked(false), m_block(0) {
  __resize(w, h);
}

PIX_SysBitmap::~PIX_SysBitmap() { releaseContext(); }

void PIX_SysBitmap::releaseContext() {
  if (m_ctx && m_hooked) m_hooks.deleteContext(m_ctx);
  free(m_block);
  m_ctx = 0;
  m_block = 0;
  m_pixels = 0;
  m_hooked = false;
}

bool PIX_SysBitmap::__resize(int w, int h) {
  if (!PIX_StoreSize(w, h, &m_width, &m_height)) return false;
  w = m_width;
  h = m_height;
  // The context only grows: a smaller size keeps it and its row span.
  if (w != 0 && h != 0 && m_ctxw >= w && m_ctxh >= h && m_pixels) return true;

  const long long ctxw = ((long long)w + 3) & ~3LL;
  releaseContext();
  m_ctxw = 0;
  m_ctxh = 0;
  if (h < 1 || ctxw < 1) return false;

  // Sizes whose bytes would not fit an int are refused like a failed context.
  if (ctxw * h <= PIX_MAX_BITMAP_BYTES / 4) {
    if (g_hooked) {
      m_ctx = g_hooks.createMemContext(0, (int)ctxw, h);
      if (m_ctx) {
        m_pixels = (unsigned int*)g_hooks.getFrameBuffer(m_ctx);
        m_hooks = g_hooks;
        m_hooked = true;
        if (!m_pixels) releaseContext();
      }
    } else {
      const size_t bytes = (size_t)(ctxw * h * 4);
      m_block = calloc(1, bytes + 63);
      if (m_block) m_pixels = (unsigned int*)(((uintptr_t)m_block + 63) & ~(uintptr_t)63);
    }
  }
  if (!m_pixels) {
    m_width = m_height = 0;
    return true;
  }
  m_ctxw = (int)ctxw;
  m_ctxh = h;
  return true;
}
