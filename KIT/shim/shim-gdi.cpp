// Drawing contexts, drawing objects and text of the windowing layer.

#include "shim-gdi.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "assocarray.h"
#include "mutex.h"
#include "pix.h"
#include "pix_font.h"
#include "platform/app.h"
#include "platform/gl_context.h"
#include "platform/presenter.h"
#include "shim-dlg.h"
#include "shim-gdi-internal.h"
#include "shim-handles.h"
#include "shim-paint.h"

namespace {

constexpr int kMaxPooledContexts = 100;
constexpr int kMaxPooledObjects = 200;

// Pools, the set of live records and the font-name cache. Made once and
// never destroyed, so that contexts released while the process exits (by
// other static objects) still find it.
struct GdiState {
  KIT_Mutex poolMutex;
  SHIM_GdiContext* freeContexts = nullptr;
  int nFreeContexts = 0;
  SHIM_GdiObject* freeObjects = nullptr;
  int nFreeObjects = 0;
  std::unordered_set<const void*> live;
  bool closing = false;
  KIT_Mutex fontNameMutex;
  KIT_StringKeyedArray<char*> fontNames{true, KIT_StringKeyedArray<char*>::freecharptr};
};

GdiState& gdi() {
  static GdiState* s = new GdiState;
  return *s;
}

// Frees the pooled records at exit; records released later go to the heap.
struct PoolUnloader {
  ~PoolUnloader() {
    GdiState& g = gdi();
    KIT_MutexLock lock(&g.poolMutex);
    g.closing = true;
    while (SHIM_GdiContext* c = g.freeContexts) {
      g.freeContexts = c->poolnext;
      free(c);
    }
    while (SHIM_GdiObject* o = g.freeObjects) {
      g.freeObjects = o->poolnext;
      free(o);
    }
    g.nFreeContexts = g.nFreeObjects = 0;
  }
} s_poolUnloader;

// The stock pen and brush: width -1, they draw nothing.
SHIM_GdiObject s_stock[2] = {
    {SHIM_GDI_PEN, 0, 0, -1, nullptr, 0, false, nullptr, nullptr, 0},
    {SHIM_GDI_BRUSH, 0, 0, -1, nullptr, 0, false, nullptr, nullptr, 0},
};

bool isStock(const void* p) { return p >= (const void*)&s_stock[0] && p < (const void*)&s_stock[2]; }

bool isLive(const void* p) {
  if ((uintptr_t)p < 5) return false;
  GdiState& g = gdi();
  KIT_MutexLock lock(&g.poolMutex);
  return g.live.count(p) != 0;
}

// A cleared record from a pool's free list, else from the heap; entered in
// the live set.
template <class T>
T* takeRecord(T*& freeList, int& nFree) {
  GdiState& g = gdi();
  KIT_MutexLock lock(&g.poolMutex);
  T* r = freeList;
  if (r) {
    freeList = r->poolnext;
    --nFree;
    memset(r, 0, sizeof *r);
  } else {
    r = (T*)calloc(1, sizeof *r);
    if (!r) return nullptr;
  }
  g.live.insert(r);
  return r;
}

// Leaves the live set; pooled (cleared, marked) while the pool has room.
template <class T>
void giveRecord(T* r, T*& freeList, int& nFree, int maxPooled) {
  GdiState& g = gdi();
  KIT_MutexLock lock(&g.poolMutex);
  g.live.erase(r);
  if (!g.closing && nFree < maxPooled) {
    memset(r, 0, sizeof *r);
    r->inpool = true;
    r->poolnext = freeList;
    freeList = r;
    ++nFree;
  } else {
    free(r);
  }
}

SHIM_GdiContext* newContext() {
  SHIM_GdiContext* c = takeRecord(gdi().freeContexts, gdi().nFreeContexts);
  if (c) c->linewidth = 1;
  return c;
}

void recycleContext(SHIM_GdiContext* c) {
  giveRecord(c, gdi().freeContexts, gdi().nFreeContexts, kMaxPooledContexts);
}

void recycleObject(SHIM_GdiObject* o) {
  giveRecord(o, gdi().freeObjects, gdi().nFreeObjects, kMaxPooledObjects);
}

uint32_t argbOf(int color, float alpha) {
  double a = alpha != alpha ? 0.0 : alpha < 0 ? 0.0 : alpha > 1 ? 1.0 : alpha;
  return (uint32_t(a * 255.0 + 0.5) << 24) | (uint32_t(color) & 0xFFFFFF);
}

const plat::Font& defaultFont() {
  static const plat::Font* f = new plat::Font(plat::Font::system(10));
  return *f;
}

// The selected font when it is live, else null.
SHIM_GdiObject* selectedFont(SHIM_GdiContext* c) {
  return SHIM_GdiObjOfType((HGDIOBJ)c->font, SHIM_GDI_FONT);
}

const plat::Font& fontOf(SHIM_GdiContext* c) {
  SHIM_GdiObject* f = selectedFont(c);
  return f && f->font ? *f->font : defaultFont();
}

}  // namespace

// --- records

SHIM_GdiContext* SHIM_GdiCtx(HDC hdc) {
  SHIM_GdiContext* c = (SHIM_GdiContext*)hdc;
  return isLive(c) && !c->inpool ? c : nullptr;
}

SHIM_GdiObject* SHIM_GdiObj(HGDIOBJ obj) {
  SHIM_GdiObject* o = (SHIM_GdiObject*)obj;
  if (isStock(o)) return o;
  return isLive(o) && !o->inpool ? o : nullptr;
}

SHIM_GdiObject* SHIM_GdiObjOfType(HGDIOBJ obj, uint32_t type) {
  SHIM_GdiObject* o = SHIM_GdiObj(obj);
  return o && o->type == type ? o : nullptr;
}

SHIM_GdiObject* SHIM_NewGdiObject(uint32_t type) {
  SHIM_GdiObject* o = takeRecord(gdi().freeObjects, gdi().nFreeObjects);
  if (o) o->type = type;
  return o;
}

SHIM_GdiObject* SHIM_ValidPen(SHIM_GdiContext* c) {
  SHIM_GdiObject* p = SHIM_GdiObjOfType((HGDIOBJ)c->pen, SHIM_GDI_PEN);
  return p && p->width >= 0 ? p : nullptr;
}

SHIM_GdiObject* SHIM_ValidBrush(SHIM_GdiContext* c) {
  SHIM_GdiObject* b = SHIM_GdiObjOfType((HGDIOBJ)c->brush, SHIM_GDI_BRUSH);
  return b && b->width >= 0 ? b : nullptr;
}

void SHIM_Internal_GdiPoolSizes(int* contexts, int* objects) {
  GdiState& g = gdi();
  KIT_MutexLock lock(&g.poolMutex);
  if (contexts) *contexts = g.nFreeContexts;
  if (objects) *objects = g.nFreeObjects;
}

SHIM_Image* SHIM_NewImage(PIX_MemBitmap* bmp) {
  if (!bmp) return nullptr;
  SHIM_Image* img = new SHIM_Image{bmp, 1};
  return img;
}

void SHIM_ReleaseImage(SHIM_Image* img) {
  if (img && --img->refs == 0) {
    delete img->bmp;
    delete img;
  }
}

// --- contexts

HDC SHIM_CreateMemContext(HDC, int w, int h) {
  if (w < 1 || h < 1) return nullptr;
  // In 64 bits: w * 4 * h of two ints cannot wrap there. Every byte offset
  // into the frame buffer must fit an int, like a raster bitmap's.
  const unsigned long long bytes = (unsigned long long)w * 4ULL * (unsigned long long)h + 63ULL;
  if (bytes > 0x7fffffffULL) return nullptr;
  void* block = calloc(1, (size_t)bytes);
  if (!block) return nullptr;
  SHIM_GdiContext* c = newContext();
  if (!c) {
    free(block);
    return nullptr;
  }
  uint32_t* fb = (uint32_t*)(((uintptr_t)block + 63) & ~(uintptr_t)63);
  c->alloc = block;
  c->membitmap = new plat::Bitmap();
  c->membitmap->wrap(fb, w, h);
  c->ctx = new plat::DrawContext(c->membitmap);
  c->ownsctx = true;
  c->memw = w;
  c->memh = h;
  return (HDC)c;
}

HDC SHIM_CreateGfxContext(void* drawContext) {
  SHIM_GdiContext* c = newContext();
  if (c) c->ctx = (plat::DrawContext*)drawContext;
  return (HDC)c;
}

void SHIM_DeleteGfxContext(HDC hdc) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c) return;
  if (c->ownsctx) delete c->ctx;
  delete c->membitmap;
  free(c->alloc);
  if (c->view) c->view->release();
  recycleContext(c);
}

void* SHIM_GetCtxGC(HDC hdc) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  return c ? c->ctx : nullptr;
}

void* SHIM_GetCtxFrameBuffer(HDC hdc) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || !c->alloc) return nullptr;
  return (void*)(((uintptr_t)c->alloc + 63) & ~(uintptr_t)63);
}

namespace {

plat::View* viewOf(HWND hwnd) {
  plat::Object* o = SHIM_Obj(hwnd);
  if (plat::Window* w = dynamic_cast<plat::Window*>(o)) return w->contentView();
  return dynamic_cast<plat::View*>(o);
}

// The context of the view's paint in progress, if it is live.
HDC paintContextOf(plat::View* v) {
  Shim_vHarshbloom_hwnd* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(v);
  if (!h) return nullptr;
  HDC dc = h->getShimPaintInfo(nullptr);
  return SHIM_GdiCtx(dc) ? dc : nullptr;
}

}  // namespace

HDC GetDC(HWND hwnd) {
  plat::View* v = viewOf(hwnd);
  if (!v) return nullptr;
  if (HDC dc = paintContextOf(v)) {
    SHIM_GdiContext* c = SHIM_GdiCtx(dc);
    if (c->ctx) c->ctx->save();
    return dc;
  }
  // Outside a paint: straight into the window's backing bitmap, clipped to
  // the view, when the view shows in a window.
  plat::Window* win = v->window();
  if (!win || v->isHiddenOrHasHiddenAncestor() || win->backing().width() < 1) return nullptr;
  SHIM_GdiContext* c = newContext();
  if (!c) return nullptr;
  c->ctx = new plat::DrawContext(&win->backing());
  c->ownsctx = true;
  c->ctx->setClipPixels(v->pixelRectInWindow());
  c->ctx->setTransform(v->pixelTransform());
  c->ctx->save();
  v->retain();
  c->view = v;
  // A GL view: its context goes with the record (the view keeps it alive),
  // and what it draws shows when the context is released.
  if (Shim_vHarshbloom_hwnd* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(v)) c->glctx = h->shimGetGLContext();
  return (HDC)c;
}

HDC GetWindowDC(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  SHIM_GdiContext* c = SHIM_GdiCtx(dc);
  plat::View* v = viewOf(hwnd);
  if (c && c->ctx && v) {
    plat::Rect b = v->bounds();
    if (b.x != 0 || b.y != 0) c->ctx->translate(b.x, b.y);
  }
  return dc;
}

int ReleaseDC(HWND hwnd, HDC hdc) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c) return 0;
  if (c->ctx) c->ctx->restore();
  plat::View* v = viewOf(hwnd);
  if (v && paintContextOf(v) == hdc) return 1;
  if (plat::GLContext* gl = static_cast<plat::GLContext*>(c->glctx)) {
    if (c->ctx && c->view && plat::Object::isLive(gl)) {
      plat::Rect px = c->view->pixelRectInWindow();
      gl->composite(*c->ctx, int(floor(px.x + 0.5)), int(floor(px.y + 0.5)));
    }
    if (plat::GLContext::current() == gl) plat::GLContext::clearCurrent();
  }
  // What was drawn outside a paint shows now.
  if (c->view && c->view->window())
    if (plat::Presenter* p = plat::app().presenter()) p->windowDisplayed(c->view->window());
  SHIM_DeleteGfxContext(hdc);
  return 1;
}

int SHIM_IsRetinaDC(HDC) { return 0; }
int SHIM_IsRetinaHWND(HWND) { return 0; }

// --- objects

HPEN CreatePenAlpha(int, int width, int color, float alpha) {
  SHIM_GdiObject* o = SHIM_NewGdiObject(SHIM_GDI_PEN);
  if (!o) return nullptr;
  o->width = width < 0 ? 0 : width;
  o->color = argbOf(color, alpha);
  return (HPEN)o;
}

HPEN CreatePen(int style, int width, int color) { return CreatePenAlpha(style, width, color, 1.0f); }

HBRUSH CreateSolidBrushAlpha(int color, float alpha) {
  SHIM_GdiObject* o = SHIM_NewGdiObject(SHIM_GDI_BRUSH);
  if (!o) return nullptr;
  o->color = argbOf(color, alpha);
  return (HBRUSH)o;
}

HBRUSH CreateSolidBrush(int color) { return CreateSolidBrushAlpha(color, 1.0f); }

namespace {

// The family a requested name resolves to ("" when none), cached by name;
// an empty value stands for "no font". The lock is not held while fonts are
// matched, so two threads may both insert a name: the later value stays.
std::string resolveFamily(const std::string& key, const char* face, bool bold, bool italic) {
  GdiState& g = gdi();
  {
    KIT_MutexLock lock(&g.fontNameMutex);
    if (const char* v = g.fontNames.Get(key.c_str(), nullptr)) return v;
  }
  plat::Font probe(face, 10, bold ? plat::kWeightBold : plat::kWeightRegular, italic);
  std::string resolved = probe.isValid() ? probe.resolvedFamily() : std::string();
  {
    KIT_MutexLock lock(&g.fontNameMutex);
    g.fontNames.Insert(key.c_str(), strdup(resolved.c_str()));
  }
  return resolved;
}

}  // namespace

HFONT CreateFont(int height, int width, int escapement, int, int weight, int italic, int, int, int,
                 int, int, int quality, int, const char* face) {
  long long size = height != 0 ? llabs((long long)height) : llabs((long long)width);
  if (size > 8192 || size < 2) size = 10;
  std::string name = face ? std::string(face, strnlen(face, 899)) : std::string();
  const bool bold = weight >= 700, slanted = italic != 0;
  std::string key = name;
  if (bold) key += " Bold";
  if (slanted) key += " Italic";
  std::string family;
  if (!key.empty()) family = resolveFamily(key, name.c_str(), bold, slanted);
  SHIM_GdiObject* o = SHIM_NewGdiObject(SHIM_GDI_FONT);
  if (!o) return nullptr;
  plat::Font* f =
      new plat::Font(family, double(size), bold ? plat::kWeightBold : plat::kWeightRegular, slanted);
  if (!f->isValid()) {
    // The interface font of the asked size stands in.
    *f = plat::Font::system(double(size), bold ? plat::kWeightBold : plat::kWeightRegular);
  }
  o->font = f;
  o->quality = quality == 3 ? 3 : quality == 4 ? 4 : 0;
  o->escapement = float(escapement) / 10.0f;
  return (HFONT)o;
}

HFONT CreateFontIndirect(const LOGFONT* lf) {
  if (!lf) return nullptr;
  char face[LF_FACESIZE + 1];
  memcpy(face, lf->lfFaceName, LF_FACESIZE);
  face[LF_FACESIZE] = 0;
  return CreateFont(lf->lfHeight, lf->lfWidth, lf->lfOrientation, lf->lfOrientation, lf->lfWeight,
                    lf->lfItalic, 0, 0, 0, 0, 0, lf->lfQuality, 0, face);
}

BOOL DeleteObject(HGDIOBJ obj) {
  if ((uintptr_t)obj < 5 || isStock(obj)) return FALSE;
  SHIM_GdiObject* o = SHIM_GdiObj(obj);
  if (!o) return FALSE;
  if (o->extrarefs > 0) {
    --o->extrarefs;
    return TRUE;
  }
  if (o->type < 1 || o->type > 4) return FALSE;
  if ((o->type == SHIM_GDI_PEN || o->type == SHIM_GDI_BRUSH) && o->width < 0) return FALSE;
  delete o->font;
  if (o->type == SHIM_GDI_IMAGE && o->width != 0) SHIM_ReleaseImage(o->image);
  recycleObject(o);
  return TRUE;
}

HGDIOBJ SHIM_CloneGDIObject(HGDIOBJ obj) {
  SHIM_GdiObject* o = SHIM_GdiObj(obj);
  if (!o || isStock(o)) return o ? obj : nullptr;
  ++o->extrarefs;
  return obj;
}

HGDIOBJ GetStockObject(int index) {
  if (index == SHIM_STOCK_NULL_PEN) return (HGDIOBJ)&s_stock[0];
  if (index == SHIM_STOCK_NULL_BRUSH) return (HGDIOBJ)&s_stock[1];
  return nullptr;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c) return nullptr;
  const uintptr_t h = (uintptr_t)obj;
  auto slot = [c](uint32_t type) -> SHIM_GdiObject** {
    return type == SHIM_GDI_PEN ? &c->pen : type == SHIM_GDI_BRUSH ? &c->brush : &c->font;
  };
  if (h >= 1 && h <= 3) {
    SHIM_GdiObject** s = slot((uint32_t)h);
    SHIM_GdiObject* prev = SHIM_GdiObjOfType((HGDIOBJ)*s, (uint32_t)h);
    *s = nullptr;
    return prev ? (HGDIOBJ)prev : obj;
  }
  SHIM_GdiObject* o = SHIM_GdiObj(obj);
  if (!o || o->type < 1 || o->type > 3) return nullptr;
  SHIM_GdiObject** s = slot(o->type);
  SHIM_GdiObject* prev = SHIM_GdiObjOfType((HGDIOBJ)*s, o->type);
  *s = o;
  if (prev) return (HGDIOBJ)prev;
  return (HGDIOBJ)(uintptr_t)o->type;
}

// --- state

int SetTextColor(HDC hdc, int color) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c) return -1;
  int prev = c->textcolor;
  c->textcolor = color;
  c->textcolorset = true;
  return prev;
}

int GetTextColor(HDC hdc) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  return c ? c->textcolor : -1;
}

int SetBkColor(HDC hdc, int color) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  return c ? std::exchange(c->bkcolor, color) : -1;
}

int SetBkMode(HDC hdc, int mode) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  return c ? std::exchange(c->bkmode, mode) : -1;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* old) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c) return FALSE;
  if (old) *old = POINT{(int)c->curx, (int)c->cury};
  c->curx = (float)x;
  c->cury = (float)y;
  return TRUE;
}

void SHIM_PushClipRegion(HDC hdc) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (c && c->ctx) c->ctx->save();
}

void SHIM_PopClipRegion(HDC hdc) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (c && c->ctx) c->ctx->restore();
}

void SHIM_SetClipRegion(HDC hdc, const RECT* r) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || !c->ctx || !r) return;
  c->ctx->clipTo({double(r->left), double(r->top), double(r->right) - r->left,
                  double(r->bottom) - r->top});
}

// --- text

int GetTextFace(HDC hdc, int n, char* buf) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || n < 1 || !buf) return 0;
  const plat::Font& f = fontOf(c);
  std::string name = f.resolvedFamily().empty() ? f.family() : f.resolvedFamily();
  if (f.weight() >= plat::kWeightBold) name += " Bold";
  if (f.italic()) name += " Italic";
  size_t k = std::min(name.size(), size_t(n - 1));
  memcpy(buf, name.data(), k);
  buf[k] = 0;
  return int(k);
}

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* tm) {
  if (tm) {
    tm->tmHeight = 16;
    tm->tmAscent = 12;
    tm->tmDescent = 4;
    tm->tmInternalLeading = 3;
    tm->tmAveCharWidth = 10;
  }
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || !tm) return FALSE;
  plat::FontMetrics m = fontOf(c).metrics();
  const int ascent = int(m.ascent), descent = int(m.descent);
  const int leading = int(std::max(0.0, m.lineHeight - m.ascent - m.descent));
  int height = ascent + descent + leading;
  tm->tmAscent = ascent;
  tm->tmDescent = descent;
  tm->tmInternalLeading = leading;
  tm->tmAveCharWidth = height * 2 / 3;
  tm->tmHeight = height != 0 ? height + 1 : 0;
  return TRUE;
}

namespace {

int clampInt(long long v) { return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int(v); }

}  // namespace

int SHIM_DrawText(HDC hdc, const char* text, int len, RECT* r, int flags) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || !text || !r) return 0;
  // Prefix marks, carriage returns and line feeds, into at most 4095 bytes.
  char buf[4096];
  int n = 0;
  bool multi = false;
  for (int i = 0; (len < 0 || i < len) && text[i] && n < 4095; ++i) {
    char ch = text[i];
    if (ch == '&' && !(flags & DT_NOPREFIX)) {
      ++i;
      if ((len >= 0 && i >= len) || !text[i]) break;
      buf[n++] = text[i];
      continue;
    }
    if (ch == '\r') continue;
    if (ch == '\n') {
      if (flags & DT_SINGLELINE)
        ch = ' ';
      else
        multi = true;
    }
    buf[n++] = ch;
  }
  if (n == 0) return 0;
  std::string all(buf, size_t(n));
  std::vector<std::string> lines;
  if (multi) {
    size_t start = 0;
    while (start <= all.size()) {
      size_t nl = all.find('\n', start);
      if (nl == std::string::npos) {
        // A final line feed opens no further line.
        if (start < all.size()) lines.push_back(all.substr(start));
        break;
      }
      lines.push_back(all.substr(start, nl - start));
      start = nl + 1;
    }
  } else {
    lines.push_back(all);
  }

  const plat::Font& font = fontOf(c);
  plat::FontMetrics m = font.metrics();
  const double leading = std::max(0.0, m.lineHeight - m.ascent - m.descent);
  const double lineSum = m.ascent + m.descent + leading;
  std::vector<int> widths;
  long long width = 0, height = 0;
  for (const std::string& l : lines) {
    int w = int(floor(font.width(l) + 0.5));
    widths.push_back(w);
    width = std::max<long long>(width, w);
    height += (long long)floor(lineSum + 1.5);
  }
  const int H = clampInt(height != 0 ? height + 1 : 0);

  if (flags & DT_CALCRECT) {
    r->right = clampInt((long long)r->left + width);
    r->bottom = clampInt((long long)r->top + H);
    return H;
  }
  long long x = r->left, y = r->top;
  if (flags & DT_RIGHT)
    x += (long long)r->right - ((long long)r->left + width);
  else if (flags & DT_CENTER)
    x += ((long long)r->right - r->left) / 2 - width / 2;
  if (flags & DT_BOTTOM)
    y += (long long)r->bottom - H - r->top;
  else if (flags & DT_VCENTER)
    y += ((long long)r->bottom - r->top) / 2 - H / 2;

  plat::DrawContext* ctx = c->ctx;
  if (!ctx) return H;
  ctx->save();
  if (!(flags & DT_NOCLIP))
    ctx->clipTo({double(r->left), double(r->top), double(r->right) - r->left,
                 double(r->bottom) - r->top});
  const uint32_t bk = 0xFF000000u | (uint32_t(c->bkcolor) & 0xFFFFFF);
  const bool opaque = c->bkmode == SHIM_BKMODE_OPAQUE;
  if (SHIM_GdiObject* f = selectedFont(c)) {
    if (f->quality == 4) ctx->setAntialias(true);
    if (f->quality == 3) ctx->setAntialias(false);
  }
  const uint32_t ink = 0xFF000000u | (uint32_t(c->textcolor) & 0xFFFFFF);
  if (!multi) {
    if (opaque) ctx->fillRect({double(x), double(y), double(width), double(H)}, bk);
    plat::drawText(*ctx, font, lines[0], {double(x), double(y) + m.ascent}, ink);
  } else {
    double top = double(y);
    for (size_t i = 0; i < lines.size(); ++i) {
      if (opaque) ctx->fillRect({double(x), top, double(widths[i]), lineSum}, bk);
      plat::drawText(*ctx, font, lines[i], {double(x), top + m.ascent}, ink);
      top += floor(lineSum + 0.5);
    }
  }
  ctx->restore();
  return H;
}

int GetGlyphIndicesW(HDC hdc, const wchar_t* chars, int n, unsigned short* glyphs, int flags) {
  if (!glyphs || n < 1) return 0;
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  SHIM_GdiObject* f = c ? selectedFont(c) : nullptr;
  if (f && f->font && chars) {
    std::vector<unsigned short> out((size_t)n);
    bool all = true;
    for (int i = 0; i < n && all; ++i) {
      unsigned g = f->font->glyphIndex(uint32_t(chars[i]));
      all = g != 0 && g < 0xFFFF;
      out[size_t(i)] = (unsigned short)g;
    }
    if (all) {
      memcpy(glyphs, out.data(), size_t(n) * sizeof(unsigned short));
      return n;
    }
  }
  for (int i = 0; i < n; ++i) glyphs[i] = flags == 1 ? 0xFFFF : 0;
  return 0;
}

// --- the raster library's view of the layer

void SHIM_InstallRasterHooks() {
  static const PIX_SysContextHooks contexts = {SHIM_CreateMemContext, SHIM_GetCtxFrameBuffer,
                                               SHIM_DeleteGfxContext};
  static const PIX_SysTextHooks text = {SelectObject, GetTextMetrics, SHIM_DrawText, SetTextColor,
                                        SetBkColor,   SetBkMode,      DeleteObject};
  PIX_SetSysContextHooks(&contexts);
  PIX_SetSysTextHooks(&text);
}

namespace {
struct RasterHookInstaller {
  RasterHookInstaller() { SHIM_InstallRasterHooks(); }
} s_rasterHooks;
}  // namespace

// --- painting (window views hand their procedures these contexts)

HDC SHIM_Internal_CreatePaintContext(plat::DrawContext* ctx, plat::GLContext* gl) {
  HDC dc = SHIM_CreateGfxContext(ctx);
  if (SHIM_GdiContext* c = SHIM_GdiCtx(dc)) c->glctx = gl;
  return dc;
}

HDC SHIM_Internal_CreateScratchContext() { return SHIM_CreateGfxContext(nullptr); }

void SHIM_Internal_ReleaseContext(HDC hdc) { SHIM_DeleteGfxContext(hdc); }

plat::DrawContext* SHIM_Internal_GetDrawContext(HDC hdc) {
  return (plat::DrawContext*)SHIM_GetCtxGC(hdc);
}

bool SHIM_Internal_GetTextColorIfSet(HDC hdc, COLORREF* color) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || !c->textcolorset) return false;
  if (color) *color = COLORREF(c->textcolor) & 0xFFFFFF;
  return true;
}
