#pragma once

// Pixel format, mode word and weight conversion of the raster library.

#include <stdint.h>

#include <initializer_list>

// RECT and HDC are shared with the windowing layer; its scalar header needs
// nothing of the layer's code.
#include "../shim/shim-types.h"

// 0xAARRGGBB, stored in memory as the bytes B, G, R, A; not premultiplied.
typedef unsigned int PIX_ARGB32;

#define PIX_OP_MASK 0xff
#define PIX_OP_COPY 0
#define PIX_OP_ADD 1
#define PIX_OP_DODGE 2
#define PIX_OP_MUL 3
#define PIX_OP_OVERLAY 4
#define PIX_OP_HSVADJ 5
#define PIX_CHANNEL_COPY 0xf0
#define PIX_FILTER_MASK 0xff00
#define PIX_FILTER_BILINEAR 0x100
#define PIX_USE_SOURCE_ALPHA 0x10000

#define PIX_GETR(c) (((c) >> 16) & 255)
#define PIX_GETG(c) (((c) >> 8) & 255)
#define PIX_GETB(c) ((c)&255)
#define PIX_GETA(c) (((c) >> 24) & 255)

// Weights beyond 256 times full strength are held there: they only
// extrapolate further, and holding them keeps every operator's products
// inside 64-bit arithmetic.
#define PIX_WEIGHT_LIMIT 65536

// The caller's alpha as an integer weight: alpha x 256 truncated toward zero,
// 256 being full strength. Blits and fills multiply in double precision,
// pixels, lines, glyphs and circles in single precision. NaN gives 0.
int PIX_WeightD(float alpha);
int PIX_WeightF(float alpha);

// A float or double truncated toward zero into int, saturating at the ends of
// the range (NaN gives 0): coordinates from callers may be anything.
int PIX_TruncToInt(double v);
// A 64-bit value held inside the int range.
int PIX_SatInt(int64_t v);
// True when every value is a number and finite: coordinates and steps from
// callers are checked before any arithmetic builds on them.
bool PIX_AllFinite(std::initializer_list<double> vs);
// A double rounded to float, held inside the finite float range (NaN stays
// NaN).
float PIX_HoldFloat(double v);
