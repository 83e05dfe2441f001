#pragma once

// The maker's reusable editor controls: page and equaliser tabs, the band
// frequency display, the distortion curve editor, the drop-down menus and
// the program file selector. Each reaches the effect only through one of the
// interfaces of UiInterface.h, held as a non-owning pointer.

#include <memory>
#include <string>
#include <vector>

#include "CircularBuffer.h"
#include "DistoDataPresenter.h"
#include "DrawnCurve.h"
#include "IControls.h"
#include "IPopupMenu.h"
#include "UiInterface.h"
#include "kitstring.h"
#include "mutex.h"

// The maker's colours.
inline const IColor COLOR_RN_CYAN(255, 127, 255, 255);
inline const IColor COLOR_RN_GREEN(255, 127, 255, 127);
inline const IColor COLOR_RN_SPRINGGREEN(255, 127, 255, 0);
inline const IColor COLOR_RN_LIME(255, 0, 255, 0);
inline const IColor COLOR_RN_WF(255, 160, 255, 255);
inline const IColor COLOR_RN_YELLOW(255, 255, 255, 0);
inline const IColor COLOR_RN_ORANGE(255, 255, 127, 0);
inline const IColor COLOR_RN_RED(255, 255, 0, 0);
inline const IColor COLOR_RN_DARK_RED(255, 127, 0, 0);
inline const IColor COLOR_RN_GRAY(255, 127, 127, 127);
inline const IColor COLOR_RN_DARK_GRAY(255, 63, 63, 63);
inline const IColor COLOR_RN_WHITE(255, 255, 250, 250);
inline const IColor COLOR_RN_OVERLAY_GREEN(127, 0, 255, 0);
inline const IColor COLOR_RN_OVERLAY_RED(127, 255, 0, 0);
inline const IColor COLOR_RN_OVERLAY_DARK_GRAY(127, 63, 63, 63);
inline const IColor COLOR_RN_OVERLAY_BLACK(127, 0, 0, 0);
inline const IColor COLOR_RN_OVERLAY_WHITE(127, 255, 255, 255);
inline const IColor COLOR_RN_HIGHLIGHT(100, 175, 175, 175);
inline const IColor COLOR_RN_HIGHLIGHT_FRAME(255, 150, 150, 150);
inline const IColor COLOR_RN_HIGHLIGHT_FRAME_SMOOTH(255, 125, 125, 125);
inline const IColor COLOR_RN_NOTE_MODE(255, 255, 255, 255);

namespace Rawnfield {

// One of the three page tabs (frame 1 inactive, frame 2 active). A click
// makes it active and asks the controller to show its page.
class IRnTabButton : public ISwitchControl {
public:
  IRnTabButton(IFxBase* plug, ITabController* controller, int x, int y, int paramIdx, PlugTabs tab,
               const IBitmap* bitmap);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void SetActive(bool active);
  PlugTabs GetTab() const { return mTab; }

private:
  ITabController* mController;
  PlugTabs mTab;
};

// One of the two equaliser tabs; it knows the controls of its page, which
// the layout lists by their index in the editor's control list.
class IEqTabButton : public ISwitchControl {
public:
  IEqTabButton(IFxBase* plug, IEqController* controller, int x, int y, int paramIdx, EqTabs tab,
               const IBitmap* bitmap);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Hides or shows the page's controls, then the tab itself.
  void Hide(bool hide) override;
  // Hides or shows the page's controls only.
  void HideTabItems(IGraphics* surface, bool hide);
  void SetActive(bool active);
  void AddTabItem(int controlIdx) { mTabItems.push_back(controlIdx); }
  const std::vector<int>& GetTabItems() const { return mTabItems; }
  EqTabs GetTab() const { return mTab; }

private:
  IEqController* mController;
  EqTabs mTab;
  std::vector<int> mTabItems;
};

// The magnitude responses of both crossover bands as filled areas with
// outlines, one point per pixel column inside a margin of 5 pixels left and
// right and 10 at the top and bottom.
class IBandFreqDispay : public IBitmapControl {
public:
  IBandFreqDispay(IFxBase* plug, IBandFreqCurveProvider* provider, int x, int y,
                  const IBitmap* bitmap,
                  IChannelBlend::EBlendMethod blend = IChannelBlend::kBlendAlpha);
  void Draw(IGraphics* graphics) override;
  // Points per band: the control's width less 10, never below 0.
  int NPoints() const { return mN; }

private:
  void DrawArea(IGraphics* graphics, BandId band);
  void DrawOutline(IGraphics* graphics, BandId band);

  IBandFreqCurveProvider* mProvider;
  double mLeftMargin = 5.0, mBottomMargin = 10.0;
  std::vector<double> mBuffer;
  int mN;
  double mHeightScale;
  IChannelBlend mFillBlend{IChannelBlend::kBlendAlpha, 0.25f};
};

// The value a pointer row y stands for in a drawing rectangle: -1 at the
// top edge, +1 at the bottom, beyond them outside (0 for a flat rectangle).
double curveValueAt(const IRECT& r, int y);

// The drawing area of the distortion curve: the user draws one value per
// pixel column with the mouse, and a right click opens the curve actions and
// the curve file exchange. It draws two curves the effect computes (the
// distortion curve and the dynamic shaper's), one of them in focus.
class IRnDistortionCurveEditor : public IBitmapControl {
public:
  enum EMenuRow {
    kRowRestore = 0,
    kRowNormalize,
    kRowSmooth,
    kRowSmoothZero,
    kRowNoise,
    kRowQuantize,
    kRowReset,
    kRowSeparator,
    kRowImportCsv,
    kRowImportWav,
    kRowExportCsv,
    kRowExportWav,
    kNumMenuRows
  };

  // firstCurve and secondCurve hold pointCount values each, written by the
  // effect; the pictures lock, when given, is held while they are read.
  IRnDistortionCurveEditor(IFxBase* plug, IDistoCurveEditor* editor, const double* firstCurve,
                           const double* secondCurve, int pointCount, int x, int y,
                           const IBitmap* bitmap,
                           IChannelBlend::EBlendMethod blend = IChannelBlend::kBlendAlpha,
                           KIT_Mutex* picturesLock = nullptr);
  // Takes its drawn curve back from the effect when it had handed it over.
  ~IRnDistortionCurveEditor() override;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseOver(int x, int y, IMouseMod* mod) override;
  void OnMouseOut() override;
  void Draw(IGraphics* graphics) override;

  // The drawn curve at x in 0..1, clamped to -1..1.
  double getCurveValue(double x) const { return mCurve.getCurveValue(x); }
  void setCurveValue(int index, double value) { mCurve.setCurveValue(index, value); }
  // Pops the context menu up and carries out the chosen row.
  void contextMenuAction();
  // Hands the drawn curve to the effect, which takes it into its curves.
  void attachToEditor();

  // 0: the first curve in focus, 1: the second, other: neither.
  void SetFocus(int focus) { mFocus = focus; }
  int GetFocus() const { return mFocus; }
  void SetCompanion(IControl* companion) { mCompanion = companion; }
  void EnableHighlight(bool enable) { mHighlight = enable; }
  bool IsMouseOver() const { return mMouseOver; }
  const IRECT& GetCurveRECT() const { return mCurveRECT; }
  DrawnCurve& GetDrawnCurve() { return mCurve; }
  IPopupMenu& GetContextMenu() { return mContextMenu; }
  const KIT_String& GetCurveFileName() const { return mCurveFile; }
  int NPoints() const { return mPoints; }

private:
  void Touched();
  void DrawPreview(IGraphics* graphics, const std::vector<double>& curve, bool focus);
  void DrawHighlight(IGraphics* graphics);

  IDistoCurveEditor* mEditor;
  IRECT mCurveRECT;
  bool mClamp = true;
  double mWidth = 0.0, mHalfHeight = 0.0, mCentreOffset = 0.0;
  const double* mFirst;
  const double* mSecond;
  int mFocus = 0;
  int mPoints;
  DrawnCurve mCurve;
  bool mAttached = false;
  IPopupMenu mContextMenu;
  KIT_String mCurveFile;
  IControl* mCompanion = nullptr;
  IColor mFrameColor = COLOR_RN_HIGHLIGHT_FRAME, mFillColor = COLOR_RN_HIGHLIGHT;
  IRECT mFrameRECT, mFillRECT;
  bool mHighlight = true;
  IChannelBlend mFillBlend{IChannelBlend::kBlendAlpha, 0.25f};
  bool mMouseOver = false;
  KIT_Mutex* mPicturesLock;
};

// A drop-down menu: the current choice as text on an image, a popup menu
// (with submenus for sections) on a click, and a highlight while the pointer
// is over it. Derived menus fill the rows, mark the current one and carry
// out the choice.
class IRnDropDownMenu : public IControl {
public:
  struct RnSubSection {
    int firstIndex;  // source index of the submenu's first row
    int section;     // the section's number in its source
    IPopupMenu* submenu;
  };

  IRnDropDownMenu(IFxBase* plug, int x, int y, const IText* text, const IBitmap* bitmap,
                  IColor background);
  ~IRnDropDownMenu() override;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseOver(int x, int y, IMouseMod* mod) override;
  void OnMouseOut() override;
  void Draw(IGraphics* graphics) override = 0;

  // Builds the rows at the first click (afterwards only clears the marks),
  // marks the current row and shows the menu.
  virtual void doPopupMenu();
  virtual void checkCurrentPreset() = 0;
  virtual void displayMenuAndWaitForUserAction() = 0;

  void DrawBackground(IGraphics* graphics);
  void DrawHighlightOverlay(IGraphics* graphics);
  void resetChosenAndUncheckItems();

  IPopupMenu& GetMenu() { return mMenu; }
  const std::vector<RnSubSection>& GetSubSections() const { return mSubSections; }
  const char* GetDisplayText() const { return mDisplayText.Get(); }
  const IRECT& GetTextRECT() const { return mTextRECT; }
  bool IsMouseOver() const { return mMouseOver; }

protected:
  virtual void buildRows() = 0;
  // Text, limited to maxChars characters, over the image, then the highlight.
  void DrawWithText(IGraphics* graphics, const std::string& text, int maxChars);
  // A new submenu, kept by the control, for the rows of a section.
  IPopupMenu* AddSubSection(int firstIndex, int section);
  // Pops the menu up over the control; the model holding the chosen row, or null.
  IPopupMenu* Popup();

  IBitmap mBitmap;
  KIT_String mDisplayText;
  IColor mBackground;
  IRECT mTextRECT;
  IColor mFrameColor = COLOR_RN_HIGHLIGHT_FRAME, mHighlightColor = COLOR_RN_HIGHLIGHT;
  IRECT mFrameRECT, mFillRECT;
  IChannelBlend mHighlightBlend{IChannelBlend::kBlendAlpha, 0.2f};
  bool mMouseOver = false;
  IPopupMenu mMenu;
  std::vector<RnSubSection> mSubSections;
  std::vector<std::unique_ptr<IPopupMenu>> mSubmenus;
};

// The type menu of filter 1 or 2 of the dual filter.
class IRnFilterUnitMenu : public IRnDropDownMenu {
public:
  static constexpr int kFilter1TypeParam = 27;
  static constexpr int kFilter2TypeParam = 28;

  IRnFilterUnitMenu(IFxBase* plug, IFilterDataProvider* provider, DropDownListFilterTypes kind,
                    int x, int y, const IText* text, const IBitmap* bitmap, IColor background);
  void Draw(IGraphics* graphics) override;
  void checkCurrentPreset() override;
  void displayMenuAndWaitForUserAction() override;
  // What choosing row r does.
  void chooseRow(int r);
  DropDownListFilterTypes GetKind() const { return mKind; }

protected:
  void buildRows() override;

private:
  IFilterDataProvider* mProvider;
  DropDownListFilterTypes mKind;
};

// The distortion type menu, in the sections of the type presenter.
class IRnDistoPresetMenu : public IRnDropDownMenu {
public:
  static constexpr int kDistortionTypeParam = 10;

  IRnDistoPresetMenu(IFxBase* plug, IDistoDataProvider* provider, int x, int y,
                     const IText* text, const IBitmap* bitmap, IColor background);
  void Draw(IGraphics* graphics) override;
  void checkCurrentPreset() override;
  void displayMenuAndWaitForUserAction() override;
  // The type of the chosen row (the main menu's or a submenu's), or -1.
  int chosenType();
  DistoDataPresenter& GetPresenter() { return *mPresenter; }

protected:
  void buildRows() override;

private:
  IDistoDataProvider* mProvider;
  std::unique_ptr<DistoDataPresenter> mPresenter;
};

// The preset menu: presets whose name holds '#' head the sections, and a
// preset without a name has no row. A right click renames the current
// preset.
class IRnPresetMenu : public IRnDropDownMenu {
public:
  // Room for a preset name, the terminator included.
  static constexpr int kMaxNameLen = 256;

  IRnPresetMenu(IFxBase* plug, IFxPresetProvider* provider, int x, int y, const IText* text,
                const IBitmap* bitmap, IColor background);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void TextFromTextEntry(const char* text) override;
  void Draw(IGraphics* graphics) override;
  void checkCurrentPreset() override;
  void displayMenuAndWaitForUserAction() override;
  // The preset a chosen row stands for, or -1.
  int chosenPreset();

  static std::string getFormattedPresetString(const std::string& name, int index);
  static std::string getFormattedSectionString(const std::string& name);
  std::vector<int> getSectionsIdxVector() const;

protected:
  void buildRows() override;

private:
  // Rows for the named presets from..to-1, each remembered with its preset.
  void addPresetRows(IPopupMenu& menu, std::vector<int>& presets, int from, int to);

  IFxPresetProvider* mProvider;
  // The preset of every row: the main menu's plain rows, then one list per
  // sub-section.
  std::vector<int> mMainPresets;
  std::vector<std::vector<int>> mSectionPresets;
};

// A waveform menu of an oscillator: its image only, and no rows.
class IRnWaveformPresetMenu : public IRnDropDownMenu {
public:
  IRnWaveformPresetMenu(IFxBase* plug, IOscWaveformDataProvider* provider,
                        DropDownListWaveformTypes kind, int x, int y, const IText* text,
                        const IBitmap* bitmap, IColor background);
  void Draw(IGraphics* graphics) override { DrawBackground(graphics); }
  void checkCurrentPreset() override;
  void displayMenuAndWaitForUserAction() override { Popup(); }
  DropDownListWaveformTypes GetKind() const { return mKind; }

protected:
  void buildRows() override {}

private:
  IOscWaveformDataProvider* mProvider;
  DropDownListWaveformTypes mKind;
};

// The signal menu of a modulator: the five forms of its sine. It shows and
// marks the provider's signal; a choice changes nothing.
class IRnLfoSignalTypePresetMenu : public IRnDropDownMenu {
public:
  IRnLfoSignalTypePresetMenu(IFxBase* plug, ILfoSignalDataProvider* provider,
                             DropDownListLfoSignalTypes kind, int x, int y, const IText* text,
                             const IBitmap* bitmap, IColor background);
  void Draw(IGraphics* graphics) override;
  void checkCurrentPreset() override;
  void displayMenuAndWaitForUserAction() override { Popup(); }
  DropDownListLfoSignalTypes GetKind() const { return mKind; }

protected:
  void buildRows() override;

private:
  ILfoSignalDataProvider* mProvider;
  DropDownListLfoSignalTypes mKind;
};

// The note modes of a voice: its image only, ten rows, no mark, and a
// choice changes nothing.
class IRnNoteModePresetMenu : public IRnDropDownMenu {
public:
  IRnNoteModePresetMenu(IFxBase* plug, int x, int y, const IText* text, const IBitmap* bitmap,
                        IColor background)
      : IRnDropDownMenu(plug, x, y, text, bitmap, background) {}
  void Draw(IGraphics* graphics) override { DrawBackground(graphics); }
  void checkCurrentPreset() override {}
  void displayMenuAndWaitForUserAction() override { Popup(); }
  // The rows' texts, in order.
  static std::vector<std::string> getNoteModeNames();

protected:
  void buildRows() override;
};

// The mouse wheel over the scope or its zoom text: turned up by d zooms in
// d steps, turned down zooms out.
void zoomByWheel(IScopeController* scope, int d);

// Which trace a scope wave switch turns on and off.
enum eRnScopeWaveformType : int { kScopeInputWave = 1, kScopeOutputWave = 2 };

// The scope: the ring of display entries the audio block fills, drawn as two
// stacked traces (left channel above, right below), the input under the
// output, from the oldest entry at the left to the newest at the right. The
// ring is read without a lock while blocks write it: each entry is read once
// and its values are clamped, so a half-written entry costs one column for
// one frame. The mouse wheel zooms.
class IRnWaveDrawer : public IBitmapControl {
public:
  IRnWaveDrawer(IFxBase* plug, IScopeController* scope,
                const CircularBuffer<Types::VisSample>& ring, int x, int y, const IBitmap* bitmap,
                IChannelBlend::EBlendMethod blend = IChannelBlend::kBlendAlpha);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  void Draw(IGraphics* graphics) override;
  // The traces' area: the control inset by 5 pixels on every side.
  const IRECT& GetScopeRECT() const { return mScopeRECT; }
  // Pixels of full scale: a quarter of the traces' area's height.
  double GetAmplitude() const { return mQ; }

private:
  void DrawTrace(IGraphics* graphics, bool output, int mode);

  IRECT mScopeRECT;
  double mQ;
  IScopeController* mScope;
  const CircularBuffer<Types::VisSample>& mRing;
};

// Cycles the scope's draw mode: connected, filled, mirrored.
class IRnDrawModeButton : public ISwitchControl {
public:
  IRnDrawModeButton(IFxBase* plug, IScopeController* scope, int x, int y, int paramIdx,
                    const IBitmap* bitmap);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Shows the mode the effect holds.
  void UpdateData();

private:
  IScopeController* mScope;
};

// Turns the input or the output trace on and off.
class IRnScopeWaveSwitch : public ISwitchControl {
public:
  IRnScopeWaveSwitch(IFxBase* plug, IScopeController* scope, int x, int y, int paramIdx,
                     const IBitmap* bitmap, eRnScopeWaveformType type);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Shows whether the effect draws this trace.
  void UpdateData();
  eRnScopeWaveformType GetType() const { return mType; }

private:
  IScopeController* mScope;
  eRnScopeWaveformType mType;
};

// The program load or save button: a file panel, then the effect reads or
// writes the chosen program file (a path holding ".fxp" as a host program
// file, anything else as a program text file).
class IRnFileSelector : public IFileSelectorControl {
public:
  IRnFileSelector(IFxBase* plug, IDistoFileController* controller, IRECT rect, int paramIdx,
                  const IBitmap* bitmap, EFileAction action, const char* folder = "",
                  const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void Draw(IGraphics* graphics) override;

private:
  IDistoFileController* mController;
};

}  // namespace Rawnfield

class IFxStandalone;

// A momentary button that opens an address: the first one, or the second
// when the first is missing or cannot be opened; the message titles the
// window that may report it.
class IRnUrlButton : public IContactControl {
public:
  // Longest message kept, in characters.
  static constexpr size_t kMaxMessageLen = 1023;

  IRnUrlButton(IFxStandalone* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
               const char* url, const char* backupURL = nullptr, const char* message = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  const std::string& GetURL() const { return mURL; }
  const std::string& GetBackupURL() const { return mBackupURL; }
  const std::string& GetMessage() const { return mMessage; }

private:
  std::string mURL, mBackupURL, mMessage;
};

// A plain drawing field: one value per pixel column of its rectangle, drawn
// with the left button as the curve editor draws (-1 at the top edge, +1 at
// the bottom), shown as a white line in a blue frame. The changed flag of
// its curve tells whoever reads it that the user drew.
class IRnDrawArea : public IControl {
public:
  IRnDrawArea(IFxBase* plug, IRECT rect);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void Draw(IGraphics* graphics) override;

  // The drawn curve at x in 0..1, as stored (not clamped).
  double getCurveValue(double x) const { return mCurve.interpolate(x); }
  void setCurveValue(int index, double value) { mCurve.setCurveValue(index, value); }
  Rawnfield::DrawnCurve& GetDrawnCurve() { return mCurve; }

private:
  void Touched();

  Rawnfield::DrawnCurve mCurve;
};
