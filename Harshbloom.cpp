// Construction, start-up, presets, the state chunk and activation.

#include "Harshbloom.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "HarshbloomParams.h"
#include "IGraphics.h"

using Rawnfield::PlugConfig;
namespace Tags = Rawnfield::Harshbloom;

namespace {

constexpr int kConfigTextsOffset = 4 + 8 * 9;                             // 76
constexpr int kCountOffset = 4 + Harshbloom::kConfigBlockSize;            // 5196
constexpr int kCurveOffset = kCountOffset + 4;                            // 5200
constexpr int kParamsOffset = kCurveOffset + 8 * Harshbloom::kCurveSize;  // 9296

// The configuration block of a state chunk: its length, the nine numbers and
// the five texts.
bool appendConfig(ByteChunk* chunk, const PlugConfig& config) {
  const int32_t length = Harshbloom::kConfigBlockSize;
  bool ok = chunk->Put(&length) >= 0;
  const double numbers[] = {config.versionMajor,    config.versionMinor,    config.versionBuild,
                            config.versionRevision, config.visibleTab,      config.scopeDrawMode,
                            config.scopeDrawInput,  config.scopeDrawOutput, config.scopeZoom};
  for (double v : numbers) ok = ok && chunk->Put(&v) >= 0;
  for (const auto& text : config.texts)
    ok = ok && chunk->PutBytes(text, static_cast<int>(PlugConfig::kTextSize)) >= 0;
  return ok;
}

// A number within lo..hi; a NaN keeps the field as it was.
void storeWithin(double& field, double v, double lo, double hi) {
  if (std::isnan(v)) return;
  field = v < lo ? lo : (v > hi ? hi : v);
}

double readDouble(const ByteChunk* chunk, int pos) {
  double v = 0.0;
  chunk->Get(&v, pos);
  return v;
}

}  // namespace

Harshbloom::Harshbloom(const IFxInstanceInfo& info)
    : IFxStandalone(info, kNumParams, "1-1 2-2", kNumPresets, "Harshbloom 1.1", "", "Rawnfield",
                    kVendorVersion, kUniqueID, kMfrID, 0, false, true, false, 0),
      mSubBand(mDistoFx.subBand().distortion),
      mCurveStage(mDistoFx.provider),
      mConfig(Rawnfield::VersionInfo::mMajor, Rawnfield::VersionInfo::mMinor,
              Rawnfield::VersionInfo::mBuild, Rawnfield::VersionInfo::mRevision) {
  for (auto& level : mMaxLevel) level.store(0.0);
  for (auto& level : mLevel) level.store(0.0);
  for (auto& flag : mDirty) flag.store(false);
  for (auto& flag : mTextChanged) flag.store(false);

  init();
  createPresetChunks();
  registerParameters();
  // The units follow the live program from the start, before any preset is
  // restored.
  {
    KIT_MutexLock lock(GetMutex());
    for (int i = 0; i < NParams(); ++i) InternalParamChange(i);
  }
  createEditor();
  Reset();
}

Harshbloom::~Harshbloom() {
  // The editor goes first, while the effect its controls point to is whole:
  // the curve editor takes its drawn curve back on the way.
  IGraphics* editor = mGraphics;
  mGraphics = nullptr;
  delete editor;
}

void Harshbloom::init() {
  Rawnfield::DistortionDataProvider& provider = mDistoFx.provider;
  mDistoFx.init();
  mCurveStage.init();
  mLiveProgram.getProgram().init();
  mMaxLevelResetRequest.store(false);
  mPendingCurveAction.store(Rawnfield::Types::kNoCurveAction);
  mFilter.init(provider);

  mInput.volume = 1.0;
  mInput.offset = 0.5;
  mInput.init(provider);  // smoother speeds, then the saturator and its threshold
  // init resets the threshold, so the fast threshold comes after it.
  mOutputSaturator.init(provider);
  mOutputSaturator.setDryWetThreshold(Rawnfield::Saturator::kFastDryWetThreshold);
  mSubBand.init(provider);

  mDryWetSmoother.state = 0.0;
  mBypassSmoother.state = 0.0;
  mBypassGain = 0.0;
  initInternalParameters();

  mScope.resize(kScopeSize);

  for (int i = HarshbloomParams::kFirstReserved; i < kNumParams; ++i)
    HarshbloomParams::initParam(GetParam(i), i, 0.0);
}

void Harshbloom::initInternalParameters() {
  KIT_MutexLock lock(GetMutex());
  mPanSmoother = Rawnfield::Smoother(0.9777, 0.5);
  mVolumeSmoother = Rawnfield::Smoother(0.9777, 1.0);
  mDryWetSmoother.setCoefficient(0.9777);
  mBypassSmoother.setCoefficient(0.988);

  mLevelFollower.attackTime = 0.01;
  mLevelFollower.releaseTime = 0.5;
  mLevelFollower.setSampleRate(mLevelFollower.sampleRate);
}

void Harshbloom::createPresetChunks() {
  const std::vector<Rawnfield::HarshbloomProgram> programs =
      Rawnfield::HarshbloomProgram::getFactoryPrograms();
  if (programs.empty()) return;
  mLiveProgram.setProgram(programs.front().getProgram());
  for (const Rawnfield::HarshbloomProgram& program : programs) {
    ByteChunk chunk;
    const std::vector<double> data = program.getDataVector(mDistoFx.master().distortion);
    const int32_t count = static_cast<int32_t>(data.size());
    bool ok = appendConfig(&chunk, mConfig) && chunk.Put(&count) >= 0;
    for (double v : data) ok = ok && chunk.Put(&v) >= 0;
    if (ok) MakePresetFromChunk(program.getProgramName().c_str(), &chunk);
  }
}

void Harshbloom::registerParameters() {
  // Defaults are the live program's values: the first factory program.
  for (int i = 0; i < HarshbloomParams::kFirstReserved; ++i)
    HarshbloomParams::initParam(
        GetParam(i), i, mLiveProgram.getParameterValue(static_cast<Tags::eParameterTags>(i)));
}

void Harshbloom::setParamValue(int paramIdx, double v) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  if (std::isnan(v)) {
    // The parameter's own default is the one NaN it may hold; setting a NaN
    // is otherwise refused by the parameter, so it is initialised afresh.
    if (paramIdx == Tags::kHqFilter) HarshbloomParams::initParam(param, paramIdx, v);
    return;
  }
  param->Set(v < param->GetMin() ? param->GetMin() : (v > param->GetMax() ? param->GetMax() : v));
}

bool Harshbloom::SerializeState(ByteChunk* chunk) {
  if (!chunk) return false;
  KIT_MutexLock lock(GetMutex());
  const int start = chunk->Size();
  const int32_t count = kStateValueCount;
  bool ok = appendConfig(chunk, mConfig) && chunk->Put(&count) >= 0;
  const Rawnfield::Distortion& master = mDistoFx.master().distortion;
  for (int i = 0; i < kCurveSize && ok; ++i) {
    const double v = master.getLutValue(static_cast<unsigned short>(i));
    ok = chunk->Put(&v) >= 0;
  }
  ok = ok && SerializeParams(chunk);
  if (!ok) chunk->Resize(start);
  return ok;
}

int Harshbloom::UnserializeState(ByteChunk* chunk, int startPos) {
  KIT_MutexLock lock(GetMutex());
  // Everything is checked before anything changes: a refused chunk leaves
  // the plug-in as it was.
  if (!chunk || startPos < 0) return -1;
  const int n = NParams();
  const long long end = static_cast<long long>(startPos) + kParamsOffset + 8LL * n;
  if (end > chunk->Size()) return -1;
  int32_t length = 0, count = 0;
  chunk->Get(&length, startPos);
  chunk->Get(&count, startPos + kCountOffset);
  if (length != kConfigBlockSize || count != kStateValueCount || n != kNumParams) return -1;
  double params[kNumParams];
  for (int i = 0; i < n; ++i) {
    params[i] = readDouble(chunk, startPos + kParamsOffset + 8 * i);
    if (std::isnan(params[i]) && i != Tags::kHqFilter) return -1;
  }

  // A preset holds the configuration of the moment it was made; restoring
  // one changes the sound, not the editor's settings and file paths.
  bool presetSlot = false;
  for (int i = 0; i < NPresets() && !presetSlot; ++i) presetSlot = &GetPreset(i)->mChunk == chunk;
  if (!presetSlot) {
    // The version numbers are those of the running plug-in, never the chunk's.
    const int numbers = startPos + 4 + 8 * 4;
    storeWithin(mConfig.visibleTab, readDouble(chunk, numbers), 0.0, PlugConfig::kMaxTabOrMode);
    storeWithin(mConfig.scopeDrawMode, readDouble(chunk, numbers + 8), 0.0,
                PlugConfig::kMaxTabOrMode);
    storeWithin(mConfig.scopeDrawInput, readDouble(chunk, numbers + 16), 0.0, 1.0);
    storeWithin(mConfig.scopeDrawOutput, readDouble(chunk, numbers + 24), 0.0, 1.0);
    mConfig.setScopeZoom(readDouble(chunk, numbers + 32));
    for (int t = 0; t < PlugConfig::kNumTexts; ++t)
      chunk->GetBytes(mConfig.texts[t], static_cast<int>(PlugConfig::kTextSize),
                      startPos + kConfigTextsOffset + t * static_cast<int>(PlugConfig::kTextSize));
    mConfig.terminateTexts();
  }

  // A preset chosen while blocks run is settled by them before it is heard
  // (below): meanwhile its units may take their values one at a time, the
  // lock handed to a waiting block between two, so that no block waits for
  // the whole preset.
  const bool settled = presetSlot && isPlaying();
  if (settled) beginProgramChange();
  for (int i = 0; i < n; ++i) setParamValue(i, params[i]);
  for (int i = 0; i < n; ++i) {
    if (settled && i) {
      GetMutex()->Unlock();
      GetMutex()->Lock();
    }
    InternalParamChange(i);
  }

  // The curve goes into the table of the type just set.
  double curve[kCurveSize];
  for (int i = 0; i < kCurveSize; ++i)
    curve[i] = readDouble(chunk, startPos + kCurveOffset + 8 * i);
  mDistoFx.restoreUserCurve(curve, kCurveSize);
  // A preset chosen while blocks run moves every unit at once: the next
  // blocks settle the chain before it is heard again, from its final state.
  if (settled) beginProgramChange();
  updateDistoCurveDisplay();
  updateGUI();
  return static_cast<int>(end);
}

bool Harshbloom::CompareState(const unsigned char* data, int startPos) {
  if (!data || startPos < 0) return false;
  KIT_MutexLock lock(GetMutex());
  const Rawnfield::Distortion& master = mDistoFx.master().distortion;
  for (int i = 0; i < kCurveSize; ++i) {
    const double v = master.getLutValue(static_cast<unsigned short>(i));
    if (memcmp(&v, data + startPos + 8 * i, sizeof v) != 0) return false;
  }
  return IFxBase::CompareState(data, startPos + 8 * kCurveSize);
}

void Harshbloom::OnActivate(bool active) {
  KIT_MutexLock lock(GetMutex());
  mActive.store(active, std::memory_order_release);
  if (active) {
    markDirty(kHostInfoText);
  } else {
    // Requests made just before the stream stopped are not left waiting.
    const int action = mPendingCurveAction.exchange(Rawnfield::Types::kNoCurveAction);
    if (action != Rawnfield::Types::kNoCurveAction)
      applyCurveAction(static_cast<Rawnfield::Types::eDistoCurveAction>(action));
    if (mMaxLevelResetRequest.exchange(false)) clearMaxLevels();
  }
}

void Harshbloom::OnHostIdentified() {
  setValueText(kHostOsInfoText, getTechHostOsInfoString().c_str());
}

std::string Harshbloom::getTechHostOsInfoString() {
  char host[kMaxHostNameLen];
  GetHostNameStr(GetHost(), host);
  return std::string("Standalone") + " Plugin Host: " + host + " (" + "Linux" + " " + "64-bit" +
         ")";
}

void Harshbloom::PresetsChangedByHost() {
  mCurveView.store(kDistortionView);
  markDirty(kPresetDisplay);
}

Rawnfield::Types::eDistortionType Harshbloom::getDistortionType() const {
  return static_cast<Rawnfield::Types::eDistortionType>(mDistoFx.chains[0].distortion.getType());
}

void Harshbloom::setCurveEditor(Rawnfield::DrawnCurve* curve) {
  KIT_MutexLock lock(GetMutex());
  mCurveEditor = curve;
}

void Harshbloom::setFreeze(bool freeze) {
  KIT_MutexLock lock(GetMutex());  // the ring's writers take turns
  mFreeze.store(freeze, std::memory_order_relaxed);
  if (freeze) return;
  Rawnfield::Types::VisSample blank;
  blank.gap = true;
  for (int i = 0; i < 20; ++i) mScope.write(blank);
}

bool Harshbloom::takeDirty(eDisplay which) {
  return which >= 0 && which < kNumDisplays && mDirty[which].exchange(false);
}

bool Harshbloom::isDirty(eDisplay which) const {
  return which >= 0 && which < kNumDisplays && mDirty[which].load();
}

void Harshbloom::setValueText(eValueText which, const char* text) {
  if (which < 0 || which >= kNumValueTexts) return;
  KIT_MutexLock lock(GetMutex());
  IFxCopyText(mValueTexts[which], text, kValueTextSize);
  mTextChanged[which].store(true, std::memory_order_release);
}

std::string Harshbloom::getValueText(eValueText which) const {
  if (which < 0 || which >= kNumValueTexts) return std::string();
  KIT_MutexLock lock(const_cast<Harshbloom*>(this)->GetMutex());
  return mValueTexts[which];
}

bool Harshbloom::takeTextChanged(eValueText which) {
  return which >= 0 && which < kNumValueTexts && mTextChanged[which].exchange(false);
}

Harshbloom* MakePlug(void* midiOutput, unsigned short* midiOutChannel) {
  static KIT_Mutex sMutex;
  KIT_MutexLock lock(&sMutex);
  IFxInstanceInfo info;
  info.mBundleID.Set(Harshbloom::kBundleID);
  info.mMidiOut = midiOutput;
  info.mMidiOutChan = midiOutChannel;
  return new Harshbloom(info);
}
