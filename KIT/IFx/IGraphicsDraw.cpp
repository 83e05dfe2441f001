// The drawing primitives controls call on the editor surface, the loading of
// images by id through the process-wide image cache, and text from bitmap
// fonts.

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "IFxUtil.h"
#include "IGraphics.h"
#include "mutex.h"
#include "pix.h"

namespace {

// Raster weight and mode for a blend.
struct RasterBlend {
  float weight;
  int mode;
};

RasterBlend ToRaster(const IChannelBlend* blend) {
  if (!blend) return {1.0f, PIX_USE_SOURCE_ALPHA};
  switch (blend->mMethod) {
    case IChannelBlend::kBlendCopy: return {blend->mWeight, PIX_OP_COPY};
    case IChannelBlend::kBlendAdd: return {blend->mWeight, PIX_USE_SOURCE_ALPHA | PIX_OP_ADD};
    case IChannelBlend::kBlendColorDodge:
      return {blend->mWeight, PIX_USE_SOURCE_ALPHA | PIX_OP_DODGE};
    default: return {blend->mWeight, PIX_USE_SOURCE_ALPHA};
  }
}

// Images of every editor in the process, by id. Images made at run time
// (scaled, cropped, retained) carry id -1. An image that failed to load
// stays as an entry without pixels, so it is tried and reported once.
class BitmapStorage {
public:
  ~BitmapStorage() {
    for (int i = mList.GetSize() - 1; i >= 0; --i) delete mList.Get(i)->bitmap;
    mList.Empty(true);
  }

  bool Find(int id, PIX_IBitmap** bitmap) {
    KIT_MutexLock lock(&mMutex);
    for (int i = 0; i < mList.GetSize(); ++i) {
      Entry* e = mList.Get(i);
      if (e->id == id) {
        *bitmap = e->bitmap;
        return true;
      }
    }
    return false;
  }

  void Add(int id, PIX_IBitmap* bitmap) {
    KIT_MutexLock lock(&mMutex);
    mList.Add(new Entry{id, bitmap});
  }

  void Remove(PIX_IBitmap* bitmap) {
    KIT_MutexLock lock(&mMutex);
    for (int i = 0; i < mList.GetSize(); ++i) {
      Entry* e = mList.Get(i);
      if (e->bitmap == bitmap) {
        delete e->bitmap;
        mList.Delete(i, true);
        return;
      }
    }
  }

private:
  struct Entry {
    int id;
    PIX_IBitmap* bitmap;
  };
  KIT_PtrList<Entry> mList;
  KIT_Mutex mMutex;
};

BitmapStorage s_bitmapCache;

// What a loaded raster bitmap stands for, or the one-pixel-per-frame stand-in
// of an image without pixels.
IBitmap MakeIBitmap(PIX_IBitmap* raster, int nStates, bool horizontal) {
  if (raster) return IBitmap(raster, raster->getWidth(), raster->getHeight(), nStates, horizontal);
  const int n = nStates < 1 ? 1 : nStates;
  return IBitmap(nullptr, horizontal ? n : 1, horizontal ? 1 : n, nStates, horizontal);
}

}  // namespace

// ---- Images

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int nStates, bool framesAreHorizontal) {
  PIX_IBitmap* raster = nullptr;
  if (!s_bitmapCache.Find(id, &raster)) {
    raster = OSLoadBitmap(id, name);
    if (!raster)
      fprintf(stderr, "Harshbloom: image %d \"%s\" could not be loaded; it is left out\n", id,
              name ? name : "");
    s_bitmapCache.Add(id, raster);
  }
  return MakeIBitmap(raster, nStates, framesAreHorizontal);
}

IBitmap IGraphics::ScaleBitmap(IBitmap* src, int w, int h) {
  if (!src) return IBitmap();
  if (!src->mData || w < 1 || h < 1) return MakeIBitmap(nullptr, src->N, false);
  PIX_MemBitmap* out = new PIX_MemBitmap(w, h, 4);
  PIX_Clear(out, 0);
  PIX_ScaledBlit(out, src->mData, 0, 0, w, h, 0.0f, 0.0f, float(src->W), float(src->H), 1.0f,
                 PIX_FILTER_BILINEAR);
  s_bitmapCache.Add(-1, out);
  return MakeIBitmap(out, src->N, false);
}

IBitmap IGraphics::CropBitmap(IBitmap* src, IRECT* rect) {
  if (!src || !rect) return IBitmap();
  const int w = rect->W() > 0 ? rect->W() : 0, h = rect->H() > 0 ? rect->H() : 0;
  if (!src->mData || !w || !h) return MakeIBitmap(nullptr, src->N, src->mFramesAreHorizontal);
  PIX_MemBitmap* out = new PIX_MemBitmap(w, h, 4);
  // Whatever lies outside the source stays transparent.
  PIX_Clear(out, 0);
  PIX_Blit(out, src->mData, 0, 0, rect->L, rect->T, w, h, 1.0f, PIX_OP_COPY);
  s_bitmapCache.Add(-1, out);
  return MakeIBitmap(out, src->N, src->mFramesAreHorizontal);
}

void IGraphics::RetainBitmap(IBitmap* bitmap) {
  if (bitmap && bitmap->mData) s_bitmapCache.Add(-1, bitmap->mData);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap) {
  if (bitmap && bitmap->mData) s_bitmapCache.Remove(bitmap->mData);
}

// ---- Bitmaps

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                           const IChannelBlend* blend) {
  if (!bitmap || !bitmap->mData || !dest || !mDrawBitmap) return false;
  const IRECT r = dest->Intersect(mDrawRECT);
  if (r.Empty()) return false;
  const RasterBlend rb = ToRaster(blend);
  PIX_Blit(mDrawBitmap, bitmap->mData, r.L, r.T, srcX + r.L - dest->L, srcY + r.T - dest->T,
           r.W(), r.H(), rb.weight, rb.mode);
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend) {
  if (!bitmap) return false;
  int srcX = 0, srcY = 0;
  if (frame >= 2 && bitmap->N >= 2) {
    if (bitmap->mFramesAreHorizontal)
      srcX = IFxTruncToInt(double(frame - 1) * bitmap->W / bitmap->N + 0.5);
    else
      srcY = IFxTruncToInt(double(frame - 1) * bitmap->H / bitmap->N + 0.5);
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int cx, int cy, double angle, int yOffset,
                                  const IChannelBlend* blend) {
  if (!bitmap || !bitmap->mData || !mDrawBitmap) return false;
  const int w = bitmap->W, h = bitmap->H;
  const RasterBlend rb = ToRaster(blend);
  PIX_RotatedBlit(mDrawBitmap, bitmap->mData, cx - w / 2, cy - h / 2, w, h, 0.0f, 0.0f, float(w),
                  float(h), float(angle), false, rb.weight, rb.mode | PIX_FILTER_BILINEAR, 0.0f,
                  float(yOffset));
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y,
                                double angle, const IChannelBlend* blend) {
  if (!base || !base->mData || !mTmpBitmap || !mDrawBitmap) return false;
  const float rad = float(angle * 3.14159265358979323846 / 180.0);
  const int w = base->W, h = base->H;
  // An odd width has its centre in the middle of a pixel.
  const float xCentre = (w & 1) ? -0.5f : 0.0f;
  PIX_Copy(mTmpBitmap, base->mData);
  PIX_ClearRect(mTmpBitmap, 0, 0, w, h, 0xFFFFFF, 0);
  if (mask && mask->mData)
    PIX_RotatedBlit(mTmpBitmap, mask->mData, 0, 0, w, h, 0.0f, 0.0f, float(mask->W),
                    float(mask->H), rad, true, 1.0f,
                    PIX_USE_SOURCE_ALPHA | PIX_FILTER_BILINEAR | PIX_OP_ADD, xCentre, 0.0f);
  if (top && top->mData)
    PIX_RotatedBlit(mTmpBitmap, top->mData, 0, 0, w, h, 0.0f, 0.0f, float(top->W), float(top->H),
                    rad, true, 1.0f, PIX_USE_SOURCE_ALPHA | PIX_FILTER_BILINEAR, xCentre, 0.0f);
  IBitmap picture(mTmpBitmap, w, h);
  IRECT dest(x, y, x + w, y + h);
  return DrawBitmap(&picture, &dest, 0, 0, blend);
}

// ---- Shapes

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend,
                          bool) {
  if (!color) return false;
  const RasterBlend rb = ToRaster(blend);
  PIX_PutPixel(mDrawBitmap, PIX_TruncToInt(x + 0.5f), PIX_TruncToInt(y + 0.5f), color->Packed(),
               rb.weight, rb.mode);
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y) {
  // Only points inside the bitmap: the write goes straight to memory.
  if (!color || !mDrawBitmap || x < 0 || y < 0 || x >= mDrawBitmap->getWidth() ||
      y >= mDrawBitmap->getHeight())
    return false;
  mDrawBitmap->getBits()[size_t(mDrawBitmap->getRowSpan()) * size_t(y) + size_t(x)] =
      color->Packed();
  return true;
}

IColor IGraphics::GetPoint(int x, int y) {
  return IColor::FromPacked(PIX_GetPixel(mDrawBitmap, x, y));
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias) {
  if (!color) return false;
  const RasterBlend rb = ToRaster(blend);
  PIX_Line(mDrawBitmap, PIX_TruncToInt(x1), PIX_TruncToInt(y1), PIX_TruncToInt(x2),
           PIX_TruncToInt(y2), color->Packed(), rb.weight, rb.mode, antiAlias);
  return true;
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                               float rMax, const IChannelBlend* blend, bool antiAlias) {
  const float s = sinf(angle), c = cosf(angle);
  return DrawLine(color, cx + s * rMin, cy - c * rMin, cx + s * rMax, cy - c * rMax, blend,
                  antiAlias);
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle,
                        float maxAngle, const IChannelBlend* blend, bool antiAlias) {
  if (!color) return false;
  const RasterBlend rb = ToRaster(blend);
  PIX_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, color->Packed(), rb.weight, rb.mode,
          antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r,
                           const IChannelBlend* blend, bool antiAlias) {
  if (!color) return false;
  const RasterBlend rb = ToRaster(blend);
  PIX_Circle(mDrawBitmap, cx, cy, r, color->Packed(), rb.weight, rb.mode, antiAlias);
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r,
                           const IChannelBlend* blend, bool antiAlias) {
  if (!color) return false;
  const RasterBlend rb = ToRaster(blend);
  PIX_FillCircle(mDrawBitmap, float(cx), float(cy), r, color->Packed(), rb.weight, rb.mode,
                 antiAlias);
  return true;
}

bool IGraphics::DrawRect(const IColor* color, IRECT* rect) {
  if (!color || !rect) return false;
  const unsigned int c = color->Packed();
  PIX_Line(mDrawBitmap, rect->L, rect->T, rect->R, rect->T, c, 1.0f, PIX_OP_COPY, false);
  PIX_Line(mDrawBitmap, rect->L, rect->B, rect->R, rect->B, c, 1.0f, PIX_OP_COPY, false);
  PIX_Line(mDrawBitmap, rect->L, rect->T, rect->L, rect->B, c, 1.0f, PIX_OP_COPY, false);
  PIX_Line(mDrawBitmap, rect->R, rect->T, rect->R, rect->B, c, 1.0f, PIX_OP_COPY, false);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, int x, int y1, int y2) {
  if (!color) return false;
  PIX_Line(mDrawBitmap, x, y1, x, y2, color->Packed(), 1.0f, PIX_OP_COPY, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int y, int x1, int x2) {
  if (!color) return false;
  PIX_Line(mDrawBitmap, x1, y, x2, y, color->Packed(), 1.0f, PIX_OP_COPY, false);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* rect, float x) {
  if (!rect) return false;
  x = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
  return DrawVerticalLine(color, rect->L + PIX_TruncToInt(float(rect->W()) * x), rect->T, rect->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* rect, float y) {
  if (!rect) return false;
  y = y < 0.0f ? 0.0f : (y > 1.0f ? 1.0f : y);
  return DrawHorizontalLine(color, rect->B - PIX_TruncToInt(float(rect->H()) * y), rect->L,
                            rect->R);
}

bool IGraphics::RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend,
                          int cornerRadius, bool antiAlias) {
  if (!color || !rect) return false;
  const RasterBlend rb = ToRaster(blend);
  PIX_RoundRect(mDrawBitmap, float(rect->L), float(rect->T), float(rect->W()), float(rect->H()),
                cornerRadius, color->Packed(), rb.weight, rb.mode, antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend,
                              int cornerRadius, bool antiAlias) {
  if (!color || !rect) return false;
  const RasterBlend rb = ToRaster(blend);
  const unsigned int c = color->Packed();
  const int r = cornerRadius, w = rect->W(), h = rect->H(), L = rect->L, T = rect->T;
  PIX_FillRect(mDrawBitmap, L + r, T, w - 2 * r, h, c, rb.weight, rb.mode);
  PIX_FillRect(mDrawBitmap, L, T + r, r, h - 2 * r, c, rb.weight, rb.mode);
  PIX_FillRect(mDrawBitmap, rect->R - r, T + r, r, h - 2 * r, c, rb.weight, rb.mode);
  const float fr = float(r);
  PIX_FillCircle(mDrawBitmap, float(L + r), float(T + r), fr, c, rb.weight, rb.mode, antiAlias);
  PIX_FillCircle(mDrawBitmap, float(L + w - r - 1), float(T + h - r - 1), fr, c, rb.weight,
                 rb.mode, antiAlias);
  PIX_FillCircle(mDrawBitmap, float(L + w - r - 1), float(T + r), fr, c, rb.weight, rb.mode,
                 antiAlias);
  PIX_FillCircle(mDrawBitmap, float(L + r), float(T + h - r - 1), fr, c, rb.weight, rb.mode,
                 antiAlias);
  return true;
}

bool IGraphics::FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend) {
  if (!color || !rect) return false;
  const RasterBlend rb = ToRaster(blend);
  PIX_FillRect(mDrawBitmap, rect->L, rect->T, rect->W(), rect->H(), color->Packed(), rb.weight,
               rb.mode);
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend) {
  if (!color) return false;
  const RasterBlend rb = ToRaster(blend);
  PIX_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, color->Packed(), rb.weight, rb.mode);
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints,
                                   const IChannelBlend* blend) {
  if (!color || !x || !y) return false;
  const RasterBlend rb = ToRaster(blend);
  PIX_FillConvexPolygon(mDrawBitmap, x, y, npoints, color->Packed(), rb.weight, rb.mode);
  return true;
}

unsigned int* IGraphics::GetBits() { return mDrawBitmap ? mDrawBitmap->getBits() : nullptr; }

// ---- Text from a bitmap font

bool IGraphics::DrawBitmapedText(IGraphics* graphics, IBitmap* font, IRECT* rect, IText* text,
                                 const IChannelBlend* blend, const char* str, bool vCenter,
                                 bool multiline, int charWidth, int charHeight, int charOffset) {
  if (!graphics || !font || !rect || !str || !str[0] || charWidth < 1) return false;
  const int len = int(strlen(str));
  int y = rect->T;
  if (vCenter) y += (rect->B - (rect->T + charHeight)) / 2;
  const int textWidth = len * charWidth;
  const int align = text ? text->mAlign : IText::kAlignNear;
  int x = rect->L;
  if (align == IText::kAlignFar)
    x = rect->R - textWidth;
  else if (align == IText::kAlignCenter)
    x = rect->L + (rect->R - (textWidth + rect->L)) / 2;

  const int width = rect->W();
  int perLine, lines = 1;
  if (multiline && textWidth > width) {
    perLine = width / charWidth;
    lines = width > 0 ? textWidth / width + 1 : 1;
  } else if (multiline) {
    perLine = len;
  } else {
    perLine = width / charWidth;
  }
  if (perLine < 1) return false;

  int pos = 0;
  for (int l = 0; l < lines && pos < len; ++l) {
    const int yl = y + l * charHeight;
    int xc = x;
    for (int k = 0; k < perLine && pos < len; ++k, ++pos) {
      IRECT cell(xc, yl, xc + charWidth, yl + charHeight);
      graphics->DrawBitmap(font, &cell, int(static_cast<unsigned char>(str[pos])) - 31, blend);
      xc += charWidth + charOffset;
    }
  }
  return true;
}
