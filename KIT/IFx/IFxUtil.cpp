#include "IFxUtil.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

struct HostWord {
  const char* word;
  EHost host;
};

// Searched in this order: an earlier word wins over a later one that also
// occurs in the name.
const HostWord kHostWords[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFL},
    {"live", kHostAbletonLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"openmpt", kHostOpenMPT},
    {"renoise", kHostRenoise},
    {"standalone", kHostStandalone},
};

// Display names by id 0..30; null where an id has none.
const char* const kHostNames[] = {
    nullptr,      "Reaper",     "ProTools",   "Cubase",
    "Nuendo",     "Sonar",      "Vegas",      "FLStudio",
    "Samplitude", "Live",       nullptr,      nullptr,
    nullptr,      "VSTScanner", "AULab",      "Forte",
    "Chainer",    "Audition",   "Orion",      nullptr,
    "SAWStudio",  "Logic",      "GarageBand", "DigitalPerformer",
    "Standalone", "AudioMulch", "StudioOne",  "VST3PluginTestHost",
    "Ardour",     "Renoise",    "OpenMPT",
};

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

EHost LookUpHost(const char* name) {
  char lower[256];
  IFxCopyText(lower, name, sizeof(lower));
  ToLower(lower, lower);
  for (const HostWord& w : kHostWords)
    if (strstr(lower, w.word)) return w.host;
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* out) {
  const char* name = nullptr;
  if (host >= 1 && host <= 30) name = kHostNames[host];
  IFxCopyText(out, name ? name : "Unknown", kMaxHostNameLen);
}

const char* GetAPINameStr(int api) {
  switch (api) {
    case kAPIVST2:
      return "VST2";
    case kAPIVST3:
      return "VST3";
    case kAPIAU:
      return "AU";
    case kAPIRTAS:
      return "RTAS";
    case kAPIAAX:
      return "AAX";
    case kAPIStandalone:
      return "Standalone";
    default:
      return "";
  }
}

void GetVersionParts(int version, int* major, int* minor, int* release) {
  if (major) *major = (version & 0xFFFF0000) >> 16;
  if (minor) *minor = (version & 0x0000FF00) >> 8;
  if (release) *release = version & 0x000000FF;
}

int GetDecimalVersion(int version) {
  int major, minor, release;
  GetVersionParts(version, &major, &minor, &release);
  return major * 10000 + minor * 100 + release;
}

void GetVersionStr(int version, char* out) {
  int major, minor, release;
  GetVersionParts(version, &major, &minor, &release);
  snprintf(out, 32, "v%d.%d.%d", major, minor, release);
}

void IFxCopyText(char* dest, const char* src, int destSize) {
  if (!dest || destSize < 1) return;
  int n = 0;
  if (src)
    while (n < destSize - 1 && src[n]) ++n;
  memmove(dest, src ? src : "", static_cast<size_t>(n));
  dest[n] = 0;
}

int IFxTruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

void Base64Encode(const unsigned char* data, int size, KIT_String* out) {
  out->Set("");
  if (!data || size <= 0) return;
  const long long outLen = (static_cast<long long>(size) + 2) / 3 * 4;
  if (outLen >= INT_MAX) return;
  KIT_TypedBuf<char> buf;
  char* p = buf.Resize(static_cast<int>(outLen));
  if (!p || buf.GetSize() != outLen) return;
  for (int i = 0, o = 0; i < size; i += 3, o += 4) {
    const int n = size - i < 3 ? size - i : 3;
    unsigned v = static_cast<unsigned>(data[i]) << 16;
    if (n > 1) v |= static_cast<unsigned>(data[i + 1]) << 8;
    if (n > 2) v |= data[i + 2];
    p[o] = kBase64Alphabet[(v >> 18) & 63];
    p[o + 1] = kBase64Alphabet[(v >> 12) & 63];
    p[o + 2] = n > 1 ? kBase64Alphabet[(v >> 6) & 63] : '=';
    p[o + 3] = n > 2 ? kBase64Alphabet[v & 63] : '=';
  }
  out->Set(p, static_cast<int>(outLen));
}

int Base64Decode(const char* text, unsigned char* out, int maxSize) {
  if (!text || !out || maxSize <= 0) return 0;
  unsigned acc = 0;
  int bits = 0, written = 0;
  for (const char* c = text; *c && written < maxSize; ++c) {
    const char* hit = strchr(kBase64Alphabet, *c);
    if (!hit) break;
    acc = (acc << 6) | static_cast<unsigned>(hit - kBase64Alphabet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out[written++] = static_cast<unsigned char>((acc >> bits) & 0xFF);
    }
  }
  return written;
}

void Trace(const char*, int, const char*, ...) {}

const char* VSTOpcodeStr(int) {
  return "";
}
const char* AUSelectStr(int) {
  return "";
}
const char* AUPropertyStr(int) {
  return "";
}
const char* AUScopeStr(int) {
  return "";
}

bool IsWhitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void ToLower(char* out, const char* in) {
  if (!out) return;
  if (!in) in = "";
  while (*in) *out++ = static_cast<char>(tolower(static_cast<unsigned char>(*in++)));
  *out = 0;
}

const char* CurrentTime() {
  static char sText[64];
  const time_t now = time(nullptr);
  struct tm local, utc;
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
  int minutes = (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
  // Local and UTC dates differ by at most one day.
  if (local.tm_year != utc.tm_year)
    minutes += local.tm_year > utc.tm_year ? 1440 : -1440;
  else if (local.tm_yday != utc.tm_yday)
    minutes += local.tm_yday > utc.tm_yday ? 1440 : -1440;
  const char sign = minutes < 0 ? '-' : '+';
  if (minutes < 0) minutes = -minutes;
  const size_t n = strftime(sText, sizeof(sText), "%Y%m%d %H:%M ", &local);
  snprintf(sText + n, sizeof(sText) - n, "%c%02d%02d", sign, minutes / 60, minutes % 60);
  return sText;
}

void CompileTimestamp(const char* date, const char* time, char* out) {
  char d[7], t[6];
  IFxCopyText(d, date, sizeof(d));
  IFxCopyText(t, time, sizeof(t));
  // The fourth character goes: the blank padding a one-digit day in "May  3".
  if (strlen(d) > 3) memmove(d + 3, d + 4, strlen(d + 4) + 1);
  snprintf(out, 16, "[%s %s]", d, t);
}

const char* AppendTimestamp(const char* date, const char* time, const char* text) {
  static KIT_String sText;
  char stamp[16];
  CompileTimestamp(date, time, stamp);
  sText.Set(text ? text : "");
  sText.Append(" ");
  sText.Append(stamp);
  return sText.Get();
}

bool Timer::Every(double seconds) {
  const clock_t now = clock();
  if (static_cast<double>(now - mStart) > seconds * 1000000.0) {
    mStart = now;
    return true;
  }
  return false;
}
