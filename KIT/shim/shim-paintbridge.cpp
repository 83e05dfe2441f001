// Interim HDC records for painting: a platform drawing context and the text
// colour a procedure set. Replaced by the drawing-context unit.

#include "shim-paint.h"

namespace {

struct PaintDC {
  unsigned magic;
  plat::DrawContext* ctx;
  bool hasTextColor;
  COLORREF textColor;
};
constexpr unsigned kMagic = 0x50414E54;

PaintDC* asDC(HDC h) {
  PaintDC* d = reinterpret_cast<PaintDC*>(h);
  return d && d->magic == kMagic ? d : nullptr;
}

uint32_t argbFromColorref(COLORREF c) { return 0xFF000000u | (c & 0xFFFFFF); }

}  // namespace

HDC SHIM_Internal_CreatePaintContext(plat::DrawContext* ctx) {
  return reinterpret_cast<HDC>(new PaintDC{kMagic, ctx, false, 0});
}

HDC SHIM_Internal_CreateScratchContext() { return SHIM_Internal_CreatePaintContext(nullptr); }

void SHIM_Internal_ReleaseContext(HDC hdc) {
  if (PaintDC* d = asDC(hdc)) {
    d->magic = 0;
    delete d;
  }
}

plat::DrawContext* SHIM_Internal_GetDrawContext(HDC hdc) {
  PaintDC* d = asDC(hdc);
  return d ? d->ctx : nullptr;
}

bool SHIM_Internal_GetTextColorIfSet(HDC hdc, COLORREF* color) {
  PaintDC* d = asDC(hdc);
  if (!d || !d->hasTextColor) return false;
  if (color) *color = d->textColor;
  return true;
}

void SHIM_Internal_FillWithBrush(HDC, const RECT&, HBRUSH) {}

void SHIM_Internal_FillWithSysColor(HDC hdc, const RECT& r, int index) {
  plat::DrawContext* ctx = SHIM_Internal_GetDrawContext(hdc);
  if (!ctx) return;
  // Dialog background; other indexes are the drawing-context unit's.
  COLORREF c = index == 3 ? 0xECECEC : 0xFFFFFF;
  ctx->fillRect({double(r.left), double(r.top), double(r.right - r.left), double(r.bottom - r.top)},
                argbFromColorref(c));
}
