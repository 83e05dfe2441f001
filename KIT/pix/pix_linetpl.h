#pragma once

// Per-operator line routines. Pointers are to pixels; steps are in pixels
// (a row step is the row span, possibly negative). Every routine combines the
// colour's four bytes with the operator at the given weight.

#include <stddef.h>

#include "pix_bitmap.h"
#include "pix_ops.h"

struct PIX_LineColor {
  int r, g, b, a;
  explicit PIX_LineColor(unsigned int c)
      : r(PIX_GETR(c)), g(PIX_GETG(c)), b(PIX_GETB(c)), a(PIX_GETA(c)) {}
};

template <class OP>
struct __PIX_LineClassSimple {
  static inline void put(unsigned int* p, const PIX_LineColor& c, int w) {
    OP::doPix((unsigned char*)p, c.r, c.g, c.b, c.a, w);
  }
  static void PIX_HorizLine(unsigned int* p, int n, const PIX_LineColor& c, int w) {
    for (int i = 0; i < n; ++i) put(p + i, c, w);
  }
  static void PIX_VertLine(unsigned int* p, ptrdiff_t span, int n, const PIX_LineColor& c, int w) {
    for (int i = 0; i < n; ++i, p += span) put(p, c, w);
  }
  // n + 1 pixels.
  static void PIX_DiagLine(unsigned int* p, ptrdiff_t span, int n, int xstep, ptrdiff_t ystep,
                           const PIX_LineColor& c, int w) {
    (void)span;
    for (int i = 0; i <= n; ++i, p += xstep + ystep) put(p, c, w);
  }
  // Diagonal pixels at 3/4 weight, their two side neighbours at 1/4.
  static void PIX_DiagLineAA(unsigned int* p, ptrdiff_t span, int n, int xstep, ptrdiff_t ystep,
                             const PIX_LineColor& c, int w) {
    (void)span;
    const int wd = 3 * w / 4, ws = w / 4;
    for (int i = 0;; ++i) {
      put(p, c, wd);
      if (i >= n) break;
      put(p + xstep, c, ws);
      put(p + ystep, c, ws);
      p += xstep + ystep;
    }
  }
};

template <class OP>
struct __PIX_LineClass {
  static inline void put(unsigned int* p, const PIX_LineColor& c, int w) {
    OP::doPix((unsigned char*)p, c.r, c.g, c.b, c.a, w);
  }
  static inline void coverage(int f, int ia, int* a1, int* a2) {
    if (ia == 256) {
      *a1 = 255 - f;
      *a2 = f;
    } else {
      *a1 = ((255 - f) * ia) >> 8;
      *a2 = (f * ia) >> 8;
    }
  }

  // Steps from both ends at once in 16.16; n is the major length, slope the
  // minor advance per major step (0..65536).
  static void PIX_LineImpl(unsigned int* p, unsigned int* q, int slope, ptrdiff_t major, int n,
                           ptrdiff_t minor, const PIX_LineColor& c, int ia, bool aa) {
    const int half = (n + 1) / 2;
    if (!aa) {
      int e = 0;
      for (int i = 0; i < half; ++i) {
        put(p, c, ia);
        put(q, c, ia);
        e += slope;
        if (e >= 32768) {
          p += minor;
          q -= minor;
          e -= 65536;
        }
        p += major;
        q -= major;
      }
      if (!(n & 1)) put(p, c, ia);
      return;
    }
    put(p, c, ia);
    put(q, c, ia);
    p += major;
    q -= major;
    int e = slope;
    int a1, a2;
    for (int i = 0; i < half - 1; ++i) {
      coverage(e >> 8, ia, &a1, &a2);
      put(p, c, a1);
      put(q, c, a1);
      put(p + minor, c, a2);
      put(q - minor, c, a2);
      e += slope;
      if (e >= 65536) {
        e -= 65536;
        p += minor;
        q -= minor;
      }
      p += major;
      q -= major;
    }
    if (!(n & 1)) {
      coverage(e >> 8, ia, &a1, &a2);
      put(p, c, a1);
      put(p + minor, c, a2);
    }
  }

  // n + 1 columns of two-pixel coverage from a 16-bit start fraction.
  static void PIX_FLineImpl(unsigned int* p, int n, int fr, int slope, ptrdiff_t major,
                            ptrdiff_t minor, const PIX_LineColor& c, int ia) {
    int a1, a2;
    for (int i = 0; i <= n; ++i) {
      coverage(fr >> 8, ia, &a1, &a2);
      put(p, c, a1);
      put(p + minor, c, a2);
      fr += slope;
      if (fr >= 65536) {
        fr -= 65536;
        p += minor;
      }
      p += major;
    }
  }

  // Horizontal or vertical dashes on [x1, x2) or [y1, y2) (x1 <= x2,
  // y1 <= y2, memory rows): pxon pixels drawn, pxoff skipped. A period of
  // zero or less draws nothing.
  static void DashedLine(const PIX_Surface& s, int x1, int y1, int x2, int y2, int pxon,
                         int pxoff, const PIX_LineColor& c, int w) {
    if (x1 != x2 && y1 != y2) return;
    const long long period = (long long)pxon + pxoff;
    if (period <= 0) return;
    const bool horiz = x1 != x2;
    const long long from = horiz ? x1 : y1, to = horiz ? x2 : y2;
    unsigned int* p0 = s.at(x1, y1);
    const ptrdiff_t step = horiz ? 1 : s.span / 4;
    auto dash = [&](long long at, long long n) {
      unsigned int* p = p0 + (at - from) * step;
      for (long long i = 0; i < n; ++i, p += step) put(p, c, w);
    };
    long long at = from;
    for (; at < to - pxon; at += period)
      if (pxon > 0) dash(at, pxon);
    const long long rest = to - at < pxon ? to - at : pxon;
    if (rest >= 1) dash(at, rest);
  }
};
