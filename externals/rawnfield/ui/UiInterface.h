#pragma once

// The interfaces through which the editor's controls reach the effect. A
// control holds a non-owning pointer to one of them and never the effect
// itself.

#include <string>

#include "DistoTypes.h"
#include "kitstring.h"

namespace Rawnfield {

class DrawnCurve;

// The editor's three pages.
enum PlugTabs : int { kPlugTab = 0, kScopeTab = 1, kAboutTab = 2 };
// The two pages of the equaliser area.
enum EqTabs : int { kSubBandEqTab = 0, kDistoBandEqTab = 1 };
// The two bands of the crossover.
enum BandId : int { kSubBand = 0, kDistoBand = 1 };
// Which filter a filter-type menu shows: 0 filter 1, 1 filter 2; 2..7 name
// the spare oscillator filters, which this effect does not have.
enum DropDownListFilterTypes : int { kFxFilter1 = 0, kFxFilter2 = 1, kNumFilterMenuKinds = 8 };
// Which oscillator a waveform menu shows, and which modulator an LFO signal
// menu shows; this effect has neither, the menus serve the generators.
enum DropDownListWaveformTypes : int { kOsc1Waveform = 0, kOsc2Waveform = 1 };
enum DropDownListLfoSignalTypes : int { kLfo1Signal = 0, kLfo2Signal = 1 };
// How the scope draws a trace: connected, filled from the centre line, or
// mirrored about it.
enum eRnScopeDrawMode : int { kScopeDrawLine = 0, kScopeDrawFilled = 1, kScopeDrawMirrored = 2 };

// The page tabs' road to the effect: each shows its page and hides the others.
class ITabController {
public:
  virtual ~ITabController() {}
  virtual void onPlugTab() = 0;
  virtual void onScopeTab() = 0;
  virtual void onAboutTab() = 0;
  virtual void onTestTab() = 0;
};

// The equaliser tabs' road to the effect.
class IEqController {
public:
  virtual ~IEqController() {}
  virtual void onSubBandTab(bool show) = 0;
  virtual void onDistoBandTab(bool show) = 0;
};

// Magnitude responses of the two crossover bands for the band display.
class IBandFreqCurveProvider {
public:
  virtual ~IBandFreqCurveProvider() {}
  // n magnitudes at the normalised frequencies (i/n)^2 * 0.5, i = 0..n-1.
  virtual void provideFreqCurve(BandId band, double* out, int n) const = 0;
};

// What the filter-type menus show and mark.
class IFilterDataProvider {
public:
  virtual ~IFilterDataProvider() {}
  virtual std::string getFilterTypeText(DropDownListFilterTypes which) const = 0;
  virtual std::string getFilterShortText(DropDownListFilterTypes which) const = 0;
  virtual int getFxFilterType(DropDownListFilterTypes which) const = 0;
  virtual int getOscFilterType(DropDownListFilterTypes which) const = 0;
};

// What a waveform menu shows and marks: the waveform's full and short
// names and its row.
class IOscWaveformDataProvider {
public:
  virtual ~IOscWaveformDataProvider() {}
  virtual std::string getWaveformTypeText(DropDownListWaveformTypes which) const = 0;
  virtual std::string getWaveformShortText(DropDownListWaveformTypes which) const = 0;
  virtual int getWaveformType(DropDownListWaveformTypes which) const = 0;
};

// What an LFO signal menu shows and marks: the signal's full and short
// names and its row.
class ILfoSignalDataProvider {
public:
  virtual ~ILfoSignalDataProvider() {}
  virtual std::string getLfoSignalTypeText(DropDownListLfoSignalTypes which) const = 0;
  virtual std::string getLfoSignalShortText(DropDownListLfoSignalTypes which) const = 0;
  virtual int getLfoSignalType(DropDownListLfoSignalTypes which) const = 0;
};

// What the distortion-type menu asks of the effect.
class IDistoDataProvider {
public:
  virtual ~IDistoDataProvider() {}
  // The type of the master curve.
  virtual Types::eDistortionType getDistortionType() const = 0;
};

// The curve editor's road to the curves and their files.
class IDistoCurveEditor {
public:
  virtual ~IDistoCurveEditor() {}
  // Applied at once while no blocks run, otherwise by the next block.
  virtual void distoCurveAction(Types::eDistoCurveAction action) = 0;
  virtual std::string GetLastSelectedDistoCurveFile() const = 0;
  virtual void ImportDistoCurve(const KIT_String& path) = 0;          // CSV
  virtual void ImportDistoCurveFromWAVE(const KIT_String& path) = 0;  // WAV
  virtual void ExportDistoCurve(const KIT_String& path) = 0;          // CSV
  virtual void ExportDistoCurveToWave(const KIT_String& path) = 0;
  virtual void ExportDistoCurveToCode(const KIT_String& path) = 0;
  // Takes the drawn curve into the three curves.
  virtual void updateDistoCurveValuesFromGUI() = 0;
  // True whenever audio blocks may run.
  virtual bool isPlaying() const = 0;
  // The curve editor hands over the curve the user draws (null when it
  // goes away); the effect reads it when its changed flag is set.
  virtual void attachDrawnCurve(DrawnCurve* curve) = 0;
};

// What the preset menu shows.
class IFxPresetProvider {
public:
  virtual ~IFxPresetProvider() {}
  // "NN: name" of the current preset, NN its number from 1.
  virtual std::string GetCurrentPresetString() = 0;
};

// The scope controls' road to the effect's scope settings.
class IScopeController {
public:
  virtual ~IScopeController() {}
  virtual void setFreeze(bool freeze) = 0;
  // Ten percent per step, within 10..500 %.
  virtual void zoomScope(bool zoomIn, double steps) = 0;
  virtual eRnScopeDrawMode getDrawMode() const = 0;
  virtual void setDrawMode(eRnScopeDrawMode mode) = 0;
  virtual bool doDrawInputSignal() const = 0;
  virtual bool doDrawOutputSignal() const = 0;
  virtual void setDrawInputSignal(double v) = 0;
  virtual void setDrawOutputSignal(double v) = 0;
};

// The program file selectors' road to the effect.
class IDistoFileController {
public:
  virtual ~IDistoFileController() {}
  virtual std::string GetLastSelectedProgramFile() const = 0;
  virtual void SaveProgAsRN(const KIT_String& path) = 0;
  virtual void LoadProgFromRN(const KIT_String& path) = 0;
  // Program files of the host container are not offered: both return false.
  virtual bool SaveProgAsFXP(const KIT_String& path) = 0;
  virtual bool LoadProgFromFXP(const KIT_String& path) = 0;
};

}  // namespace Rawnfield
