#include "TempoDelay.h"

#include <algorithm>
#include <cmath>

#include "UnitMath.h"

namespace Rawnfield {

namespace {

void initFilter(RnFilterPaulKellett& f) {
  f.setFilterMode(kFilterModeLowPass);
  f.cutoff = 0.75;
  f.resonance = 0.0;
  f.feedback = 0.0;
  f.cutoffOffset = 0.0;
}

// Where a line's position wraps for a delay of d samples: trunc(d), held
// within [1, length] so that every write lands inside the line.
int wrapPoint(double d, int length) {
  if (!(d >= 1.0)) return 1;
  return d >= length ? length : static_cast<int>(d);
}

// One channel's frame: read, feed back through the filter, write, advance.
double step(std::vector<double>& line, int& pos, int end, RnFilterPaulKellett& f, double fb,
            double in) {
  const double y = line[pos];
  double x = UnitMath::flushTiny(fb * y + in);
  x = f.runStages(x);
  line[pos] = x;
  if (++pos >= end) pos = 0;
  return y;
}

}  // namespace

TempoDelay::TempoDelay() {
  initFilter(filterLeft);
  initFilter(filterRight);
  allocateBuffers();
}

void TempoDelay::allocateBuffers() {
  lineLeft.assign(bufferLength, 0.0);
  lineRight.assign(bufferLength, 0.0);
  // Positions from longer lines would point past the new ones.
  posLeft = posRight = 0;
}

void TempoDelay::freeBuffers() {
  std::vector<double>().swap(lineLeft);
  std::vector<double>().swap(lineRight);
  posLeft = posRight = 0;
}

void TempoDelay::reset() {
  std::fill(lineLeft.begin(), lineLeft.end(), 0.0);
  std::fill(lineRight.begin(), lineRight.end(), 0.0);
}

void TempoDelay::setSampleRate(double rate) {
  if (!(rate > 0.0) || !std::isfinite(rate)) return;
  AudioProcessingUnit::setSampleRate(rate);
  const double frames = std::trunc(rate * maxDelayTime);
  bufferLength = frames >= 1.0 && frames <= 0x1FFFFFFF / 4 ? 4 * static_cast<int>(frames) : 4;
  freeBuffers();
  allocateBuffers();
  filterLeft.reset();
  filterRight.reset();
}

void TempoDelay::setBlockSize(int n) {
  if (bufferLength >= n) return;
  bufferLength = n;
  allocateBuffers();
}

void TempoDelay::setTempo(double bpm) {
  if (bpm > 0.0 && bpm != tempo && std::isfinite(bpm)) {
    tempo = bpm;
    beat = 60.0 / bpm;
  }
}

void TempoDelay::setStereoFx(double v) {
  stereoFx = v;
  const double d = (v - 0.5) * 0.25;
  factorLeft = 1.0 + d;
  factorRight = 1.0 - d;
}

void TempoDelay::setDump(double v) {
  filterLeft.cutoff = v;
  filterRight.cutoff = v;
}

void TempoDelay::process(double** io, int n) {
  if (!UnitMath::isBlock(io, n)) return;
  const int length = static_cast<int>(lineLeft.size() < lineRight.size() ? lineLeft.size()
                                                                         : lineRight.size());
  if (length < 1) return;
  const int endLeft = wrapPoint(factorLeft * beat * sampleRate, length);
  const int endRight = wrapPoint(beat * factorRight * sampleRate, length);
  // A tempo change may leave a position beyond its new wrap point.
  if (posLeft >= endLeft) posLeft = 0;
  if (posRight >= endRight) posRight = 0;
  double* l = io[0];
  double* r = io[1];
  for (int i = 0; i < n; ++i) {
    const double yL = step(lineLeft, posLeft, endLeft, filterLeft, feedback, l[i]);
    const double yR = step(lineRight, posRight, endRight, filterRight, feedback, r[i]);
    l[i] += yL * wetLevel;
    r[i] += yR * wetLevel;
  }
}

}  // namespace Rawnfield
