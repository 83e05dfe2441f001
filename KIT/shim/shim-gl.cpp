// OpenGL contexts on window views (platform/gl_context.h).

#include "platform/gl_context.h"
#include "shim-dlg.h"
#include "shim-dragdrop.h"

void Shim_vHarshbloom_hwnd::shimSetGLContext(plat::GLContext* ctx) {
  if (ctx == m_glctx) {
    if (ctx) ctx->release();  // the caller's reference; one is kept already
    return;
  }
  plat::GLContext* old = m_glctx;
  m_glctx = ctx;
  if (old) {
    if (old->isCurrent()) plat::GLContext::clearCurrent();
    old->release();
  }
}

void SHIM_SetViewGL(HWND view, bool on) {
  Shim_vHarshbloom_hwnd* h = SHIM_Hwnd(view);
  if (!h) return;
  if (on == (h->shimGetGLContext() != nullptr)) return;
  h->shimSetGLContext(on ? plat::GLContext::create(nullptr) : nullptr);
  h->setNeedsDisplay(true);
}

bool SHIM_GetViewGL(HWND view) {
  Shim_vHarshbloom_hwnd* h = SHIM_Hwnd(view);
  return h && h->shimGetGLContext();
}

bool SHIM_SetGLContextToView(HWND view) {
  if (!view) {
    plat::GLContext::clearCurrent();
    return false;
  }
  Shim_vHarshbloom_hwnd* h = SHIM_Hwnd(view);
  plat::GLContext* gl = h ? h->shimGetGLContext() : nullptr;
  if (!gl) return false;
  plat::Rect px = h->pixelRectInWindow();
  return gl->makeCurrent(int(px.w + 0.5), int(px.h + 0.5));
}
