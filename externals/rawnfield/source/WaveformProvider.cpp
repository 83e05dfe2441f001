#include "WaveformProvider.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "GenMath.h"
#include "PolyBLEP.h"
#include "Resampler.h"
#include "WaveFile.h"

namespace Rawnfield {

using namespace Types;
using GenMath::kPi;
using GenMath::kTwoPi;

namespace {

constexpr int N = kWaveformLength;
constexpr int kFirstUser = kWaveUser1;
constexpr int kLastUser = kWaveUser16;
constexpr int kWhiteNoize = kWaveWhiteNoize;
constexpr int kPinkNoize = kWavePinkNoize;
constexpr int kCount = kNumWaveforms;

const char* const kNames[kNumWaveforms] = {
    "Sine",          "Triangle",      "Trapez",        "Pulse",       "QuadPulse",
    "OctPulse",      "X-Trapez",      "Sawtooth",      "S-Receptor",  "D-Receptor",
    "Wave-Scape",    "Wave-Garden",   "Wave-Vibe",     "Noize",       "Low-Q Noise 1",
    "Low-Q Noise 2", "Low-Q Noise 3", "PinkNoize",     "WhiteNoize",  "Pyrokinesis",
    "Shikoku",       "KIC 8462852",   "Synapsis",      "Brick-Breaker", "Geo-Chirp",
    "User1",         "User2",         "User3",         "User4",       "User5",
    "User6",         "User7",         "User8",         "User9",       "User10",
    "User11",        "User12",        "User13",        "User14",      "User15",
    "User16",
};

// Peaks the built-in and user cycles are scaled to.
constexpr double kBuiltInPeak = 0.98777;
constexpr double kUserDefaultPeak = 0.998777;
constexpr double kLoadedPeak = 0.999;

// 4x rising to 1 at a quarter, falling to -1 at three quarters, back to 0.
double tri(double v) {
  if (v < 0.25) return 4.0 * v;
  if (v < 0.75) return 2.0 - 4.0 * v;
  return 4.0 * (v - 1.0);
}

double frac(double y) {
  return y - std::trunc(y);
}

double clamp(double y, double lo, double hi) {
  return y < lo ? lo : (y > hi ? hi : y);
}

double noiseValue() {
  return (std::rand() % 16384 - 8192) / 8192.0;
}

// The waveform a selection value names, or -1.
int waveformOf(double v) {
  return GenMath::selectionIndex(v, 40, kNumWaveforms - 1);
}

bool isAnalytic(int w) {
  return w == kWaveSine || w == kWaveTriangle || w == kWavePulse || w == kWaveQuadPulse ||
         w == kWaveOctPulse || w == kWaveSawtooth;
}

// n points of one cycle of an analytic waveform from an oscillator running
// at one cycle per n samples; pulses are offset to swing between +1 and -1.
void analyticCycle(int w, double* buf, int n, bool syncFirst, double phase) {
  PolyBLEP osc(44100.0, PolyBLEP::SINE, 440.0);
  osc.setSampleRate(n);
  double pw = 0.5, offset = 0.0;
  switch (w) {
    case kWaveTriangle:
      osc.setWaveform(PolyBLEP::TRIANGLE);
      break;
    case kWavePulse:
      osc.setWaveform(PolyBLEP::RECTANGLE);
      break;
    case kWaveQuadPulse:
      osc.setWaveform(PolyBLEP::RECTANGLE);
      pw = 0.25;
      offset = -0.5;
      break;
    case kWaveOctPulse:
      osc.setWaveform(PolyBLEP::RECTANGLE);
      pw = 0.125;
      offset = -0.75;
      break;
    case kWaveSawtooth:
      osc.setWaveform(PolyBLEP::SAWTOOTH);
      break;
    default:
      break;
  }
  osc.setPulseWidth(pw);
  osc.setFrequency(1.0);
  osc.setOffset(offset);
  if (syncFirst) osc.sync(phase);
  for (int i = 0; i < n; ++i) buf[i] = osc.getAndInc();
}

void appendFixed(std::string& out, double v, int precision, int width) {
  char text[400];
  const std::to_chars_result r =
      std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, precision);
  const int len = static_cast<int>(r.ptr - text);
  if (len < width) out.append(static_cast<size_t>(width - len), ' ');
  out.append(text, static_cast<size_t>(len));
}

// The frames of a stretched raw file: count values onto n points, each
// point between the value its position rounds to and the next.
void stretch(const double* buf, int count, double* dest, int n) {
  for (int i = 0; i < n; ++i) {
    const double x = static_cast<double>(i) / n * count;
    int j = static_cast<int>(std::floor(x + 0.5));
    // Positions that round up to the count stay on the last value.
    if (j > count - 1) j = count - 1;
    const double f = x - j;
    const double next = j + 1 < count ? buf[j + 1] : buf[count - 1];
    dest[i] = f * next + (1.0 - f) * buf[j];
  }
}

}  // namespace

WaveformProvider::WaveformProvider()
    : waveForms(new RnWaveForms()), rawBuffer(N, 0.0), pending(N, 0.0), shapeArray(N, 0.0) {
  makeStoredWaveforms();
}

// --- building ------------------------------------------------------------

void WaveformProvider::makeWaveforms() {
  RnWaveForms& a = *waveForms;
  std::srand(1800);
  double h75 = 0.0, h50 = 0.0, h25 = 0.0, h100 = 0.0;
  for (int i = 0; i < N; ++i) {
    const double x = static_cast<double>(i) / N;
    const double s = std::sin(kPi * x);
    const double s2 = std::sin(kTwoPi * x);
    const double t = tri(x);

    // rand() is drawn in this order at every point.
    a[2][i] = noiseValue();
    if (i % 75 == 0) h75 = noiseValue();
    if (i % 50 == 0) {
      const double r = noiseValue();
      h50 = (tri(frac(x / 2.0)) * r + r) / 2.0;
    }
    if (i % 25 == 0) h25 = noiseValue() * t;
    if (i % 100 == 0) h100 = (std::rand() % 256 - 128) / 128.0;

    double w = s2;
    if (s2 > 0.5) w = s2 - t;
    else if (s2 < -0.5) w = s2 + std::fabs(t);
    a[12][i] = -(w * s);

    a[0][i] = s2;
    a[1][i] = x < 0.5 ? 1.0 : -1.0;
    a[3][i] = 0.8 * h75 + 0.2 * h75 * a[12][i];
    a[4][i] = 0.1 * s2 + 0.8 * h50 + 0.2 * t * h50;
    a[5][i] = h25;
    a[6][i] = -0.125 * s2 + h100;
    a[7][i] = -std::sin(2.0 * kTwoPi * x) * s * s;
    a[8][i] = 0.25 * (1.0 - s) * std::sin(6.0 * kTwoPi * x) + s * s * s * s * std::sin(2.0 * kTwoPi * x);
    a[9][i] = std::sin(4.0 * kTwoPi * x) * s * s;
    a[10][i] = clamp(std::tan(kPi * x), -4.0, 4.0);
    a[11][i] = clamp(std::tan(kTwoPi * x), -4.0, 4.0);
    a[13][i] = x < 0.25 || x >= 0.75 ? 0.5 * tri(frac(2.0 * x)) : tri(frac(2.0 * (x - 0.25)));
    const double b =
        x < 0.5 ? clamp(4.4 * std::sin(2.0 * kTwoPi * x), -1.0, 1.0) : 0.5 * tri(frac(2.0 * (x - 0.5)));
    a[14][i] = b + 0.25 * tri(frac(4.0 * x));
    const double q = i < N / 2 ? 1.0 : -1.0;
    a[15][i] = clamp(0.7 * q - 0.4 * q * std::sin(8.0 * kTwoPi * x) * s * s, -1.0, 1.0);
    a[16][i] = x >= 0.1 && x < 0.3 ? 1.0 : (x >= 0.6 && x < 0.7 ? -1.0 : 0.0);
    a[17][i] = std::cos(kPi * x / 2.0) * tri(frac(60.0 * std::pow(1.0 - x, 15.0)));

    double shapeValue = 1.0;
    if ((i >= 1025 && i <= 1087) || (i >= 3073 && i <= 3135)) shapeValue = 0.0777;
    if ((i >= 513 && i <= 543) || (i >= 1537 && i <= 1567) || (i >= 2561 && i <= 2591) ||
        (i >= 3585 && i <= 3615))
      shapeValue = 0.1777;
    shapeArray[i] = shapeValue;
  }
  LoadWaveforms();
  for (int k : {2, 3, 4, 5, 8, 10, 11, 12, 13, 14, 15, 17})
    GenMath::scaleToPeak(a[k], N, kBuiltInPeak);
}

std::string WaveformProvider::userFilePath(int k) const {
  char name[16];
  std::snprintf(name, sizeof name, "user%02d.raw", k);
  std::string path = workingDirectory;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + subFolder + "/" + name;
}

void WaveformProvider::LoadWaveforms() {
  makeStoredWaveforms();
  for (int k = 1; k <= kNumUserFiles; ++k)
    LoadWaveform(userFilePath(k).c_str(), userWaveform(k), N);
  const std::string last = userFilePath(kNumUserFiles);
  for (int k = 11; k <= 13; ++k) LoadWaveform(last.c_str(), userWaveform(k), N);
  for (int k = 1; k <= 13; ++k) GenMath::scaleToPeak(userWaveform(k), N, kUserDefaultPeak);
}

const double* WaveformProvider::cycleOf(int w) const {
  const RnWaveForms& a = *waveForms;
  switch (w) {
    case kWaveSine: return a[0];
    case kWaveTriangle: return gTriangleWaveform;
    case kWaveTrapez: return gTrapezWaveform;
    case kWavePulse: return gPulseWaveform;
    case kWaveQuadPulse: return gQuadPulseWaveform;
    case kWaveXTrapez: return gXTrapezWaveform;
    case kWaveSReceptor: return a[10];
    case kWaveDReceptor: return a[11];
    case kWaveWaveScape: return a[7];
    case kWaveWaveGarden: return a[8];
    case kWaveWaveVibe: return a[9];
    case kWaveNoize: return a[2];
    case kWaveLowQNoise1: return a[3];
    case kWaveLowQNoise2: return a[4];
    case kWaveLowQNoise3: return a[5];
    case kWavePyrokinesis: return a[12];
    case kWaveShikoku: return a[13];
    case kWaveKIC8462852: return a[14];
    case kWaveSynapsis: return a[15];
    case kWaveBrickBreaker: return a[16];
    case kWaveGeoChirp: return a[17];
    default:
      // OctPulse, Sawtooth and the two noises have no tables.
      return w >= kFirstUser && w <= kLastUser ? userWaveform(w - kFirstUser + 1) : nullptr;
  }
}

void WaveformProvider::genTables() {
  for (int w = 0; w < kCount; ++w) {
    tables[w].clear();
    if (const double* c = cycleOf(w)) tables[w].genTables(c, N);
  }
}

// --- files ---------------------------------------------------------------

bool WaveformProvider::LoadWaveform(const char* path, double* dest, int n) {
  if (!path || !dest) return false;
  const char* dot = std::strstr(path, ".wav");
  return dot ? LoadWaveformWAVE(path, dest, n) : LoadWaveformRAW(path, dest, n);
}

bool WaveformProvider::LoadWaveformRAW(const char* path, double* dest, int n) {
  // The stretch runs through the reading buffer of one cycle.
  if (!path || !dest || n < 1 || n > N) return false;
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  const long count = size / 8;
  bool ok = count > 0 && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    const int take = count < n ? static_cast<int>(count) : n;
    std::fill(rawBuffer.begin(), rawBuffer.end(), 0.0);
    ok = std::fread(rawBuffer.data(), sizeof(double), take, f) == static_cast<size_t>(take);
    if (ok && take == n) std::memcpy(dest, rawBuffer.data(), sizeof(double) * n);
    else if (ok) stretch(rawBuffer.data(), take, dest, n);
  }
  std::fclose(f);
  if (!ok) return false;
  // Unreadable numbers would spread through every table built from them.
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(dest[i])) dest[i] = 0.0;
  return true;
}

bool WaveformProvider::LoadWaveformWAVE(const char* path, double* dest, int n) {
  if (!path || !dest || n < 1) return false;
  WaveFile file(path);
  if (!file.loadData() || file.getNumFrames() < 1) return false;
  const std::vector<WaveSample>& frames = file.getFrames();
  const int count = file.getNumFrames();
  if (count == n) {
    for (int i = 0; i < n; ++i) dest[i] = frames[i].left;
    return true;
  }
  KIT_Resampler rs;
  rs.SetMode(true, 1, false, 0, 0);
  rs.m_filterq = 0.707f;
  rs.Reset(0.0);
  rs.SetRates(count, n);
  const int want = n + 4;
  std::vector<double> out(want, 0.0);
  int got = 0;
  long fed = 0;
  // A single cycle: reads past its end continue from its start.
  for (int guard = 0; got < want && guard < 64; ++guard) {
    double* where = nullptr;
    const int grant = rs.ResamplePrepare(want - got, 1, &where);
    if (grant < 1 || !where) break;
    for (int k = 0; k < grant; ++k) where[k] = frames[(fed + k) % count].left;
    fed += grant;
    got += rs.ResampleOut(out.data() + got, grant, want - got, 1);
  }
  for (int i = 0; i < n; ++i) dest[i] = std::isfinite(out[i + 2]) ? out[i + 2] : 0.0;
  return true;
}

void WaveformProvider::saveWaveform(const char* path, const double* data, int n) {
  if (!path || !data || n < 0) return;
  FILE* f = std::fopen(path, "wb");
  if (!f) return;
  std::fwrite(data, sizeof(double), static_cast<size_t>(n), f);
  std::fclose(f);
}

bool WaveformProvider::saveWaveformToHeader(const char* path, const double* data, int n) {
  if (!path || (!data && n > 0)) return false;
  FILE* f = std::fopen(path, "w");
  if (!f) return false;
  std::string text = "namespace Rawnfield\n{\n  double gRnWaveform[] = {\n  ";
  for (int i = 0; i < n; ++i) {
    appendFixed(text, data[i], 7, 8);
    if (i + 1 < n) text += ", ";
    if (i > 0 && (i + 1) % 10 == 0) text += "\n  ";
  }
  text += " };\n} // namespace Rawnfield\n";
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

void WaveformProvider::setWorkingDirectory(const char* dir) {
  if (dir && *dir) {
    workingDirectory = dir;
  } else if (const char* env = std::getenv(kEnvFolder)) {
    workingDirectory = env;
  }
}

// --- selection and names ------------------------------------------------------

double WaveformProvider::getPrevWaveform(double v) {
  return clamp(v - 0.025, 0.0, 1.0);
}

double WaveformProvider::getNextWaveform(double v) {
  return clamp(v + 0.025, 0.0, 1.0);
}

float WaveformProvider::getPrevWaveform(float v) {
  const float r = v - 0.025f;
  return r < 0.0f ? 0.0f : (r > 1.0f ? 1.0f : r);
}

float WaveformProvider::getNextWaveform(float v) {
  const float r = v + 0.025f;
  return r < 0.0f ? 0.0f : (r > 1.0f ? 1.0f : r);
}

const char* WaveformProvider::getWaveformText(double v) {
  const int w = waveformOf(v);
  return kNames[w < 0 ? 0 : w];
}

const char* WaveformProvider::getWaveformText(eWaveform w) {
  return w < kNumWaveforms ? kNames[w] : kNames[0];
}

std::string WaveformProvider::getWaveformItemName(eWaveform w) {
  return std::to_string(static_cast<unsigned long>(w) + 1) + ": " + getWaveformText(w);
}

eWaveform WaveformProvider::getWaveformType(const std::string& name) {
  if (name == "LQ Noize 1") return kWaveLowQNoise1;
  if (name == "LQ Noize 2") return kWaveLowQNoise2;
  if (name == "LQ Noize 3") return kWaveLowQNoise3;
  if (name == "Wavescape") return kWaveWaveScape;
  // PinkNoize reads as the sine, as unknown names do.
  if (name == "PinkNoize") return kWaveSine;
  for (int w = 0; w < kCount; ++w)
    if (name == kNames[w]) return static_cast<eWaveform>(w);
  return kWaveSine;
}

bool WaveformProvider::canLoadWaveform(double v) const {
  return waveformOf(v) > static_cast<int>(kWaveGeoChirp);
}

bool WaveformProvider::loadWaveformAction(double v, const char* path) {
  loadPending.store(false, std::memory_order_relaxed);
  pendingSelection = v;
  std::fill(pending.begin(), pending.end(), 0.0);
  const bool ok = LoadWaveform(path, pending.data(), N);
  if (ok) GenMath::scaleToPeak(pending.data(), N, kLoadedPeak);
  // Published last, so the audio-side update sees a finished cycle.
  loadPending.store(ok, std::memory_order_release);
  return ok;
}

void WaveformProvider::updateLoadedWaveform() {
  if (!loadPending.load(std::memory_order_acquire)) return;
  const int w = waveformOf(pendingSelection);
  if (w >= 0) {
    tables[w].clear();
    tables[w].genTables(pending.data(), N);
  }
  std::fill(pending.begin(), pending.end(), 0.0);
  loadPending.store(false, std::memory_order_relaxed);
}

// --- display data ----------------------------------------------------------

std::string WaveformProvider::getWaveDataString(double v) const {
  int w = waveformOf(v);
  if (w < 0) w = kWaveSine;
  std::vector<double> points(N);
  if (w == kWhiteNoize) {
    for (double& p : points) p = (std::rand() % 17000 - 8500) / 8500.0;
  } else if (isAnalytic(w)) {
    analyticCycle(w, points.data(), N, false, 0.0);
  } else {
    for (int i = 0; i < N; ++i) points[i] = tables[w].getSample(static_cast<double>(i) / N);
  }
  std::string text;
  text.reserve(static_cast<size_t>(N) * 14);
  for (int i = 0; i < N; ++i) {
    if (i > 0) text += ',';
    appendFixed(text, points[i], 10, 0);
  }
  return text;
}

void WaveformProvider::updateGUIData(double v, double phase, double* buf, int n) const {
  if (!buf || n < 1) return;
  int w = waveformOf(v);
  if (w < 0) w = kWaveSine;
  if (w == kPinkNoize || w == kWhiteNoize) {
    const double gain = w == kPinkNoize ? 0.5 : 1.0;
    for (int i = 0; i < n; ++i) buf[i] = (2.0 * std::rand() / 2147483647.0 - 1.0) * gain;
  } else if (isAnalytic(w)) {
    analyticCycle(w, buf, n, true, phase);
  } else {
    for (int i = 0; i < n; ++i)
      buf[i] = tables[w].getSample(GenMath::wrapUnit(static_cast<double>(i) / n + phase));
  }
}

}  // namespace Rawnfield
