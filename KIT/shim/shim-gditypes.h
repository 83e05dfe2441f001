#pragma once

// Records and constants of the drawing interface, shared by the windowing
// layer and the raster library's fonts (which cannot link the layer and
// reach it through installed functions).

#include "shim-types.h"

// Text metrics: the first five fields are the ones the layer fills.
typedef struct TEXTMETRIC {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  char tmFirstChar, tmLastChar, tmDefaultChar, tmBreakChar;
  BYTE tmItalic, tmUnderlined, tmStruckOut, tmPitchAndFamily, tmCharSet;
} TEXTMETRIC, *LPTEXTMETRIC;

#define LF_FACESIZE 32
typedef struct LOGFONT {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  char lfFaceName[LF_FACESIZE];
} LOGFONT, *LPLOGFONT;

// An image object's size as GetObject reports it.
typedef struct BITMAP {
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
} BITMAP;

typedef struct ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
} ICONINFO;

// Text layout flags of SHIM_DrawText.
#define DT_TOP 0x0
#define DT_LEFT 0x0
#define DT_CENTER 0x1
#define DT_RIGHT 0x2
#define DT_VCENTER 0x4
#define DT_BOTTOM 0x8
#define DT_SINGLELINE 0x20
#define DT_NOCLIP 0x100
#define DT_CALCRECT 0x400
#define DT_NOPREFIX 0x800

// Background modes of SetBkMode in this layer: 1 fills the text's box with
// the background colour before drawing; any other value draws no background.
#define SHIM_BKMODE_OPAQUE 1
#define SHIM_BKMODE_TRANSPARENT 0

// Font weights and qualities CreateFont looks at.
#define FW_NORMAL 400
#define FW_BOLD 700
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4

// Pseudo-handles: selecting one empties the pen, brush or font slot.
#define SHIM_NO_PEN ((HGDIOBJ)(intptr_t)1)
#define SHIM_NO_BRUSH ((HGDIOBJ)(intptr_t)2)
#define SHIM_NO_FONT ((HGDIOBJ)(intptr_t)3)

// GetStockObject indices of the layer: a pen and a brush that draw nothing.
#define SHIM_STOCK_NULL_PEN 1
#define SHIM_STOCK_NULL_BRUSH 2

// The alpha-using mode of BitBlt and StretchBlt.
#define SHIM_BLT_ALPHA ((int)0xDEADBEEF)
