#pragma once

// The abstract plug-in: parameters, preset slots, channel model and the
// plug-in lock, and the virtual interface through which a host drives a
// plug-in and the plug-in answers.

#include "ByteChunk.h"
#include "IFxMidi.h"
#include "IFxUtil.h"
#include "IParam.h"
#include "kitstring.h"
#include "mutex.h"
#include "ptrlist.h"

class IGraphics;

// Transport information of a host; the standalone host writes none.
struct ITimeInfo {
  double mTempo = 120.0;
  double mSamplePos = 0.0;
  int mNumerator = 4;
  int mDenominator = 4;
};

// The first uninitialised preset of the list, or null.
IPreset* GetNextUninitializedPreset(KIT_PtrList<IPreset>* presets);
// Writes "user preset N", N being 1 + the number of presets whose name holds
// "user preset"; out must hold IPreset::kNameLen characters.
void MakeDefaultUserPresetName(KIT_PtrList<IPreset>* presets, char* out);

class IFxBase {
public:
  static const int kNameLen = 128;  // effect, product and maker names, terminator included

  IFxBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
          const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
          int latency, bool plugDoesMidi, bool plugDoesChunks, bool thirdFlag, EAPI plugAPI);
  virtual ~IFxBase();
  IFxBase(const IFxBase&) = delete;
  IFxBase& operator=(const IFxBase&) = delete;

  // Virtual interface, in slot order.
  virtual void Reset();
  virtual void OnParamChange(int paramIdx);
  // Copies input i to output i for the channels both sides have and zeroes
  // the other outputs.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);
  // Passes the message on to SendMidiMsg.
  virtual void ProcessMidiMsg(IMidiMsg* msg);
  virtual void ProcessSysEx(ISysEx*) {}
  virtual bool MidiNoteName(int noteNumber, char* name);
  virtual bool SerializeState(ByteChunk* chunk) { return SerializeParams(chunk); }
  // Returns the position after the state, or -1.
  virtual int UnserializeState(ByteChunk* chunk, int startPos) {
    return UnserializeParams(chunk, startPos);
  }
  virtual bool CompareState(const unsigned char* data, int startPos);
  virtual void OnWindowResize() {}
  virtual bool HostRequestingAboutBox() { return false; }
  virtual void OnHostIdentified() {}
  virtual void PopupHostContextMenuForParam(int, int, int) {}
  // The path of every editor change: under the plug-in lock, sets the
  // parameter, informs the host and calls OnParamChange.
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfProgramChange() = 0;
  virtual bool IsRenderingOffline() { return false; }
  virtual double GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* numerator, int* denominator) = 0;
  virtual void GetTime(ITimeInfo* timeInfo) = 0;
  virtual EHost GetHost() { return mHost; }
  virtual EAPI GetAPI() { return mAPI; }
  virtual void ResizeGraphics(int w, int h) = 0;
  virtual void HostSpecificInit() {}
  // Pushes every parameter to the editor, prepares it and takes it over.
  virtual void AttachGraphics(IGraphics* graphics);
  virtual void SetLatency(int samples) { mLatency = samples; }
  virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
  virtual bool SendSysEx(ISysEx*) { return false; }
  virtual void RedrawParamControls();
  virtual void DirtyPTCompareState() {}
  virtual void PresetsChangedByHost() {}
  // Resizes and zeroes the channel scratch buffers when the size changes.
  virtual void SetBlockSize(int blockSize);

  // Identity.
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion(bool decimal) const;
  void GetEffectVersionStr(char* out) const;
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* out);
  // Identifies the host by name (LookUpHost) and stores its version.
  void SetHost(const char* host, int version);
  const char* GetAPIString() { return GetAPINameStr(GetAPI()); }
  const char* GetArchString() const { return "x64"; }
  bool DoesMIDI() const { return mDoesMIDI; }
  bool DoesStateChunks() const { return mStateChunks; }

  // Parameters.
  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  IGraphics* GetGUI() const { return mGraphics; }
  KIT_Mutex* GetMutex() { return &mMutex; }
  void OnParamReset();
  void DirtyParameters();
  // Sends every message; true only when every one was sent.
  bool SendMidiMsgs(KIT_PtrList<IMidiMsg>* msgs);

  // Audio settings.
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  double GetSamplesPerBeat();

  // Channels.
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  int NChannelIO() const { return mChannelIO.GetSize(); }
  // The pair at idx; false outside the list.
  bool GetChannelIO(int idx, int* nIn, int* nOut) const;
  bool LegalIO(int nIn, int nOut) const;
  void LimitToStereoIO();
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);
  const char* GetInputLabel(int idx) const;
  const char* GetOutputLabel(int idx) const;
  void SetInputBusLabel(int idx, const char* label);
  void SetOutputBusLabel(int idx, const char* label);
  const char* GetInputBusLabel(int idx) const;
  const char* GetOutputBusLabel(int idx) const;

  // Buffers for hosts that hand over their own. The float forms work on at
  // most the frames the scratch buffers hold (the block size).
  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** ppData);
  void AttachOutputBuffers(int idx, int n, float** ppData);
  void PassThroughBuffers(double sampleType, int nFrames);
  void PassThroughBuffers(float sampleType, int nFrames);
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  void ProcessBuffersAccumulating(float sampleType, int nFrames);
  void ZeroScratchBuffers();

  // Parameter state: one plain double per parameter, in order.
  bool SerializeParams(ByteChunk* chunk);
  // Reads every parameter from startPos; returns the position after the last,
  // or -1. A chunk that is too short or holds a NaN is refused as a whole:
  // nothing changes.
  int UnserializeParams(ByteChunk* chunk, int startPos);

  // Presets.
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  const IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }
  const char* GetPresetName(int idx) const;
  bool MakePresetFromChunk(const char* name, ByteChunk* chunk);
  // One value per parameter: int for bool, int and enum parameters, double for
  // double parameters.
  bool MakePreset(const char* name, ...);
  // nParamsNamed pairs of (int parameter index, value typed as in MakePreset);
  // parameters not named keep their current value.
  bool MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  bool MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  void EnsureDefaultPreset();
  void PruneUninitializedPresets();
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  // Stores the running state (and a non-empty name) in the current preset.
  bool ModifyCurrentPreset(const char* name = nullptr);
  bool SerializePresets(ByteChunk* chunk);
  // Reads a preset bank; returns the position after it, or -1 with the presets
  // and the running state as they were.
  int UnserializePresets(ByteChunk* chunk, int startPos);

  // Program and bank files in the big-endian "CcnK" container.
  bool SaveProgramAsFXP(const char* file);
  bool SaveBankAsFXB(const char* file);
  // Both refuse a file that does not load completely, leaving the running
  // state and the presets as they were.
  bool LoadProgramFromFXP(const char* file);
  bool LoadBankFromFXB(const char* file);
  // Empties the chunk and writes the framework's state-block head.
  static void InitChunkWithIFxVer(ByteChunk* chunk);
  // Reads a state-block head at *position: returns its version and moves past
  // it, or returns 0 and leaves the position.
  static int GetIFxVerFromChunk(ByteChunk* chunk, int* position);

  // Preset source dumps.
  bool DumpPresetSrcCode(const char* file, const char* paramEnumNames[]);
  bool DumpPresetBlob(const char* file);
  bool DumpBankBlob(const char* file);

protected:
  struct ChannelIO {
    int mIn, mOut;
  };
  struct InChannel {
    bool mConnected = false;
    double** mSrc = nullptr;  // this channel's slot in the input data
    KIT_TypedBuf<double> mScratchBuf;
    KIT_String mLabel;
  };
  struct OutChannel {
    bool mConnected = false;
    double** mDest = nullptr;  // this channel's slot in the output data
    float* mFDest = nullptr;
    KIT_TypedBuf<double> mScratchBuf;
    KIT_String mLabel;
  };
  // Everything a failed load must put back: the running state, copies of the
  // presets and the current preset index.
  struct Backup {
    ByteChunk mLive;
    KIT_PtrList<IPreset> mPresets;
    int mCurrentIdx = 0;
    ~Backup() { mPresets.Empty(true); }
  };

  bool TakeBackup(Backup* backup);
  void RestoreBackup(Backup* backup);
  // Snapshot taken, the load applied and, when it fails, everything put back.
  bool LoadProgramData(const unsigned char* data, int size);
  bool LoadBankData(const unsigned char* data, int size);
  bool ApplyParamBank(const unsigned char* programs, int nPrograms, int currentIdx);
  int FramesInScratch(int nFrames) const;
  void CopyOutputsToFloat(int nFrames, bool accumulate);

  KIT_PtrList<ChannelIO> mChannelIO;
  KIT_Mutex mMutex;
  char mEffectName[kNameLen], mProductName[kNameLen], mMfrName[kNameLen];
  int mUniqueID, mMfrID, mVersion;
  EAPI mAPI;
  EHost mHost;
  int mHostVersion;
  bool mStateChunks, mThirdFlag, mDoesMIDI, mSpareFlag;
  int mCurrentPresetIdx;
  double mSampleRate;
  int mBlockSize, mLatency;
  ByteChunk mState;  // the comparison state
  IGraphics* mGraphics;
  KIT_PtrList<IParam> mParams;
  KIT_PtrList<IPreset> mPresets;
  KIT_TypedBuf<double*> mInData, mOutData;
  KIT_PtrList<InChannel> mInChannels;
  KIT_PtrList<OutChannel> mOutChannels;
  KIT_PtrList<KIT_String> mInputBusLabels, mOutputBusLabels;
};
