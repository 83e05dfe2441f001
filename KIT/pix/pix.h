#pragma once

// The raster graphics library: 32-bit bitmaps and the calls that draw into
// them. Colours are PIX_ARGB32 (0xAARRGGBB, not premultiplied); alpha is a
// float weight (1.0 full strength) and mode a word whose low byte picks the
// combine operator (PIX_OP_*), with PIX_USE_SOURCE_ALPHA and the channel-copy
// and filter fields where a call reads them.
//
// Drawing calls report nothing: null bitmaps, bitmaps without pixels, empty
// or wholly clipped shapes, weight 0 and unknown operators draw nothing.
// Every call clips to its bitmaps itself. Flipped bitmaps (memory row 0 is
// the bottom image row) are drawn as presented unless a call says otherwise.
// Bitmaps handed to a call are never taken over by it.

#include "pix_bitmap.h"
#include "pix_ops.h"
#include "pix_png.h"
#include "pix_sysbitmap.h"
#include "pix_types.h"

// ---- Blits

// Combines the source rectangle (null: the whole source) into dest with its
// top-left corner at (dstx, dsty). Source and destination may overlap (also
// within one bitmap): the result is that of an untouched source.
void PIX_Blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, const RECT* srcrect,
              float alpha, int mode);
void PIX_Blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
              int srcw, int srch, float alpha, int mode);
// Resizes dest to the source and copies it.
void PIX_Copy(PIX_IBitmap* dest, PIX_IBitmap* src);

// ---- Resampling blits
//
// Source positions are fractional pixels. These blits read a source area
// that may share memory with the destination (one bitmap drawn onto
// itself): they then read from a copy, as if the source were untouched.
// (mode & 0xff00) == PIX_FILTER_BILINEAR selects bilinear sampling.

// Stretches the source rectangle onto the destination rectangle; a negative
// dstw or dsth mirrors that axis. Equal sizes become PIX_Blit from the
// nearest whole pixel (unless bilinear sampling starts between pixels);
// bilinear reductions by 1.7 and more average 3 x 3 or 5 x 5 pixels.
void PIX_ScaledBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    float srcx, float srcy, float srcw, float srch, float alpha, int mode);

// Destination pixel (dstx + i, dsty + j) samples the source at
//   s = srcx + i (dsdx + j dsdxdy) + j dsdy,  t = srcy + i (dtdx + j dtdxdy) + j dtdy.
// With cliptosourcerect only the source rectangle is read (else the whole
// source); a negative dstw or dsth moves the start to the other side
// (srcx += srcw, srcy += srch) with the steps unchanged.
void PIX_DeltaBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                   float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx,
                   double dsdy, double dtdy, double dsdxdy, double dtdxdy, bool cliptosourcerect,
                   float alpha, int mode);
// The same with a weight that starts at alpha and changes by dadx per pixel
// and dady per row, dadx itself by dadxdy per row. Operators by mode & 0xff
// (copy and multiply clamped); the source-alpha flag is not read.
void PIX_DeltaBlitAlpha(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw,
                        int dsth, float srcx, float srcy, float srcw, float srch, double dsdx,
                        double dtdx, double dsdy, double dtdy, double dsdxdy, double dtdxdy,
                        bool cliptosourcerect, float alpha, int mode, double dadx, double dady,
                        double dadxdy);
// The source rectangle drawn into the destination rectangle turned by angle
// (radians, clockwise as presented) about the centre, the source centre
// moved by (rotxcent, rotycent) source pixels. Each destination pixel's
// centre picks the source pixel under it (bilinear: blends the source
// pixels around it), so angle 0 at equal sizes is the unscaled blit and
// angle pi turns the rectangle over in place.
void PIX_RotatedBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float angle,
                     bool cliptosourcerect, float alpha, int mode, float rotxcent,
                     float rotycent);

// Mesh blits: srcpoints holds div_w x div_h source positions (s, t) row by
// row, placed on a grid over the destination rectangle; each grid cell is a
// delta blit between its four corners. The alpha form has (s, t, weight) per
// point.
template <class T>
struct PIX_TransformBlit_class {
  static void blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                   const T* srcpoints, int div_w, int div_h, float alpha, int mode);
};
template <class T>
struct PIX_TransformBlitAlpha_class {
  static void blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                   const T* srcpoints, int div_w, int div_h, int mode);
};
void PIX_TransformBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw,
                       int dsth, const float* srcpoints, int div_w, int div_h, float alpha,
                       int mode);
void PIX_TransformBlit2(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw,
                        int dsth, const double* srcpoints, int div_w, int div_h, float alpha,
                        int mode);
void PIX_TransformBlit2Alpha(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw,
                             int dsth, const double* srcpoints, int div_w, int div_h, int mode);

// ---- Rectangles and pixels

void PIX_FillRect(PIX_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha,
                  int mode);
// Every pixel becomes (pixel & mask) | orbits.
void PIX_ClearRect(PIX_IBitmap* dest, int x, int y, int w, int h, unsigned int mask,
                   unsigned int orbits);
void PIX_Clear(PIX_IBitmap* dest, unsigned int color);
// Each channel c becomes c x scale + add, clamped to 0..255 (scales and adds
// in steps of 1/256; adds in channel units).
void PIX_MultiplyAddRect(PIX_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc,
                         float bsc, float asc, float radd, float gadd, float badd, float aadd);
void PIX_ProcessRect(PIX_IBitmap* dest, int x, int y, int w, int h,
                     void (*procfunc)(unsigned int* pixel, void* parm), void* parm);
// Start colour (channels 0..1) and per-pixel and per-row gradients.
void PIX_GradRect(PIX_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, float ir, float ig,
                  float ib, float ia, float drdx, float dgdx, float dbdx, float dadx, float drdy,
                  float dgdy, float dbdy, float dady, int mode);
// Pixels whose colour equals color become transparent, all others opaque.
void PIX_SetAlphaFromColorMask(PIX_IBitmap* dest, unsigned int color);
// Fills the run of matching pixels around column x in each row above and
// below (y, x) until column x stops matching. Memory rows.
void PIX_SimpleFill(PIX_IBitmap* dest, int x, int y, unsigned int newcolor,
                    unsigned int comparemask, unsigned int keepmask);
unsigned int PIX_GetPixel(PIX_IBitmap* bmp, int x, int y);
void PIX_PutPixel(PIX_IBitmap* bmp, int x, int y, unsigned int color, float alpha, int mode);

// ---- Blur, half-size copy, comparison

// dest and src may be the same bitmap.
void PIX_Blur(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
              int srcw, int srch);
void PIX_HalveBlitAA(PIX_IBitmap* dest, PIX_IBitmap* src);
// 0 when equal under mask. With coordsOut, the bounding box {x, y, w, h} of
// the differing pixels is stored and 1 returned when there are any.
int PIX_BitmapCmpEx(PIX_IBitmap* a, PIX_IBitmap* b, unsigned int mask, int* coordsOut);
int PIX_BitmapCmp(PIX_IBitmap* a, PIX_IBitmap* b, int* coordsOut);

// ---- Lines

// Both end points are drawn. aa matters for sloped and diagonal lines.
void PIX_Line(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int color, float alpha,
              int mode, bool aa);
void PIX_FLine(PIX_IBitmap* dest, float x1, float y1, float x2, float y2, unsigned int color,
               float alpha, int mode, bool aa);
// Horizontal and vertical lines only, pxon pixels drawn and pxoff skipped in
// turn; the last point is not drawn.
void PIX_DashedLine(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff,
                    unsigned int color, float alpha, int mode, bool aa);
// Clip a segment to [0, w) x [0, h) (or the given box) in place; true when a
// part remains.
bool ClipLine(int* x1, int* y1, int* x2, int* y2, int w, int h);
bool ClipFLine(float* x1, float* y1, float* x2, float* y2, int w, int h);
bool PIX_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi);
bool PIX_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi,
                   float yhi);

// ---- Bezier curves
//
// Curves are chains of PIX_FLine segments about tol pixels long (tol <= 0:
// 1). The parts left of column 0 and right of the bitmap are cut off by
// solving the curve for x. Points and coordinates that are not finite draw
// nothing.

void PIX_DrawQBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl, float yctl,
                     float xend, float yend, unsigned int color, float alpha, int mode, bool aa,
                     float tol);
void PIX_DrawCBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                     float xctl2, float yctl2, float xend, float yend, unsigned int color,
                     float alpha, int mode, bool aa, float tol);
// Fills between a cubic curve and row yfill (or column xfill), column by
// column (row by row), without anti-aliasing.
void PIX_FillCBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                     float xctl2, float yctl2, float xend, float yend, int yfill,
                     unsigned int color, float alpha, int mode, float tol);
void PIX_FillCBezierX(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, int xfill,
                      unsigned int color, float alpha, int mode, float tol);
// Prepares a cubic for drawing: ordered by growing x (xbound) or y, the
// power-form coefficients x(t) = ax t^3 + bx t^2 + cx t + dx (y likewise),
// the visible end points and their parameters. Returns the segment count,
// 0 when there is nothing to draw.
int CBezPrep(PIX_IBitmap* dest, float x1, float y1, float xc1, float yc1, float xc2, float yc2,
             float x2, float y2, float tol, bool xbound, double* ax, double* bx, double* cx,
             double* dx, double* ay, double* by, double* cy, double* dy, float* xlo, float* xhi,
             float* ylo, float* yhi, double* tlo, double* thi);
// One chord of a fill: columns x1..x2 between the chord and row yfill
// (rows y1..y2 and column xfill).
void DoBezierFillSegment(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int yfill,
                         unsigned int color, float alpha, int mode);
void DoBezierFillSegmentX(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int xfill,
                          unsigned int color, float alpha, int mode);
// y of a quadratic curve at x and its parameter (t may be null). Meant for
// x growing from x1 to x2; for any other curve the result is still a point
// of the curve (at the turning point when x lies beyond it).
template <class T>
T PIX_Bezier_GetY(T x1, T xc, T x2, T y1, T yc, T y2, T x, double* t);
// y of a cubic curve at x by an 8-step bisection, with the x reached at the
// end of the final bracket (nextx), the slope there (dydx) and the bracket's
// parameters; every out-pointer may be null. Meant for x growing along the
// curve; otherwise it finds one crossing.
template <class T>
T PIX_CBezier_GetY(T x1, T xc1, T xc2, T x2, T y1, T yc1, T yc2, T y2, T x, T* nextx, T* dydx,
                   double* tlo, double* thi);

// ---- Outlines and solid fills (boundary pixels included)

// Outline of columns x..x+w and rows y..y+h.
void PIX_DrawRect(PIX_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha,
                  int mode);
void PIX_BorderedRect(PIX_IBitmap* dest, int x, int y, int w, int h, unsigned int bgcolor,
                      unsigned int fgcolor, float alpha, int mode);
void PIX_FillTrapezoid(PIX_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2,
                       unsigned int color, float alpha, int mode);
void PIX_FillConvexPolygon(PIX_IBitmap* dest, const int* x, const int* y, int npoints,
                           unsigned int color, float alpha, int mode);
void PIX_FillTriangle(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                      unsigned int color, float alpha, int mode);
// The polygon fill's pieces: qsort order of {x, y} vertex records (by y, then
// x), and the next vertex of the left (dir < 0) or right chain below vertex
// wh of n sorted records (wh itself when the chain ends).
int _ysort(const void* a, const void* b);
int FindNextEdgeVertex(int* xy, int wh, int n, int dir);

// ---- Coverage maps

// 8-bit coverage (0 none, 255 full), rows glyph_span bytes apart (negative:
// stored bottom-up from the given lowest address).
void PIX_DrawGlyphEx(PIX_IBitmap* dest, int x, int y, PIX_ARGB32 color,
                     const unsigned char* alphas, int glyph_w, int glyph_span, int glyph_h,
                     float alpha, int mode);
void PIX_DrawGlyph(PIX_IBitmap* dest, int x, int y, PIX_ARGB32 color, const unsigned char* alphas,
                   int glyph_w, int glyph_h, float alpha, int mode);
// 1-bit coverage, leftmost pixel in the most significant bit.
void PIX_DrawMonoGlyph(PIX_IBitmap* dest, int x, int y, PIX_ARGB32 color,
                       const unsigned char* alphas, int glyph_w, int glyph_span, int glyph_h,
                       float alpha, int mode);

// ---- Circles, arcs, rounded rectangles

// Angles in radians, 0 at 12 o'clock, growing clockwise as presented.
void PIX_Circle(PIX_IBitmap* bmp, float cx, float cy, float r, PIX_ARGB32 color, float alpha,
                int mode, bool aa);
void PIX_FillCircle(PIX_IBitmap* bmp, float cx, float cy, float r, PIX_ARGB32 color, float alpha,
                    int mode, bool aa);
void PIX_Arc(PIX_IBitmap* bmp, float cx, float cy, float r, float minAngle, float maxAngle,
             PIX_ARGB32 color, float alpha, int mode, bool aa);
void PIX_RoundRect(PIX_IBitmap* bmp, float x, float y, float w, float h, int cornerradius,
                   PIX_ARGB32 color, float alpha, int mode, bool aa);
// The shared rasteriser: memory rows (no flip), integer weight ia, clip box
// {left, top, right, bottom}; doclip false promises the shape lies inside.
void __DrawCircleClipped(PIX_IBitmap* bmp, float cx, float cy, float r, PIX_ARGB32 color, int ia,
                         bool aa, bool filled, int mode, const int* clip, bool doclip);
