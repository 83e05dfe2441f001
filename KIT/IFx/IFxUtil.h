#pragma once

// Small lookups and helpers of the plug-in framework: host and API ids, packed
// version numbers, bounded text copies, base64, time stamps and the trace hook.

#include <ctime>

#include "kitstring.h"

// Host ids. -1 until the host is identified, 0 for a host not in the table.
enum EHost {
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFL = 7,
  kHostSamplitude = 8,
  kHostAbletonLive = 9,
  kHostMelodyne = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28,
  kHostRenoise = 29,
  kHostOpenMPT = 30
};

enum EAPI { kAPIVST2 = 0, kAPIVST3 = 1, kAPIAU = 2, kAPIRTAS = 3, kAPIAAX = 4, kAPIStandalone = 5 };

// Longest display name of a host, terminator included.
const int kMaxHostNameLen = 32;

// The id of the first host whose search word occurs in the lower-cased name
// (at most 255 characters are looked at); 0 when none does.
EHost LookUpHost(const char* name);
// Writes the display name of a host id ("Unknown" when it has none) into out,
// which must hold kMaxHostNameLen characters.
void GetHostNameStr(EHost host, char* out);
// The name of an API id, "" for other values.
const char* GetAPINameStr(int api);

// Packed versions: major << 16 | minor << 8 | release.
void GetVersionParts(int version, int* major, int* minor, int* release);
int GetDecimalVersion(int version);
// Writes "v%d.%d.%d"; out must hold 32 characters.
void GetVersionStr(int version, char* out);

// Copies at most destSize - 1 characters and always terminates; null reads as "".
void IFxCopyText(char* dest, const char* src, int destSize);

// Truncates towards zero; NaN gives 0 and values beyond the int range saturate,
// so no float-to-int conversion can be undefined.
int IFxTruncToInt(double v);

// Standard base64 with "=" padding.
void Base64Encode(const unsigned char* data, int size, KIT_String* out);
// Decodes until the first character outside the alphabet (so "=" ends it),
// writing at most maxSize bytes; returns the number written.
int Base64Decode(const char* text, unsigned char* out, int maxSize);

// The tracing hook; does nothing in this build.
void Trace(const char* funcName, int line, const char* format, ...);
const char* VSTOpcodeStr(int opCode);
const char* AUSelectStr(int select);
const char* AUPropertyStr(int propID);
const char* AUScopeStr(int scope);

bool IsWhitespace(char c);
// Copies in lower-cased and terminated; out must be as large as in.
void ToLower(char* out, const char* in);

// Local time as "YYYYMMDD HH:MM " followed by the UTC offset as a sign and
// "%02d%02d"; the text lives in one static buffer.
const char* CurrentTime();
// "[" + date's first 6 characters without the fourth + " " + time's first 5 +
// "]"; out must hold 16 characters.
void CompileTimestamp(const char* date, const char* time, char* out);
// text + " " + CompileTimestamp(date, time), in one static string.
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// Processor-clock interval timer.
class Timer {
public:
  Timer() : mStart(clock()) {}
  // True, restarting the interval, once more than the given time has passed.
  bool Every(double seconds);

private:
  clock_t mStart;
};
