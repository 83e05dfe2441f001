#pragma once

// Where window painting meets the drawing contexts (shim-gdi). A window view
// paints by handing its window procedure an HDC made from the platform
// drawing context of the current display pass.

#include "platform/draw_context.h"
#include "shim-types.h"

namespace plat {
class GLContext;
}

// An HDC that draws through ctx (not owned) for one paint, made for a view
// with the GL context gl (or none).
HDC SHIM_Internal_CreatePaintContext(plat::DrawContext* ctx, plat::GLContext* gl = nullptr);
// A context that draws nothing, for asking procedures for colours.
HDC SHIM_Internal_CreateScratchContext();
void SHIM_Internal_ReleaseContext(HDC hdc);
// The platform context behind an HDC made above (null for others).
plat::DrawContext* SHIM_Internal_GetDrawContext(HDC hdc);
// True with the colour when the procedure set a text colour on the context.
bool SHIM_Internal_GetTextColorIfSet(HDC hdc, COLORREF* color);
// Fills a rectangle (the context's own coordinates) with a brush handle.
void SHIM_Internal_FillWithBrush(HDC hdc, const RECT& r, HBRUSH brush);
// Fills with a system colour index (3: the dialog background).
void SHIM_Internal_FillWithSysColor(HDC hdc, const RECT& r, int index);
