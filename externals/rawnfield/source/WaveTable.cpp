#include "WaveTable.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "GenMath.h"

namespace Rawnfield {

WaveTable::~WaveTable() {
  clear();
}

void WaveTable::clear() {
  for (Entry& e : tables) {
    delete[] e.samples;
    e = Entry();
  }
  count = 0;
}

int WaveTable::addWaveTable(unsigned len, const double* samples, double topFreq) {
  if (count >= kMaxTables) return count;
  Entry& e = tables[count];
  e.samples = new double[len];
  e.length = len;
  e.topFreq = topFreq;
  for (unsigned i = 0; i < len; ++i) e.samples[i] = samples ? samples[len - 1 - i] : 0.0;
  ++count;
  return 0;
}

void WaveTable::fft(int n, double* re, double* im) {
  // Bit-reversed order first.
  for (int i = 1, j = 0; i < n; ++i) {
    int bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
  for (int span = 1; span < n; span <<= 1) {
    const double stepRe = std::cos(GenMath::kPi / span);
    const double stepIm = -std::sin(GenMath::kPi / span);
    double wRe = 1.0, wIm = 0.0;
    for (int j = 0; j < span; ++j) {
      for (int i = j; i < n; i += 2 * span) {
        const int k = i + span;
        const double tRe = re[k] * wRe - im[k] * wIm;
        const double tIm = re[k] * wIm + im[k] * wRe;
        re[k] = re[i] - tRe;
        im[k] = im[i] - tIm;
        re[i] += tRe;
        im[i] += tIm;
      }
      const double w = wRe;
      wRe = w * stepRe - wIm * stepIm;
      wIm = w * stepIm + wIm * stepRe;
    }
  }
}

void WaveTable::genTables(const double* cycle, unsigned n) {
  if (!cycle || n < 4 || (n & (n - 1)) != 0 || n > (1u << 24)) return;
  std::vector<double> re(n, 0.0), im(cycle, cycle + n);
  fft(static_cast<int>(n), re.data(), im.data());
  fillTables(this, re.data(), im.data(), n);
}

void WaveTable::fillTables(WaveTable* table, double* re, double* im, unsigned n) {
  re[0] = im[0] = 0.0;
  re[n / 2] = im[n / 2] = 0.0;
  unsigned h = n / 2 - 1;
  while (h > 0 && std::fabs(re[h]) + std::fabs(im[h]) < 1e-6) --h;
  if (h == 0) return;

  double topFreq = (2.0 / 3.0) / h;
  double scale = 0.0;
  std::vector<double> ar(n), ai(n);
  while (h > 0) {
    std::fill(ar.begin(), ar.end(), 0.0);
    std::fill(ai.begin(), ai.end(), 0.0);
    for (unsigned k = 1; k <= h; ++k) {
      ar[k] = re[k];
      ai[k] = im[k];
      ar[n - k] = re[n - k];
      ai[n - k] = im[n - k];
    }
    scale = makeWaveTables(table, n, ar.data(), ai.data(), scale, topFreq);
    topFreq *= 2.0;
    h /= 2;
  }
}

double WaveTable::makeWaveTables(WaveTable* table, unsigned n, double* ar, double* ai,
                                 double scale, double topFreq) {
  // Transforming the spectrum forward once more gives the cycle back, time
  // reversed and n times as large, in the imaginary part; addWaveTable's
  // reversed store turns it round again, one point ahead of the cycle.
  fft(static_cast<int>(n), ar, ai);
  if (scale == 0.0) {
    double m = 0.0;
    for (unsigned i = 0; i < n; ++i) m = std::fmax(m, std::fabs(ai[i]));
    if (m > 0.0) scale = 0.999 / m;
  }
  std::vector<double> wave(n);
  for (unsigned i = 0; i < n; ++i) wave[i] = ai[i] * scale;
  return table->addWaveTable(n, wave.data(), topFreq) == 0 ? scale : 0.0;
}

double WaveTable::getSample(double phase) const {
  if (count == 0) return 0.0;
  const Entry& e = tables[0];
  const double x = e.length * phase;
  if (!(x >= 0.0) || !(x < e.length)) return 0.0;
  return e.samples[static_cast<uint32_t>(x)];
}

// --- WaveTableOsc -------------------------------------------------------

void WaveTableOsc::setSampleRate(double rate) {
  if (!(rate > 0.0) || !std::isfinite(rate)) return;
  phaseInc = phaseInc * sampleRate / rate;
  sampleRate = rate;
}

double WaveTableOsc::get() const {
  if (!waveTable || waveTable->count == 0) return 0.0;
  int k = 0;
  while (k < waveTable->count - 1 && phaseInc >= waveTable->tables[k].topFreq) ++k;
  const WaveTable::Entry& e = waveTable->tables[k];
  if (e.length == 0) return 0.0;
  // The phase is a public field; one set from outside may lie anywhere.
  const double p = phase >= 0.0 && phase < 1.0 ? phase : GenMath::wrapUnit(phase);
  const double x = e.length * p;
  uint32_t i = static_cast<uint32_t>(x);
  // The phase is kept in [0, 1); for a table length that is not a power of
  // two the product may still round up to the length.
  if (i >= e.length) i = e.length - 1;
  const double a = e.samples[i];
  const double b = e.samples[i + 1 < e.length ? i + 1 : 0];
  return a + (b - a) * (x - i);
}

void WaveTableOsc::inc() {
  phase = GenMath::wrapUnit(phase + phaseInc);
}

double WaveTableOsc::getAndInc() {
  const double y = get();
  inc();
  return y;
}

void WaveTableOsc::sync(double p) {
  phase = GenMath::wrapUnit(p);
}

}  // namespace Rawnfield
