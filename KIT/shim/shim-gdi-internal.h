#pragma once

// The records behind HDC and HGDIOBJ, shared by the context code and the
// drawing calls.

#include <stdint.h>

#include "platform/draw_context.h"
#include "platform/text.h"
#include "platform/view.h"
#include "shim-gdi.h"

class PIX_MemBitmap;

// Pixels of an image object, shared by the objects made from one another
// (icons, image lists).
struct SHIM_Image {
  PIX_MemBitmap* bmp;
  int refs;
};
SHIM_Image* SHIM_NewImage(PIX_MemBitmap* bmp);
void SHIM_ReleaseImage(SHIM_Image* img);

enum { SHIM_GDI_PEN = 1, SHIM_GDI_BRUSH = 2, SHIM_GDI_FONT = 3, SHIM_GDI_IMAGE = 4 };

// Zeroed when taken from the pool (plain data only).
struct SHIM_GdiObject {
  uint32_t type;
  int32_t extrarefs;
  uint32_t color;  // 0xAARRGGBB of pens and brushes
  // Pen width (0 up); 0 for brushes; -1 for the stock pen and brush that
  // draw nothing; for images 1 when the record owns its image reference.
  int32_t width;
  SHIM_Image* image;
  float escapement;  // degrees
  bool inpool;
  SHIM_GdiObject* poolnext;
  plat::Font* font;  // owned
  uint8_t quality;   // 0 context's choice, 3 no smoothing, 4 smoothing
};

struct SHIM_GdiContext {
  plat::DrawContext* ctx;  // receives the drawing; null draws nothing
  void* alloc;             // memory context: the raw pixel block
  SHIM_GdiObject* pen;
  SHIM_GdiObject* brush;
  SHIM_GdiObject* font;
  int textcolor;
  int bkcolor;
  int bkmode;
  float curx, cury;
  void* glctx;
  bool inpool;
  SHIM_GdiContext* poolnext;
  // This desktop's part: what the record made and must release.
  plat::Bitmap* membitmap;  // memory context: the frame buffer as a bitmap
  bool ownsctx;
  bool textcolorset;  // a procedure set a text colour
  int memw, memh;
  double linewidth;    // of the last stroke (ellipses stroke with it)
  plat::View* view;    // GetDC on a view: retained
};

// The record of a live context or object, null for anything else.
SHIM_GdiContext* SHIM_GdiCtx(HDC hdc);
SHIM_GdiObject* SHIM_GdiObj(HGDIOBJ obj);
// A live object of the type (the stock pen and brush count).
SHIM_GdiObject* SHIM_GdiObjOfType(HGDIOBJ obj, uint32_t type);
SHIM_GdiObject* SHIM_NewGdiObject(uint32_t type);
// Selected pen or brush that draws: live, of its type, width 0 or more.
SHIM_GdiObject* SHIM_ValidPen(SHIM_GdiContext* c);
SHIM_GdiObject* SHIM_ValidBrush(SHIM_GdiContext* c);

// Pooled records now (tests).
void SHIM_Internal_GdiPoolSizes(int* contexts, int* objects);
