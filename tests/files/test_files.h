#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "temp_dir.h"

using Bytes = std::vector<uint8_t>;

void writeFile(const std::string& path, const Bytes& bytes);
Bytes readFile(const std::string& path);
std::vector<std::string> splitLines(const std::string& text);
// A committed fixture.
std::string dataPath(const std::string& name);

// Little-endian pieces of a WAVE file.
void putU16(Bytes& b, uint32_t v);
void putU32(Bytes& b, uint32_t v);
uint32_t getU32(const Bytes& b, size_t at);
uint16_t getU16(const Bytes& b, size_t at);
void putFloat(Bytes& b, float v);
void putDouble(Bytes& b, double v);

// A chunk: the four-character id, the size, the body and a pad byte when
// the body is odd.
Bytes chunk(const char* id, const Bytes& body);
Bytes chunk(const char* id, uint32_t declaredSize, const Bytes& body);
// A format chunk body of 16 bytes (plus extra bytes after it).
Bytes fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
              const Bytes& extra = {});
// The 40-byte extensible format chunk body with the given sub-format tag;
// otherGuid makes the identifier's tail differ from the standard one.
Bytes extensibleFmtBody(uint16_t subTag, uint16_t channels, uint16_t bits, bool otherGuid = false);
// "RIFF", the size of what follows, "WAVE", then the chunks.
Bytes riff(const std::vector<Bytes>& chunks);
// A canonical file: 16-byte format chunk and a data chunk of these samples.
Bytes simpleWav(uint16_t tag, uint16_t channels, uint16_t bits, const Bytes& samples);
// Samples as 32-bit floats / 16-bit integers.
Bytes floatSamples(const std::vector<double>& v);
Bytes int16Samples(const std::vector<int>& v);
