// The Preferences dialog: audio driver, devices, channels, vector sizes and
// sample rate, MIDI ports and channels. It edits gState; device and port
// changes take effect at once, the stream restarts on Apply, on OK with
// changed settings, and on Cancel when it restores changed settings.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "app_main.h"
#include "platform/workspace.h"
#include "resource.h"
#include "shim.h"

namespace {

const SHIM_DlgGenEntry kPreferencesControls[] = {
    {"__SHIM_GROUP", 0, "Audio Settings", 0, 5, 10, 300, 230, 0},
    {"__SHIM_LABEL", -1, "Driver Type", 0, 20, 32, 60, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_AUDIO_DRIVER, 20, 50, 150, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", -1, "Input Device", 0, 20, 75, 80, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_AUDIO_IN_DEV, 20, 90, 150, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", -1, "Output Device", 0, 20, 115, 80, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_AUDIO_OUT_DEV, 20, 130, 150, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", -1, "In 1 (L)", 0, 20, 155, 90, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_AUDIO_IN_L, 20, 170, 46, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", -1, "In 2 (R)", 0, 75, 155, 90, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_AUDIO_IN_R, 75, 170, 46, 100, CBS_DROPDOWNLIST},
    {"__SHIM_CHECKBOX", 0, "Mono", IDC_CB_MONO_INPUT, 125, 128, 56, 100, 0},
    {"__SHIM_LABEL", -1, "Out 1 (L)", 0, 20, 195, 60, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_AUDIO_OUT_L, 20, 210, 46, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", -1, "Out 2 (R)", 0, 75, 195, 60, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_AUDIO_OUT_R, 75, 210, 46, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", -1, "IO Vector Size", 0, 200, 32, 80, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_AUDIO_IOVS, 200, 50, 90, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", -1, "Signal Vector Size", 0, 200, 75, 100, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_AUDIO_SIGVS, 200, 90, 90, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", -1, "Sampling Rate", 0, 200, 115, 80, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_AUDIO_SR, 200, 130, 90, 100, CBS_DROPDOWNLIST},
    {"__SHIM_BUTTON", 0, "Audio Midi Setup...", IDC_BUTTON_AUDIO_SETUP, 180, 170, 110, 40, 0},
    {"__SHIM_GROUP", 0, "MIDI Settings", 0, 5, 255, 300, 120, 0},
    {"__SHIM_LABEL", -1, "Input Device", 0, 20, 275, 100, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_MIDI_IN_DEV, 20, 293, 150, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", -1, "Output Device", 0, 20, 320, 100, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_MIDI_OUT_DEV, 20, 338, 150, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", -1, "Input Channel", 0, 200, 275, 100, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_MIDI_IN_CHAN, 200, 293, 90, 100, CBS_DROPDOWNLIST},
    {"__SHIM_LABEL", -1, "Output Channel", 0, 200, 320, 100, 20, 0},
    {"__SHIM_COMBO", 0, nullptr, IDC_COMBO_MIDI_OUT_CHAN, 200, 338, 90, 100, CBS_DROPDOWNLIST},
    {"__SHIM_BUTTON", 1, "OK", IDOK, 192, 383, 50, 20, 0},
    {"__SHIM_BUTTON", 0, "Apply", IDC_BUTTON_APPLY, 132, 383, 50, 20, 0},
    {"__SHIM_BUTTON", 0, "Cancel", IDCANCEL, 252, 383, 50, 20, 0},
};

void BuildPreferences(HWND view, int) {
  SHIM_MakeSetCurParms(1, 1, 0, 0, view, false, false);
  SHIM_GenerateDialogFromList(kPreferencesControls,
                              int(sizeof kPreferencesControls / sizeof kPreferencesControls[0]));
}

SHIM_DialogResourceIndex gPreferencesRes = {APP_RESID(IDD_DIALOG_PREF), "Preferences",
                                            SHIM_DLGFLAG_FLIPPED, BuildPreferences, 320, 420,
                                            nullptr};

void AddNumber(HWND window, int id, long value) {
  char text[32];
  snprintf(text, sizeof text, "%li", value);
  SHIM_CB_AddString(window, id, text);
}

// Selects an entry, or none when the index names no entry.
void Select(HWND window, int id, long index) {
  const int count = SHIM_CB_GetNumItems(window, id);
  SHIM_CB_SetCurSel(window, id, index >= 0 && index < count ? int(index) : -1);
}

int FindExact(HWND window, int id, const char* text) {
  return int(SendMessage(GetDlgItem(window, id), CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(text)));
}

// The selected entry's text; false when nothing is selected.
bool SelectedText(HWND window, int id, char (&text)[100]) {
  const int sel = SHIM_CB_GetCurSel(window, id);
  text[0] = 0;
  if (sel < 0) return false;
  SHIM_CB_GetItemText(window, id, sel, text, sizeof text);
  return true;
}

// The selection, or -1 when it names no entry of a list of `count`.
int SelectionIn(HWND window, int id, int count) {
  const int sel = SHIM_CB_GetCurSel(window, id);
  return sel >= 0 && sel < count ? sel : -1;
}

unsigned Number(const char* text) { return unsigned(strtoul(text, nullptr, 10)); }

// Fills a device list and selects the last entry carrying the saved name,
// else the first. Returns the selected device id, or -1 for an empty list.
int FillDeviceList(HWND window, int id, const std::vector<unsigned int>& devices, const char* saved) {
  SHIM_CB_Empty(window, id);
  int pick = devices.empty() ? -1 : 0;
  for (size_t i = 0; i < devices.size(); ++i) {
    const std::string name = GetAudioDeviceName(devices[i]);
    SHIM_CB_AddString(window, id, name.c_str());
    if (name == saved) pick = int(i);
  }
  Select(window, id, pick);
  return pick < 0 ? -1 : int(devices[size_t(pick)]);
}

void FillChannelLists(HWND window, int leftId, int rightId, unsigned channels, unsigned left,
                      unsigned right) {
  SHIM_CB_Empty(window, leftId);
  SHIM_CB_Empty(window, rightId);
  for (unsigned c = 1; c < channels; ++c) AddNumber(window, leftId, long(c));
  for (unsigned c = 1; c <= channels; ++c) AddNumber(window, rightId, long(c));
  Select(window, leftId, long(left) - 1);
  Select(window, rightId, long(right) - 1);
}

void FillMidiPortList(HWND window, int id, const std::vector<std::string>& names,
                      char (&saved)[100]) {
  SHIM_CB_Empty(window, id);
  for (const std::string& n : names) SHIM_CB_AddString(window, id, n.c_str());
  int sel = FindExact(window, id, saved);
  if (sel < 0) {
    SetAppStateText(saved, "off");
    UpdateINI();
    sel = 0;
  }
  Select(window, id, sel);
}

void FillMidiChannelList(HWND window, int id, unsigned channel) {
  SHIM_CB_Empty(window, id);
  SHIM_CB_AddString(window, id, "all");
  for (int c = 1; c <= 16; ++c) AddNumber(window, id, c);
  Select(window, id, long(channel));
}

void FillOptions(HWND window, int id, const char* const* options, int count, const char* saved) {
  SHIM_CB_Empty(window, id);
  int sel = -1;
  for (int i = 0; i < count; ++i) {
    SHIM_CB_AddString(window, id, options[i]);
    if (!strcmp(options[i], saved)) sel = i;
  }
  Select(window, id, sel);
}

// The driver's setup program on this desktop: the JACK control panel or the
// PulseAudio mixer, whichever is installed (the driver's own first).
void OpenAudioSetup(HWND window) {
  const std::string driver = GetAudioDriverName(gState->mAudioDriverType);
  const bool jack = driver.find("Jack") != std::string::npos || driver.find("JACK") != std::string::npos;
  const char* order[2] = {jack ? "qjackctl" : "pavucontrol", jack ? "pavucontrol" : "qjackctl"};
  for (const char* program : order)
    if (!plat::findProgram(program).empty() && plat::launchApplication(program)) return;
  MessageBox(window,
             "No audio setup program is installed (qjackctl for JACK, pavucontrol for PulseAudio).",
             "Audio Midi Setup", MB_OK);
}

void OnDriver(HWND window) {
  const int sel = SHIM_CB_GetCurSel(window, IDC_COMBO_AUDIO_DRIVER);
  if (sel < 0 || sel == gState->mAudioDriverType) return;
  gState->mAudioDriverType = uint16_t(sel);
  TryToChangeAudioDriverType();
  ProbeAudioIO();
  if (!gAudioInputDevs.empty())
    SetAppStateText(gState->mAudioInDev, GetAudioDeviceName(gAudioInputDevs.front()).c_str());
  if (!gAudioOutputDevs.empty())
    SetAppStateText(gState->mAudioOutDev, GetAudioDeviceName(gAudioOutputDevs.front()).c_str());
  gState->mAudioInChanL = 1;
  gState->mAudioInChanR = 2;
  gState->mAudioOutChanL = 1;
  gState->mAudioOutChanR = 2;
  PopulateAudioDialogs(window);
}

void OnDevice(HWND window, int id) {
  char text[100];
  if (!SelectedText(window, id, text)) return;
  if (id == IDC_COMBO_AUDIO_IN_DEV) {
    SetAppStateText(gState->mAudioInDev, text);
    gState->mAudioInChanL = 1;
    gState->mAudioInChanR = 2;
  } else {
    SetAppStateText(gState->mAudioOutDev, text);
    gState->mAudioOutChanL = 1;
    gState->mAudioOutChanR = 2;
  }
  PopulateDriverSpecificControls(window);
}

// A list without a selection names no size: the saved one stands for it.
void OnVectorSizes(HWND window) {
  const int io = SelectionIn(window, IDC_COMBO_AUDIO_IOVS, kNumIOVSOptions);
  const int sig = SelectionIn(window, IDC_COMBO_AUDIO_SIGVS, kNumSIGVSOptions);
  const char* ioText = io >= 0 ? kIOVSOptions[io] : gState->mAudioIOVS;
  const char* sigText = sig >= 0 ? kSIGVSOptions[sig] : gState->mAudioSigVS;
  const unsigned ioSize = Number(ioText), sigSize = Number(sigText);
  SetAppStateText(gState->mAudioIOVS, ioText);
  if (ioSize >= sigSize) {
    SetAppStateText(gState->mAudioSigVS, sigText);
  } else {
    SetAppStateText(gState->mAudioSigVS, kSIGVSOptions[0]);
    SHIM_CB_SetCurSel(window, IDC_COMBO_AUDIO_SIGVS, -1);
  }
}

// Left channel choices set the pair; the right one always follows the left.
void OnChannel(HWND window, int id) {
  const bool input = id == IDC_COMBO_AUDIO_IN_L || id == IDC_COMBO_AUDIO_IN_R;
  uint16_t& left = input ? gState->mAudioInChanL : gState->mAudioOutChanL;
  uint16_t& right = input ? gState->mAudioInChanR : gState->mAudioOutChanR;
  const int rightId = input ? IDC_COMBO_AUDIO_IN_R : IDC_COMBO_AUDIO_OUT_R;
  if (id == IDC_COMBO_AUDIO_IN_L || id == IDC_COMBO_AUDIO_OUT_L) {
    const int sel = SHIM_CB_GetCurSel(window, id);
    if (sel < 0) return;
    left = uint16_t(sel + 1);
    right = uint16_t(sel + 2);
  }
  Select(window, rightId, long(right) - 1);
}

void OnMidiPort(HWND window, int id) {
  char text[100];
  if (!SelectedText(window, id, text)) return;
  if (id == IDC_COMBO_MIDI_IN_DEV) {
    SetAppStateText(gState->mMidiInDev, text);
    ChooseMidiInput(text);
  } else {
    SetAppStateText(gState->mMidiOutDev, text);
    ChooseMidiOutput(text);
  }
}

void OnMidiChannel(HWND window, int id) {
  const int sel = SelectionIn(window, id, 17);
  if (sel < 0) return;
  // The MIDI input thread reads the channels as they change.
  __atomic_store_n(id == IDC_COMBO_MIDI_IN_CHAN ? &gState->mMidiInChan : &gState->mMidiOutChan,
                   uint16_t(sel), __ATOMIC_RELAXED);
}

// Apply looks at the audio system afresh (a server that came back lists its
// devices again, perhaps at another rate), shows what it found and restarts
// the stream on it.
void OnApply(HWND window) {
  TakeSettingsSaveError();
  RestartAudio();
  PopulateAudioDialogs(window);
  const std::string error = TakeSettingsSaveError();
  if (!error.empty()) ShowSettingsSaveError(window, error);
}

void OnCancel(HWND window) {
  EndDialog(window, IDCANCEL);
  if (AudioSettingsInStateAreEqual(gState, gTempState) && MIDISettingsInStateAreEqual(gState, gTempState))
    return;
  StopAudio();  // no block reads the settings while they are put back
  *gState = *gTempState;
  TryToChangeAudioDriverType();
  ProbeAudioIO();
  TryToChangeAudio();
}

}  // namespace

void ShowSettingsSaveError(HWND window, const std::string& error) {
  const std::string text = "The settings could not be saved.\n\n" + error +
                           "\n\nThe changes apply until " APP_PRODUCT_NAME " quits.";
  MessageBox(window, text.c_str(), APP_PRODUCT_NAME, MB_OK);
}

void RegisterPreferencesResource() {
  gPreferencesRes.next = SHIM_curmodule_dialogresource_head;
  SHIM_curmodule_dialogresource_head = &gPreferencesRes;
}

void PopulateAudioInputList(HWND window, const RtAudio::DeviceInfo* info) {
  FillChannelLists(window, IDC_COMBO_AUDIO_IN_L, IDC_COMBO_AUDIO_IN_R, info ? info->inputChannels : 0,
                   gState->mAudioInChanL, gState->mAudioInChanR);
}

void PopulateAudioOutputList(HWND window, const RtAudio::DeviceInfo* info) {
  FillChannelLists(window, IDC_COMBO_AUDIO_OUT_L, IDC_COMBO_AUDIO_OUT_R,
                   info ? info->outputChannels : 0, gState->mAudioOutChanL, gState->mAudioOutChanR);
}

void PopulateSampleRateList(HWND window, const RtAudio::DeviceInfo* in, const RtAudio::DeviceInfo* out) {
  SHIM_CB_Empty(window, IDC_COMBO_AUDIO_SR);
  if (in && out && in->probed && out->probed)
    for (unsigned rate : in->sampleRates)
      for (unsigned other : out->sampleRates)
        if (rate == other) {
          AddNumber(window, IDC_COMBO_AUDIO_SR, long(rate));
          break;
        }
  Select(window, IDC_COMBO_AUDIO_SR, FindExact(window, IDC_COMBO_AUDIO_SR, gState->mAudioSR));
}

void PopulateDriverSpecificControls(HWND window) {
  const int inId = FillDeviceList(window, IDC_COMBO_AUDIO_IN_DEV, gAudioInputDevs, gState->mAudioInDev);
  const int outId =
      FillDeviceList(window, IDC_COMBO_AUDIO_OUT_DEV, gAudioOutputDevs, gState->mAudioOutDev);
  RtAudio::DeviceInfo in, out;
  const bool haveIn = inId >= 0 && GetAudioDeviceInfo(unsigned(inId), &in);
  const bool haveOut = outId >= 0 && GetAudioDeviceInfo(unsigned(outId), &out);
  PopulateAudioInputList(window, haveIn ? &in : nullptr);
  PopulateAudioOutputList(window, haveOut ? &out : nullptr);
  PopulateSampleRateList(window, haveIn ? &in : nullptr, haveOut ? &out : nullptr);
}

void PopulateAudioDialogs(HWND window) {
  PopulateDriverSpecificControls(window);
  CheckDlgButton(window, IDC_CB_MONO_INPUT, gState->mAudioInIsMono ? 1 : 0);
  FillOptions(window, IDC_COMBO_AUDIO_IOVS, kIOVSOptions, kNumIOVSOptions, gState->mAudioIOVS);
  FillOptions(window, IDC_COMBO_AUDIO_SIGVS, kSIGVSOptions, kNumSIGVSOptions, gState->mAudioSigVS);
}

void PopulateMidiDialogs(HWND window) {
  if (!gMidiIn || !gMidiOut || gMIDIInputDevNames.empty() || gMIDIOutputDevNames.empty()) return;
  FillMidiPortList(window, IDC_COMBO_MIDI_IN_DEV, gMIDIInputDevNames, gState->mMidiInDev);
  FillMidiPortList(window, IDC_COMBO_MIDI_OUT_DEV, gMIDIOutputDevNames, gState->mMidiOutDev);
  FillMidiChannelList(window, IDC_COMBO_MIDI_IN_CHAN, gState->mMidiInChan);
  FillMidiChannelList(window, IDC_COMBO_MIDI_OUT_CHAN, gState->mMidiOutChan);
}

void PopulatePreferencesDialog(HWND window) {
  SHIM_CB_Empty(window, IDC_COMBO_AUDIO_DRIVER);
  for (int i = 0; i < NumAudioDrivers(); ++i)
    SHIM_CB_AddString(window, IDC_COMBO_AUDIO_DRIVER, GetAudioDriverName(i).c_str());
  Select(window, IDC_COMBO_AUDIO_DRIVER, gState->mAudioDriverType);
  PopulateAudioDialogs(window);
  PopulateMidiDialogs(window);
}

INT_PTR PreferencesDlgProc(HWND window, UINT msg, WPARAM wp, LPARAM) {
  if (!gState || !gTempState || !gActiveState) return 0;
  if (msg == WM_INITDIALOG) {
    PopulatePreferencesDialog(window);
    *gTempState = *gState;
    return 1;
  }
  if (msg != WM_COMMAND) return 0;
  const int id = LOWORD(wp);
  const bool selChange = HIWORD(wp) == CBN_SELCHANGE;
  switch (id) {
    case IDC_COMBO_AUDIO_DRIVER:
      if (selChange) OnDriver(window);
      break;
    case IDC_COMBO_AUDIO_IN_DEV:
    case IDC_COMBO_AUDIO_OUT_DEV:
      if (selChange) OnDevice(window, id);
      break;
    case IDC_COMBO_AUDIO_IOVS:
    case IDC_COMBO_AUDIO_SIGVS:
      if (selChange) OnVectorSizes(window);
      break;
    case IDC_COMBO_AUDIO_SR: {
      char text[100];
      if (selChange && SelectedText(window, id, text)) SetAppStateText(gState->mAudioSR, text);
      break;
    }
    case IDC_COMBO_AUDIO_IN_L:
    case IDC_COMBO_AUDIO_IN_R:
    case IDC_COMBO_AUDIO_OUT_L:
    case IDC_COMBO_AUDIO_OUT_R:
      if (selChange) OnChannel(window, id);
      break;
    case IDC_COMBO_MIDI_IN_DEV:
    case IDC_COMBO_MIDI_OUT_DEV:
      if (selChange) OnMidiPort(window, id);
      break;
    case IDC_COMBO_MIDI_IN_CHAN:
    case IDC_COMBO_MIDI_OUT_CHAN:
      if (selChange) OnMidiChannel(window, id);
      break;
    case IDC_BUTTON_AUDIO_SETUP:
      if (HIWORD(wp) == BN_CLICKED) OpenAudioSetup(window);
      break;
    case IDC_CB_MONO_INPUT:
      // The audio thread reads the flag as it changes.
      __atomic_store_n(&gState->mAudioInIsMono,
                       uint16_t(IsDlgButtonChecked(window, IDC_CB_MONO_INPUT) ? 1 : 0),
                       __ATOMIC_RELAXED);
      break;
    case IDC_BUTTON_APPLY:
      OnApply(window);
      break;
    case IDOK:
      // A stream that is not running (its server went away and came back)
      // starts again on what the audio system offers now.
      if (!AudioStreamRunning())
        RestartAudio();
      else if (memcmp(gActiveState, gState, sizeof *gState))
        TryToChangeAudio();
      EndDialog(window, IDOK);
      break;
    case IDCANCEL:
      OnCancel(window);
      break;
    default:
      break;
  }
  return 0;
}
