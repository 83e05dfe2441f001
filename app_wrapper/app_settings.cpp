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

unsigned ReadNumber(const char* section, const char* key, int def) {
  return static_cast<uint16_t>(GetPrivateProfileInt(section, key, def, gINIPath));
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
  s->mAudioInChanL = ReadNumber("audio", "in1", 1);
  s->mAudioInChanR = ReadNumber("audio", "in2", 2);
  s->mAudioOutChanL = ReadNumber("audio", "out1", 1);
  s->mAudioOutChanR = ReadNumber("audio", "out2", 2);
  s->mAudioInIsMono = ReadNumber("audio", "monoinput", 0);
  ReadText("audio", "iovs", "512", s->mAudioIOVS);
  ReadText("audio", "sigvs", "32", s->mAudioSigVS);
  ReadText("audio", "sr", "44100", s->mAudioSR);
  ReadText("midi", "indev", "no input", s->mMidiInDev);
  ReadText("midi", "outdev", "no output", s->mMidiOutDev);
  s->mMidiInChan = ReadNumber("midi", "inchan", 0);
  s->mMidiOutChan = ReadNumber("midi", "outchan", 0);

  // Values the stream and the Preferences lists cannot use go back to their
  // defaults: a signal vector size of 0 or text would divide by zero in the
  // audio callback.
  if (!IsOption(s->mAudioSigVS, kSIGVSOptions, kNumSIGVSOptions)) SetAppStateText(s->mAudioSigVS, "32");
  if (!IsOption(s->mAudioIOVS, kIOVSOptions, kNumIOVSOptions)) SetAppStateText(s->mAudioIOVS, "512");
  if (!IsPositiveDecimal(s->mAudioSR)) SetAppStateText(s->mAudioSR, "44100");
  if (!s->mAudioInChanL) s->mAudioInChanL = 1;
  if (!s->mAudioOutChanL) s->mAudioOutChanL = 1;
  if (s->mMidiInChan > 16) s->mMidiInChan = 0;
  if (s->mMidiOutChan > 16) s->mMidiOutChan = 0;
}

void WriteNumber(const char* section, const char* key, unsigned value) {
  char buf[16];
  snprintf(buf, sizeof buf, "%u", value);
  WritePrivateProfileString(section, key, buf, gINIPath);
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
  std::string folder;
  if (!SettingsFolder(&folder)) {
    fprintf(stderr, "no usable settings folder (HOME not set or path too long)\n");
    return 1;
  }
  struct stat st;
  if (stat(folder.c_str(), &st) != 0) {
    if (!MakeFolders(folder)) {
      fprintf(stderr, "cannot create the settings folder %s\n", folder.c_str());
      return 1;
    }
  }
  snprintf(gINIPath, sizeof gINIPath, "%ssettings.ini", folder.c_str());
  gFirstStart = stat(gINIPath, &st) != 0;
  if (!gFirstStart) ReadSettings(gState);
  UpdateINI();
  return 0;
}

void UpdateINI() {
  if (!gState || !gINIPath[0]) return;
  const AppState* s = gState;
  WriteNumber("audio", "driver", s->mAudioDriverType);
  WritePrivateProfileString("audio", "indev", s->mAudioInDev, gINIPath);
  WritePrivateProfileString("audio", "outdev", s->mAudioOutDev, gINIPath);
  WriteNumber("audio", "in1", s->mAudioInChanL);
  WriteNumber("audio", "in2", s->mAudioInChanR);
  WriteNumber("audio", "out1", s->mAudioOutChanL);
  WriteNumber("audio", "out2", s->mAudioOutChanR);
  WriteNumber("audio", "monoinput", s->mAudioInIsMono);
  WritePrivateProfileString("audio", "iovs", s->mAudioIOVS, gINIPath);
  WritePrivateProfileString("audio", "sigvs", s->mAudioSigVS, gINIPath);
  WritePrivateProfileString("audio", "sr", s->mAudioSR, gINIPath);
  WritePrivateProfileString("midi", "indev", s->mMidiInDev, gINIPath);
  WritePrivateProfileString("midi", "outdev", s->mMidiOutDev, gINIPath);
  WriteNumber("midi", "inchan", s->mMidiInChan);
  WriteNumber("midi", "outchan", s->mMidiOutChan);
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
