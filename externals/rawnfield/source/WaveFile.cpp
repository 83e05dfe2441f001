#include "WaveFile.h"

#include <cmath>
#include <cstring>
#include <new>

#include "FileBytes.h"

namespace Rawnfield {

const char* const WaveFile::kWavExt = ".wav";
const char* const WaveFile::kCodeExt = ".h";

namespace {

constexpr double kPi = 3.141592653589793;

// The fixed tail of the sub-format identifier of an extensible format chunk;
// its first two bytes carry the format tag.
const unsigned char kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t readU16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t readU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void putU16(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void putU32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void appendU32(std::vector<unsigned char>& out, uint32_t v) {
  unsigned char b[4];
  putU32(b, v);
  out.insert(out.end(), b, b + 4);
}

void appendTag(std::vector<unsigned char>& out, const char* tag) {
  out.insert(out.end(), tag, tag + 4);
}

// Integer samples: NaN and infinities would make the conversion undefined.
double sampleForInteger(double v) {
  return std::isfinite(v) ? v : 0.0;
}

// A whole sample rate that fits the header field.
uint32_t headerRate(double rate) {
  if (!(rate > 0.0)) return 0;
  if (rate >= 4294967295.0) return 4294967295u;
  return static_cast<uint32_t>(rate);
}

struct ChunkScan {
  size_t fmt = 0;  // body offset, 0 when absent
  uint32_t fmtSize = 0;
  size_t data = 0;  // body offset, 0 when absent
  uint32_t dataSize = 0;
};

// Walks the chunk list after the RIFF header for the first "fmt " and the
// first "data" chunk. Chunks are padded to even sizes; the walk ends where a
// chunk would run past the end of the file.
ChunkScan scanChunks(const unsigned char* b, size_t len) {
  ChunkScan s;
  size_t pos = 12;
  while (pos + 8 <= len) {
    const uint32_t size = readU32(b + pos + 4);
    const size_t body = pos + 8;
    if (!s.fmt && memcmp(b + pos, "fmt ", 4) == 0) {
      s.fmt = body;
      s.fmtSize = size;
    } else if (!s.data && memcmp(b + pos, "data", 4) == 0) {
      s.data = body;
      s.dataSize = size;
    }
    if (s.fmt && s.data) break;
    const unsigned long long next = body + static_cast<unsigned long long>(size) + (size & 1u);
    if (next > len) break;
    pos = static_cast<size_t>(next);
  }
  return s;
}

}  // namespace

WaveFile::WaveFile(const std::string& p) : path(p) {}

WaveFile::WaveFile(const std::string& p, unsigned short ch) : path(p), channels(ch) {}

WaveFile::~WaveFile() = default;

eRnWaveBitDepth WaveFile::getBitDepthType(unsigned short bits) const {
  switch (bits) {
    case 8:
      return kWaveBitDepth8;
    case 16:
      return kWaveBitDepth16;
    case 24:
      return kWaveBitDepth24;
    case 32:
      return kWaveBitDepth32;
    case 64:
      return kWaveBitDepth64;
    default:
      return kWaveBitDepthUnknown;
  }
}

unsigned short WaveFile::getBitsPerSample(eRnWaveBitDepth code) const {
  static const unsigned short kBits[8] = {8, 16, 24, 32, 16, 16, 16, 64};
  return code >= 1 && code <= 8 ? kBits[code - 1] : 16;
}

double WaveFile::getSampleValue(const unsigned char* p, eRnWaveBitDepth code, int format) const {
  const bool isFloat = format == kFormatFloat;
  switch (code) {
    case kWaveBitDepth8:
      return isFloat ? 0.0 : static_cast<double>(p[0]) - 128.0;
    case kWaveBitDepth16:
      return isFloat ? 0.0 : static_cast<double>(static_cast<int16_t>(readU16(p)));
    case kWaveBitDepth24: {
      if (isFloat) return 0.0;
      // The three bytes in the top of a 32-bit integer: the value times 256.
      const uint32_t u = (static_cast<uint32_t>(p[0]) << 8) | (static_cast<uint32_t>(p[1]) << 16) |
                         (static_cast<uint32_t>(p[2]) << 24);
      return static_cast<double>(static_cast<int32_t>(u));
    }
    case kWaveBitDepth32: {
      const uint32_t u = readU32(p);
      if (!isFloat) return static_cast<double>(static_cast<int32_t>(u));
      float f;
      memcpy(&f, &u, sizeof f);
      return f;
    }
    case kWaveBitDepth64: {
      if (!isFloat) return 0.0;
      uint64_t u = 0;
      for (int i = 7; i >= 0; --i) u = (u << 8) | p[i];
      double d;
      memcpy(&d, &u, sizeof d);
      return d;
    }
    default:
      return 0.0;
  }
}

bool WaveFile::loadData() {
  std::vector<unsigned char> bytes;
  if (!FileBytes::readAll(path, kMaxFileSize, bytes)) return false;
  const unsigned char* b = bytes.data();
  const size_t len = bytes.size();
  if (len < 12 || memcmp(b, "RIFF", 4) != 0 || memcmp(b + 8, "WAVE", 4) != 0) return false;

  // The chunk list is walked rather than read at fixed offsets: format
  // chunks of 18 or 40 bytes and chunks ahead of the data are common.
  const ChunkScan chunks = scanChunks(b, len);
  if (!chunks.fmt || chunks.fmtSize < 16 || chunks.fmt + 16 > len) return false;
  const unsigned char* fmt = b + chunks.fmt;
  int format = readU16(fmt);
  const unsigned channelCount = readU16(fmt + 2);
  const eRnWaveBitDepth code = getBitDepthType(readU16(fmt + 14));
  if (code == kWaveBitDepthUnknown || (channelCount != 1 && channelCount != 2)) return false;
  if (format == kFormatExtensible) {
    // The sample format is the sub-format's tag; an identifier of another
    // family says nothing we can decode.
    if (chunks.fmtSize < 40 || chunks.fmt + 40 > len) return false;
    if (memcmp(fmt + 26, kSubFormatTail, sizeof kSubFormatTail) != 0) return false;
    format = readU16(fmt + 24);
  }
  // Anything else (compressed or companded data) would load as noise, and
  // widths the format cannot have would load as silence.
  if (format == kFormatPcm) {
    if (code == kWaveBitDepth64) return false;
  } else if (format == kFormatFloat) {
    if (code != kWaveBitDepth32 && code != kWaveBitDepth64) return false;
  } else {
    return false;
  }

  if (!chunks.data) return false;
  const size_t avail = len - chunks.data;
  size_t dataSize = chunks.dataSize;
  if (chunks.data == 44 && dataSize / code == 1) {
    // A canonical header whose data size says one sample was written before
    // the length was known: the RIFF size tells the real length, and the
    // file's end bounds it.
    const uint32_t riff = readU32(b + 4);
    const size_t fromRiff = riff >= 36 ? riff - 36u : 0u;
    if (fromRiff > dataSize) dataSize = fromRiff;
    if (dataSize > avail) dataSize = avail;
  } else if (dataSize > avail) {
    return false;  // truncated, or a header that promises more than is there
  }

  const size_t frameBytes = static_cast<size_t>(code) * channelCount;
  const size_t count = dataSize / frameBytes;
  std::vector<WaveSample> loaded;
  try {
    loaded.reserve(count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const unsigned char* p = b + chunks.data;
  for (size_t i = 0; i < count; ++i, p += frameBytes) {
    double v = getSampleValue(p, code, format);
    if (channelCount == 2) v = (v + getSampleValue(p + code, code, format)) * 0.5;
    loaded.push_back({v, 0.0});
  }
  frames.swap(loaded);
  bitDepth = code;
  sampleFormat = format;
  return true;
}

WaveFile::Header WaveFile::writeHeader(unsigned short ch, unsigned int frameCount) const {
  Header h;
  const unsigned bits = getBitsPerSample(bitDepth);
  const uint32_t B = bits / 8;
  const uint32_t D = frameCount * ch * B;
  const uint32_t N = static_cast<uint32_t>(cuePoints.size());
  const uint32_t rate = headerRate(sampleRate);
  unsigned char* p = h.bytes;
  memcpy(p, "RIFF", 4);
  putU32(p + 4, N ? 36 + D + 12 + 24 * N : 36 + D);
  memcpy(p + 8, "WAVEfmt ", 8);
  putU32(p + 16, 16);
  putU16(p + 20, static_cast<uint32_t>(sampleFormat));
  putU16(p + 22, ch);
  putU32(p + 24, rate);
  putU32(p + 28, ch * B * rate);
  putU16(p + 32, ch * B);
  putU16(p + 34, bits);
  memcpy(p + 36, "data", 4);
  putU32(p + 40, D);
  return h;
}

void WaveFile::normalizeForPCM() {
  // Non-finite values are written as 0, so they must not set the scale.
  const bool both = channels == 2;
  double m = 0.0;
  for (const WaveSample& s : frames) {
    if (std::isfinite(s.left)) m = std::fmax(m, std::fabs(s.left));
    if (both && std::isfinite(s.right)) m = std::fmax(m, std::fabs(s.right));
  }
  if (m > 1.0) scale(true, both, 1.0 / m);
}

bool WaveFile::saveData() {
  if (frames.empty()) return false;
  // A header must describe the samples that follow it: other widths would be
  // written under a 16-bit header, and frames hold at most two channels.
  switch (bitDepth) {
    case kWaveBitDepth8:
    case kWaveBitDepth16:
    case kWaveBitDepth24:
    case kWaveBitDepth32:
    case kWaveBitDepth64:
      break;
    default:
      return false;
  }
  if (channels != 1 && channels != 2) return false;
  const unsigned long long B = static_cast<unsigned>(bitDepth);
  const unsigned long long D = frames.size() * channels * B;
  if (36 + D + 12 + 24ULL * cuePoints.size() > 0xFFFFFFFFULL) return false;

  const Header h =
      writeHeader(static_cast<unsigned short>(channels), static_cast<unsigned int>(frames.size()));
  if (bitDepth <= kWaveBitDepth24) normalizeForPCM();

  std::vector<unsigned char> out(h.bytes, h.bytes + sizeof h.bytes);
  out.reserve(out.size() + static_cast<size_t>(D) + 12 + 24 * cuePoints.size());
  const double S = bitDepth == kWaveBitDepth32 || bitDepth == kWaveBitDepth64
                       ? 1.0
                       : std::ldexp(1.0, getBitsPerSample(bitDepth) - 1) - 1.0;
  auto put = [&](double v) {
    unsigned char s[8];
    switch (bitDepth) {
      case kWaveBitDepth8:
        out.push_back(static_cast<unsigned char>(static_cast<int>(sampleForInteger(v) * S) ^ 0x80));
        break;
      case kWaveBitDepth16:
        putU16(s, static_cast<uint32_t>(static_cast<int>(sampleForInteger(v) * S)));
        out.insert(out.end(), s, s + 2);
        break;
      case kWaveBitDepth24:
        putU32(s, static_cast<uint32_t>(static_cast<long long>(sampleForInteger(v) * S)));
        out.insert(out.end(), s, s + 3);
        break;
      case kWaveBitDepth32: {
        const float f = static_cast<float>(v);
        uint32_t u;
        memcpy(&u, &f, sizeof u);
        putU32(s, u);
        out.insert(out.end(), s, s + 4);
        break;
      }
      default: {
        uint64_t u;
        memcpy(&u, &v, sizeof u);
        for (int i = 0; i < 8; ++i) out.push_back(static_cast<unsigned char>(u >> (8 * i)));
        break;
      }
    }
  };
  for (const WaveSample& fr : frames) {
    put(fr.left);
    if (channels != 1) put(fr.right);
  }

  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(out.data(), 1, out.size(), f) == out.size();
  ok = saveCuePoints(f) && ok;
  // A file that did not reach the disk is not reported as saved.
  ok = fclose(f) == 0 && ok;
  return ok;
}

bool WaveFile::saveCuePoints(FILE* f) const {
  if (!f) return false;
  if (cuePoints.empty()) return true;
  const uint32_t N = static_cast<uint32_t>(cuePoints.size());
  std::vector<unsigned char> out;
  appendTag(out, "cue ");
  appendU32(out, 24 * N + 4);
  appendU32(out, N);
  for (uint32_t k = 0; k < N; ++k) {
    appendU32(out, k + 1);
    appendU32(out, cuePoints[k]);
    appendTag(out, "data");
    appendU32(out, 0);
    appendU32(out, 0);
    appendU32(out, cuePoints[k]);
  }
  return fwrite(out.data(), 1, out.size(), f) == out.size();
}

void WaveFile::setData(const double* x, int n) {
  channels = 1;
  frames.clear();
  appendData(x, n);
}

void WaveFile::setData(const double* l, const double* r, int n) {
  channels = 2;
  frames.clear();
  appendData(l, r, n);
}

void WaveFile::appendData(const double* x, int n) {
  if (!x) return;
  for (int i = 0; i < n; ++i) frames.push_back({x[i], 0.0});
}

void WaveFile::appendData(const double* l, const double* r, int n) {
  if (!l || !r) return;
  for (int i = 0; i < n; ++i) frames.push_back({l[i], r[i]});
}

void WaveFile::appendSample(double v) {
  frames.push_back({v, 0.0});
}

void WaveFile::appendSample(double l, double r) {
  frames.push_back({l, r});
}

double WaveFile::peak(bool left, bool right) const {
  double m = 0.0;
  for (const WaveSample& s : frames) {
    if (left && std::fabs(s.left) > m) m = std::fabs(s.left);
    if (right && std::fabs(s.right) > m) m = std::fabs(s.right);
  }
  return m;
}

void WaveFile::scale(bool left, bool right, double factor) {
  for (WaveSample& s : frames) {
    if (left) s.left *= factor;
    if (right) s.right *= factor;
  }
}

void WaveFile::normalize() {
  const bool both = channels == 2;
  const double m = peak(true, both);
  if (m == 0.0) return;
  scale(true, both, 1.0 / m);
}

void WaveFile::normalize(unsigned short channel, double factor) {
  scale(channel == 0, channel != 0, factor);
}

double WaveFile::getMaxValue() const {
  return peak(true, channels == 2);
}

double WaveFile::getMaxValue(unsigned short channel) const {
  return peak(channel == 0, channel != 0);
}

void WaveFile::invert() {
  for (WaveSample& s : frames) {
    if (s.left > 0.0)
      s.left = 1.0 - s.left;
    else if (s.left < 0.0)
      s.left = -1.0 - s.left;
  }
}

void WaveFile::autoCrop(double threshold) {
  const bool both = channels == 2;
  for (size_t i = frames.size(); i-- > 0;) {
    const WaveSample& s = frames[i];
    if (std::fabs(s.left) > threshold || (both && std::fabs(s.right) > threshold)) {
      // The last loud frame is part of the sound: only what follows it goes.
      frames.resize(i + 1);
      return;
    }
  }
  // No frame is louder than the threshold: nothing is cut rather than all.
}

void WaveFile::fadeOut(int n) {
  const size_t F = frames.size();
  if (n <= 0 || static_cast<size_t>(n) > F) return;
  const bool both = channels == 2;
  const size_t first = F - static_cast<size_t>(n);
  for (int k = 0; k < n; ++k) {
    const double g = 1.0 - static_cast<double>(k) / n;
    WaveSample& s = frames[first + k];
    s.left *= g;
    if (both) s.right *= g;
  }
}

void WaveFile::setBitDepth(eRnWaveBitDepth code) {
  bitDepth = code;
  if (code == kWaveBitDepth32 || code == kWaveBitDepth64)
    sampleFormat = kFormatFloat;
  else if (code >= kWaveBitDepth8 && code <= kWaveBitDepth24)
    sampleFormat = kFormatPcm;
}

void WaveFile::generate(double seconds, bool cues, bool stereo) {
  channels = stereo ? 2 : 1;
  const double want = seconds * sampleRate;
  // Negative, NaN and absurd lengths make no frames.
  const double F = want >= 1.0 && want < 2147483647.0 ? std::trunc(want) : 0.0;
  const size_t n = static_cast<size_t>(F);
  std::vector<WaveSample> made;
  std::vector<uint32_t> found;
  try {
    made.reserve(n);
    for (size_t i = 0; i < n; ++i) {
      const double x = std::sin(2.0 * kPi * 50.0 * static_cast<double>(i) / F);
      made.push_back({x, stereo ? -x : 0.0});
      if (cues && std::fabs(x) < 1e-5) found.push_back(static_cast<uint32_t>(i));
    }
    cuePoints.insert(cuePoints.end(), found.begin(), found.end());
  } catch (const std::bad_alloc&) {
    return;
  }
  frames.swap(made);
}

void WaveFile::genMonoData(double seconds, bool cues) {
  generate(seconds, cues, false);
}

void WaveFile::genStereoData(double seconds, bool cues) {
  generate(seconds, cues, true);
}

bool WaveFile::genHeader(bool withParts) {
  const size_t at = path.find(kWavExt);
  // Without ".wav" the output path would be the sound file itself.
  if (at == std::string::npos) return false;
  std::string outPath = path;
  outPath.replace(at, strlen(kWavExt), kCodeExt);
  FILE* f = fopen(outPath.c_str(), "w");
  if (!f) return false;
  normalize();

  fputs("#pragma once\n\n", f);
  if (!path.empty()) fprintf(f, "// generated from file: %s\n\n", path.c_str());
  fputs("namespace Rawnfield\n{\n  static const double gRnWaveform[] = {", f);
  if (withParts) fputs("\n    /* negative part */", f);
  const size_t F = frames.size();
  const size_t perLine = withParts ? 8 : 10;
  for (size_t i = 0; i < F; ++i) {
    if (i % perLine == 0) {
      if (i == F / 2) fputs("\n    /* positive part */", f);
      fputs("\n    ", f);
    }
    fprintf(f, "%4.15f", frames[i].left);
    if (i + 1 < F) fputs(", ", f);
  }
  fputs(" };\n  // waveform size\n", f);
  fputs("  static const int gRnWaveformSize = sizeof(gRnWaveform) / sizeof(double);\n", f);
  fputs("} // namespace Rawnfield\n", f);
  return fclose(f) == 0;
}

}  // namespace Rawnfield
