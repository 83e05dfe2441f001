// Drawing with pens and brushes, copies between contexts, images, image
// lists, system colours and font files.

#include "shim-gdi-draw.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "heapbuf.h"
#include "pix.h"
#include "shim-gdi-internal.h"
#include "shim-paint.h"

namespace {

typedef long long i64;

// The dialog background of this desktop.
constexpr uint32_t kDialogBackground = 0xFFECECEC;

float weightOf(uint32_t argb) { return float(argb >> 24) / 255.0f; }

// A context's clip area with the transform's offset folded in: context
// point (x, y) is pixel (x + dx, y + dy) of `bm` (y down only; contexts of
// this layer draw y down).
struct Target {
  plat::ClipBitmap bm;
  i64 dx, dy;
  bool ok;
};

Target targetOf(SHIM_GdiContext* c) {
  Target t{plat::ClipBitmap(), 0, 0, false};
  if (!c || !c->ctx) return t;
  t.bm = c->ctx->clipBitmap();
  if (!t.bm.getBits()) return t;
  const plat::DrawContext::Transform& xf = c->ctx->transform();
  if (xf.ySign != 1) return t;
  t.dx = (i64)floor(xf.tx) - t.bm.originX();
  t.dy = (i64)floor(xf.ty) - t.bm.originY();
  t.ok = true;
  return t;
}

int px(const Target& t, i64 x) { return PIX_SatInt(x + t.dx); }
int py(const Target& t, i64 y) { return PIX_SatInt(y + t.dy); }

// Fills [l, r) x [t, b) of context coordinates.
void fillBox(SHIM_GdiContext* c, i64 l, i64 t, i64 r, i64 b, uint32_t argb) {
  if (r <= l || b <= t) return;
  c->ctx->fillRect({double(l), double(t), double(r - l), double(b - t)}, argb);
}

// One segment of a pen of width w (see the header's pen model).
void strokeSegment(const Target& t, i64 x1, i64 y1, i64 x2, i64 y2, int w, uint32_t argb) {
  plat::ClipBitmap bm = t.bm;
  if (w <= 1) {
    PIX_Line(&bm, px(t, x1), py(t, y1), px(t, x2), py(t, y2), argb | 0xFF000000u, weightOf(argb),
             0, false);
    return;
  }
  // The hull of the pen squares at both ends.
  typedef std::pair<i64, i64> P;
  const i64 e = w - 1;
  P pts[8] = {{x1, y1}, {x1 + e, y1}, {x1, y1 + e}, {x1 + e, y1 + e},
              {x2, y2}, {x2 + e, y2}, {x2, y2 + e}, {x2 + e, y2 + e}};
  std::sort(pts, pts + 8);
  auto cross = [](const P& o, const P& a, const P& b) {
    return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
  };
  P hull[17];
  int k = 0;
  for (int i = 0; i < 8; ++i) {
    while (k >= 2 && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
    hull[k++] = pts[i];
  }
  for (int i = 6, lo = k + 1; i >= 0; --i) {
    while (k >= lo && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
    hull[k++] = pts[i];
  }
  --k;
  int xs[16], ys[16];
  for (int i = 0; i < k; ++i) {
    xs[i] = px(t, hull[i].first);
    ys[i] = py(t, hull[i].second);
  }
  PIX_FillConvexPolygon(&bm, xs, ys, k, argb | 0xFF000000u, weightOf(argb), 0);
}

// A polygon filled by the nonzero rule over pixel centres, row by row.
void fillPolygon(SHIM_GdiContext* c, const std::vector<std::pair<double, double>>& p,
                 uint32_t argb) {
  Target t = targetOf(c);
  if (!t.ok || p.size() < 3) return;
  double top = p[0].second, bottom = top;
  for (auto& q : p) {
    top = std::min(top, q.second);
    bottom = std::max(bottom, q.second);
  }
  // Only the rows of the clip area.
  const i64 r0 = std::max<i64>((i64)ceil(top - 0.5), -t.dy);
  const i64 r1 = std::min<i64>((i64)ceil(bottom - 0.5), (i64)t.bm.getHeight() - t.dy);
  std::vector<std::pair<double, int>> xs;
  plat::ClipBitmap bm = t.bm;
  for (i64 row = r0; row < r1; ++row) {
    const double yc = double(row) + 0.5;
    xs.clear();
    for (size_t i = 0; i < p.size(); ++i) {
      const auto& a = p[i];
      const auto& b = p[(i + 1) % p.size()];
      if (a.second == b.second) continue;
      const bool down = a.second < b.second;
      const double ylo = down ? a.second : b.second, yhi = down ? b.second : a.second;
      if (yc < ylo || yc >= yhi) continue;
      const double x = a.first + (yc - a.second) * (b.first - a.first) / (b.second - a.second);
      xs.push_back({x, down ? 1 : -1});
    }
    std::sort(xs.begin(), xs.end());
    int winding = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      winding += xs[i].second;
      if (winding == 0) continue;
      // Pixels whose centres lie between the two crossings.
      const i64 xa = (i64)ceil(xs[i].first - 0.5), xb = (i64)ceil(xs[i + 1].first - 0.5);
      if (xb > xa)
        PIX_FillRect(&bm, px(t, xa), py(t, row), PIX_SatInt(xb - xa), 1, argb | 0xFF000000u,
                     weightOf(argb), 0);
    }
  }
}

void strokePath(SHIM_GdiContext* c, const std::vector<std::pair<i64, i64>>& p, int w,
                uint32_t argb) {
  Target t = targetOf(c);
  if (!t.ok) return;
  if (p.size() == 1) strokeSegment(t, p[0].first, p[0].second, p[0].first, p[0].second, w, argb);
  for (size_t i = 1; i < p.size(); ++i)
    strokeSegment(t, p[i - 1].first, p[i - 1].second, p[i].first, p[i].second, w, argb);
}

int penWidth(SHIM_GdiObject* pen) { return pen->width < 1 ? 1 : pen->width; }

}  // namespace

void SHIM_FillRect(HDC hdc, const RECT* r, HBRUSH brush) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  SHIM_GdiObject* b = SHIM_GdiObjOfType(brush, SHIM_GDI_BRUSH);
  if (!c || !c->ctx || !r || !b || b->width < 0) return;
  fillBox(c, r->left, r->top, r->right, r->bottom, b->color);
}

BOOL Rectangle(HDC hdc, int l, int t, int r, int b) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || !c->ctx) return FALSE;
  if (SHIM_GdiObject* br = SHIM_ValidBrush(c)) fillBox(c, l, t, r, b, br->color);
  if (SHIM_GdiObject* pen = SHIM_ValidPen(c)) {
    const i64 w = penWidth(pen);
    c->linewidth = double(w);
    // The pen square run round the rectangle's corners, each pixel once.
    const i64 L = l, T = t, R = r, B = b;
    fillBox(c, L, T, R + w, std::min(T + w, B + w), pen->color);
    fillBox(c, L, std::max(B, T + w), R + w, B + w, pen->color);
    fillBox(c, L, T + w, std::min(L + w, R + w), B, pen->color);
    fillBox(c, std::max(R, L + w), T + w, R + w, B, pen->color);
  }
  return TRUE;
}

BOOL Ellipse(HDC hdc, int l, int t, int r, int b) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || !c->ctx) return FALSE;
  plat::Rect box{double(l), double(t), double(r) - l, double(b) - t};
  if (SHIM_GdiObject* br = SHIM_ValidBrush(c)) c->ctx->fillEllipse(box, br->color);
  if (SHIM_GdiObject* pen = SHIM_ValidPen(c)) c->ctx->strokeEllipse(box, c->linewidth, pen->color);
  return TRUE;
}

BOOL RoundRect(HDC hdc, int l, int t, int r, int b, int xr, int yr) {
  const int hx = xr / 2, hy = yr / 2;
  const POINT pts[10] = {{l, t + hy},     {l + hx, t}, {r - hx, t}, {r, t + hy},     {r, b - hy},
                         {r - hx, b},     {l + hx, b}, {l, b - hy}, {l, t + hy}, {l + hx, t}};
  if (!SHIM_GdiCtx(hdc)) return FALSE;
  SHIM_Polygon(hdc, pts, 10);
  return TRUE;
}

void SHIM_Polygon(HDC hdc, const POINT* pts, int n) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || !c->ctx || !pts || n < 2) return;
  SHIM_GdiObject* br = SHIM_ValidBrush(c);
  SHIM_GdiObject* pen = SHIM_ValidPen(c);
  if (!br && !pen) return;
  if (br) {
    std::vector<std::pair<double, double>> p;
    for (int i = 0; i < n; ++i) p.push_back({double(pts[i].x), double(pts[i].y)});
    fillPolygon(c, p, br->color);
  }
  if (pen) {
    std::vector<std::pair<i64, i64>> p;
    for (int i = 0; i < n; ++i) p.push_back({pts[i].x, pts[i].y});
    c->linewidth = penWidth(pen);
    strokePath(c, p, penWidth(pen), pen->color);
  }
}

BOOL SHIM_LineTo(HDC hdc, int x, int y) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c) return FALSE;
  SHIM_GdiObject* pen = SHIM_ValidPen(c);
  if (pen && c->ctx) {
    c->linewidth = penWidth(pen);
    strokePath(c, {{(i64)floor(c->curx), (i64)floor(c->cury)}, {x, y}}, penWidth(pen), pen->color);
  }
  if (pen) {
    c->curx = float(x);
    c->cury = float(y);
  }
  return pen ? TRUE : FALSE;
}

BOOL PolyPolyline(HDC hdc, const POINT* pts, const DWORD* counts, int nlines) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  SHIM_GdiObject* pen = c ? SHIM_ValidPen(c) : nullptr;
  if (!pen || !pts || !counts || nlines < 1 || !c->ctx) return FALSE;
  c->linewidth = penWidth(pen);
  const POINT* p = pts;
  for (int i = 0; i < nlines; ++i) {
    const DWORD k = counts[i];
    if (k == 1) {
      ++p;
      continue;
    }
    std::vector<std::pair<i64, i64>> line;
    for (DWORD j = 0; j < k; ++j) line.push_back({p[j].x, p[j].y});
    p += k;
    if (k >= 2) strokePath(c, line, penWidth(pen), pen->color);
  }
  return TRUE;
}

BOOL PolyBezierTo(HDC hdc, const POINT* pts, int n) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  SHIM_GdiObject* pen = c ? SHIM_ValidPen(c) : nullptr;
  if (!pen || !pts || n < 3) return FALSE;
  c->linewidth = penWidth(pen);
  double x0 = c->curx, y0 = c->cury;
  std::vector<std::pair<i64, i64>> path{{(i64)floor(x0), (i64)floor(y0)}};
  for (int i = 0; i + 2 < n; i += 3) {
    const double x1 = pts[i].x, y1 = pts[i].y, x2 = pts[i + 1].x, y2 = pts[i + 1].y;
    const double x3 = pts[i + 2].x, y3 = pts[i + 2].y;
    // Enough pieces that none is longer than about two pixels.
    const double len = hypot(x1 - x0, y1 - y0) + hypot(x2 - x1, y2 - y1) + hypot(x3 - x2, y3 - y2);
    const int steps = std::max(1, std::min(4096, int(len / 2)));
    for (int s = 1; s <= steps; ++s) {
      const double u = double(s) / steps, v = 1 - u;
      const double bx = v * v * v * x0 + 3 * v * v * u * x1 + 3 * v * u * u * x2 + u * u * u * x3;
      const double by = v * v * v * y0 + 3 * v * v * u * y1 + 3 * v * u * u * y2 + u * u * u * y3;
      std::pair<i64, i64> q{(i64)floor(bx + 0.5), (i64)floor(by + 0.5)};
      if (q != path.back()) path.push_back(q);
    }
    x0 = x3;
    y0 = y3;
  }
  if (c->ctx) strokePath(c, path, penWidth(pen), pen->color);
  c->curx = float(x0);
  c->cury = float(y0);
  return TRUE;
}

void SHIM_SetPixel(HDC hdc, int x, int y, int color) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || !c->ctx) return;
  fillBox(c, x, y, i64(x) + 1, i64(y) + 1, 0xFF000000u | (uint32_t(color) & 0xFFFFFF));
}

// --- copies between contexts and images

namespace {

// Copies the source area [sx, sx + sw) x [sy, sy + sh) of src, scaled to
// w x h with the raster library's nearest pixels, to context point (x, y);
// `alpha` blends by the source alpha, else the copy is opaque.
void drawScaled(SHIM_GdiContext* c, PIX_IBitmap* src, i64 x, i64 y, i64 w, i64 h, int sx, int sy,
                int sw, int sh, bool alpha) {
  Target t = targetOf(c);
  if (!t.ok || !src->getBits() || w < 1 || h < 1 || sw < 1 || sh < 1) return;
  x += t.dx;
  y += t.dy;
  // The pixels of the clip area the copy covers.
  const i64 cx0 = std::max<i64>(x, 0), cy0 = std::max<i64>(y, 0);
  const i64 cx1 = std::min<i64>(x + w, t.bm.getWidth());
  const i64 cy1 = std::min<i64>(y + h, t.bm.getHeight());
  if (cx1 <= cx0 || cy1 <= cy0) return;
  const int vw = int(cx1 - cx0), vh = int(cy1 - cy0);
  plat::ClipBitmap bm = t.bm;
  const int mode = alpha ? PIX_USE_SOURCE_ALPHA : 0;
  auto fits = [](i64 v) { return PIX_SatInt(v) == v; };
  if (fits(x) && fits(y) && fits(w) && fits(h)) {
    PIX_ScaledBlit(&bm, src, int(x), int(y), int(w), int(h), float(sx), float(sy), float(sw),
                   float(sh), 1.0f, mode);
  } else {
    // A rectangle past the int range: only the covered part, the source
    // start moved on by as much.
    PIX_ScaledBlit(&bm, src, int(cx0), int(cy0), vw, vh, float(sx + double(cx0 - x) * sw / w),
                   float(sy + double(cy0 - y) * sh / h), float(double(vw) * sw / w),
                   float(double(vh) * sh / h), 1.0f, mode);
  }
  // An opaque copy leaves opaque pixels.
  if (!alpha) PIX_ClearRect(&bm, int(cx0), int(cy0), vw, vh, 0xFFFFFFu, 0xFF000000u);
}

}  // namespace

void StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                int mode) {
  SHIM_GdiContext* d = SHIM_GdiCtx(dst);
  SHIM_GdiContext* s = SHIM_GdiCtx(src);
  if (!d || !s || !d->ctx || !s->ctx || !s->alloc || sw <= 0 || sh <= 0) return;
  const i64 W = s->memw, H = s->memh;
  i64 X = x, Y = y, SX = sx, SY = sy, CW = sw, CH = sh;
  if (SX < 0) {
    CW += SX;
    X -= SX * w / sw;
    SX = 0;
  }
  if (SY < 0) {
    CH += SY;
    Y -= SY * h / sh;
    SY = 0;
  }
  if (CW > W - SX) CW = W - SX;
  if (CH > H - SY) CH = H - SY;
  if (CW < 1 || CH < 1) return;
  const i64 DW = CW == sw ? w : i64(w) * CW / sw, DH = CH == sh ? h : i64(h) * CH / sh;
  plat::ClipBitmap fb(s->membitmap, 0, 0, s->memw, s->memh);
  drawScaled(d, &fb, X, Y, DW, DH, int(SX), int(SY), int(CW), int(CH), mode == SHIM_BLT_ALPHA);
}

void BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int mode) {
  StretchBlt(dst, x, y, w, h, src, sx, sy, w, h, mode);
}

void SHIM_FillDialogBackground(HDC hdc, const RECT* r, int) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || !c->ctx || !r) return;
  fillBox(c, r->left, r->top, r->right, r->bottom, kDialogBackground);
}

namespace {

HGDIOBJ newImageObject(SHIM_Image* img) {
  if (!img) return nullptr;
  SHIM_GdiObject* o = SHIM_NewGdiObject(SHIM_GDI_IMAGE);
  if (!o) {
    SHIM_ReleaseImage(img);
    return nullptr;
  }
  o->image = img;
  o->width = 1;
  return (HGDIOBJ)o;
}

SHIM_GdiObject* imageObject(HGDIOBJ h) {
  SHIM_GdiObject* o = SHIM_GdiObjOfType(h, SHIM_GDI_IMAGE);
  return o && o->image && o->image->bmp ? o : nullptr;
}

void clearMagenta(unsigned int* p, void* cleared) {
  if ((*p & 0xFFFFFF) == 0xFF00FF) {
    *p = 0;
    *(bool*)cleared = true;
  }
}

PIX_MemBitmap* copyOf(PIX_MemBitmap* src) {
  PIX_MemBitmap* b = new PIX_MemBitmap(0, 0, 1);
  PIX_Copy(b, src);
  if (!b->getBits() && src->getBits()) {
    delete b;
    return nullptr;
  }
  return b;
}

}  // namespace

HBITMAP LoadNamedImage(const char* name, bool alphaFromMagenta) {
  if (!name || !*name) return nullptr;
  PIX_MemBitmap* bmp = new PIX_MemBitmap(0, 0, 1);
  PIX_IBitmap* got = strchr(name, '/') ? PIX_LoadPNG(name, bmp) : PIX_LoadPNGFromNamedResource(name, bmp);
  if (!got || !bmp->getBits()) {
    delete bmp;
    return nullptr;
  }
  if (alphaFromMagenta && bmp->getWidth() >= 1 && bmp->getHeight() >= 1) {
    // On a copy: the image stays as loaded unless some pixel was magenta.
    PIX_MemBitmap* keyed = copyOf(bmp);
    bool cleared = false;
    if (keyed)
      PIX_ProcessRect(keyed, 0, 0, keyed->getWidth(), keyed->getHeight(), clearMagenta, &cleared);
    if (cleared) {
      delete bmp;
      bmp = keyed;
    } else {
      delete keyed;
    }
  }
  return newImageObject(SHIM_NewImage(bmp));
}

HBITMAP CreateBitmap(int w, int h, int, int bpp, const unsigned char* bits) {
  if (w < 1 || h < 1) return nullptr;
  PIX_MemBitmap* bmp = new PIX_MemBitmap(w, h, 1);
  unsigned int* out = bmp->getBits();
  if (!out || bmp->getWidth() != w) {
    delete bmp;
    return nullptr;
  }
  const size_t n = size_t(w) * size_t(h);
  if (!bits) {
    memset(out, 0, n * 4);
  } else {
    for (size_t i = 0; i < n; ++i) {
      const unsigned char* p = bits + i * 4;
      unsigned int v = unsigned(p[0]) | unsigned(p[1]) << 8 | unsigned(p[2]) << 16 | unsigned(p[3]) << 24;
      out[i] = bpp == 32 ? v : (v | 0xFF000000u);
    }
  }
  return newImageObject(SHIM_NewImage(bmp));
}

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info || !info->fIcon) return nullptr;
  SHIM_GdiObject* col = imageObject(info->hbmColor);
  if (!col) return nullptr;
  ++col->image->refs;
  return newImageObject(col->image);
}

void* GetNSImageFromHICON(HICON icon) {
  SHIM_GdiObject* o = imageObject(icon);
  return o ? (PIX_IBitmap*)o->image->bmp : nullptr;
}

void DrawImageInRect(HDC hdc, HGDIOBJ image, const RECT* r) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  SHIM_GdiObject* o = imageObject(image);
  if (!c || !o || !r) return;
  PIX_MemBitmap* b = o->image->bmp;
  drawScaled(c, b, r->left, r->top, i64(r->right) - r->left, i64(r->bottom) - r->top, 0, 0,
             b->getWidth(), b->getHeight(), true);
}

bool SHIM_Internal_DrawImageListImage(HIMAGELIST list, int index, plat::DrawContext& ctx,
                                      const plat::Rect& r) {
  HGDIOBJ image = SHIM_ImageList_GetImage(list, index - 1);
  if (!image) return false;
  HDC hdc = SHIM_Internal_CreatePaintContext(&ctx);
  const RECT rect = {int(floor(r.x)), int(floor(r.y)), int(floor(r.x + r.w)), int(floor(r.y + r.h))};
  DrawImageInRect(hdc, image, &rect);
  SHIM_Internal_ReleaseContext(hdc);
  return true;
}

int GetObject(HGDIOBJ obj, int size, void* buf) {
  SHIM_GdiObject* o = imageObject(obj);
  if (!o || size < 8 || !buf) return 0;
  memset(buf, 0, size_t(size));
  BITMAP* bm = (BITMAP*)buf;
  bm->bmWidth = o->image->bmp->getWidth();
  bm->bmHeight = o->image->bmp->getHeight();
  if (size >= (int)sizeof(BITMAP)) {
    bm->bmWidthBytes = bm->bmWidth * 4;
    bm->bmPlanes = 1;
    bm->bmBitsPixel = 32;
    bm->bmBits = nullptr;
  }
  return 1;
}

int GetSysColor(int index) {
  static const int colors[10] = {0x606060, 0xE0E0E0, 0xC0C0C0, 0x000000, 0xC0C0C0,
                                 0x202020, 0x303030, 0xC0C0C0, 0xFFF0C8, 0x000000};
  return index >= 0 && index <= 9 ? colors[index] : 0;
}

// --- image lists

struct HIMAGELIST__ {
  KIT_TypedBuf<SHIM_GdiObject*> images;
};

namespace {

int appendImage(HIMAGELIST list, SHIM_GdiObject* o) {
  const int n = list->images.GetSize();
  SHIM_GdiObject** p = list->images.Resize(n + 1, false);
  if (!p || list->images.GetSize() != n + 1) {
    DeleteObject((HGDIOBJ)o);
    return -1;
  }
  p[n] = o;
  return n;
}

}  // namespace

HIMAGELIST ImageList_CreateEx() { return new HIMAGELIST__; }

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP) {
  SHIM_GdiObject* src = imageObject(image);
  if (!list || !src) return -1;
  // Images draw upright here whichever way a view counts y: a plain copy.
  PIX_MemBitmap* copy = copyOf(src->image->bmp);
  HGDIOBJ o = copy ? newImageObject(SHIM_NewImage(copy)) : nullptr;
  if (!o) return -1;
  return appendImage(list, (SHIM_GdiObject*)o);
}

int ImageList_ReplaceIcon(HIMAGELIST list, int idx, HICON icon) {
  SHIM_GdiObject* src = imageObject(icon);
  if (!list || !src) return -1;
  ++src->image->refs;
  SHIM_GdiObject* o = (SHIM_GdiObject*)newImageObject(src->image);
  if (!o) return -1;
  if (idx >= 0 && idx < list->images.GetSize()) {
    SHIM_GdiObject** p = list->images.Get();
    if (p[idx]) DeleteObject((HGDIOBJ)p[idx]);
    p[idx] = o;
    return idx;
  }
  return appendImage(list, o);
}

BOOL ImageList_Remove(HIMAGELIST list, int idx) {
  if (!list) return FALSE;
  const int n = list->images.GetSize();
  SHIM_GdiObject** p = list->images.Get();
  if (idx < 0) {
    for (int i = 0; i < n; ++i)
      if (p[i]) DeleteObject((HGDIOBJ)p[i]);
    list->images.Resize(0, false);
    return TRUE;
  }
  if (idx >= n) return FALSE;
  if (p[idx]) DeleteObject((HGDIOBJ)p[idx]);
  p[idx] = nullptr;
  return TRUE;
}

void ImageList_Destroy(HIMAGELIST list) {
  if (!list) return;
  ImageList_Remove(list, -1);
  delete list;
}

HGDIOBJ SHIM_ImageList_GetImage(HIMAGELIST list, int idx) {
  if (!list || idx < 0 || idx >= list->images.GetSize()) return nullptr;
  return (HGDIOBJ)list->images.Get()[idx];
}

int ImageList_GetImageCount(HIMAGELIST list) { return list ? list->images.GetSize() : 0; }

int AddFontResourceEx(const char* path, int flags, void*) {
  if (!path || !*path) return 0;
  if (flags & SHIM_FONT_FOR_PROCESS) return plat::registerFontFile(path) ? 1 : 0;
  return plat::installUserFont(path) ? 1 : 0;
}

// --- painting helpers of the window views

void SHIM_Internal_FillWithBrush(HDC hdc, const RECT& r, HBRUSH brush) { SHIM_FillRect(hdc, &r, brush); }

void SHIM_Internal_FillWithSysColor(HDC hdc, const RECT& r, int index) {
  SHIM_GdiContext* c = SHIM_GdiCtx(hdc);
  if (!c || !c->ctx) return;
  if (index == 3)
    SHIM_FillDialogBackground(hdc, &r, 0);
  else
    fillBox(c, r.left, r.top, r.right, r.bottom, 0xFF000000u | uint32_t(GetSysColor(index)));
}
