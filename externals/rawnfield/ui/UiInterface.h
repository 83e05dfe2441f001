#pragma once

// The interfaces through which the editor's controls reach the effect. A
// control holds a non-owning pointer to one of them and never the effect
// itself.

#include <string>

#include "DistoTypes.h"
#include "kitstring.h"

namespace Rawnfield {

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
