#pragma once

// PNG images into 32-bit bitmaps (every pixel with its alpha: 255 where the
// image has none). Each load returns the bitmap, or null on any failure:
// unreadable or corrupt files, sizes a bitmap cannot hold, a failed
// allocation. Without a bitmap given, a new PIX_MemBitmap (line alignment 4)
// is made and owned by the caller; a given bitmap is resized to the image
// and returned (after a failure it may hold part of the image).

class PIX_IBitmap;

PIX_IBitmap* PIX_LoadPNG(const char* filename, PIX_IBitmap* bmp);
// Image row 0 goes to memory row 0 whatever the bitmap's orientation.
PIX_IBitmap* PIX_LoadPNGFromMemory(const void* data, int len, PIX_IBitmap* bmp);
// Loads `name` from the program's resource folder; names longer than 400
// characters are refused.
PIX_IBitmap* PIX_LoadPNGFromNamedResource(const char* name, PIX_IBitmap* bmp);
// There are no module resources here: always null.
PIX_IBitmap* PIX_LoadPNGFromResource(void* hInst, const char* resid, PIX_IBitmap* bmp);

// The resource folder, ending in '/'. By default the folder "resources" beside
// the running program; the host may set another (null restores the default).
void PIX_SetResourceDir(const char* dir);
const char* PIX_GetResourceDir();

// List of image loaders, pushed at the front by each loader's static
// initialiser.
struct PIX_ImageLoader {
  PIX_IBitmap* (*loadfunc)(const char* filename, bool checkFileName, PIX_IBitmap* bmp);
  const char* (*get_extlist)();
  PIX_ImageLoader* next;
};
extern PIX_ImageLoader* PIX_ImageLoader_list;

class PIX_PNGLoader {
 public:
  // With checkFileName, only names ending in ".png" (any case) are loaded.
  static PIX_IBitmap* loadfunc(const char* filename, bool checkFileName, PIX_IBitmap* bmp);
  // "PNG files (*.PNG)\0*.PNG\0\0"
  static const char* get_extlist();
};
extern PIX_ImageLoader PIX_pngldr;
