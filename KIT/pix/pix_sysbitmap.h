#pragma once

// A bitmap whose pixels are the frame buffer of a memory drawing context of
// the windowing layer, so the layer can draw text into it and copy it to a
// window. The raster library does not link the layer: the layer installs its
// context functions with PIX_SetSysContextHooks. Until it does, a system
// bitmap keeps its pixels in a plain 64-byte aligned block with the same row
// rule and getDC() answers null.

#include "pix_bitmap.h"

struct PIX_SysContextHooks {
  // A new 32-bit memory context of exactly w x h pixels (bytes B, G, R, A,
  // row span w, fixed address for the context's life), or null.
  HDC (*createMemContext)(HDC reference, int w, int h);
  // The context's pixels.
  void* (*getFrameBuffer)(HDC ctx);
  // Releases the context.
  void (*deleteContext)(HDC ctx);
};

// Installs the layer's context functions (null restores the plain blocks).
// Bitmaps made before keep the contexts or blocks they hold.
void PIX_SetSysContextHooks(const PIX_SysContextHooks* hooks);

class PIX_SysBitmap : public PIX_IBitmap {
 public:
  PIX_SysBitmap(int w = 0, int h = 0);
  ~PIX_SysBitmap() override;
  PIX_SysBitmap(const PIX_SysBitmap&) = delete;
  PIX_SysBitmap& operator=(const PIX_SysBitmap&) = delete;

  unsigned int* getBits() override { return m_pixels; }
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  // The context's width: a multiple of 4 pixels.
  int getRowSpan() override { return m_ctxw; }
  bool resize(int w, int h) override { return __resize(w, h); }
  HDC getDC() override { return m_ctx; }

 protected:
  bool __resize(int w, int h);

 private:
  void releaseContext();

  int m_width, m_height;
  HDC m_ctx;
  unsigned int* m_pixels;
  int m_ctxw, m_ctxh;
  // The context functions the context was made with, or none for a plain
  // block (m_block).
  PIX_SysContextHooks m_hooks;
  bool m_hooked;
  void* m_block;
};
