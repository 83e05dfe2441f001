#include "image_file.h"

#include <png.h>
#include <stdio.h>
#include <string.h>

#include <vector>

namespace plat {

namespace {

struct Reader {
  const uint8_t* p;
  size_t size, pos;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t n) {
  Reader* r = static_cast<Reader*>(png_get_io_ptr(png));
  if (r->pos + n > r->size) png_error(png, "short data");
  memcpy(out, r->p + r->pos, n);
  r->pos += n;
}

uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }

// A DIB as stored in icon files: the height counts the colour rows and the
// mask rows together.
bool loadDib(const uint8_t* d, size_t size, Bitmap* out) {
  if (size < 40) return false;
  uint32_t hdr = le32(d);
  int w = int(le32(d + 4)), h2 = int(le32(d + 8));
  int bpp = int(le16(d + 14));
  uint32_t compression = le32(d + 16), used = le32(d + 32);
  if (hdr < 40 || hdr > size || w <= 0 || w > 1024 || h2 <= 0 || h2 > 2048 || compression != 0)
    return false;
  int h = h2 / 2;
  if (h <= 0) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
  size_t colors = bpp <= 8 ? (used ? used : 1u << bpp) : 0;
  if (colors > 256) return false;
  size_t palette = hdr, bits = palette + colors * 4;
  size_t stride = ((size_t(w) * size_t(bpp) + 31) / 32) * 4;
  size_t maskStride = ((size_t(w) + 31) / 32) * 4;
  size_t maskAt = bits + stride * size_t(h);
  if (maskAt > size) return false;
  bool haveMask = maskAt + maskStride * size_t(h) <= size;
  Bitmap bm(w, h);
  bool anyAlpha = false;
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = d + bits + stride * size_t(h - 1 - y);
    uint32_t* dst = bm.row(y);
    for (int x = 0; x < w; ++x) {
      uint32_t px;
      if (bpp == 32) {
        px = uint32_t(row[x * 4 + 3]) << 24 | uint32_t(row[x * 4 + 2]) << 16 |
             uint32_t(row[x * 4 + 1]) << 8 | row[x * 4];
        if (px >> 24) anyAlpha = true;
      } else if (bpp == 24) {
        px = 0xFF000000u | uint32_t(row[x * 3 + 2]) << 16 | uint32_t(row[x * 3 + 1]) << 8 | row[x * 3];
      } else {
        int idx = bpp == 8 ? row[x] : bpp == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15
                                               : (row[x / 8] >> (7 - x % 8)) & 1;
        if (size_t(idx) >= colors) idx = 0;
        const uint8_t* c = d + palette + size_t(idx) * 4;
        px = 0xFF000000u | uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0];
      }
      dst[x] = px;
    }
  }
  // Without alpha of its own the mask says which pixels show.
  if (!(bpp == 32 && anyAlpha) && haveMask) {
    for (int y = 0; y < h; ++y) {
      const uint8_t* m = d + maskAt + maskStride * size_t(h - 1 - y);
      uint32_t* dst = bm.row(y);
      for (int x = 0; x < w; ++x)
        if ((m[x / 8] >> (7 - x % 8)) & 1) dst[x] = 0;
        else dst[x] |= 0xFF000000u;
    }
  } else if (bpp == 32 && !anyAlpha) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) bm.row(y)[x] |= 0xFF000000u;
  }
  *out = std::move(bm);
  return true;
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>* out) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
    out->insert(out->end(), buf, buf + n);
    if (out->size() > (64u << 20)) break;  // no image of ours is that large
  }
  bool ok = !ferror(f) && out->size() <= (64u << 20);
  fclose(f);
  return ok;
}

}  // namespace

bool loadPNGData(const uint8_t* data, size_t size, Bitmap* out) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  Reader r{data, size, 0};
  Bitmap bm;
  volatile bool ok = false;
  if (png && info && !setjmp(png_jmpbuf(png))) {
    png_set_read_fn(png, &r, readFromMemory);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (w > 0 && h > 0 && w <= 16384 && h <= 16384) {
      png_set_expand(png);
      png_set_strip_16(png);
      png_set_gray_to_rgb(png);
      png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
      png_read_update_info(png, info);
      bm.resize(int(w), int(h));
      std::vector<unsigned char> line(size_t(w) * 4);
      for (png_uint_32 y = 0; y < h; ++y) {
        png_read_row(png, line.data(), nullptr);
        uint32_t* dst = bm.row(int(y));
        for (png_uint_32 x = 0; x < w; ++x)
          dst[x] = uint32_t(line[x * 4 + 3]) << 24 | uint32_t(line[x * 4]) << 16 |
                   uint32_t(line[x * 4 + 1]) << 8 | line[x * 4 + 2];
      }
      ok = true;
    }
  }
  if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  if (ok) *out = std::move(bm);
  return ok;
}

bool loadIconData(const uint8_t* d, size_t size, Bitmap* out, int* hotX, int* hotY) {
  if (!d || size < 22) return false;
  uint32_t type = le16(d + 2), count = le16(d + 4);
  if (le16(d) != 0 || (type != 1 && type != 2) || count == 0) return false;
  const uint8_t* e = d + 6;  // the first image
  uint32_t bytes = le32(e + 8), offset = le32(e + 12);
  if (offset >= size || bytes > size - offset) return false;
  const uint8_t* img = d + offset;
  bool ok = loadPNGData(img, bytes, out) || loadDib(img, bytes, out);
  if (ok && type == 2) {
    if (hotX) *hotX = int(le16(e + 4));
    if (hotY) *hotY = int(le16(e + 6));
  }
  return ok;
}

bool loadImageFile(const std::string& path, Bitmap* out) {
  std::vector<uint8_t> bytes;
  if (!readWholeFile(path, &bytes) || bytes.empty()) return false;
  return loadPNGData(bytes.data(), bytes.size(), out) || loadIconData(bytes.data(), bytes.size(), out);
}

}  // namespace plat
