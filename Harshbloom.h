#pragma once

// The effect: every processing unit, the 85 parameters, the 90 factory
// presets, the state chunk, the program and curve files, and the block that
// runs the whole chain. The editor reaches it through the interfaces of
// UiInterface.h and the display state below; the host through the plug-in
// base.
//
// Threads: the audio block runs with the plug-in mutex held (the host's
// LockMutexAndProcessDoubleReplacing). Everything that changes what the
// block reads takes the same mutex. While the plug-in is active (OnActivate)
// the editor's curve actions, drawn curve values and peak-meter resets are
// left for the next block instead, so none of them ever lands inside a block
// and the editor never makes the audio thread wait for them; a preset or
// program restored meanwhile is settled by the next blocks. What the editor
// reads while blocks run (scope ring, drawn curve, meters, dirty flags) is
// atomic; the value texts and curve pictures are read under the mutex.

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "CircularBuffer.h"
#include "DistortionFx.h"
#include "DrawnCurve.h"
#include "DumpExpand.h"
#include "EnvFollower.h"
#include "Eq4Band.h"
#include "FilterUnit.h"
#include "HqFilterUnit.h"
#include "IFxStandalone.h"
#include "IGraphicsStructs.h"
#include "InputProcessor.h"
#include "Oversampler.h"
#include "PlugConfig.h"
#include "Saturator.h"
#include "SoftClipper.h"
#include "SubBandProcessor.h"
#include "UiInterface.h"
#include "UnitMath.h"
#include "VersionInfo.h"
#include "WorkBuffer.h"
#include "programs/HarshbloomProgram.h"

class IControl;
class IGraphics;
class ITextControl;
class IRnFreezeButton;
namespace Rawnfield {
class IEqTabButton;
class IRnDistortionCurveEditor;
class IRnDrawModeButton;
class IRnScopeWaveSwitch;
class IRnTabButton;
class IRnWaveDrawer;
}  // namespace Rawnfield

class Harshbloom : public IFxStandalone,
                   public Rawnfield::ITabController,
                   public Rawnfield::IEqController,
                   public Rawnfield::IBandFreqCurveProvider,
                   public Rawnfield::IFilterDataProvider,
                   public Rawnfield::IDistoDataProvider,
                   public Rawnfield::IDistoCurveEditor,
                   public Rawnfield::IFxPresetProvider,
                   public Rawnfield::IScopeController,
                   public Rawnfield::IDistoFileController {
public:
  static constexpr int kNumParams = 85;
  static constexpr int kNumPresets = 90;
  static constexpr int kVendorVersion = 0x10100;
  static constexpr int kUniqueID = ('h' << 24) | ('b' << 16) | ('1' << 8) | '0';
  static constexpr int kMfrID = ('R' << 24) | ('w' << 16) | ('F' << 8) | 'd';
  static constexpr const char* kBundleID = "com.rawnfield.harshbloom";

  // State chunk: configuration block length, curve-plus-parameter count and
  // the whole size.
  static constexpr int32_t kConfigBlockSize = 5192;
  static constexpr int32_t kCurveSize = 512;
  static constexpr int32_t kStateValueCount = kCurveSize + kNumParams;                     // 597
  static constexpr int kStateChunkSize = 4 + kConfigBlockSize + 4 + 8 * kStateValueCount;  // 9976

  // Points of the curve pictures: the drawing area and the preview.
  static constexpr int kCurvePicturePoints = 133;
  static constexpr int kPreviewPicturePoints = 120;
  static constexpr int kScopeSize = 601;
  // No sample leaves a block beyond +-sqrt(10) (+10 dB).
  static constexpr double kMaxOutputLevel = 3.1622776601683795;
  // The effect units stop once the smoothed bypass gain reaches this.
  static constexpr double kEffectUnitsOffGain = 0.9999999777;
  // A preset restored while blocks run: the blocks first run the chain on
  // silence, at most this long and this many frames for each frame they put
  // out, so that what the old settings left in the filters (a DC step
  // through a high-pass, a ring) has died away before it is heard.
  static constexpr double kProgramSettleSeconds = 0.75;
  static constexpr int kProgramSettleSpeed = 8;
  // Meanwhile their last output is held and faded out over this long; the
  // new program then runs unheard for as long and fades in over as long.
  static constexpr double kProgramFadeSeconds = 0.005;

  // Views the editor redraws when the plug-in raises their flag.
  enum eDisplay : int {
    kScopeDisplay = 0,
    kLevelDisplays,  // the about page's two level meters
    kMaxLevelText,
    kHostInfoText,
    kCurveEditor,  // the drawing area
    kCurvePreview,
    kFilter1TypeMenu,
    kFilter2TypeMenu,
    kBandFreqDisplay,
    kLimiterLevelControl,  // greyed out while the limiter is off
    kPresetDisplay,
    kConfigViews,  // tab pages, zoom text and scope switches re-read the configuration
    kNumDisplays,
  };

  // Texts and tool tips of the editor's value displays.
  enum eValueText : int {
    kBitDepthText = 0,
    kSampleRateText,
    kGateText,
    kInterpolationText,
    kShaperTypeText,
    kShaperModeText,
    kFilterBalanceText,
    kFilterCutoffText,
    kFilterTransitionText,
    kEqBassText,  // the disto band's equaliser, four bands
    kEqLowMidText,
    kEqHighMidText,
    kEqHighText,
    kSubEqBassText,  // the sub band's equaliser, four bands
    kSubEqLowMidText,
    kSubEqHighMidText,
    kSubEqHighText,
    kSubBandCutoffText,
    kDistoBandCutoffText,
    kSweepText,       // the output low/high-pass
    kInputModeTip,    // tool tip of the input channel-mode switch
    kSubBandModeTip,  // tool tip of the sub-band channel-mode switch
    kHqFilterTip,     // tool tip of the high-quality filter switch
    kHostOsInfoText,  // the about page's technical line
    kNumValueTexts,
  };
  static constexpr int kValueTextSize = 128;

  // Views of the curve editor.
  enum eCurveView : int { kDistortionView = 0, kDynShaperView = 1 };

  explicit Harshbloom(const IFxInstanceInfo& info);
  ~Harshbloom() override;

  // Plug-in base.
  // Prepares every unit and work buffer for the current sample rate and
  // block size; run before the first block and after either changes.
  void Reset() override;
  // The output smoothers' speeds, the pan and volume smoothers back at the
  // centre and unity, and the level follower's times and coefficients, as
  // construction leaves them. Takes the mutex, so never inside a block.
  void initInternalParameters();
  void OnParamChange(int paramIdx) override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // Re-applies the configuration record (page, scope settings) to the editor.
  void OnGUIOpen() override { updateGUI(); }
  void OnGUIClose() override {}
  // The host calls it with true before its stream starts and with false
  // after it has stopped: blocks may run only while active.
  void OnActivate(bool active) override;
  bool SerializeState(ByteChunk* chunk) override;
  // Refuses (-1, nothing changed) a chunk with a wrong marker or count, one
  // too short, or a NaN parameter other than the high-quality filter's.
  // Restoring a preset slot keeps the live configuration.
  int UnserializeState(ByteChunk* chunk, int startPos) override;
  bool CompareState(const unsigned char* data, int startPos) override;
  void OnHostIdentified() override;
  void PresetsChangedByHost() override;

  // Parameter dispatch. Program and state loads call InternalParamChange
  // under the mutex they already hold.
  void InternalParamChange(int paramIdx);
  void NotifyGUIChange(int paramIdx);
  // The value texts and displays a parameter drives, without the editor's
  // control (any thread holding the mutex).
  void updateValueTexts(int paramIdx);
  // The texts that depend on the sample rate, after Reset().
  void updateSampleRateTexts();
  // Asks the editor to re-read the configuration record; the editor's timer
  // applies it (applyConfigViews).
  void updateGUI() { markDirty(kConfigViews); }

  // ITabController: each shows its page and hides the other two.
  void onPlugTab() override;
  void onScopeTab() override;
  void onAboutTab() override;
  void onTestTab() override {}

  // IEqController.
  void onSubBandTab(bool show) override;
  void onDistoBandTab(bool show) override { onSubBandTab(!show); }

  // IBandFreqCurveProvider.
  void provideFreqCurve(Rawnfield::BandId band, double* out, int n) const override;

  // IFilterDataProvider.
  std::string getFilterTypeText(Rawnfield::DropDownListFilterTypes which) const override;
  std::string getFilterShortText(Rawnfield::DropDownListFilterTypes which) const override;
  int getFxFilterType(Rawnfield::DropDownListFilterTypes which) const override;
  int getOscFilterType(Rawnfield::DropDownListFilterTypes) const override { return 0; }

  // IFxPresetProvider.
  std::string GetCurrentPresetString() override;

  // IScopeController. The settings live in the configuration record.
  // While frozen the block captures nothing; unfreezing leaves a gap of 20
  // blank slots between the old trace and the new.
  void setFreeze(bool freeze) override;
  void zoomScope(bool zoomIn, double steps) override;
  Rawnfield::eRnScopeDrawMode getDrawMode() const override;
  void setDrawMode(Rawnfield::eRnScopeDrawMode mode) override;
  bool doDrawInputSignal() const override;
  bool doDrawOutputSignal() const override;
  void setDrawInputSignal(double v) override;
  void setDrawOutputSignal(double v) override;

  // IDistoDataProvider.
  Rawnfield::Types::eDistortionType getDistortionType() const override;

  // IDistoCurveEditor.
  void distoCurveAction(Rawnfield::Types::eDistoCurveAction action) override;
  std::string GetLastSelectedDistoCurveFile() const override;
  void ImportDistoCurve(const KIT_String& path) override;
  void ImportDistoCurveFromWAVE(const KIT_String& path) override;
  void ExportDistoCurve(const KIT_String& path) override;
  void ExportDistoCurveToWave(const KIT_String& path) override;
  void ExportDistoCurveToCode(const KIT_String& path) override;
  void updateDistoCurveValuesFromGUI() override;
  bool isPlaying() const override { return mActive.load(std::memory_order_acquire); }
  void attachDrawnCurve(Rawnfield::DrawnCurve* curve) override { setCurveEditor(curve); }

  // IDistoFileController.
  std::string GetLastSelectedProgramFile() const override;
  void SaveProgAsRN(const KIT_String& path) override;
  void LoadProgFromRN(const KIT_String& path) override;
  bool SaveProgAsFXP(const KIT_String&) override { return false; }
  bool LoadProgFromFXP(const KIT_String&) override { return false; }

  // Curves and meters.
  // Shows the master curve in the curve editor and refreshes both pictures.
  void updateDistoCurveDisplay();
  // Peak levels back to 0: at once while inactive, else by the next block.
  void ResetMaxLevels();
  double GetMaxSampleValue() const;
  // The about page's level meters (0..1).
  double getLevel(int channel) const;
  std::string getTechHostOsInfoString();
  void onTempoChanged() { markDirty(kHostInfoText); }
  // Called by the level eyes while no blocks run: on the about page the
  // meters fall as they would over silence.
  void updateVuMeters();

  // The editor (HarshbloomEditor.cpp, HarshbloomLayout.cpp).
  enum ePage : int { kPlugPage = 0, kScopePage, kAboutPage, kNumPages };
  // Indices into the editor's control list of the controls of each page.
  const std::vector<int>& getPageControls(ePage page) const {
    return const_cast<Harshbloom*>(this)->pageList(page);
  }
  // Re-applies the configuration record: the visible page, the zoom text
  // and the scope's switches.
  void applyConfigViews();
  // The editor's timer hands the effect's redraw requests, value texts and
  // tool tips to the controls they belong to.
  void pollEditorDisplays();
  // The editor's controls the effect writes to; null until laid out.
  struct EditorLinks {
    Rawnfield::IRnTabButton* pageTabs[kNumPages] = {};
    Rawnfield::IEqTabButton* subBandTab = nullptr;
    Rawnfield::IEqTabButton* distoBandTab = nullptr;
    IControl* subBandEqSwitch = nullptr;    // parameter 41
    IControl* distoBandEqSwitch = nullptr;  // parameter 30
    ITextControl* zoomText = nullptr;
    Rawnfield::IRnWaveDrawer* waveDrawer = nullptr;
    Rawnfield::IRnDrawModeButton* drawModeButton = nullptr;
    Rawnfield::IRnScopeWaveSwitch* inputWaveSwitch = nullptr;
    Rawnfield::IRnScopeWaveSwitch* outputWaveSwitch = nullptr;
    IRnFreezeButton* freezeButton = nullptr;
    Rawnfield::IRnDistortionCurveEditor* curveEditor = nullptr;
    Rawnfield::IRnDistortionCurveEditor* curvePreview = nullptr;
    // Controls redrawn when the effect raises a display's flag; those of
    // the limiter level are greyed out too while the limiter is off.
    std::vector<IControl*> displays[kNumDisplays];
    // The text control (or, for the tool tips, the control) of each text.
    IControl* valueTexts[kNumValueTexts] = {};
  };
  const EditorLinks& getEditorLinks() const { return mLinks; }
  // The editor's text styles.
  IText mTextZoom, mTextLabel, mTextRight, mTextMaxLevel, mTextBandHigh, mTextBandLoMid,
      mTextBandHiMid, mTextBandBass, mTextHostInfo, mTextAbout;

  // Editor links. The curve editor's drawn curve belongs to the editor,
  // which attaches it here (and detaches it with null before destroying it).
  void setCurveEditor(Rawnfield::DrawnCurve* curve);
  Rawnfield::DrawnCurve* getCurveEditor() const { return mCurveEditor; }
  const Rawnfield::CircularBuffer<Rawnfield::Types::VisSample>& getScopeRing() const {
    return mScope;
  }
  bool isScopeFrozen() const { return mFreeze.load(std::memory_order_relaxed); }
  // Takes a display's redraw flag: true once per request.
  bool takeDirty(eDisplay which);
  bool isDirty(eDisplay which) const;
  // A copy of a value text, taken under the mutex.
  std::string getValueText(eValueText which) const;
  bool takeTextChanged(eValueText which);
  int getCurveView() const { return mCurveView.load(std::memory_order_relaxed); }
  bool isLimiterLevelGrayed() const { return mLimiterGrayed.load(std::memory_order_relaxed); }
  // Curve pictures for the two curve controls, written under the mutex:
  // read them while holding GetMutex().
  const double* getDistoCurvePicture() const { return mDistoCurvePicture; }        // 133 points
  const double* getDistoPreviewPicture() const { return mDistoPreviewPicture; }    // 120
  const double* getShaperCurvePicture() const { return mShaperCurvePicture; }      // 133
  const double* getShaperPreviewPicture() const { return mShaperPreviewPicture; }  // 120

  // The live program and configuration, and the units, for reading (under
  // the mutex while blocks may run).
  const Rawnfield::RNFxProgram& getProgram() const { return mLiveProgram.getProgram(); }
  const Rawnfield::PlugConfig& getConfig() const { return mConfig; }
  const Rawnfield::DistoFxUnit& getDistoFx() const { return mDistoFx; }
  const Rawnfield::FilterUnit& getFilterUnit() const { return mFilter; }
  const Rawnfield::Eq4Band& getDistoBandEq() const { return mDistoBandEq; }
  const Rawnfield::SubBandProcessor& getSubBandProcessor() const { return mSubBand; }
  const Rawnfield::InputProcessor& getInputProcessor() const { return mInput; }
  const Rawnfield::Saturator& getOutputSaturator() const { return mOutputSaturator; }
  const Rawnfield::DumpExpand& getDumpExpand() const { return mDumpExpand; }
  const Rawnfield::SoftClipper& getSoftClipper() const { return mSoftClipper; }
  const Rawnfield::HqFilterUnit& getHqFilterUnit() const { return mHqFilter; }
  static constexpr int numOversamplers() { return kNumOversamplers; }
  const Rawnfield::Oversampler& getOversampler(int i) const { return mOversamplers[i]; }
  const Rawnfield::Smoother& getPanSmoother() const { return mPanSmoother; }
  const Rawnfield::Smoother& getVolumeSmoother() const { return mVolumeSmoother; }
  const Rawnfield::Smoother& getDryWetSmoother() const { return mDryWetSmoother; }
  const Rawnfield::Smoother& getBypassSmoother() const { return mBypassSmoother; }
  const Rawnfield::EnvFollower& getLevelFollower() const { return mLevelFollower; }
  Rawnfield::Types::eDistoCurveAction getPendingCurveAction() const {
    return static_cast<Rawnfield::Types::eDistoCurveAction>(mPendingCurveAction.load());
  }

private:
  void init();
  void createPresetChunks();
  void registerParameters();

  // Editor creation and its sections, in the order they run.
  void createEditor();
  void initInputUnit(IGraphics* g);
  void initDistoUnit(IGraphics* g);
  void initFilterUnit(IGraphics* g);
  void initEqUnit(IGraphics* g);
  void initSubBandEqUnit(Rawnfield::IEqTabButton* tab);
  void initDistoBandEqUnit(Rawnfield::IEqTabButton* tab);
  // One equaliser page: its controls go to the tab's list, its four gain
  // texts from firstText on.
  void initEqPage(IGraphics* g, Rawnfield::IEqTabButton* tab, const int params[4],
                  eValueText firstText, const Rawnfield::Eq4Band& eq);
  void initSubBandProcUnit(IGraphics* g);
  void initPresetUnit(IGraphics* g);
  void initDisplayUnit(IGraphics* g);
  void initOutputUnit(IGraphics* g);
  void initAboutTab(IGraphics* g);
  void initScopeTab(IGraphics* g);
  // A text control on a page.
  ITextControl* attachText(IGraphics* g, ePage page, const IRECT& r, const char* text,
                           IText* style);
  void hidePage(IGraphics* g, ePage page);
  // The zoom text shows the zoom in percent.
  void showZoom(double zoom);
  // Appends a control to the editor and to a page's list; its index.
  int attachToPage(IGraphics* g, ePage page, IControl* control);
  // The editor, also while it is being laid out and not yet attached.
  IGraphics* editorSurface() const;
  std::vector<int>& pageList(ePage page);
  // Shows one page, hides the others and marks the page tabs.
  void showPage(ePage page);

  // The block, on at most mWorkFrames frames. A piece that is not live only
  // moves the chain: no curve edits, meters, displays or program fades.
  void processPiece(const double* inL, const double* inR, double* outL, double* outR, int n,
                    bool live = true);
  void runEffectUnits(double** fx, int n, bool live);
  // The end of a live piece: clamp, meters, displays, the last output kept.
  void finishPiece(double** dry, double** out, int n);

  // Preset and program changes while blocks run (HarshbloomProgramChange.cpp),
  // all under the mutex. Once the new values are in: the filters start from
  // silence, and the blocks are to settle the chain and hold their output.
  void beginProgramChange();
  // The block's share of the settling: the chain on silence for up to
  // `frames` frames; false once it has settled.
  bool settleProgramChange(long frames);
  // The held output crossfaded into the new program's, in place in out (its
  // contents are ignored unless the chain ran).
  void fadeProgramChange(double** out, int n, bool chainRan);
  void limitAndDetectMaxLevels(double** out, int n);
  void updateDisplays(double** dry, double** out, int n);

  // Sets a parameter from a plain value within its range; only the
  // high-quality filter may take a NaN (its default).
  void setParamValue(int paramIdx, double v);
  void applyProgram(const Rawnfield::HarshbloomProgram& program, const std::string& curveText);
  void applyCurveAction(Rawnfield::Types::eDistoCurveAction action);
  // The drawn curve into the three curves (the plug-in mutex held).
  void copyDrawnCurve();
  void importCurve(const KIT_String& path, bool wave);
  enum eCurveExport { kCsvExport, kWaveExport, kCodeExport };
  void exportCurve(const KIT_String& path, eCurveExport kind);
  void showDistortionPictures();
  void showShaperPictures();
  void clearMaxLevels();
  void markDirty(eDisplay which) { mDirty[which].store(true, std::memory_order_release); }
  void setValueText(eValueText which, const char* text);

  Rawnfield::VersionInfo mVersionInfo;
  // The live program record (inside a program, whose tag table maps the
  // parameter indices onto it).
  Rawnfield::HarshbloomProgram mLiveProgram;
  Rawnfield::Smoother mPanSmoother{0.99};
  Rawnfield::Smoother mVolumeSmoother{0.99};
  Rawnfield::Smoother mDryWetSmoother{0.99};
  Rawnfield::Smoother mBypassSmoother{0.99};
  double mBypassGain = 0.0;  // the bypass smoother's last output
  Rawnfield::EnvFollower mLevelFollower;
  Rawnfield::InputProcessor mInput;  // with the input saturator
  Rawnfield::DistoFxUnit mDistoFx;
  Rawnfield::Eq4Band mDistoBandEq;
  Rawnfield::FilterUnit mFilter;
  Rawnfield::DumpExpand mDumpExpand;
  Rawnfield::Saturator mOutputSaturator{Rawnfield::kOutputSaturation};
  Rawnfield::HqFilterUnit mHqFilter;  // never processes; describes itself
  Rawnfield::SubBandProcessor mSubBand;
  Rawnfield::SoftClipper mSoftClipper;
  // Five oversamplers, all prepared by Reset; the block runs only the
  // output saturator's and the limiter's, the other three stay idle.
  enum { kSaturatorOversampler = 0, kClipperOversampler = 1, kNumOversamplers = 5 };
  Rawnfield::Oversampler mOversamplers[kNumOversamplers];
  // Where curve files are read and written, so file access never holds the
  // plug-in mutex; guarded by mFileMutex, never touched by the block.
  Rawnfield::Distortion mCurveStage;
  std::mutex mFileMutex;

  double mDistoCurvePicture[kCurvePicturePoints] = {};
  double mDistoPreviewPicture[kPreviewPicturePoints] = {};
  double mShaperCurvePicture[kCurvePicturePoints] = {};
  double mShaperPreviewPicture[kPreviewPicturePoints] = {};
  Rawnfield::CircularBuffer<Rawnfield::Types::VisSample> mScope;
  uint32_t mCapturePhase = 0;  // samples since the scope's last capture
  Rawnfield::DrawnCurve* mCurveEditor = nullptr;

  // Work buffers, grown by Reset only. The raw pair is the sub-band
  // processor's own copy of the input, which it changes in place.
  Rawnfield::WorkBuffer mDry[2], mFx[2], mRaw[2], mSilence, mSpare[2];
  int mWorkFrames = 0;

  // Preset changes: each raises the generation; the block then settles the
  // chain on silence into its own output pair, holds the output it last put
  // out (mLastOut), and fades.
  struct SettleRange {  // of the settling chain's output over a window
    void add(double x);
    double last = 0.0, lo = 0.0, hi = 0.0;
    long count = 0;
  };
  bool mSettling = false;
  long mSettledFrames = 0;
  SettleRange mSettleRange[2];
  Rawnfield::WorkBuffer mSettleOut[2];
  uint32_t mProgramGeneration = 0;
  uint32_t mSeenGeneration = 0;
  double mLastOut[2] = {0.0, 0.0};
  double mHeldOut[2] = {0.0, 0.0};
  int mHoldFrame = -1;    // frames into the held output's fade; -1: none
  int mFadeInFrame = -1;  // frames into the new program's fade-in; -1: none

  std::atomic<double> mMaxLevel[2];
  std::atomic<double> mLevel[2];
  std::atomic<bool> mMaxLevelResetRequest{false};
  std::atomic<int> mPendingCurveAction{Rawnfield::Types::kNoCurveAction};
  std::atomic<bool> mActive{false};
  std::atomic<bool> mFreeze{false};
  double mLastTempo = 120.0;

  std::atomic<bool> mDirty[kNumDisplays];
  std::atomic<int> mCurveView{kDistortionView};
  std::atomic<bool> mLimiterGrayed{false};
  char mValueTexts[kNumValueTexts][kValueTextSize] = {};
  std::atomic<bool> mTextChanged[kNumValueTexts];

  Rawnfield::PlugConfig mConfig;

  std::vector<int> mPlugTabControls, mScopeTabControls, mAboutTabControls;
  EditorLinks mLinks;
  IGraphics* mLayoutSurface = nullptr;  // the editor while it is laid out
};

// Creates the one plug-in instance for the host.
Harshbloom* MakePlug(void* midiOutput, unsigned short* midiOutChannel);

// An editor surface of the given size for the plug-in (frame rate 0: 25 per
// second); its images are found by file name among the program's resources,
// in any folder below them.
IGraphics* MakeGraphics(IFxStandalone* plug, int width, int height, int fps);
