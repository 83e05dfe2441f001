#pragma once

// Gives a test the host's globals in their start-up state and puts them
// back afterwards: settings records with their defaults, no audio or MIDI
// objects, no plug-in.

#include "IFxStandalone.h"
#include "app_main.h"

class HostGlobals {
public:
  HostGlobals() {
    Clear();
    gState = new AppState;
    gTempState = new AppState;
    gActiveState = new AppState;
    SetAppStateDefaults(gState);
    SetAppStateDefaults(gTempState);
    SetAppStateDefaults(gActiveState);
  }
  ~HostGlobals() {
    gPluginInstance = nullptr;  // the test's plug-in may be gone already
    StopAudio();
    delete gDAC;
    gDAC = nullptr;
    ShutDownMidi();
    delete gMidiIn;
    delete gMidiOut;
    gMidiIn = nullptr;
    gMidiOut = nullptr;
    Clear();
  }
  HostGlobals(const HostGlobals&) = delete;
  HostGlobals& operator=(const HostGlobals&) = delete;

private:
  static void Clear() {
    FreeAppStates();
    gPluginInstance = nullptr;
    gINIPath[0] = 0;
    gFirstStart = false;
    gAudioInputDevs.clear();
    gAudioOutputDevs.clear();
    gAudioIDDevNames.clear();
    gAudioDevInfos.clear();
    gMIDIInputDevNames.clear();
    gMIDIOutputDevNames.clear();
    gIOVS = 512;
    gSigVS = 32;
    gBufIndex = 0;
    gVecElapsed = 0;
    gFadeMult = 0.0;
    gUnderflows = 0;
    ForgetAudioWatch();
  }
};
