#include "NoiseGate.h"

#include <cmath>

#include "../DspLib/Lanes.h"
#include "Settling.h"

namespace Rawnfield {

void NoiseGate::setThreshold(double v) {
  setting = v;
  threshold = std::isfinite(v) ? v * v * v * v : 0.0;
  if (!std::isfinite(threshold)) threshold = 0.0;
}

namespace {

using namespace Dsp;

// One sample through the gate with the knee of the current frame.
double gate(double x, double t, double kneeTop, double kneeWidth) {
  const double a = std::fabs(x);
  if (t > a) return 0.0;
  // The knee width is positive here: a non-empty knee above a positive
  // threshold needs s > 0.
  if (a >= t && a < kneeTop) return UnitMath::signOf(x) * (kneeTop * (a - t) / kneeWidth + a);
  return UnitMath::signOf(x) * a;
}

// The same for two samples of one channel; the division runs only when a
// lane is in the knee.
Lanes gate(Lanes x, Lanes t, Lanes kneeTop, Lanes kneeWidth) {
  const Lanes a = absLanes(x);
  const Lanes sign = select(lessThan(x, splat(0.0)), splat(-1.0), splat(1.0));
  const LaneMask knee = maskAnd(greaterEqual(a, t), lessThan(a, kneeTop));
  Lanes y = sign * a;
  if (anyLane(knee)) y = select(knee, sign * (kneeTop * (a - t) / kneeWidth + a), y);
  return select(greaterThan(t, a), splat(0.0), y);
}

}  // namespace

void NoiseGate::process(double** in, double** out, int n) {
  if (threshold == 0.0) return;
  if (!UnitMath::isBlock(in, n) || !UnitMath::isBlock(out, n)) return;
  const double t = threshold;
  const auto knee = [this](double s) {
    kneeWidth = s < 0.01 ? s : 0.01;
    kneeTop = s + kneeWidth;
  };
  const int from = Settling::stepWhileMoving(thresholdSmoother, t, 0, n, [&](int i, double s) {
    knee(s);
    for (int c = 0; c < 2; ++c) out[c][i] = gate(in[c][i], t, kneeTop, kneeWidth);
  });
  // The settled frame is not handed over: its knee comes from the state.
  knee(thresholdSmoother.state);
  const Lanes T = splat(t), top = splat(kneeTop), width = splat(kneeWidth);
  for (int c = 0; c < 2; ++c) {
    int i = from;
    for (; i + 2 <= n; i += 2) storeLanes(out[c] + i, gate(loadLanes(in[c] + i), T, top, width));
    if (i < n) out[c][i] = gate(in[c][i], t, kneeTop, kneeWidth);
  }
}

}  // namespace Rawnfield
