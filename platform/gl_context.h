#pragma once

// OpenGL contexts for views. Each context draws into a framebuffer of its
// own, the size of its view, whose pixels are then copied into the view's
// place in the window's backing bitmap: GL output lands in the same
// picture as everything else the window draws and the presenter shows.
// The contexts come from SDL's GL support (on a hidden window of their
// own); where SDL video cannot start, none can be made.
//
// Main thread only.

#include <string>

#include "draw_context.h"
#include "geometry.h"
#include "object.h"

namespace plat {

class GLContext : public Object {
public:
  // A new context (one reference), or null with the reason.
  static GLContext* create(std::string* error);

  // Makes the context current with a framebuffer of w x h pixels bound and,
  // when its size changed, the viewport set to all of it. The pixels stay
  // while the size does. False when it cannot be made current.
  bool makeCurrent(int w, int h);
  bool isCurrent() const { return current() == this; }
  static GLContext* current();
  // No context is current afterwards.
  static void clearCurrent();

  int width() const { return m_w; }
  int height() const { return m_h; }

  // Finishes the GL work and copies the framebuffer into `ctx`'s bitmap with
  // its top-left pixel at (x, y), within the context's clip, opaque. The
  // current context is the same before and after.
  void composite(DrawContext& ctx, int x, int y);

protected:
  ~GLContext() override;

private:
  GLContext() = default;
  void* m_ctx = nullptr;  // SDL_GLContext
  unsigned m_fbo = 0, m_color = 0, m_depth = 0;
  int m_w = 0, m_h = 0;
};

}  // namespace plat
