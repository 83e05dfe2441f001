// Curve actions, the drawn curve, the peak meters, and the program and curve
// files. Files are read and written without the plug-in mutex, which is
// held only while the results are taken over, so a slow disk never stalls
// the audio.

#include <array>
#include <cmath>
#include <mutex>
#include <string>

#include "Harshbloom.h"
#include "IGraphics.h"

using Rawnfield::PlugConfig;
namespace Tags = Rawnfield::Harshbloom;

namespace {

// The extension tests look for the text anywhere in the path.
bool contains(const std::string& path, std::initializer_list<const char*> parts) {
  for (const char* part : parts)
    if (path.find(part) != std::string::npos) return true;
  return false;
}

bool isCsvPath(const std::string& p) {
  return contains(p, {".csv", ".CSV"});
}
bool isWavePath(const std::string& p) {
  return contains(p, {".wav", ".WAV"});
}
bool isCodePath(const std::string& p) {
  return contains(p, {".h", ".H", ".c", ".C"});
}

}  // namespace

// Curves and meters.

void Harshbloom::distoCurveAction(Rawnfield::Types::eDistoCurveAction action) {
  // Always left for the block; applied here at once when no block can run.
  // OnActivate(false) applies whatever is left when the stream stops.
  mPendingCurveAction.store(action);
  if (isPlaying()) return;
  KIT_MutexLock lock(GetMutex());
  const int pending = mPendingCurveAction.exchange(Rawnfield::Types::kNoCurveAction);
  if (pending != Rawnfield::Types::kNoCurveAction)
    applyCurveAction(static_cast<Rawnfield::Types::eDistoCurveAction>(pending));
}

void Harshbloom::applyCurveAction(Rawnfield::Types::eDistoCurveAction action) {
  mDistoFx.dataAction(action);  // chains 0, 1 and 2
  updateDistoCurveDisplay();
}

void Harshbloom::updateDistoCurveDisplay() {
  KIT_MutexLock lock(GetMutex());
  const Rawnfield::Distortion& master = mDistoFx.chains[0].distortion;
  if (mCurveEditor) {
    const int n = mCurveEditor->size();
    for (int i = 0; i < n; ++i)
      mCurveEditor->setCurveValue(i, -master.getLutValue(static_cast<double>(i) / n));
  }
  showDistortionPictures();
}

void Harshbloom::updateDistoCurveValuesFromGUI() {
  if (isPlaying()) {
    // The next block takes it.
    if (mCurveEditor) mCurveEditor->markChanged();
    return;
  }
  KIT_MutexLock lock(GetMutex());
  copyDrawnCurve();
}

void Harshbloom::copyDrawnCurve() {
  if (!mCurveEditor) return;
  for (int i = 0; i < kCurveSize; ++i)
    mDistoFx.setLutValue(static_cast<unsigned short>(i),
                         -mCurveEditor->getCurveValue(static_cast<double>(i) / kCurveSize));
  mDistoFx.updateDistoGuiData(mDistoCurvePicture, kCurvePicturePoints, mDistoPreviewPicture,
                              kPreviewPicturePoints);
  markDirty(kCurveEditor);
  markDirty(kCurvePreview);
}

void Harshbloom::ResetMaxLevels() {
  mMaxLevelResetRequest.store(true);
  if (isPlaying()) return;
  KIT_MutexLock lock(GetMutex());
  if (mMaxLevelResetRequest.exchange(false)) clearMaxLevels();
}

void Harshbloom::clearMaxLevels() {
  for (auto& level : mMaxLevel) level.store(0.0, std::memory_order_relaxed);
  markDirty(kMaxLevelText);
}

double Harshbloom::GetMaxSampleValue() const {
  const double l = mMaxLevel[0].load(std::memory_order_relaxed);
  const double r = mMaxLevel[1].load(std::memory_order_relaxed);
  return l > r ? l : r;
}

double Harshbloom::getLevel(int channel) const {
  return channel == 0 || channel == 1 ? mLevel[channel].load(std::memory_order_relaxed) : 0.0;
}

// Curve files.

std::string Harshbloom::GetLastSelectedDistoCurveFile() const {
  KIT_MutexLock lock(const_cast<Harshbloom*>(this)->GetMutex());
  return mConfig.getText(PlugConfig::kLastCurveFile);
}

void Harshbloom::ImportDistoCurve(const KIT_String& path) {
  importCurve(path, false);
}

void Harshbloom::ImportDistoCurveFromWAVE(const KIT_String& path) {
  importCurve(path, true);
}

void Harshbloom::importCurve(const KIT_String& path, bool wave) {
  const std::string p = path.Get();
  if (!(wave ? isWavePath(p) : isCsvPath(p))) return;
  std::lock_guard<std::mutex> files(mFileMutex);
  // A file that does not import leaves the stage's curve unused.
  const bool ok = wave ? mCurveStage.importLutDataFromWAVE(p) : mCurveStage.importLutData(p);

  KIT_MutexLock lock(GetMutex());
  if (ok) {
    std::array<double, kCurveSize> curve;
    const double* imported = mCurveStage.getLutData();
    for (int i = 0; i < kCurveSize; ++i) curve[static_cast<size_t>(i)] = imported[i];
    mDistoFx.master().distortion.setLutData(curve.data(), kCurveSize);
    mDistoFx.copyMasterCurve();
    updateDistoCurveDisplay();
  }
  mConfig.setText(PlugConfig::kLastCurveFile, p);
}

void Harshbloom::ExportDistoCurve(const KIT_String& path) {
  exportCurve(path, kCsvExport);
}

void Harshbloom::ExportDistoCurveToWave(const KIT_String& path) {
  exportCurve(path, kWaveExport);
}

void Harshbloom::ExportDistoCurveToCode(const KIT_String& path) {
  exportCurve(path, kCodeExport);
}

void Harshbloom::exportCurve(const KIT_String& path, eCurveExport kind) {
  const std::string p = path.Get();
  const bool accepted = kind == kCsvExport    ? isCsvPath(p)
                        : kind == kWaveExport ? isWavePath(p)
                                              : isCodePath(p);
  if (!accepted) return;
  std::lock_guard<std::mutex> files(mFileMutex);
  {
    KIT_MutexLock lock(GetMutex());
    mCurveStage.copyLutData(&mDistoFx.master().distortion);
    mConfig.setText(PlugConfig::kLastCurveFile, p);
  }
  switch (kind) {
    case kCsvExport:
      mCurveStage.exportToCsv(p);
      break;
    case kWaveExport:
      mCurveStage.exportToWAVE(p);
      break;
    case kCodeExport:
      mCurveStage.exportLutDataToCode(p);
      break;
  }
}

// Program files.

std::string Harshbloom::GetLastSelectedProgramFile() const {
  KIT_MutexLock lock(const_cast<Harshbloom*>(this)->GetMutex());
  return mConfig.getText(PlugConfig::kLastProgramFile);
}

void Harshbloom::SaveProgAsRN(const KIT_String& path) {
  const std::string p = path.Get();
  std::lock_guard<std::mutex> files(mFileMutex);
  Rawnfield::HarshbloomProgram program;
  std::string curve;
  PlugConfig config;
  {
    KIT_MutexLock lock(GetMutex());
    curve = mDistoFx.master().distortion.getLutDataString();
    program.setProgramName(GetPresetName(GetCurrentPresetIdx()));
    program.setProgram(mLiveProgram.getProgram());
    // Remembered before the configuration is written, so that the file
    // names itself and saving it again after loading it writes the same.
    mConfig.setText(PlugConfig::kLastProgramFile, p);
    config = mConfig;
  }
  program.saveProgram(p, curve);
  config.saveConfig(p);
}

void Harshbloom::LoadProgFromRN(const KIT_String& path) {
  const std::string p = path.Get();
  std::unique_lock<std::mutex> files(mFileMutex);
  Rawnfield::HarshbloomProgram program;
  std::string curve;
  int valueLines = 0;
  const bool loaded = program.loadProgram(p, curve, &valueLines);
  if (loaded && valueLines == 0) {
    // Not a program (an image, an empty file): nothing of it is taken, not
    // even a configuration section; only its path is remembered.
    {
      KIT_MutexLock lock(GetMutex());
      mConfig.setText(PlugConfig::kLastProgramFile, p);
    }
    files.unlock();
    IGraphics* gui = GetGUI();
    if (gui && gui->WindowIsOpen()) {
      const std::string text = "\"" + p + "\" is not a Harshbloom program. Nothing was loaded.";
      gui->ShowMessageBox(text.c_str(), "Load Program", 0);
    }
    return;
  }
  PlugConfig config;
  {
    KIT_MutexLock lock(GetMutex());
    config = mConfig;
  }
  // The path is remembered whether or not the program loaded; the file's
  // configuration section may then name another one.
  config.setText(PlugConfig::kLastProgramFile, p);
  const bool configLoaded = config.loadConfig(p);

  KIT_MutexLock lock(GetMutex());
  // Before the program: the preset slot it fills records this configuration.
  mConfig = config;
  if (loaded) applyProgram(program, curve);
  if (configLoaded) updateGUI();
}

// Called with the plug-in lock held once.
void Harshbloom::applyProgram(const Rawnfield::HarshbloomProgram& program,
                              const std::string& curveText) {
  // Like a preset, a program loaded while blocks run is settled by them
  // before it is heard: its values go in one at a time, the lock handed to
  // a waiting block between two.
  const bool settled = isPlaying();
  if (settled) beginProgramChange();
  mLiveProgram.setProgram(program.getProgram());
  IGraphics* gui = GetGUI();
  for (int i = 0; i < NParams(); ++i) {
    if (settled && i) {
      GetMutex()->Unlock();
      GetMutex()->Lock();
    }
    // Plain values: the limiter level's range is not 0..1, so a normalised
    // set would move it on every load.
    setParamValue(i, program.getParameterValue(static_cast<Tags::eParameterTags>(i)));
    if (gui) gui->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
    InternalParamChange(i);
  }
  if (!curveText.empty()) {
    for (Rawnfield::DistortionFx& chain : mDistoFx.chains)
      chain.distortion.setLutDataString(curveText);
    updateDistoCurveDisplay();
  }
  // The settling starts again from the program's final state.
  if (settled) beginProgramChange();
  // Only now does the current preset slot take the loaded state and name.
  ModifyCurrentPreset(program.getProgramName().c_str());
  PresetsChangedByHost();
}
