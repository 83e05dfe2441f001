#pragma once

// The standalone host's settings (settings.ini), its audio stream and its
// MIDI ports. Everything here runs on the main thread except AudioCallback
// (the device's audio thread) and MIDICallback (the MIDI input thread).

#include <RtAudio.h>
#include <RtMidi.h>
#include <stdint.h>

#include <atomic>
#include <string>
#include <vector>

#include "shim-types.h"

class IFxStandalone;

#define APP_PRODUCT_NAME "Harshbloom"

// ---- Settings ----

// The host's settings record; texts are NUL-padded to their full size so
// that records can be compared byte by byte.
struct AppState {
  uint16_t mAudioDriverType;  // index into the driver list (NumAudioDrivers)
  char mAudioInDev[100];
  char mAudioOutDev[100];
  char mAudioSR[100];
  char mAudioIOVS[100];
  char mAudioSigVS[100];
  uint16_t mAudioInChanL;  // 1-based device channels
  uint16_t mAudioInChanR;
  uint16_t mAudioOutChanL;
  uint16_t mAudioOutChanR;
  uint16_t mAudioInIsMono;  // 1: the left input feeds both plug-in inputs
  char mMidiInDev[100];     // "off", "virtual input" or a port name
  char mMidiOutDev[100];    // "off", "virtual output" or a port name
  uint16_t mMidiInChan;     // 0 all, 1..16 one channel
  uint16_t mMidiOutChan;    // 0 as sent, 1..16 forced
};
static_assert(sizeof(AppState) == 716, "the settings record keeps its layout");

// The record's defaults. The device names are placeholders that no device
// here carries: the stream replaces them by the driver's default devices.
extern const char kDefaultAudioInDev[];   // "Built-in Input"
extern const char kDefaultAudioOutDev[];  // "Built-in Output"
void SetAppStateDefaults(AppState* state);
// Stores text into a record field, cut to fit and padded with NULs.
void SetAppStateText(char (&field)[100], const char* text);

// The settings being edited, the copy Preferences restores on Cancel, and
// the settings of the running stream.
extern AppState* gState;
extern AppState* gTempState;
extern AppState* gActiveState;

// The settings file: $XDG_CONFIG_HOME/Harshbloom/settings.ini, by default
// $HOME/.config/Harshbloom/settings.ini.
const int kINIPathSize = 4096;
extern char gINIPath[kINIPathSize];
// True from a start without a settings file until the audio driver has been
// chosen for it (TryToChangeAudioDriverType).
extern bool gFirstStart;

// The loading step: allocates the three records with their defaults, makes
// the settings folder when needed, reads settings.ini when it exists and
// writes it back. Returns 0, or 1 when the folder cannot be made or its path
// does not fit (nothing is written then). A file that cannot be read whole
// is never rewritten: it is moved aside as settings.ini.bad (or, when it
// cannot be, kept as it is); a line on standard error says which.
int LoadSettings();
// Writes every setting of gState to settings.ini. False, with a line on
// standard error giving the path and the reason, when they could not be
// saved; TakeSettingsSaveError then gives "<path>: <reason>".
bool UpdateINI();
// The last reason UpdateINI failed since the previous call, or "".
std::string TakeSettingsSaveError();
bool AudioSettingsInStateAreEqual(const AppState* a, const AppState* b);
bool MIDISettingsInStateAreEqual(const AppState* a, const AppState* b);
// Deletes the three records.
void FreeAppStates();

// ---- Audio ----

extern const char* const kIOVSOptions[];
extern const int kNumIOVSOptions;
extern const char* const kSIGVSOptions[];
extern const int kNumSIGVSOptions;

// The plug-in the host drives; not owned here.
extern IFxStandalone* gPluginInstance;

extern RtAudio* gDAC;
extern std::vector<unsigned int> gAudioInputDevs;   // device ids with inputs
extern std::vector<unsigned int> gAudioOutputDevs;  // device ids with outputs
extern std::vector<std::string> gAudioIDDevNames;   // display name by device id
// What the audio object said of each device when they were listed, by id.
extern std::vector<RtAudio::DeviceInfo> gAudioDevInfos;
extern unsigned int gIOVS;                          // frames per callback
extern unsigned int gSigVS;                         // frames per plug-in call
extern unsigned int gBufIndex;                      // position in the sub-block
extern std::atomic<unsigned int> gVecElapsed;       // callbacks since the start
extern double gFadeMult;
// Callbacks that reported an underflow (or overflow) since the last report.
extern std::atomic<unsigned int> gUnderflows;

// The driver list: the audio systems this build of RtAudio offers (JACK,
// PulseAudio, ALSA), in that order; the settings' driver type indexes it.
int NumAudioDrivers();
std::string GetAudioDriverName(int index);

// Closes and deletes the audio object, then makes one for gState's driver
// type (false, leaving none, for a type outside the list). On the first
// start the driver becomes the first one offering a duplex pair of default
// devices, and settings.ini is rewritten.
bool TryToChangeAudioDriverType();
// Lists the devices of the audio object.
void ProbeAudioIO();
std::string GetAudioDeviceName(unsigned int id);
int GetAudioDeviceID(const char* name);
// The audio object's information on a listed device, as it was listed;
// false when there is no audio object, no such device or it could not be
// probed.
bool GetAudioDeviceInfo(unsigned int id, RtAudio::DeviceInfo* info);
// At start-up: when the saved driver offers no input or no output device
// (its server is not running), the first driver whose default devices can
// play and record takes its place for this run, and its devices are listed.
// True when it changed; settings.ini keeps the saved driver until the
// settings are next written.
bool FallBackToWorkingDriver();
// At start-up: a saved device that is gone gives way to the driver's default
// one (or the first listed) for this run, channels the device lacks to the
// first two, and a sample rate the pair lacks to one they share; each change
// is said on standard error. settings.ini keeps the saved choices until the
// settings are next written.
void FitSavedDevicesToDriver();
// Opens and starts the stream with gState's settings. The placeholder
// device names are first replaced by the driver's default devices (with a
// sample rate both offer) and written back.
bool TryToChangeAudio();
bool InitialiseAudio(unsigned int inId, unsigned int outId, unsigned int sampleRate,
                     unsigned int iovs, unsigned int channels, unsigned int inFirst,
                     unsigned int outFirst);
int AudioCallback(void* output, void* input, unsigned int frames, double streamTime,
                  RtAudioStreamStatus status, void* userData);
// Stops and closes the stream when one is open and tells the plug-in that
// no block runs any more.
void StopAudio();
bool AudioStreamRunning();
// Makes the audio object anew, lists its devices, fits the saved devices,
// channels and sample rate to what it offers (the server's rate when the
// saved one is refused) and starts the stream. True when it runs.
bool RestartAudio();
// Main thread, from a timer (now in seconds). A stream that stopped by
// itself (its server or device went away) is said once on standard error,
// and from then on, while mayRetry, RestartAudio runs every 2 seconds until
// the stream plays again. True when the stream was found lost or came back.
bool WatchAudio(double now, bool mayRetry);
// Why the stream stopped while it is lost, else "".
std::string AudioStoppedReason();
// Back to a stream that was never started (tests, shut-down).
void ForgetAudioWatch();
// Main thread, from a timer: prints "Stream underflow detected!" on standard
// output when callbacks reported underflows, with their number when there
// were several, at most once a second (now in seconds). True when it printed.
bool ReportUnderflows(double now);

// What RtAudio and RtMidi write on std::cerr is held in memory from then on
// (their audio-server threads write there while being cancelled, which no
// lock of stdio survives) and written to standard error by
// WriteLibraryReports, on the main thread.
void HoldLibraryReports();
void WriteLibraryReports();
// RtAudio silences the JACK client library's errors whenever it makes an
// audio object for JACK, and with them the platform's guard of that
// library's threads (plat::routeAudioServerMessages): called after making
// one, it puts the guard back.
void KeepAudioServerGuard();

// ---- MIDI ----

extern RtMidiIn* gMidiIn;
extern RtMidiOut* gMidiOut;
extern std::vector<std::string> gMIDIInputDevNames;
extern std::vector<std::string> gMIDIOutputDevNames;

// Makes the MIDI objects on the ALSA sequencer; false, leaving a missing
// object null, when that is not available, with the reason in why. Prints
// nothing.
bool InitialiseMidi(std::string* why = nullptr);
void ProbeMidiIO();
int GetMIDIInPortNumber(const char* name);
int GetMIDIOutPortNumber(const char* name);
// Opens the saved or chosen port. With MIDI unavailable they return false
// and keep the saved name; a port that is gone switches the side "off" and
// rewrites settings.ini.
bool ChooseMidiInput(const char* name);
bool ChooseMidiOutput(const char* name);
void MIDICallback(double deltaTime, std::vector<unsigned char>* message, void* userData);
// Cancels the input callback and closes both ports.
void ShutDownMidi();

// ---- The program (library app_program) ----

// The editor's size, which the main window is made for.
const int kEditorWidth = 650;
const int kEditorHeight = 830;

// The main window (dialog 40001); null before it is made and after it is
// destroyed.
extern HWND gHWND;

// main's whole work: hands control to the platform's application, which
// calls SHIMAppMain with the application messages.
int HostMain(int argc, char** argv);
// Registers the dialogs and the menu with the windowing layer (once).
void RegisterHostResources();
// Start-up up to the running stream: audio object and devices, MIDI, the
// plug-in with its first preset, MIDI ports and the stream. True when the
// stream runs; otherwise a line on standard error says audio is unavailable.
bool Init();
// Stops and closes audio and MIDI, deletes the plug-in, the settings records
// and the device objects. Safe to call twice and with any object missing.
void Cleanup();
INT_PTR MainDlgProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);
// Opens the plug-in's editor in the main window.
bool AttachGUI();

// Preferences (dialog 40002).
void RegisterPreferencesResource();
INT_PTR PreferencesDlgProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);
void PopulatePreferencesDialog(HWND window);
void PopulateAudioDialogs(HWND window);
void PopulateDriverSpecificControls(HWND window);
// Channel lists of a device (null: the lists stay empty).
void PopulateAudioInputList(HWND window, const RtAudio::DeviceInfo* info);
void PopulateAudioOutputList(HWND window, const RtAudio::DeviceInfo* info);
// The rates both devices offer, in the input's order (empty unless both
// were probed).
void PopulateSampleRateList(HWND window, const RtAudio::DeviceInfo* in,
                            const RtAudio::DeviceInfo* out);
void PopulateMidiDialogs(HWND window);
// The message box that says settings could not be saved ("<path>: <reason>").
void ShowSettingsSaveError(HWND window, const std::string& error);

// Test control: with HB_TEST_CONTROL=1 the program reads commands from its
// standard input and answers on standard output (app_testhook.cpp).
void StartTestControl();
