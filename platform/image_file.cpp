#include "image_file.h"

#include <limits.h>
#include <stdio.h>

#include <new>
#include <vector>

#include "pix_bitmap.h"
#include "pix_png.h"

namespace plat {

namespace {

// Images wider or taller than this are refused: none of ours comes near it,
// and it keeps a hostile header from asking for gigabytes.
constexpr int kMaxSide = 16384;

// A Bitmap seen by the raster library's PNG loader, which then decodes
// straight into the bitmap's own pixels (rows of exactly its width).
class LoadTarget : public PIX_IBitmap {
public:
  explicit LoadTarget(Bitmap* bm) : m_bm(bm) {}
  unsigned int* getBits() override { return m_bm->width() > 0 ? m_bm->bits() : nullptr; }
  int getWidth() override { return m_bm->width(); }
  int getHeight() override { return m_bm->height(); }
  int getRowSpan() override { return m_bm->rowSpan(); }
  // A size past the limit, or one that cannot be had, leaves the size as it
  // was; the loader then sees the mismatch and fails.
  bool resize(int w, int h) override {
    if (w == m_bm->width() && h == m_bm->height()) return false;
    if (w > kMaxSide || h > kMaxSide) return false;
    try {
      m_bm->resize(w, h);
    } catch (const std::bad_alloc&) {
      m_bm->resize(0, 0);
    }
    return true;
  }

private:
  Bitmap* m_bm;
};

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
  if (!data || size > size_t(INT_MAX)) return false;
  Bitmap bm;
  LoadTarget target(&bm);
  if (!PIX_LoadPNGFromMemory(data, int(size), &target)) return false;
  *out = std::move(bm);
  return true;
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
