#pragma once

#include <string>

namespace Rawnfield {

// The editor's settings that are not parameters: the visible tab page, how
// the scope draws, the scope zoom, the last program and curve files, the
// product name and the version numbers. It travels inside the plug-in state
// chunk (field by field, numbers first) and as the configuration section
// appended to every program file:
//
//   [Harshbloom_Config]
//   Config.LastSelectedProgramFile = <path>;
//   Config.LastSelectedDistoCurveFile = <path>;
//   UiConfig.VisibleTab = <n>;        (and the other four numbers)
//
// Every text field is kTextSize bytes and always ends in NUL, so it holds
// at most kTextSize - 1 characters; longer texts are cut.
class PlugConfig {
public:
  static constexpr size_t kTextSize = 1024;
  static constexpr double kMinZoom = 10.0;
  static constexpr double kMaxZoom = 500.0;
  static constexpr double kDefaultZoom = 100.0;
  static constexpr double kMaxTabOrMode = 2.0;

  static constexpr const char* kEntryValueSeparator = " = ";
  static constexpr const char* kEntrySeparator = ";";
  static constexpr const char* kLastSelectedProgramFile = "Config.LastSelectedProgramFile";
  static constexpr const char* kLastSelectedDistoCurveFile = "Config.LastSelectedDistoCurveFile";
  static constexpr const char* kUiConfigVisibleTab = "UiConfig.VisibleTab";
  static constexpr const char* kUiConfigScopeDrawMode = "UiConfig.ScopeDrawMode";
  static constexpr const char* kUiConfigScopeDrawInput = "UiConfig.ScopeDrawInput";
  static constexpr const char* kUiConfigScopeDrawOutput = "UiConfig.ScopeDrawOutput";
  static constexpr const char* kUiConfigScopeZoom = "UiConfig.ScopeZoom";

  // The five texts, in field order.
  enum eText : int {
    kProductName = 0,
    kLastProgramFile,
    kLastCurveFile,
    kSpareText1,  // no meaning; carried in the state chunk only
    kSpareText2,
    kNumTexts,
  };

  PlugConfig();
  PlugConfig(double major, double minor, double build, double revision);
  ~PlugConfig() {}

  // The defaults again: product "Harshbloom", other texts empty, versions
  // 0, tab 0, scope mode, input and output 1, zoom 100.
  void init();

  const char* getText(eText which) const { return texts[which]; }
  // Stores at most kTextSize - 1 bytes of text and zero-fills the rest.
  void setText(eText which, const std::string& text);
  // For a field copied in raw (from a state chunk): forces the last byte to
  // NUL so that the text ends inside its field.
  void terminateTexts();

  void setVisibleTab(unsigned tab) { visibleTab = tab; }
  // max(10, zoom), at most 500; NaN keeps the zoom.
  void setScopeZoom(double zoom);

  // Appends the configuration section to path (creating the file). True
  // when the file could be opened.
  bool saveConfig(const std::string& path) const;
  // Reads the seven keys from any line of path, section head or not. A file
  // key is taken only when its value names an existing readable file; the
  // numbers are kept within the record's bounds (tab and draw mode 0..2,
  // zoom 10..500) and a NaN leaves a number as it was. True when path names
  // a regular file that could be opened (a named pipe is never waited on).
  bool loadConfig(const std::string& path);

  // Fields, in the order the state chunk and the record keep them.
  char texts[kNumTexts][kTextSize];
  double versionMajor;
  double versionMinor;
  double versionBuild;
  double versionRevision;
  double visibleTab;       // 0 plug-in page, 1 scope, 2 about
  double scopeDrawMode;    // 0..2
  double scopeDrawInput;   // 1 when the scope draws the input
  double scopeDrawOutput;  // 1 when the scope draws the output
  double scopeZoom;        // percent, kMinZoom..kMaxZoom

private:
  static std::string configLine2String(const std::string& line);
  static double configLine2Double(const std::string& line);
};

static_assert(sizeof(PlugConfig) == 5192, "the state chunk stores the record as 5192 bytes");

}  // namespace Rawnfield
