// Curve exchange: comma-separated text, WAVE files and C source text. These
// run between blocks (imports rewrite the table the audio reads), so they may
// allocate; every import builds the new curve aside and only then copies it
// in, so a failure leaves the table as it was.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CurveMath.h"
#include "Distortion.h"
#include "DistortionDataProvider.h"
#include "FileBytes.h"
#include "Resampler.h"
#include "WaveFile.h"

namespace Rawnfield {

using CurveMath::finiteOrZero;

const char* const Distortion::kDistortionDataPath = "distortion_data.txt";

namespace {

// Curve text files are a few kilobytes; anything near this is not one.
constexpr long kMaxCurveTextFile = WaveFile::kMaxFileSize;

// Room for any double in fixed notation with up to 15 decimals.
constexpr int kNumberBuffer = 400;

void appendNumber(std::string& s, const char* format, double v) {
  char buf[kNumberBuffer];
  snprintf(buf, sizeof buf, format, v);
  s += buf;
}

// Reads up to n comma-separated fields, each converted the way atof does.
// A comma at the very end opens no further field; an empty text has none.
std::vector<double> parseFields(const char* text, size_t len, size_t n) {
  std::vector<double> values;
  std::string field;
  size_t start = 0;
  while (values.size() < n && start < len) {
    const void* hit = memchr(text + start, ',', len - start);
    const size_t end = hit ? static_cast<size_t>(static_cast<const char*>(hit) - text) : len;
    field.assign(text + start, end - start);
    values.push_back(strtod(field.c_str(), nullptr));
    start = end + 1;
  }
  return values;
}

// The curve as C source lines: 8 values a line, the halves marked.
std::string codeText(const LookUp& lut) {
  const int n = lut.size;
  std::string s = "// Rawnfield distortion-curve data: " + lut.name + "\n";
  s += "double curve_data[] = { \n  /* negative part */\n  ";
  for (int i = 0; i < n; ++i) {
    appendNumber(s, "%.15f", lut.base.data[i]);
    if (i < n - 1) s += ",";
    if (i > 0 && (i + 1) % 8 == 0) s += "\n  ";
    if (i == 255) s += "/* positive part */\n  ";
  }
  s += "}; \n";
  return s;
}

// A type name as part of a C identifier.
std::string identifier(const std::string& name) {
  std::string id = name;
  for (char& c : id) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!keep) c = '_';
  }
  return id;
}

bool writeText(const std::string& path, const std::string& text) {
  return FileBytes::writeAll(path, "w", text.data(), text.size());
}

}  // namespace

std::string Distortion::getLutDataString() const {
  std::string s;
  if (!current) return s;
  const int n = current->size;
  s.reserve(static_cast<size_t>(n) * 14);
  for (int i = 0; i < n; ++i) {
    if (i) s += ',';
    appendNumber(s, "%.10f", current->base.data[i]);
  }
  return s;
}

bool Distortion::setLutDataString(const std::string& text) {
  if (!current || current->size == 0) return false;
  const size_t n = current->size;
  const std::vector<double> values = parseFields(text.data(), text.size(), n);
  if (values.size() != n) return false;
  CurveMath::loadClamped(current->base.data, values.data(), static_cast<int>(n));
  return true;
}

void Distortion::exportToCsv(const std::string& path) const {
  if (!current) return;
  writeText(path, getLutDataString());
}

bool Distortion::importLutData(const std::string& path) {
  if (!current) return false;
  std::vector<unsigned char> bytes;
  if (!FileBytes::readAll(path, kMaxCurveTextFile, bytes)) return false;
  return setLutDataString(std::string(bytes.begin(), bytes.end()));
}

void Distortion::exportToWAVE(const std::string& path) const {
  if (!current) return;
  WaveFile wav(path);
  wav.setData(current->base.data, current->size);
  wav.saveData();
}

void DistortionDataProvider::exportToWAVE(const DistoData& curve, const std::string& path) const {
  WaveFile wav(path);
  wav.setData(curve.data, curve.size);
  wav.saveData();
}

bool Distortion::importLutDataFromWAVE(const std::string& path) {
  if (!current || current->size == 0) return false;
  WaveFile wav(path);
  if (!wav.loadData() || wav.getNumFrames() < 1) return false;

  // The file's shape scaled to peak 1. Non-finite samples count as 0 before
  // the peak is taken, so a single bad sample cannot blank the curve.
  const std::vector<WaveSample>& frames = wav.getFrames();
  const int F = wav.getNumFrames();
  std::vector<double> shape(static_cast<size_t>(F));
  double peak = 0.0;
  for (int i = 0; i < F; ++i) {
    shape[i] = finiteOrZero(frames[i].left);
    peak = std::fmax(peak, std::fabs(shape[i]));
  }
  if (peak > 0.0)
    for (double& v : shape) v /= peak;

  // Stretched onto the table: first frame to the first entry, last frame to
  // the last.
  const int n = current->size;
  std::vector<double> curve(static_cast<size_t>(n));
  if (!KIT_ResampleShape(shape.data(), F, curve.data(), n)) return false;
  CurveMath::loadClamped(current->base.data, curve.data(), n);
  dataAction(Types::kNormalizeCurve);
  return true;
}

void Distortion::exportLutDataToCode(const std::string& path) const {
  if (!current) return;
  writeText(path, codeText(*current));
}

void Distortion::writeToHeaderFile(const std::string& path) const {
  std::string s = "#pragma once\n\nnamespace Rawnfield\n{\n";
  std::vector<const LookUp*> written;
  for (const LookUp* lut : typeMap) {
    if (!lut) continue;
    // Two keys share one table: a second array of the same name would not
    // compile.
    bool seen = false;
    for (const LookUp* w : written) seen = seen || w == lut;
    if (seen) continue;
    written.push_back(lut);
    s += "  //" + lut->name + "\n";
    s += "  double g" + identifier(lut->name) + "_data[] = {\n    ";
    const int n = lut->size;
    for (int i = 0; i < n; ++i) {
      appendNumber(s, "%.12g", lut->base.data[i]);
      s += i < n - 1 ? ", " : "\n";
      if (i > 0 && i % 8 == 0) s += "\n    ";
    }
    s += "    };\n";
  }
  s += "} // namespace Rawnfield\n";
  writeText(path, s);
}

void Distortion::saveDistortionData() const {
  const LookUp& lut = tables[23];
  if (lut.size == 0) return;
  std::string s;
  for (int i = 0; i < 10000; ++i) {
    appendNumber(s, "%g", lut.read(lut.base.data, 2.0 * i / 10000 - 1.0));
    s += ";\n";
  }
  writeText(kDistortionDataPath, s);
}

}  // namespace Rawnfield
