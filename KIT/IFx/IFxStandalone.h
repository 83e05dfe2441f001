#pragma once

// The plug-in as the standalone host drives it: every channel connected, a
// block size of 1024, the host identified as "standalone", and MIDI going out
// through the host's output port.

#include "IFxBase.h"
#include "kitstring.h"

// What the host hands the plug-in's constructor.
struct IFxInstanceInfo {
  KIT_String mBundleID;
  void* mMidiOut = nullptr;                // the host's RtMidiOut; not owned
  unsigned short* mMidiOutChan = nullptr;  // 0 = every channel, else 1..16
};

// The host's main window, as far as the plug-in resizes it. The host adapts
// its window to this; the framework never reaches the windowing layer itself.
class IFxHostWindow {
public:
  virtual ~IFxHostWindow() {}
  virtual bool GetFrame(int* left, int* top, int* right, int* bottom) = 0;
  virtual void SetFrame(int x, int y, int w, int h) = 0;
};

class IFxStandalone : public IFxBase {
public:
  // Height of the main window's title bar.
  static const int kTitleBarHeight = 22;

  IFxStandalone(const IFxInstanceInfo& instanceInfo, int nParams, const char* channelIOStr,
                int nPresets, const char* effectName, const char* productName, const char* mfrName,
                int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                bool plugDoesChunks, bool thirdFlag, int nSideChainChans);

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  double GetSamplePos() override { return 0.0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo*) override {}
  // Fits the host's main window around the editor, title bar included.
  void ResizeGraphics(int w, int h) override;
  // Sends nothing and returns false unless the plug-in does MIDI; rewrites the
  // channel of channel messages to the host's output channel.
  bool SendMidiMsg(IMidiMsg* msg) override;
  bool SendSysEx(ISysEx* msg) override;

  // The host's only processing entry: the block runs under the plug-in lock.
  void LockMutexAndProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);

  const char* GetBundleID() const { return mBundleID.Get(); }
  void SetHostWindow(IFxHostWindow* window) { mHostWindow = window; }

private:
  bool SendBytes(const unsigned char* bytes, int size);

  KIT_String mBundleID;
  void* mMidiOut;
  unsigned short* mMidiOutChan;
  IFxHostWindow* mHostWindow;
};
