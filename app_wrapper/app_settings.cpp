// The host's settings record and settings.ini.

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

#include "app_main.h"
#include "shim-ini.h"

const char kDefaultAudioInDev[] = "Built-in Input";
const char kDefaultAudioOutDev[] = "Built-in Output";

AppState* gState = nullptr;
AppState* gTempState = nullptr;
AppState* gActiveState = nullptr;
char gINIPath[kINIPathSize] = "";
bool gFirstStart = false;

namespace {

const int kTextSize = 100;

bool IsOption(const char* text, const char* const* options, int count) {
  for (int i = 0; i < count; ++i)
    if (!strcmp(text, options[i])) return true;
  return false;
}

// A positive decimal number without anything after it.
bool IsPositiveDecimal(const char* text) {
  if (!*text) return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long v = strtoul(text, &end, 10);
  return *text != '-' && *text != '+' && !*end && errno == 0 && v > 0 && v <= 10000000;
}

// The settings folder with a trailing '/', or false when the desktop names
// none or it does not fit.
bool SettingsFolder(std::string* folder) {
  const char* xdg = getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = getenv("HOME");
    if (!home || !*home) return false;
    base = std::string(home) + "/.config";
  }
  *folder = base + "/" APP_PRODUCT_NAME "/";
  return folder->size() + strlen("settings.ini") < static_cast<size_t>(kINIPathSize);
}

// Makes the folder and any missing parent; parents follow the desktop's rule
// for its configuration folder (owner only).
bool MakeFolders(const std::string& folder) {
  for (size_t pos = 1; pos < folder.size(); ++pos) {
    if (folder[pos] != '/') continue;
    const std::string part = folder.substr(0, pos);
    const bool last = pos + 1 >= folder.size();
    if (mkdir(part.c_str(), last ? 0777 : 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st;
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A number of the file when it lies in lo..hi, else the fallback: what is
// stored (and written back) is always a value the program uses, never one
// cut to 16 bits.
uint16_t ReadNumber(const char* section, const char* key, int def, int lo = 0, int hi = 0xFFFF,
                    int fallback = -1) {
  const int v = GetPrivateProfileInt(section, key, def, gINIPath);
  return static_cast<uint16_t>(v >= lo && v <= hi ? v : (fallback >= 0 ? fallback : def));
}

void ReadText(const char* section, const char* key, const char* def, char (&field)[kTextSize]) {
  char buf[kTextSize];
  GetPrivateProfileString(section, key, def, buf, kTextSize, gINIPath);
  SetAppStateText(field, buf);
}

void ReadSettings(AppState* s) {
  s->mAudioDriverType = ReadNumber("audio", "driver", 0);
  ReadText("audio", "indev", kDefaultAudioInDev, s->mAudioInDev);
  ReadText("audio", "outdev", kDefaultAudioOutDev, s->mAudioOutDev);
  // Channel 0 does not exist: the first stands in for it. The right channel
  // the stream takes is the one after the left.
  s->mAudioInChanL = ReadNumber("audio", "in1", 1, 1, 0xFFFE, 1);
  s->mAudioInChanR = ReadNumber("audio", "in2", 2, 1, 0xFFFF, s->mAudioInChanL + 1);
  s->mAudioOutChanL = ReadNumber("audio", "out1", 1, 1, 0xFFFE, 1);
  s->mAudioOutChanR = ReadNumber("audio", "out2", 2, 1, 0xFFFF, s->mAudioOutChanL + 1);
  s->mAudioInIsMono = ReadNumber("audio", "monoinput", 0, 0, 1);
  ReadText("audio", "iovs", "512", s->mAudioIOVS);
  ReadText("audio", "sigvs", "32", s->mAudioSigVS);
  ReadText("audio", "sr", "44100", s->mAudioSR);
  ReadText("midi", "indev", "no input", s->mMidiInDev);
  ReadText("midi", "outdev", "no output", s->mMidiOutDev);
  s->mMidiInChan = ReadNumber("midi", "inchan", 0, 0, 16);
  s->mMidiOutChan = ReadNumber("midi", "outchan", 0, 0, 16);

  // Values the stream and the Preferences lists cannot use go back to their
  // defaults: a signal vector size of 0 or text would divide by zero in the
  // audio callback.
  if (!IsOption(s->mAudioSigVS, kSIGVSOptions, kNumSIGVSOptions)) SetAppStateText(s->mAudioSigVS, "32");
  if (!IsOption(s->mAudioIOVS, kIOVSOptions, kNumIOVSOptions)) SetAppStateText(s->mAudioIOVS, "512");
  if (!IsPositiveDecimal(s->mAudioSR)) SetAppStateText(s->mAudioSR, "44100");
}

bool WriteText(const char* section, const char* key, const char* value) {
  return WritePrivateProfileString(section, key, value, gINIPath) != 0;
}

bool WriteNumber(const char* section, const char* key, unsigned value) {
  char buf[16];
  snprintf(buf, sizeof buf, "%u", value);
  return WriteText(section, key, buf);
}

// Why settings cannot be saved at all in this run ("" when they can), and
// the last reason a save failed, kept for the Preferences message box.
std::string gNoSettingsReason;
std::string gSaveError;

// The settings file exists but could not be read whole: it is moved aside so
// that nothing of it is lost and the settings can be saved again, starting
// as on a first start. A file that cannot be moved (or is not a plain file)
// is kept and never written. True when it was moved.
bool SetAsideUnreadableFile(const std::string& why) {
  struct stat st;
  if (lstat(gINIPath, &st) == 0 && S_ISREG(st.st_mode)) {
    for (int n = 0; n < 100; ++n) {
      std::string aside = std::string(gINIPath) + ".bad";
      if (n) aside += "." + std::to_string(n);
      if (lstat(aside.c_str(), &st) == 0) continue;
      if (rename(gINIPath, aside.c_str()) == 0) {
        fprintf(stderr,
                "Settings could not be read from %s: %s. The file was moved to %s; the settings "
                "start from their defaults and are saved anew.\n",
                gINIPath, why.c_str(), aside.c_str());
        return true;
      }
      break;
    }
  }
  fprintf(stderr, "Settings could not be read from %s: %s. The file is kept as it is.\n",
          gINIPath, why.c_str());
  return false;
}

}  // namespace

void SetAppStateText(char (&field)[kTextSize], const char* text) {
  char copy[kTextSize] = {};  // text may be the field itself
  if (text) memcpy(copy, text, strnlen(text, sizeof copy - 1));
  memcpy(field, copy, sizeof copy);
}

void SetAppStateDefaults(AppState* s) {
  memset(s, 0, sizeof *s);
  s->mAudioDriverType = 0;
  SetAppStateText(s->mAudioInDev, kDefaultAudioInDev);
  SetAppStateText(s->mAudioOutDev, kDefaultAudioOutDev);
  SetAppStateText(s->mAudioSR, "44100");
  SetAppStateText(s->mAudioIOVS, "512");
  SetAppStateText(s->mAudioSigVS, "32");
  s->mAudioInChanL = 1;
  s->mAudioInChanR = 2;
  s->mAudioOutChanL = 1;
  s->mAudioOutChanR = 2;
  s->mAudioInIsMono = 0;
  SetAppStateText(s->mMidiInDev, "off");
  SetAppStateText(s->mMidiOutDev, "off");
  s->mMidiInChan = 0;
  s->mMidiOutChan = 0;
}

int LoadSettings() {
  for (AppState** s : {&gState, &gTempState, &gActiveState}) {
    if (!*s) *s = new AppState;
    SetAppStateDefaults(*s);
  }
  gINIPath[0] = 0;
  gNoSettingsReason.clear();
  gSaveError.clear();
  std::string folder;
  if (!SettingsFolder(&folder)) {
    gNoSettingsReason = "there is no settings folder (HOME is not set, or the path is too long)";
    fprintf(stderr, "Settings cannot be saved: %s.\n", gNoSettingsReason.c_str());
    return 1;
  }
  struct stat st;
  if (stat(folder.c_str(), &st) != 0) {
    if (!MakeFolders(folder)) {
      gNoSettingsReason = "the settings folder " + folder + " cannot be made: " + strerror(errno);
      fprintf(stderr, "Settings cannot be saved: %s.\n", gNoSettingsReason.c_str());
      return 1;
    }
  }
  snprintf(gINIPath, sizeof gINIPath, "%ssettings.ini", folder.c_str());
  gFirstStart = lstat(gINIPath, &st) != 0;
  if (!gFirstStart) {
    ReadSettings(gState);
    char why[512];
    if (SHIM_GetIniFileError(gINIPath, why, sizeof why) && SetAsideUnreadableFile(why)) {
      SetAppStateDefaults(gState);
      gFirstStart = true;
    }
  }
  UpdateINI();
  return 0;
}

bool UpdateINI() {
  if (!gState) return false;
  if (!gINIPath[0]) {
    gSaveError = gNoSettingsReason.empty() ? "there is no settings file" : gNoSettingsReason;
    fprintf(stderr, "Settings could not be saved: %s.\n", gSaveError.c_str());
    return false;
  }
  const AppState* s = gState;
  // Each write stops the rest once one fails: the file says why.
  const bool ok =
      WriteNumber("audio", "driver", s->mAudioDriverType) &&
      WriteText("audio", "indev", s->mAudioInDev) && WriteText("audio", "outdev", s->mAudioOutDev) &&
      WriteNumber("audio", "in1", s->mAudioInChanL) && WriteNumber("audio", "in2", s->mAudioInChanR) &&
      WriteNumber("audio", "out1", s->mAudioOutChanL) &&
      WriteNumber("audio", "out2", s->mAudioOutChanR) &&
      WriteNumber("audio", "monoinput", s->mAudioInIsMono) &&
      WriteText("audio", "iovs", s->mAudioIOVS) && WriteText("audio", "sigvs", s->mAudioSigVS) &&
      WriteText("audio", "sr", s->mAudioSR) && WriteText("midi", "indev", s->mMidiInDev) &&
      WriteText("midi", "outdev", s->mMidiOutDev) && WriteNumber("midi", "inchan", s->mMidiInChan) &&
      WriteNumber("midi", "outchan", s->mMidiOutChan);
  if (ok) return true;
  char why[512] = "";
  if (!SHIM_GetIniFileError(gINIPath, why, sizeof why)) snprintf(why, sizeof why, "unknown reason");
  gSaveError = std::string(gINIPath) + ": " + why;
  fprintf(stderr, "Settings could not be saved to %s.\n", gSaveError.c_str());
  return false;
}

std::string TakeSettingsSaveError() {
  std::string error;
  error.swap(gSaveError);
  return error;
}

bool AudioSettingsInStateAreEqual(const AppState* a, const AppState* b) {
  return a->mAudioDriverType == b->mAudioDriverType && !strcmp(a->mAudioInDev, b->mAudioInDev) &&
         !strcmp(a->mAudioOutDev, b->mAudioOutDev) && !strcmp(a->mAudioSR, b->mAudioSR) &&
         !strcmp(a->mAudioIOVS, b->mAudioIOVS) && !strcmp(a->mAudioSigVS, b->mAudioSigVS) &&
         a->mAudioInChanL == b->mAudioInChanL && a->mAudioInChanR == b->mAudioInChanR &&
         a->mAudioOutChanL == b->mAudioOutChanL && a->mAudioOutChanR == b->mAudioOutChanR &&
         a->mAudioInIsMono == b->mAudioInIsMono;
}

bool MIDISettingsInStateAreEqual(const AppState* a, const AppState* b) {
  return !strcmp(a->mMidiInDev, b->mMidiInDev) && !strcmp(a->mMidiOutDev, b->mMidiOutDev) &&
         a->mMidiInChan == b->mMidiInChan && a->mMidiOutChan == b->mMidiOutChan;
}

void FreeAppStates() {
  delete gState;
  delete gTempState;
  delete gActiveState;
  gState = gTempState = gActiveState = nullptr;
}
