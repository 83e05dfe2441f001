#include "gl_context.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

namespace plat {

namespace {

// The GL calls used here, found through SDL so nothing links the GL
// library itself.
struct GLFunctions {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
  void(APIENTRY* viewport)(GLint, GLint, GLsizei, GLsizei);
  void(APIENTRY* clearColor)(GLfloat, GLfloat, GLfloat, GLfloat);
  void(APIENTRY* clear)(GLbitfield);
  void(APIENTRY* finish)();
  void(APIENTRY* readPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);
  void(APIENTRY* pixelStorei)(GLenum, GLint);
  void(APIENTRY* getIntegerv)(GLenum, GLint*);
};

template <class F>
bool load(F& f, const char* name) {
  f = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
  return f != nullptr;
}

// What all contexts share: SDL video kept up for them, and the hidden
// window they are made current on.
struct Shared {
  SDL_Window* window = nullptr;
  int contexts = 0;
  GLFunctions gl{};
  bool haveGL = false;
  GLContext* current = nullptr;
};

Shared& shared() {
  static Shared s;
  return s;
}

bool startVideo(std::string* error) {
  Shared& s = shared();
  if (s.window) return true;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) {
    // Without a display SDL's offscreen driver still renders (through EGL).
    const char* display = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    if (!(display && *display) && !(wayland && *wayland) && !getenv("SDL_VIDEODRIVER"))
      SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
  }
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (error) *error = SDL_GetError();
    return false;
  }
  s.window = SDL_CreateWindow("gl", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!s.window) {
    if (error) *error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  return true;
}

void stopVideo() {
  Shared& s = shared();
  if (!s.window || s.contexts > 0) return;
  SDL_DestroyWindow(s.window);
  s.window = nullptr;
  s.haveGL = false;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool loadFunctions(std::string* error) {
  Shared& s = shared();
  if (s.haveGL) return true;
  GLFunctions& g = s.gl;
  bool ok = load(g.genFramebuffers, "glGenFramebuffers") &&
            load(g.deleteFramebuffers, "glDeleteFramebuffers") &&
            load(g.bindFramebuffer, "glBindFramebuffer") &&
            load(g.genRenderbuffers, "glGenRenderbuffers") &&
            load(g.deleteRenderbuffers, "glDeleteRenderbuffers") &&
            load(g.bindRenderbuffer, "glBindRenderbuffer") &&
            load(g.renderbufferStorage, "glRenderbufferStorage") &&
            load(g.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
            load(g.checkFramebufferStatus, "glCheckFramebufferStatus") &&
            load(g.viewport, "glViewport") && load(g.clearColor, "glClearColor") &&
            load(g.clear, "glClear") && load(g.finish, "glFinish") &&
            load(g.readPixels, "glReadPixels") && load(g.pixelStorei, "glPixelStorei") &&
            load(g.getIntegerv, "glGetIntegerv");
  if (!ok && error) *error = "the GL library lacks framebuffer objects";
  s.haveGL = ok;
  return ok;
}

}  // namespace

GLContext* GLContext::create(std::string* error) {
  Shared& s = shared();
  if (!startVideo(error)) return nullptr;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GLContext c = SDL_GL_CreateContext(s.window);
  if (!c) {
    if (error) *error = SDL_GetError();
    stopVideo();
    return nullptr;
  }
  // Creating makes it current; the current context does not change here.
  GLContext* before = s.current;
  if (!loadFunctions(error)) {
    SDL_GL_DeleteContext(c);
    SDL_GL_MakeCurrent(s.window, before ? before->m_ctx : nullptr);
    stopVideo();
    return nullptr;
  }
  GLContext* g = new GLContext();
  g->m_ctx = c;
  ++s.contexts;
  SDL_GL_MakeCurrent(s.window, before ? before->m_ctx : nullptr);
  return g;
}

GLContext::~GLContext() {
  Shared& s = shared();
  if (s.window && m_ctx) {
    if (SDL_GL_MakeCurrent(s.window, m_ctx) == 0) {
      const GLFunctions& g = s.gl;
      if (m_fbo) g.deleteFramebuffers(1, &m_fbo);
      if (m_color) g.deleteRenderbuffers(1, &m_color);
      if (m_depth) g.deleteRenderbuffers(1, &m_depth);
    }
    SDL_GL_MakeCurrent(s.window, nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_ctx));
    if (s.current == this) s.current = nullptr;
    else if (s.current) SDL_GL_MakeCurrent(s.window, s.current->m_ctx);
  }
  --s.contexts;
  stopVideo();
}

GLContext* GLContext::current() { return shared().current; }

void GLContext::clearCurrent() {
  Shared& s = shared();
  if (s.window) SDL_GL_MakeCurrent(s.window, nullptr);
  s.current = nullptr;
}

bool GLContext::makeCurrent(int w, int h) {
  Shared& s = shared();
  if (!s.window || !m_ctx) return false;
  w = w < 1 ? 1 : w;
  h = h < 1 ? 1 : h;
  if (SDL_GL_MakeCurrent(s.window, m_ctx) != 0) return false;
  s.current = this;
  const GLFunctions& g = s.gl;
  if (m_fbo && w == m_w && h == m_h) {
    g.bindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    return true;
  }
  if (!m_fbo) {
    g.genFramebuffers(1, &m_fbo);
    g.genRenderbuffers(1, &m_color);
    g.genRenderbuffers(1, &m_depth);
  }
  g.bindFramebuffer(GL_FRAMEBUFFER, m_fbo);
  g.bindRenderbuffer(GL_RENDERBUFFER, m_color);
  g.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
  g.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_color);
  g.bindRenderbuffer(GL_RENDERBUFFER, m_depth);
  g.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
  g.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_depth);
  if (g.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
  m_w = w;
  m_h = h;
  g.viewport(0, 0, w, h);
  // A new framebuffer starts black, as a fresh view's GL surface does.
  g.clearColor(0, 0, 0, 1);
  g.clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  return true;
}

void GLContext::composite(DrawContext& ctx, int x, int y) {
  Shared& s = shared();
  Bitmap* bm = ctx.bitmap();
  if (!s.window || !m_fbo || !bm || m_w < 1 || m_h < 1) return;
  GLContext* before = s.current;
  if (before != this && !makeCurrent(m_w, m_h)) return;
  const GLFunctions& g = s.gl;
  GLint bound = 0;
  g.getIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
  g.bindFramebuffer(GL_FRAMEBUFFER, m_fbo);
  g.finish();
  std::vector<uint8_t> px(size_t(m_w) * size_t(m_h) * 4);
  g.pixelStorei(GL_PACK_ALIGNMENT, 1);
  g.readPixels(0, 0, m_w, m_h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  g.bindFramebuffer(GL_FRAMEBUFFER, GLuint(bound));
  Rect clip = ctx.clipPixels();
  int x0 = std::max(x, int(clip.x)), y0 = std::max(y, int(clip.y));
  int x1 = std::min(x + m_w, int(clip.maxX())), y1 = std::min(y + m_h, int(clip.maxY()));
  for (int py = y0; py < y1; ++py) {
    // GL rows run bottom up.
    const uint8_t* src = &px[(size_t(m_h - 1 - (py - y)) * size_t(m_w) + size_t(x0 - x)) * 4];
    uint32_t* dst = bm->row(py) + x0;
    for (int px2 = x0; px2 < x1; ++px2, src += 4)
      *dst++ = 0xFF000000u | (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | src[2];
  }
  if (before != this) {
    if (before)
      SDL_GL_MakeCurrent(s.window, before->m_ctx);
    else
      SDL_GL_MakeCurrent(s.window, nullptr);
    s.current = before;
  }
}

}  // namespace plat
