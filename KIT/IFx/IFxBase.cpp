#include "IFxBase.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "IGraphics.h"

namespace {

int MinInt(int a, int b) {
  return a < b ? a : b;
}

void ZeroBuf(KIT_TypedBuf<double>* buf) {
  if (buf->GetSize()) memset(buf->Get(), 0, sizeof(double) * static_cast<size_t>(buf->GetSize()));
}

// Resizes a channel's scratch buffer; a slot that pointed at the old block
// follows it to the new one.
void ResizeScratch(KIT_TypedBuf<double>* buf, double** slot, int frames) {
  const bool slotOnScratch = slot && *slot == buf->Get();
  buf->Resize(frames, false);
  ZeroBuf(buf);
  if (slotOnScratch) *slot = buf->Get();
}

}  // namespace

IFxBase::IFxBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                 const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                 int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool thirdFlag,
                 EAPI plugAPI)
    : mUniqueID(uniqueID),
      mMfrID(mfrID),
      mVersion(vendorVersion),
      mAPI(plugAPI),
      mHost(kHostUninit),
      mHostVersion(0),
      mStateChunks(plugDoesChunks),
      mThirdFlag(thirdFlag),
      mDoesMIDI(plugDoesMidi),
      mSpareFlag(false),
      mCurrentPresetIdx(0),
      mSampleRate(44100.0),
      mBlockSize(0),
      mLatency(latency),
      mGraphics(nullptr) {
  for (int i = 0; i < nParams; ++i) {
    IParam* param = new IParam;
    if (!mParams.Add(param)) delete param;
  }
  for (int i = 0; i < nPresets; ++i) {
    IPreset* preset = new IPreset;
    if (!mPresets.Add(preset)) delete preset;
  }

  IFxCopyText(mEffectName, effectName, kNameLen);
  IFxCopyText(mProductName, productName, kNameLen);
  IFxCopyText(mMfrName, mfrName, kNameLen);

  // "in-out" pairs separated by blanks, such as "1-1 2-2".
  int nIn = 0, nOut = 0;
  for (const char* s = channelIOStr; s;) {
    ChannelIO io;
    if (sscanf(s, "%d-%d", &io.mIn, &io.mOut) != 2) break;
    ChannelIO* added = new ChannelIO(io);
    if (!mChannelIO.Add(added)) delete added;
    if (io.mIn > nIn) nIn = io.mIn;
    if (io.mOut > nOut) nOut = io.mOut;
    s = strchr(s, ' ');
    if (s) ++s;
  }

  // Channel records point at their slots, so only as many as the data holds.
  mInData.Resize(nIn, false);
  mOutData.Resize(nOut, false);
  for (int i = 0; i < mInData.GetSize(); ++i) {
    InChannel* ch = new InChannel;
    ch->mSrc = mInData.Get() + i;
    *ch->mSrc = nullptr;
    if (!mInChannels.Add(ch)) delete ch;
  }
  for (int i = 0; i < mOutData.GetSize(); ++i) {
    OutChannel* ch = new OutChannel;
    ch->mDest = mOutData.Get() + i;
    *ch->mDest = nullptr;
    if (!mOutChannels.Add(ch)) delete ch;
  }
}

IFxBase::~IFxBase() {
  delete mGraphics;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
  mChannelIO.Empty(true);
}

void IFxBase::Reset() {
  KIT_MutexLock lock(&mMutex);
}

void IFxBase::OnParamChange(int) {
  KIT_MutexLock lock(&mMutex);
}

void IFxBase::OnActivate(bool) {
  KIT_MutexLock lock(&mMutex);
}

void IFxBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  if (!outputs || nFrames <= 0) return;
  const size_t bytes = sizeof(double) * static_cast<size_t>(nFrames);
  for (int i = 0; i < NOutChannels(); ++i) {
    double* out = outputs[i];
    if (!out) continue;
    const double* in = inputs && i < NInChannels() ? inputs[i] : nullptr;
    if (in) {
      if (in != out) memmove(out, in, bytes);
    } else {
      memset(out, 0, bytes);
    }
  }
}

void IFxBase::ProcessMidiMsg(IMidiMsg* msg) {
  SendMidiMsg(msg);
}

bool IFxBase::MidiNoteName(int, char* name) {
  if (name) name[0] = 0;
  return false;
}

bool IFxBase::CompareState(const unsigned char* data, int startPos) {
  const int n = NParams();
  if (!n) return true;
  if (!data) return false;
  const unsigned char* p = data + startPos;
  for (int i = 0; i < n; ++i) {
    double stored;
    memcpy(&stored, p + 8 * i, sizeof(stored));
    const float a = static_cast<float>(GetParam(i)->Value());
    const float b = std::fabs(stored) > 3.0e38 ? static_cast<float>(std::copysign(3.0e38, stored))
                                               : static_cast<float>(stored);
    if (!(std::fabs(a - b) < 1e-5f)) return false;
  }
  return true;
}

void IFxBase::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  IParam* param = GetParam(paramIdx);
  if (!param || std::isnan(normalizedValue)) return;
  KIT_MutexLock lock(&mMutex);
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx);
}

void IFxBase::AttachGraphics(IGraphics* graphics) {
  if (!graphics) return;
  KIT_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i)
    graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  graphics->PrepDraw();
  if (mGraphics != graphics) delete mGraphics;
  mGraphics = graphics;
}

void IFxBase::RedrawParamControls() {
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i)
    mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

void IFxBase::SetBlockSize(int blockSize) {
  if (blockSize < 0) blockSize = 0;
  if (blockSize == mBlockSize) return;
  for (int i = 0; i < NInChannels(); ++i) {
    InChannel* ch = mInChannels.Get(i);
    ResizeScratch(&ch->mScratchBuf, ch->mSrc, blockSize);
  }
  for (int i = 0; i < NOutChannels(); ++i) {
    OutChannel* ch = mOutChannels.Get(i);
    ResizeScratch(&ch->mScratchBuf, ch->mDest, blockSize);
  }
  mBlockSize = blockSize;
}

int IFxBase::GetEffectVersion(bool decimal) const {
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IFxBase::GetEffectVersionStr(char* out) const {
  GetVersionStr(mVersion, out);
}

int IFxBase::GetHostVersion(bool decimal) {
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IFxBase::GetHostVersionStr(char* out) {
  GetHost();
  GetVersionStr(mHostVersion, out);
}

void IFxBase::SetHost(const char* host, int version) {
  mHost = LookUpHost(host);
  mHostVersion = version;
  OnHostIdentified();
}

void IFxBase::OnParamReset() {
  for (int i = 0; i < NParams(); ++i) OnParamChange(i);
}

void IFxBase::DirtyParameters() {
  KIT_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

bool IFxBase::SendMidiMsgs(KIT_PtrList<IMidiMsg>* msgs) {
  bool all = true;
  for (int i = 0; msgs && i < msgs->GetSize(); ++i)
    if (!SendMidiMsg(msgs->Get(i))) all = false;
  return all;
}

double IFxBase::GetSamplesPerBeat() {
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

bool IFxBase::GetChannelIO(int idx, int* nIn, int* nOut) const {
  const ChannelIO* io = mChannelIO.Get(idx);
  if (!io) return false;
  if (nIn) *nIn = io->mIn;
  if (nOut) *nOut = io->mOut;
  return true;
}

bool IFxBase::LegalIO(int nIn, int nOut) const {
  for (int i = 0; i < NChannelIO(); ++i) {
    const ChannelIO* io = mChannelIO.Get(i);
    if ((nIn < 0 || nIn == io->mIn) && (nOut < 0 || nOut == io->mOut)) return true;
  }
  return false;
}

void IFxBase::LimitToStereoIO() {
  if (NInChannels() > 2) SetInputChannelConnections(2, NInChannels() - 2, false);
  if (NOutChannels() > 2) SetOutputChannelConnections(2, NOutChannels() - 2, true);
}

void IFxBase::SetInputChannelConnections(int idx, int n, bool connected) {
  const int end = MinInt(idx + n, NInChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    InChannel* ch = mInChannels.Get(i);
    ch->mConnected = connected;
    if (!connected) *ch->mSrc = ch->mScratchBuf.Get();
  }
}

void IFxBase::SetOutputChannelConnections(int idx, int n, bool connected) {
  const int end = MinInt(idx + n, NOutChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    OutChannel* ch = mOutChannels.Get(i);
    ch->mConnected = connected;
    if (!connected) {
      *ch->mDest = ch->mScratchBuf.Get();
      ch->mFDest = nullptr;
    }
  }
}

bool IFxBase::IsInChannelConnected(int chIdx) const {
  const InChannel* ch = mInChannels.Get(chIdx);
  return ch && ch->mConnected;
}

bool IFxBase::IsOutChannelConnected(int chIdx) const {
  const OutChannel* ch = mOutChannels.Get(chIdx);
  return ch && ch->mConnected;
}

void IFxBase::SetInputLabel(int idx, const char* label) {
  if (InChannel* ch = mInChannels.Get(idx)) ch->mLabel.Set(label ? label : "");
}

void IFxBase::SetOutputLabel(int idx, const char* label) {
  if (OutChannel* ch = mOutChannels.Get(idx)) ch->mLabel.Set(label ? label : "");
}

const char* IFxBase::GetInputLabel(int idx) const {
  const InChannel* ch = mInChannels.Get(idx);
  return ch ? ch->mLabel.Get() : "";
}

const char* IFxBase::GetOutputLabel(int idx) const {
  const OutChannel* ch = mOutChannels.Get(idx);
  return ch ? ch->mLabel.Get() : "";
}

namespace {

void ReplaceBusLabel(KIT_PtrList<KIT_String>* labels, int idx, const char* label) {
  labels->Delete(idx, true);
  KIT_String* s = new KIT_String(label ? label : "");
  if (!labels->Insert(idx, s)) delete s;
}

}  // namespace

void IFxBase::SetInputBusLabel(int idx, const char* label) {
  if (idx == 0 || idx == 1) ReplaceBusLabel(&mInputBusLabels, idx, label);
}

void IFxBase::SetOutputBusLabel(int idx, const char* label) {
  if (idx >= 0) ReplaceBusLabel(&mOutputBusLabels, idx, label);
}

const char* IFxBase::GetInputBusLabel(int idx) const {
  const KIT_String* s = mInputBusLabels.Get(idx);
  return s ? s->Get() : "";
}

const char* IFxBase::GetOutputBusLabel(int idx) const {
  const KIT_String* s = mOutputBusLabels.Get(idx);
  return s ? s->Get() : "";
}

int IFxBase::FramesInScratch(int nFrames) const {
  int n = nFrames < 0 ? 0 : nFrames;
  for (int i = 0; i < NInChannels(); ++i) n = MinInt(n, mInChannels.Get(i)->mScratchBuf.GetSize());
  for (int i = 0; i < NOutChannels(); ++i)
    n = MinInt(n, mOutChannels.Get(i)->mScratchBuf.GetSize());
  return n;
}

void IFxBase::AttachInputBuffers(int idx, int n, double** ppData, int) {
  if (!ppData) return;
  const int end = MinInt(idx + n, NInChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    InChannel* ch = mInChannels.Get(i);
    if (ch->mConnected) *ch->mSrc = *ppData++;
  }
}

void IFxBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames) {
  if (!ppData) return;
  const int frames = FramesInScratch(nFrames);
  const int end = MinInt(idx + n, NInChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    InChannel* ch = mInChannels.Get(i);
    if (!ch->mConnected) continue;
    const float* src = *ppData++;
    double* dst = ch->mScratchBuf.Get();
    if (src)
      for (int s = 0; s < frames; ++s) dst[s] = src[s];
    *ch->mSrc = dst;
  }
}

void IFxBase::AttachOutputBuffers(int idx, int n, double** ppData) {
  if (!ppData) return;
  const int end = MinInt(idx + n, NOutChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    OutChannel* ch = mOutChannels.Get(i);
    if (ch->mConnected) *ch->mDest = *ppData++;
  }
}

void IFxBase::AttachOutputBuffers(int idx, int n, float** ppData) {
  if (!ppData) return;
  const int end = MinInt(idx + n, NOutChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    OutChannel* ch = mOutChannels.Get(i);
    if (!ch->mConnected) continue;
    *ch->mDest = ch->mScratchBuf.Get();
    ch->mFDest = *ppData++;
  }
}

void IFxBase::CopyOutputsToFloat(int nFrames, bool accumulate) {
  for (int i = 0; i < NOutChannels(); ++i) {
    OutChannel* ch = mOutChannels.Get(i);
    if (!ch->mConnected || !ch->mFDest) continue;
    const double* src = ch->mScratchBuf.Get();
    float* dst = ch->mFDest;
    if (accumulate)
      for (int s = 0; s < nFrames; ++s) dst[s] += static_cast<float>(src[s]);
    else
      for (int s = 0; s < nFrames; ++s) dst[s] = static_cast<float>(src[s]);
  }
}

void IFxBase::PassThroughBuffers(double, int nFrames) {
  IFxBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IFxBase::PassThroughBuffers(float, int nFrames) {
  const int frames = FramesInScratch(nFrames);
  PassThroughBuffers(0.0, frames);
  CopyOutputsToFloat(frames, false);
}

void IFxBase::ProcessBuffers(double, int nFrames) {
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IFxBase::ProcessBuffers(float, int nFrames) {
  const int frames = FramesInScratch(nFrames);
  ProcessBuffers(0.0, frames);
  CopyOutputsToFloat(frames, false);
}

void IFxBase::ProcessBuffersAccumulating(float, int nFrames) {
  const int frames = FramesInScratch(nFrames);
  ProcessBuffers(0.0, frames);
  CopyOutputsToFloat(frames, true);
}

void IFxBase::ZeroScratchBuffers() {
  for (int i = 0; i < NInChannels(); ++i) ZeroBuf(&mInChannels.Get(i)->mScratchBuf);
  for (int i = 0; i < NOutChannels(); ++i) ZeroBuf(&mOutChannels.Get(i)->mScratchBuf);
}

bool IFxBase::SerializeParams(ByteChunk* chunk) {
  if (!chunk) return false;
  KIT_MutexLock lock(&mMutex);
  const int start = chunk->Size();
  for (int i = 0; i < NParams(); ++i) {
    const double v = GetParam(i)->Value();
    if (chunk->Put(&v) < 0) {
      chunk->Resize(start);
      return false;
    }
  }
  return true;
}

int IFxBase::UnserializeParams(ByteChunk* chunk, int startPos) {
  KIT_MutexLock lock(&mMutex);
  const int n = NParams();
  if (startPos < 0) {
    OnParamReset();
    return startPos;
  }
  // Everything is checked before anything changes, so a short chunk or a NaN
  // leaves every parameter as it was.
  if (!chunk || static_cast<long long>(startPos) + 8LL * n > chunk->Size()) return -1;
  for (int i = 0; i < n; ++i) {
    double v;
    chunk->Get(&v, startPos + 8 * i);
    if (std::isnan(v)) return -1;
  }
  int pos = startPos;
  for (int i = 0; i < n; ++i) {
    IParam* param = GetParam(i);
    double v = 0.0;
    pos = chunk->Get(&v, pos);
    if (v < param->GetMin()) v = param->GetMin();
    if (v > param->GetMax()) v = param->GetMax();
    param->Set(v);
  }
  OnParamReset();
  return pos;
}
