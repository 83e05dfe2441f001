#include "IFxStandalone.h"

#include <RtMidi.h>

#include "IGraphics.h"

IFxStandalone::IFxStandalone(const IFxInstanceInfo& instanceInfo, int nParams,
                             const char* channelIOStr, int nPresets, const char* effectName,
                             const char* productName, const char* mfrName, int vendorVersion,
                             int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                             bool plugDoesChunks, bool thirdFlag, int)
    : IFxBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
              uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, thirdFlag, kAPIStandalone),
      mBundleID(instanceInfo.mBundleID),
      mMidiOut(instanceInfo.mMidiOut),
      mMidiOutChan(instanceInfo.mMidiOutChan),
      mHostWindow(nullptr) {
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  SetBlockSize(1024);
  SetHost("standalone", vendorVersion);
}

void IFxStandalone::ResizeGraphics(int, int) {
  IGraphics* gui = GetGUI();
  if (!gui || !mHostWindow) return;
  int left = 0, top = 0, right = 0, bottom = 0;
  if (!mHostWindow->GetFrame(&left, &top, &right, &bottom)) return;
  const int h = gui->Height();
  mHostWindow->SetFrame(left, bottom - kTitleBarHeight - h, gui->Width(), h + kTitleBarHeight);
  OnWindowResize();
}

bool IFxStandalone::SendMidiMsg(IMidiMsg* msg) {
  if (!DoesMIDI() || !msg) return false;
  IMidiMsg out = *msg;
  const int channel = mMidiOutChan ? *mMidiOutChan : 0;
  // System messages carry no channel: their status byte stays as it is.
  const IMidiMsg::EStatusMsg kind = out.StatusMsg();
  if (channel >= 1 && channel <= 16 && kind != IMidiMsg::kNone)
    out.mStatus = static_cast<uint8_t>((kind << 4) | (channel - 1));
  const unsigned char bytes[3] = {out.mStatus, out.mData1, out.mData2};
  return SendBytes(bytes, 3);
}

bool IFxStandalone::SendSysEx(ISysEx* msg) {
  if (!msg || !msg->mData || msg->mSize <= 0) return false;
  return SendBytes(msg->mData, msg->mSize);
}

bool IFxStandalone::SendBytes(const unsigned char* bytes, int size) {
  if (!mMidiOut) return false;
  try {
    static_cast<RtMidiOut*>(mMidiOut)->sendMessage(bytes, static_cast<size_t>(size));
  } catch (const RtMidiError&) {
    // A port that went away must not take the MIDI thread down with it.
    return false;
  }
  return true;
}

void IFxStandalone::LockMutexAndProcessDoubleReplacing(double** inputs, double** outputs,
                                                       int nFrames) {
  KIT_MutexLock lock(GetMutex());
  ProcessDoubleReplacing(inputs, outputs, nFrames);
}
