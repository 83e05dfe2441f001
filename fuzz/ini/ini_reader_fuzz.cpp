// The ini reader over arbitrary file contents and queries.
//
// Input: byte 0 the buffer size for the reads, byte 1 the struct size, then
// up to four fields separated by 0xFF: the file's contents, a section, a key
// and a value. Every read goes into a buffer of exactly the given size; a
// write that succeeds must read back and leave every other value as it was,
// and a write that fails must leave the file's bytes alone.

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shim-ini.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "ini fuzz: %s\n", what);
    abort();
  }
}

std::string& TempDir() {
  static std::string dir;
  return dir;
}

// The folder goes with the run, with whatever the writes left in it.
void RemoveTempDir() {
  const std::string& dir = TempDir();
  if (dir.empty()) return;
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d))
      if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) unlink((dir + "/" + e->d_name).c_str());
    closedir(d);
  }
  rmdir(dir.c_str());
}

const std::string& FilePath() {
  static const std::string path = [] {
    // In memory where the system has it: every run writes the file anew.
    char templ[] = "/dev/shm/hb_ini_fuzz_XXXXXX";
    char fallback[] = "/tmp/hb_ini_fuzz_XXXXXX";
    const char* dir = mkdtemp(templ);
    if (!dir) dir = mkdtemp(fallback);
    Check(dir != nullptr, "no temporary folder");
    TempDir() = dir;
    atexit(RemoveTempDir);
    return std::string(dir) + "/f.ini";
  }();
  return path;
}

// Dates the file back a minute. A file changed this very moment is parsed
// again at every lookup (its time could still change unseen); an older one
// is parsed once and then served from the cache, as a settings file is.
void Backdate() {
  timespec t[2];
  clock_gettime(CLOCK_REALTIME, &t[0]);
  t[0].tv_sec -= 60;
  t[1] = t[0];
  utimensat(AT_FDCWD, FilePath().c_str(), t, 0);
}

// Whole-file reads and writes without stream buffers: every run does them.
std::string ReadBytes(const std::string& path) {
  std::string bytes;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return bytes;
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) bytes.append(buf, static_cast<size_t>(n));
  close(fd);
  return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  Check(fd >= 0, "cannot write the file");
  for (size_t at = 0; at < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
    Check(n > 0, "cannot write the file");
    at += static_cast<size_t>(n);
  }
  close(fd);
}

// A buffer for whole lists and values, reused: no name or value read back
// is longer than the file, so the file's size (and a margin) always holds
// one whole.
std::vector<char>& Scratch() {
  static std::vector<char> buf;
  return buf;
}

void FitScratch(size_t fileSize) {
  const size_t need = fileSize + 4096;
  if (Scratch().size() < need) Scratch().resize(need);
}

// The NUL-separated names of a list read.
std::vector<std::string> Names(const char* section) {
  std::vector<char>& buf = Scratch();
  const int n = GetPrivateProfileString(section, nullptr, "", buf.data(), static_cast<int>(buf.size()),
                                        FilePath().c_str());
  std::vector<std::string> names;
  for (int i = 0; i < n;) {
    names.emplace_back(buf.data() + i);
    i += static_cast<int>(names.back().size()) + 1;
  }
  return names;
}

std::string Value(const std::string& section, const std::string& key) {
  std::vector<char>& buf = Scratch();
  GetPrivateProfileString(section.c_str(), key.c_str(), "\x01missing", buf.data(),
                          static_cast<int>(buf.size()), FilePath().c_str());
  return buf.data();
}

typedef std::map<std::string, std::map<std::string, std::string>> Snapshot;

// Every section's entries, each section in one read of its whole text: the
// key runs to the entry's first '=' (no key holds one).
Snapshot Take() {
  Snapshot s;
  std::vector<char>& buf = Scratch();
  for (const std::string& sec : Names(nullptr)) {
    const int n = GetPrivateProfileSection(sec.c_str(), buf.data(), static_cast<int>(buf.size()),
                                           FilePath().c_str());
    std::map<std::string, std::string>& keys = s[sec];
    for (int i = 0; i < n;) {
      const std::string entry(buf.data() + i);
      i += static_cast<int>(entry.size()) + 1;
      const size_t eq = entry.find('=');
      Check(eq != std::string::npos && eq > 0, "a section entry without its key");
      keys[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
  }
  return s;
}

std::string Prepared(const std::string& v) {
  size_t b = 0, e = v.size();
  while (b < e && (v[b] == ' ' || v[b] == '\t')) ++b;
  while (e > b && (v[e - 1] == ' ' || v[e - 1] == '\t')) --e;
  if (e - b >= 2 && v[b] == v[e - 1] && (v[b] == '\'' || v[b] == '"')) ++b, --e;
  return v.substr(b, e - b);
}

void ReadsStayInTheirBuffers(const char* section, const char* key, int size, int structSize) {
  const char* file = FilePath().c_str();
  std::unique_ptr<char[]> buf(new char[size > 0 ? size : 1]);
  char* p = size > 0 ? buf.get() : nullptr;

  int n = GetPrivateProfileString(section, key, "default", p, size, file);
  if (size > 0) Check(n < size && p[n] == 0, "string not terminated in its buffer");

  for (const char* sec : {static_cast<const char*>(nullptr), section}) {
    n = GetPrivateProfileString(sec, nullptr, nullptr, p, size, file);
    if (size > 1) Check(n <= size - 2 && p[n] == 0 && p[n + 1] == 0, "list not ended by two NULs");
  }
  n = GetPrivateProfileSection(section, p, size, file);
  // Entries each end in a NUL and one more follows the last; a cut copy
  // ends in two NULs after the n bytes it returns.
  if (size > 1)
    Check(n < size && p[n] == 0 && ((n && p[n - 1] == 0) || (n + 1 < size && p[n + 1] == 0)),
          "section not ended by two NULs");

  GetPrivateProfileInt(section, key, 5, file);
  std::unique_ptr<unsigned char[]> blob(new unsigned char[structSize > 0 ? structSize : 1]);
  GetPrivateProfileStruct(section, key, blob.get(), structSize, file);
}

void WritesKeepEverythingElse(const std::string& section, const std::string& key,
                              const std::string& value) {
  const Snapshot before = Take();
  const std::string bytesBefore = ReadBytes(FilePath());
  const int ok = WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(),
                                           FilePath().c_str());
  Backdate();
  if (!ok) {
    Check(ReadBytes(FilePath()) == bytesBefore, "a refused write changed the file");
    return;
  }
  Check(Value(section, key) == Prepared(value), "a written value does not read back");
  const Snapshot after = Take();
  for (const auto& sec : before) {
    auto s = after.find(sec.first);
    Check(s != after.end(), "a write lost a section");
    for (const auto& kv : sec.second) {
      if (!strcasecmp(sec.first.c_str(), section.c_str()) && !strcasecmp(kv.first.c_str(), key.c_str()))
        continue;
      auto k = s->second.find(kv.first);
      Check(k != s->second.end() && k->second == kv.second, "a write changed another value");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int bufSize = data[0];
  const int structSize = data[1] % 16;
  std::vector<std::string> fields(1);
  for (size_t i = 2; i < size; ++i) {
    if (data[i] == 0xFF && fields.size() < 4)
      fields.emplace_back();
    else
      fields.back().push_back(static_cast<char>(data[i]));
  }
  fields.resize(4);
  WriteBytes(FilePath(), fields[0]);
  Backdate();
  // A write may make the file longer than the input by the value and a
  // section and key of its own.
  FitScratch(size + 64);
  // Names end at their first NUL, as C strings do.
  const std::string section = fields[1].c_str(), key = fields[2].c_str(), value = fields[3].c_str();
  ReadsStayInTheirBuffers(section.c_str(), key.c_str(), bufSize, structSize);
  ReadsStayInTheirBuffers(nullptr, key.c_str(), bufSize, structSize);
  WritesKeepEverythingElse(section, key, value);
  return 0;
}
