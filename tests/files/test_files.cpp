#include "test_files.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::string dataPath(const std::string& name) {
  return std::string(HB_TEST_DATA_DIR) + "/" + name;
}

void putU16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void putU32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t getU32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(b.at(at)) | (static_cast<uint32_t>(b.at(at + 1)) << 8) |
         (static_cast<uint32_t>(b.at(at + 2)) << 16) | (static_cast<uint32_t>(b.at(at + 3)) << 24);
}

uint16_t getU16(const Bytes& b, size_t at) {
  return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

void putFloat(Bytes& b, float v) {
  uint32_t u;
  memcpy(&u, &v, sizeof u);
  putU32(b, u);
}

void putDouble(Bytes& b, double v) {
  uint64_t u;
  memcpy(&u, &v, sizeof u);
  for (int i = 0; i < 8; ++i) b.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

Bytes chunk(const char* id, const Bytes& body) {
  return chunk(id, static_cast<uint32_t>(body.size()), body);
}

Bytes chunk(const char* id, uint32_t declaredSize, const Bytes& body) {
  Bytes c(id, id + 4);
  putU32(c, declaredSize);
  c.insert(c.end(), body.begin(), body.end());
  if (body.size() % 2) c.push_back(0);
  return c;
}

Bytes fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& extra) {
  Bytes b;
  putU16(b, tag);
  putU16(b, channels);
  putU32(b, rate);
  putU32(b, rate * channels * (bits / 8));
  putU16(b, channels * (bits / 8));
  putU16(b, bits);
  b.insert(b.end(), extra.begin(), extra.end());
  return b;
}

Bytes extensibleFmtBody(uint16_t subTag, uint16_t channels, uint16_t bits, bool otherGuid) {
  Bytes extra;
  putU16(extra, 22);                     // extension size
  putU16(extra, bits);                   // valid bits
  putU32(extra, channels == 2 ? 3 : 4);  // channel mask
  putU16(extra, subTag);
  const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                            0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  extra.insert(extra.end(), tail, tail + 14);
  if (otherGuid) extra.back() ^= 0xFF;
  return fmtBody(0xFFFE, channels, 44100, bits, extra);
}

Bytes riff(const std::vector<Bytes>& chunks) {
  Bytes body = {'W', 'A', 'V', 'E'};
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  Bytes file = {'R', 'I', 'F', 'F'};
  putU32(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

Bytes simpleWav(uint16_t tag, uint16_t channels, uint16_t bits, const Bytes& samples) {
  return riff({chunk("fmt ", fmtBody(tag, channels, 44100, bits)), chunk("data", samples)});
}

Bytes floatSamples(const std::vector<double>& v) {
  Bytes b;
  for (double x : v) putFloat(b, static_cast<float>(x));
  return b;
}

Bytes int16Samples(const std::vector<int>& v) {
  Bytes b;
  for (int x : v) putU16(b, static_cast<uint32_t>(x));
  return b;
}
