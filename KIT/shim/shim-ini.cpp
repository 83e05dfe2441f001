// Private-profile ini files over a 32-slot cache of parsed files.

#include "shim-ini.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "assocarray.h"
#include "mutex.h"
#include "shim-kernel.h"

namespace {

const int kSlots = 32;
const size_t kMaxPath = 511;                  // resolved default-relative names
const uint64_t kMaxPreambleBytes = 0x40000;   // before the first section: not an ini file
const size_t kMaxLineBytes = 0x2000000;       // longer lines are cut
const size_t kMaxSectionEntry = 8191;         // one entry of WritePrivateProfileSection
const int kIntBufSize = 512;

typedef KIT_StringKeyedArray<char*> IniSection;  // key -> value, both owned

void DeleteSection(IniSection* s) { delete s; }
typedef KIT_StringKeyedArray<IniSection*> IniSections;

struct FileContext {
  uint64_t stamp = 0;
  // The file as last read or written: modification time in nanoseconds (so
  // two changes within one second are told apart) and size; 0 and 0 when it
  // did not exist or could not be examined.
  uint64_t mtime = 0;
  uint64_t size = 0;
  char* path = nullptr;
  // Written so recently that a further change within the file system's
  // timestamp granularity could keep time and size: do not trust a match.
  bool racy = false;
  // The memory no longer matches the file (a write-back failed): read again
  // at the next lookup.
  bool stale = false;
  // False when the file exists but was not read whole (unreadable, not an
  // ini file, a line cut): rewriting it from memory would lose its contents.
  bool writable = true;
  // Why the file was not read whole, or why the last write failed; "" when
  // neither.
  std::string error;
  IniSections* sections = nullptr;

  IniSections* Sections() {
    if (!sections) sections = new IniSections(false, DeleteSection);
    return sections;
  }
  IniSection* Find(const char* name) const { return sections ? sections->Get(name, nullptr) : nullptr; }
  void Clear() {
    delete sections;
    sections = nullptr;
    free(path);
    path = nullptr;
    mtime = size = 0;
    racy = stale = false;
    writable = true;
    error.clear();
  }
};

FileContext s_ctxs[kSlots];
uint64_t s_stampCounter = 0;
KIT_Mutex m_mutex;

struct ContextCleanup {
  ~ContextCleanup() {
    for (FileContext& c : s_ctxs) c.Clear();
  }
} s_contextCleanup;

// File timestamps come from a clock that may lag by a scheduler tick: a file
// modified less than this long ago may change again without a new time.
const uint64_t kTimestampSlackNs = 20000000;

void ExamineStat(int ok, const struct stat& st, uint64_t* mtime, uint64_t* size) {
  if (!ok) {
    *mtime = *size = 0;
    return;
  }
  *mtime = static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000ull +
           static_cast<uint64_t>(st.st_mtim.tv_nsec);
  *size = static_cast<uint64_t>(st.st_size);
}

void Examine(const char* path, uint64_t* mtime, uint64_t* size) {
  struct stat st;
  ExamineStat(path && *path && stat(path, &st) == 0, st, mtime, size);
}

bool Recent(uint64_t mtime) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const uint64_t nowNs =
      static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
  return mtime + kTimestampSlackNs > nowNs;
}

// The path a file name stands for; false when it does not fit.
bool ResolvePath(const char* file, std::string* out) {
  if (file && strchr(file, '/')) {
    *out = file;
    return true;
  }
  std::string def;
  char buf[kMaxPath + 2];
  const int n = SHIM_GetDefaultIniFile(buf, sizeof buf);
  if (n > 0) {
    if (static_cast<size_t>(n) > kMaxPath) return false;
    def = buf;
  } else {
    const char* home = getenv("HOME");
    def = std::string(home && *home ? home : "/tmp") + "/.libShim.ini";
    if (def.size() > kMaxPath) return false;
  }
  if (!file || !*file) {
    *out = def;
    return true;
  }
  const size_t slash = def.rfind('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = def.rfind('.');
  if (dot != std::string::npos && dot >= start) def.resize(dot);
  const char* ext = strrchr(file, '.');
  const bool isIni = ext && !strchr(ext, '\\') && !strcasecmp(ext, ".ini");
  *out = def + "_" + file + (isIni ? "" : ".ini");
  return out->size() <= kMaxPath;
}

// One line without its '\n' (NUL bytes end it); false at the end of the file.
// rawLen receives the bytes taken from the file, cut whether it was too long.
bool ReadLine(FILE* fp, std::string* line, uint64_t* rawLen, bool* cut) {
  line->clear();
  *rawLen = 0;
  *cut = false;
  int ch;
  while ((ch = getc_unlocked(fp)) != EOF) {
    ++*rawLen;
    if (ch == '\n') return true;
    if (line->size() < kMaxLineBytes)
      line->push_back(static_cast<char>(ch));
    else
      *cut = true;
  }
  return *rawLen > 0;
}

// Marks the file as not read whole, keeping the first reason.
void NotReadWhole(FileContext* c, const std::string& why) {
  if (c->writable) c->error = why;
  c->writable = false;
}

void ReadFile(FileContext* c) {
  FILE* fp = fopen(c->path, "rb");
  if (!fp) {
    if (errno != ENOENT && errno != ENOTDIR) NotReadWhole(c, strerror(errno));
    return;
  }
  flock(fileno(fp), LOCK_SH);
  flockfile(fp);
  IniSection* cur = nullptr;
  bool haveSection = false;
  uint64_t preamble = 0;
  std::string line;
  uint64_t rawLen;
  bool cut;
  while (ReadLine(fp, &line, &rawLen, &cut)) {
    if (cut) NotReadWhole(c, "a line is longer than 32 MiB");
    if (!haveSection) {
      preamble += rawLen;
      if (preamble > kMaxPreambleBytes) {
        NotReadWhole(c, "not an ini file (more than 256 KiB before its first section)");
        break;
      }
    }
    line.resize(strlen(line.c_str()));
    size_t end = line.size();
    while (end && strchr(" \t\r\n", line[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && (line[begin] == ' ' || line[begin] == '\t')) ++begin;
    if (begin == end) continue;
    const char* s = line.c_str() + begin;
    line[end] = 0;
    if (*s == '[') {
      const char* close = strchr(s, ']');
      if (!close) continue;
      if (cur) cur->Resort();
      cur = nullptr;
      const std::string name(s + 1, static_cast<size_t>(close - s - 1));
      if (name.empty()) continue;
      IniSection* existing = c->Find(name.c_str());
      if (existing) {
        existing->DeleteAll();
        cur = existing;
      } else {
        IniSection* fresh = new IniSection(false, IniSection::freecharptr);
        if (c->Sections()->Insert(name.c_str(), fresh) < 0) {
          delete fresh;
          continue;
        }
        cur = fresh;
      }
      haveSection = true;
    } else if (cur) {
      const char* eq = strchr(s, '=');
      if (!eq || eq == s) continue;
      const std::string key(s, static_cast<size_t>(eq - s));
      char* value = strdup(eq + 1);
      if (!value || cur->AddUnsorted(key.c_str(), value) < 0) free(value);
    }
  }
  if (ferror(fp)) NotReadWhole(c, strerror(errno));
  funlockfile(fp);
  // The file just read, even if another writer has renamed a new one over it.
  struct stat st;
  ExamineStat(fstat(fileno(fp), &st) == 0, st, &c->mtime, &c->size);
  c->racy = Recent(c->mtime);
  flock(fileno(fp), LOCK_UN);
  fclose(fp);
  if (cur) cur->Resort();
}

// The cached context of a file, read again when the file changed.
FileContext* GetFileContext(const char* file) {
  std::string path;
  if (!ResolvePath(file, &path)) return nullptr;
  int slot = -1;
  for (int i = 0; i < kSlots; ++i) {
    // Paths are compared exactly: names differing in case are different files here.
    if (!s_ctxs[i].path || path == s_ctxs[i].path) {
      slot = i;
      break;
    }
  }
  if (slot < 0) {
    slot = 0;
    for (int i = 1; i < kSlots; ++i)
      if (s_ctxs[i].stamp < s_ctxs[slot].stamp) slot = i;
  }
  FileContext* c = &s_ctxs[slot];
  c->stamp = ++s_stampCounter;
  if (c->path && path == c->path && !c->stale && !c->racy) {
    uint64_t mtime, size;
    Examine(c->path, &mtime, &size);
    if (mtime == c->mtime && size == c->size) return c;
  }
  c->Clear();
  c->path = strdup(path.c_str());
  if (!c->path) return nullptr;
  ReadFile(c);
  return c;
}

// Rewrites the whole file from the context through a temporary file beside
// it. False, with the context marked for a fresh read, when the file could
// not be written.
bool WriteBackFile(FileContext* c) {
  if (!c->writable) {
    c->stale = true;
    if (c->error.find("kept as it is") == std::string::npos)
      c->error = "the file was not read whole (" + c->error + "); it is kept as it is";
    return false;
  }
  auto fail = [c](const std::string& why) {
    c->stale = true;
    c->error = why;
    return false;
  };
  const std::string path = c->path;
  // A file its owner made read-only is not replaced behind their back.
  if (access(path.c_str(), W_OK) != 0 && errno != ENOENT)
    return fail(std::string("the file cannot be written: ") + strerror(errno));
  const size_t slash = path.rfind('/');
  const std::string tmp = slash == std::string::npos
                              ? "." + path + ".new"
                              : path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".new";
  FILE* fp = fopen(tmp.c_str(), "wb");
  if (!fp) return fail("cannot create " + tmp + ": " + strerror(errno));
  flock(fileno(fp), LOCK_EX);
  if (c->sections) {
    const char* name;
    for (int i = 0; i < c->sections->GetSize(); ++i) {
      IniSection* s = c->sections->Enumerate(i, &name, nullptr);
      fprintf(fp, "[%s]\n", name);
      if (s) {
        const char* key;
        for (int k = 0; k < s->GetSize(); ++k) {
          const char* value = s->Enumerate(k, &key, nullptr);
          if (key && *key) fprintf(fp, "%s=%s\n", key, value ? value : "");
        }
      }
      fputs("\n", fp);
    }
  }
  bool ok = fflush(fp) == 0 && !ferror(fp);
  int err = ok ? 0 : errno;
  flock(fileno(fp), LOCK_UN);
  if (fclose(fp) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    unlink(tmp.c_str());
    return fail("cannot write " + tmp + ": " + strerror(err));
  }
  if (rename(tmp.c_str(), path.c_str()) != 0) {
    err = errno;
    unlink(tmp.c_str());
    return fail(std::string("cannot replace the file: ") + strerror(err));
  }
  Examine(c->path, &c->mtime, &c->size);
  c->racy = Recent(c->mtime);
  c->stale = false;
  c->error.clear();
  return true;
}

// Whether a section, key and value can be stored so that reading the file
// gives them back: no line breaks, no ']' in a section name, no '=' in a key,
// and no key that would read as a section header or lose leading blanks.
bool Storable(const char* section, const char* key, const char* value) {
  if (!*section || strpbrk(section, "\r\n]")) return false;
  if (key && (!*key || strpbrk(key, "\r\n=") || *key == '[' || *key == ' ' || *key == '\t'))
    return false;
  if (value && strpbrk(value, "\r\n")) return false;
  return true;
}

// The value as callers see it: blanks trimmed, one pair of matching quotes removed.
std::string Prepare(const char* v) {
  size_t begin = 0, end = strlen(v);
  while (begin < end && (v[begin] == ' ' || v[begin] == '\t')) ++begin;
  while (end > begin && (v[end - 1] == ' ' || v[end - 1] == '\t')) --end;
  if (end - begin >= 2 && v[begin] == v[end - 1] && (v[begin] == '\'' || v[begin] == '"')) {
    ++begin;
    --end;
  }
  return std::string(v + begin, end - begin);
}

int CopyOut(char* buf, int size, const char* text, size_t len) {
  if (!buf || size < 1) return 0;
  const size_t n = len < static_cast<size_t>(size - 1) ? len : static_cast<size_t>(size - 1);
  memcpy(buf, text, n);
  buf[n] = 0;
  return static_cast<int>(n);
}

// Writes a NUL-separated list ending in two NULs; returns the bytes copied
// before the final pair.
int CopyList(char* buf, int size, const std::string& list) {
  if (!buf || size < 1) return 0;
  if (size == 1) {
    buf[0] = 0;
    return 0;
  }
  size_t n = list.empty() ? 0 : list.size() - 1;  // without its last NUL
  if (n > static_cast<size_t>(size - 2)) n = static_cast<size_t>(size - 2);
  memcpy(buf, list.data(), n);
  buf[n] = 0;
  buf[n + 1] = 0;
  return static_cast<int>(n);
}

bool FindValue(const char* section, const char* key, const char* file, std::string* out) {
  FileContext* c = GetFileContext(file);
  IniSection* s = c ? c->Find(section) : nullptr;
  const char* v = s ? s->Get(key, nullptr) : nullptr;
  if (!v) return false;
  *out = Prepare(v);
  return true;
}

// atoi's reading, saturated at the int range instead of overflowing.
int ParseInt(const char* s) {
  while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
  const bool neg = *s == '-';
  if (*s == '-' || *s == '+') ++s;
  long long v = 0;
  for (; *s >= '0' && *s <= '9'; ++s) {
    v = v * 10 + (*s - '0');
    if (v > 2147483648LL) v = 2147483648LL;
  }
  if (neg) v = -v;
  if (v > INT_MAX) return INT_MAX;
  return static_cast<int>(v);
}

int HexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

}  // namespace

int GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf,
                            int size, const char* file) {
  KIT_MutexLock lock(&m_mutex);
  if (!section || !key) {
    if (!buf || size < 1) return 0;
    std::string list;
    FileContext* c = GetFileContext(file);
    if (c && !section) {
      const char* name;
      for (int i = 0; c->sections && i < c->sections->GetSize(); ++i) {
        c->sections->Enumerate(i, &name, nullptr);
        if (name && *name) list.append(name).push_back(0);
      }
    } else if (IniSection* s = c ? c->Find(section) : nullptr) {
      const char* name;
      for (int i = 0; i < s->GetSize(); ++i) {
        s->Enumerate(i, &name, nullptr);
        if (name && *name) list.append(name).push_back(0);
      }
    }
    return CopyList(buf, size, list);
  }
  std::string value;
  if (FindValue(section, key, file, &value)) return CopyOut(buf, size, value.data(), value.size());
  if (!def) def = "";
  return CopyOut(buf, size, def, strlen(def));
}

int GetPrivateProfileInt(const char* section, const char* key, int def, const char* file) {
  char buf[kIntBufSize];
  GetPrivateProfileString(section, key, "", buf, sizeof buf, file);
  if (!buf[0]) return def;
  const int v = ParseInt(buf);
  return buf[0] == '0' || v != 0 ? v : def;
}

int WritePrivateProfileString(const char* section, const char* key, const char* value,
                              const char* file) {
  if (!section || (key && !*key)) return 0;
  if (key && value && !Storable(section, key, value)) return 0;
  KIT_MutexLock lock(&m_mutex);
  FileContext* c = GetFileContext(file);
  if (!c) return 0;
  IniSection* s = c->Find(section);
  if (!key) {
    if (!s) return 1;
    c->sections->Delete(section);
    return WriteBackFile(c) ? 1 : 0;
  }
  if (!value) {
    if (!s || !s->Get(key, nullptr)) return 1;
    s->Delete(key);
    return WriteBackFile(c) ? 1 : 0;
  }
  if (s) {
    const char* old = s->Get(key, nullptr);
    if (old && !strcmp(old, value)) return 1;
  } else {
    s = new IniSection(false, IniSection::freecharptr);
    if (c->Sections()->Insert(section, s) < 0) {
      delete s;
      return 0;
    }
  }
  char* copy = strdup(value);
  if (!copy || s->Insert(key, copy) < 0) {
    free(copy);
    return 0;
  }
  return WriteBackFile(c) ? 1 : 0;
}

int GetPrivateProfileSection(const char* section, char* buf, int size, const char* file) {
  if (!buf || size < 1) return 0;
  if (size == 1) {
    buf[0] = 0;
    return 0;
  }
  KIT_MutexLock lock(&m_mutex);
  FileContext* c = section ? GetFileContext(file) : nullptr;
  IniSection* s = c ? c->Find(section) : nullptr;
  std::string text;
  if (s) {
    const char* key;
    for (int i = 0; i < s->GetSize(); ++i) {
      const char* value = s->Enumerate(i, &key, nullptr);
      text.append(key).append("=").append(Prepare(value ? value : "")).push_back(0);
    }
  }
  if (text.size() + 1 <= static_cast<size_t>(size)) {
    memcpy(buf, text.data(), text.size());
    buf[text.size()] = 0;
    if (text.empty()) buf[1] = 0;
    return static_cast<int>(text.size());
  }
  memcpy(buf, text.data(), static_cast<size_t>(size - 2));
  buf[size - 2] = 0;
  buf[size - 1] = 0;
  return size - 2;
}

int WritePrivateProfileSection(const char* section, const char* data, const char* file) {
  if (!section) return 0;
  KIT_MutexLock lock(&m_mutex);
  FileContext* c = GetFileContext(file);
  if (!c) return 0;
  const bool empty = !data || !*data;
  IniSection* s = c->Find(section);
  if (s) {
    s->DeleteAll();
  } else {
    if (empty) return 1;
    if (!Storable(section, nullptr, nullptr)) return 0;
    s = new IniSection(false, IniSection::freecharptr);
    if (c->Sections()->Insert(section, s) < 0) {
      delete s;
      return 0;
    }
  }
  for (const char* p = data; p && *p; p += strlen(p) + 1) {
    const std::string entry(p, strnlen(p, kMaxSectionEntry));
    const size_t eq = entry.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    const std::string key = entry.substr(0, eq);
    const char* value = entry.c_str() + eq + 1;
    if (!Storable(section, key.c_str(), value)) continue;
    char* copy = strdup(value);
    if (!copy || s->Insert(key.c_str(), copy) < 0) free(copy);
  }
  return WriteBackFile(c) ? 1 : 0;
}

int GetPrivateProfileStruct(const char* section, const char* key, void* buf, int size,
                            const char* file) {
  if (!section || !key || size < 0 || (!buf && size > 0)) return 0;
  std::string value;
  {
    KIT_MutexLock lock(&m_mutex);
    if (!FindValue(section, key, file, &value)) return 0;
  }
  if (value.size() != 2 * (static_cast<size_t>(size) + 1)) return 0;
  uint8_t* out = static_cast<uint8_t*>(buf);
  unsigned sum = 0;
  for (int i = 0; i <= size; ++i) {
    const int hi = HexDigit(value[2 * i]), lo = HexDigit(value[2 * i + 1]);
    if (hi < 0 || lo < 0) return 0;
    const uint8_t byte = static_cast<uint8_t>(hi << 4 | lo);
    // The last pair is the checksum: it stays out of the caller's buffer.
    if (i == size) return byte == (sum & 0xFF) ? 1 : 0;
    out[i] = byte;
    sum += byte;
  }
  return 0;
}

int SHIM_GetIniFileError(const char* file, char* buf, int size) {
  std::string path;
  if (!ResolvePath(file, &path)) return 0;
  KIT_MutexLock lock(&m_mutex);
  for (const FileContext& c : s_ctxs)
    if (c.path && path == c.path) {
      if (c.error.empty()) return 0;
      CopyOut(buf, size, c.error.data(), c.error.size());
      return 1;
    }
  return 0;
}

int WritePrivateProfileStruct(const char* section, const char* key, const void* data, int size,
                              const char* file) {
  if (!key || !data) return WritePrivateProfileString(section, key, nullptr, file);
  if (size < 0) return 0;
  static const char kHex[] = "0123456789ABCDEF";
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  std::string text;
  text.reserve(2 * (static_cast<size_t>(size) + 1));
  unsigned sum = 0;
  for (int i = 0; i < size; ++i) {
    text.push_back(kHex[bytes[i] >> 4]);
    text.push_back(kHex[bytes[i] & 15]);
    sum += bytes[i];
  }
  text.push_back(kHex[(sum >> 4) & 15]);
  text.push_back(kHex[sum & 15]);
  return WritePrivateProfileString(section, key, text.c_str(), file);
}
