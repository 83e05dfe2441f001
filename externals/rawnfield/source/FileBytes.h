#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

// Whole-file reads and writes shared by the curve and WAVE file code.
namespace Rawnfield {
namespace FileBytes {

// Whether path names a regular file we may read, asked without opening it:
// opening a named pipe would wait for a writer, and a folder opens but
// reads as an empty file.
inline bool isReadableFile(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), R_OK) == 0;
}

// Reads the whole file into out. False, with out untouched, when the file
// cannot be opened or read, or holds more than maxBytes (checked before
// anything is allocated).
inline bool readAll(const std::string& path, long maxBytes, std::vector<unsigned char>& out) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = false;
  if (fseek(f, 0, SEEK_END) == 0) {
    const long len = ftell(f);
    if (len >= 0 && len <= maxBytes && fseek(f, 0, SEEK_SET) == 0) {
      try {
        std::vector<unsigned char> bytes(static_cast<size_t>(len));
        if (len == 0 || fread(bytes.data(), 1, bytes.size(), f) == bytes.size()) {
          out.swap(bytes);
          ok = true;
        }
      } catch (const std::bad_alloc&) {
        ok = false;
      }
    }
  }
  fclose(f);
  return ok;
}

// Creates or truncates the file and writes len bytes; false when it cannot
// be created or the write fails.
inline bool writeAll(const std::string& path, const char* mode, const void* data, size_t len) {
  FILE* f = fopen(path.c_str(), mode);
  if (!f) return false;
  const bool wrote = len == 0 || fwrite(data, 1, len, f) == len;
  const bool closed = fclose(f) == 0;
  return wrote && closed;
}

}  // namespace FileBytes
}  // namespace Rawnfield
