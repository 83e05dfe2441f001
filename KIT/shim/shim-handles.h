#pragma once

// How handles of the windowing layer map onto desktop objects. An HWND is a
// plat::Object* in disguise: a view (the layer's own window view or a
// standard control) or a top-level window. Every entry point turns an
// incoming handle into an object through these helpers, which answer null
// for null, foreign and already freed handles.

#include "platform/object.h"
#include "platform/view.h"
#include "platform/window.h"
#include "shim-types.h"

inline plat::Object* SHIM_Obj(HWND h) {
  return plat::Object::isLive(h) ? reinterpret_cast<plat::Object*>(h) : nullptr;
}
inline HWND SHIM_H(plat::Object* o) { return reinterpret_cast<HWND>(o); }
template <class T>
inline T* SHIM_As(HWND h) {
  return dynamic_cast<T*>(SHIM_Obj(h));
}
inline plat::View* SHIM_View(HWND h) { return SHIM_As<plat::View>(h); }
inline plat::Window* SHIM_Window(HWND h) { return SHIM_As<plat::Window>(h); }

// A window stands for its content view where a view is needed.
inline plat::View* SHIM_ViewOrContent(HWND h) {
  plat::Object* o = SHIM_Obj(h);
  if (plat::Window* w = dynamic_cast<plat::Window*>(o)) return w->contentView();
  return dynamic_cast<plat::View*>(o);
}
// A view stands for its window where a window is needed.
inline plat::Window* SHIM_WindowOf(HWND h) {
  plat::Object* o = SHIM_Obj(h);
  if (plat::Window* w = dynamic_cast<plat::Window*>(o)) return w;
  if (plat::View* v = dynamic_cast<plat::View*>(o)) return v->window();
  return nullptr;
}
inline bool SHIM_IsContentView(const plat::View* v) {
  return v && v->window() && v->window()->contentView() == v;
}

// The layer's per-object extras that another object kind may answer too
// (tested with dynamic_cast, the way the layer asks an object whether it
// answers a method).

// Takes Windows messages directly.
class SHIM_MessageTarget {
public:
  virtual ~SHIM_MessageTarget() = default;
  virtual LRESULT onShimMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
};

// Keeps a window text of its own.
class SHIM_TextHolder {
public:
  virtual ~SHIM_TextHolder() = default;
  virtual const char* onShimGetText() = 0;
  virtual void onShimSetText(const char* text) = 0;
};

// Keeps a Windows style word (controls made by the control factory).
class SHIM_StyleHolder {
public:
  virtual ~SHIM_StyleHolder() = default;
  virtual int getShimStyle() = 0;
  virtual void setShimStyle(int style) = 0;
};

// Can be enabled without taking the focus.
class SHIM_NoFocusEnable {
public:
  virtual ~SHIM_NoFocusEnable() = default;
  virtual void setEnabledShimNoFocus() = 0;
};

inline LRESULT SHIM_SendIfTarget(plat::Object* o, UINT msg, WPARAM wp, LPARAM lp) {
  SHIM_MessageTarget* t = dynamic_cast<SHIM_MessageTarget*>(o);
  return t ? t->onShimMessage(msg, wp, lp) : 0;
}
