#include "PlugConfig.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "FileBytes.h"
#include "FileSections.h"

namespace Rawnfield {

namespace {

constexpr const char* kProductDefault = "Harshbloom";

// The number within lo..hi; a NaN keeps the previous value.
void storeClamped(double& field, double v, double lo, double hi) {
  if (std::isnan(v)) return;
  field = std::max(lo, std::min(hi, v));
}

}  // namespace

PlugConfig::PlugConfig() {
  init();
}

PlugConfig::PlugConfig(double major, double minor, double build, double revision) {
  init();
  versionMajor = major;
  versionMinor = minor;
  versionBuild = build;
  versionRevision = revision;
}

void PlugConfig::init() {
  memset(texts, 0, sizeof texts);
  setText(kProductName, kProductDefault);
  versionMajor = 0.0;
  versionMinor = 0.0;
  versionBuild = 0.0;
  versionRevision = 0.0;
  visibleTab = 0.0;
  scopeDrawMode = 1.0;
  scopeDrawInput = 1.0;
  scopeDrawOutput = 1.0;
  scopeZoom = kDefaultZoom;
}

void PlugConfig::setText(eText which, const std::string& text) {
  if (which < 0 || which >= kNumTexts) return;
  char* field = texts[which];
  const size_t n = std::min(text.size(), kTextSize - 1);
  memcpy(field, text.data(), n);
  memset(field + n, 0, kTextSize - n);
}

void PlugConfig::terminateTexts() {
  for (auto& field : texts) field[kTextSize - 1] = '\0';
}

void PlugConfig::setScopeZoom(double zoom) {
  storeClamped(scopeZoom, zoom, kMinZoom, kMaxZoom);
}

bool PlugConfig::saveConfig(const std::string& path) const {
  FILE* f = fopen(path.c_str(), "a");
  if (!f) return false;
  fprintf(f, "%s\n", File::kConfigSection);
  fflush(f);
  const struct {
    const char* key;
    const char* text;
  } files[] = {
      {kLastSelectedProgramFile, texts[kLastProgramFile]},
      {kLastSelectedDistoCurveFile, texts[kLastCurveFile]},
  };
  for (const auto& line : files) {
    fprintf(f, "%s%s%.*s%s\n", line.key, kEntryValueSeparator, static_cast<int>(kTextSize - 1),
            line.text, kEntrySeparator);
    fflush(f);
  }
  const struct {
    const char* key;
    double value;
  } numbers[] = {
      {kUiConfigVisibleTab, visibleTab},
      {kUiConfigScopeDrawMode, scopeDrawMode},
      {kUiConfigScopeDrawInput, scopeDrawInput},
      {kUiConfigScopeDrawOutput, scopeDrawOutput},
      {kUiConfigScopeZoom, scopeZoom},
  };
  for (const auto& line : numbers) {
    fprintf(f, "%s%s%g%s\n", line.key, kEntryValueSeparator, line.value, kEntrySeparator);
    fflush(f);
  }
  fclose(f);
  return true;
}

bool PlugConfig::loadConfig(const std::string& path) {
  if (!FileBytes::isReadableFile(path)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    const auto has = [&line](const char* key) { return line.find(key) != std::string::npos; };
    for (const auto& file : {std::make_pair(kLastSelectedProgramFile, kLastProgramFile),
                             std::make_pair(kLastSelectedDistoCurveFile, kLastCurveFile)}) {
      if (!has(file.first)) continue;
      // A stale path never enters the record.
      const std::string value = configLine2String(line);
      if (!value.empty() && FileBytes::isReadableFile(value)) setText(file.second, value);
    }
    if (has(kUiConfigVisibleTab)) storeClamped(visibleTab, configLine2Double(line), 0.0, kMaxTabOrMode);
    if (has(kUiConfigScopeDrawMode))
      storeClamped(scopeDrawMode, configLine2Double(line), 0.0, kMaxTabOrMode);
    if (has(kUiConfigScopeDrawInput)) storeClamped(scopeDrawInput, configLine2Double(line), 0.0, 1.0);
    if (has(kUiConfigScopeDrawOutput))
      storeClamped(scopeDrawOutput, configLine2Double(line), 0.0, 1.0);
    if (has(kUiConfigScopeZoom)) setScopeZoom(configLine2Double(line));
  }
  return true;
}

std::string PlugConfig::configLine2String(const std::string& line) {
  if (line.find(kEntrySeparator) == std::string::npos) return std::string();
  const size_t e = line.find(kEntryValueSeparator);
  if (e == std::string::npos) return std::string();
  const size_t s = e + strlen(kEntryValueSeparator);
  // The last character is taken to be the ";".
  if (s + 1 >= line.size()) return std::string();
  return line.substr(s, line.size() - s - 1);
}

double PlugConfig::configLine2Double(const std::string& line) {
  const std::string text = configLine2String(line);
  return text.empty() ? 0.0 : atof(text.c_str());
}

}  // namespace Rawnfield
