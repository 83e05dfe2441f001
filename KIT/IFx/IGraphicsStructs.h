#pragma once

// Geometry, colour, text style, blend, image and mouse types of the editor
// surface and its controls.

#include <stdint.h>

class PIX_IBitmap;
class PIX_IFont;
struct IBitmap;

// Right and bottom edges are exclusive; all four 0 is the empty rectangle.
struct IRECT {
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
  // The size of one frame of the image, at (x, y).
  IRECT(int x, int y, const IBitmap* bitmap);

  int W() const { return R - L; }
  int H() const { return B - T; }
  float MW() const { return 0.5f * float(L + R); }
  float MH() const { return 0.5f * float(T + B); }
  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  void Clear() { L = T = R = B = 0; }
  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }

  // Whether the two meet; the right and bottom edges count as touching.
  bool Intersects(const IRECT& o) const {
    return !Empty() && !o.Empty() && L < o.R && R >= o.L && T < o.B && B >= o.T;
  }
  // The union; an empty rectangle adds nothing.
  IRECT Union(const IRECT& o) const;
  // The common part when the two meet, else the empty rectangle.
  IRECT Intersect(const IRECT& o) const;
  // L <= x < R and T <= y < B.
  bool Contains(int x, int y) const { return x >= L && x < R && y >= T && y < B; }
  IRECT Offset(int dx, int dy) const { return IRECT(L + dx, T + dy, R + dx, B + dy); }
};

// Each channel 0..255.
struct IColor {
  int A = 255, R = 0, G = 0, B = 0;

  IColor() = default;
  IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const IColor& o) const { return !(*this == o); }
  // The raster pixel: A << 24 | R << 16 | G << 8 | B.
  uint32_t Packed() const {
    return uint32_t(A & 255) << 24 | uint32_t(R & 255) << 16 | uint32_t(G & 255) << 8 |
           uint32_t(B & 255);
  }
  static IColor FromPacked(uint32_t p) {
    return IColor(int(p >> 24), int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255));
  }
};

inline const IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline const IColor COLOR_BLACK(255, 0, 0, 0);
inline const IColor COLOR_GRAY(255, 127, 127, 127);
inline const IColor COLOR_WHITE(255, 255, 255, 255);
inline const IColor COLOR_RED(255, 255, 0, 0);
inline const IColor COLOR_GREEN(255, 0, 255, 0);
inline const IColor COLOR_BLUE(255, 0, 0, 255);
inline const IColor COLOR_YELLOW(255, 255, 255, 0);
inline const IColor COLOR_ORANGE(255, 255, 127, 0);

inline const IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
inline const IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
inline const IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

// How a control's images and shapes combine with what lies below.
struct IChannelBlend {
  enum EBlendMethod { kBlendAlpha = 0, kBlendCopy = 1, kBlendAdd = 2, kBlendColorDodge = 3 };
  EBlendMethod mMethod;
  float mWeight;
  explicit IChannelBlend(EBlendMethod method = kBlendAlpha, float weight = 1.0f)
      : mMethod(method), mWeight(weight) {}
};

// A text style. The cached font is filled in by the editor on first use and
// belongs to the process-wide font cache.
struct IText {
  static const int kFontNameLen = 32;  // terminator included
  enum EStyle { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
  enum EAlign { kAlignNear = 0, kAlignCenter = 1, kAlignFar = 2 };
  enum EQuality {
    kQualityDefault = 0,
    kQualityNonAntiAliased = 1,
    kQualityAntiAliased = 2,
    kQualityClearType = 3
  };

  char mFont[kFontNameLen];
  int mSize;
  IColor mColor;
  IColor mTextEntryBGColor;
  IColor mTextEntryFGColor;
  int mStyle;
  int mAlign;
  int mOrientation;  // degrees
  int mQuality;
  PIX_IFont* mCached = nullptr;

  // A null font is "Monaco"; null colours are the defaults. Longer font names
  // are cut to 31 characters.
  explicit IText(int size = 10, const IColor* color = nullptr, const char* font = nullptr,
                 int style = kStyleNormal, int align = kAlignCenter, int orientation = 0,
                 int quality = kQualityDefault, const IColor* textEntryBG = nullptr,
                 const IColor* textEntryFG = nullptr);
  IText(const IColor* color, int size = 10);
  void SetFont(const char* font);
};

enum EDirection { kVertical = 0, kHorizontal = 1 };
enum EFileAction { kFileOpen = 0, kFileSave = 1 };

// An image of N equal frames, stacked downwards or side by side. The raster
// bitmap belongs to the process-wide image cache. An image that could not be
// loaded has no raster bitmap and one pixel per frame, so sizes taken from it
// never reach zero.
struct IBitmap {
  PIX_IBitmap* mData = nullptr;
  int W = 0, H = 0, N = 1;
  bool mFramesAreHorizontal = false;

  IBitmap() = default;
  IBitmap(PIX_IBitmap* data, int w, int h, int n = 1, bool horizontal = false)
      : mData(data), W(w), H(h), N(n), mFramesAreHorizontal(horizontal) {}
  // N below 1 counts as one frame.
  int NFrames() const { return N < 1 ? 1 : N; }
  int FrameWidth() const { return mFramesAreHorizontal ? W / NFrames() : W; }
  int FrameHeight() const { return mFramesAreHorizontal ? H : H / NFrames(); }
};

// Buttons and modifier keys of a mouse event. A Control-click counts as a
// right click (R set).
struct IMouseMod {
  bool L, R, S, C, A;
  IMouseMod(bool l = false, bool r = false, bool s = false, bool c = false, bool a = false)
      : L(l), R(r), S(s), C(c), A(a) {}
};
