// PNG loading: every colour type, bit depth, transparency and interlace
// against the fixtures' expected pixels; targets given, made and flipped;
// corrupt, truncated and oversized files refused; the loader list.

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "alloc_hook.h"
#include "pix_test_util.h"

namespace {

namespace fs = std::filesystem;
typedef std::vector<unsigned char> Bytes;

const std::string kDir = HB_TEST_DATA_DIR "/png/";

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Image expectedPixels(const std::string& name) {
  const Bytes b = readFile(kDir + name + ".argb");
  Image img;
  if (b.size() < 8) return img;
  uint32_t w, h;
  memcpy(&w, b.data(), 4);
  memcpy(&h, b.data() + 4, 4);
  img = Image((int)w, (int)h);
  if (b.size() != 8 + (size_t)w * h * 4) return Image();
  memcpy(img.px.data(), b.data() + 8, (size_t)w * h * 4);
  return img;
}

std::vector<std::string> fixtureNames() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(kDir))
    if (e.path().extension() == ".png") names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A scratch folder for files made by the tests.
struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() / ("hb_pix_png_" + std::to_string(getpid()));
    fs::create_directories(path);
  }
  ~TempDir() { fs::remove_all(path); }
  std::string write(const std::string& name, const Bytes& b) const {
    const std::string p = (path / name).string();
    std::ofstream(p, std::ios::binary).write((const char*)b.data(), (std::streamsize)b.size());
    return p;
  }
};

TEST(Png, EveryFixtureDecodesToItsExpectedPixels) {
  const auto names = fixtureNames();
  ASSERT_GE(names.size(), 30u);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const Image want = expectedPixels(name);
    ASSERT_GT(want.w, 0);
    // From the file, into a new bitmap.
    std::unique_ptr<PIX_IBitmap> made(PIX_LoadPNG((kDir + name + ".png").c_str(), nullptr));
    ASSERT_NE(made, nullptr);
    EXPECT_NE(dynamic_cast<PIX_MemBitmap*>(made.get()), nullptr);
    EXPECT_EQ(made->getRowSpan(), (want.w + 3) & ~3);
    EXPECT_EQ(firstDifference(readImage(made.get()), want), "");
    // From memory, into a given bitmap that is resized.
    const Bytes bytes = readFile(kDir + name + ".png");
    PIX_SysBitmap given(3, 100);
    EXPECT_EQ(PIX_LoadPNGFromMemory(bytes.data(), (int)bytes.size(), &given), &given);
    EXPECT_EQ(firstDifference(readImage(&given), want), "");
    // Into a flipped bitmap the file loader writes the picture upright.
    FlippedBitmap flipped(1, 1);
    EXPECT_EQ(PIX_LoadPNG((kDir + name + ".png").c_str(), &flipped), &flipped);
    EXPECT_EQ(firstDifference(readImage(&flipped), want), "");
  }
}

TEST(Png, MemoryLoaderWritesImageRowZeroToMemoryRowZero) {
  const Bytes bytes = readFile(kDir + "rgba8.png");
  const Image want = expectedPixels("rgba8");
  FlippedBitmap flipped(1, 1);
  ASSERT_EQ(PIX_LoadPNGFromMemory(bytes.data(), (int)bytes.size(), &flipped), &flipped);
  for (int y = 0; y < want.h; ++y)
    for (int x = 0; x < want.w; ++x)
      EXPECT_EQ(flipped.getBits()[y * flipped.getRowSpan() + x], want.at(x, y));
}

TEST(Png, FixedCasesOfTheFormat) {
  // 1-bit grey: opaque black and white only.
  std::unique_ptr<PIX_IBitmap> mono(PIX_LoadPNG((kDir + "grey1.png").c_str(), nullptr));
  ASSERT_NE(mono, nullptr);
  for (uint32_t p : readImage(mono.get()).px) EXPECT_TRUE(p == 0xFF000000 || p == 0xFFFFFFFF);
  // A palette without transparency is opaque everywhere.
  std::unique_ptr<PIX_IBitmap> pal(PIX_LoadPNG((kDir + "palette8.png").c_str(), nullptr));
  ASSERT_NE(pal, nullptr);
  for (uint32_t p : readImage(pal.get()).px) EXPECT_EQ(p >> 24, 255u);
  // With it, alpha comes from the chunk (entries past its end opaque).
  std::unique_ptr<PIX_IBitmap> trns(PIX_LoadPNG((kDir + "palette4_trns.png").c_str(), nullptr));
  ASSERT_NE(trns, nullptr);
  std::vector<uint32_t> alphas;
  for (uint32_t p : readImage(trns.get()).px) alphas.push_back(p >> 24);
  for (uint32_t a : {0u, 40u, 255u, 128u, 7u}) EXPECT_NE(std::find(alphas.begin(), alphas.end(), a), alphas.end()) << a;
}

Bytes withCrc(Bytes png, size_t chunkStart) {
  uint32_t len;
  memcpy(&len, &png[chunkStart], 4);
  len = __builtin_bswap32(len);
  const uint32_t crc = (uint32_t)crc32(0, &png[chunkStart + 4], len + 4);
  const uint32_t be = __builtin_bswap32(crc);
  memcpy(&png[chunkStart + 8 + len], &be, 4);
  return png;
}

// Offset of the first chunk of the given type.
size_t findChunk(const Bytes& png, const char* type) {
  size_t at = 8;
  while (at + 8 <= png.size()) {
    uint32_t len;
    memcpy(&len, &png[at], 4);
    len = __builtin_bswap32(len);
    if (memcmp(&png[at + 4], type, 4) == 0) return at;
    at += 12 + len;
  }
  return 0;
}

TEST(Png, TruncatedAndCorruptDataIsRefused) {
  for (const char* name : {"rgba8_interlaced", "palette4_trns", "grey16"}) {
    SCOPED_TRACE(name);
    const Bytes png = readFile(kDir + name + ".png");
    const Image want = expectedPixels(name);
    const size_t iend = findChunk(png, "IEND");
    ASSERT_GT(iend, 0u);
    for (size_t len = 0; len < png.size(); ++len) {
      std::unique_ptr<PIX_IBitmap> b(PIX_LoadPNGFromMemory(png.data(), (int)len, nullptr));
      if (len < iend) {
        EXPECT_EQ(b, nullptr) << len;
      } else if (b) {
        // Only the end marker is missing: the picture is whole.
        EXPECT_EQ(readImage(b.get()), want) << len;
      }
    }
    // Any flipped byte of the image header or data fails its check.
    const size_t ihdr = 8, idat = findChunk(png, "IDAT");
    for (size_t at = ihdr; at < iend; ++at) {
      if (at >= ihdr + 25 && at < idat) continue;  // palette and transparency chunks
      Bytes bad = png;
      bad[at] ^= 0x10;
      std::unique_ptr<PIX_IBitmap> b(PIX_LoadPNGFromMemory(bad.data(), (int)bad.size(), nullptr));
      EXPECT_EQ(b, nullptr) << at;
    }
    // Truncated files likewise, and a given bitmap is kept (not deleted).
    TempDir tmp;
    for (size_t len : {(size_t)0, (size_t)8, (size_t)20, (size_t)40, idat + 20, iend - 1}) {
      const std::string path = tmp.write("cut.png", Bytes(png.begin(), png.begin() + (long)len));
      EXPECT_EQ(PIX_LoadPNG(path.c_str(), nullptr), nullptr) << len;
      PIX_MemBitmap given(2, 2, 4);
      EXPECT_EQ(PIX_LoadPNG(path.c_str(), &given), nullptr) << len;
    }
  }
  // Signatures, short buffers, missing files.
  const Bytes png = readFile(kDir + "rgb8.png");
  Bytes bad = png;
  bad[1] = 'X';
  EXPECT_EQ(PIX_LoadPNGFromMemory(bad.data(), (int)bad.size(), nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromMemory(png.data(), 7, nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromMemory(png.data(), -5, nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromMemory(nullptr, 100, nullptr), nullptr);
  TempDir tmp;
  EXPECT_EQ(PIX_LoadPNG(tmp.write("bad.png", bad).c_str(), nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNG((kDir + "missing.png").c_str(), nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNG(nullptr, nullptr), nullptr);
}

TEST(Png, OversizedHeadersAreRefusedBeforeAnyPixelBlock) {
  const Bytes png = readFile(kDir + "rgb8.png");
  const uint32_t sizes[][2] = {{50000, 50000}, {16, (1u << 26) + 1}, {1000000, 3000}, {0x7fffffff, 1}};
  for (const auto& s : sizes) {
    Bytes big = png;
    const uint32_t w = __builtin_bswap32(s[0]), h = __builtin_bswap32(s[1]);
    memcpy(&big[16], &w, 4);
    memcpy(&big[20], &h, 4);
    big = withCrc(big, 8);
    long allocations;
    {
      AllocationCounter count;
      EXPECT_EQ(PIX_LoadPNGFromMemory(big.data(), (int)big.size(), nullptr), nullptr) << s[0];
      allocations = count.count();
    }
    EXPECT_LT(allocations, 20) << s[0];  // libpng's own structures only
    PIX_MemBitmap given(4, 4, 4);
    EXPECT_EQ(PIX_LoadPNGFromMemory(big.data(), (int)big.size(), &given), nullptr);
  }
}

// A bitmap that refuses to grow.
class SmallBitmap : public PIX_MemBitmap {
 public:
  SmallBitmap() : PIX_MemBitmap(2, 2, 4) {}
  bool resize(int w, int h) override { return w <= 2 && h <= 2 ? PIX_MemBitmap::resize(w, h) : false; }
};

TEST(Png, TargetsThatCannotHoldTheImage) {
  SmallBitmap small;
  EXPECT_EQ(PIX_LoadPNG((kDir + "rgb8.png").c_str(), &small), nullptr);
  EXPECT_EQ(small.getWidth(), 2);
  std::unique_ptr<PIX_IBitmap> tiny(PIX_LoadPNG((kDir + "rgb8_interlaced_1x1.png").c_str(), &small));
  EXPECT_EQ(tiny.release(), &small);
  // No memory for the new bitmap's pixels: null, nothing leaked.
  const Bytes png = readFile(kDir + "rgba16.png");
  PIX_MemBitmap given(1, 1, 4);
  {
    AllocFailure fail;
    EXPECT_EQ(PIX_LoadPNGFromMemory(png.data(), (int)png.size(), nullptr), nullptr);
    EXPECT_EQ(PIX_LoadPNGFromMemory(png.data(), (int)png.size(), &given), nullptr);
  }
}

TEST(Png, NamedResourcesAndTheLoaderList) {
  EXPECT_EQ(PIX_ImageLoader_list, &PIX_pngldr);
  EXPECT_EQ(PIX_pngldr.loadfunc, &PIX_PNGLoader::loadfunc);
  const char* ext = PIX_pngldr.get_extlist();
  EXPECT_EQ(memcmp(ext, "PNG files (*.PNG)\0*.PNG\0\0", 25), 0);

  TempDir tmp;
  const Bytes png = readFile(kDir + "grey8.png");
  for (const char* name : {"a.png", "b.PNG", "c.Png", "d.png.bak", "e", "f.dat", "g/png"}) tmp.write(name, png);
  auto load = [&](const char* name, bool check) {
    std::unique_ptr<PIX_IBitmap> b(PIX_pngldr.loadfunc((tmp.path / name).string().c_str(), check, nullptr));
    return b != nullptr;
  };
  EXPECT_TRUE(load("a.png", true));
  EXPECT_TRUE(load("b.PNG", true));
  EXPECT_TRUE(load("c.Png", true));
  EXPECT_FALSE(load("d.png.bak", true));
  EXPECT_FALSE(load("e", true));
  EXPECT_FALSE(load("f.dat", true));
  EXPECT_TRUE(load("d.png.bak", false));
  EXPECT_TRUE(load("f.dat", false));

  const std::string dflt = PIX_GetResourceDir();
  EXPECT_EQ(dflt.substr(dflt.size() - 11), "/resources/");
  PIX_SetResourceDir(kDir.substr(0, kDir.size() - 1).c_str());
  std::unique_ptr<PIX_IBitmap> b(PIX_LoadPNGFromNamedResource("grey8.png", nullptr));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(readImage(b.get()), expectedPixels("grey8"));
  EXPECT_EQ(PIX_LoadPNGFromNamedResource(std::string(401, 'a').c_str(), nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromNamedResource(nullptr, nullptr), nullptr);
  PIX_SetResourceDir(nullptr);
  EXPECT_EQ(PIX_GetResourceDir(), dflt);
  EXPECT_EQ(PIX_LoadPNGFromResource(nullptr, "1", nullptr), nullptr);
}

}  // namespace
