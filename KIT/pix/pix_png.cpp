// PNG decoding through libpng.

#include "pix_png.h"

#include <limits.h>
#include <png.h>
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <new>
#include <string>

#include "pix_bitmap.h"

namespace {

// In-memory read position.
struct MemSource {
  const unsigned char* p;
  int remaining;
};

// Everything a decode touches after the error return is armed lives here,
// outside the frame that calls setjmp, so its values survive the jump and
// the caller can release all of it on every path.
struct Decode {
  PIX_IBitmap* given;
  PIX_IBitmap* made;     // a bitmap the loader created
  PIX_IBitmap* target;
  unsigned char** rows;  // row table
  bool honourFlip;
};

void staticPngReadFunc(png_structp png, png_bytep out, size_t n) {
  MemSource* src = (MemSource*)png_get_io_ptr(png);
  memset(out, 0, n);
  const size_t avail = src->remaining > 0 ? (size_t)src->remaining : 0;
  const size_t take = n < avail ? n : avail;
  memcpy(out, src->p, take);
  src->p += take;
  src->remaining -= (int)take;
}

// Runs the decode proper; libpng errors come back here. No object with a
// destructor lives in this frame.
bool runDecode(png_structp png, png_infop info, Decode* job) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, type = 0, interlace = 0, compression = 0, filter = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &type, &interlace, &compression, &filter);

  // Refuse sizes a bitmap cannot hold before anything is allocated.
  const unsigned long long limit = (unsigned long long)PIX_MAX_BITMAP_BYTES;
  const unsigned long long rowbytes = (((unsigned long long)width + 3) & ~3ULL) * 4;
  if (width < 1 || height < 1 || rowbytes > limit || height > limit / rowbytes) return false;

  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(png);
    type |= PNG_COLOR_MASK_ALPHA;
  }
  if (depth == 16) png_set_strip_16(png);
  if (depth < 8) png_set_packing(png);
  if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (type & PNG_COLOR_MASK_ALPHA) png_set_swap_alpha(png);
  else png_set_filler(png, 255, PNG_FILLER_BEFORE);

  const int w = (int)width, h = (int)height;
  if (job->given) {
    job->given->resize(w, h);
    job->target = job->given;
  } else {
    job->made = new (std::nothrow) PIX_MemBitmap(w, h, 4);
    job->target = job->made;
    if (!job->made) return false;
  }
  PIX_IBitmap* t = job->target;
  unsigned char* bits = (unsigned char*)t->getBits();
  if (t->getWidth() != w || t->getHeight() != h || !bits) return false;

  job->rows = (unsigned char**)malloc(sizeof(unsigned char*) * (size_t)h);
  if (!job->rows) return false;
  const ptrdiff_t span = (ptrdiff_t)t->getRowSpan() * 4;
  const bool up = job->honourFlip && t->isFlipped();
  for (int i = 0; i < h; ++i) job->rows[i] = bits + (up ? (ptrdiff_t)(h - 1 - i) : i) * span;
  png_read_image(png, job->rows);
  return true;
}

// Rows hold A, R, G, B bytes: make each pixel the word 0xAARRGGBB.
void toWords(Decode* job) {
  const int w = job->target->getWidth(), h = job->target->getHeight();
  for (int i = 0; i < h; ++i) {
    unsigned char* p = job->rows[i];
    for (int x = 0; x < w; ++x, p += 4) {
      const unsigned int v = ((unsigned int)p[0] << 24) | ((unsigned int)p[1] << 16) |
                             ((unsigned int)p[2] << 8) | p[3];
      memcpy(p, &v, 4);
    }
  }
}

// Sets up libpng around one decode and releases everything on every path.
PIX_IBitmap* decode(PIX_IBitmap* bmp, FILE* file, MemSource* mem) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, 0, 0, 0);
  if (!png) return 0;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, 0, 0);
    return 0;
  }
  if (file) png_init_io(png, file);
  else png_set_read_fn(png, mem, staticPngReadFunc);

  Decode job = {bmp, 0, 0, 0, file != 0};
  const bool ok = runDecode(png, info, &job);
  png_destroy_read_struct(&png, &info, 0);
  if (ok) toWords(&job);
  free(job.rows);
  if (!ok) {
    delete job.made;
    return 0;
  }
  return job.target;
}

std::string& resourceDir() {
  static std::string dir;
  return dir;
}

std::string defaultResourceDir() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "resources/";
  std::string path(buf, (size_t)n);
  const size_t slash = path.rfind('/');
  return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/resources/";
}

const char kExtList[] = "PNG files (*.PNG)\0*.PNG\0";

}  // namespace

PIX_IBitmap* PIX_LoadPNG(const char* filename, PIX_IBitmap* bmp) {
  if (!filename) return 0;
  FILE* f = fopen(filename, "rb");
  if (!f) return 0;
  PIX_IBitmap* result = decode(bmp, f, 0);
  fclose(f);
  return result;
}

PIX_IBitmap* PIX_LoadPNGFromMemory(const void* data, int len, PIX_IBitmap* bmp) {
  if (!data || len < 8 || png_sig_cmp((png_const_bytep)data, 0, 8)) return 0;
  MemSource src = {(const unsigned char*)data, len};
  return decode(bmp, 0, &src);
}

void PIX_SetResourceDir(const char* dir) {
  if (!dir) {
    resourceDir().clear();
    return;
  }
  resourceDir() = dir;
  if (resourceDir().empty() || resourceDir().back() != '/') resourceDir() += '/';
}

const char* PIX_GetResourceDir() {
  if (resourceDir().empty()) resourceDir() = defaultResourceDir();
  return resourceDir().c_str();
}

PIX_IBitmap* PIX_LoadPNGFromNamedResource(const char* name, PIX_IBitmap* bmp) {
  if (!name || strlen(name) > 400) return 0;
  const std::string path = std::string(PIX_GetResourceDir()) + name;
  return PIX_LoadPNG(path.c_str(), bmp);
}

PIX_IBitmap* PIX_LoadPNGFromResource(void* hInst, const char* resid, PIX_IBitmap* bmp) {
  (void)hInst;
  (void)resid;
  (void)bmp;
  return 0;
}

PIX_IBitmap* PIX_PNGLoader::loadfunc(const char* filename, bool checkFileName, PIX_IBitmap* bmp) {
  if (!filename) return 0;
  if (checkFileName) {
    const char* tail = 0;
    for (const char* p = filename + strlen(filename); p > filename;) {
      --p;
      if (*p == '.' || *p == '/' || *p == '\\') {
        tail = p;
        break;
      }
    }
    if (!tail || strcasecmp(tail, ".png") != 0) return 0;
  }
  return PIX_LoadPNG(filename, bmp);
}

const char* PIX_PNGLoader::get_extlist() { return kExtList; }

PIX_ImageLoader* PIX_ImageLoader_list = 0;
PIX_ImageLoader PIX_pngldr = {0, 0, 0};

namespace {

struct RegisterPng {
  RegisterPng() {
    PIX_pngldr.loadfunc = PIX_PNGLoader::loadfunc;
    PIX_pngldr.get_extlist = PIX_PNGLoader::get_extlist;
    PIX_pngldr.next = PIX_ImageLoader_list;
    PIX_ImageLoader_list = &PIX_pngldr;
  }
};
RegisterPng g_registerPng;

}  // namespace
